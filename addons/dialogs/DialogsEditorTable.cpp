#include "DialogsEditorTable.h"
#include "DialogsIds.h"
#include "addons/shell/AddOnMenu.h"
#include <QCoreApplication>
#include <QKeySequence>

namespace {

using namespace NS_DialogsIds;

constexpr uint8_t kCommand = NS_GPFlags::oneWindowPerKey | NS_GPFlags::notWorkspaceWindow; // 0x09

// The three menus the add-on fills: title, position among the menus, menu id.
enum class Title { File, Setup, Help };

Menu menuOf(Title title)
{
    switch (title) {
    case Title::File:
        return Menu(QCoreApplication::translate("@MacOSX", "&File"), 1, 1040);
    case Title::Setup:
        return Menu(QCoreApplication::translate("@MacOSX", "&Setup"), 2, 1020);
    case Title::Help:
        break;
    }
    return Menu(QCoreApplication::translate("@MacOSX", "&Help"), 100, 1050);
}

// One menu entry of the table. The texts are the untranslated ones; accelerator null
// means none, "" an empty key sequence.
struct EntryRow
{
    int id;
    const char* name;
    Title menu;
    const char* entry;
    int position;
    int command;
    const char* accelerator;
    uint8_t flags;
};

constexpr EntryRow kEntries[] = {
    {kManual, "Manual", Title::Help, QT_TRANSLATE_NOOP("@MacOSX", "&Manual..."), 0, 1150, "F1", kCommand},
    {kAbout, "About", Title::Help, QT_TRANSLATE_NOOP("@MacOSX", "&About..."), 1, 1151, "",
     kCommand | NS_GPFlags::separatorBefore},
    {kReceiveVoice, "ReceiveVoice", Title::Setup, QT_TRANSLATE_NOOP("@MacOSX", "Receive Voice Bulk"), 4, 1111, "",
     kCommand},
    {kReceiveMulti, "Receive Multi", Title::Setup, QT_TRANSLATE_NOOP("@MacOSX", "Receive Multi Bulk"), 2, 1109,
     "Ctrl+R", kCommand},
    {kSetup, "Setup", Title::Setup, QT_TRANSLATE_NOOP("@MacOSX", "Set&up..."), 0, 1107, "", kCommand},
    {kTransmitVoice, "TransmitVoice", Title::Setup, QT_TRANSLATE_NOOP("@MacOSX", "Transmit Voice Bulk..."), 3, 1110,
     "", kCommand},
    {kTransmitMulti, "Transmit Multi", Title::Setup, QT_TRANSLATE_NOOP("@MacOSX", "Transmit Multi Bulk"), 1, 1108,
     "Ctrl+T", kCommand},
    {kFileNew, "New", Title::File, QT_TRANSLATE_NOOP("@MacOSX", "&New"), 1, 1113, "Ctrl+N", kCommand},
    {kFileOpen, "Open", Title::File, QT_TRANSLATE_NOOP("@MacOSX", "&Open..."), 2, 1114, "Ctrl+O", kCommand},
    {kFileImport, "Import", Title::File, QT_TRANSLATE_NOOP("@MacOSX", "&Import Voice..."), 3, 1115, "Ctrl+I",
     kCommand},
    {kFileSave, "Save", Title::File, QT_TRANSLATE_NOOP("@MacOSX", "&Save"), 4, 1116, "Ctrl+S", kCommand},
    {kFileSaveAs, "SaveAs", Title::File, QT_TRANSLATE_NOOP("@MacOSX", "Save &As..."), 5, 1117, "",
     kCommand | NS_GPFlags::openWithoutLock},
};

// Editors without a menu entry: opened by other windows through the client services.
struct PlainRow
{
    int first;
    int last;
    const char* name;     // null: none
    bool emptyAccelerator; // an empty key sequence rather than none
    uint8_t flags;
};

constexpr PlainRow kPlain[] = {
    {kVoiceListCategory, kVoiceListCategory, "Voice List", false, kCommand},
    {kPresetReceive, kPresetReceive, "Receive Preset Voices", false, kCommand},
    {kArpSelect, kArpSelect, "Arp Select", false, kCommand},
    {kToolbar, kToolbar, "Toolbar", false, NS_GPFlags::oneWindowPerKey},
    {kFirstPartVoice, kLastPartVoice, "Part Voice", true, kCommand},
    {kDrumKeyWave, kDrumKeyWave, "Wave Select", false, kCommand},
    {kFirstPhrase, kLastPhrase, "Phrase Select", false, kCommand},
    {kFirstElementWave, kLastElementWave, "Wave Select", false, kCommand},
};

void describeEntry(TGP_Information* info, const EntryRow& row)
{
    const Menu menu = menuOf(row.menu);
    const MenuEntry entry(menu, row.position, row.command, QString::fromLatin1(row.entry),
                          QCoreApplication::translate("@MacOSX", row.entry),
                          QCoreApplication::translate("@MacOSX", row.accelerator));
    info->name = new QString(QString::fromLatin1(row.name));
    info->menuPath = new QString(entry.menu.title + NS_AddOnShell::menuPathSeparator() + entry.translatedText);
    info->menuPosition = uint16_t(entry.menu.position);
    info->menuId = entry.menu.id;
    info->entryPosition = uint16_t(entry.position);
    info->commandId = entry.command;
    info->accelerator = new QKeySequence(entry.accelerator);
    info->flags = row.flags;
}

} // namespace

namespace NS_DialogsTable {

void describe(int id, TGP_Information* info)
{
    info->flags = kCommand;
    for (const EntryRow& row : kEntries) {
        if (row.id == id) {
            describeEntry(info, row);
            return;
        }
    }
    if (id == kClose) {
        info->name = new QString(QStringLiteral("Close"));
        info->entryPosition = 100;
        info->flags = kCommand | NS_GPFlags::separatorBefore | NS_GPFlags::openWithoutLock;
        return;
    }
    for (const PlainRow& row : kPlain) {
        if (id < row.first || id > row.last)
            continue;
        info->name = new QString(QString::fromLatin1(row.name));
        if (row.emptyAccelerator)
            info->accelerator = new QKeySequence();
        info->flags = row.flags;
        return;
    }
}

} // namespace NS_DialogsTable
