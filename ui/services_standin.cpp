#include "ui/services_standin.h"

namespace ui {

void POPUPMENUATMOUSE(win::HWND) {}

void KILLMX(std::int32_t& answer) { answer = killmxanswer; }
void DELETEPANELCTRLS() {}
void MXLAYOUT(std::int32_t) {}
void MATRIXTABKEY(win::HWND, std::int32_t, std::int32_t) {}

void reset_services_standin() {
  popupmode = 0;
  popuppending = 0;
  killmxanswer = 0;
}

}  // namespace ui
