#include "io/fileinfo.h"

#include <sys/stat.h>

#include <algorithm>
#include <array>
#include <functional>

#include "core/datetime.h"
#include "core/runwords.h"
#include "core/sortroutines.h"
#include "core/stores.h"
#include "core/symbols.h"
#include "io/rwfiles.h"
#include "platform/charcase.h"
#include "platform/file_names.h"
#include "platform/file_units.h"
#include "platform/fixedfield.h"
#include "platform/win_files.h"

namespace io {

namespace {

constexpr std::size_t pathmost = 256;
constexpr int deepest = 32;
// A field is built in a buffer of this many characters.
constexpr std::size_t fieldmost = 256;

bool separator(char c) { return c == '\\' || c == '/'; }

// The local day number of a file time.
double SYSTEMTIMETOEXCEL(const win::FILETIME& t) {
  win::SYSTEMTIME utc, local;
  if (!win::FileTimeToSystemTime(&t, &utc) ||
      !win::SystemTimeToTzSpecificLocalTime(nullptr, &utc, &local))
    return 0.0;
  return core::excel_day_number(local.wYear, local.wMonth, local.wDay, local.wHour, local.wMinute,
                                local.wSecond, local.wMilliseconds);
}

// What a listing writes and how it sorts, read from the flags.
struct Listing {
  char sort = ' ';
  std::string columns;  // upper-case letters of NSACWLXDP
  bool walk = false;
};

Listing readflags(std::string_view flags) {
  Listing l;
  l.walk = flags.find_first_of("&+") != std::string_view::npos;
  if (!flags.empty()) l.sort = flags[0];
  for (char c : flags.substr(1, 9)) {
    const char u = static_cast<char>(plat::upper1252(static_cast<unsigned char>(c)));
    if (std::string_view("NSACWLXDP").find(u) != std::string_view::npos) l.columns += u;
  }
  if (l.columns.empty()) l.columns = "NSACWL";
  return l;
}

// The extension's sort key: the first four characters after the last "."
// (blanks when none), upper case, the first the most significant byte.
std::int32_t extensionkey(const std::string& name) {
  const std::size_t dot = name.rfind('.');
  std::uint32_t key = 0;
  for (std::size_t i = 0; i < 4; ++i) {
    const std::size_t at = dot + 1 + i;
    const unsigned char c =
        dot != std::string::npos && at < name.size() ? static_cast<unsigned char>(name[at]) : ' ';
    key = (key << 8) | plat::upper1252(c);
  }
  return static_cast<std::int32_t>(key);
}

// Keys of any order as dense 32-bit ordinals, so that the merge sort ranks
// them.
template <class T>
std::vector<std::int32_t> ordinals(const std::vector<T>& keys) {
  std::vector<T> sorted = keys;
  std::sort(sorted.begin(), sorted.end());
  sorted.erase(std::unique(sorted.begin(), sorted.end()), sorted.end());
  std::vector<std::int32_t> out;
  out.reserve(keys.size());
  for (const T& k : keys)
    out.push_back(static_cast<std::int32_t>(std::lower_bound(sorted.begin(), sorted.end(), k) -
                                            sorted.begin()));
  return out;
}

// The order in which the records are written: positions from 1.
std::vector<std::int32_t> order(const std::vector<ListingRecord>& recs, char sort) {
  const auto n = static_cast<std::int32_t>(recs.size());
  std::vector<std::int32_t> rank(recs.size());
  std::vector<std::int32_t> key;
  const char s = static_cast<char>(plat::lower1252(static_cast<unsigned char>(sort)));
  auto doubles = [&](double ListingRecord::*field) {
    std::vector<double> k;
    for (const ListingRecord& r : recs) k.push_back(r.*field);
    return ordinals(k);
  };
  switch (s) {
    case 's': {
      std::vector<std::uint64_t> k;
      for (const ListingRecord& r : recs) k.push_back(r.size);
      key = ordinals(k);
      break;
    }
    case 'a':
      for (const ListingRecord& r : recs) key.push_back(static_cast<std::int32_t>(r.attributes));
      break;
    case 'c':
      key = doubles(&ListingRecord::creation);
      break;
    case 'w':
      key = doubles(&ListingRecord::write);
      break;
    case 'l':
      key = doubles(&ListingRecord::access);
      break;
    case 'x':
      for (const ListingRecord& r : recs) key.push_back(extensionkey(r.name));
      break;
    default:
      for (std::int32_t i = 0; i < n; ++i) rank[static_cast<std::size_t>(i)] = i + 1;
      return rank;
  }
  core::RANK_MERGE_SORT(key, n, rank, n);
  if (sort != s) std::reverse(rank.begin(), rank.end());
  return rank;
}

// A text in double quotes followed by ",", cut to fit a field.
std::string quoted(std::string_view text) {
  return "\"" + std::string(text.substr(0, fieldmost - 3)) + "\",";
}

std::string dayfield(double v) { return plat::put_real(v, plat::EditDesc{'F', 0, 0, 6}) + ","; }

std::string field(char column, const ListingRecord& r, std::string_view folder) {
  switch (column) {
    case 'N':
      return quoted(r.name);
    case 'S':
      return std::to_string(r.size) + ",";
    case 'A':
      return std::to_string(r.attributes) + ",";
    case 'C':
      return dayfield(r.creation);
    case 'W':
      return dayfield(r.write);
    case 'L':
      return dayfield(r.access);
    case 'X': {
      const std::size_t dot = r.name.rfind('.');
      return dot == std::string::npos ? " ," : r.name.substr(dot + 1) + ",";
    }
    case 'D':
      return quoted(folder);
    default:
      return quoted(std::string(folder) + r.name);
  }
}

// The listing goes to the unit, or into `text` when given.
void writelisting(std::int32_t unit, std::string* text, const std::vector<ListingRecord>& recs,
                  const Listing& l, std::string_view folder) {
  for (std::int32_t at : order(recs, l.sort)) {
    const ListingRecord& r = recs[static_cast<std::size_t>(at - 1)];
    std::string line;
    for (char c : l.columns) line += field(c, r, folder);
    line += "\r\n";
    if (text != nullptr) {
      *text += line;
      continue;
    }
    std::int32_t status = 0;
    WRITESEQUNF(unit, line, static_cast<std::int32_t>(line.size()), status);
    if (listingstatus == plat::iostat_ok) listingstatus = status;
  }
}

// Whether the folder (a path of the script's own text) is a symbolic link.
bool islink(const std::string& folder) {
  struct stat st {};
  return ::lstat(plat::system_path(folder).c_str(), &st) == 0 && S_ISLNK(st.st_mode);
}

}  // namespace

std::vector<ListingRecord> GETDIRECTORYLIST(std::string_view pattern) {
  std::vector<ListingRecord> out;
  win::WIN32_FIND_DATAA found;
  const win::HANDLE search = win::FindFirstFileA(std::string(pattern).c_str(), &found);
  if (search == win::INVALID_HANDLE_VALUE) return out;
  do {
    ListingRecord r;
    r.attributes = found.dwFileAttributes;
    r.creation = SYSTEMTIMETOEXCEL(found.ftCreationTime);
    r.write = SYSTEMTIMETOEXCEL(found.ftLastWriteTime);
    r.access = SYSTEMTIMETOEXCEL(found.ftLastAccessTime);
    r.size = (static_cast<std::uint64_t>(found.nFileSizeHigh) << 32) | found.nFileSizeLow;
    r.name = found.cFileName;
    out.push_back(std::move(r));
  } while (win::FindNextFileA(search, &found));
  win::FindClose(search);
  return out;
}

namespace {

// The answer of what = -1 or -2 goes to `answer`, or to z(iresult).
// A listing goes into `text` when given (what is then 1), else to unit what.
void fileinfo(std::string_view path, std::int64_t& n, std::int32_t what, std::string_view flags,
              double* answer, std::string* text = nullptr) {
  n = -1;
  listingstatus = plat::iostat_ok;
  std::string given(path.substr(0, pathmost));
  given = given.substr(0, given.find('\0'));
  while (!given.empty() && given.back() == ' ') given.pop_back();
  if (given.empty() || separator(given.back())) return;
  // What the units hold is on disk before the file system is asked.
  plat::flush_units();
  const Listing listing = readflags(flags);
  const std::size_t cut = given.find_last_of("\\/");
  const std::string start = cut == std::string::npos ? "" : given.substr(0, cut + 1);
  const std::string pattern = given.substr(start.size());
  // The walk appends folders with the script's own separator.
  const char sep = cut == std::string::npos ? '/' : given[cut];

  // A single name costs one look-up (a name that differs only in case is
  // still found by the search).
  if (what == 0 && !listing.walk && pattern.find_first_of("*?") == std::string::npos) {
    struct stat st {};
    if (::stat(plat::system_path(given).c_str(), &st) == 0) {
      n = S_ISDIR(st.st_mode) ? 0 : static_cast<std::int64_t>(st.st_size);
      return;
    }
  }

  std::int64_t total = 0;
  bool answered = false;
  // Lists one folder; false when the question is answered and FILEINFO ends.
  std::function<void(const std::string&, int)> visit = [&](const std::string& folder, int depth) {
    const std::vector<ListingRecord> recs = GETDIRECTORYLIST(folder + pattern);
    if (!recs.empty()) {
      const auto count = static_cast<std::int64_t>(recs.size());
      total += count;
      if (what == -1 || what == -2) {
        n = what == -1 ? count : static_cast<std::int64_t>(recs[0].size);
        const double value = what == -1 ? static_cast<double>(count) : recs[0].write;
        if (answer != nullptr)
          *answer = value;
        else if (core::z.valid(core::iresult))
          core::z(core::iresult) = value;
        answered = true;
        return;
      }
      if (what == 0) {
        n = given.find('*') == std::string::npos ? static_cast<std::int64_t>(recs[0].size) : count;
      } else {
        n = count;
        writelisting(what, text, recs, listing, folder);
      }
    }
    if (!listing.walk || depth >= deepest) return;
    for (const ListingRecord& sub : GETDIRECTORYLIST(folder + "*.")) {
      if (sub.name[0] == '.' || (sub.attributes & win::FILE_ATTRIBUTE_DIRECTORY) == 0) continue;
      const std::string inner = folder + sub.name + sep;
      if (islink(inner.substr(0, inner.size() - 1))) continue;
      visit(inner, depth + 1);
      if (answered) return;
    }
  };
  visit(start, 0);
  if (listing.walk && !answered) n = total;
  if (what > 0 && text == nullptr) {
    const int closed = plat::close_unit(what);
    if (listingstatus == plat::iostat_ok) listingstatus = closed;
  }
}

}  // namespace

void FILEINFO(std::string_view path, std::int64_t& n, std::int32_t what, std::string_view flags) {
  fileinfo(path, n, what, flags, nullptr);
}

void FILEINFO(std::string_view path, std::int64_t& n, std::int32_t what, double* lastwrite) {
  fileinfo(path, n, what, " ", lastwrite);
}

void FILEINFO(std::string_view path, std::int64_t& n, std::string& listing,
              std::string_view flags) {
  listing.clear();
  fileinfo(path, n, 1, flags, nullptr, &listing);
}

}  // namespace io
