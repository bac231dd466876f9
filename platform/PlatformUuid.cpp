#include "PlatformUuid.h"
#include <cstring>

namespace NS_Platform {

QUuid PlatformUuid::newIdentifier()
{
    return QUuid::createUuid();
}

QUuid PlatformUuid::fromBytes(const uint8_t* bytes)
{
    return QUuid::fromRfc4122(QByteArrayView(reinterpret_cast<const char*>(bytes), 16));
}

void PlatformUuid::toBytes(const QUuid& id, uint8_t* bytes)
{
    const QByteArray rfc = id.toRfc4122();
    std::memcpy(bytes, rfc.constData(), 16);
}

} // namespace NS_Platform
