#pragma once
// The dialogs add-on's editor table: for every editor id the name, the menu entry
// (menu path, positions, menu and command ids, accelerator) and the opening flags
// that GP_inforamtion reports. Ids outside the table get a record without name or
// menu entry. GUI thread (the texts are translated).
struct TGP_Information;

namespace NS_DialogsTable {

// Fills a record made with the add-on's module identifier and the construction
// values. Every id gets the flags 0x09 (one window per key, not a workspace window)
// unless the table says otherwise.
void describe(int id, TGP_Information* info);

} // namespace NS_DialogsTable
