#include "ide/setuprecords.h"

#include <gtest/gtest.h>

using namespace ide;

namespace {

TEST(SetupRecords, RecordLineAndItsReadingBack) {
  HistoryRecord r{"/home/u/a b.ost   ",
                  "Fixedsys ",
                  90.0F,
                  {9, 400, 0, 0, 2000, 0, 8000, 256, 64000, -4, 20, 800, 600, -1}};
  const std::string line = recordline(r);
  EXPECT_EQ(line,
            "/home/u/a b.ost,Fixedsys, 90.,9,400,0,0,2000,0,8000,256,64000,-4,20,800,600,-1,");
  HistoryRecord back;
  ASSERT_TRUE(readrecord(line, back));
  EXPECT_EQ(back.path, "/home/u/a b.ost");
  EXPECT_EQ(back.face, "Fixedsys");
  EXPECT_EQ(back.rotation, 90.0F);
  EXPECT_EQ(back.values, r.values);
  // Rotation fields: rounded halves away from zero, no room: stars.
  for (const auto& [rot, field] : std::vector<std::pair<float, std::string>>{
           {0.0F, "  0."}, {2.5F, "  3."}, {-2.5F, " -3."}, {999.0F, "999."}, {-100.0F, "****"}}) {
    r.rotation = rot;
    EXPECT_EQ(recordline(r).substr(25, 4), field) << rot;
  }
  EXPECT_FALSE(readrecord("no comma here", back));
}

TEST(SetupRecords, FreeFormatStopsAtTheFirstBadValueAndSkipsNullOnes) {
  HistoryRecord r;
  r.values.fill(7);
  // Blanks around values, a null value, then a value that is no integer.
  ASSERT_TRUE(readrecord(",face, 45. , 10,,12 13 x,15", r));
  EXPECT_EQ(r.path, "");
  EXPECT_EQ(r.rotation, 45.0F);
  EXPECT_EQ(r.values[0], 10);
  EXPECT_EQ(r.values[1], 7);  // null: kept
  EXPECT_EQ(r.values[2], 12);
  EXPECT_EQ(r.values[3], 13);
  EXPECT_EQ(r.values[4], 7);  // "x" stops the reading
  EXPECT_EQ(r.values[5], 7);
  std::string tag;
  std::int32_t a = 0, b = 0;
  const std::array<FreeTarget, 3> t{&tag, &a, &b};
  EXPECT_EQ(readfree("xA              ,1,-2,", t), 3u);
  EXPECT_EQ(tag, "xA");
  EXPECT_EQ(b, -2);
}

TEST(SetupRecords, DisplayLineAndRecentTitles) {
  const std::array<std::int32_t, 3> v{1, -0x10, 255};
  EXPECT_EQ(displayline("xA", v), "xA              ,1,-16,255,");
  EXPECT_EQ(recenttitle(10, "/a.ost"), "&0: /a.ost");
  EXPECT_EQ(recenttitle(4, ""), "&4: ");
}

}  // namespace
