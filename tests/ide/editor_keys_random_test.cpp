// Random key sequences over real scripts, typed one key at a time through
// the key entry that the display's key events reach. After every key the
// program is that of a fresh compile of the text, and the rows drawn
// selected are the lines Delete, Cut and Copy take; Undo and Redo go back
// and forth between the same texts, a line held whole is never changed in
// part, a redraw from scratch shows the screen as it stood, and at the end
// of every sequence the script is saved and run in the IDE, which gives
// what the windowless run of the saved file gives.
//
// OSTREL_EDITOR_SEED and OSTREL_EDITOR_KEYS run it longer by hand.
// (`make test` runs the first 16 actions of each sequence.)
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <map>
#include <random>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "core/editbuffer.h"
#include "core/runwords.h"
#include "core/stores.h"
#include "editor_keys.h"
#include "editor_program.h"
#include "exec/headless_run.h"
#include "ide/editorwords.h"
#include "ide/fedit_internal.h"
#include "ide/idewords.h"
#include "ide/windowlist.h"
#include "ide_fixture.h"
#include "platform/backend.h"
#include "platform/win_message_box.h"
#include "platform/win_message_keys.h"
#include "plot/fontslots.h"

namespace idetest {
namespace {

struct Key {
  int modifier = 0;  // 0, or the virtual key held with it
  int vk = 0;
  unsigned char ch = 0;
};

std::vector<Key> typed(std::string_view text) {
  std::vector<Key> out;
  for (const char c : text) out.push_back({0, keyof(c), static_cast<unsigned char>(c)});
  return out;
}

// One thing a user does: its keys, and what is checked once they are done.
struct Action {
  std::string name;
  std::vector<Key> keys;
  enum class After { nothing, undoneredone, redraw, save, run } after = After::nothing;
};

// The lines of the text longer than the line input takes.
std::set<std::string> longlines(const std::string& text) {
  std::set<std::string> out;
  for (std::size_t at = 0; at < text.size();) {
    std::size_t end = text.find("\r\n", at);
    if (end == std::string::npos) end = text.size();
    if (end - at > ide::edlinebuf.size() - 1) out.insert(text.substr(at, end - at));
    at = end + 2;
  }
  return out;
}

class Sequence {
 public:
  Sequence(std::uint32_t seed, int lines) : random_(seed), lines_(lines) {}

