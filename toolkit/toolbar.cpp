#include "toolkit/toolbar.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <string>

#include "platform/win_resources.h"
#include "toolkit/boxes.h"
#include "toolkit/entry.h"
#include "toolkit/helpers.h"
#include "toolkit/memory.h"
#include "toolkit/scrolling.h"
#include "toolkit/status.h"

namespace toolkit {

namespace {

constexpr int kToolbarId = 1333;
constexpr win::DWORD kToolbarStyle = 0x50000101;
bool standard_bitmaps_made = false;

void set_tooltip(toolbar_item_t& item, const char* text, int length) {
  item.tooltip.set(text != nullptr
                       ? std::string_view(text, static_cast<std::size_t>(std::max(0, length)))
                       : std::string_view());
}

// A NUL after the trimmed text, in place (in a full field the last
// character gives way).
template <std::size_t N>
void terminate(plat::FixedText<N>& text) {
  const std::size_t n = std::min(text.trimmed().size(), N - 1);
  text[n] = '\0';
}

toolbar_item_t& item_at(toolbar_record& t, int i) {
  return *reinterpret_cast<toolbar_item_t*>(reinterpret_cast<char*>(t.first) +
                                            static_cast<std::ptrdiff_t>(i) * t.stride);
}

void close_toolbar(toolbar_record& t) {
  if (t.window != nullptr) win::DestroyWindow(t.window);
  t.window = nullptr;
  FREE_MEMORY(t.buttons);
  t.buttons = nullptr;
  t.height = 0;
}

win::LPARAM size_word(int width, int height) {
  return static_cast<win::LPARAM>((static_cast<unsigned>(height) & 0xFFFF) << 16 |
                                  (static_cast<unsigned>(width) & 0xFFFF));
}

}  // namespace

void MAKE_STANDARD_TOOL_BITMAPS() {
  if (standard_bitmaps_made) return;
  standard_bitmaps_made = true;
  const int ids[4] = {1, 5, 0, 4};
  for (int i = 0; i < 4; ++i) {
    const int images = ids[i] == 1 || ids[i] == 0 ? 15 : 12;
    SET_TOOL_BITMAP_ITEM(standard_tool_bitmaps[i], nullptr, 0, &ids[i], nullptr, &images, nullptr);
  }
}

void SET_TOOL_BITMAP_ITEM(tool_bitmap_t& record, const char* resource, int resource_length,
                          const int* standard_id, const win::HBITMAP* bitmap, const int* images,
                          int* ups) {
  CLEAR_STATUS(ups);
  INIT_TOOLKIT();
  record.marker = kMarker;
  record.first_image = -1;
  record.bitmap = tool_bitmap_t::absent_bitmap();
  const bool named = resource != nullptr && TRIMMED_LENGTH(resource, resource_length) > 0;
  if (named) {
    const std::string name = trimmed_text(resource, resource_length);
    const win::HBITMAP loaded = win::LoadBitmapA(GET_MODULE_HANDLE(), name.c_str());
    if (loaded != nullptr)
      record.bitmap = loaded;
    else
      SET_STATUS_FROM_SYSTEM(ups, "Unable to load the bitmap " + name);
  }
  record.standard_id = standard_id != nullptr ? *standard_id : -1;
  if (bitmap != nullptr) record.bitmap = *bitmap;
  if (int(named) + int(standard_id != nullptr) + int(bitmap != nullptr) != 1)
    REPORT_ERROR(ups,
                 "You must specify exactly one of id, bitmap, or resource to SET_TOOL_BITMAP_ITEM");
  record.images = images != nullptr ? *images : 1;
}

void SET_TOOLBAR_ITEM(toolbar_item_t& item, tool_bitmap_t* bitmap, const int* image,
                      const int* command, const int* style, const int* state, const char* tooltip,
                      int tooltip_length, int* ups) {
  CLEAR_STATUS(ups);
  INIT_TOOLKIT();
  item.marker = kMarker;
  MAKE_STANDARD_TOOL_BITMAPS();
  item.bitmap = bitmap;
  item.image = image != nullptr ? *image - 1 : 0;
  item.command = command != nullptr ? *command : 0;
  item.style = style != nullptr ? *style : 0;
  item.state = state != nullptr ? *state : win::TBSTATE_ENABLED;
  set_tooltip(item, tooltip, tooltip_length);
}

void SET_TOOLBAR(toolbar_item_t* items, int count, const win::HWND* window, const int*,
                 const int* relayout, const int* image_width, const int* image_height,
                 const int* button_width, const int* button_height, int* ups) {
  CLEAR_STATUS(ups);
  if (items == nullptr || count < 1) return;
  for (int i = 0; i < count; ++i)
    if (items[i].bitmap != nullptr) items[i].bitmap->first_image = -1;
  const win::HWND owner = window != nullptr ? *window : MAIN_WINDOW();
  toolbar_record* t =
      CREATE_TOOLBAR_WINDOW(owner, count, items, count > 1 ? &items[1] : nullptr, image_width,
                            image_height, button_width, button_height, ups);
  if (t == nullptr || t->window == nullptr) return;
  for (int i = 0; i < count; ++i) {
    toolbar_item_t& item = items[i];
    terminate(item.text);
    terminate(item.tooltip);
    if (item.bitmap != nullptr && item.bitmap->first_image == -1)
      ADD_TOOLBAR_BITMAPS(*item.bitmap, t->window, ups);
    const int base = item.bitmap != nullptr ? std::max(0, item.bitmap->first_image) : 0;
    item.position = i + 1;
    SET_TOOLBAR_BUTTON(t->buttons[i], item.image + base, item.command, item.state, item.style);
  }
  ADD_TOOLBAR_BUTTONS(*t, ups);
  if (window_record_t* r = FIND_WINDOW_RECORD(owner)) {
    UPDATE_CLIENT_RECT(*r);
    LAYOUT_BOXES(owner);
  }
  if (relayout == nullptr || *relayout != 0) UPDATE_WINDOW(owner, nullptr, nullptr, nullptr);
}

toolbar_record* CREATE_TOOLBAR_WINDOW(win::HWND window, int count, toolbar_item_t* first,
                                      toolbar_item_t* second, const int* image_width,
                                      const int* image_height, const int* button_width,
                                      const int* button_height, int* ups) {
  window_record_t* r = FIND_WINDOW_RECORD(window);
  if (r == nullptr) {
    SET_STATUS(ups, "Invalid window parameter in SET_TOOLBAR", kToolkitError);
    return nullptr;
  }
  if (window != MAIN_WINDOW() && (r->style & (kStyleScrollFile | kStylePixelScroll)) != 0) {
    SET_STATUS_FROM_SYSTEM(ups, "Toolbar not allowed on a secondary window with scrolling");
    return nullptr;
  }
  if (r->toolbar == nullptr) {
    void* memory = ALLOCATE_MEMORY(sizeof(toolbar_record), ups);
    if (memory == nullptr) return nullptr;
    r->toolbar = new (memory) toolbar_record();
  }
  toolbar_record& t = *r->toolbar;
  close_toolbar(t);
  t.count = count;
  t.first = first;
  t.stride =
      second != nullptr
          ? static_cast<int>(reinterpret_cast<char*>(second) - reinterpret_cast<char*>(first))
          : static_cast<int>(sizeof(toolbar_item_t));
  t.window =
      C_CREATE_WINDOW_EX(0, win::TOOLBARCLASSNAMEA, 15, "", 0, kToolbarStyle, 0, 0, 0, 0, window,
                         reinterpret_cast<win::HMENU>(kToolbarId), GET_MODULE_HANDLE(), nullptr);
  if (t.window == nullptr) {
    SET_STATUS_FROM_SYSTEM(ups, "Cannot create the ToolBar Window");
    UPDATE_CLIENT_RECT(*r);
    return &t;
  }
  win::SendMessageA(t.window, win::TB_BUTTONSTRUCTSIZE, sizeof(toolbar_button), 0);
  if (image_width != nullptr && image_height != nullptr) {
    win::SendMessageA(t.window, win::TB_SETBITMAPSIZE, 0, size_word(*image_width, *image_height));
    const bool button = button_width != nullptr && button_height != nullptr;
    win::SendMessageA(t.window, win::TB_SETBUTTONSIZE, 0,
                      size_word(button ? *button_width : *image_width + 8,
                                button ? *button_height : *image_height + 7));
  } else if (button_width != nullptr && button_height != nullptr) {
    win::SendMessageA(t.window, win::TB_SETBUTTONSIZE, 0, size_word(*button_width, *button_height));
  }
  void* buttons = ALLOCATE_MEMORY(sizeof(toolbar_button) * static_cast<std::size_t>(count), ups);
  if (buttons == nullptr) return &t;
  std::memset(buttons, 0, sizeof(toolbar_button) * static_cast<std::size_t>(count));
  t.buttons = static_cast<toolbar_button*>(buttons);
  return &t;
}

void ADD_TOOLBAR_BITMAPS(tool_bitmap_t& bitmap, win::HWND toolbar, int* ups) {
  if (bitmap.marker != kMarker) {
    SET_STATUS(ups, "Uninitialized tool_bitmap_t item passed to SET_TOOLBAR", kToolkitError);
    return;
  }
  win::TBADDBITMAP add;
  switch (bitmap.standard_id) {
    case -1:
      if (bitmap.bitmap == tool_bitmap_t::absent_bitmap()) {
        SET_STATUS(ups, "No bitmap specified for SET_TOOL_BITMAP_ITEM", kToolkitError);
        return;
      }
      add.hInst = nullptr;
      add.nID = reinterpret_cast<win::UINT_PTR>(bitmap.bitmap);
      break;
    case 0:
    case 1:
    case 4:
    case 5:
      bitmap.images = bitmap.standard_id <= 1 ? 15 : 12;
      add.hInst = win::HINST_COMMCTRL;
      add.nID = static_cast<win::UINT_PTR>(bitmap.standard_id);
      break;
    default:
      add.hInst = GET_MODULE_HANDLE();
      add.nID = static_cast<win::UINT_PTR>(bitmap.standard_id);
      break;
  }
  const auto first = static_cast<int>(win::SendMessageA(toolbar, win::TB_ADDBITMAP,
                                                        static_cast<win::WPARAM>(bitmap.images),
                                                        reinterpret_cast<win::LPARAM>(&add)));
  bitmap.first_image = first;
  if (first == -1) SET_STATUS_FROM_SYSTEM(ups, "Unable to add bitmap to the toolbar");
}

void SET_TOOLBAR_BUTTON(toolbar_button& button, int image, int command, int state, int style) {
  button = toolbar_button{};
  button.image = image;
  button.command = command;
  button.state = static_cast<std::uint8_t>(state & 0xFF);
  button.style = static_cast<std::uint8_t>(style & 0xFF);
}

void ADD_TOOLBAR_BUTTONS(toolbar_record& toolbar, int* ups) {
  if (toolbar.buttons == nullptr) return;
  if (win::SendMessageA(toolbar.window, win::TB_ADDBUTTONSA,
                        static_cast<win::WPARAM>(toolbar.count),
                        reinterpret_cast<win::LPARAM>(toolbar.buttons)) == 0)
    SET_STATUS_FROM_SYSTEM(ups, "Unable to add buttons to the toolbar");
  win::SendMessageA(toolbar.window, win::TB_AUTOSIZE, 0, 0);
  win::RECT rc{};
  win::GetWindowRect(toolbar.window, &rc);
  toolbar.height = rc.bottom - rc.top;
}

void UPDATE_TOOLBAR_BUTTON(win::HWND toolbar, int command, int state) {
  win::SendMessageA(toolbar, win::TB_ENABLEBUTTON, static_cast<win::WPARAM>(command),
                    (state & win::TBSTATE_ENABLED) != 0 ? 1 : 0);
  win::SendMessageA(toolbar, win::TB_CHECKBUTTON, static_cast<win::WPARAM>(command),
                    (state & 8) != 0 ? 1 : 0);
}

void UPDATE_TOOLBAR_ITEM(toolbar_item_t& item, const win::HWND* window, const int* state,
                         const char* tooltip, int tooltip_length, int* ups) {
  CLEAR_STATUS(ups);
  if (item.marker != kMarker)
    REPORT_ERROR(ups,
                 "Toolbar item passed to UPDATE_TOOLBAR_ITEM was never initialized by "
                 "SET_TOOLBAR_ITEM");
  if (state != nullptr) {
    const window_record_t* r = FIND_WINDOW_RECORD(window != nullptr ? *window : MAIN_WINDOW());
    if (r != nullptr && r->toolbar != nullptr && r->toolbar->window != nullptr)
      UPDATE_TOOLBAR_BUTTON(r->toolbar->window, item.command, *state);
    item.state = *state;
  }
  if (tooltip != nullptr) set_tooltip(item, tooltip, tooltip_length);
}

int TOOLBAR_HEIGHT(const window_record_t& record) {
  return record.toolbar != nullptr && record.toolbar->window != nullptr ? record.toolbar->height
                                                                        : 0;
}

void AUTOSIZE_TOOLBAR(window_record_t& record) {
  if (record.toolbar == nullptr || record.toolbar->window == nullptr) return;
  win::SendMessageA(record.toolbar->window, win::TB_AUTOSIZE, 0, 0);
  win::RECT rc{};
  win::GetWindowRect(record.toolbar->window, &rc);
  record.toolbar->height = rc.bottom - rc.top;
}

const char* TOOLBAR_TOOLTIP(const window_record_t& record, int command) {
  toolbar_record* t = record.toolbar;
  if (t == nullptr || t->first == nullptr) return nullptr;
  for (int i = 0; i < t->count; ++i) {
    const toolbar_item_t& item = item_at(*t, i);
    if (item.command != command) continue;
    // Up to a NUL, without trailing blanks (a tooltip changed later is
    // blank-padded again).
    const std::string_view whole = item.tooltip.view();
    std::string_view tip = whole.substr(0, whole.find('\0'));
    while (!tip.empty() && tip.back() == ' ') tip.remove_suffix(1);
    std::memcpy(t->tip, tip.data(), tip.size());
    t->tip[tip.size()] = '\0';
    return t->tip;
  }
  return nullptr;
}

void FREE_TOOLBAR(window_record_t& record) {
  if (record.toolbar == nullptr) return;
  close_toolbar(*record.toolbar);
  record.toolbar->~toolbar_record();
  FREE_MEMORY(record.toolbar);
  record.toolbar = nullptr;
}

void reset_toolbars() {
  standard_bitmaps_made = false;
  for (tool_bitmap_t& b : standard_tool_bitmaps) b = tool_bitmap_t{};
}

}  // namespace toolkit
