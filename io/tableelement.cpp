#include "io/tableelement.h"

#include <algorithm>
#include <string>

#include "core/messages.h"
#include "core/runwords.h"
#include "io/cellconvert.h"
#include "io/coltable.h"
#include "io/rwfiles.h"

namespace io {

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
  std::fill(core::iostatw.begin(), core::iostatw.end(), std::int16_t{0});
  std::int32_t rows = 0, columns = 0;
  if (!tableshape(unit, rows, columns)) {
    core::iostatw[0] = 26;
    core::msgkey.set(core::MSGKEY("extMatrixNotOpen"));
    return;
  }
  if (column > columns || column < 0 || row < 1 || row > rows) {
    core::iostatw[0] = 25;
    return;
  }
  if (mode != 'R') {
    if (column == 0) {
      core::iostatw[0] = 38;
    } else {
      core::msgkey.set(core::MSGKEY("notYetBuilt"));
    }
    return;
  }
  std::string text;
  std::int32_t start = 0, length = 0;
  if (CHARCELLAZ(unit, row, column, text, start, length) != 0) return;
  const std::string_view cell =
      start >= 1 ? std::string_view(text).substr(static_cast<std::size_t>(start - 1),
                                                 static_cast<std::size_t>(length))
                 : std::string_view();
  REALORSTRINGFROMSTRINGFMTD(cell, column, value, columnformat(unit, column));
}

}  // namespace io
