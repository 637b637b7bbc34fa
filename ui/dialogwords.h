// The shared words of script dialogs: the state of the dialog being built
// (the option in hand, the running item position, style words and
// defaults), which lives from a statement's first option to the dialog's
// showing, and the words the change procedures leave for the IDE's event
// routine and the executor (a pending write-back, the control that changed
// last, the close request). Global on purpose: the builder, the change
// procedures and the IDE meet in them, as the toolkit calls the procedures
// back with no room for state of their own.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "core/shoplists.h"
#include "exec/windowlist.h"
#include "platform/fixed_text.h"
#include "platform/win_gdi.h"
#include "platform/win_window.h"

namespace ui {

// Keyword numbers of the dialog keyword list (from 0, ERror = 0).
consteval std::int32_t dk(std::string_view name) { return core::optkwnr(core::OptStmt::DLG, name); }

// Control-kind bits of a control record (`exec::ctlrec::ctlkind`).
namespace ck {
inline constexpr std::int32_t numeric = 0x2;
inline constexpr std::int32_t character = 0x4;
inline constexpr std::int32_t element = 0x8;
inline constexpr std::int32_t namevalue = 0x7;
inline constexpr std::int32_t pushbutton = 0x10;
inline constexpr std::int32_t edit = 0x20;
inline constexpr std::int32_t checkbox = 0x40;
inline constexpr std::int32_t radio = 0x80;
inline constexpr std::int32_t list = 0x100;
inline constexpr std::int32_t updown = 0x200;
inline constexpr std::int32_t trackbar = 0x400;
inline constexpr std::int32_t progressbar = 0x800;
inline constexpr std::int32_t scrollbar = 0x1000;
inline constexpr std::int32_t bars = 0x1E00;
inline constexpr std::int32_t formatted = 0x2000;
inline constexpr std::int32_t buffered = 0x8000;
inline constexpr std::int32_t noclose = 0x10000;
inline constexpr std::int32_t sharedbit = 0x20000;
inline constexpr std::int32_t tablecell = 0x40000;
inline constexpr std::int32_t raw = 0x40000000;
// The binding part of a kind word: the bits 2, 4, 8 and the kinds of the
// program's own storage.
inline constexpr std::uint32_t bindmask = 0xFE00000E;
// The program's own storage: 8-, 16-, 32-bit integer, 32-, 64-bit real,
// a text, single characters.
inline constexpr std::int32_t rawi1 = 0x2000002;
inline constexpr std::int32_t rawi2 = 0x4000002;
inline constexpr std::int32_t rawi4 = 0x8000002;
inline constexpr std::int32_t rawr4 = 0x10000002;
inline constexpr std::int32_t rawr8 = 0x20000002;
inline constexpr std::int32_t rawtext = 0x40000004;
inline constexpr std::int32_t rawchars = static_cast<std::int32_t>(0x80000004u);
}  // namespace ck

// The binding kind of a control record.
inline std::int32_t bindkind(const exec::ctlrec& c) {
  return static_cast<std::int32_t>(static_cast<std::uint32_t>(c.ctlkind) & ck::bindmask);
}

// Special control ids: Cancel, a button whose prefix asks for no number,
// the STEP and RUN buttons; the base of ids and of label numbers.
inline constexpr std::int32_t idcancel = 2;
inline constexpr std::int32_t idprefix = 4;
inline constexpr std::int32_t idstep = 0x7FFE;
inline constexpr std::int32_t idrun = 0x7FFD;
inline constexpr std::int32_t idbase = 1000;
inline constexpr std::int32_t labelbase = 10000;
// The control-id word while a dialog runs and nothing was chosen.
inline constexpr std::int32_t idnone = 19999;

// Commands posted to the main window.
namespace cmd {
inline constexpr std::int32_t printdirect = 10005;
inline constexpr std::int32_t closewindow = 21058;
inline constexpr std::int32_t winlink = 21059;
inline constexpr std::int32_t windowclosed = 21061;
inline constexpr std::int32_t callback = 21064;
inline constexpr std::int32_t jump = 22001;
}  // namespace cmd

// The option in hand, as the builder hands it to the item routines.
struct Staged {
  std::int32_t keyword = 0;   // keyword number (Align and name labels as Text)
  double value = 0.0;         // the numeric value
  plat::FixedText<256> text;  // the text value (the item's caption)
  // The value operand: where the item is bound (its kind in `bindbits`),
  // and its length (characters, elements, or a display width).
  exec::BoundRef bind;
  std::int32_t length = 0;
  std::int32_t bindbits = 0;     // 2, 4, 5, 7, 8, 0x2005, 0x2007; 1 not a plain variable
  std::int32_t symbol = 0;       // the option's value symbol (0 none)
  std::int32_t number = 0;       // a button's number; -1 a link text; -k a link from position k
  std::int32_t jump = 0;         // the symbol of the label a button names
  std::int32_t itemid = 0;       // the control id of the item being made
  std::string listtext;          // the text a list's entries come from
  bool aligned = false;          // Align, or a name label's text
  bool paramref = false;         // the value comes from a reference of a WIN text
  std::int32_t labeloffset = 0;  // an aligned item's label part (0: none)
  std::int32_t tableformat = 0;  // position of a Format text: a table is built
};
inline Staged staged;

// The state of the dialog being built.
struct Builder {
  std::int32_t itemcount = 0;  // items defined so far; the current item's number
  std::int32_t itemid = 0;     // control id of the current item
  std::int32_t planned = 0;    // items the statement makes
  std::int32_t x = 7;          // where the next item goes (dialog units)
  std::int32_t y = 7;
  std::uint32_t style = 0;     // style options of the current item
  std::uint32_t winstyle = 0;  // window-style bits of the current item
  std::uint32_t altwinstyle = 0x10000;
  win::HBRUSH brush = nullptr;
  win::COLORREF textcolour = 0;
  std::int32_t defwidth = 40;
  std::int32_t defheight = 12;
  std::int32_t border = 7;
  std::int32_t space = 4;
  std::int32_t group = 0;
  std::int32_t memx = 0;
  std::int32_t memy = 0;
  std::int32_t widthpixels = 0;  // the last Width and Height in pixels
  std::int32_t heightpixels = 0;
  std::int32_t widestentry = 0;  // of the last list, in dialog units
  std::int32_t listrows = 0;
  // Dialog-wide words.
  plat::FixedText<256> title{"..."};
  win::HWND owner = nullptr;
  std::int32_t x0 = -999;  // pixels; -999 not given
  std::int32_t y0 = -999;
  std::int32_t x0var = 0;
  std::int32_t y0var = 0;
  std::int32_t handlevar = 0;
  std::int32_t returnvar = 0;
  std::int32_t changedvar = 0;
  std::int32_t titlevar = 0;
  std::int32_t focusitem = 0;
  bool modeless = false;
  bool update = false;
  bool noforeground = false;
  std::uint32_t dialogstyle = 0x90000004;
  std::int32_t pointvar = 0;
  std::int32_t facevar = 0;
  bool helpfile = false;
  plat::FixedText<96> helpname;
  // The syntax characters: blank, label mark, value mark, reference mark,
  // item separator, binding arrow, arrow modifier, list separator.
  std::array<char, 8> syntax{' ', ':', '=', '*', ';', '>', '-', '|'};
  exec::ctlrec* previous = nullptr;  // the control record made last
};
inline Builder builder;

// The font slot of the dialog being built.
inline std::int32_t dlgfontslot = 6;
// The 256-character value text of a reference, and the link text of a
// control being placed.
inline plat::FixedText<256> valuetext;
inline plat::FixedText<256> linktext;

// A control edit not yet stored: the control's id (negative: to be
// discarded) and its window (null: none).
struct EditGuard {
  std::int32_t control = 0;
  win::HWND window = nullptr;
};
inline EditGuard editguard;

// A script's table that the run waited for closed with an answer:
// the run goes on at that statement, which then ends with the answer
// instead of showing the table again.
struct AwaitedAnswer {
  std::int32_t stmt = 0;  // 0: none
  double value = 0.0;
};
inline AwaitedAnswer awaitedanswer;

// What the change procedures leave: the reason of the call in hand, the
// dialog window whose item changed last, the id of the item in hand and
// the number last reported (the text in hand is `exec::dlgtext`).
inline std::int32_t curchangereason = 0;
inline win::HWND lastdlgwindow = nullptr;
inline std::int32_t dlgitemid = 0;
inline std::int32_t lastident = 0;
// The refresh guard: true while UPDATEWINDOW rewrites a window.
inline bool inupdate = false;
// The dialog event and window the box procedure saw last.
inline std::int32_t lastdlgevent = 0;
inline win::HWND lastboxwindow = nullptr;
// The program's folder, from which a link starts another copy of it.
inline plat::FixedText<192> progfolder;

// The pending link request: the word (0 none, above 0 waiting, below 0
// being served), the link's target and the file its sections come from
// (blank: the script's own blocks, or the help data file).
struct WinLink {
  std::int32_t word = 0;
  plat::FixedText<90> text;
  plat::FixedText<96> file;
};
inline WinLink winlink;

// Starts a program from its command line (split into arguments, no shell),
// without waiting for it: a link to a script starts this program again.
// Tests put their own.
void spawnprogram(const std::string& commandline);
inline void (*startprogram)(const std::string& commandline) = spawnprogram;

// A window handle as a script number and back (0: none).
inline double handlenumber(win::HWND h) { return win::handle_value(h); }
win::HWND handleof(double v);

// Every word above back to its start value.
void reset_dialogwords();
// The builder's words back to the start of a dialog.
void startbuild();

}  // namespace ui
