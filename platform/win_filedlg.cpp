// The open and save dialogs: a folder's sub-folders and the files that
// match the chosen filter, a name field and the filter's drop-down list.
// A name typed with '*' or '?' becomes the pattern in force; a folder's
// name (or a path to one) opens that folder; "~/" stands for the home
// folder. Paths are names of the program's own text, made the system's
// at each call to it (file_names.h).
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <filesystem>

#include "platform/charcase.h"
#include "platform/file_names.h"
#include "platform/win_commdlg_internal.h"
#include "platform/win_controls_internal.h"
#include "platform/win_file_patterns.h"
#include "platform/win_message_box.h"

namespace win::detail {

namespace {

namespace fs = std::filesystem;

constexpr int kFolder = 1120, kUp = 1121, kList = 1122, kName = 1123, kType = 1124,
              kReadOnly = 1125;

struct Filter {
  std::string description, pattern;
};

struct FileDialog {
  OPENFILENAMEA* ofn = nullptr;
  bool save = false;
  std::string title;
  std::vector<Filter> filters;  // the custom filter first when it has a pattern
  bool has_custom = false;
  std::string folder;
  std::string pattern;                                // in force
  std::vector<std::pair<std::string, bool>> entries;  // name, is a folder
  std::string initial_name;
};

bool is_dir(const std::string& p) {
  std::error_code ec;
  return fs::is_directory(plat::system_path(p), ec);
}

bool exists(const std::string& p) {
  std::error_code ec;
  return fs::exists(plat::system_path(p), ec);
}

std::string parent_of(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  return slash == 0 ? "/" : slash == std::string::npos ? "." : path.substr(0, slash);
}

std::string current_folder() {
  std::error_code ec;
  const fs::path p = fs::current_path(ec);
  return ec ? "/" : plat::name_from_system(p.string());
}

// The filters of the record: its pairs, and the custom one first.
void read_filters(FileDialog& d) {
  const OPENFILENAMEA& o = *d.ofn;
  if (o.lpstrCustomFilter != nullptr && o.nMaxCustFilter > 0) {
    const std::size_t max = o.nMaxCustFilter;
    const std::size_t n1 = strnlen(o.lpstrCustomFilter, max);
    if (n1 + 1 < max) {
      const std::string pattern(o.lpstrCustomFilter + n1 + 1,
                                strnlen(o.lpstrCustomFilter + n1 + 1, max - n1 - 1));
      if (!pattern.empty()) {
        const std::string description(o.lpstrCustomFilter, n1);
        d.filters.push_back({description.empty() ? pattern : description, pattern});
        d.has_custom = true;
      }
    }
  }
  for (const char* p = o.lpstrFilter; p != nullptr && *p != '\0';) {
    Filter f{p, ""};
    p += f.description.size() + 1;
    f.pattern = p;
    p += f.pattern.size() + 1;
    d.filters.push_back(f);
  }
}

// The filter index of the record for a place in the drop-down list, and back.
DWORD filter_index(const FileDialog& d, int place) {
  return static_cast<DWORD>(d.has_custom ? place : place + 1);
}
int place_of(const FileDialog& d, DWORD index) {
  const int place = d.has_custom ? static_cast<int>(index) : static_cast<int>(index) - 1;
  if (index == 0 && !d.has_custom) return 0;
  return place >= 0 && place < static_cast<int>(d.filters.size()) ? place : 0;
}

void fill_list(HWND dlg, FileDialog& d) {
  d.entries.clear();
  std::error_code ec;
  for (fs::directory_iterator
           it(plat::system_path(d.folder), fs::directory_options::skip_permission_denied, ec),
       end;
       !ec && it != end; it.increment(ec)) {
    const std::string name = plat::name_from_system(it->path().filename().string());
    if (name.empty() || name[0] == '.') continue;
    std::error_code ec2;
    const bool dir = it->is_directory(ec2);
    if (dir || plat::matches_patterns(name, d.pattern)) d.entries.emplace_back(name, dir);
  }
  std::sort(d.entries.begin(), d.entries.end(), [](const auto& a, const auto& b) {
    if (a.second != b.second) return a.second;
    return plat::compare_any_case(a.first, b.first) < 0;
  });
  if (d.folder != "/") d.entries.insert(d.entries.begin(), {"..", true});
  HWND list = GetDlgItem(dlg, kList);
  SendMessageA(list, WM_SETREDRAW, FALSE, 0);
  SendMessageA(list, LB_RESETCONTENT, 0, 0);
  for (const auto& [name, dir] : d.entries) {
    const std::string shown = dir ? name + "/" : name;
    SendMessageA(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(shown.c_str()));
  }
  SendMessageA(list, WM_SETREDRAW, TRUE, 0);
  InvalidateRect(list, nullptr, TRUE);
  set_item_text(dlg, kFolder, d.folder);
  enable_item(dlg, kUp, d.folder != "/");
}

void open_folder(HWND dlg, FileDialog& d, const std::string& folder) {
  d.folder = plat::normal_path(folder);
  fill_list(dlg, d);
}

// A name as typed, made a full path against the folder shown.
std::string full_path(const FileDialog& d, std::string name) {
  if (name == "~" || name.rfind("~/", 0) == 0) {
    const char* home = std::getenv("HOME");
    name = plat::name_from_system(home != nullptr ? home : "/") + name.substr(1);
  }
  return plat::normal_path(name[0] == '/' ? name : d.folder + "/" + name);
}

// Writes the chosen path and its parts into the record; false when the
// buffer is too small.
bool hand_over(FileDialog& d, HWND dlg, const std::string& path) {
  OPENFILENAMEA& o = *d.ofn;
  if (path.size() + 1 > o.nMaxFile) {
    if (o.nMaxFile >= 2) {
      const WORD need = static_cast<WORD>(std::min<std::size_t>(path.size() + 1, 0xFFFF));
      std::memcpy(o.lpstrFile, &need, sizeof need);
    }
    set_dialog_error(FNERR_BUFFERTOOSMALL);
    return false;
  }
  std::memcpy(o.lpstrFile, path.c_str(), path.size() + 1);
  const std::size_t name_at = path.rfind('/') + 1;
  const std::string name = path.substr(name_at);
  o.nFileOffset = static_cast<WORD>(name_at);
  const std::size_t dot = name.rfind('.');
  o.nFileExtension = static_cast<WORD>(dot == std::string::npos ? path.size()
                                       : dot + 1 == name.size() ? 0
                                                                : name_at + dot + 1);
  if (o.lpstrFileTitle != nullptr && o.nMaxFileTitle > 0) {
    const std::size_t n = std::min<std::size_t>(name.size(), o.nMaxFileTitle - 1);
    std::memcpy(o.lpstrFileTitle, name.data(), n);
    o.lpstrFileTitle[n] = '\0';
  }
  o.Flags &= ~(OFN_READONLY | OFN_EXTENSIONDIFFERENT);
  if (!(o.Flags & OFN_HIDEREADONLY) && item_checked(dlg, kReadOnly)) o.Flags |= OFN_READONLY;
  std::string def = o.lpstrDefExt != nullptr ? o.lpstrDefExt : "";
  if (!def.empty() && def[0] == '.') def.erase(0, 1);
  if (!def.empty() && (dot == std::string::npos || !plat::same_any_case(name.substr(dot + 1), def)))
    o.Flags |= OFN_EXTENSIONDIFFERENT;
  const LRESULT place = SendMessageA(GetDlgItem(dlg, kType), CB_GETCURSEL, 0, 0);
  if (place >= 0) o.nFilterIndex = filter_index(d, static_cast<int>(place));
  // The custom filter keeps the pattern in force.
  if (o.lpstrCustomFilter != nullptr && o.nMaxCustFilter > 0) {
    const std::size_t n1 = strnlen(o.lpstrCustomFilter, o.nMaxCustFilter);
    if (n1 + d.pattern.size() + 3 <= o.nMaxCustFilter) {
      std::memcpy(o.lpstrCustomFilter + n1 + 1, d.pattern.c_str(), d.pattern.size() + 1);
      o.lpstrCustomFilter[n1 + d.pattern.size() + 2] = '\0';
    }
  }
  if (!(o.Flags & OFN_NOCHANGEDIR) && chdir(plat::system_path(parent_of(path)).c_str()) != 0) {
    // The folder stays as it was; the path is whole.
  }
  return true;
}

// OK: a pattern, a folder or a file name from the name field (or the
// folder chosen in the list).
void accept(HWND dlg, FileDialog& d) {
  const OPENFILENAMEA& o = *d.ofn;
  std::string name = item_text(dlg, kName);
  while (!name.empty() && name.back() == ' ') name.pop_back();
  while (!name.empty() && name.front() == ' ') name.erase(0, 1);
  const LRESULT sel = SendMessageA(GetDlgItem(dlg, kList), LB_GETCURSEL, 0, 0);
  const bool list_focused = GetFocus() == GetDlgItem(dlg, kList);
  if (sel >= 0 && static_cast<std::size_t>(sel) < d.entries.size() && d.entries[sel].second &&
      (name.empty() || list_focused)) {
    open_folder(dlg, d, d.folder + "/" + d.entries[sel].first);
    return;
  }
  if (name.empty()) return;
  if (name.find_first_of("*?") != std::string::npos) {
    d.pattern = name;
    fill_list(dlg, d);
    set_item_text(dlg, kName, "");
    return;
  }
  std::string path = full_path(d, name);
  if (is_dir(path)) {
    open_folder(dlg, d, path);
    set_item_text(dlg, kName, "");
    return;
  }
  const std::string base = path.substr(path.rfind('/') + 1);
  std::string def = o.lpstrDefExt != nullptr ? o.lpstrDefExt : "";
  if (!def.empty() && def[0] == '.') def.erase(0, 1);
  if (!def.empty() && base.find('.') == std::string::npos) path += "." + def;
  const DWORD flags = o.Flags;
  const bool must_path = flags & (OFN_PATHMUSTEXIST | OFN_FILEMUSTEXIST | OFN_CREATEPROMPT);
  if (must_path && !is_dir(parent_of(path))) {
    dialog_message(dlg, path + "\nPath does not exist.\nCheck the path and try again.",
                   MB_OK | MB_ICONEXCLAMATION);
    return;
  }
  const bool there = exists(path);
  if (!there && (flags & OFN_FILEMUSTEXIST)) {
    dialog_message(dlg, path + "\nFile not found.\nCheck the file name and try again.",
                   MB_OK | MB_ICONEXCLAMATION);
    return;
  }
  if (!there && (flags & OFN_CREATEPROMPT) &&
      dialog_message(dlg, path + "\nThis file does not exist.\nDo you want to create it?",
                     MB_YESNO | MB_ICONQUESTION) != IDYES)
    return;
  if (there && d.save && (flags & OFN_OVERWRITEPROMPT) &&
      dialog_message(dlg, path + " already exists.\nDo you want to replace it?",
                     MB_YESNO | MB_ICONEXCLAMATION) != IDYES)
    return;
  EndDialog(dlg, hand_over(d, dlg, path) ? IDOK : kDialogFailed);
}

INT_PTR file_proc(HWND dlg, UINT msg, WPARAM wp, LPARAM lp) {
  auto* d = reinterpret_cast<FileDialog*>(GetWindowLongPtrA(dlg, DWLP_USER));
  switch (msg) {
    case WM_INITDIALOG: {
      d = reinterpret_cast<FileDialog*>(lp);
      SetWindowLongPtrA(dlg, DWLP_USER, lp);
      set_item_text(dlg, kName, d->initial_name);
      HWND type = GetDlgItem(dlg, kType);
      for (const Filter& f : d->filters)
        SendMessageA(type, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(f.description.c_str()));
      if (!d->filters.empty()) {
        const int place = place_of(*d, d->ofn->nFilterIndex);
        SendMessageA(type, CB_SETCURSEL, static_cast<WPARAM>(place), 0);
        d->pattern = d->filters[place].pattern;
      } else {
        d->pattern = "*";
        EnableWindow(type, FALSE);
      }
      const DWORD flags = d->ofn->Flags;
      show_item(dlg, kReadOnly, !(flags & OFN_HIDEREADONLY));
      check_item(dlg, kReadOnly, flags & OFN_READONLY);
      fill_list(dlg, *d);
      centre_dialog(dlg);
      SetFocus(GetDlgItem(dlg, kName));
      SendMessageA(GetDlgItem(dlg, kName), EM_SETSEL, 0, -1);
      return FALSE;
    }
    case WM_COMMAND: {
      if (d == nullptr) return FALSE;
      const int id = LOWORD(wp), code = HIWORD(wp);
      if (id == IDOK) {
        accept(dlg, *d);
      } else if (id == kUp && code == BN_CLICKED) {
        open_folder(dlg, *d, parent_of(d->folder));
      } else if (id == kType && code == CBN_SELCHANGE) {
        const LRESULT place = SendMessageA(GetDlgItem(dlg, kType), CB_GETCURSEL, 0, 0);
        if (place >= 0 && static_cast<std::size_t>(place) < d->filters.size()) {
          d->pattern = d->filters[place].pattern;
          fill_list(dlg, *d);
        }
      } else if (id == kList && (code == LBN_SELCHANGE || code == LBN_DBLCLK)) {
        const LRESULT sel = SendMessageA(GetDlgItem(dlg, kList), LB_GETCURSEL, 0, 0);
        if (sel < 0 || static_cast<std::size_t>(sel) >= d->entries.size()) return TRUE;
        const auto& [name, dir] = d->entries[sel];
        if (!dir) set_item_text(dlg, kName, name);
        if (code == LBN_DBLCLK && dir)
          open_folder(dlg, *d, d->folder + "/" + name);
        else if (code == LBN_DBLCLK)
          accept(dlg, *d);
      }
      return TRUE;
    }
    default:
      return FALSE;
  }
}

BOOL run_file_dialog(OPENFILENAMEA* ofn, bool save) {
  if (!record_ok(ofn, {OPENFILENAME_SIZE_32, OPENFILENAME_SIZE_VERSION_400A})) return FALSE;
  if (ofn->lpstrFile == nullptr || ofn->nMaxFile == 0) {
    set_dialog_error(CDERR_INITIALIZATION);
    return FALSE;
  }
  if ((ofn->Flags & OFN_ENABLEHOOK) && ofn->lpfnHook == nullptr) {
    set_dialog_error(CDERR_NOHOOK);
    return FALSE;
  }
  FileDialog d;
  d.ofn = ofn;
  d.save = save;
  d.title = ofn->lpstrTitle != nullptr && *ofn->lpstrTitle ? ofn->lpstrTitle
            : save                                         ? "Save As"
                                                           : "Open";
  read_filters(d);
  // The name the buffer holds (blanks after it do not count) may bring its
  // folder; else the initial folder, else the current one.
  std::string initial(ofn->lpstrFile, strnlen(ofn->lpstrFile, ofn->nMaxFile));
  while (!initial.empty() && initial.back() == ' ') initial.pop_back();
  d.folder = current_folder();
  if (ofn->lpstrInitialDir != nullptr && is_dir(ofn->lpstrInitialDir))
    d.folder = plat::normal_path(full_path(d, ofn->lpstrInitialDir));
  if (const std::size_t slash = initial.rfind('/'); slash != std::string::npos) {
    const std::string folder = full_path(d, slash == 0 ? "/" : initial.substr(0, slash));
    if (is_dir(folder)) {
      d.folder = folder;
      initial.erase(0, slash + 1);
    }
  }

  plat::DialogTemplate t(WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME, 0, 0, 282, 196,
                         d.title, "MS Shell Dlg", 8);
  add_label(t, 7, 9, 38, 8, "Look &in:");
  t.add("", 0x82, kChild | SS_LEFT | SS_NOPREFIX, 47, 9, 170, 8, kFolder, "");
  add_button(t, 222, 6, 53, 14, kUp, "&Up", BS_PUSHBUTTON);
  add_list(t, 7, 24, 268, 106, kList);
  add_label(t, 7, 138, 50, 8, "File &name:");
  add_field(t, 62, 136, 153, 12, kName);
  t.add("", 0x82, kChild | SS_LEFT, 7, 156, 50, 8, 0xFFFF, "Files of &type:");
  add_combo(t, 62, 154, 153, 100, kType, CBS_DROPDOWNLIST);
  add_button(t, 62, 172, 120, 10, kReadOnly, "Open as &read-only", BS_AUTOCHECKBOX);
  add_ok_cancel(t, 222, 135, true, save ? "&Save" : "&Open");
  d.initial_name = initial;
  const INT_PTR r =
      run_common_dialog(ofn->hwndOwner, t, file_proc, reinterpret_cast<LPARAM>(&d), d.title);
  if (r == IDOK) {
    log_common_dialog(d.title, ofn->lpstrFile);
    return TRUE;
  }
  if (r == kDialogFailed) log_common_dialog(d.title, "failed: the file buffer is too small");
  return FALSE;
}

}  // namespace

}  // namespace win::detail

namespace win {

BOOL GetOpenFileNameA(OPENFILENAMEA* ofn) { return detail::run_file_dialog(ofn, false); }

BOOL GetSaveFileNameA(OPENFILENAMEA* ofn) { return detail::run_file_dialog(ofn, true); }

}  // namespace win
