#include "ide/printdirect.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <span>
#include <vector>

#include "core/editbuffer.h"
#include "core/messages.h"
#include "core/runwords.h"
#include "core/stores.h"
#include "exec/settingrefs.h"
#include "exec/windowwords.h"
#include "ide/fedhlp.h"
#include "ide/fedit.h"
#include "ide/idewords.h"
#include "ide/statusbar.h"
#include "platform/file_names.h"
#include "platform/win_print.h"
#include "plot/fontslots.h"
#include "plot/printdlg.h"
#include "plot/printjob.h"
#include "plot/rwprint.h"
#include "toolkit/bitmaps.h"
#include "toolkit/draw.h"
#include "toolkit/draw_targets.h"
#include "toolkit/file_dialogs.h"
#include "toolkit/memory.h"
#include "toolkit/printing.h"
#include "ui/tableexport.h"

namespace ide {

namespace {

// Choices of the dialog.
inline constexpr int savebitmap = 4;
inline constexpr int savetable = 7;
inline constexpr int lastchoice = 9;
// Print-mode weights.
inline constexpr std::int32_t modes[3] = {1, 0x21, 0x61};
inline constexpr std::int32_t askfirst = 0x400;
inline constexpr std::int32_t nostamp = 0x10;
inline constexpr std::int32_t astext = 8;
inline constexpr std::int32_t printerslot = 7;
inline constexpr std::int32_t printedclass = 10;

void message(std::string_view key, std::string_view detail = {}) {
  std::string text(detail);
  core::HelpValues values;
  if (!text.empty()) values.text = std::span<char>(text.data(), text.size());
  int answer = 0;
  helpwindow(key, answer, values);
}

// A key that the print engine left: shown, and the IDE goes on.
void leftmessage(std::int32_t keptstop) {
  if (core::msgkey.trimmed().empty()) return;
  const std::string key(core::msgkey.trimmed());
  core::msgkey.blank();
  core::xeqstop = keptstop;
  message(key);
}

bool dialogsavename(std::string& path) {
  char file[256];
  std::fill(std::begin(file), std::end(file), ' ');
  std::copy_n(path.data(), std::min(path.size(), sizeof file), file);
  constexpr std::string_view title = "Save Bitmap";
  // The filter's description and pattern as two entries of 13 characters.
  const std::string block = "Graphic files*.bmp        ";
  const toolkit::text_array_t filter{block.data(), 13, 2, 13};
  int ups = 0;
  const win::DWORD flags = win::OFN_OVERWRITEPROMPT | win::OFN_HIDEREADONLY;
  const win::HWND owner = exec::mainwindow();
  const int r =
      toolkit::GET_SAVE_FILE_NAME(file, sizeof file, title.data(), static_cast<int>(title.size()),
                                  nullptr, 0, &filter, &flags, &owner, nullptr, 0, "bmp", 3, &ups);
  if (r == 0) return false;
  path.assign(file, sizeof file);
  path.erase(path.find_last_not_of(' ') + 1);
  return true;
}

// The text of a text window: the editor's buffer, or the file the title
// names (a file that cannot be read gives an empty text).
std::string windowtext(const exec::wdwrec& w) {
  if (exec::printsrc == 1) {
    // The line being typed goes into the text first, as the screen shows it.
    FEDITKEEPLINE();
    if (core::c1editend < 1 || !core::c1edit.valid(core::c1editend)) return {};
    return std::string(core::c1edit.ptr(1), static_cast<std::size_t>(core::c1editend));
  }
  std::ifstream in(plat::system_path(w.title.trimmed()), std::ios::binary);
  if (!in) return {};
  return std::string(std::istreambuf_iterator<char>(in), {});
}

void printtext(exec::wdwrec& w, std::int32_t choice, const std::string& options) {
  w.printstate += astext;
  plot::ifontslot = printerslot;
  const std::string text = windowtext(w);
  exec::txtcolors = {exec::colour(exec::colnum(2 * printedclass - 1)),
                     exec::colour(exec::colnum(2 * printedclass))};
  std::int32_t columns = 0, status = 0;
  (void)choice;
  plot::RWPRINT(text, 1.0, 1.0, columns, printerslot, " ", options, &w, status);
}

// A print job that failed (a cancelled one did not): said, with its
// document and the status.
void printfailed(int status, std::string document) {
  if (status == 0 || status == toolkit::kPrintCancelled) return;
  std::array<std::int16_t, 1> code{
      static_cast<std::int16_t>(std::abs(status) >= 32767 ? -2 : status)};
  core::HelpValues values;
  values.halves = code;
  values.text = std::span<char>(document.data(), document.size());
  int answer = 0;
  helpwindow("printFailed", answer, values);
}

void printpicture(exec::wdwrec& w) {
  toolkit::draw_target_t target;
  int flags = printwords[5] != 0 ? 1 : 0;
  const int landscape = printwords[5] != 0 ? 1 : 0;
  int ups = 0;
  const std::string title(w.title.trimmed());
  if (toolkit::START_PRINT(target, &flags, &w.window, title.data(), static_cast<int>(title.size()),
                           &landscape, &ups) == 0) {
    printfailed(ups, title);
    return;
  }
  const win::HBITMAP picture =
      toolkit::LOAD_BITMAP(nullptr, 0, nullptr, nullptr, 0, &w.window, nullptr, nullptr, nullptr,
                           nullptr, nullptr, &ups);
  if (picture != nullptr) {
    const int scaling = 2;
    toolkit::DRAW_BITMAP(target, picture, nullptr, &scaling, nullptr, nullptr, nullptr, nullptr,
                         nullptr, nullptr, nullptr, nullptr, &ups);
    win::DeleteObject(picture);
  }
  // The page stamp, unless "No page stamp" is ticked.
  if (printwords[6] == 0) plot::STAMPPAGE(target, 1);
  toolkit::END_PRINT(target, &ups);
  printfailed(ups, title);
}

}  // namespace

std::string printlist(std::int32_t& count) {
  std::string list;
  count = 0;
  const std::string_view current =
      exec::wdwcur != nullptr ? exec::wdwcur->title.trimmed() : std::string_view();
  for (exec::wdwrec* w = exec::wdwhead; w != nullptr; w = w->next) {
    if (w->title.trimmed().empty() || (w->kind & printkind::notoffered) != 0) continue;
    ++count;
    list.append(w->title.trimmed()).push_back('|');
    if (w->title.trimmed() == current) printwords[1] = count;
  }
  return list;
}

std::string printoptionstring() {
  std::string s = "LSXA,LS=";
  if (printwords[4] != 0) s[1] = 'W';
  s.push_back(static_cast<char>('0' + std::clamp(printwords[5], 0, 9)));
  return s;
}

std::int32_t printmode(std::int32_t choice, bool textwindow) {
  if (choice < 1 || choice > 3) return 0;
  return modes[choice - 1] + askfirst * printwords[0] + nostamp * printwords[6] +
         (textwindow ? astext : 0);
}

std::string printlabel() {
  const plot::FontSlot& s = plot::fontslots(printerslot);
  char points[8];
  std::snprintf(points, sizeof points, "%5d", s.points);
  return "&Print selection (" + std::string(s.face.trimmed()) + points + " pt)";
}

bool savepicture(const exec::wdwrec& window, std::string_view path) {
  if (window.bitmap == nullptr || (window.kind & printkind::picture) == 0) return false;
  int ups = 0;
  const win::HGLOBAL dib = toolkit::BITMAP_TO_DIB(window.bitmap, nullptr, nullptr, &ups);
  if (dib == nullptr) return false;
  const bool ok = toolkit::SAVE_BITMAP_FILE(dib, path.data(), static_cast<int>(path.size()), &ups);
  toolkit::FREE_GLOBAL_MEMORY(dib, &ups);
  return ok;
}

namespace {

// The window the user chose printed, saved or written as the choice says.
void printchosen() {
  exec::wdwrec* const entry = exec::wdwcur;
  std::int32_t count = 0;
  std::string list = printlist(count);
  std::string label = printlabel();
  plot::fontslots(printerslot).angle = 0.0F;
  core::HelpValues values;
  values.words = printwords;
  values.text = std::span<char>(label.data(), label.size());
  values.characters = std::span<char>(list.data(), list.size());
  values.count = static_cast<int>(list.size());
  exec::dlgtext.blank();
  int choice = 0;
  helpwindow("printoptions", choice, values);
  if (choice <= 0 || choice > lastchoice) return;
  // The list shows the preset window chosen without naming it: a choice
  // left untouched is the window of that number.
  if (exec::dlgtext.trimmed().empty() && printwords[1] >= 1 && printwords[1] <= count) {
    std::size_t at = 0;
    for (std::int32_t k = 1; k < printwords[1]; ++k) at = list.find('|', at) + 1;
    exec::dlgtext.set(std::string_view(list).substr(at, list.find('|', at) - at));
  }
  const std::string options = printoptionstring();
  exec::wdwrec* w = exec::wdwhead;
  while (w != nullptr && w->title.trimmed() != exec::dlgtext.trimmed()) w = w->next;
  if (w == nullptr || exec::dlgtext.trimmed().empty()) {
    exec::wdwcur = entry;
    message("printNoWdw", exec::dlgtext.trimmed());
    return;
  }
  exec::wdwcur = w;
  const std::int32_t keptstop = core::xeqstop;
  const bool picture = (w->kind & printkind::picture) != 0 && w->bitmap != nullptr;
  if (choice <= 3 && (w->kind & printkind::printable) != 0) {
    const bool text = (w->kind & printkind::text) != 0;
    w->printstate = printmode(choice, false);
    if (text) {
      printtext(*w, choice, options);
    } else {
      // A dialog: its controls, a table block by block.
      exec::dlgtext.set(options);
      plot::PRINTDLG(std::span<toolkit::dialog_t>(w->dialogitems.data(),
                                                  static_cast<std::size_t>(w->dialogitems.size())));
    }
    leftmessage(keptstop);
    printfailed(plot::printfailure, plot::printjob.document);
    return;
  }
  if (choice == savebitmap) {
    if (!picture) return;
    std::string path = std::string(w->title.trimmed()) + ".bmp";
    const auto ask = askbitmapname != nullptr ? askbitmapname : dialogsavename;
    if (!ask(path)) return;
    if (!savepicture(*w, path)) message("printBadFilename", path);
    return;
  }
  if (choice == savetable) {
    ui::SAVETOFILEMX(workdir.trimmed());
    leftmessage(keptstop);
    return;
  }
  if (picture) printpicture(*w);
}

}  // namespace

// The status bar tells where a document printed to a file went.
void PRINTDIRECT() {
  if (core::c1namen.size() == 0) return;
  plat::clear_last_printed_file();
  printchosen();
  const std::string file = plat::last_printed_file();
  if (file.empty()) return;
  const std::size_t cut = file.rfind('/');
  const std::string name = cut == std::string::npos ? file : file.substr(cut + 1);
  const std::string folder = cut == std::string::npos ? std::string() : file.substr(0, cut + 1);
  STATUSBAR({.run = "Printed to " + name + (folder.empty() ? "" : " in " + folder)});
}

void reset_printdirect() { printwords.fill(0); }

}  // namespace ide
