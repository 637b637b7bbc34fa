#include "toolkit/tools_dialog.h"

#include <array>
#include <cstring>

#include "toolkit/dialog_box.h"
#include "toolkit/dialog_editor.h"
#include "toolkit/records.h"

namespace toolkit {

namespace {

std::array<dialog_t, 2> tools_items;
bool tools_items_set = false;

void set_tools_items() {
  const int check = DLG_CHECKBOX, width = 100, close = DLG_OK_BUTTON;
  const char label[] = "Enable Dialog Editor";
  SET_DIALOG_ITEM(tools_items[0], &check, nullptr, label, sizeof label - 1, nullptr, 0, nullptr,
                  nullptr, nullptr, nullptr, &width, nullptr, nullptr, TOOLS_EDITOR_CHECK_PROC,
                  nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                  nullptr, nullptr, nullptr, nullptr, nullptr, 0, nullptr, nullptr, nullptr,
                  nullptr, nullptr, nullptr, 0, nullptr, nullptr);
  SET_DIALOG_ITEM(tools_items[1], &close, nullptr, "Close", 5, nullptr, 0, nullptr, nullptr,
                  nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                  nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                  nullptr, nullptr, 0, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, 0,
                  nullptr, nullptr);
  tools_items_set = true;
}

}  // namespace

int FENTOOLDIALOG() {
  if (!tools_items_set) set_tools_items();
  const win::HWND owner = MAIN_WINDOW();
  const int modeless = 1;
  DIALOG_BOX(tools_items.data(), static_cast<int>(tools_items.size()), kToolsTitle,
             static_cast<int>(std::strlen(kToolsTitle)), &owner, nullptr, nullptr, nullptr, nullptr,
             nullptr, nullptr, &modeless, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr);
  return 0;
}

int TOOLS_EDITOR_CHECK_PROC(win::HWND&, dialog_t* items, int& item_number) {
  dialog_editor_enabled = items[item_number - 1].integer_value != 0;
  return 0;
}

int DEFAULT_COMMAND_HOOK(int) { return 0; }

void reset_tools_dialog() {
  for (dialog_t& d : tools_items) d = dialog_t{};
  tools_items_set = false;
}

}  // namespace toolkit
