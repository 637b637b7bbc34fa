#include "ide/editstandins.h"

namespace ide {

void SMARTTYPE(std::span<char>, std::int32_t&, std::int32_t&) {}
void FEDHLP(std::span<const char>, std::int32_t, std::int32_t) {}
void TEXTMARK(std::int32_t&, std::int32_t) {}
void BREAKACTION(std::int32_t& answer) { answer = 0; }

}  // namespace ide
