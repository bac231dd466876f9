// The voice list of a part, opened from the mixer's channel strip as the user opens it,
// in the component against the simulated instrument: it opens on the part's voice,
// auditions every highlight, keeps the voice across bank and category mode, lists a
// category by its code over all banks, and ends with OK (written again with bank
// select, search mode kept) or Cancel (bank, program, the parts and the voice edit
// buffer as at opening: the companion's copy of the multi, with what each part took
// over from its voice, and of the voice edit buffer).
#include "VoiceDialogsRig.h"
#include "widgets/CHotspotLabel_VANTREL_KXE.h"

using namespace DialogsTest;

namespace {

const QString kMsb = QStringLiteral("00kMixPart/kPartBankSelMSB");
const QString kLsb = QStringLiteral("00kMixPart/kPartBankSelLSB");
const QString kProgram = QStringLiteral("00kMixPart/kPartPrgNo");
// A part's volume (37 pp 0D), in the copy the companion keeps while the list is open.
constexpr short kPartElement = 0x37;
constexpr short kPartVolume = 0x0D;

class VoiceLists : public VoiceDialogsRig
{
protected:
    void setSearchMode(int mode)
    {
        QSettings(NS_TovarMemAPI::settingsOrganization(), NS_TovarMemAPI::settingsApplication())
            .setValue(QLatin1String(NS_TovarMemAPI::kKeyVoiceSeachMode), mode);
    }
    int storedSearchMode() const
    {
        return QSettings(NS_TovarMemAPI::settingsOrganization(), NS_TovarMemAPI::settingsApplication())
            .value(QLatin1String(NS_TovarMemAPI::kKeyVoiceSeachMode), -1)
            .toInt();
    }
    // The voice name the mixer shows for a part: its hot spot opens the part's list.
    CHotspotLabel_VANTREL_KXE* stripVoiceName(int part)
    {
        QWidget* window = nullptr;
        m_server->CS_openEditor(Guid2QUuid(NS_AddOnIds::LayerAddOn), 1, &window, nullptr, true);
        const auto all = window ? window->findChildren<CHotspotLabel_VANTREL_KXE*>(QStringLiteral("ChVoiceName"))
                                : QList<CHotspotLabel_VANTREL_KXE*>();
        if (all.isEmpty())
            return nullptr;
        // The names lie on the view, moved there from the last strip to the first.
        const auto names = all.first()->parentWidget()->findChildren<CHotspotLabel_VANTREL_KXE*>(
            QStringLiteral("ChVoiceName"), Qt::FindDirectChildrenOnly);
        return names.value(int(names.size()) - 1 - part);
    }
    void openFromStrip(int part, const std::function<void(QDialog*)>& drive)
    {
        CHotspotLabel_VANTREL_KXE* name = stripVoiceName(part);
        ASSERT_NE(name, nullptr);
        runModal([&] { QTest::mousePress(name, Qt::LeftButton, {}, name->hotSpot().center()); }, drive);
        EXPECT_TRUE(m_lastDialogRan);
        EXPECT_TRUE(m_lastDialogDeleted);
    }
    // The text every voice of a category has in category mode, over all banks, from
    // the voice data itself.
    QStringList categoryTexts(const QString& code)
    {
        QStringList out;
        ITovarVoiceData* data = voiceData();
        for (short b = 0;; ++b) {
            short number = 0, msb = 0, lsb = 0;
            if (data->nthDisplayBank(b, number, msb, lsb).isEmpty())
                break;
            const QString shortName = data->shortBankName(msb, lsb);
            for (int p = 0; p < 128; ++p) {
                QString category, text;
                data->voiceNameCategory(number, short(p), category);
                QPixmap picture;
                m_api->MAPI_getDisplayStringForValue(0, 7, &text, &picture, p, 0, lsb, msb);
                if (!text.isEmpty() && category == code)
                    out << shortName + QLatin1Char('-') + text;
            }
        }
        return out;
    }
};

struct Ending
{
    const char* name;
    bool ok;
};

void PrintTo(const Ending& e, std::ostream* out)
{
    *out << e.name;
}

class VoiceListEndings : public VoiceLists, public ::testing::WithParamInterface<Ending>
{
};

} // namespace

