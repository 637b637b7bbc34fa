// The compile's progress window: a program window of its own section key,
// refreshed from the compile's progress words while the lines compile and
// closed when the compile ends, so that no stale window keeps the keys.
// The compile pumps no messages of its own: each refresh lets the window's
// clicks through, and its Stop button ends the compile.
#include "ui/winprogress.h"

#include <array>
#include <span>

#include "core/kompia.h"
#include "core/runwords.h"
#include "core/stores.h"
#include "exec/settingrefs.h"
#include "toolkit/loops.h"
#include "ui/dialogs.h"
#include "ui/dialogwords.h"
#include "ui/win.h"

namespace ui {

namespace {

// The label of the window's Stop button: the number it reports.
constexpr std::int32_t stopbutton = core::progressstop;

// The window's references name the progress words (its second values) and
// the value cells from the first on (its fifth), as the compile handed
// them when it opened the window.
void refresh() {
  const win::HWND h = WINKEYED(core::progresskey);
  if (h == nullptr || inupdate) return;
  const std::array<std::span<std::byte>, 7> kept = exec::parameters;
  exec::parameters = {};
  exec::parameters[1] = std::as_writable_bytes(std::span<std::int16_t>(core::iostatw));
  if (core::z.size() > 1)
    exec::parameters[4] = std::as_writable_bytes(
        std::span<double>(core::z.ptr(1), static_cast<std::size_t>(core::z.size() - 1)));
  UPDATEWINDOW(h, 0, 4 | 1);
  exec::parameters = kept;
  // What the user did meanwhile: a press of Stop reports its number from
  // this window; a quit ends the compile too (and is posted again).
  const std::int32_t before = lastident;
  lastident = 0;
  const bool quit = toolkit::PROCESS_MESSAGES() == 0;
  const bool stopped = lastident == stopbutton && lastdlgwindow == h;
  if (lastident == 0) lastident = before;
  if (stopped || quit) core::iostatw[2] = core::progressstop;
}

void close() { WINCLOSE(core::progresskey); }

}  // namespace

void install_progress() {
  core::progressrefresh = refresh;
  core::progressclose = close;
}

}  // namespace ui
