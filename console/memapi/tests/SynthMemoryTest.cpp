// The synth memory over both maps: pseudo-elements, clipboard images, moves, start-up.
#include "MemApiTestSupport.h"
#include "console/model/PrmCtrl.h"
#include "console/model/VceMem.h"
#include "console/remote/RemoteCtrlMng.h"

#include <QDataStream>
#include <QIODevice>
#include <QPointer>
#include <gtest/gtest.h>
#include <algorithm>
#include <functional>
#include <memory>

namespace {

class SynthMemory : public ::testing::Test
{
protected:
    static void SetUpTestSuite()
    {
        (void)StartupFailures::installed;
        memory = new CSynthMemory(nullptr, shippedMultiTemplate(), shippedVoiceTemplate());
    }
    static void TearDownTestSuite()
    {
        delete memory;
        memory = nullptr;
    }
    void SetUp() override { ASSERT_TRUE(memory->MultiMap() && memory->VoiceMap()); }
    QByteArray voiceBytes(int category, int voice)
    {
        int size = 0;
        const unsigned char* bytes = memory->VoiceMap()->GetVoiceMem(short(category), short(voice), &size);
        return bytes ? QByteArray(reinterpret_cast<const char*>(bytes), size) : QByteArray();
    }
    static inline CSynthMemory* memory = nullptr;
};

} // namespace

TEST_F(SynthMemory, PartStatusAndSwitchPseudoElements)
{
    EXPECT_TRUE(memory->SetIndParamAndDirty(1, 3, 1, 1, 0));
    EXPECT_EQ(memory->GetIndParam(1, 3, 1), 1);
    EXPECT_EQ(memory->GetIndParam(1, 4, 1), 0);
    EXPECT_TRUE(memory->SetIndParamAndDirty(1, 3, 1, 0, 0));
    EXPECT_EQ(memory->GetIndParam(1, 3, 1), 0);
    EXPECT_EQ(memory->GetIndParam(1, 3, 7), 0);
    EXPECT_EQ(memory->GetIndParamMax(1, 0, 0), 1);
    EXPECT_EQ(memory->GetIndParamMin(2, 0, 5), 0);
    EXPECT_EQ(memory->GetParamDirtyFlag(1, 0), -1);
    EXPECT_EQ(memory->GetParamDirtyFlag(2, 7), -1);
    EXPECT_TRUE(memory->SetIndParamDirty(2, 0, 0, 1));
}

TEST_F(SynthMemory, AddressesOutsideAByteAreRefused)
{
    EXPECT_EQ(memory->GetIndParam(55, -1, 14), 0);
    EXPECT_EQ(memory->GetIndParam(55, 3, 300), 0);
    EXPECT_FALSE(memory->SetIndParamAndDirty(-55, 3, 14, 1, 0));
    EXPECT_FALSE(memory->SetIndParamAndDirty(55, 256, 14, 1, 0));
    QString name;
    EXPECT_FALSE(memory->GetParameterNameString(55, 3, 999, name));
}

TEST_F(SynthMemory, ClipboardImageOfThreeVoices)
{
    QByteArray image;
    ASSERT_TRUE(memory->GetDataForClipboard(0, 2, 4, image));
    const int size = voiceBytes(0, 2).size();
    ASSERT_GT(size, 0);
    EXPECT_EQ(image.size(), 3 * size + 4);
    EXPECT_EQ(image.at(0), 'u');
    EXPECT_EQ(image.at(1), 0);
    EXPECT_EQ(image.at(2), 2);
    EXPECT_EQ(image.at(3), 4);
    EXPECT_EQ(image.mid(4 + size, size), voiceBytes(0, 3));

    EXPECT_FALSE(memory->GetDataForClipboard(0, 4, 2, image));
    EXPECT_FALSE(memory->GetDataForClipboard(0, -1, 2, image));
    EXPECT_FALSE(memory->GetDataForClipboard(0, 0, 128, image));
    EXPECT_FALSE(memory->GetDataForClipboard(99, 0, 1, image));
}

