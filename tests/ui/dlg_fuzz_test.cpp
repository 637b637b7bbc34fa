// The readers of dialog texts against mutated input (a deterministic
// mutation loop; the sanitised build catches a read or write out of
// bounds): list texts, references, font texts, and whole DLG statements
// made of random options.
#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "core/runwords.h"
#include "core/stores.h"
#include "core/symbols.h"
#include "exec/settingrefs.h"
#include "exec/windowlist.h"
#include "plot/fonthelpers.h"
#include "plot/fontslots.h"
#include "support/script_folder.h"
#include "ui/bindings.h"
#include "ui/dialogs.h"
#include "ui/dialogwords.h"

namespace {

std::string mutate(std::string s, std::mt19937& rng) {
  static constexpr char alphabet[] = "*.:;,|-=0123456789 \r\nabcHP\x01\x03\x09\xFF";
  const int edits = 1 + static_cast<int>(rng() % 4);
  for (int e = 0; e < edits; ++e) {
    const std::size_t at = s.empty() ? 0 : rng() % (s.size() + 1);
    const char c = alphabet[rng() % (sizeof alphabet - 1)];
    switch (rng() % 3) {
      case 0:
        s.insert(s.begin() + static_cast<std::ptrdiff_t>(at), c);
        break;
      case 1:
        if (at < s.size()) s.erase(at, 1 + rng() % 3);
        break;
      default:
        if (at < s.size()) s[at] = c;
        break;
    }
  }
  return s;
}

class DialogFuzz : public testsupport::ScriptInFolder {
 protected:
  void SetUp() override {
    ScriptInFolder::SetUp();
    ui::reset_dialogs();
    ASSERT_EQ(run("CHARACTER T*10\nDIMENSION A(3)\nT = 'abcdefghij'\nB = 2\n"),
              "T='abcdefghij'\nA=(0,0,0)\nB=2\nstop=-1\n");
  }
  void TearDown() override {
    exec::reset_settingrefs();
    ScriptInFolder::TearDown();
  }
};

TEST_F(DialogFuzz, ListTextsReferencesAndFontTextsReadOnlyWhatTheyHold) {
  std::mt19937 rng(4711);
  const std::vector<std::string> lists = {
      "Red,Green,Blue,", "one two  three", "a\r\nb\r\nc", "abcdefgh\x03", "x", ""};
  const std::vector<std::string> refs = {"*",     "*1.2:3", "*3.1",    "*-4.126",
                                         "*-5.2", "*7.5:2", "*2.0:99", "*-1.35"};
  const std::vector<std::string> fonts = {"Courier new,P=8,Bold", "Arial,Rotate=90,Italic",
                                          "P=", ",,,"};
  std::int32_t t = 0, a = 0, b = 0;
  ASSERT_TRUE(core::FINDSN("T", t, 0x400));
  ASSERT_TRUE(core::FINDSN("A", a, 0x400));
  ASSERT_TRUE(core::FINDSN("B", b, 0x400));
  const std::vector<std::int32_t> args = {t, a, b};
  std::array<std::int16_t, 4> halves{};
  std::array<char, 5> chars{};
  exec::parameters[1] = std::as_writable_bytes(std::span(halves));
  exec::parameters[6] = std::as_writable_bytes(std::span(chars));
  for (int i = 0; i < 3000; ++i) {
    const std::string l = mutate(lists[rng() % lists.size()], rng);
    for (const std::string& e : ui::listentries(l)) EXPECT_LE(e.size(), 127u);
    const std::string r = mutate(refs[rng() % refs.size()], rng);
    ui::RefState s;
    ui::Resolved out;
    std::int32_t to = 0;
    const std::int32_t nargs =
        i % 3 == 0 ? ui::programcaller : static_cast<std::int32_t>(args.size());
    if (ui::FINDADR(r, 2, to, s, nargs, args, out)) {
      EXPECT_GE(out.length, 0);
      EXPECT_GE(to, 2);
      if (out.kind == ui::ck::character || out.kind == ui::ck::rawchars) {
        EXPECT_LE(static_cast<std::size_t>(out.length), ui::charsof(out.where, out.length).size());
      }
    }
    if (i % 10 == 0) {
      const std::string f = mutate(fonts[rng() % fonts.size()], rng);
      plot::SETFONTPTULBO(f, static_cast<std::int32_t>(f.size()), 8);
    }
  }
  plot::reset_fontslots();
}

TEST_F(DialogFuzz, RandomStatementsBuildOrRefuseAndLeaveNoWindow) {
  std::mt19937 rng(1234);
  const std::vector<std::string> options = {"Text='a:b'",
                                            "Text=T",
                                            "Edit=T",
                                            "Edit=B",
                                            "Button='5:x'",
                                            "Button='-1:y'",
                                            "Button='http://z'",
                                            "CHeckbox=B",
                                            "RADio=B",
                                            "ListBox='p,q'",
                                            "ComBobox='r s'",
                                            "Group='g'",
                                            "GroupEnd",
                                            "TrackBar=B",
                                            "UpDown=B",
                                            "ScrollBar=B",
                                            "ProgressBar=B",
                                            "X=3",
                                            "Y=0.5",
                                            "Width=-7",
                                            "Height=2",
                                            "Line",
                                            "MAx=9",
                                            "MIn=-9",
                                            "DNum=2",
                                            "SelTxt=T",
                                            "SelIdx=B",
                                            "Vertical",
                                            "SOrt=1",
                                            "WRap",
                                            "DEFault=9",
                                            "FocuS=2",
                                            "NoClose",
                                            "SetMemory",
                                            "XMemoryadd=2",
                                            "TItle='t'",
                                            "BaCkcolor=B",
                                            "ForeColor=99",
                                            "BiTteXt='u|v'",
                                            "Align='al'",
                                            "NamEedit=B",
                                            "DefWidth=30",
                                            "SPace=0",
                                            "BORder=3",
                                            "SEParators=' :=*;>-|'",
                                            "Jumpto=10",
                                            "CALLback='S'",
                                            "ReturnCode=B",
                                            "CHanGed=B",
                                            "IDentification=B"};
  for (int i = 0; i < 150; ++i) {
    std::string statement = "DLG(";
    const int n = 1 + static_cast<int>(rng() % 7);
    for (int k = 0; k < n; ++k) statement += (k > 0 ? ", " : "") + options[rng() % options.size()];
    statement += ")";
    const std::string out = run("CHARACTER T*10\nT = 'abc'\nB = 2\n" + statement +
                                "\n10 CONTINUE\nEND\nSUBROUTINE S\nEND\n");
    EXPECT_NE(out.find("stop="), std::string::npos) << statement << "\n" << out;
    EXPECT_EQ(core::idestate & 0x100, 0) << statement;
    EXPECT_EQ(exec::wdwhead, nullptr) << statement;
  }
}

}  // namespace
