// Saving the edits of a file table: the stored bytes are read once, the
// new file is written in one pass (the unchanged ranges between the
// changes, the changed cells, the new rows, the deleted lines left out)
// through a safe replace, and the unit is connected again to the new file
// with its line index rebuilt. A failure at any step leaves the file byte
// for byte as it was.
#include <algorithm>
#include <array>
#include <cmath>
#include <filesystem>
#include <set>
#include <string>

#include "core/messages.h"
#include "core/runwords.h"
#include "core/symbols.h"
#include "io/coltable.h"
#include "io/lineindex.h"
#include "io/rwfiles.h"
#include "platform/file_replace.h"
#include "platform/file_units.h"
#include "ui/tablechanges.h"

namespace ui {

namespace {

// The steps of a save, as the report names them.
namespace step {
inline constexpr int reading = 1;     // the stored file read as bytes
inline constexpr int temporary = 2;   // the new file could not be started
inline constexpr int renaming = 6;    // the new file put in the old one's place
inline constexpr int writing = 7;     // the new file's bytes
inline constexpr int syncing = 8;     // synced and closed
inline constexpr int reconnect = 18;  // the unit connected to the new file
inline constexpr int naming = 16;     // the file's name
inline constexpr int flushing = 17;   // what the unit still held
inline constexpr int replaced = 19;   // the name leads to another file than the unit's
inline constexpr int changed = 20;    // another program changed the bytes the index was made from
}  // namespace step

std::string_view stepname(int s) {
  switch (s) {
    case step::reading:
      return "reading the file";
    case step::temporary:
      return "making the new file";
    case step::renaming:
      return "putting the new file in place";
    case step::writing:
      return "writing the new file";
    case step::syncing:
      return "closing the new file";
    case step::reconnect:
      return "opening the saved file again";
    case step::naming:
      return "finding the file";
    case step::replaced:
      return "the file was replaced since it was opened";
    case step::changed:
      return "another program changed the file since it was opened";
    default:
      return "passing on what the file held";
  }
}

// A failed save: its status, and its account in `savefailure`; shown
// unless the statement that made the save reports it.
void report(int slot, int status, const std::string& name, bool shown) {
  // A failure always has a status other than 0.
  if (status == 0) status = plat::iostat_write_error;
  core::iostatw[0] = static_cast<std::int16_t>(std::clamp(status, -32768, 32767));
  core::iostatw[1] = static_cast<std::int16_t>(slot);
  core::iostatw[2] = static_cast<std::int16_t>(std::clamp(core::xeqline, -32768, 32767));
  core::iostatw[3] = 0;
  savefailure = name + ": " + std::string(stepname(slot)) + " (step " + std::to_string(slot) +
                ", status " + std::to_string(status) + ")";
  if (!shown) return;
  core::HelpValues hv;
  int answer = 0;
  if (slot == step::changed) {
    // Its own box: the file holds the other program's bytes.
    std::string detail = name;
    std::array<std::int16_t, 2> halves{core::iostatw[0], core::iostatw[2]};
    hv.halves = halves;
    hv.text = detail;
    core::HELP("rdwrErC", answer, hv);
    return;
  }
  hv.text = savefailure;
  core::HELP("mx2nosave", answer, hv);
}

// The stored file's size and last write when its bytes were checked
// against its line index: the new file takes its place only while they
// stay so.
struct Checked {
  std::int64_t size = -1;
  std::filesystem::file_time_type time{};
  bool operator==(const Checked&) const = default;
};
Checked lookat(const std::string& name) {
  Checked c;
  std::error_code ec;
  const std::filesystem::path p = plat::unit_file_path(name);
  const auto size = std::filesystem::file_size(p, ec);
  if (ec) return c;
  c.time = std::filesystem::last_write_time(p, ec);
  if (!ec) c.size = static_cast<std::int64_t>(size);
  return c;
}

int replacestep(const plat::ReplaceResult& r) {
  switch (r.step) {
    case plat::ReplaceStep::name:
    case plat::ReplaceStep::create:
      return step::temporary;
    case plat::ReplaceStep::sync:
    case plat::ReplaceStep::close:
      return step::syncing;
    case plat::ReplaceStep::rename:
      return step::renaming;
    case plat::ReplaceStep::replaced:
      return step::replaced;
    default:
      return step::writing;
  }
}

std::string lineendof(const io::RwFile& r) {
  const std::int32_t code = r.lineindex ? r.lineindex->lineend : 0;
  if (code == 3338) return "\r\n";
  if (code > 0 && code < 256) return std::string(1, static_cast<char>(code));
  if ((r.mode & io::rwflag::lineends) != 0 || (r.mode & io::rwflag::sequential) != 0) return "\r\n";
  return {};
}

// The stored file, read in blocks through a reading unit of its own as
// the rewrite walks through it: the unchanged ranges pass through one
// block at a time, whatever the file's size. A failed or short read is
// kept in `status` and ends every later read.
class Stored {
 public:
  explicit Stored(const std::string& name) {
    plat::UnitMode m;
    m.status = plat::UnitStatus::old_file;
    m.access = plat::UnitAccess::stream;
    m.form = plat::UnitForm::unformatted;
    m.action = plat::UnitAction::read;
    m.records = plat::UnitRecords::none;
    status = plat::open_unit(reader, name, m);
    if (status != 0) return;
    open_ = true;
    plat::UnitInfo ri;
    plat::inquire_unit(reader, ri);
    size_ = std::max<std::int64_t>(ri.size, 0);
  }
  ~Stored() { close(); }
  Stored(const Stored&) = delete;
  Stored& operator=(const Stored&) = delete;

