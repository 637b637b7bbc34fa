#include "ide/editorwords.h"

namespace ide {

void reset_editorwords() {
  edrows = edcol = 0;
  edlinechg = false;
  edcmd = edselfrom = edselto = edselcol1 = edselcol2 = 0;
  edfullpaint = edcentre = false;
  edfindtext.blank();
  edcompiling = edmousehold = edselfchg = 0;
  edescape = edunhandled = false;
  edlinetail.clear();
}

}  // namespace ide
