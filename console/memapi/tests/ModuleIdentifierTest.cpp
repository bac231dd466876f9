// The identifiers the companion hands to the client services name each add-on the way
// the add-on reports itself: the save window, the compare windows and the voice library
// are opened, and the windows of another voice type closed, by the identifier as text.
#include "CommandsSimRig.h"
#include "genericeditor/interfaces/GenericEditorPluginInterface.h"
#include "memapi/IMemAPI.h"
#include "utilities/interfaces/IPlugInInstance.h"

#include <gtest/gtest.h>

using namespace CommandsTest;

namespace {

QUuid text(const char* spelling) { return QUuid(QLatin1String(spelling)); }

const QUuid kDialogs = text("{5421ca1a-fa5e-5441-8cf4-10a8b1b8720f}");
const QUuid kVoiceLibrary = text("{c9c182c9-7ddf-6e45-9147-e7b66a941757}");

short bankNamed(ITovarVoiceData* data, const char* word)
{
    for (short b = 0; b < 32; ++b)
        if (data->isBankEditable(b) && data->bankName(b).contains(QLatin1String(word)))
            return b;
    return -1;
}

} // namespace

// Module and interface identifiers written in this program, each against its text.
TEST(ModuleIdentifiers, EveryIdentifierReadsAsItsTextSpellingBothWays)
{
    const struct
    {
        const char* name;
        Y_GUID guid;
        const char* spelling;
    } table[] = {
        {"dialogs", DialogsModule::guid, "{5421ca1a-fa5e-5441-8cf4-10a8b1b8720f}"},
        {"voice library", VoiceLibraryModule::guid, "{c9c182c9-7ddf-6e45-9147-e7b66a941757}"},
        {"drum key", DrumKeyModule::guid, "{7badd3e3-ea79-dc49-8d0f-5ea17650c19c}"},
        {"normal element", NormalElementModule::guid, "{bbdef22f-adc7-fb4f-badc-c349ec4078a9}"},
        {"detail dialogs", DetailDialogsModule::guid, "{80dc38cd-6e83-4446-93c8-61fc10c5f9c0}"},
        {"LFO", LFOModule::guid, "{4dae9f6e-ee0c-e741-9dae-eb76550b2aa6}"},
        {"mixer add-on", NS_AddOnIds::LayerAddOn, "{17cd5afa-0e92-8543-b8a7-2aebee9fdd63}"},
        {"common detail add-on", NS_AddOnIds::CommonDetailAddOn, "{f2bc2d80-c162-744f-b324-3ad8e1df4a00}"},
        {"part detail add-on", NS_AddOnIds::PartDetailAddOn, "{0b2621dc-3d30-3c4b-b6fe-3fd92456225f}"},
        {"dialogs add-on", NS_AddOnIds::DialogsAddOn, "{5421ca1a-fa5e-5441-8cf4-10a8b1b8720f}"},
        {"memory-API interface", NS_MemAPI::iidIMemAPI(), "{276d36c7-a738-442a-a2e4-a54d6c41e304}"},
        {"plug-in instance interface", IID_IPlugInInstance, "{814b47e3-f1bf-4f0b-bfa4-2f52c04383b7}"},
        {"IUnknown", NS_HostIds::IID_IUnknown, "{00000000-0000-0000-c000-000000000046}"},
    };
    for (const auto& row : table) {
        EXPECT_EQ(Guid2QUuid(row.guid).toString(), QLatin1String(row.spelling)) << row.name;
        EXPECT_EQ(QUuid2Guid(text(row.spelling)), row.guid) << row.name;
    }
}

TEST(ModuleIdentifiers, CommandsNameTheDialogsAddOnAndTheVoiceLibraryByTheirOwnIdentifiers)
{
    SimRig rig;
    ITovarVoiceData* data = dynamic_cast<ITovarVoiceData*>(rig.companion());
    ASSERT_NE(data, nullptr);
    const QUuid addOn = Guid2QUuid(NS_AddOnIds::DialogsAddOn);
    ASSERT_EQ(addOn, kDialogs);

    // The save window after the save-changes prompt.
    rig.companion()->setDocDirty(true);
    rig.prompter.answer = NS_Utilities::IDocuPrompter::Yes;
    rig.companion()->fileNew();
    ASSERT_FALSE(rig.services.opened.isEmpty());
    EXPECT_EQ(rig.services.opened.last(), qMakePair(addOn, 15));

    // The voice library beside a loaded edit buffer, then the two compare windows.
    const short user = bankNamed(data, "Norm");
    ASSERT_GE(user, 0);
    ASSERT_TRUE(data->loadToEditBuffer(user, 1, true));
    EXPECT_EQ(rig.services.opened.last(), qMakePair(kVoiceLibrary, 3));
    data->setCompareMode(true);
    EXPECT_EQ(rig.services.opened.last(), qMakePair(addOn, 36));
    data->setCompareMode(false);
    EXPECT_EQ(rig.services.opened.last(), qMakePair(addOn, 34));
}

TEST(ModuleIdentifiers, VoiceOfAnotherTypeClosesTheWindowsOpenUnderTheTextIdentifiers)
{
    SimRig rig;
    ITovarVoiceData* data = dynamic_cast<ITovarVoiceData*>(rig.companion());
    ASSERT_NE(data, nullptr);
    const short normal = bankNamed(data, "Norm");
    const short drum = bankNamed(data, "Drum");
    ASSERT_GE(normal, 0);
    ASSERT_GE(drum, 0);
    // One open window per module, recorded under the identifier its add-on reports.
    const struct
    {
        const char* spelling;
        int index;
    } windows[] = {
        {"{bbdef22f-adc7-fb4f-badc-c349ec4078a9}", 4},
        {"{80dc38cd-6e83-4446-93c8-61fc10c5f9c0}", 35},
        {"{7badd3e3-ea79-dc49-8d0f-5ea17650c19c}", 1},
        {"{4dae9f6e-ee0c-e741-9dae-eb76550b2aa6}", 2},
    };
    std::vector<std::unique_ptr<QWidget>> widgets;
    for (const auto& w : windows) {
        widgets.push_back(std::make_unique<QWidget>());
        rig.services.open.append({text(w.spelling), {w.index, widgets.back().get()}});
    }
    ASSERT_TRUE(data->loadToEditBuffer(normal, 0, false));
    EXPECT_TRUE(rig.services.closed.isEmpty());
    ASSERT_TRUE(data->loadToEditBuffer(drum, 0, false));
    ASSERT_EQ(rig.services.closed.size(), int(widgets.size()));
    for (const auto& w : widgets)
        EXPECT_TRUE(rig.services.closed.contains(w.get()));
}
