// The program in the editor follows the text on the screen: after keys
// that delete, cut, paste, undo and redo lines, the compiled code and the
// marks of rejected lines are those of a fresh compile of the same text,
// and a run gives what the windowless run of that text gives.
#include <gtest/gtest.h>

#include <cctype>
#include <cstdlib>
#include <random>
#include <string>
#include <vector>

#include "core/codewords.h"
#include "core/editbuffer.h"
#include "core/findprompt.h"
#include "core/kompil.h"
#include "core/program.h"
#include "core/runwords.h"
#include "core/stores.h"
#include "core/symbols.h"
#include "editor_keys.h"
#include "editor_program.h"
#include "exec/headless_run.h"
#include "ide/editorwords.h"
#include "ide/idewords.h"
#include "ide/m2.h"
#include "ide/textwriters.h"
#include "ide/windowlist.h"
#include "ide_fixture.h"
#include "platform/backend.h"
#include "platform/win_clipboard.h"
#include "platform/win_commdlg.h"
#include "platform/win_message_box.h"
#include "platform/win_message_keys.h"
#include "plot/fontslots.h"
#include "toolkit/services.h"

namespace idetest {
namespace {

// The text and the program as the editor holds them.
struct Held {
  std::string what, text, code;
  bool stale = false;  // compiled from the text before it runs again
};

class EditorProgramTest : public IdeTest {
 protected:
  testsupport::TempDir dir;
  std::vector<Held> held;
  std::string open(const std::string& from) {
    std::string crlf;
    for (char c : testsupport::read_file(testsupport::source_dir() / from)) {
      if (c == '\n' && (crlf.empty() || crlf.back() != '\r')) crlf += '\r';
      crlf += c;
    }
    const std::string name = std::filesystem::path(from).filename().string();
    testsupport::write_file(dir.file(name), crlf);
    return "\"" + dir.file(name) + "\"";
  }
  void randomedits(const char* from);
  void hold(std::string what) {
    held.push_back({std::move(what), buffer(), program(), core::programstale});
  }
  // After the program ended: each held program against a fresh compile.
  void compare() {
    for (const Held& h : held) {
      if (h.stale) continue;
      EXPECT_EQ(h.code, freshprogram(h.text)) << h.what << "\n" << h.text;
    }
  }
};

// Lines selected, deleted with Delete and brought back with one Ctrl+Z
// each, pressed in a row: the text, the program and a run from the first
// line are those of the whole script; and nothing more is left to undo.
TEST_F(EditorProgramTest, DeletedLinesUndoneOneByOneKeepTheProgramWithTheText) {
  const std::string hello = original("examples/hello.ost");
  std::string deleted, outcome, text;
  bool more = true;
  std::vector<Step> steps{[] { down(11); },
                          [] {
                            for (int i = 0; i < 4; ++i) with(win::VK_SHIFT, win::VK_DOWN);
                            press(win::VK_DELETE);
                          },
                          [&] {
                            deleted = buffer();
                            hold("deleted");
                          }};
  // Typed quickly: each Ctrl+Z comes while the one before is compiling.
  steps.push_back([] {
    for (int i = 0; i < 4; ++i) with(win::VK_CONTROL, 'Z');
  });
  steps.push_back([&] {
    hold("undone");
    text = buffer();
    more = core::c1logtop != core::c1logbase;
    with(win::VK_CONTROL, win::VK_HOME);
    with(win::VK_MENU, 'R');
  });
  steps.push_back([&] { outcome = exec::run_outcome(); });
  run(open("examples/hello.ost"), steps);
  // Lines 12 to 15 went, END stayed.
  EXPECT_EQ(deleted.find("105"), std::string::npos) << deleted;
  EXPECT_NE(deleted.find("END\r\n"), std::string::npos) << deleted;
  EXPECT_EQ(text, hello);
  EXPECT_FALSE(more) << "four deletions, four undos";
  compare();
  exec::reset_interpreter();
  EXPECT_EQ(variables(outcome), variables(exec::run_script(hello)));
}

// Shift+Down at the last line: the rows drawn selected, the cursor line
// among them, are the lines that Delete takes.
TEST_F(EditorProgramTest, ASelectionThatReachesTheLastLineIsDrawnAsItIsDeleted) {
  std::string text;
  int selectedrows = 0;
  run(open("examples/hello.ost"), {[] { down(13); },
                                   [] {
                                     for (int i = 0; i < 3; ++i) with(win::VK_SHIFT, win::VK_DOWN);
                                   },
                                   [&] {
                                     selectedrows = rowsof(classbg(6));
                                     press(win::VK_DELETE);
                                   },
                                   [&] {
                                     text = buffer();
                                     hold("deleted");
                                   }});
  EXPECT_EQ(selectedrows, 3);
  const std::string hello = original("examples/hello.ost");
  EXPECT_EQ(text, hello.substr(0, hello.find("  IF (C == 117)")));
  compare();
}

// Ctrl+X on the only line left keeps it, and keeps it compiled: a line
// typed above it is compiled as it is left, its error shown and marked.
TEST_F(EditorProgramTest, CutOnTheOnlyLineLeavesTheScriptCompiling) {
  std::string text, outcome;
  bool marked = false;
  run("\"" + dir.file("untitled.ost") + "\"", {[] {
                                                 for (int i = 0; i < 14; ++i)
                                                   with(win::VK_CONTROL, 'X');
                                               },
                                               [] {
                                                 with(win::VK_MENU, 'I');
                                                 type("N = 5");
                                                 press(win::VK_RETURN, '\r');
                                               },
                                               [] {
                                                 type("K = (3");
                                                 press(win::VK_DOWN);
                                               },
                                               [&] {
                                                 text = buffer();
                                                 marked =
                                                     ide::rejectedline(2) && !ide::rejectedline(1);
                                                 hold("typed");
                                               }});
  EXPECT_EQ(text, "N = 5\r\nK = (3\r\nEND\r\n");
  EXPECT_TRUE(marked);
  bool shown = false;
  for (const plat::MessageBoxRecord& r : plat::message_box_log())
    shown = shown || r.title == "Compile error";
  EXPECT_TRUE(shown);
  compare();
}

// A refused line saved with Ctrl+S while typed shows its error once: the
// save compiles it, and leaving it afterwards has nothing more to compile.
TEST_F(EditorProgramTest, ARefusedLineSavedWhileTypedShowsItsErrorOnce) {
  bool marked = false;
  run(open("examples/hello.ost"), {[] {
                                     down(11);
                                     with(win::VK_MENU, 'I');
                                     type("K = (3");
                                   },
                                   [] {
                                     plat::push_message_box_answer(win::IDOK);
                                     plat::push_message_box_answer(win::IDYES);
                                     with(win::VK_CONTROL, 'S');
                                   },
                                   [] { press(win::VK_DOWN); },
                                   [&] {
                                     marked = ide::rejectedline(12);
                                     hold("left");
                                   }});
  int shown = 0;
  for (const plat::MessageBoxRecord& r : plat::message_box_log())
    shown += r.title == "Compile error";
  EXPECT_EQ(shown, 1);
  EXPECT_TRUE(marked);
  EXPECT_NE(testsupport::read_file(dir.file("hello.ost")).find("K = (3"), std::string::npos);
  compare();
}

// A line of words (a comment without its "!") is refused, and its names
// take no part in the lines below it: the CHARACTER declaration of one of
// them stands, in the editor and in the windowless run of the saved text,
// where the refused line is the only one that fails.
TEST_F(EditorProgramTest, ARefusedLineLeavesNoNamesToTheLinesBelowIt) {
  std::vector<std::int32_t> marked;
  std::string saved;
  run(open("examples/hello.ost"), {[] {
                                     down(1);
                                     with(win::VK_MENU, 'I');
                                     type("see greeting here");
                                     press(win::VK_DOWN);
                                   },
                                   [&] {
                                     hold("refused");
                                     for (std::int32_t l = 1; l <= core::nedlines; ++l)
                                       if (ide::rejectedline(l)) marked.push_back(l);
                                     plat::push_message_box_answer(win::IDYES);
                                     with(win::VK_CONTROL, 'S');
                                   },
                                   [&] { saved = testsupport::read_file(dir.file("hello.ost")); }});
  EXPECT_EQ(marked, std::vector<std::int32_t>{2});
  compare();
  exec::reset_interpreter();
  // The error list: error number (4 columns) and line (5) begin a record.
  const std::string windowless = exec::run_script(saved);
  std::vector<std::int32_t> failed;
  for (std::size_t at = windowless.find('\n'); at != std::string::npos;
       at = windowless.find('\n', at + 1)) {
    const std::string head = windowless.substr(at + 1, 9);
    if (head.size() == 9 && std::atoi(head.substr(0, 4).c_str()) == std::ssize(failed) + 1)
      failed.push_back(std::atoi(head.substr(4).c_str()));
  }
  EXPECT_EQ(failed, marked) << windowless;
}

// File > Open on an idle editor opens the file choice at once: only a run
// that is under way or waits is a reason to ask.
TEST_F(EditorProgramTest, OpenAsksToStopAScriptOnlyWhileOneRuns) {
  std::string text;
  run(open("examples/hello.ost"), {[] {
                                     const auto main = static_cast<win::HWND>(mainwindow());
                                     toolkit::POST_COMMAND(10002, &main);
                                   },
                                   [] { type("Q"); },
                                   [&] {
                                     press(win::VK_ESCAPE, 27);
                                     text = buffer();
                                   }});
  for (const plat::MessageBoxRecord& r : plat::message_box_log())
    EXPECT_EQ(r.text.find("A script is running"), std::string::npos) << r.text;
  EXPECT_EQ(text, original("examples/hello.ost"));
}

// An ENDIF that fails leaves its IF without a statement to go on at, and
// END before the open block is marked; the ENDIF brought back with Ctrl+Z
// closes the block again and END is END again.
TEST_F(EditorProgramTest, ABlockEndThatFailsAndComesBackKeepsTheProgramWithTheText) {
  testsupport::write_file(dir.file("block.ost"),
                          "N = 0\r\nDO K = 1, 3\r\n  IF (K == 1) THEN\r\n    N = N + 1\r\n"
                          "  ENDIF\r\nENDDO\r\nEND\r\n");
  std::string outcome;
  run("\"" + dir.file("block.ost") + "\"", {[] { down(4); },
                                            [] {
                                              press(win::VK_END);
                                              type(" + 1");
                                              press(win::VK_DOWN);
                                            },
                                            [&] {
                                              hold("failed");
                                              with(win::VK_CONTROL, 'Z');
                                            },
                                            [&] {
                                              hold("undone");
                                              with(win::VK_CONTROL, win::VK_HOME);
                                              with(win::VK_MENU, 'R');
                                            },
                                            [&] { outcome = exec::run_outcome(); }});
  compare();
  EXPECT_NE(outcome.find("N=1\n"), std::string::npos) << outcome;
}

// A FUNCTION without dummy arguments: a line of its body typed anew is
// compiled as the whole script compiles it (the function's name there is
// its result, a variable of the main program), and so is the FUNCTION line
// typed anew; each run from line 1 gives the function's value.
TEST_F(EditorProgramTest, ALineOfAFunctionWithoutDummiesTypedAnewKeepsItsResult) {
  testsupport::write_file(dir.file("fg.ost"),
                          "GOTO 100\r\nFUNCTION FG()\r\nFG = K + 10\r\nEND\r\n"
                          "100 K = 2\r\nA = FG()\r\nEND\r\n");
  std::string body, header;
  const auto rerun = [] {
    with(win::VK_CONTROL, win::VK_HOME);
    with(win::VK_MENU, 'R');
  };
  run("\"" + dir.file("fg.ost") + "\"", {[] {
                                          down(2);
                                          press(win::VK_END);
                                          press(win::VK_BACK);
                                          type("2");
                                          press(win::VK_DOWN);
                                        },
                                        [&] {
                                          hold("body typed anew");
                                          rerun();
                                        },
                                        [&] {
                                          body = exec::run_outcome();
                                          with(win::VK_CONTROL, win::VK_HOME);
                                          down(1);
                                          press(win::VK_END);
                                          type(" ");
                                          press(win::VK_DOWN);
                                        },
                                        [&] {
                                          hold("FUNCTION line typed anew");
                                          rerun();
                                        },
                                        [&] { header = exec::run_outcome(); }});
  EXPECT_NE(body.find("A=14\n"), std::string::npos) << body;
  EXPECT_NE(body.find("FG=14\n"), std::string::npos) << body;
  EXPECT_NE(header.find("A=14\n"), std::string::npos) << header;
  compare();
}

// One Ctrl+Z takes back the last change only: lines pasted below the last
// line stay when the line typed after them is undone, and are compiled.
TEST_F(EditorProgramTest, UndoTakesBackTheTypingAndLeavesTheLinesPastedBelowTheEnd) {
  std::string text;
  run(open("examples/hello.ost"), {[] {
                                     down(4);
                                     with(win::VK_CONTROL, 'C');
                                     with(win::VK_CONTROL, win::VK_END);
                                     with(win::VK_CONTROL, 'V');
                                   },
                                   [&] {
                                     hold("pasted");
                                     press(win::VK_UP);
                                     press(win::VK_END);
                                     type(" + 1");
                                     press(win::VK_UP);
                                   },
                                   [&] {
                                     hold("typed");
                                     with(win::VK_CONTROL, 'Z');
                                   },
                                   [&] {
                                     hold("undone");
                                     text = buffer();
                                   }});
  const std::string hello = original("examples/hello.ost");
  EXPECT_EQ(text, hello + "N = LEN_TRIM(GREETING)\r\n");
  compare();
}

// A statement of 285 characters and a comment of 300 between short lines.
std::string longscript() {
  std::string sum = "X = ";
  for (int k = 0; k < 70; ++k) sum += "1 + ";
  sum += "1";
  return "N = 1\r\n" + sum + "\r\n! " + std::string(298, 'c') + "\r\nM = 2\r\nEND\r\n";
}

// Opened, a line longer than a line may be stays whole: it is marked as
// rejected (the comment is not), Run tells its length, and it is saved as
// it stands when another line is changed.
TEST_F(EditorProgramTest, ALongLineStaysWholeRejectedAndSavedAsItStands) {
  const std::string text = longscript();
  testsupport::write_file(dir.file("long.ost"), text);
  std::string opened, saved;
  bool marked = false, comment = true;
  run("\"" + dir.file("long.ost") + "\"", {[&] {
                                             opened = buffer();
                                             marked = ide::rejectedline(2);
                                             comment = ide::rejectedline(3);
                                             hold("opened");
                                             with(win::VK_MENU, 'R');
                                           },
                                           [] {
                                             with(win::VK_CONTROL, win::VK_HOME);
                                             down(3);
                                             press(win::VK_END);
                                             type(" + 1");
                                             press(win::VK_DOWN);
                                           },
                                           [] {
                                             plat::push_message_box_answer(win::IDYES);
                                             with(win::VK_CONTROL, 'S');
                                           },
                                           [&] {
                                             hold("another line changed");
                                             saved = testsupport::read_file(dir.file("long.ost"));
                                           }});
  EXPECT_EQ(opened, text);
  EXPECT_TRUE(marked);
  EXPECT_FALSE(comment);
  bool told = false;
  for (const plat::MessageBoxRecord& r : plat::message_box_log())
    told = told || r.text.find("line 2 holds 285 characters") != std::string::npos;
  EXPECT_TRUE(told) << "Run does not tell the line's length";
  // No statement goes on in a next line: the message names the ways that
  // do shorten one.
  bool ways = false;
  for (const plat::MessageBoxRecord& r : plat::message_box_log())
    ways = ways || (r.text.find("cannot go on in the next line") != std::string::npos &&
                    r.text.find("DLG('#name'") != std::string::npos);
  EXPECT_TRUE(ways) << "the message does not tell how to shorten the statement";
  std::string changed = text;
  changed.replace(changed.find("M = 2"), 5, "M = 2 + 1");
  EXPECT_EQ(saved, changed);
  compare();
  exec::reset_interpreter();
  const std::string windowless = exec::run_script(text);
  EXPECT_NE(windowless.find("line=2 key=lineTooLong\n"), std::string::npos) << windowless;
  EXPECT_NE(windowless.find("too long: 285 characters"), std::string::npos) << windowless;
}

// A line longer than the line input takes is held whole: End, Right and
// Left never leave it, typing, Backspace, Delete and Paste into it are told
// and change nothing; Ctrl+X takes it whole (the clipboard too) and Ctrl+Z
// brings it back.
TEST_F(EditorProgramTest, ALongLineIsHeldWhole) {
  const std::string text = longscript();
  testsupport::write_file(dir.file("long.ost"), text);
  std::string typed, clipped, cut, back;
  std::int32_t line = 0;
  run("\"" + dir.file("long.ost") + "\"", {[] {
                                             // The editor starts on the failed line.
                                             EXPECT_EQ(ide::edcurline, 2);
                                             press(win::VK_END);
                                             for (int k = 0; k < 60; ++k) press(win::VK_RIGHT);
                                             type("Q");
                                             press(win::VK_BACK, 8);
                                             press(win::VK_HOME);
                                             press(win::VK_LEFT);
                                             press(win::VK_DELETE);
                                             with(win::VK_CONTROL, 'V');
                                           },
                                           [&] {
                                             line = ide::edcurline;
                                             typed = buffer();
                                             hold("typed into");
                                             with(win::VK_CONTROL, 'X');
                                           },
                                           [&] {
                                             cut = buffer();
                                             clipped = plat::clipboard_text();
                                             hold("cut");
                                             with(win::VK_CONTROL, 'Z');
                                           },
                                           [&] {
                                             back = buffer();
                                             hold("cut undone");
                                           }});
  const std::size_t at = text.find("X = "), end = text.find("\r\n", at);
  const std::string whole = text.substr(at, end - at);
  EXPECT_EQ(line, 2);
  EXPECT_EQ(typed, text);
  int told = 0;
  for (const plat::MessageBoxRecord& r : plat::message_box_log())
    told += r.text.find("line 2 holds 285 characters, more than the editor") != std::string::npos;
  EXPECT_EQ(told, 4) << "Q, Backspace, Delete and Paste";
  EXPECT_EQ(clipped, whole + "\r\n");
  EXPECT_EQ(cut, std::string(text).erase(at, whole.size() + 2));
  EXPECT_EQ(back, text);
  compare();
}

// Undo and Redo put lines back into the program and run none of them: a
// line brought back that writes a value leaves it unwritten.
TEST_F(EditorProgramTest, UndoAndRedoRunNothing) {
  testsupport::write_file(dir.file("undo.ost"), "N = 5\r\nK = N + 100\r\nEND\r\n");
  std::string outcome;
  run("\"" + dir.file("undo.ost") + "\"",
      {[] {
         press(win::VK_DOWN);
         with(win::VK_CONTROL, 'X');
       },
       [] { with(win::VK_CONTROL, 'Z'); }, [] { with(win::VK_CONTROL, 'Y'); },
       [] { with(win::VK_CONTROL, 'Z'); },
       [&] {
         hold("undone");
         outcome = exec::run_outcome();
       }});
  EXPECT_EQ(outcome.substr(0, outcome.find("stop=")), "N=0\nK=0\n");
  compare();
}

// Ctrl+S on a new script while a line is being typed: the script is saved
// as the screen shows it, that line included, and the choice of its name
// leaves the line input's text to the user (the title took its place and
// was written back as line 2). Cancelled, nothing changes.
TEST_F(EditorProgramTest, SavingANewScriptKeepsTheLineBeingTyped) {
  const std::string target = dir.file("named.ost");
  std::string cancelled, text;
  run("\"" + dir.file("untitled.ost") + "\"",
      {[] {
         press(win::VK_DOWN);
         press(win::VK_END);
         type(" Z");
       },
       [] { with(win::VK_CONTROL, 'S'); },
       [&] {
         cancelled = buffer();
         plat::push_dialog_answer({true, {{"File name", target}}});
         plat::push_message_box_answer(win::IDYES);  // create it
         with(win::VK_CONTROL, 'S');
       },
       [] { press(win::VK_DOWN); },
       [&] {
         text = buffer();
         hold("saved and left");
       }});
  const std::size_t second = text.find("\r\n") + 2;
  const std::string line2 = text.substr(second, text.find("\r\n", second) - second);
  EXPECT_TRUE(line2.starts_with("! RUN") && line2.ends_with(" Z")) << line2;
  EXPECT_EQ(cancelled, text);
  EXPECT_EQ(testsupport::read_file(target), text);
  compare();
}

// Random edits of real scripts (seeded, so that a failure repeats): after
// each the text, the program and its rejected lines are those of a fresh
// compile of the same text. (A text whose first line fails gives no
// program to compare.)
void EditorProgramTest::randomedits(const char* from) {
  {
    std::mt19937 random(20240506);
    const auto pick = [&](int n) { return static_cast<int>(random() % static_cast<unsigned>(n)); };
    std::vector<Step> steps{[] { down(2); }};
    std::string last = "opened";
    for (int i = 0; i < 30; ++i) {
      const int op = pick(9), n = 1 + pick(3);
      static constexpr const char* names[] = {
          "down", "up",   "select and delete", "cut", "copy and paste", "undo",
          "redo", "type", "new line"};
      steps.push_back([this, op, n, i, &last] {
        hold(last);
        last = std::to_string(i) + " " + names[op] + " " + std::to_string(n);
        switch (op) {
          case 0:
            down(n);
            break;
          case 1:
            for (int k = 0; k < n && ide::edcurline > 2; ++k) press(win::VK_UP);
            break;
          case 2:
            for (int k = 0; k < n; ++k) with(win::VK_SHIFT, win::VK_DOWN);
            press(win::VK_DELETE);
            break;
          case 3:
            with(win::VK_CONTROL, 'X');
            break;
          case 4:
            // Pasted lines go below the cursor line, also below the last.
            with(win::VK_CONTROL, 'C');
            if (n == 3) {
              with(win::VK_CONTROL, win::VK_END);
            } else {
              for (int k = 0; k < n; ++k) press(win::VK_DOWN);
            }
            with(win::VK_CONTROL, 'V');
            break;
          case 5:
            for (int k = 0; k < n; ++k) with(win::VK_CONTROL, 'Z');
            break;
          case 6:
            for (int k = 0; k < n; ++k) with(win::VK_CONTROL, 'Y');
            break;
          case 7:
            press(win::VK_END);
            type(n == 1 ? " + 1" : n == 2 ? " * 2" : " X");
            press(win::VK_DOWN);
            break;
          default:
            press(win::VK_END);
            press(win::VK_RETURN, '\r');
            break;
        }
      });
    }
    steps.push_back([this, &last] { hold(last); });
    run(open(from), steps);
    for (const Held& h : held) {
      const std::string fresh = freshprogram(h.text);
      if (fresh != "statements 0\n") {
        EXPECT_EQ(h.code, fresh) << h.what << "\n" << h.text;
      }
    }
  }
}

TEST_F(EditorProgramTest, RandomEditsKeepTheProgramOfTheTextOfBlockLoops) {
  randomedits("tests/scripts/do_loops.ost");
}

TEST_F(EditorProgramTest, RandomEditsKeepTheProgramOfTheTextOfASieve) {
  randomedits("examples/primes.ost");
}

// A paste that stops on a line the compiler refuses leaves the cursor on
// that line, here the row below the last one shown: the view follows it
// there, as it follows the cursor after a paste that does not stop.
TEST_F(EditorProgramTest, APasteStoppedOnARefusedLineShowsTheCursorLine) {
  std::string text;
  for (int k = 0; k < 100; ++k) text += "N = N + 1\r\n";
  testsupport::write_file(dir.file("long.ost"), text + "END\r\n");
  std::int32_t cursor = 0, first = 0, rows = 0, last = 0;
  bool refused = false;
  run("\"" + dir.file("long.ost") + "\"", {[&] {
                                             plat::set_clipboard_text("N = 2\r\nK = (3\r\n");
                                             last = ide::edfirstline + ide::edrows - 1;
                                             down(last - 2);
                                             with(win::VK_CONTROL, 'V');
                                           },
                                           [&] {
                                             cursor = ide::edcurline;
                                             first = ide::edfirstline;
                                             rows = ide::edrows;
                                             refused = ide::rejectedline(last + 1);
                                           }});
  EXPECT_EQ(cursor, last + 1);
  EXPECT_TRUE(refused);
  EXPECT_TRUE(cursor >= first && cursor < first + rows)
      << "cursor " << cursor << ", rows from " << first << " (" << rows << ")";
}

// Find marks the match it found in the text class of matches, in the
// cursor line (the row on the input line's background) and in the other
// rows that hold it.
TEST_F(EditorProgramTest, FindMarksTheMatch) {
  int marked = 0, markedinput = 0;
  run(open("examples/hello.ost"), {[] {
                                     // As the Find window's switch "Mark the
                                     // matches" sets it.
                                     core::findoptions[6] = 1;
                                     ide::edfindtext.set("VOWELS");
                                     const auto main = static_cast<win::HWND>(mainwindow());
                                     toolkit::POST_COMMAND(10105, &main);
                                   },
                                   [&] {
                                     snapshot("editor_find");
                                     const auto w = static_cast<win::HWND>(mainwindow());
                                     std::vector<int> input;
                                     for (int y = 0; y < 1000; ++y) {
                                       if (plat::window_pixel(w, 600, y) == classbg(5))
                                         input.push_back(y);
                                       for (int x = 0; x < 400; x += 2)
                                         marked += plat::window_pixel(w, x, y) == classbg(17);
                                     }
                                     // Columns of the input row in the match's background
                                     // from its top to its bottom (a letter's stroke is
                                     // shorter than the row).
                                     for (int x = 0; x < 600 && !input.empty(); ++x) {
                                       bool whole = true;
                                       for (const int y : input)
                                         whole =
                                             whole && plat::window_pixel(w, x, y) == classbg(17);
                                       markedinput += whole;
                                     }
                                   }});
  EXPECT_GT(marked, 0);
  EXPECT_GT(markedinput, 0) << "the match in the cursor line is not marked";
}

// A find that moves the cursor to another row in view marks the matches of
// the rows it left as they are (here the row below the one found, where no
// cursor stands); with whole words only, the mark skips a word that merely
// starts with the search text: "A" is marked in "AB = A" five columns
// further right.
TEST_F(EditorProgramTest, FindMarksTheRowsInViewAndWholeWordsOnlyWhenAskedTo) {
  testsupport::write_file(dir.file("words.ost"), "X = 1\r\nAB = A + 1\r\nAB = A + 2\r\nEND\r\n");
  int cell = 0;
  std::array<int, 2> left{-1, -1};
  for (const int words : {0, 1}) {
    run("\"" + dir.file("words.ost") + "\"",
        {[words] {
           core::findoptions[6] = 1;
           core::findoptions[1] = static_cast<std::int8_t>(words);
           ide::edfindtext.set("A");
           const auto main = static_cast<win::HWND>(mainwindow());
           toolkit::POST_COMMAND(10105, &main);
         },
         [&, words] {
           const auto w = static_cast<win::HWND>(mainwindow());
           cell = plot::fontslots(ide::wdwhead->fontslot).cellwidth;
           int below = 0;  // the top of the row below the cursor's
           while (below < 400 && plat::window_pixel(w, 600, below) != classbg(5)) ++below;
           while (below < 400 && plat::window_pixel(w, 600, below) == classbg(5)) ++below;
           // The first column in the match's background along the row's top
           // (which no letter reaches).
           for (int x = 0; x < 600 && left[words] < 0; ++x)
             if (plat::window_pixel(w, x, below) == classbg(17) &&
                 plat::window_pixel(w, x, below + 1) == classbg(17))
               left[words] = x;
         }});
    core::findoptions.fill(0);
  }
  ASSERT_GE(left[0], 0) << "no match marked";
  EXPECT_EQ(left[1] - left[0], 5 * cell);
}

}  // namespace
}  // namespace idetest

