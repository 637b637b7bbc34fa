// The script editor in the running program, driven by keys: the edit
// buffer is checked byte for byte after each sequence.
#include <gtest/gtest.h>

#include <cctype>
#include <string>

#include "core/editbuffer.h"
#include "core/runwords.h"
#include "core/stores.h"
#include "exec/headless_run.h"
#include "ide/editorwords.h"
#include "ide/fedit.h"
#include "ide/idewords.h"
#include "ide/keypress.h"
#include "ide/mainwindow.h"
#include "ide/textwriters.h"
#include "ide/windowlist.h"
#include "ide_fixture.h"
#include "io/clipboard.h"
#include "platform/backend.h"
#include "platform/win_controls.h"
#include "platform/win_gdi.h"
#include "platform/win_message.h"
#include "platform/win_message_box.h"
#include "platform/win_message_keys.h"
#include "plot/fontslots.h"
#include "toolkit/services.h"
#include "toolkit/windows.h"

namespace idetest {
namespace {

std::string buffer() {
  return core::c1edit.size() > 0
             ? std::string(core::c1edit.ptr(1), static_cast<std::size_t>(core::c1editend))
             : std::string();
}

void press(int vk, unsigned char ch = 0) { plat::inject_key_press(vk, ch); }

// A key with a modifier held (VK_MENU, VK_CONTROL or VK_SHIFT).
void with(int modifier, int vk, unsigned char ch = 0) {
  plat::input_key(modifier, plat::scan_code_of(modifier), true);
  plat::set_key_state(modifier, true);
  press(vk, ch);
  plat::set_key_state(modifier, false);
  plat::input_key(modifier, plat::scan_code_of(modifier), false);
}

// Types plain text: letters, digits, blanks and = + - * .
void type(std::string_view text) {
  for (const char c : text) {
    const auto u = static_cast<unsigned char>(c);
    int vk = std::toupper(u);
    if (c == ' ') vk = win::VK_SPACE;
    if (c == '=') vk = win::VK_OEM_PLUS;
    if (c == '-') vk = win::VK_OEM_MINUS;
    if (c == '*') vk = win::VK_MULTIPLY;
    if (c == '+') vk = win::VK_ADD;
    if (c == '.') vk = win::VK_OEM_PERIOD;
    press(vk, u);
  }
}

class EditorTest : public IdeTest {
 protected:
  testsupport::TempDir dir;
  std::string script(const std::string& text) {
    testsupport::write_file(dir.file("e.ost"), text);
    return dir.file("e.ost");
  }
};

// Pixels of the main window (window coordinates).
std::uint32_t pixel(int x, int y) {
  return plat::window_pixel(static_cast<win::HWND>(mainwindow()), x, y);
}
std::uint32_t classbg(int k) { return ide::colour(ide::colnum(2 * k)); }
std::uint32_t classfg(int k) { return ide::colour(ide::colnum(2 * k - 1)); }
int cellheight() { return plot::fontslots(ide::wdwhead->fontslot).cellheight; }

// The top of the first band of the colour in column x, -1 when none.
int bandtop(std::uint32_t colour, int x) {
  for (int y = 0; y < 1100; ++y)
    if (pixel(x, y) == colour) return y;
  return -1;
}
// Whether the colour stands in the cell row from y, columns x0 to x1.
bool inrow(std::uint32_t colour, int y, int x0, int x1) {
  for (int yy = y; yy < y + cellheight(); ++yy)
    for (int x = x0; x < x1; ++x)
      if (pixel(x, yy) == colour) return true;
  return false;
}
// The backing bitmap of the text rows, every second pixel.
std::vector<std::uint32_t> textrows() {
  const ide::wdwrec& w = *ide::wdwhead;
  const win::HDC dc = win::CreateCompatibleDC(nullptr);
  const auto old = win::SelectObject(dc, w.bitmap);
  std::vector<std::uint32_t> out;
  for (int y = 0; y < w.clientheight - 40; y += 2)
    for (int x = 0; x < w.clientwidth - 40; x += 2) out.push_back(win::GetPixel(dc, x, y));
  win::SelectObject(dc, old);
  win::DeleteDC(dc);
  return out;
}
void fullredraw() {
  core::edmark = core::edmarkall;
  ide::SCREENINTERNAL();
}

// The rows as they stand, the input line drawn as a plain row, are those
// of a full redraw.
void samerows(const char* what) {
  const std::int32_t row = ide::edcurline - ide::edfirstline + 1;
  ide::PARTSCREENINTERNAL(row, row, 0);
  const std::vector<std::uint32_t> now = textrows();
  fullredraw();
  EXPECT_TRUE(now == textrows()) << what;
}

// A script typed into an empty line, run with Alt+R: its variables.
TEST_F(EditorTest, ATypedScriptRunsWithAltR) {
  std::string outcome, typed;
  run(script("END\r\n"), {[] {
                            with(win::VK_MENU, 'I');  // an empty line above END
                            type("A = 6 * 7");
                            press(win::VK_RETURN, '\r');  // at the end: a new line below
                          },
                          [] { samerows("a line opened"); },  // the rows below moved down
                          [] {
                            type("B = A + 1");
                            with(win::VK_MENU, 'R');
                          },
                          [&] {
                            typed = buffer();
                            outcome = exec::run_outcome();
                          }});
  EXPECT_EQ(typed, "A = 6 * 7\r\nB = A + 1\r\nEND\r\n");
  EXPECT_NE(outcome.find("A=42\n"), std::string::npos) << outcome;
  EXPECT_NE(outcome.find("B=43\n"), std::string::npos) << outcome;
}

// A rejected line mended and left is compiled at once: it is no longer
// marked, nor drawn so. (The compile at the opening put the cursor on it.)
TEST_F(EditorTest, ALineIsCompiledWhenItIsLeft) {
  bool before = false, after = true;
  std::uint32_t mended = 0, plain = 1;
  std::int32_t line = 0;
  std::string text;
  run(script("X = 0\r\nA = (\r\nEND\r\n"), {[&] {
                                              line = ide::edcurline;
                                              before = ide::rejectedline(2);
                                              press(win::VK_END);
                                              press('1', '1');
                                              press('0', ')');
                                              press(win::VK_DOWN);
                                            },
                                            [&] {
                                              after = ide::rejectedline(2);
                                              text = buffer();
                                              const int ch = cellheight();
                                              const int input = bandtop(classbg(5), 600);
                                              mended = pixel(600, input - ch + 1);
                                              plain = pixel(600, input - 2 * ch + 1);
                                            }});
  EXPECT_EQ(line, 2);
  EXPECT_TRUE(before);
  EXPECT_FALSE(after);
  EXPECT_EQ(mended, plain) << "the mended row is drawn as a plain one";
  EXPECT_EQ(text, "X = 0\r\nA = (1)\r\nEND\r\n");
}

// Closing with changes asks whether to save them: Cancel goes back to the
// editor with nothing lost.
TEST_F(EditorTest, CancelOnClosingWithChangesGoesBack) {
  bool open = false;
  std::string text;
  run(script("X = 1\r\nEND\r\n"), {[] {
                                     press(win::VK_END);
                                     press('0', '0');
                                     press(win::VK_DOWN);
                                   },
                                   [] {
                                     plat::push_message_box_answer(win::IDCANCEL);
                                     with(win::VK_MENU, win::VK_F4);
                                   },
                                   [&] {
                                     open = mainwindow() != nullptr &&
                                            win::IsWindow(static_cast<win::HWND>(mainwindow()));
                                     text = buffer();
                                     plat::push_message_box_answer(win::IDNO);
                                   }});
  EXPECT_TRUE(open);
  EXPECT_EQ(text, "X = 10\r\nEND\r\n");
}

// Ctrl+F asks in the Find window for the word at the cursor: closed
// unanswered, nothing is searched; its Find button searches for it.
TEST_F(EditorTest, FindAsksInItsWindowForTheWordAtTheCursor) {
  std::string asked, prompt;
  std::int32_t unanswered = 0, found = 0;
  run(script("ALPHA = 1\r\nB = 2\r\nC = ALPHA\r\nEND\r\n"),
      {[] {
         ide::edfindtext.blank();
         with(win::VK_CONTROL, 'F');
       },
       [&] {
         unanswered = ide::edcurline;
         asked = std::string(ide::edfindtext.trimmed());
         prompt = plat::message_box_log().empty() ? "" : plat::message_box_log().back().text;
         plat::push_message_box_answer(1);
         with(win::VK_CONTROL, 'F');
       },
       [&] { found = ide::edcurline; }});
  EXPECT_EQ(asked, "ALPHA");
  EXPECT_NE(prompt.find("key=find"), std::string::npos) << prompt;
  EXPECT_EQ(unanswered, 1);
  EXPECT_EQ(found, 3);
}

// During a run started in the editor a typed character jumps to its
// label, and Escape stops the run; the editor takes over again. (The keys
// wait in the queue: the run's input step takes them at its first look,
// the key going up later, as a hand lets go.)
TEST_F(EditorTest, ARunStartedInTheEditorTakesLabelKeysAndStopsAtEscape) {
  std::string jumped, stopped;
  const auto down = [](int vk, unsigned char ch) {
    plat::input_key(vk, plat::scan_code_of(vk), true, false, ch);
  };
  const auto up = [](int vk) { plat::input_key(vk, plat::scan_code_of(vk), false); };
  run(script("N = 0\r\n10 N = N + 1\r\nIF (N < 20000) GOTO 10\r\nEND\r\n5 K = N + 100\r\n"
             "GOTO 10\r\n"),
      {[&] {
         with(win::VK_MENU, 'R');
         down('5', '5');
       },
       [&] {
         up('5');
         jumped = exec::run_outcome();
         EXPECT_EQ(ide::edcurline, 4);  // the run ended at END
         // Run goes on from the cursor line: from the first one.
         with(win::VK_CONTROL, win::VK_HOME);
         with(win::VK_MENU, 'R');
         down(win::VK_ESCAPE, 27);
       },
       [&] {
         up(win::VK_ESCAPE);
         stopped = exec::run_outcome();
       }});
  EXPECT_NE(jumped.find("N=20000\nK=10"), std::string::npos) << jumped;
  EXPECT_NE(stopped.find("N=0\n"), std::string::npos) << stopped;
  EXPECT_EQ(core::edmode, 10);
  EXPECT_LT(ide::edcurline, 4);
}

// Rows in the colours of their classes and tokens, the caret cell in both
// states, selected and rejected rows; a view moved through the backing
// bitmap looks exactly as drawn anew.
TEST_F(EditorTest, TheScreenDrawsItsClassesAndScrollsLikeAFullRedraw) {
  std::string text = "! a comment\r\nB = (\r\nDO I = 1, 2\r\nENDDO\r\nWIN = 5\r\n";
  for (int k = 6; k <= 200; ++k) text += "X = " + std::to_string(k) + "\r\n";
  text += "END\r\n";
  int input = -1;
  const int x = 600;  // right of every text: the row's background
  run(script(text), {[] {
                       // The compile at the opening put the cursor on the rejected line.
                       EXPECT_EQ(ide::edcurline, 2);
                       with(win::VK_CONTROL, win::VK_HOME);
                     },
                     [&] {
                       const int ch = cellheight();
                       snapshot("editor_classes");
                       input = bandtop(classbg(5), x);  // the input line, line 1
                       ASSERT_GT(input, 0);
                       EXPECT_TRUE(inrow(classbg(13), input, 0, 40));  // the caret cell, inserting
                       // "B = (" was rejected: left by the input line, it is drawn
                       // as a full redraw draws a rejected line.
                       EXPECT_EQ(pixel(x, input + ch + 1), ide::colour(20));
                       EXPECT_TRUE(inrow(classfg(16), input + 2 * ch, 0, 20));   // DO
                       // No built-in is called WIN (DLG with a text is the dialog).
                       EXPECT_FALSE(inrow(classfg(16), input + 4 * ch, 0, 20));  // WIN = 5
                       EXPECT_FALSE(inrow(classfg(16), input + 5 * ch, 0, 20));  // X = 6
                       EXPECT_TRUE(inrow(classfg(15), input + 5 * ch, 20, 60));  // its number
                       EXPECT_EQ(pixel(x, input + 5 * ch + 1), classbg(4));
                       press(win::VK_INSERT);
                     },
                     [&] {
                       EXPECT_TRUE(inrow(classbg(9), input, 0, 40));  // overwriting
                       EXPECT_FALSE(inrow(classbg(13), input, 0, 40));
                       press(win::VK_INSERT);
                       with(win::VK_SHIFT, win::VK_DOWN);
                       with(win::VK_SHIFT, win::VK_DOWN);
                     },
                     [&] {
                       const int ch = cellheight();
                       EXPECT_EQ(ide::edcurline, 3);
                       EXPECT_EQ(pixel(x, input + 1), classbg(6));
                       EXPECT_EQ(pixel(x, input + ch + 1), classbg(6));
                       EXPECT_EQ(pixel(x, input + 2 * ch + 1), classbg(5));
                       press(win::VK_DOWN);  // drops the selection (the clock's tick did not)
                     },
                     [&] {
                       const int ch = cellheight();
                       EXPECT_EQ(pixel(x, input + 1), classbg(4));
                       EXPECT_EQ(pixel(x, input + ch + 1), ide::colour(20));  // drawn anew
                       // Ctrl+Down and Ctrl+Up move the view, not the cursor line, and
                       // the view never starts before line 1.
                       with(win::VK_CONTROL, win::VK_DOWN);
                       with(win::VK_CONTROL, win::VK_DOWN);
                     },
                     [&] {
                       EXPECT_EQ(ide::edfirstline, 3);
                       EXPECT_EQ(ide::edcurline, 4);
                       for (int k = 0; k < 3; ++k) with(win::VK_CONTROL, win::VK_UP);
                     },
                     [&] {
                       EXPECT_EQ(ide::edfirstline, 1);
                       EXPECT_EQ(ide::edcurline, 4);
                       // A page down on the scroll bar leaves the cursor line hidden.
                       ASSERT_NE(toolkit::main_auto_box, nullptr);
                       win::SendMessageA(
                           static_cast<win::HWND>(mainwindow()), win::WM_VSCROLL, win::SB_PAGEDOWN,
                           reinterpret_cast<win::LPARAM>(toolkit::main_auto_box->vscroll));
                     },
                     [&] {
                       EXPECT_EQ(ide::edfirstline, 1 + ide::nrows);
                       EXPECT_EQ(ide::edcurline, 4);
                       press(win::VK_RIGHT);  // a key brings it back into view
                     },
                     [&] {
                       EXPECT_EQ(ide::edfirstline, 4);
                       EXPECT_EQ(ide::edcurline, 4);

                       // Moves of the view by the bitmap, down and up, small and large.
                       fullredraw();
                       for (const int by : {1, 7, ide::edrows + 3, -1, -7, -(ide::edrows + 3), 2}) {
                         ide::edfirstline = std::max(1, ide::edfirstline + by);
                         ide::SCREENINTERNAL();
                         const std::vector<std::uint32_t> moved = textrows();
                         fullredraw();
                         EXPECT_TRUE(moved == textrows()) << "by " << by;
                       }
                     }});
}

std::string clipboard() {
  std::array<char, 256> t{};
  t.fill(' ');
  io::CLIPBORD('R', t, static_cast<std::int32_t>(t.size()));
  std::string s(t.data(), t.size());
  return s.substr(0, s.find_last_not_of(" \0") + 1);
}

std::string cursorline() {
  std::string s(ide::edlinebuf.data() + 1, ide::edlinebuf.size() - 1);
  return s.substr(0, s.find_last_not_of(' ') + 1);
}

void command(int code) {
  const win::HWND main = static_cast<win::HWND>(mainwindow());
  toolkit::POST_COMMAND(code, &main);
}

// The edges of the editor's keys and commands, one sequence per tick.
TEST_F(EditorTest, KeysAndCommandsChangeTheBufferExactly) {
  const std::string text = "A = 1\r\nB = 2\r\n  C = 3\r\nD = 4\r\nEND\r\n";
  run(script(text), {[] {
                       // Enter in the middle of a line moves down and splits nothing.
                       press(win::VK_RIGHT);
                       press(win::VK_RIGHT);
                       press(win::VK_RETURN, '\r');
                     },
                     [&] {
                       EXPECT_EQ(ide::edcurline, 2);
                       EXPECT_EQ(buffer(), text);
                       // Escape on a changed line takes the buffer's line back.
                       type("Q");
                       press(win::VK_ESCAPE, 27);
                     },
                     [&] {
                       EXPECT_EQ(buffer(), text);
                       EXPECT_EQ(cursorline(), "B = 2");
                       // Copy with nothing selected: the line and its line end.
                       with(win::VK_CONTROL, 'C');
                     },
                     [&] {
                       EXPECT_EQ(clipboard(), "B = 2\r\n");
                       EXPECT_EQ(buffer(), text);
                       with(win::VK_CONTROL, 'X');  // Cut: the line goes
                     },
                     [&] {
                       samerows("a line cut");  // the rows below moved up by the bitmap
                       EXPECT_EQ(buffer(), "A = 1\r\n  C = 3\r\nD = 4\r\nEND\r\n");
                       EXPECT_EQ(ide::edcurline, 2);
                       EXPECT_EQ(clipboard(), "B = 2\r\n");
                       with(win::VK_CONTROL, 'Z');  // and comes back
                     },
                     [&] {
                       EXPECT_EQ(buffer(), text);
                       with(win::VK_CONTROL, win::VK_END);
                     },
                     [&] {
                       EXPECT_EQ(ide::edcurline, core::nedlines);
                       with(win::VK_CONTROL, win::VK_HOME);
                     },
                     [&] {
                       EXPECT_EQ(ide::edcurline, 1);
                       // Paste without a line break changes the input line only.
                       std::string zz = "ZZ";
                       io::CLIPBORD('W', zz, 2);
                       with(win::VK_CONTROL, 'V');
                     },
                     [&] {
                       EXPECT_NE(cursorline().find("ZZ"), std::string::npos) << cursorline();
                       EXPECT_EQ(buffer(), text);
                       press(win::VK_ESCAPE, 27);
                       // A backslash and three digits: the character of that code.
                       ide::edfindtext.set("\\068 ");
                       command(10105);
                     },
                     [&] {
                       EXPECT_EQ(cursorline(), "D = 4");
                       EXPECT_EQ(ide::edcurline, 4);
                       ide::edfindtext.set("\\68");  // two digits: searched as written
                       command(10105);
                     },
                     [&] {
                       EXPECT_EQ(ide::edcurline, 4);
                       // Ctrl+Page Down to the next line that starts with a character;
                       // from the last such line to the end of the text.
                       with(win::VK_CONTROL, win::VK_NEXT);
                     },
                     [&] {
                       EXPECT_EQ(ide::edcurline, 5);
                       with(win::VK_CONTROL, win::VK_NEXT);
                     },
                     [&] {
                       EXPECT_EQ(ide::edcurline, core::nedlines);
                       with(win::VK_CONTROL, win::VK_PRIOR);
                     },
                     [&] {
                       EXPECT_EQ(ide::edcurline, core::nedlines - 1);
                       // Two lines selected with Shift+Down, deleted with Delete.
                       with(win::VK_CONTROL, win::VK_HOME);
                       with(win::VK_SHIFT, win::VK_DOWN);
                       with(win::VK_SHIFT, win::VK_DOWN);
                       press(win::VK_DELETE);
                     },
                     [&] {
                       EXPECT_EQ(buffer(), "  C = 3\r\nD = 4\r\nEND\r\n");
                       EXPECT_EQ(ide::edcurline, 1);
                       with(win::VK_CONTROL, 'Z');  // each undo compiles: one a tick
                     },
                     [] { with(win::VK_CONTROL, 'Z'); },
                     [&] {
                       EXPECT_EQ(buffer(), text);
                       // A clipboard text with line breaks: the command handler has its
                       // lines inserted after the cursor line.
                       std::string two = "P = 1\r\nQ = 2\r\n";
                       io::CLIPBORD('W', two, static_cast<std::int32_t>(two.size()));
                       with(win::VK_CONTROL, win::VK_HOME);
                       with(win::VK_CONTROL, 'V');
                     },
                     [&] { EXPECT_EQ(buffer(), "A = 1\r\nP = 1\r\nQ = 2\r\n" + text.substr(7)); }});
}

// Ctrl with a letter that names no command brings a control character
// (Ctrl+N 0x0E, Ctrl+H 0x08, Ctrl+M 0x0D): none of them is typed into the
// line, and the cursor stays where it was.
TEST_F(EditorTest, ControlCharactersWithoutACommandAreNotTyped) {
  const std::string text = "A = 1\r\nEND\r\n";
  std::string line, kept;
  run(script(text), {[] {
                       press(win::VK_RIGHT);
                       for (const char c : std::string("BDEGHIJKLMNOQRUW"))
                         with(win::VK_CONTROL, c, static_cast<unsigned char>(c - '@'));
                     },
                     // (a tick later: the key's character is looked up when its
                     // message is handled)
                     [] { type("Q"); },
                     [&] {
                       line = cursorline();
                       press(win::VK_DOWN);
                     },
                     [&] { kept = buffer(); }});
  EXPECT_EQ(line, "AQ = 1");
  EXPECT_EQ(kept, "AQ = 1\r\nEND\r\n");
}

// Step runs the cursor line and moves on; Trace runs the script from the
// cursor line statement by statement to its end.
TEST_F(EditorTest, StepAndTraceRunFromTheCursorLine) {
  std::string stepped, traced;
  int after = 0;
  run(script("A = 1\r\nB = A + 1\r\nC = B + 1\r\nEND\r\n"),
      {[] { with(win::VK_MENU, 'S'); },
       [&] {
         stepped = exec::run_outcome();
         after = ide::edcurline;
         with(win::VK_MENU, 'T');
       },
       [&] { traced = exec::run_outcome(); }});
  EXPECT_NE(stepped.find("A=1\nB=0\n"), std::string::npos) << stepped;
  EXPECT_EQ(after, 2);
  EXPECT_NE(traced.find("A=1\nB=2\nC=3\n"), std::string::npos) << traced;
}

// A FUNCTION line typed and run as a step by its Enter comes to the line
// of the function it starts: told as the flow reaching that line, not as
// a second call of a function still running.
TEST_F(EditorTest, AFunctionLineTypedAndSteppedSaysNothingCalledIt) {
  std::string key;
  plat::reset_message_boxes();
  run(script("X = 1\r\nEND\r\n"), {[] {
                                       press(win::VK_END);
                                       press(win::VK_RETURN, '\r');
                                       type("FUNCTION SQ");
                                       press('9', '(');
                                       type("X");
                                       press('0', ')');
                                       press(win::VK_RETURN, '\r');
                                     },
                                     [&] { key = core::msgkey.trimmed(); }});
  EXPECT_EQ(key, "subReached");
  std::string boxes;
  for (const plat::MessageBoxRecord& r : plat::message_box_log()) boxes += r.text + "\n";
  EXPECT_NE(boxes.find("only a call enters"), std::string::npos) << boxes;
}

// A loaded script whose run comes to a FUNCTION line, run from line 1 and
// stepped from line 1: told as the flow reaching that line (the whole
// compile leaves no routine running, and the line's own header called the
// function, whose result was then taken for a routine: notPossible).
TEST_F(EditorTest, AFunctionLineReachedByARunOrAStepSaysNothingCalledIt) {
  std::string ran, stepped;
  plat::reset_message_boxes();
  run(script("A = 1\r\nFUNCTION SQ(X)\r\nSQ = X * X\r\nEND\r\nB = SQ(2)\r\nEND\r\n"),
      {[] { with(win::VK_MENU, 'R'); },
       [&] {
         ran = core::msgkey.trimmed();
         core::msgkey.set("");
         with(win::VK_CONTROL, win::VK_HOME);
         with(win::VK_MENU, 'S');
       },
       [] { with(win::VK_MENU, 'S'); },
       [&] { stepped = core::msgkey.trimmed(); }});
  EXPECT_EQ(ran, "subReached");
  EXPECT_EQ(stepped, "subReached");
  int told = 0;
  for (const plat::MessageBoxRecord& r : plat::message_box_log())
    told += r.text.find("only a call enters") != std::string::npos;
  EXPECT_EQ(told, 2);
}

}  // namespace
}  // namespace idetest
