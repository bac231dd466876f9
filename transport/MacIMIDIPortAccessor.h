#pragma once
// The platform's MIDI ports, through the MIDI service.
#include "transport/UniIMIDIPortAccessor.h"

namespace NS_Platform {
class MidiService;
}

class VANTREL_TRANSPORT_EXPORT MacIMIDIPortAccessor : public UniIMIDIPortAccessor
{
public:
    // Without a service, the process-wide one.
    MacIMIDIPortAccessor(const QString& domain, const QString& product,
                         NS_Platform::MidiService* service = nullptr);
    ~MacIMIDIPortAccessor() override;

    // Sources for input, destinations for output; names get "<[Inp]>" or "<[Out]>",
    // and an endpoint without a name is "Port #<index + 1>".
    QString identifierForIndex(int index, bool output) override;
    int getNumberOfPlugs(bool output) override;

private:
    NS_Platform::MidiService* m_service;
};

// A new platform accessor on which init() has run; Release() it.
VANTREL_TRANSPORT_EXPORT IMIDIPortAccessor* MIDIPortAccessor(const QString& domain,
                                                             const QString& product);
