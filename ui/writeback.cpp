#include "ui/writeback.h"

#include "ui/dialogwords.h"

namespace ui {

void WRITESDORFMT(win::HWND, toolkit::dialog_t*, std::int32_t, std::int32_t) {
  editguard = EditGuard{};
}

void WRITESDORFMT() { editguard = EditGuard{}; }

}  // namespace ui
