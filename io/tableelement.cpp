#include "io/tableelement.h"

#include <algorithm>
#include <string>

#include "core/messages.h"
#include "core/runwords.h"
#include "io/cellconvert.h"
#include "io/coltable.h"
#include "io/rwfiles.h"
#include "io/tablecalls.h"

namespace io {

namespace {

// Script access to a cell: read (0x1) through the pending edits, rows as
// stored; write (0x2) as a script's change (0x20 | 0x40).
constexpr std::int32_t scriptread = 0x49;
constexpr std::int32_t scriptwrite = 0x6a;

void setstatus(std::int32_t s) {
  core::iostatw[0] = static_cast<std::int16_t>(std::clamp(s, -32768, 32767));
}

// The checks of unit and indices: the status, also in `iostatw`.
std::int32_t checked(std::int32_t unit, std::int32_t row, std::int32_t column) {
  std::fill(core::iostatw.begin(), core::iostatw.end(), std::int16_t{0});
  std::int32_t rows = 0, columns = 0;
  if (!tableshape(unit, rows, columns)) {
    setstatus(26);
    core::msgkey.set(core::MSGKEY("extMatrixNotOpen"));
    return 26;
  }
  if (column > columns || column < 0 || row < 1 || row > rows) {
    setstatus(25);
    return 25;
  }
  return 0;
}

// The text of cell (row, column) after the checks, its trailing blanks
// dropped: through the table editor (which sees the pending edits) when
// it is there, else from the file. The status.
std::int32_t celltext(std::int32_t unit, std::int32_t row, std::int32_t column, std::string& out) {
  out.clear();
  if (tablecalls.cellio != nullptr) {
    const std::int32_t n = std::clamp(rwfiles(unit).recl, 256, 1 << 20);
    std::string text(static_cast<std::size_t>(n), ' ');
    tablecalls.cellio(unit, row, column, text, scriptread);
    if (core::iostatw[0] != 0) return core::iostatw[0];
    const std::size_t e = text.find_last_not_of(' ');
    if (e != std::string::npos) out.assign(text, 0, e + 1);
    return 0;
  }
  std::string rowtext;
  std::int32_t start = 0, length = 0;
  if (const std::int32_t st = CHARCELLAZ(unit, row, column, rowtext, start, length); st != 0)
    return st;
  if (start >= 1)
    out.assign(std::string_view(rowtext).substr(static_cast<std::size_t>(start - 1),
                                                static_cast<std::size_t>(length)));
  return 0;
}

}  // namespace

bool tableshape(std::int32_t unit, std::int32_t& rows, std::int32_t& columns) {
  rows = columns = 0;
  if (!isscriptunit(unit) || rwfiles(unit).filevar < 1 || !rwfiles(unit).coltable) return false;
  const RwFile& r = rwfiles(unit);
  columns = static_cast<std::int32_t>(r.coltable->columns.size());
  if (r.lineindex) {
    rows = r.lineindex->entries - 1;
  } else if (r.recl > 0) {
    rows = static_cast<std::int32_t>(std::min<std::int64_t>(r.filelength / r.recl, 2147483647));
  }
  return true;
}

void READWRITEMATRIXELEMENT(char mode, std::int32_t unit, std::int32_t value, std::int32_t row,
                            std::int32_t column) {
  if (checked(unit, row, column) != 0) return;
  const std::string format = columnformat(unit, column);
  if (mode != 'R') {
    if (column == 0) {
      setstatus(38);  // a whole line cannot be written
      return;
    }
    if (tablecalls.cellio == nullptr) {
      core::msgkey.set(core::MSGKEY("notYetBuilt"));
      return;
    }
    const std::int32_t n = std::clamp(rwfiles(unit).recl, 1, 1 << 20);
    std::string text(static_cast<std::size_t>(n), ' ');
    std::int32_t used = 0;
    char status = ' ';
    REALORSTRINGTOSTRINGFMTD(text, used, value, 0.0, " ", format, status);
    tablecalls.cellio(unit, row, column, text, scriptwrite);
    return;
  }
  std::string text;
  if (celltext(unit, row, column, text) != 0) return;
  REALORSTRINGFROMSTRINGFMTD(text, column, value, format);
}

std::int32_t READTABLEELEMENT(std::int32_t unit, std::int32_t row, std::int32_t column,
                              std::string& text, double& number, bool& istext) {
  std::int32_t width = 0, kind = 0;
  GETELEMENTMAXCHLEN(unit, column, width, kind);
  istext = kind == 0;
  number = 0.0;
  if (const std::int32_t st = checked(unit, row, column); st != 0) return st;
  std::string cell;
  if (const std::int32_t st = celltext(unit, row, column, cell); st != 0) return st;
  if (!core::msgkey.is_blank()) return 0;
  const std::string format = columnformat(unit, column);
  if (istext) {
    text.assign(static_cast<std::size_t>(std::max(width, 1)), ' ');
    CELLTEXT(cell, column, format, text);
  } else {
    CELLNUMBER(cell, column, format, number);
  }
  return 0;
}

std::int32_t WRITETABLEELEMENT(std::int32_t unit, std::int32_t row, std::int32_t column,
                               bool istext, std::string_view text, double number) {
  if (const std::int32_t st = checked(unit, row, column); st != 0) return st;
  if (column == 0) {
    setstatus(38);  // a whole line cannot be written
    return 38;
  }
  if (tablecalls.cellio == nullptr) {
    core::msgkey.set(core::MSGKEY("notYetBuilt"));
    return 0;
  }
  const std::string format = columnformat(unit, column);
  const bool numberformat =
      !format.empty() && std::string_view("NUFfIiEe").find(format[0]) != std::string_view::npos;
  const std::int32_t n = std::clamp(rwfiles(unit).recl, 1, 1 << 20);
  std::string cell(static_cast<std::size_t>(std::max<std::size_t>(n, text.size())), ' ');
  std::int32_t used = 0;
  char status = ' ';
  REALORSTRINGTOSTRINGFMTD(cell, used, 0, number, text,
                           istext         ? std::string_view{}
                           : numberformat ? format
                                          : "N",
                           status);
  tablecalls.cellio(unit, row, column, cell, scriptwrite);
  return core::iostatw[0];
}

}  // namespace io
