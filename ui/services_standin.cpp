#include "ui/services_standin.h"

namespace ui {

void DELETEPANELCTRLS() {}
void MXLAYOUT(std::int32_t) {}

void reset_services_standin() {}

}  // namespace ui
