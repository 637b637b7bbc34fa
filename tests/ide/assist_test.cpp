// The typing assistant on the input field as keys reach it, and context
// help's classification of real lines. The lines are analysed on trial:
// the compiler's counters must come out as they went in.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/editbuffer.h"
#include "core/helpdata.h"
#include "core/lexicon.h"
#include "core/runwords.h"
#include "core/shop.h"
#include "core/stores.h"
#include "core/symbols.h"
#include "core/tokenizer.h"
#include "exec/headless_run.h"
#include "ide/editorwords.h"
#include "ide/bookmarks.h"
#include "ide/fedhlp.h"
#include "ide/filehistory.h"
#include "ide/panlio.h"
#include "ide/smarttype.h"
#include "ide/textwriters.h"
#include "platform/file_units.h"
#include "support/stores_fixture.h"
#include "support/test_support.h"

namespace {

constexpr std::uint8_t kTab = 15, kSpace = 57, kShift = 1;

struct Counters {
  std::int32_t ntrans, nsym, c1top, c1limit, nztop, xeqmode, xeqstop;
  static Counters now() {
    return {core::ntrans, core::nsym,    core::c1top,  core::c1limit,
            core::nztop,  core::xeqmode, core::xeqstop};
  }
  bool operator==(const Counters&) const = default;
};

class AssistTest : public ::testing::Test {
 protected:
  std::string text;
  std::int32_t key = 0;
  std::int32_t changed = 0;
  Counters before{};

