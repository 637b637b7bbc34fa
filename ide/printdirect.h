// File > Print: one of the program's windows chosen in the dialog
// "printoptions" and printed as text or as a picture, its picture saved as
// a BMP file, or its table saved as text.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "exec/windowlist.h"

namespace ide {

// The dialog's seven option words (kept from one print to the next): 1 the
// page set-up first, 2 the chosen window's number in the list, 5 "W" in
// place of "S", 6 the landscape digit, 7 no page stamp.
inline std::array<std::int32_t, 7> printwords{};

// Flag bits of a window record that printing tests.
namespace printkind {
inline constexpr std::int32_t notoffered = 0x400;
inline constexpr std::int32_t text = 0x204;
inline constexpr std::int32_t dialog = 0x10;
inline constexpr std::int32_t picture = 0xC0;
inline constexpr std::int32_t printable = 0x214;
}  // namespace printkind

// The list text of the windows offered ("title|" each); the number of
// windows in count, and printwords(2) preset to the current window's.
std::string printlist(std::int32_t& count);
// "LSXA,LS=" and the landscape digit; W in place of S with word 5.
std::string printoptionstring();
// The print-mode word of a window for the choice 1 to 3.
std::int32_t printmode(std::int32_t choice, bool textwindow);
// The dialog's button label: "&Print selection (" face, points, " pt)".
std::string printlabel();

// Saves the window's picture as a BMP file; false when there is no picture
// or it could not be written.
bool savepicture(const exec::wdwrec& window, std::string_view path);

// The save-file dialog for the picture (a seam: tests answer it). True with
// the path when the user confirmed.
inline bool (*askbitmapname)(std::string& path) = nullptr;

void PRINTDIRECT();

void reset_printdirect();

}  // namespace ide
