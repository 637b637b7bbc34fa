// Stand-in for the toolkit's open-file dialog, GET_OPEN_FILE_NAME, until
// the toolkit provides it (the toolkit's routine then takes its place and
// this file goes). It shows nothing: each call takes the next answer from a
// queue that tests fill; an empty queue answers Cancel. Every call is
// logged to standard error as one line (title and answer).
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace io {

// Flags of the open-file dialog.
inline constexpr std::uint32_t OFN_NOCHANGEDIR = 0x8;
inline constexpr std::uint32_t OFN_PATHMUSTEXIST = 0x800;
inline constexpr std::uint32_t OFN_CREATEPROMPT = 0x2000;

// True when a file was chosen: its path then replaces path (blank padded,
// cut to path's size).
bool GET_OPEN_FILE_NAME(std::span<char> path, std::string_view title, std::uint32_t flags);

// Queues the answer of the next dialog: a path, or an empty text for Cancel.
void push_open_file_name_answer(std::string path);
// Titles of the dialogs shown since the last reset, oldest first.
const std::vector<std::string>& open_file_name_titles();
void reset_open_file_name();

}  // namespace io
