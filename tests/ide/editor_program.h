// What the editor's program and screen are checked against: the compiled
// program as text, a fresh compile of a text, a run's variables.
#pragma once

#include <cstdint>
#include <string>

namespace idetest {

// The compiled program, statement by statement, with its symbols by name
// (labels with the statements they stand for), so that a program built
// line by line compares with one compiled at once.
std::string program();
// The program of a fresh compile of the text (after the editor's run: it
// takes the interpreter's stores).
std::string freshprogram(const std::string& text);
// A run's variables, without its stop line (the editor clears the stop
// word once it has shown the end).
std::string variables(const std::string& outcome);
// A file of the source tree with CR LF line ends.
std::string original(const char* from);
// The background colour of text class k.
std::uint32_t classbg(int k);
// The text rows of the main window whose background, right of every text,
// is the colour.
int rowsof(std::uint32_t colour);

}  // namespace idetest
