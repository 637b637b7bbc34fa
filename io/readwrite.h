// OPEN, READ and WRITE: one routine, READWRITE, entered from the option
// dispatch with the statement letter and the number of items on the
// operand stack. The three statements share one numbering of option slots
// (OPEN's keyword numbers; READ and WRITE are mapped onto them by the
// dispatch).
//
// OPEN binds a text variable to the first free script unit: the variable
// gets type bit 0x100 and the unit in its address field, and keeps its
// text, the file's name. The statement's value is the unit's mode bits.
// Failures end in one report: IOStat receives the status (or, for a
// failure of the statement's own, minus one minus its letter's code); the
// message "rdwrEr" + letter is shown unless messages are silenced; the
// run stops at the statement (stop word 0x7FFF), or the executor goes on
// at the ERror label.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "core/shoplists.h"
#include "exec/optdispatch.h"
#include "platform/fixed_text.h"

namespace io {

// Option slots (keyword numbers of OPEN).
namespace rwslot {
using core::optkwnr;
using core::OptStmt;
inline constexpr int error = optkwnr(OptStmt::OPEN, "ERror");
inline constexpr int iostat = optkwnr(OptStmt::OPEN, "IOStat");
inline constexpr int file = optkwnr(OptStmt::OPEN, "FIle");
inline constexpr int old = optkwnr(OptStmt::OPEN, "OLD");
inline constexpr int fresh = optkwnr(OptStmt::OPEN, "NEW");
inline constexpr int scratch = optkwnr(OptStmt::OPEN, "SCRatch");
inline constexpr int replace = optkwnr(OptStmt::OPEN, "RePLace");
inline constexpr int recl = optkwnr(OptStmt::OPEN, "RecL");
inline constexpr int sequential = optkwnr(OptStmt::OPEN, "SEQuential");
inline constexpr int append = optkwnr(OptStmt::OPEN, "APPend");
inline constexpr int unformatted = optkwnr(OptStmt::OPEN, "UNFormatted");
inline constexpr int binary = optkwnr(OptStmt::OPEN, "BINary");
inline constexpr int direct = optkwnr(OptStmt::OPEN, "DIRect");
inline constexpr int formatted = optkwnr(OptStmt::OPEN, "FORmatteD");
inline constexpr int format = optkwnr(OptStmt::OPEN, "Format");
inline constexpr int length = optkwnr(OptStmt::OPEN, "LENgth");
inline constexpr int getrecl = optkwnr(OptStmt::OPEN, "GetRecL");
inline constexpr int readonly = optkwnr(OptStmt::OPEN, "ReadOnly");
inline constexpr int writeonly = optkwnr(OptStmt::OPEN, "WriteOnly");
inline constexpr int denyread = optkwnr(OptStmt::OPEN, "DenyREAd");
inline constexpr int denywrite = optkwnr(OptStmt::OPEN, "DenyWRIte");
inline constexpr int denyreadwrite = optkwnr(OptStmt::OPEN, "DenyREAdWRIte");
inline constexpr int option = optkwnr(OptStmt::OPEN, "Option");
inline constexpr int filter = optkwnr(OptStmt::OPEN, "FiLTer");
inline constexpr int comptol = optkwnr(OptStmt::OPEN, "CompTol");
inline constexpr int index = optkwnr(OptStmt::OPEN, "InDeX");
// The slots of READ and WRITE beyond OPEN's own.
inline constexpr int decimalpoint = exec::rwslot("DecimalPoint");
inline constexpr int text = exec::rwslot("Text");
inline constexpr int recrow = exec::rwslot("Recrow");
inline constexpr int column = exec::rwslot("Column");
inline constexpr int search = exec::rwslot("SEArch");
inline constexpr int close = exec::rwslot("CLoSe");
inline constexpr int messagebox = exec::rwslot("Messagebox");
inline constexpr int items = exec::rwslot("ItemS");
inline constexpr int windowhandle = exec::rwslot("WINdowhandle");
inline constexpr int clipboard = exec::rwslot("ClipBoard");
inline constexpr int titlebar = exec::rwslot("TitleBar");
inline constexpr int onbutton = exec::rwslot("OnButton");
inline constexpr int statusbar = exec::rwslot("StatusBar");
inline constexpr int del = exec::rwslot("DELETE");
inline constexpr int flush = exec::rwslot("FLUsh");
inline constexpr int rename = exec::rwslot("REName");
inline constexpr int name = exec::rwslot("Name");
inline constexpr int print = exec::rwslot("PRint");
inline constexpr int columns = exec::rwslot("COLumnS");
inline constexpr int decoration = exec::rwslot("DeCoRation");
inline constexpr int align = exec::rwslot("Align");
inline constexpr int backcolor = exec::rwslot("BaCkcolor");
inline constexpr int forecolor = exec::rwslot("ForeColor");
inline constexpr int font = exec::rwslot("FONt");
inline constexpr int points = exec::rwslot("PoinT");
inline constexpr int rotate = exec::rwslot("ROTate");
inline constexpr int italic = exec::rwslot("ITalic");
inline constexpr int bold = exec::rwslot("BolD");
inline constexpr int underline = exec::rwslot("UnderLine");
}  // namespace rwslot

// State kept between statements: the unit of the last statement, the
// record number of its previous transfer, and the file name buffer (read
// only by a statement that laid its own name there first; a READ or WRITE
// run by its transfer program lays it only where it fails, for its report).
inline std::int32_t rwunit = 0;
inline std::int32_t rwprevrec = 0;
inline plat::FixedText<256> rwname;

// The record the last READ or WRITE ended in, so that a statement with the
// same record number and a Column of 1 or more goes on where it stopped.
struct RwCursor {
  std::int32_t recno = 0;
  std::int32_t tpos = 0, fpos = 1, irep = 1, served = 0;
  std::string record;  // the record up to tpos
};
inline RwCursor rwcursor;

// The record of the last transfer stays in the work area while the marker
// "OKrw" stands just above the temporary strings (any later temporary
// string overwrites it): a READ of the same record then does not touch the
// file. rwcachetop is where the marker was written, rwcachelen the
// record's length.
inline std::int32_t rwcachetop = 0;
inline std::int32_t rwcachelen = 0;

// letter: "O", "R" or "W"; items: the item count on the operand stack.
void READWRITE(char letter, std::int32_t items);

// The open-file dialog that OPEN shows for a missing old file, installed by
// the program (the toolkit's): true when a file was chosen, whose path then
// stands in `path`, blank-padded. Without one a missing file is cancelled.
inline constexpr std::uint32_t OFN_NOCHANGEDIR = 0x8;
inline constexpr std::uint32_t OFN_PATHMUSTEXIST = 0x800;
inline constexpr std::uint32_t OFN_CREATEPROMPT = 0x2000;
inline bool (*getopenfilename)(std::span<char> path, std::string_view title,
                               std::uint32_t flags) = nullptr;

// The file table and the words above at their start values.
void reset_readwrite();

}  // namespace io
