// Pictures from the resource table, the cursor a window sets, global
// memory and the clipboard, colours a parent gives its controls, and a
// modal dialog of every control kind driven by keys alone.
#include "platform/win_resources.h"

#include <cstring>

#include "platform/backend.h"
#include "platform/win_clipboard.h"
#include "platform/win_commctrl.h"
#include "platform/win_gdi.h"
#include "platform/win_last_error.h"
#include "platform/win_message_keys.h"
#include "win_dialog_testing.h"

using namespace win;
using namespace dlgtest;

namespace {

using Pictures = DialogTest;
using Clipboard = DialogTest;
using ModalForms = DialogTest;

HINSTANCE program() { return reinterpret_cast<HINSTANCE>(static_cast<std::uintptr_t>(0x400000)); }

}  // namespace

TEST_F(Pictures, SystemAndProgramPicturesByNumberAndName) {
  HICON hand = LoadIconA(nullptr, IDI_HAND);
  ASSERT_NE(hand, nullptr);
  EXPECT_EQ(LoadIconA(nullptr, IDI_HAND), hand);  // the same picture, the same handle
  EXPECT_NE(LoadIconA(nullptr, IDI_QUESTION), hand);
  SetLastError(0);
  EXPECT_EQ(LoadIconA(nullptr, MAKEINTRESOURCEA(1)), nullptr);
  EXPECT_EQ(GetLastError(), ERROR_RESOURCE_NAME_NOT_FOUND);
  EXPECT_EQ(LoadIconA(program(), IDI_HAND), nullptr);  // a system icon is not the program's
  // The program's own: a red bitmap by number (also as "#12") and an icon
  // by name, in any case.
  plat::add_picture_resource(plat::ResourceKind::bitmap, 12, "", 8, 4, [](cairo_t* cr, int, int) {
    cairo_set_source_rgb(cr, 1, 0, 0);
    cairo_paint(cr);
  });
  plat::add_picture_resource(plat::ResourceKind::icon, 0, "Logo", 16, 16, nullptr);
  HBITMAP bm = LoadBitmapA(program(), "#12");
  ASSERT_NE(bm, nullptr);
  BITMAP info;
  ASSERT_NE(GetObjectA(bm, sizeof info, &info), 0);
  EXPECT_EQ(info.bmWidth, 8);
  EXPECT_EQ(info.bmHeight, 4);
  HDC dc = CreateCompatibleDC(nullptr);
  SelectObject(dc, bm);
  EXPECT_EQ(GetPixel(dc, 7, 3), RGB(255, 0, 0));
  DeleteDC(dc);
  DeleteObject(bm);
  EXPECT_NE(LoadIconA(program(), "LOGO"), nullptr);
  EXPECT_EQ(LoadIconA(program(), "Logo"), LoadIconA(program(), "logo"));
  EXPECT_EQ(LoadBitmapA(program(), MAKEINTRESOURCEA(13)), nullptr);
  EXPECT_EQ(LoadBitmapA(program(), "Logo"), nullptr);  // an icon is no bitmap
  cairo_surface_t* img = plat::icon_image(hand);
  ASSERT_NE(img, nullptr);
  EXPECT_EQ(cairo_image_surface_get_width(img), 32);
}

TEST_F(Pictures, TheMouseOverAFieldShowsItsClassCursor) {
  plat::DialogTemplate t(WS_POPUP | WS_VISIBLE, 0, 0, 100, 40, "", "MS Shell Dlg", 8);
  t.add("", 0x81, WS_CHILD | WS_VISIBLE, 5, 5, 60, 12, 7, "");
  t.add("", 0x80, WS_CHILD | WS_VISIBLE, 5, 20, 60, 12, 8, "b");
  HWND dlg = CreateDialogIndirectParamA(nullptr, t.get(), nullptr, test_proc, 0);
  mouse(dlg, GetDlgItem(dlg, 7), 3, 3, 0);
  EXPECT_EQ(GetCursor(), LoadCursorA(nullptr, IDC_IBEAM));
  mouse(dlg, GetDlgItem(dlg, 8), 3, 3, 0);
  EXPECT_EQ(GetCursor(), LoadCursorA(nullptr, IDC_ARROW));
  EXPECT_EQ(SetCursor(nullptr), LoadCursorA(nullptr, IDC_ARROW));
}

