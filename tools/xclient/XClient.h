#pragma once
// A small client of an X server, for driving a program the way a person and a window
// manager do: it lists the shown top-level windows, reads their titles and contents
// and where the input focus is, moves the pointer and presses buttons and keys through
// XTest, resizes a window and asks it to close (WM_DELETE_WINDOW). The X types stay
// inside XClient.cpp.
#include <QImage>
#include <QList>
#include <QPoint>
#include <QSize>
#include <QString>
#include <cstdint>

class XClient
{
public:
    using WindowId = unsigned long;

    // Connects to the display (":N"); isOpen() says whether it could.
    explicit XClient(const QString& display);
    ~XClient();
    XClient(const XClient&) = delete;
    XClient& operator=(const XClient&) = delete;

    bool isOpen() const { return m_display != nullptr; }
    // Whether the server has the XTest extension.
    bool hasXTest() const;

    // The viewable children of the root window, bottom first.
    QList<WindowId> shownTopLevels() const;
    QString title(WindowId window) const;
    // Where the window's top-left corner is on the screen, and its size.
    QPoint origin(WindowId window) const;
    QSize size(WindowId window) const;
    // The window's contents as the server holds them; null when it cannot be read.
    QImage capture(WindowId window) const;
    // The window that has the input focus (the root window or none when no program's has).
    WindowId inputFocus() const;

    // What fills the parts of the window its program has not painted.
    void setFillColour(WindowId window, QRgb colour);
    // As a window manager resizes a window.
    void resize(WindowId window, const QSize& size);
    // As a window manager asks a window to close: WM_PROTOCOLS / WM_DELETE_WINDOW.
    void requestClose(WindowId window);

    // Input through XTest, in screen coordinates.
    void movePointer(const QPoint& at);
    void pressButton(bool down);
    // A key with modifiers held around it; keys are X key symbol names ("w",
    // "Escape", "Control_L", "Alt_L").
    void typeKey(const QString& key, const QStringList& modifiers = {});

    // Waits until the server has handled every request sent so far.
    void sync() const;

private:
    void key(const QString& name, bool down);

    void* m_display = nullptr;
};
