#include "toolkit/memory.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "platform/win_message_box.h"
#include "toolkit/helpers.h"
#include "toolkit/records.h"
#include "toolkit/status.h"

namespace toolkit {

namespace {

[[noreturn]] void out_of_memory() {
  win::MessageBoxA(MAIN_WINDOW(), "Insufficient Memory; Application terminating", "Fenstra",
                   win::MB_SETFOREGROUND);
  win::DestroyWindow(MAIN_WINDOW());
  C_STOP_TOOLKIT(0);
}

constexpr const char* kCannotLock = "Unable to access global memory handle";

// A locked block's text and its length; the text may fill the block
// without a NUL.
struct LockedText {
  char* data = nullptr;
  std::size_t size = 0;
  std::size_t length = 0;
};

bool lock_text(win::HGLOBAL block, LockedText& t, int* ups) {
  t.data = static_cast<char*>(win::GlobalLock(block));
  if (t.data == nullptr) {
    SET_STATUS_FROM_SYSTEM(ups, kCannotLock);
    return false;
  }
  t.size = win::GlobalSize(block);
  t.length = strnlen(t.data, t.size);
  return true;
}

win::HGLOBAL append(win::HGLOBAL block, const char* text, std::size_t n, bool line_end, int* ups) {
  if (block == nullptr) return nullptr;
  LockedText t;
  if (!lock_text(block, t, ups)) return block;
  const std::size_t needed = t.length + n + (line_end ? 2 : 0) + 1;
  if (t.size < needed) {
    win::GlobalUnlock(block);
    const win::HGLOBAL grown = win::GlobalReAlloc(block, std::max(t.size + 1024, needed),
                                                  win::GMEM_MOVEABLE | win::GMEM_SHARE);
    if (grown == nullptr) {
      SET_STATUS_FROM_SYSTEM(ups, "Unable to grow global memory");
      return block;
    }
    block = grown;
    if (!lock_text(block, t, ups)) return block;
  }
  std::memcpy(t.data + t.length, text, n);
  std::size_t end = t.length + n;
  if (line_end) {
    t.data[end++] = '\r';
    t.data[end++] = '\n';
  }
  t.data[end] = '\0';
  win::GlobalUnlock(block);
  return block;
}

}  // namespace

void* ALLOCATE_MEMORY(std::size_t size, int* ups) {
  void* block = std::malloc(std::max<std::size_t>(size, 1));
  CHECK_ALLOCATION(block, ups);
  return block;
}

void* REALLOCATE_MEMORY(void* block, std::size_t size) {
  void* moved = std::realloc(block, std::max<std::size_t>(size, 1));
  if (moved == nullptr) out_of_memory();
  return moved;
}

int CHECK_ALLOCATION(const void* block, int* ups) {
  if (block != nullptr) return 0;
  if (ups != nullptr && (diagnosis_mode & kDiagnoseHeapToCaller) != 0) {
    *ups = kOutOfMemory;
    return 1;
  }
  out_of_memory();
}

void* HEAP_ALLOCATE(std::size_t size) { return std::malloc(std::max<std::size_t>(size, 1)); }
void* HEAP_ALLOCATE_ZEROED(std::size_t size) {
  return std::calloc(std::max<std::size_t>(size, 1), 1);
}
void* HEAP_REALLOCATE(void* block, std::size_t size) {
  return std::realloc(block, std::max<std::size_t>(size, 1));
}
void FREE_MEMORY(void* block) { std::free(block); }

win::HGLOBAL GLOBAL_TEXT_ALLOC(std::size_t size, int* ups) {
  CLEAR_STATUS(ups);
  const win::HGLOBAL block = win::GlobalAlloc(win::GMEM_MOVEABLE | win::GMEM_SHARE, size);
  if (block == nullptr) {
    SET_STATUS_FROM_SYSTEM(ups, "Unable to allocate global memory");
    return nullptr;
  }
  if (auto* data = static_cast<char*>(win::GlobalLock(block))) {
    data[0] = '\0';
    win::GlobalUnlock(block);
  }
  return block;
}

win::HGLOBAL GLOBAL_TEXT_APPEND(win::HGLOBAL block, const char* text, int length, int add_line_end,
                                int* ups) {
  CLEAR_STATUS(ups);
  return append(block, text, static_cast<std::size_t>(TRIMMED_LENGTH(text, length)),
                add_line_end != 0, ups);
}

win::HGLOBAL GLOBAL_TEXT_APPEND_C(win::HGLOBAL block, const char* c_text, int c_length, int* ups) {
  CLEAR_STATUS(ups);
  const std::size_t n =
      c_text == nullptr || c_length <= 0 ? 0 : strnlen(c_text, static_cast<std::size_t>(c_length));
  return append(block, c_text, n, false, ups);
}

void GLOBAL_TEXT_GET(win::HGLOBAL block, char* text, int length, int* ups) {
  CLEAR_STATUS(ups);
  LockedText t;
  if (!lock_text(block, t, ups)) return;
  if (text != nullptr && length > 0) {
    const std::size_t n = std::min<std::size_t>(t.length, static_cast<std::size_t>(length));
    std::memcpy(text, t.data, n);
    std::fill(text + n, text + length, ' ');
  }
  win::GlobalUnlock(block);
}

int GLOBAL_TEXT_READ_LINE(win::HGLOBAL block, char* line, int length, int& position, int* ups) {
  CLEAR_STATUS(ups);
  if (line != nullptr && length > 0) std::fill(line, line + length, ' ');
  LockedText t;
  if (!lock_text(block, t, ups)) return -1;
  const auto len = static_cast<long long>(t.length);
  int copied = -1;
  if (position >= 0 && static_cast<std::size_t>(position) < t.size && position <= len) {
    if (position == len) {
      copied = 0;
      ++position;
    } else {
      copied = 0;
      while (copied < length && position < len) {
        const char c = t.data[position];
        if (c == '\n') {
          ++position;
          break;
        }
        if (c == '\r') {
          // Only a line feed belongs to the carriage return.
          ++position;
          if (position < len && t.data[position] == '\n') ++position;
          break;
        }
        line[copied++] = c;
        ++position;
      }
    }
  }
  win::GlobalUnlock(block);
  return copied;
}

void FREE_GLOBAL_MEMORY(win::HGLOBAL block, int* ups) {
  CLEAR_STATUS(ups);
  if (win::GlobalFree(block) != nullptr)
    SET_STATUS_FROM_SYSTEM(ups, "Unable to free global memory");
}

}  // namespace toolkit
