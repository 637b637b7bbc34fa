// The two changes the IDE makes to an existing window through the
// toolkit: its caption and its background brush.
#pragma once

#include <string_view>

#include "platform/win_gdi.h"
#include "platform/win_window.h"

namespace ide {

void redefine_title(win::HWND window, std::string_view title);
void redefine_brush(win::HWND window, win::HBRUSH brush);

}  // namespace ide
