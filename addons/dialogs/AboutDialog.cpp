#include "AboutDialog.h"
#include "DialogsEditorRegistry.h"
#include "DialogsIEditorExtensions.h"
#include "tools/imagegen/ImageTable.h"
#include "utilities/ImageRegistry.h"
#include <QIcon>
#include <QPointer>

namespace {

constexpr QSize kSize(379, 228);

QPixmap image(const char* name)
{
    return NS_Utilities::ImageRegistry::pixmap(QLatin1String(name));
}

} // namespace

AboutDialog::AboutDialog(QWidget* parent, const char* name, bool modal, Qt::WindowFlags flags)
    : CTovarDialog(parent, name, "AboutDialog", modal, flags)
{
    ui.setupUi(this);
    ui.IconPixmapLabel->setPixmap(image(NS_Images::kProgramIcon32));
    ui.PlexonLogoLabel->setPixmap(image(NS_Images::kPluginHostLogo));
    ui.PlexonLogoLabel2->setPixmap(image(NS_Images::kPluginHostLogo2));
    ui.StudioLogoLabel->setPixmap(image(NS_Images::kStudioIntegrationLogo));
    languageChange();
    // The box cannot be resized.
    setFixedSize(kSize.expandedTo(minimumSizeHint()));
}

void AboutDialog::languageChange()
{
    ui.retranslateUi(this);
    ui.VersionTextLabel->setText(tr("TOVAR-VANTREL Multi Editor Ver: 0.0.0"));
    ui.CopyrightTextLabel->setText(tr("Copyright (C) Halvorsk Instruments.\nAll rights reserved."));
    ui.PlexonTextLabel->setText(tr("Plexon is a trademark of Halvorsk Instruments."));
    ui.StudioTextLabel->setText(tr("StudioWeave is a trademark of Halvorsk Instruments."));
}

void AboutDialog::execute()
{
    const QString version = tr("TOVAR-VANTREL Multi Editor") + QStringLiteral(" Ver: ") + QLatin1String(kVersion);
    ui.VersionTextLabel->setText(version);
    ui.CopyrightTextLabel->setText(tr("Copyright (C) Halvorsk Instruments.\nAll rights reserved."));
    ui.IconPixmapLabel->setPixmap(image(NS_Images::kProgramIcon32));
    setWindowIcon(QIcon(image(NS_Images::kProgramIcon16)));
    QPointer<AboutDialog> self(this);
    exec();
    if (self)
        deleteLater();
}

namespace {

QWidget* createAbout(const TDialogsCreateContext& c)
{
    return new DialogsIEditorExtensions<AboutDialog>(c.addOn, c.services, c.parent, "About box", QStringLiteral("About"));
}

const DialogsEditorRegistration registration(NS_DialogsIds::kAbout, NS_DialogsIds::kAbout, &createAbout);

} // namespace
