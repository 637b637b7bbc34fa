// The titles of a table: the column titles above its cells and the row
// titles beside them, from the ColTitle and RowTitle options (a list of
// titles, or a number naming a row or column of the data), with automatic
// numbering, access keys and check-box and radio-button titles bound to
// ColSel and RowSel; and the column order that a ColTitle list gives.
#include <algorithm>
#include <array>
#include <cmath>

#include "core/chars.h"
#include "core/numread.h"
#include "core/numwrite.h"
#include "core/shop.h"
#include "core/shoplists.h"
#include "core/stores.h"
#include "core/symbols.h"
#include "core/symbols_text.h"
#include "ui/bindings.h"
#include "ui/dialogwords.h"
#include "ui/tables.h"
#include "ui/tablework.h"

namespace ui {

namespace {

constexpr std::string_view letterpool = "abcdefghijklnpqrstuvwz";

// The access keys given so far in the dialog: the letters left and the
// final digits used.
std::string pool(letterpool);
std::uint32_t digitsused = 0;

std::string trimmed(std::string_view s) {
  const std::size_t a = s.find_first_not_of(' ');
  if (a == std::string_view::npos) return {};
  return std::string(s.substr(a, s.find_last_not_of(' ') - a + 1));
}

std::string numbertext(double v) {
  std::array<char, 23> t{};
  core::WTSID8(t, v, 0);
  return trimmed(std::string_view(t.data(), t.size()));
}

// One field of a title list.
struct Field {
  std::string text;
  std::int32_t type = toolkit::DLG_TEXT;
  std::int32_t kind = ck::character;
  std::int32_t column = 0;   // a listed format column (0: none)
  std::int32_t display = 0;  // the display column it titles (0: none)
};

// The fields of a title text: split at its separator, the last character
// that is neither a name character, a blank nor the prefix colon.
std::vector<Field> fieldsof(std::string_view text) {
  std::vector<Field> out;
  const std::size_t end = text.find_last_not_of(' ');
  if (end == std::string_view::npos) return out;
  text = text.substr(0, end + 1);
  char sep = 0;
  for (std::size_t i = text.size(); i-- > 0;)
    if (text[i] != ' ' && text[i] != ':' && !core::is_namechar(text[i])) {
      sep = text[i];
      break;
    }
  std::vector<std::string> parts;
  if (sep == 0) {
    parts.emplace_back(text);
  } else {
    std::size_t i = text.front() == sep ? 1 : 0;
    for (;;) {
      const std::size_t next = text.find(sep, i);
      if (next == std::string_view::npos) {
        if (i < text.size()) parts.emplace_back(text.substr(i));
        break;
      }
      parts.emplace_back(text.substr(i, next - i));
      i = next + 1;
    }
  }
  for (const std::string& p : parts) {
    Field f;
    f.text = p;
    const std::size_t colon = p.find(':');
    if (colon != std::string::npos && colon > 0) {
      const std::string word = trimmed(p.substr(0, colon));
      std::int32_t position = 0;
      const std::int32_t kw =
          word.empty() ? 0 : core::ITEMNRINSHOP(word, core::dlgshop, position) - 1;
      bool prefix = true;
      if (kw == dk("Text")) {
      } else if (kw == dk("Button")) {
        f.type = toolkit::DLG_PUSHBUTTON;
        f.kind = ck::pushbutton;
      } else if (kw == dk("CHeckbox")) {
        f.type = toolkit::DLG_CHECKBOX;
        f.kind = ck::checkbox;
      } else if (kw == dk("RADio")) {
        f.type = toolkit::DLG_RADIOBUTTON;
        f.kind = ck::radio;
      } else {
        double v = 0.0;
        std::int32_t at = 1, status = 0;
        core::GETR8N(word, static_cast<std::int32_t>(word.size()), v, at, status);
        if (status == 0 && !word.empty()) {
          if (v >= 1.0 && v < 2147483647.0) f.column = tw::rounded(v);
        } else {
          prefix = false;
        }
      }
      if (prefix) f.text = p.substr(colon + 1);
    }
    f.text = trimmed(f.text);
    out.push_back(std::move(f));
  }
  return out;
}

// Gives every field its display column when the titles list the order; the
// order array is filled when asked.
bool assigncolumns(mxrec& t, std::vector<Field>& fields, bool fill) {
  const bool numbers =
      std::any_of(fields.begin(), fields.end(), [](const Field& f) { return f.column > 0; });
  if (!numbers && (t.mxflags & mxordered) == 0) return false;
  std::int32_t display = 0, lastmapped = 0;
  for (Field& f : fields) {
    std::int32_t mapped = 0;
    if (f.column > 0) {
      mapped = f.column;
    } else if (display < t.ncols) {
      mapped = lastmapped + 1;
    } else {
      continue;
    }
    f.display = ++display;
    lastmapped = mapped;
    if (fill && display < static_cast<std::int32_t>(t.colmap.size()))
      t.colmap[static_cast<std::size_t>(display)] = std::min(mapped, std::max(t.nfmtcols, 1));
  }
  return numbers;
}

// The on/off state of title n shown as a check box or radio button bound to
// the symbol.
std::int32_t checkradio(std::int32_t bound, std::int32_t n, std::int32_t type) {
  if (bound <= 0 || n < 1) return 0;
  if (core::NAMTYP(bound, tw::typearray) != 0) {
    const std::int32_t cell = cellof({0, bound, n - 1});
    return cell > 0 && tw::rounded(core::z(cell)) != 0 ? 1 : 0;
  }
  if (n > 32 || !core::z.valid(bound)) return 0;
  const std::int64_t v = std::isfinite(core::z(bound)) ? std::llround(core::z(bound)) : 0;
  if (type == toolkit::DLG_CHECKBOX) return (v & (std::int64_t{1} << (n - 1))) != 0 ? 1 : 0;
  return v == n ? 1 : 0;
}

// A letter access key for a column title.
void letterkey(std::string& title, bool numbered) {
  for (std::size_t i = 0; i < title.size(); ++i) {
    const auto c = static_cast<char>(std::tolower(static_cast<unsigned char>(title[i])));
    const std::size_t at = pool.find(c);
    if (at == std::string::npos) continue;
    pool.erase(at, 1);
    title.insert(i, "&");
    return;
  }
  if (numbered && !pool.empty()) {
    title += " &";
    title += pool.front();
    pool.erase(0, 1);
  }
}

// A digit access key for a row title number.
void digitkey(std::string& number) {
  if (number.empty()) return;
  const char last = number.back();
  if (last < '0' || last > '9') return;
  const std::uint32_t bit = 1u << (last - '0');
  if ((digitsused & bit) != 0) return;
  digitsused |= bit;
  number.insert(number.size() - 1, "&");
}

// The text of the symbol, or false when it is a number (its rounded value
// in n).
bool sourceof(std::int32_t sym, std::string& text, std::int32_t& n) {
  if (tw::symboltext(sym, text)) return true;
  n = core::z.valid(sym) ? tw::rounded(core::z(sym)) : 0;
  return false;
}

}  // namespace

void resettitlekeys() {
  pool.assign(letterpool);
  digitsused = 0;
}

void GETMXTITLES(std::int32_t& k, Title& title) {
  title = Title{};
  mxrec* t = mxcur;
  if (t == nullptr) return;
  if (k >= 0 && t->unit > 0) {
    title.type = toolkit::DLG_PUSHBUTTON;
    title.kind = ck::pushbutton;
  }
  if (k > 0 && t->serial == 1 && k == std::max(t->leftcol, t->coloffset + 1)) resettitlekeys();
  const std::int32_t src = k < 0 ? t->rowtitle : t->coltitle;
  bool given = false;
  std::string fieldtext;
  std::vector<Field> fields;
  std::int32_t listedcount = 0;
  if (src > 0) {
    std::string text;
    std::int32_t n = 0;
    if (!sourceof(src, text, n)) {
      // The titles are the cells of row n (column titles) or column n (row
      // titles) of the data.
      if (k > 0 && n >= 1) {
        t->rowoffset = std::max(t->rowoffset, n);
        fieldtext = cellastext(*t, n, k);
        given = true;
      } else if (k < 0 && n >= 1) {
        fieldtext = cellastext(*t, -k, n);
        given = true;
      }
    } else {
      fields = fieldsof(text);
      const bool numbers = assigncolumns(*t, fields, k == 0 && !t->colmap.empty());
      if (k == 0) {
        k = numbers ? static_cast<std::int32_t>(fields.size()) : 0;
        return;
      }
      if (numbers)
        for (const Field& f : fields)
          if (f.column > 0) ++listedcount;
      const Field* mine = nullptr;
      if (k < 0) {
        const std::int32_t r = -k;
        if (r >= 1 && r <= static_cast<std::int32_t>(fields.size()))
          mine = &fields[static_cast<std::size_t>(r - 1)];
      } else if (!numbers && (t->mxflags & mxordered) == 0) {
        if (k <= static_cast<std::int32_t>(fields.size()))
          mine = &fields[static_cast<std::size_t>(k - 1)];
      } else {
        for (const Field& f : fields)
          if (f.display == k) mine = &f;
      }
      if (mine != nullptr) {
        fieldtext = mine->text;
        given = true;
        if (mine->type != toolkit::DLG_TEXT || mine->kind != ck::character) {
          title.type = mine->type;
          title.kind = mine->kind;
        }
        if (mine->type == toolkit::DLG_CHECKBOX || mine->type == toolkit::DLG_RADIOBUTTON)
          title.state = checkradio(k < 0 ? t->rowsel : t->colsel, std::abs(k), mine->type);
      }
    }
  }
  if (k == 0) return;
  bool numbered = false;
  if (k > 0) {
    if (given && !trimmed(fieldtext).empty()) {
      title.text = trimmed(fieldtext);
    } else if (k == 1) {
      std::array<char, 256> name{};
      core::GETNAME(t->object, name);
      title.text = trimmed(std::string_view(name.data(), name.size()));
    } else {
      title.text = numbertext(listedcount > 0 ? t->mapped(k) : k);
      numbered = true;
    }
    if (title.type != toolkit::DLG_TEXT) letterkey(title.text, numbered);
    return;
  }
  // A row title: the stored row, then its text.
  std::string number;
  const std::int32_t row = EXPANDMXROW(t->unit, -k);
  const exec::wdwrec* w = exec::wdwcur;
  const mxrec* first = w != nullptr && w->firsttable != nullptr ? w->firsttable : t;
  bool cluster = false;
  // The cluster numbers belong to the rows of the row index (before a
  // file's own filter).
  const std::int32_t indexrow = -k >= 1 && -k <= static_cast<std::int32_t>(first->sortindex.size())
                                    ? first->sortindex[static_cast<std::size_t>(-k - 1)]
                                    : 0;
  if (!first->clusterinfo3.empty() && indexrow >= 1 &&
      indexrow <= static_cast<std::int32_t>(first->clusterinfo3.size())) {
    // Rows in clusters: the cluster number and the place within it.
    static std::int32_t lastcluster = 0, firstrow = 0;
    const std::int32_t c = first->clusterinfo3[static_cast<std::size_t>(indexrow - 1)];
    bool grouped = false;
    for (std::size_t s = 0; s < first->clusterinfo2.size(); ++s)
      if (std::abs(first->clusterinfo2[s]) >= 2) grouped = true;
    if (grouped && c != 0) {
      if (c != lastcluster) {
        lastcluster = c;
        firstrow = -k;
      }
      number = numbertext(c) + "." + numbertext(-k - firstrow + 1);
      cluster = true;
    }
  }
  if (!cluster) number = numbertext(row);
  if (title.type != toolkit::DLG_TEXT) digitkey(number);
  title.text = number;
  const std::string extra = trimmed(fieldtext);
  if (!extra.empty()) title.text += " " + extra;
}

std::int32_t CHECKMXCOLUMNORDER() {
  std::int32_t k = 0;
  Title scratch;
  GETMXTITLES(k, scratch);
  return k;
}

}  // namespace ui
