// The word index through EDIT called directly: a random corpus read back
// from the index by a decoder of its own, failures that must leave the
// index as it was, damaged index texts, and the header reader's edges.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "core/chars.h"
#include "core/runwords.h"
#include "core/stores.h"
#include "core/symbols.h"
#include "exec/optdispatch.h"
#include "support/stores_fixture.h"
#include "text/edit.h"
#include "text/edit_call.h"
#include "text/edit_state.h"
#include "text/invidx.h"
#include "text/invidx_search.h"

namespace {

using storetest::addcharvar;
using storetest::addsym;
using storetest::textof;
namespace kw = text::ekw;

// What an index text says, read without the program's own readers.
struct Decoded {
  std::vector<std::string> words, ids;
  // (word, identification number) -> positions, negative marks dropped
  std::map<std::pair<std::string, int>, std::vector<int>> pos;
  int nids = 0, rowwidth = 0;
};

int item(const std::string& hdr, const std::string& name) {
  const std::size_t p = hdr.find(" " + name + "=");
  return p == std::string::npos ? -1 : std::stoi(hdr.substr(p + name.size() + 2));
}

Decoded decode(const std::string& t) {
  Decoded d;
  const std::string hdr = " " + t.substr(0, 160);
  EXPECT_EQ(t[159], '\n');
  const bool hex = hdr.find(" FMT=hex8 ") != std::string::npos;
  const int ids1 = item(hdr, "IDS1"), posspw1 = item(hdr, "POSSPW1"),
            idsinw1 = item(hdr, "IDSINW1"), poss1 = item(hdr, "POSS1"), nw = item(hdr, "NWORDS"),
            nposs = item(hdr, "NPOSS");
  d.nids = item(hdr, "NIDS");
  d.rowwidth = (d.nids - 1) / 32 + 1;
  std::string lex = t.substr(160, static_cast<std::size_t>(ids1 - 161));
  for (std::size_t p = 0; p < lex.size();) {
    const std::size_t e = std::min(lex.find(' ', p), lex.size() - 1);
    d.words.push_back(lex.substr(p, e - p));
    p = e + 1;
  }
  const std::string ids =
      t.substr(static_cast<std::size_t>(ids1 - 1), static_cast<std::size_t>(posspw1 - ids1));
  for (std::size_t p = 0; p < ids.size();) {
    const std::size_t e = ids.find('\n', p);
    d.ids.push_back(ids.substr(p, e - p));
    p = e + 1;
  }
  EXPECT_EQ(static_cast<int>(d.words.size()), nw);
  EXPECT_EQ(static_cast<int>(d.ids.size()), d.nids);
  if (nposs == 0) return d;
  const int w = hex ? 8 : 4;
  auto ints = [&](int at, int n) {
    std::vector<int> v;
    for (int i = 0; i < n; ++i) {
      const std::string f =
          t.substr(static_cast<std::size_t>(at - 1 + i * w), static_cast<std::size_t>(w));
      if (hex) {
        v.push_back(static_cast<int>(std::stoul(f, nullptr, 16)));
      } else {
        unsigned u = 0;
        for (int k = 3; k >= 0; --k)
          u = u << 8 | static_cast<unsigned char>(f[static_cast<std::size_t>(k)]);
        v.push_back(static_cast<int>(u));
      }
    }
    EXPECT_EQ(t[static_cast<std::size_t>(at - 1 + n * w)], '\n');
    return v;
  };
  const auto pw = ints(posspw1, nw), rows = ints(idsinw1, nw * d.rowwidth),
             poss = ints(poss1, nposs);
  std::size_t op = 0;
  for (int k = 0; k < nw; ++k) {
    const std::size_t before = op;
    for (int id = 1; id <= d.nids; ++id) {
      const unsigned bits =
          static_cast<unsigned>(rows[static_cast<std::size_t>(k * d.rowwidth + (id - 1) / 32)]);
      if (((bits >> ((id - 1) % 32)) & 1) == 0) continue;
      const int g = poss[op];
      auto& out = d.pos[{d.words[static_cast<std::size_t>(k)], id}];
      for (int i = 1; i < g; ++i)
        if (poss[op + static_cast<std::size_t>(i)] >= 0)
          out.push_back(poss[op + static_cast<std::size_t>(i)]);
      op += static_cast<std::size_t>(g);
    }
    EXPECT_EQ(static_cast<int>(op - before), pw[static_cast<std::size_t>(k)]);
  }
  EXPECT_EQ(static_cast<int>(op), nposs);
  return d;
}

// Stores with an index variable, a text and an identification variable.
class InvIdx : public ::testing::Test {
 protected:
  void SetUp() override { fresh(2000, 400); }
  void fresh(std::int32_t ixsize, std::int32_t textsize, std::int32_t hitrows = 2) {
    storetest::setup(40000, 256, 300000);
    storetest::addspecials();
    ix = addcharvar("IX", std::string(static_cast<std::size_t>(ixsize), ' '));
    tx = addcharvar("T", std::string(static_cast<std::size_t>(textsize), ' '));
    id = addcharvar("ID", std::string(24, ' '));
    nr = addsym("N", 0x80);
    hits = storetest::addarray("H", hitrows, 4);
    // The result cell last: the query cells follow it.
    result = addsym("R#", 0x88);
  }
  void TearDown() override { core::reset_runwords(); }
  static void put(std::int32_t k, const std::string& s) {
    std::int32_t f = 0, l = 0;
    core::ISCHAR(k, f, l);
    for (std::int32_t p = f; p <= l; ++p)
      core::c1namen(p) =
          p - f < static_cast<std::int32_t>(s.size()) ? s[static_cast<std::size_t>(p - f)] : ' ';
  }
  // Indexes the text under the identification (a text, or a number when
  // number > 0); the options before InvertedIndex come from extra.
  // The search form: the query into the hit table H (assignment kind
  // 0x8440) or a count (0x8420).
  void search(const std::string& query, std::int16_t kind = static_cast<std::int16_t>(0x8440)) {
    core::xeqtarget = kind == static_cast<std::int16_t>(0x8440) ? hits : nr;
    index(query, "", 0, {}, kind);
  }
  void index(const std::string& text, const std::string& ident, int number = 0,
             std::vector<std::pair<int, std::int32_t>> extra = {}, std::int16_t kind = 0) {
    put(tx, text);
    std::vector<std::pair<int, std::int32_t>> opts = {{kw::Text, tx}};
    opts.insert(opts.end(), extra.begin(), extra.end());
    if (number > 0) {
      core::z(nr) = number;
      opts.push_back({kw::IDentification, nr});
    } else if (!ident.empty()) {
      put(id, ident);
      opts.push_back({kw::IDentification, id});
    }
    opts.push_back({kw::InvertedIndex, ix});
    edittest::callEDIT(opts, result, kind);
  }
  std::string key() const { return std::string(core::msgkey.trimmed()); }

