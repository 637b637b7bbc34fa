#include "ide/fedit_standin.h"

#include "core/runwords.h"
#include "ide/idewords.h"

namespace ide {

namespace {

void take(std::int32_t& key) {
  handedover.push_back({core::idecmd, core::keyrec});
  const bool none = core::keyrec == std::array<std::uint8_t, 4>{0xFF, 0xFF, 0xFF, 0xFF};
  const bool escape = !none && (core::keyrec[0] == 27 || core::keyrec[1] == 1);
  if (!none) key = core::keyrec[1];
  if (core::idecmd > 0) core::idecmd = 0;
  core::keyrec.fill(0xFF);
  if (escape) {
    key = 1;
    return;
  }
  waitinput = 1;
}

}  // namespace

void FEDIT(std::span<char>, std::int32_t& key) {
  core::idestate |= busy::editor;
  take(key);
}

void FEDITRESUME(std::span<char>, std::int32_t& key) { take(key); }

void reset_fedit_standin() { handedover.clear(); }

}  // namespace ide
