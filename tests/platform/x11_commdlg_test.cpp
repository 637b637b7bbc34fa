// The common dialogs on the test Xvfb, answered by keys typed on the
// server's keyboard from a second connection. Set OSTREL_SCREENSHOTS to a
// folder to get a picture of each dialog as the display shows it.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <filesystem>
#include <thread>

#include "platform/win_commdlg.h"
#include "platform/win_message_box.h"
#include "platform/win_print.h"
#include "support/display_user.h"
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

// Waits for the dialog's window and for the program to wait for input,
// writes its picture when asked to, then types the keys, each when the
// dialog is ready for it; the last one ends the dialog.
void type_into(const std::string& display, const std::string& title, std::vector<Key> keys,
               const char* shot) {
  testsupport::DisplayUser u(display);
  const ::Window found = u.window(title);
  u.ready(found, false);
  testsupport::screenshot(u.display(), found, shot, 0);
  for (std::size_t i = 0; i < keys.size(); ++i) {
    const bool last = i + 1 == keys.size();
    if (keys[i].with != 0)
      u.key(found, {keys[i].with}, keys[i].sym, !last);
    else
      u.key(found, {}, keys[i].sym, !last);
  }
  u.gone(found, "the dialog \"" + title + "\" to close after its last key");
}

// A dialog that nobody answers is cancelled after fifty seconds, so that a
// failing test ends within a minute.
void watchdog(HWND, UINT, UINT_PTR id, DWORD) {
  KillTimer(nullptr, id);
  if (HWND active = GetActiveWindow()) PostMessageA(active, WM_COMMAND, IDCANCEL, 0);
}

class X11CommonDialogs : public X11Test {
 protected:
  void SetUp() override {
    XInitThreads();  // the typist has a connection of its own
    X11Test::SetUp();
  }
  // Runs the dialog while a second thread types into it.
  template <class F>
  BOOL run(const char* title, std::vector<Key> keys, const char* shot, F dialog) {
    std::thread typist(type_into, display_name, std::string(title), std::move(keys), shot);
    const UINT_PTR dog = SetTimer(nullptr, 0, 50000, watchdog);
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
