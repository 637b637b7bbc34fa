// The toolkit's ground floor: the program entry that hands the command line
// to the application, the one-time initialisation (operating-system facts,
// display metrics, the per-executable mutex, the processor's
// identification) and the volume query of the SYSTEM built-in.
//
// The toolkit calls the application through the routines that the
// application installs in `application` (its start routine and its one
// event routine).
#pragma once

#include <array>
#include <cstdint>

#include "platform/win_system_info.h"
#include "platform/win_window.h"

namespace toolkit {

// The command-line buffer's length.
inline constexpr int kCommandLineLength = 1024;

// The application's start routine (given the blank-padded command line and
// its length) and its event routine (code, window, wParam, lParam; non-zero
// when it handled the event).
using start_routine = void (*)(char* command_line, int& length);
using event_routine = int (*)(int& code, win::HWND& window, win::WPARAM& wparam,
                              win::LPARAM& lparam);
struct application_routines {
  start_routine FE_MAIN = nullptr;
  event_routine FE_CONTROL = nullptr;
};
inline application_routines application;

// Calls FE_CONTROL when the application has one; 0 (not handled) else.
int call_fe_control(int code, win::HWND window, win::WPARAM wparam, win::LPARAM lparam);

// Copies the command line (cut to 1024 characters, blank-padded) and calls
// FE_MAIN with it; returns 0 when it returns.
int WinMain(win::HINSTANCE instance, win::HINSTANCE previous, const char* command_line,
            int show_command);

// Facts about the platform, 1 = true, filled once by C_INIT_TOOLKIT.
struct platform_facts {
  int win32s = 0;
  int win9x = 0;
  int win98up = 0;
  int nt = 0;
  int nt4up = 0;
  int ntold = 0;
  int another_instance = 0;
};
inline platform_facts facts;
// The version record; its major version is non-zero once read.
inline win::OSVERSIONINFOA os_version;

// Whether INIT_TOOLKIT has run its first call.
inline bool toolkit_initialised = false;
// First call: C_INIT_TOOLKIT with the application's diagnosis setting, the
// accelerator list's built-in entry, CPU_IDENTIFY. Later calls: nothing.
void INIT_TOOLKIT();
void C_INIT_TOOLKIT(int& mode, int& win32s, int& win9x, int& win98up, int& nt, int& nt4up,
                    int& ntold, int& another_instance);

// Display metrics, filled once by INIT_DISPLAY_METRICS.
struct display_metrics_t {
  bool filled = false;
  int palette_based = 0;
  int pixels_per_inch_x = 0;
  int pixels_per_inch_y = 0;
  int screen_width = 0;
  int screen_height = 0;
  int system_font_height = 0;
  double pixels_per_mm_x = 0.0;
  double pixels_per_mm_y = 0.0;
  int base_unit_x = 0;
  int base_unit_y = 0;
};
inline display_metrics_t display_metrics;
void INIT_DISPLAY_METRICS();

// Processor identification: the highest standard leaf (-1 without the
// instruction), the signature, the two serial-number words, the feature
// word, the brand/APIC word.
inline std::array<std::int32_t, 6> cpu_words{};
void CPU_IDENTIFY(std::array<std::int32_t, 6>& words);

win::HINSTANCE GET_MODULE_HANDLE();

// The volume of `root` (the current folder when absent). Texts come back
// blank-padded; each flag is 0 or 1 and written only when given. Returns the
// system call's result; ups is 0 on success, the system's error on failure.
int GET_VOLUME_INFORMATION(const char* root, int root_length, char* volume_name,
                           int volume_name_length, int* serial, int* max_name_length,
                           char* file_system_name, int file_system_name_length, int* case_preserved,
                           int* case_sensitive, int* unicode_on_disk, int* persistent_acls,
                           int* file_compression, int* volume_compressed, int* ups);

// Forgets the initialisation, the facts and the application. For tests.
void reset_entry();
// Every part of the toolkit back to its start state (the platform's windows
// are the caller's). For tests.
void reset_toolkit();

}  // namespace toolkit
