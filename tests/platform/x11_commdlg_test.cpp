// The common dialogs on the test Xvfb, answered by keys typed on the
// server's keyboard from a second connection. Set OSTREL_SCREENSHOTS to a
// folder to get a picture of each dialog as the display shows it.
#include <cairo.h>
#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <filesystem>
#include <thread>

#include "platform/win_commdlg.h"
#include "platform/win_message_box.h"
#include "platform/win_print.h"
#include "support/test_support.h"
#include "x11_testing.h"

namespace {

using namespace win;
using x11test::X11Test;

// A key of the test server's keyboard, with Alt or Shift held.
struct Key {
  KeySym sym;
  KeySym with = 0;
};

// Waits (at most five seconds) for a shown window of this title, writes
// its picture when asked to, then types the keys.
void type_into(const std::string& display, const std::string& title, std::vector<Key> keys,
               const char* shot) {
  Display* d = XOpenDisplay(display.c_str());
  if (d == nullptr) return;
  ::Window found = 0;
  for (int tries = 0; tries < 500 && found == 0; ++tries) {
    ::Window root, parent, *children = nullptr;
    unsigned n = 0;
    XQueryTree(d, DefaultRootWindow(d), &root, &parent, &children, &n);
    for (unsigned i = 0; i < n && found == 0; ++i) {
      char* name = nullptr;
      XWindowAttributes a;
      if (XFetchName(d, children[i], &name) && name != nullptr) {
        if (title == name && XGetWindowAttributes(d, children[i], &a) && a.map_state == IsViewable)
          found = children[i];
        XFree(name);
      }
    }
    if (children != nullptr) XFree(children);
    if (found == 0) usleep(10000);
  }
  usleep(100000);  // drawn and focused
  const char* dir = std::getenv("OSTREL_SCREENSHOTS");
  if (found != 0 && dir != nullptr) {
    XWindowAttributes a;
    XGetWindowAttributes(d, found, &a);
    XImage* img = XGetImage(d, found, 0, 0, a.width, a.height, AllPlanes, ZPixmap);
    cairo_surface_t* s = cairo_image_surface_create(CAIRO_FORMAT_RGB24, a.width, a.height);
    cairo_surface_flush(s);
    unsigned char* px = cairo_image_surface_get_data(s);
    for (int y = 0; y < a.height; ++y)
      for (int x = 0; x < a.width; ++x)
        reinterpret_cast<std::uint32_t*>(px + y * cairo_image_surface_get_stride(s))[x] =
            static_cast<std::uint32_t>(XGetPixel(img, x, y));
    cairo_surface_mark_dirty(s);
    cairo_surface_write_to_png(s, (std::string(dir) + "/" + shot + ".png").c_str());
    cairo_surface_destroy(s);
    XDestroyImage(img);
  }
  for (const Key& k : keys) {
    if (k.with != 0) XTestFakeKeyEvent(d, XKeysymToKeycode(d, k.with), True, CurrentTime);
    XTestFakeKeyEvent(d, XKeysymToKeycode(d, k.sym), True, CurrentTime);
    XTestFakeKeyEvent(d, XKeysymToKeycode(d, k.sym), False, CurrentTime);
    if (k.with != 0) XTestFakeKeyEvent(d, XKeysymToKeycode(d, k.with), False, CurrentTime);
    XSync(d, False);
    usleep(30000);
  }
  XCloseDisplay(d);
}

// A dialog that nobody answers is cancelled after ten seconds, so that a
// failing test ends.
void watchdog(HWND, UINT, UINT_PTR id, DWORD) {
  KillTimer(nullptr, id);
  if (HWND active = GetActiveWindow()) PostMessageA(active, WM_COMMAND, IDCANCEL, 0);
}

class X11CommonDialogs : public X11Test {
 protected:
  // Runs the dialog while a second thread types into it.
  template <class F>
  BOOL run(const char* title, std::vector<Key> keys, const char* shot, F dialog) {
    const std::string name = testsupport::xvfb_display();
    std::thread typist(type_into, name, std::string(title), std::move(keys), shot);
    const UINT_PTR dog = SetTimer(nullptr, 0, 10000, watchdog);
    const BOOL r = dialog();
    KillTimer(nullptr, dog);
    typist.join();
    return r;
  }
};

TEST_F(X11CommonDialogs, EachDialogTakesTypedKeys) {
  testing::internal::CaptureStderr();
  testsupport::TempDir dir;
  testsupport::write_file(dir.file("c.ost"), "x");
  const std::string folder = dir.path().string();
  char file[260] = "";
  OPENFILENAMEA o;
  o.lpstrFile = file;
  o.nMaxFile = sizeof file;
  o.lpstrInitialDir = folder.c_str();
  o.Flags = OFN_NOCHANGEDIR | OFN_FILEMUSTEXIST;
  EXPECT_TRUE(run("Open", {{XK_c}, {XK_period}, {XK_o}, {XK_s}, {XK_t}, {XK_Return}}, "x11_open",
                  [&] { return GetOpenFileNameA(&o); }));
  EXPECT_EQ(std::string(file), folder + "/c.ost");

  PRINTDLGA pd;
  EXPECT_TRUE(run("Print", {{XK_c, XK_Alt_L}, {XK_2}, {XK_Return}}, "x11_print",
                  [&] { return PrintDlgA(&pd); }));
  EXPECT_EQ(pd.nCopies, 2);

  PAGESETUPDLGA ps;
  ps.Flags = PSD_INHUNDREDTHSOFMILLIMETERS;
  EXPECT_TRUE(run("Page Setup", {{XK_l, XK_Alt_L}, {XK_3}, {XK_0}, {XK_Return}}, "x11_pagesetup",
                  [&] { return PageSetupDlgA(&ps); }));
  EXPECT_EQ(ps.rtMargin.left, 3000);

  LOGFONTA lf;
  CHOOSEFONTA cf;
  cf.lpLogFont = &lf;
  cf.Flags = CF_SCREENFONTS | CF_EFFECTS;
  EXPECT_TRUE(run("Font", {{XK_s, XK_Alt_L}, {XK_1}, {XK_4}, {XK_u, XK_Alt_L}, {XK_Return}},
                  "x11_font", [&] { return ChooseFontA(&cf); }));
  EXPECT_EQ(cf.iPointSize, 140);
  EXPECT_EQ(lf.lfUnderline, 1);
  for (HGLOBAL h : {pd.hDevMode, pd.hDevNames, ps.hDevMode, ps.hDevNames}) GlobalFree(h);
  testing::internal::GetCapturedStderr();
}

}  // namespace
