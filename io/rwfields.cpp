#include "io/rwfields.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "core/chars.h"
#include "core/numread.h"
#include "core/numwrite.h"
#include "core/runwords.h"
#include "io/picture.h"
#include "io/rwindx.h"
#include "io/rwtexts.h"
#include "io/timepicture.h"
#include "platform/fixedfield.h"
#include "platform/numedit.h"
#include "platform/shortmoves.h"
#include "platform/stdformat.h"

namespace io::rwf {

namespace {

constexpr double two63 = 9223372036854775808.0;

std::string_view trimmed(std::string_view s) {
  while (!s.empty() && s.back() == ' ') s.remove_suffix(1);
  return s;
}

bool blankfield(std::string_view f) { return f.find_first_not_of(' ') == std::string_view::npos; }

std::string_view view(std::span<char> s) { return {s.data(), s.size()}; }

// The descriptor of the standard format in `fmtwork`: "(", an optional
// repeat count, one descriptor.
bool stddesc(plat::EditDesc& e) {
  const std::string_view f = fmtwork.trimmed();
  std::size_t i = 0;
  while (i < f.size() &&
         (f[i] == '(' || f[i] == ' ' || f[i] == ',' || (f[i] >= '0' && f[i] <= '9')))
    ++i;
  return plat::parse_edit_desc(f, i, e);
}

// The same for the descriptor in hand, parsed once a call.
bool stddesc(const Call& c, plat::EditDesc& e) {
  if (!c.stdknown) return stddesc(e);
  e = c.std;
  return c.stdok;
}

// The descriptor in hand as written, for the conversions that need no
// more than its letter, width and decimals.
plat::EditDesc plaindesc(const FmtDescr& d, std::int32_t w) {
  plat::EditDesc e;
  e.letter = d.letter;
  e.width = w;
  e.digits = d.decimals;
  return e;
}

// Right-aligns a conversion's text in the field; false when it is longer.
bool putfield(std::span<char> field, std::string_view s) {
  if (s.size() > field.size()) return false;
  std::fill(field.begin(), field.end(), ' ');
  std::copy(s.begin(), s.end(), field.end() - static_cast<std::ptrdiff_t>(s.size()));
  return true;
}

void stars(std::span<char> field) { std::fill(field.begin(), field.end(), '*'); }

void readfailure(const Call& c, std::string_view field) {
  if (blankfield(field)) {
    *c.num = 0.0;
    return;
  }
  c.fail('F');
  std::string t = "\"";
  t += trimmed(field);
  t += "\" is incompatible with FMT = \"";
  t += fmtwork.trimmed();
  t += '"';
  rwdetail.set(t);
}

// A number read from the field by the plain reader; false when none.
bool plainread(std::string_view field, double& v) {
  std::int32_t pos = 1, st = 0;
  double r = 0.0;
  core::GETR8N(field, static_cast<std::int32_t>(field.size()), r, pos, st);
  if (st != 0) return false;
  v = r;
  return true;
}

// E, F, G (and the number pictures of templates).
void realfield(const Call& c, std::span<char> field) {
  plat::EditDesc e;
  const bool parsed = stddesc(c, e);
  if (!c.writing) {
    double v = 0.0;
    bool ok = false;
    if (parsed && e.letter == 'I') {
      std::int64_t i = 0;
      ok = plat::get_integer(view(field), e, i) == plat::field_ok;
      v = static_cast<double>(i);
    } else if (parsed) {
      ok = plat::get_real(view(field), e, v) == plat::field_ok;
    }
    if (ok || plainread(view(field), v)) {
      *c.num = v;
    } else {
      readfailure(c, view(field));
    }
    return;
  }
  int st = plat::field_unsuited;
  std::string out;
  if (parsed && e.letter == 'I') {
    const double t = std::trunc(*c.num);
    if (std::fabs(t) < two63) out = plat::put_integer(static_cast<std::int64_t>(t), e, 64, &st);
  } else if (parsed && e.letter == 'F' && e.digits >= 0 &&
             static_cast<std::size_t>(std::max(e.width, 0)) == field.size() &&
             plat::edit_fixed_into(*c.num, e.digits, field)) {
    return;  // the common F field, edited in place
  } else if (parsed) {
    out = plat::put_real(*c.num, e, &st);
  }
  if (st != plat::field_ok || !putfield(field, out)) core::WTSID8(field, *c.num, 0);
}

}  // namespace

// I, O, Z and B of a number.
// The decimal digits of an I field of the field's own width made in place,
// as the integer editor makes them (at least m digits, stars when they do
// not fit); false for any other field, which the editor makes.
bool putdecimal(std::span<char> field, std::int64_t v, const plat::EditDesc& e) {
  const auto w = static_cast<std::size_t>(std::max(e.width, 0));
  if ((e.letter != 'I' && e.letter != 'G') || w < 1 || w != field.size() || e.digits > e.width)
    return false;
  std::array<char, 24> buf;
  char* const end = buf.data() + buf.size();
  const std::uint64_t mag =
      v < 0 ? 0 - static_cast<std::uint64_t>(v) : static_cast<std::uint64_t>(v);
  const char* const first = plat::put_digits_back(mag, end);
  const auto count = static_cast<std::size_t>(end - first);
  const auto m = static_cast<std::size_t>(e.digits < 0 ? 1 : e.digits);
  const std::size_t zeros = count < m ? m - count : 0;
  const std::size_t minus = v < 0 ? 1 : 0;
  const std::size_t body = minus + zeros + count;
  if (body > w) {
    stars(field);
    return true;
  }
  const std::size_t lead = w - body;
  plat::fill_short(field.data(), lead, ' ');
  if (minus != 0) field[lead] = '-';
  if (zeros != 0) plat::fill_short(field.data() + lead + minus, zeros, '0');
  plat::copy_short(field.data() + lead + minus + zeros, first, count);
  return true;
}

namespace {

void integerfield(const Call& c, std::span<char> field) {
  plat::EditDesc e;
  if (!stddesc(c, e)) e = plaindesc(c.d, static_cast<std::int32_t>(field.size()));
  if (!c.writing) {
    std::int64_t i = 0;
    if (plat::get_integer(view(field), e, i) == plat::field_ok) {
      *c.num = static_cast<double>(i);
    } else {
      readfailure(c, view(field));
    }
    return;
  }
  const double t = std::trunc(*c.num);
  if (!(t < two63 && t >= -two63)) {
    // Beyond an 8-byte integer, or not a number.
    const std::string_view eight = "********";
    std::fill(field.begin(), field.end(), ' ');
    std::copy_n(eight.begin(), std::min(eight.size(), field.size()), field.begin());
    if (c.d.letter == 'B') stars(field);
    c.fail('8');
    return;
  }
  // A B field shows what it cannot hold (a negative value, more digits than
  // it has room for) as stars and the transfer goes on; an overflowing I,
  // O or Z field fails.
  if (c.d.letter == 'B' && t < 0) {
    stars(field);
    return;
  }
  if (!putdecimal(field, static_cast<std::int64_t>(t), e) &&
      !putfield(field, plat::put_integer(static_cast<std::int64_t>(t), e, 64)))
    stars(field);
  if (c.d.letter != 'B' && !field.empty() && field[0] == '*') c.fail('9');
}

void logicalfield(const Call& c, std::span<char> field) {
  if (!c.writing) {
    bool b = false;
    if (plat::get_logical(view(field), b) == plat::field_ok) {
      *c.num = b ? 1.0 : 0.0;
    } else {
      readfailure(c, view(field));
    }
    return;
  }
  const bool b = *c.num != 0.0;  // not a number counts as true
  putfield(field, plat::put_logical(b, plaindesc(c.d, static_cast<std::int32_t>(field.size()))));
}

// i: a binary integer of w bytes, least significant first.
void binaryinteger(const Call& c, std::span<char> field) {
  const std::size_t w = field.size();
  const bool unsig = c.d.written == 'u';
  if (w != 1 && w != 2 && w != 4 && w != 8) {
    c.fail('G');
    return;
  }
  if (!c.writing) {
    std::uint64_t bits = 0;
    for (std::size_t k = w; k-- > 0;) bits = (bits << 8) | static_cast<unsigned char>(field[k]);
    const int shift = 64 - static_cast<int>(8 * w);
    if (unsig || w == 8) {
      *c.num =
          w == 8 ? static_cast<double>(static_cast<std::int64_t>(bits)) : static_cast<double>(bits);
    } else {
      *c.num = static_cast<double>(static_cast<std::int64_t>(bits << shift) >> shift);
    }
    return;
  }
  double v = *c.num;
  if (w == 1) v = std::round(std::fmod(v, 256.0));
  const double t = std::trunc(v);
  bool fits = false;
  switch (w) {
    case 8:
      fits = t < two63 && t >= -two63;
      break;
    case 4:
      fits = unsig ? t >= 0 && t <= 4294967295.0 : std::fabs(t) <= 2147483647.0;
      break;
    case 2:
      fits = unsig ? t >= 0 && t <= 65535.0 : std::fabs(t) <= 32767.0;
      break;
    default:
      fits = std::isfinite(t);
      break;
  }
  if (!fits) {
    c.fail('8');
    return;
  }
  auto bits = static_cast<std::uint64_t>(static_cast<std::int64_t>(t));
  for (std::size_t k = 0; k < w; ++k, bits >>= 8) field[k] = static_cast<char>(bits & 0xFF);
}

// f: an IEEE real of 8 or 4 bytes.
void binaryreal(const Call& c, std::span<char> field) {
  const std::size_t w = field.size();
  if (w != 4 && w != 8) {
    c.fail('G');
    return;
  }
  if (c.writing) {
    if (w == 8) {
      const auto b = std::bit_cast<std::array<char, 8>>(*c.num);
      std::copy(b.begin(), b.end(), field.begin());
    } else {
      const auto b = std::bit_cast<std::array<char, 4>>(static_cast<float>(*c.num));
      std::copy(b.begin(), b.end(), field.begin());
    }
    return;
  }
  double v = 0.0;
  if (w == 8) {
    std::array<char, 8> b{};
    std::copy(field.begin(), field.end(), b.begin());
    v = std::bit_cast<double>(b);
  } else {
    std::array<char, 4> b{};
    std::copy(field.begin(), field.end(), b.begin());
    v = std::bit_cast<float>(b);
  }
  if (std::isnan(v)) {
    v = 0.0;
    c.fail('H');
  }
  *c.num = v;
}

void timefield(const Call& c, std::span<char> field) {
  const auto from = static_cast<std::size_t>(c.d.textstart);
  const auto to = static_cast<std::size_t>(std::max(c.d.textend, c.d.textstart));
  const std::string_view picture = c.fmt.substr(from, to - from);
  double v = *c.num;
  TIMEDATEU(picture, v, field, !c.writing);
  if (!c.writing) *c.num = v;
}

// A text written in pieces of w characters, each followed by CR LF; a
// piece that does not fit is written as far as it fits, without CR LF.
void wrapped(Call& c, std::int32_t p) {
  const std::int32_t w = c.d.width;
  const auto len = static_cast<std::int32_t>(c.text.size());
  std::int32_t pos = p;
  for (std::int32_t from = 0; from < len; from += w) {
    const std::int32_t chars = std::min(w, len - from);
    const std::int32_t fit = std::min(chars, c.ltext() - pos);
    std::copy_n(c.text.begin() + from, fit, c.rec.begin() + pos);
    nodots(c.rec.subspan(static_cast<std::size_t>(pos), static_cast<std::size_t>(fit)));
    pos += fit;
    if (fit < chars || pos + 2 > c.ltext()) {
      c.fail('3');
      break;
    }
    c.rec[static_cast<std::size_t>(pos)] = '\r';
    c.rec[static_cast<std::size_t>(pos) + 1] = '\n';
    pos += 2;
  }
  *c.tpos = pos;
  c.wrapped = true;
}

// B, O, Z of a text: each character's code in a field of w, r codes to a
// line.
void chardump(Call& c, std::int32_t p) {
  const std::int32_t r = std::max(c.d.repeat, 1);
  const auto len = static_cast<std::int32_t>(c.text.size());
  const plat::EditDesc e = plaindesc(c.d, c.d.width);
  std::int32_t pos = p;
  for (std::int32_t g = 0; g + r <= len; g += r) {
    for (std::int32_t j = 0; j < r; ++j) {
      const std::string s =
          plat::put_integer(static_cast<unsigned char>(c.text[static_cast<std::size_t>(g + j)]), e);
      if (pos + static_cast<std::int32_t>(s.size()) > c.ltext()) {
        *c.tpos = pos;
        *c.irep = 1;
        return;
      }
      std::copy(s.begin(), s.end(), c.rec.begin() + pos);
      pos += static_cast<std::int32_t>(s.size());
    }
    if (pos + 2 <= c.ltext()) {
      c.rec[static_cast<std::size_t>(pos)] = '\r';
      c.rec[static_cast<std::size_t>(pos) + 1] = '\n';
      pos += 2;
    }
  }
  *c.tpos = pos;
  *c.irep = 1;
}

void textmismatch(const Call& c) {
  c.fail('M');
  rwdetail.set(fmtwork.trimmed());
}

void textfield(Call& c, std::int32_t p, std::span<char> field) {
  const char l = c.d.letter;
  const std::size_t len = c.text.size();
  if (!c.writing) {
    if (l != 'A') return textmismatch(c);
    std::copy_n(field.begin(), std::min(field.size(), len), c.text.begin());
    return;
  }
  const std::size_t n = std::min(field.size(), len);
  if (l == 'A') {
    const std::int32_t f = *c.fpos;
    if (c.d.width > 0 && f >= 2 && f - 2 < static_cast<std::int32_t>(c.fmt.size()) &&
        c.fmt[static_cast<std::size_t>(f - 2)] == '/')
      return wrapped(c, p);
    std::fill(field.begin(), field.end(), ' ');
    std::copy_n(c.text.begin(), n, field.begin());
    nodots(field.first(n));
    return;
  }
  if (c.d.width < 1) return textmismatch(c);
  if ((l == 'B' || l == 'O' || l == 'Z')) return chardump(c, p);
  std::fill(field.begin(), field.end(), ' ');
  std::copy_n(c.text.begin(), n, field.end() - static_cast<std::ptrdiff_t>(n));
}

// The item as the text of a delimited or quoted element: a text without
// trailing blanks, a number as the plain writer gives it.
std::string elementtext(const Call& c) {
  if (c.istext()) return std::string(trimmed(view(c.text)));
  std::string s(16, ' ');
  core::WTSID8(s, *c.num, 0);
  return std::string(trimmed(s));
}

// Puts s into the record at tpos, as far as it fits (status "3" when not
// all of it does); tpos moves past it.
void putelement(const Call& c, std::string_view s) {
  const std::int32_t room = std::max(c.ltext() - *c.tpos, 0);
  const auto k = std::min(static_cast<std::int32_t>(s.size()), room);
  std::copy_n(s.begin(), k, c.rec.begin() + *c.tpos);
  nodots(c.rec.subspan(static_cast<std::size_t>(*c.tpos), static_cast<std::size_t>(k)));
  *c.tpos += k;
  if (k < static_cast<std::int32_t>(s.size())) c.fail('3');
}

// The item read from the text of an element.
void takeelement(const Call& c, std::string_view field) {
  if (c.istext()) {
    std::copy_n(field.begin(), std::min(field.size(), c.text.size()), c.text.begin());
    return;
  }
  double v = 0.0;
  if (plainread(field, v)) {
    *c.num = v;
  } else {
    readfailure(c, field);
  }
}

bool separatorsonly(std::string_view t) {
  return std::none_of(t.begin(), t.end(), [](char ch) { return core::is_namechar(ch); });
}

void spent(const Call& c) { *c.fpos = c.n + 1; }

// A separator picture: the fields between its characters in turn (the
// last one repeating); two equal characters first quote the item.
bool separatorstep(Call& c, std::string_view t, std::int32_t pos) {
  RwIndxState& s = rwindxstate;
  const std::int32_t start = s.tmplstart;
  const bool quoted = t.size() >= 2 && t.size() <= 3 && t[0] == t[1];
  if (c.writing) {
    std::string out;
    if (quoted) {
      out = std::string(1, t[0]) + elementtext(c) + t[0];
      if (t.size() == 3) out += t[2];
    } else {
      out = elementtext(c) + c.fmt[static_cast<std::size_t>(pos - 1)];
      *c.fpos = -(pos < c.n ? pos + 1 : c.n);
    }
    putelement(c, out);
  } else if (quoted) {
    const std::string_view rec = view(c.rec);
    std::size_t i = static_cast<std::size_t>(*c.tpos);
    while (i < rec.size() && rec[i] == ' ') ++i;
    std::string_view field;
    if (i < rec.size() && rec[i] == t[0]) {
      const std::size_t e = rec.find(t[0], i + 1);
      const std::size_t end = e == std::string_view::npos ? rec.size() : e;
      field = rec.substr(i + 1, end - i - 1);
      i = e == std::string_view::npos ? rec.size() : e + 1;
    } else {
      const std::size_t e = t.size() == 3 ? rec.find(t[2], i) : std::string_view::npos;
      field = rec.substr(i, (e == std::string_view::npos ? rec.size() : e) - i);
      i += field.size();
    }
    if (t.size() == 3 && i < rec.size() && rec[i] == t[2]) ++i;
    *c.tpos = static_cast<std::int32_t>(i);
    takeelement(c, field);
  } else {
    fmtwork.set(t);
    std::string field(static_cast<std::size_t>(std::max(c.ltext(), 1)), ' ');
    std::int32_t fstart = 0, fend = 0, textpos = *c.tpos + 1, picpos = pos - start + 1;
    char st = ' ';
    PICTUREREAD(view(c.rec), field, fstart, fend, textpos, picpos, st);
    *c.tpos = std::clamp(textpos, *c.tpos, c.ltext());
    *c.fpos = -(start - 1 + picpos);
    takeelement(c, trimmed(field));
  }
  ++s.ndone;
  *c.letter = 'A';
  return true;
}

}  // namespace

void setstdformat(Call& c, std::int32_t from, std::int32_t to) {
  from = std::max(from, 1);
  to = std::min(to, static_cast<std::int32_t>(c.fmt.size()));
  const std::string_view text = to >= from ? c.fmt.substr(static_cast<std::size_t>(from - 1),
                                                          static_cast<std::size_t>(to - from + 1))
                                           : std::string_view();
  // A descriptor met before is not built and parsed again.
  struct Known {
    std::string text;
    plat::FixedText<60> work;
    plat::EditDesc desc;
    bool ok = false;
  };
  static std::vector<Known> known;
  auto hit =
      std::find_if(known.begin(), known.end(), [&](const Known& k) { return k.text == text; });
  if (hit == known.end()) {
    if (known.size() >= 16) known.erase(known.begin());
    Known k;
    k.text.assign(text);
    k.work.set("(" + k.text + ")");
    fmtwork = k.work;
    k.ok = stddesc(k.desc);
    known.push_back(std::move(k));
    hit = known.end() - 1;
  }
  fmtwork = hit->work;
  c.std = hit->desc;
  c.stdok = hit->ok;
  c.stdknown = true;
}

void passthrough(Call& c) {
  const std::string f(fmtwork.trimmed());
  plat::StdItem it;
  if (f.find_first_of("IBOZLibozl") != std::string::npos) {
    it.kind = plat::StdItem::Kind::number;  // integers, logicals as 1 and 0
  } else if (f.find_first_of("Aa") != std::string::npos && c.istext()) {
    it.kind = plat::StdItem::Kind::text;
    it.text = view(c.text);
    it.out = c.text;
  }
  it.r = *c.num;
  int st = 0;
  if (c.writing) {
    std::string out;
    st = plat::std_write(f, std::span(&it, 1), out);
    if (out.size() > c.rec.size()) st = 66;  // longer than the record
    if (st == plat::stdfmt_ok || st == plat::stdfmt_record) {
      st = 0;
      std::fill(c.rec.begin(), c.rec.end(), ' ');
      std::copy(out.begin(), out.end(), c.rec.begin());
      *c.tpos = static_cast<std::int32_t>(trimmed(view(c.rec)).size());
    }
  } else {
    st = plat::std_read(f, view(c.rec), std::span(&it, 1));
    if (st == plat::stdfmt_record) st = 0;
    if (st == 0 && it.kind != plat::StdItem::Kind::text) *c.num = it.r;
  }
  if (st > 0) {
    core::iostatw[0] = static_cast<std::int16_t>(st);
    c.fail('K');
  }
}

void freefield(Call& c) {
  RwIndxState& s = rwindxstate;
  *c.letter = 'F';
  if (c.istext()) return textmismatch(c);
  if (!c.writing) {
    do {
      std::int32_t pos = -(*c.tpos + 1), st = 0;
      double v = 0.0;
      core::GETR8N(view(c.rec), c.ltext(), v, pos, st);
      if (st != 0) {
        c.fail(c.ordinal < 0 ? 'I' : 'B');
        *c.fpos = c.n + 1;
        return;
      }
      *c.num = v;
      *c.tpos = std::min(std::abs(pos) - 1, c.ltext());
      ++s.ndone;
    } while (s.ndone < std::abs(c.ordinal));
    return;
  }
  const std::int32_t start = *c.tpos;
  std::int32_t len = std::min(16, c.ltext() - start);
  bool separators = false;
  if (c.fmt.size() > 1 && c.fmt[1] == '0') {
    len = c.ltext() - start;
    separators = c.fmt.size() > 2 && c.fmt[2] != ' ';
  }
  if (len <= 0) {
    c.fail('3');
    *c.fpos = c.n + 1;
    return;
  }
  const std::span<char> field =
      c.rec.subspan(static_cast<std::size_t>(start), static_cast<std::size_t>(len));
  bool done = false;
  if (c.d.decimals > 0) {
    plat::EditDesc e;
    int st = plat::field_unsuited;
    const std::string out = stddesc(c, e) ? plat::put_real(*c.num, e, &st) : std::string();
    if (st == plat::field_ok && out.size() <= field.size()) {
      std::fill(field.begin(), field.end(), ' ');
      std::copy(out.begin(), out.end(), field.begin());
      done = true;
    }
  }
  if (!done) core::WTSID8(field, *c.num, separators ? 1 : 0);
  // A blank separates the number from what stands before it on its line.
  if (start > 0 && std::string_view(" \r\n").find(c.rec[static_cast<std::size_t>(start) - 1]) ==
                       std::string_view::npos) {
    std::copy_backward(field.begin(), field.end() - 1, field.end());
    field[0] = ' ';
  }
  const std::string_view f = view(field);
  const std::size_t first = f.find_first_not_of(' ');
  const std::size_t blank = first == std::string_view::npos ? 0 : f.find(' ', first);
  *c.tpos = start + (blank == std::string_view::npos ? len : static_cast<std::int32_t>(blank) + 1);
  ++s.ndone;
}

void convert(Call& c, std::int32_t p, std::int32_t w) {
  const std::span<char> field =
      c.rec.subspan(static_cast<std::size_t>(p), static_cast<std::size_t>(w));
  *c.letter = c.d.letter;
  if (c.istext()) return textfield(c, p, field);
  switch (c.d.letter) {
    case 'E':
    case 'F':
    case 'G':
      return realfield(c, field);
    case 'I':
    case 'O':
    case 'Z':
    case 'B':
      return integerfield(c, field);
    case 'L':
      return logicalfield(c, field);
    case 'U':
      return timefield(c, field);
    case 'i':
      if (w != c.d.width) return c.fail('3');
      return binaryinteger(c, field);
    case 'f':
      if (w != c.d.width) return c.fail('3');
      return binaryreal(c, field);
    default:
      c.fail('5');
      rwdetail.set(std::string_view(&c.d.letter, 1));
      return;
  }
}

bool commonint(const plat::EditDesc& std, bool writing, std::span<char> field, double& number) {
  if (!writing) {
    // Blanks, a sign and up to 18 digits read here; anything else as
    // the integer reader reads it.
    auto k = static_cast<std::size_t>(plat::skip_blanks(field.data(), field.data() + field.size()) -
                                      field.data());
    const bool minus = k < field.size() && field[k] == '-';
    if (minus || (k < field.size() && field[k] == '+')) ++k;
    std::uint64_t u = 0;  // (wraps beyond 19 digits, which are not taken)
    const std::size_t first = k;
    for (; k < field.size() && field[k] >= '0' && field[k] <= '9'; ++k)
      u = u * 10 + static_cast<std::uint64_t>(field[k] - '0');
    if (k == field.size() && k > first && k - first <= 18 &&
        (std.letter == 'I' || std.letter == 'G')) {
      const auto i = static_cast<std::int64_t>(u);
      number = static_cast<double>(minus ? -i : i);
      return true;
    }
    std::int64_t i = 0;
    if (plat::get_integer(view(field), std, i) != plat::field_ok) return false;
    number = static_cast<double>(i);
    return true;
  }
  return commonintput(std, field, number);
}

bool commonreal(const plat::EditDesc& std, bool writing, std::span<char> field, double& number) {
  if (writing) return commonrealput(std, field, number);
  double v = 0.0;
  if (std.letter == 'I') return false;
  // (What get_real reads first, without its look for a named special value.)
  if ((std.letter == 'D' || std.letter == 'E' || std.letter == 'F' || std.letter == 'G') &&
      plat::read_plain_real(view(field), std::max(std.digits, 0), v)) {
    number = v;
    return true;
  }
  if (plat::get_real(view(field), std, v) != plat::field_ok) return false;
  number = v;
  return true;
}

void commontext(bool writing, std::span<char> field, std::span<char> text) {
  const std::size_t n = std::min(field.size(), text.size());
  if (writing) {
    commontextput(field, text);
  } else {
    plat::copy_short(text.data(), field.data(), n);
    plat::fill_short(text.data() + n, text.size() - n, ' ');
  }
}

Common commonkind(char letter) {
  switch (letter) {
    case 'A':
      return Common::text;
    case 'I':
      return Common::integer;
    case 'E':
    case 'F':
    case 'G':
      return Common::real;
    default:
      return Common::none;
  }
}

bool convertcommon(char letter, const plat::EditDesc& std, bool writing, std::span<char> field,
                   std::span<char> text, double& number) {
  const Common kind = commonkind(letter);
  if (!text.empty()) {
    if (kind != Common::text) return false;
    commontext(writing, field, text);
    return true;
  }
  if (kind == Common::integer) return commonint(std, writing, field, number);
  return kind == Common::real && commonreal(std, writing, field, number);
}

bool templatestep(Call& c) {
  RwIndxState& s = rwindxstate;
  const std::int32_t start = std::max(s.tmplstart, 1);
  std::int32_t pos = -*c.fpos;
  if (pos < start || pos > c.n || start > c.n) {
    spent(c);
    return false;
  }
  const std::string_view t =
      c.fmt.substr(static_cast<std::size_t>(start - 1), static_cast<std::size_t>(c.n - start + 1));
  if (separatorsonly(t)) return separatorstep(c, t, pos);

  // A template of pictures: laid into the record when it begins there.
  auto at = [&](std::int32_t q) { return s.tmplbase + q - start; };  // 0-based record index
  if (c.writing && pos == start && *c.tpos == s.tmplbase) {
    const auto k =
        std::clamp<std::int32_t>(c.ltext() - s.tmplbase, 0, static_cast<std::int32_t>(t.size()));
    std::copy_n(t.begin(), k, c.rec.begin() + s.tmplbase);
  }
  for (int guard = 0; guard <= c.n; ++guard) {
    char letter = ' ';
    std::int32_t width = 0, decimals = 0, next = pos;
    const int code = PICTUREFORMAT(c.fmt, c.n, pos, letter, width, decimals, next, s.delimiter,
                                   c.istext() ? 0 : -1);
    c.stdknown = false;  // the picture's descriptor is in `fmtwork` now
    if (code == picnone || code == picliteral) {
      if (next <= pos || next > c.n) break;
      pos = next;
      continue;
    }
    const std::int32_t r0 = at(next - width);
    if (r0 < 0 || r0 + width > c.ltext() || width < 1) {
      c.fail('3');
      break;
    }
    const std::span<char> field =
        c.rec.subspan(static_cast<std::size_t>(r0), static_cast<std::size_t>(width));
    if (c.istext()) {
      if (c.writing) {
        // Placed by the picture's alignment.
        const std::string_view item = view(c.text).substr(0, std::min(c.text.size(), field.size()));
        const std::size_t L = std::max<std::size_t>(trimmed(item).size(), 1);
        const std::size_t lead = code == picright    ? field.size() - L
                                 : code == piccentre ? (field.size() - L) / 2
                                                     : 0;
        std::fill(field.begin(), field.end(), ' ');
        std::copy_n(item.begin(), std::min(L, item.size()),
                    field.begin() + static_cast<std::ptrdiff_t>(lead));
        nodots(field);
      } else {
        takeelement(c, view(field));
      }
    } else {
      realfield(c, field);
    }
    *c.tpos = r0 + width;
    *c.fpos = -next;
    ++s.ndone;
    *c.letter = letter;
    return true;
  }
  spent(c);
  return false;
}

void templateclose(Call& c) {
  RwIndxState& s = rwindxstate;
  const std::int32_t start = std::max(s.tmplstart, 1);
  if (start > c.n) return;
  const std::string_view t =
      c.fmt.substr(static_cast<std::size_t>(start - 1), static_cast<std::size_t>(c.n - start + 1));
  if (separatorsonly(t)) return;
  *c.tpos = std::clamp(s.tmplbase + static_cast<std::int32_t>(t.size()), *c.tpos, c.ltext());
}

}  // namespace io::rwf
