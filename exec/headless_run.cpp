#include "exec/headless_run.h"

#include <array>
#include <charconv>
#include <fstream>
#include <iterator>

#include "core/editbuffer.h"
#include "core/helpdata.h"
#include "core/kompia.h"
#include "core/kompil.h"
#include "core/lexicon.h"
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
#include "exec/xeq.h"
#include "exec/xeq2.h"
#include "platform/backend.h"
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

std::string text_of(std::int32_t k) {
  std::int32_t first = 0, last = 0;
  if (ISCHAR(k, first, last) == 0) return "?";
  // Both ends checked, the text is taken at once (it may be very long).
  if (first < 1 || last < first || !c1namen.valid(first) || !c1namen.valid(last)) return "";
  return std::string(&c1namen(first), static_cast<std::size_t>(last - first + 1));
}

std::string read_whole(std::string_view path) {
  std::ifstream in{std::string(path), std::ios::binary};
  return std::string(std::istreambuf_iterator<char>(in), {});
}

// The text with every LF made CR LF, as the edit buffer keeps its lines (it
// ends the last line itself).
std::string with_crlf(std::string_view text) {
  std::string out;
  out.reserve(text.size() + text.size() / 16 + 2);
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\n' && (i == 0 || text[i - 1] != '\r')) out += '\r';
    out += text[i];
  }
  return out;
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
}

void reset_all() {
  plat::reset_file_units();
  plat::reset_windows();
  plat::reset_message_boxes();
  plat::reset_gdi();
  reset_helpdata();
  reset_interpreter();
}

bool prepare_run(std::string_view helpfile) {
  helppath.set(helpfile);
  CHECKSUM(helpfile);
  return helpcount > 0;
}

std::string compile_script(std::string_view text) {
  idecmd = -1;
  edflags = 7;
  edvars(edv::curline) = 1;
  loadeditbuffer(with_crlf(text));
  xeqmode = 0;
  std::int32_t mode = 0;
  std::array<char, 256> line{};
  line.fill(' ');
  KOMPIA(line, mode);
  if (xeqstop == 0) return {};
  return "compile stop=" + std::to_string(xeqstop) + " line=" + std::to_string(xeqline) + "\n" +
         read_whole(errorfilename);
}

bool run_compiled() {
  xeqmode = 4 | 8;
  xeqline = 1;
  std::array<char, 256> line{};
  line.fill(' ');
  KOMPIL(line);
  return xeqstop == -1;
}

std::string run_script(std::string_view text) {
  std::string failed = compile_script(text);
  if (!failed.empty()) return failed;
  run_compiled();
  return run_outcome();
}

std::string run_outcome() {
  std::string out;
  for (std::int32_t k = nspecial + 1; k <= nsym; ++k) {
    const SymbolRecord& r = name(k);
    if (r.scope != 0 || (r.type & 0xF) != 0) continue;
    const std::string nm(symbolname(k));
    if (r.type & 0x40) {
      out += nm + "='" + text_of(k) + "'\n";
    } else if (r.type & 0x10) {
      const std::int32_t rows = I4EQUZ(1, k), cols = I4EQUZ(2, k);
      out += nm + "=(";
      // (A view whose cell was written as a number may name a shape that
      // reaches past the store: "?" stands for the rest.)
      const std::int64_t count = static_cast<std::int64_t>(rows) * cols;
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
  const auto stop = static_cast<std::int16_t>(xeqstop & 0xFFFF);
  out += "stop=" + std::to_string(stop);
  if (stop > 0) out += " line=" + std::to_string(xeqline);
  const std::string_view key = msgkey.trimmed();
  if (!key.empty()) out += " key=" + std::string(key);
  out += "\n";
  return out;
}

}  // namespace exec
