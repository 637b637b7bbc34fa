// Dialogs from templates: reading the template, dialog units, the keyboard
// walk (Tab, groups, Enter, Escape, mnemonics), modal runs and failures.
#include "platform/win_dialog.h"

#include "platform/backend.h"
#include "platform/win_gdi.h"
#include "platform/win_last_error.h"
#include "platform/win_message_keys.h"
#include "win_dialog_testing.h"

using namespace win;
using namespace dlgtest;

namespace {

using DialogTemplates = DialogTest;
using DialogKeys = DialogTest;

constexpr DWORD kTab = WS_CHILD | WS_VISIBLE | WS_TABSTOP;

// A form: a static label with a mnemonic, an edit field, a group of three
// automatic radio buttons (only the first a tab stop), a check box, a
// disabled button, OK (default) and Cancel.
plat::DialogTemplate form(DWORD style = WS_POPUP | WS_CAPTION | WS_VISIBLE) {
  plat::DialogTemplate t(style, 10, 10, 200, 120, "Form", "MS Shell Dlg", 8);
  t.add("", 0x82, WS_CHILD | WS_VISIBLE, 5, 5, 40, 8, 100, "&Name:");
  t.add("", 0x81, kTab | WS_BORDER | ES_AUTOHSCROLL, 50, 5, 100, 12, 101, "");
  t.add("", 0x80, kTab | WS_GROUP | BS_AUTORADIOBUTTON, 5, 25, 60, 10, 102, "&One");
  t.add("", 0x80, WS_CHILD | WS_VISIBLE | BS_AUTORADIOBUTTON, 5, 37, 60, 10, 103, "&Two");
  t.add("", 0x80, WS_CHILD | WS_VISIBLE | BS_AUTORADIOBUTTON, 5, 49, 60, 10, 104, "Th&ree");
  t.add("", 0x80, kTab | WS_GROUP | BS_AUTOCHECKBOX, 5, 65, 60, 10, 105, "&Check");
  t.add("", 0x80, kTab | WS_DISABLED | BS_PUSHBUTTON, 5, 80, 40, 14, 106, "&Off");
  t.add("", 0x80, kTab | BS_DEFPUSHBUTTON, 100, 100, 40, 14, IDOK, "OK");
  t.add("Button", 0, kTab | BS_PUSHBUTTON, 150, 100, 40, 14, IDCANCEL, "Cancel");
  return t;
}

HWND modeless(plat::DialogTemplate& t, HWND owner = nullptr) {
  return CreateDialogIndirectParamA(nullptr, t.get(), owner, test_proc, 0);
}

int focus_id() { return GetDlgCtrlID(GetFocus()); }

}  // namespace

