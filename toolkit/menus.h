// Menus built from arrays of item records: menu bars, popup menus and
// sub-menus of any depth. Building a menu collects the accelerators written
// in its items and registers each item's hint for the status bar; tearing
// it down removes both again.
#pragma once

#include <cstdint>
#include <string_view>

#include "platform/fixed_text.h"
#include "platform/win_menu.h"

namespace toolkit {

// One menu entry; an array of them is one menu level. Filled by
// SET_MENU_ITEM before use.
struct menu_item_t {
  plat::FixedText<256> title;  // "&" marks the mnemonic
  plat::FixedText<128> hint;   // a NUL follows the trimmed hint once built
  plat::FixedText<16> accelerator;
  menu_item_t* submenu = nullptr;  // the sub-menu's first item
  std::int32_t submenu_count = 0;
  std::int32_t has_submenu = 0;
  win::UINT_PTR command = 0;  // the sub-menu's handle once built
  std::int32_t flags = 0;     // append flags; 1 grayed, 2 disabled, 8 checked
  win::HMENU menu = nullptr;  // the menu that holds the item once built
  std::uint32_t marker = 0;
};

// Sets an item; absent texts leave their fields blank.
void SET_MENU_ITEM(menu_item_t& item, const char* title, int title_length, const char* hint,
                   int hint_length, const char* accelerator, int accelerator_length,
                   menu_item_t* submenu, int submenu_count, const win::UINT_PTR* command,
                   const int* flags);

// A menu bar (a popup menu with the popup flag); a bar built before from
// the same array is torn down first.
win::HMENU MAKE_MENU(menu_item_t* items, int count, int popup, int* ups);
win::HMENU BUILD_MENU_LEVEL(menu_item_t* items, int count, int path, std::string_view title,
                            int popup, int* ups);
// Tears the menu of the array down and makes the accelerator table anew
// from what is left in the list.
void BUILD_ACCELERATORS(menu_item_t* items, int count, int* ups);
void DESTROY_MENU_LEVEL(menu_item_t* items, int count, int path, std::string_view title, int* ups);

// Sets the item's check mark (state bit 8) and its grayed and disabled
// state (bits 1 and 2) and redraws the main window's menu bar.
void UPDATE_MENU_ITEM(menu_item_t& item, int state, int* ups = nullptr);

// Builds the array as a popup menu, tracks it and destroys it; the chosen
// command (0 for none).
int DISPLAY_POPUP_MENU(menu_item_t* items, int count, const win::HWND* owner, const float* x_real,
                       const float* y_real, const int* x, const int* y, const int* flags,
                       const int* exclusion, int* ups);
// Shows a popup menu at a screen point: integer pixels, else fractions of
// the desktop, else 0. Flags default to TPM_RETURNCMD | TPM_RIGHTBUTTON.
int TRACK_POPUP_MENU(win::HMENU menu, const win::HWND* owner, const float* x_real,
                     const float* y_real, const int* x, const int* y, const int* flags,
                     const int* exclusion, int* ups);

// Single platform calls.
int APPEND_MENU(win::HMENU menu, int flags, win::UINT_PTR command, const char* text, int length);
void DESTROY_MENU(win::HMENU menu);
void DRAW_MENU_BAR(win::HWND window);
// False when the menu has no item of that command.
bool SET_MENU_ITEM_STATE(win::HMENU menu, win::UINT_PTR command, int state);

// The hints of the menu items: at most 1024 entries (command id, or the
// position of a sub-menu title with the handle of its menu; the hint).
inline constexpr int kMaxMenuHints = 1024;
void REGISTER_MENU_ITEM(const char* hint, int length, win::UINT_PTR command, win::HMENU menu,
                        int* ups);
void UNREGISTER_MENU_ITEM(win::UINT_PTR command, win::HMENU menu);
int menu_hint_count();
// The hint shown in the status bar while a menu item is selected (null for
// none).
const char* current_menu_hint();
// For a menu-selection message: 1 when the current hint changed.
int SHOW_MENU_HINT(win::HWND window, win::HMENU menu, win::WPARAM wparam);

// Empties the hint table. For tests.
void reset_menus();

}  // namespace toolkit
