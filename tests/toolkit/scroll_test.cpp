// Scroll files read forward and back, line counts, scroll positions with
// the status bar's line field, and the scroll bars of boxes.
#include <fcntl.h>
#include <sys/stat.h>

#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "platform/win_controls.h"
#include "support/test_support.h"
#include "toolkit/boxes.h"
#include "toolkit/memory.h"
#include "toolkit/scroll_files.h"
#include "toolkit/scrolling.h"
#include "toolkit/statusbar.h"
#include "toolkit_fixture.h"

namespace {

using namespace toolkit;
using tktest::ToolkitTest;

// Lines and their start offsets by the rule: a line ends at CR LF, a lone
// CR or a lone LF; a last line without an end still counts.
struct Split {
  std::vector<std::string> lines;
  std::vector<std::int64_t> starts;
};
Split split(const std::string& bytes) {
  Split s;
  std::size_t at = 0;
  while (at < bytes.size()) {
    s.starts.push_back(static_cast<std::int64_t>(at));
    const std::size_t end = bytes.find_first_of("\r\n", at);
    if (end == std::string::npos) {
      s.lines.push_back(bytes.substr(at));
      break;
    }
    s.lines.push_back(bytes.substr(at, end - at));
    at = end + (bytes[end] == '\r' && end + 1 < bytes.size() && bytes[end + 1] == '\n' ? 2 : 1);
  }
  return s;
}

class ScrollFile : public ToolkitTest {
 protected:
  void TearDown() override {
    FREE_SCROLL_FILE(nullptr, scroll);
    ToolkitTest::TearDown();
  }
  void open(const std::string& bytes) {
    FREE_SCROLL_FILE(nullptr, scroll);
    testsupport::write_file(path, bytes);
    copy_scroll_file_name(scroll, path.c_str(), static_cast<int>(path.size()));
    ASSERT_EQ(OPEN_SCROLL_FILE(nullptr, scroll), 1);
  }
  std::int64_t position() const { return scroll.buffer_offset + scroll.read_position; }
  std::string read_line(int size = 16384) {
    std::string buf(static_cast<std::size_t>(size), '?');
    const int n = READ_SCROLL_LINE(scroll, buf.data(), size);
    return n < 0 ? "<end>" : buf.substr(0, static_cast<std::size_t>(n));
  }
  // Reads every line forward, then steps back over all of them, checking
  // each against the split.
  void agree(const std::string& bytes) {
    open(bytes);
    const Split want = split(bytes);
    std::size_t longest = 0;
    for (const std::string& l : want.lines) longest = std::max(longest, l.size());
    ASSERT_EQ(scroll.lines, static_cast<int>(want.lines.size()));
    EXPECT_EQ(scroll.longest_line, static_cast<int>(longest));
    for (std::size_t i = 0; i < want.lines.size(); ++i) {
      ASSERT_EQ(position(), want.starts[i]) << "line " << i;
      ASSERT_TRUE(read_line() == want.lines[i]) << "line " << i;
    }
    EXPECT_EQ(read_line(), "<end>");
    for (std::size_t i = want.lines.size(); i-- > 0;) {
      ASSERT_EQ(PREVIOUS_SCROLL_LINE(scroll), 0);
      ASSERT_EQ(scroll.current_line, static_cast<int>(i));
      ASSERT_EQ(position(), want.starts[i]) << "back to line " << i;
    }
    EXPECT_EQ(PREVIOUS_SCROLL_LINE(scroll), -1);
    EXPECT_EQ(scroll.current_line, 0);
  }
  testsupport::TempDir dir;
  std::string path = dir.file("lines.txt");
  scroll_data_t scroll;
};

TEST_F(ScrollFile, BackwardReadingAgreesWithForwardReading) {
  // Ends at the buffer's edge: CR LF split by it, a lone CR at it.
  agree(std::string(4094, 'a') + "\r\n" + "b\r\nc");
  agree(std::string(4095, 'a') + "\r\nb");
  agree(std::string(4095, 'a') + "\rb\r\n");
  agree("\r\n\r\n\n\rx\xFF\xFFy\n");
  std::mt19937 random(7);
  const char* ends[3] = {"\r\n", "\r", "\n"};
  for (int file = 0; file < 4; ++file) {
    std::string bytes;
    for (int line = 0; line < 400; ++line) {
      const int length = random() % 50 == 0 ? 4000 + static_cast<int>(random() % 5000)
                                            : static_cast<int>(random() % 120);
      for (int k = 0; k < length; ++k) {
        char c = static_cast<char>(random() % 256);
        if (c == '\r' || c == '\n') c = static_cast<char>(0xFF);
        bytes += c;
      }
      if (line < 399 || file % 2 == 0) bytes += ends[random() % 3];
    }
    agree(bytes);
  }
}

TEST_F(ScrollFile, LongLinesComeInPiecesAndTheLastLineCounts) {
  open("abcdefg\r\nxy");
  EXPECT_EQ(scroll.lines, 2);
  EXPECT_EQ(read_line(4), "abc");
  EXPECT_EQ(read_line(4), "def");
  EXPECT_EQ(read_line(4), "g");
  EXPECT_EQ(scroll.current_line, 3);
  EXPECT_EQ(read_line(4), "xy");
  EXPECT_EQ(read_line(4), "<end>");
  EXPECT_EQ(scroll.current_line, 4);
  // From the second line back to the first, then the start.
  REWIND_SCROLL_FILE(scroll);
  SKIP_SCROLL_LINE(scroll);
  EXPECT_EQ(PREVIOUS_SCROLL_LINE(scroll), 0);
  EXPECT_EQ(position(), 0);
  EXPECT_EQ(PREVIOUS_SCROLL_LINE(scroll), -1);
  EXPECT_EQ(READ_SCROLL_CHAR(scroll), 'a');
}

TEST_F(ScrollFile, LinesAreCountedAgainOnlyAfterTheWriteTimeChanged) {
  open("a\r\nb\r\n");
  EXPECT_EQ(scroll.lines, 2);
  struct stat before {};
  stat(path.c_str(), &before);
  testsupport::write_file(path, "a\r\nb\r\nc\r\n");
  const timespec same[2] = {before.st_atim, before.st_mtim};
  utimensat(AT_FDCWD, path.c_str(), same, 0);
  EXPECT_EQ(COUNT_SCROLL_LINES(scroll), 0);
  EXPECT_EQ(scroll.lines, 2);
  timespec later[2] = {before.st_atim, before.st_mtim};
  later[1].tv_sec += 1;
  utimensat(AT_FDCWD, path.c_str(), later, 0);
  EXPECT_EQ(COUNT_SCROLL_LINES(scroll), 1);
  EXPECT_EQ(scroll.lines, 3);
  EXPECT_EQ(position(), 0);
}

TEST_F(ScrollFile, SeekingFindsTheLineFromAnywhere) {
  const char* ends[3] = {"\r\n", "\r", "\n"};
  std::string bytes;
  for (int i = 0; i < 3000; ++i) bytes += "line " + std::to_string(i) + ends[i % 3];
  open(bytes);
  // Lines at and around every 1024th, from the start each time.
  for (int line : {1023, 1024, 1025, 2048, 2999}) {
    REWIND_SCROLL_FILE(scroll);
    SEEK_SCROLL_LINE(scroll, line);
    EXPECT_EQ(read_line(), "line " + std::to_string(line));
  }
  SEEK_SCROLL_LINE(scroll, 3000);
  EXPECT_EQ(read_line(), "<end>");
  // A file changed since it was counted is read through.
  std::string longer;
  for (int i = 0; i < 3000; ++i) longer += "longer line " + std::to_string(i) + "\r\n";
  testsupport::write_file(path, longer);
  struct stat now {};
  stat(path.c_str(), &now);
  timespec later[2] = {now.st_atim, now.st_mtim};
  later[1].tv_sec += 5;
  utimensat(AT_FDCWD, path.c_str(), later, 0);
  REWIND_SCROLL_FILE(scroll);
  SEEK_SCROLL_LINE(scroll, 2048);
  EXPECT_EQ(read_line(), "longer line 2048");
  bytes.clear();
  for (int i = 0; i < 1000; ++i) bytes += "line " + std::to_string(i) + "\r\n";
  open(bytes);
  SEEK_SCROLL_LINE(scroll, 500);
  EXPECT_EQ(read_line(), "line 500");
  SEEK_SCROLL_LINE(scroll, 990);
  SEEK_SCROLL_LINE(scroll, 30);  // far back: from the start
  EXPECT_EQ(scroll.current_line, 30);
  EXPECT_EQ(read_line(), "line 30");
  SEEK_SCROLL_LINE(scroll, 28);  // near: stepping back
  EXPECT_EQ(read_line(), "line 28");
  SEEK_SCROLL_LINE(scroll, 5000);
  EXPECT_EQ(scroll.current_line, 1000);
  // Closed and opened again for reading, it goes on where it stood.
  SEEK_SCROLL_LINE(scroll, 700);
  CLOSE_SCROLL_FILE(scroll);
  EXPECT_EQ(OPEN_SCROLL_FILE_FOR_READING(nullptr, scroll), 1);
  EXPECT_EQ(read_line(), "line 700");
  EXPECT_EQ(read_line(), "line 701");
}

TEST_F(ScrollFile, AScratchFileGoesWithItsRecord) {
  EXPECT_EQ(OPEN_SCROLL_FILE(nullptr, scroll), 1);
  ASSERT_NE(scroll.file_name, nullptr);
  const std::string name = scroll.file_name;
  EXPECT_NE(scroll.flags & kScrollScratch, 0u);
  EXPECT_TRUE(std::filesystem::exists(name));
  EXPECT_EQ(scroll.lines, 0);
  FREE_SCROLL_FILE(nullptr, scroll);
  EXPECT_FALSE(std::filesystem::exists(name));
  EXPECT_EQ(scroll.file_name, nullptr);
  // A missing file cannot be opened for reading.
  copy_scroll_file_name(scroll, "/nonexistent/x", 14);
  int ups = 0;
  EXPECT_EQ(OPEN_SCROLL_FILE_FOR_READING(&ups, scroll), 0);
  EXPECT_NE(ups, 0);
}

// A secondary window scrolled by lines, and a main window whose bar has a
// line field.
TEST_F(ToolkitTest, ScrollPositionsMoveTheBarAndTheLineField) {
  status_bar_item_t field;
  const int line_kind = 14;
  SET_STATUS_BAR_ITEM(field, &line_kind, nullptr, nullptr, 0);
  const float at = 0.0F;
  const int width = 400, height = 300;
  CREATE_WINDOW("M", 1, nullptr, 0, &field, 1, nullptr, 0, nullptr, &at, &at, nullptr, nullptr,
                &width, &height, nullptr, nullptr, 0, nullptr, nullptr, nullptr, nullptr, nullptr,
                nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr);
  char cls[32];
  std::fill(cls, cls + sizeof cls, ' ');
  const int style = kStyleVScroll | kStyleHScroll;
  const win::HWND w = CREATE_SECONDARY_WINDOW(
      "S", 1, nullptr, 0, nullptr, 0, cls, sizeof cls, nullptr, nullptr, nullptr, nullptr, nullptr,
      &width, &height, &style, nullptr, 0, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
      nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr);
  const int lines = 100, longest = 80, page = 10, columns = 30;
  SET_SCROLL_RANGE(w, nullptr, &lines, &longest, &page, &columns, nullptr);
  const int six = 6, zero = 0, nine = 9, two = 2;
  int ups = -1;
  SET_SCROLL_POSITION(w, nullptr, &six, nullptr, &ups);
  EXPECT_EQ(ups, 0);
  scroll_data_t& s = FIND_WINDOW_RECORD(w)->scroll;
  EXPECT_EQ(s.first_line, 5);
  EXPECT_EQ(win::GetScrollPos(w, win::SB_VERT), 5);
  EXPECT_STREQ(status_bar.fields[0].text, "ln 6     ");
  SET_SCROLL_POSITION(w, nullptr, &zero, nullptr, nullptr);
  EXPECT_EQ(s.first_line, 0);
  EXPECT_STREQ(status_bar.fields[0].text, "ln 1     ");
  SET_SCROLL_POSITION(w, nullptr, &nine, &two, nullptr);
  EXPECT_EQ(s.first_line, 8);
  EXPECT_EQ(s.first_column, 1);
  EXPECT_EQ(win::GetScrollPos(w, win::SB_HORZ), 1);
  int first = 0, last = 0, first_column = 0, last_column = 0;
  GET_SCROLL_POSITION(w, nullptr, &first, &last, &first_column, &last_column, nullptr);
  EXPECT_EQ(first, 9);
  EXPECT_EQ(last, 18);
  EXPECT_EQ(first_column, 2);
  EXPECT_EQ(last_column, 31);
  SET_SCROLL_POSITION(nullptr, nullptr, &six, nullptr, &ups);
  EXPECT_EQ(ups, 0x10000);
  GET_SCROLL_RANGE(reinterpret_cast<win::HWND>(0x4444), nullptr, nullptr, nullptr, nullptr, nullptr,
                   &ups);
  EXPECT_EQ(ups, 0x10000);
  box_record_t* dead = nullptr;
  {
    const float f = 0.5F;
    dead = DEFINE_BOX(&w, nullptr, nullptr, 0, nullptr, &f, &f, nullptr, nullptr, nullptr, nullptr,
                      nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                      nullptr, nullptr);
    box_record_t* copy = dead;
    DESTROY_BOX(copy, nullptr);
  }
  SET_SCROLL_RANGE(nullptr, dead, &lines, nullptr, nullptr, nullptr, &ups);
  EXPECT_EQ(ups, 0x10000);
}

TEST_F(ToolkitTest, TheMainWindowStandsForItsFirstBoxExceptForItsPosition) {
  const win::HWND main = tktest::make_main();
  const float half = 0.5F;
  box_record_t* box = DEFINE_BOX(&main, nullptr, nullptr, 0, nullptr, nullptr, &half, nullptr,
                                 nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                                 nullptr, nullptr, nullptr, nullptr, nullptr, nullptr);
  const int lines = 40;
  SET_SCROLL_RANGE(main, nullptr, &lines, nullptr, nullptr, nullptr, nullptr);
  EXPECT_EQ(box->scroll.lines, 40);
  EXPECT_EQ(FIND_WINDOW_RECORD(main)->scroll.lines, 0);
  box->scroll.first_line = 7;
  int first = 0;
  GET_SCROLL_POSITION(main, nullptr, &first, nullptr, nullptr, nullptr, nullptr);
  EXPECT_EQ(first, 1);
  GET_SCROLL_POSITION(nullptr, box, &first, nullptr, nullptr, nullptr, nullptr);
  EXPECT_EQ(first, 8);
}

// Which bar controls a box of a style has for its content.
std::string bars(box_record_t* box, int style, int lines, int longest) {
  box->style = style;
  box->scroll.lines = lines;
  box->scroll.longest_line = longest;
  box->scroll.first_line = 5;
  LAYOUT_BOX(*box);
  return std::string(box->hscroll != nullptr ? "h" : "-") + (box->vscroll != nullptr ? "v" : "-");
}

TEST_F(ToolkitTest, BoxesGetTheBarsTheirStyleAndContentNeed) {
  const win::HWND main = tktest::make_main();
  const win::HBRUSH no_frame = nullptr;
  const int left = 0, top = 0, right = 200, bottom = 100;
  box_record_t* box = DEFINE_BOX(&main, nullptr, nullptr, 0, nullptr, nullptr, nullptr, nullptr,
                                 nullptr, &left, &top, &right, &bottom, nullptr, nullptr, nullptr,
                                 &no_frame, nullptr, nullptr, nullptr, nullptr);
  const int pixels = kStylePixelScroll | kStyleHScroll | kStyleVScroll;
  const int bar = win::GetSystemMetrics(win::SM_CYHSCROLL);
  EXPECT_EQ(bars(box, pixels, 50, 150), "--");
  EXPECT_EQ(box->scroll.first_line, 0);
  EXPECT_EQ(bars(box, pixels, 100 - bar, 201), "h-");
  EXPECT_EQ(box->client.bottom, 100 - bar);
  EXPECT_EQ(box->scroll.first_line, 5);
  EXPECT_EQ(bars(box, pixels, 100 - bar + 1, 201), "hv");
  EXPECT_EQ(box->client.right, 200 - bar);
  EXPECT_EQ(bars(box, pixels, 101, 200 - bar - 1), "-v");
  EXPECT_EQ(bars(box, pixels, 101, 200 - bar + 1), "hv");
  EXPECT_EQ(bars(box, kStylePixelScroll | kStyleVScroll, 50, 500), "--");
  EXPECT_EQ(bars(box, kStyleFile, 1, 1), "hv");
  EXPECT_EQ(bars(box, kStyleScrollFile | kStyleHScroll, 1, 1), "h-");
  EXPECT_EQ(box->client.right, 200);
  EXPECT_EQ(bars(box, kStyleScrollFile | kStyleVScroll, 1, 1), "-v");
  EXPECT_EQ(bars(box, kStyleScrollFile, 1, 1), "--");
  EXPECT_EQ(box->client.bottom, 100);
}

}  // namespace

