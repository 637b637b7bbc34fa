// List boxes, combo boxes and scroll bars: messages, keys, clicks and the
// notifications they send.
#include "platform/backend.h"
#include "platform/win_gdi.h"
#include "platform/win_message_keys.h"
#include "win_dialog_testing.h"

using namespace win;
using namespace dlgtest;

namespace {

using ListBoxes = DialogTest;
using ComboBoxes = DialogTest;
using ScrollBars = DialogTest;

constexpr DWORD kTab = WS_CHILD | WS_VISIBLE | WS_TABSTOP;

std::vector<std::pair<int, int>> notes;
std::vector<std::pair<WPARAM, LPARAM>> scrolls;

INT_PTR noting_proc(HWND, UINT m, WPARAM wp, LPARAM lp) {
  if (m == WM_INITDIALOG) return TRUE;
  if (m == WM_COMMAND) notes.emplace_back(LOWORD(wp), HIWORD(wp));
  if (m == WM_VSCROLL || m == WM_HSCROLL) scrolls.emplace_back(wp, lp);
  return FALSE;
}

HWND one_control(const char* cls, WORD atom, DWORD style, int cy = 60, int cx = 80) {
  static plat::DialogTemplate* keep = nullptr;
  delete keep;
  keep = new plat::DialogTemplate(WS_POPUP | WS_VISIBLE, 0, 0, 160, 140, "", "MS Shell Dlg", 8);
  keep->add(cls, atom, style, 5, 5, cx, cy, 10, "");
  keep->add("", 0x80, kTab | BS_DEFPUSHBUTTON, 100, 120, 40, 14, IDOK, "OK");
  notes.clear();
  scrolls.clear();
  HWND dlg = CreateDialogIndirectParamA(nullptr, keep->get(), nullptr, noting_proc, 0);
  EXPECT_NE(dlg, nullptr);
  return GetDlgItem(dlg, 10);
}

void add(HWND h, UINT msg, std::initializer_list<const char*> items) {
  for (const char* s : items) SendMessageA(h, msg, 0, reinterpret_cast<LPARAM>(s));
}

int count(int code) {
  return static_cast<int>(std::count(notes.begin(), notes.end(), std::pair<int, int>{10, code}));
}

std::vector<int> selected(HWND lb) {
  int buf[64];
  const auto n = SendMessageA(lb, LB_GETSELITEMS, 64, reinterpret_cast<LPARAM>(buf));
  return std::vector<int>(buf, buf + std::max<LRESULT>(n, 0));
}

// Height of one entry of a control's font.
int row(HWND h) {
  HDC dc = GetDC(h);
  SelectObject(dc, reinterpret_cast<HFONT>(SendMessageA(h, WM_GETFONT, 0, 0)));
  TEXTMETRICA tm;
  GetTextMetricsA(dc, &tm);
  ReleaseDC(h, dc);
  return tm.tmHeight;
}

void click(HWND h, int x, int y, bool twice = false) {
  HWND dlg = GetParent(h);
  mouse(dlg, h, x, y, 1);
  mouse(dlg, h, x, y, -1);
  if (twice) {
    mouse(dlg, h, x, y, 1);
    mouse(dlg, h, x, y, -1);
  }
}

}  // namespace

