// Numbered file units: every file the system reads or writes is reached
// through a unit number, opened with a status, an access, a form, an action
// and a sharing mode, and then read and written record by record or byte by
// byte. Every call returns an I/O status (the iostat_* numbers below); no
// call throws.
//
// File names arrive as Windows-1252 texts, possibly blank padded: trailing
// blanks are dropped, the name is cut at a NUL character, every "\" counts
// as a path separator (it becomes "/", since scripts were written on
// Windows) and the name reaches the file system as platform/file_names.h
// says (UTF-8).
//
// Sharing: a unit's sharing mode restricts the opens of the same file (the
// same file on disk) through other units. An open fails with
// iostat_open_failed when it wants to read a file that an open unit denies
// reading, or to write one that an open unit denies writing, or when its own
// sharing mode denies what an already open unit of that file does.
//
// Records of formatted files end with CR LF when written (files are shared
// with programs that expect it); when read, a record ends at LF and a CR
// before that LF is dropped. All positions and sizes are 64-bit; positions
// and record numbers count from 1.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace plat {

// I/O status numbers:
//   0 ok; -1 end of file reached by a read;
//   9 read from a unit opened for writing only; 10 status new, but the file
//   exists; 25 record number or position below 1 (or too large to address);
//   28 the file could not be closed, or deleted at close; 29 status old, but there is no
//   such file; 30 the file exists but cannot be opened, or another unit's
//   sharing mode refuses the open; 31 the transfer does not suit the unit's
//   access or form; 32 the unit is not open (or its number is negative);
//   36 a direct read beyond the end of the file; 38 and 39 the file system
//   refused a write or a read; 40 the unit's name now leads to another
//   file than the one the unit opened (check_unit_name); 43 empty file name
//   (other than for a scratch file); 45 direct access without a record
//   length; 47 write to a unit opened for reading only; 66 and 67 a direct
//   write or read of more bytes than an unformatted or formatted record
//   holds (66 also a sequential record longer than longest_record).
inline constexpr int iostat_ok = 0;
inline constexpr int iostat_eof = -1;
inline constexpr int iostat_no_read_access = 9;
inline constexpr int iostat_exists = 10;
inline constexpr int iostat_bad_record = 25;
inline constexpr int iostat_close_failed = 28;
inline constexpr int iostat_no_file = 29;
inline constexpr int iostat_open_failed = 30;
inline constexpr int iostat_wrong_access = 31;
inline constexpr int iostat_not_connected = 32;
inline constexpr int iostat_no_record = 36;
inline constexpr int iostat_write_error = 38;
inline constexpr int iostat_read_error = 39;
inline constexpr int iostat_replaced = 40;
inline constexpr int iostat_bad_name = 43;
inline constexpr int iostat_no_recl = 45;
inline constexpr int iostat_read_only = 47;
inline constexpr int iostat_record_overflow = 66;
inline constexpr int iostat_record_short = 67;
// The longest record a sequential read takes (a record's length is a
// 32-bit number): a longer one, as an endless device gives, fails with
// iostat_record_overflow.
inline constexpr std::int64_t longest_record = 0x7FFFFFFF;

// The system's own fixed units.
inline constexpr int unit_editcopy = 6969;      // the editor's working copy
inline constexpr int unit_script_first = 6970;  // files that a script opens: 6970..6989
inline constexpr int unit_script_last = 6989;
inline constexpr int unit_setup = 6990;     // the setup file
inline constexpr int unit_helpdata = 6991;  // the help data file
inline constexpr int unit_work1 = 6992;     // working files
inline constexpr int unit_work2 = 6993;
inline constexpr int unit_tablescratch = 6994;  // table scratch file
inline constexpr int unit_spill = 6995;         // store spill file
inline constexpr int unit_errors = 6999;        // compile errors and the sort scratch file

