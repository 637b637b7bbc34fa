// What the window shows of a run: after it, the stop line is the one
// input row, drawn as a cursor move would draw it, and in view; while it
// goes on, a sized window shows the script and the status bar the run;
// a run that begins below the first line says where it continued; a step
// tells its line; a break on a variable shows where the run stopped.
#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "core/runwords.h"
#include "core/stores.h"
#include "editor_keys.h"
#include "exec/headless_run.h"
#include "ide/bookmarks.h"
#include "ide/editorwords.h"
#include "ide/fedhlp.h"
#include "ide/idewords.h"
#include "ide/m2.h"
#include "ide/menutool.h"
#include "ide/statusbar.h"
#include "ide/textwriters.h"
#include "ide/tooltip.h"
#include "ide_fixture.h"
#include "platform/win_message_box.h"
#include "platform/win_window.h"
#include "toolkit/records.h"

namespace idetest {
namespace {

std::string field(int k) { return std::string(ide::statusfields[k - 1].text.data()); }
std::string userfield() { return field(5); }

std::string script(int lines) {
  std::string s = "N = 0\r\n";
  for (int k = 2; k < lines; ++k) s += "N = N + " + std::to_string(k) + "\r\n";
  return s + "END\r\n";
}

// Text rows whose right end has the colour.
int rowsof(std::uint32_t colour) {
  const auto w = static_cast<win::HWND>(mainwindow());
  const int ch = plot::fontslots(ide::wdwhead->fontslot).cellheight;
  int n = 0;
  for (int y = 0; y < 1100; ++y) n += plat::window_pixel(w, 600, y) == colour;
  return n / ch;
}

// The first line the main window's scroll bar stands at.
int scrolledto() {
  const toolkit::window_record_t* r =
      toolkit::FIND_WINDOW_RECORD(static_cast<win::HWND>(mainwindow()));
  if (r == nullptr) return 0;
  return (r->first_box != nullptr ? r->first_box->scroll : r->scroll).first_line + 1;
}

class RunScreenTest : public IdeTest {
 protected:
  void TearDown() override {
    ide::helpwindow = core::HELP;
    IdeTest::TearDown();
  }
  testsupport::TempDir dir;
  std::string file(const std::string& name, const std::string& text) {
    testsupport::write_file(dir.file(name), text);
    return "\"" + dir.file(name) + "\"";
  }
};

// Alt+R on line 3 of 20: the run ends on END, which becomes the cursor
// line; the picture is the one the editor draws when the cursor leaves the
// line and comes back, with one input row.
TEST_F(RunScreenTest, AfterARunTheStopLineIsTheInputRowAsACursorMoveDrawsIt) {
  std::vector<std::uint32_t> afterrun, aftermove;
  int inputrows = 0;
  std::string held;
  run(file("twenty.ost", script(20)), {[] { down(2); }, [] { with(win::VK_MENU, 'R'); },
                                       [&] {
                                         afterrun = picture(22, 40);
                                         inputrows = rowsof(ide::colour(ide::colnum(10)));
                                         held = std::string(ide::edlinebuf.data() + 1, 3);
                                         press(win::VK_UP);
                                         press(win::VK_DOWN);
                                       },
                                       [&] { aftermove = picture(22, 40); }});
  EXPECT_EQ(held, "END");
  EXPECT_EQ(inputrows, 1);
  EXPECT_TRUE(afterrun == aftermove) << "the picture after the run is stale";
}

// A run that ends on line 5,000 of 5,000 shows that line, and the scroll
// bar stands where the view stands.
TEST_F(RunScreenTest, ARunEndingOnTheLastLineShowsItWithTheScrollBarAtTheEnd) {
  std::int32_t first = 0, rows = 0, cursor = 0;
  int thumb = 0;
  run(file("long.ost", script(5000)), {[] { with(win::VK_MENU, 'R'); },
                                       [&] {
                                         first = ide::edfirstline;
                                         rows = ide::edrows;
                                         cursor = ide::edcurline;
                                         thumb = scrolledto();
                                       }});
  EXPECT_EQ(cursor, 5000);
  EXPECT_EQ(first + rows - 1, 5000);
  EXPECT_EQ(thumb, first);
}

// The window sized while a run goes on shows the script's lines at once,
// and the status bar tells of the run, not the welcome or its labels.
TEST_F(RunScreenTest, WhileARunGoesOnTheSizedWindowShowsTheScriptAndTheBarTheRun) {
  std::string during, labels, after;
  int inked = 0;
  // The run waits for an event, again and again.
  const std::string loop = "N = 0\r\n10 W = ALARM(1)\r\nN = N + 1\r\nGOTO 10\r\nEND\r\n";
  run(file("loop.ost", loop), {[] { with(win::VK_MENU, 'R'); },
                               [&] {
                                 during = userfield();
                                 win::SetWindowPos(static_cast<win::HWND>(mainwindow()), nullptr, 0,
                                                   0, 640, 420, win::SWP_NOZORDER);
                               },
                               [&] {
                                 const std::uint32_t paper = ide::colour(ide::colnum(8));
                                 for (const std::uint32_t px : picture(5, 20)) inked += px != paper;
                                 for (int k = 1; k <= 4; ++k) labels += field(k) + "|";
                                 press(win::VK_ESCAPE, 27);
                               },
                               [&] { after = userfield(); }});
  EXPECT_EQ(during, "Running");
  EXPECT_GT(inked, 0) << "the sized window is blank";
  EXPECT_EQ(labels.find("Line"), std::string::npos) << labels;
  EXPECT_EQ(after, "Run stopped at line 3");
}

// After a compile error the editor stands on the failed line; the line
// corrected and left, Run continues at the cursor line, and the status bar
// says so. From the first line, the run is the windowless run of the text.
TEST_F(RunScreenTest, ARunThatBeginsBelowTheFirstLineSaysWhereItContinued) {
  std::string continued, whole, text, outcome;
  run(file("fix.ost", "A = 1\r\nB = 2\r\nC = (3\r\nD = 4\r\nEND\r\n"),
      {[] { with(win::VK_MENU, 'R'); },
       [] {
         press(win::VK_END);
         press(win::VK_BACK, 8);
         press(win::VK_BACK, 8);
         type("3");
         press(win::VK_DOWN);
       },
       [] { with(win::VK_MENU, 'R'); },
       [&] {
         continued = userfield();
         with(win::VK_CONTROL, win::VK_HOME);
         with(win::VK_MENU, 'R');
       },
       [&] {
         whole = userfield();
         text = buffer();
         outcome = exec::run_outcome();
       }});
  EXPECT_EQ(continued, "Run continued at line 4, ended at line 5");
  EXPECT_EQ(whole, "Run ended at line 5");
  EXPECT_EQ(text, "A = 1\r\nB = 2\r\nC = 3\r\nD = 4\r\nEND\r\n");
  exec::reset_interpreter();
  const std::string windowless = exec::run_script(text);
  EXPECT_EQ(outcome.substr(0, outcome.find("stop=")),
            windowless.substr(0, windowless.find("stop=")));
}

// A script whose first line the compile at opening refuses: Run and Step
// show that box again, with the same text, and run nothing; once the line
// is corrected, Run compiles the script and runs it.
TEST_F(RunScreenTest, RunAndStepAfterARefusedFirstLineShowItsBoxAgain) {
  std::vector<std::string> boxes;  // the boxes shown so far, after each command
  const auto look = [&] {
    std::string all;
    for (const plat::MessageBoxRecord& r : plat::message_box_log())
      all += r.title + ": " + r.text + "\n";
    boxes.push_back(all);
  };
  std::string status, text;
  run(file("first.ost", "X = = 1\r\nY = 2\r\nEND\r\n"),
      {[&] {
         look();
         with(win::VK_MENU, 'R');
       },
       [&] {
         look();
         with(win::VK_MENU, 'S');
       },
       [&] {
         look();
         with(win::VK_CONTROL, win::VK_HOME);
         press(win::VK_END);
         with(win::VK_SHIFT, win::VK_HOME);
         type("X = 1");
         press(win::VK_DOWN);
       },
       [] { with(win::VK_CONTROL, win::VK_HOME); }, [] { with(win::VK_MENU, 'R'); },
       [&] {
         look();
         status = userfield();
         text = buffer();
       }});
  const std::string box =
      "Compile error: The first line of the script cannot be compiled, so nothing is run.\n"
      "Correct the first line and start again.\nX = = 1\nkey=ezl1\n";
  ASSERT_EQ(boxes.size(), 4u);
  EXPECT_EQ(boxes[0], box) << "at opening";
  EXPECT_EQ(boxes[1], box + box) << "after Alt+R";
  EXPECT_EQ(boxes[2], box + box + box) << "after Alt+S";
  EXPECT_EQ(boxes[3], boxes[2]) << "after the first line was corrected";
  EXPECT_EQ(text, "X = 1\r\nY = 2\r\nEND\r\n");
  EXPECT_EQ(status, "Run ended at line 3");
}

// The same box comes again for a script that is its refused line alone
// (it compiles to no statement at all), and after another line was changed
// and left with an arrow key: leaving that line shows no box, the next Run
// and Step show it once each. The status bar says each was refused.
TEST_F(RunScreenTest, AOneLineScriptAndALineLeftByAnArrowStillShowTheRefusalAgain) {
  const auto count = [] { return plat::message_box_log().size(); };
  std::vector<std::size_t> alone, arrow;
  std::vector<std::string> told;
  run(file("alone.ost", "X = = 1\r\n"), {[&] {
                                           alone.push_back(count());
                                           with(win::VK_MENU, 'R');
                                         },
                                         [&] {
                                           alone.push_back(count());
                                           told.push_back(userfield());
                                           with(win::VK_MENU, 'S');
                                         },
                                         [&] {
                                           alone.push_back(count());
                                           told.push_back(userfield());
                                         }});
  run(file("arrow.ost", "X = = 1\r\nY = 2\r\nEND\r\n"), {[&] {
                                                           arrow.push_back(count());
                                                           press(win::VK_DOWN);
                                                           press(win::VK_END);
                                                           type(" + 1");
                                                           press(win::VK_UP);
                                                         },
                                                         [&] {
                                                           arrow.push_back(count());
                                                           with(win::VK_MENU, 'R');
                                                         },
                                                         [&] {
                                                           arrow.push_back(count());
                                                           with(win::VK_MENU, 'S');
                                                         },
                                                         [&] { arrow.push_back(count()); }});
  EXPECT_EQ(alone, (std::vector<std::size_t>{1, 2, 3})) << "the script of its refused line alone";
  EXPECT_EQ(arrow, (std::vector<std::size_t>{1, 1, 2, 3})) << "a changed line left with Up";
  EXPECT_EQ(told, (std::vector<std::string>{
                      "Run refused: the script could not be compiled, nothing was run",
                      "Step refused: the script could not be compiled, nothing was run"}));
}

// Find tells in the status bar which line it found, and the value tip of
// the found word covers no code of the rows around it; a print of the
// script to a file names the file and its folder.
TEST_F(RunScreenTest, FindAndAPrintToAFileSayWhatTheyDidAndTheFoundValueHidesNoCode) {
  static int asked = 0;
  asked = 0;
  // File > Print: the script's window as preset, "Print".
  ide::helpwindow = [](std::string_view key, int& answer, const core::HelpValues& v) {
    if (key != "printoptions") return core::HELP(key, answer, v);
    ++asked;
    answer = 1;
  };
  std::string found, printed, welcome;
  bool tipshown = false;
  int hidden = 0, tipcells = 0;
  run(file("sum.ost", "TOTAL = 0\r\nS = TOTAL + 12345678\r\nZ = S + TOTAL + 1\r\nEND\r\n"),
      {[&] {
         welcome = userfield();
         with(win::VK_MENU, 'R');
       },
       [] {
         // On TOTAL in line 3, Ctrl+F and Find: line 1 has it next.
         with(win::VK_CONTROL, win::VK_END);
         press(win::VK_UP);
         press(win::VK_END);
         for (int k = 0; k < 6; ++k) press(win::VK_LEFT);
         ide::edfindtext.blank();
         plat::push_message_box_answer(1);
         with(win::VK_CONTROL, 'F');
       },
       [&] {
         found = userfield();
         tipshown = ide::tipwnd != nullptr && ide::tipstate == 1;
         if (tipshown) {
           // The main window's own pixels under the tip: each pixel row
           // there is of one colour, that of the row's right end.
           const auto w = static_cast<win::HWND>(mainwindow());
           win::RECT r{};
           win::GetWindowRect(ide::tipwnd, &r);
           win::POINT a{r.left, r.top}, b{r.right, r.bottom};
           win::ScreenToClient(w, &a);
           win::ScreenToClient(w, &b);
           tipcells = (b.x - a.x) * (b.y - a.y);
           win::RECT c{};
           win::GetClientRect(w, &c);
           for (int y = a.y; y < b.y; ++y) {
             const std::uint32_t paper = plat::window_pixel(w, c.right * 4 / 5, y);
             for (int x = a.x; x < b.x; ++x) hidden += plat::window_pixel(w, x, y) != paper;
           }
         }
         win::PostMessageA(static_cast<win::HWND>(mainwindow()), win::WM_COMMAND, ide::cmd::print,
                           0);
       },
       [&] { printed = userfield(); }});
  EXPECT_EQ(welcome.substr(0, 25), "Welcome to Ostrel script ");
  EXPECT_EQ(found, "Found \"TOTAL\" in line 1");
  ASSERT_TRUE(tipshown) << "no value tip after Find";
  EXPECT_GT(tipcells, 0);
  EXPECT_EQ(hidden, 0) << "pixels of code under the value tip";
  EXPECT_EQ(asked, 1);
  std::string pdf;
  for (const auto& e : std::filesystem::directory_iterator(dir.path()))
    if (e.path().extension() == ".pdf") pdf = e.path().filename().string();
  const std::string folder = std::filesystem::weakly_canonical(dir.path()).string() + "/";
  EXPECT_EQ(printed, "Printed to " + pdf + " in " + folder);
}

// Ends the test program within a minute, saying what it waited for, unless
// it has gone first: a loop inside the program takes no tick at which a
// step could fail.
class Deadline {
 public:
  explicit Deadline(std::string what)
      : thread_([this, what = std::move(what)] {
          std::unique_lock<std::mutex> lock(mutex_);
          if (!over_.wait_for(lock, std::chrono::minutes(1), [this] { return done_; })) {
            std::fprintf(stderr, "Gave up after a minute waiting for %s\n", what.c_str());
            std::_Exit(1);
          }
        }) {}
  ~Deadline() {
    {
      const std::lock_guard<std::mutex> lock(mutex_);
      done_ = true;
    }
    over_.notify_all();
    thread_.join();
  }
  Deadline(const Deadline&) = delete;
  Deadline& operator=(const Deadline&) = delete;

