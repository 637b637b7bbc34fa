// The text area of a window from its margins, and the printed page's
// area waiting for printing.
#include <gtest/gtest.h>

#include "core/messages.h"
#include "core/runwords.h"
#include "exec/windowwords.h"
#include "plot/fontslots.h"
#include "plot/plotdev.h"
#include "plot/printjob.h"
#include "plot/setups.h"
#include "plot_fixture.h"

namespace {

using plottest::PlotTest;

TEST_F(PlotTest, TheWindowsTextAreaIsItsClientLessItsMargins) {
  exec::sysmetrics(exec::metric::vscrollwidth) = 17;
  record->printarea[0] = 10;  // left, right, top, bottom
  record->printarea[1] = 20;
  record->printarea[2] = 30;
  record->printarea[3] = 40;
  plot::SETUPS(plot::setupsmode::window);
  const win::RECT b = plot::drawtargets[plot::target::defaultplot].bounds;
  EXPECT_EQ(b.left, 10);
  EXPECT_EQ(b.top, 30);
  EXPECT_EQ(b.right, width - 20 - 17);
  EXPECT_EQ(b.bottom, height - 40);
  // Margins larger than the window leave an empty area, not a turned one.
  record->printarea[0] = 5000;
  record->printarea[3] = 5000;
  plot::SETUPS(plot::setupsmode::window);
  const win::RECT e = plot::drawtargets[plot::target::defaultplot].bounds;
  EXPECT_EQ(e.right, e.left);
  EXPECT_EQ(e.bottom, e.top);
  // The printed page: the job's page area less the margins, slot 7 current.
  record->printarea[0] = 10;
  record->printarea[3] = 40;
  plot::printjob.pagearea = plot::Area{100, 200, 4000, 6000};
  plot::ifontslot = 1;
  plot::SETUPS(1);
  EXPECT_EQ(core::msgkey.trimmed(), "");
  EXPECT_EQ(plot::ifontslot, 7);
  const plot::Area p = plot::printjob.printerarea;
  EXPECT_EQ(p.left, 110);
  EXPECT_EQ(p.top, 230);
  EXPECT_EQ(p.right, 3980);
  EXPECT_EQ(p.bottom, 5960);
  plot::reset_printjob();
}

}  // namespace
