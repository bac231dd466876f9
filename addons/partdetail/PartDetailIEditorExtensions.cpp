#include "PartDetailIEditorExtensions.h"
#include "memapi/IMemAPI.h"

namespace {
constexpr unsigned kLastPart = 15;
} // namespace

PartDetailIEditorExtensions::PartDetailIEditorExtensions(const TAddOnLink& addOn,
                                                         IClientServices* services, QWidget* parent)
    : QWidget(parent), TTovarEditorExtensions(addOn, services)
{
    setObjectName(QStringLiteral("PartDetail"));
    setFixedSize(kWidth, kHeight);
}

int32_t PartDetailIEditorExtensions::EX_postInitialize(IMemAPI* api)
{
    if (!attachMemAPI(api) || !api)
        return NS_MPStatus::ok;
    api->MAPI_assignServer(this, m_part);
    return NS_MPStatus::ok;
}

void PartDetailIEditorExtensions::setLayerNumber(int part)
{
    if (unsigned(part) > kLastPart)
        return;
    m_part = part;
    if (IMemAPI* api = memapi())
        api->MAPI_assignServer(this, part);
}
