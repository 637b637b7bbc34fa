#include "editor_program.h"

#include <algorithm>
#include <cstdio>
#include <sstream>
#include <vector>

#include "core/codewords.h"
#include "core/kompil.h"
#include "core/program.h"
#include "core/runwords.h"
#include "core/stores.h"
#include "core/symbols.h"
#include "exec/headless_run.h"
#include "ide/idewords.h"
#include "ide/textwriters.h"
#include "ide/windowlist.h"
#include "ide_fixture.h"
#include "platform/backend.h"
#include "plot/fontslots.h"
#include "support/test_support.h"

namespace idetest {

// The compiled program, statement by statement, with its symbols by name
// (labels with the statements they stand for), so that a program built
// line by line compares with one compiled at once; an empty statement is
// one whichever way it came. The jump slot of a
// block IF, ELSE or ELSEIF holds a statement number, not a symbol.
std::string program() {
  constexpr std::int16_t xif = core::xcw(core::CwFamily::word, "IFblock");
  constexpr std::int16_t xelse = core::xcw(core::CwFamily::stmt, "ELSE");
  constexpr std::int16_t xelseif = core::xcw(core::CwFamily::stmt, "ELSEIF");
  std::string out = "statements " + std::to_string(core::nstmt) + "\n";
  for (std::int32_t s = 1; s <= core::nstmt; ++s) {
    const std::int32_t a = core::stmtstart(s), b = core::stmtstart(s + 1);
    out += std::to_string(s) + ":";
    if (a < 1 || b <= a) {
      out += " ?\n";
      continue;
    }
    if (b == a + 1) {
      // An empty line: opened by the splice, or compiled.
      out += " FFFF 8000\n";
      continue;
    }
    bool slot = false;
    for (std::int32_t p = a; p < b && core::xeqbuf(a) == -1; ++p) {
      const std::int16_t w = core::xeqbuf(p);
      slot = slot || w == xif || w == xelse || w == xelseif;
    }
    for (std::int32_t p = a; p < b; ++p) {
      const std::int16_t w = core::xeqbuf(p);
      if (slot && p == b - 2) {
        out += " s" + std::to_string(w);
      } else if (w > core::nspecial && w <= core::nsym) {
        out += " " + std::string(core::symbolname(w));
        if (core::name(w).type == 2)
          out += "[" + std::to_string(core::I2EQUZ(1, w)) + "," +
                 std::to_string(core::I2EQUZ(2, w)) + "]";
      } else {
        char h[8];
        std::snprintf(h, sizeof h, " %04X", static_cast<unsigned>(static_cast<std::uint16_t>(w)));
        out += h;
      }
    }
    out += "\n";
  }
  return out;
}

// The program of a fresh compile of the text (after the editor's run).
std::string freshprogram(const std::string& text) {
  exec::reset_interpreter();
  exec::compile_script(text);
  return program();
}

// A run's variables, without its stop line (the editor clears the stop
// word once it has shown the end).
std::string variables(const std::string& outcome) {
  // (In the order of their names: the editor's symbols stand in the order
  // the lines were typed.)
  std::vector<std::string> lines;
  std::istringstream in(outcome.substr(0, outcome.find("stop=")));
  for (std::string l; std::getline(in, l);) lines.push_back(l);
  std::sort(lines.begin(), lines.end());
  std::string out;
  for (const std::string& l : lines) out += l + "\n";
  return out;
}

std::string original(const char* from) {
  return testsupport::crlf(testsupport::read_file(testsupport::source_dir() / from));
}

std::uint32_t classbg(int k) { return ide::colour(ide::colnum(2 * k)); }

int rowsof(std::uint32_t colour) {
  const int ch = plot::fontslots(ide::wdwhead->fontslot).cellheight;
  int n = 0;
  for (int y = 0; y < 1100; ++y)
    n += plat::window_pixel(static_cast<win::HWND>(mainwindow()), 600, y) == colour;
  return n / ch;
}

}  // namespace idetest
