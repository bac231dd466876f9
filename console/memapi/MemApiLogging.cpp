#include "console/memapi/MemApiLogging.h"

const QLoggingCategory& lcMemApi()
{
    static const QLoggingCategory category("tovar.memapi");
    return category;
}
