// The table of kernel objects (files, serial ports, searches, processes)
// and what their implementations share. Not for use outside platform/win_*.
#pragma once

#include <sys/types.h>

#include <ctime>

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/win_files.h"
#include "platform/win_last_error.h"
#include "platform/win_process.h"
#include "platform/win_types.h"

namespace win::detail {

struct KernelObject {
  virtual ~KernelObject() = default;
};

// Enters the object and returns its handle.
HANDLE add_object(std::unique_ptr<KernelObject> object);
// The object of the handle, null when none.
KernelObject* find_object(HANDLE handle);
// The object when it is a T; else null with ERROR_INVALID_HANDLE.
template <class T>
T* object_as(HANDLE handle) {
  auto* t = dynamic_cast<T*>(find_object(handle));
  if (t == nullptr) SetLastError(ERROR_INVALID_HANDLE);
  return t;
}

// Files; serial ports read and write their own way.
struct FileObject : KernelObject {
  int fd = -1;
  std::string path;
  dev_t device = 0;
  ino_t inode = 0;
  DWORD access = 0;
  DWORD share = 0;
  bool delete_on_close = false;
  virtual BOOL read(void* buffer, DWORD count, DWORD* done);
  virtual BOOL write(const void* buffer, DWORD count, DWORD* done);
  ~FileObject() override;
};

// The number of a serial port's name "\\.\COMn" (0 to 65535) or "COMn"
// (1 to 255), any case; -1 for any other name. And the port opened (null
// with the last error set).
int comm_port_number(std::string_view name);
std::unique_ptr<FileObject> open_comm_port(int port);

// Starts a program (a path, or a name looked up on PATH) with its
// arguments, all in the system's own bytes, in `folder` (the current one
// when empty); the child is reaped when it ends. The last error on failure.
BOOL spawn(const std::string& program, std::vector<std::string> argv, const std::string& folder,
           PROCESS_INFORMATION* info);

// A file time from a Unix time.
FILETIME file_time_of(const timespec& t);

// The last-error code of an errno value.
DWORD error_of_errno(int e);
// For a path that does not exist: ERROR_FILE_NOT_FOUND when its folder
// exists, else ERROR_PATH_NOT_FOUND.
DWORD missing_error(const std::string& path);
// A Windows-1252 name as a Linux path: cut at NUL, trailing blanks
// dropped, "\" as "/", UTF-8.
std::string native_path(std::string_view name);

}  // namespace win::detail
