// The six stores of the interpreter and their size and use words.
//
// Everything a script is made of lives in six global growable arrays:
// `z` (values), `name` (symbols), `c1namen` (characters), `xeqbuf`
// (compiled code), `adrs` (statement table and operand stack) and `c1edit`
// (the editor's text). Callers keep indices into them, never pointers, so
// that a growth does not invalidate what they hold. A store changes its size
// only through ALLOCS (free and allocate anew) and REALLOC (grow, keeping
// the contents and repairing every index into a part that moved).
#pragma once

#include <cstdint>
#include <string_view>

#include "core/messages.h"
#include "platform/indexed.h"

namespace core {

// One record of the symbol table (20 bytes: a name may start anywhere in
// `c1namen`).
struct SymbolRecord {
  std::int32_t adr = 0;     // array/label: first cell in the top block of `z`;
                            // subroutine with a use record: minus its end in `xeqbuf`;
                            // numeric alias view: its first element; file-bound: unit
  std::int16_t type = 0;    // `nametype` bits
  std::int16_t scope = 0;   // local subroutine the name belongs to, 0 = main program
  std::int32_t nambeg = 0;  // first character of the name in `c1namen` (any position)
  std::int16_t namlen = 0;  // length of the name
  std::int16_t link = 0;    // next symbol of a declaration chain, 0 = end
  std::int16_t layout = 0;  // record layout bound to the variable, 0 = none
};
static_assert(sizeof(SymbolRecord) == 20);

// The stores. `z` and `xeqbuf` count from 0, the others from 1. A store is
// allocated while it holds elements.
inline plat::Store0<double> z;
inline plat::Store1<SymbolRecord> name;
inline plat::Store1<char> c1namen;
inline plat::Store0<std::int16_t> xeqbuf;
inline plat::Store1<std::int32_t> adrs;
inline plat::Store1<char> c1edit;

// Built-in sizes.
inline constexpr std::int32_t nzdefault = 8000;
inline constexpr std::int32_t nnamedefault = 256;
inline constexpr std::int32_t nc1namendefault = 64000;
inline constexpr std::int32_t nxeqbufdefault = 2000;

// Largest sizes a store may grow to. A symbol index must fit a positive
// 16-bit code word; the other limits keep every position a 32-bit integer
// with room to spare.
inline constexpr std::int32_t nzlimit = 1 << 28;
inline constexpr std::int32_t nnamelimit = 32767;
inline constexpr std::int32_t nc1namenlimit = 1 << 30;
inline constexpr std::int32_t nxeqbuflimit = 1 << 28;
inline constexpr std::int32_t nadrslimit = 1 << 28;
// Message key of a growth beyond those limits, and of a store whose memory
// is not there: either stops the line or statement that asked for it, and
// the store keeps what it held.
inline constexpr std::string_view storelimitkey = MSGKEY("storeLimit");
// A store allocation of more than this many bytes fails as if the memory
// were not there (0: none), so that tests reach that failure without using
// the memory. Test builds take it from the environment variable
// OSTREL_STORE_FAIL_ABOVE; the program proper never sets it.
inline std::int64_t storefailabove = 0;

// Size words.
inline std::int32_t nz = nzdefault;              // `z` is 0 to nz
inline std::int32_t nname = nnamedefault;        // `name` is 1 to nname
inline std::int32_t nc1namen = nc1namendefault;  // `c1namen` is 1 to nc1namen
inline std::int32_t nxeqbuf = nxeqbufdefault;    // `xeqbuf` is 0 to nxeqbuf (+ 1)
inline std::int32_t nadrs = 0;                   // `adrs` is 1 to nadrs
inline constexpr std::int32_t nadrsstep = 300;   // growth step of `adrs`

// Use words.
inline std::int32_t nsym = 0;          // symbols in `name`; z(1..nsym) are their cells
inline std::int32_t nztop = nz + 1;    // lowest used cell of the top block of `z`
inline std::int32_t nzreserve = 1000;  // free room a growth of `z` leaves
inline std::int32_t c1top = 0;         // end of names and permanent texts
inline std::int32_t c1tmptop = 0;      // end of the temporary strings
inline std::int32_t c1limit = 0;       // start of the texts of character variables
inline std::int32_t nxeqused = 0;      // last used code word
inline std::int32_t nusechain = 0;     // lowest word of the use chain, 0 = none
inline std::int32_t nadrslow = 0;      // lowest entry of the statement table
inline std::int32_t xeqstackbase = 0;  // operand stack: entries base + 1 to ptr
inline std::int32_t xeqstackptr = 0;
inline std::int32_t istat = 0;  // status of the last allocation or free

// Words of neighbours that the stores read or write.
inline std::int32_t nedlines = 0;          // number of lines of the script in the editor
inline std::int32_t setupsizez = 0;        // setup state's size slots: a growth of `z` or
inline std::int32_t setupsizec1namen = 0;  // `c1namen` stores its new size negated
inline std::uint32_t hwaveout = 0;         // open wave-out device of the sound output, 0 none
// The close of `hwaveout` before a store moves: the platform's
// waveOutClose unless a test puts its own.
void closewavedevice(std::uint32_t handle);
inline void (*closewaveout)(std::uint32_t handle) = closewavedevice;
// The editor's break-on-change recorder, called with 111 after `z` and 112
// after `c1namen` has grown; absent until the editor sets it.
inline void (*setbreakvariable)(std::int32_t& code) = nullptr;

// Frees the named store ("adrs", "c1edit", "c1namen", "name", "xeqbuf",
// "z"; case matters) when it is allocated, then allocates it with positions
// up to upper and fills it, unless lower > upper. A store keeps its own
// first position (0 or 1) whatever lower is. istat: 0, -999 for a name that
// names no store, or the failure status; a store whose memory is not there
// gets its built-in size (written to upper) and leaves `storelimitkey` in
// `msgkey` and 0x7FFF in `xeqstop`.
void ALLOCS(std::string_view store, std::int32_t& lower, std::int32_t& upper);

// Grows a store: kind 1 `xeqbuf`, 2 `adrs`, 3 `z`, 4 `name`, 5 `c1namen`,
// by extra elements (`z`: fitted to what is in use plus `nzreserve` +
// extra; `xeqbuf`: 10 words per script line + extra; `adrs`: `nadrsstep`).
// Keeps the contents and repairs every index into a part that moved. False
// when the store could not grow: it then keeps its contents and size, and a
// growth past the store's limit, or one whose memory is not there, leaves
// `storelimitkey` in `msgkey` and 0x7FFF in `xeqstop`.
bool REALLOC(std::int32_t kind, std::int32_t& extra);

// Removes the n cells from position p on from the top block of `z`, moving
// the cells below them up, and shifts the addresses of the arrays and
// labels from symbol s on (and of every numeric alias view into the moved
// cells).
void MOVEXTD(std::int32_t s, std::int32_t p, std::int32_t n);

// Re-writes each use-chain owner's address field with minus its record's end.
void UPDATEUSEBUFFER();

// True when the use record of local subroutine sub lists symbol sym.
bool uselisted(std::int32_t sub, std::int32_t sym);

// Frees every store and puts every size and use word back to its start value.
void reset_stores();

}  // namespace core
