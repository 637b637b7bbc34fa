// OPEN as a script meets it where the scripts of tests/scripts cannot show
// it: the not-found dialog, and the units that a run leaves behind.
#include <gtest/gtest.h>

#include <deque>
#include <filesystem>
#include <string>
#include <vector>

#include "io/readwrite.h"
#include "io/rwfiles.h"
#include "platform/file_units.h"
#include "support/script_folder.h"
#include "support/test_support.h"

namespace {

namespace fs = std::filesystem;

// The open dialog answers from a queue (an empty queue cancels) and notes
// its titles.
std::deque<std::string> answers;
std::vector<std::string> titles;
bool answer_dialog(std::span<char> path, std::string_view title, std::uint32_t) {
  titles.emplace_back(title);
  if (answers.empty()) return false;
  const std::string chosen = answers.front();
  answers.pop_front();
  std::fill(path.begin(), path.end(), ' ');
  std::copy_n(chosen.begin(), std::min(chosen.size(), path.size()), path.begin());
  return true;
}

class OpenScript : public testsupport::ScriptInFolder {
 protected:
  void SetUp() override {
    ScriptInFolder::SetUp();
    io::reset_readwrite();
    answers.clear();
    titles.clear();
    io::getopenfilename = answer_dialog;
    testsupport::write_file("real.txt", std::string(20, 'r'));
  }
  void TearDown() override {
    io::getopenfilename = nullptr;
    io::reset_readwrite();
    ScriptInFolder::TearDown();
  }
};

TEST_F(OpenScript, AMissingOldFileAsksForAnotherWhichTheVariableThenNames) {
  answers.emplace_back("real.txt");
  const std::string out =
      run("CHARACTER F*12\n"
          "F = 'missing.txt'\n"
          "M = OPEN(FIle=F, OLD, ReadOnly, LENgth=L)\n"
          "END\n");
  // The retry opens for reading and writing; LENgth is the chosen file's.
  EXPECT_EQ(out, "F='real.txt    '\nM=9217\nL=20\nstop=-1\n");
  ASSERT_EQ(titles.size(), 1u);
  EXPECT_EQ(titles[0], "not found: missing.txt");
}

TEST_F(OpenScript, AConstantFileNameKeepsItsTextAndTheChosenFileIsOpened) {
  answers.emplace_back("real.txt");
  answers.emplace_back("never.txt");
  const std::string out =
      run("M = OPEN(FIle='missing.txt', OLD, LENgth=L)\n"
          "END\n");
  EXPECT_EQ(out, "M=9217\nL=20\nstop=-1\n");
  EXPECT_EQ(titles.size(), 1u);  // asked once, not until Cancel
  EXPECT_FALSE(fs::exists("missing.txt"));
}

TEST_F(OpenScript, CancelGivesTheStatusAndExistingFilesAskNothing) {
  const std::string out =
      run("CHARACTER F*12, G*12\n"
          "F = 'missing.txt'\n"
          "I = 0\n"
          "OPEN(FIle=F, OLD, IOStat=I, ERror=10)\n"
          "10 CONTINUE\n"
          "G = 'real.txt'\n"
          "J = 0\n"
          "OPEN(FIle=G, NEW, IOStat=J, ERror=20)\n"
          "20 CONTINUE\n"
          "OPEN(FIle=G, OLD, DenyWRIte)\n"
          "CHARACTER H*12\n"
          "H = 'real.txt'\n"
          "K = 0\n"
          "OPEN(FIle=H, IOStat=K, ERror=30)\n"
          "30 CONTINUE\n"
          "END\n");
  EXPECT_EQ(out,
            "F='missing.txt '\nG='real.txt    '\nI=29\nJ=10\nH='real.txt    '\nK=30\nstop=-1\n");
  EXPECT_EQ(titles.size(), 1u);
  EXPECT_FALSE(fs::exists("missing.txt"));
}

TEST_F(OpenScript, TheUnitsOfAScriptAreClosedWhenItsRunEnds) {
  for (const char* end : {"END\n", "READ(FIle=F) X\nEND\n"}) {
    SCOPED_TRACE(end);
    run(std::string("CHARACTER F*12\nF = 'real.txt'\nOPEN(FIle=F, DenyREAdWRIte)\n") + end);
    EXPECT_FALSE(plat::unit_is_open(plat::unit_script_first));
    EXPECT_EQ(io::rwfiles(plat::unit_script_first).filevar, 0);
  }
}

}  // namespace
