#include "core/program.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/codewords.h"
#include "core/editbuffer.h"
#include "core/runwords.h"
#include "core/stores.h"
#include "core/symbols.h"
#include "support/stores_fixture.h"

using namespace core;

namespace {

using Stmt = std::vector<std::int16_t>;

constexpr std::int16_t IF = cwv(0xF400), ELSE = cwv(0xF440), ELSEIF = cwv(0xF480),
                       ENDIF = cwv(0xF4C0), THEN = cwv(0xF500), BLOCKDO = cwv(0xEC20),
                       ENDDO = cwv(0xEC40), DO = cwv(0xEC60), END = cwv(0xE0C0), SUB = cwv(0xE140),
                       END1 = cwv(0xE0C1), EM = cwv(0x8000), CONTINUE = cwv(0xECA0);

// Executor-form statements as the expression translator writes them.
const Stmt xif{-1, 0, 5, IF, THEN};
const Stmt xelse{-1, 0, ELSE};
const Stmt xelseif{-1, 0, 5, ELSEIF, THEN};
const Stmt xendif{-1, 0, ENDIF};
const Stmt xassign{-1, 0, 5, 6};
// Older-form loops: a block DO leaves a slot two words before its DO word.
const Stmt odo{0, 7, BLOCKDO};
const Stmt oenddo{0, ENDDO};
const Stmt oend{END};

struct Program : ::testing::Test {
  void SetUp() override {
    storetest::setup();
    reset_program();
    edmark = 0;
    lokalsub = lokalscope = 0;
    xeqline = 0;
    // The special names come first in every compiled symbol table.
    for (int k = 1; k <= 11; ++k) storetest::addsym("$" + std::to_string(k), 0x80);
  }
  void TearDown() override { reset_stores(); }

