#include <cstdint>
#include <string_view>
#include <vector>

#include "core/chars.h"
#include "core/regex.h"

namespace core {

namespace {

int hex_value(int c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return 0;  // no hexadecimal digit counts as 0
}

}  // namespace

LineEnds line_ends_in(std::string_view text, int from, int to) {
  const int n = static_cast<int>(text.size());
  if (from < 1) from = 1;
  if (to > n) to = n;
  for (int p = from; p <= to; ++p) {
    const char c = text[p - 1];
    if (c == '\n') return LineEnds::lf;
    if (c == '\r') return p < to && text[p] == '\n' ? LineEnds::crlf : LineEnds::cr;
  }
  return LineEnds::none;
}

bool in_class_token(std::int32_t token, unsigned char c) {
  const bool digit = c >= '0' && c <= '9';
  switch (token) {
    case rx_digit:
      return digit;
    case rx_alpha:
      return is_namechar(static_cast<char>(c)) && !digit;
    case rx_word:
      return is_namechar(static_cast<char>(c));
    case rx_space:
      return c == 8 || c == 10 || c == 13 || c == 32;
    case rx_hex:
      return digit || (c >= 'A' && c <= 'F') || (c >= 'a' && c <= 'f');
    default:
      return false;
  }
}

std::vector<std::int32_t> PATTERN_PREPROZ(std::string_view pattern, int options, LineEnds ends) {
  enum State { normal, escape, class_start, class_body, hex };
  const int flag = (options & 0x1) != 0 ? 0 : 1;
  std::vector<std::int32_t> t;
  t.reserve(pattern.size() + 3);
  State state = normal;
  State back = normal;   // where an escape returns to
  std::size_t slot = 0;  // index of the class length slot
  int hexcount = 0;
  int hexval = 0;

  auto close_class = [&] { t[slot] = rx_classlen + static_cast<std::int32_t>(t.size() - slot); };
  auto literal = [&](int c) {
    t.push_back(c);
    if (back == class_body || back == class_start) {
      state = class_body;
    } else {
      state = normal;
    }
  };

  for (char ch : pattern) {
    const int c = GETLOWERICHAR(ch, flag);
    switch (state) {
      case normal:
        switch (c) {
          case '.':
            t.push_back(rx_any);
            break;
          case '?':
            t.push_back(rx_opt);
            break;
          case '+':
            t.push_back(rx_plus);
            break;
          case '*':
            t.push_back(rx_star);
            break;
          case '|':
            t.push_back(rx_alt);
            break;
          case '[':
            t.push_back(rx_class);
            slot = t.size();
            t.push_back(rx_classlen + 1);
            state = class_start;
            break;
          case '\\':
            back = normal;
            state = escape;
            break;
          case '^':
            t.push_back(ends == LineEnds::none ? rx_bol : ends == LineEnds::cr ? '\r' : '\n');
            break;
          case '$':
            t.push_back(ends == LineEnds::none ? rx_eol : ends == LineEnds::lf ? '\n' : '\r');
            break;
          default:
            t.push_back(c);
        }
        break;
      case escape:
        switch (c) {
          case 'd':
            t.push_back(rx_digit);
            state = back == normal ? normal : class_body;
            break;
          case 'a':
            t.push_back(rx_alpha);
            state = back == normal ? normal : class_body;
            break;
          case 'w':
            t.push_back(rx_word);
            state = back == normal ? normal : class_body;
            break;
          case 's':
            t.push_back(rx_space);
            state = back == normal ? normal : class_body;
            break;
          case 'z':
            t.push_back(rx_hex);
            state = back == normal ? normal : class_body;
            break;
          case 'x':
            hexcount = 0;
            hexval = 0;
            state = hex;
            break;
          default:
            literal(c);
        }
        break;
      case hex:
        hexval = hexval * 16 + hex_value(c);
        if (++hexcount == 2) literal(hexval);
        break;
      case class_start:
        if (c == '^' && t[slot - 1] == rx_class && t.size() == slot + 1) {
          t[slot - 1] = rx_nclass;  // the first member is still to come
        } else if (c == '\\') {
          back = class_body;
          state = escape;
        } else {
          t.push_back(c);
          state = class_body;
        }
        break;
      case class_body:
        if (c == '-') {
          t.push_back(rx_range);
        } else if (c == '\\') {
          back = class_body;
          state = escape;
        } else if (c == ']') {
          close_class();
          state = normal;
        } else {
          t.push_back(c);
        }
        break;
    }
  }

  // End of the pattern.
  if (state == escape) {
    literal(' ');  // a trailing "\" stands for a blank
  } else if (state == hex) {
    while (hexcount++ < 2) hexval *= 16;  // missing digits count as 0
    literal(hexval);
  }
  if (state == class_start || state == class_body) close_class();
  t.push_back(rx_end);
  return t;
}

}  // namespace core
