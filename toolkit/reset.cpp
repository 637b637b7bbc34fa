// The toolkit's start state, for tests.
#include "toolkit/accelerators.h"
#include "toolkit/boxes.h"
#include "toolkit/colours.h"
#include "toolkit/dialog_editor.h"
#include "toolkit/dialog_run.h"
#include "toolkit/dialog_update.h"
#include "toolkit/draw.h"
#include "toolkit/entry.h"
#include "toolkit/file_dialogs.h"
#include "toolkit/fonts.h"
#include "toolkit/loops.h"
#include "toolkit/menus.h"
#include "toolkit/mouse.h"
#include "toolkit/printing.h"
#include "toolkit/records.h"
#include "toolkit/status.h"
#include "toolkit/statusbar.h"
#include "toolkit/toolbar.h"
#include "toolkit/tools_dialog.h"
#include "toolkit/windows.h"

namespace toolkit {

void reset_toolkit() {
  reset_records();
  reset_colours();
  reset_fonts();
  reset_draw();
  reset_boxes();
  reset_menus();
  reset_accelerators();
  reset_mouse();
  reset_windows_part();
  reset_status();
  reset_status_bar();
  reset_toolbars();
  reset_entry();
  reset_dialogs();
  reset_dialog_arrays();
  reset_dialog_editor();
  reset_file_dialogs();
  reset_tools_dialog();
  reset_printing();
  current_modeless_dialog = nullptr;
  dialog_hook = nullptr;
}

}  // namespace toolkit
