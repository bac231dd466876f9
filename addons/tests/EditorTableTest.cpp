// The editor tables of the view add-ons, record by record, as the component reads them
// for its menus and its windows: names, menu paths, positions, accelerators, flags and
// create ids, and no record for an id an add-on does not offer.
#include "ViewLibraries.h"
#include <QKeySequence>
#include <gtest/gtest.h>

namespace {

enum Library { Mixer, Common, Part };

struct Row
{
    Library library;
    int id;
    bool offered;
    const char* name = nullptr;
    const char* accelerator = nullptr; // null: none
    const char* menuPath = nullptr;    // null: no menu entry
    int menuPosition = 0;
    int entryPosition = 0;
    int flags = 0;
    int flags2 = 0;
    int createId = 0;
};

const Row kRows[] = {
    {Mixer, 1, true, "Part Mixer", "Ctrl+1", "&Windows[/]Part Mixer", 4, 3, 0x41, 0x01, 0},
    {Mixer, 0, false},
    {Mixer, 2, false},
    {Common, 1, true, "Common Detail", "Ctrl+2", "&Windows[/]Common Detail", 4, 4, 0x01, 0x01, 0},
    // Every id asks for the one common window.
    {Common, 7, true, "Common Detail", "Ctrl+2", "&Windows[/]Common Detail", 4, 4, 0x01, 0x01, 0},
    {Part, 1, true, "Part Detail 1", nullptr, "&Windows[/]Part Detail [/]Part 1", 100, 4, 0x01, 0, 0},
    {Part, 16, true, "Part Detail 16", nullptr, "&Windows[/]Part Detail [/]Part 16", 100, 19, 0x01, 0, 0},
    // The second ids of a part open the same window, under the part's own create id.
    {Part, 17, true, "Part Detail 1", nullptr, nullptr, 0, 0, 0x03, 0, 1},
    {Part, 32, true, "Part Detail 16", nullptr, nullptr, 0, 0, 0x03, 0, 16},
    {Part, 0, false},
    {Part, 33, false},
    {Part, -1, false},
};

QString text(const QString* value)
{
    return value ? *value : QStringLiteral("<none>");
}

} // namespace

TEST(EditorTable, RecordsOfEveryViewAddOn)
{
    IGenericEditorPluginInterface* addOns[3] = {};
    for (int i = 0; i < 3; ++i) {
        TAddOnFactoryFunction factory = viewFactory(kViewLibraries[i]);
        ASSERT_NE(factory, nullptr);
        addOns[i] = factory();
    }
    for (const Row& row : kRows) {
        SCOPED_TRACE(testing::Message() << kViewLibraries[row.library].file << " id " << row.id);
        IGenericEditorPluginInterface* addOn = addOns[row.library];
        int32_t status = -1;
        TGP_Information* info = addOn->GP_inforamtion(row.id, &status);
        if (!row.offered) {
            EXPECT_EQ(info, nullptr);
            EXPECT_EQ(status, NS_MPStatus::failure);
            EXPECT_EQ(addOn->GP_rawInformation(row.id, nullptr), nullptr);
            continue;
        }
        ASSERT_NE(info, nullptr);
        EXPECT_EQ(status, NS_MPStatus::ok);
        EXPECT_EQ(info->moduleId, Guid2QUuid(kViewLibraries[row.library].module));
        EXPECT_EQ(info->creator, nullptr);
        EXPECT_EQ(info->selectSubId, 0u);
        EXPECT_EQ(text(info->name), QString::fromLatin1(row.name));
        if (row.accelerator) {
            ASSERT_NE(info->accelerator, nullptr);
            EXPECT_EQ(*info->accelerator, QKeySequence(QString::fromLatin1(row.accelerator)));
        } else {
            EXPECT_EQ(info->accelerator, nullptr);
        }
        EXPECT_EQ(text(info->menuPath), row.menuPath ? QString::fromLatin1(row.menuPath) : text(nullptr));
        EXPECT_EQ(info->menuPosition, row.menuPosition);
        EXPECT_EQ(info->entryPosition, row.entryPosition);
        EXPECT_EQ(info->flags, row.flags);
        EXPECT_EQ(info->flags2, row.flags2);
        EXPECT_EQ(info->windowControlName[0], '\0');
        EXPECT_EQ(info->reserved, 0);
        EXPECT_EQ(info->createId, row.createId);
        EXPECT_EQ(info->menuId, -1);
        EXPECT_EQ(info->commandId, -1);

        // The raw record is the same, and asking works without a status pointer.
        TGP_Information* raw = addOn->GP_rawInformation(row.id, nullptr);
        ASSERT_NE(raw, nullptr);
        EXPECT_EQ(text(raw->name), text(info->name));
        EXPECT_EQ(text(raw->menuPath), text(info->menuPath));
        EXPECT_EQ(raw->flags, info->flags);
        EXPECT_EQ(raw->createId, info->createId);
        EXPECT_EQ(addOn->GP_releaseInformation(raw), NS_MPStatus::ok);
        EXPECT_EQ(addOn->GP_releaseInformation(info), NS_MPStatus::ok);
    }
    for (IGenericEditorPluginInterface* addOn : addOns) {
        EXPECT_EQ(addOn->GP_releaseInformation(nullptr), NS_MPStatus::failure);
        EXPECT_EQ(addOn->GP_terminate(), NS_MPStatus::ok);
        EXPECT_EQ(addOn->GP_uiEvent(2), NS_MPStatus::ok);
        EXPECT_EQ(addOn->Release(), 0u);
    }
}
