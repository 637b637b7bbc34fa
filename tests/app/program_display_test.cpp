// The program itself on the test program's Xvfb, as a user starts it from
// a terminal: "ostrel script.ost" in a process of its own, with its own
// HOME and XDG folders, while this test plays the user on a connection of
// its own. It types each key only when the program waits for it, and waits
// for each window it needs, every wait bounded.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "program_fixture.h"
#include "support/display_user.h"
#include "support/test_support.h"
#include "support/xvfb_server.h"
// clang-format off
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/keysym.h>
// clang-format on

namespace {

using testsupport::DisplayUser;
using testsupport::read_file;
using testsupport::write_file;

using apptest::ProgramOnADisplay;

// A question box with its icon, answered; then the program ends with
// nothing of the icon's drawing left behind.
TEST_F(ProgramOnADisplay, AQuestionBoxShownLeavesNothingBehindAtTheEnd) {
  write_file(dir.file("s.ost"), "X = 1\r\nEND\r\n");
  start("s.ost");
  {
    DisplayUser u(display);
    const Window main = u.window("s.ost");
    u.focus(main);
    u.key(main, {XK_Control_L}, XK_Home);
    u.key(main, {}, XK_End);
    u.key(main, {}, XK_1);
    u.key(main, {XK_Control_L}, XK_s, false);
    const Window box = u.window([](const std::string& t) { return t == "s.ost"; },
                                "the question whether to save the changes", main);
    u.ready(box, false);
    u.key(main, {}, XK_Return, false);
    u.gone(box, "the question to go after Return");
    u.ready(main);
    u.key(main, {XK_Alt_L}, XK_F4, false);
    u.gone(main, "the main window to go after Alt+F4");
  }
  EXPECT_EQ(finish(), 0) << err;
  EXPECT_EQ(err.find("LeakSanitizer"), std::string::npos) << err;
  EXPECT_EQ(read_file(dir.path() / "s.ost"), "X = 11\r\nEND\r\n");
}

// The values a script wrote into "v.txt" before it ended.
const char* kWriteValues =
    "CHARACTER F*8\r\nF = 'v.txt'\r\nOPEN(FIle=F, RePLace)\r\nWRITE(FIle=F, CLoSe=1) ";

// WRITE(TitleBar) renames the window that WINdowhandle names, and without
// one the main window: the display shows the new titles.
TEST_F(ProgramOnADisplay, WriteToTheTitleBarRenamesTheWindowsOnTheDisplay) {
  write_file(dir.file("t.ost"),
             "WINDOW(WINdowhandle=H, Width=-300, Height=-200, TItle='first')\r\n"
             "WRITE(TitleBar, WINdowhandle=H) 'renamed child'\r\n"
             "WRITE(TitleBar) 'renamed main'\r\nEND\r\n");
  start("t.ost");
  std::string child;
  {
    DisplayUser u(display);
    const Window main = u.window("t.ost");
    u.focus(main);
    u.key(main, {XK_Alt_L}, XK_r, false);
    child = u.title(u.window("renamed child"));
    u.window("renamed main");
    u.ready(main, false);
    u.key(main, {XK_Alt_L}, XK_F4, false);
    u.gone(main, "the main window to go after Alt+F4");
  }
  EXPECT_EQ(child, "renamed child");
  EXPECT_EQ(finish(), 0) << err;
}

// A click in a plot window while the script runs calls the routine that
// AXIS named with MouSeCall: the run, busy in its loop, sees the routine's
// answer and ends.
TEST_F(ProgramOnADisplay, AClickInAPlotWindowRunsItsMouseRoutine) {
  write_file(dir.file("m.ost"),
             "GOTO 10\r\nSUBROUTINE HIT\r\nDONE = 1\r\nEND\r\n10 DONE = 0\r\n"
             "WINDOW(WINdowhandle=H, Width=-400, Height=-300, TItle='plot')\r\n"
             "AXIS(WINdowhandle=H, MiN=0, MaX=10, Yaxis, MiN=0, MaX=40, MouSeX=MX, "
             "MouSeY=MY, MouSeAxis=MA, MouSeCall='HIT')\r\n"
             "WRITE(TitleBar, WINdowhandle=H) 'armed'\r\n"
             "20 IF (DONE > 0) GOTO 30\r\nGOTO 20\r\n"
             "30 WRITE(TitleBar, WINdowhandle=H) 'answered'\r\n" +
                 std::string(kWriteValues) + "MA\r\nEND\r\n");
  start("m.ost");
  {
    DisplayUser u(display);
    const Window main = u.window("m.ost");
    u.focus(main);
    u.key(main, {XK_Alt_L}, XK_r, false);
    // The axis is drawn and bound to the mouse once the title says so.
    const Window plot = u.window("armed");
    XWindowAttributes a{};
    ASSERT_TRUE(XGetWindowAttributes(u.display(), plot, &a));
    u.click(plot, a.width / 2, a.height / 2);
    u.window("answered");
    u.ready(main, false);
    u.focus(main);
    u.key(main, {XK_Alt_L}, XK_F4, false);
    u.gone(main, "the main window to go after Alt+F4");
  }
  EXPECT_EQ(finish(), 0) << err;
  EXPECT_EQ(read_file(dir.path() / "v.txt"), "1\r\n");
}

// A READ from a child window waits while the user edits the shown value on
// the display; Enter completes the line and the run goes on at the READ
// with the typed number.
TEST_F(ProgramOnADisplay, ALineTypedIntoAWindowReadReachesItsVariable) {
  write_file(dir.file("r.ost"),
             std::string("X = 3.5\r\nWINDOW(WINdowhandle=H, Width=-300, Height=-200, "
                         "TItle='reader')\r\nREAD(WINdowhandle=H, Format='F6.2', Recrow=2, "
                         "Column=3) X\r\n") +
                 kWriteValues + "X\r\nEND\r\n");
  start("r.ost");
  {
    DisplayUser u(display);
    const Window main = u.window("r.ost");
    u.focus(main);
    u.key(main, {XK_Alt_L}, XK_r, false);
    const Window reader = u.window("reader");
    u.ready(main);
    u.key(main, {}, XK_Home);
    for (int i = 0; i < 4; ++i) u.key(main, {}, XK_Delete);
    for (const KeySym k : {XK_4, XK_2, XK_period, XK_2, XK_5}) u.key(main, {}, k);
    u.key(main, {}, XK_Return, false);
    u.ready(main);
    testsupport::screenshot(u.display(), main, "read_main", 0);
    testsupport::screenshot(u.display(), reader, "read_child", 0);
    u.focus(main);
    u.key(main, {XK_Alt_L}, XK_F4, false);
    u.gone(main, "the main window to go after Alt+F4");
  }
  EXPECT_EQ(finish(), 0) << err;
  EXPECT_EQ(read_file(dir.path() / "v.txt"), "42.25\r\n");
}

// The Go, Help and Options commands on the display: the Quicky box
// evaluates a typed expression with the run's variables and keeps it in
// its history; Help > About shows its box; Options > Fonts leads through
// the slot's choice to the platform's font dialog.
TEST_F(ProgramOnADisplay, QuickyAboutAndFontsOnTheDisplay) {
  write_file(dir.file("q.ost"), "X = 2\r\nEND\r\n");
  start("q.ost");
  std::string number, font;
  {
    DisplayUser u(display);
    const Window main = u.window("q.ost");
    u.focus(main);
    u.key(main, {XK_Alt_L}, XK_r);
    // Quicky: X+1 typed and evaluated; the box comes again with the number.
    u.key(main, {XK_Alt_L}, XK_q, false);
    const Window quicky = u.window("Quicky");
    u.ready(quicky, false);
    u.key(quicky, {XK_Shift_L}, XK_x, false);
    u.key(quicky, {XK_Shift_L}, XK_equal, false);
    u.key(quicky, {}, XK_1, false);
    u.ready(quicky, false);
    testsupport::screenshot(u.display(), quicky, "x11_quicky", 0);
    u.key(quicky, {}, XK_Return, false);
    const Window result = u.window("Quicky - number");
    u.ready(result, false);
    testsupport::screenshot(u.display(), result, "x11_quicky_number", 0);
    number = u.title(result);
    u.key(result, {}, XK_Escape, false);
    u.gone(result, "the Quicky box to go after Escape");
    // Help > About.
    u.ready(main);
    u.key(main, {XK_Alt_L}, XK_h, false);
    u.ready(main, false);
    u.key(main, {}, XK_a, false);
    const Window about = u.window("About Ostrel");
    u.ready(about, false);
    testsupport::screenshot(u.display(), about, "x11_about", 0);
    u.key(about, {}, XK_Escape, false);
    u.gone(about, "the About box to go after Escape");
    // Options > Fonts: the first slot's button, then the font dialog.
    u.ready(main);
    u.key(main, {XK_Alt_L}, XK_o, false);
    u.ready(main, false);
    u.key(main, {}, XK_f, false);
    const Window fonts = u.window("Fonts");
    u.ready(fonts, false);
    u.key(fonts, {}, XK_Return, false);
    const Window dialog = u.window(
        [](const std::string& t) { return t.find("ont") != std::string::npos && t != "Fonts"; },
        "the font dialog");
    u.ready(dialog, false);
    font = u.title(dialog);
    testsupport::screenshot(u.display(), dialog, "x11_font", 0);
    u.key(dialog, {}, XK_Return, false);
    u.gone(dialog, "the font dialog to go after Return");
    u.ready(main);
    u.key(main, {XK_Alt_L}, XK_F4, false);
    u.gone(main, "the main window to go after Alt+F4");
  }
  EXPECT_EQ(finish(), 0) << err;
  EXPECT_EQ(number, "Quicky - number");
  EXPECT_EQ(read_file(dir.path() / "Ostrel_Quickies.txt"), "X+1" + std::string(253, ' ') + "\r\n");
  EXPECT_NE(font, "");
  // The font dialog answered with a font (its outcome is logged).
  EXPECT_NE(err.find("ostrel: Font: "), std::string::npos) << err;
}

// File > Print on the display: a child window's picture saved as a BMP
// file through the print dialog's button and the save dialog.
TEST_F(ProgramOnADisplay, FilePrintSavesAWindowsPictureAsABitmap) {
  write_file(dir.file("p.ost"),
             "WINDOW(WINdowhandle=H, Width=-200, Height=-100, TItle='pic')\r\n"
             "WRITE(WINdowhandle=H) 'hello'\r\nEND\r\n");
  start("p.ost");
  {
    DisplayUser u(display);
    const Window main = u.window("p.ost");
    u.focus(main);
    u.key(main, {XK_Alt_L}, XK_r, false);
    u.window("pic");
    u.focus(main);
    u.key(main, {XK_Control_L}, XK_p, false);
    const Window print = u.window("Print or save a window");
    u.ready(print, false);
    // The list first: its last entry; then past the four check boxes and
    // four buttons to "Save picture (.bmp)".
    u.key(print, {}, XK_End, false);
    for (int i = 0; i < 9; ++i) u.key(print, {}, XK_Tab, false);
    u.ready(print, false);
    testsupport::screenshot(u.display(), print, "x11_print", 0);
    u.key(print, {}, XK_space, false);
    const Window save = u.window("Save Bitmap");
    u.ready(save, false);
    testsupport::screenshot(u.display(), save, "x11_savebitmap", 0);
    u.key(save, {}, XK_Return, false);
    u.gone(save, "the save dialog to go after Return");
    u.ready(main);
    u.key(main, {XK_Alt_L}, XK_F4, false);
    u.gone(main, "the main window to go after Alt+F4");
  }
  EXPECT_EQ(finish(), 0) << err;
  EXPECT_EQ(read_file(dir.path() / "pic.bmp").substr(0, 2), "BM") << err;
}

// Three modeless dialogs, the first one filled again by a second DLG before
// the third is made: the user closes the third, then types into the first
// and closes the rest. No closing leaves a window on a freed record.
TEST_F(ProgramOnADisplay, ClosingOneOfThreeModelessDialogsLeavesTheOthersWhole) {
  write_file(dir.file("d.ost"),
             "K = DLG(QH, 'TItle=one;Edit*1;', QR)\r\nK2 = DLG(QH, 'Text=again;')\r\n"
             "K3 = DLG(QH3, 'TItle=three;Edit*1;', QX)\r\n"
             "K4 = DLG(QH4, 'TItle=four;Edit*1;', QY)\r\nEND\r\n");
  start("d.ost");
  {
    DisplayUser u(display);
    const Window main = u.window("d.ost");
    u.focus(main);
    u.key(main, {XK_Alt_L}, XK_r, false);
    const Window three = u.window("three");
    const Window four = u.window("four");
    const Window one = u.window("one");
    u.ready(main, false);
    u.focus(three);
    u.key(three, {}, XK_Escape, false);
    u.gone(three, "the dialog three to go after Escape");
    u.ready(main, false);
    for (const Window w : {one, four}) {
      u.focus(w);
      u.key(w, {}, XK_7);
      u.close(w);
      u.gone(w, "a dialog to go when closed");
      u.ready(main, false);
    }
    u.focus(main);
    u.key(main, {XK_Alt_L}, XK_F4, false);
    u.gone(main, "the main window to go after Alt+F4");
  }
  EXPECT_EQ(finish(), 0) << err;
  EXPECT_EQ(err.find("AddressSanitizer"), std::string::npos) << err;
}

// Escape closes a modeless dialog and is let go over another program's
// window: the program never sees it go up, and when the focus comes back
// Escape is no longer held (held, it would swallow the next dialog's close).
TEST_F(ProgramOnADisplay, AKeyLetGoOverAnotherProgramIsUpWhenTheFocusComesBack) {
  write_file(dir.file("d.ost"),
             "K = DLG(QH, 'TItle=one;Edit*1;', QR)\r\nK3 = DLG(QH3, 'TItle=three;Edit*1;', QX)\r\n"
             "END\r\n");
  start("d.ost");
  {
    DisplayUser u(display);
    const Window main = runscript(u, "d.ost");
    const Window three = u.window("three");
    const Window one = u.window("one");
    u.ready(main, false);
    u.focus(three);
    u.press(XK_Escape);
    u.gone(three, "the dialog three to go after Escape");
    u.letgoaway(XK_Escape);
    u.focus(one);
    u.close(one);
    u.gone(one, "the dialog one to go when closed after Escape was let go elsewhere");
    u.focus(main);
    u.key(main, {XK_Alt_L}, XK_F4, false);
    u.gone(main, "the main window to go after Alt+F4");
  }
  EXPECT_EQ(finish(), 0) << err;
}

}  // namespace

