// Tests of the IDE run the program in the test process on the headless
// back end: FE_MAIN through the toolkit's program entry, with the virtual
// clock, so that the one-second timer ticks at once. Each step of a test
// runs after one tick has been handled; after the last step the program is
// told to QUIT. The setup file goes to a fresh folder, and so do HOME and
// the other XDG folders.
#pragma once

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "support/test_support.h"

namespace idetest {

// An environment variable set (or removed) for the life of the object.
class EnvVar {
 public:
  EnvVar(const char* name, const char* value);
  ~EnvVar();
  EnvVar(const EnvVar&) = delete;
  EnvVar& operator=(const EnvVar&) = delete;

 private:
  std::string name_;
  std::optional<std::string> old_;
};

using Step = std::function<void()>;

// While one lives, the ticks of the program's clock start no step: a step
// that waits for the program handles its ticks meanwhile (a step that
// answers a box does start at such a tick).
struct HoldSteps {
  HoldSteps();
  ~HoldSteps();
  HoldSteps(const HoldSteps&) = delete;
  HoldSteps& operator=(const HoldSteps&) = delete;
};

class IdeTest : public ::testing::Test {
 protected:
  // HOME and the XDG folders of the test's own, the setup file's folder
  // in `config`.
  testsupport::HomeFolders home;
  testsupport::TempDir config;
  EnvVar xdg{"XDG_CONFIG_HOME", config.path().c_str()};
  // Opening a script makes its folder the current one: it comes back.
  std::filesystem::path startfolder = std::filesystem::current_path();

  void SetUp() override;
  void TearDown() override;

  // Runs the program with the command line; returns its exit status.
  int run(const std::string& cmdline, std::vector<Step> steps);
  // Ticks seen by the test's event routine.
  int ticks = 0;
  // Programs run so far by the test.
  int programs = 0;
};

// A step that waits, a tick at a time, until `state` holds, and then runs
// `then`; after a bound of ticks in vain the test fails saying what it
// waited for, and the steps go on.
Step waitfor(std::function<bool()> state, std::string what, Step then);

// What the editor was handed at each entry: the pending command and the
// key record (all four bytes 0xFF: none).
struct HandedOver {
  std::int32_t command = 0;
  std::array<std::uint8_t, 4> key{};
};
inline std::vector<HandedOver> handedover;

// The key pressed while `held` (a virtual key: Alt, Ctrl) is held, as the
// focused window gets them.
void presswith(int held, int vk);

// The main window's handle (null when none).
void* mainwindow();
// A PNG of the main window (frame included) for looking at, written as
// <name>.png into the folder that OSTREL_SCREENSHOTS names (when it names
// one).
void snapshot(const std::string& name);

}  // namespace idetest