  std::vector<Action> make(int count) {
    std::vector<Action> out;
    while (static_cast<int>(out.size()) < count) {
      const int op = pick(100);
      const int n = 1 + pick(3);
      Action a;
      if (op < 12) {
        static constexpr int moves[] = {win::VK_UP,    win::VK_DOWN, win::VK_DOWN,
                                        win::VK_PRIOR, win::VK_NEXT, win::VK_HOME};
        a.name = "move";
        for (int k = 0; k < n; ++k) a.keys.push_back({0, moves[pick(6)]});
        if (pick(4) == 0) a.keys.push_back({win::VK_CONTROL, pick(2) ? win::VK_HOME : win::VK_END});
      } else if (op < 24) {
        a.name = "type at the end";
        a.keys.push_back({0, win::VK_END});
        static constexpr const char* tails[] = {" + 1", " * 2", " X", "(1"};
        for (const Key& k : typed(tails[pick(4)])) a.keys.push_back(k);
        a.keys.push_back({0, pick(2) ? win::VK_DOWN : win::VK_UP});
      } else if (op < 34) {
        a.name = "a new line typed";
        a.keys.push_back({win::VK_MENU, 'I'});
        static constexpr const char* lines[] = {"Q = Q + 1", "  IF (N == 121) Q = Q + 10", "! note",
                                                "Q = (2"};
        for (const Key& k : typed(lines[pick(4)])) a.keys.push_back(k);
        if (pick(3) != 0) a.keys.push_back({0, win::VK_DOWN});
      } else if (op < 40) {
        a.name = "Enter at the end";
        a.keys.push_back({0, win::VK_END});
        a.keys.push_back({0, win::VK_RETURN, '\r'});
        if (pick(2)) {
          for (const Key& k : typed("Q = 3")) a.keys.push_back(k);
          a.keys.push_back({0, win::VK_DOWN});
        }
      } else if (op < 46) {
        a.name = "Backspace and Delete";
        a.keys.push_back({0, win::VK_END});
        for (int k = 0; k < n; ++k) a.keys.push_back({0, win::VK_BACK, 8});
        a.keys.push_back({0, win::VK_HOME});
        a.keys.push_back({0, win::VK_DELETE});
        a.keys.push_back({0, win::VK_DOWN});
      } else if (op < 62) {
        // Selections up to and past the first and the last line.
        const int length = pick(5) == 0 ? lines_ + 3 : n;
        const bool up = pick(3) == 0;
        a.name = std::string("select ") + (up ? "up " : "down ") + std::to_string(length);
        if (pick(5) == 0) a.keys.push_back({win::VK_CONTROL, up ? win::VK_END : win::VK_HOME});
        if (pick(4) == 0) {
          a.keys.push_back({win::VK_SHIFT, up ? win::VK_PRIOR : win::VK_NEXT});
        } else {
          for (int k = 0; k < length; ++k)
            a.keys.push_back({win::VK_SHIFT, up ? win::VK_UP : win::VK_DOWN});
        }
        static constexpr int ends[] = {win::VK_DELETE, 'X', 'C', win::VK_DOWN};
        const int e = ends[pick(4)];
        if (e == 'X' || e == 'C') {
          a.keys.push_back({win::VK_CONTROL, e});
          if (e == 'C') {
            a.keys.push_back({0, win::VK_DOWN});
            a.keys.push_back({win::VK_CONTROL, 'V'});
          }
        } else {
          a.keys.push_back({0, e});
        }
      } else if (op < 68) {
        a.name = "cut the line";
        a.keys.push_back({win::VK_CONTROL, 'X'});
        if (pick(2)) {
          a.keys.push_back({0, win::VK_DOWN});
          a.keys.push_back({win::VK_CONTROL, 'V'});
        }
      } else if (op < 86) {
        // Undo chains, redone as far again now and then.
        const int k = pick(4) == 0 ? lines_ + 2 : n;
        a.name = "undo " + std::to_string(k);
        for (int i = 0; i < k; ++i) a.keys.push_back({win::VK_CONTROL, 'Z'});
        if (pick(5) < 3) {
          a.name += " and redo";
          for (int i = 0; i < k; ++i) a.keys.push_back({win::VK_CONTROL, 'Y'});
          a.after = Action::After::undoneredone;
        } else {
          a.after = Action::After::redraw;
        }
      } else if (op < 92) {
        a.name = "redo " + std::to_string(n);
        for (int i = 0; i < n; ++i) a.keys.push_back({win::VK_CONTROL, 'Y'});
        a.after = Action::After::redraw;
      } else if (op < 97) {
        a.name = "save";
        a.keys.push_back({win::VK_CONTROL, 'S'});
        a.after = Action::After::save;
      } else {
        a.name = "long line";
        a.keys.push_back({0, win::VK_END});
        for (int i = 0; i < 3; ++i) a.keys.push_back({0, win::VK_RIGHT});
        for (const Key& k : typed("Z")) a.keys.push_back(k);
        a.keys.push_back({0, win::VK_BACK, 8});
      }
      out.push_back(std::move(a));
    }
    out.push_back({"save", {{win::VK_CONTROL, 'S'}}, Action::After::save});
    out.push_back(
        {"run", {{win::VK_CONTROL, win::VK_HOME}, {win::VK_MENU, 'R'}}, Action::After::run});
    return out;
  }

 private:
  int pick(int n) { return static_cast<int>(random_() % static_cast<unsigned>(n)); }
  std::mt19937 random_;
  int lines_;
};

class EditorKeysRandom : public IdeTest {
 protected:
  testsupport::TempDir dir;

  struct Held {
    std::string what, text, code;
    bool stale = false;  // compiled from the text before it runs again
  };
  std::vector<Held> held;
  // Each run: the text saved, the variables the IDE's run left, and those
  // it started from (lines typed with Enter ran, and earlier runs left
  // their values).
  struct Run {
    std::string saved, outcome, before;
  };
  std::vector<Run> runs;
  std::string prerun;

  void keys(std::uint32_t seed, const std::string& name, const std::string& text, int count);

