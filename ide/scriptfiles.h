// Where a script's files lie and how they are written: the working copy
// beside the script (or in the per-user state folder when the script's
// folder cannot be written), the examples, and the one way every save
// goes (platform/file_replace.h).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "platform/file_replace.h"
#include "platform/fixed_text.h"

namespace ide {

// The working copy of the script being edited.
inline plat::FixedText<192> workpath;
// A script is in the editor.
inline bool scriptopen = false;
// The working copy that was opened did not hold together: its text is in
// the editor with an empty log, and the file stays until a good image
// replaces it.
inline bool badworkcopy = false;
// The script whose working copy was opened in its place (empty when none).
inline std::string restoredfrom;
// A failed write of the working copy was reported (once until one succeeds).
inline bool workcopyfailed = false;

// The text without trailing blanks.
std::string trimmed(std::string_view text);
// The title of the main window's record: the file being edited.
std::string maintitle();

// The name after the last "/", and that name up to its first "." (the
// base name); the folder up to and including the last "/" (empty: none).
std::string_view filename(std::string_view path);
std::string_view basename(std::string_view path);
std::string_view folderof(std::string_view path);
// The name (after the last "/") contains the text.
bool namehas(std::string_view path, std::string_view text);

// The example scripts' folder: "examples" beside the data folder.
std::string examplesdir();
// The per-user state folder for working copies: $XDG_STATE_HOME/ostrel/
// (else ~/.local/state/ostrel/), made when missing.
std::string statedir();
// The working copy of script: its base name with ".tmp" beside it (in the
// working folder when it names none), or in the state folder when that
// folder cannot be written.
std::string workpathfor(std::string_view script);
// A working copy left over for script, beside it or in the state folder
// (there only when it was made for this script); empty when none.
std::string leftworkcopy(std::string_view script);
// The bytes can be a working copy: at least 16 of them, and the three
// marks of the trailer lie inside them. An empty file, one that a crash
// cut short and a plain script are none.
bool workcopyimage(std::string_view bytes);
// Puts a working copy that is none aside: renamed to its name with ".bad"
// (".bad2", ".bad3", ... when that is taken; nothing is written over), and
// the user told under which name it is kept. Returns that name (the copy's
// own when it could not be renamed).
std::string setasideworkcopy(std::string_view copy);

// Writes the bytes over target the safe way (platform/file_replace.h): a
// link is followed to its file, whose permission bits, owner and hard
// links stay; on failure target is as it was.
plat::ReplaceResult savefile(std::string_view target, std::string_view bytes,
                             const plat::ReplaceOptions& options = {});
// Tells the user that the file was not written, and why: a message box
// titled with the file's name.
void reportsave(const plat::ReplaceResult& result, std::string_view name);
// Shows "rdwrErK" with the I/O status and the file's name.
void reportfile(int status, std::string_view name);
// Deletes the file; true when it is gone.
bool deletefile(std::string_view path);

// After every change of the text: the undo and redo state, the edit
// buffer sealed and grown when the log comes within reach of the text,
// and (for a script not named on the command line) its image written to
// the working copy, the caption showing the working copy with " *".
void C1EDITSAVE();

// Start values of the words above.
void reset_scriptfiles();

}  // namespace ide
