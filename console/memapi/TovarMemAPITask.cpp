#include "console/memapi/TovarMemAPITask.h"
#include "console/memapi/TovarIMemAPI.h"
#include "console/model/PrmCtrl.h"
#include "console/model/SynthMemory.h"
#include "utilities/ThreadUtilities.h"

TovarMemAPITask::TovarMemAPITask(IMemAPI* api) : MemAPITask_VANTREL_KXE(api) {}

TovarMemAPITask::~TovarMemAPITask() = default;

bool TovarMemAPITask::deliverOne()
{
    auto* api = static_cast<TovarIMemAPI*>(memAPI());
    api->MAPI_lock(true);
    bool delivered = false;
    CSynthMemory* model = api->memory();
    int element = 0, channel = 0, parameter = 0;
    if (!terminationRequested() && model && model->MultiMap()
        && model->MultiMap()->GetEditorAddressChange(element, channel, parameter)) {
        api->trigerMemAPITask(short(element), short(parameter), short(channel));
        ++m_delivered;
        delivered = true;
    }
    api->MAPI_lock(false);
    return delivered;
}

void TovarMemAPITask::run()
{
    if (!memAPI())
        return;
    while (!terminationRequested()) {
        while (!terminationRequested() && deliverOne()) {
        }
        // Every alert raised while draining is counted, so the loop drains again
        // instead of sleeping; termination wakes the wait.
        if (!waitForWork())
            break;
    }
}

void TovarMemAPITask::processSingleElement(int element)
{
    IMemAPI* api = memAPI();
    if (!api || terminationRequested())
        return;
    auto* tovar = static_cast<TovarIMemAPI*>(api);
    const uint32_t mask = api->MAPI_lcdFlags(nullptr) | api->MAPI_smFlags(nullptr);
    unsigned int blockFlags = 0;
    unsigned char* paramFlags = nullptr;
    int count = tovar->MAPI_getBlkAndParamDirtyFlag(unsigned(element), blockFlags, paramFlags);
    if (count <= 0 || !(blockFlags & mask))
        return;
    while (!terminationRequested() && count >= 1) {
        if (api->MAPI_tryLock() == 0) {
            --count;
            unsigned char address[3] = {0, 0, 0};
            if (tovar->MAPI_getParamAddress(unsigned(element), count, address) == 0)
                alertProxy(short(address[0]), short(address[2]), short(address[1]));
            api->MAPI_lock(false);
        } else {
            NS_Utilities::milisecondDelay(1);
        }
    }
}
