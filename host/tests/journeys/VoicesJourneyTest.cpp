// Journey 3: voices. Part 1's voice is chosen in the voice list that its name in the
// mixer opens: each highlighted voice is heard on the instrument, OK keeps the last
// one. The edit voice is renamed and stored into a place of a user bank, the bank is
// transmitted from the Setup menu and the instrument holds every voice of it as the
// editor does; the stored voice is then listed under its new name.
#include "JourneyRig.h"
#include "widgets/CHotspotLabel_VANTREL_KXE.h"
#include <QListWidget>
#include <QTreeWidget>

using namespace Journeys;

namespace {

constexpr uint8_t kUser1 = 0x00;  // Normal User 1's framing byte
constexpr short kUser1Bank = 0;   // and its voice-data bank
constexpr int kStoredVoice = 5;   // the sixth place of the bank
const QString kStoredName = QStringLiteral("Night Pad");

class VoicesJourney : public JourneyRig
{
protected:
    // Clicks a row of a list with the mouse.
    static void clickRow(QListWidget* list, int row)
    {
        QListWidgetItem* item = list->item(row);
        list->scrollToItem(item);
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(item).center());
    }
    // The voice list of part 1, opened from its voice name in the mixer; `act` runs in it.
    void openVoiceList(std::function<bool(QWidget*)> act)
    {
        auto* name = NS_MixerTest::voiceNameOf(mixerView(), 0);
        answer({{QStringLiteral("VoiceList"), std::move(act)}});
        QTimer::singleShot(0, name, [name] { QTest::mousePress(name, Qt::LeftButton, {}, name->hotSpot().center()); });
    }
    bool programReceived(int part, int program) const
    {
        for (const Instrument::Received& r : instrument().received(Kind::ParameterChange))
            if (r.bytes == parameterChange({0x37, uint8_t(part), 0x02}, {uint8_t(program)}))
                return true;
        return false;
    }
    // A stored voice's name: its first ten bytes, up to a zero, without the blanks that pad it.
    static QString nameOf(const Bytes& record)
    {
        if (record.size() < 10)
            return QString();
        const auto* text = reinterpret_cast<const char*>(record.data());
        return QString::fromLatin1(text, int(qstrnlen(text, 10))).trimmed();
    }
};

} // namespace

