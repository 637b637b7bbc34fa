#include "ide/redefine.h"

#include "toolkit/windows.h"

namespace ide {

namespace {

void redefine(win::HWND window, const std::string_view* title, const win::HBRUSH* brush) {
  toolkit::REDEFINE_WINDOW(window, title != nullptr ? title->data() : nullptr,
                           title != nullptr ? static_cast<int>(title->size()) : 0, nullptr, nullptr,
                           nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                           nullptr, nullptr, brush, nullptr, nullptr, nullptr, nullptr, nullptr, 0,
                           nullptr, nullptr, nullptr, nullptr, nullptr, nullptr);
}

}  // namespace

void redefine_title(win::HWND window, std::string_view title) { redefine(window, &title, nullptr); }

void redefine_brush(win::HWND window, win::HBRUSH brush) { redefine(window, nullptr, &brush); }

}  // namespace ide
