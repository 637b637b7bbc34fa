#include "ui/dialogwords.h"

#include <cmath>

#include "toolkit/services.h"

namespace ui {

void spawnprogram(const std::string& commandline) {
  int ups = 0;
  const int nowait = 0;
  toolkit::SPAWN_PROCESS(commandline.data(), static_cast<int>(commandline.size()), &nowait, &ups);
}

win::HWND handleof(double v) {
  if (!(v >= 1.0 && v <= 4294967295.0)) return nullptr;
  return win::handle_from<win::HWND>(static_cast<std::uint32_t>(std::llround(v)));
}

void startbuild() {
  builder = Builder{};
  staged = Staged{};
  dlgfontslot = 6;
}

void reset_dialogwords() {
  startbuild();
  valuetext.blank();
  linktext.blank();
  editguard = EditGuard{};
  awaitedanswer = AwaitedAnswer{};
  curchangereason = 0;
  lastdlgwindow = nullptr;
  dlgitemid = 0;
  lastident = 0;
  inupdate = false;
  lastdlgevent = 0;
  lastboxwindow = nullptr;
  progfolder.blank();
  winlink = WinLink{};
}

}  // namespace ui
