#include "core/messages.h"

#include <algorithm>
#include <charconv>
#include <cstdlib>
#include <string>

#include "core/helpdata.h"
#include "core/runwords.h"
#include "core/symbols.h"
#include "platform/win_message_box.h"

namespace core {

namespace {

std::string_view trim_right(std::string_view s) {
  while (!s.empty() && s.back() == ' ') s.remove_suffix(1);
  return s;
}

bool has(std::string_view s, char c) { return s.find(c) != std::string_view::npos; }

std::string decimal(long long v) {
  char buf[24];
  const auto r = std::to_chars(buf, buf + sizeof buf, v);
  return std::string(buf, r.ptr);
}

}  // namespace

std::uint32_t box_style(std::string_view letters) {
  std::uint32_t style = 0;
  for (char c : letters) {
    switch (c) {
      case 'a':
        style |= 0x2;
        break;
      case 'O':
        style |= 0x1;
        break;
      case 'R':
        style |= 0x5;
        break;
      case 'y':
        style |= 0x4;
        break;
      case 'Y':
        style |= 0x3;
        break;
      case '!':
        style |= 0x30;
        break;
      case 'i':
        style |= 0x40;
        break;
      case '?':
        style |= 0x20;
        break;
      case 'S':
        style |= 0x10;
        break;
      case '2':
        style |= 0x100;
        break;
      case '3':
        style |= 0x200;
        break;
      case 'M':
        style |= 0x1000;
        break;
      default:
        break;  // "o", "1", "m" add nothing; other characters neither
    }
  }
  return style;
}

void MESSAGEBOX(std::string_view letters, std::string_view text, int& answer) {
  text = trim_right(text);
  const std::uint32_t style = box_style(letters);
  const std::size_t bar = text.find('|');
  const std::string title(bar == std::string_view::npos ? std::string_view("Ostrel message")
                                                        : text.substr(0, bar));
  std::string message(bar == std::string_view::npos ? text : text.substr(bar + 1));
  for (char& c : message)
    if (c == '|' || c == ';') c = '\r';

  // The toolkit's dialog hook and the run timer display are set aside
  // around the box once they exist.
  const int code = win::MessageBoxA(nullptr, message.c_str(), title.c_str(), style);

  const bool yes_no = has(letters, 'y') || has(letters, 'Y');
  int result = 1;
  // A box that stops the run names why by a key of its own: the box of a
  // key (MSGBOXFROMHELP) puts its key in its place afterwards.
  if (code == win::IDCANCEL) {
    xeqstop = stops::error;
    shownkey.set(MSGKEY("RequestCanceled"));
    result = has(letters, 'Y') ? 3 : 2;
  } else if (yes_no) {
    result = code == win::IDNO ? 2 : 1;
  } else if (has(letters, 'a')) {
    if (code == win::IDABORT) {
      result = 1;
      xeqstop = stops::error;
      shownkey.set(MSGKEY("RequestCanceled"));
    } else {
      result = code == win::IDRETRY ? 2 : code == win::IDIGNORE ? 3 : 1;
    }
  }
  if (!has(letters, '-')) answer = result;
}

void MESSAGEBOXC1(std::string_view letters, std::string_view characters, int count, int& answer) {
  const std::size_t n = std::min<std::size_t>(static_cast<std::size_t>(std::clamp(count, 0, 8000)),
                                              characters.size());
  MESSAGEBOX(letters, characters.substr(0, n), answer);
}

namespace {

// Finds the key's section (in the file of the help reader's unit, else in
// the help data file); its first body line, trimmed, into `message`. False
// when the key is missing.
bool firstbodyline(std::string_view key, std::string& message) {
  int found = 0;
  int last = 0;
  int len = 0;
  int width = 0;
  const std::span<char> head(helpline.data(), helpline.size());
  helpkey.set(key);
  GETMENUDATA(menuunit, found, last, len, width, head);
  if (found == 0 && menuunit != helpunit) {
    menuunit = helpunit;
    helpkey.set(key);
    GETMENUDATA(menuunit, found, last, len, width, head);
  }
  if (found == 0) return false;
  plat::FixedText<256> line;
  int entry = helpentry;
  int pos = 1;
  if (GETMENULINE(std::span<char>(line.data(), line.size()), entry, pos) == 0)
    message = std::string(line.trimmed());
  return true;
}

std::string withoutleadingblanks(std::string s) {
  s.erase(0, std::min(s.find_first_not_of(' '), s.size()));
  return s;
}

}  // namespace

std::string HELPLINE(std::string_view key) {
  std::string message;
  return firstbodyline(key, message) ? withoutleadingblanks(message) : std::string(key);
}

void MSGBOXFROMHELP(std::string_view key, std::string_view detail, int& answer) {
  std::string title;
  std::string message;
  std::string letters;
  if (!firstbodyline(key, message)) {
    title = std::string(key);
    message = " |cannot be found";
    letters = "!";
  } else {
    title = std::string(detail);
    // (A body line of the help data starts with a blank.)
    message = withoutleadingblanks(message);
    const std::string_view h = helpline.trimmed();
    const std::size_t blank = h.find(' ');
    if (blank != std::string_view::npos) letters = std::string(h.substr(blank + 1));
  }
  const std::string text = std::string(trim_right(title)) + "|" +
                           message.substr(0, std::min<std::size_t>(message.size(), 255));
  MESSAGEBOX(letters, text, answer);
  shownkey.set(key);
}

void CHECKANDSETRUNTIMEERROR(std::string_view tag, std::int32_t& status) {
  if (status == 0) return;
  int answer = 0;
  if (status == 41) {
    // Memory that is not there: the statement stops as one whose store
    // could not grow, and the run's failure says so; outside a run the
    // message comes at once.
    msgkey.set(MSGKEY("storeLimit"));
    if ((xeqmode & runmode::running) == 0) MSGBOXFROMHELP(msgkey.view(), {}, answer);
    xeqstop = stops::error;
    iostatw[0] = static_cast<std::int16_t>(status);
    iostatw[1] = 0;
    return;
  }
  // "Error ", the tag in 4 characters, the status right-aligned in 6.
  std::string t(tag.substr(0, std::min<std::size_t>(tag.size(), 4)));
  t.resize(4, ' ');
  std::string s = decimal(status);
  if (s.size() > 6) s = "******";
  s.insert(0, 6 - s.size(), ' ');
  const std::string title = "Error " + t + s;
  msgkey.set(title);
  MSGBOXFROMHELP(MSGKEY("msgRunTimeError"), msgkey.view(), answer);
  if (answer == 2) xeqstop = stops::cancel;
  iostatw[0] = static_cast<std::int16_t>(status);
  iostatw[1] = 0;
  msgkey.set(MSGKEY("rdwrErK"));
}

}  // namespace core
