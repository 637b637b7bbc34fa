#include "ui/childtools.h"

#include <algorithm>

#include "core/chars.h"
#include "core/runwords.h"
#include "core/stores.h"
#include "core/symbols.h"
#include "toolkit/bitmaps.h"
#include "toolkit/toolbar.h"
#include "ui/childmenus.h"
#include "ui/childwords.h"

namespace ui {

namespace {

constexpr std::int32_t gapstyle = 1;
constexpr std::int32_t wrapstate = 0x20;
// ToolTypes bits.
constexpr std::int32_t checkbit = 2;
constexpr std::int32_t groupbit = 4;
constexpr std::int32_t radio = checkbit | groupbit;
constexpr std::int32_t pressedbit = 32;

// The cells of the state array as a run of numbers.
struct StateArray {
  Numbers n;
  std::int32_t get(std::int32_t i) const { return nint(n.at(i)); }
  void set(std::int32_t i, std::int32_t v) const {
    const std::int32_t cell = n.first + i - 1;
    if (core::z.valid(cell)) core::z(cell) = v;
  }
};

// Clears the pressed bit from element `from` on in steps of `step` until
// the array ends or an element is neither a check nor a group button.
void SETZ_INTERNAL(const StateArray& a, std::int32_t from, std::int32_t step) {
  for (std::int32_t i = from; i >= 1 && i <= a.n.count; i += step) {
    const std::int32_t v = a.get(i);
    if ((v & (checkbit | groupbit)) == 0) return;
    a.set(i, v & ~pressedbit);
  }
}

void toolpressed(std::int32_t n) {
  const exec::wdwrec* r = exec::wdwcur;
  if (r == nullptr || r->toolstatevar <= 0) return;
  const StateArray a{numbersof(r->toolstatevar)};
  if (!a.n.array || n < 1 || n > a.n.count) return;
  const std::int32_t v = a.get(n);
  if ((v & radio) == radio) {
    SETZ_INTERNAL(a, n, 1);
    SETZ_INTERNAL(a, n, -1);
    a.set(n, a.get(n) | pressedbit);
  } else if ((v & (checkbit | pressedbit)) != 0) {
    a.set(n, v ^ pressedbit);
  }
}

void menuchosen(std::int32_t n) {
  exec::wdwrec* main = exec::wdwhead;
  exec::wdwrec* r = exec::wdwcur != nullptr ? exec::wdwcur : main;
  if (r == nullptr || main == nullptr) return;
  if (popuppending != 0) {
    // The item of the popup menu, which lives in the main window's record.
    popuppending = 0;
    r = main;
  } else if (r->menustatevar <= 0) {
    return;
  }
  const toolkit::menu_item_t* it = menuitem(*r, n);
  if (it == nullptr || it->command != static_cast<win::UINT_PTR>(childmenuid + n)) return;
  const std::string_view title = it->title.view();
  const std::size_t a = title.find_first_not_of(' ');
  const std::string_view shown = a == std::string_view::npos ? std::string_view() : title.substr(a);
  if (r->menustatevar > 0)
    core::STRITOC1NAMEN(r->menustatevar, shown, static_cast<std::int32_t>(shown.size()));
}

}  // namespace

bool splittools(std::string_view text, ToolText& out) {
  out = ToolText{};
  while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
  if (text.empty()) return false;
  char sep = text.back();
  text.remove_suffix(1);
  if (core::is_namechar(sep)) sep = '|';
  const std::size_t first = text.find(sep);
  if (first == std::string_view::npos) return false;
  out.file = std::string(text.substr(0, first));
  // Each separator starts an entry that the next one, or the text's end,
  // closes.
  for (std::size_t p = first; p != std::string_view::npos;) {
    const std::size_t next = text.find(sep, p + 1);
    const std::string_view e =
        text.substr(p + 1, (next == std::string_view::npos ? text.size() : next) - p - 1);
    out.entries.emplace_back(e);
    if (!e.empty()) ++out.buttons;
    p = next;
  }
  return true;
}

ToolLook STATE_STYLE_INTERNAL(std::int32_t v) {
  ToolLook l;
  l.style = v & radio;
  l.state = 4 - 4 * (v & 1) + ((v & 8) != 0 ? 0x20 : 0) + ((v & 16) != 0 ? 0x01 : 0) +
            ((v & 32) != 0 ? 0x02 : 0) + ((v & 64) != 0 ? 0x08 : 0);
  return l;
}

std::string_view CHILDTOOLS(exec::wdwrec& record, std::int32_t toolsym, std::int32_t typessym,
                            std::int32_t& buttonwidth, std::int32_t& toolheight,
                            std::int32_t& entries) {
  buttonwidth = toolheight = entries = 0;
  std::string text;
  operandtext(toolsym, text);
  ToolText t;
  const bool separated = splittools(text, t);
  win::HBITMAP strip = nullptr;
  if (separated) {
    int ups = 0;
    strip =
        toolkit::LOAD_BITMAP(nullptr, 0, nullptr, t.file.data(), static_cast<int>(t.file.size()),
                             nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &ups);
    if (strip == nullptr || ups != 0) return childkeys::bitmap;
  }
  if (t.buttons < 1 || t.entries.empty()) {
    if (strip != nullptr) {
      int ups = 0;
      toolkit::DELETE_OBJECT(strip, &ups);
    }
    return childkeys::tool;
  }
  win::BITMAP bm{};
  win::GetObjectA(strip, sizeof bm, &bm);
  const Numbers types = numbersof(typessym);
  record.toolstatevar = types.array ? typessym : 0;
  record.toolitems.clear();
  record.toolitems.resize(t.entries.size());
  if (record.toolbitmap.marker == toolkit::kMarker &&
      record.toolbitmap.bitmap != toolkit::tool_bitmap_t::absent_bitmap()) {
    int ups = 0;
    toolkit::DELETE_OBJECT(record.toolbitmap.bitmap, &ups);
  }
  int ups = 0;
  toolkit::SET_TOOL_BITMAP_ITEM(record.toolbitmap, nullptr, 0, nullptr, &strip, &t.buttons, &ups);
  buttonwidth = bm.bmWidth / t.buttons;
  toolheight = bm.bmHeight;
  ToolLook look = types.count > 0 ? STATE_STYLE_INTERNAL(nint(types.at(1))) : ToolLook{};
  std::int32_t b = 0;
  for (std::size_t e = 0; e < t.entries.size(); ++e) {
    toolkit::toolbar_item_t& item = record.toolitems(static_cast<long long>(e) + 1);
    const std::string& tip = t.entries[e];
    if (tip.empty()) {
      toolkit::SET_TOOLBAR_ITEM(item, nullptr, nullptr, nullptr, &gapstyle, nullptr, nullptr, 0,
                                &ups);
      continue;
    }
    ++b;
    // Past the array's end a button keeps the look of the last element.
    if (types.array && b <= types.count) look = STATE_STYLE_INTERNAL(nint(types.at(b)));
    if ((look.state & wrapstate) != 0) toolheight += bm.bmHeight;
    // Buttons past the ones the window list takes send nothing.
    const std::int32_t command = b <= mosttoolbuttons ? toolcmdbase + b : 0;
    toolkit::SET_TOOLBAR_ITEM(item, &record.toolbitmap, &b, &command, &look.style, &look.state,
                              tip.data(), static_cast<int>(tip.size()), &ups);
  }
  entries = static_cast<std::int32_t>(t.entries.size());
  return {};
}

void STATE_STYLE_EXTERNAL(std::int32_t item) {
  if (core::idecmd < childmenuid)
    toolpressed(item);
  else
    menuchosen(item);
}

}  // namespace ui
