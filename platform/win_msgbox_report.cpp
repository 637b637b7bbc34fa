#include "platform/win_msgbox_report.h"

#include <algorithm>
#include <cstdio>
#include <vector>

#include "platform/cp1252.h"

namespace plat {

namespace {

const char* answer_name(int a) {
  switch (a) {
    case win::IDOK:
      return "OK";
    case win::IDCANCEL:
      return "Cancel";
    case win::IDABORT:
      return "Abort";
    case win::IDRETRY:
      return "Retry";
    case win::IDIGNORE:
      return "Ignore";
    case win::IDYES:
      return "Yes";
    case win::IDNO:
      return "No";
    default:
      return "?";
  }
}

// The lines of a text without blanks around them, empty ones left out;
// other control characters than TAB show as "?".
std::vector<std::string> lines_of(std::string_view text) {
  std::vector<std::string> out;
  std::string line;
  const auto done = [&] {
    while (!line.empty() && line.back() == ' ') line.pop_back();
    const std::size_t from = std::min(line.find_first_not_of(' '), line.size());
    if (from < line.size()) out.push_back(utf8_from_1252(std::string_view(line).substr(from)));
    line.clear();
  };
  for (char c : text) {
    if (c == '\r' || c == '\n')
      done();
    else
      line += static_cast<unsigned char>(c) < 0x20 && c != '\t' ? '?' : c;
  }
  done();
  return out;
}

}  // namespace

std::string message_box_report(const MessageBoxRecord& box, std::string_view note) {
  std::string head;
  for (const std::string& t : lines_of(box.title)) head += (head.empty() ? "" : " ") + t;
  const std::vector<std::string> lines = lines_of(box.text);
  std::string out = "ostrel:";
  if (!head.empty()) out += " " + head + (lines.empty() ? "" : ":");
  for (std::size_t i = 0; i < lines.size(); ++i) out += (i == 0 ? " " : "\n  ") + lines[i];
  if ((box.style & win::MB_TYPEMASK) != win::MB_OK || !note.empty())
    out += std::string("\n  -> ") + answer_name(box.answer) + std::string(note);
  return out + "\n";
}

void report_message_box(const MessageBoxRecord& box, std::string_view note) {
  const std::string report = message_box_report(box, note);
  std::fwrite(report.data(), 1, report.size(), stderr);
}

}  // namespace plat
