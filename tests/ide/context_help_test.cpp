// F1 on a word of the script tells of it in the user's words: a variable
// and an element by what the line says, a declared array by its size, and
// a name written with "(" that nothing declares as neither a built-in
// function nor an array.
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "editor_keys.h"
#include "ide/fedhlp.h"
#include "ide_fixture.h"
#include "support/test_support.h"

namespace idetest {
namespace {

// The help windows shown: their key and the name they were given.
std::vector<std::pair<std::string, std::string>> shown;
void lookedat(std::string_view key, int& answer, const core::HelpValues& v) {
  std::string name(v.text.data(), v.text.size());
  name.erase(name.find_last_not_of(' ') + 1);
  shown.emplace_back(key, name);
  answer = 0;
}

class ContextHelp : public IdeTest {
 protected:
  void TearDown() override {
    ide::helpwindow = core::HELP;
    IdeTest::TearDown();
  }
};

// F1 with the cursor after `right` presses of Right on the line.
Step f1at(int right) {
  return [right] {
    press(win::VK_HOME);
    for (int k = 0; k < right; ++k) press(win::VK_RIGHT);
    press(win::VK_F1);
  };
}

TEST_F(ContextHelp, F1NamesWhatTheUserWroteAndAnUndeclaredNameAsNoArray) {
  testsupport::TempDir dir;
  testsupport::write_file(dir.file("f1.ost"),
                          "DIMENSION V(3)\r\nS = 0\r\nV(2) = S + 1\r\nR = SQRT(V)\r\nEND\r\n");
  shown.clear();
  ide::helpwindow = lookedat;
  run("\"" + dir.file("f1.ost") + "\"",
      {[] { press(win::VK_DOWN); }, f1at(0), [] { press(win::VK_DOWN); }, f1at(0),
       [] { press(win::VK_DOWN); }, f1at(5), f1at(9)});
  EXPECT_EQ(shown, (std::vector<std::pair<std::string, std::string>>{{"numeric", "S"},
                                                                     {"numeric", "V(2)"},
                                                                     {"noSuchName", "SQRT"},
                                                                     {"array_dimensions", "V"}}));
}

}  // namespace
}  // namespace idetest
