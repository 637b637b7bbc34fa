// The editor on the test program's Xvfb, typed into as a user types: lines
// selected, deleted and undone one Ctrl+Z at a time (a line typed across
// the clock's tick among them), a selection that reaches the last line cut
// and brought back, a line longer than a line may be. The program runs in
// this thread while a user thread types each key when the program is ready
// for it and then looks at the window: the rows with text, the selected
// rows, the cursor's row. At the end the script is saved and run in the
// IDE: the file holds the text on screen, and the values the run writes are
// those of the windowless run of that text.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cctype>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "core/runwords.h"
#include "exec/headless_run.h"
#include "exec/windowlist.h"
#include "exec/xeq.h"
#include "ide/builtins_install.h"
#include "ide/fe_control.h"
#include "ide/fe_main.h"
#include "ide/idewords.h"
#include "ide/statusbar.h"
#include "ide/windowclose.h"
#include "platform/backend.h"
#include "platform/win_window.h"
#include "platform/win_window_tree.h"
#include "support/dialog_layout.h"
#include "support/display_user.h"
#include "support/test_support.h"
#include "support/xvfb_server.h"
#include "toolkit/entry.h"
#include "toolkit/loops.h"
// clang-format off
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>
// clang-format on

namespace {

namespace fs = std::filesystem;
using testsupport::DisplayUser;
using testsupport::read_file;
using testsupport::write_file;

// Colours of the editor's rows as the display shows them (0xRRGGBB).
constexpr std::uint32_t kSelected = 0x0000A0;     // selected lines
constexpr std::uint32_t kCursorCell = 0xFF0000;   // the cell under the cursor
constexpr std::uint32_t kRejected = 0xA0A0A0;     // a line the compiler refused, being typed
constexpr std::uint32_t kRejectedRow = 0xFFC0C0;  // ... and the other rows of such lines
constexpr std::uint32_t kKeyword = 0x0000FF;      // keywords and built-in names

// The example that greets, then the values it found written to a file.
std::string greeting() {
  std::string text;
  int n = 0;
  for (const char c : read_file(testsupport::source_dir() / "examples/hello.ost")) {
    if (c == '\n') {
      text += "\r\n";
      if (++n == 15) break;
    } else if (c != '\r') {
      text += c;
    }
  }
  return text +
         "CHARACTER F*8\r\nF = 'vars.txt'\r\nOPEN(FIle=F, RePLace)\r\nWRITE(FIle=F, CLoSe=1) N, "
         "VOWELS, I, C\r\n"
         "END\r\n";
}

// The file of values that the windowless run of the text writes.
std::string windowlessvalues(const std::string& text) {
  testsupport::TempDir dir;
  const fs::path folder = fs::current_path();
  fs::current_path(dir.path());
  exec::reset_interpreter();
  exec::run_script(text);
  fs::current_path(folder);
  return read_file(dir.path() / "vars.txt");
}

// A box of the program as its thread found it once it had opened: its
// title, its captions and what is wrong with its layout.
struct ShownBox {
  std::string title, texts, faults;
};
// With `readboxes`, each box that opens is read into `boxes`.
bool readboxes = false;
std::vector<ShownBox> boxes;
constexpr win::UINT readbox = 0x8000 + 0x79;
int boxreader(win::HWND& window, win::UINT& message, win::WPARAM& wparam, win::LPARAM& lparam,
              win::LRESULT& result) {
  if (message == win::WM_INITDIALOG) win::PostMessageA(window, readbox, 0, 0);
  if (message != readbox) return ide::DLGCALLBACK(window, message, wparam, lparam, result);
  char title[256] = {};
  win::GetWindowTextA(window, title, sizeof title);
  boxes.push_back({title, testsupport::dialog_texts(window),
                   testsupport::layout_faults(window) + testsupport::alignment_faults(window)});
  return -1;
}

// The clock's ticks the program has handled.
std::atomic<long> ticks{0};
int counting(int& code, win::HWND& window, win::WPARAM& wparam, win::LPARAM& lparam) {
  if (code == ide::kAppTimer) ++ticks;
  // (Closing a window puts the program's own dialog hook back.)
  if (readboxes) toolkit::SET_DIALOG_HOOK(boxreader);
  return ide::FE_CONTROL(code, window, wparam, lparam);
}

// A picture of a window, 0xRRGGBB per pixel.
struct Picture {
  int width = 0, height = 0;
  std::vector<std::uint32_t> px;
  std::uint32_t at(int x, int y) const {
    return x < 0 || y < 0 || x >= width || y >= height
               ? 0xFFFFFFFF
               : px[static_cast<std::size_t>(y) * static_cast<std::size_t>(width) +
                    static_cast<std::size_t>(x)];
  }
};

// The user at the display: types keys when the program is ready for them,
// and looks at the editor's rows.
class User {
 public:
  // With `focus`, the editor is given the focus and waits for keys.
  User(const std::string& display, const std::string& title, bool focus = true) : u_(display) {
    w_ = u_.window(title);
    if (focus) u_.focus(w_);
  }
  DisplayUser& user() { return u_; }
  Window window() const { return w_; }

  void key(std::initializer_list<KeySym> held, KeySym k) { u_.key(w_, held, k); }
  void keys(std::initializer_list<KeySym> held, KeySym k, int times) {
    for (int i = 0; i < times; ++i) key(held, k);
  }
  // Types letters, digits, blanks and "=+()", ",.'*>".
  void type(const std::string& text) {
    for (const DisplayUser::Stroke& k : strokes(text)) {
      if (k.held.empty())
        u_.key(w_, {}, k.key);
      else
        u_.key(w_, {XK_Shift_L}, k.key);
    }
  }
  // The keys that type the text.
  static std::vector<DisplayUser::Stroke> strokes(const std::string& text) {
    std::vector<DisplayUser::Stroke> out;
    for (const char c : text) {
      if (c == ' ') {
        out.push_back({{}, XK_space});
      } else if (c == '=') {
        out.push_back({{}, XK_equal});
      } else if (c == '+') {
        out.push_back({{XK_Shift_L}, XK_equal});
      } else if (c == '(' || c == ')') {
        out.push_back({{XK_Shift_L}, static_cast<KeySym>(c == '(' ? XK_9 : XK_0)});
      } else if (c == ',' || c == '.' || c == '\'') {
        out.push_back({{},
                       static_cast<KeySym>(c == ','   ? XK_comma
                                           : c == '.' ? XK_period
                                                      : XK_apostrophe)});
      } else if (c == '*' || c == '>') {
        out.push_back({{XK_Shift_L}, static_cast<KeySym>(c == '*' ? XK_8 : XK_period)});
      } else {
        out.push_back({{}, static_cast<KeySym>(std::tolower(static_cast<unsigned char>(c)))});
      }
    }
    return out;
  }

  // The picture of the editor, or of another window of the program.
  Picture picture(Window other = 0) {
    Picture p;
    XWindowAttributes a;
    Display* dpy = u_.display();
    const Window w = other != 0 ? other : w_;
    if (!XGetWindowAttributes(dpy, w, &a)) return p;
    XImage* img = XGetImage(dpy, w, 0, 0, static_cast<unsigned>(a.width),
                            static_cast<unsigned>(a.height), AllPlanes, ZPixmap);
    if (img == nullptr) return p;
    p.width = a.width;
    p.height = a.height;
    p.px.resize(static_cast<std::size_t>(a.width) * static_cast<std::size_t>(a.height));
    for (int y = 0; y < a.height; ++y)
      for (int x = 0; x < a.width; ++x)
        p.px[static_cast<std::size_t>(y) * static_cast<std::size_t>(a.width) +
             static_cast<std::size_t>(x)] =
            static_cast<std::uint32_t>(XGetPixel(img, x, y)) & 0xFFFFFF;
    XDestroyImage(img);
    return p;
  }

