// The voice-bank operations the voice list uses through the voice-data interface:
// moving a run of voices, the clipboard form of voices and pasting it elsewhere,
// initialising a voice, and finding a voice's name by the bank select a part sends.
// Each refuses what lies outside the bank and then changes nothing.
#include "CommandsSimRig.h"

#include <QSignalSpy>
#include <gtest/gtest.h>

using namespace CommandsTest;

namespace {

class VoiceBankOps : public ::testing::Test
{
protected:
    void SetUp() override
    {
        data = dynamic_cast<ITovarVoiceData*>(rig.companion());
        ASSERT_NE(data, nullptr);
        for (short b = 0; b < 32 && user < 0; ++b)
            if (data->isBankEditable(b) && data->bankName(b).contains(QLatin1String("Norm")))
                user = b;
        ASSERT_GE(user, 0);
        for (short v = 0; v < 8; ++v)
            data->setVoiceName(user, v, QStringLiteral("Voice%1").arg(v));
    }
    // The voice's name without the number the list shows before it ("  1 -- Name").
    QString name(short voice)
    {
        const QString text = data->voiceName(user, voice);
        const int at = text.indexOf(QLatin1String("-- "));
        return (at < 0 ? text : text.mid(at + 3)).trimmed();
    }

    SimRig rig;
    ITovarVoiceData* data = nullptr;
    short user = -1;
};

} // namespace

TEST_F(VoiceBankOps, ARunOfVoicesMovesToItsDestinationInsideTheBank)
{
    ASSERT_EQ(name(0), QStringLiteral("Voice0"));
    // The run of voices 0 and 1 moved up to before voice 4: the voices between move
    // down and the run ends just before the destination.
    ASSERT_TRUE(data->moveVoices(user, 0, 1, 4));
    EXPECT_EQ(name(0), QStringLiteral("Voice2"));
    EXPECT_EQ(name(1), QStringLiteral("Voice3"));
    EXPECT_EQ(name(2), QStringLiteral("Voice0"));
    EXPECT_EQ(name(3), QStringLiteral("Voice1"));
    EXPECT_EQ(name(4), QStringLiteral("Voice4"));
    // And back down: voice 0 moves to 3, the others up.
    ASSERT_TRUE(data->moveVoices(user, 2, 3, 0));
    for (short v = 0; v < 6; ++v)
        EXPECT_EQ(name(v), QStringLiteral("Voice%1").arg(v)) << v;

    // Beyond the bank's voices, or a run that ends past it: refused, nothing moves.
    QStringList before;
    for (short v = 0; v < 8; ++v)
        before << name(v);
    EXPECT_FALSE(data->moveVoices(user, 0, 4000, 1));
    EXPECT_FALSE(data->moveVoices(user, 3, 2, 1));
    EXPECT_FALSE(data->moveVoices(user, 0, 1, 4000));
    EXPECT_FALSE(data->moveVoices(200, 0, 1, 2));
    QStringList after;
    for (short v = 0; v < 8; ++v)
        after << name(v);
    EXPECT_EQ(after, before);
}

TEST_F(VoiceBankOps, VoicesCopiedInClipboardFormPasteElsewhereAndBadDataIsRefused)
{
    QByteArray clip;
    ASSERT_TRUE(data->getVoiceData(user, 1, 2, clip));
    ASSERT_GE(clip.size(), 4);
    EXPECT_EQ(clip.at(0), 'u');
    EXPECT_EQ(clip.at(2), char(1));
    EXPECT_EQ(clip.at(3), char(2));
    EXPECT_EQ((clip.size() - 4) % 2, 0);

    ASSERT_TRUE(data->setVoiceData(user, 6, clip));
    EXPECT_EQ(name(6), QStringLiteral("Voice1"));
    EXPECT_EQ(name(7), QStringLiteral("Voice2"));

    QByteArray foreign = clip;
    foreign[0] = 'x';
    EXPECT_FALSE(data->setVoiceData(user, 0, foreign));
    EXPECT_FALSE(data->setVoiceData(user, 0, clip.left(clip.size() - 1)));
    EXPECT_FALSE(data->setVoiceData(user, 0, QByteArray("u")));
    EXPECT_EQ(name(0), QStringLiteral("Voice0"));

    QByteArray none;
    EXPECT_FALSE(data->getVoiceData(user, 2, 1, none));
    EXPECT_FALSE(data->getVoiceData(user, 0, 4000, none));
    EXPECT_FALSE(data->getVoiceData(-1, 0, 1, none));
}

TEST_F(VoiceBankOps, AnInitialisedVoiceIsTheInitialVoiceAgain)
{
    ASSERT_TRUE(data->initVoice(user, 3));
    ASSERT_TRUE(data->initVoice(user, 4));
    EXPECT_NE(name(3), QStringLiteral("Voice3"));
    EXPECT_EQ(name(3), name(4));
    QByteArray three, four;
    ASSERT_TRUE(data->getVoiceData(user, 3, 3, three));
    ASSERT_TRUE(data->getVoiceData(user, 4, 4, four));
    EXPECT_EQ(three.mid(4), four.mid(4));
    EXPECT_EQ(name(2), QStringLiteral("Voice2"));
}

TEST_F(VoiceBankOps, APartsBankSelectFindsTheNameItPlays)
{
    int found = 0;
    for (short n = 0; n < 64; ++n) {
        short bank = 0, msb = 0, lsb = 0;
        if (data->nthDisplayBank(n, bank, msb, lsb).isNull())
            break;
        QString category;
        const QString byBankSelect = data->voiceNameAndCategory(msb, lsb, 0, category);
        if (bank == user) {
            QString own;
            EXPECT_EQ(byBankSelect, data->voiceNameCategory(user, 0, own)) << n;
            EXPECT_TRUE(byBankSelect.contains(QLatin1String("Voice0"))) << n;
        }
        EXPECT_FALSE(byBankSelect.isEmpty()) << "display bank " << n << " msb " << msb << " lsb " << lsb;
        ++found;
    }
    EXPECT_GT(found, 1);
    QString category = QStringLiteral("x");
    EXPECT_TRUE(data->voiceNameAndCategory(127, 127, 0, category).isNull());
}
