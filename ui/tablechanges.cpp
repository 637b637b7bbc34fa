#include "ui/tablechanges.h"

namespace ui {

void CHECKEDITED(std::int32_t, double&, std::int32_t, std::int32_t& status) { status = 0; }

bool CHANGEINOUT(std::int32_t, std::int32_t, std::int32_t, std::span<char>, std::int32_t,
                 std::int32_t& status) {
  status = 0;
  return false;
}

void KILLEDITCHANGES(std::int32_t, std::int32_t& answer, std::int32_t) {
  answer = editchangesanswer;
}

}  // namespace ui
