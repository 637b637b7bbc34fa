// Every message key that the program's code names must have its section in
// data/Ostrel.hlp, and the file must keep its form. Keys are found in the
// forms msgkey.set("key"), MSGKEY("key"), MSGBOXFROMHELP("key", ...) and
// HELP("key", ...) in every source folder.
#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <set>
#include <string>

#include "core/helpdata.h"
#include "core/messages.h"
#include "core/runwords.h"
#include "platform/file_units.h"
#include "platform/win_message_box.h"
#include "support/test_support.h"

namespace {

namespace fs = std::filesystem;

bool ident_char(char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_';
}

// Keys named in one source text, with where they stand.
void collect_keys(const std::string& src, const std::string& where,
                  std::map<std::string, std::string>& keys) {
  for (std::string_view marker : {"msgkey.set(\"", "MSGKEY(\"", "MSGBOXFROMHELP(\"", "HELP(\""}) {
    for (std::size_t at = src.find(marker); at != std::string::npos;
         at = src.find(marker, at + 1)) {
      // "HELP(" must not be the end of a longer name.
      if (at > 0 && ident_char(src[at - 1]) && marker != "msgkey.set(\"") continue;
      // Not in a comment.
      const std::size_t line = src.rfind('\n', at);
      const std::size_t begin = line == std::string::npos ? 0 : line + 1;
      if (src.substr(begin, at - begin).find("//") != std::string::npos) continue;
      const std::size_t from = at + marker.size();
      const std::size_t to = src.find('"', from);
      if (to == std::string::npos) continue;
      keys.emplace(src.substr(from, to - from), where);
    }
  }
}

// A message box's head line holds its key and box letters only.
bool is_box_head(std::string_view rest) {
  while (!rest.empty() && rest.front() == ' ') rest.remove_prefix(1);
  return !rest.empty() && rest.find_first_not_of("aoORyY!i?S123mM-") == std::string_view::npos;
}

std::map<std::string, std::string> keys_in_code() {
  std::map<std::string, std::string> keys;
  const fs::path root = testsupport::source_dir();
  for (const char* folder : {"platform", "core", "exec", "toolkit", "ide", "io", "ui", "plot",
                             "text", "numeric", "app"}) {
    if (!fs::exists(root / folder)) continue;
    for (const auto& e : fs::recursive_directory_iterator(root / folder)) {
      const auto ext = e.path().extension();
      if (ext != ".cpp" && ext != ".h") continue;
      collect_keys(testsupport::read_file(e.path()), e.path().lexically_relative(root).string(),
                   keys);
    }
  }
  return keys;
}

std::string help_file() {
  return testsupport::read_file(testsupport::source_dir() / "data" / "Ostrel.hlp");
}

TEST(HelpFileKeys, EveryKeyInCodeHasASection) {
  const std::string file = help_file();
  ASSERT_FALSE(file.empty());
  std::set<std::string> sections;
  std::size_t pos = 0;
  while (pos < file.size()) {
    const std::size_t end = file.find("\r\n", pos);
    const std::string line = file.substr(pos, end - pos);
    pos = end == std::string::npos ? file.size() : end + 2;
    if (line.empty() || line[0] == ' ' || line[0] == '\t' || line[0] == '!') continue;
    sections.insert(line.substr(0, line.find(' ')));
  }
  const auto keys = keys_in_code();
  EXPECT_GT(keys.size(), 3u);
  for (const auto& [key, where] : keys)
    EXPECT_TRUE(sections.count(key.substr(0, 16)) == 1)
        << "message key \"" << key << "\" (" << where << ") has no section in data/Ostrel.hlp";
  // The stand-ins of statements not built yet use this key.
  EXPECT_EQ(sections.count("notYetBuilt"), 1u);
}

TEST(HelpFileKeys, FileForm) {
  const std::string file = help_file();
  // CR LF line ends only, ending with one.
  for (std::size_t i = 0; i < file.size(); ++i) {
    if (file[i] == '\n') {
      ASSERT_TRUE(i > 0 && file[i - 1] == '\r') << "bare LF at byte " << i;
    }
    if (file[i] == '\r') {
      ASSERT_TRUE(i + 1 < file.size() && file[i + 1] == '\n') << "bare CR at byte " << i;
    }
  }
  ASSERT_GE(file.size(), 2u);
  EXPECT_EQ(file.substr(file.size() - 2), "\r\n");
  std::set<std::string> seen;
  bool in_section = false;
  std::size_t pos = 0;
  while (pos < file.size()) {
    const std::size_t end = file.find("\r\n", pos);
    const std::string line = file.substr(pos, end - pos);
    pos = end + 2;
    if (line.empty()) continue;
    if (line[0] == '!') {
      EXPECT_FALSE(in_section) << "a comment inside a section: " << line;
      continue;
    }
    if (line[0] == ' ' || line[0] == '\t') continue;
    in_section = true;
    // Keys are compared on their first 16 characters.
    const std::string key = line.substr(0, line.find(' ')).substr(0, 16);
    EXPECT_TRUE(seen.insert(key).second) << "key twice: " << key;
  }
}

// Every message section reads: boxes have their text line, message windows
// come out as boxes of the stand-in, never as dialogs of their own.
TEST(HelpFileKeys, EveryMessageSectionShows) {
  plat::reset_file_units();
  core::reset_helpdata();
  plat::reset_message_boxes();
  const std::string path = (testsupport::source_dir() / "data" / "Ostrel.hlp").string();
  core::helppath.set(path);
  core::CHECKSUM(path);
  ASSERT_GT(core::helpcount, 50);
  for (int i = 1; i <= core::helpcount; ++i) {
    const std::string key = core::helpkeys[i].str();
    if (key == "find" || key == "compilPB") continue;
    core::reset_runwords();
    const std::size_t before = plat::message_box_log().size();
    int answer = 0;
    core::helpkey.set(key);
    int found = 0, last = 0, len = 0, width = 0;
    plat::FixedText<256> head;
    core::GETMENUDATA(core::helpunit, found, last, len, width,
                      std::span<char>(head.data(), head.size()));
    ASSERT_EQ(found, 1) << key;
    const std::string_view h = head.trimmed();
    const std::string_view rest = h.substr(std::min(h.find(' '), h.size()));
    if (is_box_head(rest)) {
      core::MSGBOXFROMHELP(key, "detail", answer);
      EXPECT_EQ(plat::message_box_log().back().title, "detail") << key;
      EXPECT_GT(plat::message_box_log().back().text.size(), 10u) << key;
    } else {
      core::HELP(key, answer);
      ASSERT_EQ(plat::message_box_log().size(), before + 1) << key;
      EXPECT_EQ(core::xeqstop, 0) << key;
    }
  }
  core::reset_helpdata();
  plat::reset_message_boxes();
  plat::reset_file_units();
}

}  // namespace
