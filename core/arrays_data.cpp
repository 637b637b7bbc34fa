#include "core/arrays_data.h"

#include <algorithm>

#include "core/codewords.h"
#include "core/lexicon.h"
#include "core/messages.h"
#include "core/rawmem.h"
#include "core/runwords.h"
#include "core/stores.h"
#include "core/symbols.h"
#include "core/tokenizer.h"

namespace core {

namespace {

std::int16_t codeat(std::int32_t j) { return j >= 1 && j <= ntok ? tokcod(j) : cwd::end; }

double valueat(std::int32_t j) {
  return j >= 1 && j <= std::ssize(lexvalues) ? lexvalues[static_cast<std::size_t>(j - 1)] : 0.0;
}

std::string_view textat(std::int32_t j) {
  if (j < 1 || j > ntok) return {};
  const std::int32_t b = tokbeg(j), e = tokend(j);
  if (b < 1 || e < b || e > std::ssize(lexline)) return {};
  return lexline.substr(static_cast<std::size_t>(b - 1), static_cast<std::size_t>(e - b + 1));
}

}  // namespace

double GETISSYMBR8VALUE(std::int32_t j) {
  std::int32_t s = 0;
  if (codeat(j) == cwd::name && FINDSN(textat(j), s, 0x80) && z.valid(s)) return z(s);
  return valueat(j);
}

bool ALLOCARRAY(std::int32_t mode) {
  const std::int32_t k = lexk;
  std::int64_t rows = 0, cols = 0;
  if (codeat(k + 1) == cwd::lparen) {
    if (codeat(k + 3) == cwd::rparen) {
      rows = 1;
      cols = nearesti4(GETISSYMBR8VALUE(k + 2));
    } else {
      rows = nearesti4(GETISSYMBR8VALUE(k + 2));
      cols = nearesti4(GETISSYMBR8VALUE(k + 4));
    }
  }
  const std::int64_t count = rows * cols;
  zshape = {static_cast<std::int32_t>(rows), static_cast<std::int32_t>(cols)};
  // A dimension below 1 takes no block; neither does a count beyond the store.
  const bool good = rows >= 1 && cols >= 1 && count <= nzlimit;
  lexcount = good ? static_cast<std::int32_t>(count) : 0;
  if (mode < 0 || !good) return good;

  std::int32_t first = nztop - lexcount;
  if (first < nsym + nzreserve) {
    std::int32_t extra = std::max(nz, lexcount);
    if (!REALLOC(3, extra)) return false;
    first = nztop - lexcount;
  }
  nztop = first;
  for (std::int32_t i = first; i < first + lexcount; ++i) z(i) = 0.0;
  lexblock = first;
  return true;
}

std::int32_t LEXDAT(std::int32_t& k) {
  const std::int32_t open = k;
  // The target: a name, or an element name(col) / name(row, col).
  std::int32_t nametok = open - 1, row = 1, col = 1;
  bool indexed = false, tworow = false;
  if (codeat(open - 1) == cwd::rparen) {
    indexed = true;
    col = nearesti4(valueat(open - 2));
    if (codeat(open - 3) == cwd::comma) {
      tworow = true;
      row = nearesti4(valueat(open - 4));
      nametok = open - 6;
    } else {
      nametok = open - 4;
    }
  }
  const std::int32_t sym = codeat(nametok);
  std::int32_t first = 0, last = 0;
  const std::int32_t t = sym >= 1 ? NAMTYP(sym, 0xFFFF) & ~0x20 : 0;
  if (t == 0x80) {
    first = last = sym;
  } else if (t == 0x10) {
    std::int32_t rows = 0, cols = 0;
    TRANSFERR8TO2I4(z(sym), rows, cols);
    const std::int32_t block = name(sym).adr;
    last = block + rows * cols - 1;
    first = block;
    if (indexed) {
      if (row < 1 || col < 1) {
        msgkey.set(MSGKEY("dataError"));
        k = open;
        return 1;
      }
      // An element past the array (a row or column past its dimension, a
      // single index past its cells) is refused before any number is
      // stored; the offset is worked out in 64 bits, whatever the line says.
      const std::int64_t cells = static_cast<std::int64_t>(rows) * cols;
      if (tworow ? row > rows || col > cols : col > cells) {
        msgkey.set(MSGKEY("dataIndex"));
        k = open;
        return 1;
      }
      first = block + static_cast<std::int32_t>(static_cast<std::int64_t>(row - 1) * cols + col - 1);
    }
    if (block < 1) first = last + 1;  // no storage (an array dummy): nothing to fill
  }

  bool negative = false;
  for (std::int32_t j = open + 1;; ++j) {
    k = j;
    const std::int16_t c = codeat(j);
    if (c == cwd::divide) return 0;
    if (first > last && first != 0) {
      if (c == cwd::end || j >= ntok) return 0;
      continue;
    }
    if (c == cwd::uminus || c == cwd::minus) {
      negative = true;
    } else if (c == cwd::comma) {
      negative = false;
    } else if (c == cwd::number) {
      if (first == 0) {
        msgkey.set(MSGKEY("dataError"));
        return 1;
      }
      const double v = valueat(j);
      z(first) = negative ? -v : v;
      ++first;
    } else {
      msgkey.set(MSGKEY("DATA"));
      return 1;
    }
  }
}

}  // namespace core
