// What the plotting floor reaches above it: filled by the installers, and
// an empty entry stopping the statement that needs it.
#include <gtest/gtest.h>

#include <string>

#include "core/messages.h"
#include "core/runwords.h"
#include "ide/builtins_install.h"
#include "plot/fontslots.h"
#include "plot/upcalls.h"

namespace {

TEST(Upcalls, TheInstallersFillTheEntriesOfTheirFloors) {
  plot::upcalls = {};
  ide::install_all_builtins();
  EXPECT_NE(plot::upcalls.CHOOSEFONTSLOT, nullptr);
  EXPECT_NE(plot::upcalls.CHILDCHANGED, nullptr);
  ASSERT_NE(plot::upcalls.TIMEDATEU, nullptr);
  // The entry is the files' picture writer.
  double day = 43472.5;
  std::string text(16, '?');
  plot::upcalls.TIMEDATEU("DD.MM.CCYY HH:mm", day, text, false);
  EXPECT_EQ(text, "07.01.2019 12:00");
}

TEST(Upcalls, AnEmptyEntryStopsTheStatementAsNotYetBuilt) {
  ide::install_all_builtins();
  const auto saved = plot::upcalls.CHOOSEFONTSLOT;
  plot::upcalls.CHOOSEFONTSLOT = nullptr;
  core::msgkey.blank();
  core::xeqstop = 0;
  plot::SETFONT(4, "", 0, 0.0F, 0, 400, 0);
  plot::upcalls.CHOOSEFONTSLOT = saved;
  EXPECT_EQ(core::msgkey.trimmed(), "notYetBuilt");
  EXPECT_EQ(core::xeqstop, core::stops::error);
  core::xeqstop = 0;
  core::msgkey.blank();
}

}  // namespace
