// Damaged word-index texts, searched, added to and used as a lexicon: a
// deterministic mutation loop over indexes of every form (binary and
// hexadecimal, one and two integers per identification row, extra
// characters, ignored words, a constant lexicon) cut short, with bytes,
// header numbers and table entries changed, with line feeds added or taken
// away. The index variable ends the character store, so a read past the
// text's end is a read past the store, which the address checker reports.
// Every run either works or stops with "invidxDamaged" and leaves the
// index text as it was.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <initializer_list>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "core/runwords.h"
#include "core/stores.h"
#include "core/symbols.h"
#include "support/stores_fixture.h"
#include "text/edit_call.h"
#include "text/edit_state.h"
#include "text/invidx.h"

namespace {

using storetest::addcharvar;
using storetest::addsym;
namespace kw = text::ekw;

constexpr std::int32_t ixsize = 4500;
constexpr char damaged[] = "invidxDamaged";

class InvIdxFuzz : public ::testing::Test {
 protected:
  void SetUp() override {
    storetest::setup(20000, 256, 12000);
    storetest::addspecials();
    // The index first: its text ends the character store.
    ix = addcharvar("IX", std::string(ixsize, ' '));
    tx = addcharvar("T", std::string(200, ' '));
    id = addcharvar("ID", std::string(24, ' '));
    ex = addcharvar("EX", std::string(24, ' '));
    lst = addcharvar("L", std::string(2000, ' '));
    nr = addsym("N", 0x80);
    num = addsym("NUM", 0x80);
    opt = addsym("OPT", 0x80);
    hits = storetest::addarray("H", 40, 4);
    perid = storetest::addarray("V", 1, 60);
    result = addsym("R#", 0x88);
  }
  void TearDown() override { core::reset_runwords(); }

  static void put(std::int32_t k, const std::string& s) {
    std::int32_t f = 0, l = 0;
    core::ISCHAR(k, f, l);
    std::string t = s.substr(0, static_cast<std::size_t>(l - f + 1));
    t.resize(static_cast<std::size_t>(l - f + 1), ' ');
    std::copy(t.begin(), t.end(), core::c1namen.ptr(f));
  }
  static std::string textof(std::int32_t k) {
    std::int32_t f = 0, l = 0;
    core::ISCHAR(k, f, l);
    return {core::c1namen.ptr(f), static_cast<std::size_t>(l - f + 1)};
  }
  std::string key() const { return std::string(core::msgkey.trimmed()); }

  // EDIT(Text=text, [Option], [EXTRA], [IDentification], <last>=IX).
  void run(const std::string& text, int last, std::int16_t kind, const std::string& extra = "",
           const std::string& ident = "", int number = 0, int option = 0) {
    put(tx, text);
    std::vector<std::pair<int, std::int32_t>> opts = {{kw::Text, tx}};
    if (option != 0) {
      core::z(opt) = option;
      opts.push_back({kw::Option, opt});
    }
    if (!extra.empty()) {
      put(ex, extra);
      opts.push_back({kw::EXTRA, ex});
    }
    if (number > 0) {
      core::z(num) = number;
      opts.push_back({kw::IDentification, num});
    } else if (!ident.empty()) {
      put(id, ident);
      opts.push_back({kw::IDentification, id});
    }
    opts.push_back({last, ix});
    edittest::callEDIT(opts, result, kind);
  }
  void index(const std::string& text, const std::string& ident, const std::string& extra = "") {
    run(text, kw::InvertedIndex, 0, extra, ident);
    ASSERT_EQ(key(), "") << text;
  }

