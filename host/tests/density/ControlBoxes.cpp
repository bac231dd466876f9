// Draws one editor window of the substitute host at the density this process runs at
// (QT_SCALE_FACTOR) and prints, for every control in it, its frame and the box of the
// pixels it changes on its window: a run at twice the density is compared with one at
// single density by the picture test.
//
//   control_boxes WINDOW [PAGE...] [--pictures DIR]
//
// WINDOW as the host's --open takes it (mixer:1, common:1, part:1); each PAGE is shown
// in turn (none given: the window as it opens). One line per control and page:
//   page TAB control TAB address TAB x y w h TAB ratio TAB left top right bottom
// the frame in the window's logical pixels (clipped to what its parents show), the box
// in device pixels of the window's picture, right and bottom exclusive, or "none".
#include "../HostTestSupport.h"
#include "host/HostEditorWindows.h"
#include "host/SubstituteHost.h"
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QPointer>
#include <QTemporaryDir>
#include <QWidget>
#include <algorithm>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace {

using NS_HostTest::pumpToolkit;

// Swallows the paint events of the widgets it is installed on.
class NoPaint : public QObject
{
protected:
    bool eventFilter(QObject*, QEvent* event) override { return event->type() == QEvent::Paint; }
};

// Class, object name and place among its parent's widgets, from the window down: the
// same control in runs at other densities.
QString pathOf(QWidget* widget, QWidget* window)
{
    QStringList parts;
    for (QWidget* w = widget; w && w != window; w = w->parentWidget()) {
        int index = 0;
        if (QWidget* parent = w->parentWidget()) {
            for (QObject* sibling : parent->children()) {
                if (sibling == w)
                    break;
                index += sibling->isWidgetType();
            }
        }
        QString part = QString::fromLatin1(w->metaObject()->className());
        if (!w->objectName().isEmpty())
            part += QLatin1Char('(') + w->objectName() + QLatin1Char(')');
        parts.prepend(part + QLatin1Char('#') + QString::number(index));
    }
    return parts.join(QLatin1Char('/'));
}

struct Control
{
    QPointer<QWidget> widget;
    QString path;
    QString address;
    QRect frame; // in the window, clipped to its parents
};

// One line per control of the window as it is drawn now: every shown widget that holds
// no shown widget of its own.
void printBoxes(QWidget* window, int page, const QString& pictures, const QString& name)
{
    std::vector<Control> controls;
    for (QWidget* w : window->findChildren<QWidget*>()) {
        if (!NS_HostTest::isShownLeaf(w, window))
            continue;
        const QRect frame = NS_HostTest::visibleFrame(w, window);
        if (frame.isEmpty())
            continue;
        const QString address = w->property("namedAddress").toString();
        controls.push_back({w, pathOf(w, window), address.isEmpty() ? QStringLiteral("-") : address, frame});
    }
    const QPixmap drawn = window->grab();
    NoPaint noPaint;
    for (const Control& c : controls)
        c.widget->installEventFilter(&noPaint);
    const QPixmap bare = window->grab();
    for (const Control& c : controls) {
        if (c.widget)
            c.widget->removeEventFilter(&noPaint);
    }
    const qreal ratio = drawn.devicePixelRatio();
    const QImage shown = drawn.toImage().convertToFormat(QImage::Format_RGB32);
    const QImage background = bare.toImage().convertToFormat(QImage::Format_RGB32);
    if (!pictures.isEmpty()) {
        QDir().mkpath(pictures);
        const QString stem = QStringLiteral("%1/%2-page%3@%4x").arg(pictures, name).arg(page).arg(ratio);
        shown.save(stem + QStringLiteral(".png"));
        background.save(stem + QStringLiteral("-bare.png"));
    }
    for (const Control& c : controls) {
        const QRect device = QRect(QPoint(qRound(c.frame.left() * ratio), qRound(c.frame.top() * ratio)),
                                   c.frame.size() * ratio)
                                 & shown.rect();
        int left = INT_MAX, top = INT_MAX, right = INT_MIN, bottom = INT_MIN;
        for (int y = device.top(); y <= device.bottom(); ++y) {
            const auto* a = reinterpret_cast<const QRgb*>(shown.constScanLine(y));
            const auto* b = reinterpret_cast<const QRgb*>(background.constScanLine(y));
            for (int x = device.left(); x <= device.right(); ++x) {
                if (a[x] == b[x])
                    continue;
                left = std::min(left, x);
                right = std::max(right, x + 1);
                top = std::min(top, y);
                bottom = std::max(bottom, y + 1);
            }
        }
        const QString box = left > right ? QStringLiteral("none")
                                         : QStringLiteral("%1 %2 %3 %4").arg(left).arg(top).arg(right).arg(bottom);
        std::printf("%d\t%s\t%s\t%d %d %d %d\t%g\t%s\n", page, qPrintable(c.path), qPrintable(c.address),
                    c.frame.x(), c.frame.y(), c.frame.width(), c.frame.height(), ratio, qPrintable(box));
    }
}

