// READ and WRITE where a script alone cannot show it: message boxes and
// their answers, the status bar, the clipboard, the record kept in the work
// area, files that cannot be deleted, and the targets not built yet.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "core/messages.h"
#include "core/runwords.h"
#include "core/stores.h"
#include "core/symbols.h"
#include "exec/optdispatch.h"
#include "exec/statusbar.h"
#include "io/clipboard.h"
#include "io/readwrite.h"
#include "io/rwfiles.h"
#include "io/rwstatement.h"
#include "platform/win_message_box.h"
#include "script_folder.h"
#include "support/test_support.h"

namespace {

namespace fs = std::filesystem;

std::string clip;
std::int32_t copyclip(std::string_view t) {
  clip.assign(t);
  return 0;
}
std::int32_t pasteclip(std::span<char> t) {
  std::fill(t.begin(), t.end(), ' ');
  std::copy_n(clip.begin(), std::min(clip.size(), t.size()), t.begin());
  return 0;
}

class RwTargets : public iotest::ScriptFolder {
 protected:
  void TearDown() override {
    io::copytoclipboard = nullptr;
    io::pastefromclipboard = nullptr;
    ScriptFolder::TearDown();
  }
};

TEST_F(RwTargets, MessageBoxAnswersAndOnButton) {
  const std::string script =
      "X = 1\n"
      "WRITE(Messagebox='yA', OnButton=50, IOStat=IB) 'Go on?', 3\n"
      "X = 2\n"
      "GOTO 60\n"
      "50 X = 3\n"
      "60 CONTINUE\n"
      "END\n";
  plat::push_message_box_answer(win::IDYES);
  EXPECT_EQ(run(script), "X=3\nIB=1\nstop=-1\n");  // button 1 is named by A
  ASSERT_EQ(plat::message_box_log().size(), 1u);
  EXPECT_EQ(plat::message_box_log()[0].text, "Go on? 3");
  plat::push_message_box_answer(win::IDNO);
  EXPECT_EQ(run(script), "X=2\nIB=2\nstop=-1\n");
  // READ shows the items' values the same way.
  plat::push_message_box_answer(win::IDOK);
  EXPECT_EQ(run("Y = 4.5\nREAD(Messagebox, IOStat=IB) Y\nEND\n"), "Y=4.5\nIB=1\nstop=-1\n");
  EXPECT_EQ(plat::message_box_log().back().text, "4.5");
}

TEST_F(RwTargets, StatusBarAndClipboard) {
  io::copytoclipboard = copyclip;
  io::pastefromclipboard = pasteclip;
  EXPECT_EQ(run("WRITE(StatusBar) 'Step', 5\nEND\n"), "stop=-1\n");
  EXPECT_EQ(exec::statusbarlast, "Step 5");
  clip = "xyz 4.5";
  EXPECT_EQ(run("CHARACTER S*3\nWRITE(ClipBoard, Format='A3,I4') 'abc', 12\n"
                "READ(ClipBoard) S, X\nEND\n"),
            "S='abc'\nX=12\nstop=-1\n");
  EXPECT_EQ(clip, "abc  12");
  // A text longer than the room left comes straight from the clipboard.
  clip = "long clipboard text";
  EXPECT_EQ(run("CHARACTER L*30\nREAD(ClipBoard) L\nEND\n"),
            "L='long clipboard text           '\nstop=-1\n");
}

TEST_F(RwTargets, TheSameRecordReadAgainDoesNotTouchTheFile) {
  testsupport::write_file("recs.dat", "first second");
  // A statement in between that changes the file behind the unit's back.
  exec::install_optroutine(core::OptStmt::SYSTEM, [](const exec::OptCall&) {
    testsupport::write_file("recs.dat", "first SECOND");
  });
  const std::string out =
      run("CHARACTER D*10, A*6, B*6, C*6, T*4\n"
          "D = 'recs.dat'\n"
          "OPEN(FIle=D, RecL=6, FORmatteD)\n"
          "READ(FIle=D, Recrow=2) A\n"
          "SYSTEM(RUN=0)\n"
          "READ(FIle=D, Recrow=2) B\n"
          "T = 'x'//'y'\n"
          "READ(FIle=D, Recrow=2) C\n"
          "END\n");
  // A temporary string overwrites the mark: the third read reads the file.
  EXPECT_EQ(out, "D='recs.dat  '\nA='second'\nB='second'\nC='SECOND'\nT='xy  '\nstop=-1\n");
  // Another file on the same unit does not take the record of the first.
  testsupport::write_file("other.dat", "third fourth");
  EXPECT_EQ(run("CHARACTER D*10, E*10, A*6, B*6\n"
                "D = 'recs.dat'\n"
                "E = 'other.dat'\n"
                "OPEN(FIle=D, RecL=6, FORmatteD)\n"
                "READ(FIle=D, Recrow=2, CLoSe=1) A\n"
                "OPEN(FIle=E, RecL=6, FORmatteD)\n"
                "READ(FIle=E, Recrow=2) B\n"
                "END\n"),
            "D='recs.dat  '\nE='other.dat '\nA='SECOND'\nB='fourth'\nstop=-1\n");
}

TEST_F(RwTargets, DeletingFiles) {
  testsupport::write_file("gone.txt", "x");
  // The file is deleted through a second unit; the first cannot delete it.
  const std::string out =
      run("CHARACTER F*10, G*10\n"
          "F = 'gone.txt'\n"
          "G = 'gone.txt'\n"
          "OPEN(FIle=F)\n"
          "OPEN(FIle=G)\n"
          "WRITE(FIle=G, DELETE=1)\n"
          "WRITE(FIle=F, DELETE=1, IOStat=I)\n"
          "END\n");
  EXPECT_EQ(out, "F='gone.txt  '\nG='gone.txt  '\nI=0\nstop=-1\n");
  ASSERT_EQ(plat::message_box_log().size(), 1u);
  EXPECT_EQ(plat::message_box_log()[0].title, "Cannot delete file");
  EXPECT_EQ(plat::message_box_log()[0].text, "gone.txt");
  EXPECT_FALSE(fs::exists("gone.txt"));
  // A file that is not there to be opened is reported like any failure.
  EXPECT_EQ(run("CHARACTER F*10\nF = 'none.txt'\nI = 0\n"
                "WRITE(FIle=F, DELETE=1, IOStat=I, ERror=10)\n10 CONTINUE\nEND\n"),
            "F='none.txt  '\nI=29\nstop=-1\n");
  EXPECT_NE(
      run("CHARACTER F*10\nF = 'none.txt'\nWRITE(FIle=F, DELETE=1)\nEND\n").find("stop=32767"),
      std::string::npos);
}

TEST_F(RwTargets, ARecordLongerThanTheFreeStoreGrowsItFirst) {
  // The statement is carried out once and completely; the run goes on.
  const std::string out =
      run("CHARACTER BIG*70000, BACK*70000, F*10\n"
          "BIG = 'start'\n"
          "BIG(69997:70000) = 'end.'\n"
          "F = 'big.txt'\n"
          "OPEN(FIle=F)\n"
          "WRITE(FIle=F) BIG\n"
          "WRITE(FIle=F, CLoSe=1) 'next'\n"
          "OPEN(FIle=F, LENgth=N)\n"
          "READ(FIle=F) BACK\n"
          "L = LEN_TRIM(BACK)\n"
          "SAME = 0\n"
          "IF (BACK == BIG) SAME = 1\n"
          "END\n");
  EXPECT_NE(out.find("\nN=70008\nL=70000\nSAME=1\nstop=-1"), std::string::npos)
      << out.substr(out.size() - 100);
}

TEST_F(RwTargets, OpenWithItemsReadsAtOnce) {
  testsupport::write_file("items.txt", "word 42\r\n");
  run("CHARACTER F*10, N*4\nF = 'items.txt'\nN = '#'\nV = 0\nEND\n");
  std::int32_t f = 0, n = 0, v = 0;
  ASSERT_TRUE(core::FINDSN("F", f, 0x40));
  ASSERT_TRUE(core::FINDSN("N", n, 0x40));
  ASSERT_TRUE(core::FINDSN("V", v, 0x80));
  exec::optval.assign(exec::noptslots, 0);
  exec::optval(io::rwslot::file) = f;
  const std::int32_t top = core::xeqstackptr;
  for (std::int32_t k : {n, v}) {
    ASSERT_TRUE(core::adrs.valid(core::xeqstackptr + 1));
    core::adrs(++core::xeqstackptr) = k;
  }
  core::iresult = 0;
  io::READWRITE('O', 2);
  core::xeqstackptr = top;
  std::string_view text;
  ASSERT_TRUE(io::rwtext(n, text));
  EXPECT_EQ(text, "word");
  EXPECT_EQ(core::z(v), 42);
  EXPECT_EQ(io::rwfiles(plat::unit_script_first).position, 1);
  io::RWCLOSEALL();
}

TEST_F(RwTargets, WindowTargetsRunWithoutAWindowToShowThem) {
  for (const char* stmt : {"WRITE() 'x'", "READ() X", "WRITE(TitleBar) 'x'"}) {
    SCOPED_TRACE(stmt);
    EXPECT_NE(run(std::string(stmt) + "\nEND\n").find("stop=-1"), std::string::npos);
  }
}

}  // namespace
