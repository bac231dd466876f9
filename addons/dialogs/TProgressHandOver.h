#pragma once
// Progress reports from any thread to a dialog on the GUI thread. The bulk engine
// reports a receive on the MIDI pump thread while the pump holds the memory-API lock,
// so a report never waits here for the GUI thread: it keeps the latest percent (a
// final report of 100 or more sticks, until the next transfer resets it, and is never
// replaced by a later intermediate one) and asks its caller to post a delivery only
// when none is in flight. So at most one delivery is on its way at any time, and the
// final report always gets through.
#include <QMutex>
#include <optional>

class QObject;

class TProgressHandOver
{
public:
    // Any thread; holds the hand-over's own mutex only briefly. Keeps the report. With
    // mayPost (a caller off the GUI thread), true when the caller must post one delivery
    // because none was in flight; the GUI thread keeps its report without posting and
    // takes it at once.
    bool offer(int percent, bool mayPost = true);
    // GUI thread. The latest report not yet taken, if any. fromDelivery: called by the
    // posted delivery, which is then no longer in flight.
    std::optional<int> take(bool fromDelivery);
    // Whether a delivery is on its way.
    bool inFlight() const;
    // Any thread. Forgets the reports of the transfer before, its final one too, when
    // the dialog starts another; a delivery on its way stays counted.
    void reset();

    // Any thread. Posts bridge(target, value) to the GUI thread (through the
    // application server's dispatcher); a target deleted meanwhile reaches the bridge
    // as null.
    static void post(QObject* target, void (*bridge)(QObject*, int), int value);

private:
    mutable QMutex m_mutex;
    int m_latest = 0;
    bool m_fresh = false;
    bool m_final = false;
    bool m_inFlight = false;
};
