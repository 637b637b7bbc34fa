// Serial ports of the Windows-style interface over termios. CreateFileA
// opens port n by the name "\\.\COMn" (or "COMn"): the device named for n
// in the environment variable OSTREL_COMPORTS ("n=path;n=path", for USB
// adapters and pseudo-terminals), else /dev/ttyS(n-1). A port is held
// exclusively (a second open gives ERROR_ACCESS_DENIED), in raw mode;
// ReadFile and WriteFile keep to the port's time-outs.
#pragma once

#include "platform/win_types.h"

namespace win {

inline constexpr BYTE NOPARITY = 0;
inline constexpr BYTE ODDPARITY = 1;
inline constexpr BYTE EVENPARITY = 2;
inline constexpr BYTE MARKPARITY = 3;
inline constexpr BYTE SPACEPARITY = 4;
inline constexpr BYTE ONESTOPBIT = 0;
inline constexpr BYTE ONE5STOPBITS = 1;
inline constexpr BYTE TWOSTOPBITS = 2;

// The port's line settings. The state read is the state last set (at the
// open: what the device had); a device that cannot keep a setting, as a
// pseudo-terminal its byte size and parity, still reports it so.
struct DCB {
  DWORD DCBlength = sizeof(DCB);
  DWORD BaudRate = 0;
  DWORD fBinary : 1 = 1;
  DWORD fParity : 1 = 0;
  DWORD fOutxCtsFlow : 1 = 0;  // RTS/CTS flow control
  DWORD fOutxDsrFlow : 1 = 0;
  DWORD fDtrControl : 2 = 0;
  DWORD fDsrSensitivity : 1 = 0;
  DWORD fTXContinueOnXoff : 1 = 0;
  DWORD fOutX : 1 = 0;  // XON/XOFF on output
  DWORD fInX : 1 = 0;   // XON/XOFF on input
  DWORD fErrorChar : 1 = 0;
  DWORD fNull : 1 = 0;
  DWORD fRtsControl : 2 = 0;
  DWORD fAbortOnError : 1 = 0;
  DWORD fDummy2 : 17 = 0;
  WORD wReserved = 0;
  WORD XonLim = 0;
  WORD XoffLim = 0;
  BYTE ByteSize = 8;
  BYTE Parity = NOPARITY;
  BYTE StopBits = ONESTOPBIT;
  char XonChar = 0x11;
  char XoffChar = 0x13;
  char ErrorChar = 0;
  char EofChar = 0;
  char EvtChar = 0;
  WORD wReserved1 = 0;
};

// Milliseconds. Reading n bytes: with ReadIntervalTimeout MAXDWORD and both
// totals 0 a read takes what has arrived and returns at once; otherwise it
// waits at most multiplier x n + constant in all (no limit when both are
// 0) and, once a byte came, at most the interval (0: no limit) for the
// next. Writes likewise with their two totals. A read or write cut short
// by its time-out succeeds with fewer bytes.
struct COMMTIMEOUTS {
  DWORD ReadIntervalTimeout = 0;
  DWORD ReadTotalTimeoutMultiplier = 0;
  DWORD ReadTotalTimeoutConstant = 0;
  DWORD WriteTotalTimeoutMultiplier = 0;
  DWORD WriteTotalTimeoutConstant = 0;
};
inline constexpr DWORD MAXDWORD = 0xFFFFFFFF;

BOOL GetCommState(HANDLE port, DCB* dcb);
// Refuses a baud rate that the system has no speed for, a byte size other
// than 5 to 8, a parity above 4 and stop bits above 2 or 1.5 with more than
// 5 bits (ERROR_INVALID_PARAMETER); nothing changes then.
BOOL SetCommState(HANDLE port, const DCB* dcb);
BOOL GetCommTimeouts(HANDLE port, COMMTIMEOUTS* timeouts);
BOOL SetCommTimeouts(HANDLE port, const COMMTIMEOUTS* timeouts);

}  // namespace win
