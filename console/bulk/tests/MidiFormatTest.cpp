#include "console/bulk/MidiFormat.h"

#include <gtest/gtest.h>

namespace {

MIDI_FRMT sysex()
{
    MIDI_FRMT f;
    const unsigned char h[4] = {0xF0, 0x43, 0x00, 0x5C};
    std::copy(h, h + 4, f.header);
    f.headerLen = 4;
    f.device_num_pos = 2;
    f.byte_count_pos = 4;
    f.adrs_pos = 6;
    f.checksumStart = 4;
    f.adrsLen = 3;
    return f;
}

} // namespace

TEST(MidiFormat, ValidatesEveryPositionOfALayout)
{
    QString why;
    EXPECT_TRUE(CMidiFormat::ValidateLayout(sysex(), &why)) << why.toStdString();
    MIDI_FRMT f = sysex();
    f.byte_count_pos = kNoPos;  // bytes 4 and 5 would stay unwritten
    EXPECT_FALSE(CMidiFormat::ValidateLayout(f, &why));
    f = sysex();
    f.data_pos = 40;  // the status byte would land past the message
    EXPECT_FALSE(CMidiFormat::ValidateLayout(f, &why));
    f = sysex();
    f.byte_count_pos = 5;  // the count's second byte would overwrite the address
    EXPECT_FALSE(CMidiFormat::ValidateLayout(f, &why));
    f = sysex();
    f.midi_type = 7;
    EXPECT_FALSE(CMidiFormat::ValidateLayout(f, &why));

    MIDI_FRMT pc;
    pc.midi_type = 3;
    pc.header[0] = 0xC0;
    pc.headerLen = 1;
    pc.adrs_pos = 1;
    pc.adrsLen = 1;
    EXPECT_TRUE(CMidiFormat::ValidateLayout(pc, &why)) << why.toStdString();
    pc.data_pos = 9;
    EXPECT_FALSE(CMidiFormat::ValidateLayout(pc, &why));
    pc.data_pos = 0;
    pc.header[0] = 0x40;
    EXPECT_FALSE(CMidiFormat::ValidateLayout(pc, &why));
}

TEST(MidiFormat, UnknownCategoriesHaveNoAddress)
{
    CMidiFormat f;
    EXPECT_FALSE(f.MakeList(QStringLiteral("/nonexistent/template.tpm")));
    EXPECT_EQ(f.GetAdrLen(0), 0);
    EXPECT_EQ(f.GetMidiTypeInfo(3), 0u);
    EXPECT_EQ(f.Layout(0, 0), nullptr);
    EXPECT_TRUE(f.ErrorText().contains(QStringLiteral("/nonexistent/template.tpm")));
}
