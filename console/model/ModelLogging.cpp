#include "ModelLogging.h"

const QLoggingCategory& lcModel()
{
    static const QLoggingCategory category("tovar.model");
    return category;
}