TEST_F(Clipboard, GlobalBlocksAndTheClipboardsOwnership) {
  HGLOBAL g = GlobalAlloc(GHND, 4);
  ASSERT_NE(g, nullptr);
  auto* p = static_cast<char*>(GlobalLock(g));
  EXPECT_EQ(p[3], 0);  // zeroed
  std::memcpy(p, "abc", 4);
  EXPECT_FALSE(GlobalUnlock(g));  // no lock left
  ASSERT_EQ(GlobalReAlloc(g, 100, GMEM_MOVEABLE), g);
  EXPECT_EQ(GlobalSize(g), 100u);
  EXPECT_STREQ(static_cast<char*>(GlobalLock(g)), "abc");  // kept when grown
  GlobalUnlock(g);
  SetLastError(0);
  EXPECT_EQ(SetClipboardData(CF_TEXT, g), nullptr);  // not open
  EXPECT_EQ(GetLastError(), ERROR_CLIPBOARD_NOT_OPEN);
  ASSERT_TRUE(OpenClipboard(nullptr));
  EXPECT_FALSE(OpenClipboard(nullptr));
  EXPECT_TRUE(EmptyClipboard());
  EXPECT_EQ(SetClipboardData(CF_TEXT, g), g);
  EXPECT_EQ(GetClipboardData(CF_TEXT), g);
  EXPECT_EQ(GetClipboardData(CF_DIB), nullptr);
  EXPECT_TRUE(CloseClipboard());
  EXPECT_FALSE(CloseClipboard());
  EXPECT_TRUE(IsClipboardFormatAvailable(CF_TEXT));
  EXPECT_EQ(plat::clipboard_text(), "abc");
  plat::set_clipboard_text("from the display");
  EXPECT_EQ(GlobalSize(g), 0u);  // the old block went with the old contents
  OpenClipboard(nullptr);
  EXPECT_STREQ(static_cast<char*>(GlobalLock(GetClipboardData(CF_TEXT))), "from the display");
  EmptyClipboard();
  EXPECT_FALSE(IsClipboardFormatAvailable(CF_TEXT));
  CloseClipboard();
  HGLOBAL mine = GlobalAlloc(GMEM_FIXED, 1);
  EXPECT_EQ(GlobalFree(mine), nullptr);
  EXPECT_EQ(GlobalLock(mine), nullptr);
  EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
}

TEST_F(ModalForms, EveryControlKindChangedByKeysAloneAndReadBackAtOk) {
  constexpr DWORD kTab = WS_CHILD | WS_VISIBLE | WS_TABSTOP;
  plat::DialogTemplate t(WS_POPUP | WS_CAPTION, 10, 10, 220, 170, "All", "MS Shell Dlg", 8);
  t.add("", 0x81, kTab | WS_BORDER | ES_AUTOHSCROLL, 5, 5, 80, 12, 11, "");
  t.add("", 0x83, kTab | WS_BORDER | WS_VSCROLL | LBS_NOTIFY, 5, 20, 80, 40, 12, "");
  t.add("", 0x85, kTab | WS_VSCROLL | CBS_DROPDOWNLIST, 5, 65, 80, 50, 13, "");
  t.add("", 0x80, kTab | BS_AUTOCHECKBOX, 5, 85, 80, 10, 14, "&Check");
  t.add("", 0x80, kTab | WS_GROUP | BS_AUTORADIOBUTTON, 5, 98, 40, 10, 15, "&A");
  t.add("", 0x80, WS_CHILD | WS_VISIBLE | BS_AUTORADIOBUTTON, 50, 98, 40, 10, 16, "&B");
  t.add("", 0x84, kTab | WS_GROUP | SBS_HORZ, 100, 5, 80, 10, 17, "");
  t.add(UPDOWN_CLASSA, 0, kTab | UDS_ARROWKEYS, 100, 20, 12, 14, 18, "");
  t.add(TRACKBAR_CLASSA, 0, kTab | TBS_AUTOTICKS, 100, 40, 100, 18, 19, "");
  t.add(PROGRESS_CLASSA, 0, WS_CHILD | WS_VISIBLE, 100, 65, 100, 10, 20, "");
  t.add("", 0x80, kTab | BS_DEFPUSHBUTTON, 120, 150, 40, 14, IDOK, "OK");
  struct Read {
    std::string edit;
    LRESULT list = -1, combo = -1, check = -1, b = -1, bar_pos = -1, track = -1;
    int bar_events = 0;
  };
  static Read got;
  got = Read();
  auto proc = [](HWND h, UINT m, WPARAM wp, LPARAM lp) -> INT_PTR {
    if (m == WM_INITDIALOG) {
      for (const char* s : {"one", "two", "three"}) {
        SendMessageA(GetDlgItem(h, 12), LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(s));
        SendMessageA(GetDlgItem(h, 13), CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(s));
      }
      SetScrollRange(GetDlgItem(h, 17), SB_CTL, 0, 9, FALSE);
      SendMessageA(GetDlgItem(h, 19), TBM_SETRANGE, FALSE, MAKELPARAM(0, 20));
      return TRUE;
    }
    if (m == WM_HSCROLL && reinterpret_cast<HWND>(lp) == GetDlgItem(h, 17) &&
        LOWORD(wp) == SB_LINEDOWN) {
      ++got.bar_events;
      SetScrollPos(GetDlgItem(h, 17), SB_CTL, GetScrollPos(GetDlgItem(h, 17), SB_CTL) + 1, TRUE);
    }
    if (m == WM_COMMAND && LOWORD(wp) == IDOK) {
      got.edit = text(GetDlgItem(h, 11));
      got.list = SendMessageA(GetDlgItem(h, 12), LB_GETCURSEL, 0, 0);
      got.combo = SendMessageA(GetDlgItem(h, 13), CB_GETCURSEL, 0, 0);
      got.check = SendMessageA(GetDlgItem(h, 14), BM_GETCHECK, 0, 0);
      got.b = SendMessageA(GetDlgItem(h, 16), BM_GETCHECK, 0, 0);
      got.bar_pos = GetScrollPos(GetDlgItem(h, 17), SB_CTL);
      got.track = SendMessageA(GetDlgItem(h, 19), TBM_GETPOS, 0, 0);
      EndDialog(h, IDOK);
    }
    return FALSE;
  };
  // One step per loop turn, so that each key goes to the control the
  // previous one left the focus in.
  static std::vector<std::function<void()>> steps;
  steps = {[] { type("Kim"); },   [] { key(VK_TAB); },   [] { key(VK_DOWN); },
           [] { key(VK_DOWN); },  [] { key(VK_TAB); },   [] { key(VK_END); },
           [] { key(VK_TAB); },   [] { key(VK_SPACE); }, [] { key(VK_TAB); },
           [] { key(VK_RIGHT); }, [] { key(VK_TAB); },   [] { key(VK_RIGHT); },
           [] { key(VK_RIGHT); }, [] { key(VK_TAB); },   [] { key(VK_TAB); },
           [] { key(VK_END); },   [] { key(VK_RETURN); }};
  static std::size_t next;
  next = 0;
  static std::function<void()> run_next = [] {
    if (next < steps.size()) steps[next++]();
    if (next < steps.size()) later(run_next);
  };
  later(run_next);
  EXPECT_EQ(DialogBoxIndirectParamA(nullptr, t.get(), nullptr, proc, 0), IDOK);
  EXPECT_EQ(got.edit, "Kim");
  EXPECT_EQ(got.list, 1);   // Down selects "one", Down again "two"
  EXPECT_EQ(got.combo, 2);  // End: "three"
  EXPECT_EQ(got.check, BST_CHECKED);
  EXPECT_EQ(got.b, BST_CHECKED);  // Right moved into B and checked it
  EXPECT_EQ(got.bar_pos, 2);
  EXPECT_EQ(got.bar_events, 2);
  EXPECT_EQ(got.track, 20);
}

