#include "exec/optdispatch.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <iterator>
#include <vector>

#include "core/codewords.h"
#include "core/runwords.h"
#include "core/shoplists.h"
#include "core/stores.h"

namespace {

using namespace exec;
using core::OptStmt;

std::int32_t marker(int kw) { return static_cast<std::int16_t>(0x9800 | kw); }

class OptDispatch : public ::testing::Test {
 protected:
  // The dispatch is tested, not the built-ins: whatever an earlier test of
  // the program installed stands aside (a real DLG on these stores would
  // leave a window behind).
  void SetUp() override {
    std::copy(std::begin(opttable), std::end(opttable), kept_.begin());
    for (OptEntry& e : opttable) e.routine = notyetbuilt;
    keptrealtime_ = realtimehook;
    core::reset_stores();
    core::reset_runwords();
    reset_optdispatch();
    std::int32_t lo = 1, hi = 200;
    core::ALLOCS("adrs", lo, hi);
    core::nadrs = 200;
    core::nadrslow = 190;
    core::xeqstackbase = 10;
  }
  void TearDown() override {
    reset_optdispatch();
    core::reset_stores();
    core::reset_runwords();
    std::copy(kept_.begin(), kept_.end(), std::begin(opttable));
    realtimehook = keptrealtime_;
  }
  std::array<OptEntry, core::noptstmts> kept_{};
  void (*keptrealtime_)(std::int32_t, std::int32_t) = nullptr;
  // Pushes the entries, bottom first, above the stack base.
  static void stack(std::vector<std::int32_t> entries) {
    core::xeqstackptr = core::xeqstackbase;
    for (std::int32_t e : entries) core::adrs(++core::xeqstackptr) = e;
  }
  static std::int16_t header(OptStmt s, int count) {
    return static_cast<std::int16_t>(core::optstmtcode(static_cast<int>(s)) | count);
  }
};

TEST_F(OptDispatch, PositionalStatementCollectsLastWrittenFirst) {
  const int a = core::optkwnr(OptStmt::SORT, "Vector"), b = core::optkwnr(OptStmt::SORT, "Index"),
            c = core::optkwnr(OptStmt::SORT, "Sorted");
  // SORT(Vector=V, Index=I, Sorted): values are pushed just below their markers.
  // The built-in itself is left out, whatever an earlier test installed.
  const OptRoutine installed = exec::opttable[static_cast<int>(OptStmt::SORT)].routine;
  exec::install_optroutine(OptStmt::SORT, nullptr);
  stack({40, marker(a), 41, marker(b), marker(c)});
  BUISOPT(header(OptStmt::SORT, 3), 0);
  EXPECT_EQ(noptions, 3);
  EXPECT_EQ(optkw(1), c);
  EXPECT_EQ(optkw(2), b);
  EXPECT_EQ(optkw(3), a);
  EXPECT_EQ(optval(3), 40);
  EXPECT_EQ(optval(2), 41);
  EXPECT_EQ(optval(1), -c);  // a marker below a marker has no value
  EXPECT_EQ(core::xeqstackptr, 11);
  // The built-in is not in this build.
  EXPECT_EQ(core::msgkey.trimmed(), "notYetBuilt");
  EXPECT_EQ(core::xeqstop, 0x7FFF);

  // A non-positive value is a bare switch; an operand on top means no options.
  core::reset_runwords();
  stack({-3, marker(a)});
  BUISOPT(header(OptStmt::SORT, 1), 0);
  EXPECT_EQ(optval(1), -a);
  stack({40, marker(a), 42});
  BUISOPT(header(OptStmt::SORT, 1), 0);
  EXPECT_EQ(noptions, 0);
  EXPECT_EQ(core::xeqstackptr, 14);
  exec::install_optroutine(OptStmt::SORT, installed);
}

TEST_F(OptDispatch, KeywordStatementFillsSlotsAndCountsItems) {
  // WRITE(Text=T, ERror=E) X, Y: the items lie above the options.
  const int text = core::optkwnr(OptStmt::WRITE, "Text");
  stack({50, marker(0), 51, marker(text), 60, 61});
  BUISOPT(header(OptStmt::WRITE, 2), 0);
  EXPECT_EQ(noptions, 2);
  EXPECT_EQ(optval(rwslot("Text")), 51);
  EXPECT_EQ(rwslot("Text"), 26);
  EXPECT_EQ(optval(2), 0);  // Text's own number is not its slot
  EXPECT_EQ(optval(0), 50);
  EXPECT_EQ(core::xeqstackptr, 11);
  // READ's DecimalPoint has the slot that InDeX has for OPEN.
  const int dp = core::optkwnr(OptStmt::READ, "DecimalPoint");
  stack({52, marker(dp)});
  BUISOPT(header(OptStmt::READ, 1), 0);
  EXPECT_EQ(optval(25), 52);
  EXPECT_EQ(rwslot("DecimalPoint"), core::optkwnr(OptStmt::OPEN, "InDeX"));
  EXPECT_EQ(rwslot("FIle"), core::optkwnr(OptStmt::OPEN, "FIle"));
  EXPECT_EQ(rwslot("LENgth"), core::optkwnr(OptStmt::OPEN, "LENgth"));
  // A temporary string or an index from 32767 up is no usable value here.
  const int recl = core::optkwnr(OptStmt::OPEN, "RecL");
  const int fi = core::optkwnr(OptStmt::OPEN, "FIle");
  stack({-2, marker(fi), 40000, marker(recl)});
  BUISOPT(header(OptStmt::OPEN, 2), 0);
  EXPECT_EQ(optval(fi), -fi);
  EXPECT_EQ(optval(recl), -recl);
}

TEST_F(OptDispatch, ExpressionOnlyHeadersAndEditTarget) {
  for (OptStmt s : {OptStmt::STRUCT, OptStmt::BITS, OptStmt::ALIAS}) {
    core::reset_runwords();
    stack({40, marker(1), 41, marker(2)});
    BUISOPT(header(s, 2), 0);
    EXPECT_EQ(noptions, 0);
    EXPECT_EQ(core::xeqstackptr, core::xeqstackbase + 1);
    EXPECT_EQ(core::xeqstop, 0);
  }
  stack({77, 40, marker(1)});
  BUISOPT(header(OptStmt::EDIT, 1), static_cast<std::int16_t>(0x8420));
  EXPECT_EQ(core::xeqtarget, 77);
}

TEST_F(OptDispatch, ExpressionFormPairs) {
  // Positional: the last pair first; a pair without value is a bare switch.
  std::vector<std::int32_t> list = {1, 40, 2, novalue, 3, 41};
  core::xeqstackptr = core::xeqstackbase;
  BUISOPTNEW(static_cast<std::int16_t>(core::optstmtxcode(static_cast<int>(OptStmt::COM)) | 3), 0,
             list, 6);
  EXPECT_EQ(noptions, 3);
  EXPECT_EQ(optkw(1), 3);
  EXPECT_EQ(optval(1), 41);
  EXPECT_EQ(optval(2), -2);
  EXPECT_EQ(optval(3), 40);
  EXPECT_EQ(core::xeqstackptr, core::xeqstackbase + 6);
  // READ: pairs by keyword, then the items pushed in order.
  const int dp = core::optkwnr(OptStmt::READ, "DecimalPoint");
  list = {dp, 45, 70, 71};
  core::xeqstackptr = core::xeqstackbase;
  BUISOPTNEW(static_cast<std::int16_t>(core::optstmtxcode(static_cast<int>(OptStmt::READ)) | 1), 0,
             list, 4);
  EXPECT_EQ(optval(25), 45);
  EXPECT_EQ(core::xeqstackptr, core::xeqstackbase + 2);
  EXPECT_EQ(core::adrs(core::xeqstackbase + 2), 71);
  // DLL is carried out by the run driver.
  core::reset_runwords();
  list = {1, 40};
  BUISOPTNEW(static_cast<std::int16_t>(core::optstmtxcode(static_cast<int>(OptStmt::DLL)) | 1), 0,
             list, 2);
  EXPECT_EQ(core::xeqstop, 0xAD80);
  // Any other header only clears the table.
  optval(5) = 9;
  BUISOPTNEW(static_cast<std::int16_t>(0xC020), 0, list, 2);
  EXPECT_EQ(optval(5), 0);
  EXPECT_EQ(noptions, 0);
}

TEST_F(OptDispatch, TableFollowsTheStatementNumbers) {
  for (int s = 0; s < core::noptstmts; ++s) {
    EXPECT_EQ(static_cast<int>(opttable[s].stmt), s);
    EXPECT_EQ(opttable[s].expressiononly, s >= static_cast<int>(OptStmt::STRUCT));
  }
  EXPECT_EQ(readslots.size(), core::shoplist(OptStmt::READ).entries.size());
  EXPECT_EQ(writeslots.size(), core::shoplist(OptStmt::WRITE).entries.size());
  EXPECT_EQ(writeslots[core::optkwnr(OptStmt::WRITE, "UnderLine")], 53);
  EXPECT_EQ(readslots[core::optkwnr(OptStmt::READ, "ClipBoard")], 34);
}

TEST_F(OptDispatch, DialogBuildRunsTheTimerAround) {
  static std::vector<std::int32_t> calls;
  calls.clear();
  realtimeflags = 1;
  realtimehook = [](std::int32_t mode, std::int32_t) { calls.push_back(mode); };
  std::vector<std::int32_t> list = {1, 40};
  BUISOPTNEW(static_cast<std::int16_t>(core::optstmtxcode(static_cast<int>(OptStmt::DLG)) | 1), 0,
             list, 2);
  EXPECT_EQ(calls, (std::vector<std::int32_t>{2, 0}));
  stack({40, marker(1)});
  BUISOPT(header(OptStmt::DLG, 1), 0);
  EXPECT_EQ(calls, (std::vector<std::int32_t>{2, 0, 2}));
}

}  // namespace
