// The command handler and the script's life until they come: the first
// script is chosen from the command line with built-in settings and the
// stores of built-in sizes, the command handler only notes each key and
// command it is handed and waits for the next, closing a script closes the
// other windows, the user libraries and the script files. Saving, printing,
// the Options and Help commands and break-on-variable do nothing yet.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace ide {

// What the command handler was handed: the pending command and the key
// (all four bytes 0xFF: none; the handler marks each key taken so).
struct HandedOver {
  std::int32_t command = 0;
  std::array<std::uint8_t, 4> key{};
};
inline std::vector<HandedOver> handedover;

// The command handler's first call and its later ones.
void M2();
void M2COMMAND();

// The first script: "RUN=" sets the run-at-once flag; "HELP=" with a value
// names the script (startmode -1); "untitled" an untitled one; otherwise
// first_script_name's word holding a "." (startmode -10); else an untitled
// script. Allocates the stores with the built-in sizes and
// gives the main window the script's name.
void OPENEDITSTART(std::string_view cmdline);
// Closes the current script (mode: for the save question, not asked yet).
void OPENEDITCLOSE(std::int32_t mode);

// The script the command line names, as OPENEDITSTART finds it: its first
// word holding a "." (a word in double quotes may hold blanks; the quotes
// go), else "untitled".
std::string first_script_name(const std::string& cmdline);

void FEDSAV(std::int32_t mode, std::int32_t& answer);
void OPTIONS(std::int32_t command);
void PRINTDIRECT();
void SETBREAKVARIABLE(std::int32_t code);

void reset_commands_standin();

}  // namespace ide
