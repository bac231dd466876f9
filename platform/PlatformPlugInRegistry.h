#pragma once
// Process-wide plug-in service: factory functions registered by factory identifier,
// the types each factory makes, and a count of live instances per factory.
// Any thread; every operation takes the registry's own lock, and factory functions
// run outside it.
#include "vantrel_platform_export.h"
#include <QUuid>
#include <functional>

namespace NS_Platform {

class VANTREL_PLATFORM_EXPORT PlatformPlugInRegistry
{
public:
    // Makes an object of the given type, or returns null. The result is the object's
    // reference-counted interface, handed over with one count.
    using FactoryFunction = std::function<void*(const QUuid& type)>;

    // A later registration of the same factory replaces the function.
    static bool registerFactoryFunction(const QUuid& factory, FactoryFunction function);
    // Forgets the function and the factory's types; live instances stay counted.
    static void unregisterFactory(const QUuid& factory);
    // Declares that the factory makes objects of that type.
    static void registerType(const QUuid& factory, const QUuid& type);

    // The factory's function called with the type, when the factory is registered
    // for that type; null otherwise.
    static void* createInstance(const QUuid& factory, const QUuid& type);

    // Objects made with registration count themselves here while they live.
    static void addInstanceForFactory(const QUuid& factory);
    // An unmatched removal is ignored.
    static void removeInstanceForFactory(const QUuid& factory);
    static int instanceCount(const QUuid& factory);
};

} // namespace NS_Platform
