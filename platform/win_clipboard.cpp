// The in-process clipboard: global memory blocks by format.
#include "platform/win_clipboard.h"

#include <cstring>
#include <map>

#include "platform/backend.h"
#include "platform/win_controls_internal.h"
#include "platform/win_last_error.h"

namespace win::detail {

namespace {

struct Clipboard {
  bool open = false;
  bool imported = false;  // what a display holds is in, for this opening
  std::map<UINT, HGLOBAL> data;
};
Clipboard clip;

void drop_data() {
  for (auto& [format, h] : clip.data) GlobalFree(h);
  clip.data.clear();
}

// Brings in what another program put on the display's clipboard.
bool import() {
  if (clip.imported) return true;
  if (!plat::backend().clipboard_import()) return false;
  clip.imported = clip.open;
  return true;
}

bool not_open() {
  if (clip.open) return false;
  SetLastError(ERROR_CLIPBOARD_NOT_OPEN);
  return true;
}

}  // namespace

void reset_clipboard() {
  drop_data();
  clip.open = false;
}

}  // namespace win::detail

namespace win {

using namespace detail;

BOOL OpenClipboard(HWND) {
  if (clip.open) {
    SetLastError(ERROR_ACCESS_DENIED);
    return FALSE;
  }
  clip.open = true;
  clip.imported = false;
  return TRUE;
}

BOOL CloseClipboard() {
  if (not_open()) return FALSE;
  clip.open = clip.imported = false;
  return TRUE;
}

BOOL EmptyClipboard() {
  if (not_open()) return FALSE;
  drop_data();
  plat::backend().clipboard_changed();
  return TRUE;
}

HANDLE SetClipboardData(UINT format, HANDLE data) {
  if (not_open()) return nullptr;
  if (GlobalLock(data) == nullptr) return nullptr;  // not a block
  GlobalUnlock(data);
  HGLOBAL& slot = clip.data[format];
  if (slot != nullptr && slot != data) GlobalFree(slot);
  slot = data;
  plat::backend().clipboard_changed();
  return data;
}

HANDLE GetClipboardData(UINT format) {
  if (not_open() || !import()) return nullptr;
  auto it = clip.data.find(format);
  if (it == clip.data.end()) {
    SetLastError(ERROR_INVALID_HANDLE);
    return nullptr;
  }
  return it->second;
}

BOOL IsClipboardFormatAvailable(UINT format) {
  return import() && clip.data.count(format) ? TRUE : FALSE;
}

}  // namespace win

namespace plat {

bool clipboard_data(win::UINT format, std::string* bytes) {
  using namespace win;
  auto it = detail::clip.data.find(format);
  if (it == detail::clip.data.end()) return false;
  const auto* p = static_cast<const char*>(GlobalLock(it->second));
  if (p == nullptr) return false;
  const std::size_t n = GlobalSize(it->second);
  bytes->assign(p, format == CF_TEXT ? strnlen(p, n) : n);
  GlobalUnlock(it->second);
  return true;
}

void set_clipboard_data(const std::vector<std::pair<win::UINT, std::string>>& blocks) {
  using namespace win;
  detail::drop_data();
  for (const auto& [format, bytes] : blocks) {
    const std::size_t n = bytes.size() + (format == CF_TEXT ? 1 : 0);
    HGLOBAL h = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, n);
    if (h == nullptr) continue;
    std::memcpy(GlobalLock(h), bytes.data(), bytes.size());
    GlobalUnlock(h);
    detail::clip.data[format] = h;
  }
}

std::string clipboard_text() {
  std::string s;
  clipboard_data(win::CF_TEXT, &s);
  return s;
}

void set_clipboard_text(std::string_view text) {
  set_clipboard_data({{win::CF_TEXT, std::string(text)}});
  backend().clipboard_changed();
}

}  // namespace plat
