#include "io/tableelement.h"

#include <algorithm>
#include <string>

#include "core/messages.h"
#include "core/runwords.h"
#include "io/cellconvert.h"
#include "io/coltable.h"
#include "io/rwfiles.h"

namespace io {

namespace {

// The text of element (row, column) within rowtext, after the checks of
// unit and indices: the status, also in `iostatw`.
std::int32_t elementcell(std::int32_t unit, std::int32_t row, std::int32_t column,
                         std::string& rowtext, std::string_view& cell) {
  std::fill(core::iostatw.begin(), core::iostatw.end(), std::int16_t{0});
  cell = {};
  std::int32_t rows = 0, columns = 0;
  if (!tableshape(unit, rows, columns)) {
    core::iostatw[0] = 26;
    core::msgkey.set(core::MSGKEY("extMatrixNotOpen"));
    return 26;
  }
  if (column > columns || column < 0 || row < 1 || row > rows) {
    core::iostatw[0] = 25;
    return 25;
  }
  std::int32_t start = 0, length = 0;
  if (const std::int32_t st = CHARCELLAZ(unit, row, column, rowtext, start, length); st != 0)
    return st;
  if (start >= 1)
    cell = std::string_view(rowtext).substr(static_cast<std::size_t>(start - 1),
                                            static_cast<std::size_t>(length));
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
  if (mode != 'R') {
    std::int32_t rows = 0, columns = 0;
    std::fill(core::iostatw.begin(), core::iostatw.end(), std::int16_t{0});
    if (!tableshape(unit, rows, columns)) {
      core::iostatw[0] = 26;
      core::msgkey.set(core::MSGKEY("extMatrixNotOpen"));
    } else if (column > columns || column < 0 || row < 1 || row > rows) {
      core::iostatw[0] = 25;
    } else if (column == 0) {
      core::iostatw[0] = 38;
    } else {
      core::msgkey.set(core::MSGKEY("notYetBuilt"));
    }
    return;
  }
  std::string text;
  std::string_view cell;
  if (elementcell(unit, row, column, text, cell) != 0) return;
  REALORSTRINGFROMSTRINGFMTD(cell, column, value, columnformat(unit, column));
}

std::int32_t READTABLEELEMENT(std::int32_t unit, std::int32_t row, std::int32_t column,
                              std::string& text, double& number, bool& istext) {
  std::int32_t width = 0, kind = 0;
  GETELEMENTMAXCHLEN(unit, column, width, kind);
  istext = kind == 0;
  number = 0.0;
  std::string rowtext;
  std::string_view cell;
  if (const std::int32_t st = elementcell(unit, row, column, rowtext, cell); st != 0) return st;
  const std::string format = columnformat(unit, column);
  if (istext) {
    text.assign(static_cast<std::size_t>(std::max(width, 1)), ' ');
    CELLTEXT(cell, column, format, text);
  } else {
    CELLNUMBER(cell, column, format, number);
  }
  return 0;
}

}  // namespace io
