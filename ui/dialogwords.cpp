#include "ui/dialogwords.h"

namespace ui {

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
  curchangereason = 0;
  lastdlgwindow = nullptr;
  dlgitemid = 0;
  lastident = 0;
  lastvalue = 0.0;
  inupdate = false;
  lastdlgevent = 0;
  lastboxwindow = nullptr;
  progfolder.blank();
  winlink = WinLink{};
}

}  // namespace ui
