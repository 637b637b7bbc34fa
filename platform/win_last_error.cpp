#include "platform/win_last_error.h"

#include "platform/win_kernel_internal.h"

namespace win {

namespace {
thread_local DWORD lasterror = ERROR_SUCCESS;
}

DWORD GetLastError() { return lasterror; }
void SetLastError(DWORD code) { lasterror = code; }
void SetLastErrorFromErrno(int error) { lasterror = detail::error_of_errno(error); }

}  // namespace win
