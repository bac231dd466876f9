// The mixer inside the real component in the substitute host, on the simulated
// instrument: it opens by default with every strip on its part, a pan turned with the
// mouse reaches the instrument as that part's pan, a multi received from the
// instrument shows on every strip, the surface's requests arrive through the
// companion, the window comes back from a saved project where it stood, and the host
// program's screenshot mode draws the strips with their values.
#include "MixerHostRig.h"
#include <QDir>
#include <QImage>
#include <QProcess>
#include <QProcessEnvironment>
#include <cmath>

using namespace NS_MixerTest;

namespace {

using Bytes = NS_Simulator::Bytes;

constexpr uint8_t kPartBlock = 0x37;
constexpr uint8_t kVolume = 0x0D;
constexpr uint8_t kPan = 0x0E;
constexpr uint8_t kReverbSend = 0x12;
constexpr double kPi = 3.14159265358979323846;

// The parameter changes the instrument received for one parameter of the parts:
// part index and value.
std::vector<std::pair<int, int>> partChanges(const Instrument& instrument, uint8_t parameter)
{
    std::vector<std::pair<int, int>> out;
    for (const Instrument::Received& r : instrument.received(Instrument::Kind::ParameterChange)) {
        const Bytes& b = r.bytes;
        if (b.size() == 9 && b[4] == kPartBlock && b[6] == parameter)
            out.push_back({b[5], b[7]});
    }
    return out;
}

// A point on the knob's pointer line at the given angle (degrees clockwise from up).
QPoint onKnob(const QWidget& knob, double degrees)
{
    const double r = knob.width() * 0.35;
    const double a = degrees * kPi / 180.0;
    return QPoint(int(std::lround(knob.width() / 2.0 + r * std::sin(a))),
                  int(std::lround(knob.height() / 2.0 - r * std::cos(a))));
}

class MixerInHost : public MixerHostRig
{
};

} // namespace

TEST_F(MixerInHost, OpensByDefaultWithEveryStripOnItsPart)
{
    startHost();
    EXPECT_TRUE(m_mixer->isVisible());
    EXPECT_EQ(m_mixer->size(), kWindowSize);
    EXPECT_EQ(m_mixer->windowTitle(), QStringLiteral("Part Mixer"));
    for (int i = 0; i < kStrips; ++i) {
        SCOPED_TRACE(testing::Message() << "part " << i + 1);
        for (QWidget* c : boundControls(m_strips[i])) {
            ASSERT_TRUE(proxyOf(c)->memAPIReady()) << c->objectName().toStdString();
            EXPECT_EQ(proxyOf(c)->channel(), i) << c->objectName().toStdString();
        }
        EXPECT_FALSE(voiceNameOf(m_view, i)->text().isEmpty());
    }
}

// A drag on the third strip's pan knob, made with the mouse, is sent to the instrument
// as the third part's pan and as no other part's.
TEST_F(MixerInHost, APanTurnOnStrip3ReachesTheInstrumentAsPart3sPan)
{
    startHost();
    m_server->workspace()->setActiveSubWindow(frameOf(m_mixer));
    auto* pan = control<CDial_VANTREL_KXE>(m_strips[2], "ChPan");
    ASSERT_NE(pan, nullptr);
    const int before = pan->value();
    instrument()->clearLogs();

    double at = pan->GetAngle();
    QTest::mousePress(pan, Qt::LeftButton, Qt::NoModifier, onKnob(*pan, at));
    for (int step = 0; step < 6; ++step) {
        at += 10;
        QTest::mouseMove(pan, onKnob(*pan, at));
    }
    QTest::mouseRelease(pan, Qt::LeftButton, Qt::NoModifier, onKnob(*pan, at));
    const int turned = pan->value();
    ASSERT_GT(turned, before) << "the drag did not turn the knob clockwise";

    ASSERT_TRUE(pumpUntil(
        [&] {
            const auto changes = partChanges(*instrument(), kPan);
            return !changes.empty() && changes.back().second == turned;
        },
        5000))
        << "the instrument did not receive the pan the knob shows";
    for (const auto& [part, value] : partChanges(*instrument(), kPan))
        EXPECT_EQ(part, 2) << "part " << part + 1 << "'s pan changed to " << value;
    Bytes stored;
    ASSERT_TRUE(instrument()->image().readEdit(Bytes{kPartBlock, 0x02, kPan}, 1, &stored));
    EXPECT_EQ(stored, Bytes{uint8_t(turned)});
}

