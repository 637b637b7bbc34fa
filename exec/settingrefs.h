// The program's own storage that its dialogs show and edit: the settings
// of the IDE (colour numbers, the palette, the editor options, the text and
// print source of its dialogs) and the parameter arrays a program hands to
// a dialog it builds. Dialog items refer to this storage by the array's
// number and a byte offset, never by address; each use looks the array up
// again and checks the offset against its length.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>

#include "exec/windowlist.h"
#include "platform/fixed_text.h"

namespace exec {

// The IDE dialogs' shared 256-character text (a list's selection, a help
// topic), the direct-print source word (1: the editor's text), and the
// working copy of the 25 editor option words that the "editor" dialog
// edits.
inline plat::FixedText<256> dlgtext;
inline std::int32_t printsrc = 0;
inline std::array<std::int32_t, 25> edoptions{};

// Numbers of the program's arrays. The seven parameters of a program's
// dialog (8-, 16-, 32-bit integers, 32-, 64-bit reals, a text, single
// characters) follow from `firstparameter` on; the dialog's builder
// registers them in `parameters` for the dialog's life.
namespace progarray {
inline constexpr std::int32_t colnums = 1;
inline constexpr std::int32_t dialogtext = 2;
inline constexpr std::int32_t printsource = 3;
inline constexpr std::int32_t editoptions = 4;
inline constexpr std::int32_t palette = 5;
inline constexpr std::int32_t firstparameter = 8;
}  // namespace progarray
inline std::array<std::span<std::byte>, 7> parameters{};

// The bytes of program array n; empty for a number that names none.
std::span<std::byte> progbytes(std::int32_t n);
// The `width` bytes at the reference, or null when they lie outside its
// array.
std::byte* progplace(const BoundRef& ref, std::int32_t width);

// Value types of the program's storage.
namespace rawtype {
inline constexpr std::int32_t i1 = 0x02000002;
inline constexpr std::int32_t i4 = 0x08000002;
inline constexpr std::int32_t text = 0x40000004;
inline constexpr std::int32_t realarray = 8;
}  // namespace rawtype

// Resolves a dialog reference to the program's own settings: kind -1 the
// colour number `colnum`(index), 1..34; -2 index 1 `dlgtext`, index 2
// `printsrc`; -3 editor option index, 1..25; -4 byte index of the palette
// (colour times 4 plus 0 red, 1 green, 2 blue), 0..126, read as a signed
// 8-bit integer; -5 a demonstration array of `index` reals (element k
// holding k times 1.001) built in the statement's result cell and the
// cells after it, while they lie below the top block. On success `where`
// names the storage, `type` its value type, `length` its elements, `value`
// the current value (for numbers), and the result is true. Out of range:
// false, and value and type stay as they were; length is 1 either way.
bool ABSOLUTEADRESS(std::int32_t kind, std::int32_t index, double& value, std::int32_t& type,
                    std::int32_t& length, BoundRef& where);

// The settings' words back to their start values, no parameters
// registered.
void reset_settingrefs();

}  // namespace exec
