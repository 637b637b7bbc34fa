#include "ui/bindings.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <string>

#include "core/chars.h"
#include "core/numwrite.h"
#include "core/stores.h"
#include "core/symbols.h"
#include "exec/settingrefs.h"
#include "ui/dialogwords.h"

namespace ui {

namespace {

constexpr std::int32_t typearray = 0x10;
constexpr std::int32_t typechar = 0x40;
constexpr std::int32_t typescalar = 0x80;
constexpr std::int32_t typetemp = 0x8;

bool isarray(std::int32_t sym) { return core::NAMTYP(sym, typearray) != 0; }

// Elements of a numeric array symbol (rows times columns of its cell).
std::int64_t elementsof(std::int32_t sym) {
  const std::int64_t rows = core::I4EQUZ(1, sym), cols = core::I4EQUZ(2, sym);
  return rows > 0 && cols > 0 ? rows * cols : 0;
}

// The bytes of the program's storage kind.
std::int32_t rawwidth(std::int32_t kind) {
  switch (kind) {
    case ck::rawi1:
      return 1;
    case ck::rawi2:
      return 2;
    case ck::rawi4:
    case ck::rawr4:
      return 4;
    case ck::rawr8:
      return 8;
    default:
      return 1;
  }
}

bool readraw(const exec::BoundRef& ref, std::int32_t kind, double& value) {
  std::byte* at = exec::progplace(ref, rawwidth(kind));
  if (at == nullptr) return false;
  switch (kind) {
    case ck::rawi1: {
      std::int8_t v = 0;
      std::memcpy(&v, at, 1);
      value = v;
      return true;
    }
    case ck::rawi2: {
      std::int16_t v = 0;
      std::memcpy(&v, at, 2);
      value = v;
      return true;
    }
    case ck::rawi4: {
      std::int32_t v = 0;
      std::memcpy(&v, at, 4);
      value = v;
      return true;
    }
    case ck::rawr4: {
      float v = 0;
      std::memcpy(&v, at, 4);
      value = v;
      return true;
    }
    case ck::rawr8:
      std::memcpy(&value, at, 8);
      return true;
    default:
      return false;
  }
}

// The value rounded half away from zero, kept inside the integer type.
template <class T>
T rounded(double v) {
  if (std::isnan(v)) return 0;
  const double r = std::round(v);
  const double lo = std::numeric_limits<T>::min(), hi = std::numeric_limits<T>::max();
  return static_cast<T>(std::clamp(r, lo, hi));
}

void writeraw(const exec::BoundRef& ref, std::int32_t kind, double value) {
  std::byte* at = exec::progplace(ref, rawwidth(kind));
  if (at == nullptr) return;
  switch (kind) {
    case ck::rawi1: {
      // A byte takes -128 to 255: a palette component typed as 160 is the
      // byte 160, which reads back as -96.
      const auto v =
          static_cast<std::uint8_t>(rounded<std::int16_t>(std::clamp(value, -128.0, 255.0)));
      std::memcpy(at, &v, 1);
      break;
    }
    case ck::rawi2: {
      const auto v = rounded<std::int16_t>(value);
      std::memcpy(at, &v, 2);
      break;
    }
    case ck::rawi4: {
      const auto v = rounded<std::int32_t>(value);
      std::memcpy(at, &v, 4);
      break;
    }
    case ck::rawr4: {
      const double lim = std::numeric_limits<float>::max();
      const auto v = static_cast<float>(std::isnan(value) ? value : std::clamp(value, -lim, lim));
      std::memcpy(at, &v, 4);
      break;
    }
    case ck::rawr8:
      std::memcpy(at, &value, 8);
      break;
    default:
      break;
  }
}

// The text at a program text reference: `length` characters, cut to the
// array.
std::span<char> rawchars(const exec::BoundRef& ref, std::int32_t length) {
  const std::span<std::byte> bytes = exec::progbytes(ref.array);
  if (ref.offset < 0 || static_cast<std::size_t>(ref.offset) >= bytes.size()) return {};
  const std::size_t n = std::min<std::size_t>(static_cast<std::size_t>(std::max(length, 0)),
                                              bytes.size() - ref.offset);
  return {reinterpret_cast<char*>(bytes.data() + ref.offset), n};
}

// Reads an integer ("-" and digits) at position p (1-based) of the text;
// p moves past it. False, p unchanged, when none stands there.
bool readint(std::string_view text, std::int32_t& p, std::int32_t& value) {
  std::size_t i = static_cast<std::size_t>(p - 1);
  const std::size_t start = i;
  const bool negative = i < text.size() && text[i] == '-';
  if (negative) ++i;
  if (i >= text.size() || text[i] < '0' || text[i] > '9') return false;
  // (Held at a count beyond any store, so that the next reference's number
  // and the element arithmetic stay in range.)
  constexpr std::int64_t most = std::int64_t{1} << 30;
  std::int64_t v = 0;
  for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i)
    v = std::min<std::int64_t>(v * 10 + (text[i] - '0'), most);
  value = static_cast<std::int32_t>(negative ? -v : v);
  p = static_cast<std::int32_t>(start + (i - start)) + 1;
  return true;
}

bool failed(std::string_view what, std::int32_t number, std::string_view after) {
  valuetext.set(std::string(what) + std::to_string(number) + std::string(after));
  dlgadrerror = number != 0 ? number : -1;
  return false;
}

void numbertext(double v) {
  std::array<char, 24> t{};
  core::WTSID8(t, v, 0);
  valuetext.set(std::string_view(t.data(), t.size()));
}

// The class of the storage that SETMEMORY writes: the window's own
// variables, the control's selection text (-1) and index (-2), else the
// control's binding kind.
std::int32_t classof(const exec::BoundRef& where) {
  if (const exec::wdwrec* w = exec::wdwcur; w != nullptr && where.array == 0 && where.offset == 0) {
    const std::int32_t s = where.sym;
    if (s == w->xvar) return -3;
    if (s == w->yvar) return -4;
    if (s == w->returncodevar) return -5;
    if (s == w->handlevar) return -6;
    if (s == w->widthvar) return -7;
    if (s == w->heightvar) return -8;
    if (s == w->rowvar || s == w->colvar) return -10;
  }
  const exec::ctlrec* c = exec::ctlcur;
  if (c == nullptr) return 0;
  if (where == c->ctlseltext) return -1;
  if (where == c->ctlselidx) return -2;
  return bindkind(*c);
}

}  // namespace

