#pragma once
// The frame of every view add-on's window: a scroll area holding the one view, fixed
// to the view's size plus 2 pixels each way. Tab and Shift+Tab stay inside the view,
// and a window whose close-destroys flag is cleared is only hidden when closed.
// GUI thread.
#include <QScrollArea>

class IGenericEditorPluginInterface;

class TTovarScrollView : public QScrollArea
{
    Q_OBJECT
public:
    // The flags every view window is made with: a titled window with a system menu,
    // deleted when closed unless the close-destroys flag is cleared.
    static constexpr Qt::WindowFlags kViewWindowFlags =
        Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint;

    // The add-on, caption and index are not kept: the add-on sets the caption once the
    // view is inside.
    TTovarScrollView(QWidget* parent, const char* name, Qt::WindowFlags flags,
                     IGenericEditorPluginInterface* addOn, const QString& caption, int index);

    // Puts the view at (0, 0), fixes this window to the view's maximum size plus 2
    // each way, and sets the caption.
    void setView(QWidget* view, const QString& caption);

    // Without the close-destroys flag, close(false) only hides the window; otherwise
    // the window closes and, with alsoDelete, is deleted.
    bool close(bool alsoDelete);
    bool closeDestroys() const { return m_closeDestroys; }
    void setCloseDestroys(bool destroys);

    // True when the widget lies inside the viewport (the viewport itself and this
    // window excluded).
    bool isChild(const QWidget* widget) const;

protected:
    void closeEvent(QCloseEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    bool focusNextPrevChild(bool next) override;

private:
    bool acceptsTabFocus(QWidget* widget) const;

    int m_firstY = -1;
    int m_lastY = -1;
    bool m_closeDestroys = true;
};
