// Inner records of menus, shared by the menu objects and the tracking.
// Not for use outside platform/win_menu*.
#pragma once

#include <string>
#include <vector>

#include "platform/win_controls_internal.h"
#include "platform/win_menu.h"

namespace win::detail {

struct MenuItem {
  std::string text;  // with "&" mnemonics; a TAB starts the right-hand part
  UINT flags = 0;    // MF_GRAYED, MF_DISABLED, MF_CHECKED, MF_POPUP, MF_SEPARATOR
  UINT_PTR id = 0;   // the command, or the menu it opens (MF_POPUP)
  HMENU sub() const { return (flags & MF_POPUP) ? reinterpret_cast<HMENU>(id) : nullptr; }
  bool usable() const { return (flags & (MF_GRAYED | MF_DISABLED | MF_SEPARATOR)) == 0; }
};

struct Menu {
  bool popup = false;
  std::vector<MenuItem> items;
};

Menu* menu_of(HMENU h);

// Layout: the items of a window's menu bar in window coordinates, and of a
// popup menu in its client area.
std::vector<RECT> bar_item_rects(const Window& w, const Menu& m);
std::vector<RECT> popup_item_rects(const Menu& m);
SIZE popup_size(const Menu& m);

// Whether the tracking shows this item of this menu selected (and, for the
// bar, whether its popup is open).
int tracked_selection(HMENU menu, bool* open);
void reset_menu_objects();

}  // namespace win::detail
