// The field access of STRUCT records as the expression evaluator calls it
// through its hooks (exec/postfix.h), under names of their own: the hooks
// carry the routines' names, so both cannot be declared in one unit.
#pragma once

#include <cstdint>

namespace exec {

// STRUCTELEMENT and STRUCTFIELDVALUE (exec/struct.h).
std::int32_t structelemententry(std::int32_t t, std::int32_t i, std::int32_t& out);
double structfieldentry(std::int32_t& position, std::int32_t type);

// Puts the two entries into the evaluator's hooks.
void install_struct();

}  // namespace exec
