// The Tools dialog on the test program's Xvfb, driven by the server's
// keyboard and mouse: Ctrl+Shift+R opens it, its check box switches the
// dialog editor on, and the next Ctrl+Shift+R first asks "Fenstra Dialog
// Editor", whose No shows the dialog as before.
#include "platform/win_controls.h"
#include "platform/x11_testing.h"
#include "toolkit/dialog_editor.h"
#include "toolkit/loops.h"
#include "toolkit/tools_dialog.h"
#include "toolkit_fixture.h"

namespace {

class ToolsOnX11 : public x11test::X11Test {
 protected:
  void SetUp() override {
    X11Test::SetUp();
    toolkit::reset_toolkit();
    toolkit::application = {};
  }
  void TearDown() override {
    toolkit::reset_toolkit();
    X11Test::TearDown();
  }
  // Pumps through the toolkit (accelerators, the modeless dialog) until
  // `done` holds, waiting for the display's events in between; false when
  // it still does not after half a minute.
  bool run_until(const std::function<bool()>& done) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (std::chrono::steady_clock::now() < end) {
      toolkit::PROCESS_MESSAGES();
      if (done()) return true;
      Display* own = plat::x11::current()->display();
      XSync(own, False);
      if (XPending(own) == 0) {
        pollfd p{ConnectionNumber(own), POLLIN, 0};
        ::poll(&p, 1, 2);
      }
    }
    return done();
  }
  void ctrl_shift_r(win::HWND main) {
    XSetInputFocus(dpy, xid(main), RevertToParent, CurrentTime);
    settle();
    press(XK_Control_L, true);
    press(XK_Shift_L, true);
    tap(XK_r);
    press(XK_Shift_L, false);
    press(XK_Control_L, false);
  }
};

win::HWND top_window(const std::string& title) {
  for (win::HWND h = win::GetWindow(win::GetDesktopWindow(), win::GW_CHILD); h != nullptr;
       h = win::GetWindow(h, win::GW_HWNDNEXT)) {
    char text[128] = "";
    win::GetWindowTextA(h, text, sizeof text);
    if (win::IsWindowVisible(h) && title == text) return h;
  }
  return nullptr;
}

win::HWND child_titled(win::HWND parent, const std::string& title) {
  for (win::HWND h = win::GetWindow(parent, win::GW_CHILD); h != nullptr;
       h = win::GetWindow(h, win::GW_HWNDNEXT)) {
    char text[128] = "";
    win::GetWindowTextA(h, text, sizeof text);
    if (title == text) return h;
  }
  return nullptr;
}

// A click of the server's mouse in the middle of a control.
Display* clicker = nullptr;
void click(win::HWND control) {
  win::RECT r{};
  win::GetWindowRect(control, &r);
  XTestFakeMotionEvent(clicker, -1, (r.left + r.right) / 2, (r.top + r.bottom) / 2, CurrentTime);
  XTestFakeButtonEvent(clicker, 1, True, CurrentTime);
  XTestFakeButtonEvent(clicker, 1, False, CurrentTime);
  XFlush(clicker);
}

// Answers the editor's question with No from inside its message box.
bool asked = false;
void answer_no(win::HWND, win::UINT, win::UINT_PTR id, win::DWORD) {
  const win::HWND box = top_window("Fenstra Dialog Editor");
  if (box == nullptr) return;
  win::KillTimer(nullptr, id);
  asked = true;
  click(child_titled(box, "&No"));
}

TEST_F(ToolsOnX11, CtrlShiftROpensTheToolsDialogWhichSwitchesTheEditor) {
  clicker = dpy;
  const win::HWND main = tktest::make_main();
  settle();
  ctrl_shift_r(main);
  win::HWND tools = nullptr;
  ASSERT_TRUE(run_until([&] { return (tools = top_window(toolkit::kToolsTitle)) != nullptr; }));
  settle();
  win::HWND box = child_titled(tools, "Enable Dialog Editor");
  ASSERT_NE(box, nullptr);
  click(box);
  ASSERT_TRUE(run_until([] { return toolkit::dialog_editor_enabled; }));
  click(child_titled(tools, "Close"));
  ASSERT_TRUE(run_until([&] { return !win::IsWindow(tools); }));

  asked = false;
  win::SetTimer(nullptr, 0, 20, answer_no);
  ctrl_shift_r(main);
  ASSERT_TRUE(run_until([&] { return (tools = top_window(toolkit::kToolsTitle)) != nullptr; }));
  EXPECT_TRUE(asked);
  box = child_titled(tools, "Enable Dialog Editor");
  EXPECT_EQ(win::SendMessageA(box, win::BM_GETCHECK, 0, 0), 1);
  EXPECT_TRUE(toolkit::dialog_editor_enabled);
}

}  // namespace
