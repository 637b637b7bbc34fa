// Print jobs on the "PDF" printer, checked on the documents with the
// poppler tools: pages, texts, the stamp of every page, margins,
// orientation and figures where their numbers put them.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "exec/builtins.h"
#include "exec/settingrefs.h"
#include "exec/windowwords.h"
#include "ide/fontslot.h"
#include "platform/win_commdlg.h"
#include "platform/win_message_box.h"
#include "plot/fontslots.h"
#include "plot/plotdev.h"
#include "plot/printdlg.h"
#include "plot/printjob.h"
#include "plot/printstate.h"
#include "plot/rwprint.h"
#include "plot/upcalls.h"
#include "plot_fixture.h"
#include "support/test_support.h"
#include "toolkit/draw_targets.h"
#include "toolkit/printing.h"
#include "toolkit/records.h"

namespace {

namespace fs = std::filesystem;

// The output of a command (its standard output only).
std::string command(const std::string& line) {
  std::string out;
  if (std::FILE* p = ::popen((line + " 2>/dev/null").c_str(), "r")) {
    char buffer[4096];
    std::size_t n = 0;
    while ((n = std::fread(buffer, 1, sizeof buffer, p)) > 0) out.append(buffer, n);
    ::pclose(p);
  }
  return out;
}

std::vector<std::string> linesof(const std::string& text) {
  std::vector<std::string> out;
  std::istringstream in(text);
  for (std::string l; std::getline(in, l);) {
    while (!l.empty() && (l.back() == '\f' || l.back() == ' ')) l.pop_back();
    if (!l.empty() && l.front() == '\f') l.erase(0, 1);
    if (!l.empty()) out.push_back(l);
  }
  return out;
}

class PrintJobTest : public plottest::PlotTest {
 protected:
  void SetUp() override {
    PlotTest::SetUp();
    // No scheduler: "PDF" is the default printer.
    const char* was = std::getenv("CUPS_SERVER");
    if (was != nullptr) keptserver = was;
    ::setenv("CUPS_SERVER", dir.file("no-scheduler").c_str(), 1);
    here.emplace(dir.path());
    toolkit::reset_printing();
    plot::reset_printjob();
    exec::wdwhead->title.set("Main window");
    // The program's main window: the spooling dialog is one of its own.
    mainwindow = win::CreateWindowExA(0, "STATIC", "", win::WS_POPUP, 0, 0, 100, 100, nullptr,
                                      nullptr, nullptr, nullptr);
    int ups = 0;
    if (toolkit::window_record_t* t = toolkit::GET_FREE_WINDOW_RECORD(mainwindow, &ups))
      toolkit::MAKE_MAIN_RECORD(t);
    exec::dlgtext.blank();
    exec::txtcolors = {0, 0xFFFFFF};
  }
  void TearDown() override {
    plot::reset_printjob();
    toolkit::reset_printing();
    here.reset();
    if (keptserver)
      ::setenv("CUPS_SERVER", keptserver->c_str(), 1);
    else
      ::unsetenv("CUPS_SERVER");
    PlotTest::TearDown();
  }
  // One call on the main window with its print state.
  std::int32_t print(std::string_view text, std::string_view options = "",
                     double y = plot::nextline, double x = 1.0) {
    std::int32_t columns = 0, status = 0;
    exec::wdwcur = record;
    plot::RWPRINT(text, x, y, columns, 6, " ", options, record, status);
    return status;
  }
  void end() {
    record->printstate |= plot::printbit::endjob;
    print("");
  }
  std::string file(const std::string& name) { return dir.file(name); }
  int pages(const std::string& name) {
    const std::string info = command("pdfinfo '" + file(name) + "'");
    std::smatch m;
    if (!std::regex_search(info, m, std::regex("Pages:\\s+(\\d+)"))) return 0;
    return std::stoi(m[1]);
  }
  std::vector<std::string> text(const std::string& name) {
    return linesof(command("pdftotext -raw '" + file(name) + "' -"));
  }
  // The left edge (points) of the first word of the page's text.
  double firstleft(const std::string& name) {
    const std::string html = command("pdftotext -bbox '" + file(name) + "' -");
    std::smatch m;
    if (!std::regex_search(html, m, std::regex("<word xMin=\"([0-9.]+)\""))) return -1;
    return std::stod(m[1]);
  }
  testsupport::TempDir dir;
  std::optional<testsupport::CurrentFolder> here;
  std::optional<std::string> keptserver;
  win::HWND mainwindow = nullptr;
};

const std::regex stampline(R"(^Ostrel / .* / \d{8} +\d{6}\.(\d+)$)");

int stamppage(const std::string& line) {
  std::smatch m;
  return std::regex_match(line, m, stampline) ? std::stoi(m[1]) : 0;
}

TEST_F(PrintJobTest, AJobOpensWithoutTextAndItsEndStampsTheOnlyPage) {
  record->printstate = plot::printbit::printer;
  print("");
  EXPECT_TRUE(plot::printing(plot::drawtargets[plot::target::printer]));
  EXPECT_FALSE(fs::exists(file("Ostrel.pdf")));
  end();
  EXPECT_EQ(record->printstate, 0);
  EXPECT_FALSE(plot::printing(plot::drawtargets[plot::target::printer]));
  ASSERT_EQ(pages("Ostrel.pdf"), 1);
  const std::vector<std::string> lines = text("Ostrel.pdf");
  ASSERT_EQ(lines.size(), 1u);
  EXPECT_EQ(stamppage(lines[0]), 1) << lines[0];
  EXPECT_NE(lines[0].find("/ Main window /"), std::string::npos);
  // The stamp's own form: two blanks between the date and the time.
  EXPECT_TRUE(std::regex_match(plot::stamptext(3),
                               std::regex(R"(^Ostrel / Main window / \d{8}  \d{6}\.3$)")))
      << plot::stamptext(3);
}

TEST_F(PrintJobTest, EveryLineEndKeepsTheLinesWholeAndPagesBreakWithAStampEach) {
  record->printstate = plot::printbit::printer;
  print("alpha\nbeta\rgamma\r\ndelta\r\n");
  for (int k = 1; k <= 150; ++k) print("row " + std::to_string(k));
  end();
  const int n = pages("Ostrel.pdf");
  ASSERT_GE(n, 2);
  const std::vector<std::string> lines = text("Ostrel.pdf");
  ASSERT_GE(lines.size(), 4u);
  EXPECT_EQ(std::vector<std::string>(lines.begin(), lines.begin() + 5),
            (std::vector<std::string>{"alpha", "beta", "gamma", "delta", "row 1"}));
  std::vector<int> stamps;
  int rows = 0;
  for (const std::string& l : lines) {
    if (const int p = stamppage(l)) stamps.push_back(p);
    if (l.rfind("row ", 0) == 0) ++rows;
  }
  EXPECT_EQ(rows, 150);
  std::vector<int> expected;
  for (int p = 1; p <= n; ++p) expected.push_back(p);
  EXPECT_EQ(stamps, expected);

  // The next job is a document of its own, counted from page 1 again; with
  // bit 0x10 no page is stamped.
  exec::dlgtext.set("Second/job");
  record->printstate = plot::printbit::printer;
  print("again");
  end();
  EXPECT_EQ(text("Second_job.pdf").back().back(), '1');
  EXPECT_EQ(stamppage(text("Second_job.pdf").back()), 1);
  exec::dlgtext.set("Second/job");
  record->printstate = plot::printbit::printer | plot::printbit::nostamp;
  print("plain");
  end();
  EXPECT_EQ(text("Second_job-2.pdf"), std::vector<std::string>{"plain"});
}

// Two columns on paper: the lines fill the left half of the page, then
// the right half from its top, then the next page from the left again.
TEST_F(PrintJobTest, TwoColumnsFillThePageLeftThenRight) {
  record->printstate = plot::printbit::printer;
  for (int k = 1; k <= 300; ++k) {
    std::int32_t columns = 2, status = 0;
    exec::wdwcur = record;
    plot::RWPRINT("row " + std::to_string(k), 1.0, plot::nextline, columns, 6, "P", "", record,
                  status);
  }
  end();
  // Each row's page and place (points) from the words of the text: a row
  // is the word "row" and its number.
  struct Row {
    int page = 0;
    double x = -1, y = -1;
  };
  std::vector<Row> rows(301);
  const std::regex word(R"re(<word xMin="([0-9.]+)" yMin="([0-9.]+)"[^>]*>([^<]*)</word>)re");
  std::istringstream html(command("pdftotext -bbox '" + file("Ostrel.pdf") + "' -"));
  int page = 0;
  Row row;
  bool after = false;  // the word before was "row"
  for (std::string l; std::getline(html, l);) {
    if (l.find("<page") != std::string::npos) ++page;
    std::smatch m;
    if (!std::regex_search(l, m, word)) continue;
    const int k = std::atoi(m[3].str().c_str());
    if (after && k >= 1 && k <= 300) rows[static_cast<std::size_t>(k)] = row;
    after = m[3] == "row";
    row = Row{page, std::stod(m[1]), std::stod(m[2])};
  }
  for (int k = 1; k <= 300; ++k) ASSERT_GE(rows[static_cast<std::size_t>(k)].x, 0) << "row " << k;
  // The first row of the right column: the first that stands further right.
  int second = 0;
  for (int k = 2; k <= 300 && second == 0; ++k)
    if (rows[static_cast<std::size_t>(k)].x > rows[1].x + 50) second = k;
  ASSERT_GT(second, 10) << "no second column";
  EXPECT_EQ(rows[static_cast<std::size_t>(second)].page, rows[1].page);
  EXPECT_NEAR(rows[static_cast<std::size_t>(second)].y, rows[1].y, 1.0) << "not from the top";
  EXPECT_GT(rows[static_cast<std::size_t>(second - 1)].y, rows[1].y + 300) << "left column full";
  // The right column is as long; then the next page, from the left.
  const int third = 2 * second - 1;
  ASSERT_LE(third, 300);
  EXPECT_EQ(rows[static_cast<std::size_t>(third)].page, rows[1].page + 1);
  EXPECT_NEAR(rows[static_cast<std::size_t>(third)].x, rows[1].x, 1.0);
  EXPECT_NEAR(rows[static_cast<std::size_t>(third)].y, rows[1].y, 1.0);
  // Half the page across (595 points): the left column at the left
  // margin, the right one from the middle.
  EXPECT_LT(rows[1].x, 100.0);
  EXPECT_GT(rows[static_cast<std::size_t>(second)].x, 250.0);
  EXPECT_LT(rows[static_cast<std::size_t>(second)].x, 350.0);
}

TEST_F(PrintJobTest, MarginsAreFractionsCellsOrDots) {
  const auto leftof = [&](const std::string& options, const std::string& name) {
    exec::dlgtext.set(name);
    record->printstate = plot::printbit::printer;
    print("X", options);
    end();
    return firstleft(name + ".pdf");
  };
  // At 600 dots per inch, 72 points per inch, no unprintable edges; the
  // page area is the paper less the page set-up's margins.
  const double tenth = leftof("L=0.1", "tenth");
  const double cell = plot::printjob.printercw * 72.0 / 600.0;
  const double pageleft = plot::printjob.pagearea.left * 72.0 / 600.0;
  const double pagewidth = plot::printjob.pagearea.width() * 72.0 / 600.0;
  EXPECT_NEAR(tenth, pageleft + pagewidth / 10, 1.0);
  EXPECT_NEAR(leftof("L=-300", "dots"), pageleft + 36.0, 1.0);
  EXPECT_NEAR(leftof("L=5", "cells"), pageleft + 5 * cell, 1.0);
  EXPECT_NEAR(leftof("L=1.0", "one"), pageleft + cell, 1.0);
  EXPECT_GT(leftof("L=0.9999999", "fraction"), pageleft + pagewidth * 0.99);
  // W= with R= and without L= moves the left margin.
  EXPECT_NEAR(leftof("R=-600,W=-1200", "fromright"), pageleft + pagewidth - 1801 * 72.0 / 600.0,
              1.0);
  EXPECT_NEAR(leftof("L=-600,R=-600,W=-1200", "fromleft"), pageleft + 72.0, 1.0);
  // ... and with L= the right one: a long text wraps at L + W.
  exec::dlgtext.set("wrapped");
  record->printstate = plot::printbit::printer;
  print(std::string(60, 'w') + " " + std::string(60, 'v'), "L=-600,R=-600,W=-1200");
  end();
  const std::string html = command("pdftotext -bbox '" + file("wrapped.pdf") + "' -");
  double right = 0;
  const std::regex word("xMax=\"([0-9.]+)\"[^>]*>([wv]+)<");
  for (auto it = std::sregex_iterator(html.begin(), html.end(), word); it != std::sregex_iterator();
       ++it)
    right = std::max(right, std::stod((*it)[1]));
  EXPECT_GT(right, pageleft + 72.0);
  EXPECT_LE(right, pageleft + 72.0 + 144.0 + 1.0);
}

TEST_F(PrintJobTest, LandscapeComesWithTheNextJobAndSaysSoOnce) {
  record->printstate = plot::printbit::printer;
  EXPECT_EQ(print("portrait"), 0);
  end();
  record->printstate = plot::printbit::printer;
  EXPECT_EQ(print("across", "LS=1"), plot::orientationchanged);
  end();
  record->printstate = plot::printbit::printer;
  EXPECT_EQ(print("across again", "LS=1"), 0);
  end();
  const auto size = [&](const std::string& name) {
    std::smatch m;
    const std::string info = command("pdfinfo '" + file(name) + "'");
    EXPECT_TRUE(std::regex_search(info, m, std::regex("Page size:\\s+([0-9.]+) x ([0-9.]+)")));
    return std::make_pair(std::stod(m[1]), std::stod(m[2]));
  };
  EXPECT_LT(size("Ostrel.pdf").first, size("Ostrel.pdf").second);
  EXPECT_GT(size("Ostrel-2.pdf").first, size("Ostrel-2.pdf").second);
  EXPECT_GT(size("Ostrel-3.pdf").first, size("Ostrel-3.pdf").second);
}

// Two lines in dots, split by "^": rasterised at 60 dots per inch (a tenth
// of the printer's), ink lies on them and not between.
TEST_F(PrintJobTest, APrintedFigureLiesWhereItsNumbersPutIt) {
  record->printstate = plot::printbit::printer;
  print("", "PXL,FC=0.05,LI=600,600,1800,600^600,1200,1800,1200");
  end();
  ASSERT_EQ(pages("Ostrel.pdf"), 1);
  command("pdftoppm -gray -r 60 '" + file("Ostrel.pdf") + "' '" + file("page") + "'");
  std::ifstream in(file("page-1.pgm"), std::ios::binary);
  std::string magic;
  int w = 0, h = 0, maxval = 0;
  in >> magic >> w >> h >> maxval;
  in.get();
  ASSERT_EQ(magic, "P5");
  std::vector<unsigned char> px(static_cast<std::size_t>(w) * h);
  in.read(reinterpret_cast<char*>(px.data()), static_cast<std::streamsize>(px.size()));
  const auto dark = [&](int x, int y) {
    for (int dy = -1; dy <= 1; ++dy)
      if (px[static_cast<std::size_t>((y + dy) * w + x)] < 128) return true;
    return false;
  };
  EXPECT_TRUE(dark(90, 60));
  EXPECT_TRUE(dark(150, 120));
  EXPECT_FALSE(dark(90, 90));    // not joined across the "^"
  EXPECT_FALSE(dark(40, 60));    // nothing left of the first point
  EXPECT_FALSE(dark(200, 120));  // nor right of the last
}

// With both targets the window pass fills the window's frame and the
// printer pass the page's: each brush goes to its own target.
TEST_F(PrintJobTest, BothTargetsGetTheFrameAndItsBrush) {
  record->printstate = plot::printbit::printer | plot::printbit::window;
  print("", "BC=4,RA=0");
  end();
  EXPECT_EQ(at(500, 350), exec::rgbtab(4));
  command("pdftoppm -gray -r 20 '" + file("Ostrel.pdf") + "' '" + file("page") + "'");
  std::ifstream in(file("page-1.pgm"), std::ios::binary);
  std::string magic;
  int w = 0, h = 0, maxval = 0;
  in >> magic >> w >> h >> maxval;
  in.get();
  std::vector<unsigned char> px(static_cast<std::size_t>(w) * h);
  in.read(reinterpret_cast<char*>(px.data()), static_cast<std::streamsize>(px.size()));
  ASSERT_EQ(magic, "P5");
  EXPECT_LT(px[static_cast<std::size_t>(h / 2 * w + w / 2)], 250);
}

TEST_F(PrintJobTest, PrintStateValues) {
  exec::wdwcur = record;
  record->printstate = 0;
  plot::SETPRINTSTATE(0);
  EXPECT_EQ(record->printstate, 0);  // nothing prints: nothing to end
  record->printstate = plot::printbit::window;
  plot::SETPRINTSTATE(0);
  EXPECT_EQ(record->printstate, plot::printbit::window | plot::printbit::endjob);
  // A value with bit 8 adds its bits to a window that prints.
  record->printstate = plot::printbit::printer;
  plot::SETPRINTSTATE(plot::printbit::endjob | plot::printbit::nostamp);
  EXPECT_EQ(record->printstate,
            plot::printbit::printer | plot::printbit::endjob | plot::printbit::nostamp);
  // -1 sets bit 4, and a later value clears it.
  plot::SETPRINTSTATE(-1);
  EXPECT_NE(record->printstate & plot::printbit::minusone, 0);
  plot::SETPRINTSTATE(plot::printbit::window);
  EXPECT_EQ(record->printstate, plot::printbit::window);
}

// A dialog of three check boxes and a text, printed line by line; the
// window's table (100 rows, 20 on a screen) one block a page.
class PrintDialogTest : public PrintJobTest {
 protected:
  void SetUp() override {
    PrintJobTest::SetUp();
    record->title.set("Settings");
    record->dialogitems = plat::Store1<toolkit::dialog_t>(4);
    const char* titles[] = {"First", "Second", "Third"};
    for (int k = 1; k <= 3; ++k) {
      toolkit::dialog_t& d = record->dialogitems(k);
      d.type = toolkit::DLG_CHECKBOX;
      d.id = 100 + k;
      d.title.set(titles[k - 1]);
      d.integer_value = k != 2 ? 1 : 0;
    }
    record->dialogitems(4).type = toolkit::DLG_PUSHBUTTON;
    record->dialogitems(4).title.set("OK");
    exec::wdwcur = record;
  }
  void TearDown() override {
    record->firsttable = nullptr;
    plot::upcalls.MATRIXUPDATE = nullptr;
    PrintJobTest::TearDown();
  }
  void printdialog() {
    plot::PRINTDLG(std::span<toolkit::dialog_t>(record->dialogitems.data(), 4));
  }
  static inline int top = 1;
  static inline int visible = 20;
};

TEST_F(PrintDialogTest, CheckBoxesPrintTheirStateAndTitleLineByLine) {
  exec::dlgtext.set("LSXA");
  printdialog();
  EXPECT_EQ(record->printstate, 0);
  const std::vector<std::string> lines = text("Settings.pdf");
  ASSERT_EQ(lines.size(), 4u);
  EXPECT_EQ(std::vector<std::string>(lines.begin(), lines.begin() + 3),
            (std::vector<std::string>{"1=First", "0=Second", "1=Third"}));
  EXPECT_EQ(stamppage(lines[3]), 1);
}

TEST_F(PrintDialogTest, ATablePrintsOneScreenOfRowsAPageAndEndsWhenItCannotMoveOn) {
  int dummy = 0;
  record->firsttable = reinterpret_cast<ui::mxrec*>(&dummy);
  plot::upcalls.MATRIXUPDATE = [](win::HWND, bool first, std::int32_t& rows) {
    top = first ? 1 : std::min(top + std::max(visible, 1), 100);
    rows = std::max(0, 100 - (top + visible - 1));
  };
  visible = 20;
  printdialog();
  EXPECT_EQ(pages("Settings.pdf"), 5);
  // A table that shows no row and does not move: one page, not forever.
  visible = 0;
  plot::upcalls.MATRIXUPDATE = [](win::HWND, bool, std::int32_t& rows) { rows = 100; };
  printdialog();
  EXPECT_EQ(pages("Settings-2.pdf"), 1);
}

}  // namespace

