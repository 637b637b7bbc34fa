// Tests of the toolkit start from a clean window system and toolkit, with a
// recording application: its event routine notes every call and answers as
// the test says, and the callbacks of windows record what they get.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "platform/backend.h"
#include "platform/clocks.h"
#include "platform/win_message.h"
#include "platform/win_message_box.h"
#include "toolkit/entry.h"
#include "toolkit/records.h"
#include "toolkit/windows.h"

namespace tktest {

// One call of the application's event routine or of a window callback.
struct Call {
  std::string what;  // "control", "close", "changed", "mouse"
  int code = 0;
  win::HWND window = nullptr;
  win::WPARAM wparam = 0;
  win::LPARAM lparam = 0;
  win::POINT first, second;
  win::RECT rect;
};
inline std::vector<Call> calls;
// The event routine's answer (0: let the toolkit do its default).
inline std::function<int(int code)> control_answer = [](int) { return 0; };
inline int close_answer = -1;

inline int record_control(int& code, win::HWND& window, win::WPARAM& wp, win::LPARAM& lp) {
  calls.push_back({"control", code, window, wp, lp, {}, {}, {}});
  return control_answer(code);
}
using close_callback_t = toolkit::close_callback;
inline int record_close(win::HWND& window) {
  calls.push_back({"close", 0, window, 0, 0, {}, {}, {}});
  return close_answer;
}
inline int record_changed(win::HWND& window, int& code) {
  calls.push_back({"changed", code, window, 0, 0, {}, {}, {}});
  return 0;
}
inline int record_mouse(int& event, win::POINT& first, win::POINT& second, win::HWND& window,
                        win::RECT& rect, int& keys) {
  calls.push_back({"mouse", event, window, static_cast<win::WPARAM>(keys), 0, first, second, rect});
  return 0;
}

// The calls of one kind, in order.
inline std::vector<Call> calls_of(const std::string& what) {
  std::vector<Call> out;
  for (const Call& c : calls)
    if (c.what == what) out.push_back(c);
  return out;
}

// The codes of the calls of one kind, in order.
inline std::vector<int> codes(const std::string& what) {
  std::vector<int> out;
  for (const Call& c : calls)
    if (c.what == what) out.push_back(c.code);
  return out;
}

// A main window made through the toolkit: 400 x 300 client pixels at the
// desktop's top-left corner, with the recording close and changed
// callbacks.
inline win::HWND make_main(toolkit::menu_item_t* menu = nullptr, int count = 0,
                           const int* record_style = nullptr) {
  const float at = 0.0F;
  const int width = 400, height = 300;
  return toolkit::CREATE_WINDOW("Main", 4, menu, count, nullptr, 0, nullptr, 0, nullptr, &at, &at,
                                nullptr, nullptr, &width, &height, record_style, nullptr, 0,
                                nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                                record_close, nullptr, record_changed, nullptr, nullptr);
}

// A secondary window of a generated class, 200 x 100 client pixels.
inline win::HWND make_secondary(close_callback_t close = record_close) {
  char cls[32];
  std::fill(cls, cls + sizeof cls, ' ');
  const int width = 200, height = 100;
  return toolkit::CREATE_SECONDARY_WINDOW(
      "Second", 6, nullptr, 0, nullptr, 0, cls, sizeof cls, nullptr, nullptr, nullptr, nullptr,
      nullptr, &width, &height, nullptr, nullptr, 0, nullptr, nullptr, nullptr, nullptr, nullptr,
      nullptr, nullptr, nullptr, close, nullptr, record_changed, nullptr, nullptr);
}

class ToolkitTest : public ::testing::Test {
 protected:
  void SetUp() override {
    plat::reset_windows();
    toolkit::reset_toolkit();
    toolkit::application = {nullptr, record_control};
    calls.clear();
    control_answer = [](int) { return 0; };
    close_answer = -1;
  }
  void TearDown() override {
    plat::reset_windows();
    toolkit::reset_toolkit();
    plat::clear_virtual_clock();
  }
};

}  // namespace tktest