std::int32_t cellof(const exec::BoundRef& ref) {
  if (ref.array != 0 || ref.sym < 1 || ref.offset < 0) return 0;
  if (isarray(ref.sym)) {
    if (ref.offset >= elementsof(ref.sym)) return 0;
    const std::int64_t cell = static_cast<std::int64_t>(core::name(ref.sym).adr) + ref.offset;
    return cell >= 1 && cell < core::z.size() ? static_cast<std::int32_t>(cell) : 0;
  }
  return ref.offset == 0 && core::z.valid(ref.sym) ? ref.sym : 0;
}

std::span<char> charsof(const exec::BoundRef& ref, std::int32_t length) {
  if (ref.array != 0) return rawchars(ref, length);
  std::int32_t first = 0, last = 0;
  if (ref.sym < 1 || ref.offset < 0) return {};
  const std::int32_t kind = core::ISCHARCHECKED(ref.sym, first, last);
  if (kind <= 0 || (kind & typechar) == 0) return {};
  const std::int64_t at = static_cast<std::int64_t>(first) + ref.offset;
  if (first < 1 || at > last || !core::c1namen.valid(last)) return {};
  const std::int64_t n = std::min<std::int64_t>(std::max(length, 0), last - at + 1);
  return {core::c1namen.ptr(at), static_cast<std::size_t>(n)};
}

exec::BoundRef refofcell(std::int32_t cell) {
  if (cell < 1 || !core::z.valid(cell)) return {};
  if (cell <= core::nsym) {
    const std::int32_t t = core::NAMTYP(cell, typescalar | typetemp);
    return (t & typescalar) != 0 && (t & typetemp) == 0 ? exec::BoundRef{0, cell, 0}
                                                        : exec::BoundRef{};
  }
  if (cell < core::nztop) return {};  // a temporary of the statement
  for (std::int32_t s = 1; s <= core::nsym; ++s) {
    if (!isarray(s) || core::NAMTYP(s, typetemp) != 0) continue;
    const std::int64_t first = core::name(s).adr;
    if (cell >= first && cell < first + elementsof(s))
      return {0, s, static_cast<std::int32_t>(cell - first)};
  }
  return {};
}

