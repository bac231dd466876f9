// The substitute host program on an X server (Xvfb) with Qt's xcb platform, met as a
// person and a window manager meet it: every input goes through the X server (XTest),
// every check reads the server's windows and their contents. One window holds the page;
// resized, the page and its workspace fill it; a knob dragged with the mouse reaches the
// simulated instrument; Ctrl+W closes the active editor window; a close request from
// the window manager ends the program quickly with its project saved. At single and
// twice the density, each Ctrl+W closes the active editor window and the one active
// before it becomes active, until the workspace is empty, also after a close with the
// frame's close button.
//
// Without Xvfb the test fails when VANTREL_REQUIRE_XVFB or CI is set (./run-tests.sh
// sets it: it installs Xvfb), and is skipped otherwise.
#include "XClient.h"
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QMap>
#include <QProcess>
#include <QRegion>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QThread>
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <functional>
#include <gtest/gtest.h>
#include <iterator>
#include <memory>
#include <csignal>
#include <sys/prctl.h>
#include <optional>

namespace {

const char kPageTitle[] = "TOVAR-VANTREL (Multi)";
const char kPromptTitle[] = "Receive Preset Voices";
// The longest a close request may take to end the program.
constexpr qint64 kCloseToExitMs = 300;
constexpr int kStartMs = 60000;
// The screen has room for the host window at twice the density; this spot is out of
// every window's way.
const char kScreen[] = "2560x1600x24";
constexpr QPoint kAside(2555, 1595);
constexpr int kReactMs = 15000;
constexpr double kPi = 3.14159265358979323846;
// Painted by the X server where the program paints nothing: no widget uses it.
constexpr QRgb kFill = 0xFFFE01FD;
// The part mixer's strips: strip n at 6 + 46 (n - 1), its pan knob 36 pixels wide at
// (3, 306) in it, all below a 4-pixel top margin.
QPoint panKnobInMixer(int strip)
{
    return QPoint(6 + 46 * (strip - 1) + 3 + 18, 4 + 306 + 18);
}

QString hostProgram()
{
    return QCoreApplication::applicationDirPath() + QStringLiteral("/vantrel_host");
}

// The programs the test starts end with it, also when it is killed.
void endWithTheTest(QProcess& process)
{
    process.setChildProcessModifier([] { ::prctl(PR_SET_PDEATHSIG, SIGKILL); });
}

bool xServerRequired()
{
    return qEnvironmentVariableIsSet("VANTREL_REQUIRE_XVFB") || qEnvironmentVariableIsSet("CI");
}

// Waits for a condition, turning `turn` (which reads what the programs wrote) between looks.
bool waitUntil(const std::function<bool()>& done, int timeoutMs, const std::function<void()>& turn = {})
{
    QElapsedTimer clock;
    clock.start();
    for (;;) {
        if (turn)
            turn();
        if (done())
            return true;
        if (clock.elapsed() > timeoutMs)
            return false;
        QThread::msleep(10);
    }
}

// Xvfb on a display number of its own choosing (-displayfd), so that tests running side
// by side never meet.
class XServer
{
public:
    ~XServer()
    {
        if (m_process.state() != QProcess::NotRunning) {
            m_process.terminate();
            if (!m_process.waitForFinished(5000)) {
                m_process.kill();
                m_process.waitForFinished(5000);
            }
        }
    }
    bool start(QString* why)
    {
        const QString program = QStandardPaths::findExecutable(QStringLiteral("Xvfb"));
        if (program.isEmpty()) {
            *why = QStringLiteral("Xvfb is not installed (Debian package xvfb; tools/deps.sh installs it)");
            return false;
        }
        endWithTheTest(m_process);
        m_process.start(program, {QStringLiteral("-displayfd"), QStringLiteral("1"), QStringLiteral("-screen"),
                                  QStringLiteral("0"), QLatin1String(kScreen), QStringLiteral("-nolisten"),
                                  QStringLiteral("tcp"), QStringLiteral("-noreset")});
        QByteArray out;
        const bool told = waitUntil([&] { return out.contains('\n') || m_process.state() == QProcess::NotRunning; },
                                    20000, [&] {
                                        m_process.waitForReadyRead(10);
                                        out += m_process.readAllStandardOutput();
                                    });
        bool ok = false;
        const int number = out.trimmed().toInt(&ok);
        if (!told || !ok) {
            *why = QStringLiteral("Xvfb did not start: %1").arg(QString::fromLocal8Bit(m_process.readAllStandardError()));
            return false;
        }
        m_display = QStringLiteral(":%1").arg(number);
        return true;
    }
    const QString& display() const { return m_display; }

private:
    QProcess m_process;
    QString m_display;
};

// The host program on the X server, with settings, data and a project of its own, at the
// density `scale` (QT_SCALE_FACTOR); the simulated instrument says what it takes (its
// debug log).
class HostOnX
{
public:
    HostOnX(const QString& display, const QString& home, const QStringList& arguments, int scale = 1)
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        for (const char* name : {"QT_SCALE_FACTOR", "QT_SCREEN_SCALE_FACTORS", "QT_AUTO_SCREEN_SCALE_FACTOR",
                                 "QT_ENABLE_HIGHDPI_SCALING", "WAYLAND_DISPLAY"})
            env.remove(QLatin1String(name));
        if (scale != 1)
            env.insert(QStringLiteral("QT_SCALE_FACTOR"), QString::number(scale));
        env.insert(QStringLiteral("DISPLAY"), display);
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
        env.insert(QStringLiteral("VANTREL_MIDI_BACKEND"), QStringLiteral("virtual"));
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), home + QStringLiteral("/config"));
        env.insert(QStringLiteral("XDG_DATA_HOME"), home + QStringLiteral("/data"));
        env.insert(QStringLiteral("VANTREL_PRESET_CACHE"), home + QStringLiteral("/presets"));
        env.insert(QStringLiteral("QT_LOGGING_RULES"), QStringLiteral("tovar.simulator.debug=true"));
        // The time to the end of the process is the program's, not the leak scan's that a
        // sanitizer build adds at exit (about 250 ms here); the other runs of the
        // program in the suite keep it.
        const QString asan = env.value(QStringLiteral("ASAN_OPTIONS"));
        env.insert(QStringLiteral("ASAN_OPTIONS"), asan + (asan.isEmpty() ? "" : ":") + QStringLiteral("detect_leaks=0"));
        m_process.setProcessEnvironment(env);
        m_process.setProcessChannelMode(QProcess::MergedChannels);
        endWithTheTest(m_process);
        m_process.start(hostProgram(), arguments);
    }
    ~HostOnX()
    {
        if (m_process.state() != QProcess::NotRunning) {
            m_process.kill();
            m_process.waitForFinished(10000);
        }
    }
    // Reads what the program wrote so far.
    void read()
    {
        m_process.waitForReadyRead(0);
        m_log += QString::fromLocal8Bit(m_process.readAll());
    }
    const QString& log() const { return m_log; }
    QProcess& process() { return m_process; }

