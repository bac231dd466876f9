#include "PlatformFileCodes.h"
#include <QFileInfo>

namespace NS_Platform {

bool PlatformFileCodes::setTypeAndCreator(const QString& path, uint32_t type, uint32_t creator)
{
    Q_UNUSED(type);
    Q_UNUSED(creator);
    return !path.isEmpty() && QFileInfo::exists(path);
}

bool PlatformFileCodes::setCreator(const QString& path, uint32_t creator)
{
    return setTypeAndCreator(path, 0, creator);
}

} // namespace NS_Platform
