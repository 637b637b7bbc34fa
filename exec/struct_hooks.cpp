#include "exec/postfix.h"
#include "exec/struct_entries.h"

namespace exec {

void install_struct() {
  STRUCTELEMENT = &structelemententry;
  STRUCTFIELDVALUE = &structfieldentry;
}

}  // namespace exec
