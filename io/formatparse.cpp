#include "io/formatparse.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <span>

#include "core/stores.h"
#include "io/picture.h"
#include "io/rwtexts.h"

namespace io {

namespace {

// States of the descriptor scan.
enum class St {
  start,          // nothing but a repeat count read
  literal,        // inside quotes
  afterletter,    // A E F G I L O Z read
  afterens,       // EN or ES read: only width digits may follow
  afterbinary,    // B, or the B of FB/IB
  afterunsigned,  // the unsigned mark
  width,
  decpending,  // "." read, no decimal digit yet
  decimals,
  exppending,  // exponent mark read, its digit missing
  complete     // X, a closed literal, the exponent digit
};

bool iscomplete(St s) {
  return s != St::start && s != St::literal && s != St::decpending && s != St::exppending;
}

char upper(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 32) : c; }

// Letters whose width may be followed by "." and decimals.
bool takesdecimals(char letter) { return std::strchr("EFGIOZB", letter) != nullptr; }

constexpr std::int64_t numlimit = 214748364;

}  // namespace

void PARSENEXTFORMAT(std::string_view fmt, std::int32_t last, std::int32_t& pos, FmtDescr& d) {
  const std::int32_t start = pos;
  d.repeat = 0;
  d.letter = ' ';
  d.width = 0;
  d.decimals = -1;
  d.textend = 0;
  d.written = ' ';
  last = std::min<std::int32_t>(last, static_cast<std::int32_t>(fmt.size()));
  auto finish = [&](std::int32_t next) {
    pos = next;
    if (d.repeat < 1) d.repeat = 1;
  };
  if (start < 1) return finish(start < 0 ? start : -1);
  if (last < start) return finish(-start);

  St st = St::start;
  char quote = 0;
  bool dot = false;
  for (std::int32_t p = start; p <= last; ++p) {
    const char c = fmt[static_cast<std::size_t>(p - 1)];
    if (st == St::literal) {
      if (c == quote) {
        st = St::complete;
        d.letter = 'a';
      }
      continue;
    }
    if (c == ' ') continue;
    if (c >= '0' && c <= '9') {
      std::int32_t* number = nullptr;
      switch (st) {
        case St::start:
          number = &d.repeat;
          break;
        case St::afterletter:
        case St::afterens:
        case St::afterbinary:
        case St::afterunsigned:
        case St::width:
          number = &d.width;
          st = St::width;
          break;
        case St::decpending:
        case St::decimals:
          number = &d.decimals;
          st = St::decimals;
          break;
        case St::exppending:
          st = St::complete;  // the exponent digit: read, not reported
          continue;
        default:
          return finish(-p);
      }
      const std::int64_t v = std::int64_t{*number} * 10 + (c - '0');
      if (v > numlimit) return finish(-p);
      *number = static_cast<std::int32_t>(v);
      continue;
    }
    if (dot && (c == 'E' || c == 'e')) {
      st = St::exppending;
      continue;
    }
    if (c == ',' || c == '/') {
      if (p == start) continue;
      if (!iscomplete(st)) return finish(-p);
      d.textend = p - 1;
      return finish(p + 1);
    }
    if (c == '(') {
      if (st != St::start) return finish(-p);
      d.letter = '(';
      if (d.repeat == 0) d.repeat = fmtnorepeat;
      return finish(p + 1);
    }
    if (c == ')') {
      if (d.letter == ' ') {
        d.letter = ')';
        return finish(p + 1);
      }
      return finish(p);  // the pending descriptor; the next call reads the ")"
    }
    const char u = upper(c);
    if (st == St::start) {
      if (c == '\'' || c == '"') {
        st = St::literal;
        quote = c;
      } else if (u == 'X') {
        d.letter = 'X';
        st = St::complete;
      } else if (u == 'U') {
        // A picture or date-time text up to the next ",".
        d.letter = 'U';
        d.written = c;
        d.textstart = p;
        const auto rest =
            fmt.substr(static_cast<std::size_t>(p), static_cast<std::size_t>(last - p));
        const auto comma = rest.find(',');
        d.textend = comma == std::string_view::npos ? last : p + static_cast<std::int32_t>(comma);
        d.width = d.textend - d.textstart;
        return finish(d.textend + 2);
      } else if (std::strchr("AEFGILOZ", u) != nullptr) {
        d.letter = u;
        d.written = c;
        d.textstart = p;
        st = St::afterletter;
      } else if (u == 'B') {
        d.letter = 'B';
        d.written = c;
        d.textstart = p;
        st = St::afterbinary;
      } else {
        return finish(-p);
      }
      continue;
    }
    if (st == St::afterletter && u == 'B' && (d.letter == 'F' || d.letter == 'I')) {
      d.letter = d.letter == 'F' ? 'f' : 'i';
      d.written = c;
      st = St::afterbinary;
    } else if (st == St::afterletter && d.letter == 'E' && (u == 'N' || u == 'S')) {
      st = St::afterens;
    } else if (u == 'U' && (st == St::afterbinary || (st == St::afterletter && d.written == 'i'))) {
      d.written = 'u';
      st = St::afterunsigned;
    } else if (c == '.' && st == St::width && takesdecimals(d.letter)) {
      dot = true;
      d.decimals = 0;
      st = St::decpending;
    } else {
      return finish(-p);
    }
  }
  if (!iscomplete(st)) return finish(-(last + 1));
  d.textend = last;
  finish(last + 2);
}

