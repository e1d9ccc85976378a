#pragma once
// The main window's command lines and their menu items: the three boxes and the "DXC ?:" check
// box bound to the application's command lines, the "DXC/WWC/BBS Commands" menus and the two
// "Clear ... History" items; and the chat pop-up window, whose picked call prepares a reply on
// the chat line.

#include <QObject>

namespace zenthra {

class Application;
class MainWindow;
class OptionMenus;

class CommandMenus : public QObject
{
    Q_OBJECT
public:
    CommandMenus(Application& app, MainWindow& window, OptionMenus& dialogs);
};

} // namespace zenthra