TEST_F(ListBoxes, SingleSelectionByMessagesKeysAndClicks) {
  HWND lb = one_control("", 0x83, kTab | WS_BORDER | WS_VSCROLL | LBS_NOTIFY);
  HWND dlg = GetParent(lb);
  add(lb, LB_ADDSTRING, {"apple", "banana", "cherry", "avocado"});
  EXPECT_EQ(SendMessageA(lb, LB_GETCOUNT, 0, 0), 4);
  EXPECT_EQ(SendMessageA(lb, LB_GETCURSEL, 0, 0), LB_ERR);
  EXPECT_EQ(SendMessageA(lb, LB_SETCURSEL, 2, 0), 2);
  EXPECT_EQ(SendMessageA(lb, LB_GETSEL, 2, 0), 1);
  EXPECT_EQ(SendMessageA(lb, LB_SETCURSEL, static_cast<WPARAM>(-1), 0), LB_ERR);
  EXPECT_EQ(SendMessageA(lb, LB_GETCURSEL, 0, 0), LB_ERR);
  EXPECT_EQ(SendMessageA(lb, LB_SETSEL, TRUE, 1), LB_ERR);  // not for a single selection
  SendMessageA(lb, LB_SETITEMDATA, 3, 77);
  EXPECT_EQ(SendMessageA(lb, LB_GETITEMDATA, 3, 0), 77);
  EXPECT_EQ(SendMessageA(lb, LB_GETITEMDATA, 4, 0), LB_ERR);
  char buf[32];
  EXPECT_EQ(SendMessageA(lb, LB_GETTEXT, 1, reinterpret_cast<LPARAM>(buf)), 6);
  EXPECT_STREQ(buf, "banana");
  EXPECT_EQ(SendMessageA(lb, LB_GETTEXTLEN, 9, 0), LB_ERR);
  notes.clear();
  SetFocus(lb);
  key(VK_DOWN);  // nothing selected: the focus entry is
  pump(dlg);
  EXPECT_EQ(SendMessageA(lb, LB_GETCURSEL, 0, 0), 2);
  key(VK_END);
  pump(dlg);
  EXPECT_EQ(SendMessageA(lb, LB_GETCURSEL, 0, 0), 3);
  key(VK_DOWN);  // at the end: no change, no notification
  pump(dlg);
  EXPECT_EQ(count(LBN_SELCHANGE), 2);
  key('A', 'a');  // the next entry starting with "a" wraps to "apple"
  pump(dlg);
  EXPECT_EQ(SendMessageA(lb, LB_GETCURSEL, 0, 0), 0);
  const int h = row(lb);
  click(lb, 10, h + h / 2, true);
  EXPECT_EQ(SendMessageA(lb, LB_GETCURSEL, 0, 0), 1);
  EXPECT_EQ(count(LBN_DBLCLK), 1);
  click(lb, 10, 10 * h);  // below the last entry: nothing
  EXPECT_EQ(SendMessageA(lb, LB_GETCURSEL, 0, 0), 1);
}

TEST_F(ListBoxes, MultipleAndExtendedSelection) {
  HWND lb = one_control("", 0x83, kTab | WS_BORDER | LBS_MULTIPLESEL | LBS_NOTIFY);
  HWND dlg = GetParent(lb);
  add(lb, LB_ADDSTRING, {"a", "b", "c", "d", "e"});
  const int h = row(lb);
  click(lb, 5, h / 2);
  click(lb, 5, 2 * h + h / 2);
  EXPECT_EQ(selected(lb), (std::vector<int>{0, 2}));
  click(lb, 5, h / 2);  // a click toggles
  EXPECT_EQ(selected(lb), (std::vector<int>{2}));
  key(VK_DOWN);  // the focus moves from the last click, the selection stays
  pump(dlg);
  key(VK_SPACE);
  pump(dlg);
  EXPECT_EQ(selected(lb), (std::vector<int>{1, 2}));
  EXPECT_EQ(SendMessageA(lb, LB_GETSELCOUNT, 0, 0), 2);
  int first = -1;
  EXPECT_EQ(SendMessageA(lb, LB_GETSELITEMS, 1, reinterpret_cast<LPARAM>(&first)), 1);
  EXPECT_EQ(first, 1);
  SendMessageA(lb, LB_SETSEL, TRUE, -1);
  EXPECT_EQ(SendMessageA(lb, LB_GETSELCOUNT, 0, 0), 5);

  lb = one_control("", 0x83, kTab | WS_BORDER | LBS_EXTENDEDSEL | LBS_NOTIFY);
  dlg = GetParent(lb);
  add(lb, LB_ADDSTRING, {"a", "b", "c", "d", "e"});
  click(lb, 5, h + 1);
  EXPECT_EQ(selected(lb), (std::vector<int>{1}));
  plat::set_key_state(VK_SHIFT, true);
  click(lb, 5, 3 * h + 1);
  plat::set_key_state(VK_SHIFT, false);
  EXPECT_EQ(selected(lb), (std::vector<int>{1, 2, 3}));
  plat::set_key_state(VK_CONTROL, true);
  click(lb, 5, 2 * h + 1);
  plat::set_key_state(VK_CONTROL, false);
  EXPECT_EQ(selected(lb), (std::vector<int>{1, 3}));
  click(lb, 5, 1);  // a plain click selects that one alone
  with(VK_SHIFT, VK_DOWN);
  pump(dlg);
  EXPECT_EQ(selected(lb), (std::vector<int>{0, 1}));
}

