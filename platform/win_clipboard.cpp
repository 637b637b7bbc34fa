// Global memory blocks in a handle table, and the in-process clipboard.
#include "platform/win_clipboard.h"

#include <cstring>
#include <map>
#include <vector>

#include "platform/backend.h"
#include "platform/win_controls_internal.h"
#include "platform/win_last_error.h"

namespace win::detail {

namespace {

constexpr std::uint32_t kGlobalBase = 0x00400000;

struct Block {
  std::vector<unsigned char> bytes;
  int locks = 0;
};
std::map<std::uint32_t, Block> blocks;
std::uint32_t next_block = kGlobalBase;

struct Clipboard {
  bool open = false;
  std::map<UINT, HGLOBAL> data;
};
Clipboard clip;

Block* block_of(HGLOBAL h) {
  auto it = blocks.find(handle_value(h));
  if (it == blocks.end()) {
    SetLastError(ERROR_INVALID_HANDLE);
    return nullptr;
  }
  return &it->second;
}

void drop_clipboard_data() {
  for (auto& [format, h] : clip.data) blocks.erase(handle_value(h));
  clip.data.clear();
}

}  // namespace

void reset_clipboard() {
  blocks.clear();
  next_block = kGlobalBase;
  clip = Clipboard();
}

}  // namespace win::detail

namespace win {

using namespace detail;

HGLOBAL GlobalAlloc(UINT flags, SIZE_T bytes) {
  Block b;
  try {
    b.bytes.assign(bytes, 0);
  } catch (const std::bad_alloc&) {
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return nullptr;
  }
  (void)flags;  // every block starts zeroed
  std::uint32_t h = next_block++;
  blocks.emplace(h, std::move(b));
  return handle_from<HGLOBAL>(h);
}

HGLOBAL GlobalReAlloc(HGLOBAL block, SIZE_T bytes, UINT) {
  Block* b = block_of(block);
  if (b == nullptr) return nullptr;
  try {
    b->bytes.resize(bytes, 0);
  } catch (const std::bad_alloc&) {
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return nullptr;
  }
  return block;
}

void* GlobalLock(HGLOBAL block) {
  Block* b = block_of(block);
  if (b == nullptr) return nullptr;
  ++b->locks;
  // A block of no bytes still has an address.
  if (b->bytes.empty()) b->bytes.reserve(1);
  return b->bytes.data();
}

BOOL GlobalUnlock(HGLOBAL block) {
  Block* b = block_of(block);
  if (b == nullptr || b->locks == 0) return FALSE;
  return --b->locks > 0 ? TRUE : FALSE;
}

SIZE_T GlobalSize(HGLOBAL block) {
  Block* b = block_of(block);
  return b != nullptr ? b->bytes.size() : 0;
}

HGLOBAL GlobalFree(HGLOBAL block) {
  if (block_of(block) == nullptr) return block;
  for (auto& [format, h] : clip.data)
    if (h == block) {
      SetLastError(ERROR_ACCESS_DENIED);  // the clipboard's own
      return block;
    }
  blocks.erase(handle_value(block));
  return nullptr;
}

BOOL OpenClipboard(HWND) {
  if (clip.open) {
    SetLastError(ERROR_ACCESS_DENIED);
    return FALSE;
  }
  clip.open = true;
  return TRUE;
}

BOOL CloseClipboard() {
  if (!clip.open) {
    SetLastError(ERROR_CLIPBOARD_NOT_OPEN);
    return FALSE;
  }
  clip.open = false;
  return TRUE;
}

BOOL EmptyClipboard() {
  if (!clip.open) {
    SetLastError(ERROR_CLIPBOARD_NOT_OPEN);
    return FALSE;
  }
  drop_clipboard_data();
  plat::backend().clipboard_changed();
  return TRUE;
}

HANDLE SetClipboardData(UINT format, HANDLE data) {
  if (!clip.open) {
    SetLastError(ERROR_CLIPBOARD_NOT_OPEN);
    return nullptr;
  }
  if (block_of(data) == nullptr) return nullptr;
  auto it = clip.data.find(format);
  if (it != clip.data.end() && it->second != data) blocks.erase(handle_value(it->second));
  clip.data[format] = data;
  plat::backend().clipboard_changed();
  return data;
}

HANDLE GetClipboardData(UINT format) {
  if (!clip.open) {
    SetLastError(ERROR_CLIPBOARD_NOT_OPEN);
    return nullptr;
  }
  auto it = clip.data.find(format);
  if (it == clip.data.end()) {
    SetLastError(ERROR_INVALID_HANDLE);
    return nullptr;
  }
  return it->second;
}

BOOL IsClipboardFormatAvailable(UINT format) { return clip.data.count(format) ? TRUE : FALSE; }

}  // namespace win

namespace plat {

std::string clipboard_text() {
  auto it = win::detail::clip.data.find(win::CF_TEXT);
  if (it == win::detail::clip.data.end()) return {};
  const auto& bytes = win::detail::blocks[win::handle_value(it->second)].bytes;
  const auto* p = reinterpret_cast<const char*>(bytes.data());
  return std::string(p, strnlen(p, bytes.size()));
}

void set_clipboard_text(std::string_view text) {
  using namespace win;
  HGLOBAL h = GlobalAlloc(GMEM_MOVEABLE, text.size() + 1);
  std::memcpy(GlobalLock(h), text.data(), text.size());
  GlobalUnlock(h);
  win::detail::drop_clipboard_data();
  win::detail::clip.data[CF_TEXT] = h;
  backend().clipboard_changed();
}

}  // namespace plat
