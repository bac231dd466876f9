#include "TCompFrame_VANTREL_KXE.h"
#include "platform/PlatformPlugInRegistry.h"
#include "utilities/ComPrintf.h"

TCompFrame_VANTREL_KXE::TCompFrame_VANTREL_KXE(IUnknown* outer, const Y_GUID& factoryId,
                                               bool registration)
    : m_outer(outer)
{
    if (registration) {
        m_factoryId = Guid2QUuid(factoryId);
        NS_Platform::PlatformPlugInRegistry::addInstanceForFactory(m_factoryId);
    }
    COMPRINTF("TCompFrame::TCompFrame() Constructor called - useCount: %d", 1);
}

TCompFrame_VANTREL_KXE::~TCompFrame_VANTREL_KXE()
{
    if (!m_factoryId.isNull())
        NS_Platform::PlatformPlugInRegistry::removeInstanceForFactory(m_factoryId);
}

int32_t TCompFrame_VANTREL_KXE::frameQueryInterface(const Y_GUID& iid, void** out)
{
    if (!out)
        return NS_MPStatus::invalidArgument;
    if (m_outer)
        return m_outer->QueryInterface(iid, out);
    return NonDelegatingQueryInterface(iid, out);
}

uint32_t TCompFrame_VANTREL_KXE::frameAddRef()
{
    if (m_outer)
        return m_outer->AddRef();
    return NonDelegatingAddRef();
}

uint32_t TCompFrame_VANTREL_KXE::frameRelease()
{
    if (m_outer)
        return m_outer->Release();
    return NonDelegatingRelease();
}

uint32_t TCompFrame_VANTREL_KXE::NonDelegatingAddRef()
{
    const int32_t count = m_refs.fetch_add(1) + 1;
    COMPRINTF("TCompFrame:: AddRef() yields:%ld", long(count));
    return uint32_t(count);
}

uint32_t TCompFrame_VANTREL_KXE::NonDelegatingRelease()
{
    const int32_t count = m_refs.fetch_sub(1) - 1;
    COMPRINTF("TCompFrame::Release() yields:%ld", long(count));
    Q_ASSERT(count >= 0);
    if (count == 0) {
        // Withdrawn as the count reaches zero, not when the memory goes: the component
        // finishes its deletion later on the GUI thread.
        const QUuid factoryId = m_factoryId;
        m_factoryId = QUuid();
        destroy();
        if (!factoryId.isNull())
            NS_Platform::PlatformPlugInRegistry::removeInstanceForFactory(factoryId);
    }
    return uint32_t(count);
}

void TCompFrame_VANTREL_KXE::destroy()
{
    delete this;
}
