// The compiled transfers of READ and WRITE statements that run from their
// replay forms (exec/optforms.h). The file statements (io/) put their
// routines in when the program starts; without them every statement takes
// the dispatch.
#pragma once

#include <cstdint>
#include <span>

namespace exec {

enum class XferRun : std::uint8_t {
  declined,  // nothing was done: the dispatch runs the statement
  done,      // the statement ran whole and well
  failed,    // it ran and failed: the dispatch makes only its report
};

struct XferCalls {
  // Makes the transfer program of statement line, a READ ("R") or WRITE
  // ("W") whose option pairs (keyword number, value) and items stand in
  // list as the dispatch takes them; false when the statement has none.
  bool (*make)(std::int32_t line, char letter, std::span<const std::int32_t> list,
               std::int32_t pairs) = nullptr;
  // Runs the program of statement line, its options in the option table.
  XferRun (*run)(std::int32_t line) = nullptr;
};
inline XferCalls xfercalls;

}  // namespace exec
