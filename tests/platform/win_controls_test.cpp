// Buttons, static texts and edit fields: their messages and notifications,
// keys and clicks, the clipboard, and pixels of their drawn states.
#include "platform/win_controls.h"

#include "platform/backend.h"
#include "platform/win_clipboard.h"
#include "platform/win_gdi.h"
#include "platform/win_message_keys.h"
#include "platform/win_resources.h"
#include "win_dialog_testing.h"

using namespace win;
using namespace dlgtest;

namespace {

using Buttons = DialogTest;
using EditFields = DialogTest;

constexpr DWORD kTab = WS_CHILD | WS_VISIBLE | WS_TABSTOP;

// Notifications a parent saw: (id, code).
std::vector<std::pair<int, int>> notes;

INT_PTR noting_proc(HWND, UINT m, WPARAM wp, LPARAM) {
  if (m == WM_INITDIALOG) return TRUE;
  if (m == WM_COMMAND) notes.emplace_back(LOWORD(wp), HIWORD(wp));
  return FALSE;
}

HWND dialog_with(plat::DialogTemplate& t) {
  notes.clear();
  HWND dlg = CreateDialogIndirectParamA(nullptr, t.get(), nullptr, noting_proc, 0);
  EXPECT_NE(dlg, nullptr);
  UpdateWindow(dlg);
  return dlg;
}

int count(int id, int code) {
  return static_cast<int>(std::count(notes.begin(), notes.end(), std::pair<int, int>{id, code}));
}

// Pixels of a colour in a control's client area.
int pixels(HWND h, COLORREF c) {
  RECT r;
  GetClientRect(h, &r);
  int n = 0;
  for (int y = 0; y < r.bottom; ++y)
    for (int x = 0; x < r.right; ++x) n += plat::window_pixel(h, x, y) == c ? 1 : 0;
  return n;
}

std::string clip() { return plat::clipboard_text(); }

}  // namespace

TEST_F(Buttons, ClicksChecksAndTheirNotifications) {
  plat::DialogTemplate t(WS_POPUP | WS_VISIBLE, 0, 0, 120, 80, "", "MS Shell Dlg", 8);
  t.add("", 0x80, kTab | BS_PUSHBUTTON, 5, 5, 40, 14, 10, "Push");
  t.add("", 0x80, kTab | BS_AUTOCHECKBOX, 5, 25, 60, 10, 11, "Auto");
  t.add("", 0x80, kTab | BS_CHECKBOX, 5, 40, 60, 10, 12, "Manual");
  t.add("", 0x80, kTab | BS_AUTO3STATE, 5, 55, 60, 10, 13, "Three");
  HWND dlg = dialog_with(t);
  HWND push = GetDlgItem(dlg, 10), autob = GetDlgItem(dlg, 11), manual = GetDlgItem(dlg, 12);
  plat::inject_click(push, 5, 5);
  pump(dlg);
  EXPECT_EQ(count(10, BN_CLICKED), 1);
  EXPECT_EQ(GetFocus(), push);
  // Pressed, dragged off and released outside: no click.
  drag(dlg, push, 5, 5, 300, 5);
  EXPECT_EQ(count(10, BN_CLICKED), 1);
  // Space clicks the focused button.
  SetFocus(autob);
  key(VK_SPACE);
  pump(dlg);
  EXPECT_EQ(SendMessageA(autob, BM_GETCHECK, 0, 0), BST_CHECKED);
  EXPECT_EQ(count(11, BN_CLICKED), 1);
  // A plain check box only tells; its program checks it.
  plat::inject_click(manual, 3, 3);
  pump(dlg);
  EXPECT_EQ(SendMessageA(manual, BM_GETCHECK, 0, 0), BST_UNCHECKED);
  EXPECT_EQ(count(12, BN_CLICKED), 1);
  HWND three = GetDlgItem(dlg, 13);
  std::vector<LRESULT> states;
  for (int i = 0; i < 3; ++i) {
    SendMessageA(three, BM_CLICK, 0, 0);
    states.push_back(SendMessageA(three, BM_GETCHECK, 0, 0));
  }
  EXPECT_EQ(states, (std::vector<LRESULT>{BST_CHECKED, BST_INDETERMINATE, BST_UNCHECKED}));
  EXPECT_EQ(SendMessageA(dlg, DM_GETDEFID, 0, 0), 0);  // no default button
}

