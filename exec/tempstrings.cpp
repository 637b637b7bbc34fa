#include "exec/tempstrings.h"

#include <algorithm>
#include <cstring>
#include <string>

#include "core/rawmem.h"
#include "core/runwords.h"
#include "core/stores.h"
#include "exec/xeq2.h"

namespace exec {

std::int32_t MAKETEMPSTRING(std::int32_t cell, std::int32_t length, std::int32_t number) {
  using namespace core;
  const std::int32_t j = number < 0 ? -number : number;
  if (j < 1 || j > ntemps || !name.valid(cell) || !z.valid(cell)) return tempoverrun;
  length = std::max(length, 0);
  if (tmptop() + length >= c1limit) {
    std::int32_t extra = std::max(length, 64000);
    // (A store that cannot grow has stopped the statement with its key.)
    if (!REALLOC(5, extra)) return tempnostore;
    xeqstop = stops::grown;
    return tempgrown;
  }
  const std::int32_t first = tmptop();
  tmpsym(j) = cell;
  tmporig(j) = first;
  tmpbeg(j) = first;
  tmptop() += length;
  xeqexpr.tmplen = length;
  tmpend(j) = tmptop() - 1;
  TRANSFER2I4TOR8(first, tmpend(j), z(cell));
  name(cell).type = 0x48;
  if (length > 0) std::memset(c1namen.ptr(first), ' ', static_cast<std::size_t>(length));
  return tempmade;
}

std::int32_t COPYTEMPSTRING(std::int32_t first, std::int32_t last, std::int32_t cell) {
  using namespace core;
  const std::int32_t length = std::max(last - first + 1, 0);
  std::string copy(static_cast<std::size_t>(length), ' ');
  for (std::int32_t p = 0; p < length; ++p)
    if (c1namen.valid(first + p)) copy[static_cast<std::size_t>(p)] = c1namen(first + p);
  const std::int32_t j = xeqexpr.ndescr + 1;
  const std::int32_t r = MAKETEMPSTRING(cell, length, j);
  if (r != tempmade) return r;
  for (std::int32_t p = 0; p < length; ++p)
    c1namen(tmpbeg(j) + p) = copy[static_cast<std::size_t>(p)];
  return tempmade;
}

void starttempstrings() {
  tmptop() = core::c1tmptop + 1;
  xeqexpr.tmplen = 0;
}

void reset_tempstrings() {
  tmporig.assign(ntemps + 1, 0);
  tmpsym.assign(ntemps + 1, 0);
  tmpend.assign(ntemps + 1, 0);
  tmpbeg.assign(ntemps + 1, 0);
}

}  // namespace exec
