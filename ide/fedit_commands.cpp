// The editor's commands: Find, Cut, Copy and Delete of a selection, a new
// line, Paste, Undo and Redo.
#include <algorithm>
#include <array>
#include <string>

#include "core/chars.h"
#include "core/editbuffer.h"
#include "core/findprompt.h"
#include "core/kompia.h"
#include "core/kompil.h"
#include "core/runwords.h"
#include "core/search.h"
#include "core/stores.h"
#include "core/symbols.h"
#include "ide/editorwords.h"
#include "ide/editstandins.h"
#include "ide/fedit.h"
#include "ide/fedit_internal.h"
#include "ide/idewords.h"
#include "ide/keypress.h"
#include "ide/mainwindow.h"
#include "ide/scriptfiles.h"
#include "ide/statusbar.h"
#include "io/clipboard.h"

namespace ide::editor {

namespace {

std::span<const char> buffertext() {
  return {core::c1edit.data(), static_cast<std::size_t>(std::max(core::c1editend, 0))};
}

// The line that holds position pos of the edit buffer.
std::int32_t lineof(std::int32_t pos) {
  std::int32_t bytepos = 1, line = 1;
  core::BYTELINESYNC(bytepos, line, buffertext(), pos, 1);
  return line;
}

// The compiled code follows a line inserted (`edmode` 6) or deleted (5) at
// the cursor line.
void splice() {
  std::array<char, 1> blank{' '};
  std::int32_t mode = -1;
  core::KOMPIA(blank, mode);
}

// The cursor line out of the text and its code out of the program. The
// buffer keeps its only line: then the program keeps its statement too.
void deleteline() {
  core::edmode = 5;
  const std::int32_t before = core::nedlines;
  core::C1EDITDELETE(linestart(edcurline));
  if (core::nedlines == before) return;
  C1EDITSAVE();
  edchg |= 0x20;
  splice();
}

void clip(std::string_view text) {
  std::string copy(text);
  io::CLIPBORD('W', copy, static_cast<std::int32_t>(copy.size()));
}

// The selected lines as one text, each with its CR LF.
void cliplines(std::int32_t lo, std::int32_t hi) {
  const std::int32_t from = linestart(lo);
  const std::int32_t to = linestart(hi + 1);
  clip(std::string_view(core::c1edit.data() + from - 1, static_cast<std::size_t>(to - from)));
}

// Reads "\ddd" (three digits right after a backslash) as the one character
// of that code, 1 to 255; other forms stay as written.
std::string findpattern() {
  std::string p(edfindtext.trimmed());
  const std::size_t bs = p.find('\\');
  if (bs == std::string::npos) return p;
  int first = 0, last = 0;
  const int value = core::INTGET(std::string_view(p).substr(bs + 1), first, last);
  if (first == 1 && last == 3 && value >= 1 && value <= 255)
    p.replace(bs, 4, 1, static_cast<char>(value));
  return p;
}

bool findswitch(int k) { return core::findoptions[static_cast<std::size_t>(k - 1)] != 0; }

}  // namespace

Step find() {
  std::int32_t prompt = 15;
  for (;;) {
    edunhandled = false;
    int answer = 1;
    if (!shiftheld() && (edfindtext.is_blank() || ctrlheld())) {
      if (prompt == 15) {
        int previous = 0, current = 0, end = 0, next = 0;
        core::NXTWORDAT(std::string_view(edlinebuf.data(), edlinebuf.size()), edcol + 1, previous,
                        current, end, next);
        const std::int32_t from = std::max(current, 2);
        if (end >= from)
          edfindtext.set(std::string_view(edlinebuf.data() + from - 1,
                                          static_cast<std::size_t>(end - from + 1)));
      }
      // The Find window: the text and the switches as the user leaves them.
      std::array<std::int16_t, 1> flags{static_cast<std::int16_t>(prompt)};
      answer = core::FIND_PROMPT(std::span<char>(edfindtext.data(), edfindtext.size()), flags);
    }
    if (answer <= 0 || answer == 9) return Step::move;
    int options = 0;
    constexpr std::array<std::pair<int, int>, 6> bits{
        {{1, 1}, {2, 2}, {3, 4}, {4, 8}, {6, 0x20}, {8, 0x80}}};
    for (const auto& [k, bit] : bits)
      if (findswitch(k)) options |= bit;
    const bool back = (options & core::so_back) != 0;
    const std::string pattern = findpattern();
    if (pattern.empty()) return Step::move;
    const std::string_view text(core::c1edit.data(), static_cast<std::size_t>(core::c1editend));
    const std::int32_t here = linestart(edcurline) + edcol - 1 + (back ? -1 : 1);
    int notfound = 0;
    int from = back ? 1 : std::max(here, 1), to = back ? here : core::c1editend;
    int at = to >= from ? core::SEARCH(text, pattern, from, to, options, notfound) : 0;
    if (at == 0 && here > 1) {
      from = 1;
      to = core::c1editend;
      at = core::SEARCH(text, pattern, from, to, options, notfound);
    }
    if (at == 0) {
      prompt = 12;
      core::keystate[2] = 2;
      continue;
    }
    int length = 0;
    core::MATCHEDLENGTH(length);
    const std::int32_t pos = from + at - 1;
    const std::int32_t line = lineof(pos + std::max(length, 1) - 1);
    edcentre = true;
    edcol = pos + length - linestart(line);
    if (findswitch(7)) {
      // Every row shows the matches anew, also when the view stays: the
      // whole redraw is due until it is done (drawing the rows that the
      // cursor leaves and enters does not do it).
      core::edmark = core::edmarkall;
      edfullpaint = true;
      if (!shown(line)) edfirstline = line;
    }
    pendingmove = line - edcurline;
    STATUSBAR({.run = "Found \"" + pattern + "\" in line " + std::to_string(line)});
    return Step::move;
  }
}

Step deletelines() {
  std::int32_t lo = std::min(edselfrom, edselto), hi = std::max(edselfrom, edselto);
  if (lo <= 1 && hi >= core::nedlines) {
    // The text keeps one line, which no deletion takes: an empty one comes
    // first in place of the lines selected, which then all go.
    edcurline = 1;
    core::edmode = 6;
    core::C1EDITINSERT(linestart(1), "\r\n", 0);
    C1EDITSAVE();
    splice();
    lo = 2;
    hi = core::nedlines;
  }
  edcurline = hi;
  for (std::int32_t l = hi; l >= lo; --l) {
    deleteline();
    edcurline = std::max(edcurline - 1, 1);
  }
  edselfrom = edselto = 0;
  core::edmark = core::edmarkall;
  return Step::fullupdate;
}

Step cutcopy() {
  const bool cut = edcmd == cCut;
  if (edselto > 0) {
    const std::int32_t lo = std::max(std::min(edselfrom, edselto), 1);
    const std::int32_t hi = std::min(std::max(edselfrom, edselto), core::nedlines);
    cliplines(lo, hi);
    if (cut) return deletelines();
  } else if (edselcol1 > 0 && edselcol2 >= edselcol1) {
    const std::int32_t a = std::max(edselcol1, 2), b = std::min<std::int32_t>(edselcol2, 256);
    clip(std::string_view(edlinebuf.data() + a - 1, static_cast<std::size_t>(b - a + 1)));
    if (cut && !edlinetail.empty()) {
      REFUSEHELDLINE();
    } else if (cut) {
      std::copy(edlinebuf.begin() + b, edlinebuf.end(), edlinebuf.begin() + (a - 1));
      std::fill(edlinebuf.end() - (b - a + 1), edlinebuf.end(), ' ');
      edcol = a - 1;
      edselfchg = 1;
    } else if (edlinechg) {
      edselfchg = 1;
    }
  } else {
    const std::int32_t trimmed =
        core::C1LEN_TRIM(std::string_view(edlinebuf.data(), edlinebuf.size()));
    edselcol2 = std::min(trimmed + 2, 256);
    if (edlinetail.empty()) {
      edlinebuf[static_cast<std::size_t>(edselcol2 - 2)] = '\r';
      edlinebuf[static_cast<std::size_t>(edselcol2 - 1)] = '\n';
    }
    edselcol1 = 2;
    // The whole line as the text holds it (a long one beyond the input too).
    clip(core::linetext(edcurline) + "\r\n");
    if (cut) {
      edunhandled = false;
      deleteline();
      if (edfield11 <= edfield5) edhiline = 0;
      edcurline = std::min(edcurline, core::nedlines);
      edselcol1 = 0;
      return Step::fullupdate;
    }
  }
  const std::string_view b(edlinebuf.data(), edlinebuf.size());
  const std::size_t crlf = b.find("\r\n");
  if (crlf != std::string_view::npos) std::fill(edlinebuf.begin() + crlf, edlinebuf.end(), ' ');
  edselcol1 = 0;
  return Step::reload2;
}

Step newline() {
  edunhandled = false;
  if (edkey == kNewLine) {
    edfield11 = edfield10 + 1;
    ++edloadline;
    ++edcurline;
    edfirstline = std::max(edfirstline, edcurline - edrows + 1);
  }
  pendingmove = 0;
  edselfchg = 0;
  // A new line is typed from its start.
  edcol = 0;
  core::edmode = 6;
  edchg |= 0x40;
  core::C1EDITINSERT(linestart(edcurline), "\r\n", 0);
  C1EDITSAVE();
  splice();
  if (edfield11 <= edfield5) edhiline = 0;
  return Step::fullupdate;
}

Step paste() {
  const std::int32_t column = std::abs(edcol + 1);
  // As much as the paste of lines takes, so that a line break after the
  // first 256 characters is seen too.
  std::string clipped(static_cast<std::size_t>(core::pastemost), ' ');
  io::CLIPBORD('R', clipped, static_cast<std::int32_t>(clipped.size()));
  std::string_view t = clipped;
  while (!t.empty() && (t.back() == ' ' || t.back() == '\0')) t.remove_suffix(1);
  if (t.find("\r\n") == std::string_view::npos) {
    if (!edlinetail.empty()) {
      REFUSEHELDLINE();
      return Step::reload2;
    }
    t = t.substr(0, 256);
    const std::size_t at = static_cast<std::size_t>(std::clamp(column, 2, 256) - 1);
    std::string line(edlinebuf.data(), edlinebuf.size());
    line.insert(at, t);
    line.resize(edlinebuf.size(), ' ');
    std::copy(line.begin(), line.end(), edlinebuf.begin());
    edselfchg = 1;
    return Step::reload2;
  }
  core::pastelen = static_cast<std::int32_t>(t.size());
  edchg |= 1;
  core::xeqline = std::min(core::xeqline, core::nedlines);
  core::edmode = 11;
  edexit = edkey;
  return Step::leave;
}

bool compileheld(std::int32_t l) {
  const std::int32_t cursor = edcurline;
  const auto typed = edlinebuf;
  edcurline = l;
  std::span<char> s(edlinebuf.data() + 1, 255);
  std::int32_t at = std::min(edcurline, core::nedlines);
  core::FEDNXT(&s, &at);
  edlinebuf[0] = '3';
  const std::string text = linetextofbuf() + "\r\n";
  std::fill(handlerbuf.begin(), handlerbuf.end(), ' ');
  std::copy_n(text.begin(), std::min(text.size(), handlerbuf.size()), handlerbuf.begin());
  core::edmode = 11;
  edchg = 0x81;
  core::xeqline = edcurline;
  edcompiling = -1;
  core::KOMPIL(handlerbuf);
  const bool yielded = core::xeqstop == core::stops::command;
  edcompiling = 0;
  edcurline = cursor;
  edlinebuf = typed;
  return yielded;
}

Step undoredo() {
  std::int32_t pos = linestart(edcurline);
  core::C1EDITUNDO(pos, edcmd == cRedo ? 1 : 0);
  // A line taken from the end of the text was the line after the last.
  const std::int32_t line = pos > core::c1editend ? core::nedlines + 1 : lineof(std::max(pos, 1));
  C1EDITSAVE();
  if (shown(line) && line >= 1 && line <= core::nedlines) {
    edcurline = line;
    pendingmove = 0;
  } else {
    pendingmove = line - edcurline;
  }
  // The program follows the changed line, shown or not: the cursor line
  // stands on it while it is compiled.
  const std::int32_t cursor = edcurline;
  const bool gone = (edchg & 0x20) != 0;  // also a replace undone with its insert
  edcurline = gone ? std::max(line, 1) : std::clamp(line, 1, core::nedlines);
  core::xeqline = edcurline;
  bool yielded = false;
  if (gone) {
    // The line went out of the text: its statement goes out of the program.
    edchg = 0x20;
    core::edmode = 5;
    splice();
  } else {
    if ((edchg & 0x40) != 0) {
      // The line came back into the text: an empty statement opens for it
      // as for a new line, also below the last statement.
      edchg = 0x40;
      core::edmode = 6;
      splice();
    }
    // The line's text takes its statement.
    yielded = compileheld(edcurline);
  }
  edcurline = cursor;
  loadinputline(edcurline);
  if (yielded) return Step::fullupdate;
  // Restored rows are drawn in their colours at once.
  core::edmark = core::edmarkall;
  SCREENINTERNAL();
  UPDATEWDW(2, wdwhead);
  core::edmode = 10;
  waitinput = -1;
  return Step::move;
}

}  // namespace ide::editor
