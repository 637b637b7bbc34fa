#include <cmath>
#include <utility>
#include <vector>

#include "core/messages.h"
#include "core/runwords.h"
#include "numeric/solve.h"

namespace numeric {

bool GAUSSJ(std::span<double> a, std::span<double> b, std::int32_t n) {
  auto at = [&](std::int32_t i, std::int32_t j) -> double& {
    return a[static_cast<std::size_t>((j - 1) * n + (i - 1))];
  };
  auto rhs = [&](std::int32_t i) -> double& { return b[static_cast<std::size_t>(i - 1)]; };
  const auto singular = [] {
    core::msgkey.set(core::MSGKEY("SolveSingular"));
    return false;
  };
  std::vector<std::int32_t> ipiv(static_cast<std::size_t>(n) + 1, 0);
  std::vector<std::int32_t> indxr(ipiv.size(), 0), indxc(ipiv.size(), 0);
  for (std::int32_t r = 1; r <= n; ++r) {
    double big = 0.0;
    std::int32_t irow = 0, icol = 0;
    for (std::int32_t j = 1; j <= n; ++j) {
      if (ipiv[j] == 1) continue;
      for (std::int32_t k = 1; k <= n; ++k) {
        if (ipiv[k] > 1) return singular();
        if (ipiv[k] == 0 && std::abs(at(j, k)) >= big) {
          big = std::abs(at(j, k));
          irow = j;
          icol = k;
        }
      }
    }
    if (icol == 0) return singular();
    ++ipiv[icol];
    if (irow != icol) {
      for (std::int32_t l = 1; l <= n; ++l) std::swap(at(irow, l), at(icol, l));
      std::swap(rhs(irow), rhs(icol));
    }
    indxr[r] = irow;
    indxc[r] = icol;
    if (at(icol, icol) == 0.0) return singular();
    const double pivinv = 1.0 / at(icol, icol);
    at(icol, icol) = 1.0;
    for (std::int32_t l = 1; l <= n; ++l) at(icol, l) *= pivinv;
    rhs(icol) *= pivinv;
    for (std::int32_t ll = 1; ll <= n; ++ll) {
      if (ll == icol) continue;
      const double dum = at(ll, icol);
      at(ll, icol) = 0.0;
      for (std::int32_t l = 1; l <= n; ++l) at(ll, l) -= at(icol, l) * dum;
      rhs(ll) -= rhs(icol) * dum;
    }
  }
  for (std::int32_t l = n; l >= 1; --l)
    if (indxr[l] != indxc[l])
      for (std::int32_t k = 1; k <= n; ++k) std::swap(at(k, indxr[l]), at(k, indxc[l]));
  return true;
}

void XPATOA(std::span<double> a, std::int32_t n) {
  for (std::int32_t i = 1; i <= n; ++i)
    for (std::int32_t j = i + 1; j <= n; ++j)
      std::swap(a[static_cast<std::size_t>((j - 1) * n + i - 1)],
                a[static_cast<std::size_t>((i - 1) * n + j - 1)]);
}

}  // namespace numeric
