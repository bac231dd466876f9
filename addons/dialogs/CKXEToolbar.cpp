#include "CKXEToolbar.h"
#include "tools/imagegen/ImageTable.h"
#include <QLabel>
#include <QToolButton>

CKXEToolbar::CKXEToolbar(QMainWindow* parent, const char* name) : CTovarToolbar(parent, name)
{
}

void CKXEToolbar::CreateButtons()
{
    CreateCommonButtons();
    addSeparator();
    m_mixer = addImageButton("MixerButton", NS_Images::kToolbarMixer, QT_TRANSLATE_NOOP("@tooltips", "Show Part Mixer"));
    m_documentName = new QLabel(this);
    m_documentName->setObjectName(QStringLiteral("DocumentNameLabel"));
    m_documentName->setContentsMargins(8, 0, 8, 0);
    addWidget(m_documentName);
    const QSize wanted = sizeHint().expandedTo(QSize(kMinimumWidth, kMinimumHeight));
    setMinimumSize(QSize(kMinimumWidth, kMinimumHeight));
    resize(wanted);
}

void CKXEToolbar::ConnectSignals(QObject* receiver)
{
    ConnectCommonSignals(receiver);
    connect(m_mixer, SIGNAL(clicked()), receiver, SLOT(launchMixer()));
}

void CKXEToolbar::languageChange()
{
}
