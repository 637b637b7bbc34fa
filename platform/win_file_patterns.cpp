#include "platform/win_file_patterns.h"

#include <vector>

#include "platform/charcase.h"

namespace plat {

namespace {

bool same_char(char a, char b) {
  return upper1252(static_cast<unsigned char>(a)) == upper1252(static_cast<unsigned char>(b));
}

// Glob match with backtracking to the last '*'.
bool glob(std::string_view name, std::string_view pat) {
  std::size_t n = 0, p = 0, star = std::string_view::npos, resume = 0;
  while (n < name.size()) {
    if (p < pat.size() && (pat[p] == '?' || (pat[p] != '*' && same_char(pat[p], name[n])))) {
      ++n, ++p;
    } else if (p < pat.size() && pat[p] == '*') {
      star = p++;
      resume = n;
    } else if (star != std::string_view::npos) {
      p = star + 1;
      n = ++resume;
    } else {
      return false;
    }
  }
  while (p < pat.size() && pat[p] == '*') ++p;
  return p == pat.size();
}

}  // namespace

bool matches_patterns(std::string_view name, std::string_view patterns) {
  while (!patterns.empty()) {
    const std::size_t semi = patterns.find(';');
    std::string_view one = patterns.substr(0, semi);
    patterns = semi == std::string_view::npos ? std::string_view() : patterns.substr(semi + 1);
    while (!one.empty() && one.front() == ' ') one.remove_prefix(1);
    while (!one.empty() && one.back() == ' ') one.remove_suffix(1);
    if (one == "*.*" || glob(name, one)) return true;
  }
  return false;
}

std::string normal_path(std::string_view absolute) {
  std::vector<std::string_view> steps;
  while (!absolute.empty()) {
    const std::size_t slash = absolute.find('/');
    const std::string_view step = absolute.substr(0, slash);
    absolute = slash == std::string_view::npos ? std::string_view() : absolute.substr(slash + 1);
    if (step.empty() || step == ".") continue;
    if (step == "..") {
      if (!steps.empty()) steps.pop_back();
      continue;
    }
    steps.push_back(step);
  }
  std::string out;
  for (std::string_view s : steps) (out += '/') += s;
  return out.empty() ? "/" : out;
}

}  // namespace plat
