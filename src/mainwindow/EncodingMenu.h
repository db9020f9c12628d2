#pragma once

class QMenu;
class ViewHost;

// The View menu's submenu that shows a side's text file again in an encoding the user picks
// (the one detection gave is marked). The pick holds for that file until another file is
// compared on that side.
namespace EncodingMenu {

// Adds the submenu to `menu`; its items change the host's workspace and start a comparison.
QMenu *addEncodingMenu(QMenu *menu, ViewHost *host);

} // namespace EncodingMenu
