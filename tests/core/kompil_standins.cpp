#include "core/kompil_standins.h"

#include <algorithm>
#include <array>

#include "core/codewords.h"
#include "core/editbuffer.h"
#include "core/helpdata.h"
#include "core/kompia.h"
#include "core/kompil.h"
#include "core/program.h"
#include "core/runwords.h"
#include "core/stores.h"
#include "core/symbols.h"
#include "core/tokenizer.h"
#include "platform/backend.h"
#include "platform/file_units.h"
#include "platform/win_message_box.h"

namespace standin {

using namespace core;

namespace {
Compiling* current = nullptr;
}  // namespace

void Compiling::SetUp() {
  cwd = std::filesystem::current_path();
  std::filesystem::current_path(dir.path());
  plat::reset_file_units();
  plat::reset_windows();
  reset_stores();
  reset_runwords();
  reset_symbols();
  reset_program();
  reset_kompil();
  reset_editbuffer();
  reset_tokenizer();
  reset_helpdata();
  const std::string path = (testsupport::source_dir() / "data" / "Ostrel.hlp").string();
  helppath.set(path);
  CHECKSUM(path);
  current = this;
  xeqstage = [](std::span<const std::int16_t> code) {
    ++current->xeqcalls;
    if (current->onxeq) {
      current->onxeq(code);
    } else {
      xeqstop = -1;
    }
  };
  idecmd = -1;
  edflags = 7;
  edvars(edv::curline) = 1;
}

void Compiling::TearDown() {
  xeqstage = nullptr;
  current = nullptr;
  plat::reset_file_units();
  plat::reset_windows();
  reset_helpdata();
  reset_editbuffer();
  reset_stores();
  reset_runwords();
  reset_symbols();
  reset_program();
  reset_kompil();
  std::filesystem::current_path(cwd);
}

void Compiling::compile(std::string_view text) {
  loadeditbuffer(text);
  xeqmode = 0;
  std::int32_t mode = 0;
  KOMPIA(buf, mode);
}

void Compiling::edit(std::int32_t l, std::int32_t flags, std::string_view text) {
  // As the editor does: a changed line is in the text before it is compiled.
  if ((flags & 0x80) != 0 && l >= 1 && l <= nedlines) {
    std::int32_t line = l;
    FEDNXT(nullptr, &line);
    C1EDITINSERT(edline.pos, text, 1);
  }
  xeqmode = 0;
  edmode = 12;
  edcompileonly = -1;
  edvars(edv::curline) = l;
  edvars(edv::chg) = flags;
  kompil(text);
}

void Compiling::kompil(std::string_view text) {
  buf.fill(' ');
  std::copy(text.begin(), text.end(), buf.begin());
  KOMPIL(buf);
}

Words Compiling::words(std::int32_t s) {
  Words out;
  const std::int32_t p0 = stmtstart(s);
  for (std::int32_t p = p0; p >= 1 && xeqbuf(p) != cwv(0x8000); ++p) out.push_back(xeqbuf(p));
  return out;
}

std::int32_t Compiling::sym(std::string_view nm, std::int32_t type) {
  std::int32_t k = 0;
  lokalsub = lokalscope = 0;
  xeqline = 0;
  return FINDSN(nm, k, type) ? k : 0;
}

std::string Compiling::lastboxtitle() {
  const auto& log = plat::message_box_log();
  return log.empty() ? std::string() : log.back().title;
}

std::string Compiling::errorfile() const {
  return testsupport::read_file(dir.path() / std::string(errorfilename));
}

}  // namespace standin
