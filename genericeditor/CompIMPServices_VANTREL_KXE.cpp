#include "CompIMPServices_VANTREL_KXE.h"
#include "CompIMPInitialise_VANTREL_KXE.h"
#include "memapi/IMemAPI.h"
#include "utilities/ModuleLocation.h"
#include "utilities/WideString.h"
#include <QDir>
#include <QFileInfo>
#include <QUrl>

CompIMPServices_VANTREL_KXE::CompIMPServices_VANTREL_KXE(IUnknown* outer, const Y_GUID& factoryId,
                                                         bool registration)
    : TCompObject_VANTREL_KXE(NS_HostIds::IID_IMPServices, outer, factoryId, registration)
{
}

CompIMPServices_VANTREL_KXE::~CompIMPServices_VANTREL_KXE() = default;

CompIMPInitialise_VANTREL_KXE* CompIMPServices_VANTREL_KXE::component() const
{
    return outer() ? dynamic_cast<CompIMPInitialise_VANTREL_KXE*>(outer()) : nullptr;
}

QString CompIMPServices_VANTREL_KXE::moduleLocation()
{
    QString id = CompIMPInitialise_VANTREL_KXE::bundleIdentifier;
    const QString resources = NS_Utilities::moduleLocation(&id);
    return resources.isEmpty() ? QString() : QFileInfo(resources).path();
}

int32_t CompIMPServices_VANTREL_KXE::MPRecall(bool upload, IMPClientProgressHandler* handler,
                                              uint32_t features)
{
    CompIMPInitialise_VANTREL_KXE* c = component();
    if (!c)
        return NS_MPStatus::unexpected;
    IMemAPI* api = c->memAPI();
    if (!api)
        return NS_MPStatus::unexpected;
    return api->MAPI_totalRecall(nullptr, upload, features, handler, nullptr);
}

int32_t CompIMPServices_VANTREL_KXE::MPTranslateErrorCode(int32_t code, uint16_t** text)
{
    if (!component() || !text)
        return NS_MPStatus::unexpected;
    *text = CreateOLEString(QString::number(code));
    return NS_MPStatus::ok;
}

int32_t CompIMPServices_VANTREL_KXE::MPTerminateRecall()
{
    CompIMPInitialise_VANTREL_KXE* c = component();
    IMemAPI* api = c ? c->memAPI() : nullptr;
    if (!api)
        return NS_MPStatus::unexpected;
    api->MAPI_cancelRecall();
    return NS_MPStatus::aborted;
}

int32_t CompIMPServices_VANTREL_KXE::MPImageURL(uint16_t** off, uint16_t** on)
{
    if (!component())
        return NS_MPStatus::unexpected;
    const QUrl base = QUrl::fromLocalFile(moduleLocation() + QLatin1Char('/'));
    if (off)
        *off = CreateOLEString(base.resolved(QUrl(QStringLiteral("image_off.png"))).toString());
    if (on)
        *on = CreateOLEString(base.resolved(QUrl(QStringLiteral("image_on.png"))).toString());
    return NS_MPStatus::ok;
}

int32_t CompIMPServices_VANTREL_KXE::MPRecallFeatureSet(uint32_t* count, uint16_t** names,
                                                        uint32_t* current, bool* offline,
                                                        uint32_t* reserved)
{
    CompIMPInitialise_VANTREL_KXE* c = component();
    if (!c)
        return NS_MPStatus::unexpected;
    IMemAPI* api = c->memAPI();
    if (api) {
        const int32_t r = api->MAPI_recallFeatureSet(count, names, current, offline, reserved);
        if (r >= 0)
            return r;
    }
    if (count)
        *count = 1;
    if (names)
        *names = CreateOLEString(QStringLiteral("All;Current"));
    if (current)
        *current = 0;
    if (offline)
        *offline = api ? !(api->MAPI_online() & 1) : true;
    if (reserved)
        *reserved = 0;
    return NS_MPStatus::ok;
}
