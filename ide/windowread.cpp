#include "ide/windowread.h"

#include "ide/editorwords.h"
#include "ide/panlio.h"
#include "ide/textwriters.h"

namespace ide {

void WINDOWLINEFIELD(std::span<char> text, std::int32_t row, std::int32_t column,
                     const std::array<std::uint32_t, 2>& colours, bool open) {
  // The field is as wide as its text, whatever the editor's columns.
  const std::int32_t keptleft = edleftcol, keptwidth = edwidth;
  edleftcol = 1;
  edwidth = static_cast<std::int32_t>(text.size());
  fieldcolours = &colours;
  panfield.leftcol = column;
  std::int32_t key = 0, changed = 0;
  if (open) {
    PANLIO(text, row, key, changed);
  } else {
    panfield.screenrow = row;
    PANLIOKEY(text, row, key, changed);
  }
  fieldcolours = nullptr;
  edleftcol = keptleft;
  edwidth = keptwidth;
}

}  // namespace ide
