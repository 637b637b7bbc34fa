#include "toolkit/records.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <string>

#include "toolkit/boxes.h"
#include "toolkit/dialog_run.h"
#include "toolkit/colours.h"
#include "toolkit/entry.h"
#include "toolkit/helpers.h"
#include "toolkit/memory.h"
#include "toolkit/scroll_files.h"
#include "toolkit/scrolling.h"
#include "toolkit/standins.h"
#include "toolkit/status.h"
#include "toolkit/statusbar.h"
#include "toolkit/toolbar.h"

namespace toolkit {

namespace {

constexpr int kRecordsPerBlock = 16;
constexpr int kMainTitleLength = 128;
constexpr std::size_t kGdiTableStep = 20;

window_record_t* window_list = nullptr;
std::vector<window_record_t*> record_blocks;
window_record_t* main_record = nullptr;
window_record_t empty_record;
char main_window_title[kMainTitleLength + 1] = {};

}  // namespace

win::COLORREF brush_colour(win::HBRUSH brush) {
  win::LOGBRUSH lb{};
  win::GetObjectA(brush, sizeof lb, &lb);
  return lb.lbColor;
}

bool check_brush(win::HBRUSH brush, std::string_view message, int* ups) {
  if (diagnosis_mode == 0 || facts.win32s || win::GetObjectType(brush) == win::OBJ_BRUSH)
    return true;
  SET_STATUS_FROM_SYSTEM(ups, message);
  return false;
}

void copy_scroll_file_name(scroll_data_t& scroll, const char* name, int length) {
  auto* copy = static_cast<char*>(ALLOCATE_MEMORY(static_cast<std::size_t>(length) + 1, nullptr));
  std::memcpy(copy, name, static_cast<std::size_t>(length));
  copy[length] = '\0';
  scroll.file_name = copy;
}

window_record_t* MAIN_WINDOW_RECORD() {
  return main_record != nullptr ? main_record : &empty_record;
}

win::HWND MAIN_WINDOW() { return main_record != nullptr ? main_record->window : nullptr; }

const char* main_title() { return main_window_title; }

window_record_t* GET_FREE_WINDOW_RECORD(win::HWND window, int* ups) {
  CLEAR_STATUS(ups);
  window_record_t* free_record = FIND_WINDOW_RECORD(nullptr);
  if (free_record == nullptr) {
    void* block = ALLOCATE_MEMORY(sizeof(window_record_t) * kRecordsPerBlock, ups);
    if (block == nullptr) return nullptr;
    record_blocks.push_back(static_cast<window_record_t*>(block));
    auto* records = static_cast<window_record_t*>(block);
    for (int i = 0; i < kRecordsPerBlock; ++i) new (&records[i]) window_record_t();
    for (int i = 0; i + 1 < kRecordsPerBlock; ++i) records[i].next = &records[i + 1];
    records[kRecordsPerBlock - 1].next = window_list;
    window_list = records;
    free_record = records;
  }
  free_record->window = window;
  return free_record;
}

window_record_t* SETUP_WINDOW_RECORD(win::HWND window, paint_callback paint, const int*,
                                     const int* style, const char* scroll_file,
                                     int scroll_file_length, const win::COLORREF* text_colour,
                                     const win::HFONT* font, const win::HBRUSH* brush,
                                     const char* title, int title_length, close_callback close,
                                     scroll_callback scroll, changed_callback changed,
                                     const win::HBITMAP* bitmap, const int* main_flag, int* ups) {
  window_record_t* r = GET_FREE_WINDOW_RECORD(window, ups);
  if (r == nullptr) return nullptr;
  r->paint = paint;
  r->close = close;
  r->style = style != nullptr ? *style : (paint != nullptr ? kStylePaint : 0);
  if (scroll_file != nullptr && scroll_file_length >= 1) {
    copy_scroll_file_name(r->scroll, scroll_file, scroll_file_length);
    if ((r->style & kStyleScrollFile) != 0) OPEN_SCROLL_FILE(ups, r->scroll);
  }
  r->background = 0xFFFFFF;
  if (brush != nullptr &&
      check_brush(*brush, "Brush parameter to create_window... is invalid", ups))
    r->background = brush_colour(*brush);
  r->text_colour = text_colour != nullptr ? *text_colour : win::GetSysColor(win::COLOR_WINDOWTEXT);
  if (bitmap == nullptr) {
    r->font = font != nullptr ? *font : DEFAULT_FONT();
    bool variable = false;
    MEASURE_FONT(r->font, r->char_width, r->line_height, variable);
    if (variable) r->scroll.flags |= kScrollVariablePitch;
  } else {
    ATTACH_BITMAP(*r, *bitmap);
  }
  if (title != nullptr) {
    const bool main = main_flag != nullptr && *main_flag != 0;
    if (main) ATTACH_STATUS_BAR(*r);
    if (main || main_record == nullptr) {
      main_record = r;
      const int n = std::min(TRIMMED_LENGTH(title, title_length), kMainTitleLength);
      std::memcpy(main_window_title, title, static_cast<std::size_t>(n));
      main_window_title[n] = '\0';
    }
  }
  if (scroll != nullptr) r->scroll_proc = scroll;
  if (changed != nullptr) r->changed = changed;
  UPDATE_CLIENT_RECT(*r);
  return r;
}

window_record_t* FIND_WINDOW_RECORD(win::HWND window) {
  for (window_record_t* r = window_list; r != nullptr; r = r->next)
    if (r->window == window) return r;
  return nullptr;
}

window_record_t* FIRST_WINDOW_RECORD() { return NEXT_WINDOW_RECORD(nullptr); }

window_record_t* NEXT_WINDOW_RECORD(window_record_t* record) {
  for (window_record_t* r = record != nullptr ? record->next : window_list; r != nullptr;
       r = r->next)
    if (r->window != nullptr) return r;
  return nullptr;
}

namespace {

// Destroys the boxes of a record and releases what hangs on it.
void release(window_record_t* r) {
  while (r->first_box != nullptr) {
    box_record_t* box = r->first_box;
    C_DESTROY_BOX(box, nullptr);
  }
  if (r->modeless_dialog != 0) REMOVE_MODELESS_DIALOG(r->window);
  if (r->bitmap != nullptr && (r->flags & kToolkitBitmap) != 0) DELETE_OBJECT(r->bitmap, nullptr);
  FREE_MEMORY(r->autopaint.base);
  r->autopaint = autopaint_buffer{};
  FREE_SCROLL_FILE(nullptr, r->scroll);
  FREE_TOOLBAR(*r);
  DETACH_STATUS_BAR(*r);
}

void make_free(window_record_t* r) {
  window_record_t* next = r->next;
  *r = window_record_t{};
  r->next = next;
}

}  // namespace

void FREE_WINDOW_RECORD(win::HWND window) {
  window_record_t* r = window != nullptr ? FIND_WINDOW_RECORD(window) : nullptr;
  if (r == nullptr) return;
  release(r);
  // The main window's record stays whole until the window is destroyed.
  if (r != main_record) make_free(r);
}

void RELEASE_MAIN_RECORD() {
  if (main_record == nullptr) return;
  release(main_record);
  make_free(main_record);
  main_record = nullptr;
  main_window_title[0] = '\0';
}

void MAKE_MAIN_RECORD(window_record_t* record) { main_record = record; }

void SET_MAIN_TITLE(std::string_view title) {
  const std::size_t n = std::min<std::size_t>(title.size(), kMainTitleLength - 1);
  std::memcpy(main_window_title, title.data(), n);
  main_window_title[n] = '\0';
}

void APPEND_BOX(box_record_t*& head, box_record_t* box) {
  box->next = nullptr;
  box_record_t** link = &head;
  while (*link != nullptr) link = &(*link)->next;
  *link = box;
}

int UNLINK_BOX(box_record_t*& head, box_record_t* box, int* ups) {
  for (box_record_t** link = &head; *link != nullptr; link = &(*link)->next) {
    if (*link == box) {
      *link = box->next;
      box->next = nullptr;
      return 1;
    }
  }
  SET_STATUS(ups, "Trying to destroy a box that doesn't exist!", kToolkitError);
  return 0;
}

void take_bitmap_ranges(std::int32_t& style, scroll_data_t& scroll, win::HBITMAP bitmap) {
  if (style == 0) style = kStyleBitmap;
  win::BITMAP bm{};
  win::GetObjectA(bitmap, sizeof bm, &bm);
  scroll.lines = bm.bmHeight;
  scroll.longest_line = bm.bmWidth;
  scroll.flags |= kScrollChanged;
  scroll.flags &= ~kScrollVariablePitch;
}

void ATTACH_BITMAP(window_record_t& record, win::HBITMAP bitmap) {
  record.bitmap = bitmap;
  take_bitmap_ranges(record.style, record.scroll, bitmap);
  SHOW_WINDOW_SCROLL_BARS(record);
  MAKE_BITMAP_PALETTE(record);
}

void UPDATE_CLIENT_RECT(window_record_t& record) {
  win::RECT c{};
  win::GetClientRect(record.window, &c);
  c.top += TOOLBAR_HEIGHT(record);
  c.bottom -= STATUS_BAR_HEIGHT(record);
  record.client = c;
}

void MEASURE_FONT(win::HFONT font, std::int32_t& char_width, std::int32_t& line_height,
                  bool& variable_pitch) {
  const win::HDC dc = win::GetDC(nullptr);
  const win::HGDIOBJ old = win::SelectObject(dc, font);
  win::TEXTMETRICA tm{};
  win::GetTextMetricsA(dc, &tm);
  win::SelectObject(dc, old);
  win::ReleaseDC(nullptr, dc);
  char_width = tm.tmAveCharWidth;
  line_height = tm.tmHeight + tm.tmExternalLeading;
  variable_pitch = (tm.tmPitchAndFamily & win::TMPF_FIXED_PITCH) != 0;
}

win::HFONT DEFAULT_FONT() {
  INIT_DISPLAY_METRICS();
  const win::HFONT font = win::CreateFontA(display_metrics.system_font_height, 0, 0, 0, 400, 0, 0,
                                           0, 1, 0, 0, 0, 0x22, "Courier New");
  if (gdi_object_entry* e = ADD_GDI_OBJECT(font, nullptr)) e->kind = win::OBJ_FONT;
  return font;
}

gdi_object_entry* ADD_GDI_OBJECT(win::GdiObjectRef handle, win::HWND owner) {
  gdi_object_entry* e = FIND_GDI_OBJECT(nullptr);
  if (e == nullptr) {
    const std::size_t old = gdi_object_table.size();
    gdi_object_table.resize(old + kGdiTableStep);
    e = &gdi_object_table[old];
  }
  e->handle = win::handle_from<win::HGDIOBJ>(handle.value);
  e->owner = owner;
  return e;
}

void CLEAR_GDI_ENTRY(gdi_object_entry* entry) {
  if (entry != nullptr) *entry = gdi_object_entry{};
}

gdi_object_entry* FIND_GDI_OBJECT(win::GdiObjectRef handle) {
  for (gdi_object_entry& e : gdi_object_table)
    if (win::handle_value(e.handle) == handle.value) return &e;
  return nullptr;
}

void DELETE_OBJECT(win::GdiObjectRef handle, int* ups) {
  CLEAR_STATUS(ups);
  if (handle.value != 0) {
    gdi_object_entry* e = FIND_GDI_OBJECT(handle);
    if (e != nullptr && e->kind == win::OBJ_BITMAP && e->palette != nullptr) {
      palette_record* palette = e->palette;
      win::DeleteObject(palette->handle);
      palette->handle = nullptr;
      if ((palette->flags & kPaletteOfBitmap) != 0) FREE_PALETTE(palette);
    }
    CLEAR_GDI_ENTRY(e);
  }
  if (!win::DeleteObject(handle)) SET_STATUS_FROM_SYSTEM(ups, "Unable to DELETE_OBJECT");
}

void reset_records() {
  for (window_record_t* r = FIRST_WINDOW_RECORD(); r != nullptr; r = NEXT_WINDOW_RECORD(r)) {
    while (r->first_box != nullptr) {
      box_record_t* box = r->first_box;
      C_DESTROY_BOX(box, nullptr);
    }
    FREE_MEMORY(r->autopaint.base);
    FREE_SCROLL_FILE(nullptr, r->scroll);
    FREE_TOOLBAR(*r);
  }
  for (window_record_t* block : record_blocks) FREE_MEMORY(block);
  record_blocks.clear();
  window_list = nullptr;
  main_record = nullptr;
  main_window_title[0] = '\0';
  for (gdi_object_entry& e : gdi_object_table)
    if (e.palette != nullptr && (e.palette->flags & kPaletteOfBitmap) != 0) FREE_PALETTE(e.palette);
  gdi_object_table.clear();
}

}  // namespace toolkit
