#pragma once
// The main window's menu bar as one table: every menu, item and separator with its name
// ("mnuWwc(7)" for item 7 of the control array mnuWwc), its caption, shortcut and check
// behaviour, in menu order. The window builds its menus from it; the settings file, the
// tests and the other subsystems reach an item by its name.

#include <QList>
#include <QString>
#include <QStringList>

#include <functional>

namespace zenthra {

enum class MenuKind
{
    Menu,      // a top-level menu or a submenu; items name it as their parent
    Item,      // a command or check-mark item
    Separator, // caption "-"
};

enum class CheckBehaviour
{
    None,   // a command: the click runs the item's action
    Toggle, // a check mark: the click flips it (and the flag beside it, if any)
};

struct MenuEntry
{
    QString name;
    QString parent; // empty for a top-level menu
    QString caption;
    QString shortcut; // e.g. "F1", empty when none
    MenuKind kind = MenuKind::Item;
    CheckBehaviour check = CheckBehaviour::None;
    bool hiddenInDesign = false;
    // A check mark whose click runs its own handler (which flips the mark and acts on it), rather
    // than the plain flip in the options model.
    bool checkHandled = false;
};

// All entries, parents before their children, each menu's items in their order.
const QList<MenuEntry>& menuTable();
// The entry of that name, or nullptr.
const MenuEntry* findMenuEntry(const QString& name);

// Whether the window must bind a handler to the entry: every command item, and each check mark
// whose click does more than flip it.
bool needsHandler(const MenuEntry& entry);
// The items that need a handler and have none, in menu order. A handler bound under a misspelt
// name leaves its item here, in every build.
QStringList unboundMenuItems(const std::function<bool(const QString&)>& hasHandler);

// The names of the seventeen DX Spider command submenus' item arrays, in menu order
// ("mnuSpiderACCEPT" ... "mnuSpiderUSER_DEFINED"); each submenu is the array's name with "0".
const QList<QString>& spiderMenuArrays();

} // namespace zenthra
