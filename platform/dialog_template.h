// Writes an extended dialog template in memory, for the dialogs the
// platform layer makes itself (message boxes) and for tests.
#pragma once

#include <cstring>
#include <string_view>
#include <vector>

#include "platform/cp1252.h"
#include "platform/win_dialog.h"

namespace plat {

class DialogTemplate {
 public:
  // A font face makes the template carry DS_SETFONT and the font block.
  DialogTemplate(win::DWORD style, int x, int y, int cx, int cy, std::string_view title,
                 std::string_view face = {}, int points = 8) {
    win::DLGTEMPLATEEX h;
    h.style = face.empty() ? style & ~win::DS_SETFONT : style | win::DS_SETFONT;
    h.x = static_cast<win::SHORT>(x);
    h.y = static_cast<win::SHORT>(y);
    h.cx = static_cast<win::SHORT>(cx);
    h.cy = static_cast<win::SHORT>(cy);
    put(&h, sizeof h);
    word(0);  // no menu
    word(0);  // the dialog class
    text(title);
    if (!face.empty()) {
      word(static_cast<win::WORD>(points));
      word(400);
      word(0);  // not italic, character set 0
      text(face);
    }
  }

  // A control of a class given by name, or by atom when the name is empty.
  void add(std::string_view class_name, win::WORD atom, win::DWORD style, int x, int y, int cx,
           int cy, win::DWORD id, std::string_view title, win::DWORD ex_style = 0) {
    while (bytes_.size() % 4 != 0) bytes_.push_back(0);
    win::DLGITEMTEMPLATEEX item;
    item.style = style;
    item.exStyle = ex_style;
    item.x = static_cast<win::SHORT>(x);
    item.y = static_cast<win::SHORT>(y);
    item.cx = static_cast<win::SHORT>(cx);
    item.cy = static_cast<win::SHORT>(cy);
    item.id = id;
    put(&item, sizeof item);
    if (class_name.empty()) {
      word(0xFFFF);
      word(atom);
    } else {
      text(class_name);
    }
    text(title);
    word(0);  // no creation data
    ++count_;
  }

  const win::DLGTEMPLATEEX* get() {
    win::WORD n = count_;
    std::memcpy(bytes_.data() + offsetof(win::DLGTEMPLATEEX, cDlgItems), &n, sizeof n);
    return reinterpret_cast<const win::DLGTEMPLATEEX*>(bytes_.data());
  }

 private:
  void put(const void* p, std::size_t n) {
    const auto* b = static_cast<const unsigned char*>(p);
    bytes_.insert(bytes_.end(), b, b + n);
  }
  void word(win::WORD w) { put(&w, 2); }
  void text(std::string_view s) {
    for (char c : s) word(static_cast<win::WORD>(unicode_of_1252(static_cast<unsigned char>(c))));
    word(0);
  }

  std::vector<unsigned char> bytes_;
  win::WORD count_ = 0;
};

}  // namespace plat
