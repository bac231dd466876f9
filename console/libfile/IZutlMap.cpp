#include "console/libfile/IZutlMap.h"

IZutlMap::~IZutlMap() = default;

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
