#include "ide/byname.h"

#include <algorithm>

#include "core/rawmem.h"
#include "core/winapi_byname.h"

namespace ide {

std::int32_t byname(std::string_view procedure, std::string_view library,
                    std::initializer_list<std::int64_t> args) {
  core::WinApiArgs a{};
  std::copy_n(args.begin(), std::min<std::size_t>(args.size(), a.size()), a.begin());
  return core::CALLWINAPI(procedure, a, library);
}

std::int64_t argof(const void* address) {
  return static_cast<std::int64_t>(core::rawaddress(address));
}

std::int64_t argof(win::HWND window) { return win::handle_value(window); }

bool windowrect(win::HWND window, win::RECT& rect) {
  return byname("GetWindowRect", "U-", {argof(window), argof(&rect)}) != 0;
}

bool clientrect_of(win::HWND window, win::RECT& rect) {
  return byname("GetClientRect", "U-", {argof(window), argof(&rect)}) != 0;
}

}  // namespace ide
