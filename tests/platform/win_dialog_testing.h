// Helpers for the dialog and control tests: a dialog procedure that records
// commands and ends on IDOK and IDCANCEL, key presses with modifiers, and
// dialogs made from a template in one call.
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "platform/dialog_template.h"
#include "platform/win_controls.h"
#include "platform/win_dialog.h"
#include "platform/win_message_box.h"
#include "win_window_recorder.h"

namespace dlgtest {

// Clicks the test dialog procedure saw: (id, notification BN_CLICKED or
// BN_DOUBLECLICKED); other notifications are left out.
inline std::vector<std::pair<int, int>> commands;
inline win::INT_PTR init_answer = win::TRUE;

inline win::INT_PTR test_proc(win::HWND h, win::UINT m, win::WPARAM wp, win::LPARAM) {
  using namespace win;
  if (m == WM_INITDIALOG) return init_answer;
  if (m == WM_COMMAND) {
    if (HIWORD(wp) == BN_CLICKED || HIWORD(wp) == BN_DOUBLECLICKED)
      commands.emplace_back(LOWORD(wp), HIWORD(wp));
    if (LOWORD(wp) == IDOK || LOWORD(wp) == IDCANCEL) EndDialog(h, LOWORD(wp));
    return TRUE;
  }
  return FALSE;
}

inline void key(int vk, unsigned char ch = 0) { plat::inject_key_press(vk, ch); }
inline void with(int modifier, int vk) {
  plat::input_key(modifier, plat::scan_code_of(modifier), true);
  key(vk);
  plat::input_key(modifier, plat::scan_code_of(modifier), false);
}
inline void type(const std::string& s) {
  for (char c : s) {
    const auto u = static_cast<unsigned char>(c);
    key(u >= 'a' && u <= 'z' ? u - 32 : u >= 'A' && u <= 'Z' ? u : 'X', u);
  }
}

// Runs f from inside the next message loop (a modal dialog's, a menu's):
// a one-shot timer on the virtual clock.
inline std::function<void()> later_fn;
inline void later_proc(win::HWND, win::UINT, win::UINT_PTR id, win::DWORD) {
  win::KillTimer(nullptr, id);
  auto f = std::move(later_fn);
  later_fn = nullptr;
  if (f) f();
}
inline void later(std::function<void()> f) {
  if (!plat::virtual_clock_on()) plat::set_virtual_clock(plat::LocalDateTime());
  later_fn = std::move(f);
  win::SetTimer(nullptr, 0, 10, later_proc);
}

// Pumps through the dialog manager of a modeless dialog.
inline void pump(win::HWND dlg) {
  win::MSG m;
  while (win::PeekMessageA(&m, nullptr, 0, 0, win::PM_REMOVE)) {
    if (m.message == win::WM_QUIT) break;
    if (!win::IsDialogMessageA(dlg, &m)) {
      win::TranslateMessage(&m);
      win::DispatchMessageA(&m);
    }
  }
}

// Mouse steps at a point of a window's client area, each taken from the
// queue before the next (input goes where the capture is at the time).
inline void mouse(win::HWND dlg, win::HWND h, int x, int y, int action) {
  win::POINT p{x, y};
  win::ClientToScreen(h, &p);
  if (action == 0)
    plat::input_mouse_move(p.x, p.y);
  else
    plat::input_mouse_button(0, action > 0, p.x, p.y);
  pump(dlg);
}
inline void drag(win::HWND dlg, win::HWND h, int x0, int y0, int x1, int y1) {
  mouse(dlg, h, x0, y0, 1);
  mouse(dlg, h, x1, y1, 0);
  mouse(dlg, h, x1, y1, -1);
}

inline std::string text(win::HWND h) {
  char buf[512];
  win::GetWindowTextA(h, buf, sizeof buf);
  return buf;
}

class DialogTest : public wintest::WindowTest {
 protected:
  void SetUp() override {
    WindowTest::SetUp();
    commands.clear();
    init_answer = win::TRUE;
    later_fn = nullptr;
  }
};

}  // namespace dlgtest