TEST_F(Buttons, PixelsOfCheckMarkDefaultAndFocusFramesAndDisabledText) {
  plat::DialogTemplate t(WS_POPUP | WS_VISIBLE, 0, 0, 160, 80, "", "MS Shell Dlg", 8);
  t.add("", 0x80, kTab | BS_AUTOCHECKBOX, 5, 5, 60, 10, 1, "Check");
  t.add("", 0x80, kTab | BS_DEFPUSHBUTTON, 5, 20, 40, 14, 2, "Def");
  t.add("", 0x80, kTab | BS_PUSHBUTTON, 50, 20, 40, 14, 3, "Plain");
  t.add("", 0x82, WS_CHILD | WS_VISIBLE, 5, 40, 60, 10, 4, "Grey text");
  HWND dlg = dialog_with(t);
  HWND check = GetDlgItem(dlg, 1), def = GetDlgItem(dlg, 2), plain = GetDlgItem(dlg, 3);
  HWND label = GetDlgItem(dlg, 4);
  SetFocus(plain);
  SetFocus(check);
  UpdateWindow(dlg);
  const COLORREF black = 0;
  const int unchecked = pixels(check, black);
  SendMessageA(check, BM_SETCHECK, BST_CHECKED, 0);
  UpdateWindow(dlg);
  EXPECT_GT(pixels(check, black), unchecked + 10);  // the tick's strokes
  // The default button has a one-pixel black frame; a plain one starts
  // with the white highlight.
  EXPECT_EQ(plat::window_pixel(def, 0, 0), black);
  EXPECT_EQ(plat::window_pixel(def, 20, 0), black);
  EXPECT_EQ(plat::window_pixel(plain, 0, 0), GetSysColor(COLOR_BTNHIGHLIGHT));
  // The focus rectangle: dotted black pixels three in from the border.
  SetFocus(plain);
  UpdateWindow(dlg);
  RECT r;
  GetClientRect(plain, &r);
  int dots = 0;
  for (int x = 5; x < r.right - 5; ++x) dots += plat::window_pixel(plain, x, 4) == black ? 1 : 0;
  EXPECT_GT(dots, (r.right - 10) / 3);
  EXPECT_EQ(plat::window_pixel(plain, 0, 0), black);  // focused: the default now
  // Disabled text is grey (with its white shadow) and has no black left.
  EXPECT_GT(pixels(label, black), 0);
  EnableWindow(label, FALSE);
  UpdateWindow(dlg);
  EXPECT_EQ(pixels(label, black), 0);
  EXPECT_GT(pixels(label, GetSysColor(COLOR_GRAYTEXT)), 0);
}

TEST_F(EditFields, TypingSelectingAndEditingKeysWithChangeNotifications) {
  plat::DialogTemplate t(WS_POPUP | WS_VISIBLE, 0, 0, 120, 40, "", "MS Shell Dlg", 8);
  t.add("", 0x81, kTab | WS_BORDER | ES_AUTOHSCROLL, 5, 5, 100, 12, 7, "");
  HWND dlg = dialog_with(t);
  HWND e = GetDlgItem(dlg, 7);
  EXPECT_EQ(GetFocus(), e);
  type("hello world");
  pump(dlg);
  EXPECT_EQ(text(e), "hello world");
  EXPECT_EQ(count(7, EN_CHANGE), 11);
  key(VK_BACK);
  key(VK_HOME);
  with(VK_CONTROL, VK_RIGHT);  // to the start of "worl"
  with(VK_SHIFT, VK_END);
  pump(dlg);
  DWORD a = 0, b = 0;
  SendMessageA(e, EM_GETSEL, reinterpret_cast<WPARAM>(&a), reinterpret_cast<LPARAM>(&b));
  EXPECT_EQ(a, 6u);
  EXPECT_EQ(b, 10u);
  type("X");
  pump(dlg);
  EXPECT_EQ(text(e), "hello X");
  key(VK_LEFT);
  key(VK_DELETE);
  pump(dlg);
  EXPECT_EQ(text(e), "hello ");
  SendMessageA(e, EM_SETSEL, 0, -1);
  SendMessageA(e, EM_REPLACESEL, 0, reinterpret_cast<LPARAM>("new"));
  EXPECT_EQ(text(e), "new");
  SetWindowTextA(e, "reset");
  SendMessageA(e, EM_GETSEL, reinterpret_cast<WPARAM>(&a), reinterpret_cast<LPARAM>(&b));
  EXPECT_EQ(a + b, 0u);
}

