// The common controls: the spinner with its buddy, the track bar, the
// progress bar, and the toolbar with its standard images and tooltips.
#include "platform/win_commctrl.h"

#include <set>

#include "platform/backend.h"
#include "platform/clocks.h"
#include "platform/win_gdi.h"
#include "platform/win_message_keys.h"
#include "win_dialog_testing.h"

using namespace win;
using namespace dlgtest;

namespace {

using Spinners = DialogTest;
using TrackAndProgressBars = DialogTest;
using Toolbars = DialogTest;

constexpr DWORD kTab = WS_CHILD | WS_VISIBLE | WS_TABSTOP;

std::vector<std::pair<WPARAM, LPARAM>> scrolls;
std::vector<NMUPDOWN> deltas;
bool refuse = false;

INT_PTR recording_proc(HWND h, UINT m, WPARAM wp, LPARAM lp) {
  if (m == WM_INITDIALOG) return TRUE;
  if (m == WM_VSCROLL || m == WM_HSCROLL) scrolls.emplace_back(wp, lp);
  if (m == WM_NOTIFY && reinterpret_cast<NMHDR*>(lp)->code == UDN_DELTAPOS) {
    deltas.push_back(*reinterpret_cast<NMUPDOWN*>(lp));
    SetWindowLongPtrA(h, DWLP_MSGRESULT, refuse ? 1 : 0);
    return TRUE;
  }
  return FALSE;
}

HWND dialog(plat::DialogTemplate& t) {
  scrolls.clear();
  deltas.clear();
  refuse = false;
  return CreateDialogIndirectParamA(nullptr, t.get(), nullptr, recording_proc, 0);
}

void click_at(HWND h, int x, int y) {
  mouse(GetParent(h), h, x, y, 1);
  mouse(GetParent(h), h, x, y, -1);
}

HWND toolbar(HWND parent, DWORD style = 0x50000101) {
  HWND tb = CreateWindowExA(0, TOOLBARCLASSNAMEA, "", style, 0, 0, 0, 0, parent,
                            reinterpret_cast<HMENU>(1333), nullptr, nullptr);
  SendMessageA(tb, TB_BUTTONSTRUCTSIZE, sizeof(TBBUTTON), 0);
  SendMessageA(tb, TB_SETBITMAPSIZE, 0, MAKELPARAM(16, 15));
  SendMessageA(tb, TB_SETBUTTONSIZE, 0, MAKELPARAM(24, 22));
  return tb;
}

TBBUTTON button(int image, int command, BYTE state = TBSTATE_ENABLED, BYTE style = TBSTYLE_BUTTON) {
  TBBUTTON b;
  b.iBitmap = image;
  b.idCommand = command;
  b.fsState = state;
  b.fsStyle = style;
  return b;
}

}  // namespace

TEST_F(Spinners, ABuddyMakesRoomStepsAreAskedAndKeptInTheRange) {
  plat::DialogTemplate t(WS_POPUP | WS_VISIBLE, 0, 0, 120, 40, "", "MS Shell Dlg", 8);
  t.add("", 0x81, kTab | ES_AUTOHSCROLL, 5, 5, 60, 12, 7, "0");
  HWND dlg = dialog(t);
  HWND edit = GetDlgItem(dlg, 7);
  RECT before, eb, ub;
  GetWindowRect(edit, &before);
  HWND ud =
      CreateUpDownControl(WS_CHILD | WS_VISIBLE | UDS_ALIGNRIGHT | UDS_ARROWKEYS | UDS_SETBUDDYINT,
                          0, 0, 14, 0, dlg, 0x4007, nullptr, edit, 3, 0, 2);
  ASSERT_NE(ud, nullptr);
  GetWindowRect(edit, &eb);
  GetWindowRect(ud, &ub);
  EXPECT_EQ(eb.right - eb.left, before.right - before.left - 14);
  EXPECT_EQ(ub.left, eb.right);
  EXPECT_EQ(ub.bottom - ub.top, eb.bottom - eb.top);
  EXPECT_EQ(SendMessageA(ud, UDM_GETRANGE, 0, 0), MAKELPARAM(3, 0));
  EXPECT_EQ(SendMessageA(ud, UDM_GETBUDDY, 0, 0), reinterpret_cast<LRESULT>(edit));
  click_at(ud, 3, 1);  // the upper half steps up
  ASSERT_EQ(deltas.size(), 1u);
  EXPECT_EQ(deltas[0].iPos, 2);
  EXPECT_EQ(deltas[0].iDelta, 1);
  EXPECT_EQ(deltas[0].hdr.idFrom, 0x4007u);
  EXPECT_EQ(LOWORD(SendMessageA(ud, UDM_GETPOS, 0, 0)), 3);
  EXPECT_EQ(text(edit), "3");
  EXPECT_EQ(scrolls.front(), (std::pair<WPARAM, LPARAM>{MAKEWPARAM(SB_THUMBPOSITION, 3),
                                                        reinterpret_cast<LPARAM>(ud)}));
  EXPECT_EQ(LOWORD(scrolls.back().first), SB_ENDSCROLL);
  // At the top: asked, but the position stays.
  click_at(ud, 3, 1);
  EXPECT_EQ(deltas.size(), 2u);
  EXPECT_EQ(LOWORD(SendMessageA(ud, UDM_GETPOS, 0, 0)), 3);
  // The parent may refuse a step; the buddy's Down key steps down.
  refuse = true;
  SetFocus(edit);
  key(VK_DOWN);
  pump(dlg);
  EXPECT_EQ(LOWORD(SendMessageA(ud, UDM_GETPOS, 0, 0)), 3);
  refuse = false;
  key(VK_DOWN);
  pump(dlg);
  EXPECT_EQ(LOWORD(SendMessageA(ud, UDM_GETPOS, 0, 0)), 2);
  EXPECT_EQ(deltas.back().iDelta, -1);
  // The classic default range runs downwards: up lowers the position.
  HWND plain = CreateWindowExA(0, UPDOWN_CLASSA, "", WS_CHILD | WS_VISIBLE | UDS_WRAP, 100, 5, 14,
                               20, dlg, reinterpret_cast<HMENU>(9), nullptr, nullptr);
  click_at(plain, 3, 1);
  EXPECT_EQ(deltas.back().iDelta, -1);
  EXPECT_EQ(LOWORD(SendMessageA(plain, UDM_GETPOS, 0, 0)), 100);  // wrapped from 0
}

