// Small helpers shared by the test programs.
#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace testsupport {

// A fresh, empty folder under the system's temporary folder; removed again
// when the object goes out of scope.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  const std::filesystem::path& path() const { return path_; }
  // Path of a file inside the folder, as text.
  std::string file(const std::string& name) const;

 private:
  std::filesystem::path path_;
};

// HOME and the XDG folders (config, data, state, cache) pointed into a
// fresh folder for the life of the object, then restored: a program run
// by the test finds no setup, history or working copy of another run, and
// leaves its own there.
class HomeFolders {
 public:
  HomeFolders();
  ~HomeFolders();
  HomeFolders(const HomeFolders&) = delete;
  HomeFolders& operator=(const HomeFolders&) = delete;

  const std::filesystem::path& home() const { return dir_.path(); }
  // $XDG_CONFIG_HOME, where the program keeps its setup file.
  std::filesystem::path config() const { return dir_.path() / ".config"; }

 private:
  TempDir dir_;
  std::vector<std::pair<std::string, std::optional<std::string>>> kept_;
};

// The current folder set to `dir` for the life of the object, then set
// back (for what a program writes into the current folder).
class CurrentFolder {
 public:
  explicit CurrentFolder(const std::filesystem::path& dir);
  ~CurrentFolder();
  CurrentFolder(const CurrentFolder&) = delete;
  CurrentFolder& operator=(const CurrentFolder&) = delete;

 private:
  std::filesystem::path kept_;
};

// Removes the test program's own folder (tests/support/sandbox.cpp, which
// fills it), for a test program that gives up and ends without running its
// destructors.
inline void (*remove_test_folder)() = nullptr;

// The checkout's root folder (for data/ and examples/).
std::filesystem::path source_dir();

// The size of a random test: `quick` in `make test`, `full` when
// OSTREL_TEST_FULL is set (`make test-full`). Its fixed seeds run in both.
std::uint32_t sized(std::uint32_t quick, std::uint32_t full);

// Whole file as bytes; empty when it cannot be read.
std::string read_file(const std::filesystem::path& p);
void write_file(const std::filesystem::path& p, const std::string& bytes);

// What a shell command writes on its standard output.
std::string command_output(const std::string& command);

// Script text with CR LF line ends, as the editor keeps it.
std::string crlf(const std::string& text);

// Runs the check in a forked child process and returns what it reports
// (empty: all went well; gtest's checks do not reach back from a child). In
// the child the signal of the file-size limit is ignored, so that a write
// past a limit that the check sets fails with EFBIG. A child that has not
// ended within 50 seconds is stopped, and the report says so.
std::string in_child(const std::function<std::string()>& check);
// Lowers this process's file-size limit (for a check run by in_child).
bool limit_file_size(std::uint64_t bytes);

}  // namespace testsupport
