// The system cursors, the cursor shown, and the beep.
#include "platform/win_cursor.h"

#include <algorithm>
#include <array>

#include "platform/backend.h"
#include "platform/win_last_error.h"
#include "platform/win_window_tree.h"

namespace win::detail {

namespace {

constexpr std::array<WORD, 14> kShapes = {32512, 32513, 32514, 32515, 32516, 32642, 32643,
                                          32644, 32645, 32646, 32648, 32649, 32650, 32651};

HCURSOR shown = nullptr;
bool shown_set = false;  // nothing was shown yet: the display's own cursor

}  // namespace

LRESULT set_default_cursor(WPARAM wp, LPARAM lp) {
  HCURSOR c = LoadCursorA(nullptr, IDC_ARROW);
  if (LOWORD(static_cast<std::uintptr_t>(lp)) == HTCLIENT) {
    Window* under = find(reinterpret_cast<HWND>(wp));
    // A class without a cursor leaves the one shown as it is.
    if (under == nullptr || under->cls->cursor == nullptr) return FALSE;
    c = under->cls->cursor;
  }
  SetCursor(c);
  return FALSE;
}

void reset_cursor() {
  shown = nullptr;
  shown_set = false;
}

}  // namespace win::detail

namespace win {

HCURSOR LoadCursorA(HINSTANCE inst, LPCSTR name) {
  const auto id = reinterpret_cast<std::uintptr_t>(name);
  if (inst == nullptr && id < 0x10000 &&
      std::find(detail::kShapes.begin(), detail::kShapes.end(), id) != detail::kShapes.end())
    return handle_from<HCURSOR>(static_cast<std::uint32_t>(id));
  SetLastError(ERROR_RESOURCE_NAME_NOT_FOUND);
  return nullptr;
}

HCURSOR SetCursor(HCURSOR cursor) {
  const std::uint32_t id = handle_value(cursor);
  if (cursor != nullptr &&
      std::find(detail::kShapes.begin(), detail::kShapes.end(), id) == detail::kShapes.end()) {
    SetLastError(ERROR_INVALID_CURSOR_HANDLE);
    return detail::shown;
  }
  HCURSOR old = detail::shown;
  if (!detail::shown_set || cursor != old) plat::backend().set_cursor(static_cast<int>(id));
  detail::shown = cursor;
  detail::shown_set = true;
  return old;
}

HCURSOR GetCursor() { return detail::shown; }

BOOL MessageBeep(UINT type) {
  plat::backend().beep(type);
  return TRUE;
}

}  // namespace win
