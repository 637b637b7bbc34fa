#include <gtest/gtest.h>

#include <utility>

#include "tests/platform/win_window_recorder.h"

using namespace win;
using namespace wintest;

namespace {

using Trace = std::vector<std::pair<HWND, UINT>>;

Trace trace(std::initializer_list<UINT> only) {
  Trace out;
  for (const Seen& s : seen)
    if (std::find(only.begin(), only.end(), s.msg) != only.end()) out.push_back({s.wnd, s.msg});
  return out;
}

const Seen* last_of(HWND h, UINT m) {
  for (auto it = seen.rbegin(); it != seen.rend(); ++it)
    if (it->wnd == h && it->msg == m) return &*it;
  return nullptr;
}

LRESULT other_proc(HWND h, UINT m, WPARAM wp, LPARAM lp) { return DefWindowProcA(h, m, wp, lp); }

WNDPROC chained = nullptr;
int settext_seen = 0;
LRESULT counting_proc(HWND h, UINT m, WPARAM wp, LPARAM lp) {
  if (m == WM_SETTEXT) ++settext_seen;
  return CallWindowProcA(chained, h, m, wp, lp);
}

}  // namespace

using WinWindow = WindowTest;

TEST_F(WinWindow, CreationSendsItsMessagesInOrderWithTheirValues) {
  CREATESTRUCTA cs_seen;
  react = [&](HWND, UINT m, WPARAM, LPARAM lp, LRESULT&) {
    if (m == WM_CREATE) cs_seen = *reinterpret_cast<CREATESTRUCTA*>(lp);
    return false;
  };
  HWND h = CreateWindowExA(0, kClass, "Top", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 100, 50, 400, 300,
                           nullptr, nullptr, nullptr, reinterpret_cast<void*>(0x1234));
  ASSERT_NE(h, nullptr);
  EXPECT_EQ(messages_of(h), (std::vector<UINT>{WM_NCCREATE, WM_CREATE, WM_SIZE, WM_MOVE,
                                               WM_SHOWWINDOW, WM_ACTIVATE, WM_SETFOCUS}));
  EXPECT_EQ(cs_seen.lpCreateParams, reinterpret_cast<void*>(0x1234));
  EXPECT_EQ(cs_seen.x, 100);
  EXPECT_EQ(cs_seen.cx, 400);
  EXPECT_STREQ(cs_seen.lpszName, "Top");
  // Sizing frame 4, caption 20: client 392 x 272 at (104, 74) on the screen.
  const Seen* size = last_of(h, WM_SIZE);
  EXPECT_EQ(size->wp, SIZE_RESTORED);
  EXPECT_EQ(LOWORD(size->lp), 392);
  EXPECT_EQ(HIWORD(size->lp), 272);
  const Seen* move = last_of(h, WM_MOVE);
  EXPECT_EQ(LOWORD(move->lp), 104);
  EXPECT_EQ(HIWORD(move->lp), 74);
  RECT rc;
  GetClientRect(h, &rc);
  EXPECT_EQ(rc.right, 392);
  EXPECT_EQ(rc.bottom, 272);
  EXPECT_EQ(GetActiveWindow(), h);
  EXPECT_EQ(GetFocus(), h);
  char text[16];
  EXPECT_EQ(GetWindowTextA(h, text, 16), 3);
  EXPECT_STREQ(text, "Top");
}

