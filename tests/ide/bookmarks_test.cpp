// Text marks and the watched variable, with the two dialogs answered by a
// queue of answers.
#include <gtest/gtest.h>

#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "core/runwords.h"
#include "core/stores.h"
#include "core/symbols.h"
#include "exec/headless_run.h"
#include "exec/postfix.h"
#include "exec/xeq.h"
#include "ide/bookmarks.h"
#include "ide/fedhlp.h"
#include "support/stores_fixture.h"

namespace {

// What a dialog was shown with, and how the fake user answers it.
struct Shown {
  std::string key;
  std::vector<std::int32_t> words;
  std::string value;
};
std::vector<Shown> shown;
std::deque<std::function<int(const core::HelpValues&)>> answers;

void fakewindow(std::string_view key, int& answer, const core::HelpValues& v) {
  Shown s{std::string(key), {v.words.begin(), v.words.end()}, {}};
  if (v.characters.data() != nullptr) s.value.assign(v.characters.data(), v.characters.size());
  shown.push_back(s);
  answer = 0;
  if (!answers.empty()) {
    answer = answers.front()(v);
    answers.pop_front();
  }
}

void answer(int a) {
  answers.push_back([a](const core::HelpValues&) { return a; });
}

class BookmarksTest : public ::testing::Test {
 protected:
  void SetUp() override {
    exec::reset_all();
    storetest::setup(2000, 256, 4000);
    storetest::addspecials();
    ide::reset_bookmarks();
    ide::install_breakwatch();
    ide::helpwindow = fakewindow;
    shown.clear();
    answers.clear();
  }
  void TearDown() override {
    ide::helpwindow = core::HELP;
    ide::reset_bookmarks();
    core::setbreakvariable = nullptr;
    exec::reset_all();
  }
  // The input step's check after a statement; true when the dialog came.
  bool check() {
    const std::size_t before = shown.size();
    std::int32_t a = 0;
    ide::BREAKACTION(a);
    if (a == 101) ide::SETBREAKVARIABLE(a);
    return shown.size() > before;
  }
  void watch(const std::string& nm) {
    ide::breakname.set(nm);
    ide::SETBREAKVARIABLE(0);
  }
};

TEST_F(BookmarksTest, MarksAreSetJumpedToAndEndTheRun) {
  std::int32_t move = 0;
  answer(12);  // mark 2 := this line
  answer(31);  // run to mark 1 (unset)
  ide::TEXTMARK(move, 15);
  EXPECT_EQ(ide::textmarks(2), 15);
  EXPECT_EQ(shown.size(), 2u);
  EXPECT_EQ(shown[0].key, "book_marks");
  EXPECT_EQ(shown[0].words, (std::vector<std::int32_t>{0, 0, 0, 15}));
  EXPECT_EQ(exec::stopline, 0);
  EXPECT_EQ(core::edmode, 13);
  answer(32);
  ide::TEXTMARK(move, 40);
  EXPECT_EQ(exec::stopline, 15) << "the run ends at mark 2";
  EXPECT_EQ(move, 0);
  answer(32);
  ide::TEXTMARK(move, 40, 1);
  EXPECT_EQ(move, 15 - 40) << "with the flag set it only moves there";
  move = 0;
  answer(23);
  ide::TEXTMARK(move, 40);
  EXPECT_EQ(move, -40) << "an unset mark: line 0";
  EXPECT_EQ(exec::stopline, 0) << "cleared at every opening";
  move = 0;
  answers.push_back([](const core::HelpValues& v) {
    v.words[3] = 7;  // the user typed line 7
    return 8;
  });
  ide::TEXTMARK(move, 40);
  EXPECT_EQ(move, 7 - 40);
  answer(99);
  ide::TEXTMARK(move, 40);
  EXPECT_EQ(shown.back().key, "EditorHelp");
  EXPECT_EQ(move, 0);
}

TEST_F(BookmarksTest, AWatchedScalarStopsOnEveryChangeAndNoOther) {
  const std::int32_t x = storetest::addsym("X", 0x80);
  core::z(x) = 1.0;
  watch("X");
  EXPECT_TRUE(exec::stepwatch);
  EXPECT_FALSE(check());
  core::z(x) = 1.0;
  EXPECT_FALSE(check()) << "the same value";
  core::z(x) = 1.0 + 1e-12;
  ASSERT_TRUE(check());
  EXPECT_EQ(shown.back().key, "break_string");
  EXPECT_EQ(shown.back().value.substr(0, 1), "1");
  answer(4);  // stop watching
  core::z(x) = 3.0;
  EXPECT_TRUE(check());
  EXPECT_FALSE(exec::stepwatch);
  core::z(x) = 4.0;
  EXPECT_FALSE(check());
}

TEST_F(BookmarksTest, AnElementAndATextCharacterAreFollowedAcrossGrowthsOfTheStores) {
  const std::int32_t a = storetest::addarray("A", 2, 3);
  const std::int32_t t = storetest::addcharvar("T", "hello");
  ide::breakname.set("A");
  ide::breakwatch.index = 5;
  ide::SETBREAKVARIABLE(0);
  std::int32_t extra = 5000;
  ASSERT_TRUE(core::REALLOC(3, extra));  // the arrays move up
  EXPECT_EQ(ide::breakwatch.cell, core::IDXINZ(a, 4));
  EXPECT_FALSE(check());
  core::z(core::IDXINZ(a, 3)) = 9.0;
  EXPECT_FALSE(check()) << "another element";
  core::z(core::IDXINZ(a, 4)) = 9.0;
  EXPECT_TRUE(check());
  answer(8);  // the next element, then the last one again
  answer(8);
  core::z(core::IDXINZ(a, 4)) = 10.0;
  EXPECT_TRUE(check());
  EXPECT_EQ(ide::breakwatch.index, 6);
  EXPECT_EQ(shown.back().words, std::vector<std::int32_t>{6});
  EXPECT_EQ(ide::breakwatch.index, 6) << "no element after the last";

  shown.clear();
  ide::breakname.set("T");
  ide::breakwatch.index = 2;
  ide::SETBREAKVARIABLE(0);
  extra = 3000;
  ASSERT_TRUE(core::REALLOC(5, extra));  // the texts move up
  std::int32_t first = 0, last = 0;
  core::ISCHAR(t, first, last);
  EXPECT_EQ(ide::breakwatch.c1pos, first + 1);
  core::c1namen(first + 2) = 'L';
  EXPECT_FALSE(check()) << "only the watched character counts";
  core::c1namen(first + 1) = 'E';
  ASSERT_TRUE(check());
  EXPECT_EQ(shown.back().value, "ELlo");
}

TEST_F(BookmarksTest, TheValueTextGetsItsRoomAndABadNameIsAskedAgain) {
  const std::int32_t x = storetest::addsym("X", 0x80);
  const std::int32_t t = storetest::addcharvar("T", "keep");
  // No room above the names: the store grows before the value is written.
  core::c1limit = core::c1top + 3;
  const std::int32_t size = core::nc1namen;
  watch("X");
  core::z(x) = 12.5;
  ASSERT_TRUE(check());
  EXPECT_EQ(shown.back().value.substr(0, 4), "12.5");
  EXPECT_GT(core::nc1namen, size);
  EXPECT_EQ(storetest::textof(t), "keep");

  shown.clear();
  answer(101);  // the rejected name shown again
  answers.push_back([](const core::HelpValues& v) {
    std::fill(v.text.begin(), v.text.end(), ' ');
    v.text[0] = 'X';
    return 101;
  });
  ide::breakname.set("SUBX");  // no such variable
  ide::SETBREAKVARIABLE(101);
  ASSERT_GE(shown.size(), 3u);
  EXPECT_EQ(ide::breakname.trimmed(), "X");
  EXPECT_EQ(ide::breakwatch.cell, x);
}

}  // namespace
