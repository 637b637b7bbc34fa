// The toolbar's standard images. Not for use outside platform/win_*.
#pragma once

#include <cairo.h>

#include "platform/win_commctrl.h"

namespace win::detail {

// How many images a standard strip has (0 for an unknown id), and one of
// them drawn at a size (ARGB; the caller destroys it).
int standard_image_count(UINT_PTR id);
cairo_surface_t* standard_image(UINT_PTR id, int index, int width, int height);

}  // namespace win::detail
