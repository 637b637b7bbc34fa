// PRINTDLG: a dialog window on paper through RWPRINT.
#include "plot/printdlg.h"

#include <algorithm>
#include <string>

#include "exec/settingrefs.h"
#include "exec/windowlist.h"
#include "exec/windowwords.h"
#include "plot/plotdev.h"
#include "plot/printjob.h"
#include "plot/rwprint.h"
#include "plot/upcalls.h"

namespace plot {

namespace {

constexpr std::int32_t printerslot = 7;
constexpr std::uint32_t visible = 0x10000000;
constexpr std::int32_t hiddenbytable = 0x80000;
constexpr std::size_t mosttitle = 254;
// Pages of one table at most (a table that never says it is done).
constexpr int mostpages = 100000;

std::string trimmed(std::string_view s) {
  const std::size_t a = s.find_first_not_of(' ');
  if (a == std::string_view::npos) return {};
  return std::string(s.substr(a, s.find_last_not_of(' ') - a + 1));
}

bool hidden(const exec::wdwrec& w, const toolkit::dialog_t& d, const exec::ctlrec* c) {
  if (c != nullptr && (c->ctlkind & hiddenbytable) != 0) return true;
  if (w.window != nullptr) {
    if (const win::HWND h = win::GetDlgItem(w.window, d.id)) return win::IsWindowVisible(h) == 0;
  }
  return (d.window_style & visible) == 0 && d.window_style != 0;
}

// What a control prints: its text, its value or nothing.
bool printed(const toolkit::dialog_t& d, std::string& out) {
  switch (d.type & 0xFFFF) {
    case toolkit::DLG_EDITBOX:
    case toolkit::DLG_LISTBOX:
    case toolkit::DLG_COMBOBOX:
      out = trimmed(d.text.view());
      return true;
    case toolkit::DLG_CHECKBOX:
    case toolkit::DLG_RADIOBUTTON:
      out = std::string(d.integer_value != 0 ? "1=" : "0=") +
            trimmed(d.title.view()).substr(0, mosttitle);
      return true;
    case toolkit::DLG_TEXT:
      out = trimmed(d.title.view());
      return true;
    default:
      return false;
  }
}

void controls(exec::wdwrec& w, std::span<toolkit::dialog_t> items, const std::string& options,
              bool wys, std::int32_t& columns) {
  const exec::ctlrec* c =
      upcalls.CONTROLRECORDS != nullptr ? upcalls.CONTROLRECORDS(w.window) : w.firstcontrol;
  for (toolkit::dialog_t& d : items) {
    const exec::ctlrec* record = c;
    if (c != nullptr) c = c->ctlnext;
    if (hidden(w, d, record)) continue;
    std::string text;
    if (!printed(d, text)) continue;
    std::string key = "L   ";
    if ((d.style_options & toolkit::kOptionCentre) != 0) key[0] = 'C';
    if ((d.style_options & toolkit::kOptionRight) != 0) key[0] = 'R';
    std::string o = options;
    if (wys) {
      o += ",L=" + std::to_string(d.x / 4 + 1) + ",T=" + std::to_string(d.y / 8 + 1) +
           ",H=" + std::to_string(d.height / 8) + ",W=" + std::to_string(d.width / 4 - 1);
    }
    std::int32_t status = 0;
    exec::wdwcur = &w;
    RWPRINT(text, 1.0, nextline, columns, printerslot, key, o, &w, status);
    columns = 0;
  }
}

}  // namespace

void PRINTDLG(std::span<toolkit::dialog_t> items) {
  exec::wdwrec* w = exec::wdwcur;
  if (w == nullptr) return;
  std::string options = trimmed(exec::dlgtext.view()) + " ";
  const bool wys = options.find("WYS") != std::string::npos;
  // The document takes the window's name.
  exec::dlgtext.set(w->title.trimmed());
  w->printstate |= printbit::printer;
  exec::txtcolors = {exec::colour(printedcolours[1]), exec::colour(printedcolours[0])};
  const bool table = w->firsttable != nullptr && upcalls.MATRIXUPDATE != nullptr;
  std::int32_t rows = 0;
  if (table) upcalls.MATRIXUPDATE(w->window, true, rows);
  std::int32_t columns = 0;
  controls(*w, items, options, wys, columns);
  for (int page = 0; table && rows > 0 && page < mostpages; ++page) {
    const std::int32_t before = rows;
    upcalls.MATRIXUPDATE(w->window, false, rows);
    // A table that does not move on has nothing more to show.
    if (rows >= before) break;
    columns = pagebreak;
    controls(*w, items, options, wys, columns);
  }
  w->printstate |= printbit::endjob;
  std::int32_t status = 0;
  columns = 0;
  exec::wdwcur = w;
  RWPRINT("", 0.0, 0.0, columns, printerslot, " ", "", w, status);
}

}  // namespace plot
