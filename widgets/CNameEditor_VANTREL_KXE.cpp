#include "widgets/CNameEditor_VANTREL_KXE.h"

#include <QKeyEvent>
#include <QRegularExpression>
#include <QRegularExpressionValidator>

CNameEditor_VANTREL_KXE::CNameEditor_VANTREL_KXE(QWidget* parent, const char* name)
    : QLineEdit(parent)
{
    if (name)
        setObjectName(QString::fromLatin1(name));
    m_validator = new QRegularExpressionValidator(QRegularExpression(namePattern()), this);
    setValidator(m_validator);
}

CNameEditor_VANTREL_KXE::~CNameEditor_VANTREL_KXE()
{
    setValidator(nullptr);
    delete m_validator;
}

QString CNameEditor_VANTREL_KXE::namePattern()
{
    // Letters, digits, the blank and the listed punctuation, nothing else. A name is
    // sent to the instrument as 7-bit text, so "\s" (which in Unicode mode also admits
    // tabs, line breaks and wide blanks) is narrowed to the plain blank; the quote, the
    // number sign and the backslash are spelt as hex escapes.
    return QStringLiteral("[A-Za-z0-9 /!$%&*+,\\-.:;<=>?@^_'`()\\[\\]\\x22\\x23\\x5C]*");
}

QString CNameEditor_VANTREL_KXE::trancated(const QString& text, TrancateMode mode)
{
    static const QRegularExpression nonBlank(QStringLiteral("\\S"));
    switch (mode) {
    case TrancateLeading: {
        const int first = int(text.indexOf(nonBlank));
        return first >= 1 ? text.mid(first) : text;
    }
    case TrancateTrailing: {
        const int last = int(text.lastIndexOf(nonBlank));
        return last >= 0 ? text.left(last + 1) : text;
    }
    case TrancateBoth:
        return text.trimmed();
    case TrancateNone:
        break;
    }
    return text;
}

void CNameEditor_VANTREL_KXE::setText(const QString& text)
{
    QLineEdit::setText(trancated(text, m_trancateMode));
}

void CNameEditor_VANTREL_KXE::setTrancateMode(TrancateMode mode)
{
    m_trancateMode = mode;
}

void CNameEditor_VANTREL_KXE::forceAbort()
{
    m_editing = false;
    emit abortEdit();
}

void CNameEditor_VANTREL_KXE::finishEditing()
{
    m_editing = false;
    emit acceptEdit();
}

void CNameEditor_VANTREL_KXE::handFocusToParent()
{
    clearFocus();
    if (QWidget* parent = parentWidget())
        parent->setFocus();
}

void CNameEditor_VANTREL_KXE::focusInEvent(QFocusEvent* event)
{
    m_editing = true;
    QLineEdit::focusInEvent(event);
}

void CNameEditor_VANTREL_KXE::focusOutEvent(QFocusEvent* event)
{
    // Leaving the entry while editing counts as accepting what was typed.
    if (m_editing) {
        m_editing = false;
        emit acceptEdit();
    }
    QLineEdit::focusOutEvent(event);
}

void CNameEditor_VANTREL_KXE::keyPressEvent(QKeyEvent* event)
{
    const int key = event->key();
    if (m_editing && key == Qt::Key_Escape) {
        // Cleared before the focus moves, so the focus-out accepts nothing.
        m_editing = false;
        emit abortEdit();
        handFocusToParent();
    } else if (m_editing && (key == Qt::Key_Return || key == Qt::Key_Enter)) {
        m_editing = false;
        emit acceptEdit();
        handFocusToParent();
    }
    QLineEdit::keyPressEvent(event);
}