  void SetUp() override {
    exec::reset_all();
    ide::reset_panlio();
    ide::reset_editorwords();
    ide::reset_textwriters();
    ide::reset_smarttype();
    storetest::setup();
    storetest::addspecials();
    plat::reset_file_units();
    core::reset_helpdata();
    core::CHECKSUM((testsupport::source_dir() / "data" / "Ostrel.hlp").string());
    core::edvars[18] = 254;
    core::nstmt = 10;
    ide::edloadline = 1;
    ide::tipopts = {0, 1, 2, 1};  // hints in the status bar only
    before = Counters::now();
  }
  void TearDown() override {
    ide::helpwindow = core::HELP;
    ide::tipopts = {1, 0, 2, 1};
    core::reset_helpdata();
    plat::reset_file_units();
    exec::reset_all();
  }
  void open(const std::string& line) {
    text = "3" + line;
    text.resize(60, ' ');
    key = -static_cast<std::int32_t>(line.size()) - 1;
    ide::PANLIO(text, 1, key, changed);
    ide::inlinehint.blank();
    before = Counters::now();
  }
  void press(std::uint8_t scan, char ch = 0, std::uint8_t mods = 0) {
    core::keyrec = {static_cast<std::uint8_t>(ch), scan, mods, 1};
    ide::PANLIOKEY(text, 0, key, changed);
    EXPECT_EQ(Counters::now(), before) << "after the key " << int(scan) << " on " << line();
  }
  void type(const std::string& s) {
    for (char c : s) press(0x10, c);
  }
  std::string line() const {
    const std::size_t end = text.find_last_not_of(' ');
    return end == 0 || end == std::string::npos ? std::string() : text.substr(1, end);
  }
  std::int32_t cursor() {
    std::int32_t c = 0;
    ide::PANLIOCURSOR(c);
    return c;
  }
  // The full form of context help at the column, with the topic it opened.
  std::string help(const std::string& l, std::int32_t column) {
    ide::helpwindow = [](std::string_view k, int& answer, const core::HelpValues&) {
      answer = 0;
      shown().emplace_back(k);
    };
    shown().clear();
    std::string padded = l;
    padded.resize(255, ' ');
    ide::FEDHLP(padded, column, -1);
    EXPECT_EQ(Counters::now(), before) << l;
    return shown().empty() ? std::string() : shown().back();
  }
  static std::vector<std::string>& shown() {
    static std::vector<std::string> s;
    return s;
  }
  std::int32_t quietkind(const std::string& l, std::int32_t column) {
    std::string padded = l;
    padded.resize(255, ' ');
    ide::FEDHLP(padded, column, 0);
    return core::iostatw[1];
  }
};

TEST_F(AssistTest, BuiltInsAreOfferedSteppedThroughWithTabAndAcceptedWithSpace) {
  open("");
  type("SI");
  EXPECT_EQ(ide::inlinehint.trimmed(), "SIN( SINH( SIGN( [TAB next, SPACE to accept]");
  EXPECT_EQ(ide::assiststate, 0);
  EXPECT_NE(ide::hint.trimmed().find("sine"), std::string_view::npos)
      << "the first candidate's short description: " << ide::hint.trimmed();
  press(kTab);
  EXPECT_EQ(line(), "SIN(");
  EXPECT_EQ(cursor(), 3) << "the cursor stays where it was";
  EXPECT_EQ(ide::inlinehint.trimmed(), "SINH( SIGN( [TAB next, SPACE to accept]");
  press(kTab);
  EXPECT_EQ(line(), "SINH(");
  press(kTab, 0, kShift);
  EXPECT_EQ(line(), "SIN(") << "Shift+Tab steps back";
  press(kTab);
  press(kSpace);
  EXPECT_EQ(line(), "SINH(");
  EXPECT_EQ(cursor(), 6) << "behind the accepted name";
  EXPECT_EQ(ide::assiststate, 0);
}

// The editor's clock ticks once a second through the same key path, with
// no key and no button: the candidates and the state of Tab stay.
TEST_F(AssistTest, AKeylessEventLeavesTheCandidatesAndTheirSteps) {
  const auto tick = [&] {
    core::keyrec = {0, 0, 0, 0};
    ide::PANLIOKEY(text, 0, key, changed);
  };
  open("X = 1 + ");
  type("si");
  tick();
  EXPECT_EQ(ide::assiststate, 0);
  press(kTab);
  EXPECT_EQ(line(), "X = 1 + SIN(");
  tick();
  press(kTab);
  EXPECT_EQ(line(), "X = 1 + SINH(") << "Tab steps on after a tick";
  tick();
  press(kTab, 0, kShift);
  EXPECT_EQ(line(), "X = 1 + SIN(");
  tick();
  press(kSpace);
  EXPECT_EQ(line(), "X = 1 + SIN(");
  EXPECT_EQ(cursor(), 13);
}

TEST_F(AssistTest, SymbolsComeFirstAndKeywordsWithTheirBrackets) {
  storetest::addsym("sigma", 0x80);
  storetest::addsym("si", 0x80);  // spelled as typed: not offered
  open("");
  type("si");
  EXPECT_EQ(ide::inlinehint.trimmed(), "sigma SIN( SINH( SIGN( [TAB next, SPACE to accept]");
  open("");
  type("IF");
  EXPECT_EQ(ide::inlinehint.trimmed(), "IF(") << "a keyword equal to the word is offered";
  open("");
  type("EL");
  EXPECT_EQ(ide::inlinehint.trimmed(), "ELSE ELSEIF( [TAB next, SPACE to accept]");
  open("");
  type("WI");
  EXPECT_EQ(ide::inlinehint.trimmed(), "WINDOW(") << "the lower-case win is never offered";
}

TEST_F(AssistTest, OptionKeywordsByPrefixOrAbbreviation) {
  const auto offered = [&](const std::string& word) {
    open("READ(FIle='x', ");
    type(word);
    return std::string(ide::firstcand.trimmed());
  };
  EXPECT_EQ(offered("ios").substr(0, 7), "IOStat=");
  EXPECT_EQ(offered("iostat").substr(0, 7), "IOStat=");
  EXPECT_EQ(offered("erro").substr(0, 6), "ERror=");
  EXPECT_EQ(offered("eor"), "") << "the capital R may not be left out";
  EXPECT_EQ(offered("Fo").substr(0, 6), "Format") << "with its description";
  EXPECT_NE(ide::inlinehint.trimmed().find("Format"), std::string_view::npos);
}

TEST_F(AssistTest, AnOpeningBracketListsTheOptionsAndTabInsertsThem) {
  open("");
  type("WRITE(");
  const std::string_view h = ide::hint.trimmed();
  EXPECT_EQ(h.substr(0, 13), "ERror,IOStat,") << h;
  EXPECT_FALSE(ide::inlinehint.trimmed().starts_with("ERror")) << "too long to stand inline";
  press(kTab);
  EXPECT_EQ(line(), "WRITE(ERror");
  EXPECT_EQ(cursor(), 7);
  press(kTab);
  EXPECT_EQ(line(), "WRITE(IOStat");
}

// A list longer than a hint shows the options that fit whole: every entry
// of the hint is one of the built-in's options, none cut inside its word.
TEST_F(AssistTest, AnOptionListCutToTheHintsWidthKeepsItsEntriesWhole) {
  open("K = DLG(");
  type("T");
  const std::string options(ide::shopbuf.trimmed());
  const std::string h(ide::hint.trimmed());
  const std::string list = h.substr(0, h.find(' '));
  ASSERT_GT(list.size(), 200u) << h;
  std::size_t from = list.front() == ',' ? 1 : 0;
  while (from < list.size()) {
    const std::size_t comma = std::min(list.find(',', from), list.size());
    const std::string entry = list.substr(from, comma - from);
    EXPECT_NE(options.find("," + entry + ","), std::string::npos) << "cut entry " << entry;
    from = comma + 1;
  }
}

TEST_F(AssistTest, CommentsBlankLinesAndConstantsShowNothing) {
  open("A=1 ! note");
  press(79);  // End: behind the comment
  EXPECT_EQ(ide::assiststate, -1);
  ide::hint.blank();
  open("");
  press(14);  // Backspace on an empty line
  EXPECT_TRUE(ide::hint.is_blank());
  // A known variable under the cursor shows its value, "$" its note.
  const std::int32_t x = storetest::addsym("XVAL", 0x80);
  core::z(x) = 2.5;
  core::z(1) = 7;
  open("Y = XVAL + $");
  press(75);  // Left: onto the "$"
  EXPECT_EQ(ide::hint.trimmed(), "$ = 7 ! lefthand linear array index");
  press(71);  // Home, then onto XVAL
  for (int i = 0; i < 5; ++i) press(77);
  EXPECT_EQ(ide::hint.trimmed(), "XVAL = 2.5");
}

TEST_F(AssistTest, ContextHelpClassifiesEveryKindOfWord) {
  storetest::addsym("N", 0x80);
  storetest::addarray("A", 2, 3);
  storetest::addcharvar("T", "text");
  storetest::addcharvar("LONG", std::string(300, 'x'));
  storetest::addsym("10", 0x2);
  storetest::addsym("SUBR", 0x4);
  const std::int32_t ext = storetest::addarray("E", 2, 2);
  core::name(ext).type = 0x11;
  before = Counters::now();
  EXPECT_EQ(help("", 1), "Editor");
  EXPECT_EQ(help("N = 1", 1), "numeric");
  EXPECT_EQ(help("IF (N > 1) GOTO 5", 1), "IF");
  EXPECT_EQ(help("N = SIN(N)", 5), "SIN()");
  EXPECT_EQ(help("WRITE(1) N", 2), "WRITE()");
  EXPECT_EQ(help("GOTO 10", 6), "showLabel");
  EXPECT_EQ(help("CALL SUBR", 6), "showSubName");
  EXPECT_EQ(help("N = A(2, 3)", 5), "numeric") << "an element within the dimensions";
  EXPECT_EQ(ide::wordlook.cell, core::IDXINZ(ide::wordlook.symbol, 5)) << "row 2, column 3";
  EXPECT_EQ(help("N = E", 5), "array_externfile");
  EXPECT_EQ(help("T = LONG", 5), "txt_FedHlp>255");
  EXPECT_EQ(help("T = 'a'", 1), "txt_FedHlp");
  EXPECT_EQ(help("N = A(3, 1)", 5), "array_dimensions") << "row 3 lies outside";
  EXPECT_EQ(help("N = A , N", 7), "array_dimensions") << "a comma gives the word before it";
  EXPECT_EQ(help("READ(IOStat=N) N", 7), "READ()") << "no topic of its own";
  EXPECT_EQ(help("DLG(TItle='a')", 6), "DLG.TItle");
  EXPECT_EQ(quietkind("READ(IOStat=N) N", 7), 13);
  EXPECT_EQ(quietkind("N = 1 + 2", 7), 14);
  EXPECT_EQ(Counters::now(), before);
}

TEST_F(AssistTest, HelpEditsATextInPlaceAndAsksForABreak) {
  const std::int32_t t = storetest::addcharvar("T", "abc");
  storetest::addsym("N", 0x80);
  before = Counters::now();
  ide::helpwindow = [](std::string_view, int& answer, const core::HelpValues& v) {
    std::copy_n("xyz", 3, v.text.data());
    answer = 1;
  };
  std::string l = "T = 'q'";
  l.resize(255, ' ');
  ide::FEDHLP(l, 1, -1);
  EXPECT_EQ(storetest::textof(t), "xyz") << "the edited text, its length kept";
  ide::helpwindow = [](std::string_view, int& answer, const core::HelpValues&) { answer = 101; };
  l = "N = 2";
  l.resize(255, ' ');
  ide::FEDHLP(l, 1, -1);
  EXPECT_EQ(ide::breakname.trimmed(), "N") << "a break on the variable was asked for";
  EXPECT_EQ(Counters::now(), before);
  ide::reset_bookmarks();
}

}  // namespace
