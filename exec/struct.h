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
// The record's layout, its field types and widths: core/structlayout.h.
#pragma once

#include <cstdint>

#include "core/structlayout.h"
#include "platform/indexed.h"

namespace exec {

namespace structkw = core::structkw;
namespace structkeys = core::structkeys;
using core::STRUCTELEMENT;
using core::STRUCTFIELDVALUE;
using core::structfieldwidth;
using core::structptrwidth;

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
// Puts the work words back to their start values.
void reset_struct();

}  // namespace exec
