#include "ide/bookmarks.h"

#include <algorithm>
#include <array>
#include <string>

#include "core/numwrite.h"
#include "core/rawmem.h"
#include "core/runwords.h"
#include "core/stores.h"
#include "core/symbols.h"
#include "exec/postfix.h"
#include "exec/xeq.h"
#include "ide/fedhlp.h"
#include "ide/fedit.h"

namespace ide {

namespace {

constexpr std::int32_t valuewidth = 10;
// The scan code of Escape in the key record, which stops a run.
constexpr std::uint8_t escapescan = 1;

// The first symbol of that name that is no text literal or temporary.
std::int32_t symbolnamed(std::string_view text) {
  if (text.empty()) return 0;
  for (std::int32_t k = 1; k <= core::nsym; ++k) {
    const std::int32_t t = core::name(k).type;
    if ((t & 0x41) == 0x41 || (t & 0x8) != 0 || (t & 0x81) == 0x81) continue;
    if (core::ELMNT_IS_NAMENI(text, k)) return k;
  }
  return 0;
}

void watching() { exec::stepwatch = breakwatch.cell != 0; }

// Step 2 and 3: what the name stands for, with its value recorded.
void resolve() {
  BreakWatch& w = breakwatch;
  const std::int32_t s = symbolnamed(breakname.trimmed());
  w.kind = s > 0 ? core::name(s).type : 0;
  if (w.index < 1) w.index = 1;
  switch (w.kind & 0xD0) {
    case 0x10: {
      std::int32_t rows = 0, cols = 0;
      core::TRANSFERR8TO2I4(core::z(s), rows, cols);
      w.count = rows * cols;
      if (w.index > w.count) w.index = 1;
      w.cell = core::IDXINZ(s, w.index - 1);
      w.value = w.cell > 0 ? core::z(w.cell) : 0.0;
      break;
    }
    case 0x40: {
      std::int32_t first = 0, last = 0;
      core::ISCHAR(s, first, last);
      w.count = first > 0 ? last - first + 1 : 0;
      if (w.index > w.count) w.index = 1;
      w.cell = w.count > 0 ? s : 0;
      w.c1pos = first + w.index - 1;
      w.character = w.cell != 0 ? core::c1namen(w.c1pos) : ' ';
      break;
    }
    case 0x80:
      w.count = 1;
      w.index = 1;
      w.cell = s;
      w.value = core::z(s);
      break;
    default:
      breakname.set(invalidname);
      w.kind = 0;
      w.cell = 0;
      break;
  }
  if ((w.kind & 0xD0) == 0) w.kind = 0;
  watching();
}

// The value written as a number just above the names in `c1namen`, the
// store grown first when the room is not there.
std::string_view numbertext(double value) {
  static std::array<char, valuewidth> kept{};
  if (core::c1top + valuewidth >= core::c1limit) {
    std::int32_t extra = std::max(valuewidth * 100, core::nc1namen / 8);
    core::REALLOC(5, extra);
  }
  std::span<char> at(kept);
  if (core::c1top + valuewidth < core::c1limit && core::c1namen.valid(core::c1top + valuewidth))
    at = std::span<char>(core::c1namen.ptr(core::c1top + 1), valuewidth);
  std::int32_t used = 0;
  core::C1WTSID8(at, value, 0, used);
  return {at.data(), at.size()};
}

}  // namespace

void TEXTMARK(std::int32_t& move, std::int32_t line, std::int32_t flag) {
  core::edmode = 13;
  exec::stopline = 0;
  for (;;) {
    textmarks(4) = line + move;
    core::HelpValues v;
    v.words = std::span<std::int32_t>(&textmarks(1), 4);
    int a = 0;
    helpwindow("book_marks", a, v);
    const std::int32_t k = a % 10;
    if (a >= 11 && a <= 13) {
      textmarks(k) = textmarks(4);
      continue;
    }
    if (a == 8 || a == 9) {
      move = textmarks(4) - line;
    } else if (a >= 21 && a <= 23) {
      move = textmarks(k) - line;
    } else if (a >= 31 && a <= 33) {
      if (flag == 0)
        exec::stopline = textmarks(k);
      else
        move = textmarks(k) - line;
    } else if (a == 99) {
      int ignored = 0;
      helpwindow("EditorHelp", ignored, {});
      move = 0;
    } else if (a == 101) {
      SETBREAKVARIABLE(101);
    }
    return;
  }
}

void SETBREAKVARIABLE(std::int32_t mode) {
  core::c1span = {};
  for (;;) {
    if (breakname.is_blank()) {
      if (mode == 111 || mode == 112) return;
      breakname.set(invalidname);
    }
    resolve();
    std::int32_t m = mode;
    BREAKACTION(m);
    if (m != 101) return;
  }
}

void BREAKACTION(std::int32_t& mode) {
  BreakWatch& w = breakwatch;
  if (w.cell == 0 && mode == 0) return;
  // A change that the check after a statement of a run finds stops the run.
  const bool breaks = mode == 0 && (core::xeqmode & core::runmode::running) != 0;
  std::string valuetext;
  if ((w.kind & 0xD0) == 0x40) {
    const char now = core::c1namen.valid(w.c1pos) ? core::c1namen(w.c1pos) : ' ';
    if (now == w.character && mode != 101) return;
    w.character = now;
    std::int32_t first = 0, last = 0;
    core::ISCHAR(w.cell, first, last);
    if (last >= w.c1pos && core::c1namen.valid(last))
      valuetext.assign(core::c1namen.ptr(w.c1pos), static_cast<std::size_t>(last - w.c1pos + 1));
  } else {
    const double now = w.cell > 0 && core::z.valid(w.cell) ? core::z(w.cell) : 0.0;
    if (now == w.value && mode != 101) return;
    w.value = w.cell > 0 ? now : 0.0;
    if (w.kind != 0) valuetext = numbertext(w.value);
  }
  // The line of the step or trace that changed the value is marked while
  // the box stands.
  const bool marked = MARKSTEPPEDLINE();
  for (bool again = true; again;) {
    again = false;
    helpword.set(breakname.view());
    std::array<std::int32_t, 1> index{w.index};
    core::HelpValues v;
    v.words = index;
    v.text = std::span<char>(breakname.data(), breakname.size());
    v.characters = std::span<char>(valuetext.data(), valuetext.size());
    v.count = static_cast<int>(valuetext.size());
    int a = 0;
    helpwindow("break_string", a, v);
    mode = 0;
    if (a == 4) {
      w.cell = 0;
      watching();
    } else if (a == 8) {
      w.index = std::min(w.index + 1, std::max(w.count, 1));
      mode = 101;
    } else if (a == 9) {
      w.index = std::max(w.index - 1, 1);
      mode = 101;
    } else if (a == 101 || a == 102) {
      if (breakname.trimmed() == invalidname) {
        again = true;
      } else if (breakname.trimmed() != helpword.trimmed() || index[0] != w.index) {
        w.index = index[0];
        mode = 101;
      }
    }
  }
  if (marked) UNMARKSTEPPEDLINE();
  // The run stops as by Escape, after the statement that changed the
  // value: the editor shows the line where it goes on, as after a step.
  if (breaks) {
    if (core::keyrec == std::array<std::uint8_t, 4>{0xFF, 0xFF, 0xFF, 0xFF}) core::keyrec.fill(0);
    core::keyrec[1] = escapescan;
  }
}

void install_breakwatch() {
  core::setbreakvariable = [](std::int32_t& code) { SETBREAKVARIABLE(code); };
}

void reset_bookmarks() {
  textmarks = plat::Store1<std::int32_t>(4);
  breakname.blank();
  breakwatch = BreakWatch{};
  exec::stepwatch = false;
}

}  // namespace ide
