// The statement form for user libraries written for the interpreter: the
// procedure gets the stores and tables of where its arguments lie.
#include <array>
#include <cctype>
#include <limits>
#include <string>

#include "core/messages.h"
#include "core/runwords.h"
#include "core/stores.h"
#include "core/symbols.h"
#include "exec/optdispatch.h"
#include "io/dll.h"
#include "io/dll_common.h"
#include "platform/win_last_error.h"
#include "platform/win_library.h"

namespace io {

namespace {

using core::z;
namespace k = dllkw;

// The procedure's interface: the value store from cell 1, the argument
// count, the tables of positions, lengths and types, the character store
// from character 1, and the value 1.
using Subroutine = void (*)(double*, std::int32_t*, std::int32_t*, std::int32_t*, std::int32_t*,
                            char*, std::int64_t);
using Function = double (*)(double*, std::int32_t*, std::int32_t*, std::int32_t*, std::int32_t*,
                            char*, std::int64_t);

// The slot holding the handle, 0 when none.
int slotof(std::uint64_t h) {
  if (h == 0) return 0;
  for (int s = 1; s <= nuserdlls; ++s)
    if (userdlls(s).handle == h) return s;
  return 0;
}

// Releases one load of the slot's library; the slot is emptied with its
// last load.
void releaseonce(int s) {
  UserDll& u = userdlls(s);
  if (u.handle == 0) return;
  if (win::FreeLibrary(win::module_from(u.handle)) == 0 || --u.count <= 0) u = UserDll{};
}

void releaseall(int s) {
  UserDll& u = userdlls(s);
  while (u.handle != 0 && u.count > 0 && win::FreeLibrary(win::module_from(u.handle)) != 0)
    --u.count;
  u = UserDll{};
}

// The procedure's name in form m.
std::string nameform(std::string name, int m) {
  if (m >= 2)
    for (char& c : name) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  if (m == 1 || m == 2) name = "_" + name + "@24";
  return name;
}

// The procedure, tried in the remembered form first, then the others.
void* findprocedure(std::uint64_t h, const std::string& name) {
  const std::array<int, 5> order{dllnamemode, 3, 2, 1, 0};
  for (std::size_t i = 0; i < order.size(); ++i) {
    const int m = order[i];
    if (i > 0 && m == dllnamemode) continue;
    const std::string form = nameform(name, m);
    if (auto p = win::GetProcAddress(win::module_from(h), form.c_str())) {
      dllnamemode = m;
      return reinterpret_cast<void*>(p);
    }
  }
  return nullptr;
}

// The argument tables.
struct Tables {
  std::int32_t n = 0;
  std::array<std::int32_t, userdllmaxargs> pos{};
  std::array<std::int32_t, userdllmaxargs> len{};
  std::array<std::int32_t, userdllmaxargs> type{};
};

void addargument(Tables& t, std::int32_t v) {
  const auto i = static_cast<std::size_t>(t.n++);
  t.type[i] = core::name.valid(v) ? core::name(v).type & ~0x800 : 0x88;
  std::int32_t first = 0, last = 0;
  if (core::NAMTYP(v, 0x10) != 0) {
    core::ADR1FROMSYMBOL(t.pos[i], v);
    t.len[i] = core::I4EQUZ(1, v) * core::I4EQUZ(2, v);
  } else if (core::ISCHAR(v, first, last) > 0) {
    t.pos[i] = first;
    t.len[i] = last - first + 1;
  } else {
    t.pos[i] = v;
    t.len[i] = 1;
  }
}

// A statement refused before anything is loaded.
void refuse(std::string_view key) {
  core::msgkey.set(key);
  dllmessage.set("ARGument");
  core::xeqstop = core::stops::error;
}

}  // namespace

void USERDLL(const plat::Store1<std::uint8_t>& optkw, std::int32_t noptions) {
  using exec::optval;
  core::msgkey.blank();
  dllmessage.blank();
  if (z.valid(core::iresult)) z(core::iresult) = 0.0;
  // The tables hold ten arguments: more are refused before anything loads.
  std::int32_t nargs = 0;
  for (std::int32_t n = noptions; n >= 1; --n) {
    if (optkw(n) != k::argument) continue;
    if (++nargs > userdllmaxargs) {
      refuse(core::MSGKEY("DLLmaxOpts"));
      return;
    }
    if (optval(n) < 1 || !z.valid(optval(n))) {
      refuse(core::MSGKEY("DLLTempVarsNotOK"));
      return;
    }
  }
  auto value = [](std::int32_t v) { return v >= 1 && z.valid(v) ? z(v) : 0.0; };

  // The library: a known handle, else the first library named.
  int slot = 0;
  bool loaded = false;
  for (std::int32_t n = noptions; n >= 1 && slot == 0; --n)
    if (optkw(n) == k::handle) slot = slotof(dllcommon::handleof(value(optval(n))));
  if (slot == 0) {
    std::int32_t lib = 0;
    for (std::int32_t n = noptions; n >= 1 && lib == 0; --n)
      if (optkw(n) == k::library) lib = optval(n);
    const std::string file = dllcommon::symboltext(lib);
    if (lib < 1) {
      core::msgkey.set(core::MSGKEY("dllnameMissing"));
    } else if (const std::uint64_t h = win::module_value(win::LoadLibraryA(file.c_str())); h == 0) {
      core::msgkey.set(core::MSGKEY("dllnotFound"));
      std::array<char, 256> text{};
      win::FormatMessageA(win::FORMAT_MESSAGE_FROM_SYSTEM, nullptr, win::GetLastError(), 0,
                          text.data(), static_cast<win::DWORD>(text.size()), nullptr);
      dllmessage.set(text.data());
    } else if ((slot = slotof(h)) != 0) {
      ++userdlls(slot).count;
      loaded = true;
    } else {
      for (int s = 1; s <= nuserdlls && slot == 0; ++s)
        if (userdlls(s).handle == 0) slot = s;
      if (slot == 0) {
        win::FreeLibrary(win::module_from(h));
        core::msgkey.set(core::MSGKEY("dllnameMissing"));
        dllmessage.set(file);
      } else {
        userdlls(slot) = {h, 1};
        loaded = true;
      }
    }
  }

  // The procedure: the first subroutine or function named.
  void* proc = nullptr;
  bool function = false;
  std::string procname;
  if (core::msgkey.is_blank()) {
    std::int32_t sym = 0;
    for (std::int32_t n = noptions; n >= 1 && sym == 0; --n) {
      if (optkw(n) == k::subroutine || optkw(n) == k::function) {
        sym = optval(n);
        function = optkw(n) == k::function;
      }
    }
    procname = dllcommon::symboltext(sym);
    if (sym < 1 || procname.empty())
      core::msgkey.set(core::MSGKEY("dllsubMissing"));
    else if ((proc = findprocedure(userdlls(slot).handle, procname)) == nullptr) {
      core::msgkey.set(core::MSGKEY("dllForSnotFound"));
      dllmessage.set(procname);
    }
  }

  if (core::msgkey.is_blank()) {
    Tables t;
    for (std::int32_t n = noptions; n >= 1; --n)
      if (optkw(n) == k::argument) addargument(t, optval(n));
    z(1) = static_cast<double>(core::c1namen.size());
    double* cells = z.ptr(1);
    char* chars = core::c1namen.ptr(1);
    if (function) {
      const double r = reinterpret_cast<Function>(proc)(cells, &t.n, t.pos.data(), t.len.data(),
                                                        t.type.data(), chars, 1);
      if (z.valid(core::iresult)) z(core::iresult) = r;
    } else {
      reinterpret_cast<Subroutine>(proc)(cells, &t.n, t.pos.data(), t.len.data(), t.type.data(),
                                         chars, 1);
      if (z.valid(core::iresult)) z(core::iresult) = std::numeric_limits<double>::min();
    }
    // A handle variable keeps the library loaded; otherwise it lived for
    // this call.
    bool kept = false;
    for (std::int32_t n = noptions; n >= 1; --n) {
      if (optkw(n) == k::handle && dllcommon::numericscalar(optval(n))) {
        z(optval(n)) = dllcommon::realof(userdlls(slot).handle);
        kept = true;
      }
    }
    if (!kept) releaseonce(slot);
  }

  // Unload options, after failures too; each clears a pending key.
  for (std::int32_t n = noptions; n >= 1; --n) {
    if (optkw(n) != k::free) continue;
    core::msgkey.blank();
    const std::uint64_t h = dllcommon::handleof(value(optval(n)));
    if (dllcommon::numericscalar(optval(n))) z(optval(n)) = 0.0;
    for (int s = 1; s <= nuserdlls; ++s)
      if (h != 0 && userdlls(s).handle == h) releaseall(s);
  }

  if (!core::msgkey.is_blank()) {
    if (loaded && slot != 0) releaseonce(slot);
    for (std::int32_t n = noptions; n >= 1; --n)
      if (optkw(n) == k::handle && dllcommon::numericscalar(optval(n))) z(optval(n)) = 0.0;
    core::xeqstop = core::stops::error;
  }
}

void FREEUSERDLLS() {
  for (int s = 1; s <= nuserdlls; ++s) releaseall(s);
}

}  // namespace io