bool FINDADR(std::string_view text, std::int32_t from, std::int32_t& to, RefState& state,
             std::int32_t nargs, std::span<const std::int32_t> args, Resolved& out) {
  dlgadrerror = 0;
  out = Resolved{};
  valuetext.blank();
  if (state.indexgiven) {
    ++state.index;
  } else {
    state.index = 1;
    ++state.n;
  }
  to = from;
  std::int32_t p = from, number = 0;
  bool endgiven = false;
  std::int32_t end = 0;
  if (readint(text, p, number)) {
    state.n = number;
    if (number != lastscriptparam) state.index = 1;
    state.indexgiven = false;
    to = p - 1;
    if (static_cast<std::size_t>(p) <= text.size() && text[p - 1] == '.') {
      std::int32_t q = p + 1, index = 0;
      state.indexgiven = true;
      if (readint(text, q, index)) {
        state.index = index;
        to = q - 1;
        if (static_cast<std::size_t>(q) <= text.size() && text[q - 1] == ':') {
          std::int32_t r = q + 1;
          if (readint(text, r, end)) {
            endgiven = true;
            to = r - 1;
          }
        }
      } else {
        to = p;
      }
    }
  }
  // An index below 1 counts as 1; an end stops at the storage's end.
  const std::int32_t index = std::max(state.index, 1);
  const auto span = [&](std::int64_t available) {
    std::int64_t n = available;
    if (endgiven) n = std::min<std::int64_t>(n, std::max<std::int64_t>(end - index + 1, 0));
    return static_cast<std::int32_t>(std::max<std::int64_t>(n, 0));
  };
  const std::int32_t n = state.n;

  if (n <= 0) {
    std::int32_t type = 0, length = 1;
    double value = 0.0;
    exec::BoundRef where;
    if (!exec::ABSOLUTEADRESS(n, state.index, value, type, length, where)) return true;
    out = {type, where, length, value};
    if (type == exec::rawtype::text) {
      const std::span<char> t = rawchars(where, length);
      valuetext.set(std::string_view(t.data(), t.size()));
    } else {
      numbertext(value);
    }
    return true;
  }

  if (nargs == programcaller || nargs == programcallernone) {
    if (n >= 8) {
      if (nargs == programcallernone) return true;
      valuetext.set("HELP file|Type Declaration MUST be in *n.index with 1 <= n <= 6");
      dlgadrerror = n;
      return false;
    }
    static constexpr std::int32_t kinds[7] = {ck::rawi1, ck::rawi2,   ck::rawi4,   ck::rawr4,
                                              ck::rawr8, ck::rawtext, ck::rawchars};
    const std::int32_t kind = kinds[n - 1];
    const std::int32_t array = exec::progarray::firstparameter + n - 1;
    const std::span<std::byte> bytes = exec::progbytes(array);
    if (kind == ck::rawtext || kind == ck::rawchars) {
      const exec::BoundRef where{array, 0, index - 1};
      const std::int64_t left = static_cast<std::int64_t>(bytes.size()) - (index - 1);
      out = {kind, where, span(std::max<std::int64_t>(left, 0)), 0.0};
      const std::span<char> t = rawchars(where, out.length);
      valuetext.set(std::string_view(t.data(), t.size()));
    } else {
      const std::int32_t w = rawwidth(kind);
      const std::int64_t left = static_cast<std::int64_t>(bytes.size()) / w - (index - 1);
      const exec::BoundRef where{array, 0, left > 0 ? (index - 1) * w : 0};
      out = {kind, where, span(std::max<std::int64_t>(left, 0)), 0.0};
      readraw(where, kind, out.value);
      numbertext(out.value);
    }
    return true;
  }

  if (n > nargs || n > static_cast<std::int32_t>(args.size()))
    return failed("No Parameter Nr ", n, "| in Parameter list");
  const std::int32_t s = args[static_cast<std::size_t>(n - 1)];
  lastscriptparam = n;
  std::int32_t first = 0, last = 0;
  if ((core::ISCHAR(s, first, last) & typechar) != 0) {
    if (first < 1 || index > last - first + 1)
      return failed("String index ", index, " beyond string end");
    out.kind = ck::character;
    const std::int32_t rest = last - (first + index - 1) + 1;
    out.length = span(rest);
    // The value text holds the characters to the end of the variable.
    const std::span<char> t =
        core::c1namen.valid(first + index - 1)
            ? std::span<char>(core::c1namen.ptr(first + index - 1), static_cast<std::size_t>(rest))
            : std::span<char>();
    valuetext.set(std::string_view(t.data(), std::min<std::size_t>(t.size(), 256)));
    if (core::NAMTYP(s, typechar | typetemp) == typechar) out.where = {0, s, index - 1};
    return true;
  }
  if (isarray(s)) {
    const std::int64_t count = elementsof(s);
    if (index > count) return failed("Array index ", index, " beyond array end");
    out.kind = ck::element;
    out.where = {0, s, index - 1};
    out.length = span(count - index + 1);
    const std::int32_t cell = cellof(out.where);
    out.value = cell > 0 ? core::z(cell) : 0.0;
    numbertext(out.value);
    return true;
  }
  if (s > 0 && core::z.valid(s)) {
    out.kind = ck::numeric;
    out.value = core::z(s);
    if (core::NAMTYP(s, typetemp) == 0) out.where = {0, s, 0};
    numbertext(out.value);
  }
  return true;
}

