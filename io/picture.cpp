#include "io/picture.h"

#include <algorithm>
#include <cstdlib>
#include <string>

#include "core/chars.h"
#include "core/numread.h"
#include "io/rwtexts.h"

namespace io {

namespace {

// The number right aligned in a field of w characters, "*" when it does
// not fit.
std::string field(std::int32_t v, std::size_t w) {
  std::string s = std::to_string(v);
  if (s.size() > w) return std::string(w, '*');
  return std::string(w - s.size(), ' ') + s;
}

std::int32_t trimmedlength(std::string_view s, std::int32_t last) {
  std::int32_t n = std::clamp<std::int32_t>(last, 0, static_cast<std::int32_t>(s.size()));
  while (n > 0 && s[static_cast<std::size_t>(n - 1)] == ' ') --n;
  return n;
}

char at(std::string_view s, std::int32_t p) { return s[static_cast<std::size_t>(p - 1)]; }

// The first position from..to holding c, 0 when none.
std::int32_t find(std::string_view s, char c, std::int32_t from, std::int32_t to) {
  for (std::int32_t p = std::max(from, 1); p <= to; ++p)
    if (at(s, p) == c) return p;
  return 0;
}

// The delimiter chosen for a picture that ends at L: the character at L,
// unless that is a name character: then the first character from pos on
// that is not one (the character at last when all are).
char choosedelimiter(std::string_view text, std::int32_t pos, std::int32_t L, std::int32_t last) {
  const char d = at(text, L);
  if (!core::is_namechar(d)) return d;
  for (std::int32_t p = pos; p <= last; ++p)
    if (!core::is_namechar(at(text, p))) return at(text, p);
  return at(text, last);
}

}  // namespace

int PICTUREFORMAT(std::string_view text, std::int32_t last, std::int32_t pos, char& letter,
                  std::int32_t& width, std::int32_t& decimals, std::int32_t& next, char& delimiter,
                  std::int32_t mode) {
  last = std::clamp<std::int32_t>(last, 0, static_cast<std::int32_t>(text.size()));
  const std::int32_t L = trimmedlength(text, last);
  if (L < 2) {
    letter = 'a';
    next = L + 1;
    return picliteral;
  }
  pos = std::max(pos, 1);
  std::int32_t p = pos, end = 0;
  for (int round = 0;; ++round) {
    if (delimiter == autodelimiter) delimiter = choosedelimiter(text, pos, L, last);
    p = pos;
    while (p <= L && at(text, p) == delimiter) ++p;
    const std::int32_t lead = p - pos;
    if (mode < 0 && delimiter == ' ') {
      end = L;
      next = L + 1;
      break;
    }
    if (const std::int32_t q = find(text, delimiter, p, last); q > 0) {
      end = q - std::max(lead, 1);
      next = q;
      break;
    }
    if (pos > 1) {
      end = last;
      next = last + 1;
      break;
    }
    if (round > 0) {
      next = 1;
      return picnone;
    }
    delimiter = autodelimiter;  // start over once, choosing the delimiter
  }
  fmtwork.blank();
  if (mode < 0) {
    std::int32_t k = p;
    while (k <= end && std::string_view("1234567890+-").find(at(text, k)) == std::string_view::npos)
      ++k;
    if (k > end) {
      next = end + 1;
      return picnone;
    }
    double value = 0.0;
    std::int32_t t = k, status = 0;
    core::GETR8N(text, L, value, t, status);
    t = std::abs(t);
    if (status == 2 || t <= k) {
      next = end + 1;
      return picnone;
    }
    width = t - k;
    next = t;
    const std::string_view number =
        text.substr(static_cast<std::size_t>(k - 1), static_cast<std::size_t>(width));
    const auto dotat = number.find('.');
    const auto expat = number.find_first_of("Ee");
    const std::int32_t dot =
        dotat == std::string_view::npos ? 0 : static_cast<std::int32_t>(dotat) + 1;
    const std::int32_t x =
        expat == std::string_view::npos ? 0 : static_cast<std::int32_t>(expat) + 1;
    std::string f;
    if (x > 0) {
      letter = 'E';
      decimals = x - dot - 1;
      f = "(ES" + field(width, 3) + "." + field(decimals, 3) + "E" + field(width - x, 3) + ")";
    } else if (dot > 0) {
      letter = 'F';
      decimals = width - dot;
      f = "(F" + field(width, 3) + "." + field(decimals, 2) + ")";
    } else {
      letter = 'I';
      decimals = 0;
      f = "(I" + field(width, 3) + ")";
    }
    fmtwork.set(f);
    return picnumber;
  }
  width = std::max(end - p + 1, 0);
  decimals = 0;
  for (std::int32_t k = p; k <= end; ++k) {
    const auto align = std::string_view("LCR").find(at(text, k));
    if (align != std::string_view::npos) {
      letter = 'A';
      fmtwork.set("(A" + field(width, 3) + ")");
      return picleft + static_cast<int>(align);
    }
  }
  letter = 'a';
  return picliteral;
}

void PICTURETOFMT(std::string_view text, std::int32_t last, std::int32_t& pos,
                  std::span<char> descriptor, std::int32_t& count) {
  std::fill(descriptor.begin(), descriptor.end(), ' ');
  char letter = ' ', delimiter = autodelimiter;
  std::int32_t width = 0, decimals = 0, next = pos;
  const int code = PICTUREFORMAT(text, last, pos, letter, width, decimals, next, delimiter, 0);
  pos = next;
  if (code <= 0) return;
  ++count;
  const std::string_view made = fmtwork.trimmed();
  if (made.size() < 2) return;
  const std::string_view inner = made.substr(1, made.size() - 2);
  std::copy_n(inner.begin(), std::min(inner.size(), descriptor.size()), descriptor.begin());
}

void PICTUREREAD(std::string_view text, std::span<char> target, std::int32_t& fieldstart,
                 std::int32_t& fieldend, std::int32_t& textpos, std::int32_t& picpos,
                 char& status) {
  const std::string_view picture = fmtwork.view();
  picpos = std::max(std::abs(picpos), 1);
  status = 'A';
  std::fill(target.begin(), target.end(), ' ');
  fieldstart = 0;
  const auto size = static_cast<std::int32_t>(text.size());
  const std::int32_t textlast = trimmedlength(text, size);
  const std::int32_t plast = trimmedlength(picture, static_cast<std::int32_t>(picture.size()));
  std::int32_t e = plast > 0 ? find(picture, at(picture, plast), picpos, plast) : 0;
  if (e == 0) {
    textpos = textlast + 1;
    return;
  }
  const char s = at(picture, picpos);
  textpos = std::max(textpos, 1);
  const std::int32_t hit = find(text, s, textpos, size);
  fieldend = hit + 1;
  if (hit == 0) {
    fieldend = textlast + 2;
    e = picpos;
  }
  std::int32_t first = 0, last = -1;  // the field, empty when last < first
  const std::int32_t distance = e - picpos;
  if (distance == 0) {
    if (fieldend > textpos) {
      first = textpos;
      last = fieldend - 2;
      textpos = fieldend - 1;
    }
  } else if (distance == 1) {
    if (textpos <= size && at(text, textpos) == '"') {
      const std::int32_t quote = find(text, '"', textpos + 1, size);
      fieldend = (quote > 0 ? quote : textlast) + 2;
    }
    if (fieldend - 1 != textpos) {
      first = textpos;
      last = fieldend - 2;
      textpos = fieldend - 1;
    }
  } else {
    first = fieldend;
    const std::int32_t nexts = find(text, s, first, size);
    last = nexts > 0 ? nexts - 1 : textlast;
    textpos = last + 1;
  }
  if (e < plast) picpos = e + 1;

  first = std::max(first, 1);
  last = std::min(last, size);
  if (last < first) return;
  fieldstart = first;
  std::string_view f =
      text.substr(static_cast<std::size_t>(first - 1), static_cast<std::size_t>(last - first + 1));
  if (f.size() >= 2 && f.front() == '"' && f.back() == '"') f = f.substr(1, f.size() - 2);
  std::size_t out = 0;
  for (char c : f) {
    if (c == '\r' || c == '\n') continue;
    if (out == target.size()) break;
    target[out++] = c;
  }
}

}  // namespace io
