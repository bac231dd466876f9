// The value selectors in the component against the simulated instrument: the arpeggio
// type list opened from the common detail page's type label (and the arpeggio-switch
// and audition-phrase lists by their ids), the wave lists of a drum key and of a normal
// element. Each lists its values by name, writes every highlight at once, keeps it on
// OK and writes the value at opening on Cancel.
#include "VoiceDialogsRig.h"
#include "widgets/CHotspotLabel_VANTREL_KXE.h"

using namespace DialogsTest;

namespace {

// The arpeggio type of the multi, 36 00 14-15 (hi x 80 + lo).
const QString kArpType = QStringLiteral("00kCommon/kCommARPType");
const Bytes kArpTypeAt{0x36, 0x00, 0x14};

Bytes fourteenBits(int value)
{
    return Bytes{uint8_t(value >> 7 & 0x7F), uint8_t(value & 0x7F)};
}

class SelectDialogs : public VoiceDialogsRig
{
protected:
    // The arpeggio type's label on the common detail page: its hot spot opens the list.
    CHotspotLabel_VANTREL_KXE* arpTypeLabel()
    {
        QWidget* window = nullptr;
        m_server->CS_openEditor(Guid2QUuid(NS_AddOnIds::CommonDetailAddOn), 1, &window, nullptr, true);
        const auto labels = window ? window->findChildren<CHotspotLabel_VANTREL_KXE*>()
                                   : QList<CHotspotLabel_VANTREL_KXE*>();
        return labels.size() == 1 ? labels.first() : nullptr;
    }
};

// One run of an arpeggio list.
struct ArpCase
{
    const char* name;
    int id;            // 0: from the common detail page
    const char* address;
    int opening;       // the value when the list opens
    int count;         // entries listed
    const char* first; // the first entry
    int current;       // the current entry at opening
    int written;       // the value after opening
    int highlight;     // entry of the arpeggio type highlighted, -1 none
    int bank;          // a list chosen by its bank number, -1 none
    bool ok;
    int final;         // the value after the dialog
};

void PrintTo(const ArpCase& c, std::ostream* out)
{
    *out << c.name;
}

class ArpLists : public SelectDialogs, public ::testing::WithParamInterface<ArpCase>
{
};

const ArpCase kArpCases[] = {
    // A preset type: the 1787 preset names; a highlight is heard; Cancel restores.
    {"FromTheDetailPage", 0, "00kCommon/kCommARPType", 0, 1787, "Tovik Run", 0, 0, 3, -1, false, 0},
    {"PresetKeptOnOk", 10, "00kCommon/kCommARPType", 1500, 1787, "Tovik Run", 1500, 1500, 40, -1, true, 40},
    // A user type: 256 entries numbered from 1.
    {"UserType", 10, "00kCommon/kCommARPType", 8200, 256, "User 1", 8, 8200, -1, -1, true, 8200},
    // "No Type" alone, and chosen as a list of its own: 16383 is written.
    {"NoType", 10, "00kCommon/kCommARPType", 16383, 1, "No Type", 0, 16383, -1, -1, true, 16383},
    {"NoTypeChosen", 10, "00kCommon/kCommARPType", 5, 1, "No Type", 0, 5, -1, 2, true, 16383},
    {"UserListChosen", 10, "00kCommon/kCommARPType", 5, 256, "User 1", 0, 5, -1, 1, false, 5},
    // A value in no list shows the first preset and writes it.
    {"OutsideEveryList", 46, "00kCommon/kCommARPSF1Type", 5000, 1787, "Tovik Run", 0, 0, -1, -1, true, 0},
    {"PresetListChosen", 50, "00kCommon/kCommARPSF5Type", 16383, 1787, "Tovik Run", 0, 16383, -1, 0, false, 16383},
};

} // namespace

