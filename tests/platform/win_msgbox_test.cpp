#include <gtest/gtest.h>

#include "platform/win_message_box.h"
#include "tests/platform/win_window_recorder.h"

using namespace win;
using namespace wintest;

using WinMessageBox = WindowTest;

TEST_F(WinMessageBox, UnansweredBoxesGiveTheAnswerThatRepeatsNoWork) {
  EXPECT_EQ(MessageBoxA(nullptr, "t", "c", MB_OK | MB_ICONEXCLAMATION), IDOK);
  EXPECT_EQ(MessageBoxA(nullptr, "t", "c", MB_OKCANCEL), IDCANCEL);
  EXPECT_EQ(MessageBoxA(nullptr, "t", "c", MB_YESNO | MB_DEFBUTTON1), IDNO);
  EXPECT_EQ(MessageBoxA(nullptr, "t", "c", MB_YESNOCANCEL), IDCANCEL);
  EXPECT_EQ(MessageBoxA(nullptr, "t", "c", MB_RETRYCANCEL), IDCANCEL);
  EXPECT_EQ(MessageBoxA(nullptr, "t", "c", MB_ABORTRETRYIGNORE), IDABORT);
  EXPECT_EQ(MessageBoxA(nullptr, "t", "c", MB_SETFOREGROUND | MB_YESNO), IDNO);
  EXPECT_EQ(plat::message_box_log().size(), 7u);
}

TEST_F(WinMessageBox, QueuedAnswersAreTakenInOrderWhenTheBoxOffersThem) {
  plat::push_message_box_answer(IDYES);
  plat::push_message_box_answer(IDRETRY);
  plat::push_message_box_answer(IDCANCEL);
  EXPECT_EQ(MessageBoxA(nullptr, "Save?", "Q", MB_YESNO), IDYES);
  testing::internal::CaptureStderr();
  EXPECT_EQ(MessageBoxA(nullptr, "Done", "Info", MB_OK), IDOK);  // Retry is not offered
  std::string line = testing::internal::GetCapturedStderr();
  EXPECT_NE(line.find("(queued answer not offered)"), std::string::npos);
  EXPECT_EQ(MessageBoxA(nullptr, "Go on?", "Q", MB_OKCANCEL), IDCANCEL);
  EXPECT_EQ(MessageBoxA(nullptr, "Go on?", "Q", MB_OKCANCEL), IDCANCEL);  // queue empty
  const auto& log = plat::message_box_log();
  ASSERT_EQ(log.size(), 4u);
  EXPECT_EQ(log[0].title, "Q");
  EXPECT_EQ(log[0].text, "Save?");
  EXPECT_EQ(log[0].answer, IDYES);
  EXPECT_EQ(log[1].style, MB_OK);
}

TEST_F(WinMessageBox, EveryBoxIsReportedInUtf8OnStandardErrorLineByLine) {
  testing::internal::CaptureStderr();
  MessageBoxA(nullptr, "K\xE4se\r\nund \x80", nullptr, MB_YESNO);
  // Empty lines and trailing blanks are left out; an OK box shows no answer.
  MessageBoxA(nullptr, "one  \r\r\ntwo\x01\r\n", "T", MB_OK);
  MessageBoxA(nullptr, "", "Only a title", MB_OK);
  std::string out = testing::internal::GetCapturedStderr();
  EXPECT_EQ(out,
            "ostrel: Error: K\xC3\xA4se\n  und \xE2\x82\xAC\n  -> No\n"
            "ostrel: T: one\n  two?\n"
            "ostrel: Only a title\n");
  plat::reset_message_boxes();
  EXPECT_TRUE(plat::message_box_log().empty());
}

namespace {

// A back end with a display of its own, to check the seam.
struct FakeDisplay final : plat::Backend {
  int polls = 0;
  int created = 0;
  int presents = 0;
  const char* name() const override { return "fake"; }
  SIZE screen_size() const override { return {800, 600}; }
  int dpi() const override { return 120; }
  bool has_display() const override { return true; }
  bool answer_yes = false;  // the user presses Y once a box is up
  void poll() override {
    if (++polls == 1) plat::input_key('K', 0x25, true);
    char cls[16] = "";
    GetClassNameA(GetActiveWindow(), cls, sizeof cls);
    if (answer_yes && std::string(cls) == "#32770") {
      answer_yes = false;
      plat::inject_key_press('Y', 'y');
    }
  }
  bool wait(int) override { return true; }
  void window_created(HWND) override { ++created; }
  void present(HWND, const RECT&) override { ++presents; }
};

}  // namespace

TEST_F(WinMessageBox, ABackEndWithADisplayIsPolledDrawsAndAnswers) {
  FakeDisplay fake;
  plat::set_backend(&fake);
  EXPECT_EQ(GetSystemMetrics(SM_CXSCREEN), 800);
  HWND h = make_top(0, 0, 200, 100);
  EXPECT_EQ(fake.created, 1);
  MSG m;
  EXPECT_TRUE(PeekMessageA(&m, nullptr, WM_KEYDOWN, WM_KEYDOWN, PM_REMOVE));  // polled input
  EXPECT_EQ(m.hwnd, h);
  EXPECT_EQ(fake.polls, 1);
  for (int i = 0; i < 100; ++i) PeekMessageA(&m, nullptr, WM_USER, WM_USER, PM_REMOVE);
  EXPECT_LT(fake.polls, 100);  // at most once per millisecond
  pump();
  EXPECT_GT(fake.presents, 0);
  fake.answer_yes = true;
  EXPECT_EQ(MessageBoxA(h, "x", "y", MB_YESNO), IDYES);
  plat::set_backend(nullptr);
  EXPECT_EQ(GetSystemMetrics(SM_CXSCREEN), 1280);
}
