// A script's life in the IDE: which script comes first, opening it (or its
// working copy, or a new one from a template), saving it, choosing another
// through the file dialogs or the recent files, and closing it.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace ide {

// Field 23 of the editor words: 0 after a good open, 11 when nothing was
// read; FEDGET1 leaves -1 when the working copy was none and was put aside.
inline constexpr int edexitfield = 23;
// Size in bytes of the file being read.
inline std::int32_t nscripttext = 0;

// Opens the script name (its working copy when one is left over; a new
// empty script gets the text of its template section) into the editor.
// A left-over working copy that is none (empty, cut short, plain text) is
// put aside and the script opens from its own file.
// The first call after start-up sets the editor words to their start set.
void OPENEDIT(std::string_view name, bool flag);
// Reads the file open on unit into a new edit buffer and closes the unit;
// flag: it is a working copy. flag is false on return.
void FEDGET1(int unit, bool& flag);

// Saves the script: mode 0 Save (asks when there are changes), -2 Save As.
// answer: 1 saved, 3 nothing done (cancelled, not the working copy's
// script, or the file could not be written), other: the user declined.
void FEDSAV(std::int32_t mode, std::int32_t& answer);
// Asks, where FEDSAV with mode 0 would, whether to save the changes: 0
// when it would not ask, else the answer (1 yes, 2 no, 3 cancel), which
// FEDSAV and OPENEDITCLOSE take as their mode.
std::int32_t ASKSAVECHANGES();

// The first script, from the command line or the history.
void OPENEDITSTART(std::string_view cmdline);
// Makes recent-files entry (1 to 10), or a new script (0), current.
void OPENEDITSETINI(std::int32_t entry);
// Closes the current script (mode goes to FEDSAV).
void OPENEDITCLOSE(std::int32_t mode);
// Selects a recent-files entry and sets the menu and caption.
void GETINIFILESETMENU(std::string_view text, std::int32_t entry, std::int32_t& status);

// File New, Open and the recent files: result -1 nothing chosen, 1 a
// script chosen, 2 or 3 a new untitled script, 4 or 5 a new copy of the
// program started.
void SETINIFILE(std::int32_t& result);
// Save As: result 1 a name was chosen, -1 cancelled.
void SETINIFILESAVE(std::int32_t& result);
// The open ("O...") or save dialog; path holds the proposed name and
// receives the chosen one (blank padded). Non-zero when a name was chosen.
std::int32_t OPENSAVEDIALOG(std::string_view mode, std::string_view title, std::span<char> path,
                            std::string_view extension, std::span<char> folder,
                            std::string_view filter, std::int32_t flags);

// The script named on the command line: its first word holding a "." that
// is no KEY=value item (a word in double quotes taken whole, without the
// quotes); empty when there is none.
std::string commandlinescript(std::string_view cmdline);

// Everything of the script's life back to its start. For tests.
void reset_scripts();

}  // namespace ide
