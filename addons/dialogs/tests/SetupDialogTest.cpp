// The setup dialog through the component on the in-process MIDI bus: values come from
// the preferences, or from the settings where the project holds none; port names
// lose their direction marker; a remembered port that is gone shows as "N/A - name";
// OK writes the preferences, the settings and the port bridges, Cancel writes nothing;
// a port that vanishes while the dialog is open never makes OK choose another one.
#include "DialogsRig.h"
#include "console/memapi/TovarIMemAPI.h"
#include "genericeditor/EditorIPrefsQuery_VANTREL_KXE.h"
#include "platform/MidiService.h"
#include "utilities/interfaces/TMIDIProxyInOut.h"
#include "widgets/CDial_VANTREL_KXE.h"
#include <QComboBox>
#include <QDataStream>
#include <QFile>
#include <QProcess>
#include <QPushButton>
#include <QSettings>
#include <fcntl.h>
#include <unistd.h>

using namespace DialogsTest;
using namespace NS_TovarMemAPI;

namespace {

// Endpoints of our own on the process's MIDI bus, removed at the end.
class BusEndpoints
{
public:
    BusEndpoints() { NS_Platform::MidiService::system().createClient(QStringLiteral("setup test"), &m_client); }
    ~BusEndpoints()
    {
        for (const auto ref : m_endpoints)
            NS_Platform::MidiService::system().disposeEndpoint(ref);
        NS_Platform::MidiService::system().disposeClient(m_client);
    }
    NS_Platform::MidiRef source(const QString& name)
    {
        NS_Platform::MidiRef ref = 0;
        NS_Platform::MidiService::system().createSource(m_client, name, &ref);
        m_endpoints.push_back(ref);
        return ref;
    }
    NS_Platform::MidiRef destination(const QString& name)
    {
        NS_Platform::MidiRef ref = 0;
        NS_Platform::MidiService::system().createDestination(
            m_client, name, [](const NS_Platform::MidiPacketList&, void*) {}, nullptr, &ref);
        m_endpoints.push_back(ref);
        return ref;
    }
    void remove(NS_Platform::MidiRef ref)
    {
        NS_Platform::MidiService::system().disposeEndpoint(ref);
        m_endpoints.erase(std::remove(m_endpoints.begin(), m_endpoints.end(), ref), m_endpoints.end());
    }

private:
    NS_Platform::MidiRef m_client = 0;
    std::vector<NS_Platform::MidiRef> m_endpoints;
};

QStringList items(QComboBox* box)
{
    QStringList out;
    for (int i = 0; i < box->count(); ++i)
        out << box->itemText(i);
    return out;
}

class SetupDialogs : public DialogsRig
{
protected:
    QSettings settings() const { return QSettings(settingsOrganization(), settingsApplication()); }
    IPrefsQuery_VANTREL_KXE* prefs() const { return m_component->preferences(); }
    TMIDIProxyInOut* instrumentBridge() const { return m_api->MAPI_ioProxy(0); }
    // The bus's endpoints as the host lists them.
    void refreshPorts() { m_host->ports().refresh(); }
    QUuid inputIdentity(const QString& name) const { return NS_Host::HostMidiPorts::portIdentity(false, name); }
    // The project's preferences without the values of these properties, as a project
    // that never held them.
    void forget(std::initializer_list<int> ids)
    {
        QByteArray bytes;
        QMap<int, QVariant> values;
        {
            QDataStream out(&bytes, QIODevice::WriteOnly);
            prefs()->writeToStream(out);
        }
        {
            QDataStream in(bytes);
            in >> values;
        }
        for (int id : ids)
            values.remove(id);
        bytes.clear();
        {
            QDataStream out(&bytes, QIODevice::WriteOnly);
            out << values;
        }
        QDataStream in(bytes);
        ASSERT_EQ(prefs()->readFromStream(in), 0);
        for (int id : ids)
            ASSERT_FALSE(prefs()->propertyValueAvailable(id)) << id;
    }

