// Serial ports over termios.
#include "platform/win_comm.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <set>
#include <string>

#include "platform/win_files.h"
#include "platform/win_kernel_internal.h"

namespace win {

namespace detail {

namespace {

struct Speed {
  DWORD rate;
  speed_t code;
};
constexpr Speed kSpeeds[] = {
    {50, B50},           {75, B75},           {110, B110},         {134, B134},
    {150, B150},         {200, B200},         {300, B300},         {600, B600},
    {1200, B1200},       {1800, B1800},       {2400, B2400},       {4800, B4800},
    {9600, B9600},       {19200, B19200},     {38400, B38400},     {57600, B57600},
    {115200, B115200},   {230400, B230400},   {460800, B460800},   {500000, B500000},
    {576000, B576000},   {921600, B921600},   {1000000, B1000000}, {1152000, B1152000},
    {1500000, B1500000}, {2000000, B2000000}, {2500000, B2500000}, {3000000, B3000000},
    {3500000, B3500000}, {4000000, B4000000},
};

// The devices of the open ports: a port is held by one handle at a time.
std::set<std::string> open_ports;

using Clock = std::chrono::steady_clock;

int remaining_ms(Clock::time_point deadline) {
  const auto left =
      std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
  return left <= 0 ? 0 : static_cast<int>(std::min<long long>(left, 0x7FFFFFFF));
}

// Waits until the port can be read (or written); false on time-out. A
// negative wait is no limit.
bool wait_for(int fd, short events, int wait) {
  pollfd p{fd, events, 0};
  for (;;) {
    const int r = poll(&p, 1, wait);
    if (r < 0 && errno == EINTR) continue;
    return r > 0;
  }
}

struct CommObject : FileObject {
  DCB dcb;
  COMMTIMEOUTS timeouts;
  ~CommObject() override { open_ports.erase(path); }

  BOOL read(void* buffer, DWORD count, DWORD* done) override {
    auto* out = static_cast<char*>(buffer);
    const COMMTIMEOUTS& t = timeouts;
    const bool at_once = t.ReadIntervalTimeout == MAXDWORD && t.ReadTotalTimeoutMultiplier == 0 &&
                         t.ReadTotalTimeoutConstant == 0;
    const std::uint64_t total = static_cast<std::uint64_t>(t.ReadTotalTimeoutMultiplier) * count +
                                t.ReadTotalTimeoutConstant;
    const bool limited = total > 0;
    const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(total);
    const bool interval =
        t.ReadIntervalTimeout != 0 && t.ReadIntervalTimeout != MAXDWORD && !at_once;
    DWORD got = 0;
    while (got < count) {
      int wait = at_once ? 0 : limited ? remaining_ms(deadline) : -1;
      if (got > 0 && interval) {
        const int gap = static_cast<int>(std::min<DWORD>(t.ReadIntervalTimeout, 0x7FFFFFFF));
        wait = wait < 0 ? gap : std::min(wait, gap);
      }
      if (!wait_for(fd, POLLIN, wait)) break;
      const ssize_t n = ::read(fd, out + got, count - got);
      if (n < 0 && (errno == EINTR || errno == EAGAIN)) continue;
      // The other end went away: what came is all there is.
      if (n <= 0) break;
      got += static_cast<DWORD>(n);
    }
    if (done != nullptr) *done = got;
    return TRUE;
  }