TEST_F(VoicesJourney, ChosenAuditionedKeptStoredUnderANewNameAndTransmitted)
{
    step("the editor starts and receives the preset voices at its prompt");
    ASSERT_TRUE(startHost({receivePresets()})) << at() << m_failure;
    ASSERT_TRUE(waitAnswered(60000)) << at() << dialogFailure();
    ASSERT_EQ(strips().size(), kStrips) << at() << "the mixer did not open";

    step("part 1's voice name in the mixer opens its voice list; each highlighted voice is heard; OK keeps it");
    instrument().clearLogs();
    QStringList rows;
    bool heardFirst = false;
    QString chosen;
    auto stage = std::make_shared<int>(0);
    openVoiceList([&, stage](QWidget* dialog) {
        auto* mode = child<QComboBox>(dialog, "SearchModeComboBox");
        auto* list = child<QListWidget>(dialog, "VoiceListBox");
        switch ((*stage)++) {
        case 0:
            if (!pick(mode, QStringLiteral("Bank")))
                throw std::runtime_error("no bank mode");
            if (child<QComboBox>(dialog, "BankComboBox")->currentText() != QStringLiteral("Normal Preset 1"))
                throw std::runtime_error("the list opened on " + child<QComboBox>(dialog, "BankComboBox")
                                                                     ->currentText()
                                                                     .toStdString());
            for (int i = 0; i < list->count(); ++i)
                rows << list->item(i)->text();
            clickRow(list, 3);
            return false;
        case 1:
            // Until the audition reaches the instrument; the step's deadline ends a wait
            // for one that never comes.
            heardFirst = programReceived(0, 3);
            if (!heardFirst)
                --*stage;
            return false;
        case 2:
            clickRow(list, 9);
            chosen = list->item(9)->text();
            return false;
        default:
            if (!programReceived(0, 9))
                return false;
            return click(dialog, "OKButton");
        }
    });
    ASSERT_TRUE(waitAnswered()) << at() << dialogFailure();
    ASSERT_EQ(rows.size(), 128) << at() << "the bank lists " << rows.size() << " voices";
    EXPECT_TRUE(heardFirst) << at() << "the first highlighted voice was not heard";
    // A list line is number, category and name, the name as the instrument stores it.
    const QString chosenName = nameOf(instrument().image().voice(0x40, 9));
    EXPECT_TRUE(!chosenName.isEmpty() && chosen.endsWith(chosenName))
        << at() << "the list shows voice 10 as \"" << chosen.toStdString() << "\", the instrument names it \""
        << chosenName.toStdString() << "\"";
    ASSERT_TRUE(waitFor([&] { return NS_MixerTest::voiceNameOf(mixerView(), 0)->text().trimmed() == chosenName; }))
        << at() << "the mixer shows \"" << NS_MixerTest::voiceNameOf(mixerView(), 0)->text().toStdString()
        << "\" for part 1";
    Bytes program;
    ASSERT_TRUE(instrument().image().readEdit({0x37, 0x00, 0x02}, 1, &program)) << at();
    EXPECT_EQ(int(program[0]), 9) << at() << "the instrument's part 1 does not play the kept voice";

    step("the edit voice is renamed and stored into Normal User 1, place 6");
    // The store dialog has no menu entry or button: the host opens it by its editor id.
    QString offeredBank;
    answer({{QStringLiteral("StoreDialog"), [&](QWidget* dialog) {
                 offeredBank = child<QComboBox>(dialog, "MemBankComboBox")->currentText();
                 if (!pick(child<QComboBox>(dialog, "MemBankComboBox"), QStringLiteral("Normal User 1")))
                     throw std::runtime_error("Normal User 1 is not offered");
                 auto* places = child<QTreeWidget>(dialog, "cVoiceList");
                 QTreeWidgetItem* place = places->topLevelItem(kStoredVoice);
                 if (!place)
                     throw std::runtime_error("the bank lists no sixth place");
                 places->scrollToItem(place);
                 QTest::mouseClick(places->viewport(), Qt::LeftButton, {}, places->visualItemRect(place).center());
                 auto* name = child<QLineEdit>(dialog, "cVoiceNameEdit");
                 name->selectAll();
                 QTest::keyClicks(name, kStoredName);
                 return click(dialog, "StoreButton");
             }}});
    QTimer::singleShot(0, [this] { m_host->openEditor({dialogsModule(), NS_DialogsIds::kStore}); });
    ASSERT_TRUE(waitAnswered()) << at() << dialogFailure();
    EXPECT_EQ(offeredBank.toStdString(), "Normal User 1") << at() << "the dialog did not open on the edit voice's bank";

    step("Transmit Voice Bulk from the Setup menu sends Normal User 1");
    auto started = std::make_shared<bool>(false);
    QString ended;
    answer({{QStringLiteral("TransmitDialog"), [&, started](QWidget* dialog) {
                 if (!*started) {
                     if (!pick(child<QComboBox>(dialog, "TransmitTypeComboBox"), QStringLiteral("Normal User 1")))
                         throw std::runtime_error("Normal User 1 cannot be transmitted");
                     *started = click(dialog, "StartButton");
                     return false;
                 }
                 if (child<QProgressBar>(dialog, "TransmitProgressBar")->value() < 100
                     || !child<QPushButton>(dialog, "CloseButton")->isEnabled())
                     return false;
                 ended = child<QGroupBox>(dialog, "GroupBox")->title();
                 return click(dialog, "CloseButton");
             }}},
           60000);
    ASSERT_TRUE(chooseMenu(QStringLiteral("&Setup"), QStringLiteral("Transmit Voice Bulk..."))) << at();
    ASSERT_TRUE(waitAnswered(60000)) << at() << dialogFailure();
    EXPECT_EQ(ended.toStdString(), "Transmit completed successfully") << at();

    step("the instrument holds Normal User 1 as the editor does");
    Companion* data = companion();
    ASSERT_NE(data, nullptr) << at();
    QByteArray editor;
    ASSERT_TRUE(data->getVoiceData(kUser1Bank, 0, 127, editor)) << at();
    const int voiceSize = (editor.size() - 4) / 128;
    ASSERT_EQ(voiceSize, 952) << at();
    ASSERT_TRUE(waitFor([&] { return nameOf(instrument().image().voice(kUser1, kStoredVoice)) == kStoredName; }))
        << at() << "the instrument's place 6 holds \""
        << nameOf(instrument().image().voice(kUser1, kStoredVoice)).toStdString() << "\"";
    for (int v = 0; v < 128; ++v) {
        const Bytes held = instrument().image().voice(kUser1, v);
        const Bytes sent(editor.begin() + 4 + v * voiceSize, editor.begin() + 4 + (v + 1) * voiceSize);
        ASSERT_EQ(held, sent) << at() << "voice " << v + 1 << " differs";
    }

    step("the voice list of part 1 lists the stored voice in Normal User 1 under its new name");
    QString listed;
    auto listStage = std::make_shared<int>(0);
    openVoiceList([&, listStage](QWidget* dialog) {
        if ((*listStage)++ == 0) {
            if (!pick(child<QComboBox>(dialog, "BankComboBox"), QStringLiteral("Normal User 1")))
                throw std::runtime_error("Normal User 1 is not listed");
            return false;
        }
        auto* list = child<QListWidget>(dialog, "VoiceListBox");
        listed = list->count() > kStoredVoice ? list->item(kStoredVoice)->text() : QString();
        return click(dialog, "CancelButton");
    });
    ASSERT_TRUE(waitAnswered()) << at() << dialogFailure();
    EXPECT_TRUE(listed.trimmed().endsWith(kStoredName)) << at() << "place 6 is listed as \"" << listed.toStdString() << "\"";
}
