#include "ide/application_standin.h"

#include "toolkit/entry.h"
#include "toolkit/helpers.h"
#include "toolkit/loops.h"
#include "toolkit/windows.h"

namespace ide {

namespace {

constexpr int kTitleLength = 255;

}  // namespace

void FE_MAIN(char* command_line, int& length) {
  const std::string cmdline(
      command_line, static_cast<std::size_t>(toolkit::TRIMMED_LENGTH(command_line, length)));
  char title[kTitleLength];
  toolkit::COPY_C_TO_PADDED(first_script_name(cmdline).c_str(), title, kTitleLength);
  const win::HWND main = toolkit::CREATE_WINDOW(
      title, kTitleLength, nullptr, 0, nullptr, 0, nullptr, 0, nullptr, nullptr, nullptr, nullptr,
      nullptr, nullptr, nullptr, nullptr, nullptr, 0, nullptr, nullptr, nullptr, nullptr, nullptr,
      nullptr, nullptr, EXITOSTREL, nullptr, nullptr, nullptr, nullptr);
  if (main != nullptr) toolkit::MESSAGE_LOOP();
}

int FE_CONTROL(int&, win::HWND&, win::WPARAM&, win::LPARAM&) { return 0; }

int EXITOSTREL(win::HWND&) { return -1; }

void install_application() { toolkit::application = {FE_MAIN, FE_CONTROL}; }

std::string first_script_name(const std::string& cmdline) {
  std::size_t at = 0;
  while (at < cmdline.size()) {
    if (cmdline[at] == ' ') {
      ++at;
      continue;
    }
    // One word: up to the next blank, or to the closing quote.
    std::size_t end;
    std::string word;
    if (cmdline[at] == '"') {
      end = cmdline.find('"', at + 1);
      word = cmdline.substr(at + 1, end == std::string::npos ? std::string::npos : end - at - 1);
      end = end == std::string::npos ? cmdline.size() : end + 1;
    } else {
      end = cmdline.find(' ', at);
      if (end == std::string::npos) end = cmdline.size();
      word = cmdline.substr(at, end - at);
      std::erase(word, '"');
    }
    if (word.find('.') != std::string::npos) return word;
    at = end;
  }
  return "untitled";
}

}  // namespace ide
