// Failures of the file and environment services without a status: the
// user is told in the Continue box, with the message of each failure; a
// status given instead keeps the box away.
#include <functional>
#include <string>
#include <vector>

#include "platform/win_message_box.h"
#include "support/test_support.h"
#include "toolkit/helpers.h"
#include "toolkit/services.h"
#include "toolkit/status.h"
#include "toolkit_fixture.h"

namespace {

using namespace toolkit;
using tktest::ToolkitTest;

class ServiceMessages : public ToolkitTest {
 protected:
  testsupport::TempDir dir;
  std::string file(const std::string& name) { return dir.file(name); }
};

int length(const std::string& s) { return static_cast<int>(s.size()); }

TEST_F(ServiceMessages, EachFailureWithoutAStatusShowsItsMessage) {
  diagnosis_mode = 1;
  const std::string there = file("t.txt");
  testsupport::write_file(there, "x");
  const std::string gone = file("gone");
  const date_time_record when{2021, 7, 4, 0, 13, 14, 15, 160};
  date_time_record wrong = when;
  wrong.month = 13;
  date_time_record back;
  char value[4];
  struct Case {
    std::string message;
    std::function<void()> call;
  };
  const std::vector<Case> cases = {
      {"Can't open file in FE_OPEN_FILE",
       [&] {
         FE_OPEN_FILE(gone.c_str(), length(gone), nullptr, nullptr, nullptr, nullptr, nullptr);
       }},
      {"Can't open file in: GET_FILE_TIME",
       [&] { GET_FILE_TIME(gone.c_str(), length(gone), nullptr, nullptr, &back, nullptr); }},
      {"Can't open file in: SET_FILE_TIME",
       [&] { SET_FILE_TIME(gone.c_str(), length(gone), nullptr, nullptr, &when, nullptr); }},
      {"Unable to convert time parameter for Creation Time",
       [&] { SET_FILE_TIME(there.c_str(), length(there), &wrong, nullptr, nullptr, nullptr); }},
      {"Unable to convert time parameter for Access Time",
       [&] { SET_FILE_TIME(there.c_str(), length(there), nullptr, &wrong, nullptr, nullptr); }},
      {"Unable to convert time parameter for Write Time",
       [&] { SET_FILE_TIME(there.c_str(), length(there), nullptr, nullptr, &wrong, nullptr); }},
      {"Environment variable doesn't exist",
       [&] { GET_ENVIRONMENT_VARIABLE("OSTREL_NO_SUCH_VAR", 18, value, 4, nullptr); }},
      {"Environment variable is too long for its text",
       [&] { GET_ENVIRONMENT_VARIABLE("OSTREL_LONG_VAR", 15, value, 4, nullptr); }},
      {"Failure in FE_CREATE_DIRECTORY",
       [&] { FE_CREATE_DIRECTORY(there.c_str(), length(there), nullptr); }},
      {"Unable to set current directory " + gone,
       [&] { SET_CURRENT_DIRECTORY(gone.c_str(), length(gone), nullptr); }},
  };
  SET_ENVIRONMENT_VARIABLE("OSTREL_LONG_VAR", 15, "12345", 5, nullptr);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.message);
    plat::reset_message_boxes();
    plat::push_message_box_answer(win::IDYES);
    c.call();
    const auto& log = plat::message_box_log();
    ASSERT_EQ(log.size(), 1U);
    EXPECT_EQ(log[0].text.rfind(c.message, 0), 0U) << log[0].text;
    EXPECT_TRUE(log[0].text.ends_with(" ... Continue?")) << log[0].text;
  }
  // The wrong time changed nothing.
  int ups = -1;
  GET_FILE_TIME(there.c_str(), length(there), nullptr, nullptr, &back, &ups);
  EXPECT_EQ(ups, 0);
  EXPECT_NE(back.year, 2021);
}

}  // namespace
