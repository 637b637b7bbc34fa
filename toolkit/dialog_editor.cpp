#include "toolkit/dialog_editor.h"

namespace toolkit {
int DIALOG_EDITOR_HOOK(dialog_t*, int&, win::HWND&) { return 0; }
void reset_dialog_editor() {}
}  // namespace toolkit
