#include "core/numwrite.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <vector>

#include "core/numread.h"
#include "platform/numedit.h"
#include "platform/stdformat.h"

namespace core {

namespace {

constexpr int kMaxField = 23;

int field_width(std::span<char> text) {
  return static_cast<int>(std::min<std::size_t>(text.size(), kMaxField));
}

// Copies s into the first w characters of text, cut at w.
void put(std::span<char> text, int w, std::string_view s) {
  std::copy_n(s.begin(), std::min<std::size_t>(s.size(), static_cast<std::size_t>(w)),
              text.begin());
}

std::string_view trim_right(std::string_view s) {
  while (!s.empty() && s.back() == ' ') s.remove_suffix(1);
  return s;
}

// Fixed-point trim: while the text holds a point, its last character goes
// when it is "0" or the point itself.
std::string_view trim_fixed(std::string_view s) {
  s = trim_right(s);
  while (!s.empty() && s.find('.') != std::string_view::npos &&
         (s.back() == '0' || s.back() == '.')) {
    s.remove_suffix(1);
  }
  return s;
}

std::int64_t round_away(double v) { return static_cast<std::int64_t>(std::round(v)); }

int decimal_exponent(double a) {
  const long double lg = std::log10(static_cast<long double>(a));
  int e = static_cast<int>(std::trunc(lg));
  if (a < 1.0) --e;
  return e;
}

// Mantissa and exponent form into a field of w characters; fills the whole
// field width wfull with asterisks when even that does not fit.
void write_exponent_form(std::span<char> text, int wfull, int w, double v, int e) {
  const int s = v < 0 ? 1 : 0;
  const double m = static_cast<double>(static_cast<long double>(v) /
                                       std::pow(10.0L, static_cast<long double>(e)));
  const int ae = e < 0 ? -e : e;
  const int k = (ae >= 100 ? 3 : ae >= 10 ? 2 : 1) + (e < 0 ? 1 : 0);
  int d = std::clamp(w - s - k - 3, 0, 15);
  const int wm = s + d + 2;
  std::string mt;
  while (true) {
    mt = plat::edit_fixed(m, wm, d);
    if (mt[0] != '*') break;
    if (d > 0) {
      --d;
    } else {
      mt = plat::edit_int(round_away(m), 0);
      break;
    }
  }
  std::string_view t = trim_right(mt);
  while (!t.empty()) {
    if (t.back() == '.') {
      t.remove_suffix(1);
    } else if (t.back() == '0') {
      t.remove_suffix(1);
      if (t.find('.') == std::string_view::npos) ++e;
    } else {
      break;
    }
  }
  const std::string et = plat::edit_int(e, 0);
  if (t.size() + 1 + et.size() <= static_cast<std::size_t>(w)) {
    std::string out(t);
    out.push_back('E');
    out += et;
    put(text, w, out);
  } else {
    std::fill_n(text.begin(), wfull, '*');
  }
}

}  // namespace

void WTSID8TRIMMED(std::span<char> text, double v, std::int32_t /*flag*/) {
  std::fill(text.begin(), text.end(), ' ');
  const int wfull = field_width(text);
  if (wfull == 0) return;
  if (std::isnan(v)) return put(text, wfull, "NaN");
  if (v == 0.0) return put(text, wfull, "0");
  if (std::isinf(v)) return put(text, wfull, v < 0 ? "-Inf" : "Inf");

  const int s = v < 0 ? 1 : 0;
  const double a = std::fabs(v);
  const int e = decimal_exponent(a);
  int w = wfull;
  if (-3 <= e && e < w - s && e <= 12) {
    w = std::min(w, s + 16);
    int d = w - std::max(e, 0) - s - 2;
    bool fixed = true;
    if (d < 0) {
      if (a <= 1.0) {
        fixed = false;
      } else {
        const std::string it = plat::edit_int(round_away(v), 0);
        if (it.size() <= static_cast<std::size_t>(w)) return put(text, w, it);
        d = 0;
      }
    }
    if (fixed && e < 0 && d < -e) fixed = false;
    while (fixed) {
      const std::string f = plat::edit_fixed(v, w, d);
      if (f[0] != '*') return put(text, w, trim_fixed(f));
      if (d > 0) {
        --d;
      } else {
        fixed = false;
      }
    }
  }
  write_exponent_form(text, wfull, w, v, e);
}

void WTSID8(std::span<char> text, double value, std::int32_t flag) {
  WTSID8TRIMMED(text, value, flag);
  if (flag > 0) {
    std::int32_t used = 0;
    INSERT1000KOMMAS(text, used);
  }
}

void C1WTSID8(std::span<char> text, double value, std::int32_t flag, std::int32_t& used) {
  WTSID8(text, value, flag);
  const std::string_view head(text.data(), static_cast<std::size_t>(field_width(text)));
  used = static_cast<std::int32_t>(trim_right(head).size());
}

void INSERT1000KOMMAS(std::span<char> text, std::int32_t& used) {
  const std::string_view all(text.data(), text.size());
  const int n = static_cast<int>(trim_right(all).size());
  used = n;
  // Only integers get separators: an optional "-" and digits (this also
  // keeps "NaN", "Inf" and asterisks as they are).
  const std::string_view body = all.substr(0, static_cast<std::size_t>(n));
  const std::size_t digits_from = !body.empty() && body[0] == '-' ? 1 : 0;
  if (body.size() <= digits_from ||
      body.find_first_not_of("0123456789", digits_from) != std::string_view::npos) {
    return;
  }
  const int len = static_cast<int>(text.size());
  int t = n + (n - 1) / 3;
  if (body[0] == '-' && (n - 1) % 3 == 0) --t;
  t = std::min(t, len);
  if (n <= 0 || t <= n) return;
  auto at = [&](int i) -> char& { return text[static_cast<std::size_t>(i - 1)]; };
  int copied = 0;
  for (int i = n; t > i; --i) {
    at(t) = at(i);
    ++copied;
    if (copied % 3 == 0 && t > 2) {
      at(t - 1) = c1thousands;
      --t;
    }
    --t;
  }
  used = static_cast<std::int32_t>(trim_right(all).size());
}

// ---------------------------------------------------------------------------
// Formats

std::int32_t format_values(std::string_view format, std::span<const double> values,
                           std::string& out) {
  std::vector<plat::StdItem> items(values.size());
  for (std::size_t k = 0; k < values.size(); ++k) {
    items[k].kind = plat::StdItem::Kind::number;
    items[k].r = values[k];
  }
  return plat::std_write(format, items, out);
}

void WRITEFMT(std::span<char> text, std::string_view format, std::string_view labels,
              std::span<const double> values, std::int32_t& used, std::int32_t& status) {
  std::string out;
  status = static_cast<std::int8_t>(format_values(format, values, out));
  const std::size_t n = text.size();
  std::fill(text.begin(), text.end(), ' ');
  std::copy_n(out.begin(), std::min(n, out.size()), text.begin());

  // A point right before a blank is blanked (integral values written with
  // F lose their trailing point, the columns stay where they are).
  for (std::size_t i = 0; i + 1 < n; ++i) {
    if (text[i] == '.' && text[i + 1] == ' ') text[i] = ' ';
  }

  if (labels.size() > 1) {
    const char sep = labels.find('\t') != std::string_view::npos  ? '\t'
                     : labels.find(';') != std::string_view::npos ? ';'
                                                                  : ' ';
    std::size_t p = labels.find_first_not_of(' ');
    if (p == std::string_view::npos) p = labels.size();
    if (p < labels.size() && labels[p] == sep) ++p;
    std::vector<std::string_view> names;
    while (p <= labels.size()) {
      std::size_t q = labels.find(sep, p);
      if (q == std::string_view::npos) q = labels.size();
      const std::string_view name = trim_right(labels.substr(p, q - p));
      if (sep != ' ' || !name.empty()) names.push_back(name);
      p = q + 1;
    }
    if (sep != ' ' && !names.empty() && names.back().empty()) names.pop_back();

    // Each field (a run of non-blanks ended by a blank or the end of the
    // text) in turn: everything from after the blank that ended the previous
    // field up to this field's end is blanked, and the label is placed so
    // that it ends where the field ended.
    std::size_t region = 0;
    for (const std::string_view name : names) {
      std::size_t fs = region;
      while (fs < n && text[fs] == ' ') ++fs;
      if (fs >= n) break;
      std::size_t fe = fs;
      while (fe < n && text[fe] != ' ') ++fe;
      std::fill(text.begin() + static_cast<std::ptrdiff_t>(region),
                text.begin() + static_cast<std::ptrdiff_t>(fe), ' ');
      const std::size_t k = std::min(name.size(), fe - region);
      std::copy_n(name.begin(), k, text.begin() + static_cast<std::ptrdiff_t>(fe - k));
      region = fe + 1;
    }
  }
  used = static_cast<std::int32_t>(trim_right(std::string_view(text.data(), n)).size());
}

}  // namespace core
