// The toolbar of a window: a row of image buttons along the top of its
// client area, built from item records that the caller fills first and
// keeps while the toolbar lives (tooltips read them). Images come from
// tool bitmaps: strips of button images, added once to each toolbar that
// uses them. Every window has a toolbar record of its own.
#pragma once

#include <cstdint>

#include "platform/fixed_text.h"
#include "platform/win_commctrl.h"
#include "toolkit/records.h"

namespace toolkit {

// A strip of button images: a standard strip of the common controls (ids
// 0 and 1: 15 standard images, 4 and 5: 12 view images), a bitmap resource
// of the program (any other id) or a bitmap handle.
struct tool_bitmap_t {
  std::int32_t standard_id = -1;  // -1: none
  win::HBITMAP bitmap = absent_bitmap();
  std::int32_t images = 1;
  std::int32_t first_image = -1;  // in the toolbar; -1 until added
  std::uint32_t marker = 0;
  static win::HBITMAP absent_bitmap() { return reinterpret_cast<win::HBITMAP>(~std::uintptr_t{0}); }
};

// One button.
struct toolbar_item_t {
  plat::FixedText<256> text;     // not used by the toolbar
  plat::FixedText<128> tooltip;  // a NUL follows the trimmed tooltip once built
  std::int32_t image = 0;        // 0-based within its tool bitmap
  std::int32_t command = 0;
  std::int32_t style = 0;     // TBSTYLE_ bits (low byte used)
  std::int32_t state = 4;     // TBSTATE_ bits (low byte used): 4 enabled, 8 checked
  std::int32_t position = 0;  // 1-based place in the toolbar
  std::uint32_t marker = 0;
  tool_bitmap_t* bitmap = nullptr;  // none: the image index is taken as it is
};

// The button record handed to the control: 20 bytes.
struct toolbar_button {
  std::int32_t image = 0;
  std::int32_t command = 0;
  std::uint8_t state = 0;
  std::uint8_t style = 0;
  std::uint8_t reserved[2] = {};
  std::int32_t data = 0;
  std::int32_t string = 0;
};
static_assert(sizeof(toolbar_button) == 20);

// A window's toolbar.
struct toolbar_record {
  win::HWND window = nullptr;  // the control
  toolbar_button* buttons = nullptr;
  std::int32_t height = 0;  // the control's height after auto-sizing
  std::int32_t count = 0;
  std::int32_t stride = 0;  // bytes from one item of the array to the next
  toolbar_item_t* first = nullptr;
  char tip[129] = {};  // the tooltip handed out last
};
using toolbar_t = toolbar_record;

// The four predefined tool bitmaps, made by the first SET_TOOLBAR_ITEM:
// standard ids 1 (15 images), 5 (12), 0 (15) and 4 (12).
inline tool_bitmap_t standard_tool_bitmaps[4];

// Sets a tool bitmap: exactly one of a resource name (loaded as a bitmap),
// a standard id or a bitmap handle.
void SET_TOOL_BITMAP_ITEM(tool_bitmap_t& record, const char* resource, int resource_length,
                          const int* standard_id, const win::HBITMAP* bitmap, const int* images,
                          int* ups);
// Sets an item; the image index is 1-based. Absent values: no bitmap,
// image 1, command 0, style 0, state 4 (enabled), a blank tooltip.
void SET_TOOLBAR_ITEM(toolbar_item_t& item, tool_bitmap_t* bitmap, const int* image,
                      const int* command, const int* style, const int* state, const char* tooltip,
                      int tooltip_length, int* ups);
// Gives the window (the main window when absent) a toolbar of the items,
// replacing the one it had. A secondary window that scrolls (style 0x800 or
// 0x1000) is refused. The usable client area is laid out again unless
// `relayout` is given and 0. An image size without a button size gives
// buttons 8 wider and 7 higher. `reserved` is not used.
void SET_TOOLBAR(toolbar_item_t* items, int count, const win::HWND* window, const int* reserved,
                 const int* relayout, const int* image_width, const int* image_height,
                 const int* button_width, const int* button_height, int* ups);
// Changes an item's state (its button enabled by bit 4, checked by bit 8)
// and its tooltip, on the toolbar of the window (the main window when
// absent).
void UPDATE_TOOLBAR_ITEM(toolbar_item_t& item, const win::HWND* window, const int* state,
                         const char* tooltip, int tooltip_length, int* ups);

// Workers.
void MAKE_STANDARD_TOOL_BITMAPS();
// The window's toolbar record with a new control; null when refused.
toolbar_record* CREATE_TOOLBAR_WINDOW(win::HWND window, int count, toolbar_item_t* first,
                                      toolbar_item_t* second, const int* image_width,
                                      const int* image_height, const int* button_width,
                                      const int* button_height, int* ups);
void ADD_TOOLBAR_BITMAPS(tool_bitmap_t& bitmap, win::HWND toolbar, int* ups);
void ADD_TOOLBAR_BUTTONS(toolbar_record& toolbar, int* ups);
void SET_TOOLBAR_BUTTON(toolbar_button& button, int image, int command, int state, int style);
void UPDATE_TOOLBAR_BUTTON(win::HWND toolbar, int command, int state);

// For the window procedure and the records: the toolbar's height (0 when
// none), fitting it to the window again, the tooltip of a command (null
// when no item has it), and the end of a window's toolbar.
int TOOLBAR_HEIGHT(const window_record_t& record);
void AUTOSIZE_TOOLBAR(window_record_t& record);
const char* TOOLBAR_TOOLTIP(const window_record_t& record, int command);
void FREE_TOOLBAR(window_record_t& record);

// Forgets the predefined tool bitmaps. For tests.
void reset_toolbars();

}  // namespace toolkit
