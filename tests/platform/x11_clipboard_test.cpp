// The clipboard between the program and other programs on the test Xvfb
// (xclip plays the other program), and the caret on the display.
#include <cairo.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>

#include <cstring>
#include <string>
#include <vector>

#include "platform/cp1252.h"
#include "platform/win_clipboard.h"
#include "platform/win_controls.h"
#include "platform/win_last_error.h"
#include "platform/win_resources.h"
#include "support/test_support.h"
#include "x11_testing.h"

extern char** environ;

namespace {

using namespace win;
using x11test::X11Test;

class X11ClipboardTest : public X11Test {
 protected:
  void TearDown() override {
    stop_owner();
    X11Test::TearDown();
  }

  // Starts xclip with DISPLAY set to the test server; stdin from `in`,
  // stdout to `out` (either may be empty).
  pid_t xclip(std::vector<std::string> args, const std::string& in, const std::string& out) {
    args.insert(args.begin(), {"xclip", "-selection", "clipboard"});
    std::vector<char*> argv;
    for (std::string& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    std::vector<std::string> env_s{"DISPLAY=" + display_name};
    for (char** e = environ; *e != nullptr; ++e)
      if (std::strncmp(*e, "DISPLAY=", 8) != 0) env_s.push_back(*e);
    std::vector<char*> env;
    for (std::string& e : env_s) env.push_back(e.data());
    env.push_back(nullptr);
    posix_spawn_file_actions_t fa;
    posix_spawn_file_actions_init(&fa);
    posix_spawn_file_actions_addopen(&fa, 0, in.empty() ? "/dev/null" : in.c_str(), 0 /*O_RDONLY*/,
                                     0);
    if (!out.empty())
      posix_spawn_file_actions_addopen(&fa, 1, out.c_str(),
                                       01 | 0100 | 01000 /*WRONLY CREAT TRUNC*/, 0600);
    pid_t pid = 0;
    EXPECT_EQ(posix_spawnp(&pid, "xclip", &fa, nullptr, argv.data(), env.data()), 0);
    posix_spawn_file_actions_destroy(&fa);
    return pid;
  }

  // What xclip reads from the program's clipboard as `target`; the program
  // answers while xclip waits.
  std::string paste_elsewhere(const char* target) {
    const std::string out = dir.file("out");
    const pid_t pid = xclip({"-o", "-t", target}, "", out);
    int status = -1;
    pump_until([&] { return waitpid(pid, &status, WNOHANG) == pid; });
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << target;
    return testsupport::read_file(out);
  }

  // xclip takes the clipboard with `data` as `target` and keeps it.
  void copy_elsewhere(const std::string& data, const char* target) {
    stop_owner();
    const std::string in = dir.file("in");
    testsupport::write_file(in, data);
    const Atom clipboard = XInternAtom(dpy, "CLIPBOARD", False);
    const ::Window ours = XGetSelectionOwner(dpy, clipboard);  // before xclip can take it
    owner = xclip({"-i", "-quiet", "-t", target}, in, "");
    ASSERT_TRUE(pump_until([&] {
      owned = XGetSelectionOwner(dpy, clipboard);
      return owned != 0 && owned != ours;
    })) << "xclip did not take the clipboard";
  }
  void stop_owner() {
    if (owner <= 0) return;
    kill(owner, SIGTERM);
    waitpid(owner, nullptr, 0);
    owner = 0;
    // The server lets the clipboard go once it has seen xclip go; until
    // then the next xclip, whose window may get the same number, could not
    // be told from this one.
    const Atom clipboard = XInternAtom(dpy, "CLIPBOARD", False);
    EXPECT_TRUE(pump_until([&] { return XGetSelectionOwner(dpy, clipboard) != owned; }))
        << "the clipboard stayed with xclip after it ended";
    owned = 0;
  }

  static void copy(UINT format, const std::string& bytes) {
    ASSERT_TRUE(OpenClipboard(nullptr));
    EmptyClipboard();
    HGLOBAL g = GlobalAlloc(GMEM_MOVEABLE, bytes.size() + (format == CF_TEXT ? 1 : 0));
    std::memcpy(GlobalLock(g), bytes.c_str(), bytes.size() + (format == CF_TEXT ? 1 : 0));
    GlobalUnlock(g);
    SetClipboardData(format, g);
    CloseClipboard();
  }
  // The clipboard's block of a format as the program reads it; "<none>"
  // when there is none.
  static std::string paste(UINT format) {
    EXPECT_TRUE(OpenClipboard(nullptr));
    std::string out = "<none>";
    if (HGLOBAL g = GetClipboardData(format)) {
      const auto* p = static_cast<const char*>(GlobalLock(g));
      out.assign(p, format == CF_TEXT ? strnlen(p, GlobalSize(g)) : GlobalSize(g));
      GlobalUnlock(g);
    }
    CloseClipboard();
    return out;
  }

  testsupport::TempDir dir;
  pid_t owner = 0;     // the xclip that holds the clipboard
  ::Window owned = 0;  // its window that owns it
};

// A text of a megabyte in lines with accents and the euro sign.
std::string long_text(const char* line_end) {
  std::string s;
  for (int i = 0; i < 64'000; ++i)
    s += "Zeile " + std::to_string(i) + " gr\xFC\xDF\x65 \x80" + line_end;
  return s;
}

// Large texts compared without the diff of whole texts on failure.
::testing::AssertionResult same_text(const std::string& got, const std::string& want) {
  if (got == want) return ::testing::AssertionSuccess();
  std::size_t i = 0;
  while (i < got.size() && i < want.size() && got[i] == want[i]) ++i;
  return ::testing::AssertionFailure()
         << got.size() << " bytes instead of " << want.size() << ", first difference at " << i;
}

TEST_F(X11ClipboardTest, TextCopiedInTheProgramPastesElsewhereWithLfAndInEachEncoding) {
  copy(CF_TEXT, "Gr\xFC\xDF\x65 \x80\r\nzwei\r\n");
  EXPECT_EQ(paste_elsewhere("UTF8_STRING"), "Gr\xC3\xBC\xC3\x9F\x65 \xE2\x82\xAC\nzwei\n");
  EXPECT_EQ(paste_elsewhere("TEXT"), "Gr\xC3\xBC\xC3\x9F\x65 \xE2\x82\xAC\nzwei\n");
  EXPECT_EQ(paste_elsewhere("STRING"), "Gr\xFC\xDF\x65 ?\nzwei\n");
  // A megabyte goes in increments.
  copy(CF_TEXT, long_text("\r\n"));
  EXPECT_TRUE(same_text(paste_elsewhere("UTF8_STRING"), plat::utf8_from_1252(long_text("\n"))));
}

TEST_F(X11ClipboardTest, TextOfAnotherProgramPastesInTheProgramWithCrLf) {
  copy_elsewhere("Gr\xC3\xBC\xC3\x9F\x65 \xE2\x82\xAC \xE2\x88\x9A\nzwei\r\ndrei", "UTF8_STRING");
  EXPECT_TRUE(IsClipboardFormatAvailable(CF_TEXT));
  EXPECT_EQ(paste(CF_TEXT), "Gr\xFC\xDF\x65 \x80 ?\r\nzwei\r\ndrei");
  copy_elsewhere("Gr\xFC\xDF\x65\n", "STRING");
  EXPECT_EQ(paste(CF_TEXT), "Gr\xFC\xDF\x65\r\n");
  // A megabyte comes in increments.
  copy_elsewhere(plat::utf8_from_1252(long_text("\n")), "UTF8_STRING");
  EXPECT_TRUE(same_text(paste(CF_TEXT), long_text("\r\n")));
  // Copying in the program takes the clipboard back.
  copy(CF_TEXT, "mine");
  EXPECT_EQ(paste_elsewhere("UTF8_STRING"), "mine");
  EXPECT_EQ(paste(CF_TEXT), "mine");
}

TEST_F(X11ClipboardTest, BitmapsCrossAsBmpFilesBothWays) {
  // A 2 x 2 bitmap of 8 bits with a colour table of two entries.
  std::string dib(40, '\0');
  const unsigned char head[] = {40, 0, 0, 0, 2, 0, 0, 0, 2, 0, 0, 0, 1, 0, 8, 0};
  std::memcpy(dib.data(), head, sizeof head);
  dib[32] = 2;  // colours used
  dib += std::string("\0\0\0\0\xFF\xFF\xFF\0", 8) + std::string("\0\1\0\0\1\0\0\0", 8);
  copy(CF_DIB, dib);
  const std::string bmp = paste_elsewhere("image/bmp");
  ASSERT_EQ(bmp.size(), 14 + dib.size());
  EXPECT_EQ(bmp.substr(0, 2), "BM");
  EXPECT_EQ(static_cast<unsigned char>(bmp[10]), 14 + 40 + 8);  // offset of the pixels
  EXPECT_EQ(bmp.substr(14), dib);
  // Back, from a file whose pixels lie behind a gap.
  std::string gapped = bmp.substr(0, 14 + 48) + "gap!" + bmp.substr(14 + 48);
  gapped[10] = static_cast<char>(14 + 48 + 4);
  copy_elsewhere(gapped, "image/bmp");
  EXPECT_EQ(paste(CF_DIB), dib);
  EXPECT_EQ(paste(CF_TEXT), "<none>");
}

TEST_F(X11ClipboardTest, AnOwnerThatDoesNotAnswerFailsThePasteAfterTwoSeconds) {
  copy(CF_TEXT, "old");
  const ::Window mute = XCreateSimpleWindow(dpy, DefaultRootWindow(dpy), 0, 0, 1, 1, 0, 0, 0);
  XSetSelectionOwner(dpy, XInternAtom(dpy, "CLIPBOARD", False), mute, CurrentTime);
  XSync(dpy, False);
  const auto start = std::chrono::steady_clock::now();
  ASSERT_TRUE(OpenClipboard(nullptr));
  EXPECT_EQ(GetClipboardData(CF_TEXT), nullptr);
  EXPECT_EQ(GetLastError(), ERROR_TIMEOUT);
  CloseClipboard();
  const auto waited = std::chrono::steady_clock::now() - start;
  EXPECT_GE(waited, std::chrono::milliseconds(1900)) << "it gave up before its time";
  XDestroyWindow(dpy, mute);
  XSync(dpy, False);
}

TEST_F(X11ClipboardTest, TheCaretShowsInvertedOnTheDisplayAndInPictures) {
  HWND top = wintest::make_top(40, 40, 200, 120);
  settle();
  ASSERT_TRUE(CreateCaret(top, nullptr, 2, 16));
  SetCaretPos(30, 20);
  ShowCaret(top);
  settle();
  POINT client{0, 0};
  ClientToScreen(top, &client);
  int sx = 0, sy = 0;
  ::Window child;
  XTranslateCoordinates(dpy, xid(top), DefaultRootWindow(dpy), 0, 0, &sx, &sy, &child);
  auto pixel = [&](int cx, int cy) {
    XImage* img =
        XGetImage(dpy, xid(top), client.x - sx + cx, client.y - sy + cy, 1, 1, AllPlanes, ZPixmap);
    const unsigned long p = XGetPixel(img, 0, 0) & 0xFFFFFF;
    XDestroyImage(img);
    return p;
  };
  // The surface's colour (0x00BBGGRR) as the display's pixel (0xRRGGBB).
  auto shown = [&](int cx, int cy) {
    const unsigned long c = plat::window_pixel(top, cx, cy);
    return ((c & 0xFF) << 16) | (c & 0xFF00) | ((c >> 16) & 0xFF);
  };
  EXPECT_EQ(pixel(31, 25), 0xFFFFFFu - shown(31, 25));
  EXPECT_EQ(pixel(40, 25), shown(40, 25));
  // The window's picture shows it so too.
  const std::string png = dir.file("caret.png");
  ASSERT_TRUE(plat::write_window_png(top, png));
  cairo_surface_t* img = cairo_image_surface_create_from_png(png.c_str());
  auto at = [&](int x, int y) {
    const unsigned char* row =
        cairo_image_surface_get_data(img) + y * cairo_image_surface_get_stride(img);
    return reinterpret_cast<const std::uint32_t*>(row)[x] & 0xFFFFFF;
  };
  EXPECT_EQ(at(31, 25), 0xFFFFFFu - shown(31, 25));
  EXPECT_EQ(at(40, 25), shown(40, 25));
  cairo_surface_destroy(img);
  HideCaret(top);
  settle();
  EXPECT_EQ(pixel(31, 25), shown(31, 25));
}

}  // namespace
