// Message boxes as dialogs: answers by key and click, the default button,
// Escape, the icon and the wrapped text.
#include "platform/backend.h"
#include "platform/win_gdi.h"
#include "platform/win_message_keys.h"
#include "platform/win_resources.h"
#include "win_dialog_testing.h"

using namespace win;
using namespace dlgtest;

namespace {

class MessageBoxDialogs : public DialogTest {
 protected:
  void SetUp() override {
    DialogTest::SetUp();
    plat::set_message_boxes_as_windows(true);
    testing::internal::CaptureStderr();
  }
  void TearDown() override {
    testing::internal::GetCapturedStderr();
    DialogTest::TearDown();
  }
};

int ask(UINT style, std::function<void()> user, const char* text = "Go on?") {
  later(std::move(user));
  return MessageBoxA(nullptr, text, "Question", style);
}

HWND box() {
  HWND h = GetActiveWindow();
  char cls[16] = "";
  GetClassNameA(h, cls, sizeof cls);
  return std::string(cls) == "#32770" ? h : nullptr;
}

}  // namespace

TEST_F(MessageBoxDialogs, AnswersByLetterEnterEscapeTabAndClick) {
  EXPECT_EQ(ask(MB_YESNO, [] { key('N', 'n'); }), IDNO);
  EXPECT_EQ(ask(MB_YESNO | MB_DEFBUTTON2, [] { key(VK_RETURN); }), IDNO);
  EXPECT_EQ(ask(MB_YESNO,
                [] {
                  key(VK_ESCAPE);  // no Cancel: nothing happens
                  key('Y', 'y');
                }),
            IDYES);
  EXPECT_EQ(ask(MB_OKCANCEL, [] { key(VK_ESCAPE); }), IDCANCEL);
  EXPECT_EQ(ask(MB_OK, [] { key(VK_ESCAPE); }), IDOK);
  EXPECT_EQ(ask(MB_ABORTRETRYIGNORE, [] { key('I', 'i'); }), IDIGNORE);
  EXPECT_EQ(ask(MB_YESNOCANCEL,
                [] {
                  key(VK_TAB);
                  later([] { key(VK_RETURN); });  // after the focus moved on
                }),
            IDNO);
  EXPECT_EQ(ask(MB_RETRYCANCEL,
                [] {
                  HWND retry = GetDlgItem(box(), IDRETRY);
                  mouse(box(), retry, 5, 5, 1);
                  mouse(box(), retry, 5, 5, -1);
                }),
            IDRETRY);
  // Nobody answers: the answer that repeats no work.
  EXPECT_EQ(MessageBoxA(nullptr, "Save?", "Q", MB_YESNOCANCEL), IDCANCEL);
  EXPECT_EQ(MessageBoxA(nullptr, "Delete?", "Q", MB_YESNO), IDNO);
  ASSERT_EQ(plat::message_box_log().size(), 10u);
  EXPECT_EQ(plat::message_box_log()[0].answer, IDNO);
}

TEST_F(MessageBoxDialogs, DefaultButtonIconWrappedTextAndADisabledOwner) {
  HWND owner = wintest::make_top();
  bool owner_enabled = true;
  int def_id = 0;
  HWND icon = nullptr, text = nullptr;
  int ink = 0;
  RECT yes{}, no{}, tr{};
  later([&] {
    HWND b = box();
    ASSERT_NE(b, nullptr);
    owner_enabled = IsWindowEnabled(owner) != FALSE;
    def_id = GetDlgCtrlID(GetFocus());
    for (HWND c = GetWindow(b, GW_CHILD); c != nullptr; c = GetWindow(c, GW_HWNDNEXT)) {
      char cls[16];
      GetClassNameA(c, cls, sizeof cls);
      if (std::string(cls) != "Static") continue;
      ((GetWindowLongA(c, GWL_STYLE) & SS_TYPEMASK) == SS_ICON ? icon : text) = c;
    }
    UpdateWindow(b);
    for (int y = 0; y < 32; ++y)
      for (int x = 0; x < 32; ++x)
        ink += plat::window_pixel(icon, x, y) != GetSysColor(COLOR_BTNFACE) ? 1 : 0;
    GetWindowRect(GetDlgItem(b, IDYES), &yes);
    GetWindowRect(GetDlgItem(b, IDNO), &no);
    GetWindowRect(text, &tr);
    key(VK_ESCAPE);
  });
  const std::string long_text(60, 'w');
  const std::string words = long_text + " " + long_text + " " + long_text;
  EXPECT_EQ(
      MessageBoxA(owner, words.c_str(), "Wrap", MB_YESNOCANCEL | MB_ICONQUESTION | MB_DEFBUTTON2),
      IDCANCEL);
  EXPECT_FALSE(owner_enabled);
  EXPECT_TRUE(IsWindowEnabled(owner));
  EXPECT_EQ(def_id, IDNO);
  EXPECT_NE(icon, nullptr);
  EXPECT_GT(ink, 200);
  EXPECT_EQ(yes.right - yes.left, no.right - no.left);
  EXPECT_EQ(yes.top, no.top);
  EXPECT_GT(tr.bottom - tr.top, 30);  // three lines
  EXPECT_LE(tr.left, yes.left + 400);
  // MB_DEFBUTTON3 of two buttons: the first is the default.
  EXPECT_EQ(ask(MB_YESNO | MB_DEFBUTTON3, [] { key(VK_RETURN); }), IDYES);
}