TEST_F(DialogTemplates, ControlsTextsFontAndDialogUnits) {
  plat::DialogTemplate t(WS_POPUP | WS_CAPTION | WS_VISIBLE, 0, 0, 100, 40, "Units", "MS Shell Dlg",
                         8);
  t.add("", 0x82, WS_CHILD | WS_VISIBLE, 4, 8, 40, 16, 1, "K\xE4se \x80");
  t.add("edit", 0, kTab, 0, 0, 20, 12, 2, "");
  HWND dlg = modeless(t);
  ASSERT_NE(dlg, nullptr);
  HWND label = GetDlgItem(dlg, 1);
  EXPECT_EQ(text(label), "K\xE4se \x80");
  EXPECT_EQ(text(dlg), "Units");
  char cls[32];
  GetClassNameA(GetDlgItem(dlg, 2), cls, sizeof cls);
  EXPECT_STREQ(cls, "Edit");
  // The template's font goes to the dialog and every control; the units
  // are its letters' average width / 4 and its cell height / 8.
  auto font = reinterpret_cast<HFONT>(SendMessageA(dlg, WM_GETFONT, 0, 0));
  ASSERT_NE(font, nullptr);
  EXPECT_EQ(SendMessageA(label, WM_GETFONT, 0, 0), reinterpret_cast<LRESULT>(font));
  HDC dc = CreateCompatibleDC(nullptr);
  SelectObject(dc, font);
  SIZE s;
  GetTextExtentPoint32A(dc, "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz", 52, &s);
  TEXTMETRICA tm;
  GetTextMetricsA(dc, &tm);
  DeleteDC(dc);
  const int bx = (s.cx + 26) / 52, by = tm.tmHeight;
  RECT r{4, 8, 44, 24};
  ASSERT_TRUE(MapDialogRect(dlg, &r));
  EXPECT_EQ(r.left, MulDiv(4, bx, 4));
  EXPECT_EQ(r.top, MulDiv(8, by, 8));
  EXPECT_EQ(r.right, MulDiv(44, bx, 4));
  RECT lr;
  GetWindowRect(label, &lr);
  POINT o{0, 0};
  ClientToScreen(dlg, &o);
  EXPECT_EQ(lr.left - o.x, r.left);
  EXPECT_EQ(lr.bottom - lr.top, r.bottom - r.top);
  RECT cr;
  GetClientRect(dlg, &cr);
  EXPECT_EQ(cr.right, MulDiv(100, bx, 4));
  EXPECT_EQ(cr.bottom, MulDiv(40, by, 8));
}

TEST_F(DialogTemplates, WithoutFontTheSystemFontsUnitsAndAWideCharacterOutsideTheCodePage) {
  plat::DialogTemplate t(WS_POPUP, 0, 0, 40, 16, "");
  t.add("", 0x82, WS_CHILD, 0, 0, 40, 8, 1, "x");
  HWND dlg = modeless(t);
  ASSERT_NE(dlg, nullptr);
  const LONG units = GetDialogBaseUnits();
  RECT cr;
  GetClientRect(dlg, &cr);
  EXPECT_EQ(cr.right, MulDiv(40, LOWORD(units), 4));
  EXPECT_EQ(cr.bottom, MulDiv(16, HIWORD(units), 8));
  EXPECT_FALSE(IsWindowVisible(dlg));  // no WS_VISIBLE: made hidden

  // A title character the code page lacks becomes "?".
  plat::DialogTemplate u(WS_POPUP, 0, 0, 40, 16, "AB");
  auto* bytes = const_cast<unsigned char*>(reinterpret_cast<const unsigned char*>(u.get()));
  bytes[sizeof(DLGTEMPLATEEX) + 4 + 2] = 0x2D;  // "B" becomes U+4E2D
  bytes[sizeof(DLGTEMPLATEEX) + 4 + 3] = 0x4E;
  HWND d2 = CreateDialogIndirectParamA(nullptr, u.get(), nullptr, test_proc, 0);
  ASSERT_NE(d2, nullptr);
  EXPECT_EQ(text(d2), "A?");
}

TEST_F(DialogTemplates, AnUnknownClassOrABadTemplateFailsWithALastErrorCode) {
  plat::DialogTemplate t(WS_POPUP, 0, 0, 40, 16, "");
  t.add("", 0x80, WS_CHILD, 0, 0, 10, 10, 1, "ok");
  t.add("NoSuchControl", 0, WS_CHILD, 0, 0, 10, 10, 2, "");
  SetLastError(0);
  EXPECT_EQ(modeless(t), nullptr);
  EXPECT_EQ(GetLastError(), ERROR_CANNOT_FIND_WND_CLASS);
  EXPECT_EQ(DialogBoxIndirectParamA(nullptr, t.get(), nullptr, test_proc, 0), -1);
  EXPECT_EQ(GetLastError(), ERROR_CANNOT_FIND_WND_CLASS);
  // Nothing is left behind: no dialog window survives.
  for (HWND h = GetWindow(GetDesktopWindow(), GW_CHILD); h != nullptr;
       h = GetWindow(h, GW_HWNDNEXT))
    ADD_FAILURE() << "window left";

  DLGTEMPLATEEX classic;
  classic.signature = 0;  // the classic form is not read
  SetLastError(0);
  EXPECT_EQ(CreateDialogIndirectParamA(nullptr, &classic, nullptr, test_proc, 0), nullptr);
  EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
}

