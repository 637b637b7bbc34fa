// A table turned into dialog items: the OK and More buttons (first table of
// a window), the column and row titles, the visible block of cells with
// their per-column controls, the two scroll bars and, for a file, the
// cluster controls. Every item gets its own control record.
#include <algorithm>
#include <cmath>
#include <string>

#include "core/chars.h"
#include "core/messages.h"
#include "core/namevalue.h"
#include "core/runwords.h"
#include "core/shop.h"
#include "core/shoplists.h"
#include "exec/windowwords.h"
#include "plot/backbrush.h"
#include "toolkit/records.h"
#include "ui/dialogs.h"
#include "ui/dialogwords.h"
#include "ui/itemset.h"
#include "ui/tableheaders.h"
#include "ui/tables.h"
#include "ui/tablework.h"

namespace ui {

namespace {

constexpr std::int32_t defaultwidth = 40;
constexpr std::int32_t cellcharsmost = 1024;  // the widest cell shown, in characters
constexpr std::int32_t barthickness = 6;
constexpr std::uint32_t ownproc = 0x80;         // the procedure is the text procedure
constexpr std::uint32_t spinnerproc = 0x10080;  // and the item is a spinner
constexpr std::uint32_t tabstop = 0x10000;      // WS_TABSTOP
constexpr std::uint32_t cellbaseoptions = 0x10000000 | 0x40000;
constexpr std::uint32_t titleoptions = 0x2000 + 0x300 + 0x20000;
constexpr std::uint32_t rowtitleshown = 0x20000 + 0x8000000 + 0x40000000 + 0x2000 + 0x100;
constexpr std::uint32_t rowtitlehidden = 0x10000 + 0x4000000 + 0x40000000;

// The controls of a CoNtrols entry, by keyword.
constexpr std::int32_t cnumeric = ck::numeric;
constexpr std::int32_t dnumbits = 0x4022;

std::int32_t colwidth(const mxrec& t, std::int32_t c) {
  const std::int32_t fc = t.mapped(c);
  if (fc < 1 || fc >= static_cast<std::int32_t>(t.colinfo.size())) return 4 * 10 + 8;
  // A cell shows no more characters than a screen holds (the magnified
  // cell shows them all), so that the layout's sums stay in their range.
  const std::int32_t shown = std::min(std::abs(t.colinfo[static_cast<std::size_t>(fc)].width),
                                      cellcharsmost);
  return 4 * shown + 8;
}

// Copies an item into another; the copy owns no lists.
void copyinto(toolkit::dialog_t& to, const toolkit::dialog_t& from) {
  if (&to == &from) return;
  if (to.marker == toolkit::kMarker) toolkit::FREE_ITEM_LISTS(to);
  to = from;
  to.list_block = nullptr;
  to.selection_block = nullptr;
  to.list_count = 0;
}

// A new control record after the current one, a copy of it, for the next
// item; false when the window's items are used up.
bool COPYITEM_INTERNAL() {
  exec::wdwrec* w = exec::wdwcur;
  exec::ctlrec* from = exec::ctlcur;
  Builder& b = builder;
  if (w == nullptr || from == nullptr || b.itemcount >= w->dialogitems.size()) return false;
  auto* c = new exec::ctlrec(*from);
  c->ctllist.clear();
  c->ctltext.clear();
  c->ctlnext = from->ctlnext;
  from->ctlnext = c;
  b.previous = c;
  exec::ctlcur = c;
  ++b.itemcount;
  c->ctlid = c->ctlident = b.itemcount + idbase;
  return true;
}

toolkit::dialog_t& current() { return exec::wdwcur->dialogitems(builder.itemcount); }

// The controls that a CoNtrols text gives to column c.
struct ColumnControls {
  std::int32_t bits = 0;
  bool marked = false;
  bool given = false;
};

ColumnControls entryof(std::string_view text, std::int32_t c, std::int32_t firstkind) {
  ColumnControls out;
  std::int32_t first = 0, last = 0;
  // The column number must stand alone (not as the end of a larger one).
  std::size_t from = 0;
  for (;;) {
    if (!core::INTEGERINSTRING("", c, text.substr(from), first, last, ":")) return out;
    const std::size_t at = from + static_cast<std::size_t>(first) - 1;
    if (at == 0 || (text[at - 1] < '0' || text[at - 1] > '9')) {
      first = static_cast<std::int32_t>(at) + 1;
      last = static_cast<std::int32_t>(from) + last;
      break;
    }
    from = at + 1;
  }
  std::size_t p = static_cast<std::size_t>(last) + 1;  // after the colon (0-based)
  std::size_t e = p;
  while (e < text.size() && static_cast<unsigned char>(text[e]) >= 'A') ++e;
  const std::string_view word = text.substr(std::min(p, text.size()), e - std::min(p, text.size()));
  std::int32_t position = 0;
  const std::int32_t kw = word.empty() ? -1 : core::ITEMNRINSHOP(word, core::dlgshop, position) - 1;
  const std::int32_t element = firstkind & ck::element;
  out.given = true;
  out.marked = true;
  if (kw == dk("Text"))
    out.bits = ck::character;
  else if (kw == dk("Button"))
    out.bits = ck::pushbutton;
  else if (kw == dk("Edit"))
    out.bits = element | ck::edit;
  else if (kw == dk("CHeckbox"))
    out.bits = element | ck::checkbox;
  else if (kw == dk("UpDown"))
    out.bits = element | ck::updown;
  else if (kw == dk("TrackBar"))
    out.bits = element | ck::trackbar;
  else if (kw == dk("ProgressBar"))
    out.bits = element | ck::progressbar;
  else if (kw == dk("ScrollBar"))
    out.bits = element | ck::scrollbar;
  else if (kw == dk("DNum"))
    out.bits = dnumbits;
  else
    out.bits = ck::character;
  return out;
}

// The toolkit type of a marked column's cells.
int celltype(std::int32_t bits) {
  if ((bits & ck::pushbutton) != 0) return toolkit::DLG_PUSHBUTTON;
  if ((bits & ck::edit) != 0) return toolkit::DLG_EDITBOX;
  if ((bits & ck::checkbox) != 0) return toolkit::DLG_CHECKBOX;
  if ((bits & ck::updown) != 0) return toolkit::DLG_UPDOWN;
  if ((bits & ck::trackbar) != 0) return toolkit::DLG_TRACKBAR;
  if ((bits & ck::progressbar) != 0) return toolkit::DLG_PROGRESSBAR;
  if ((bits & ck::scrollbar) != 0) return toolkit::DLG_SCROLLBAR;
  return toolkit::DLG_TEXT;
}

// The text of a cell for its item: read, or hidden when it cannot be.
std::string readtext(mxrec& t, std::int32_t row, std::int32_t col, bool& hidden) {
  std::array<char, 256> text{};
  text.fill(' ');
  hidden = row > t.nrows;
  if (!hidden) {
    IOCHARMXELEMENT(t.unit, row, col, text, cellmode::shown);
    hidden = core::iostatw[0] != 0 || !core::msgkey.is_blank() || core::xeqstop > 0;
    core::msgkey.blank();
    core::iostatw[0] = 0;
  }
  if (hidden) return {};
  std::string s(text.data(), text.size());
  for (char& ch : s)
    if (ch == '\0') ch = '.';
  s.erase(s.find_last_not_of(' ') + 1);
  return s;
}

}  // namespace

void SETMATRIX(std::int32_t& x, std::int32_t& y, std::int32_t controls) {
  exec::wdwrec* w = exec::wdwcur;
  Builder& b = builder;
  if (w == nullptr || exec::ctlcur == nullptr || b.itemcount == 0 || b.itemcount == dlgitemend ||
      !w->dialogitems.valid(b.itemcount))
    return;
  if (pendingtables != nullptr) {
    if (w->firsttable == nullptr) {
      w->firsttable = pendingtables;
    } else {
      mxrec* tail = w->firsttable;
      while (tail->next != nullptr) tail = tail->next;
      tail->next = pendingtables;
      pendingtables->prev = tail;
    }
    pendingtables = nullptr;
  }
  mxrec* head = w->firsttable;
  if (head == nullptr) return;
  w->kind |= exec::kind::table;
  if (head->rowvar > 0) w->rowvar = head->rowvar;
  if (head->colvar > 0) w->colvar = head->colvar;
  mxrec* t = head;
  while (t != nullptr && t->serial != mxbuildno) t = t->next;
  if (t == nullptr) return;
  if (t != head && w->rowvar > 0) t->rowvar = w->rowvar;
  mxcur = t;
  mxbuildno = t->serial + 1;
  const bool file = t->unit > 0;
  const std::int32_t W = b.defwidth, H = b.defheight, buttonh = 3 * H / 2;
  const std::int32_t hh = file ? buttonh : H;

  toolkit::dialog_t& own = current();
  // A table item of another width gives every column a quarter of it.
  if (own.width != defaultwidth)
    for (std::size_t c = 1; c < t->colinfo.size(); ++c)
      t->colinfo[c].width = std::max(own.width / 4, 1);
  if (file) exec::ctlcur->ctlbind = {};
  const std::int32_t xs = own.x, ys = own.y;
  const std::uint32_t owninner = own.window_style;
  const win::HFONT font = own.font;
  std::int32_t K = exec::ctlcur->ctlkind;
  const std::int32_t callback = exec::ctlcur->ctllink;
  // The table item is the pattern of the first cell.
  toolkit::dialog_t pattern = own;
  pattern.list_block = nullptr;
  pattern.selection_block = nullptr;
  pattern.list_count = 0;
  const std::uint32_t cellopts = own.style_options | cellbaseoptions;

  // Formats and bindings that do not go together.
  const char F = t->colinfo.size() > 1 ? t->colinfo[1].letter : 'F';
  if (F == 'A' && (K & (ck::character | ck::pushbutton)) == 0)
    return core::msgkey.set(core::MSGKEY("mx2AfmtforR8"));
  if (F == 'A' && (K & (ck::checkbox | ck::radio | ck::list)) != 0)
    return core::msgkey.set(core::MSGKEY("mx2AnoLCR"));
  if (F != 'A' && t->fmtsym > 0 && (K & ck::radio) != 0)
    return core::msgkey.set(core::MSGKEY("mx2nosense"));
  if (F != 'A' && file) K = (K & ~ck::character) | cnumeric;
  if (F != 'A' && !file && (K & ck::character) != 0)
    return core::msgkey.set(core::MSGKEY("mx2noAfmtforCh"));

  const auto define = [&](ItemSet a) {
    if (!a.font && font != nullptr) a.font = font;
    setitem(current(), a);
  };

  if (t->serial == 1) {
    exec::ctlcur->ctlkind = ck::pushbutton;
    exec::ctlcur->ctllink = 0;
    exec::ctlcur->ctlbind = {};
    ItemSet ok;
    ok.type = toolkit::DLG_PUSHBUTTON;
    ok.title = "&OK";
    ok.id = b.itemcount + idbase;
    ok.x = xs;
    ok.y = ys;
    ok.width = W / 2;
    ok.height = buttonh;
    ok.proc = WINDLGCHPROC;
    ok.kind = ownproc;
    ok.winstyle = tabstop;
    define(ok);
    if (!COPYITEM_INTERNAL()) return;
    ItemSet more = ok;
    more.title = "&More";
    more.id = b.itemcount + idbase;
    more.x = xs + W / 2;
    more.proc = MXHEADERSPROC;
    define(more);
    if (!COPYITEM_INTERNAL()) return;
  }
  exec::ctlcur->ctllink = callback;

  // Column titles.
  const bool ownrows = ys > mxrowtitley || t->serial == 1;
  const std::int32_t cellx = ownrows ? xs + W : xs;
  t->firstitem = b.itemcount;
  std::int32_t tx = cellx;
  for (std::int32_t vc = 1; vc <= t->viscols; ++vc) {
    if (vc > 1 && !COPYITEM_INTERNAL()) return;
    std::int32_t k = t->coloffset + vc;
    Title title;
    GETMXTITLES(k, title);
    exec::ctlcur->ctlkind = title.kind;
    exec::ctlcur->ctlbind = {};
    ItemSet a;
    a.type = title.type;
    a.options = titleoptions;
    a.title = title.text;
    a.id = b.itemcount + idbase;
    a.value = title.state;
    a.x = tx;
    a.y = ys;
    a.width = colwidth(*t, k);
    a.height = buttonh;
    a.proc = MXHEADERSPROC;
    define(a);
    tx += *a.width;
  }
  t->leftcol = t->coloffset + 1;
  t->toprow = t->rowoffset + 1;
  t->curcol = t->currow = 1;
  t->optpos = -std::abs(t->optpos);

  // Row titles.
  std::int32_t ry = ys + hh;
  t->firstrowitem = b.itemcount + 1;
  if (ownrows) mxrowtitley = ys;
  for (std::int32_t r = 1; r <= t->visrows; ++r) {
    ry += H;
    if (!COPYITEM_INTERNAL()) return;
    std::int32_t k = -(t->rowoffset + r);
    Title title;
    GETMXTITLES(k, title);
    const bool shown = ownrows && t->rowoffset + r <= t->nrows;
    exec::ctlcur->ctlkind = title.kind | (shown ? 0 : tk::hidden);
    exec::ctlcur->ctlbind = {};
    ItemSet a;
    a.type = title.type;
    a.options = shown ? rowtitleshown : rowtitlehidden;
    a.title = title.text;
    a.id = b.itemcount + idbase;
    a.value = title.state;
    a.x = xs;
    a.y = ry;
    a.width = W;
    a.height = H;
    a.proc = MXHEADERSPROC;
    define(a);
  }

  // The kinds of the columns' cells: column 1 from the table item, the
  // others from their CoNtrols entries (else the entry before, else the
  // table item's).
  const auto letterof = [&](std::int32_t c) {
    const std::int32_t fc = t->mapped(c);
    return fc >= 1 && fc < static_cast<std::int32_t>(t->colinfo.size())
               ? t->colinfo[static_cast<std::size_t>(fc)].letter
               : 'F';
  };
  std::uint32_t firstwinstyle = owninner;
  std::uint32_t firstoptions = cellopts;
  t->colkind.assign(static_cast<std::size_t>(t->ncols) + 1, 0);
  if (letterof(1) == 'A') {
    t->colkind[1] = K | tk::cellbase | ck::character;
    firstwinstyle &= ~3u;
  } else {
    if ((K & (ck::bars | ck::checkbox)) == 0) K |= ck::formatted;
    t->colkind[1] = K | tk::cellbase | cnumeric;
    if ((K & (ck::bars | ck::checkbox)) == 0) {
      firstwinstyle = (firstwinstyle & ~1u) | 2;
      firstoptions |= toolkit::kOptionRight;
    }
  }
  std::string ctltext;
  const bool havecontrols = controls > 0 && tw::symboltext(controls, ctltext);
  std::int32_t cmin = 0, cmax = 100, cdnum = 0;
  if (havecontrols) {
    const auto n = static_cast<std::int32_t>(ctltext.size());
    core::NAMEVALUEINSHOP(ctltext, n, "MIn", core::dlgshop, core::dlgshoptypes, cmin, 0);
    core::NAMEVALUEINSHOP(ctltext, n, "MAx", core::dlgshop, core::dlgshoptypes, cmax, 100);
    core::NAMEVALUEINSHOP(ctltext, n, "DNum", core::dlgshop, core::dlgshoptypes, cdnum, 0);
    if (cmin == cmax) cmax = cmin + 100;
  }
  {
    ColumnControls last;
    last.bits = K;
    for (std::int32_t c = 2; c <= std::min(t->nfmtcols, t->ncols); ++c) {
      ColumnControls e = havecontrols ? entryof(ctltext, c, t->colkind[1]) : ColumnControls{};
      if (e.given)
        last = e;
      else
        e = last;
      std::int32_t kind = 0;
      if (letterof(c) == 'A')
        kind = (e.bits & 0x2034) | tk::cellbase | ck::character;
      else if ((e.bits & (ck::character | ck::edit)) == ck::character)
        kind = (e.bits & ~ck::character) | ck::tablecell | ck::formatted;
      else
        kind = (e.bits & 0x7E7A) | tk::cellbase | cnumeric;
      if (e.marked) kind |= tk::marked;
      t->colkind[static_cast<std::size_t>(c)] = kind;
    }
  }

  // The cells, row by row; the rows alternate between two colours.
  const std::int32_t background = tw::rounded(w->background);
  const std::int32_t colours[2] = {background, background ^ 8};
  toolkit::dialog_t firstcellitem = pattern;
  const std::int32_t cellcount = t->visrows * t->viscols;
  std::int32_t cellsright = cellx;
  for (std::int32_t n = 1; n <= cellcount; ++n) {
    if (n > 1 && b.itemcount + 1 > dlgitemend) break;
    if (!COPYITEM_INTERNAL()) break;
    const std::int32_t i = (n - 1) / t->viscols + 1, vc = (n - 1) % t->viscols + 1;
    const std::int32_t r = t->toprow + i - 1, c = t->leftcol + vc - 1;
    std::int32_t cx = cellx;
    for (std::int32_t k = 1; k < vc; ++k) cx += colwidth(*t, t->leftcol + k - 1);
    const std::int32_t cw = colwidth(*t, c);
    cellsright = std::max(cellsright, cx + cw);
    const std::int32_t cy = ys + hh + i * H;
    const win::HBRUSH brush = plot::BACKBRUSH(colours[(i - 1) % 2]);
    exec::ctlrec* rec = exec::ctlcur;
    if (n == 1) {
      t->firstcell = b.itemcount;
      t->firstcellid = b.itemcount + idbase;
    }
    const bool nocell = c > t->ncols || t->mapped(c) > t->nfmtcols;
    std::int32_t kind = nocell ? 0 : t->kindof(c);
    const bool marked = (kind & tk::marked) != 0;
    kind &= ~tk::marked;
    const std::int32_t bits = kind & 0x1E70;
    ItemSet a;
    std::uint32_t winstyle = firstwinstyle;
    std::uint32_t options = firstoptions;
    int type = toolkit::low_type(firstcellitem);
    std::int32_t height = H;
    if (marked) {
      winstyle = 0x10002;
      options = 0;
      type = celltype(bits);
      if (type == toolkit::DLG_EDITBOX) {
        winstyle = 0x10002 + 0x800000 + 0x80;
        options = 0x10000000;
      } else if (type == toolkit::DLG_TRACKBAR) {
        winstyle = 0x101;
        height = H * 7 / 8;
      } else if (type == toolkit::DLG_PROGRESSBAR) {
        winstyle = 0;
        options = 1;
      }
    } else {
      copyinto(current(), n == 1 ? pattern : firstcellitem);
      a.modify = true;
    }
    const bool textcell = (kind & ck::character) != 0;
    if (!textcell && !marked && (kind & 0x3E40) == 0 && (kind & cnumeric) != 0) {
      kind |= ck::formatted;
      winstyle = (winstyle & ~1u) | 2;
      options |= toolkit::kOptionRight;
    }
    rec->ctlkind = kind;
    rec->ctlbind = {};
    rec->ctllen = textcell ? 0 : 1;
    a.type = type;
    a.id = b.itemcount + idbase;
    a.x = cx;
    a.y = cy;
    a.width = cw;
    a.height = height;
    a.brush = brush;
    bool hidden = nocell || r > t->nrows;
    if (textcell) {
      winstyle &= ~3u;
      if (H > 12 && type == toolkit::DLG_EDITBOX) winstyle = (winstyle & ~0x80u) | 4 | 0x40;
      const std::string shown = hidden ? std::string() : readtext(*t, r, c, hidden);
      a.title = shown;
      a.text = shown;
      a.proc = WINDLGCHPROC;
      a.kind = ownproc;
    } else {
      if (marked && (bits & (ck::bars | tk::dnum)) != 0) {
        a.imax = cmax;
        a.imin = cmin;
        a.iinc = cdnum;
        a.r8max = cmax;
        a.r8min = cmin;
        a.r8inc = cdnum;
      }
      a.proc = WINDLGR8PROC;
      a.kind = (bits & tk::dnum) != 0 ? spinnerproc : ownproc;
      if (!hidden) {
        // The limits first: a bar's position is taken within them.
        ItemSet limits = a;
        limits.options = options;
        limits.winstyle = winstyle;
        define(limits);
        double value = 0.0;
        std::int32_t ivalue = 0, flags = itemshow;
        std::string shown;
        FORMATNUMMXELEMENT(b.itemcount, r, c, value, ivalue, shown, flags);
        hidden = flags == itemhide;
        a.title = shown;
        a.text = shown;
        a.value = ivalue;
        a.r8 = value;
        a.modify = true;
        a.type.reset();
      }
    }
    if (hidden) {
      options |= itemhide;
      rec->ctlkind |= tk::hidden;
      winstyle &= ~win::WS_VISIBLE;
    } else if (winstyle != 0 && (bits & (ck::pushbutton | ck::checkbox | ck::edit | ck::trackbar |
                                         ck::scrollbar)) != 0) {
      winstyle |= tabstop;
    }
    a.options = options;
    a.winstyle = winstyle;
    define(a);
    if (n == 1) firstcellitem = current();
    t->lastcell = b.itemcount;
    t->lastcellid = b.itemcount + idbase;
  }
  core::msgkey.blank();
  t->firstvis = 1;
  t->lastvis = (t->visrows - 1) * t->ncols + t->viscols;

  // The scroll bars: the vertical one shown by the window's last table
  // when rows are out of view, the horizontal one when columns are.
  const bool last = t->next == nullptr;
  mxmaxrows = std::max(mxmaxrows, t->nrows);
  const std::int32_t celly = ys + hh + H;
  {
    if (!COPYITEM_INTERNAL()) return;
    const bool shown = t->visrows < t->nrows && last;
    exec::ctlcur->ctlkind = 0x41002 | (shown ? 0 : tk::hidden);
    exec::ctlcur->ctlbind = {};
    exec::ctlcur->ctllink = 0;
    ItemSet a;
    a.type = toolkit::DLG_SCROLLBAR;
    a.options = shown ? itemshow : itemhide;
    a.title = last ? "&y" : "  ";
    a.id = b.itemcount + idbase;
    a.x = cellsright;
    a.y = celly;
    a.width = barthickness;
    a.height = t->visrows * H;
    a.value = t->toprow;
    a.imin = t->rowoffset + 1;
    a.imax = std::max(mxmaxrows - t->visrows + 1, t->rowoffset + 1);
    a.iinc = 1;
    a.r8 = t->toprow;
    a.r8max = std::max(t->nrows - t->visrows + 1, 1);
    a.r8min = 1.0;
    a.r8inc = 1.0;
    a.winstyle = 0x10001;
    a.proc = WINDLGR8PROC;
    a.kind = ownproc;
    define(a);
  }
  const std::int32_t bary = celly + t->visrows * H;
  {
    if (!COPYITEM_INTERNAL()) return;
    const bool shown = t->nfmtcols > t->viscols;
    exec::ctlcur->ctlkind = 0x41002 | (shown ? 0 : tk::hidden);
    ItemSet a;
    a.type = toolkit::DLG_SCROLLBAR;
    a.options = shown ? itemshow : itemhide;
    a.title = shown ? "&x" : "  ";
    a.id = b.itemcount + idbase;
    a.x = cellx;
    a.y = bary;
    a.width = std::max(cellsright - cellx, 1);
    a.height = barthickness;
    a.value = t->leftcol;
    a.imin = t->coloffset + 1;
    a.imax = std::max(t->ncols - t->viscols + 1, t->coloffset + 1);
    a.iinc = 1;
    a.r8 = t->leftcol;
    a.r8max = std::max(t->ncols - t->viscols + 1, 1);
    a.r8min = 1.0;
    a.r8inc = 1.0;
    a.winstyle = tabstop;
    a.proc = WINDLGR8PROC;
    a.kind = ownproc;
    define(a);
  }

  // A file: the buttons that move a cluster and a cluster bar per column.
  if (file) {
    const std::int32_t y0 = bary + hh;
    if (t->serial == 1) {
      for (int k = 0; k < 2; ++k) {
        if (!COPYITEM_INTERNAL()) return;
        exec::ctlcur->ctlkind = ck::pushbutton;
        exec::ctlcur->ctllink = 0;
        ItemSet a;
        a.type = toolkit::DLG_PUSHBUTTON;
        a.title = k == 0 ? "&+Dn" : "&-Up";
        a.id = b.itemcount + idbase;
        a.x = xs + k * (W / 2);
        a.y = y0;
        a.width = W / 2;
        a.height = H;
        a.options = itemshow;
        a.winstyle = 0x10000 + 0x800000;
        a.proc = MXCLUSTERSPROC;
        define(a);
      }
    }
    std::int32_t bx = cellx;
    for (std::int32_t vc = 1; vc <= t->viscols; ++vc) {
      if (!COPYITEM_INTERNAL()) return;
      exec::ctlcur->ctlkind = ck::trackbar;
      exec::ctlcur->ctllink = 0;
      const std::int32_t cw = colwidth(*t, t->leftcol + vc - 1);
      ItemSet a;
      a.type = toolkit::DLG_TRACKBAR;
      a.id = b.itemcount + idbase;
      a.x = bx + 1;
      a.y = y0 + 1;
      a.width = cw - 2;
      a.height = H - 2;
      a.value = 0;
      a.imin = 0;
      a.imax = 15;
      a.iinc = 3;
      a.options = itemshow;
      a.winstyle = 0x10000 + 0x800000 + 0x101;
      a.proc = MXCLUSTERSPROC;
      define(a);
      bx += cw;
    }
  }

  t->lastitem = b.itemcount;
  exec::ctlcur->ctlnext = nullptr;
  w->cellrow = 1;
  w->cellcol = 1;
  x = cellx + b.space;
  // What follows the table stands below all of it: its horizontal scroll
  // bar, and a file's cluster controls.
  y = file ? bary + hh + H : bary + barthickness;
}

}  // namespace ui