TEST_F(EditFields, CutCopyAndPasteThroughTheClipboard) {
  plat::DialogTemplate t(WS_POPUP | WS_VISIBLE, 0, 0, 120, 60, "", "MS Shell Dlg", 8);
  t.add("", 0x81, kTab | ES_AUTOHSCROLL, 5, 5, 100, 12, 7, "abc def");
  t.add("", 0x81, kTab | ES_READONLY | ES_AUTOHSCROLL, 5, 20, 100, 12, 8, "fixed");
  HWND dlg = dialog_with(t);
  HWND e = GetDlgItem(dlg, 7), ro = GetDlgItem(dlg, 8);
  SendMessageA(e, EM_SETSEL, 4, 7);
  with(VK_CONTROL, 'C');
  pump(dlg);
  EXPECT_EQ(clip(), "def");
  with(VK_CONTROL, 'X');
  pump(dlg);
  EXPECT_EQ(text(e), "abc ");
  with(VK_CONTROL, 'V');
  with(VK_CONTROL, 'V');
  pump(dlg);
  EXPECT_EQ(text(e), "abc defdef");
  // A single-line field pastes the first line only.
  plat::set_clipboard_text("one\r\ntwo");
  with(VK_CONTROL, 'A');
  pump(dlg);
  with(VK_CONTROL, 'V');
  pump(dlg);
  EXPECT_EQ(text(e), "one");
  // A read-only field copies but takes nothing.
  SetFocus(ro);
  with(VK_CONTROL, 'A');
  pump(dlg);
  with(VK_CONTROL, 'C');
  type("zz");
  with(VK_CONTROL, 'V');
  pump(dlg);
  EXPECT_EQ(text(ro), "fixed");
  EXPECT_EQ(clip(), "fixed");
  EXPECT_FALSE(OpenClipboard(nullptr) && OpenClipboard(nullptr));  // open once at a time
  CloseClipboard();
}

TEST_F(EditFields, MultiLineLinesReturnTabAndTheMouse) {
  plat::DialogTemplate t(WS_POPUP | WS_VISIBLE, 0, 0, 150, 90, "", "MS Shell Dlg", 8);
  t.add("", 0x81, kTab | ES_MULTILINE | ES_WANTRETURN | ES_AUTOHSCROLL, 5, 5, 120, 40, 7, "");
  t.add("", 0x81, kTab | ES_MULTILINE | ES_AUTOHSCROLL, 5, 50, 120, 12, 8, "");
  t.add("", 0x80, kTab | BS_DEFPUSHBUTTON, 5, 70, 40, 14, 9, "Go");
  HWND dlg = dialog_with(t);
  HWND e = GetDlgItem(dlg, 7);
  type("ab");
  key(VK_RETURN);
  type("cd");
  pump(dlg);
  EXPECT_EQ(text(e), "ab\r\ncd");
  EXPECT_EQ(SendMessageA(e, EM_GETLINECOUNT, 0, 0), 2);
  key(VK_UP);
  key(VK_END);
  pump(dlg);
  DWORD a = 0, b = 0;
  SendMessageA(e, EM_GETSEL, reinterpret_cast<WPARAM>(&a), reinterpret_cast<LPARAM>(&b));
  EXPECT_EQ(a, 2u);
  key(VK_DELETE);  // the line end goes whole
  pump(dlg);
  EXPECT_EQ(text(e), "abcd");
  // A click puts the caret before the nearest character; a drag selects.
  drag(dlg, e, 2, 3, 400, 3);
  SendMessageA(e, EM_GETSEL, reinterpret_cast<WPARAM>(&a), reinterpret_cast<LPARAM>(&b));
  EXPECT_EQ(a, 0u);
  EXPECT_EQ(b, 4u);
  // Tab leaves a multi-line field; without ES_WANTRETURN Enter presses the
  // default button.
  key(VK_TAB);
  pump(dlg);
  EXPECT_EQ(GetDlgCtrlID(GetFocus()), 8);
  key(VK_RETURN);
  pump(dlg);
  EXPECT_EQ(count(9, BN_CLICKED), 1);
  EXPECT_EQ(text(GetDlgItem(dlg, 8)), "");
  // Ctrl+Enter breaks the line there and presses no button.
  with(VK_CONTROL, VK_RETURN);
  pump(dlg);
  EXPECT_EQ(text(GetDlgItem(dlg, 8)), "\r\n");
  EXPECT_EQ(count(9, BN_CLICKED), 1);
  // The caret shows in the focused field, one line high.
  HWND cw = nullptr;
  RECT cr;
  ASSERT_TRUE(plat::caret_rect(&cw, &cr));
  EXPECT_EQ(cw, GetDlgItem(dlg, 8));
  EXPECT_EQ(cr.right - cr.left, 1);
}
