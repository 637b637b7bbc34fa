#include "io/openfilename_standin.h"

#include <algorithm>
#include <cstdio>
#include <deque>

#include "platform/cp1252.h"

namespace io {

namespace {

std::deque<std::string> answers;
std::vector<std::string> titles;

}  // namespace

bool GET_OPEN_FILE_NAME(std::span<char> path, std::string_view title, std::uint32_t /*flags*/) {
  titles.emplace_back(title);
  std::string chosen;
  if (!answers.empty()) {
    chosen = std::move(answers.front());
    answers.pop_front();
  }
  const std::string shown = plat::utf8_from_1252(title);
  const std::string answer = chosen.empty() ? "Cancel" : plat::utf8_from_1252(chosen);
  std::fprintf(stderr, "open file dialog: %s: %s\n", shown.c_str(), answer.c_str());
  if (chosen.empty()) return false;
  std::fill(path.begin(), path.end(), ' ');
  std::copy_n(chosen.begin(), std::min(chosen.size(), path.size()), path.begin());
  return true;
}

void push_open_file_name_answer(std::string path) { answers.push_back(std::move(path)); }

const std::vector<std::string>& open_file_name_titles() { return titles; }

void reset_open_file_name() {
  answers.clear();
  titles.clear();
}

}  // namespace io
