// Every window and dialog of tools/pictures.list, drawn as ./tools/pictures.sh draws it:
// in the substitute host's screenshot mode, with the component loaded as the host
// program loads it, on the simulated instrument, from a first start. A picture fails
// when it is missing (the window could not be opened or drawn), has another size than
// its window, is nearly one colour, or shows only the window's background where one of
// its controls stands. All of them come from one start of the host.
#include "HostTestSupport.h"
#include "genericeditor/interfaces/GenericEditorPluginInterface.h"
#include "host/HostEditorWindows.h"
#include "host/HostGuid.h"
#include "host/SubstituteHost.h"
#include "platform/PlatformWindow.h"
#include <QAbstractButton>
#include <QAbstractItemView>
#include <QAbstractSlider>
#include <QAbstractSpinBox>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPointer>
#include <QProgressBar>
#include <QSettings>
#include <QStandardPaths>
#include <QTabBar>
#include <QTemporaryDir>
#include <QTextStream>
#include <QWidget>
#include <gtest/gtest.h>
#include <algorithm>
#include <map>
#include <memory>
#include <optional>

namespace {

using NS_HostTest::pumpToolkit;
using NS_HostTest::OwnSettings;

// One line of the list: the picture, the window (NAME:ID, or "page") and the detail
// page shown (-1: none).
struct Entry
{
    QString picture;
    QString window;
    int page = -1;
};

std::vector<Entry> readList(QString* error)
{
    QFile file(qEnvironmentVariable("VANTREL_SOURCE_DIR") + QStringLiteral("/tools/pictures.list"));
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text)) {
        *error = file.fileName() + QStringLiteral(": ") + file.errorString();
        return {};
    }
    std::vector<Entry> entries;
    QTextStream in(&file);
    while (!in.atEnd()) {
        const QString line = in.readLine().trimmed();
        if (line.isEmpty() || line.startsWith(QLatin1Char('#')))
            continue;
        const QStringList fields = line.split(QLatin1Char(' '), Qt::SkipEmptyParts);
        if (fields.size() < 3) {
            *error = QStringLiteral("not a picture line: ") + line;
            return {};
        }
        Entry entry{fields[0], fields[1], -1};
        if (fields[2] != QLatin1String("-"))
            entry.page = fields[2].toInt();
        entries.push_back(entry);
    }
    return entries;
}

// A widget that draws something of its own: a leaf of the window's tree that is a
// control, a text or picture, or an item view's viewport with items. Plain widgets and
// frames hold other widgets and are seen through them.
bool drawsItself(QWidget* widget, QWidget* window)
{
    if (!NS_HostTest::isShownLeaf(widget, window))
        return false;
    if (auto* label = qobject_cast<QLabel*>(widget))
        return !label->text().trimmed().isEmpty() || !label->pixmap().isNull();
    if (auto* view = qobject_cast<QAbstractItemView*>(widget->parentWidget()); view && view->viewport() == widget)
        return view->model() && view->model()->rowCount(view->rootIndex()) > 0;
    if (qobject_cast<QAbstractButton*>(widget) || qobject_cast<QAbstractSlider*>(widget)
        || qobject_cast<QAbstractSpinBox*>(widget) || qobject_cast<QComboBox*>(widget)
        || qobject_cast<QLineEdit*>(widget) || qobject_cast<QProgressBar*>(widget)
        || qobject_cast<QMenuBar*>(widget) || qobject_cast<QTabBar*>(widget))
        return true;
    // The editor's own controls.
    return QByteArray(widget->metaObject()->className()).endsWith("_VANTREL_KXE");
}

// Swallows the paint events of the widgets it is installed on.
class NoPaint : public QObject
{
protected:
    bool eventFilter(QObject*, QEvent* event) override { return event->type() == QEvent::Paint; }
};

// What a window's picture must show: the window's size, and at each control something
// other than what the window draws there with its controls left out.
struct Expected
{
    QString window;
    QSize size;
    QImage background;
    struct Control
    {
        QString name;
        QRect rect; // in the window, clipped to what its parents show
    };
    std::vector<Control> controls;
};

