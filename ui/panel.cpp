#include "ui/panel.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <string>
#include <vector>

#include "core/messages.h"
#include "core/numwrite.h"
#include "core/runwords.h"
#include "core/stores.h"
#include "core/symbols.h"
#include "exec/appendix.h"
#include "exec/builtins.h"
#include "exec/windowwords.h"
#include "plot/fonthelpers.h"
#include "plot/fontslots.h"
#include "plot/rwprint.h"
#include "toolkit/records.h"
#include "toolkit/scrolling.h"
#include "toolkit/toolbar.h"
#include "toolkit/windows.h"
#include "ui/childstatement.h"
#include "ui/panelaxes.h"
#include "ui/panelcurves.h"

namespace ui {

namespace {

namespace keys {
inline constexpr auto noequals = core::MSGKEY("pnlNo=");
inline constexpr auto nospec = core::MSGKEY("pnlNoSpec");
inline constexpr auto noname = core::MSGKEY("pnlNoName");
inline constexpr auto noindex = core::MSGKEY("pnlNoindx");
}  // namespace keys

// Symbol types a group's name is looked up as, in this order.
constexpr std::int32_t numericarray = 0x10;
constexpr std::int32_t numericscalar = 0x80;
constexpr std::int32_t character = 0x40;
constexpr std::int32_t thousands = 1;

void fail(std::string_view key, std::string_view detail = {}) {
  core::msgkey.set(key);
  if (!detail.empty()) core::failedline.set(detail);
  core::xeqstop = core::stops::error;
}

// The panel text: the head line and the body lines (each without the
// blank that marks a body line of the appendix).
struct Block {
  std::string head;
  std::vector<std::string> body;
};

bool readblock(std::string_view name, Block& b) {
  std::int32_t first = 0, last = 0, start = 0, end = 0;
  if (!exec::FINDAPPENDIXBLOCK(name, first, last, start, end)) {
    fail(exec::appendixkeys::notfound, name);
    return false;
  }
  if (start < 1 || end < start || !core::c1edit.valid(start) || !core::c1edit.valid(end))
    return false;
  const std::string text(core::c1edit.ptr(start), static_cast<std::size_t>(end - start + 1));
  std::size_t from = 0;
  bool head = true;
  while (from <= text.size()) {
    std::size_t to = text.find_first_of("\r\n", from);
    if (to == std::string::npos) to = text.size();
    std::string line = text.substr(from, to - from);
    if (head) {
      b.head = line;
      head = false;
    } else if (from < text.size()) {
      if (!line.empty() && line.front() == ' ') line.erase(0, 1);
      b.body.push_back(line);
    }
    if (to < text.size() && text[to] == '\r' && to + 1 < text.size() && text[to + 1] == '\n') ++to;
    from = to + 1;
  }
  while (!b.body.empty() && b.body.back().find_first_not_of(' ') == std::string::npos)
    b.body.pop_back();
  return true;
}

struct Variable {
  std::int32_t sym = 0;
  std::int16_t flags = 0;
  std::int32_t length = 0;  // elements of an array, characters of a text, 0 a scalar
  bool array = false;
};

bool findvariable(const std::string& name, Variable& v) {
  std::int32_t k = 0;
  if (core::FINDSN(name, k, numericarray) && k > 0) {
    v = {k, panelflag::numeric, std::max(core::I4EQUZ(1, k), 0) * std::max(core::I4EQUZ(2, k), 0),
         true};
    return true;
  }
  if (core::FINDSN(name, k, numericscalar) && k > 0) {
    v = {k, panelflag::numeric, 0, false};
    return true;
  }
  std::int32_t first = 0, last = 0;
  if (core::FINDSN(name, k, character) && k > 0 && core::ISCHAR(k, first, last) != 0) {
    v = {k, panelflag::text, std::max(last - first + 1, 0), false};
    return true;
  }
  return false;
}

// The cell of a numeric field (0 when its array has gone).
std::int32_t cellof(const panelrec& p) {
  if (p.index == 0) return p.sym;
  const std::int32_t n = std::max(core::I4EQUZ(1, p.sym), 0) * std::max(core::I4EQUZ(2, p.sym), 0);
  const std::int32_t first = core::name(p.sym).adr;
  if (p.index > n || first < 1 || !core::z.valid(first + p.index - 1)) return 0;
  return first + p.index - 1;
}

std::uint32_t colourof(std::int32_t number) { return exec::colour(std::max(number, 0)); }

// Writes the text from the column on, each character in its own cell, as
// the marks and fields count them: a font whose characters are narrower or
// wider than its cells would move the text against the fields.
void writecells(exec::wdwrec& r, std::string_view text, double column, double line,
                std::string_view options) {
  std::int32_t columns = 0, status = 0;
  plot::RWPRINT(text, column, line, columns, r.fontslot, " ", std::string(options) + " GRID", &r,
                status);
}

// Writes one field in `txtcolors`.
void writefield(exec::wdwrec& r, const panelrec& p) {
  std::string shown(static_cast<std::size_t>(std::max<std::int32_t>(p.width, 0)), ' ');
  if ((p.flags & panelflag::numeric) != 0) {
    const std::int32_t cell = cellof(p);
    if (cell > 0) core::WTSID8(shown, core::z(cell), thousands);
  } else {
    // At most the text's own characters, blanks after them.
    std::int32_t first = 0, last = 0;
    if (core::ISCHAR(p.sym, first, last) != 0 && first >= 1) {
      const std::int32_t from = first + p.index - 1;
      const std::int32_t n = std::min<std::int32_t>(p.width, last - from + 1);
      for (std::int32_t i = 0; i < n; ++i)
        if (core::c1namen.valid(from + i))
          shown[static_cast<std::size_t>(i)] = core::c1namen(from + i);
    }
  }
  writecells(r, shown, p.column, p.line, "T");
}

struct Build {
  exec::wdwrec* r = nullptr;
  Block block;
  panelrec* tail = nullptr;
  CurveCounters counters;
};

void append(Build& b, const panelrec& p) {
  auto* made = new panelrec(p);
  if (b.tail == nullptr) {
    b.r->firstpanel = made;
  } else {
    b.tail->next = made;
  }
  b.tail = made;
}

// Fields of a binding group: every separator followed by an index.
bool fields(Build& b, char sep, const Variable& v) {
  exec::wdwrec& r = *b.r;
  for (std::size_t l = 0; l < b.block.body.size(); ++l) {
    std::string& line = b.block.body[l];
    for (std::size_t c = line.find(sep); c != std::string::npos; c = line.find(sep, c + 1)) {
      std::size_t e = c + 1;
      while (e < line.size() && std::isdigit(static_cast<unsigned char>(line[e])) != 0) ++e;
      const std::string digits = line.substr(c + 1, e - c - 1);
      const long index = digits.empty() || digits.size() > 9 ? -1 : std::stol(digits);
      const bool scalar = v.length == 0 && v.flags == panelflag::numeric;
      if (index < (scalar ? 0 : 1) || index > v.length) {
        fail(keys::noindex);
        return false;
      }
      // The field reaches over the blanks after its mark.
      while (e < line.size() && line[e] == ' ') ++e;
      std::fill(line.begin() + static_cast<std::ptrdiff_t>(c),
                line.begin() + static_cast<std::ptrdiff_t>(e), ' ');
      panelrec p;
      p.flags = v.flags;
      p.column = static_cast<std::int16_t>(c + 1);
      p.line = static_cast<std::int16_t>(l + 1);
      p.width = static_cast<std::int32_t>(std::min<std::size_t>(e - c, 255));
      p.background = static_cast<std::int16_t>(std::clamp(r.tablescale, 0.0F, 31.0F));
      p.foreground = r.textcolour;
      p.sym = v.sym;
      p.index = static_cast<std::int32_t>(scalar ? 0 : index);
      append(b, p);
    }
  }
  return true;
}

// The marks of a drawing group, blanked: (column, line) from 1.
std::vector<std::pair<int, int>> marks(Build& b, char sep) {
  std::vector<std::pair<int, int>> out;
  for (std::size_t l = 0; l < b.block.body.size(); ++l) {
    std::string& line = b.block.body[l];
    for (std::size_t c = line.find(sep); c != std::string::npos; c = line.find(sep, c + 1)) {
      line[c] = ' ';
      out.emplace_back(static_cast<int>(c + 1), static_cast<int>(l + 1));
    }
  }
  return out;
}

// What the drawing groups ask the text writer for, after the body.
struct Drawing {
  std::vector<std::string> options;
  PanelAxes axes;
};

bool drawinggroup(Build& b, char sep, char kind, double number, std::string_view after,
                  Drawing& d) {
  if (kind == 'L' || kind == 'l') {
    const auto m = marks(b, sep);
    for (std::size_t i = 0; i < m.size(); ++i)
      for (std::size_t j = 0; j < i; ++j)
        if (m[j].first == m[i].first) {
          d.options.push_back("NOUP CHA LI=" + std::to_string(m[j].first) + " " +
                              std::to_string(m[j].second) + " " + std::to_string(m[i].first) + " " +
                              std::to_string(m[i].second) +
                              " FC=" + std::to_string(static_cast<long>(number)));
          break;
        }
    return true;
  }
  if (kind == 'D' || kind == 'd') {
    // The option word starts two characters after the kind letter.
    std::string prefix(after.substr(std::min<std::size_t>(1, after.size())));
    prefix = prefix.substr(0, prefix.find_first_of(" \r"));
    for (const auto& [c, l] : marks(b, sep))
      d.options.push_back(prefix + ",NOUP,CHA,L=" + std::to_string(c - 1) +
                          ",T=" + std::to_string(l - 1));
    d.options.push_back("NOUP,L=0,T=0,R=0,B=0");
    return true;
  }
  fail(keys::nospec, std::string_view(&kind, 1));
  return false;
}

// The head line's groups, from its second character on.
bool groups(Build& b, Drawing& d) {
  const std::string& h = b.block.head;
  std::size_t at = 1;
  for (;;) {
    at = h.find(' ', at);
    if (at == std::string::npos) return true;
    at = h.find_first_not_of(' ', at);
    if (at == std::string::npos) return true;
    const char sep = h[at];
    const char kind = at + 1 < h.size() ? h[at + 1] : ' ';
    std::size_t eq = at + 1;
    while (eq < h.size() && h[eq] != '=' && (h[eq] < '1' || h[eq] > '8')) ++eq;
    if (eq < h.size() && h[eq] != '=') {
      const std::int32_t k = h[eq] - '0';
      // The axis's x vector is given anew.
      for (panelrec* p = b.r->firstpanel; p != nullptr; p = p->next)
        if ((p->flags & panelflag::xitem) != 0 && (p->flags & panelflag::axis) == k)
          p->flags = panelflag::xitem;
      std::vector<panelrec> made;
      const bool read = panelaxisgroup(b.block.body, sep, k, d.axes, b.counters, made);
      for (const panelrec& p : made) append(b, p);
      if (!read) return false;
      at = eq + 1;
      continue;
    }
    if (eq >= h.size()) {
      fail(keys::noequals, h);
      return false;
    }
    std::size_t v = eq + 1;
    if (v < h.size() && (std::isdigit(static_cast<unsigned char>(h[v])) != 0 || h[v] == '-' ||
                         h[v] == '+' || h[v] == '.')) {
      std::size_t e = v;
      while (e < h.size() && h[e] != ' ') ++e;
      double number = 0;
      try {
        number = std::stod(h.substr(v, e - v));
      } catch (...) {
        number = 0;
      }
      if (!drawinggroup(b, sep, kind, number, std::string_view(h).substr(at + 2), d)) return false;
      at = e;
      continue;
    }
    std::size_t e = v;
    while (e < h.size() &&
           (std::isalnum(static_cast<unsigned char>(h[e])) != 0 || h[e] == '$' || h[e] == '_'))
      ++e;
    std::string name = h.substr(v, e - v);
    for (char& c : name) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    Variable var;
    if (name.empty() || !findvariable(name, var)) {
      fail(keys::noname, name);
      return false;
    }
    // Text variables give no curve its values.
    if (var.flags == panelflag::numeric &&
        !bindpanelcurves(b.r->firstpanel, sep, var.sym, var.array, var.length))
      return false;
    if (!fields(b, sep, var)) return false;
    at = e;
  }
}

// The window takes the panel text's lines and columns.
void fitwindow(exec::wdwrec& r, const Block& b) {
  std::size_t longest = 0;
  for (const std::string& l : b.body) longest = std::max(longest, l.size());
  const std::int32_t cw = childstmt::cellwidth(r.fontslot), ch = childstmt::cellheight(r.fontslot);
  const std::int32_t width =
      static_cast<std::int32_t>(longest + 1) * cw + r.printarea[0] + r.printarea[1];
  const std::int32_t height =
      static_cast<std::int32_t>(std::max<std::size_t>(b.body.size(), 1)) * ch + r.printarea[2] +
      r.printarea[3];
  r.clientwidth = width;
  r.clientheight = height;
  // The toolbar as it stands (its buttons' frames around their images):
  // the panel starts below it.
  std::int32_t toolbar = r.topoffset;
  if (const toolkit::window_record_t* t = toolkit::FIND_WINDOW_RECORD(r.window))
    toolbar = std::max(toolbar, static_cast<std::int32_t>(toolkit::TOOLBAR_HEIGHT(*t)));
  std::int32_t outerwidth = width + 2 * childstmt::metric(exec::metric::framewidth);
  std::int32_t outerheight = height + r.frameheight +
                             2 * childstmt::metric(exec::metric::frameheight) +
                             childstmt::metric(exec::metric::caption) + toolbar;
  int ups = 0;
  if (r.window != nullptr)
    toolkit::REDEFINE_WINDOW(r.window, nullptr, 0, nullptr, nullptr, nullptr, nullptr, nullptr,
                             &r.left, &r.top, &outerwidth, &outerheight, nullptr, nullptr, nullptr,
                             nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, 0, nullptr,
                             nullptr, nullptr, nullptr, nullptr, &ups);
  childstmt::fitbitmap(r, width, height);
}

void repaint(const exec::wdwrec& r) {
  int ups = 0;
  const int erase = 0;
  if (r.window != nullptr) toolkit::UPDATE_WINDOW(r.window, &erase, nullptr, &ups);
}

// The font the statement's FONt names: a slot number (1 to 9) makes that
// slot the window's and the panel's; a face the statement has already
// made into the window's slot.
void selectfont(exec::wdwrec& r, std::int32_t font) {
  std::int32_t first = 0, last = 0;
  if (font <= 0 || !core::z.valid(font) || (core::ISCHAR(font, first, last) & character) != 0)
    return;
  const double v = core::z(font);
  if (!(v >= 1.0 && v <= 9.0)) return;
  const std::int32_t made =
      plot::SETFONTPTROULBOITST(static_cast<std::int32_t>(v), font, 0, 0, 0, 0, 0, 0);
  if (plot::fontslots.valid(made)) r.fontslot = made;
}

bool isfield(const panelrec& p) {
  return (p.flags & (panelflag::numeric | panelflag::text)) != 0 &&
         (p.flags & panelflag::axis) == 0;
}

// Every field and curve drawn anew, in the order of the records.
void internalupdate(exec::wdwrec& r) {
  for (const panelrec* p = r.firstpanel; p != nullptr; p = p->next) {
    if (isfield(*p)) {
      exec::txtcolors = {colourof(p->foreground), colourof(p->background)};
      writefield(r, *p);
    } else if ((p->flags & panelflag::curve) != 0 && p->sym > 0) {
      if (!drawpanelcurve(r, r.firstpanel, *p)) break;
    }
  }
  repaint(r);
}

void build(exec::wdwrec& r, std::string_view name, std::int32_t font) {
  DELETEPANELCTRLS();
  selectfont(r, font);
  Build b;
  b.r = &r;
  if (!readblock(name, b.block)) {
    core::xeqstop = core::stops::error;
    return;
  }
  r.printselect = 2;
  Drawing d;
  if (!groups(b, d)) return;
  fitwindow(r, b.block);
  // The body in the window's colours, then the drawings and the fields.
  exec::txtcolors = {static_cast<std::uint32_t>(r.textcolour),
                     colourof(static_cast<std::int32_t>(r.tablescale))};
  for (std::size_t l = 0; l < b.block.body.size(); ++l)
    writecells(r, b.block.body[l], 1.0, static_cast<double>(l + 1), "NOUP");
  std::int32_t columns = 0, status = 0;
  for (const std::string& o : d.options)
    plot::RWPRINT("", 1.0, plot::nextline, columns, r.fontslot, " ", o, &r, status);
  const KeepEngine keep;
  if (!preparepanelcurves(r.firstpanel, d.axes, panelengine(r))) return;
  drawpanelaxes(r, d.axes, static_cast<std::int32_t>(b.block.body.size()));
  internalupdate(r);
}

std::int32_t colourcell(std::int32_t cell, std::int32_t own) {
  if (cell <= 0 || !core::z.valid(cell) || !std::isfinite(core::z(cell))) return own;
  return static_cast<std::int32_t>(std::lround(std::clamp(core::z(cell), 0.0, 16777215.0)));
}

}  // namespace

void PANEL(std::string_view name, std::int32_t update, std::int32_t back, std::int32_t fore,
           std::int32_t font) {
  exec::wdwrec* r = exec::wdwcur;
  if (r == nullptr) return;
  if (update == 0) return build(*r, name, font);
  if (update < 0) return internalupdate(*r);
  for (const panelrec* p = r->firstpanel; p != nullptr; p = p->next) {
    const bool numeric = (p->flags & panelflag::numeric) != 0;
    if (!isfield(*p) || (update != p->sym && !(numeric && update == cellof(*p)))) continue;
    exec::txtcolors = {colourof(colourcell(fore, p->foreground)),
                       colourof(colourcell(back, p->background))};
    writefield(*r, *p);
  }
  repaint(*r);
}

void freepanelrecords(exec::wdwrec& record) {
  while (panelrec* p = record.firstpanel) {
    record.firstpanel = p->next;
    delete p;
  }
  delete record.panelengine;
  record.panelengine = nullptr;
}

void DELETEPANELCTRLS() {
  if (exec::wdwcur != nullptr) freepanelrecords(*exec::wdwcur);
}

}  // namespace ui
