#include "CTovarToolbar.h"
#include "tools/imagegen/ImageTable.h"
#include "utilities/ImageRegistry.h"
#include <QCoreApplication>
#include <QLabel>
#include <QMainWindow>
#include <QToolButton>

CTovarToolbar::CTovarToolbar(QMainWindow* parent, const char* name) : QToolBar(parent)
{
    setObjectName(QLatin1String(name ? name : "CTovarToolbar"));
    setMovable(false);
    setFloatable(false);
    if (parent)
        parent->addToolBar(Qt::TopToolBarArea, this);
}

QToolButton* CTovarToolbar::addImageButton(const char* objectName, const char* image, const char* toolTip)
{
    auto* button = new QToolButton(this);
    button->setObjectName(QLatin1String(objectName));
    const QPixmap picture = NS_Utilities::ImageRegistry::pixmap(QLatin1String(image));
    if (!picture.isNull()) {
        const QSize size = picture.deviceIndependentSize().toSize();
        button->setIcon(QIcon(picture));
        button->setIconSize(size);
        // A tool button on a tool bar is drawn at the tool bar's icon size, not at its
        // own: the bar takes its images' size, as the style's larger one would stretch
        // an image that has the pixels for it (the high-density one).
        setIconSize(m_imageSize.isValid() ? m_imageSize.expandedTo(size) : size);
        m_imageSize = iconSize();
    }
    button->setToolTip(QCoreApplication::translate("@tooltips", toolTip));
    button->setAutoRaise(true);
    addWidget(button);
    return button;
}

void CTovarToolbar::CreateCommonButtons()
{
    m_open = addImageButton("OpenButton", NS_Images::kToolbarOpen, QT_TRANSLATE_NOOP("@tooltips", "Open..."));
    m_save = addImageButton("SaveButton", NS_Images::kToolbarSave, QT_TRANSLATE_NOOP("@tooltips", "Save..."));
    addSeparator();
    m_setup = addImageButton("SetupButton", NS_Images::kToolbarSetup, QT_TRANSLATE_NOOP("@tooltips", "Setup..."));
    addSeparator();
    m_transmit = addImageButton("TransmitButton", NS_Images::kToolbarTransmitMulti,
                                QT_TRANSLATE_NOOP("@tooltips", "Transmit Multi Bulk"));
    m_receive = addImageButton("ReceiveButton", NS_Images::kToolbarReceiveMulti,
                               QT_TRANSLATE_NOOP("@tooltips", "Receive Multi Bulk"));
}

void CTovarToolbar::ConnectCommonSignals(QObject* receiver)
{
    connect(m_open, SIGNAL(clicked()), receiver, SLOT(launchOpen()));
    connect(m_setup, SIGNAL(clicked()), receiver, SLOT(launchSetup()));
    connect(m_save, SIGNAL(clicked()), receiver, SLOT(launchSave()));
    connect(m_transmit, SIGNAL(clicked()), receiver, SLOT(launchTransmit()));
    connect(m_receive, SIGNAL(clicked()), receiver, SLOT(launchReceive()));
}

void CTovarToolbar::languageChange()
{
}

void CTovarToolbar::SetDisplayString(const QString& text)
{
    if (m_documentName)
        m_documentName->setText(text);
}

void CTovarToolbar::OnDirty(bool)
{
}