namespace {

// The word boxes of the first page: text, left, top, right, bottom (points).
struct Word {
  std::string text;
  double l, t, r, b;
};

class PaperTest : public PrintJobTest {
 protected:
  std::vector<Word> words(const std::string& name) {
    std::vector<Word> out;
    const std::string html = command("pdftotext -bbox -f 1 -l 1 '" + file(name) + "' -");
    const std::regex word(
        "<word xMin=\"([0-9.]+)\" yMin=\"([0-9.]+)\" xMax=\"([0-9.]+)\" "
        "yMax=\"([0-9.]+)\">([^<]*)<");
    for (auto i = std::sregex_iterator(html.begin(), html.end(), word); i != std::sregex_iterator();
         ++i)
      out.push_back({(*i)[5], std::stod((*i)[1]), std::stod((*i)[2]), std::stod((*i)[3]),
                     std::stod((*i)[4])});
    return out;
  }
  std::optional<Word> word(const std::string& name, const std::string& text) {
    for (const Word& w : words(name))
      if (w.text == text) return w;
    return std::nullopt;
  }
};

// Bit 0x400 asks the page set-up and then the print dialog: what they
// answer makes the document; a cancelled one makes none, and the job
// writes nothing.
TEST_F(PaperTest, ThePageSetUpAndPrintDialogsAnswerTheJob) {
  plat::reset_common_dialogs();
  plat::push_dialog_answer({true, {}});
  plat::push_dialog_answer({true, {}});
  record->printstate = plot::printbit::printer | plot::printbit::dialogs;
  print("asked");
  end();
  const auto& log = plat::common_dialog_log();
  ASSERT_EQ(log.size(), 2u);
  EXPECT_EQ(log[0].title, "Page Setup");
  EXPECT_EQ(log[1].title, "Print");
  ASSERT_EQ(pages("Ostrel.pdf"), 1);
  EXPECT_EQ(text("Ostrel.pdf").front(), "asked");

  // A cancelled page set-up goes on to the print dialog; a cancelled print
  // dialog is asked once for the whole job, not once a call. A cancel is
  // the user's choice, not a failure: every call's status is 0.
  plat::push_dialog_answer({false, {}});
  record->printstate = plot::printbit::printer | plot::printbit::dialogs;
  EXPECT_EQ(print("never"), 0);
  EXPECT_EQ(print("never again"), 0);
  end();
  EXPECT_EQ(plat::common_dialog_log().size(), 4u);
  EXPECT_EQ(record->printstate, 0);
  plat::push_dialog_answer({true, {}});
  plat::push_dialog_answer({false, {}});
  record->printstate = plot::printbit::printer | plot::printbit::dialogs;
  EXPECT_EQ(print("never"), 0);
  EXPECT_EQ(plot::printfailure, 0);
  end();
  EXPECT_EQ(plat::common_dialog_log().size(), 6u);
  EXPECT_FALSE(fs::exists(file("Ostrel-2.pdf")));
  EXPECT_FALSE(plot::printing(plot::drawtargets[plot::target::printer]));
  plat::reset_common_dialogs();
}

// Cancel pressed in the spooling box while a job prints: the job writes
// nothing more, and neither the page change that meets the cancel nor the
// end of the job reports a failure.
TEST_F(PaperTest, ACancelledPrintIsNoFailure) {
  record->printstate = plot::printbit::printer;
  EXPECT_EQ(print("first"), 0);
  ASSERT_NE(toolkit::print_cancel_dialog, nullptr);
  win::SendMessageA(toolkit::print_cancel_dialog, win::WM_COMMAND, win::IDCANCEL, 0);
  EXPECT_EQ(print("after the cancel\fon a new page"), 0);
  EXPECT_EQ(plot::printfailure, 0);
  end();
  EXPECT_EQ(plot::printfailure, 0);
  EXPECT_FALSE(fs::exists(file("Ostrel.pdf")));
}

// Bit 0x20 asks for the printer's font: the size chosen is the size
// printed; a cancelled choice keeps the font and still prints.
TEST_F(PaperTest, TheFontDialogChoosesThePrintedFont) {
  const auto kept = plot::upcalls.CHOOSEFONTSLOT;
  plot::upcalls.CHOOSEFONTSLOT = ide::CHOOSEFONTSLOT;
  plat::reset_common_dialogs();
  const auto height = [&](const std::string& name) {
    const std::optional<Word> w = word(name, "Sized");
    return w ? w->b - w->t : 0.0;
  };
  record->printstate = plot::printbit::printer;
  print("Sized");
  end();
  plat::push_dialog_answer({true, {{"Size", "36"}}});
  record->printstate = plot::printbit::printer | plot::printbit::choosefont;
  print("Sized");
  end();
  plat::push_dialog_answer({false, {{"Size", "36"}}});
  record->printstate = plot::printbit::printer | plot::printbit::choosefont;
  print("Sized");
  end();
  plot::upcalls.CHOOSEFONTSLOT = kept;
  ASSERT_EQ(plat::common_dialog_log().size(), 2u);
  EXPECT_EQ(plat::common_dialog_log()[0].title, "Font");
  const double plain = height("Ostrel.pdf");
  ASSERT_GT(plain, 0.0);
  EXPECT_NEAR(height("Ostrel-2.pdf"), 36.0, 6.0) << "plain " << plain;
  EXPECT_GT(height("Ostrel-3.pdf"), 0.0);
  plat::reset_common_dialogs();
}

// A window font turned by 90 degrees writes upwards on paper too: the
// word's box is taller than wide.
TEST_F(PaperTest, TurnedTextStandsTurnedOnPaper) {
  plot::SETFONT(6, "Arial", 14, 90.0F, 0, 400, 0);
  record->printstate = plot::printbit::printer | plot::printbit::window;
  print("Upwards");
  end();
  const std::optional<Word> w = word("Ostrel.pdf", "Upwards");
  ASSERT_TRUE(w) << command("pdftotext -bbox '" + file("Ostrel.pdf") + "' -");
  EXPECT_GT(w->b - w->t, 2 * (w->r - w->l));
}

// A full column on paper changes the page and asks "fullpage": going on
// writes every row, page after page; the answer 0 ends the job there.
TEST_F(PaperTest, AFullPageAsksBeforeItGoesOn) {
  static int reply = 1, asked = 0;
  asked = 0;
  const auto kept = core::helpwin;
  core::helpwin = [](std::string_view key, int& answer, const core::HelpValues&) {
    if (key == "fullpage") ++asked;
    answer = reply;
  };
  const auto rows = [&](int n) {
    for (int k = 1; k <= n; ++k) {
      std::int32_t columns = 1, status = 0;
      exec::wdwcur = record;
      plot::RWPRINT("row " + std::to_string(k), 1.0, plot::nextline, columns, 6, " ", "", record,
                    status);
      if (record->printstate == 0) break;  // the job ended
    }
  };
  record->printstate = plot::printbit::printer;
  rows(150);
  end();
  const int n = pages("Ostrel.pdf");
  EXPECT_GE(n, 2);
  EXPECT_EQ(asked, n - 1);
  int written = 0;
  for (const std::string& l : text("Ostrel.pdf")) written += l.rfind("row ", 0) == 0 ? 1 : 0;
  EXPECT_EQ(written, 150);

  reply = 0;
  asked = 0;
  record->printstate = plot::printbit::printer;
  rows(150);
  end();
  EXPECT_EQ(asked, 1);
  written = 0;
  for (const std::string& l : text("Ostrel-2.pdf")) written += l.rfind("row ", 0) == 0 ? 1 : 0;
  EXPECT_GT(written, 10);
  EXPECT_LT(written, 150);
  EXPECT_FALSE(plot::printing(plot::drawtargets[plot::target::printer]));
  core::helpwin = kept;
}

// "WYS" prints the window as seen: the window's columns in printer cells,
// centred on the page, and no page breaks of its own.
TEST_F(PaperTest, TheWindowAsSeenIsCentredOnThePage) {
  makebitmap(300, 200);
  record->printstate = plot::printbit::printer | plot::printbit::window;
  print("Plain");
  end();
  record->printstate = plot::printbit::printer | plot::printbit::window;
  print("Seen", "WYS");
  end();
  const std::optional<Word> plain = word("Ostrel.pdf", "Plain"),
                            seen = word("Ostrel-2.pdf", "Seen");
  ASSERT_TRUE(plain && seen);
  EXPECT_GT(seen->l, plain->l + 50.0);
  EXPECT_GT(seen->t, plain->t + 50.0);
}

}  // namespace
