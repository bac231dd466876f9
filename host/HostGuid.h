#pragma once
// Identifiers between the toolkit's text form and the boundary's byte form (the 16
// bytes in text order).
#include "utilities/YGuid.h"
#include <QByteArray>
#include <QUuid>
#include <cstring>

namespace NS_Host {

inline Y_GUID toGuid(const QUuid& id)
{
    Y_GUID g;
    const QByteArray bytes = id.toRfc4122();
    std::memcpy(&g, bytes.constData(), sizeof g);
    return g;
}

inline QUuid toUuid(const Y_GUID& g)
{
    return QUuid::fromRfc4122(QByteArrayView(reinterpret_cast<const char*>(&g), sizeof g));
}

} // namespace NS_Host