namespace {

// The toolkit's Tools dialog (Ctrl+Shift+R) in the IDE, given the focus
// as a click would: Escape closes it, at its first opening and at the
// next.
TEST_F(ProgramOnADisplay, EscapeClosesTheToolsDialog) {
  write_file(dir.file("t.ost"), "X = 1\r\nEND\r\n");
  start("t.ost");
  {
    DisplayUser u(display);
    const Window main = u.window("t.ost");
    u.focus(main);
    for (int round = 0; round < 2; ++round) {
      u.key(main, {XK_Control_L, XK_Shift_L}, XK_r, false);
      const Window tools = u.window("FenTool - Tools for Fenstra");
      u.focus(tools);
      u.key(tools, {}, XK_Escape, false);
      u.gone(tools, "the Tools dialog to go after Escape");
      u.focus(main);
    }
    u.key(main, {XK_Alt_L}, XK_F4, false);
    u.gone(main, "the main window to go after Alt+F4");
  }
  EXPECT_EQ(finish(), 0) << err;
}

}  // namespace

namespace {

// "ostrel HELP=<script> RUN=": the IDE on that one script runs it once: its
// file is written once, its window stands once, no compile's progress
// window stays; closing the script ends the program.
TEST_F(ProgramOnADisplay, HelpWithRunRunsTheScriptOnce) {
  write_file(dir.file("o.ost"),
             "CHARACTER F*8\r\nF = 'o.txt'\r\nOPEN(FIle=F, APpend)\r\n"
             "WRITE(FIle=F, CLoSe=1) 'ran'\r\n"
             "WINDOW(WINdowhandle=H, Width=-200, Height=-100, TItle='once')\r\n"
             "WRITE(WINdowhandle=H) 'here'\r\nEND\r\n");
  start({"HELP=" + dir.file("o.ost"), "RUN="});
  std::vector<std::string> titles;
  {
    DisplayUser u(display);
    const Window main =
        u.window([](const std::string& t) { return t.rfind("o.ost", 0) == 0; }, "the IDE on o.ost");
    u.window("once");
    u.focus(main);
    titles = u.titles();
    // Closing the script ends the program.
    u.close(main);
    u.gone(main, "the main window to go after its close");
  }
  EXPECT_EQ(finish(), 0) << err;
  EXPECT_EQ(read_file(dir.path() / "o.txt"), "ran\r\n");
  EXPECT_EQ(std::count(titles.begin(), titles.end(), "once"), 1);
  for (const std::string& t : titles) EXPECT_EQ(t.find("Compiling"), std::string::npos) << t;
}

}  // namespace

