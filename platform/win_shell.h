// The shell: a document, folder, program or link handed to whatever opens
// it, without waiting.
//
// A link (a scheme of two or more letters and ":", such as http:, mailto:
// or file:) and a local document or folder go to `xdg-open`, found on PATH;
// an executable file is started itself, with the parameters split by the
// rules of CreateProcessA, in the folder given. A relative name is looked
// up in the current folder, then in the folder given.
#pragma once

#include "platform/win_types.h"

namespace win {

inline constexpr int SE_ERR_FNF = 2;
inline constexpr int SE_ERR_PNF = 3;
inline constexpr int SE_ERR_ACCESSDENIED = 5;
inline constexpr int SE_ERR_NOASSOC = 31;

// Above 32 when the request was handed on. A verb other than none, blank
// or "open" gives SE_ERR_NOASSOC, as does a missing xdg-open; a missing
// local file SE_ERR_FNF.
HINSTANCE ShellExecuteA(HWND owner, const char* verb, const char* file, const char* parameters,
                        const char* folder, int show);

}  // namespace win
