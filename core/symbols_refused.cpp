// What a line compile changed in the symbol table, kept so that a refused
// line can put it back (symbols.h).
#include <algorithm>
#include <vector>

#include "core/stores.h"
#include "core/symbols.h"
#include "core/symbols_index.h"

namespace core {

namespace {

struct KeptRecord {
  std::int32_t k = 0;
  std::int16_t type = 0, scope = 0, link = 0;
};

struct LineKeep {
  bool active = false;
  std::int32_t nsym = 0, c1top = 0, lokalsub = 0, lokalscope = 0;
  std::vector<KeptRecord> records;  // older records as they were, in order of change
};

LineKeep keep;

}  // namespace

void linebegins() {
  keep.active = true;
  keep.nsym = nsym;
  keep.c1top = c1top;
  keep.lokalsub = lokalsub;
  keep.lokalscope = lokalscope;
  keep.records.clear();
}

void keeprecord(std::int32_t k) {
  if (!keep.active || k < 1 || k > keep.nsym || !name.valid(k)) return;
  if (std::any_of(keep.records.begin(), keep.records.end(),
                  [k](const KeptRecord& r) { return r.k == k; }))
    return;
  const SymbolRecord& r = name(k);
  keep.records.push_back({k, r.type, r.scope, r.link});
}

void linerefused() {
  if (!keep.active) return;
  for (const KeptRecord& r : keep.records) {
    if (!name.valid(r.k)) continue;
    name(r.k).type = r.type;
    name(r.k).scope = r.scope;
    name(r.k).link = r.link;
  }
  if (nsym > keep.nsym) {
    nsym = keep.nsym;
    symbolsdropped();
  }
  // (A store grown since moved only what lies above `c1limit`.)
  if (c1top > keep.c1top) c1top = keep.c1top;
  lokalsub = keep.lokalsub;
  lokalscope = keep.lokalscope;
  lineended();
}

void lineended() {
  keep.active = false;
  keep.records.clear();
}

}  // namespace core