  // The editor's rows, learnt from the cursor cell on a known view row (its
  // height is a row's, its top the row's top), once no other window of the
  // program (the compile's progress window, a box) stands over them.
  void learnrows(int row, const std::string& besides = "") {
    u_.alone(w_, "the editor's window alone, to learn its rows", besides);
    const Picture p = picture();
    for (int x = 0; x < p.width / 2; ++x)
      for (int y = 0; y < p.height; ++y) {
        if (p.at(x, y) != kCursorCell || p.at(x + 1, y) != kCursorCell) continue;
        int h = 0;
        while (p.at(x, y + h) == kCursorCell) ++h;
        if (h < 8) continue;
        rowheight_ = h;
        firsty_ = y - (row - 1) * h;
        return;
      }
    DisplayUser::abandon("found no cursor cell in the editor's picture");
  }
  // The background of view row r (far right of the text).
  std::uint32_t rowcolour(const Picture& p, int r) const {
    return p.at(p.width * 4 / 5, firsty_ + (r - 1) * rowheight_ + rowheight_ / 2);
  }
  // The view row that holds the cursor cell (0: none).
  int cursorrow(const Picture& p) const {
    for (int r = 1; firsty_ + r * rowheight_ <= p.height; ++r) {
      const int y = firsty_ + (r - 1) * rowheight_ + 1;
      for (int x = 0; x < p.width / 2; ++x)
        if (p.at(x, y) == kCursorCell && p.at(x, y + rowheight_ - 3) == kCursorCell) return r;
    }
    return 0;
  }
  // Rows showing text (a pixel of their left half not in their background),
  // above the status bar.
  int textrows(const Picture& p) const {
    int n = 0;
    for (int r = 1; firsty_ + r * rowheight_ <= p.height - 40; ++r) {
      const std::uint32_t bg = rowcolour(p, r);
      bool ink = false;
      for (int y = firsty_ + (r - 1) * rowheight_; y < firsty_ + r * rowheight_ && !ink; ++y)
        for (int x = 2; x < p.width / 2 && !ink; ++x) ink = p.at(x, y) != bg;
      n += ink;
    }
    return n;
  }
  // Whether view row r shows the colour as its background: most of its
  // pixels left of the scroll bar have it (its text is drawn on it).
  bool rowshows(const Picture& p, int r, std::uint32_t colour) const {
    long same = 0, all = 0;
    for (int y = rowtop(r); y < rowtop(r) + rowheight_; ++y)
      for (int x = 0; x < p.width * 9 / 10; ++x, ++all) same += p.at(x, y) == colour;
    return all > 0 && 2 * same > all;
  }
  int rowsof(const Picture& p, std::uint32_t colour) const {
    int n = 0;
    for (int r = 1; firsty_ + r * rowheight_ <= p.height - 40; ++r) n += rowcolour(p, r) == colour;
    return n;
  }
  int textrows() { return textrows(picture()); }
  // The top of view row r.
  int rowtop(int r) const { return firsty_ + (r - 1) * rowheight_; }
  int cursorrow() { return cursorrow(picture()); }

  // Waits until the program has handled a tick of its clock after now.
  void tick() {
    const long before = ticks;
    const auto end =
        std::chrono::steady_clock::now() + std::chrono::seconds(testsupport::kDisplayWaitSeconds);
    while (ticks == before) {
      if (std::chrono::steady_clock::now() > end)
        DisplayUser::abandon("waited in vain for a tick of the program's clock");
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    u_.ready(w_);
  }

  // A message box comes and Return takes its first button; with `then`,
  // the editor waits for keys again afterwards.
  // Answers the question or message that comes with Return; gives its title.
  std::string answer(const std::string& what, bool then = true) {
    const std::string main = u_.title(w_);
    // The compile's progress window may stand beside the question.
    const Window box =
        u_.window([&](const std::string& t) { return t != main && t != "Compiling"; }, what);
    u_.ready(box, false);
    // The title is read while the box stands: after Return it may be gone.
    const std::string title = u_.title(box);
    u_.key(w_, {}, XK_Return, false);
    u_.gone(box, what + " to go after Return");
    if (then) u_.ready(w_);
    return title;
  }
  // Ctrl+S and "Save the changes?" answered Yes.
  void save() {
    u_.key(w_, {XK_Control_L}, XK_s, false);
    answer("the question whether to save the changes");
  }
  // Run from the first line (the run writes its values), then Alt+F4 with
  // nothing left unsaved.
  void runandclose() {
    key({XK_Control_L}, XK_Home);
    key({XK_Alt_L}, XK_r);
    u_.key(w_, {XK_Alt_L}, XK_F4, false);
    u_.gone(w_, "the main window to go after Alt+F4");
  }

 private:
  DisplayUser u_;
  Window w_ = 0;
  int firsty_ = 0;
  int rowheight_ = 1;
};

class EditorDisplayTest : public ::testing::Test {
 protected:
  void SetUp() override {
    XInitThreads();  // the user has a connection of its own
    std::string why;
    display = testsupport::xvfb_display(&why);
    ASSERT_FALSE(display.empty()) << why;
    script = dir.file("s.ost");
    title = "s.ost (" + dir.path().string() + "/)";
  }

  // Ctrl+F on the opened script with the cursor on line 1, `text` typed
  // into the Find box at `pace` ms a key and Enter: the cursor's row after
  // the search (the run's status is checked too).
  int findrow(const std::string& text, int pace);

  // The IDE on the script, in the script's folder, while `user` plays the
  // user; what it wrote on standard error in `err`.
  int program(const std::function<void()>& user) {
    testsupport::HomeFolders home;
    const fs::path folder = fs::current_path();
    fs::current_path(dir.path());
    exec::reset_all();  // as in a process of its own
    ticks = 0;
    const std::string errfile = dir.file("ide.err");
    std::fflush(stderr);
    const int saved = dup(2);
    std::FILE* caught = std::fopen(errfile.c_str(), "w");
    dup2(fileno(caught), 2);
    int status = -1;
    if (plat::use_display(display.c_str()).empty()) {
      ide::reset_ide();
      ide::install_all_builtins();
      ide::install_application();
      toolkit::application.FE_CONTROL = counting;
      std::thread t(user);
      toolkit::WinMain(toolkit::GET_MODULE_HANDLE(), nullptr, ("\"" + script + "\"").c_str(),
                       win::SW_SHOWNORMAL);
      plat::close_display();
      win::detail::reset_clipboard();
      plat::reset_windows();  // a message box's icon, kept drawn until now
      status = ide::exitstatus;
      t.join();
    }
    std::fflush(stderr);
    dup2(saved, 2);
    close(saved);
    std::fclose(caught);
    err = read_file(errfile);
    fs::current_path(folder);
    return status;
  }