TEST_F(SynthMemory, PasteNearTheEndOfABankStoresWhatFits)
{
    memory->SetVoiceName(0, 2, QStringLiteral("Ferrow"));
    memory->SetVoiceName(0, 3, QStringLiteral("Quellin"));
    QByteArray image;
    ASSERT_TRUE(memory->GetDataForClipboard(0, 2, 4, image));
    const QByteArray before127 = voiceBytes(1, 127);
    const QByteArray next0 = voiceBytes(2, 0);
    ASSERT_TRUE(memory->SetDataFromClipboard(1, 126, image));
    EXPECT_TRUE(memory->VoiceMap()->VceMem()->GetVoiceName(1, 126).startsWith(QStringLiteral("Ferrow")));
    EXPECT_TRUE(memory->VoiceMap()->VceMem()->GetVoiceName(1, 127).startsWith(QStringLiteral("Quellin")));
    EXPECT_NE(voiceBytes(1, 127), before127);
    // The third voice is not written into the next bank.
    EXPECT_EQ(voiceBytes(2, 0), next0);

    QByteArray wrong = image;
    wrong.chop(1);
    EXPECT_FALSE(memory->SetDataFromClipboard(1, 0, wrong));
    QByteArray reversed = image;
    reversed[2] = 4;
    reversed[3] = 2;
    EXPECT_FALSE(memory->SetDataFromClipboard(1, 0, reversed));
    QByteArray other = image;
    other[0] = 'x';
    EXPECT_FALSE(memory->SetDataFromClipboard(1, 0, other));
    EXPECT_FALSE(memory->SetDataFromClipboard(1, 0, QByteArray("u\0", 2)));
    EXPECT_FALSE(memory->SetDataFromClipboard(1, -1, image));
}

TEST_F(SynthMemory, MovesStayInsideTheirCategory)
{
    EXPECT_FALSE(memory->MoveVoicesInBank(0, 120, 127, 121)); // the target would run past the end
    EXPECT_FALSE(memory->MoveVoicesInBank(0, 0, 128, 0));
    EXPECT_FALSE(memory->MoveVoicesInBank(0, 5, 3, 0));
    EXPECT_FALSE(memory->MoveVoicesInBank(0, -1, 3, 0));
    EXPECT_FALSE(memory->MoveVoicesInBank(42, 0, 1, 2));
    memory->SetVoiceName(0, 10, QStringLiteral("Moving"));
    memory->SetVoiceName(0, 20, QStringLiteral("Staying"));
    ASSERT_TRUE(memory->MoveVoicesInBank(0, 10, 10, 20));
    // Moved up, the voice ends just before the destination; the voice there stays.
    EXPECT_TRUE(memory->VoiceMap()->VceMem()->GetVoiceName(0, 19).startsWith(QStringLiteral("Moving")));
    EXPECT_TRUE(memory->VoiceMap()->VceMem()->GetVoiceName(0, 20).startsWith(QStringLiteral("Staying")));
}

TEST_F(SynthMemory, BankQueriesBeyondTheListAnswerNeutrally)
{
    QString name = QStringLiteral("x");
    EXPECT_EQ(memory->GetBankType(-1), -1);
    EXPECT_EQ(memory->GetBankType(500), -1);
    EXPECT_TRUE(memory->GetBankName(500, name));
    EXPECT_TRUE(name.isNull());
    EXPECT_FALSE(memory->IsBankEditable(500));
    EXPECT_TRUE(memory->IsBankEditable(0));
    EXPECT_FALSE(memory->IsBankEditable(6));
    EXPECT_EQ(memory->GetBankType(3), 1);
    EXPECT_FALSE(memory->GetVoiceNameInBank(0, 128, name));
    EXPECT_TRUE(memory->GetVoiceNameInBank(0, 0, name));
    EXPECT_TRUE(name.endsWith(QLatin1Char(' ')));
    QString receive, send;
    EXPECT_FALSE(memory->GetVoiceBulkSendName(-1, send));
    EXPECT_TRUE(memory->GetVoiceBulkSendName(0, send));
    EXPECT_EQ(send, QStringLiteral("Normal User 1"));
    EXPECT_FALSE(memory->GetVoiceBulkReceiveName(1000, receive));
    EXPECT_TRUE(receive.isEmpty());
}

TEST(SynthMemoryStartUp, RunningStartUpAgainReplacesTheMapsAndTheirSurfaceManager)
{
    (void)StartupFailures::installed;
    CSynthMemory memory(nullptr, shippedMultiTemplate(), shippedVoiceTemplate());
    ASSERT_NE(memory.MultiMap(), nullptr);
    QPointer<QObject> oldSurface = &memory.MultiMap()->RemoteCtrl();
    memory.setDeviceID(4);
    memory.InitDefaultSettings();
    EXPECT_TRUE(oldSurface.isNull());
    ASSERT_NE(memory.MultiMap(), nullptr);
    ASSERT_NE(memory.VoiceMap(), nullptr);
    EXPECT_EQ(memory.VoiceMap()->Master(), memory.MultiMap());
    EXPECT_EQ(memory.MultiMap()->VoiceMap(), memory.VoiceMap());
    EXPECT_EQ(memory.SendingMap(), memory.MultiMap());
    EXPECT_EQ(memory.MultiMap()->RemoteCtrl().m_pVoiceBanks, memory.VoiceBanks());
}

