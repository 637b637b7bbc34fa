// The dialog editor run from DIALOG_BOX, step by step inside its modal
// loops: selecting by clicks, applying a size (the same value marks
// nothing), the output of modified items only, an empty output, a grid's
// blank type name, Cancel; the Tools dialog that switches the editor on.
#include <filesystem>
#include <functional>
#include <utility>

#include "dialog_testing.h"
#include "platform/win_clipboard.h"
#include "platform/win_message_box.h"
#include "support/test_support.h"
#include "toolkit/dialog_box.h"
#include "toolkit/dialog_editor.h"
#include "toolkit/grid.h"
#include "toolkit/helpers.h"
#include "toolkit/tools_dialog.h"
#include "toolkit/window_proc.h"

using namespace toolkit;

namespace {

// Runs the steps one after the other, each from inside the message loop
// that is running when the one before has ended.
void steps(std::vector<std::function<void()>> list, std::size_t at = 0) {
  if (at >= list.size()) return;
  dlgt::later([list = std::move(list), at]() mutable {
    auto step = list[at];
    steps(std::move(list), at + 1);
    step();
  });
}

win::HWND top_window(const std::string& title) {
  for (win::HWND h = win::GetWindow(win::GetDesktopWindow(), win::GW_CHILD); h != nullptr;
       h = win::GetWindow(h, win::GW_HWNDNEXT))
    if (win::IsWindowVisible(h) && dlgt::text(h) == title) return h;
  return nullptr;
}

// A click at a point of a window's client area in dialog units.
void click(win::HWND window, int x, int y) {
  win::RECT r{x, y, 0, 0};
  win::MapDialogRect(window, &r);
  win::POINT p{r.left, r.top};
  win::ClientToScreen(window, &p);
  plat::input_mouse_button(0, true, p.x, p.y);
  plat::input_mouse_button(0, false, p.x, p.y);
}

// The editor (else the output dialog, else the dialog run for real), and
// its fields by control id.
win::HWND editor() {
  for (const char* title : {"Fenstra Dialog Editor", "Generate Dialog Editor Output", "T"})
    if (win::HWND h = top_window(title)) return h;
  return nullptr;
}
std::string field(int id) { return dlgt::text(win::GetDlgItem(editor(), id)); }
void enter(int id, const std::string& value) {
  win::HWND edit = win::GetDlgItem(editor(), id);
  win::SetFocus(edit);
  win::SetWindowTextA(edit, value.c_str());
  dlgt::key(win::VK_RETURN);
}
void press(int id) {
  win::HWND dialog = editor();
  win::SendMessageA(dialog, win::WM_COMMAND, win::MAKEWPARAM(id, win::BN_CLICKED),
                    reinterpret_cast<win::LPARAM>(win::GetDlgItem(dialog, id)));
}

// Ids of the editor's fields (0x400 + their place).
constexpr int kNumber = 0x403, kType = 0x404, kWidth = 0x40E;
constexpr int kGenerate = 6, kCancel = 2;
// Ids of the output dialog.
constexpr int kOnlyModified = 237;

class Editor : public dlgt::DialogTest {
 protected:
  dialog_t items[3];
  void SetUp() override {
    DialogTest::SetUp();
    tktest::make_main();
    plat::set_clipboard_text("untouched");
    dlgt::set(items[0], {.type = DLG_EDITBOX, .text = "x"});
    dlgt::set(items[1], {.type = DLG_CHECKBOX, .title = "Check"});
    dlgt::set(items[2], {.type = DLG_OK_BUTTON});
    dialog_editor_enabled = true;
    plat::push_message_box_answer(win::IDYES);
  }
  win::INT_PTR run(dialog_t* d, int n) {
    const int modal = 0;
    return DIALOG_BOX(d, n, "T", 1, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                      &modal, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr);
  }
};

TEST_F(Editor, SelectResizeAndWriteTheModifiedItem) {
  win::HWND edited = nullptr;
  std::string lines_seen;
  steps({[&] {
           edited = top_window("T");
           ASSERT_NE(edited, nullptr);
           click(edited, 60, 40);  // empty space: the dialog box itself
         },
         [&] {
           EXPECT_EQ(field(kType), "Dialog Box Window");
           EXPECT_EQ(field(kNumber), "0");
           click(edited, 9, 9);  // the edit box
         },
         [&] {
           EXPECT_EQ(field(kNumber), "1");
           EXPECT_EQ(field(kType), "DLG_EDITBOX");
           enter(kWidth, "80");  // as it was
         },
         [&] { enter(kWidth, "90"); },
         [&] {
           // The control follows at once.
           win::RECT r{};
           win::GetWindowRect(win::GetDlgItem(edited, 0x401), &r);
           win::RECT want{0, 0, 90, 0};
           win::MapDialogRect(edited, &want);
           EXPECT_EQ(r.right - r.left, want.right);
           press(kGenerate);
         },
         [&] {
           win::SendMessageA(win::GetDlgItem(editor(), kOnlyModified), win::BM_SETCHECK, 1, 0);
           press(win::IDOK);
         },
         [&] { press(win::IDOK); }});  // the edited copy, run for real
  EXPECT_EQ(run(items, 3), win::IDOK);
  EXPECT_EQ(plat::clipboard_text(),
            "      CALL set_dialog_item (dialog_item=dialog(1), x=7, y=7, width=90, height=12, "
            "edit=.TRUE.)\r\n");
  EXPECT_EQ(items[0].width, 80);  // the caller's array stays as it was
  EXPECT_EQ(plat::message_box_log().back().title, "Fenstra Dialog Editor");
  EXPECT_EQ(plat::message_box_log().back().text, "Do you want to edit the 'T' dialog box?");
}

TEST_F(Editor, OutputsOfUnchangedDialogsAndGrids) {
  std::int32_t data[2] = {};
  dialog_t d[3];
  dlgt::set(d[0], {.type = DLG_SPREADSHEET, .title = "Rows", .width = 100, .height = 40});
  SET_COLUMN_ITEM_INTEGER(d[1], data, 2, "c", 1, nullptr, nullptr, nullptr, nullptr, nullptr,
                          nullptr, nullptr, nullptr, nullptr, nullptr, 0, nullptr, nullptr, nullptr,
                          nullptr, nullptr, nullptr, nullptr, nullptr);
  dlgt::set(d[2], {.type = DLG_OK_BUTTON});
  steps({[&] { press(kGenerate); },
         [&] {
           EXPECT_EQ(DIALOG_EDITOR_LINES({true, true, ""}), "");  // nothing modified
           const std::string all = DIALOG_EDITOR_LINES({false, false, "\t "});
           EXPECT_EQ(all.substr(0, all.find('\n') + 1),
                     "\t dialog(1) x=7 y=7 width=100 height=40 type=" + std::string(22, ' ') +
                         " title/text=Rows\r\n");
           EXPECT_NE(all.find("\t dialog(3) x=7 y=51 width=40 height=12 type=DLG_OK_BUTTON   "),
                     std::string::npos);
           EXPECT_NE(all.find("\t Dialog box size: width="), std::string::npos);
           press(win::IDCANCEL);
         },
         [&] { press(win::IDOK); }});
  EXPECT_EQ(run(d, 3), win::IDOK);
  EXPECT_EQ(plat::clipboard_text(), "untouched");
}

TEST_F(Editor, ViewWindowShowsTheOutput) {
  steps({[&] { press(kGenerate); },
         [&] {
           const win::HWND out = editor();
           win::SendMessageA(win::GetDlgItem(out, 232), win::BM_SETCHECK, 0, 0);
           win::SendMessageA(win::GetDlgItem(out, 233), win::BM_SETCHECK, 1, 0);
           press(win::IDOK);
         },
         [&] { press(win::IDOK); }});
  EXPECT_EQ(run(items, 3), win::IDOK);
  const win::HWND view = top_window("Source for: dialog");
  ASSERT_NE(view, nullptr);
  const std::string shown = FIND_WINDOW_RECORD(view)->scroll.file_name;
  EXPECT_EQ(testsupport::read_file(shown).substr(0, 30), "      CALL set_dialog_item (di");
  win::SendMessageA(view, win::WM_CLOSE, 0, 0);
  EXPECT_FALSE(std::filesystem::exists(shown));  // the view's file goes with it
}

// The file destination: an existing file is replaced by the output; a
// file that cannot be written (a folder of that name) is said.
TEST_F(Editor, TheFileDestinationReplacesTheFileOrSaysWhyNot) {
  testsupport::TempDir dir;
  testsupport::write_file(dir.file("out.txt"), "an older and longer text\r\n");
  std::filesystem::create_directory(dir.file("folder.txt"));
  for (const std::string name : {"out.txt", "folder.txt"}) {
    SCOPED_TRACE(name);
    plat::reset_message_boxes();
    plat::push_message_box_answer(win::IDYES);
    steps({[&] { press(kGenerate); },
           [&] {
             const win::HWND out = editor();
             win::SendMessageA(win::GetDlgItem(out, 232), win::BM_SETCHECK, 0, 0);
             win::SendMessageA(win::GetDlgItem(out, 234), win::BM_SETCHECK, 1, 0);
             win::SetWindowTextA(win::GetDlgItem(out, 236), dir.file(name).c_str());
             press(win::IDOK);
           },
           [&] { press(win::IDOK); }});
    EXPECT_EQ(run(items, 3), win::IDOK);
  }
  EXPECT_EQ(testsupport::read_file(dir.file("out.txt")).substr(0, 30),
            "      CALL set_dialog_item (di");
  EXPECT_EQ(plat::message_box_log().back().text,
            "The dialog source was not written to " + dir.file("folder.txt") + ": Is a directory");
  EXPECT_TRUE(std::filesystem::is_directory(dir.file("folder.txt")));
}

TEST_F(Editor, CancelGivesZeroAndWritesNothing) {
  steps({[&] { press(kCancel); }});
  EXPECT_EQ(run(items, 3), 0);
  EXPECT_EQ(plat::clipboard_text(), "untouched");
  EXPECT_FALSE(dialog_editor_running);
  // Answered No, the dialog runs as without the editor.
  plat::push_message_box_answer(win::IDNO);
  steps({[&] {
    EXPECT_NE(top_window("T"), nullptr);
    press(win::IDOK);
  }});
  EXPECT_EQ(run(items, 3), win::IDOK);
}

TEST_F(Editor, TypeNames) {
  char name[24];
  const std::pair<int, const char*> names[] = {{1, "DLG_OK_BUTTON"},
                                               {2, "DLG_CANCEL_BUTTON"},
                                               {3, "DLG_ABORT_BUTTON"},
                                               {4, "DLG_RETRY_BUTTON"},
                                               {5, "DLG_IGNORE_BUTTON"},
                                               {6, "DLG_YES_BUTTON"},
                                               {7, "DLG_NO_BUTTON"},
                                               {8, "DLG_GROUP"},
                                               {9, "DLG_PUSHBUTTON"},
                                               {10, "DLG_DEFAULT_PUSHBUTTON"},
                                               {11, "DLG_RADIOBUTTON"},
                                               {12, "DLG_CHECKBOX"},
                                               {13, ""},
                                               {14, ""},
                                               {15, "DLG_EDITBOX"},
                                               {16, "DLG_LISTBOX"},
                                               {17, "DLG_COMBOBOX"},
                                               {18, ""},
                                               {19, ""},
                                               {20, "DLG_TEXT"},
                                               {21, "DLG_FRAME"},
                                               {22, "DLG_RECTANGLE"},
                                               {23, "DLG_UPDOWN"},
                                               {24, "DLG_TRACKBAR"},
                                               {25, "DLG_PROGRESSBAR"},
                                               {26, "DLG_SCROLLBAR"},
                                               {27, ""},
                                               {0, ""}};
  for (const auto& [type, expected] : names) {
    DIALOG_ITEM_TYPE_NAME(type, name, sizeof name);
    EXPECT_EQ(trimmed_text(name, sizeof name), expected) << type;
  }
}

using Tools = dlgt::DialogTest;

TEST_F(Tools, TheCheckBoxSwitchesTheEditorAndKeepsItsState) {
  win::HWND main = tktest::make_main();
  win::SendMessageA(main, win::WM_COMMAND, 0x4003, 0);
  win::HWND tools = top_window("FenTool - Tools for Fenstra");
  ASSERT_NE(tools, nullptr);
  win::HWND box = win::GetDlgItem(tools, 0x401);
  win::SendMessageA(box, win::BM_CLICK, 0, 0);
  dlgt::pump();
  EXPECT_TRUE(dialog_editor_enabled);
  win::SendMessageA(tools, win::WM_COMMAND, win::IDOK, 0);  // "Close"
  EXPECT_FALSE(win::IsWindow(tools));
  EXPECT_EQ(FENTOOLDIALOG(), 0);  // asks first now; answered No
  tools = top_window("FenTool - Tools for Fenstra");
  ASSERT_NE(tools, nullptr);
  EXPECT_EQ(plat::message_box_log().back().text,
            "Do you want to edit the 'FenTool - Tools for Fenstra' dialog box?");
  EXPECT_EQ(win::SendMessageA(win::GetDlgItem(tools, 0x401), win::BM_GETCHECK, 0, 0), 1);
  win::SendMessageA(win::GetDlgItem(tools, 0x401), win::BM_CLICK, 0, 0);
  dlgt::pump();
  EXPECT_FALSE(dialog_editor_enabled);
  EXPECT_EQ(DEFAULT_COMMAND_HOOK(0x4005), 0);
}

}  // namespace