TEST_F(WinWindow, FailedCreationsReturnNullAndCleanUp) {
  react = [](HWND, UINT m, WPARAM, LPARAM, LRESULT& r) {
    if (m == WM_CREATE) {
      r = -1;
      return true;
    }
    return false;
  };
  EXPECT_EQ(make_top(), nullptr);
  EXPECT_EQ(messages_of(), (std::vector<UINT>{WM_NCCREATE, WM_CREATE, WM_DESTROY, WM_NCDESTROY}));

  seen.clear();
  react = [](HWND, UINT m, WPARAM, LPARAM, LRESULT& r) {
    if (m == WM_NCCREATE) {
      r = FALSE;
      return true;
    }
    return false;
  };
  EXPECT_EQ(make_top(), nullptr);
  EXPECT_EQ(messages_of(), (std::vector<UINT>{WM_NCCREATE, WM_NCDESTROY}));
  react = nullptr;

  EXPECT_EQ(
      CreateWindowExA(0, "NoSuchClass", "", 0, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr),
      nullptr);
  EXPECT_EQ(make_child(nullptr, 1, 0, 0, 10, 10), nullptr);     // a child needs a parent
  EXPECT_EQ(UnregisterClassA("recorderCLASS", nullptr), TRUE);  // no window was left
}

TEST_F(WinWindow, DestroyTakesOwnedWindowsFirstThenParentBeforeChildren) {
  HWND p = make_top();
  HWND c1 = make_child(p, 1, 0, 0, 50, 50);
  HWND c2 = make_child(p, 2, 60, 0, 50, 50);
  HWND owned = make_top(0, 0, 100, 100, WS_POPUP, p);
  SetFocus(c1);
  bool children_alive_in_destroy = false;
  react = [&](HWND h, UINT m, WPARAM, LPARAM, LRESULT&) {
    if (h == p && m == WM_DESTROY) children_alive_in_destroy = IsWindow(c1) && IsWindow(c2);
    return false;
  };
  seen.clear();
  EXPECT_TRUE(DestroyWindow(p));
  EXPECT_EQ(trace({WM_DESTROY, WM_NCDESTROY, WM_KILLFOCUS, WM_ACTIVATE}),
            (Trace{{owned, WM_DESTROY},
                   {owned, WM_NCDESTROY},
                   {c1, WM_KILLFOCUS},
                   {p, WM_ACTIVATE},
                   {p, WM_DESTROY},
                   {c2, WM_DESTROY},
                   {c1, WM_DESTROY},
                   {c2, WM_NCDESTROY},
                   {c1, WM_NCDESTROY},
                   {p, WM_NCDESTROY}}));
  EXPECT_TRUE(children_alive_in_destroy);
  for (HWND h : {p, c1, c2, owned}) EXPECT_FALSE(IsWindow(h));
  EXPECT_EQ(GetFocus(), nullptr);
  EXPECT_EQ(GetActiveWindow(), nullptr);
  EXPECT_FALSE(DestroyWindow(p));
}

