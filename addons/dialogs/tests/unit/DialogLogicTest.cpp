// The voice dialogs against a fake memory API and voice data, with memory models the
// shipped data folder never gives: no banks at all, a first bank without voices,
// voices without names between others, categories the table does not know, values
// without display texts, a range that does not start at 0, and no user bank to store
// into. None of them hangs, indexes a list with -1 or writes a value other than the
// entry shown.
#include "FakeVoiceData.h"
#include "addons/dialogs/ArpSelectDialog.h"
#include "addons/dialogs/StoreDialog.h"
#include "addons/dialogs/TSelectorIEditorExtensions.h"
#include "addons/dialogs/VoiceList.h"
#include "addons/dialogs/WaveSelectDialog.h"
#include "console/memapi/TovarIMemAPI.h"
#include "memapi/tests/fakes/FakeMemAPI.h"
#include <QApplication>
#include <QPointer>
#include <QSettings>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>
#include <functional>
#include <gtest/gtest.h>
#include <map>

namespace {

constexpr short kPart = 55, kMsb = 0, kLsb = 1, kProgram = 2;
constexpr short kCommon = 54, kArpType = 20;
constexpr short kElement = 68, kWave = 2;

// The fake memory API with display texts: table 7 from the voice data, table 0 from
// the texts a test gives a parameter (a value without one has no text).
class TextMemAPI : public FakeMemAPI
{
public:
    TextMemAPI()
    {
        data = new FakeVoiceData;
        setCompanion(data);
        defineName(QStringLiteral("kMixPart/kPartBankSelMSB"), kPart, kMsb);
        defineName(QStringLiteral("kMixPart/kPartBankSelLSB"), kPart, kLsb);
        defineName(QStringLiteral("kMixPart/kPartPrgNo"), kPart, kProgram);
        defineName(QStringLiteral("kCommon/kCommARPType"), kCommon, kArpType);
        defineName(QStringLiteral("kNormalElement/kNrmElmWaveNumber"), kElement, kWave);
    }
    int32_t MAPI_getDisplayStringForValue(short, int table, QString* text, QPixmap*, int value, int, short element,
                                          short parameter) override
    {
        if (!text)
            return 0;
        if (table == 7) {
            *text = data->listText(parameter, element, value);
            return 0;
        }
        const auto found = texts.find({element, parameter});
        *text = found == texts.end() ? QString::number(value) : found->second(value);
        return 0;
    }
    std::vector<int> writesOf(short element, short parameter) const
    {
        std::vector<int> out;
        for (const Write& w : writes)
            if (w.element == element && w.parameter == parameter)
                out.push_back(w.value);
        return out;
    }

