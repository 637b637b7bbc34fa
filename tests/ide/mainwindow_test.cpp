// The main window's callbacks: the text area from the window's size, the
// scroll positions, mouse clicks in cells, and the kept window state; and
// the status bar's fields and the caption.
#include <gtest/gtest.h>

#include "core/runwords.h"
#include "exec/statusbar.h"
#include "ide/idewords.h"
#include "ide/mainwindow.h"
#include "ide/statusbar.h"
#include "ide/windowlist.h"
#include "ide_fixture.h"
#include "platform/win_message.h"
#include "platform/win_window.h"
#include "plot/fontslots.h"
#include "toolkit/statusbar.h"

namespace {

using idetest::IdeTest;

win::HWND main_window() { return static_cast<win::HWND>(idetest::mainwindow()); }

std::string field(int k) { return std::string(ide::statusfields[k - 1].text.data()); }

std::string caption() {
  char buf[300] = {};
  win::GetWindowTextA(main_window(), buf, sizeof buf);
  return buf;
}

// Posted commands waiting for the main window, in order.
std::vector<int> posted() {
  std::vector<int> out;
  win::MSG m{};
  while (win::PeekMessageA(&m, main_window(), win::WM_COMMAND, win::WM_COMMAND, win::PM_REMOVE))
    out.push_back(static_cast<int>(m.wParam & 0xFFFF));
  return out;
}

TEST_F(IdeTest, TheTextAreaFollowsTheWindowsOuterSize) {
  run("", {[] {
        win::HWND w = main_window();
        win::ShowWindow(w, win::SW_RESTORE);
        win::SetWindowPos(w, nullptr, 0, 0, 640, 480, win::SWP_NOZORDER);
        ide::sysmetrics(ide::metric::framewidth) = 4;
        ide::sysmetrics(ide::metric::frameheight) = 4;
        ide::sysmetrics(ide::metric::caption) = 19;
        ide::sysmetrics(ide::metric::menubar) = 19;
        plot::fontslots(2).cellheight = 16;
        plot::fontslots(2).cellwidth = 8;
        ide::WINDOWSIZE(w);
        EXPECT_EQ(ide::textheight, 384);
        EXPECT_EQ(ide::nrows, 24);
        EXPECT_EQ(ide::textwidth, 632);
        EXPECT_EQ(ide::ncols, 79);
        const win::HBITMAP kept = ide::wdwhead->bitmap;
        // Less than a cell more: the bitmap stays; a row more: a new one.
        win::SetWindowPos(w, nullptr, 0, 0, 640, 490, win::SWP_NOZORDER);
        ide::WINDOWSIZE(w);
        EXPECT_EQ(ide::wdwhead->bitmap, kept);
        win::SetWindowPos(w, nullptr, 0, 0, 640, 500, win::SWP_NOZORDER);
        ide::WINDOWSIZE(w);
        EXPECT_EQ(ide::nrows, 25);
        // Too small for any text: height 0, no rows.
        win::SetWindowPos(w, nullptr, 0, 0, 640, 60, win::SWP_NOZORDER);
        ide::WINDOWSIZE(w);
        EXPECT_EQ(ide::textheight, 0);
        EXPECT_EQ(ide::nrows, 0);
      }});
}

TEST_F(IdeTest, ScrollRequestsMoveByLinesPagesAndThumb) {
  run("", {[] {
        posted();
        win::HWND w = main_window();
        ide::scrollpage = 30;
        ide::scrolltotal = 100;
        auto scroll = [&](int request, int position, int thumb = 0) {
          return ide::USERBITMAPSCROLL(w, request, position, thumb);
        };
        EXPECT_EQ(scroll(3, 90), 71);
        EXPECT_EQ(scroll(3, 60), 71);
        EXPECT_EQ(scroll(3, 71), -1);
        EXPECT_EQ(scroll(2, 10), 1);
        EXPECT_EQ(scroll(2, 40), 11);
        EXPECT_EQ(scroll(0, 5), 4);
        EXPECT_EQ(scroll(0x100, 5), 4);
        EXPECT_EQ(scroll(1, 5), 6);
        EXPECT_EQ(scroll(5, 20, 20), -1);
        EXPECT_EQ(scroll(0x105, 20, 33), 33);
        EXPECT_EQ(scroll(6, 20), 1);
        EXPECT_EQ(scroll(0x106, 20), 1);
        EXPECT_EQ(scroll(7, 20), 71);
        EXPECT_EQ(scroll(4, 20, 50), -1);
        EXPECT_EQ(scroll(-1, 20), -1);
        EXPECT_EQ(ide::scrollreq.code, 7);
        EXPECT_EQ(ide::scrollreq.position, 71);
        EXPECT_EQ(core::mousebtn, 16);
        // One scroll command for each move, none for a request that moved nothing.
        EXPECT_EQ(posted(), std::vector<int>(11, ide::post::scroll));
      }});
}

TEST_F(IdeTest, AClickGivesItsCellBelowTheMainWindowsTextOrigin) {
  run("", {[] {
        posted();
        win::HWND w = main_window();
        plot::fontslots(2).cellwidth = 8;
        plot::fontslots(2).cellheight = 16;
        // (Below the toolbar, 28 pixels here, where the first text row is drawn.)
        win::POINT at{17, 50}, unused{};
        win::RECT r{};
        int keys = 0, down = 0x1, up = 0x2;
        ide::MOUSEPROC(down, at, unused, w, r, keys);
        EXPECT_EQ(ide::mousepos.column, 3);
        EXPECT_EQ(ide::mousepos.row, 2);
        EXPECT_EQ(ide::mousepos.button, 1);
        EXPECT_EQ(core::mousebtn, 0);
        EXPECT_NE(ide::evtflags & 1, 0);
        // The release is left to the dispatcher: posted, not converted.
        win::POINT later{90, 100};
        ide::MOUSEPROC(up, later, unused, w, r, keys);
        EXPECT_EQ(core::mousebtn, -2);
        EXPECT_EQ(ide::mousepos.column, 3);
        EXPECT_EQ(posted(), std::vector<int>{ide::post::mouse});
        ide::MAUSXY();
        EXPECT_EQ(ide::mousepos.column, 12);
        EXPECT_EQ(ide::mousepos.row, 5);
        // No button event: the words stay.
        ide::MAUSXY();
        EXPECT_EQ(ide::mousepos.column, 12);
      }});
}

TEST_F(IdeTest, TheWindowStateIsKeptForTheTimerAndTheSetup) {
  run("", {[] {
        win::HWND w = main_window();
        int minimised = 1, maximised = 2, restored = 0, moved = 0x405;
        ide::WINDOWCHANGED(w, minimised);
        EXPECT_EQ(ide::wdwhead->kind & 3, 2);
        ide::WINDOWCHANGED(w, maximised);
        EXPECT_EQ(ide::wdwhead->kind & 3, 1);
        EXPECT_EQ(ide::mainwinrect.state & 3, 1);
        EXPECT_TRUE(ide::sizechanged);
        EXPECT_EQ(core::edmark, core::edmarkall);
        win::ShowWindow(w, win::SW_RESTORE);
        win::SetWindowPos(w, nullptr, 30, 40, 500, 400, win::SWP_NOZORDER);
        ide::WINDOWCHANGED(w, restored);
        EXPECT_EQ(ide::wdwhead->kind & 3, 0);
        EXPECT_EQ(ide::mainwinrect.width, 500);
        EXPECT_EQ(ide::mainwinrect.height, 400);
        win::SetWindowPos(w, nullptr, 70, 80, 0, 0, win::SWP_NOZORDER | win::SWP_NOSIZE);
        ide::WINDOWCHANGED(w, moved);
        EXPECT_EQ(ide::mainwinrect.x, 70);
        EXPECT_EQ(ide::mainwinrect.y, 80);
        EXPECT_EQ(ide::mainwinrect.width, 500);
        EXPECT_EQ(ide::wdwhead->left, 70);
      }});
}

// The pixels the bar's font needs for the text, with the field's border.
int needed(std::string_view text) {
  const win::HDC dc = win::GetDC(nullptr);
  const win::HGDIOBJ old = win::SelectObject(dc, plot::fontslots(3).font);
  win::SIZE size{};
  win::GetTextExtentPoint32A(dc, text.data(), static_cast<int>(text.size()), &size);
  win::SelectObject(dc, old);
  win::ReleaseDC(nullptr, dc);
  return size.cx + 4 * toolkit::status_bar.border;
}

TEST_F(IdeTest, TheStatusBarShowsTheFieldsOfItsLayoutAndTheCaptionTheScript) {
  run("", {[] {
        ide::reset_statusbar();
        ide::STATUSBAR({.title = "/home/user/scripts/plot.ost", .layout = 2});
        EXPECT_EQ(caption(), "plot.ost (/home/user/scripts/)");
        EXPECT_EQ(field(1), "Line");
        EXPECT_EQ(field(2), "Col");
        EXPECT_EQ(field(3), "Asc/Hex");
        EXPECT_EQ(field(4), "OVR");
        EXPECT_EQ(field(5), "Welcome to Ostrel script plot.ost. Click 1STEP or RUN or File");
        EXPECT_EQ(ide::statusfields[5].kind, 0);
        // Each field holds its cells of the bar's font and its widest text, at
        // any window width; the last one reaches the bar's end.
        for (const int width : {1000, 640}) {
          win::SetWindowPos(main_window(), nullptr, 0, 0, width, 420, win::SWP_NOZORDER);
          const auto& bar = toolkit::status_bar;
          const int cw = plot::fontslots(3).cellwidth;
          EXPECT_GE(bar.fields[0].width, std::max(6 * cw, needed("000000"))) << width;
          EXPECT_GE(bar.fields[1].width, std::max(5 * cw, needed("00000"))) << width;
          EXPECT_GE(bar.fields[2].width, std::max(10 * cw, needed("W 000/00"))) << width;
          EXPECT_GE(bar.fields[3].width, std::max(5 * cw, needed("OVR"))) << width;
          EXPECT_EQ(bar.fields[4].left + bar.fields[4].width + bar.gap, bar.client_width) << width;
        }
        ide::STATUSBAR({.line = 12, .column = 1234567, .character = 'A', .mode = "OVR"});
        // Laid out again, the fields keep what they show.
        ide::STATUSBAR({.title = "/home/user/scripts/plot.ost", .layout = 2});
        EXPECT_EQ(field(1), "12");
        EXPECT_EQ(field(4), "OVR");
        EXPECT_EQ(field(1), "12");
        EXPECT_EQ(field(2), "******");
        EXPECT_EQ(field(3), "A 065/41");
        ide::STATUSBAR({.character = ' '});
        EXPECT_EQ(std::string(ide::statusfields[2].text.data(), 8), "  032/20");
        exec::STATUSBAR("CPU time 1'500 microsec");
        EXPECT_EQ(field(5), "CPU time 1'500 microsec");
        // One field: the cursor's words have nowhere to go.
        ide::STATUSBAR({.title = "demo.ost", .layout = 1});
        EXPECT_EQ(caption(), "demo.ost");  // no empty brackets for a name without folder
        ide::STATUSBAR({.line = 7});
        EXPECT_EQ(field(1), "Welcome to Ostrel script demo.ost. Click 1STEP or RUN or File");
        EXPECT_FLOAT_EQ(ide::statusfields[0].width, 1.0F);
        for (int k = 2; k <= 6; ++k) EXPECT_EQ(ide::statusfields[k - 1].kind, 0) << k;
        EXPECT_EQ(toolkit::status_bar.count, 1);
      }});
}

}  // namespace
