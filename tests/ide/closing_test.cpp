// Closing windows in their order, the dialog hook's Escape and Ctrl+Tab,
// and the tooltip's place, size and focus, in the running program.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "core/runwords.h"
#include "core/stores.h"
#include "core/symbols.h"
#include "ide/filehistory.h"
#include "ide/idewords.h"
#include "ide/mainwindow.h"
#include "ide/panlio.h"
#include "ide/tooltip.h"
#include "ide/windowclose.h"
#include "ide/windowlist.h"
#include "ide_fixture.h"
#include "platform/backend.h"
#include "platform/win_message.h"
#include "platform/win_message_keys.h"
#include "plot/fontslots.h"
#include "plot/plotstate.h"
#include "toolkit/windows.h"
#include "ui/dialogwords.h"
#include "ui/tablechanges.h"
#include "ui/tables.h"

namespace {

using idetest::IdeTest;

std::int32_t inkillseen = 0;
int recordclose(win::HWND& handle) {
  inkillseen = ide::inkill;
  return ide::KILLNONDLGWINDOW(handle);
}

ide::wdwrec* newwindow(std::int32_t kindbits) {
  std::int32_t status = -1;
  ide::NEWWINDOW(status, nullptr);
  ide::wdwrec* r = ide::wdwcur;
  r->kind = kindbits;
  char cls[32];
  std::fill(cls, cls + sizeof cls, ' ');
  const int w = 200, h = 100;
  r->window = toolkit::CREATE_SECONDARY_WINDOW(
      "Second", 6, nullptr, 0, nullptr, 0, cls, sizeof cls, nullptr, nullptr, nullptr, nullptr,
      nullptr, &w, &h, nullptr, nullptr, 0, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
      nullptr, nullptr, recordclose, nullptr, nullptr, nullptr, nullptr);
  return r;
}

bool inlist(const ide::wdwrec* record) {
  for (const ide::wdwrec* r = ide::wdwhead; r != nullptr; r = r->next)
    if (r == record) return true;
  return false;
}

// The commands posted to the main window since the last look.
std::vector<win::WPARAM> posted() {
  std::vector<win::WPARAM> commands;
  win::MSG m{};
  while (
      win::PeekMessageA(&m, ide::wdwhead->window, win::WM_COMMAND, win::WM_COMMAND, win::PM_REMOVE))
    commands.push_back(m.wParam);
  return commands;
}

int hook(win::HWND window, win::UINT message, win::WPARAM wparam = 0) {
  win::LPARAM lparam = 0;
  win::LRESULT result = 0;
  return ide::DLGCALLBACK(window, message, wparam, lparam, result);
}

TEST_F(IdeTest, AClosedWindowLeavesTheAxesResumesTheWaitingRunAndPostsItsCommand) {
  run("", {[] {
        ide::wdwrec* text = newwindow(ide::kind::text | ide::kind::awaited);
        const win::HWND w = text->window;
        plot::axisstate.mousewindow(3) = w;
        plot::axisstate.window(6) = w;
        core::xeqmode |= 0x2;
        core::nomsg = 20;
        const std::int16_t resume = 7;
        std::memcpy(&core::z(20), &resume, sizeof resume);
        core::xeqstop = 3;
        ide::closecmd = 21070;
        posted();
        ide::KILLWINDOW(w, -1);
        EXPECT_FALSE(win::IsWindow(w));
        EXPECT_FALSE(inlist(text));
        EXPECT_EQ(inkillseen, -1) << "its own close callback found a close under way";
        EXPECT_EQ(ide::inkill, 0);
        EXPECT_EQ(plot::axisstate.mousewindow(3), nullptr);
        EXPECT_EQ(plot::axisstate.window(6), nullptr);
        EXPECT_EQ(core::xeqline, 7);
        EXPECT_EQ(core::xeqstop, 0);
        EXPECT_EQ(ide::wdwcur, ide::wdwhead);
        EXPECT_EQ(posted(), (std::vector<win::WPARAM>{21061, 21070}));
        EXPECT_EQ(ide::closecmd, 0);
        core::xeqmode = 0;
        core::nomsg = 0;
        // The main window, an unknown handle and handle 0 with a real
        // window current free nothing.
        ide::KILLWINDOW(ide::wdwhead->window, -1);
        ide::KILLWINDOW(reinterpret_cast<win::HWND>(0x4242), -1);
        ide::wdwrec* other = newwindow(ide::kind::text);
        ide::KILLWINDOW(nullptr, 0);
        EXPECT_TRUE(inlist(other));
        EXPECT_TRUE(posted().empty());
        // A record whose window was never made goes with handle 0.
        std::int32_t status = 0;
        ide::NEWWINDOW(status, nullptr);
        ide::wdwrec* unmade = ide::wdwcur;
        ide::KILLWINDOW(nullptr, 0);
        EXPECT_FALSE(inlist(unmade));
        EXPECT_TRUE(inlist(other));
      }});
}

TEST_F(IdeTest, ATableWhoseUserKeepsItsEditsStaysAndClosingAllStillEnds) {
  run("", {[] {
        ide::wdwrec* table = newwindow(ide::kind::table);
        // A table on a file whose unsaved edits the user keeps.
        auto* onfile = new ui::mxrec;
        onfile->unit = 6970;
        table->firsttable = onfile;
        ui::editchangesanswer = -1;
        ide::KILLWINDOW(table->window, -1);
        EXPECT_TRUE(win::IsWindow(table->window));
        EXPECT_TRUE(inlist(table));
        ide::KILLALLWINDOWS();  // must come back
        EXPECT_TRUE(inlist(table));
        ui::editchangesanswer = 0;
        ide::KILLALLWINDOWS();
        EXPECT_EQ(ide::wdwhead->next, nullptr);
        EXPECT_EQ(ide::wdwcur, ide::wdwhead);
      }});
}

TEST_F(IdeTest, EscapeAndCtrlTabInsideDialogs) {
  run("", {[] {
        ide::wdwrec* first = newwindow(ide::kind::modeless);
        ide::wdwrec* second = newwindow(ide::kind::modeless);
        const win::HWND w1 = first->window, w2 = second->window;
        posted();
        plat::set_key_state(win::VK_CONTROL, true);
        plat::set_key_state(win::VK_TAB, true);
        EXPECT_EQ(hook(w1, win::WM_COMMAND), 0);
        EXPECT_EQ(posted(), std::vector<win::WPARAM>{21065});
        plat::set_key_state(win::VK_CONTROL, false);
        plat::set_key_state(win::VK_TAB, false);

        // A pending edit is dropped, the dialog stays.
        EXPECT_EQ(hook(w1, win::WM_GETTEXT), 0);
        ui::editguard = {5, w1};
        plat::set_key_state(win::VK_ESCAPE, true);
        EXPECT_EQ(hook(w1, win::WM_COMMAND), -1);
        EXPECT_EQ(ui::editguard.window, nullptr);
        EXPECT_EQ(ui::editguard.control, 5);
        EXPECT_TRUE(inlist(first));
        plat::set_key_state(win::VK_ESCAPE, false);

        // Escape closes one dialog; held on, it closes no other.
        EXPECT_EQ(hook(w1, win::WM_GETTEXT), 0);
        plat::set_key_state(win::VK_ESCAPE, true);
        EXPECT_EQ(hook(w1, win::WM_COMMAND), 0);
        EXPECT_FALSE(inlist(first));
        EXPECT_EQ(core::edmode, 10);
        EXPECT_EQ(hook(w2, win::WM_COMMAND), 0);
        EXPECT_TRUE(inlist(second));
        // Escape's close request is swallowed while the key is held, and no
        // longer once a message came with it released.
        posted();
        EXPECT_EQ(hook(w2, win::WM_CLOSE), -1);
        EXPECT_EQ(posted(), std::vector<win::WPARAM>{21061});
        EXPECT_EQ(hook(w2, win::WM_SETCURSOR), -1);
        plat::set_key_state(win::VK_ESCAPE, false);
        EXPECT_EQ(hook(w2, win::WM_SETCURSOR), 0);
        plat::set_key_state(win::VK_ESCAPE, true);
        EXPECT_EQ(hook(w2, win::WM_SETCURSOR), 0);
        plat::set_key_state(win::VK_ESCAPE, false);
      }});
}

TEST_F(IdeTest, TheTooltipStandsBelowTheCursorInsideTheScreenAndNeverKeepsTheFocus) {
  run("", {[] {
        const win::HWND main = ide::wdwhead->window;
        const std::int32_t screen = ide::sysmetrics(ide::metric::screenwidth);
        const plot::FontSlot& grid = plot::fontslots(2);
        ide::wdwhead->left = 30;
        ide::wdwhead->top = 40;
        ide::panfield.fieldstart = 2;
        ide::panfield.firstshown = 2;
        ide::panfield.cursorcol = 10;
        ide::panfield.screenrow = 3;
        ide::tipopts = {1, 0, 2, 1};
        ide::TOOLTIP("SIN(x)  sine");
        const win::HWND tip = ide::tipwnd;
        ASSERT_NE(tip, nullptr);
        win::RECT r{};
        win::GetWindowRect(tip, &r);
        EXPECT_EQ(r.left, 30 + (10 + 2) * grid.cellwidth - 1);
        // Its top is the bottom of the input line's row on the screen.
        win::POINT origin{0, 0};
        win::ClientToScreen(main, &origin);
        EXPECT_EQ(r.top, origin.y + ide::wdwhead->topoffset + ide::kTextBelowToolbar +
                             ide::wdwhead->textarea[2] + 3 * grid.cellheight);
        EXPECT_EQ(r.bottom - r.top, plot::fontslots(3).cellheight + 2);
        EXPECT_EQ(ide::tipstate, 1);
        EXPECT_EQ(win::GetForegroundWindow(), main);
        // Near the editor's right edge it ends at the edge; a text wider
        // than the editor is wrapped into rows within the editor's width.
        const int editorright = origin.x + ide::textwidth - ide::vscrollwidth;
        ide::panfield.cursorcol = screen / grid.cellwidth;
        ide::TOOLTIP("SIN(x)  sine");
        win::GetWindowRect(tip, &r);
        EXPECT_EQ(r.right, editorright);
        EXPECT_EQ(r.bottom - r.top, plot::fontslots(3).cellheight + 2);
        ide::TOOLTIP(std::string(screen / 2, 'W') + " " + std::string(screen / 2, 'W'));
        win::GetWindowRect(tip, &r);
        EXPECT_GE(r.left, origin.x);
        EXPECT_LE(r.right, editorright);
        EXPECT_GE(r.bottom - r.top, 4 * plot::fontslots(3).cellheight + 2);
        EXPECT_EQ((r.bottom - r.top - 2) % plot::fontslots(3).cellheight, 0);
        // On the editor's last row it stands above its line, inside the
        // editor.
        const int texttop = origin.y + ide::wdwhead->topoffset + ide::kTextBelowToolbar +
                            ide::wdwhead->textarea[2];
        ide::panfield.screenrow = ide::nrows;
        ide::TOOLTIP(std::string(screen / 4, 'W'));
        win::GetWindowRect(tip, &r);
        EXPECT_GT(r.bottom - r.top, 2 * plot::fontslots(3).cellheight);
        EXPECT_EQ(r.bottom, texttop + (ide::nrows - 1) * grid.cellheight);
        EXPECT_GE(r.top, texttop);
        ide::panfield.screenrow = 3;
        // A blank text hides it; the window stays for the next text.
        ide::TOOLTIP(" ");
        EXPECT_EQ(ide::tipstate, 0);
        EXPECT_FALSE(win::IsWindowVisible(tip));
        ide::TOOLTIP("x");
        EXPECT_EQ(ide::tipwnd, tip);
        EXPECT_TRUE(win::IsWindowVisible(tip));
        EXPECT_EQ(win::GetForegroundWindow(), main);
        // A new font of slot 3 makes it anew.
        plot::fontslots(3).cellheight =
            static_cast<std::int16_t>(plot::fontslots(3).cellheight + 4);
        ide::TOOLTIP("x");
        EXPECT_FALSE(win::IsWindow(tip));
        EXPECT_EQ(ide::tipcellh, plot::fontslots(3).cellheight);
        ide::KILLTOOLTIPWINDOW();
        EXPECT_EQ(ide::tipstate, -1);
      }});
}

}  // namespace
