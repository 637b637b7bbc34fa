#include "core/winapi_byname.h"

#include <algorithm>
#include <charconv>
#include <string>

#include "platform/win_message_box.h"

namespace core {

namespace {

std::string decimal(long long v) {
  char buf[24];
  const auto r = std::to_chars(buf, buf + sizeof buf, v);
  return std::string(buf, r.ptr);
}

// Value of the number after "=" in the library text (0 when none).
long long number_after(std::string_view s) {
  std::size_t i = 0;
  while (i < s.size() && s[i] == ' ') ++i;
  long long v = 0;
  std::from_chars(s.data() + i, s.data() + s.size(), v);
  return v;
}

}  // namespace

std::int32_t CALLWINAPI(std::string_view procedure, const WinApiArgs& args,
                        std::string_view library) {
  // Slot: a blank followed by the library's initial; none selects slot 1.
  std::size_t slot = 0;
  if (!library.empty()) {
    const char initial[2] = {' ', library[0]};
    const std::size_t at = winliblist.find(std::string_view(initial, 2));
    if (at != std::string_view::npos) slot = (at + 2) / 12;
  }
  if (winlibhandles[slot] == 0) {
    std::string_view name = winliblist.substr(slot * 12 + 2, 10);
    while (!name.empty() && name.back() == ' ') name.remove_suffix(1);
    winlibhandles[slot] = winapi_load(std::string(name) + ".DLL");
  }

  std::string_view proc = procedure;
  while (!proc.empty() && proc.back() == ' ') proc.remove_suffix(1);
  const auto fn = winlibhandles[slot] != 0 ? winapi_proc(winlibhandles[slot], proc) : nullptr;
  std::int64_t result = 0;
  bool failed = false;
  std::uint32_t code = 0;
  const char rule = library.size() > 1 ? library[1] : ' ';
  if (fn == nullptr) {
    failed = true;
    code = winlibhandles[slot] != 0 ? winerr_proc_not_found : winerr_mod_not_found;
  } else {
    winapi_lasterror = 0;
    result = fn(args);
    if (library.find("unload") != std::string_view::npos) {
      // A later call loads the library again.
      winapi_free(winlibhandles[slot]);
      winlibhandles[slot] = 0;
    }
    const auto r32 = static_cast<std::int32_t>(result);
    switch (rule) {
      case '-':
        break;
      case '0':
        failed = r32 != 0;
        code = static_cast<std::uint32_t>(r32);
        break;
      case '=':
        failed = r32 == number_after(library.substr(2));
        if (failed) result = 0;
        code = winapi_lasterror;
        break;
      default:
        failed = r32 == 0;
        code = winapi_lasterror;
    }
  }

  if (failed) {
    std::string text = std::string(procedure) + " " + decimal(code);
    text += " ";
    text += winapi_message(code);
    if (text.size() > 256) text.resize(256);
    win::MessageBoxA(nullptr, text.c_str(), "APIs error", win::MB_OK);
  }
  return static_cast<std::int32_t>(result);
}

void CALLWINAPISUB(std::string_view procedure, const WinApiArgs& args, std::string_view library) {
  CALLWINAPI(procedure, args, library);
}

}  // namespace core
