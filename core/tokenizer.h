// The tokenizer: splits one script line into tokens in three parallel
// arrays that every later stage of the compiler rewrites in place, and
// counts line breaks between two positions of a text.
#pragma once

#include <cstdint>
#include <span>
#include <string_view>

#include "core/messages.h"
#include "platform/fixed_text.h"
#include "platform/indexed.h"

namespace core {

// Room of the token arrays: 255 tokens and the end marker.
inline constexpr std::int32_t maxtokens = 256;

// Token k (from 1): its code, and the first and last column of its text in
// the line (a text literal: the text between its delimiters).
inline plat::Store1<std::int16_t> tokcod(maxtokens);
inline plat::Store1<std::int16_t> tokbeg(maxtokens);
inline plat::Store1<std::int16_t> tokend(maxtokens);
// Number of tokens, the end marker included.
inline std::int32_t ntok = 0;
// Message key of the last failure, blank after a good call.
inline plat::FixedText<60> tokenkey;

// Keys of the failures: a malformed number, a text literal without its
// closing delimiter (strict modes), and a line too long for the token
// arrays (more than 255 tokens, a column beyond 32767, or more number
// literals than the values array holds).
inline constexpr std::string_view invalnumkey = MSGKEY("invalNum");
inline constexpr std::string_view illegalcharkey = MSGKEY("illegalChar");
inline constexpr std::string_view toomanytokenskey = MSGKEY("tooManyTokens");

// Tokenizes the line. mode 0: lenient (no character-pair operators, no
// reports, an unmatched delimiter becomes a one-character text token);
// 1: strict and reporting; any other value: strict and silent. values[k-1]
// receives the value of number token k, 0 for names and texts; the end
// marker and operators leave their element alone. On failure `xeqstop` is
// 0x7FFF and `tokenkey` holds the key; `ntok` then counts the failing token.
void TOKEN(std::string_view text, std::span<double> values, std::int32_t& mode);

// count = the number of CR LF pairs whose CR stands at a position from
// `from` up to but not including `to`, negative when `to` lies before `from`.
void TXLIZA(std::string_view text, std::int32_t from, std::int32_t to, std::int32_t& count);

// Puts the token arrays and words back to their start values.
// The text of token i (1 to ntok) of the line it was read from; empty for
// any other i or columns outside the line.
std::string_view tokentext(std::string_view line, std::int32_t i);

void reset_tokenizer();

}  // namespace core