private:
    QProcess m_process;
    QString m_log;
};

// The share of the pixels of `what` that `in` holds the same with `what` placed at `at`;
// both in QImage::Format_RGB32.
double sameShare(const QImage& in, const QPoint& at, const QImage& what)
{
    if (what.isNull() || !in.rect().contains(QRect(at, what.size())))
        return 0.0;
    qint64 equal = 0;
    for (int v = 0; v < what.height(); ++v) {
        const auto* la = reinterpret_cast<const QRgb*>(in.constScanLine(at.y() + v)) + at.x();
        const auto* lb = reinterpret_cast<const QRgb*>(what.constScanLine(v));
        for (int u = 0; u < what.width(); ++u)
            equal += la[u] == lb[u] ? 1 : 0;
    }
    return double(equal) / (qint64(what.width()) * what.height());
}

// Pixel for pixel but for a few (a focus frame, a hover).
constexpr double kSame = 0.98;

// Where `what` lies in `in`, pixel for pixel but for a few: null when nowhere.
std::optional<QPoint> find(const QImage& in, const QImage& what)
{
    const QImage a = in.convertToFormat(QImage::Format_RGB32);
    const QImage b = what.convertToFormat(QImage::Format_RGB32);
    if (b.width() > a.width() || b.height() > a.height() || b.isNull())
        return std::nullopt;
    // A sparse grid first, then every pixel.
    QList<QPoint> samples;
    const int stepY = std::max(1, b.height() / 8), stepX = std::max(1, b.width() / 8);
    for (int y = stepY / 2; y < b.height(); y += stepY)
        for (int x = stepX / 2; x < b.width(); x += stepX)
            samples << QPoint(x, y);
    for (int y = 0; y + b.height() <= a.height(); ++y) {
        for (int x = 0; x + b.width() <= a.width(); ++x) {
            int same = 0;
            for (const QPoint& s : samples)
                same += a.pixel(x + s.x(), y + s.y()) == b.pixel(s) ? 1 : 0;
            if (same < samples.size() - 2)
                continue;
            if (sameShare(a, QPoint(x, y), b) >= kSame)
                return QPoint(x, y);
        }
    }
    return std::nullopt;
}

