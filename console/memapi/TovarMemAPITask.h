#pragma once
// The memory-API object's worker thread: drains the multi map's changed-address
// queue and alerts the observers of each address, so that the thread that made an
// edit does not have to. The queue is read under the memory-API lock, so the
// memory model cannot go away between taking an address and alerting it.
#include "memapi/MemAPITask_VANTREL_KXE.h"
#include "vantrel_kxe21_console_export.h"

class VANTREL_CONSOLE_EXPORT TovarMemAPITask : public MemAPITask_VANTREL_KXE
{
    Q_OBJECT
public:
    explicit TovarMemAPITask(IMemAPI* api);
    ~TovarMemAPITask() override;

    // Alerts the observers of every dirty parameter of one element, last to first,
    // never blocking on the memory-API lock.
    void processSingleElement(int element) override;

    // Addresses delivered so far (tests and the bench).
    int64_t delivered() const { return m_delivered.load(); }

protected:
    void run() override;

private:
    // One queued address under the lock; false when the queue is empty.
    bool deliverOne();

    std::atomic<int64_t> m_delivered{0};
};
