#include "io/readwrite.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <string_view>
#include <system_error>

#include "core/messages.h"
#include "core/numread.h"
#include "core/rawmem.h"
#include "core/runwords.h"
#include "core/stores.h"
#include "core/symbols.h"
#include "exec/optdispatch.h"
#include "exec/optvalues.h"
#include "io/fileinfo.h"
#include "io/formatparse.h"
#include "io/lineindex.h"
#include "io/rowfilter.h"
#include "io/rwfiles.h"
#include "io/rwindx.h"
#include "io/rwstatement.h"
#include "io/rwtexts.h"
#include "platform/file_units.h"

namespace io {

bool rwtext(std::int32_t k, std::string_view& text) {
  std::int32_t first = 0, last = 0;
  if (k < 1 || core::ISCHAR(k, first, last) <= 0) return false;
  if (first < 1 || last < first || !core::c1namen.valid(first) || !core::c1namen.valid(last)) {
    text = {};
  } else {
    text = {core::c1namen.ptr(first), static_cast<std::size_t>(last - first + 1)};
  }
  return true;
}

std::int32_t rwoperand(std::int32_t i, std::int32_t n) {
  const std::int32_t at = core::xeqstackptr - n + i;
  return core::adrs.valid(at) ? core::adrs(at) : 0;
}

bool rwitem(std::int32_t k, RwItem& it) {
  it = RwItem{};
  it.k = k;
  if (k >= 1 && k <= core::nname && core::name.valid(k) && (core::name(k).type & 0x50) == 0) {
    // A number that is no array (as below, read from its type at once).
    it.cell = k;
    it.writable = k > core::nsym || (core::name(k).type & 1) == 0;
    return core::z.valid(k);
  }
  std::int32_t first = 0, last = 0;
  if ((core::NAMTYP(k, 0x40) & 0x40) != 0) {
    if (core::ISCHARCHECKED(k, first, last) < 0) return false;
    it.text = true;
    it.first = first;
    it.length = last - first + 1;
    it.writable = core::NAMTYP(k, 0x41) != 0x41;
    return it.length >= 1 && core::c1namen.valid(first) && core::c1namen.valid(last);
  }
  if (core::NAMTYP(k, 0x10) != 0) {
    it.array = true;
    const std::int64_t rows = core::I4EQUZ(1, k), cols = core::I4EQUZ(2, k);
    it.cell = core::name(k).adr;
    it.cols = static_cast<std::int32_t>(std::max<std::int64_t>(cols, 1));
    if (rows < 1 || cols < 1 || rows * cols > 0x7FFFFFFF) return false;
    it.count = static_cast<std::int32_t>(rows * cols);
    return it.cell >= 1 && core::z.valid(it.cell) && core::z.valid(it.cell + it.count - 1);
  }
  it.cell = k;
  it.writable = k > core::nsym || (core::name.valid(k) && (core::name(k).type & 1) == 0);
  return k >= 1 && core::z.valid(k);
}

namespace {

using plat::UnitAccess;
using plat::UnitAction;
using plat::UnitForm;
using plat::UnitMode;
using plat::UnitShare;
using plat::UnitStatus;

bool given(int k) { return rwgiven(k); }

// The unit of the last statement is closed or another file is opened: its
// previous record is no longer the work area's.
void forgetunit() {
  rwunit = 0;
  rwprevrec = 0;
  rwcursor = RwCursor{};
}
std::int32_t slot(int k) { return rwopt(k); }
bool textof(std::int32_t k, std::string_view& text) { return rwtext(k, text); }

// The characters of the record work area, the free part of the character
// store between the temporary strings and the texts of the variables.
std::int32_t workarealength() { return rwworklength(); }

std::int64_t filesize(std::string_view name) {
  std::int64_t n = -1;
  FILEINFO(name, n, 0);
  return n;
}

// The mode of a new unit and its bits, built from the options.
struct OpenMode {
  UnitMode m;
  std::int32_t bits = 0;
  bool append = false;
};

OpenMode openmode(std::int32_t recl, bool deleting) {
  OpenMode o;
  UnitMode& m = o.m;
  m.position = plat::UnitPosition::asis;
  if (deleting) m.status = UnitStatus::old_file;
  if (given(rwslot::binary)) {
    m.access = UnitAccess::direct;
    m.form = UnitForm::binary;
    o.bits = rwflag::direct | rwflag::binary;
  } else if (recl < 1) {
    m.access = UnitAccess::sequential;
    m.form = UnitForm::formatted;
    m.position = plat::UnitPosition::rewind;
    o.bits = rwflag::sequential | rwflag::formatted;
  } else {
    m.access = UnitAccess::direct;
    m.form = UnitForm::unformatted;
    o.bits = rwflag::direct | rwflag::unformatted;
  }
  if (deleting) o.bits |= rwflag::old;
  if (given(rwslot::append)) {
    m.position = plat::UnitPosition::append;
    o.append = true;
  }
  // The switches, each overriding the ones before on the same specifier.
  struct Switch {
    int kw;
    std::int32_t set, clear;
    void (*apply)(UnitMode&);
  };
  static constexpr Switch switches[] = {
      {rwslot::old, rwflag::old, 0, [](UnitMode& u) { u.status = UnitStatus::old_file; }},
      {rwslot::fresh, rwflag::fresh, rwflag::old,
       [](UnitMode& u) { u.status = UnitStatus::new_file; }},
      {rwslot::scratch, rwflag::scratch, rwflag::old | rwflag::fresh,
       [](UnitMode& u) { u.status = UnitStatus::scratch; }},
      {rwslot::replace, rwflag::replace, rwflag::old | rwflag::fresh | rwflag::scratch,
       [](UnitMode& u) { u.status = UnitStatus::replace; }},
      {rwslot::readonly, rwflag::readonly, 0, [](UnitMode& u) { u.action = UnitAction::read; }},
      {rwslot::writeonly, rwflag::writeonly, rwflag::readonly,
       [](UnitMode& u) { u.action = UnitAction::write; }},
      {rwslot::denyread, rwflag::denyread, 0, [](UnitMode& u) { u.share = UnitShare::denyread; }},
      {rwslot::denywrite, rwflag::denywrite, rwflag::denyread,
       [](UnitMode& u) { u.share = UnitShare::denywrite; }},
      {rwslot::denyreadwrite, rwflag::denyreadwrite, rwflag::denyread,
       [](UnitMode& u) { u.share = UnitShare::denyreadwrite; }},
      {rwslot::formatted, rwflag::formatted, rwflag::unformatted,
       [](UnitMode& u) { u.form = UnitForm::formatted; }},
      {rwslot::unformatted, rwflag::unformatted, rwflag::formatted,
       [](UnitMode& u) { u.form = UnitForm::unformatted; }},
      {rwslot::direct, rwflag::direct, rwflag::sequential,
       [](UnitMode& u) { u.access = UnitAccess::direct; }},
      {rwslot::sequential, rwflag::sequential, rwflag::direct,
       [](UnitMode& u) { u.access = UnitAccess::sequential; }},
  };
  for (const Switch& s : switches) {
    if (!given(s.kw)) continue;
    s.apply(m);
    o.bits = (o.bits & ~s.clear) | s.set;
  }
  return o;
}

// A direct file without a record length of its own: binary, byte-addressed.
void makebinarydirect(OpenMode& o) {
  o.m.access = UnitAccess::direct;
  o.m.form = UnitForm::binary;
  o.bits = (o.bits | rwflag::direct | rwflag::binary) & ~(rwflag::sequential | rwflag::formatted);
}

// The file length OPEN starts from: the file's size when it is kept.
std::int64_t startlength(const OpenMode& o, std::string_view name) {
  const bool kept =
      o.append || o.m.status == UnitStatus::old_file || o.m.status == UnitStatus::unknown;
  return kept ? std::max<std::int64_t>(filesize(name), 0) : 0;
}

// After a failed open: true when the file is missing (then the user may
// choose another), false when it exists and cannot be had.
bool ismissing(std::int32_t status, const OpenMode& o, std::string_view name) {
  if (status == plat::iostat_exists && o.m.status == UnitStatus::new_file) return false;
  plat::FileNameInfo ni;
  plat::inquire_name(name, ni);
  if (ni.unit >= 0) {
    plat::UnitInfo ui;
    plat::inquire_unit(ni.unit, ui);
    if (ui.share != UnitShare::denynone) return false;
  }
  return !(ni.exists && status == plat::iostat_open_failed);
}

// Asks the user for the missing file. A chosen path goes into the FIle
// variable (a variable, not a constant) and becomes the name to open.
bool chooseanother(std::int32_t filesym) {
  const std::string title = "not found: " + std::string(rwname.trimmed());
  std::array<char, 256> path{};
  std::copy_n(rwname.data(), path.size(), path.begin());
  if (getopenfilename == nullptr ||
      !getopenfilename(path, title, OFN_CREATEPROMPT | OFN_NOCHANGEDIR | OFN_PATHMUSTEXIST))
    return false;
  const std::string_view chosen(path.data(), path.size());
  std::string_view text;
  if (core::NAMTYP(filesym, 0x41) == 0x40 && textof(filesym, text)) {
    core::STRITOC1NAMEN(filesym, chosen, static_cast<std::int32_t>(chosen.size()));
    textof(filesym, text);
    rwname.set(text);
  } else {
    rwname.set(chosen);  // a constant keeps its text; the chosen path is opened
  }
  return true;
}

// A text file viewed as a table, once connected: it is closed, its line
// index built (or its ".i4" file reused) from its bytes, its column table
// and filter applied, and it is connected again to read rows that end as
// its lines end. False (status or letter V set) when it has no rows.
bool tableconnect(Outcome& out, std::int32_t unit, UnitMode m) {
  plat::close_unit(unit, plat::UnitClose::keep);
  std::int32_t longest = 0, count = 0, position = 0;
  STREAMEDLINES(0, unit, longest, count, position, {}, out.status);
  if (out.status != 0) return false;
  RwFile& r = rwfiles(unit);
  const std::int32_t code = r.lineindex->lineend;
  m.records = code == 10 || code == 3338 ? plat::UnitRecords::lf
              : code == 13               ? plat::UnitRecords::cr
                                         : plat::UnitRecords::none;
  m.status = UnitStatus::old_file;  // as it stands now
  m.position = plat::UnitPosition::rewind;
  out.status = plat::open_unit(unit, rwname.view(), m);
  if (out.status != 0) return false;
  std::int32_t rows = 0;
  if (!FILEISINDEXED(unit, r.format, rows) || rows < 1) {
    out.letter = 'V';
    return false;
  }
  return true;
}

// OPEN after the prologue: the unit the file variable names is closed
// already, and rwname holds the file's name.
void openfile(Outcome& out, std::int32_t filesym, std::int32_t items, bool deleting) {
  if (filesym > core::nsym) {
    out.letter = 'T';  // a computed text cannot hold the binding
    return;
  }
  std::int32_t unit = 0;
  for (std::int32_t u = plat::unit_script_first; u <= plat::unit_script_last && unit == 0; ++u)
    if (rwfiles(u).filevar <= 0) unit = u;
  if (unit == 0) {
    out.letter = 'E';
    return;
  }
  // No record is wider than the widest Format: a longer RecL would be
  // taken as given (a larger one as the largest number) and sized by.
  if (exec::OPTIONTOR8(rwslot::recl) > core::nc1namenlimit) {
    out.letter = 'Y';
    return;
  }
  std::int32_t recl = exec::KEYVALUE(slot(rwslot::recl));
  OpenMode o = openmode(recl, deleting);

  const std::int32_t fmtsym = slot(rwslot::format);
  std::string_view fmt;
  const bool hasformat = textof(fmtsym, fmt);
  // A format wider than the store holds is sized by nothing.
  if (hasformat && !FORMATFITSSTORE(fmt)) {
    out.letter = 'Y';
    return;
  }
  if (recl < 1) {
    if (!hasformat) {
      if (o.m.access == UnitAccess::direct) makebinarydirect(o);
    } else {
      std::int32_t covered = 0;
      char summary = ' ';
      GETRECLFROMFMT(recl, fmt, static_cast<std::int32_t>(fmt.size()), covered, fmtnorepeat,
                     summary);
      // A fixed-width format makes a file of fixed-length records.
      if (summary != '?' && summary != 'a' && o.m.access == UnitAccess::sequential)
        makebinarydirect(o);
      if (o.m.access == UnitAccess::direct && recl < 1) {
        out.letter = recl == 0 ? '4' : '5';
        return;
      }
    }
    if (recl < 1)
      recl = o.m.access == UnitAccess::sequential ? workarealength() - 1 : GETRECLFROMARGUMENTS(8);
  }
  // A text file viewed as a table keeps positions in the Format text.
  const bool table = o.m.access == UnitAccess::sequential && hasformat;
  if (hasformat && fmtsym > core::nsym) {
    out.letter = 'T';
    return;
  }

  RwFile& r = rwfiles(unit);
  r = RwFile{};
  r.recl = recl;
  r.mode = o.bits;
  r.filevar = static_cast<std::int16_t>(filesym);
  r.filter = static_cast<std::int16_t>(std::max(slot(rwslot::filter), 0));
  r.format = static_cast<std::int16_t>(hasformat ? fmtsym : 0);
  r.option = core::nearesti4(exec::OPTIONTOR8(rwslot::option));
  core::name(filesym).type = static_cast<std::int16_t>(core::name(filesym).type | 0x100);
  core::name(filesym).adr = unit;
  out.unit = unit;

  o.m.buffered = true;  // FLUsh, CLoSe and every other file operation pass the writes on
  if (o.m.access == UnitAccess::sequential) {
    o.m.records =
        o.m.form == UnitForm::unformatted ? plat::UnitRecords::none : plat::UnitRecords::eol;
  } else {
    o.m.recl = o.m.form == UnitForm::binary ? 1 : recl;
  }
  for (;;) {
    r.filelength = startlength(o, rwname.view());
    out.status = plat::open_unit(unit, rwname.view(), o.m);
    if (out.status == 0) break;
    if (deleting || !ismissing(out.status, o, rwname.view()) || !chooseanother(filesym)) {
      RWCLOSE(unit);  // nothing of a failed OPEN stays
      out.unit = 0;
      return;
    }
    o.m.action = UnitAction::readwrite;
    r.mode = o.bits = o.bits & ~(rwflag::readonly | rwflag::writeonly);
  }
  if (table) {
    if (!tableconnect(out, unit, o.m)) {
      RWCLOSE(unit);
      out.unit = 0;
      return;
    }
  } else if (std::int32_t rows = 0; hasformat && FILEISINDEXED(unit, fmtsym, rows) && rows == 0) {
    int answer = 0;
    core::MSGBOXFROMHELP("msgNoLines", rwname.trimmed(), answer);
    if (answer == 2) {
      core::xeqstop = core::stops::error;
      out.letter = 'X';
      return;
    }
  }
  if (core::z.valid(core::iresult)) core::z(core::iresult) = r.mode;
  if (items > 0) rwtransfer('O', items, out);  // opened and read in one statement
}

// CLoSe = -1: the file is cut where the transfers stopped, through the
// unit's own handle before it closes (its name may lead to another file
// by now). Returns the status of the close or of the cut.
std::int32_t cutfile(std::int32_t unit) { return RWCLOSE(unit, plat::unit_position(unit)); }

// The first failure of a statement is the one it reports. A file whose
// name another file has taken since the OPEN is the statement's own
// failure, letter R; one whose table edits another program's change
// kept from being saved, letter C.
void keepstatus(Outcome& out, std::int32_t status) {
  if (status == plat::iostat_replaced) {
    if (out.status == 0 && out.letter == ' ') out.letter = 'R';
    return;
  }
  // A table save refused because another program changed the file: C.
  if (status == iostat_changed) {
    if (out.status == 0 && out.letter == ' ') out.letter = 'C';
    return;
  }
  if (out.status == 0) out.status = status;
}

// REName: the file gets the name of the REName text.
void renamefile(Outcome& out) {
  const std::int32_t k = slot(rwslot::rename);
  std::string_view target;
  if (!out.named || !textof(k, target)) return;
  // The name must still lead to the unit's file, or another file would
  // be renamed.
  const bool replaced = out.unit != 0 && plat::check_unit_name(out.unit) == plat::iostat_replaced;
  std::int32_t closed = out.unit != 0 ? RWCLOSE(out.unit) : 0;
  out.unit = 0;
  forgetunit();
  if (replaced) closed = plat::iostat_replaced;
  if ((core::NAMTYP(k, 0x100) & 0x100) != 0) {
    const std::int32_t other = RWCLOSE(core::name(k).adr);
    if (closed == 0) closed = other;
  }
  if (closed != 0) {
    keepstatus(out, closed);  // a file whose records did not all arrive keeps its name
    return;
  }
  const std::string from = plat::unit_file_path(rwname.view());
  const std::string to = plat::unit_file_path(target);
  if (from == to) return;
  std::error_code ec;
  if (std::filesystem::exists(to, ec)) {
    out.status = plat::iostat_exists;
    return;
  }
  std::filesystem::rename(from, to, ec);
  if (ec) out.letter = 'U';
}

// The clean-up after a transfer: ItemS, DELETE, CLoSe and FLUsh, REName.
void cleanup(char letter, Outcome& out) {
  if (letter == 'O' && out.served < 0) return;
  if (slot(rwslot::items) > 0 && out.served >= 0) {
    core::SETZTOR8(slot(rwslot::items), out.served);
    out.letter = ' ';
  }
  const bool failed = out.letter != ' ' || out.status != 0;
  const bool deleting = letter == 'W' && given(rwslot::del);
  if (deleting && !failed && out.unit != 0) {
    const std::int32_t deleted = RWCLOSE(-out.unit);
    out.unit = 0;
    forgetunit();
    out.status = 0;
    keepstatus(out, deleted == plat::iostat_replaced ? deleted : 0);
  }
  if (out.unit != 0 && letter != 'O') {
    const std::int32_t ks = slot(rwslot::close);
    const std::int32_t c =
        ks <= 0 ? ks : static_cast<std::int32_t>(std::trunc(std::clamp(core::z(ks), -2e9, 2e9)));
    // A write, flush or close that fails reaches the statement, also for
    // records that earlier statements handed over.
    if (c == 0 && !(failed && core::nomsg == 0)) {
      if (given(rwslot::flush)) {
        keepstatus(out, plat::flush_unit(out.unit));
        plat::UnitInfo info;
        plat::inquire_unit(out.unit, info);
        rwfiles(out.unit).filelength = info.size;
      }
    } else if (c == -1) {
      keepstatus(out, cutfile(out.unit));
      forgetunit();
    } else {
      keepstatus(out, RWCLOSE(out.unit));
      forgetunit();
    }
  }
  if (letter == 'W') renamefile(out);
}

// LENgth: the rows of a unit with a line index, the rows its filter kept,
// else the file's size in bytes.
std::int32_t lengthof(std::int32_t unit) {
  if (isscriptunit(unit) && rwfiles(unit).filevar > 0) {
    const RwFile& r = rwfiles(unit);
    if (r.lineindex) return r.lineindex->entries - 1;
    if (r.rowlist) {
      const auto& l = r.rowlist->raw();
      return static_cast<std::int32_t>(l.size() -
                                       static_cast<std::size_t>(std::count(l.begin(), l.end(), 0)));
    }
  }
  return filesize(rwname.view());
}

// The end of every statement: IOStat, the clean-up, and the message.
void report(char statement, Outcome& out) {
  // A failure of the statement's own (status 0) counts as minus one minus
  // its letter's code.
  auto codeof = [&] {
    return out.status != 0     ? out.status
           : out.letter != ' ' ? -1 - static_cast<unsigned char>(out.letter)
                               : 0;
  };
  core::SETZTOR8(slot(rwslot::iostat), out.button > 0 && codeof() == 0 ? out.button : codeof());
  if (out.letter == 'X') return;
  if (out.unit != 0) core::SETZTOR8(slot(rwslot::getrecl), rwfiles(out.unit).recl);
  cleanup(statement, out);
  const std::int32_t code = codeof();
  core::SETZTOR8(slot(rwslot::iostat), out.button > 0 && code == 0 ? out.button : code);
  if (out.named && slot(rwslot::length) > 0)
    core::SETZTOR8(slot(rwslot::length), lengthof(out.unit));
  core::SETDECIMALPOINT(".");
  if (code == 0) return;
  const auto shown = static_cast<std::int16_t>(std::abs(code) >= 32767 ? -2 : code);
  core::iostatw[0] = shown;
  if (core::nomsg == 0) {
    const char letter = out.letter == ' ' ? 'K' : out.letter;
    if (out.named && letter != 'M') rwdetail.set(rwname.trimmed());
    const std::string key = "rdwrEr" + std::string(1, letter);
    std::array<std::int16_t, 2> halves{shown, static_cast<std::int16_t>(core::xeqline)};
    core::HelpValues hv;
    hv.halves = halves;
    hv.text = {rwdetail.data(), rwdetail.trimmed().size()};
    int answer = 0;
    core::HELP(key, answer, hv);
    core::msgkey.blank();  // shown here: the executor only stops the run
  }
  core::xeqstop = core::stops::error;
}

}  // namespace

void READWRITE(char letter, std::int32_t items) {
  if (rwpending.active) {
    // The statement's transfer program ran and failed: only its report.
    const RwPending p = rwpending;
    rwpending.active = false;
    if (p.letter == letter && p.line == core::xeqline) {
      Outcome out = p.out;
      if (p.counted && core::z.valid(core::iresult)) core::z(core::iresult) = p.count;
      report(letter, out);
      core::SETDECIMALPOINT(".");
      return;
    }
  }
  rwnitems = std::max(items, 0);
  // CompTol holds for this statement's filter.
  const double tolerance = filtertolerance;
  if (letter == 'O' && slot(rwslot::comptol) > 0)
    filtertolerance = exec::OPTIONTOR8(rwslot::comptol);
  Outcome out;
  const std::int32_t filesym = slot(rwslot::file);
  std::int32_t unit = 0;
  if (filesym >= 1 && (core::NAMTYP(filesym, 0x100) & 0x100) != 0) unit = core::name(filesym).adr;
  if (unit != rwunit) rwprevrec = 0;
  rwunit = unit;
  out.unit = isscriptunit(unit) ? unit : 0;

  std::string_view name;
  out.named = textof(filesym, name);
  if (out.named) rwname.set(name);
  if (letter == 'R') {
    std::string_view point;
    if (textof(slot(rwslot::decimalpoint), point)) core::SETDECIMALPOINT(point);
  }
  rwdetail.blank();
  if (letter == 'O' && out.named) {
    // The variable's earlier file is closed first; when its records did
    // not all reach it, the OPEN fails with that status.
    if (out.unit != 0) {
      plat::UnitInfo earlier;
      plat::inquire_unit(out.unit, earlier);
      out.status = RWCLOSE(out.unit);
      if (out.status != 0) rwname.set(earlier.name);  // the file the failure belongs to
    }
    out.unit = 0;
    if (out.status == 0) openfile(out, filesym, items, false);
    forgetunit();
    rwunit = out.unit;
  } else if (letter == 'W' && out.unit == 0 && out.named && given(rwslot::del)) {
    // A file to be deleted is opened first.
    openfile(out, filesym, 0, true);
    forgetunit();
    rwunit = out.unit;
    if (out.unit != 0) rwtransfer(letter, items, out);
  } else if (letter == 'R' || letter == 'W') {
    rwtransfer(letter, items, out);
  }
  report(letter, out);
  core::SETDECIMALPOINT(".");  // also after a statement ended without a report
  filtertolerance = tolerance;
}

void reset_readwrite() {
  reset_rwfiles();
  reset_rwpending();
  filtertolerance = filtertoldefault;
  reset_rwindx();
  forgetunit();
  rwcachetop = rwcachelen = 0;
  rwname.blank();
  rwdetail.blank();
  fmtwork.blank();
}

}  // namespace io
