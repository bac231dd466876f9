// The editor windows drawn at twice the density (QT_SCALE_FACTOR=2) against the same
// windows at single density, each in a process of its own as a person's desktop runs
// it: every control of the mixer, of detail pages and of the tool bar draws over the
// same part of its frame at both, so that no switch, tab or knob shrinks into a corner
// of its frame and no icon grows out of its place.
// The pictures stay in the build folder (host/density-pictures) to be looked at.
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <algorithm>
#include <cmath>
#include <ostream>
#include <map>
#include <string>
#include <vector>

namespace {

// How far an edge of a control's drawing at twice the density, in single-density
// pixels, may stand from where it stands at single density: antialiased edges and
// text hinted for another size move by a pixel or two, nothing more.
constexpr double kTolerance = 2.0;

struct Box
{
    bool drawn = false;
    double left = 0, top = 0, right = 0, bottom = 0; // in single-density pixels
};

struct Measured
{
    QString address;
    QString frame;
    double ratio = 0;
    Box box;
};

struct Measurement
{
    QString error;
    // Page and control path to what was measured.
    std::map<std::pair<int, QString>, Measured> controls;
};

QString pictureFolder()
{
    QDir build(QStringLiteral(VANTREL_HOST_COMPONENT_PATH));
    build.cdUp();
    return QDir::cleanPath(build.absoluteFilePath(QStringLiteral("../../host/density-pictures")));
}

Measurement measure(const QString& window, const std::vector<int>& pages, int scale)
{
    Measurement run;
    QTemporaryDir home;
    QProcess process;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    env.insert(QStringLiteral("QT_SCALE_FACTOR"), QString::number(scale));
    env.insert(QStringLiteral("VANTREL_MIDI_BACKEND"), QStringLiteral("virtual"));
    env.insert(QStringLiteral("XDG_DATA_HOME"), home.filePath(QStringLiteral("data")));
    process.setProcessEnvironment(env);
    QStringList arguments{window};
    for (int page : pages)
        arguments << QString::number(page);
    arguments << QStringLiteral("--pictures") << pictureFolder();
    process.start(QCoreApplication::applicationDirPath() + QStringLiteral("/control_boxes"), arguments);
    if (!process.waitForStarted(10000) || !process.waitForFinished(240000)) {
        process.kill();
        process.waitForFinished(5000);
        run.error = QStringLiteral("control_boxes did not end");
        return run;
    }
    if (process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0) {
        run.error = QStringLiteral("control_boxes ended with %1: %2")
                        .arg(process.exitCode())
                        .arg(QString::fromLocal8Bit(process.readAllStandardError()));
        return run;
    }
    const QStringList lines = QString::fromLocal8Bit(process.readAllStandardOutput()).split(QLatin1Char('\n'));
    for (const QString& line : lines) {
        const QStringList f = line.split(QLatin1Char('\t'));
        if (f.size() != 6)
            continue;
        Measured m;
        m.address = f[2];
        m.frame = f[3];
        m.ratio = f[4].toDouble();
        const QStringList b = f[5].split(QLatin1Char(' '));
        if (b.size() == 4 && m.ratio > 0) {
            m.box = {true, b[0].toDouble() / m.ratio, b[1].toDouble() / m.ratio, b[2].toDouble() / m.ratio,
                     b[3].toDouble() / m.ratio};
        }
        run.controls[{f[0].toInt(), f[1]}] = m;
    }
    return run;
}

QString text(const Box& b)
{
    return b.drawn ? QStringLiteral("%1,%2 to %3,%4").arg(b.left).arg(b.top).arg(b.right).arg(b.bottom)
                   : QStringLiteral("nothing");
}

struct WindowCase
{
    const char* window;
    std::vector<int> pages; // none: the window as it opens
    const char* name;
    size_t least; // controls that draw something: fewer means the window was not drawn
};

void PrintTo(const WindowCase& c, std::ostream* out)
{
    *out << c.window;
}

// The control's own part of its path and its parent's: "ChannelStripEx(ChannelStrip)#3/
// QFrame(wholeStrip)#0/COnOffButton_VANTREL_KXE(MuteButton)#7" reads as the strip's
// frame and the button.
QString shortName(const QString& path)
{
    const QStringList parts = path.split(QLatin1Char('/'));
    return parts.mid(std::max<int>(0, int(parts.size()) - 3)).join(QLatin1Char('/'));
}

class DrawnAtTwiceTheDensity : public ::testing::TestWithParam<WindowCase>
{
};

} // namespace

TEST_P(DrawnAtTwiceTheDensity, EveryControlDrawsOverTheSamePartOfItsFrameAsAtSingleDensity)
{
    const WindowCase& c = GetParam();
    const Measurement single = measure(QLatin1String(c.window), c.pages, 1);
    ASSERT_TRUE(single.error.isEmpty()) << qPrintable(single.error);
    const Measurement twice = measure(QLatin1String(c.window), c.pages, 2);
    ASSERT_TRUE(twice.error.isEmpty()) << qPrintable(twice.error);

    QStringList faults;
    int drawn = 0;
    for (const auto& [key, one] : single.controls) {
        const QString name = QStringLiteral("page %1 %2 (%3)").arg(key.first).arg(shortName(key.second), one.address);
        const auto found = twice.controls.find(key);
        if (found == twice.controls.end()) {
            faults << name + QStringLiteral(": not there at twice the density");
            continue;
        }
        const Measured& two = found->second;
        if (one.ratio != 1 || two.ratio != 2) {
            faults << name + QStringLiteral(": drawn at %1 and %2, not 1 and 2").arg(one.ratio).arg(two.ratio);
            continue;
        }
        if (one.frame != two.frame) {
            faults << name + QStringLiteral(": frame %1 at single density, %2 at twice").arg(one.frame, two.frame);
            continue;
        }
        drawn += one.box.drawn;
        const bool same = one.box.drawn == two.box.drawn
                          && (!one.box.drawn
                              || (std::abs(one.box.left - two.box.left) <= kTolerance
                                  && std::abs(one.box.top - two.box.top) <= kTolerance
                                  && std::abs(one.box.right - two.box.right) <= kTolerance
                                  && std::abs(one.box.bottom - two.box.bottom) <= kTolerance));
        if (!same)
            faults << name + QStringLiteral(" in frame %1: drew %2 at single density, %3 at twice")
                                 .arg(one.frame, text(one.box), text(two.box));
    }
    EXPECT_GE(size_t(drawn), c.least) << "controls that draw something";
    EXPECT_TRUE(faults.isEmpty()) << faults.size() << " of " << single.controls.size() << " controls:\n"
                                  << qPrintable(faults.join(QLatin1Char('\n')));
}

INSTANTIATE_TEST_SUITE_P(
    Windows, DrawnAtTwiceTheDensity,
    ::testing::Values(WindowCase{"mixer:1", {}, "Mixer", 200},
                      // The arpeggiator page (switches, knobs, choices, tabs) and the
                      // insertion switches; the general page and the receive switches.
                      WindowCase{"common:1", {0, 5}, "CommonDetail", 100},
                      WindowCase{"part:1", {0, 6}, "PartDetail", 60},
                      // The page's tool bar, a window of the dialogs add-on.
                      WindowCase{"dialogs:11", {}, "Toolbar", 9}),
    [](const ::testing::TestParamInfo<WindowCase>& info) { return std::string(info.param.name); });
