#pragma once

#include <QString>

#include <functional>

class QAction;
class QMainWindow;
class QMenu;
class QWidget;

// The Help menu, and the help texts that status panel 1 shows for the highlighted menu item.
namespace HelpMenu {
// The dynamic property that carries the help of an item whose caption changes.
inline constexpr const char *HelpTextProperty = "helpText";
// The status-bar help of a menu item (empty for items without one), and the version text.
QString menuHelpText(const QAction *action);
QString versionText();
// Fills the Help menu: the read-me, the home page, the version box (owned by window).
void buildHelpMenu(QMenu *help, QWidget *window);
// Every menu of the window, pop-ups included, shows the help of the item under the pointer;
// a title of the menu bar empties the panel; a menu closed without a choice restores the text
// `status` gave when it opened. Call once every menu exists.
void installMenuHelp(QMainWindow *window, const std::function<QString()> &status,
                     const std::function<void(const QString &)> &setStatus);
} // namespace HelpMenu