namespace {

// True when a parse failed at a digit that continues a number: a count or
// width too long to read.
bool overlong(std::string_view fmt, std::int32_t failed) {
  const auto digit = [&](std::int32_t p) {
    return p >= 1 && p <= static_cast<std::int32_t>(fmt.size()) &&
           std::isdigit(static_cast<unsigned char>(fmt[static_cast<std::size_t>(p - 1)])) != 0;
  };
  return digit(failed) && digit(failed - 1);
}

}  // namespace

bool FORMATFITSSTORE(std::string_view fmt) {
  const auto n = static_cast<std::int32_t>(fmt.size());
  std::int64_t width = 0;
  for (std::int32_t pos = 1; pos >= 1 && pos <= n;) {
    FmtDescr d;
    PARSENEXTFORMAT(fmt, n, pos, d);
    if (pos < 0 && overlong(fmt, -pos)) return false;
    if (d.letter == '(' || d.letter == ')') continue;
    // Only "(" stands without a count for the largest one.
    width += std::int64_t{std::max(d.repeat, 1)} * (d.letter == 'X' ? 1 : std::max(d.width, 0));
    if (width > core::nc1namenlimit) return false;
  }
  return true;
}

void NEXTFORMAT(std::string_view fmt, std::int32_t fmtlen, std::int32_t& pos, FmtDescr& d) {
  fmtlen = std::clamp<std::int32_t>(fmtlen, 0, static_cast<std::int32_t>(fmt.size()));
  const std::int32_t from = pos;
  std::int32_t p = pos;
  PARSENEXTFORMAT(fmt, fmtlen, p, d);
  pos = p;
  if (p >= 0) return;
  if (-p == fmtlen && fmtlen >= 2 && fmt[static_cast<std::size_t>(fmtlen - 2)] == ' ') ++p;
  if (-p >= fmtlen) {
    pos = p;
    return;  // the format is spent
  }
  // Perhaps one text picture.
  fmtwork.blank();
  std::int32_t at = -p, count = 0;
  PICTURETOFMT(fmt, fmtlen, at, std::span<char>(rwdetail.data(), rwdetail.size()), count);
  if (!rwdetail.is_blank()) {
    d.repeat = 1;
    std::int32_t n = fmtlen;
    while (n > 0 && fmt[static_cast<std::size_t>(n - 1)] == ' ') --n;
    d.width = n;
    pos = at;
  } else {
    d.written = fmt[static_cast<std::size_t>(fmtlen - 1)];
    const auto hit = fmt.substr(0, static_cast<std::size_t>(fmtlen))
                         .find(d.written, static_cast<std::size_t>(std::max(from, 1) - 1));
    pos = hit == std::string_view::npos ? fmtlen + 1 : static_cast<std::int32_t>(hit) + 2;
  }
  d.letter = '?';
}

void GETRECLFROMFMT(std::int32_t& recl, std::string_view fmt, std::int32_t fmtlen,
                    std::int32_t& covered, std::int32_t items, char& summary) {
  recl = 0;
  covered = 0;
  summary = ' ';
  fmtlen = std::clamp<std::int32_t>(fmtlen, 0, static_cast<std::int32_t>(fmt.size()));
  std::int32_t n = fmtlen;
  while (n > 0 && fmt[static_cast<std::size_t>(n - 1)] == ' ') --n;
  bool nowidth = false, bmark = false;
  std::int64_t length = 0, served = 0;
  char letter = ' ';
  std::int32_t pos = 1;
  for (;;) {
    const std::int32_t start = pos;
    FmtDescr d;
    NEXTFORMAT(fmt, n, pos, d);
    letter = d.letter;
    std::int64_t width = d.width;
    if (width == 0) {
      if (d.letter == 'X') {
        width = 1;
      } else {
        nowidth = true;  // also a literal: it has no width of its own
      }
    } else if (d.written == 'B' || d.written == 'b') {
      bmark = true;
    }
    std::int64_t repeat = d.repeat == fmtnorepeat ? 1 : d.repeat;
    repeat = std::min<std::int64_t>(repeat, std::int64_t{items} - served);
    length += std::max<std::int64_t>(repeat, 0) * width;
    if (d.letter != 'X') served += std::max<std::int64_t>(repeat, 0);
    const std::int32_t next = pos < 0 ? -pos : pos;
    if (served >= items || start < 1 || next > n || next <= start) break;
    if (next == n && std::strchr("aAfF", fmt[static_cast<std::size_t>(fmtlen - 1)]) == nullptr)
      break;
  }
  recl = static_cast<std::int32_t>(std::min<std::int64_t>(length, 2147483647));
  covered = static_cast<std::int32_t>(std::min<std::int64_t>(served, 2147483647));
  summary = nowidth && bmark ? '2' : nowidth ? '?' : letter;
}

}  // namespace io
