#include "exec/tablecells.h"

#include <algorithm>

#include "core/messages.h"
#include "core/rawmem.h"
#include "core/runwords.h"
#include "core/stores.h"
#include "exec/operands.h"
#include "exec/postfix.h"
#include "exec/postfix_eval.h"
#include "exec/strings.h"
#include "exec/tempstrings.h"
#include "exec/wordpath.h"
#include "exec/xeq2.h"
#include "exec/xeqtemps.h"
#include "platform/file_units.h"

namespace exec {

namespace {

std::int32_t clamped(std::int64_t v) {
  return static_cast<std::int32_t>(std::clamp<std::int64_t>(v, -0x7FFFFFFF, 0x7FFFFFFF));
}

// The element, or the executor's error code with its detail word: 3003 a
// unit that no script opened, 3041 a unit not open, 3013 a column below
// 0, 3035 a row or column outside the table, 3032 a failed read;
// `xeqkeyed` with the key of a cell that does not read.
std::int32_t readelement(std::int32_t unit, std::int64_t row, std::int64_t column,
                         std::string& text, double& number, bool& istext) {
  if (unit < plat::unit_script_first || unit > plat::unit_script_last) return 3003;
  if (!plat::unit_is_open(unit)) return 3041;
  if (column < 0) {
    detailwords[1] = static_cast<std::int16_t>(std::max<std::int64_t>(column, -32768));
    return 3013;
  }
  const std::int32_t st =
      readtableelement(unit, clamped(row), clamped(column), text, number, istext);
  if (st == 25) {
    detailwords[0] = static_cast<std::int16_t>(std::clamp<std::int64_t>(row, -32768, 32767));
    return 3035;
  }
  if (st == 26) return xeqkeyed;  // "extMatrixNotOpen"
  if (st != 0) {
    core::msgkey.blank();
    return 3032;
  }
  return core::msgkey.is_blank() ? 0 : xeqkeyed;
}

}  // namespace

WordResult tableelementword(std::int32_t sym, std::int64_t row, std::int64_t column,
                            std::int32_t consumed) {
  if (readtableelement == nullptr) return wordpath::fail(xeqkeys::notyetbuilt, sym);
  // A variable that no OPEN made a file variable names no table.
  if ((wordpath::typeof_(sym) & 0x100) == 0) return wordpath::fail(core::MSGKEY("xeq3003"), sym);
  std::string text;
  double number = 0.0;
  bool istext = false;
  switch (readelement(core::name(sym).adr, row, column, text, number, istext)) {
    case 0:
      break;
    case 3003:
      return wordpath::fail(core::MSGKEY("xeq3003"), sym);
    case 3041:
      return wordpath::fail(core::MSGKEY("xeq3041"), sym);
    case 3013:
      return wordpath::fail(core::MSGKEY("xeq3013"), sym);
    case 3035:
      return wordpath::fail(core::MSGKEY("xeq3035"), sym);
    case 3032:
      return wordpath::fail(core::MSGKEY("xeq3032"), sym);
    default:
      return wordpath::fail(core::msgkey.trimmed(), sym);
  }
  const std::int32_t c = core::iresult;
  if (istext) {
    const std::int32_t first = core::c1tmptop + 1;
    const auto last = first + static_cast<std::int32_t>(text.size()) - 1;
    if (!charroom(last)) return wordpath::fail(core::storelimitkey);
    std::copy(text.begin(), text.end(), core::c1namen.ptr(first));
    core::c1tmptop = last;
    core::name(c).type = strtemptype;
    core::SETI4EQUZ(1, c, first);
    core::SETI4EQUZ(2, c, last);
  } else {
    core::z(c) = number;
  }
  takeresult(consumed);
  return core::xeqstop != 0 ? WordResult::looptest : WordResult::next;
}

namespace evaldetail {

std::int32_t tableoperand(Eval& e, std::int32_t p, std::int32_t descr) {
  std::int32_t ec = 0, er = 0;
  if (!popbound(e, ec) || !popbound(e, er)) return 3000;
  const bool target = istarget(e, p);
  const bool exchange = xeqexpr.swappos != 0;
  if (readtableelement == nullptr || ((target || exchange) && writetableelement == nullptr)) {
    core::msgkey.set(xeqkeys::notyetbuilt);
    return xeqkeyed;
  }
  // The file variable: the descriptor's symbol (its text descriptor outside
  // option statements), which stands below the indices.
  const std::int32_t sym = descr >= 1 && descr <= maxtemps ? tmpsym[descr] : 0;
  std::int32_t unit = descr >= 1 && descr <= maxtemps ? tmporig[descr] : 0;
  if ((wordpath::typeof_(sym) & 0x100) != 0) unit = core::name(sym).adr;
  const bool onbase = sym != 0 && e.sp >= 1 && top(e) == sym;
  if (target || exchange) {
    // The element is written when the assignment or the exchange comes
    // (an exchange reads it then): a scratch cell stands for it on the
    // stack.
    const std::int32_t cell = newcell(0.0);
    if (cell == 0) return 2002;
    (target ? e.tablecell : e.swapcell) = cell;
    (target ? e.tableunit : e.swapunit) = unit;
    (target ? e.tablerow : e.swaprow) = clamped(intvalue(er));
    (target ? e.tablecolumn : e.swapcolumn) = clamped(intvalue(ec));
    if (!onbase) return push(e, cell) ? 0 : 2002;
    top(e) = cell;
    e.isbase[static_cast<std::size_t>(e.sp)] = 0;
    return 0;
  }
  std::string text;
  double number = 0.0;
  bool istext = false;
  const std::int32_t st = readelement(unit, intvalue(er), intvalue(ec), text, number, istext);
  if (st != 0) {
    if (st == xeqkeyed || xeqexpr.iseg == 0) return st;
    e.missing = true;  // inside a segment level the element is missing
    istext = false;
    number = 0.0;
  }
  std::int32_t entry = 0;
  if (!istext) {
    entry = newcell(number);
    if (entry == 0) return 2002;
  } else {
    const std::int32_t t = newtempnumber();
    if (t == 0) return 2002;
    if (const std::int32_t made = maketemp(t, text); made != 0) return made;
    entry = -t;
  }
  if (!onbase) return push(e, entry) ? 0 : 2002;
  top(e) = entry;
  e.isbase[static_cast<std::size_t>(e.sp)] = 0;
  return 0;
}

std::int32_t tableassign(Eval& e, bool istext, std::string_view text, double number) {
  return tablestore(e.tableunit, e.tablerow, e.tablecolumn, istext, text, number);
}

std::int32_t tableread(std::int32_t unit, std::int32_t row, std::int32_t column, std::string& text,
                       double& number, bool& istext) {
  return readelement(unit, row, column, text, number, istext);
}

std::int32_t tablestore(std::int32_t unit, std::int32_t row, std::int32_t column, bool istext,
                        std::string_view text, double number) {
  if (unit < plat::unit_script_first || unit > plat::unit_script_last) return 3003;
  if (!plat::unit_is_open(unit)) return 3041;
  if (column < 0) {
    detailwords[1] = static_cast<std::int16_t>(std::max(column, -32768));
    return 3013;
  }
  core::msgkey.blank();
  switch (writetableelement(unit, row, column, istext, text, number)) {
    case 0:
      return core::msgkey.is_blank() ? 0 : xeqkeyed;
    case 25:
      detailwords[0] = static_cast<std::int16_t>(std::clamp(row, -32768, 32767));
      return 3035;
    case 26:
      return xeqkeyed;  // "extMatrixNotOpen"
    default:
      // A whole line (column 0), or a cell the table refused.
      if (!core::msgkey.is_blank()) return xeqkeyed;
      detailwords[0] = static_cast<std::int16_t>(std::clamp(row, -32768, 32767));
      detailwords[1] = static_cast<std::int16_t>(std::clamp(column, -32768, 32767));
      return 3043;
  }
}

}  // namespace evaldetail

}  // namespace exec
