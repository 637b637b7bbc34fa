#include "exec/alias.h"

#include <algorithm>
#include <cstdint>
#include <string_view>

#include "core/messages.h"
#include "core/rawmem.h"
#include "core/runwords.h"
#include "core/stores.h"
#include "core/symbols.h"
#include "exec/optdispatch.h"

namespace exec {

namespace {

bool issym(std::int32_t v) { return v >= 1 && v <= core::nsym && core::name.valid(v); }

std::int32_t typeof_(std::int32_t v) { return static_cast<std::uint16_t>(core::name(v).type); }

double valueof(std::int32_t v) { return v >= 1 && core::z.valid(v) ? core::z(v) : 0.0; }

// A symbol a view may be laid on: a variable, not a constant.
bool viewable(std::int32_t v) { return issym(v) && (typeof_(v) & 0x1) == 0; }

void setview(std::int32_t v, std::int32_t adr, std::int32_t a, std::int32_t b, int type) {
  if (type == 0x810) core::name(v).adr = adr;
  core::TRANSFER2I4TOR8(a, b, core::z(v));
  core::name(v).type = static_cast<std::int16_t>(type);
}

void fail(std::int32_t err, std::string_view text) {
  core::iostatw[1] = static_cast<std::int16_t>(err);
  core::failedline.set(text);
  if (core::nomsg < 1) {
    core::xeqstop = err;
    core::msgkey.set(core::MSGKEY("AliasXeq"));
  }
}

}  // namespace

void ALIXEQ(const plat::Store1<std::uint8_t>& optkw, std::int32_t noptions) {
  bool numeric = false;
  std::int64_t total = 0, offset = 0;
  std::int32_t start = 0, first = 0, remaining = 0;
  std::int32_t rows = 1, columns = 1, length = 1;
  noptions = std::min<std::int32_t>(noptions, static_cast<std::int32_t>(optkw.size()));

  for (std::int32_t k = noptions; k >= 1; --k) {
    const int o = optkw(k);
    const std::int32_t v = optval(k);
    switch (o) {
      case aliasopt::base: {
        if (k != noptions) return fail(3813, "base not keyword 1");
        const std::int32_t kind = issym(v) ? typeof_(v) & 0x50 : 0;
        std::int32_t a = 0, b = 0;
        if (kind == 0x10 || kind == 0x40) core::TRANSFERR8TO2I4(core::z(v), a, b);
        if (kind == 0x10) {
          numeric = true;
          total = static_cast<std::int64_t>(a) * b;
          start = core::name(v).adr;
          offset = 0;
          rows = columns = 1;
        } else if (kind == 0x40) {
          numeric = false;
          first = a;
          remaining = b - a + 1;
          length = 1;
        } else {
          return fail(3814, "illegal base");
        }
        core::failedline.set(core::symbolname(v));
        break;
      }
      case aliasopt::index:
        offset = std::max(core::nearesti4(valueof(v)) - 1, 0);
        if (!numeric) {
          // (In 64 bits: an index far past the text must not wrap round.)
          const auto clamp = [](std::int64_t x) {
            return static_cast<std::int32_t>(std::clamp<std::int64_t>(x, INT32_MIN, INT32_MAX));
          };
          first = clamp(first + offset);
          remaining = clamp(remaining - offset);
        }
        break;
      case aliasopt::vector:
      case aliasopt::matrix: {
        const bool vec = o == aliasopt::vector;
        const std::int64_t r = vec ? 1 : rows;
        const std::int64_t n = r * columns;
        if (r < 0 || columns < 0 || offset + n > total) return fail(vec ? 3815 : 3811, "too long");
        if (!viewable(v)) return fail(3816, "view is no variable");
        setview(v, start + static_cast<std::int32_t>(offset), static_cast<std::int32_t>(r), columns,
                0x810);
        offset += n;
        break;
      }
      case aliasopt::rows:
        rows = core::nearesti4(valueof(v));
        break;
      case aliasopt::columns:
        columns = core::nearesti4(valueof(v));
        break;
      case aliasopt::length:
        length = core::nearesti4(valueof(v));
        break;
      case aliasopt::string:
        if (length < 0 || length > remaining) return fail(3812, "too long");
        if (!viewable(v)) return fail(3816, "view is no variable");
        setview(v, 0, first, first + length - 1, 0x840);
        first += length;
        remaining -= length;
        break;
      case aliasopt::trailingspace: {
        const std::int32_t kind = issym(v) ? typeof_(v) & 0x850 : 0;
        if (kind == 0x810 && viewable(v)) {
          const auto rest = static_cast<std::int32_t>(std::max<std::int64_t>(total - offset, 0));
          // An Index past the end of the base lays an empty view at its end.
          const auto at = static_cast<std::int32_t>(std::min(offset, total));
          setview(v, start + at, 1, rest, 0x810);
        } else if (kind == 0x840 && viewable(v)) {
          setview(v, 0, first, first + std::max(remaining, 0) - 1, 0x840);
        }
        return;  // nothing after TrailingSpace is laid
      }
      default:
        break;  // ERror, Number: nothing at run time
    }
  }
}

}  // namespace exec
