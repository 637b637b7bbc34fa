// Helpers for the dialog tests: items set from named arguments, an array
// written into a template and run (every item numbered, ids 0 made 0x400 +
// number, grid columns left out, as a dialog box does it), the toolkit's
// pump, and a back end that counts beeps; keys, texts and steps inside a
// modal run come from the platform's dialog tests.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/backend.h"
#include "platform/win_controls.h"
#include "platform/win_dialog.h"
#include "platform/win_dialog_testing.h"
#include "platform/win_message.h"
#include "platform/win_message_keys.h"
#include "toolkit/dialog_item.h"
#include "toolkit/dialog_run.h"
#include "toolkit/loops.h"
#include "toolkit_fixture.h"

namespace dlgt {

using toolkit::dialog_t;

// The arguments in the order of the set-routine (the procedure last).
struct args {
  std::optional<int> type{};
  std::optional<std::uint32_t> options{};
  std::optional<std::string> title{}, text{};
  std::optional<int> id{}, value{}, x{}, y{}, width{}, height{};
  std::optional<std::vector<std::string>> list{};  // entries of 8 characters
  std::optional<std::uint32_t> kind{};
  std::optional<int> imax{}, imin{}, iinc{};
  std::optional<float> r4{}, r4max{}, r4min{};
  std::optional<double> r8{}, r8max{}, r8min{};
  std::optional<std::string> format{};
  std::optional<std::uint32_t> window_style{};
  std::string* variable = nullptr;  // a bound text of its size
  std::optional<int> edit{};
  toolkit::change_procedure proc = nullptr;
};

template <class T>
const T* opt(const std::optional<T>& o) {
  return o ? &*o : nullptr;
}

inline void set(dialog_t& d, const args& a, int* ups = nullptr) {
  std::string block;
  toolkit::text_array_t list;
  if (a.list) {
    for (const std::string& s : *a.list) block += (s + std::string(8, ' ')).substr(0, 8);
    list = {block.data(), 8, static_cast<int>(a.list->size()), 8};
  }
  const auto text = [](const std::optional<std::string>& s) { return s ? s->c_str() : nullptr; };
  const auto length = [](const std::optional<std::string>& s) {
    return s ? static_cast<int>(s->size()) : 0;
  };
  toolkit::SET_DIALOG_ITEM(
      d, opt(a.type), opt(a.options), text(a.title), length(a.title), text(a.text), length(a.text),
      opt(a.id), opt(a.value), opt(a.x), opt(a.y), opt(a.width), opt(a.height),
      a.list ? &list : nullptr, a.proc, nullptr, opt(a.kind), opt(a.imax), opt(a.imin), opt(a.iinc),
      opt(a.r4), opt(a.r4max), opt(a.r4min), nullptr, opt(a.r8), opt(a.r8max), opt(a.r8min),
      nullptr, text(a.format), length(a.format), nullptr, nullptr, nullptr, nullptr,
      opt(a.window_style), a.variable != nullptr ? a.variable->data() : nullptr,
      a.variable != nullptr ? static_cast<int>(a.variable->size()) : 0, opt(a.edit), ups);
}

// Writes the array's template (starting from a far too small estimate, so
// that it grows) and runs it.
inline win::INT_PTR run(dialog_t* items, int n, bool modeless,
                        toolkit::changed_callback changed = nullptr, int* ups = nullptr,
                        const win::HFONT* font = nullptr) {
  int count = 0;
  for (int i = 0; i < n; ++i) {
    items[i].item_number = i + 1;
    items[i].event_code = toolkit::kEventInitial;
    if (items[i].id == 0) items[i].id = 0x400 + i + 1;
    if ((items[i].style_options & toolkit::kOptionComponent) == 0) ++count;
  }
  toolkit::dialog_template_t t;
  int estimate = 8;
  const int width = 220, height = 140, flag = modeless ? 1 : 0, x = 10, y = 10;
  if (toolkit::BUILD_DIALOG_HEADER("Test", 4, nullptr, nullptr, &x, &y, width, height, count,
                                   estimate, t, flag, nullptr, nullptr, font, ups) == 0)
    return 0;
  for (int i = 0; i < n; ++i)
    if ((items[i].style_options & toolkit::kOptionComponent) == 0)
      toolkit::BUILD_DIALOG_TEMPLATE(items[i], t);
  win::HWND owner = toolkit::MAIN_WINDOW();
  int m = modeless ? 1 : 0;
  return toolkit::RUN_DIALOG(t, owner, items, n, m, nullptr, nullptr, font, changed, ups);
}

using dlgtest::key;
using dlgtest::later;
using dlgtest::text;

// Types the text (letters, digits and what has no key of its own).
inline void type_text(const std::string& s) {
  for (char c : s) {
    const auto u = static_cast<unsigned char>(c);
    key(u >= 'a' && u <= 'z'                               ? u - 32
        : (u >= '0' && u <= '9') || (u >= 'A' && u <= 'Z') ? u
                                                           : 0,
        u);
  }
}

// Takes what is queued through the toolkit's pump (the current modeless
// dialog gets its keys first).
inline void pump() {
  win::MSG m;
  while (win::PeekMessageA(&m, nullptr, 0, 0, win::PM_REMOVE)) {
    if (m.message == win::WM_QUIT) break;
    if (toolkit::current_modeless_dialog != nullptr &&
        win::IsDialogMessageA(toolkit::current_modeless_dialog, &m))
      continue;
    win::TranslateMessage(&m);
    win::DispatchMessageA(&m);
  }
}

// The headless back end, counting beeps.
class BeepCounter : public plat::Backend {
 public:
  BeepCounter() { plat::set_backend(this); }
  ~BeepCounter() override { plat::set_backend(nullptr); }
  const char* name() const override { return "beeps"; }
  win::SIZE screen_size() const override { return plat::headless_backend().screen_size(); }
  int dpi() const override { return plat::headless_backend().dpi(); }
  bool has_display() const override { return false; }
  bool wait(int timeout_ms) override { return plat::headless_backend().wait(timeout_ms); }
  void beep(win::UINT) override { ++beeps; }
  int beeps = 0;
};

class DialogTest : public tktest::ToolkitTest {
 protected:
  void SetUp() override {
    ToolkitTest::SetUp();
    dlgtest::later_fn = nullptr;
  }
};

}  // namespace dlgt
