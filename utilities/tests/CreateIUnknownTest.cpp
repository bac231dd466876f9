#include "utilities/CreateIUnknown.h"
#include "platform/PlatformPlugInRegistry.h"
#include "utilities/interfaces/IPlugInInstance.h"
#include <gtest/gtest.h>

using NS_Platform::PlatformPlugInRegistry;

namespace {

const Y_GUID kFactory(0x0A1B2C3D, 0x1111, 0x2222, 1, 2, 3, 4, 5, 6, 7, 8);
const Y_GUID kType(0x0A1B2C3E, 0x3333, 0x4444, 8, 7, 6, 5, 4, 3, 2, 1);

// A counted object that may offer the set-up interface.
class FakeInstance : public IPlugInInstance
{
public:
    FakeInstance(bool offersSetup, int32_t setupStatus, int32_t queryStatus = 0)
        : m_offersSetup(offersSetup), m_setupStatus(setupStatus), m_queryStatus(queryStatus)
    {
    }
    int32_t QueryInterface(const Y_GUID& iid, void** object) override
    {
        *object = nullptr;
        if (m_queryStatus < 0)
            return m_queryStatus;
        if (iid == IID_IPlugInInstance && m_offersSetup) {
            AddRef();
            *object = static_cast<IPlugInInstance*>(this);
        }
        return m_queryStatus;
    }
    uint32_t AddRef() override { return ++count; }
    uint32_t Release() override { return --count; }
    int32_t setup(const Y_GUID& factory, const Y_GUID& type) override
    {
        setupFactory = factory;
        setupType = type;
        ++setups;
        return m_setupStatus;
    }

    uint32_t count = 1;
    int setups = 0;
    Y_GUID setupFactory;
    Y_GUID setupType;

private:
    bool m_offersSetup;
    int32_t m_setupStatus;
    int32_t m_queryStatus;
};

class CreateIUnknownTest : public ::testing::Test
{
protected:
    void TearDown() override { PlatformPlugInRegistry::unregisterFactory(Guid2QUuid(kFactory)); }

    void serve(FakeInstance* instance)
    {
        PlatformPlugInRegistry::registerFactoryFunction(Guid2QUuid(kFactory), [instance](const QUuid& type) -> void* {
            return type == Guid2QUuid(kType) ? static_cast<IUnknown*>(instance) : nullptr;
        });
        PlatformPlugInRegistry::registerType(Guid2QUuid(kFactory), Guid2QUuid(kType));
    }
};

} // namespace

TEST_F(CreateIUnknownTest, UnknownFactoryOrTypeGivesNull)
{
    EXPECT_EQ(CreateIUnknown(kType, kFactory), nullptr);
    FakeInstance instance(false, 0);
    serve(&instance);
    EXPECT_EQ(CreateIUnknown(kFactory, kType), nullptr); // arguments swapped
}

TEST_F(CreateIUnknownTest, ObjectWithoutSetupIsReturnedAsMade)
{
    FakeInstance refusing(false, 0, int32_t(0x80000004));
    serve(&refusing);
    EXPECT_EQ(CreateIUnknown(kType, kFactory), static_cast<IUnknown*>(&refusing));
    EXPECT_EQ(refusing.count, 1u);
    EXPECT_EQ(refusing.setups, 0);
}

TEST_F(CreateIUnknownTest, SetupGetsFactoryAndTypeAndItsCountIsGivenBack)
{
    FakeInstance instance(true, 0);
    serve(&instance);
    EXPECT_EQ(CreateIUnknown(kType, kFactory), static_cast<IUnknown*>(&instance));
    EXPECT_EQ(instance.setups, 1);
    EXPECT_EQ(instance.setupFactory, kFactory);
    EXPECT_EQ(instance.setupType, kType);
    EXPECT_EQ(instance.count, 1u);
}

TEST_F(CreateIUnknownTest, FailedSetupReleasesTheObject)
{
    FakeInstance failing(true, int32_t(0x80000008));
    serve(&failing);
    EXPECT_EQ(CreateIUnknown(kType, kFactory), nullptr);
    EXPECT_EQ(failing.setups, 1);
    EXPECT_EQ(failing.count, 0u);
}

TEST_F(CreateIUnknownTest, QueryWithoutInterfaceReleasesTheObject)
{
    FakeInstance silent(false, 0, 0);
    serve(&silent);
    EXPECT_EQ(CreateIUnknown(kType, kFactory), nullptr);
    EXPECT_EQ(silent.count, 0u);
}
