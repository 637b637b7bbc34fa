#include <gtest/gtest.h>

#include "platform/fixed_text.h"
#include "platform/indexed.h"

TEST(IndexedStore, OneBasedStoreCountsFromOne) {
  plat::Store1<int> z(3, 0);
  z(1) = 10;
  z[3] = 30;
  EXPECT_EQ(z.first(), 1);
  EXPECT_EQ(z.last(), 3);
  EXPECT_EQ(z.data()[0], 10);
  EXPECT_EQ(z.data()[2], 30);
  EXPECT_FALSE(z.valid(0));
  EXPECT_DEATH(z(4) = 1, "index 4 outside 1..3");
  EXPECT_DEATH(z(0) = 1, "index 0 outside 1..3");
}

TEST(FixedText, KeepsLengthAndBlankPadding) {
  plat::FixedText<16> key("msgSaveChanges");
  EXPECT_EQ(key.view(), "msgSaveChanges  ");
  EXPECT_EQ(key.trimmed(), "msgSaveChanges");
  key.set("a much longer text than sixteen");
  EXPECT_EQ(key.view(), "a much longer te");
  // Set again from a view of itself: the key stays.
  key.set("extMatrixNotOpen");
  key.set(key.trimmed());
  EXPECT_EQ(key.view(), "extMatrixNotOpen");
  key.set(key.view().substr(3, 6));
  EXPECT_EQ(key.view(), "Matrix          ");
}
