#include "exec/script_runner.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cstdio>
#include <filesystem>
#include <memory>

#include "core/chars.h"
#include "core/editbuffer.h"
#include "core/helpdata.h"
#include "core/kompia.h"
#include "core/kompil.h"
#include "core/program.h"
#include "core/runwords.h"
#include "core/stores.h"
#include "core/symbols.h"
#include "core/tokenizer.h"
#include "exec/alarms.h"
#include "exec/assign.h"
#include "exec/builtins.h"
#include "exec/operands.h"
#include "exec/postfix.h"
#include "exec/tempstrings.h"
#include "exec/xeq.h"
#include "exec/xeq2.h"
#include "platform/backend.h"
#include "platform/file_units.h"
#include "platform/win_message_box.h"
#include "support/test_support.h"

namespace scriptrun {

using namespace core;

namespace {

std::unique_ptr<testsupport::TempDir> dir;
std::filesystem::path cwd;
// The hooks as they were before start().
exec::Evaluator keptxeq3 = nullptr;
void (*keptstage)(std::span<const std::int16_t>) = nullptr;

void resetall() {
  plat::reset_file_units();
  plat::reset_windows();
  plat::reset_message_boxes();
  reset_helpdata();
  reset_editbuffer();
  reset_stores();
  reset_runwords();
  reset_symbols();
  reset_program();
  reset_kompil();
  reset_tokenizer();
  exec::reset_xeq();
  exec::reset_xeq2();
  exec::reset_postfix();
  exec::reset_tempstrings();
  exec::reset_operands();
  exec::reset_alarms();
  exec::reset_assign();
  exec::reset_builtins();
}

std::string trimright(std::string_view s) {
  while (!s.empty() && s.back() == ' ') s.remove_suffix(1);
  return std::string(s);
}

std::string number(double v) {
  std::array<char, 40> b{};
  auto r = std::to_chars(b.data(), b.data() + b.size(), v);
  return std::string(b.data(), r.ptr);
}

std::string textof(std::int32_t k) {
  std::int32_t first = 0, last = 0;
  if (ISCHAR(k, first, last) == 0) return "?";
  std::string s;
  for (std::int32_t p = first; p >= 1 && p <= last && c1namen.valid(p); ++p) s += c1namen(p);
  return s;
}

}  // namespace

void start() {
  cwd = std::filesystem::current_path();
  dir = std::make_unique<testsupport::TempDir>();
  std::filesystem::current_path(dir->path());
  resetall();
  const std::string path = (testsupport::source_dir() / "data" / "Ostrel.hlp").string();
  helppath.set(path);
  CHECKSUM(path);
  keptxeq3 = exec::xeq3;
  keptstage = xeqstage;
  exec::installexecutor();
  exec::xeq3 = &exec::XEQ3;
}

void finish() {
  xeqstage = keptstage;
  exec::xeq3 = keptxeq3;

  resetall();
  std::filesystem::current_path(cwd);
  dir.reset();
}

std::string compile(std::string_view text) {
  idecmd = -1;
  edflags = 7;
  edvars(edv::curline) = 1;
  loadeditbuffer(text);
  xeqmode = 0;
  std::int32_t mode = 0;
  std::array<char, 256> buf{};
  buf.fill(' ');
  KOMPIA(buf, mode);
  if (xeqstop == 0) return {};
  return "compile stop=" + std::to_string(xeqstop) + " line=" + std::to_string(xeqline) + "\n" +
         testsupport::read_file(std::string(errorfilename));
}

std::string outcome() {
  std::string out;
  for (std::int32_t k = nspecial + 1; k <= nsym; ++k) {
    const SymbolRecord& r = name(k);
    if (r.scope != 0 || (r.type & 0xF) != 0) continue;
    const std::string nm(symbolname(k));
    if (r.type & 0x40) {
      out += nm + "='" + textof(k) + "'\n";
    } else if (r.type & 0x10) {
      const std::int32_t rows = I4EQUZ(1, k), cols = I4EQUZ(2, k);
      out += nm + "=(";
      for (std::int32_t i = 0; i < rows * cols; ++i) {
        if (i > 0) out += ",";
        out += number(z(r.adr + i));
      }
      out += ")\n";
    } else if (r.type & 0x80) {
      out += nm + "=" + number(z(k)) + "\n";
    }
  }
  const std::int16_t stop = static_cast<std::int16_t>(xeqstop & 0xFFFF);
  out += "stop=" + std::to_string(stop);
  if (stop > 0) out += " line=" + std::to_string(xeqline);
  const std::string key = trimright(msgkey.view());
  if (!key.empty()) out += " key=" + key;
  out += "\n";
  return out;
}

std::string run(std::string_view text) {
  const std::string failed = compile(text);
  if (!failed.empty()) return failed;
  xeqmode = 4 | 8;
  xeqline = 1;
  std::array<char, 256> buf{};
  buf.fill(' ');
  KOMPIL(buf);
  return outcome();
}

std::string dump(std::int32_t s) {
  std::string out;
  const std::int32_t p0 = stmtstart(s);
  for (std::int32_t p = p0; p >= 1 && xeqbuf.valid(p); ++p) {
    std::array<char, 8> b{};
    std::snprintf(b.data(), b.size(), "%04X", static_cast<unsigned>(xeqbuf(p)) & 0xFFFFu);
    out += b.data();
    if (xeqbuf(p) == endmark) break;
    out += ' ';
  }
  return out;
}

}  // namespace scriptrun