TEST_F(TrackAndProgressBars, TrackBarKeysClicksAndDrags) {
  plat::DialogTemplate t(WS_POPUP | WS_VISIBLE, 0, 0, 160, 40, "", "MS Shell Dlg", 8);
  t.add(TRACKBAR_CLASSA, 0, kTab | TBS_AUTOTICKS, 5, 5, 120, 18, 7, "");
  HWND dlg = dialog(t);
  HWND tb = GetDlgItem(dlg, 7);
  SendMessageA(tb, TBM_SETRANGE, FALSE, MAKELPARAM(0, 10));
  SendMessageA(tb, TBM_SETPAGESIZE, 0, 3);
  SendMessageA(tb, TBM_SETPOS, TRUE, 12);
  EXPECT_EQ(SendMessageA(tb, TBM_GETPOS, 0, 0), 10);  // kept in the range
  SetFocus(tb);
  key(VK_HOME);
  pump(dlg);
  scrolls.clear();
  key(VK_RIGHT);
  pump(dlg);
  key(VK_NEXT);
  pump(dlg);
  EXPECT_EQ(SendMessageA(tb, TBM_GETPOS, 0, 0), 4);
  ASSERT_EQ(scrolls.size(), 4u);
  EXPECT_EQ(scrolls[0].first, TB_LINEDOWN);
  EXPECT_EQ(scrolls[1].first, TB_ENDTRACK);
  EXPECT_EQ(scrolls[2].first, TB_PAGEDOWN);
  // Dragging the thumb to the far end tells the positions, then the last.
  RECT c;
  GetClientRect(tb, &c);
  const int first = 8 + 5, last = c.right - 8 - 5 - 1;
  const int x = first + MulDiv(4, last - first, 10);
  scrolls.clear();
  mouse(dlg, tb, x, c.bottom / 2, 1);
  mouse(dlg, tb, c.right + 50, c.bottom / 2, 0);
  mouse(dlg, tb, c.right + 50, c.bottom / 2, -1);
  EXPECT_EQ(SendMessageA(tb, TBM_GETPOS, 0, 0), 10);
  ASSERT_EQ(scrolls.size(), 3u);
  EXPECT_EQ(scrolls[0].first, MAKEWPARAM(TB_THUMBTRACK, 10));
  EXPECT_EQ(scrolls[1].first, MAKEWPARAM(TB_THUMBPOSITION, 10));
  EXPECT_EQ(scrolls[2].first, TB_ENDTRACK);
  // A click left of the thumb goes a page back.
  click_at(tb, first, c.bottom / 2);
  EXPECT_EQ(SendMessageA(tb, TBM_GETPOS, 0, 0), 7);
}