Expected expectationOf(QWidget* window, const QString& name)
{
    Expected e;
    e.window = name;
    e.size = window->size();
    NoPaint noPaint;
    std::vector<QPointer<QWidget>> silenced;
    for (QWidget* w : window->findChildren<QWidget*>()) {
        if (!drawsItself(w, window))
            continue;
        const QRect rect = NS_HostTest::visibleFrame(w, window);
        if (rect.isEmpty())
            continue;
        const QString what = QString::fromLatin1(w->metaObject()->className())
                             + (w->objectName().isEmpty() ? QString() : QLatin1Char(' ') + w->objectName());
        e.controls.push_back({what, rect});
        w->installEventFilter(&noPaint);
        silenced.emplace_back(w);
    }
    e.background = window->grab().toImage().convertToFormat(QImage::Format_RGB32);
    for (const QPointer<QWidget>& w : silenced) {
        if (w)
            w->removeEventFilter(&noPaint);
    }
    return e;
}

// Every fault of the picture against what its window must show; empty when it is good.
QStringList faultsOf(const QString& path, const Expected& e)
{
    const QString picture = QFileInfo(path).fileName();
    QImage image(path);
    if (image.isNull())
        return {picture + QStringLiteral(": not written")};
    image = image.convertToFormat(QImage::Format_RGB32);
    QStringList faults;
    if (image.size() != e.size || e.background.size() != e.size)
        faults << QStringLiteral("%1: %2x%3, its window %4x%5")
                      .arg(picture)
                      .arg(image.width())
                      .arg(image.height())
                      .arg(e.size.width())
                      .arg(e.size.height());
    std::map<QRgb, int> colours;
    for (int y = 0; y < image.height(); ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        for (int x = 0; x < image.width(); ++x)
            ++colours[line[x]];
    }
    int most = 0;
    for (const auto& c : colours)
        most = std::max(most, c.second);
    if (most > 0.97 * image.width() * image.height())
        faults << picture + QStringLiteral(": nearly one colour");
    if (e.controls.empty())
        faults << picture + QStringLiteral(": no control to be seen in ") + e.window;
    if (!faults.isEmpty())
        return faults;
    for (const Expected::Control& c : e.controls) {
        int drawn = 0;
        for (int y = c.rect.top(); y <= c.rect.bottom(); ++y) {
            const auto* shown = reinterpret_cast<const QRgb*>(image.constScanLine(y));
            const auto* bare = reinterpret_cast<const QRgb*>(e.background.constScanLine(y));
            for (int x = c.rect.left(); x <= c.rect.right(); ++x)
                drawn += shown[x] != bare[x];
        }
        if (drawn == 0)
            faults << QStringLiteral("%1: %2 at %3,%4 (%5x%6) shows only the background")
                          .arg(picture, c.name)
                          .arg(c.rect.x())
                          .arg(c.rect.y())
                          .arg(c.rect.width())
                          .arg(c.rect.height());
    }
    return faults;
}

// Notes what the modal dialog an open call runs must show, as it hides: the host draws
// it then or just before, and it is gone when the call returns. The first modal window
// shown is the dialog, as for the host.
class ModalExpectation : public QObject
{
public:
    explicit ModalExpectation(const QString& name) : m_name(name) { qApp->installEventFilter(this); }
    ~ModalExpectation() override { qApp->removeEventFilter(this); }
    const std::optional<Expected>& expected() const { return m_expected; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (!watched->isWidgetType())
            return false;
        auto* widget = static_cast<QWidget*>(watched);
        if (event->type() == QEvent::Show && !m_dialog && widget->isWindow() && widget->isModal())
            m_dialog = widget;
        else if (event->type() == QEvent::Hide && !m_expected && m_dialog && widget == m_dialog)
            m_expected = expectationOf(widget, m_name);
        return false;
    }

private:
    QString m_name;
    QPointer<QWidget> m_dialog;
    std::optional<Expected> m_expected;
};

