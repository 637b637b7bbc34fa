// The formatted transfer engine: moves one item of a READ or WRITE between
// a record text and a script value under a format, one edit descriptor at
// a time. The caller keeps a cursor per record (text position, 0 at the
// record start; format position, 1-based; repeat index, 1 = read the next
// descriptor) and calls the engine once per item, so that the format is
// walked across the calls; groups opened in one call are closed in a
// later one.
//
// A format that is not a descriptor list is a template (pictures): a
// separator picture such as ";" or ",;" (each item written without
// trailing blanks and followed by the next separator, the last one
// repeating; read as the fields between them), a quote pair such as «""»
// or «"",» (the item written between the quotes), or a text with text
// pictures («|Name L    |», alignment L, C or R) and number pictures
// («<12.3>») into which the items go, the rest of the template copied.
// A format that begins with "std(" and ends with ")" is applied whole, by
// the standard conversions, to one item and the whole record.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string_view>

namespace io {

// The engine's state between calls; the engine is not re-entered.
struct RwIndxState {
  std::int32_t ndone = 0;                  // items served since the record start
  std::int32_t level = 0;                  // open groups, at most 8
  std::array<std::int32_t, 9> grouprep{};  // per level 1..8: repeats left
  std::array<std::int32_t, 9> groupret{};  // per level 1..8: position after its "("
  std::int32_t descstart = 0;              // format position of the descriptor in hand
  bool slashseen = false;                  // a "/" ended a record
  bool served = false;                     // the last call transferred its item
  // Templates: where the template began in the record and in the format,
  // and the delimiter of its pictures.
  std::int32_t tmplbase = 0;
  std::int32_t tmplstart = 0;
  char delimiter = 1;
};
inline RwIndxState rwindxstate;

// One call. format: its first lfmt characters are used. record: its first
// ltext characters are the record. ordinal: the item's number within the
// record (its absolute value; a negative one asks for status "I" instead of
// "B" when no free-field number is found). text: the item when it is a
// text (length 1 or more), else number is the item. letter: in "W" writes,
// "w" is the closing pass after the last item of a WRITE (what is left of
// the format's literals and template is written, no item), anything else
// reads; out: the letter of the descriptor that served the item ("E" after
// a "std(" format, "A" after a literal or template element), or "/" when
// the record ends here. status: blank, or the character of the failure
// (rwdetail then holds its detail text).
//
// Statuses of the walk: "1" a ")" without its "(", or a ninth nested
// group; "3" a field beyond the record; "4" a descriptor other than F, A or
// a literal without a width (rwdetail: its letter); "6" the format ended
// inside a group; "a" the format is a template (not a failure). Of the
// conversions: "5" a letter without a conversion for a number (rwdetail:
// the letter); "8" a value outside a binary or integer field's range; "9"
// an integer field shows "*"; "B", "I" no free-field number; "F" a field
// that does not read (rwdetail: the incompatibility text); "G" a binary
// field of another width than 1, 2, 4, 8 (i) or 4, 8 (f); "H" a binary
// real field holds no number (the item is 0); "K" a "std(" format failed
// (iostatw: its status); "M" a text met another descriptor than A.
void RWINDX(std::string_view format, std::int32_t lfmt, std::span<char> record, std::int32_t ltext,
            std::int32_t ordinal, std::span<char> text, double& number, char& letter,
            std::int32_t& tpos, std::int32_t& fpos, std::int32_t& irep, char& status);

// A plain format (A, E, F, G, I and L descriptors with a width, and X
// skips, in groups or not; no literals, slashes, templates or "std(")
// compiled into its fields, in the order the walk meets them up to the
// format's end (or to the return of a group without a repeat count): the
// items of a record begun afresh (the engine's state just reset, text and
// format positions at their starts) go to their fields directly, leaving
// the state that one RWINDX call an item would, groups open included. rwplan makes the plan of
// the format (its first lfmt characters) ready and says whether it holds
// elements items in a record of ltext characters. rwplanbegin then takes
// the record (its first ltext characters), the direction ("W" or "R") and
// the cursor as RWINDX would, and rwplanfield serves item number ordinal
// (1, 2, ... in turn), as a call of RWINDX would.
bool rwplan(std::string_view format, std::int32_t lfmt, std::int32_t elements, std::int32_t ltext);
// The plan in hand, and the plans made so far (a plan key stands while
// none is made since).
inline void* rwplaninuse = nullptr;
inline std::uint64_t rwplansmade = 0;
// The plan a format took, found again without a look at the format while
// no plan has been made since, with the verdict for the elements and the
// record length it was asked for last.
struct RwPlanKey {
  void* plan = nullptr;
  std::uint64_t made = 0;
  std::int32_t elements = -1, ltext = -1;
  bool planned = false;
};
bool rwplanfind(std::string_view format, std::int32_t lfmt, std::int32_t elements,
                std::int32_t ltext, RwPlanKey& key);
// rwplan for a format that stays the same from one call to the next: the
// plan key holds is taken while it stands, else the plan is found and key
// set to it.
inline bool rwplan(std::string_view format, std::int32_t lfmt, std::int32_t elements,
                   std::int32_t ltext, RwPlanKey& key) {
  if (key.plan != nullptr && key.made == rwplansmade && key.elements == elements &&
      key.ltext == ltext) {
    rwplaninuse = key.plan;
    return key.planned;
  }
  return rwplanfind(format, lfmt, elements, ltext, key);
}
void rwplanbegin(std::span<char> record, std::int32_t ltext, char dir, char& letter,
                 std::int32_t& tpos, std::int32_t& fpos, std::int32_t& irep, char& status);
void rwplanfield(std::int32_t ordinal, std::span<char> text, double& number);

// The items of a record begun afresh under the plan in hand (rwplan has
// said that it holds them) in one call, when every field is a common one
// (rwf::convertcommon) and none fails: the record (its first characters
// are those the plan may lay) and the items are then what a reset of the
// engine's state, rwplanbegin and one rwplanfield call an item leave up to
// the record's end, the skips between the fields written as blanks
// (nothing beyond the record is laid), and end holds the walk's positions.
// False otherwise; the record's characters and the items before the field
// that stopped it are then left as they stand, for serving the items one
// by one anew (the engine's state reset first). dir: "W" or "R".
struct RwPlanItem {
  std::span<char> text;      // a text item, empty for a number
  double* number = nullptr;  // a number item
  bool takes = true;         // a read item takes what is read
};
struct RwPlanEnd {
  std::int32_t tpos = 0, fpos = 1, irep = 1;
  std::int32_t written = 0;  // the text position the last item started at
  std::int32_t blanked = 0;  // how far the record is laid (tpos when written)
  char letter = ' ';         // the letter of the last item's descriptor
};
bool rwplanrecord(std::span<char> record, char dir, std::span<const RwPlanItem> items,
                  RwPlanEnd& end);

// The closing pass of a WRITE (RWINDX with the letter "w") after served
// items served under the plan in hand, when the plan knows it: the skips
// and the groups' ends up to the next field or the format's end, the
// record's skips written as blanks and the cursor and the engine's state
// left as the walk leaves them. False, with nothing done, otherwise.
bool rwplanclosing(std::int32_t served, std::span<char> record, std::int32_t ltext,
                   std::int32_t& tpos, std::int32_t& fpos, std::int32_t& irep);

void reset_rwindx();

}  // namespace io
