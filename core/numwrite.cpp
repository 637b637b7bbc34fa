#include "core/numwrite.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <vector>

#include "core/numread.h"
#include "platform/numedit.h"

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

namespace {

struct FmtNode {
  enum Kind { data, literal, skip, slash, group } kind = data;
  char letter = 0;  // I, B, O, Z, F, E
  int width = 0;
  int decimals = 0;
  int repeat = 1;
  std::string text;               // literal
  std::vector<FmtNode> children;  // group
};

class FmtParser {
 public:
  explicit FmtParser(std::string_view f) : f_(f) {}

  // Parses the whole format; false on a syntax fault.
  bool parse(std::vector<FmtNode>& out) {
    if (!items(out, 0)) return false;
    skip_blanks();
    return i_ >= f_.size();
  }

 private:
  void skip_blanks() {
    while (i_ < f_.size() && f_[i_] == ' ') ++i_;
  }
  bool peek_digit() {
    skip_blanks();
    return i_ < f_.size() && f_[i_] >= '0' && f_[i_] <= '9';
  }
  // Digits (blanks between them ignored); -1 when there are none.
  int number() {
    if (!peek_digit()) return -1;
    long long v = 0;
    while (peek_digit()) {
      v = std::min<long long>(v * 10 + (f_[i_] - '0'), 1000000);
      ++i_;
    }
    return static_cast<int>(v);
  }

  bool items(std::vector<FmtNode>& out, int depth) {
    while (true) {
      skip_blanks();
      if (i_ >= f_.size()) return depth == 0;
      const char c = f_[i_];
      if (c == ',') {
        ++i_;
        continue;
      }
      if (c == ')') {
        if (depth == 0) return false;
        ++i_;
        return true;
      }
      FmtNode node;
      if (!item(node, depth)) return false;
      out.push_back(std::move(node));
    }
  }

  bool item(FmtNode& node, int depth) {
    const int rep = number();
    if (rep == 0) return false;
    node.repeat = rep < 0 ? 1 : rep;
    skip_blanks();
    if (i_ >= f_.size()) return false;
    char c = f_[i_++];
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 32);
    switch (c) {
      case '(':
        if (depth >= 8) return false;
        node.kind = FmtNode::group;
        return items(node.children, depth + 1);
      case '\'':
      case '"':
        if (rep >= 0) return false;
        node.kind = FmtNode::literal;
        return literal(c, node.text);
      case '/':
        if (rep >= 0) return false;
        node.kind = FmtNode::slash;
        return true;
      case 'X':
        node.kind = FmtNode::skip;
        return true;
      case 'I':
      case 'B':
      case 'O':
      case 'Z':
      case 'F':
      case 'E': {
        node.kind = FmtNode::data;
        node.letter = c;
        node.width = number();
        if (node.width < 0) return false;
        skip_blanks();
        const bool real = c == 'F' || c == 'E';
        if (i_ < f_.size() && f_[i_] == '.') {
          if (!real) return false;
          ++i_;
          node.decimals = number();
          if (node.decimals < 0) return false;
        } else if (real) {
          return false;
        }
        return true;
      }
      default:
        return false;
    }
  }

  bool literal(char quote, std::string& text) {
    while (i_ < f_.size()) {
      const char c = f_[i_++];
      if (c != quote) {
        text.push_back(c);
        continue;
      }
      if (i_ < f_.size() && f_[i_] == quote) {
        text.push_back(quote);
        ++i_;
        continue;
      }
      return true;
    }
    return false;
  }

  std::string_view f_;
  std::size_t i_ = 0;
};

struct FmtWriter {
  std::span<const double> values;
  std::size_t next = 0;
  std::string& out;
  std::int32_t status = fmt_ok;
  bool stopped = false;

  std::string edit(const FmtNode& node, double v) const {
    if (node.letter == 'F') return plat::edit_fixed(v, node.width, node.decimals);
    if (node.letter == 'E') return plat::edit_exp(v, node.width, node.decimals);
    const double r = std::round(v);
    if (!(std::fabs(r) <= std::numeric_limits<std::int32_t>::max())) {
      return std::string(static_cast<std::size_t>(std::max(node.width, 1)), '*');
    }
    const auto i = static_cast<std::int32_t>(r);
    if (node.letter == 'I') return plat::edit_int(i, node.width);
    const int base = node.letter == 'B' ? 2 : node.letter == 'O' ? 8 : 16;
    return plat::edit_radix(static_cast<std::uint32_t>(i), base, node.width);
  }

  void run(const std::vector<FmtNode>& nodes) {
    for (const FmtNode& node : nodes) {
      for (int r = 0; r < node.repeat && !stopped; ++r) {
        switch (node.kind) {
          case FmtNode::data:
            if (next >= values.size()) {
              stopped = true;
              break;
            }
            out += edit(node, values[next++]);
            break;
          case FmtNode::literal:
            out += node.text;
            break;
          case FmtNode::skip:
            out.push_back(' ');
            break;
          case FmtNode::slash:
            status = fmt_record;
            stopped = true;
            break;
          case FmtNode::group:
            run(node.children);
            break;
        }
      }
      if (stopped) return;
    }
  }
};

}  // namespace

std::int32_t format_values(std::string_view format, std::span<const double> values,
                           std::string& out) {
  std::vector<FmtNode> nodes;
  if (!FmtParser(format).parse(nodes)) return fmt_bad;
  FmtWriter w{values, 0, out};
  w.run(nodes);
  if (w.status == fmt_ok && w.next < values.size()) w.status = fmt_record;
  return w.status;
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