  BOOL write(const void* buffer, DWORD count, DWORD* done) override {
    const auto* in = static_cast<const char*>(buffer);
    const std::uint64_t total =
        static_cast<std::uint64_t>(timeouts.WriteTotalTimeoutMultiplier) * count +
        timeouts.WriteTotalTimeoutConstant;
    const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(total);
    DWORD put = 0;
    while (put < count) {
      if (!wait_for(fd, POLLOUT, total > 0 ? remaining_ms(deadline) : -1)) break;
      const ssize_t n = ::write(fd, in + put, count - put);
      if (n < 0 && (errno == EINTR || errno == EAGAIN)) continue;
      if (n < 0) {
        SetLastError(error_of_errno(errno));
        if (done != nullptr) *done = put;
        return FALSE;
      }
      put += static_cast<DWORD>(n);
    }
    if (done != nullptr) *done = put;
    return TRUE;
  }
};

// The device of port n.
std::string device_of(int port) {
  if (const char* list = std::getenv("OSTREL_COMPORTS"); list != nullptr) {
    const std::string all(list);
    std::size_t at = 0;
    while (at < all.size()) {
      std::size_t end = all.find(';', at);
      if (end == std::string::npos) end = all.size();
      const std::string entry = all.substr(at, end - at);
      const std::size_t eq = entry.find('=');
      if (eq != std::string::npos && std::atoi(entry.substr(0, eq).c_str()) == port)
        return entry.substr(eq + 1);
      at = end + 1;
    }
  }
  return "/dev/ttyS" + std::to_string(port - 1);
}

DCB dcb_of(const termios& t) {
  DCB d;
  const speed_t code = cfgetospeed(&t);
  for (const Speed& s : kSpeeds)
    if (s.code == code) d.BaudRate = s.rate;
  switch (t.c_cflag & CSIZE) {
    case CS5:
      d.ByteSize = 5;
      break;
    case CS6:
      d.ByteSize = 6;
      break;
    case CS7:
      d.ByteSize = 7;
      break;
    default:
      d.ByteSize = 8;
      break;
  }
  if ((t.c_cflag & PARENB) == 0)
    d.Parity = NOPARITY;
  else if ((t.c_cflag & CMSPAR) != 0)
    d.Parity = (t.c_cflag & PARODD) != 0 ? MARKPARITY : SPACEPARITY;
  else
    d.Parity = (t.c_cflag & PARODD) != 0 ? ODDPARITY : EVENPARITY;
  d.fParity = d.Parity != NOPARITY ? 1 : 0;
  d.StopBits = (t.c_cflag & CSTOPB) == 0 ? ONESTOPBIT
               : d.ByteSize == 5         ? ONE5STOPBITS
                                         : TWOSTOPBITS;
  d.fOutxCtsFlow = (t.c_cflag & CRTSCTS) != 0 ? 1 : 0;
  d.fOutX = (t.c_iflag & IXON) != 0 ? 1 : 0;
  d.fInX = (t.c_iflag & IXOFF) != 0 ? 1 : 0;
  return d;
}

bool speed_code(DWORD rate, speed_t& code) {
  for (const Speed& s : kSpeeds)
    if (s.rate == rate) {
      code = s.code;
      return true;
    }
  return false;
}

}  // namespace

int comm_port_number(std::string_view name) {
  name = name.substr(0, name.find('\0'));
  while (!name.empty() && name.back() == ' ') name.remove_suffix(1);
  if (name.substr(0, 4) == "\\\\.\\") name.remove_prefix(4);
  if (name.size() < 4 || name.size() > 6) return 0;
  for (std::size_t i = 0; i < 3; ++i)
    if (std::toupper(static_cast<unsigned char>(name[i])) != "COM"[i]) return 0;
  int n = 0;
  for (char c : name.substr(3)) {
    if (c < '0' || c > '9') return 0;
    n = n * 10 + (c - '0');
  }
  return n >= 1 && n <= 255 ? n : 0;
}

std::unique_ptr<FileObject> open_comm_port(int port) {
  auto f = std::make_unique<CommObject>();
  f->path = device_of(port);
  f->access = GENERIC_READ | GENERIC_WRITE;
  if (open_ports.count(f->path) != 0) {
    f->path.clear();
    SetLastError(ERROR_ACCESS_DENIED);
    return nullptr;
  }
  f->fd = ::open(f->path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
  termios t{};
  if (f->fd < 0 || tcgetattr(f->fd, &t) != 0) {
    // A device that is no terminal is no port.
    const int e = f->fd < 0 ? errno : ENOENT;
    SetLastError(e == ENOENT  ? ERROR_FILE_NOT_FOUND
                 : e == EBUSY ? ERROR_ACCESS_DENIED
                              : error_of_errno(e));
    f->path.clear();
    return nullptr;
  }
  ioctl(f->fd, TIOCEXCL);
  fcntl(f->fd, F_SETFL, fcntl(f->fd, F_GETFL) & ~O_NONBLOCK);
  cfmakeraw(&t);
  t.c_cflag |= CLOCAL | CREAD;
  t.c_cc[VMIN] = 0;
  t.c_cc[VTIME] = 0;
  tcsetattr(f->fd, TCSANOW, &t);
  tcgetattr(f->fd, &t);
  f->dcb = dcb_of(t);
  struct stat st {};
  fstat(f->fd, &st);
  f->device = st.st_dev;
  f->inode = st.st_ino;
  open_ports.insert(f->path);
  return f;
}

}  // namespace detail

using detail::CommObject;

BOOL GetCommState(HANDLE port, DCB* dcb) {
  CommObject* c = detail::object_as<CommObject>(port);
  if (c == nullptr) return FALSE;
  if (dcb != nullptr) *dcb = c->dcb;
  return TRUE;
}

BOOL SetCommState(HANDLE port, const DCB* dcb) {
  CommObject* c = detail::object_as<CommObject>(port);
  if (c == nullptr) return FALSE;
  speed_t speed = 0;
  if (dcb == nullptr || !detail::speed_code(dcb->BaudRate, speed) || dcb->ByteSize < 5 ||
      dcb->ByteSize > 8 || dcb->Parity > SPACEPARITY || dcb->StopBits > TWOSTOPBITS ||
      (dcb->StopBits == ONE5STOPBITS && dcb->ByteSize != 5) ||
      (dcb->StopBits == TWOSTOPBITS && dcb->ByteSize == 5)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  termios t{};
  tcgetattr(c->fd, &t);
  constexpr tcflag_t kSizes[] = {CS5, CS6, CS7, CS8};
  t.c_cflag &= ~(CSIZE | PARENB | PARODD | CMSPAR | CSTOPB | CRTSCTS);
  t.c_cflag |= kSizes[dcb->ByteSize - 5];
  switch (dcb->Parity) {
    case ODDPARITY:
      t.c_cflag |= PARENB | PARODD;
      break;
    case EVENPARITY:
      t.c_cflag |= PARENB;
      break;
    case MARKPARITY:
      t.c_cflag |= PARENB | CMSPAR | PARODD;
      break;
    case SPACEPARITY:
      t.c_cflag |= PARENB | CMSPAR;
      break;
    default:
      break;
  }
  if (dcb->StopBits != ONESTOPBIT) t.c_cflag |= CSTOPB;
  if (dcb->fOutxCtsFlow != 0) t.c_cflag |= CRTSCTS;
  t.c_iflag &= ~(IXON | IXOFF);
  if (dcb->fOutX != 0) t.c_iflag |= IXON;
  if (dcb->fInX != 0) t.c_iflag |= IXOFF;
  t.c_cc[VSTART] = static_cast<cc_t>(dcb->XonChar);
  t.c_cc[VSTOP] = static_cast<cc_t>(dcb->XoffChar);
  cfsetispeed(&t, speed);
  cfsetospeed(&t, speed);
  if (tcsetattr(c->fd, TCSANOW, &t) != 0) {
    SetLastError(detail::error_of_errno(errno));
    return FALSE;
  }
  c->dcb = *dcb;
  c->dcb.DCBlength = sizeof(DCB);
  return TRUE;
}

BOOL GetCommTimeouts(HANDLE port, COMMTIMEOUTS* timeouts) {
  CommObject* c = detail::object_as<CommObject>(port);
  if (c == nullptr) return FALSE;
  if (timeouts != nullptr) *timeouts = c->timeouts;
  return TRUE;
}

BOOL SetCommTimeouts(HANDLE port, const COMMTIMEOUTS* timeouts) {
  CommObject* c = detail::object_as<CommObject>(port);
  if (c == nullptr || timeouts == nullptr) {
    if (c != nullptr) SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  c->timeouts = *timeouts;
  return TRUE;
}

}  // namespace win
