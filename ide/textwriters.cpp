#include "ide/textwriters.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <string>

#include "core/editbuffer.h"
#include "core/findprompt.h"
#include "core/program.h"
#include "core/runwords.h"
#include "core/search.h"
#include "core/stores.h"
#include "core/tokenizer.h"
#include "exec/builtins.h"
#include "ide/editorwords.h"
#include "ide/fontslot.h"
#include "ide/idewords.h"
#include "ide/qbitmap.h"
#include "ide/windowlist.h"
#include "plot/fontslots.h"
#include "toolkit/draw.h"
#include "toolkit/draw_targets.h"
#include "toolkit/scrolling.h"

namespace ide {

namespace {

// Names coloured as keywords: the statement words, then the built-ins that
// a script calls by name (not the dialog from a text, which DLG becomes),
// each framed by commas.
constexpr std::string_view keywords =
    ",,GOTO,IF,DO,CALL,CONTINUE,END,DIMENSION,DATA,RETURN,SUBROUTINE,FUNCTION,CHARACTER,ELSE,"
    "ELSEIF,ENDIF,THEN,ENDDO,USE,REAL,,LOG,ABS,EXP,RAN,INTPOL,LOCK,BEEP,RGB,INT,NINT,MOD,MAX,MIN,"
    "SIN,COS,TAN,ASIN,ACOS,ATAN,SINH,COSH,TANH,ROOTS,TIME,COM,XEQ,INDEX,KEY,INIT,ALARM,DIFFEQ,FUZ,"
    "ALIAS,DLL,ICHAR,CHAR,IAND,IEOR,IOR,NOT,SORT,SUM,SYSTEM,INET,READ,WRITE,OPEN,AXIS,LINE,"
    "SOLVE,WINDOW,DLG,FLOOR,LEN,LEN_TRIM,MAXLOC,MINLOC,SIGN,CEILING,TRIM,EDIT,ALLOCATE,POP,"
    "APPENDIX,STRUCT,BITS,";

constexpr std::int16_t kEnd = -32768;  // 0x8000
constexpr std::int16_t kString = 0x41;
constexpr std::int16_t kName = 0x80;
constexpr std::int16_t kNumber = 0x81;

// The line-input field as PANWR0 drew it last.
struct Field {
  std::int32_t first = 2;
  std::int32_t last = 0;
  std::int32_t x = 1;
  std::int32_t y = 1;
  std::int32_t cls = 4;
  std::array<std::uint32_t, 2> colours{};
};
Field field;

// The drawing of one WRITETEXT call: the target, the font and the origin
// of the line being coloured.
struct Drawing {
  toolkit::draw_target_t target;
  win::HFONT font = nullptr;
  std::int32_t x = 0;
  std::int32_t y = 0;
  // The row already laid with blanks up to this x, in these colours (none
  // when `blankright` is not past `x`).
  std::int32_t blankright = 0;
  std::array<std::uint32_t, 2> blankcolours{};
};

// The current window (the main window when none is current), its bitmap
// opened for drawing; null when it has none.
wdwrec* opencurrent(Drawing& d) {
  wdwrec* r = wdwcur != nullptr ? wdwcur : wdwhead;
  if (r == nullptr || r->bitmap == nullptr) return nullptr;
  int status = 0;
  toolkit::START_BITMAP_DRAW(&r->bitmap, nullptr, nullptr, d.target, &status);
  return d.target.marker != 0 ? r : nullptr;
}

const plot::FontSlot& slotof(std::int32_t s) {
  return plot::fontslots(plot::fontslots.valid(s) ? s : 1);
}

void grow(win::RECT& r, std::int32_t x, std::int32_t y, std::int32_t w, std::int32_t h) {
  r.left = std::min(r.left, x);
  r.top = std::min(r.top, y);
  r.right = std::max(r.right, x + w);
  r.bottom = std::max(r.bottom, y + h);
}

void put(Drawing& d, std::string_view s, std::int32_t x, std::int32_t y,
         const std::array<std::uint32_t, 2>& c) {
  if (s.empty()) return;
  const int format = 0x60;  // one line, tabs expanded
  int status = 0;
  const win::COLORREF fg = c[0], bg = c[1];
  toolkit::WRITE_TEXT(d.target, s.data(), static_cast<int>(s.size()), nullptr, nullptr, &x, &y, &fg,
                      &bg, d.font != nullptr ? &d.font : nullptr, nullptr, &format, nullptr,
                      nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &status);
}

std::array<std::uint32_t, 2> coloursof(std::int32_t k) {
  if (k < 1 || k > 17) k = 4;
  return {colour(colnum(2 * k - 1)), colour(colnum(2 * k))};
}

// One segment (positions first to last of the line) in the colours of class k.
void segment(Drawing& d, std::string_view line, std::int32_t first, std::int32_t last,
             std::int32_t k) {
  if (last < first || first < 1) return;
  last = std::min<std::int32_t>(last, static_cast<std::int32_t>(line.size()));
  if (last < first) return;
  const std::int32_t x = d.x + GETTABBEDTEXTWIDTH(d.target.dc, line, first - 1);
  std::array<std::uint32_t, 2> c = coloursof(k);
  if (k == txtclass) c = txtcolors;
  std::string_view s =
      line.substr(static_cast<std::size_t>(first - 1), static_cast<std::size_t>(last - first + 1));
  // Blanks at its end that would lie on blanks of its colours are not drawn
  // again (the rest of a row after its last token).
  const std::size_t inked = s.find_last_not_of(' ') + 1;
  if (inked < s.size() && c == d.blankcolours &&
      d.x + GETTABBEDTEXTWIDTH(d.target.dc, line, last) <= d.blankright)
    s = s.substr(0, inked);
  put(d, s, x, d.y, c);
}

Drawing* current = nullptr;

// The first match of the search text in the line (its first position and
// length), while matches are marked (switch 7 of the Find options).
bool findmatch(std::string_view line, std::int32_t& at, std::int32_t& len) {
  const auto on = [](int k) { return core::findoptions[static_cast<std::size_t>(k - 1)] != 0; };
  if (!on(7) || edfindtext.is_blank()) return false;
  int options = 0;
  if (on(1)) options |= core::so_case;
  if (on(2)) options |= core::so_words;
  if (on(6)) options |= core::so_nearest;
  if (on(8)) options |= core::so_regex;
  const std::string framed = "\n" + std::string(line) + "\r";
  int notfound = 0;
  const int found = core::SEARCH(framed, edfindtext.trimmed(), 1, static_cast<int>(framed.size()),
                                 options, notfound);
  int length = 0;
  core::MATCHEDLENGTH(length);
  if (found <= 1 || length <= 0) return false;
  at = found - 1;
  len = std::min<std::int32_t>(length, static_cast<std::int32_t>(line.size()) - at + 1);
  return len > 0;
}

bool iskeyword(std::string_view word) {
  if (word.empty() || word.size() > 60) return false;
  std::string framed = ",";
  for (char c : word) framed += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  framed += ',';
  return keywords.find(framed) != std::string_view::npos;
}

void colourline(Drawing& d, std::string_view line) {
  const std::int32_t n = static_cast<std::int32_t>(line.size());
  const std::int32_t lastnonblank = static_cast<std::int32_t>(line.find_last_not_of(' ') + 1);
  std::int32_t prev = 0;
  for (std::int32_t k = 1; k <= core::ntok && prev < n; ++k) {
    const std::int16_t code = core::tokcod(k);
    std::int32_t end = core::tokend(k);
    if (k == core::ntok && code != kEnd) end = n;
    std::int32_t cls = txtclass;
    if (core::edline.line > core::nstmt) {
      end = n;
    } else if (code == kEnd) {
      if (end >= 1 && end <= n && line[static_cast<std::size_t>(end - 1)] == '!') {
        cls = 14;
        end = std::max(end, lastnonblank);
      }
    } else if (code == kString) {
      cls = 15;
      ++end;
    } else if (code == kNumber) {
      cls = 15;
    } else if (code == kName) {
      const std::int32_t b = core::tokbeg(k);
      if (b >= 1 && end >= b && end <= n &&
          iskeyword(
              line.substr(static_cast<std::size_t>(b - 1), static_cast<std::size_t>(end - b + 1))))
        cls = 16;
    }
    end = std::min(end, n);
    segment(d, line, prev + 1, end, cls);
    prev = std::max(prev, end);
  }
  std::int32_t at = 0, len = 0;
  if (findmatch(line, at, len)) segment(d, line, at, at + len - 1, 17);
}

}  // namespace

void setclass(std::int32_t k) {
  txtclass = k;
  txtcolors = coloursof(k);
}

bool untakenline(std::int32_t line) {
  const std::int32_t p = core::stmtstart(line);
  return line >= 1 && line <= core::nstmt && p >= 1 && core::xeqbuf.valid(p) &&
         (core::xeqbuf(p) == 1 || line == core::openblock);
}

bool rejectedline(std::int32_t line) {
  const std::int32_t p = core::stmtstart(line);
  return line >= 1 && line <= core::nstmt && p >= 1 && core::xeqbuf.valid(p) &&
         (core::xeqbuf(p) == 1 || core::xeqbuf(p) == core::endopendo || line == core::openblock);
}

std::int32_t GETALIGNFORMAT(std::string_view text, std::string_view key, std::int32_t& given) {
  given = 0;
  if (key == " ") return text.find('\n') != std::string_view::npos ? 0x50 : 0x60;
  auto has = [key](char c) { return key.find(c) != std::string_view::npos; };
  std::int32_t flags = 0;
  if (has('T')) {
    given = 1;
  } else if (has('B')) {
    flags += 8;
    given = 1;
  }
  if (!has('L')) {
    if (has('C'))
      flags += 1;
    else if (has('R'))
      flags += 2;
  }
  if (has('S'))
    flags = 0x20;
  else if (has('W'))
    flags += 0x10;
  if (has('N')) flags += 0x90;
  if (has('X')) flags += 0x40;
  if (has('V')) {
    flags += 4;
    given = 1;
  }
  if (has('A')) flags += 0x800;
  return flags;
}

void WRITETEXT(std::string_view text, std::int32_t count, std::int32_t column, std::int32_t row,
               std::int32_t& slot, std::int32_t mode) {
  count = std::clamp<std::int32_t>(count, 0, static_cast<std::int32_t>(text.size()));
  std::int32_t given = 0;
  const std::int32_t flags =
      GETALIGNFORMAT(text.substr(0, static_cast<std::size_t>(count)), " ", given);
  if (wdwcur == nullptr) wdwcur = wdwhead;
  wdwrec* r = wdwcur;
  if (r == nullptr || r->bitmap == nullptr) return;
  const bool mainwin = r == wdwhead;
  if (!plot::fontslots.valid(r->fontslot)) r->fontslot = 1;
  slot = r->fontslot;
  const plot::FontSlot& f = slotof(slot);
  const std::int32_t cw = std::max<std::int32_t>(1, f.cellwidth);
  const std::int32_t ch = std::max<std::int32_t>(1, f.cellheight);
  const std::int32_t left = r->textarea[0], right = r->textarea[1], top = r->textarea[2],
                     bottom = r->textarea[3];
  std::int32_t first = 1, last = count;
  std::int32_t x = 0, y = 0;
  std::int32_t usable = 0, moved = 0;
  if (column >= 0 && !mainwin) {
    const std::int32_t rows = r->clientheight / ch;
    const std::int32_t cols = r->clientwidth / cw;
    usable = std::max<std::int32_t>(1, cols - (left + right));
    if (row < 0) row = rows + 1;
    const std::int32_t feeds =
        static_cast<std::int32_t>(std::count(text.begin(), text.begin() + count, '\n'));
    std::int32_t lines = feeds;
    if ((flags & 0x10) == 0) {
      if (right > 0) last = std::min(last, usable);
    } else {
      last = static_cast<std::int32_t>(
          text.substr(0, static_cast<std::size_t>(count)).find_last_not_of(' ') + 1);
      const std::int32_t wide = last * cw;
      lines = wide / cw / usable + feeds;
      while (lines > rows - top - bottom && last > 1) {
        --last;
        lines = last / usable + feeds;
      }
    }
    if (row > rows - bottom - lines) {
      moved = lines + 1;
      BITMAPACTION(*r, moved, 0, top, 0, bottom, 0);
      row = std::max(rows - bottom - lines - 1, top);
    }
  } else if (column >= 0 && row < 0) {
    row = 1;
  }
  Drawing d;
  int status = 0;
  toolkit::START_BITMAP_DRAW(&r->bitmap, nullptr, nullptr, d.target, &status);
  if (d.target.marker == 0) return;
  d.font = f.font;
  if (d.font != nullptr) win::SelectObject(d.target.dc, d.font);
  if (column >= 0) {
    x = cw * (column + left - 1);
    y = ch * (top + row - 1);
    textpos = {x, y};
  } else {
    first = -column;
    last = row;
    if (count < row) {
      first = 1;
      last = std::min(row + column + 1, count);
    }
    x = textpos.x + GETTABBEDTEXTWIDTH(d.target.dc, text, first - 1);
    y = textpos.y;
  }
  std::array<std::uint32_t, 2> colours = txtcolors;
  if (f.colour != 0) colours[0] = f.colour;
  first = std::max<std::int32_t>(first, 1);
  last = std::min<std::int32_t>(last, count);
  const std::string_view part = last >= first
                                    ? text.substr(static_cast<std::size_t>(first - 1),
                                                  static_cast<std::size_t>(last - first + 1))
                                    : std::string_view{};
  if (mode > 0) {
    const std::string blanks(static_cast<std::size_t>(count), ' ');
    put(d, blanks, x, y, colours);
    d.blankright = x + GETTABBEDTEXTWIDTH(d.target.dc, blanks, count);
    d.blankcolours = colours;
  }
  if (mode > 0 && first < last && core::xeqstop <= 0) {
    // The compiler's token arrays are borrowed for the line and given back.
    const auto keptcod = core::tokcod, keptbeg = core::tokbeg, keptend = core::tokend;
    const std::int32_t keptn = core::ntok, keptstop = core::xeqstop;
    const auto keptkey = core::tokenkey;
    std::array<double, core::maxtokens> values{};
    std::int32_t tokmode = 0;
    core::TOKEN(part, values, tokmode);
    core::xeqstop = keptstop;
    const std::int32_t savedclass = txtclass;
    const auto savedcolours = txtcolors;
    txtcolors = colours;
    d.x = x;
    d.y = y;
    current = &d;
    COLORTOKENS(part, static_cast<std::int32_t>(part.size()), x, y);
    current = nullptr;
    txtclass = savedclass;
    txtcolors = savedcolours;
    core::tokcod = keptcod;
    core::tokbeg = keptbeg;
    core::tokend = keptend;
    core::ntok = keptn;
    core::tokenkey = keptkey;
  } else {
    put(d, part, x, y, colours);
  }
  std::int32_t size[2] = {};
  win::SIZE sz{};
  win::GetTextExtentPoint32A(d.target.dc, part.data(), static_cast<int>(part.size()), &sz);
  size[0] = GETTABBEDTEXTWIDTH(d.target.dc, part, static_cast<std::int32_t>(part.size()));
  size[1] = sz.cy > 0 ? sz.cy : ch;
  lastextent = {size[0], size[1]};
  if (mode > 0) size[0] = std::max(size[0], count * cw);
  toolkit::END_BITMAP_DRAW(d.target, &status);
  if (f.angle == 0.0F) {
    if (mainwin) {
      grow(updrect, x, y, size[0], size[1]);
    } else if (r->window != nullptr) {
      win::RECT rect{x, y - moved * ch, x + (usable > 0 ? usable * cw : size[0]), y + size[1]};
      rect.top = std::max<std::int32_t>(0, rect.top);
      const int erase = 0;
      toolkit::UPDATE_WINDOW(r->window, &erase, &rect, &ups);
    }
  } else if (r->window != nullptr) {
    const int erase = 0;
    toolkit::UPDATE_WINDOW(r->window, &erase, nullptr, &ups);
  }
}

void COLORTOKENS(std::string_view text, std::int32_t count, std::int32_t x, std::int32_t y) {
  text = text.substr(0, static_cast<std::size_t>(std::clamp<std::int32_t>(
                            count, 0, static_cast<std::int32_t>(text.size()))));
  if (current != nullptr) {
    current->x = x;
    current->y = y;
    colourline(*current, text);
    return;
  }
  // Called on its own: into the current window's bitmap.
  Drawing d;
  if (opencurrent(d) == nullptr) return;
  int status = 0;
  d.font = plot::fontslots(2).font;
  if (d.font != nullptr) win::SelectObject(d.target.dc, d.font);
  d.x = x;
  d.y = y;
  colourline(d, text);
  toolkit::END_BITMAP_DRAW(d.target, &status);
}

void PANWR0(std::string_view text, std::int32_t first, std::int32_t last, std::int32_t x,
            std::int32_t y) {
  colnum(8) = 15;
  setclass(txtclass);
  std::int32_t mode = 3;
  if (fieldcolours != nullptr) {
    txtcolors = *fieldcolours;
    mode = 0;
  } else if (rejectedline(edloadline) && txtclass != 6) {
    // (A selected line keeps the colours of the selection.)
    txtcolors[1] = exec::rgbtab(16);
    mode = 0;
  }
  last = std::min<std::int32_t>(last, static_cast<std::int32_t>(text.size()));
  field = {first, last, x, y, txtclass, txtcolors};
  if (wdwcur == wdwhead &&
      std::find(inputrowsdrawn.begin(), inputrowsdrawn.end(), y) == inputrowsdrawn.end())
    inputrowsdrawn.push_back(y);
  if (last < first) return;
  const std::string_view part =
      text.substr(static_cast<std::size_t>(first - 1), static_cast<std::size_t>(last - first + 1));
  std::int32_t slot = 0;
  WRITETEXT(part, static_cast<std::int32_t>(part.size()), x, y, slot, mode);
}

void PANWR0PART(std::string_view text, std::int32_t from, std::int32_t to, std::int32_t cls) {
  const std::int32_t last =
      std::min<std::int32_t>(field.last, static_cast<std::int32_t>(text.size()));
  if (last < field.first) return;
  const std::string_view part = text.substr(static_cast<std::size_t>(field.first - 1),
                                            static_cast<std::size_t>(last - field.first + 1));
  const std::int32_t n = static_cast<std::int32_t>(part.size());
  std::int32_t slot = 0;
  txtclass = field.cls;
  txtcolors = field.colours;
  WRITETEXT(part, n, field.x, field.y, slot, -4);
  // A match of the search text stays marked in the input line as well.
  std::int32_t at = 0, len = 0;
  if (findmatch(part, at, len)) {
    setclass(17);
    WRITETEXT(part, n, -at, at + len - 1, slot, -5);
    txtclass = field.cls;
    txtcolors = field.colours;
  }
  if (from >= 1 && to >= from && from <= n) {
    setclass(cls);
    WRITETEXT(part, n, -from, std::min(to, n), slot, -5);
  }
  txtclass = field.cls;
  txtcolors = field.colours;
}

void PANWRT(std::string_view text, std::int32_t column, std::int32_t row) {
  Drawing d;
  wdwrec* r = opencurrent(d);
  if (r == nullptr) return;
  int status = 0;
  const plot::FontSlot& f = slotof(r->fontslot != 0 ? r->fontslot : 1);
  d.font = f.font;
  if (d.font != nullptr) win::SelectObject(d.target.dc, d.font);
  const std::int32_t cw = std::max<std::int32_t>(1, f.cellwidth);
  const std::int32_t ch = std::max<std::int32_t>(1, f.cellheight);
  std::int32_t first = 1, last = static_cast<std::int32_t>(text.size());
  std::int32_t x = 0, y = 0;
  if (row >= 0) {
    x = cw * (column + r->textarea[0] - 1);
    y = ch * (r->textarea[2] + row - 1);
    textpos = {x, y};
  } else {
    first = std::max(column, 1);
    last = -row;
    x = textpos.x + GETTABBEDTEXTWIDTH(d.target.dc, text, first - 1);
    y = textpos.y;
  }
  if (last == 255) last = 254;
  last = std::min<std::int32_t>(last, static_cast<std::int32_t>(text.size()));
  if (last >= first) {
    const std::string_view part = text.substr(static_cast<std::size_t>(first - 1),
                                              static_cast<std::size_t>(last - first + 1));
    put(d, part, x, y, coloursof(txtclass));
    win::SIZE sz{};
    win::GetTextExtentPoint32A(d.target.dc, part.data(), static_cast<int>(part.size()), &sz);
    lastextent = sz;
    grow(updrect, x, y, sz.cx, sz.cy);
  }
  toolkit::END_BITMAP_DRAW(d.target, &status);
}

void reset_textwriters() {
  inputrowsdrawn.clear();
  txtclass = 4;
  textpos = {};
  lastextent = {};
  field = Field{};
  current = nullptr;
}

}  // namespace ide
