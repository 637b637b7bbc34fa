#include "core/lexicon_use.h"

#include <vector>

#include "core/codewords.h"
#include "core/lexicon.h"
#include "core/messages.h"
#include "core/runwords.h"
#include "core/stores.h"
#include "core/symbols.h"
#include "core/tokenizer.h"

namespace core {

namespace {

std::int16_t codeat(std::int32_t j) { return j >= 1 && j <= ntok ? tokcod(j) : cwd::end; }

// The symbol named word that belongs to local subroutine sub, 0 when none.
std::int32_t memberof(std::int32_t sub, std::string_view word) {
  for (std::int32_t k = 1; k <= nsym; ++k) {
    if (k == sub || name(k).scope != sub || name(k).type == 0x41) continue;
    if (ELMNT_IS_NAMENI(word, k)) return k;
  }
  return 0;
}

bool fail(std::string_view key) {
  msgkey.set(key);
  return false;
}

}  // namespace

bool addusedsymbol(std::int32_t sub, std::int32_t sym) {
  std::int32_t p = -name(sub).adr;
  if (p <= 0) {
    if (nusechain == 0) nusechain = nxeqbuf;
    if (nusechain - 1 <= nxeqused) return fail(MSGKEY("useBuffer"));
    p = nusechain;
    xeqbuf(p) = 2;
    xeqbuf(p - 1) = static_cast<std::int16_t>(sub);
    name(sub).adr = -p;
    nusechain -= 2;
  } else {
    const std::int32_t len = xeqbuf(p);
    if (p - len != nusechain) {
      // Not the lowest record: move it to the bottom of the chain.
      std::vector<std::int16_t> rec(static_cast<std::size_t>(len));
      for (std::int32_t i = 0; i < len; ++i)
        rec[static_cast<std::size_t>(i)] = xeqbuf(p - len + 1 + i);
      for (std::int32_t q = p - len; q >= nusechain + 1; --q) xeqbuf(q + len) = xeqbuf(q);
      for (std::int32_t i = 0; i < len; ++i)
        xeqbuf(nusechain + 1 + i) = rec[static_cast<std::size_t>(i)];
      UPDATEUSEBUFFER();
      p = -name(sub).adr;
    }
  }
  if (nusechain <= nxeqused) return fail(MSGKEY("useBuffer"));
  xeqbuf(nusechain) = static_cast<std::int16_t>(sym);
  --nusechain;
  ++xeqbuf(p);
  return true;
}

bool LEXUSE(std::string_view line, std::int32_t& failtok) {
  failtok = 2;
  std::int32_t sub = 0;
  if (codeat(2) != cwd::name || !FINDSN(tokentext(line, 2), sub, 4) || sub < 1 ||
      codeat(3) != cwd::colon)
    return fail(MSGKEY("useSyntax"));
  tokcod(1) = stmtcode("USE");
  tokcod(2) = static_cast<std::int16_t>(sub);

  if (lokalsub == 0 && lokalscope > 0) {
    // The current subroutine has no dummy arguments: make it local now.
    lokalsub = lokalscope;
    keeprecord(lokalsub);
    name(lokalsub).scope = static_cast<std::int16_t>(lokalsub);
    if (name(lokalsub).type == 5 && lokalsub < nsym) {
      keeprecord(lokalsub + 1);
      name(lokalsub + 1).scope = static_cast<std::int16_t>(lokalsub);
    }
  }
  if (lokalsub > 0 && keystate[1] != 59) {
    const std::int32_t cur = lokalsub;
    if (name(cur).adr > 0) return fail(MSGKEY("noFdummies"));
    for (std::int32_t j = 4; codeat(j) != cwd::end; j += 2) {
      failtok = j;
      if (codeat(j) != cwd::name) return fail(MSGKEY("useSyntax"));
      const std::int16_t sep = codeat(j + 1);
      if (sep != cwd::comma && sep != cwd::end) return fail(MSGKEY("useSyntax"));
      const std::int32_t sym = memberof(sub, tokentext(line, j));
      if (sym == 0) return fail(MSGKEY("useUnknown"));
      tokcod(j) = static_cast<std::int16_t>(sym);
      if (!uselisted(cur, sym) && !addusedsymbol(cur, sym)) return false;
    }
  }
  lexflags = 0x40000;
  return true;
}

}  // namespace core
