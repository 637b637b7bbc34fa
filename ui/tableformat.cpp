// The set-up of a table: where its cells come from (a numeric array, a
// character variable with fixed-width or delimited fields, or a script file
// opened with a Format), its rows and columns, the format and order of its
// columns and its visible block; the mapping of displayed rows to stored
// rows.
#include <algorithm>
#include <cmath>
#include <filesystem>

#include "core/messages.h"
#include "core/runwords.h"
#include "core/stores.h"
#include "core/symbols.h"
#include "exec/windowwords.h"
#include "io/formatparse.h"
#include "io/lineindex.h"
#include "io/rwfiles.h"
#include "io/tableelement.h"
#include "platform/file_names.h"
#include "platform/file_units.h"
#include "plot/fontslots.h"
#include "ui/dialogwords.h"
#include "ui/tablelayout.h"
#include "ui/tables.h"
#include "ui/tablework.h"

namespace ui {

namespace {

constexpr std::int32_t notset = 2147483647;
constexpr std::int32_t defaultrows = 10;

// The rows of a file that has a filter row list: the lines that pass among
// the first `rows`.
std::int32_t filteredrows(const io::RwFile& r, std::int32_t rows) {
  if (!r.rowlist) return rows;
  std::int32_t n = 0;
  for (std::int32_t i = 1; i <= rows && r.rowlist->valid(i); ++i)
    if ((*r.rowlist)(i) > 0) ++n;
  return n;
}

// The failure of a set-up: the key stays for the caller, the record goes.
std::int32_t refuse(mxrec* t, std::string_view key, std::string_view detail = {}) {
  core::msgkey.set(key);
  if (!detail.empty()) core::failedline.set(detail);
  if (t != nullptr) {
    if (t->prev != nullptr)
      t->prev->next = nullptr;
    else
      pendingtables = nullptr;
    if (mxcur == t) mxcur = nullptr;
    delete t;
  }
  return 0;
}

// The columns of a format walked descriptor by descriptor into the table's
// column records (from 1 to F).
void fillcolumns(mxrec& t, std::string_view fmt, std::int32_t f, std::int32_t viscols,
                 std::int32_t defwidth, bool delimited, std::string_view text,
                 const tw::Delimited& pieces) {
  t.colinfo.assign(static_cast<std::size_t>(f) + 1, ColInfo{});
  std::int32_t filled = 0;
  std::int64_t start = 1;
  const auto n = static_cast<std::int32_t>(fmt.size());
  std::int32_t pos = 1;
  ColInfo last;
  last.width = defwidth;
  last.letter = 'F';
  bool any = false;
  // The longest cell at column c of a delimited text.
  const auto longest = [&](std::int32_t c) {
    std::int32_t most = 1;
    const std::int32_t rows = tw::delimitedrows(pieces, f);
    for (std::int32_t r = 1; r <= rows; ++r) {
      tw::Piece p;
      if (tw::delimitedcell(text, pieces, f, r, c, p)) most = std::max(most, p.length);
    }
    return most;
  };
  const auto put = [&](ColInfo c) {
    ++filled;
    if (c.width < 0 && delimited) c.width = viscols < 1 ? -longest(filled) : -10 * viscols;
    c.start = static_cast<std::int32_t>(start);
    start += c.width;
    t.colinfo[static_cast<std::size_t>(filled)] = c;
    last = c;
    any = true;
  };
  while (filled < f && pos >= 1 && pos <= n) {
    io::FmtDescr d;
    const std::int32_t at = pos;
    io::PARSENEXTFORMAT(fmt, n, pos, d);
    if (pos < 0 && d.letter == ' ') break;
    const char letter = d.letter;
    if (letter == '(' || letter == ')' || letter == 'a') {
      if (pos < 0) break;
      continue;
    }
    std::int64_t repeat = d.repeat == io::fmtnorepeat ? 1 : std::max(d.repeat, 1);
    if (letter == 'X') {
      start += repeat * std::max(d.width, 1);
      if (pos < 0) break;
      continue;
    }
    repeat = std::min<std::int64_t>(repeat, f);
    ColInfo c;
    const std::int32_t from = d.textstart >= 1 ? d.textstart : at;
    const std::int32_t to = d.textend >= from ? d.textend : std::abs(pos) - 1;
    if (from >= 1 && to >= from && to <= n)
      c.descr.assign(
          fmt.substr(static_cast<std::size_t>(from - 1), static_cast<std::size_t>(to - from + 1)));
    if (d.width <= 0 || letter == ' ' || letter == '?') {
      // No width (or no letter): a text column of the default width for
      // every column left.
      c.letter = 'A';
      c.width = -defwidth;
      const std::size_t digits = c.descr.find_first_not_of("0123456789");
      c.descr = digits == std::string::npos ? std::string() : c.descr.substr(digits);
      repeat = f;
    } else {
      c.letter = letter;
      c.width = d.width;
    }
    for (std::int64_t k = 0; k < repeat && filled < f; ++k) put(c);
    if (pos < 0) break;
  }
  // A format shorter than the columns repeats its last descriptor.
  if (!any) {
    last.letter = delimited ? 'A' : 'F';
    last.width = delimited ? -defwidth : defwidth;
  }
  while (filled < f) put(last);
}

// The file behind a text, when the text names one that exists but that no
// unit holds open.
bool closedfile(const std::string& text) {
  const std::size_t a = text.find_first_not_of(' ');
  if (a == std::string::npos) return false;
  const std::string name = text.substr(a, text.find_last_not_of(' ') - a + 1);
  if (name.size() > 255) return false;
  std::error_code ec;
  if (!std::filesystem::is_regular_file(plat::system_path(name), ec)) return false;
  plat::FileNameInfo info;
  plat::inquire_name(name, info);
  return info.exists && info.unit < 0;
}

}  // namespace

std::int32_t SETMATRIXFORMAT(const TableRequest& q) {
  const std::int32_t object = q.object;
  if (object < 1 || object > core::nsym) return 0;
  const std::int32_t type = core::NAMTYP(object, 0xFFF);
  const bool isfile = (type & tw::typefile) != 0;
  const bool isarray = !isfile && (type & tw::typearray) != 0;
  const bool ischar = !isfile && !isarray && (type & tw::typechar) != 0 &&
                      (type & (tw::typeconst | tw::typetemp)) == 0;
  std::string objtext;
  std::int32_t objfirst = 0;
  if (ischar) {
    tw::symboltext(object, objtext, objfirst);
    if (closedfile(objtext)) return refuse(nullptr, core::MSGKEY("mx2fileNotOpen"), objtext);
  }
  if (!isfile && !isarray && !ischar)
    return q.format > 0 || !q.formattext.empty() ? refuse(nullptr, core::MSGKEY("mx2noConsts")) : 0;

  auto* t = new mxrec;
  if (pendingtables == nullptr) {
    pendingtables = t;
  } else {
    mxrec* tail = pendingtables;
    while (tail->next != nullptr) tail = tail->next;
    tail->next = t;
    t->prev = tail;
    t->serial = tail->serial + 1;
  }
  mxcur = t;
  mxbuildno = 1;
  t->optpos = q.key;
  t->object = object;
  t->fmtsym = q.format > 0 ? q.format : -1;
  t->coltitle = q.coltitle;
  t->rowtitle = q.rowtitle;
  t->colsel = q.colsel;
  t->rowsel = q.rowsel;
  t->stmt = core::xeqline;

  std::int32_t columns = notset, rows = 0;
  io::RwFile* file = nullptr;
  if (isfile) {
    const std::int32_t unit = core::name(object).adr;
    if (!io::isscriptunit(unit) || io::rwfiles(unit).filevar < 1)
      return refuse(t, core::MSGKEY("mx2fileNotOpen"), objtext);
    file = &io::rwfiles(unit);
    const std::int32_t mode = file->mode;
    if ((mode & io::rwflag::direct) != 0 && (mode & io::rwflag::binary) == 0)
      return refuse(t, core::MSGKEY("mx2noBINnoSEQ"));
    t->unit = unit;
    if (file->rowlist) t->mxflags |= mxfiltered;
  } else if (isarray) {
    const std::int32_t first = core::I4EQUZ(1, object), second = core::I4EQUZ(2, object);
    if (first < 1 || second < 1) return refuse(t, {});
    rows = first;
    columns = second;
    if (first == 1) {
      rows = second;
      columns = 1;
    }
  } else {
    rows = columns = 1;
  }
  t->ncolsdata = columns;

  const std::int32_t listed = CHECKMXCOLUMNORDER();
  if (listed > 0) columns = std::min(columns, listed);
  const std::int32_t defwidth = std::max(builder.defwidth / 4, 1);

  if (q.format <= 0 && q.formattext.empty()) {
    if (isfile) return refuse(t, core::MSGKEY("mx2noFileFmt"));
    if (ischar) return refuse(t, core::MSGKEY("mx2noAfmtforCh"));
    const std::int32_t f = listed > 0 ? std::min(columns, listed) : columns;
    t->ncols = columns;
    t->nfmtcols = f;
    t->cellchars = columns;
    t->colinfo.assign(static_cast<std::size_t>(f) + 1, ColInfo{});
    for (std::int32_t c = 1; c <= f; ++c) {
      ColInfo& ci = t->column(c);
      ci.width = defwidth;
      ci.letter = 'F';
    }
  } else {
    std::string fmt = q.formattext;
    if (q.format > 0 && !tw::symboltext(q.format, fmt))
      return refuse(t, core::MSGKEY("mx2noConsts"));
    if (!io::FORMATFITSSTORE(fmt)) return refuse(t, core::MSGKEY("mx2fmtWide"), fmt);
    std::int32_t recl = 0, f = 0;
    char kind = ' ';
    io::GETRECLFROMFMT(recl, fmt, static_cast<std::int32_t>(fmt.size()), f, notset, kind);
    const bool textkind = kind == 'A' || kind == '?' || kind == '2';
    if (textkind) columns = f;
    if (columns < f) f = columns;
    if (columns == notset) columns = f;
    if (isarray && columns > f) f = columns;  // the last descriptor repeats
    if (listed > 0) f = std::min(f, listed);
    tw::Delimited pieces;
    bool delimited = false;
    // Every column takes at least one character of the record: a format
    // that describes more columns than a file's record or a text is wide
    // gets no more column records than it has characters.
    const auto narrow = [&](std::int64_t width) {
      const auto most = static_cast<std::int32_t>(std::clamp<std::int64_t>(width, 1, notset));
      f = std::min(f, most);
      columns = std::min(columns, most);
    };
    if (isfile) {
      if (file->format == 0) return refuse(t, core::MSGKEY("mx2noFileFmt"));
      std::int32_t filerows = 0;
      if (!io::FILEISINDEXED(t->unit, file->format, filerows) &&
          (file->mode & (io::rwflag::sequential | io::rwflag::unformatted)) ==
              io::rwflag::sequential) {
        std::int32_t longest = 0;
        io::MAKEFILEINDEX(t->unit, filerows, longest, '"', 0, 0);
      }
      if (!core::msgkey.is_blank()) return refuse(t, std::string(core::msgkey.trimmed()));
      std::int32_t shaperows = 0, filecols = 0;
      if (io::tableshape(t->unit, shaperows, filecols)) {
        narrow(std::max(file->recl, filecols));
        columns = std::min(f, std::max(filecols, 0));
        rows = shaperows;
      } else {
        narrow(file->recl);
        columns = f;
        rows = file->recl > 0 ? static_cast<std::int32_t>(std::min<std::int64_t>(
                                    (file->filelength + file->recl - 1) / file->recl, notset))
                              : 0;
      }
      rows = filteredrows(*file, rows);
      t->ncolsdata = columns;
      f = std::max(f, columns);
    } else if (ischar) {
      if (kind != 'A' && kind != '?') return refuse(t, core::MSGKEY("mx2noAfmtforCh"));
      narrow(static_cast<std::int64_t>(objtext.size()));
      if (kind == 'A') {
        rows = static_cast<std::int32_t>(objtext.size()) / std::max(recl, 1);
      } else {
        delimited = true;
        pieces = tw::splitdelimited(objtext);
        rows = tw::delimitedrows(pieces, f);
        if (rows < 1 || f < 1) return refuse(t, core::MSGKEY("mx2isScalar"));
      }
      t->ncolsdata = columns;
    } else if (kind == 'A' || kind == '?') {
      return refuse(t, core::MSGKEY("mx2AfmtforR8"));
    }
    t->ncols = std::max(columns, 1);
    t->nfmtcols = std::max(f, 1);
    t->cellchars = ischar ? std::max(recl, 0) : t->ncolsdata;
    fillcolumns(*t, fmt, t->nfmtcols, q.viscols, defwidth, delimited, objtext, pieces);
    if (ischar && recl < 1) t->cellchars = 0;
    if (isfile) {
      // A column the file's layout does not have can show nothing.
      std::int32_t shaperows = 0, filecols = 0;
      const bool layout = io::tableshape(t->unit, shaperows, filecols);
      for (std::int32_t c = 1; c <= t->nfmtcols; ++c)
        t->column(c).unusable = layout && c > filecols;
    }
  }
  t->nrows = std::max(rows, 0);
  t->nrowsdata = t->nrows;

  // The column order: listed by the titles, else as stored.
  t->colmap.assign(static_cast<std::size_t>(t->ncols) + 1, 0);
  for (std::int32_t c = 1; c <= t->ncols; ++c) t->colmap[static_cast<std::size_t>(c)] = c;
  if (listed > 0) {
    CHECKMXCOLUMNORDER();
    t->mxflags |= mxordered;
  }

  // The visible block: a kept layout's, else as asked or as fits.
  std::int32_t keptcols = 0, keptrows = 0;
  const bool keptlayout = takelayout(keptcols, keptrows);
  std::int32_t total = 1;
  for (std::int32_t c = 1; c <= t->nfmtcols; ++c) total += std::abs(t->column(c).width);
  std::int32_t vc = 0;
  if (keptlayout) {
    vc = std::min({t->ncols, t->nfmtcols, keptcols});
  } else if (q.viscols >= 1) {
    vc = std::min({t->ncols, t->nfmtcols, q.viscols});
  } else {
    std::int32_t cw = 8;
    if (plot::fontslots.valid(plot::ifontslot) && plot::fontslots(plot::ifontslot).cellwidth > 0)
      cw = plot::fontslots(plot::ifontslot).cellwidth;
    std::int32_t sw = exec::sysmetrics(exec::metric::screenwidth);
    if (sw <= 0) sw = 1280;
    const double fits = t->ncols * 0.8 * (static_cast<double>(sw) / cw) / std::max(total, 1);
    vc = std::min({t->ncols, t->nfmtcols, static_cast<std::int32_t>(std::min(fits, 1.0e6))});
  }
  std::int32_t vr = q.visrows < 1 ? std::min(t->nrows, defaultrows) : std::min(t->nrows, q.visrows);
  if (t->prev != nullptr && q.visrows >= 1) vr = std::min(vr, pendingtables->visrows);
  if (keptlayout) vr = std::min(t->nrows, keptrows);
  t->viscols = std::max(vc, 1);
  t->visrows = std::max(vr, 1);
  t->firstvis = 1;
  t->lastvis = (t->visrows - 1) * t->ncols + t->viscols;
  t->nitems =
      t->viscols + t->viscols * t->visrows + t->visrows + t->viscols + 4 + (t->serial == 1 ? 2 : 0);
  mxmaxrows = t->nrows;
  return t->nitems;
}

std::int32_t EXPANDMXROW(std::int32_t unit, std::int32_t row) {
  const mxrec* t = mxcur;
  if (t == nullptr) return row;
  const exec::wdwrec* w = exec::wdwcur;
  const mxrec* first = w != nullptr && w->firsttable != nullptr ? w->firsttable : t;
  if (t->unit == unit && !first->sortindex.empty() && row >= 1 &&
      row <= static_cast<std::int32_t>(first->sortindex.size())) {
    const std::int32_t e = first->sortindex[static_cast<std::size_t>(row - 1)];
    if (e != 0) row = e;
  }
  if ((t->mxflags & 8) == 0 && io::isscriptunit(first->unit)) {
    const io::RwFile& r = io::rwfiles(first->unit);
    if (r.rowlist && r.rowlist->valid(row)) row = (*r.rowlist)(row);
  }
  return row;
}

mxrec* pendingtable(std::int32_t option) {
  if (option <= 0) return nullptr;
  // Not yet built: on the pending list, or given to the dialog's window
  // with the tables built before it.
  for (mxrec* t = pendingtables; t != nullptr; t = t->next)
    if (t->optpos == option) return t;
  const exec::wdwrec* w = exec::wdwcur;
  if (w != nullptr && w != exec::wdwhead)
    for (mxrec* t = w->firsttable; t != nullptr; t = t->next)
      if (t->optpos == option) return t;
  return nullptr;
}

std::int32_t CHECKIFMX2(std::int32_t option) {
  mxrec* t = pendingtable(option);
  if (t == nullptr) return 0;
  dlgitemend = builder.itemcount + t->nitems - 1;
  return 1;
}

void dropstaged() {
  for (mxrec* t = pendingtables; t != nullptr;) {
    mxrec* next = t->next;
    if (mxcur == t) mxcur = nullptr;
    delete t;
    t = next;
  }
  pendingtables = nullptr;
}

}  // namespace ui
