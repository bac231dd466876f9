// Journey 8: the setup of each project. Project A sets the instrument to device 1 and
// bulk dumps to 0 ms, project B to device 4 and 50 ms, each saved with its project.
// Started again on each project, the setup dialog shows that project's own values and
// an edit reaches an instrument set to that project's device; a new project takes the
// values last chosen.
#include "JourneyRig.h"
#include <QDir>

using namespace Journeys;

namespace {

struct Shown
{
    QString device, interval;
};

class ProjectSetupJourney : public JourneyRig
{
protected:
    void useProject(const QString& name)
    {
        QDir(m_dir.path()).mkpath(name);
        m_options.projectPath = m_dir.filePath(name + QLatin1Char('/') + name + QStringLiteral(".tvproj"));
    }
    // Opens Setup from the Setup menu and notes the device and interval it shows; then
    // chooses the given ones and presses OK, or presses Cancel when none are given.
    bool setup(Shown& shown, const QString& device = QString(), const QString& interval = QString())
    {
        answer({Answer{QStringLiteral("SetupDialog"), [&shown, device, interval](QWidget* w) {
                           auto* devices = child<QComboBox>(w, "DeviceNoComboBox");
                           auto* intervals = child<QComboBox>(w, "DumpIntervalComboBox");
                           if (!devices || !intervals)
                               throw std::runtime_error("the setup dialog has no device or interval choice");
                           shown = {devices->currentText(), intervals->currentText()};
                           if (device.isEmpty())
                               return click(w, "CancelButton");
                           if (!pick(devices, device) || !pick(intervals, interval))
                               throw std::runtime_error("the setup dialog does not offer " + device.toStdString()
                                                        + " and " + interval.toStdString());
                           return click(w, "OKButton");
                       }}});
        return chooseMenu(QStringLiteral("&Setup"), QStringLiteral("Set&up...")) && waitAnswered();
    }
    // Turns part 1's pan one step with the keyboard, the instrument set to `device`
    // (0 is device 1): true when it takes the change, sent under that device number.
    bool editReaches(int device)
    {
        instrument().setDeviceNumber(device);
        instrument().clearLogs();
        QTest::keyClick(control<CDial_VANTREL_KXE>(strips()[0], "ChPan"), Qt::Key_Down);
        const Bytes head{0xF0, 0x43, uint8_t(0x10 | device), 0x5C, 0x37, 0x00, 0x0E};
        return waitFor(
            [&] {
                for (const Instrument::Received& r : instrument().received(Kind::ParameterChange))
                    if (r.bytes.size() > head.size() && std::equal(head.begin(), head.end(), r.bytes.begin()))
                        return true;
                return false;
            },
            3000);
    }
    std::string receivedMessages() const
    {
        std::string out;
        for (const Instrument::Received& r : instrument().received())
            out += "\n  " + hex(r.bytes);
        return out.empty() ? std::string(" none") : out;
    }
    void start()
    {
        ASSERT_TRUE(startHost({closePresetPrompt()})) << at() << m_failure;
        ASSERT_TRUE(waitAnswered()) << at() << dialogFailure();
        ASSERT_EQ(strips().size(), kStrips) << at() << "the mixer did not open";
    }
};

} // namespace

TEST_F(ProjectSetupJourney, EachProjectKeepsItsDeviceAndIntervalDevice1And0MsIncluded)
{
    struct Project
    {
        const char* name;
        const char* device;
        const char* interval;
        int deviceNumber;
    };
    const Project projects[] = {{"A", "1", "0 ms", 0}, {"B", "4", "50 ms", 3}};

    for (const Project& p : projects) {
        step(std::string("project ") + p.name + ": Setup chooses device " + p.device + " and " + p.interval);
        useProject(QLatin1String(p.name));
        start();
        Shown shown;
        ASSERT_TRUE(setup(shown, QLatin1String(p.device), QLatin1String(p.interval))) << at() << dialogFailure();
        EXPECT_TRUE(editReaches(p.deviceNumber)) << at() << "the instrument received:" << receivedMessages();
        stopHost(true);
        ASSERT_TRUE(QFile::exists(m_options.projectPath)) << at() << "no project was written";
    }

    for (const Project& p : projects) {
        step(std::string("project ") + p.name + " again: Setup shows device " + p.device + " and " + p.interval);
        useProject(QLatin1String(p.name));
        start();
        Shown shown;
        ASSERT_TRUE(setup(shown)) << at() << dialogFailure();
        EXPECT_EQ(shown.device.toStdString(), p.device) << at();
        EXPECT_EQ(shown.interval.toStdString(), p.interval) << at();

        step(std::string("an edit reaches an instrument set to device ") + p.device);
        EXPECT_TRUE(editReaches(p.deviceNumber)) << at() << "the instrument received:" << receivedMessages();
        stopHost(true);
    }

    step("a new project takes the values chosen last: device 4 and 50 ms");
    useProject(QStringLiteral("C"));
    start();
    Shown shown;
    ASSERT_TRUE(setup(shown)) << at() << dialogFailure();
    EXPECT_EQ(shown.device, QStringLiteral("4")) << at();
    EXPECT_EQ(shown.interval, QStringLiteral("50 ms")) << at();
    EXPECT_TRUE(editReaches(3)) << at() << "the instrument received:" << receivedMessages();
}
