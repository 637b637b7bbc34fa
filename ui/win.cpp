// WIN: the text of a dialog window chosen (a script's text or one of its
// blocks, a section of the help data file or of a file a HelpFile item
// names, a clicked link), then read twice: the first pass counts the
// controls and settles the dialog's font, the second makes the window
// record and one item per control, and the dialog is shown.
#include "ui/win.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "core/chars.h"
#include "core/editbuffer.h"
#include "core/helpdata.h"
#include "core/messages.h"
#include "core/runwords.h"
#include "core/stores.h"
#include "core/symbols.h"
#include "core/symbols_text.h"
#include "exec/appendix.h"
#include "exec/settingrefs.h"
#include "exec/windowwords.h"
#include "platform/backend.h"
#include "platform/file_units.h"
#include "platform/win_message_box.h"
#include "platform/win_msgbox_report.h"
#include "plot/backbrush.h"
#include "plot/fonthelpers.h"
#include "plot/fontslots.h"
#include "toolkit/scrolling.h"
#include "ui/bindings.h"
#include "ui/dialogs.h"
#include "ui/dialogwords.h"
#include "ui/dlgbuild.h"
#include "ui/popupmenu.h"
#include "ui/tables.h"
#include "ui/winparse.h"
#include "ui/wintables.h"

