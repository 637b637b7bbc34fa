#include "platform/cups_calls.h"

#include <dlfcn.h>

namespace plat::cups {

namespace {

void* library() {
  static void* const handle = ::dlopen("libcups.so.2", RTLD_LAZY | RTLD_LOCAL);
  return handle;
}

// The library's function `name` of type F (decltype of its declaration,
// which names it without linking to it), null without it.
template <typename F>
F* resolve(const char* name) {
  void* const h = library();
  return h != nullptr ? reinterpret_cast<F*>(::dlsym(h, name)) : nullptr;
}

}  // namespace

int GetDests2(http_t* http, cups_dest_t** dests) {
  static auto* const f = resolve<decltype(cupsGetDests2)>("cupsGetDests2");
  *dests = nullptr;
  return f != nullptr ? f(http, dests) : 0;
}

void FreeDests(int n, cups_dest_t* dests) {
  static auto* const f = resolve<decltype(cupsFreeDests)>("cupsFreeDests");
  if (f != nullptr) f(n, dests);
}

cups_dest_t* GetDest(const char* name, const char* instance, int n, cups_dest_t* dests) {
  static auto* const f = resolve<decltype(cupsGetDest)>("cupsGetDest");
  return f != nullptr ? f(name, instance, n, dests) : nullptr;
}

const char* GetOption(const char* name, int n, cups_option_t* options) {
  static auto* const f = resolve<decltype(cupsGetOption)>("cupsGetOption");
  return f != nullptr ? f(name, n, options) : nullptr;
}

int AddOption(const char* name, const char* value, int n, cups_option_t** options) {
  static auto* const f = resolve<decltype(cupsAddOption)>("cupsAddOption");
  return f != nullptr ? f(name, value, n, options) : n;
}

void FreeOptions(int n, cups_option_t* options) {
  static auto* const f = resolve<decltype(cupsFreeOptions)>("cupsFreeOptions");
  if (f != nullptr) f(n, options);
}

cups_dinfo_t* CopyDestInfo(http_t* http, cups_dest_t* dest) {
  static auto* const f = resolve<decltype(cupsCopyDestInfo)>("cupsCopyDestInfo");
  return f != nullptr ? f(http, dest) : nullptr;
}

void FreeDestInfo(cups_dinfo_t* info) {
  static auto* const f = resolve<decltype(cupsFreeDestInfo)>("cupsFreeDestInfo");
  if (f != nullptr) f(info);
}

int GetDestMediaDefault(http_t* http, cups_dest_t* dest, cups_dinfo_t* info, unsigned flags,
                        cups_size_t* size) {
  static auto* const f = resolve<decltype(cupsGetDestMediaDefault)>("cupsGetDestMediaDefault");
  return f != nullptr ? f(http, dest, info, flags, size) : 0;
}

int PrintFile2(http_t* http, const char* printer, const char* filename, const char* title, int n,
               cups_option_t* options) {
  static auto* const f = resolve<decltype(cupsPrintFile2)>("cupsPrintFile2");
  return f != nullptr ? f(http, printer, filename, title, n, options) : 0;
}

pwg_media_t* MediaForPWG(const char* media) {
  static auto* const f = resolve<decltype(pwgMediaForPWG)>("pwgMediaForPWG");
  return f != nullptr ? f(media) : nullptr;
}

pwg_media_t* MediaForLegacy(const char* media) {
  static auto* const f = resolve<decltype(pwgMediaForLegacy)>("pwgMediaForLegacy");
  return f != nullptr ? f(media) : nullptr;
}

pwg_media_t* MediaForPPD(const char* media) {
  static auto* const f = resolve<decltype(pwgMediaForPPD)>("pwgMediaForPPD");
  return f != nullptr ? f(media) : nullptr;
}

}  // namespace plat::cups