namespace {

// "ostrel HELP=<script> RUN=" on a script that waits at a READ from its
// window: the start's size notifications run it once, there is one window,
// and the line typed into the READ reaches its variable.
TEST_F(ProgramOnADisplay, HelpWithRunWaitsOnceAtAReadFromAWindow) {
  write_file(dir.file("w.ost"),
             "CHARACTER F*8\r\nF = 'w.txt'\r\nOPEN(FIle=F, APpend)\r\n"
             "WRITE(FIle=F, CLoSe=1) 'ran'\r\nX = 3.5\r\n"
             "WINDOW(WINdowhandle=H, Width=-300, Height=-200, TItle='reader')\r\n"
             "READ(WINdowhandle=H, Format='F6.2', Recrow=2, Column=3) X\r\n"
             "OPEN(FIle=F, APpend)\r\nWRITE(FIle=F, CLoSe=1) X\r\nEND\r\n");
  start({"HELP=" + dir.file("w.ost"), "RUN="});
  std::vector<std::string> titles;
  {
    DisplayUser u(display);
    const Window main =
        u.window([](const std::string& t) { return t.rfind("w.ost", 0) == 0; }, "the IDE on w.ost");
    const Window reader = u.window("reader");
    u.focus(reader);
    titles = u.titles();
    u.key(main, {}, XK_Home);
    for (int i = 0; i < 4; ++i) u.key(main, {}, XK_Delete);
    for (const KeySym k : {XK_4, XK_2}) u.key(main, {}, k);
    u.key(main, {}, XK_Return);
    u.close(main);
    u.gone(main, "the main window to go after its close");
  }
  EXPECT_EQ(finish(), 0) << err;
  EXPECT_EQ(std::count(titles.begin(), titles.end(), "reader"), 1);
  EXPECT_EQ(read_file(dir.path() / "w.txt"), "ran\r\n42\r\n");
}

}  // namespace

