#include "ui/services_standin.h"

#include "core/symbols.h"

namespace ui {

void WRITESDORFMT() { editguard = EditGuard{}; }

void SETMEMORY(std::int32_t index, double value, std::string_view) {
  if (index > 0) core::SETZTOR8(index, value);
}

void POPUPMENUATMOUSE(win::HWND) {}

void KILLMX(std::int32_t& answer) { answer = killmxanswer; }
void DELETEPANELCTRLS() {}
void MXLAYOUT(std::int32_t) {}
void MATRIXTABKEY(win::HWND, std::int32_t, std::int32_t) {}

void reset_services_standin() {
  dlgitemcount = 0;
  editguard = EditGuard{};
  popupmode = 0;
  popuppending = 0;
  killmxanswer = 0;
}

}  // namespace ui
