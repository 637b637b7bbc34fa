// Raw memory and cell views.
//
// The raw-address routines read and write values of a given width at an
// address that a script handed over (from a Windows function, a user DLL or
// the address of one of its own variables). Addresses are 64-bit. Every
// access is checked first: an address that is not readable (for the getters)
// or writable (for the setters) memory of this process for the whole width
// reads nothing and writes nothing, returns 0 and leaves `rawstatus` at
// `rawbadaddress`; a good access leaves `rawstatus` at 0. Callers that take
// an address from a script test `rawstatus` after the call and report the
// message key `rawbadaddresskey`.
//
// The cell routines reinterpret the 8 bytes of one cell of `z` as smaller
// integers and back; they copy bits, whatever the 8 bytes mean as a real.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <span>
#include <string_view>

#include "core/messages.h"

namespace core {

inline constexpr std::int32_t rawbadaddress = 1;
inline constexpr std::string_view rawbadaddresskey = MSGKEY("badAddress");
// Status of the last raw-address access: 0 or `rawbadaddress`.
inline std::int32_t rawstatus = 0;

inline std::uint64_t rawaddress(const void* p) { return reinterpret_cast<std::uintptr_t>(p); }

// True when n bytes from the address are readable (writable) memory of this
// process. n = 0 is always true. Checking writability writes nothing.
bool readablemem(std::uint64_t address, std::size_t n);
bool writablemem(std::uint64_t address, std::size_t n);
// Checked copies between raw memory and a buffer; false (and nothing done)
// when the address range is not accessible. They set `rawstatus`.
bool rawread(std::uint64_t address, void* dst, std::size_t n);
bool rawwrite(std::uint64_t address, const void* src, std::size_t n);

// Getters: the value at the address (0 on a bad address).
std::int16_t GETI1FROMPTR(std::uint64_t address);  // 0 to 255
std::int16_t GETI2FROMPTR(std::uint64_t address);
std::int32_t GETI4FROMPTR(std::uint64_t address);
void READI4FROMPTR(std::int32_t& result, std::uint64_t address);
float GETR4FROMPTR(std::uint64_t address);
double GETR8FROMPTR(std::uint64_t address);
// Copies min(n, text size) bytes from the address into the start of the
// text; the rest of the text is left as it was.
void GETCHFROMPTR(std::uint64_t address, std::int32_t n, std::span<char> text);

// Setters.
void SETI1ATPTR(std::uint64_t address, std::int16_t value);  // the low byte
void SETI2ATPTR(std::uint64_t address, std::int16_t value);
void SETI4ATPTR(std::uint64_t address, std::int32_t value);
void WRITEI4TOPTR(std::int32_t value, std::uint64_t address);
void SETR4ATPTR(std::uint64_t address, float value);
void SETR8ATPTR(std::uint64_t address, double value);
// Copies min(n, text size) characters of the text to the address.
void SETCHATPTR(std::uint64_t address, std::int32_t n, std::string_view text);

// Integers kept in character arrays, lowest byte first (c(1) is c[0]).
std::int32_t GETI4FROM4C1(std::span<const char> c);
void SET4C1FROMI4(std::span<char> c, std::int32_t value);
void TRANSFERI4TO4C1(std::int32_t value, char& c1, char& c2, char& c3, char& c4);

// Packing of one cell.
inline void TRANSFERR8TO2I4(double cell, std::int32_t& first, std::int32_t& second) {
  std::int32_t v[2];
  std::memcpy(v, &cell, 8);
  first = v[0];
  second = v[1];
}
inline void TRANSFER2I4TOR8(std::int32_t first, std::int32_t second, double& cell) {
  const std::int32_t v[2] = {first, second};
  std::memcpy(&cell, v, 8);
}
inline void TRANSFERR8TO4I2(double cell, std::int16_t& i1, std::int16_t& i2, std::int16_t& i3,
                            std::int16_t& i4) {
  std::int16_t v[4];
  std::memcpy(v, &cell, 8);
  i1 = v[0];
  i2 = v[1];
  i3 = v[2];
  i4 = v[3];
}
inline void TRANSFER4I2TOR8(std::int16_t i1, std::int16_t i2, std::int16_t i3, std::int16_t i4,
                            double& cell) {
  const std::int16_t v[4] = {i1, i2, i3, i4};
  std::memcpy(&cell, v, 8);
}
// Layout entry: the 16-bit a and b in the low half, the 32-bit c in the high.
void TRANSFER3I4TOR8(std::int32_t a, std::int32_t b, std::int32_t c, double& cell);
void TRANSFERR8TO3I4(double cell, std::int32_t& a, std::int32_t& b, std::int32_t& c);

// Array conversions over the first count elements (cut to the arrays'
// sizes). Reals are rounded to the nearest integer, halves away from zero;
// values beyond the 32-bit range give its nearest end, a NaN gives 0.
void R8TOI4(std::int16_t count, std::span<const double> reals, std::span<std::int32_t> out);
void I4TOR8(std::span<const std::int32_t> ints, std::int32_t count, std::span<double> out);
void I8TOR8(std::span<const std::int64_t> ints, std::int32_t count, std::span<double> out);

// The nearest 32-bit integer of a real, as R8TOI4 rounds it.
std::int32_t nearesti4(double v);

// Sizes, places and shifts of windows, dialogs and plots as scripts give
// them (pixels, characters, rows, dialog units, the numbers of buttons),
// and the print states they ask for, are held within +-layoutmost before any integer arithmetic,
// font sizes within pointsmost: more than any screen, page or font dialog shows, and little enough
// that the sums and the products with cell sizes and unit factors that lay them out stay within 32
// bits.
inline constexpr std::int32_t layoutmost = 1 << 16;
inline constexpr std::int32_t pointsmost = 1000;
// The nearest integer of v, halves away from zero, held within +-most (0
// for a NaN).
std::int32_t nearestwithin(double v, std::int32_t most);

}  // namespace core
