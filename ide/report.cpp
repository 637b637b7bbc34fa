#include "ide/report.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstring>
#include <span>

#include "core/messages.h"
#include "core/numwrite.h"
#include "core/runwords.h"
#include "core/savereport.h"
#include "core/shoplists.h"
#include "core/stores.h"
#include "core/symbols.h"
#include "core/symbols_text.h"
#include "exec/optdispatch.h"
#include "platform/file_replace.h"
#include "plot/fontslots.h"
#include "ui/childwindow.h"

namespace ide {

namespace {

constexpr std::string_view headings[3] = {
    "  Nr Name         Value      Typ     Sub#       Line    DOline    DOvar#       Ptr",
    "                                      or:       Pmax   RTNline    status     Alarm     Parms",
    "                                      or:       Rows   Columns       Ptr"};

// Kinds of the columns from 43 on (type bits AND 0x56).
inline constexpr std::int32_t kindmask = 0x56;
inline constexpr std::int32_t label = 0x2;
inline constexpr std::int32_t subroutine = 0x4;
inline constexpr std::int32_t array = 0x10;
inline constexpr std::int32_t character = 0x40;
inline constexpr std::int32_t dummy = 0x20;

// The temporary cells of the window's statement.
inline constexpr std::int16_t tempnumber = 0x88;
inline constexpr std::int16_t templiteral = 0x49;

void put(std::string& line, std::size_t column, std::string_view text, std::size_t width) {
  const std::size_t n = std::min(text.size(), width);
  if (line.size() < column - 1 + width) line.resize(column - 1 + width, ' ');
  line.replace(column - 1, n, text.substr(0, n));
}

std::string integer(long long v, int width) {
  char b[32];
  std::snprintf(b, sizeof b, "%*lld", width, v);
  std::string s(b);
  if (static_cast<int>(s.size()) > width) s.assign(static_cast<std::size_t>(width), '*');
  return s;
}

std::string symbolline(std::int32_t k) {
  std::string line = integer(k, 4);
  const core::SymbolRecord& r = core::name(k);
  const std::int32_t type = r.type;
  std::array<char, 12> nm{};
  core::GETNAME(k, nm);
  put(line, 6, std::string_view(nm.data(), nm.size()), 12);
  std::array<char, 10> value{};
  value.fill(' ');
  const double cell = core::z.valid(k) ? core::z(k) : 0.0;
  if ((type & character) != 0) {
    std::array<char, 256> text{};
    std::int32_t kind = 0;
    core::C1NAMENTOSTRI(k, text, kind);
    std::memcpy(value.data(), text.data(), value.size());
    // A line end or tab inside the text would break the report's records.
    for (char& c : value)
      if (static_cast<unsigned char>(c) < 0x20) c = '.';
  } else {
    core::WTSID8(value, cell, 0);
  }
  put(line, 19, std::string_view(value.data(), value.size()), 10);
  put(line, 30, reporttype(type), 3);
  put(line, 34, (type & dummy) != 0 ? "dum" : "   ", 3);
  put(line, 37, integer(r.scope, 5), 5);
  std::array<unsigned char, 8> b{};
  std::memcpy(b.data(), &cell, b.size());
  std::int16_t w[4];
  std::int32_t d[2];
  std::memcpy(w, b.data(), sizeof w);
  std::memcpy(d, b.data(), sizeof d);
  std::string rest;
  switch (type & kindmask) {
    case label:
      rest = integer(w[0], 10) + integer(w[1], 10) + integer(w[2], 10) + integer(r.adr, 10);
      break;
    case subroutine:
      rest = integer(w[0], 10) + integer(w[1], 10) + integer(b[4], 10) + integer(b[5], 10) +
             integer(w[3], 10);
      break;
    case array:
      rest = integer(d[0], 10) + integer(d[1], 10) + integer(r.adr, 10);
      break;
    case character:
      rest = integer(d[0], 20) + integer(d[1], 20);
      break;
    default:
      break;
  }
  if (!rest.empty()) put(line, 43, rest, rest.size());
  line.erase(line.find_last_not_of(' ') + 1);
  return line;
}

// Room for `cells` value cells and symbol records after the last symbol
// and `chars` characters at the free end of the character store.
bool room(std::int32_t cells, std::int32_t chars) {
  std::int32_t extra = cells + 1;
  if (core::nsym + cells >= core::nztop && !core::REALLOC(3, extra)) return false;
  extra = cells + 1;
  if (core::nsym + cells > core::nname && !core::REALLOC(4, extra)) return false;
  extra = chars + 1;
  if (core::c1tmptop + chars >= core::c1limit && !core::REALLOC(5, extra)) return false;
  return core::nsym + cells < core::nztop && core::nsym + cells <= core::nname &&
         core::c1tmptop + chars < core::c1limit;
}

// The WINDOW statement that shows the report: a handle cell, a width of
// the longest heading (all of every column is seen, not "Sub#" with "or:"
// below it), Height 0.8 and the file as title, in the text windows' font
// slot, which SETFONT sets first (no FONt option: without a face it would
// ask the user for one).
void showwindow() {
  constexpr std::string_view titled = "MEMandNAMES.txt,";
  if (!room(4, static_cast<std::int32_t>(titled.size()))) return;
  using core::OptStmt;
  for (std::int32_t i = 0; i < exec::noptslots; ++i) exec::optval(i) = 0;
  const std::int32_t first = core::nsym + 1;
  std::size_t widest = 0;
  for (std::string_view h : headings) widest = std::max(widest, h.size());
  const double values[3] = {0.0, static_cast<double>(widest + 1), 0.8};
  for (std::int32_t i = 0; i < 4; ++i) {
    core::name(first + i) = {};
    core::name(first + i).type = i < 3 ? tempnumber : templiteral;
    core::name(first + i).adr = first + i;
    core::z(first + i) = i < 3 ? values[i] : 0.0;
  }
  const std::int32_t at = core::c1tmptop + 1;
  for (std::size_t i = 0; i < titled.size(); ++i)
    core::c1namen(at + static_cast<std::int32_t>(i)) = titled[i];
  core::SETI4EQUZ(1, first + 3, at);
  core::SETI4EQUZ(2, first + 3, at + static_cast<std::int32_t>(reportname.size()) - 1);
  exec::optval(core::optkwnr(OptStmt::WINDOW, "WINdowhandle")) = first;
  exec::optval(core::optkwnr(OptStmt::WINDOW, "Width")) = first + 1;
  exec::optval(core::optkwnr(OptStmt::WINDOW, "Height")) = first + 2;
  exec::optval(core::optkwnr(OptStmt::WINDOW, "TItle")) = first + 3;
  // The statement runs outside a run: it starts from a clear stop word,
  // and a failure shows its message; the run's words come back afterwards.
  const std::int32_t keptresult = core::iresult, keptstop = core::xeqstop;
  core::iresult = first + 4;
  core::xeqstop = 0;
  plot::SETFONT(4, "Courier new", 8, 0.0F, 0, 0, 0);
  if (core::xeqstop == 0) ui::CHILDWINDOW({});
  if (core::xeqstop > 0 && !core::msgkey.trimmed().empty()) {
    int answer = 0;
    core::MSGBOXFROMHELP(core::msgkey.trimmed(), reportname, answer);
  }
  core::msgkey.blank();
  core::iresult = keptresult;
  core::xeqstop = keptstop;
  for (std::int32_t i = 0; i < exec::noptslots; ++i) exec::optval(i) = 0;
}

}  // namespace

std::string_view reporttype(std::int32_t nametype) {
  switch (nametype & ~dummy) {
    case 0x2:
      return "LBL";
    case 0x4:
      return "SUB";
    case 0x5:
      return "FNC";
    case 0x10:
      return "ARR";
    case 0x40:
      return "CH ";
    case 0x41:
      return "ch ";
    case 0x80:
      return "N  ";
    case 0x81:
      return "n  ";
    case 0x100:
    case 0x140:
    case 0x141:
      return "FIL";
    case 0x810:
      return "ALn";
    case 0x840:
      return "ALc";
    default:
      return "???";
  }
}

std::string reporttext() {
  std::string out;
  for (std::string_view h : headings) out.append(h).append("\r\n");
  for (std::int32_t k = 1; k <= core::nsym && core::name.valid(k); ++k)
    out.append(symbolline(k)).append("\r\n");
  return out;
}

void REPORT() {
  const plat::ReplaceResult saved = plat::replace_file(reportname, reporttext(), {.sync = false});
  if (!saved.ok()) {
    core::reportsave(saved, reportname);
    return;
  }
  showwindow();
}

}  // namespace ide
