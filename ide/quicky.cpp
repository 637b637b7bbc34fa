#include "ide/quicky.h"

#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <span>

#include "core/kompil.h"
#include "core/messages.h"
#include "core/runwords.h"
#include "core/stores.h"
#include "core/symbols.h"
#include "core/trans.h"
#include "exec/settingrefs.h"
#include "ide/fe_control.h"
#include "ide/fedhlp.h"
#include "ide/idewords.h"
#include "ide/scriptfiles.h"
#include "ide/tooltip.h"
#include "platform/file_names.h"
#include "platform/file_replace.h"

namespace ide {

namespace {

// Answers of the box.
inline constexpr int closebox = 0;
inline constexpr int onlythisone = 1;
inline constexpr int helpbutton = 2;

// Words of `quickywords` (from 0).
inline constexpr std::size_t historyflag = 0;
inline constexpr std::size_t textlength = 3;

// The text result of the last evaluation.
plat::FixedText<256> resulttext;

std::string record(std::string_view text) {
  std::string r(text.substr(0, quickyrecord));
  r.resize(quickyrecord, ' ');
  return r;
}

// Runs the expression as the XEQ built-in runs a text; the key of the box
// to show next.
std::string_view evaluate(std::string_view key) {
  // The statement's last operand stays just above the stack pointer when
  // the statement has taken it off: that entry is the result. It is cleared
  // first so that a text that runs nothing leaves no older one there.
  const std::int32_t above = core::xeqstackptr + 1;
  if (core::adrs.valid(above)) core::adrs(above) = 0;
  core::xeqstop = core::stops::xeq;
  core::xeqspan = {0, 0};
  std::string line(exec::dlgtext.view());
  // A command posted while the box was shown (its own close posts one)
  // waits until the expression has run: the executor would serve it in
  // place of the statement and run nothing. So do the commands that come
  // while it runs (the statements of a FUNCTION it calls let messages
  // through): carried out in the middle, they would end or change the
  // program under it.
  const std::int32_t pending = core::idecmd;
  core::idecmd = -1;
  // A tooltip may show a value that the statement changes: it goes.
  KILLTOOLTIPWINDOW();
  // The expression is no line of the script: its messages name none.
  core::freetext = true;
  HOLDCOMMANDS(true);
  const std::int32_t stood = core::xeqline;
  core::KOMPIL(std::span<char>(line.data(), line.size()));
  // The expression is no statement of the program: a step goes on where
  // it stood (unless the expression itself jumped).
  if (core::xeqline == stood + 1) core::xeqline = stood;
  HOLDCOMMANDS(false);
  core::freetext = false;
  if (core::idecmd <= 0) core::idecmd = pending;
  if (core::stopword() > 0) return key;
  const std::int32_t at = core::xeqstackptr + 1;
  const std::int32_t top = core::adrs.valid(at) ? core::adrs(at) : 0;
  std::int32_t first = 0, last = 0;
  if (top > 0 && core::name.valid(top) && core::ISCHAR(top, first, last) != 0 && first >= 1 &&
      last >= first && core::c1namen.valid(last)) {
    const std::string_view t(core::c1namen.ptr(first), static_cast<std::size_t>(last - first + 1));
    resulttext.set(t);
    quickywords[textlength] = static_cast<std::int16_t>(resulttext.trimmed().size());
    return "quickyS";
  }
  if (top > 0 && core::z.valid(top)) {
    quickyresult = core::z(top);
    return "quickyN";
  }
  return key;
}

}  // namespace

std::string quickypath() {
  std::string folder(workdir.trimmed());
  if (!folder.empty() && folder.back() != '/') folder.push_back('/');
  const std::string native = plat::system_path(folder.empty() ? std::string(".") : folder);
  if (::access(native.c_str(), W_OK) != 0) return statedir() + std::string(quickyname);
  return folder + std::string(quickyname);
}

bool writequickies(std::string_view expression, bool onlythis) {
  const std::string path = quickypath();
  plat::Replacement copy(path, {.sync = false});
  const std::string first = record(expression);
  bool ok = copy.write(first + "\r\n");
  if (ok && !onlythis) {
    std::ifstream old(plat::system_path(path), std::ios::binary);
    std::string line;
    // The same expression evaluated again stays one entry.
    for (bool newest = true; ok && std::getline(old, line); newest = false) {
      if (!line.empty() && line.back() == '\r') line.pop_back();
      if (newest && record(line) == first) continue;
      ok = copy.write(record(line) + "\r\n");
    }
    // A read that stopped before the end keeps the old history.
    if (old.bad()) ok = false;
  }
  if (!ok) return false;
  return copy.commit().ok();
}

void QUICKY() {
  std::string_view key = "quicky1";
  // The field opens empty: the shared dialog text may hold another box's.
  exec::dlgtext.blank();
  for (;;) {
    const std::string path = quickypath();
    quickyfile.set(path.size() > quickyfile.size() ? std::string_view(quickyname) : path);
    core::HelpValues values;
    values.halves = quickywords;
    values.doubles = std::span<double>(&quickyresult, 1);
    values.text = std::span<char>(exec::dlgtext.data(), exec::dlgtext.size());
    // The box's list shows the history's records; before there is a
    // history it stays empty (a name that is no file would be listed).
    std::string listed(quickyfile.trimmed());
    std::error_code ec;
    if (!std::filesystem::is_regular_file(plat::system_path(listed), ec)) listed.clear();
    values.characters = std::span<char>(listed.data(), listed.size());
    values.count = static_cast<int>(listed.size());
    int answer = closebox;
    helpwindow(key, answer, values);
    if (answer == closebox) return;
    if (answer == helpbutton) {
      int ignored = 0;
      helpwindow("XEQ()", ignored, {});
      continue;
    }
    if (exec::dlgtext.trimmed().empty()) continue;
    // Every expression evaluated goes into the history, newest first, as
    // it stood in the field when it was chosen: what the evaluation shows
    // (a text variable's own box fills the shared field) is no expression.
    const std::string expression(exec::dlgtext.view());
    if (writequickies(expression, answer == onlythisone)) {
      quickywords[historyflag] = 1;
    } else {
      int ignored = 0;
      core::MSGBOXFROMHELP("rdwrErK", quickyfile.trimmed(), ignored);
    }
    exec::dlgtext.set(expression);
    resulttext.set(expression);
    key = evaluate(key);
    exec::dlgtext.set(resulttext.view());
  }
}

void reset_quicky() {
  quickywords.fill(0);
  quickyresult = 0.0;
  quickyfile.blank();
  resulttext.blank();
}

}  // namespace ide
