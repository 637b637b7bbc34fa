// EDIT called as the option dispatch calls it: the options, in the order
// written, into the positional option table (slot noptions holds the first).
#pragma once

#include <cstdint>
#include <utility>
#include <vector>

#include "core/runwords.h"
#include "exec/optdispatch.h"
#include "text/edit.h"

namespace edittest {

inline void callEDIT(const std::vector<std::pair<int, std::int32_t>>& opts, std::int32_t result,
                     std::int16_t assignkind) {
  core::iresult = result;
  core::xeqstop = 0;
  core::msgkey.blank();
  exec::noptions = static_cast<std::int32_t>(opts.size());
  for (std::size_t i = 0; i < opts.size(); ++i) {
    exec::optkw(exec::noptions - static_cast<std::int32_t>(i)) =
        static_cast<std::uint8_t>(opts[i].first);
    exec::optval(exec::noptions - static_cast<std::int32_t>(i)) = opts[i].second;
  }
  exec::OptCall call;
  call.assignkind = assignkind;
  text::EDIT(call);
}

}  // namespace edittest
