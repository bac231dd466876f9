#pragma once
// The tool bar of the editor's main window: the common buttons (Open, Save, Setup,
// Transmit Multi Bulk, Receive Multi Bulk) and the document-name label. Subclasses add
// their own buttons and say where the clicks go. The user cannot move it. GUI thread.
#include <QToolBar>

class QLabel;
class QMainWindow;
class QToolButton;

class CTovarToolbar : public QToolBar
{
    Q_OBJECT
public:
    // Added to the main window's tool bar area when there is one.
    CTovarToolbar(QMainWindow* parent, const char* name);

    virtual void CreateButtons() = 0;
    virtual void ConnectSignals(QObject* receiver) = 0;
    void CreateCommonButtons();
    void ConnectCommonSignals(QObject* receiver);

public slots:
    virtual void languageChange();
    virtual void SetDisplayString(const QString& text);
    virtual void OnDirty(bool dirty);

protected:
    // A tool button with the image of that name and a tool tip (context "@tooltips").
    QToolButton* addImageButton(const char* objectName, const char* image, const char* toolTip);

    QLabel* m_documentName = nullptr;
    QToolButton* m_open = nullptr;
    QToolButton* m_save = nullptr;
    QToolButton* m_setup = nullptr;
    QToolButton* m_transmit = nullptr;
    QToolButton* m_receive = nullptr;

private:
    // The largest image of the buttons so far; invalid before the first.
    QSize m_imageSize;
};
