// The factory export, interface identity through aggregation, and reference counts
// through a whole lifecycle.
#include "genericeditor/CompIMPInitialise_VANTREL_KXE.h"
#include "genericeditor/CompIMPServices_VANTREL_KXE.h"
#include "genericeditor/CompIPropertyPageList.h"
#include "genericeditor/interfaces/ComponentInterfaces.h"
#include "platform/PlatformPlugInRegistry.h"
#include "genericeditor/TCOMPtr.h"
#include <QLibrary>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <cstdlib>
#include <string>
#include <vector>

extern "C" IUnknown* MacLoaderFactory(void* allocator, const Y_GUID* type);

using NS_Platform::PlatformPlugInRegistry;

namespace {

class ComponentFactoryTest : public ::testing::Test
{
protected:
    // No add-ons from the build tree: an empty folder of our own.
    void SetUp() override { CompIMPInitialise_VANTREL_KXE::setAddOnFolder(m_empty.path()); }
    void TearDown() override { CompIMPInitialise_VANTREL_KXE::setAddOnFolder(QString()); }

    QTemporaryDir m_empty;
};

template <class T>
T* query(IUnknown* object, const Y_GUID& iid, int32_t* status = nullptr)
{
    void* out = reinterpret_cast<void*>(uintptr_t(1));
    const int32_t result = object->QueryInterface(iid, &out);
    if (status)
        *status = result;
    return static_cast<T*>(out);
}

} // namespace

TEST_F(ComponentFactoryTest, FactoryMakesOneObjectPerKnownTypeAndNullOtherwise)
{
    IUnknown* component = MacLoaderFactory(nullptr, &NS_HostIds::IID_IMPInitialise);
    ASSERT_NE(component, nullptr);
    EXPECT_NE(query<IMPInitialise>(component, NS_HostIds::IID_IMPInitialise), nullptr);
    EXPECT_EQ(component->Release(), 1u);
    EXPECT_EQ(component->Release(), 0u);

    IUnknown* page = MacLoaderFactory(nullptr, &NS_HostIds::IID_IPropertyPage);
    ASSERT_NE(page, nullptr);
    auto* asPage = query<IPropertyPage>(page, NS_HostIds::IID_IPropertyPage);
    EXPECT_EQ(static_cast<IUnknown*>(asPage), page);
    int32_t status = 0;
    EXPECT_EQ(query<void>(page, NS_HostIds::IID_IMPInitialise, &status), nullptr);
    EXPECT_EQ(status, NS_MPStatus::noInterface);
    EXPECT_EQ(page->Release(), 1u);
    EXPECT_EQ(page->Release(), 0u);

    EXPECT_EQ(MacLoaderFactory(nullptr, &NS_HostIds::IID_IPersistStream), nullptr);
    EXPECT_EQ(MacLoaderFactory(nullptr, &NS_HostIds::CLSID_Component), nullptr);
    EXPECT_EQ(MacLoaderFactory(nullptr, nullptr), nullptr);
}

TEST_F(ComponentFactoryTest, ComponentAnswersEveryAggregatedInterfaceAndCountsOnItself)
{
    IUnknown* component = MacLoaderFactory(nullptr, &NS_HostIds::IID_IMPInitialise);
    ASSERT_NE(component, nullptr);
    const Y_GUID answered[] = {NS_HostIds::IID_IUnknown,         NS_HostIds::IID_IMPInitialise,
                               NS_HostIds::IID_IMPServices,      NS_HostIds::IID_IMPEventFilter,
                               NS_HostIds::IID_IPersistStream,   NS_HostIds::IID_IMPNotificationSink,
                               NS_HostIds::IID_ISpecifyPropertyPages};
    uint32_t expected = 1;
    for (const Y_GUID& iid : answered) {
        int32_t status = -1;
        auto* object = query<IUnknown>(component, iid, &status);
        EXPECT_EQ(status, NS_MPStatus::ok);
        ASSERT_NE(object, nullptr);
        ++expected;
        // Every interface counts on the component and leads back to its identity.
        EXPECT_EQ(object->AddRef(), expected + 1);
        EXPECT_EQ(object->Release(), expected);
        auto* identity = query<IUnknown>(object, NS_HostIds::IID_IUnknown);
        EXPECT_EQ(identity, component);
        identity->Release();
    }
    for (const Y_GUID& iid : {NS_HostIds::IID_IPersist, NS_HostIds::IID_IPropertyPage,
                              NS_HostIds::IID_IStream}) {
        int32_t status = 0;
        EXPECT_EQ(query<void>(component, iid, &status), nullptr);
        EXPECT_EQ(status, NS_MPStatus::noInterface);
    }
    // Release the queried references through the interfaces they came from.
    for (size_t i = 0; i < std::size(answered); ++i)
        component->Release();
    EXPECT_EQ(component->Release(), 0u);
}

