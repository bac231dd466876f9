#pragma once
// A toolkit main window that lives inside a host's native window: it makes an inner
// toolkit window on the host window, reparents itself into it and follows the host
// window's position and size. It can also move into another host window, into a
// toolkit widget, or out of any parent. GUI thread.
#include "vantrel_kxe21_qtplxserver_export.h"
#include <QMainWindow>
#include <QPointer>
#include <QRecursiveMutex>

class QPoint;
class QSize;

class VANTREL_APPSERVER_EXPORT CForeignWindowWrapper_VANTREL_KXE : public QMainWindow
{
    Q_OBJECT
public:
    // window: a platform window handle, the id of a toolkit widget, or 0. A null
    // position or size counts as (0, 0).
    CForeignWindowWrapper_VANTREL_KXE(WId window, const QPoint* position, const QSize* size);
    // Deletes the inner window too, wherever the window is hosted.
    ~CForeignWindowWrapper_VANTREL_KXE() override;

    // Moves the window: into the host window `window` (a new inner window replaces the
    // old one), into the toolkit widget with that id, or, with 0, out of any parent
    // (the inner window is deleted). The current host window again does nothing. An
    // unknown handle is refused and changes nothing.
    void mySetParent(WId window, const QPoint* position, const QSize* size, bool show);

    // Resizes the inner window at the host window's content origin, then this window.
    void resize(int w, int h);
    void resize(const QSize& size);

    // The host window it is hosted in; 0 when in a toolkit widget or without parent.
    WId hostWindow() const { return m_hostWindow; }
    // The inner window made on the host window, or null.
    QMainWindow* innerWindow() const { return m_inner; }

    // Announces a hide with aboutToHide() before the window goes.
    void setVisible(bool visible) override;

signals:
    void aboutToHide();

protected:
    // Keys travel on to the parent and the host.
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;

private:
    void deleteInnerWindow();

    WId m_hostWindow = 0;
    QPointer<QMainWindow> m_inner;
    QRecursiveMutex m_mutex;
    bool m_reparenting = false;
};
