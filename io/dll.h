// Calls from scripts into shared libraries.
//
// The DLL built-in (DLLSTATEMENT) calls any exported procedure with typed
// arguments converted from script variables: 24 machine words, an R4 as a
// float in the register a C function expects it, the result the low 32 bits,
// signed. Library slot 0 holds a library the script names; slots 1 to 6 are
// the six listed system libraries, served by the program's own procedures
// (core/winapi_byname.h), whose handles it shares.
//
// The statement form for user libraries written for the interpreter
// (USERDLL, chosen by any of the options Handle, LIBrary, SUBroutine,
// FUNction, ARGument and FREE) hands the procedure the value store, the
// character store and tables of where each argument lies; libraries it keeps
// loaded for a script stay in `userdlls` until FREEUSERDLLS.
//
// Handles and addresses are 64-bit and kept exactly in 64-bit reals.
#pragma once

#include <cstdint>

#include "core/shoplists.h"
#include "platform/fixed_text.h"
#include "platform/indexed.h"

namespace io {

// Keyword numbers (from 0) of the DLL list.
namespace dllkw {
using core::OptStmt;
inline constexpr int i1 = core::optkwnr(OptStmt::DLL, "I1");
inline constexpr int i2 = core::optkwnr(OptStmt::DLL, "I2");
inline constexpr int i4 = core::optkwnr(OptStmt::DLL, "I4");
inline constexpr int i1p = core::optkwnr(OptStmt::DLL, "I1P");
inline constexpr int i2p = core::optkwnr(OptStmt::DLL, "I2P");
inline constexpr int i4p = core::optkwnr(OptStmt::DLL, "I4P");
inline constexpr int i8p = core::optkwnr(OptStmt::DLL, "I8P");
inline constexpr int i1u = core::optkwnr(OptStmt::DLL, "I1U");
inline constexpr int i2u = core::optkwnr(OptStmt::DLL, "I2U");
inline constexpr int i4u = core::optkwnr(OptStmt::DLL, "I4U");
inline constexpr int i1up = core::optkwnr(OptStmt::DLL, "I1UP");
inline constexpr int i2up = core::optkwnr(OptStmt::DLL, "I2UP");
inline constexpr int i4up = core::optkwnr(OptStmt::DLL, "I4UP");
inline constexpr int r4 = core::optkwnr(OptStmt::DLL, "R4");
inline constexpr int r4p = core::optkwnr(OptStmt::DLL, "R4P");
inline constexpr int r8p = core::optkwnr(OptStmt::DLL, "R8P");
inline constexpr int charp = core::optkwnr(OptStmt::DLL, "CHarP");
inline constexpr int char0p = core::optkwnr(OptStmt::DLL, "CHar0P");
inline constexpr int strucp = core::optkwnr(OptStmt::DLL, "STrucP");
inline constexpr int errif = core::optkwnr(OptStmt::DLL, "ErrIf");
inline constexpr int errifnot = core::optkwnr(OptStmt::DLL, "ErrIfNot");
inline constexpr int module = core::optkwnr(OptStmt::DLL, "Module");
inline constexpr int procedure = core::optkwnr(OptStmt::DLL, "Procedure");
inline constexpr int asyncproc = core::optkwnr(OptStmt::DLL, "ASYNCProc");
inline constexpr int newproc = core::optkwnr(OptStmt::DLL, "NEWProc");
inline constexpr int hinstance = core::optkwnr(OptStmt::DLL, "HINSTance");
inline constexpr int wdw1 = core::optkwnr(OptStmt::DLL, "Wdw1");
inline constexpr int unload = core::optkwnr(OptStmt::DLL, "Unload");
// The user-library form.
inline constexpr int handle = core::optkwnr(OptStmt::DLL, "Handle");
inline constexpr int library = core::optkwnr(OptStmt::DLL, "LIBrary");
inline constexpr int subroutine = core::optkwnr(OptStmt::DLL, "SUBroutine");
inline constexpr int function = core::optkwnr(OptStmt::DLL, "FUNction");
inline constexpr int argument = core::optkwnr(OptStmt::DLL, "ARGument");
inline constexpr int free = core::optkwnr(OptStmt::DLL, "FREE");
}  // namespace dllkw

// Most arguments of one typed call.
inline constexpr int dllmaxargs = 24;
// Slot 0: the library the script named last (its handle, 0 none) and its
// name upper-cased (blank none).
inline std::uint64_t dllslot0 = 0;
inline plat::FixedText<256> dllslot0name;
// The text of the last failed call: error code and the system's text.
inline plat::FixedText<256> dllmessage;

// The main window's handle for Wdw1 (0 in the windowless run); the start-up
// of the window program sets it.
inline std::uint64_t dllmainwindow = 0;
// The program's own C-callable procedures whose addresses ASYNCProc and
// NEWProc give: a callback of four arguments that shows them in a message
// box, and a window procedure that beeps for messages from WM_USER up.
extern "C" std::int32_t SHOWCALLBACKARGS(std::int64_t a, std::int64_t b, std::int64_t c,
                                         std::int64_t d);
extern "C" std::intptr_t BEEPWNDPROC(std::uintptr_t wnd, std::uint32_t msg, std::uintptr_t wp,
                                     std::intptr_t lp);

// The user libraries held: handle (0 = free) and load count.
struct UserDll {
  std::uint64_t handle = 0;
  std::int32_t count = 0;
};
inline constexpr int nuserdlls = 10;
inline plat::Store1<UserDll> userdlls(nuserdlls);
// Which form of a procedure name was found last: 0 as written, 1
// "_name@24", 2 the same upper-cased, 3 upper-cased.
inline std::int32_t dllnamemode = 0;
// Most argument options of one user-library call.
inline constexpr int userdllmaxargs = 10;

// The typed call, with the option table filled by position. Result in
// z(iresult); a failure shows its message (unless silenced) and leaves its
// key in msgkey and xeqstop at 0x7FFF.
void DLLSTATEMENT();
// The user-library call with the options by position. Failures leave their
// key in msgkey and xeqstop at 0x7FFF.
void USERDLL(const plat::Store1<std::uint8_t>& optkw, std::int32_t noptions);
// Releases every user library held, as often as it was loaded.
void FREEUSERDLLS();
// The call the run driver hands back: USERDLL when the call names an option
// of the user-library form, else DLLSTATEMENT; USERDLL's failure is shown
// here unless messages are silenced.
void dllhandback();

// Releases slot 0 and the user libraries and clears the words (the state
// at start).
void reset_dll();

}  // namespace io