TEST_F(ComponentFactoryTest, LastHostReferenceThroughAnAggregatedInterfaceDestroysAndUnregisters)
{
    const Y_GUID factory =
        MPGuidFromText(0x1A2B3C4D, 0x0001, 0x0002, 0x80, 0x01, 0x02, 0x03, 0x04, 0x05, 0x06, 0x07);
    const QUuid factoryId = Guid2QUuid(factory);
    const int before = PlatformPlugInRegistry::instanceCount(factoryId);

    auto* component = new CompIMPInitialise_VANTREL_KXE(nullptr, factory, true);
    EXPECT_EQ(PlatformPlugInRegistry::instanceCount(factoryId), before + 1);
    EXPECT_EQ(component->useCount(), 1);

    auto* persist = query<IPersistStream>(component, NS_HostIds::IID_IPersistStream);
    ASSERT_NE(persist, nullptr);
    EXPECT_EQ(component->useCount(), 2);
    Y_GUID classId;
    EXPECT_EQ(persist->GetClassID(&classId), NS_MPStatus::ok);
    EXPECT_EQ(classId, CompIMPInitialise_VANTREL_KXE::guid);

    // The host drops the component first and the persist interface last.
    EXPECT_EQ(component->Release(), 1u);
    EXPECT_EQ(PlatformPlugInRegistry::instanceCount(factoryId), before + 1);
    EXPECT_EQ(persist->Release(), 0u);
    EXPECT_EQ(PlatformPlugInRegistry::instanceCount(factoryId), before);
}

TEST_F(ComponentFactoryTest, TopLevelObjectCountsAndRegistersWhileItLives)
{
    const Y_GUID factory =
        MPGuidFromText(0x1A2B3C4D, 0x0003, 0x0004, 0x80, 0x11, 0x12, 0x13, 0x14, 0x15, 0x16, 0x17);
    const QUuid factoryId = Guid2QUuid(factory);
    auto* services = new CompIMPServices_VANTREL_KXE(nullptr, factory, true);
    EXPECT_EQ(PlatformPlugInRegistry::instanceCount(factoryId), 1);
    EXPECT_EQ(services->AddRef(), 2u);
    auto* same = query<IMPServices>(services, NS_HostIds::IID_IMPServices);
    EXPECT_EQ(same, static_cast<IMPServices*>(services));
    EXPECT_EQ(services->useCount(), 3);
    EXPECT_EQ(same->Release(), 2u);
    EXPECT_EQ(services->Release(), 1u);
    EXPECT_EQ(PlatformPlugInRegistry::instanceCount(factoryId), 1);
    EXPECT_EQ(services->Release(), 0u);
    EXPECT_EQ(PlatformPlugInRegistry::instanceCount(factoryId), 0);

    // Without the flag nothing is registered.
    auto* unregistered = new CompIMPServices_VANTREL_KXE(nullptr, factory, false);
    EXPECT_EQ(PlatformPlugInRegistry::instanceCount(factoryId), 0);
    unregistered->Release();
}

TEST_F(ComponentFactoryTest, SpecifyPagesNamesThePropertyPage)
{
    IUnknown* component = MacLoaderFactory(nullptr, &NS_HostIds::IID_IMPInitialise);
    auto* pages = query<ISpecifyPropertyPages>(component, NS_HostIds::IID_ISpecifyPropertyPages);
    ASSERT_NE(pages, nullptr);
    tagCAUUID list{0, nullptr};
    EXPECT_EQ(pages->GetPages(&list), NS_MPStatus::ok);
    ASSERT_EQ(list.cElems, 1u);
    EXPECT_EQ(list.pElems[0], NS_HostIds::CLSID_PropertyPage);
    std::free(list.pElems);
    EXPECT_EQ(pages->GetPages(nullptr), NS_MPStatus::outOfMemory);
    pages->Release();

    auto* init = query<IMPInitialise>(component, NS_HostIds::IID_IMPInitialise);
    uint32_t flags = 0;
    EXPECT_EQ(init->MPConnect(nullptr, nullptr, MPINITIALISE_DEFAULT, 0, &flags),
              NS_MPStatus::invalidArgument);
    EXPECT_EQ(init->MPDisconnect(), NS_MPStatus::ok);
    init->Release();
    EXPECT_EQ(component->Release(), 0u);
}

TEST(ComponentLibraryTest, ExportsOnlyTheFactoryUnderItsUnmangledName)
{
    QLibrary library(QStringLiteral(VANTREL_COMPONENT_PATH));
    ASSERT_TRUE(library.load()) << qPrintable(library.errorString());
    EXPECT_NE(library.resolve(kMacLoaderFactoryName), nullptr);
    // The component's classes stay inside the library.
    EXPECT_EQ(library.resolve("_ZN29CompIMPInitialise_VANTREL_KXE4guidE"), nullptr);
}

namespace {
struct CountedObject
{
    int refs = 0;
    std::vector<std::string>* log = nullptr;
    std::string name;
    uint32_t AddRef()
    {
        log->push_back("+" + name);
        return uint32_t(++refs);
    }
    uint32_t Release()
    {
        log->push_back("-" + name);
        return uint32_t(--refs);
    }
};
} // namespace

TEST(TCOMPtrTest, AddsTheNewReferenceBeforeReleasingTheOldAndIgnoresTheSameObject)
{
    std::vector<std::string> log;
    CountedObject a{0, &log, "a"};
    CountedObject b{0, &log, "b"};
    {
        TCOMPtr<CountedObject> ptr(&a);
        ptr = &a;
        EXPECT_EQ(a.refs, 1);
        ptr = &b;
        TCOMPtr<CountedObject> copy(ptr);
        EXPECT_EQ(b.refs, 2);
        ptr = nullptr;
    }
    EXPECT_EQ(log, (std::vector<std::string>{"+a", "+b", "-a", "+b", "-b", "-b"}));
    EXPECT_EQ(a.refs, 0);
    EXPECT_EQ(b.refs, 0);
}
