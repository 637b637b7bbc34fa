// The dispatch of the option statements: collects the option markers and
// values of one call into the option table and calls the built-in's
// routine, which reads its options from there (exec/optvalues.h).
//
// Two entries share the work: BUISOPT for a statement (markers and values
// on the operand stack) and BUISOPTNEW for a call inside an expression
// (a list of keyword and value pairs). The built-ins are reached through
// `opttable`, one entry per option statement; a built-in that is not part
// of this build keeps the stand-in `notyetbuilt` in its entry.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

#include "core/shoplists.h"
#include "platform/indexed.h"

namespace exec {

// The option table. optval(kw) or optval(k): 0 absent (also a bare ERror),
// minus the keyword number for an option without a usable value, else the
// symbol whose cell holds the value. optkw(k): keyword number of the k-th
// option collected by position (k = 1 is the option written last).
inline constexpr std::int32_t noptslots = 101;
inline plat::Store0<std::int32_t> optval(noptslots);
inline plat::Store1<std::uint8_t> optkw(noptslots - 1);
inline std::int32_t noptions = 0;

// Value of a pair whose option has no value (expression form).
inline constexpr std::int32_t novalue = 0x7FFFFFFF;

enum class OptFill : std::uint8_t {
  keyword,   // optval indexed by keyword number
  position,  // optkw/optval indexed by the option's place, last written first
};

// What a built-in's routine gets besides the option table.
struct OptCall {
  std::int32_t items = 0;       // item operands (OPEN, READ, WRITE)
  std::int16_t assignkind = 0;  // how the result is assigned: 0x8400, 0x8420, 0x8440 or 0
  bool expression = false;      // called from inside an expression
};
using OptRoutine = void (*)(const OptCall&);

struct OptEntry {
  core::OptStmt stmt;
  OptFill fill;
  bool expressiononly;  // the statement header collects nothing and calls nothing
  OptRoutine routine;
};

// One entry per option statement, in statement-number order. The
// subsystems above the executor put their routines in with
// install_optroutine when the program starts (ide/builtins_install.h wires
// them all); a reset leaves them in place.
extern OptEntry opttable[core::noptstmts];
void install_optroutine(core::OptStmt stmt, OptRoutine routine);

// Stand-in routine of a built-in not yet in this build: stops the statement
// with the message "notYetBuilt".
void notyetbuilt(const OptCall& call);

// READ and WRITE share the option slots of OPEN: their keyword numbers are
// mapped to the common slot numbers (OPEN's keywords keep their own).
struct RwSlot {
  std::string_view kw;
  std::int32_t slot;
};
inline constexpr RwSlot rwcommonslots[] = {
    {"ERror", 0},      {"IOStat", 1},      {"FIle", 2},      {"RecL", 7},
    {"APPend", 9},     {"Format", 14},     {"LENgth", 15},   {"DecimalPoint", 25},
    {"Text", 26},      {"Recrow", 27},     {"Column", 28},   {"SEArch", 29},
    {"CLoSe", 30},     {"Messagebox", 31}, {"ItemS", 32},    {"WINdowhandle", 33},
    {"ClipBoard", 34}, {"TitleBar", 35},   {"OnButton", 36}, {"StatusBar", 37},
    {"PRint", 38},     {"DELETE", 39},     {"FLUsh", 40},    {"REName", 41},
    {"COLumnS", 42},   {"DeCoRation", 43}, {"Align", 44},    {"BaCkcolor", 45},
    {"ForeColor", 46}, {"Name", 47},       {"FONt", 48},     {"PoinT", 49},
    {"ROTate", 50},    {"ITalic", 51},     {"BolD", 52},     {"UnderLine", 53}};

namespace optdetail {
template <std::size_t N>
consteval std::array<std::uint8_t, N> slotsof(core::OptStmt s) {
  std::array<std::uint8_t, N> out{};
  std::size_t i = 0;
  for (const auto& e : core::shoplist(s).entries) {
    bool found = false;
    for (const auto& c : rwcommonslots)
      if (c.kw == e.kw) {
        out[i] = static_cast<std::uint8_t>(c.slot);
        found = true;
      }
    if (!found) throw "keyword without a common slot";
    ++i;
  }
  return out;
}
}  // namespace optdetail

// Common slot of READ keyword number n (16 entries) and WRITE keyword
// number n (33 entries).
inline constexpr auto readslots = optdetail::slotsof<16>(core::OptStmt::READ);
inline constexpr auto writeslots = optdetail::slotsof<33>(core::OptStmt::WRITE);
// The common slot of a READ or WRITE keyword, by its spelling.
consteval std::int32_t rwslot(std::string_view kw) {
  for (const auto& c : rwcommonslots)
    if (c.kw == kw) return c.slot;
  throw "no such common slot";
}

// Statement form: header is the statement's code word (0xAC00 + 0x20 s,
// option count in the low five bits), next the code word after it.
// Options and values come from the operand stack `xeqstack` (entries
// xeqstackbase + 1 to xeqstackptr of `adrs`); xeqstackptr is left at the
// collected part's new top.
void BUISOPT(std::int16_t header, std::int16_t next);
// Expression form: header 0xF800 + 0x40 s (option count in the low six
// bits); list holds the option count pairs (keyword number, value or
// `novalue`) in written order, then for READ and WRITE the item operands;
// n counts the entries used.
void BUISOPTNEW(std::int16_t header, std::int16_t assignkind, std::span<const std::int32_t> list,
                std::int32_t n);

// The option table as BUISOPTNEW fills it for a statement of the keyword
// form, without pushing its items or calling its built-in: OPTIONSLOTS
// finds the slots and values once (returns the option count), FILLOPTIONS
// puts them in.
struct OptSlot {
  std::int32_t slot = 0, value = 0;
};
std::int32_t OPTIONSLOTS(std::int16_t header, std::span<const std::int32_t> list, std::int32_t n,
                         std::vector<OptSlot>& slots);
void FILLOPTIONS(std::span<const OptSlot> slots, std::int32_t count);

// The run timer of the status bar, called around a dialog build while bit 0
// of its flag word (the timer display) is set; the stopwatch of the files
// and devices (io/stopwatch.h) installs itself here.
inline std::int32_t realtimeflags = 0;
inline void (*realtimehook)(std::int32_t mode, std::int32_t value) = nullptr;

// Clears the option table and the timer display; the installed run timer
// stays, as the built-ins of `opttable` do.
void reset_optdispatch();

}  // namespace exec
