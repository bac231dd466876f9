#include "DocumentValueReader.h"
#include <QByteArray>
#include <QMetaType>

namespace NS_DocumentValues {

bool isFlatType(int typeId)
{
    switch (typeId) {
    case QMetaType::Bool:
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Double:
    case QMetaType::QString:
    case QMetaType::QByteArray:
    case QMetaType::QUuid:
    case QMetaType::QRect:
    case QMetaType::QSize:
    case QMetaType::QPoint:
        return true;
    default:
        return false;
    }
}

bool readValue(QDataStream& stream, QVariant& out)
{
    // The toolkit's form: type number, null flag, then the value itself. Older stream
    // versions number the types differently; this program writes only its own.
    if (stream.version() < QDataStream::Qt_6_0) {
        stream.setStatus(QDataStream::ReadCorruptData);
        return false;
    }
    quint32 typeId = 0;
    qint8 isNull = 0;
    stream >> typeId >> isNull;
    if (stream.status() != QDataStream::Ok)
        return false;
    if (typeId == QMetaType::UnknownType) {
        out = QVariant();
        return true;
    }
    if (!isFlatType(int(typeId))) {
        stream.setStatus(QDataStream::ReadCorruptData);
        return false;
    }
    const QMetaType type{int(typeId)};
    QVariant value(type);
    if (!type.load(stream, value.data())) {
        stream.setStatus(QDataStream::ReadCorruptData);
        return false;
    }
    if (stream.status() != QDataStream::Ok)
        return false;
    // A value saved null comes back null, as the toolkit's own reader gives it.
    out = isNull ? QVariant(type) : value;
    return true;
}

} // namespace NS_DocumentValues
