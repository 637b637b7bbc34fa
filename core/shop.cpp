#include "core/shop.h"

#include <algorithm>
#include <string>

#include "core/chars.h"
#include "core/codewords.h"
#include "core/messages.h"
#include "core/runwords.h"
#include "core/shoplists.h"
#include "core/symbols.h"
#include "core/tokenizer.h"

namespace core {

namespace {

bool islower(char c) { return c >= 'a' && c <= 'z'; }
char fold(char c) { return islower(c) ? static_cast<char>(c - 32) : c; }
bool isrequired(char c) { return c == '$' || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9'); }

// The line from the first column of token from to the last column of token to.
std::string_view linespan(std::string_view line, std::int32_t from, std::int32_t to) {
  from = std::max(from, 1);
  std::int32_t b = std::max<std::int32_t>(tokbeg(from), 1);
  std::int32_t e = std::min<std::int32_t>(tokend(to), static_cast<std::int32_t>(line.size()));
  if (e < b) return {};
  return line.substr(static_cast<std::size_t>(b - 1), static_cast<std::size_t>(e - b + 1));
}

}  // namespace

std::int32_t ITEMNRINSHOP(std::string_view word, std::string_view shop, std::int32_t& position) {
  const std::size_t len = shop.size();
  enum class Outcome { match, skip, atcomma, end };
  // Matches the word against the entry that starts at k; k ends on the
  // character where the decision fell.
  auto entry = [&](std::size_t& k) {
    std::size_t j = 0;
    for (;;) {
      if (j == word.size()) {
        // The word is used up: the rest of the entry must be optional.
        while (k < len && shop[k] != ',' && !isrequired(shop[k])) ++k;
        if (k >= len) return Outcome::end;
        return shop[k] == ',' ? Outcome::match : Outcome::skip;
      }
      const char w = fold(word[j++]);
      for (;;) {
        if (k >= len) return Outcome::end;
        const char c = shop[k];
        if (c == ',') return Outcome::atcomma;
        ++k;
        if (fold(c) == w) break;
        if (!islower(c)) return Outcome::skip;
      }
    }
  };

  std::size_t i = shop.find(',');
  std::int32_t count = 0;
  while (i != std::string_view::npos && i < len) {
    ++count;
    std::size_t k = i + 1;
    switch (entry(k)) {
      case Outcome::match:
        position = static_cast<std::int32_t>(i) + 2;
        return count;
      case Outcome::end:
        i = len;
        break;
      case Outcome::atcomma:
        i = k;  // the entry's closing comma opens the next entry
        break;
      case Outcome::skip:
        i = shop.find(',', k);
        break;
    }
  }
  position = static_cast<std::int32_t>(len) + 1;
  return 0;
}

std::int32_t CHECKSHOP(std::string_view shop) {
  const int trimmed = C1LEN_TRIM(shop);
  if (shop.empty() || shop.front() != ',' || trimmed < 1 || shop[trimmed - 1] != ',') {
    int answer = 0;
    MSGBOXFROMHELP("msgOptionSyntax", "DLG", answer);
    return 1;
  }
  std::int32_t messages = 0;
  std::size_t start = 1;  // first character of the entry, from 0
  while (start < static_cast<std::size_t>(trimmed)) {
    const std::size_t end = shop.find(',', start);
    if (end == std::string_view::npos || end >= static_cast<std::size_t>(trimmed)) break;
    const std::string_view entry = shop.substr(start, end - start);
    std::string shortform;
    for (char c : entry)
      if (isrequired(c) && shortform.size() < 16) shortform += c;
    if (!shortform.empty()) {
      std::int32_t pos = 0;
      ITEMNRINSHOP(shortform, shop, pos);
      if (pos != static_cast<std::int32_t>(start) + 1 && pos <= trimmed) {
        std::string text = "Short KeyWord " + shortform + " of " + std::string(entry) +
                           "|found starting in|" +
                           std::string(shop.substr(static_cast<std::size_t>(pos - 1)));
        int answer = 0;
        MESSAGEBOX("!", text, answer);
        ++messages;
      }
    }
    start = end + 1;
  }
  return messages;
}

void LEXIOPTS(std::string_view line, std::int32_t k, std::string_view shop, std::string_view types,
              std::int32_t& kout, std::int32_t flags) {
  std::int32_t depth = 1, entry = 0;
  bool expectkw = true, kwseen = false;
  char type = ' ';
  compnote.blank();
  const bool dlg = (k >= 1 && k <= ntok && tokcod(k) == builtincode("DLG")) ||
                   shop.substr(0, static_cast<std::size_t>(C1LEN_TRIM(shop))) == dlgshop;
  // The first argument of BITS is its target, an operand, not a keyword:
  // it passes unchecked up to the comma that ends it.
  bool target =
      (k >= 1 && k <= ntok && tokcod(k) == builtincode("BITS")) ||
      shop.substr(0, static_cast<std::size_t>(C1LEN_TRIM(shop))) == shoplist(OptStmt::BITS).shop;
  auto typeof_entry = [&](std::int32_t n) {
    return n >= 1 && static_cast<std::size_t>(n) <= types.size() ? types[n - 1] : ' ';
  };

  std::int32_t i = k + 2;
  for (; i <= ntok - 1; ++i) {
    const std::int16_t code = tokcod(i);
    if (target) {
      if (i == k + 2 && (code == cwd::rparen || code == cwd::comma)) {
        // Nothing written before the first comma or the ")": BITS has no
        // target to work on.
        msgkey.set(MSGKEY("bitsNoTarget"));
        failedline.set(linespan(line, k, i));
        compnote.set("invalid: " + std::string(failedline.view().substr(0, 55)));
        xeqstop = stops::error;
        kout = i;
        return;
      }
      if (code == cwd::lparen) ++depth;
      if (code == cwd::rparen && --depth == 0) break;
      if (code == cwd::comma && depth == 1) target = false;
      continue;
    }
    if (code == cwd::lparen) {
      ++depth;
      continue;
    }
    if (code == cwd::rparen) {
      --depth;
      expectkw = false;
      if (depth == 0) break;
      if (depth == 1) type = ' ';
      continue;
    }
    if (code == cwd::comma) {
      if (depth == 1) {
        if (type != ' ') break;  // a value is missing
        if (kwseen) {
          expectkw = true;
          kwseen = false;
        }
      }
      continue;
    }
    if (code == cwd::assign) {
      if (type == 'L') {
        tokcod(i) = cwd::lassign;
        type = ' ';
      }
      continue;
    }
    const bool nextisassign = i + 1 <= ntok && tokcod(i + 1) == cwd::assign;
    if (expectkw) {
      std::int32_t pos = 0;
      const std::string_view word = tokentext(line, i);
      const std::int32_t n = ITEMNRINSHOP(word, shop, pos);
      if (n > 0) {
        tokcod(i) = optmarkerof(n);
        expectkw = false;
        kwseen = true;
        entry = n;
        type = typeof_entry(n);
        continue;
      }
      if (dlg && i == k + 2 && !nextisassign) {
        tokcod(k) = builtincode("win");
        kout = i;
        return;
      }
      // The message value words are left alone: no answer to this message
      // stops a whole-script compile; 99 only silences later messages.
      if ((flags & 1) == 0) {
        const std::string_view key = dlg ? MSGKEY("lOP5") : MSGKEY("lOP1");
        if (xeqline < optmsgline) {
          optmsgline = 0x7FFFFFFF;
          std::string what(tokentext(line, k));
          what += "()";
          std::string w(word);
          std::int16_t lineno[1] = {static_cast<std::int16_t>(xeqline)};
          HelpValues v;
          v.halves = lineno;
          v.text = what;
          v.characters = w;
          v.count = static_cast<int>(w.size());
          int answer = 0;
          HELP(key, answer, v);
          if (answer == 99) optmsgline = xeqline;
        }
      }
      xeqstop = stops::error;
      kout = i;
      return;
    }
    // A value: checked at depth 1 unless it is an array element or a call.
    if (depth != 1 || (i + 1 <= ntok && tokcod(i + 1) == cwd::lparen)) continue;
    if (type == 'S') {
      if (code == cwd::name) {
        tokcod(i) = 0x40;
        if ((xeqmode & runmode::analysis) == 0 && compnote.is_blank()) {
          std::string note = "not string: ";
          note += linespan(line, i - 2, i).substr(0, 52);
          compnote.set(note);
        }
      } else if ((code & 0x40) == 0) {
        break;
      }
    } else if (type == 'N') {
      if (entry == 1) {
        if (tokcod(i - 1) == cwd::assign) tokcod(i - 1) = cwd::labelmarker;
      } else if (code == cwd::uminus || code == cwd::uplus) {
        continue;  // the sign keeps the type: the token after it is checked
      } else if ((code & 0x80) == 0) {
        break;
      }
    } else if (type == 'C') {
      tokcod(i) = 4;
    }
    type = ' ';
  }
  kout = std::min(i, ntok);

  if (type == ' ') return;
  const std::string_view key = type == 'S'   ? MSGKEY("lOP2")
                               : type == 'C' ? MSGKEY("lOP4")
                                             : MSGKEY("lOP3");
  msgkey.set(key);
  failedline.set(linespan(line, kout - 2, kout));
  std::string note = "invalid: ";
  note += failedline.view().substr(0, 55);
  compnote.set(note);
  xeqstop = stops::error;
}

void reset_shop() {
  curshop.blank();
  curshoptypes.blank();
  optmsgline = 0x7FFFFFFF;
}

}  // namespace core
