#include "appserver/TMarshallEvent_VANTREL_KXE.h"
#include "appserver/IWithoutProtection.h"

namespace {
template <typename Fn> void (*erase(Fn fn))()
{
    return reinterpret_cast<void (*)()>(fn);
}
} // namespace

TMarshallEvent_VANTREL_KXE::TMarshallEvent_VANTREL_KXE(QObject* target, CallFn function)
    : QEvent(QEvent::Type(MarshallEventCall)), m_function(erase(function))
{
    m_arg.word = 0;
    setTarget(target);
}

TMarshallEvent_VANTREL_KXE::TMarshallEvent_VANTREL_KXE(QObject* target, IntFn function, int value)
    : QEvent(QEvent::Type(MarshallEventInt)), m_function(erase(function))
{
    m_arg.word = 0;
    m_arg.i = value;
    setTarget(target);
}

TMarshallEvent_VANTREL_KXE::TMarshallEvent_VANTREL_KXE(QObject* target, UIntFn function,
                                                       unsigned int value)
    : QEvent(QEvent::Type(MarshallEventUInt)), m_function(erase(function))
{
    m_arg.word = 0;
    m_arg.u = value;
    setTarget(target);
}

TMarshallEvent_VANTREL_KXE::TMarshallEvent_VANTREL_KXE(QObject* target, ObjectFn function,
                                                       QObject* object)
    : QEvent(QEvent::Type(MarshallEventObject)), m_function(erase(function))
{
    m_arg.object = new QPointer<QObject>(object);
    setTarget(target);
}

TMarshallEvent_VANTREL_KXE::TMarshallEvent_VANTREL_KXE(QObject* target, ThreeIntsFn function,
                                                       int a, int b, int c)
    : QEvent(QEvent::Type(MarshallEventThreeInts)), m_function(erase(function)), m_arg2(b),
      m_arg3(c)
{
    m_arg.word = 0;
    m_arg.i = a;
    setTarget(target);
}

TMarshallEvent_VANTREL_KXE::TMarshallEvent_VANTREL_KXE(QObject* target, StringFn function,
                                                       QString* text)
    : QEvent(QEvent::Type(MarshallEventString)), m_function(erase(function))
{
    m_arg.text = text;
    setTarget(target);
}

TMarshallEvent_VANTREL_KXE::~TMarshallEvent_VANTREL_KXE()
{
    if (int(type()) == MarshallEventObject)
        delete m_arg.object;
    else if (int(type()) == MarshallEventString)
        delete m_arg.text;
}

void TMarshallEvent_VANTREL_KXE::setTarget(QObject* target)
{
    if (target && dynamic_cast<IWithoutProtection*>(target))
        m_raw = target;
    else
        m_guard = target;
}

QObject* TMarshallEvent_VANTREL_KXE::target() const
{
    return m_raw ? m_raw : m_guard.data();
}

void TMarshallEvent_VANTREL_KXE::process()
{
    if (!m_function)
        return;
    QObject* t = target();
    switch (int(type())) {
    case MarshallEventCall:
        reinterpret_cast<CallFn>(m_function)(t);
        break;
    case MarshallEventInt:
        reinterpret_cast<IntFn>(m_function)(t, m_arg.i);
        break;
    case MarshallEventUInt:
        reinterpret_cast<UIntFn>(m_function)(t, m_arg.u);
        break;
    case MarshallEventObject:
        reinterpret_cast<ObjectFn>(m_function)(t, m_arg.object ? m_arg.object->data() : nullptr);
        break;
    case MarshallEventThreeInts:
        reinterpret_cast<ThreeIntsFn>(m_function)(t, m_arg.i, m_arg2, m_arg3);
        break;
    case MarshallEventString:
        reinterpret_cast<StringFn>(m_function)(t, m_arg.text);
        break;
    default:
        break;
    }
}
