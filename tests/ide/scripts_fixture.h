// Tests of the script's life call its routines directly: the help data
// file indexed, the main window's record made (without a window), the
// setup file, the scripts and the working copies in fresh folders.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "ide_fixture.h"
#include "support/test_support.h"

namespace idetest {

class ScriptsTest : public ::testing::Test {
 protected:
  testsupport::TempDir home;   // scripts
  testsupport::TempDir app;    // the setup file
  testsupport::TempDir state;  // working copies of folders that cannot be written
  EnvVar xdgstate{"XDG_STATE_HOME", state.path().c_str()};
  std::filesystem::path startfolder = std::filesystem::current_path();

  void SetUp() override;
  void TearDown() override;

  // A path in the scripts' folder.
  std::string at(const std::string& name) const { return home.file(name); }
  // The setup file's lines (without line ends).
  std::vector<std::string> setuplines() const;
  void writesetup(const std::vector<std::string>& lines) const;
  // Titles of the message boxes shown so far.
  std::vector<std::string> boxes() const;
  // The edit buffer's text.
  static std::string text();
};

// The names in a folder, sorted.
std::vector<std::string> entries(const std::filesystem::path& folder);

}  // namespace idetest
