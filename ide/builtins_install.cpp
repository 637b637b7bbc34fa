#include "ide/builtins_install.h"

#include <algorithm>
#include <string>

#include "core/kompil.h"
#include "exec/builtins.h"
#include "ide/bookmarks.h"
#include "ide/fontslot.h"
#include "ide/mainwindow.h"
#include "ide/panlio.h"
#include "ide/qbitmap.h"
#include "ide/windowclose.h"
#include "ide/windowlist.h"
#include "ide/windowread.h"
#include "io/builtins_install.h"
#include "io/clipboard.h"
#include "io/readwrite.h"
#include "io/rwwindow.h"
#include "io/system.h"
#include "numeric/builtins_install.h"
#include "plot/builtins_install.h"
#include "plot/fontslots.h"
#include "text/builtins_install.h"
#include "toolkit/colours.h"
#include "toolkit/file_dialogs.h"
#include "toolkit/loops.h"
#include "toolkit/services.h"
#include "ui/builtins_install.h"
#include "ui/childwords.h"

namespace ide {

namespace {

// The clipboard of the built-ins is the toolkit's.
std::int32_t copy_to_clipboard(std::string_view text) {
  int ups = 0;
  toolkit::COPY_TO_CLIPBOARD(text.data(), static_cast<int>(text.size()), nullptr, nullptr, nullptr,
                             0, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                             &ups);
  return ups;
}

std::int32_t paste_from_clipboard(std::span<char> text) {
  int ups = 0;
  toolkit::PASTE_FROM_CLIPBOARD(text.data(), static_cast<int>(text.size()), nullptr, nullptr,
                                nullptr, 0, nullptr, &ups);
  return ups;
}

// The clipboard's text for the compiler's paste of lines: at most `most`
// characters, without the blanks that fill the rest.
std::string clipboard_text(std::int32_t most) {
  std::string text(static_cast<std::size_t>(std::max(most, 0)), ' ');
  io::CLIPBORD('R', text, most);
  const std::size_t end = text.find_last_not_of(std::string_view(" \0", 2));
  text.resize(end == std::string::npos ? 0 : end + 1);
  return text;
}

// What SYSTEM measures of a window: the text area that its record keeps
// and the character cell of its font slot. The window becomes current.
bool window_measures(win::HWND window, io::WindowMeasures& m) {
  FINDWINDOW(window);
  if (wdwcur == nullptr || wdwcur->window != window) return false;
  m.width = wdwcur->clientwidth;
  m.height = wdwcur->clientheight;
  if (plot::fontslots.valid(wdwcur->fontslot)) {
    m.cellwidth = plot::fontslots(wdwcur->fontslot).cellwidth;
    m.cellheight = plot::fontslots(wdwcur->fontslot).cellheight;
  }
  return true;
}

// OPEN's dialog for a missing file is the toolkit's open dialog.
bool open_file_name(std::span<char> path, std::string_view title, std::uint32_t flags) {
  const win::DWORD given = flags;
  return toolkit::GET_OPEN_FILE_NAME(path.data(), static_cast<int>(path.size()), title.data(),
                                     static_cast<int>(title.size()), nullptr, 0, nullptr, &given,
                                     nullptr, nullptr, 0, nullptr, 0, nullptr) != 0;
}

// The last mouse position the mouse routine recorded (a button event).
bool lastmouse(win::POINT& point) {
  if (mousepos.button == 0) return false;
  point = {mousepos.x, mousepos.y};
  return true;
}

}  // namespace

void install_all_builtins() {
  install_inputstep();
  install_breakwatch();
  install_fontslots();
  exec::windowcalls.KILLWINDOW = KILLWINDOW;
  ui::childcalls = {MOUSEPROC, KILLNONDLGWINDOW, BITMAPACTION, lastmouse};
  // Escape, Ctrl+Tab and focus changes in dialogs: also a windowless run's.
  toolkit::SET_DIALOG_HOOK(DLGCALLBACK);
  io::copytoclipboard = copy_to_clipboard;
  io::pastefromclipboard = paste_from_clipboard;
  core::clipboardtext = clipboard_text;
  io::getopenfilename = open_file_name;
  io::windowmeasures = window_measures;
  io::rwwindowcalls.LINEFIELD = WINDOWLINEFIELD;
  exec::MAKE_COLOR = [](std::int32_t r, std::int32_t g, std::int32_t b) -> std::uint32_t {
    return toolkit::MAKE_COLOR(&r, &g, &b, nullptr, nullptr, nullptr);
  };
  io::install_builtins();
  ui::install_builtins();
  plot::install_builtins();
  text::install_builtins();
  numeric::install_builtins();
}

}  // namespace ide
