// FUZ: a family of triangular fuzzy sets along one axis. As a function it
// gives the centroid of the sets weighted by their degrees; as the target
// of an assignment it writes the membership of the assigned value in every
// set into the degree variables.
#pragma once

#include <cstdint>
#include <span>

namespace numeric {

// The operands as the executor holds them: [k,] S, then the vector M or
// the degrees one by one. value null: the centroid; else the memberships of
// *value. The result goes into z(iresult). False on failure, with
// "fuzErr1" to "fuzErr6" in `msgkey` and the details in `iostatw`: the
// length of S, the set count, the stride and the position of S.
bool FUZZY(std::span<const std::int32_t> operands, const double* value);

}  // namespace numeric
