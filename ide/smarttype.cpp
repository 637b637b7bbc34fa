#include "ide/smarttype.h"

#include <algorithm>
#include <array>
#include <string>

#include "core/chars.h"
#include "core/codewords.h"
#include "core/editbuffer.h"
#include "core/helpdata.h"
#include "core/kompil.h"
#include "core/lexicon.h"
#include "core/numwrite.h"
#include "core/program.h"
#include "core/runwords.h"
#include "core/shop.h"
#include "core/stores.h"
#include "core/symbols.h"
#include "core/tokenizer.h"
#include "ide/editorwords.h"
#include "ide/fedhlp.h"
#include "ide/filehistory.h"
#include "ide/keypress.h"
#include "ide/mainwindow.h"
#include "ide/panlio.h"
#include "ide/statusbar.h"
#include "ide/textwriters.h"
#include "ide/tooltip.h"
#include "ide/windowlist.h"

namespace ide {

namespace {

constexpr std::uint8_t scantab = 15, scanspace = 57, scanzero = 11;
constexpr std::string_view bracket = " [TAB next, SPACE to accept]";
constexpr std::string_view keeptyping =
    " keep typing or: TAB to select | SPACE to accept | ESCAPE to undo | F1 for help";

std::uint16_t code(std::int32_t k) {
  return k >= 1 && k <= core::ntok ? static_cast<std::uint16_t>(core::tokcod(k)) : 0;
}
bool optcode(std::uint16_t c) { return (c & 0x9800) == 0x9800; }
bool optstatement(std::uint16_t c) { return (c & 0xAC00) == 0xAC00; }

char lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; }
bool equalnocase(char a, char b) { return lower(a) == lower(b); }
std::string_view trim(std::string_view s) {
  const std::size_t end = s.find_last_not_of(' ');
  return end == std::string_view::npos ? std::string_view() : s.substr(0, end + 1);
}

// The option list as far as its whole entries fit into a hint: an entry
// that the hint's width would cut goes, with the comma before it kept.
std::string optionlist() {
  constexpr std::size_t width = 256;
  const std::string_view list = shopbuf.view();
  if (list.size() <= width || list[width] == ',' || list[width] == ' ')
    return std::string(list.substr(0, std::min(list.size(), width)));
  const std::size_t comma = list.rfind(',', width - 1);
  return std::string(list.substr(0, comma == std::string_view::npos ? 0 : comma + 1));
}

// Whether the line is not being typed: its tip tells of a word, and stands
// clear of the code around it.
bool valuetip = false;

// The working words of one run.
struct Run {
  std::span<char> field;
  std::int32_t length = 0;  // of the line
  std::int32_t& state;
  std::int32_t changed = 0;
  std::uint8_t scan = 0;
  bool shift = false;
  std::int32_t symbols = 0;  // symbols before the trial
  std::int32_t k = 0, ws = 0, we = 0, p = 1, counter = 0;
  bool firstflag = false, stmtset = false, optexpect = false, optseen = false;
  bool inside = false;

