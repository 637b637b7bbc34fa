// EDIT options that cut the text into words and sort them (SorTtoIndex,
// SorTedtext, SortFromIndex, SortDelDbls, LeXicon), the settings of the
// word index (EXTRA, IDentification, Id1, Id2, OFfSet, SorTSequence,
// SorTColumn1) and its entrance, InvertedIndex.
#include <algorithm>
#include <array>
#include <cctype>
#include <cmath>
#include <new>
#include <string>
#include <vector>

#include "core/chars.h"
#include "core/messages.h"
#include "core/runwords.h"
#include "core/search.h"
#include "core/stores.h"
#include "core/symbols.h"
#include "exec/optdispatch.h"
#include "exec/strings.h"
#include "exec/xeq.h"
#include "text/edit_words.h"
#include "text/invidx_search.h"

namespace text {

using exec::optkw;
using exec::optval;

bool writabletext(std::int32_t v, Span& s) {
  return core::NAMTYP(v, 0x49) == 0x40 && textvalue(v, s) && s.size() > 0;
}

bool nextword(std::string_view text, std::size_t& p, std::size_t& b, std::size_t& e,
              std::string_view seps, std::int32_t count) {
  const std::string_view set = count == 0 ? std::string_view(" ") : seps.substr(0, count);
  std::array<bool, 256> sep{};
  for (const char c : set) sep[static_cast<unsigned char>(c)] = true;
  while (p < text.size() && sep[static_cast<unsigned char>(text[p])]) ++p;
  if (p >= text.size()) return false;
  b = p;
  while (p < text.size() && !sep[static_cast<unsigned char>(text[p])]) ++p;
  e = p;
  return true;
}

bool arraycells(std::int32_t v, std::int32_t& adr, std::int32_t& cells) {
  if (v < 1 || core::NAMTYP(v, 0x10) == 0) return false;
  adr = core::name(v).adr;
  const std::int64_t n =
      static_cast<std::int64_t>(std::max(core::I4EQUZ(1, v), 0)) * std::max(core::I4EQUZ(2, v), 0);
  if (adr < 1 || n < 1 || n > 0x7FFFFFFF - adr || !core::z.valid(adr) ||
      !core::z.valid(adr + n - 1))
    return false;
  cells = static_cast<std::int32_t>(n);
  return true;
}

bool arraytarget(std::int32_t t, std::int32_t& adr, std::int32_t& cells, std::int32_t& element,
                 std::int32_t& sym) {
  element = 1;
  sym = t;
  if (arraycells(t, adr, cells)) return true;
  for (sym = 1; sym <= core::nsym; ++sym) {
    if (arraycells(sym, adr, cells) && t >= adr && t - adr < cells) {
      element = t - adr + 1;
      return true;
    }
  }
  return false;
}

namespace {

std::string_view sepsof(const EditState& e) {
  return {e.seps.data(), static_cast<std::size_t>(std::max(e.nseps, 0))};
}

// Adds a word to the list, folded unless case counts.
void addword(WordList& w, std::int32_t at, std::string_view word, bool casekept) {
  const std::size_t from = w.chars.size();
  w.add(at, word);
  if (!casekept) core::LOCASE(std::span<char>(w.chars.data() + from, word.size()));
}

// The words of c1namen(first..last): runs of non-separators, or pieces of
// the fixed width when the separator count is 0.
void addtextwords(const EditState& e, WordList& w, std::int32_t first, std::int32_t last,
                  bool casekept) {
  last = std::min(last, e.last);
  if (last < first) return;
  const std::string text(core::c1namen.ptr(first), static_cast<std::size_t>(last - first + 1));
  if (e.nseps == 0) {
    const auto width = static_cast<std::size_t>(std::max(e.fixedwidth, 1));
    for (std::size_t b = 0; b < text.size(); b += width)
      addword(w, first + static_cast<std::int32_t>(b), std::string_view(text).substr(b, width),
              casekept);
    return;
  }
  std::size_t p = 0, b = 0, end = 0;
  while (nextword(text, p, b, end, sepsof(e), e.nseps))
    addword(w, first + static_cast<std::int32_t>(b), std::string_view(text).substr(b, end - b),
            casekept);
}

// Sorts the list: the word numbers by the words from the sort column on
// (blank-padded comparison), each run of equal words in ascending
// word-number order, its last entry negated when distinct; reversed on
// request. Occurrences are grouped by word through a hash table first, so
// only the distinct words are compared and sorted; the word numbers then
// go to their groups in one stable counting pass.
void sortwords(WordList& w, std::int32_t column, bool distinct, bool reverse) {
  const std::int32_t n = w.n();
  const auto size = static_cast<std::size_t>(n);
  auto& order = w.order.raw();
  order.resize(size);
  // The key of word k without its trailing blanks: two keys compare equal
  // exactly when these are the same bytes.
  auto key = [&](std::int32_t k) {
    std::string_view s = w.word(k);
    s.remove_prefix(std::min(s.size(), static_cast<std::size_t>(column)));
    return s.substr(0, static_cast<std::size_t>(core::C1LEN_TRIM(s)));
  };
  // Open addressing over the group numbers; rep[g] is the first word of
  // group g.
  std::size_t slots = 16;
  while (slots < 2 * size) slots *= 2;
  std::vector<std::int32_t> table(slots, -1);
  std::vector<std::int32_t> group(size + 1), rep;
  for (std::int32_t k = 1; k <= n; ++k) {
    const std::string_view s = key(k);
    std::uint64_t h = 1469598103934665603ull;
    for (const char c : s) h = (h ^ static_cast<unsigned char>(c)) * 1099511628211ull;
    std::size_t i = (h ^ (h >> 29)) & (slots - 1);
    for (;; i = (i + 1) & (slots - 1)) {
      const std::int32_t g = table[i];
      if (g < 0) {
        table[i] = static_cast<std::int32_t>(rep.size());
        group[static_cast<std::size_t>(k)] = table[i];
        rep.push_back(k);
        break;
      }
      if (key(rep[static_cast<std::size_t>(g)]) == s) {
        group[static_cast<std::size_t>(k)] = g;
        break;
      }
    }
  }
  table = {};
  // The groups in the order of their words, then the start of each group.
  const std::size_t ngroups = rep.size();
  std::vector<std::int32_t> byword(ngroups);
  for (std::size_t g = 0; g < ngroups; ++g) byword[g] = static_cast<std::int32_t>(g);
  std::sort(byword.begin(), byword.end(), [&](std::int32_t a, std::int32_t b) {
    return core::C1_LT_EQ_GT(key(rep[static_cast<std::size_t>(a)]),
                             key(rep[static_cast<std::size_t>(b)])) < 0;
  });
  std::vector<std::int32_t> count(ngroups + 1, 0);
  for (std::int32_t k = 1; k <= n; ++k)
    ++count[static_cast<std::size_t>(group[static_cast<std::size_t>(k)])];
  std::vector<std::int32_t> at(ngroups);
  std::int32_t next = 0;
  for (const std::int32_t g : byword) {
    at[static_cast<std::size_t>(g)] = next;
    next += count[static_cast<std::size_t>(g)];
  }
  for (std::int32_t k = 1; k <= n; ++k)
    order[static_cast<std::size_t>(
        at[static_cast<std::size_t>(group[static_cast<std::size_t>(k)])]++)] = k;
  // Each group now ends where at[] stopped.
  if (distinct)
    for (std::size_t g = 0; g < ngroups; ++g) {
      auto& last = order[static_cast<std::size_t>(at[g] - 1)];
      last = -last;
    }
  if (reverse) std::reverse(order.begin(), order.end());
}

}  // namespace

Flow wordsort(EditState& e, int kw, std::int32_t v) {
  std::int32_t mask = e.mask;
  std::string lexicon;
  bool lexindex = false;
  if (kw == ekw::LeXicon) {
    Span t;
    if (textvalue(v, t)) {
      if (!INIT_INVIDX(2, t.first, t.last, 0, 0, 0, e.first, 0, 0, 0, 0)) {
        exec::errsubject = v;  // the message names the index variable
        return Flow::stop;
      }
      const InvIdxRun& r = invidxrun;
      if (r.LEX1 < r.IDS1 && r.IDS1 - 1 <= t.size()) {
        lexicon = exec::c1text(t.first + r.LEX1 - 1, t.first + r.IDS1 - 2);
        mask |= core::so_sorted;
        lexindex = true;
      } else {
        lexicon = textcopy(t);
        lexicon.resize(static_cast<std::size_t>(core::C1LEN_TRIM(lexicon)));
      }
    }
    if (EVALUATE_LEXICON(e, lexicon, mask)) {
      e.keepnumber = true;
      return Flow::next;
    }
  }
  // SorTtoIndex and SortFromIndex arrays from here on.
  std::int32_t toslot = 0, fromvar = 0, adr = 0, size = 0;
  for (std::int32_t s = e.slot; s >= 1; --s) {
    const int k = optkw(s);
    if (k == ekw::SorTtoIndex && toslot == 0 && arraycells(optval(s), adr, size)) toslot = s;
    if (k == ekw::SortFromIndex && fromvar == 0 && arraycells(optval(s), adr, size))
      fromvar = optval(s);
  }
  const bool casekept = (mask & om_case) != 0;
  const bool distinct = kw == ekw::SortDelDbls || kw == ekw::LeXicon;
  WordList w;
  try {
    addtextwords(e, w, e.rbeg, e.rend, casekept);
    if (!lexicon.empty()) {
      std::size_t p = 0, b = 0, end = 0;
      while (nextword(lexicon, p, b, end, sepsof(e), e.nseps))
        addword(w, 0, std::string_view(lexicon).substr(b, end - b), casekept);
    }
    if (kw == ekw::SortFromIndex && toslot == 0) {
      w.order.raw().resize(static_cast<std::size_t>(w.n()));
      for (std::int32_t k = 1; k <= w.n(); ++k) w.order(k) = k;
    } else {
      sortwords(w, e.sortcol, distinct, (mask & om_back) != 0);
    }
  } catch (const std::bad_alloc&) {
    std::int32_t nomem = 41;
    core::CHECKANDSETRUNTIMEERROR("ed01", nomem);
    return Flow::stop;
  }
  if (toslot > 0 && arraycells(optval(toslot), adr, size)) {
    for (std::int32_t i = 0; i < size; ++i) core::z(adr + i) = i < w.n() ? w.order(i + 1) : 0.0;
  }
  if (!e.sortdone && w.n() > 0) {
    e.sortdone = true;
    const bool own = kw != ekw::SorTtoIndex && kw != ekw::SortFromIndex && !lexindex;
    MAKELEXFROMIDXVEC(e, w, own ? v : 0, distinct, distinct ? toslot : 0, fromvar);
  }
  e.result = w.n();
  e.keepnumber = true;
  return Flow::next;
}

void indexsetting(EditState& e, int kw, std::int32_t v) {
  Span t;
  switch (kw) {
    case ekw::EXTRA:
      e.extra = {};
      if (textvalue(v, t)) e.extra = {t.first, t.first + core::C1LEN_TRIM(textcopy(t)) - 1};
      break;
    case ekw::IDentification:
      if (textvalue(v, t)) {
        const std::string s = textcopy(t, 8);
        if (s.starts_with("IGNORE") || s.starts_with("CONST")) {
          e.idoption = t;
        } else {
          e.idfirst = t.first;
          e.idlast = t.last;
        }
      } else if (v > 0) {
        e.idfirst = 0;
        e.idlast = intvalue(v);
      }
      break;
    case ekw::Id1:
      e.idfirst = e.pos;
      break;
    case ekw::Id2:
      e.idlast = e.pos;
      break;
    case ekw::OFfSet:
      invidxrun.offset = intvalue(v);
      break;
    case ekw::SorTSequence:
      e.sequence = intvalue(v);
      break;
    case ekw::SorTColumn1:
      e.sortcol = std::max(intvalue(v) - 1, 0);
      break;
    default:
      break;
  }
}

namespace {

// The search form: the text (or its range) is the query.
Flow indexsearch(EditState& e, const Span& ix, const Span& query) {
  // A whole-array target is filled at its first element; the statement's
  // value at a later element is what stands there.
  std::int32_t adr = 0, cells = 0, element = 0, sym = 0;
  if (static_cast<std::uint16_t>(e.assignkind) == 0x8440 &&
      arraytarget(core::xeqtarget, adr, cells, element, sym) && element > 1) {
    e.result = core::z(adr + element - 1);
    e.arraycells = cells + 1;
    return Flow::next;
  }
  const Span& opt = e.idoption;
  const std::int32_t mask = e.mask & 0x1A1;
  if (!INIT_INVIDX(1, ix.first, ix.last, 0, e.idfirst, e.idlast, e.first, -1, -1,
                   opt.size() > 0 ? opt.first : 0, opt.last))
    return Flow::stop;
  const InvIdxRun& r = invidxrun;
  if (r.IDS1 < iilex1 || r.IDS1 - 1 > ix.size()) {
    core::msgkey.set(core::MSGKEY("editInv"));
    return Flow::stop;
  }
  // An index built with case keeps capitals in its lexicon.
  std::int32_t casebit = mask & om_case;
  const std::string lexicon = exec::c1text(ix.first + iilex1 - 1, ix.first + r.IDS1 - 2);
  for (const char c : lexicon) {
    if (std::isalpha(static_cast<unsigned char>(c)) == 0) continue;
    if (c >= 'A' && c <= 'Z') casebit = om_case;
    break;
  }
  std::int32_t ndist = 0;
  PREPAREIISEARCH(query.size() > 0 ? exec::c1text(query.first, query.last) : std::string(),
                  sepsof(e), lexicon, (mask & ~om_case) | casebit, ndist);
  if (!core::msgkey.is_blank()) return Flow::stop;
  SearchCall call;
  call.ixfirst = ix.first;
  call.ixlast = ix.last;
  call.mask = mask | casebit;
  const std::string settings = textcopy(e.extra, 256);
  call.settings = settings;
  call.sortkey = e.sequence;
  // A number names one identification; a key names the lines it occurs in
  // (an identification found exactly, with an option text, alone).
  const bool bynumber = e.idfirst < 1 && e.idlast > 0;
  call.alone = bynumber || r.curid < r.NIDS - 1;
  call.filter = !call.alone && (e.idfirst > 0 || r.optfirst > 0);
  SEARCHINVIDX(e, call);
  return core::msgkey.is_blank() ? Flow::next : Flow::stop;
}

Flow indexrun(EditState& e, std::int32_t v) {
  // The span of the identification and the number that goes with it.
  Span span{e.first, std::min(e.end, e.last)};
  std::int32_t number = 0;
  if (e.rangenr >= 1) {
    span = {e.rbeg, std::min(e.rend, e.last)};
    number = e.rangenr;
  } else if (e.mark1 > 0) {
    if (e.mark2 < e.mark1) {
      e.mark2 = 0;
      return Flow::next;
    }
    span = {e.mark1, std::min(e.mark2, e.last)};
    number = e.passnr;
  }
  e.mark2 = 0;
  e.keepnumber = true;
  Span ix;
  if (!textvalue(v, ix) || ix.size() < 1) {
    core::msgkey.set(core::MSGKEY("editInv"));
    return Flow::stop;
  }
  const Span& opt = e.idoption;
  if (assignedkind(e.assignkind)) return indexsearch(e, ix, span);
  if (!writabletext(v, ix)) {
    core::msgkey.set(core::MSGKEY("editConstant"));
    return Flow::stop;
  }
  const std::int32_t flags = e.mask & om_case;
  if (!INIT_INVIDX(0, ix.first, ix.last, number, e.idfirst, e.idlast, e.first, span.first,
                   span.last, opt.size() > 0 ? opt.first : 0, opt.last))
    return Flow::stop;
  e.mark1 = 0;
  InvIdxRun& r = invidxrun;
  // The extra characters: on a new index the EXTRA letters (l line feed, c
  // carriage return, t tab; blanks dropped), later the index's own.
  const bool fresh = r.IDS1 == 0;
  if (fresh && e.extra.size() > 0) {
    std::string x;
    for (const char ch : textcopy(e.extra)) {
      if (ch == ' ') continue;
      x += ch == 'l' || ch == 'L'   ? '\n'
           : ch == 'c' || ch == 'C' ? '\r'
           : ch == 't' || ch == 'T' ? '\t'
                                    : ch;
    }
    r.xtr.set(x);
    r.xtrlen = static_cast<std::int32_t>(std::min<std::size_t>(x.size(), 16));
  }
  const std::string_view xtr = r.xtr.view().substr(0, static_cast<std::size_t>(r.xtrlen));
  WordList w;
  try {
    if (fresh)
      for (const char ch : xtr) w.add(0, std::string_view(&ch, 1));
    for (const char ch : xtr)
      for (std::int32_t p = span.first; p <= span.last; ++p)
        if (core::c1namen(p) == ch) w.add(p, std::string_view(&ch, 1));
    r.ignorelimit = w.n();
    addtextwords(e, w, span.first, span.last, flags != 0);
    sortwords(w, 0, true, false);
  } catch (const std::bad_alloc&) {
    std::int32_t nomem = 41;
    core::CHECKANDSETRUNTIMEERROR("ed01", nomem);
    return Flow::stop;
  }
  INVERT_INDEX(w, ix.first, ix.last, e.first, flags);
  return core::msgkey.is_blank() ? Flow::next : Flow::stop;
}

}  // namespace

Flow invertedindex(EditState& e, std::int32_t v) {
  const Flow f = indexrun(e, v);
  if (f == Flow::stop) exec::errsubject = v;  // the message names the index variable
  return f;
}

}  // namespace text
