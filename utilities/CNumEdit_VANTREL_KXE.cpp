#include "CNumEdit_VANTREL_KXE.h"

#include <QDoubleValidator>
#include <QFocusEvent>
#include <QLineEdit>
#include <QLocale>
#include <QPalette>
#include <QRegularExpression>
#include <QWidget>

namespace NS_Utilities {

const char* const CNumEdit_VANTREL_KXE::kEditBoxName = "private.halvorsk/fw/dynamic_edit_control";

namespace {
constexpr int kMaxLength = 5;
constexpr double kLimit = 99999.9;
constexpr int kDecimals = 5;
const QChar kEuro(0x20AC);

bool isSingleFloatConversion(const QString& format)
{
    // One conversion with the usual flags, width and precision; "%%" is plain text.
    static const QRegularExpression conversion(
        QStringLiteral("^(?:[^%]|%%)*%[-+ #0]*[0-9]{0,3}(?:\\.[0-9]{0,3})?[fFeEgG](?:[^%]|%%)*$"));
    return conversion.match(format).hasMatch();
}
// The number a shown text starts with: units without letters ("50%") are left out.
double leadingNumber(const QString& text)
{
    static const QRegularExpression number(QStringLiteral("^\\s*[-+]?(?:[0-9]+\\.?[0-9]*|\\.[0-9]+)"));
    return number.match(text).captured(0).toDouble();
}
} // namespace

CNumEdit_VANTREL_KXE::CNumEdit_VANTREL_KXE(QWidget* parent, const char* name)
    : QObject(parent)
{
    if (name)
        setObjectName(QString::fromLatin1(name));
}

CNumEdit_VANTREL_KXE::~CNumEdit_VANTREL_KXE() = default;

QWidget* CNumEdit_VANTREL_KXE::parentWidgetOrNull() const
{
    return qobject_cast<QWidget*>(parent());
}

QLineEdit* CNumEdit_VANTREL_KXE::editBox()
{
    QWidget* owner = parentWidgetOrNull();
    if (!owner)
        return nullptr;
    const QString name = QString::fromLatin1(kEditBoxName);
    if (auto* existing = owner->findChild<QLineEdit*>(name, Qt::FindDirectChildrenOnly))
        return existing;
    auto* box = new QLineEdit(owner);
    box->setObjectName(name);
    QPalette palette = box->palette();
    palette.setColor(QPalette::Text, owner->palette().color(owner->foregroundRole()));
    palette.setColor(QPalette::Base, owner->palette().color(owner->backgroundRole()));
    box->setPalette(palette);
    box->setFrame(false);
    box->setMaxLength(kMaxLength);
    box->setGeometry(owner->rect());
    box->setFocusPolicy(Qt::ClickFocus);
    box->setAlignment(Qt::AlignCenter);
    auto* validator = new QDoubleValidator(-kLimit, kLimit, kDecimals, box);
    validator->setNotation(QDoubleValidator::StandardNotation);
    // The text is read back with toDouble(), which knows only the C locale's point.
    validator->setLocale(QLocale::c());
    box->setValidator(validator);
    box->hide();
    box->installEventFilter(this);
    connect(box, &QLineEdit::returnPressed, this, &CNumEdit_VANTREL_KXE::acceptInput);
    return box;
}

QString CNumEdit_VANTREL_KXE::formatNumber(double value, const char* format)
{
    const QString f = format ? QString::fromLatin1(format) : QString();
    if (!isSingleFloatConversion(f))
        return QString::asprintf("%.1f", value);
    return QString::asprintf(f.toLatin1().constData(), value);
}

void CNumEdit_VANTREL_KXE::doEdit(const QString& text, const char* format)
{
    QLineEdit* box = editBox();
    if (!box)
        return;
    int letter = 0;
    while (letter < text.size() && !text.at(letter).isLetter())
        ++letter;
    QString shown = text.left(letter);
    if (!shown.contains(kEuro))
        shown = formatNumber(leadingNumber(shown), format);
    box->setGeometry(parentWidgetOrNull()->rect());
    box->setText(shown);
    box->selectAll();
    box->show();
    box->raise();
    box->setFocus(Qt::OtherFocusReason);
}

void CNumEdit_VANTREL_KXE::acceptInput()
{
    QLineEdit* box = editBox();
    if (!box)
        return;
    emit numberProposed(box->text().toDouble());
    box->hide();
}

void CNumEdit_VANTREL_KXE::abortInput()
{
    QLineEdit* box = editBox();
    if (!box)
        return;
    box->hide();
    if (QWidget* owner = parentWidgetOrNull())
        owner->setFocus(Qt::OtherFocusReason);
}

bool CNumEdit_VANTREL_KXE::eventFilter(QObject* watched, QEvent* event)
{
    // The line edit's focus loss ends the entry without a number. A popup (the entry's
    // own context menu) borrows the focus and gives it back when it closes: the typed
    // number stays.
    if (event->type() == QEvent::FocusOut && watched->objectName() == QLatin1String(kEditBoxName)) {
        auto* box = qobject_cast<QLineEdit*>(watched);
        if (box && box->isVisible() && static_cast<QFocusEvent*>(event)->reason() != Qt::PopupFocusReason)
            abortInput();
    }
    return QObject::eventFilter(watched, event);
}

} // namespace NS_Utilities
