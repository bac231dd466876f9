#include "widgets/TCachedData.h"

TCachedData::TCachedData() = default;
TCachedData::~TCachedData() = default;