// old: must exist. new: must not exist, is created. unknown: created when
// missing. replace: created when missing, emptied when present. scratch:
// emptied or created like replace and deleted at close; without a name the
// file is a nameless temporary one.
enum class UnitStatus { old_file, new_file, unknown, replace, scratch };
// sequential: records (formatted) or a byte stream (unformatted, binary);
// direct: fixed-length records reached by number; stream: bytes reached by
// position.
enum class UnitAccess { sequential, direct, stream };
// binary: for direct access the records are only the unit of addressing, a
// transfer may span several of them (record length 1 makes the record number
// a byte position).
enum class UnitForm { formatted, unformatted, binary };
enum class UnitAction { read, write, readwrite };
enum class UnitShare { denynone, denyread, denywrite, denyreadwrite };
// rewind: at the start; asis: at the start for a new connection, unchanged
// when the unit stays connected; append: at the end, and a sequential unit
// that may write keeps appending: each write (a record, or the records
// held back, passed on whole) lands at the file's end as it is then, also
// when another program appends to the file at the same time.
enum class UnitPosition { rewind, asis, append };
// How formatted records end: lf (LF, a CR before it dropped; written as
// CR LF), cr (CR; written as CR), eol (LF, CR LF or CR; written as CR LF),
// none (no record ends: a read delivers the bytes that fit into the
// buffer).
enum class UnitRecords { lf, cr, none, eol };
// standard: scratch files are deleted, others kept.
enum class UnitClose { standard, keep, remove };

struct UnitMode {
  UnitStatus status = UnitStatus::unknown;
  UnitAccess access = UnitAccess::sequential;
  UnitForm form = UnitForm::formatted;
  UnitAction action = UnitAction::readwrite;
  UnitShare share = UnitShare::denynone;
  UnitPosition position = UnitPosition::asis;
  UnitRecords records = UnitRecords::lf;
  // Record length in bytes: needed for direct access (binary direct takes 1
  // when none is given); other accesses ignore it.
  std::int64_t recl = 0;
  // Buffered transfers: the records and bytes written one after the other
  // at the unit's position are collected and passed to the file system
  // together (at 64 KiB, by flush_unit or flush_units, and before any other
  // operation on any unit). When they cannot be passed on, the failure is
  // kept for the unit: its next write (write_record, write_stream,
  // write_direct), flush_unit or close_unit returns it, whichever operation
  // caused the pass-on.
  bool buffered = false;
};

// Open and close ----------------------------------------------------------

// Connects the unit to the file. A unit that is open already is closed first,
// except when it holds the same file with the same access, form, action,
// sharing, records and record length and the status is old or unknown: then
// nothing changes (not even the position). A failed open leaves the unit
// closed.
int open_unit(int unit, std::string_view name, const UnitMode& mode);
// Disconnects the unit; closing a unit that is not open does nothing. The
// status of a file that stays tells whether all the unit's writes reached
// it. A file to delete (a scratch file, UnitClose::remove) is deleted by
// its name only while the name leads to it: when another file has taken
// the name, nothing is deleted and the status is iostat_replaced.
int close_unit(int unit, UnitClose how = UnitClose::standard);
// Cuts the unit's file at the 1-based byte position pos through the handle
// the unit holds, whatever its name leads to now; what the unit holds back
// is passed on first (a failure of that is returned, and nothing is cut).
// A unit opened for reading only cuts through a writing handle of the same
// open file, as long as no other unit of the file denies writing
// (iostat_open_failed otherwise, and when the file may not be written).
int cut_unit(int unit, std::int64_t pos);
// iostat_ok while the unit's name (links followed) still leads to the file
// the unit holds, and for a nameless scratch file; iostat_replaced when
// another file or a link to one has taken the name since the open;
// iostat_no_file when nothing has the name; iostat_not_connected for a
// unit that is not open. A statement that must reach the unit's file by
// its name asks this first.
int check_unit_name(int unit);
// The identity of a file on disk: its device and inode.
struct FileId {
  std::uint64_t dev = 0;
  std::uint64_t ino = 0;
  bool operator==(const FileId&) const = default;
};
// The file the unit holds; none for a unit that is not open.
std::optional<FileId> unit_file_id(int unit);
// Writes of unbuffered units are passed to the file system at once;
// flushing passes on what a buffered unit holds, and returns the unit's
// kept failure when an earlier pass-on failed.
int flush_unit(int unit);
// Passes on what any buffered unit holds (before the file system is asked
// about a file by other means). A failure is returned here and stays kept
// for its unit as well.
int flush_units();
// Closes every unit (scratch files are deleted): the state at start.
void reset_file_units();
// Replaces the file target by the unit's file: passes on what the unit
// holds, syncs it to disk (when sync is set), closes the unit and renames
// its file over target (folder and name as for open_unit). When a write of
// the unit failed before, or a step here fails, the unit's file is deleted
// and target stays as it was; the status tells which step failed (38 a
// write, the sync or the rename, 28 the close). The unit's file is the one
// its caller named: a file the program rewrites goes through replace_file
// (file_replace.h) instead, which makes its own temporary file.
int commit_unit(int unit, std::string_view target, bool sync = true);
// Test hooks: when not negative, the number of reads from and writes to
// the file system, of syncs, closes and renames that still succeed; every
// one after them fails (reads with iostat_read_error, writes, syncs and
// renames with iostat_write_error, closes with iostat_close_failed; in
// replace_file with EIO). reset_file_units sets them back to -1.
inline std::int64_t reads_before_fault = -1;
inline std::int64_t writes_before_fault = -1;
inline std::int64_t syncs_before_fault = -1;
inline std::int64_t closes_before_fault = -1;
inline std::int64_t renames_before_fault = -1;