TEST_P(ArpLists, ListTheTypesByNameWriteEachHighlightAndEndWithOkOrCancel)
{
    const ArpCase c = GetParam();
    startHost();
    const QString name = QLatin1String(c.address);
    setParam(name, 0, c.opening);
    ASSERT_EQ(param(name, 0), c.opening);
    struct Seen
    {
        QString caption, first, current;
        int count = -1, written = -1, afterHighlight = -1, afterBank = -1, bankCount = -1;
        QString bankFirst;
        bool heard = true;
    } seen;
    const auto drive = [&](QDialog* dialog) {
        auto* list = child<QListWidget>(dialog, "ArpListBox");
        seen.caption = dialog->windowTitle();
        seen.count = list->count();
        seen.first = list->count() ? list->item(0)->text() : QString();
        seen.current = list->currentItem() ? list->currentItem()->text() : QString();
        seen.written = param(name, 0);
        if (c.highlight >= 0) {
            instrument().clearLogs();
            highlight(list, c.highlight);
            seen.afterHighlight = param(name, 0);
            seen.heard = received(kArpTypeAt, fourteenBits(c.highlight));
        }
        if (c.bank >= 0) {
            QMetaObject::invokeMethod(dialog, "selectBank", Q_ARG(int, c.bank));
            seen.bankCount = list->count();
            seen.bankFirst = list->count() ? list->item(0)->text() : QString();
            seen.afterBank = param(name, 0);
        }
        child<QPushButton>(dialog, c.ok ? "OKButton" : "CancelButton")->click();
    };
    if (c.id == 0) {
        CHotspotLabel_VANTREL_KXE* label = arpTypeLabel();
        ASSERT_NE(label, nullptr);
        runModal([&] { QTest::mousePress(label, Qt::LeftButton, {}, label->hotSpot().center()); }, drive);
    } else {
        openDialog(c.id, drive);
    }
    EXPECT_TRUE(m_lastDialogRan);
    EXPECT_TRUE(m_lastDialogDeleted);
    EXPECT_EQ(seen.caption, QStringLiteral("Arp Select Dialog"));
    if (c.bank < 0) {
        EXPECT_EQ(seen.count, c.count);
        EXPECT_EQ(seen.first, QLatin1String(c.first));
    } else {
        EXPECT_EQ(seen.bankCount, c.count);
        EXPECT_EQ(seen.bankFirst, QLatin1String(c.first));
        EXPECT_EQ(seen.afterBank, c.bank == 2 ? 16383 : c.bank == 1 ? 8192 : 0);
    }
    if (c.opening == 8200)
        EXPECT_EQ(seen.current, QStringLiteral("User 9"));
    EXPECT_EQ(seen.written, c.written);
    if (c.highlight >= 0) {
        EXPECT_EQ(seen.afterHighlight, c.highlight);
        EXPECT_TRUE(seen.heard);
    }
    EXPECT_EQ(param(name, 0), c.final);
}