namespace idetest {
namespace {

class EditorRunTest : public EditorProgramTest {
 protected:
  // After the steps: the IDE's run from line 1 gives what the windowless run
  // of the text on screen gives.
  void runsame(std::vector<Step> steps, std::string script = "") {
    std::string outcome, text;
    steps.push_back([&] {
      hold("before the run");
      text = buffer();
      with(win::VK_CONTROL, win::VK_HOME);
      with(win::VK_MENU, 'R');
    });
    steps.push_back([&] { outcome = exec::run_outcome(); });
    run(script.empty() ? open("examples/hello.ost") : script, steps);
    compare();
    exec::reset_interpreter();
    EXPECT_EQ(variables(outcome), variables(exec::run_script(text))) << text;
    last = text;
  }
  std::string last;
};

TEST_F(EditorRunTest, WholeFileDeletedThenUndoneRunsTheWholeScript) {
  runsame({[] {
             with(win::VK_CONTROL, win::VK_HOME);
             for (int i = 0; i < 20; ++i) with(win::VK_SHIFT, win::VK_DOWN);
           },
           [] { press(win::VK_DELETE); },
           [] {
             for (int i = 0; i < 17; ++i) with(win::VK_CONTROL, 'Z');
           }});
  EXPECT_EQ(last, original("examples/hello.ost"));
}

TEST_F(EditorRunTest, ANewLineUndoneAndRedoneRunsAsTyped) {
  runsame({[] {
             down(11);
             with(win::VK_MENU, 'I');
             type("  IF (C == 121) VOWELS = VOWELS + 10");
             press(win::VK_DOWN);
           },
           [] { with(win::VK_CONTROL, 'Z'); }, [] { with(win::VK_CONTROL, 'Y'); }});
  EXPECT_NE(last.find("(C == 121)"), std::string::npos) << last;
}

// A line typed and left by a new line (Alt+I) is compiled as it is left,
// also when the compiler refuses it.
TEST_F(EditorRunTest, ALineLeftByANewLineIsCompiled) {
  runsame({[] {
             down(11);
             with(win::VK_MENU, 'I');
             type("Q = 1");
             with(win::VK_MENU, 'I');
             type("Q = 2");
             press(win::VK_DOWN);
           },
           [this] { hold("typed"); },
           [] {
             with(win::VK_MENU, 'I');
             type("Q = (2");
             with(win::VK_MENU, 'I');
           },
           [this] { hold("refused"); },
           [] {
             press(win::VK_DOWN);
             with(win::VK_CONTROL, 'X');
           }});
}

// Ctrl+S while a typed line is still in the line input: the line's
// statement is made as the line goes into the text, so that the program
// is that of the text saved before the line is left.
TEST_F(EditorRunTest, ALineSavedWhileTypedIsCompiled) {
  runsame({[] {
             down(11);
             with(win::VK_MENU, 'I');
             type("  IF (C == 121) VOWELS = VOWELS + 10");
           },
           [] {
             plat::push_message_box_answer(win::IDYES);
             with(win::VK_CONTROL, 'S');
           },
           [this] { hold("saved while typed"); },
           // (The line is left by a key of its own before the run.)
           [] { press(win::VK_DOWN); }});
  EXPECT_NE(last.find("(C == 121)"), std::string::npos) << last;
}

// A labelled loop that ran, with lines typed above it and one of them
// taken back by Ctrl+Z: the loop still ends at its label's statement (a
// loop that runs no pass goes on after it).
TEST_F(EditorRunTest, LinesUndoneAboveALabelledLoopThatRanKeepItsEnd) {
  testsupport::write_file(dir.file("label.ost"),
                          "N = 0\r\nDO 10 K = 1, 0\r\n  N = N + 1\r\n10 CONTINUE\r\nEND\r\n");
  runsame({[] { with(win::VK_MENU, 'R'); },
           [] {
             with(win::VK_CONTROL, win::VK_HOME);
             with(win::VK_MENU, 'I');
             type("Q = 1");
             press(win::VK_DOWN);
             with(win::VK_MENU, 'I');
             type("Q = 2");
             press(win::VK_DOWN);
           },
           [] { with(win::VK_CONTROL, 'Z'); }},
          "\"" + dir.file("label.ost") + "\"");
}

// A labelled line cut and pasted above: its label stands at the line as
// pasted, whatever line the cursor stood on.
TEST_F(EditorRunTest, APastedLabelStandsAtItsLine) {
  testsupport::write_file(dir.file("label.ost"),
                          "M = 0\r\nN = 0\r\nIF (M < 1) GOTO 10\r\nN = 50\r\n"
                          "10 M = M + 1\r\nEND\r\n");
  runsame({[] {
             down(4);
             with(win::VK_CONTROL, 'X');
           },
           [] {
             with(win::VK_CONTROL, win::VK_HOME);
             with(win::VK_CONTROL, 'V');
           },
           [this] { hold("pasted"); }},
          "\"" + dir.file("label.ost") + "\"");
  EXPECT_NE(last.find("M = 0\r\n10 M = M + 1\r\n"), std::string::npos) << last;
}

// A label that two lines carry stands at the last of them, as in a whole
// compile: a line typed above the last one that carries it too, or the
// last one cut, and the run goes to the last line left.
TEST_F(EditorRunTest, ALabelCarriedTwiceStandsAtItsLastLine) {
  testsupport::write_file(dir.file("twice.ost"),
                          "N = 0\r\nIF (N < 1) GOTO 10\r\nM = 5\r\n10 N = N + 100\r\nEND\r\n");
  runsame({[] {
            down(2);
            with(win::VK_MENU, 'I');
            type("10 N = N + 1");
            press(win::VK_DOWN);
          }},
          "\"" + dir.file("twice.ost") + "\"");
  EXPECT_NE(last.find("GOTO 10\r\n10 N = N + 1\r\nM = 5"), std::string::npos) << last;
  testsupport::write_file(dir.file("cut.ost"), last);
  runsame({[] {
            down(4);
            with(win::VK_CONTROL, 'X');
          }},
          "\"" + dir.file("cut.ost") + "\"");
  EXPECT_EQ(last.find("N + 100"), std::string::npos) << last;
}

// A label line edited: the label it no longer carries stands nowhere, and
// a line the compiler refuses carries none (the loop on it is refused as a
// fresh compile refuses it).
TEST_F(EditorRunTest, ALabelEditedAwayStandsNowhere) {
  testsupport::write_file(dir.file("label.ost"),
                          "N = 0\r\nDO 10 K = 1, 3\r\n  N = N + 1\r\n10 CONTINUE\r\nEND\r\n");
  runsame({[] {
             down(3);
             press(win::VK_DELETE);
             type("2");
             press(win::VK_DOWN);
           },
           [this] { hold("edited to 20 CONTINUE"); },
           [] {
             press(win::VK_UP);
             press(win::VK_END);
             type(" X");
             press(win::VK_DOWN);
           },
           [this] { hold("edited to 20 CONTINUE X"); },
           [] {
             // Whole again, with the loop on the new label.
             with(win::VK_CONTROL, win::VK_HOME);
             down(3);
             press(win::VK_END);
             press(win::VK_BACK);
             press(win::VK_BACK);
             press(win::VK_DOWN);
           },
           [] {
             with(win::VK_CONTROL, win::VK_HOME);
             down(1);
             for (int i = 0; i < 3; ++i) press(win::VK_RIGHT);
             press(win::VK_DELETE);
             type("2");
             press(win::VK_DOWN);
           }},
          "\"" + dir.file("label.ost") + "\"");
  EXPECT_NE(last.find("DO 20 K"), std::string::npos) << last;
}

}  // namespace
}  // namespace idetest