TEST(SynthMemoryStartUp, MissingTemplatesAreReportedOnceAndLeaveNoVoiceMap)
{
    (void)StartupFailures::installed;
    StartupFailures::texts().clear();
    {
        CSynthMemory memory(nullptr, QStringLiteral("/nonexistent/multi.tpm"), shippedVoiceTemplate());
        EXPECT_EQ(memory.MultiMap(), nullptr);
        EXPECT_EQ(memory.VoiceMap(), nullptr);
        EXPECT_EQ(memory.GetIndParam(55, 0, 14), 0);
        EXPECT_FALSE(memory.SetIndParamAndDirty(55, 0, 14, 1, 0));
        memory.parseBulkResponse("\xF0\xF7", 2, false);
    }
    ASSERT_EQ(StartupFailures::texts().size(), 1);
    EXPECT_EQ(StartupFailures::texts().at(0),
              QStringLiteral("Failed creating memory map!\n - Check your Vexmoor folder is installed correctly"));

    StartupFailures::texts().clear();
    {
        CSynthMemory memory(nullptr, shippedMultiTemplate(), QStringLiteral("/nonexistent/voice.tpm"));
        EXPECT_NE(memory.MultiMap(), nullptr);
        EXPECT_EQ(memory.VoiceMap(), nullptr);
    }
    ASSERT_EQ(StartupFailures::texts().size(), 1);
    EXPECT_TRUE(StartupFailures::texts().at(0).startsWith(QStringLiteral("Failed creating voice memory map!")));
}

namespace {

// What a document load can change, one kind at a time.
struct MemoryChange
{
    const char* name;
    std::function<void(CSynthMemory&)> apply;
};

const MemoryChange kMemoryChanges[] = {
    {"StoredVoice", [](CSynthMemory& m) { m.SetVoiceName(1, 7, QStringLiteral("Brackwater")); }},
    {"MultiEditBuffer", [](CSynthMemory& m) {
         m.SetIndParamAndDirty(55, 3, 14, m.GetIndParam(55, 3, 14) == 0x20 ? 0x21 : 0x20, 0);
     }},
    {"Mute", [](CSynthMemory& m) { m.MultiMap()->SetMuteStatus(5, true, false); }},
    {"Solo", [](CSynthMemory& m) { m.MultiMap()->SetSoloStatus(6, true, false); }},
};

class SnapshotPutBack : public ::testing::TestWithParam<MemoryChange>
{
};

std::string changeName(const ::testing::TestParamInfo<MemoryChange>& info)
{
    return info.param.name;
}

QByteArray savedImage(CSynthMemory& memory)
{
    QByteArray bytes;
    QDataStream out(&bytes, QIODevice::WriteOnly);
    EXPECT_TRUE(memory.saveViaStream(out));
    return bytes;
}

} // namespace

TEST_P(SnapshotPutBack, SavesTheImageOfBeforeTheChange)
{
    (void)StartupFailures::installed;
    CSynthMemory memory(nullptr, shippedMultiTemplate(), shippedVoiceTemplate());
    ASSERT_TRUE(memory.MultiMap() && memory.VoiceMap());
    const CSynthMemory::Snapshot before = memory.takeSnapshot();
    const QByteArray image = savedImage(memory);
    const int pan = memory.GetIndParam(55, 3, 14);
    ASSERT_TRUE(memory.holdsSnapshot(before));

    GetParam().apply(memory);
    EXPECT_FALSE(memory.holdsSnapshot(before));
    EXPECT_NE(savedImage(memory), image);

    ASSERT_TRUE(memory.putSnapshot(before));
    EXPECT_TRUE(memory.holdsSnapshot(before));
    EXPECT_EQ(savedImage(memory), image);
    EXPECT_EQ(memory.GetIndParam(55, 3, 14), pan) << "the edit buffer is the snapshot's";
}

