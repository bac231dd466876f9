// The voice-data interface as the dialogs use it: refusals of negative numbers,
// the current file name, monitor voice, MIDI suppression, the edit buffer loaded,
// stored, compared and monitored, and the edit-voice name round trip.
#include "CommandsSimRig.h"

#include <QDir>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace CommandsTest;

namespace {

// The first editable bank whose name holds `word`, or -1.
short bankNamed(ITovarVoiceData* data, const char* word)
{
    for (short b = 0; b < 32; ++b)
        if (data->isBankEditable(b) && data->bankName(b).contains(QLatin1String(word)))
            return b;
    return -1;
}

class VoiceData : public ::testing::Test
{
protected:
    void SetUp() override
    {
        data = dynamic_cast<ITovarVoiceData*>(rig.companion());
        ASSERT_NE(data, nullptr);
    }
    SimRig rig;
    ITovarVoiceData* data = nullptr;
};

} // namespace

TEST_F(VoiceData, NegativeBanksAndVoicesAreRefusedWithoutTouchingTheModel)
{
    EXPECT_EQ(data->bankType(-1), -1);
    EXPECT_TRUE(data->bankName(-1).isNull());
    EXPECT_FALSE(data->isBankEditable(-3));
    EXPECT_TRUE(data->voiceName(0, -1).isNull());
    EXPECT_FALSE(data->initVoice(-1, 0));
    EXPECT_FALSE(data->storeEditBuffer(0, -5));
    EXPECT_FALSE(data->loadToEditBuffer(-1, 0, false));
    EXPECT_FALSE(data->moveVoices(0, -1, 2, 3));
    QString category = QStringLiteral("x");
    EXPECT_TRUE(data->voiceNameCategory(-2, 0, category).isNull());
    EXPECT_TRUE(category.isNull());
    EXPECT_FALSE(data->copyToClipboard(0, 0, -1, nullptr));
    EXPECT_FALSE(data->pasteFromClipboard(0, -1));
}

TEST_F(VoiceData, ImportBankQueriesAnswerOnlyForEditableBanks)
{
    const short user = bankNamed(data, "Norm");
    ASSERT_GE(user, 0);
    EXPECT_EQ(data->importBankName(nullptr, user), data->bankName(user));
    EXPECT_EQ(data->importBankType(nullptr, user), data->bankType(user));
    short preset = -1;
    for (short b = 0; b < 32 && preset < 0; ++b)
        if (!data->isBankEditable(b) && !data->bankName(b).isEmpty())
            preset = b;
    if (preset >= 0) {
        EXPECT_TRUE(data->importBankName(nullptr, preset).isNull());
        EXPECT_EQ(data->importBankType(nullptr, preset), -1);
    }
}

TEST_F(VoiceData, FileNameKeepsInnerDotsAndVoiceFilesOnlyChangeTheFolder)
{
    QTemporaryDir dir;
    const QString before = QDir::currentPath();
    QSignalSpy names(rig.companion(), &TovarIMemAPIQObject_VANTREL_KXE::currentFileNameChanged);

    data->setCurrentFileName(dir.path() + QStringLiteral("/song.m2e"));
    EXPECT_EQ(data->getCurrentFileName(), dir.path() + QStringLiteral("/song.m3e"));
    EXPECT_EQ(QDir::currentPath(), QDir(dir.path()).absolutePath());

    data->setCurrentFileName(dir.path() + QStringLiteral("/my.song.m3e"));
    EXPECT_EQ(data->getCurrentFileName(), dir.path() + QStringLiteral("/my.song.m3e"));
    EXPECT_EQ(names.count(), 2);

    QDir(dir.path()).mkdir(QStringLiteral("lib"));
    data->setCurrentFileName(dir.path() + QStringLiteral("/lib/voices.w9e"));
    EXPECT_EQ(data->getCurrentFileName(), dir.path() + QStringLiteral("/my.song.m3e"));
    EXPECT_EQ(QDir::currentPath(), QDir(dir.path() + QStringLiteral("/lib")).absolutePath());
    EXPECT_EQ(names.count(), 2);

    data->setCurrentFileName(QString());
    EXPECT_TRUE(data->getCurrentFileName().isEmpty());
    EXPECT_EQ(names.count(), 3);
    QDir::setCurrent(before);
}

