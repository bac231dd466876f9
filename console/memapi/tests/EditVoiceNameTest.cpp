// The name the editor gives the voice in its edit buffer, as the store dialog gives it:
// the characters, then 00 to the tenth byte, every byte inside the name parameters'
// range, the same in the edit buffer, on the instrument and in the voice it is stored
// into; names the instrument sends keep their blanks.
#include "CommandsSimRig.h"
#include "console/model/VceMem.h"

#include <QSignalSpy>
#include <gtest/gtest.h>

using namespace CommandsTest;

namespace {

constexpr short kNameElement = 0x40;
constexpr int kNameLength = 10;

short bankNamed(ITovarVoiceData* data, const char* word)
{
    for (short b = 0; b < 32; ++b)
        if (data->isBankEditable(b) && data->bankName(b).contains(QLatin1String(word)))
            return b;
    return -1;
}

// The ten name bytes of a voice record or of the edit buffer's common block.
Bytes nameBytes(const Bytes& record)
{
    return record.size() >= size_t(kNameLength) ? Bytes(record.begin(), record.begin() + kNameLength) : Bytes();
}

Bytes padded(const char* text, uint8_t pad)
{
    Bytes out(kNameLength, pad);
    for (int i = 0; i < kNameLength && text[i]; ++i)
        out[size_t(i)] = uint8_t(text[i]);
    return out;
}

struct NameCase
{
    const char* test;
    const char* typed;
    const char* bytes; // the characters kept; 00 after them
    const char* read;  // the name read back
};

void PrintTo(const NameCase& c, std::ostream* out)
{
    *out << c.test;
}

const NameCase kNames[] = {
    {"Short", "Frost", "Frost", "Frost"},
    {"OneLetter", "A", "A", "A"},
    {"TenLetters", "Ten Chars!", "Ten Chars!", "Ten Chars!"},
    {"CutAtTen", "Longer Name!", "Longer Nam", "Longer Nam"},
    {"TrailingBlanks", "Two  ", "Two  ", "Two"},
    {"Untitled", "Untitled", "Untitled", "Untitled"},
};

class EditVoiceNames : public ::testing::TestWithParam<NameCase>
{
protected:
    void SetUp() override
    {
        data = dynamic_cast<ITovarVoiceData*>(rig.companion());
        ASSERT_NE(data, nullptr);
        user = bankNamed(data, "Norm");
        ASSERT_GE(user, 0);
    }
    Bytes editBufferName() { return nameBytes(rig.editorBlock(rig.voice(), {kNameElement, 0x00, 0x00})); }
    SimRig rig;
    ITovarVoiceData* data = nullptr;
    short user = -1;
};

} // namespace

TEST_P(EditVoiceNames, TheNameEndsWith00InsideTheRangeInTheEditBufferTheInstrumentAndTheStoredVoice)
{
    const NameCase c = GetParam();
    const Bytes expected = padded(c.bytes, 0x00);
    ASSERT_TRUE(data->loadToEditBuffer(user, 0, false));
    data->ObserveEditVoiceName();
    data->setEditVoiceName(QString::fromLatin1(c.typed), 0);

    EXPECT_EQ(editBufferName(), expected);
    EXPECT_EQ(data->getEditVoiceName(), QLatin1String(c.read));
    // Every byte written is one the parameter takes.
    IMemAPI* api = rig.api.api;
    for (int i = 0; i < kNameLength; ++i) {
        SCOPED_TRACE(i);
        const int low = api->MAPI_getIndParamMin(kNameElement, short(i), 0, nullptr);
        const int high = api->MAPI_getIndParamMax(kNameElement, short(i), 0, nullptr);
        EXPECT_LE(low, expected[size_t(i)]);
        EXPECT_GE(high, expected[size_t(i)]);
        EXPECT_EQ(api->MAPI_getIndParam(kNameElement, short(i), 0, false, nullptr), expected[size_t(i)]);
    }
    // The instrument's edit buffer holds the same bytes.
    EXPECT_TRUE(rig.pumpUntil([&] { return nameBytes(rig.sim.image().editRecord()) == expected; }, 3000))
        << std::string(c.typed);
    // Stored into a user voice, the name is the same and reads the same.
    ASSERT_TRUE(data->storeEditBuffer(user, 7));
    EXPECT_EQ(nameBytes(rig.storedVoice(user, 7)), expected);
    QString category;
    EXPECT_EQ(data->voiceNameCategory(user, 7, category), QLatin1String(c.read));
}

INSTANTIATE_TEST_SUITE_P(, EditVoiceNames, ::testing::ValuesIn(kNames),
                         [](const auto& info) { return std::string(info.param.test); });

TEST_F(EditVoiceNames, ANameTheInstrumentSendsKeepsItsBlanksUntilTheEditorNamesTheVoice)
{
    // Normal User 1 (framing byte 00, receive type 0): voice 3 named with blanks.
    rig.sim.editImage([&](NS_Simulator::SimMemoryImage& image) {
        Bytes record = image.defaultRecord(NS_Simulator::VoiceType::Normal);
        const Bytes name = padded("Deep Sub", ' ');
        std::copy(name.begin(), name.end(), record.begin());
        image.setVoice(0x00, 3, record);
    });
    QSignalSpy progress(rig.companion(), &TovarIMemAPIQObject_VANTREL_KXE::bulkProgressChanged);
    rig.companion()->requestUserVoiceBulk(0);
    ASSERT_TRUE(rig.pumpUntil(
        [&] {
            for (const auto& report : progress)
                if (report.at(0).toInt() >= 100)
                    return true;
            return false;
        },
        15000));
    rig.pumpUntil([&] { return rig.companion()->isDocDirty(); }, 3000);
    const Bytes blanks = padded("Deep Sub", ' ');
    EXPECT_EQ(nameBytes(rig.storedVoice(user, 3)), blanks);
    QString category;
    EXPECT_EQ(data->voiceNameCategory(user, 3, category), QStringLiteral("Deep Sub"));

    ASSERT_TRUE(data->loadToEditBuffer(user, 3, false));
    data->ObserveEditVoiceName();
    EXPECT_EQ(editBufferName(), blanks);
    EXPECT_EQ(data->getEditVoiceName(), QStringLiteral("Deep Sub"));
    // Named by the editor, the same name ends with 00.
    data->setEditVoiceName(QStringLiteral("Deep Sub"), 0);
    EXPECT_EQ(editBufferName(), padded("Deep Sub", 0x00));
    EXPECT_EQ(data->getEditVoiceName(), QStringLiteral("Deep Sub"));
}
