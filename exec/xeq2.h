// Expression linking: the pass that runs each time an expression statement
// is executed, between the statement loop and the postfix evaluator. It
// replaces every symbol operand by an entry of its kind, gives every array
// or string reference and every argument block a numbered descriptor, turns
// the translator's bracket, bound and segment words (core/xform.h) into the
// marker codes 5000 to 5019, prepares the element count of a vector
// statement and empties the temporary-string area. Then it hands one
// combined array (a header, the descriptors, the linked stream) to the
// evaluator.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <utility>
#include <vector>

namespace exec {

// Marker codes of the linked stream and the descriptor kinds.
namespace xeqop {
inline constexpr std::int16_t arrayref = 5002;     // numeric array reference
inline constexpr std::int16_t indexclosed = 5003;  // index list closed, no split yet
inline constexpr std::int16_t readwhilewritten = 5004;
inline constexpr std::int16_t oneindex = 5005;      // closer kind 0x10
inline constexpr std::int16_t twoindices = 5006;    // closer kind 0x20 or 0x30
inline constexpr std::int16_t tableelement = 5008;  // table-file element T(r, c)
inline constexpr std::int16_t reference = 5009;
inline constexpr std::int16_t argblock = 5010;
inline constexpr std::int16_t segopen = 5011;
inline constexpr std::int16_t segclose = 5012;
inline constexpr std::int16_t stringref = 5013;
inline constexpr std::int16_t tworanges = 5014;
inline constexpr std::int16_t onerange = 5015;
inline constexpr std::int16_t firsttable = 5016;
inline constexpr std::int16_t closedtarget = 5017;
inline constexpr std::int16_t tablefile = 5018;
inline constexpr std::int16_t splitindex = 5019;
inline constexpr std::int16_t beforesplit = 5001;  // kind of a reference before the split
}  // namespace xeqop

// The expression state shared by linking, evaluation, the operators and
// the temporary strings.
struct XeqExpr {
  std::int32_t nstream = 0;              // stream length after linking
  std::int32_t ndescr = 0;               // descriptors (and the last temporary number in use)
  std::int32_t idescr = 0;               // current descriptor
  std::int32_t opflags = 0;              // operand-kind bits of the statement
  std::int32_t nelem = 1;                // element count, 0x7FFFFFFF while undetermined
  std::int32_t nelemall = 1;             // 1 when only plain numbers take part
  std::int32_t iseg = 0;                 // current segment level
  std::array<std::int32_t, 5> seglen{};  // element count per segment level
  std::array<std::int32_t, 5> segidx{};  // current element per segment level
  std::int32_t ielem = 0;                // current element of the statement
  std::int32_t lhsdescr = 0;             // `idescr` at the assignment split
  std::int32_t swappos = 0;              // stream position of the last exchange word
  std::int32_t tmpcell0 = 0;             // first free temporary result cell
  std::int32_t tmplen = 0;               // length of the temporary string made last
  std::int32_t maxlocpos = 0;            // argument position found by MAXLOC and MINLOC
  std::int32_t nlinked = 0;              // descriptors made by linking
  std::int32_t idescrsave = 0;           // copy of `idescr` kept by the evaluator
  std::int32_t usedcells = 0;            // predefined cells met in the current element
};
inline XeqExpr xeqexpr;

// The combined arrays of the statement linked last: entry 1 the header
// (code 0, value split position + `ndescr`), entries 2 to `ndescr` + 1 the
// descriptors (kind, symbol or block size), then the stream. `codes` and
// `values` hold `capacity` entries, of which `total` are used.
struct Linked {
  std::vector<std::int16_t> codes;
  std::int32_t total = 0;
  std::int32_t capacity = 0;
  std::int32_t split = 0;  // stream position of the assignment split, 0 none
};
inline Linked xeqlinked;

// The failing word and its position, for the run's error report.
inline float xeqfailword = 0.0F;
inline float xeqfailpos = 0.0F;

// Results of a linking failure.
inline constexpr std::int32_t xeq2notimplemented = 2001;
inline constexpr std::int32_t xeq2overrun = 2002;

// The evaluator that linking hands the combined arrays to: (codes, total,
// values, capacity, header). Absent, a linked statement evaluates to 0.
using Evaluator = std::int32_t (*)(std::span<std::int16_t> codes, std::int32_t& total,
                                   std::span<std::int32_t> values, std::int32_t& capacity,
                                   std::int32_t& header);
inline Evaluator xeq3 = nullptr;

// Links the statement's words from its second word on (words[0] is that
// word and is never examined) and evaluates it. out: the output area (in
// `adrs` above the operand stack); it receives the combined values and is
// the evaluator's value stack. Returns what the evaluator returned (0 is
// replaced by `xeqstop`), or 2001 / 2002 on a linking failure. A program
// statement (`xeqline`, outside single-statement mode) keeps its linked form
// and is not linked again while its words and its operands' types are the
// same; the evaluator gets the same arrays and state either way.
std::int32_t XEQ2(std::span<const std::int16_t> words, std::span<std::int32_t> out);

// A statement linked without being evaluated: the combined arrays as XEQ2
// hands them to the evaluator, the state that linking leaves, and the
// operands whose types the linked form depends on.
struct LinkedStatement {
  std::vector<std::int16_t> codes;
  std::vector<std::int32_t> values;
  std::vector<std::pair<std::int16_t, std::int32_t>> operands;  // symbol, type
  std::int32_t split = 0, ndescr = 0, opflags = 0, nelem = 0, swappos = 0, lhsdescr = 0;
  std::int16_t labelmsg = 0;
};
// Links the statement's words as XEQ2 does (the expression state and
// `nomsg` are left as they were). False when it does not link, or links to
// a form that depends on more than its words and its operands' types.
bool XEQ2LINK(std::span<const std::int16_t> words, LinkedStatement& linked);

// Puts the shared expression state back to its start values.
void reset_xeq2();

}  // namespace exec
