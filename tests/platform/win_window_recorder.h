// Test helpers for the window system: a class whose procedure records the
// messages it gets, and a fixture that starts every test from a clean
// window system.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "platform/backend.h"
#include "platform/clocks.h"
#include "platform/win_message.h"
#include "platform/win_message_keys.h"
#include "platform/win_window.h"

namespace wintest {

struct Seen {
  win::HWND wnd;
  win::UINT msg;
  win::WPARAM wp;
  win::LPARAM lp;
};

// Messages seen by recording windows, oldest first.
inline std::vector<Seen> seen;
// Messages left out of `seen` (noise of mouse routing and sizing).
inline std::vector<win::UINT> ignored = {win::WM_NCHITTEST, win::WM_SETCURSOR,
                                         win::WM_GETMINMAXINFO};
// Optional reaction of a recording window, asked before the default;
// returns true when it answered (result in `result`).
inline std::function<bool(win::HWND, win::UINT, win::WPARAM, win::LPARAM, win::LRESULT&)> react;

inline win::LRESULT recording_proc(win::HWND h, win::UINT m, win::WPARAM wp, win::LPARAM lp) {
  if (std::find(ignored.begin(), ignored.end(), m) == ignored.end()) seen.push_back({h, m, wp, lp});
  win::LRESULT r = 0;
  if (react && react(h, m, wp, lp, r)) return r;
  return win::DefWindowProcA(h, m, wp, lp);
}

// The messages of one window (all windows when null), in order.
inline std::vector<win::UINT> messages_of(win::HWND h = nullptr) {
  std::vector<win::UINT> out;
  for (const Seen& s : seen)
    if (h == nullptr || s.wnd == h) out.push_back(s.msg);
  return out;
}

inline constexpr const char* kClass = "RecorderClass";

inline void register_recorder(win::UINT style = 0, win::HBRUSH background = nullptr,
                              const char* name = kClass) {
  win::WNDCLASSA wc;
  wc.style = style;
  wc.lpfnWndProc = recording_proc;
  wc.lpszClassName = name;
  wc.hbrBackground = background;
  wc.cbWndExtra = 16;
  ASSERT_NE(win::RegisterClassA(&wc), 0);
}

inline win::HWND make_top(int x = 100, int y = 50, int cx = 400, int cy = 300,
                          win::DWORD style = win::WS_OVERLAPPEDWINDOW | win::WS_VISIBLE,
                          win::HWND owner = nullptr) {
  return win::CreateWindowExA(0, kClass, "Top", style, x, y, cx, cy, owner, nullptr, nullptr,
                              nullptr);
}

inline win::HWND make_child(win::HWND parent, int id, int x, int y, int cx, int cy,
                            win::DWORD style = win::WS_CHILD | win::WS_VISIBLE) {
  return win::CreateWindowExA(0, kClass, "", style, x, y, cx, cy, parent,
                              reinterpret_cast<win::HMENU>(static_cast<std::intptr_t>(id)), nullptr,
                              nullptr);
}

// Takes and dispatches everything pending; returns the messages taken.
inline std::vector<win::MSG> pump() {
  std::vector<win::MSG> out;
  win::MSG m;
  while (win::PeekMessageA(&m, nullptr, 0, 0, win::PM_REMOVE)) {
    out.push_back(m);
    if (m.message == win::WM_QUIT) break;
    win::TranslateMessage(&m);
    win::DispatchMessageA(&m);
  }
  return out;
}

class WindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    plat::reset_windows();
    seen.clear();
    react = nullptr;
    register_recorder(win::CS_DBLCLKS);
  }
  void TearDown() override {
    plat::reset_windows();
    plat::clear_virtual_clock();
    react = nullptr;
  }
};

}  // namespace wintest
