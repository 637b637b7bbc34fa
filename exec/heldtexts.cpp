#include "exec/heldtexts.h"

namespace exec {

void holdmore(std::int32_t calleebase) {
  heldframes.push_back({calleebase, heldtexts});
  heldtexts = core::c1tmptop;
  heldbase = calleebase;
}

void releaseheld(std::int32_t b) {
  while (!heldframes.empty() && heldframes.back().base >= b) {
    heldtexts = heldframes.back().below;
    heldframes.pop_back();
  }
  heldbase = heldframes.empty() ? 0 : heldframes.back().base;
}

void droptexts() {
  heldframes.clear();
  heldtexts = heldbase = 0;
}

}  // namespace exec
