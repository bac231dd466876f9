#include "memapi/TMemProxyBasic.h"

TMemProxyBasic::TMemProxyBasic() = default;
TMemProxyBasic::~TMemProxyBasic() = default;

bool TMemProxyBasic::autoUndoDisabled()
{
    return false;
}
