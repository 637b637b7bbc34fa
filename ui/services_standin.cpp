#include "ui/services_standin.h"

#include "ui/writeback.h"

namespace ui {

void KILLMX(std::int32_t& answer) { answer = killmxanswer; }
void MXLAYOUT(std::int32_t) {}
void MATRIXTABKEY(win::HWND, std::int32_t, std::int32_t) {}

std::int32_t CHECKIFMX2(std::int32_t) { return 0; }
void SETMXFOCUS() {}
void MATRIXCONTROLENTER(win::HWND) {}
bool MATRIXSCROLLBAR(win::HWND, toolkit::dialog_t*, int) { return false; }
void MATRIXENTERKEY(win::HWND window, toolkit::dialog_t* items, int item) {
  WRITESDORFMT(window, items, item, 0);
}
void MATRIXUPDATE(win::HWND) {}

void reset_services_standin() { killmxanswer = 0; }

}  // namespace ui
