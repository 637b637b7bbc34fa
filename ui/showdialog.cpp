// The finished dialog measured, placed and run through the toolkit.
#include <algorithm>
#include <string>

#include "core/chars.h"
#include "core/messages.h"
#include "core/runwords.h"
#include "core/stores.h"
#include "core/symbols.h"
#include "exec/windowless.h"
#include "exec/windowwords.h"
#include "exec/xeq.h"
#include "platform/backend.h"
#include "platform/win_dialog.h"
#include "platform/win_gdi.h"
#include "platform/win_message_box.h"
#include "platform/win_msgbox_report.h"
#include "plot/fonthelpers.h"
#include "plot/fontslots.h"
#include "toolkit/dialog_box.h"
#include "toolkit/scrolling.h"
#include "toolkit/status.h"
#include "ui/bindings.h"
#include "ui/dialogs.h"
#include "ui/dialogwords.h"
#include "ui/dlgbuild.h"
#include "ui/itemset.h"
#include "ui/tables.h"

namespace ui {

namespace {

// Window styles of a dialog.
constexpr std::uint32_t modalframe = 0x80;
constexpr std::uint32_t childstyle = 0x40000000;
constexpr std::uint32_t caption = 0xC00000;
constexpr std::uint32_t sysmenu = 0x80000;
// Run-mode bits: the run waits for a dialog, the run goes on by itself.
constexpr std::int32_t waitbit = core::runmode::suspended;
constexpr std::int32_t runbit = core::runmode::running;
// The slot the font steps down in, and the points it tries.
constexpr std::int32_t fitslot = 6;
constexpr std::int32_t fitpoints[] = {9, 8, 7, 6, 5, 4};

// The slot's face and points before the dialog, restored afterwards.
struct KeptFont {
  std::int32_t slot = 0;
  plat::FixedText<32> face;
  std::int32_t points = 0;
};
KeptFont keptfont;

// The dialog's extent in dialog units: the largest right and bottom edge.
void extent(const exec::wdwrec& w, std::int32_t& right, std::int32_t& bottom) {
  right = bottom = 0;
  for (std::int32_t i = 1; i <= builder.itemcount && w.dialogitems.valid(i); ++i) {
    const toolkit::dialog_t& d = w.dialogitems(i);
    right = std::max(right, std::max(d.x, 0) + std::max(d.width, 0));
    bottom = std::max(bottom, std::max(d.y, 0) + std::max(d.height, 0));
  }
}

// The report of a modal dialog that nobody can answer: its title and
// texts, and the answer it takes.
plat::MessageBoxRecord unanswered(const exec::wdwrec& w) {
  plat::MessageBoxRecord r;
  r.title = std::string(builder.title.trimmed());
  for (std::int32_t i = 1; i <= builder.itemcount && w.dialogitems.valid(i); ++i) {
    const toolkit::dialog_t& d = w.dialogitems(i);
    const int type = toolkit::low_type(d);
    if (type != toolkit::DLG_TEXT && !toolkit::is_push_button(type)) continue;
    const std::string_view t = d.title.trimmed();
    if (!t.empty()) r.text += std::string(t) + "\n";
  }
  r.style = win::MB_OKCANCEL;
  r.answer = win::IDCANCEL;
  return r;
}

void setresult(std::int32_t tofunction, std::int32_t& result, double value) {
  if ((tofunction & 1) != 0) {
    if (core::z.valid(core::iresult)) core::z(core::iresult) = value;
  } else {
    result = static_cast<std::int32_t>(value);
  }
}

}  // namespace

void SETDIALOGFONT(std::int32_t& width, std::int32_t& height) {
  exec::wdwrec* w = exec::wdwcur;
  if (w == nullptr) return;
  const std::int32_t slot = plot::fontslots.valid(plot::ifontslot) ? plot::ifontslot : fitslot;
  keptfont = {slot, plot::fontslots(slot).face, plot::fontslots(slot).points};
  const Builder& b = builder;
  std::int32_t right = 0, bottom = 0;
  extent(*w, right, bottom);
  build::Measures m = build::measures();
  // Sizes in pixels by the units the dialog is laid out in: those of the
  // slot's font as the dialog manager takes them.
  const auto measure = [&] {
    m = build::measures();
    const win::SIZE units = build::baseunits(plot::fontslots(plot::ifontslot).font);
    m.cw = units.cx;
    m.ch = units.cy;
    width = (right + b.border) * m.cw / 4;
    height = (bottom + b.border) * m.ch / 8;
  };
  measure();
  const auto fits = [&] {
    return width + 2 * m.fw <= m.sw && height + 2 * (m.fh + b.space) + m.cap <= m.sh;
  };
  for (std::int32_t p : fitpoints) {
    if (fits()) break;
    const std::string font = "Courier new,P=" + std::to_string(p);
    plot::SETFONTPTULBO(font, static_cast<std::int32_t>(font.size()), fitslot);
    plot::ifontslot = fitslot;
    measure();
  }
  w->pixelwidth = width;
  w->pixelheight = height;
  // The place: beside the main window's text, or inside another owner.
  const exec::wdwrec* mainw = exec::wdwhead;
  std::int32_t x = b.x0, y = b.y0;
  const bool mainowner = b.owner == nullptr || b.owner == exec::mainwindow();
  if (mainowner) {
    const std::int32_t cw = mainw != nullptr ? mainw->clientwidth : 0;
    const std::int32_t chh = mainw != nullptr ? mainw->clientheight : 0;
    if (x == -999) x = std::max(cw - width - 10 * build::mainslotcellwidth(), 0);
    if (y == -999 && (w->kind & exec::kind::child) == 0) y = std::max((chh - height) / 2, 0);
    if (y == -999) y = 0;
  } else {
    win::RECT r{};
    win::GetClientRect(b.owner, &r);
    x = x == -999 ? 0 : std::clamp(x, 0, std::max(r.right - width - b.border, 0));
    y = y == -999 ? 0 : std::clamp(y, 0, std::max(r.bottom - height - b.border - b.space, 0));
  }
  builder.x0 = x * 4 / m.cw;
  builder.y0 = y * 8 / m.ch;
}

bool TAKEANSWER() {
  const AwaitedAnswer a = awaitedanswer;
  awaitedanswer = AwaitedAnswer{};
  if (a.stmt <= 0 || a.stmt != core::xeqline) return false;
  if (core::z.valid(core::iresult)) core::z(core::iresult) = a.value;
  return true;
}

void SHOWDIALOG(std::int32_t tofunction, std::int32_t& result, std::int32_t& status) {
  // A dialog shown from another's procedure (a table's More prompt) gives
  // the other its words back when it ends: the other's answer is read from
  // its own window and its own clicks.
  static int shown = 0;  // dialogs being shown, one inside the other
  struct KeptAnswer {
    win::HWND box = lastboxwindow, changed = lastdlgwindow;
    std::int32_t item = dlgitemid, ident = lastident;
    KeptAnswer() { ++shown; }
    ~KeptAnswer() {
      if (--shown == 0) return;
      lastboxwindow = box;
      lastdlgwindow = changed;
      dlgitemid = item;
      lastident = ident;
    }
  } const keptanswer;
  status = 0;
  editguard = EditGuard{};
  dlgitemid = idnone;
  lastdlgwindow = nullptr;
  lastident = 0;
  exec::wdwrec* w = exec::wdwcur;
  Builder& b = builder;
  if (w == nullptr || b.itemcount < 1) return;
  w->returncodevar = b.returnvar;
  w->handlevar = b.handlevar;
  w->shownitems = b.itemcount;
  w->x0var = b.x0var;
  w->y0var = b.y0var;
  w->update = b.update;
  w->chgvar = b.changedvar;
  w->titlevar = b.titlevar;
  w->helpfile = b.helpname;
  if (!b.title.is_blank()) w->title.set(b.title.trimmed());
  std::uint32_t style = b.dialogstyle;
  // A script's table stays open while the run waits for it: its buttons
  // call their routines between statements, and its close lets the run go
  // on. The windowless run has no one to wait for it.
  const bool awaited = !b.modeless && w->firsttable != nullptr &&
                       (tofunction == dlgstatement || tofunction == winscript) &&
                       !exec::windowlessrun;
  const bool modeless = b.modeless || awaited;
  if (awaited) {
    // The run waits for this one dialog (one an earlier run left open
    // lets no run go on).
    for (exec::wdwrec* r = exec::wdwhead; r != nullptr; r = r->next)
      r->kind &= ~exec::kind::awaited;
    w->kind |= exec::kind::awaited;
  }
  if (modeless) {
    w->kind |= exec::kind::modeless;
  } else {
    w->kind |= exec::kind::modal;
    style = (style | modalframe) & ~childstyle;
  }
  if (!b.title.is_blank()) {
    style |= caption;
    if ((w->kind & exec::kind::table) == 0) style |= sysmenu;
  }
  std::int32_t width = 0, height = 0;
  SETDIALOGFONT(width, height);
  for (std::int32_t i = b.itemcount + 1; i <= w->dialogitems.size(); ++i) {
    ItemSet a;
    a.type = toolkit::DLG_TEXT;
    a.title = " ";
    a.x = a.y = a.width = a.height = 0;
    setitem(w->dialogitems(i), a);
  }
  const std::string title(b.title.trimmed());
  const win::HWND owner = b.owner != nullptr ? b.owner : exec::mainwindow();
  const int count = static_cast<int>(w->dialogitems.size());
  const int x = b.x0, y = b.y0;
  const int modelessflag = modeless ? 1 : 0;
  const plot::FontSlot& f = plot::fontslots(plot::ifontslot);
  const win::HFONT font = f.font;
  const win::DWORD dstyle = style;
  const win::HBRUSH brush = b.brush;
  const win::COLORREF colour = b.textcolour;
  int ups = 0;
  win::HWND made = nullptr;
  const bool headless = !plat::backend().has_display();
  const plat::MessageBoxRecord report = unanswered(*w);
  const win::INT_PTR got = toolkit::DIALOG_BOX(
      &w->dialogitems(1), count, title.data(), static_cast<int>(title.size()), &owner, nullptr,
      nullptr, &x, &y, nullptr, nullptr, &modelessflag, font != nullptr ? &font : nullptr, &dstyle,
      brush != nullptr ? &brush : nullptr, colour != 0 ? &colour : nullptr, WINDLGBOXPROC, &ups);
  if (modeless) made = reinterpret_cast<win::HWND>(got);
  // The slot's face and points as they were.
  if (plot::fontslots.valid(keptfont.slot)) {
    plot::fontslots(keptfont.slot).face = keptfont.face;
    plot::fontslots(keptfont.slot).points = keptfont.points;
  }
  if (modeless ? made == nullptr : got == 0) {
    int answer = 0;
    core::MSGBOXFROMHELP(core::MSGKEY("msgNoDLG"), "Error " + std::to_string(ups), answer);
    if (exec::wdwcur != nullptr && exec::wdwcur->window == nullptr) exec::KILLWINDOW(nullptr, 0);
    status = statusnodialog;
    return;
  }
  core::FPUERROR(-1);
  if (!modeless) {
    const win::HWND window = lastboxwindow;
    if (headless && got == idcancel &&
        (lastdlgwindow != window || dlgitemid == 0 || dlgitemid == idnone))
      plat::report_message_box(report, "");
    // The record goes (when a control's close did not free it already).
    exec::FINDWINDOW(window);
    if (window != nullptr && exec::wdwcur != nullptr && exec::wdwcur->window == window)
      exec::KILLWINDOW(window, 0);
    // The control that ended it is this dialog's when one of its items
    // changed last (a modeless dialog's items change meanwhile too).
    const bool answered = lastdlgwindow == window && dlgitemid != 0 && dlgitemid != idnone;
    double value = answered ? lastident : 0.0;
    if (got == idcancel && !answered) {
      // A script's dialog closed without an answer stops the run (unless a
      // stop is already under way: a kept layout's run again at the
      // table); the program's own windows only answer 0.
      if ((tofunction & 1) != 0 && core::xeqstop == 0) core::xeqstop = core::stops::cancel;
      value = 0.0;
    } else if (dlgitemid == idstep) {
      if ((core::xeqmode & runbit) != 0) {
        core::edmode = 13;
        core::edvars(core::edv::handline) = core::xeqline + 1;
      }
      core::xeqmode &= ~(waitbit | runbit);
      if (core::edmode == 14) core::edmode = 10;
    } else if (dlgitemid == idrun) {
      core::xeqmode |= runbit;
    }
    setresult(tofunction, result, value);
    if (b.returnvar > 0 && value != 0.0) core::SETZTOR8(b.returnvar, value);
    return;
  }
  // The record the dialog was built on: a message sent while it was made
  // (another dialog's edit losing the focus) may have left another one
  // current, whose window is not this.
  w = exec::listed(w) ? w : nullptr;
  exec::wdwcur = w;
  if (w != nullptr) {
    w->window = made;
    w->lastreturn = 0;
    if (awaited) {
      // The run waits in the statement; a routine that a button of the
      // dialog calls meanwhile comes back to the wait.
      core::xeqmode |= waitbit;
      core::xeqstop = core::stops::callback;
      w->goeson = core::xeqline;
      exec::tablehwnd = made;
      exec::tablescope = core::lokalscope;
    }
  }
  if ((tofunction & 1) == 0) setresult(1, result, 0.0);
  exec::setwindowvar(b.handlevar, handlenumber(made));
  if (w != nullptr && (w->rowvar > 0 || w->colvar > 0)) SETMXFOCUS();
  if (!b.noforeground) toolkit::SET_FOREGROUND(made, &ups);
}

}  // namespace ui
