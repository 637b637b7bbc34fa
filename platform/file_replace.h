// Replacing a file's contents so that a failure never leaves it half
// written: the one way the program rewrites a file of its own or of the
// user (scripts, working copies, the setup file).
//
// The name is a Windows-1252 text as for the file units (file_names.h).
// When it names a symbolic link, the chain of links is followed and the
// file it ends at is written (a dangling link: the path it points to is
// created), so the link stays a link.
//
// The bytes go to a temporary file made exclusively in that file's folder
// (a new, unique name; an entry standing there, a link included, is never
// opened), which takes the file's permission bits, owner and group, is
// synced to disk, closed with its status checked and renamed over the
// file. A failure removes the temporary file and leaves the file as it
// was.
//
// The file is written in place instead (its first bytes overwritten, then
// cut to the new length) when it has further hard links, which a rename
// would cut off; when its owner or group cannot be given to a new file;
// and when its folder takes no new file but the file itself may be
// written. Before an in-place write the file is first made long enough
// (its room allocated where the file system can), so that a full disk or
// the file-size limit fails before any old byte is touched.
//
// The test hooks of file_units.h count the writes, closes and renames made
// here as well.
//
// Bytes that come piece by piece (a copy, a sorted file, a sound) go
// through a Replacement: the same steps, each piece written to the
// temporary file as it comes.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "platform/file_units.h"

namespace plat {

// The step of a replace that failed.
enum class ReplaceStep {
  none,
  name,    // the name is empty, a link cannot be read, a chain of links is too long
  create,  // the temporary file (or, in place, the file) could not be opened
  write,   // a write, or making the file long enough, failed
  sync,
  close,
  rename,
  replaced,  // the name leads to another file than the one expected
};

struct ReplaceResult {
  int error = 0;  // the system's error number (errno); 0 when the file holds the bytes
  ReplaceStep step = ReplaceStep::none;
  bool inplace = false;  // the file itself was written
  std::string path;      // the file written, links followed (file system path)
  bool ok() const { return error == 0; }
};

struct ReplaceOptions {
  // Sync the bytes to disk before the rename (and the folder after it).
  bool sync = true;
  // Permission bits of a file that did not exist (less the umask).
  unsigned newmode = 0666;
  // The file the name must lead to (links followed), when given: checked
  // when the replace starts and again just before the file is put in
  // place; another file, or none, fails the replace and leaves everything
  // as it was.
  std::optional<FileId> expect = std::nullopt;
};

ReplaceResult replace_file(std::string_view name, std::string_view bytes,
                           const ReplaceOptions& options = {});

// A replace whose bytes are handed over piece by piece. The temporary file
// is made when the object is; where the file is to be written in place the
// pieces are gathered in memory and written by commit. Destroyed without a
// commit (or after a failure) it removes its temporary file and leaves the
// file as it was.
class Replacement {
 public:
  explicit Replacement(std::string_view name, const ReplaceOptions& options = {});
  ~Replacement();
  Replacement(const Replacement&) = delete;
  Replacement& operator=(const Replacement&) = delete;

  // Appends the bytes. False once a step has failed (result() says which);
  // a write after a failure or after the commit does nothing.
  bool write(std::string_view bytes);
  // Puts the bytes written in the file's place: the outcome. A second
  // commit returns the first one's outcome.
  ReplaceResult commit();
  // The outcome so far: a failure of the start or of a write.
  const ReplaceResult& result() const { return result_; }
  bool ok() const { return result_.ok(); }

 private:
  ReplaceResult result_;
  ReplaceOptions options_;
  int fd_ = -1;
  std::string temp_;
  std::uint64_t written_ = 0;
  bool gather_ = false;  // in place: the bytes wait for the commit
  std::string gathered_;
  bool committed_ = false;
};

// The I/O status (file_units.h) of a replace's outcome: 0 done, 29 no such
// folder, 30 the file could not be opened, 38 a write, sync or rename
// failed, 28 the close failed, 40 the name leads to another file than the
// one expected, 43 an empty name.
int replace_iostat(const ReplaceResult& result);

}  // namespace plat
