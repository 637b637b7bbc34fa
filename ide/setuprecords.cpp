#include "ide/setuprecords.h"

#include <charconv>
#include <cmath>
#include <vector>

namespace ide {

namespace {

std::string_view trimmed(std::string_view s) {
  while (!s.empty() && s.back() == ' ') s.remove_suffix(1);
  return s;
}

// Four characters, the value rounded (halves away from zero) and a point.
std::string rotationfield(float rotation) {
  const double r = std::round(static_cast<double>(rotation));
  if (!std::isfinite(r) || std::fabs(r) > 999) return "****";
  const std::string s = std::to_string(static_cast<long>(r)) + ".";
  return s.size() > 4 ? "****" : std::string(4 - s.size(), ' ') + s;
}

// The items of a free-format text; an empty optional for a null item.
struct Item {
  std::string_view text;
  bool null = false;
};
std::vector<Item> items(std::string_view s) {
  std::vector<Item> out;
  std::size_t i = 0;
  const auto blanks = [&] {
    while (i < s.size() && s[i] == ' ') ++i;
  };
  blanks();
  while (i < s.size()) {
    if (s[i] == ',') {
      out.push_back({{}, true});
      ++i;
      blanks();
      continue;
    }
    const std::size_t from = i;
    while (i < s.size() && s[i] != ' ' && s[i] != ',') ++i;
    out.push_back({s.substr(from, i - from), false});
    blanks();
    if (i < s.size() && s[i] == ',') {
      ++i;
      blanks();
    }
  }
  return out;
}

bool readint(std::string_view t, std::int32_t& v) {
  if (t.starts_with('+')) t.remove_prefix(1);
  const auto r = std::from_chars(t.data(), t.data() + t.size(), v);
  return r.ec == std::errc() && r.ptr == t.data() + t.size();
}

bool readreal(std::string_view t, float& v) {
  if (t.starts_with('+')) t.remove_prefix(1);
  const auto r = std::from_chars(t.data(), t.data() + t.size(), v);
  return r.ec == std::errc() && r.ptr == t.data() + t.size();
}

}  // namespace

std::size_t readfree(std::string_view text, std::span<const FreeTarget> targets) {
  const std::vector<Item> list = items(text);
  std::size_t n = 0;
  for (; n < targets.size() && n < list.size(); ++n) {
    if (list[n].null) continue;
    const std::string_view t = list[n].text;
    bool ok = true;
    if (auto* i = std::get_if<std::int32_t*>(&targets[n])) {
      std::int32_t v = 0;
      ok = readint(t, v);
      if (ok) **i = v;
    } else if (auto* f = std::get_if<float*>(&targets[n])) {
      float v = 0;
      ok = readreal(t, v);
      if (ok) **f = v;
    } else {
      *std::get<std::string*>(targets[n]) = std::string(t);
    }
    if (!ok) break;
  }
  return n;
}

std::string recordline(const HistoryRecord& record) {
  std::string out(trimmed(record.path));
  out += ',';
  out += trimmed(record.face);
  out += ',';
  out += rotationfield(record.rotation);
  for (std::int32_t v : record.values) out += "," + std::to_string(v);
  return out + ",";
}

bool readrecord(std::string_view line, HistoryRecord& record) {
  const std::size_t first = line.find(',');
  if (first == std::string_view::npos) return false;
  record.path = std::string(line.substr(0, first));
  std::string_view rest = line.substr(first + 1);
  const std::size_t second = rest.find(',');
  record.face = std::string(rest.substr(0, second));
  rest = second == std::string_view::npos ? std::string_view() : rest.substr(second + 1);
  std::array<FreeTarget, 15> targets;
  targets[0] = &record.rotation;
  for (std::size_t k = 0; k < record.values.size(); ++k) targets[k + 1] = &record.values[k];
  readfree(rest, targets);
  return true;
}

std::string displayline(std::string_view tag, std::span<const std::int32_t> values) {
  std::string out(tag.substr(0, 16));
  out.resize(16, ' ');
  for (std::int32_t v : values) out += "," + std::to_string(v);
  return out + ",";
}

std::string recenttitle(int n, std::string_view path) {
  return std::string("&") + static_cast<char>('0' + n % 10) + ": " + std::string(path);
}

}  // namespace ide