namespace {

TEST_F(ToolkitTest, TextClippedOnTheLeftKeepsItsEndAndWindowsAreKnown) {
  const win::HWND main = tktest::make_main();
  const win::HDC dc = win::GetDC(main);
  win::SIZE three{}, all{};
  win::GetTextExtentPoint32A(dc, "def", 3, &three);
  win::GetTextExtentPoint32A(dc, "abcdef", 6, &all);
  const win::RECT in{10, 0, 10 + three.cx, 20};
  win::RECT out{};
  DRAW_TEXT_CLIPPED_LEFT(dc, "abcdef", 6, in, out);
  EXPECT_EQ(out.left, 10 + three.cx);
  const win::RECT wide{0, 0, all.cx, 20};
  DRAW_TEXT_CLIPPED_LEFT(dc, "abcdef", 6, wide, out);
  EXPECT_EQ(out.left, all.cx);
  const win::RECT none{0, 0, 0, 20};
  DRAW_TEXT_CLIPPED_LEFT(dc, "abcdef", 6, none, out);
  EXPECT_EQ(out.left, 0);
  win::ReleaseDC(main, dc);
  box_record_t* box = DEFINE_BOX(&main, nullptr, nullptr, 0, nullptr, nullptr, nullptr, nullptr,
                                 nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                                 nullptr, nullptr, nullptr, nullptr, nullptr, nullptr);
  const auto as_window = reinterpret_cast<win::HWND>(box);
  EXPECT_EQ(IS_WINDOW_VALID(main), -1);
  EXPECT_EQ(IS_WINDOW_VALID(as_window), -1);
  DESTROY_BOX(box, nullptr);
  EXPECT_EQ(IS_WINDOW_VALID(as_window), 0);
  EXPECT_EQ(IS_WINDOW_VALID(nullptr), 0);
}

}  // namespace
