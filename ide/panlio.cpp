#include "ide/panlio.h"

#include <algorithm>
#include <chrono>
#include <string_view>

#include "core/chars.h"
#include "core/numread.h"
#include "core/runwords.h"
#include "core/stores.h"
#include "exec/alarms.h"
#include "exec/postfix.h"
#include "ide/bookmarks.h"
#include "ide/editorwords.h"
#include "ide/editstandins.h"
#include "ide/fedit.h"
#include "ide/idewords.h"
#include "ide/keypress.h"
#include "ide/mainwindow.h"
#include "ide/numfmt.h"
#include "ide/statusbar.h"
#include "ide/textwriters.h"
#include "platform/backend.h"
#include "platform/win_message.h"
#include "platform/win_queue_idle.h"
#include "toolkit/loops.h"

namespace ide {

namespace {

// Scan codes the field acts on.
namespace scan {
constexpr std::uint8_t escape = 1, backspace = 14, tab = 15, enter = 28, a = 30, grave = 41;
constexpr std::uint8_t home = 71, up = 72, pageup = 73, left = 75, right = 77, end = 79;
constexpr std::uint8_t down = 80, pagedown = 81, insert = 82, del = 83;
constexpr std::uint8_t statusonly = 104, typed = 129;
}  // namespace scan
constexpr std::uint8_t shift = 1, control = 2, alt = 4;

// --- The step's look at the queue -------------------------------------------
//
// Something posted is taken up at once, and a paint asked for when a
// display shows it (without one no one sees the window before the next
// look, which then paints what many statements changed at once).
// Otherwise (timers running, a display to poll, a paint waiting) the
// queue is looked at every few milliseconds: a
// countdown of calls, at whose end the clock is read; the countdown's
// length follows how many calls come per millisecond.
using Clock = std::chrono::steady_clock;
constexpr auto lookevery = std::chrono::milliseconds(2);
constexpr std::int32_t maxstride = 1 << 16;
std::int32_t countdown = 1;
std::int32_t stride = 1;
Clock::time_point lastclock{};
Clock::time_point lastlook{};

bool lookdue() {
  if (win::queue_idle()) return false;
  if (win::queue_posted() &&
      (plat::backend().has_display() || win::queue_posted(~std::uint32_t{win::QS_PAINT})))
    return true;
  if (--countdown > 0) return false;
  const Clock::time_point now = Clock::now();
  const auto since = now - lastclock;
  if (since < lookevery / 4)
    stride = std::min(stride * 2, maxstride);
  else if (since > lookevery)
    stride = std::max(stride / 2, 1);
  countdown = stride;
  lastclock = now;
  if (now - lastlook < lookevery) return false;
  lastlook = now;
  return true;
}

// --- The field ----------------------------------------------------------------

constexpr std::array<std::uint8_t, 4> nokey = {0xFF, 0xFF, 0xFF, 0xFF};
// A copy of the field's text, for shifting it.
std::array<char, 256> scratch{};

std::int32_t length(std::span<char> t) { return static_cast<std::int32_t>(t.size()); }
char& col(std::span<char> t, std::int32_t k) { return t[static_cast<std::size_t>(k - 1)]; }
std::string_view fieldtext(std::span<char> t) {
  return t.size() < 2 ? std::string_view{} : std::string_view(t.data() + 1, t.size() - 1);
}

std::int32_t modeof(char c) {
  const std::size_t at = std::string_view("012345").find(c);
  return at == std::string_view::npos ? -1 : static_cast<std::int32_t>(at);
}

// Position (in the field, from 1) of the last non-blank character; 0 when blank.
std::int32_t lastnonblank(std::span<char> t) { return core::C1LEN_TRIM(fieldtext(t)); }

// Columns from..to of the text cut out, the rest moving left, blanks filling the end.
void cut(std::span<char> t, std::int32_t from, std::int32_t to) {
  const std::int32_t n = length(t);
  from = std::max(from, 2);
  to = std::min(to, n);
  if (to < from) return;
  const std::int32_t k = to - from + 1;
  std::copy(t.begin() + to, t.end(), t.begin() + (from - 1));
  std::fill(t.end() - k, t.end(), ' ');
}

void redraw(std::span<char> t) {
  PANWR0(std::string_view(t.data(), t.size()), panfield.firstshown, panfield.lastshown,
         panfield.leftcol, panfield.screenrow);
  UPDATEWDW(2, wdwcur);
}

// Step 6 of PANLIO: the visible part drawn and the cursor placed.
void display(std::span<char> t, std::int32_t key) {
  PanField& f = panfield;
  f.firstshown = static_cast<std::int16_t>(f.fieldstart);
  f.visiblewidth = static_cast<std::int16_t>(std::min(edwidth, ncols - edleftcol + 1));
  f.lastshown =
      static_cast<std::int16_t>(f.firstshown + std::min<std::int32_t>(f.width, f.visiblewidth - 1));
  f.savedclass = static_cast<std::int16_t>(txtclass);
  if (f.fieldmode >= 2) redraw(t);
  if (key < 0) {
    f.cursorcol = std::min(f.width, -key);
  } else if (core::C1LEN_TRIM(fieldtext(t)) == 0) {
    f.cursorcol = f.fieldstart - 1;
  } else {
    f.cursorcol =
        std::min<std::int32_t>(core::NOBLA1(fieldtext(t)) + f.fieldstart - 2, f.lastcol - 1);
  }
  edselcol1 = 0;
}

void commontail(std::span<char> t, std::int32_t& key, std::int32_t& changed) {
  PanField& f = panfield;
  if (f.cursorcol < 0) f.cursorcol = 0;
  // A field whose whole text fits the columns shown never scrolls; a longer
  // one keeps a few columns after the cursor in view.
  const bool fits = f.lastcol - f.fieldstart + 1 <= f.visiblewidth;
  if (!fits && f.visiblewidth - f.cursorcol - 3 <= 0) {
    f.firstshown = static_cast<std::int16_t>(f.fieldstart + f.cursorcol + 3 - f.visiblewidth);
    f.lastshown = static_cast<std::int16_t>(f.firstshown +
                                            std::min<std::int32_t>(f.width, f.visiblewidth - 1));
    if (f.fieldmode >= 2) redraw(t);
  } else if (f.firstshown > f.fieldstart) {
    key = -f.cursorcol;
    display(t, key);
  }
  const std::string_view text(t.data(), t.size());
  if (f.selecting != 0) {
    const std::int32_t anchor = f.prevcursor;
    edselcol1 = std::min(anchor, f.cursorcol) + 1;
    edselcol2 = std::max(anchor, f.cursorcol) + 1;
    if (f.fieldmode >= 2) {
      PANWR0PART(text, edselcol1 - f.firstshown + 1, edselcol2 - f.firstshown + 1, 6);
      UPDATEWDW(2, wdwcur);
    }
  } else {
    const std::int32_t cell = f.cursorcol - f.fieldstart - f.firstshown + 4;
    if (f.fieldmode >= 2) {
      PANWR0PART(text, cell, cell, caretclass);
      UPDATEWDW(2, wdwcur);
    }
    edselcol1 = 0;
    f.selecting = 0;
    SMARTTYPE(t, assiststate, changed);
    if (assiststate > 0) changed = -1;
    f.prevcursor = static_cast<std::int16_t>(f.cursorcol);
  }
  core::mousebtn = 0;
  if (f.fieldmode >= 3) {
    f.cursorcol = std::clamp(f.cursorcol, 1, std::max(1, length(t) - 1));
    const char under = f.cursorcol < length(t) ? col(t, f.cursorcol + 1) : ' ';
    STATUSBAR({.column = f.cursorcol, .character = under, .mode = insmode.view()});
  }
  waitinput = -1;
}

// Ending the field: a number field writes its value back, the line is drawn
// in the editor's class again.
void endfield(std::span<char> t, std::int32_t changed) {
  PanField& f = panfield;
  bool draw = f.fieldmode >= 2;
  if (changed != 0 && f.fieldmode == 5) {
    float value = 0.0F;
    std::int32_t pos = 0, status = 0;
    core::GETR4N(fieldtext(t), f.width + 1, value, pos, status);
    if (status == 1)
      draw = false;
    else if (status != 2)
      SETFMTWRITE(t.subspan(1), value);
  }
  if (draw) {
    setclass(4);
    redraw(t);
  }
  txtclass = f.savedclass;
  setclass(txtclass);
  core::idestate &= ~busy::lineinput;
}

void wordsat(std::span<char> t, std::int32_t at, int& previous, int& current, int& end, int& next) {
  core::NXTWORDAT(fieldtext(t), at, previous, current, end, next);
}

// Tab: the cursor to the matching parenthesis.
void matchparenthesis(std::span<char> t, bool shifted) {
  PanField& f = panfield;
  const std::string_view text(t.data(), t.size());
  if (text.find_first_of("()") == std::string_view::npos) return;
  const std::int32_t last = lastnonblank(t) + 1;  // as a column
  const std::int32_t here = f.cursorcol + 1;
  const char c = here <= length(t) ? col(t, here) : ' ';
  char target = '(';
  int dir = 1;
  if (c == '(') {
    target = ')';
  } else if (c == ')') {
    dir = -1;
  } else if (here >= last) {
    target = ')';
    dir = -1;
  }
  if (shifted) dir = -dir;
  const char opening = target == ')' ? '(' : ')';
  for (int pass = 0; pass < 2; ++pass) {
    std::int32_t depth = c == '(' || c == ')' ? 0 : 1;
    for (std::int32_t k = here; k >= 2 && k <= last; k += dir) {
      const char x = col(t, k);
      if (x == target && --depth == 0) {
        f.cursorcol = k - 1;
        return;
      }
      if (x == opening) ++depth;
    }
    if (!shifted) dir = -dir;
  }
}

enum class Next { tail, end };

// A key that would change part of a line held whole changes nothing.
Next refused() {
  REFUSEHELDLINE();
  return Next::tail;
}

// Steps 11 to 13 of the key path for a field of mode 1 or more.
Next fieldkey(std::span<char> t, std::int32_t& changed) {
  PanField& f = panfield;
  const std::uint8_t sc = core::keystate[1];
  const std::uint8_t mods = core::keystate[2];
  const bool sh = (mods & shift) != 0, ctl = (mods & control) != 0, al = (mods & alt) != 0;
  int previous = 0, current = 0, wordend = 0, next = 0;
  wordsat(t, f.cursorcol, previous, current, wordend, next);
  if (sc == 0 || sc == scan::escape || f.fieldmode == 2) return Next::end;
  // Line selections for the editor.
  const auto selectfrom = [] {
    if (edselfrom == 0) edselfrom = edcurline;
  };
  if (sh && !ctl) {
    if (sc == scan::down) {
      selectfrom();
      edselto = std::min(core::nedlines, edcurline);
    } else if (sc == scan::up) {
      selectfrom();
      edselto = std::max(edcurline, 1);
    } else if (sc == scan::pagedown) {
      selectfrom();
      edselto = std::min(core::nedlines, edcurline + nrows);
    } else if (sc == scan::pageup) {
      selectfrom();
      edselto = std::max(1, edcurline - nrows);
    }
  } else if (sh && ctl && sc == scan::end) {
    edselfrom = edcurline;
    edselto = core::nedlines;
  } else if (sh && ctl && sc == scan::home) {
    edselfrom = edcurline;
    edselto = 1;
  }
  if (ctl && !sh && sc == scan::a) {
    edselfrom = 1;
    edselto = core::nedlines;
    core::keystate[2] = shift;
    return Next::end;
  }
  bool character = false;
  switch (sc) {
    case scan::del:
      if (f.heldwhole && edselfrom == 0) return refused();
      changed = -1;
      if (edselcol1 > 0) {
        cut(t, edselcol1, edselcol2);
        f.cursorcol = edselcol1 - 1;
        edselcol1 = 0;
        f.selecting = 0;
      } else {
        if (f.cursorcol >= f.lastcol - 1) --f.cursorcol;
        cut(t, f.cursorcol + 1, f.cursorcol + 1);
      }
      return Next::tail;
    case scan::backspace:
    case scan::left:
      if (sc == scan::backspace && f.heldwhole) return refused();
      if (f.cursorcol == 1) return Next::tail;
      if (f.cursorcol <= 0) return f.heldwhole ? Next::tail : Next::end;
      if (ctl && sc == scan::left) {
        // To the start of the word before the cursor's character: from a
        // word's first character that is the word before it.
        wordsat(t, f.cursorcol - 1, previous, current, wordend, next);
        f.cursorcol = std::max(current, 1) + 1;
      } else if (ctl) {
        f.cursorcol = current;
      }
      if (sc == scan::backspace && f.cursorcol < f.lastcol) {
        if (edselcol1 > 0) {
          changed = -1;
          cut(t, edselcol1, edselcol2);
          f.cursorcol = edselcol1 - 1;
          edselcol1 = 0;
          f.selecting = 0;
          return Next::tail;
        }
        cut(t, f.cursorcol, f.cursorcol);
        changed = -1;
      }
      if (sc == scan::left) f.selecting = sh ? -1 : 0;
      if (--f.cursorcol < 1) return Next::end;
      return Next::tail;
    case scan::right:
      f.selecting = sh ? -1 : 0;
      if (!ctl) {
        ++f.cursorcol;
      } else if (!sh) {
        f.cursorcol = next;
      } else if (f.cursorcol == wordend) {
        f.cursorcol = next - 1;
      } else if (f.cursorcol > wordend) {
        f.cursorcol = next;
        wordsat(t, f.cursorcol, previous, current, wordend, next);
        f.cursorcol = next - 1;
      } else {
        f.cursorcol = wordend;
      }
      if (f.cursorcol >= f.lastcol) {
        // The end of a line held whole is as far as the cursor goes.
        if (!f.heldwhole) return Next::end;
        f.cursorcol = f.lastcol - 1;
      }
      return Next::tail;
    case scan::home:
      if (ctl || al) {
        character = true;
        break;
      }
      f.cursorcol = std::max(core::NOBLA1(fieldtext(t)) + f.fieldstart - 2, 1);
      if (f.cursorcol >= length(t) - 1 || core::C1LEN_TRIM(fieldtext(t)) == 0) f.cursorcol = 1;
      f.selecting = sh ? -1 : 0;
      return Next::tail;
    case scan::end:
      if (ctl || al) {
        character = true;
        break;
      }
      f.cursorcol = lastnonblank(t) + f.fieldstart - 2;
      if (f.cursorcol + 1 < f.lastcol) ++f.cursorcol;
      f.selecting = sh ? -1 : 0;
      return Next::tail;
    default:
      character = true;
      break;
  }
  if (!character) return Next::tail;
  // The character step.
  const std::uint8_t ch = core::keystate[0];
  if (ch == 0 && sc == scan::grave) return Next::tail;
  if (sc == scan::tab) {
    matchparenthesis(t, sh);
    return Next::tail;
  }
  if (sc == scan::enter) return Next::end;
  if (sc == scan::insert) {
    insmode.set(insmode.view() == "INS" ? "OVR" : "INS");
    caretclass = insmode.view() == "INS" ? 13 : 9;
    return Next::tail;
  }
  if (f.fieldmode <= 2) return Next::tail;
  if (ch == 0 && sc != scan::typed) return Next::end;
  // A control character (Ctrl with a letter that no command takes, 0x7F)
  // is not text: the line stays as it is.
  if (ch < 0x20 || ch == 0x7F) return Next::tail;
  if (f.heldwhole) return refused();
  if (f.cursorcol < f.lastcol) {
    if (edselcol1 > 0) {
      cut(t, edselcol1, edselcol2);
      f.cursorcol = edselcol1 - 1;
      edselcol1 = 0;
    }
    f.selecting = 0;
    const std::int32_t at = f.cursorcol + 1;
    if (at <= length(t)) {
      if (insmode.view() == "INS") std::copy_backward(t.begin() + (at - 1), t.end() - 1, t.end());
      col(t, at) = static_cast<char>(ch);
      ++f.cursorcol;
      changed = -1;
    }
  }
  return Next::tail;
}

// The key path shared by the step and PANLIOKEY. With a field, key and
// changed are its caller's words.
void keypath(std::span<char> t, std::int32_t& key, std::int32_t& changed) {
  PanField& f = panfield;
  const bool field = f.fieldmode >= 0;
  const bool none = core::keyrec == nokey;
  core::keystate = none ? std::array<std::uint8_t, 4>{} : core::keyrec;
  if (!none) core::keyrec[1] = 0;
  mousepos.left = mousepos.right = 0;
  waitinput = 0;
  if (field) key = 0;
  if (field && assiststate >= 0) {
    const std::uint8_t sc = core::keystate[1];
    if (sc == scan::tab || (sc == 57 && assiststate > 0)) {
      commontail(t, key, changed);
      return;
    }
    // An event with no key, no button and no command (the clock's tick)
    // leaves the candidates standing and Tab's place among them.
    if (sc != 0 || core::mousebtn != 0 || core::idecmd > 0) {
      changed = 0;
      assiststate = -1;
    }
  }
  // The alarm check reads a function key from the key record.
  const std::uint8_t pending = core::keystate[1];
  core::keyrec[1] = pending;
  const std::int32_t zero = 0;
  exec::CHKALA(zero);
  if (pending >= 0x3C && pending <= 0x43 && core::keyrec[3] == 0)
    core::keystate = core::keyrec;  // the function key was taken
  else if (core::keyrec[1] == 1)
    core::keystate[1] = 1;
  if (core::keyrec[1] != 1) core::keyrec[1] = none ? 0xFF : 0;

  if (core::keystate[1] != 0) {
    std::uint32_t kept = 0;
    for (int i = 3; i >= 0; --i) kept = kept << 8 | core::keystate[static_cast<std::size_t>(i)];
    core::keykept = static_cast<std::int32_t>(kept);
  } else {
    const std::int32_t btn = core::mousebtn;
    if (btn == -2 || btn == -4) {
      MAUSXY();
      if (field && btn == -2) {
        if (mousepos.row != f.screenrow) {
          endfield(t, changed);
          return;
        }
        if (f.fieldmode >= 3) {
          // A click inside the field puts the cursor on the clicked column.
          f.cursorcol = std::clamp(mousepos.column - f.leftcol + 1 + f.firstshown - f.fieldstart, 1,
                                   std::max(1, length(t) - 1));
          f.selecting = 0;
          edselcol1 = 0;
          commontail(t, key, changed);
          return;
        }
      }
    } else if (field && f.fieldmode >= 3) {
      // Nothing happened (the clock's tick): redrawing the field would
      // wipe the candidates written behind the line.
      if (btn == 0 && assiststate >= 0 && core::idecmd <= 0) {
        waitinput = -1;
        return;
      }
      if (btn == 2) {
        f.selecting = 0;
        edselcol1 = 0;
      }
      commontail(t, key, changed);
      return;
    } else if (btn == 2 || btn == 4) {
      waitinput = -1;
      return;
    }
  }
  if (awaitchar != ' ' && core::keystate != std::array<std::uint8_t, 4>{} && core::idecmd <= 0) {
    if (static_cast<char>(core::keystate[0]) == awaitchar) awaitchar = ' ';
    if (field && f.fieldmode > 0) {
      commontail(t, key, changed);
      return;
    }
    core::keystate.fill(0);
  }
  if (core::keystate[1] == scan::statusonly) {
    core::mousebtn = 0;
    if (f.fieldmode >= 3) {
      f.cursorcol = std::clamp(f.cursorcol, 1, std::max(1, length(t) - 1));
      STATUSBAR({.column = f.cursorcol, .mode = insmode.view()});
    }
    waitinput = -1;
    return;
  }
  if (!field) return;
  key = core::keystate[1];
  if (f.fieldmode == 0) return;
  switch (fieldkey(t, changed)) {
    case Next::tail:
      commontail(t, key, changed);
      break;
    case Next::end:
      endfield(t, changed);
      break;
  }
}

}  // namespace

void PANLIOSTEP() {
  if (lookdue() && (toolkit::PROCESS_MESSAGES() & 1) == 0) {
    core::idecmd = 999;
    return;
  }
  const bool keyless = core::keyrec[1] == 0 || core::keyrec == nokey;
  if (exec::alarmnext >= 0 && keyless) {
    if (exec::stepwatch) {
      std::int32_t answer = 0;
      BREAKACTION(answer);
      if (answer == 101) SETBREAKVARIABLE(answer);
    } else {
      core::keystate = {};
    }
    return;
  }
  const std::int32_t savedmode = panfield.fieldmode;
  panfield.fieldmode = -1;
  std::int32_t key = 0, changed = 0;
  keypath({}, key, changed);
  panfield.fieldmode = savedmode;
  // The run reads the break key and the label character from the key record.
  if (core::keystate[1] == scan::escape) core::keyrec[1] = 1;
  if (core::keyrec != nokey) core::keyrec[0] = core::keystate[0];
}

void PANLIO(std::span<char> text, std::int32_t row, std::int32_t& key, std::int32_t& changed) {
  PanField& f = panfield;
  core::idestate |= busy::lineinput;
  const std::int32_t n = length(text);
  if (row > 0) {
    f.selecting = 0;
    f.width = n - 2;
    f.fieldmode = n > 0 ? modeof(text[0]) : -1;
    if (f.fieldmode < 0) f.fieldmode = 2;
    f.screenrow = row;
    f.fieldstart = 2;
    f.heldwhole = false;
  }
  std::fill(scratch.begin(), scratch.end(), ' ');
  std::copy_n(text.begin(), std::min<std::size_t>(text.size(), scratch.size()), scratch.begin());
  changed = 0;
  f.lastcol = static_cast<std::int16_t>(n);
  if (f.fieldmode == 5) SETFMT(text.subspan(std::min<std::size_t>(1, text.size())));
  caretclass = insmode.view() == "OVR" ? 9 : 13;
  display(text, key);
  commontail(text, key, changed);
}

void PANLIOKEY(std::span<char> text, std::int32_t, std::int32_t& key, std::int32_t& changed) {
  PanField& f = panfield;
  f.fieldmode = text.empty() ? -1 : modeof(text[0]);
  if ((core::keyrec[2] & (shift | control)) == (shift | control) && core::keyrec != nokey)
    core::keyrec[0] = 0;
  keypath(text, key, changed);
}

void PANLIOCURSOR(std::int32_t& column) { column = panfield.cursorcol; }

void install_inputstep() { exec::PANLIOSTEP = exec::idlestep = PANLIOSTEP; }

void reset_panlio() {
  panfield = PanField{};
  insmode.set("INS");
  caretclass = 13;
  awaitchar = ' ';
  assiststate = -1;
  countdown = stride = 1;
  lastclock = lastlook = Clock::time_point{};
  scratch.fill(' ');
}

}  // namespace ide
