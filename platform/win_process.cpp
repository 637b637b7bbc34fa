// The environment and child processes.
#include "platform/win_process.h"

#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <thread>

#include "platform/cp1252.h"
#include "platform/win_kernel_internal.h"

extern char** environ;

namespace win {

namespace detail {

namespace {

// A child, watched by a thread of its own that reaps it when it ends.
struct Child {
  pid_t pid = 0;
  std::mutex lock;
  std::condition_variable ended;
  bool done = false;
  DWORD exit_code = STILL_ACTIVE;
};

struct ProcessObject : KernelObject {
  std::shared_ptr<Child> child;
};

void reap(const std::shared_ptr<Child>& child) {
  int status = 0;
  pid_t r;
  do {
    r = waitpid(child->pid, &status, 0);
  } while (r < 0 && errno == EINTR);
  const std::lock_guard<std::mutex> hold(child->lock);
  child->done = true;
  child->exit_code = r < 0               ? 0
                     : WIFEXITED(status) ? static_cast<DWORD>(WEXITSTATUS(status))
                                         : static_cast<DWORD>(128 + WTERMSIG(status));
  child->ended.notify_all();
}

}  // namespace

BOOL spawn(const std::string& program, std::vector<std::string> argv, const std::string& folder,
           PROCESS_INFORMATION* info) {
  std::vector<char*> pointers;
  for (std::string& a : argv) pointers.push_back(a.data());
  pointers.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  if (!folder.empty()) posix_spawn_file_actions_addchdir_np(&actions, folder.c_str());
  pid_t pid = 0;
  const int r =
      program.find('/') != std::string::npos
          ? posix_spawn(&pid, program.c_str(), &actions, nullptr, pointers.data(), environ)
          : posix_spawnp(&pid, program.c_str(), &actions, nullptr, pointers.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  if (r != 0) {
    SetLastError(r == ENOENT ? ERROR_FILE_NOT_FOUND : error_of_errno(r));
    return FALSE;
  }
  auto child = std::make_shared<Child>();
  child->pid = pid;
  std::thread(reap, child).detach();
  auto process = std::make_unique<ProcessObject>();
  process->child = child;
  auto thread = std::make_unique<ProcessObject>();
  thread->child = child;
  const HANDLE hp = add_object(std::move(process));
  const HANDLE ht = add_object(std::move(thread));
  if (info != nullptr) *info = {hp, ht, static_cast<DWORD>(pid), static_cast<DWORD>(pid)};
  return TRUE;
}

}  // namespace detail

DWORD GetEnvironmentVariableA(const char* name, char* buffer, DWORD size) {
  const char* value = name != nullptr ? std::getenv(plat::utf8_from_1252(name).c_str()) : nullptr;
  if (value == nullptr) {
    SetLastError(ERROR_ENVVAR_NOT_FOUND);
    return 0;
  }
  const std::string text = plat::cp1252_from_utf8(value);
  if (buffer == nullptr || text.size() + 1 > size) return static_cast<DWORD>(text.size() + 1);
  std::memcpy(buffer, text.c_str(), text.size() + 1);
  return static_cast<DWORD>(text.size());
}

BOOL SetEnvironmentVariableA(const char* name, const char* value) {
  if (name == nullptr || *name == '\0' || std::strchr(name, '=') != nullptr) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  const std::string n = plat::utf8_from_1252(name);
  const int r = value == nullptr ? unsetenv(n.c_str())
                                 : setenv(n.c_str(), plat::utf8_from_1252(value).c_str(), 1);
  if (r != 0) {
    SetLastError(detail::error_of_errno(errno));
    return FALSE;
  }
  return TRUE;
}

BOOL CreateProcessA(const char* application, char* command_line, void*, void*, BOOL, DWORD, void*,
                    const char* folder, STARTUPINFOA*, PROCESS_INFORMATION* info) {
  std::vector<std::string> args =
      plat::split_command_line(command_line != nullptr ? command_line : "");
  std::string program = application != nullptr ? application : (args.empty() ? "" : args[0]);
  if (args.empty()) args.push_back(program);
  if (program.empty()) {
    SetLastError(ERROR_FILE_NOT_FOUND);
    return FALSE;
  }
  std::vector<std::string> native;
  native.reserve(args.size());
  for (const std::string& a : args) native.push_back(plat::utf8_from_1252(a));
  const std::string cwd = folder != nullptr && *folder != '\0' ? detail::native_path(folder) : "";
  return detail::spawn(detail::native_path(program), native, cwd, info);
}

DWORD WaitForSingleObject(HANDLE object, DWORD milliseconds) {
  auto* p = detail::object_as<detail::ProcessObject>(object);
  if (p == nullptr) return WAIT_FAILED;
  detail::Child& c = *p->child;
  std::unique_lock<std::mutex> hold(c.lock);
  if (milliseconds == INFINITE) {
    c.ended.wait(hold, [&] { return c.done; });
    return WAIT_OBJECT_0;
  }
  return c.ended.wait_for(hold, std::chrono::milliseconds(milliseconds), [&] { return c.done; })
             ? WAIT_OBJECT_0
             : WAIT_TIMEOUT;
}

BOOL GetExitCodeProcess(HANDLE process, DWORD* code) {
  auto* p = detail::object_as<detail::ProcessObject>(process);
  if (p == nullptr) return FALSE;
  const std::lock_guard<std::mutex> hold(p->child->lock);
  if (code != nullptr) *code = p->child->exit_code;
  return TRUE;
}

}  // namespace win

namespace plat {

std::vector<std::string> split_command_line(std::string_view line) {
  std::vector<std::string> args;
  std::size_t i = 0;
  const auto blank = [&](std::size_t at) { return line[at] == ' ' || line[at] == '\t'; };
  while (i < line.size() && blank(i)) ++i;
  if (i >= line.size()) return args;
  // The program.
  std::string program;
  if (line[i] == '"') {
    const std::size_t end = line.find('"', i + 1);
    program = std::string(line.substr(i + 1, end == std::string_view::npos ? end : end - i - 1));
    i = end == std::string_view::npos ? line.size() : end + 1;
  } else {
    while (i < line.size() && !blank(i)) program += line[i++];
  }
  args.push_back(program);
  for (;;) {
    while (i < line.size() && blank(i)) ++i;
    if (i >= line.size()) break;
    std::string arg;
    bool quoted = false;
    while (i < line.size() && (quoted || !blank(i))) {
      if (line[i] == '\\') {
        std::size_t n = 0;
        while (i < line.size() && line[i] == '\\') {
          ++n;
          ++i;
        }
        if (i < line.size() && line[i] == '"') {
          arg.append(n / 2, '\\');
          if (n % 2 == 1) {
            arg += '"';
            ++i;
          }
        } else {
          arg.append(n, '\\');
        }
      } else if (line[i] == '"') {
        if (quoted && i + 1 < line.size() && line[i + 1] == '"') {
          arg += '"';
          i += 2;
        } else {
          quoted = !quoted;
          ++i;
        }
      } else {
        arg += line[i++];
      }
    }
    args.push_back(arg);
  }
  return args;
}

}  // namespace plat
