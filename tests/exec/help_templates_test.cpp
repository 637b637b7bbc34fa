// The templates of new scripts: File > New writes the body of the help data
// file's section "untitled" or "untitled-T", byte for byte, as the new
// script. Each must compile and run to its end without a window.
#include <gtest/gtest.h>

#include <span>
#include <string>

#include "core/helpdata.h"
#include "platform/fixed_text.h"
#include "platform/win_message_box.h"
#include "script_runner.h"

namespace {

// The section's body as the keyed reader delivers it.
std::string template_text(std::string_view key) {
  core::helpkey.set(key);
  int found = 0, last = 0, len = 0, width = 0;
  plat::FixedText<256> head;
  core::GETMENUDATA(core::helpunit, found, last, len, width,
                    std::span<char>(head.data(), head.size()));
  if (found != 1) return {};
  return std::string(core::helpsection.data(), static_cast<std::size_t>(core::helpbodylen));
}

TEST(HelpTemplates, NewScriptsCompileAndRunToTheirEnd) {
  for (std::string_view key : {"untitled", "untitled-T"}) {
    scriptrun::start();
    plat::reset_message_boxes();
    const std::string text = template_text(key);
    ASSERT_FALSE(text.empty()) << key;
    EXPECT_EQ(text.substr(text.size() - 2), "\r\n") << key;
    const std::string out = scriptrun::run(text);
    EXPECT_NE(out.find("stop=-1"), std::string::npos) << key << ":\n" << out;
    EXPECT_TRUE(plat::message_box_log().empty()) << key << " showed a message";
    scriptrun::finish();
  }
}

}  // namespace
