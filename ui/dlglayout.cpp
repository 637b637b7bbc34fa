// The builder's layout rules, the common ending of a control keyword, and
// the placing of a new control: its window record and control record.
#include <algorithm>
#include <cmath>
#include <string>

#include "core/messages.h"
#include "core/rawmem.h"
#include "core/runwords.h"
#include "core/symbols.h"
#include "exec/windowwords.h"
#include "platform/win_dialog.h"
#include "platform/win_gdi.h"
#include "plot/fontslots.h"
#include "ui/dialogs.h"
#include "ui/dialogwords.h"
#include "ui/dlgbuild.h"
#include "ui/itemset.h"

namespace ui::build {

namespace {

// Places and sizes, held within what the layout's arithmetic holds.
std::int32_t rounded(double v) {
  if (!std::isfinite(v)) return 0;
  return core::nearestwithin(v, core::layoutmost);
}
std::int32_t truncated(double v) {
  if (!std::isfinite(v)) return 0;
  return core::nearestwithin(std::trunc(v), core::layoutmost);
}

std::int32_t metric(int k, std::int32_t fallback) {
  const std::int32_t v = exec::sysmetrics(k);
  return v > 0 ? v : fallback;
}

}  // namespace

toolkit::dialog_t* item() {
  exec::wdwrec* w = exec::wdwcur;
  if (w == nullptr || builder.itemcount < 1 || !w->dialogitems.valid(builder.itemcount))
    return nullptr;
  return &w->dialogitems(builder.itemcount);
}

exec::ctlrec* control() { return exec::ctlcur; }

Measures measures() {
  Measures m;
  if (plot::fontslots.valid(plot::ifontslot)) {
    const plot::FontSlot& f = plot::fontslots(plot::ifontslot);
    if (f.cellwidth > 0) m.cw = f.cellwidth;
    if (f.cellheight > 0) m.ch = f.cellheight;
  }
  m.sw = metric(exec::metric::screenwidth, m.sw);
  m.sh = metric(exec::metric::screenheight, m.sh);
  m.fw = metric(exec::metric::framewidth, m.fw);
  m.fh = metric(exec::metric::frameheight, m.fh);
  m.cap = metric(exec::metric::caption, m.cap);
  return m;
}

std::int32_t mainslotcellwidth() {
  const std::int32_t w = plot::fontslots(2).cellwidth;
  return w > 0 ? w : 8;
}
std::int32_t mainslotcellheight() {
  const std::int32_t h = plot::fontslots(2).cellheight;
  return h > 0 ? h : 16;
}

win::SIZE baseunits(win::HFONT font) {
  if (font == nullptr) {
    const win::LONG both = win::GetDialogBaseUnits();
    return {std::max<win::LONG>(win::LOWORD(both), 1), std::max<win::LONG>(win::HIWORD(both), 1)};
  }
  static constexpr char letters[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";
  win::HDC dc = win::GetDC(nullptr);
  const win::HGDIOBJ old = win::SelectObject(dc, font);
  win::SIZE size{};
  win::GetTextExtentPoint32A(dc, letters, 52, &size);
  win::TEXTMETRICA tm{};
  win::GetTextMetricsA(dc, &tm);
  win::SelectObject(dc, old);
  win::ReleaseDC(nullptr, dc);
  return {std::max<win::LONG>((size.cx + 26) / 52, 1), std::max<win::LONG>(tm.tmHeight, 1)};
}

std::int32_t textunits(std::string_view text) {
  const std::size_t end = text.find_last_not_of(' ');
  const std::string_view t =
      end == std::string_view::npos ? std::string_view{} : text.substr(0, end + 1);
  const win::HFONT font =
      plot::fontslots.valid(plot::ifontslot) ? plot::fontslots(plot::ifontslot).font : nullptr;
  win::HDC dc = win::GetDC(nullptr);
  const win::HGDIOBJ old = font != nullptr ? win::SelectObject(dc, font) : nullptr;
  win::SIZE size{};
  win::GetTextExtentPoint32A(dc, t.data(), static_cast<int>(t.size()), &size);
  if (old != nullptr) win::SelectObject(dc, old);
  win::ReleaseDC(nullptr, dc);
  // Four units to the average letter, rounded up: the label's pixels,
  // which the dialog manager rounds down, still hold the whole text.
  const std::int64_t cw = baseunits(font).cx;
  return static_cast<std::int32_t>((std::int64_t{size.cx} * 4 + cw - 1) / cw);
}

std::int32_t columnx(double v, bool aligned) {
  const Measures m = measures();
  const Builder& b = builder;
  std::int32_t x = 0;
  if (aligned)
    x = rounded(4.0 * v) + b.border;
  else if (v > 0.9999)
    x = b.border + rounded(v * (b.defwidth + b.space));
  else
    x = b.border + rounded(4.0 * v * m.sw / m.cw);
  return std::clamp(x, 0, 4 * m.sw / m.cw);
}

std::int32_t liney(double v, bool aligned) {
  const Measures m = measures();
  const Builder& b = builder;
  std::int32_t y = 0;
  if (aligned)
    y = rounded(8.0 * v) + b.border;
  else if (v > 0.9999)
    y = b.border + b.space + rounded(v * b.defheight);
  else
    y = b.border + rounded(8.0 * v * m.sh / m.ch);
  return std::clamp(y, 0, 8 * m.sh / m.ch);
}

std::int32_t sizewidth(double v, bool aligned, std::int32_t listwidth) {
  const Measures m = measures();
  const Builder& b = builder;
  if (v == 0.0) v = listwidth > 0 ? std::max(1, listwidth / std::max(b.defwidth, 1)) : 1;
  if (aligned || v < 0) return rounded(4.0 * std::abs(v));
  if (v >= 0.9999) return rounded(v * b.defwidth + (v - 1) * b.space);
  return truncated(v * ((m.sw - 2 * m.fw) * 4 / m.cw - 2 * b.border));
}

std::int32_t sizeheight(double v, bool aligned) {
  const Measures m = measures();
  const Builder& b = builder;
  if (v == 0.0) v = 1;
  if (aligned || v < 0) return rounded(8.0 * std::abs(v));
  if (v >= 0.9999) return rounded(v * b.defheight + (v - 1) * b.space);
  return truncated(v * ((m.sh - 2 * m.fh) * 8 / m.ch));
}

std::int32_t clampedvalue(double v, std::int32_t ctlkind) {
  double lo = -2147483647.0, hi = 2147483647.0;
  if ((ctlkind & (ck::updown | ck::progressbar)) != 0) {
    lo = 0.0;
    hi = 32767.0;
  } else if ((ctlkind & ck::trackbar) != 0) {
    lo = -32767.0;
    hi = 32767.0;
  } else if ((ctlkind & ck::scrollbar) != 0) {
    lo = 0.0;
    hi = 65535.0;
  }
  if (std::isnan(v)) return 0;
  return static_cast<std::int32_t>(std::trunc(std::clamp(v, lo, hi)));
}

void addstyle(toolkit::dialog_t& item, std::uint32_t options, std::uint32_t winstyle) {
  ItemSet a;
  a.options = item.style_options | options;
  a.winstyle = item.window_style | winstyle;
  a.modify = true;
  setitem(item, a);
}

void moveitem(toolkit::dialog_t& item, std::int32_t x, std::int32_t y, std::int32_t width) {
  item.x = x;
  item.y = y;
  if (width >= 0) item.width = width;
}

void commonending(bool dlgcall, std::int32_t width, bool image) {
  toolkit::dialog_t* it = item();
  Builder& b = builder;
  if (staged.keyword == dk("Text")) {
    // A text in character columns takes four units a character, or what
    // its letters take when that is more (capitals are wider than the
    // average letter): it is never cut.
    if (!staged.aligned)
      width = b.defwidth;
    else if (staged.labeloffset <= 0)
      // Four units a character, or as wide as the font draws the text
      // when that is wider: no label is clipped.
      width = std::max({width, 4 * staged.length - (dlgcall ? 1 : 0),
                        textunits(staged.text.view().substr(
                            0, static_cast<std::size_t>(std::clamp(staged.length, 0, 256))))});
  } else if (width <= 0) {
    width = staged.length < 0 ? -4 * staged.length : b.defwidth;
  }
  if (it != nullptr && !image) moveitem(*it, b.x, b.y, width);
  if (!(staged.aligned && dlgcall && !staged.paramref)) b.x += width + b.space;
  staged.aligned = false;
}

void refuse(std::int32_t& status, std::string_view key, std::string_view detail) {
  core::msgkey.set(key);
  core::failedline.set(detail);
  status = statusrefused;
}

namespace {

// FINDSN of the name in capitals, the local scope switched off.
std::int32_t findglobal(std::string_view name, std::int32_t type) {
  std::string n(name);
  const std::size_t end = n.find_last_not_of(' ');
  n.resize(end == std::string::npos ? 0 : end + 1);
  const std::size_t begin = n.find_first_not_of(' ');
  n.erase(0, begin == std::string::npos ? n.size() : begin);
  if (n.empty()) return 0;
  std::transform(n.begin(), n.end(), n.begin(),
                 [](char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 32) : c; });
  const std::int32_t kept = core::lokalscope;
  core::lokalscope = 0;
  std::int32_t k = 0;
  const bool found = core::FINDSN(n, k, type);
  core::lokalscope = kept;
  return found ? k : 0;
}

constexpr std::int32_t typelabel = 2;
constexpr std::int32_t typesubroutine = 4;

}  // namespace

std::int32_t findroutine(std::string_view name) {
  const std::int32_t k = findglobal(name, typesubroutine);
  return k > 0 ? k : findglobal(name, typelabel);
}

std::int32_t findlabel(std::string_view name) { return findglobal(name, typelabel); }

}  // namespace ui::build