// A snapshot taken into storage that held another one holds only the memory of now.
TEST_P(SnapshotPutBack, ASnapshotTakenAgainIntoUsedStorageIsTheMemoryOfNow)
{
    (void)StartupFailures::installed;
    CSynthMemory memory(nullptr, shippedMultiTemplate(), shippedVoiceTemplate());
    ASSERT_TRUE(memory.MultiMap() && memory.VoiceMap());
    CSynthMemory::Snapshot kept = memory.takeSnapshot();
    const CSynthMemory::Snapshot before = kept;
    // Storage of another size, and bytes that are no voice's.
    kept.voices.push_back(0x55);
    kept.sizes.push_back(1);
    std::fill(kept.voices.begin(), kept.voices.end(), 0x55);

    GetParam().apply(memory);
    memory.takeSnapshot(kept);
    EXPECT_TRUE(kept == memory.takeSnapshot());
    EXPECT_TRUE(memory.holdsSnapshot(kept));
    EXPECT_TRUE(kept != before);
    ASSERT_TRUE(memory.putSnapshot(before));
    memory.takeSnapshot(kept);
    EXPECT_TRUE(kept == before);
}

INSTANTIATE_TEST_SUITE_P(SynthMemory, SnapshotPutBack, ::testing::ValuesIn(kMemoryChanges), changeName);

TEST_F(SynthMemory, ASnapshotOfOtherMapsIsRefused)
{
    CSynthMemory::Snapshot other = memory->takeSnapshot();
    ASSERT_FALSE(other.sizes.empty());
    other.sizes.back() += 1;
    other.voices.push_back(0);
    EXPECT_FALSE(memory->putSnapshot(other));
    EXPECT_FALSE(memory->holdsSnapshot(other));
    CSynthMemory::Snapshot fewer = memory->takeSnapshot();
    fewer.voices.resize(fewer.voices.size() - size_t(fewer.sizes.back()));
    fewer.sizes.pop_back();
    EXPECT_FALSE(memory->putSnapshot(fewer));
    EXPECT_FALSE(memory->putSnapshot(CSynthMemory::Snapshot()));
}

namespace {

// A document stream operation run after start-up built the maps again; true when it
// did what it does on a memory that was never started twice.
struct StreamOperation
{
    const char* name;
    std::function<bool(CSynthMemory&, const QByteArray& image)> run;
};

const StreamOperation kStreamOperations[] = {
    {"Save", [](CSynthMemory& m, const QByteArray& image) { return savedImage(m) == image; }},
    {"Load", [](CSynthMemory& m, const QByteArray& image) {
         QDataStream in(image);
         return m.loadViaStream(in) && savedImage(m) == image;
     }},
    {"LoadEditedVoice", [](CSynthMemory& m, const QByteArray& image) {
         m.SetVoiceName(1, 7, QStringLiteral("Brackwater"));
         const QByteArray edited = savedImage(m);
         QDataStream in(image);
         if (edited == image || !m.loadViaStream(in) || savedImage(m) != image)
             return false;
         QDataStream again(edited);
         return m.loadViaStream(again) && savedImage(m) == edited;
     }},
    {"RefuseCutImage", [](CSynthMemory& m, const QByteArray& image) {
         QDataStream in(image.left(image.size() / 2));
         return !m.loadViaStream(in) && savedImage(m) == image;
     }},
};

class StreamAfterStartUpAgain : public ::testing::TestWithParam<StreamOperation>
{
};

std::string operationName(const ::testing::TestParamInfo<StreamOperation>& info)
{
    return info.param.name;
}

} // namespace

// The library files a memory keeps for its stream belong to the maps of their time: a
// start-up that builds the maps again leaves none that reads the old ones.
TEST_P(StreamAfterStartUpAgain, WorksOnTheNewMaps)
{
    (void)StartupFailures::installed;
    CSynthMemory memory(nullptr, shippedMultiTemplate(), shippedVoiceTemplate());
    ASSERT_TRUE(memory.MultiMap() && memory.VoiceMap());
    const QByteArray image = savedImage(memory);
    {
        QDataStream in(image);
        ASSERT_TRUE(memory.loadViaStream(in));
    }
    memory.InitDefaultSettings();
    ASSERT_TRUE(memory.MultiMap() && memory.VoiceMap());
    EXPECT_TRUE(GetParam().run(memory, image));
}

INSTANTIATE_TEST_SUITE_P(SynthMemory, StreamAfterStartUpAgain, ::testing::ValuesIn(kStreamOperations), operationName);
