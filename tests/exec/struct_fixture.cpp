#include "struct_fixture.h"

#include "core/codewords.h"
#include "core/lexicon.h"
#include "core/rawmem.h"
#include "core/runwords.h"
#include "core/shop.h"
#include "core/stores.h"
#include "core/symbols.h"
#include "core/tokenizer.h"
#include "exec/optdispatch.h"
#include "exec/struct.h"
#include "support/stores_fixture.h"

namespace builtintest {

using namespace core;

void Script::SetUp() {
  reset_stores();
  reset_symbols();
  reset_runwords();
  reset_lexicon();
  reset_shop();
  reset_tokenizer();
  exec::reset_optdispatch();
  exec::reset_struct();
  storetest::setup();
  edvars.assign(25, 0);
  edvars(edv::flags) = 0x20;
  storetest::addspecials();
}

void Script::TearDown() {
  exec::reset_optdispatch();
  exec::reset_struct();
  reset_lexicon();
  reset_stores();
  reset_symbols();
  reset_runwords();
  edvars.assign(25, 0);
}

std::int32_t Script::compile(const std::string& text) {
  lines.push_back(text + "\r\n");
  const std::string& ln = lines.back();
  do {
    std::int32_t mode = 2;
    xeqstop = 0;
    TOKEN(ln, values, mode);
    LEXIK(ln, values, 0);
  } while (xeqstop == -999);
  return xeqstop;
}

std::int32_t Script::run(OptStmt stmt, const std::string& text, std::vector<std::int32_t> extra) {
  EXPECT_EQ(compile(text), 0) << text << " " << msgkey.str();
  std::vector<std::int32_t> pairs = std::move(extra);
  std::int32_t target = 0;
  for (std::int32_t i = 1; i <= ntok; ++i) {
    if (i == 1 && tokcod(i) > 0) target = tokcod(i);
    if (!isoptmarker(tokcod(i))) continue;
    pairs.push_back(cwu(tokcod(i)) & 0x3FF);
    pairs.push_back(tokcod(i + 1) == cwd::assign ? tokcod(i + 2) : exec::novalue);
  }
  xeqstop = 0;
  msgkey.blank();
  failedline.blank();
  iostatw = {};
  xeqtarget = target;
  resultcell = iresult = nsym + 5;
  name(iresult) = SymbolRecord{};
  name(iresult).type = 0x88;
  z(iresult) = -1.0;
  const auto c = static_cast<std::int32_t>(pairs.size() / 2);
  exec::BUISOPTNEW(static_cast<std::int16_t>(optstmtxcode(static_cast<int>(stmt)) | c), 0, pairs,
                   static_cast<std::int32_t>(pairs.size()));
  return xeqstop;
}

double Script::result() { return z(iresult); }

std::int32_t Script::sym(std::string_view nm) {
  for (std::int32_t k = 1; k <= nsym; ++k)
    if (symbolname(k) == nm && name(k).type != 0x41 && name(k).type != 0x81) return k;
  return 0;
}

std::string Script::text(std::int32_t s) {
  std::int32_t a = 0, b = 0;
  TRANSFERR8TO2I4(z(s), a, b);
  std::string t;
  for (std::int32_t i = a; i <= b; ++i) t += c1namen(i);
  return t;
}

void Script::settext(std::int32_t s, std::string_view t) {
  std::int32_t a = 0, b = 0;
  TRANSFERR8TO2I4(z(s), a, b);
  for (std::int32_t i = a; i <= b; ++i)
    c1namen(i) =
        static_cast<std::size_t>(i - a) < t.size() ? t[static_cast<std::size_t>(i - a)] : ' ';
}

std::string Script::key() { return std::string(msgkey.trimmed()); }

}  // namespace builtintest