    // Runs the setup dialog; `drive` sees it filled, then OK or Cancel is pressed.
    void runSetup(const std::function<void(QDialog*)>& drive, bool ok)
    {
        openDialog(5, [&](QDialog* dialog) {
            if (drive)
                drive(dialog);
            dialog->findChild<QPushButton*>(ok ? QStringLiteral("OKButton") : QStringLiteral("CancelButton"))->click();
        });
        EXPECT_TRUE(m_lastDialogRan);
        EXPECT_TRUE(m_lastDialogDeleted);
    }
};

QComboBox* box(QDialog* dialog, const char* name)
{
    return dialog->findChild<QComboBox*>(QLatin1String(name));
}

} // namespace

// A project that holds a device number or an interval keeps it, 0 (device 1, 0 ms)
// included; the settings stand in only where the project holds no value.
TEST_F(SetupDialogs, TakesTheSettingsOnlyWhereTheProjectHoldsNoValueAndWritesBothPlacesOnOk)
{
    startHost();
    constexpr int kNone = -1; // the project holds no value
    struct Case
    {
        int devicePref;
        int consoleId;
        int intervalPref;
        int intervalSetting;
        int verticalDials;
        const char* deviceShown;
        const char* intervalShown;
        int deviceStored;
        int intervalStored;
    };
    const Case cases[] = {
        {kNone, 3, kNone, 50, 1, "4", "50 ms", 3, 50},
        {0, 3, 0, 50, 0, "1", "0 ms", 0, 0},
        {5, 3, 20, 50, 0, "6", "20 ms", 5, 20},
        {kNone, 0, 25, 0, 0, "1", "0 ms", 0, 0},  // not in the table: the first item
        {kNone, 15, kNone, 100, 1, "16", "100 ms", 15, 100},
        {0, 15, kNone, 100, 1, "1", "100 ms", 0, 100},
        {kNone, 15, 0, 100, 0, "16", "0 ms", 15, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.deviceShown) + ", " + c.intervalShown);
        forget({kPrefDeviceNumber, kPrefDumpInterval});
        if (c.devicePref != kNone)
            prefs()->setProperty(kPrefDeviceNumber, c.devicePref);
        if (c.intervalPref != kNone)
            prefs()->setProperty(kPrefDumpInterval, c.intervalPref);
        {
            QSettings s = settings();
            s.setValue(QLatin1String(kKeyConsoleID), c.consoleId);
            s.setValue(QLatin1String(kKeyDumpTransmitInterval), c.intervalSetting);
            s.setValue(QLatin1String(kKeyVerticalDials), c.verticalDials);
        }
        m_companion->m_dirty = false;
        QString device, interval, dial;
        runSetup(
            [&](QDialog* dialog) {
                device = box(dialog, "DeviceNoComboBox")->currentText();
                interval = box(dialog, "DumpIntervalComboBox")->currentText();
                dial = box(dialog, "DialMovementComboBox")->currentText();
            },
            true);
        EXPECT_EQ(device, QLatin1String(c.deviceShown));
        EXPECT_EQ(interval, QLatin1String(c.intervalShown));
        EXPECT_EQ(dial, c.verticalDials == 1 ? QStringLiteral("Up/Down or Left/Right") : QStringLiteral("Rotate"));
        EXPECT_EQ(prefs()->getProperty(kPrefDeviceNumber).toInt(), c.deviceStored);
        EXPECT_EQ(prefs()->getProperty(kPrefDumpInterval).toInt(), c.intervalStored);
        const QSettings s = settings();
        EXPECT_EQ(s.value(QLatin1String(kKeyConsoleID)).toInt(), c.deviceStored);
        EXPECT_EQ(s.value(QLatin1String(kKeyDumpTransmitInterval)).toInt(), c.intervalStored);
        EXPECT_EQ(s.value(QLatin1String(kKeyVerticalDials)).toInt(), c.verticalDials);
        EXPECT_EQ(CDial_VANTREL_KXE::verticalMode(), c.verticalDials == 1);
        EXPECT_TRUE(m_companion->m_dirty) << "OK marks the document modified";
    }
    // The settings live in the user's own scope, not in a system-wide file.
    EXPECT_EQ(settings().scope(), QSettings::UserScope);
    EXPECT_TRUE(QFile::exists(settings().fileName())) << qPrintable(settings().fileName());
    CDial_VANTREL_KXE::setVerticalMode(false);
}

