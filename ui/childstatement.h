// What the parts of the WINDOW statement share while one statement runs:
// its option slots, the statement's state, and the steps that make and
// change the window through the toolkit. Only the statement's own files
// include it.
#pragma once

#include <algorithm>
#include <string>
#include <string_view>

#include "core/runwords.h"
#include "core/shoplists.h"
#include "core/stores.h"
#include "exec/optdispatch.h"
#include "exec/windowlist.h"
#include "exec/windowwords.h"
#include "plot/fontslots.h"
#include "toolkit/mouse.h"
#include "ui/childwords.h"

namespace ui::childstmt {

using core::OptStmt;
consteval std::int32_t kw(std::string_view k) { return core::optkwnr(OptStmt::WINDOW, k); }

constexpr std::int32_t mostkeyword = kw("HIDE");
constexpr std::int32_t titlelength = 96;
constexpr std::int32_t defaultstyle = 0x000F0000;
constexpr std::int32_t stylemaximised = 0x01000000;
constexpr std::int32_t styleminimised = 0x20000000;
constexpr std::int32_t stylenocycle = 0x08000000;
constexpr double mostbackcolour = 31.25;
constexpr double defaultbackcolour = 15.0;
constexpr std::int32_t textslot = 4;
constexpr std::int32_t graphicsslot = 5;
constexpr std::int32_t placeslot = 2;
constexpr std::int32_t showmaximised = 3;
constexpr std::int32_t showminimised = 6;
constexpr std::int32_t showrenamed = 5;
constexpr std::int32_t hidden = 0;
constexpr std::int32_t minimisedshow = 2;
// The mouse events the window list takes: left and right presses and
// releases, and the rubber rectangle.
constexpr int mousemask = toolkit::kLeftDown | toolkit::kLeftUp | toolkit::kRightDown |
                          toolkit::kRightUp | toolkit::kLeftRubberRect;
constexpr std::int32_t onetoone = 3;
constexpr std::int32_t printend = 0x8;
constexpr std::int32_t printnow = -2;
constexpr std::int32_t runningwhole = core::runmode::running;

inline std::int32_t slot(std::int32_t k) { return exec::optval.valid(k) ? exec::optval(k) : 0; }
inline bool present(std::int32_t k) { return slot(k) != 0; }
// Given with a value.
inline bool valued(std::int32_t k) { return slot(k) > 0 && core::z.valid(slot(k)); }
inline double value(std::int32_t k) { return valued(k) ? core::z(slot(k)) : 0.0; }
// A variable of the script (not a temporary of the statement).
inline std::int32_t variableof(std::int32_t k) {
  return slot(k) > 0 && slot(k) < core::iresult ? slot(k) : 0;
}

inline std::string textof(std::int32_t k) {
  std::string t;
  operandtext(slot(k), t);
  const std::size_t e = t.find_last_not_of(' ');
  return e == std::string::npos ? std::string() : t.substr(0, e + 1);
}

inline const plot::FontSlot& font(std::int32_t s) {
  return plot::fontslots(plot::fontslots.valid(s) ? s : 1);
}
inline std::int32_t cellwidth(std::int32_t s) {
  return std::max<std::int32_t>(1, font(s).cellwidth);
}
inline std::int32_t cellheight(std::int32_t s) {
  return std::max<std::int32_t>(1, font(s).cellheight);
}

inline std::int32_t metric(int m) { return exec::sysmetrics(m); }

// The record of a window the list holds; null for none.
inline exec::wdwrec* recordof(win::HWND h) {
  if (h == nullptr) return nullptr;
  for (exec::wdwrec* r = exec::wdwhead; r != nullptr; r = r->next)
    if (r->window == h) return r;
  return nullptr;
}

inline bool ischild(const exec::wdwrec* r) { return r != nullptr && r != exec::wdwhead; }

inline bool isfileview(const exec::wdwrec& r) { return (r.kind & exec::kind::editorstyle) != 0; }

// The whole statement's state.
struct Statement {
  exec::wdwrec* entry = nullptr;   // current on entry, current again at the end
  exec::wdwrec* target = nullptr;  // the window acted on
  bool isnew = false;
  std::int32_t options = 0;
  std::int32_t slotnow = 1;  // the current font slot
  win::COLORREF fore = 0;
  double back = defaultbackcolour;
  std::int32_t usablewidth = 0, usableheight = 0;
  bool vscrollcounted = false;
  std::int32_t show = 1;
  bool showgiven = false;
  std::string title;
  // The toolbar built by this statement.
  bool toolbar = false;
  std::int32_t buttonwidth = 0, toolheight = 0, entries = 0;
  bool menubuilt = false;
  // The bitmap LoaD drew from.
  win::HBITMAP loaded = nullptr;
  std::int32_t loadedwidth = 0, loadedheight = 0;
  std::int32_t width = 0, height = 0, x = 0, y = 0;
  std::int32_t style = defaultstyle;
};

// The steps through the toolkit (childmake.cpp).
// The backing bitmap made anew at the size, the old picture drawn into it.
void fitbitmap(exec::wdwrec& r, std::int32_t width, std::int32_t height);
// Writes the window's picture as a BMP file; false when it could not.
bool saveas(const exec::wdwrec& r, const std::string& file);
// An existing window gets its new place, size, colour and font.
void redefine(Statement& s);
// Makes the new window. False when the toolkit could not.
bool create(Statement& s);
// What a built toolbar or menu, the mouse and a loaded picture need of the
// window once it is there.
void attach(Statement& s);
// FONt (a face, or none to choose one) and GraphicsFont.
void fonts(Statement& s);
void margins(Statement& s);
// Up and Left shift the picture.
void shifts(Statement& s);

}  // namespace ui::childstmt
