#include "VoiceListCategory.h"
#include "DialogsEditorRegistry.h"
#include "DialogsIEditorExtensions.h"
#include <QPointer>

namespace {
constexpr QSize kMinimumSize(492, 352);
} // namespace

VoiceListCategory::VoiceListCategory(QWidget* parent, const char* name, bool modal, Qt::WindowFlags flags)
    : CTovarDialog(parent, name, "VoiceListCategory", modal, flags)
{
    ui.setupUi(this);
    languageChange();
    setMinimumSize(minimumSizeHint().expandedTo(kMinimumSize));
    resize(minimumSize());
    connect(ui.OKButton, &QPushButton::clicked, this, &VoiceListCategory::accept);
    connect(ui.CancelButton, &QPushButton::clicked, this, &VoiceListCategory::reject);
}

void VoiceListCategory::languageChange()
{
    ui.retranslateUi(this);
}

void VoiceListCategory::execute()
{
    QPointer<VoiceListCategory> self(this);
    exec();
    if (self)
        deleteLater();
}

namespace {

QWidget* createVoiceListCategory(const TDialogsCreateContext& c)
{
    return new DialogsIEditorExtensions<VoiceListCategory>(c.addOn, c.services, c.parent, nullptr,
                                                           QStringLiteral("Voice List"));
}

const DialogsEditorRegistration registration(NS_DialogsIds::kVoiceListCategory, NS_DialogsIds::kVoiceListCategory,
                                             &createVoiceListCategory);

} // namespace
