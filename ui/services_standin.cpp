#include "ui/services_standin.h"

namespace ui {

void MXLAYOUT(std::int32_t) {}

void reset_services_standin() {}

}  // namespace ui
