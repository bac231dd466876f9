#include "TNamedParameter.h"
#include "memapi/IMemAPI.h"

bool TNamedParameter::resolve(IMemAPI* api, const QString& name)
{
    valid = false;
    if (!api || name.isEmpty())
        return false;
    IMemAPI::TCompleteAddress address;
    api->MAPI_parse(address, &name);
    if (address.records && address.count > 0) {
        element = address.records[0].element;
        channel = address.records[0].channel;
        parameter = address.records[0].parameter;
        valid = true;
    }
    // The parser's array is the caller's.
    delete[] address.records;
    return valid;
}
