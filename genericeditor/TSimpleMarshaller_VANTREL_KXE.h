#pragma once
// A call packet: a host-facing call that arrived off the GUI thread, posted there and
// run without the caller waiting. The packet holds a reference to its target, so the
// target outlives its queued calls. Packets live on the GUI thread whichever thread
// made them, and run there in posting order, none inside another.
#include "genericeditor/interfaces/HostInterfaces.h"
#include <QObject>
#include <atomic>

class TSimpleMarshaller_VANTREL_KXE : public QObject
{
    Q_OBJECT
public:
    // Any thread. Adds a reference to the target.
    explicit TSimpleMarshaller_VANTREL_KXE(IUnknown* target);
    // Releases the target.
    ~TSimpleMarshaller_VANTREL_KXE() override;

    // Any thread: posts the packet to the GUI thread's dispatcher; false (and the
    // packet deleted) when there is none.
    bool post();
    // GUI thread: 0x80000008. Elsewhere the stored status once the call has run,
    // else 0; with `noWait` false it first polls for up to 60 s.
    int32_t statusCode(bool noWait);
    void releaseWaitCondition() { m_done.fetch_add(1); }
    bool done() const { return m_done.load() > 0; }

protected:
    // GUI thread: the call itself. The packet is deleted afterwards unless it says
    // otherwise by returning false.
    virtual bool marshall() = 0;
    IUnknown* rawTarget() const { return m_target; }
    std::atomic<int32_t> m_status{0};

private:
    // GUI thread: packets run one at a time, in the order they were posted.
    static void run(QObject* packet);
    void runNow();

    IUnknown* m_target;
    std::atomic<int> m_done{0};
};
