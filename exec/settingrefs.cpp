#include "exec/settingrefs.h"

#include <cstring>

#include "core/runwords.h"
#include "core/stores.h"
#include "core/symbols.h"
#include "exec/builtins.h"
#include "exec/windowwords.h"

namespace exec {

namespace {

template <class T>
std::span<std::byte> bytesof(T* first, std::size_t count) {
  return {reinterpret_cast<std::byte*>(first), count * sizeof(T)};
}

// Symbol type of the demonstration array: a numeric array that is a
// temporary of the statement.
constexpr std::int16_t temparray = 0x18;

}  // namespace

std::span<std::byte> progbytes(std::int32_t n) {
  switch (n) {
    case progarray::colnums:
      return bytesof(colnum.data(), static_cast<std::size_t>(colnum.size()));
    case progarray::dialogtext:
      return bytesof(dlgtext.data(), dlgtext.size());
    case progarray::printsource:
      return bytesof(&printsrc, 1);
    case progarray::editoptions:
      return bytesof(edoptions.data(), edoptions.size());
    case progarray::palette:
      return bytesof(rgbtab.data(), static_cast<std::size_t>(rgbtab.size()));
    default:
      break;
  }
  const std::int32_t p = n - progarray::firstparameter;
  if (p >= 0 && p < static_cast<std::int32_t>(parameters.size()))
    return parameters[static_cast<std::size_t>(p)];
  return {};
}

std::byte* progplace(const BoundRef& ref, std::int32_t width) {
  const std::span<std::byte> bytes = progbytes(ref.array);
  if (ref.offset < 0 || width < 0 ||
      static_cast<std::size_t>(ref.offset) + static_cast<std::size_t>(width) > bytes.size())
    return nullptr;
  return bytes.data() + ref.offset;
}

bool ABSOLUTEADRESS(std::int32_t kind, std::int32_t index, double& value, std::int32_t& type,
                    std::int32_t& length, BoundRef& where) {
  length = 1;
  const auto word = [&](std::int32_t array, std::int32_t offset, std::int32_t v) {
    where = {array, 0, offset};
    value = v;
    type = rawtype::i4;
    return true;
  };
  switch (kind) {
    case -1:
      if (index < 1 || index > 34) return false;
      return word(progarray::colnums, 4 * (index - 1), colnum(index));
    case -2:
      if (index == 1) {
        where = {progarray::dialogtext, 0, 0};
        type = rawtype::text;
        length = static_cast<std::int32_t>(dlgtext.size());
        return true;
      }
      if (index == 2) return word(progarray::printsource, 0, printsrc);
      return false;
    case -3:
      if (index < 1 || index > static_cast<std::int32_t>(edoptions.size())) return false;
      return word(progarray::editoptions, 4 * (index - 1),
                  edoptions[static_cast<std::size_t>(index - 1)]);
    case -4: {
      if (index < 0 || index > 126) return false;
      std::int8_t b = 0;
      std::memcpy(&b, reinterpret_cast<const std::byte*>(rgbtab.data()) + index, 1);
      where = {progarray::palette, 0, index};
      value = b;
      type = rawtype::i1;
      return true;
    }
    case -5: {
      const std::int32_t r = core::iresult;
      if (index < 0 || r < 1 || !core::name.valid(r) || !core::z.valid(r) ||
          r + index >= core::nztop || !core::z.valid(r + index))
        return false;
      core::SETI4EQUZ(1, r, 1);
      core::SETI4EQUZ(2, r, index);
      for (std::int32_t k = 1; k <= index; ++k) core::z(r + k) = k * 1.001;
      core::name(r).type = temparray;
      core::name(r).adr = r + 1;
      where = {0, r, 0};
      type = rawtype::realarray;
      length = index;
      return true;
    }
    default:
      return false;
  }
}

void reset_settingrefs() {
  dlgtext.blank();
  printsrc = 0;
  edoptions.fill(0);
  parameters.fill({});
}

}  // namespace exec
