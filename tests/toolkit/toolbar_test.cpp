// Toolbars from item records: images and strips, button sizes, states,
// the refused scrolling window, and a toolbar per window with tooltips.
#include <string>

#include "platform/win_commctrl.h"
#include "toolkit/toolbar.h"
#include "toolkit_fixture.h"

namespace {

using namespace toolkit;
using tktest::make_main;
using tktest::make_secondary;
using tktest::ToolkitTest;

void item(toolbar_item_t& it, tool_bitmap_t* bitmap, int image, int command,
          const std::string& tip = "") {
  SET_TOOLBAR_ITEM(it, bitmap, &image, &command, nullptr, nullptr, tip.data(),
                   static_cast<int>(tip.size()), nullptr);
}

win::HBITMAP strip(int images) {
  const win::HDC screen = win::GetDC(nullptr);
  const win::HBITMAP b = win::CreateCompatibleBitmap(screen, 16 * images, 15);
  win::ReleaseDC(nullptr, screen);
  return b;
}

std::string tooltip(win::HWND window, int command) {
  win::NMTTDISPINFOA info;
  info.hdr.code = win::TTN_NEEDTEXT;
  info.hdr.idFrom = static_cast<win::UINT_PTR>(command);
  win::SendMessageA(window, win::WM_NOTIFY, 0, reinterpret_cast<win::LPARAM>(&info));
  return info.lpszText != nullptr ? info.lpszText : "<none>";
}

TEST_F(ToolkitTest, ItemsOfOneStripShareItAndButtonsTakeTheImageSize) {
  const win::HWND main = make_main();
  const win::HBITMAP bitmap = strip(2);
  tool_bitmap_t own;
  SET_TOOL_BITMAP_ITEM(own, nullptr, 0, nullptr, &bitmap, nullptr, nullptr);
  own.images = 2;
  toolbar_item_t items[4];
  item(items[0], &standard_tool_bitmaps[0], 3, 10, "Paste");  // id 1: 15 images
  item(items[1], &own, 1, 11, std::string(128, 'x'));
  item(items[2], &own, 2, 12);
  item(items[3], nullptr, 5, 13);
  const int w = 16, h = 15;
  int ups = -1;
  SET_TOOLBAR(items, 4, &main, nullptr, nullptr, &w, &h, nullptr, nullptr, &ups);
  EXPECT_EQ(ups, 0);
  const toolbar_record* t = FIND_WINDOW_RECORD(main)->toolbar;
  ASSERT_NE(t, nullptr);
  EXPECT_EQ(standard_tool_bitmaps[0].first_image, 0);
  EXPECT_EQ(own.first_image, 15);
  const int images[4] = {2, 15, 16, 4};
  for (int i = 0; i < 4; ++i) {
    EXPECT_EQ(t->buttons[i].image, images[i]) << i;
    EXPECT_EQ(items[i].position, i + 1);
  }
  EXPECT_EQ(items[0].tooltip[5], '\0');
  EXPECT_EQ(items[1].tooltip[127], '\0');
  win::RECT r{};
  win::SendMessageA(t->window, win::TB_GETITEMRECT, 1, reinterpret_cast<win::LPARAM>(&r));
  EXPECT_EQ(r.right - r.left, 24);
  EXPECT_EQ(r.bottom - r.top, 22);
  // The toolbar takes its height from the usable client area.
  EXPECT_GT(t->height, 0);
  EXPECT_EQ(FIND_WINDOW_RECORD(main)->client.top, t->height);
  win::DeleteObject(bitmap);
}

TEST_F(ToolkitTest, AToolBitmapNeedsExactlyOneSource) {
  const win::HBITMAP bitmap = strip(1);
  tool_bitmap_t b;
  const int id = 4;
  int ups = 0;
  SET_TOOL_BITMAP_ITEM(b, nullptr, 0, &id, &bitmap, nullptr, &ups);
  EXPECT_EQ(ups, 0x10000);
  EXPECT_EQ(b.standard_id, 4);
  EXPECT_EQ(b.bitmap, bitmap);
  EXPECT_EQ(b.marker, kMarker);
  SET_TOOL_BITMAP_ITEM(b, nullptr, 0, nullptr, nullptr, nullptr, &ups);
  EXPECT_EQ(ups, 0x10000);
  // Such a record adds nothing to a toolbar.
  const win::HWND main = make_main();
  toolbar_item_t one;
  item(one, &b, 1, 10);
  SET_TOOLBAR(&one, 1, &main, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &ups);
  EXPECT_EQ(ups, 0x10000);
  EXPECT_EQ(b.first_image, -1);
  win::DeleteObject(bitmap);
}

TEST_F(ToolkitTest, AScrollingSecondaryWindowIsRefusedAndKeepsItsClientArea) {
  make_main();
  char cls[32];
  std::fill(cls, cls + sizeof cls, ' ');
  const int width = 200, height = 100, style = kStylePixelScroll;
  const win::HWND second = CREATE_SECONDARY_WINDOW(
      "S", 1, nullptr, 0, nullptr, 0, cls, sizeof cls, nullptr, nullptr, nullptr, nullptr, nullptr,
      &width, &height, &style, nullptr, 0, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
      nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr);
  const win::RECT before = FIND_WINDOW_RECORD(second)->client;
  toolbar_item_t one;
  item(one, nullptr, 1, 10);
  int ups = 0;
  SET_TOOLBAR(&one, 1, &second, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &ups);
  EXPECT_NE(ups, 0);
  EXPECT_EQ(FIND_WINDOW_RECORD(second)->toolbar, nullptr);
  EXPECT_EQ(FIND_WINDOW_RECORD(second)->client.top, before.top);
  EXPECT_EQ(win::GetWindow(second, win::GW_CHILD), nullptr);
}

TEST_F(ToolkitTest, ItemStatesEnableAndCheckTheButton) {
  const win::HWND main = make_main();
  toolbar_item_t items[2];
  item(items[0], nullptr, 1, 10);
  item(items[1], nullptr, 2, 11);
  SET_TOOLBAR(items, 2, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr);
  const win::HWND bar = FIND_WINDOW_RECORD(main)->toolbar->window;
  auto state = [&](int command) {
    return std::to_string(win::SendMessageA(bar, win::TB_ISBUTTONENABLED, command, 0) != 0) +
           std::to_string(win::SendMessageA(bar, win::TB_ISBUTTONCHECKED, command, 0) != 0);
  };
  EXPECT_EQ(state(11), "10");
  const int states[3] = {12, 4, 0};
  const char* shown[3] = {"11", "10", "00"};
  for (int i = 0; i < 3; ++i) {
    UPDATE_TOOLBAR_ITEM(items[1], nullptr, &states[i], nullptr, 0, nullptr);
    EXPECT_EQ(state(11), shown[i]);
    EXPECT_EQ(items[1].state, states[i]);
  }
  EXPECT_EQ(state(10), "10");
  // An unset item is reported, and the update still runs.
  toolbar_item_t unset;
  unset.command = 10;
  int ups = 0;
  UPDATE_TOOLBAR_ITEM(unset, &main, &states[2], "New tip", 7, &ups);
  EXPECT_EQ(ups, 0x10000);
  EXPECT_EQ(state(10), "00");
  EXPECT_EQ(unset.tooltip.str(), "New tip");
}

TEST_F(ToolkitTest, EachWindowKeepsItsOwnToolbarAndTooltips) {
  const win::HWND main = make_main();
  const win::HWND second = make_secondary();
  toolbar_item_t main_items[1], second_items[1];
  item(main_items[0], nullptr, 1, 10, "Main tip  ");
  item(second_items[0], nullptr, 1, 20, "Second tip");
  SET_TOOLBAR(main_items, 1, &main, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr);
  const int main_top = FIND_WINDOW_RECORD(main)->client.top;
  SET_TOOLBAR(second_items, 1, &second, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
              nullptr);
  EXPECT_EQ(tooltip(main, 10), "Main tip");
  EXPECT_EQ(tooltip(second, 20), "Second tip");
  EXPECT_EQ(tooltip(main, 20), "<none>");
  // A tooltip changed later reads without its blanks.
  UPDATE_TOOLBAR_ITEM(main_items[0], &main, nullptr, "Changed", 7, nullptr);
  EXPECT_EQ(tooltip(main, 10), "Changed");
  win::SendMessageA(second, win::WM_CLOSE, 0, 0);
  EXPECT_FALSE(win::IsWindow(second));
  EXPECT_EQ(FIND_WINDOW_RECORD(main)->client.top, main_top);
  EXPECT_EQ(tooltip(main, 10), "Changed");
  // A second toolbar replaces the first on the same window.
  SET_TOOLBAR(second_items, 1, &main, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
              nullptr);
  EXPECT_EQ(tooltip(main, 10), "<none>");
  EXPECT_EQ(tooltip(main, 20), "Second tip");
  int children = 0;
  for (win::HWND c = win::GetWindow(main, win::GW_CHILD); c != nullptr;
       c = win::GetWindow(c, win::GW_HWNDNEXT))
    ++children;
  EXPECT_EQ(children, 1);
}

}  // namespace
