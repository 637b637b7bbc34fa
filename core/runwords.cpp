#include "core/runwords.h"

namespace core {

void reset_runwords() {
  xeqstop = 0;
  idecmd = 0;
  xeqmode = 0;
  idestate = 0;
  msgkey.blank();
  failedline.blank();
  compnote.blank();
}

}  // namespace core
