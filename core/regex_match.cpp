#include <algorithm>
#include <cstdint>
#include <string_view>
#include <vector>

#include "core/chars.h"
#include "core/regex.h"

namespace core {

namespace {

constexpr int page_shift = 10;
constexpr int page_size = 1 << page_shift;

bool is_literal(std::int32_t t) { return t >= 0 && t <= 255; }

// Accept table of a bracketed class whose member tokens are m[0..n-1].
std::bitset<256> class_accepts(const std::int32_t* m, int n, bool negated) {
  std::bitset<256> a;
  for (int k = 0; k < n;) {
    const std::int32_t t = m[k];
    if (is_literal(t) && k + 2 < n && m[k + 1] == rx_range && is_literal(m[k + 2])) {
      for (int c = t; c <= m[k + 2]; ++c) a.set(static_cast<std::size_t>(c));
      k += 3;
    } else if (t == rx_range) {
      a.set('-');  // a "-" that opens or ends no range stands for itself
      ++k;
    } else if (t >= rx_digit && t <= rx_hex) {
      for (int c = 0; c < 256; ++c)
        if (in_class_token(t, static_cast<unsigned char>(c))) a.set(static_cast<std::size_t>(c));
      ++k;
    } else {
      if (is_literal(t)) a.set(static_cast<std::size_t>(t));
      ++k;
    }
  }
  if (negated) a.flip();
  return a;
}

std::uint64_t key_of(const RxScan& s, int state, int pos) {
  return (static_cast<std::uint64_t>(state) << 32) | static_cast<std::uint32_t>(pos - s.from);
}

bool is_failed(const RxScan& s, int state, int pos) {
  const int i = pos - s.from;
  const auto& page = s.failed[static_cast<std::size_t>(i >> page_shift)];
  if (!page) return false;
  const std::size_t bit =
      static_cast<std::size_t>(state) * page_size + static_cast<std::size_t>(i & (page_size - 1));
  return ((*page)[bit >> 6] >> (bit & 63)) & 1u;
}

void set_failed(RxScan& s, int state, int pos) {
  const int i = pos - s.from;
  auto& page = s.failed[static_cast<std::size_t>(i >> page_shift)];
  if (!page) {
    page = std::make_unique<std::vector<std::uint64_t>>(
        static_cast<std::size_t>(s.nstates) * page_size / 64, 0);
  }
  const std::size_t bit =
      static_cast<std::size_t>(state) * page_size + static_cast<std::size_t>(i & (page_size - 1));
  (*page)[bit >> 6] |= std::uint64_t{1} << (bit & 63);
}

bool is_end_state(const RxScan& s, int state) {
  const int a = s.state_alt[static_cast<std::size_t>(state)];
  return state == s.base[static_cast<std::size_t>(a)] + 2 * static_cast<int>(s.alts[a].size());
}

// Next successor of a frame in the order of greedy backtracking; false when
// the frame has none left.
bool next_successor(const RxScan& s, RxScan::Frame& f, int& ns, int& np) {
  const int a = s.state_alt[static_cast<std::size_t>(f.state)];
  const int rel = f.state - s.base[static_cast<std::size_t>(a)];
  const int e = rel / 2;
  const bool in_star = (rel & 1) != 0;
  const RxElement& el = s.alts[static_cast<std::size_t>(a)][static_cast<std::size_t>(e)];
  const int after = s.base[static_cast<std::size_t>(a)] + 2 * (e + 1);
  const int p = f.pos;

  if (el.kind != RxElement::accept) {
    // Anchors take no character; with "?" or "*" they may be passed over.
    const bool holds = el.kind == RxElement::bol ? p == s.first : p == s.to + 1;
    const bool optional = el.quant == rx_opt || el.quant == rx_star;
    if (f.choice++ == 0 && (holds || optional)) {
      ns = after;
      np = p;
      return true;
    }
    return false;
  }

  const bool acc =
      p <= s.to &&
      el.accepts[s.fold[static_cast<unsigned char>(s.text[static_cast<std::size_t>(p - 1)])]];
  const std::int32_t q = in_star ? rx_star : el.quant;
  const std::int32_t repeat = s.base[static_cast<std::size_t>(a)] + 2 * e + 1;
  // "?" and "*": first the character (on to `taken`), then without it.
  const auto orskip = [&](std::int32_t taken) {
    if (f.choice == 0) {
      f.choice = 1;
      if (acc) {
        ns = taken;
        np = p + 1;
        return true;
      }
    }
    if (f.choice == 1) {
      f.choice = 2;
      ns = after;
      np = p;
      return true;
    }
    return false;
  };
  switch (q) {
    case 0:
      if (f.choice++ == 0 && acc) {
        ns = after;
        np = p + 1;
        return true;
      }
      return false;
    case rx_opt:
      return orskip(after);
    case rx_plus:
      if (f.choice++ == 0 && acc) {
        ns = repeat;
        np = p + 1;
        return true;
      }
      return false;
    default:  // "*", and the repeat state of "+"
      return orskip(repeat);
  }
}

// Settles state (state, pos); returns the end position of the match or -1.
int run_state(RxScan& s, int state, int pos) {
  if (is_end_state(s, state)) return pos;
  if (is_failed(s, state, pos)) return -1;
  if (auto it = s.done.find(key_of(s, state, pos)); it != s.done.end()) return it->second;

  auto succeed = [&](int end) {
    if (s.keep_done)
      for (const auto& fr : s.stack) s.done.emplace(key_of(s, fr.state, fr.pos), end);
    s.stack.clear();
    return end;
  };

  s.stack.clear();
  s.stack.push_back({state, pos, 0});
  while (!s.stack.empty()) {
    ++s.steps;
    int ns = 0;
    int np = 0;
    if (!next_successor(s, s.stack.back(), ns, np)) {
      set_failed(s, s.stack.back().state, s.stack.back().pos);
      s.stack.pop_back();
      continue;
    }
    if (is_end_state(s, ns)) return succeed(np);
    if (is_failed(s, ns, np)) continue;
    if (auto it = s.done.find(key_of(s, ns, np)); it != s.done.end()) return succeed(it->second);
    s.stack.push_back({ns, np, 0});
  }
  return -1;
}

}  // namespace

void rx_prepare(RxScan& scan, const std::vector<std::int32_t>& tokens, std::string_view text,
                int from, int to, int first, int options) {
  scan.text = text;
  scan.from = from;
  scan.to = to;
  scan.first = first;
  scan.steps = 0;
  const int flag = (options & 0x1) != 0 ? 0 : 1;
  for (int c = 0; c < 256; ++c)
    scan.fold[static_cast<std::size_t>(c)] =
        static_cast<unsigned char>(GETLOWERICHAR(static_cast<char>(c), flag));

  scan.alts.assign(1, {});
  for (std::size_t i = 0; i < tokens.size() && tokens[i] != rx_end;) {
    const std::int32_t t = tokens[i];
    auto& cur = scan.alts.back();
    if (t == rx_alt) {
      scan.alts.emplace_back();
      ++i;
      continue;
    }
    if (t == rx_opt || t == rx_plus || t == rx_star) {
      if (!cur.empty() && cur.back().quant == 0) {
        cur.back().quant = t;
      } else {
        // A repetition with nothing to repeat stands for its own character.
        RxElement el;
        el.accepts.set(t == rx_opt ? '?' : t == rx_plus ? '+' : '*');
        cur.push_back(el);
      }
      ++i;
      continue;
    }
    RxElement el;
    if (is_literal(t)) {
      el.accepts.set(static_cast<std::size_t>(t));
      ++i;
    } else if (t == rx_any) {
      if ((options & 0x2) != 0) {
        for (int c = 0; c < 256; ++c)
          if (is_namechar(static_cast<char>(c))) el.accepts.set(static_cast<std::size_t>(c));
      } else {
        el.accepts.set();
      }
      ++i;
    } else if (t == rx_bol || t == rx_eol) {
      el.kind = t == rx_bol ? RxElement::bol : RxElement::eol;
      ++i;
    } else if (t >= rx_digit && t <= rx_hex) {
      for (int c = 0; c < 256; ++c)
        if (in_class_token(t, static_cast<unsigned char>(c)))
          el.accepts.set(static_cast<std::size_t>(c));
      ++i;
    } else if (t == rx_class || t == rx_nclass) {
      int n = 0;
      if (i + 1 < tokens.size() && tokens[i + 1] > rx_classlen) n = tokens[i + 1] - rx_classlen - 1;
      const std::size_t avail = tokens.size() - std::min(tokens.size(), i + 2);
      if (static_cast<std::size_t>(n) > avail) n = static_cast<int>(avail);
      el.accepts = class_accepts(tokens.data() + i + 2, n, t == rx_nclass);
      i += 2 + static_cast<std::size_t>(n);
    } else {
      ++i;  // no element (a stray length or range token)
      continue;
    }
    cur.push_back(el);
  }

  scan.base.clear();
  scan.state_alt.clear();
  scan.nstates = 0;
  for (std::size_t a = 0; a < scan.alts.size(); ++a) {
    scan.base.push_back(scan.nstates);
    const int n = 2 * static_cast<int>(scan.alts[a].size()) + 1;
    scan.state_alt.insert(scan.state_alt.end(), static_cast<std::size_t>(n), static_cast<int>(a));
    scan.nstates += n;
  }
  const int npos = to - from + 2 > 0 ? to - from + 2 : 1;
  scan.failed.clear();
  scan.failed.resize(static_cast<std::size_t>((npos + page_size - 1) >> page_shift));
  scan.done.clear();
  scan.stack.clear();
  const bool words = (options & 0x2) != 0 && (options & 0x78) == 0;
  scan.keep_done = words || (options & 0x104) == 0x104;
}

int MATCH_HERE(RxScan& scan, int alt, int pos) {
  const auto& els = scan.alts[static_cast<std::size_t>(alt)];
  if (els.empty()) return 0;
  // Quick refusal: a first element that must take a character.
  const RxElement& e0 = els.front();
  if (e0.kind == RxElement::accept && (e0.quant == 0 || e0.quant == rx_plus)) {
    if (pos > scan.to) return -1;
    const auto c = static_cast<unsigned char>(scan.text[static_cast<std::size_t>(pos - 1)]);
    if (!e0.accepts[scan.fold[c]]) return -1;
  }
  const int end = run_state(scan, scan.base[static_cast<std::size_t>(alt)], pos);
  return end < 0 ? -1 : end - pos;
}

}  // namespace core
