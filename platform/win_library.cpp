#include "platform/win_library.h"

#include <dlfcn.h>

#include <algorithm>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "platform/cp1252.h"
#include "platform/file_names.h"
#include "platform/win_last_error.h"

namespace win {

namespace {

// Loads not yet released, per handle.
std::map<void*, int> loads;
// The loader's text of the last failure and the code it was kept for.
std::string failtext;
DWORD failcode = 0;

void failed(DWORD code) {
  const char* t = dlerror();
  failtext = t != nullptr ? t : "";
  failcode = code;
  SetLastError(code);
}

// The forms of a library name: as written, and for "x.dll" also "libx.so"
// and "x.so" in the same folder.
std::vector<std::string> nameforms(const std::string& file) {
  std::vector<std::string> out{file};
  if (file.size() <= 4) return out;
  std::string ext = file.substr(file.size() - 4);
  std::transform(ext.begin(), ext.end(), ext.begin(), [](unsigned char c) {
    return static_cast<char>(c >= 'A' && c <= 'Z' ? c + 32 : c);
  });
  if (ext != ".dll") return out;
  const std::string stem = file.substr(0, file.size() - 4);
  const std::size_t slash = stem.rfind('/');
  const std::size_t base = slash == std::string::npos ? 0 : slash + 1;
  if (base == stem.size()) return out;
  out.push_back(stem.substr(0, base) + "lib" + stem.substr(base) + ".so");
  out.push_back(stem + ".so");
  return out;
}

}  // namespace

HMODULE LoadLibraryA(const char* file) {
  if (file == nullptr || *file == '\0') {
    failtext = "no library name";
    failcode = ERROR_MOD_NOT_FOUND;
    SetLastError(ERROR_MOD_NOT_FOUND);
    return nullptr;
  }
  std::string first;
  for (const std::string& form : nameforms(file)) {
    // A name with a folder is a path; a bare name is looked up by the loader.
    const std::string native = form.find_first_of("/\\") != std::string::npos
                                   ? plat::system_path(form)
                                   : plat::utf8_from_1252(form);
    if (void* h = dlopen(native.c_str(), RTLD_NOW | RTLD_LOCAL)) {
      ++loads[h];
      failtext.clear();
      return reinterpret_cast<HMODULE>(h);
    }
    // The text of the name as written is the one worth showing.
    const char* t = dlerror();
    if (first.empty() && t != nullptr) first = t;
  }
  failtext = first;
  failcode = ERROR_MOD_NOT_FOUND;
  SetLastError(ERROR_MOD_NOT_FOUND);
  return nullptr;
}

FARPROC GetProcAddress(HMODULE module, const char* name) {
  void* h = reinterpret_cast<void*>(module);
  if (h == nullptr || name == nullptr || (loads.count(h) == 0 && h != GetModuleHandleA(nullptr))) {
    failtext = "invalid library handle";
    failcode = ERROR_PROC_NOT_FOUND;
    SetLastError(ERROR_PROC_NOT_FOUND);
    return nullptr;
  }
  dlerror();
  void* p = dlsym(h, name);
  if (p == nullptr) {
    failed(ERROR_PROC_NOT_FOUND);
    return nullptr;
  }
  failtext.clear();
  return reinterpret_cast<FARPROC>(p);
}

BOOL FreeLibrary(HMODULE module) {
  const auto it = loads.find(reinterpret_cast<void*>(module));
  if (it == loads.end()) {
    SetLastError(ERROR_INVALID_HANDLE);
    return 0;
  }
  dlclose(it->first);
  if (--it->second == 0) loads.erase(it);
  return 1;
}

HMODULE GetModuleHandleA(const char* name) {
  static void* const self = dlopen(nullptr, RTLD_NOW);
  if (name != nullptr) {
    SetLastError(ERROR_MOD_NOT_FOUND);
    return nullptr;
  }
  return reinterpret_cast<HMODULE>(self);
}

DWORD FormatMessageA(DWORD, const void*, DWORD code, DWORD, char* buffer, DWORD size, void*) {
  std::string text;
  if (code == failcode && !failtext.empty())
    text = failtext;
  else if (code == ERROR_SUCCESS)
    text = "The operation completed successfully.";
  else if (code == ERROR_MOD_NOT_FOUND)
    text = "The specified module could not be found.";
  else if (code == ERROR_PROC_NOT_FOUND)
    text = "The specified procedure could not be found.";
  else
    text = std::strerror(static_cast<int>(code));
  if (buffer == nullptr || size == 0) return 0;
  const std::size_t n = std::min<std::size_t>(text.size(), size - 1);
  std::memcpy(buffer, text.data(), n);
  buffer[n] = '\0';
  return static_cast<DWORD>(n);
}

}  // namespace win

namespace plat {

int library_loads() {
  int n = 0;
  for (const auto& [h, count] : win::loads) n += count;
  return n;
}

}  // namespace plat
