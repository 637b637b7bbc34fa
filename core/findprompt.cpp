#include "core/findprompt.h"

#include <algorithm>
#include <string>

#include "core/messages.h"
#include "core/runwords.h"
#include "core/savereport.h"
#include "platform/file_replace.h"
#include "platform/file_units.h"

namespace core {

namespace {

// The last write of the history failed (and was said).
bool historyfailed = false;

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
  m.status = plat::UnitStatus::old_file;
  m.access = plat::UnitAccess::stream;
  m.form = plat::UnitForm::unformatted;
  m.action = plat::UnitAction::read;
  m.share = plat::UnitShare::denynone;
  std::string buf;
  int st = plat::iostat_ok;
  if (size > 0) {
    st = plat::open_unit(unit, searchhistory, m);
    if (st == plat::iostat_ok) {
      buf.assign(static_cast<std::size_t>(size), ' ');
      std::int64_t got = 0;
      st = plat::read_stream(unit, buf, 1, &got);
      buf.resize(static_cast<std::size_t>(std::clamp<std::int64_t>(got, 0, size)));
    }
    plat::close_unit(unit);
  }
  iostatw[0] = static_cast<std::int16_t>(st);
  // A history that could not be read goes on empty, and is not written
  // over.
  const bool writable = st == plat::iostat_ok || st == plat::iostat_eof;
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

  if (out != old && writable) {
    // Rewritten at every search: not worth a sync.
    const plat::ReplaceResult saved = plat::replace_file(searchhistory, out, {.sync = false});
    iostatw[0] = static_cast<std::int16_t>(plat::replace_iostat(saved));
    // Said once, until a write succeeds again.
    if (!saved.ok() && !historyfailed) reportsave(saved, searchhistory);
    historyfailed = !saved.ok();
  }
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
