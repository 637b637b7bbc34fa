#include "toolkit/menus.h"

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "toolkit/accelerators.h"
#include "toolkit/entry.h"
#include "toolkit/helpers.h"
#include "toolkit/memory.h"
#include "toolkit/records.h"
#include "toolkit/status.h"

namespace toolkit {

namespace {

constexpr int kStateBits = 0x0B;
constexpr int kPopupFlag = 0x10;
constexpr int kHintKept = 127;

struct menu_hint {
  win::UINT_PTR command = 0;
  win::HMENU menu = nullptr;
  char* text = nullptr;  // owned, null for an empty hint
};
std::vector<menu_hint> menu_item_table;
const char* current_hint = nullptr;

bool unset(const menu_item_t& item, int index, std::string_view title, int* ups) {
  if (item.marker == kMarker) return false;
  char buf[16];
  std::snprintf(buf, sizeof buf, "%2d", index);
  REPORT_ERROR(ups, "Menu item (" + std::string(buf) + ") in " + std::string(title) +
                        " has not been initialized");
  return true;
}

std::string_view trimmed(std::string_view s) {
  while (!s.empty() && s.back() == ' ') s.remove_suffix(1);
  return s;
}

// The hint, trimmed and ended by a NUL in the record (at most 127
// characters are kept).
std::string_view terminate_hint(menu_item_t& item) {
  const int n = std::min(TRIMMED_LENGTH(item.hint.data(), 128), kHintKept);
  item.hint[static_cast<std::size_t>(n)] = '\0';
  return {item.hint.data(), static_cast<std::size_t>(n)};
}

}  // namespace

void SET_MENU_ITEM(menu_item_t& item, const char* title, int title_length, const char* hint,
                   int hint_length, const char* accelerator, int accelerator_length,
                   menu_item_t* submenu, int submenu_count, const win::UINT_PTR* command,
                   const int* flags) {
  INIT_TOOLKIT();
  if (item.marker != kMarker) {
    item.marker = kMarker;
    item.menu = nullptr;
  }
  auto set = [](auto& field, const char* text, int length) {
    field.set(text != nullptr
                  ? std::string_view(text, static_cast<std::size_t>(std::max(length, 0)))
                  : std::string_view());
  };
  set(item.title, title, title_length);
  set(item.hint, hint, hint_length);
  set(item.accelerator, facts.win32s ? nullptr : accelerator, accelerator_length);
  const int given_flags = flags != nullptr ? *flags : 0;
  if (submenu != nullptr) {
    item.submenu = submenu;
    item.submenu_count = submenu_count;
    item.has_submenu = 1;
    item.flags = given_flags | kPopupFlag;
  } else {
    item.submenu = nullptr;
    item.submenu_count = 0;
    item.has_submenu = 0;
    item.flags = given_flags;
  }
  item.command = command != nullptr ? *command : 0;
}

win::HMENU MAKE_MENU(menu_item_t* items, int count, int popup, int* ups) {
  CLEAR_STATUS(ups);
  if ((popup & 1) == 0 && count > 0 && items[0].menu != nullptr) {
    int quiet = 0;
    BUILD_ACCELERATORS(items, count, &quiet);
  }
  return BUILD_MENU_LEVEL(items, count, 0, "Menu Bar", popup, ups);
}

win::HMENU BUILD_MENU_LEVEL(menu_item_t* items, int count, int path, std::string_view title,
                            int popup, int* ups) {
  const win::HMENU menu = (popup & 1) != 0 ? win::CreatePopupMenu() : win::CreateMenu();
  if (menu == nullptr) return nullptr;
  int counter = path;
  for (int i = 1; i <= count; ++i) {
    ++counter;
    menu_item_t& item = items[i - 1];
    if (unset(item, i, trimmed(title), ups)) continue;
    item.menu = menu;
    const std::string_view hint = terminate_hint(item);
    if (item.has_submenu != 0) {
      const win::HMENU sub = BUILD_MENU_LEVEL(item.submenu, item.submenu_count, counter * 64,
                                              item.title.view(), 1, ups);
      item.command = reinterpret_cast<win::UINT_PTR>(sub);
      REGISTER_MENU_ITEM(hint.data(), static_cast<int>(hint.size()), static_cast<win::UINT_PTR>(i),
                         menu, ups);
    } else {
      REGISTER_MENU_ITEM(hint.data(), static_cast<int>(hint.size()), item.command, nullptr, ups);
    }
    std::string label(item.title.trimmed());
    if (!item.accelerator.is_blank()) {
      win::ACCEL entry;
      if (PARSE_ACCELERATOR(item.accelerator.view(), entry, item.command, item, counter, ups) &&
          FIND_ACCELERATOR(entry) == 0) {
        prepare_accelerator_list();
        accelerator_list.push_back(entry);
      }
      label += '\t';
      label += item.accelerator.trimmed();
    }
    if (!APPEND_MENU(menu, item.flags, item.command, label.data(), static_cast<int>(label.size())))
      return menu;
  }
  return menu;
}

void BUILD_ACCELERATORS(menu_item_t* items, int count, int* ups) {
  CLEAR_STATUS(ups);
  DESTROY_MENU_LEVEL(items, count, 0, "Menu Bar", ups);
  CREATE_ACCELERATOR_TABLE(accelerator_list.data(), static_cast<int>(accelerator_list.size()), ups);
}

void DESTROY_MENU_LEVEL(menu_item_t* items, int count, int path, std::string_view title, int* ups) {
  if (count > 0 && items[0].menu != nullptr) DESTROY_MENU(items[0].menu);
  int counter = path;
  for (int i = 1; i <= count; ++i) {
    ++counter;
    menu_item_t& item = items[i - 1];
    if (unset(item, i, trimmed(title), ups)) continue;
    if (item.has_submenu != 0) {
      DESTROY_MENU_LEVEL(item.submenu, item.submenu_count, counter * 64, item.title.view(), ups);
      UNREGISTER_MENU_ITEM(static_cast<win::UINT_PTR>(i), item.menu);
    } else {
      UNREGISTER_MENU_ITEM(item.command, nullptr);
    }
    item.menu = nullptr;
    if (!item.accelerator.is_blank()) {
      // Parsed quietly: an invalid text was reported when the menu was built.
      win::ACCEL entry;
      int quiet = 0;
      if (PARSE_ACCELERATOR(item.accelerator.view(), entry, item.command, item, counter, &quiet))
        REMOVE_ACCELERATOR(entry);
    }
  }
}

void UPDATE_MENU_ITEM(menu_item_t& item, int state, int* ups) {
  CLEAR_STATUS(ups);
  if (item.marker != kMarker) REPORT_ERROR(ups, "Call set_menu_item before update_menu_item");
  state &= kStateBits;
  item.flags = (item.flags & ~kStateBits) | state;
  if (!SET_MENU_ITEM_STATE(item.menu, item.command, state))
    REPORT_SYSTEM_ERROR(ups, "Cannot find menu item" + std::string(item.title.trimmed()));
  DRAW_MENU_BAR(MAIN_WINDOW());
}

int DISPLAY_POPUP_MENU(menu_item_t* items, int count, const win::HWND* owner, const float* x_real,
                       const float* y_real, const int* x, const int* y, const int* flags,
                       const int* exclusion, int* ups) {
  CLEAR_STATUS(ups);
  const win::HMENU menu = MAKE_MENU(items, count, 1, ups);
  const int chosen = TRACK_POPUP_MENU(menu, owner, x_real, y_real, x, y, flags, exclusion, ups);
  DESTROY_MENU(menu);
  return chosen;
}

int TRACK_POPUP_MENU(win::HMENU menu, const win::HWND* owner, const float* x_real,
                     const float* y_real, const int* x, const int* y, const int* flags,
                     const int* exclusion, int* ups) {
  CLEAR_STATUS(ups);
  const win::HWND busy = SUSPEND_BUSY_CURSOR();
  const win::HWND owner_window = owner != nullptr ? *owner : MAIN_WINDOW();
  const int track_flags = flags != nullptr ? *flags : win::TPM_RETURNCMD | win::TPM_RIGHTBUTTON;
  win::RECT desk{};
  win::GetClientRect(win::GetDesktopWindow(), &desk);
  auto place = [](const int* pixel, const float* fraction, int origin, int extent) {
    if (pixel != nullptr) return *pixel;
    if (fraction != nullptr) return origin + static_cast<int>(extent * *fraction * 1.0);
    return 0;
  };
  const int px = place(x, x_real, desk.left, desk.right - desk.left);
  const int py = place(y, y_real, desk.top, desk.bottom - desk.top);
  win::TPMPARAMS params;
  const bool extended = exclusion != nullptr && !facts.win32s && !facts.ntold;
  if (extended)
    params.rcExclude = win::RECT{exclusion[0], exclusion[1], exclusion[2], exclusion[3]};
  const int result = win::TrackPopupMenuEx(menu, static_cast<win::UINT>(track_flags), px, py,
                                           owner_window, extended ? &params : nullptr);
  if (result == 0 && (track_flags & win::TPM_RETURNCMD) == 0)
    SET_STATUS_FROM_SYSTEM(ups, "Unable to process popup menu");
  RESTORE_BUSY_CURSOR(busy, owner_window);
  return result;
}

int APPEND_MENU(win::HMENU menu, int flags, win::UINT_PTR command, const char* text, int length) {
  const std::string label(text, static_cast<std::size_t>(TRIMMED_LENGTH(text, length)));
  return win::AppendMenuA(menu, static_cast<win::UINT>(flags), command, label.c_str());
}

void DESTROY_MENU(win::HMENU menu) { win::DestroyMenu(menu); }

void DRAW_MENU_BAR(win::HWND window) { win::DrawMenuBar(window); }

bool SET_MENU_ITEM_STATE(win::HMENU menu, win::UINT_PTR command, int state) {
  const auto id = static_cast<win::UINT>(command);
  const win::DWORD was = win::CheckMenuItem(
      menu, id, win::MF_BYCOMMAND | ((state & 8) != 0 ? win::MF_CHECKED : win::MF_UNCHECKED));
  win::EnableMenuItem(menu, id, win::MF_BYCOMMAND | static_cast<win::UINT>(state & 3));
  return was != 0xFFFFFFFFu;
}

void REGISTER_MENU_ITEM(const char* hint, int length, win::UINT_PTR command, win::HMENU menu,
                        int* ups) {
  CLEAR_STATUS(ups);
  if (command == 0) return;
  if (static_cast<int>(menu_item_table.size()) >= kMaxMenuHints) {
    char message[64];
    std::snprintf(message, sizeof message, "Fenstra supports only %d menu items", kMaxMenuHints);
    SET_STATUS(ups, message, kToolkitError);
    return;
  }
  menu_hint entry{command, menu, nullptr};
  const int n = TRIMMED_LENGTH(hint, length);
  if (n > 0) {
    entry.text = static_cast<char*>(ALLOCATE_MEMORY(static_cast<std::size_t>(n) + 1, ups));
    if (entry.text == nullptr) return;
    std::memcpy(entry.text, hint, static_cast<std::size_t>(n));
    entry.text[n] = '\0';
  }
  menu_item_table.push_back(entry);
}

void UNREGISTER_MENU_ITEM(win::UINT_PTR command, win::HMENU menu) {
  for (auto it = menu_item_table.begin(); it != menu_item_table.end(); ++it) {
    if (it->command != command || it->menu != menu) continue;
    // A hint that goes is not shown any longer.
    if (current_hint == it->text) current_hint = nullptr;
    FREE_MEMORY(it->text);
    menu_item_table.erase(it);
    return;
  }
}

int menu_hint_count() { return static_cast<int>(menu_item_table.size()); }

const char* current_menu_hint() { return current_hint; }

int SHOW_MENU_HINT(win::HWND, win::HMENU menu, win::WPARAM wparam) {
  const win::UINT flags = win::HIWORD(wparam);
  const win::UINT item = win::LOWORD(wparam);
  if ((flags & win::MF_SYSMENU) != 0) {
    current_hint = nullptr;
    return 1;
  }
  const bool title = (flags & win::MF_POPUP) != 0;
  for (const menu_hint& e : menu_item_table) {
    if (title ? (e.command == item + 1 && e.menu == menu)
              : (e.command == item && e.menu == nullptr)) {
      current_hint = e.text;
      return 1;
    }
  }
  return 0;
}

void reset_menus() {
  for (menu_hint& e : menu_item_table) FREE_MEMORY(e.text);
  menu_item_table.clear();
  current_hint = nullptr;
}

}  // namespace toolkit
