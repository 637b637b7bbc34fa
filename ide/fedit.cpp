#include "ide/fedit.h"

#include <algorithm>
#include <cstring>

#include "core/chars.h"
#include "core/editbuffer.h"
#include "core/kompia.h"
#include "core/messages.h"
#include "core/runwords.h"
#include "core/stores.h"
#include "core/symbols.h"
#include "exec/xeq.h"
#include "ide/bookmarks.h"
#include "ide/editorwords.h"
#include "ide/editstandins.h"
#include "ide/fedit_internal.h"
#include "ide/idewords.h"
#include "ide/keypress.h"
#include "ide/mainwindow.h"
#include "ide/options.h"
#include "ide/panlio.h"
#include "ide/scriptfiles.h"
#include "ide/statusbar.h"
#include "ide/textwriters.h"
#include "ide/tooltip.h"
#include "ide/windowlist.h"
#include "platform/win_window.h"
#include "toolkit/scrolling.h"
#include "toolkit/services.h"

namespace ide {

using namespace editor;

namespace editor {

namespace {

constexpr std::array<std::uint8_t, 4> nokey = {0xFF, 0xFF, 0xFF, 0xFF};

void clampfirstline() {
  edfirstline = std::min(edfirstline, core::nedlines - edrows + 1);
  edfirstline = std::max(edfirstline, 1);
}

std::int32_t inputrow() { return std::max(edcurline - edfirstline, 0) + edtoprow; }

// Whether line l lies in the selected lines.
bool lineselected(std::int32_t l) {
  return edselfrom != 0 && edselto != 0 && l >= std::min(edselfrom, edselto) &&
         l <= std::max(edselfrom, edselto);
}

// The input line's class: selected (6) when the cursor line is one of the
// selected lines, which Delete, Cut and Copy take with the others.
std::int32_t inputclass() { return edcurline == edhiline || lineselected(edcurline) ? 6 : 5; }

void refresh() { UPDATEWDW(2, wdwhead); }

// The selected lines as the rows show them, and the line input's line and
// class as it was opened: what the screen holds, so that a pass ends with
// the rows drawn selected that Delete, Cut and Copy take.
struct DrawnSelection {
  std::int32_t lo = 0, hi = 0;
  std::int32_t inputline = 0, inputclass = 0;
};
DrawnSelection drawn;

std::pair<std::int32_t, std::int32_t> selectedrange() {
  if (edselfrom == 0 || edselto == 0) return {0, 0};
  return {std::min(edselfrom, edselto), std::max(edselfrom, edselto)};
}

// The line input opened on the cursor line in its class. The row it stood
// on before shows its line as the other rows do.
void openinput(std::int32_t& key, std::int32_t& changed) {
  const std::int32_t left = drawn.inputline;
  if (left != edcurline && left >= 1 && left <= core::nedlines && shown(left)) {
    const std::int32_t kept = txtclass;
    PARTSCREENINTERNAL(left - edfirstline + 1, left - edfirstline + 1, 1);
    setclass(kept);
  }
  setclass(inputclass());
  panfield.leftcol = edleftcol;
  PANLIO(std::span<char>(edlinebuf), inputrow(), key, changed);
  panfield.heldwhole = !edlinetail.empty();
  drawn.inputline = edcurline;
  drawn.inputclass = inputclass();
}

// Draws again the rows whose selection changed since they were drawn: the
// rows of the old and the new range, and the line input in its class.
void syncselection() {
  const auto [lo, hi] = selectedrange();
  const bool open = (core::idestate & busy::lineinput) != 0;
  // Rows the line input drew on and left show the lines now there.
  for (const std::int32_t r : inputrowsdrawn) {
    const std::int32_t l = r - edtoprow + edfirstline;
    if ((open && l == edcurline) || !shown(l)) continue;  // (rows below the text: blank)
    PARTSCREENINTERNAL(l - edfirstline + 1, l - edfirstline + 1, 1);
  }
  inputrowsdrawn.clear();
  if (open) inputrowsdrawn.push_back(inputrow());
  if (lo != drawn.lo || hi != drawn.hi) {
    std::int32_t from = lo, to = hi;
    if (drawn.lo != 0) {
      from = from != 0 ? std::min(from, drawn.lo) : drawn.lo;
      to = std::max(to, drawn.hi);
    }
    from = std::max(from, edfirstline);
    to = std::min({to, edfirstline + edrows - 1, core::nedlines});
    for (std::int32_t l = from; l <= to; ++l) {
      if (open && l == edcurline) continue;
      const std::int32_t row = l - edfirstline + 1;
      PARTSCREENINTERNAL(row, row, 1);
    }
    drawn.lo = lo;
    drawn.hi = hi;
  }
  if (open && drawn.inputline == edcurline && drawn.inputclass != inputclass() &&
      shown(edcurline)) {
    std::int32_t col = 0, unchanged = 0;
    PANLIOCURSOR(col);
    std::int32_t at = -std::max(col, 1);
    openinput(at, unchanged);
  }
  refresh();
}

// Lines from the cursor line's second character to the first line that
// starts with a character above blank (Ctrl+Page Down), or back to the
// previous such line (Ctrl+Page Up); the first line has no line end before
// it, so without such a line between the move goes to the first line.
std::int32_t paragraphmove(bool down) {
  const std::int32_t start = linestart(edcurline);
  std::int32_t move = 0;
  if (down) {
    for (std::int32_t k = start + 1; k <= core::c1editend; ++k) {
      if (core::c1edit(k) != '\n') continue;
      ++move;
      if (k + 1 <= core::c1editend && static_cast<unsigned char>(core::c1edit(k + 1)) > ' ') break;
    }
  } else {
    bool found = false;
    for (std::int32_t k = start - 2; k >= 1 && !found; --k) {
      if (core::c1edit(k) != '\n') continue;
      --move;
      found = k + 1 <= core::c1editend && static_cast<unsigned char>(core::c1edit(k + 1)) > ' ';
    }
    if (!found) move = 1 - edcurline;
    if (move == 0) move = -1;
  }
  return move;
}

// The line input's row from the window's text row of a click.
std::int32_t clickmove() { return edfirstline + mousepos.row - edtoprow - edcurline; }

// Measures the window, sets the scroll range and brings the rows up to date.
void measureanddraw() {
  if (wdwhead != nullptr && wdwhead->window != nullptr) WINDOWSIZE(wdwhead->window);
  if (core::edmode == 14) core::edmark = core::edmarkall;
  if (core::edmark != edfirstline && wdwhead != nullptr && wdwhead->window != nullptr) {
    scrolltotal = core::nedlines;
    scrollpage = nrows;
    const int lines = scrolltotal, page = scrollpage, position = std::max(edfirstline, 1),
              column = 1;
    toolkit::SET_SCROLL_RANGE(wdwhead->window, nullptr, &lines, nullptr, &page, nullptr, &ups);
    toolkit::SET_SCROLL_POSITION(wdwhead->window, nullptr, &position, &column, &ups);
  }
  if (nrows > 0) edrows = nrows;
  SCREENINTERNAL();
}

}  // namespace

// The rows as they stand, without the line input: the scroll range and
// position, and every shown row from the edit buffer.
void measureanddraw_rows() {
  if (nrows > 0) edrows = nrows;
  clampfirstline();
  if (wdwhead != nullptr && wdwhead->window != nullptr) {
    scrolltotal = core::nedlines;
    scrollpage = nrows;
    const int lines = scrolltotal, page = scrollpage, position = std::max(edfirstline, 1),
              column = 1;
    toolkit::SET_SCROLL_RANGE(wdwhead->window, nullptr, &lines, nullptr, &page, nullptr, &ups);
    toolkit::SET_SCROLL_POSITION(wdwhead->window, nullptr, &position, &column, &ups);
  }
  PARTSCREENINTERNAL(1, edrows, 0);
}

namespace {

// Algorithm 3.
Step fullupdate() {
  measureanddraw();
  edcmd = 0;
  if (core::edmode == 12) {
    core::edmode = 10;
    return Step::command;
  }
  return Step::reload;
}

// Algorithm 4: the key the line input handed back.
Step keystep() {
  setclass(4);
  passscan = core::keystate[1];
  *handlerkey = edkey;
  if (edkey == 0 && (mousepos.left != 0 || mousepos.right != 0))
    edcol = -mousepos.column;
  else
    PANLIOCURSOR(edcol);
  return Step::keyaftercol;
}

Step keyaftercol() {
  edcmd = 0;
  edselfchg = 0;
  const std::int32_t k = edkey;
  const bool ctl = ctrlheld();
  if (core::mousebtn == 16 || core::mousebtn == -16) {
    const std::int32_t before = edfirstline;
    switch (scrollreq.code) {
      case 0:
        --edfirstline;
        break;
      case 1:
        ++edfirstline;
        break;
      case 2:
        edfirstline -= nrows;
        break;
      case 3:
        edfirstline += nrows;
        break;
      case 5:
        edfirstline = scrollreq.thumb;
        break;
      case 6:
        edfirstline = 1;
        break;
      case 7:
        edfirstline = core::nedlines - nrows + 1;
        break;
      default:
        break;
    }
    (void)before;
    clampfirstline();
    // The scroll command is taken.
    if (core::idecmd == post::scroll) core::idecmd = -1;
    edmousehold = core::mousebtn;
    core::mousebtn = 0;
    if (shown(edcurline)) return Step::fullupdate;
    SCREENINTERNAL();
    refresh();
    waitinput = -1;
    return Step::wait;
  }
  if (k == kDown && ctl) {
    if (edfirstline == 1) core::edmark = core::edmarkall;
    edfirstline = std::min(edfirstline + 1, core::nedlines - edrows + 1);
    edfirstline = std::max(edfirstline, 1);
    edhandline = edfirstline;
    passscan = 0;
    return Step::fullupdate;
  }
  if (k == kUp && ctl) {
    edfirstline = std::max(edfirstline - 1, 1);
    passscan = 0;
    return Step::fullupdate;
  }
  const std::int32_t trimmed =
      core::C1LEN_TRIM(std::string_view(edlinebuf.data(), edlinebuf.size()));
  if (k == 0 && mousepos.left != 0) {
    pendingmove = clickmove();
  } else if (k == 0 && mousepos.right != 0 && !shiftheld()) {
    pendingmove = clickmove();
    core::xeqline = pendingmove + edloadline;
    const win::HWND main = wdwhead != nullptr ? wdwhead->window : nullptr;
    toolkit::POST_COMMAND(post::f1help, &main);
  } else if (k == kDown) {
    pendingmove = 1;
  } else if (k == kEnter) {
    pendingmove = 1;
    if (edcol >= std::max(trimmed, 2)) edkey = kNewLine;
  } else if (k == kUp) {
    pendingmove = -1;
  } else if (k == kPageDown) {
    pendingmove = ctl ? paragraphmove(true) : edrows;
  } else if (k == kPageUp) {
    pendingmove = ctl ? paragraphmove(false) : -edrows;
  } else if (k == kEnd) {
    edcol = 1;
    pendingmove = core::nedlines;
  } else if (k == kHome) {
    edcol = 1;
    pendingmove = -32767;
  } else if (k == kEscape) {
    if (core::idecmd >= cLine && core::idecmd <= cRun) {
      edcmd = core::idecmd;
      edkey = edcmd == cStep ? kEnter : 0;
      *handlerkey = edkey;
      if (edcmd == cUndo || edcmd == cRedo) edfullpaint = true;
      core::idecmd = -1;
      passscan = 65;
    } else if (core::idecmd >= 10300) {
      OPTIONS(core::idecmd);
      core::edmode = 13;
      return Step::fullupdate;
    } else if (edlinechg) {
      return Step::reload;
    } else if (edrunflags != 0 && !edescape && core::idecmd <= 0) {
      edescape = true;
      core::edmark = core::edmarkall;
      return Step::fullupdate;
    } else {
      edexit = edkey;
      return Step::leave;
    }
  } else {
    edunhandled = true;
  }
  return Step::writeback;
}

// Algorithms 5 and 6.
Step writeback() {
  std::string text = writtenline();
  const bool cutcopy = edcmd == cCut || edcmd == cCopy;
  if (!(cutcopy && !edlinechg)) text += "\r\n";
  if (edlinechg) {
    edchg |= 1;
    if (edfield11 <= edfield5) edhiline = 0;
    // A line that the text holds as it stands (kept for a save) is not
    // logged again.
    if (writtenline() != core::linetext(edcurline)) {
      core::C1EDITINSERT(linestart(edcurline), text, 1);
      C1EDITSAVE();
    }
    // A new line, a paste, a cut or a copy does not hand the line over:
    // its statement is made here, before the command changes the lines.
    if (edcmd >= cLine && edcmd <= cPaste && compileheld(edcurline)) return Step::fullupdate;
  }
  const std::int32_t k = edkey;
  if (k == kF1) {
    core::xeqline = edloadline;
    const std::string_view line(edlinebuf.data() + 1, edlinebuf.size() - 1);
    const std::int32_t trimmed =
        core::C1LEN_TRIM(std::string_view(edlinebuf.data(), edlinebuf.size()));
    if (edcol < core::NOBLA1(line) || edcol >= trimmed) {
      TEXTMARK(pendingmove, edcurline);
      if (exec::stopline > 0 && (edrunflags & runflag::handover) != 0) {
        core::edmode = 14;
        return Step::leave;
      }
      return Step::move;
    }
    FEDHLP(std::span<const char>(edlinebuf.data() + 1, 255), edcol, -1);
    edkey = 0;
    *handlerkey = 0;
    if (core::keyrec != nokey) core::keyrec[1] = 0;
    return Step::leave;
  }
  if (edcmd == cUndo || edcmd == cRedo) return undoredo();
  if ((edrunflags & (runflag::handover | runflag::handover2)) != 0 &&
      (k == kEnter || edlinechg || edselfchg != 0) && !(edcmd >= cLine && edcmd <= cPaste)) {
    edselfchg = 0;
    edchg |= 0x80;
    const std::string line = linetextofbuf() + "\r\n";
    std::fill(handlerbuf.begin(), handlerbuf.end(), ' ');
    std::copy_n(line.begin(), std::min(line.size(), handlerbuf.size()), handlerbuf.begin());
    if (edloadline < core::nstmt) edhandline = edloadline;
    core::edmode = 11;
    edlinechg = false;
    openafterstep = k == kNewLine ? edcurline : 0;
    return Step::leave;
  }
  return Step::command;
}

// Algorithm 7.
Step command() {
  if (edkey == kNewLine || edcmd == cLine) return newline();
  if (edcmd == cPaste) return paste();
  if (edcmd == cCopy || edcmd == cCut) return cutcopy();
  if (edcmd == cTrace) {
    edunhandled = false;
    if ((edrunflags & runflag::trace) != 0) edrunflags |= runflag::tracing;
    return Step::fullupdate;
  }
  if (edcmd == cFind || (edkey == kF && ctrlheld())) return find();
  if (edcmd == cRun && (edrunflags & runflag::handover) != 0) {
    core::edmode = 14;
    return Step::leave;
  }
  if (edunhandled) {
    edexit = -edkey;
    return Step::leave;
  }
  return Step::move;
}

// Algorithm 11.
Step reload() {
  // The tooltip told of the line left.
  if (edloadline != edcurline) HIDETOOLTIP();
  // The row the line input leaves shows its line as the other rows do (the
  // input may have shown it scrolled sideways).
  if (edloadline != edcurline && edloadline >= 1 && edloadline <= core::nedlines &&
      shown(edloadline) && (core::idestate & busy::lineinput) == 0) {
    const std::int32_t row = edloadline - edfirstline + 1;
    PARTSCREENINTERNAL(row, row, 1);
  }
  loadinputline(edcurline);
  edloadline = edcurline;
  return Step::reload2;
}

Step reload2() {
  edunhandled = false;
  edcmd = 0;
  if ((edrunflags & runflag::tracing) != 0) {
    if ((edrunflags & (runflag::handover | runflag::handover2)) == 0) {
      edrunflags &= ~runflag::tracing;  // nothing would take the lines
    } else {
      edkey = kEnter;
      passscan = kEnter;
      edcol = 1;
      edlinechg = false;
      return Step::keyaftercol;
    }
  }
  if (edcentre) {
    edcentre = false;
    edkey = -edcol;
  } else if (edcol < 0) {
    edkey = edcol;
  } else if (passscan != kEnter) {
    edkey = -edcol;
  }
  if (shown(edcurline)) {
    setclass(inputclass());
    core::edmode = 10;
    return Step::resume;
  }
  // The view was moved away from the cursor line: it comes back with the
  // next key.
  if (core::keyrec != nokey) core::keyrec.fill(0);
  refresh();
  waitinput = -1;
  return Step::wait;
}

// Algorithm 12.
Step move() {
  const std::int32_t offset = edcurline - edfirstline;
  edcurline = std::max(std::min(edcurline + pendingmove, core::nedlines), 1);
  if (shown(edcurline) && edcurline <= core::nedlines) {
    pendingmove = 0;
    return Step::reload;
  }
  if (pendingmove != 0) edfirstline = edcurline - offset;
  if (edcentre) {
    edfirstline = edcurline - edrows / 2;
    edfullpaint = true;
  }
  clampfirstline();
  if (passscan == 0) {
    core::edmode = 10;
    core::edmark = core::edmarkall;
  }
  pendingmove = 0;
  return Step::fullupdate;
}

// Algorithm 2 from its third step.
Step resume() {
  fieldchanged = 0;
  waitinput = 0;
  // An event with no key, no button and no command (the clock's tick)
  // leaves the view where the scroll bar put it and the selected lines as
  // they are.
  const bool keyless =
      (core::keyrec[1] == 0 || core::keyrec == nokey) && core::mousebtn == 0 && core::idecmd <= 0;
  if (!shown(edcurline)) {
    if (core::mousebtn == 16 || core::mousebtn == -16) return Step::key;
    if (keyless) {
      waitinput = -1;
      return Step::wait;
    }
    if (core::mousebtn != 0) {
      MAUSXY();
      edcurline = edfirstline;
    } else {
      edfirstline = edcurline;
    }
    return Step::fullupdate;
  }
  if (keyless && (core::idestate & busy::lineinput) != 0) {
    // An event without a key, button or command (the clock's tick, a moved
    // or sized window) leaves the line being typed open as it stands:
    // nothing is written back, logged or compiled before the user leaves
    // it. A redraw that is due keeps the line and its cursor.
    if (core::edmark == core::edmarkall || edfullpaint) {
      std::int32_t col = 0, unchanged = 0;
      PANLIOCURSOR(col);
      measureanddraw();
      if (shown(edcurline)) {
        std::int32_t at = -std::max(col, 1);
        openinput(at, unchanged);
      }
      refresh();
    }
    waitinput = -1;
    return Step::wait;
  }
  const bool lines = edselfrom != 0 && edselto != 0 && !keyless;
  if (lines && edmousehold == 0)
    PARTSCREENINTERNAL(std::max(edselto - edfirstline + 1, 1),
                       std::min(edselfrom - edfirstline + 1, edrowsdef), 0);
  if ((core::idestate & busy::lineinput) == 0) {
    STATUSBAR({.line = edcurline});
    edlinechg = edselfchg != 0;
    if (edcol == 0) edkey = 1;
    openinput(edkey, fieldchanged);
  }
  edhandline = edcurline;
  if (waitinput == 0) PANLIOKEY(std::span<char>(edlinebuf), inputrow(), edkey, fieldchanged);
  if (fieldchanged != 0) edlinechg = true;
  if (lines) {
    if (edmousehold < 1 && !shiftheld() && !ctrlheld()) {
      if (edmousehold == 0) {
        if (edkey == kDelete) return deletelines();
        edselfrom = edselto = 0;
      }
    } else {
      PARTSCREENINTERNAL(std::max(edselto - edfirstline + 1, 1),
                         std::min(edselfrom - edfirstline + 1, edrowsdef), 1);
    }
    refresh();
  }
  if (edkey != 1) edmousehold = 0;
  if (fieldchanged != 0) waitinput = -1;
  if (core::keyrec != nokey) core::keyrec.fill(0);
  if (waitinput != 0) return Step::wait;
  return Step::key;
}

void run(Step s) {
  for (;;) {
    switch (s) {
      case Step::fullupdate:
        s = fullupdate();
        break;
      case Step::command:
        s = command();
        break;
      case Step::key:
        s = keystep();
        break;
      case Step::keyaftercol:
        s = keyaftercol();
        break;
      case Step::writeback:
        s = writeback();
        break;
      case Step::move:
        s = move();
        break;
      case Step::reload:
        s = reload();
        break;
      case Step::reload2:
        s = reload2();
        break;
      case Step::resume:
        s = resume();
        break;
      case Step::leave:
        core::idestate &= ~busy::editor;
        edfullpaint = false;
        *handlerkey = edkey;
        return;
      case Step::wait:
        syncselection();
        *handlerkey = edkey;
        return;
    }
  }
}

}  // namespace

void loadinputline(std::int32_t l) {
  std::span<char> s(edlinebuf.data() + 1, edlinebuf.size() - 1);
  core::FEDNXT(&s, &l);
  edlinebuf[0] = '3';
  edlinetail.clear();
  const std::string whole = core::linetext(l);
  // A line longer than the input: the input shows its first characters and
  // the line is held whole.
  if (whole.size() > s.size()) edlinetail = whole.substr(s.size());
}

std::string writtenline() {
  std::string_view s(edlinebuf.data() + 1, edlinebuf.size() - 1);
  if (!edlinetail.empty()) return std::string(s) + edlinetail;
  while (!s.empty() && s.back() == ' ') s.remove_suffix(1);
  return std::string(s);
}

std::string linetextofbuf() {
  std::string_view s(edlinebuf.data() + 1, std::min<std::size_t>(253, edlinebuf.size() - 1));
  const std::size_t cr = s.find("\r\n");
  if (cr != std::string_view::npos) s = s.substr(0, cr);
  while (!s.empty() && s.back() == ' ') s.remove_suffix(1);
  return std::string(s);
}

bool shown(std::int32_t l) { return l >= edfirstline && l < edfirstline + edrows; }

std::int32_t linestart(std::int32_t l) {
  if (l > core::nedlines) return core::c1editend + 1;
  std::int32_t n = std::max(l, 1);
  core::FEDNXT(nullptr, &n);
  return core::edline.pos;
}

bool shiftheld() { return (core::keystate[2] & 1) != 0; }
bool ctrlheld() { return (core::keystate[2] & 2) != 0; }

}  // namespace editor

void FEDIT(std::span<char> text, std::int32_t& key) {
  if (edittap != nullptr) edittap(core::idecmd, core::keyrec);
  handlerbuf = text;
  handlerkey = &key;
  edkey = key;
  core::idestate |= busy::editor;
  if (wdwhead != nullptr) std::fill(std::begin(wdwhead->textarea), std::end(wdwhead->textarea), 0);
  wdwcur = wdwhead;
  edescape = false;
  if (openafterstep != 0) {
    // A step that failed or ended the run came back with a key of its own:
    // the line typed is left by its Enter all the same.
    const std::int32_t line = openafterstep;
    openafterstep = 0;
    if (edkey != kNewLine && line <= core::nedlines) {
      edkey = kNewLine;
      edcmd = 0;
      edcurline = edloadline = line;
      if (core::edmode != 11) core::edmode = 12;
    }
  }
  if (core::edmode == 13 && edfirstline > edhandline) edfirstline = edloadline;
  if (edrows < 1) edrows = edrowsdef;
  if (!edfullpaint) {
    pendingmove = edhandline - edloadline;
    if (pendingmove > edrows) {
      edfirstline = edhandline;
      if (core::edmode == 11) core::edmode = 12;
    }
  }
  if (core::edmode == 11 && (edcurline < edfirstline || edcurline > edfirstline + edrowsdef))
    core::edmode = 12;
  edunhandled = false;
  clampfirstline();
  edchg = 0;
  panfield.leftcol = edleftcol;
  // The scan code byte stays that of the key the editor acted on last.
  Step s;
  if (core::edmode == 11 || (core::edmode == 12 && (edcmd == cLine || edkey == kNewLine))) {
    if (edcmd == cUndo || edcmd == cRedo) {
      s = Step::fullupdate;
    } else {
      // The line just left has been compiled: its row shows anew whether
      // the compiler took it.
      if (shown(edloadline)) {
        const std::int32_t mark = core::edmark;
        const std::int32_t row = edloadline - edfirstline + 1;
        PARTSCREENINTERNAL(row, row, 0);
        core::edmark = mark;
      }
      refresh();
      s = Step::command;
    }
  } else if (core::edmode == 12 || core::edmode == 13) {
    s = Step::fullupdate;
  } else if (core::edmode == 10) {
    s = Step::reload;
  } else {
    edcurline = edfirstline;
    s = Step::fullupdate;
  }
  run(s);
}

void FEDITRESUME(std::span<char> text, std::int32_t& key) {
  if (edittap != nullptr) edittap(core::idecmd, core::keyrec);
  handlerbuf = text;
  handlerkey = &key;
  edkey = key;
  if (wdwcur == nullptr || (wdwcur->kind & 8) == 0) wdwcur = wdwhead;
  edmousehold = std::max(edmousehold, core::mousebtn);
  run(core::edmode == 13 ? Step::fullupdate : Step::resume);
}

void FEDITKEEPLINE() {
  if ((core::idestate & busy::lineinput) == 0 || edloadline < 1 || edloadline > core::nedlines ||
      core::c1edit.size() == 0)
    return;
  if (!edlinechg) return;
  const std::string text = writtenline();
  if (text == core::linetext(edloadline)) return;
  core::C1EDITINSERT(linestart(edloadline), text + "\r\n", 1);
  C1EDITSAVE();
  // The statement follows the line now, as when the line is left: a run or
  // a compile started before that takes the program of the text saved. (The
  // save is no step of the editor's: its words stay as they were.)
  const std::int32_t mode = core::edmode, chg = edchg, line = core::xeqline;
  if (compileheld(edloadline)) core::edmark = core::edmarkall;
  // Compiled, refused or not: leaving the line has nothing more to make of
  // it (a refused line's error box is not shown a second time).
  edlinechg = false;
  core::edmode = mode;
  edchg = chg;
  core::xeqline = line;
}

void FEDITSHOWLINE(std::int32_t l) {
  if (!scriptopen || core::c1edit.size() == 0 || wdwhead == nullptr ||
      !win::IsWindow(wdwhead->window) || l < 1 || l > core::nedlines)
    return;
  // A line being typed and not yet left stays where the user types it.
  if ((core::idestate & busy::lineinput) != 0 && edlinechg) return;
  wdwrec* const current = wdwcur;
  wdwcur = wdwhead;
  edcurline = edloadline = edhandline = l;
  edfirstline = l;
  edselfrom = edselto = 0;
  edselcol1 = edselcol2 = 0;
  // The line input closes: it opens on the line when the editor takes over.
  core::idestate &= ~busy::lineinput;
  loadinputline(l);
  edcol = 0;
  measureanddraw_rows();
  if (shown(l)) {
    const std::int32_t kept = txtclass;
    setclass(5);
    std::int32_t slot = 0;
    WRITETEXT(std::string_view(edlinebuf.data() + 1, edlinebuf.size() - 1), edwidth, edleftcol,
              l - edfirstline + edtoprow, slot, 1);
    setclass(kept);
    inputrowsdrawn.push_back(l - edfirstline + edtoprow);
  }
  UPDATEWDW(1, wdwhead);
  wdwcur = current;
}

bool MARKSTEPPEDLINE() {
  if ((core::xeqmode & core::runmode::running) != 0 || (core::idestate & busy::lineinput) != 0 ||
      edloadline != edcurline || !shown(edcurline))
    return false;
  const std::string_view text(edlinebuf.data(), edlinebuf.size());
  const std::int32_t kept = txtclass;
  const std::int32_t visible = std::min(edwidth, ncols - edleftcol + 1);
  const auto width = static_cast<std::int32_t>(text.size()) - 2;
  setclass(inputclass());
  PANWR0(text, 2, 2 + std::min(width, visible - 1), edleftcol, inputrow());
  PANWR0PART(text, 2, 2, caretclass);
  setclass(kept);
  refresh();
  return true;
}

void UNMARKSTEPPEDLINE() {
  if (!shown(edcurline)) return;
  const std::int32_t row = edcurline - edfirstline + 1;
  PARTSCREENINTERNAL(row, row, 1);
  refresh();
}

void REFUSEHELDLINE() {
  const auto length = static_cast<std::int32_t>(writtenline().size());
  std::array<std::int32_t, 3> words{edcurline, length,
                                    static_cast<std::int32_t>(edlinebuf.size()) - 1};
  core::HelpValues hv;
  hv.words = words;
  int answer = 0;
  core::HELP("edLineHeldWhole", answer, hv);
}

void FEDITREPAINT() {
  if (core::c1edit.size() == 0 || wdwhead == nullptr || wdwhead->window == nullptr) return;
  wdwcur = wdwhead;
  measureanddraw_rows();
  core::edmark = core::edmarkall;
  UPDATEWDW(1, wdwhead);
}

void reset_fedit() {
  reset_editorwords();
  pendingmove = passscan = fieldchanged = openafterstep = 0;
  drawn = {};
  handlerbuf = {};
  handlerkey = nullptr;
}

}  // namespace ide
