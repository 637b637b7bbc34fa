// A file table's Find on the test program's Xvfb: the result box stands
// in front of the table, whole, and a click on it keeps it there.
// gtest before Xlib, whose macros (None, Bool) would bend its names.
#include <gtest/gtest.h>

#include <string>
#include <thread>

#include "platform/backend.h"
#include "support/display_user.h"
#include "support/script_folder.h"
#include "support/test_support.h"
#include "support/xvfb_server.h"
#include "table_display.h"
// clang-format off
#include <X11/Xlib.h>
#include <X11/keysym.h>
// clang-format on

namespace {

std::string problem;

// Where the window stands among the root's children (bottom first), -1
// when it is not one of them; its rectangle on the screen.
int stacked(Display* d, ::Window w) {
  ::Window root = 0, parent = 0, *children = nullptr;
  unsigned n = 0;
  if (!XQueryTree(d, DefaultRootWindow(d), &root, &parent, &children, &n)) return -1;
  int at = -1;
  for (unsigned i = 0; i < n; ++i)
    if (children[i] == w) at = static_cast<int>(i);
  if (children != nullptr) XFree(children);
  return at;
}

void user(const std::string& display) {
  testsupport::DisplayUser u(display);
  Display* d = u.display();
  const ::Window table = u.window("Cities");
  u.focus(table);
  u.key(table, {XK_Alt_L}, XK_m, false);
  const ::Window find = u.window("Find in the table");
  u.ready(find, false);
  for (const KeySym k : {XK_End, XK_BackSpace, XK_r, XK_o, XK_m}) u.key(find, {}, k, false);
  u.key(find, {XK_Alt_L}, XK_f, false);
  const ::Window found = u.window("Found");
  u.ready(found, false);
  testsupport::screenshot(d, found, "table_find_found", 0);
  if (stacked(d, found) < stacked(d, table)) problem = "the result box opened behind the table";
  // A click on the table, then one in the box, as a user raises a window.
  const auto clickin = [&](::Window w) {
    XWindowAttributes a{};
    XGetWindowAttributes(d, w, &a);
    u.click(w, a.width / 2, 4);
    u.ready(found, false);
  };
  clickin(table);
  clickin(found);
  if (problem.empty() && stacked(d, found) < stacked(d, table))
    problem = "a click in the result box left it behind the table";
  // Back ends the menu; the table is left by its window's close.
  u.key(found, {XK_Alt_L}, XK_b, false);
  u.gone(found, "the result box to go after Back");
  u.ready(table, false);
  u.close(table);
}

using DisplayFind = testsupport::ScriptInFolder;

TEST_F(DisplayFind, TheFoundBoxStandsInFrontOfTheTable) {
  std::string why;
  const std::string display = testsupport::xvfb_display(&why);
  ASSERT_FALSE(display.empty()) << why;
  std::string rows;
  for (const char* c : {"Berlin", "Paris", "Madrid", "Vienna", "Lisbon", "Oslo", "Dublin", "Rome",
                        "Athens", "Prague"})
    rows += std::string(c) + std::string(10 - std::string(c).size(), ' ') + "1\r\n";
  testsupport::write_file("c.txt", rows);
  const std::string report = testsupport::in_child([&]() -> std::string {
    const std::string opened = tabledisplay::open(display);
    if (!opened.empty()) return opened;
    std::thread typist(user, display);
    const std::string out =
        run("CHARACTER F*8\nF = 'c.txt'\nOPEN(FIle=F, Format='A10,A')\n"
            "K = DLG(TItle='Cities', Edit=F, Format='A10,A')\n");
    typist.join();
    plat::close_display();
    return problem;
  });
  EXPECT_EQ(report, "");
}

}  // namespace
