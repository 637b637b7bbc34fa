// The edit commands of file tables: rows inserted, deleted, appended and
// copied, cells changed, edits undone and redone, each as change records
// of the unit's list; and the table form of EDIT.
#include <algorithm>
#include <array>
#include <cmath>
#include <map>
#include <set>
#include <string>

#include "core/messages.h"
#include "core/runwords.h"
#include "core/shoplists.h"
#include "core/stores.h"
#include "core/symbols.h"
#include "exec/optdispatch.h"
#include "io/cellconvert.h"
#include "io/coltable.h"
#include "io/lineindex.h"
#include "io/rwfiles.h"
#include "io/tablecalls.h"
#include "platform/file_units.h"
#include "text/edit.h"
#include "ui/tablechanges.h"
#include "ui/tables.h"
#include "ui/tablesort.h"

namespace ui {

namespace {

// The options of EDIT's table form.
consteval int editkw(std::string_view name) { return core::optkwnr(core::OptStmt::EDIT, name); }
constexpr int kwMatriX = editkw("MatriX"), kwDelete = editkw("Delete"),
              kwAPpendTo = editkw("APpendTo"), kwDO = editkw("DO"), kwERror = editkw("ERror");

// Places a new line between two neighbours.
constexpr double gapdivisor = 2.11111;

std::int32_t unitcolumns(std::int32_t unit) {
  const io::RwFile& r = io::rwfiles(unit);
  return r.coltable
             ? static_cast<std::int32_t>(std::max<std::int64_t>(r.coltable->columns.size(), 0))
             : 0;
}

bool inlist(const ChangeList& l, const mxchange* e) {
  for (const mxchange* q = l.head; q != nullptr; q = q->next)
    if (q == e) return true;
  return false;
}

// Puts `by` where `q` stands in the line list (q leaves it).
void replacein(ChangeList& l, mxchange* q, mxchange* by) {
  mxchange* p = nullptr;
  for (mxchange* x = l.head; x != nullptr && x != q; x = x->next) p = x;
  by->next = q->next;
  if (p == nullptr)
    l.head = by;
  else
    p->next = by;
  q->next = nullptr;
}

void unlink(ChangeList& l, mxchange* e) {
  mxchange* p = nullptr;
  for (mxchange* x = l.head; x != nullptr; p = x, x = x->next) {
    if (x != e) continue;
    if (p == nullptr)
      l.head = x->next;
    else
      p->next = x->next;
    e->next = nullptr;
    return;
  }
}

// Links e into the line list: k the command's column (0 for whole lines),
// redo true when a redo restores a record.
void linkin(ChangeList& l, mxchange* e, std::int32_t k, bool redo) {
  mxchange* p = nullptr;
  for (mxchange* q = l.head;; p = q, q = q->next) {
    const auto before = [&](mxchange* at) {
      e->next = at;
      if (p == nullptr)
        l.head = e;
      else
        p->next = e;
    };
    if (q == nullptr) return before(nullptr);
    if (e->line < q->line) return before(q);
    if (e->line > q->line) continue;
    if (k > 0) {
      if (k < q->col) return before(q);
      if (k == q->col) return replacein(l, q, e);
      if (q->next == nullptr) {
        q->next = e;
        e->next = nullptr;
        return;
      }
      continue;
    }
    if (redo && e->is(chg::changed)) {
      if (e->col == q->col) return replacein(l, q, e);
      if (e->col < q->col) return before(q);  // the line's cells stay in column order
      continue;
    }
    if (e->col > q->col) continue;
    if (q == l.head && !e->is(chg::deleted)) return before(q);
    if (e->is(chg::deleted)) e->replaced = q;
    return replacein(l, q, e);
  }
}

void recount(ChangeList& l) {
  std::int32_t s = 0;
  double m = 0.0;
  for (mxchange* q = l.head; q != nullptr; q = q->next) {
    if (q->is(chg::inserted) && q->line > m) {
      m = q->line;
      --s;
    }
    if (q->is(chg::deleted)) ++s;
    q->shift = s;
  }
}

// The displayed row at which line value x stands (or the row after it).
std::int32_t rowof(const ChangeList& l, double x) {
  std::int32_t s = 0;
  for (const mxchange* q = l.head; q != nullptr && q->line < x; q = q->next) s = q->shift;
  return static_cast<std::int32_t>(std::ceil(x)) - s;
}

// The stored line that displayed row r shows (0 for row 0).
double storedline(std::int32_t unit, std::int32_t r, bool skip) {
  if (r < 1) return 0.0;
  chgstate.skipmapping = skip;
  double v = r;
  std::int32_t status = 0;
  CHECKEDITED(unit, v, 0, status);
  return v;
}

// A line value strictly between a and b; when the midpoint meets a
// neighbour, the new lines of that gap are spread evenly first.
double gapline(ChangeList& l, double a, double b) {
  // A value that a record still holds (a deleted new line, or one waiting
  // for redo) is passed over: the new line would be taken for it.
  const auto used = [&](double v) {
    return std::any_of(l.history.begin(), l.history.end(),
                       [&](const auto& r) { return r->line == v; });
  };
  for (double x = a + (b - a) / gapdivisor; x > a && x < b; x = a + (x - a) / gapdivisor)
    if (!used(x)) return x;
  const double k = std::floor(a);
  std::set<double> values;
  for (const auto& r : l.history)
    if (r->line > k && r->line < k + 1.0) values.insert(r->line);
  std::vector<double> order(values.begin(), values.end());
  const auto at =
      static_cast<std::size_t>(std::upper_bound(order.begin(), order.end(), a) - order.begin());
  const auto n = static_cast<double>(order.size() + 2);
  std::map<double, double> moved;
  double fresh = 0.0;
  std::size_t slot = 1;
  for (std::size_t i = 0; i <= order.size(); ++i) {
    if (i == at) fresh = k + static_cast<double>(slot++) / n;
    if (i < order.size()) moved[order[i]] = k + static_cast<double>(slot++) / n;
  }
  for (const auto& r : l.history)
    if (const auto it = moved.find(r->line); it != moved.end()) r->line = it->second;
  return fresh;
}

// The rows a unit shows when no table is current: its stored lines with
// the new lines added and the deleted ones taken away.
std::int32_t unitrowcount(const ChangeList& l, std::int32_t unit) {
  std::int32_t n = storedlines(unit);
  const mxchange* q = l.head;
  while (q != nullptr) {
    const double line = q->line;
    bool isnew = false, gone = false;
    for (; q != nullptr && q->line == line; q = q->next) {
      isnew = isnew || q->is(chg::newline);
      gone = gone || q->is(chg::deleted);
    }
    n += isnew ? (gone ? 0 : 1) : (gone ? -1 : 0);
  }
  return std::max(n, 0);
}

mxchange* newrecord(ChangeList& l) {
  auto r = std::make_unique<mxchange>();
  r->seq = static_cast<std::int32_t>(l.history.size()) + 1;
  l.history.push_back(std::move(r));
  l.cur = static_cast<std::int32_t>(l.history.size()) - 1;
  return l.history.back().get();
}

// The texts of a new row: copied from the remembered row, or each
// column's 0 or blank through its descriptor.
std::vector<std::string> newrowtexts(const ChangeList& l, std::int32_t unit, std::int32_t command,
                                     std::int32_t columns) {
  // The remembered row: where its stored line stands now, when it named
  // one; read through the edits, so that its changed cells are copied.
  const std::int32_t from =
      chgstate.rememberedexact ? rowof(l, chgstate.remembered) : chgstate.remembered;
  std::vector<std::string> texts;
  for (std::int32_t c = 1; c <= columns; ++c) {
    std::array<char, 256> buf{};
    buf.fill(' ');
    std::string text;
    if (command == mxcmd::insertcopy) {
      chgstate.skipmapping = false;
      const std::string keptkey(core::msgkey.view());
      IOCHARMXELEMENT(unit, from, c, buf, cellmode::read);
      chgstate.skipmapping = false;
      const bool failed = core::iostatw[0] != 0 || !core::msgkey.is_blank();
      core::iostatw[0] = 0;
      core::msgkey.set(keptkey);
      const std::string_view s(buf.data(), buf.size());
      const std::size_t e = s.find_last_not_of(' ');
      text = failed || e == std::string_view::npos ? std::string(" ")
                                                   : std::string(s.substr(0, e + 1));
    } else {
      std::int32_t used = 0;
      char status = ' ';
      io::REALORSTRINGTOSTRINGFMTD(buf, used, 0, 0.0, " ", io::columnformat(unit, c), status);
      used = std::clamp<std::int32_t>(used, 1, static_cast<std::int32_t>(buf.size()));
      text.assign(buf.data(), static_cast<std::size_t>(used));
    }
    texts.push_back(text);
  }
  return texts;
}

// The per-column records of a new row, from e on.
void fullrow(ChangeList& l, mxchange* e, const std::vector<std::string>& texts) {
  e->flags |= chg::rowgroup;
  mxchange* after = e->next;
  mxchange* r = e;
  const auto columns = static_cast<std::int32_t>(texts.size());
  for (std::int32_t c = 1; c <= columns; ++c) {
    r->col = c;
    r->text = texts[static_cast<std::size_t>(c - 1)];
    r->hastext = true;
    if (c < columns) {
      mxchange* n = newrecord(l);
      n->line = r->line;
      n->flags = r->flags;
      n->shift = r->shift;
      r->next = n;
      r = n;
    }
  }
  r->next = after;
}

void undo(ChangeList& l, std::int32_t columns, std::int32_t& nrows, mxchange*& e) {
  if (l.cur < 0) return;
  mxchange* u = l.history[static_cast<std::size_t>(l.cur)].get();
  if (u->is(chg::undone)) return;
  u->flags |= chg::undone;
  const std::int32_t at = l.cur;
  if (l.cur > 0) --l.cur;
  e = u;
  if (u->is(chg::rowgroup) && columns > 1) {
    const std::int32_t first = std::max(at - columns + 1, 0);
    for (std::int32_t i = first; i <= at; ++i) {
      mxchange* g = l.history[static_cast<std::size_t>(i)].get();
      g->flags |= chg::undone;
      unlink(l, g);
    }
    l.cur = std::max(first - 1, 0);
  } else {
    mxchange* back = nullptr;
    if (u->is(chg::deleted) && u->replaced != nullptr && !u->replaced->is(chg::undone) &&
        !inlist(l, u->replaced))
      back = u->replaced;
    for (std::int32_t i = at - 1; i >= 0 && back == nullptr; --i) {
      mxchange* o = l.history[static_cast<std::size_t>(i)].get();
      if (o->is(chg::undone) || o->line != u->line || inlist(l, o)) continue;
      // A deletion gives its line back whole (it may carry the changed
      // mark of the record it replaced); a change gives back its cell.
      if (u->is(chg::deleted) || (u->is(chg::changed) && o->col == u->col)) back = o;
    }
    if (back != nullptr && inlist(l, u))
      replacein(l, u, back);
    else
      unlink(l, u);
  }
  if (u->is(chg::deleted)) ++nrows;
  if (u->is(chg::newline) && !u->is(chg::changed)) --nrows;
}

void redo(ChangeList& l, std::int32_t columns, std::int32_t& nrows, mxchange*& e) {
  if (l.cur < 0) return;
  std::int32_t at = l.cur;
  if (!l.history[static_cast<std::size_t>(at)]->is(chg::undone)) {
    if (static_cast<std::size_t>(at) + 1 >= l.history.size() ||
        !l.history[static_cast<std::size_t>(at) + 1]->is(chg::undone))
      return;
    ++at;
  }
  mxchange* r = l.history[static_cast<std::size_t>(at)].get();
  r->flags &= ~chg::undone;
  l.cur = at;
  e = r;
  if (r->is(chg::deleted)) --nrows;
  if (r->is(chg::newline) && !r->is(chg::changed)) ++nrows;
  linkin(l, r, 0, true);
  if (r->is(chg::rowgroup) && columns > 1) {
    mxchange* after = r->next;
    mxchange* p = r;
    for (std::int32_t i = 1; i < columns && static_cast<std::size_t>(at + i) < l.history.size();
         ++i) {
      mxchange* g = l.history[static_cast<std::size_t>(at + i)].get();
      g->flags &= ~chg::undone;
      p->next = g;
      p = g;
      l.cur = at + i;
    }
    p->next = after;
  }
}

}  // namespace

mxchange* MXEDIT(std::int32_t unit, std::int32_t column, std::int32_t& row, std::int32_t& colout,
                 std::int32_t command, std::int32_t mode) {
  ChangeList* lp = changesof(unit);
  if (lp == nullptr) return nullptr;
  ChangeList& l = *lp;
  mxrec* t = mxcur != nullptr && mxcur->unit == unit ? mxcur : nullptr;
  std::int32_t unitrows = t != nullptr ? 0 : unitrowcount(l, unit);
  std::int32_t& nrows = t != nullptr ? t->nrows : unitrows;
  const std::int32_t columns = unitcolumns(unit);
  const std::int32_t r = row;

  if (command == mxcmd::remember) {
    chgstate.remembered = r;
    chgstate.rememberedexact = r <= storedlines(unit) && storedline(unit, r, false) == r;
    if (t != nullptr) row = t->toprow + t->currow - 1;
    return nullptr;
  }
  if (command != mxcmd::undo && command != mxcmd::redo &&
      (command < mxcmd::insert || command > mxcmd::insertcopy))
    return nullptr;

  if (command != mxcmd::change && command >= mxcmd::insert && command <= mxcmd::insertcopy &&
      (io::rwfiles(unit).mode & io::rwflag::readonly) != 0) {
    core::msgkey.set(core::MSGKEY("msgWriteError"));
    return nullptr;
  }
  mxchange* e = nullptr;
  const bool newrow =
      command == mxcmd::insert || command == mxcmd::append || command == mxcmd::insertcopy;
  if (command >= mxcmd::insert && command <= mxcmd::insertcopy) {
    // What the command needs from the list as it stands.
    const bool skip = chgstate.skipmapping;
    const mxchange* found = chgstate.found;
    const bool nostored = chgstate.nostoredtext;
    chgstate.found = nullptr;
    chgstate.nostoredtext = false;
    double line = 0.0;
    std::int32_t flags = 0;
    std::vector<std::string> texts;
    if (newrow) texts = newrowtexts(l, unit, command, columns);
    const double a = command == mxcmd::append ? 0.0 : storedline(unit, r - 1, skip);
    const double b = command == mxcmd::append ? 0.0 : storedline(unit, r, skip);
    double deletedline = command == mxcmd::remove ? b : 0.0;
    std::int32_t deletedflags = 0;
    if (command == mxcmd::remove) {
      for (const mxchange* q = l.head; q != nullptr; q = q->next)
        if (q->line == deletedline) {
          // Only whether the line is new passes on: a deletion is no
          // change of a cell, for undo and redo alike.
          deletedflags = q->flags & chg::newline;
          break;
        }
    }
    const mxchange foundcopy = found != nullptr ? *found : mxchange{};
    // The redo tail goes: the new record follows the last one in force.
    std::int32_t base = l.cur;
    if (base >= 0 && l.history[static_cast<std::size_t>(base)]->is(chg::undone)) --base;
    l.history.resize(static_cast<std::size_t>(base + 1));
    if (base < 0) l.head = nullptr;
    l.cur = base;
    const bool foundgone =
        found != nullptr && std::none_of(l.history.begin(), l.history.end(),
                                         [&](const auto& h) { return h.get() == found; });
    switch (command) {
      case mxcmd::insert:
      case mxcmd::insertcopy:
        ++nrows;
        line = gapline(l, a, b);
        flags = chg::inserted;
        break;
      case mxcmd::append: {
        ++nrows;
        // The next line after every stored and new one: rows inserted
        // above it later shift it as they shift stored lines.
        double last = storedlines(unit);
        for (const auto& q : l.history) last = std::max(last, std::floor(q->line));
        line = last + 1.0;
        flags = chg::appended;
        break;
      }
      case mxcmd::remove:
        line = deletedline;
        flags = chg::deleted | deletedflags;
        --nrows;
        break;
      default:  // change
        if (found != nullptr && !foundgone) {
          line = foundcopy.line;
          flags = nostored ? foundcopy.flags & chg::newline : foundcopy.flags;
        } else {
          line = r;
        }
        flags = (flags & ~(chg::undone | chg::rowgroup)) | chg::changed;
        break;
    }
    e = newrecord(l);
    e->line = line;
    e->col = command == mxcmd::change ? column : 0;
    e->flags = flags | (mode & (chg::scriptedit | chg::useredit));
    const io::RwFile& f = io::rwfiles(unit);
    if (command == mxcmd::change && f.lineindex && !e->is(chg::newline) && line >= 1) {
      std::string rowtext;
      std::int32_t start = 0, length = 0;
      const std::string keptkey(core::msgkey.view());
      if (io::CHARCELLAZ(unit, static_cast<std::int32_t>(line), column, rowtext, start, length) ==
          0) {
        if (start < 1) {
          // A cell the stored row does not have goes after its last byte.
          start = static_cast<std::int32_t>(rowtext.size()) + 1;
          length = 0;
        }
        e->cellpos = start;
        e->cellwidth = std::max(length, 0);
      }
      core::iostatw[0] = 0;
      core::msgkey.set(keptkey);
    }
    linkin(l, e, command == mxcmd::change ? column : 0, false);
    if (newrow) fullrow(l, e, texts);
  } else if (command == mxcmd::undo) {
    undo(l, columns, nrows, e);
  } else {
    redo(l, columns, nrows, e);
  }
  if (e == nullptr) return nullptr;
  colout = e->col;
  recount(l);
  row = std::clamp(rowof(l, e->line), 1, std::max(nrows, 1));
  if (t != nullptr && (e->flags & (chg::newline | chg::deleted)) != 0) {
    // A sorted view takes in the rows that came or went.
    const std::int32_t kind =
        e->flags & (chg::undone | chg::inserted | chg::deleted | chg::changed | chg::appended);
    MXVIEWAFTEREDIT(row, kind == chg::inserted || kind == (chg::undone | chg::deleted) ||
                             kind == chg::appended);
  }
  return command == mxcmd::change ? e : nullptr;
}

void EDITMX() {
  using exec::noptions;
  using exec::optkw;
  using exec::optval;
  mxrec* const keptpending = pendingtables;
  pendingtables = nullptr;
  std::int32_t unit = 0;
  const auto finish = [&] {
    if (unit > 0) {
      // A save that fails is this statement's failure (its label takes
      // it); the file keeps its old bytes, and the edits go unless a table
      // window shows them.
      std::int32_t answer = 0;
      KILLEDITCHANGES(unit, answer, io::settlemode::reported);
      if (answer == io::savefailed) {
        const bool replaced = core::iostatw[0] == plat::iostat_replaced;
        if (core::msgkey.is_blank() && (replaced || core::iostatw[0] == io::iostat_changed)) {
          // Another file has taken the name since the OPEN, or another
          // program changed the file: it stays as it is.
          plat::UnitInfo info;
          plat::inquire_unit(unit, info);
          core::msgkey.set(replaced ? core::MSGKEY("rdwrErR") : core::MSGKEY("rdwrErC"));
          core::failedline.set(info.name);
        } else if (core::msgkey.is_blank()) {
          core::msgkey.set(core::MSGKEY("mx2nosave"));
          core::failedline.set(savefailure);
        }
        if (FINDFILEMATRIXWINDOW(unit) == nullptr)
          KILLEDITCHANGES(unit, answer, io::settlemode::dropall);
      }
    }
    dropstaged();
    pendingtables = keptpending;
  };
  // MatriX stands first or last (ERror, which the dispatch takes, aside);
  // of the others the leftmost wins.
  const std::int32_t first = text::firstoption(), last = text::lastoption();
  const std::int32_t m = first >= 1 && optkw(first) == kwMatriX ? first
                         : last >= 1 && optkw(last) == kwMatriX ? last
                                                                : 0;
  if (m == 0) {
    core::msgkey.set(core::MSGKEY("editMX1"));
    return finish();
  }
  const std::int32_t fv = optval(m);
  if (fv < 1 || fv > core::nsym || core::NAMTYP(fv, 0x100) == 0 ||
      !io::isscriptunit(core::name(fv).adr) || io::rwfiles(core::name(fv).adr).filevar < 1) {
    core::msgkey.set(core::MSGKEY("mx2fileNotOpen"));
    return finish();
  }
  const std::int32_t fileunit = core::name(fv).adr;
  TableRequest q;
  q.format = io::rwfiles(fileunit).format;
  q.object = fv;
  SETMATRIXFORMAT(q);
  if (!core::msgkey.is_blank() || mxcur == nullptr) return finish();
  unit = fileunit;
  std::int32_t command = 0, start = 0, repeat = 1;
  for (std::int32_t s = 1; s <= noptions; ++s) {
    if (s == m || optkw(s) == kwERror) continue;
    const std::int32_t v = optval(s);
    const auto value = [&] {
      return v > 0 && core::z.valid(v)
                 ? static_cast<std::int32_t>(std::clamp(std::round(core::z(v)), -2e9, 2e9))
                 : 0;
    };
    if (optkw(s) == kwDelete) {
      command = mxcmd::remove;
      start = value();
    } else if (optkw(s) == kwAPpendTo) {
      command = mxcmd::append;  // (its value names no row)
    } else if (optkw(s) == kwDO) {
      repeat = std::max(value(), 1);
    } else {
      core::msgkey.set(core::MSGKEY("editMXinvKW"));
      return finish();
    }
  }
  const std::int32_t n = mxcur->nrows;
  // Every row a Delete names, one per DO pass, is a row of the table:
  // otherwise nothing is deleted.
  if (command == mxcmd::remove && (start < 1 || std::int64_t{start} + repeat - 1 > n)) {
    core::msgkey.set(core::MSGKEY("editMXrow"));
    core::failedline.set(std::to_string(start));
    return finish();
  }
  if (command == mxcmd::append) start = n;
  for (std::int32_t i = 0; command != 0 && i < repeat; ++i) {
    chgstate.skipmapping = true;
    std::int32_t row = start + i, colout = 0;
    MXEDIT(unit, 0, row, colout, command, 2);
    chgstate.skipmapping = false;
  }
  finish();
}

}  // namespace ui
