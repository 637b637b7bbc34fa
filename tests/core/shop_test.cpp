#include "core/shop.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/codeword_dump.h"
#include "core/codewords.h"
#include "core/runwords.h"
#include "core/shoplists.h"
#include "core/symbols.h"
#include "core/tokenizer.h"
#include "platform/win_message_box.h"

using namespace core;

namespace {

std::int32_t match(OptStmt s, std::string_view word) {
  std::int32_t pos = 0;
  return ITEMNRINSHOP(word, shoplist(s).shop, pos);
}

// Tokenizes the line, gives token 1 its built-in code as the lexicon does,
// checks the options and returns the dump of the tokens.
struct Opts {
  std::vector<double> values = std::vector<double>(maxtokens);
  std::int32_t kout = 0;
  std::string run(std::string_view line, OptStmt s, std::int32_t flags = 0) {
    reset_runwords();
    reset_tokenizer();
    std::int32_t mode = 1;
    TOKEN(line, values, mode);
    tokcod(1) = optstmtcode(static_cast<int>(s));
    LEXIOPTS(line, 1, shoplist(s).shop, shoplist(s).shoptypes, kout, flags);
    return core::cwdump::tokens();
  }
};

}  // namespace

TEST(Shop, AbbreviationsSelectTheFirstMatchingEntry) {
  EXPECT_EQ(match(OptStmt::DLG, "E"), 5);  // Edit: ERror also requires R
  for (auto w : {"ER", "ERO", "ERROR", "err", "eRrO"}) EXPECT_EQ(match(OptStmt::DLG, w), 1) << w;
  EXPECT_EQ(match(OptStmt::DLG, "ERRORS"), 0);
  EXPECT_EQ(match(OptStmt::DLG, "C"), 0);
  EXPECT_EQ(match(OptStmt::DLG, "CB"), 8);
  EXPECT_EQ(match(OptStmt::DLG, "T"), 2);
  EXPECT_EQ(match(OptStmt::DLG, "TI"), 56);
  EXPECT_EQ(match(OptStmt::OPEN, "F"), 15);
  for (auto w : {"FI", "FIL", "FILE"}) EXPECT_EQ(match(OptStmt::OPEN, w), 3) << w;
  EXPECT_EQ(match(OptStmt::OPEN, "FILTER"), 24);
  EXPECT_EQ(match(OptStmt::OPEN, "D"), 0);
  EXPECT_EQ(match(OptStmt::OPEN, "DREA"), 20);
  EXPECT_EQ(match(OptStmt::EDIT, "$M"), optentry(OptStmt::EDIT, "$Marks"));
  EXPECT_EQ(match(OptStmt::EDIT, "M"), 0);
  for (auto w : {"C", "COL", "COLUMN"}) EXPECT_EQ(match(OptStmt::WRITE, w), 15) << w;
  EXPECT_EQ(match(OptStmt::WRITE, "COLS"), 16);
  EXPECT_EQ(match(OptStmt::WRITE, "CLS"), 9);
  EXPECT_EQ(match(OptStmt::SYSTEM, "W"), 9);
  EXPECT_EQ(match(OptStmt::LINE, "W"), optentry(OptStmt::LINE, "lineWidth"));
  EXPECT_EQ(match(OptStmt::OPEN, "DENYREADWRITEX"), 0);
  EXPECT_EQ(match(OptStmt::OPEN, ""), 0);
}

TEST(Shop, MatchPositionPointsAtTheEntry) {
  const std::string_view shop = shoplist(OptStmt::DLG).shop;
  std::int32_t pos = 0;
  ASSERT_EQ(ITEMNRINSHOP("E", shop, pos), 5);
  EXPECT_EQ(shop.substr(pos - 1, 5), "Edit,");
  ITEMNRINSHOP("QQ", shop, pos);
  EXPECT_EQ(pos, static_cast<std::int32_t>(shop.size()) + 1);
  // A blank-padded buffer behaves like the list.
  curshop.set(shop);
  EXPECT_EQ(ITEMNRINSHOP("CB", curshop.view(), pos), 8);
  EXPECT_EQ(ITEMNRINSHOP("QQ", curshop.view(), pos), 0);
  EXPECT_GT(pos, static_cast<std::int32_t>(shop.size()));
}

TEST(Shop, CheckshopFindsShadowedEntries) {
  EXPECT_EQ(CHECKSHOP(",ABc,XY,"), 0);
  plat::reset_message_boxes();
  EXPECT_EQ(CHECKSHOP(",ABc,AB,"), 1);  // AB selects ABc first
  ASSERT_EQ(plat::message_box_log().size(), 1u);
  EXPECT_EQ(plat::message_box_log()[0].title, "Short KeyWord AB of AB");
  EXPECT_EQ(plat::message_box_log()[0].text, "found starting in\rABc,AB,");
  EXPECT_EQ(CHECKSHOP(",ABc,AB,XY,AB,"), 2);
  EXPECT_EQ(CHECKSHOP("ABc,AB,"), 1);  // no framing comma: one syntax message
  EXPECT_EQ(CHECKSHOP(",ABc,AB   "), 1);
  for (const ShopList& l : shoplists) EXPECT_EQ(CHECKSHOP(l.shop), 0) << l.stmt;
}

