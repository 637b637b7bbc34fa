#include "ui/tablework.h"

#include <algorithm>
#include <cmath>

#include "core/chars.h"
#include "core/stores.h"
#include "core/symbols.h"
#include "toolkit/dialog_update.h"
#include "ui/dialogwords.h"

namespace ui::tw {

std::int32_t rounded(double v) {
  if (!std::isfinite(v)) return 0;
  return static_cast<std::int32_t>(std::llround(std::clamp(v, -2147483647.0, 2147483647.0)));
}

bool symboltext(std::int32_t sym, std::string& text, std::int32_t& first) {
  std::int32_t last = 0;
  first = 0;
  text.clear();
  if (sym <= 0 || (core::ISCHAR(sym, first, last) & typechar) == 0) return false;
  if (first < 1 || last < first || !core::c1namen.valid(last)) {
    first = 0;
    return true;
  }
  text.assign(core::c1namen.ptr(first), static_cast<std::size_t>(last - first + 1));
  return true;
}

bool symboltext(std::int32_t sym, std::string& text) {
  std::int32_t first = 0;
  return symboltext(sym, text, first);
}

namespace {

bool rowend(char c) { return c == '\r' || c == '\n'; }

// The runs of characters outside the set within text[from, to).
std::vector<Piece> split(std::string_view text, std::int32_t from, std::int32_t to,
                         std::string_view set) {
  std::vector<Piece> out;
  const auto in = [&](char c) { return set.find(c) != std::string_view::npos; };
  std::int32_t i = from;
  while (i < to && in(text[static_cast<std::size_t>(i)])) ++i;
  while (i < to) {
    const std::int32_t start = i;
    while (i < to && !in(text[static_cast<std::size_t>(i)])) ++i;
    out.push_back({start, i - start});
    while (i < to && in(text[static_cast<std::size_t>(i)])) ++i;
  }
  return out;
}

}  // namespace

Delimited splitdelimited(std::string_view text) {
  Delimited d;
  const std::size_t last = text.find_last_not_of(' ');
  if (last == std::string_view::npos) return d;
  // The kinds: every separator before the last character, the newest first.
  for (std::size_t i = 0; i < last; ++i) {
    const char c = text[i];
    if (core::is_namechar(c) || rowend(c) || d.kinds.find(c) != std::string::npos) continue;
    d.kinds.insert(d.kinds.begin(), c);
    if (d.kinds.size() > 3) d.kinds.pop_back();
  }
  if (d.kinds.empty()) return d;
  std::string rowset = "\r\n";
  rowset += d.kinds[0];
  // The text ends at its last character that is neither blank nor a row end.
  std::int32_t end = static_cast<std::int32_t>(last) + 1;
  while (end > 0 && (text[static_cast<std::size_t>(end - 1)] == ' ' ||
                     rowset.find(text[static_cast<std::size_t>(end - 1)]) != std::string::npos))
    --end;
  d.pieces = split(text, 0, end, rowset);
  return d;
}

std::int32_t delimitedrows(const Delimited& d, std::int32_t columns) {
  if (d.kinds.empty() || d.pieces.empty() || columns < 1) return 0;
  const auto n = static_cast<std::int32_t>(d.pieces.size());
  return d.onekind() ? (n + columns - 1) / columns : n;
}

bool delimitedcell(std::string_view text, const Delimited& d, std::int32_t columns,
                   std::int32_t row, std::int32_t col, Piece& cell) {
  if (row < 1 || col < 1 || columns < 1 || col > columns || d.kinds.empty()) return false;
  if (d.onekind()) {
    const std::int64_t n = std::int64_t{columns} * (row - 1) + col;
    if (n > static_cast<std::int64_t>(d.pieces.size())) return false;
    cell = d.pieces[static_cast<std::size_t>(n - 1)];
    return true;
  }
  if (row > static_cast<std::int32_t>(d.pieces.size())) return false;
  const Piece& p = d.pieces[static_cast<std::size_t>(row - 1)];
  std::string set = d.kinds.substr(1);
  const std::vector<Piece> fields = split(text, p.start, p.start + p.length, set);
  if (col > static_cast<std::int32_t>(fields.size())) return false;
  cell = fields[static_cast<std::size_t>(col - 1)];
  return true;
}

void updateitem(toolkit::dialog_t& item, win::HWND window, const ItemChange& c) {
  int ups = 0;
  const win::HWND* live = window != nullptr ? &window : nullptr;
  const std::int32_t* state = c.request != 0 ? &c.request : nullptr;
  const char* t = c.text != nullptr ? c.text->data() : nullptr;
  const int n = c.text != nullptr ? static_cast<int>(c.text->size()) : 0;
  // The reason a change procedure in hand was called for stays; any other
  // item starts anew: the text put in here is no change of the user's, so
  // losing the focus later commits nothing (a sorted table's focus cell
  // would otherwise be written back on its own).
  const std::int32_t reason = item.event_code;
  const bool inhand = item.busy != 0;
  // The change procedures the new text sets off see an update, not a typed cell.
  const bool updating = ui::inupdate;
  ui::inupdate = true;
  toolkit::UPDATE_DIALOG_ITEM(item, live, nullptr, t, n, t, n, c.ivalue, nullptr, c.proc, nullptr,
                              nullptr, c.imax, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                              c.value, nullptr, nullptr, nullptr, nullptr, 0, nullptr, c.colour,
                              nullptr, nullptr, state, nullptr, &ups);
  ui::inupdate = updating;
  item.event_code = inhand ? reason : toolkit::kEventInitial;
}

exec::ctlrec* controlof(exec::wdwrec& w, std::int32_t item) {
  std::int32_t k = 0;
  for (exec::ctlrec* c = w.firstcontrol; c != nullptr; c = c->ctlnext)
    if (++k == item) return c;
  return nullptr;
}

}  // namespace ui::tw
