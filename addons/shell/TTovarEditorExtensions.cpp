#include "TTovarEditorExtensions.h"

TTovarEditorExtensions::TTovarEditorExtensions(const TAddOnLink& addOn, IClientServices* services)
    : m_addOn(addOn), m_services(services)
{
}

int32_t TTovarEditorExtensions::ppd_save(QVariant*)
{
    return NS_MPStatus::ok;
}

int32_t TTovarEditorExtensions::ppd_load(const QVariant*)
{
    return NS_MPStatus::ok;
}

int32_t TTovarEditorExtensions::EX_module(IGenericEditorPluginInterface** out)
{
    if (!out)
        return NS_MPStatus::failure;
    *out = m_addOn.get();
    return *out ? NS_MPStatus::ok : NS_MPStatus::failure;
}

bool TTovarEditorExtensions::attachMemAPI(IMemAPI* api)
{
    if (api == m_memAPI)
        return false;
    m_memAPI = api;
    return true;
}
