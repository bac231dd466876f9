#include "PlatformPlugInRegistry.h"
#include <QHash>
#include <QMutex>
#include <QMutexLocker>
#include <QSet>

namespace NS_Platform {

namespace {

struct Factory
{
    PlatformPlugInRegistry::FactoryFunction function;
    QSet<QUuid> types;
};

struct Registry
{
    QMutex mutex;
    QHash<QUuid, Factory> factories;
    QHash<QUuid, int> instances;
};

Registry& registry()
{
    static Registry r;
    return r;
}

} // namespace

bool PlatformPlugInRegistry::registerFactoryFunction(const QUuid& factory, FactoryFunction function)
{
    if (factory.isNull() || !function)
        return false;
    Registry& r = registry();
    QMutexLocker lock(&r.mutex);
    r.factories[factory].function = std::move(function);
    return true;
}

void PlatformPlugInRegistry::unregisterFactory(const QUuid& factory)
{
    Registry& r = registry();
    QMutexLocker lock(&r.mutex);
    r.factories.remove(factory);
}

void PlatformPlugInRegistry::registerType(const QUuid& factory, const QUuid& type)
{
    Registry& r = registry();
    QMutexLocker lock(&r.mutex);
    auto it = r.factories.find(factory);
    if (it != r.factories.end())
        it->types.insert(type);
}

void* PlatformPlugInRegistry::createInstance(const QUuid& factory, const QUuid& type)
{
    FactoryFunction function;
    {
        Registry& r = registry();
        QMutexLocker lock(&r.mutex);
        auto it = r.factories.constFind(factory);
        if (it == r.factories.constEnd() || !it->types.contains(type))
            return nullptr;
        function = it->function;
    }
    // Outside the lock: the new object may register itself as an instance.
    return function(type);
}

void PlatformPlugInRegistry::addInstanceForFactory(const QUuid& factory)
{
    Registry& r = registry();
    QMutexLocker lock(&r.mutex);
    ++r.instances[factory];
}

void PlatformPlugInRegistry::removeInstanceForFactory(const QUuid& factory)
{
    Registry& r = registry();
    QMutexLocker lock(&r.mutex);
    auto it = r.instances.find(factory);
    if (it == r.instances.end())
        return;
    if (--it.value() <= 0)
        r.instances.erase(it);
}

int PlatformPlugInRegistry::instanceCount(const QUuid& factory)
{
    Registry& r = registry();
    QMutexLocker lock(&r.mutex);
    return r.instances.value(factory, 0);
}

} // namespace NS_Platform
