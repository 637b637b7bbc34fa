#include "io/cellconvert.h"

#include <algorithm>
#include <string>

#include "core/messages.h"
#include "core/numread.h"
#include "core/numwrite.h"
#include "core/runwords.h"
#include "core/stores.h"
#include "core/symbols.h"
#include "io/picture.h"
#include "io/rwindx.h"
#include "io/rwtexts.h"

namespace io {

namespace {

// One run of the engine on one item, its state between the calls of a
// READ or WRITE kept aside.
char engine(char direction, std::string_view format, std::span<char> record, double& value) {
  const RwIndxState saved = rwindxstate;
  reset_rwindx();
  char letter = direction, status = ' ';
  std::int32_t tpos = 0, fpos = 1, irep = 1;
  RWINDX(format, static_cast<std::int32_t>(format.size()), record,
         static_cast<std::int32_t>(record.size()), 1, {}, value, letter, tpos, fpos, irep, status);
  rwindxstate = saved;
  return status;
}

// The characters of a character target (a variable or a string
// temporary); false for anything else.
bool chartarget(std::int32_t target, std::span<char>& chars) {
  std::int32_t first = 0, last = 0;
  if (target < 1 || core::ISCHARCHECKED(target, first, last) <= 0 || last < first) return false;
  chars = {core::c1namen.ptr(first), static_cast<std::size_t>(last - first + 1)};
  return true;
}

bool constant(std::int32_t target) {
  return target <= core::nsym && core::NAMTYP(target, 0x41) == 0x41;
}

void put(std::span<char> to, std::string_view text) {
  const std::size_t n = std::min(to.size(), text.size());
  std::fill(std::copy_n(text.begin(), n, to.begin()), to.end(), ' ');
}

}  // namespace

bool REALFROMSTRINGFMTD(std::string_view text, double& value, std::string_view format) {
  std::string record(text);
  double v = value;
  const char status = engine('R', format, record, v);
  if (status == ' ') {
    value = v;
    return true;
  }
  std::int32_t position = -1, error = 0;
  double plain = value;
  core::GETR8N(text, static_cast<std::int32_t>(text.size()), plain, position, error);
  if (error == 0) {
    value = plain;
    return true;
  }
  if (status == 'a') {
    value = 0.0;
  } else {
    core::msgkey.set(core::MSGKEY("mx2element"));
  }
  return false;
}

void REALTOSTRINGFMTD(std::span<char> text, double value, std::string_view format, char& status) {
  std::fill(text.begin(), text.end(), ' ');
  double v = value;
  status = engine('W', format, text, v);
  if (status != 'a') return;
  core::msgkey.blank();
  core::WTSID8(text, value, 0);
}

bool CELLNUMBER(std::string_view cell, std::int32_t column, std::string_view format,
                double& value) {
  cellreadmode = 0;
  const char letter = format.empty() ? ' ' : format[0];
  if (format.size() <= 1 && (letter == 'a' || letter == 'A' || column <= 0))
    return false;  // a text has no number to give
  if (format.size() > 1 && numberletters.find(letter) != std::string_view::npos) {
    REALFROMSTRINGFMTD(cell, value, format);
    cellreadmode = 3;
    return true;
  }
  double v = value;
  std::int32_t position = -1, error = 0;
  core::GETR8N(cell, static_cast<std::int32_t>(cell.size()), v, position, error);
  if (error != 0) return false;
  value = v;
  cellreadmode = 2;
  return true;
}

void CELLTEXT(std::string_view cell, std::int32_t column, std::string_view format,
              std::span<char> chars) {
  const char letter = format.empty() ? ' ' : format[0];
  if (letter == 'a' || letter == 'A' || column <= 0) {
    put(chars, cell);
    return;
  }
  // The first field of the text, as the picture reader cuts it.
  const auto savedwork = fmtwork;
  fmtwork.set(format);
  std::int32_t fieldstart = 0, fieldend = 0, textpos = 1, picpos = 1;
  char status = ' ';
  PICTUREREAD(cell, chars, fieldstart, fieldend, textpos, picpos, status);
  fmtwork = savedwork;
}

void REALORSTRINGFROMSTRINGFMTD(std::string_view cell, std::int32_t column, std::int32_t target,
                                std::string_view format) {
  cellreadmode = 0;
  std::span<char> chars;
  const bool text = chartarget(target, chars);
  if (!core::msgkey.is_blank()) {
    if (text && !constant(target)) put(chars, " ");
    if (!text && !constant(target)) {
      core::SETZTOR8(target, 0.0);
      cellreadmode = 1;
    }
    core::msgkey.blank();
    return;
  }
  if (constant(target)) return;
  if (text) {
    CELLTEXT(cell, column, format, chars);
  } else if (double v = core::z.valid(target) ? core::z(target) : 0.0;
             target >= 1 && core::z.valid(target) && CELLNUMBER(cell, column, format, v)) {
    core::SETZTOR8(target, v);
  }
}

void REALORSTRINGTOSTRINGFMTD(std::span<char> text, std::int32_t& used, std::int32_t target,
                              double value, std::string_view deflt, std::string_view format,
                              char& status) {
  status = ' ';
  std::span<char> chars;
  const bool istext = chartarget(target, chars);
  const double v = target > 0 && !istext && core::z.valid(target) ? core::z(target) : value;
  const char letter = istext || format.empty() ? ' ' : format[0];
  if (letter == 'N') {
    core::WTSID8(text, v, 0);
  } else if (std::string_view("UFfIiEe").find(letter) != std::string_view::npos) {
    REALTOSTRINGFMTD(text, v, format, status);
  } else {
    put(text, istext ? std::string_view(chars.data(), chars.size()) : deflt);
  }
  std::int32_t n = static_cast<std::int32_t>(text.size());
  while (n > 0 && text[static_cast<std::size_t>(n - 1)] == ' ') --n;
  used = std::max(n, 1);
}

}  // namespace io
