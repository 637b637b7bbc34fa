#include "platform/win_shell.h"

#include <sys/stat.h>
#include <unistd.h>

#include <string>

#include "platform/charcase.h"
#include "platform/cp1252.h"
#include "platform/file_names.h"
#include "platform/win_kernel_internal.h"

namespace win {

namespace {

constexpr int kHandedOn = 42;

bool is_link(const std::string& file) {
  std::size_t i = 0;
  while (i < file.size() &&
         ((file[i] >= 'a' && file[i] <= 'z') || (file[i] >= 'A' && file[i] <= 'Z')))
    ++i;
  return i >= 2 && i < file.size() && file[i] == ':';
}

HINSTANCE result(int r) { return handle_from<HINSTANCE>(static_cast<std::uint32_t>(r)); }

int code_of_error() {
  switch (GetLastError()) {
    case ERROR_FILE_NOT_FOUND:
      return SE_ERR_FNF;
    case ERROR_PATH_NOT_FOUND:
      return SE_ERR_PNF;
    case ERROR_ACCESS_DENIED:
      return SE_ERR_ACCESSDENIED;
    default:
      return 0;
  }
}

std::string absolute(const std::string& native) {
  if (!native.empty() && native[0] == '/') return native;
  std::string cwd(4096, '\0');
  if (::getcwd(cwd.data(), cwd.size()) == nullptr) return native;
  cwd.resize(cwd.find('\0'));
  return cwd + "/" + native;
}

}  // namespace

HINSTANCE ShellExecuteA(HWND, const char* verb, const char* file, const char* parameters,
                        const char* folder, int) {
  const std::string action = verb != nullptr ? verb : "";
  if (action.find_first_not_of(' ') != std::string::npos && !plat::same_any_case(action, "open"))
    return result(SE_ERR_NOASSOC);
  const std::string name = file != nullptr ? file : "";
  const std::string place =
      folder != nullptr && *folder != '\0' ? plat::system_path(folder) : std::string();
  std::string target;
  if (is_link(name)) {
    target = plat::utf8_from_1252(name);
  } else {
    target = plat::system_path(name);
    struct stat st {};
    if (!target.empty() && ::stat(target.c_str(), &st) != 0 && !place.empty() && target[0] != '/' &&
        ::stat((place + "/" + target).c_str(), &st) == 0)
      target = place + "/" + target;
    if (target.empty() || ::stat(target.c_str(), &st) != 0) return result(SE_ERR_FNF);
    target = absolute(target);
    if (S_ISREG(st.st_mode) && ::access(target.c_str(), X_OK) == 0) {
      std::vector<std::string> argv{target};
      for (const std::string& a :
           plat::split_command_line(std::string("x ") + (parameters != nullptr ? parameters : "")))
        argv.push_back(plat::utf8_from_1252(a));
      argv.erase(argv.begin() + 1);
      PROCESS_INFORMATION info;
      if (!detail::spawn(target, argv, place, &info)) return result(code_of_error());
      CloseHandle(info.hProcess);
      CloseHandle(info.hThread);
      return result(kHandedOn);
    }
  }
  PROCESS_INFORMATION info;
  if (!detail::spawn("xdg-open", {"xdg-open", target}, place, &info)) return result(SE_ERR_NOASSOC);
  CloseHandle(info.hProcess);
  CloseHandle(info.hThread);
  return result(kHandedOn);
}

}  // namespace win
