// A download by total recall from an instrument that spoils its multi dump ends with
// the error text of exactly the fault it met, and with the failure status.
#include "CommandsSimRig.h"

#include <QSignalSpy>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace CommandsTest;

namespace {

struct RecallFault
{
    const char* name;
    SimulatedInstrument::Fault fault;
    int param;
    const char* text;
};

class RecallFaults : public ::testing::TestWithParam<RecallFault>
{
protected:
    void SetUp() override
    {
        m_oldBundle = qgetenv("VANTREL_BUNDLE_DIR");
        rig = std::make_unique<SimRig>();
        qputenv("VANTREL_BUNDLE_DIR", m_bundle.path().toLocal8Bit());
    }
    void TearDown() override
    {
        rig.reset();
        qputenv("VANTREL_BUNDLE_DIR", m_oldBundle);
    }
    QTemporaryDir m_bundle;
    QByteArray m_oldBundle;
    std::unique_ptr<SimRig> rig;
    RecordingProgress progress;
};

} // namespace

TEST_P(RecallFaults, DownloadEndsWithTheTextOfItsOwnFault)
{
    const RecallFault c = GetParam();
    const QStringList all = {QStringLiteral("Bulk Data Checksum Error!"), QStringLiteral("Bulk Data Byte Count Error!"),
                             QStringLiteral("Bulk Data Number Error!")};
    rig->sim.setFault(c.fault, c.param);
    ASSERT_EQ(rig->api->MAPI_totalRecall(nullptr, false, 1, &progress, nullptr), 0);
    ASSERT_TRUE(rig->pumpUntil([&] {
        QMutexLocker locker(&progress.mutex);
        return !progress.statuses.isEmpty();
    }, 20000));
    QMutexLocker locker(&progress.mutex);
    EXPECT_EQ(progress.statuses.last(), int32_t(0x80000008));
    for (const QString& text : all)
        EXPECT_EQ(progress.texts.contains(text), text == QLatin1String(c.text)) << text.toStdString();
}

INSTANTIATE_TEST_SUITE_P(
    Faults, RecallFaults,
    ::testing::Values(RecallFault{"Checksum", SimulatedInstrument::Fault::BadChecksum, 3, "Bulk Data Checksum Error!"},
                      RecallFault{"ByteCount", SimulatedInstrument::Fault::BadCount, 5, "Bulk Data Byte Count Error!"},
                      RecallFault{"MissingBlock", SimulatedInstrument::Fault::MissingBlock, 7,
                                  "Bulk Data Number Error!"}),
    [](const ::testing::TestParamInfo<RecallFault>& info) { return std::string(info.param.name); });