  std::int64_t size() const { return size_; }
  // Byte `pos` (from 1); 0 outside the file or after a failed read.
  char at(std::int64_t pos) {
    if (pos < 1 || pos > size_ || !load(pos)) return 0;
    return block_[static_cast<std::size_t>(pos - blockfirst_)];
  }
  // Bytes from..to-1 (from 1), handed to `sink` block by block; false
  // after a failed read.
  template <class Sink>
  bool each(std::int64_t from, std::int64_t to, Sink&& sink) {
    to = std::min(to, size_ + 1);
    while (from < to) {
      if (!load(from)) return false;
      const std::int64_t end = std::min(to, blockfirst_ + static_cast<std::int64_t>(block_.size()));
      sink(std::string_view(block_).substr(static_cast<std::size_t>(from - blockfirst_),
                                           static_cast<std::size_t>(end - from)));
      from = end;
    }
    return true;
  }
  // The position (from 1) of the first byte c at or after from; 0 none.
  std::int64_t find(char c, std::int64_t from) {
    for (from = std::max<std::int64_t>(from, 1); from <= size_ && load(from);) {
      const std::string_view rest =
          std::string_view(block_).substr(static_cast<std::size_t>(from - blockfirst_));
      const std::size_t k = rest.find(c);
      if (k != std::string_view::npos) return from + static_cast<std::int64_t>(k);
      from += static_cast<std::int64_t>(rest.size());
    }
    return 0;
  }
  // The reading unit closed, its status kept; the status of all reads.
  int close() {
    if (open_) {
      open_ = false;
      const int closed = plat::close_unit(reader, plat::UnitClose::keep);
      if (status == 0) status = closed;
    }
    return status;
  }

  int status = 0;

 private:
  static constexpr std::int32_t reader = plat::unit_tablescratch;
  static constexpr std::int64_t blockbytes = std::int64_t{1} << 20;

  bool load(std::int64_t pos) {
    if (status != 0 || !open_) return false;
    if (pos >= blockfirst_ && pos < blockfirst_ + static_cast<std::int64_t>(block_.size()))
      return true;
    const std::int64_t n = std::min(blockbytes, size_ - pos + 1);
    block_.resize(static_cast<std::size_t>(std::max<std::int64_t>(n, 0)));
    blockfirst_ = pos;
    std::int64_t got = 0;
    int st = n > 0 ? plat::read_stream(reader, block_, pos, &got) : 0;
    if (st <= 0 && got != n) st = plat::iostat_read_error;
    if (st < 0) st = 0;
    if (st != 0) {
      status = st;
      block_.clear();
      return false;
    }
    return true;
  }

  bool open_ = false;
  std::int64_t size_ = 0;
  std::string block_;
  std::int64_t blockfirst_ = 1;
};

// The new file, piece by piece.
struct Rewrite {
  std::int32_t unit = 0;
  const io::RwFile& r;
  Stored& old;
  plat::Replacement& out;
  std::int64_t oldpos = 1;  // next stored byte to copy, 1-based
  std::int32_t lines = 0;
  std::string lineend;
  int failed = 0;  // the step that failed
  int status = 0;
  bool lastended = false;  // the stored file's last line has its line end

  std::int64_t filelength() const { return old.size(); }
  bool indexed() const { return r.lineindex.has_value(); }

