// A private X server for the tests that need a display: Xvfb, started on
// first use with -displayfd (it picks a free display number itself), with
// openbox managing its windows as a desktop's window manager does, both
// stopped when the test program ends. Tests connect to it by name.
#pragma once

#include <string>

namespace testsupport {

// The display name (":N") of the test program's Xvfb; empty, with the
// reason in `why`, when the server could not be started.
std::string xvfb_display(std::string* why = nullptr);
// A second server of the test program, where no window manager runs: for
// the tests of the display back end itself, which look at what it asks of
// the server when nobody else places and focuses its windows.
std::string bare_xvfb_display(std::string* why = nullptr);
// Holds the window manager of xvfb_display() still while it lives, as a
// window manager that is slow to act: windows are neither shown nor given
// the focus by it meanwhile.
class WindowManagerHeld {
 public:
  WindowManagerHeld();
  ~WindowManagerHeld();
  WindowManagerHeld(const WindowManagerHeld&) = delete;
  WindowManagerHeld& operator=(const WindowManagerHeld&) = delete;
};
// Stops the servers at once (for a test program that gives up and ends
// without running its destructors).
void stop_xvfb();

}  // namespace testsupport
