// A script READ from a window, as the IDE's dispatcher feeds it keys: until
// that READ comes no such read is ever under way, and a key fed to it does
// nothing.
#pragma once

namespace io {

inline void READWINDOWKEY() {}

}  // namespace io
