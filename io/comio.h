// The COM built-in: serial ports byte by byte through the toolkit's raw
// file and port routines. Its options run in the order written: choose and
// configure a port, send and receive bytes and texts, wait for a byte or a
// bit pattern, keep checksums, double an escape character, and on a failure
// retry from a chosen option.
#pragma once

#include <cstdint>

#include "exec/optdispatch.h"
#include "platform/indexed.h"
#include "platform/win_types.h"

namespace io {

inline constexpr std::int32_t ncomports = 32;

// The port table, made by the first COM and kept while the program runs:
// the port number of each slot (0 or less: free) and its open handle.
struct ComPorts {
  plat::Store1<std::int32_t> port;
  plat::Store1<win::HANDLE> handle;
};
inline ComPorts comports;

// The settings that all ports share, with their start values. `changed` is
// set by every option that changes the port or its line settings and
// cleared once the port is open and configured.
struct ComSettings {
  std::int32_t port = 0;
  std::int32_t baud = 9600;
  std::int32_t parity = 2;  // 0 none, 1 odd, 2 even, 3 mark, 4 space, -1 none known
  std::int32_t databits = 8;
  std::int32_t stopcode = 2;  // 0 one stop bit, 1 one and a half, 2 two
  std::int32_t timeout = 1;   // milliseconds for each read
  std::int32_t chkbits = 8;
  std::int32_t rxsum = 0;
  std::int32_t txsum = 0;
  std::int32_t echowindow = 0;
  bool changed = true;
};
inline ComSettings comset;

// COM as the option dispatch calls it, on the options collected by
// position. A failure leaves its key in `msgkey` and the function value
// 32767, unless OnErroritem says otherwise: -1 gives the failed option's
// position (1-based, as written) and no error, 1 to the option count runs
// the input step and carries the options out again from that one (Escape
// ends it with "COMcanceled", a pending command with the stop word -5),
// any other value becomes the function value with no error.
void COMIO(const exec::OptCall& call);

// One checksum step: bits < 1 XOR, else the sum modulo 2^bits (unmasked
// from 32 bits on).
void CHKSUM(std::int32_t bits, std::uint8_t byte, std::int32_t& sum);

// Closes every port and brings the settings back to their start values.
void reset_comio();

}  // namespace io
