#include "toolkit/bitmaps.h"

#include "toolkit/status.h"

namespace toolkit {

namespace {

// The device context of the array routines and of CREATE_BITMAP: the
// target's while it is not in auto-paint mode, else the screen's.
struct device_t {
  win::HDC dc = nullptr;
  bool own = false;
  explicit device_t(const draw_target_t* target) {
    if (target != nullptr && target->dc != nullptr && target->autopaint_mode == 0) {
      dc = target->dc;
    } else {
      dc = win::GetDC(nullptr);
      own = true;
    }
  }
  ~device_t() {
    if (own) win::ReleaseDC(nullptr, dc);
  }
  device_t(const device_t&) = delete;
  device_t& operator=(const device_t&) = delete;
};

// Records a new bitmap with kind 7.
win::HBITMAP recorded(win::HBITMAP bitmap) {
  if (bitmap == nullptr) return nullptr;
  if (gdi_object_entry* e = ADD_GDI_OBJECT(bitmap, nullptr)) e->kind = win::OBJ_BITMAP;
  return bitmap;
}

}  // namespace

win::HBITMAP CREATE_BITMAP(int width, int height, draw_target_t* target, int* ups) {
  CLEAR_STATUS(ups);
  const device_t device(target);
  const win::HBITMAP bitmap = win::CreateCompatibleBitmap(device.dc, width, height);
  if (bitmap == nullptr) {
    SET_STATUS_FROM_SYSTEM(ups, "Unable to create a bitmap in CREATE_BITMAP");
    return nullptr;
  }
  recorded(bitmap);
  const win::HDC memory = win::CreateCompatibleDC(device.dc);
  const win::HGDIOBJ old = win::SelectObject(memory, bitmap);
  if (!win::PatBlt(memory, 0, 0, width, height, win::WHITENESS))
    SET_STATUS_FROM_SYSTEM(ups, "Unable to BitBlt in CREATE_BITMAP");
  win::SelectObject(memory, old);
  win::DeleteDC(memory);
  return bitmap;
}

}  // namespace toolkit