class EditorPictures : public ::testing::Test
{
protected:
    void SetUp() override
    {
        static int run = 0;
        ++run;
        const qint64 pid = QCoreApplication::applicationPid();
        m_options.componentPath = QStringLiteral(VANTREL_HOST_COMPONENT_PATH);
        m_options.projectPath.clear();
        m_options.simulatorName = QStringLiteral("TOVAR-VANTREL pictures %1-%2").arg(pid).arg(run);
        m_options.surfaceName = QStringLiteral("TOVAR-VANTREL pictures surface %1-%2").arg(pid).arg(run);
        m_options.settleMs = 100;
        m_options.screenshotDir = m_dir.filePath(QStringLiteral("dialogs"));
        m_options.screenshotDelayMs = 200;
        m_settings = std::make_unique<OwnSettings>();
        m_host = std::make_unique<NS_Host::SubstituteHost>(m_options);
        m_host->setIdleHook(&pumpToolkit);
        ASSERT_TRUE(m_host->start()) << qPrintable(m_host->error());
        // The editor's start-up steps (its preset voice prompt among them) are over.
        m_host->runFor(400);
    }
    void TearDown() override
    {
        if (!m_host)
            return;
        m_host->stop(false);
        EXPECT_EQ(m_host->outstandingReferences(), 0);
        m_host.reset();
        m_settings.reset();
    }

    QString pictureOf(const NS_Host::EditorRequest& request) const
    {
        return QStringLiteral("%1-%2.png").arg(NS_Host::shortNameOf(request.module)).arg(request.id);
    }

    QTemporaryDir m_dir;
    NS_Host::HostOptions m_options;
    std::unique_ptr<OwnSettings> m_settings;
    std::unique_ptr<NS_Host::SubstituteHost> m_host;
};

} // namespace

TEST_F(EditorPictures, EveryWindowAndDialogOfThePicturesListIsDrawnWithItsControls)
{
    QString error;
    const std::vector<Entry> entries = readList(&error);
    ASSERT_FALSE(entries.empty()) << qPrintable(error);

    QStringList faults;
    auto check = [&](const Entry& entry, const QString& path, const Expected& expected) {
        const QStringList found = faultsOf(path, expected);
        for (const QString& f : found)
            faults << entry.picture + QStringLiteral(" (") + entry.window + QStringLiteral("): ") + f;
    };

    // The page as the editor opens: its toolbar and default windows.
    for (const Entry& entry : entries) {
        if (entry.window != QLatin1String("page"))
            continue;
        const QString path = m_dir.filePath(QStringLiteral("page.png"));
        ASSERT_TRUE(m_host->saveScreenshot(path));
        check(entry, path, expectationOf(m_host->window()->contentWidget(), entry.window));
    }

    // Every other window without a page, in the list's order; a dialog runs modally
    // inside its open call and is drawn there.
    std::vector<std::pair<Entry, NS_Host::EditorRequest>> windows;
    for (const Entry& entry : entries) {
        if (entry.window == QLatin1String("page"))
            continue;
        NS_Host::EditorRequest request;
        ASSERT_TRUE(NS_Host::parseEditorRequest(entry.window, &request, &error)) << qPrintable(error);
        if (entry.page >= 0) {
            windows.emplace_back(entry, request);
            continue;
        }
        ModalExpectation modal(entry.window);
        if (m_host->openEditor(request) != 0) {
            faults << entry.picture + QStringLiteral(": ") + entry.window + QStringLiteral(" could not be opened");
            continue;
        }
        const QString path = QDir(m_options.screenshotDir).filePath(pictureOf(request));
        if (modal.expected())
            check(entry, path, *modal.expected());
        else
            windows.emplace_back(entry, request);
    }

    // The windows that stay open, then the detail windows on each of their pages.
    std::vector<int> pages;
    for (const auto& w : windows) {
        if (std::find(pages.begin(), pages.end(), w.first.page) == pages.end())
            pages.push_back(w.first.page);
    }
    for (const auto& w : windows) {
        if (w.first.page < 0)
            continue;
        if (m_host->openEditor(w.second) != 0)
            faults << w.first.picture + QStringLiteral(": ") + w.first.window + QStringLiteral(" could not be opened");
    }
    for (int page : pages) {
        if (page >= 0) {
            EXPECT_GE(m_host->showPage(page), 1) << "page " << page;
        }
        m_host->runFor(50);
        const QString folder = m_dir.filePath(QStringLiteral("page%1").arg(page));
        ASSERT_TRUE(m_host->saveEditorScreenshots(folder)) << "page " << page;
        for (const auto& w : windows) {
            if (w.first.page != page)
                continue;
            QWidget* window = m_host->editorWindows()->window(w.second.module, w.second.id);
            if (!window) {
                faults << w.first.picture + QStringLiteral(": ") + w.first.window + QStringLiteral(" is not open");
                continue;
            }
            check(w.first, QDir(folder).filePath(pictureOf(w.second)), expectationOf(window, w.first.window));
        }
    }
    EXPECT_TRUE(faults.isEmpty()) << qPrintable(faults.join(QLatin1Char('\n')));
}

