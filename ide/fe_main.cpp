#include "ide/fe_main.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

#include "core/chars.h"
#include "core/helpdata.h"
#include "core/kompil.h"
#include "core/messages.h"
#include "core/runwords.h"
#include "core/stores.h"
#include "exec/headless_run.h"
#include "ide/bookmarks.h"
#include "ide/byname.h"
#include "ide/fe_control.h"
#include "core/kompia.h"
#include "ide/fedit.h"
#include "ide/fontslot.h"
#include "ide/idewords.h"
#include "ide/keypress.h"
#include "ide/m2.h"
#include "ide/mainwindow.h"
#include "ide/menutool.h"
#include "ide/panlio.h"
#include "ide/printdirect.h"
#include "ide/quicky.h"
#include "ide/scriptfiles.h"
#include "ide/scripts.h"
#include "ide/smarttype.h"
#include "ide/textwriters.h"
#include "ide/statusbar.h"
#include "ide/tooltip.h"
#include "ide/windowclose.h"
#include "ide/windowlist.h"
#include "io/fileinfo.h"
#include "platform/backend.h"
#include "platform/file_units.h"
#include "platform/win_commdlg.h"
#include "platform/win_dialog.h"
#include "platform/win_message_box.h"
#include "plot/fontslots.h"
#include "plot/plotdev.h"
#include "text/edit.h"
#include "toolkit/draw.h"
#include "toolkit/entry.h"
#include "toolkit/loops.h"
#include "toolkit/menus.h"
#include "toolkit/mouse.h"
#include "toolkit/records.h"
#include "toolkit/services.h"
#include "toolkit/timers.h"
#include "toolkit/window_proc.h"
#include "toolkit/windows.h"
#include "ui/dialogs.h"
#include "ui/popupmenu.h"
#include "ui/tablelayout.h"

#ifndef OSTREL_PREFIX
#define OSTREL_PREFIX "/usr/local"
#endif

