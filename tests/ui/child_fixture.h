// Scripts with child windows run as RUN runs them, on the headless back
// end, but their windows stay open after the run for the test to look at
// and to move, size and click as a user would; BMP pictures for the
// toolbars and LoaD, and read back from SaveAs.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "exec/windowless.h"
#include "exec/windowlist.h"
#include "support/script_folder.h"

namespace childtest {

class ChildScript : public testsupport::ScriptInFolder {
 protected:
  void SetUp() override;
  void TearDown() override;
  // Compiles and runs the script; the report as RUN gives it.
  std::string runopen(const std::string& text);
  // The value of a numeric variable, the text of a character variable.
  static double number(const std::string& name);
  static std::string text(const std::string& name);
  // The record of the window whose handle the variable holds (null none).
  static exec::wdwrec* windowof(const std::string& name);
};

// A picture: width x height colours 0x00RRGGBB, row by row from the top.
struct Picture {
  int width = 0;
  int height = 0;
  std::vector<std::uint32_t> pixels;
  bool operator==(const Picture&) const = default;
};
Picture picture(int width, int height, const std::function<std::uint32_t(int x, int y)>& colour);
// Writes it as a 24-bit BMP file.
void writebmp(const std::string& path, const Picture& p);
// Reads a 24- or 32-bit BMP file; an empty picture when it is none.
Picture readbmp(const std::string& path);

}  // namespace childtest