exec::ctlrec* WINDOWITEM(win::HWND window, std::int32_t id, std::int32_t& position) {
  exec::FINDWINDOW(window);
  position = 0;
  exec::ctlcur = nullptr;
  if (exec::wdwcur == nullptr) return nullptr;
  for (exec::ctlrec* c = exec::wdwcur->firstcontrol; c != nullptr; c = c->ctlnext) {
    ++position;
    if (c->ctlid == id) {
      exec::ctlcur = c;
      return c;
    }
  }
  return nullptr;
}

bool GETMEMORY(double& value, std::span<char> text) {
  const exec::ctlrec* c = exec::ctlcur;
  if (c == nullptr || !c->ctlbind.bound()) return false;
  const std::int32_t kind = bindkind(*c);
  switch (kind) {
    case 2:
    case 6:
    case ck::element: {
      const std::int32_t cell = cellof(c->ctlbind);
      if (cell < 1) return false;
      value = core::z(cell);
      return true;
    }
    case ck::character:
    case ck::rawtext:
    case ck::rawchars: {
      const std::span<char> t = charsof(c->ctlbind, c->ctllen);
      if (t.empty() && c->ctllen > 0) return false;
      core::C1TOSTRI(std::string_view(t.data(), t.size()), text);
      return true;
    }
    case ck::rawi1:
    case ck::rawi2:
    case ck::rawi4:
    case ck::rawr4:
    case ck::rawr8:
      return readraw(c->ctlbind, kind, value);
    default:
      return false;
  }
}

void SETMEMORY(const exec::BoundRef& where, double value, std::string_view text) {
  if (!where.bound()) return;
  const std::int32_t cls = classof(where);
  const exec::ctlrec* c = exec::ctlcur;
  const bool memorybound = exec::wdwcur != nullptr && (exec::wdwcur->nowriteback & 1) != 0;
  const auto puttext = [&](std::int32_t length) { core::STRITOC1(text, charsof(where, length)); };
  if (!memorybound) {
    if ((cls >= -10 && cls <= -2) || cls == 2) {
      if (const std::int32_t cell = cellof(where); cell > 0) core::SETZTOR8(cell, value);
    } else if (cls == -1) {
      if (c != nullptr) puttext(c->ctlselend);
    } else if (cls == ck::character) {
      if (c != nullptr && (c->ctlkind & ck::buffered) == 0) puttext(c->ctllen);
    } else if (cls == ck::element || cls == (ck::element | 2)) {
      if (const std::int32_t cell = cellof(where); cell >= 1 && cell <= core::nz)
        core::z(cell) = value;
    }
    return;
  }
  switch (cls) {
    case -1:
      if (c != nullptr) puttext(c->ctlselend);
      break;
    case ck::rawi1:
    case ck::rawi2:
    case ck::rawi4:
    case ck::rawr4:
    case ck::rawr8:
      writeraw(where, cls, value);
      break;
    case ck::rawtext:
    case ck::rawchars:
      if (c != nullptr) puttext(c->ctllen);
      break;
    default:
      // A window variable of the program's own dialog is a 32-bit word.
      if (cls >= -10 && cls <= -2 && where.array != 0) writeraw(where, ck::rawi4, value);
      break;
  }
}

void reset_bindings() {
  lastscriptparam = 0;
  dlgadrerror = 0;
}

}  // namespace ui
