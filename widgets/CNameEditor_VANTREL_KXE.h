#pragma once
// One-line entry for names: only the characters a name may hold (7-bit printable),
// blanks trimmed as configured, the end of an edit reported as accepted or aborted.
// GUI thread.
#include "vantrel_kxe21_widgets_export.h"
#include <QLineEdit>

class QRegularExpressionValidator;

class VANTREL_WIDGETS_EXPORT CNameEditor_VANTREL_KXE : public QLineEdit
{
    Q_OBJECT
    Q_PROPERTY(TrancateMode trancateMode READ trancateMode WRITE setTrancateMode)
public:
    enum TrancateMode {
        TrancateNone = 0,     // keep the text as given
        TrancateLeading = 1,  // remove blanks before the name
        TrancateTrailing = 2, // remove blanks after the name
        TrancateBoth = 3,
    };
    Q_ENUM(TrancateMode)

    explicit CNameEditor_VANTREL_KXE(QWidget* parent = nullptr, const char* name = nullptr);
    ~CNameEditor_VANTREL_KXE() override;

    TrancateMode trancateMode() const { return m_trancateMode; }
    bool isEditing() const { return m_editing; }
    // Shows the text trimmed by the trancate mode; blanks inside a name stay.
    void setText(const QString& text);
    // The text as setText would show it.
    static QString trancated(const QString& text, TrancateMode mode);
    // The expression of the characters a name may hold.
    static QString namePattern();

public slots:
    void setTrancateMode(TrancateMode mode);
    void forceAbort();
    void finishEditing();

signals:
    void abortEdit();
    void acceptEdit();

protected:
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void handFocusToParent();

    TrancateMode m_trancateMode = TrancateNone;
    bool m_editing = false;
    QRegularExpressionValidator* m_validator = nullptr;
};
