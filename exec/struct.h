// STRUCT: a typed binary record laid over the characters of a string
// variable, so that a script can build and take apart the byte images that
// outside code expects.
//
// rec = STRUCT(I4=a, R8=b, CHar=s) binds a layout to rec (one field per
// option, in written order), writes the fields' values into rec's text and
// returns the record length in bytes; with GetPage it reads a record back
// into the field variables. Integers and floats are little-endian; the
// pointer kinds hold 8-byte addresses.
//
// The layout of a record variable T lives in the value cells of a layout
// symbol L (named ":" + T's name, a numeric array of 1 x (2 n + 1) cells)
// whose number stands in T's `layout` field: cell 0 holds (owner T, field
// count n, record length), cells 1 to n (field variable, type code), and
// the cells after them one spare cell per field (an I4P field keeps its
// pointed-to integer there). A storage variable may hold several records of
// the same length one after the other (pages, counted from 1).
#pragma once

#include <cstdint>

#include "core/messages.h"
#include "core/shoplists.h"
#include "platform/indexed.h"

namespace exec {

// Field type codes: the keyword numbers of the STRUCT option list.
namespace structkw {
using core::optkwnr;
using core::OptStmt;
inline constexpr int error = optkwnr(OptStmt::STRUCT, "ERror");
inline constexpr int i1 = optkwnr(OptStmt::STRUCT, "I1");
inline constexpr int i2 = optkwnr(OptStmt::STRUCT, "I2");
inline constexpr int i4 = optkwnr(OptStmt::STRUCT, "I4");
inline constexpr int i8 = optkwnr(OptStmt::STRUCT, "I8");
inline constexpr int i4p = optkwnr(OptStmt::STRUCT, "I4P");
inline constexpr int i1u = optkwnr(OptStmt::STRUCT, "I1U");
inline constexpr int i2u = optkwnr(OptStmt::STRUCT, "I2U");
inline constexpr int i4u = optkwnr(OptStmt::STRUCT, "I4U");
inline constexpr int r4 = optkwnr(OptStmt::STRUCT, "R4");
inline constexpr int r8 = optkwnr(OptStmt::STRUCT, "R8");
inline constexpr int chr = optkwnr(OptStmt::STRUCT, "CHar");
inline constexpr int chrp = optkwnr(OptStmt::STRUCT, "CHarP");
inline constexpr int chr0 = optkwnr(OptStmt::STRUCT, "CHar0");
inline constexpr int chr0p = optkwnr(OptStmt::STRUCT, "CHar0P");
inline constexpr int struc = optkwnr(OptStmt::STRUCT, "STruc");
inline constexpr int strucp = optkwnr(OptStmt::STRUCT, "STrucP");
inline constexpr int bytes = optkwnr(OptStmt::STRUCT, "Bytes");
inline constexpr int getpage = optkwnr(OptStmt::STRUCT, "GetPage");
inline constexpr int setpage = optkwnr(OptStmt::STRUCT, "SetPage");
}  // namespace structkw

// Width in bytes of an address held in a pointer field.
inline constexpr std::int32_t structptrwidth = 8;

// Message keys.
namespace structkeys {
inline constexpr auto nostruc = core::MSGKEY("structnoSTRUC");
inline constexpr auto leftside = core::MSGKEY("structLeftSide");
inline constexpr auto beyond = core::MSGKEY("structBeyond");
inline constexpr auto nosupport = core::MSGKEY("structNoSupport");
inline constexpr auto bytes = core::MSGKEY("structBytes");
inline constexpr auto tooshort = core::MSGKEY("structTooShort");
inline constexpr auto notdefined = core::MSGKEY("structNotDefined");
inline constexpr auto recurse = core::MSGKEY("structRecurse");
}  // namespace structkeys

// Work words: the current page (from 1), the record length of the layout
// in use, and the nesting counters of the writer and the reader.
inline std::int32_t structpage = 1;
inline std::int32_t structreclen = 0;
inline std::int32_t structwritedepth = 0;
inline std::int32_t structreaddepth = 0;

// The built-in: the storage variable is `xeqtarget`; options by position
// (option noptions is the one written first). The record length goes into
// z(`iresult`). Failures leave their key in `msgkey` and a number in the
// error word of `iostatw`.
void STRUCT(const plat::Store1<std::uint8_t>& optkw, std::int32_t noptions,
            const plat::Store0<std::int32_t>& optval);

// Writes the fields of T's layout into page `structpage` of T's text. all =
// 1 writes every field; all = 0 (nested records, DLL marshalling) skips the
// fields whose variable is no symbol of the table.
void STRUCTUPDATE(std::int32_t t, std::int32_t all);
// Reads page `structpage` of T's text back into the field variables.
void STRUCTREAD(std::int32_t t);
// The value of the numeric field of the given type at a position of
// `c1namen`; advances the position by the field's width. Any other type
// sets "structNoSupport" and leaves the position.
double STRUCTFIELDVALUE(std::int32_t& position, std::int32_t type);
// Field access: 0 unless T is a record variable that owns its layout.
// i < 1: out = the field count, result -999; 1 <= i <= n: out = field i's
// variable, result its type code (the character kinds as minus their code,
// STruc 999, STrucP 998); i > n: 0.
std::int32_t STRUCTELEMENT(std::int32_t t, std::int32_t i, std::int32_t& out);

// Bytes a field of the given type takes per element in a record (0 for the
// kinds whose width is their variable's text length, and for no field).
std::int32_t structfieldwidth(std::int32_t type);

// Puts the work words back to their start values.
void reset_struct();

}  // namespace exec
