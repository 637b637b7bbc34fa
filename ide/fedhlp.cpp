#include "ide/fedhlp.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <string>

#include "core/chars.h"
#include "core/codewords.h"
#include "core/helpdata.h"
#include "core/lexicon.h"
#include "core/rawmem.h"
#include "core/runwords.h"
#include "core/shoplists.h"
#include "core/stores.h"
#include "core/structlayout.h"
#include "core/symbols.h"
#include "core/symbols_index.h"
#include "core/tokenizer.h"
#include "core/varnamevalue.h"
#include "exec/operands.h"
#include "ide/bookmarks.h"
#include "ide/windowlist.h"

namespace ide {

namespace {

std::uint16_t code(std::int32_t k) { return static_cast<std::uint16_t>(core::tokcod(k)); }
bool issymbol(std::int32_t k) { return core::tokcod(k) >= 1 && core::tokcod(k) <= core::nsym; }
std::int32_t typeof_(std::int32_t s) { return core::name(s).type; }
bool optstatement(std::uint16_t c) { return core::isoptstmt(c); }
bool optmarker(std::uint16_t c) { return core::isoptmarker(c); }

// A number literal's or a numeric scalar's value of token i.
bool indexvalue(std::string_view line, std::span<double> values, std::int32_t i, double& v) {
  if (i < 1 || i >= core::ntok) return false;
  if (issymbol(i)) {
    if ((typeof_(core::tokcod(i)) & 0x80) == 0) return false;
    v = core::z(core::tokcod(i));
    return true;
  }
  const std::string_view t = core::tokentext(line, i);
  if (t.empty() || ((t[0] < '0' || t[0] > '9') && t[0] != '.')) return false;
  if (static_cast<std::size_t>(i - 1) >= values.size()) return false;
  v = values[static_cast<std::size_t>(i - 1)];
  return true;
}

// An array name at token k followed by one or two indices within its
// dimensions: the element's cell (rows stored one after another, both
// indices from 1), 0 otherwise.
std::int32_t elementcell(std::string_view line, std::span<double> values, std::int32_t k,
                         std::int32_t rows, std::int32_t cols) {
  const auto text = [&](std::int32_t i) { return core::tokentext(line, i); };
  if (text(k + 1) != "(") return 0;
  double a = 0.0, b = 1.0;
  if (!indexvalue(line, values, k + 2, a)) return 0;
  if (text(k + 3) == ",") {
    if (!indexvalue(line, values, k + 4, b) || text(k + 5) != ")") return 0;
    const std::int32_t i = static_cast<std::int32_t>(std::lround(a));
    const std::int32_t j = static_cast<std::int32_t>(std::lround(b));
    if (i < 1 || i > rows || j < 1 || j > cols) return 0;
    return core::IDXINZ(core::tokcod(k), (i - 1) * cols + j - 1);
  }
  if (text(k + 3) != ")") return 0;
  const std::int32_t i = static_cast<std::int32_t>(std::lround(a));
  if (i < 1 || static_cast<long long>(i) > static_cast<long long>(rows) * cols) return 0;
  return core::IDXINZ(core::tokcod(k), i - 1);
}

std::span<double> literalvalues() {
  const std::int32_t first = core::nsym + 5;
  const std::int32_t n = std::clamp<std::int32_t>(core::nztop - first, 0, core::maxtokens);
  if (n == 0 || !core::z.valid(first)) return {};
  return {core::z.ptr(first), static_cast<std::size_t>(n)};
}

// The symbols there were before the word was analysed on trial: a name
// the trial made is no part of the compiled program.
std::int32_t programsymbols = 0;

struct Found {
  std::int32_t kind = 1;
  std::string topic = "Editor";
  std::array<std::int32_t, 5> numbers{};
};

// Classifies token k (step 3.4); false when it is no word of its own.
bool classify(std::string_view line, std::int32_t k, Found& f) {
  const std::uint16_t c = code(k);
  const std::string word = upper(core::tokentext(line, k));
  if (issymbol(k)) {
    const std::int32_t s = core::tokcod(k);
    const std::int32_t t = typeof_(s);
    wordlook.symbol = s;
    if ((t & 0x800) != 0) wordlook.alias = s;
    if ((t & 0x80) != 0) {
      f.kind = 2;
      f.topic = "numeric";
      wordlook.cell = s;
      if ((t & 0x20) != 0) core::ADR1FROMSYMBOL(wordlook.cell, s);
      return true;
    }
    if ((t & 0x2) != 0 || (t & 0x4) != 0) {
      const bool label = (t & 0x2) != 0;
      f.kind = label ? 6 : 7;
      f.topic = label ? "showLabel" : "showSubName";
      std::array<std::int16_t, 4> h{};
      std::memcpy(h.data(), &core::z(s), sizeof h);
      if (label) {
        f.numbers = {h[0], h[1], h[2], 0, 0};
      } else {
        std::array<std::int8_t, 8> b{};
        std::memcpy(b.data(), &core::z(s), sizeof b);
        f.numbers = {h[0], h[1], b[4], b[5], h[3]};
      }
      wordlook.cell = s;
      return true;
    }
    if ((t & 0x10) != 0) {
      std::int32_t rows = 0, cols = 0;
      core::TRANSFERR8TO2I4(core::z(s), rows, cols);
      wordlook.rows = rows;
      wordlook.cols = cols;
      if (const std::int32_t cell = elementcell(line, literalvalues(), k, rows, cols); cell > 0) {
        f.kind = 8;
        f.topic = "numeric";
        wordlook.cell = cell;
      } else if ((t & 0x1) != 0) {
        f.kind = 9;
        f.topic = "array_externfile";
      } else if (s <= programsymbols && exec::nosucharray(s)) {
        // A name written with "(" that nothing declares: no array at all.
        f.kind = 12;
        f.topic = "noSuchName";
      } else {
        f.kind = 12;
        f.topic = "array_dimensions";
        f.numbers = {rows, cols, 0, 0, 0};
      }
      return true;
    }
    std::int32_t first = 0, last = 0;
    if (s <= core::nz && ((t & 0x61) == 0x61 || core::ISCHAR(s, first, last) == 0x40)) {
      core::ISCHAR(s, first, last);
      wordlook.textfirst = first;
      wordlook.textlength = first > 0 ? last - first + 1 : 0;
      f.kind = wordlook.textlength > 255 ? 10 : 11;
      f.topic = f.kind == 10 ? "txt_FedHlp>255" : "txt_FedHlp";
      return true;
    }
    return false;
  }
  if (c >= 0xE000) {
    f.kind = 3;
    f.topic = word;
    return true;
  }
  if (c >= 0xC000 && c <= 0xDFFF) {
    f.kind = 4;
    f.topic = word + "()";
    return true;
  }
  if (optstatement(c)) {
    f.kind = 5;
    f.topic = word + "()";
    return true;
  }
  return false;
}

// Token k as the user wrote it; an element with its indices.
std::string writtenname(std::string_view line, std::int32_t k, std::int32_t kind) {
  std::string name(core::tokentext(line, k));
  if (kind != 8) return name;
  for (std::int32_t i = k + 1; i <= core::ntok && core::tokcod(i) != core::cwd::end; ++i) {
    const std::string_view t = core::tokentext(line, i);
    name += t;
    if (t == ")") break;
  }
  return name;
}

// The help window with the word's topic and values (the full form).
void show(const Found& f, std::string_view line, std::int32_t& answer) {
  answer = 0;
  std::string topic = f.topic;
  if (wordlook.symbol > 0) {
    const std::int32_t t = typeof_(wordlook.symbol);
    if ((t & 0x8) != 0 || (t & 0x81) == 0x81 || (t & 0x41) == 0x41) topic += 'H';
  }
  // A record variable is shown as its fields' names and values.
  std::int32_t fields = 0;
  if (wordlook.symbol > 0 && core::STRUCTELEMENT(wordlook.symbol, 0, fields) == -999 &&
      fields > 0) {
    std::string text(1000, ' ');
    std::int32_t length = 0;
    const std::int32_t limit = 1000;
    core::NAMEEQUALSVALUE(wordlook.symbol, text, limit, length);
    core::MESSAGEBOX("", "-|" + text.substr(0, static_cast<std::size_t>(length)), answer);
    answer = 0;
    return;
  }
  std::array<std::int32_t, 5> numbers = f.numbers;
  std::array<double, 1> value{
      wordlook.cell > 0 && core::z.valid(wordlook.cell) ? core::z(wordlook.cell) : 0.0};
  core::HelpValues v;
  v.doubles = value;
  v.text = std::span<char>(wordbuffer.data(), wordbuffer.size());
  // A name is told as the user wrote it (the word buffer holds it with its
  // scope for the break on a change); a text's value stays the buffer's.
  std::string name;
  if (wordlook.symbol > 0 && f.kind != 10 && f.kind != 11 && wordlook.token > 0) {
    name = writtenname(line, wordlook.token, f.kind);
    v.text = std::span<char>(name.data(), name.size());
  }
  if (f.kind == 10) {
    helpwindow(topic, answer, v);
    return;
  }
  // A label's and a subroutine's numbers are 16-bit ones, an array's
  // rows and columns 32-bit.
  std::array<std::int16_t, 5> halves{};
  std::copy(numbers.begin(), numbers.end(), halves.begin());
  if (f.kind == 6 || f.kind == 7)
    v.halves = halves;
  else
    v.words = numbers;
  std::string detail;
  if (f.kind == 2 || f.kind == 14)
    detail = std::to_string(std::llround(value[0]));
  else
    detail = std::string(line.substr(0, static_cast<std::size_t>(core::C1LEN_TRIM(line))));
  v.characters = std::span<char>(detail.data(), detail.size());
  v.count = static_cast<int>(detail.size());
  helpwindow(topic, answer, v);
}

}  // namespace

std::string upper(std::string_view s) {
  std::string u(s);
  core::UPCASE(u);
  return u;
}

std::string_view listentry(std::string_view list, std::int32_t n) {
  std::size_t at = 0;
  for (std::int32_t i = 1; i < n && at != std::string_view::npos; ++i) at = list.find(',', at + 1);
  if (at == std::string_view::npos || at >= list.size() || list[at] != ',') return {};
  const std::size_t end = list.find(',', at + 1);
  if (end == std::string_view::npos) return {};
  return list.substr(at + 1, end - at - 1);
}

bool helpsection(std::string_view key, int& lastline) {
  key = key.substr(0, std::min<std::size_t>(key.find(' '), 16));
  if (key.empty()) return false;
  const int savedunit = core::menuunit;
  core::menuunit = core::helpunit;
  core::helpkey.set(key);
  int found = 0, bodylen = 0, width = 0;
  plat::FixedText<256> head;
  core::GETMENUDATA(core::helpunit, found, lastline, bodylen, width,
                    std::span<char>(head.data(), head.size()));
  core::menuunit = savedunit;
  return found != 0;
}

TrialCounters::TrialCounters()
    : ntrans_(core::ntrans),
      nsym_(core::nsym),
      c1top_(core::c1top),
      c1limit_(core::c1limit),
      nztop_(core::nztop),
      xeqmode_(core::xeqmode & ~core::runmode::analysis) {
  core::xeqmode |= core::runmode::analysis;
}

TrialCounters::~TrialCounters() {
  const bool dropped = core::nsym != nsym_;
  core::ntrans = ntrans_;
  core::nsym = nsym_;
  core::c1top = c1top_;
  core::c1limit = c1limit_;
  core::nztop = nztop_;
  core::xeqmode = xeqmode_;
  core::xeqstop = 0;
  if (dropped) core::symbolsdropped();
}

void trialanalysis(std::string_view text, std::string_view whole) {
  std::int32_t mode = -1;
  core::TOKEN(text, literalvalues(), mode);
  if (core::xeqstop > 0 && core::stopword() == core::stops::error) return;
  // A "(" or "," in the text's last position stands where the end mark
  // is: it is taken as what it is, and the end mark follows it.
  const std::int32_t n = core::ntok;
  if (n >= 1 && n < core::maxtokens && core::tokcod(n) == core::cwd::end &&
      core::tokbeg(n) <= static_cast<std::int32_t>(text.size())) {
    const char c = text[static_cast<std::size_t>(core::tokbeg(n) - 1)];
    if (c == '(' || c == ',') {
      core::tokcod(n) = c == '(' ? core::cwd::lparen : core::cwd::comma;
      core::ntok = n + 1;
      core::tokcod(n + 1) = core::cwd::end;
      core::tokbeg(n + 1) = core::tokend(n + 1) = static_cast<std::int16_t>(core::tokbeg(n) + 1);
    }
  }
  core::LEXIK(whole, literalvalues(), -1);
}

void FEDHLP(std::span<const char> line, std::int32_t column, std::int32_t mode) {
  const bool full = (mode & 1) != 0;
  wdwrec* const window = wdwcur;
  const std::string_view text(line.data(), line.size());
  wordlook = WordLook{};
  wordbuffer.blank();
  Found f;
  std::int32_t answer = 0;
  std::int32_t breaktoken = 0;
  {
    TrialCounters trial;
    programsymbols = trial.symbols();
    // A blank behind the line lets the tokenizer take its last character.
    std::string padded(text.substr(0, static_cast<std::size_t>(core::C1LEN_TRIM(text))));
    padded += ' ';
    trialanalysis(padded, padded);
    // The cursor's token, and the statement with options before it.
    std::int32_t k = 0, statement = 0;
    for (std::int32_t i = 1; i <= core::ntok && core::tokcod(i) != core::cwd::end; ++i) {
      if (core::tokbeg(i) > column) break;
      k = i;
      if (optstatement(code(i))) statement = i;
    }
    if (!full) statement = 0;
    for (; k >= 1; --k) {
      std::string word(core::tokentext(padded, k));
      if (full && issymbol(k)) {
        const std::int32_t sub = core::name(core::tokcod(k)).scope;
        std::string owner = "global:";
        if (sub > 0) {
          const core::SymbolRecord& r = core::name(sub);
          owner =
              std::string(core::c1namen.ptr(r.nambeg), static_cast<std::size_t>(r.namlen)) + ".";
        }
        word = owner + word;
      }
      wordbuffer.set(word);
      if (statement > 0 && k > statement && optmarker(code(k))) {
        f.kind = 15;
        const std::uint16_t sc = code(statement);
        if (core::cwcode(sc) == core::cwu(core::builtincode("DLG"))) {
          f.topic =
              "DLG." + std::string(listentry(core::dlgshop, core::optmarkerentry(code(k)) + 1));
        } else {
          // The keyword's own topic when there is one, else the statement's.
          const std::string own = std::string(core::tokentext(padded, k));
          int lines = 0;
          f.topic =
              helpsection(own, lines) ? own : upper(core::tokentext(padded, statement)) + "()";
        }
        break;
      }
      if (full) wordbuffer.set(upper(wordbuffer.trimmed()));
      if (classify(padded, k, f)) break;
      if (!full) {
        const std::string_view t = core::tokentext(padded, k);
        if (optmarker(code(k))) {
          f.kind = 13;
          f.topic = " ";
          break;
        }
        if (!(t == "(" || t == "," || t == ")" || t.empty() || t == " ")) {
          f.kind = 14;
          f.topic = " ";
          break;
        }
      }
      wordlook.symbol = wordlook.alias = wordlook.cell = 0;
    }
    if (k < 1) {
      f = Found{};
      wordbuffer.blank();
    }
    wordlook.token = std::max(k, 0);
    wordlook.kind = f.kind;
    breaktoken = k;
    if (full && (f.kind == 10 || f.kind == 11)) {
      const std::int32_t n = std::min(wordlook.textlength, 256);
      if (n > 0 && core::c1namen.valid(wordlook.textfirst + n - 1))
        wordbuffer.set(
            std::string_view(core::c1namen.ptr(wordlook.textfirst), static_cast<std::size_t>(n)));
    }
    helpword.set(core::tokentext(padded, breaktoken));
    if (full) show(f, text, answer);
  }
  core::iostatw[0] = static_cast<std::int16_t>(wordlook.token);
  core::iostatw[1] = static_cast<std::int16_t>(wordlook.kind);
  if (full && f.kind == 11 && answer > 0 && wordlook.textlength > 0) {
    // The edited text goes back into the variable, its length unchanged.
    const auto n = static_cast<std::size_t>(std::min(wordlook.textlength, 256));
    std::copy_n(wordbuffer.data(), n, core::c1namen.ptr(wordlook.textfirst));
  }
  if (full && answer == 101 && (f.kind == 2 || f.kind == 10 || f.kind == 12)) {
    breakname.set(helpword.view().substr(0, 32));
    SETBREAKVARIABLE(101);
  }
  core::xeqstop = 0;
  wdwcur = window;
  helpword.set(wordbuffer.view().substr(0, 80));
  core::xeqmode &= ~(core::runmode::storesready | core::runmode::analysis);
}

}  // namespace ide