// How many pixels of the picture inside `area` have that colour, and how many do not.
std::pair<qint64, qint64> countColour(const QImage& picture, const QRect& area, QRgb colour)
{
    qint64 with = 0, without = 0;
    const QRect r = area & picture.rect();
    for (int y = r.top(); y <= r.bottom(); ++y)
        for (int x = r.left(); x <= r.right(); ++x)
            (picture.pixel(x, y) == colour ? with : without) += 1;
    return {with, without};
}

// What the workspace of a picture of the page looks like (its far corner, where no editor
// window stands), and where it starts: below the menu bar and the toolbar, which span the
// page.
struct Workspace
{
    QRgb colour;
    int top;
};
Workspace workspaceOf(const QImage& page)
{
    const int x = page.width() - 4;
    Workspace area{page.pixel(x, page.height() - 4), page.height() - 4};
    while (area.top > 0 && page.pixel(x, area.top - 1) == area.colour)
        --area.top;
    return area;
}

class HostOnXServer : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(QFileInfo::exists(hostProgram())) << hostProgram().toStdString();
        QString why;
        if (!m_server.start(&why)) {
            if (xServerRequired())
                FAIL() << why.toStdString();
            GTEST_SKIP() << why.toStdString() << " (set VANTREL_REQUIRE_XVFB=1 to make this a failure)";
        }
        m_x = std::make_unique<XClient>(m_server.display());
        ASSERT_TRUE(m_x->isOpen()) << "no connection to " << m_server.display().toStdString();
        ASSERT_TRUE(m_x->hasXTest()) << "the X server has no XTest";
        m_x->movePointer(kAside);
    }

    // The shown top-level windows with that title.
    QList<XClient::WindowId> shownTitled(const QString& title) const
    {
        QList<XClient::WindowId> found;
        for (XClient::WindowId w : m_x->shownTopLevels())
            if (m_x->title(w) == title)
                found << w;
        return found;
    }
    QString shownWindows() const
    {
        QStringList names;
        for (XClient::WindowId w : m_x->shownTopLevels()) {
            const QSize s = m_x->size(w);
            names << QStringLiteral("\"%1\" %2x%3").arg(m_x->title(w)).arg(s.width()).arg(s.height());
        }
        return names.join(QStringLiteral(", "));
    }

    // The editor windows `opened` (--open arguments) as the host draws them on this server
    // at the density: a run of its own in its screenshot mode. By picture name ("mixer-1").
    QMap<QString, QImage> editorPictures(const QStringList& opened, int scale)
    {
        const QString run = m_home.filePath(QStringLiteral("reference-%1x").arg(scale));
        const QString shots = run + QStringLiteral("/shots");
        HostOnX reference(m_server.display(), run,
                          QStringList{QStringLiteral("--no-project"), QStringLiteral("--no-surface")} + opened
                              + QStringList{QStringLiteral("--screenshot-dir"), shots, QStringLiteral("--delay"),
                                            QStringLiteral("300")},
                          scale);
        QMap<QString, QImage> pictures;
        if (!waitUntil([&] { return reference.process().state() == QProcess::NotRunning; }, kStartMs,
                       [&] { reference.read(); }))
            return pictures;
        for (const QFileInfo& file : QDir(shots).entryInfoList({QStringLiteral("*.png")}, QDir::Files))
            pictures.insert(file.completeBaseName(), QImage(file.filePath()).convertToFormat(QImage::Format_RGB32));
        return pictures;
    }
    QImage mixerPicture()
    {
        const QStringList opened{QStringLiteral("--open"), QStringLiteral("mixer:1")};
        return editorPictures(opened, 1).value(QStringLiteral("mixer-1"));
    }

    // A click at `at` on the screen, as a person's; then the pointer goes out of the way.
    void click(const QPoint& at)
    {
        m_x->movePointer(at);
        m_x->pressButton(true);
        m_x->pressButton(false);
        m_x->movePointer(kAside);
    }

    // A first start asks for the preset voices; Escape declines, as a person may. Then
    // one window is shown, the host's, which holds the page: returned, or 0 (with the
    // failures added) when it does not come.
    XClient::WindowId declinePromptAndFindPage(HostOnX& host)
    {
        const auto read = [&] { host.read(); };
        if (!waitUntil([&] { return !shownTitled(QLatin1String(kPromptTitle)).isEmpty(); }, kStartMs, read)) {
            ADD_FAILURE() << "no start-up prompt; shown: " << shownWindows().toStdString() << "\n"
                          << host.log().toStdString();
            return 0;
        }
        // Pressed again while it stays: the key goes where the input focus is, which the
        // program sets on the prompt a moment after showing it.
        int turns = 0;
        if (!waitUntil([&] { return shownTitled(QLatin1String(kPromptTitle)).isEmpty(); }, kReactMs, [&] {
                if (turns++ % 50 == 0)
                    m_x->typeKey(QStringLiteral("Escape"));
                read();
            })) {
            ADD_FAILURE() << "Escape did not close the start-up prompt";
            return 0;
        }
        if (!waitUntil([&] { return m_x->shownTopLevels().size() == 1; }, kReactMs, read)
            || shownTitled(QLatin1String(kPageTitle)).size() != 1) {
            ADD_FAILURE() << "shown: " << shownWindows().toStdString();
            return 0;
        }
        return shownTitled(QLatin1String(kPageTitle)).front();
    }

    QTemporaryDir m_home;
    XServer m_server;
    std::unique_ptr<XClient> m_x;
};