TEST_F(TrackAndProgressBars, ProgressRangeStepsAndFill) {
  plat::DialogTemplate t(WS_POPUP | WS_VISIBLE, 0, 0, 160, 40, "", "MS Shell Dlg", 8);
  t.add(PROGRESS_CLASSA, 0, WS_CHILD | WS_VISIBLE, 5, 5, 120, 10, 7, "");
  HWND dlg = dialog(t);
  HWND pb = GetDlgItem(dlg, 7);
  EXPECT_EQ(SendMessageA(pb, PBM_SETRANGE, 0, MAKELPARAM(0, 50)), MAKELPARAM(0, 100));
  EXPECT_EQ(SendMessageA(pb, PBM_SETPOS, 60, 0), 0);
  EXPECT_EQ(SendMessageA(pb, PBM_SETPOS, 20, 0), 50);  // 60 was kept at 50
  EXPECT_EQ(SendMessageA(pb, PBM_SETSTEP, 20, 0), 10);
  EXPECT_EQ(SendMessageA(pb, PBM_STEPIT, 0, 0), 20);
  EXPECT_EQ(SendMessageA(pb, PBM_STEPIT, 0, 0), 40);
  EXPECT_EQ(SendMessageA(pb, PBM_SETPOS, 0, 0), 10);  // past the end it starts again
  auto lit = [&] {
    UpdateWindow(dlg);
    RECT c;
    GetClientRect(pb, &c);
    int n = 0;
    for (int x = 0; x < c.right; ++x)
      n += plat::window_pixel(pb, x, c.bottom / 2) == GetSysColor(COLOR_HIGHLIGHT) ? 1 : 0;
    return n;
  };
  EXPECT_EQ(lit(), 0);
  SendMessageA(pb, PBM_SETPOS, 25, 0);
  const int half = lit();
  SendMessageA(pb, PBM_SETPOS, 50, 0);
  const int full = lit();
  EXPECT_GT(half, 0);
  EXPECT_NEAR(2.0 * half / full, 1.0, 0.2);
}

TEST_F(Toolbars, StandardStripsHoldDistinctPicturesInEveryPlace) {
  HWND top = wintest::make_top(0, 0, 800, 100);
  HWND tb = toolbar(top);
  TBADDBITMAP std_strip{HINST_COMMCTRL, IDB_STD_SMALL_COLOR};
  TBADDBITMAP view_strip{HINST_COMMCTRL, IDB_VIEW_LARGE_COLOR};
  EXPECT_EQ(SendMessageA(tb, TB_ADDBITMAP, 15, reinterpret_cast<LPARAM>(&std_strip)), 0);
  EXPECT_EQ(SendMessageA(tb, TB_ADDBITMAP, 12, reinterpret_cast<LPARAM>(&view_strip)), 15);
  TBADDBITMAP unknown{HINST_COMMCTRL, 2};
  EXPECT_EQ(SendMessageA(tb, TB_ADDBITMAP, 1, reinterpret_cast<LPARAM>(&unknown)), -1);
  std::vector<TBBUTTON> bs;
  for (int i = 0; i < 27; ++i) bs.push_back(button(i, 100 + i));
  SendMessageA(tb, TB_ADDBUTTONSA, bs.size(), reinterpret_cast<LPARAM>(bs.data()));
  SendMessageA(tb, TB_AUTOSIZE, 0, 0);
  UpdateWindow(top);
  // Every image is drawn, and no two images of a strip are alike.
  std::set<std::string> pictures;
  for (int i = 0; i < 27; ++i) {
    RECT r;
    ASSERT_TRUE(
        SendMessageA(tb, TB_GETITEMRECT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&r)));
    std::string pic;
    int ink = 0;
    for (int y = r.top + 4; y < r.top + 19; ++y)
      for (int x = r.left + 4; x < r.left + 20; ++x) {
        const auto c = plat::window_pixel(tb, x, y);
        ink += c != GetSysColor(COLOR_BTNFACE) ? 1 : 0;
        pic += std::to_string(c) + ",";
      }
    EXPECT_GT(ink, 20) << "image " << i;
    pictures.insert(pic);
  }
  EXPECT_EQ(pictures.size(), 27u);
}