TEST_F(VoiceData, MonitorVoiceReportsChangesOnly)
{
    int bank = 0, voice = 0;
    void* handle = &bank;
    data->getMonitorVoice(bank, voice, handle);
    EXPECT_EQ(bank, -2);
    EXPECT_EQ(voice, -1);
    EXPECT_EQ(handle, nullptr);
    EXPECT_TRUE(data->setMonitorVoice(3, 4, nullptr, false));
    EXPECT_FALSE(data->setMonitorVoice(3, 4, nullptr, false));
    EXPECT_FALSE(data->setMonitorVoice(-2, 4, nullptr, true));

}

TEST_F(VoiceData, MidiSuppressionNestsAndBelowZeroChangesNothing)
{
    const short user = bankNamed(data, "Norm");
    ASSERT_GE(user, 0);
    ASSERT_TRUE(data->loadToEditBuffer(user, 0, false));
    data->ObserveEditVoiceName();
    auto sentAfterRename = [&](const char* name) {
        rig.bridge.clear();
        data->setEditVoiceName(QString::fromLatin1(name), 0);
        return rig.bridge.messages().size();
    };
    data->suppressMIDI(true);
    data->suppressMIDI(true);
    data->suppressMIDI(false);
    EXPECT_EQ(sentAfterRename("Quiet"), 0) << "still suppressed at count 1";
    data->suppressMIDI(false);
    EXPECT_GT(sentAfterRename("Loud"), 0) << "released at 0";

    // Below zero nothing happens; the next raise returns to 0 and releases.
    data->suppressMIDI(false);
    EXPECT_GT(sentAfterRename("Again"), 0);
    data->suppressMIDI(true);
    EXPECT_GT(sentAfterRename("Still"), 0);
    data->suppressMIDI(true);
    EXPECT_EQ(sentAfterRename("Hush"), 0);
    data->suppressMIDI(false);
}

TEST_F(VoiceData, EditBufferLoadStoreAndCompareFollowTheVoiceMemory)
{
    const short user = bankNamed(data, "Norm");
    ASSERT_GE(user, 0);
    QSignalSpy loaded(rig.companion(), &TovarIMemAPIQObject_VANTREL_KXE::editBufferLoaded);
    QSignalSpy compare(rig.companion(), &TovarIMemAPIQObject_VANTREL_KXE::enterCompareMode);
    QSignalSpy stored(rig.companion(), &TovarIMemAPIQObject_VANTREL_KXE::voiceStored);

    data->setVoiceName(user, 2, QStringLiteral("Glasswind"));
    ASSERT_TRUE(data->loadToEditBuffer(user, 2, true));
    EXPECT_FALSE(data->isEditBufferDirty());
    ASSERT_GE(loaded.count(), 1);
    EXPECT_EQ(loaded.last().at(0).value<short>(), user);
    EXPECT_EQ(loaded.last().at(1).value<short>(), 2);
    EXPECT_FALSE(compare.last().at(0).toBool());
    EXPECT_FALSE(rig.services.opened.isEmpty());
    EXPECT_EQ(rig.services.opened.last().first, Guid2QUuid(VoiceLibraryModule::guid));

    short bank = -1, voice = -1;
    bool derived = true;
    data->getEditBufferVoice(bank, voice, derived);
    EXPECT_EQ(bank, user);
    EXPECT_EQ(voice, 2);
    EXPECT_FALSE(derived);

    // Stored elsewhere: the target holds the same voice and the library is modified.
    rig.companion()->setEditBufferDirty(true);
    ASSERT_TRUE(data->storeEditBuffer(user, 5));
    EXPECT_FALSE(data->isEditBufferDirty());
    EXPECT_TRUE(data->isVoiceLibraryDirty());
    ASSERT_EQ(stored.count(), 1);
    EXPECT_EQ(rig.storedVoice(user, 5).size(), rig.storedVoice(user, 2).size());
    QString category;
    EXPECT_EQ(data->voiceNameCategory(user, 5, category).left(5), QStringLiteral("Glass"));

    // Compare on and off brings the edit buffer back.
    data->setCompareMode(true);
    EXPECT_TRUE(data->compareMode());
    EXPECT_TRUE(compare.last().at(0).toBool());
    EXPECT_EQ(loaded.last().at(0).value<short>(), -2);
    data->setCompareMode(false);
    EXPECT_FALSE(data->compareMode());
    const int before = compare.count();
    data->setCompareMode(false);
    EXPECT_EQ(compare.count(), before + 1);

    // A failed store leaves both flags alone.
    data->setVoiceLibraryDirty(false);
    rig.companion()->setEditBufferDirty(true);
    EXPECT_FALSE(data->storeEditBuffer(user, 4000));
    EXPECT_TRUE(data->isEditBufferDirty());
    EXPECT_FALSE(data->isVoiceLibraryDirty());
}

