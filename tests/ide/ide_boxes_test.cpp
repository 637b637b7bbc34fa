// The IDE's boxes after a run of examples/hello.ost, used as a user does:
// the Quicky box, and the names-and-values report that Help > Memory
// opens.
#include <gtest/gtest.h>

#include <string>

#include "editor_keys.h"
#include "exec/windowlist.h"
#include "ide/quicky.h"
#include "ide_fixture.h"
#include "platform/win_message_box.h"
#include "support/dialog_layout.h"
#include "support/test_support.h"

namespace idetest {
namespace {

std::string record(const std::string& text) {
  return text + std::string(256 - text.size(), ' ') + "\r\n";
}

// The window the IDE opened last, with its title.
win::HWND shownbox(std::string& title) {
  const exec::wdwrec* w = exec::wdwtail;
  title = w != nullptr && w != exec::wdwhead ? std::string(w->title.trimmed()) : "";
  return w != nullptr && w != exec::wdwhead ? w->window : nullptr;
}

// Types the text: each character on a key of its own (the back end keeps
// one character per key until the keys are taken).
void typed(const std::string& text) {
  for (const char c : text) {
    const auto u = static_cast<unsigned char>(c);
    int vk = std::isalnum(u) != 0 ? std::toupper(u) : 0;
    switch (c) {
      case ' ':
        vk = win::VK_SPACE;
        break;
      case '(':
        vk = 0xDB;
        break;
      case ')':
        vk = 0xDD;
        break;
      case '*':
        vk = win::VK_MULTIPLY;
        break;
      case '+':
        vk = win::VK_ADD;
        break;
      case '=':
        vk = 0xBB;
        break;
      case '_':
        vk = 0xBD;
        break;
      default:
        break;
    }
    press(vk, u);
  }
}

// The field's text replaced by the typed one, then Return (Evaluate).
void evaluate(const std::string& text) {
  press(win::VK_END);
  with(win::VK_SHIFT, win::VK_HOME);
  typed(text);
  press(win::VK_RETURN);
}

TEST_F(IdeTest, TheQuickyBoxEvaluatesWhatIsTypedAndATypingSlipGetsItsMessage) {
  testsupport::TempDir dir;
  testsupport::write_file(dir.file("hello.ost"),
                          testsupport::read_file(testsupport::source_dir() / "examples/hello.ost"));
  std::string title, texts, faults;
  double first = 0.0, second = 0.0;
  std::string history;
  std::vector<std::string> slips;  // title, texts and faults of each message box
  const auto slipshown = [&] {
    const win::HWND box = shownbox(title);
    slips.push_back(title + "\n" + (box != nullptr ? testsupport::dialog_texts(box) : "") +
                    (box != nullptr ? testsupport::layout_faults(box) : ""));
    press(win::VK_RETURN);
  };
  run(dir.file("hello.ost"),
      {[] {
         // The boxes as windows, as on a display.
         plat::set_message_boxes_as_windows(true);
         with(win::VK_MENU, 'R');
       },
       [] { with(win::VK_MENU, 'Q'); }, [&] { evaluate("VOWELS * 10 + LEN_TRIM(GREETING)"); },
       [&] {
         first = ide::quickyresult;
         evaluate("VOWELS");
       },
       [&] {
         second = ide::quickyresult;
         history = testsupport::read_file(dir.file(std::string(ide::quickyname)));
         evaluate("(1 + VOWELS = 99");
       },
       slipshown, [&] { evaluate("VOWELS +"); }, slipshown,
       [&] {
         shownbox(title);
         press(win::VK_ESCAPE);
       }});
  plat::set_message_boxes_as_windows(false);
  EXPECT_EQ(first, 54.0);
  EXPECT_EQ(second, 4.0);
  EXPECT_EQ(history, record("VOWELS") + record("VOWELS * 10 + LEN_TRIM(GREETING)"));
  // Each slip: its message's text, no key, no line number; a box laid out
  // without overlaps or clipped texts.
  ASSERT_EQ(slips.size(), 2u);
  EXPECT_EQ(slips[0],
            "Compile error\nThe expression cannot be translated.\n"
            "------------^= inside brackets (to compare, write ==)\n(1 + VOWELS = 99\nOK\n");
  EXPECT_EQ(slips[1].substr(0, slips[1].find("-")),
            "Compile error\nThe expression cannot be translated.\n");
  EXPECT_NE(slips[1].find("\n--------^an operator or comma is missing"), std::string::npos)
      << slips[1];
  EXPECT_EQ(slips[1].find("stack"), std::string::npos) << slips[1];
  EXPECT_EQ(slips[1].find("lie on"), std::string::npos) << slips[1];
  EXPECT_EQ(slips[1].find("clipped"), std::string::npos) << slips[1];
  EXPECT_EQ(title, "Quicky - number");
}

// Quicky on a text variable: the history keeps the expression typed, not
// the text its box shows; Escape, in the Quicky box or in the variable's
// box, writes nothing.
TEST_F(IdeTest, QuickyKeepsTheTypedExpressionOfATextAndEscapeWritesNothing) {
  testsupport::TempDir dir;
  testsupport::write_file(dir.file("msg.ost"),
                          "CHARACTER MSG*60\r\nMSG = 'large order placed'\r\nEND\r\n");
  const std::string path = dir.file(std::string(ide::quickyname));
  const auto history = [&] {
    return std::filesystem::exists(path) ? testsupport::read_file(path) : std::string("none");
  };
  std::string aloneescaped, whileshown, afterenter, afterescapes, boxtitle, title;
  const auto escape = [&] {
    shownbox(title);
    press(win::VK_ESCAPE);
  };
  run(dir.file("msg.ost"),
      {[] {
         plat::set_message_boxes_as_windows(true);
         with(win::VK_MENU, 'R');
       },
       [] { with(win::VK_MENU, 'Q'); },
       [&] {
         typed("MSG");
         press(win::VK_ESCAPE);
       },
       [&] {
         aloneescaped = history();
         with(win::VK_MENU, 'Q');
       },
       [&] { evaluate("MSG"); },
       [&] {
         // The variable's box, its text in the field.
         shownbox(boxtitle);
         whileshown = history();
         press(win::VK_ESCAPE);
       },
       [&] {
         afterenter = history();
         escape();
       },
       [] { with(win::VK_MENU, 'Q'); }, escape, [&] { afterescapes = history(); }});
  plat::set_message_boxes_as_windows(false);
  EXPECT_EQ(aloneescaped, "none");
  EXPECT_EQ(boxtitle, "MSG");
  EXPECT_EQ(whileshown, record("MSG"));
  EXPECT_EQ(afterenter, record("MSG"));
  EXPECT_EQ(afterescapes, record("MSG"));
}

// Quicky on the script's own FUNCTION and SUBROUTINE, after a run, with
// no run before it, after two steps and after a run stopped on the
// FUNCTION line: a FUNCTION is an operand as in the script, a CALL changes
// the run's variable, and a Quicky that fails shows its one box and leaves
// every variable as it was.
TEST_F(IdeTest, QuickyCallsTheScriptsFunctionsAndSubroutines) {
  testsupport::TempDir dir;
  const std::string routines =
      "FUNCTION FI(K)\r\nFI = K\r\nEND\r\nSUBROUTINE SB(X)\r\nX = X + 10\r\nEND\r\n";
  testsupport::write_file(dir.file("fi.ost"), "GOTO 100\r\n" + routines + "100 A = 1\r\nEND\r\n");
  // Without the GOTO the run comes to the FUNCTION line, and stops there.
  testsupport::write_file(dir.file("nogoto.ost"), routines + "A = 1\r\nEND\r\n");
  struct Start {
    std::string name, script;
    std::vector<Step> keys;
    // A holds 1 before the Quicky.
    bool ran;
  };
  const std::vector<Start> starts = {
      {"after Alt+R", "fi.ost", {[] { with(win::VK_MENU, 'R'); }}, true},
      {"with no run", "fi.ost", {}, false},
      {"after Alt+S, Alt+S", "fi.ost",
       {[] { with(win::VK_MENU, 'S'); }, [] { with(win::VK_MENU, 'S'); }}, false},
      // (The run's box answered.)
      {"after a run stopped on the FUNCTION line", "nogoto.ost",
       {[] { with(win::VK_MENU, 'R'); }, [] { press(win::VK_RETURN); }}, false},
  };
  for (const Start& start : starts) {
    SCOPED_TRACE(start.name);
    // The title of the window shown and the number after each evaluation.
    std::vector<std::string> shown;
    std::vector<double> values;
    std::string title;
    const auto look = [&] {
      shownbox(title);
      shown.push_back(title);
      values.push_back(ide::quickyresult);
    };
    std::vector<Step> steps = {[] { plat::set_message_boxes_as_windows(true); }};
    steps.insert(steps.end(), start.keys.begin(), start.keys.end());
    steps.push_back([] { with(win::VK_MENU, 'Q'); });
    steps.push_back([] { evaluate("fi(40)"); });
    const auto then = [&](const std::string& expression) {
      steps.push_back([&, expression] {
        look();
        evaluate(expression);
      });
    };
    then("fi(40) + 1");
    if (start.ran) {
      then("fi(40)+A");
      then("CALL SB(A)");
      then("A + 7");
      // A failing Quicky: its box, answered; then the Quicky box again.
      then("A = FI(2) + Q(1)");
      steps.push_back([&] {
        look();
        press(win::VK_RETURN);
      });
      steps.push_back([&] {
        look();
        evaluate("A + 7");
      });
    }
    steps.push_back([&] {
      look();
      press(win::VK_ESCAPE);
    });
    run(dir.file(start.script), steps);
    plat::set_message_boxes_as_windows(false);
    ASSERT_GE(values.size(), 2u);
    EXPECT_EQ(values[0], 40.0);
    EXPECT_EQ(values[1], 41.0);
    EXPECT_EQ(shown[0], "Quicky - number");
    EXPECT_EQ(shown[1], "Quicky - number");
    if (start.ran) {
      ASSERT_EQ(values.size(), 8u);
      EXPECT_EQ(values[2], 41.0) << "fi(40)+A";
      EXPECT_EQ(values[4], 18.0) << "A + 7 after CALL SB(A)";
      EXPECT_EQ(shown[5], "Run error") << "the failing Quicky's box";
      EXPECT_EQ(shown[6], "Quicky - number") << "after the failing Quicky's box";
      EXPECT_EQ(values[7], 18.0) << "A + 7 after the failing Quicky";
    }
  }
}

// Help > Memory, "Names and values...": the report's window shows every
// column of its headings, not "Sub#" with "or:" "or:" below it.
TEST_F(IdeTest, TheNamesReportShowsEveryColumnOfItsHeadings) {
  testsupport::TempDir dir;
  testsupport::write_file(dir.file("hello.ost"),
                          testsupport::read_file(testsupport::source_dir() / "examples/hello.ost"));
  std::string title;
  int columns = 0;
  run(dir.file("hello.ost"), {[] {
                                plat::set_message_boxes_as_windows(true);
                                with(win::VK_MENU, 'R');
                              },
                              [] {
                                with(win::VK_MENU, 'H');
                                press('M', 'm');
                              },
                              [] { with(win::VK_MENU, 'N'); },
                              [&] {
                                const win::HWND report = shownbox(title);
                                win::RECT r{};
                                win::GetClientRect(report, &r);
                                const int cell = plot::fontslots(exec::wdwtail->fontslot).cellwidth;
                                columns = cell > 0 ? static_cast<int>(r.right) / cell : 0;
                              }});
  plat::set_message_boxes_as_windows(false);
  EXPECT_EQ(title, "MEMandNAMES.txt");
  EXPECT_GE(columns, 92);
}

}  // namespace
}  // namespace idetest
