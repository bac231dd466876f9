// The category code of every voice of every bank, as the voice lists and the channel
// strips ask for it: preset voices received from the instrument, user voices as stored.
#include "CommandsSimRig.h"

#include <QSignalSpy>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace CommandsTest;

namespace {

const QStringList kCodes = {"--", "Ap", "Kb", "Or", "Gt", "Ba", "St", "Br", "Rp",
                            "Ld", "Pd", "Sc", "Cp", "Dr", "Se", "Me", "Co"};

class VoiceCategory : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_oldBundle = qgetenv("VANTREL_BUNDLE_DIR");
        rig = std::make_unique<SimRig>();
        // The preset cache that a preset receive writes stays out of the shared bundle.
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
};

} // namespace

TEST_F(VoiceCategory, EveryVoiceOfEveryBankHasItsCategory)
{
    TovarIMemAPIQObject_VANTREL_KXE* companion = rig->companion();
    // Preset voices as a receive from the instrument leaves them.
    QSignalSpy progress(companion, &TovarIMemAPIQObject_VANTREL_KXE::bulkProgressChanged);
    companion->requestPresetVoiceBulk();
    ASSERT_TRUE(rig->pumpUntil([&] {
        for (const auto& args : progress)
            if (args.at(0).toInt() >= 100)
                return true;
        return false;
    }, 60000));
    rig->pumpUntil([&] { return companion->isDocDirty(); }, 3000);
    const NS_Simulator::SimBankDef* received = rig->sim.memoryMap().bank(0x40);
    ASSERT_TRUE(received);
    for (int voice = 0; voice < 128; ++voice) {
        QString category;
        const QString name = companion->voiceNameCategory(6, short(voice), category);
        const NS_Simulator::SimPresetVoice& p = received->presetVoices[size_t(voice)];
        EXPECT_EQ(name.toStdString(), p.name) << voice;
        ASSERT_EQ(category.toStdString(), kCodes.value(p.category).toStdString()) << "preset voice " << voice;
    }

    // Every bank: each voice stored with a category of its own.
    int banks = 0;
    for (short bank = 0; !companion->bankName(bank).isEmpty(); ++bank) {
        if (companion->bankName(bank).contains(QLatin1String("Current")))
            continue; // the edit buffers are no banks of voices
        ++banks;
        const int voices = rig->voice().GetLibCateInfo(bank).voiceNum;
        ASSERT_GT(voices, 0) << bank;
        for (short voice = 0; voice < voices; ++voice) {
            int size = 0;
            unsigned char* bytes = rig->voice().GetVoiceMem(bank, voice, &size);
            ASSERT_TRUE(bytes && size > 10);
            bytes[10] = (unsigned char)((bank + voice) % kCodes.size());
            const QString expected = kCodes.at((bank + voice) % kCodes.size());
            QString category;
            const QString name = companion->voiceNameCategory(bank, voice, category);
            ASSERT_EQ(category.toStdString(), expected.toStdString()) << "bank " << bank << " voice " << voice;
            // The list line: number, category and name, each followed by a blank.
            QString line;
            ASSERT_TRUE(rig->memory()->GetVoiceNameInBank(bank, voice, line));
            EXPECT_EQ(line.toStdString(),
                      (QString::asprintf("%3d ", voice + 1) + expected + QLatin1Char(' ') + name + QLatin1Char(' '))
                          .toStdString());
        }
    }
    EXPECT_EQ(banks, 15);
}
