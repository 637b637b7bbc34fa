// The clipboard: texts, the lines of scroll windows, I/O units and files,
// and bitmap blocks.
#include <algorithm>
#include <cstring>
#include <string>

#include "platform/file_replace.h"
#include "platform/file_units.h"
#include "platform/win_clipboard.h"
#include "toolkit/boxes.h"
#include "toolkit/helpers.h"
#include "toolkit/memory.h"
#include "toolkit/mouse.h"
#include "toolkit/scroll_files.h"
#include "toolkit/services.h"
#include "toolkit/status.h"

namespace toolkit {

namespace {

constexpr int kLineLength = 1024;
constexpr win::UINT kTextFormat = win::CF_TEXT;

// A line's part in the range: the first line from the first column, the
// last up to the last column (both 1-based, inclusive), every other whole.
std::string_view cut(std::string_view line, int number, int first_line, int first_column,
                     int last_line, int last_column) {
  std::size_t to = line.size();
  if (number == last_line) to = std::min(to, static_cast<std::size_t>(last_column));
  const std::size_t from = number == first_line ? static_cast<std::size_t>(first_column - 1) : 0;
  return from < to ? line.substr(from, to - from) : std::string_view();
}

win::HGLOBAL append_line(win::HGLOBAL block, std::string_view part, bool line_end, int* ups) {
  block = GLOBAL_TEXT_APPEND_C(block, part.data(), static_cast<int>(part.size()), ups);
  return line_end ? GLOBAL_TEXT_APPEND_C(block, "\r\n", 2, ups) : block;
}

void say_iostat(int status, int* ups) {
  char message[64];
  REPORT_IOSTAT(status, message, sizeof message);
  SET_STATUS(ups, trimmed_text(message, sizeof message), kToolkitError);
}

// The unit that holds the lines to copy: the caller's, rewound, or the
// file opened on the clipboard's own unit. 0 when it cannot be had.
int source_unit(const int* unit, const char* file, int file_length, int* ups) {
  if (unit != nullptr) {
    plat::rewind_unit(*unit);
    return *unit;
  }
  plat::UnitMode mode;
  mode.status = plat::UnitStatus::old_file;
  mode.action = plat::UnitAction::read;
  mode.position = plat::UnitPosition::rewind;
  const int status = plat::open_unit(kClipboardUnit, trimmed_text(file, file_length), mode);
  if (status == plat::iostat_ok) return kClipboardUnit;
  say_iostat(status, ups);
  return 0;
}

win::HGLOBAL copy_unit_lines(win::HGLOBAL block, int unit, int first_line, int first_column,
                             int last_line, int last_column, int* ups) {
  std::string line;
  for (int number = 1; number <= last_line; ++number) {
    if (plat::read_record(unit, line) != plat::iostat_ok) break;
    if (number < first_line) continue;
    if (line.size() > kLineLength) line.resize(kLineLength);
    block = append_line(block, cut(line, number, first_line, first_column, last_line, last_column),
                        number != last_line, ups);
  }
  return block;
}

// The lines of the text block as records: onto the caller's unit, rewound
// and cut after them, or over the named file, replaced whole once every
// line is in (a file there keeps its bytes until then).
void paste_lines(win::HGLOBAL block, const int* unit, const char* file, int file_length, int* ups) {
  const auto* data = static_cast<const char*>(win::GlobalLock(block));
  const int length = data != nullptr ? static_cast<int>(strnlen(data, win::GlobalSize(block))) : 0;
  win::GlobalUnlock(block);
  if (unit != nullptr) plat::rewind_unit(*unit);
  std::string bytes;
  char line[kLineLength];
  int status = plat::iostat_ok;
  for (int position = 0; status == plat::iostat_ok;) {
    const int at = position;
    const int n = GLOBAL_TEXT_READ_LINE(block, line, kLineLength, position, nullptr);
    // The end of the text after a line end is no further line.
    if (n < 0 || (n == 0 && at == length)) break;
    const std::string_view record(line, static_cast<std::size_t>(n));
    if (unit != nullptr)
      status = plat::write_record(*unit, record);
    else
      bytes.append(record).append("\r\n");
  }
  if (unit != nullptr) {
    // What the unit held beyond the pasted lines goes.
    if (status == plat::iostat_ok) status = plat::end_file(*unit);
  } else {
    plat::flush_units();
    status = plat::replace_iostat(plat::replace_file(trimmed_text(file, file_length), bytes));
  }
  if (status != plat::iostat_ok) say_iostat(status, ups);
}

}  // namespace

int OPEN_CLIPBOARD(int empty, int* ups) {
  CLEAR_STATUS(ups);
  if (!win::OpenClipboard(nullptr)) {
    SET_STATUS_FROM_SYSTEM(ups, "Unable to open the clipboard");
    return 0;
  }
  if (empty != 0 && !win::EmptyClipboard())
    SET_STATUS_FROM_SYSTEM(ups, "Unable to empty the clipboard");
  return -1;
}

void SET_CLIPBOARD_DATA(win::HGLOBAL block, win::UINT format, int* ups) {
  CLEAR_STATUS(ups);
  if (win::SetClipboardData(format, block) != nullptr) return;
  win::GlobalFree(block);
  SET_STATUS_FROM_SYSTEM(ups, "Unable to set the clipboard");
}

win::HGLOBAL GET_CLIPBOARD_DATA(win::UINT format, int* ups) {
  CLEAR_STATUS(ups);
  const win::HGLOBAL block = win::GetClipboardData(format);
  if (block == nullptr) SET_STATUS_FROM_SYSTEM(ups, "Unable to paste from the clipboard");
  return block;
}

void CLOSE_CLIPBOARD(int* ups) {
  CLEAR_STATUS(ups);
  if (!win::CloseClipboard()) SET_STATUS_FROM_SYSTEM(ups, "Unable to close the clipboard");
}

void COPY_TO_CLIPBOARD(const char* text, int text_length, const win::HGLOBAL* bitmap,
                       const int* unit, const char* file, int file_length, const win::HWND* window,
                       box_record_t* box, const win::UINT* format, const int* first_line,
                       const int* first_column, const int* last_line, const int* last_column,
                       int* ups) {
  CLEAR_STATUS(ups);
  if (OPEN_CLIPBOARD(1, ups) == 0) return;
  int range[4] = {1, 1, 2147483647, kLineLength};
  if (window != nullptr || box != nullptr) {
    int quiet = 0;
    GET_FILE_SECTION(window, box, range[0], range[1], range[2], range[3], &quiet);
  }
  const int* given[4] = {first_line, first_column, last_line, last_column};
  for (int i = 0; i < 4; ++i) {
    if (given[i] != nullptr) range[i] = *given[i];
    range[i] = std::max(1, range[i]);
  }
  const win::UINT kind = format != nullptr ? *format : kTextFormat;
  if (text != nullptr) {
    const int n = TRIMMED_LENGTH(text, text_length);
    win::HGLOBAL block = GLOBAL_TEXT_ALLOC(static_cast<std::size_t>(n) + 1, ups);
    block = GLOBAL_TEXT_APPEND_C(block, text, n, ups);
    if (block != nullptr) SET_CLIPBOARD_DATA(block, kind, ups);
  }
  if (window != nullptr || box != nullptr) {
    win::HGLOBAL block = GLOBAL_TEXT_ALLOC(kLineLength, ups);
    block = C_COPY_TO_CLIPBOARD(block, window, box, range[0], range[1], range[2], range[3], ups);
    if (block != nullptr) SET_CLIPBOARD_DATA(block, kind, ups);
  }
  if (unit != nullptr || (file != nullptr && TRIMMED_LENGTH(file, file_length) > 0)) {
    if (const int u = source_unit(unit, file, file_length, ups); u != 0) {
      win::HGLOBAL block = GLOBAL_TEXT_ALLOC(kLineLength, ups);
      block = copy_unit_lines(block, u, range[0], range[1], range[2], range[3], ups);
      if (unit == nullptr) plat::close_unit(u);
      if (block != nullptr) SET_CLIPBOARD_DATA(block, kind, ups);
    }
  }
  if (bitmap != nullptr)
    SET_CLIPBOARD_DATA(*bitmap, format != nullptr ? *format : win::CF_DIB, ups);
  CLOSE_CLIPBOARD(nullptr);
}

win::HGLOBAL C_COPY_TO_CLIPBOARD(win::HGLOBAL block, const win::HWND* window, box_record_t* box,
                                 int first_line, int first_column, int last_line, int last_column,
                                 int* ups) {
  scroll_data_t* scroll = nullptr;
  bool checked = true;
  if (box == nullptr && window != nullptr) {
    window_record_t* r = FIND_WINDOW_RECORD(*window);
    if (r != nullptr && r == MAIN_WINDOW_RECORD() && r->first_box != nullptr)
      box = r->first_box;
    else if (r != nullptr && (r->style & kStyleScrollFile) != 0)
      scroll = &r->scroll;
  }
  if (box != nullptr) {
    checked = CHECK_BOX_ARGUMENT(box, "COPY_TO_CLIPBOARD", ups);
    if (checked && (box->style & kStyleScrollFile) != 0) scroll = &box->scroll;
  }
  const bool was_open = scroll != nullptr && scroll->file_handle != 0;
  if (scroll == nullptr || OPEN_SCROLL_FILE_FOR_READING(ups, *scroll) == 0) {
    if (scroll == nullptr && checked)
      SET_STATUS(ups, "Invalid window parameter in COPY_TO_CLIPBOARD", kToolkitError);
    FREE_GLOBAL_MEMORY(block, nullptr);
    return nullptr;
  }
  SEEK_SCROLL_LINE(*scroll, first_line - 1);
  char line[kLineLength + 1];
  for (int number = first_line; number <= last_line; ++number) {
    const int n = READ_SCROLL_LINE(*scroll, line, sizeof line);
    if (n < 0) break;
    block = append_line(block,
                        cut(std::string_view(line, static_cast<std::size_t>(n)), number, first_line,
                            first_column, last_line, last_column),
                        number != last_line, ups);
  }
  if (!was_open) CLOSE_SCROLL_FILE(*scroll);
  return block;
}

void PASTE_FROM_CLIPBOARD(char* text, int text_length, win::HGLOBAL* bitmap, const int* unit,
                          const char* file, int file_length, const win::UINT* format, int* ups) {
  CLEAR_STATUS(ups);
  if (OPEN_CLIPBOARD(0, ups) == 0) return;
  const win::UINT kind = format != nullptr ? *format : kTextFormat;
  const bool to_unit =
      unit != nullptr || (file != nullptr && TRIMMED_LENGTH(file, file_length) > 0);
  if (text != nullptr || to_unit) {
    const win::HGLOBAL block = GET_CLIPBOARD_DATA(kind, ups);
    if (block != nullptr && text != nullptr) GLOBAL_TEXT_GET(block, text, text_length, nullptr);
    if (block != nullptr && to_unit) paste_lines(block, unit, file, file_length, ups);
  }
  if (bitmap != nullptr) {
    *bitmap = GET_CLIPBOARD_DATA(format != nullptr ? *format : win::CF_DIB, ups);
  }
  CLOSE_CLIPBOARD(nullptr);
}

}  // namespace toolkit
