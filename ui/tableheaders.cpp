#include "ui/tableheaders.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <span>
#include <string_view>

#include "core/findprompt.h"
#include "core/messages.h"
#include "core/numwrite.h"
#include "core/runwords.h"
#include "core/stores.h"
#include "core/symbols.h"
#include "exec/windowlist.h"
#include "exec/windowwords.h"
#include "exec/xeq.h"
#include "io/rwfiles.h"
#include "platform/file_names.h"
#include "toolkit/dialog_update.h"
#include "toolkit/scrolling.h"
#include "toolkit/services.h"
#include "ui/bindings.h"
#include "ui/dialogs.h"
#include "ui/dialogwords.h"
#include "ui/tablechanges.h"
#include "ui/tablelayout.h"
#include "ui/tables.h"
#include "ui/tablesort.h"
#include "ui/tablework.h"
#include "ui/writeback.h"

namespace ui {

namespace {

// Choice codes of the More menu's prompts.
namespace choice {
inline constexpr std::int32_t lastgoto = 1007;  // a table of a script matrix: go to the cell
inline constexpr std::int32_t find = 1101;
inline constexpr std::int32_t filter = 1103;
inline constexpr std::int32_t gotocell = 1104;
inline constexpr std::int32_t magnify = 1105;
inline constexpr std::int32_t nextchange = 1106;
inline constexpr std::int32_t keeplayout = 1107;
inline constexpr std::int32_t changefilter = 1108;
inline constexpr std::int32_t reset = 1199;
inline constexpr std::int32_t modefind = 1201;
inline constexpr std::int32_t modesort = 1202;
inline constexpr std::int32_t modetext = 1203;
inline constexpr std::int32_t modegoto = 1204;
inline constexpr std::int32_t modeedit = 1209;
inline constexpr std::int32_t help = 1303;
inline constexpr std::int32_t firstedit = 1401;
inline constexpr std::int32_t lastedit = 1419;
}  // namespace choice

// The view flag of `mxflags`: display rows map through the row index.
constexpr std::int32_t viewflag = 1;
// Option box 5 (bit 0x10) follows the view flag.
constexpr std::size_t viewbox = 4;
// The style option that marks the More button as used.
constexpr std::uint32_t moreused = 0x20000000;
// Cell access of a displayed cell, and the edit commands' mode.
constexpr std::int32_t editmode = 0x80;
// Conditions a search tests.
constexpr std::int32_t maxconditions = 8;
constexpr double zeps = 1.0e-13;
constexpr std::size_t searchlength = 40;

// The prompt values: window, rows shown, row, columns, remembered column,
// found stored row, column, row.
std::array<std::int32_t, 8> pv{};
// The value found and the tolerance, bound to the prompts.
std::array<double, 2> numbers{};

std::string trimmed(std::string_view s) {
  const std::size_t a = s.find_first_not_of(' ');
  if (a == std::string_view::npos) return {};
  return std::string(s.substr(a, s.find_last_not_of(' ') - a + 1));
}

void settitle(win::HWND window, const std::string& title) {
  win::SetWindowTextA(window, title.c_str());
  if (exec::wdwcur != nullptr) exec::wdwcur->title.set(title);
}

// The window's tables redrawn, the current one moved so that display row
// `row` and column `col` are its first visible ones (0: kept).
void moveview(win::HWND window, std::int32_t row, std::int32_t col) {
  mxrec* t = mxcur;
  if (t == nullptr) return;
  const std::int32_t drow = row > 0 ? row - t->toprow : 0;
  const std::int32_t dcol = col > 0 ? col - t->leftcol : 0;
  MATRIXUPDATE(window, 0, 0, dcol, drow, 0);
}

void packoptions() {
  moremenu.options = 0;
  for (std::size_t i = 0; i < moremenu.boxes.size(); ++i)
    if (moremenu.boxes[i] != 0) moremenu.options |= 1 << i;
}

void refillenable() {
  std::array<std::int16_t, 6> flags{};
  CHECK_UNDO_REDO(flags);
  for (std::size_t i = 0; i < flags.size(); ++i) moremenu.enable[i + 2] = flags[i];
}

// The search text recorded at the top of the history file.
void recordsearch() {
  std::error_code ec;
  const auto size = std::filesystem::file_size(plat::system_path(core::searchhistory), ec);
  const std::string entry = trimmed(moremenu.search) + "\r\n";
  int count = 1;
  int mode = 0;
  core::SEARCHFILERW(ec ? 0 : static_cast<std::int64_t>(size), core::searchunit, entry, count,
                     mode);
}

// Shows the prompt of `key` with the menu's state bound; true when the
// table went away meanwhile (its file unit is then closed).
bool FAILEDHELP(std::string_view key, std::int32_t& answer) {
  const std::int32_t unit = mxcur != nullptr ? mxcur->unit : 0;
  const std::int32_t serial = mxcur != nullptr ? mxcur->serial : 0;
  exec::wdwrec* const w = exec::wdwcur;
  const win::HWND window = w != nullptr ? w->window : nullptr;
  refillenable();
  std::array<float, 1> history{1.0F};
  numbers = {moremenu.value, moremenu.tolerance};
  core::HelpValues v;
  v.bytes = moremenu.boxes;
  v.halves = moremenu.enable;
  v.words = pv;
  v.singles = history;
  v.doubles = numbers;
  v.text = std::span<char>(moremenu.search.data(), searchlength);
  v.characters = std::span<char>(moremenu.display.data(), moremenu.display.size());
  v.count = static_cast<int>(moremenu.display.size());
  int a = 0;
  core::HELP(key, a, v);
  answer = a;
  moremenu.value = numbers[0];
  moremenu.tolerance = numbers[1] > 0.0 ? numbers[1] : zeps;
  if (!key.empty() && (key.back() == 'F' || key.back() == 't')) recordsearch();
  // The table's window may have closed while the prompt was shown.
  exec::wdwrec* found = nullptr;
  for (exec::wdwrec* r = exec::wdwhead; r != nullptr; r = r->next)
    if (r->window == window && window != nullptr) found = r;
  if (found != nullptr) {
    exec::wdwcur = found;
    for (mxrec* t = found->firsttable; t != nullptr; t = t->next)
      if (t->serial == serial) {
        mxcur = t;
        return false;
      }
  }
  mxcur = nullptr;
  if (unit > 0 && io::isscriptunit(unit)) io::RWCLOSESHOWN(unit);
  return true;
}

void RESETINTERNAL(win::HWND window) {
  exec::wdwrec* w = exec::wdwcur;
  if (w == nullptr || w->firsttable == nullptr) return;
  mxrec* const kept = mxcur;
  for (mxrec* t = w->firsttable; t != nullptr; t = t->next) {
    if (t->unit > 0) t->nrows = storedlines(t->unit);
    t->sortcol = 0;
    t->mxflags &= ~viewflag;
    // The cluster bars back to 0.
    if (t->unit > 0)
      for (std::int32_t i = t->lastitem - t->viscols + 1; i <= t->lastitem; ++i)
        if (w->dialogitems.valid(i) && (w->dialogitems(i).type & 0xFFFF) == toolkit::DLG_TRACKBAR) {
          std::int32_t zero = 0;
          tw::ItemChange change;
          change.ivalue = &zero;
          tw::updateitem(w->dialogitems(i), w->window, change);
        }
  }
  FREEMXSORTINDEX(*w->firsttable);
  mxcur = kept;
  if (mxcur != nullptr) moveview(window, 1, 0);
  std::string title;
  if (w->titlevar > 0) tw::symboltext(w->titlevar, title);
  title = trimmed(title);
  if (title.empty() && mxcur != nullptr) title = std::to_string(mxcur->nrows) + " rows";
  if (!title.empty()) settitle(window, title);
}

// The stored row that display row r of the current table shows.
std::int32_t storedrow(std::int32_t r) {
  return mxcur != nullptr ? EXPANDMXROW(mxcur->unit, r) : r;
}

std::string celltext(std::int32_t row, std::int32_t col) {
  std::array<char, 256> text{};
  text.fill(' ');
  exec::ctlrec* const keptctl = exec::ctlcur;
  exec::ctlcur = nullptr;
  IOCHARMXELEMENT(mxcur->unit, row, col, text, cellmode::shown);
  exec::ctlcur = keptctl;
  core::msgkey.blank();
  return std::string(text.data(), text.size());
}

void setdisplay(const std::string& s) {
  moremenu.display.assign(s.substr(0, std::min<std::size_t>(s.size(), 256)));
  moremenu.display.resize(256, ' ');
}

void magnify() {
  mxrec* t = mxcur;
  pv[5] = t->toprow + t->currow - 1;
  pv[6] = t->leftcol + t->curcol - 1;
  const std::int32_t fc = t->mapped(pv[6]);
  const bool number = fc >= 1 && fc < static_cast<std::int32_t>(t->colinfo.size()) &&
                      t->colinfo[static_cast<std::size_t>(fc)].letter != 'A';
  if (number) {
    double v = 0.0;
    std::int32_t state = 0;
    IOR8MXELEMENT(t->unit, pv[5], pv[6], 0, v, state, cellmode::read | cellmode::displayed);
    std::array<char, 23> n{};
    core::WTSID8(n, v, 0);
    setdisplay(trimmed(std::string_view(n.data(), n.size())));
  } else {
    setdisplay(celltext(pv[5], pv[6]));
  }
  core::msgkey.blank();
}

// The prompt values afresh.
void promptvalues(win::HWND window) {
  mxrec* t = mxcur;
  pv[0] = static_cast<std::int32_t>(reinterpret_cast<std::intptr_t>(window) & 0x7FFFFFFF);
  pv[1] = t->nrows;
  pv[2] = t->currow + t->toprow - 1;
  pv[3] = t->ncols;
  pv[4] = moremenu.column;
  pv[5] = 6;
  pv[6] = 7;
  pv[7] = pv[2];
}

enum class Next { prompt, end, leave };

// Finds (1101) or steps to the next change (1106) from the first visible
// row, showing each hit until the user stops.
Next searchloop(win::HWND window, std::int32_t column, std::int32_t c) {
  mxrec* t = mxcur;
  const std::int32_t searchcol = std::max(column, 0);
  std::int32_t row = t->toprow;
  const std::int32_t filevar = io::isscriptunit(t->unit) ? io::rwfiles(t->unit).filevar : 0;
  mxsearchcol = searchcol;
  for (;;) {
    mxsearchrow = row;
    double value = moremenu.value;
    if (c == choice::find) {
      const std::string text = moremenu.search.substr(0, searchlength);
      if (!MATRIXSEARCH(filevar, maxconditions, text, static_cast<std::int32_t>(searchlength),
                        moremenu.options, cellmode::shown, row, value, moremenu.tolerance)) {
        core::msgkey.blank();
        return Next::prompt;
      }
    } else {
      MATRIXDELTASEARCH(filevar, moremenu.options, row, value);
      core::msgkey.blank();
    }
    moremenu.value = value;
    moveview(window, row, std::max(searchcol, 1));
    pv[5] = storedrow(row);
    if (moremenu.mode == 'G') return Next::end;
    std::int32_t answer = 0;
    bool gone = false;
    if (value == mxnonumber) {
      setdisplay(searchcol > 0 ? celltext(row, std::max(pv[6], searchcol)) : mxfoundtext);
      gone = FAILEDHELP("mx2FFcfound", answer);
    } else {
      gone = FAILEDHELP("mx2FFnfound", answer);
    }
    if (gone) return Next::leave;
    packoptions();
    if (answer == choice::find) {
      c = choice::find;
    } else if (answer > choice::find) {
      c = choice::nextchange;
    } else {
      return Next::end;
    }
  }
}

// Filters with the search text; true when rows are left.
bool filterrows(win::HWND window, std::int32_t column) {
  mxrec* t = mxcur;
  mxsearchcol = std::max(column, 0);
  const std::string text = trimmed(moremenu.search);
  std::int32_t rows = t->nrows;
  core::msgkey.blank();
  std::int32_t n = MATRIXFILTER(t->unit, text, static_cast<std::int32_t>(text.size()), rows,
                                moremenu.options, moremenu.tolerance);
  if (n <= 0 && !core::msgkey.is_blank()) {
    int answer = 0;
    core::MSGBOXFROMHELP(core::msgkey.trimmed(), text, answer);
    core::msgkey.blank();
    return false;
  }
  if (n <= 0) {
    // Nothing left of the rows shown: the same filter on the whole table.
    RESETINTERNAL(window);
    rows = t->nrows;
    n = MATRIXFILTER(t->unit, text, static_cast<std::int32_t>(text.size()), rows, moremenu.options,
                     moremenu.tolerance);
    core::msgkey.blank();
    if (n <= 0) {
      RESETINTERNAL(window);
      settitle(window, "filter matches 0 rows");
      return false;
    }
  }
  t->nrows = rows;
  t->mxflags |= viewflag;
  moremenu.boxes[viewbox] = 1;
  moveview(window, 1, 1);
  settitle(window, std::to_string(t->nrows) + " filtered rows");
  return n > 0;
}

void PROMPTINTERNAL(win::HWND window, toolkit::dialog_t* items, int item, std::int32_t& column) {
  exec::wdwrec* w = exec::wdwcur;
  if (w == nullptr || mxcur != w->firsttable) return;
  column = pv[4];
  if (items != nullptr && item >= 1) {
    // The More button takes the focus back, on its live control too.
    const std::int32_t state = static_cast<std::int32_t>(moreused);
    toolkit::UPDATE_DIALOG_ITEM(items[item - 1], window != nullptr ? &window : nullptr, nullptr,
                                nullptr, 0, nullptr, 0, nullptr, nullptr, nullptr, nullptr, nullptr,
                                nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                                nullptr, nullptr, nullptr, nullptr, nullptr, 0, nullptr, nullptr,
                                nullptr, nullptr, &state, nullptr, nullptr);
  }
}

}  // namespace

void CHECKRADIOANDCO(std::int32_t state, std::int32_t n, std::int32_t variable, bool radio) {
  if (variable <= 0 || n < 1) return;
  if (core::NAMTYP(variable, tw::typearray) != 0) {
    if (radio)
      for (std::int32_t k = 0;; ++k) {
        const std::int32_t cell = cellof({0, variable, k});
        if (cell <= 0) break;
        core::z(cell) = 0.0;
      }
    const std::int32_t cell = cellof({0, variable, n - 1});
    if (cell <= 0) return;
    const double v = std::isfinite(core::z(cell)) ? std::round(core::z(cell)) : 0.0;
    core::z(cell) = 1.0 - std::clamp(v, 0.0, 1.0);
    return;
  }
  if (!core::z.valid(variable)) return;
  if (radio) {
    core::z(variable) = n;
    return;
  }
  if (n > 32) return;
  std::int64_t v =
      std::isfinite(core::z(variable))
          ? static_cast<std::int64_t>(std::llround(std::clamp(core::z(variable), -9.0e15, 9.0e15)))
          : 0;
  const std::int64_t bit = std::int64_t{1} << (n - 1);
  v = state != 0 ? (v | bit) : (v & ~bit);
  core::z(variable) = static_cast<double>(v);
}

void MXMOREBUTTON(win::HWND window, toolkit::dialog_t* items, int item, std::int32_t& column,
                  char& mode, std::int32_t& options, std::int32_t& c) {
  exec::wdwrec* w = tablewindow(window);
  if (w == nullptr || mxcur == nullptr) return;
  if (moremenu.tolerance <= 0.0) moremenu.tolerance = zeps;
  moremenu.mode = mode;
  promptvalues(window);
  mxrec* t = mxcur;
  while (t != nullptr && t->unit <= 0) t = t->prev;
  if (t == nullptr) {
    // A table of a script matrix: go to a cell or keep the layout.
    std::int32_t answer = 0;
    if (FAILEDHELP("mx2helpFF", answer)) return;
    c = answer;
    if (answer > 0 && answer <= choice::lastgoto) {
      moremenu.row = std::max(pv[2], 1);
      moremenu.column = std::max(pv[4], 1);
      moveview(window, moremenu.row, moremenu.column);
    } else if (answer == choice::keeplayout) {
      tablewindow(window);  // (the menu's close made its owner current)
      MXLAYOUT(1);
    }
    return;
  }
  mxcur = t;
  for (;;) {
    moremenu.boxes[viewbox] = static_cast<std::int8_t>(t->mxflags & 0xFF);
    const std::string key = std::string("mx2FF") + moremenu.mode;
    std::int32_t answer = 0;
    if (FAILEDHELP(key, answer)) return;
    c = answer;
    column = pv[4];
    t = mxcur;
    if (moremenu.boxes[viewbox] != 0) {
      t->mxflags |= viewflag;
    } else {
      t->mxflags &= ~viewflag;
    }
    PROMPTINTERNAL(window, items, item, column);
    if (mxcur == nullptr) return;
    core::xeqstop = 0;
    packoptions();
    options = moremenu.options;
    bool again = false;
    switch (answer) {
      case choice::find:
      case choice::nextchange: {
        const Next n = searchloop(window, column, answer);
        if (n == Next::leave) return;
        again = n == Next::prompt;
        break;
      }
      case choice::filter:
        again = !filterrows(window, column);
        break;
      case choice::gotocell:
        moremenu.column = std::max(pv[4], 1);
        moremenu.row = pv[2];
        moveview(window, moremenu.row, moremenu.column);
        break;
      case choice::magnify: {
        magnify();
        std::int32_t back = 0;
        if (FAILEDHELP("mx2FFmagnify", back)) return;
        again = back == choice::modetext;
        if (again) moremenu.mode = 't';
        break;
      }
      case choice::keeplayout:
        tablewindow(window);
        MXLAYOUT(1);
        break;
      case choice::changefilter:
        moremenu.column = pv[4];
        MATRIXDELTAFILTER(moremenu.row, moremenu.column, moremenu.mode, moremenu.options);
        core::msgkey.blank();
        moveview(window, moremenu.row, moremenu.column);
        break;
      case choice::reset:
        RESETINTERNAL(window);
        break;
      case choice::modefind:
      case choice::modesort:
      case choice::modetext:
      case choice::modegoto:
        moremenu.mode = "FStG"[answer - choice::modefind];
        again = true;
        break;
      case choice::modeedit:
        refillenable();
        moremenu.mode = 'E';
        again = true;
        break;
      case choice::help: {
        std::int32_t ignored = 0;
        if (FAILEDHELP("mX2FFtH", ignored)) return;
        again = true;
        break;
      }
      default:
        if (answer >= choice::firstedit && answer <= choice::lastedit) {
          moremenu.row = pv[2];
          moremenu.column = pv[4];
          std::int32_t row = moremenu.row, colout = moremenu.column;
          MXEDIT(t->unit, moremenu.column, row, colout, answer, editmode);
          moremenu.row = row;
          moveview(window, moremenu.row, moremenu.column);
        }
        break;
    }
    if (!again) break;
    promptvalues(window);
  }
  mode = moremenu.mode;
  moremenu.column = column;
  core::xeqstop = 0;
}

int MXHEADERSPROC(win::HWND& window, toolkit::dialog_t* items, int& item) {
  if (items == nullptr || item < 1) return -1;
  // The write-back's box and the More menu's prompts let the user close
  // the window meanwhile: its items stay readable, nothing more is done.
  const exec::ItemsHeld held;
  if (editguard.window == window && window != nullptr) WRITESDORFMT();
  if (!win::IsWindow(window)) return -1;
  toolkit::dialog_t& it = items[item - 1];
  std::int32_t position = 0;
  exec::ctlrec* c = WINDOWITEM(window, it.id, position);
  exec::wdwrec* w = exec::wdwcur;
  if (c == nullptr || w == nullptr) return -1;
  lastident = c->ctlident;
  SETMEMORY(windowvar(w->returncodevar), c->ctlident, {});
  lastdlgwindow = window;
  if (it.event_code != toolkit::kEventChanged) return -1;
  std::int32_t offset = 0;
  mxrec* t = w->firsttable;
  while (t != nullptr && t->lastitem < item) {
    offset += t->ncols;
    t = t->next;
  }
  if (t == nullptr) return -1;
  mxcur = t;
  std::int32_t column = std::max(w->cellcol - offset, 1);
  std::int32_t sel = 0, number = 0;
  bool sort = (c->ctlkind & ck::pushbutton) != 0 && item < t->firstrowitem;
  const bool radio = (it.type & 0xFFFF) == toolkit::DLG_RADIOBUTTON;
  if (item == t->firstitem - 1) {
    std::int32_t chosen = 0;
    MXMOREBUTTON(window, items, item, column, moremenu.mode, moremenu.options, chosen);
    if (!win::IsWindow(window)) return -1;
    int ups = 0;
    if (exec::closehandle != window) toolkit::SET_FOREGROUND(window, &ups);
    if (chosen == choice::reset || moremenu.mode != 'S' || mxcur == nullptr) return -1;
    t = mxcur;
    sort = true;
  } else if (item >= t->firstitem && item < t->firstitem + t->viscols) {
    column = t->leftcol + (item - t->firstitem);
    t->curcol = item - t->firstitem + 1;
    w->cellcol = offset + column;
    sel = t->colsel;
    number = column;
  } else if (item >= t->firstrowitem && item < t->firstrowitem + t->visrows) {
    const std::int32_t row = t->toprow + (item - t->firstrowitem);
    t->currow = item - t->firstrowitem + 1;
    w->cellrow = row;
    sel = t->rowsel;
    number = EXPANDMXROW(t->unit, row);
    sort = false;
  } else {
    return -1;
  }
  MXMARKSUPDATE(-1);
  MXMARKSUPDATE(1);
  if (sel > 0) CHECKRADIOANDCO(it.integer_value, number, sel, radio);
  if (sort && t->unit > 0) {
    if (item >= t->firstitem && item < t->firstitem + t->viscols) {
      const std::string busy = "sorting...";
      tw::ItemChange change;
      change.text = &busy;
      tw::updateitem(it, window, change);
    }
    t->mxflags |= viewflag;
    if (w->firsttable != nullptr) w->firsttable->mxflags = t->mxflags;
    SORTMXCOLUMN(column, moremenu.options);
    mxcur = t;
    moveview(window, 1, 0);
  }
  const bool selects = t->colsel > 0 || (t->rowsel > 0 && item >= t->firstrowitem);
  if (c->ctllink > 1 && item > t->firstitem - 1 && selects) {
    // The run waiting in this dialog waits on once the callback is back.
    exec::tablehwnd = window;
    exec::tablescope = core::lokalscope;
    POSTCALLBACK(c->ctllink);
  }
  const std::int32_t colvar = t->colvar, rowvar = t->rowvar;
  t->colvar = t->rowvar = 0;
  UPDATEWINDOW(window, 0, 4);
  if (mxcur == t) {
    t->colvar = colvar;
    t->rowvar = rowvar;
  }
  return -1;
}

int MXCLUSTERSPROC(win::HWND& window, toolkit::dialog_t* items, int& item) {
  if (items == nullptr || item < 1) return -1;
  const exec::ItemsHeld held;
  toolkit::dialog_t& it = items[item - 1];
  std::int32_t position = 0;
  exec::ctlrec* c = WINDOWITEM(window, it.id, position);
  exec::wdwrec* w = exec::wdwcur;
  if (c == nullptr || w == nullptr) return -1;
  lastident = c->ctlident;
  SETMEMORY(windowvar(w->returncodevar), c->ctlident, {});
  lastdlgwindow = window;
  mxrec* t = w->firsttable;
  while (t != nullptr && t->lastitem < item) t = t->next;
  if (t == nullptr) return -1;
  mxcur = t;
  ALLOCATEMXSORTINDEX();
  ALLOCATEMXCLUSTERINFO(mxmaxkeys);
  mxcur = t;
  if (c->ctlkind == ck::pushbutton) {
    MXCLUSTERUPDOWN(item);
  } else if (c->ctlkind == ck::trackbar && it.event_code == 8) {
    MXCLUSTERSORT(0, it.integer_value, mxmaxkeys, t->nrows);
  } else {
    return -1;
  }
  mxcur = t;
  MATRIXUPDATE(window);
  return -1;
}

void reset_tableheaders() {
  moremenu = MoreMenu{};
  pv.fill(0);
  numbers.fill(0.0);
}

}  // namespace ui
