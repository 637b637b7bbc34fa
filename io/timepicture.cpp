#include "io/timepicture.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <cmath>

#include "core/chars.h"
#include "core/runwords.h"
#include "io/timedate.h"

namespace io {

namespace {

// A picture code and the place (from 1) and length of its field in the
// date-time text "ccyymmddhhmmss.sss".
struct Code {
  std::string_view code;
  std::size_t pos;
};
constexpr std::array<Code, 8> codes = {
    {{"CC", 1}, {"YY", 3}, {"MM", 5}, {"DD", 7}, {"HH", 9}, {"mm", 11}, {"SS", 13}, {"sss", 16}}};

constexpr std::string_view monthnames = "JANFEBMARAPRMAYJUNJULAUGSEPOCTNOVDEC";

void startscratch() { textscratch.set(scratchprefix); }

void runtimedate(std::initializer_list<TimeOption> options, std::int32_t flags) {
  TIMEDATE(std::span<const TimeOption>(options.begin(), options.size()), flags, nullptr);
}

// The first place of the code in the picture, when its field ends within
// the text; npos otherwise.
std::size_t fieldat(std::string_view picture, std::string_view code, std::size_t textlength) {
  const std::size_t p = picture.find(code);
  return p != std::string_view::npos && p + code.size() <= textlength ? p : std::string_view::npos;
}

void writepicture(std::string_view picture, double& value, std::span<char> text) {
  startscratch();
  if (value == 0) {
    runtimedate({}, 0);  // the clock's date-time text
  } else {
    runtimedate({{timekw::yyyymmdd}, {timekw::to}, {timekw::excel, 0, &value}}, 0);
    if (textscratch.view().find('*') != std::string_view::npos || core::xeqstop > 0) {
      core::STRITOC1("invalid", text);
      return;
    }
    datetimetext.set(textscratch.view().substr(0, 18));
  }
  core::STRITOC1(picture, text);
  const std::string_view dt = datetimetext.view();
  for (const Code& c : codes) {
    const std::size_t p = fieldat(picture, c.code, text.size());
    if (p != std::string_view::npos) std::copy_n(&dt[c.pos - 1], c.code.size(), &text[p]);
  }
  const std::size_t w = picture.find('W');
  if (w == std::string_view::npos) return;
  std::size_t run = 0;
  while (w + run < picture.size() && picture[w + run] == 'W') ++run;
  if (w + run > text.size()) return;
  // The weekday of the date just written (the work text no longer asks
  // for its own YYYYMMDD text).
  double yyyymmdd = 0;
  for (char ch : dt.substr(0, 8)) yyyymmdd = yyyymmdd * 10 + (ch - '0');
  textscratch.blank();
  runtimedate({{timekw::weekday}, {timekw::to}, {timekw::yyyymmdd, 0, &yyyymmdd}}, 1);
  core::STRITOC1(datetimetext.view(), text.subspan(w, run));
}

void readpicture(std::string_view picture, double& value, std::span<const char> text) {
  startscratch();
  for (const Code& c : codes) {
    const std::size_t p = fieldat(picture, c.code, text.size());
    if (p == std::string_view::npos) continue;
    char* into = &textscratch[scratchprefix.size() + c.pos - 1];
    std::copy_n(&text[p], c.code.size(), into);
    if (c.code != "MM") continue;
    std::array<char, 3> name = {' ', ' ', ' '};
    for (std::size_t i = 0; i < 3 && p + i < text.size(); ++i)
      name[i] = static_cast<char>(std::toupper(static_cast<unsigned char>(text[p + i])));
    for (std::size_t k = 0; k < monthnames.size(); k += 3) {
      if (monthnames.substr(k, 3) == std::string_view(name.data(), 3)) {
        const std::size_t month = k / 3 + 1;
        into[0] = static_cast<char>('0' + month / 10);
        into[1] = static_cast<char>('0' + month % 10);
      }
    }
  }
  runtimedate({{timekw::excel, 0, &value}, {timekw::to}, {timekw::yyyymmdd}}, 0);
}

}  // namespace

void TIMEDATEU(std::string_view picture, double& value, std::span<char> text, bool read) {
  if (read) {
    readpicture(picture, value, text);
  } else {
    writepicture(picture, value, text);
  }
}

}  // namespace io
