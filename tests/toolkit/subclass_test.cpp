// The keys of edit boxes in toolkit dialogs: Tab left to the dialog, Enter
// committing the text (and pressing the default button), Enter reported as
// its own event, and the edit class given back when the main window goes.
#include "dialog_testing.h"
#include "platform/win_message_box.h"
#include "toolkit/dialog_subclass.h"

using namespace toolkit;

namespace {

using Subclass = dlgt::DialogTest;

std::vector<int> codes;
int note_code(win::HWND&, dialog_t* items, int& number) {
  codes.push_back(items[number - 1].event_code);
  return -1;
}

win::LONG_PTR class_proc(win::HWND h) {
  return static_cast<win::LONG_PTR>(win::GetClassLongPtrA(h, win::GCLP_WNDPROC));
}

TEST_F(Subclass, TabIsLeftToTheDialog) {
  dialog_t items[3];
  dlgt::set(items[0], {.type = DLG_EDITBOX, .x = 4, .y = 4});
  dlgt::set(items[1], {.type = DLG_EDITBOX, .x = 4, .y = 20, .kind = kKindReal8});
  dlgt::set(items[2], {.type = DLG_CHECKBOX, .title = "C", .x = 4, .y = 36});
  auto dialog = reinterpret_cast<win::HWND>(dlgt::run(items, 3, true));
  const auto control = [&](int i) { return win::GetDlgItem(dialog, items[i].id); };
  EXPECT_EQ(class_proc(control(0)), reinterpret_cast<win::LONG_PTR>(&EDIT_SUBCLASS_PROC));
  win::SetFocus(control(0));
  dlgt::key(win::VK_TAB);
  dlgt::pump();
  EXPECT_EQ(win::GetFocus(), control(1));
  dlgt::key(win::VK_TAB);  // a multi-line number field too
  dlgt::pump();
  EXPECT_EQ(win::GetFocus(), control(2));
  win::DestroyWindow(dialog);
}

TEST_F(Subclass, EnterCommitsThenPressesTheDefaultButton) {
  dialog_t items[2];
  dlgt::set(
      items[0],
      {.type = DLG_EDITBOX, .x = 4, .y = 4, .kind = kKindInteger, .imax = 10, .proc = note_code});
  dlgt::set(items[1], {.type = DLG_DEFAULT_PUSHBUTTON, .title = "Go", .x = 4, .y = 30});
  auto dialog = reinterpret_cast<win::HWND>(dlgt::run(items, 2, true));
  win::HWND edit = win::GetDlgItem(dialog, items[0].id);
  win::SetFocus(edit);
  win::SetWindowTextA(edit, "12");
  dlgt::key(win::VK_RETURN);
  dlgt::pump();
  // Refused: the text stays, selected, with the focus; the value is the
  // maximum and the value procedure did not run.
  ASSERT_TRUE(win::IsWindow(dialog));
  EXPECT_EQ(plat::message_box_log().back().text, "Maximum value is         10");
  EXPECT_EQ(dlgt::text(edit), "12");
  EXPECT_EQ(win::SendMessageA(edit, win::EM_GETSEL, 0, 0), win::MAKELPARAM(0, 2));
  EXPECT_EQ(win::GetFocus(), edit);
  EXPECT_EQ(items[0].event_code, 0x800);
  EXPECT_TRUE(codes.empty());
  dlgt::type_text("7");
  dlgt::key(win::VK_RETURN);
  dlgt::pump();
  EXPECT_EQ(items[0].integer_value, 7);
  EXPECT_EQ(codes, (std::vector<int>{0x2000}));
  EXPECT_FALSE(win::IsWindow(dialog));  // the default button closed it
  EXPECT_EQ(items[1].integer_value, 1);
}

TEST_F(Subclass, EnterAsItsOwnEvent) {
  codes.clear();
  dialog_t items[1];
  dlgt::set(items[0], {.type = DLG_EDITBOX,
                       .options = kOptionMultiline,
                       .x = 4,
                       .y = 4,
                       .height = 30,
                       .proc = note_code});
  auto dialog = reinterpret_cast<win::HWND>(dlgt::run(items, 1, true));
  win::HWND edit = win::GetDlgItem(dialog, items[0].id);
  win::SetFocus(edit);
  dlgt::type_text("ab");
  dlgt::pump();
  dlgt::key(win::VK_RETURN);
  dlgt::pump();
  EXPECT_EQ(codes, (std::vector<int>{0x400, 0x800, 0x800, 0x10000}));
  EXPECT_EQ(items[0].event_code, 0x2000);
  EXPECT_EQ(dlgt::text(edit), "ab");
  win::DestroyWindow(dialog);
}

TEST_F(Subclass, TheEditClassIsSubclassedAgainAfterTheWindowLayerStartedAfresh) {
  // The window layer started afresh (as between two windowless runs) has
  // forgotten the subclass; the next dialog puts it in again.
  SUBCLASS_EDIT();
  plat::reset_windows();
  SUBCLASS_EDIT();
  win::HWND edit =
      win::CreateWindowExA(0, "Edit", "", 0, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
  EXPECT_EQ(class_proc(edit), reinterpret_cast<win::LONG_PTR>(&EDIT_SUBCLASS_PROC));
  win::DestroyWindow(edit);
}

TEST_F(Subclass, EditClassGivenBackWhenTheMainWindowGoes) {
  win::HWND main = tktest::make_main();
  win::HWND before =
      win::CreateWindowExA(0, "Edit", "", 0, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
  const win::LONG_PTR own = class_proc(before);
  dialog_t items[1];
  dlgt::set(items[0], {.type = DLG_EDITBOX, .x = 4, .y = 4});
  auto dialog = reinterpret_cast<win::HWND>(dlgt::run(items, 1, true));
  EXPECT_EQ(class_proc(before), reinterpret_cast<win::LONG_PTR>(&EDIT_SUBCLASS_PROC));
  win::DestroyWindow(main);
  EXPECT_FALSE(win::IsWindow(dialog));
  EXPECT_EQ(class_proc(before), own);
  win::DestroyWindow(before);
}

}  // namespace
