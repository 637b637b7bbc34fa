// Query preparation: each query word becomes a cell that names its
// lexicon word, or several cells for a regular-expression word; the signs
// of the cells group them into terms and alternatives.
#include <algorithm>
#include <cstdlib>
#include <string>

#include "core/chars.h"
#include "core/messages.h"
#include "core/rawmem.h"
#include "core/runwords.h"
#include "core/search.h"
#include "core/stores.h"
#include "core/symbols_text.h"
#include "text/invidx_search.h"

namespace text {

namespace {

constexpr std::string_view metachars = "$.?*+^[]|\\";

bool ismeta(char c) { return c != '|' && metachars.find(c) != std::string_view::npos; }

class Prepare {
 public:
  Prepare(std::string_view q, std::string_view seps, std::string_view lex, std::int32_t mask)
      : q(q), seps(seps), lex(lex), regex((mask & om_regex) != 0), casebit(mask & om_case) {}
  std::int32_t run(std::int32_t& ndist);

 private:
  char at(std::size_t i) const { return i < q.size() ? q[i] : ' '; }
  bool issep(char c) const { return seps.find(c) != std::string_view::npos; }
  // Where the word is in the lexicon (from 1) and how long the match is.
  std::int32_t lookup(std::string_view word, std::int32_t options, std::int32_t from,
                      std::int32_t& len) const {
    std::int32_t status = 0;
    const std::int32_t p =
        core::C1SEARCH(lex, word, static_cast<std::int32_t>(word.size()), from,
                       static_cast<std::int32_t>(lex.size()), options | casebit, status);
    core::MATCHEDLENGTH(len);
    len = std::max(len, 1);
    return status == 0 && p >= 1 ? from + p - 1 : 0;
  }
  bool put(std::int32_t p, std::int32_t n, bool op = false);
  void closeword(std::string_view word, bool more, bool op);
  std::size_t regexword(std::size_t start);

  std::string_view q, seps, lex;
  const bool regex;
  const std::int32_t casebit;
  bool interm = false;  // a term is open: further alternatives follow
  bool full = false;
};

bool Prepare::put(std::int32_t p, std::int32_t n, bool op) {
  const std::int32_t cell = core::iresult + static_cast<std::int32_t>(iiquery.size()) + 1;
  if (cell >= core::nztop || !core::z.valid(cell)) {
    core::failedline.set("Buffer overflow expanding Regex iiSearch");
    core::msgkey.set(core::MSGKEY("internal"));
    full = true;
    return false;
  }
  core::TRANSFER2I4TOR8(p, n, core::z(cell));
  iiquery.push_back({p, n, op, n < 0});
  return true;
}

// A plain word (or a separator that is a lexicon word) closes: more, when
// "|" follows and further alternatives of its term come.
void Prepare::closeword(std::string_view word, bool more, bool op) {
  std::int32_t len = 0;
  const std::int32_t p = lookup(word, 0x202, 1, len);
  if (op) {
    if (!put(p != 0 ? -p : 0, p != 0 ? -len : 0, true)) return;
    // The number at the start of the word and the character behind it.
    QueryCell& c = iiquery.back();
    std::size_t k = 0;
    std::int64_t m = 0;
    while (k < word.size() && word[k] >= '0' && word[k] <= '9')
      m = std::min<std::int64_t>(m * 10 + (word[k++] - '0'), 1073741823);
    c.opnumber = k > 0;
    c.m = static_cast<std::int32_t>(m);
    c.opchar = k < word.size() ? word[k] : ' ';
    return;
  }
  if (p == 0) {
    if (put(0, 0)) iiquery.back().closes = !more;
  } else {
    put(interm ? p : -p, more ? len : -len);
  }
  interm = more;
}

// A regular-expression word from start on: every lexicon word it matches
// gives a cell. Returns where the scan goes on.
std::size_t Prepare::regexword(std::size_t start) {
  std::size_t e = start;
  while (e < q.size() && q[e] != '|' && (!issep(q[e]) || ismeta(q[e]))) ++e;
  const std::string_view word = q.substr(start, e - start);
  std::size_t next = e;
  while (next < q.size() && q[next] == ' ') ++next;
  const bool more = next < q.size() && q[next] == '|';
  const std::size_t first = iiquery.size();
  std::int32_t len = 0;
  for (std::int32_t from = 1; from <= static_cast<std::int32_t>(lex.size());) {
    const std::int32_t p = lookup(word, 0x282, from, len);
    if (p == 0) break;
    if (!put(iiquery.size() == first && !interm ? -p : p, len)) return q.size() + 1;
    from = p + len;
  }
  if (iiquery.size() == first) {
    if (put(0, 0)) iiquery.back().closes = !more;
  } else if (!more) {
    iiquery.back().n = -iiquery.back().n;
    iiquery.back().closes = true;
    const std::int32_t cell = core::iresult + static_cast<std::int32_t>(iiquery.size());
    core::TRANSFER2I4TOR8(iiquery.back().p, iiquery.back().n, core::z(cell));
  }
  interm = more;
  return more ? next + 1 : e;
}

std::int32_t Prepare::run(std::int32_t& ndist) {
  ndist = 0;
  std::size_t wordstart = std::string_view::npos;
  for (std::size_t i = 0; i <= q.size() && !full;) {
    const bool atend = i == q.size();
    const char c = at(i);
    if (!atend && regex && ismeta(c)) {
      const std::size_t from = wordstart != std::string_view::npos ? wordstart : i;
      wordstart = std::string_view::npos;
      i = regexword(from);
      continue;
    }
    if (!atend && !issep(c)) {
      if (wordstart == std::string_view::npos) wordstart = i;
      ++i;
      continue;
    }
    // A separator: blanks before "|" do not count.
    char closing = c;
    std::size_t next = i + 1;
    if (c == ' ' && !atend) {
      next = i;
      while (next < q.size() && q[next] == ' ') ++next;
      if (next < q.size() && q[next] == '|') {
        closing = '|';
        ++next;
      }
    }
    if (closing == '<' && !atend) ++ndist;
    if (wordstart != std::string_view::npos) {
      const bool op = wordstart > 0 && q[wordstart - 1] == '<';
      closeword(q.substr(wordstart, i - wordstart), closing == '|', op);
      wordstart = std::string_view::npos;
    }
    // Another separator that is a word of the lexicon is a query word.
    if (!atend && closing != ' ' && closing != '<' && closing != '|' && !full) {
      std::int32_t len = 0;
      if (lookup(std::string_view(&q[i], 1), 0x202, 1, len) != 0)
        closeword(std::string_view(&q[i], 1), false, false);
    }
    i = next;
  }
  return static_cast<std::int32_t>(iiquery.size());
}

}  // namespace

std::int32_t PREPAREIISEARCH(std::string_view query, std::string_view seps,
                             std::string_view lexicon, std::int32_t mask, std::int32_t& ndist) {
  iiquery.clear();
  Prepare p(query, seps, lexicon, mask);
  return p.run(ndist);
}

}  // namespace text
