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
  std::map<UINT, HGLOBAL> data;
};
Clipboard clip;

void drop_data() {
  for (auto& [format, h] : clip.data) GlobalFree(h);
  clip.data.clear();
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
  return TRUE;
}

BOOL CloseClipboard() {
  if (not_open()) return FALSE;
  clip.open = false;
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
  if (not_open()) return nullptr;
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
  using namespace win;
  auto it = detail::clip.data.find(CF_TEXT);
  if (it == detail::clip.data.end()) return {};
  const auto* p = static_cast<const char*>(GlobalLock(it->second));
  if (p == nullptr) return {};
  std::string s(p, strnlen(p, GlobalSize(it->second)));
  GlobalUnlock(it->second);
  return s;
}

void set_clipboard_text(std::string_view text) {
  using namespace win;
  HGLOBAL h = GlobalAlloc(GMEM_MOVEABLE, text.size() + 1);
  if (h == nullptr) return;
  std::memcpy(GlobalLock(h), text.data(), text.size());
  GlobalUnlock(h);
  detail::drop_data();
  detail::clip.data[CF_TEXT] = h;
  backend().clipboard_changed();
}

}  // namespace plat
