// READ and WRITE into windows: the window write, the title bar, and the
// window read with its suspension of the run.
#include "io/rwwindow.h"

#include <algorithm>
#include <cmath>
#include <string>

#include "core/runwords.h"
#include "core/stores.h"
#include "core/symbols.h"
#include "exec/builtins.h"
#include "exec/optvalues.h"
#include "exec/windowless.h"
#include "exec/windowwords.h"
#include "exec/xeq.h"
#include "io/readwrite.h"
#include "io/rwstatement.h"
#include "io/rwtexts.h"
#include "plot/fonthelpers.h"
#include "plot/fontslots.h"
#include "plot/printjob.h"
#include "plot/printstate.h"
#include "plot/rwprint.h"

namespace io {

namespace {

// Window kinds that take no text: modeless dialogs and file views.
constexpr std::int32_t notext = exec::kind::modeless | exec::kind::editorstyle;
constexpr std::int32_t firstwindowslot = 6;
constexpr std::int32_t towindow = 2;
constexpr std::int32_t toprinter = 1;
// The line editor's mode digit of a line that is edited.
constexpr char lineediting = '4';
// The palette entries of the input line's text and background.
constexpr std::int32_t inputtext = 9;
constexpr std::int32_t inputback = 10;
constexpr std::size_t linelength = 256;

exec::wdwrec* recordof(win::HWND h) {
  if (h == nullptr) return nullptr;
  for (exec::wdwrec* r = exec::wdwhead; r != nullptr; r = r->next)
    if (r->window == h) return r;
  return nullptr;
}

bool inlist(const exec::wdwrec* w) {
  for (const exec::wdwrec* r = exec::wdwhead; r != nullptr; r = r->next)
    if (r == w) return true;
  return false;
}

double valueof(std::int32_t k) {
  const std::int32_t s = rwopt(k);
  return s > 0 && core::z.valid(s) ? core::z(s) : 0.0;
}
bool valued(std::int32_t k) {
  const std::int32_t s = rwopt(k);
  return s > 0 && core::z.valid(s);
}
std::int32_t rounded(double v) {
  return std::isfinite(v) ? static_cast<std::int32_t>(std::lround(std::clamp(v, -2e9, 2e9))) : 0;
}
// A colour number 0 to 31 is a palette entry, a larger one an RGB value.
std::uint32_t colourof(double v) { return exec::colour(std::max(rounded(v), 0)); }

std::string textoption(std::int32_t k, std::string_view absent) {
  std::string_view t;
  if (!rwtext(rwopt(k), t)) return std::string(absent);
  return std::string(t);
}

// The line editor at the input window; open: the line is shown anew.
void keystep(bool open) {
  WindowRead& w = windowread;
  exec::wdwrec* in = recordof(w.input);
  if (in == nullptr || rwwindowcalls.LINEFIELD == nullptr) {
    // The window is gone: the line stands as it is.
    core::idestate &= ~core::busy::windowread;
    return;
  }
  exec::wdwrec* const current = exec::wdwcur;
  exec::wdwcur = in;
  const std::array<std::uint32_t, 2> colours{exec::rgbtab(inputtext), exec::rgbtab(inputback)};
  const std::size_t n =
      std::min<std::size_t>(static_cast<std::size_t>(w.characters) + 2, linelength);
  rwwindowcalls.LINEFIELD(std::span<char>(w.field.data(), n), w.line, w.column, colours, open);
  core::keyrec[0] = 0;
  if ((core::idestate & core::busy::lineinput) == 0) core::idestate &= ~core::busy::windowread;
  exec::wdwcur = inlist(current) ? current : exec::wdwhead;
}

}  // namespace

exec::wdwrec* rwtargetwindow() {
  if (valued(rwslot::windowhandle)) {
    const double v = valueof(rwslot::windowhandle);
    if (v >= 1.0 && v <= 4294967295.0)
      if (exec::wdwrec* r =
              recordof(win::handle_from<win::HWND>(static_cast<std::uint32_t>(std::llround(v)))))
        return r;
  }
  return exec::wdwhead;
}

void windowwrite(std::string_view shown, Outcome& out) {
  exec::wdwrec* r = rwtargetwindow();
  if (r == nullptr || (r->kind & notext) != 0) {
    out.letter = 'S';
    return;
  }
  const bool child = r != exec::wdwhead;
  exec::wdwrec* const entry = exec::wdwcur;
  exec::wdwcur = r;
  const std::uint32_t fore = valued(rwslot::forecolor) ? colourof(valueof(rwslot::forecolor))
                             : child                   ? static_cast<std::uint32_t>(r->textcolour)
                                                       : exec::colour(exec::colnum(7));
  const std::uint32_t back = valued(rwslot::backcolor) ? colourof(valueof(rwslot::backcolor))
                             : child ? exec::colour(static_cast<std::int32_t>(r->tablescale))
                                     : exec::colour(exec::colnum(8));
  exec::txtcolors = {fore, back};
  const std::int32_t print = rounded(valueof(rwslot::print));
  if (print > 0) {
    plot::SETPRINTSTATE(print);
  } else if ((r->printstate & toprinter) == 0) {
    plot::SETPRINTSTATE(towindow);
  }
  std::int32_t slot = !child || !plot::fontslots.valid(r->fontslot) ? firstwindowslot : r->fontslot;
  const bool fontasked = rwopt(rwslot::font) != 0 || rwopt(rwslot::points) != 0 ||
                         rwopt(rwslot::rotate) != 0 || rwopt(rwslot::underline) != 0 ||
                         rwopt(rwslot::bold) != 0 || rwopt(rwslot::italic) != 0;
  if (fontasked) {
    slot = plot::SETFONTPTROULBOITST(slot, rwopt(rwslot::font), rwopt(rwslot::points),
                                     rwopt(rwslot::rotate), rwopt(rwslot::underline),
                                     rwopt(rwslot::bold), rwopt(rwslot::italic), 0);
    if (slot == 0 || core::xeqstop != 0) {
      exec::wdwcur = inlist(entry) ? entry : exec::wdwhead;
      if (core::xeqstop != 0) out.letter = 'X';
      return;
    }
    if (child) r->fontslot = slot;
  }
  const double x = valued(rwslot::column) ? valueof(rwslot::column) : 1.0;
  const double y = valued(rwslot::recrow)    ? valueof(rwslot::recrow)
                   : rwgiven(rwslot::append) ? plot::afterlast
                                             : plot::nextline;
  std::string text;
  text.reserve(shown.size());
  for (char c : shown) {
    if (c == '|') {
      text += "\r\n";
    } else {
      text += c;
    }
  }
  const std::int32_t given = rounded(valueof(rwslot::columns));
  std::int32_t columns = given;
  std::int32_t status = 0;
  plot::RWPRINT(text, x, y, columns, slot, textoption(rwslot::align, " "),
                textoption(rwslot::decoration, ""), r, status);
  exec::wdwcur = inlist(entry) ? entry : exec::wdwhead;
  if (core::xeqstop != 0) {
    out.letter = 'X';
    return;
  }
  // A new orientation is news, not a failure. A print job that failed
  // names its document.
  if (status != 0 && status != plot::orientationchanged) out.status = status;
  if (plot::printfailure != 0) {
    out.letter = 'P';
    rwdetail.set(plot::printjob.document);
  }
  if (columns != given && valued(rwslot::columns)) core::SETZTOR8(rwopt(rwslot::columns), columns);
}

void titlebar(std::string_view text) {
  if (rwwindowcalls.WINDOWTITLEBAR == nullptr) return;
  rwwindowcalls.WINDOWTITLEBAR(rwopt(rwslot::windowhandle), text,
                               static_cast<std::int32_t>(text.size()));
}

void READWINDOW(std::string_view shown, std::int32_t column, std::int32_t line,
                std::int32_t characters, std::int32_t items, exec::wdwrec* window,
                std::span<char> typed) {
  auto put = [&typed](std::string_view t) {
    std::fill(typed.begin(), typed.end(), ' ');
    std::copy_n(t.begin(), std::min(t.size(), typed.size()), typed.begin());
  };
  if (exec::resumecode == readresume) {
    // The finish: the typed line, and the run as it was.
    put(std::string_view(windowread.field.data() + 1, linelength - 1));
    core::xeqmode = exec::savedmode;
    exec::resumecode = 0;
    exec::wdwrec* caller = recordof(windowread.caller);
    exec::wdwcur = caller != nullptr ? caller : exec::wdwhead;
    return;
  }
  shown = shown.substr(0, std::min(shown.size(), linelength));
  if (exec::windowlessrun || rwwindowcalls.LINEFIELD == nullptr || window == nullptr ||
      window->window == nullptr) {
    // Nobody to type: the shown line goes out, the typed one comes in
    // (at the end of the input the values stay).
    std::string in;
    const std::size_t e = shown.find_last_not_of(' ');
    const std::string_view trimmedshown =
        e == std::string_view::npos ? std::string_view() : shown.substr(0, e + 1);
    if (exec::windowlessrun && exec::standardout != nullptr) exec::standardout(trimmedshown);
    if (exec::windowlessrun && exec::standardin != nullptr && exec::standardin(in)) {
      put(in);
    } else {
      put(shown);
    }
    return;
  }
  WindowRead& w = windowread;
  w = WindowRead{};
  w.caller = exec::wdwcur != nullptr ? exec::wdwcur->window : nullptr;
  w.input = window->window;
  w.column = std::max(column, 1);
  w.line = std::max(line, 1);
  w.characters = std::clamp<std::int32_t>(characters, 0, static_cast<std::int32_t>(linelength) - 2);
  w.items = items;
  w.field.fill(' ');
  w.field[0] = lineediting;
  std::copy_n(shown.begin(), std::min(shown.size(), linelength - 1), w.field.begin() + 1);
  core::idestate |= core::busy::windowread;
  exec::resumecode = readresume;
  keystep(true);
  // A line that could not be opened is complete at once.
}

void READWINDOWKEY() {
  if ((core::idestate & core::busy::windowread) == 0) return;
  keystep(false);
}

void reset_readwindow() { windowread = WindowRead{}; }

}  // namespace io
