// Print jobs: opening the document on the printer, the page layout, the
// page stamp, the page change and the end of the document.
#include "plot/printjob.h"

#include <algorithm>
#include <array>
#include <cstdlib>
#include <ctime>
#include <string>

#include "core/messages.h"
#include "core/runwords.h"
#include "core/symbols.h"
#include "exec/settingrefs.h"
#include "exec/windowwords.h"
#include "plot/fontslots.h"
#include "plot/plotdev.h"
#include "plot/printstate.h"
#include "plot/setups.h"
#include "plot/upcalls.h"
#include "toolkit/draw.h"
#include "toolkit/draw_targets.h"
#include "toolkit/fonts.h"
#include "toolkit/printing.h"

namespace plot {

namespace {

constexpr std::int32_t printerslot = 7;
constexpr std::int32_t stamppoints = 6;
// The print dialog's flags once a job has started without and with the
// dialogs.
constexpr std::int32_t defaultflags = 0x400;
constexpr std::int32_t dialogflags = 0x100000;
constexpr win::DWORD pagesetupflags = 10;
// Flags of the printer font dialog.
constexpr std::int32_t fontflags = 2;
constexpr std::int32_t fontvariantflags = 10;
constexpr std::int32_t fontwysflag = 0x10;
constexpr std::int32_t defaultprinter = -1;

toolkit::draw_target_t& printer() { return drawtargets[target::printer]; }

// Slot 7 made anew on the page from the saved font.
void makeprinterfont() {
  const SavedFont& s = printjob.saved;
  fontslots(printerslot).points = -1;
  SETFONT(printerslot, s.face.trimmed(), s.points, s.angle, s.underline, s.weight, s.italic);
  printjob.printercw = std::max<std::int32_t>(1, fontslots(printerslot).cellwidth);
  printjob.printerch = std::max<std::int32_t>(1, fontslots(printerslot).cellheight);
}

void readpagedata() {
  toolkit::draw_target_t& p = printer();
  int ups = 0;
  printjob.physwidth = toolkit::GET_DEVICE_CAPS(win::PHYSICALWIDTH, &p, &ups);
  printjob.physheight = toolkit::GET_DEVICE_CAPS(win::PHYSICALHEIGHT, &p, &ups);
  printjob.offsetx = toolkit::GET_DEVICE_CAPS(win::PHYSICALOFFSETX, &p, &ups);
  printjob.offsety = toolkit::GET_DEVICE_CAPS(win::PHYSICALOFFSETY, &p, &ups);
  int lines = 0, perline = 0, copies = 0, from = 0, to = 0;
  const win::HFONT font = fontslots(printerslot).font;
  toolkit::GET_PAGE_DATA(&p, font != nullptr ? &font : nullptr, &lines, &perline, nullptr, &copies,
                         &from, &to, nullptr, nullptr, nullptr, nullptr, &ups);
  printjob.lines = lines;
  printjob.perline = perline;
  printjob.copies = copies;
  printjob.firstpage = from;
  printjob.lastpage = to;
}

Area marginsof(const Area& full, const exec::wdwrec& w) {
  return Area{full.left + w.printarea[0], full.top + w.printarea[2], full.right - w.printarea[1],
              full.bottom - w.printarea[3]};
}

}  // namespace

void savefont(SavedFont& s, const FontSlot& f) {
  s.face = f.face;
  s.points = f.points;
  // The rotation slots 5 and 7 start with is no one's choice: paper text
  // stands upright then. Any other slot was turned by a statement.
  const bool startslot = &f == &fontslots(5) || &f == &fontslots(7);
  s.angle = startslot && f.angle == startrotation ? 0.0F : f.angle;
  s.underline = f.underline;
  s.weight = f.weight;
  s.italic = f.italic;
}

win::SIZE clientsize(const exec::wdwrec& w) {
  std::int32_t width = w.clientwidth, height = w.clientheight;
  if (&w != exec::wdwhead || width <= 0 || height <= 0) {
    win::RECT c{};
    if (w.window != nullptr && win::GetClientRect(w.window, &c) != 0 && c.right > 0) {
      width = c.right - c.left;
      height = c.bottom - c.top;
    } else if (w.bitmap != nullptr) {
      win::BITMAP bm{};
      win::GetObjectA(w.bitmap, sizeof bm, &bm);
      width = bm.bmWidth;
      height = bm.bmHeight;
    }
  }
  return win::SIZE{width, height};
}

void SETUPSPRINTER(std::int32_t) {
  exec::wdwrec* w = exec::wdwcur != nullptr ? exec::wdwcur : exec::wdwhead;
  if (w == nullptr) return;
  ifontslot = printerslot;
  printjob.printerarea = marginsof(printjob.pagearea, *w);
  printer().bounds = win::RECT{printjob.printerarea.left, printjob.printerarea.top,
                               printjob.printerarea.right, printjob.printerarea.bottom};
}

void windowarea(exec::wdwrec& w) {
  exec::wdwrec* const current = exec::wdwcur;
  exec::wdwcur = &w;
  SETUPS(setupsmode::window);
  exec::wdwcur = current;
  const win::RECT& b = drawtargets[target::defaultplot].bounds;
  Area& a = printjob.windowarea;
  a = Area{b.left, b.top, std::max(b.right, b.left + 1), std::max(b.bottom, b.top + 1)};
  drawtargets[target::printwindow].bounds = b;
}

namespace {

// A toolkit status of the job: a failure unless the user cancelled.
void note(int ups) {
  if (ups != 0 && ups != toolkit::kPrintCancelled && printjob.failure == 0) printjob.failure = ups;
}

}  // namespace

std::int32_t takeprintfailure() {
  const std::int32_t f = printjob.failure;
  printjob.failure = 0;
  return f;
}

namespace {

// The failure's message: its number and the statement, and the document.
void showprintfailure(std::int16_t shown) {
  std::array<std::int16_t, 2> halves{
      shown, static_cast<std::int16_t>(std::clamp(core::xeqline, 0, 32767))};
  std::string document = printjob.document;
  core::HelpValues hv;
  hv.halves = halves;
  hv.text = {document.data(), document.size()};
  int answer = 0;
  core::HELP(core::MSGKEY("rdwrErP"), answer, hv);
}

std::int16_t shownstatus(std::int32_t failure) {
  return static_cast<std::int16_t>(std::abs(failure) >= 32767 ? -2 : failure);
}

}  // namespace

void failprintstatement(std::int32_t failure) {
  if (failure == 0) return;
  core::iostatw[0] = shownstatus(failure);
  // Shown here unless the statement has an error label: the executor only
  // stops the run (or jumps).
  if (core::nomsg == 0) showprintfailure(core::iostatw[0]);
  core::msgkey.blank();
  core::xeqstop = core::stops::error;
}

void sayprintfailure(std::int32_t failure) {
  if (failure == 0) return;
  showprintfailure(shownstatus(failure));
  if (core::xeqstop == core::stops::end || core::xeqstop == core::stops::chain) {
    core::xeqstop = core::stops::error;
    core::msgkey.set(core::MSGKEY("rdwrErP"));
  }
}

bool startprinter(exec::wdwrec& w, std::string_view options, std::int32_t& status) {
  const std::int32_t state = w.printstate;
  const bool towindow = (state & printbit::window) != 0;
  int ups = 0;
  const int landscape = printjob.landscape ? -1 : 0;
  if (!printjob.pagedataset || status == orientationchanged) {
    toolkit::SET_PAGE_DATA(nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                           &landscape, &ups);
    printjob.pagedataset = true;
  }
  int flags = defaultprinter;
  if ((state & printbit::dialogs) != 0) {
    win::DWORD setup = pagesetupflags;
    const win::HWND owner = exec::mainwindow();
    if (toolkit::PAGE_SETUP(&setup, &owner, &landscape, &ups) == 0) {
      note(ups);
      return false;
    }
    flags = dialogflags;
  }
  std::string document(exec::dlgtext.trimmed());
  if (document.empty()) document = "Ostrel";
  printjob.document = document;
  toolkit::draw_target_t& p = printer();
  const win::HWND owner = exec::mainwindow();
  if (toolkit::START_PRINT(p, &flags, &owner, document.c_str(), static_cast<int>(document.size()),
                           &landscape, &ups) == 0) {
    note(ups);
    p = toolkit::draw_target_t{};
    return false;
  }
  printjob.dialogflags = (state & printbit::dialogs) != 0 ? dialogflags : defaultflags;
  FontSlot& seven = fontslots(printerslot);
  if ((state & printbit::choosefont) != 0 && upcalls.CHOOSEFONTSLOT != nullptr) {
    std::int32_t f = (state & printbit::fontvariant) != 0 ? fontvariantflags : fontflags;
    if (options.find("WYS") != std::string_view::npos) f += fontwysflag;
    std::int32_t answer = 0;
    upcalls.CHOOSEFONTSLOT(1, printerslot, f, answer);
    if (seven.font == nullptr || answer != 0) {
      int none = 0;
      toolkit::END_PRINT(p, &none);
      p = toolkit::draw_target_t{};
      return false;
    }
  }
  if (!towindow) {
    savefont(printjob.saved, seven);
  } else if ((state & printbit::choosefont) != 0) {
    printjob.saved.points = seven.points;
  }
  makeprinterfont();
  readpagedata();
  printjob.pagearea = Area{p.bounds.left, p.bounds.top, p.bounds.right, p.bounds.bottom};
  if (towindow && printjob.wys) {
    // The window as seen: as many columns and lines as the window shows,
    // centred on the page.
    const FontSlot& six = fontslots(6);
    const std::int32_t wcw = std::max<std::int32_t>(1, six.cellwidth);
    const std::int32_t wch = std::max<std::int32_t>(1, six.cellheight);
    const Area& a = printjob.windowarea;
    const std::int32_t width = (a.width() + 1) / wcw * printjob.printercw;
    const std::int32_t height = (a.height() + 1) / wch * printjob.printerch;
    printjob.pagearea = Area{(printjob.physwidth - width) / 2 - 1 - printjob.offsetx,
                             (printjob.physheight - height) / 2 - 1 - printjob.offsety,
                             (printjob.physwidth + width) / 2 + 1 - printjob.offsetx,
                             (printjob.physheight + height) / 2 + 1 - printjob.offsety};
  }
  exec::wdwrec* const current = exec::wdwcur;
  exec::wdwcur = &w;
  SETUPSPRINTER(1);
  exec::wdwcur = current;
  printjob.printerat = win::POINT{printjob.printerarea.left, printjob.printerarea.top};
  return true;
}

std::string stamptext(std::int32_t page) {
  std::string s = "Ostrel / ";
  if (exec::wdwhead != nullptr) s += exec::wdwhead->title.trimmed();
  s += " / ";
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  char when[32];
  std::strftime(when, sizeof when, "%Y%m%d  %H%M%S.", &local);
  return s + when + std::to_string(page);
}

void STAMPPAGE(toolkit::draw_target_t& p, std::int32_t page) {
  int ups = 0;
  const std::int32_t width = toolkit::GET_DEVICE_CAPS(win::PHYSICALWIDTH, &p, &ups);
  const std::int32_t height = toolkit::GET_DEVICE_CAPS(win::PHYSICALHEIGHT, &p, &ups);
  const std::int32_t offsetx = toolkit::GET_DEVICE_CAPS(win::PHYSICALOFFSETX, &p, &ups);
  const std::int32_t offsety = toolkit::GET_DEVICE_CAPS(win::PHYSICALOFFSETY, &p, &ups);
  const std::string text = stamptext(page);
  const std::int32_t right = width - (12 * offsetx + 12) / 5;
  const std::int32_t bottom = height - (12 * offsety + 12) / 5;
  // Logical coordinates start at the printable area's top left.
  win::RECT box{1, 1, right - offsetx, bottom - offsety};
  constexpr std::string_view face = "Arial";
  const int points = stamppoints;
  const win::HFONT font =
      toolkit::DEFINE_FONT(&p, face.data(), static_cast<int>(face.size()), &points, nullptr,
                           nullptr, nullptr, nullptr, nullptr, nullptr, &ups);
  const win::HGDIOBJ before = win::SelectObject(p.dc, font);
  win::SetTextColor(p.dc, 0);
  win::SetBkMode(p.dc, win::TRANSPARENT);
  win::DrawTextA(p.dc, text.c_str(), static_cast<int>(text.size()), &box,
                 win::DT_RIGHT | win::DT_BOTTOM | win::DT_SINGLELINE | win::DT_NOPREFIX);
  win::SelectObject(p.dc, before);
  if (font != nullptr) toolkit::DELETE_OBJECT(font, &ups);
}

void stamp(const exec::wdwrec& w) {
  toolkit::draw_target_t& p = printer();
  if (!printing(p) || (w.printstate & printbit::nostamp) != 0) return;
  ++printjob.page;
  STAMPPAGE(p, printjob.page);
}

void nextpage() {
  toolkit::draw_target_t& p = printer();
  if (!printing(p)) return;
  exec::wdwrec* w = exec::wdwcur != nullptr ? exec::wdwcur : exec::wdwhead;
  if (w != nullptr) stamp(*w);
  int ups = 0;
  toolkit::NEXT_PRINT_PAGE(p, &ups);
  if (ups != 0 && w != nullptr) w->printstate |= printbit::endjob;
  note(ups);
  p.bounds = win::RECT{printjob.printerarea.left, printjob.printerarea.top,
                       printjob.printerarea.right, printjob.printerarea.bottom};
  printjob.printerat = win::POINT{printjob.printerarea.left, printjob.printerarea.top};
}

void endprinter() {
  toolkit::draw_target_t& p = printer();
  if (!printing(p)) return;
  exec::wdwrec* w = exec::wdwcur != nullptr ? exec::wdwcur : exec::wdwhead;
  if (w != nullptr) stamp(*w);
  int ups = 0;
  toolkit::END_PRINT(p, &ups);
  note(ups);
  p = toolkit::draw_target_t{};
  printjob.page = 0;
}

void endopenjob() {
  if (printing(printer())) {
    endprinter();
  }
  sayprintfailure(takeprintfailure());
  for (exec::wdwrec* r = exec::wdwhead; r != nullptr; r = r->next) r->printstate = 0;
  printjob.open = false;
  printjob.declined = false;
  printjob.window = nullptr;
  // The printer settings go with the program.
  toolkit::reset_printing();
  printjob.pagedataset = false;
}

void reset_printjob() {
  toolkit::draw_target_t& p = printer();
  if (printing(p)) {
    int ups = 0;
    toolkit::END_PRINT(p, &ups);
  }
  p = toolkit::draw_target_t{};
  printjob = PrintJob{};
}

}  // namespace plot
