// The IDE's shared words: folders and names found at start-up, how the
// program was started, the main window's placement and the screen metrics,
// the event and repaint words of the dispatcher, and the text colour
// classes. Global on purpose, as the interpreter's run words are: every
// layer of the IDE reads and writes them.
#pragma once

#include <array>
#include <cstdint>

#include "core/runwords.h"
#include "exec/windowwords.h"
#include "exec/xeq.h"
#include "platform/fixed_text.h"
#include "platform/indexed.h"
#include "platform/win_gdi.h"
#include "platform/win_window.h"

namespace ide {

// Folders end in "/"; all texts are blank-padded.
inline plat::FixedText<192> progdir;     // the program's data folder (the help data file)
inline plat::FixedText<192> workdir;     // the current folder at start-up
inline plat::FixedText<192> appdir;      // the per-user folder of the setup file
inline plat::FixedText<16> progname;     // the program file's base name
inline plat::FixedText<256> filepath;    // the shared file-name text
inline plat::FixedText<255> scriptpath;  // the current script, shown in the title
inline constexpr std::string_view helpname = "Ostrel.hlp";
inline constexpr std::string_view setupname = "Ostrel-setup.dat";

// How the program was started: 0 normal, -1 "HELP=" on the command line,
// -10 a script named on it, -999 while a "HELP=" start closes.
inline std::int16_t startmode = 0;
// The program's exit status when FE_MAIN returns (2: it could not start).
inline int exitstatus = 0;

// Busy bits of `core::idestate` (core/runwords.h).
namespace busy = core::busy;

// The main window: left, top, outer width and height in pixels, and the
// show state word (bit 1 maximised, bit 2 minimised).
struct WindowPlace {
  std::int32_t x = 0;
  std::int32_t y = 0;
  std::int32_t width = 640;
  std::int32_t height = 480;
  std::int32_t state = 1;
};
inline WindowPlace mainwinrect;

// Screen metrics read at start-up (exec/windowwords.h).
namespace metric = exec::metric;
using exec::sysmetrics;
inline win::TEXTMETRICA textmetrics;

// The program's module, the main window and two callbacks, kept for code
// that hands them to user libraries.
struct HostBlock {
  win::HINSTANCE module = nullptr;
  win::HWND mainwindow = nullptr;
  void* showcallbackargs = nullptr;
  void* beepwndproc = nullptr;
};
inline HostBlock hostblock;
inline std::int64_t perffreq = 0;
inline win::HINSTANCE modhandle = nullptr;

// The IDE's shared toolkit status word: failures of the toolkit's window,
// repaint and drawing calls are left in it instead of being shown.
inline int ups = 0;

// Event words of the dispatcher.
inline std::int32_t prevcmd = 0;         // the pending command a posted code replaced
using exec::evtflags;                    // event bits (below): what ALARM(1) waits for
inline std::int32_t waitinput = 0;       // bit 0: the active layer waits for the next event
inline std::int32_t lastctlid = 0;       // the script control that changed last
inline std::int32_t pendinghandler = 0;  // handler of the chosen script menu or tool item
using exec::closehandle;                 // window of a pending close request (21058)
inline std::int32_t keylparam = 0;       // the raw parameter of the last key message
inline bool sizechanged = false;         // the main window's size changed
namespace evt {
inline constexpr std::int32_t keydown = 0x10;
inline constexpr std::int32_t character = 0x20;
inline constexpr std::int32_t keyup = 0x40;
inline constexpr std::int32_t deadkeyup = 0x80;
inline constexpr std::int32_t escapebutton = 0x100;
inline constexpr std::int32_t scriptmenu = 0x200;
inline constexpr std::int32_t scripttool = 0x400;
}  // namespace evt

// The rectangle the writers collect for the next repaint
// (exec/windowwords.h), and its empty form (left = screen width, top =
// screen height, right and bottom 0).
using exec::updrect;
void emptyupdrect();

// Text colour classes, the text colours in force and the palette colour of
// a colour number (exec/windowwords.h).
using exec::colnum;
using exec::colour;
using exec::initialcolours;
using exec::txtcolors;

// Every word above back to its start value. For tests and start-up.
void reset_idewords();

}  // namespace ide