namespace {

// The pixels of a window as the display shows them.
std::vector<unsigned long> pixels(Display* dpy, Window w) {
  XWindowAttributes a;
  std::vector<unsigned long> px;
  if (!XGetWindowAttributes(dpy, w, &a) || a.width <= 0 || a.height <= 0) return px;
  XImage* image = XGetImage(dpy, w, 0, 0, static_cast<unsigned>(a.width),
                            static_cast<unsigned>(a.height), AllPlanes, ZPixmap);
  if (image == nullptr) return px;
  for (int y = 0; y < a.height; ++y)
    for (int x = 0; x < a.width; ++x) px.push_back(XGetPixel(image, x, y) & 0xFFFFFF);
  XDestroyImage(image);
  return px;
}

// F1 on DLG: its help page opens at its first line, none of its text drawn
// selected (white on navy), so that Ctrl+Home changes nothing on screen;
// typing in it changes nothing either.
TEST_F(ProgramOnADisplay, AHelpPageOpensAtItsFirstLineWithNothingSelected) {
  write_file(dir.file("d.ost"), "R = DLG('x')\r\nEND\r\n");
  start("d.ost");
  double navy = 1.0;
  std::vector<unsigned long> opened, athome, typed;
  {
    DisplayUser u(display);
    const Window main = u.window("d.ost");
    u.focus(main);
    for (int i = 0; i < 4; ++i) u.key(main, {}, XK_Right);
    u.key(main, {}, XK_F1, false);
    const Window page = u.window("DLG - dialog windows");
    u.ready(page, false);
    navy = testsupport::screenshot(u.display(), page, "x11_help_page", 0x000080);
    opened = pixels(u.display(), page);
    u.key(page, {XK_Control_L}, XK_Home, false);
    u.ready(page, false);
    athome = pixels(u.display(), page);
    u.key(page, {}, XK_x, false);
    u.ready(page, false);
    typed = pixels(u.display(), page);
    u.key(page, {}, XK_Escape, false);
    u.gone(page, "the help page to go after Escape");
    u.ready(main);
    u.key(main, {XK_Alt_L}, XK_F4, false);
    u.gone(main, "the main window to go after Alt+F4");
  }
  EXPECT_EQ(finish(), 0) << err;
  EXPECT_EQ(navy, 0.0) << "text drawn selected on the help page";
  EXPECT_FALSE(opened.empty());
  EXPECT_TRUE(opened == athome) << "the page did not open at its first line";
  EXPECT_TRUE(opened == typed) << "a key typed changed the page";
}

}  // namespace

