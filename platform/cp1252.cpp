#include "platform/cp1252.h"

namespace plat {

namespace {

// Code points of 0x80 to 0x9F; the other bytes are their own code point.
constexpr char16_t kHigh[32] = {0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
                                0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

}  // namespace

char32_t unicode_of_1252(unsigned char c) { return c >= 0x80 && c < 0xA0 ? kHigh[c - 0x80] : c; }

unsigned char cp1252_of_unicode(char32_t c) {
  if (c < 0x80 || (c >= 0xA0 && c <= 0xFF)) return static_cast<unsigned char>(c);
  for (int i = 0; i < 32; ++i)
    if (kHigh[i] == c) return static_cast<unsigned char>(0x80 + i);
  return '?';
}

void append_utf8(std::string& out, char32_t c) {
  if (c < 0x80) {
    out += static_cast<char>(c);
  } else if (c < 0x800) {
    out += static_cast<char>(0xC0 | (c >> 6));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else {
    out += static_cast<char>(0xE0 | (c >> 12));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  }
}

std::string utf8_from_1252(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (char ch : text) append_utf8(out, unicode_of_1252(static_cast<unsigned char>(ch)));
  return out;
}

std::string latin1_from_1252(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (unsigned char c : text) {
    const char32_t u = unicode_of_1252(c);
    out += u <= 0xFF ? static_cast<char>(u) : '?';
  }
  return out;
}

std::string cp1252_from_utf8(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  std::size_t i = 0;
  while (i < text.size()) {
    const auto b = static_cast<unsigned char>(text[i]);
    const int extra = b < 0x80             ? 0
                      : (b & 0xE0) == 0xC0 ? 1
                      : (b & 0xF0) == 0xE0 ? 2
                      : (b & 0xF8) == 0xF0 ? 3
                                           : -1;
    char32_t c = extra == 0 ? b : extra == 1 ? b & 0x1F : extra == 2 ? b & 0x0F : b & 0x07;
    bool ok = extra >= 0 && i + static_cast<std::size_t>(extra) < text.size();
    for (int k = 1; ok && k <= extra; ++k) {
      const auto t = static_cast<unsigned char>(text[i + static_cast<std::size_t>(k)]);
      ok = (t & 0xC0) == 0x80;
      c = (c << 6) | (t & 0x3F);
    }
    // Overlong forms are not valid.
    constexpr char32_t kLeast[4] = {0, 0x80, 0x800, 0x10000};
    if (!ok || c < kLeast[extra] || c > 0x10FFFF) {
      out += static_cast<char>(b);
      ++i;
      continue;
    }
    out += static_cast<char>(cp1252_of_unicode(c));
    i += static_cast<std::size_t>(extra) + 1;
  }
  return out;
}

}  // namespace plat
