// The dialogs add-on library as the component meets it: the one export, a counted
// add-on object per factory call, and the editor table of its 50 ids (names, menu
// paths, positions, menu and command ids, accelerators and flags), which the
// component turns into the File, Setup and Help menus.
#include "genericeditor/interfaces/GenericEditorPluginInterface.h"
#include <QKeySequence>
#include <QLibrary>
#include <QProcess>
#include <QStandardPaths>
#include <gtest/gtest.h>
#include <QWidget>
#include <memory>

namespace {

const QString kLibrary = QStringLiteral(VANTREL_ADDON_DIR "/libvantrel_kxe21_editor_dialogs_addon.so");

TAddOnFactoryFunction dialogsFactory()
{
    QLibrary loader(kLibrary);
    if (!loader.load())
        return nullptr;
    return reinterpret_cast<TAddOnFactoryFunction>(loader.resolve(kAddOnFactoryName));
}

// One add-on object for a test, released at the end.
struct AddOn
{
    AddOn() : object(dialogsFactory() ? dialogsFactory()() : nullptr) {}
    ~AddOn()
    {
        if (object)
            object->Release();
    }
    IGenericEditorPluginInterface* object;
};

struct Row
{
    int id;
    const char* name;      // null: none
    const char* menuPath;  // null: none
    int menuPosition;
    int menuId;
    int entryPosition;
    int commandId;
    const char* accelerator; // null: none; "": an empty key sequence
    int flags;
};

const Row kRows[] = {
    {1, "Manual", "&Help[/]&Manual...", 100, 1050, 0, 1150, "F1", 0x09},
    {2, "About", "&Help[/]&About...", 100, 1050, 1, 1151, "", 0x0B},
    {3, "ReceiveVoice", "&Setup[/]Receive Voice Bulk", 2, 1020, 4, 1111, "", 0x09},
    {4, "Receive Multi", "&Setup[/]Receive Multi Bulk", 2, 1020, 2, 1109, "Ctrl+R", 0x09},
    {5, "Setup", "&Setup[/]Set&up...", 2, 1020, 0, 1107, "", 0x09},
    {6, "TransmitVoice", "&Setup[/]Transmit Voice Bulk...", 2, 1020, 3, 1110, "", 0x09},
    {7, "Transmit Multi", "&Setup[/]Transmit Multi Bulk", 2, 1020, 1, 1108, "Ctrl+T", 0x09},
    {8, "Voice List", nullptr, 2100, -1, 2100, -1, nullptr, 0x09},
    {9, "Receive Preset Voices", nullptr, 2100, -1, 2100, -1, nullptr, 0x09},
    {10, "Arp Select", nullptr, 2100, -1, 2100, -1, nullptr, 0x09},
    {11, "Toolbar", nullptr, 2100, -1, 2100, -1, nullptr, 0x01},
    {12, "New", "&File[/]&New", 1, 1040, 1, 1113, "Ctrl+N", 0x09},
    {13, "Open", "&File[/]&Open...", 1, 1040, 2, 1114, "Ctrl+O", 0x09},
    {14, "Import", "&File[/]&Import Voice...", 1, 1040, 3, 1115, "Ctrl+I", 0x09},
    {15, "Save", "&File[/]&Save", 1, 1040, 4, 1116, "Ctrl+S", 0x09},
    {16, "Close", nullptr, 2100, -1, 100, -1, nullptr, 0x1B},
    {17, "Part Voice", nullptr, 2100, -1, 2100, -1, "", 0x09},
    {32, "Part Voice", nullptr, 2100, -1, 2100, -1, "", 0x09},
    {33, "SaveAs", "&File[/]Save &As...", 1, 1040, 5, 1117, "", 0x19},
    {34, nullptr, nullptr, 2100, -1, 2100, -1, nullptr, 0x09},
    {37, nullptr, nullptr, 2100, -1, 2100, -1, nullptr, 0x09},
    {38, "Wave Select", nullptr, 2100, -1, 2100, -1, nullptr, 0x09},
    {39, "Phrase Select", nullptr, 2100, -1, 2100, -1, nullptr, 0x09},
    {41, "Phrase Select", nullptr, 2100, -1, 2100, -1, nullptr, 0x09},
    {42, "Wave Select", nullptr, 2100, -1, 2100, -1, nullptr, 0x09},
    {45, "Wave Select", nullptr, 2100, -1, 2100, -1, nullptr, 0x09},
    {46, nullptr, nullptr, 2100, -1, 2100, -1, nullptr, 0x09},
    {50, nullptr, nullptr, 2100, -1, 2100, -1, nullptr, 0x09},
    {0, nullptr, nullptr, 2100, -1, 2100, -1, nullptr, 0x09},
    {51, nullptr, nullptr, 2100, -1, 2100, -1, nullptr, 0x09},
    {-3, nullptr, nullptr, 2100, -1, 2100, -1, nullptr, 0x09},
};

} // namespace