TEST_F(ModalForms, TheParentsColoursPaintAControlAndNextDlgCtlMovesTheFocus) {
  static HBRUSH yellow;
  yellow = CreateSolidBrush(RGB(255, 255, 0));
  auto proc = [](HWND, UINT m, WPARAM wp, LPARAM) -> INT_PTR {
    if (m == WM_INITDIALOG) return TRUE;
    if (m == WM_CTLCOLORSTATIC) {
      SetTextColor(reinterpret_cast<HDC>(wp), RGB(0, 0, 255));
      return reinterpret_cast<INT_PTR>(yellow);
    }
    return FALSE;
  };
  plat::DialogTemplate t(WS_POPUP | WS_VISIBLE, 0, 0, 100, 50, "", "MS Shell Dlg", 8);
  t.add("", 0x82, WS_CHILD | WS_VISIBLE, 5, 5, 80, 10, 1, "Blue on yellow");
  t.add("", 0x81, WS_CHILD | WS_VISIBLE | WS_TABSTOP, 5, 20, 80, 12, 2, "x");
  t.add("", 0x81, WS_CHILD | WS_VISIBLE | WS_TABSTOP, 5, 35, 80, 12, 3, "yz");
  HWND dlg = CreateDialogIndirectParamA(nullptr, t.get(), nullptr, proc, 0);
  UpdateWindow(dlg);
  HWND label = GetDlgItem(dlg, 1);
  EXPECT_EQ(plat::window_pixel(label, 70, 1), RGB(255, 255, 0));
  int blue = 0;
  for (int x = 0; x < 60; ++x)
    for (int y = 0; y < 12; ++y) blue += plat::window_pixel(label, x, y) == RGB(0, 0, 255) ? 1 : 0;
  EXPECT_GT(blue, 10);
  SendMessageA(dlg, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(GetDlgItem(dlg, 3)), TRUE);
  EXPECT_EQ(GetDlgCtrlID(GetFocus()), 3);
  DWORD a = 9, b = 9;
  SendMessageA(GetFocus(), EM_GETSEL, reinterpret_cast<WPARAM>(&a), reinterpret_cast<LPARAM>(&b));
  EXPECT_EQ(a, 0u);  // the dialog manager selects a field's text
  EXPECT_EQ(b, 2u);
  SendMessageA(dlg, WM_NEXTDLGCTL, 1, FALSE);  // the previous tab stop
  EXPECT_EQ(GetDlgCtrlID(GetFocus()), 2);
  DeleteObject(yellow);
}
