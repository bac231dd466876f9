#include "memapi/TNameObserver_VANTREL_KXE.h"
#include "appserver/CAppServer.h"
#include "appserver/CMarshallDispatcher.h"
#include "appserver/TMarshallEvent_VANTREL_KXE.h"
#include "memapi/MemAPITask_VANTREL_KXE.h"
#include "utilities/Atomic.h"
#include "utilities/ThreadUtilities.h"

#include <QCoreApplication>
#include <QLineEdit>

TNameObserver_VANTREL_KXE::TNameObserver_VANTREL_KXE(QObject* parent, const QString& namedAddress,
                                                     int first, int size)
    : QObject(parent), m_first(uint8_t(first / 4)), m_count(uint8_t(qMax(1, size / 4)))
{
    setNamedAddress(namedAddress);
}

TNameObserver_VANTREL_KXE::~TNameObserver_VANTREL_KXE()
{
    disconnectMemAPI();
}

namespace {
bool hasSignal(QObject* object, const char* signature)
{
    return object->metaObject()->indexOfSignal(signature) >= 0;
}
} // namespace

TNameObserver_VANTREL_KXE* TNameObserver_VANTREL_KXE::CreateAndConnect(QObject* lineEditor,
                                                                       const QString& namedAddress,
                                                                       bool longName)
{
    auto* observer = new TNameObserver_VANTREL_KXE(lineEditor, namedAddress, 0, longName ? 16 : 4);
    if (!lineEditor)
        return observer;
    const char* accept = longName ? SLOT(setLongNameFromParent()) : SLOT(setShortNameFromParent());
    if (hasSignal(lineEditor, "returnPressed()"))
        connect(lineEditor, SIGNAL(returnPressed()), observer, accept);
    if (hasSignal(lineEditor, "acceptEdit()"))
        connect(lineEditor, SIGNAL(acceptEdit()), observer, accept);
    if (hasSignal(lineEditor, "abortEdit()"))
        connect(lineEditor, SIGNAL(abortEdit()), observer, SLOT(reloadValues()));
    if (lineEditor->metaObject()->indexOfSlot("setText(QString)") >= 0)
        connect(observer, SIGNAL(nameChange(QString)), lineEditor, SLOT(setText(QString)));
    return observer;
}

QVector<int32_t> TNameObserver_VANTREL_KXE::pack(const QString& text, int count)
{
    QVector<int32_t> values(count, 0);
    for (int i = 0; i < count; ++i) {
        uint32_t word = 0;
        for (int k = 0; k < 4; ++k) {
            const int pos = i * 4 + k;
            uint32_t code = 32;
            if (pos < text.size())
                code = text.at(pos).unicode() >= 256 ? 0 : text.at(pos).unicode();
            word = word << 8 | code;
        }
        values[i] = int32_t(word);
    }
    return values;
}

QString TNameObserver_VANTREL_KXE::unpack(const QVector<int32_t>& values)
{
    QString text;
    for (int32_t value : values) {
        const uint32_t word = uint32_t(value);
        for (int shift = 24; shift >= 0; shift -= 8) {
            const uint8_t byte = uint8_t(word >> shift);
            if (!byte)
                break;
            text.append(QChar(byte));
        }
    }
    return text;
}

void TNameObserver_VANTREL_KXE::setName(bool shortName, const QString& text)
{
    if (shortName && m_count != 1)
        return;
    if (text == m_name)
        return;
    m_name = text;
    if (m_memAPI && memAPIReady()) {
        const int count = shortName ? 1 : 4;
        const QVector<int32_t> values = pack(text, qMin<int>(count, m_count));
        m_memAPI->MAPI_lock(true);
        m_memAPI->MAPI_suspendNotifications(true);
        for (int i = 0; i < values.size(); ++i)
            m_memAPI->MAPI_setIndParam(element(), short(param() + i), channel(), values[i],
                                       m_memAPI->MAPI_dirtyAllFlags(nullptr),
                                       IMemAPI::PostSetDirtyFlags);
        m_memAPI->MAPI_suspendNotifications(false);
        MemAPITask_VANTREL_KXE* worker = m_memAPI->MAPI_memApiTaskObject(nullptr);
        if (worker && m_memAPI->MAPI_blocked() != 0)
            worker->alertProxy(element(), param(), channel());
        m_memAPI->MAPI_lock(false);
    }
    emit nameChange(shortName, m_name);
    emit nameChange(m_name);
}

