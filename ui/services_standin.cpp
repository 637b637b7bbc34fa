#include "ui/services_standin.h"

namespace ui {

void POPUPMENUATMOUSE(win::HWND) {}

void DELETEPANELCTRLS() {}
void MXLAYOUT(std::int32_t) {}

void reset_services_standin() {
  popupmode = 0;
  popuppending = 0;
}

}  // namespace ui
