#include "toolkit/scroll_files.h"

#include <algorithm>
#include <cstring>
#include <limits>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "platform/win_files.h"
#include "platform/win_last_error.h"
#include "toolkit/memory.h"
#include "toolkit/status.h"

namespace toolkit {

namespace {

constexpr int kHalfBuffer = kScrollBuffer / 2;
constexpr int kMarkStep = 1024;

win::HANDLE handle_of(const scroll_data_t& s) {
  return reinterpret_cast<win::HANDLE>(s.file_handle);
}

bool is_open(const scroll_data_t& s) { return s.file_handle != 0; }

void set_handle(scroll_data_t& s, win::HANDLE h) {
  s.file_handle = h == win::INVALID_HANDLE_VALUE ? 0 : reinterpret_cast<std::intptr_t>(h);
}

void seek(const scroll_data_t& s, std::int64_t at) {
  auto high = static_cast<win::LONG>(at >> 32);
  win::SetFilePointer(handle_of(s), static_cast<win::LONG>(at & 0xFFFFFFFF), &high,
                      win::FILE_BEGIN);
}

bool allocate_buffer(scroll_data_t& s, int* ups) {
  if (s.buffer == nullptr)
    s.buffer = static_cast<unsigned char*>(ALLOCATE_MEMORY(kScrollBuffer, ups));
  s.buffer_size = kScrollBuffer;
  return s.buffer != nullptr;
}

// The bytes after the buffer: 1, 0 at the end of the file, -1 on failure.
int refill(scroll_data_t& s, int* ups) {
  if (s.buffer == nullptr || !is_open(s)) return 0;
  s.buffer_offset += s.bytes_in_buffer;
  s.bytes_in_buffer = 0;
  s.read_position = 0;
  win::DWORD got = 0;
  if (!win::ReadFile(handle_of(s), s.buffer, kScrollBuffer, &got, nullptr)) {
    SET_STATUS_FROM_SYSTEM(ups, "Cannot read from file to scroll.");
    return -1;
  }
  s.bytes_in_buffer = static_cast<std::int32_t>(got);
  return got > 0 ? 1 : 0;
}

bool byte_ready(scroll_data_t& s) {
  return s.read_position < s.bytes_in_buffer || refill(s, nullptr) > 0;
}

// Moves the buffer's window back by half a buffer (to the file's start
// when less lies before it), keeping what it still covers.
bool window_back(scroll_data_t& s, int* ups) {
  const std::int64_t to = std::max<std::int64_t>(0, s.buffer_offset - kHalfBuffer);
  const int moved = static_cast<int>(s.buffer_offset - to);
  const int kept = std::min(s.bytes_in_buffer, kScrollBuffer - moved);
  std::memmove(s.buffer + moved, s.buffer, static_cast<std::size_t>(kept));
  seek(s, to);
  win::DWORD got = 0;
  if (!win::ReadFile(handle_of(s), s.buffer, static_cast<win::DWORD>(moved), &got, nullptr) ||
      static_cast<int>(got) != moved) {
    SET_STATUS_FROM_SYSTEM(ups, "Cannot read from file to scroll");
    seek(s, s.buffer_offset + s.bytes_in_buffer);
    return false;
  }
  s.buffer_offset = to;
  s.bytes_in_buffer = moved + kept;
  s.read_position = moved;
  seek(s, s.buffer_offset + s.bytes_in_buffer);
  return true;
}

// The byte before the read position, which moves onto it; -1 at the
// file's start, -2 on failure.
int byte_before(scroll_data_t& s, int* ups) {
  if (s.read_position <= 0) {
    if (s.buffer_offset == 0) return -1;
    if (!window_back(s, ups)) return -2;
  }
  return s.buffer[--s.read_position];
}

// The first CR or LF in [p, end), null when none; sixteen bytes at a time
// where the processor can.
const unsigned char* find_line_end(const unsigned char* p, const unsigned char* end) {
#if defined(__SSE2__)
  const __m128i cr = _mm_set1_epi8('\r'), lf = _mm_set1_epi8('\n');
  for (; end - p >= 16; p += 16) {
    const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
    const int hits = _mm_movemask_epi8(_mm_or_si128(_mm_cmpeq_epi8(v, cr), _mm_cmpeq_epi8(v, lf)));
    if (hits != 0) return p + __builtin_ctz(static_cast<unsigned>(hits));
  }
#endif
  for (; p < end; ++p)
    if (*p == '\r' || *p == '\n') return p;
  return nullptr;
}

// The current line: up to `cap` bytes copied to `out` (when given), its
// end consumed unless the line was cut. The length, -1 at the end of the
// file.
int scan_line(scroll_data_t& s, char* out, int cap) {
  if (!byte_ready(s)) return -1;
  int length = 0;
  for (;;) {
    if (s.read_position >= s.bytes_in_buffer && !byte_ready(s)) return length;
    const unsigned char* from = s.buffer + s.read_position;
    std::size_t room = static_cast<std::size_t>(s.bytes_in_buffer - s.read_position);
    if (out != nullptr) room = std::min(room, static_cast<std::size_t>(cap - length));
    const unsigned char* end = find_line_end(from, from + room);
    const std::size_t n = end != nullptr ? static_cast<std::size_t>(end - from) : room;
    if (out != nullptr) std::memcpy(out + length, from, n);
    length += static_cast<int>(n);
    s.read_position += static_cast<std::int32_t>(n);
    if (end == nullptr) {
      if (out != nullptr && length >= cap) return length;
      continue;
    }
    ++s.read_position;
    if (*end == '\r' && byte_ready(s) && s.buffer[s.read_position] == '\n') ++s.read_position;
    return length;
  }
}

void add_mark(scroll_data_t& s, std::int64_t offset) {
  if (s.line_mark_count == s.line_mark_room) {
    s.line_mark_room = std::max(64, 2 * s.line_mark_room);
    s.line_marks = static_cast<std::int64_t*>(REALLOCATE_MEMORY(
        s.line_marks, sizeof(std::int64_t) * static_cast<std::size_t>(s.line_mark_room)));
  }
  s.line_marks[s.line_mark_count++] = offset;
}

std::int64_t write_time(const scroll_data_t& s) {
  win::FILETIME written;
  if (!win::GetFileTime(handle_of(s), nullptr, nullptr, &written)) return -1;
  return static_cast<std::int64_t>((static_cast<std::uint64_t>(written.dwHighDateTime) << 32) |
                                   written.dwLowDateTime);
}

// Skips up to `count` lines with their ends: the number skipped (fewer at
// the end of the file, where a last line without an end counts too), the
// longest one's length into `longest`. The same as SKIP_SCROLL_LINE
// `count` times, without the calls.
int skip_lines(scroll_data_t& s, int count, int& longest, bool mark = false) {
  int done = 0;
  std::int64_t start = s.buffer_offset + s.read_position;
  bool after_cr = false;
  while (done < count) {
    if (s.read_position >= s.bytes_in_buffer && !byte_ready(s)) {
      const std::int64_t tail = s.buffer_offset + s.read_position - start;
      if (tail > 0) {
        longest = static_cast<int>(std::max<std::int64_t>(longest, tail));
        ++done;
      }
      break;
    }
    const unsigned char* b = s.buffer;
    const int n = s.bytes_in_buffer;
    int i = s.read_position;
    if (after_cr) {
      after_cr = false;
      if (b[i] == '\n') start = s.buffer_offset + ++i;
    }
    while (done < count) {
      const unsigned char* end = find_line_end(b + i, b + n);
      if (end == nullptr) {
        i = n;
        break;
      }
      const int at = static_cast<int>(end - b);
      longest = static_cast<int>(std::max<std::int64_t>(longest, s.buffer_offset + at - start));
      ++done;
      i = at + 1;
      if (*end == '\r') {
        if (i < n)
          i += b[i] == '\n' ? 1 : 0;
        else
          after_cr = true;
      }
      start = s.buffer_offset + i;
      if (mark && (s.current_line + done) % kMarkStep == 0) add_mark(s, start);
    }
    s.read_position = i;
  }
  if (after_cr && byte_ready(s) && s.buffer[s.read_position] == '\n') ++s.read_position;
  s.current_line += done;
  return done;
}

}  // namespace

int OPEN_SCROLL_FILE(int* ups, scroll_data_t& scroll) {
  if (is_open(scroll)) CLOSE_SCROLL_FILE(scroll);
  scroll.flags = (scroll.flags & kScrollVariablePitch) | kScrollChanged;
  win::HANDLE h = win::INVALID_HANDLE_VALUE;
  if (scroll.file_name != nullptr) {
    h = win::CreateFileA(scroll.file_name, win::GENERIC_READ | win::GENERIC_WRITE,
                         win::FILE_SHARE_READ | win::FILE_SHARE_WRITE, nullptr, win::OPEN_ALWAYS,
                         win::FILE_ATTRIBUTE_NORMAL, nullptr);
    // A file that may only be read is still shown.
    if (h == win::INVALID_HANDLE_VALUE && win::GetLastError() == win::ERROR_ACCESS_DENIED)
      h = win::CreateFileA(scroll.file_name, win::GENERIC_READ,
                           win::FILE_SHARE_READ | win::FILE_SHARE_WRITE, nullptr,
                           win::OPEN_EXISTING, win::FILE_ATTRIBUTE_NORMAL, nullptr);
  } else {
    char folder[win::MAX_PATH], name[win::MAX_PATH];
    const win::DWORD n = win::GetTempPathA(sizeof folder, folder);
    if (n == 0 || n >= sizeof folder || win::GetTempFileNameA(folder, "tmp", 0, name) == 0) {
      SET_STATUS_FROM_SYSTEM(ups, "Can't create a scratch name");
      return 0;
    }
    copy_scroll_file_name(scroll, name, static_cast<int>(std::strlen(name)));
    h = win::CreateFileA(name, win::GENERIC_READ | win::GENERIC_WRITE, 0, nullptr,
                         win::CREATE_ALWAYS, win::FILE_ATTRIBUTE_TEMPORARY, nullptr);
    scroll.flags |= kScrollScratch;
  }
  if (h == win::INVALID_HANDLE_VALUE) {
    SET_STATUS_FROM_SYSTEM(ups, "Unable to open scroll file");
    return 0;
  }
  set_handle(scroll, h);
  if (!allocate_buffer(scroll, ups)) return 0;
  COUNT_SCROLL_LINES(scroll);
  return 1;
}

int OPEN_SCROLL_FILE_FOR_READING(int* ups, scroll_data_t& scroll) {
  if (is_open(scroll)) return 1;
  const win::HANDLE h =
      scroll.file_name == nullptr
          ? win::INVALID_HANDLE_VALUE
          : win::CreateFileA(scroll.file_name, win::GENERIC_READ,
                             win::FILE_SHARE_READ | win::FILE_SHARE_WRITE, nullptr,
                             win::OPEN_EXISTING, win::FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == win::INVALID_HANDLE_VALUE) {
    SET_STATUS_FROM_SYSTEM(ups, "Can't open file to scroll");
    return 0;
  }
  set_handle(scroll, h);
  if (!allocate_buffer(scroll, ups)) return 0;
  // Reading goes on where the buffer stands.
  seek(scroll, scroll.buffer_offset + scroll.bytes_in_buffer);
  return 1;
}

void CLOSE_SCROLL_FILE(scroll_data_t& scroll) {
  if (is_open(scroll)) win::CloseHandle(handle_of(scroll));
  scroll.file_handle = 0;
}

void FREE_SCROLL_FILE(int*, scroll_data_t& scroll) {
  CLOSE_SCROLL_FILE(scroll);
  scroll.spare[0] = scroll.spare[1] = 0;
  if ((scroll.flags & kScrollScratch) != 0 && scroll.file_name != nullptr)
    win::DeleteFileA(scroll.file_name);
  scroll.flags &= ~kScrollScratch;
  FREE_MEMORY(scroll.file_name);
  scroll.file_name = nullptr;
  FREE_MEMORY(scroll.buffer);
  scroll.buffer = nullptr;
  FREE_MEMORY(scroll.line_marks);
  scroll.line_marks = nullptr;
  scroll.line_mark_count = scroll.line_mark_room = 0;
  scroll.buffer_offset = scroll.read_position = scroll.bytes_in_buffer = 0;
  // Another file may come with the same time.
  scroll.last_write_time = 0;
}

int COUNT_SCROLL_LINES(scroll_data_t& scroll) {
  const std::int64_t time = write_time(scroll);
  if (time == -1) {
    REWIND_SCROLL_FILE(scroll);
    return 1;
  }
  if (time == scroll.last_write_time) return 0;
  scroll.last_write_time = time;
  REWIND_SCROLL_FILE(scroll);
  int longest = 0;
  scroll.line_mark_count = 0;
  add_mark(scroll, 0);
  skip_lines(scroll, std::numeric_limits<int>::max(), longest, true);
  scroll.lines = scroll.current_line;
  scroll.longest_line = longest;
  REWIND_SCROLL_FILE(scroll);
  return 1;
}

void REWIND_SCROLL_FILE(scroll_data_t& scroll) {
  if (is_open(scroll)) seek(scroll, 0);
  scroll.buffer_offset = 0;
  scroll.read_position = 0;
  scroll.bytes_in_buffer = 0;
  scroll.current_line = 0;
}

int READ_SCROLL_CHAR(scroll_data_t& scroll, int* ups) {
  if (scroll.read_position < 0) {
    write_diagnosis_line("Whoa negative on entry", scroll.read_position);
    scroll.read_position = 0;
  }
  if (scroll.read_position >= scroll.bytes_in_buffer && refill(scroll, ups) <= 0) return -1;
  return scroll.buffer[scroll.read_position++];
}

int SKIP_SCROLL_LINE(scroll_data_t& scroll) {
  const int n = scan_line(scroll, nullptr, 0);
  if (n >= 0) ++scroll.current_line;
  return n;
}

int READ_SCROLL_LINE(scroll_data_t& scroll, char* buffer, int size) {
  if (size < 1) return -1;
  const int n = scan_line(scroll, buffer, size - 1);
  buffer[std::max(0, n)] = '\0';
  if (n >= 0) ++scroll.current_line;
  return n;
}

int PREVIOUS_SCROLL_LINE(scroll_data_t& scroll, int* ups) {
  if (scroll.buffer_offset + scroll.read_position == 0) {
    scroll.current_line = 0;
    return -1;
  }
  // Back over the previous line's end ...
  int c = byte_before(scroll, ups);
  if (c == -2) return -1;
  if (c == '\n') {
    const int d = byte_before(scroll, ups);
    if (d == -2) return -1;
    if (d >= 0 && d != '\r') ++scroll.read_position;
  } else if (c != '\r') {
    ++scroll.read_position;
  }
  // ... and to the end before it.
  for (;;) {
    c = byte_before(scroll, ups);
    if (c == -2) return -1;
    if (c == -1) break;
    if (c == '\r' || c == '\n') {
      ++scroll.read_position;
      break;
    }
  }
  if (scroll.read_position < 0) {
    write_diagnosis_line("Whoa negative inside", scroll.read_position);
    scroll.read_position = 0;
  }
  scroll.current_line = std::max(0, scroll.current_line - 1);
  return 0;
}

void SEEK_SCROLL_LINE(scroll_data_t& scroll, int line) {
  line = std::max(0, line);
  if (line > 20 && (line + 4) / 4 < scroll.current_line - line) REWIND_SCROLL_FILE(scroll);
  // A marked line ahead, while the file is as it was counted, saves reading.
  const int k = line / kMarkStep;
  if (k < scroll.line_mark_count && k * kMarkStep > scroll.current_line &&
      write_time(scroll) == scroll.last_write_time) {
    seek(scroll, scroll.line_marks[k]);
    scroll.buffer_offset = scroll.line_marks[k];
    scroll.read_position = scroll.bytes_in_buffer = 0;
    scroll.current_line = k * kMarkStep;
  }
  int longest = 0;
  if (scroll.current_line < line) skip_lines(scroll, line - scroll.current_line, longest);
  while (scroll.current_line > line)
    if (PREVIOUS_SCROLL_LINE(scroll) < 0) break;
}

}  // namespace toolkit