// The editor windows opened besides the mixer (which opens by default), in turn; each
// stands at the workspace's top-left corner, the last opened in front and active.
const char* const kOpenedInTurn[] = {"part:1", "part:2", "part:3", "part:4", "common"};
// Their pictures, from the active window to the first opened: each close brings back
// the one active before.
const char* const kClosedInTurn[] = {"common-1", "part-4", "part-3", "part-2", "part-1", "mixer-1"};
// In logical pixels from the top-left corner of a window's contents: a spot of its
// frame's title bar left of the title; from the top-right corner: its close button.
constexpr QPoint kTitleSpot(40, -12);
constexpr QPoint kCloseButton(-12, -12);

class HostOnXServerAtDensity : public HostOnXServer, public ::testing::WithParamInterface<int>
{
};

} // namespace

TEST_F(HostOnXServer, OneWindowHoldsThePageFollowsItsSizeTakesInputAndClosesQuickly)
{
    const QImage mixer = mixerPicture();
    ASSERT_FALSE(mixer.isNull()) << "the host did not draw the mixer on the X server";
    const QString project = m_home.filePath(QStringLiteral("host/project.tvproj"));
    HostOnX host(m_server.display(), m_home.filePath(QStringLiteral("host")),
                 {QStringLiteral("--project"), project});
    const auto read = [&] { host.read(); };

    // One window, the host's, holding the page: the mixer is drawn inside it.
    const XClient::WindowId window = declinePromptAndFindPage(host);
    ASSERT_NE(window, 0u);
    const QSize first = m_x->size(window);
    std::optional<QPoint> mixerAt;
    ASSERT_TRUE(waitUntil([&] { return (mixerAt = find(m_x->capture(window), mixer)).has_value(); }, kReactMs, read))
        << "the host window does not show the mixer";
    const Workspace area = workspaceOf(m_x->capture(window));
    const QRgb workspace = area.colour;
    const int workspaceTop = area.top;

    // Resized as a window manager does it, the page and its workspace fill the window,
    // and nothing is left to the X server's fill.
    m_x->setFillColour(window, kFill);
    const QSize sizes[] = {QSize(1590, 987), QSize(1200, 800)};
    for (const QSize& size : sizes) {
        m_x->resize(window, size);
        QImage picture;
        qint64 notWorkspace = 0, barsCut = 0, unpainted = 0;
        const bool followed = waitUntil(
            [&] {
                picture = m_x->capture(window);
                if (picture.size() != size)
                    return false;
                notWorkspace = barsCut = 0;
                for (int y = 0; y < size.height(); ++y) {
                    for (int x = y < first.height() ? first.width() : 0; x < size.width(); ++x) {
                        if (y >= workspaceTop)
                            notWorkspace += picture.pixel(x, y) != workspace ? 1 : 0;
                        else if (x < size.width() - 8)
                            barsCut += picture.pixel(x, y) != picture.pixel(first.width() - 4, y) ? 1 : 0;
                    }
                }
                unpainted = countColour(picture, picture.rect(), kFill).first;
                return notWorkspace == 0 && barsCut == 0 && unpainted == 0;
            },
            kReactMs, read);
        EXPECT_TRUE(followed) << size.width() << "x" << size.height() << ": window " << picture.width() << "x"
                              << picture.height() << "; beyond the first size " << notWorkspace
                              << " pixels are no workspace and " << barsCut
                              << " do not continue the bars; " << unpainted << " unpainted";
    }

    // A drag around a pan knob reaches the instrument as that part's pan, and no other part's.
    struct Drag
    {
        int strip;
        const char* address;
    };
    const Drag drags[] = {{3, "37 02 0e"}, {16, "37 0f 0e"}};
    const QRegularExpression anyPan(QStringLiteral("parameter 37 ([0-9a-f]{2}) 0e = ([0-9a-f]{2})"));
    QList<int> draggedParts;
    for (const Drag& d : drags) {
        draggedParts << d.strip - 1;
        const QPoint centre = m_x->origin(window) + *mixerAt + panKnobInMixer(d.strip);
        const qsizetype from = host.log().size();
        // On the knob's face where its pointer stands (centre: straight up), then round
        // clockwise as a hand turns it. The face is smaller than the knob's frame, and
        // a press beside it goes to what lies below.
        constexpr double kRim = 8.0;
        m_x->movePointer(centre + QPoint(0, -int(kRim)));
        m_x->pressButton(true);
        for (int degrees = 10; degrees <= 60; degrees += 10) {
            const double a = degrees * kPi / 180.0;
            m_x->movePointer(centre
                             + QPoint(int(std::lround(kRim * std::sin(a))), -int(std::lround(kRim * std::cos(a)))));
            m_x->sync();
        }
        m_x->pressButton(false);
        const QString wanted = QStringLiteral("parameter %1 = ").arg(QLatin1String(d.address));
        EXPECT_TRUE(waitUntil([&] { return host.log().indexOf(wanted, from) >= 0; }, kReactMs, read))
            << "strip " << d.strip << ": the instrument took no pan change of its part\n"
            << host.log().mid(from).toStdString();
        // The changes of an earlier drag may still come in; no other part's pan moves.
        for (auto it = anyPan.globalMatch(host.log().mid(from)); it.hasNext();) {
            const QRegularExpressionMatch m = it.next();
            EXPECT_TRUE(draggedParts.contains(m.captured(1).toInt(nullptr, 16)))
                << "strip " << d.strip << " moved another part's pan: " << m.captured(0).toStdString();
            EXPECT_NE(m.captured(2), QStringLiteral("40")) << "strip " << d.strip << ": pan still in the centre";
        }
    }

    // Ctrl+W in the page closes its active editor window, the mixer just used.
    m_x->movePointer(kAside);
    m_x->typeKey(QStringLiteral("w"), {QStringLiteral("Control_L")});
    const auto mixerShown = [&] { return find(m_x->capture(window), mixer).has_value(); };
    EXPECT_TRUE(waitUntil([&] { return !mixerShown(); }, kReactMs, read)) << "Ctrl+W left the mixer open\n"
                                                                          << host.log().toStdString();
    EXPECT_FALSE(host.log().contains(QLatin1String("Ambiguous shortcut"))) << host.log().toStdString();

    // The window manager asks the window to close: the program saves its project and ends.
    ASSERT_FALSE(QFileInfo::exists(project));
    m_x->requestClose(window);
    QElapsedTimer clock;
    clock.start();
    ASSERT_TRUE(host.process().waitForFinished(kReactMs)) << "the host did not end";
    const qint64 closeToExit = clock.elapsed();
    host.read();
    EXPECT_EQ(host.process().exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(host.process().exitCode(), 0) << host.log().toStdString();
    EXPECT_LE(closeToExit, kCloseToExitMs) << "from the close request to the end of the process";
    EXPECT_GT(QFileInfo(project).size(), 0) << "no project saved";
    std::printf("close request to the end of the process: %lld ms\n", static_cast<long long>(closeToExit));
}

// Ctrl+W closes the active editor window, and the window active before it becomes
// active, so that each further Ctrl+W closes one more until the workspace is empty; the
// same after the user closes the active window with its frame's close button. The
// window in front is the one active, its title drawn as active; a picture of the page
// after the first close is kept in the working folder.
TEST_P(HostOnXServerAtDensity, EachCtrlWClosesTheActiveEditorWindowUntilTheWorkspaceIsEmpty)
{
    const int scale = GetParam();
    QStringList opened;
    for (const char* window : kOpenedInTurn)
        opened << QStringLiteral("--open") << QLatin1String(window);
    const QMap<QString, QImage> pictures = editorPictures(opened, scale);
    for (const char* name : kClosedInTurn)
        ASSERT_FALSE(pictures.value(QLatin1String(name)).isNull()) << "the host did not draw " << name;
    // The window in front at `at`: the one whose picture it shows most nearly.
    const auto inFront = [&](const QImage& page, const QPoint& at) {
        QString best;
        double most = kSame;
        for (const char* name : kClosedInTurn) {
            const double share = sameShare(page, at, pictures[QLatin1String(name)]);
            if (share >= most) {
                most = share;
                best = QLatin1String(name);
            }
        }
        return best;
    };

    struct Way
    {
        const char* name;
        bool closeButton; // the first close; Ctrl+W the others
    };
    const Way ways[] = {{"ctrl-w", false}, {"close-button", true}};
    for (const Way& way : ways) {
        SCOPED_TRACE(way.name);
        const QString run = QStringLiteral("%1-%2x").arg(QLatin1String(way.name)).arg(scale);
        HostOnX host(m_server.display(), m_home.filePath(run),
                     QStringList{QStringLiteral("--no-project"), QStringLiteral("--no-surface")} + opened, scale);
        const auto read = [&] { host.read(); };
        const XClient::WindowId page = declinePromptAndFindPage(host);
        ASSERT_NE(page, 0u);
        const QImage& common = pictures[QStringLiteral("common-1")];
        std::optional<QPoint> at;
        ASSERT_TRUE(waitUntil([&] { return (at = find(m_x->capture(page), common)).has_value(); }, kReactMs, read))
            << "the common window is not in front\n" << host.log().toStdString();
        const QImage start = m_x->capture(page);
        const Workspace area = workspaceOf(start);
        const QPoint titleSpot = *at + kTitleSpot * scale;
        const QRgb active = start.pixel(titleSpot);
        // The mixer's title bar, beside the common window: not active.
        ASSERT_NE(active, start.pixel(titleSpot + QPoint(common.width(), 0))) << "no window has an active title";

        // A click on the empty workspace gives the page the input focus, as a person's does.
        click(m_x->origin(page) + QPoint(start.width(), start.height()) - QPoint(8, 8));
        ASSERT_TRUE(waitUntil([&] { return m_x->inputFocus() == page; }, kReactMs, read))
            << "the click gave the page no input focus";

        for (size_t i = 0; i < std::size(kClosedInTurn); ++i) {
            const QString closing = QLatin1String(kClosedInTurn[i]);
            if (i == 0 && way.closeButton) {
                click(m_x->origin(page) + *at + QPoint(common.width(), 0) + kCloseButton * scale);
            } else {
                m_x->typeKey(QStringLiteral("w"), {QStringLiteral("Control_L")});
            }
            // The next in turn in front with an active title; after the last, nothing
            // but the workspace.
            const bool last = i + 1 == std::size(kClosedInTurn);
            const QString next = last ? QString() : QLatin1String(kClosedInTurn[i + 1]);
            QImage picture;
            QString front;
            const bool closed = waitUntil(
                [&] {
                    picture = m_x->capture(page);
                    if (picture.size() != start.size())
                        return false;
                    front = inFront(picture, *at);
                    if (last)
                        return countColour(picture, QRect(0, area.top, picture.width(), picture.height() - area.top),
                                           area.colour)
                                   .second
                               == 0;
                    return front == next && picture.pixel(titleSpot) == active;
                },
                kReactMs, read);
            if (i == 0) {
                const QString kept = QDir::current().filePath(QStringLiteral("after-first-close-%1.png").arg(run));
                EXPECT_TRUE(picture.save(kept)) << kept.toStdString();
                std::printf("after the first close: %s\n", qPrintable(kept));
            }
            EXPECT_TRUE(closed) << "closing " << closing.toStdString() << ": in front "
                                << (front.isEmpty() ? "no window" : front.toStdString())
                                << (last || picture.pixel(titleSpot) == active ? "" : ", its title not active")
                                << "\n" << host.log().toStdString();
            if (!closed)
                break;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Densities, HostOnXServerAtDensity, ::testing::Values(1, 2),
                         [](const ::testing::TestParamInfo<int>& info) { return "x" + std::to_string(info.param); });