TEST_F(ListBoxes, ScrollingAndColumns) {
  HWND lb = one_control("", 0x83, kTab | WS_BORDER | WS_VSCROLL, 40);
  HWND dlg = GetParent(lb);
  EXPECT_EQ(GetWindowLongA(lb, GWL_STYLE) & WS_VSCROLL, 0);  // nothing to scroll yet
  for (int i = 0; i < 20; ++i) add(lb, LB_ADDSTRING, {"entry"});
  EXPECT_NE(GetWindowLongA(lb, GWL_STYLE) & WS_VSCROLL, 0);
  RECT c;
  GetClientRect(lb, &c);
  const int rows = c.bottom / row(lb);
  SetFocus(lb);
  key(VK_END);
  pump(dlg);
  EXPECT_EQ(SendMessageA(lb, LB_GETTOPINDEX, 0, 0), 20 - rows);
  EXPECT_EQ(GetScrollPos(lb, SB_VERT), 20 - rows);
  SendMessageA(lb, WM_VSCROLL, SB_TOP, 0);
  EXPECT_EQ(SendMessageA(lb, LB_GETTOPINDEX, 0, 0), 0);

  lb = one_control("", 0x83, kTab | WS_BORDER | WS_HSCROLL | LBS_MULTICOLUMN, 40, 120);
  dlg = GetParent(lb);
  for (int i = 0; i < 9; ++i) add(lb, LB_ADDSTRING, {"x"});
  SendMessageA(lb, LB_SETCOLUMNWIDTH, 30, 0);
  GetClientRect(lb, &c);
  const int r = c.bottom / row(lb);
  click(lb, 35, 1);  // the second column's first entry
  EXPECT_EQ(SendMessageA(lb, LB_GETCURSEL, 0, 0), r);
  key(VK_LEFT);  // a column back
  pump(dlg);
  EXPECT_EQ(SendMessageA(lb, LB_GETCURSEL, 0, 0), 0);
}

TEST_F(ComboBoxes, FieldListAndSelectionMessages) {
  HWND cb = one_control("", 0x85, kTab | WS_VSCROLL | CBS_DROPDOWN, 60);
  add(cb, CB_ADDSTRING, {"Red", "Green", "Blue", "Grey"});
  RECT r;
  GetWindowRect(cb, &r);
  EXPECT_LT(r.bottom - r.top, 30);  // the field only; the list drops below
  EXPECT_EQ(SendMessageA(cb, CB_GETCURSEL, 0, 0), CB_ERR);
  EXPECT_EQ(SendMessageA(cb, CB_SETCURSEL, 2, 0), 2);
  EXPECT_EQ(text(cb), "Blue");
  EXPECT_EQ(
      SendMessageA(cb, CB_SELECTSTRING, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>("gr")),
      1);
  EXPECT_EQ(SendMessageA(cb, CB_SELECTSTRING, 1, reinterpret_cast<LPARAM>("gr")), 3);
  EXPECT_EQ(SendMessageA(cb, CB_SELECTSTRING, 0, reinterpret_cast<LPARAM>("x")), CB_ERR);
  EXPECT_EQ(text(cb), "Grey");
  EXPECT_EQ(SendMessageA(cb, CB_SETCURSEL, 9, 0), CB_ERR);
  EXPECT_EQ(text(cb), "");
  SendMessageA(cb, CB_SETITEMDATA, 1, 5);
  EXPECT_EQ(SendMessageA(cb, CB_GETITEMDATA, 1, 0), 5);
  SendMessageA(cb, CB_RESETCONTENT, 0, 0);
  EXPECT_EQ(SendMessageA(cb, CB_GETCOUNT, 0, 0), 0);
}

