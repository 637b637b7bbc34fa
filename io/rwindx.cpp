#include "io/rwindx.h"

#include <algorithm>
#include <array>
#include <cstdlib>
#include <string>
#include <utility>
#include <vector>

#include "io/formatparse.h"
#include "io/picture.h"
#include "io/rwfields.h"
#include "io/rwtexts.h"
#include "platform/fixed_text.h"
#include "platform/fixedfield.h"
#include "platform/shortmoves.h"

namespace io {

namespace {

using rwf::Call;

std::int32_t trimmedlength(std::string_view s) {
  std::size_t n = s.size();
  while (n > 0 && s[n - 1] == ' ') --n;
  return static_cast<std::int32_t>(n);
}

// The text between the quotes of the literal that starts at from.
std::string_view literaltext(std::string_view fmt, std::int32_t from) {
  const std::size_t q = fmt.find_first_of("'\"", static_cast<std::size_t>(std::max(from, 1) - 1));
  if (q == std::string_view::npos) return {};
  const std::size_t e = fmt.find(fmt[q], q + 1);
  if (e == std::string_view::npos) return {};
  return fmt.substr(q + 1, e - q - 1);
}

// A lower-case "i" (also with the unsigned mark) is the binary integer,
// as IB is.
void binaryletter(FmtDescr& d) {
  if (d.letter == 'I' && (d.written == 'i' || d.written == 'u')) d.letter = 'i';
}

// The format met last, compiled: each descriptor parsed once and kept by
// its position, with the standard format of its field made once. A walk
// over the same format (the next item, the next statement) finds a
// descriptor by its position without reading it again.
struct Compiled {
  std::string fmt;
  std::int32_t n = -1;
  struct Entry {
    std::int32_t next = 0;
    FmtDescr d;
    // The standard format of the field from..to (to 0: none made yet).
    std::int32_t stdfrom = 0, stdto = 0;
    plat::FixedText<60> work;
    plat::EditDesc std;
    bool stdok = false;
  };
  std::vector<std::int32_t> at;  // by position 1..n: entry + 1, 0 when not parsed
  std::vector<Entry> entries;
};
Compiled compiled;

// Makes fmt (its first n characters) the format in hand.
void select(std::string_view fmt, std::int32_t n) {
  Compiled& m = compiled;
  if (m.n == n && std::string_view(m.fmt) == fmt) return;
  m.fmt.assign(fmt);
  m.n = n;
  m.at.assign(static_cast<std::size_t>(std::max(n, 0)) + 2, 0);
  m.entries.clear();
}

// The descriptor at pos of the format in hand (select()).
Compiled::Entry* parse(std::int32_t& pos, FmtDescr& d) {
  Compiled& m = compiled;
  const bool kept = pos >= 1 && pos < static_cast<std::int32_t>(m.at.size());
  if (kept) {
    if (const std::int32_t e = m.at[static_cast<std::size_t>(pos)]; e > 0) {
      Compiled::Entry& x = m.entries[static_cast<std::size_t>(e - 1)];
      d = x.d;
      pos = x.next;
      return &x;
    }
  }
  const std::int32_t from = pos;
  PARSENEXTFORMAT(m.fmt, m.n, pos, d);
  binaryletter(d);
  if (!kept) return nullptr;
  Compiled::Entry x;
  x.next = pos;
  x.d = d;
  m.entries.push_back(x);
  m.at[static_cast<std::size_t>(from)] = static_cast<std::int32_t>(m.entries.size());
  return &m.entries.back();
}

// The standard format of the field from..to, made once per descriptor.
void stdformat(Call& c, Compiled::Entry* e, std::int32_t from, std::int32_t to) {
  if (e == nullptr) return rwf::setstdformat(c, from, to);
  Compiled::Entry& x = *e;
  if (x.stdto == 0 || x.stdfrom != from || x.stdto != to) {
    rwf::setstdformat(c, from, to);
    x.stdfrom = from;
    x.stdto = to;
    x.work = fmtwork;
    x.std = c.std;
    x.stdok = c.stdok;
    return;
  }
  fmtwork = x.work;
  c.std = x.std;
  c.stdok = x.stdok;
  c.stdknown = true;
}

// Walks of a whole group without any progress (an empty group repeated)
// end the walk.
constexpr int idlelimit = 10000;

}  // namespace

void RWINDX(std::string_view format, std::int32_t lfmt, std::span<char> record, std::int32_t ltext,
            std::int32_t ordinal, std::span<char> text, double& number, char& letter,
            std::int32_t& tpos, std::int32_t& fpos, std::int32_t& irep, char& status) {
  RwIndxState& s = rwindxstate;
  lfmt = std::clamp<std::int32_t>(lfmt, 0, static_cast<std::int32_t>(format.size()));
  ltext = std::clamp<std::int32_t>(ltext, 0, static_cast<std::int32_t>(record.size()));
  Call c;
  c.fmt = format.substr(0, static_cast<std::size_t>(lfmt));
  c.n = trimmedlength(c.fmt);
  c.rec = record.first(static_cast<std::size_t>(ltext));
  c.ordinal = ordinal;
  c.text = text;
  c.num = &number;
  c.writing = letter == 'W' || letter == 'w';
  c.closing = letter == 'w';
  c.letter = &letter;
  c.tpos = &tpos;
  c.fpos = &fpos;
  c.irep = &irep;
  c.status = &status;
  s.served = false;
  status = ' ';

  // 1. A read first clears its item.
  if (!c.writing) {
    std::fill(text.begin(), text.end(), ' ');
    number = 0.0;
  }
  // 2. A standard format is applied whole.
  const std::string_view copy =
      c.fmt.substr(0, std::min<std::size_t>(c.fmt.size(), fmtwork.size()));
  if (!c.closing && trimmedlength(copy) >= 5 && copy.substr(0, 4) == "std(" &&
      copy[static_cast<std::size_t>(trimmedlength(copy) - 1)] == ')') {
    fmtwork.set(copy.substr(3, static_cast<std::size_t>(trimmedlength(copy) - 3)));
    rwf::passthrough(c);
    letter = 'E';
    s.served = true;
    return;
  }
  // 3. A spent format starts again; a new record starts the walk afresh.
  if (tpos < 0) tpos = 0;
  if (fpos > c.n && irep <= 1) fpos = 1;
  if (tpos == 0 && (s.ndone <= 0 || std::abs(ordinal) <= 1)) {
    s.ndone = 0;
    irep = 1;
    s.level = 0;
    s.slashseen = false;
  }
  if (c.n == 0) {
    // A blank format: the default descriptor of the item.
    c.fmt = text.empty() ? "F" : "A";
    c.n = 1;
    if (fpos < 1 || fpos > 1) fpos = 1;
  }

  select(c.fmt, c.n);
  Compiled::Entry* entry = nullptr;
  int idle = 0;
  for (;;) {
    // Template mode: the format is no descriptor list.
    if (fpos < 0) {
      if (status == ' ') status = 'a';
      if (c.closing) {
        rwf::templateclose(c);
      } else if (rwf::templatestep(c)) {
        s.served = true;
      }
      return;
    }
    // 4. The next descriptor, or the one in hand when it repeats.
    FmtDescr& d = c.d;
    if (irep != 1) {
      std::int32_t p = s.descstart;
      entry = parse(p, d);
      if (d.letter == 'U') s.descstart = d.textstart + 1;
      if (p < 0) irep = 1;
    }
    if (irep == 1) {
      while (fpos <= c.n && c.fmt[static_cast<std::size_t>(fpos - 1)] == ' ') ++fpos;
      if (fpos > c.n) return;  // the format is spent
      // 5. Parse.
      s.descstart = fpos;
      std::int32_t p = fpos;
      entry = parse(p, d);
      if (p < 0) {
        status = 'a';
        s.tmplstart = s.descstart;
        s.tmplbase = tpos;
        s.delimiter = autodelimiter;
        fpos = -s.descstart;
        continue;
      }
      fpos = p;
      if (d.letter == '(') {
        if (s.level >= 8) {
          status = '1';  // groups nest 8 deep
          fpos = c.n + 1;
          return;
        }
        ++s.level;
        s.grouprep[static_cast<std::size_t>(s.level)] = d.repeat;
        s.groupret[static_cast<std::size_t>(s.level)] = fpos;
        goto tail;
      }
      if (d.letter == ')') {
        if (s.level == 0) {
          status = '1';
          fpos = c.n + 1;
          return;
        }
        auto& rep = s.grouprep[static_cast<std::size_t>(s.level)];
        if (!c.closing && rep > 1) {
          --rep;
          fpos = s.groupret[static_cast<std::size_t>(s.level)];
          if (++idle > idlelimit) {
            status = '6';
            fpos = c.n + 1;
            return;
          }
        } else {
          --s.level;
        }
        goto tail;
      }
      if (d.letter == 'U') s.descstart = d.textstart + 1;
    }
    // The closing pass writes literals and skips only.
    if (c.closing && d.letter != 'a' && d.letter != 'X') return;
    stdformat(c, entry, s.descstart, d.letter == 'U' ? d.textend : fpos - 1);

    // 6. The repetitions.
    for (std::int32_t rep = irep; rep <= d.repeat; ++rep) {
      irep = rep < d.repeat ? rep + 1 : 1;
      if (d.letter == 'X') {
        const std::int32_t w = d.repeat;
        if (c.writing) {
          const auto from = static_cast<std::size_t>(std::min(tpos, ltext));
          const auto to =
              static_cast<std::size_t>(std::min<std::int64_t>(std::int64_t{tpos} + w, ltext));
          std::fill(c.rec.begin() + static_cast<std::ptrdiff_t>(from),
                    c.rec.begin() + static_cast<std::ptrdiff_t>(std::max(from, to)), ' ');
        }
        tpos += w;
        irep = 1;
        idle = 0;
        break;
      }
      std::string_view lit;
      std::int32_t w = d.width;
      if (d.letter == 'a') {
        lit = literaltext(c.fmt, s.descstart);
        w = static_cast<std::int32_t>(lit.size());
      } else if (d.letter == 'A' && w == 0 && c.istext()) {
        w = std::min(static_cast<std::int32_t>(text.size()), std::max(ltext - tpos, 0));
        if (w == 0 && c.writing) w = static_cast<std::int32_t>(text.size());
      }
      // Room.
      if (std::int64_t{tpos} + w > ltext) {
        if (c.writing && ltext - tpos > 0) {
          w = ltext - tpos;
        } else {
          status = '3';
          fpos = c.n + 1;
          return;
        }
      }
      if (d.letter == 'a') {
        if (c.writing)
          std::copy_n(lit.begin(), w, c.rec.begin() + static_cast<std::ptrdiff_t>(tpos));
        tpos += w;
        letter = 'A';
        if (w > 0) idle = 0;
        continue;
      }
      if (w == 0 && d.letter != 'A') {
        if (d.letter != 'F') {
          status = '4';
          rwdetail.set(std::string_view(&d.letter, 1));
          fpos = c.n + 1;
          return;
        }
        rwf::freefield(c);
        s.served = status == ' ';
        goto after;
      }
      const std::int32_t p0 = tpos;
      ++s.ndone;
      tpos += w;
      idle = 0;
      if (s.ndone < std::abs(ordinal)) continue;  // a field passed over
      rwf::convert(c, p0, w);
      s.served = true;
      goto after;
    }
    goto tail;

  after:
    // 8. A "/" after the descriptor's last repetition ends the record.
    if (!c.wrapped && irep == 1 && fpos > 1 && fpos <= c.n + 1 &&
        c.fmt[static_cast<std::size_t>(fpos - 2)] == '/') {
      letter = '/';
      s.slashseen = true;
    }
    return;

  tail:
    // 9. On to the next descriptor while the format lasts.
    if (fpos <= 0) return;
    if (fpos <= c.n) {
      if (tpos > ltext + 1) {
        status = '3';
        fpos = c.n + 1;
        return;
      }
      irep = 1;
      continue;
    }
    if (!s.slashseen && s.level > 0 && status == ' ') status = '6';
    return;
  }
}

namespace {

// The fields of a plain format, in the order the items take them.
struct Plan {
  std::string fmt;
  std::int32_t lfmt = -1;
  std::int32_t cut = 0, n = 0;  // the format's characters in use, and without trailing blanks
  bool plain = false;
  std::size_t common = 0;   // the leading fields that are common ones with their standard format
  std::int32_t extent = 0;  // the characters the whole format spans
  struct Field {
    std::int32_t skip = 0;            // X characters before the field
    std::int32_t at = 0;              // the field's first character, 0-based
    FmtDescr d;                       // its descriptor
    std::int32_t start = 0;           // the descriptor's format position
    std::int32_t fpos = 0, irep = 1;  // the walk's positions after the field
    plat::FixedText<60> work;         // its standard format
    plat::EditDesc std;
    bool stdok = false;
    rwf::Common kind = rwf::Common::none;  // (of its letter)
    // The groups open after the field, as the walk leaves them from a
    // reset state: their level, their entries, and the deepest level
    // opened since the record's start (0: the groups' state is a reset one).
    std::int32_t level = 0, reach = 0;
    std::array<std::int32_t, 9> grouprep{}, groupret{};
  };
  std::vector<Field> fields;
  // The closing pass of a WRITE after the items up to field closingat
  // (1-based; 0: none worked out since the plan was made), as the walk
  // takes it: the skips and groups up to the next field or the format's
  // end. Unknown where the walk would fail or reach beyond the extent.
  struct Closing {
    bool known = false;
    std::int32_t tpos = 0, fpos = 0, irep = 1, descstart = 0;
    std::int32_t level = 0, reach = 0;
    std::array<std::int32_t, 9> grouprep{}, groupret{};
    bool skipped = false;  // a skip met: its standard format is the one in hand
    plat::FixedText<60> work;
  };
  std::size_t closingat = 0;
  Closing closing;
};
// The plans of the formats met last (statements that take turns with
// their formats find theirs again), and the one in use.
std::array<Plan, 8> plans;
std::size_t nextplan = 0;
// The plan in hand (rwplaninuse; the first before any is asked for).
Plan& inuse() { return rwplaninuse != nullptr ? *static_cast<Plan*>(rwplaninuse) : plans[0]; }

// (B, O and Z write a text as a dump of its codes over several fields.)
bool plainletter(char l) {
  return l != ' ' && std::string_view("AEFGIL").find(l) != std::string_view::npos;
}

void makeplan(Plan& m, std::string_view format, std::int32_t lfmt) {
  ++rwplansmade;
  m.fmt.assign(format);
  m.lfmt = lfmt;
  m.plain = false;
  m.common = 0;
  m.fields.clear();
  m.extent = 0;
  m.closingat = 0;
  Call c;
  c.fmt = format.substr(0, static_cast<std::size_t>(std::clamp<std::int32_t>(
                               lfmt, 0, static_cast<std::int32_t>(format.size()))));
  c.n = trimmedlength(c.fmt);
  m.cut = static_cast<std::int32_t>(c.fmt.size());
  m.n = c.n;
  if (c.n == 0 || c.fmt.substr(0, 4) == "std(" ||
      c.fmt.substr(0, static_cast<std::size_t>(c.n)).find_first_of("/'\"") !=
          std::string_view::npos)
    return;
  select(c.fmt, c.n);
  // The walk the engine takes over the items, its groups opened, repeated
  // and closed as it does, up to the format's end or to the return of a
  // group without a repeat count (the items after go on through the
  // engine).
  std::int32_t fpos = 1, tpos = 0, skip = 0;
  std::int32_t level = 0, reach = 0;
  std::array<std::int32_t, 9> grouprep{}, groupret{};
  int idle = 0;  // group returns since the last field or skip
  bool endless = false;
  for (;;) {
    while (fpos <= c.n && c.fmt[static_cast<std::size_t>(fpos - 1)] == ' ') ++fpos;
    if (fpos > c.n) break;
    const std::int32_t start = fpos;
    std::int32_t p = fpos;
    FmtDescr d;
    parse(p, d);
    if (p <= start) return;
    fpos = p;
    if (d.letter == '(') {
      if (level >= 8) return;
      ++level;
      reach = std::max(reach, level);
      grouprep[static_cast<std::size_t>(level)] = d.repeat;
      groupret[static_cast<std::size_t>(level)] = fpos;
      continue;
    }
    if (d.letter == ')') {
      if (level == 0) return;
      std::int32_t& rep = grouprep[static_cast<std::size_t>(level)];
      if (rep == fmtnorepeat) {
        endless = true;
        break;
      }
      if (rep > 1) {
        --rep;
        fpos = groupret[static_cast<std::size_t>(level)];
        if (++idle > idlelimit) return;
      } else {
        --level;
      }
      continue;
    }
    if (d.letter == 'X') {
      // A skip and the field after it stay within the blanks laid ahead.
      if (d.repeat < 1 || skip + d.repeat > 500) return;
      skip += d.repeat;
      tpos += d.repeat;
      idle = 0;
      continue;
    }
    if (!plainletter(d.letter) || d.width < 1 || d.width > 500 || d.repeat < 1 || d.repeat > 1000)
      return;
    idle = 0;
    // The standard format, made as the walk makes it.
    std::int32_t q = start;
    Compiled::Entry* e = parse(q, d);
    stdformat(c, e, start, p - 1);
    for (std::int32_t rep = 1; rep <= d.repeat; ++rep) {
      Plan::Field f;
      f.skip = rep == 1 ? skip : 0;
      f.at = tpos;
      f.d = d;
      f.start = start;
      f.fpos = p;
      f.irep = rep < d.repeat ? rep + 1 : 1;
      f.work = fmtwork;
      f.std = c.std;
      f.stdok = c.stdok;
      f.kind = rwf::commonkind(d.letter);
      f.level = level;
      f.reach = reach;
      f.grouprep = grouprep;
      f.groupret = groupret;
      m.fields.push_back(f);
      tpos += d.width;
      if (m.fields.size() > 100000) return;
    }
    skip = 0;
  }
  // (A format that ends inside a group fails in the walk.)
  if (level > 0 && !endless) return;
  m.extent = tpos;
  m.plain = !m.fields.empty();
  while (m.common < m.fields.size() && m.fields[m.common].stdok &&
         m.fields[m.common].kind != rwf::Common::none)
    ++m.common;
}

}  // namespace

bool rwplan(std::string_view format, std::int32_t lfmt, std::int32_t elements, std::int32_t ltext) {
  auto same = [&](const Plan& p) { return p.lfmt == lfmt && std::string_view(p.fmt) == format; };
  if (!same(inuse())) {
    const auto hit = std::find_if(plans.begin(), plans.end(), same);
    if (hit != plans.end()) {
      rwplaninuse = &*hit;
    } else {
      rwplaninuse = &plans[nextplan];
      nextplan = (nextplan + 1) % plans.size();
      makeplan(inuse(), format, lfmt);
    }
  }
  const Plan& plan = inuse();
  return plan.plain && elements >= 1 && static_cast<std::size_t>(elements) <= plan.fields.size() &&
         plan.extent + 1 <= ltext;
}

bool rwplanfind(std::string_view format, std::int32_t lfmt, std::int32_t elements,
                std::int32_t ltext, RwPlanKey& key) {
  if (key.plan == nullptr || key.made != rwplansmade) {
    rwplan(format, lfmt, elements, ltext);
    key.plan = &inuse();
    key.made = rwplansmade;
  }
  rwplaninuse = key.plan;
  const Plan& plan = inuse();
  key.elements = elements;
  key.ltext = ltext;
  key.planned = plan.plain && elements >= 1 &&
                static_cast<std::size_t>(elements) <= plan.fields.size() &&
                plan.extent + 1 <= ltext;
  return key.planned;
}

namespace {
Call plancall;  // the record under the plan
}  // namespace

void rwplanbegin(std::span<char> record, std::int32_t ltext, char dir, char& letter,
                 std::int32_t& tpos, std::int32_t& fpos, std::int32_t& irep, char& status) {
  Call& c = plancall;
  c = Call{};
  const Plan& plan = inuse();
  c.fmt = std::string_view(plan.fmt).substr(0, static_cast<std::size_t>(plan.cut));
  c.n = plan.n;
  c.rec = record.first(static_cast<std::size_t>(ltext));
  c.writing = dir == 'W';
  c.letter = &letter;
  c.tpos = &tpos;
  c.fpos = &fpos;
  c.irep = &irep;
  c.status = &status;
  c.stdknown = true;
}

namespace {
// The groups the walk leaves open after field f. (Whole: the entries the
// walk has not set since the record's start are those of a reset state.)
void setgroups(RwIndxState& s, const Plan::Field& f) {
  s.level = f.level;
  s.grouprep = f.grouprep;
  s.groupret = f.groupret;
}
}  // namespace

void rwplanfield(std::int32_t ordinal, std::span<char> text, double& number) {
  RwIndxState& s = rwindxstate;
  Call& c = plancall;
  const Plan::Field& f = inuse().fields[static_cast<std::size_t>(ordinal - 1)];
  c.ordinal = ordinal;
  c.text = text;
  c.num = &number;
  *c.status = ' ';
  if (!c.writing) {
    std::fill(text.begin(), text.end(), ' ');
    number = 0.0;
  } else if (f.skip > 0) {
    std::fill_n(c.rec.begin() + (f.at - f.skip), f.skip, ' ');
  }
  c.d = f.d;
  s.descstart = f.start;
  fmtwork = f.work;
  c.std = f.std;
  c.stdok = f.stdok;
  *c.fpos = f.fpos;
  *c.irep = f.irep;
  if (f.reach > 0) setgroups(s, f);
  ++s.ndone;
  *c.tpos = f.at + f.d.width;
  rwf::convert(c, f.at, f.d.width);
  s.served = true;
}

namespace {
// (Copied from one made once: cheaper than clearing it field by field.)
const RwIndxState freshstate;
}  // namespace

namespace {

// The fields of a whole record in turn (see rwplanrecord), made apart for
// a record written and one read.
template <bool writing>
bool planfields(const Plan::Field* fields, const RwPlanItem* item, std::size_t count, char* base) {
  for (std::size_t i = 0; i < count; ++i) {
    const Plan::Field& f = fields[i];
    const RwPlanItem& it = item[i];
    // Written, the skip before the field is blanked; the field itself is
    // laid whole by its conversion. (The plan lies within the record.)
    if (writing && f.skip > 0)
      plat::fill_short(base + (f.at - f.skip), static_cast<std::size_t>(f.skip), ' ');
    const std::span<char> field(base + f.at, static_cast<std::size_t>(f.d.width));
    // (As rwf::convertcommon converts the field, by the kind found once.)
    if (it.text.empty()) {
      if constexpr (writing) {
        if (f.kind == rwf::Common::integer) {
          if (!rwf::commonintput(f.std, field, *it.number)) return false;
        } else if (f.kind != rwf::Common::real || !rwf::commonrealput(f.std, field, *it.number)) {
          return false;
        }
        continue;
      }
      double v = 0.0;
      if (f.kind == rwf::Common::integer) {
        if (!rwf::commonint(f.std, writing, field, v)) return false;
      } else if (f.kind != rwf::Common::real || !rwf::commonreal(f.std, writing, field, v)) {
        return false;
      }
      if (it.takes) *it.number = v;
    } else if (f.kind != rwf::Common::text) {
      return false;
    } else if (writing) {
      rwf::commontextput(field, it.text);
    } else if (it.takes) {
      rwf::commontext(writing, field, it.text);
      // (A read zeroes the number beside a text, as one call of the engine does.)
      if (!writing && it.number != nullptr) *it.number = 0.0;
    }  // (a text read under A into a constant leaves it)
  }
  return true;
}

}  // namespace

bool rwplanrecord(std::span<char> record, char dir, std::span<const RwPlanItem> items,
                  RwPlanEnd& end) {
  const Plan& plan = inuse();
  const std::size_t count = items.size();
  if (count == 0 || count > plan.common || std::cmp_greater_equal(plan.extent, record.size()))
    return false;
  const bool writing = dir == 'W';
  const Plan::Field* const fields = plan.fields.data();
  if (!(writing ? planfields<true>(fields, items.data(), count, record.data())
                : planfields<false>(fields, items.data(), count, record.data())))
    return false;
  // The fields follow one another: the last item started where the one
  // before it ended.
  const Plan::Field& last = fields[count - 1];
  const std::int32_t at = last.at + last.d.width;
  end.written = count >= 2 ? fields[count - 2].at + fields[count - 2].d.width : 0;
  end.blanked = writing ? at : 0;
  // The state that serving the items one by one leaves.
  RwIndxState& s = rwindxstate;
  s = freshstate;
  s.ndone = static_cast<std::int32_t>(count);
  s.descstart = last.start;
  s.served = true;
  if (last.reach > 0) setgroups(s, last);
  fmtwork = last.work;
  end.letter = last.d.letter;
  end.tpos = at;
  end.fpos = last.fpos;
  end.irep = last.irep;
  return true;
}

namespace {

// Works out the closing pass after field i (see Plan::Closing) as the walk
// takes it with the letter "w".
void workclosing(Plan& m, std::size_t i) {
  const Plan::Field& f = m.fields[i];
  Plan::Closing& k = m.closing;
  m.closingat = i + 1;
  k = Plan::Closing{};
  k.tpos = f.at + f.d.width;
  k.fpos = f.fpos;
  k.irep = f.irep;
  k.descstart = f.start;
  k.level = f.level;
  k.reach = f.reach;
  k.grouprep = f.grouprep;
  k.groupret = f.groupret;
  // (A descriptor repeated further stops the pass at once.)
  if (f.irep != 1) {
    k.known = true;
    return;
  }
  Call c;
  c.fmt = std::string_view(m.fmt).substr(0, static_cast<std::size_t>(m.cut));
  c.n = m.n;
  select(c.fmt, c.n);
  const plat::FixedText<60> kept = fmtwork;
  k.known = [&] {
    for (;;) {
      while (k.fpos <= c.n && c.fmt[static_cast<std::size_t>(k.fpos - 1)] == ' ') ++k.fpos;
      // (At the format's end every group is closed.)
      if (k.fpos > c.n) return k.level == 0;
      const std::int32_t start = k.fpos;
      std::int32_t p = k.fpos;
      FmtDescr d;
      Compiled::Entry* e = parse(p, d);
      if (p <= start) return false;
      k.descstart = start;
      k.fpos = p;
      k.irep = 1;
      if (d.letter == '(') {
        if (k.level >= 8) return false;
        ++k.level;
        k.reach = std::max(k.reach, k.level);
        k.grouprep[static_cast<std::size_t>(k.level)] = d.repeat;
        k.groupret[static_cast<std::size_t>(k.level)] = p;
        continue;
      }
      if (d.letter == ')') {
        if (k.level == 0) return false;
        --k.level;  // (closing, a group is not repeated)
        continue;
      }
      if (d.letter != 'X') return true;  // the next field: the pass ends at it
      stdformat(c, e, start, p - 1);
      k.work = fmtwork;
      k.skipped = true;
      k.tpos += d.repeat;
      if (k.tpos > m.extent) return false;
    }
  }();
  fmtwork = kept;
}

}  // namespace

bool rwplanclosing(std::int32_t served, std::span<char> record, std::int32_t ltext,
                   std::int32_t& tpos, std::int32_t& fpos, std::int32_t& irep) {
  Plan& m = inuse();
  if (served < 1 || std::cmp_greater(served, m.fields.size()) || !m.plain) return false;
  const Plan::Field& f = m.fields[static_cast<std::size_t>(served - 1)];
  if (tpos != f.at + f.d.width || fpos != f.fpos || irep != f.irep) return false;
  if (m.closingat != static_cast<std::size_t>(served))
    workclosing(m, static_cast<std::size_t>(served - 1));
  const Plan::Closing& k = m.closing;
  ltext = std::clamp<std::int32_t>(ltext, 0, static_cast<std::int32_t>(record.size()));
  if (!k.known || k.tpos + 1 > ltext) return false;
  RwIndxState& s = rwindxstate;
  if (k.tpos > tpos) std::fill(record.begin() + tpos, record.begin() + k.tpos, ' ');
  s.served = false;
  s.descstart = k.descstart;
  if (k.reach > 0) {
    s.level = k.level;
    s.grouprep = k.grouprep;
    s.groupret = k.groupret;
  }
  if (k.skipped) fmtwork = k.work;
  tpos = k.tpos;
  fpos = k.fpos;
  irep = k.irep;
  return true;
}

void reset_rwindx() { rwindxstate = freshstate; }

}  // namespace io
