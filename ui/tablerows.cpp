// The text of a whole line of a file table as its pending edits make it:
// a new line from its cells, a stored line with its changed cells put in.
#include <algorithm>
#include <string>
#include <vector>

#include "io/coltable.h"
#include "io/rwfiles.h"
#include "ui/tablechanges.h"

namespace ui {

std::string newrowtext(std::int32_t unit, std::span<const mxchange* const> cells,
                       std::string_view firstrecord) {
  const io::RwFile& r = io::rwfiles(unit);
  const auto columns = static_cast<std::int32_t>(cells.size()) - 1;
  std::string row;
  if (r.lineindex) {
    for (std::int32_t c = 1; c <= columns; ++c) {
      const mxchange* e = cells[static_cast<std::size_t>(c)];
      std::string text = e != nullptr && e->hastext ? e->text : std::string(" ");
      // A column of fixed width keeps its width, so the cells after it
      // stay in their places.
      if (r.coltable && c <= r.coltable->columns.size() && r.coltable->columns(c).width > 0 &&
          c < columns)
        text.resize(static_cast<std::size_t>(r.coltable->columns(c).width), ' ');
      row += text;
      const std::string d = io::columnformat(unit, c);
      if (d.size() == 1 && std::string_view("AaFf").find(d[0]) == std::string_view::npos) row += d;
    }
    return row;
  }
  // A fixed record: the fields in their places, the bytes between them as
  // the first stored record has them.
  const auto recl = static_cast<std::size_t>(std::max(r.recl, 0));
  row.assign(recl, ' ');
  if (firstrecord.size() >= recl) row.assign(firstrecord.substr(0, recl));
  for (std::int32_t c = 1; c <= columns && r.coltable; ++c) {
    const io::ColDef& d = r.coltable->columns(c);
    const std::int32_t at = std::max(d.offset, 1) - 1;
    if (d.width < 1 || at >= static_cast<std::int32_t>(recl)) continue;
    const auto n = std::min<std::size_t>(static_cast<std::size_t>(d.width),
                                         recl - static_cast<std::size_t>(at));
    const mxchange* e = cells[static_cast<std::size_t>(c)];
    std::string text = e != nullptr && e->hastext ? e->text : "";
    text.resize(n, ' ');
    row.replace(static_cast<std::size_t>(at), n, text);
  }
  return row;
}

bool EDITEDLINE(std::int32_t unit, double line, std::string& row) {
  const ChangeList* l = changesof(unit);
  if (l == nullptr || l->head == nullptr) return false;
  const io::RwFile& r = io::rwfiles(unit);
  const std::int32_t columns =
      r.coltable ? static_cast<std::int32_t>(std::max<std::int64_t>(r.coltable->columns.size(), 0))
                 : 0;
  std::vector<const mxchange*> cells(static_cast<std::size_t>(columns) + 1, nullptr);
  bool any = false, isnew = false;
  for (const mxchange* q = l->head; q != nullptr; q = q->next) {
    if (q->line != line) continue;
    if (q->is(chg::deleted)) return false;
    isnew = isnew || q->is(chg::newline);
    if (q->col >= 1 && q->col <= columns && q->hastext) {
      cells[static_cast<std::size_t>(q->col)] = q;
      any = true;
    }
  }
  if (!any) return false;
  if (isnew) {
    row = newrowtext(unit, cells, {});
  } else if (r.lineindex) {
    // The changed cells where the stored line has them, the last first so
    // that the places of those before stay right.
    std::string stored;
    std::int32_t start = 0, length = 0;
    const auto L = static_cast<std::int32_t>(line);
    if (io::CHARCELLAZ(unit, L, 0, stored, start, length) != 0) return false;
    std::vector<const mxchange*> order;
    for (const mxchange* e : cells)
      if (e != nullptr && e->cellpos >= 1) order.push_back(e);
    std::sort(order.begin(), order.end(),
              [](const mxchange* a, const mxchange* b) { return a->cellpos > b->cellpos; });
    for (const mxchange* e : order) {
      const auto at = std::min(static_cast<std::size_t>(e->cellpos - 1), stored.size());
      stored.replace(at, std::min(static_cast<std::size_t>(e->cellwidth), stored.size() - at),
                     e->text);
    }
    const std::size_t first = static_cast<std::size_t>(std::max(start, 1) - 1);
    row = first < stored.size() ? stored.substr(first) : std::string();
    while (!row.empty() && (row.back() == '\n' || row.back() == '\r')) row.pop_back();
  } else {
    // A fixed record as read, its changed fields put in their places.
    for (std::int32_t c = 1; c <= columns && r.coltable; ++c) {
      const mxchange* e = cells[static_cast<std::size_t>(c)];
      const io::ColDef& d = r.coltable->columns(c);
      if (e == nullptr || d.width < 1) continue;
      const auto at = static_cast<std::size_t>(std::max(d.offset, 1) - 1);
      if (row.size() < at + static_cast<std::size_t>(d.width))
        row.resize(at + static_cast<std::size_t>(d.width), ' ');
      std::string text = e->text;
      text.resize(static_cast<std::size_t>(d.width), ' ');
      row.replace(at, text.size(), text);
    }
  }
  const std::size_t end = row.find_last_not_of(' ');
  row.resize(end == std::string::npos ? 0 : end + 1);
  return true;
}

}  // namespace ui
