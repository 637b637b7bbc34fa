#include "io/rwfiles.h"

#include <algorithm>
#include <array>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <system_error>

#include "core/messages.h"
#include "core/runwords.h"
#include "core/stores.h"
#include "core/symbols.h"
#include "exec/windowlist.h"
#include "io/coltable.h"
#include "io/lineindex.h"
#include "io/tablecalls.h"

namespace io {

namespace {

// The count of characters to transfer: n within 0 and the buffer's size.
std::size_t counted(std::int32_t n, std::size_t size) {
  return static_cast<std::size_t>(std::clamp<std::int64_t>(n, 0, static_cast<std::int64_t>(size)));
}

// A direct write ending at byte (rec - 1) x L + n makes the file at least
// that long (L: 1 for a binary unit, else its record length).
void raiselength(std::int32_t unit, std::int64_t rec, std::size_t n, std::int32_t status) {
  if (status > 0 || !isscriptunit(unit)) return;
  RwFile& r = rwfiles(unit);
  const std::int64_t L = (r.mode & rwflag::binary) != 0 ? 1 : r.recl;
  r.filelength = std::max(r.filelength, (rec - 1) * L + static_cast<std::int64_t>(n));
}

void readdirect(std::int32_t unit, std::span<char> buffer, std::int32_t n, std::int64_t rec,
                std::int32_t& status) {
  status = plat::read_direct(unit, rec, buffer.first(counted(n, buffer.size())));
}

void writedirect(std::int32_t unit, std::string_view buffer, std::int32_t n, std::int64_t rec,
                 std::int32_t& status) {
  const std::size_t k = counted(n, buffer.size());
  if (isscriptunit(unit)) {
    const RwFile& r = rwfiles(unit);
    ownwrite(unit, (rec - 1) * ((r.mode & rwflag::binary) != 0 ? 1 : r.recl) + 1);
  }
  status = plat::write_direct(unit, rec, buffer.substr(0, k));
  raiselength(unit, rec, k, status);
}

}  // namespace

void READDIRUNF(std::int32_t unit, std::span<char> buffer, std::int32_t n, std::int64_t rec,
                std::int32_t& status) {
  readdirect(unit, buffer, n, rec, status);
}

void READDIRFMT(std::int32_t unit, std::span<char> buffer, std::int32_t n, std::int64_t rec,
                std::int32_t& status) {
  readdirect(unit, buffer, n, rec, status);
}

void READSEQFMT(std::int32_t unit, std::span<char> buffer, std::int32_t n, std::int32_t& status) {
  status = plat::read_record(unit, buffer.first(counted(n, buffer.size())));
}

void READSEQUNF(std::int32_t unit, std::span<char> buffer, std::int32_t n, std::int32_t& status) {
  status = plat::read_stream(unit, buffer.first(counted(n, buffer.size())));
}

void WRITEDIRUNF(std::int32_t unit, std::string_view buffer, std::int32_t n, std::int64_t rec,
                 std::int32_t& status) {
  writedirect(unit, buffer, n, rec, status);
}

void WRITEDIRFMT(std::int32_t unit, std::string_view buffer, std::int32_t n, std::int64_t rec,
                 std::int32_t& status) {
  writedirect(unit, buffer, n, rec, status);
}

void WRITESEQFMT(std::int32_t unit, std::string_view buffer, std::int32_t n, std::int32_t& status) {
  if (isscriptunit(unit)) return WRITESEQFMT(rwfiles(unit), unit, buffer, n, status);
  status = plat::write_record(unit, buffer.substr(0, counted(n, buffer.size())));
}

void WRITESEQFMT(RwFile& file, std::int32_t unit, std::string_view buffer, std::int32_t n,
                 std::int32_t& status) {
  const std::size_t k = counted(n, buffer.size());
  if (file.lineindex) ownwrite(unit, plat::unit_position(unit));
  status = plat::write_record(unit, buffer.substr(0, k));
  if (status <= 0) file.filelength += static_cast<std::int64_t>(k) + 2;
}

void WRITESEQUNF(std::int32_t unit, std::string_view buffer, std::int32_t n, std::int32_t& status) {
  if (isscriptunit(unit) && rwfiles(unit).lineindex) ownwrite(unit, plat::unit_position(unit));
  status = plat::write_stream(unit, buffer.substr(0, counted(n, buffer.size())));
}

std::int32_t GETRECLFROMARGUMENTS(std::int32_t width) {
  std::int64_t length = 0;
  for (std::int32_t i = core::xeqstackptr - rwnitems + 1; i <= core::xeqstackptr; ++i) {
    if (!core::adrs.valid(i)) continue;
    const std::int32_t k = core::adrs(i);
    std::int32_t first = 0, last = 0;
    if (core::ISCHAR(k, first, last) > 0) {
      length += std::max(last - first + 1, 0);
    } else if (core::NAMTYP(k, 0x10) != 0) {
      length += std::int64_t{core::I4EQUZ(1, k)} * core::I4EQUZ(2, k) * width;
    } else {
      length += width;
    }
  }
  return static_cast<std::int32_t>(std::clamp<std::int64_t>(length, 0, 2147483647));
}

std::int32_t RWCLOSE(std::int32_t unit, std::int64_t cutat) {
  const std::int64_t magnitude = std::abs(std::int64_t{unit});
  if (magnitude < plat::unit_script_first || magnitude > plat::unit_script_last) return 0;
  const auto u = static_cast<std::int32_t>(magnitude);
  RwFile& r = rwfiles(u);
  // Pending table edits are saved or dropped first; the close goes on
  // whatever the answer (a failed save keeps the file as it was, and its
  // status is the close's).
  r.chgkeep = 0;
  std::int32_t savestatus = 0;
  if (tablecalls.settleedits != nullptr && r.filevar >= 1) {
    std::int32_t answer = 0;
    tablecalls.settleedits(u, answer, settlemode::forced | settlemode::reported);
    if (answer == savefailed)
      savestatus = core::iostatw[0] != 0 ? core::iostatw[0] : plat::iostat_write_error;
    tablecalls.settleedits(u, answer, settlemode::dropall);
  }
  const std::int32_t filevar = r.filevar;
  r.tableformat = 0;
  KILLFILEINDEX(u);
  KILLFILEFORMAT(u);
  r.rows = 0;
  r.firstdata = 0;
  r.firstline = 0;
  r.linesperrow = 0;
  r.position = 0;
  r.recl = 0;
  r.mode = 0;
  r.filevar = 0;
  r.format = 0;
  r.filter = 0;
  // The table window that shows the file goes with it (unless a window is
  // being closed already); the window current before stays current.
  if ((exec::inkill & 1) == 0 && findtablewindow != nullptr) {
    if (const win::HWND shown = findtablewindow(u); shown != nullptr) {
      exec::wdwrec* const kept = exec::wdwcur;
      exec::KILLWINDOW(shown, -1);
      bool alive = false;
      for (exec::wdwrec* w = exec::wdwhead; w != nullptr; w = w->next) alive = alive || w == kept;
      exec::wdwcur = alive ? kept : exec::wdwhead;
    }
  }
  if (filevar >= 1 && filevar <= core::nsym && core::name.valid(filevar) &&
      core::name(filevar).adr == u)
    core::name(filevar).adr = 0;

  if (unit > 0) {
    // The cut goes through the unit's handle, and not at all when another
    // file has taken the name since the OPEN.
    std::int32_t cut = 0;
    if (cutat > 0 && savestatus == 0) {
      cut = plat::check_unit_name(u);
      if (cut != plat::iostat_replaced) cut = plat::cut_unit(u, cutat);
    }
    const std::int32_t closed = plat::close_unit(u);
    return savestatus != 0 ? savestatus : cut != 0 ? cut : closed;
  }
  plat::UnitInfo info;
  plat::inquire_unit(u, info);
  if (plat::check_unit_name(u) == plat::iostat_replaced) {
    plat::close_unit(u, plat::UnitClose::keep);
    return plat::iostat_replaced;
  }
  bool deleted = false;
  if (info.open && info.scratch && info.name.empty()) {
    deleted = plat::close_unit(u) == plat::iostat_ok;  // a nameless scratch file goes at close
  } else {
    if (info.open) plat::close_unit(u, plat::UnitClose::keep);
    std::error_code ec;
    if (!info.name.empty()) deleted = std::filesystem::remove(plat::unit_file_path(info.name), ec);
  }
  if (!deleted && core::nomsg == 0) {
    int answer = 0;
    core::MESSAGEBOX("-", "Cannot delete file|" + info.name, answer);
  }
  return 0;
}

std::int32_t RWCLOSESHOWN(std::int32_t unit) {
  plat::UnitInfo info;
  plat::inquire_unit(std::abs(unit), info);
  const std::int32_t status = RWCLOSE(unit);
  if (status == 0) return 0;
  // No statement is left to take the failure: it is shown whatever the
  // last statement's ERror asked.
  const auto shown = static_cast<std::int16_t>(std::abs(status) >= 32767 ? -2 : status);
  std::array<std::int16_t, 2> halves{shown, static_cast<std::int16_t>(core::xeqline)};
  core::HelpValues hv;
  hv.halves = halves;
  hv.text = info.name;
  int answer = 0;
  if (status == iostat_changed)
    core::HELP(core::MSGKEY("rdwrErC"), answer, hv);
  else if (status == plat::iostat_replaced)
    core::HELP(core::MSGKEY("rdwrErR"), answer, hv);
  else
    core::HELP(core::MSGKEY("rdwrErK"), answer, hv);
  return status;
}

std::int32_t RWCLOSEALL() {
  std::int32_t first = 0;
  for (std::int32_t u = plat::unit_script_first; u <= plat::unit_script_last; ++u) {
    const std::int32_t status = RWCLOSESHOWN(u);
    if (first == 0) first = status;
  }
  return first;
}

void reset_rwfiles() {
  rwfiles.assign(nrwfiles, RwFile{});
  rwnitems = 0;
}

}  // namespace io
