// The keyed reader of the help data file (Ostrel.hlp) and of other keyed
// text files.
//
// A keyed file is a text of CR LF lines. A line that starts with a blank or
// a TAB is a body line of the section above it; a line that starts with "!"
// is a comment (it opens no section and is read with the section above it);
// any other line is a head line that opens a section whose key is the head
// line's first word (cut to 16 characters, compared with case). A head line
// "key ->other" delivers the section of "other" instead.
//
// The help data file is indexed once (CHECKSUM) and then read by byte
// position on unit 6991; other keyed files are read line by line on the unit
// in menuunit, named by menufile.
#pragma once

#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

#include "platform/fixed_text.h"
#include "platform/indexed.h"

namespace core {

inline constexpr int helpunit = 6991;

// Key index: entry i (from 1) for the i-th head line of the file; the
// offsets are 1-based byte positions of the head lines, entry helpcount + 1
// the position just after the file's last byte. The index grows with the
// file (room for 800 keys at first).
inline plat::Store0<plat::FixedText<16>> helpkeys;
inline plat::Store0<std::int32_t> helpoffsets;
inline std::int32_t helpcount = 0;

// Reader state.
inline plat::FixedText<256> helpkey;   // the wanted key (first word, blank padded)
inline std::int32_t helpkeylen = 0;    // trimmed length of helpkey + 1, at most 256
inline plat::FixedText<256> helpline;  // line buffer (also the head line of message boxes)
inline plat::FixedText<256> helptext;  // text after the key (sequential reader), message details
inline std::vector<char> helpsection;  // body of the section found last
inline std::int32_t helpentry = 0;     // index entry found last
inline std::int32_t helppos = 1;       // next read position in helpsection
inline std::int32_t helpbodylen = 0;   // bytes of that body
inline std::int32_t menuunit = helpunit;
inline plat::FixedText<96> menufile;
inline std::int32_t menulineno = 0;
inline std::int32_t menubytepos = 1;
inline plat::FixedText<192> helppath;

// Indexes the file at path and leaves it open on unit 6991 for keyed
// reading. A file that cannot be opened leaves the index empty.
void CHECKSUM(std::string_view path);

// Finds the section of helpkey in the file read on unit. found: 1 (help
// data file) or the head line's line number (other files), 0 when missing;
// lastline: the section's last line number (help data file: the number of
// its lines, head line included); bodylen: bytes of body; width: the longest
// body line; line: the head line.
void GETMENUDATA(int unit, int& found, int& lastline, int& bodylen, int& width,
                 std::span<char> line);
// Byte position of the line after the head line last found by the
// sequential reader (1 after a search in the help data file).
int GETMENUPOSITION(int unit, int& position);
// Makes the section found last readable again from its first body line;
// 0, or 1 after an I/O error.
int GETMENUREWIND();
// The next line of a section into line (blank padded); 0, or 1 when the
// section has no further line. entry and position are the caller's copies
// of helpentry and helppos: a different entry reloads that section first.
int GETMENULINE(std::span<char> line, int& entry, int& position);

// Closes unit 6991 and empties the index and the reader state.
void reset_helpdata();

}  // namespace core
