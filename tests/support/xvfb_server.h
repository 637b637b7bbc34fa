// A private X server for the tests that need a display: Xvfb, started on
// first use with -displayfd (it picks a free display number itself) and
// stopped when the test program ends. Tests connect to it by name.
#pragma once

#include <string>

namespace testsupport {

// The display name (":N") of the test program's Xvfb; empty, with the
// reason in `why`, when the server could not be started.
std::string xvfb_display(std::string* why = nullptr);
// Starts a window manager (openbox) on that Xvfb, once, and waits until
// it manages the screen, as every desktop has one; false, with the reason
// in `why`, when it could not be started. It goes with the server.
bool xvfb_window_manager(std::string* why = nullptr);
// Stops the server at once (for a test program that gives up and ends
// without running its destructors).
void stop_xvfb();

}  // namespace testsupport
