// The statement and expression translators: put one compiled statement,
// held in `tokcod`(1..ntok) after the lexicon, into executor order in place.
//
// TRANS chooses the translator from the statement's deciding word. TRANS2
// writes the executor form (core/xform.h); a statement holding a word that
// has no executor code goes on to TRANS1, which writes the older postfix
// form: a table-driven operator-precedence pass that also checks which word
// may follow which, counts the arguments of calls and options, marks the
// kinds of assignment and records label and DO information in the value
// cells of label symbols.
#pragma once

#include <cstdint>
#include <string_view>

#include "core/messages.h"

namespace core {

// Failure numbers of the expression translator; the number of the last
// failure stays in `trans2error` (0 after a good statement).
inline constexpr std::int32_t trans2missingparen = 1002;  // "( missing"
inline constexpr std::int32_t trans2assigninbracket = 1004;
inline constexpr std::int32_t trans2unknown = 1005;
inline constexpr std::int32_t trans2leftside = 1007;
inline constexpr std::int32_t trans2typeconflict = 1008;
inline constexpr std::int32_t trans2nesting = 1009;
inline constexpr std::int32_t trans2unbalanced = 1010;
inline constexpr std::int32_t trans2stack = 1013;
// A list of the translator is full (no number of its own in the messages).
inline constexpr std::int32_t trans2full = 1014;
inline std::int32_t trans2error = 0;

// Message keys: a failure in a line of the script, and in a text that is
// no line of it (the Quicky box's expression).
inline constexpr std::string_view trans2key = MSGKEY("xeq2Trans");
inline constexpr std::string_view trans2textkey = MSGKEY("xeq2TransText");
// The key whose text stands for failure 1004.
inline constexpr std::string_view trans2bracketkey = MSGKEY("rightKlA");
// Set while the text translated is no line of the script.
inline bool freetext = false;
inline constexpr std::string_view toomanyoptionskey = MSGKEY("toomanyoptions");
// A list of values assigned to a numeric variable or to one element: a
// list fills a whole array (DATA fills elements).
inline constexpr std::string_view listtoonekey = MSGKEY("listToOne");
// Set while the text translated is the text of an XEQ whose value goes to
// a numeric variable: a list as the text's value is refused as that
// assignment written out would be.
inline bool runtextnumber = false;
// MAXLOC or MINLOC of a list with an argument over whole arrays: a
// position among the arguments that such an argument has none of.
inline constexpr std::string_view loclistkey = MSGKEY("locList");

// The text of a failure number of the expression translator ("" for none);
// failure 1004's is the key of its text in the help data.
std::string_view trans2text(std::int32_t number);

// Translates the statement whose source line is text (for messages).
// Clears `msgkey` and `ntrans`; the result stands in `tokcod`(1..ntrans),
// `xeqstop` is 0 on success and 0x7FFF on failure.
void TRANS(std::string_view text);

// The statement translator (older postfix form). On failure `xeqstop` is
// 0x7FFF and `msgkey` holds the key; the words written so far stay.
void TRANS1(std::string_view text);

// The expression translator (executor form). Hands a statement with a word
// it has no executor code for to TRANS1; a failure of that is 1008.
void TRANS2(std::string_view text);

// Puts the translators' state back to its start values.
void reset_trans();

}  // namespace core
