#pragma once
// Base of the memory API's worker thread: woken by alert() from any thread, it
// tells observers of changed parameters. The wake counter is tested under the
// worker's mutex, so no alert and no termination request is lost.
#include "vantrel_kxe21_memapi_export.h"
#include <QMutex>
#include <QThread>
#include <QWaitCondition>
#include <atomic>
#include <cstdint>

class IMemAPI;

class VANTREL_MEMAPI_EXPORT MemAPITask_VANTREL_KXE : public QThread
{
    Q_OBJECT
public:
    explicit MemAPITask_VANTREL_KXE(IMemAPI* api);
    ~MemAPITask_VANTREL_KXE() override;

    // Any thread: one more wake request; wakes the worker.
    void alert();
    // Any thread: whether a wake request is pending.
    bool wakeRequest() const;
    // Any thread: asks run() to end and wakes the worker.
    virtual void requestTermination();
    bool terminationRequested() const { return m_terminate.load(); }
    // The thread that changed the value, under the memory-API lock: runs the
    // observers of that address at once unless notifications are suspended.
    // True when an observer was activated.
    bool alertProxy(short element, short parameter, short channel);
    virtual void processSingleElement(int element);

    // Worker thread: blocks until a wake request (true, requests cleared) or a
    // termination request (false). A timeout in ms (negative: none) also gives true.
    bool waitForWork(int timeoutMs = -1);

    IMemAPI* memAPI() const { return m_api; }

protected:
    // Empty in the base.
    void run() override;

private:
    IMemAPI* m_api;
    mutable QMutex m_mutex;
    QWaitCondition m_condition;
    std::atomic<bool> m_terminate{false};
    int32_t m_wake = 0;
};