TEST_F(ComboBoxes, KeysTypingAndTheDropDownList) {
  HWND cb = one_control("", 0x85, kTab | WS_VSCROLL | CBS_DROPDOWN, 60);
  HWND dlg = GetParent(cb);
  add(cb, CB_ADDSTRING, {"Red", "Green", "Blue"});
  SetFocus(cb);  // the field takes it
  EXPECT_EQ(GetParent(GetFocus()), cb);
  type("Te");
  pump(dlg);
  EXPECT_EQ(text(cb), "Te");
  EXPECT_EQ(count(CBN_EDITCHANGE), 2);
  key(VK_DOWN);
  pump(dlg);
  EXPECT_EQ(text(cb), "Red");
  EXPECT_EQ(count(CBN_SELCHANGE), 1);
  // F4 drops the list; Down moves in it; Escape puts the choice back.
  key(VK_F4);
  pump(dlg);
  EXPECT_EQ(SendMessageA(cb, CB_GETDROPPEDSTATE, 0, 0), TRUE);
  key(VK_DOWN);
  pump(dlg);
  key(VK_ESCAPE);
  pump(dlg);
  EXPECT_EQ(SendMessageA(cb, CB_GETDROPPEDSTATE, 0, 0), FALSE);
  EXPECT_EQ(SendMessageA(cb, CB_GETCURSEL, 0, 0), 0);
  EXPECT_TRUE(IsWindow(dlg));  // Escape closed the list, not the dialog
  // Alt+Down, Down, Enter chooses; Enter again is the dialog's.
  with(VK_MENU, VK_DOWN);
  pump(dlg);
  key(VK_DOWN);
  pump(dlg);
  key(VK_RETURN);
  pump(dlg);
  EXPECT_EQ(text(cb), "Green");
  EXPECT_EQ(SendMessageA(cb, CB_GETDROPPEDSTATE, 0, 0), FALSE);
  key(VK_RETURN);
  pump(dlg);
  EXPECT_EQ(std::count(notes.begin(), notes.end(), std::pair<int, int>{IDOK, BN_CLICKED}), 1);
}

TEST_F(ComboBoxes, TheMouseDropsChoosesAndCancels) {
  HWND cb = one_control("", 0x85, kTab | WS_VSCROLL | CBS_DROPDOWNLIST, 60);
  HWND dlg = GetParent(cb);
  add(cb, CB_ADDSTRING, {"one", "two", "three"});
  RECT c;
  GetClientRect(cb, &c);
  click(cb, c.right - 5, 5);
  EXPECT_EQ(SendMessageA(cb, CB_GETDROPPEDSTATE, 0, 0), TRUE);
  // The list lies below the field; its second entry is chosen.
  RECT r;
  GetWindowRect(cb, &r);
  const int h = row(cb);
  POINT p{r.left + 10, r.bottom + 1 + h + h / 2};
  plat::input_mouse_move(p.x, p.y);
  pump(dlg);
  plat::input_mouse_button(0, true, p.x, p.y);
  pump(dlg);
  plat::input_mouse_button(0, false, p.x, p.y);
  pump(dlg);
  EXPECT_EQ(SendMessageA(cb, CB_GETDROPPEDSTATE, 0, 0), FALSE);
  EXPECT_EQ(text(cb), "two");
  EXPECT_EQ(count(CBN_SELCHANGE), 1);
  // Dropped again, a click elsewhere closes it and keeps the choice.
  click(cb, c.right - 5, 5);
  plat::input_mouse_button(0, true, r.left + 300, r.top);
  pump(dlg);
  EXPECT_EQ(SendMessageA(cb, CB_GETDROPPEDSTATE, 0, 0), FALSE);
  EXPECT_EQ(text(cb), "two");
  key('T', 't');  // a list-only box jumps by first letter
  pump(dlg);
  EXPECT_EQ(text(cb), "three");
}