  std::int32_t ix = 0, tx = 0, id = 0, ex = 0, lst = 0, nr = 0, num = 0, opt = 0, hits = 0,
               perid = 0, result = 0;
};

// The header item's value, -1 when absent.
long item(const std::string& t, const std::string& name) {
  const std::string hdr = " " + t.substr(0, 160);
  const std::size_t p = hdr.find(" " + name + "=");
  return p == std::string::npos ? -1 : std::stol(hdr.substr(p + name.size() + 2));
}

// The item's value replaced by v, the header kept at 160 characters.
std::string sethead(std::string t, const std::string& name, const std::string& v) {
  std::string hdr = t.substr(0, 159);
  const std::size_t p = hdr.find(" " + name + "=");
  if (p == std::string::npos) return t;
  const std::size_t from = p + name.size() + 2, to = hdr.find(' ', from);
  hdr.replace(from, (to == std::string::npos ? hdr.size() : to) - from, v);
  hdr.resize(159, ' ');
  return t.replace(0, 159, hdr);
}

// Integer i of the array at `at`, in the index's own form.
std::int32_t getint(const std::string& t, long at, long i) {
  const bool hex = t.compare(0, 7, "FMT=hex") == 0;
  const auto p = static_cast<std::size_t>(at - 1 + i * (hex ? 8 : 4));
  if (hex) return static_cast<std::int32_t>(std::stoul(t.substr(p, 8), nullptr, 16));
  std::uint32_t u = 0;
  for (std::size_t b = 4; b-- > 0;) u = u << 8 | static_cast<unsigned char>(t[p + b]);
  return static_cast<std::int32_t>(u);
}

// Integer i of the array at `at` replaced by v, in the index's own form.
void setint(std::string& t, long at, long i, std::int32_t v) {
  const bool hex = t.compare(0, 7, "FMT=hex") == 0;
  const long w = hex ? 8 : 4;
  const auto p = static_cast<std::size_t>(at - 1 + i * w);
  if (p + static_cast<std::size_t>(w) > t.size()) return;
  const auto u = static_cast<std::uint32_t>(v);
  if (!hex) {
    for (std::size_t b = 0; b < 4; ++b) t[p + b] = static_cast<char>((u >> (8 * b)) & 0xFF);
    return;
  }
  char f[9];
  std::snprintf(f, sizeof f, "%8X", u);
  t.replace(p, 8, f);
}

TEST_F(InvIdxFuzz, DamagedIndexesAreSearchedAndUpdatedSafely) {
  std::mt19937 rng(20260607);
  auto pick = [&](int n) { return static_cast<int>(rng() % static_cast<unsigned>(n)); };
  const std::vector<std::string> vocab = {"cat", "dog", "Cat", "ant", "bee", "of", "the", "a"};
  auto randtext = [&] {
    std::string s;
    for (int k = 2 + pick(10); k > 0; --k)
      s += vocab[static_cast<std::size_t>(pick(8))] + (pick(5) == 0 ? "\n" : " ");
    return s;
  };
  // The good indexes every mutation starts from.
  std::vector<std::string> goods;
  for (const char* form : {"", "FMT=hex"}) {
    put(ix, form);
    index("of the", "IGNORE");
    index("cat dog\nthe cat", "one", "l");
    index("a dog, a bee", "two");
    goods.push_back(textof(ix));
    put(ix, form);
    for (int d = 1; d <= 36; ++d) index(randtext(), "doc" + std::to_string(d));
    goods.push_back(textof(ix));
  }
  put(ix, "FMT=hex LEX=ant cat dog");
  index("the cat", "");
  goods.push_back(textof(ix));

  const std::vector<std::string> items = {"LEX1",  "IDS1",   "POSSPW1", "IDSINW1",
                                          "POSS1", "NWORDS", "NIDS",    "NPOSS"};
  const std::vector<std::string> queries = {"cat",         "cat dog", "dog|bee ant", "<9 cat dog",
                                            "<5F the cat", "c.*",     "a dog|zebra", "of"};
  for (int round = 0; round < 2400; ++round) {
    const std::string& good = goods[static_cast<std::size_t>(round % goods.size())];
    std::string t = good;
    const long used = static_cast<long>(t.find_last_not_of(' ')) + 1;
    const long pw1 = item(good, "POSSPW1"), rw1 = item(good, "IDSINW1"), ps1 = item(good, "POSS1"),
               nw = item(good, "NWORDS"), np = item(good, "NPOSS"), nids = item(good, "NIDS");
    const long B = (nids - 1) / 32 + 1;
    const auto n32 = static_cast<std::int32_t>(np);
    const std::int32_t values[] = {
        0, 1, 2, -1, 3, 0x7FFFFFFF, n32, n32 + 1, 1 << pick(31), pick(64), -0x7FFFFFFF - 1};
    const int kind = pick(7);
    std::string how;
    switch (kind) {
      case 0: {  // cut short
        const long at = pick(static_cast<int>(used));
        t.replace(static_cast<std::size_t>(at), t.size() - static_cast<std::size_t>(at),
                  t.size() - static_cast<std::size_t>(at), ' ');
        how = "cut at " + std::to_string(at);
        break;
      }
      case 1: {  // bytes changed
        for (int k = pick(3); k >= 0; --k) {
          const auto at = static_cast<std::size_t>(pick(static_cast<int>(used)));
          t[at] = static_cast<char>(pick(256));
          how += "byte " + std::to_string(at) + " ";
        }
        break;
      }
      case 2: {  // a header number changed
        const std::string& nm = items[static_cast<std::size_t>(pick(8))];
        const long v = item(good, nm);
        const long any = pick(static_cast<int>(used) + 10);
        const long to[] = {0,    -1,       v - 1,      v + 1,    v + 4, v - 4,
                           used, used + 1, 2147483647, 99999999, any};
        const long nv = to[pick(11)];
        t = sethead(t, nm, std::to_string(nv));
        how = nm + "=" + std::to_string(nv);
        break;
      }
      case 3:
      case 4: {  // an integer of a table changed
        if (np <= 0) continue;
        const int area = pick(3);
        const long at = area == 0 ? pw1 : area == 1 ? rw1 : ps1;
        const long n = area == 0 ? nw : area == 1 ? nw * B : np;
        const long i = pick(static_cast<int>(n));
        const std::int32_t v = values[pick(11)];
        setint(t, at, i, v);
        how = "array " + std::to_string(area) + " [" + std::to_string(i) + "]=" + std::to_string(v);
        break;
      }
      case 5: {  // the places of the words moved far (the groups kept)
        if (np <= 0) continue;
        const std::int32_t far[] = {0x7FFFFFFF, 0x7FFFFFFE, 0x3FFFFFFF, 0x40000000, 0, 1};
        const std::int32_t v = far[pick(6)];
        for (long i = 0; i < np;) {
          const std::int32_t g = getint(t, ps1, i);
          for (std::int32_t k = 1; k < g; ++k) setint(t, ps1, i + k, v - pick(2) * k);
          i += g < 1 ? 1 : g;
        }
        how = "places at " + std::to_string(v);
        break;
      }
      default: {  // a line feed added or taken in the lexicon or the identification list
        const long ids1 = item(good, "IDS1");
        const auto at = static_cast<std::size_t>(160 + pick(static_cast<int>(pw1 - 161)));
        t[at] = t[at] == '\n' ? 'x' : '\n';
        how = "line feed at " + std::to_string(at) + " (ids at " + std::to_string(ids1) + ")";
        break;
      }
    }
    SCOPED_TRACE("round " + std::to_string(round) + ": " + how);
    const std::string query = queries[static_cast<std::size_t>(pick(8))];
    const std::string extra = pick(4) == 0 ? "L=L R=L X=a" : "";
    const int number = pick(6) == 0 ? 1 + pick(3) : 0;
    const std::string ident = pick(6) == 0 ? "one" : "";
    const int option = pick(3) == 0 ? 128 : pick(4) == 0 ? 256 : 0;
    // Every run either stops with the message and leaves the index text
    // as it was, or works; a text that it changed reads back as an index
    // (a header cut down to a word list as LEX value is such a lexicon).
    auto check = [&](const char* what, std::initializer_list<const char*> also) {
      SCOPED_TRACE(what);
      const std::string k = key();
      bool allowed = k.empty() || k == damaged;
      for (const char* a : also) allowed = allowed || (*a != 0 && k == a);
      EXPECT_TRUE(allowed) << k;
      const std::string now = textof(ix);
      if (now == t) return;
      text::InvIdxArrays a;
      std::int32_t f = 0, l = 0;
      core::ISCHAR(ix, f, l);
      ASSERT_TRUE(text::INIT_INVIDX(2, f, l, 0, 0, 0, 1, 0, 0, 0, 0))
          << key() << "\n"
          << ::testing::PrintToString(t.substr(0, 400)) << "\n"
          << ::testing::PrintToString(now.substr(0, 400));
      EXPECT_EQ(text::READINVIDXARRAYS(f, l, a), 0);
      t = now;
    };
    // Searched into each kind of target.
    put(ix, t);
    const int target = pick(4);
    static constexpr std::int16_t kinds[] = {
        static_cast<std::int16_t>(0x8400), static_cast<std::int16_t>(0x8420),
        static_cast<std::int16_t>(0x8440), static_cast<std::int16_t>(0x8440)};
    const std::int32_t targets[] = {lst, nr, hits, perid};
    core::xeqtarget = targets[target];
    run(query, kw::InvertedIndex, kinds[target], extra, ident, number, option);
    // (A listing of made-up places may not fit its text.)
    check("search", {"editInv", "invidxError", target == 0 ? "rdwrErK" : ""});
    // Used as a lexicon.
    core::xeqtarget = lst;
    run("the cat and a dog", kw::LeXicon, static_cast<std::int16_t>(0x8400));
    check("lexicon", {});
    // Added to: a new identification or one it has.
    run(randtext(), kw::InvertedIndex, 0, "", pick(2) == 0 ? "two" : "new", 0, pick(4) == 0);
    check("update", {"stringtooshort"});
  }
}

}  // namespace
