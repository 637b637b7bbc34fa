// Date-time pictures: a spreadsheet day number written through a picture
// such as "DD.MM.CCYY HH:mm", and such a text read back into a day number.
// The codes, each taken at its first place in the picture (case matters):
// CC century, YY year in the century, MM month (read also as a month
// abbreviation such as "Jan"), DD day, HH hour, mm minute, SS second, sss
// millisecond, and a run of W the weekday's name cut to the run.
#pragma once

#include <span>
#include <string_view>

namespace io {

// read false: the text becomes the picture with the codes filled in from
// the value (0: the present moment); "invalid" when the value's year does
// not fit four digits. read true: the text is read through the picture and
// the value receives the day number with the time as its fraction; fields
// missing from the picture default to 30 December 1899, 00:00:00.000.
void TIMEDATEU(std::string_view picture, double& value, std::span<char> text, bool read);

}  // namespace io
