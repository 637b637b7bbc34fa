// The run state of one EDIT statement and the workers that share it.
//
// EDIT runs its options one after another over one string of `c1namen`
// (text first to text last, fixed length): insertions push characters off
// its end, deletions fill its end with blanks. Every position below is an
// absolute position in `c1namen`; 0 means "unset". The options are read from
// the positional option table: slot `noptions` holds the option written
// first, slot 1 the one written last, so a pass runs its slots downwards.
#pragma once

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "core/shoplists.h"
#include "core/stores.h"
#include "core/symbols_text.h"

namespace text {

// Keyword numbers of the EDIT option list (ERror = 0).
namespace ekw {
consteval int nr(std::string_view kw) { return core::optkwnr(core::OptStmt::EDIT, kw); }
inline constexpr int ERror = nr("ERror"), Text = nr("Text"), Right = nr("Right"), Left = nr("Left"),
                     Delete = nr("Delete"), Insert = nr("Insert"), DO = nr("DO"),
                     RaNge = nr("RaNge"), Count = nr("Count"), UpperCase = nr("UpperCase"),
                     LowerCase = nr("LowerCase"), Option = nr("Option"),
                     GetPosition = nr("GetPosition"), SetPosition = nr("SetPosition"),
                     ScanFor = nr("ScanFor"), ScaNnot = nr("ScaNnot"), LeXicon = nr("LeXicon"),
                     SePaRators = nr("SePaRators"), SorTtoIndex = nr("SorTtoIndex"),
                     SorTedtext = nr("SorTedtext"), SortFromIndex = nr("SortFromIndex"),
                     TabiFyfont = nr("TabiFyfont"), ContInueiF = nr("ContInueiF"),
                     ScanForLeft = nr("ScanForLeft"), ScaNnotLeft = nr("ScaNnotLeft"),
                     RePLaceby = nr("RePLaceby"), IF = nr("IF"), ELSE = nr("ELSE"),
                     RangeBegin = nr("RangeBegin"), RangEend = nr("RangEend"), EXit = nr("EXit"),
                     ITeM = nr("ITeM"), Mark1 = nr("Mark1"), Mark2 = nr("Mark2"),
                     CoPyto = nr("CoPyto"), ENDIF = nr("ENDIF"), Parse = nr("Parse"),
                     SorTColumn1 = nr("SorTColumn1"), SortDelDbls = nr("SortDelDbls"),
                     Marks = nr("$Marks"), End = nr("End"), Begin = nr("Begin"), Word = nr("Word"),
                     WordEnd = nr("WordEnd"), APpendTo = nr("APpendTo"),
                     InvertedIndex = nr("InvertedIndex"), EXTRA = nr("EXTRA"),
                     IDentification = nr("IDentification"), SorTSequence = nr("SorTSequence"),
                     Id1 = nr("Id1"), Id2 = nr("Id2"), OFfSet = nr("OFfSet"), ENDDO = nr("ENDDO"),
                     MatriX = nr("MatriX");
}  // namespace ekw

// The default word separators: blank and ASCII punctuation, the symbols of
// the Windows-1252 upper half, the control codes (letters, digits, "$" and
// "_" are no separators).
inline constexpr std::string_view defaultseps =
    " !\"#%&'()*+,-./:;<=>?@[\\]^`{|}~"
    "\x7F\x80\x81\x82\x84\x85\x86\x87\x88\x89\x8B\x8D\x8F\x90\x91\x92\x93\x94\x95\x96\x97"
    "\x98\x99\x9B\x9D\xA0\xA1\xA2\xA3\xA4\xA5\xA6\xA7\xA8\xA9\xAB\xAC\xAD\xAE\xAF\xB0\xB1"
    "\xB4\xB6\xB7\xB8\xBB\xBC\xBD\xBE\xBF\xD7\xF7"
    "\x01\x02\x03\x04\x05\x06\x07\x08\x09\x0A\x0B\x0C\x0D\x0E\x0F\x10\x11\x12\x13\x14\x15\x16"
    "\x17\x18\x19\x1A\x1B\x1C\x1D\x1E\x1F";
inline constexpr std::int32_t nsepset = 115;
static_assert(defaultseps.size() == nsepset);

// Search patterns are cut to this length.
inline constexpr std::int32_t maxpattern = 1536;

// The slots (1 up to this, less one) whose values and roads a statement
// keeps; options written before them are read at each use.
inline constexpr std::size_t keptslots = 32;

// Option-mask bits that EDIT reads itself.
inline constexpr std::int32_t om_case = 0x1;        // case counts
inline constexpr std::int32_t om_words = 0x2;       // Count without a value counts words
inline constexpr std::int32_t om_back = 0x4;        // search left; arrays read from their end
inline constexpr std::int32_t om_blanks = 0x10;     // Insert keeps its trailing blanks
inline constexpr std::int32_t om_regex = 0x80;      // Count's search: regular expression
inline constexpr std::int32_t om_counting = 0x100;  // a counting search: never for a position

// Statuses of failing operations (0 none).
namespace est {
inline constexpr std::int32_t leftnohit = 1, rightnohit = 2, outside = 3, deletenohit = 4,
                              rangebeyond = 5, arraybeyond = 6, noitem = 9, nofield = 11, full = 13,
                              noappend = 14, nopair = 15, lastword = 16, badarray = -10;
}  // namespace est

// What the option list does after an option.
enum class Flow {
  next,     // the next option of the pass
  newpass,  // a new pass from the restart index
  passend,  // the pass ends; a next range may follow
  runend,   // the run ends: no further options or ranges
  stop,     // the statement stops with the key in `msgkey`
};

// A text of `c1namen`, first to last (empty when last < first).
struct Span {
  std::int32_t first = 0, last = -1;
  std::int32_t size() const { return last >= first ? last - first + 1 : 0; }
};

struct EditState {
  std::int32_t first = 0, last = 0;  // the edited string
  std::int32_t end = 0;              // text end: last non-blank, + 1 with trailing blanks
  std::int32_t pos = 0;
  std::int32_t rbeg = 0, rend = 0;  // the current range
  std::int32_t rseplen = 0;         // length of the RaNge separator text, 0 numeric
  std::int32_t rangenr = 0;
  std::int32_t mark1 = 0, mark2 = 0;
  std::int32_t matchlen = 0;       // length of the last hit or of the marked word
  std::int32_t mask = 0;           // the Option mask
  std::array<char, nsepset> seps;  // (set when a run starts)
  std::int32_t nseps = nsepset;    // separators in use; 0: fixed-width words
  std::int32_t fixedwidth = 0;
  char wordend = ' ';
  std::int32_t status = 0;
  double result = 0.0;
  std::int32_t docount = 0;            // remaining passes of the open DO loop, 0 none
  std::int32_t passnr = 1;             // also in z(1)
  std::int32_t restart = 0, stop = 1;  // the slots a pass runs, downwards
  // The slots of the first and the last option written (ERror left out).
  std::int32_t firstslot = 0, lastslot = 0;
  bool ifopen = false, iffailed = false, elseskip = false;
  std::int32_t countstart = 0;
  std::int32_t countsym = 0;  // the Count text's symbol, 0 none
  bool constant = false;      // the edited text is a constant
  std::int32_t textsym = 0;
  bool expression = false;  // called from inside an expression
  std::int32_t slot = 0;    // the slot being run
  std::uint64_t met = 0;    // keywords met in the pass
  // Positions.
  std::array<std::int32_t, 4> posarrays;  // (set when a run starts)
  bool tolerant = false;                  // SetPosition values below 1 pass
  std::int32_t marks1 = 0, marks2 = 0;    // the $Marks text, 0 unset
  // Word lists, lexicons and the index.
  std::int16_t assignkind = 0;           // how the result is assigned (0x8400 text, 0x8420, 0x8440)
  std::int32_t sortcol = 0;              // SorTColumn1 less one
  bool sortdone = false;                 // the first sort option has written its lists
  bool keepnumber = false;               // the result stays a number
  Span resultspan;                       // the result is this text (a list written into the target)
  std::int32_t arraycells = 0;           // a whole-array target was filled: its cells + 1 into z(1)
  Span extra;                            // EXTRA, without trailing blanks
  std::int32_t idfirst = 0, idlast = 0;  // identification text, or the number in idlast
  Span idoption;                         // an IDentification text starting with IGNORE or CONST
  std::int32_t sequence = 999;           // SorTSequence
  // TabiFyfont: 0 not started, 1 the measuring run, 2 the tab-setting
  // runs; the widest column of this run and of the run before (pixels).
  std::int32_t tabpass = 0;
  std::int32_t widest = 0;
  std::int32_t tabtarget = 0;
  // The option values as the statement first read them, by slot (1 to
  // 31, bit s of `known`): whether the value is a text, and its span. A
  // value's span changes only where a Parse view binds the variable anew,
  // which forgets them all; the characters are read at each use.
  // (Its text's bounds without defaults: the entries are set when read,
  // not when the state is made.)
  struct Value {
    bool text;
    bool literal;  // a text constant (a search keeps its trailing blanks)
    std::int32_t first, last;
    Span span() const { return {first, last}; }
  };
  std::array<Value, keptslots> values;
  std::uint32_t known = 0;
  // The searches of the statement made ready (core::C1Ready), by slot and
  // mask; one stands while its pattern has the characters it was made
  // from, at the same place (patterns of up to 16 characters).
  struct Search {
    std::int32_t slot, mask;
    const char* at;
    std::size_t n;
    std::array<char, 16> chars;
    std::optional<core::C1Ready> ready;  // (made when the entry is taken)
  };
  std::array<Search, 4> searches;
  std::int32_t nsearches = 0;
  // How each slot runs (1 to 31), decided once when the statement starts.
  // In a statement whose options write nowhere but into the edited string,
  // a search or a replacement whose text lies outside that string has the
  // same characters at every pass: its value and its search are fixed for
  // the statement, and the pass runs it without looking them up again.
  // A DO whose loop body runs by fixed roads only (up to its ENDDO at
  // slot `end`) runs its passes without walking the list.
  enum class Road : std::uint8_t { general, search, replace, loop };
  // (Set by the plan, made or kept, before the list runs: a value-made
  // step is a general one.)
  struct Step {
    Road road;
    std::uint8_t fixed;  // the search made ready in `fixed`
    std::uint8_t end;    // a loop's ENDDO
  };
  std::array<Step, keptslots> steps;
  struct Fixed {
    std::int32_t mask;  // the mask it was made for
    std::optional<core::C1Ready> ready;
  };
  std::array<Fixed, 4> fixed;
  std::int32_t nfixed = 0;
};

// Whether the fixed roads are taken (cleared to compare them with the
// general road, which runs every option through its keyword).
inline bool fixedroads = true;

// The statement's result is assigned to a text (0x8400), a numeric scalar
// (0x8420) or a whole numeric array (0x8440).
inline bool assignedkind(std::int16_t kind) {
  const auto u = static_cast<std::uint16_t>(kind);
  return u == 0x8400 || u == 0x8420 || u == 0x8440;
}

// A position moved by a script's value, kept well inside 32 bits.
inline std::int32_t clamppos(std::int64_t p) {
  return static_cast<std::int32_t>(std::clamp<std::int64_t>(p, -(1 << 30), 1 << 30));
}

// --- The editor form (edit_editor.cpp) ---------------------------------------
// Searches the pattern in the editor's text from the line after Count on,
// shows the line found and stores its number (0 none) into the variable
// of the option written after the pattern's, firstslot being its slot.
void editorform(std::int32_t firstslot, const Span& pattern);

// --- Values of options (edit.cpp) -------------------------------------------
// The text of value symbol v; false when v is no text.
bool textvalue(std::int32_t v, Span& s);
// The value v of the option being run (slot e.slot), read once in the
// statement (see EditState::values).
[[gnu::noinline]] const EditState::Value& readvalue(EditState& e, std::int32_t v);
inline const EditState::Value& optionvalue(EditState& e, std::int32_t v) {
  const auto slot = static_cast<std::uint32_t>(e.slot);
  if (slot < e.values.size() && (e.known >> slot & 1) != 0) return e.values[slot];
  return readvalue(e, v);
}
// Its text, as textvalue() finds it.
inline bool optiontext(EditState& e, std::int32_t v, Span& s) {
  const EditState::Value& known = optionvalue(e, v);
  s = known.span();
  return known.text;
}
// The text of value v as a standalone copy (at most max characters).
std::string textcopy(const Span& s, std::int32_t max = 0x7FFFFFFF);
// The numeric value of v (0 for no value or a text), rounded.
std::int32_t intvalue(std::int32_t v);
// The whole of `c1namen` for the searches (position p is element p - 1).
std::string_view storeview();
// Character at position p, blank outside the edited string.
char charat(const EditState& e, std::int32_t p);
// c is one of the separators in use.
bool insep(const EditState& e, char c);
// Sets the pass number (and z(1)).
inline void setpassnr(EditState& e, std::int32_t n) {
  e.passnr = n;
  if (core::z.valid(1)) core::z.data()[1 - core::z.first()] = n;
}
// A failing move or search: the status is recorded; inside an open IF the
// saved position comes back and the block fails, else the pass ends.
Flow failed(EditState& e, std::int32_t status, std::int32_t saved);

// A failure with a message that names a variable.
void namedfailure(std::string_view key, std::int32_t sym);

// --- Moving, searching, ranges, words, items (edit_move.cpp) ----------------
// The search of pattern p (a view of the store) under mask, made ready for
// the option being run: kept for the statement's next passes.
[[gnu::noinline]] const core::C1Ready& makesearch(EditState& e, std::string_view p,
                                                  std::int32_t mask);
inline const core::C1Ready& readysearch(EditState& e, std::string_view p, std::int32_t mask) {
  for (std::int32_t i = 0; i < e.nsearches; ++i) {
    const EditState::Search& s = e.searches[static_cast<std::size_t>(i)];
    if (s.slot != e.slot || s.mask != mask || s.at != p.data() || s.n != p.size()) continue;
    std::size_t k = 0;
    while (k < s.n && s.chars[k] == p[k]) ++k;
    if (k == s.n) return *s.ready;
  }
  return makesearch(e, p, mask);
}
Flow moveby(EditState& e, int kw, std::int32_t v);
// The mask of a Right or Left with a text (a literal keeps its blanks).
inline std::int32_t searchmask(const EditState& e, bool right, bool literal) {
  return (e.mask & ~om_counting) | (literal ? om_blanks : 0) | (right ? 0 : om_back);
}

Flow scan(EditState& e, int kw, std::int32_t v);
Flow range(EditState& e, std::int32_t v);
void word(EditState& e, std::int32_t v);
void wordend(EditState& e, std::int32_t v);
Flow item(EditState& e, std::int32_t v);
// The first word of first..last: wf = 0 when none.
void NXTWORDINC1VEC(std::int32_t first, std::int32_t last, std::int32_t& wf, std::int32_t& wl,
                    std::string_view seps, std::int32_t count);

// --- Changing the text (edit_change.cpp) ------------------------------------
// Opens (delta > 0, filled from fill) or closes (delta < 0) room at the
// position; the result goes up by 1.
void MAKEREPLACESPACE(EditState& e, std::int32_t delta, std::string_view fill = {});
Flow insert(EditState& e, std::int32_t v);
Flow remove(EditState& e, std::int32_t v);
Flow replace(EditState& e, std::int32_t v);
// RePLaceby with text t that lies in the edited string: t copied first.
Flow replacecopy(EditState& e, const Span& t, std::int32_t old);
void changecase(EditState& e, std::int32_t v, bool upper);
void copyto(EditState& e, std::int32_t v);
Flow appendto(EditState& e, std::int32_t v);
Flow parse(EditState& e, std::int32_t v);

// --- Word lists, lexicons and the index (edit_words.cpp, edit_lexicon.cpp) ---
Flow wordsort(EditState& e, int kw, std::int32_t v);
Flow invertedindex(EditState& e, std::int32_t v);
void indexsetting(EditState& e, int kw, std::int32_t v);

// --- Column tabs for a font (edit_tabify.cpp) --------------------------------
// Gaps of two blanks become tabs that line the columns of the ranges up
// in the current window's font: one measuring run, then a run per gap.
Flow tabify(EditState& e);
// At the end of a run: true when TabiFyfont asks for another one.
bool tabifyagain(EditState& e);
// Ends TabiFyfont's measuring (always safe to call).
void tabifyend();

// --- Positions and counting (edit_position.cpp) -----------------------------
Flow getposition(EditState& e, std::int32_t v);
Flow setposition(EditState& e, std::int32_t v);
void setmarks(EditState& e, std::int32_t v);
void count(EditState& e, std::int32_t v);
// The end of the statement: the Count text's hits up to the position.
void finishcount(EditState& e);

}  // namespace text
