// The DLG statement: its option list turned into a dialog window, each
// control bound to the variable or text given as its value; or, named by a
// live window handle, that dialog updated from its variables.
#include <algorithm>
#include <array>
#include <cmath>
#include <filesystem>
#include <string>
#include <vector>

#include "core/chars.h"
#include "core/helpdata.h"
#include "core/messages.h"
#include "core/numwrite.h"
#include "core/rawmem.h"
#include "core/runwords.h"
#include "core/stores.h"
#include "core/symbols.h"
#include "core/symbols_text.h"
#include "core/varnamevalue.h"
#include "exec/builtins.h"
#include "exec/optdispatch.h"
#include "exec/windowwords.h"
#include "platform/file_names.h"
#include "platform/file_units.h"
#include "plot/backbrush.h"
#include "plot/fontslots.h"
#include "toolkit/dialog_update.h"
#include "toolkit/scrolling.h"
#include "ui/bindings.h"
#include "ui/dialogs.h"
#include "ui/dialogwords.h"
#include "ui/dlgbuild.h"
#include "ui/tables.h"
#include "ui/win.h"

namespace ui {

namespace {

constexpr std::int32_t dialogbuild = core::busy::dialogbuild;
constexpr std::int32_t namelabel = -1;  // the label a NamEedit makes
constexpr std::int32_t mostoptions = 100;
constexpr std::int32_t typetemp = 0x8;
constexpr std::int32_t typearray = 0x10;
constexpr std::int32_t rowheight = 16;
constexpr std::int32_t margin = 7;
constexpr std::int32_t widthunit = (40 + 4) / 4;

struct Opt {
  std::int32_t kw = 0;
  std::int32_t value = 0;  // the value operand (0 or less: none)
};

bool iscontrol(std::int32_t kw) { return kw >= dk("Text") && kw <= dk("ScrollBar"); }
bool isbox(std::int32_t kw) { return kw == dk("CHeckbox") || kw == dk("RADio"); }

std::int32_t rounded(double v) {
  if (!std::isfinite(v)) return 0;
  return static_cast<std::int32_t>(std::llround(std::clamp(v, -2147483647.0, 2147483647.0)));
}

std::string trimmed(std::string_view s) {
  const std::size_t e = s.find_last_not_of(' ');
  return e == std::string_view::npos ? std::string() : std::string(s.substr(0, e + 1));
}

// The text of a character operand; false when it is none.
bool textof(std::int32_t v, std::string& out) {
  std::int32_t first = 0, last = 0;
  // A character variable, a text or a string temporary (not a number's
  // temporary, whose type shares the temporary bit).
  if (v <= 0 || (core::ISCHAR(v, first, last) & 0x40) == 0) return false;
  if (first < 1 || last < first || !core::c1namen.valid(last)) {
    out.clear();
    return true;
  }
  out.assign(core::c1namen.ptr(first), static_cast<std::size_t>(last - first + 1));
  return true;
}

double valueof(std::int32_t v) { return v > 0 && core::z.valid(v) ? core::z(v) : 0.0; }

std::string numberdigits(double v) {
  std::array<char, 23> t{};
  core::WTSID8(t, v, 0);
  const std::string_view s(t.data(), t.size());
  const std::size_t a = s.find_first_not_of(' ');
  return a == std::string_view::npos ? std::string() : trimmed(s.substr(a));
}

std::string printablename(std::int32_t cell) {
  std::array<char, 256> t{};
  core::GETNAME(cell, t);
  return trimmed(std::string_view(t.data(), t.size()));
}

// The box of a name alone (a statement that is a variable's name): it is
// titled by the name, and a text's field shows the whole trimmed text, up
// to the screen's width.
void namebox(std::int32_t v, exec::wdwrec& w) {
  Builder& b = builder;
  if (v < 1 || v > core::nsym) return;
  b.title.set(core::symbolname(v));
  std::string text;
  if (!textof(v, text) || !w.dialogitems.valid(b.itemcount)) return;
  toolkit::dialog_t& field = w.dialogitems(b.itemcount);
  if (toolkit::low_type(field) != toolkit::DLG_EDITBOX) return;
  text = trimmed(text);
  const build::Measures m = build::measures();
  const std::int32_t most = (m.sw - 2 * m.fw) * 4 / std::max(m.cw, 1) - 2 * b.border - field.x;
  // Four units a character, or what the font draws, and room for the caret.
  const std::int32_t wanted =
      std::max(build::textunits(text), 4 * static_cast<std::int32_t>(text.size())) + 8;
  field.width = std::max(field.width, std::min(wanted, most));
}

// A bit list (BiTteXt): its items.
struct BitList {
  std::vector<std::string> items;
  bool given = false;
};

BitList bitlist(std::string_view text) {
  BitList b;
  b.given = true;
  const std::string t = trimmed(text);
  std::size_t at = std::string::npos;
  for (std::size_t i = t.size(); i-- > 0;)
    if (t[i] != ' ' && !core::is_namechar(t[i])) {
      at = i;
      break;
    }
  const bool separated =
      at != std::string::npos && t.find(t[at]) < t.size() - 1 && core::is_separator(t[at]);
  if (!separated) {
    for (char c : t) b.items.emplace_back(1, c);
    if (b.items.empty()) b.items.emplace_back();
    return b;
  }
  const char sep = t[at];
  std::size_t i = 0;
  for (;;) {
    const std::size_t next = t.find(sep, i);
    if (next == std::string::npos || next == t.size() - 1) {
      b.items.push_back(t.substr(i, (next == std::string::npos ? t.size() : next) - i));
      break;
    }
    b.items.push_back(t.substr(i, next - i));
    i = next + 1;
  }
  return b;
}

// A button's prefix: the id and number it chooses and the shown text.
void buttonprefix(std::string& shown, std::int32_t& offset) {
  const std::size_t colon = shown.find(':');
  if (colon == std::string::npos || colon == 0) return;
  if (colon + 1 < shown.size() && shown[colon + 1] == '\\') return;
  if (shown.substr(0, colon).find(' ') != std::string::npos) return;
  const std::string head = shown.substr(0, colon);
  const std::string rest = shown.substr(colon + 1);
  int first = 0, last = 0;
  // (held within what the item numbers' arithmetic holds)
  const int n = std::clamp(core::INTGET(head, first, last), -core::layoutmost, core::layoutmost);
  if (first == 1 || first == 2) {
    std::size_t k = 0;
    bool skipped = false;
    if (k < head.size() && head[k] == '>') {
      ++k;
      skipped = true;
    }
    const bool minus = k < head.size() && head[k] == '-';
    if (minus) {
      ++k;
      skipped = true;
    }
    if (skipped) {
      const std::size_t d = head.find_first_of("0123456789", k);
      const std::size_t e = head.find_first_not_of("0123456789", d);
      if (d != std::string::npos) staged.jump = build::findlabel(head.substr(d, e - d));
    }
    staged.number = n;
    if (n == 0)
      staged.itemid = idcancel;
    else if (n > 0 && !minus)
      staged.itemid = labelbase + n;
    else
      staged.itemid = idprefix;
  } else if (head == "STEP") {
    staged.itemid = idstep;
  } else if (head == "RUN") {
    staged.itemid = idrun;
  } else {
    staged.number = -1;  // a link when the text begins with a scheme
  }
  shown = rest;
  offset = static_cast<std::int32_t>(colon + 1);
}

// Stages option `o` for the item routines (steps 1 to 6 of the staging).
void stage(const Opt& o) {
  const std::int32_t v = o.value;
  const std::int32_t kw = o.kw;
  staged.keyword = kw == namelabel || kw == dk("Align") ? dk("Text") : kw;
  staged.value = 0.0;
  staged.text.blank();
  staged.bind = {};
  staged.length = 0;
  staged.bindbits = 1;
  staged.symbol = v > 0 ? v : 0;
  staged.number = 0;
  staged.aligned = false;
  staged.listtext.clear();
  staged.itemid = idbase + builder.itemcount + 1;
  std::string text;
  if (kw == dk("Align")) {
    staged.aligned = true;
    if (textof(v, text)) {
      text = trimmed(text);
      staged.bindbits = 0x2005;
    } else {
      text = numberdigits(valueof(v));
      staged.bindbits = 0x2007;
    }
    staged.text.set(text);
    staged.length = static_cast<std::int32_t>(std::min<std::size_t>(text.size(), 256)) + 1;
    return;
  }
  if (kw == namelabel) {
    text = printablename(v) + "=";
    staged.bindbits = 5;
    staged.text.set(text);
    staged.length = static_cast<std::int32_t>(text.size()) + 1;
    return;
  }
  if (v <= 0) return;
  if (textof(v, text)) {
    const std::int32_t type = core::NAMTYP(v, 0xFFF);
    const bool variable = (type & 0x40) != 0 && (type & (typetemp | 1)) == 0;
    staged.bindbits = variable ? 4 : 5;
    std::string shown = text;
    std::int32_t offset = 0;
    if (kw == dk("Button")) buttonprefix(shown, offset);
    if (kw == dk("Button") && staged.number == -1) {
      for (std::string_view s : {"http:", "shell:", "mailto:"})
        if (text.starts_with(s)) {
          shown = text;
          offset = 0;
        }
    }
    staged.text.set(shown);
    staged.length = static_cast<std::int32_t>(shown.size());
    if (variable) staged.bind = {0, v, offset};
    if (kw == dk("ListBox") || kw == dk("ComBobox") || (!variable && kw != dk("Button"))) {
      staged.listtext = text;
      staged.bind = {};
    }
    return;
  }
  if (core::NAMTYP(v, typearray) != 0) {
    staged.bindbits = 8;
    staged.bind = {0, v, 0};
    staged.length = core::I4EQUZ(1, v) * core::I4EQUZ(2, v);
    const std::int32_t cell = cellof(staged.bind);
    staged.value = cell > 0 ? core::z(cell) : 0.0;
    staged.text.set(printablename(cell));
    return;
  }
  staged.value = valueof(v);
  if (kw == dk("Text") || kw == dk("TItle")) {
    staged.bindbits = 7;
    staged.bind = refofcell(v);
    std::array<char, 256> t{};
    std::int32_t used = 0;
    core::NAMEEQUALSVALUE(v, t, static_cast<std::int32_t>(t.size()), used);
    text = trimmed(std::string_view(t.data(), static_cast<std::size_t>(std::max(used, 0))));
    staged.text.set(text);
    const auto n = static_cast<std::int32_t>(text.size());
    if (n < widthunit) {
      staged.length = widthunit - 1;
    } else if (kw != dk("TItle")) {
      staged.length = (n / widthunit + 1) * widthunit;
      staged.aligned = true;
    } else {
      staged.length = n;
    }
    return;
  }
  if (v <= core::z.size()) {
    staged.bindbits = 2;
    staged.length = 1;
    staged.bind = refofcell(v);
  }
}

// Releases what a failed or finished statement leaves open: the help file
// of HelpFile, the dialog-build bit, the font slot of the statement.
struct StatementEnd {
  std::int32_t slot = plot::ifontslot;
  ~StatementEnd() {
    if (core::menuunit != core::helpunit) {
      plat::close_unit(core::menuunit);
      core::menuunit = core::helpunit;
      core::menufile.blank();
    }
    core::idestate &= ~dialogbuild;
    plot::ifontslot = slot;
  }
};

// The update of a live dialog named by its window handle.
void updatedialog(win::HWND window, const std::vector<Opt>& opts) {
  exec::FINDWINDOW(window);
  UPDATEWINDOW(window, 0, 7);
  exec::FINDWINDOW(window);
  exec::wdwrec* w = exec::wdwcur;
  if (w == nullptr || w->window != window) return;
  exec::ctlrec* chosen = nullptr;
  std::int32_t chosenplace = 0;
  for (const Opt& o : opts) {
    std::string text;
    if (o.kw == dk("TItle") && textof(o.value, text)) {
      win::SetWindowTextA(window, trimmed(text).c_str());
    } else if (o.kw == dk("IDentification")) {
      chosen = WINDOWITEM(window, rounded(valueof(o.value)), chosenplace);
    } else if ((o.kw == dk("ListBox") || o.kw == dk("ComBobox")) && textof(o.value, text)) {
      exec::ctlrec* c = chosen;
      std::int32_t place = chosenplace;
      if (c == nullptr) {
        place = 0;
        for (exec::ctlrec* r = w->firstcontrol; r != nullptr; r = r->ctlnext) {
          ++place;
          if ((r->ctlkind & ck::list) != 0) {
            c = r;
            break;
          }
        }
      }
      if (c == nullptr || !w->dialogitems.valid(place)) continue;
      exec::ctlcur = c;
      builder.itemcount = place;
      staged.keyword = o.kw;
      staged.text.blank();
      staged.listtext = text;
      staged.number = 1;
      std::int32_t status = 0;
      MODIFYITEMLIST(status, true);
      if (status != 0) {
        core::xeqstop = core::stops::error;
        return;
      }
      toolkit::dialog_t& it = w->dialogitems(place);
      const toolkit::text_array_t list{c->ctllist.empty() ? nullptr : c->ctllist.front().data(),
                                       127, static_cast<int>(c->ctllist.size()), 127};
      std::int32_t selection = it.integer_value;
      if (const std::int32_t cell = cellof(c->ctlselidx); cell > 0)
        selection = rounded(core::z(cell));
      int ups = 0;
      toolkit::UPDATE_DIALOG_ITEM(
          it, &window, nullptr, nullptr, 0, nullptr, 0, &selection, &list, nullptr, nullptr,
          nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
          nullptr, nullptr, nullptr, 0, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &ups);
      toolkit::SET_FOREGROUND(window, &ups);
    }
  }
  exec::setwindowvar(w->returncodevar, 0.0);
}

// The statement ends with the message its key names.
void fail(std::string_view key, std::string_view detail) {
  core::msgkey.set(key);
  core::failedline.set(detail);
  core::xeqstop = core::stops::error;
}

}  // namespace

void DIALOG(const exec::OptCall&) {
  // (The table this statement showed has closed with its answer.)
  if (TAKEANSWER()) return;
  StatementEnd end;
  core::idestate |= dialogbuild;
  startbuild();
  Builder& b = builder;
  b.brush = plot::BACKBRUSH(exec::colnum(2));
  b.textcolour = exec::colour(exec::colnum(1));
  b.owner = exec::mainwindow();
  plot::ifontslot = 3;

  // The options in written order (the table holds them last written first).
  std::vector<Opt> opts;
  for (std::int32_t k = exec::noptions; k >= 1; --k)
    opts.push_back({static_cast<std::int32_t>(exec::optkw(k)), exec::optval(k)});
  // A list of values, (a, b), is a temporary that holds them from its own
  // cell on (its record carries minus their count): its first cell holds
  // no shape to size an array by. No option takes one.
  for (const Opt& o : opts) {
    const std::int32_t v = o.value;
    if (v > core::nsym && core::name.valid(v) && core::NAMTYP(v, typearray) != 0 &&
        core::name(v).namlen < 0) {
      const auto entries = core::shoplist(core::OptStmt::DLG).entries;
      const std::size_t k = static_cast<std::size_t>(std::max(o.kw, 0));
      return fail(core::MSGKEY("dlgListValue"), k < entries.size() ? entries[k].kw : "");
    }
  }

  // Pass 1: planning.
  BitList bits;
  std::vector<Opt> planned;
  for (std::size_t i = 0; i < opts.size(); ++i) {
    const Opt o = opts[i];
    std::string text;
    if (o.kw == dk("NamEedit") && opts.size() < mostoptions) {
      planned.push_back({namelabel, o.value});
      if (i + 1 < opts.size() && (opts[i + 1].kw == dk("X") || opts[i + 1].kw == dk("Y") ||
                                  opts[i + 1].kw == dk("Line"))) {
        planned.push_back(opts[i + 1]);
        ++i;
      }
      planned.push_back({dk("Edit"), o.value});
      b.planned += 2;
      continue;
    }
    planned.push_back(o);
    if (iscontrol(o.kw)) b.planned += 1;
    if (isbox(o.kw) && bits.given) b.planned += static_cast<std::int32_t>(bits.items.size()) - 1;
    if (o.kw == dk("TItle") && textof(o.value, text)) b.titlevar = o.value;
    if (o.kw == dk("WINdowhandle")) {
      const win::HWND h = handleof(valueof(o.value));
      if (h != nullptr && !exec::ismainwindow(h) && toolkit::IS_WINDOW_VALID(h) != 0) {
        updatedialog(h, opts);
        return;
      }
    }
    if (o.kw == dk("BiTteXt") && textof(o.value, text)) bits = bitlist(text);
    if (o.kw == dk("HeLP") && textof(o.value, text)) {
      int answer = 0;
      core::HELP(trimmed(text), answer);
      return;
    }
  }

  // Pass 2: a control with a Format, or whose value is a numeric array,
  // becomes a table: its options (written after it) are collected and the
  // table is set up; its items are reserved in the plan.
  std::int32_t controls = 0;
  for (const Opt& o : planned)
    if (o.kw == dk("CoNtrols")) controls = o.value;
  for (std::size_t i = 0; i < planned.size(); ++i) {
    if (!iscontrol(planned[i].kw) || bits.given) continue;
    TableRequest q;
    q.key = static_cast<std::int32_t>(i) + 1;
    q.object = planned[i].value;
    std::int32_t rowvar = 0, colvar = 0;
    for (std::size_t j = i + 1; j < planned.size() && !iscontrol(planned[j].kw); ++j) {
      const Opt& p = planned[j];
      const std::int32_t v = std::max(p.value, 0);
      if (p.kw == dk("Width")) q.viscols = rounded(valueof(v));
      if (p.kw == dk("Height")) q.visrows = rounded(valueof(v));
      if (p.kw == dk("ColTitle")) q.coltitle = v;
      if (p.kw == dk("RowTitle")) q.rowtitle = v;
      if (p.kw == dk("ColSel")) q.colsel = v;
      if (p.kw == dk("RowSel")) q.rowsel = v;
      if (p.kw == dk("Format")) q.format = v;
      if (p.kw == dk("ROW")) rowvar = v;
      if (p.kw == dk("COL")) colvar = v;
    }
    const std::int32_t v = q.object;
    if (v < 1 || v > core::nsym) continue;
    const bool array = core::NAMTYP(v, typearray) != 0 && core::NAMTYP(v, 0x40) == 0;
    if (q.format <= 0 && !array) continue;
    const bool text = core::NAMTYP(v, 0x40 | 0x100) != 0;
    if ((!array && !text) || (array && core::I4EQUZ(2, v) < 1))
      return fail(core::MSGKEY("mx2invalidObj"), printablename(v));
    const std::int32_t items = SETMATRIXFORMAT(q);
    if (!core::msgkey.is_blank()) {
      dropstaged();
      const std::string key(core::msgkey.trimmed()), detail(core::failedline.trimmed());
      return fail(key, detail);
    }
    if (items <= 0 || mxcur == nullptr) continue;
    const auto scalar = [](std::int32_t s) {
      return s > 0 && core::NAMTYP(s, typearray | 0x40) == 0 && core::z.valid(s) ? s : 0;
    };
    mxcur->rowvar = scalar(rowvar);
    mxcur->colvar = scalar(colvar);
    b.planned += items - 1;
  }

  // Pass 3: building.
  BitList boxes;
  std::int32_t status = 0;
  exec::wdwrec* made = nullptr;
  const auto dropbuild = [&] {
    dropstaged();
    if (made != nullptr && made->window == nullptr) exec::dropunmade(made);
  };
  // The table set up for the control placed last waits for that control's
  // options; it is built at the next control or at the end.
  bool tablepending = false;
  const auto buildtable = [&] {
    if (!tablepending) return true;
    tablepending = false;
    staged.tableformat = 0;
    SETMATRIX(b.x, b.y, controls);
    return core::msgkey.is_blank();
  };
  for (std::size_t i = 0; i < planned.size(); ++i) {
    const Opt o = planned[i];
    const auto key = static_cast<std::int32_t>(i) + 1;
    std::string text;
    if (o.kw == dk("BiTteXt")) {
      if (textof(o.value, text)) boxes = bitlist(text);
      continue;
    }
    const std::size_t nboxes = isbox(o.kw) && boxes.given ? boxes.items.size() : 1;
    // Boxes of one keyword start a row after Line, or every n-th after ColSel
    // (a table's ColSel binds its titles).
    const bool table = pendingtable(key) != nullptr;
    std::int32_t rowevery = 0;
    bool newrow = false;
    if (isbox(o.kw) && !table && i + 1 < planned.size()) {
      if (planned[i + 1].kw == dk("Line")) {
        newrow = true;
        ++i;
      } else if (planned[i + 1].kw == dk("ColSel")) {
        rowevery = rounded(valueof(planned[i + 1].value));
        ++i;
      }
    }
    for (std::size_t n = 0; n < nboxes; ++n) {
      stage(o);
      if (o.kw == dk("ListBox") || o.kw == dk("ComBobox")) {
        std::error_code ec;
        const std::string name(staged.text.trimmed());
        if (name.empty() || !std::filesystem::is_regular_file(plat::system_path(name), ec))
          staged.text.blank();
      }
      if (isbox(o.kw)) {
        const std::int64_t word = rounded(staged.value);
        if ((newrow && n == 0) || (rowevery > 0 && n > 0 && n % rowevery == 0)) {
          b.y = margin + ((b.y - margin) / rowheight + 1) * rowheight;
          b.x = margin;
        }
        if (boxes.given) {
          staged.text.set(boxes.items[n]);
          if (staged.bindbits == 8) {
            staged.bind.offset = static_cast<std::int32_t>(n);
            const std::int32_t cell = cellof(staged.bind);
            staged.value = cell > 0 ? core::z(cell) : 0.0;
          } else {
            staged.value = n < 63 && (word & (1LL << n)) != 0 ? 1.0 : 0.0;
          }
        } else if (o.value > 0) {
          staged.text.set(printablename(o.value));
        }
      }
      if (iscontrol(staged.keyword)) {
        if (!buildtable()) {
          const std::string refused(core::msgkey.trimmed());
          dropbuild();
          return fail(refused, {});
        }
        SETDLGWINDOW_ITEM(status);
        if (status != 0) {
          dropbuild();
          return fail(core::MSGKEY("msgNoDLG"), "Error " + std::to_string(status));
        }
        if (made == nullptr) {
          made = exec::wdwcur;
          if (made != nullptr) made->background = exec::colnum(2);
        }
        if (CHECKIFMX2(key) > 0) {
          tablepending = true;
          staged.tableformat = 1;
        }
      }
      if (b.itemcount > 0 || o.kw > dk("RowTitle")) {
        MODIFYITEM(status, true);
        if (status != 0) {
          dropbuild();
          core::xeqstop = core::stops::error;
          return;
        }
      } else if (o.kw == dk("FocuS")) {
        b.focusitem = std::max(rounded(staged.value), 1);
      }
      if (isbox(o.kw) && boxes.given && exec::ctlcur != nullptr) {
        exec::ctlcur->ctlkind |= ck::sharedbit;
        exec::ctlcur->ctlselend = static_cast<std::int32_t>(n);
      }
    }
  }
  if (!buildtable()) {
    const std::string key(core::msgkey.trimmed());
    dropbuild();
    return fail(key, {});
  }
  exec::wdwrec* w = exec::wdwcur;
  if (w == nullptr || made == nullptr || w != made || b.itemcount == 0) {
    dropbuild();
    return;
  }
  if (w->firsttable != nullptr) {
    MATRIXUPDATE(nullptr, 0, 0, 0, 0, 1);
    core::msgkey.blank();
  }
  if (b.focusitem > 0 && w->dialogitems.valid(b.focusitem))
    build::addstyle(w->dialogitems(b.focusitem), toolkit::kOptionFocus, 0);
  if (opts.size() == 1 && opts[0].kw == dk("NamEedit")) namebox(opts[0].value, *w);
  std::int32_t result = 0;
  SHOWDIALOG(dlgstatement, result, status);
  if (status != 0) core::xeqstop = core::stops::error;
}

void reset_dialogs() {
  reset_dialogwords();
  reset_bindings();
  reset_win();
  reset_tables();
}

}  // namespace ui
