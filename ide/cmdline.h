// Reading the program's command line.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace ide {

// The value of the item "KEY=" (an item begins the line or follows a
// blank): the text up to the next blank, or between double quotes; empty
// when the item has no value, none when it is missing.
std::optional<std::string> item_value(std::string_view cmdline, std::string_view key);

}  // namespace ide
