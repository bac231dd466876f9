#include "memapi/IMemAPI.h"

IMemAPI::~IMemAPI() = default;
