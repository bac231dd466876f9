#pragma once
// The base of every dialog of the dialogs add-on: a toolkit dialog built from a
// Designer form that knows nothing of the add-on interfaces. The frame that makes it
// an editor window (DialogsIEditorExtensions) overrides memapi() and setupDialog(), and
// runs execute() once. GUI thread.
#include <QDialog>
#include <QStringList>

class IMemAPI;
class QAbstractButton;
class QLabel;
class QLayout;

namespace NS_Utilities {
class IDocuPrompter;
}

class CTovarDialog : public QDialog
{
    Q_OBJECT
public:
    // name: the object name, defaultName when null.
    CTovarDialog(QWidget* parent, const char* name, const char* defaultName, bool modal, Qt::WindowFlags flags);

    // The memory API the frame was given; null in the plain dialog.
    virtual IMemAPI* memapi() const;
    // Opens the setup dialog (for a dialog that finds the ports not set up); nothing in
    // the plain dialog.
    virtual void setupDialog();
    // Runs the dialog once: shows it modally, applies the result, schedules its deletion.
    virtual void execute() = 0;

public slots:
    // The dialog is cancelled (the editor's release, a host that ends): a transfer it
    // runs is stopped first, so that it always closes. The user's ways out (Close, the
    // close box, Escape) do not come here while a transfer runs.
    void reject() override;

protected:
    // Escape, the close box and Close end the dialog only while `close` is enabled.
    void closeOnlyWhileEnabled(QAbstractButton* close) { m_closeButton = close; }
    // Whether the user may close the dialog: no transfer runs.
    virtual bool closeAllowed() const;
    // Stops the transfer that runs, after which the dialog may close; nothing in the
    // plain dialog.
    virtual void cancelTransfer();
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    // The texts of a display table for the values from 0 up to the first without one.
    static QStringList displayTexts(IMemAPI* api, int table);
    // Fixes the dialog at its current size.
    void fixCurrentSize();
    // Shrinks the label's font until its one-word text fits the label's fixed width
    // (the component enlarges the fonts of the windows it opens).
    static void fitText(QLabel* label);
    // Message boxes and file dialogs: the document frame's prompter (which tests
    // replace), or the toolkit's when there is no memory API.
    NS_Utilities::IDocuPrompter* prompter() const;
    // "TOVAR-VANTREL Editor", the caption of the transfer dialogs' message boxes.
    QString messageCaption() const;

private:
    QAbstractButton* m_closeButton = nullptr;
};

namespace NS_DialogsFrame {
// The window flags of every dialog of the add-on: a dialog with a title bar, a system
// menu and a close box, no minimise or maximise buttons.
constexpr Qt::WindowFlags kDialogFlags = Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint
                                         | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint;
// The prompter of the memory API's document frame, or the toolkit's.
NS_Utilities::IDocuPrompter* prompterOf(IMemAPI* api);
} // namespace NS_DialogsFrame
