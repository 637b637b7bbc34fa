// The compiled program: the statements' code words in `xeqbuf`, the
// statement-start table at the top of `adrs`, and the jump resolver that
// rebuilds the table and ties block IFs, block DO loops, labels and
// subroutine headings to their statement numbers.
//
// Statement 1 begins at xeqbuf(1); every statement ends with the end mark
// 0x8000. Statement s begins at adrs(nadrs - s + 1); the entry after the
// last statement holds the position just past its end mark. A statement
// whose first word is -1 is in the executor form, any other in the older
// postfix form. The first word 1 followed by 0x8420 is the placeholder of a
// line that failed to compile; 1 followed by anything else is a block error
// mark left by a walk, and 0xE0C1 an END met with DO loops still open.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "core/stores.h"
#include "platform/indexed.h"

namespace core {

// Most block IFs and block DO loops that may be open at once.
inline constexpr std::int32_t maxblocks = 64;
inline constexpr std::int32_t maxdoblocks = 256;

// Block stack: the statement of each open block IF (negated once its ELSE
// was seen), and the position of the word that receives the statement
// number of the block's next ELSE, ELSEIF or ENDIF.
inline plat::Store1<std::int32_t> blockstmt(maxblocks);
inline plat::Store1<std::int32_t> blockslot(maxblocks);
inline std::int32_t nblock = 0;

// Statement at which the one-line splice inserted a line and of the line
// it deleted; 32767 = none.
inline constexpr std::int32_t nolinemark = 32767;
inline std::int32_t insline = nolinemark;
inline std::int32_t delline = nolinemark;

// A block mistake that the last walk found: the statement it is reported
// at (its first word is marked) and what is wrong.
struct BlockError {
  std::int32_t stmt = 0;
  std::string note;
};
inline std::vector<BlockError> blockerrors;

// Position in `xeqbuf` at which the next walk may stop.
inline std::int32_t jumplimit = 0;

// The block IF that the last walk after a line's splice found open at the
// end of the program (0: none): a script typed top down has not reached
// its ENDIF yet. Its line is drawn as a block mistake, while its code is
// left to run (the whole-script compile marks and lists it).
inline std::int32_t openblock = 0;

// Statement codes the walk acts on.
inline constexpr std::int16_t endmark = -32768;  // 0x8000
inline constexpr std::int16_t placeholdereq = 0x8420 - 0x10000;
inline constexpr std::int16_t endopendo = 0xE0C1 - 0x10000;

// Position in `xeqbuf` of the first word of statement s (s = nstmt + 1:
// just past the last statement); 0 when the table does not reach s.
inline std::int32_t stmtstart(std::int32_t s) {
  const std::int32_t i = nadrs - s + 1;
  if (s < 1 || i < (nadrslow > 1 ? nadrslow : 1) || i > adrs.size()) return 0;
  return adrs.data()[i - 1];
}

// The walk over the code words up to `jumplimit` (or until the last
// statement): rebuilds the statement table, fills the jump slots of block
// IF, ELSE, ELSEIF and ENDIF, ties block DOs to their ENDDOs through hidden
// ".do" labels, records the statements of labelled DOs and subroutine
// headings, shifts label statements after a line insert or delete, and
// marks block errors in the code and in `edmark` and lists them in
// `blockerrors`. After the splice of one line (`spliced`) the blocks and
// loops still open at the end are no mistakes yet: the lines that close
// them come later as the script is typed. Their branches lead past the last
// statement for now, the innermost block IF is noted in `openblock`, and
// the program is to be compiled from the text before it runs as a whole.
void INTERNALJUMPS(bool spliced = false);

// The script's labels that stand at statement stmt stand nowhere: its line
// is compiled again, and takes the label it carries now.
void DROPLABELS(std::int32_t stmt);

// Start values of the resolver's words.
void reset_program();

}  // namespace core
