// The checks of data/Ostrel.hlp: its form, a section for every key that the
// program's code names, the typing assistant's tables, the Help Index run
// and the size that start-up asks for. Keys in code are found in the forms
// msgkey.set("key"), MSGKEY("key"), MSGBOXFROMHELP("key", ...) and
// HELP("key", ...) in every source folder.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "core/codewords.h"
#include "core/helpdata.h"
#include "core/messages.h"
#include "core/runwords.h"
#include "core/shoplists.h"
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

// One section of the file: its head line and body lines (comments and body
// lines alike, as the reader delivers them).
struct Section {
  std::string key;   // first word of the head line
  std::string rest;  // the head line after its first word
  std::vector<std::string> body;
};

struct HelpFile {
  std::string bytes;
  std::vector<std::string> lines;  // without their CR LF
  std::vector<Section> sections;
  std::map<std::string, std::size_t> index;  // key cut to 16 characters -> section
};

const HelpFile& parsed() {
  static const HelpFile f = [] {
    HelpFile h;
    h.bytes = help_file();
    for (std::size_t pos = 0; pos < h.bytes.size();) {
      std::size_t end = h.bytes.find("\r\n", pos);
      if (end == std::string::npos) end = h.bytes.size();
      h.lines.push_back(h.bytes.substr(pos, end - pos));
      pos = end + 2;
    }
    for (const std::string& line : h.lines) {
      if (!line.empty() && (line[0] == ' ' || line[0] == '\t' || line[0] == '!')) {
        if (!h.sections.empty()) h.sections.back().body.push_back(line);
        continue;
      }
      const std::size_t blank = std::min(line.find(' '), line.size());
      h.sections.push_back({line.substr(0, blank), line.substr(blank), {}});
      h.index.emplace(h.sections.back().key.substr(0, 16), h.sections.size() - 1);
    }
    return h;
  }();
  return f;
}

const Section* section(std::string_view key) {
  const HelpFile& h = parsed();
  const auto it = h.index.find(std::string(key.substr(0, 16)));
  return it == h.index.end() ? nullptr : &h.sections[it->second];
}

std::vector<std::string> comma_entries(std::string_view list) {
  std::vector<std::string> out;
  std::size_t from = 1;
  for (std::size_t to = list.find(',', from); to != std::string_view::npos;
       from = to + 1, to = list.find(',', from))
    if (to > from) out.emplace_back(list.substr(from, to - from));
  return out;
}

// Built-in names in upper case, as the help topics spell them.
std::string upper(std::string s) {
  for (char& c : s)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 32);
  return s;
}

std::size_t first_nonblank(const std::string& line) {
  return std::min(line.find_first_not_of(' '), line.size());
}

// The line the typing assistant finds for a word: the first body line that
// begins, at its first non-blank column, with the word (only its length is
// compared). Returns its index, or -1.
int assistant_line(const Section& s, std::string_view word) {
  for (std::size_t i = 0; i < s.body.size(); ++i) {
    const std::string& l = s.body[i];
    if (l.compare(first_nonblank(l), word.size(), word) == 0) return static_cast<int>(i);
  }
  return -1;
}

// True when the line begins with the word as a whole word.
bool begins_with_word(const std::string& line, std::string_view word) {
  const std::size_t b = first_nonblank(line);
  if (line.compare(b, word.size(), word) != 0) return false;
  const std::size_t after = b + word.size();
  return after == line.size() || !(ident_char(line[after]) || line[after] == '$');
}

TEST(HelpFileKeys, EveryKeyInCodeHasASection) {
  const auto keys = keys_in_code();
  EXPECT_GT(keys.size(), 3u);
  for (const auto& [key, where] : keys)
    EXPECT_NE(section(key), nullptr)
        << "message key \"" << key << "\" (" << where << ") has no section in data/Ostrel.hlp";
  // The stand-ins of statements not built yet use this key.
  EXPECT_NE(section("notYetBuilt"), nullptr);
}

