// The system functions the IDE calls by name, through the interpreter's
// caller of Windows functions (core/winapi_byname.h).
#pragma once

#include <cstdint>
#include <initializer_list>
#include <string_view>

#include "platform/win_window.h"

namespace ide {

// The procedure of the library ("KERNEL32", "USER32"; a second letter "-"
// shows no failure) with the arguments given; its 32-bit result.
std::int32_t byname(std::string_view procedure, std::string_view library,
                    std::initializer_list<std::int64_t> args);
std::int64_t argof(const void* address);
std::int64_t argof(win::HWND window);

// GetWindowRect and GetClientRect by name; false when they fail.
bool windowrect(win::HWND window, win::RECT& rect);
bool clientrect_of(win::HWND window, win::RECT& rect);

}  // namespace ide
