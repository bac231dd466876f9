#include "YGuid.h"
#include <cstring>

QUuid Guid2QUuid(const Y_GUID& guid)
{
    return QUuid::fromRfc4122(QByteArrayView(reinterpret_cast<const char*>(&guid), 16));
}

Y_GUID QUuid2Guid(const QUuid& uuid)
{
    Y_GUID guid;
    const QByteArray bytes = uuid.toRfc4122();
    std::memcpy(&guid, bytes.constData(), 16);
    return guid;
}