TEST(HelpFileKeys, FileForm) {
  const HelpFile& h = parsed();
  // Start-up refuses a file of 270,000 bytes or less.
  EXPECT_GT(h.bytes.size(), 270000u);
  // CR LF line ends only, ending with one; lines of at most 254 characters.
  for (std::size_t i = 0; i < h.bytes.size(); ++i) {
    if (h.bytes[i] == '\n') {
      ASSERT_TRUE(i > 0 && h.bytes[i - 1] == '\r') << "bare LF at " << i;
    }
    if (h.bytes[i] == '\r') {
      ASSERT_TRUE(i + 1 < h.bytes.size() && h.bytes[i + 1] == '\n') << "bare CR at " << i;
    }
  }
  ASSERT_GE(h.bytes.size(), 2u);
  EXPECT_EQ(h.bytes.substr(h.bytes.size() - 2), "\r\n");
  bool in_section = false;
  for (const std::string& line : h.lines) {
    EXPECT_LE(line.size(), 254u) << line.substr(0, 60);
    // An empty line would be a head line with an empty key.
    EXPECT_FALSE(line.empty()) << "an empty line";
    if (line.empty()) continue;
    // A comment inside a section would be read as one of its lines.
    if (line[0] == '!') {
      EXPECT_FALSE(in_section) << "a comment after a section: " << line;
    }
    if (line[0] != ' ' && line[0] != '\t' && line[0] != '!') in_section = true;
  }
  // Keys unique in their first 16 characters; "->" only in redirections,
  // which name an existing key.
  std::set<std::string> seen;
  for (const Section& s : h.sections) {
    EXPECT_TRUE(seen.insert(s.key.substr(0, 16)).second) << "key twice: " << s.key;
    const std::size_t arrow = s.rest.find("->");
    if (arrow == std::string::npos) continue;
    EXPECT_EQ(s.rest.substr(0, arrow), " ") << "a stray -> in the head line of " << s.key;
    const std::string target = s.rest.substr(arrow + 2);
    EXPECT_TRUE(target.find(' ') == std::string::npos && section(target) != nullptr)
        << s.key << " redirects to a missing key";
  }
}

// Boxes have their text on the first body line; windows and topics show
// through HELP.
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
    const std::string_view hd = head.trimmed();
    const std::string_view rest = hd.substr(std::min(hd.find(' '), hd.size()));
    if (is_box_head(rest)) {
      // No comment or item line under a box's head: its first line is the text.
      const Section* s = section(key);
      ASSERT_TRUE(s != nullptr && !s->body.empty()) << key;
      EXPECT_EQ(s->body[0][0], ' ') << key;
      core::MSGBOXFROMHELP(key, "detail", answer);
      EXPECT_EQ(plat::message_box_log().back().title, "detail") << key;
      EXPECT_GT(plat::message_box_log().back().text.size(), 10u) << key;
    } else {
      // A window or a topic; dialogs with fields wait for the window builder.
      core::HELP(key, answer);
      if (plat::message_box_log().size() != before) {
        EXPECT_EQ(core::xeqstop, 0) << key;
      }
    }
  }
  core::reset_helpdata();
  plat::reset_message_boxes();
  plat::reset_file_units();
}

// The typing assistant's tables: one section NAME() per statement with
// options, holding one line for each keyword of the statement's list, spelled
// as in the list, found before any other line that begins with it.
TEST(HelpFileKeys, OptionTablesFollowTheOptionLists) {
  for (const core::ShopList& list : core::shoplists) {
    const std::string key = std::string(list.stmt) + "()";
    const Section* s = section(key);
    ASSERT_NE(s, nullptr) << key;
    EXPECT_EQ(s->rest.find(';'), std::string::npos) << key << " must be a topic, not a window";
    for (const core::ShopEntry& e : list.entries) {
      const int at = assistant_line(*s, e.kw);
      ASSERT_GE(at, 0) << key << " has no line for " << e.kw;
      EXPECT_TRUE(begins_with_word(s->body[static_cast<std::size_t>(at)], e.kw))
          << key << ": the assistant would show for " << e.kw << " the line \""
          << s->body[static_cast<std::size_t>(at)] << "\"";
      const auto own = std::count_if(s->body.begin(), s->body.end(), [&](const std::string& l) {
        return begins_with_word(l, e.kw);
      });
      EXPECT_EQ(own, 1) << key << ": " << e.kw << " needs exactly one line";
    }
  }
}