  std::int32_t result = 0, ix = 0, tx = 0, id = 0, nr = 0, hits = 0;
};

// The words of a text, lower-cased, with their positions.
std::map<std::string, std::vector<int>> wordsof(const std::string& t) {
  std::map<std::string, std::vector<int>> m;
  for (std::size_t p = 0; p < t.size();) {
    if (text::defaultseps.find(t[p]) != std::string_view::npos) {
      ++p;
      continue;
    }
    std::size_t e = p;
    while (e < t.size() && text::defaultseps.find(t[e]) == std::string_view::npos) ++e;
    std::string w = t.substr(p, e - p);
    for (char& c : w) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    m[w].push_back(static_cast<int>(p) + 1);
    p = e;
  }
  return m;
}

TEST_F(InvIdx, EveryWordOfARandomCorpusComesBackWithItsPositions) {
  for (const char* form : {"", "FMT=hex"}) {
    SCOPED_TRACE(form);
    fresh(60000, 400);
    put(ix, form);
    std::mt19937 rng(7);
    auto pick = [&](int n) { return static_cast<int>(rng() % static_cast<unsigned>(n)); };
    std::vector<std::string> vocab;
    for (int i = 0; i < 40; ++i) {
      std::string w;
      for (int k = 0; k <= pick(6); ++k) w += static_cast<char>('a' + pick(5));
      if (i % 7 == 0) w[0] = static_cast<char>(std::toupper(w[0]));
      vocab.push_back(w);
    }
    const char* seps[] = {" ", ", ", ". ", "\n", "  ", ";"};
    auto randtext = [&] {
      std::string t;
      for (int k = pick(40); k >= 0; --k)
        t += vocab[static_cast<std::size_t>(pick(40))] + seps[pick(6)];
      return t;
    };
    // 40 identifications (rows of two integers), then some indexed again,
    // one of them with a text without words.
    std::vector<std::string> texts;
    for (int d = 1; d <= 40; ++d) {
      texts.push_back(randtext());
      index(texts.back(), "doc" + std::to_string(d));
      ASSERT_EQ(key(), "");
    }
    for (int r = 0; r < 12; ++r) {
      const int d = 1 + pick(40);
      texts[static_cast<std::size_t>(d - 1)] = r == 5 ? std::string(" ;, ") : randtext();
      index(texts[static_cast<std::size_t>(d - 1)], "doc" + std::to_string(d));
      ASSERT_EQ(key(), "");
    }
    const Decoded got = decode(textof(ix));
    EXPECT_EQ(got.rowwidth, 2);
    std::map<std::pair<std::string, int>, std::vector<int>> want;
    std::vector<std::string> lexicon;
    for (int d = 1; d <= 40; ++d) {
      EXPECT_EQ(got.ids[static_cast<std::size_t>(d - 1)], "doc" + std::to_string(d));
      for (const auto& [w, p] : wordsof(texts[static_cast<std::size_t>(d - 1)])) {
        want[{w, d}] = p;
        lexicon.push_back(w);
      }
    }
    std::sort(lexicon.begin(), lexicon.end());
    lexicon.erase(std::unique(lexicon.begin(), lexicon.end()), lexicon.end());
    EXPECT_EQ(got.words, lexicon);
    EXPECT_EQ(got.pos, want);
  }
}

TEST_F(InvIdx, AFailedRunLeavesTheIndexAsItWas) {
  // Room: the second text needs exactly 240 characters in hexadecimal form.
  for (const int size : {239, 240}) {
    SCOPED_TRACE(size);
    fresh(size, 40);
    put(ix, "FMT=hex");
    index("a", "");
    ASSERT_EQ(key(), "");
    const std::string before = textof(ix);
    index("b", "two");
    EXPECT_EQ(key(), size == 239 ? "stringtooshort" : "");
    if (size == 239) {
      EXPECT_EQ(textof(ix), before);
    } else {
      EXPECT_EQ(textof(ix).back(), '\n');
    }
  }
  // Damaged: an array that runs past the text, a count that does not add
  // up, a hexadecimal field that does not read, a lexicon start not at 161.
  fresh(600, 40);
  index("x y x", "one");
  index("y z", "two");
  const std::string good = textof(ix);
  auto damaged = [&](std::string from, std::string to, int status) {
    SCOPED_TRACE(to);
    std::string t = good;
    ASSERT_NE(t.find(from), std::string::npos);
    t.replace(t.find(from), from.size(), to);
    put(ix, t);
    index("z", "one");
    EXPECT_EQ(key(), "invidxDamaged");
    EXPECT_EQ(core::iostatw[0], status);
    EXPECT_EQ(textof(ix), t);
  };
  damaged("NPOSS=9 ", "NPOSS=99", text::iist_damaged);
  damaged("NPOSS=9 ", "NPOSS=8 ", text::iist_damaged);
  damaged("NPOSS=9 ", "NPOSS=-9", text::iist_damaged);
  damaged("LEX1=161", "LEX1=162", text::iist_damaged);
  put(ix, good);
  index("z", "", 3);
  EXPECT_EQ(key(), "invidxError");
  EXPECT_EQ(textof(ix), good);
  fresh(600, 40);
  put(ix, "FMT=hex");
  index("x y", "one");
  std::string t = textof(ix);
  t[static_cast<std::size_t>(t.rfind('\n') - 1)] = 'G';
  put(ix, t);
  index("z", "two");
  EXPECT_EQ(key(), "invidxDamaged");
  EXPECT_EQ(core::iostatw[0], text::iist_badfield);
  EXPECT_EQ(textof(ix), t);
}

// Damaged index texts: whatever is changed, a run either fails and leaves
// the text alone or writes an index that reads back whole.
TEST_F(InvIdx, DamagedIndexTextsNeverReadPastTheirEnd) {
  std::mt19937 rng(3);
  auto pick = [&](int n) { return static_cast<int>(rng() % static_cast<unsigned>(n)); };
  for (const char* form : {"", "FMT=hex"}) {
    fresh(900, 40);
    put(ix, form);
    index("a b c a", "one");
    index("b d", "two");
    const std::string good = textof(ix);
    const std::string junk = "0123456789 =\n-FMTXNIDSEG\xff";
    for (int round = 0; round < 1500; ++round) {
      std::string t = good;
      for (int k = pick(4); k >= 0; --k) {
        const std::size_t at = round % 3 == 0
                                   ? static_cast<std::size_t>(pick(160))
                                   : static_cast<std::size_t>(pick(static_cast<int>(t.size())));
        t[at] = junk[static_cast<std::size_t>(pick(static_cast<int>(junk.size())))];
      }
      put(ix, t);
      search("a|c <9 b");
      core::msgkey.blank();
      EXPECT_EQ(textof(ix), t);
      index("c e", round % 2 ? "one" : "three");
      if (!key().empty()) {
        EXPECT_EQ(textof(ix), t) << round;
        continue;
      }
      text::InvIdxArrays a;
      std::int32_t f = 0, l = 0;
      core::ISCHAR(ix, f, l);
      ASSERT_TRUE(text::INIT_INVIDX(2, f, l, 0, 0, 0, 1, 0, 0, 0, 0));
      EXPECT_EQ(text::READINVIDXARRAYS(f, l, a), 0) << round;
    }
  }
}

TEST_F(InvIdx, HeaderItemsAndTheirDefaults) {
  struct Case {
    const char* text;
    bool hex;
    int width;
  } cases[] = {{"", false, 4},         {"FMT=hex", true, 8},    {"FMT=hex0", true, 8},
               {"FMT=hexa", true, 8},  {"FMT=hex4", true, 4},   {"fmt=hex9", true, 9},
               {"FMT=HEX4", false, 4}, {"XFMT=hex4", false, 4}, {"FMT=bin4", false, 4}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    put(ix, c.text);
    std::int32_t f = 0, l = 0;
    core::ISCHAR(ix, f, l);
    text::reset_invidx();
    text::READINVIDXHEADER(f, static_cast<std::int32_t>(std::string(c.text).size()));
    EXPECT_EQ(text::invidxrun.hex, c.hex);
    EXPECT_EQ(text::invidxrun.rwidth, c.width);
    EXPECT_TRUE(text::invidxrun.growing);
    EXPECT_EQ(text::invidxrun.LEX1, 161);
    EXPECT_EQ(text::invidxrun.IDS1, 0);
  }
  EXPECT_EQ(text::GET_TOKENNR_OF_INDEX("ab\ncd\nef", 4, '\n'), 2);
  EXPECT_EQ(text::GET_TOKENNR_OF_INDEX("ab\ncd\nef", 3, '\n'), 2);
  EXPECT_EQ(text::GET_TOKENNR_OF_INDEX("ab\ncd\nef", 2, '\n'), 1);
  EXPECT_EQ(text::GET_TOKENNR_OF_INDEX("ab\ncd\nef", 0, '\n'), 0);
  // A hand-written index with four-digit fields is read and written anew
  // with eight; the key of a run without identification is "noID", and a
  // key that is only part of a line is another identification.
  std::string hand =
      "FMT=hex4 LEX=UPDATE LEX1=161 IDS1=163 POSSPW1=168 IDSINW1=173 POSS1=178 "
      "NWORDS=1 NIDS=1 NPOSS=2 XTR=";
  hand.resize(159, ' ');
  hand += "\na\nnoID\n   2\n   1\n   2   1\n";
  put(ix, hand);
  index("b a", "");
  index("a", "no");
  const Decoded d = decode(textof(ix));
  EXPECT_EQ(d.ids, (std::vector<std::string>{"noID", "no"}));
  EXPECT_EQ(d.pos, (std::map<std::pair<std::string, int>, std::vector<int>>{
                       {{"a", 1}, {3}}, {{"b", 1}, {1}}, {{"a", 2}, {1}}}));
  // The lexicon keeps the case of its words when Option=1 says so: a
  // capital sorts first.
  fresh(600, 40);
  core::z(nr) = 1;
  index("cat Cat", "", 0, {{kw::Option, nr}});
  EXPECT_EQ(decode(textof(ix)).words, (std::vector<std::string>{"Cat", "cat"}));
}

TEST_F(InvIdx, QueryCellsGroupTermsAndAlternatives) {
  struct Case {
    const char* query;
    const char* lexicon;
    std::int32_t mask, ndist;
    std::vector<std::pair<int, int>> cells;
  } cases[] = {
      {"cat dog", "apple cat dog\n", 0, 0, {{-7, -3}, {-11, -3}}},
      {"cat|dog", "apple cat dog\n", 0, 0, {{-7, 3}, {11, -3}}},
      {"cat | dog", "apple cat dog\n", 0, 0, {{-7, 3}, {11, -3}}},
      {"apple|cat|dog", "apple cat dog\n", 0, 0, {{-1, 5}, {7, 3}, {11, -3}}},
      {"apple|zebra|dog cat", "apple cat dog\n", 0, 0, {{-1, 5}, {0, 0}, {11, -3}, {-7, -3}}},
      {"<5 cat", "apple cat dog\n", 0, 1, {{0, 0}, {-7, -3}}},
      {"Dog zebra", "apple cat dog\n", 0, 0, {{-11, -3}, {0, 0}}},
      {"Dog", "apple cat dog\n", 1, 0, {{0, 0}}},
      {"ca.*", "cab cat dog\n", 0x80, 0, {{-1, 3}, {5, -3}}},
      {"ca.*|d.*", "cab cat dog\n", 0x80, 0, {{-1, 3}, {5, 3}, {9, -3}}},
      {"x.*", "cab cat dog\n", 0x80, 0, {{0, 0}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.query);
    core::iresult = result;
    core::msgkey.blank();
    std::int32_t ndist = -1;
    const std::int32_t n =
        text::PREPAREIISEARCH(c.query, text::defaultseps, c.lexicon, c.mask, ndist);
    EXPECT_EQ(ndist, c.ndist);
    std::vector<std::pair<int, int>> got;
    for (std::int32_t k = 1; k <= n; ++k)
      got.push_back({core::I4EQUZ(1, result + k), core::I4EQUZ(2, result + k)});
    EXPECT_EQ(got, c.cells);
  }
  // A cell that would reach the arrays of the store stops the preparation.
  core::nztop = result + 2;
  std::int32_t ndist = 0;
  EXPECT_EQ(text::PREPAREIISEARCH("c.*", text::defaultseps, "cab cat dog\n", 0x80, ndist), 1);
  EXPECT_EQ(key(), "internal");
}

// Every search over a random corpus, checked against the texts: each hit
// is a window that holds one occurrence of every term, starting at one and
// ending with one; without distance rules every identification that holds
// all the terms has a hit, and with "<m" no window is m wide or wider.
TEST_F(InvIdx, SearchesOfARandomCorpusAgreeWithTheTexts) {
  fresh(80000, 400, 3000);
  std::mt19937 rng(11);
  auto pick = [&](int n) { return static_cast<int>(rng() % static_cast<unsigned>(n)); };
  std::vector<std::string> vocab;
  for (int i = 0; i < 30; ++i)
    vocab.push_back(std::string(1, static_cast<char>('a' + i % 26)) + "w" + std::to_string(i));
  const char* seps[] = {" ", ", ", "\n", " - "};
  std::vector<std::string> texts;
  for (int d = 0; d < 45; ++d) {
    std::string t;
    for (int k = 3 + pick(30); k > 0; --k)
      t += vocab[static_cast<std::size_t>(pick(24))] + seps[pick(4)];
    texts.push_back(t);
    index(t, "doc" + std::to_string(d));
    ASSERT_EQ(key(), "");
  }
  const Decoded dec = decode(textof(ix));
  std::map<int, int> docofline;  // line offset -> identification index
  {
    const std::string t = textof(ix);
    const int ids1 = item(" " + t.substr(0, 160), "IDS1");
    int off = ids1 - 1;
    for (int d = 0; d < 45; ++d) {
      docofline[off] = d;
      off += static_cast<int>(dec.ids[static_cast<std::size_t>(d)].size()) + 1;
    }
  }
  for (int round = 0; round < 120; ++round) {
    // One to three terms of distinct words, some with an alternative.
    std::vector<std::vector<std::string>> terms;
    std::vector<std::string> used;
    auto fresh_word = [&] {
      for (;;) {
        const std::string w = vocab[static_cast<std::size_t>(pick(30))];
        if (std::find(used.begin(), used.end(), w) == used.end()) {
          used.push_back(w);
          return w;
        }
      }
    };
    std::string query;
    const int maxspan = round % 4 == 3 ? 12 + pick(30) : 0;
    if (maxspan > 0) query = "<" + std::to_string(maxspan) + " ";
    for (int k = pick(3); k >= 0; --k) {
      terms.push_back({fresh_word()});
      if (pick(3) == 0) terms.back().push_back(fresh_word());
      query += terms.back()[0] + (terms.back().size() > 1 ? "|" + terms.back()[1] : "") + " ";
    }
    SCOPED_TRACE(query);
    search(query);
    ASSERT_EQ(key(), "");
    std::set<int> hit;
    const std::int32_t h0 = core::name(hits).adr;
    bool partial = false;
    for (std::int32_t row = 0; row < 3000; ++row) {
      const auto cell = [&](int c) { return static_cast<int>(core::z(h0 + 4 * row + c)); };
      if (cell(1) == 0) break;
      const int first = cell(0), last = first + cell(1) - 1;
      // Partial hits (terms missing: a negative score) only where no
      // window holds all terms, and only under distance rules.
      if (cell(2) < 0) {
        EXPECT_TRUE(maxspan > 0 && hit.empty());
        partial = true;
        continue;
      }
      EXPECT_FALSE(partial);
      ASSERT_EQ(docofline.count(cell(3)), 1u);
      const int d = docofline[cell(3)];
      hit.insert(d);
      const auto words = wordsof(texts[static_cast<std::size_t>(d)]);
      bool starts = false, ends = false;
      for (const auto& term : terms) {
        bool inside = false;
        for (const std::string& w : term) {
          const auto f = words.find(w);
          if (f == words.end()) continue;
          for (const int p : f->second) {
            const int e = p + static_cast<int>(w.size()) - 1;
            inside = inside || (p >= first && e <= last);
            starts = starts || p == first;
            ends = ends || e == last;
          }
        }
        EXPECT_TRUE(inside) << "identification " << d << " window " << first << ".." << last;
      }
      EXPECT_TRUE(starts && ends) << first << ".." << last;
      if (maxspan > 0) {
        EXPECT_LT(last - first + 1, maxspan);
      }
    }
    if (maxspan > 0) continue;
    for (int d = 0; d < 45; ++d) {
      const auto words = wordsof(texts[static_cast<std::size_t>(d)]);
      bool all = true;
      for (const auto& term : terms)
        all = all && std::any_of(term.begin(), term.end(),
                                 [&](const std::string& w) { return words.count(w) > 0; });
      EXPECT_EQ(hit.count(d), all ? 1u : 0u) << "identification " << d;
    }
  }
}

}  // namespace
