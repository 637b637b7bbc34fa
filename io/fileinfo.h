// File information: every question the system asks the file system about a
// path, answered by FILEINFO.
//
// The path is a file, a folder or a pattern with "*" and "?" (only its
// first 256 characters count); "\" and "/" both separate folders, and a
// pattern without a folder is searched in the current folder. n receives
// the answer, or -1 when nothing matches; sizes are 64-bit throughout.
//
//   what = 0   without "*" in the path: the size of the first matching
//              entry (0 for a folder); with "*": the number of matches
//   what = -1  the number of matches, also into z(iresult)
//   what = -2  the size of the first match, its last-write day number into
//              z(iresult)
//   what > 0   the sorted listing written to that unit, which the caller
//              opened as a byte stream for writing and which is closed
//              here; n = the number of entries listed
//
// Flags: character 1 sorts (s size, a attributes, c creation, w last
// write, l last access, x extension; lower case ascending, upper case
// descending, anything else the system's order, ties keeping it); the
// next nine name the columns (N name, S size, A attributes, C, W, L the
// three day numbers, X extension, D folder, P path; none: N S A C W L),
// each written followed by ","; a "&" or "+" anywhere walks the
// subfolders too, depth first, at most 32 levels down, entering no
// symbolic link and no folder whose name holds a "." (each folder's
// entries sorted by themselves, n the total). A path that is empty or
// ends in a separator answers -1 at once.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace io {

void FILEINFO(std::string_view path, std::int64_t& n, std::int32_t what,
              std::string_view flags = " ");
// The same for a caller that keeps the answer of what = -1 or -2 itself:
// it goes to `answer` (left alone when nothing matches) instead of
// z(iresult).
void FILEINFO(std::string_view path, std::int64_t& n, std::int32_t what, double* answer);
// The listing of what > 0 into a text instead of a unit, for a caller that
// puts it in the file's place whole.
void FILEINFO(std::string_view path, std::int64_t& n, std::string& listing,
              std::string_view flags = " ");
// The I/O status of the last listing's writes and close (0 when all went
// well).
inline std::int32_t listingstatus = 0;

// One entry of a folder as FILEINFO lists it: the times are local day
// numbers (the TIME built-in's Excel numbering).
struct ListingRecord {
  std::uint32_t attributes = 0;  // 0x10 folder, 0x1 read-only, 0x2 hidden, 0x20 file
  double creation = 0.0;
  double access = 0.0;
  double write = 0.0;
  std::uint64_t size = 0;
  std::string name;
};

// The entries of one folder that match the pattern, in the system's order
// (read in one pass); empty when nothing matches.
std::vector<ListingRecord> GETDIRECTORYLIST(std::string_view pattern);

}  // namespace io
