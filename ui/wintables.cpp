#include "ui/wintables.h"

#include <algorithm>
#include <cmath>

#include "core/chars.h"
#include "core/runwords.h"
#include "core/symbols.h"
#include "ui/dialogwords.h"
#include "ui/tables.h"

namespace ui::wintables {

namespace {

using winparse::Item;

bool iscontrol(std::int32_t kw) { return kw >= dk("Text") && kw <= dk("ScrollBar"); }

std::int32_t rounded(double v) {
  if (!std::isfinite(v)) return 0;
  return static_cast<std::int32_t>(std::llround(std::clamp(v, -2147483647.0, 2147483647.0)));
}

// The reference of the item names a whole variable: no index follows its
// number ("*2", not "*2.3").
bool whole(const Item& it, const winparse::Context& cx) {
  const std::size_t mark = it.raw.find(cx.sep[3]);
  if (mark == std::string::npos) return false;
  std::size_t k = mark + 1;
  while (k < it.raw.size() && it.raw[k] >= '0' && it.raw[k] <= '9') ++k;
  return k >= it.raw.size() || it.raw[k] != '.';
}

// The symbol of a scalar script variable the item refers to (0 none).
std::int32_t scalarof(const Item& it) {
  if (!it.reference || it.kind != ck::numeric || it.where.array != 0) return 0;
  const std::int32_t s = it.where.sym;
  return s > 0 && core::z.valid(s) ? s : 0;
}

// One table in the making: its request and the ROW and COL variables.
struct Pending {
  TableRequest q;
  std::int32_t rowvar = 0, colvar = 0;
  bool character = false;  // a character variable: a table only with a format
};

bool pending = false;  // the control placed last has a table waiting

}  // namespace

bool plan(const std::vector<std::string>& lines, const winparse::Context& context,
          std::int32_t& extra) {
  winparse::Context cx = context;
  cx.refs = RefState{};
  cx.sep = builder.syntax;
  cx.resolve = true;
  // Resolving here must leave the references' state as the build finds it.
  const std::int32_t lastparam = lastscriptparam;
  std::int32_t controls = 0;
  extra = 0;
  bool refused = false;
  std::vector<Pending> open;
  const auto setup = [&](Pending& p) {
    if (p.q.object <= 0 || refused) return;
    if (p.character && p.q.format <= 0 && p.q.formattext.empty()) return;
    const std::int32_t items = SETMATRIXFORMAT(p.q);
    if (!core::msgkey.is_blank()) {
      refused = true;
      return;
    }
    if (items <= 0 || mxcur == nullptr) return;
    mxcur->rowvar = p.rowvar;
    mxcur->colvar = p.colvar;
    extra += items - 1;
  };
  for (const std::string& raw : lines) {
    const std::string line = winparse::closeline(raw, cx.sep[4]);
    std::size_t at = 0;
    Item it;
    bool failed = false;
    Pending p;
    while (!refused && winparse::nextitem(line, at, cx, it, failed)) {
      if (failed) {
        // The build reports it.
        failed = false;
        continue;
      }
      if (it.kw == dk("HelpFile")) break;
      if (it.kw == dk("SEParators") && it.text.find_first_not_of(' ') != std::string::npos) {
        for (std::size_t i = 0; i < cx.sep.size(); ++i)
          cx.sep[i] = i < it.text.size() ? it.text[i] : ' ';
        continue;
      }
      if (it.kw < 0 || iscontrol(it.kw)) {
        setup(p);
        p = Pending{};
        controls += it.kw == dk("NamEedit") ? 2 : 1;
        if (it.kw < 0 || it.kw == dk("NamEedit") || !it.reference || it.where.array != 0 ||
            it.where.offset != 0 || !whole(it, cx))
          continue;
        if (it.kind == ck::element) {
          p.q.object = it.where.sym;
        } else if (it.kind == ck::character) {
          p.q.object = it.where.sym;
          p.character = true;
        }
        p.q.key = controls;
        continue;
      }
      if (p.q.object <= 0) continue;
      if (it.kw == dk("Format")) {
        if (it.reference && it.kind == ck::character && it.where.array == 0 &&
            it.where.offset == 0 && it.where.sym > 0)
          p.q.format = it.where.sym;
        else
          p.q.formattext = it.text;
      } else if (it.kw == dk("Width") && it.kind == winparse::kindconstant) {
        p.q.viscols = rounded(it.value);
      } else if (it.kw == dk("Height") && it.kind == winparse::kindconstant) {
        p.q.visrows = rounded(it.value);
      } else if (it.kw == dk("ColTitle") && it.reference && it.kind == ck::character) {
        p.q.coltitle = it.where.sym;
      } else if (it.kw == dk("RowTitle") && it.reference && it.kind == ck::character) {
        p.q.rowtitle = it.where.sym;
      } else if (it.kw == dk("ROW")) {
        p.rowvar = scalarof(it);
      } else if (it.kw == dk("COL")) {
        p.colvar = scalarof(it);
      }
    }
    setup(p);
  }
  lastscriptparam = lastparam;
  if (refused) {
    dropstaged();
    extra = 0;
  }
  return !refused;
}

bool begins(std::int32_t control) {
  pending = CHECKIFMX2(control) > 0;
  staged.tableformat = pending ? 1 : 0;
  return pending;
}

bool waiting() { return pending; }

bool build() {
  if (!pending) return true;
  pending = false;
  staged.tableformat = 0;
  SETMATRIX(builder.x, builder.y, 0);
  return core::msgkey.is_blank();
}

void drop() {
  pending = false;
  staged.tableformat = 0;
  dropstaged();
}

}  // namespace ui::wintables
