#include "core/kompil.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/codewords.h"
#include "core/editbuffer.h"
#include "core/kompil_standins.h"
#include "core/program.h"
#include "core/runwords.h"
#include "core/stores.h"
#include "core/symbols.h"
#include "platform/backend.h"
#include "platform/win_message_keys.h"
#include "support/stores_fixture.h"

using namespace core;
using standin::Words;

namespace {

using LineCompiler = standin::Compiling;

TEST_F(LineCompiler, StoreSetUpEntersTheSpecialNamesAndSizes) {
  // The start-up leaves the command line at the start of `c1namen`.
  std::int32_t one = 1, n = 2000;
  ALLOCS("c1namen", one, n);
  const std::string cmd = "RUN=demo.ost";
  std::copy(cmd.begin(), cmd.end(), c1namen.ptr(1));
  compile("a = 1\r\n");
  EXPECT_EQ(nc1namen, nc1namendefault);
  const char* names[] = {"$",   "$$",  "$R",    "$C",   "$1",       "$2",
                         "$CR", "$LF", "$CRLF", "$TAB", "$CMD_LINE"};
  for (int k = 1; k <= 11; ++k) {
    EXPECT_EQ(symbolname(k), names[k - 1]);
    EXPECT_EQ(name(k).type, k <= 6 ? 0x80 : 0x40);
  }
  EXPECT_EQ(storetest::textof(9), "\r\n");
  EXPECT_EQ(storetest::textof(10), "\t");
  EXPECT_EQ(storetest::textof(11), cmd);
  std::int32_t first = 0, last = 0;
  ISCHAR(9, first, last);
  EXPECT_EQ(first, nc1namen - 6);
  EXPECT_EQ(c1limit, nc1namen - 10 - 12);
  // Later set-ups carry the command line over.
  compile("a = 1\r\n");
  EXPECT_EQ(storetest::textof(11), cmd);

  // Shift gives the built-in sizes.
  nz = 9000;
  plat::set_key_state(win::VK_SHIFT, true);
  compile("a = 1\r\n");
  EXPECT_EQ(z.size(), nzdefault + 1);
  plat::set_key_state(win::VK_SHIFT, false);
  // A larger store stays, unless the memory header named it.
  nz = 9000;
  compile("a = 1\r\n");
  nz = 8500;
  compile("a = 1\r\n");
  EXPECT_EQ(nz, 9000);
  compile("a = 1\r\n! floats=8500.4\r\n");
  EXPECT_EQ(memhdrbits, 1);
  EXPECT_EQ(z.size(), 8501);
  EXPECT_EQ(nztop, 8501);
}

TEST_F(LineCompiler, AnEmptyTextOnlyFindsTheLocalSubroutine) {
  compile("a = 1\r\nEND\r\nSUBROUTINE S\r\nb = 2\r\nRETURN\r\nEND\r\n");
  const std::int32_t sub = sym("S", 4), symbols = nsym, used = nxeqused;
  ASSERT_GT(sub, 0);
  lokalsub = lokalscope = 0;
  edvars(edv::loadline) = 4;
  std::span<char> none;
  KOMPIL(none);
  EXPECT_TRUE(lokalsub == sub || (lokalsub == 0 && lokalscope == sub));
  EXPECT_EQ(nsym, symbols);
  EXPECT_EQ(nxeqused, used);
  EXPECT_EQ(xeqcalls, 0);
}

TEST_F(LineCompiler, ARunEndsWithTheExecutorsStopWordOrResumesAtTheErrorLabel) {
  compile("a = 1\r\nb = 2\r\nc = 3\r\nd = 4\r\n");
  std::vector<std::int32_t> lines;
  std::int16_t firstword = 0;
  onxeq = [&](std::span<const std::int16_t> code) {
    firstword = code[0];
    lines.push_back(xeqline);
    xeqstop = lines.size() < 3 ? 0x7FFF : -1;
  };
  const std::int32_t lbl = storetest::addsym("99", 2);
  SETI2EQUZ(1, lbl, 3);
  nomsg = lbl;
  xeqline = 1;
  kompil();
  EXPECT_EQ(firstword, xeqbuf(1));
  EXPECT_EQ(lines, (std::vector<std::int32_t>{1, 3, 3}));
  EXPECT_EQ(xeqmode & 4, 0);
  // A label without a statement, and a variable whose cell reads like a
  // label's: the run stops at the failing statement, as GOTO to it does.
  const std::int32_t var = storetest::addsym("V", 0x80);
  SETI2EQUZ(1, var, 3);
  SETI2EQUZ(1, lbl, 0);
  for (const std::int32_t named : {lbl, var}) {
    lines.clear();
    nomsg = named;
    xeqmode = 4;
    xeqline = 1;
    kompil();
    EXPECT_EQ(lines, (std::vector<std::int32_t>{1}));
    EXPECT_EQ(xeqstop, 0x7FFF);
    EXPECT_EQ(xeqline, 1);
    EXPECT_EQ(msgkey.trimmed(), "labelSub?");
    EXPECT_EQ(nomsg, 0);
  }
  // Nothing left to run: no call.
  xeqmode = 4;
  xeqline = 5;
  kompil();
  EXPECT_EQ(xeqcalls, 5);
}

TEST_F(LineCompiler, TheXeqBuiltInRunsItsTextAndAssignsTheResult) {
  enum Case { assigns, jumps, illegal };
  for (const Case c : {assigns, jumps, illegal}) {
    compile("t = 1\r\nr = 42\r\nx = 0\r\n");
    const std::int32_t t = sym("t", 0x80), r = sym("r", 0x80);
    z(r) = 42.0;
    z(t) = 0.0;
    // Statement 1 becomes "t = XEQ(text)" with a numeric (or text) result.
    xeqbuf(1) = static_cast<std::int16_t>(t);
    xeqbuf(stmtstart(2) - 2) = c == illegal ? cw(CwFamily::word, "=text") : cwd::assign;
    const std::int32_t pos = c1top + 20;
    const std::string text = "x = 5";
    std::copy(text.begin(), text.end(), c1namen.ptr(pos));
    std::vector<std::int32_t> lines;
    onxeq = [&](std::span<const std::int16_t> code) {
      lines.push_back(xeqline);
      if (lines.size() == 1) {
        xeqspan = {pos, pos + 4};
        xeqstop = 0xC340;
      } else if (lines.size() == 2) {
        EXPECT_EQ(code.back(), cwv(0x8000));
        EXPECT_EQ(xeqmode, 0x40);
        EXPECT_EQ(idestate & 4, 4);
        xeqline = c == jumps ? 3 : 2;
        xeqstackptr = xeqstackbase + 1;
        adrs(xeqstackptr) = r;
        xeqstop = -1;
      } else {
        xeqstop = -1;
      }
    };
    const std::int32_t symbols = nsym;
    xeqline = 1;
    kompil();
    onxeq = nullptr;
    EXPECT_EQ(nsym, symbols);  // what the text declared is dropped
    EXPECT_EQ(idestate & 4, 0);
    if (c == assigns) {
      EXPECT_EQ(z(t), 42.0);
      EXPECT_EQ(lines, (std::vector<std::int32_t>{1, 1, 2}));
    } else {
      EXPECT_EQ(z(t), 0.0);
      EXPECT_EQ(lines, (std::vector<std::int32_t>{1, 1}));
      EXPECT_EQ(xeqline, c == jumps ? 3 : 1);
    }
  }
  EXPECT_EQ(lastboxtitle(), "Run error");
}

TEST_F(LineCompiler, HandBacksNotInThisBuildStopTheRun) {
  compile("a = 1\r\nb = 2\r\n");
  onxeq = [](std::span<const std::int16_t>) {
    xeqline = 2;
    xeqstop = cwv(0xAD80);  // DLL call
  };
  xeqline = 1;
  kompil();
  EXPECT_EQ(xeqcalls, 1);
  EXPECT_EQ(lastboxtitle(), "Not available");
  EXPECT_EQ(xeqstop, 0x7FFF);
  EXPECT_EQ(xeqline, 1);
  EXPECT_EQ(xeqmode & 4, 0);
}

TEST_F(LineCompiler, PastedLinesAreInsertedCompiledAndSpliced) {
  compile("a = 1\r\nb = 2\r\nc = 3\r\n");
  const Words second = words(2);
  edmode = 12;
  xeqmode = 0;
  edcompileonly = -1;
  edvars(edv::curline) = 1;
  pastelen = 12;
  clipboardtext = [](std::int32_t) { return std::string("d = 4\r\ne = 5\r\nrest"); };
  kompil();
  clipboardtext = nullptr;
  EXPECT_EQ(pastelen, -2);
  EXPECT_EQ(edvars(edv::curline), 2);
  EXPECT_EQ(xeqline, 2);
  EXPECT_EQ(std::string(c1edit.ptr(1), static_cast<std::size_t>(c1editend)),
            "a = 1\r\nd = 4\r\ne = 5\r\nb = 2\r\nc = 3\r\n");
  ASSERT_EQ(nstmt, 5);
  EXPECT_EQ(words(2).size(), second.size());
  EXPECT_NE(words(2), second);
  EXPECT_EQ(words(4), second);
  EXPECT_EQ(xeqcalls, 0);
}

TEST_F(LineCompiler, TheValueOfAnImmediateLineIsShownAtTheRightEdge) {
  compile("v = 2.5\r\n");
  const std::int32_t v = sym("v", 0x80);
  z(v) = 2.5;
  edflags |= 4;
  edvars(edv::digits) = 6;
  edvars(edv::toprow) = 2;
  edvars(edv::curline) = 5;
  edvars(edv::firstline) = 3;
  edvars(edv::width) = 80;
  edvars(edv::leftcol) = 1;
  mainwidthchars = 40;
  static std::int32_t col, row;
  showresult = [](std::string_view, std::int32_t, std::int32_t c, std::int32_t r) {
    col = c;
    row = r;
  };
  onxeq = [v](std::span<const std::int16_t>) {
    xeqstackptr = xeqstackbase + 1;
    adrs(xeqstackptr) = v;
    xeqstop = -1;
  };
  xeqline = 1;
  kompil();
  showresult = nullptr;
  EXPECT_NE(resulttext.view().substr(0, 6).find("2.5"), std::string_view::npos);
  EXPECT_EQ(row, 4);
  EXPECT_EQ(col, 38 - 6);
  EXPECT_EQ(xeqstackptr, xeqstackbase);
}

}  // namespace
