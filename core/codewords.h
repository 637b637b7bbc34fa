// The code words of the compiler and the executor: every value is defined
// once, in the table `codewords` below. The statement keyword list, the
// built-in list, the tokenizer's operator lists and the option statement
// numbers are derived from it at compile time, so a value can only ever be
// changed in one place.
#pragma once

#include <array>
#include <concepts>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>

namespace core {

// A 16-bit code word from its unsigned spelling (0xE020 and the like).
constexpr std::int16_t cwv(unsigned v) { return static_cast<std::int16_t>(v & 0xFFFFu); }
// The unsigned 16 bits of a code word, for masks and comparisons.
constexpr unsigned cwu(std::int16_t w) { return static_cast<std::uint16_t>(w); }

// Fields of a code word. Symbols and literals are positive; every operator,
// keyword and built-in has bit 15 set.
//
//   compiler form   15 | 14 .. 10 priority | 9 .. 5 | 4 .. 0 count
//   executor form   15 | 14 .. 11 priority | 10 .. 6 | 5 two operands | 4 .. 0
//
// The count is the option count of an option statement, the comma or
// argument count of a call, the count of an assignment; the word without it
// (`cwcode`) names the statement, built-in or operator. An option statement
// of the executor form, 0xF800 + 0x40 s, keeps six bits of count
// (`xcwcount`), and its marks and closers (0xF000 family) keep their kind in
// those six bits too (`xcwcode` is the word without them).
// Families by the top bits: w AND 0xE000 = 0xC000 the built-in functions
// (`isbuiltinword`), 0xE000 the statements and block words of the compiler
// form and the one-operand functions, blocks and option statements of the
// executor form (`isstmtword`). By the top six bits: 0xAC00 option
// statements and 0x9800 option markers of the compiler form (+ keyword - 1
// in the ten low bits); 0xFE00 option markers of the executor form (+
// keyword - 1 in the nine low bits); prefix blocks and references, see
// core/xform.h.
//
// The accessors take a word in any integer type: a 16-bit word, its
// unsigned bits, or a 32-bit entry that holds one sign-extended; every
// field lies in the low 16 bits.
template <std::integral W>
constexpr unsigned cwbits(W w) {
  return static_cast<unsigned>(w) & 0xFFFFu;
}
// The word without its count: the statement, built-in or operator.
template <std::integral W>
constexpr unsigned cwcode(W w) {
  return cwbits(w) & 0xFFE0u;
}
// The count in the five low bits.
template <std::integral W>
constexpr int cwcount(W w) {
  return static_cast<int>(cwbits(w) & 0x1Fu);
}
// Executor form: the word without its six low bits (an option statement
// without its count, a mark without its closer kind), and those six bits.
template <std::integral W>
constexpr unsigned xcwcode(W w) {
  return cwbits(w) & 0xFFC0u;
}
template <std::integral W>
constexpr int xcwcount(W w) {
  return static_cast<int>(cwbits(w) & 0x3Fu);
}
// A built-in function word (family 0xC000).
template <std::integral W>
constexpr bool isbuiltinword(W w) {
  return (cwbits(w) & 0xE000u) == 0xC000u;
}
// The slot of a built-in function word, its bits 5 to 12 (one per
// built-in of the family 0xC000).
template <std::integral W>
constexpr unsigned builtinslot(W w) {
  return (cwbits(w) >> 5) & 0xFFu;
}
// A word of the family 0xE000 (statements and blocks; see above).
template <std::integral W>
constexpr bool isstmtword(W w) {
  return (cwbits(w) & 0xE000u) == 0xE000u;
}
// The IF block words of the compiler form (0xE800: block IF, ELSE,
// ELSEIF, ENDIF, THEN).
template <std::integral W>
constexpr bool isifblockword(W w) {
  return (cwbits(w) & 0xFC00u) == 0xE800u;
}

enum class CwFamily : std::uint8_t {
  token,    // codes that only the tokenizer writes (name, literals, end)
  op,       // single-character operators, in the order of `xeqopchars`
  pair,     // character pairs, in the order of `xeqoppairs`
  unary,    // unary signs and the ampersand run
  stmt,     // statement keywords, in the order of `stmtlist`
  builtin,  // built-in functions and option statements, in `builtinlist` order
  word,     // further compiler words written by the translators
  xword,    // words that exist only in the executor form
};

struct CodeWord {
  CwFamily family;
  std::string_view text;  // keyword, operator text or a short descriptive name
  std::int16_t code;      // compiler code (for xword: the executor code itself)
  std::int16_t xcode;     // executor code, 0 when the word has none
  char cls = ' ';         // statement keywords: where the keyword is accepted
};

// clang-format off
inline constexpr CodeWord codewords[] = {
    // Tokenizer codes.
    {CwFamily::token, "name", cwv(0x0080), 0},
    {CwFamily::token, "number", cwv(0x0081), 0},
    {CwFamily::token, "text", cwv(0x0041), 0},
    {CwFamily::token, "end", cwv(0x8000), cwv(0x8000)},
    // Single-character operators, in the order of "(,=)+-*/:^<>".
    {CwFamily::op, "(", cwv(0x8C00), cwv(0x9000)},
    {CwFamily::op, ",", cwv(0x9400), cwv(0xA400)},
    {CwFamily::op, "=", cwv(0x8420), cwv(0x8880)},
    {CwFamily::op, ")", cwv(0x9000), cwv(0x9800)},
    {CwFamily::op, "+", cwv(0xA010), cwv(0xC820)},
    {CwFamily::op, "-", cwv(0xA030), cwv(0xC860)},
    {CwFamily::op, "*", cwv(0xA410), cwv(0xD860)},
    {CwFamily::op, "/", cwv(0xA430), cwv(0xD820)},
    {CwFamily::op, ":", cwv(0x9420), cwv(0xA800)},
    {CwFamily::op, "^", cwv(0xA810), cwv(0xE020)},
    {CwFamily::op, "<", cwv(0x9C10), cwv(0xB860)},
    {CwFamily::op, ">", cwv(0x9C30), cwv(0xB8A0)},
    // Character pairs; items 2 and 3 are placeholders that give the dotted
    // words .LT. and .GT. their codes (dotted item q takes pair item q + 1).
    {CwFamily::pair, "**", cwv(0xA810), cwv(0xE020)},
    {CwFamily::pair, "  ", cwv(0x9C10), cwv(0xB860)},
    {CwFamily::pair, "  ", cwv(0x9C30), cwv(0xB8A0)},
    {CwFamily::pair, "<=", cwv(0x9C50), cwv(0xB8E0)},
    {CwFamily::pair, ">=", cwv(0x9C70), cwv(0xB920)},
    {CwFamily::pair, "==", cwv(0x9C90), cwv(0xB960)},
    {CwFamily::pair, "/=", cwv(0x9CB0), cwv(0xB9A0)},
    {CwFamily::pair, "><", cwv(0x84C0), cwv(0x8980)},
    {CwFamily::pair, "//", cwv(0xA060), cwv(0xC020)},
    // Unary signs; a run of n ampersands is the ampersand code + n and its
    // executor code the concatenation code + 0x40 n.
    {CwFamily::unary, "-u", cwv(0xA840), cwv(0xC880)},
    {CwFamily::unary, "+u", cwv(0xA820), cwv(0xE800)},
    {CwFamily::unary, "&", cwv(0xA060), cwv(0xC020)},
    // Statement keywords, in the order of `stmtlist`, with their position class.
    {CwFamily::stmt, "GOTO", cwv(0xE020), 0, 'n'},
    {CwFamily::stmt, "IF", cwv(0xE040), cwv(0xF140), '('},
    {CwFamily::stmt, "DO", cwv(0xEC60), 0, 'D'},
    {CwFamily::stmt, "CALL", cwv(0xE080), 0, 'S'},
    {CwFamily::stmt, "CONTINUE", cwv(0xECA0), cwv(0xF0C0), 'C'},
    {CwFamily::stmt, "END", cwv(0xE0C0), 0, 'C'},
    {CwFamily::stmt, "DIMENSION", cwv(0xE0E0), 0, '2'},
    {CwFamily::stmt, "DATA", cwv(0xE100), 0, '2'},
    {CwFamily::stmt, "RETURN", cwv(0xE120), 0, 'L'},
    {CwFamily::stmt, "SUBROUTINE", cwv(0xE140), 0, '2'},
    {CwFamily::stmt, "FUNCTION", cwv(0xE160), 0, '2'},
    {CwFamily::stmt, "CHARACTER", cwv(0xE180), 0, 'R'},
    {CwFamily::stmt, "ELSE", cwv(0xE9A0), cwv(0xF440), '1'},
    {CwFamily::stmt, "ELSEIF", cwv(0xE9C0), cwv(0xF480), '('},
    {CwFamily::stmt, "ENDIF", cwv(0xE9E0), cwv(0xF4C0), '1'},
    {CwFamily::stmt, "THEN", cwv(0xEA00), cwv(0xF500), ')'},
    {CwFamily::stmt, "ENDDO", cwv(0xEC40), 0, '1'},
    {CwFamily::stmt, "USE", cwv(0xE1A0), 0, ':'},
    {CwFamily::stmt, "REAL", cwv(0xE1C0), 0, 'R'},
    // Built-ins, in the order of `builtinlist`. An option statement's code is
    // 0xAC00 + 0x20 s; its executor code 0xF800 + 0x40 s follows from it.
    {CwFamily::builtin, "LOG", cwv(0xC020), cwv(0xE140)},
    {CwFamily::builtin, "ABS", cwv(0xC040), cwv(0xE8C0)},
    {CwFamily::builtin, "EXP", cwv(0xC060), cwv(0xE900)},
    {CwFamily::builtin, "RAN", cwv(0xC080), cwv(0xE100)},
    {CwFamily::builtin, "INTPOL", cwv(0xAD00), 0},
    {CwFamily::builtin, "LOCK", cwv(0xC0C0), 0},
    {CwFamily::builtin, "BEEP", cwv(0xC0E0), 0},
    {CwFamily::builtin, "RGB", cwv(0xC100), 0},
    {CwFamily::builtin, "INT", cwv(0xC120), cwv(0xE940)},
    {CwFamily::builtin, "NINT", cwv(0xC140), cwv(0xE980)},
    {CwFamily::builtin, "MOD", cwv(0xC161), cwv(0xE8E0)},
    {CwFamily::builtin, "MAX", cwv(0xC181), cwv(0xE920)},
    {CwFamily::builtin, "MIN", cwv(0xC1A1), cwv(0xE960)},
    {CwFamily::builtin, "SIN", cwv(0xC1C0), cwv(0xE9C0)},
    {CwFamily::builtin, "COS", cwv(0xC1E0), cwv(0xEA00)},
    {CwFamily::builtin, "TAN", cwv(0xC200), cwv(0xEA40)},
    {CwFamily::builtin, "ASIN", cwv(0xC220), cwv(0xEB00)},
    {CwFamily::builtin, "ACOS", cwv(0xC240), cwv(0xEB40)},
    {CwFamily::builtin, "ATAN", cwv(0xC260), cwv(0xEB80)},
    {CwFamily::builtin, "SINH", cwv(0xC280), cwv(0xEC00)},
    {CwFamily::builtin, "COSH", cwv(0xC2A0), cwv(0xEBC0)},
    {CwFamily::builtin, "TANH", cwv(0xC2C0), cwv(0xEC40)},
    {CwFamily::builtin, "ROOTS", cwv(0xC2E0), 0},
    {CwFamily::builtin, "TIME", cwv(0xAD60), 0},
    {CwFamily::builtin, "COM", cwv(0xAE20), 0},
    {CwFamily::builtin, "XEQ", cwv(0xC340), 0},
    {CwFamily::builtin, "INDEX", cwv(0xC360), cwv(0xE080)},
    {CwFamily::builtin, "KEY", cwv(0xADA0), 0},
    {CwFamily::builtin, "INIT", cwv(0xC3C0), cwv(0xE1C0)},
    {CwFamily::builtin, "ALARM", cwv(0xC3E0), 0},
    {CwFamily::builtin, "DIFFEQ", cwv(0xAE00), 0},
    {CwFamily::builtin, "FUZ", cwv(0xC440), 0},
    {CwFamily::builtin, "ALIAS", cwv(0xAE80), 0},
    {CwFamily::builtin, "DLL", cwv(0xAD80), 0},
    {CwFamily::builtin, "ICHAR", cwv(0xC380), cwv(0xEC80)},
    {CwFamily::builtin, "CHAR", cwv(0xC4A0), cwv(0xE180)},
    {CwFamily::builtin, "IAND", cwv(0xC4C1), cwv(0xE820)},
    {CwFamily::builtin, "IEOR", cwv(0xC4E1), cwv(0xE860)},
    {CwFamily::builtin, "IOR", cwv(0xC501), cwv(0xE8A0)},
    {CwFamily::builtin, "NOT", cwv(0xC520), cwv(0xE880)},
    {CwFamily::builtin, "SORT", cwv(0xAC60), 0},
    {CwFamily::builtin, "SUM", cwv(0xC560), cwv(0xE800)},
    {CwFamily::builtin, "SYSTEM", cwv(0xACE0), 0},
    {CwFamily::builtin, "win", cwv(0xC5A0), 0},
    {CwFamily::builtin, "INET", cwv(0xC5C0), 0},
    {CwFamily::builtin, "READ", cwv(0xAC20), 0},
    {CwFamily::builtin, "WRITE", cwv(0xAC40), 0},
    {CwFamily::builtin, "OPEN", cwv(0xAC00), 0},
    {CwFamily::builtin, "AXIS", cwv(0xAC80), 0},
    {CwFamily::builtin, "LINE", cwv(0xACA0), 0},
    {CwFamily::builtin, "SOLVE", cwv(0xACC0), 0},
    {CwFamily::builtin, "WINDOW", cwv(0xAD20), 0},
    {CwFamily::builtin, "DLG", cwv(0xAD40), 0},
    {CwFamily::builtin, "FLOOR", cwv(0xC300), cwv(0xEAC0)},
    {CwFamily::builtin, "LEN", cwv(0xC400), cwv(0xECC0)},
    {CwFamily::builtin, "LEN_TRIM", cwv(0xC480), cwv(0xED00)},
    {CwFamily::builtin, "MAXLOC", cwv(0xC540), cwv(0xE9E0)},
    {CwFamily::builtin, "MINLOC", cwv(0xC580), cwv(0xEA20)},
    {CwFamily::builtin, "SIGN", cwv(0xC5F0), cwv(0xE9A0)},
    {CwFamily::builtin, "CEILING", cwv(0xC0A0), cwv(0xEA80)},
    {CwFamily::builtin, "TRIM", cwv(0xC600), cwv(0xED40)},
    {CwFamily::builtin, "EDIT", cwv(0xADC0), 0},
    {CwFamily::builtin, "ALLOCATE", cwv(0xC620), 0},
    {CwFamily::builtin, "POP", cwv(0xADE0), 0},
    {CwFamily::builtin, "APPENDIX", cwv(0xC420), 0},
    {CwFamily::builtin, "STRUCT", cwv(0xAE40), 0},
    {CwFamily::builtin, "BITS", cwv(0xAE60), 0},
    // Compiler words written by the lexicon and the statement translator.
    {CwFamily::word, "=text", cwv(0x8400), 0},           // "=" after a text symbol
    {CwFamily::word, "=array", cwv(0x8440), 0},          // whole-array assignment
    {CwFamily::word, "=arrayexpr", cwv(0x8460), 0},      // array name earlier in the statement
    {CwFamily::word, "=mixed", cwv(0x8480), 0},          // text symbol before a 0x8010 word
    {CwFamily::word, "=84A0", cwv(0x84A0), cwv(0x8840)},
    {CwFamily::word, "elsemark", cwv(0x8001), 0},        // before ELSE and ELSEIF
    {CwFamily::word, "DOblock", cwv(0xEC20), 0},         // DO followed by its loop variable
    {CwFamily::word, "subscript", cwv(0xF400), cwv(0xF040)},  // + comma count
    {CwFamily::word, "subscript=", cwv(0xF600), 0},      // element assignment, + comma count
    {CwFamily::word, "arglist", cwv(0xF401), 0},         // "(" after a text symbol with a comma
    {CwFamily::word, "wholearray", cwv(0xF420), 0},
    {CwFamily::word, "=L", cwv(0xBC00), 0},              // the "=" after an option of type "L"
    {CwFamily::word, "listjoin", cwv(0xA061), 0},        // "," of a list for a text: one "&"
    {CwFamily::word, "label", cwv(0xE000), cwv(0xF000)}, // label marker
    {CwFamily::word, "IFblock", cwv(0xE800), cwv(0xF400)},
    {CwFamily::word, "option", cwv(0x9800), cwv(0xFE00)},  // + keyword number - 1
    {CwFamily::word, "optstmt", cwv(0xAC00), cwv(0xF800)}, // + 0x20 s (+ 0x40 s)
    {CwFamily::word, "filler", cwv(0xFFFF), 0},
    // Words of the executor form only.
    {CwFamily::xword, "lhsend", cwv(0x8840), 0},
    {CwFamily::xword, "nobound", cwv(0x7FFF), 0},
    {CwFamily::xword, "range-", cwv(0x8940), 0},
    {CwFamily::xword, "range:", cwv(0x8941), 0},
    {CwFamily::xword, "range", cwv(0xA800), 0},          // + present-bound bits
    {CwFamily::xword, "movedargs", cwv(0xA400), 0},      // + comma count
    {CwFamily::xword, "prefixend", cwv(0x8C00), 0},      // + comma count
    {CwFamily::xword, "prefixend1", cwv(0x8BFF), 0},     // + operand count
    {CwFamily::xword, "ifgate", cwv(0x8A00), 0},
    {CwFamily::xword, "pad", cwv(0x8A40), 0},            // fills a statement's room, does nothing
    {CwFamily::xword, "formalkind", cwv(0x8A60), 0},     // + the formal: made for another kind
    {CwFamily::xword, "toplevelcomma", cwv(0xC060), 0},
    {CwFamily::xword, "labelref", cwv(0xF000), 0},
    {CwFamily::xword, "arraymark", cwv(0xF040), 0},
    {CwFamily::xword, "textmark", cwv(0xF340), 0},
};
// clang-format on

namespace cwdetail {

constexpr std::size_t count(CwFamily f) {
  std::size_t n = 0;
  for (const auto& c : codewords)
    if (c.family == f) ++n;
  return n;
}

// Comma-framed list of the texts of one family: ",A,B,C,".
template <CwFamily F>
constexpr auto commalist() {
  constexpr std::size_t len = [] {
    std::size_t n = 1;
    for (const auto& c : codewords)
      if (c.family == F) n += c.text.size() + 1;
    return n;
  }();
  std::array<char, len> out{};
  std::size_t i = 0;
  out[i++] = ',';
  for (const auto& c : codewords) {
    if (c.family != F) continue;
    for (char ch : c.text) out[i++] = ch;
    out[i++] = ',';
  }
  return out;
}

// The position classes of the statement keywords, one character each.
constexpr auto stmtclasses() {
  std::array<char, count(CwFamily::stmt)> out{};
  std::size_t i = 0;
  for (const auto& c : codewords)
    if (c.family == CwFamily::stmt) out[i++] = c.cls;
  return out;
}

template <CwFamily F>
constexpr auto codesof() {
  std::array<std::int16_t, count(F)> out{};
  std::size_t i = 0;
  for (const auto& c : codewords)
    if (c.family == F) out[i++] = c.code;
  return out;
}

inline constexpr auto stmtlist_text = commalist<CwFamily::stmt>();
inline constexpr auto builtinlist_text = commalist<CwFamily::builtin>();
inline constexpr auto pairlist_text = commalist<CwFamily::pair>();
inline constexpr auto stmtclass_text = stmtclasses();
inline constexpr auto opchars_text = [] {
  std::array<char, count(CwFamily::op)> out{};
  std::size_t i = 0;
  for (const auto& c : codewords)
    if (c.family == CwFamily::op) out[i++] = c.text[0];
  return out;
}();

}  // namespace cwdetail

// The code of the word with the given family and text (the first such row).
// Used in constant expressions; an unknown text does not compile.
consteval std::int16_t cw(CwFamily f, std::string_view text) {
  for (const auto& c : codewords)
    if (c.family == f && c.text == text) return c.code;
  throw "no such code word";
}
// The executor code of a word with the given family and text.
consteval std::int16_t xcw(CwFamily f, std::string_view text) {
  for (const auto& c : codewords)
    if (c.family == f && c.text == text && c.xcode != 0) return c.xcode;
  throw "no executor code for this word";
}
consteval std::int16_t stmtcode(std::string_view keyword) { return cw(CwFamily::stmt, keyword); }
consteval std::int16_t builtincode(std::string_view name) { return cw(CwFamily::builtin, name); }

// Statement keyword list: ",GOTO,IF,DO,...,REAL,"; entry n has code n of
// `stmtcodes` and position class n of `stmtclass`.
inline constexpr std::string_view stmtlist{cwdetail::stmtlist_text.data(),
                                           cwdetail::stmtlist_text.size()};
inline constexpr std::string_view stmtclass{cwdetail::stmtclass_text.data(),
                                            cwdetail::stmtclass_text.size()};
inline constexpr auto stmtcodes = cwdetail::codesof<CwFamily::stmt>();
// Built-in list: entry k has code k of `builtincodes`.
inline constexpr std::string_view builtinlist{cwdetail::builtinlist_text.data(),
                                              cwdetail::builtinlist_text.size()};
inline constexpr auto builtincodes = cwdetail::codesof<CwFamily::builtin>();
// The tokenizer's operator lists (`xeqops`): single characters, character
// pairs and dotted words. Dotted item q takes the code of pair item q + 1.
inline constexpr std::string_view xeqopchars{cwdetail::opchars_text.data(),
                                             cwdetail::opchars_text.size()};
inline constexpr auto xeqopcodes = cwdetail::codesof<CwFamily::op>();
inline constexpr std::string_view xeqoppairs{cwdetail::pairlist_text.data(),
                                             cwdetail::pairlist_text.size()};
inline constexpr auto xeqoppaircodes = cwdetail::codesof<CwFamily::pair>();
inline constexpr std::string_view xeqopdotted = ",.LT.,.GT.,.LE.,.GE.,.EQ.,.NE.,";

// Frequently used words by name.
namespace cwd {
inline constexpr std::int16_t name = cw(CwFamily::token, "name");
inline constexpr std::int16_t number = cw(CwFamily::token, "number");
inline constexpr std::int16_t text = cw(CwFamily::token, "text");
inline constexpr std::int16_t end = cw(CwFamily::token, "end");
inline constexpr std::int16_t lparen = cw(CwFamily::op, "(");
inline constexpr std::int16_t rparen = cw(CwFamily::op, ")");
inline constexpr std::int16_t comma = cw(CwFamily::op, ",");
inline constexpr std::int16_t assign = cw(CwFamily::op, "=");
inline constexpr std::int16_t colon = cw(CwFamily::op, ":");
inline constexpr std::int16_t plus = cw(CwFamily::op, "+");
inline constexpr std::int16_t minus = cw(CwFamily::op, "-");
inline constexpr std::int16_t times = cw(CwFamily::op, "*");
inline constexpr std::int16_t divide = cw(CwFamily::op, "/");
inline constexpr std::int16_t power = cw(CwFamily::op, "^");
inline constexpr std::int16_t uminus = cw(CwFamily::unary, "-u");
inline constexpr std::int16_t uplus = cw(CwFamily::unary, "+u");
inline constexpr std::int16_t ampersand = cw(CwFamily::unary, "&");
inline constexpr std::int16_t listjoin = cw(CwFamily::word, "listjoin");
inline constexpr std::int16_t optmarker = cw(CwFamily::word, "option");
inline constexpr std::int16_t optstmt = cw(CwFamily::word, "optstmt");
inline constexpr std::int16_t labelmarker = cw(CwFamily::word, "label");
inline constexpr std::int16_t lassign = cw(CwFamily::word, "=L");
inline constexpr std::int16_t filler = cw(CwFamily::word, "filler");
}  // namespace cwd

// Option statements: number s has the compiler code 0xAC00 + 0x20 s (option
// count in the low five bits) and the executor code 0xF800 + 0x40 s.
inline constexpr int noptstmts = 21;
template <std::integral W>
constexpr bool isoptstmt(W w) {
  return (cwbits(w) & 0xFC00u) == 0xAC00u;
}
constexpr int optstmtnr(std::int16_t w) { return static_cast<int>((cwu(w) & 0x3E0u) >> 5); }
constexpr std::int16_t optstmtcode(int s) { return cwv(cwu(cwd::optstmt) + 0x20u * s); }
constexpr std::int16_t optstmtxcode(int s) {
  return cwv(cwu(xcw(CwFamily::word, "optstmt")) + 0x40u * s);
}
// An option statement of the executor form, 0xF800 + 0x40 s + count (not a
// marker of the executor form).
template <std::integral W>
constexpr bool isxoptstmt(W w) {
  return (cwbits(w) & 0xF800u) == 0xF800u && (cwbits(w) & 0xFE00u) != 0xFE00u;
}
// The number s of an option statement of the executor form.
template <std::integral W>
constexpr int xoptstmtnr(W w) {
  return static_cast<int>((cwbits(w) & 0x7C0u) >> 6);
}
// Option keyword marker: 0x9800 OR (keyword number - 1); in the executor
// form 0xFE00 OR (keyword number - 1).
template <std::integral W>
constexpr bool isoptmarker(W w) {
  return (cwbits(w) & 0xFC00u) == 0x9800u;
}
constexpr std::int16_t optmarkerof(int entry) { return cwv(cwu(cwd::optmarker) | (entry - 1)); }
// The array element words of the compiler form: a subscript (0xF400) and
// an element assignment (0xF600), each + the comma count in its nine low
// bits.
template <std::integral W>
constexpr bool issubscript(W w) {
  return (cwbits(w) & 0xFE00u) == cwu(cw(CwFamily::word, "subscript"));
}
template <std::integral W>
constexpr bool issubscriptstore(W w) {
  return (cwbits(w) & 0xFE00u) == cwu(cw(CwFamily::word, "subscript="));
}
template <std::integral W>
constexpr int subscriptcommas(W w) {
  return static_cast<int>(cwbits(w) & 0x1FFu);
}
template <std::integral W>
constexpr bool isxoptmarker(W w) {
  return (cwbits(w) & 0xFE00u) == 0xFE00u;
}
// The keyword number - 1 that a marker holds (its entry in the option
// statement's keyword list, counted from 0).
template <std::integral W>
constexpr int optmarkerentry(W w) {
  return static_cast<int>(cwbits(w) & 0x3FFu);
}
template <std::integral W>
constexpr int xoptmarkerentry(W w) {
  return static_cast<int>(cwbits(w) & 0x1FFu);
}

// Priority fields: compiler codes (bits 10 to 14), executor codes (11 to 14).
constexpr int cwprio(std::int16_t w) { return static_cast<int>((cwu(w) & 0x7C00u) >> 10); }
constexpr int xcwprio(std::int16_t w) { return static_cast<int>((cwu(w) & 0x7800u) >> 11); }

// The option statement names in the order of their numbers s.
constexpr std::string_view optstmtname(int s) {
  for (const auto& c : codewords)
    if (c.family == CwFamily::builtin && c.code == optstmtcode(s)) return c.text;
  return {};
}

// Code of dotted word q (1 = .LT. ... 6 = .NE.): the code of pair item q + 1.
constexpr std::int16_t dottedcode(int q) { return xeqoppaircodes[static_cast<std::size_t>(q)]; }

static_assert(cwdetail::count(CwFamily::stmt) == 19);
static_assert(builtinlist.size() == 349);
static_assert(cwdetail::count(CwFamily::builtin) == 67);
static_assert(cwdetail::count(CwFamily::op) == 12);
static_assert(cwdetail::count(CwFamily::pair) == 9);
// A list joined into a text joins as a run of one ampersand does.
static_assert(cwu(cwd::listjoin) == cwu(cwd::ampersand) + 1u);

}  // namespace core
