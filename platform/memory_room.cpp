#include "platform/memory_room.h"

#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <charconv>
#include <fstream>
#include <string>

namespace plat {

namespace {

constexpr std::int64_t none = -1;

// The smaller of two rooms, none standing for no bound.
std::int64_t least(std::int64_t a, std::int64_t b) {
  if (a < 0) return b;
  if (b < 0) return a;
  return std::min(a, b);
}

// MemAvailable + SwapFree of /proc/meminfo, in bytes.
std::int64_t systemroom() {
  std::ifstream in("/proc/meminfo");
  std::string key;
  std::int64_t kb = 0, sum = 0;
  int found = 0;
  while (in >> key >> kb) {
    if (key == "MemAvailable:" || key == "SwapFree:") {
      sum += kb * 1024;
      ++found;
    }
    in.ignore(256, '\n');
  }
  return found > 0 ? sum : none;
}

// A number from the first word of a file; none when it is not one ("max").
std::int64_t filenumber(const std::string& path) {
  std::ifstream in(path);
  std::string word;
  std::int64_t v = 0;
  if (!(in >> word)) return none;
  const auto r = std::from_chars(word.data(), word.data() + word.size(), v);
  return r.ec == std::errc() && r.ptr == word.data() + word.size() && v >= 0 ? v : none;
}

// The limit less the use of the process's memory cgroup: version 2 or 1,
// at the path /proc/self/cgroup names, else at the root that a container
// shows as its own.
std::int64_t cgrouproom() {
  std::string v2, v1;
  std::ifstream in("/proc/self/cgroup");
  for (std::string line; std::getline(in, line);) {
    if (line.rfind("0::", 0) == 0) v2 = line.substr(3);
    if (const std::size_t at = line.find(":memory:"); at != std::string::npos)
      v1 = line.substr(at + 8);
  }
  struct Pair {
    std::string limit, used;
  };
  const Pair pairs[] = {
      {"/sys/fs/cgroup" + v2 + "/memory.max", "/sys/fs/cgroup" + v2 + "/memory.current"},
      {"/sys/fs/cgroup/memory" + v1 + "/memory.limit_in_bytes",
       "/sys/fs/cgroup/memory" + v1 + "/memory.usage_in_bytes"},
      {"/sys/fs/cgroup/memory/memory.limit_in_bytes", "/sys/fs/cgroup/memory/memory.usage_in_bytes"},
  };
  for (const Pair& p : pairs) {
    const std::int64_t limit = filenumber(p.limit), used = filenumber(p.used);
    if (limit >= 0 && used >= 0) return std::max<std::int64_t>(limit - used, 0);
  }
  return none;
}

// A resource limit less what the process maps against it (pages of
// /proc/self/statm: field 1 the whole size, field 6 data and stack).
std::int64_t rlimitroom(int resource, int field) {
  rlimit r{};
  if (getrlimit(resource, &r) != 0 || r.rlim_cur == RLIM_INFINITY) return none;
  std::ifstream in("/proc/self/statm");
  std::int64_t pages = 0;
  for (int k = 1; k <= field; ++k)
    if (!(in >> pages)) return none;
  const std::int64_t used = pages * sysconf(_SC_PAGESIZE);
  return std::max<std::int64_t>(static_cast<std::int64_t>(r.rlim_cur) - used, 0);
}

}  // namespace

std::int64_t memoryroom() {
  std::int64_t room = systemroom();
  room = least(room, cgrouproom());
  room = least(room, rlimitroom(RLIMIT_AS, 1));
  room = least(room, rlimitroom(RLIMIT_DATA, 6));
  return room;
}

}  // namespace plat
