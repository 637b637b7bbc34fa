// The table of global-memory blocks.
#include "platform/win_global_memory.h"

#include <cstdlib>
#include <cstring>
#include <unordered_map>

#include "platform/win_last_error.h"

namespace win {

namespace {

// Far from the ranges of the other handle tables.
constexpr std::uint32_t kGlobalBase = 0x00300000;

struct Block {
  unsigned char* data = nullptr;  // at least one byte, so that a lock of 0 bytes has an address
  std::size_t size = 0;
  int locks = 0;
};

std::unordered_map<std::uint32_t, Block> blocks;
std::uint32_t next_handle = kGlobalBase;

Block* block_of(HGLOBAL mem) {
  auto it = blocks.find(handle_value(mem));
  if (it == blocks.end()) {
    SetLastError(ERROR_INVALID_HANDLE);
    return nullptr;
  }
  return &it->second;
}

}  // namespace

HGLOBAL GlobalAlloc(UINT, std::size_t bytes) {
  auto* data = static_cast<unsigned char*>(std::calloc(bytes == 0 ? 1 : bytes, 1));
  if (data == nullptr) {
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return nullptr;
  }
  const std::uint32_t h = ++next_handle;
  blocks[h] = Block{data, bytes, 0};
  return handle_from<HGLOBAL>(h);
}

HGLOBAL GlobalReAlloc(HGLOBAL mem, std::size_t bytes, UINT) {
  Block* b = block_of(mem);
  if (b == nullptr) return nullptr;
  auto* data = static_cast<unsigned char*>(std::realloc(b->data, bytes == 0 ? 1 : bytes));
  if (data == nullptr) {
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return nullptr;
  }
  if (bytes > b->size) std::memset(data + b->size, 0, bytes - b->size);
  b->data = data;
  b->size = bytes;
  return mem;
}

void* GlobalLock(HGLOBAL mem) {
  Block* b = block_of(mem);
  if (b == nullptr) return nullptr;
  ++b->locks;
  return b->data;
}

BOOL GlobalUnlock(HGLOBAL mem) {
  Block* b = block_of(mem);
  if (b == nullptr) return FALSE;
  if (b->locks == 0) {
    SetLastError(ERROR_NOT_LOCKED);
    return FALSE;
  }
  if (--b->locks > 0) return TRUE;
  SetLastError(ERROR_SUCCESS);
  return FALSE;
}

HGLOBAL GlobalFree(HGLOBAL mem) {
  if (mem == nullptr) return nullptr;
  Block* b = block_of(mem);
  if (b == nullptr) return mem;
  std::free(b->data);
  blocks.erase(handle_value(mem));
  return nullptr;
}

std::size_t GlobalSize(HGLOBAL mem) {
  Block* b = block_of(mem);
  return b == nullptr ? 0 : b->size;
}

}  // namespace win
