#pragma once
// A call to run on the GUI thread, posted to CAppServer::MS() from any thread.
// The toolkit owns the event once posted; it deletes what the event owns even when
// the event is never delivered.
#include "vantrel_kxe21_qtplxserver_export.h"
#include <QEvent>
#include <QObject>
#include <QPointer>
#include <QString>

class VANTREL_APPSERVER_EXPORT TMarshallEvent_VANTREL_KXE : public QEvent
{
public:
    enum MarshallType {
        MarshallEventCall = 1256,
        MarshallEventInt = 1257,
        MarshallEventUInt = 1258,
        MarshallEventObject = 1259,
        MarshallEventThreeInts = 1260,
        MarshallEventString = 1261,
    };

    using CallFn = void (*)(QObject* target);
    using IntFn = void (*)(QObject* target, int value);
    using UIntFn = void (*)(QObject* target, unsigned int value);
    using ObjectFn = void (*)(QObject* target, QObject* object);
    using ThreeIntsFn = void (*)(QObject* target, int a, int b, int c);
    using StringFn = void (*)(QObject* target, QString* text);

    // Any thread. A target deleted before delivery reaches the function as null.
    TMarshallEvent_VANTREL_KXE(QObject* target, CallFn function);
    TMarshallEvent_VANTREL_KXE(QObject* target, IntFn function, int value);
    TMarshallEvent_VANTREL_KXE(QObject* target, UIntFn function, unsigned int value);
    // The object is guarded too; it reaches the function as null when it has gone.
    TMarshallEvent_VANTREL_KXE(QObject* target, ObjectFn function, QObject* object);
    TMarshallEvent_VANTREL_KXE(QObject* target, ThreeIntsFn function, int a, int b, int c);
    // Takes over the string (allocated with new by the poster).
    TMarshallEvent_VANTREL_KXE(QObject* target, StringFn function, QString* text);
    ~TMarshallEvent_VANTREL_KXE() override;

    TMarshallEvent_VANTREL_KXE(const TMarshallEvent_VANTREL_KXE&) = delete;
    TMarshallEvent_VANTREL_KXE& operator=(const TMarshallEvent_VANTREL_KXE&) = delete;

    // GUI thread (the dispatcher). Calls the function with the live target or null.
    void process();
    QObject* target() const;

private:
    void setTarget(QObject* target);

    QPointer<QObject> m_guard;
    QObject* m_raw = nullptr;
    void (*m_function)() = nullptr;
    // One argument word, wide enough for the pointers it may hold.
    union Argument {
        int i;
        unsigned int u;
        QPointer<QObject>* object;
        QString* text;
        quintptr word;
    } m_arg;
    int m_arg2 = 0;
    int m_arg3 = 0;
};
