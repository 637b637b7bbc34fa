// The setup file: its first making, the rewrite when a script is closed,
// spoilt files, and failures of the rewrite.
#include <filesystem>

#include "core/helpdata.h"
#include "core/stores.h"
#include "ide/filehistory.h"
#include "ide/idewords.h"
#include "ide/scriptfiles.h"
#include "platform/file_units.h"
#include "scripts_fixture.h"

namespace idetest {
namespace {

namespace fs = std::filesystem;
using ide::FILEHISTORY;

class SetupFile : public ScriptsTest {};

TEST_F(SetupFile, FirstStartRecordsTheExamplesAndOpensTheIntroduction) {
  FILEHISTORY(1, 0);
  const std::vector<std::string> lines = setuplines();
  ASSERT_EQ(lines.size(), 7u);
  EXPECT_EQ(lines[0], "0L " + std::string(core::helppath.trimmed()));
  EXPECT_EQ(lines[1].substr(0, 20), "xA              ,1,0");
  EXPECT_TRUE(lines[1].ends_with(",")) << lines[1];
  const std::string examples = ide::examplesdir();
  EXPECT_EQ(
      lines[2],
      examples + "introduction.ost,Fixedsys,  0.,9,400,0,0,2000,0,8000,256,64000,0,0,640,480,1,");
  EXPECT_EQ(lines[6].substr(0, lines[6].find(',')), examples + "fahrenheit.ost");
  EXPECT_EQ(ide::scriptpath.trimmed(), examples + "introduction.ost");
  EXPECT_TRUE(fs::is_regular_file(ide::scriptpath.str())) << "the examples lie beside the data";
  EXPECT_EQ(core::z.size(), core::nz + 1);
  EXPECT_EQ(entries(app.path()), std::vector<std::string>{"Ostrel-setup.dat"});
}

TEST_F(SetupFile, ClosingAScriptPutsItsRecordOnTopOnce) {
  writesetup({"0L /h/Ostrel.hlp", "xA,1,0,2,1,", "/s/b.ost,Arial, 0,9,400,0,0,1,0,1,1,1,0,0,1,1,1,",
              ",no path,", "/s/a.ost,Old,  0.,9,400,", "/s/untitled,x,", "/s/c.tmp,x,",
              "/s/A.ost,Caps,", "/s/a.ost.bak,Prefix,", "", "/s/d.ost,Last,"});
  ide::scriptpath.set("/s/a.ost");
  core::nz = 12345;
  FILEHISTORY(3, 0);
  const std::vector<std::string> lines = setuplines();
  ASSERT_EQ(lines.size(), 7u);
  EXPECT_EQ(lines[0].size(), 195u);  // the path blank padded to 192
  EXPECT_EQ(lines[1].substr(0, 18), "xA              ,1");
  EXPECT_NE(lines[2].find(",12345,"), std::string::npos);
  EXPECT_TRUE(lines[2].starts_with("/s/a.ost,Fixedsys,  0.,")) << lines[2];
  EXPECT_TRUE(lines[3].starts_with("/s/b.ost,"));
  EXPECT_EQ(lines[4], "/s/A.ost,Caps,");  // paths compare exactly
  EXPECT_EQ(lines[5], "/s/a.ost.bak,Prefix,");
  EXPECT_EQ(lines[6], "/s/d.ost,Last,");
  // A working copy is recorded under its script's name; untitled scripts,
  // names with commas and no name are not recorded.
  ide::scriptpath.set("/s/e.tmp");
  FILEHISTORY(3, 0);
  EXPECT_TRUE(setuplines()[2].starts_with("/s/e.ost,"));
  const std::string before = testsupport::read_file(ide::setuppath());
  for (const char* name : {"/s/untitled", "/s/f,g.ost", ""}) {
    ide::scriptpath.set(name);
    FILEHISTORY(3, 0);
    EXPECT_EQ(testsupport::read_file(ide::setuppath()), before) << name;
  }
}

TEST_F(SetupFile, SpoiltFilesAreMadeAnew) {
  for (const auto& spoilt : std::vector<std::vector<std::string>>{
           {"0l /h/Ostrel.hlp", "xA,", "/s/a.ost,x,"},  // the marker is compared exactly
           {"0L /h/Ostrel.hlp"},                        // no line 2
           {"0L /h/Ostrel.hlp", "xA,"}}) {              // no record to start from
    writesetup(spoilt);
    FILEHISTORY(1, 0);
    EXPECT_EQ(setuplines().size(), 7u) << spoilt[0];
    EXPECT_EQ(ide::filename(ide::scriptpath.trimmed()), "introduction.ost");
  }
  // A record's unreadable field stops the reading: the rest keep their values.
  writesetup({"0L /h/Ostrel.hlp", "xA,", "/s/a.ost,Face, 90.,11,700,0,0,3000,0,x,1,1,"});
  core::nz = 8000;
  FILEHISTORY(1, 0);
  EXPECT_EQ(ide::scriptpath.trimmed(), "/s/a.ost");
  EXPECT_EQ(core::nxeqbuf, 3000);
  EXPECT_EQ(core::nz, 8000);
}

// A store size exactly at its limit is taken; one past it keeps the size
// in force.
TEST_F(SetupFile, AStoreSizeAtItsLimitIsTakenAndOnePastItIsNot) {
  for (const std::int32_t size : {core::nnamelimit, core::nnamelimit + 1}) {
    writesetup({"0L /h/Ostrel.hlp", "xA,",
                "/s/a.ost,Face, 0.,9,400,0,0,3000,0,8000," + std::to_string(size) + ",64000,"});
    core::nname = 300;
    FILEHISTORY(1, 0);
    EXPECT_EQ(core::nname, size == core::nnamelimit ? size : 300) << size;
  }
}

TEST_F(SetupFile, DisplaySettingsComeBackFromLineTwo) {
  writesetup({"0L /h/Ostrel.hlp", "xA              ,0,1,5,6,3,4", "/s/a.ost,F,"});
  FILEHISTORY(1, 0);
  EXPECT_EQ(ide::tipopts, (std::array<std::int32_t, 4>{0, 1, 5, 6}));
  EXPECT_EQ(ide::colnum(1), 3);
  EXPECT_EQ(ide::colnum(2), 4);
  EXPECT_EQ(ide::colnum(5), 8);  // not given: as it was
}

// A failed write, close or rename of the rewrite leaves the old file
// whole, no temporary file, and one message.
TEST_F(SetupFile, AFailedRewriteKeepsTheOldFile) {
  writesetup({"0L /h/Ostrel.hlp", "xA,", "/s/b.ost,F,"});
  const std::string before = testsupport::read_file(ide::setuppath());
  ide::scriptpath.set("/s/a.ost");
  for (std::int64_t* hook :
       {&plat::writes_before_fault, &plat::closes_before_fault, &plat::renames_before_fault}) {
    *hook = 0;
    FILEHISTORY(3, 0);
    *hook = -1;
    EXPECT_EQ(testsupport::read_file(ide::setuppath()), before);
    EXPECT_EQ(entries(app.path()), std::vector<std::string>{"Ostrel-setup.dat"});
  }
  EXPECT_EQ(boxes().size(), 1u);
  FILEHISTORY(3, 0);
  EXPECT_TRUE(setuplines()[2].starts_with("/s/a.ost,"));
}

// A setup file kept elsewhere behind a link stays a link; its file takes
// the new records.
TEST_F(SetupFile, ALinkedSetupFileIsRewrittenThroughItsLink) {
  writesetup({"0L /h/Ostrel.hlp", "xA,", "/s/b.ost,F,"});
  const std::string real = home.file("kept-setup.dat");
  fs::rename(ide::setuppath(), real);
  fs::create_symlink(real, ide::setuppath());
  ide::scriptpath.set("/s/a.ost");
  FILEHISTORY(3, 0);
  EXPECT_TRUE(fs::is_symlink(ide::setuppath()));
  EXPECT_TRUE(setuplines()[2].starts_with("/s/a.ost,"));
  EXPECT_EQ(entries(app.path()), std::vector<std::string>{"Ostrel-setup.dat"});
}

TEST_F(SetupFile, AFolderThatCannotBeWrittenIsSaidOnce) {
  ide::appdir.set(app.file("missing/deeper/"));
  FILEHISTORY(1, 0);
  FILEHISTORY(1, 0);
  FILEHISTORY(3, 0);
  EXPECT_EQ(boxes().size(), 1u);
  EXPECT_EQ(ide::filename(ide::scriptpath.trimmed()), "introduction.ost");
  EXPECT_GT(core::z.size(), 0);
}

}  // namespace
}  // namespace idetest
