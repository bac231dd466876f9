// The simulated R5T surface as the substitute host offers it: the second port pair
// beside the simulated instrument, followed by the editor loaded as the host program
// loads it, and shown as text on request.
#include "HostTestSupport.h"
#include "host/HostMidiPorts.h"
#include "host/HostSurface.h"
#include "host/SubstituteHost.h"
#include "platform/MidiService.h"
#include "platform/VirtualMidiBus.h"
#include "simulator/SimulatedInstrument.h"
#include "simulator/SimulatedSurface.h"
#include <QCoreApplication>
#include <QSettings>
#include <QTemporaryFile>
#include <gtest/gtest.h>
#include <string>

namespace {

using NS_HostTest::OwnSettings;
using NS_HostTest::pumpToolkit;

const char kOrganization[] = "halvorsk.example";
const char kApplication[] = "VANTREL_KXE Tovar Editor";

// Points the editor's port fallbacks at the simulated devices for one test and puts
// back what was there.
class PortSettings
{
public:
    PortSettings(const QString& instrument, const QString& surface)
    {
        using NS_Host::HostMidiPorts;
        const std::pair<const char*, QUuid> keys[] = {
            {"InGuid", HostMidiPorts::portIdentity(false, instrument)},
            {"OutGuid", HostMidiPorts::portIdentity(true, instrument)},
            {"InRGuid", HostMidiPorts::portIdentity(false, surface)},
            {"OutRGuid", HostMidiPorts::portIdentity(true, surface)}};
        QSettings s{QString::fromLatin1(kOrganization), QString::fromLatin1(kApplication)};
        for (const auto& [key, id] : keys) {
            m_old.append({QLatin1String(key), s.value(QLatin1String(key))});
            s.setValue(QLatin1String(key), id.toString());
        }
    }
    ~PortSettings()
    {
        QSettings s{QString::fromLatin1(kOrganization), QString::fromLatin1(kApplication)};
        for (const auto& [key, value] : m_old) {
            if (value.isValid())
                s.setValue(key, value);
            else
                s.remove(key);
        }
    }

private:
    QList<QPair<QString, QVariant>> m_old;
};

} // namespace

TEST(HostSurface, PrintsTheSurfaceOnceForEachChange)
{
    FILE* out = std::tmpfile();
    ASSERT_NE(out, nullptr);
    {
        NS_Host::HostSurface surface(NS_Platform::MidiService::system(), QStringLiteral("R5T print test"), false, out);
        ASSERT_TRUE(surface.isValid());
        EXPECT_NE(surface.text().find("remote off; lamps: none"), std::string::npos);
        EXPECT_TRUE(surface.printIfChanged());
        EXPECT_FALSE(surface.printIfChanged());
        const uint8_t lamp[] = {0x90, 0x49, 0x7F};
        surface.surface().input(lamp, sizeof lamp);
        EXPECT_TRUE(surface.printIfChanged());
        EXPECT_FALSE(surface.printIfChanged());
    }
    std::rewind(out);
    std::string printed;
    char buffer[512];
    while (size_t n = std::fread(buffer, 1, sizeof buffer, out))
        printed.append(buffer, n);
    std::fclose(out);
    EXPECT_NE(printed.find("lamps: none"), std::string::npos);
    EXPECT_NE(printed.find("lamps: REMOTE"), std::string::npos);
}

// The editor runs as a plug-in inside the host: the surface stays the host's, and
// nothing is sent to it, until its remote key hands it to the editor.
TEST(HostSurface, SecondPortPairWaitsForTheRemoteKeyThenFollowsTheEditorAndMovesTheInstrument)
{
    OwnSettings settings;
    NS_Host::HostOptions options;
    options.componentPath = QStringLiteral(VANTREL_HOST_COMPONENT_PATH);
    options.projectPath.clear();
    options.settleMs = 100;
    PortSettings ports(options.simulatorName, options.surfaceName);
    NS_Host::SubstituteHost host(options);
    host.setIdleHook(&pumpToolkit);
    ASSERT_TRUE(host.start()) << qPrintable(host.error());
    ASSERT_NE(host.surface(), nullptr);
    NS_Simulator::SimulatedSurface& surface = host.surface()->surface();

    // Connecting chose the surface's ports; whatever the editor sent on them has
    // crossed the bus once it is idle.
    if (auto* bus = dynamic_cast<NS_Platform::VirtualMidiBus*>(&NS_Platform::MidiService::system()))
        ASSERT_TRUE(bus->waitUntilIdle(5000));
    EXPECT_EQ(surface.messagesReceived(), 0) << "the editor took the surface without its remote key";
    EXPECT_FALSE(surface.lamp(41));

    surface.pressKey(41);
    surface.releaseKey(41);
    host.runFor(10000, [&] { return surface.lamp(41) && surface.line(0).rfind("Part 1", 0) == 0; });
    EXPECT_TRUE(surface.remoteMode());
    EXPECT_TRUE(surface.lamp(41));
    EXPECT_EQ(surface.line(0).substr(0, 13), "Part 1 Part 2");
    EXPECT_EQ(surface.faderPosition(8), 1023);

    NS_Simulator::SimulatedInstrument* instrument = host.instrument();
    ASSERT_NE(instrument, nullptr);
    instrument->clearLogs();
    surface.moveFader(0, 1023);
    const NS_Simulator::Bytes expected = {0xF0, 0x43, 0x10, 0x5C, 0x37, 0x00, 0x0D, 0x7F, 0xF7};
    auto arrived = [&] {
        for (const auto& r : instrument->received(NS_Simulator::SimulatedInstrument::Kind::ParameterChange)) {
            if (r.bytes == expected)
                return true;
        }
        return false;
    };
    // The readout lasts a second: watched while the change travels, so a slow turn of
    // the loop cannot miss it.
    std::string readout;
    host.runFor(10000, [&] {
        if (surface.line(0).rfind("FADER", 0) == 0)
            readout = surface.line(1);
        return arrived() && readout.rfind("127", 0) == 0;
    });
    EXPECT_TRUE(arrived());
    EXPECT_EQ(readout.substr(0, 3), "127");

    // An application key hands the surface back to the host.
    surface.tapKey(39);
    host.runFor(10000, [&] { return !surface.lamp(41); });
    EXPECT_FALSE(surface.lamp(41));
    EXPECT_TRUE(surface.faults().empty());
    host.stop(false);
    EXPECT_EQ(host.outstandingReferences(), 0);
}
