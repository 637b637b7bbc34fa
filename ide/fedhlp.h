// Context help for the word at the cursor: what kind of word it is, its
// help topic and, for a variable, its value. The full form (the editor's
// F1 or right click) shows the topic in the help window, where a text
// value can be edited and a break on the variable asked for; the quiet
// form (the typing assistant) only reports the classification.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "core/messages.h"
#include "platform/fixed_text.h"

namespace ide {

// The help window for a key of the help data file, the dialog sections
// "book_marks" and "break_string" among them. A seam: the script dialog
// builder takes it over; tests put a fake that answers.
inline void (*helpwindow)(std::string_view key, int& answer,
                          const core::HelpValues& values) = core::HELP;

// The word that context help looked at last (its first 80 characters).
inline plat::FixedText<80> helpword;

// What the quiet form reports besides `helpword`: the token index and the
// kind also stand in `core::iostatw`(0) and (1).
struct WordLook {
  std::int32_t token = 0;   // index of the word's token, 0 when none
  std::int32_t kind = 0;    // 1 to 15, as classified
  std::int32_t symbol = 0;  // the word's symbol, 0 when it is none
  std::int32_t cell = 0;    // the value cell (a number, an array element)
  std::int32_t alias = 0;   // an alias view's symbol
  std::int32_t rows = 0;    // of an array
  std::int32_t cols = 0;
  std::int32_t textfirst = 0;  // of a text: its start in c1namen and length
  std::int32_t textlength = 0;
};
inline WordLook wordlook;

// The word buffer: the word's text (a symbol in the full form prefixed by
// its subroutine's name and "." or by "global:"; a text variable's text).
inline plat::FixedText<256> wordbuffer;

// The word at the column (from 1) of the line. mode bit 0: the full form.
void FEDHLP(std::span<const char> line, std::int32_t column, std::int32_t mode);

// An upper-cased copy of the text.
std::string upper(std::string_view text);
// Entry n (from 1) of a keyword list framed by commas; empty when none.
std::string_view listentry(std::string_view list, std::int32_t n);

// Finds the section of the help data file named by the key (its first
// word, at most 16 characters) for reading its lines; lastline receives its
// number of lines, head line included. False when there is none.
bool helpsection(std::string_view key, int& lastline);

// The tokenizer and the lexicon over the text on trial: the counters of the
// compiler are put back by the caller (`TrialCounters`). The values of
// number literals go to the cells above the symbols' own.
void trialanalysis(std::string_view text, std::string_view whole);

// The compiler's counters while a line is analysed on trial: saved when
// made, put back (and `xeqstop` cleared) when dropped, so that symbols,
// texts and values the trial made are gone again.
class TrialCounters {
 public:
  TrialCounters();
  ~TrialCounters();
  TrialCounters(const TrialCounters&) = delete;
  TrialCounters& operator=(const TrialCounters&) = delete;
  std::int32_t symbols() const { return nsym_; }

 private:
  std::int32_t ntrans_, nsym_, c1top_, c1limit_, nztop_, xeqmode_;
};

}  // namespace ide
