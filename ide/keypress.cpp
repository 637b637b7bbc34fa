#include "ide/keypress.h"

#include <algorithm>

#include "core/messages.h"
#include "core/runwords.h"
#include "ide/idewords.h"
#include "ide/m2.h"
#include "ide/mainwindow.h"
#include "ide/windowclose.h"
#include "io/keys.h"
#include "io/rwwindow.h"
#include "platform/win_message_keys.h"
#include "toolkit/loops.h"
#include "toolkit/scrolling.h"
#include "toolkit/services.h"

namespace ide {

namespace {

// KEYPRESSED's own words: a key went down and brought no character yet.
bool keydownpending = false;
// DISPATCH's own words.
bool resizepending = false;
bool firststart = true;
std::int32_t keypaddigit = 0;  // 0 none, 1 to 10 the digits 0 to 9, 11 the point

constexpr std::int32_t kEscapeChar = 27;
constexpr std::int32_t kNumLock = 144;
constexpr std::int32_t kExtendedKey = 1 << 24;
// Scan codes of the keypad keys 0 to 9 and the point ("ROPQKLMGHIS").
constexpr std::array<std::int32_t, 11> keypadscans = {82, 79, 80, 81, 75, 76, 77, 71, 72, 73, 83};

void fillclasses(std::array<std::int8_t, 94>& t, int from, int to, std::int8_t c) {
  for (int i = from; i <= to; ++i) t[static_cast<std::size_t>(i)] = c;
}

std::array<std::int8_t, 94> makeclasses() {
  std::array<std::int8_t, 94> t{};
  fillclasses(t, 1, 11, 1);
  t[12] = 33;
  t[13] = 4;
  fillclasses(t, 14, 25, 1);
  t[26] = 33;
  fillclasses(t, 27, 28, 1);
  t[29] = 8;
  fillclasses(t, 30, 39, 1);
  t[40] = 33;
  t[41] = 4;
  t[42] = 8;
  fillclasses(t, 43, 53, 1);
  t[54] = 8;
  t[55] = 33;
  t[56] = 8;
  t[57] = 1;
  t[58] = 16;
  fillclasses(t, 59, 68, 64);
  fillclasses(t, 69, 70, 16);
  fillclasses(t, 71, 73, 2);
  t[74] = 33;
  fillclasses(t, 75, 77, 2);
  t[78] = 33;
  fillclasses(t, 79, 83, 2);
  t[86] = 1;
  fillclasses(t, 87, 88, 64);
  return t;
}

// The keypad digit's key record: "0" to "9" with the scan codes of the
// digit row, or "." with scan code 52.
void keypadkey(std::int32_t position) {
  if (position == 11) {
    core::keyrec[0] = '.';
    core::keyrec[1] = 52;
  } else {
    core::keyrec[0] = static_cast<std::uint8_t>(47 + position);
    core::keyrec[1] = static_cast<std::uint8_t>(position + 1);
  }
}

}  // namespace

const std::array<std::int8_t, 94> scanclass = makeclasses();

std::int32_t scanclassof(std::int32_t scan) {
  return scan >= 0 && scan < 94 ? scanclass[static_cast<std::size_t>(scan)] : 1;
}

void KEYPRESSED(std::int32_t& kind, std::int32_t key, std::int32_t lparam) {
  keylparam = lparam;
  const std::int32_t mask = io::GETKEYSTATES();
  core::keyrec[2] = static_cast<std::uint8_t>(mask & 0xFF);
  core::keyrec[0] = 0;
  const std::int32_t scan = (lparam >> 16) & 0xFF;
  const std::int32_t cls = scanclassof(scan);
  switch (kind) {
    case 0:
      evtflags |= evt::keydown;
      keydownpending = true;
      if (cls != 2 && cls != 64) {
        if (key == win::VK_TAB && (mask & io::keybit::control) != 0) NEXTWINDOW();
        return;
      }
      break;
    case 1:
      evtflags |= evt::character;
      core::keyrec[0] = static_cast<std::uint8_t>(key);
      keydownpending = false;
      break;
    case 2:
      if (!keydownpending) {
        evtflags |= evt::keyup;
        return;
      }
      evtflags |= evt::deadkeyup;
      keydownpending = false;
      if (cls != 4) return;
      break;
    default:
      return;
  }
  core::keyrec[1] = static_cast<std::uint8_t>(scan);
  core::keyrec[3] = static_cast<std::uint8_t>(cls);
  if ((core::idestate & busy::dispatching) == 0) kind = -1;
}

void DISPATCH(win::HWND window, std::int32_t kind) {
  core::idestate |= busy::dispatching;
  const win::HWND main = wdwhead != nullptr ? wdwhead->window : nullptr;
  bool repaint = true;
  [&] {
    if (window != main && core::keyrec[0] == kEscapeChar) {
      KILLWINDOW(window, -1);
      repaint = false;
      return;
    }
    if (sizechanged) {
      sizechanged = false;
      resizepending = true;
      if (core::edmark != core::edmarkall) {
        repaint = false;
        return;
      }
    }
    if (resizepending) {
      if (mousekeys != 0) {
        repaint = false;
        return;
      }
      WINDOWSIZE(main);
      resizepending = false;
      waitinput = 0;
      core::edmark = core::edmarkall;
    }
    bool windowread = false;
    if ((core::idestate & busy::windowread) != 0) {
      io::READWINDOWKEY();
      if ((core::idestate & busy::windowread) != 0) return;
      windowread = true;
      // The line is complete: the command handler resumes the run.
      M2COMMAND();
    }
    if (!windowread && (core::idestate & busy::command) == 0) {
      if (core::keyrec[0] == kEscapeChar) {
        core::keyrec[0] = 0;
        int answer = 0;
        core::MSGBOXFROMHELP("msgExit?", "", answer);
        if (answer == 1) toolkit::POST_COMMAND(0x4001, &main);
      } else if (startmode != 0 || !firststart) {
        if (core::idecmd == 21059) {
          core::idecmd = 0;
          return;
        }
        M2();
      }
    }
    // A run that waits at a READ from a window goes on only when the line
    // is complete (above): the command handler would run it anew.
    if ((core::idestate & busy::windowread) != 0) return;
    if ((core::idestate & busy::command) != 0) {
      switch (kind) {
        case 1:
          if (io::GET_KEY_STATE(kNumLock) == 1 && (keylparam & kExtendedKey) == 0) {
            const auto at = std::find(keypadscans.begin(), keypadscans.end(), core::keyrec[1]);
            if (at != keypadscans.end()) {
              keypaddigit = static_cast<std::int32_t>(at - keypadscans.begin()) + 1;
              repaint = false;
              return;
            }
          }
          break;
        case 2:
        case 4:
          if (keypaddigit != 0) {
            keypadkey(keypaddigit);
            keypaddigit = 0;
          }
          break;
        case 3:
          repaint = false;
          return;
        default:
          break;
      }
      M2COMMAND();
      if ((core::xeqmode & core::runmode::suspended) != 0) {
        repaint = false;
        return;
      }
    }
    if ((waitinput & 1) != 0) return;
    if (startmode == 0) {
      startscreen();
      if (firststart) {
        firststart = false;
        toolkit::SET_DIALOG_HOOK(DLGCALLBACK);
      }
      return;
    }
    repaint = false;
  }();
  if (repaint) {
    UPDATEWDW(2, wdwcur);
    waitinput = 0;
  }
  core::idestate &= ~busy::dispatching;
}

void UPDATEWDW(std::int32_t mode, wdwrec* r) {
  if (r != nullptr && r->window != nullptr) {
    if (mode == 0 || mode == 1) {
      const int erase = mode == 0 ? 1 : 0;
      toolkit::UPDATE_WINDOW(r->window, &erase, nullptr, &ups);
    } else if ((mode == 2 || mode == 3) && updrect.left <= updrect.right &&
               updrect.top <= updrect.bottom) {
      win::RECT rect = updrect;
      if (r == wdwhead) {
        // From the text area to the window: the toolbar lies above it.
        const std::int32_t t = r->topoffset + kTextBelowToolbar;
        rect.top = rect.top + r->textarea[2] + t;
        rect.right = std::min(rect.right, r->textarea[0] + r->clientwidth);
        rect.bottom = std::min(rect.bottom + r->textarea[2], r->textarea[2] + r->clientheight) + t;
      }
      const int erase = mode == 3 ? 1 : 0;
      toolkit::UPDATE_WINDOW(r->window, &erase, &rect, &ups);
    }
  }
  emptyupdrect();
}

void reset_keypress() {
  keydownpending = false;
  resizepending = false;
  firststart = true;
  keypaddigit = 0;
}

}  // namespace ide
