// The report of a message box on standard error, for a user without a
// display and for the logs of tests: the title and the first line of the
// text on one line, each further line of the text indented below it, and
// the answer when the box offered a choice. Lines of the text end with CR,
// LF or CR LF; blanks around a line and empty lines are left out; the text
// is written in UTF-8.
//
//   ostrel: Run error: In statement 4 an index lies outside its bounds.
//     A(5)
//     -> No
#pragma once

#include <string>
#include <string_view>

#include "platform/win_message_box.h"

namespace plat {

// The report of one box; note is a remark on the answer (may be empty).
std::string message_box_report(const MessageBoxRecord& box, std::string_view note);

// Writes the report of the box to standard error.
void report_message_box(const MessageBoxRecord& box, std::string_view note);

}  // namespace plat