    FakeVoiceData* data; // owned by the base
    std::map<std::pair<short, short>, std::function<QString(int)>> texts;
};

void pump()
{
    QCoreApplication::processEvents();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

class DialogLogic : public ::testing::Test
{
protected:
    void SetUp() override
    {
        QSettings(NS_TovarMemAPI::settingsOrganization(), NS_TovarMemAPI::settingsApplication()).clear();
    }
    void setSearchMode(int mode)
    {
        QSettings(NS_TovarMemAPI::settingsOrganization(), NS_TovarMemAPI::settingsApplication())
            .setValue(QLatin1String(NS_TovarMemAPI::kKeyVoiceSeachMode), mode);
    }
    // Runs the frame's dialog once; `drive` runs inside its modal loop and must end it.
    // True when it ran and was deleted afterwards.
    template <class Frame>
    bool run(Frame* frame, const std::function<void(QDialog*)>& drive)
    {
        QPointer<QDialog> dialog(frame);
        frame->EX_postInitialize(&api);
        bool driven = false;
        QTimer watch;
        QObject::connect(&watch, &QTimer::timeout, [&] {
            if (driven || QApplication::activeModalWidget() != dialog)
                return;
            driven = true;
            drive(dialog);
        });
        watch.start(5);
        QTimer::singleShot(10000, [&] {
            if (dialog)
                dialog->done(QDialog::Rejected);
        });
        frame->EX_execute();
        pump();
        EXPECT_TRUE(driven) << "never shown";
        return driven && dialog.isNull();
    }
    DialogsIEditorExtensions<VoiceList>* voiceList(int part)
    {
        auto* list = new DialogsIEditorExtensions<VoiceList>(TDialogsAddOnLink(), nullptr, nullptr, nullptr);
        list->setChannel(part);
        return list;
    }
    static FakeVoiceData::Bank bank(const QString& name, short number, short msb, short lsb,
                                    std::vector<FakeVoiceData::Voice> voices, bool editable = false)
    {
        return FakeVoiceData::Bank{name, name.left(4), number, msb, lsb, editable, std::move(voices)};
    }
    static QStringList texts(const QListWidget* list)
    {
        QStringList out;
        for (int i = 0; i < list->count(); ++i)
            out << list->item(i)->text();
        return out;
    }

    TextMemAPI api;
};

// One voice-list run over a made-up memory model.
struct ListCase
{
    const char* name;
    int mode; // search mode at opening
    std::vector<FakeVoiceData::Bank> banks;
    std::array<int, 3> part; // MSB, LSB, program
    QStringList listed;      // the list at opening
    int current;             // its current row
    bool okEnabled;
    QString bankShown;       // the bank or category combo box's text
};

void PrintTo(const ListCase& c, std::ostream* out)
{
    *out << c.name;
}

class VoiceListModels : public DialogLogic, public ::testing::WithParamInterface<ListCase>
{
};

// Banks of the made-up models: one whose programs have no voice, and one with a
// program without a name (3) and a voice of a category the table does not know (5).
FakeVoiceData::Bank emptyBank()
{
    return FakeVoiceData::Bank{"Empty Bank", "Empt", 10, 1, 1, false, {{"", ""}, {"", ""}}};
}
FakeVoiceData::Bank fullBank()
{
    return FakeVoiceData::Bank{
        "Full Bank", "Full", 11, 2, 3, false,
        {{"Sub", "Ba"}, {"Round", "Ba"}, {"Bow", "St"}, {"", ""}, {"Pick", "Ba"}, {"Odd", "Zz"}}};
}

const ListCase kListCases[] = {
    {"NoBanksInBankMode", 0, {}, {0, 0, 0}, {}, -1, false, ""},
    {"NoBanksInCategoryMode", 1, {}, {0, 0, 0}, {}, -1, false, "-------"},
    // The fallback to the first bank finds no voice there, and stops.
    {"EmptyFirstBank", 0,
     {emptyBank(), fullBank()}, {9, 9, 3}, {}, -1, false, "Empty Bank"},
    // A voice without a name is left out; the others keep their programs.
    {"VoiceWithoutAName", 0, {fullBank()}, {2, 3, 4}, {"Sub", "Round", "Bow", "Pick", "Odd"}, 3, true,
     "Full Bank"},
    {"CategoryOfTheVoice", 1, {fullBank()}, {2, 3, 4}, {"Full-Sub", "Full-Round", "Full-Pick"}, 2, true,
     "Bass"},
    // A category the table does not know lists nothing.
    {"UnknownCategory", 1, {fullBank()}, {2, 3, 5}, {}, -1, false, "-------"},
    // A part on a bank that is not listed: the first voice, heard.
    {"BankNotListedInCategoryMode", 1, {fullBank()}, {9, 9, 3}, {"Full-Sub", "Full-Round", "Full-Pick"}, 0, true,
     "Bass"},
};

} // namespace

TEST_P(VoiceListModels, OpenOnWhatTheModelHasAndNeverWriteAnEntryNotShown)
{
    const ListCase c = GetParam();
    api.data->banks = c.banks;
    setSearchMode(c.mode);
    api.poke(kPart, kMsb, 0, c.part[0]);
    api.poke(kPart, kLsb, 0, c.part[1]);
    api.poke(kPart, kProgram, 0, c.part[2]);
    struct Seen
    {
        QStringList listed;
        int current = -2;
        bool okEnabled = true, stayedOnOk = false;
        QString bankShown;
        QStringList otherMode;
        QStringList shown, heard; // in the mode at opening, then in the other
    } seen;
    // The part's voice as the list writes it in a mode.
    const auto playing = [&](int mode) {
        const short msb = short(api.peek(kPart, kMsb, 0)), lsb = short(api.peek(kPart, kLsb, 0));
        const QString name = api.data->listText(msb, lsb, api.peek(kPart, kProgram, 0));
        return mode == 0 || name.isEmpty() ? name : api.data->shortBankName(msb, lsb) + QLatin1Char('-') + name;
    };
    const bool ran = run(voiceList(0), [&](QDialog* dialog) {
        auto* list = dialog->findChild<QListWidget*>(QStringLiteral("VoiceListBox"));
        auto* ok = dialog->findChild<QPushButton*>(QStringLiteral("OKButton"));
        auto* mode = dialog->findChild<QComboBox*>(QStringLiteral("SearchModeComboBox"));
        const auto listen = [&](int m) {
            if (list->currentItem()) {
                seen.shown << list->currentItem()->text();
                seen.heard << playing(m);
            }
        };
        listen(c.mode);
        seen.listed = texts(list);
        seen.current = list->currentRow();
        seen.okEnabled = ok->isEnabled();
        seen.bankShown = dialog->findChild<QComboBox*>(QStringLiteral("BankComboBox"))->currentText();
        if (!seen.okEnabled) {
            // The default button through the keyboard: nothing chosen, nothing happens.
            QMetaObject::invokeMethod(dialog, "accept");
            seen.stayedOnOk = dialog->isVisible();
        }
        // To the other mode and back.
        mode->setCurrentIndex(1 - c.mode);
        emit mode->activated(1 - c.mode);
        seen.otherMode = texts(list);
        listen(1 - c.mode);
        mode->setCurrentIndex(c.mode);
        emit mode->activated(c.mode);
        dialog->findChild<QPushButton*>(QStringLiteral("CancelButton"))->click();
    });
    EXPECT_TRUE(ran);
    EXPECT_EQ(seen.listed, c.listed);
    EXPECT_EQ(seen.current, c.current);
    EXPECT_EQ(seen.okEnabled, c.okEnabled);
    EXPECT_EQ(seen.bankShown, c.bankShown);
    if (!c.okEnabled)
        EXPECT_TRUE(seen.stayedOnOk);
    if (c.banks.empty())
        EXPECT_TRUE(seen.otherMode.isEmpty());
    // The voice on show is the voice heard, in either mode.
    EXPECT_EQ(seen.heard.join(QLatin1Char('|')).toStdString(), seen.shown.join(QLatin1Char('|')).toStdString());
    // The voice companion's copy was taken, and given back on Cancel.
    EXPECT_EQ(api.data->copies, 1);
    EXPECT_EQ(api.data->resets, 1);
    EXPECT_EQ(api.data->drops, 0);
}

INSTANTIATE_TEST_SUITE_P(, VoiceListModels, ::testing::ValuesIn(kListCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(DialogLogic, AVoiceListEntryWritesItsOwnProgramPastAVoiceWithoutAName)
{
    api.data->banks = {fullBank()};
    setSearchMode(0);
    api.poke(kPart, kMsb, 0, 2);
    api.poke(kPart, kLsb, 0, 3);
    api.poke(kPart, kProgram, 0, 0);
    const bool ran = run(voiceList(0), [&](QDialog* dialog) {
        auto* list = dialog->findChild<QListWidget*>(QStringLiteral("VoiceListBox"));
        for (int row : {2, 3, 4})
            list->setCurrentRow(row);
        dialog->findChild<QPushButton*>(QStringLiteral("OKButton"))->click();
    });
    EXPECT_TRUE(ran);
    // Rows 2, 3 and 4 are programs 2, 4 and 5; OK sends the chosen one once more.
    EXPECT_EQ(api.writesOf(kPart, kProgram), (std::vector<int>{2, 4, 5, 5}));
    EXPECT_EQ(api.peek(kPart, kProgram, 0), 5);
    EXPECT_EQ(api.data->drops, 1);
}

TEST_F(DialogLogic, ArpeggioEntriesKeepTheirValuesWhereATypeHasNoName)
{
    // Type 2 has no name: the list goes 0, 1, 3, 4, ...
    api.texts[{kCommon, kArpType}] = [](int v) { return v == 2 ? QString() : QStringLiteral("Arp %1").arg(v); };
    api.poke(kCommon, kArpType, 0, 3);
    auto* frame = new TListSelectIEditorExtensions<ArpSelectDialog>(
        TDialogsAddOnLink(), nullptr, QStringLiteral("00kCommon/kCommARPType"), false, nullptr, nullptr,
        QStringLiteral("Arp Select Dialog"));
    QString current;
    int count = -1;
    const bool ran = run(frame, [&](QDialog* dialog) {
        auto* list = dialog->findChild<QListWidget*>(QStringLiteral("ArpListBox"));
        count = list->count();
        current = list->currentItem() ? list->currentItem()->text() : QString();
        list->setCurrentRow(4);
        dialog->findChild<QPushButton*>(QStringLiteral("CancelButton"))->click();
    });
    EXPECT_TRUE(ran);
    EXPECT_EQ(count, 1786);
    EXPECT_EQ(current, QStringLiteral("Arp 3"));
    // Opening writes the current type again; row 4 is type 5; Cancel writes back the
    // type at opening.
    EXPECT_EQ(api.writesOf(kCommon, kArpType), (std::vector<int>{3, 5, 3}));
}

TEST_F(DialogLogic, ReturnAndEnterInTheListPressTheDialogsDefaultButton)
{
    api.texts[{kCommon, kArpType}] = [](int v) { return QStringLiteral("Arp %1").arg(v); };
    for (const Qt::Key key : {Qt::Key_Return, Qt::Key_Enter}) {
        SCOPED_TRACE(key);
        api.poke(kCommon, kArpType, 0, 3);
        auto* frame = new TListSelectIEditorExtensions<ArpSelectDialog>(
            TDialogsAddOnLink(), nullptr, QStringLiteral("00kCommon/kCommARPType"), false, nullptr, nullptr,
            QStringLiteral("Arp Select Dialog"));
        bool accepted = false;
        const bool ran = run(frame, [&](QDialog* dialog) {
            QObject::connect(dialog, &QDialog::accepted, [&] { accepted = true; });
            auto* list = dialog->findChild<QListWidget*>(QStringLiteral("ArpListBox"));
            list->setCurrentRow(4);
            list->setFocus();
            QTest::keyClick(list, key);
        });
        EXPECT_TRUE(ran);
        EXPECT_TRUE(accepted);
        // OK keeps the entry chosen; Cancel would have written type 3 back.
        EXPECT_EQ(api.peek(kCommon, kArpType, 0), 4);
    }
}

TEST_F(DialogLogic, AListOfAnAddressThatDoesNotResolveStaysEmptyAndWritesNothing)
{
    auto* frame = new TListSelectIEditorExtensions<ArpSelectDialog>(
        TDialogsAddOnLink(), nullptr, QStringLiteral("00kNoSuch/kParameter"), false, nullptr, nullptr,
        QStringLiteral("Arp Select Dialog"));
    int count = -1;
    const bool ran = run(frame, [&](QDialog* dialog) {
        count = dialog->findChild<QListWidget*>(QStringLiteral("ArpListBox"))->count();
        dialog->findChild<QPushButton*>(QStringLiteral("OKButton"))->click();
    });
    EXPECT_TRUE(ran);
    EXPECT_EQ(count, 0);
    EXPECT_TRUE(api.writes.isEmpty());
}

TEST_F(DialogLogic, AWaveRangeThatDoesNotStartAtZeroWritesTheWaveShown)
{
    api.setRange(kElement, kWave, 100, 110);
    api.texts[{kElement, kWave}] = [](int v) { return QStringLiteral("Wave %1").arg(v); };
    api.poke(kElement, kWave, 1, 105);
    auto* frame = new TWaveListIEditorExtensions<WaveSelectDialog>(
        TDialogsAddOnLink(), nullptr, QStringLiteral("FEkNormalElement/kNrmElmWaveNumber"), nullptr, nullptr,
        QStringLiteral("Wave List (Normal ELement)"));
    frame->setNormalElement(2);
    frame->setNormalElement(0); // ignored
    frame->setNormalElement(5); // ignored
    QString current, first;
    const bool ran = run(frame, [&](QDialog* dialog) {
        auto* list = dialog->findChild<QListWidget*>(QStringLiteral("WaveListBox"));
        current = list->currentItem()->text();
        first = list->item(0)->text();
        list->setCurrentRow(0);
        dialog->findChild<QPushButton*>(QStringLiteral("OKButton"))->click();
    });
    EXPECT_TRUE(ran);
    EXPECT_EQ(current, QStringLiteral("Wave 105"));
    EXPECT_EQ(first, QStringLiteral("Wave 100"));
    // Element 2 is channel 1.
    EXPECT_EQ(api.peek(kElement, kWave, 1), 100);
}

TEST_F(DialogLogic, NoUserBankOfTheEditVoicesFamilyLeavesNothingToStore)
{
    api.data->banks = {bank(QStringLiteral("Normal Preset 1"), 6, 0, 0, {{"Tine", "Kb"}}),
                       bank(QStringLiteral("Drum User"), 3, 63, 32, {{"Kit", "Dr"}}, true)};
    api.data->editBank = 6;
    api.data->editVoice = 0;
    api.data->editName = QStringLiteral("Tine");
    auto* frame = new DialogsIEditorExtensions<StoreDialog>(TDialogsAddOnLink(), nullptr, nullptr, nullptr);
    int banks = -1, rows = -1;
    bool storeEnabled = true, stayed = false;
    const bool ran = run(frame, [&](QDialog* dialog) {
        banks = dialog->findChild<QComboBox*>(QStringLiteral("MemBankComboBox"))->count();
        rows = dialog->findChild<QTreeWidget*>(QStringLiteral("cVoiceList"))->topLevelItemCount();
        auto* store = dialog->findChild<QPushButton*>(QStringLiteral("StoreButton"));
        storeEnabled = store->isEnabled();
        QMetaObject::invokeMethod(dialog, "StoreButton_clicked");
        stayed = dialog->isVisible();
        dialog->findChild<QPushButton*>(QStringLiteral("CancelButton"))->click();
    });
    EXPECT_TRUE(ran);
    EXPECT_EQ(banks, 0);
    EXPECT_EQ(rows, 0);
    EXPECT_FALSE(storeEnabled);
    EXPECT_TRUE(stayed);
    EXPECT_TRUE(api.data->stored.isEmpty());
}
