// The mouse engine: clicks, drags, the rubber band on the screen, and
// captures that end.
#include <vector>

#include "toolkit/loops.h"
#include "toolkit/mouse.h"
#include "toolkit_fixture.h"

namespace {

using namespace toolkit;
using tktest::calls;
using tktest::codes;
using tktest::ToolkitTest;

class MouseTest : public ToolkitTest {
 protected:
  void SetUp() override {
    ToolkitTest::SetUp();
    main = tktest::make_main();
    PROCESS_MESSAGES();
  }
  // Mouse input at a client point of the main window.
  void move(int x, int y) {
    const win::POINT p = screen(x, y);
    plat::input_mouse_move(p.x, p.y);
    PROCESS_MESSAGES();
  }
  void button(int which, bool down, int x, int y) {
    const win::POINT p = screen(x, y);
    plat::input_mouse_button(which, down, p.x, p.y);
    PROCESS_MESSAGES();
  }
  win::POINT screen(int x, int y) {
    win::POINT p{x, y};
    win::ClientToScreen(main, &p);
    return p;
  }
  std::vector<std::uint32_t> pixels() {
    std::vector<std::uint32_t> out;
    for (int y = 0; y < 300; y += 1)
      for (int x = 0; x < 400; x += 1) out.push_back(plat::window_pixel(main, x, y));
    return out;
  }
  void want(int mask) { CAPTURE_MOUSE_EVENTS(main, tktest::record_mouse, mask, nullptr, nullptr); }

  win::HWND main = nullptr;
};

TEST_F(MouseTest, APressAndReleaseWithinTheDragThresholdIsAClick) {
  want(kLeftClick | kLeftRubberRect | kLeftDown);
  button(0, true, 50, 50);
  move(53, 52);
  button(0, false, 53, 52);
  ASSERT_EQ(codes("mouse"), (std::vector<int>{kLeftDown, kLeftClick}));
  const tktest::Call click = tktest::calls_of("mouse")[1];
  EXPECT_EQ(click.first.x, 50);
  EXPECT_EQ(click.second.x, 50);
  EXPECT_EQ(click.rect.right, 0);
}

TEST_F(MouseTest, TheRubberBandStaysAfterTheDragAndIsErasedPixelExactByTheNextPress) {
  want(kLeftRubberRect);
  const std::vector<std::uint32_t> before = pixels();
  button(0, true, 150, 110);
  move(40, 60);
  move(20, 20);
  button(0, false, 20, 20);
  ASSERT_EQ(codes("mouse"), (std::vector<int>{kLeftRubberRect}));
  const tktest::Call drag = tktest::calls_of("mouse")[0];
  EXPECT_EQ(drag.first.x, 150);
  EXPECT_EQ(drag.second.y, 20);
  EXPECT_EQ(drag.rect.left, 20);
  EXPECT_EQ(drag.rect.top, 20);
  EXPECT_EQ(drag.rect.right, 150);
  EXPECT_EQ(drag.rect.bottom, 110);
  // Only the last rectangle's outline is on the screen.
  EXPECT_NE(plat::window_pixel(main, 80, 20), before[20 * 400 + 80]);
  EXPECT_EQ(plat::window_pixel(main, 30, 60), before[60 * 400 + 30]);
  button(0, true, 300, 250);
  EXPECT_EQ(pixels(), before);
}

TEST_F(MouseTest, ARightPressDuringALeftDragEndsItWithoutADragCall) {
  want(kLeftRubberLine | kLeftUp);
  const std::vector<std::uint32_t> before = pixels();
  button(0, true, 10, 10);
  move(100, 80);
  EXPECT_NE(pixels(), before);
  button(1, true, 100, 80);
  move(101, 81);
  EXPECT_EQ(pixels(), before);
  button(1, false, 101, 81);
  button(0, false, 101, 81);
  EXPECT_EQ(codes("mouse"), (std::vector<int>{kLeftUp}));
}

TEST_F(MouseTest, AMaskOf0RemovesTheCallback) {
  want(kLeftDown | kMouseMoved);
  button(0, true, 5, 5);
  move(6, 6);
  EXPECT_EQ(codes("mouse").back(), kMouseMoved);
  const std::size_t seen = codes("mouse").size();
  want(0);
  EXPECT_EQ(FIND_WINDOW_RECORD(main)->mouse, nullptr);
  button(0, false, 5, 5);
  button(0, true, 7, 7);
  EXPECT_EQ(codes("mouse").size(), seen);
  int ups = 0;
  CAPTURE_MOUSE_EVENTS(nullptr, nullptr, 1, nullptr, &ups);
  EXPECT_EQ(ups, 0x10000);
}

}  // namespace
