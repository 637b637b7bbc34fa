#include "io/comio.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <string>
#include <string_view>

#include "core/messages.h"
#include "core/runwords.h"
#include "core/shoplists.h"
#include "core/stores.h"
#include "core/symbols.h"
#include "exec/optdispatch.h"
#include "exec/optvalues.h"
#include "exec/postfix.h"
#include "exec/windowlist.h"
#include "exec/windowwords.h"
#include "exec/xeq.h"
#include "platform/win_comm.h"
#include "plot/rwprint.h"
#include "toolkit/services.h"

namespace io {

namespace {

consteval int kw(std::string_view name) { return core::optkwnr(core::OptStmt::COM, name); }

// What one statement keeps while its options run. A character of -1 is
// none.
struct ComStatement {
  std::int32_t doubling = -1;
  std::int32_t lastchar = -1;
  std::int32_t lastcharx = -1;
  std::int32_t exitvar = 0;  // the ExitOnInput variable, 0 none
  std::int32_t erroritem = 0;
  bool lastsend = false;  // the last transfer: a send, else a receive
  std::uint8_t lastbyte = 0;
  std::int32_t sumbefore = 0;  // the receive checksum before lastbyte
  double value = 0.0;
};
ComStatement stmt;
std::int32_t curslot = 0;

void raise(std::string_view key) { core::msgkey.set(key); }
bool failed() { return !core::msgkey.is_blank(); }
bool keyis(std::string_view key) { return core::msgkey.trimmed() == key; }
// The port could not be opened or configured.
bool openfailed() {
  return core::msgkey.trimmed().starts_with("COMopen") || keyis("COMtoomanyPorts");
}

win::HANDLE curhandle() { return curslot >= 1 ? comports.handle(curslot) : nullptr; }

// The character of an option value: the first character of a text, else
// the low byte of the number.
std::int32_t charvalue(std::int32_t v) {
  std::int32_t first = 0, last = 0;
  if (v > 0 && core::ISCHAR(v, first, last) > 0 && first >= 1 && first <= last &&
      core::c1namen.valid(first))
    return static_cast<std::uint8_t>(core::c1namen(first));
  return std::max(0, exec::KEYVALUE(v)) & 0xFF;
}

// A numeric option value times the factor, rounded half away from zero
// (and kept within 32 bits); 0 without a value.
std::int32_t roundedvalue(std::int32_t v, double factor = 1.0) {
  std::int32_t first = 0, last = 0;
  if (v <= 0 || !core::z.valid(v) || core::ISCHAR(v, first, last) > 0) return 0;
  const double r = std::round(core::z(v) * factor);
  if (std::isnan(r)) return 0;
  return static_cast<std::int32_t>(std::clamp(r, -2147483648.0, 2147483647.0));
}

// The text of a character variable that bytes can be stored into.
bool textvariable(std::int32_t v, std::int32_t& first, std::int32_t& last) {
  return v >= 1 && core::NAMTYP(v, 0x41) == 0x40 && core::ISCHARCHECKED(v, first, last) > 0 &&
         first >= 1 && first <= last && core::c1namen.valid(first) && core::c1namen.valid(last);
}

void storefirst(std::int32_t v, std::uint8_t b) {
  std::int32_t first = 0, last = 0;
  if (textvariable(v, first, last)) core::c1namen(first) = static_cast<char>(b);
}

// Finds or takes the slot of the current port and, when the settings
// changed, opens the port anew and configures it.
bool COMOPEN() {
  std::int32_t slot = 0, freeslot = 0;
  for (std::int32_t i = 1; i <= ncomports && slot == 0; ++i) {
    if (comports.port(i) == comset.port)
      slot = i;
    else if (freeslot == 0 && comports.port(i) <= 0)
      freeslot = i;
  }
  if (slot == 0) {
    if (freeslot == 0) {
      raise(core::MSGKEY("COMtoomanyPorts"));
      return false;
    }
    slot = freeslot;
    comset.changed = true;
  }
  curslot = slot;
  if (!comset.changed) return true;
  int ups = 0;
  if (comports.handle(slot) != nullptr) toolkit::FE_CLOSE_FILE(comports.handle(slot), &ups);
  comports.handle(slot) = nullptr;
  comports.port(slot) = 0;
  // The port number has at most 5 digits (0 to 65535).
  const std::string device = "\\\\.\\COM" + std::to_string(comset.port);
  const win::HANDLE h = toolkit::FE_OPEN_FILE(device.data(), static_cast<int>(device.size()),
                                              nullptr, nullptr, nullptr, nullptr, &ups);
  if (h == nullptr) {
    raise(core::MSGKEY("COMopenPort"));
    return false;
  }
  comports.port(slot) = comset.port;
  comports.handle(slot) = h;
  // The line settings go over as bytes: a value that no byte holds is
  // refused here rather than cut to another one.
  auto isbyte = [](std::int32_t v) { return v >= 0 && v <= 255; };
  if (isbyte(comset.databits) && isbyte(comset.stopcode))
    toolkit::SET_COMM_MODE(h, &comset.baud, &comset.parity, &comset.databits, &comset.stopcode,
                           &ups);
  if (!isbyte(comset.databits) || !isbyte(comset.stopcode) || ups != 0) {
    raise(core::MSGKEY("COMopenMode"));
    return false;
  }
  comset.changed = false;
  return true;
}

// Palette colours of the echo: received bytes light on dark, sent bytes
// dark on light.
constexpr std::int32_t dark = 0;
constexpr std::int32_t light = 15;

// Shows one byte of the traffic in the echo window (none when the Echo
// handle names no window of the list): at the window's running text
// position, on the same line while it fits, else on the next.
void ECHO(std::uint8_t b, std::int32_t background, std::int32_t foreground) {
  if (comset.echowindow <= 0) return;
  const auto h = win::handle_from<win::HWND>(static_cast<std::uint32_t>(comset.echowindow));
  exec::wdwrec* r = exec::wdwhead;
  while (r != nullptr && r->window != h) r = r->next;
  if (r == nullptr) return;
  exec::txtcolors = {exec::colour(foreground), exec::colour(background)};
  const char c = static_cast<char>(b);
  std::int32_t columns = 0, status = 0;
  plot::RWPRINT(std::string_view(&c, 1), 0.0, plot::afterlast, columns, r->fontslot, " ", " ", r,
                status);
}

// Reads one byte within the time-out (0: only what has arrived). A
// doubling character must come twice and stands for one.
bool COMGET(std::uint8_t& b, std::int32_t timeout, bool pairing = true) {
  if (!COMOPEN()) return false;
  win::COMMTIMEOUTS t{};
  if (timeout == 0)
    t.ReadIntervalTimeout = win::MAXDWORD;
  else
    t.ReadTotalTimeoutConstant = static_cast<win::DWORD>(timeout);
  int ups = 0;
  toolkit::SET_COMM_TIMEOUT(curhandle(), t, &ups);
  if (ups != 0) {
    raise(core::MSGKEY("COMsettime"));
    return false;
  }
  char c = 0;
  if (toolkit::FE_READ_FILE(curhandle(), &c, 1, nullptr, &ups) < 1) {
    raise(core::MSGKEY("COMread"));
    return false;
  }
  b = static_cast<std::uint8_t>(c);
  stmt.sumbefore = comset.rxsum;
  stmt.lastbyte = b;
  CHKSUM(comset.chkbits, b, comset.rxsum);
  ECHO(b, dark, light);
  if (pairing && stmt.doubling >= 0 && b == stmt.doubling) {
    std::uint8_t again = 0;
    if (!COMGET(again, timeout, false)) return false;
    if (again != b) {
      raise(core::MSGKEY("COMdubl"));
      return false;
    }
  }
  return true;
}

// Sends one byte (a doubling character twice), after taking in whatever
// has arrived.
bool COMPUT(std::uint8_t b) {
  std::uint8_t in = 0;
  while (COMGET(in, 0)) {
    if (stmt.exitvar > 0) {
      storefirst(stmt.exitvar, in);
      raise(core::MSGKEY("COMinonout"));
      return false;
    }
  }
  if (openfailed()) return false;
  core::msgkey.blank();
  const int times = stmt.doubling >= 0 && b == stmt.doubling ? 2 : 1;
  for (int i = 0; i < times; ++i) {
    const char c = static_cast<char>(b);
    int ups = 0;
    if (toolkit::FE_WRITE_FILE(curhandle(), &c, 1, nullptr, &ups) < 1 || ups != 0) {
      raise(core::MSGKEY("COMput"));
      return false;
    }
    CHKSUM(comset.chkbits, b, comset.txsum);
    ECHO(b, light, dark);
  }
  return true;
}

// Reads until a byte has every bit of the mask; t is the time left, in ms.
// False on a failed read (its key set) or when time ran out (no key);
// arrived tells whether any byte came.
bool WAITBITS(std::uint8_t mask, std::uint8_t& b, std::int32_t& t, bool& arrived) {
  using Clock = std::chrono::steady_clock;
  const Clock::time_point start = Clock::now();
  const std::int32_t total = t;
  for (;;) {
    if (!COMGET(b, std::max(t, 0))) return false;
    arrived = true;
    const auto spent =
        std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count();
    t = static_cast<std::int32_t>(std::max<long long>(total - spent, -1));
    if ((b & mask) == mask) return true;
    if (t <= 0) return false;
  }
}

void send(std::int32_t v) {
  std::int32_t first = 0, last = 0;
  if (v > 0 && core::ISCHAR(v, first, last) > 0) {
    for (std::int32_t i = first; i <= last && core::c1namen.valid(i); ++i) {
      const auto c = static_cast<std::uint8_t>(core::c1namen(i));
      if (c == stmt.lastcharx || !COMPUT(c) || c == stmt.lastchar) break;
    }
  } else if (v > 0) {
    const auto c = static_cast<std::uint8_t>(exec::KEYVALUE(v) & 0xFF);
    if (c != stmt.lastcharx) COMPUT(c);
  }
}

void receive(std::int32_t first, std::int32_t last) {
  for (std::int32_t i = first; i <= last; ++i) {
    std::uint8_t b = 0;
    if (!COMGET(b, comset.timeout) || b == stmt.lastcharx) break;
    core::c1namen(i) = static_cast<char>(b);
    if (b == stmt.lastchar) break;
  }
}

void waitbyte(std::int32_t c) {
  std::int32_t left = comset.timeout;
  bool arrived = false;
  for (;;) {
    std::uint8_t b = 0;
    if (!WAITBITS(static_cast<std::uint8_t>(c), b, left, arrived)) {
      // Only a wait in which nothing came at all ends in the read's
      // failure: otherwise the time ran out on other bytes.
      if (!failed() || (arrived && keyis("COMread"))) raise(core::MSGKEY("COMwait"));
      return;
    }
    if (b == c) return;
    if (left <= 0) {
      raise(core::MSGKEY("COMwait"));
      return;
    }
  }
}

void option(std::int32_t k, std::int32_t v) {
  std::int32_t first = 0, last = 0;
  switch (k) {
    case kw("Comport"): {
      const std::int32_t n = exec::KEYVALUE(v);
      if (n < 0 || n > 65535) {
        raise(core::MSGKEY("COMopenPort"));
        return;
      }
      comset.port = n;
      comset.changed = true;
      return;
    }
    case kw("Bauds"):
      comset.baud = exec::KEYVALUE(v);
      comset.changed = true;
      return;
    case kw("Parity"): {
      constexpr std::string_view letters = "NnOoEeMmSs";
      const std::size_t at = letters.find(static_cast<char>(charvalue(v)));
      comset.parity = at == std::string_view::npos ? -1 : static_cast<std::int32_t>(at / 2);
      comset.changed = true;
      return;
    }
    case kw("DataBits"):
      comset.databits = exec::KEYVALUE(v);
      comset.changed = true;
      return;
    case kw("StopBits"):
      // 1, 1.5 and 2 give the codes 0, 1 and 2.
      comset.stopcode = static_cast<std::int32_t>(std::int64_t{roundedvalue(v, 2.0)} - 2);
      comset.changed = true;
      return;
    case kw("OnErroritem"):
      stmt.erroritem = roundedvalue(v);
      return;
    case kw("Waitbyte"):
      waitbyte(charvalue(v));
      return;
    case kw("WaitBIts"): {
      std::uint8_t b = 0;
      std::int32_t left = comset.timeout;
      bool arrived = false;
      if (WAITBITS(static_cast<std::uint8_t>(exec::KEYVALUE(v) & 0xFF), b, left, arrived))
        stmt.value = b;
      else if (!failed() || keyis("COMread"))
        raise(core::MSGKEY("COMbits"));
      return;
    }
    case kw("IgnoreInput"):
      if (comset.port > 0) {
        std::uint8_t b = 0;
        while (COMGET(b, 0)) storefirst(v, b);
        core::msgkey.blank();
      }
      return;
    case kw("Lastchar"):
      stmt.lastchar = charvalue(v);
      return;
    case kw("LastcharX"):
      stmt.lastcharx = charvalue(v);
      return;
    case kw("DouBLe"):
      stmt.doubling = charvalue(v);
      return;
    case kw("ChecksumBits"):
      comset.chkbits = std::min(exec::KEYVALUE(v), 8);
      comset.rxsum = comset.txsum = 0;
      return;
    case kw("ChecksumVal"):
      core::SETZTOR8(v, stmt.lastsend ? comset.txsum : comset.rxsum);
      return;
    case kw("CheckSum"):
      if (stmt.lastsend)
        COMPUT(static_cast<std::uint8_t>(comset.txsum & 0xFF));
      else if (stmt.lastbyte != stmt.sumbefore)
        raise(core::MSGKEY("COMchksum"));
      return;
    case kw("ExitOnInput"):
      if (textvariable(v, first, last))
        stmt.exitvar = v;
      else
        raise(core::MSGKEY("COMvar!"));
      return;
    case kw("Timeout"):
      comset.timeout = exec::KEYVALUE(v);
      return;
    case kw("Echo"):
      comset.echowindow = exec::KEYVALUE(v);
      return;
    case kw("Send"):
      stmt.lastsend = true;
      send(v);
      stmt.doubling = -1;
      return;
    case kw("Receive"):
      if (!textvariable(v, first, last)) {
        raise(core::MSGKEY("COMvar!"));
        return;
      }
      stmt.lastsend = false;
      receive(first, last);
      stmt.doubling = -1;
      return;
    default:
      return;
  }
}

void inputstep() { exec::runinputstep(); }

}  // namespace

void CHKSUM(std::int32_t bits, std::uint8_t byte, std::int32_t& sum) {
  if (bits < 1) {
    sum ^= byte;
    return;
  }
  const auto s = static_cast<std::uint32_t>(sum) + byte;
  sum = static_cast<std::int32_t>(bits >= 32 ? s : s & ((1u << bits) - 1u));
}

void COMIO(const exec::OptCall&) {
  if (comports.port.size() == 0) {
    comports.port.assign(ncomports, 0);
    comports.handle.assign(ncomports, nullptr);
  }
  core::msgkey.blank();
  stmt = ComStatement{};
  const std::int32_t count = exec::noptions;
  std::int32_t at = 1;  // the option's position as written
  for (;;) {
    for (; at <= count; ++at) {
      // The options collected by position stand last written first.
      const std::int32_t k = count - at + 1;
      option(exec::optkw(k), exec::optval(k));
      if (failed()) break;
    }
    if (!failed()) break;
    const std::int32_t e = stmt.erroritem;
    if (e == 0) {
      stmt.value = 32767;
      break;
    }
    if (e < 1 || e > count) {
      stmt.value = e == -1 ? at : e;
      core::msgkey.blank();
      break;
    }
    inputstep();
    if (core::idecmd > 0) {
      // A command or an alarm came meanwhile: the statement ends without a
      // message and the run goes on, so that the executor serves the
      // command before the next statement (an alarm calls its subroutine).
      stmt.value = 32767;
      core::msgkey.blank();
      break;
    }
    if (core::keystate[1] == 1) {
      stmt.value = 32767;
      raise(core::MSGKEY("COMcanceled"));
      break;
    }
    core::msgkey.blank();
    at = e;
  }
  if (core::z.valid(core::iresult)) core::z(core::iresult) = stmt.value;
}

void reset_comio() {
  for (std::int32_t i = 1; i <= comports.handle.size(); ++i) {
    int ups = 0;
    if (comports.handle(i) != nullptr) toolkit::FE_CLOSE_FILE(comports.handle(i), &ups);
  }
  comports.port.clear();
  comports.handle.clear();
  comset = ComSettings{};
  stmt = ComStatement{};
  curslot = 0;
}

}  // namespace io