namespace ui {

namespace {

using namespace winparse;

constexpr std::int32_t dialogbuild = 0x100;  // busy bit of `idestate`
constexpr int fileunit = 6990;               // a file other than the help data file
constexpr std::int32_t firsty = 7;           // the first line's y
constexpr std::int32_t controlstep = 16;     // below a line that holds a control
constexpr std::int32_t textgrid = 8;         // below a line of texts only
constexpr int mostrounds = 4;                // starts over (HelpFile, links) at most
constexpr std::size_t mostlines = 2000;      // lines of one text
constexpr std::int32_t typechar = 0x40;
constexpr std::size_t linktarget = 92;
constexpr std::size_t linkfile = 96;
constexpr std::string_view fixedfont = "Courier new,P=8";

std::string trimmed(std::string_view s) {
  const std::size_t b = s.find_first_not_of(' ');
  if (b == std::string_view::npos) return {};
  const std::size_t e = s.find_last_not_of(' ');
  return std::string(s.substr(b, e - b + 1));
}

std::string upper(std::string s) {
  for (char& c : s)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 32);
  return s;
}

bool iscontrol(std::int32_t kw) { return kw >= dk("Text") && kw <= dk("ScrollBar"); }
// Keywords that make their line a line of controls.
bool islinecontrol(std::int32_t kw) { return kw >= dk("Button") && kw <= dk("ScrollBar"); }

// The program's own help data file: its path, or a name that holds the
// file's name.
bool ishelpdata(std::string_view file) {
  const std::string f = upper(trimmed(file));
  if (f.empty()) return false;
  const std::string path = upper(std::string(core::helppath.trimmed()));
  return f == path || f.find("OSTREL.HLP") != std::string::npos ||
         (!path.empty() && path.find(f) != std::string::npos);
}

bool textof(std::int32_t sym, std::string& out) {
  std::int32_t first = 0, last = 0;
  if (sym <= 0 || (core::ISCHAR(sym, first, last) & typechar) == 0) return false;
  if (first < 1 || last < first || !core::c1namen.valid(last)) {
    out.clear();
    return true;
  }
  out.assign(core::c1namen.ptr(first), static_cast<std::size_t>(last - first + 1));
  return true;
}

double valueof(std::int32_t sym) { return sym > 0 && core::z.valid(sym) ? core::z(sym) : 0.0; }

std::int32_t rounded(double v) {
  if (!std::isfinite(v)) return 0;
  return static_cast<std::int32_t>(std::llround(std::clamp(v, -2147483647.0, 2147483647.0)));
}

// The text to build from.
struct Text {
  std::vector<std::string> lines;
  std::string title = "...";
  bool modeless = false;
  std::string key;  // a help section's key
};

// The state of one call.
struct Call {
  explicit Call(WinCall& c) : call(c) {}
  WinCall& call;
  bool script = false;
  Context cx;
  std::string file;  // the file the text's sections come from
  int unit = core::helpunit;
  bool helpmode = false;   // the text is a section key of `file`
  std::string sectionkey;  // after a HelpFile item: the key that follows it
  bool restart = false;
  bool done = false;  // nothing (more) to do
  // A script's position and handle variable.
  double x = -999.0, y = -999.0;
  std::int32_t handlevar = 0;
  bool handlegiven = false;
  std::int32_t controls = 0;  // controls placed in the second pass
};

// A failure: a script's statement stops with the key's message; a
// program's window shows the message at once.
void fail(Call& s, std::string_view key, std::string_view detail) {
  // The message with its detail (the box's title) is shown here; a
  // script's run stops with its key.
  const std::string k(key);
  if (core::nomsg == 0) {
    int answer = 0;
    core::MSGBOXFROMHELP(k, detail, answer);
  }
  if (s.script) {
    core::msgkey.set(k);
    core::failedline.set(detail);
  }
  if ((s.call.mode & winmode::result) != 0) s.call.iret = 0;
  core::xeqstop = core::stops::error;
  s.done = true;
}

// What every exit puts back: the file of a HelpFile item or of a link,
// the busy bit, the font slot, the program's values.
struct Exit {
  std::int32_t slot = plot::ifontslot;
  std::array<std::span<std::byte>, 7> parameters = exec::parameters;
  ~Exit() {
    if (core::menuunit != core::helpunit) {
      plat::close_unit(core::menuunit);
      core::menuunit = core::helpunit;
      core::menufile.blank();
    }
    core::idestate &= ~dialogbuild;
    plot::ifontslot = slot;
    // A program's values live only for its call: a window that stays open
    // afterwards keeps no way into them.
    exec::parameters = parameters;
  }
};

template <class T>
std::span<std::byte> bytesof(std::span<T> s) {
  return {reinterpret_cast<std::byte*>(s.data()), s.size_bytes()};
}

void registerparameters(const core::HelpValues& v) {
  exec::parameters[0] = bytesof(v.bytes);
  exec::parameters[1] = bytesof(v.halves);
  exec::parameters[2] = bytesof(v.words);
  exec::parameters[3] = bytesof(v.singles);
  exec::parameters[4] = bytesof(v.doubles);
  exec::parameters[5] = bytesof(v.text);
  std::span<char> chars = v.characters;
  if (v.count >= 0)
    chars = chars.first(std::min(chars.size(), static_cast<std::size_t>(v.count)));
  else
    chars = {};
  exec::parameters[6] = bytesof(chars);
}

// Opens the file of a section key on its own unit; false when it cannot be
// read.
bool openfile(Call& s, std::string_view name) {
  if (core::menuunit == fileunit && upper(trimmed(core::menufile.view())) == upper(trimmed(name)))
    return true;
  if (core::menuunit == fileunit) plat::close_unit(fileunit);
  core::menuunit = core::helpunit;
  plat::UnitMode mode;
  mode.status = plat::UnitStatus::old_file;
  mode.action = plat::UnitAction::read;
  mode.share = plat::UnitShare::denynone;
  mode.position = plat::UnitPosition::rewind;
  if (plat::open_unit(fileunit, trimmed(name), mode) != plat::iostat_ok) return false;
  core::menuunit = fileunit;
  core::menufile.set(trimmed(name));
  s.unit = fileunit;
  return true;
}

// Starts another copy of the program for a key that names a script.
void startscript(std::string_view key) {
  std::string folder(progfolder.trimmed());
  if (folder.empty()) {
    std::error_code ec;
    const std::filesystem::path p = std::filesystem::read_symlink("/proc/self/exe", ec);
    folder = ec ? std::string("ostrel") : p.string();
  }
  const std::string arg = "HELP=" + trimmed(key);
  const auto quoted = [](const std::string& a) {
    return a.find(' ') == std::string::npos ? a : "\"" + a + "\"";
  };
  startprogram(quoted(folder) + " " + quoted(arg));
}

// A section of the help data file (or of the file on unit 6990) named by
// the text's first word.
bool helpsection(Call& s, std::string_view request, Text& t) {
  const std::string text = trimmed(request);
  if (text.empty()) {
    s.done = true;
    return false;
  }
  const std::string key = text.substr(0, std::min(text.find_first_of(" ;:"), text.size()));
  if (key.empty()) {
    s.done = true;
    return false;
  }
  t.key = key;
  core::helpkeylen = static_cast<std::int32_t>(std::min<std::size_t>(key.size() + 1, 256));
  // A program's references name its values; a script's (after HelpFile)
  // its own.
  if (!s.script) s.cx.nargs = s.call.topic ? programcallernone : programcaller;
  core::menuunit = s.unit;
  core::helpkey.set(key);
  int found = 0, lastline = 0, bodylen = 0, width = 0;
  plat::FixedText<256> head;
  core::GETMENUDATA(s.unit, found, lastline, bodylen, width,
                    std::span<char>(head.data(), head.size()));
  if (found == 0) {
    if (key.find(".ost") != std::string::npos || key.find(".dem") != std::string::npos) {
      startscript(key);
      s.done = true;
      return false;
    }
    fail(s, core::MSGKEY("msgNotinHF"), text + " in " + trimmed(s.file));
    return false;
  }
  const std::string h = trimmed(head.view());
  const std::size_t blank = h.find(' ');
  const std::string rest = blank == std::string::npos ? std::string() : trimmed(h.substr(blank));
  // (Another file is read on: its section ends at its last line.)
  const std::size_t most = s.unit == core::helpunit
                               ? mostlines
                               : std::min<std::size_t>(std::max(lastline - found, 0), mostlines);
  if (rest.find("/POPUP") != std::string::npos) {
    // The section's lines are a menu text, one item a line.
    std::string menu;
    int entry = core::helpentry, position = core::helppos;
    plat::FixedText<256> line;
    for (std::size_t n = 0; n < most && core::GETMENULINE(std::span<char>(line.data(), line.size()),
                                                          entry, position) == 0;
         ++n)
      menu += trimmed(line.view()) + "\r\n";
    SHOWPOPUPMENU(menu);
    s.done = true;
    return false;
  }
  if (rest.find(';') != std::string::npos) {
    s.cx.blockmark = text[0];
    t.modeless = rest.find(";;") == std::string::npos;
    int entry = core::helpentry, position = core::helppos;
    plat::FixedText<256> line;
    while (t.lines.size() < most &&
           core::GETMENULINE(std::span<char>(line.data(), line.size()), entry, position) == 0)
      t.lines.emplace_back(line.view());
  } else {
    t.title = rest;
    const std::string shown = key + " ";
    t.lines.push_back(rest.find("/LB") != std::string::npos ? "LB=" + shown + ";W=0;"
                                                            : "E=" + shown + ";");
  }
  if (const std::size_t ti = rest.find("ti="); ti != std::string::npos) {
    const std::string v = rest.substr(ti + 3);
    t.title = trimmed(v.substr(0, std::min(v.find(';'), v.size())));
  }
  s.helpmode = true;
  s.cx.doubled = true;
  return true;
}

// A script's text: a block of the script, or itself one line of items.
bool scripttext(Call& s, std::string_view given, Text& t) {
  const std::string text = trimmed(given);
  const Context& cx = s.cx;
  if (text.find_first_of(std::string{cx.sep[4], cx.sep[2], cx.sep[3], cx.sep[1]}) ==
      std::string::npos) {
    std::int32_t first = 0, last = 0;
    if (!text.empty()) exec::MENUA_E(text, first, last);
    t.modeless = false;
    if (first > 0) s.cx.blockmark = text[0];
  }
  if (!text.empty() && text[0] == s.cx.blockmark) {
    std::int32_t first = 0, last = 0;
    exec::MENUA_E(text, first, last);
    if (first <= 0) {
      const std::size_t blank = text.find(' ');
      fail(s, core::MSGKEY("msgNoMenu"),
           blank == std::string::npos ? text : text.substr(0, blank + 1));
      return false;
    }
    t.title = trimmed(core::linetext(first - 1));
    for (std::int32_t l = first; l <= last && t.lines.size() < mostlines; ++l)
      t.lines.push_back(core::linetext(l));
    return true;
  }
  t.lines.push_back(text);
  return true;
}

// A script's operands: up to three numbers (a handle variable; x and y;
// or x, y and a handle variable), the text, the values. False when the
// call ends here (a live window refreshed, a failure).
bool scriptoperands(Call& s, std::string& text) {
  const std::span<const std::int32_t> ops = s.call.args;
  std::size_t k = 0;
  while (k < ops.size() && !textof(ops[k], text)) ++k;
  if (k > 3) {
    fail(s, core::MSGKEY("msgDLGprefix"), "");
    return false;
  }
  if (k == ops.size()) {
    // No text: the handle (when one is given) only refreshes its window.
    if (k == 0) {
      s.done = true;
      return false;
    }
  }
  if (k >= 2) {
    s.x = valueof(ops[0]);
    s.y = valueof(ops[1]);
  }
  if (k == 1 || k == 3) {
    const std::int32_t hv = ops[k - 1];
    s.handlegiven = true;
    s.handlevar = refofcell(hv).bound() ? hv : 0;
    const win::HWND h = handleof(valueof(hv));
    if (h != nullptr && !exec::ismainwindow(h) && toolkit::IS_WINDOW_VALID(h) != 0) {
      if (!inupdate) UPDATEWINDOW(h, 0, 1);
      exec::FINDWINDOW(h);
      if (exec::wdwcur != nullptr && exec::wdwcur->window == h)
        exec::setwindowvar(exec::wdwcur->returncodevar, 0.0);
      s.done = true;
      return false;
    }
    if (h != nullptr && (exec::inkill & 1) == 0) {
      exec::FINDWINDOW(h);
      if (exec::wdwcur != nullptr && exec::wdwcur->window == h) exec::KILLWINDOW(h, 0);
    }
  }
  if (k == ops.size()) {
    s.done = true;
    return false;
  }
  s.cx.params.assign(ops.begin() + static_cast<std::ptrdiff_t>(k) + 1, ops.end());
  s.cx.nargs = static_cast<std::int32_t>(s.cx.params.size());
  return true;
}

// Steps 4 to 7: the text of this round.
bool choosetext(Call& s, Text& t) {
  s.cx = Context{};
  s.cx.nargs = s.script ? 0 : programcaller;
  s.helpmode = false;
  std::string text;
  if (!s.sectionkey.empty()) {
    // After a HelpFile item: the key that followed it, in that file.
    text = s.sectionkey;
    s.sectionkey.clear();
    s.helpmode = true;
    if (s.script) {
      std::string ignored;
      if (!s.call.args.empty() && !scriptoperands(s, ignored)) return false;
    }
    return helpsection(s, text, t);
  }
  if (winlink.word > 0) {
    winlink.word = -winlink.word;
    text = trimmed(winlink.text.view());
    s.file = trimmed(winlink.file.view());
    s.cx.blockmark = text.empty() ? '#' : text[0];
    bool ok = false;
    if (s.file.empty() && s.script) {
      ok = scripttext(s, text, t);
    } else if (s.file.empty() || ishelpdata(s.file)) {
      s.file = std::string(core::helppath.trimmed());
      s.unit = core::helpunit;
      ok = helpsection(s, text, t);
    } else if (openfile(s, s.file)) {
      ok = helpsection(s, text, t);
    } else if (s.script) {
      ok = scripttext(s, text, t);
    } else {
      s.done = true;
    }
    // The window of a link stays beside the one it came from.
    t.modeless = true;
    return ok;
  }
  if (s.script) {
    if (!scriptoperands(s, text)) return false;
    s.file = std::string(exec::wdwhead != nullptr ? exec::wdwhead->helpfile.trimmed() : "");
    return scripttext(s, text, t);
  }
  s.file = std::string(core::helppath.trimmed());
  s.unit = core::helpunit;
  return helpsection(s, winrequest.view(), t);
}

// --- The two passes ---------------------------------------------------------

// Sets the option in hand for the item routines.
void stage(const Item& it, std::int32_t kw) {
  const Builder& b = builder;
  // (A table's options find its control waiting for them.)
  const std::int32_t table = staged.tableformat;
  staged = Staged{};
  staged.tableformat = table;
  staged.keyword = kw;
  staged.value = it.value;
  staged.text.set(it.text);
  staged.bind = it.where;
  staged.bindbits = it.kind == 0 ? 1 : it.kind;
  staged.length = it.kind == kindtext || it.kind == kindnumbertext || it.kind == kindconstant
                      ? static_cast<std::int32_t>(std::min<std::size_t>(it.text.size(), 256))
                      : it.length;
  staged.paramref = it.reference;
  staged.aligned = it.lower;
  staged.itemid = it.id != 0 ? it.id : idbase + b.itemcount + 1;
  staged.number = it.number;
  staged.jump = it.jump;
  if (it.kind == ck::numeric && it.where.bound()) staged.symbol = it.where.sym;
  if (kw == dk("ListBox") || kw == dk("ComBobox")) {
    // A list's text from a reference is taken whole: its entries may run
    // far past the 256 characters of a value text.
    const std::span<char> whole =
        it.reference && it.where.bound() ? charsof(it.where, it.length) : std::span<char>();
    staged.listtext =
        whole.size() > it.text.size() ? std::string(whole.data(), whole.size()) : it.text;
    if (it.reference) staged.bind = {};
  }
}

// The name a NamEedit shows before its field.
std::string nameof(const Item& it) {
  if (it.where.array == 0 && it.where.sym > 0) {
    if (it.kind == ck::element) {
      std::array<char, 256> t{};
      core::GETNAME(cellof(it.where), t);
      return trimmed(std::string_view(t.data(), t.size()));
    }
    return std::string(core::symbolname(it.where.sym));
  }
  return {};
}

// The control record's link: its target, then the file it is read from.
void setlink(const Item& it, const std::string& file) {
  exec::ctlrec* c = exec::ctlcur;
  if (c == nullptr || it.link.empty()) return;
  c->ctltext.assign(linktarget + linkfile, ' ');
  std::copy_n(it.link.begin(), std::min(it.link.size(), linktarget), c->ctltext.begin());
  std::copy_n(file.begin(), std::min(file.size(), linkfile),
              c->ctltext.begin() + static_cast<std::ptrdiff_t>(linktarget));
  if (it.scheme) c->ctllink = 1;
}

enum class Ended { no, text, call };

// One item of the second pass.
Ended place(Call& s, const Item& it, bool& controlline) {
  std::int32_t kw = it.kw < 0 ? dk("Text") : it.kw;
  std::int32_t status = 0;
  const auto apply = [&](std::int32_t keyword) -> Ended {
    if (iscontrol(keyword)) {
      if (!wintables::build()) {
        fail(s, core::msgkey.trimmed(), "");
        return Ended::call;
      }
      SETDLGWINDOW_ITEM(status);
      if (status == statusfull) return Ended::text;
      if (status == statusnodialog) return Ended::call;
      if (status != 0) {
        fail(s, core::MSGKEY("msgNoDLG"), "Error " + std::to_string(status));
        return Ended::call;
      }
      setlink(it, s.file);
      // The window's colour number, from which a table's rows take theirs.
      if (builder.itemcount == 1 && exec::wdwcur != nullptr)
        exec::wdwcur->background = exec::colnum(2);
      wintables::begins(++s.controls);
      staged.number = 0;  // a label's number is the control's; lists take theirs anew
      if (islinecontrol(keyword)) controlline = true;
    }
    if (builder.itemcount > 0 || keyword >= dk("ROW")) {
      MODIFYITEM(status, false);
      if (status == statusrefused) {
        fail(s, core::msgkey.view().substr(0, 16), core::failedline.trimmed());
        return Ended::call;
      }
    }
    return Ended::no;
  };
  if (kw == dk("Align")) {
    stage(it, dk("Text"));
    staged.aligned = true;
    return apply(dk("Text"));
  }
  if (kw == dk("NamEedit")) {
    // The variable's name as a label, then its field.
    Item name;
    name.text = nameof(it) + "=";
    name.kind = kindtext;
    name.lower = true;
    stage(name, dk("Text"));
    if (const Ended e = apply(dk("Text")); e != Ended::no) return e;
    stage(it, dk("Edit"));
    return apply(dk("Edit"));
  }
  stage(it, kw);
  const Ended e = apply(kw);
  if (kw == dk("SEParators")) s.cx.sep = builder.syntax;
  return e;
}

// Pass one (count) or two (build) over the text's lines.
Ended pass(Call& s, const Text& t, bool first, std::int32_t& count) {
  Builder& b = builder;
  s.cx.refs = RefState{};
  s.cx.sep = b.syntax;
  s.cx.resolve = !first;
  std::int32_t y = firsty;
  bool helpfilenext = false;
  for (const std::string& raw : t.lines) {
    const std::string line = closeline(raw, s.cx.sep[4]);
    std::size_t at = 0;
    bool controlline = false;
    if (!first) {
      b.x = b.itemcount > 0 ? b.border + b.space * std::min(b.group, 1) : b.border;
      b.y = y;
    }
    Item it;
    bool failed = false;
    while (nextitem(line, at, s.cx, it, failed)) {
      if (failed) {
        fail(s, core::MSGKEY("msgDLGadr"), trimmed(valuetext.view()));
        return Ended::call;
      }
      if (helpfilenext) {
        // The item after a HelpFile item names the file's section.
        s.sectionkey = it.raw.empty() ? std::string(" ") : it.raw;
        s.restart = true;
        return Ended::call;
      }
      if (it.kw == dk("HelpFile")) {
        stage(it, it.kw);
        std::int32_t status = 0;
        MODIFYITEM(status, false);
        if (status == statusrefused) {
          fail(s, core::msgkey.view().substr(0, 16), core::failedline.trimmed());
          return Ended::call;
        }
        s.file = std::string(builder.helpname.trimmed());
        s.unit = core::menuunit;
        helpfilenext = true;
        continue;
      }
      if (first) {
        if (it.kw < 0 || iscontrol(it.kw)) ++count;
        if (it.kw == dk("NamEedit")) ++count;
        if (it.kw == dk("FONt") && it.text.find(',') != std::string::npos) {
          plot::SETFONTPTULBO(it.text, static_cast<std::int32_t>(it.text.size()), 6);
          plot::ifontslot = 6;
        } else if (it.kw == dk("FixedFont")) {
          plot::SETFONTPTULBO(fixedfont, static_cast<std::int32_t>(fixedfont.size()), 6);
          plot::ifontslot = 6;
        } else if (it.kw == dk("SEParators") && !trimmed(it.text).empty()) {
          for (std::size_t i = 0; i < s.cx.sep.size(); ++i)
            s.cx.sep[i] = i < it.text.size() ? it.text[i] : ' ';
        }
        continue;
      }
      const Ended e = place(s, it, controlline);
      if (e != Ended::no) return e;
    }
    // A table's options end with its line.
    if (!first && !wintables::build()) {
      fail(s, core::msgkey.trimmed(), "");
      return Ended::call;
    }
    if (!first) {
      const std::int32_t cur = std::max(b.y, y);
      y = controlline ? cur + controlstep : firsty + ((cur - firsty) / textgrid + 1) * textgrid;
    }
  }
  return Ended::no;
}

// The program's modeless windows by the key of their section: a window
// shown again replaces the one still open (a help topic, the compile's
// progress), so that they do not pile up.
struct Keyed {
  win::HWND window = nullptr;
  std::string key;
};
std::vector<Keyed> keyed;

void closekeyed(const std::string& key) {
  std::erase_if(keyed, [&](const Keyed& k) {
    if (toolkit::IS_WINDOW_VALID(k.window) == 0) return true;
    if (k.key != key) return false;
    exec::FINDWINDOW(k.window);
    if (exec::wdwcur != nullptr && exec::wdwcur->window == k.window && (exec::inkill & 1) == 0)
      exec::KILLWINDOW(k.window, -1);
    return true;
  });
}

// Whether one of the window's buttons gives the answer.
bool offered(int answer, const void* data) {
  const auto* w = static_cast<const exec::wdwrec*>(data);
  for (const exec::ctlrec* c = w->firstcontrol; c != nullptr; c = c->ctlnext)
    if ((c->ctlkind & ck::pushbutton) != 0 && c->ctlident == answer) return true;
  return false;
}

// A program's window that nobody sees: reported, closed unanswered (or
// with the answer a test queued).
std::int32_t unseen(const Call& s, exec::wdwrec& w, const Text& t) {
  const std::string key = s.call.key.empty() ? t.key : std::string(s.call.key);
  return plat::unseen_window(std::string(builder.title.trimmed()), windowtext(w, key), offered, &w);
}

// One round: the text, the two passes, the showing.
void round(Call& s) {
  s.restart = false;
  startbuild();
  Builder& b = builder;
  plot::ifontslot = 3;
  Text t;
  const bool linked = winlink.word > 0;
  if (!choosetext(s, t)) return;
  if (t.lines.empty()) {
    s.done = true;
    return;
  }
  std::int32_t count = 0;
  if (pass(s, t, true, count) != Ended::no || s.done) return;
  // Pass two from the same text.
  const std::int32_t slot = plot::ifontslot;
  startbuild();
  b.helpname.set(s.file.substr(0, std::min<std::size_t>(s.file.size(), 96)));
  b.helpfile = s.helpmode;
  plot::ifontslot = slot;
  b.planned = std::max(count, 1);
  if (s.script) {
    // The tables' items are planned before the window is made.
    std::int32_t extra = 0;
    if (!wintables::plan(t.lines, s.cx, extra)) {
      const std::string key(core::msgkey.trimmed()), detail(core::failedline.trimmed());
      fail(s, key, detail);
      return;
    }
    b.planned += extra;
  }
  b.brush = plot::BACKBRUSH(exec::colnum(2));
  b.textcolour = exec::colour(exec::colnum(1));
  b.owner = exec::mainwindow();
  b.title.set(t.title);
  b.modeless = t.modeless || s.handlegiven;
  b.handlevar = s.handlevar;
  if (s.x != -999.0) b.x0 = rounded(s.x * build::mainslotcellwidth());
  if (s.y != -999.0) b.y0 = rounded(s.y * build::mainslotcellheight());
  if (!s.script && !t.key.empty()) closekeyed(t.key);
  core::menuunit = s.unit;
  // Without a main window (a compile before the run's window exists) the
  // record made here heads the list: it goes again with the list.
  const bool nohead = exec::wdwhead == nullptr;
  const Ended e = pass(s, t, false, count);
  exec::wdwrec* w = exec::wdwcur;
  const bool built =
      w != nullptr && b.itemcount > 0 && w->window == nullptr && (w != exec::wdwhead || nohead);
  const auto drop = [&] {
    wintables::drop();
    if (nohead && exec::wdwhead != nullptr && exec::wdwhead->window == nullptr)
      exec::reset_windowlist();
    else if (built)
      exec::dropunmade(w);
  };
  if (e == Ended::text && !wintables::build()) fail(s, core::msgkey.trimmed(), "");
  if (e == Ended::call || s.done || s.restart || !built) {
    drop();
    s.done = s.done || !s.restart;
    return;
  }
  if (w->firsttable != nullptr) {
    MATRIXUPDATE(nullptr, 0, 0, 0, 0, 1);
    core::msgkey.blank();
  }
  winlink.word = 0;
  if (!s.script) {
    w->nonscript = true;
    w->nowriteback |= 1;
  }
  if (winbuilt != nullptr) winbuilt(*w);
  // A windowless run (RUN=) shows a program's window to nobody.
  // A program's window nobody sees (no display, and no test that drives
  // its boxes as windows) is reported and closed unanswered.
  if (!s.script && (nohead || !plat::message_boxes_shown())) {
    // (A modeless one asks nothing: it is not reported.)
    const std::int32_t answer = b.modeless ? 0 : unseen(s, *w, t);
    drop();
    if ((s.call.mode & winmode::result) != 0) s.call.iret = answer;
    s.done = true;
    return;
  }
  // A program's window that no click asked for (the compile's progress)
  // leaves the focus where it is.
  if (!s.script && b.modeless && !linked) b.noforeground = true;
  std::int32_t result = 0, status = 0;
  SHOWDIALOG(s.script ? winscript : 0, result, status);
  if (status != 0) core::xeqstop = core::stops::error;
  if (!s.script && status == 0 && b.modeless && exec::wdwcur != nullptr &&
      exec::wdwcur->window != nullptr)
    keyed.push_back({exec::wdwcur->window, t.key});
  if ((s.call.mode & winmode::result) != 0) s.call.iret = result;
  s.done = true;
}

}  // namespace

