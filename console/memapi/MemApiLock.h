#pragma once
// Holds the memory-API lock for a scope, and keeps the bulk engines' reports of a step
// made under it until the lock is let go.
//
// The bulk engines keep their walk and send state without a lock of their own: the
// pump thread parses replies into them holding the memory-API lock, so every start,
// stop, send and send step made on another thread (the companion's commands, total
// recall) holds it too. Lock order: the memory-API lock before a map's queue, the
// bulk send queue and the companion's and recall logic's own mutexes; never taken
// while one of those is held. Nothing in such a scope may wait for the GUI thread.
#include "memapi/IMemAPI.h"
#include "utilities/ThreadUtilities.h"
#include <QObject>
#include <QPointer>
#include <functional>
#include <utility>
#include <vector>

class MemApiLock
{
public:
    // Null locks nothing.
    explicit MemApiLock(IMemAPI* api) : m_api(api)
    {
        if (m_api)
            m_api->MAPI_lock(true);
    }
    ~MemApiLock()
    {
        if (m_api)
            m_api->MAPI_lock(false);
    }
    MemApiLock(const MemApiLock&) = delete;
    MemApiLock& operator=(const MemApiLock&) = delete;

private:
    IMemAPI* const m_api;
};

// An engine reports progress, failure and completion from inside its step, under the
// memory-API lock; the receiver's slots reach the dialogs, their message boxes and the
// observers. On the GUI thread a receiver keeps those reports while one of its Steps
// is under way and makes them, in order, when the outermost Step ends: after the
// lock, so that no window, box or observer runs under it. Off the GUI thread (the
// pump) reports go out at once; the dialogs post them on.
class HeldReports
{
public:
    // Made before the step's MemApiLock, so that it ends after the lock is let go.
    // Nothing off the GUI thread.
    class Step
    {
    public:
        Step(HeldReports& held, QObject* owner)
            : m_held(NS_Utilities::mainThreadRunning() ? &held : nullptr), m_owner(owner)
        {
            if (m_held)
                ++m_held->m_depth;
        }
        ~Step()
        {
            if (!m_held || !m_owner || --m_held->m_depth > 0)
                return;
            std::vector<std::function<void()>> reports;
            reports.swap(m_held->m_reports);
            // A report may delete the receiver (its dialog closes the editor).
            for (const auto& report : reports) {
                if (!m_owner)
                    return;
                report();
            }
        }
        Step(const Step&) = delete;
        Step& operator=(const Step&) = delete;

    private:
        HeldReports* const m_held;
        const QPointer<QObject> m_owner;
    };

    // Any thread. True when the report is kept for the end of the GUI thread's step
    // under way; false: the caller makes it now.
    bool hold(std::function<void()> report)
    {
        if (!NS_Utilities::mainThreadRunning() || m_depth == 0)
            return false;
        m_reports.push_back(std::move(report));
        return true;
    }

private:
    int m_depth = 0; // GUI thread only
    std::vector<std::function<void()>> m_reports;
};