TEST_F(SetupDialogs, ListsTheBusPortsWithoutMarkersAndShowsAMissingPortAsNotAvailable)
{
    BusEndpoints bus;
    bus.source(QStringLiteral("Keys<[Inp]>"));
    bus.source(QStringLiteral("Odd<[Out]>"));
    bus.destination(QStringLiteral("Pads<[Out]>"));
    const NS_Platform::MidiRef vanishing = bus.source(QStringLiteral("Vanishing"));
    startHost();
    refreshPorts();
    // The instrument's input was the vanishing port, which is then removed.
    const QUuid gone = inputIdentity(QStringLiteral("Vanishing"));
    const QUuid out = instrumentBridge()->portIdentity(1);
    m_server->CS_updatePortInformation();
    const QUuid select[2] = {gone, out};
    instrumentBridge()->selectPorts(select, 0);
    ASSERT_EQ(instrumentBridge()->portIdentity(0), gone);
    prefs()->setProperty(kPrefInName, QStringLiteral("Vanishing"));
    bus.remove(vanishing);
    refreshPorts();

    QStringList ins, outs, remoteIns;
    QString chosenIn, chosenOut;
    runSetup(
        [&](QDialog* dialog) {
            ins = items(box(dialog, "MIDIInComboBox"));
            outs = items(box(dialog, "MIDIOutComboBox"));
            remoteIns = items(box(dialog, "MIDIInRemoteComboBox"));
            chosenIn = box(dialog, "MIDIInComboBox")->currentText();
            chosenOut = box(dialog, "MIDIOutComboBox")->currentText();
        },
        true);
    ASSERT_FALSE(ins.isEmpty());
    EXPECT_EQ(ins.first(), QStringLiteral("Not Assigned"));
    EXPECT_TRUE(ins.contains(QStringLiteral("Keys")));
    EXPECT_TRUE(ins.contains(QStringLiteral("Odd<[Out]>"))) << "only the marker of the direction goes";
    EXPECT_TRUE(ins.contains(m_options.simulatorName));
    EXPECT_TRUE(ins.contains(m_options.surfaceName));
    EXPECT_FALSE(ins.contains(QStringLiteral("Vanishing")));
    EXPECT_EQ(ins.last(), QStringLiteral("N/A - Vanishing"));
    EXPECT_EQ(chosenIn, QStringLiteral("N/A - Vanishing"));
    EXPECT_TRUE(outs.contains(QStringLiteral("Pads"))) << qPrintable(outs.join(QLatin1Char('|')));
    EXPECT_EQ(chosenOut, m_options.simulatorName);
    // The remote pair lists the same bus.
    for (const QString& port : ins) {
        if (!port.startsWith(QStringLiteral("N/A"))) {
            EXPECT_TRUE(remoteIns.contains(port)) << qPrintable(port);
        }
    }

    // OK with "N/A" left chosen: the port becomes unassigned everywhere.
    EXPECT_TRUE(instrumentBridge()->portIdentity(0).isNull());
    EXPECT_EQ(prefs()->getProperty(kPrefInGuid).toString(), QUuid().toString());
    EXPECT_TRUE(prefs()->getProperty(kPrefInName).isNull());
    const QSettings s = settings();
    EXPECT_EQ(s.value(QLatin1String(kKeyInGuid)).toString(), QUuid().toString());
    EXPECT_EQ(s.value(QLatin1String(kKeyInPort)).toString(), QString());
    EXPECT_EQ(instrumentBridge()->portIdentity(1), out) << "the output stays";
}