namespace ide {

namespace fs = std::filesystem;

namespace {

constexpr int kFolderLength = 192;
constexpr std::string_view setupversion = "0L ";
// The file must exist; the dialog can be sized; the current folder stays.
constexpr win::DWORD kHelpDialogFlags = 0x801008;
constexpr int kMainWindowFlags = 1 | 0x4000;  // painted, with a client box
constexpr int kMouseEvents = 0x1 | 0x2 | 0x40 | 0x80;
constexpr std::int32_t kTextOrigin = 22;

// The text before the first NUL of a buffer the system filled.
std::string untilnul(const char* buf, int size) {
  const char* end = std::find(buf, buf + size, '\0');
  return std::string(buf, end);
}

std::int64_t filesize(std::string_view path) {
  std::int64_t size = -1;
  io::FILEINFO(path, size, 0);
  return size;
}

// The program's file: its base name and the data folder.
void programfiles() {
  char buf[kFolderLength];
  std::fill(buf, buf + kFolderLength, '\0');
  byname("GetModuleFileNameA", "K",
         {argof(static_cast<const void*>(modhandle)), argof(buf), kFolderLength});
  const std::string exe = untilnul(buf, kFolderLength);
  const std::size_t slash = exe.rfind('/');
  std::string base = slash == std::string::npos ? exe : exe.substr(slash + 1);
  if (const std::size_t dot = base.rfind('.'); dot != std::string::npos && dot > 0)
    base.resize(dot);
  progname.set(base);
  std::string dir = find_progdir(exe).string();
  if (dir.empty() || dir.back() != '/') dir += '/';
  progdir.set(dir);
}

void currentfolder() {
  char buf[kFolderLength];
  std::fill(buf, buf + kFolderLength, '\0');
  const std::int32_t n =
      byname("GetCurrentDirectoryA", "K", {kFolderLength, argof(static_cast<void*>(buf))});
  std::string dir = n > 0 && n < kFolderLength ? untilnul(buf, kFolderLength) : ".";
  if (dir.back() != '/') dir += '/';
  workdir.set(dir);
}

// The setup file's first line: its version and the help data file's path.
// A file of an older version is made anew.
void readsetup() {
  const std::string path = std::string(appdir.trimmed()) + std::string(setupname);
  filepath.set(path);
  for (int attempt = 1; attempt <= 2; ++attempt) {
    plat::UnitMode mode;
    mode.status = plat::UnitStatus::unknown;
    mode.share = plat::UnitShare::denynone;
    const int status = plat::open_unit(plat::unit_setup, path, mode);
    if (status != plat::iostat_ok) {
      int answer = 0;
      core::MESSAGEBOX(
          "-S", "Cannot OPEN, try to continue|" + path + "|Error code = " + std::to_string(status),
          answer);
      return;
    }
    std::string line;
    if (plat::read_record(plat::unit_setup, line) != plat::iostat_ok) {
      // A new file.
      core::helppath.set(std::string(progdir.trimmed()) + std::string(helpname));
      return;
    }
    std::string version = line.substr(0, 3);
    version.resize(3, ' ');
    if (version >= setupversion) {
      if (line.size() > 3) {
        std::string help = line.substr(3, kFolderLength);
        help.erase(help.find_last_not_of(' ') + 1);
        core::helppath.set(help);
      }
      return;
    }
    plat::close_unit(plat::unit_setup, plat::UnitClose::remove);
  }
}

// Asks for the help data file; false when the user cancels.
bool askhelpfile() {
  char file[256] = {};
  const std::string initial(workdir.trimmed());
  win::OPENFILENAMEA ofn{};
  ofn.lpstrFilter = "Help data file (Ostrel.hlp)\0Ostrel.hlp\0All files (*.*)\0*.*\0";
  ofn.nFilterIndex = 1;
  ofn.lpstrFile = file;
  ofn.nMaxFile = sizeof file;
  ofn.lpstrInitialDir = initial.c_str();
  ofn.lpstrTitle = "Where is Ostrel.hlp?";
  ofn.Flags = kHelpDialogFlags;
  if (win::GetOpenFileNameA(&ofn) == 0) return false;
  core::helppath.set(file);
  return true;
}

void helpfilemissing(const std::vector<std::string>& tried) {
  std::string text =
      "Ostrel cannot start without its help data file Ostrel.hlp (larger than 270,000 bytes).\n"
      "Looked at:";
  for (const std::string& t : tried) text += "\n" + t;
  win::MessageBoxA(nullptr, text.c_str(), "Ostrel", win::MB_OK | win::MB_ICONSTOP);
}

std::string tried(std::string_view path, std::int64_t size) {
  return std::string(path) +
         (size < 0 ? " (no such file)" : " (" + std::to_string(size) + " bytes)");
}

}  // namespace

fs::path find_progdir(const fs::path& executable) {
  std::error_code ec;
  fs::path dir = executable.parent_path();
  for (int up = 0; up < 5 && !dir.empty(); ++up, dir = dir.parent_path()) {
    if (fs::is_regular_file(dir / "data" / helpname, ec)) return dir / "data";
    if (fs::is_regular_file(dir / helpname, ec)) return dir;
    if (dir == dir.parent_path()) break;
  }
  return fs::path(OSTREL_PREFIX) / "share" / "ostrel";
}

fs::path find_appdir() {
  fs::path base;
  if (const char* xdg = std::getenv("XDG_CONFIG_HOME"); xdg != nullptr && xdg[0] == '/')
    base = xdg;
  else if (const char* home = std::getenv("HOME"); home != nullptr && home[0] != '\0')
    base = fs::path(home) / ".config";
  else
    base = "/tmp";
  const fs::path dir = base / "ostrel";
  std::error_code ec;
  if (!fs::is_directory(dir, ec)) {
    fs::create_directories(base, ec);
    ::mkdir(dir.c_str(), 0700);
  }
  return dir;
}

bool GOFURTHER(int) {
  programfiles();
  currentfolder();
  std::string app = find_appdir().string();
  if (app.back() != '/') app += '/';
  appdir.set(app);
  readsetup();
  std::vector<std::string> paths;
  bool found = false;
  for (;;) {
    std::int64_t size = filesize(core::helppath.trimmed());
    paths.push_back(tried(core::helppath.trimmed(), size));
    if (size <= helpfallbacksize) {
      core::helppath.set(std::string(workdir.trimmed()) + std::string(helpname));
      size = filesize(core::helppath.trimmed());
      paths.push_back(tried(core::helppath.trimmed(), size));
    }
    if (size > helpminsize) {
      core::CHECKSUM(core::helppath.trimmed());
      found = true;
      break;
    }
    if (!askhelpfile()) break;
  }
  plat::close_unit(plat::unit_setup);
  if (!found) helpfilemissing(paths);
  return found;
}

void FE_MAIN(char* command_line, int& length) {
  core::FPUERROR(-1);
  modhandle = win::handle_from<win::HINSTANCE>(
      static_cast<std::uint32_t>(byname("GetModuleHandleA", "K", {0})));
  byname("QueryPerformanceFrequency", "K", {argof(&perffreq)});
  if (!GOFURTHER(1)) {
    exitstatus = 2;
    return;
  }
  std::int32_t status = 0;
  NEWWINDOW(status, nullptr);
  // Plots draw through the default plot record until a print job draws.
  plot::plotdev = &plot::drawtargets[plot::target::defaultplot];
  const std::string cmdline(command_line, static_cast<std::size_t>(std::max(length, 0)));
  // The built-in colours, before the setup file's line 2 replaces them.
  initialcolours();
  OPENEDITSTART(cmdline);
  core::FPUERROR(-1);
  const int indices[8] = {0, 1, 32, 2, 3, 33, 4, 15};
  for (int i = 1; i <= 8; ++i) sysmetrics(i) = toolkit::GET_SYSTEM_METRICS(indices[i - 1], &ups);
  vscrollwidth = sysmetrics(metric::vscrollwidth);
  emptyupdrect();
  toolkit::GET_TEXT_METRICS(textmetrics, nullptr, nullptr, nullptr);
  MENUTOOL();
  const int low = mainwinrect.state & 3;
  const int show = low == 1 ? 3 : low == 2 ? 2 : 1;
  const float xf = static_cast<float>(mainwinrect.x) / static_cast<float>(sysmetrics(1));
  const float yf = static_cast<float>(mainwinrect.y) / static_cast<float>(sysmetrics(2));
  const int cw = mainwinrect.width - 2 * sysmetrics(metric::framewidth);
  const int ch = mainwinrect.height -
                 (5 * sysmetrics(metric::frameheight) + plot::fontslots(3).cellheight +
                  sysmetrics(metric::menubar) + sysmetrics(metric::caption)) +
                 28;
  const int flags = kMainWindowFlags;
  const win::HINSTANCE module = toolkit::GET_MODULE_HANDLE();
  const win::HICON icon = toolkit::LOAD_ICON(&module, "QelIcon", 7, nullptr, nullptr);
  const std::string title(scriptpath.trimmed());
  win::HWND main = toolkit::CREATE_WINDOW(
      title.data(), static_cast<int>(title.size()), menubar.data(), 5, statusfields, 6,
      toolitems.data(), ntoolitems, nullptr, &xf, &yf, nullptr, nullptr, &cw, &ch, &flags, nullptr,
      0, nullptr, nullptr, icon != nullptr ? &icon : nullptr, nullptr, nullptr, &show, PAINTWINDOW,
      EXITOSTREL, USERBITMAPSCROLL, WINDOWCHANGED, nullptr, nullptr);
  if (main == nullptr) {
    exitstatus = 2;
    return;
  }
  wdwhead->window = main;
  byname("ShowWindow", "U-", {argof(main), show});
  toolkit::CAPTURE_MOUSE_EVENTS(main, MOUSEPROC, kMouseEvents, nullptr, nullptr);
  hostblock = {module, main, reinterpret_cast<void*>(&SHOWCALLBACKARGS),
               reinterpret_cast<void*>(&BEEPWNDPROC)};
  wdwhead->kind |= kind::mainwindow;
  wdwhead->fontslot = 2;
  wdwhead->frameheight = sysmetrics(metric::menubar);
  wdwhead->topoffset = kTextOrigin;
  if (plot::fontslots(2).points == 0) {
    const std::int32_t points = sysmetrics(metric::screenwidth) > 1000 ? 9 : 8;
    for (std::int32_t s = 1; s <= plot::nfontslots; ++s) plot::fontslots(s).points = points;
  }
  for (const std::int32_t s : {2, 3, 5}) {
    const plot::FontSlot& f = plot::fontslots(s);
    plot::SETFONT(s, f.face.trimmed(), f.points, 0.0F, f.underline, f.weight, f.italic);
  }
  toolkit::SET_TIMER(1.0F, kAppTimer, nullptr);
  for (long long i = core::xeqbuf.first(); i <= core::xeqbuf.last(); ++i) core::xeqbuf(i) = 0;
  for (long long i = core::adrs.first(); i <= core::adrs.last(); ++i) core::adrs(i) = 0;
  for (long long i = core::z.first(); i <= core::z.last(); ++i) core::z(i) = 0.0;
  exec::take_command_line(cmdline.substr(0, cmdline.find_last_not_of(' ') + 1));
  toolkit::MESSAGE_LOOP();
  // The menus went with the window: their hints and accelerators go too.
  toolkit::BUILD_ACCELERATORS(menubar.data(), 5, &ups);
  for (const char* store : {"z", "xeqbuf", "c1namen", "name"}) {
    std::int32_t lower = 1, upper = -1;
    core::ALLOCS(store, lower, upper);
  }
}

namespace {

// A run waiting in a modal dialog's or table's own loop, or in a message
// box's or file dialog's, is still on the stack below it: closing the
// script now would free the stores it goes on with. The dialogs are
// cancelled instead, so the run goes on as at a Cancel, and the quit comes
// again once the dialog's loop has returned. False when no such dialog is
// open; a dialog that does not close keeps the program open, as Cancel on
// the save question does.
bool quitheldbydialog(win::HWND main) {
  std::vector<win::HWND> modal;
  for (const wdwrec* r = wdwhead; r != nullptr; r = r->next)
    if ((r->kind & kind::modal) != 0 && r->window != nullptr && win::IsWindow(r->window))
      modal.push_back(r->window);
  const std::vector<win::HWND> loops = plat::modal_dialog_loops();
  if (modal.empty() && loops.empty()) return false;
  if (core::idecmd == kQuitCommand) core::idecmd = 0;
  bool closed = true;
  for (const win::HWND w : modal) {
    if (win::IsWindow(w)) toolkit::CLOSE_WINDOW(w, 0);
    // An ended modal dialog lets go of its record at once; its window
    // goes when its loop returns.
    closed = closed && (!win::IsWindow(w) || toolkit::FIND_WINDOW_RECORD(w) == nullptr);
  }
  // Boxes and file dialogs end as by Escape, the innermost first.
  for (auto w = loops.rbegin(); w != loops.rend(); ++w)
    if (win::IsWindow(*w)) plat::cancel_modal_dialog(*w);
  if (closed) toolkit::POST_COMMAND(cmd::quit, &main);
  return true;
}

}  // namespace

int EXITOSTREL(win::HWND& window) {
  if (quitheldbydialog(window)) return 0;
  // Cancel on the question whether to save goes back to the editor.
  const auto stop = core::xeqstop;
  const std::int32_t answer = ASKSAVECHANGES();
  if (answer == 3) {
    core::xeqstop = stop;
    return 0;
  }
  KILLTOOLTIPWINDOW();
  OPENEDITCLOSE(answer);
  return -1;
}

void INTERNAL_KILL(win::HWND handle) {
  if (handle == nullptr) return;
  core::idestate |= busy::closing;
  FINDWINDOW(handle);
  if ((inkill & 1) == 0) KILLWINDOW(handle, -1);
  core::idestate &= ~busy::closing;
}

void install_application() {
  toolkit::application = {FE_MAIN, FE_CONTROL};
  install_statusbar();
  install_fontslots();
  // The compiler's pasted lines are saved to the working copy as the
  // editor's are.
  core::editsave = C1EDITSAVE;
  core::showtextbeforeerrors = FEDITREPAINT;
  // EDIT's search of the script shows the line it found.
  text::editorcalls.showline = FEDITSHOWLINE;
  // The program waits for the user once the editor's line input waits for
  // a key (not while the start screen and the first script are to come).
  plat::waits_for_user = [] { return (core::idestate & busy::lineinput) != 0 ? 1 : 0; };
}

void reset_ide() {
  // The editor's words and the run words of the compiler and the executor
  // start as in a process of their own: an earlier run's stores would show
  // instead of the start screen.
  exec::reset_interpreter();
  reset_windowlist();
  reset_idewords();
  reset_statusbar();
  reset_menutool();
  reset_keypress();
  reset_startscreen();
  reset_mainwindow();
  reset_quicky();
  reset_printdirect();
  reset_fedit();
  reset_scripts();
  reset_m2();
  plot::reset_fontslots();
  ui::reset_tablelayout();
  ui::reset_popupmenu();
  ui::reset_dialogs();
  reset_windowclose();
  KILLTOOLTIPWINDOW();
  reset_textwriters();
  reset_smarttype();
  reset_panlio();
  reset_bookmarks();
  slot7target = toolkit::draw_target_t{};
}

}  // namespace ide