 private:
  std::mutex mutex_;
  std::condition_variable over_;
  bool done_ = false;
  std::thread thread_;
};

// Trace there shows the box once and stops: its next step would compile and
// show it again, without end.
TEST_F(RunScreenTest, TraceAfterARefusedFirstLineShowsItsBoxOnceAndStops) {
  const Deadline deadline("the trace of a script with a refused first line to stop");
  std::size_t atopening = 0, aftertrace = 0, later = 0;
  run(file("first.ost", "X = = 1\r\nY = 2\r\nEND\r\n"),
      {[&] {
         atopening = plat::message_box_log().size();
         with(win::VK_MENU, 'T');
       },
       [&] {
         aftertrace = plat::message_box_log().size();
         press(win::VK_UP);
       },
       [&] { later = plat::message_box_log().size(); }});
  EXPECT_EQ(atopening, 1u);
  EXPECT_EQ(aftertrace, 2u);
  EXPECT_EQ(later, 2u);
}

// Each step says in the status bar which line it ran and which is next,
// and a trace how it ended.
TEST_F(RunScreenTest, StepAndTraceTellTheirLinesInTheStatusBar) {
  std::vector<std::string> told;
  const auto look = [&] { told.push_back(field(1) + "|" + userfield()); };
  run(file("steps.ost", script(5)), {[] { with(win::VK_MENU, 'S'); },
                                     [&] {
                                       look();
                                       snapshot("ide_step_status");
                                       with(win::VK_MENU, 'S');
                                     },
                                     [&] {
                                       look();
                                       with(win::VK_MENU, 'T');
                                     },
                                     [&] { look(); }});
  EXPECT_EQ(told, (std::vector<std::string>{"2|Step ran line 1, line 2 is next",
                                            "3|Step ran line 2, line 3 is next",
                                            "5|Trace: the run ended at line 5"}));
}

// F1 on a variable, "Break on change" and OK; the run waits in its dialog,
// where the user changes the value: the run stops after that statement, and
// the editor stands on the line where it goes on, as after a step.
TEST_F(RunScreenTest, ABreakOnAVariableStopsTheRunAndTheEditorShowsItsLine) {
  static std::vector<std::string> dialogs;
  dialogs.clear();
  // Every help window is answered OK (101): "Break on change", then the
  // break's own dialog.
  ide::helpwindow = [](std::string_view key, int& answer, const core::HelpValues&) {
    dialogs.emplace_back(key);
    answer = 101;
  };
  std::int32_t cursor = 0;
  std::string held, told, outcome;
  run(file("watch.ost", "K = N\r\nI = DLG(Text='N', Edit=N, Button='&OK')\r\nK = N\r\nEND\r\n"),
      {[] {
         for (int k = 0; k < 4; ++k) press(win::VK_RIGHT);
         press(win::VK_F1);
       },
       [] { with(win::VK_MENU, 'R'); },
       [] {
         // In the run's dialog.
         press(win::VK_END);
         press(win::VK_BACK, 8);
         type("5");
         press(win::VK_RETURN);
       },
       [&] {
         cursor = ide::edcurline;
         held = std::string(ide::edlinebuf.data() + 1, 5);
         told = userfield();
         outcome = exec::run_outcome();
       }});
  EXPECT_EQ(dialogs, (std::vector<std::string>{"numeric", "break_string", "break_string"}));
  EXPECT_EQ(cursor, 3);
  EXPECT_EQ(held, "K = N");
  EXPECT_EQ(told, "Run stopped at line 3");
  EXPECT_EQ(outcome.substr(0, outcome.find("stop=")), "K=0\nN=5\nI=1003\n");
}

// A running script searches itself with EDIT: the editor's cursor row goes
// to the line found below the rows shown, which becomes the first shown
// (drawn as the one input row), and the line's number is the variable's.
TEST_F(RunScreenTest, EditSearchingTheScriptShowsTheLineFoundWhileTheRunGoesOn) {
  std::string text =
      "L = 0\r\nEDIT(ScanFor='TARGET = 1', GetPosition=L)\r\n"
      "10 W = ALARM(1)\r\nGOTO 10\r\n";
  for (int k = 5; k < 60; ++k) text += "N = " + std::to_string(k) + "\r\n";
  text += "TARGET = 1\r\n";
  for (int k = 61; k < 200; ++k) text += "N = " + std::to_string(k) + "\r\n";
  text += "END\r\n";
  std::int32_t cursor = 0, first = 0;
  int inputrows = 0;
  int inputabove = 0;
  std::string outcome;
  run(file("search.ost", text),
      {[] { with(win::VK_MENU, 'R'); },
       waitfor([] { return ide::edcurline == 60; }, "the cursor on the line EDIT found",
               [&] {
                 cursor = ide::edcurline;
                 first = ide::edfirstline;
                 inputrows = rowsof(ide::colour(ide::colnum(10)));
                 // The input row stands above every other row: where a row
                 // above it would stand, no row's background (that of the
                 // row two below it).
                 const auto w = static_cast<win::HWND>(mainwindow());
                 const std::uint32_t input = ide::colour(ide::colnum(10));
                 const int ch = plot::fontslots(ide::wdwhead->fontslot).cellheight;
                 int top = 0;
                 while (top < 1100 && plat::window_pixel(w, 600, top) != input) ++top;
                 const std::uint32_t rows = plat::window_pixel(w, 600, top + 2 * ch);
                 inputabove = top < 1100 && rows != input ? 1 : 0;
                 if (plat::window_pixel(w, 600, top - ch / 2) == rows) inputabove = -1;
                 press(win::VK_ESCAPE, 27);
               }),
       [&] { outcome = exec::run_outcome(); }});
  EXPECT_EQ(cursor, 60);
  EXPECT_EQ(first, 60);
  EXPECT_EQ(inputrows, 1);
  EXPECT_EQ(inputabove, 1) << "the line found is not the first row drawn";
  EXPECT_EQ(outcome.substr(0, outcome.find("W=")), "L=60\n");
}

// A break on K while the script is stepped, then traced from its first
// line: while each break's box stands, one row is drawn as the cursor row,
// the same row in the trace as in the steps.
TEST_F(RunScreenTest, WhileABreakBoxStandsDuringATraceItsLineIsMarkedAsDuringAStep) {
  // The first text row drawn in the line input's colour, and how many.
  static std::vector<std::pair<int, int>> marked;
  static int breaks = 0;
  marked.clear();
  breaks = 0;
  ide::helpwindow = [](std::string_view key, int& answer, const core::HelpValues&) {
    answer = 101;
    if (key != "break_string" || ++breaks == 1) return;
    const auto w = static_cast<win::HWND>(mainwindow());
    const std::uint32_t input = ide::colour(ide::colnum(10));
    const int ch = plot::fontslots(ide::wdwhead->fontslot).cellheight;
    int first = -1, rows = 0;
    for (int y = 0; y < 1100; ++y) {
      if (plat::window_pixel(w, 600, y) != input) continue;
      if (first < 0) first = y;
      ++rows;
    }
    marked.emplace_back(first, rows / ch);
  };
  std::vector<std::pair<int, int>> stepped;
  run(file("break.ost", "K = 1\r\nN = 2\r\nK = N\r\nM = 3\r\nEND\r\n"),
      {[] { press(win::VK_F1); }, [] { with(win::VK_MENU, 'S'); }, [] { with(win::VK_MENU, 'S'); },
       [] { with(win::VK_MENU, 'S'); },
       [&] {
         stepped = marked;
         marked.clear();
         with(win::VK_CONTROL, win::VK_HOME);
         with(win::VK_MENU, 'T');
       },
       [] {}});
  ASSERT_EQ(stepped.size(), 2u) << "the boxes of the steps of lines 1 and 3";
  EXPECT_EQ(stepped[0].second, 1) << "rows marked while the step's box stood";
  EXPECT_EQ(stepped[1].second, 1);
  EXPECT_EQ(stepped[1].first - stepped[0].first,
            2 * plot::fontslots(ide::wdwhead != nullptr ? ide::wdwhead->fontslot : 2).cellheight)
      << "the marked rows are those of lines 1 and 3";
  EXPECT_EQ(marked, stepped) << "the rows marked while the trace's boxes stood";
}

// Ctrl+S answered Cancel while a typed line is in the line input: the
// editor goes on as it stood, and a redraw shows the rows as they are
// shown (their colours too).
TEST_F(RunScreenTest, ASaveCancelledLeavesTheRowsAsARedrawShowsThem) {
  std::vector<std::uint32_t> shown, redrawn;
  bool redrew = false;
  run(file("three.ost", "WHO = 'Ostrel'\r\nN = 1\r\nM = 2\r\nEND\r\n"),
      {[] {
         down(2);
         press(win::VK_END);
         type(" + 1");
       },
       [] {
         plat::push_message_box_answer(win::IDCANCEL);
         with(win::VK_CONTROL, 'S');
       },
       [&] {
         shown = picture(2, 40);
         core::edmark = core::edmarkall;
       },
       [&] {
         redrew = core::edmark != core::edmarkall;
         redrawn = picture(2, 40);
         plat::push_message_box_answer(win::IDNO);
       }});
  EXPECT_TRUE(redrew);
  EXPECT_TRUE(shown == redrawn) << "a redraw after the save's Cancel shows other rows";
}

}  // namespace
}  // namespace idetest
