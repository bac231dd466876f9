// The copy the synth memory keeps while voices are auditioned: taken, it brings back
// the voice edit buffer and the parts as they were; dropped, or never taken, it
// brings back nothing.
#include "MemApiTestSupport.h"
#include "console/model/PrmCtrl.h"

#include <gtest/gtest.h>
#include <memory>

namespace {

struct CopyCase
{
    const char* name;
    bool take;     // getVoiceParameterData before the change
    bool drop;     // deleteVoiceParameterData after it
    bool restored; // what reset then gives back
};

void PrintTo(const CopyCase& c, std::ostream* out)
{
    *out << c.name;
}

class VoiceParameterCopy : public ::testing::TestWithParam<CopyCase>
{
protected:
    void SetUp() override
    {
        (void)StartupFailures::installed;
        memory = std::make_unique<CSynthMemory>(nullptr, shippedMultiTemplate(), shippedVoiceTemplate());
        ASSERT_TRUE(memory->MultiMap() && memory->VoiceMap());
    }
    std::unique_ptr<CSynthMemory> memory;
};

// Element, channel, parameter and two values of parameters a user changes while the
// list is open: of the voice edit buffer (common, element, drum key) and of a part.
struct Param
{
    int element, channel, parameter, before, after;
};
const Param kParams[] = {
    {0x40, 0x00, 0x0B, 70, 20},
    {0x40, 0x00, 0x03, 'k', 'z'},
    {0x44, 0x02, 0x02, 300, 17},
    {0x4A, 0x10, 0x04, 10, 90},
    {0x37, 0x04, 0x0D, 50, 110},
};

} // namespace

TEST_P(VoiceParameterCopy, ResetGivesBackWhatTheCopyHolds)
{
    const CopyCase c = GetParam();
    for (const Param& p : kParams)
        ASSERT_TRUE(memory->SetIndParamAndDirty(p.element, p.channel, p.parameter, p.before, 0));
    if (c.take)
        memory->getVoiceParameterData();
    for (const Param& p : kParams)
        ASSERT_TRUE(memory->SetIndParamAndDirty(p.element, p.channel, p.parameter, p.after, 0));
    if (c.drop)
        memory->deleteVoiceParameterData();
    memory->resetVoiceParameterData();
    for (const Param& p : kParams) {
        SCOPED_TRACE(p.element);
        EXPECT_EQ(memory->GetIndParam(p.element, p.channel, p.parameter), c.restored ? p.before : p.after);
    }
    // The copy is gone after a reset: a second one changes nothing.
    for (const Param& p : kParams)
        ASSERT_TRUE(memory->SetIndParamAndDirty(p.element, p.channel, p.parameter, p.after, 0));
    memory->resetVoiceParameterData();
    for (const Param& p : kParams)
        EXPECT_EQ(memory->GetIndParam(p.element, p.channel, p.parameter), p.after);
}

INSTANTIATE_TEST_SUITE_P(, VoiceParameterCopy,
                         ::testing::Values(CopyCase{"Taken", true, false, true},
                                           CopyCase{"TakenAndDropped", true, true, false},
                                           CopyCase{"NeverTaken", false, false, false}),
                         [](const auto& info) { return std::string(info.param.name); });

// A copy taken from the maps of an earlier start-up is not written into the new ones.
TEST(VoiceParameterCopyStartUp, ACopyDoesNotOutliveTheMapsItWasTakenFrom)
{
    (void)StartupFailures::installed;
    CSynthMemory memory(nullptr, shippedMultiTemplate(), shippedVoiceTemplate());
    ASSERT_TRUE(memory.SetIndParamAndDirty(0x40, 0, 0x0B, 70, 0));
    memory.getVoiceParameterData();
    memory.InitDefaultSettings();
    ASSERT_TRUE(memory.VoiceMap());
    ASSERT_TRUE(memory.SetIndParamAndDirty(0x40, 0, 0x0B, 20, 0));
    memory.resetVoiceParameterData();
    EXPECT_EQ(memory.GetIndParam(0x40, 0, 0x0B), 20);
}
