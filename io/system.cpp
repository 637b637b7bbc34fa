#include "io/system.h"

#include <array>
#include <cmath>
#include <cstdlib>
#include <string_view>

#include "core/datetime.h"
#include "core/messages.h"
#include "core/numwrite.h"
#include "core/runwords.h"
#include "core/shoplists.h"
#include "core/stores.h"
#include "core/symbols.h"
#include "core/winapi_byname.h"
#include "exec/headless_run.h"
#include "exec/optdispatch.h"
#include "exec/optvalues.h"
#include "exec/xeq.h"
#include "io/fileinfo.h"
#include "io/rwfiles.h"
#include "io/rwstatement.h"
#include "io/rwtexts.h"
#include "io/shell.h"
#include "platform/file_replace.h"
#include "platform/fixedfield.h"
#include "platform/win_files.h"
#include "platform/win_last_error.h"
#include "platform/win_process.h"
#include "platform/win_system_info.h"
#include "platform/win_window.h"
#include "plot/fonthelpers.h"
#include "plot/fontslots.h"
#include "toolkit/loops.h"
#include "toolkit/records.h"
#include "toolkit/scrolling.h"
#include "toolkit/services.h"
#include "toolkit/timers.h"

namespace io {

namespace {

consteval int kw(std::string_view name) { return core::optkwnr(core::OptStmt::SYSTEM, name); }

constexpr std::size_t textmost = 256;
constexpr std::size_t shellfilemost = 1536;
constexpr std::size_t shellpartmost = 50;
constexpr std::size_t chainmost = 255;
constexpr std::size_t appdirmost = 192;
// The longest command RUN takes: its buffers hold 256 characters.
constexpr std::size_t runmost = 256;

std::int32_t slot(int k) { return exec::optval(k); }
// Written with a value (not a switch).
bool valued(int k) { return slot(k) > 0; }

// The option's text, cut to `most` characters; false when it is no text.
bool textof(int k, std::string& out, std::size_t most = textmost) {
  std::string_view t;
  if (!rwtext(slot(k), t)) return false;
  out = std::string(t.substr(0, most));
  return true;
}
std::string trimmed(std::string t) {
  while (!t.empty() && t.back() == ' ') t.pop_back();
  return t;
}

void putnumber(int k, double v) {
  if (valued(k)) core::SETZTOR8(slot(k), v);
}
void puttext(int k, std::string_view text) {
  if (valued(k)) core::STRITOC1NAMEN(slot(k), text, static_cast<std::int32_t>(text.size()));
}

// The value of the statement.
void result(double v) {
  if (core::z.valid(core::iresult)) core::z(core::iresult) = v;
}

// A failure: shown with the option's text, and the run stops at the
// statement; with an error label (ERror=) nothing is shown and the run
// goes on at the label. The statement ends.
bool raise(std::string_view key, std::string_view detail) {
  if (core::nomsg == 0) {
    std::array<std::int16_t, 1> line{static_cast<std::int16_t>(core::xeqline)};
    std::string text(detail.substr(0, textmost));
    core::HelpValues hv;
    hv.halves = line;
    hv.text = {text.data(), text.size()};
    int answer = 0;
    core::HELP(key, answer, hv);
  }
  core::xeqstop = core::stops::error;
  core::msgkey.blank();
  return false;
}

// Step 1: the window measured, written into the options that ask.
bool measurewindow() {
  const int handlekw = kw("WINdowhandle");
  const win::HWND main = toolkit::MAIN_WINDOW();
  win::HWND window = main;
  if (exec::KEYVALUE(slot(handlekw)) > 0) {
    window =
        win::handle_from<win::HWND>(static_cast<std::uint32_t>(exec::KEYVALUE(slot(handlekw))));
    if (toolkit::IS_WINDOW_VALID(window) == 0) {
      std::array<char, 23> shown{};
      core::WTSID8TRIMMED(shown, core::z(slot(handlekw)), 0);
      return raise(core::MSGKEY("systemWindow"), trimmed(std::string(shown.data(), shown.size())));
    }
  } else {
    putnumber(handlekw, win::handle_value(main));
  }
  // A windowless run has nothing to measure.
  if (window == nullptr) return true;
  win::RECT rect{};
  core::WinApiArgs args{};
  args[0] = win::handle_value(window);
  args[1] = static_cast<std::int64_t>(reinterpret_cast<std::intptr_t>(&rect));
  core::CALLWINAPISUB("GetWindowRect", args, "U");
  WindowMeasures m;
  const bool known = windowmeasures != nullptr && windowmeasures(window, m);
  int width = rect.right - rect.left;
  int height = rect.bottom - rect.top - win::GetSystemMetrics(win::SM_CYCAPTION);
  if (window == main && known) {
    width = m.width;
    height = m.height;
  } else if (window == main) {
    win::RECT client{};
    win::GetClientRect(window, &client);
    width = client.right;
    height = client.bottom;
  }
  putnumber(kw("getXPixels"), width);
  putnumber(kw("getYPixels"), height);
  if (known && m.cellwidth > 0) putnumber(kw("getWidth"), width / m.cellwidth);
  if (known && m.cellheight > 0) putnumber(kw("getHeight"), height / m.cellheight);
  putnumber(kw("X0"), rect.left);
  putnumber(kw("Y0"), rect.top);
  putnumber(kw("FullWidth"), rect.right - rect.left);
  putnumber(kw("FullHeight"), rect.bottom - rect.top);
  return true;
}

// A command line run by the command interpreter (COMSPEC, else /bin/sh)
// with "-c"; the call waits for its end. False when it could not be
// started or ended with a code other than 0.
bool interpret(const std::string& command) {
  const char* named = std::getenv("COMSPEC");
  const std::string shell = named != nullptr && *named != '\0' ? named : "/bin/sh";
  std::string line = "\"" + shell + "\" -c " + quotedargument(command);
  win::STARTUPINFOA startup;
  win::PROCESS_INFORMATION child;
  if (!win::CreateProcessA(nullptr, line.data(), nullptr, nullptr, win::FALSE, 0, nullptr, nullptr,
                           &startup, &child))
    return false;
  win::WaitForSingleObject(child.hProcess, win::INFINITE);
  win::DWORD code = 1;
  win::GetExitCodeProcess(child.hProcess, &code);
  win::CloseHandle(child.hProcess);
  win::CloseHandle(child.hThread);
  return code == 0;
}

// Step 2: a shell request, or a command line of its own.
bool shellorcommand() {
  std::string file, command;
  if (textof(kw("SHell"), file, shellfilemost)) {
    std::string verb = " ", parameters = " ", folder = " ";
    textof(kw("Mode"), verb, shellpartmost);
    textof(kw("CoMmand"), parameters, shellpartmost);
    textof(kw("DIR"), folder, shellpartmost);
    core::msgkey.blank();
    SHELLXEQ(file, verb, parameters, folder, core::MSGKEY("shellXEQ"));
    if (!core::msgkey.trimmed().empty()) return raise(core::MSGKEY("shellXEQ"), rwdetail.trimmed());
    return true;
  }
  if (textof(kw("CoMmand"), command) && !interpret(trimmed(command)))
    return raise(core::MSGKEY("systemRun"), command);
  return true;
}

// Step 4: COPY to COPYTO, or COPY's text split at its first blank.
bool copyfile() {
  std::string from, to;
  if (!textof(kw("COPY"), from)) return true;
  const std::string given = from;
  if (!textof(kw("COPYTO"), to)) {
    from = trimmed(from);
    const std::size_t start = from.find_first_not_of(' ');
    const std::size_t blank = from.find(' ', start == std::string::npos ? 0 : start);
    if (blank == std::string::npos) return raise(core::MSGKEY("systemCopy"), given);
    const std::size_t target = from.find_first_not_of(' ', blank);
    to = from.substr(target);
    from = from.substr(start, blank - start);
  }
  if (!win::CopyFileA(trimmed(from).c_str(), trimmed(to).c_str(), win::FALSE))
    return raise(core::MSGKEY("systemCopy"), given);
  return true;
}

std::string programfolder() {
  std::array<char, win::MAX_PATH> path{};
  const win::DWORD n = win::GetModuleFileNameA(nullptr, path.data(), path.size());
  const std::string_view whole(path.data(), std::min<std::size_t>(n, path.size()));
  return std::string(whole.substr(0, whole.find_last_of("\\/") + 1)).substr(0, appdirmost);
}

// Step 8: the last write time of FIle, as 18 characters or a day number.
void filetime(const std::string& file) {
  const int k = kw("FileTime");
  if (!valued(k)) return;
  toolkit::date_time_record t;
  int ups = 0;
  toolkit::GET_FILE_TIME(file.data(), static_cast<int>(file.size()), nullptr, nullptr, &t, &ups);
  if ((core::NAMTYP(slot(k), 0x40) & 0x40) != 0) {
    std::string text(18, ' ');
    if (ups == 0) {
      std::array<char, 48> b{};  // room for any int the record may hold
      std::snprintf(b.data(), b.size(), "%04d%02d%02d%02d%02d%02d.%03d", t.year % 10000,
                    t.month % 100, t.day % 100, t.hour % 100, t.minute % 100, t.second % 100,
                    t.millisecond % 1000);
      text.assign(b.data(), 18);
    }
    puttext(k, text);
  } else if ((core::NAMTYP(slot(k), 0x80) & 0x80) != 0) {
    const std::array<std::int32_t, 8> v{t.year, t.month,  t.day,    t.offset,
                                        t.hour, t.minute, t.second, t.millisecond};
    putnumber(k, ups == 0 ? core::F90TIMETOEXCEL(v) : 0.0);
  }
}

// Step 9: "yyyymmddhhmmss.sss" as FIle's new last write time.
bool setfiletime(const std::string& file) {
  std::string text;
  if (!textof(kw("SetFileTime"), text)) return true;
  std::string padded = text;
  padded.resize(std::max<std::size_t>(padded.size(), 18), ' ');
  constexpr std::array<std::pair<int, int>, 7> fields{
      {{0, 4}, {4, 2}, {6, 2}, {8, 2}, {10, 2}, {12, 2}, {15, 3}}};
  std::array<std::int64_t, 7> v{};
  for (std::size_t i = 0; i < fields.size(); ++i) {
    const auto [at, width] = fields[i];
    const plat::EditDesc d{'I', 0, width, -1};
    if (plat::get_integer(std::string_view(padded).substr(at, width), d, v[i]) != plat::field_ok)
      return raise(core::MSGKEY("timeValue"), text);
  }
  const toolkit::date_time_record t{static_cast<int>(v[0]), static_cast<int>(v[1]),
                                    static_cast<int>(v[2]), 0,
                                    static_cast<int>(v[3]), static_cast<int>(v[4]),
                                    static_cast<int>(v[5]), static_cast<int>(v[6])};
  // A field outside its range makes no date-time either.
  win::SYSTEMTIME s;
  win::FILETIME ft;
  toolkit::DATE_TIME_TO_SYSTEM(t, s);
  if (std::any_of(v.begin(), v.end(), [](std::int64_t x) { return x < 0 || x > 0xFFFF; }) ||
      !win::SystemTimeToFileTime(&s, &ft))
    return raise(core::MSGKEY("timeValue"), text);
  int ups = 0;
  toolkit::SET_FILE_TIME(file.data(), static_cast<int>(file.size()), nullptr, nullptr, &t, &ups);
  if (ups != 0) return raise(core::MSGKEY("systemFileTime"), file);
  return true;
}

// Steps 10 and 11: NAME= read, NAME=value set.
bool environment() {
  std::string text;
  if (textof(kw("GEteNV"), text)) {
    const std::size_t eq = text.find('=');
    if (eq == std::string::npos || eq == 0) return raise(core::MSGKEY("systemENV"), text);
    std::string value(textmost - eq - 1, ' ');
    int ups = 0;
    toolkit::GET_ENVIRONMENT_VARIABLE(text.data(), static_cast<int>(eq), value.data(),
                                      static_cast<int>(value.size()), &ups);
    puttext(kw("GEteNV"), text.substr(0, eq + 1) + value);
  }
  if (textof(kw("sEteNV"), text)) {
    const std::size_t eq = text.find('=');
    if (eq == std::string::npos || eq == 0) return raise(core::MSGKEY("systemENV"), text);
    int ups = 0;
    toolkit::SET_ENVIRONMENT_VARIABLE(text.data(), static_cast<int>(eq), text.data() + eq + 1,
                                      static_cast<int>(text.size() - eq - 1), &ups);
  }
  return true;
}

// Step 12: the current folder, made when it does not exist.
void setfolder() {
  std::string folder;
  if (!textof(kw("SetDIR"), folder) || trimmed(folder).empty()) return;
  const int n = static_cast<int>(folder.size());
  int ups = 0;
  toolkit::SET_CURRENT_DIRECTORY(folder.data(), n, &ups);
  if (ups != static_cast<int>(win::ERROR_FILE_NOT_FOUND)) return;
  toolkit::FE_CREATE_DIRECTORY(folder.data(), n, &ups);
  toolkit::SET_CURRENT_DIRECTORY(folder.data(), n, &ups);
}

// Step 13: the current folder, a listing into FIle, or a count.
bool directory() {
  const int dirkw = kw("DIR"), filekw = kw("FIle");
  std::string pattern, file, flags = " ";
  if (!textof(dirkw, pattern)) return raise(core::MSGKEY("systemDir"), "");
  if (!valued(filekw)) {
    std::array<char, textmost> cwd{};
    core::WinApiArgs args{};
    args[0] = cwd.size();
    args[1] = static_cast<std::int64_t>(reinterpret_cast<std::intptr_t>(cwd.data()));
    const std::int32_t n = core::CALLWINAPI("GetCurrentDirectoryA", args, "K");
    const std::size_t length = n > 0 && static_cast<std::size_t>(n) < cwd.size() ? n : 0;
    std::string text(cwd.data(), length);
    text.resize(textmost, ' ');
    puttext(dirkw, text);
    result(static_cast<double>(length));
    return true;
  }
  std::int64_t n = -1;
  if (!textof(filekw, file)) {
    FILEINFO(pattern, n, -1);
    result(static_cast<double>(n));
    return true;
  }
  const std::int32_t filesym = slot(filekw);
  if ((core::NAMTYP(filesym, 0x100) & 0x100) != 0 && isscriptunit(core::name(filesym).adr) &&
      plat::unit_is_open(core::name(filesym).adr)) {
    const std::int32_t unit = core::name(filesym).adr;
    if ((rwfiles(unit).mode & rwflag::readonly) != 0) return raise(core::MSGKEY("systemDir"), file);
    // Records that did not all reach the file are not listed over.
    if (RWCLOSE(unit) != 0) return raise(core::MSGKEY("systemDir"), file);
  }
  textof(kw("SORt"), flags);
  if (exec::optval(kw("APPend")) == 0) {
    // The listing is made whole first and then takes the file's place: a
    // failure leaves the old file as it was.
    std::string listing;
    FILEINFO(pattern, n, listing, flags);
    result(static_cast<double>(n));
    putnumber(kw("FileSize"), static_cast<double>(n));
    if (!plat::replace_file(file, listing).ok()) return raise(core::MSGKEY("systemDir"), file);
    return true;
  }
  plat::UnitMode mode;
  mode.status = plat::UnitStatus::unknown;
  mode.position = plat::UnitPosition::append;
  mode.form = plat::UnitForm::unformatted;
  mode.action = plat::UnitAction::write;
  mode.buffered = true;
  if (plat::open_unit(plat::unit_work1, file, mode) != plat::iostat_ok)
    return raise(core::MSGKEY("systemDir"), file);
  FILEINFO(pattern, n, plat::unit_work1, flags);
  result(static_cast<double>(n));
  putnumber(kw("FileSize"), static_cast<double>(n));
  if (listingstatus != plat::iostat_ok) return raise(core::MSGKEY("systemDir"), file);
  return true;
}

// Step 15: RUN and WAIT.
bool runandwait() {
  const int runkw = kw("RUN"), waitkw = kw("WAIT");
  std::string command;
  if (textof(runkw, command, std::string::npos)) {
    command = trimmed(command);
    if (command.size() > runmost) return raise(core::MSGKEY("stringtoolong"), command);
    if (slot(waitkw) == 0) {
      if (!interpret(command)) return raise(core::MSGKEY("systemRun"), command);
      return true;
    }
    const int wait = exec::KEYVALUE(slot(waitkw)) > 0 ? 1 : 0;
    int ups = 0;
    toolkit::SPAWN_PROCESS(command.data(), static_cast<int>(command.size()), &wait, &ups);
    if (ups != 0) return raise(core::MSGKEY("systemRun"), command);
    return true;
  }
  if (slot(waitkw) != 0) {
    const double ms = valued(waitkw) ? std::fabs(core::z(slot(waitkw))) : 500.0;
    toolkit::PROCESS_MESSAGES();
    toolkit::SLEEP_SECONDS(static_cast<float>(ms * 0.001));
    return true;
  }
  if (slot(runkw) < 0 || (valued(runkw) && core::z(slot(runkw)) != 0.0)) {
    core::xeqmode |= core::runmode::running;
  } else if (valued(runkw)) {
    core::edmark = core::edmarkall;
    core::edvars(core::edv::firstline) = core::xeqline;
    core::xeqmode &= ~(core::runmode::running | core::runmode::trace);
  }
  return true;
}

}  // namespace

std::string quotedargument(std::string_view text) {
  std::string out = "\"";
  std::size_t backslashes = 0;
  for (char c : text) {
    if (c == '\\') {
      ++backslashes;
      continue;
    }
    out.append(c == '"' ? 2 * backslashes + 1 : backslashes, '\\');
    backslashes = 0;
    out += c;
  }
  out.append(2 * backslashes, '\\');
  return out + "\"";
}

// The font request: FoNtnr (1 to 7) names the slot, else slot 6 when FONt
// names a face; the slot's font is made from the font options (through
// the font dialog, titled by TItle, when the face asks for a choice). The
// statement's value is the slot's font. False when the dialog was
// cancelled.
bool choosefont() {
  const std::int32_t number = exec::KEYVALUE(slot(kw("FoNtnr")));
  std::string face;
  const bool numbered = number >= 1 && number <= 7;
  if (!numbered && !textof(kw("FONt"), face)) return true;
  std::string title;
  plot::fontdialogtitle.set(textof(kw("TItle"), title) ? trimmed(title) : "Choose font");
  const std::int32_t s = plot::SETFONTPTROULBOITST(
      numbered ? number : 6, slot(kw("FONt")), slot(kw("PoinT")), slot(kw("Rotate")),
      slot(kw("UnderLine")), slot(kw("BOld")), slot(kw("ITalic")), slot(kw("STYle")));
  if (core::xeqstop != 0) return false;
  core::edmode = 12;
  if (s > 0 && plot::fontslots.valid(s)) result(win::handle_value(plot::fontslots(s).font));
  return true;
}

void SYSTM() {
  if (!measurewindow() || !shellorcommand()) return;
  std::string text;
  if (textof(kw("CHain"), text, chainmost)) {
    exec::chainscript = trimmed(text);
    core::xeqstop = core::stops::chain;
  }
  if (!copyfile()) return;
  if (textof(kw("DELETE"), text)) {
    int ups = 0;
    if (toolkit::DELETE_FILE(text.data(), static_cast<int>(text.size()), &ups) == 0)
      return (void)raise(core::MSGKEY("systemDelete"), text);
  }
  if (slot(kw("AppDir")) > 0) puttext(kw("AppDir"), programfolder());
  std::string file;
  const bool named = textof(kw("FIle"), file);
  if (named && valued(kw("FileSize"))) {
    std::int64_t n = -1;
    FILEINFO(file, n, 0);
    putnumber(kw("FileSize"), static_cast<double>(n));
  }
  if (named) filetime(file);
  if (named && !setfiletime(file)) return;
  if (!environment()) return;
  setfolder();
  if (valued(kw("DIR"))) {
    directory();
    return;
  }
  if (!choosefont()) return;
  runandwait();
}

}  // namespace io