TEST_F(DialogKeys, TabWalksTheTabStopsInOrderSkippingDisabledAndReturnsAround) {
  auto t = form();
  HWND dlg = modeless(t);
  ASSERT_NE(dlg, nullptr);
  EXPECT_EQ(focus_id(), 101);  // the first tab stop
  std::vector<int> seen;
  for (int i = 0; i < 5; ++i) {
    key(VK_TAB);
    pump(dlg);
    seen.push_back(focus_id());
  }
  EXPECT_EQ(seen, (std::vector<int>{102, 105, IDOK, IDCANCEL, 101}));
  with(VK_SHIFT, VK_TAB);
  pump(dlg);
  EXPECT_EQ(focus_id(), IDCANCEL);
  // Tab into the radio group lands on its checked button.
  SendMessageA(GetDlgItem(dlg, 104), BM_SETCHECK, BST_CHECKED, 0);
  SetFocus(GetDlgItem(dlg, 101));
  key(VK_TAB);
  pump(dlg);
  EXPECT_EQ(focus_id(), 104);
}

TEST_F(DialogKeys, ArrowsMoveInsideTheGroupAndCheckAutomaticRadioButtons) {
  auto t = form();
  HWND dlg = modeless(t);
  SetFocus(GetDlgItem(dlg, 102));
  key(VK_DOWN);
  pump(dlg);
  EXPECT_EQ(focus_id(), 103);
  EXPECT_EQ(SendMessageA(GetDlgItem(dlg, 103), BM_GETCHECK, 0, 0), BST_CHECKED);
  key(VK_DOWN);
  pump(dlg);
  key(VK_DOWN);  // wraps to the group's first button, not to the check box
  pump(dlg);
  EXPECT_EQ(focus_id(), 102);
  EXPECT_EQ(SendMessageA(GetDlgItem(dlg, 102), BM_GETCHECK, 0, 0), BST_CHECKED);
  EXPECT_EQ(SendMessageA(GetDlgItem(dlg, 103), BM_GETCHECK, 0, 0), BST_UNCHECKED);
  EXPECT_EQ(SendMessageA(GetDlgItem(dlg, 104), BM_GETCHECK, 0, 0), BST_UNCHECKED);
  key(VK_UP);
  pump(dlg);
  EXPECT_EQ(focus_id(), 104);
  EXPECT_EQ(commands.back(), (std::pair<int, int>{104, BN_CLICKED}));
}

TEST_F(DialogKeys, EnterPressesTheDefaultOrFocusedButtonAndEscapeCancels) {
  auto t = form();
  HWND dlg = modeless(t);
  EXPECT_EQ(SendMessageA(dlg, DM_GETDEFID, 0, 0), MAKELPARAM(IDOK, DC_HASDEFID));
  key(VK_RETURN);  // from the edit field: the default button
  pump(dlg);
  ASSERT_FALSE(commands.empty());
  EXPECT_EQ(commands.back().first, IDOK);

  auto t2 = form();
  dlg = modeless(t2);
  SetFocus(GetDlgItem(dlg, IDCANCEL));  // a focused push button is the default
  EXPECT_EQ(GetWindowLongA(GetDlgItem(dlg, IDOK), GWL_STYLE) & BS_TYPEMASK, BS_PUSHBUTTON);
  EXPECT_EQ(GetWindowLongA(GetDlgItem(dlg, IDCANCEL), GWL_STYLE) & BS_TYPEMASK, BS_DEFPUSHBUTTON);
  commands.clear();
  key(VK_RETURN);
  pump(dlg);
  EXPECT_EQ(commands, (std::vector<std::pair<int, int>>{{IDCANCEL, BN_CLICKED}}));
  SetFocus(GetDlgItem(dlg, 101));  // the default goes back to OK
  EXPECT_EQ(GetWindowLongA(GetDlgItem(dlg, IDOK), GWL_STYLE) & BS_TYPEMASK, BS_DEFPUSHBUTTON);

  // Without a default button Enter gives IDOK; Escape gives IDCANCEL.
  plat::DialogTemplate t3(WS_POPUP | WS_VISIBLE, 0, 0, 50, 30, "");
  t3.add("", 0x81, kTab, 0, 0, 40, 12, 7, "");
  dlg = modeless(t3);
  commands.clear();
  key(VK_RETURN);
  pump(dlg);
  dlg = modeless(t3);  // the first one ended
  key(VK_ESCAPE);
  pump(dlg);
  EXPECT_EQ(commands,
            (std::vector<std::pair<int, int>>{{IDOK, BN_CLICKED}, {IDCANCEL, BN_CLICKED}}));
}

