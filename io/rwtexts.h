// Texts shared by the file statements, the format engine and the pictures:
// the detail text that goes with a failed transfer, and the format work
// text into which a picture is turned into edit descriptors.
#pragma once

#include "platform/fixed_text.h"

namespace io {

inline plat::FixedText<256> rwdetail;
inline plat::FixedText<60> fmtwork;

}  // namespace io
