// The dialog editor's output: the dialog that asks what to write and where,
// and the writing to the clipboard, a view window or a file.
#include <algorithm>
#include <array>
#include <cstdio>
#include <cstring>
#include <string>

#include "platform/file_replace.h"
#include "platform/win_message_box.h"
#include "toolkit/dialog_box.h"
#include "toolkit/dialog_controls.h"
#include "toolkit/dialog_editor.h"
#include "toolkit/file_dialogs.h"
#include "toolkit/helpers.h"
#include "toolkit/mouse.h"
#include "toolkit/services.h"
#include "toolkit/status.h"
#include "toolkit/windows.h"

namespace toolkit {

namespace {

enum output_item : int {
  kWhatGroup,
  kSourceRadio,
  kArrayRadio,
  kIndentGroup,
  kSpacesLabel,
  kSpacesField,
  kTabsLabel,
  kTabsField,
  kDestinationGroup,
  kClipboardRadio,
  kViewRadio,
  kFileRadio,
  kFileField,
  kBrowseButton,
  kModifiedCheck,
  kOkButton,
  kCancelButton,
  kOutputItems
};

constexpr int kMaxIndent = 20;
constexpr std::int32_t kEnable = 0x02000000;
constexpr std::int32_t kDisable = 0x01000000;

std::array<dialog_t, kOutputItems> fields;
char file_name[256];

// The file name field and "Browse" only serve the file destination.
int destination_chosen(win::HWND& dialog, dialog_t* items, int&) {
  const std::int32_t state = items[kFileRadio].integer_value != 0 ? kEnable : kDisable;
  for (int i : {kFileField, kBrowseButton}) {
    win::HWND d = dialog;
    C_UPDATE_DIALOG_ITEM(items[i], d, &state, nullptr);
  }
  return -1;
}

int browse(win::HWND& dialog, dialog_t* items, int&) {
  const char title[] = "Select a file for the dialog source";
  char filter[2][32];
  COPY_C_TO_PADDED("Dialog source (*.txt)", filter[0], 32);
  COPY_C_TO_PADDED("*.txt", filter[1], 32);
  const text_array_t list{filter[0], 32, 2, 32};
  win::HWND owner = dialog;
  if (GET_SAVE_FILE_NAME(file_name, sizeof file_name, title, sizeof title - 1, nullptr, 0, &list,
                         nullptr, &owner, nullptr, 0, "txt", 3, nullptr) != 0) {
    items[kFileField].text.set(trimmed_text(file_name, sizeof file_name));
    win::HWND d = dialog;
    C_UPDATE_DIALOG_ITEM(items[kFileField], d, nullptr, nullptr);
  }
  return -1;
}

void set_item(dialog_t& d, int type, const char* title, int id, int x, int width,
              std::uint32_t options = 0, int value = 0) {
  const std::string t = title != nullptr ? title : "";
  const int y = -4;
  SET_DIALOG_ITEM(d, &type, &options, title != nullptr ? t.c_str() : nullptr,
                  static_cast<int>(t.size()), nullptr, 0, id != 0 ? &id : nullptr, &value, &x, &y,
                  &width, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                  nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                  0, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, 0, nullptr, nullptr);
}

void number_item(dialog_t& d, int id, int value) {
  const int type = DLG_EDITBOX, x = -1, y = -4, width = 30, zero = 0, top = kMaxIndent;
  const std::uint32_t kind = kKindInteger, options = kOptionSameGroup;
  SET_DIALOG_ITEM(d, &type, &options, nullptr, 0, nullptr, 0, &id, &value, &x, &y, &width, nullptr,
                  nullptr, nullptr, nullptr, &kind, &top, &zero, nullptr, nullptr, nullptr, nullptr,
                  nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, 0, nullptr, nullptr,
                  nullptr, nullptr, nullptr, nullptr, 0, nullptr, nullptr);
}

void build_items(const std::string& name) {
  for (dialog_t& d : fields) d = dialog_t{};
  constexpr int kAuto = -4, kRight = -1, kBelow = -2;
  const std::uint32_t same = kOptionSameGroup;
  set_item(fields[kWhatGroup], DLG_GROUP, "What to generate", 0, kAuto, 200);
  fields[kWhatGroup].height = 0;
  set_item(fields[kSourceRadio], DLG_RADIOBUTTON, "Source code", 228, kAuto, 120, 0, 1);
  set_item(fields[kArrayRadio], DLG_RADIOBUTTON, "Size and Location Array", 229, kAuto, 120);
  set_item(fields[kIndentGroup], DLG_GROUP, "Indent", 0, kAuto, 200);
  fields[kIndentGroup].height = 0;
  set_item(fields[kSpacesLabel], DLG_TEXT, "Spaces", 0, kAuto, 30, same);
  number_item(fields[kSpacesField], 230, 6);
  set_item(fields[kTabsLabel], DLG_TEXT, "Tabs", 0, kBelow, 30, same);
  number_item(fields[kTabsField], 231, 0);
  set_item(fields[kDestinationGroup], DLG_GROUP, "Destination for generated output", 0, kAuto, 200);
  fields[kDestinationGroup].height = 0;
  set_item(fields[kClipboardRadio], DLG_RADIOBUTTON, "Write to the Clipboard", 232, kAuto, 120, 0,
           1);
  set_item(fields[kViewRadio], DLG_RADIOBUTTON, "Display in a View Window", 233, kAuto, 120);
  set_item(fields[kFileRadio], DLG_RADIOBUTTON, "Write to the following File:", 234, kAuto, 120);
  for (int i : {kClipboardRadio, kViewRadio, kFileRadio}) fields[i].text_proc = destination_chosen;
  set_item(fields[kFileField], DLG_EDITBOX, nullptr, 236, kAuto, 140, same | kOptionDisabled);
  fields[kFileField].text.set("new_" + name + ".txt");
  set_item(fields[kBrowseButton], DLG_PUSHBUTTON, "Browse", 235, kRight, 40,
           same | kOptionDisabled);
  fields[kBrowseButton].text_proc = browse;
  set_item(fields[kModifiedCheck], DLG_CHECKBOX, "Only write modified items", 237, kAuto, 120);
  set_item(fields[kOkButton], DLG_OK_BUTTON, nullptr, 0, kAuto, 40);
  set_item(fields[kCancelButton], DLG_CANCEL_BUTTON, nullptr, 0, kRight, 40);
}

// Writes the text over the file the safe way (a file there keeps its
// bytes until the new ones are whole); false, with the failure said to the
// developer whatever the diagnosis mode, when it could not.
bool write_file(const std::string& path, const std::string& text) {
  const plat::ReplaceResult written = plat::replace_file(path, text);
  if (written.ok()) return true;
  const std::string message =
      "The dialog source was not written to " + path + ": " + std::strerror(written.error);
  win::MessageBoxA(MAIN_WINDOW(), message.c_str(), "Fenstra Dialog Editor",
                   win::MB_OK | win::MB_ICONEXCLAMATION);
  return false;
}

// The view's file goes when its window closes.
int close_view(win::HWND& window) {
  if (const window_record_t* r = FIND_WINDOW_RECORD(window); r != nullptr && r->scroll.file_name)
    std::remove(r->scroll.file_name);
  return -1;
}

void show_in_view_window(const std::string& name, const std::string& text) {
  char made[260];
  int status = 0;
  GET_TEMP_FILE_NAME(made, sizeof made, "dlg", 3, &status);
  if (status != 0) return;
  const std::string path = trimmed_text(made, sizeof made);
  if (!write_file(path, text)) {
    DELETE_FILE(path.c_str(), static_cast<int>(path.size()), &status);
    return;
  }
  const std::string title = "Source for: " + name;
  char class_name[32];
  COPY_C_TO_PADDED("", class_name, sizeof class_name);
  const int style = kStyleFile;
  const win::HWND window = CREATE_SECONDARY_WINDOW(
      title.c_str(), static_cast<int>(title.size()), nullptr, 0, nullptr, 0, class_name,
      sizeof class_name, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &style,
      path.c_str(), static_cast<int>(path.size()), nullptr, nullptr, nullptr, nullptr, nullptr,
      nullptr, nullptr, nullptr, close_view, nullptr, nullptr, nullptr, nullptr);
  if (window != nullptr) CAPTURE_MOUSE_EVENTS(window, nullptr, kLeftSelectText, nullptr, nullptr);
}

}  // namespace

void GENERATE_DIALOG_OUTPUT() {
  const std::string name = DIALOG_EDITOR_ARRAY_NAME();
  build_items(name);
  const int modal = 0;
  const char title[] = "Generate Dialog Editor Output";
  if (DIALOG_BOX(fields.data(), kOutputItems, title, sizeof title - 1, nullptr, nullptr, nullptr,
                 nullptr, nullptr, nullptr, nullptr, &modal, nullptr, nullptr, nullptr, nullptr,
                 nullptr, nullptr) != win::IDOK)
    return;
  editor_output_t how;
  how.source = fields[kSourceRadio].integer_value != 0;
  how.only_modified = fields[kModifiedCheck].integer_value != 0;
  const int tabs = std::clamp(fields[kTabsField].integer_value, 0, kMaxIndent);
  const int spaces = std::clamp(fields[kSpacesField].integer_value, 0, kMaxIndent - tabs);
  how.indent = std::string(static_cast<std::size_t>(tabs), '\t') +
               std::string(static_cast<std::size_t>(spaces), ' ');
  const std::string text = DIALOG_EDITOR_LINES(how);
  if (fields[kClipboardRadio].integer_value != 0)
    COPY_TO_CLIPBOARD(text.data(), static_cast<int>(text.size()), nullptr, nullptr, nullptr, 0,
                      nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr);
  else if (fields[kViewRadio].integer_value != 0)
    show_in_view_window(name, text);
  else
    write_file(std::string(fields[kFileField].text.trimmed()), text);
}

}  // namespace toolkit
