// Font slots made with and without the font dialog.
#include <gtest/gtest.h>

#include "ide/fontslot.h"
#include "ide/statusbar.h"
#include "ide_fixture.h"
#include "platform/win_commdlg.h"
#include "plot/fontslots.h"

namespace {

using idetest::IdeTest;

TEST_F(IdeTest, TheFontDialogChangesTheSlotAndCancelLeavesIt) {
  run("", {[] {
        plot::FontSlot& f = plot::fontslots(4);
        std::int32_t status = -1;
        ide::CHOOSEFONTSLOT(0, 4, 0, status);
        EXPECT_EQ(status, 0);
        const win::HFONT first = f.font;
        ASSERT_NE(first, nullptr);
        const std::int16_t height = f.cellheight;
        // Cancelled: font, size and face stay.
        ide::CHOOSEFONTSLOT(1, 4, 0, status);
        EXPECT_EQ(f.font, first);
        EXPECT_EQ(f.points, 9);
        plat::push_dialog_answer({true, {{"Size", "12"}, {"Font style", "Bold"}}});
        ide::CHOOSEFONTSLOT(1, 4, 0, status);
        EXPECT_EQ(f.points, 12);
        EXPECT_EQ(f.weight, 700);
        EXPECT_NE(f.font, first);
        EXPECT_GT(f.cellheight, height);
        ASSERT_EQ(plat::common_dialog_log().size(), 2u);
        // The status bar's slot: its fields are laid out again.
        ide::STATUSBAR({.layout = 1});
        ide::CHOOSEFONTSLOT(0, 3, 0, status);
        EXPECT_EQ(ide::statuslayout, 2);
        EXPECT_EQ(ide::statusfields[1].kind, 12);
      }});
}

}  // namespace