void WIN(WinCall& call) {
  const bool script = (call.mode & winmode::script) != 0;
  // A program's request "0 " asks for no window.
  if (winlink.word <= 0 && !script && winrequest.view().starts_with("0 ")) return;
  Exit exit;
  core::idestate |= dialogbuild;
  core::menuunit = core::helpunit;
  if (!script) registerparameters(call.values);
  Call s(call);
  s.script = script;
  for (int r = 0; r < mostrounds && !s.done; ++r) {
    round(s);
    if (!s.restart) break;
  }
}

std::string windowtext(const exec::wdwrec& w, std::string_view key) {
  std::string text;
  std::int32_t rowy = -1;
  std::string row;
  const auto flush = [&] {
    if (!row.empty()) text += row + "\n";
    row.clear();
  };
  const exec::ctlrec* c = w.firstcontrol;
  for (std::int32_t i = 1; i <= w.dialogitems.size();
       ++i, c = c != nullptr ? c->ctlnext : nullptr) {
    const toolkit::dialog_t& d = w.dialogitems(i);
    if (d.marker == 0) continue;
    std::string shown;
    const int type = toolkit::low_type(d);
    if (c != nullptr && (c->ctlkind & ck::buffered) != 0 && !c->ctltext.empty()) {
      shown.assign(c->ctltext.begin(), c->ctltext.end());
    } else if (type == toolkit::DLG_TEXT) {
      shown = trimmed(d.title.view());
    } else if (type == toolkit::DLG_EDITBOX) {
      shown = trimmed(d.text.view());
    } else {
      continue;
    }
    if (d.y != rowy) flush();
    rowy = d.y;
    shown = trimmed(shown);
    if (!shown.empty()) row += (row.empty() ? "" : " ") + shown;
  }
  flush();
  return text + "key=" + std::string(key);
}

void WINCLOSE(std::string_view key) { closekeyed(std::string(key)); }

win::HWND WINKEYED(std::string_view key) {
  for (const Keyed& k : keyed)
    if (k.key == key && toolkit::IS_WINDOW_VALID(k.window) != 0) return k.window;
  return nullptr;
}

void reset_win() {
  winrequest.blank();
  keyed.clear();
}

}  // namespace ui
