// SYSTEM: the script's door to the operating system and the program's
// windows. Its options are independent requests carried out in one fixed
// order, whatever their order in the statement: window measures, a shell
// request or a command line, CHain, COPY, DELETE, AppDir, FileSize,
// FileTime, SetFileTime, GEteNV, sEteNV, SetDIR, DIR (current folder,
// listing or count), the font and finally RUN and WAIT. The first failure
// is shown (unless messages are silenced) and ends the statement.
#pragma once

#include <string>

#include "platform/win_types.h"

namespace io {

// The option dispatch's routine (options in keyword mode).
void SYSTM();

// What the window list knows of a window: the usable text area in pixels
// (used for the main window) and the character cell of its font slot (0
// when it has none). Installed by the IDE; false when it has no record of
// the window. Without it the main window's client area is measured and no
// cell size is known.
struct WindowMeasures {
  int width = 0;
  int height = 0;
  int cellwidth = 0;
  int cellheight = 0;
};
inline bool (*windowmeasures)(win::HWND window, WindowMeasures& measures) = nullptr;

// A command line as an argument of the classic quoting rules, so that
// splitting the line gives the text back.
std::string quotedargument(std::string_view text);

}  // namespace io
