// The window program's start. Until the editor window exists, one plain
// window titled by the script the command line names stands in for it.
#include "app/window_program.h"

#include <cstdio>

#include "platform/backend.h"
#include "platform/win_cursor.h"
#include "platform/win_gdi.h"
#include "platform/win_message.h"
#include "platform/win_window.h"

namespace app {

namespace {

constexpr const char* kMainClass = "fenstra_MAIN_CLASS";

win::LRESULT main_window_proc(win::HWND wnd, win::UINT msg, win::WPARAM wp, win::LPARAM lp) {
  if (msg == win::WM_DESTROY) {
    win::PostQuitMessage(0);
    return 0;
  }
  return win::DefWindowProcA(wnd, msg, wp, lp);
}

}  // namespace

std::string first_script_name(const std::string& cmdline) {
  std::size_t at = 0;
  while (at < cmdline.size()) {
    if (cmdline[at] == ' ') {
      ++at;
      continue;
    }
    // One word: up to the next blank, or to the closing quote.
    std::size_t end;
    std::string word;
    if (cmdline[at] == '"') {
      end = cmdline.find('"', at + 1);
      word = cmdline.substr(at + 1, end == std::string::npos ? std::string::npos : end - at - 1);
      end = end == std::string::npos ? cmdline.size() : end + 1;
    } else {
      end = cmdline.find(' ', at);
      if (end == std::string::npos) end = cmdline.size();
      word = cmdline.substr(at, end - at);
      std::erase(word, '"');
    }
    if (word.find('.') != std::string::npos) return word;
    at = end;
  }
  return "untitled";
}

int run_window_program(const std::string& cmdline) {
  const std::string problem = plat::use_display();
  if (!problem.empty()) {
    std::fprintf(stderr, "ostrel: %s", problem.c_str());
    if (problem.find("not set") != std::string::npos)
      std::fprintf(stderr, "; to run a script without one: ostrel RUN=script.ost");
    std::fprintf(stderr, "\n");
    return 2;
  }
  win::WNDCLASSA wc;
  wc.style = win::CS_DBLCLKS | win::CS_HREDRAW | win::CS_VREDRAW;
  wc.lpfnWndProc = main_window_proc;
  wc.hCursor = win::LoadCursorA(nullptr, win::IDC_ARROW);
  wc.hbrBackground = win::GetSysColorBrush(win::COLOR_WINDOW);
  wc.lpszClassName = kMainClass;
  win::RegisterClassA(&wc);
  const std::string title = first_script_name(cmdline);
  win::HWND main = win::CreateWindowExA(0, kMainClass, title.c_str(), win::WS_OVERLAPPEDWINDOW,
                                        win::CW_USEDEFAULT, win::CW_USEDEFAULT, win::CW_USEDEFAULT,
                                        win::CW_USEDEFAULT, nullptr, nullptr, nullptr, nullptr);
  if (main == nullptr) {
    std::fprintf(stderr, "ostrel: the main window cannot be made\n");
    plat::close_display();
    return 2;
  }
  win::ShowWindow(main, win::SW_SHOWNORMAL);
  win::UpdateWindow(main);
  win::MSG msg;
  int status = 0;
  for (;;) {
    const win::BOOL got = win::GetMessageA(&msg, nullptr, 0, 0);
    if (got == 0) {
      status = static_cast<int>(msg.wParam);
      break;
    }
    if (got < 0) {
      status = 2;
      break;
    }
    win::TranslateMessage(&msg);
    win::DispatchMessageA(&msg);
  }
  win::UnregisterClassA(kMainClass, nullptr);
  plat::close_display();
  return status;
}

}  // namespace app
