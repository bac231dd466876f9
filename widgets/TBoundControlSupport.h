#pragma once
// What every bound control shares: the steps of process(), the silent counter, the
// hand-over from other threads, the user-change write, copy / paste / reset /
// alternative default, display strings, and the retry of work whose signals are
// blocked.
//
// How a control uses it (CDial_VANTREL_KXE and CFader_VANTREL_KXE are full examples):
//
//   class CX : public QWidget, public TMemProxy_VANTREL_KXE
//   {
//       Q_OBJECT
//       Q_PROPERTY(QString namedAddress READ namedAddress WRITE setNamedAddress)
//       Q_PROPERTY(bool undoEnable READ isUndoEnable WRITE setUndoEnable)
//       Q_PROPERTY(int numDefaultKind READ numDefaultKind WRITE setNumDefaultKind)
//       // First thing: another thread may be alerting this control's address, and
//       // once this destructor returns, process() is no longer this class's.
//       ~CX() override { disconnectMemAPI(); }
//   public slots:   // forward to the proxy base
//       bool setNamedAddress(const QString& t) override { return TMemProxy_VANTREL_KXE::setNamedAddress(t); }
//       TMemProxy_VANTREL_KXE* setUndoEnable(bool on) override { ... }
//       TMemProxy_VANTREL_KXE* setNumDefaultKind(int k) override { ... }
//       void process(const uint8_t* raw, int operation, uint32_t extra) override
//       {
//           if (!NS_BoundControl::bound(*this))            // no memory API / incomplete
//               return;
//           if (NS_BoundControl::postIfOffGuiThread(*this)) // other thread: post once
//               return;
//           setWidgetShowState(this);
//           NS_BoundControl::TRangeReading range = NS_BoundControl::readRange(*this);
//           ... apply range with ++m_silent / --m_silent around it ...
//           const NS_BoundControl::TOperationValue v = NS_BoundControl::valueForOperation(*this, raw, operation);
//           TMemSilentHelper silent(m_silent, operation);   // raised for operation 0 only
//           setControlValue(v.value);                      // runs the user-change path
//       }
//       void connectMemAPI() override { NS_BoundControl::registerObserver(*this, true); }
//   };
//
// The user-change path calls NS_BoundControl::writeUserChange(*this, value): it writes
// MAPI_setIndParam(element, param, channel, value, MAPI_dirtyAllFlags(nullptr), 1) only
// on the GUI thread, with a memory API, a complete address and the silent counter at
// 0, so a value that came from the memory (operation 0) is never written back.
// Every bound control still derives from its QWidget class and TMemProxy_VANTREL_KXE;
// the address comes from MAPI_assignServer / MAPI_assignServerChannel of the view.
#include "memapi/TMemProxy_VANTREL_KXE.h"
#include "vantrel_kxe21_widgets_export.h"
#include <QObject>
#include <QString>
#include <cstdint>
#include <functional>

class QDataStream;
class QPixmap;
class QTimer;
class QWidget;

namespace NS_BoundControl {

// A memory API is set and element, parameter and channel are all 0 or more.
VANTREL_WIDGETS_EXPORT bool bound(const TMemProxy_VANTREL_KXE& proxy);

// Any thread. Off the GUI thread: posts one observer event (at most one pending per
// control, MAPI_postObserverEvent) and returns true; the caller then stops. On the
// GUI thread: false.
VANTREL_WIDGETS_EXPORT bool postIfOffGuiThread(TMemProxy_VANTREL_KXE& proxy);

struct TRangeReading
{
    int minimum = 0;
    int maximum = 0;
};
// The parameter's range from the memory; a maximum below the minimum comes back
// as the empty range minimum..minimum.
VANTREL_WIDGETS_EXPORT TRangeReading readRange(TMemProxy_VANTREL_KXE& proxy);

struct TOperationValue
{
    int value = 0;       // the value to apply
    bool copied = false; // operation 3 wrote a record
};
// GUI thread, bound. The value for a process() operation: 0 the value in memory; 1 the
// default; 2 the pasted record's value when MAPI_identicalElements says it fits (raw
// data: a QDataStream*), else the value in memory; 3 the value in memory, after writing
// this control's 10-byte record to the stream given as raw data; 4 the alternative
// default, or the default when there is none (unless altDefault is false: then the
// value in memory).
VANTREL_WIDGETS_EXPORT TOperationValue valueForOperation(TMemProxy_VANTREL_KXE& proxy,
                                                         const uint8_t* rawData, int operation,
                                                         bool altDefault = true);

// GUI thread. Writes a user's value when bound and silent is 0; true when written.
VANTREL_WIDGETS_EXPORT bool writeUserChange(TMemProxy_VANTREL_KXE& proxy, int value);

// Registers the control's observer key when bound (silent raised around it when
// asked) and marks it connected; false when not bound.
VANTREL_WIDGETS_EXPORT bool registerObserver(TMemProxy_VANTREL_KXE& proxy, bool raiseSilent);

// The display text (and picture, when the table has one) of a value for channel +
// channel offset; the decimal number when not bound.
VANTREL_WIDGETS_EXPORT QString displayString(TMemProxy_VANTREL_KXE& proxy, int tableId, int value,
                                             QPixmap* picture = nullptr, int flag = 0,
                                             short element = 0, short parameter = 0);

// The stream a copy or paste hands over as raw data.
inline QDataStream* streamOf(const uint8_t* rawData)
{
    return reinterpret_cast<QDataStream*>(const_cast<uint8_t*>(rawData));
}

// Gives the keyboard focus to the editor window that holds the widget (the nearest
// ancestor that is an IEditorExtensions); nothing when there is none.
VANTREL_WIDGETS_EXPORT void focusEditorWindow(QWidget* widget);

// Work to redo while the owner's signals are blocked: it runs from a short
// single-shot timer (never a busy loop) once the signals are unblocked. Each retry
// waits twice as long as the one before, up to `longestDelayMs`; with a tries limit
// the work is dropped when the signals are still blocked after that many tries.
// Scheduling while a retry is pending does not add another. Owned by (and a child
// of) the owner, so nothing runs after the owner is gone. GUI thread.
class VANTREL_WIDGETS_EXPORT TBlockedSignalRetry : public QObject
{
    Q_OBJECT
public:
    TBlockedSignalRetry(QObject* owner, std::function<void()> work, int firstDelayMs,
                        int longestDelayMs, int maxTries = -1);
    void schedule();
    bool pending() const;

private:
    void fire();

    QObject* m_owner;
    std::function<void()> m_work;
    QTimer* m_timer;
    int m_firstDelay;
    int m_longestDelay;
    int m_maxTries;
    int m_tries = 0;
};

} // namespace NS_BoundControl