  testsupport::TempDir dir;
  std::string display, script, title, err;
};

// Line 6 is changed by typing across a tick of the clock and left; on
// line 12, Shift+Down four times and Delete take four lines. Four Ctrl+Z
// bring one line each, the fifth takes the typing back: the script is the
// text it was (nothing to save), and runs in the IDE as it runs without a
// window.
TEST_F(EditorDisplayTest, DeletedAndTypedLinesUndoneOneActionAtATime) {
  const std::string original = greeting();
  write_file(script, original);
  std::vector<int> rows;
  int typedrow = 0;
  const int status = program([&] {
    User u(display, title);
    u.learnrows(1);
    rows.push_back(u.textrows());
    u.keys({}, XK_Down, 5);
    u.key({}, XK_End);
    u.type(" ");
    u.tick();
    u.type("+ 1");
    u.key({}, XK_Down);
    typedrow = u.cursorrow();
    u.keys({}, XK_Down, 5);
    u.keys({XK_Shift_L}, XK_Down, 4);
    u.key({}, XK_Delete);
    rows.push_back(u.textrows());
    for (int k = 0; k < 4; ++k) {
      u.key({XK_Control_L}, XK_z);
      rows.push_back(u.textrows());
    }
    u.key({XK_Control_L}, XK_z);
    u.runandclose();
  });
  EXPECT_EQ(status, 0) << err;
  EXPECT_EQ(typedrow, 7);
  EXPECT_EQ(rows, (std::vector<int>{20, 16, 17, 18, 19, 20}));
  EXPECT_EQ(read_file(script), original);
  EXPECT_EQ(read_file(dir.path() / "vars.txt"), windowlessvalues(original));
}

// From line 18 of 20, three Shift+Down: the rows drawn selected are the
// lines Ctrl+X takes, END among them; Ctrl+V puts them back below the
// cursor line. Then a line cut alone and Ctrl+Z. Saved, the script is the
// text it was, and runs in the IDE as without a window.
TEST_F(EditorDisplayTest, ASelectionToTheLastLineIsCutAsDrawnAndPastedBack) {
  const std::string original = greeting();
  write_file(script, original);
  int selected = 0;
  std::vector<int> rows;
  const int status = program([&] {
    User u(display, title);
    u.learnrows(1);
    u.keys({}, XK_Down, 17);
    u.keys({XK_Shift_L}, XK_Down, 3);
    selected = u.rowsof(u.picture(), kSelected);
    u.key({XK_Control_L}, XK_x);
    rows.push_back(u.textrows());
    u.key({XK_Control_L}, XK_v);
    rows.push_back(u.textrows());
    u.key({}, XK_Up);
    u.key({XK_Control_L}, XK_x);
    rows.push_back(u.textrows());
    u.key({XK_Control_L}, XK_z);
    rows.push_back(u.textrows());
    u.save();
    u.runandclose();
  });
  EXPECT_EQ(status, 0) << err;
  EXPECT_EQ(selected, 3);
  EXPECT_EQ(rows, (std::vector<int>{17, 20, 19, 20}));
  EXPECT_EQ(read_file(script), original);
  EXPECT_EQ(read_file(dir.path() / "vars.txt"), windowlessvalues(original));
}

// A statement of 285 characters opens whole on one row, refused by the
// compiler, and the editor starts on it (after the list of failed lines);
// another line changed, the script
// is saved with the long line unchanged, and Run tells the line's length.
TEST_F(EditorDisplayTest, ALongLineOpensWholeAndIsSavedUnchanged) {
  std::string sum = "X = ";
  for (int k = 0; k < 70; ++k) sum += "1 + ";
  sum += "1";
  const std::string original = "N = 1\r\n" + sum + "\r\nM = 2\r\nEND\r\n";
  write_file(script, original);
  std::uint32_t longrow = 0, left = 0;
  int rows = 0;
  std::string lengthtitle;
  const int status = program([&] {
    User u(display, title, false);
    u.answer("the list of failed lines after the opening compile");
    u.user().focus(u.window());
    u.learnrows(2);
    const Picture opened = u.picture();
    longrow = u.rowcolour(opened, 2);
    rows = u.textrows(opened);
    u.key({}, XK_Down);
    left = u.rowcolour(u.picture(), 2);
    u.key({}, XK_End);
    u.type(" + 2");
    u.key({}, XK_Down);
    u.save();
    u.user().key(u.window(), {XK_Alt_L}, XK_r, false);
    lengthtitle = u.answer("the message of the line's length", false);
    u.answer("the list of failed lines");
    u.user().key(u.window(), {XK_Alt_L}, XK_F4, false);
    u.user().gone(u.window(), "the main window to go after Alt+F4");
  });
  EXPECT_EQ(status, 0) << err;
  EXPECT_EQ(longrow, kRejected);
  EXPECT_EQ(left, kRejectedRow);
  EXPECT_EQ(rows, 4);
  std::string expected = original;
  expected.replace(expected.find("M = 2"), 5, "M = 2 + 2");
  EXPECT_EQ(read_file(script), expected);
  EXPECT_EQ(lengthtitle, "Compile error");
}

// The whole script selected with Shift+Down past its end and deleted (the
// first line stays), then Ctrl+Z until it is whole again: every row comes
// back in its colours, nothing is left to save, and the IDE's run gives
// what the windowless run gives.
TEST_F(EditorDisplayTest, AWholeScriptDeletedAndUndoneRunsWhole) {
  const std::string original = greeting();
  write_file(script, original);
  int selected = 0, left = 0;
  std::vector<int> rows;
  std::uint32_t keyword = 0;
  const int status = program([&] {
    User u(display, title);
    u.learnrows(1);
    u.keys({XK_Shift_L}, XK_Down, 24);
    selected = u.rowsof(u.picture(), kSelected);
    u.key({}, XK_Delete);
    left = u.textrows();
    u.keys({XK_Control_L}, XK_z, 21);
    const Picture p = u.picture();
    rows.push_back(u.textrows(p));
    // "DO" on row 7 is drawn in the keywords' colour.
    keyword = p.at(3, u.rowtop(7) + 5);
    for (int x = 0; x < 16 && keyword != kKeyword; ++x)
      for (int y = 0; y < 12 && keyword != kKeyword; ++y) keyword = p.at(x, u.rowtop(7) + y);
    u.runandclose();
  });
  EXPECT_EQ(status, 0) << err;
  EXPECT_EQ(selected, 20);
  EXPECT_EQ(left, 1);
  EXPECT_EQ(rows, std::vector<int>{20});
  EXPECT_EQ(keyword, kKeyword) << "the rows undone are drawn without their colours";
  EXPECT_EQ(read_file(script), original);
  EXPECT_EQ(read_file(dir.path() / "vars.txt"), windowlessvalues(original));
}

// A new line typed on line 12, undone with one Ctrl+Z and redone with one
// Ctrl+Y: it is back as typed, and the IDE runs the saved text as the
// windowless run does.
TEST_F(EditorDisplayTest, ANewLineUndoneAndRedoneComesBackWithOneRedo) {
  const std::string original = greeting();
  write_file(script, original);
  std::vector<int> rows;
  const int status = program([&] {
    User u(display, title);
    u.learnrows(1);
    u.keys({}, XK_Down, 11);
    u.key({XK_Alt_L}, XK_i);
    u.type("  IF (C == 111) VOWELS = VOWELS + 10");
    u.key({}, XK_Down);
    rows.push_back(u.textrows());
    u.key({XK_Control_L}, XK_z);
    rows.push_back(u.textrows());
    u.key({XK_Control_L}, XK_y);
    rows.push_back(u.textrows());
    u.save();
    u.runandclose();
  });
  EXPECT_EQ(status, 0) << err;
  EXPECT_EQ(rows, (std::vector<int>{21, 20, 21}));
  const std::string saved = read_file(script);
  EXPECT_NE(
      saved.find("  if (c == 111) vowels = vowels + 10\r\n  IF (C == 105) VOWELS = VOWELS + 1\r\n"),
      std::string::npos)
      << saved;
  EXPECT_EQ(read_file(dir.path() / "vars.txt"), windowlessvalues(saved));
}

// From line 16 of 20, Shift+Down four times puts the cursor on END: the
// rows drawn selected after each key are the lines selected, and Delete
// takes exactly those drawn.
TEST_F(EditorDisplayTest, TheRowsDrawnSelectedAreTheLinesDeleted) {
  const std::string original = greeting();
  write_file(script, original);
  std::vector<int> selected;
  int left = 0;
  const int status = program([&] {
    User u(display, title);
    u.learnrows(1);
    u.keys({}, XK_Down, 15);
    for (int k = 0; k < 4; ++k) {
      u.key({XK_Shift_L}, XK_Down);
      selected.push_back(u.rowsof(u.picture(), kSelected));
    }
    u.key({}, XK_Delete);
    left = u.textrows();
    u.save();
    u.user().key(u.window(), {XK_Alt_L}, XK_F4, false);
    u.user().gone(u.window(), "the main window to go after Alt+F4");
  });
  EXPECT_EQ(status, 0) << err;
  EXPECT_EQ(selected, (std::vector<int>{1, 2, 3, 4}));
  EXPECT_EQ(left, 16);
  std::string expected = original;
  expected.erase(expected.find("CHARACTER F*8"),
                 expected.find("END\r\n", expected.find("WRITE")) - expected.find("CHARACTER F*8"));
  EXPECT_EQ(read_file(script), expected);
}

}  // namespace

namespace {

// The lines of a text with CR LF ends.
std::vector<std::string> linesof(const std::string& text) {
  std::vector<std::string> out;
  for (std::size_t at = 0; at < text.size();) {
    const std::size_t end = text.find("\r\n", at);
    out.push_back(text.substr(at, end == std::string::npos ? std::string::npos : end - at));
    at = end == std::string::npos ? text.size() : end + 2;
  }
  return out;
}

// The line numbers that a cut took from `before` to leave `after`: one run
// of lines, all of them when no text is left.
std::vector<int> linescut(const std::vector<std::string>& before, std::vector<std::string> after) {
  if (after.size() == 1 && after[0].empty()) after.clear();
  std::size_t head = 0, tail = 0;
  while (head < after.size() && after[head] == before[head]) ++head;
  while (tail + head < after.size() &&
         after[after.size() - 1 - tail] == before[before.size() - 1 - tail])
    ++tail;
  std::vector<int> out;
  for (std::size_t l = head; l + tail < before.size(); ++l) out.push_back(static_cast<int>(l) + 1);
  return out;
}

// The example script as it is shipped: sixteen lines.
std::string hello() {
  std::string text;
  for (const char c : read_file(testsupport::source_dir() / "examples/hello.ost")) {
    if (c == '\n') text += '\r';
    if (c != '\r') text += c;
  }
  return text;
}

// Keys typed at a person's pace, milliseconds apart.
int EditorDisplayTest::findrow(const std::string& text, int pace) {
  int row = 0;
  const int status = program([&] {
    User u(display, title);
    u.learnrows(1);
    u.user().key(u.window(), {XK_Control_L}, XK_f, false);
    const Window find = u.user().window("Find");
    u.user().ready(find, false);
    std::vector<DisplayUser::Stroke> keys = User::strokes(text);
    keys.push_back({{}, XK_Return});
    u.user().type(u.window(), keys, pace);
    u.user().gone(find, "the Find box to go after Enter");
    row = u.cursorrow();
    u.user().key(u.window(), {XK_Alt_L}, XK_F4, false);
    u.user().gone(u.window(), "the main window to go after Alt+F4");
  });
  EXPECT_EQ(status, 0) << err;
  return row;
}

class SelectionAtAPace : public EditorDisplayTest, public ::testing::WithParamInterface<int> {};

// From a line, Shift+Down until the selection reaches the last line (or
// stops above it), typed as a person types without waiting for the
// program: the rows the display shows selected (most of each row in the
// selection's colour) are the lines that Delete or Ctrl+X then takes, or
// that Ctrl+C copies (pasted back below the cursor line). From the first line
// past the end, the whole text goes and one empty line stays.
TEST_P(SelectionAtAPace, TheRowsShownSelectedToTheLastLineAreTheLinesCut) {
  const std::string original = hello();
  const std::vector<std::string> before = linesof(original);
  ASSERT_EQ(before.size(), 16u);
  struct Case {
    int line, presses;
    KeySym modifier, cut;
  };
  for (const Case c :
       {Case{12, 4, 0, XK_Delete}, Case{14, 3, XK_Control_L, XK_x}, Case{1, 17, 0, XK_Delete},
        Case{13, 2, XK_Control_L, XK_x}, Case{3, 4, XK_Control_L, XK_c}}) {
    SCOPED_TRACE("line " + std::to_string(c.line) + ", Shift+Down " + std::to_string(c.presses) +
                 " times at " + std::to_string(GetParam()) + " ms");
    write_file(script, original);
    std::vector<int> shown;
    const int status = program([&] {
      User u(display, title);
      u.learnrows(1);
      std::vector<DisplayUser::Stroke> strokes;
      for (int k = 1; k < c.line; ++k) strokes.push_back({{}, XK_Down});
      for (int k = 0; k < c.presses; ++k) strokes.push_back({{XK_Shift_L}, XK_Down});
      u.user().type(u.window(), strokes, GetParam());
      const Picture p = u.picture();
      testsupport::screenshot(
          u.user().display(), u.window(),
          "selection_" + std::to_string(c.line) + "_" + std::to_string(GetParam()), 0);
      for (int r = 1; r <= 16; ++r)
        if (u.rowshows(p, r, kSelected)) shown.push_back(r);
      if (c.modifier != 0)
        u.key({c.modifier}, c.cut);
      else
        u.key({}, c.cut);
      if (c.cut == XK_c) u.key({XK_Control_L}, XK_v);
      u.save();
      u.user().key(u.window(), {XK_Alt_L}, XK_F4, false);
      u.user().gone(u.window(), "the main window to go after Alt+F4");
    });
    EXPECT_EQ(status, 0) << err;
    const std::vector<std::string> after = linesof(read_file(script));
    if (c.cut == XK_c) {
      // The lines pasted are those shown selected.
      std::vector<std::string> copied, selected;
      for (const int l : linescut(after, before)) copied.push_back(after[l - 1]);
      for (const int l : shown) selected.push_back(before[l - 1]);
      EXPECT_EQ(copied, selected) << read_file(script);
    } else {
      EXPECT_EQ(shown, linescut(before, after)) << read_file(script);
    }
    if (c.line == 1) {
      EXPECT_LE(after.size(), 1u) << read_file(script);
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Paces, SelectionAtAPace, ::testing::Values(50, 250));

}  // namespace

namespace {

// Typing a script top down, each line run as a step by its Enter: a step
// that fails (a GOTO to a label not typed yet, the flow coming to a
// FUNCTION line) still opens the new line, and the next line typed goes
// there. The flow's coming to the FUNCTION line is told as such.
TEST_P(SelectionAtAPace, EnterAfterAFailedStepOpensTheNewLine) {
  write_file(script, "X = 1\r\nEND\r\n");
  std::string reached;  // the key of the message when the flow came to the FUNCTION line
  const auto line = [](const std::string& text) {
    std::vector<DisplayUser::Stroke> k = User::strokes(text);
    k.push_back({{}, XK_Return});
    return k;
  };
  const int status = program([&] {
    User u(display, title);
    u.user().type(u.window(), {{{}, XK_End}, {{}, XK_Return}}, GetParam());
    u.user().type(u.window(), line("GOTO 100"), GetParam(), false);
    u.answer("the message of the missing label");
    u.user().type(u.window(), line("100 CONTINUE"), GetParam());
    u.user().type(u.window(), line("FUNCTION SQ(X)"), GetParam(), false);
    u.answer("the message of the FUNCTION line reached");
    reached = std::string(core::msgkey.trimmed());
    u.user().type(u.window(), User::strokes("SQ = X + X"), GetParam());
    u.key({}, XK_Down);
    u.save();
    u.user().key(u.window(), {XK_Alt_L}, XK_F4, false);
    u.user().gone(u.window(), "the main window to go after Alt+F4");
  });
  EXPECT_EQ(status, 0) << err;
  EXPECT_EQ(read_file(script),
            "X = 1\r\ngoto 100\r\n100 continue\r\nfunction sq(x)\r\nsq = x + x\r\nEND\r\n");
  EXPECT_EQ(reached, exec::reachedsubkey);
}

}  // namespace

namespace {

// A box closed by a key while the window manager is slow to move the
// focus (held still here), the mouse over no window of the program: the
// next key typed reaches the editor, as the box hands the focus on to it
// when it goes; it is neither lost nor sent to what lies under the mouse.
TEST_F(EditorDisplayTest, AKeyTypedAsABoxGoesReachesTheEditorBeforeTheWindowManagerActs) {
  write_file(script, "X = 1\r\nEND\r\n");
  const int status = program([&] {
    User u(display, title);
    u.key({}, XK_End);
    u.user().key(u.window(), {XK_Control_L}, XK_f, false);
    const Window find = u.user().window("Find");
    u.user().ready(find, false);
    // The mouse to a corner of the screen that the editor leaves free.
    Display* dpy = u.user().display();
    XWindowAttributes a;
    int x = 0, y = 0;
    Window child;
    if (!XGetWindowAttributes(dpy, u.window(), &a) ||
        !XTranslateCoordinates(dpy, u.window(), DefaultRootWindow(dpy), 0, 0, &x, &y, &child))
      DisplayUser::abandon("found no place of the editor on the screen");
    const int sw = DisplayWidth(dpy, DefaultScreen(dpy)),
              sh = DisplayHeight(dpy, DefaultScreen(dpy));
    const int px = x > 20 ? 2 : sw - 3, py = y > 20 ? 2 : sh - 3;
    if (px >= x - 10 && px < x + a.width + 10 && py >= y - 10 && py < y + a.height + 10)
      DisplayUser::abandon("found no corner of the screen outside the editor");
    XTestFakeMotionEvent(dpy, DefaultScreen(dpy), px, py, CurrentTime);
    XSync(dpy, False);
    {
      testsupport::WindowManagerHeld held;
      u.user().key(find, {}, XK_Escape, false);
      u.user().gone(find, "the Find box to go after Escape");
      u.key({}, XK_2);
      testsupport::screenshot(dpy, u.window(), "key_as_box_goes", 0);
    }
    u.save();
    u.user().key(u.window(), {XK_Alt_L}, XK_F4, false);
    u.user().gone(u.window(), "the main window to go after Alt+F4");
  });
  EXPECT_EQ(status, 0) << err;
  EXPECT_EQ(read_file(script), "X = 12\r\nEND\r\n");
}

// The Find box: the text typed and Enter, as in every dialog, press its
// default button: the search runs and the cursor goes to the match.
TEST_P(SelectionAtAPace, EnterInTheFindBoxSearches) {
  write_file(script, hello());
  EXPECT_EQ(findrow("ICHAR", GetParam()), 8);
}

}  // namespace

namespace {

// Edit field `n` (from 0, in the order of their ids) of the program's
// newest window.
win::HWND field(int n) {
  const win::HWND d = exec::wdwtail != nullptr ? exec::wdwtail->window : nullptr;
  std::vector<win::HWND> fields;
  for (win::HWND c = win::GetWindow(d, win::GW_CHILD); c != nullptr;
       c = win::GetWindow(c, win::GW_HWNDNEXT)) {
    char cls[16] = {};
    win::GetClassNameA(c, cls, sizeof cls);
    if (std::string(cls) == "Edit") fields.push_back(c);
  }
  std::sort(fields.begin(), fields.end(),
            [](win::HWND a, win::HWND b) { return win::GetDlgCtrlID(a) < win::GetDlgCtrlID(b); });
  if (static_cast<std::size_t>(n) >= fields.size())
    DisplayUser::abandon("found no edit field " + std::to_string(n) + " in the dialog");
  return fields[static_cast<std::size_t>(n)];
}

// A dialog's fields typed into as a user types: the field the dialog gives
// the focus when it starts, by default or by FocuS, and a field Tab or
// Shift+Tab enters have their text selected, so the digit typed replaces
// the value shown; a click places the caret and selects nothing, so the
// digit goes in beside the value.
TEST_F(EditorDisplayTest, ADigitTypedReplacesTheValueAFieldShowsUnlessTheFieldWasClicked) {
  write_file(script,
             "A = 1\r\nB = 2\r\nK = DLG(Text='value', Edit=A)\r\nA1 = A\r\n"
             "L = DLG(Text='one', Edit=A, Text='two', Edit=B, FocuS)\r\n"
             "CHARACTER F*8\r\nF = 'vars.txt'\r\nOPEN(FIle=F, RePLace)\r\n"
             "WRITE(FIle=F, CLoSe=1) A1, A, B\r\nEND\r\n");
  const int status = program([&] {
    User u(display, title);
    DisplayUser& d = u.user();
    const std::string main = d.title(u.window());
    const auto dialog = [&](Window except) {
      const Window w = d.window([&](const std::string& t) { return t != main && t != "Compiling"; },
                                "a DLG dialog", except);
      d.ready(w, false);
      return w;
    };
    const auto press = [&](Window w, std::initializer_list<KeySym> held, KeySym k) {
      d.key(w, held, k, false);
      d.ready(w, false);
    };
    d.key(u.window(), {XK_Alt_L}, XK_r, false);
    const Window first = dialog(0);
    press(first, {}, XK_5);
    d.key(first, {}, XK_Return, false);
    d.gone(first, "the first dialog to go after Enter");
    const Window second = dialog(first);
    press(second, {}, XK_7);              // B, focused by FocuS: 7
    press(second, {XK_Shift_L}, XK_Tab);  // A
    press(second, {}, XK_8);              // 8
    press(second, {}, XK_Tab);            // B
    press(second, {}, XK_6);              // 6
    win::RECT r{};
    win::GetWindowRect(field(0), &r);  // A, right of its text
    d.click(DefaultRootWindow(d.display()), r.right - 3, (r.top + r.bottom) / 2);
    d.ready(second, false);
    testsupport::screenshot(d.display(), second, "dialog_clicked", 0);
    press(second, {}, XK_3);  // 83
    d.key(second, {}, XK_Return, false);
    d.gone(second, "the second dialog to go after Enter");
    d.ready(u.window());
    d.key(u.window(), {XK_Alt_L}, XK_F4, false);
    d.gone(u.window(), "the main window to go after Alt+F4");
  });
  EXPECT_EQ(status, 0) << err;
  EXPECT_EQ(read_file(dir.path() / "vars.txt"), "5 83 6\r\n");
}

// Ctrl+F with the cursor on a word: the Find box shows the word selected,
// so the text typed replaces it and is what is searched for.
TEST_F(EditorDisplayTest, TheFindBoxReplacesTheWordItShowsWithTheTextTyped) {
  write_file(script, "PEAK = 1\r\nN = 1\r\nIF (PEAK > 5) THEN\r\nN = 2\r\nENDIF\r\nEND\r\n");
  EXPECT_EQ(findrow("ENDIF", 50), 5);
}

}  // namespace

namespace {

// A script with a refused line opens: while the box of its compile errors
// stands, the editor shows the script's rows (the refused one in its
// colours) and no window of the compile stands behind the box.
TEST_F(EditorDisplayTest, TheCompileErrorsBoxStandsBeforeTheScriptsRows) {
  write_file(script, "N = 1\r\nX = = 2\r\nM = 3\r\nEND\r\n");
  double refused = 0;
  std::vector<std::string> titles;
  const int status = program([&] {
    User u(display, title, false);
    const Window box = u.user().window("Compile errors");
    u.user().ready(box, false);
    titles = u.user().titles();
    refused =
        testsupport::screenshot(u.user().display(), u.window(), "compile_errors", kRejectedRow);
    u.answer("the box of the compile errors");
    u.user().key(u.window(), {XK_Alt_L}, XK_F4, false);
    u.user().gone(u.window(), "the main window to go after Alt+F4");
  });
  EXPECT_EQ(status, 0) << err;
  EXPECT_GT(refused, 0.0) << "the editor is blank behind the box";
  for (const std::string& t : titles) EXPECT_EQ(t.find("Compiling"), std::string::npos) << t;
}

}  // namespace

namespace {

bool shows(const std::vector<std::string>& titles, const std::string& title) {
  return std::find(titles.begin(), titles.end(), title) != titles.end();
}

// After the F1 box of a text variable, the Quicky field opens empty: Enter
// there evaluates nothing, and the box stays as it was. After a run the
// typing assistant's tooltip tells a variable's value; a run (Alt+R) or a
// statement evaluated in the Quicky box may change it, and the tooltip goes.
TEST_F(EditorDisplayTest, NoValueOrTextOfAnEarlierBoxOutlivesIt) {
  write_file(script, hello());
  bool afterrun = true, afterquicky = true;
  std::string quicky;
  const int status = program([&] {
    User u(display, title);
    // The window after Enter in the Quicky box: the box again, showing the
    // result or not.
    const auto again = [&](Window before) {
      const Window box =
          u.user().window([&](const std::string& t) { return t != title && t != "tooltip"; },
                          "the window after Enter in the Quicky box", before);
      u.user().ready(box, false);
      return box;
    };
    const auto close = [&](Window box) {
      u.user().key(box, {}, XK_Escape, false);
      u.user().gone(box, "the box to go after Escape");
      u.user().ready(u.window());
    };
    u.key({XK_Alt_L}, XK_r);
    // F1 on WHO, a text variable: its box, closed; then the Quicky box.
    u.key({XK_Control_L}, XK_Home);
    u.keys({}, XK_Down, 2);
    u.user().key(u.window(), {}, XK_F1, false);
    const Window f1 = u.user().window("Text variable");
    u.user().ready(f1, false);
    close(f1);
    u.user().key(u.window(), {XK_Alt_L}, XK_q, false);
    Window box = u.user().window("Quicky");
    u.user().ready(box, false);
    u.user().key(u.window(), {}, XK_Return, false);
    box = again(box);
    quicky = u.user().title(box);
    close(box);
    // The value of VOWELS in a tooltip, then a run.
    const auto tooltip = [&] {
      u.key({XK_Control_L}, XK_Home);
      u.keys({}, XK_Down, 5);
      u.keys({}, XK_Right, 2);
      u.user().window("tooltip");
    };
    tooltip();
    u.key({XK_Alt_L}, XK_r);
    afterrun = shows(u.user().titles(), "tooltip");
    // ... then a statement that changes it.
    tooltip();
    u.user().key(u.window(), {XK_Alt_L}, XK_q, false);
    box = u.user().window("Quicky");
    u.user().ready(box, false);
    std::vector<DisplayUser::Stroke> keys = User::strokes("VOWELS = 9");
    keys.push_back({{}, XK_Return});
    u.user().type(u.window(), keys, 0, false);
    box = again(box);
    afterquicky = shows(u.user().titles(), "tooltip");
    close(box);
    u.user().key(u.window(), {XK_Alt_L}, XK_F4, false);
    u.user().gone(u.window(), "the main window to go after Alt+F4");
  });
  EXPECT_EQ(status, 0) << err;
  EXPECT_EQ(quicky, "Quicky");
  EXPECT_FALSE(afterrun) << "the tooltip stays after Alt+R";
  EXPECT_FALSE(afterquicky) << "the tooltip stays after the Quicky statement";
}

}  // namespace

namespace {

// The status bar's User field, where a step tells of its line.
std::string userfield() { return std::string(ide::statusfields[4].text.data()); }

// Typing a script top down, each line run as a step by its Enter: a block
// DO or IF whose ENDDO or ENDIF is not typed yet is a right line and runs
// (no box calls it wrong); the open IF is drawn as a block mistake until
// its ENDIF comes. Saved, the script runs in the IDE as without a window.
TEST_F(EditorDisplayTest, ABlockTypedBeforeItsEndRunsAndItsOpenIfIsShown) {
  write_file(script, "PEAK = 3\r\n");
  const std::vector<std::string> lines{"s = 0",
                                       "do i = 1, 5",
                                       "s = s + i",
                                       "enddo",
                                       "y = 5",
                                       "if (y > peak) then",
                                       "z = y + s",
                                       "endif",
                                       "character f*8",
                                       "f = 'vars.txt'",
                                       "open(file=f, replace)",
                                       "write(file=f, close=1) s, i, z"};
  std::vector<std::string> boxes;  // what came up as the lines were entered
  bool open = false, closed = true;
  const int status = program([&] {
    User u(display, title);
    u.learnrows(1);
    u.key({}, XK_End);
    u.key({}, XK_Return);
    for (const std::string& l : lines) {
      std::vector<DisplayUser::Stroke> keys = User::strokes(l);
      keys.push_back({{}, XK_Return});
      u.user().type(u.window(), keys, 50, false);
      const std::string main = u.user().title(u.window());
      for (const std::string& t : u.user().titles())
        if (t != main && t != "tooltip") boxes.push_back(l + ": " + t);
      if (boxes.size() > 0 && boxes.back().starts_with(l)) u.answer("the box after " + l, false);
      u.user().ready(u.window());
      // The IF is line 7: open while its ENDIF is to come, closed after.
      if (l.starts_with("if")) open = u.rowshows(u.picture(), 7, kRejectedRow);
      if (l == "endif") closed = !u.rowshows(u.picture(), 7, kRejectedRow);
    }
    u.type("end");
    u.key({}, XK_Down);
    u.save();
    u.runandclose();
  });
  EXPECT_EQ(status, 0) << err;
  EXPECT_TRUE(boxes.empty()) << boxes.front();
  EXPECT_TRUE(open) << "the open IF is drawn as a block mistake";
  EXPECT_TRUE(closed) << "the IF closed by its ENDIF is drawn as any line";
  const std::string saved = read_file(script);
  std::string typed = "PEAK = 3\r\n";
  for (const std::string& l : lines) typed += l + "\r\n";
  EXPECT_EQ(saved, typed + "end\r\n");
  const std::string values = windowlessvalues(saved);
  EXPECT_NE(values.find("15"), std::string::npos) << values;
  EXPECT_EQ(read_file(dir.path() / "vars.txt"), values);
}

// The screen y of a window's top.
int screentop(Display* dpy, Window w) {
  int x = 0, y = 0;
  Window child = 0;
  XTranslateCoordinates(dpy, w, DefaultRootWindow(dpy), 0, 0, &x, &y, &child);
  return y;
}

// A tooltip stands just below its line, and goes when its line is left,
// and when a window comes over the editor (the dialog of a step, the help
// that F1 opens).
TEST_F(EditorDisplayTest, ATooltipGoesWhenAWindowComesOverItOrItsLineIsLeft) {
  write_file(script,
             "CHARACTER NAME*20\r\nR = DLG(Text='Name:', Edit=NAME, Button='&OK', "
             "Button='0:Cancel')\r\nX = 1\r\nEND\r\n");
  bool left = true, overdialog = true, afterdialog = true, overhelp = true;
  int below = -1;
  const int status = program([&] {
    User u(display, title);
    DisplayUser& d = u.user();
    const auto other = [&](const std::string& what) {
      const Window w =
          d.window([&](const std::string& t) { return t != title && t != "tooltip"; }, what);
      d.ready(w, false);
      return w;
    };
    // The keyword's hint under the cursor on DLG, just below its row; the
    // line left.
    u.key({}, XK_Down);
    u.keys({}, XK_Right, 5);
    const Window tip = d.window("tooltip");
    u.learnrows(2, "tooltip");
    below = screentop(d.display(), tip) - screentop(d.display(), u.window()) - u.rowtop(3);
    u.key({}, XK_Down);
    left = shows(d.titles(), "tooltip");
    // The hint again, then a step of the line.
    u.key({}, XK_Up);
    u.key({}, XK_Home);
    u.keys({}, XK_Right, 5);
    d.window("tooltip");
    d.key(u.window(), {XK_Alt_L}, XK_s, false);
    const Window dialog = other("the dialog of the step");
    overdialog = shows(d.titles(), "tooltip");
    d.key(dialog, {}, XK_Return, false);
    d.gone(dialog, "the dialog to go after Return");
    d.ready(u.window());
    afterdialog = shows(d.titles(), "tooltip");
    // The hint again, then F1 on the word.
    u.key({}, XK_Up);
    u.key({}, XK_Home);
    u.keys({}, XK_Right, 5);
    d.window("tooltip");
    d.key(u.window(), {}, XK_F1, false);
    const Window help = other("the help on DLG");
    overhelp = shows(d.titles(), "tooltip");
    d.key(help, {}, XK_Escape, false);
    d.gone(help, "the help to go after Escape");
    d.ready(u.window());
    d.key(u.window(), {XK_Alt_L}, XK_F4, false);
    d.gone(u.window(), "the main window to go after Alt+F4");
  });
  EXPECT_EQ(status, 0) << err;
  EXPECT_EQ(below, 0) << "pixels between the input line's row and its tooltip";
  EXPECT_FALSE(left) << "the tooltip stays after its line was left";
  EXPECT_FALSE(overdialog) << "the tooltip stays over the step's dialog";
  EXPECT_FALSE(afterdialog) << "the tooltip stays after the line was left";
  EXPECT_FALSE(overhelp) << "the tooltip stays over the help";
}

// The window's place and size on the screen.
struct Placed {
  int x = 0, y = 0, width = 0, height = 0;
};
Placed placed(Display* dpy, Window w) {
  Placed p;
  Window child = 0;
  XTranslateCoordinates(dpy, w, DefaultRootWindow(dpy), 0, 0, &p.x, &p.y, &child);
  XWindowAttributes a;
  if (XGetWindowAttributes(dpy, w, &a)) {
    p.width = a.width;
    p.height = a.height;
  }
  return p;
}

// The option list of DLG is a hint wider than the editor: it is wrapped
// into rows and stands inside the editor, below its line and right of the
// cursor, so that the start of the line below stays in sight.
TEST_F(EditorDisplayTest, AHintWiderThanTheEditorIsWrappedInsideIt) {
  write_file(script, "A = 1\r\n\r\nB = 2\r\nEND\r\n");
  Placed main, tip;
  int rowheight = 0, rowtop = 0, cursorx = -1;
  const int status = program([&] {
    User u(display, title);
    DisplayUser& d = u.user();
    u.key({}, XK_Down);
    u.type("K = DLG(T");
    const Window w = d.window("tooltip");
    u.learnrows(2, "tooltip");
    main = placed(d.display(), u.window());
    tip = placed(d.display(), w);
    rowheight = u.rowtop(2) - u.rowtop(1);
    rowtop = u.rowtop(3);
    // The cursor cell's left edge on the typed line.
    const Picture p = u.picture();
    for (int x = 0; x < p.width && cursorx < 0; ++x)
      if (p.at(x, u.rowtop(2) + rowheight / 2) == kCursorCell) cursorx = x;
    // (The unfinished line is not yet a change of the script.)
    d.key(u.window(), {XK_Alt_L}, XK_F4, false);
    d.gone(u.window(), "the main window to go after Alt+F4");
  });
  EXPECT_EQ(status, 0) << err;
  ASSERT_GT(rowheight, 0);
  EXPECT_GE(tip.x, main.x) << "the hint begins left of the editor";
  EXPECT_LE(tip.x + tip.width, main.x + main.width) << "the hint reaches right of the editor";
  EXPECT_GE(tip.height, 2 * rowheight) << "a hint wider than the editor is one row";
  EXPECT_EQ(tip.y - main.y, rowtop) << "the hint does not stand just below its line";
  EXPECT_LE(tip.y + tip.height, main.y + main.height) << "the hint reaches below the editor";
  EXPECT_GT(cursorx, 0);
  EXPECT_GE(tip.x - main.x, cursorx) << "the hint hides the start of the line below";
}

// Find from the end of line 3 goes to TOTAL on line 1: the tip that tells
// its value stands where it hides no code. The screen under the tip, as it
// was before the search, shows no character there: each of its pixel rows
// has the colour of its row's right end throughout.
TEST_F(EditorDisplayTest, TheValueTipOfAFoundWordHidesNoCode) {
  write_file(script, "TOTAL = 0\r\nS = TOTAL + 12345678\r\nZ = S + TOTAL + 1\r\nEND\r\n");
  Placed main, tip;
  Picture before;
  int row = 0;
  const int status = program([&] {
    User u(display, title);
    DisplayUser& d = u.user();
    u.learnrows(1);
    before = u.picture();
    u.keys({}, XK_Down, 2);
    u.key({}, XK_End);
    d.key(u.window(), {XK_Control_L}, XK_f, false);
    const Window find = d.window("Find");
    d.ready(find, false);
    std::vector<DisplayUser::Stroke> keys = User::strokes("TOTAL");
    keys.push_back({{}, XK_Return});
    d.type(u.window(), keys, 20);
    d.gone(find, "the Find box to go after Enter");
    const Window w = d.window("tooltip");
    d.ready(u.window());
    row = u.cursorrow();
    main = placed(d.display(), u.window());
    tip = placed(d.display(), w);
    d.key(u.window(), {XK_Alt_L}, XK_F4, false);
    d.gone(u.window(), "the main window to go after Alt+F4");
  });
  EXPECT_EQ(status, 0) << err;
  EXPECT_EQ(row, 1);
  ASSERT_GT(tip.width * tip.height, 0);
  int hidden = 0;
  for (int y = tip.y - main.y; y < tip.y - main.y + tip.height; ++y) {
    const std::uint32_t paper = before.at(before.width * 4 / 5, y);
    for (int x = tip.x - main.x; x < tip.x - main.x + tip.width; ++x)
      hidden += before.at(x, y) != paper;
  }
  EXPECT_EQ(hidden, 0) << "pixels of code under the value tip at " << tip.x - main.x << ","
                       << tip.y - main.y;
}

// How many pixels are left right of the text in the widest dark-bordered
// field of the picture (0: none, or the text reaches the border).
int roomafterfieldtext(const Picture& p) {
  const auto dark = [&](int x, int y) {
    const std::uint32_t c = p.at(x, y);
    return c != 0xFFFFFFFF && ((c >> 16) & 0xFF) < 0x60 && ((c >> 8) & 0xFF) < 0x60 &&
           (c & 0xFF) < 0x60;
  };
  int best = 0, top = 0, right = 0;
  for (int y = 0; y < p.height; ++y)
    for (int x = 0, run = 0; x < p.width; ++x) {
      run = dark(x, y) ? run + 1 : 0;
      if (run > best) {
        best = run;
        top = y;
        right = x;
      }
    }
  const int left = right - best + 1;
  int bottom = top + 1;
  const auto border = [&](int y) {
    for (int x = left; x <= right; ++x)
      if (!dark(x, y)) return false;
    return true;
  };
  while (bottom < p.height && !border(bottom)) ++bottom;
  int last = left;
  for (int y = top + 2; y < bottom - 1; ++y)
    for (int x = left + 2; x < right - 1; ++x)
      if (dark(x, y)) last = std::max(last, x);
  return best < 8 ? 0 : right - 1 - last;
}

// A text variable's name evaluated in the Quicky box shows the variable in
// a box titled by its name, whose field shows the whole trimmed text.
TEST_F(EditorDisplayTest, ATextVariableAloneShowsItsWholeTextInABoxOfItsName) {
  write_file(script, "CHARACTER MSG*60\r\nMSG = 'large order placed'\r\nEND\r\n");
  std::string boxtitle;
  int room = 0;
  const int status = program([&] {
    User u(display, title);
    DisplayUser& d = u.user();
    u.key({XK_Alt_L}, XK_r);
    d.key(u.window(), {XK_Alt_L}, XK_q, false);
    const Window quicky = d.window("Quicky");
    d.ready(quicky, false);
    std::vector<DisplayUser::Stroke> keys = User::strokes("MSG");
    keys.push_back({{}, XK_Return});
    d.type(u.window(), keys, 0, false);
    const Window box = d.window(
        [&](const std::string& t) { return t != title && t != "tooltip" && t != "Quicky"; },
        "the box of MSG", quicky);
    d.ready(box, false);
    boxtitle = d.title(box);
    const Picture p = u.picture(box);
    testsupport::screenshot(d.display(), box, "text_variable_box", 0);
    room = roomafterfieldtext(p);
    d.key(box, {}, XK_Escape, false);
    d.gone(box, "the box of MSG to go after Escape");
    const Window again =
        d.window([&](const std::string& t) { return t.starts_with("Quicky"); }, "the Quicky box");
    d.ready(again, false);
    d.key(again, {}, XK_Escape, false);
    d.gone(again, "the Quicky box to go after Escape");
    d.ready(u.window());
    d.key(u.window(), {XK_Alt_L}, XK_F4, false);
    d.gone(u.window(), "the main window to go after Alt+F4");
  });
  EXPECT_EQ(status, 0) << err;
  EXPECT_EQ(boxtitle, "MSG");
  EXPECT_GE(room, 3) << "the field cuts the text";
}

// A step names its line in the status bar while it runs, so that a box it
// brings up and the bar name the same line; a step whose dialog is left
// with Escape did not run its statement to its end: it stopped there.
TEST_F(EditorDisplayTest, AStepTellsTheLineItRunsAndWhereItStopped) {
  std::string duringerror, aftererror, duringdialog, afterdialog;
  write_file(script, "X = 1\r\nEND\r\n");
  int status = program([&] {
    User u(display, title);
    u.key({}, XK_End);
    u.key({}, XK_Return);
    std::vector<DisplayUser::Stroke> keys = User::strokes("FUNCTION SQ(A)");
    keys.push_back({{}, XK_Return});
    u.user().type(u.window(), keys, 50, false);
    const Window box = u.user().window(
        [&](const std::string& t) { return t != title && t != "tooltip"; }, "the error box");
    u.user().ready(box, false);
    duringerror = userfield();
    u.answer("the error box");
    aftererror = userfield();
    u.save();
    u.user().key(u.window(), {XK_Alt_L}, XK_F4, false);
    u.user().gone(u.window(), "the main window to go after Alt+F4");
  });
  EXPECT_EQ(status, 0) << err;
  EXPECT_EQ(duringerror, "Step runs line 2");
  EXPECT_EQ(aftererror, "Step stopped at line 2");
  write_file(script,
             "CHARACTER NAME*20\r\nR = DLG(Text='Name:', Edit=NAME, Button='&OK', "
             "Button='0:Cancel')\r\nEND\r\n");
  status = program([&] {
    User u(display, title);
    u.key({}, XK_Down);
    u.user().key(u.window(), {XK_Alt_L}, XK_s, false);
    const Window dialog = u.user().window(
        [&](const std::string& t) { return t != title && t != "tooltip"; }, "the dialog");
    u.user().ready(dialog, false);
    duringdialog = userfield();
    u.user().key(dialog, {}, XK_Escape, false);
    u.user().gone(dialog, "the dialog to go after Escape");
    u.user().ready(u.window());
    afterdialog = userfield();
    u.user().key(u.window(), {XK_Alt_L}, XK_F4, false);
    u.user().gone(u.window(), "the main window to go after Alt+F4");
  });
  EXPECT_EQ(status, 0) << err;
  EXPECT_EQ(duringdialog, "Step runs line 2");
  EXPECT_EQ(afterdialog, "Step stopped at line 2");
}

// Options > Editor, Fonts and Colour and Help > Donate, opened by keys as
// a user opens them and closed by Escape: the options boxes stand in
// columns (labels in one, spin boxes in the next; buttons of one width in
// a grid) with room between a text and the row under it. Where no program
// opens links, Donate says so and shows the whole link in a field to copy
// it from.
TEST_F(EditorDisplayTest, TheOptionsBoxesStandInColumnsAndDonateShowsTheLinkItCouldNotOpen) {
  write_file(script, "X = 1\r\nEND\r\n");
  // A PATH without the program that opens links.
  testsupport::TempDir nothing;
  const std::string path = std::getenv("PATH") != nullptr ? std::getenv("PATH") : "";
  setenv("PATH", nothing.path().c_str(), 1);
  boxes.clear();
  readboxes = true;
  const int status = program([&] {
    User u(display, title);
    const auto open = [&](KeySym menu, std::initializer_list<KeySym> keys, const std::string& box,
                          const std::string& picture) {
      u.user().key(u.window(), {XK_Alt_L}, menu, false);
      for (const KeySym k : keys) {
        u.user().ready(u.window(), false);
        u.user().key(u.window(), {}, k, false);
      }
      const Window w = u.user().window(box);
      u.user().ready(w, false);
      testsupport::screenshot(u.user().display(), w, picture, 0);
      u.user().key(w, {}, XK_Escape, false);
      u.user().gone(w, "the box " + box + " to go after Escape");
      u.user().ready(u.window());
    };
    open(XK_o, {XK_e}, "Editor settings", "options_editor");
    open(XK_o, {XK_f}, "Fonts", "options_fonts");
    open(XK_o, {XK_Down, XK_Return}, "Colours of the editor", "options_colours");
    open(XK_h, {XK_t}, "Typing assistant and tooltips", "help_tooltips");
    open(XK_h, {XK_d}, "Link not opened", "help_donate");
    u.user().key(u.window(), {XK_Alt_L}, XK_F4, false);
    u.user().gone(u.window(), "the main window to go after Alt+F4");
  });
  readboxes = false;
  setenv("PATH", path.c_str(), 1);
  EXPECT_EQ(status, 0) << err;
  // (The compile's progress box at the start is read too.)
  std::vector<ShownBox> read;
  for (const ShownBox& b : boxes)
    if (b.title != "Compiling") read.push_back(b);
  ASSERT_EQ(read.size(), 5u);
  for (const ShownBox& b : read) EXPECT_EQ(b.faults, "") << b.title << "\n" << b.texts;
  EXPECT_EQ(read[4].title, "Link not opened");
  EXPECT_NE(read[4].texts.find("No program to open links was found.\n"), std::string::npos)
      << read[4].texts;
  const std::string link = "file://" + (testsupport::source_dir() / "README.md").string();
  EXPECT_NE(read[4].texts.find("\n" + link + "\n"), std::string::npos) << read[4].texts;
}

}  // namespace