int usage()
{
    std::fputs("usage: control_boxes WINDOW [PAGE...] [--pictures DIR]\n", stderr);
    return 64;
}

} // namespace

int main(int argc, char** argv)
{
    // Settings and the preset voice cache of this run only: a first start.
    QTemporaryDir home;
    setenv("XDG_CONFIG_HOME", QFile::encodeName(home.filePath(QStringLiteral("config"))).constData(), 1);
    setenv("VANTREL_PRESET_CACHE", QFile::encodeName(home.filePath(QStringLiteral("presets"))).constData(), 1);
    if (!std::getenv("QT_QPA_PLATFORM"))
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QApplication app(argc, argv);

    QStringList arguments = app.arguments().mid(1);
    QString pictures;
    if (const int at = arguments.indexOf(QStringLiteral("--pictures")); at >= 0) {
        if (at + 1 >= arguments.size())
            return usage();
        pictures = arguments.takeAt(at + 1);
        arguments.removeAt(at);
    }
    if (arguments.isEmpty())
        return usage();
    NS_Host::EditorRequest request;
    QString error;
    if (!NS_Host::parseEditorRequest(arguments.takeFirst(), &request, &error)) {
        std::fprintf(stderr, "control_boxes: %s\n", qPrintable(error));
        return 64;
    }
    std::vector<int> pages;
    for (const QString& a : arguments) {
        bool ok = false;
        pages.push_back(a.toInt(&ok));
        if (!ok || pages.back() < 0)
            return usage();
    }
    if (pages.empty())
        pages.push_back(-1);

    NS_Host::HostOptions options;
    options.componentPath = QStringLiteral(VANTREL_HOST_COMPONENT_PATH);
    options.projectPath.clear();
    const qint64 pid = QCoreApplication::applicationPid();
    options.simulatorName = QStringLiteral("TOVAR-VANTREL boxes %1").arg(pid);
    options.surfaceName = QStringLiteral("TOVAR-VANTREL boxes surface %1").arg(pid);
    options.settleMs = 100;
    options.openEditors = {request};
    NS_Host::SubstituteHost host(options);
    host.setIdleHook(&pumpToolkit);
    if (!host.start()) {
        host.stop(false);
        return 1;
    }
    // The editor's start-up prompt comes and is closed by the host.
    host.runFor(400);
    host.runFor(10000, [] { return QApplication::activeModalWidget() == nullptr; });
    QWidget* window = host.editorWindows()->window(request.module, request.id);
    int status = 0;
    if (!window) {
        std::fputs("control_boxes: the window did not open\n", stderr);
        status = 1;
    }
    const QString name = NS_Host::shortNameOf(request.module) + QLatin1Char('-') + QString::number(request.id);
    for (int page : pages) {
        if (!window)
            break;
        if (page >= 0 && host.showPage(page) < 1) {
            std::fprintf(stderr, "control_boxes: no window shows page %d\n", page);
            status = 1;
            break;
        }
        host.runFor(50);
        printBoxes(window, page, pictures, name);
    }
    std::fflush(stdout);
    host.stop(false);
    return status;
}
