// Scripts that reach the limits of the stores and of the code words: too
// long to keep among the script files (whose mutants run under a time
// limit), so they are written here.
#include <gtest/gtest.h>

#include <string>

#include "exec/script_runner.h"
#include "platform/win_message_box.h"

namespace {

class ScriptLimits : public ::testing::Test {
 protected:
  void SetUp() override { scriptrun::start(); }
  void TearDown() override { scriptrun::finish(); }
};

// Names added line by line until the symbol table has grown past 256, 512,
// 1,024 and 2,048 records (it grows 256, 768, 2,304): one, two or three new
// names a line, some of them text literals. Every line adds to a chain, so
// a name that reads another's cell or a line that fails shows in N.
TEST_F(ScriptLimits, TheSymbolTableGrowsWhileNamesAreAdded) {
  std::string text = "GOTO 10\r\nSUBROUTINE GROW(N)\r\nA0 = 0\r\n";
  int names = 14, expected = 0;
  std::string prev = "A0";
  for (int i = 1; names < 2400; ++i) {
    const std::string n = std::to_string(i), a = "A" + n;
    switch (i % 4) {
      case 0:
        text += a + " = " + prev + " + 1\r\n";
        names += 1;
        expected += 1;
        break;
      case 1:
        text += a + " = " + prev + " + B" + n + " + 1\r\n";
        names += 2;
        expected += 1;
        break;
      case 2:
        text += a + " = " + prev + " + B" + n + " + C" + n + " + 1\r\n";
        names += 3;
        expected += 1;
        break;
      default:
        text += a + " = " + prev + " + LEN('T" + n + "')\r\n";
        names += 2;
        expected += static_cast<int>(n.size()) + 1;
        break;
    }
    prev = a;
  }
  text += "N = " + prev + "\r\nEND\r\n10 N = 0\r\nCALL GROW(N)\r\n";
  EXPECT_EQ(scriptrun::run(text), "N=" + std::to_string(expected) + "\nstop=-1\n");
}

// Names whose texts lie past the 32,767th character of the character store
// still read their own cells.
TEST_F(ScriptLimits, NamesFarIntoTheCharacterStore) {
  std::string text = "GOTO 10\r\nSUBROUTINE CHAIN(N)\r\n";
  const std::string pad(90, 'X');
  std::string prev;
  for (int i = 0; i < 400; ++i) {
    const std::string nm = pad + std::to_string(1000 + i);
    text += nm + " = " + (prev.empty() ? "1" : prev + " + 1") + "\r\n";
    prev = nm;
  }
  text += "N = " + prev + "\r\nEND\r\n10 N = 0\r\nCALL CHAIN(N)\r\nQA = 5\r\nQB = QA + 1\r\n";
  EXPECT_EQ(scriptrun::run(text), "N=400\nQA=5\nQB=6\nstop=-1\n");
}

// Statement numbers are 16-bit: 32,767 lines run (a jump reaches the last),
// one more is refused before anything runs.
TEST_F(ScriptLimits, AScriptHoldsAtMost32767Statements) {
  std::string text = "X = 0\r\nGOTO 99\r\n";
  for (int i = 3; i < 32767; ++i) text += "X = X + 1\r\n";
  text += "99 Y = 5\r\n";
  EXPECT_EQ(scriptrun::run(text), "X=0\nY=5\nstop=-1\n");
  scriptrun::finish();
  scriptrun::start();
  text += "Z = 1\r\n";
  const std::string out = scriptrun::run(text);
  EXPECT_EQ(out.rfind("compile stop=32767 line=32768 key=tooManyLines\n", 0), 0u) << out.substr(0, 200);
  bool named = false;
  for (const auto& box : plat::message_box_log())
    if (box.text.find("more than 32767 statements") != std::string::npos) named = true;
  EXPECT_TRUE(named);
}

}  // namespace