namespace idetest {
namespace {

// Scripts whose XEQ texts fail, or ran the run on for ever or ended it
// without a word: run in the editor, each stops once where the windowless
// run stops and leaves what it leaves; run again from there, it fails
// again as it did (a function that the text references is no longer
// running). (A run driver that hands the same statement back again and
// again is cut short.)
TEST_F(EditorProgramTest, XeqTextsEndTheRunInTheEditorAsWithoutAWindow) {
  static int stages = 0;
  static void (*executor)(std::span<const std::int16_t>) = nullptr;
  static constexpr void (*guarded)(std::span<const std::int16_t>) =
      [](std::span<const std::int16_t> code) {
        if (++stages < 200) return executor(code);
        if (stages == 200) ADD_FAILURE() << "the run does not end";
        core::xeqstop = core::stops::error;
        core::xeqmode &= ~core::runmode::running;
      };
  struct Case {
    const char* script;
    std::int32_t line;  // where the run stops, 0 at its end
  };
  for (const Case c : {Case{"xeq_text_run_error", 4}, Case{"xeq_number_into_text", 4},
                       Case{"xeq_whole_right_side", 13}, Case{"xeq_function_run_error", 3},
                       Case{"xeq_function_reference", 0}, Case{"xeq_text_into_number", 5}}) {
    SCOPED_TRACE(c.script);
    const std::string from = std::string("tests/scripts/") + c.script;
    std::string outcome, again;
    std::int32_t stopped = 0, stoppedagain = 0;
    plat::reset_message_boxes();
    stages = 0;
    run(open(from + ".ost"), {[] {
                                executor = core::xeqstage;
                                core::xeqstage = guarded;
                                with(win::VK_MENU, 'R');
                              },
                              [&] {
                                outcome = exec::run_outcome();
                                stopped = ide::edcurline;
                                with(win::VK_MENU, 'R');
                              },
                              [&] {
                                again = exec::run_outcome();
                                stoppedagain = ide::edcurline;
                              }});
    int errors = 0;
    for (const plat::MessageBoxRecord& r : plat::message_box_log()) {
      errors += r.title == "Run error";
      EXPECT_EQ(r.text.find("still running"), std::string::npos) << r.text;
    }
    EXPECT_EQ(errors, c.line > 0 ? 2 : 0);
    if (c.line > 0) {
      EXPECT_EQ(stopped, c.line);
      EXPECT_EQ(stoppedagain, c.line);
      EXPECT_EQ(variables(again), variables(outcome));
    }
    EXPECT_EQ(variables(outcome),
              variables(testsupport::read_file(testsupport::source_dir() / (from + ".out"))));
  }
}

}  // namespace
}  // namespace idetest
