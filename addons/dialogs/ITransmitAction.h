#pragma once
// What a transmit-progress window sends when it runs: one monitor transmission of a
// voice. Owned and deleted by the window, through the virtual destructor.
class IMemAPI;

class ITransmitAction
{
public:
    virtual ~ITransmitAction() = default;
    virtual void Transmit(IMemAPI* api) = 0;
};

// Sends the voice in the edit buffer, unless the edit buffer reports its flag set.
class MonitorEditVoiceAction : public ITransmitAction
{
public:
    void Transmit(IMemAPI* api) override;
};

// Sends the voice the edit buffer came from, whatever the flag.
class MonitorVoiceAction : public ITransmitAction
{
public:
    void Transmit(IMemAPI* api) override;
};
