// The two monitor transmissions, through the companion's voice-data interface; without
// one nothing is sent.
#include "ITransmitAction.h"
#include "console/memapi/ITovarVoiceData.h"
#include "memapi/IMemAPI.h"
#include <QObject>

namespace {

ITovarVoiceData* voiceData(IMemAPI* api)
{
    return api ? dynamic_cast<ITovarVoiceData*>(api->MAPI_qself()) : nullptr;
}

} // namespace

void MonitorEditVoiceAction::Transmit(IMemAPI* api)
{
    ITovarVoiceData* data = voiceData(api);
    if (!data)
        return;
    short bank = 0;
    short number = 0;
    bool flag = false;
    data->getEditBufferVoice(bank, number, flag);
    if (!flag)
        data->monitorEditBuffVoice(bank, number);
}

void MonitorVoiceAction::Transmit(IMemAPI* api)
{
    ITovarVoiceData* data = voiceData(api);
    if (!data)
        return;
    short bank = 0;
    short number = 0;
    bool flag = false;
    data->getEditBufferVoice(bank, number, flag);
    data->monitorVoice(bank, number);
}
