#include "platform/win_last_error.h"

namespace win {

namespace {
thread_local DWORD lasterror = ERROR_SUCCESS;
}

DWORD GetLastError() { return lasterror; }
void SetLastError(DWORD code) { lasterror = code; }

}  // namespace win
