#include "core/tokenizer.h"

#include <algorithm>
#include <array>
#include <string>

#include "core/chars.h"
#include "core/codewords.h"
#include "core/commalists.h"
#include "core/messages.h"
#include "core/numread.h"
#include "core/runwords.h"
#include "core/symbols.h"
#include "platform/charcase.h"

namespace core {

namespace {

// Codes after which a sign is unary: start, "=", "(", comma, ":" and "/".
bool signisunary(std::int16_t prev) {
  return prev == cwd::end || prev == cwd::assign || prev == cwd::lparen || prev == cwd::comma ||
         prev == cwd::colon || prev == cwd::divide;
}

bool isnamestart(char c) {
  const char u = static_cast<char>(plat::upper1252(static_cast<unsigned char>(c)));
  return is_namechar(u) && !(u >= '0' && u <= '9');
}

bool isnamechar(char c) {
  return is_namechar(static_cast<char>(plat::upper1252(static_cast<unsigned char>(c))));
}

struct Line {
  std::string_view text;
  std::int32_t len;

  // Character at position p (from 1); blank beyond the text.
  char at(std::int32_t p) const { return p >= 1 && p <= len ? text[p - 1] : ' '; }
  // The rest of the line from position p.
  std::string_view from(std::int32_t p) const {
    return p >= 1 && p <= len ? text.substr(static_cast<std::size_t>(p - 1)) : std::string_view();
  }
};

void fail(std::string_view key, std::int32_t mode, std::string_view rest, std::string_view extra) {
  tokenkey.set(key);
  if (mode == 1) {
    // The message shows the rest of the line and, for a text literal
    // without its end, the delimiter.
    std::string r(rest), x(extra);
    HelpValues v;
    // The line being compiled, as every compile error names it.
    std::array<std::int16_t, 4> halves{static_cast<std::int16_t>(xeqline), 0, 0, 0};
    v.halves = halves;
    v.text = r;
    if (!x.empty()) {
      v.characters = x;
      v.count = static_cast<int>(x.size());
    }
    int answer = 0;
    HELP(key, answer, v);
  }
  xeqstop = stops::error;
}

}  // namespace

void TOKEN(std::string_view text, std::span<double> values, std::int32_t& mode) {
  const Line ln{text, static_cast<std::int32_t>(text.size())};
  const bool strict = mode != 0;

  // Scan limit: the CR of the first CR LF, else the trimmed length + 1, but
  // not beyond the text.
  std::int32_t lim = 0, numlen = ln.len;
  if (const auto crlf = text.find("\r\n"); crlf != std::string_view::npos) {
    lim = static_cast<std::int32_t>(crlf) + 1;
    numlen = lim - 1;
  } else {
    lim = std::min(C1LEN_TRIM(text) + 1, ln.len);
  }

  tokenkey.blank();
  ntok = 0;
  std::int32_t p = 1;
  std::int16_t prev = cwd::end;
  for (;;) {
    ++ntok;
    while (p < ln.len && ln.at(p) == ' ') ++p;
    if (p > ln.len) p = ln.len;
    if (p >= lim) {
      tokbeg(ntok) = tokend(ntok) = static_cast<std::int16_t>(std::min(p, 32767));
      tokcod(ntok) = cwd::end;
      return;
    }
    if (ntok >= maxtokens || p > 32767) {
      fail(toomanytokenskey, mode, ln.from(p), {});
      return;
    }
    std::int32_t beg = p, end = p;
    std::int16_t code = 0;
    bool textliteral = false;
    char look[4];
    for (int i = 0; i < 4; ++i) look[i] = ln.at(p + i);
    const char c = look[0];

    double value = 0.0;
    std::int32_t pos = p, status = 2;
    if (const auto op = xeqopchars.find(c); op != std::string_view::npos) {
      // Operator: a pair first (strict modes only), then the single character.
      const std::int32_t pair = strict ? FINDSTN(xeqoppairs, std::string_view(look, 2), 2) : 0;
      if (pair > 0) {
        code = xeqoppaircodes[static_cast<std::size_t>(pair - 1)];
        end = p + 1;
      } else {
        code = xeqopcodes[op];
        if (signisunary(prev)) {
          if (c == '-') code = cwd::uminus;
          if (c == '+') code = cwd::uplus;
        }
      }
    } else if (GETR8N(text, numlen, value, pos, status), status == 0) {
      if (ntok > static_cast<std::int32_t>(values.size())) {
        fail(toomanytokenskey, mode, ln.from(p), {});
        return;
      }
      code = cwd::number;
      // A point that ends the number ("1." before ")", "," or an operator)
      // is the number's; one that opens a dotted operator (1.EQ.) is not.
      if (pos <= numlen && ln.at(pos) == '.' && !isnamestart(ln.at(pos + 1))) ++pos;
      end = pos - 1;
      values[static_cast<std::size_t>(ntok - 1)] = value;
    } else if (status == 1) {
      fail(invalnumkey, mode, ln.from(p), {});
      return;
    } else {
      if (ntok <= static_cast<std::int32_t>(values.size()))
        values[static_cast<std::size_t>(ntok - 1)] = 0.0;
      UPCASE(std::span<char>(look, 4), 4);
      if (isnamestart(c)) {
        while (end + 1 <= lim && end + 1 <= ln.len && isnamechar(ln.at(end + 1))) ++end;
        code = cwd::name;
      } else if (c == '!') {
        tokcod(ntok) = cwd::end;
        tokbeg(ntok) = tokend(ntok) = static_cast<std::int16_t>(p);
        return;
      } else if (c == '&') {
        while (end + 1 <= ln.len && ln.at(end + 1) == '&') ++end;
        code = cwv(cwu(cwd::ampersand) + static_cast<unsigned>(end - p + 1));
      } else if (const std::int32_t q = FINDSTN(xeqopdotted, std::string_view(look, 4), 4); q > 0) {
        code = dottedcode(q);
        end = p + 3;
      } else {
        // A text literal, delimited by its first character.
        std::int32_t close = p + 1;
        while (close <= lim && ln.at(close) != c) ++close;
        if (close <= lim) {
          code = cwd::text;
          beg = p + 1;
          end = close - 1;
          textliteral = true;
        } else if (strict) {
          fail(illegalcharkey, mode, ln.from(p + 1), std::string_view(&text[p - 1], 1));
          return;
        } else {
          code = cwd::text;  // lenient: the lone delimiter as a one-character text
        }
      }
    }
    if (end > 32767) {
      fail(toomanytokenskey, mode, ln.from(p), {});
      return;
    }
    tokcod(ntok) = code;
    tokbeg(ntok) = static_cast<std::int16_t>(beg);
    tokend(ntok) = static_cast<std::int16_t>(end);
    prev = code;
    p = end + 1 + (textliteral ? 1 : 0);
    if (p > lim) return;
  }
}

void TXLIZA(std::string_view text, std::int32_t from, std::int32_t to, std::int32_t& count) {
  const auto len = static_cast<std::int32_t>(text.size());
  auto crlfat = [&](std::int32_t i) {
    return i >= 1 && i < len && text[i - 1] == '\r' && text[i] == '\n';
  };
  count = 0;
  if (to >= from) {
    for (std::int32_t i = from; i < to; ++i)
      if (crlfat(i)) ++count;
  } else {
    for (std::int32_t i = from; i > to; --i)
      if (crlfat(i)) --count;
  }
}

void reset_tokenizer() {
  tokcod.assign(maxtokens, 0);
  tokbeg.assign(maxtokens, 0);
  tokend.assign(maxtokens, 0);
  ntok = 0;
  tokenkey.blank();
}

std::string_view tokentext(std::string_view line, std::int32_t i) {
  if (i < 1 || i > ntok) return {};
  const std::int32_t b = tokbeg(i), e = tokend(i);
  if (b < 1 || e < b || e > std::ssize(line)) return {};
  return line.substr(static_cast<std::size_t>(b - 1), static_cast<std::size_t>(e - b + 1));
}

}  // namespace core