TEST_P(VoiceListEndings, OpensOnThePartsVoiceAuditionsHighlightsAndEnds)
{
    const Ending ending = GetParam();
    startHost();
    setSearchMode(0);
    constexpr int part = 2;
    setPartVoice(part, 0, 1, 5);
    const int volume = m_api->MAPI_getIndParam(kPartElement, kPartVolume, part, false, nullptr);
    const int edited = volume == 100 ? 90 : 100;
    struct Seen
    {
        QString caption, bank, mode, current;
        int currentProgram = -1;
        bool okEnabled = false;
        std::array<int, 3> afterHighlight{};
        bool heard = false;
    } seen;
    openFromStrip(part, [&](QDialog* dialog) {
        auto* list = child<QListWidget>(dialog, "VoiceListBox");
        seen.caption = dialog->windowTitle();
        seen.bank = child<QComboBox>(dialog, "BankComboBox")->currentText();
        seen.mode = child<QComboBox>(dialog, "SearchModeComboBox")->currentText();
        seen.current = list->currentItem() ? list->currentItem()->text() : QString();
        seen.okEnabled = child<QPushButton>(dialog, "OKButton")->isEnabled();
        instrument().clearLogs();
        highlight(list, 8);
        seen.afterHighlight = partVoice(part);
        seen.heard = received({0x37, uint8_t(part), 0x02}, 8);
        // Something changes the part meanwhile.
        m_api->MAPI_setIndParam(kPartElement, kPartVolume, part, edited, m_api->MAPI_dirtyAllFlags(nullptr),
                                IMemAPI::PostSetDirtyFlags);
        instrument().clearLogs();
        child<QPushButton>(dialog, ending.ok ? "OKButton" : "CancelButton")->click();
    });
    EXPECT_EQ(seen.caption, QStringLiteral("Voice List"));
    EXPECT_EQ(seen.mode, QStringLiteral("Bank"));
    EXPECT_EQ(seen.bank, QStringLiteral("Normal Preset 2"));
    EXPECT_TRUE(seen.current.startsWith(QStringLiteral("  6 "))) << qPrintable(seen.current);
    EXPECT_TRUE(seen.okEnabled);
    EXPECT_EQ(seen.afterHighlight, (std::array<int, 3>{0, 1, 8}));
    EXPECT_TRUE(seen.heard) << "the highlighted voice did not reach the instrument";

    // Bank select and program are sent again at the end, changed or not.
    const int program = ending.ok ? 8 : 5;
    EXPECT_EQ(partVoice(part), (std::array<int, 3>{0, 1, program}));
    EXPECT_TRUE(received({0x37, uint8_t(part), 0x00}, 0));
    EXPECT_TRUE(received({0x37, uint8_t(part), 0x01}, 1));
    EXPECT_TRUE(received({0x37, uint8_t(part), 0x02}, program));
    // OK keeps the parts as they are now; Cancel puts back the copy taken at opening.
    EXPECT_EQ(m_api->MAPI_getIndParam(kPartElement, kPartVolume, part, false, nullptr), ending.ok ? edited : volume);
    EXPECT_EQ(storedSearchMode(), 0);
}