TEST_F(ScrollBars, AWindowsOwnBarsShowByRangeAndTellClicksAndDrags) {
  HWND w = wintest::make_top(50, 50, 200, 200);
  SetScrollRange(w, SB_VERT, 0, 0, TRUE);
  EXPECT_EQ(GetWindowLongA(w, GWL_STYLE) & WS_VSCROLL, 0);
  SetScrollRange(w, SB_VERT, 0, 50, TRUE);
  EXPECT_NE(GetWindowLongA(w, GWL_STYLE) & WS_VSCROLL, 0);
  EXPECT_EQ(SetScrollPos(w, SB_VERT, 80, TRUE), 0);
  EXPECT_EQ(GetScrollPos(w, SB_VERT), 50);  // kept in the range
  SetScrollPos(w, SB_VERT, 0, TRUE);
  int lo = -1, hi = -1;
  GetScrollRange(w, SB_VERT, &lo, &hi);
  EXPECT_EQ(hi, 50);
  RECT cr;
  GetClientRect(w, &cr);
  POINT o{0, 0};
  ClientToScreen(w, &o);
  const int x = o.x + cr.right + 8;  // in the bar
  wintest::seen.clear();
  plat::input_mouse_button(0, true, x, o.y + cr.bottom - 5);  // the down arrow
  plat::input_mouse_button(0, false, x, o.y + cr.bottom - 5);
  wintest::pump();
  std::vector<WPARAM> codes;
  for (const auto& s : wintest::seen)
    if (s.msg == WM_VSCROLL) codes.push_back(s.wp);
  EXPECT_EQ(codes, (std::vector<WPARAM>{SB_LINEDOWN, SB_ENDSCROLL}));
  // The thumb at the top, dragged to the bottom: tracking positions, then
  // the final one.
  wintest::seen.clear();
  plat::input_mouse_button(0, true, x, o.y + 17 + 5);
  later([&] {  // inside the bar's tracking loop
    plat::input_mouse_move(x, o.y + cr.bottom);
    plat::input_mouse_button(0, false, x, o.y + cr.bottom);
  });
  wintest::pump();
  codes.clear();
  for (const auto& s : wintest::seen)
    if (s.msg == WM_VSCROLL) codes.push_back(s.wp);
  EXPECT_EQ(codes, (std::vector<WPARAM>{MAKEWPARAM(SB_THUMBTRACK, 50),
                                        MAKEWPARAM(SB_THUMBPOSITION, 50), SB_ENDSCROLL}));
}

TEST_F(ScrollBars, AControlTellsItsParentAndTakesKeys) {
  HWND sb = one_control("", 0x84, kTab | SBS_VERT, 60, 10);
  HWND dlg = GetParent(sb);
  SetScrollRange(sb, SB_CTL, 0, 10, FALSE);
  EXPECT_EQ(SendMessageA(sb, SBM_SETPOS, 4, TRUE), 0);
  EXPECT_EQ(SendMessageA(sb, SBM_GETPOS, 0, 0), 4);
  SetFocus(sb);
  key(VK_NEXT);
  pump(dlg);
  ASSERT_EQ(scrolls.size(), 2u);
  EXPECT_EQ(scrolls[0], (std::pair<WPARAM, LPARAM>{SB_PAGEDOWN, reinterpret_cast<LPARAM>(sb)}));
  EXPECT_EQ(scrolls[1].first, SB_ENDSCROLL);
  scrolls.clear();
  RECT c;
  GetClientRect(sb, &c);
  click(sb, 3, 3);  // the up arrow
  EXPECT_EQ(scrolls.front().first, SB_LINEUP);
  EXPECT_EQ(GetScrollPos(sb, SB_CTL), 4);  // the program moves it, not the bar
}
