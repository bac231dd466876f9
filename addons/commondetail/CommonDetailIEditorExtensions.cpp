#include "CommonDetailIEditorExtensions.h"
#include "memapi/IMemAPI.h"

CommonDetailIEditorExtensions::CommonDetailIEditorExtensions(const TAddOnLink& addOn,
                                                             IClientServices* services,
                                                             QWidget* parent)
    : QWidget(parent), TTovarEditorExtensions(addOn, services)
{
    setObjectName(QStringLiteral("CommonDetail"));
    setFixedSize(kWidth, kHeight);
}

int32_t CommonDetailIEditorExtensions::EX_postInitialize(IMemAPI* api)
{
    if (!attachMemAPI(api) || !api)
        return NS_MPStatus::ok;
    api->MAPI_assignServer(this, 0);
    return NS_MPStatus::ok;
}
