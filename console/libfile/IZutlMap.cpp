#include "console/libfile/IZutlMap.h"

IZutlMap::~IZutlMap() = default;

int IZutlMap::libraryTemplateLine(const QString&, const QString&) const
{
    return 0;
}

bool IZutlMap::hasLinkedMap() const
{
    return false;
}

bool IZutlMap::writeLinkedImage(QIODevice*)
{
    return false;
}

bool IZutlMap::readLinkedImage(QIODevice*)
{
    return false;
}
