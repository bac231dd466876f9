#include "CTovarDialog.h"
#include "memapi/IMemAPI.h"
#include "utilities/DocuPrompter.h"
#include "utilities/DocuSaveLoad.h"
#include <QAbstractButton>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QCoreApplication>
#include <QPixmap>
#include <QFontMetrics>
#include <QLabel>
#include <QLayout>

CTovarDialog::CTovarDialog(QWidget* parent, const char* name, const char* defaultName, bool modal,
                           Qt::WindowFlags flags)
    : QDialog(parent, flags)
{
    // Before the form's setupUi, which keeps a name that is already set.
    setObjectName(QLatin1String(name ? name : defaultName));
    setModal(modal);
}

IMemAPI* CTovarDialog::memapi() const
{
    return nullptr;
}

void CTovarDialog::setupDialog()
{
}

void CTovarDialog::fixCurrentSize()
{
    setFixedSize(size());
    if (QLayout* own = layout())
        own->setSizeConstraint(QLayout::SetFixedSize);
}

void CTovarDialog::fitText(QLabel* label)
{
    constexpr qreal kSmallest = 6.0;
    QFont font = label->font();
    qreal size = font.pointSizeF();
    const int room = label->contentsRect().width();
    while (size > kSmallest && QFontMetrics(font).horizontalAdvance(label->text()) > room) {
        size -= 0.5;
        font.setPointSizeF(size);
    }
    label->setFont(font);
}

NS_Utilities::IDocuPrompter* CTovarDialog::prompter() const
{
    return NS_DialogsFrame::prompterOf(memapi());
}

QString CTovarDialog::messageCaption() const
{
    // Translated in the common context, then once more in the dialog's own.
    const QByteArray text = QCoreApplication::translate("@default", "TOVAR-VANTREL Editor").toUtf8();
    return QCoreApplication::translate(metaObject()->className(), text.constData());
}

NS_Utilities::IDocuPrompter* NS_DialogsFrame::prompterOf(IMemAPI* api)
{
    auto* frame = api ? dynamic_cast<NS_Utilities::TDocuSaveLoad*>(api->MAPI_qself()) : nullptr;
    if (frame)
        return frame->DSL_prompter();
    static NS_Utilities::TDocuPrompter toolkit;
    return &toolkit;
}

bool CTovarDialog::closeAllowed() const
{
    return !m_closeButton || m_closeButton->isEnabled();
}

void CTovarDialog::cancelTransfer()
{
}

void CTovarDialog::reject()
{
    if (!closeAllowed())
        cancelTransfer();
    if (closeAllowed())
        QDialog::reject();
}

void CTovarDialog::closeEvent(QCloseEvent* event)
{
    if (!closeAllowed()) {
        event->ignore();
        return;
    }
    // Calls reject().
    QDialog::closeEvent(event);
}

void CTovarDialog::keyPressEvent(QKeyEvent* event)
{
    // Escape would reject: the user's, refused as the close box is.
    if (event->matches(QKeySequence::Cancel) && !closeAllowed()) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

QStringList CTovarDialog::displayTexts(IMemAPI* api, int table)
{
    // The memory model names a few values; the list ends at the first empty name.
    constexpr int kMaxTexts = 256;
    QStringList texts;
    for (int value = 0; api && value < kMaxTexts; ++value) {
        QString text;
        QPixmap picture;
        api->MAPI_getDisplayStringForValue(0, table, &text, &picture, value, 0, 0, 0);
        if (text.isEmpty())
            break;
        texts << text;
    }
    return texts;
}
