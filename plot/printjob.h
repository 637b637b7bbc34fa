// The print job: one document on the printer that stays open across many
// RWPRINT calls, its page layout (the text area of the window and of the
// page, the margins, the orientation), the page stamp and the page change.
// A window-only job is a window pass bracket: it stays open while calls name
// the window it was opened for.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "exec/windowlist.h"
#include "platform/fixed_text.h"
#include "platform/win_gdi.h"
#include "plot/fontslots.h"
#include "toolkit/draw_target.h"

namespace plot {

// Bits of a window's print state word `printstate`.
namespace printbit {
inline constexpr std::int32_t printer = 0x1;
inline constexpr std::int32_t window = 0x2;
inline constexpr std::int32_t minusone = 0x4;
inline constexpr std::int32_t endjob = 0x8;
inline constexpr std::int32_t nostamp = 0x10;
inline constexpr std::int32_t choosefont = 0x20;
inline constexpr std::int32_t fontvariant = 0x40;
inline constexpr std::int32_t landscape = 0x80;
inline constexpr std::int32_t newpage = 0x100;
inline constexpr std::int32_t dialogs = 0x400;
inline constexpr std::int32_t keeparea = 0x800;
}  // namespace printbit

// Print state values with a meaning of their own.
namespace printvalue {
inline constexpr std::int32_t printnow = -2;
inline constexpr std::int32_t printplot = -3;
inline constexpr std::int32_t endplot = -4;
}  // namespace printvalue

// The status RWPRINT returns when the orientation changed.
inline constexpr std::int32_t orientationchanged = 999;
// The columns argument that asks for a new page.
inline constexpr std::int32_t pagebreak = -999;

struct Area {
  std::int32_t left = 0, top = 0, right = 0, bottom = 0;
  std::int32_t width() const { return right - left; }
  std::int32_t height() const { return bottom - top; }
};

// A font as a slot describes it.
struct SavedFont {
  plat::FixedText<32> face;
  std::int32_t points = 9;
  float angle = 0.0F;
  std::int32_t underline = 0, weight = 400, italic = 0;
};

struct PrintJob {
  bool open = false;
  bool first = false;  // the call under way opened the job
  win::HWND window = nullptr;
  win::HFONT font = nullptr;    // of the slot the last call used
  win::HFONT marker = nullptr;  // see RWPRINT
  bool landscape = false;
  std::int32_t dialogflags = -1;
  std::int32_t page = 0;
  std::int32_t columns = 0, column = 0;
  SavedFont saved;
  std::int32_t perline = 0, lines = 0, copies = 0, firstpage = 0, lastpage = 0;
  std::int32_t physwidth = 0, physheight = 0, offsetx = 0, offsety = 0;
  bool pagedataset = false;
  bool wys = false;
  Area pagearea;     // the page less the printer's margins
  Area printerarea;  // the printer's text area
  Area windowarea;   // the window's text area
  win::POINT printerat{};
  std::int32_t printerendx = 0;  // where the printed text ended last
  std::int32_t printercw = 1, printerch = 1;
  std::array<std::int32_t, 4> prompt{};
  std::int32_t lastlineheight = 0;
  bool overflowed = false;  // a printed piece of the last call did not fit
  // The printer part could not start (a dialog cancelled): until the job
  // ends its calls write nothing on paper and ask for no printer again.
  bool declined = false;
  // The document's name (a PDF file takes it, with ".pdf"), and the
  // toolkit's status of a failure not yet taken (0 none). A failure is no
  // refusal: the next call tries again.
  std::string document;
  std::int32_t failure = 0;
};
inline PrintJob printjob;

// The window's text area (SETUPS mode 2) kept as the window pass's.
void windowarea(exec::wdwrec& window);

// The font of a slot kept for paper.
void savefont(SavedFont& saved, const FontSlot& slot);

// The window's client width and height.
win::SIZE clientsize(const exec::wdwrec& window);

// Opens the printer part of a job for the current window; false when no
// document could be started (the job then writes nothing on paper).
bool startprinter(exec::wdwrec& window, std::string_view options, std::int32_t& status);
// Stamps the page, moves on to the next one and puts the printer's text
// position at the top left of the margins' area.
void nextpage();
// The stamp on the printer's current page (none with print state bit 0x10).
void stamp(const exec::wdwrec& window);
// The stamp's text for page `page`: "Ostrel / <main window> / <yyyymmdd>
// <hhmmss>.<page>".
std::string stamptext(std::int32_t page);
// The stamp of that page number on the page of a print job's target (the
// printer's of RWPRINT, or another's that prints on its own).
void STAMPPAGE(toolkit::draw_target_t& target, std::int32_t page);
// Stamps the last page and ends the document.
void endprinter();
// A job still open (at the end of the program): ended as bit 8 ends it.
void endopenjob();
// The toolkit's status of the first print failure not yet taken (a
// document that could not be started, a page or a document that could not
// be written; a job the user cancelled is none), 0 when none; cleared.
std::int32_t takeprintfailure();
// A failure that no statement takes (the job ended with the run): its
// message, and a run that had ended well fails with its key.
void sayprintfailure(std::int32_t failure);
// A failure that fails the running statement (as a WRITE's does): the
// I/O status word, the message unless the statement has an error label,
// the stop word.
void failprintstatement(std::int32_t failure);
// Back to the start (no job, portrait). For tests.
void reset_printjob();

}  // namespace plot
