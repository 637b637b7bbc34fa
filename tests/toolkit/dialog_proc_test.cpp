// The dialog procedure, driven headless with injected keys and clicks:
// how buttons close or keep a dialog, when change procedures run and with
// which event code, refusals, spinners, scroll bars and menu commands.
#include "toolkit/dialog_proc.h"
#include "dialog_testing.h"
#include "platform/win_commctrl.h"
#include "platform/win_message_keys.h"
#include "toolkit/dialog_controls.h"
#include "toolkit/loops.h"

using namespace toolkit;

namespace {

using DialogProc = dlgt::DialogTest;

// What the procedures saw: (1-based item, event code, integer value).
struct seen {
  int item, code, value;
  bool operator==(const seen&) const = default;
};
std::vector<seen> log;
std::function<int(win::HWND, dialog_t&)> answer = [](win::HWND, dialog_t&) { return -1; };

int recording_proc(win::HWND& window, dialog_t* items, int& number) {
  dialog_t& d = items[number - 1];
  log.push_back({number, d.event_code, d.integer_value});
  return answer(window, d);
}

win::HWND modeless(dialog_t* items, int n) {
  log.clear();
  answer = [](win::HWND, dialog_t&) { return -1; };
  auto dialog = reinterpret_cast<win::HWND>(dlgt::run(items, n, true));
  log.clear();
  return dialog;
}

win::HWND control(win::HWND dialog, const dialog_t& item) {
  return win::GetDlgItem(dialog, item.id);
}

TEST_F(DialogProc, EscapeAndEnterWithoutButtonItems) {
  dialog_t items[1];
  dlgt::set(items[0], {.type = DLG_EDITBOX, .text = "old", .x = 4, .y = 4});
  // Escape: id 2 has no item; nothing is read back.
  dlgt::later([] {
    dlgt::type_text("new");
    dlgt::key(win::VK_ESCAPE);
  });
  EXPECT_EQ(dlgt::run(items, 1, false), 2);
  EXPECT_EQ(items[0].text.str(), "old");
  // Enter: id 1 reads every control back before the dialog ends.
  dlgt::later([] {
    dlgt::type_text("new");
    dlgt::key(win::VK_RETURN);
  });
  EXPECT_EQ(dlgt::run(items, 1, false), 1);
  EXPECT_NE(items[0].text.str().find("new"), std::string::npos);
}

TEST_F(DialogProc, ButtonWithProcedureStaysOpenAndIsNotEnteredTwice) {
  dialog_t items[2];
  dlgt::set(items[0], {.type = DLG_OK_BUTTON, .x = 4, .y = 4, .proc = recording_proc});
  dlgt::set(items[1],
            {.type = DLG_CHECKBOX, .title = "C", .x = 4, .y = 20, .proc = recording_proc});
  win::HWND dialog = modeless(items, 2);
  int inner = -1;
  answer = [&](win::HWND w, dialog_t& d) {
    if (d.id != 1) return -1;
    // A message box while the procedure runs; the button again meanwhile.
    win::MessageBoxA(w, "Sure?", "Q", win::MB_OK);
    inner = static_cast<int>(win::SendMessageA(w, win::WM_COMMAND, 1, 0));
    return 0;
  };
  plat::inject_click(control(dialog, items[0]), 3, 3);
  dlgt::pump();
  ASSERT_TRUE(win::IsWindow(dialog));
  EXPECT_EQ(log, (std::vector<seen>{{1, 0x400, 1}}));
  EXPECT_EQ(inner, 0);  // the dialog procedure took it and did nothing
  EXPECT_EQ(items[0].busy, 0);
  // A check box runs its procedure after the click, its state read back.
  log.clear();
  plat::inject_click(control(dialog, items[1]), 3, 3);
  dlgt::pump();
  EXPECT_EQ(log, (std::vector<seen>{{2, 0x800, 1}}));
  win::DestroyWindow(dialog);
}

TEST_F(DialogProc, AClickedPushButtonOfItsOwnIdReportsAChange) {
  dialog_t items[1];
  dlgt::set(
      items[0],
      {.type = DLG_PUSHBUTTON, .title = "Go", .id = 1005, .x = 4, .y = 4, .proc = recording_proc});
  win::HWND dialog = modeless(items, 1);
  plat::inject_click(control(dialog, items[0]), 3, 3);
  dlgt::pump();
  ASSERT_TRUE(win::IsWindow(dialog));
  EXPECT_EQ(log, (std::vector<seen>{{1, 0x800, 1}}));
  win::DestroyWindow(dialog);
}

TEST_F(DialogProc, RefusalAtFocusLossKeepsTheControl) {
  dialog_t items[2];
  dlgt::set(items[0], {.type = DLG_EDITBOX, .x = 4, .y = 4, .proc = recording_proc});
  dlgt::set(items[1], {.type = DLG_EDITBOX, .x = 4, .y = 20});
  win::HWND dialog = modeless(items, 2);
  win::HWND edit = control(dialog, items[0]);
  answer = [](win::HWND, dialog_t& d) { return d.event_code == 0x1000 ? 0 : -1; };
  win::SetFocus(edit);
  dlgt::type_text("ab");
  dlgt::pump();
  // Each change ran the procedure after its notification.
  EXPECT_EQ(log, (std::vector<seen>{{1, 0x800, 0}, {1, 0x800, 0}}));
  dlgt::key(win::VK_TAB);
  dlgt::pump();
  // The text put back is a change too: its procedure runs again after.
  EXPECT_EQ(log, (std::vector<seen>{{1, 0x800, 0}, {1, 0x800, 0}, {1, 0x1000, 0}, {1, 0x800, 0}}));
  EXPECT_EQ(win::GetFocus(), edit);
  EXPECT_EQ(dlgt::text(edit), "ab");
  EXPECT_EQ(win::SendMessageA(edit, win::EM_GETSEL, 0, 0), win::MAKELPARAM(0, 2));
  EXPECT_EQ(items[0].event_code, 0x800);
  // The procedure may put another text in; that one shows.
  answer = [](win::HWND, dialog_t& d) {
    if (d.event_code != 0x1000) return -1;
    d.text.set("fixed");
    return 0;
  };
  dlgt::key(win::VK_TAB);
  dlgt::pump();
  EXPECT_EQ(dlgt::text(edit), "fixed");
  // Accepted: 0x2000, and the focus moves on.
  answer = [](win::HWND, dialog_t&) { return -1; };
  dlgt::key(win::VK_TAB);
  dlgt::pump();
  EXPECT_EQ(items[0].event_code, 0x2000);
  EXPECT_EQ(win::GetFocus(), control(dialog, items[1]));
  win::DestroyWindow(dialog);
}

TEST_F(DialogProc, SpinnerStepsAndScrollBars) {
  dialog_t items[2];
  dlgt::set(items[0], {.type = DLG_EDITBOX,
                       .x = 4,
                       .y = 4,
                       .kind = kKindOwnText | kKindSpinner,
                       .proc = recording_proc});
  dlgt::set(items[1], {.type = DLG_SCROLLBAR,
                       .x = 4,
                       .y = 30,
                       .kind = 0,
                       .imax = 20,
                       .imin = 0,
                       .iinc = 5,
                       .proc = recording_proc});
  win::HWND dialog = modeless(items, 2);
  win::HWND edit = control(dialog, items[0]);
  ASSERT_NE(win::GetDlgItem(dialog, items[0].id + 0x4000), nullptr);
  answer = [](win::HWND, dialog_t& d) {
    if ((d.event_code & 0xFE00) == 0x200) d.text.set(d.event_code == 0x201 ? "up" : "down");
    return -1;
  };
  win::SetFocus(edit);
  dlgt::key(win::VK_UP);
  dlgt::pump();
  EXPECT_EQ(log.at(0).code, 0x201);
  EXPECT_EQ(dlgt::text(edit), "up");
  log.clear();
  dlgt::key(win::VK_DOWN);
  dlgt::pump();
  EXPECT_EQ(log.at(0).code, 0x3FF);
  EXPECT_EQ(dlgt::text(edit), "down");

  // A scroll bar at its minimum stays there, yet its procedure runs.
  win::HWND bar = control(dialog, items[1]);
  const auto scroll = [&](int code) {
    log.clear();
    win::SendMessageA(dialog, win::WM_HSCROLL, code, reinterpret_cast<win::LPARAM>(bar));
  };
  scroll(win::SB_LINEUP);
  EXPECT_EQ(log, (std::vector<seen>{{2, win::SB_LINEUP, 0}}));
  scroll(win::SB_PAGEDOWN);
  EXPECT_EQ(items[1].integer_value, 5);
  scroll(win::SB_BOTTOM);
  EXPECT_EQ(items[1].integer_value, 20);
  scroll(win::SB_LINEDOWN);
  EXPECT_EQ(log, (std::vector<seen>{{2, win::SB_LINEDOWN, 20}}));
  EXPECT_EQ(win::GetScrollPos(bar, win::SB_CTL), 20);
  scroll(win::SB_THUMBTRACK);
  EXPECT_TRUE(log.empty());
  win::DestroyWindow(dialog);
}

TEST_F(DialogProc, MenuCommandsGoToTheCommandHandler) {
  dialog_t items[1];
  dlgt::set(items[0], {.type = DLG_PUSHBUTTON, .id = 10, .x = 4, .y = 4, .proc = recording_proc});
  win::HWND dialog = modeless(items, 1);
  tktest::calls.clear();
  win::SendMessageA(dialog, win::WM_COMMAND, 10, 0);
  EXPECT_TRUE(log.empty());
  EXPECT_EQ(tktest::codes("control"), (std::vector<int>{10}));
  // An id below 10 without a control is a button's: no item 5, so it closes.
  win::SendMessageA(dialog, win::WM_COMMAND, 5, 0);
  EXPECT_FALSE(win::IsWindow(dialog));
}

TEST_F(DialogProc, FocusRequestAndHook) {
  dialog_t items[2];
  dlgt::set(items[0], {.type = DLG_EDITBOX, .text = "a", .x = 4, .y = 4});
  dlgt::set(items[1],
            {.type = DLG_EDITBOX, .options = kOptionFocus, .text = "xyz", .x = 4, .y = 20});
  win::HWND dialog = modeless(items, 2);
  win::HWND second = control(dialog, items[1]);
  EXPECT_EQ(win::GetFocus(), second);
  EXPECT_EQ(win::SendMessageA(second, win::EM_GETSEL, 0, 0), win::MAKELPARAM(0, 3));
  // The hook sees the message first and may take it.
  static int hooked = 0;
  SET_DIALOG_HOOK([](win::HWND&, win::UINT& m, win::WPARAM&, win::LPARAM&, win::LRESULT& r) {
    if (m != win::WM_CLOSE) return 0;
    ++hooked;
    r = 1;
    return 1;
  });
  win::SendMessageA(dialog, win::WM_CLOSE, 0, 0);
  EXPECT_EQ(hooked, 1);
  EXPECT_TRUE(win::IsWindow(dialog));
  CLEAR_DIALOG_HOOK();
  win::SendMessageA(dialog, win::WM_CLOSE, 0, 0);
  EXPECT_FALSE(win::IsWindow(dialog));
}

}  // namespace