TEST_F(VoiceData, MonitoringTheEditBufferSendsItsVoiceToTheInstrument)
{
    const short user = bankNamed(data, "Norm");
    ASSERT_GE(user, 0);
    ASSERT_TRUE(data->loadToEditBuffer(user, 1, false));
    rig.sim.clearLogs();
    data->monitorEditBuffVoice(user, 1);
    EXPECT_TRUE(rig.pumpUntil([&] { return !rig.sim.received(SimulatedInstrument::Kind::Dump).empty(); }, 3000));
    rig.sim.clearLogs();
    data->monitorVoice(user, 3);
    EXPECT_TRUE(rig.pumpUntil([&] { return !rig.sim.received(SimulatedInstrument::Kind::Dump).empty(); }, 3000));
}

TEST_F(VoiceData, EditVoiceNameRoundTripsThroughTheTenNameParameters)
{
    const short user = bankNamed(data, "Norm");
    ASSERT_GE(user, 0);
    ASSERT_TRUE(data->loadToEditBuffer(user, 0, false));
    EXPECT_TRUE(data->getEditVoiceName().isNull()) << "nothing observed yet";
    data->ObserveEditVoiceName();
    int type = -1;
    QString text;
    data->getEditVoiceType(type, text);
    EXPECT_EQ(type, 0);
    EXPECT_EQ(text, QStringLiteral("Normal"));

    QSignalSpy changed(rig.companion(), &TovarIMemAPIQObject_VANTREL_KXE::editVoiceNameChanged);
    data->setEditVoiceName(QStringLiteral("Frost"), 0);
    EXPECT_EQ(data->getEditVoiceName(), QStringLiteral("Frost"));
    // Five letters, then the padding (00 or blanks), also on the instrument's side. The
    // ten bytes arrive one message each: wait for all of them.
    const auto nameOnInstrument = [&] {
        const Bytes edit = rig.sim.image().editRecord();
        return edit.size() >= 10 ? std::string(edit.begin(), edit.begin() + 10) : std::string();
    };
    const auto paddedFrost = [&] {
        const std::string name = nameOnInstrument();
        return name.compare(0, 5, "Frost") == 0 && name.size() == 10
               && name.find_first_not_of(std::string("\0 ", 2), 5) == std::string::npos;
    };
    EXPECT_TRUE(rig.pumpUntil(paddedFrost, 3000)) << "instrument holds \"" << nameOnInstrument() << '"';
    ASSERT_FALSE(changed.isEmpty());
    EXPECT_EQ(changed.last().at(1).toInt(), 0);
    EXPECT_EQ(changed.last().at(0).toString(), QStringLiteral("Frost"));
    data->setEditVoiceName(QStringLiteral("Longer Name!"), 0);
    EXPECT_EQ(data->getEditVoiceName(), QStringLiteral("Longer Nam"));
}
