#include "LayerIEditorExtensions.h"
#include "addons/shell/EX_postInitializeHelper.h"

LayerIEditorExtensions::LayerIEditorExtensions(const TAddOnLink& addOn, IClientServices* services,
                                               QWidget* parent, const char* name)
    : QFrame(parent), TTovarEditorExtensions(addOn, services)
{
    if (name)
        setObjectName(QString::fromLatin1(name));
    setFixedSize(kWidth, kHeight);
}

int32_t LayerIEditorExtensions::EX_postInitialize(IMemAPI* api)
{
    if (!attachMemAPI(api))
        return NS_MPStatus::ok;
    // Each channel strip serves its part: the strips in creation order get parts 0 to 15.
    EX_postInitializeHelper(this, api, "ChannelStrip", 0, 1, nullptr);
    return NS_MPStatus::ok;
}
