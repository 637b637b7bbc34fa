// The back end in force, and the headless one: a virtual screen of
// 1280 x 1024 pixels at 96 dpi that shows nothing and has no events of its
// own.
#include "platform/backend.h"

#include "platform/win_window_tree.h"

namespace plat {

namespace {

class Headless final : public Backend {
 public:
  const char* name() const override { return "headless"; }
  win::SIZE screen_size() const override { return {1280, 1024}; }
  int dpi() const override { return 96; }
  bool has_display() const override { return false; }
  bool wait(int) override { return false; }
};

Headless headless;
Backend* current = &headless;

}  // namespace

Backend& backend() { return *current; }

Backend& headless_backend() { return headless; }

void set_backend(Backend* b) {
  current = b != nullptr ? b : &headless;
  win::detail::backend_polls = current->has_display();
}

}  // namespace plat
