#pragma once
// Port accessor that keeps the identifiers of the platform's ports in the user
// settings, so that a port keeps its identifier while its number and name stay.
#include "utilities/interfaces/IMIDIPortAccessor.h"
#include "vantrel_kxe21_transport_export.h"

class VANTREL_TRANSPORT_EXPORT UniIMIDIPortAccessor : public IMIDIPortAccessor
{
public:
    UniIMIDIPortAccessor(const QString& domain, const QString& product);
    virtual ~UniIMIDIPortAccessor();

    // Fills both maps from the platform's ports and the stored identifiers.
    void init();
    // Stores the identifiers of new ports (stored ones are never removed), then deletes.
    void Release() override;
    QUuid portIdentity(const QString& name, bool output) override;
    QString portName(const QUuid& id) override;
    int numberOfPlugs(bool output) override;
    const TSystemMIDIMap& plugs(bool output) override;

    // The platform's port at the 0-based index: its name with the direction marker,
    // or empty when there is none.
    virtual QString identifierForIndex(int index, bool output) = 0;
    virtual int getNumberOfPlugs(bool output) = 0;

private:
    TSystemMIDIMap m_inputs;
    TSystemMIDIMap m_outputs;
    QString m_domain;
    QString m_product;
};
