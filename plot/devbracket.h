// Inside the device layer: the drawing bracket every entry opens, the
// growth of the repaint rectangle and the kept pen.
#pragma once

#include <cstdint>

namespace exec {
struct wdwrec;
}  // namespace exec

namespace plot {

// Opens a drawing pass on the current window's backing bitmap with
// `plotdev` as the target when none is open, selecting the kept pen (or
// the brush colour and the null pen, or nothing); closes it and refreshes
// the window when it goes, if it opened it.
class Bracket {
 public:
  enum class Select { pen, brush, none };
  explicit Bracket(Select select);
  ~Bracket();
  Bracket(const Bracket&) = delete;
  Bracket& operator=(const Bracket&) = delete;

 private:
  bool opened_ = false;
  exec::wdwrec* record_ = nullptr;
};

// `updrect` grown to cover the rectangle.
void growupdrect(std::int32_t left, std::int32_t top, std::int32_t right, std::int32_t bottom);
// Whether the window's pixels wait to be painted until someone looks at
// them: a script window showing its bitmap, with no display to show it on
// (it is painted when the queue runs, another statement repaints it or its
// pixels are read back). Its passes and slides then leave what changed to
// that one paint instead of repainting it pass by pass.
bool paintslater(const exec::wdwrec* record);
// The window refresh after a pass (mode 2); for a window that paints
// later, what changed is only marked to be painted.
void refresh(exec::wdwrec* record);
// The kept pen selected again on `plotdev`.
void reselectpen();
// UQTEXT's kept font forgotten.
void resettextfont();

}  // namespace plot
