// The compile-time check of an ALIAS call: keyword order and types, and the
// marks that make the lexicon create new names as views.
#include <string>

#include "core/chars.h"
#include "core/codewords.h"
#include "core/commalists.h"
#include "core/lexicon.h"
#include "core/runwords.h"
#include "core/stores.h"
#include "core/tokenizer.h"

namespace core {

namespace {

}  // namespace

std::int32_t ALIASLEX(std::string_view line, std::int32_t mode) {
  if (mode & 1) return 0;
  // The symbol names in symbol order, upper case, as FINDSTN reads them.
  std::string names(static_cast<std::size_t>(std::max(c1top, 0)), ' ');
  for (std::int32_t i = 1; i <= c1top && c1namen.valid(i); ++i)
    names[static_cast<std::size_t>(i - 1)] = c1namen(i);
  UPCASE(names);

  std::int32_t s = 0, count = 0;
  bool numericbase = false;
  std::int64_t last = 2147483647;
  auto fail = [&](std::int32_t i, std::int32_t err, std::string_view msg) {
    xeqstop = err;
    iostatw[1] = static_cast<std::int16_t>(err);
    std::string note(tokentext(line, i));
    note += ": ";
    note += msg;
    compnote.set(note);
    msgkey.set(MSGKEY("AliasErr"));
    return count;
  };

  for (std::int32_t i = 1; i <= ntok; ++i) {
    if (!isoptmarker(tokcod(i))) continue;
    const int o = static_cast<int>(cwu(tokcod(i)) & 0x1Fu);
    const std::int32_t v = i + 2;
    const std::string_view word = tokentext(line, v);
    const std::int32_t k = v <= ntok && !word.empty()
                               ? FINDSTN(names, word, static_cast<std::int32_t>(word.size()))
                               : 0;
    auto mark = [&](std::int16_t code) {
      if (v <= ntok) tokcod(v) = code;
    };
    if (o == 1) {
      if (s != 0) return fail(i, 3802, "Base not option 1");
      s |= 2;
      if (k >= 1) {
        numericbase = (name(k).type & 0x40) == 0;
        if (numericbase) last = 0;
      } else {
        numericbase = true;
        mark(0x810);
      }
      continue;
    }
    if ((s & 2) == 0) return fail(i, 3806, "First keyword must be Base=...");
    if (o == 2) {
      if (s != 2) return fail(i, 3803, "Index1 not option 2");
      continue;
    }
    if (numericbase) {
      switch (o) {
        case 3:
          if ((s & 0x3F6) != 2) return fail(i, 3805, "Here: Number(s) only after Base");
          if (k == last + 1 || k == 0 || last == 0) {
            ++count;
            last = k;
          } else {
            return fail(i, 3804, "arguments not aligned (reCompile needed)");
          }
          break;
        case 4:
        case 5:
        case 10:
          mark(0x810);
          s |= o == 4 ? 0x10 : o == 5 ? 0x20 : 0x400;
          break;
        case 6:
        case 7:
          break;
        default:
          return fail(i, 3806, "no type match with Base, or invalid position");
      }
    } else {
      switch (o) {
        case 8:
        case 10:
          mark(0x840);
          s |= o == 8 ? 0x100 : 0x400;
          break;
        case 9:
          break;
        default:
          return fail(i, 3807, "no type match with Base, or invalid position");
      }
    }
  }
  return count;
}

}  // namespace core