INSTANTIATE_TEST_SUITE_P(, VoiceListEndings, ::testing::Values(Ending{"Ok", true}, Ending{"Cancel", false}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(VoiceLists, SwitchingModeAndCategoryKeepsTheVoiceAndListsEachVoiceOfACategoryByItsCode)
{
    startHost();
    // Normal User 1 (framing byte 00, receive type 0) gets voices of two categories.
    ASSERT_TRUE(plantAndReceive(0x00, 0,
                                {{3, {QStringLiteral("Deep Sub"), 5}},
                                 {10, {QStringLiteral("Round Bass"), 5}},
                                 {11, {QStringLiteral("Warm Bow"), 6}},
                                 {40, {QStringLiteral("Thin Bow"), 6}}}));
    QString code;
    ASSERT_EQ(voiceData()->voiceNameCategory(0, 10, code), QStringLiteral("Round Bass"));
    ASSERT_EQ(code, QStringLiteral("Ba"));
    const QStringList bass = categoryTexts(QStringLiteral("Ba"));
    const QStringList strings = categoryTexts(QStringLiteral("St"));
    ASSERT_GE(bass.size(), 2);
    ASSERT_GE(strings.size(), 2);
    setSearchMode(0);
    constexpr int part = 0;
    setPartVoice(part, 63, 0, 10);
    struct Seen
    {
        QString category, current, bankAgain, currentAgain, stringsCurrent;
        QStringList listed, stringsListed;
        std::array<int, 3> afterCategory{};
    } seen;
    openFromStrip(part, [&](QDialog* dialog) {
        auto* mode = child<QComboBox>(dialog, "SearchModeComboBox");
        auto* bank = child<QComboBox>(dialog, "BankComboBox");
        auto* list = child<QListWidget>(dialog, "VoiceListBox");
        // To category mode, as the user picks it.
        mode->setCurrentIndex(1);
        emit mode->activated(1);
        seen.category = bank->currentText();
        seen.listed = texts(list);
        seen.current = list->currentItem() ? list->currentItem()->text() : QString();
        // Back to bank mode.
        mode->setCurrentIndex(0);
        emit mode->activated(0);
        seen.bankAgain = bank->currentText();
        seen.currentAgain = list->currentItem() ? list->currentItem()->text() : QString();
        // Category mode again, then another category: its first voice is heard.
        mode->setCurrentIndex(1);
        emit mode->activated(1);
        bank->setCurrentIndex(6);
        emit bank->activated(6);
        seen.stringsListed = texts(list);
        seen.stringsCurrent = list->currentItem() ? list->currentItem()->text() : QString();
        seen.afterCategory = partVoice(part);
        child<QPushButton>(dialog, "OKButton")->click();
    });
    EXPECT_EQ(seen.category, QStringLiteral("Bass"));
    EXPECT_EQ(seen.listed, bass);
    EXPECT_TRUE(seen.current.startsWith(QStringLiteral("USR1- 11 Ba Round Bass"))) << qPrintable(seen.current);
    EXPECT_EQ(seen.bankAgain, QStringLiteral("Normal User 1"));
    EXPECT_TRUE(seen.currentAgain.startsWith(QStringLiteral(" 11 Ba Round Bass"))) << qPrintable(seen.currentAgain);
    EXPECT_EQ(seen.stringsListed, strings);
    EXPECT_EQ(seen.stringsCurrent, strings.first());
    // The first strings voice of the first bank that has one.
    EXPECT_NE(seen.afterCategory, (std::array<int, 3>{63, 0, 10}));
    EXPECT_EQ(storedSearchMode(), 1);

    // The next list opens in category mode on the part's voice.
    QString category, current;
    openFromStrip(part, [&](QDialog* dialog) {
        category = child<QComboBox>(dialog, "BankComboBox")->currentText();
        auto* list = child<QListWidget>(dialog, "VoiceListBox");
        current = list->currentItem() ? list->currentItem()->text() : QString();
        child<QPushButton>(dialog, "CancelButton")->click();
    });
    EXPECT_EQ(category, QStringLiteral("Strings"));
    EXPECT_EQ(current, strings.first());
}

TEST_F(VoiceLists, APartOnABankThatIsNotListedOpensOnTheFirstVoiceOfTheFirstBankAndHearsIt)
{
    startHost();
    setSearchMode(0);
    constexpr int part = 5;
    setPartVoice(part, 5, 5, 9);
    QString bank;
    int row = -1;
    std::array<int, 3> playing{};
    openFromStrip(part, [&](QDialog* dialog) {
        bank = child<QComboBox>(dialog, "BankComboBox")->currentText();
        row = child<QListWidget>(dialog, "VoiceListBox")->currentRow();
        playing = partVoice(part);
        child<QPushButton>(dialog, "CancelButton")->click();
    });
    EXPECT_EQ(bank, QStringLiteral("Normal Preset 1"));
    EXPECT_EQ(row, 0);
    EXPECT_EQ(playing, (std::array<int, 3>{0, 0, 0}));
    // Cancel: the voice at opening, even one the list cannot show.
    EXPECT_EQ(partVoice(part), (std::array<int, 3>{5, 5, 9}));
}

namespace {

// The voice edit buffer as the editor keeps it: every block of the voice map.
std::vector<Bytes> voiceEditBuffer(IMemAPI* api)
{
    std::vector<Bytes> out;
    CPrmCtrl* map = dynamic_cast<TovarIMemAPI*>(api)->memory()->VoiceMap();
    for (int i = 0; map && i < map->EditorBlk().GetBlkCount(); ++i) {
        const BLK b = map->EditorBlk().GetBlkAt(i);
        out.push_back(b.curImage ? Bytes(b.curImage, b.curImage + b.memSize) : Bytes());
    }
    return out;
}

// What changes the voice being edited while the list is open: a parameter of its
// common block, of an element or of a drum key as its windows write them, or its name
// as the store dialog gives it.
struct EditMeanwhile
{
    const char* what;
    short element, channel, parameter;
    int before, during;
};

const EditMeanwhile kEditsMeanwhile[] = {
    {"voice volume", 0x40, 0x00, 0x0B, 77, 21},
    {"wave of element 2", 0x44, 0x01, 0x02, 123, 456},
    {"level of drum key 5", 0x4A, 0x05, 0x03, 33, 99},
    {"name", 0x40, 0x00, 0x00, 'Q', 'M'},
};

} // namespace

TEST_F(VoiceLists, CancelPutsBackTheVoiceEditBufferAsItWasWhateverChangedItWhileAuditioning)
{
    startHost();
    setSearchMode(0);
    constexpr int part = 1;
    setPartVoice(part, 0, 2, 7);
    const auto set = [&](const EditMeanwhile& e, int value) {
        m_api->MAPI_setIndParam(e.element, e.parameter, e.channel, value, m_api->MAPI_dirtyAllFlags(nullptr),
                                IMemAPI::PostSetDirtyFlags);
    };
    const auto get = [&](const EditMeanwhile& e) {
        return m_api->MAPI_getIndParam(e.element, e.parameter, e.channel, false, nullptr);
    };
    voiceData()->ObserveEditVoiceName();
    for (const EditMeanwhile& e : kEditsMeanwhile)
        set(e, e.before);
    ASSERT_EQ(voiceData()->getEditVoiceName().left(1), QStringLiteral("Q"));

    for (const bool ok : {false, true}) {
        for (const EditMeanwhile& e : kEditsMeanwhile) {
            SCOPED_TRACE(std::string(e.what) + (ok ? " then OK" : " then Cancel"));
            const std::vector<Bytes> atOpening = voiceEditBuffer(m_api);
            ASSERT_FALSE(atOpening.empty());
            const std::array<int, 3> voiceAtOpening = partVoice(part);
            std::array<int, 3> auditioned{};
            QString lastBank;
            QStringList lastBankVoices;
            openFromStrip(part, [&](QDialog* dialog) {
                auto* list = child<QListWidget>(dialog, "VoiceListBox");
                auto* bank = child<QComboBox>(dialog, "BankComboBox");
                for (int row : {3, 12, 40})
                    highlight(list, row);
                // Other banks, the board's second and a drum bank, are auditioned too.
                for (int b : {bank->count() - 1, 8}) {
                    bank->setCurrentIndex(b);
                    emit bank->activated(b);
                    if (b == bank->count() - 1) {
                        lastBank = bank->currentText();
                        lastBankVoices = texts(list);
                    }
                    highlight(list, 2);
                }
                auditioned = partVoice(part);
                if (std::string(e.what) == "name")
                    voiceData()->setEditVoiceName(QStringLiteral("Meanwhile"), 0);
                else
                    set(e, e.during);
                child<QPushButton>(dialog, ok ? "OKButton" : "CancelButton")->click();
            });
            EXPECT_NE(auditioned, voiceAtOpening);
            // The board bank lists the voices it has, none by number alone.
            EXPECT_EQ(lastBank, QStringLiteral("VTB-Sintra Board B"));
            EXPECT_EQ(lastBankVoices.size(), 64);
            EXPECT_TRUE(lastBankVoices.value(63).startsWith(QStringLiteral(" 64 "))) << qPrintable(lastBankVoices.value(63));
            if (ok) {
                EXPECT_EQ(get(e), e.during);
                EXPECT_NE(voiceEditBuffer(m_api), atOpening);
                // The next round starts from the value it had before.
                if (std::string(e.what) == "name")
                    voiceData()->setEditVoiceName(QStringLiteral("Q"), 0);
                set(e, e.before);
                setPartVoice(part, 0, 2, 7);
            } else {
                EXPECT_EQ(partVoice(part), voiceAtOpening);
                EXPECT_EQ(get(e), e.before);
                EXPECT_EQ(voiceEditBuffer(m_api), atOpening) << "the voice edit buffer is not as it was at opening";
            }
        }
    }
}
