#include "io/dll_common.h"

#include <array>
#include <cmath>
#include <string>

#include "core/messages.h"
#include "core/runwords.h"
#include "core/stores.h"
#include "core/symbols.h"

namespace io::dllcommon {

std::string symboltext(std::int32_t sym) {
  std::int32_t first = 0, last = 0;
  if (core::ISCHAR(sym, first, last) <= 0 || first < 1 || last < first ||
      !core::c1namen.valid(last))
    return {};
  std::string t(&core::c1namen(first), static_cast<std::size_t>(last - first + 1));
  while (!t.empty() && t.back() == ' ') t.pop_back();
  return t;
}

bool issymbol(std::int32_t v) {
  return v >= 1 && v <= core::nsym && core::name.valid(v) && (core::name(v).type & 0x8) == 0;
}

bool numericscalar(std::int32_t v) { return issymbol(v) && (core::name(v).type & 0xD9) == 0x80; }

std::uint64_t handleof(double v) {
  if (!(v >= 0.0) || v >= 18446744073709551616.0 || v != std::floor(v)) return 0;
  return static_cast<std::uint64_t>(v);
}

void show(std::string_view detail) {
  if (core::nomsg != 0) return;
  std::array<std::int16_t, 4> halves = core::iostatw;
  halves[0] = static_cast<std::int16_t>(core::xeqline);
  std::string text(detail);
  core::HelpValues hv;
  hv.halves = halves;
  hv.text = {text.data(), text.size()};
  const std::string key(core::msgkey.trimmed());
  int answer = 0;
  core::HELP(key, answer, hv);
}

void fail(std::string_view key, std::string_view detail) {
  core::msgkey.set(key);
  show(detail);
  core::xeqstop = core::stops::error;
}

}  // namespace io::dllcommon
