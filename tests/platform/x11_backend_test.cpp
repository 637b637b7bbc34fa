// The X11 back end on the test program's own Xvfb: what the display shows
// of a window (names, class, owner, pixels) and what the display's events
// do to it (keys, clicks, wheel, resizing, closing, focus).
// gtest before Xlib, whose macros (None, Bool) would bend its names.
#include <gtest/gtest.h>
#include <unistd.h>

#include <string>

#include "platform/win_cursor.h"
#include "platform/win_gdi.h"
#include "platform/win_last_error.h"
#include "x11_testing.h"

namespace {

using namespace wintest;
using namespace win;
using x11test::X11Test;

TEST_F(X11Test, ShowsNamesClassOwnerAndPopupsAsTheDisplayExpects) {
  HWND top = CreateWindowExA(0, kClass, "Gr\xFC\xDF\x80", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 60, 40,
                             300, 200, nullptr, nullptr, nullptr, nullptr);
  HWND owned = make_top(80, 60, 200, 150, WS_OVERLAPPEDWINDOW | WS_VISIBLE, top);
  HWND dialog = make_top(100, 80, 120, 90, WS_CAPTION | WS_SYSMENU | WS_VISIBLE, top);
  HWND popup = make_top(90, 70, 50, 30, WS_POPUP | WS_BORDER | WS_VISIBLE, top);
  settle();
  ASSERT_NE(xid(top), 0u);

  EXPECT_EQ(property(xid(top), "_NET_WM_NAME"), "Gr\xC3\xBC\xC3\x9F\xE2\x82\xAC");
  EXPECT_EQ(property(xid(top), "WM_NAME"), "Gr\xFC\xDF?");
  EXPECT_EQ(property(xid(top), "WM_CLASS"), std::string("ostrel\0RecorderClass\0", 21));
  // An owned window that is minimised by itself is no transient of its
  // owner (the window manager would minimise both); an owned dialog is.
  ::Window transient = 0;
  EXPECT_FALSE(XGetTransientForHint(dpy, xid(owned), &transient));
  ASSERT_TRUE(XGetTransientForHint(dpy, xid(dialog), &transient));
  EXPECT_EQ(transient, xid(top));

  XWindowAttributes a;
  ASSERT_TRUE(XGetWindowAttributes(dpy, xid(top), &a));
  EXPECT_FALSE(a.override_redirect);
  EXPECT_EQ(a.map_state, IsViewable);
  // A captioned window shows its client area; the window manager frames it.
  RECT client;
  GetClientRect(top, &client);
  EXPECT_EQ(a.width, client.right);
  EXPECT_EQ(a.height, client.bottom);
  ASSERT_TRUE(XGetWindowAttributes(dpy, xid(popup), &a));
  EXPECT_TRUE(a.override_redirect);
  EXPECT_EQ(a.width, 50);
  EXPECT_EQ(a.x, 90);

  SetWindowTextA(top, "Renamed");
  ShowWindow(owned, SW_HIDE);
  settle();
  EXPECT_EQ(property(xid(top), "_NET_WM_NAME"), "Renamed");
  ASSERT_TRUE(XGetWindowAttributes(dpy, xid(owned), &a));
  EXPECT_EQ(a.map_state, IsUnmapped);
  DestroyWindow(owned);
  EXPECT_EQ(xid(owned), 0u);
}

TEST_F(X11Test, TheDisplayShowsTheWindowsPixelsAndRepaintsThemOnExpose) {
  HWND h = make_top(100, 80, 220, 160, WS_OVERLAPPEDWINDOW | WS_VISIBLE);
  settle();
  HDC dc = GetDC(h);
  HBRUSH red = CreateSolidBrush(RGB(200, 20, 30));
  HBRUSH blue = CreateSolidBrush(RGB(10, 40, 220));
  RECT a{0, 0, 100, 60}, b{100, 60, 200, 140};
  FillRect(dc, &a, red);
  FillRect(dc, &b, blue);
  SetPixel(dc, 0, 139, RGB(1, 2, 3));
  ReleaseDC(h, dc);
  DeleteObject(red);
  DeleteObject(blue);

  auto matches = [&] {
    RECT c;
    GetClientRect(h, &c);
    XImage* img = XGetImage(dpy, xid(h), 0, 0, c.right, c.bottom, AllPlanes, ZPixmap);
    if (img == nullptr) return false;
    int wrong = 0;
    for (int y = 0; y < c.bottom; ++y)
      for (int x = 0; x < c.right; ++x) {
        const unsigned long p = XGetPixel(img, x, y);
        const COLORREF want = plat::window_pixel(h, x, y);
        if (RGB((p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF) != want) ++wrong;
      }
    XDestroyImage(img);
    return wrong == 0;
  };
  settle();
  EXPECT_TRUE(matches());

  // Something else draws over the window; the exposure brings ours back.
  GC gc = XCreateGC(dpy, xid(h), 0, nullptr);
  XSetForeground(dpy, gc, 0x00FF00);
  XFillRectangle(dpy, xid(h), gc, 0, 0, 150, 100);
  XFreeGC(dpy, gc);
  XClearArea(dpy, xid(h), 0, 0, 150, 100, True);
  XSync(dpy, False);
  settle();
  EXPECT_TRUE(matches());
}

TEST_F(X11Test, KeysArriveWithVirtualKeyScanCodeAndCharacter) {
  HWND h = make_top();
  settle();
  ASSERT_EQ(GetActiveWindow(), h);
  ::Window focus;
  int revert;
  XGetInputFocus(dpy, &focus, &revert);
  EXPECT_EQ(focus, xid(h));

  tap(XK_a);
  press(XK_Shift_L, true);
  tap(XK_b);
  tap(XK_1);
  press(XK_Shift_L, false);
  tap(XK_Right);
  tap(XK_KP_Enter);
  ASSERT_TRUE(pump_until([&] { return find_msg(h, WM_KEYUP) && chars_of(h).size() >= 4; }));
  EXPECT_EQ(chars_of(h), "aB!\r");

  std::vector<Seen> downs;
  for (const Seen& s : seen)
    if (s.wnd == h && s.msg == WM_KEYDOWN) downs.push_back(s);
  ASSERT_EQ(downs.size(), 6u);
  auto scan = [](const Seen& s) { return (s.lp >> 16) & 0xFF; };
  auto ext = [](const Seen& s) { return (s.lp >> 24) & 1; };
  EXPECT_EQ(downs[0].wp, static_cast<WPARAM>('A'));
  EXPECT_EQ(scan(downs[0]), 0x1E);
  EXPECT_EQ(downs[1].wp, static_cast<WPARAM>(VK_SHIFT));
  EXPECT_EQ(scan(downs[1]), 0x2A);
  EXPECT_EQ(downs[3].wp, static_cast<WPARAM>('1'));
  EXPECT_EQ(downs[4].wp, static_cast<WPARAM>(VK_RIGHT));
  EXPECT_EQ(scan(downs[4]), 0x4D);
  EXPECT_EQ(ext(downs[4]), 1);
  EXPECT_EQ(downs[5].wp, static_cast<WPARAM>(VK_RETURN));
  EXPECT_EQ(ext(downs[5]), 1);
  EXPECT_EQ(ext(downs[0]), 0);
}

TEST_F(X11Test, CharactersOfOtherLayoutsComeInWindows1252OrNotAtAll) {
  HWND h = make_top();
  settle();
  // The keys Q, W and E type what other layouts put there.
  const KeySym keys[3] = {XK_q, XK_w, XK_e};
  const KeySym others[3] = {XK_eacute, XK_EuroSign, XK_Cyrillic_a};
  KeyCode codes[3];
  KeySym* saved[3];
  int per[3];
  for (int i = 0; i < 3; ++i) {
    codes[i] = XKeysymToKeycode(dpy, keys[i]);
    saved[i] = XGetKeyboardMapping(dpy, codes[i], 1, &per[i]);
    XChangeKeyboardMapping(dpy, codes[i], 1, const_cast<KeySym*>(&others[i]), 1);
  }
  XSync(dpy, False);
  settle();
  for (KeyCode k : codes) {
    XTestFakeKeyEvent(dpy, k, True, CurrentTime);
    XTestFakeKeyEvent(dpy, k, False, CurrentTime);
  }
  XFlush(dpy);
  const bool arrived = pump_until([&] {
    int ups = 0;
    for (const Seen& s : seen) ups += s.wnd == h && s.msg == WM_KEYUP;
    return ups == 3;
  });
  for (int i = 0; i < 3; ++i) {
    XChangeKeyboardMapping(dpy, codes[i], per[i], saved[i], 1);
    XFree(saved[i]);
  }
  XSync(dpy, False);
  ASSERT_TRUE(arrived);
  const Seen* down = find_msg(h, WM_KEYDOWN);
  EXPECT_EQ(down->wp, static_cast<WPARAM>('Q'));  // the key's place on a US keyboard
  EXPECT_EQ(chars_of(h), "\xE9\x80");             // the Cyrillic letter types nothing
}

TEST_F(X11Test, ClicksAndTheWheelArriveInClientCoordinates) {
  HWND h = make_top(100, 80, 300, 200, WS_OVERLAPPEDWINDOW | WS_VISIBLE);
  settle();
  POINT p{30, 40};
  ClientToScreen(h, &p);
  XTestFakeMotionEvent(dpy, -1, p.x, p.y, CurrentTime);
  XTestFakeButtonEvent(dpy, 1, True, CurrentTime);
  XTestFakeButtonEvent(dpy, 1, False, CurrentTime);
  XTestFakeButtonEvent(dpy, 3, True, CurrentTime);
  XTestFakeButtonEvent(dpy, 3, False, CurrentTime);
  XTestFakeButtonEvent(dpy, 4, True, CurrentTime);
  XTestFakeButtonEvent(dpy, 4, False, CurrentTime);
  XTestFakeButtonEvent(dpy, 5, True, CurrentTime);
  XTestFakeButtonEvent(dpy, 5, False, CurrentTime);
  XFlush(dpy);
  int wheels = 0;
  ASSERT_TRUE(pump_until([&] {
    wheels = 0;
    for (const Seen& s : seen) wheels += s.msg == WM_MOUSEWHEEL;
    return wheels == 2 && find_msg(h, WM_RBUTTONUP);
  }));
  const Seen* down = find_msg(h, WM_LBUTTONDOWN);
  ASSERT_NE(down, nullptr);
  EXPECT_EQ(GET_X_LPARAM(down->lp), 30);
  EXPECT_EQ(GET_Y_LPARAM(down->lp), 40);
  EXPECT_NE(find_msg(h, WM_LBUTTONUP), nullptr);
  EXPECT_NE(find_msg(h, WM_RBUTTONDOWN), nullptr);
  std::vector<int> deltas;
  for (const Seen& s : seen)
    if (s.msg == WM_MOUSEWHEEL) deltas.push_back(static_cast<SHORT>(HIWORD(s.wp)));
  EXPECT_EQ(deltas, (std::vector<int>{120, -120}));
}

TEST_F(X11Test, ResizingMovingAndClosingOnTheDisplayReachTheWindow) {
  HWND h = make_top(100, 80, 300, 200, WS_OVERLAPPEDWINDOW | WS_VISIBLE);
  settle();
  seen.clear();
  XMoveResizeWindow(dpy, xid(h), 150, 120, 400, 250);
  XFlush(dpy);
  ASSERT_TRUE(pump_until([&] { return find_msg(h, WM_SIZE) != nullptr; }));
  const Seen* size = find_msg(h, WM_SIZE);
  EXPECT_EQ(LOWORD(size->lp), 400);
  EXPECT_EQ(HIWORD(size->lp), 250);
  POINT origin{0, 0};
  ClientToScreen(h, &origin);
  EXPECT_EQ(origin.x, 150);
  EXPECT_EQ(origin.y, 120);

  XEvent ev{};
  ev.xclient.type = ClientMessage;
  ev.xclient.window = xid(h);
  ev.xclient.message_type = XInternAtom(dpy, "WM_PROTOCOLS", False);
  ev.xclient.format = 32;
  ev.xclient.data.l[0] = static_cast<long>(XInternAtom(dpy, "WM_DELETE_WINDOW", False));
  XSendEvent(dpy, xid(h), False, NoEventMask, &ev);
  XFlush(dpy);
  ASSERT_TRUE(pump_until([&] { return !IsWindow(h); }));
  EXPECT_NE(find_msg(h, WM_CLOSE), nullptr);
}

TEST_F(X11Test, ActivationAndTheDisplaysFocusFollowEachOther) {
  HWND first = make_top(50, 50, 200, 150);
  HWND second = make_top(300, 50, 200, 150);
  settle();
  EXPECT_EQ(GetActiveWindow(), second);
  ::Window focus;
  int revert;
  XGetInputFocus(dpy, &focus, &revert);
  EXPECT_EQ(focus, xid(second));

  SetActiveWindow(first);
  settle();
  XGetInputFocus(dpy, &focus, &revert);
  EXPECT_EQ(focus, xid(first));

  XSetInputFocus(dpy, xid(second), RevertToParent, CurrentTime);
  XFlush(dpy);
  ASSERT_TRUE(pump_until([&] { return GetActiveWindow() == second; }));
}

// Raising a window to activate it leaves the pop-ups it owns (a tooltip)
// above it, where they can be seen.
TEST_F(X11Test, AnActivatedWindowKeepsItsPopupsAboveIt) {
  HWND first = make_top(50, 50, 200, 150);
  HWND popup = make_top(90, 70, 50, 30, WS_POPUP | WS_BORDER | WS_VISIBLE, first);
  HWND second = make_top(300, 50, 200, 150);
  settle();
  SetActiveWindow(second);
  settle();
  SetActiveWindow(first);
  settle();
  const auto place = [&](::Window w) {
    ::Window root, parent, *kids = nullptr;
    unsigned n = 0;
    int at = -1;
    XQueryTree(dpy, DefaultRootWindow(dpy), &root, &parent, &kids, &n);
    for (unsigned i = 0; i < n; ++i)  // from the bottom up
      if (kids[i] == w) at = static_cast<int>(i);
    if (kids != nullptr) XFree(kids);
    return at;
  };
  ASSERT_GE(place(xid(first)), 0);
  EXPECT_GT(place(xid(popup)), place(xid(first)));
  EXPECT_GT(place(xid(first)), place(xid(second)));
}

TEST(CursorTest, TheClassCursorShowsOverTheClientAreaAndTheArrowElsewhere) {
  plat::reset_windows();
  EXPECT_EQ(LoadCursorA(nullptr, MAKEINTRESOURCEA(1)), nullptr);
  EXPECT_EQ(GetLastError(), ERROR_RESOURCE_NAME_NOT_FOUND);
  const HCURSOR ibeam = LoadCursorA(nullptr, IDC_IBEAM);
  ASSERT_NE(ibeam, nullptr);
  WNDCLASSA wc;
  wc.lpfnWndProc = DefWindowProcA;
  wc.lpszClassName = "CursorClass";
  wc.hCursor = ibeam;
  ASSERT_NE(RegisterClassA(&wc), 0);
  HWND top = CreateWindowExA(0, "CursorClass", "", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 300, 200,
                             nullptr, nullptr, nullptr, nullptr);
  HWND child = CreateWindowExA(0, "CursorClass", "", WS_CHILD | WS_VISIBLE, 10, 10, 50, 50, top,
                               nullptr, nullptr, nullptr);
  SendMessageA(child, WM_SETCURSOR, reinterpret_cast<WPARAM>(child), MAKELPARAM(HTCLIENT, 0));
  EXPECT_EQ(GetCursor(), ibeam);
  SendMessageA(top, WM_SETCURSOR, reinterpret_cast<WPARAM>(top), MAKELPARAM(HTCAPTION, 0));
  EXPECT_EQ(GetCursor(), LoadCursorA(nullptr, IDC_ARROW));
  EXPECT_EQ(SetCursor(nullptr), LoadCursorA(nullptr, IDC_ARROW));
  plat::reset_windows();
}

}  // namespace
