// The program's own procedures that scripts hand to libraries, the run
// driver's entry and the reset of the library tables.
#include <cstdio>
#include <string>

#include "core/runwords.h"
#include "core/winapi_byname.h"
#include "exec/optdispatch.h"
#include "io/dll.h"
#include "io/dll_common.h"
#include "platform/win_library.h"
#include "platform/win_message.h"
#include "platform/win_message_box.h"

namespace io {

extern "C" std::int32_t SHOWCALLBACKARGS(std::int64_t a, std::int64_t b, std::int64_t c,
                                         std::int64_t d) {
  const std::string text = "Arguments: " + std::to_string(a) + ", " + std::to_string(b) + ", " +
                           std::to_string(c) + ", " + std::to_string(d);
  win::MessageBoxA(nullptr, text.c_str(), "Callback", win::MB_OK);
  return 0;
}

extern "C" std::intptr_t BEEPWNDPROC(std::uintptr_t wnd, std::uint32_t msg, std::uintptr_t wp,
                                     std::intptr_t lp) {
  if (msg >= win::WM_USER) core::CALLWINAPISUB("Beep", {750, 100}, "K-");
  return win::DefWindowProcA(reinterpret_cast<win::HWND>(wnd), msg, wp, lp);
}

void dllhandback() {
  bool user = false;
  for (std::int32_t n = 1; n <= exec::noptions; ++n) user = user || exec::optkw(n) > dllkw::unload;
  if (!user) {
    DLLSTATEMENT();
    return;
  }
  USERDLL(exec::optkw, exec::noptions);
  if (!core::msgkey.is_blank()) dllcommon::show(dllmessage.trimmed());
}

void reset_dll() {
  FREEUSERDLLS();
  if (dllslot0 != 0) win::FreeLibrary(win::module_from(dllslot0));
  dllslot0 = 0;
  dllslot0name.blank();
  dllmessage.blank();
  dllnamemode = 0;
  dllmainwindow = 0;
}

}  // namespace io