TEST_F(DialogKeys, MnemonicsByAltOrByTheLetterAloneWhereTheFocusTakesNoCharacters) {
  auto t = form();
  HWND dlg = modeless(t);
  // In the edit field a letter is typed; with Alt it is a mnemonic.
  key('C', 'c');
  pump(dlg);
  EXPECT_EQ(text(GetDlgItem(dlg, 101)), "c");
  EXPECT_EQ(SendMessageA(GetDlgItem(dlg, 105), BM_GETCHECK, 0, 0), BST_UNCHECKED);
  with(VK_MENU, 'C');
  pump(dlg);
  EXPECT_EQ(focus_id(), 105);
  EXPECT_EQ(SendMessageA(GetDlgItem(dlg, 105), BM_GETCHECK, 0, 0), BST_CHECKED);
  // On a button the letter alone will do; a disabled button's is skipped.
  key('T', 't');
  pump(dlg);
  EXPECT_EQ(focus_id(), 103);
  EXPECT_EQ(SendMessageA(GetDlgItem(dlg, 103), BM_GETCHECK, 0, 0), BST_CHECKED);
  commands.clear();
  key('O', 'o');  // "&One" (the "&Off" button is disabled)
  pump(dlg);
  EXPECT_EQ(focus_id(), 102);
  // A label's mnemonic moves the focus to the control after it.
  with(VK_MENU, 'N');
  pump(dlg);
  EXPECT_EQ(focus_id(), 101);
}

TEST_F(DialogKeys, AModalDialogDisablesItsOwnerRunsOnInjectedKeysAndCancelsWhenNothingCanCome) {
  HWND owner = wintest::make_top();
  auto t = form(WS_POPUP | WS_CAPTION);
  bool owner_disabled = false;
  static bool* flag;
  flag = &owner_disabled;
  static HWND the_owner;
  the_owner = owner;
  auto proc = [](HWND h, UINT m, WPARAM wp, LPARAM lp) -> INT_PTR {
    if (m == WM_INITDIALOG) *flag = !IsWindowEnabled(the_owner);
    return test_proc(h, m, wp, lp);
  };
  later([] {
    type("Bob");
    key(VK_RETURN);
  });
  EXPECT_EQ(DialogBoxIndirectParamA(nullptr, t.get(), owner, proc, 0), IDOK);
  EXPECT_TRUE(owner_disabled);
  EXPECT_TRUE(IsWindowEnabled(owner));
  EXPECT_EQ(GetActiveWindow(), owner);

  // No input at all: the dialog is cancelled instead of waiting for ever.
  commands.clear();
  EXPECT_EQ(DialogBoxIndirectParamA(nullptr, t.get(), owner, test_proc, 0), IDCANCEL);
  EXPECT_EQ(commands, (std::vector<std::pair<int, int>>{{IDCANCEL, BN_CLICKED}}));
}
