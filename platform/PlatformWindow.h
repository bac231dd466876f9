#pragma once
// Stand-in for the host's native windows: a handle, the content region's bounds in
// global coordinates, local-to-global conversion, and notices when the window moves
// or is resized. Each window is a top-level toolkit window. GUI thread, except find().
#include "vantrel_platform_export.h"
#include <QObject>
#include <QPoint>
#include <QRect>
#include <QSize>
#include <QString>
#include <QtGui/qwindowdefs.h>
#include <functional>

class QWidget;

class VANTREL_PLATFORM_EXPORT PlatformWindow : public QObject
{
    Q_OBJECT
public:
    // Needs the toolkit application. The window starts hidden.
    explicit PlatformWindow(const QRect& contentBounds, const QString& title = QString());
    ~PlatformWindow() override;

    // Unique for the process's lifetime; never the id of a toolkit widget, so that
    // QWidget::find() does not take it for one.
    WId handle() const { return m_handle; }
    // Any thread. The window with that handle, or null.
    static PlatformWindow* find(WId handle);

    QRect contentBounds() const;
    QPoint localToGlobal(const QPoint& local) const;
    void setContentBounds(const QRect& bounds);
    void setTitle(const QString& title);

    void show();
    void hide();
    bool isVisible() const;

    // The toolkit widget that is the window's content region; windows made "on" this
    // native window are its children.
    QWidget* contentWidget() const { return m_widget; }

    // The user asked to close the window. With a handler the window stays open and
    // the handler decides; without one it is hidden.
    void setCloseHandler(std::function<void()> handler);
    // Draws the window's content, the windows made on it included, into an image
    // file (the format from the suffix). False when it cannot be written.
    bool saveContentImage(const QString& path) const;

signals:
    void moved(const QPoint& topLeft);
    void resized(const QSize& size);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    WId m_handle;
    QWidget* m_widget;
    std::function<void()> m_closeHandler;
};
