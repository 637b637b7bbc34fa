// Shell execution: a document, program, folder, web link or e-mail address
// handed to the system's shell (win::ShellExecuteA), never waited for.
#pragma once

#include <cstdint>
#include <string_view>

namespace io {

// Each text is taken without its trailing blanks (all blanks: none). A
// failure leaves `key` in msgkey, the shell's code in iostatw(1) and the
// file text in rwdetail; nothing is shown. An access refusal (5) counts as
// handed on.
void SHELLXEQ(std::string_view file, std::string_view verb, std::string_view parameters,
              std::string_view folder, std::string_view key);

// "mailto:" and the n characters of c1namen from position start.
void SHELLXEQC1(std::int32_t start, std::int32_t n);

}  // namespace io
