#include "support/stores_fixture.h"

#include <string>

#include "core/rawmem.h"
#include "core/runwords.h"
#include "core/stores.h"
#include "core/symbols.h"

namespace storetest {

using namespace core;

void setup(std::int32_t nzv, std::int32_t nnamev, std::int32_t nc1v, std::int32_t nxv) {
  reset_stores();
  reset_symbols();
  reset_runwords();
  nz = nzv;
  nname = nnamev;
  nc1namen = nc1v;
  nxeqbuf = nxv;
  std::int32_t zero = 0, one = 1;
  ALLOCS("z", zero, nz);
  ALLOCS("name", one, nname);
  ALLOCS("c1namen", one, nc1namen);
  ALLOCS("xeqbuf", zero, nxeqbuf);
  nztop = nz + 1;
  c1limit = nc1namen + 1;
  c1top = 0;
}

void addspecials() {
  for (const char* nm :
       {"$", "$$", "$R", "$C", "$1", "$2", "$CR", "$LF", "$CRLF", "$TAB", "$CMD_LINE"}) {
    SymbolRecord& r = name(++nsym);
    r.type = nm[1] == 'C' || nm[1] == 'L' || nm[1] == 'T' ? 0x40 : 0x80;
    r.nambeg = c1top + 1;
    r.namlen = static_cast<std::int16_t>(std::string_view(nm).size());
    for (const char* c = nm; *c; ++c) c1namen(++c1top) = *c;
    c1namen(++c1top) = ',';
  }
}

std::int32_t addsym(std::string_view nm, int type, int scope) {
  const std::int32_t k = ++nsym;
  SymbolRecord& r = name(k);
  r = SymbolRecord{};
  r.type = static_cast<std::int16_t>(type);
  r.scope = static_cast<std::int16_t>(scope);
  r.nambeg = c1top + 1;
  r.namlen = static_cast<std::int16_t>(nm.size());
  for (char c : nm) c1namen(++c1top) = c;
  c1namen(++c1top) = ',';
  z(k) = 0.0;
  return k;
}

std::int32_t addarray(std::string_view nm, std::int32_t rows, std::int32_t cols, int scope) {
  const std::int32_t k = addsym(nm, 0x10, scope);
  nztop -= rows * cols;
  name(k).adr = nztop;
  TRANSFER2I4TOR8(rows, cols, z(k));
  return k;
}

std::int32_t addcharvar(std::string_view nm, std::string_view text, int scope) {
  const std::int32_t k = addsym(nm, 0x40, scope);
  const auto n = static_cast<std::int32_t>(text.size());
  c1limit -= n;
  for (std::int32_t i = 0; i < n; ++i) c1namen(c1limit + i) = text[i];
  TRANSFER2I4TOR8(c1limit, c1limit + n - 1, z(k));
  return k;
}

std::string textof(std::int32_t k) {
  std::int32_t first = 0, last = 0;
  TRANSFERR8TO2I4(z(k), first, last);
  std::string s;
  for (std::int32_t i = first; i <= last; ++i) s += c1namen(i);
  return s;
}

}  // namespace storetest
