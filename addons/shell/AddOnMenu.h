#pragma once
// The pieces a view add-on composes its menu entries from: a menu of the page's menu
// bar and one entry in it, and the separator that joins the texts of a menu path.
#include <QString>
#include <QStringList>

struct TGP_Information;

// A menu of the page's menu bar.
struct Menu
{
    Menu(const QString& title, int position, int id) : title(title), position(position), id(id) {}

    QString title;
    int32_t position;
    int32_t id;
};

// One entry of a menu: where it sorts and what it shows.
struct MenuEntry
{
    MenuEntry(const Menu& menu, int position, int command, const QString& text,
              const QString& translatedText, const QString& accelerator)
        : menu(menu), position(position), command(command), text(text),
          translatedText(translatedText), accelerator(accelerator)
    {
    }

    Menu menu;
    int32_t position;
    int32_t command;
    QString text;
    QString translatedText;
    QString accelerator; // empty: none
};

namespace NS_AddOnShell {

// Joins menu titles and the entry's text into a menu path.
inline const QString& menuPathSeparator()
{
    static const QString separator = QStringLiteral("[/]");
    return separator;
}

// The "&Windows" menu the view add-ons put their entries in.
Menu windowsMenu();

// Gives the record the entry's menu path (the menu's title, then submenu titles, then
// the translated entry text), its two sort positions and its accelerator.
void describeMenuEntry(TGP_Information* info, const MenuEntry& entry,
                       const QStringList& submenus = QStringList());

} // namespace NS_AddOnShell
