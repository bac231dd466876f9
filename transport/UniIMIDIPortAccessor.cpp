#include "UniIMIDIPortAccessor.h"
#include "TMIDITransport.h"
#include "utilities/YGuid.h"
#include <QSettings>
#include <QStringList>

namespace {

QString namesKey(bool output)
{
    return output ? QStringLiteral("/preferences/SystemPorts/Output/portNames")
                  : QStringLiteral("/preferences/SystemPorts/Input/portNames");
}

QString idsKey(bool output)
{
    return output ? QStringLiteral("/preferences/SystemPorts/Output/portIds")
                  : QStringLiteral("/preferences/SystemPorts/Input/portIds");
}

QUuid newIdentifier()
{
    Y_GUID guid;
    CoCreateGuid(&guid);
    return Guid2QUuid(guid);
}

QString namePart(const QString& descriptor)
{
    const int at = descriptor.indexOf(QLatin1Char(';'));
    return at < 0 ? QString() : descriptor.mid(at + 1);
}

} // namespace

UniIMIDIPortAccessor::UniIMIDIPortAccessor(const QString& domain, const QString& product)
    : m_domain(domain), m_product(product)
{
}

UniIMIDIPortAccessor::~UniIMIDIPortAccessor() = default;

void UniIMIDIPortAccessor::init()
{
    QSettings settings(QSettings::UserScope, m_domain, m_product);
    for (bool output : {false, true}) {
        const QStringList names = settings.value(namesKey(output)).toStringList();
        const QStringList ids = settings.value(idsKey(output)).toStringList();
        TSystemMIDIMap& map = output ? m_outputs : m_inputs;
        map.clear();
        const int count = getNumberOfPlugs(output);
        for (int i = 1; i <= count; ++i) {
            const QString descriptor =
                QString::number(i) + QLatin1Char(';') + identifierForIndex(i - 1, output);
            QUuid id;
            const int at = names.indexOf(descriptor);
            if (at >= 0 && at < ids.size())
                id = QUuid(ids.at(at));
            // A damaged or repeated stored identifier would merge two ports.
            if (id.isNull() || map.contains(id))
                id = newIdentifier();
            map.insert(id, descriptor);
        }
    }
}

void UniIMIDIPortAccessor::Release()
{
    {
        QSettings settings(QSettings::UserScope, m_domain, m_product);
        for (bool output : {false, true}) {
            QStringList names = settings.value(namesKey(output)).toStringList();
            QStringList ids = settings.value(idsKey(output)).toStringList();
            const TSystemMIDIMap& map = output ? m_outputs : m_inputs;
            for (auto it = map.cbegin(); it != map.cend(); ++it) {
                const QString text = it.key().toString();
                if (!ids.contains(text)) {
                    names.append(it.value());
                    ids.append(text);
                }
            }
            settings.setValue(namesKey(output), names);
            settings.setValue(idsKey(output), ids);
        }
    }
    delete this;
}

QUuid UniIMIDIPortAccessor::portIdentity(const QString& name, bool)
{
    for (const TSystemMIDIMap* map : {&m_inputs, &m_outputs})
        for (auto it = map->cbegin(); it != map->cend(); ++it)
            if (namePart(it.value()) == name)
                return it.key();
    return QUuid();
}

QString UniIMIDIPortAccessor::portName(const QUuid& id)
{
    if (m_inputs.contains(id))
        return m_inputs.value(id);
    if (m_outputs.contains(id))
        return m_outputs.value(id);
    return QStringLiteral("<unknown port name>");
}

int UniIMIDIPortAccessor::numberOfPlugs(bool output)
{
    return int((output ? m_outputs : m_inputs).size());
}

const TSystemMIDIMap& UniIMIDIPortAccessor::plugs(bool output)
{
    return output ? m_outputs : m_inputs;
}