INSTANTIATE_TEST_SUITE_P(, ArpLists, ::testing::ValuesIn(kArpCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(SelectDialogs, AuditionPhraseListTakesItsRangeFromTheMemoryAndCancelRestores)
{
    startHost();
    const QString phrase = QStringLiteral("00kNormalAudition/kNrmAudPhraseNumber");
    setParam(phrase, 0, 4);
    QString caption, first, last, current;
    int count = -1, highlighted = -1;
    openDialog(39, [&](QDialog* dialog) {
        auto* list = child<QListWidget>(dialog, "ArpListBox");
        caption = dialog->windowTitle();
        count = list->count();
        first = list->item(0)->text();
        last = list->item(list->count() - 1)->text();
        current = list->currentItem()->text();
        highlight(list, 7);
        highlighted = param(phrase, 0);
        child<QPushButton>(dialog, "CancelButton")->click();
    });
    EXPECT_EQ(caption, QStringLiteral("Audition Phrase List"));
    EXPECT_EQ(count, 100);
    EXPECT_EQ(first, QStringLiteral("Tovik Groove"));
    EXPECT_FALSE(last.isEmpty());
    QString name4;
    QPixmap picture;
    const auto a = address(phrase);
    m_api->MAPI_getDisplayStringForValue(0, 0, &name4, &picture, 4, 0, a.element, a.parameter);
    EXPECT_EQ(current, name4);
    EXPECT_EQ(highlighted, 7);
    EXPECT_EQ(param(phrase, 0), 4);
}

// One run of a wave list.
struct WaveCase
{
    const char* name;
    int id;
    int channel; // the drum key or element channel written
    bool ok;
};

void PrintTo(const WaveCase& c, std::ostream* out)
{
    *out << c.name;
}

class WaveLists : public SelectDialogs, public ::testing::WithParamInterface<WaveCase>
{
};

TEST_P(WaveLists, ListTheWavesByNameOnTheirChannelAndWriteTheWaveShown)
{
    const WaveCase c = GetParam();
    startHost();
    const bool drumKey = c.id == 38;
    const QString wave = drumKey ? QStringLiteral("FEkDrumKey/kDrmKeyWaveNumber")
                                 : QStringLiteral("FEkNormalElement/kNrmElmWaveNumber");
    if (drumKey) {
        voiceData()->setCurrDrumKeyChannel(c.channel);
        // The instrument applies a drum key's parameters while it edits a drum voice.
        instrument().editImage([](NS_Simulator::SimMemoryImage& image) {
            image.selectEditType(NS_Simulator::VoiceType::Drum);
        });
    }
    setParam(wave, c.channel, 30);
    ASSERT_EQ(param(wave, c.channel), 30);
    const auto at = address(wave);
    const Bytes waveAt{uint8_t(at.element), uint8_t(c.channel), uint8_t(at.parameter)};
    struct Seen
    {
        QString caption, first, current;
        int count = -1, highlighted = -1, otherKey = -1, second = -1;
        bool heard = false;
    } seen;
    openDialog(c.id, [&](QDialog* dialog) {
        auto* list = child<QListWidget>(dialog, "WaveListBox");
        seen.caption = dialog->windowTitle();
        seen.count = list->count();
        seen.first = list->item(0)->text();
        seen.current = list->currentItem()->text();
        instrument().clearLogs();
        highlight(list, 12);
        seen.highlighted = param(wave, c.channel);
        seen.heard = received(waveAt, fourteenBits(12));

        // Another drum key made current meanwhile: the list keeps the key it opened on.
        if (drumKey)
            voiceData()->setCurrDrumKeyChannel(c.channel + 4);
        highlight(list, 13);
        seen.second = param(wave, c.channel);
        seen.otherKey = param(wave, c.channel + 4);
        child<QPushButton>(dialog, c.ok ? "OKButton" : "CancelButton")->click();
    });
    EXPECT_TRUE(m_lastDialogDeleted);
    EXPECT_EQ(seen.caption, QStringLiteral("Wave Select"));
    EXPECT_EQ(seen.count, 600);
    EXPECT_EQ(seen.first, QStringLiteral("Tovik Piano"));
    QString name30;
    QPixmap picture;
    m_api->MAPI_getDisplayStringForValue(short(c.channel), 0, &name30, &picture, 30, 0, at.element, at.parameter);
    EXPECT_EQ(seen.current, name30);
    EXPECT_EQ(seen.highlighted, 12);
    EXPECT_TRUE(seen.heard) << "the wave did not reach the instrument";
    EXPECT_EQ(seen.second, 13);
    EXPECT_NE(seen.otherKey, 13);
    EXPECT_EQ(param(wave, c.channel), c.ok ? 13 : 30);
}

INSTANTIATE_TEST_SUITE_P(, WaveLists,
                         ::testing::Values(WaveCase{"DrumKeyOk", 38, 5, true}, WaveCase{"DrumKeyCancel", 38, 20, false},
                                           WaveCase{"Element1", 42, 0, true}, WaveCase{"Element3Cancel", 44, 2, false}),
                         [](const auto& info) { return std::string(info.param.name); });
