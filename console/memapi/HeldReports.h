#pragma once
// The bulk engines' reports of a step made under the memory-API lock, kept until the
// lock is let go.
#include "utilities/ThreadUtilities.h"
#include <QObject>
#include <QPointer>
#include <functional>
#include <utility>
#include <vector>

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