// The check itself: a control that draws nothing (an image that did not load, a paint
// that returns early) is found and named, and a window drawn as a blank is refused.
TEST_F(EditorPictures, AControlThatDrawsNothingAndABlankWindowAreFound)
{
    QWidget* mixer = m_host->editorWindows()->window(NS_Host::toUuid(NS_AddOnIds::LayerAddOn), 1);
    ASSERT_NE(mixer, nullptr);
    const Expected expected = expectationOf(mixer, QStringLiteral("mixer:1"));
    ASSERT_FALSE(expected.controls.empty());

    const QString good = m_dir.filePath(QStringLiteral("good.png"));
    ASSERT_TRUE(mixer->grab().save(good));
    EXPECT_TRUE(faultsOf(good, expected).isEmpty()) << qPrintable(faultsOf(good, expected).join(QLatin1Char('\n')));

    // A fader of the mixer, drawing nothing.
    QWidget* fader = nullptr;
    for (QWidget* w : mixer->findChildren<QWidget*>()) {
        if (w->inherits("CFader_VANTREL_KXE") && w->isVisible())
            fader = w;
    }
    ASSERT_NE(fader, nullptr);
    NoPaint noPaint;
    fader->installEventFilter(&noPaint);
    const QString silent = m_dir.filePath(QStringLiteral("silent-fader.png"));
    ASSERT_TRUE(mixer->grab().save(silent));
    fader->removeEventFilter(&noPaint);
    const QStringList faults = faultsOf(silent, expected);
    ASSERT_EQ(faults.size(), 1) << qPrintable(faults.join(QLatin1Char('\n')));
    EXPECT_TRUE(faults.front().contains(QLatin1String("CFader_VANTREL_KXE"))) << qPrintable(faults.front());

    // A window drawn in its background colour only, and one of another size.
    QImage blank(expected.size, QImage::Format_RGB32);
    blank.fill(mixer->palette().color(QPalette::Window));
    const QString flat = m_dir.filePath(QStringLiteral("blank.png"));
    ASSERT_TRUE(blank.save(flat));
    EXPECT_TRUE(faultsOf(flat, expected).join(QLatin1Char('\n')).contains(QLatin1String("nearly one colour")));
    const QString small = m_dir.filePath(QStringLiteral("small.png"));
    ASSERT_TRUE(mixer->grab(QRect(0, 0, 100, 100)).save(small));
    EXPECT_TRUE(faultsOf(small, expected).join(QLatin1Char('\n')).contains(QLatin1String("its window")));
    EXPECT_FALSE(faultsOf(m_dir.filePath(QStringLiteral("none.png")), expected).isEmpty());
}
