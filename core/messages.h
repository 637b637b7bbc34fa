// Messages by key: the program holds no message texts of its own; a message
// is named by a key of at most 16 characters and its text, title and box
// style come from the key's section of the help data file (core/helpdata.h).
//
// Every message key the program names is written in a form that the test
// tests/core/helpdata_keys_test.cpp collects: msgkey.set("key"),
// MSGKEY("key") (for a key kept in a constant or passed on), or as the
// first argument of MSGBOXFROMHELP("key", ...) or HELP("key", ...). The test
// checks that data/Ostrel.hlp has a section for each.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace core {

// Marks a message key in the source; refuses an empty key or one longer
// than 16 characters at compile time.
consteval std::string_view MSGKEY(std::string_view key) {
  if (key.empty() || key.size() > 16) throw "a message key has 1 to 16 characters";
  return key;
}

// Box letters: every letter of "aoORyY!i?S123mM" adds its style bit.
std::uint32_t box_style(std::string_view letters);

// The message box for a text "title|message" (no "|": the title is "Ostrel
// message"); "|" and ";" in the message break lines. answer: the 1-based
// number of the pressed button among those offered; not stored when the
// letters hold "-". Cancel (and Abort) stop a running script.
void MESSAGEBOX(std::string_view letters, std::string_view text, int& answer);
// The same for the first count characters (at most 8000) of an array.
void MESSAGEBOXC1(std::string_view letters, std::string_view characters, int count, int& answer);

// A box whose text is the first body line of the key's section and whose
// letters stand on its head line; the detail becomes the title. A key that
// is missing shows the key as title and "cannot be found".
void MSGBOXFROMHELP(std::string_view key, std::string_view detail, int& answer);
// The first body line of the key's section, trimmed (the key itself when
// the help data holds no such section).
std::string HELPLINE(std::string_view key);

// The values a message window shows and binds, each optional (an empty span
// is absent): 8-, 16- and 32-bit integers, 32- and 64-bit reals, a text and
// an array of characters of which count are used.
struct HelpValues {
  std::span<std::int8_t> bytes;
  std::span<std::int16_t> halves;
  std::span<std::int32_t> words;
  std::span<float> singles;
  std::span<double> doubles;
  std::span<char> text;
  std::span<char> characters;
  int count = -1;  // below 0: absent
};

// Flag word of the window builder: 0x2 always, then one bit per value given.
std::uint16_t help_flags(const HelpValues& values);

// Shows the key's section as a message window with the values filled in;
// answer receives the window's answer. Until the window builder exists, a
// message section is shown as a message box (its texts, with the values in
// place of the references) and answer is the box's answer; a section that
// is a dialog of its own (fields to fill in, a progress bar) is not shown
// and leaves answer as it was. A key missing from the help data file shows
// "msgNotinHF".
void HELP(std::string_view key, int& answer, const HelpValues& values = {});

// The window builder that shows a section as a dialog window bound to the
// values, which the script windows install (ui::install_builtins). While it
// is absent (the core's own tests), HELP shows message boxes as above.
inline void (*helpwin)(std::string_view key, int& answer, const HelpValues& values) = nullptr;

// Seam of the windowless run: HELP hands it each key with the values before
// the key's section is looked up, and shows the section of the key it
// returns (an empty key: nothing is shown). The run notes the keys and takes
// sections of its own where a text names an action of the editor; it may
// shorten the texts it is given.
// Null: every key shows its own section.
inline std::string_view (*helpsectionfor)(std::string_view key, HelpValues& values) = nullptr;

// Reports an allocation or I/O status with the four-character tag of its
// place: status 0 shows nothing; 41 (out of memory) stops the line or
// statement with msgkey "storeLimit" and xeqstop 0x7FFF (outside a run it
// also shows that message); any other status shows "Error <tag> <status>"
// as the title of "msgRunTimeError" (Cancel stops the script: xeqstop
// 120), and msgkey becomes "rdwrErK". Afterwards iostatw holds the status.
void CHECKANDSETRUNTIMEERROR(std::string_view tag, std::int32_t& status);

}  // namespace core