// Formatted records (sequential or stream access, formatted form) ----------

// The next record, without its line end. At the end of the file:
// iostat_eof.
int read_record(int unit, std::string& record);
// The next record into the buffer, cut to its size or blank padded; reclen
// (optional) receives the record's own length.
int read_record(int unit, std::span<char> buffer, std::int64_t* reclen = nullptr);
// Writes the text as a record at the current position, followed by its line
// end. Writing does not cut the file after the record (see end_file).
int write_record(int unit, std::string_view record);
// Moves to the start of the record before the current position. After a read
// that met the end of the file, the first backspace leaves the unit at the
// end (so a write that follows appends).
int backspace_unit(int unit);

// Positioning (any access) --------------------------------------------------

int rewind_unit(int unit);
// Sets the 1-based byte position of the next transfer (beyond the end is
// allowed: a write there leaves a gap of zero bytes).
int position_unit(int unit, std::int64_t pos);
// Cuts the file at the current position.
int end_file(int unit);

// Bytes (sequential or stream access) ---------------------------------------

// Reads buffer.size() bytes at the 1-based position pos (0: the current
// position); the position then stands after them. Reading past the end
// transfers what there is and gives iostat_eof; got (optional) receives the
// count transferred.
int read_stream(int unit, std::span<char> buffer, std::int64_t pos = 0,
                std::int64_t* got = nullptr);
int write_stream(int unit, std::string_view bytes, std::int64_t pos = 0);

// Direct records (direct access) ---------------------------------------------

// Reads from the start of record rec (1-based). Formatted records are blank
// padded when the buffer is longer; unformatted ones cannot deliver more than
// the record length (iostat_record_short). A read that reaches beyond the end
// of the file gives iostat_no_record, with the bytes that exist transferred
// (got receives their count).
int read_direct(int unit, std::int64_t rec, std::span<char> buffer, std::int64_t* got = nullptr);
// Writes to the start of record rec; a formatted record is blank padded to
// the record length.
int write_direct(int unit, std::int64_t rec, std::string_view bytes);

// Inquire ----------------------------------------------------------------------

struct UnitInfo {
  bool open = false;
  std::string name;          // the name given to open, trimmed (empty for a nameless scratch file)
  std::string path;          // the file system path (UTF-8)
  std::int64_t size = 0;     // file size in bytes
  std::int64_t pos = 0;      // 1-based byte position of the next transfer
  std::int64_t nextrec = 0;  // direct access: the record after the last one transferred
  std::int64_t recl = 0;
  UnitAccess access = UnitAccess::sequential;
  UnitForm form = UnitForm::formatted;
  UnitAction action = UnitAction::readwrite;
  UnitShare share = UnitShare::denynone;
  UnitRecords records = UnitRecords::lf;
  bool scratch = false;  // deleted when closed
};
// Fills info (open false for a unit that is not open); returns iostat_ok.
int inquire_unit(int unit, UnitInfo& info);
bool unit_is_open(int unit);
// The 1-based byte position of the unit's next transfer (inquire_unit's
// `pos`, without its look at the file); 0 for a unit that is not open.
std::int64_t unit_position(int unit);

struct FileNameInfo {
  bool exists = false;
  int unit = -1;           // the lowest unit that holds the file, -1 when none
  std::int64_t size = -1;  // -1 when the file does not exist
};
int inquire_name(std::string_view name, FileNameInfo& info);

// The file system path for a file name (plat::system_path, file_names.h).
std::string unit_file_path(std::string_view name);

}  // namespace plat
