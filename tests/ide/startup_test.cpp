// The program's start as a user sees it: the main window with its caption,
// menus, toolbar, status bar and start screen; and its end.
#include <gtest/gtest.h>

#include "ide/idewords.h"
#include "ide/keypress.h"
#include "ide/statusbar.h"
#include "ide_fixture.h"
#include "platform/backend.h"
#include "platform/win_window.h"
#include "toolkit/records.h"

namespace {

using idetest::IdeTest;

TEST_F(IdeTest, TheStartScreenShowsAndQuitEndsWithStatus0) {
  const int status = run("", {[] { idetest::snapshot("ide_start"); }});
  EXPECT_EQ(status, 0);
}

}  // namespace
