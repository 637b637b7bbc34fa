#include "platform/process_start.h"

#include <csignal>

namespace plat {

void prepare_process() { std::signal(SIGXFSZ, SIG_IGN); }

}  // namespace plat