TEST_F(WinWindow, MovingSizingShowingAndMaximising) {
  HWND h = make_top();
  seen.clear();
  EXPECT_TRUE(MoveWindow(h, 10, 20, 500, 400, TRUE));
  EXPECT_EQ(messages_of(h), (std::vector<UINT>{WM_MOVE, WM_SIZE}));
  EXPECT_EQ(LOWORD(last_of(h, WM_MOVE)->lp), 14);
  EXPECT_EQ(HIWORD(last_of(h, WM_MOVE)->lp), 44);
  EXPECT_EQ(LOWORD(last_of(h, WM_SIZE)->lp), 492);
  EXPECT_EQ(HIWORD(last_of(h, WM_SIZE)->lp), 372);

  seen.clear();
  MoveWindow(h, 10, 20, 500, 400, TRUE);  // same place: nothing
  SetWindowPos(h, nullptr, 30, 40, 1, 1, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  EXPECT_EQ(messages_of(h), (std::vector<UINT>{WM_MOVE}));

  seen.clear();
  ShowWindow(h, SW_MAXIMIZE);
  EXPECT_TRUE(IsZoomed(h));
  EXPECT_EQ(last_of(h, WM_SIZE)->wp, SIZE_MAXIMIZED);
  RECT r;
  GetWindowRect(h, &r);
  EXPECT_EQ(r.right - r.left, 1280);
  EXPECT_EQ(r.bottom - r.top, 1024);
  ShowWindow(h, SW_RESTORE);
  GetWindowRect(h, &r);
  EXPECT_EQ(r.left, 30);
  EXPECT_EQ(r.right - r.left, 500);
  EXPECT_EQ(last_of(h, WM_SIZE)->wp, SIZE_RESTORED);

  ShowWindow(h, SW_MINIMIZE);
  EXPECT_TRUE(IsIconic(h));
  EXPECT_EQ(last_of(h, WM_SIZE)->wp, SIZE_MINIMIZED);
  GetClientRect(h, &r);
  EXPECT_EQ(r.right, 0);
  ShowWindow(h, SW_RESTORE);
  GetClientRect(h, &r);
  EXPECT_EQ(r.right, 492);

  seen.clear();
  EXPECT_TRUE(ShowWindow(h, SW_HIDE));  // was visible
  EXPECT_FALSE(IsWindowVisible(h));
  ASSERT_NE(last_of(h, WM_SHOWWINDOW), nullptr);
  EXPECT_EQ(last_of(h, WM_SHOWWINDOW)->wp, static_cast<WPARAM>(FALSE));
  EXPECT_EQ(GetActiveWindow(), nullptr);
  seen.clear();
  EXPECT_FALSE(ShowWindow(h, SW_HIDE));
  EXPECT_TRUE(seen.empty());
  EXPECT_FALSE(ShowWindow(h, SW_SHOWNA));
  EXPECT_TRUE(IsWindowVisible(h));
  EXPECT_EQ(GetActiveWindow(), nullptr);  // shown without activation
}

TEST_F(WinWindow, RectanglesAndCoordinatesOfNestedWindows) {
  HWND p = make_top();
  HWND c = make_child(p, 7, 10, 20, 100, 50, WS_CHILD | WS_VISIBLE | WS_BORDER);
  RECT r;
  GetWindowRect(c, &r);
  EXPECT_EQ(r.left, 114);
  EXPECT_EQ(r.top, 94);
  EXPECT_EQ(r.right, 214);
  GetClientRect(c, &r);
  EXPECT_EQ(r.right, 98);
  EXPECT_EQ(r.bottom, 48);
  POINT pt{1, 2};
  ClientToScreen(c, &pt);
  EXPECT_EQ(pt.x, 116);
  EXPECT_EQ(pt.y, 97);
  ScreenToClient(p, &pt);
  EXPECT_EQ(pt.x, 12);
  EXPECT_EQ(pt.y, 23);

  RECT want{0, 0, 392, 272};
  AdjustWindowRectEx(&want, WS_OVERLAPPEDWINDOW, FALSE, 0);
  EXPECT_EQ(want.left, -4);
  EXPECT_EQ(want.top, -24);
  EXPECT_EQ(want.right - want.left, 400);
  EXPECT_EQ(want.bottom - want.top, 300);
  RECT with_menu{0, 0, 10, 10};
  AdjustWindowRectEx(&with_menu, WS_OVERLAPPEDWINDOW, TRUE, WS_EX_CLIENTEDGE);
  EXPECT_EQ(with_menu.top, -4 - 20 - 20 - 2);

  EXPECT_EQ(GetSystemMetrics(SM_CXSCREEN), 1280);
  EXPECT_EQ(GetSystemMetrics(SM_CYSCREEN), 1024);
  GetWindowRect(GetDesktopWindow(), &r);
  EXPECT_EQ(r.right, 1280);

  EXPECT_EQ(WindowFromPoint(POINT{120, 100}), c);
  EXPECT_EQ(WindowFromPoint(POINT{300, 200}), p);
  EXPECT_EQ(WindowFromPoint(POINT{1200, 1000}), nullptr);
  EnableWindow(c, FALSE);
  EXPECT_EQ(WindowFromPoint(POINT{120, 100}), p);  // disabled windows let the point through
}

TEST_F(WinWindow, TreeQueries) {
  HWND p = make_top();
  HWND c1 = make_child(p, 1, 0, 0, 10, 10);
  HWND c2 = make_child(p, 2, 0, 0, 10, 10);
  HWND popup = make_top(0, 0, 50, 50, WS_POPUP, p);
  HWND owned = make_top(0, 0, 150, 150, WS_OVERLAPPED, c1);  // owner: c1's top-level window
  EXPECT_EQ(GetParent(c1), p);
  EXPECT_EQ(GetParent(popup), p);
  EXPECT_EQ(GetParent(owned), nullptr);
  EXPECT_EQ(GetWindow(owned, GW_OWNER), p);
  EXPECT_EQ(GetWindow(p, GW_CHILD), c2);  // the newest child is on top
  EXPECT_EQ(GetWindow(c2, GW_HWNDNEXT), c1);
  EXPECT_EQ(GetDlgItem(p, 1), c1);
  EXPECT_EQ(GetDlgCtrlID(c2), 2);
  EXPECT_TRUE(IsChild(p, c1));
  EXPECT_FALSE(IsChild(p, popup));

  HWND other = make_top();
  EXPECT_EQ(SetParent(c1, other), p);
  EXPECT_EQ(GetParent(c1), other);
  EXPECT_EQ(GetDlgItem(p, 1), nullptr);
  EXPECT_EQ(SetParent(other, c1), nullptr);  // no window into its own child
}

TEST_F(WinWindow, TextsWordsAndSubclassing) {
  HWND h = make_top();
  HWND c = make_child(h, 42, 0, 0, 10, 10);
  EXPECT_TRUE(SetWindowTextA(h, "Hello"));
  char buf[8];
  EXPECT_EQ(GetWindowTextA(h, buf, 4), 3);
  EXPECT_STREQ(buf, "Hel");
  EXPECT_EQ(GetWindowTextLengthA(h), 5);
  EXPECT_EQ(GetWindowTextA(nullptr, buf, 8), 0);
  EXPECT_STREQ(buf, "");

  EXPECT_EQ(SetWindowLongPtrA(h, GWLP_USERDATA, 1234), 0);
  EXPECT_EQ(GetWindowLongPtrA(h, GWLP_USERDATA), 1234);
  EXPECT_EQ(SetWindowLongPtrA(h, 8, 77), 0);  // extra bytes 8..15
  EXPECT_EQ(GetWindowLongPtrA(h, 8), 77);
  EXPECT_EQ(SetWindowLongPtrA(h, 12, 5), 0);  // would pass the end: refused
  EXPECT_EQ(GetWindowLongA(h, 12), 0);
  EXPECT_EQ(GetWindowLongPtrA(c, GWL_ID), 42);
  EXPECT_NE(GetWindowLongPtrA(h, GWL_STYLE) & WS_VISIBLE, 0);

  chained = reinterpret_cast<WNDPROC>(
      SetWindowLongPtrA(h, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(counting_proc)));
  EXPECT_EQ(chained, recording_proc);
  settext_seen = 0;
  seen.clear();
  SetWindowTextA(h, "Again");
  EXPECT_EQ(settext_seen, 1);
  EXPECT_EQ(messages_of(h), (std::vector<UINT>{WM_SETTEXT}));  // passed on

  // Subclassing the class reaches only windows made afterwards.
  EXPECT_EQ(SetClassLongPtrA(c, GCLP_WNDPROC, reinterpret_cast<LONG_PTR>(other_proc)),
            reinterpret_cast<ULONG_PTR>(recording_proc));
  EXPECT_EQ(GetWindowLongPtrA(c, GWLP_WNDPROC), reinterpret_cast<LONG_PTR>(recording_proc));
  HWND later = make_child(h, 3, 0, 0, 5, 5);
  EXPECT_EQ(GetWindowLongPtrA(later, GWLP_WNDPROC), reinterpret_cast<LONG_PTR>(other_proc));
}

TEST_F(WinWindow, ClassesAreFoundByNameInAnyCaseOrByAtom) {
  WNDCLASSA wc;
  wc.lpfnWndProc = other_proc;
  wc.lpszClassName = "recorderCLASS";
  EXPECT_EQ(RegisterClassA(&wc), 0);  // the name is taken
  WNDCLASSA info;
  ATOM atom = static_cast<ATOM>(GetClassInfoA(nullptr, "RECORDERclass", &info));
  EXPECT_NE(atom, 0);
  EXPECT_EQ(info.lpfnWndProc, recording_proc);
  EXPECT_EQ(info.style, CS_DBLCLKS);
  HWND h = CreateWindowExA(0, MAKEINTATOM(atom), "", WS_POPUP, 0, 0, 5, 5, nullptr, nullptr,
                           nullptr, nullptr);
  ASSERT_NE(h, nullptr);
  char name[32];
  EXPECT_EQ(GetClassNameA(h, name, 32), 13);
  EXPECT_STREQ(name, "RecorderClass");
  EXPECT_FALSE(UnregisterClassA(kClass, nullptr));  // still in use
  DestroyWindow(h);
  EXPECT_TRUE(UnregisterClassA(kClass, nullptr));
}

TEST_F(WinWindow, FocusAndActivationMoveWithTheirMessages) {
  HWND a = make_top();
  HWND ca = make_child(a, 1, 0, 0, 20, 20);
  HWND b = make_top();
  EXPECT_EQ(GetActiveWindow(), b);
  const Seen* deact = last_of(a, WM_ACTIVATE);
  EXPECT_EQ(LOWORD(deact->wp), WA_INACTIVE);
  EXPECT_EQ(reinterpret_cast<HWND>(deact->lp), b);
  EXPECT_EQ(GetFocus(), b);

  seen.clear();
  EXPECT_EQ(SetFocus(ca), b);
  EXPECT_EQ(GetActiveWindow(), a);
  EXPECT_EQ(GetFocus(), ca);
  ASSERT_GE(seen.size(), 2u);
  const Seen& kill = seen[seen.size() - 2];
  const Seen& set = seen.back();
  EXPECT_EQ(kill.wnd, a);
  EXPECT_EQ(kill.msg, WM_KILLFOCUS);
  EXPECT_EQ(reinterpret_cast<HWND>(kill.wp), ca);
  EXPECT_EQ(set.wnd, ca);
  EXPECT_EQ(set.msg, WM_SETFOCUS);
  EXPECT_EQ(reinterpret_cast<HWND>(set.wp), a);
  EXPECT_NE(last_of(b, WM_KILLFOCUS), nullptr);

  seen.clear();
  EXPECT_FALSE(EnableWindow(ca, FALSE));
  EXPECT_EQ(messages_of(ca), (std::vector<UINT>{WM_KILLFOCUS, WM_ENABLE}));
  EXPECT_EQ(GetFocus(), nullptr);
  EXPECT_FALSE(IsWindowEnabled(ca));
  EXPECT_TRUE(EnableWindow(ca, TRUE));

  // The active window goes: another visible one takes over.
  seen.clear();
  DestroyWindow(a);
  EXPECT_EQ(GetActiveWindow(), b);
  EXPECT_EQ(LOWORD(last_of(b, WM_ACTIVATE)->wp), WA_ACTIVE);
  EXPECT_EQ(GetFocus(), b);
}

TEST_F(WinWindow, CaptureChangesAreAnnounced) {
  HWND a = make_top();
  HWND b = make_top();
  EXPECT_EQ(SetCapture(a), nullptr);
  seen.clear();
  EXPECT_EQ(SetCapture(b), a);
  EXPECT_EQ(reinterpret_cast<HWND>(last_of(a, WM_CAPTURECHANGED)->lp), b);
  EXPECT_TRUE(ReleaseCapture());
  EXPECT_EQ(last_of(b, WM_CAPTURECHANGED)->lp, 0);
  EXPECT_EQ(GetCapture(), nullptr);
  SetCapture(a);
  seen.clear();
  DestroyWindow(a);
  EXPECT_EQ(GetCapture(), nullptr);
  EXPECT_EQ(messages_of(a).front(), WM_CAPTURECHANGED);
}
