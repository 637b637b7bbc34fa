// Named arguments of the toolkit's item set-routine: the builder fills the
// fields it gives and leaves the others absent.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "toolkit/dialog_item.h"

namespace ui {

struct ItemSet {
  std::optional<int> type;
  std::optional<std::uint32_t> options;
  std::optional<std::string> title;  // the caption
  std::optional<std::string> text;   // the text an edit shows
  std::optional<int> id;
  std::optional<int> value;
  std::optional<int> x, y, width, height;
  const toolkit::text_array_t* list = nullptr;
  toolkit::change_procedure proc = nullptr;
  std::optional<win::HFONT> font;
  std::optional<std::uint32_t> kind;
  std::optional<int> imax, imin, iinc;
  std::optional<double> r8, r8max, r8min, r8inc;
  std::optional<win::HBRUSH> brush;
  std::optional<win::COLORREF> textcolour;
  std::optional<win::HICON> icon;
  std::optional<win::HBITMAP> bitmap;
  std::optional<std::uint32_t> winstyle;
  char* textvariable = nullptr;  // the text the item edits in place
  int textvariablelength = 0;
  bool modify = false;  // only the given fields change
};

// Applies the arguments to the item; the toolkit's status (0: done).
inline int setitem(toolkit::dialog_t& item, const ItemSet& a) {
  const auto opt = [](const auto& o) { return o ? &*o : nullptr; };
  const int edit = a.modify ? 1 : 0;
  int ups = 0;
  toolkit::SET_DIALOG_ITEM(
      item, opt(a.type), opt(a.options), a.title ? a.title->data() : nullptr,
      a.title ? static_cast<int>(a.title->size()) : 0, a.text ? a.text->data() : nullptr,
      a.text ? static_cast<int>(a.text->size()) : 0, opt(a.id), opt(a.value), opt(a.x), opt(a.y),
      opt(a.width), opt(a.height), a.list, a.proc, opt(a.font), opt(a.kind), opt(a.imax),
      opt(a.imin), opt(a.iinc), nullptr, nullptr, nullptr, nullptr, opt(a.r8), opt(a.r8max),
      opt(a.r8min), opt(a.r8inc), nullptr, 0, opt(a.brush), opt(a.textcolour), opt(a.icon),
      opt(a.bitmap), opt(a.winstyle), a.textvariable, a.textvariablelength, &edit, &ups);
  return ups;
}

}  // namespace ui