  std::string file;
  std::string before;                  // the text before an undo chain
  std::vector<std::uint32_t> redrawn;  // the picture before a redraw
  std::set<std::string> longs;         // the long lines the script began with
  bool redrawfailed = false;
  bool unchanged = false;  // nothing to save at the last Ctrl+S
  std::size_t boxes = 0;   // message boxes shown before it
};

bool selectionfailed = false;

// A picture of the rows without the input line's row, whose line input may
// show the typing assistant's hints behind the text until the next key.
std::vector<std::uint32_t> withoutinput(std::vector<std::uint32_t> px) {
  const int ch = plot::fontslots(ide::wdwhead->fontslot).cellheight;
  const int width = 80 * plot::fontslots(ide::wdwhead->fontslot).cellwidth;
  const int top =
      ide::wdwhead->topoffset + ch * (ide::edcurline - ide::edfirstline + ide::edtoprow - 1);
  // (The hints may reach into the rows beside it.)
  for (int y = std::max(top - ch, 0); y < top + 2 * ch; ++y)
    for (int x = 0; x < width; ++x) {
      const auto at = static_cast<std::size_t>(y) * static_cast<std::size_t>(width) +
                      static_cast<std::size_t>(x);
      if (at < px.size()) px[at] = 0;
    }
  return px;
}

// The colour most of a row's middle line has: its background (a long
// line's letters cross it here and there).
std::uint32_t rowbackground(win::HWND w, int y) {
  std::map<std::uint32_t, int> seen;
  for (int x = 0; x < 1200; x += 3) ++seen[plat::window_pixel(w, x, y)];
  return std::max_element(seen.begin(), seen.end(),
                          [](const auto& a, const auto& b) { return a.second < b.second; })
      ->first;
}

// The lines whose rows are drawn on the background of selected lines,
// against the lines selected; the input line sits on its own row.
void checkselection(const std::string& what) {
  const auto w = static_cast<win::HWND>(mainwindow());
  const int ch = plot::fontslots(ide::wdwhead->fontslot).cellheight;
  const std::int32_t first = ide::edfirstline;
  const std::int32_t rows = std::min(ide::edrows, core::nedlines - first + 1);
  const auto rowtop = [&](std::int32_t l) {
    return ide::wdwhead->topoffset + ch * (l - first + ide::edtoprow - 1);
  };
  // The cursor line is on the input line's background, or selected.
  // (A line input scrolled sideways shows its background where its text is.)
  std::uint32_t cursor = 0;
  for (int x = 0;
       x < 1280 && cursor != classbg(5) && cursor != classbg(6) && cursor != ide::colour(16);
       x += 4)
    cursor = plat::window_pixel(w, x, rowtop(ide::edcurline) + ch / 2);
  // (A line the compiler did not take has a background of its own.)
  if (cursor != classbg(5) && cursor != classbg(6) && cursor != ide::colour(16)) {
    if (!selectionfailed) {
      selectionfailed = true;
      ADD_FAILURE() << what << ": no input row on line " << ide::edcurline << " (first " << first
                    << ", pixel " << std::hex << cursor << std::dec << ", state " << core::idestate
                    << ", mode " << core::edmode << ")";
      snapshot("noinput");
    }
    return;
  }
  std::string drawn, wanted;
  const std::int32_t lo = std::min(ide::edselfrom, ide::edselto);
  const std::int32_t hi = std::max(ide::edselfrom, ide::edselto);
  for (std::int32_t l = first; l < first + rows; ++l) {
    if (rowbackground(w, rowtop(l) + ch / 2) == classbg(6)) drawn += std::to_string(l) + " ";
    if (ide::edselfrom != 0 && ide::edselto != 0 && l >= lo && l <= hi)
      wanted += std::to_string(l) + " ";
  }
  if (drawn != wanted && !selectionfailed) {
    selectionfailed = true;
    ADD_FAILURE() << what << ": rows drawn selected " << drawn << ", lines selected " << wanted
                  << " (cursor " << ide::edcurline << ", first " << first << ")";
    snapshot("selection");
  }
}

void EditorKeysRandom::keys(std::uint32_t seed, const std::string& name, const std::string& text,
                            int count) {
  selectionfailed = false;
  file = dir.file(name);
  testsupport::write_file(file, text);
  longs = longlines(text);
  int lines = 0;
  for (const char c : text) lines += c == '\n';
  const std::vector<Action> actions = Sequence(seed, lines).make(count);
  std::vector<Step> steps;
  std::string last = "opened";
  for (const Action& a : actions) {
    const std::string what = std::to_string(steps.size()) + " " + a.name;
    std::fprintf(stderr, "%s\n", what.c_str());
    // Before the first key: what the action is checked against.
    steps.push_back([this, a, what] {
      // Redone as far as undone, the text is back where it was: when no
      // undone change waited for a redo and no typed line for its writing.
      if (a.after == Action::After::undoneredone)
        before = core::redoavailable() || ide::edlinechg || ide::editor::fieldchanged != 0
                     ? ""
                     : buffer();
      if (a.after == Action::After::run) prerun = variables(exec::run_outcome());
      if (a.after == Action::After::save) {
        unchanged = !core::c1editmodified() && !ide::edlinechg;
        boxes = plat::message_box_log().size();
        if (!unchanged) plat::push_message_box_answer(win::IDYES);
      }
    });
    for (std::size_t k = 0; k < a.keys.size(); ++k) {
      const Key key = a.keys[k];
      steps.push_back([key] {
        if (key.modifier != 0)
          with(key.modifier, key.vk, key.ch);
        else
          press(key.vk, key.ch);
      });
      // After each key, when the editor waits again.
      steps.push_back([this, what, k] {
        const std::string after = what + ", key " + std::to_string(k + 1);
        if (core::c1edit.size() == 0) return;
        held.push_back({after, buffer(), program(), core::programstale});
        if (std::getenv("OSTREL_EDITOR_TRACE") != nullptr) {
          std::string t = buffer();
          for (std::size_t p; (p = t.find("\r\n")) != std::string::npos;) t.replace(p, 2, "|");
          std::fprintf(stderr, "T %s [%d] %s\n", after.c_str(), ide::edcurline, t.c_str());
          if (std::string(std::getenv("OSTREL_EDITOR_TRACE")) == "2")
            std::fprintf(stderr, "%s", program().c_str());
        }
        checkselection(after);
        for (const std::string& l : longlines(buffer()))
          EXPECT_TRUE(longs.count(l) != 0) << after << ": a long line changed in part";
      });
    }
    // A cut of every line leaves a script without statements, where a line
    // left after typing runs as a step (its value shown in a box that these
    // keys do not answer): the last line's cut is taken back.
    steps.push_back([] {
      if (buffer().find_first_not_of("\r\n") == std::string::npos) with(win::VK_CONTROL, 'Z');
    });
    switch (a.after) {
      case Action::After::undoneredone:
        steps.push_back([this, what] {
          if (!before.empty()) {
            EXPECT_EQ(buffer(), before) << what;
          }
        });
        [[fallthrough]];
      case Action::After::redraw:
        steps.push_back([this] {
          redrawn = withoutinput(picture(ide::edrows, 80));
          if (!redrawfailed) snapshot("before-redraw");
          core::edmark = core::edmarkall;
        });
        steps.push_back([this, what] {
          if (core::edmark == core::edmarkall || redrawfailed) return;  // not redrawn
          if (redrawn != withoutinput(picture(ide::edrows, 80))) {
            redrawfailed = true;
            snapshot("redrawn");
            ADD_FAILURE() << what << ": the screen was not what a redraw shows";
          }
        });
        break;
      case Action::After::save:
        // A refused line's error box took the answer meant for the save's
        // question, which was then cancelled: saved again, it is answered.
        steps.push_back([this] {
          const auto& log = plat::message_box_log();
          bool refused = false, cancelled = false;
          for (std::size_t i = boxes; i < log.size(); ++i) {
            refused = refused || log[i].title == "Compile error";
            cancelled = cancelled || (log[i].answer == win::IDCANCEL &&
                                      log[i].text.find("Save the changes") != std::string::npos);
          }
          if (!refused || !cancelled) return;
          boxes = log.size();
          plat::push_message_box_answer(win::IDYES);
          with(win::VK_CONTROL, 'S');
        });
        steps.push_back([this, what] {
          // Nothing changed since the last save: nothing to ask.
          if (unchanged) {
            EXPECT_EQ(plat::message_box_log().size(), boxes) << what << ": a question came";
          }
          if (!core::c1editmodified()) {
            // (A file never changed keeps its text without a last line
            // end, which the editor's text has.)
            std::string saved = testsupport::read_file(file);
            if (!saved.ends_with("\r\n")) saved += "\r\n";
            EXPECT_EQ(saved, buffer()) << what << ": saved";
          }
        });
        break;
      case Action::After::run:
        steps.push_back([this] {
          runs.push_back({testsupport::read_file(file), exec::run_outcome(), prerun});
        });
        break;
      case Action::After::nothing:
        break;
    }
  }
  // The question of the close that ends the run (queued last, behind the
  // answers of the saves).
  steps.push_back([] { plat::push_message_box_answer(win::IDNO); });
  run("\"" + file + "\"", steps);
  // The first program apart from its text (those after it follow from it).
  for (const Held& h : held) {
    const std::string fresh = freshprogram(h.text);
    if (h.stale || fresh == "statements 0\n" || h.code == fresh) continue;
    ADD_FAILURE() << h.what << ": the program is not that of the text\n"
                  << h.text << "\nprogram\n"
                  << h.code << "\nfresh\n"
                  << fresh;
    break;
  }
  for (const auto& [saved, outcome, start] : runs) {
    exec::reset_interpreter();
    const std::string windowless = exec::run_script(saved);
    // A text that does not compile is not run windowless.
    if (windowless.starts_with("compile")) continue;
    // (The editor's symbols keep the names of lines deleted since, with
    // what earlier runs left in them: the names of the text are compared.)
    // A variable that held a value when the run began may read it: only
    // those that began as a fresh run's do are compared.
    std::string startedset;
    std::istringstream was(start);
    for (std::string l; std::getline(was, l);) {
      const std::string value = l.substr(l.find('=') + 1);
      if (value.find_first_not_of("0(,)") != std::string::npos &&
          (value.size() < 2 || value.front() != '\'' ||
           value.find_first_not_of(' ', 1) != value.size() - 1))
        startedset += "\n" + l.substr(0, l.find('=') + 1);
    }
    const auto compared = [&](const std::string& l) {
      return (startedset + "\n").find("\n" + l.substr(0, l.find('=') + 1)) == std::string::npos;
    };
    std::string fresh, kept;
    std::istringstream windowlessvalues(variables(windowless));
    for (std::string l; std::getline(windowlessvalues, l);)
      if (compared(l)) fresh += l + "\n";
    std::istringstream in(variables(outcome));
    for (std::string l; std::getline(in, l);)
      if (("\n" + fresh).find("\n" + l.substr(0, l.find('=') + 1)) != std::string::npos)
        kept += l + "\n";
    EXPECT_EQ(kept, fresh) << saved;
  }
}

std::uint32_t seedof(std::uint32_t fixed) {
  const char* s = std::getenv("OSTREL_EDITOR_SEED");
  return s != nullptr ? static_cast<std::uint32_t>(std::strtoul(s, nullptr, 10)) : fixed;
}

// The number of actions: the first 16 of the sequence in `make test`, all
// `full` in `make test-full`.
int countof(int full) {
  const char* s = std::getenv("OSTREL_EDITOR_KEYS");
  return s != nullptr ? std::atoi(s) : static_cast<int>(testsupport::sized(16, full));
}

TEST_F(EditorKeysRandom, Hello) {
  keys(seedof(75), "hello.ost", original("examples/hello.ost"), countof(40));
}

TEST_F(EditorKeysRandom, HelloWithoutItsLastLineEnd) {
  std::string text = original("examples/hello.ost");
  text.resize(text.size() - 2);
  keys(seedof(76), "hello.ost", text, countof(40));
}

TEST_F(EditorKeysRandom, BlockLoops) {
  keys(seedof(77), "loops.ost", original("tests/scripts/do_loops.ost"), countof(40));
}

TEST_F(EditorKeysRandom, ALongLineAmongShortOnes) {
  std::string sum = "T = '";
  for (int k = 0; k < 392; ++k) sum += static_cast<char>('a' + k % 26);
  sum += "'";
  keys(seedof(78), "long.ost",
       "CHARACTER T*400\r\nN = 1\r\n" + sum + "\r\nM = N + 2\r\nK = LEN_TRIM(T)\r\nEND\r\n",
       countof(40));
}

}  // namespace
}  // namespace idetest
