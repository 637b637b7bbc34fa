#include "toolkit/file_dialogs.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <string>
#include <vector>

#include "toolkit/entry.h"
#include "toolkit/helpers.h"
#include "toolkit/memory.h"
#include "toolkit/records.h"
#include "toolkit/status.h"

namespace toolkit {

namespace {

constexpr win::DWORD kOpenFirstFlags = 0x206000;
constexpr win::DWORD kSaveFirstFlags = 0x202002;
constexpr char kDefaultFilter[] = "All Files\0*.*\0Text Files\0*.txt\0";

bool record_made = false;
win::OPENFILENAMEA record;
std::array<char, 128> custom_filter{};

// The filter built from the caller's list; null: the default one.
char* filter_block = nullptr;
int filter_size = 0;
int filter_at = 0;

void free_filter() {
  FREE_MEMORY(filter_block);
  filter_block = nullptr;
  filter_size = filter_at = 0;
}

void build_filter(const text_array_t* filter, int* ups) {
  if (filter == nullptr || filter->first == nullptr || filter->count <= 0) {
    SET_FILE_FILTER(nullptr, 0, -1, ups);
    return;
  }
  const int stride = filter->stride != 0 ? filter->stride : filter->length;
  const auto entry = [&](int k) { return filter->first + static_cast<std::ptrdiff_t>(k) * stride; };
  int size = 1;
  for (int k = 0; k < filter->count; ++k) size += TRIMMED_LENGTH(entry(k), filter->length) + 1;
  SET_FILE_FILTER(nullptr, 0, size, ups);
  for (int k = 0; k < filter->count; ++k) SET_FILE_FILTER(entry(k), filter->length, 0, ups);
}

// A terminated copy of a blank-padded text, or none.
struct c_text {
  std::string text;
  bool given = false;
  const char* get() const { return given ? text.c_str() : nullptr; }
};
c_text terminated(const char* text, int length) {
  if (text == nullptr) return {};
  return {trimmed_text(text, length), true};
}

int run_file_dialog(bool save, char* file, int file_length, const char* title, int title_length,
                    const char* folder, int folder_length, const text_array_t* filter,
                    const win::DWORD* flags, const win::HWND* owner, char* file_title,
                    int file_title_length, const char* extension, int extension_length, int* ups) {
  CLEAR_STATUS(ups);
  const win::HWND busy = SUSPEND_BUSY_CURSOR();
  if (!record_made) {
    record = win::OPENFILENAMEA{};
    record.lStructSize = win::OPENFILENAME_SIZE_VERSION_400A;
    record.lpstrCustomFilter = custom_filter.data();
    record.nMaxCustFilter = static_cast<win::DWORD>(custom_filter.size());
    record.nFilterIndex = 1;
    record.Flags = save ? kSaveFirstFlags : kOpenFirstFlags;
    record_made = true;
  }
  if (flags != nullptr) record.Flags = *flags;
  build_filter(filter, ups);
  record.lpstrFilter = filter_block != nullptr ? filter_block : kDefaultFilter;
  record.hwndOwner = owner != nullptr && *owner != nullptr ? *owner : MAIN_WINDOW();

  // The dialog works on a copy one character longer than the buffer, so a
  // name that fills the buffer is passed whole.
  const int n = std::max(file_length, 0);
  std::vector<char> path(static_cast<std::size_t>(n) + 1, '\0');
  if (file != nullptr)
    std::memcpy(path.data(), file, static_cast<std::size_t>(TRIMMED_LENGTH(file, n)));
  record.lpstrFile = path.data();
  record.nMaxFile = static_cast<win::DWORD>(path.size());
  const c_text t = terminated(title, title_length);
  const c_text f = terminated(folder, folder_length);
  const c_text e = terminated(extension, extension_length);
  record.lpstrTitle = t.get();
  record.lpstrInitialDir = f.get();
  record.lpstrDefExt = e.get();
  record.lpstrFileTitle = file_title;
  record.nMaxFileTitle = file_title != nullptr ? static_cast<win::DWORD>(file_title_length) : 0;

  const win::BOOL chosen = save ? win::GetSaveFileNameA(&record) : win::GetOpenFileNameA(&record);
  if (chosen) {
    if (file != nullptr) COPY_C_TO_PADDED(path.data(), file, n);
  } else if (ups != nullptr) {
    *ups = static_cast<int>(win::CommDlgExtendedError());
  }
  if (file_title != nullptr) PAD_FROM_NUL(file_title, file_title_length);
  record.lpstrFile = nullptr;
  record.lpstrTitle = record.lpstrInitialDir = record.lpstrDefExt = nullptr;
  record.lpstrFileTitle = nullptr;
  RESTORE_BUSY_CURSOR(busy, record.hwndOwner);
  return chosen ? 1 : 0;
}

}  // namespace

int GET_OPEN_FILE_NAME(char* file, int file_length, const char* title, int title_length,
                       const char* folder, int folder_length, const text_array_t* filter,
                       const win::DWORD* flags, const win::HWND* owner, char* file_title,
                       int file_title_length, const char* extension, int extension_length,
                       int* ups) {
  return run_file_dialog(false, file, file_length, title, title_length, folder, folder_length,
                         filter, flags, owner, file_title, file_title_length, extension,
                         extension_length, ups);
}

int GET_SAVE_FILE_NAME(char* file, int file_length, const char* title, int title_length,
                       const char* folder, int folder_length, const text_array_t* filter,
                       const win::DWORD* flags, const win::HWND* owner, char* file_title,
                       int file_title_length, const char* extension, int extension_length,
                       int* ups) {
  return run_file_dialog(true, file, file_length, title, title_length, folder, folder_length,
                         filter, flags, owner, file_title, file_title_length, extension,
                         extension_length, ups);
}

void SET_FILE_FILTER(const char* text, int length, int size, int* ups) {
  if (size == -1) {
    free_filter();
    return;
  }
  if (size > 0) {
    free_filter();
    filter_block = static_cast<char*>(ALLOCATE_MEMORY(static_cast<std::size_t>(size), ups));
    if (filter_block == nullptr) return;
    std::memset(filter_block, 0, static_cast<std::size_t>(size));
    filter_size = size;
  }
  if (text == nullptr || filter_block == nullptr) return;
  const int n = std::min(TRIMMED_LENGTH(text, length), filter_size - 1 - filter_at);
  if (n < 0) return;
  std::memcpy(filter_block + filter_at, text, static_cast<std::size_t>(n));
  filter_block[filter_at + n] = '\0';
  filter_at += n + 1;
}

std::string_view FILE_FILTER() {
  if (filter_block == nullptr) return {kDefaultFilter, sizeof kDefaultFilter};
  return {filter_block, static_cast<std::size_t>(filter_size)};
}

const win::OPENFILENAMEA* FILE_DIALOG_RECORD() { return record_made ? &record : nullptr; }

void reset_file_dialogs() {
  free_filter();
  record_made = false;
  record = win::OPENFILENAMEA{};
  custom_filter.fill('\0');
}

}  // namespace toolkit
