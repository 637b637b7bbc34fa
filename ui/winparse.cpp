#include "ui/winparse.h"

#include <algorithm>
#include <array>

#include "core/chars.h"
#include "core/numread.h"
#include "core/numwrite.h"
#include "core/rawmem.h"
#include "core/shop.h"
#include "core/shoplists.h"
#include "ui/dialogwords.h"
#include "ui/dlgbuild.h"

namespace ui::winparse {

namespace {

constexpr std::string_view schemes[] = {"http", "shell", "mailto"};

std::string_view trimright(std::string_view s) {
  const std::size_t e = s.find_last_not_of(' ');
  return e == std::string_view::npos ? std::string_view() : s.substr(0, e + 1);
}

std::size_t skipblanks(std::string_view s, std::size_t i) {
  while (i < s.size() && s[i] == ' ') ++i;
  return i;
}

bool islowerletter(char c) { return c >= 'a' && c <= 'z'; }
bool isdigit(char c) { return c >= '0' && c <= '9'; }

// The end of the word that starts at i: the first of the five characters
// that end a word (blank, label mark, value mark, reference mark, item
// separator).
std::size_t wordend(std::string_view s, std::size_t i, const Context& cx) {
  while (i < s.size() && std::find(cx.sep.begin(), cx.sep.begin() + 5, s[i]) == cx.sep.begin() + 5)
    ++i;
  return i;
}

// The end of the item that starts at i: its separator, or the line's end
// (a doubled separator of the help data stays in the item).
std::size_t itemend(std::string_view s, std::size_t i, const Context& cx) {
  std::size_t e = s.find(cx.sep[4], i);
  while (cx.doubled && e != std::string_view::npos && e + 1 < s.size() && s[e + 1] == cx.sep[4])
    e = s.find(cx.sep[4], e + 2);
  return e == std::string_view::npos ? s.size() : e;
}

// A text with each doubled separator made one again.
std::string undoubled(std::string text, const Context& cx) {
  if (!cx.doubled) return text;
  const char pair[2] = {cx.sep[4], cx.sep[4]};
  for (std::size_t at = 0; (at = text.find(std::string_view(pair, 2), at)) != std::string::npos;)
    text.erase(at++, 1);
  return text;
}

bool isnumberkind(std::int32_t kind) {
  return kind == ck::numeric || kind == ck::element || kind == ck::rawi1 || kind == ck::rawi2 ||
         kind == ck::rawi4 || kind == ck::rawr4 || kind == ck::rawr8;
}

bool istextkind(std::int32_t kind) {
  return kind == ck::character || kind == ck::rawtext || kind == ck::rawchars;
}

// Resolves the reference whose "*" stands at `star`; `last` receives the
// index of its last character. False when it names nothing.
bool reference(std::string_view s, std::size_t star, Context& cx, Resolved& r, std::size_t& last) {
  std::int32_t to = 0;
  const auto from = static_cast<std::int32_t>(star) + 2;  // 1-based, after the "*"
  const bool ok = FINDADR(s, from, to, cx.refs, cx.nargs, cx.params, r);
  // A bare "*" ends at itself.
  const bool bare = star + 1 >= s.size() || (!isdigit(s[star + 1]) && s[star + 1] != '-');
  last = bare ? star
              : std::clamp<std::size_t>(static_cast<std::size_t>(std::max(to, 1)) - 1, star,
                                        s.size() - 1);
  return ok;
}

// The value text of a resolved reference: a number's written form, a
// text's characters without their trailing blanks.
std::string resolvedtext(const Resolved& r) {
  if (istextkind(r.kind) || r.kind == 0x8004) return std::string(trimright(valuetext.view()));
  return numbertext(r.value);
}

// A label: the word before the label mark.
void label(std::string_view word, std::string_view item, Context& cx, Item& out) {
  if (word == "STEP") {
    out.id = idstep;
    return;
  }
  if (word == "RUN") {
    out.id = idrun;
    return;
  }
  int first = 0, last = 0;
  // (held within what the item numbers' arithmetic holds)
  const int n = std::clamp(core::INTGET(word, first, last), -core::layoutmost, core::layoutmost);
  if (first == 1 || first == 2) {
    out.number = n;
    const std::size_t arrow = word.find(cx.sep[5]);
    bool minus = false;
    if (arrow != std::string_view::npos) {
      std::size_t k = arrow + 1;
      if (k < word.size() && word[k] == cx.sep[6]) {
        minus = true;
        ++k;
      }
      out.jump = build::findlabel(word.substr(k));
    }
    out.id = n == 0 ? idcancel : (n > 0 && !minus ? labelbase + n : idprefix);
    return;
  }
  cx.blockmark = word.empty() ? cx.blockmark : word[0];
  for (std::string_view s : schemes)
    if (word == s) {
      out.link = std::string(trimright(item));
      out.scheme = true;
      return;
    }
  out.link = std::string(word);
}

}  // namespace

std::string numbertext(double v) {
  std::array<char, 23> t{};
  core::WTSID8(t, v, 0);
  std::string_view s = trimright(std::string_view(t.data(), t.size()));
  s.remove_prefix(std::min(s.find_first_not_of(' '), s.size()));
  return std::string(s);
}

std::string closeline(std::string_view line, char separator) {
  std::string l(line.substr(0, std::min(line.size(), linesize)));
  const std::string_view t = trimright(l);
  if (!t.empty() && t.back() != separator && t.size() <= linesize - 2) {
    l.resize(t.size());
    l += separator;
  }
  return l;
}

std::string substitute(std::string_view text, Context& cx) {
  std::string t = undoubled(std::string(text), cx);
  if (!cx.resolve) return t;
  std::size_t i = 0;
  while ((i = t.find(cx.sep[3], i)) != std::string::npos) {
    Resolved r;
    std::size_t last = i;
    if (!reference(t, i, cx, r, last)) {
      dlgadrerror = 0;
      ++i;
      continue;
    }
    const std::string put = resolvedtext(r);
    std::string next = t.substr(0, i) + put + t.substr(last + 1);
    if (next.size() >= linesize) break;
    t = std::move(next);
    i += put.size();  // what was put in is not scanned again
  }
  return t;
}

bool nextitem(std::string_view line, std::size_t& at, Context& cx, Item& out, bool& failed) {
  out = Item{};
  failed = false;
  std::size_t i = skipblanks(line, at);
  if (i >= line.size()) {
    at = line.size();
    return false;
  }
  std::size_t end = itemend(line, i, cx);
  at = std::min(end + 1, line.size());
  out.raw = std::string(trimright(line.substr(i, end - i)));
  // A label, when the word is followed by the label mark.
  std::size_t w = wordend(line, i, cx);
  if (w > i && w < end && line[w] == cx.sep[1]) {
    label(line.substr(i, w - i), line.substr(i, end - i), cx, out);
    if (out.scheme) {
      out.kind = kindtext;
      out.text = out.link;
      out.lower = true;
      return true;
    }
    i = skipblanks(line, w + 1);
    w = wordend(line, i, cx);
  }
  // A keyword, when one of the list stands there and what follows fits.
  if (w > i) {
    std::int32_t position = 0;
    const std::int32_t nr = core::ITEMNRINSHOP(line.substr(i, w - i), core::dlgshop, position);
    std::size_t k = skipblanks(line, w);
    const char c = k < line.size() ? line[k] : cx.sep[4];
    if (nr > 0 && (c == cx.sep[2] || c == cx.sep[3] || c == cx.sep[4])) {
      out.kw = nr - 1;
      out.lower = islowerletter(line[i]);
      if (c == cx.sep[4]) {
        out.kind = kindconstant;
        out.value = switchvalue;
        return true;
      }
      if (c == cx.sep[2]) {
        const std::string_view value = line.substr(k + 1, end - k - 1);
        if (out.kw != ui::dk("Text")) {
          double v = 0.0;
          std::int32_t p = 1, status = 0;
          core::GETR8N(value, static_cast<std::int32_t>(value.size()), v, p, status);
          if (status == 0) {
            out.kind = kindconstant;
            out.value = v;
            const std::size_t rest =
                std::min(static_cast<std::size_t>(std::abs(p) - 1), value.size());
            out.text = substitute(trimright(value.substr(skipblanks(value, rest))), cx);
            return true;
          }
        }
        out.kind = kindtext;
        out.text = substitute(trimright(value), cx);
        return true;
      }
      // A reference: the value comes from it.
      out.reference = true;
      if (!cx.resolve) return true;
      Resolved r;
      std::size_t last = k;
      if (!reference(line, k, cx, r, last)) {
        failed = true;
        return true;
      }
      out.kind = r.kind;
      out.where = r.where;
      out.length = r.length;
      out.value = r.value;
      if (istextkind(r.kind) || r.kind == 0x8004) {
        out.text = resolvedtext(r);
      } else {
        const std::size_t rest = std::min(skipblanks(line, std::min(last + 1, end)), end);
        out.text = substitute(trimright(line.substr(rest, end - rest)), cx);
      }
      return true;
    }
  }
  // A text item; one that begins with a reference shows its value.
  out.lower = true;
  const std::string_view item = trimright(line.substr(i, end - i));
  if (!item.empty() && item[0] == cx.sep[3] && cx.resolve) {
    Resolved r;
    std::size_t last = i;
    if (!reference(line, i, cx, r, last)) {
      failed = true;
      return true;
    }
    const std::string_view rest = trimright(line.substr(last + 1, end - last - 1));
    if (isnumberkind(r.kind) && rest.find_first_not_of(' ') == std::string_view::npos) {
      out.kind = kindnumbertext;
      out.where = r.where;
      out.value = r.value;
      out.length = 1;
      out.reference = true;
      out.text = resolvedtext(r);
      return true;
    }
    out.kind = kindtext;
    out.reference = true;
    std::string t = resolvedtext(r) + substitute(rest, cx);
    if (t.size() >= linesize) t.resize(linesize - 1);
    out.text = std::move(t);
    return true;
  }
  out.kind = kindtext;
  out.text = substitute(item, cx);
  return true;
}

}  // namespace ui::winparse
