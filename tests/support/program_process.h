// The program itself on the test program's Xvfb, as a user starts it from a
// terminal: "ostrel script.ost" in a process of its own, in a folder of
// its own that is its HOME and XDG folders too, while the test plays the
// user on a connection of its own (display_user.h). For the display tests
// of test_app, which know the program's path.
#pragma once

#include <gtest/gtest.h>
#include <sys/types.h>

#include <string>
#include <vector>

#include "support/test_support.h"

namespace testsupport {

class ProgramOnADisplay : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  // Starts the program (the binary `program`) with these arguments; the
  // leak checker of the sanitised build looks at what is left at its end.
  void start(const std::string& program, const std::vector<std::string>& args);
  // Waits for the program's end; its exit status (128 + the signal). Its
  // standard error is in `err` then.
  int finish();

  TempDir dir, logs;
  std::string display, err;
  pid_t pid = -1;
};

}  // namespace testsupport
