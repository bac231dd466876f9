#pragma once
// Identifiers of the plug-in service: 16 bytes in text order.
#include "vantrel_platform_export.h"
#include <QUuid>
#include <cstdint>

namespace NS_Platform {

class VANTREL_PLATFORM_EXPORT PlatformUuid
{
public:
    // A new random identifier. Any thread.
    static QUuid newIdentifier();
    // The identifier whose text-order bytes are bytes[0..15].
    static QUuid fromBytes(const uint8_t* bytes);
    // Writes the identifier's 16 bytes in text order.
    static void toBytes(const QUuid& id, uint8_t* bytes);
};

} // namespace NS_Platform
