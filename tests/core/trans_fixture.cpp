#include "core/trans_fixture.h"

#include <array>
#include <string>

#include "core/lexicon.h"
#include "core/runwords.h"
#include "core/stores.h"
#include "support/stores_fixture.h"
#include "core/symbols.h"
#include "core/tokenizer.h"
#include "core/trans.h"

namespace translex {

using namespace core;

void setup() {
  storetest::setup();
  reset_trans();
  reset_lexicon();
  for (std::string_view nm : {"$", "$$", "$R", "$C", "$1", "$2"}) storetest::addsym(nm, 0x80);
  for (std::string_view nm : {"$CR", "$LF", "$CRLF", "$TAB", "$CMD_LINE"})
    storetest::addcharvar(nm, " ");
  edflags = 0x1000;  // no message windows in tests
  xeqmode = 0x100;
  xeqline = 7;
}

std::int32_t array(std::string_view nm, std::int32_t rows, std::int32_t cols) {
  return storetest::addarray(nm, rows, cols);
}
std::int32_t text(std::string_view nm, std::string_view value) {
  return storetest::addcharvar(nm, value);
}

std::int32_t sym(std::string_view nm) {
  std::int32_t k = 0;
  return FINDSN(nm, k, 0x400) ? k : storetest::addsym(nm, 0x80);
}

std::int32_t num(std::string_view literal) {
  for (std::int32_t k = 1; k <= nsym; ++k)
    if (name(k).type == 0x81 && symbolname(k) == literal) return k;
  const std::int32_t k = storetest::addsym(literal, 0x81);
  z(k) = std::stod(std::string(literal));
  return k;
}

bool lex(std::string_view line) {
  const std::string text = std::string(line) + "\r\n";
  std::array<double, maxtokens> values{};
  for (int round = 0; round < 3; ++round) {
    xeqstop = 0;
    std::int32_t mode = 1;
    TOKEN(text, values, mode);
    if (xeqstop != 0) return false;
    LEXIK(text, values, 0);
    if (xeqstop != -999) return xeqstop == 0;
  }
  return false;
}

std::vector<std::int16_t> words() {
  std::vector<std::int16_t> w;
  for (std::int32_t k = 1; k <= ntrans; ++k) w.push_back(tokcod(k));
  return w;
}

}  // namespace translex