TEST_F(Toolbars, LayoutClicksStatesAndSize) {
  HWND top = wintest::make_top(0, 0, 400, 200);
  HWND tb = toolbar(top);
  TBADDBITMAP strip{HINST_COMMCTRL, IDB_STD_SMALL_COLOR};
  SendMessageA(tb, TB_ADDBITMAP, 15, reinterpret_cast<LPARAM>(&strip));
  TBBUTTON bs[] = {button(0, 10), button(0, 0, 0, TBSTYLE_SEP), button(1, 11, 0),
                   button(2, 12, TBSTATE_ENABLED, TBSTYLE_CHECK)};
  SendMessageA(tb, TB_ADDBUTTONSA, 4, reinterpret_cast<LPARAM>(bs));
  SendMessageA(tb, TB_AUTOSIZE, 0, 0);
  RECT r, c;
  GetWindowRect(tb, &r);
  GetClientRect(top, &c);
  EXPECT_EQ(r.right - r.left, c.right);
  EXPECT_EQ(r.bottom - r.top, 28);
  RECT b2;
  SendMessageA(tb, TB_GETITEMRECT, 2, reinterpret_cast<LPARAM>(&b2));
  EXPECT_EQ(b2.left, 24 + 8);
  EXPECT_EQ(b2.right - b2.left, 24);
  EXPECT_EQ(b2.bottom - b2.top, 22);
  wintest::seen.clear();
  plat::inject_click(tb, 5, 10);
  plat::inject_click(tb, b2.left + 5, 10);  // disabled: nothing
  wintest::pump();
  std::vector<WPARAM> cmds;
  for (const auto& s : wintest::seen)
    if (s.msg == WM_COMMAND) cmds.push_back(s.wp);
  EXPECT_EQ(cmds, (std::vector<WPARAM>{10}));
  EXPECT_TRUE(SendMessageA(tb, TB_ENABLEBUTTON, 11, TRUE));
  EXPECT_TRUE(SendMessageA(tb, TB_ISBUTTONENABLED, 11, 0));
  EXPECT_FALSE(SendMessageA(tb, TB_ENABLEBUTTON, 99, TRUE));
  RECT b3;
  SendMessageA(tb, TB_GETITEMRECT, 3, reinterpret_cast<LPARAM>(&b3));
  plat::inject_click(tb, b3.left + 5, 10);  // a check button toggles
  wintest::pump();
  EXPECT_TRUE(SendMessageA(tb, TB_ISBUTTONCHECKED, 12, 0));
  SendMessageA(tb, TB_CHECKBUTTON, 12, FALSE);
  EXPECT_FALSE(SendMessageA(tb, TB_ISBUTTONCHECKED, 12, 0));
  EXPECT_EQ(SendMessageA(tb, TB_BUTTONCOUNT, 0, 0), 4);
}

TEST_F(Toolbars, ATooltipAsksItsTextAfterTheMouseRestsAndGoesWhenItLeaves) {
  plat::set_virtual_clock(plat::LocalDateTime());
  HWND top = wintest::make_top(0, 0, 400, 200);
  HWND tb = toolbar(top);
  TBADDBITMAP strip{HINST_COMMCTRL, IDB_STD_SMALL_COLOR};
  SendMessageA(tb, TB_ADDBITMAP, 15, reinterpret_cast<LPARAM>(&strip));
  TBBUTTON bs[] = {button(0, 10), button(1, 11)};
  SendMessageA(tb, TB_ADDBUTTONSA, 2, reinterpret_cast<LPARAM>(bs));
  SendMessageA(tb, TB_AUTOSIZE, 0, 0);
  std::vector<UINT_PTR> asked;
  wintest::react = [&](HWND, UINT m, WPARAM, LPARAM lp, LRESULT& r) {
    if (m != WM_NOTIFY) return false;
    auto* info = reinterpret_cast<NMTTDISPINFOA*>(lp);
    if (info->hdr.code != TTN_NEEDTEXT) return false;
    asked.push_back(info->hdr.idFrom);
    static char text[] = "Paste it";
    info->lpszText = text;
    r = 0;
    return true;
  };
  POINT p{24 + 5, 10};
  ClientToScreen(tb, &p);
  plat::input_mouse_move(p.x, p.y);
  wintest::pump();
  EXPECT_TRUE(asked.empty());  // not before the mouse rested
  plat::advance_virtual_clock(600);
  wintest::pump();
  EXPECT_EQ(asked, (std::vector<UINT_PTR>{11}));
  HWND tip = nullptr;
  for (HWND h = GetWindow(GetDesktopWindow(), GW_CHILD); h != nullptr;
       h = GetWindow(h, GW_HWNDNEXT)) {
    char cls[32];
    GetClassNameA(h, cls, sizeof cls);
    if (std::string(cls) == TOOLTIPS_CLASSA) tip = h;
  }
  ASSERT_NE(tip, nullptr);
  EXPECT_TRUE(IsWindowVisible(tip));
  EXPECT_EQ(text(tip), "Paste it");
  plat::input_mouse_move(p.x, p.y + 100);  // off the toolbar
  wintest::pump();
  EXPECT_FALSE(IsWindowVisible(tip));
}
