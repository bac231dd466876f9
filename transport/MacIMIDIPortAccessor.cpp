#include "MacIMIDIPortAccessor.h"
#include "platform/MidiService.h"

MacIMIDIPortAccessor::MacIMIDIPortAccessor(const QString& domain, const QString& product,
                                           NS_Platform::MidiService* service)
    : UniIMIDIPortAccessor(domain, product),
      m_service(service ? service : &NS_Platform::MidiService::system())
{
}

MacIMIDIPortAccessor::~MacIMIDIPortAccessor() = default;

int MacIMIDIPortAccessor::getNumberOfPlugs(bool output)
{
    return output ? m_service->numberOfDestinations() : m_service->numberOfSources();
}

QString MacIMIDIPortAccessor::identifierForIndex(int index, bool output)
{
    const NS_Platform::MidiRef endpoint =
        output ? m_service->destination(index) : m_service->source(index);
    if (!endpoint)
        return QString();
    QString name = m_service->endpointName(endpoint);
    if (name.isEmpty())
        name = QStringLiteral("Port #%1").arg(index + 1);
    name += output ? QLatin1String("<[Out]>") : QLatin1String("<[Inp]>");
    return name;
}

IMIDIPortAccessor* MIDIPortAccessor(const QString& domain, const QString& product)
{
    auto* accessor = new MacIMIDIPortAccessor(domain, product);
    accessor->init();
    return accessor;
}
