#pragma once
// Asked before a popup choice takes effect; 0 lets it go ahead.
#include <cstdint>

class QWidget;

namespace NS_Utilities {

class IConfirmUserAction
{
public:
    virtual int32_t confirm(QWidget* popup, int oldPosition, int newPosition) = 0;

protected:
    ~IConfirmUserAction() = default;
};

} // namespace NS_Utilities