  std::int64_t linestart(std::int32_t L) const {
    if (L < 1) return lines >= 1 ? linestart(1) : filelength() + 1;
    if (L > lines) return filelength() + 1;
    if (indexed()) return std::abs(std::int64_t{r.lineindex->positions(L)});
    return std::int64_t{L - 1} * r.recl + 1;
  }
  // The first byte after line L (its line end included).
  std::int64_t lineafter(std::int32_t L) const {
    if (L < 1) return linestart(1);
    if (L >= lines && !indexed())
      return std::min<std::int64_t>(std::int64_t{L} * r.recl + 1, filelength() + 1);
    if (!indexed()) return std::int64_t{L} * r.recl + 1;
    if (r.filter <= 0 && L + 1 <= r.lineindex->positions.size())
      return std::min<std::int64_t>(std::abs(std::int64_t{r.lineindex->positions(L + 1)}),
                                    filelength() + 1);
    // Lines a filter left out of the index: the line runs to its line end.
    const std::int64_t from = linestart(L);
    const char last = lineend.empty() ? '\n' : lineend.back();
    const std::int64_t at = old.find(last, from);
    return at == 0 ? filelength() + 1 : at + 1;
  }

  void put(std::string_view bytes) {
    if (failed != 0 || bytes.empty()) return;
    if (!out.write(bytes)) {
      failed = step::writing;
      status = plat::replace_iostat(out.result());
    }
  }
  void copyto(std::int64_t target) {
    target = std::min(target, filelength() + 1);
    if (target <= oldpos || failed != 0) return;
    if (!old.each(oldpos, target, [this](std::string_view bytes) { put(bytes); })) readfailed();
    oldpos = target;
  }
  // Before a row written at the end: the stored file's last line gets its
  // line end when it has none.
  void endlastline() {
    if (oldpos <= filelength() || filelength() == 0 || lineend.empty() || lastended) return;
    lastended = true;
    if (old.at(filelength()) != lineend.back()) put(lineend);
    if (old.status != 0) readfailed();
  }
  void readfailed() {
    if (failed != 0) return;
    failed = step::reading;
    status = old.status;
  }
  // The first stored record, for the bytes between the fields of a new one.
  std::string firstrecord() {
    std::string first;
    if (!indexed() && r.recl > 0)
      old.each(1, std::int64_t{r.recl} + 1, [&](std::string_view bytes) { first += bytes; });
    if (old.status != 0) readfailed();
    return first;
  }
};

// The row of the records from q on that share q's line; q moves past them.
std::string newrow(Rewrite& w, mxchange*& q, std::int32_t columns) {
  std::vector<const mxchange*> cells(static_cast<std::size_t>(columns) + 1, nullptr);
  const double line = q->line;
  for (; q != nullptr && q->line == line; q = q->next)
    if (q->col >= 1 && q->col <= columns && q->hastext) cells[static_cast<std::size_t>(q->col)] = q;
  std::string row = newrowtext(w.unit, cells, w.firstrecord());
  return w.indexed() ? row + w.lineend : row;
}

void reconnect(std::int32_t unit, const plat::UnitInfo& info, std::int64_t length, int& failed,
               int& status) {
  io::RwFile& r = io::rwfiles(unit);
  plat::close_unit(unit, plat::UnitClose::keep);
  plat::UnitMode m;
  m.status = plat::UnitStatus::old_file;
  m.access = info.access;
  m.form = info.form;
  m.action = info.action;
  m.share = info.share;
  m.records = info.records;
  m.recl = info.recl;
  m.position = plat::UnitPosition::rewind;
  if (const int st = plat::open_unit(unit, info.name, m); st != 0) {
    failed = step::reconnect;
    status = st;
    return;
  }
  r.filelength = length;
  if (r.lineindex) {
    std::int32_t rows = 0, longest = 0;
    const std::int32_t headers = std::max(r.firstline - 1, 0);
    io::MAKEFILEINDEX(unit, rows, longest, '"', headers, r.linesperrow);
  } else {
    r.rows = r.recl > 0
                 ? static_cast<std::int32_t>(std::min<std::int64_t>(length / r.recl, 2147483647))
                 : 0;
  }
}

}  // namespace

bool MXSAVE(std::int32_t unit, bool shown) {
  ChangeList* l = changesof(unit);
  if (l == nullptr) return false;
  savefailure.clear();
  io::RwFile& r = io::rwfiles(unit);
  plat::UnitInfo info;
  plat::inquire_unit(unit, info);
  const std::string name = info.name;
  if (!info.open || name.empty()) {
    report(step::naming, plat::iostat_not_connected, name, shown);
    return false;
  }
  if (const int st = plat::flush_unit(unit); st != 0) {
    report(step::flushing, st, name, shown);
    return false;
  }
  // The file is read and replaced by its name: only while the name still
  // leads to the unit's file, never to one that has taken its place (the
  // replace checks it again before it puts the new file there).
  if (plat::check_unit_name(unit) == plat::iostat_replaced) {
    report(step::replaced, plat::iostat_replaced, name, shown);
    return false;
  }
  // The stored bytes, read as the rewrite needs them.
  const Checked before = lookat(name);
  Stored old(name);
  if (old.status != 0) {
    report(step::reading, old.status, name, shown);
    return false;
  }
  // The edits go in at the positions of the line index: only while every
  // byte it was made from is as it was. Rows appended after those bytes
  // are kept; any other change leaves the file to the program that made it.
  if (r.lineindex && r.lineindex->madesize >= 0) {
    const std::int64_t made = r.lineindex->madesize;
    io::ByteSum sum;
    const bool read =
        old.size() >= made && old.each(1, made + 1, [&](std::string_view b) { sum.add(b); });
    if (old.status != 0) {
      report(step::reading, old.status, name, shown);
      return false;
    }
    if (!read || sum.value() != r.lineindex->madesum) {
      report(step::changed, io::iostat_changed, name, shown);
      return false;
    }
  }
  plat::Replacement out(name, {.expect = plat::unit_file_id(unit)});
  Rewrite w{unit, r, old, out, 1, storedlines(unit), lineendof(r), 0, 0};
  if (!out.ok()) {
    w.failed = step::temporary;
    w.status = plat::replace_iostat(out.result());
  }
  const std::int32_t columns =
      r.coltable ? static_cast<std::int32_t>(std::max<std::int64_t>(r.coltable->columns.size(), 0))
                 : 0;
  std::set<double> deletedlines;
  for (const mxchange* q = l->head; q != nullptr; q = q->next)
    if (q->is(chg::deleted)) deletedlines.insert(q->line);
  for (mxchange* q = l->head; q != nullptr && w.failed == 0;) {
    const bool deleted = q->is(chg::deleted);
    if ((deleted && q->is(chg::newline)) || (!deleted && deletedlines.count(q->line) != 0)) {
      q = q->next;
      continue;
    }
    const auto L = static_cast<std::int32_t>(std::clamp(std::trunc(q->line), 0.0, 2147483647.0));
    if (q->is(chg::newline)) {
      if (!w.indexed() && w.r.recl <= 0) {
        q = q->next;
        continue;
      }
      w.copyto(q->is(chg::appended) ? w.filelength() + 1 : w.lineafter(std::min(L, w.lines)));
      w.endlastline();
      w.put(newrow(w, q, columns));
      continue;
    }
    if (L < 1 || L > w.lines) {
      q = q->next;
      continue;
    }
    if (deleted) {
      w.copyto(w.linestart(L));
      w.oldpos = std::max(w.oldpos, w.lineafter(L));
      q = q->next;
      continue;
    }
    std::int64_t cellstart = 0, width = 0;
    if (w.indexed()) {
      cellstart = w.linestart(L) - 1 + std::max(q->cellpos, 1);
      width = std::max(q->cellwidth, 0);
    } else if (r.coltable && q->col >= 1 && q->col <= columns) {
      const io::ColDef& d = r.coltable->columns(q->col);
      cellstart = std::int64_t{L - 1} * r.recl + std::max(d.offset, 1);
      width = std::max(d.width, 0);
    }
    if (cellstart < w.oldpos || cellstart > w.filelength() + 1) {
      q = q->next;
      continue;
    }
    // A stored cell that ends at a CR before an LF leaves the pair whole.
    const std::int64_t end = cellstart + width - 1;
    if (width > 0 && end < w.filelength() && old.at(end) == '\r' && old.at(end + 1) == '\n')
      --width;
    w.copyto(cellstart);
    std::string text = q->text;
    if (!w.indexed()) text.resize(static_cast<std::size_t>(width), ' ');
    w.put(text);
    w.oldpos = std::min(cellstart + width, w.filelength() + 1);
    q = q->next;
  }
  w.copyto(w.filelength() + 1);
  if (old.close() != 0) w.readfailed();
  if (w.failed != 0) {
    report(w.failed, w.status, name, shown);
    return false;
  }
  // A change while the new file was written: it is not put in place.
  if (r.lineindex && r.lineindex->madesize >= 0 && !(lookat(name) == before)) {
    report(step::changed, io::iostat_changed, name, shown);
    return false;
  }
  const plat::ReplaceResult done = out.commit();
  if (!done.ok()) {
    report(replacestep(done), plat::replace_iostat(done), name, shown);
    return false;
  }
  int failed = 0, status = 0;
  plat::FileNameInfo fi;
  plat::inquire_name(name, fi);
  reconnect(unit, info, std::max<std::int64_t>(fi.size, 0), failed, status);
  if (failed != 0) report(failed, status, name, true);  // (the file holds the edits)
  return true;
}

}  // namespace ui
