#include "core/formalkinds.h"

#include <algorithm>
#include <string>
#include <vector>

#include "core/codewords.h"
#include "core/program.h"
#include "core/runwords.h"
#include "core/stores.h"
#include "core/symbols.h"
#include "core/tokenizer.h"
#include "core/trans.h"
#include "core/xform.h"

namespace core::formalkinds {

namespace {

// More formals of unknown kind than this in one statement: only the choice
// of them all as arrays is translated, and no other choice is written.
// (Each choice is a translation of the statement: at most 256 of them.)
constexpr std::size_t mostformals = 8;

// A statement kept: its formals of unknown kind, its words for each choice
// of them as arrays (bit i: formals[i] is an array; empty: the choice
// cannot be written), the room its words take and the choice they stand for.
struct Kept {
  std::int32_t stmt = 0;
  std::vector<std::int16_t> formals;
  std::vector<std::vector<std::int16_t>> words;
  std::vector<bool> same;  // by choice: its words are the statement's own
  std::int32_t room = 0;
  unsigned made = 0;
};
std::vector<Kept> kept;
// By formal symbol: whether it has kept statements, and the kind their
// words stand for now.
enum class Held : std::uint8_t { none, number, array };
std::vector<Held> named;

// The lexicon's tokens of the statement being compiled, while it names
// formals of unknown kind.
struct Tokens {
  bool active = false;
  std::int32_t n = 0;
  std::vector<std::int16_t> cod, beg, end;
  std::vector<std::int16_t> formals;
  bool writable = true;  // no label, block or statement words that the walk ties
};
Tokens tokens;

// A formal whose kind no declaration gave yet: a number to the translators.
bool unknown(std::int16_t s) {
  if (s < 1 || s > nsym || !name.valid(s)) return false;
  const std::int32_t t = name(s).type & ~0x800;
  return t == 0x20 || t == 0xA0;
}

// The kind a formal bound to an array has.
bool isarray(std::int16_t s) { return name.valid(s) && (name(s).type & 0x50) == 0x10; }

// Words whose statements the program walk ties to others, or that stand
// only at a statement's start: such a statement keeps its own words.
bool tiedword(std::int16_t c) {
  if (c >= 0) return false;
  if (isifblockword(c)) return true;
  if (!isstmtword(c)) return false;
  return c != stmtcode("IF") && c != stmtcode("CALL") && c != stmtcode("GOTO");
}

void puttokens() {
  ntok = tokens.n;
  for (std::int32_t k = 1; k <= tokens.n; ++k) {
    const auto i = static_cast<std::size_t>(k - 1);
    tokcod(k) = tokens.cod[i];
    tokbeg(k) = tokens.beg[i];
    tokend(k) = tokens.end[i];
  }
}

// The words of the statement for the choice `mask` (bit i: formal i as an
// array), empty when the translator refuses them.
std::vector<std::int16_t> translate(std::string_view text, unsigned mask) {
  std::vector<std::int16_t> types;
  for (std::size_t i = 0; i < tokens.formals.size(); ++i) {
    std::int16_t& t = name(tokens.formals[i]).type;
    types.push_back(t);
    if (i < 31 && (mask >> i & 1u) != 0) t = static_cast<std::int16_t>((t & 0x800) | 0x30);
  }
  puttokens();
  xeqstop = 0;
  TRANS(text);
  std::vector<std::int16_t> out;
  if (xeqstop == 0 && ntrans >= 1 && ntrans < maxtokens)
    for (std::int32_t k = 1; k <= ntrans; ++k) out.push_back(tokcod(k));
  for (std::size_t i = 0; i < tokens.formals.size(); ++i) name(tokens.formals[i]).type = types[i];
  return out;
}

// Words that stop the statement: made for its formals as numbers, formal s
// is an array now.
std::vector<std::int16_t> refusal(const Kept& k, unsigned mask) {
  std::vector<std::int16_t> out(static_cast<std::size_t>(std::max(k.room, 2)), xform::pad);
  out[0] = xform::formalkind;
  out[1] = 1;
  for (std::size_t i = 0; i < k.formals.size() && i < 31; ++i)
    if ((mask >> i & 1u) != 0) {
      out[1] = k.formals[i];
      break;
    }
  out.resize(static_cast<std::size_t>(k.room));
  return out;
}

}  // namespace

bool clear() {
  const bool any = !kept.empty();
  kept.clear();
  named.clear();
  tokens.active = false;
  return any;
}

void keep() {
  tokens.active = false;
  if (!collecting) return;
  tokens.formals.clear();
  tokens.writable = true;
  const std::int32_t n = std::clamp<std::int32_t>(ntok, 0, maxtokens);
  for (std::int32_t k = 1; k <= n; ++k) {
    const std::int16_t c = tokcod(k);
    if (tiedword(c)) tokens.writable = false;
    if (c > 0 && k == 1 && name.valid(c) && (name(c).type & ~0x820) == 2) tokens.writable = false;
    if (unknown(c) && std::find(tokens.formals.begin(), tokens.formals.end(), c) ==
                          tokens.formals.end())
      tokens.formals.push_back(c);
  }
  // (A statement that the program walk ties to others keeps its words.)
  if (tokens.formals.empty() || !tokens.writable) return;
  tokens.active = true;
  tokens.n = n;
  tokens.cod.assign(tokcod.ptr(1), tokcod.ptr(1) + n);
  tokens.beg.assign(tokbeg.ptr(1), tokbeg.ptr(1) + n);
  tokens.end.assign(tokend.ptr(1), tokend.ptr(1) + n);
}

void made(std::string_view text) {
  if (!tokens.active) return;
  tokens.active = false;
  if (xeqstop != 0 || ntrans < 1) return;
  Kept k;
  k.stmt = xeqline;
  k.formals = tokens.formals;
  const std::vector<std::int16_t> base(tokcod.ptr(1), tokcod.ptr(1) + ntrans);
  // The translator's state that a second translation would change.
  const std::int32_t keptntrans = ntrans, keptstop = xeqstop, keptflags = edflags;
  const std::int32_t keptt2 = trans2error;
  const std::string keptkey(msgkey.view()), keptline(failedline.view()), keptnote(compnote.view());
  edflags |= 0x1000;  // (no message for a choice the translator refuses)
  // The formals whose kind changes the words (each alone an array); every
  // choice of those as arrays is translated where they are few, else only
  // all of them, and the statement then stops for any of them an array.
  std::vector<std::size_t> relevant;
  for (std::size_t i = 0; i < tokens.formals.size() && i < 31; ++i)
    if (translate(text, 1u << i) != base) relevant.push_back(i);
  k.formals.clear();
  for (const std::size_t i : relevant) k.formals.push_back(tokens.formals[i]);
  const bool all = relevant.size() <= mostformals;
  const unsigned choices = all ? 1u << relevant.size() : 1u;
  const auto tokenmask = [&](unsigned m) {
    unsigned t = 0;
    for (std::size_t j = 0; j < relevant.size(); ++j)
      if ((m >> j & 1u) != 0) t |= 1u << relevant[j];
    return t;
  };
  std::vector<std::vector<std::int16_t>> words(choices);
  words[0] = base;
  const bool differ = !relevant.empty();
  for (unsigned m = 1; m < choices; ++m) words[m] = translate(text, tokenmask(m));
  edflags = keptflags;
  trans2error = keptt2;
  msgkey.set(keptkey);
  failedline.set(keptline);
  compnote.set(keptnote);
  xeqstop = keptstop;
  for (std::int32_t i = 1; i <= keptntrans; ++i) tokcod(i) = base[static_cast<std::size_t>(i - 1)];
  ntrans = keptntrans;
  if (!differ) return;
  k.room = keptntrans;
  if (tokens.writable)
    for (const auto& w : words) k.room = std::max(k.room, static_cast<std::int32_t>(w.size()));
  if (k.room >= maxtokens) k.room = keptntrans;
  // Only words that fit the room and need no tie to other statements are
  // written; the other choices stop the statement. A choice whose words
  // are the statement's own keeps them as they stand.
  k.same.assign(choices, false);
  for (unsigned m = 1; m < choices; ++m) {
    k.same[m] = words[m] == base;
    if (k.same[m] || !tokens.writable || static_cast<std::int32_t>(words[m].size()) > k.room)
      words[m].clear();
  }
  k.words = std::move(words);
  for (std::int32_t i = ntrans + 1; i <= k.room; ++i) tokcod(i) = xform::pad;
  ntrans = k.room;
  for (const std::int16_t f : k.formals) {
    if (static_cast<std::size_t>(f) >= named.size())
      named.resize(static_cast<std::size_t>(f) + 1, Held::none);
    named[static_cast<std::size_t>(f)] = Held::number;
  }
  kept.push_back(std::move(k));
}

namespace {

Held held(std::int32_t s) {
  return s >= 0 && static_cast<std::size_t>(s) < named.size() ? named[static_cast<std::size_t>(s)]
                                                             : Held::none;
}

}  // namespace

bool haskept(std::int32_t s) { return held(s) != Held::none; }

bool rebind(std::int32_t S, std::int32_t count) {
  if (kept.empty() || !name.valid(S)) return false;
  // Nothing to write while every formal with statements kept has the kind
  // their words stand for (a call that binds other variables, or numbers
  // of another type, changes none).
  bool differs = false;
  std::int32_t f = name(S).link;
  for (std::int32_t i = 0; i < count && f >= 1 && name.valid(f); ++i, f = name(f).link) {
    const Held h = held(f);
    if (h != Held::none && (h == Held::array) != isarray(static_cast<std::int16_t>(f))) {
      differs = true;
      break;
    }
  }
  if (!differs) return false;
  // The routine's formals that have statements kept.
  std::vector<std::int16_t> mine;
  f = name(S).link;
  for (std::int32_t i = 0; i < count && f >= 1 && name.valid(f); ++i, f = name(f).link)
    if (haskept(f)) {
      mine.push_back(static_cast<std::int16_t>(f));
      named[static_cast<std::size_t>(f)] = isarray(static_cast<std::int16_t>(f)) ? Held::array
                                                                               : Held::number;
    }
  bool changed = false;
  for (Kept& k : kept) {
    if (std::none_of(k.formals.begin(), k.formals.end(), [&](std::int16_t g) {
          return std::find(mine.begin(), mine.end(), g) != mine.end();
        }))
      continue;
    unsigned mask = 0;
    for (std::size_t i = 0; i < k.formals.size() && i < 31; ++i)
      if (isarray(k.formals[i])) mask |= 1u << i;
    if (mask == k.made) continue;
    const std::int32_t at = stmtstart(k.stmt), next = stmtstart(k.stmt + 1);
    // (A program changed since the compile keeps its words.)
    if (at < 1 || next - at - 1 != k.room || !xeqbuf.valid(next - 1) ||
        xeqbuf(next - 1) != endmark)
      continue;
    // The words as they stand hold what the program walk wrote into them:
    // they come back when the formals are numbers again.
    if (k.made == 0) k.words[0].assign(xeqbuf.ptr(at), xeqbuf.ptr(at) + k.room);
    const std::vector<std::int16_t> none;
    const bool own = mask < k.same.size() && k.same[mask];
    const std::vector<std::int16_t>& w =
        own ? k.words[0] : mask < k.words.size() ? k.words[mask] : none;
    const std::vector<std::int16_t> words = w.empty() ? refusal(k, mask) : w;
    for (std::int32_t i = 0; i < k.room; ++i)
      xeqbuf(at + i) = i < static_cast<std::int32_t>(words.size())
                           ? words[static_cast<std::size_t>(i)]
                           : xform::pad;
    k.made = mask;
    changed = true;
  }
  return changed;
}

}  // namespace core::formalkinds
