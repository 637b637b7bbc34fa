// HELP, the message window. The window builder that lays a section out as a
// dialog comes with the script windows; until then a message section is
// shown as a message box made of its texts, with the caller's values in
// place of the references.
#include <algorithm>
#include <array>
#include <charconv>
#include <string>
#include <vector>

#include "core/helpdata.h"
#include "core/messages.h"
#include "core/numwrite.h"
#include "core/runwords.h"
#include "platform/charcase.h"

namespace core {

namespace {

// The dialog keywords in list order (entry 1 is ERror): capitals, digits and
// "$" must be typed, lower-case letters may be dropped.
constexpr std::array<std::string_view, 82> dialog_keywords = {"ERror",
                                                              "Text",
                                                              "Align",
                                                              "Button",
                                                              "Edit",
                                                              "NamEedit",
                                                              "ListBox",
                                                              "ComBobox",
                                                              "CHeckbox",
                                                              "RADio",
                                                              "Group",
                                                              "FRAMe",
                                                              "REct",
                                                              "UpDown",
                                                              "TrackBar",
                                                              "ProgressBar",
                                                              "ScrollBar",
                                                              "X",
                                                              "Y",
                                                              "Width",
                                                              "Height",
                                                              "Line",
                                                              "MAx",
                                                              "MIn",
                                                              "DNum",
                                                              "SelTxt",
                                                              "SelIdx",
                                                              "GroupEnd",
                                                              "Vertical",
                                                              "SOrt",
                                                              "CALLback",
                                                              "LeftAlign",
                                                              "CenterAlign",
                                                              "RightAlign",
                                                              "PassWord",
                                                              "ReadOnly",
                                                              "BLAck",
                                                              "WHIte",
                                                              "GRAY",
                                                              "WRap",
                                                              "DEFault",
                                                              "EnAble",
                                                              "SHOW",
                                                              "FocuS",
                                                              "NoClose",
                                                              "SetMemory",
                                                              "XMemoryadd",
                                                              "YMemoryadd",
                                                              "IDentification",
                                                              "ColTitle",
                                                              "RowTitle",
                                                              "Jumpto",
                                                              "ROW",
                                                              "COL",
                                                              "ZeroBlank",
                                                              "TItle",
                                                              "ReturnCode",
                                                              "SEParators",
                                                              "KiLl",
                                                              "UPDAte",
                                                              "HelpFile",
                                                              "DefHeight",
                                                              "BORder",
                                                              "SPace",
                                                              "DefWidth",
                                                              "FONt",
                                                              "PoinT",
                                                              "CHIld",
                                                              "FixedFont",
                                                              "BaCkcolor",
                                                              "ForeColor",
                                                              "X0",
                                                              "Y0",
                                                              "WINdowhandle",
                                                              "ColSel",
                                                              "RowSel",
                                                              "Owner",
                                                              "BiTteXt",
                                                              "HeLP",
                                                              "Format",
                                                              "CoNtrols",
                                                              "CHanGed"};

constexpr int kw_text = 2;
constexpr int kw_align = 3;
constexpr int kw_title = 56;

bool is_lower(char c) { return c >= 'a' && c <= 'z'; }

bool keyword_matches(std::string_view word, std::string_view entry) {
  std::size_t j = 0;
  for (char e : entry) {
    if (j < word.size() && plat::upper1252(static_cast<unsigned char>(word[j])) ==
                               plat::upper1252(static_cast<unsigned char>(e))) {
      ++j;
    } else if (!is_lower(e)) {
      return false;
    }
  }
  return j == word.size();
}

int dialog_keyword(std::string_view word) {
  if (word.empty()) return 0;
  for (std::size_t i = 0; i < dialog_keywords.size(); ++i)
    if (keyword_matches(word, dialog_keywords[i])) return static_cast<int>(i) + 1;
  return 0;
}

// Controls that make a section a dialog of its own: Edit to ComBobox,
// CHeckbox, RADio, and UpDown to ScrollBar.
bool is_input_control(int kw) { return (kw >= 5 && kw <= 10) || (kw >= 14 && kw <= 17); }

std::string number_text(double v) {
  std::array<char, 23> buf{};
  WTSID8(buf, v, 0);
  std::string_view s(buf.data(), buf.size());
  while (!s.empty() && s.back() == ' ') s.remove_suffix(1);
  while (!s.empty() && s.front() == ' ') s.remove_prefix(1);
  return std::string(s);
}

// State of the references of one text: a bare "*" is the next parameter or,
// after a reference with an index, the next element of the same one.
struct RefState {
  int n = 0;
  int index = 0;
  bool indexgiven = false;
};

int read_int(std::string_view s, std::size_t& i, bool& any) {
  long long v = 0;
  any = false;
  while (i < s.size() && s[i] >= '0' && s[i] <= '9') {
    v = std::min<long long>(v * 10 + (s[i] - '0'), 1'000'000'000);
    ++i;
    any = true;
  }
  return static_cast<int>(v);
}

template <class T>
std::string element(std::span<T> a, int index) {
  if (a.data() == nullptr || index < 1 || static_cast<std::size_t>(index) > a.size()) return {};
  return number_text(static_cast<double>(a[static_cast<std::size_t>(index - 1)]));
}

std::string chars_from(std::string_view s, int index) {
  if (index < 1 || static_cast<std::size_t>(index) > s.size()) return {};
  s.remove_prefix(static_cast<std::size_t>(index - 1));
  while (!s.empty() && s.back() == ' ') s.remove_suffix(1);
  return std::string(s);
}

// The value of the reference that starts after the "*" at i; i ends after it.
std::string resolve(std::string_view s, std::size_t& i, RefState& st, const HelpValues& v) {
  if (st.indexgiven) {
    ++st.index;
  } else {
    st.index = 1;
    ++st.n;
  }
  bool any = false;
  const int n = read_int(s, i, any);
  if (any) {
    st.n = n;
    st.index = 1;
    st.indexgiven = false;
  }
  if (i < s.size() && s[i] == '.') {
    ++i;
    st.indexgiven = true;
    st.index = std::max(read_int(s, i, any), 1);
    if (i < s.size() && s[i] == ':') {
      ++i;
      read_int(s, i, any);
    }
  }
  switch (st.n) {
    case 1:
      return element(v.bytes, st.index);
    case 2:
      return element(v.halves, st.index);
    case 3:
      return element(v.words, st.index);
    case 4:
      return element(v.singles, st.index);
    case 5:
      return element(v.doubles, st.index);
    case 6:
      return chars_from(std::string_view(v.text.data(), v.text.size()), st.index);
    case 7: {
      if (v.characters.data() == nullptr || v.count < 0) return {};
      const std::size_t n7 = std::min(v.characters.size(), static_cast<std::size_t>(v.count));
      return chars_from(std::string_view(v.characters.data(), n7), st.index);
    }
    default:
      return {};
  }
}

std::string substitute(std::string_view s, RefState& st, const HelpValues& v) {
  std::string out;
  for (std::size_t i = 0; i < s.size();) {
    if (s[i] != '*') {
      out += s[i++];
      continue;
    }
    ++i;
    out += resolve(s, i, st, v);
  }
  return out;
}

std::string_view trim(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && s.back() == ' ') s.remove_suffix(1);
  return s;
}

// The texts of one line of items; false when an item is an input control.
bool line_texts(std::string_view line, RefState& st, const HelpValues& v, std::string& title,
                std::string& out) {
  std::size_t start = 0;
  while (start <= line.size()) {
    std::size_t end = line.find(';', start);
    if (end == std::string_view::npos) end = line.size();
    std::string_view item = trim(line.substr(start, end - start));
    start = end + 1;
    if (item.empty()) continue;
    // A word followed by ":" is a label.
    std::size_t w = item.find_first_of(" :=*;");
    if (w != std::string_view::npos && w > 0 && item[w] == ':') {
      item = trim(item.substr(w + 1));
      w = item.find_first_of(" :=*;");
    }
    if (item.empty()) continue;
    const std::string_view word = item.substr(0, w == std::string_view::npos ? item.size() : w);
    std::size_t k = word.size();
    while (k < item.size() && item[k] == ' ') ++k;
    const bool keyword_form = k == item.size() || item[k] == '=' || item[k] == '*';
    const int kw = keyword_form ? dialog_keyword(word) : 0;
    std::string_view value;
    if (kw != 0 && k < item.size()) value = item.substr(item[k] == '=' ? k + 1 : k);
    if (kw == 0) {
      const std::string t = substitute(item, st, v);
      if (!out.empty() && !t.empty()) out += ' ';
      out += t;
    } else if (kw == kw_text || kw == kw_align) {
      const std::string t = substitute(value, st, v);
      if (!out.empty() && !t.empty()) out += ' ';
      out += t;
    } else if (kw == kw_title) {
      title = substitute(value, st, v);
    } else if (is_input_control(kw)) {
      return false;
    }
  }
  return true;
}

}  // namespace

std::uint16_t help_flags(const HelpValues& v) {
  std::uint16_t f = 0x2;
  if (v.bytes.data() != nullptr) f |= 0x4;
  if (v.halves.data() != nullptr) f |= 0x8;
  if (v.words.data() != nullptr) f |= 0x10;
  if (v.singles.data() != nullptr) f |= 0x20;
  if (v.doubles.data() != nullptr) f |= 0x40;
  if (v.text.data() != nullptr) f |= 0x80;
  if (v.characters.data() != nullptr && v.count >= 0) f |= 0x100;
  return f;
}

void HELP(std::string_view key, int& answer, const HelpValues& given) {
  // The key is the text up to its first blank, ";" or ":".
  std::string_view k = key.substr(0, std::min(key.find_first_of(" ;:"), key.size()));
  if (k.empty()) {
    idecmd = -1;
    return;
  }
  shownkey.set(k);
  HelpValues values = given;
  if (helpsectionfor != nullptr) k = helpsectionfor(k, values);
  const int saved_unit = menuunit;
  menuunit = helpunit;
  helpkey.set(k);
  plat::FixedText<256> head;
  int found = 0;
  int last = 0;
  int len = 0;
  int width = 0;
  GETMENUDATA(helpunit, found, last, len, width, std::span<char>(head.data(), head.size()));
  if (found == 0) {
    const std::string detail = std::string(key) + " in " + std::string(helppath.trimmed());
    int ignored = 0;
    MSGBOXFROMHELP(MSGKEY("msgNotinHF"), detail, ignored);
    menuunit = saved_unit;
    answer = 0;
    xeqstop = 0x7FFF;
    return;
  }

  const std::string_view h = head.trimmed();
  const std::size_t blank = h.find(' ');
  const std::string_view rest =
      blank == std::string_view::npos ? std::string_view() : h.substr(blank + 1);
  const bool item_list = rest.find(';') != std::string_view::npos;
  std::string title;
  if (const std::size_t ti = rest.find("ti="); ti != std::string_view::npos) {
    const std::string_view t = rest.substr(ti + 3);
    title = std::string(t.substr(0, std::min(t.find(';'), t.size())));
  } else if (!item_list) {
    title = std::string(rest);
  }
  const bool own_dialog =
      rest.find("/POPUP") != std::string_view::npos || rest.find("/LB") != std::string_view::npos;

  std::vector<std::string> lines;
  RefState st;
  bool message = !own_dialog;
  plat::FixedText<256> line;
  int entry = helpentry;
  int pos = 1;
  while (message && GETMENULINE(std::span<char>(line.data(), line.size()), entry, pos) == 0) {
    std::string text;
    if (item_list) {
      message = line_texts(line.trimmed(), st, values, title, text);
    } else {
      text = std::string(trim(line.trimmed()));
    }
    if (!text.empty()) lines.push_back(text);
  }
  menuunit = saved_unit;
  if (!message) return;  // a dialog of its own waits for the window builder

  std::string box = title;
  for (const auto& l : lines) box += "|" + l;
  if (lines.empty()) box += "|";
  MESSAGEBOX("!", box, answer);
}

}  // namespace core
