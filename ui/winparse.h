// The item grammar of a dialog text, shared by the window builder's files:
// a line is a list of items separated by ";"; an item is an optional label
// ("3:", "0:", "-1:", "STEP:", "RUN:", "4>NEXT:", or a word that makes the
// item a link), then a keyword of the dialog keyword list with its value
// ("Width=6", "Edit*2", "DEFault;") or a text ("Name", "*3").
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "exec/windowlist.h"
#include "ui/bindings.h"

namespace ui::winparse {

// Every line is cut to this many characters; a line shorter than its last
// two gets a closing ";".
inline constexpr std::size_t linesize = 256;
// The value of a keyword written without one: the smallest normal real,
// which tells it apart from one written "=0".
inline constexpr double switchvalue = 2.2250738585072014E-308;
// Value kinds of the grammar besides the binding kinds: a constant, a
// text, a text made from a reference to a number.
inline constexpr std::int32_t kindconstant = 3;
inline constexpr std::int32_t kindtext = 5;
inline constexpr std::int32_t kindnumbertext = 6;

// What references resolve against, and the syntax characters in force:
// blank, label mark, value mark, reference mark, item separator, binding
// arrow, arrow modifier, "|".
struct Context {
  std::int32_t nargs = 0;
  std::vector<std::int32_t> params;  // a script's values after its text
  RefState refs;
  std::array<char, 8> sep{' ', ':', '=', '*', ';', '>', '-', '|'};
  char blockmark = '#';
  bool resolve = true;  // false in the counting pass: references are not looked at
  // In the help data's texts a doubled item separator is one separator
  // that belongs to the text ("it;; RUN" shows "it; RUN").
  bool doubled = false;
};

struct Item {
  std::int32_t id = 0;      // the control id a label gives (0: the next one)
  std::int32_t number = 0;  // a number label's number
  std::int32_t jump = 0;    // the symbol of the script label after ">"
  std::string link;         // a link's target (a label that is no number)
  bool scheme = false;      // the link goes to the shell (http:, shell:, mailto:)
  std::int32_t kw = -1;     // keyword number (ERror 0); -1 a text item
  std::int32_t kind = 0;    // 2, 4, 8, the program's kinds, 3, 5 or 6
  double value = 0.0;
  std::string text;
  exec::BoundRef where;
  std::int32_t length = 0;
  bool lower = false;      // the word began with a lower-case letter, or a text item
  bool reference = false;  // the value came from a reference
  std::string raw;         // the item as written, label included
};

// Cuts the line to `linesize` characters and closes it with ";" when its
// trimmed length leaves room.
std::string closeline(std::string_view line, char separator);

// Reads the item at `at` (0-based; moves past its separator). False at the
// line's end. A reference that cannot be resolved sets `failed` (its text
// in `valuetext`, the number in `dlgadrerror`).
bool nextitem(std::string_view line, std::size_t& at, Context& cx, Item& out, bool& failed);

// The text with every reference replaced by its value: numbers in their
// written form, texts by their characters. A reference that names nothing
// stays as written; the scan goes on after what was put in, and stops
// before the text would reach 256 characters. A doubled separator of the
// help data is made one first.
std::string substitute(std::string_view text, Context& cx);

// The written form of a number (no blanks around it).
std::string numbertext(double v);

}  // namespace ui::winparse