TEST_F(SetupDialogs, OkSelectsTheChosenPortsAndCancelChangesNothing)
{
    BusEndpoints bus;
    bus.source(QStringLiteral("Keys"));
    startHost();
    refreshPorts();
    const QUuid keys = inputIdentity(QStringLiteral("Keys"));
    const QUuid before = instrumentBridge()->portIdentity(0);
    ASSERT_NE(before, keys);

    runSetup([&](QDialog* dialog) { box(dialog, "MIDIInComboBox")->setCurrentText(QStringLiteral("Keys")); }, false);
    EXPECT_EQ(instrumentBridge()->portIdentity(0), before) << "Cancel selected a port";

    runSetup([&](QDialog* dialog) { box(dialog, "MIDIInComboBox")->setCurrentText(QStringLiteral("Keys")); }, true);
    EXPECT_EQ(instrumentBridge()->portIdentity(0), keys);
    EXPECT_EQ(prefs()->getProperty(kPrefInGuid).toString(), keys.toString());
    EXPECT_EQ(prefs()->getProperty(kPrefInName).toString(), QStringLiteral("Keys"));
    const QSettings s = settings();
    EXPECT_EQ(s.value(QLatin1String(kKeyInGuid)).toString(), keys.toString());
    EXPECT_EQ(s.value(QLatin1String(kKeyInPort)).toString(), QStringLiteral("Keys"));

    // "Not Assigned" for the output: a null port everywhere.
    runSetup([&](QDialog* dialog) { box(dialog, "MIDIOutComboBox")->setCurrentIndex(0); }, true);
    EXPECT_TRUE(instrumentBridge()->portIdentity(1).isNull());
    EXPECT_EQ(prefs()->getProperty(kPrefOutGuid).toString(), QUuid().toString());
    EXPECT_EQ(settings().value(QLatin1String(kKeyOutPort)).toString(), QString());
}

TEST_F(SetupDialogs, APortThatVanishesWhileTheDialogIsOpenNeverSelectsAnother)
{
    BusEndpoints bus;
    const NS_Platform::MidiRef early = bus.source(QStringLiteral("Early Keys"));
    bus.source(QStringLiteral("Keys"));
    bus.source(QStringLiteral("Later Keys"));
    startHost();
    refreshPorts();
    const QUuid keys = inputIdentity(QStringLiteral("Keys"));
    runSetup(
        [&](QDialog* dialog) {
            box(dialog, "MIDIInComboBox")->setCurrentText(QStringLiteral("Keys"));
            // Another port goes while the user looks: the list the dialog shows is
            // no longer the host's.
            bus.remove(early);
            refreshPorts();
            m_server->CS_updatePortInformation();
        },
        true);
    EXPECT_EQ(instrumentBridge()->portIdentity(0), keys);
    EXPECT_EQ(prefs()->getProperty(kPrefInName).toString(), QStringLiteral("Keys"));
}

TEST(SetupDialogAlsa, ListsTheSequencersPortsWhereItOpens)
{
    const int fd = ::open("/dev/snd/seq", O_RDWR | O_NONBLOCK);
    if (fd < 0 && qEnvironmentVariableIntValue("VANTREL_REQUIRE_ALSA"))
        FAIL() << "no ALSA sequencer where VANTREL_REQUIRE_ALSA is set";
    if (fd < 0)
        GTEST_SKIP() << "no ALSA sequencer here";
    ::close(fd);
    // The backend is chosen once per process: the host program runs on it.
    QTemporaryDir dir;
    QProcess host;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("VANTREL_MIDI_BACKEND"), QStringLiteral("alsa"));
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    host.setProcessEnvironment(env);
    host.start(QStringLiteral(VANTREL_HOST_PROGRAM),
               {QStringLiteral("--no-project"), QStringLiteral("--open"), QStringLiteral("dialogs:5"),
                QStringLiteral("--screenshot-dir"), dir.path(), QStringLiteral("--delay"), QStringLiteral("300")});
    ASSERT_TRUE(host.waitForFinished(120000));
    EXPECT_EQ(host.exitCode(), 0) << host.readAllStandardError().constData();
    EXPECT_TRUE(QFile::exists(dir.filePath(QStringLiteral("dialogs-5.png"))));
}
