#include "EditorIPrefsQuery_VANTREL_KXE.h"
#include "DocumentValueReader.h"
#include "genericeditor/interfaces/HostInterfaces.h"
#include "utilities/interfaces/IClientServices.h"
#include <QDataStream>
#include <QIODevice>
#include <QMutexLocker>
#include <QUuid>

namespace {

constexpr int32_t kNoDefault = int32_t(0xDEADBEEF);

// (property, value) pairs ended by a negative number; kNoDefault rows give nothing.
constexpr int32_t kDefaults[] = {
    0, 0,
    1, 1,
    2, 1,
    3, 1,
    4, 1,
    10, 1,
    8, kNoDefault,
    9, kNoDefault,
    -1,
};

} // namespace

EditorIPrefsQuery_VANTREL_KXE::EditorIPrefsQuery_VANTREL_KXE(IPrefsOwner_VANTREL_KXE* owner)
    : m_owner(owner)
{
    setDefaults();
}

EditorIPrefsQuery_VANTREL_KXE::~EditorIPrefsQuery_VANTREL_KXE() = default;

void EditorIPrefsQuery_VANTREL_KXE::setDefaults()
{
    QMutexLocker lock(&m_mutex);
    for (int i = 0; kDefaults[i] >= 0; i += 2) {
        const int id = kDefaults[i];
        if (kDefaults[i + 1] == kNoDefault || m_values.contains(id))
            continue;
        m_defaults.insert(id, QVariant(int(kDefaults[i + 1])));
    }
    const QString nullId = QUuid().toString();
    for (int id : {int(kInstrumentInPort), int(kInstrumentOutPort)}) {
        if (!m_values.contains(id))
            m_defaults.insert(id, QVariant(nullId));
    }
}

QVariant EditorIPrefsQuery_VANTREL_KXE::getProperty(int id) const
{
    QMutexLocker lock(&m_mutex);
    auto it = m_values.constFind(id);
    if (it != m_values.cend())
        return it.value();
    return m_defaults.value(id);
}

QUuid EditorIPrefsQuery_VANTREL_KXE::getGUID(bool output) const
{
    return QUuid::fromString(getProperty(output ? kInstrumentOutPort : kInstrumentInPort).toString());
}

int32_t EditorIPrefsQuery_VANTREL_KXE::setProperty(int id, const QVariant& value)
{
    QMutexLocker lock(&m_mutex);
    m_values.insert(id, value);
    return 0;
}

bool EditorIPrefsQuery_VANTREL_KXE::propertyValueAvailable(int id, QVariant* out) const
{
    QMutexLocker lock(&m_mutex);
    auto it = m_values.constFind(id);
    if (it == m_values.cend())
        return false;
    if (out)
        *out = it.value();
    return true;
}

QVariant EditorIPrefsQuery_VANTREL_KXE::getDefault(int id) const
{
    QMutexLocker lock(&m_mutex);
    return m_defaults.value(id);
}

void EditorIPrefsQuery_VANTREL_KXE::setDefault(int id, const QVariant& value)
{
    QMutexLocker lock(&m_mutex);
    m_defaults.insert(id, value);
}

int32_t EditorIPrefsQuery_VANTREL_KXE::getClientInfo(IMPClientInfo** info)
{
    IUnknown* host = m_owner ? m_owner->prefsHost() : nullptr;
    if (!info || !host)
        return NS_MPStatus::failure;
    void* object = nullptr;
    const int32_t status = host->QueryInterface(NS_HostIds::IID_IMPClientInfo, &object);
    *info = static_cast<IMPClientInfo*>(object);
    return status;
}

int32_t EditorIPrefsQuery_VANTREL_KXE::writeToStream(QDataStream& stream)
{
    QMutexLocker lock(&m_mutex);
    stream << m_values;
    return 0;
}

int32_t EditorIPrefsQuery_VANTREL_KXE::readFromStream(QDataStream& stream)
{
    // Read pair by pair: a stream that ends early keeps the pairs read so far. A value
    // of a type the preferences never hold comes from a damaged or crafted project:
    // the whole map is refused and the values stay as they were.
    QMap<int, QVariant> values;
    quint32 count = 0;
    stream >> count;
    for (quint32 i = 0; i < count && stream.status() == QDataStream::Ok; ++i) {
        if (stream.device() && stream.device()->atEnd())
            break;
        qint32 id = 0;
        QVariant value;
        stream >> id;
        if (stream.status() != QDataStream::Ok || !NS_DocumentValues::readValue(stream, value))
            break;
        values.insert(id, value);
    }
    if (stream.status() == QDataStream::ReadCorruptData)
        return NS_MPStatus::failure;
    QMutexLocker lock(&m_mutex);
    m_values = values;
    return 0;
}

int32_t EditorIPrefsQuery_VANTREL_KXE::writeUIPrefsToStream(QDataStream& stream)
{
    IClientServices* server = m_owner ? m_owner->prefsClientServices() : nullptr;
    if (!server)
        return NS_MPStatus::failure;
    return server->CS_saveViaStream(stream);
}

int32_t EditorIPrefsQuery_VANTREL_KXE::readUIPrefsFromStream(QDataStream& stream)
{
    IClientServices* server = m_owner ? m_owner->prefsClientServices() : nullptr;
    if (!server)
        return NS_MPStatus::failure;
    return server->CS_loadViaStream(stream);
}