TEST(Shop, ListsAndTypes) {
  const ShopList& alias = shoplist(OptStmt::ALIAS);
  EXPECT_EQ(alias.shop,
            ",ERror,Base,Index,Number,Vector,Matrix,Rows,Columns,String,Length,"
            "TrailingSpace,");
  EXPECT_EQ(alias.shoptypes, "N NNNNNNSN ");
  EXPECT_EQ(shoplist(OptStmt::OPEN).shop.substr(0, 31), ",ERror,IOStat,FIle,OLD,NEW,SCRa");
  EXPECT_EQ(dlgshop, shoplist(OptStmt::DLG).shop);
  EXPECT_EQ(dlgshoptypes.size(), 82u);
  EXPECT_EQ(shoplist(OptStmt::SOLVE).shoptypes[optentry(OptStmt::SOLVE, "NUL") - 1], 'L');
  // Keyword numbers count from 0 with ERror; SYSTEM's follow its full list.
  EXPECT_EQ(optkwnr(OptStmt::SYSTEM, "ERror"), 0);
  EXPECT_EQ(optkwnr(OptStmt::SYSTEM, "RPW"), 19);
  EXPECT_EQ(optkwnr(OptStmt::SYSTEM, "AppDir"), 21);
  EXPECT_EQ(optkwnr(OptStmt::SYSTEM, "FullHeight"), 40);
  for (int s = 0; s < noptstmts; ++s) EXPECT_EQ(shoplists[s].stmt, optstmtname(s));
}

TEST(Shop, LexioptsRecodesKeywordsAndValues) {
  Opts o;
  EXPECT_EQ(o.run("WRITE(ERror=100, Text='x') ", OptStmt::WRITE),
            "WRITE ( ERror label num , Text = text ) end");
  EXPECT_EQ(xeqstop, 0);
  EXPECT_EQ(o.kout, 10);
  EXPECT_EQ(tokcod(3), cwv(0x9800));
  EXPECT_EQ(tokcod(7), cwv(0x9802));
  EXPECT_TRUE(compnote.is_blank());

  EXPECT_EQ(o.run("SOLVE(NUL=x, Limit=1) ", OptStmt::SOLVE),
            "SOLVE ( NUL =L name , Limit = num ) end");
  EXPECT_EQ(xeqstop, 0);

  // Numeric values: a signed number, a call, an array element all pass.
  o.run("WRITE(PRint=-1, LENgth=f(2), ItemS=a(1,2)) ", OptStmt::WRITE);
  EXPECT_EQ(xeqstop, 0);
  EXPECT_EQ(tokcod(o.kout), cwd::rparen);
}

TEST(Shop, LexioptsTextValues) {
  Opts o;
  o.run("OPEN(FIle=data, Format='(A)') ", OptStmt::OPEN);
  EXPECT_EQ(xeqstop, 0);
  EXPECT_EQ(tokcod(5), 0x40);  // the name is taken as its own text
  EXPECT_EQ(compnote.str(), "not string: FIle=data");
  // Only the first note is kept; the analysis mode writes none.
  o.run("OPEN(FIle=a, Format=b) ", OptStmt::OPEN);
  EXPECT_EQ(compnote.str(), "not string: FIle=a");
  xeqmode = 0x200;
  compnote.blank();
  std::int32_t mode = 1;
  TOKEN("OPEN(FIle=a) ", o.values, mode);
  tokcod(1) = builtincode("OPEN");
  LEXIOPTS("OPEN(FIle=a) ", 1, shoplist(OptStmt::OPEN).shop, shoplist(OptStmt::OPEN).shoptypes,
           o.kout, 0);
  EXPECT_TRUE(compnote.is_blank());
  EXPECT_EQ(tokcod(5), 0x40);
}

TEST(Shop, LexioptsFailures) {
  Opts o;
  o.run("OPEN(FIle) ", OptStmt::OPEN);
  EXPECT_EQ(xeqstop, 0x7FFF);
  EXPECT_EQ(msgkey.str(), "lOP2");
  EXPECT_EQ(failedline.str(), "(FIle)");
  EXPECT_EQ(compnote.str(), "invalid: (FIle)");
  EXPECT_EQ(o.kout, 4);

  o.run("WRITE(PRint='a', Text='b') ", OptStmt::WRITE);
  EXPECT_EQ(msgkey.str(), "lOP3");
  EXPECT_EQ(failedline.str(), "PRint='a");

  o.run("WRITE(PRint, Text='b') ", OptStmt::WRITE);  // value missing before the comma
  EXPECT_EQ(msgkey.str(), "lOP3");
  EXPECT_EQ(tokcod(o.kout), cwd::comma);

  o.run("WRITE(Text=) ", OptStmt::WRITE);
  EXPECT_EQ(msgkey.str(), "lOP2");

  // An unmatched keyword stops the check at that word.
  o.run("WRITE(Xyz=1) ", OptStmt::WRITE);
  EXPECT_EQ(xeqstop, 0x7FFF);
  EXPECT_EQ(o.kout, 3);
  EXPECT_TRUE(msgkey.is_blank());
  o.run("WRITE(Xyz=1) ", OptStmt::WRITE, 1);  // quiet analysis still fails
  EXPECT_EQ(xeqstop, 0x7FFF);
}

TEST(Shop, LexioptsDialogFunction) {
  Opts o;
  EXPECT_EQ(o.run("DLG(abc, 5) ", OptStmt::DLG), "win ( name , num ) end");
  EXPECT_EQ(xeqstop, 0);
  EXPECT_EQ(o.run("DLG(abc=5) ", OptStmt::DLG), "DLG ( name = num ) end");
  EXPECT_EQ(xeqstop, 0x7FFF);
  EXPECT_EQ(o.run("DLG(Text='a', X=1, Y=2) ", OptStmt::DLG),
            "DLG ( Text = text , X = num , Y = num ) end");
  EXPECT_EQ(xeqstop, 0);
}
