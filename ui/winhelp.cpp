// The callers of WIN: HELP's help and message windows, the `win` built-in
// of scripts, and the link requests that clicks in open dialogs leave.
#include <algorithm>

#include "core/runwords.h"
#include "core/stores.h"
#include "core/symbols.h"
#include "exec/windowlist.h"
#include "ui/dialogs.h"
#include "ui/dialogwords.h"
#include "ui/win.h"

namespace ui {

namespace {

// Link requests served one after the other at most (a window that asks
// for itself again stops here).
constexpr int mostlinks = 8;

}  // namespace

void helpwindow(std::string_view key, int& answer, const core::HelpValues& values) {
  winrequest.set(key);
  WinCall c;
  c.mode = winmode::result;
  c.values = values;
  const std::string asked(core::shownkey.trimmed());
  c.key = asked;
  WIN(c);
  answer = c.iret;
}

void winfunction(std::span<const std::int32_t> operands) {
  // The operands are copied: the operand stack may move while the dialog
  // runs.
  const std::vector<std::int32_t> args(operands.begin(), operands.end());
  // (The table this statement showed has closed with its answer.)
  if (TAKEANSWER()) return;
  if (core::z.valid(core::iresult)) core::z(core::iresult) = 0.0;
  WinCall c;
  c.mode = winmode::script;
  c.args = args;
  WIN(c);
}

void WINLINKREQUEST() {
  if (winlink.word == 1) winlink.word = 0;
  for (int n = 0; n < mostlinks && winlink.word > 1; ++n) {
    WinCall c;
    c.mode = winmode::script;
    WIN(c);
    if (winlink.word > 0 && n + 1 == mostlinks) winlink.word = 0;
  }
  if (winlink.word < 0) winlink.word = 0;
}

void WINLINKCOMMAND() {
  for (int n = 0; n < mostlinks && winlink.word > 0; ++n) {
    WinCall c;
    winrequest.set(" ");
    WIN(c);
  }
  winlink.word = 0;
}

}  // namespace ui
