// The main window's status bar and title. Callers hand over whatever
// changed; a layout number (re)builds the fields: 1 one field over the
// whole bar, 2 the fields Line, Col, Asc/Hex, OVR and User, 3 the layout
// in force again (new widths after a change of window width or font).
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

#include "toolkit/statusbar.h"

namespace ide {

struct StatusUpdate {
  std::optional<std::string_view> message = std::nullopt;  // the User field
  std::optional<std::string_view> title = std::nullopt;    // the script's path: caption and welcome
  std::optional<std::int32_t> line = std::nullopt;
  std::optional<std::int32_t> column = std::nullopt;
  std::optional<char> character = std::nullopt;         // the character under the cursor
  std::optional<std::string_view> mode = std::nullopt;  // "INS" or "OVR"
  std::optional<std::int32_t> layout = std::nullopt;
  // What a run or step is doing, or what the last command did (a run
  // refused, a search, a print to a file), shown in the User field while it
  // is not empty and kept there when the bar is laid out again (blank:
  // nothing to tell of).
  std::optional<std::string_view> run = std::nullopt;
};

void STATUSBAR(const StatusUpdate& update);

// Line, Col, Asc/Hex and OVR keep the last values they were given when the
// bar is laid out again; widths are counted in cells of font slot 3 and
// made fractions of the bar's free width, so that a field holds its cells
// at any window width.

// The six fields and the layout in force, as the bar was last given them.
inline toolkit::status_bar_item_t statusfields[6];
inline std::int32_t statuslayout = 1;

// Routes the built-ins' status-bar texts to the User field.
void install_statusbar();
void reset_statusbar();

}  // namespace ide
