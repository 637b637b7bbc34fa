// Option keywords: the abbreviation matcher, the consistency check of a
// keyword list, and the compile-time check of a built-in call's options.
// The keyword lists themselves are in core/shoplists.h.
#pragma once

#include <cstdint>
#include <string_view>

#include "platform/fixed_text.h"

namespace core {

// The keyword list and type string of the built-in being compiled, blank
// padded; the lexicon fills them before it calls LEXIOPTS.
inline plat::FixedText<768> curshop;
inline plat::FixedText<256> curshoptypes;
// Line from which on unmatched-keyword messages are silenced; the largest
// 32-bit value while none is.
inline std::int32_t optmsgline = 0x7FFFFFFF;

// Entry number (from 1) of the first entry of the list that the word
// matches, 0 when none. Capital letters, digits and every other character
// that is not a lower-case letter of an entry must be typed in order;
// lower-case letters may be dropped; case is ignored. position: after a
// match the position (from 1) of the entry's first character in the list,
// after a failure one past the list's end.
std::int32_t ITEMNRINSHOP(std::string_view word, std::string_view shop, std::int32_t& position);

// Checks a keyword list: a list without framing commas shows
// "msgOptionSyntax"; every entry whose required characters select an
// earlier entry shows a box naming both. Returns the number of messages.
std::int32_t CHECKSHOP(std::string_view shop);

// Checks and recodes the options of the built-in whose name is token k of
// the current line (its "(" is token k + 1): keywords become option markers
// 0x9800 OR (entry - 1); the "=" after an "L" keyword becomes 0xBC00; the
// "=" after ERror becomes the label marker; a name given for a text option
// becomes a text token. A `DLG` call whose first word is no keyword and is
// not followed by "=" becomes the dialog function `win`. kout: the token at
// which the check stopped (the call's closing ")" when all went well).
// flags bit 0: report nothing (xeqstop is set all the same). On failure:
// xeqstop 0x7FFF, and msgkey "lOP2" (text value missing), "lOP3" (numeric),
// "lOP4" (type "C") with the detail in failedline, "bitsNoTarget" (a
// `BITS` call with nothing before its first comma or ")"), or an unmatched
// keyword "lOP1" ("lOP5" in `DLG`) shown at once.
void LEXIOPTS(std::string_view line, std::int32_t k, std::string_view shop, std::string_view types,
              std::int32_t& kout, std::int32_t flags);

// Puts the buffers and optmsgline back to their start values.
void reset_shop();

}  // namespace core