void TNameObserver_VANTREL_KXE::setLongNameFromParent()
{
    if (auto* editor = qobject_cast<QLineEdit*>(parent())) {
        setName(false, editor->text());
        editor->clearFocus();
    }
}

void TNameObserver_VANTREL_KXE::setShortNameFromParent()
{
    if (auto* editor = qobject_cast<QLineEdit*>(parent())) {
        setName(true, editor->text());
        editor->clearFocus();
    }
}

void TNameObserver_VANTREL_KXE::reloadValues()
{
    process(nullptr, 0, 0);
}

void TNameObserver_VANTREL_KXE::process(const uint8_t*, int, uint32_t flags)
{
    if (flags != 0 || !memAPIReady() || !m_memAPI)
        return;
    postEmitChanges();
}

void TNameObserver_VANTREL_KXE::postEmitChanges()
{
    // Every posting raises the counter, so the posted call always finds work.
    if (InterlockedExchangeAdd(&m_pendingEmit, 1) != 0)
        return;
    if (CMarshallDispatcher* dispatcher = CAppServer::MS())
        QCoreApplication::postEvent(dispatcher,
                                    new TMarshallEvent_VANTREL_KXE(this, &emitChangesCall));
    else
        InterlockedExchangeAdd(&m_pendingEmit, -1);
}

void TNameObserver_VANTREL_KXE::emitChangesCall(QObject* target)
{
    if (auto* observer = qobject_cast<TNameObserver_VANTREL_KXE*>(target))
        observer->emitChanges();
}

void TNameObserver_VANTREL_KXE::emitChanges()
{
    if (InterlockedExchangeAdd(&m_pendingEmit, 0) < 1)
        return;
    InterlockedExchangeAdd(&m_pendingEmit, -InterlockedExchangeAdd(&m_pendingEmit, 0));
    doReloadValues();
    const bool shortName = m_count == 1;
    emit nameChange(shortName, m_name);
    emit nameChange(m_name);
}

bool TNameObserver_VANTREL_KXE::doReloadValues()
{
    if (!NS_Utilities::mainThreadRunning() || !memAPIReady() || !m_memAPI)
        return false;
    QVector<int32_t> values(m_count, 0);
    for (int i = 0; i < m_count; ++i)
        values[i] = m_memAPI->MAPI_getIndParam(element(), short(param() + i), channel(), false, nullptr);
    const QString text = unpack(values);
    if (text == m_name)
        return false;
    m_name = text;
    return true;
}

void TNameObserver_VANTREL_KXE::connectMemAPI()
{
    if (!NS_Utilities::mainThreadRunning() || !memAPIReady() || !m_memAPI)
        return;
    // The keys of exactly the parameters it reads.
    for (int i = 0; i < m_count; ++i)
        m_memAPI->MAPI_registerObserver(this, NS_MemAPI::observerKey(element(), param() + i, channel()),
                                        nullptr);
    m_connected = true;
    doReloadValues();
    postEmitChanges();
}

void TNameObserver_VANTREL_KXE::disconnectMemAPI()
{
    if (m_connected && memAPIReady() && m_memAPI)
        for (int i = 0; i < m_count; ++i)
            m_memAPI->MAPI_unregisterObserver(this,
                                              NS_MemAPI::observerKey(element(), param() + i, channel()));
    m_connected = false;
}
