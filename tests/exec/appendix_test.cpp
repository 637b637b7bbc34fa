#include "exec/appendix.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/editbuffer.h"
#include "core/rawmem.h"
#include "core/runwords.h"
#include "core/stores.h"
#include "struct_fixture.h"

namespace {

using namespace core;

class Appendix : public builtintest::Script {
 protected:
  void SetUp() override {
    Script::SetUp();
    loadeditbuffer(
        "X = APPENDIX('MENU')\r\n"
        "END\r\n"
        "MENUS\r\n"
        " first\r\n"
        "\r\n"
        " third\r\n"
        "NEXT block\r\n"
        " n1\r\n"
        "LAST\r\n"
        " l1\r\n"
        " l2\r\n");
    c1tmptop = c1top + 100;
  }
  void TearDown() override {
    reset_editbuffer();
    Script::TearDown();
  }
  // A character variable holding the text, and number operands.
  std::int32_t textop(const std::string& t) {
    EXPECT_EQ(compile("CHARACTER NM*" + std::to_string(t.size())), 0);
    const std::int32_t s = sym("NM");
    settext(s, t);
    return s;
  }
  std::int32_t numop(double v) {
    const std::int32_t s = ++nsym;
    name(s) = SymbolRecord{};
    name(s).type = 0x81;
    z(s) = v;
    return s;
  }
  // Calls APPENDIX over the operand stack; returns the result text or "!key".
  std::string call(std::vector<std::int32_t> args) {
    xeqstop = 0;
    msgkey.blank();
    iresult = nsym + 3;
    std::vector<std::int32_t> stack = {77};  // an operand below the call
    stack.insert(stack.end(), args.begin(), args.end());
    std::int32_t top = static_cast<std::int32_t>(stack.size());
    const std::int32_t r = exec::APPENDIX(stack, top, static_cast<std::int32_t>(args.size()));
    if (r != 0) {
      EXPECT_EQ(top, 1);
      return "!" + key();
    }
    EXPECT_EQ(top, 2);
    EXPECT_EQ(stack[1], iresult);
    EXPECT_EQ(name(iresult).type, 0x48);
    return text(iresult);
  }
};

TEST_F(Appendix, CopiesTheWholeBlockOrSomeLines) {
  const std::int32_t nm = textop("MENU");
  // The name is a prefix of the head line's first word: "MENUS" matches.
  EXPECT_EQ(call({nm}), "MENUS\r\nfirst\r\n\r\nthird\r\n");
  EXPECT_EQ(call({nm, numop(1)}), "first\r\n");
  EXPECT_EQ(call({nm, numop(2)}), "\r\n");  // an empty line stays an empty line
  EXPECT_EQ(call({nm, numop(1), numop(3)}), "first\r\n\r\nthird\r\n");
  EXPECT_EQ(call({nm, numop(9)}), "");
  // The room for the whole block stays reserved above the temporaries.
  const std::int32_t before = c1tmptop;
  call({nm, numop(0)});
  EXPECT_EQ(c1tmptop, before + 25);
}

TEST_F(Appendix, BlockEndsAndFailures) {
  // A block at the end of the script keeps its last line.
  EXPECT_EQ(call({textop("LAST")}), "LAST\r\nl1\r\nl2\r\n");
  // The first line of the script is never a head line.
  EXPECT_EQ(call({textop("X =")}), "!apdxNotFound");
  EXPECT_EQ(xeqstop, 0x7FFF);
  EXPECT_EQ(call({numop(1)}), "!apdxNonChar");
  EXPECT_EQ(call({textop("M")}), "!apdxNotFound");  // one character is not searched

  std::int32_t first = 0, last = 0, start = 0, end = 0;
  exec::MENUA_E("NEXT with more words", first, last);
  EXPECT_EQ(first, 8);
  EXPECT_EQ(last, 8);
  ASSERT_TRUE(exec::FINDAPPENDIXBLOCK("MENUS", first, last, start, end));
  EXPECT_EQ(first, 4);
  EXPECT_EQ(last, 6);
  EXPECT_EQ(c1edit(start), 'M');
  EXPECT_EQ(c1edit(end), '\n');
  EXPECT_EQ(c1edit(end + 1), 'N');
  // No editor text: nothing is found.
  reset_editbuffer();
  exec::MENUA_E("MENUS", first, last);
  EXPECT_EQ(first, 0);
}

TEST_F(Appendix, ResultTakesThePlaceOfTheArgumentsOnTheExecutorStack) {
  const std::int32_t nm = textop("NEXT");
  std::int32_t lo = 1, hi = 100;
  ALLOCS("adrs", lo, hi);
  xeqstackbase = 10;
  xeqstackptr = 12;
  adrs(11) = 5;
  adrs(12) = nm;
  iresult = nsym + 2;
  EXPECT_EQ(exec::APPENDIX(1), 0);
  EXPECT_EQ(xeqstackptr, 12);
  EXPECT_EQ(adrs(12), iresult);
  EXPECT_EQ(text(iresult), "NEXT block\r\nn1\r\n");
}

}  // namespace
