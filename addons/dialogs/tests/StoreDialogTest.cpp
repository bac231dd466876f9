// The store dialog, opened by the toolbar's store command, in the component against the
// simulated instrument: it offers the user banks of the edit voice's family, stores the
// edit buffer under the typed name ("Untitled" for a blank one) into the chosen voice,
// from where a voice transmit takes it to the instrument, and refuses names outside
// ASCII.
#include "VoiceDialogsRig.h"
#include <QLineEdit>
#include <QTreeWidget>

using namespace DialogsTest;

namespace {

class StoreDialogs : public VoiceDialogsRig
{
protected:
    void openStore(const std::function<void(QDialog*)>& drive)
    {
        runModal([&] { QMetaObject::invokeMethod(toolbar(), "launchStore"); }, drive);
        EXPECT_TRUE(m_lastDialogRan);
        EXPECT_TRUE(m_lastDialogDeleted);
    }
    static QStringList comboTexts(const QComboBox* box)
    {
        QStringList out;
        for (int i = 0; i < box->count(); ++i)
            out << box->itemText(i);
        return out;
    }
};

struct FamilyCase
{
    const char* name;
    short bank; // the voice-data bank the edit voice comes from
    short voice;
    QStringList offered;
    const char* current;
};

void PrintTo(const FamilyCase& c, std::ostream* out)
{
    *out << c.name;
}

class StoreFamilies : public StoreDialogs, public ::testing::WithParamInterface<FamilyCase>
{
};

const QStringList kNormalUsers{"Normal User 1", "Normal User 2", "Normal User 3"};

} // namespace

TEST_P(StoreFamilies, OffersTheUserBanksOfTheEditVoicesFamilyOnItsBankAndVoice)
{
    const FamilyCase c = GetParam();
    startHost();
    ASSERT_TRUE(voiceData()->loadToEditBuffer(c.bank, c.voice, false));
    QString caption, current, selected, name;
    QStringList offered;
    int rows = -1;
    openStore([&](QDialog* dialog) {
        caption = dialog->windowTitle();
        auto* banks = child<QComboBox>(dialog, "MemBankComboBox");
        offered = comboTexts(banks);
        current = banks->currentText();
        auto* list = child<QTreeWidget>(dialog, "cVoiceList");
        rows = list->topLevelItemCount();
        selected = list->currentItem() ? list->currentItem()->text(0) : QString();
        name = child<QLineEdit>(dialog, "cVoiceNameEdit")->text();
        child<QPushButton>(dialog, "CancelButton")->click();
    });
    EXPECT_EQ(caption, QStringLiteral("Store Voice"));
    EXPECT_EQ(offered, c.offered);
    EXPECT_EQ(current, QLatin1String(c.current));
    EXPECT_EQ(rows, c.offered.first().startsWith(QLatin1String("Drum")) ? 32
                    : c.offered.first().startsWith(QLatin1String("Plug")) ? 64 : 128);
    EXPECT_EQ(selected, QString::asprintf("%3d", c.voice + 1));
    EXPECT_EQ(name, voiceData()->getEditVoiceName());
}

INSTANTIATE_TEST_SUITE_P(
    , StoreFamilies,
    ::testing::Values(FamilyCase{"NormalUser", 1, 7, kNormalUsers, "Normal User 2"},
                      FamilyCase{"NormalPreset", 8, 5, kNormalUsers, "Normal User 1"},
                      FamilyCase{"DrumUser", 3, 2, {"Drum User"}, "Drum User"},
                      FamilyCase{"PluginUser", 5, 0, {"Plug-in User 1", "Plug-in User 2"}, "Plug-in User 2"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(StoreDialogs, StoresUnderTheTypedNameOrUntitledAndTheVoiceReachesTheInstrument)
{
    startHost();
    const struct
    {
        const char* typed;
        const char* stored;
        int voice;
    } cases[] = {{"   ", "Untitled", 20}, {"Wood Flute", "Wood Flute", 21}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.typed);
        // A plug-in voice: its banks are the smallest to send.
        ASSERT_TRUE(voiceData()->loadToEditBuffer(4, 3, false));
        QStringList relisted;
        openStore([&](QDialog* dialog) {
            auto* banks = child<QComboBox>(dialog, "MemBankComboBox");
            banks->setCurrentIndex(1);
            emit banks->activated(1);
            auto* list = child<QTreeWidget>(dialog, "cVoiceList");
            for (int i : {0, 9, 63})
                relisted << list->topLevelItem(i)->text(0);
            list->setCurrentItem(list->topLevelItem(c.voice));
            child<QLineEdit>(dialog, "cVoiceNameEdit")->setText(QLatin1String(c.typed));
            child<QPushButton>(dialog, "StoreButton")->click();
        });
        EXPECT_EQ(relisted, (QStringList{"  1", " 10", " 64"}));
        QString category;
        EXPECT_EQ(voiceData()->voiceNameCategory(5, short(c.voice), category), QLatin1String(c.stored));
    }
    // Plug-in User 2 to the instrument (transmit type 5, framing byte 05), unpaced.
    m_component->preferences()->setProperty(NS_TovarMemAPI::kPrefDumpInterval, 0);
    ProgressLog log(m_companion);
    m_companion->sendUserVoiceBulk(5);
    ASSERT_TRUE(pumpUntil([&] { return log.reached100(); }, 30000));
    const auto nameIn = [&](int voice) {
        const Bytes record = instrument().image().voice(0x05, voice);
        // The name is padded as the editor pads it (blanks or zeros).
        QString name = record.size() >= 10 ? QString::fromLatin1(reinterpret_cast<const char*>(record.data()), 10)
                                           : QString();
        while (name.endsWith(QLatin1Char(' ')) || name.endsWith(QChar(0)))
            name.chop(1);
        return name;
    };
    EXPECT_TRUE(pumpUntil([&] { return nameIn(21) == QStringLiteral("Wood Flute"); }, 5000)) << qPrintable(nameIn(21));
    EXPECT_EQ(nameIn(20), QStringLiteral("Untitled"));
}

TEST_F(StoreDialogs, AYenSignTurnsIntoABackslashAndANameOutsideAsciiIsRefused)
{
    startHost();
    ASSERT_TRUE(voiceData()->loadToEditBuffer(0, 3, false));
    const QString before = voiceData()->voiceName(0, 9);
    QString corrected, afterRefusal;
    bool stayed = false;
    openStore([&](QDialog* dialog) {
        auto* edit = child<QLineEdit>(dialog, "cVoiceNameEdit");
        edit->setText(QString::fromUtf8("Dub\u00a5Step"));
        corrected = edit->text();
        child<QTreeWidget>(dialog, "cVoiceList")->setCurrentItem(
            child<QTreeWidget>(dialog, "cVoiceList")->topLevelItem(9));
        edit->setText(QString::fromUtf8("Caf\u00e9 Keys"));
        child<QPushButton>(dialog, "StoreButton")->click();
        stayed = dialog->isVisible();
        afterRefusal = edit->text();
        child<QPushButton>(dialog, "CancelButton")->click();
    });
    EXPECT_EQ(corrected, QStringLiteral("Dub\\Step"));
    EXPECT_TRUE(stayed);
    EXPECT_EQ(m_prompter.warnings, QStringList{QStringLiteral("TOVAR-VANTREL Editor|Use the ASCII characters only")});
    EXPECT_EQ(afterRefusal, voiceData()->getEditVoiceName());
    EXPECT_EQ(voiceData()->voiceName(0, 9), before);
}
