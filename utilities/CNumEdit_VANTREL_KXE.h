#pragma once
// Inline number entry that a display control opens over itself: a frameless line
// edit covering the control, filled with the shown number and selected. Return
// proposes the number, losing the focus abandons the entry; a popup such as the
// entry's context menu only borrows the focus. GUI thread.
#include "vantrel_kxe21_utilities_export.h"
#include <QObject>

class QLineEdit;
class QWidget;

namespace NS_Utilities {

class VANTREL_UTILITIES_EXPORT CNumEdit_VANTREL_KXE : public QObject
{
    Q_OBJECT
public:
    // Object name of the line edit, a child of the edited widget, made once and reused.
    static const char* const kEditBoxName;

    explicit CNumEdit_VANTREL_KXE(QWidget* parent, const char* name = nullptr);
    ~CNumEdit_VANTREL_KXE() override;

    // The parent's line edit, made on first use; null when the parent is no widget.
    QLineEdit* editBox();
    // Shows the edit box with the number that `text` starts with (the part before its
    // first letter), written with `format`. A part holding the euro sign is shown as
    // it stands. The format must be one floating-point conversion ("%.1f", "%6.2e",
    // ...); anything else, such as a unit text with a '%' of its own, is never handed
    // to printf: "%.1f" is used instead.
    void doEdit(const QString& text, const char* format);

    // The number a format gives, or "%.1f" for a format that is not one conversion.
    static QString formatNumber(double value, const char* format);

public slots:
    void acceptInput();
    void abortInput();

signals:
    void numberProposed(double value);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QWidget* parentWidgetOrNull() const;
};

} // namespace NS_Utilities
