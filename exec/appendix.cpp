#include "exec/appendix.h"

#include <algorithm>
#include <string>

#include "core/editbuffer.h"
#include "core/rawmem.h"
#include "core/runwords.h"
#include "core/search.h"
#include "core/stores.h"
#include "core/symbols.h"
#include "exec/tempstrings.h"

namespace exec {

namespace {

using core::c1edit;
constexpr char cr = '\r', lf = '\n';

bool editallocated() {
  return c1edit.size() > 0 && core::c1editend >= 1 && c1edit.valid(core::c1editend);
}

// Line number (from 1) of the line holding the position.
std::int32_t lineat(std::int32_t pos) {
  std::int32_t line = 1;
  for (std::int32_t k = 1; k < pos; ++k)
    if (c1edit(k) == lf) ++line;
  return line;
}

// The text of a character operand: a symbol or minus a temporary string.
bool operandtext(std::int32_t op, std::string& out) {
  std::int32_t first = 0, last = 0;
  if (op < 0) {
    if (-op > ntemps) return false;
    first = tmpbeg(-op);
    last = tmpend(-op);
  } else if (core::ISCHARCHECKED(op, first, last) <= 0) {
    return false;
  }
  out.clear();
  for (std::int32_t i = first; i <= last && core::c1namen.valid(i); ++i) out += core::c1namen(i);
  return true;
}

std::int32_t operandint(std::int32_t op) {
  if (op < 1 || !core::z.valid(op)) return 0;
  return core::nearesti4(core::z(op));
}

}  // namespace

bool FINDAPPENDIXBLOCK(std::string_view nm, std::int32_t& first, std::int32_t& last,
                       std::int32_t& start, std::int32_t& end) {
  first = last = start = end = 0;
  while (!nm.empty() && nm.back() == ' ') nm.remove_suffix(1);
  if (!editallocated() || nm.size() <= 1) return false;
  const std::string pattern = std::string("\r\n") + std::string(nm);
  const std::string_view text(c1edit.data(), static_cast<std::size_t>(core::c1editend));
  int notfound = 0;
  const int at = core::SEARCH(text, pattern, 1, core::c1editend, core::so_case, notfound);
  if (notfound != 0 || at < 1) return false;
  start = at + 2;
  const std::int32_t head = lineat(start);
  first = head + 1;
  // Walk the body: lines that start with a blank, and empty lines.
  std::int32_t line = head, pos = start;
  for (;;) {
    while (pos <= core::c1editend && c1edit(pos) != lf) ++pos;
    if (pos >= core::c1editend) break;  // the text ends with this line
    const char next = c1edit(pos + 1);
    if (next != ' ' && next != cr) break;
    ++line;
    ++pos;
  }
  last = line;
  end = std::min(pos, core::c1editend);
  return true;
}

void MENUA_E(std::string_view text, std::int32_t& first, std::int32_t& last) {
  const auto blank = text.find(' ');
  std::string_view nm = blank == std::string_view::npos ? text : text.substr(0, blank);
  std::int32_t start = 0, end = 0;
  FINDAPPENDIXBLOCK(nm, first, last, start, end);
}

std::int32_t APPENDIX(std::span<std::int32_t> stack, std::int32_t& top, std::int32_t nargs) {
  nargs = std::clamp<std::int32_t>(
      nargs, 0, std::min<std::int32_t>(top, static_cast<std::int32_t>(stack.size())));
  auto arg = [&](std::int32_t j) { return stack[static_cast<std::size_t>(top - nargs + j - 1)]; };
  auto fail = [&](std::string_view key) {
    core::msgkey.set(key);
    core::xeqstop = core::stops::error;
    top -= nargs;
    return core::xeqstop;
  };
  std::string nm;
  if (nargs < 1 || !operandtext(arg(1), nm)) return fail(appendixkeys::nonchar);
  if (nm.size() > 256) nm.resize(256);
  std::int32_t first = 0, last = 0, start = 0, end = 0;
  if (!FINDAPPENDIXBLOCK(nm, first, last, start, end)) {
    core::failedline.set(nm);
    return fail(appendixkeys::notfound);
  }

  // Lines wanted: 0 is the head line, 1 the first body line.
  std::int32_t lo = 0, hi = 2147483647;
  if (nargs == 2) {
    lo = hi = operandint(arg(2));
  } else if (nargs >= 3) {
    lo = operandint(arg(nargs - 1));
    hi = operandint(arg(nargs));
  }
  // Room for the whole block above the temporaries.
  const std::int32_t size = end - start + 1;
  while (static_cast<long long>(core::c1tmptop) + size >= core::c1limit ||
         !core::c1namen.valid(core::c1tmptop + size)) {
    std::int32_t extra = static_cast<std::int32_t>(
        std::max<long long>(static_cast<long long>(core::c1tmptop) + size - core::c1limit + 1, 0) +
        5000);
    if (!core::REALLOC(5, extra)) return fail(core::storelimitkey);
  }
  const std::int32_t base = core::c1tmptop + 1;
  std::int32_t out = base - 1, line = 0;
  bool linestart = false;
  for (std::int32_t pos = start; pos <= end; ++pos) {
    const char c = c1edit(pos);
    if (linestart) {
      linestart = false;
      if (c != cr) continue;  // the leading blank of a body line
    }
    if (line >= lo && line <= hi) core::c1namen(++out) = c;
    if (c == lf) {
      ++line;
      linestart = true;
      if (line > hi) break;
    }
  }
  core::c1tmptop = base + size - 1;
  const std::int32_t res = core::iresult;
  if (res >= 1 && core::z.valid(res) && core::name.valid(res)) {
    core::TRANSFER2I4TOR8(base, out, core::z(res));
    core::name(res).type = 0x48;
  }
  top -= nargs;
  stack[static_cast<std::size_t>(top)] = res;
  ++top;
  return 0;
}

std::int32_t APPENDIX(std::int32_t nargs) {
  const std::int32_t base = core::xeqstackbase;
  const std::int32_t n = core::xeqstackptr - base;
  if (n < 0 || !core::adrs.valid(base + 1) || !core::adrs.valid(core::xeqstackptr)) {
    core::msgkey.set(appendixkeys::nonchar);
    core::xeqstop = core::stops::error;
    return core::xeqstop;
  }
  std::span<std::int32_t> stack(core::adrs.ptr(base + 1), static_cast<std::size_t>(n));
  std::int32_t top = n;
  const std::int32_t r = APPENDIX(stack, top, nargs);
  core::xeqstackptr = base + top;
  return r;
}

}  // namespace exec
