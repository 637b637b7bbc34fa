#include "io/keys.h"

#include <array>

#include "core/runwords.h"
#include "core/shoplists.h"
#include "core/stores.h"
#include "core/symbols.h"
#include "exec/optdispatch.h"
#include "platform/win_message_keys.h"

namespace io {

namespace {

struct KeyBit {
  int vk;
  std::int32_t bit;
  bool toggle;  // counts when on, not when down
};
constexpr std::array<KeyBit, 11> keybits = {{
    {win::VK_SHIFT, keybit::shift, false},
    {win::VK_CONTROL, keybit::control, false},
    {win::VK_MENU, keybit::alt, false},
    {win::VK_CAPITAL, keybit::capslock, true},
    {win::VK_NUMLOCK, keybit::numlock, true},
    {win::VK_SCROLL, keybit::scrolllock, true},
    {win::VK_INSERT, keybit::insert, true},
    {win::VK_PAUSE, keybit::pause, true},
    {win::VK_LBUTTON, keybit::leftbutton, false},
    {win::VK_RBUTTON, keybit::rightbutton, false},
    {win::VK_MBUTTON, keybit::middlebutton, false},
}};

consteval int kw(std::string_view name) { return core::optkwnr(core::OptStmt::KEY, name); }

// The options whose value the function takes when written without a
// variable, in the order they are looked for.
constexpr std::array<int, 9> functionorder = {kw("Scan"),   kw("SHift"),    kw("Control"),
                                              kw("ALt"),    kw("CApital"),  kw("Numlock"),
                                              kw("SCRoll"), kw("ScanType"), kw("Mouse")};

}  // namespace

std::int16_t GET_KEY_STATE(std::int32_t vk) { return win::GetKeyState(vk); }

std::int32_t GETKEYSTATES() {
  std::int32_t mask = 0;
  for (const KeyBit& k : keybits) {
    const std::int16_t s = GET_KEY_STATE(k.vk);
    if (k.toggle ? s == 1 : s < 0) mask |= k.bit;
  }
  return mask;
}

void KEY() {
  core::keyreported = core::keykept;
  const auto record = static_cast<std::uint32_t>(core::keyreported);
  const std::int32_t mask = GETKEYSTATES();
  const std::int32_t character = static_cast<std::int32_t>(record & 0xFF);

  std::array<std::int32_t, std::size(core::keyopts)> value{};
  value[kw("Ascii")] = character;
  value[kw("Scan")] = core::keyscan;
  value[kw("SHift")] = mask & keybit::shift;
  value[kw("Control")] = mask & keybit::control;
  value[kw("CApital")] = mask & keybit::capslock;
  value[kw("Numlock")] = mask & keybit::numlock;
  value[kw("SCRoll")] = mask & keybit::scrolllock;
  value[kw("ScanType")] = static_cast<std::int32_t>(record >> 24);
  value[kw("ALt")] = mask & keybit::alt;
  value[kw("Mouse")] = (mask & 0x700) / 4;

  for (int k = kw("Ascii"); k < static_cast<int>(value.size()); ++k)
    if (exec::optval(k) > 0) core::SETZTOR8(exec::optval(k), value[static_cast<std::size_t>(k)]);

  std::int32_t result = character;
  for (int k : functionorder) {
    if (exec::optval(k) < 0) {
      result = value[static_cast<std::size_t>(k)];
      break;
    }
  }
  if (core::z.valid(core::iresult)) core::z(core::iresult) = result;

  core::keyscan = 0;
  core::mousebtn = 0;
  core::keyreported = 0;
  core::keykept = 0;
}

}  // namespace io
