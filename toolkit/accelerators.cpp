#include "toolkit/accelerators.h"

#include <algorithm>
#include <cstdio>
#include <string>

#include "toolkit/entry.h"
#include "toolkit/menus.h"
#include "toolkit/status.h"

namespace toolkit {

namespace {

constexpr std::size_t kMessageLength = 128;

bool same(const win::ACCEL& a, const win::ACCEL& b) {
  return a.fVirt == b.fVirt && a.key == b.key && a.cmd == b.cmd;
}

std::string upper(std::string_view text) {
  std::string s(text);
  for (char& c : s)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  return s;
}

// The key part: a digit, a letter, or F1 to F24.
int key_code(std::string_view part) {
  if (part.size() == 1 &&
      ((part[0] >= '0' && part[0] <= '9') || (part[0] >= 'A' && part[0] <= 'Z')))
    return part[0];
  if ((part.size() == 2 || part.size() == 3) && part[0] == 'F') {
    int n = 0;
    for (char c : part.substr(1)) {
      if (c < '0' || c > '9') return 0;
      n = n * 10 + (c - '0');
    }
    if (n >= 1 && n <= 24) return 0x6F + n;
  }
  return 0;
}

}  // namespace

void prepare_accelerator_list() {
  if (!accelerator_list.empty()) return;
  accelerator_list.reserve(10);
  accelerator_list.push_back(
      win::ACCEL{win::FVIRTKEY | win::FSHIFT | win::FCONTROL, 'R', kToolsCommand});
}

std::string position_path_text(int path) {
  char buf[32];
  std::snprintf(buf, sizeof buf, " in menu item: %2d", path & 63);
  std::string text = buf;
  for (int level = 1; level <= 5; ++level) {
    const int group = (path >> (6 * level)) & 63;
    if (group == 0) continue;
    std::snprintf(buf, sizeof buf, " of menu item: %2d", group);
    text += buf;
  }
  return text;
}

bool PARSE_ACCELERATOR(std::string_view text, win::ACCEL& entry, win::UINT_PTR command,
                       const menu_item_t& item, int path, int* ups) {
  while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
  const std::string accel = upper(text);
  entry = win::ACCEL{win::FVIRTKEY, 0, static_cast<win::WORD>(command)};
  const char* problem = nullptr;
  std::string_view rest = accel;
  for (std::size_t plus = rest.find('+'); plus != std::string_view::npos; plus = rest.find('+')) {
    const std::string_view modifier = rest.substr(0, plus);
    if (modifier == "CTRL" || modifier == "CNTRL")
      entry.fVirt |= win::FCONTROL;
    else if (modifier == "ALT")
      entry.fVirt |= win::FALT;
    else if (modifier == "SHIFT")
      entry.fVirt |= win::FSHIFT;
    else {
      problem = "Invalid accelerator for:";
      break;
    }
    rest.remove_prefix(plus + 1);
  }
  if (problem == nullptr) {
    entry.key = static_cast<win::WORD>(key_code(rest));
    if (entry.key == 0) problem = "Invalid accelerator key for:";
  }
  if (problem == nullptr) return true;
  std::string message = std::string(problem) + std::string(item.title.trimmed()) + ":'" + accel +
                        "'" + position_path_text(path);
  message.resize(std::min(message.size(), kMessageLength));
  REPORT_ERROR(ups, message);
  return false;
}

int FIND_ACCELERATOR(const win::ACCEL& entry) {
  for (std::size_t i = 0; i < accelerator_list.size(); ++i)
    if (same(accelerator_list[i], entry)) return static_cast<int>(i) + 1;
  return 0;
}

void REMOVE_ACCELERATOR(const win::ACCEL& entry) {
  if (const int at = FIND_ACCELERATOR(entry); at > 0)
    accelerator_list.erase(accelerator_list.begin() + (at - 1));
}

void CREATE_ACCELERATOR_TABLE(const win::ACCEL* entries, int count, int* ups) {
  CLEAR_STATUS(ups);
  INIT_DISPLAY_METRICS();
  if (facts.win32s) return;
  if (accelerator_table != nullptr) win::DestroyAcceleratorTable(accelerator_table);
  accelerator_table = nullptr;
  if (count <= 0) return;
  accelerator_table = win::CreateAcceleratorTableA(entries, count);
  if (accelerator_table == nullptr)
    SET_STATUS_FROM_SYSTEM(ups, "Unable to create Accelerator table");
}

void reset_accelerators() {
  if (accelerator_table != nullptr) win::DestroyAcceleratorTable(accelerator_table);
  accelerator_table = nullptr;
  accelerator_list.clear();
}

}  // namespace toolkit
