#include "exec/headless_run.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <new>
#include <vector>

#include "core/editbuffer.h"
#include "core/helpdata.h"
#include "core/kompia.h"
#include "core/kompil.h"
#include "core/lexicon.h"
#include "core/messages.h"
#include "core/numread.h"
#include "core/program.h"
#include "core/runwords.h"
#include "core/search.h"
#include "core/shop.h"
#include "core/stores.h"
#include "core/symbols.h"
#include "core/tokenizer.h"
#include "core/trans.h"
#include "core/winapi_byname.h"
#include "exec/alarms.h"
#include "exec/assign.h"
#include "exec/builtins.h"
#include "exec/builtins_random.h"
#include "exec/control.h"
#include "exec/fastpath.h"
#include "exec/operands.h"
#include "exec/optdispatch.h"
#include "exec/postfix.h"
#include "exec/struct.h"
#include "exec/tempstrings.h"
#include "exec/windowless.h"
#include "exec/xeq.h"
#include "exec/xeq2.h"
#include "platform/backend.h"
#include "platform/file_names.h"
#include "platform/file_units.h"
#include "platform/win_gdi.h"
#include "platform/win_message_box.h"

namespace exec {

using namespace core;

namespace {

std::string number(double v) {
  std::array<char, 40> b{};
  auto r = std::to_chars(b.data(), b.data() + b.size(), v);
  return std::string(b.data(), r.ptr);
}

// Appends the text of variable k to out, a NUL as ".": taken at once, both
// ends checked, with no copy besides the report's own (it may be very long).
void append_text(std::string& out, std::int32_t k) {
  std::int32_t first = 0, last = 0;
  if (ISCHAR(k, first, last) == 0) {
    out += '?';
    return;
  }
  if (first < 1 || last < first || !c1namen.valid(first) || !c1namen.valid(last)) return;
  const auto n = static_cast<std::size_t>(last - first + 1);
  out.reserve(out.size() + n + 2);
  const std::size_t at = out.size();
  out.append(&c1namen(first), n);
  std::replace(out.begin() + static_cast<std::ptrdiff_t>(at), out.end(), '\0', '.');
}

// Whether the last compile left a program to run.
bool compiled = false;

// The windowless run's own sections for messages whose text in the help
// data file sends the user to the editor.
struct OwnSection {
  std::string_view key;
  std::string_view section;
};
constexpr std::array<OwnSection, 1> ownsections{{
    {MSGKEY("CompilErrors"), MSGKEY("runCompilErrors")},
}};
// The expression translator's hint to check the brackets in the editor.
constexpr std::string_view tabhint = ": use TAB to check";
// The compile's own messages: its progress, its summary and the failed
// first line.
constexpr std::array<std::string_view, 3> compilereports{MSGKEY("compilPB"), MSGKEY("ezl1"),
                                                         MSGKEY("CompilErrors")};

// Keys of the messages shown during the last compile.
std::vector<std::string> shownkeys;
bool compiling = false;

std::string_view windowlesssection(std::string_view key, HelpValues& values) {
  if (compiling) shownkeys.emplace_back(key);
  std::string_view t(values.text.data(), values.text.size());
  while (!t.empty() && t.back() == ' ') t.remove_suffix(1);
  if (t.ends_with(tabhint)) values.text = values.text.first(t.size() - tabhint.size());
  for (const OwnSection& o : ownsections)
    if (o.key == key) return o.section;
  // The compile's progress window is for a user who watches: none here.
  if (key == compilereports[0]) return {};
  return key;
}

// The key of the message of the compile's first failed line.
std::string_view firstfailedkey() {
  for (const std::string& k : shownkeys)
    if (std::find(compilereports.begin(), compilereports.end(), k) == compilereports.end())
      return k;
  return {};
}

std::string read_whole(std::string_view path) {
  std::ifstream in{std::string(path), std::ios::binary};
  return std::string(std::istreambuf_iterator<char>(in), {});
}

}  // namespace

void reset_interpreter() {
  reset_editbuffer();
  reset_stores();
  reset_runwords();
  reset_symbols();
  reset_program();
  reset_kompil();
  reset_tokenizer();
  reset_lexicon();
  reset_trans();
  reset_shop();
  reset_numread();
  reset_search();
  reset_winapi();
  reset_xeq();
  reset_xeq2();
  fast::reset();
  reset_postfix();
  reset_tempstrings();
  reset_operands();
  reset_alarms();
  reset_assign();
  reset_builtins();
  reset_random();
  reset_control();
  reset_optdispatch();
  reset_struct();
  installexecutor();
  xeq3 = &XEQ3;
  compiled = false;
  compiling = false;
  shownkeys.clear();
}

void reset_all() {
  plat::reset_file_units();
  plat::reset_windows();
  plat::reset_message_boxes();
  plat::reset_gdi();
  reset_helpdata();
  helpsectionfor = nullptr;
  reset_interpreter();
}

bool prepare_run(std::string_view helpfile) {
  helppath.set(helpfile);
  CHECKSUM(helpfile);
  helpsectionfor = &windowlesssection;
  return helpcount > 0;
}

void take_command_line(std::string_view cmdline) {
  // The start-up leaves the command line at the start of a blank `c1namen`,
  // from where the first store set-up takes it.
  std::int32_t one = 1, top = std::max(nc1namen, cmdlinesize);
  ALLOCS("c1namen", one, top);
  if (c1namen.size() < cmdlinesize) return;
  std::fill(c1namen.raw().begin(), c1namen.raw().end(), ' ');
  const std::size_t n = std::min<std::size_t>(cmdline.size(), 1024);
  std::copy_n(cmdline.begin(), n, c1namen.raw().begin());
  cmdlinefirst = true;
}

std::string compile_script(std::string_view text) {
  std::error_code gone;
  // (A folder of that name is no list of ours: it stays, and the compile
  // that cannot write the list says so.)
  if (!std::filesystem::is_directory(std::string(errorfilename), gone))
    std::filesystem::remove(std::string(errorfilename), gone);
  shownkeys.clear();
  idecmd = -1;
  edflags = 7;
  edvars(edv::curline) = 1;
  loadeditbuffer(text);
  xeqmode = 0;
  std::int32_t mode = 0;
  std::array<char, 256> line{};
  line.fill(' ');
  compiling = true;
  try {
    KOMPIA(line, mode);
  } catch (const std::bad_alloc&) {
    // A line asked for memory that is not there: it fails as a line whose
    // store could not grow.
    msgkey.set(storelimitkey);
    xeqstop = stops::error;
  }
  compiling = false;
  // A failed first line leaves no program and a clear stop word.
  compiled = xeqstop == 0 && (xeqmode & core::runmode::running) != 0;
  if (compiled) return {};
  const std::int16_t stop = xeqstop != 0 ? stopword() : cwv(stops::error);
  std::string out = "compile stop=" + std::to_string(stop) + " line=" + std::to_string(xeqline);
  // The compile leaves the key of its first failed line's message; a
  // failure of its own (no store left) named only the message it showed.
  std::string_view key = msgkey.trimmed();
  if (key.empty()) key = firstfailedkey();
  if (!key.empty()) out += " key=" + std::string(key);
  // The list as the compile made it, whether or not its file could be
  // written.
  return out + "\n" + errorlist;
}

bool run_compiled() {
  const bool windowless = OPENWINDOWLESS();
  xeqmode = runmode::running | runmode::compiled;
  xeqline = 1;
  if (nstmt < 1) {
    // A program without statements (the script's first line starts with
    // "#") has run to its end.
    xeqstop = stops::end;
    return true;
  }
  std::array<char, 256> line{};
  line.fill(' ');
  KOMPIL(line);
  // A dialog control's jump label: the run goes on there.
  while (RESUMEATJUMP()) {
    xeqmode = runmode::running | runmode::compiled;
    KOMPIL(line);
  }
  if (windowless) CLOSEWINDOWLESS();
  if (closescriptfiles != nullptr) closescriptfiles();
  // The script is closed: the user libraries it kept are released.
  if (freeuserdlls) freeuserdlls();
  return xeqstop == stops::end;
}

std::string run_script(std::string_view text) {
  chainscript.clear();
  std::string failed = compile_script(text);
  if (!failed.empty()) return failed;
  run_compiled();
  // CHain: the next script takes the place of the one that ran.
  while (stopword() == stops::chain) {
    const std::string next = plat::system_path(chainscript);
    std::error_code ec;
    if (!std::filesystem::is_regular_file(next, ec)) {
      int answer = 0;
      MSGBOXFROMHELP("msgNoScript", chainscript, answer);
      // The statement that named it failed.
      msgkey.set(MSGKEY("msgNoScript"));
      xeqstop = stops::error;
      break;
    }
    reset_interpreter();
    failed = compile_script(read_whole(next));
    if (!failed.empty()) return failed;
    run_compiled();
  }
  return run_outcome();
}

std::string run_outcome() {
  std::string out;
  try {
    for (std::int32_t k = nspecial + 1; k <= nsym; ++k) {
      const SymbolRecord& r = name(k);
      if (r.scope != 0 || (r.type & 0xF) != 0) continue;
      const std::string nm(symbolname(k));
      if (r.type & 0x40) {
        out += nm + "='";
        append_text(out, k);
        out += "'\n";
      } else if (r.type & 0x10) {
        const std::int32_t rows = I4EQUZ(1, k), cols = I4EQUZ(2, k);
        // (A view whose cell was written as a number may name a shape that
        // reaches past the store: "?" stands for the rest.)
        const std::int64_t count = static_cast<std::int64_t>(rows) * cols;
        if (r.adr < 1 || count < 1) continue;
        out += nm + "=(";
        for (std::int64_t i = 0; i < count; ++i) {
          if (i > 0) out += ",";
          const std::int64_t cell = r.adr + i;
          if (cell < 0 || cell >= z.size()) {
            out += "?";
            break;
          }
          out += number(z(cell));
        }
        out += ")\n";
      } else if (r.type & 0x80) {
        out += nm + "=" + number(z(k)) + "\n";
      }
    }
  } catch (const std::bad_alloc&) {
    // The list does not fit the memory left: the report names that failure
    // alone.
    out = std::string();
    msgkey.set(storelimitkey);
    xeqstop = stops::error;
  }
  const std::int16_t stop = stopword();
  out += "stop=" + std::to_string(stop);
  // (A run that stands with no stop word was paused where an XEQ text's
  // jump led: the statement the IDE's run would go on from.)
  if (stop >= 0) out += " line=" + std::to_string(xeqline);
  const std::string_view key = msgkey.trimmed();
  if (!key.empty()) out += " key=" + std::string(key);
  out += "\n";
  return out;
}

// RETURN in the main program ends it as its last statement would.
int run_status() {
  if (!compiled) return 1;
  const std::int16_t stop = stopword();
  return stop == stops::end || stop == stops::returned ? 0 : 1;
}

}  // namespace exec