// The instrument's multi, different on every part, comes in as a bulk dump and every
// strip shows its part's values, the master strip the multi's.
TEST_F(MixerInHost, AMultiReceivedFromTheInstrumentShowsOnEveryStrip)
{
    startHost();
    const auto panOf = [](int part) { return (part * 8 + 3) % 128; };
    const auto sendOf = [](int part) { return 10 + part * 7; };
    const auto volumeOf = [](int part) { return 120 - part * 7; };
    // The master strip's high EQ gain (the common block travels with the multi).
    constexpr int kMasterHighGain = 0x48;
    bool written = true;
    instrument()->editImage([&](NS_Simulator::SimMemoryImage& image) {
        for (int p = 0; p < kStrips; ++p) {
            written &= image.writeEdit(Bytes{kPartBlock, uint8_t(p), kPan}, Bytes{uint8_t(panOf(p))});
            written &= image.writeEdit(Bytes{kPartBlock, uint8_t(p), kReverbSend}, Bytes{uint8_t(sendOf(p))});
            written &= image.writeEdit(Bytes{kPartBlock, uint8_t(p), kVolume}, Bytes{uint8_t(volumeOf(p))});
        }
        written &= image.writeEdit(Bytes{0x36, 0x00, 0x44}, Bytes{kMasterHighGain});
    });
    ASSERT_TRUE(written);
    std::vector<int> fadersBefore;
    for (QWidget* strip : m_strips)
        fadersBefore.push_back(control<CFader_VANTREL_KXE>(strip, "ChannelFader")->value());

    receiveMulti();
    const auto shown = [&](int p) {
        return control<CDial_VANTREL_KXE>(m_strips[p], "ChPan")->value() == panOf(p)
               && control<CDial_VANTREL_KXE>(m_strips[p], "ChEffRev")->value() == sendOf(p);
    };
    ASSERT_TRUE(pumpUntil(
        [&] {
            for (int p = 0; p < kStrips; ++p) {
                if (!shown(p))
                    return false;
            }
            return true;
        },
        5000));
    // Each fader follows its part's volume: the volumes fall from part to part.
    for (int p = 0; p < kStrips; ++p) {
        SCOPED_TRACE(testing::Message() << "part " << p + 1);
        auto* fader = control<CFader_VANTREL_KXE>(m_strips[p], "ChannelFader");
        EXPECT_EQ(api()->MAPI_getIndParam(fader->element(), fader->param(), short(p), false, nullptr), volumeOf(p));
        if (p > 0)
            EXPECT_LT(fader->value(), control<CFader_VANTREL_KXE>(m_strips[p - 1], "ChannelFader")->value());
    }
    EXPECT_NE(fadersBefore.front(), control<CFader_VANTREL_KXE>(m_strips.front(), "ChannelFader")->value());
    auto* high = control<CDial_VANTREL_KXE>(masterOf(m_view), "MasterEqHiDial");
    EXPECT_EQ(api()->MAPI_getIndParam(high->element(), high->param(), high->channel(), false, nullptr),
              kMasterHighGain);
    EXPECT_TRUE(pumpUntil([&] { return high->value() == kMasterHighGain; }, 2000)) << high->value();
}

// The surface's requests come from the companion: a page request opens the part's
// detail window, a focus request with the mixer active puts the focus on its control.
TEST_F(MixerInHost, SurfaceRequestsThroughTheCompanionOpenWindowsAndMoveTheFocus)
{
    startHost();
    ASSERT_NE(companion(), nullptr);
    companion()->internalOpenGuiWindow(5, 2, -1);
    pumpToolkit();
    QWidget* part5 = m_server->recordedEditor(QStringLiteral("5;{0b2621dc-3d30-3c4b-b6fe-3fd92456225f}"));
    ASSERT_NE(part5, nullptr) << "the page request opened no part window";
    EXPECT_TRUE(part5->isVisible());

    m_server->workspace()->setActiveSubWindow(frameOf(m_mixer));
    auto* pan = control<CDial_VANTREL_KXE>(m_strips[6], "ChPan");
    companion()->internalRemoteControlFocus(pan->element(), pan->channel(), pan->param());
    pumpToolkit();
    EXPECT_EQ(m_mixer->focusWidget(), pan);
}

// A project saved with the mixer moved brings it back there, with the project's values.
TEST_F(MixerInHost, ComesBackFromASavedProjectWhereItStood)
{
    startHost();
    frameOf(m_mixer)->move(37, 23);
    write("FEkMixPart/kPartPan", 1, 99);
    ASSERT_TRUE(pumpUntil([&] { return control<CDial_VANTREL_KXE>(m_strips[1], "ChPan")->value() == 99; }, 3000));
    stopHost(true);

    startHost();
    EXPECT_EQ(frameOf(m_mixer)->pos(), QPoint(37, 23));
    EXPECT_EQ(m_mixer->size(), kWindowSize);
    EXPECT_TRUE(m_mixer->isVisible());
    EXPECT_EQ(control<CDial_VANTREL_KXE>(m_strips[1], "ChPan")->value(), 99);
    EXPECT_EQ(proxyOf(control<CDial_VANTREL_KXE>(m_strips[1], "ChPan"))->channel(), 1);
}

namespace {

QImage cut(const QImage& picture, const QRect& area)
{
    return picture.copy(area).convertToFormat(QImage::Format_ARGB32);
}

// Pixels near the colour, within a tolerance for anti-aliased text.
int pixelsNear(const QImage& image, const QColor& colour)
{
    int n = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const QColor c = image.pixelColor(x, y);
            n += std::abs(c.red() - colour.red()) + std::abs(c.green() - colour.green())
                     + std::abs(c.blue() - colour.blue()) < 90;
        }
    }
    return n;
}

