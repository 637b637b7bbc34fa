#include "exec/windowless.h"

#include <cstdio>
#include <iostream>

#include "core/runwords.h"
#include "core/symbols.h"
#include "exec/windowlist.h"
#include "exec/windowwords.h"
#include "platform/cp1252.h"
#include "platform/win_message.h"
#include "platform/win_window.h"
#include "toolkit/loops.h"
#include "toolkit/records.h"

namespace exec {

namespace {

constexpr const char* classname = "OstrelWindowless";
// Commands the dialogs post to the main window.
constexpr win::WPARAM closewindow = 21058;
constexpr win::WPARAM winlink = 21059;
constexpr win::WPARAM plotmouse = 21063;
constexpr win::WPARAM callback = 21064;
constexpr win::WPARAM jump = 22001;
constexpr std::int32_t mainfontslot = 2;

bool jumprequested = false;

win::LRESULT windowlessproc(win::HWND window, win::UINT message, win::WPARAM wparam,
                            win::LPARAM lparam) {
  if (message != win::WM_COMMAND) return win::DefWindowProcA(window, message, wparam, lparam);
  switch (wparam & 0xFFFF) {
    case closewindow:
      if (closehandle != nullptr && (inkill & 1) == 0) KILLWINDOW(closehandle, -1);
      closehandle = nullptr;
      break;
    case winlink:
    case plotmouse:
    case callback:
      core::idecmd = static_cast<std::int32_t>(wparam & 0xFFFF);
      break;
    case jump:
      jumprequested = true;
      break;
    default:
      break;
  }
  return 0;
}

}  // namespace

bool standardline(std::string_view line) {
  const std::string out = plat::utf8_from_1252(line) + "\n";
  return std::fwrite(out.data(), 1, out.size(), stdout) == out.size() && std::fflush(stdout) == 0;
}

bool standardreadline(std::string& line) {
  std::string in;
  if (!std::getline(std::cin, in)) return false;
  if (!in.empty() && in.back() == '\r') in.pop_back();
  line = plat::cp1252_from_utf8(in);
  return true;
}

bool OPENWINDOWLESS() {
  if (wdwhead != nullptr) return false;
  win::WNDCLASSA wc;
  wc.lpfnWndProc = windowlessproc;
  wc.lpszClassName = classname;
  win::RegisterClassA(&wc);  // a class registered before stays as it is
  std::int32_t status = 0;
  NEWWINDOW(status, nullptr);
  wdwrec* r = wdwhead;
  r->window = win::CreateWindowExA(0, classname, "Ostrel", 0, 0, 0, 640, 480, nullptr, nullptr,
                                   nullptr, nullptr);
  r->kind = kind::mainwindow;
  r->fontslot = mainfontslot;
  // The toolkit's main window too: otherwise the first modeless dialog
  // would take that part, and its closing would end everything.
  if (toolkit::MAIN_WINDOW() == nullptr && r->window != nullptr) {
    int ups = 0;
    if (toolkit::window_record_t* t = toolkit::GET_FREE_WINDOW_RECORD(r->window, &ups))
      toolkit::MAKE_MAIN_RECORD(t);
  }
  readsysmetrics();
  initialcolours();
  jumprequested = false;
  windowlessrun = true;
  return true;
}

void CLOSEWINDOWLESS() {
  if (endprintjob != nullptr) endprintjob();
  while (wdwhead != nullptr && wdwhead->next != nullptr) {
    wdwrec* r = wdwhead->next;
    const win::HWND h = r->window;
    if (h != nullptr && windowcalls.KILLWINDOW != nullptr) KILLWINDOW(h, -1);
    if (wdwhead != nullptr && wdwhead->next == r) {
      // No one closed it: the window goes, the record with it.
      if (h != nullptr && win::IsWindow(h)) win::DestroyWindow(h);
      wdwhead->next = r->next;
      if (wdwtail == r) wdwtail = wdwhead;
      delete r;
    }
  }
  const win::HWND main = wdwhead != nullptr ? wdwhead->window : nullptr;
  reset_windowlist();
  if (main != nullptr && toolkit::MAIN_WINDOW() == main) toolkit::RELEASE_MAIN_RECORD();
  if (main != nullptr && win::IsWindow(main)) win::DestroyWindow(main);
  // What the closing posted is no one's any more.
  win::MSG m{};
  while (win::PeekMessageA(&m, nullptr, win::WM_COMMAND, win::WM_COMMAND, win::PM_REMOVE)) {
  }
  jumprequested = false;
  windowlessrun = false;
}

bool RESUMEATJUMP() {
  toolkit::PROCESS_MESSAGES();
  if (!jumprequested) return false;
  jumprequested = false;
  if (resumestmt > 0) {
    core::xeqstop = 0;
    core::xeqline = resumestmt;
    resumestmt = 0;
    return true;
  }
  const std::int32_t label = core::nomsg;
  if (label < 1 || label > core::nsym || core::I2EQUZ(1, label) <= 0) return false;
  core::nomsg = 0;
  core::xeqstop = 0;
  core::xeqline = core::I2EQUZ(1, label);
  return true;
}

}  // namespace exec
