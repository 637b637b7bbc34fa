// The translators' entry: chooses the translator of a statement.
#include <array>

#include "core/codewords.h"
#include "core/runwords.h"
#include "core/stores.h"
#include "core/tokenizer.h"
#include "core/trans.h"

namespace core {

namespace {

std::int32_t plaintype(std::int16_t k) {
  if (!name.valid(k)) return -1;
  return name(k).type & ~0x0820;
}

// True when the deciding word sends the statement to the expression
// translator.
bool toexpression(std::int16_t w) {
  if (w > 0) {
    const std::int32_t t = plaintype(w);
    return t == 0x40 || t == 0x41 || t == 0x80 || t == 0x81 || t == 0x140 || t == 5 || t == 0x10;
  }
  const unsigned u = cwu(w);
  constexpr std::array<std::int16_t, 7> named = {
      builtincode("IAND"),   builtincode("IEOR"), builtincode("IOR"), builtincode("MAXLOC"),
      builtincode("MINLOC"), builtincode("SUM"),  stmtcode("IF")};
  if (w == cwd::end || w == cwd::lparen || w == cwd::uplus || w == cwd::uminus) return true;
  if (u >= 0xA060u && u <= 0xA063u) return true;
  for (const auto c : named)
    if (w == c) return true;
  if (w == 0) return false;
  if ((u & 0x8010u) == 0x8010u) return true;
  if ((u & 0xC000u) == 0xC000u && w != stmtcode("CONTINUE")) return true;
  return isoptstmt(w);
}

}  // namespace

std::string_view trans2text(std::int32_t number) {
  switch (number) {
    case trans2missingparen:
      return "( missing";
    case trans2assigninbracket:
      return trans2bracketkey;
    case trans2unknown:
      return " unknown token = ";
    case trans2leftside:
      return "incomplete left side";
    case trans2typeconflict:
      return "type conflict";
    case trans2nesting:
      return "max ( nesting is = 8";
    case trans2unbalanced:
      return " ( ) unbalanced: use TAB to check";
    case trans2stack:
      return "an operator or comma is missing";
    case trans2full:
      return "statement too long";
    default:
      return "";
  }
}

void TRANS(std::string_view text) {
  msgkey.blank();
  ntrans = 0;
  // The state of the Caps Lock key once chose the translator here; compiled
  // code must not depend on a key, so the statement is always inspected.
  if (ntok < 1) {
    TRANS1(text);
    return;
  }
  std::int16_t w = tokcod(1);
  if (w > 0 && plaintype(w) == 2 && ntok >= 2) w = tokcod(2);
  if (toexpression(w))
    TRANS2(text);
  else
    TRANS1(text);
}

void reset_trans() {
  trans2error = 0;
  runtextnumber = false;
}

}  // namespace core
