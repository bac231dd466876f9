#include "CompIPersistStream.h"
#include "CUserInterfaceServer_VANTREL_KXE.h"
#include "CompIMPInitialise_VANTREL_KXE.h"
#include "memapi/IMemAPI.h"
#include "utilities/StreamVersion.h"
#include <QBuffer>
#include <QByteArray>
#include <QDataStream>
#include <QLoggingCategory>
#include <QMutexLocker>

Q_LOGGING_CATEGORY(lcPersist, "tovar.component.persist")

namespace {

// Reads exactly `length` bytes; a short read is an error of its own.
int32_t readAll(IStream* stream, void* buffer, uint32_t length)
{
    uint32_t done = 0;
    const int32_t r = stream->Read(buffer, length, &done);
    if (r != 0)
        return r;
    return done == length ? 0 : NS_MPStatus::failure;
}

} // namespace

CompIPersistStream::CompIPersistStream(IUnknown* outer, const Y_GUID& factoryId, bool registration)
    : TCompObject_VANTREL_KXE(NS_HostIds::IID_IPersistStream, outer, factoryId, registration)
{
}

CompIPersistStream::~CompIPersistStream()
{
    if (m_pending)
        m_pending->Release();
}

CompIMPInitialise_VANTREL_KXE* CompIPersistStream::component() const
{
    IUnknown* outer = this->outer();
    if (!outer)
        return nullptr;
    return dynamic_cast<CompIMPInitialise_VANTREL_KXE*>(outer);
}

int32_t CompIPersistStream::GetClassID(Y_GUID* classId)
{
    if (!classId || !component())
        return NS_MPStatus::failure;
    *classId = NS_HostIds::CLSID_Component;
    return NS_MPStatus::ok;
}

int32_t CompIPersistStream::IsDirty()
{
    CompIMPInitialise_VANTREL_KXE* c = component();
    return c && c->documentDirty() ? NS_MPStatus::ok : NS_MPStatus::failure;
}

int32_t CompIPersistStream::GetSizeMax(ULARGE_INTEGER* size)
{
    if (!size)
        return NS_MPStatus::failure;
    size->QuadPart = kSizeMax;
    return NS_MPStatus::ok;
}

int32_t CompIPersistStream::Save(IStream* stream, bool clearDirty)
{
    CompIMPInitialise_VANTREL_KXE* c = component();
    IMemAPI* api = c ? c->memAPI() : nullptr;
    if (!c || !c->uiServer() || !stream || !api)
        return NS_MPStatus::failure;
    const int32_t r = api->MAPI_saveIStream(stream);
    if (r != NS_MPStatus::notImplemented)
        return r;

    QByteArray payload;
    {
        QDataStream out(&payload, QIODevice::WriteOnly);
        out.setVersion(NS_Utilities::kStreamVersion);
        const int32_t saved = api->MAPI_saveViaStream(out);
        if (saved != 0)
            return saved;
        if (out.status() != QDataStream::Ok)
            return NS_MPStatus::failure;
    }
    if (uint64_t(payload.size()) > kSizeMax)
        return NS_MPStatus::failure;
    if (clearDirty)
        c->setDocumentDirty(false);
    const uint32_t length = uint32_t(payload.size());
    const uint8_t header[4] = {uint8_t(length >> 24), uint8_t(length >> 16), uint8_t(length >> 8),
                               uint8_t(length)};
    uint32_t written = 0;
    const int32_t w = stream->Write(header, 4, &written);
    if (w != 0)
        return w;
    return stream->Write(payload.constData(), length, &written);
}

int32_t CompIPersistStream::Load(IStream* stream)
{
    CompIMPInitialise_VANTREL_KXE* c = component();
    if (!c || !c->uiServer() || !stream)
        return NS_MPStatus::failure;
    IMemAPI* api = c->memAPI();
    if (!api) {
        // A project loaded before connect: kept and applied once the memory API exists.
        QMutexLocker lock(&m_pendingMutex);
        stream->AddRef();
        if (m_pending)
            m_pending->Release();
        m_pending = stream;
        return NS_MPStatus::ok;
    }
    const int32_t r = api->MAPI_loadIStream(stream);
    if (r != NS_MPStatus::notImplemented)
        return r;

    uint8_t header[4];
    const int32_t h = readAll(stream, header, 4);
    if (h != 0)
        return h;
    const uint32_t length = uint32_t(header[0]) << 24 | uint32_t(header[1]) << 16
                            | uint32_t(header[2]) << 8 | uint32_t(header[3]);
    // A length from outside bytes: nothing larger than the component ever writes.
    if (length > kSizeMax) {
        qCWarning(lcPersist) << "document record of" << length << "bytes refused";
        return NS_MPStatus::failure;
    }
    // Read into storage each thread keeps from load to load.
    thread_local QByteArray payload;
    payload.resize(qsizetype(length));
    if (length > 0) {
        const int32_t p = readAll(stream, payload.data(), length);
        if (p != 0)
            return p;
    }
    QDataStream in(payload);
    in.setVersion(NS_Utilities::kStreamVersion);
    return api->MAPI_loadViaStream(in);
}

int32_t CompIPersistStream::applyPendingLoad()
{
    IStream* stream = nullptr;
    {
        QMutexLocker lock(&m_pendingMutex);
        stream = m_pending;
        m_pending = nullptr;
    }
    if (!stream)
        return NS_MPStatus::ok;
    const int32_t r = Load(stream);
    stream->Release();
    if (r != 0)
        qCWarning(lcPersist) << "kept project could not be loaded:" << Qt::hex << r;
    return r;
}

bool CompIPersistStream::hasPendingLoad() const
{
    QMutexLocker lock(&m_pendingMutex);
    return m_pending != nullptr;
}
