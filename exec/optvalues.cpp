#include "exec/optvalues.h"

#include <cmath>

#include "core/rawmem.h"
#include "core/stores.h"
#include "exec/optdispatch.h"

namespace exec {

namespace {

// The value cell a slot names, nullptr when there is none.
const double* slotvalue(std::int32_t slot) {
  if (slot < 1 || !core::z.valid(slot)) return nullptr;
  return &core::z(slot);
}

std::int32_t slotof(std::int32_t k) { return optval.valid(k) ? optval(k) : 0; }

}  // namespace

std::int32_t KEYVALUE(const std::int32_t& slot) {
  if (slot <= 0) return slot;
  const double* v = slotvalue(slot);
  if (v == nullptr || std::isnan(*v) || *v <= 0.0) return 0;
  return core::nearesti4(*v);
}

bool KWPRESENTBUTNOT0(const std::int32_t& k) {
  const std::int32_t slot = slotof(k);
  if (slot == 0) return false;
  if (slot < 0) return true;
  const double* v = slotvalue(slot);
  return v != nullptr && *v != 0.0;  // a NaN is not 0
}

double OPTIONTOR8(const std::int32_t& k) {
  const double* v = slotvalue(slotof(k));
  return v == nullptr ? 0.0 : *v;
}

}  // namespace exec
