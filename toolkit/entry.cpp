#include "toolkit/entry.h"

#include <algorithm>
#include <cstring>
#include <string>

#include "platform/backend.h"
#include "platform/win_commctrl.h"
#include "platform/win_dialog.h"
#include "platform/win_gdi.h"
#include "platform/win_last_error.h"
#include "toolkit/accelerators.h"
#include "toolkit/helpers.h"
#include "toolkit/status.h"

namespace toolkit {

namespace {

void read_version() {
  os_version = win::OSVERSIONINFOA{};
  win::GetVersionExA(&os_version);
  win::InitCommonControls();
}

void pad_out(const char* source, char* text, int length) {
  if (text != nullptr) COPY_C_TO_PADDED(source, text, length);
}

}  // namespace

int call_fe_control(int code, win::HWND window, win::WPARAM wparam, win::LPARAM lparam) {
  if (application.FE_CONTROL == nullptr) return 0;
  return application.FE_CONTROL(code, window, wparam, lparam);
}

int WinMain(win::HINSTANCE, win::HINSTANCE, const char* command_line, int) {
  char buffer[kCommandLineLength];
  std::fill(buffer, buffer + kCommandLineLength, ' ');
  if (command_line != nullptr)
    for (int i = 0; i < kCommandLineLength && command_line[i] != '\0'; ++i)
      buffer[i] = command_line[i];
  int length = kCommandLineLength;
  if (application.FE_MAIN != nullptr) application.FE_MAIN(buffer, length);
  return 0;
}

void INIT_TOOLKIT() {
  if (!toolkit_initialised) {
    toolkit_initialised = true;
    int mode = diagnosis_setting;
    C_INIT_TOOLKIT(mode, facts.win32s, facts.win9x, facts.win98up, facts.nt, facts.nt4up,
                   facts.ntold, facts.another_instance);
    CPU_IDENTIFY(cpu_words);
  }
  prepare_accelerator_list();
}

void reset_entry() {
  toolkit_initialised = false;
  facts = platform_facts{};
  os_version = win::OSVERSIONINFOA{};
  display_metrics = display_metrics_t{};
  cpu_words.fill(0);
  application = application_routines{};
}

void C_INIT_TOOLKIT(int& mode, int& win32s, int& win9x, int& win98up, int& nt, int& nt4up,
                    int& ntold, int& another_instance) {
  diagnosis_mode = mode;
  if (os_version.dwMajorVersion != 0) return;
  read_version();
  INIT_DISPLAY_METRICS();
  const win::DWORD id = os_version.dwPlatformId;
  const win::DWORD major = os_version.dwMajorVersion;
  win32s = id == win::VER_PLATFORM_WIN32s;
  win9x = id == win::VER_PLATFORM_WIN32_WINDOWS;
  win98up = win9x && os_version.dwMinorVersion >= 10;
  nt = id == win::VER_PLATFORM_WIN32_NT;
  nt4up = nt && major >= 4;
  ntold = nt && major < 4;
  // A mutex named after the program file marks a running copy; it is held
  // for the life of the process.
  char path[261] = {};
  win::GetModuleFileNameA(nullptr, path, 260);
  std::replace(path, path + std::strlen(path), '\\', '#');
  win::CreateMutexA(nullptr, win::FALSE, path);
  another_instance = win::GetLastError() == win::ERROR_ALREADY_EXISTS;
}

void INIT_DISPLAY_METRICS() {
  display_metrics_t& m = display_metrics;
  if (m.filled) return;
  m.filled = true;
  if (os_version.dwMajorVersion == 0) read_version();
  const win::HDC dc = win::GetDC(nullptr);
  const win::HGDIOBJ old = win::SelectObject(dc, win::GetStockObject(win::SYSTEM_FONT));
  // The platform's displays are true-colour: its palette never comes into
  // play and the toolkit's palette stays empty.
  m.palette_based = facts.win32s || ((win::GetDeviceCaps(dc, win::RASTERCAPS) & win::RC_PALETTE) &&
                                     win::GetDeviceCaps(dc, win::SIZEPALETTE) != 0);
  win::TEXTMETRICA tm;
  win::GetTextMetricsA(dc, &tm);
  m.pixels_per_inch_x = win::GetDeviceCaps(dc, win::LOGPIXELSX);
  m.pixels_per_inch_y = win::GetDeviceCaps(dc, win::LOGPIXELSY);
  m.screen_width = win::GetDeviceCaps(dc, win::HORZRES);
  m.screen_height = win::GetDeviceCaps(dc, win::VERTRES);
  m.system_font_height = tm.tmHeight;
  m.pixels_per_mm_x = m.pixels_per_inch_x * 0.03937007874015748;
  m.pixels_per_mm_y = m.pixels_per_inch_y * 0.03937007874015748;
  win::SelectObject(dc, old);
  win::ReleaseDC(nullptr, dc);
  const auto units = static_cast<std::uint32_t>(win::GetDialogBaseUnits());
  m.base_unit_x = LOW_WORD(static_cast<std::int32_t>(units));
  m.base_unit_y = HIGH_WORD(static_cast<std::int32_t>(units));
}

void CPU_IDENTIFY(std::array<std::int32_t, 6>& words) {
  words.fill(0);
  std::uint32_t r[4] = {};
  if (!plat::cpuid(0, r)) {
    words[0] = -1;
    return;
  }
  words[0] = static_cast<std::int32_t>(r[0]);
  const std::uint32_t highest = r[0];
  if (highest >= 1 && plat::cpuid(1, r)) {
    words[1] = static_cast<std::int32_t>(r[0]);
    words[4] = static_cast<std::int32_t>(r[3]);
    words[5] = static_cast<std::int32_t>(r[1]);
  }
  if (highest >= 3 && plat::cpuid(3, r)) {
    words[2] = static_cast<std::int32_t>(r[2]);
    words[3] = static_cast<std::int32_t>(r[3]);
  }
}

win::HINSTANCE GET_MODULE_HANDLE() {
  return reinterpret_cast<win::HINSTANCE>(win::GetModuleHandleA(nullptr));
}

int GET_VOLUME_INFORMATION(const char* root, int root_length, char* volume_name,
                           int volume_name_length, int* serial, int* max_name_length,
                           char* file_system_name, int file_system_name_length, int* case_preserved,
                           int* case_sensitive, int* unicode_on_disk, int* persistent_acls,
                           int* file_compression, int* volume_compressed, int* ups) {
  CLEAR_STATUS(ups);
  const std::string root_text = root != nullptr ? trimmed_text(root, root_length) : std::string();
  char volume[128] = {}, system[128] = {};
  win::DWORD serial_word = 0, max_length = 0, flags = 0;
  const win::BOOL ok = win::GetVolumeInformationA(root != nullptr ? root_text.c_str() : nullptr,
                                                  volume, sizeof volume, &serial_word, &max_length,
                                                  &flags, system, sizeof system);
  if (!ok) {
    if (ups != nullptr) *ups = static_cast<int>(win::GetLastError());
    return ok;
  }
  pad_out(volume, volume_name, volume_name_length);
  pad_out(system, file_system_name, file_system_name_length);
  if (serial != nullptr) *serial = static_cast<int>(serial_word);
  if (max_name_length != nullptr) *max_name_length = static_cast<int>(max_length);
  const std::pair<int*, win::DWORD> bits[] = {{case_preserved, win::FILE_CASE_PRESERVED_NAMES},
                                              {case_sensitive, win::FILE_CASE_SENSITIVE_SEARCH},
                                              {unicode_on_disk, win::FILE_UNICODE_ON_DISK},
                                              {persistent_acls, win::FILE_PERSISTENT_ACLS},
                                              {file_compression, win::FILE_FILE_COMPRESSION},
                                              {volume_compressed, win::FILE_VOLUME_IS_COMPRESSED}};
  for (const auto& [out, bit] : bits)
    if (out != nullptr) *out = (flags & bit) != 0 ? 1 : 0;
  return ok;
}

}  // namespace toolkit
