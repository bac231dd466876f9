// Sending the voice edit buffer to the instrument: the instrument's edit buffer ends
// up holding the editor's voice again.
#include "CommandsSimRig.h"

#include <gtest/gtest.h>

using namespace CommandsTest;

namespace {

// The first editable bank of normal voices, or -1.
short firstNormalUserBank(ITovarVoiceData* data)
{
    for (short b = 0; b < 32; ++b)
        if (data->isBankEditable(b) && data->bankName(b).contains(QLatin1String("Norm")))
            return b;
    return -1;
}

} // namespace

TEST(EditBufferUpload, TheInstrumentsEditBufferGetsTheEditorsVoiceBack)
{
    SimRig rig;
    auto* data = dynamic_cast<ITovarVoiceData*>(rig.companion());
    ASSERT_NE(data, nullptr);
    const short user = firstNormalUserBank(data);
    ASSERT_GE(user, 0);
    ASSERT_TRUE(data->loadToEditBuffer(user, 2, false));
    data->ObserveEditVoiceName();
    data->setEditVoiceName(QStringLiteral("Upload Me"), 0);
    const Bytes name = {'U', 'p', 'l', 'o', 'a', 'd', ' ', 'M', 'e', 0x00};
    ASSERT_TRUE(rig.pumpUntil([&] {
        const Bytes record = rig.sim.image().editRecord();
        return record.size() >= name.size() && Bytes(record.begin(), record.begin() + 10) == name;
    }, 3000));
    const Bytes editor = rig.sim.image().editRecord();
    // The instrument's edit buffer changes behind the editor's back.
    rig.sim.editImage([&](NS_Simulator::SimMemoryImage& image) {
        Bytes record = image.editRecord();
        for (size_t i = 0; i < record.size(); i += 7)
            record[i] = uint8_t(record[i] ^ 0x01);
        ASSERT_TRUE(image.setEditVoice(image.editType(), record));
    });
    ASSERT_NE(rig.sim.image().editRecord(), editor);
    ASSERT_TRUE(rig.memory()->sendEditBufferBulk(rig.companion()));
    // Paced as the companion's send timer paces it: one message a step.
    int steps = 0;
    rig.api->MAPI_lock(true);
    while (rig.memory()->continueBulkSend() && steps < 1000)
        ++steps;
    rig.api->MAPI_lock(false);
    EXPECT_GT(steps, 0);
    EXPECT_TRUE(rig.pumpUntil([&] { return rig.sim.image().editRecord() == editor; }, 10000));
}

TEST(EditBufferUpload, RequestingTheEditBufferBringsTheInstrumentsVoiceNameIntoTheEditor)
{
    SimRig rig;
    auto* data = dynamic_cast<ITovarVoiceData*>(rig.companion());
    ASSERT_NE(data, nullptr);
    const short user = firstNormalUserBank(data);
    ASSERT_GE(user, 0);
    ASSERT_TRUE(data->loadToEditBuffer(user, 1, false));
    rig.pumpFor(50);
    const Bytes name = {'F', 'r', 'o', 'm', ' ', 'S', 'y', 'n', 't', 'h'};
    rig.sim.editImage([&](NS_Simulator::SimMemoryImage& image) {
        Bytes record = image.editRecord();
        ASSERT_GE(record.size(), name.size());
        std::copy(name.begin(), name.end(), record.begin());
        ASSERT_TRUE(image.setEditVoice(image.editType(), record));
    });
    const auto editorName = [&] {
        const Bytes common = rig.editorBlock(rig.voice(), {0x40, 0x00, 0x00});
        return common.size() >= name.size() ? Bytes(common.begin(), common.begin() + 10) : Bytes();
    };
    ASSERT_NE(editorName(), name);
    ASSERT_TRUE(rig.memory()->requestEditBuffBulk(rig.companion(), -1));
    EXPECT_TRUE(rig.pumpUntil([&] { return editorName() == name; }, 10000));
}
