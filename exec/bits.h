// BITS: a variable viewed as a matrix of bit fields, worked on bit by bit.
//
// BITS(target, options) views the target (a number, a numeric array or a
// string) as R rows x C columns of elements of B bits each (w = ceil(B / 8)
// bytes per element; RowsColsBits, written first, sets the view) and
// carries out its options in written order: settings (a working window,
// boxes, rings, a pool of values, an origin, an IF test for the next
// operation) and operations on the elements of the window (set, clear,
// flip, AND, OR, EOR, rotate, shift, copy, move, count, find bits, read
// out, write in, translate). The function value is always 0; everything
// BITS produces goes into the target or the variables named as values.
#pragma once

#include <array>
#include <cstdint>

#include "core/messages.h"
#include "core/shoplists.h"
#include "platform/indexed.h"

namespace exec {

// Keyword numbers of the BITS options.
namespace bitskw {
using core::optkwnr;
using core::OptStmt;
inline constexpr int error = optkwnr(OptStmt::BITS, "ERror");
inline constexpr int base = optkwnr(OptStmt::BITS, "Base");
inline constexpr int and_ = optkwnr(OptStmt::BITS, "AND");
inline constexpr int box = optkwnr(OptStmt::BITS, "BOX");
inline constexpr int bitcount = optkwnr(OptStmt::BITS, "BitCount");
inline constexpr int boxdim = optkwnr(OptStmt::BITS, "BoxDim");
inline constexpr int clr = optkwnr(OptStmt::BITS, "CLR");
inline constexpr int copy = optkwnr(OptStmt::BITS, "CoPy");
inline constexpr int eor = optkwnr(OptStmt::BITS, "EOR");
inline constexpr int flip = optkwnr(OptStmt::BITS, "FLiP");
inline constexpr int getval = optkwnr(OptStmt::BITS, "GetVal");
inline constexpr int high0 = optkwnr(OptStmt::BITS, "High0");
inline constexpr int high1 = optkwnr(OptStmt::BITS, "High1");
inline constexpr int ifclr = optkwnr(OptStmt::BITS, "IFClr");
inline constexpr int ifeq = optkwnr(OptStmt::BITS, "IFEq");
inline constexpr int ifgt = optkwnr(OptStmt::BITS, "IFGt");
inline constexpr int iflt = optkwnr(OptStmt::BITS, "IFLt");
inline constexpr int ifneq = optkwnr(OptStmt::BITS, "IFNeq");
inline constexpr int ifset = optkwnr(OptStmt::BITS, "IFSet");
inline constexpr int jumpbase = optkwnr(OptStmt::BITS, "JumpBase");
inline constexpr int locget = optkwnr(OptStmt::BITS, "LocGet");
inline constexpr int low0 = optkwnr(OptStmt::BITS, "Low0");
inline constexpr int low1 = optkwnr(OptStmt::BITS, "Low1");
inline constexpr int move = optkwnr(OptStmt::BITS, "MoVe");
inline constexpr int or_ = optkwnr(OptStmt::BITS, "OR");
inline constexpr int origin = optkwnr(OptStmt::BITS, "ORIGin");
inline constexpr int pool = optkwnr(OptStmt::BITS, "POOL");
inline constexpr int ring = optkwnr(OptStmt::BITS, "RING");
inline constexpr int rotate = optkwnr(OptStmt::BITS, "ROTate");
inline constexpr int rowscolsbits = optkwnr(OptStmt::BITS, "RowsColsBits");
inline constexpr int shift = optkwnr(OptStmt::BITS, "SHiFt");
inline constexpr int setbit = optkwnr(OptStmt::BITS, "SetBit");
inline constexpr int setval = optkwnr(OptStmt::BITS, "SetVal");
inline constexpr int x = optkwnr(OptStmt::BITS, "X");
inline constexpr int xlate = optkwnr(OptStmt::BITS, "XLate");
inline constexpr int y = optkwnr(OptStmt::BITS, "Y");
inline constexpr int ifloc = optkwnr(OptStmt::BITS, "IFLOC");
}  // namespace bitskw

// Message keys.
namespace bitskeys {
inline constexpr auto unexpected = core::MSGKEY("unexpected");
inline constexpr auto zerooption = core::MSGKEY("bits0option");
inline constexpr auto val = core::MSGKEY("bitsval");
inline constexpr auto box = core::MSGKEY("bitsbox");
inline constexpr auto kwseq = core::MSGKEY("bitskwseq");
inline constexpr auto adrs = core::MSGKEY("bitsadrs");
inline constexpr auto kwarg = core::MSGKEY("bitsKWarg");
inline constexpr auto argneeded = core::MSGKEY("bitsArgNeeded");
inline constexpr auto notstringorarray = core::MSGKEY("notStringorArray");
inline constexpr auto nosubarst = core::MSGKEY("bitsNoSubArSt");
inline constexpr auto mvcp = core::MSGKEY("bitsMvCp");
inline constexpr auto xlate = core::MSGKEY("bitsXLate");
}  // namespace bitskeys

// Error details of a failed call, for the message window: two values
// whose meaning depends on the key, then 0, the rows, the columns and the
// element width in bits of the view. The 16-bit words of `iostatw` hold
// the statement number, the error number, the failing option's position
// (the target counts 1, the option written first 2) and the origin.
struct BitsDetail {
  float first = 0.0f;
  float second = 0.0f;
  std::array<std::int32_t, 4> view{};
};
inline BitsDetail bitsdetail;

// The built-in; options by position (option noptions is the target, option
// noptions - 1 the option written first), values in `optval`. Sets
// z(`iresult`) to 0. A failure ends the call with its key in `msgkey`
// (changes made so far stay), unless ERror came before it.
void BITS(const plat::Store1<std::uint8_t>& optkw, std::int32_t noptions);

}  // namespace exec