  char& at(std::int32_t c) { return field[static_cast<std::size_t>(c)]; }  // line column c
  char col(std::int32_t c) const {
    return c >= 1 && c <= length ? field[static_cast<std::size_t>(c)] : ' ';
  }
  std::string_view line() const { return {field.data() + 1, static_cast<std::size_t>(length)}; }
  std::string_view cols(std::int32_t from, std::int32_t to) const {
    if (to < from || from < 1) return {};
    to = std::min(to, length);
    return line().substr(static_cast<std::size_t>(from - 1),
                         static_cast<std::size_t>(to - from + 1));
  }
  std::int32_t trimmed() const { return core::C1LEN_TRIM(line()); }
  bool tab() const { return scan == scantab; }
};

std::int32_t& cursorcol() { return panfield.cursorcol; }

void hidetip() {
  if (tipwnd != nullptr) TOOLTIP(" ");
}

std::int32_t firstnonblank(std::string_view s) {
  const std::size_t at = s.find_first_not_of(' ');
  return at == std::string_view::npos ? static_cast<std::int32_t>(s.size()) + 1
                                      : static_cast<std::int32_t>(at) + 1;
}

// The field drawn again with the caret cell at the cursor.
void rewrite(Run& r) {
  const std::string_view text(r.field.data(), r.field.size());
  PANWR0(text, panfield.firstshown, panfield.lastshown, panfield.leftcol, panfield.screenrow);
  PANWR0PART(text, cursorcell(), cursorcell(), caretclass);
  UPDATEWDW(2, wdwcur);
}

// A candidate at the append position: from number `state` on (counted
// ones), always for uncounted ones; cut where the hint ends.
void append(Run& r, std::string_view candidate, bool counted) {
  const std::int32_t number = r.counter;
  if (counted) ++r.counter;
  if (counted && number < r.state) return;
  const std::int32_t room = static_cast<std::int32_t>(hint.size()) - (r.p - 1);
  if (static_cast<std::int32_t>(candidate.size()) > room) return;
  std::string text(hint.view().substr(0, static_cast<std::size_t>(r.p - 1)));
  text.resize(static_cast<std::size_t>(r.p - 1), ' ');
  text += candidate;
  hint.set(text);
  r.p = static_cast<std::int32_t>(hint.trimmed().size()) + 2;
}

// One symbol tested against the typed word; letters compare without case
// and only a longer name is offered.
void COMPARENAMES(Run& r, std::string_view word, std::int32_t s) {
  if (s < 1 || s > core::nname) return;
  const core::SymbolRecord& rec = core::name(s);
  if (rec.nambeg <= 0 || rec.namlen <= static_cast<std::int32_t>(word.size())) return;
  const std::string_view nm(core::c1namen.ptr(rec.nambeg), static_cast<std::size_t>(rec.namlen));
  for (std::size_t i = 0; i < word.size(); ++i)
    if (!equalnocase(word[i], nm[i])) return;
  append(r, nm, true);
}

// The symbols of the scope: a local subroutine's formal arguments first,
// then the symbols from the newest down.
void SYMBNAM(Run& r, std::string_view word) {
  const std::int32_t sub = core::lokalsub;
  if (sub > 0 && sub <= core::nsym && core::name(sub).adr < 0) {
    const std::int32_t q = -core::name(sub).adr;
    if (core::xeqbuf.valid(q)) {
      const std::int32_t c = core::xeqbuf(q) - 2;
      for (std::int32_t i = 0; i < c && core::xeqbuf.valid(q - 2 - i); ++i)
        COMPARENAMES(r, word, core::xeqbuf(q - 2 - i));
    }
  }
  for (std::int32_t s = std::min(r.symbols, core::nname); s >= 1; --s) {
    const core::SymbolRecord& rec = core::name(s);
    if (rec.type == 65) continue;
    const bool test = rec.type == 129 ? rec.scope == 0 || rec.scope == sub : rec.scope == sub;
    if (test) COMPARENAMES(r, word, s);
  }
}

// The abbreviation rule: capitals, digits and signs of the entry must be
// typed in order, lower-case letters may be left out, case is ignored.
bool abbreviates(std::string_view typed, std::string_view entry) {
  std::size_t t = 0;
  for (std::size_t e = 0; e < entry.size() && t < typed.size(); ++e) {
    if (equalnocase(entry[e], typed[t])) {
      ++t;
    } else if (entry[e] <= 'Z') {
      return false;
    }
  }
  return t == typed.size();
}

// Entries of a keyword list framed by commas: mode 0 the option list, -1
// the statements ("(" behind IF and ELSEIF), 1 the built-ins ("(" behind
// each).
void KWORBUI(Run& r, std::string_view list, std::string_view word, std::int32_t mode) {
  const std::string typed = upper(word);
  const bool all = word == "*";
  const std::string pattern = "," + typed;
  const std::size_t end = list.find_last_not_of(' ');
  if (end == std::string_view::npos) return;
  list = list.substr(0, end + 1);
  std::size_t pos = 0;  // at a comma
  while (pos + 1 < list.size()) {
    std::size_t found = all ? pos : list.find(pattern, pos);
    bool counted = true;
    if (found == std::string_view::npos) {
      if (!r.optexpect) break;
      found = pos;
      counted = false;
    }
    const std::size_t close = list.find(',', found + 1);
    if (close == std::string_view::npos) break;
    const std::string_view entry = list.substr(found + 1, close - found - 1);
    pos = close;
    if (!counted && !abbreviates(word, entry)) continue;
    std::string candidate(entry);
    const std::size_t place = found + 2;  // the entry's first position, from 1
    if (mode == 1 || (mode == -1 && (place == 7 || place == 88))) candidate += '(';
    const bool empty = hint.is_blank();
    append(r, candidate, counted);
    if (empty && !hint.is_blank()) r.firstflag = true;
  }
}

// The section key of the nearest statement with options before token k.
void FINDBUO(Run& r, std::string_view line) {
  hint.blank();
  for (std::int32_t i = r.k - 1; i >= 1; --i) {
    if (optstatement(code(i))) {
      hint.set(upper(core::tokentext(line, i)) + "()");
      return;
    }
  }
}

// The entry of an option code in the option list, and its section.
void FINDOPTIONFROMTID(Run& r, std::uint16_t c, std::string_view line) {
  if (!core::isoptmarker(c)) return;
  helpword.set(listentry(shopbuf.view(), core::optmarkerentry(c) + 1));
  FINDBUO(r, line);
}

// The line of the hint's section that begins with `helpword`, with its
// continuation lines; false when there is none.
bool FINDLINEINCHAPTER(Run& r, bool wholeline = false) {
  const std::string_view word = helpword.trimmed();
  if (word.empty() || word[0] == '=' || word[0] == '!' || helpword.view()[0] == ' ') return false;
  const std::string_view key = hint.trimmed();
  const std::string section(key.substr(0, std::min<std::size_t>(key.find(' '), 16)));
  int last = 0;
  if (!helpsection(section, last)) return false;
  int entry = core::helpentry, position = core::helppos;
  plat::FixedText<256> text;
  const auto next = [&] {
    return core::GETMENULINE({text.data(), text.size()}, entry, position) == 0;
  };
  for (int i = 1; i < last; ++i) {
    if (!next()) return false;
    const std::int32_t c = firstnonblank(text.view());
    if (c >= 256 || text.view().substr(static_cast<std::size_t>(c - 1), word.size()) != word)
      continue;
    if (section == "shorties" || (r.changed & 1) == 0 || wholeline) hint.set(text.view());
    std::int32_t indent = 0;
    for (int j = i + 1; j < last && next(); ++j) {
      const std::int32_t d = firstnonblank(text.view());
      if (d <= c || d > 256 || (indent != 0 && d != indent)) break;
      indent = d;
      hint.set(std::string(hint.trimmed()) + " ... " + std::string(text.view()));
    }
    return true;
  }
  return false;
}

void MATCHINGNAMES(Run& r, std::string_view word) {
  r.counter = 0;
  if (r.shift && r.tab()) r.state = std::max(r.state - 2, 0);
  const std::string_view list = shopbuf.trimmed();
  const std::uint16_t c = code(r.k);
  if (r.stmtset) {
    if (r.tab()) {
      if (word == "(" || word == ",") {
        r.ws = cursorcol();
        KWORBUI(r, list, "*", 0);
      } else if (!r.optexpect && (static_cast<std::int16_t>(c) > 0 || c == 0x8000)) {
        SYMBNAM(r, word);
      } else if (!optstatement(c)) {
        KWORBUI(r, list, word, 0);
      }
    } else if (r.optseen && optcode(c)) {
      KWORBUI(r, list, word, 0);
    } else if (r.optexpect) {
      if (c == 0x8C00 || c == 0x9400) {
        r.ws += 1;
        hint.set(list.substr(std::min<std::size_t>(1, list.size())));
      } else {
        KWORBUI(r, list, word, 0);
      }
    }
    if (r.optexpect && !hint.is_blank()) {
      // One candidate left: its description in the section of the
      // statement being typed.
      const std::string h(hint.trimmed());
      hint.set(h.substr(h.find_first_not_of(' ')));
      const std::string candidate(hint.trimmed());
      if (candidate.find(' ') == std::string::npos && !r.tab()) {
        // The candidate's line of the statement's section, which begins
        // with the keyword, stands in its place.
        helpword.set(candidate);
        FINDBUO(r, r.line());
        if (FINDLINEINCHAPTER(r, true)) {
          const std::string found(hint.trimmed());
          hint.set(found.substr(std::min(found.find_first_not_of(' '), found.size())));
        } else {
          hint.set(candidate);
        }
      }
    }
  }
  if (!r.optexpect && hint.is_blank()) {
    SYMBNAM(r, word);
    KWORBUI(r, statementlist, word, -1);
    KWORBUI(r, builtinlist, word, 1);
  }
}

// Whether an option keyword stands, or is being typed, at the cursor: after
// the "(" or a "," of the built-in's own brackets.
void optionposition(Run& r) {
  std::int32_t s = 0;
  for (std::int32_t i = core::ntok; i >= 1 && s == 0; --i)
    if (core::isoptstmt(code(i))) s = i;
  r.optexpect = false;
  if (s == 0) return;
  std::int32_t depth = 0;
  bool expect = false;
  for (std::int32_t i = s + 1; i <= core::ntok; ++i) {
    const bool single = core::tokbeg(i) == core::tokend(i);
    const char ch = r.col(core::tokbeg(i));
    if (single && ch == '(') {
      expect = ++depth == 1;
    } else if (single && ch == ',') {
      expect = depth == 1;
    } else if (single && ch == ')') {
      --depth;
      expect = false;
    } else if (code(i) == 0x8000) {
      continue;
    } else if (i < core::ntok) {
      expect = false;
    }
  }
  r.optexpect = expect && depth >= 1;
  r.optseen = r.optexpect && core::isoptmarker(code(core::ntok));
}

// Step B: the line on trial.
void analyse(Run& r) {
  std::span<char> none;
  core::KOMPIL(none);
  const std::int32_t before = std::max(cursorcol() - 1, 0);
  trialanalysis(r.cols(1, before), r.line());
  r.stmtset = (core::lexflags & 0x20000) != 0;
  if (r.stmtset) shopbuf.set(core::curshop.view());
  // The end mark behind a "(" or "," typed last is no word of its own.
  if (core::ntok >= 2 && core::tokcod(core::ntok) == core::cwd::end &&
      core::tokbeg(core::ntok) > before)
    --core::ntok;
  optionposition(r);
}

// Step C: the word before the cursor. False: the run ends at once.
bool chooseword(Run& r) {
  const std::int32_t L = r.trimmed();
  r.k = core::ntok;
  if (core::ntok == 0) {
    const std::size_t blank = r.cols(1, L).find_last_of(' ');
    r.ws = blank == std::string_view::npos ? 1 : static_cast<std::int32_t>(blank) + 2;
    r.we = cursorcol() - 1;
    return true;
  }
  bool again = false;
  const auto evaluate = [&]() {
    r.ws = core::tokbeg(r.k);
    if (r.state >= 0) {
      if (r.scan == scanspace) {
        cursorcol() = assistlen + r.ws;
        rewrite(r);
        r.we = cursorcol() - 1;
      } else {
        r.we = cursorcol() - 1;
      }
    } else {
      if (r.scan == scanzero) return false;
      r.we = core::tokend(r.k);
    }
    return true;
  };
  if (!evaluate()) return false;
  if (r.we < r.ws && r.k > 1) {
    --r.k;
    if (!again) {
      again = true;
      if (!evaluate()) return false;
    }
  }
  const char ch = r.col(r.ws);
  if ((ch == ',' || ch == ')') && r.k < core::ntok) {
    ++r.k;
    if (!again) {
      again = true;
      if (!evaluate()) return false;
    }
  }
  return true;
}

// Step G: the hint tidied and shown.
void display() {
  std::string h(hint.trimmed());
  for (std::size_t at; (at = h.find("    ")) != std::string::npos;) h.erase(at, 1);
  for (char& c : h)
    if (static_cast<unsigned char>(c) < ' ') c = ' ';
  static constexpr std::array<std::pair<std::string_view, std::string_view>, 11> notes{{
      {"$ = ", "! lefthand linear array index"},
      {"$$ =", "! toolbar or popup menu index"},
      {"$C =", "! lefthand column index"},
      {"$R =", "! lefthand row index"},
      {"$1 =", "! outer inline loop index"},
      {"$2 =", "! inner inline loop index"},
      {"$CR ", "! carriage return"},
      {"$LF ", "! line feed"},
      {"$CRL", "! carriage return + line feed"},
      {"$TAB", "! tabulator"},
      {"$CMD", "! command line string"},
  }};
  const std::string padded = h + "    ";
  for (const auto& [start, note] : notes) {
    if (padded.compare(0, 4, start) == 0) {
      h += ' ';
      h += note;
      break;
    }
  }
  hint.set(h);
  if (tipopts[0] != 0) TOOLTIP(hint.view(), valuetip);
  if (tipopts[1] != 0) STATUSBAR({.message = hint.trimmed()});
}

std::string number(double v) {
  std::array<char, 23> text{};
  core::WTSID8TRIMMED(text, v, 0);
  return std::string(trim(std::string_view(text.data(), text.size())));
}

// Step F: what the word under the cursor is.
void context(Run& r) {
  if (const char ch = r.col(cursorcell()); (ch == '(' || ch == ')' || ch == ',') && r.stmtset) {
    hint.set(optionlist());
    display();
    return;
  }
  hint.set(r.line().substr(0, std::min<std::size_t>(256, r.line().size())));
  FEDHLP(std::span<const char>(hint.data(), hint.size()), cursorcol(), 0);
  hint.set(wordbuffer.view());
  r.k = wordlook.token;
  std::int32_t kind = wordlook.kind;
  if (r.k > 0 && core::tokcod(r.k) == 128 && r.stmtset) kind = 14;
  const std::string word(helpword.trimmed());
  for (;;) {
    switch (kind) {
      case 1:
        return;
      case 2:
      case 8: {
        const std::int32_t s = wordlook.symbol;
        if (s > r.symbols) {
          hint.blank();
          MATCHINGNAMES(r, word);
        } else if (s > 0 && core::name(s).type == 129) {
          return;
        } else if (wordlook.cell > 0) {
          hint.set(word + " = " + number(core::z(wordlook.cell)));
        }
        break;
      }
      case 3:
      case 4:
      case 5:
        helpword.set(upper(core::tokentext(r.line(), r.k)));
        hint.set("shorties");
        if (!FINDLINEINCHAPTER(r)) hint.set(helpword.trimmed());
        break;
      case 6:
        hint.set(word + " is a label");
        break;
      case 7:
        hint.set(word + " is a function or subroutine");
        break;
      case 10:
      case 11: {
        const std::int32_t s = wordlook.symbol;
        const std::int32_t t = s > 0 ? core::name(s).type & 0x21 : 0;
        if (t != 0 && t != 0x20) {
          hint.blank();
          break;
        }
        if (wordlook.alias > 0) {
          std::int32_t first = 0, last = 0;
          core::ISCHAR(wordlook.alias, first, last);
          if (first <= 0) {
            hint.set("not yet ALIASed");
          } else {
            const std::string_view text(core::c1namen.ptr(first),
                                        static_cast<std::size_t>(last - first + 1));
            hint.set(std::string(hint.trimmed()) + " [" + std::to_string(core::C1LEN_TRIM(text)) +
                     "/" + std::to_string(last - first + 1) + "]");
          }
        }
        std::string value;
        if (wordlook.textfirst > 0 && wordlook.textlength > 0 &&
            core::c1namen.valid(wordlook.textfirst + wordlook.textlength - 1))
          value.assign(core::c1namen.ptr(wordlook.textfirst),
                       static_cast<std::size_t>(wordlook.textlength));
        hint.set(std::string(hint.trimmed()) + " = '" + std::string(trim(value)) + "'");
        break;
      }
      case 12:
        if (wordlook.rows == 0)
          hint.set("not yet ALIASed");
        else
          hint.set(word + ": dim=" + number(wordlook.rows) + "x" + number(wordlook.cols));
        break;
      case 13: {
        hint.blank();
        MATCHINGNAMES(r, word);
        FINDOPTIONFROMTID(r, code(r.k), r.line());
        if (!FINDLINEINCHAPTER(r)) hint.set(helpword.trimmed());
        break;
      }
      case 14: {
        if (!r.stmtset) break;
        hint.blank();
        const std::int32_t to = std::min<std::int32_t>(cursorcol() - 1, core::tokend(r.k));
        helpword.set(r.cols(core::tokbeg(r.k), to));
        if (helpword.view()[0] < 'A') {
          if (r.k > 1) {
            --r.k;
            continue;
          }
          break;
        }
        MATCHINGNAMES(r, helpword.trimmed());
        const std::string_view h = hint.trimmed();
        if (h.find(' ') == std::string_view::npos) {
          if (!h.empty()) helpword.set(h);
          FINDBUO(r, r.line());
          if (!FINDLINEINCHAPTER(r)) hint.set(helpword.trimmed());
        }
        break;
      }
      default:
        break;
    }
    break;
  }
  display();
}

// Steps E, then the inline hint, the description look-up and the display.
void complete(Run& r) {
  for (;;) {
    hint.blank();
    r.p = 1;
    if (!chooseword(r)) return;
    const std::string word(r.cols(r.ws, r.we));
    // Whether a candidate stands in the line from the last Tab: Shift+Tab
    // lowers the state before the insertion, but that candidate must still
    // make room for the next one.
    const bool inserted = r.state > 0 && assistlen > 0;
    MATCHINGNAMES(r, word);
    if (hint.is_blank()) {
      r.state = 0;
      hint.set(optionlist());
    }
    const std::string_view h0 = hint.view();
    const std::size_t cut = std::min(h0.find_first_of(" ,"), h0.size());
    const auto n = static_cast<std::int32_t>(cut);
    firstcand.set(h0.substr(0, std::min<std::size_t>(cut, 60)));
    const bool single = static_cast<std::int32_t>(hint.trimmed().size()) == n;
    std::int32_t inlinecol = 0;
    const std::int32_t L = r.trimmed();
    if (r.tab()) {
      if (n == 0) {
        r.state = 0;
        assistlen = 0;
        if (hint.is_blank()) {
          core::keystate[1] = 0;
          r.scan = 0;
          continue;
        }
        inlinecol = L + 2;
      } else {
        const std::string candidate(h0.substr(0, cut));
        if (single) cursorcol() = (core::ntok >= 1 ? core::tokbeg(r.k) : r.ws) + n;
        if (r.inside && inserted) {
          r.inside = L > assistlen + r.ws;
          const std::string rest(r.cols(r.ws + assistlen, r.length));
          std::string moved = rest;
          moved.resize(static_cast<std::size_t>(r.length - r.ws + 1), ' ');
          std::copy(moved.begin(), moved.end(), &r.at(r.ws));
        }
        std::int32_t e = core::ntok >= 1 ? core::tokend(r.k) + r.ws - core::tokbeg(r.k) : r.ws;
        if (!inserted) ++e;
        if (inserted && e > r.ws) --e;
        std::string tail = candidate;
        if (r.inside) tail += r.cols(e, r.length);
        tail.resize(static_cast<std::size_t>(std::max(r.length - r.ws + 1, 0)), ' ');
        std::copy(tail.begin(), tail.end(), &r.at(r.ws));
        assistlen = n;
        ++r.state;
        rewrite(r);
        if (!single) {
          const std::size_t rest = hint.view().find_first_not_of(" ,", cut);
          const std::string remainder(rest == std::string_view::npos ? std::string_view()
                                                                     : hint.view().substr(rest));
          hint.set(remainder);
          if (hint.is_blank() && r.stmtset) hint.set(optionlist());
        }
        inlinecol = r.trimmed() + 2;
      }
    }
    if (!r.tab()) {
      r.state = 0;
      inlinecol = cursorcol() + 2;
    }
    if (inlinecol >= ncols - 4) inlinecol = cursorcell() + 1;
    if (r.inside) return display();
    const auto h = static_cast<std::int32_t>(hint.trimmed().size());
    if (h == 0) return context(r);
    if (single) {
      if (r.tab()) hint.blank();
    } else {
      hint.set(std::string(hint.trimmed()) + std::string(bracket));
    }
    if (inlinecol + h > ncols) return display();
    txtclass = 3;
    inlinehint.set(hint.trimmed());
    PANWRT(hint.trimmed(), inlinecol, panfield.screenrow);
    UPDATEWDW(2, wdwcur);
    hint.set(firstcand.view());
    txtclass = 5;
    if (!r.optexpect && !optcode(code(r.k))) {
      if (h > 0 && r.firstflag && !r.tab()) {
        const std::string_view f = hint.view();
        helpword.set(upper(f.substr(0, std::min(f.find_first_of(" ("), f.size()))));
        hint.set("shorties");
        if (FINDLINEINCHAPTER(r)) return display();
      }
      return context(r);
    }
    if (r.state == 0) {
      hint.set(std::string(trim(optionlist())) + std::string(keeptyping));
      return display();
    }
    return context(r);
  }
}

}  // namespace