namespace {

// Help > Index is modal. A click on the editor while it is up, and the keys
// typed then (a Return among them), change nothing: no help page opens and
// the script stays as it was. Letters typed into the index do not keep
// Escape from closing it.
TEST_F(ProgramOnADisplay, TheHelpIndexIsModalAndEscapeClosesItAfterLetters) {
  const std::string script = "A = 1\r\nEND\r\n";
  write_file(dir.file("i.ost"), script);
  start("i.ost");
  std::vector<std::string> afterreturn;
  {
    DisplayUser u(display);
    const Window main = u.window("i.ost");
    u.focus(main);
    u.key(main, {XK_Alt_L}, XK_h, false);
    u.ready(main, false);
    u.key(main, {}, XK_i, false);
    const Window index = u.window("Help Index");
    u.ready(index, false);
    u.click(main, 40, 40);
    u.ready(index, false);
    for (const KeySym k : {XK_B, XK_space, XK_Return}) u.key(index, {}, k, false);
    u.ready(index, false);
    afterreturn = u.titles();
    // The index takes keys again once the user clicks it.
    u.click(index, 2, 2);
    u.ready(index, false);
    for (const KeySym k : {XK_d, XK_l, XK_g}) u.key(index, {}, k, false);
    u.ready(index, false);
    u.key(index, {}, XK_Escape, false);
    u.gone(index, "the Help Index to go after letters and one Escape");
    u.ready(main);
    u.key(main, {XK_Control_L}, XK_s);
    u.key(main, {XK_Alt_L}, XK_F4, false);
    u.gone(main, "the main window to go after Alt+F4");
  }
  EXPECT_EQ(finish(), 0) << err;
  std::sort(afterreturn.begin(), afterreturn.end());
  EXPECT_EQ(afterreturn, (std::vector<std::string>{"Help Index", "i.ost"}))
      << "keys typed after a click on the editor reached the index";
  EXPECT_EQ(read_file(dir.path() / "i.ost"), script);
}

}  // namespace
