// MODIFYITEM: one option of a dialog applied to the dialog being built.
#include <algorithm>
#include <cmath>
#include <string>

#include "core/chars.h"
#include "core/helpdata.h"
#include "core/messages.h"
#include "core/numwrite.h"
#include "core/rawmem.h"
#include "core/runwords.h"
#include "core/symbols.h"
#include "exec/builtins.h"
#include "exec/windowwords.h"
#include "platform/file_units.h"
#include "plot/backbrush.h"
#include "plot/fonthelpers.h"
#include "plot/fontslots.h"
#include "toolkit/bitmaps.h"
#include "toolkit/scrolling.h"
#include "toolkit/services.h"
#include "ui/bindings.h"
#include "ui/dialogs.h"
#include "ui/dialogwords.h"
#include "ui/dlgbuild.h"
#include "ui/itemset.h"
#include "ui/tables.h"

namespace ui {

namespace {

using build::item;

// Window-style bits the options add.
namespace ws {
inline constexpr std::uint32_t hscroll = 0x80;  // ES_AUTOHSCROLL
inline constexpr std::uint32_t multiline = 0x4;
inline constexpr std::uint32_t wantreturn = 0x1000;
inline constexpr std::uint32_t vscroll = 0x200000;
inline constexpr std::uint32_t hscrollbar = 0x100000;
inline constexpr std::uint32_t tabstop = 0x10000;
}  // namespace ws

constexpr std::uint32_t nonewgroup = 0x40000000;
constexpr std::uint32_t defaultbutton = 0x1;  // BS_DEFPUSHBUTTON
constexpr int helpfileunit = 6990;
constexpr std::uint32_t ownproc = 0x80;  // the procedure is the item's text procedure
constexpr std::uint32_t spinnerproc = 0x10080;

std::string trimmedtext() { return std::string(staged.text.trimmed()); }

std::int32_t rounded(double v) {
  if (!std::isfinite(v)) return 0;
  return static_cast<std::int32_t>(std::lround(std::clamp(v, -2147483647.0, 2147483647.0)));
}

// A size, place or count of the layout, held within what its arithmetic
// holds.
std::int32_t layout(double v) { return core::nearestwithin(v, core::layoutmost); }

// The option value as an item's integer value for a control of the kind.
std::int32_t intvalue(std::int32_t kind) {
  return build::clampedvalue(std::round(staged.value), kind);
}

bool numericbinding() {
  const std::int32_t b = staged.bindbits;
  return (b & 1) == 0 && ((b & 0xE) == 2 || (b & 0xE) == 8);
}
bool characterbinding() { return (staged.bindbits & 0xF) == 4 && staged.bind.bound(); }

// The value cell of the option's variable when it is a numeric scalar (the
// window's own variables are kept as cells); 0 otherwise.
std::int32_t scalarcell() {
  const std::int32_t cell = cellof(staged.bind);
  return cell > 0 && cell == staged.bind.sym ? cell : 0;
}

std::uint32_t winstylebits() { return builder.winstyle; }

// The slot's font, when it has one.
std::optional<win::HFONT> slotfont() {
  if (plot::fontslots.valid(plot::ifontslot) && plot::fontslots(plot::ifontslot).font != nullptr)
    return plot::fontslots(plot::ifontslot).font;
  return std::nullopt;
}

// A new item at the builder's position, with the common fields.
ItemSet newitem(int type) {
  ItemSet a;
  a.type = type;
  a.options = builder.style;
  a.id = staged.itemid;
  a.x = builder.x;
  a.y = builder.y;
  a.width = builder.defwidth;
  a.font = slotfont();
  if (builder.brush != nullptr) a.brush = builder.brush;
  if (builder.textcolour != 0) a.textcolour = builder.textcolour;
  return a;
}

void define(const ItemSet& a) {
  if (toolkit::dialog_t* it = item()) setitem(*it, a);
}

void modify(ItemSet a) {
  a.modify = true;
  define(a);
}

exec::ctlrec* cur() { return exec::ctlcur; }

// --- The control keywords ---------------------------------------------------

void text(bool dlgcall) {
  exec::ctlrec* c = cur();
  // An array element is not bound; a text shorter than an item's text is
  // written back by SETMEMORY, a longer one is kept in the control.
  if ((staged.bindbits & 0xE) == 8 && c != nullptr) c->ctlbind = {};
  const bool longtext = characterbinding() && staged.length >= 256;
  if (staged.tableformat <= 0 && !staged.paramref && longtext) {
    std::string t(staged.text.view());
    if (const std::span<char> v = charsof(staged.bind, staged.length); !v.empty())
      t.assign(v.data(), v.size());
    SET_DIALOG_ITEM_BUFFERED('T', t, staged.length);
    build::commonending(dlgcall, item() != nullptr ? item()->width : 0, false);
    return;
  }
  const std::string t = trimmedtext();
  std::int32_t width = builder.defwidth;
  if (staged.aligned) width = build::textunits(t);
  ItemSet a = newitem(toolkit::DLG_TEXT);
  if (!t.empty() && ((staged.bindbits & 0xE) == 8 || t.back() == '='))
    a.options = *a.options | toolkit::kOptionCentre;
  a.title = t;
  a.width = width;
  define(a);
  build::commonending(dlgcall, width, false);
}

void button(bool dlgcall) {
  exec::ctlrec* c = cur();
  if (c != nullptr) c->ctlkind |= ck::pushbutton;
  const std::string t = trimmedtext();
  ItemSet a = newitem(toolkit::DLG_PUSHBUTTON);
  a.proc = WINDLGCHPROC;
  a.kind = ownproc;
  a.title = t;
  static constexpr struct {
    char c;
    int icon;
  } icons[] = {{'!', 0x7F03}, {'i', 0x7F04}, {'?', 0x7F02}, {'X', 0x7F01}};
  std::string title;
  for (const auto& i : icons) {
    if (t.size() != 1 || t[0] != i.c) continue;
    int ups = 0;
    const win::HICON icon = toolkit::LOAD_ICON(nullptr, nullptr, 0, &i.icon, &ups);
    title = std::string("&") + i.c;
    a.title = title;
    if (icon != nullptr) a.icon = icon;
    a.height = 2 * builder.defheight + builder.space;
  }
  // "&OK" is the default button (the one Enter presses); in a window of
  // the help data, so is the button that answers 1 (the Find box's Find).
  if (t == "&OK" || (!dlgcall && c != nullptr && c->ctlident == 1))
    a.options = *a.options | toolkit::kOptionButtonBit1;
  std::string upper = t;
  std::transform(upper.begin(), upper.end(), upper.begin(),
                 [](char ch) { return ch >= 'a' && ch <= 'z' ? static_cast<char>(ch - 32) : ch; });
  bool image = false;
  std::int32_t width = builder.defwidth;
  if (upper.find(".BMP") != std::string::npos) {
    int ups = 0;
    const win::HBITMAP bmp =
        toolkit::LOAD_BITMAP(nullptr, 0, nullptr, t.data(), static_cast<int>(t.size()), nullptr,
                             nullptr, nullptr, nullptr, nullptr, nullptr, &ups);
    win::BITMAP info{};
    if (bmp != nullptr && win::GetObjectA(bmp, sizeof info, &info) != 0) {
      const build::Measures m = build::measures();
      a.bitmap = bmp;
      width = info.bmWidth * 4 / m.cw;
      a.width = width;
      a.height = info.bmHeight * 8 / m.ch;
      a.x = builder.x;
      a.y = builder.y;
      define(a);
      builder.x += width + builder.space - builder.defwidth;
      builder.y += *a.height + builder.space;
      image = true;
    }
  }
  if (!image) define(a);
  build::commonending(dlgcall, image ? width : builder.defwidth, image);
}

void edit(bool dlgcall) {
  exec::ctlrec* c = cur();
  if (c != nullptr) c->ctlkind = staged.bindbits + ck::edit;
  if (!dlgcall && builder.helpfile && staged.bindbits == 5 && !staged.paramref) {
    if (build::sectionedit()) return;
  }
  if (numericbinding()) {
    ItemSet a = newitem(toolkit::DLG_EDITBOX);
    a.proc = WINDLGR8PROC;
    a.kind = ownproc;
    a.r8 = staged.value;
    a.r8inc = 0.0;
    a.winstyle = winstylebits() + 2;
    std::array<char, 24> t{};
    core::WTSID8(t, staged.value, 0);
    const std::string s(std::string_view(t.data(), t.size())
                            .substr(0, static_cast<std::size_t>(core::C1LEN_TRIM(
                                           std::string_view(t.data(), t.size())))));
    const std::size_t lead = s.find_first_not_of(' ');
    const std::string shown = lead == std::string::npos ? std::string() : s.substr(lead);
    a.text = shown;
    define(a);
    build::commonending(dlgcall, builder.defwidth, false);
    return;
  }
  std::uint32_t winstyle = winstylebits();
  if (builder.defheight > 12) winstyle = (winstyle & ~ws::hscroll) | 4 | 0x40 | 0x10000;
  const bool longtext = characterbinding() && staged.length >= 256;
  if (characterbinding() && longtext && staged.tableformat <= 0 && !staged.paramref) {
    std::string t(staged.text.view());
    if (const std::span<char> v = charsof(staged.bind, staged.length); !v.empty())
      t.assign(v.data(), v.size());
    builder.winstyle = winstyle;
    SET_DIALOG_ITEM_BUFFERED('E', t, staged.length);
    build::commonending(dlgcall, builder.defwidth, false);
    return;
  }
  const std::string t = trimmedtext();
  ItemSet a = newitem(toolkit::DLG_EDITBOX);
  a.text = t;
  a.proc = WINDLGCHPROC;
  a.kind = ownproc;
  a.winstyle = winstyle;
  define(a);
  build::commonending(dlgcall, builder.defwidth, false);
}

void box(bool dlgcall, int type, std::int32_t bit) {
  exec::ctlrec* c = cur();
  if (c != nullptr) c->ctlkind = staged.bindbits + bit;
  ItemSet a = newitem(type);
  a.value = intvalue(bit);
  a.title = trimmedtext();
  a.proc = WINDLGR8PROC;
  a.winstyle = 0x10000;
  define(a);
  build::commonending(dlgcall, builder.defwidth, false);
}

void group(bool dlgcall) {
  ItemSet a = newitem(toolkit::DLG_GROUP);
  a.title = trimmedtext();
  define(a);
  builder.group = std::abs(builder.group) + 1;
  if (exec::ctlrec* c = cur()) c->ctlgroup = builder.group;
  builder.style |= nonewgroup;
  build::commonending(dlgcall, builder.defwidth, false);
}

void frame(bool dlgcall, int type) {
  ItemSet a = newitem(type);
  a.title = trimmedtext();
  define(a);
  build::commonending(dlgcall, builder.defwidth, false);
}

void bar(bool dlgcall, int type, std::int32_t bit) {
  exec::ctlrec* c = cur();
  if (c != nullptr) c->ctlkind = staged.bindbits + bit;
  if (bit == ck::progressbar) builder.style = 1;
  ItemSet a = newitem(type);
  a.options = builder.style;
  a.value = intvalue(bit);
  a.height = builder.defheight;
  a.proc = WINDLGR8PROC;
  a.imax = 100;
  a.imin = 0;
  a.r8max = 100.0;
  a.r8min = 0.0;
  if (bit == ck::trackbar) {
    a.height = builder.defheight * 7 / 8;
    a.iinc = 10;
    a.r8 = staged.value;
    a.winstyle = 0x800000 + 0x10000 + 1 + 0x100;
  } else {
    a.title = trimmedtext();
  }
  if (bit == ck::scrollbar) {
    a.iinc = 10;
    a.winstyle = builder.altwinstyle;
  }
  define(a);
  build::commonending(dlgcall, builder.defwidth, false);
}

// --- Options of the current item ----------------------------------------------

// The item that DEFault and FocuS name: the value's, else the current one.
toolkit::dialog_t* nameditem() {
  exec::wdwrec* w = exec::wdwcur;
  const std::int32_t n = rounded(staged.value);
  if (w != nullptr && n >= 1 && n <= builder.itemcount && w->dialogitems.valid(n))
    return &w->dialogitems(n);
  return item();
}

void line() {
  toolkit::dialog_t* it = item();
  if (it == nullptr) return;
  Builder& b = builder;
  exec::wdwrec* w = exec::wdwcur;
  if (b.itemcount >= 2 && w != nullptr && w->dialogitems.valid(b.itemcount - 1)) {
    const toolkit::dialog_t& before = w->dialogitems(b.itemcount - 1);
    const std::int32_t bottom = before.y + before.height;
    if (toolkit::low_type(before) != toolkit::DLG_TRACKBAR && bottom >= b.y) b.y = bottom;
  }
  std::int32_t n = layout(staged.value);
  std::int32_t y = it->y;
  if (staged.aligned && n != 0) {
    y = 8 * n + b.border;
  } else if (!staged.aligned) {
    const std::int32_t step = std::max(b.defheight + b.space, 1);
    if (n == 0) n = (b.y - b.border) / step + (b.space > 0 ? 1 : 0);
    y = n * step + b.border;
  }
  const std::int32_t x = toolkit::low_type(*it) == toolkit::DLG_GROUP
                             ? b.border
                             : b.border + b.space * std::min(b.group, 1);
  build::moveitem(*it, x, y);
  b.x = x + it->width + b.space;
  b.y = y;
}

void height(bool dlgcall, bool first) {
  toolkit::dialog_t* it = item();
  exec::ctlrec* c = cur();
  if (it == nullptr || staged.tableformat > 0) return;
  const build::Measures m = build::measures();
  const std::int32_t most = (8 * m.sh - m.cap - 2 * m.fh) / m.ch - it->y - 2 * builder.border;
  const std::int32_t h =
      std::clamp(build::sizeheight(staged.value, staged.aligned), 0, std::max(most, 0));
  builder.heightpixels = layout(staged.value * build::mainslotcellheight());
  it->height = h;
  const bool charedit = c != nullptr && (c->ctlkind & 0x24) == 0x24;
  if (!charedit) {
    builder.y += h;
    if (toolkit::low_type(*it) == toolkit::DLG_COMBOBOX) build::addstyle(*it, 0, 1);
    return;
  }
  std::uint32_t add = ws::vscroll | ws::multiline | ws::wantreturn;
  if ((it->window_style & ws::hscroll) != 0) add |= ws::hscrollbar;
  if (dlgcall || !first) add |= ws::tabstop;
  build::addstyle(*it, 0, add);
}

void wrap() {
  toolkit::dialog_t* it = item();
  exec::ctlrec* c = cur();
  if (it == nullptr) return;
  if (c != nullptr && (c->ctlkind & ck::pushbutton) != 0) {
    build::addstyle(*it, 0, 0x2000 | 0x300);
    return;
  }
  if (c == nullptr || (c->ctlkind & 0x24) != 0x24) {
    builder.style |= toolkit::kOptionGrey;
    build::addstyle(*it, toolkit::kOptionGrey, 0);
    return;
  }
  ItemSet a;
  std::uint32_t winstyle = it->window_style | ws::multiline | ws::wantreturn;
  if (!(staged.value == 0.0 && c->ctlbind.bound())) winstyle &= ~ws::hscroll;
  a.winstyle = winstyle;
  // Every "|" of the text becomes a line end.
  std::string t(it->text.trimmed());
  std::string out;
  for (std::size_t i = 0; i < t.size(); ++i) {
    if (t[i] == '|') {
      out += "\r\n";
      if (i + 1 < t.size() && (c->ctltext.empty() || t[i + 1] == ' ')) ++i;
    } else {
      out += t[i];
    }
  }
  a.text = out;
  a.options = it->style_options;
  modify(a);
}

void alignment(std::int32_t kw) {
  toolkit::dialog_t* it = item();
  if (it == nullptr) return;
  const int k = kw - dk("LeftAlign");
  if (toolkit::low_type(*it) == toolkit::DLG_EDITBOX) {
    static constexpr std::uint32_t editbits[5] = {0, 1, 2, 0x20, 0x800};
    std::uint32_t s = it->window_style;
    if (k <= 2) s &= ~3U;
    ItemSet a;
    a.winstyle = s | editbits[k];
    a.options = it->style_options &
                ~(toolkit::kOptionLeft | toolkit::kOptionCentre | toolkit::kOptionRight);
    modify(a);
    return;
  }
  static constexpr std::uint32_t optionbits[3] = {toolkit::kOptionLeft, toolkit::kOptionCentre,
                                                  toolkit::kOptionRight};
  if (k <= 2) build::addstyle(*it, optionbits[k], 0);
}

void styleoption(std::int32_t kw) {
  toolkit::dialog_t* it = item();
  if (it == nullptr) return;
  std::uint32_t bit = 0;
  toolkit::dialog_t* target = it;
  if (kw == dk("BLAck")) bit = 0x10000;
  if (kw == dk("WHIte")) bit = 0x20000;
  if (kw == dk("GRAY")) bit = 0x40000;
  if (kw == dk("EnAble")) bit = staged.value == 0.0 ? 0x1000000 : 0x2000000;
  if (kw == dk("SHOW")) bit = staged.value == 0.0 ? 0x4000000 : 0x8000000;
  if (kw == dk("DEFault")) {
    target = nameditem();
    if (toolkit::is_push_button(toolkit::low_type(*target))) {
      ItemSet a;
      a.winstyle = target->window_style | defaultbutton;
      a.modify = true;
      setitem(*target, a);
    }
    return;
  }
  if (kw == dk("FocuS")) {
    bit = toolkit::kOptionFocus;
    target = nameditem();
  }
  builder.style |= bit;
  ItemSet a;
  a.options = target->style_options | bit;
  std::uint32_t s = target->window_style;
  if (bit == 0x2000000) s &= ~win::WS_DISABLED;
  if (bit == 0x8000000) s |= win::WS_VISIBLE;
  a.winstyle = s;
  a.modify = true;
  setitem(*target, a);
}

void noclose() {
  exec::ctlrec* c = cur();
  toolkit::dialog_t* it = item();
  if (c == nullptr || it == nullptr) return;
  c->ctlkind |= ck::noclose;
  if (toolkit::low_type(*it) == toolkit::DLG_EDITBOX) {
    ItemSet a;
    a.options = it->style_options | toolkit::kOptionMultiline;
    a.winstyle = it->window_style | builder.winstyle;
    modify(a);
  }
}

void callback(std::int32_t& status) {
  exec::ctlrec* c = cur();
  const std::string name = trimmedtext();
  if (name.empty()) {
    if (c != nullptr) c->ctllink = 0;
    return;
  }
  const std::int32_t k = build::findroutine(name);
  if (k <= 0) return build::refuse(status, core::MSGKEY("dlgCallBack?"), name);
  if (c != nullptr) c->ctllink = k;
}

void jumpto() {
  std::array<char, 24> t{};
  core::WTSID8(t, staged.value, 0);
  const std::string_view v(t.data(), t.size());
  const std::size_t a = v.find_first_not_of(' ');
  const std::int32_t k = a == std::string_view::npos
                             ? 0
                             : build::findlabel(v.substr(a, v.find_last_not_of(' ') - a + 1));
  if (exec::ctlrec* c = cur()) c->ctljump = k;
}

void backcolour(std::int32_t& status) {
  const std::int32_t n = rounded(staged.value);
  if (n < 0 || n >= 32) {
    std::array<char, 24> t{};
    core::WTSID8(t, staged.value, 0);
    return build::refuse(status, core::MSGKEY("dlgBColIdx"), std::string_view(t.data(), t.size()));
  }
  const win::HBRUSH brush = plot::BACKBRUSH(n);
  if (builder.itemcount == 0) {
    builder.brush = brush;
    return;
  }
  if (toolkit::dialog_t* it = item()) {
    ItemSet a;
    a.brush = brush;
    a.modify = true;
    setitem(*it, a);
  }
  if (exec::wdwcur != nullptr) exec::wdwcur->background = n;
}

void forecolour() {
  const std::int32_t n = rounded(staged.value);
  const win::COLORREF colour = n >= 0 && n < 32 ? exec::rgbtab(n) : static_cast<win::COLORREF>(n);
  if (builder.itemcount == 0) {
    builder.textcolour = colour;
    return;
  }
  if (toolkit::dialog_t* it = item()) {
    ItemSet a;
    a.textcolour = colour;
    a.modify = true;
    setitem(*it, a);
  }
}

void font() {
  const std::string t = trimmedtext();
  if (t.find(',') != std::string::npos) {
    plot::SETFONTPTULBO(t, static_cast<std::int32_t>(t.size()), 6);
    plot::ifontslot = 6;
    return;
  }
  builder.facevar = staged.symbol;
  const std::int32_t s =
      plot::SETFONTPTROULBOITST(6, builder.facevar, builder.pointvar, 0, 0, 0, 0, 0);
  if (s > 0) plot::ifontslot = s;
}

// The help file of the dialog: list entries come from its chapters, links
// name it. It is read on unit 6990 until the statement ends.
void helpfile(std::int32_t& status) {
  const std::string name = trimmedtext();
  builder.helpname.set(name);
  plat::UnitMode mode;
  mode.status = plat::UnitStatus::old_file;
  mode.action = plat::UnitAction::read;
  mode.share = plat::UnitShare::denynone;
  mode.position = plat::UnitPosition::rewind;
  if (name.empty() || plat::open_unit(helpfileunit, name, mode) != plat::iostat_ok)
    return build::refuse(status, core::MSGKEY("dlgNoHF"), name);
  core::menuunit = helpfileunit;
  core::menufile.set(name);
  builder.helpfile = true;
}

}  // namespace

void MODIFYITEM(std::int32_t& status, bool dlgcall) {
  status = 0;
  const std::int32_t kw = staged.keyword;
  Builder& b = builder;
  exec::ctlrec* c = cur();
  const bool first = b.itemcount <= 1;
  if (kw > dk("ScrollBar") && b.itemcount == 0) {
    b.x = b.border;
    b.y = b.border;
  }
  toolkit::dialog_t* it = item();
  const std::int32_t ivalue = build::clampedvalue(staged.value, c != nullptr ? c->ctlkind : 0);
  const auto needitem = [&] { return it != nullptr; };

  if (kw == dk("Text") || kw == dk("Align")) return text(dlgcall);
  if (kw == dk("Button")) return button(dlgcall);
  if (kw == dk("Edit")) return edit(dlgcall);
  if (kw == dk("ListBox") || kw == dk("ComBobox")) {
    if (c != nullptr) c->ctlkind = staged.bindbits + ck::list;
    return MODIFYITEMLIST(status, dlgcall);
  }
  if (kw == dk("CHeckbox")) return box(dlgcall, toolkit::DLG_CHECKBOX, ck::checkbox);
  if (kw == dk("RADio")) return box(dlgcall, toolkit::DLG_RADIOBUTTON, ck::radio);
  if (kw == dk("Group")) return group(dlgcall);
  if (kw == dk("FRAMe")) return frame(dlgcall, toolkit::DLG_FRAME);
  if (kw == dk("REct")) return frame(dlgcall, toolkit::DLG_RECTANGLE);
  if (kw == dk("UpDown")) return bar(dlgcall, toolkit::DLG_UPDOWN, ck::updown);
  if (kw == dk("TrackBar")) return bar(dlgcall, toolkit::DLG_TRACKBAR, ck::trackbar);
  if (kw == dk("ProgressBar")) return bar(dlgcall, toolkit::DLG_PROGRESSBAR, ck::progressbar);
  if (kw == dk("ScrollBar")) return bar(dlgcall, toolkit::DLG_SCROLLBAR, ck::scrollbar);

  if (kw == dk("X")) {
    if (!needitem()) return;
    const std::int32_t x = build::columnx(staged.value, staged.aligned);
    build::moveitem(*it, x, it->y);
    b.x = x + b.defwidth + b.space;
  } else if (kw == dk("Y")) {
    if (!needitem()) return;
    const std::int32_t y = build::liney(staged.value, staged.aligned);
    build::moveitem(*it, it->x, y);
    b.y = y;
  } else if (kw == dk("Width")) {
    if (!needitem() || staged.tableformat > 0) return;
    const std::int32_t listwidth = c != nullptr && (c->ctlkind & ck::list) != 0 ? b.widestentry : 0;
    const std::int32_t w =
        std::min(build::sizewidth(staged.value, staged.aligned, listwidth), build::measures().sw);
    b.widthpixels = layout(staged.value * build::mainslotcellwidth());
    b.x = b.x - it->width + w + b.space;
    it->width = w;
  } else if (kw == dk("Height")) {
    height(dlgcall, first);
  } else if (kw == dk("Line")) {
    line();
  } else if (kw == dk("MAx")) {
    if (!needitem()) return;
    it->integer_max = ivalue;
    it->real8_max = staged.value;
  } else if (kw == dk("MIn")) {
    if (!needitem()) return;
    it->integer_min = ivalue;
    it->real8_min = staged.value;
  } else if (kw == dk("DNum")) {
    if (!needitem()) return;
    if (toolkit::low_type(*it) == toolkit::DLG_EDITBOX) {
      ItemSet a;
      a.kind = spinnerproc;
      a.proc = it->text_proc;
      a.r8inc = staged.value;
      a.modify = true;
      setitem(*it, a);
    } else {
      it->integer_increment = rounded(staged.value);
      it->real8_increment = staged.value;
    }
  } else if (kw == dk("SelTxt")) {
    if (c != nullptr && (staged.bindbits & 0xF) == 4 && staged.bind.bound()) {
      c->ctlseltext = staged.bind;
      c->ctlselend = staged.length;
    }
  } else if (kw == dk("SelIdx")) {
    if (c != nullptr && numericbinding() && staged.bind.bound()) {
      c->ctlselidx = staged.bind;
      if (it != nullptr) it->integer_value = rounded(staged.value);
    }
  } else if (kw == dk("GroupEnd")) {
    if (it != nullptr) build::addstyle(*it, b.style, 0);
    b.group -= 1;
    b.style &= ~nonewgroup;
  } else if (kw == dk("Vertical")) {
    if (c == nullptr || it == nullptr) return;
    std::uint32_t bit = 0;
    if ((c->ctlkind & ck::scrollbar) != 0) bit = 1;
    if ((c->ctlkind & ck::progressbar) != 0) bit = 4;
    if ((c->ctlkind & ck::trackbar) != 0) bit = 2;
    if (bit != 0) build::addstyle(*it, 0, bit);
  } else if (kw == dk("SOrt")) {
    if (it == nullptr || staged.value <= 0.0) return;
    if (toolkit::low_type(*it) == toolkit::DLG_LISTBOX) build::addstyle(*it, 0, 2);
    if (toolkit::low_type(*it) == toolkit::DLG_COMBOBOX) build::addstyle(*it, 0, 0x100);
  } else if (kw == dk("CALLback")) {
    callback(status);
  } else if (kw >= dk("LeftAlign") && kw <= dk("ReadOnly")) {
    alignment(kw);
  } else if (kw >= dk("BLAck") && kw <= dk("FocuS")) {
    if (kw == dk("WRap"))
      wrap();
    else
      styleoption(kw);
  } else if (kw == dk("NoClose")) {
    noclose();
  } else if (kw == dk("SetMemory")) {
    b.memx = b.x;
    b.memy = b.y;
  } else if (kw == dk("XMemoryadd")) {
    if (!needitem()) return;
    const std::int32_t x =
        b.memx +
        (staged.aligned ? layout(4 * staged.value) : layout(staged.value * (b.defwidth + b.space)));
    build::moveitem(*it, x, it->y);
    b.x = x + b.defwidth + b.space;
  } else if (kw == dk("YMemoryadd")) {
    if (!needitem()) return;
    const std::int32_t y =
        b.memy + (staged.aligned ? layout(8 * staged.value)
                                 : layout(staged.value * (b.defheight + b.space)));
    build::moveitem(*it, it->x, y);
  } else if (kw == dk("IDentification")) {
    if (scalarcell() > 0 && it != nullptr) core::SETZTOR8(scalarcell(), it->id % labelbase);
  } else if (kw == dk("Jumpto")) {
    jumpto();
  } else if (kw == dk("ROW") || kw == dk("COL")) {
    if (exec::wdwrec* w = exec::wdwcur; w != nullptr && scalarcell() > 0) {
      (kw == dk("ROW") ? w->rowvar : w->colvar) = scalarcell();
      SETMXFOCUS();
    }
  } else if (kw == dk("ZeroBlank")) {
    if (exec::wdwcur != nullptr) exec::wdwcur->kind |= exec::kind::zeroblank;
  } else if (kw == dk("TItle")) {
    std::string t(staged.text.view());
    for (char& ch : t)
      if (static_cast<unsigned char>(ch) < ' ') ch = '.';
    b.title.set(t);
  } else if (kw == dk("ReturnCode")) {
    if (numericbinding()) b.returnvar = scalarcell();
  } else if (kw == dk("SEParators")) {
    const std::string_view t = staged.text.view();
    if (!staged.text.is_blank())
      for (std::size_t i = 0; i < b.syntax.size(); ++i) b.syntax[i] = t[i];
  } else if (kw == dk("KiLl")) {
    if (b.itemcount == 0 && (exec::inkill & 1) == 0) {
      const win::HWND h = handleof(staged.value);
      if (h != nullptr && !exec::ismainwindow(h)) exec::KILLWINDOW(h, -1);
    }
  } else if (kw == dk("UPDAte")) {
    b.update = true;
  } else if (kw == dk("HelpFile")) {
    helpfile(status);
  } else if (kw == dk("DefHeight")) {
    b.defheight = layout(staged.value);
  } else if (kw == dk("BORder")) {
    b.border = layout(staged.value);
    if (b.itemcount == 0) b.x = b.y = b.border;
  } else if (kw == dk("SPace")) {
    b.space = layout(staged.value);
  } else if (kw == dk("DefWidth")) {
    b.defwidth = layout(staged.value);
  } else if (kw == dk("FONt")) {
    font();
  } else if (kw == dk("PoinT")) {
    b.pointvar = staged.symbol;  // an option slot of the font helpers
  } else if (kw == dk("CHIld")) {
    if (exec::wdwcur != nullptr) exec::wdwcur->kind |= exec::kind::child;
    b.dialogstyle = (b.dialogstyle & ~0x80000000u) | 0x40000000u;
  } else if (kw == dk("FixedFont")) {
    const plot::FontSlot& f4 = plot::fontslots(4);
    plot::SETFONT(6, f4.face.trimmed(), f4.points, 0.0F, f4.underline, f4.weight, f4.italic);
    plot::ifontslot = 6;
  } else if (kw == dk("BaCkcolor")) {
    backcolour(status);
  } else if (kw == dk("ForeColor")) {
    forecolour();
  } else if (kw == dk("X0") || kw == dk("Y0")) {
    const bool isx = kw == dk("X0");
    (isx ? b.x0var : b.y0var) = scalarcell();
    const double v = staged.value;
    const exec::wdwrec* mainw = exec::wdwhead;
    const std::int32_t client =
        mainw == nullptr ? 0 : (isx ? mainw->clientwidth : mainw->clientheight);
    const std::int32_t px =
        v > 0.0 && v <= 1.0
            ? static_cast<std::int32_t>(v * client)
            : layout(v * (isx ? build::mainslotcellwidth() : build::mainslotcellheight()));
    (isx ? b.x0 : b.y0) = px;
  } else if (kw == dk("WINdowhandle")) {
    b.handlevar = scalarcell();
    b.modeless = true;
  } else if (kw == dk("Owner")) {
    const win::HWND h = handleof(staged.value);
    if (h != nullptr && toolkit::IS_WINDOW_VALID(h) != 0) {
      b.owner = h;
      if (exec::wdwcur != nullptr) exec::wdwcur->owner = h;
    }
  } else if (kw == dk("CHanGed")) {
    b.changedvar = scalarcell();
    if (b.changedvar > 0) core::SETZTOR8(b.changedvar, 0.0);
  }
}

}  // namespace ui
