#pragma once
// The document in the host's project stream, aggregated by the component. The memory
// API writes the whole record; where it does not, the payload of its data stream goes
// into the host's stream behind a 4-byte big-endian length.
#include "TCompObject_VANTREL_KXE.h"
#include "genericeditor/interfaces/ComponentInterfaces.h"
#include <QMutex>

class CompIMPInitialise_VANTREL_KXE;

class CompIPersistStream : public TCompObject_VANTREL_KXE<IPersistStream>
{
public:
    // Largest document record the component writes.
    static constexpr uint64_t kSizeMax = 0x1000000;

    CompIPersistStream(IUnknown* outer, const Y_GUID& factoryId, bool registration);

    // The component's class identifier.
    int32_t GetClassID(Y_GUID* classId) override;
    // 0 when the document is modified, 0x80000008 otherwise.
    int32_t IsDirty() override;
    // Host thread. Before the memory API exists the stream is kept (one reference)
    // and loaded by the next successful connect, whose flags tell when that failed.
    int32_t Load(IStream* stream) override;
    int32_t Save(IStream* stream, bool clearDirty) override;
    int32_t GetSizeMax(ULARGE_INTEGER* size) override;

    // Called by the component once the memory API exists: loads a kept stream.
    int32_t applyPendingLoad();
    bool hasPendingLoad() const;

protected:
    ~CompIPersistStream() override;

private:
    CompIMPInitialise_VANTREL_KXE* component() const;

    mutable QMutex m_pendingMutex;
    IStream* m_pending = nullptr;
};
