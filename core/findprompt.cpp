#include "core/findprompt.h"

#include <algorithm>
#include <string>

#include "core/messages.h"
#include "core/runwords.h"
#include "platform/file_units.h"

namespace core {

namespace {

std::int64_t history_size() {
  plat::FileNameInfo info;
  plat::inquire_name(searchhistory, info);
  return info.exists ? info.size : 0;
}

std::string history_entry(std::span<const char> text) {
  std::string_view t(text.data(), text.size());
  while (!t.empty() && t.back() == ' ') t.remove_suffix(1);
  return std::string(t) + "\r\n";
}

// Offset of entry as a whole line of buf (at its start or after a LF).
std::size_t find_line(const std::string& buf, std::string_view entry) {
  for (std::size_t at = buf.find(entry); at != std::string::npos; at = buf.find(entry, at + 1))
    if (at == 0 || buf[at - 1] == '\n') return at;
  return std::string::npos;
}

}  // namespace

void SEARCHFILERW(std::int64_t size, int unit, std::string_view entry, int& count, int& mode) {
  plat::UnitMode m;
  m.status = plat::UnitStatus::unknown;
  m.access = plat::UnitAccess::stream;
  m.form = plat::UnitForm::unformatted;
  m.action = plat::UnitAction::readwrite;
  m.share = plat::UnitShare::denynone;
  int st = plat::open_unit(unit, searchhistory, m);
  iostatw[0] = static_cast<std::int16_t>(st);
  std::string buf;
  if (st == plat::iostat_ok && size > 0) {
    buf.assign(static_cast<std::size_t>(size), ' ');
    std::int64_t got = 0;
    st = plat::read_stream(unit, buf, 1, &got);
    iostatw[0] = static_cast<std::int16_t>(st);
    buf.resize(static_cast<std::size_t>(std::clamp<std::int64_t>(got, 0, size)));
  }
  // An open or read failure goes on with an empty history.
  const std::string old = buf;

  if (count == 0 && (mode & 0x1) != 0) {
    const std::size_t lf = buf.find('\n');
    if (lf != std::string::npos) buf.erase(0, lf + 1);
  }

  std::string out;
  const std::size_t at = find_line(buf, entry);
  if (at == std::string::npos) {
    out = std::string(entry) + buf;
    mode = -1;
  } else {
    out = std::string(entry) + buf.substr(0, at) + buf.substr(at + entry.size());
  }

  if (out != old && plat::unit_is_open(unit)) {
    plat::write_stream(unit, out, 1);
    plat::position_unit(unit, static_cast<std::int64_t>(out.size()) + 1);
    plat::end_file(unit);
  }
  st = plat::close_unit(unit);
  iostatw[0] = static_cast<std::int16_t>(st);
}

int FIND_PROMPT(std::span<char> text, std::span<std::int16_t> halves) {
  findpromptflag = 0xFF;
  int count = 1;
  int mode = 0;
  SEARCHFILERW(history_size(), searchunit, history_entry(text), count, mode);

  // The window leaves the answer of the button that closed it; a window
  // that is not shown leaves the search text as it is, confirmed.
  int answer = 1;
  std::int32_t words[1] = {count};
  HelpValues v;
  v.bytes = findoptions;
  v.halves = halves;
  v.words = words;
  v.text = text;
  HELP("find", answer, v);
  count = words[0];

  SEARCHFILERW(history_size(), searchunit, history_entry(text), count, mode);
  findpromptflag = 0;
  return answer;
}

}  // namespace core
