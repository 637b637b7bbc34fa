// The list of the application's windows as the IDE names it: the record,
// the list and its operations live with the executor (exec/windowlist.h),
// below the script windows, the files and devices and plotting, which all
// use them.
#pragma once

#include "exec/windowlist.h"

namespace ide {

namespace kind = exec::kind;
using exec::ctlcur;
using exec::ctlrec;
using exec::FINDWINDOW;
using exec::GETSAVEWINXY;
using exec::inkill;
using exec::ismainwindow;
using exec::NEWWINDOW;
using exec::NEXTWINDOW;
using exec::reset_windowlist;
using exec::wdwcur;
using exec::wdwcycled;
using exec::wdwhead;
using exec::wdwprev;
using exec::wdwrec;
using exec::wdwtail;

}  // namespace ide