  // Lays the statements out in `xeqbuf` and walks them (as after a line's
  // splice with `spliced`).
  void walk(const std::vector<Stmt>& stmts, bool spliced = false) {
    std::int32_t p = 1;
    for (const Stmt& s : stmts) {
      for (std::int16_t w : s) xeqbuf(p++) = w;
      xeqbuf(p++) = EM;
    }
    nstmt = static_cast<std::int32_t>(stmts.size());
    jumplimit = nxeqbuf;
    INTERNALJUMPS(spliced);
  }
  void again() {
    jumplimit = nxeqbuf;
    INTERNALJUMPS();
  }
  // The words of statement s without its end mark.
  Stmt words(std::int32_t s) {
    Stmt out;
    for (std::int32_t p = stmtstart(s); xeqbuf(p) != EM; ++p) out.push_back(xeqbuf(p));
    return out;
  }
};

TEST_F(Program, StatementTableBoundsEveryStatement) {
  walk({xassign, oend, xassign});
  EXPECT_EQ(nadrslow, nadrs - 3);
  EXPECT_EQ(stmtstart(1), 1);
  EXPECT_EQ(stmtstart(2), 6);
  EXPECT_EQ(stmtstart(3), 8);
  EXPECT_EQ(stmtstart(4), 13);  // just past the last end mark
  EXPECT_EQ(stmtstart(5), 0);
  EXPECT_EQ(nxeqused, 13);
  EXPECT_EQ(iresult, nsym + 1);
  // Stale words behind the program are not read as code.
  xeqbuf(13) = -1;
  xeqbuf(14) = IF;
  again();
  EXPECT_EQ(nblock, 0);
  EXPECT_EQ(edmark, 0);
  // A walk limit inside statement 1 ends the table there.
  jumplimit = 3;
  INTERNALJUMPS();
  EXPECT_EQ(stmtstart(1), 1);
  EXPECT_EQ(stmtstart(2), 0);
  EXPECT_EQ(nxeqused, 3);
}

TEST_F(Program, BlockIfSlotsLeadFromBranchToBranch) {
  walk({xif, xassign, xelseif, xassign, xelse, xassign, xendif});
  // THEN became the slot; it holds the statement of the next branch.
  EXPECT_EQ(words(1), (Stmt{-1, 0, 5, IF, 3}));
  EXPECT_EQ(words(3), (Stmt{-1, 0, 5, ELSEIF, 5}));
  // ELSE as the last word: rewritten so that its slot stands last.
  EXPECT_EQ(words(5), (Stmt{-1, ELSE, 7}));
  EXPECT_EQ(nblock, 0);
  EXPECT_EQ(edmark, 0);
  // A second walk finds the same slots and keeps the code as it is.
  const Stmt one = words(1), five = words(5);
  again();
  EXPECT_EQ(words(1), one);
  EXPECT_EQ(words(5), five);
  EXPECT_EQ(edmark, 0);
}

TEST_F(Program, NestedBlocksResolveToTheInnermost) {
  walk({xif, xif, xelse, xendif, xelse, xendif});
  EXPECT_EQ(words(1).back(), 5);
  EXPECT_EQ(words(2).back(), 3);
  EXPECT_EQ(words(3).back(), 4);
  EXPECT_EQ(words(5).back(), 6);
  EXPECT_EQ(edmark, 0);
  // 64 open blocks are allowed; the 65th is an error and nothing is written
  // past the block stack.
  std::vector<Stmt> deep(65, xif);
  for (int k = 0; k < 65; ++k) deep.push_back(xendif);
  walk(deep);
  EXPECT_EQ(edmark, edmarkall);
  EXPECT_EQ(words(65).front(), 1);
  EXPECT_EQ(words(130).front(), 1);
  EXPECT_EQ(words(1).back(), 129);
  EXPECT_EQ(words(64).back(), 66);
}

TEST_F(Program, BlockErrorsAreMarkedAndJudgedAgainAtTheNextWalk) {
  // ENDIF, ELSE and ENDDO without an open block are marked and listed; a
  // placeholder is left as it is.
  const Stmt placeholder{1, cwv(0x8420)};
  walk({xassign, xendif, xelse, placeholder, oenddo});
  EXPECT_EQ(words(2), (Stmt{1, 0, ENDIF}));
  EXPECT_EQ(words(3).front(), 1);
  EXPECT_EQ(words(4), placeholder);
  EXPECT_EQ(words(5), (Stmt{1, ENDDO}));
  ASSERT_EQ(blockerrors.size(), 3u);
  EXPECT_EQ(blockerrors[0].stmt, 2);
  EXPECT_EQ(blockerrors[1].stmt, 3);
  EXPECT_EQ(blockerrors[2].stmt, 5);
  EXPECT_EQ(edmark, edmarkall);
  edmark = 0;
  again();
  EXPECT_EQ(words(2), (Stmt{1, 0, ENDIF}));
  EXPECT_EQ(edmark, edmarkall);
  // A second ELSE in one block.
  walk({xif, xelse, xelse, xendif});
  EXPECT_EQ(words(2).front(), -1);
  EXPECT_EQ(words(3).front(), 1);
  ASSERT_EQ(blockerrors.size(), 1u);
  EXPECT_EQ(blockerrors[0].stmt, 3);
  // END with a block IF and a DO loop open; the next walk judges it afresh.
  walk({xif, odo, oend});
  EXPECT_EQ(words(3), (Stmt{END1}));
  EXPECT_EQ(nblock, 0);
  ASSERT_EQ(blockerrors.size(), 2u);
  EXPECT_EQ(blockerrors[0].note, "END before the ENDIF of the IF in line 1");
  EXPECT_EQ(blockerrors[1].note, "END before the ENDDO of the DO in line 2");
  again();
  EXPECT_EQ(words(3), (Stmt{END1}));
  // END with only an IF open is marked so too: judged again it stays END
  // (as the mark 1 it became a statement that does nothing).
  walk({xif, oend});
  EXPECT_EQ(words(2), (Stmt{END1}));
  again();
  EXPECT_EQ(words(2), (Stmt{END1}));
  // A block left open at the end marks its IF.
  walk({xassign, xif, xassign});
  EXPECT_EQ(words(2).front(), 1);
  // So does a block DO left open at the end: the innermost one is listed.
  walk({odo, odo, oenddo, xassign});
  EXPECT_EQ(words(1).front(), 1);
  ASSERT_EQ(blockerrors.size(), 1u);
  EXPECT_EQ(blockerrors[0].stmt, 1);
  // A program without mistakes lists none.
  walk({odo, oenddo});
  EXPECT_TRUE(blockerrors.empty());
}

TEST_F(Program, AfterALinesSpliceBlocksOpenAtTheEndAreNoMistakesYet) {
  // A script typed top down: the IF and the DO still wait for their ends.
  // The IF is noted (and drawn) as open, its branch past the last statement
  // leads past the end; nothing is marked in the code or listed.
  programstale = false;
  walk({xassign, odo, xif, xassign}, true);
  EXPECT_NE(words(2).front(), 1);
  EXPECT_EQ(words(3), (Stmt{-1, 0, 5, IF, 5}));
  EXPECT_EQ(openblock, 3);
  EXPECT_TRUE(blockerrors.empty());
  EXPECT_EQ(edmark, edmarkall);
  EXPECT_TRUE(programstale) << "a run compiles the text, and finds the ends missing";
  // Its ENDIF typed, the IF is shown as any line again.
  walk({xassign, xif, xassign, xendif}, true);
  EXPECT_EQ(openblock, 0);
  EXPECT_EQ(words(2).back(), 4);
}

TEST_F(Program, AMarkOnTheFirstStatementIsLiftedToo) {
  walk({xif, xassign});
  ASSERT_EQ(xeqbuf(1), 1);
  // Once the block is closed, the first statement counts as a block IF again.
  walk({words(1), xendif});
  EXPECT_EQ(xeqbuf(1), -1);
  EXPECT_EQ(words(1).back(), 2);
  EXPECT_EQ(nblock, 0);
}

TEST_F(Program, OlderFormBlockWordsTakeTheirPlaceInTheChain) {
  // A block IF or ELSEIF whose condition references a function comes from
  // the statement translator: condition, word, slot (ELSEIF after its jump
  // mark).
  constexpr std::int16_t OIF = cwv(0xE800), OELSEIF = cwv(0xE9C0), MARK = cwv(0x8001);
  const Stmt oif{5, OIF, 0}, oelseif{MARK, 5, OELSEIF, 0};
  walk({oif, xassign, oelseif, xassign, xelseif, xassign, xendif});
  EXPECT_EQ(words(1), (Stmt{5, OIF, 3}));
  EXPECT_EQ(words(3), (Stmt{MARK, 5, OELSEIF, 5}));
  EXPECT_EQ(words(5), (Stmt{-1, 0, 5, ELSEIF, 7}));
  EXPECT_TRUE(blockerrors.empty());
  // Marked without its IF, it gets its first word back at the next walk.
  const Stmt open{-1, 0, 5, 6, 7};
  walk({open, oelseif, xendif});
  EXPECT_EQ(words(2).front(), 1);
  // (The first line becomes the IF, in its place.)
  const std::int32_t p = stmtstart(1);
  for (std::size_t k = 0; k < xif.size(); ++k) xeqbuf(p + static_cast<std::int32_t>(k)) = xif[k];
  again();
  EXPECT_EQ(words(2), (Stmt{MARK, 5, OELSEIF, 3}));
  EXPECT_EQ(words(1).back(), 2);
  EXPECT_TRUE(blockerrors.empty());
}

TEST_F(Program, BlockDoLoopsGetHiddenLabelsOfTheirScope) {
  const std::int32_t sub = storetest::addsym("S", 4);
  const std::int32_t before = nsym;
  const Stmt head{static_cast<std::int16_t>(sub), SUB};
  walk({odo, odo, xassign, oenddo, oenddo, oend, head, odo, oenddo, oend});
  ASSERT_EQ(nsym, before + 3);
  const std::int32_t outer = before + 1, inner = before + 2, local = before + 3;
  EXPECT_EQ(symbolname(outer), ".do001");
  EXPECT_EQ(symbolname(local), ".do003");
  EXPECT_EQ(name(outer).type, 2);
  EXPECT_EQ(c1namen(name(outer).nambeg + 6), ',');
  EXPECT_EQ(name(inner).adr, nz + 1 - 4);  // two cells each in the top block
  EXPECT_EQ(name(outer).scope, 0);
  EXPECT_EQ(name(local).scope, sub);
  EXPECT_EQ(words(1), (Stmt{static_cast<std::int16_t>(outer), 7, BLOCKDO}));
  EXPECT_EQ(words(4), (Stmt{static_cast<std::int16_t>(inner), ENDDO}));
  EXPECT_EQ(words(5), (Stmt{static_cast<std::int16_t>(outer), ENDDO}));
  // Cell: ENDDO statement, DO statement, the word before the DO word.
  EXPECT_EQ(I2EQUZ(1, outer), 5);
  EXPECT_EQ(I2EQUZ(2, outer), 1);
  EXPECT_EQ(I2EQUZ(3, outer), 7);
  EXPECT_EQ(I2EQUZ(1, sub), 7);  // the heading's statement
  // The next walk finds the same labels, wherever the run stands.
  xeqline = 8;
  again();
  EXPECT_EQ(nsym, before + 3);
  EXPECT_EQ(edmark, 0);
}

TEST_F(Program, EveryLoopKeepsALabelOfItsOwnAndDeepNestingIsAnError) {
  storetest::setup(8000, 256, 64000, 20000);
  for (int k = 1; k <= 11; ++k) storetest::addsym("$" + std::to_string(k), 0x80);
  std::vector<Stmt> loops;
  for (int k = 0; k < 1000; ++k) {
    loops.push_back(odo);
    loops.push_back(oenddo);
  }
  walk(loops);
  EXPECT_EQ(symbolname(words(1997).front()), ".do999");
  EXPECT_EQ(symbolname(words(1999).front()), ".do1000");
  EXPECT_EQ(words(2000).front(), words(1999).front());
  EXPECT_EQ(edmark, 0);
  // 256 loops may be open at once, the 257th is an error (and the 256th,
  // innermost of the loops left open, is listed as one without its ENDDO).
  std::vector<Stmt> deep(257, odo);
  walk(deep);
  EXPECT_EQ(symbolname(words(255).front()), ".do255");
  EXPECT_EQ(words(256).front(), 1);
  EXPECT_EQ(words(257).front(), 1);
  EXPECT_EQ(edmark, edmarkall);
}

TEST_F(Program, LabelsAndHeadingsFollowInsertedAndDeletedLines) {
  const std::int32_t at3 = storetest::addsym("10", 2);
  const std::int32_t at5 = storetest::addsym("20", 2);
  const std::int32_t hidden = storetest::addsym(".do001", 2);
  const std::int32_t sub = storetest::addsym("S", 4);
  SETI2EQUZ(1, at3, 3);
  SETI2EQUZ(1, at5, 5);
  SETI2EQUZ(3, at5, 9);  // (its DO ran: the loop variable kept there)
  SETI2EQUZ(1, hidden, 5);
  SETI2EQUZ(3, hidden, 7);
  SETI2EQUZ(2, sub, 5);
  // Symbols far beyond the walk's last position move as well.
  for (int k = 0; k < 40; ++k) storetest::addsym("x" + std::to_string(k), 0x80);
  const std::int32_t late = storetest::addsym("30", 2);
  SETI2EQUZ(1, late, 4);
  const std::int32_t lbl = storetest::addsym("40", 2);
  const Stmt ldo{static_cast<std::int16_t>(lbl), 3, DO};
  const Stmt head{static_cast<std::int16_t>(sub), SUB};

  insline = 3;
  walk({xassign, ldo, xassign, oend, head, xassign});
  EXPECT_EQ(I2EQUZ(2, lbl), 2);  // the labelled DO's statement
  EXPECT_EQ(I2EQUZ(1, at3), 4);  // a label at the inserted line moves
  EXPECT_EQ(I2EQUZ(1, at5), 6);
  EXPECT_EQ(I2EQUZ(1, late), 5);
  EXPECT_EQ(I2EQUZ(1, hidden), 5);  // hidden DO labels are left alone
  EXPECT_EQ(I2EQUZ(2, sub), 6);
  EXPECT_EQ(insline, nolinemark);
  EXPECT_EQ(lokalsub, 0);  // kept across the walk

  delline = 4;
  again();
  EXPECT_EQ(I2EQUZ(1, at3), 0);  // a label at the deleted line stands nowhere
  EXPECT_EQ(I2EQUZ(1, at5), 5);
  EXPECT_EQ(I2EQUZ(1, late), 4);
  EXPECT_EQ(I2EQUZ(2, sub), 5);
  again();  // no marks: nothing moves
  EXPECT_EQ(I2EQUZ(1, at5), 5);
  walk({xassign, oend});  // the labelled DO went
  EXPECT_EQ(I2EQUZ(2, lbl), 0);
}

TEST_F(Program, ADoInsideALoopOnItsOwnLabelIsRefusedAndGetsItsLabelBack) {
  const auto l30 = static_cast<std::int16_t>(storetest::addsym("30", 2));
  const auto l40 = static_cast<std::int16_t>(storetest::addsym("40", 2));
  const Stmt do30{l30, 3, DO}, do40{l40, 3, DO};
  const Stmt end30{l30, CONTINUE}, end40{-1, 0, 5, 6, l40, CONTINUE};
  // Where the translator found the labels standing (a label that stands
  // nowhere refuses its DO as well).
  SETI2EQUZ(1, l30, 5);
  SETI2EQUZ(1, l40, 6);
  // Refused even with another labelled loop between the two.
  walk({do30, do40, do30, xassign, end30, end40});
  ASSERT_EQ(blockerrors.size(), 1u);
  EXPECT_EQ(blockerrors[0].stmt, 3);
  EXPECT_EQ(blockerrors[0].note, "DO 30 inside the DO of line 1 ends on the same label");
  EXPECT_EQ(words(3).front(), 1);
  EXPECT_EQ(I2EQUZ(2, l30), 1);  // the outer loop keeps its record
  // The outer DO deleted: the marked DO, now the second statement, is
  // judged again with its label.
  delline = 1;
  walk({do40, words(3), xassign, end30, end40});
  EXPECT_TRUE(blockerrors.empty());
  EXPECT_EQ(words(2), do30);
  EXPECT_EQ(I2EQUZ(2, l30), 2);
  // A label used again once its loop ended (either form of its statement).
  walk({do40, xassign, end40, do40, xassign, end40, do30, end30, do30, end30});
  EXPECT_TRUE(blockerrors.empty());
  // Labels of different subroutines are not confused across END.
  walk({do30, oend, do30, end30});
  EXPECT_TRUE(blockerrors.empty());
}

}  // namespace
