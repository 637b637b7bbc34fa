// The recent-files menu and choosing one of its entries.
#include "core/stores.h"
#include "ide/filehistory.h"
#include "ide/idewords.h"
#include "ide/menutool.h"
#include "ide/windowlist.h"
#include "plot/fontslots.h"
#include "scripts_fixture.h"

namespace idetest {
namespace {

using ide::FILEHISTORY;

class History : public ScriptsTest {
 protected:
  std::string title(int n) { return std::string(ide::filemenu(8 + n).title.trimmed()); }
};

TEST_F(History, MenuTitlesAndAnEntryWithItsSettings) {
  writesetup({"0L /h/Ostrel.hlp", "xA,", "/s/a.ost,Face,",
              "bare.ost,Mono, 90.,12,700,1,0,3000,7,9000,300,70000,10,20,800,600,2,",
              "/s/c.ost,F,"});
  FILEHISTORY(5, 0);
  EXPECT_EQ(title(1), "&1: /s/a.ost");
  EXPECT_EQ(title(2), "&2: bare.ost");
  EXPECT_EQ(title(4), "&4:");
  EXPECT_EQ(title(10), "&0:");
  EXPECT_EQ(ide::filecount, 8 + 3);  // no empty slots after the last script
  FILEHISTORY(2, 2);
  // A bare name is taken from the working folder.
  EXPECT_EQ(ide::scriptpath.trimmed(), at("bare.ost"));
  EXPECT_EQ(ide::wdwhead->title.trimmed(), at("bare.ost").substr(0, 96));
  const plot::FontSlot& f = plot::fontslots(2);
  EXPECT_EQ(f.face.trimmed(), "Mono");
  EXPECT_EQ(f.angle, 90.0F);
  EXPECT_EQ(f.points, 12);
  EXPECT_EQ(f.weight, 700);
  EXPECT_EQ(f.underline, 1);
  EXPECT_EQ(core::nadrs, 7);
  EXPECT_EQ(core::z.size(), 9001);
  EXPECT_EQ(core::c1namen.size(), 70000);
  EXPECT_EQ(ide::mainwinrect.x, 10);
  EXPECT_EQ(ide::mainwinrect.y, 20);
  EXPECT_EQ(ide::mainwinrect.width, 800);
  EXPECT_EQ(ide::mainwinrect.height, 600);
  EXPECT_EQ(ide::mainwinrect.state, 2);
  // An entry past the end selects no name and keeps the settings.
  FILEHISTORY(2, 7);
  EXPECT_EQ(ide::scriptpath.trimmed(), ide::workdir.trimmed());
  EXPECT_EQ(core::z.size(), 9001);
}

TEST_F(History, ACommandLineScriptKeepsItsNameLessItsDoubleQuotes) {
  writesetup({"0L /h/Ostrel.hlp", "xA,", "/s/a b.ost,Face,", "'/s/q.ost',F,"});
  FILEHISTORY(5, 0);
  ide::startmode = -10;
  ide::scriptpath.set("\"/s/a b.ost\"");
  FILEHISTORY(2, 2);
  EXPECT_EQ(ide::scriptpath.trimmed(), "/s/a b.ost");
  EXPECT_EQ(plot::fontslots(2).face.trimmed(), "Face");
  ide::scriptpath.set("'/s/q.ost'");  // other quotes stay
  FILEHISTORY(2, 1);
  EXPECT_EQ(ide::scriptpath.trimmed(), "'/s/q.ost'");
  EXPECT_EQ(plot::fontslots(2).face.trimmed(), "F");
}

}  // namespace
}  // namespace idetest
