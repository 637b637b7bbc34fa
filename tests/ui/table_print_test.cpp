// A dialog with a table printed as File > Print prints it: the controls
// once per block of rows, the table moved on block by block through its
// own scrolling, each block on a page; checked on the "PDF" printer's file.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <optional>
#include <regex>
#include <set>
#include <string>

#include "dialog_fixture.h"
#include "exec/settingrefs.h"
#include "exec/windowlist.h"
#include "plot/printdlg.h"
#include "plot/printjob.h"
#include "toolkit/printing.h"

namespace {

using dlgtest::DialogScript;
using dlgtest::keys;
using dlgtest::probe;

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

class TablePrint : public DialogScript {
 protected:
  void SetUp() override {
    DialogScript::SetUp();
    if (const char* was = std::getenv("CUPS_SERVER")) keptserver = was;
    // No scheduler: "PDF" is the default printer.
    ::setenv("CUPS_SERVER", (dir_.path() / "no-scheduler").c_str(), 1);
    toolkit::reset_printing();
    plot::reset_printjob();
  }
  void TearDown() override {
    plot::reset_printjob();
    toolkit::reset_printing();
    if (keptserver)
      ::setenv("CUPS_SERVER", keptserver->c_str(), 1);
    else
      ::unsetenv("CUPS_SERVER");
    DialogScript::TearDown();
  }
  std::optional<std::string> keptserver;
};

// 100 rows, 20 on a screen: five pages, and on them every row's number once.
TEST_F(TablePrint, AHundredRowsTwentyAScreenPrintFivePagesWithEveryRow) {
  bool printed = false;
  answer(keys({{probe([&](win::HWND dialog) {
                 exec::wdwrec* w = exec::wdwhead;
                 while (w != nullptr && w->window != dialog) w = w->next;
                 ASSERT_NE(w, nullptr) << "the dialog has no window record";
                 ASSERT_NE(w->firsttable, nullptr) << "the dialog has no table";
                 exec::wdwcur = w;
                 exec::dlgtext.set("LSXA");
                 plot::PRINTDLG(
                     std::span<toolkit::dialog_t>(w->dialogitems.data(), w->dialogitems.size()));
                 printed = true;
               })},
               {dlgtest::click(1001)}}));
  const std::string out =
      run("DIMENSION A(100)\nDO I = 1, 100\n  A(I) = 5000 + I\n"
          "ENDDO\nI = DLG(TItle='Readings', Edit=A, Height=20)\nEND\n");
  ASSERT_TRUE(printed);
  EXPECT_EQ(out.substr(out.find("\nI=")), "\nI=1001\nstop=-1\n");
  const std::string info = command("pdfinfo Readings.pdf");
  std::smatch m;
  ASSERT_TRUE(std::regex_search(info, m, std::regex("Pages:\\s+(\\d+)"))) << info;
  EXPECT_EQ(std::stoi(m[1]), 5);
  const std::string text = command("pdftotext -raw Readings.pdf -");
  std::multiset<int> rows;
  const std::regex value("\\b5(\\d{3})\\b");
  for (auto i = std::sregex_iterator(text.begin(), text.end(), value); i != std::sregex_iterator();
       ++i)
    rows.insert(std::stoi((*i)[1]));
  for (int r = 1; r <= 100; ++r) EXPECT_EQ(rows.count(r), 1u) << "row " << r;
  EXPECT_EQ(rows.size(), 100u) << text;
}

}  // namespace
