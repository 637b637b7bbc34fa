// What the editor and the line input call of the typing assistant, context
// help, text marks and break-on-variable.
#pragma once

#include "ide/bookmarks.h"
#include "ide/fedhlp.h"
#include "ide/smarttype.h"
