// Words, numbers and separators in texts.
#include <cstdint>

#include "core/chars.h"

namespace core {

namespace {

bool is_digit(char c) { return c >= '0' && c <= '9'; }

// Written form of an integer without blanks, into buf; returns its length.
int write_integer(int value, char (&buf)[12]) {
  char rev[12];
  int n = 0;
  std::int64_t v = value;
  const bool neg = v < 0;
  if (neg) v = -v;
  do {
    rev[n++] = static_cast<char>('0' + v % 10);
    v /= 10;
  } while (v != 0);
  int k = 0;
  if (neg) buf[k++] = '-';
  while (n > 0) buf[k++] = rev[--n];
  return k;
}

// Does pattern prefix + digits + suffix start at text position p (0-based)?
bool matches_at(std::string_view text, std::size_t p, std::string_view prefix,
                std::string_view digits, std::string_view suffix) {
  for (std::string_view part : {prefix, digits, suffix}) {
    if (text.size() - p < part.size() || text.compare(p, part.size(), part) != 0) return false;
    p += part.size();
  }
  return true;
}

}  // namespace

int INTGET(std::string_view text, int& first, int& last) {
  // The magnitude is held up to 2^31 so that a negative run can reach the
  // smallest 32-bit value; longer runs stop growing there.
  constexpr std::int64_t cap = std::int64_t{1} << 31;
  std::int64_t value = 0;
  first = 0;
  last = 0;
  const int n = C1LEN_TRIM(text);
  for (int i = 1; i <= n; ++i) {
    const char c = text[i - 1];
    if (is_digit(c)) {
      if (first == 0) first = i;
      value = value * 10 + (c - '0');
      if (value > cap) value = cap;
      last = i;
    } else if (last > 0) {
      break;
    }
  }
  if (first > 1 && text[first - 2] == '-') {
    --first;
    return static_cast<int>(-value);
  }
  return static_cast<int>(value >= cap ? cap - 1 : value);
}

bool INTEGERINSTRING(std::string_view prefix, int value, std::string_view text, int& first,
                     int& last, std::string_view suffix) {
  char buf[12];
  const int ndig = write_integer(value, buf);
  const std::string_view digits(buf, static_cast<std::size_t>(ndig));
  const std::size_t total = prefix.size() + digits.size() + suffix.size();
  first = 0;
  last = 0;
  if (total > text.size()) return false;
  for (std::size_t p = 0; p + total <= text.size(); ++p) {
    if (matches_at(text, p, prefix, digits, suffix)) {
      first = static_cast<int>(p) + 1;
      last = first + ndig - 1;
      return true;
    }
  }
  return false;
}

int INTSCOUNT(std::string_view text, int to, int from, int& end) {
  const int len = static_cast<int>(text.size());
  if (from < 1) from = 1;
  if (to > len) to = len;
  int count = 0;
  bool in_number = false;
  end = from - 1;
  for (int i = from; i <= to; ++i) {
    end = i;
    const unsigned char cls = charclass[static_cast<unsigned char>(text[i - 1])];
    if (cls & cc_numeric) {
      if (!in_number) ++count;
      in_number = true;
    } else if (cls & cc_separator) {
      in_number = false;
    } else {
      break;
    }
  }
  return count;
}

void NXTWORDAT(std::string_view text, int position, int& previous, int& start, int& end,
               int& next) {
  const int n = C1LEN_TRIM(text);
  previous = 0;
  start = 0;
  end = 0;
  next = n + 1;
  bool in_word = false;
  for (int i = 1; i <= n; ++i) {
    if (is_separator(text[i - 1])) {
      in_word = false;
      continue;
    }
    if (!in_word) {
      if (i > position) {
        next = i;
        return;
      }
      previous = start;
      start = i;
      in_word = true;
    }
    end = i;
  }
}

}  // namespace core
