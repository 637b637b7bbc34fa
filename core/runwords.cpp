#include "core/runwords.h"

#include <algorithm>

namespace core {

void reset_runwords() {
  xeqstop = 0;
  idecmd = 0;
  xeqmode = 0;
  idestate = 0;
  msgkey.blank();
  shownkey.blank();
  failedline.blank();
  compnote.blank();
  iostatw.fill(0);
  nstmt = 0;
  ntrans = 0;
  nomsg = 0;
  iresult = 0;
  xeqtarget = 0;
  xeqmodesave = 0;
  xeqspan.fill(0);
  dllresult = 0;
  solveiter = 0;
  solvemaxiter = 1000;
  solvedone = 0;
  modelstart = 0;
  keystate.fill(0);
  keyrec.fill(0);
  keykept = 0;
  keyreported = 0;
  keyscan = 0;
  mousebtn = 0;
  std::fill(edvars.raw().begin(), edvars.raw().end(), 0);
  edmark = 0;
}

}  // namespace core
