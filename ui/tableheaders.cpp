#include "ui/tableheaders.h"

namespace ui {

int MXHEADERSPROC(win::HWND&, toolkit::dialog_t*, int&) { return -1; }
int MXCLUSTERSPROC(win::HWND&, toolkit::dialog_t*, int&) { return -1; }

}  // namespace ui
