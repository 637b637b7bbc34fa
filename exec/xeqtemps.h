// Result temporaries, the floating-point check after a value-producing word,
// and the message keys with which the executor reports run-time failures.
//
// Every value a statement computes goes into a fresh numeric temporary: a
// symbol record above `nsym` whose cell in `z` holds the value. `iresult`
// names the current one. After each value-producing word the statement
// loop moves on to the next temporary and reads the floating-point status,
// so that a division by zero or an overflow is reported against the
// statement that caused it.
#pragma once

#include <cstdint>
#include <string_view>

#include "core/chars.h"
#include "core/messages.h"
#include "core/runwords.h"
#include "core/stores.h"

namespace exec {

// Type word of a numeric temporary and of a temporary string.
inline constexpr std::int16_t numtemptype = 0x88;
inline constexpr std::int16_t strtemptype = 0x48;

// The two letters of a floating-point status code: 1 "IR", 2 "DN", 4 "ZD",
// 8 "OF", any other non-zero code "IE"; empty for 0.
std::string_view ndpletters(std::int32_t code);

// The ten-character key "NDPerror" + letters of a floating-point status.
std::string_view ndpkey(std::int32_t code);

// Makes room for result cell k: grows `name` when k reaches `nname` and `z`
// when k reaches the top block of `z`. False when a store could not grow.
// (growforresult is its slow side.)
bool growforresult(std::int32_t k);
inline bool resultroom(std::int32_t k) {
  if (k < core::nname && k < core::nztop && core::z.valid(k)) return core::name.valid(k);
  return growforresult(k);
}

// Called after resultroom grew `z`: the cells oldtop..oldnz of the top
// block (the arrays) now lie g cells higher. The evaluator installs it
// while a statement runs, to repair the cells it holds.
inline void (*zmoved)(std::int32_t oldtop, std::int32_t oldnz, std::int32_t g) = nullptr;

// Writes a fresh numeric temporary record (address 0, type 0x88, the rest
// 0): r, or that of cell k where the store holds it. The cell's value is
// left as it is.
inline void freshtemprecord(core::SymbolRecord& r) {
  // (Field by field: the whole record assigned at once becomes a string
  // store, slow to start for twenty bytes.)
  static_assert(sizeof(core::SymbolRecord) == 20, "a field added to the record is set here too");
  r.adr = 0;
  r.type = numtemptype;
  r.scope = 0;
  r.nambeg = 0;
  r.namlen = 0;
  r.link = 0;
  r.layout = 0;
}
inline void newtemprecord(std::int32_t k) {
  if (core::name.valid(k)) freshtemprecord(core::name(k));
}

// Moves `iresult` to a new numeric temporary and checks the floating-point
// status: a status found while no error is pending (`iostatw` 0) is kept in
// `iostatw`, sets `xeqstop` to 0x7FFF and, unless `nomsg` is set, is shown
// as the evaluator shows a failed calculation (its key, the statement number
// and the status).
void ndpfailure(std::int32_t code);  // the failure's stop and message
inline void INTERNALNXTTANDNDP() {
  core::iresult = (core::iresult < 0 ? -core::iresult : core::iresult) + 1;
  if (resultroom(core::iresult)) newtemprecord(core::iresult);
  if (core::iostatw[0] != 0) return;
  const std::int32_t code = core::FPUERROR(-1);
  core::iostatw[0] = static_cast<std::int16_t>(code);
  if (code != 0) ndpfailure(code);
}

// Run-time error keys of the executor.
namespace xeqkeys {
inline constexpr std::string_view notcorrected = core::MSGKEY("notCorrected");
inline constexpr std::string_view noendif = core::MSGKEY("noEndif");
inline constexpr std::string_view apology = core::MSGKEY("apology");
inline constexpr std::string_view xeqstack = core::MSGKEY("xeqStack");
inline constexpr std::string_view msgxeqstack = core::MSGKEY("msgXEQstack");
inline constexpr std::string_view xequnknown = core::MSGKEY("xeqUnknown");
inline constexpr std::string_view stackunderflow = core::MSGKEY("stackUnderFlow");
inline constexpr std::string_view noriteside = core::MSGKEY("noRiteSide");
inline constexpr std::string_view xeqnoarray = core::MSGKEY("xeqNoArray");
inline constexpr std::string_view vectorisation = core::MSGKEY("vectorisation");
inline constexpr std::string_view notpossible = core::MSGKEY("notPossible");
inline constexpr std::string_view xeqtryagain = core::MSGKEY("xeqTryAgain");
inline constexpr std::string_view storetotemp = core::MSGKEY("storeToTemp");
inline constexpr std::string_view chartonum = core::MSGKEY("charToNum");
inline constexpr std::string_view charexpected = core::MSGKEY("charExpected");
inline constexpr std::string_view rdwrerk = core::MSGKEY("rdwrErK");
inline constexpr std::string_view arraydim0 = core::MSGKEY("arrayDim=0");
inline constexpr std::string_view arrayindex = core::MSGKEY("arrayIndex");
inline constexpr std::string_view substringind = core::MSGKEY("substringInd");
inline constexpr std::string_view doprefix = core::MSGKEY("doPrefix");
inline constexpr std::string_view stinkingdo = core::MSGKEY("stinkingDO");
inline constexpr std::string_view donan = core::MSGKEY("doNaN");
inline constexpr std::string_view labelsub = core::MSGKEY("labelSub?");
inline constexpr std::string_view nofncassign = core::MSGKEY("noFncAssign");
inline constexpr std::string_view fncdropped = core::MSGKEY("fncDropped");
inline constexpr std::string_view alarmerror = core::MSGKEY("alarmError");
inline constexpr std::string_view indexerror = core::MSGKEY("indexError");
inline constexpr std::string_view charerror = core::MSGKEY("charError");
inline constexpr std::string_view allocnoarrnochar = core::MSGKEY("allocNoArrNoChar");
inline constexpr std::string_view allocuseali = core::MSGKEY("allocUseAli");
inline constexpr std::string_view allocate = core::MSGKEY("ALLOCATE()");
inline constexpr std::string_view msgnan = core::MSGKEY("msgNaN");
inline constexpr std::string_view msgmulticat = core::MSGKEY("msgMulti//");
inline constexpr std::string_view notyetbuilt = core::MSGKEY("notYetBuilt");
// A statement made for a formal as a number meets it bound to an array.
inline constexpr std::string_view formalkind = core::MSGKEY("formalKind");
// XEQ inside an expression or into an element, where its value would be lost.
inline constexpr std::string_view xeqillegal = core::MSGKEY("xeqillegal");
// DIFFEQ, DLL, SOLVE or XEQ in the text that XEQ runs.
inline constexpr std::string_view xeqtextstmt = core::MSGKEY("xeqTextStmt");
// INET: network access is reserved but not provided.
inline constexpr std::string_view inetnotprovided = core::MSGKEY("inetNotProvided");
// Floating-point failures, one key per class.
inline constexpr std::string_view ndpkeys[] = {
    core::MSGKEY("NDPerrorIR"), core::MSGKEY("NDPerrorDN"), core::MSGKEY("NDPerrorZD"),
    core::MSGKEY("NDPerrorOF"), core::MSGKEY("NDPerrorIE")};
}  // namespace xeqkeys

}  // namespace exec
