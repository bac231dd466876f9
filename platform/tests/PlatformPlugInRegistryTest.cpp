#include "platform/PlatformPlugInRegistry.h"
#include "platform/PlatformUuid.h"
#include <gtest/gtest.h>
#include <thread>
#include <vector>

using NS_Platform::PlatformPlugInRegistry;
using NS_Platform::PlatformUuid;

TEST(PlatformPlugInRegistry, CreatesOnlyForRegisteredFactoryAndType)
{
    const QUuid factory = PlatformUuid::newIdentifier();
    const QUuid type = PlatformUuid::newIdentifier();
    const QUuid otherType = PlatformUuid::newIdentifier();
    static int object = 0;
    int calls = 0;
    QUuid askedFor;

    EXPECT_EQ(PlatformPlugInRegistry::createInstance(factory, type), nullptr);
    EXPECT_FALSE(PlatformPlugInRegistry::registerFactoryFunction(factory, {}));
    EXPECT_FALSE(PlatformPlugInRegistry::registerFactoryFunction(QUuid(), [](const QUuid&) -> void* { return nullptr; }));
    ASSERT_TRUE(PlatformPlugInRegistry::registerFactoryFunction(factory, [&](const QUuid& t) -> void* {
        ++calls;
        askedFor = t;
        return &object;
    }));
    // Known factory, type not declared.
    EXPECT_EQ(PlatformPlugInRegistry::createInstance(factory, type), nullptr);
    PlatformPlugInRegistry::registerType(factory, type);
    EXPECT_EQ(PlatformPlugInRegistry::createInstance(factory, type), &object);
    EXPECT_EQ(askedFor, type);
    EXPECT_EQ(PlatformPlugInRegistry::createInstance(factory, otherType), nullptr);
    EXPECT_EQ(calls, 1);

    PlatformPlugInRegistry::unregisterFactory(factory);
    EXPECT_EQ(PlatformPlugInRegistry::createInstance(factory, type), nullptr);
    EXPECT_EQ(calls, 1);
}

TEST(PlatformPlugInRegistry, TypesBeforeTheFactoryAreIgnored)
{
    const QUuid factory = PlatformUuid::newIdentifier();
    const QUuid type = PlatformUuid::newIdentifier();
    PlatformPlugInRegistry::registerType(factory, type);
    PlatformPlugInRegistry::registerFactoryFunction(factory, [](const QUuid&) -> void* { return reinterpret_cast<void*>(1); });
    EXPECT_EQ(PlatformPlugInRegistry::createInstance(factory, type), nullptr);
    PlatformPlugInRegistry::unregisterFactory(factory);
}

TEST(PlatformPlugInRegistry, FactoryFunctionMayRegisterItsInstance)
{
    const QUuid factory = PlatformUuid::newIdentifier();
    const QUuid type = PlatformUuid::newIdentifier();
    static int object = 0;
    PlatformPlugInRegistry::registerFactoryFunction(factory, [factory](const QUuid&) -> void* {
        // Runs outside the registry's lock.
        PlatformPlugInRegistry::addInstanceForFactory(factory);
        return &object;
    });
    PlatformPlugInRegistry::registerType(factory, type);
    EXPECT_EQ(PlatformPlugInRegistry::createInstance(factory, type), &object);
    EXPECT_EQ(PlatformPlugInRegistry::instanceCount(factory), 1);
    PlatformPlugInRegistry::removeInstanceForFactory(factory);
    PlatformPlugInRegistry::unregisterFactory(factory);
}

TEST(PlatformPlugInRegistry, InstanceCountsFollowAddAndRemoveFromAnyThread)
{
    const QUuid factory = PlatformUuid::newIdentifier();
    const QUuid other = PlatformUuid::newIdentifier();
    EXPECT_EQ(PlatformPlugInRegistry::instanceCount(factory), 0);
    PlatformPlugInRegistry::removeInstanceForFactory(factory); // unmatched: ignored
    EXPECT_EQ(PlatformPlugInRegistry::instanceCount(factory), 0);

    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t)
        threads.emplace_back([factory] {
            for (int i = 0; i < 1000; ++i)
                PlatformPlugInRegistry::addInstanceForFactory(factory);
            for (int i = 0; i < 500; ++i)
                PlatformPlugInRegistry::removeInstanceForFactory(factory);
        });
    for (auto& th : threads)
        th.join();
    EXPECT_EQ(PlatformPlugInRegistry::instanceCount(factory), 2000);
    EXPECT_EQ(PlatformPlugInRegistry::instanceCount(other), 0);
    for (int i = 0; i < 2001; ++i)
        PlatformPlugInRegistry::removeInstanceForFactory(factory);
    EXPECT_EQ(PlatformPlugInRegistry::instanceCount(factory), 0);
}