// "shorties": one upper-case line per statement and built-in, each found
// by the assistant for its own name.
TEST(HelpFileKeys, ShortiesDescribeEveryKeyword) {
  const Section* s = section("shorties");
  ASSERT_NE(s, nullptr);
  std::vector<std::string> names = comma_entries(core::stmtlist);
  // "win", never found by name, is DLG with a text: no keyword to type.
  for (const std::string& n : comma_entries(core::builtinlist))
    if (n != "win") names.push_back(upper(n));
  ASSERT_EQ(names.size(), 85u);
  for (const std::string& n : names) {
    const int at = assistant_line(*s, n);
    ASSERT_GE(at, 0) << "shorties has no line for " << n;
    EXPECT_TRUE(begins_with_word(s->body[static_cast<std::size_t>(at)], n))
        << "for " << n << " the assistant would show \"" << s->body[static_cast<std::size_t>(at)]
        << "\"";
  }
  std::size_t heads = 0;
  for (const std::string& l : s->body)
    if (first_nonblank(l) == 1) ++heads;
  EXPECT_EQ(heads, names.size()) << "one line per keyword; continuation lines are indented";
}

// The Help Index lists the first run of keys that begin before "a": the
// topics of the statements, built-ins and dialog keywords, Contents and
// Editor, and nothing else.
TEST(HelpFileKeys, HelpIndexRunHoldsTheTopics) {
  std::set<std::string> expected = {"Contents", "Editor"};
  for (const std::string& n : comma_entries(core::stmtlist)) expected.insert(n);
  // The topic of "win", never found by name, is named by the call a script writes.
  for (const std::string& n : comma_entries(core::builtinlist))
    expected.insert(n == "win" ? "DLG(text)" : upper(n) + "()");
  for (const std::string& kw : comma_entries(core::dlgshop)) expected.insert("DLG." + kw);
  ASSERT_EQ(expected.size(), 2u + 19u + 67u + 82u);
  std::set<std::string> run;
  for (const Section& s : parsed().sections) {
    if (static_cast<unsigned char>(s.key[0]) >= 'a') {
      if (!run.empty()) break;
      continue;
    }
    run.insert(s.key);
  }
  EXPECT_EQ(run, expected);
}

// Buttons of the help windows that link to topics name existing keys.
TEST(HelpFileKeys, LinksNameExistingSections) {
  for (const Section& s : parsed().sections) {
    if (s.rest.find(';') == std::string::npos) continue;
    for (const std::string& line : s.body) {
      for (std::size_t from = 0; from < line.size();) {
        std::size_t end = std::min(line.find(';', from), line.size());
        std::string item = line.substr(from, end - from);
        from = end + 1;
        item.erase(0, first_nonblank(item));
        const std::size_t colon = item.find(':');
        if (colon == std::string::npos || colon == 0) continue;
        const std::string label = item.substr(0, colon);
        if (label.find_first_of(" =*") != std::string::npos) continue;
        // Number labels, and STEP and RUN, are answers, not links.
        if (label.find_first_not_of("0123456789->") == std::string::npos || label == "STEP" ||
            label == "RUN" || (label.size() > 1 && label[1] >= '0' && label[1] <= '9'))
          continue;
        EXPECT_NE(section(label), nullptr) << s.key << " links to the missing topic " << label;
      }
    }
  }
}

}  // namespace