// Antialiased small text: pixels with a plain cyan cast over the dark panel.
int cyanTextPixels(const QImage& image)
{
    int n = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const QColor c = image.pixelColor(x, y);
            n += c.green() > 120 && c.blue() > 120 && c.green() > c.red() + 60 && c.blue() > c.red() + 60;
        }
    }
    return n;
}

double sameShare(const QImage& a, const QImage& b)
{
    if (a.size() != b.size())
        return 0;
    int same = 0;
    for (int y = 0; y < a.height(); ++y) {
        for (int x = 0; x < a.width(); ++x)
            same += a.pixel(x, y) == b.pixel(x, y);
    }
    return double(same) / (a.width() * a.height());
}

} // namespace

// The host program writes the mixer of a project to mixer-1.png: every strip and the
// master strip are drawn, each strip's pan knob and fader show its part's own value,
// its part number and voice name are written in its header, and the picture is the
// window as the editor shows it.
TEST_F(MixerInHost, ScreenshotModeDrawsTheStripsAndTheirValues)
{
    // Even parts panned hard left, odd parts hard right, every volume its own.
    startHost();
    for (int p = 0; p < kStrips; ++p) {
        write("FEkMixPart/kPartPan", p, p % 2 == 0 ? 0 : 127);
        write("FEkMixPart/kPartVolume", p, 10 + p * 7);
    }
    ASSERT_TRUE(pumpUntil(
        [&] { return control<CDial_VANTREL_KXE>(m_strips.last(), "ChPan")->value() == 127; }, 3000));
    m_server->workspace()->setActiveSubWindow(nullptr);
    pumpToolkit();
    const QImage shown = m_mixer->grab().toImage().convertToFormat(QImage::Format_ARGB32);
    stopHost(true);

    const QString shots = m_dir.filePath(QStringLiteral("shots"));
    QProcess host;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    env.insert(QStringLiteral("VANTREL_MIDI_BACKEND"), QStringLiteral("virtual"));
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), m_dir.filePath(QStringLiteral("config")));
    env.insert(QStringLiteral("XDG_DATA_HOME"), m_dir.filePath(QStringLiteral("data")));
    env.insert(QStringLiteral("ASAN_OPTIONS"), QStringLiteral("detect_leaks=0"));
    host.setProcessEnvironment(env);
    host.start(QStringLiteral(VANTREL_HOST_PROGRAM),
               {QStringLiteral("--project"), m_options.projectPath, QStringLiteral("--no-save"),
                QStringLiteral("--no-surface"), QStringLiteral("--delay"), QStringLiteral("500"),
                QStringLiteral("--screenshot-dir"), shots});
    ASSERT_TRUE(host.waitForFinished(120000)) << "the host program did not end";
    EXPECT_EQ(host.exitCode(), 0) << host.readAllStandardError().toStdString();

    QImage picture(QDir(shots).filePath(QStringLiteral("mixer-1.png")));
    ASSERT_FALSE(picture.isNull()) << "no mixer-1.png";
    picture = picture.convertToFormat(QImage::Format_ARGB32);
    ASSERT_EQ(picture.size(), kWindowSize);

    const QRect panKnob(3, 306, 36, 36);
    const QRect fader(13, 350, 20, 132);
    const auto inStrip = [](int i, const QRect& r) { return r.translated(6 + 46 * i, 4); };
    for (int i = 0; i < kStrips; ++i) {
        SCOPED_TRACE(testing::Message() << "part " << i + 1);
        // The same pan looks the same two strips on, and the other way one strip on.
        if (i + 2 < kStrips)
            EXPECT_EQ(cut(picture, inStrip(i, panKnob)), cut(picture, inStrip(i + 2, panKnob)));
        if (i + 1 < kStrips) {
            EXPECT_NE(cut(picture, inStrip(i, panKnob)), cut(picture, inStrip(i + 1, panKnob)));
            EXPECT_NE(cut(picture, inStrip(i, fader)), cut(picture, inStrip(i + 1, fader)));
        }
        // The part number in orange, the voice name in cyan.
        EXPECT_GT(pixelsNear(cut(picture, inStrip(i, QRect(8, 5, 31, 11))), QColor(255, 85, 0)), 6);
        EXPECT_GT(cyanTextPixels(cut(picture, QRect(8 + 46 * i, i % 2 == 0 ? 44 : 60, 72, 11))), 20);
    }
    // The whole window as the editor showed the same project.
    EXPECT_GT(sameShare(picture, shown), 0.98);
    // The master strip is drawn: its fader and knobs differ from the bare background.
    EXPECT_NE(cut(picture, QRect(744 + 37, 78 + 276, 20, 132)), cut(picture, QRect(744 + 64, 78 + 276, 20, 132)));
}