namespace ui {

namespace {

constexpr std::size_t linkbuffer = 188;
constexpr std::size_t linktarget = 92;
constexpr std::string_view linkschemes[] = {"http:", "shell:", "mailto:"};

// The link of a control whose builder number is negative: -1 the whole
// text when it begins with a scheme; -k the text from position k, moved
// back over a scheme right before it, up to the link end character. Empty
// when the text is no link.
std::string linkof(std::string_view text, std::int32_t number) {
  const std::size_t end = text.find_last_not_of(' ');
  text = text.substr(0, end == std::string_view::npos ? 0 : end + 1);
  if (number == -1) {
    for (std::string_view s : linkschemes)
      if (text.starts_with(s)) return std::string(text);
    return {};
  }
  std::size_t k = static_cast<std::size_t>(-number) - 1;
  if (k >= text.size()) return {};
  std::size_t prefix = 0;
  for (std::string_view s : linkschemes)
    if (k >= s.size() && text.substr(k - s.size(), s.size()) == s) {
      prefix = s.size();
      break;
    }
  const std::size_t stop = text.find(builder.syntax[1], k);
  const std::size_t length = (stop == std::string_view::npos ? text.size() : stop) - k;
  return std::string(text.substr(k - prefix, prefix + length));
}

}  // namespace

void SETDLGWINDOW_ITEM(std::int32_t& status) {
  status = 0;
  const std::int32_t kw = staged.keyword;
  if (kw < dk("Text") || kw > dk("ScrollBar")) return;
  Builder& b = builder;
  exec::wdwrec* w = exec::wdwcur;
  if (b.itemcount == 0) {
    b.previous = nullptr;
    exec::NEWWINDOW(status, nullptr, b.planned, plot::ifontslot);
    // A record that another dialog still shows cannot take this one.
    if (status > 0 && exec::wdwcur != nullptr && exec::wdwcur->window != nullptr) return;
    status = 0;
    w = exec::wdwcur;
    if (w == nullptr) return;
    b.pointvar = 0;
    b.facevar = 0;
  } else if (w == nullptr || b.itemcount >= w->dialogitems.size()) {
    status = statusfull;
    return;
  }
  auto* c = new exec::ctlrec;
  if (b.previous != nullptr) {
    c->ctllink = b.previous->ctllink;
    b.previous->ctlnext = c;
  } else {
    freecontrols(*w);
    w->firstcontrol = c;
  }
  b.previous = c;
  exec::ctlcur = c;
  // An id counted before a table placed its items would be one of theirs
  // (a script's button would act as the table's More button): the item
  // takes the id of its own place.
  if (staged.itemid > idbase && staged.itemid <= idbase + b.itemcount)
    staged.itemid = idbase + b.itemcount + 1;
  ++b.itemcount;

  std::int32_t number = staged.number;
  if (number < 0) {
    const std::string link = linkof(staged.text.view(), number);
    if (!link.empty()) {
      c->ctltext.assign(linkbuffer, ' ');
      std::copy_n(link.begin(), std::min(link.size(), linktarget), c->ctltext.begin());
      const std::string_view help = b.helpname.view();
      std::copy_n(help.begin(), std::min(help.size(), linkbuffer - linktarget),
                  c->ctltext.begin() + linktarget);
      if (number == -1) c->ctllink = 1;
    } else {
      number = 0;
    }
  }
  c->ctlkind = staged.bindbits;
  c->ctlid = staged.itemid;
  c->ctlident = number > 0 ? number : staged.itemid;
  c->ctlbind = staged.bind;
  c->ctllen = staged.length;
  c->ctljump = staged.jump;
  staged.jump = 0;
  c->ctlgroup = b.group;
  b.style &= 0x40000000;
  b.winstyle = 0x800000 + 0x10000 + 0x80;
  b.altwinstyle = 0x10000;
}

}  // namespace ui
