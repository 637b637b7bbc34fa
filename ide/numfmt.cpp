#include "ide/numfmt.h"

#include <algorithm>
#include <cmath>
#include <string>

#include "platform/fixedfield.h"

namespace ide {

namespace {

std::int32_t position(std::span<const char> text, char c) {
  const auto at = std::find(text.begin(), text.end(), c);
  return at == text.end() ? 0 : static_cast<std::int32_t>(at - text.begin()) + 1;
}

}  // namespace

std::int32_t SETFMT(std::span<const char> text) {
  FieldFormat& f = fieldfmt;
  f.width = static_cast<std::int32_t>(text.size());
  f.point = position(text, '.');
  f.exponent = position(text, 'E');
  f.format.blank();
  const std::string w = std::to_string(f.width);
  if (f.width < 1 || f.width > 99) return 0;
  const std::string w2 = f.width < 10 ? " " + w : w;
  if (f.exponent > 0) {
    const std::int32_t decimals = f.exponent - f.point - 1;
    const std::int32_t expdigits = f.width - f.exponent - 1;
    if (f.point == 0 || decimals < 0 || decimals > 9 || expdigits < 1 || expdigits > 9) return 0;
    f.format.set("(1PE" + w2 + "." + std::to_string(decimals) + "E" + std::to_string(expdigits) +
                 ")");
  } else if (f.point > 0) {
    const std::int32_t decimals = f.width - f.point;
    if (decimals > 9) return 0;
    f.format.set("(F" + w2 + "." + std::to_string(decimals) + ")");
  } else {
    f.format.set("(I" + w2 + ")");
  }
  return 0;
}

std::int32_t SETFMTWRITE(std::span<char> text, float value) {
  const FieldFormat& f = fieldfmt;
  if (f.format.is_blank()) return 0;
  plat::EditDesc d;
  d.width = f.width;
  std::string out;
  if (f.exponent > 0) {
    d.letter = 'E';
    d.variant = 'S';
    d.digits = f.exponent - f.point - 1;
    d.expdigits = f.width - f.exponent - 1;
    out = plat::put_real(value, d);
  } else if (f.point > 0) {
    d.letter = 'F';
    d.digits = f.width - f.point;
    out = plat::put_real(value, d);
  } else if (std::fabs(value) < 1.0E7F) {
    d.letter = 'I';
    const double v = value;
    out = plat::put_integer(
        static_cast<std::int64_t>(v < 0 ? -std::floor(-v + 0.5) : std::floor(v + 0.5)), d);
  }
  if (!out.empty()) {
    out.resize(text.size(), ' ');
    std::copy(out.begin(), out.end(), text.begin());
  }
  return std::find(text.begin(), text.end(), '*') != text.end() ? 1 : 0;
}

}  // namespace ide
