#include "io/shell.h"

#include <string>

#include "core/chars.h"
#include "core/messages.h"
#include "core/runwords.h"
#include "core/stores.h"
#include "io/rwtexts.h"
#include "platform/win_shell.h"
#include "toolkit/records.h"

namespace io {

namespace {

std::string trimmed(std::string_view t) {
  while (!t.empty() && t.back() == ' ') t.remove_suffix(1);
  return std::string(t);
}

}  // namespace

void SHELLXEQ(std::string_view file, std::string_view verb, std::string_view parameters,
              std::string_view folder, std::string_view key) {
  const std::string f = trimmed(file), v = trimmed(verb), p = trimmed(parameters),
                    d = trimmed(folder);
  const auto r = static_cast<std::int32_t>(win::handle_value(
      win::ShellExecuteA(toolkit::MAIN_WINDOW(), v.c_str(), f.c_str(), p.c_str(), d.c_str(), 1)));
  if (r >= 1 && r <= 32 && r != 5) {
    core::msgkey.set(key);
    core::iostatw[0] = static_cast<std::int16_t>(r);
    rwdetail.set(std::string_view(f).substr(0, 256));
  }
  core::FPUERROR();
}

void SHELLXEQC1(std::int32_t start, std::int32_t n) {
  std::string address = "mailto:";
  for (std::int32_t i = 0; i < n; ++i)
    if (core::c1namen.valid(start + i)) address += core::c1namen(start + i);
  SHELLXEQ(address, " ", " ", " ", core::MSGKEY("shellXEQ"));
}

}  // namespace io
