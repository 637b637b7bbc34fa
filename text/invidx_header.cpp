// The index header: reading its items, the set-up of an index run (the
// identification key and its number), and the failure report of index runs.
#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <functional>
#include <string>

#include "core/chars.h"
#include "core/messages.h"
#include "core/runwords.h"
#include "core/stores.h"
#include "platform/charcase.h"
#include "text/invidx.h"

namespace text {

namespace {

bool namechar(char c) {
  const auto u = static_cast<unsigned char>(c);
  return (u >= '0' && u <= '9') || (u >= 'A' && u <= 'Z') || (u >= 'a' && u <= 'z');
}

// Position (from 1) of the value of item `name` in the header text: the
// name, in any case, standing at the start or after a character that is no
// letter or digit, directly followed by "="; 0 when absent. valend receives
// the value's last position (the value ends at a blank, ";", ",", carriage
// return or line feed).
std::int32_t itemvalue(std::string_view hdr, std::string_view name, std::int32_t& valend) {
  const std::size_t m = name.size();
  for (std::size_t p = 0; p + m < hdr.size(); ++p) {
    if (p > 0 && namechar(hdr[p - 1])) continue;
    if (hdr[p + m] != '=') continue;
    bool same = true;
    for (std::size_t i = 0; i < m && same; ++i)
      same = plat::lower1252(static_cast<unsigned char>(hdr[p + i])) ==
             plat::lower1252(static_cast<unsigned char>(name[i]));
    if (!same) continue;
    std::size_t e = p + m + 1;
    while (e < hdr.size() && std::string_view(" ;,\r\n").find(hdr[e]) == std::string_view::npos)
      ++e;
    valend = static_cast<std::int32_t>(e);
    return static_cast<std::int32_t>(p + m + 2);
  }
  return 0;
}

// The value read as a number, rounded to the nearest integer (0 when it is
// none).
std::int32_t intof(std::string_view v) {
  const std::string s(v);
  char* end = nullptr;
  const double d = std::strtod(s.c_str(), &end);
  if (end == s.c_str() || !std::isfinite(d)) return 0;
  return static_cast<std::int32_t>(std::lround(std::clamp(d, -2.0e9, 2.0e9)));
}

// A word list typed as the LEX value becomes a constant lexicon at 161
// under a header of its own, so that the next run finds an index. False
// when the variable has no room for it.
bool lexiconfromwords(std::int32_t first, std::int32_t last, std::int32_t from, std::int32_t upto) {
  auto& c = core::c1namen;
  std::string lex;
  std::int32_t nw = 0;
  for (std::int32_t p = from; p <= upto;) {
    while (p <= upto && c(p) == ' ') ++p;
    if (p > upto) break;
    if (nw++ > 0) lex += ' ';
    while (p <= upto && c(p) != ' ') lex += c(p++);
  }
  lex += '\n';
  const auto len = static_cast<std::int32_t>(lex.size());
  if (iiheaderlen + len > last - first + 1) {
    core::msgkey.set(core::MSGKEY("stringtooshort"));
    return false;
  }
  InvIdxRun& r = invidxrun;
  r.growing = false;
  r.NWORDS = nw;
  r.IDS1 = r.POSSPW1 = r.IDSINW1 = r.POSS1 = iilex1 + len;
  r.NIDS = r.NPOSS = 0;
  r.rwidth = r.hex ? 8 : 4;
  r.xtr.blank();
  r.xtrlen = 0;
  const std::string hdr = INVIDXHEADERLINE();
  std::fill(c.ptr(first), c.ptr(first) + std::max(upto - first + 1, iiheaderlen + len), ' ');
  std::copy(hdr.begin(), hdr.end(), c.ptr(first));
  std::copy(lex.begin(), lex.end(), c.ptr(first + iilex1 - 1));
  r.ixlen = iiheaderlen + len;
  return true;
}

// Whether the areas and counts of the header agree with the index text
// c1namen(first..first + size - 1): the lexicon holds NWORDS words, each
// followed by one blank, the last by a line feed; the identification list
// holds NIDS lines; the three arrays stand one behind the other, each of
// its own length and followed by a line feed, all within the text; the
// extra characters are no blanks. An index whose text was cut short or
// changed fails here, before anything reads it.
bool areasagree(std::int32_t first, std::int64_t size) {
  const InvIdxRun& r = invidxrun;
  // The extra characters hold no blank (the blank separates the lexicon).
  if (r.xtr.view().substr(0, static_cast<std::size_t>(r.xtrlen)).find(' ') !=
      std::string_view::npos)
    return false;
  if (r.NWORDS < 0 || r.NIDS < 0 || r.NPOSS < 0 || r.IDS1 < iilex1 || r.POSSPW1 < r.IDS1 ||
      r.POSSPW1 - 1 > size)
    return false;
  const char* text = core::c1namen.ptr(first);
  auto t = [&](std::int64_t p) { return text[p - 1]; };  // relative position p
  // The lexicon: words of at least one character between single blanks.
  std::int64_t words = 0;
  if (r.IDS1 > iilex1) {
    if (t(r.IDS1 - 1) != '\n') return false;
    for (std::int32_t p = iilex1; p < r.IDS1; ++p) {
      if (t(p) != ' ' && p + 1 < r.IDS1) continue;
      if (p == iilex1 || t(p - 1) == ' ') return false;  // an empty word
      ++words;
    }
  }
  if (words != r.NWORDS) return false;
  // The identification list: NIDS lines, each ended by a line feed.
  if (r.POSSPW1 > r.IDS1 && t(r.POSSPW1 - 1) != '\n') return false;
  if (std::count(text + r.IDS1 - 1, text + r.POSSPW1 - 1, '\n') != r.NIDS) return false;
  // The arrays, or none when there are no positions.
  if (r.NPOSS == 0) return r.IDSINW1 == r.POSSPW1 && r.POSS1 == r.POSSPW1;
  const std::int64_t w = r.hex ? r.rwidth : 4;
  const std::int64_t rows = static_cast<std::int64_t>(r.NWORDS) * iirowwidth(r.NIDS);
  const std::int64_t pw = r.POSSPW1, rw = pw + r.NWORDS * w + 1, ps = rw + rows * w + 1,
                     end = ps + r.NPOSS * w;  // the last line feed
  return r.IDSINW1 == rw && r.POSS1 == ps && end <= size && t(rw - 1) == '\n' &&
         t(ps - 1) == '\n' && t(end) == '\n';
}

}  // namespace

void reset_invidx() { invidxrun = InvIdxRun{}; }

void READINVIDXHEADER(std::int32_t first, std::int32_t len) {
  InvIdxRun& r = invidxrun;
  const std::int32_t n = std::clamp(len, 0, iiheaderlen);
  const std::string hdr = n > 0 ? std::string(core::c1namen.ptr(first), n) : std::string();
  std::int32_t end = 0;
  auto value = [&](std::int32_t at) {
    return std::string_view(hdr).substr(static_cast<std::size_t>(at - 1),
                                        static_cast<std::size_t>(end - at + 1));
  };
  if (const std::int32_t v = itemvalue(hdr, "FMT", end); v > 0) {
    const std::string_view f = std::string_view(hdr).substr(static_cast<std::size_t>(v - 1));
    if (f.substr(0, 3) == "hex") {
      r.hex = true;
      const char d = f.size() > 3 ? f[3] : ' ';
      r.rwidth = d >= '1' && d <= '9' ? d - '0' : 8;
    }
  }
  if (const std::int32_t v = itemvalue(hdr, "XTR", end); v > 0) {
    const std::int32_t upto = std::min(159, n);
    r.xtr.set(v <= upto ? std::string_view(hdr).substr(static_cast<std::size_t>(v - 1),
                                                       static_cast<std::size_t>(upto - v + 1))
                        : std::string_view());
    r.xtrlen = static_cast<std::int32_t>(r.xtr.trimmed().size());
    r.xtrpos = first + v - 1;
  }
  struct Num {
    std::string_view name;
    std::int32_t* to;
  };
  for (const Num& it : {Num{"LEX1", &r.LEX1}, Num{"IDS1", &r.IDS1}, Num{"POSSPW1", &r.POSSPW1},
                        Num{"IDSINW1", &r.IDSINW1}, Num{"POSS1", &r.POSS1},
                        Num{"NWORDS", &r.NWORDS}, Num{"NIDS", &r.NIDS}, Num{"NPOSS", &r.NPOSS}}) {
    if (const std::int32_t v = itemvalue(hdr, it.name, end); v > 0) {
      *it.to = intof(value(v));
      if (it.name != "LEX1") r.hasareas = true;
    }
  }
  r.badlex1 = r.LEX1 != iilex1;
  r.hdrlen = r.LEX1 - 1;
  if (const std::int32_t v = itemvalue(hdr, "LEX", end); v > 0 && end >= v) {
    const std::string_view lex = value(v);
    r.growing = lex != "CONST";
    r.lexwords = lex != "UPDATE" && lex != "CONST" ? first + v - 1 : 0;
  }
}

std::string INVIDXHEADERLINE() {
  const InvIdxRun& r = invidxrun;
  std::string s = "FMT=";
  s += r.hex ? "hex8" : "bin4";
  s += r.growing ? " LEX=UPDATE" : " LEX=CONST ";
  auto item = [&](std::string_view nm, std::int32_t v) {
    s += ' ';
    s += nm;
    s += '=';
    s += std::to_string(v);
  };
  item("LEX1", iilex1);
  item("IDS1", r.IDS1);
  item("POSSPW1", r.POSSPW1);
  item("IDSINW1", r.IDSINW1);
  item("POSS1", r.POSS1);
  item("NWORDS", r.NWORDS);
  item("NIDS", r.NIDS);
  item("NPOSS", r.NPOSS);
  s += " XTR=";
  s += r.xtr.view().substr(0, static_cast<std::size_t>(std::clamp(r.xtrlen, 0, 16)));
  s.resize(iiheaderlen - 1, ' ');
  s += '\n';
  return s;
}

std::int32_t GET_TOKENNR_OF_INDEX(std::string_view text, std::int32_t n, char separator) {
  if (n < 1) return 0;
  const std::string_view t = text.substr(0, static_cast<std::size_t>(n));
  return 1 + static_cast<std::int32_t>(std::count(t.begin(), t.end(), separator));
}

bool INIT_INVIDX(std::int32_t mode, std::int32_t ixfirst, std::int32_t ixlast,
                 std::int32_t rangeflag, std::int32_t idfirst, std::int32_t idlast,
                 std::int32_t base, std::int32_t rangefirst, std::int32_t rangelast,
                 std::int32_t optfirst, std::int32_t optlast) {
  auto& c = core::c1namen;
  InvIdxRun& r = invidxrun;
  const std::int32_t offset = r.offset;
  r = InvIdxRun{};
  r.offset = offset;
  const std::int64_t size =
      std::max(static_cast<std::int64_t>(ixlast) - ixfirst + 1, std::int64_t{0});
  READINVIDXHEADER(
      ixfirst,
      IITRIMMEDLEN(
          ixfirst,
          ixfirst + static_cast<std::int32_t>(std::min<std::int64_t>(size, iiheaderlen)) - 1));
  // An index's end stands in its header (what follows it is blank): the
  // blanks behind a long index are not counted anew at every run.
  std::int64_t end = 0;
  if (r.hasareas)
    end = r.NPOSS > 0 ? r.POSS1 + static_cast<std::int64_t>(r.NPOSS) * (r.hex ? r.rwidth : 4)
                      : static_cast<std::int64_t>(r.POSSPW1) - 1;
  const std::int32_t len = end >= iiheaderlen && end <= size ? static_cast<std::int32_t>(end)
                                                             : IITRIMMEDLEN(ixfirst, ixlast);
  r.ixlen = len;
  // A word list as LEX value starts a lexicon; in an index it is damage.
  if (r.badlex1 || (r.lexwords > 0 && r.hasareas) || (r.hasareas && !areasagree(ixfirst, size))) {
    INVIDXFAILURE(iist_damaged, 0);
    return false;
  }
  if (r.lexwords > 0 && !lexiconfromwords(ixfirst, ixlast, r.lexwords, ixfirst + len - 1))
    return false;

  // The key: the option text, then the identification text.
  std::string key;
  if (optfirst > 0 && optlast >= optfirst) {
    key = std::string(c.ptr(optfirst), static_cast<std::size_t>(optlast - optfirst + 1));
    if (core::C1LEN_TRIM(key) == 0) optfirst = 0;
    if (key.starts_with("CONST")) key = "CONSTANT LEXICON";
  } else {
    optfirst = 0;
  }
  r.optfirst = optfirst;
  r.ignore = key.starts_with("IGNORE");
  if (r.ignore) key = "IGNORED WORDS";
  key.resize(static_cast<std::size_t>(core::C1LEN_TRIM(key)));
  auto rows = [&] { return (r.NIDS - 1) / 32; };
  r.rowold = rows();
  if (idfirst > 0) {
    idlast = std::max(idlast, idfirst);
    key.append(c.ptr(idfirst), static_cast<std::size_t>(idlast - idfirst + 1));
  } else if (idlast > 0) {
    if (idlast > r.NIDS) {
      core::msgkey.set(core::MSGKEY("invidxError"));
      return false;
    }
    r.curid = idlast - 1;
    r.rownew = r.rowold;
    r.idbit = r.curid % 32;
    r.idword = r.curid / 32;
    return true;
  }
  key.resize(std::min<std::size_t>(key.size(), 256));
  key.resize(static_cast<std::size_t>(core::C1LEN_TRIM(key)));
  if (mode != 1 && (r.offset > 0 || rangeflag > 0)) {
    key += "; " + std::to_string(rangefirst - base + r.offset + 1) + " " +
           std::to_string(rangelast - base + r.offset + 1);
  }
  if (core::C1LEN_TRIM(key) == 0 && optfirst == 0) key = "noID";
  // A line feed would split the key's line in the identification list.
  std::replace(key.begin(), key.end(), '\n', ' ');
  r.key.set(key);
  const std::string_view k = r.key.trimmed();

  // The key among the lines of the identification list: line feed, key,
  // line feed, from the line feed before the list on.
  std::int32_t line = 0;
  if (r.IDS1 >= iilex1 && r.POSSPW1 > r.IDS1 && r.POSSPW1 - 1 <= len) {
    const std::string_view list(c.ptr(ixfirst + r.IDS1 - 2),
                                static_cast<std::size_t>(r.POSSPW1 - r.IDS1 + 1));
    const std::string pattern = "\n" + std::string(k) + "\n";
    const auto hit =
        std::search(list.begin(), list.end(),
                    std::boyer_moore_horspool_searcher(pattern.begin(), pattern.end()));
    if (hit != list.end())
      line = 1 + static_cast<std::int32_t>(std::count(list.begin() + 1, hit + 1, '\n'));
  }
  if (line > 0 && mode == 1 && optfirst == 0) {
    r.curid = r.NIDS - 1;
    r.rownew = rows();
  } else if (line > 0) {
    r.curid = line - 1;
    r.rownew = r.rowold;
  } else {
    r.newid = true;
    if (mode == 0) ++r.NIDS;
    r.curid = r.NIDS - 1;
    r.rownew = rows();
  }
  r.idbit = r.curid % 32;
  r.idword = r.curid / 32;
  return true;
}

void INVIDXFAILURE(std::int32_t status, std::int32_t writepos) {
  auto& w = core::iostatw;
  w[0] = static_cast<std::int16_t>(status);
  w[1] = 0;
  core::msgkey.set(core::MSGKEY("rdwrErK"));
  if (status > 999) {
    core::failedline.set("Write to inverted index:");
    w[1] = static_cast<std::int16_t>(writepos);
  } else if (status == iist_noroom) {
    core::msgkey.set(core::MSGKEY("stringtooshort"));
  } else {
    // Nothing but the index text itself is read: a read that fails means
    // the text does not hold what its header says.
    core::msgkey.set(core::MSGKEY("invidxDamaged"));
    core::failedline.set("Read from inverted index:");
    w[1] = static_cast<std::int16_t>(invidxrun.NWORDS);
  }
  invidxrun.status = status;
}

}  // namespace text
