// Test builds only: an allocation of more than OSTREL_ALLOC_FAIL_ABOVE bytes
// fails as if the memory were not there, so that the tests reach a
// statement whose own work runs out of memory without taking that memory
// (the address sanitizer's allocator would end the process instead of
// failing). Every other allocation goes on to the operator that the program
// would have used, the sanitizer's checks and all.
#include <dlfcn.h>

#include <cstddef>
#include <cstdlib>
#include <new>

namespace {

using NewFn = void* (*)(std::size_t);

// (0 before the environment is read and when the variable is not set.)
const std::size_t faillimit = [] {
  const char* v = std::getenv("OSTREL_ALLOC_FAIL_ABOVE");
  const long long n = v != nullptr ? std::atoll(v) : 0;
  return n > 0 ? static_cast<std::size_t>(n) : std::size_t{0};
}();

void* allocate(std::size_t n, NewFn next) {
  if (faillimit > 0 && n > faillimit) throw std::bad_alloc();
  if (next != nullptr) return next(n);
  if (void* p = std::malloc(n > 0 ? n : 1)) return p;
  throw std::bad_alloc();
}

}  // namespace

void* operator new(std::size_t n) {
  static const auto next = reinterpret_cast<NewFn>(dlsym(RTLD_NEXT, "_Znwm"));
  return allocate(n, next);
}

void* operator new[](std::size_t n) {
  static const auto next = reinterpret_cast<NewFn>(dlsym(RTLD_NEXT, "_Znam"));
  return allocate(n, next);
}