TEST(DialogsAddOnLibrary, ExportsOnlyTheFactoryAndCountsEachObjectByItself)
{
    const QString nm = QStandardPaths::findExecutable(QStringLiteral("nm"));
    if (!nm.isEmpty()) {
        QProcess process;
        process.start(nm, {QStringLiteral("-D"), QStringLiteral("--defined-only"), kLibrary});
        ASSERT_TRUE(process.waitForFinished(30000));
        QStringList functions;
        for (const QByteArray& line : process.readAllStandardOutput().split('\n')) {
            const QList<QByteArray> fields = line.simplified().split(' ');
            if (fields.size() == 3 && fields[1] == "T")
                functions << QString::fromLatin1(fields[2]);
        }
        EXPECT_EQ(functions, QStringList{QString::fromLatin1(kAddOnFactoryName)});
    }

    TAddOnFactoryFunction factory = dialogsFactory();
    ASSERT_NE(factory, nullptr);
    IGenericEditorPluginInterface* first = factory();
    IGenericEditorPluginInterface* second = factory();
    ASSERT_TRUE(first && second);
    EXPECT_NE(first, second);
    void* out = nullptr;
    EXPECT_EQ(first->QueryInterface(NS_HostIds::IID_IGenericEditorPluginInterface, &out), 0);
    EXPECT_EQ(out, first);
    const Y_GUID other = MPGuidFromText(0x00000109, 0x0000, 0x0000, 0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46);
    EXPECT_EQ(first->QueryInterface(other, &out), NS_MPStatus::noInterface);
    EXPECT_EQ(out, nullptr);
    EXPECT_EQ(first->Release(), 1u);
    EXPECT_EQ(second->Release(), 0u);
    EXPECT_EQ(first->Release(), 0u);
}

TEST(DialogsAddOnLibrary, DescribesEveryEditorIdAsTheMenusExpect)
{
    AddOn addOn;
    ASSERT_NE(addOn.object, nullptr);
    int32_t status = -1;
    EXPECT_EQ(addOn.object->GP_editorCount(&status), 50);
    EXPECT_EQ(status, 0);
    const QUuid module = Guid2QUuid(NS_AddOnIds::DialogsAddOn);
    for (const Row& row : kRows) {
        SCOPED_TRACE(row.id);
        status = -1;
        TGP_Information* info = addOn.object->GP_inforamtion(row.id, &status);
        ASSERT_NE(info, nullptr);
        EXPECT_EQ(status, 0);
        EXPECT_EQ(info->moduleId, module);
        EXPECT_EQ(info->name ? *info->name : QString(), row.name ? QString::fromLatin1(row.name) : QString());
        EXPECT_EQ(info->menuPath ? *info->menuPath : QString(),
                  row.menuPath ? QString::fromLatin1(row.menuPath) : QString());
        EXPECT_EQ(info->menuPosition, row.menuPosition);
        EXPECT_EQ(info->menuId, row.menuId);
        EXPECT_EQ(info->entryPosition, row.entryPosition);
        EXPECT_EQ(info->commandId, row.commandId);
        ASSERT_EQ(info->accelerator != nullptr, row.accelerator != nullptr);
        if (row.accelerator) {
            EXPECT_EQ(*info->accelerator, QKeySequence(QString::fromLatin1(row.accelerator)));
        }
        EXPECT_EQ(info->flags, row.flags);
        EXPECT_EQ(info->flags2, 0);
        EXPECT_EQ(info->creator, nullptr);
        EXPECT_EQ(info->createId, 0);
        // The raw description is the same record.
        TGP_Information* raw = addOn.object->GP_rawInformation(row.id, nullptr);
        ASSERT_NE(raw, nullptr);
        EXPECT_EQ(raw->flags, info->flags);
        EXPECT_EQ(addOn.object->GP_releaseInformation(raw), 0);
        EXPECT_EQ(addOn.object->GP_releaseInformation(info), 0);
    }
    EXPECT_EQ(addOn.object->GP_releaseInformation(nullptr), NS_MPStatus::failure);
}

TEST(DialogsAddOnLibrary, WithoutInitialisationMakesNoWindowAndAnswersEveryEvent)
{
    AddOn addOn;
    ASSERT_NE(addOn.object, nullptr);
    for (const int id : {0, 16, 35, 51}) {
        int32_t status = -1;
        EXPECT_EQ(addOn.object->GP_create(id, &status), nullptr) << id;
        EXPECT_EQ(status, 0) << id;
    }
    // The dialogs are made all the same; without a memory API they never show.
    for (const int id : {3, 8, 9, 10, 17, 37, 38, 39, 42, 46}) {
        int32_t status = -1;
        std::unique_ptr<QWidget> window(addOn.object->GP_create(id, &status));
        EXPECT_NE(window, nullptr) << id;
        EXPECT_EQ(status, 0) << id;
    }
    for (const unsigned event : {1u, 3u, 99u})
        EXPECT_EQ(addOn.object->GP_uiEvent(event), 0) << event;
    EXPECT_EQ(addOn.object->GP_extension(nullptr, nullptr), nullptr);
    EXPECT_EQ(addOn.object->GP_selectSubId(nullptr, 1), NS_MPStatus::notImplemented);
    EXPECT_EQ(addOn.object->GP_terminate(), 0);
}
