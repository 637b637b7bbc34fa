// The built-ins behind the option statements. The executor's own are
// here; the subsystems above it install theirs in place of `notyetbuilt`.
#include "exec/alias.h"
#include "exec/bits.h"
#include "exec/optdispatch.h"
#include "exec/struct.h"

namespace exec {

namespace {

void callalias(const OptCall&) { ALIXEQ(optkw, noptions); }
void callstruct(const OptCall&) { STRUCT(optkw, noptions, optval); }
void callbits(const OptCall&) { BITS(optkw, noptions); }

}  // namespace

using core::OptStmt;

// clang-format off
OptEntry opttable[core::noptstmts] = {
    {OptStmt::OPEN,   OptFill::keyword,  false, notyetbuilt},  // READWRITE("O", items)
    {OptStmt::READ,   OptFill::keyword,  false, notyetbuilt},  // READWRITE("R", items)
    {OptStmt::WRITE,  OptFill::keyword,  false, notyetbuilt},  // READWRITE("W", items)
    {OptStmt::SORT,   OptFill::position, false, notyetbuilt},  // SORT(optkw, noptions, 0, 0)
    {OptStmt::AXIS,   OptFill::position, false, notyetbuilt},  // AXIS(optkw, noptions)
    {OptStmt::LINE,   OptFill::position, false, notyetbuilt},  // LINE(optkw, noptions)
    {OptStmt::SOLVE,  OptFill::keyword,  false, notyetbuilt},  // SOLVE()
    {OptStmt::SYSTEM, OptFill::keyword,  false, notyetbuilt},  // SYSTM()
    {OptStmt::INTPOL, OptFill::keyword,  false, notyetbuilt},  // INTPOL()
    {OptStmt::WINDOW, OptFill::keyword,  false, notyetbuilt},  // CHILDWINDOW()
    {OptStmt::DLG,    OptFill::position, false, notyetbuilt},  // DIALOG(optkw, noptions)
    {OptStmt::TIME,   OptFill::position, false, notyetbuilt},  // TIMEDATE(optkw, noptions, optval, 0)
    {OptStmt::DLL,    OptFill::position, false, notyetbuilt},  // USERDLL(optkw, noptions)
    {OptStmt::KEY,    OptFill::keyword,  false, notyetbuilt},  // KEY()
    {OptStmt::EDIT,   OptFill::position, false, notyetbuilt},  // EDIT(optkw, noptions, optval, assignkind)
    {OptStmt::POP,    OptFill::keyword,  false, notyetbuilt},  // POPUPMENU()
    {OptStmt::DIFFEQ, OptFill::keyword,  false, notyetbuilt},  // ODE()
    {OptStmt::COM,    OptFill::position, false, notyetbuilt},  // COMIO(optkw, noptions)
    {OptStmt::STRUCT, OptFill::position, true,  callstruct},
    {OptStmt::BITS,   OptFill::position, true,  callbits},
    {OptStmt::ALIAS,  OptFill::position, true,  callalias},
};
// clang-format on

void install_optroutine(core::OptStmt stmt, OptRoutine routine) {
  opttable[static_cast<int>(stmt)].routine = routine != nullptr ? routine : notyetbuilt;
}

}  // namespace exec
