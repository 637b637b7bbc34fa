// The More menu and the title buttons of tables, worked as a user works
// them headless: the prompts are answered by clicks, the kept layout runs
// the table's statement once more, the history of searches is kept.
#include <gtest/gtest.h>

#include <string>

#include "core/stores.h"
#include "core/symbols.h"
#include "dialog_fixture.h"
#include "exec/windowlist.h"
#include "platform/win_controls.h"
#include "platform/win_message.h"
#include "platform/win_message_box.h"
#include "platform/win_message_keys.h"
#include "ui/tablelayout.h"
#include "ui/tables.h"

namespace {

using dlgtest::click;
using dlgtest::DialogScript;
using dlgtest::keys;
using dlgtest::press;
using dlgtest::probe;

// The prompts shown as dialogs, answered by the clicks given.
class TableMore : public DialogScript {
 protected:
  void SetUp() override {
    DialogScript::SetUp();
    plat::set_message_boxes_as_windows(true);
  }
  void TearDown() override {
    plat::set_message_boxes_as_windows(false);
    DialogScript::TearDown();
  }
};

// Ids of the items of WIN prompts: 10000 plus the choice.
constexpr int choiceid(int c) { return 10000 + c; }
constexpr int kMore = 1002;

std::int32_t visrows(win::HWND d) {
  exec::wdwrec* w = ui::tablewindow(d);
  return w != nullptr && w->firsttable != nullptr ? w->firsttable->visrows : -1;
}

void setvariable(const char* name, double v) {
  std::int32_t k = 0;
  if (core::FINDSN(name, k, 2)) core::z(core::name(k).adr) = v;
}

constexpr const char* kLayout = R"(DIMENSION A(8, 2)
H = 3
N = 0
I = DLG(Edit=A, Height=H)
N = N + 1
)";

TEST_F(TableMore, AKeptLayoutRunsTheTablesStatementOnceMoreWithTheKeptRows) {
  std::vector<std::int32_t> rows;
  const auto seen = [&] { return probe([&](win::HWND d) { rows.push_back(visrows(d)); }); };
  answer({probe([](win::HWND) {}), seen(), probe([](win::HWND) { setvariable("H", 5); }),
          click(kMore)});
  answer({click(choiceid(1107))});
  answer({click(choiceid(10))});
  answer({probe([](win::HWND) {}), seen(), click(1001)});
  const std::string out = run(kLayout);
  // The rebuilt table has the kept three rows although Height asks for 5;
  // the statement after it ran once.
  EXPECT_EQ(rows, (std::vector<std::int32_t>{3, 3})) << out;
  EXPECT_NE(out.find("N=1\n"), std::string::npos) << out;
  EXPECT_NE(out.find("I=1001\n"), std::string::npos) << out;
}

TEST_F(TableMore, ALayoutNotKeptChangesNothing) {
  answer({probe([](win::HWND) {}), click(kMore)});
  answer({click(choiceid(1107))});
  answer({press(win::VK_ESCAPE)});
  const std::string out = run(kLayout);
  // The table, the menu, the question; the table's dialog, left by
  // nobody, ends the run as by Escape, and nothing runs it again.
  EXPECT_EQ(dlgtest::opened.size(), 3u);
  EXPECT_NE(out.find("N=0\n"), std::string::npos) << out;
  EXPECT_FALSE(ui::layoutkept());
}

}  // namespace
