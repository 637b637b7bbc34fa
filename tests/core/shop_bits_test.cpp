// The option check of BITS, whose first argument is its target.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/codeword_dump.h"
#include "core/codewords.h"
#include "core/runwords.h"
#include "core/shop.h"
#include "core/shoplists.h"
#include "core/tokenizer.h"
#include "platform/win_message_box.h"

using namespace core;

namespace {

// Tokenizes the line, gives token 1 the code of the built-in, checks the
// options and returns the dump of the tokens.
struct BitsOpts {
  std::vector<double> values = std::vector<double>(maxtokens);
  std::int32_t kout = 0;
  std::string run(std::string_view line, std::int16_t code, OptStmt s) {
    reset_runwords();
    reset_tokenizer();
    reset_shop();
    std::int32_t mode = 1;
    TOKEN(line, values, mode);
    tokcod(1) = code;
    LEXIOPTS(line, 1, shoplist(s).shop, shoplist(s).shoptypes, kout, 1);
    return core::cwdump::tokens();
  }
};

}  // namespace

TEST(ShopBits, TheTargetPassesUncheckedAndTheOptionsAreChecked) {
  BitsOpts o;
  const std::int16_t bits = builtincode("BITS");
  o.run("BITS(T, SetBit=0) ", bits, OptStmt::BITS);
  EXPECT_EQ(xeqstop, 0);
  EXPECT_EQ(tokcod(3), cwd::name);  // the target stays a name
  EXPECT_EQ(tokcod(5), optmarkerof(optentry(OptStmt::BITS, "SetBit")));
  EXPECT_EQ(o.kout, 8);

  // A target spelled like a keyword, or written with an index or an
  // expression, is still the target; the keyword after it is a keyword.
  o.run("BITS(X, Y=1, CLR) ", bits, OptStmt::BITS);
  EXPECT_EQ(xeqstop, 0);
  EXPECT_EQ(tokcod(3), cwd::name);
  EXPECT_EQ(tokcod(5), optmarkerof(optentry(OptStmt::BITS, "Y")));
  o.run("BITS(A(2, 3), IFSet=(2,4), CLR) ", bits, OptStmt::BITS);
  EXPECT_EQ(xeqstop, 0);
  EXPECT_EQ(tokcod(10), optmarkerof(optentry(OptStmt::BITS, "IFSet")));
  o.run("BITS(V + 1, FLiP) ", bits, OptStmt::BITS);
  EXPECT_EQ(xeqstop, 0);
  o.run("BITS(T) ", bits, OptStmt::BITS);
  EXPECT_EQ(xeqstop, 0);
  EXPECT_EQ(o.kout, 4);

  // The options after the target are checked as in every statement.
  o.run("BITS(T, NoSuch=1) ", bits, OptStmt::BITS);
  EXPECT_EQ(xeqstop, 0x7FFF);
  o.run("BITS(T, RowsColsBits) ", bits, OptStmt::BITS);
  EXPECT_EQ(xeqstop, 0x7FFF);
  EXPECT_EQ(msgkey.str(), "lOP3");

  // Without a target the call would take whatever lies below it.
  for (const char* line : {"BITS() ", "BITS(, CLR) "}) {
    o.run(line, bits, OptStmt::BITS);
    EXPECT_EQ(xeqstop, 0x7FFF) << line;
    EXPECT_EQ(msgkey.str(), "bitsNoTarget") << line;
  }
}

TEST(ShopBits, OtherStatementsStillWantAKeywordFirst) {
  BitsOpts o;
  o.run("STRUCT(REC, I4=a) ", builtincode("STRUCT"), OptStmt::STRUCT);
  EXPECT_EQ(xeqstop, 0x7FFF);
  o.run("SORT(T, Up) ", builtincode("SORT"), OptStmt::SORT);
  EXPECT_EQ(xeqstop, 0x7FFF);
  o.run("STRUCT(STruc=rec, GetPage=1) ", builtincode("STRUCT"), OptStmt::STRUCT);
  EXPECT_EQ(xeqstop, 0);
}