void SMARTTYPE(std::span<char> text, std::int32_t& state, std::int32_t& changed) {
  if (text.size() < 2) return;
  Run r{.field = text,
        .length = static_cast<std::int32_t>(text.size()) - 1,
        .state = state,
        .changed = changed,
        .scan = core::keystate[1],
        .shift = (core::keystate[2] & 1) != 0};
  shopbuf.blank();
  valuetip = (changed & 1) == 0;
  if (tipopts[0] == 0 && tipopts[1] == 0) return;
  // The line being typed is the one the line input holds (the edit
  // buffer's line reader moves on with every row drawn).
  const std::int32_t line = edloadline;
  if (line >= core::nstmt) {
    hidetip();
    return;
  }
  if ((core::idestate & core::busy::windowread) != 0) return;
  if (cursorcol() == assistcol && line == assistline && !r.tab() && r.scan != scanspace) return;
  if (tipstate == 0 && cursorcol() <= firstnonblank(r.line())) return;
  assistcol = cursorcol();
  assistline = line;
  TrialCounters trial;
  r.symbols = trial.symbols();
  const std::string_view l = r.line();
  const std::size_t bang = l.find('!');
  const std::int32_t L = r.trimmed();
  const std::int32_t limit =
      bang == std::string_view::npos ? L + 2 : static_cast<std::int32_t>(bang) + 1;
  if (cursorcol() > limit) {
    state = -1;
    hidetip();
    return;
  }
  if (cursorcol() < 2) {
    hidetip();
    return;
  }
  r.inside = cursorcol() <= L;
  if (L > 0 && (state >= 0 || cursorcol() > L || (changed & 1) != 0)) {
    analyse(r);
    complete(r);
    return;
  }
  state = -1;
  if (cursorcol() <= firstnonblank(l)) {
    hidetip();
    return;
  }
  analyse(r);
  hint.blank();
  context(r);
}

void reset_smarttype() {
  assistcol = assistline = assistlen = 0;
  hint.blank();
  inlinehint.blank();
  firstcand.blank();
  shopbuf.blank();
}

}  // namespace ide
