#include "core/lexicon_fixture.h"

#include "core/editbuffer.h"
#include "core/lexicon.h"
#include "core/rawmem.h"
#include "core/runwords.h"
#include "core/shop.h"
#include "core/stores.h"
#include "support/stores_fixture.h"
#include "core/symbols.h"
#include "core/tokenizer.h"
#include "platform/win_message_box.h"

namespace lextest {

using namespace core;

void Lexicon::SetUp() {
  storetest::setup();
  reset_lexicon();
  reset_shop();
  reset_tokenizer();
  plat::reset_message_boxes();
  edvars.assign(25, 0);
  edvars(edv::flags) = 0x20;  // the whole-script compile lists its errors itself
  for (const char* nm : {"$", "$$", "$R", "$C", "$1", "$2"}) storetest::addsym(nm, 0x80);
  for (const char* nm : {"$CR", "$LF", "$CRLF", "$TAB", "$CMD_LINE"})
    storetest::addcharvar(nm, " ");
  xeqline = 1;
}

void Lexicon::TearDown() {
  reset_lexicon();
  reset_shop();
  reset_tokenizer();
  reset_stores();
  reset_symbols();
  reset_runwords();
  edvars.assign(25, 0);
  plat::reset_message_boxes();
}

std::int32_t Lexicon::compile(std::string_view text, std::int32_t flags) {
  line = std::string(text) + "\r\n";
  passes = 0;
  for (;;) {
    std::int32_t mode = 2;
    xeqstop = 0;
    TOKEN(line, values, mode);
    EXPECT_EQ(xeqstop, 0) << "tokenizer: " << text;
    LEXIK(line, values, flags);
    ++passes;
    if (xeqstop != -999 || passes > 10) return xeqstop;
  }
}

std::int32_t Lexicon::sym(std::string_view nm, std::int32_t t) {
  for (std::int32_t k = 1; k <= nsym; ++k)
    if ((t == 0x400 || (name(k).type & t)) && symbolname(k) == nm) return k;
  return 0;
}

std::int32_t Lexicon::type(std::int32_t s) { return static_cast<std::uint16_t>(name(s).type); }

std::int32_t Lexicon::shaperows(std::int32_t s) {
  std::int32_t a = 0, b = 0;
  TRANSFERR8TO2I4(z(s), a, b);
  return a;
}

std::int32_t Lexicon::shapecols(std::int32_t s) {
  std::int32_t a = 0, b = 0;
  TRANSFERR8TO2I4(z(s), a, b);
  return b;
}

}  // namespace lextest
