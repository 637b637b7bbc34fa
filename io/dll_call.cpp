// The DLL built-in: typed arguments from script variables, a call of 24
// machine words through libffi, and the conversions back.
#include <ffi.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "core/chars.h"
#include "core/messages.h"
#include "core/rawmem.h"
#include "core/runwords.h"
#include "core/stores.h"
#include "core/symbols.h"
#include "core/winapi_byname.h"
#include "exec/optdispatch.h"
#include "exec/struct.h"
#include "io/dll.h"
#include "io/dll_common.h"
#include "platform/win_last_error.h"
#include "platform/win_library.h"
#include "platform/win_window.h"

namespace io {

namespace {

using core::z;
namespace k = dllkw;

// ErrIf and ErrIfNot not given.
constexpr std::int32_t notgiven = -2147483647;

struct Arg {
  int kw = 0;
  std::int32_t sym = 0;
  std::int32_t cell = 0;    // first value cell of a numeric variable
  std::int32_t first = 0;   // first character of a text
  std::int32_t count = 0;   // elements (characters of a text)
  std::int64_t offset = 0;  // its region of the conversion buffer, in bytes
  bool text = false;
  bool constant = false;  // never written: a copy in the buffer is passed
};

struct Statement {
  std::vector<Arg> args;
  std::int64_t bytes = 0;
  std::int32_t modsym = 0;
  std::int32_t procsym = 0;
  std::int32_t errif = notgiven;
  std::int32_t errifnot = notgiven;
  bool unload = true;
};

// Element width in bytes of a kind that converts numbers (0 none).
int width(int kw) {
  switch (kw) {
    case k::i1:
    case k::i1p:
    case k::i1u:
    case k::i1up:
      return 1;
    case k::i2:
    case k::i2p:
    case k::i2u:
    case k::i2up:
      return 2;
    case k::i4:
    case k::i4p:
    case k::i4u:
    case k::i4up:
    case k::r4:
    case k::r4p:
      return 4;
    case k::i8p:
      return 8;
    default:
      return 0;
  }
}
bool byvalue(int kw) {
  return kw == k::i1 || kw == k::i2 || kw == k::i4 || kw == k::i1u || kw == k::i2u ||
         kw == k::i4u || kw == k::r4;
}
bool special(int kw) {
  return kw == k::asyncproc || kw == k::newproc || kw == k::hinstance || kw == k::wdw1;
}

// Rounded half away from zero to 64 bits; beyond the range its nearest
// end, a NaN 0.
std::int64_t nearesti8(double v) {
  if (std::isnan(v)) return 0;
  const double r = std::round(v);
  if (r >= 9223372036854775807.0) return INT64_MAX;
  if (r <= -9223372036854775808.0) return INT64_MIN;
  return static_cast<std::int64_t>(r);
}
// Rounded to 32 bits, its low 16 bits.
std::int16_t nearesti2(double v) { return static_cast<std::int16_t>(core::nearesti4(v)); }

std::string keyword(int kw) {
  const auto entries = core::shoplist(core::OptStmt::DLL).entries;
  return kw >= 0 && static_cast<std::size_t>(kw) < entries.size()
             ? std::string(entries[static_cast<std::size_t>(kw)].kw)
             : std::string();
}

std::uint64_t specialvalue(int kw) {
  switch (kw) {
    case k::asyncproc:
      return reinterpret_cast<std::uintptr_t>(&SHOWCALLBACKARGS);
    case k::newproc:
      return reinterpret_cast<std::uintptr_t>(&BEEPWNDPROC);
    case k::hinstance:
      return win::module_value(win::GetModuleHandleA(nullptr));
    default:
      return dllmainwindow;
  }
}

// Reading the options in written order; false after a failure.
bool readoptions(Statement& st) {
  using exec::optkw;
  using exec::optval;
  for (std::int32_t n = exec::noptions; n >= 1; --n) {
    const int kw = optkw(n);
    const std::int32_t v = optval(n);
    const double value = v >= 1 && z.valid(v) ? z(v) : 0.0;
    if (kw == 0) continue;
    if (kw > k::unload) {
      dllcommon::fail(core::MSGKEY("kwNotSupported"), keyword(kw));
      return false;
    }
    if (kw == k::errif) {
      st.errif = core::nearesti4(value);
    } else if (kw == k::errifnot) {
      st.errifnot = core::nearesti4(value);
    } else if (kw == k::module) {
      st.modsym = v;
    } else if (kw == k::procedure) {
      st.procsym = v;
      dllmessage.set(dllcommon::symboltext(v));
    } else if (kw == k::unload) {
      st.unload = core::nearesti4(value) != 0;
    } else if (special(kw)) {
      if (!dllcommon::issymbol(v)) {
        dllcommon::fail(core::MSGKEY("DLLTempVarsNotOK"), keyword(kw));
        return false;
      }
      if (!dllcommon::numericscalar(v)) {
        dllcommon::fail(core::MSGKEY("DLLnotNumScalar"), keyword(kw));
        return false;
      }
      z(v) = dllcommon::realof(specialvalue(kw));
    } else {
      if (static_cast<int>(st.args.size()) >= dllmaxargs) {
        dllcommon::fail(core::MSGKEY("DLLmaxOpts"), keyword(kw));
        return false;
      }
      if (!dllcommon::issymbol(v)) {
        dllcommon::fail(core::MSGKEY("DLLTempVarsNotOK"), keyword(kw));
        return false;
      }
      Arg a;
      a.kw = kw;
      a.sym = v;
      a.constant = (core::name(v).type & 0x1) != 0;
      std::int32_t first = 0, last = 0;
      if (core::NAMTYP(v, 0x10) != 0) {
        core::ADR1FROMSYMBOL(a.cell, v);
        a.count = std::max(core::I4EQUZ(1, v), 0) * std::max(core::I4EQUZ(2, v), 0);
        if (!z.valid(a.cell) || !z.valid(a.cell + std::max(a.count, 1) - 1)) a.count = 0;
      } else if (core::ISCHAR(v, first, last) > 0) {
        a.text = true;
        a.first = first;
        a.count = last >= first && core::c1namen.valid(last) ? last - first + 1 : 0;
      } else {
        a.cell = v;
        a.count = 1;
      }
      // Conversion space: numbers by their width; a constant's copy.
      a.offset = st.bytes;
      const int w = width(kw);
      if (!a.text && w == 8) {
        st.bytes += static_cast<std::int64_t>(a.count) * 8;
      } else if (!a.text && w > 0) {
        st.bytes += static_cast<std::int64_t>(a.count) * w / 8 * 8 + 8;
      } else if (a.constant) {
        st.bytes += (a.text ? a.count + 1 : static_cast<std::int64_t>(a.count) * 8) / 8 * 8 + 8;
      }
      st.args.push_back(a);
    }
  }
  return true;
}

// The library and procedure of the call.
struct Target {
  int slot = -1;  // 0 the script's library, 1 to 6 a listed one
  std::uint64_t module = 0;
  void* proc = nullptr;                                    // slot 0
  std::int64_t (*own)(const core::WinApiArgs&) = nullptr;  // slots 1 to 6
};

void resolve(Statement& st, Target& t) {
  std::string modname = dllcommon::symboltext(st.modsym);
  const std::string procname = dllcommon::symboltext(st.procsym);
  std::string upper = modname;
  core::UPCASE({upper.data(), upper.size()});
  if (!dllslot0name.is_blank() && upper == dllslot0name.trimmed()) {
    t.slot = 0;
    t.module = dllslot0;
  } else {
    const std::size_t dot = upper.find('.');
    if (dot == std::string::npos || dot < 1) {
      win::SetLastError(win::ERROR_MOD_NOT_FOUND);
      return;
    }
    const std::size_t at = core::winliblist.find(" " + upper.substr(0, dot) + " ");
    if (at != std::string::npos) {
      t.slot = static_cast<int>((at + 2) / 12 + 1);
      std::uint32_t& h = core::winlibhandles[static_cast<std::size_t>(t.slot - 1)];
      if (h == 0) {
        std::string_view listed =
            core::winliblist.substr(static_cast<std::size_t>(t.slot - 1) * 12 + 2, 10);
        listed = listed.substr(0, listed.find(' '));
        h = core::winapi_load(std::string(listed) + ".DLL");
        st.unload = true;
      } else {
        st.unload = false;
      }
      t.module = h;
    } else {
      t.slot = 0;
      if (dllslot0 != 0) win::FreeLibrary(win::module_from(dllslot0));
      dllslot0name.set(upper);
      dllslot0 = win::module_value(win::LoadLibraryA(modname.c_str()));
      t.module = dllslot0;
    }
  }
  if (t.module == 0) {
    if (t.slot > 0) win::SetLastError(core::winapi_lasterror);
    return;
  }
  if (t.slot == 0) {
    t.proc =
        reinterpret_cast<void*>(win::GetProcAddress(win::module_from(t.module), procname.c_str()));
  } else {
    t.own = core::winapi_proc(static_cast<std::uint32_t>(t.module), procname);
    if (t.own == nullptr) win::SetLastError(core::winapi_lasterror);
  }
}

void release(const Target& t) {
  if (t.slot == 0) {
    if (dllslot0 != 0) win::FreeLibrary(win::module_from(dllslot0));
    dllslot0 = 0;
    dllslot0name.blank();
  } else if (t.slot > 0) {
    std::uint32_t& h = core::winlibhandles[static_cast<std::size_t>(t.slot - 1)];
    if (h != 0) core::winapi_free(h);
    h = 0;
  }
}

// Element e of argument a in the buffer, as stored for its kind.
void putelement(std::vector<std::uint64_t>& buf, const Arg& a, std::int32_t e, double v) {
  char* p =
      reinterpret_cast<char*>(buf.data()) + a.offset + static_cast<std::int64_t>(e) * width(a.kw);
  if (a.kw == k::r4p) {
    const float f = static_cast<float>(v);
    std::memcpy(p, &f, 4);
  } else {
    const std::int64_t i = nearesti8(v);
    std::memcpy(p, &i, static_cast<std::size_t>(width(a.kw)));
  }
}
template <class T>
double load(const char* p) {
  T v;
  std::memcpy(&v, p, sizeof v);
  return static_cast<double>(v);
}
double getelement(const std::vector<std::uint64_t>& buf, const Arg& a, std::int32_t e) {
  const char* p = reinterpret_cast<const char*>(buf.data()) + a.offset +
                  static_cast<std::int64_t>(e) * width(a.kw);
  switch (a.kw) {
    case k::i1p:
      return load<std::int8_t>(p);
    case k::i2p:
      return load<std::int16_t>(p);
    case k::i4p:
      return load<std::int32_t>(p);
    case k::i8p:
      return load<std::int64_t>(p);
    case k::i1up:
      return load<std::uint8_t>(p);
    case k::i2up:
      return load<std::uint16_t>(p);
    case k::i4up:
      return load<std::uint32_t>(p);
    default:
      return load<float>(p);
  }
}

// The machine word of one argument (an R4 goes in f instead).
std::uint64_t argword(Arg& a, std::vector<std::uint64_t>& buf, float& f) {
  char* region = reinterpret_cast<char*>(buf.data()) + a.offset;
  const std::uint64_t regionaddr = reinterpret_cast<std::uintptr_t>(region);
  if (a.text) {
    if (a.count == 0) return 0;
    char* chars = &core::c1namen(a.first);
    if (a.constant) {
      std::memcpy(region, chars, static_cast<std::size_t>(a.count));
      region[a.count] = '\0';
      return regionaddr;
    }
    if (a.kw == k::char0p) {
      char* nul = std::find(chars, chars + a.count, '\0');
      std::fill(nul, chars + a.count, ' ');
      chars[a.count - 1] = '\0';
    }
    if (a.kw == k::strucp) {
      exec::STRUCTUPDATE(a.sym, 0);
      if (!core::msgkey.is_blank()) return 0;
      const std::int64_t at =
          a.first + static_cast<std::int64_t>(exec::structpage - 1) * exec::structreclen;
      if (core::c1namen.valid(at)) chars = &core::c1namen(at);
    }
    return reinterpret_cast<std::uintptr_t>(chars);
  }
  if (a.count == 0) return regionaddr;
  const double v = z(a.cell);
  if (byvalue(a.kw)) {
    switch (a.kw) {
      case k::i1:
        return static_cast<std::uint64_t>(
            static_cast<std::int64_t>(static_cast<std::int8_t>(nearesti2(v) & 0xFF)));
      case k::i2:
      case k::i1u:
        return static_cast<std::uint64_t>(static_cast<std::int64_t>(nearesti2(v)));
      case k::i4:
      case k::i2u:
        return static_cast<std::uint64_t>(static_cast<std::int64_t>(core::nearesti4(v)));
      case k::i4u:
        return static_cast<std::uint64_t>(nearesti8(v)) & 0xFFFFFFFFu;
      default:
        f = static_cast<float>(v);
        return 0;
    }
  }
  if (width(a.kw) > 0) {
    for (std::int32_t e = 0; e < a.count; ++e) putelement(buf, a, e, z(a.cell + e));
    return regionaddr;
  }
  // R8P and the text kinds given numbers: the cells themselves.
  if (a.constant) {
    std::memcpy(region, &z(a.cell), static_cast<std::size_t>(a.count) * 8);
    return regionaddr;
  }
  return reinterpret_cast<std::uintptr_t>(&z(a.cell));
}

// Calls with 24 machine words; returns the low 32 bits of the result and
// leaves the error word in the last-error word.
std::int32_t call24(const Target& t, const std::vector<Arg>& args,
                    const std::array<std::uint64_t, dllmaxargs>& words,
                    const std::array<float, dllmaxargs>& floats) {
  if (t.own != nullptr) {
    core::WinApiArgs a{};
    for (std::size_t i = 0; i < a.size(); ++i) {
      std::uint64_t w = words[i];
      if (i < args.size() && args[i].kw == k::r4 && !args[i].text) {
        std::uint32_t bits = 0;
        std::memcpy(&bits, &floats[i], 4);
        w = bits;
      }
      a[i] = static_cast<std::int64_t>(w);
    }
    core::winapi_lasterror = 0;
    const std::int64_t r = t.own(a);
    win::SetLastError(core::winapi_lasterror);
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(r));
  }
  std::array<ffi_type*, dllmaxargs> types{};
  std::array<void*, dllmaxargs> values{};
  std::array<std::uint64_t, dllmaxargs> ints = words;
  std::array<float, dllmaxargs> fl = floats;
  for (std::size_t i = 0; i < types.size(); ++i) {
    const bool single = i < args.size() && args[i].kw == k::r4 && !args[i].text;
    types[i] = single ? &ffi_type_float : &ffi_type_uint64;
    values[i] = single ? static_cast<void*>(&fl[i]) : static_cast<void*>(&ints[i]);
  }
  ffi_cif cif;
  if (ffi_prep_cif(&cif, FFI_DEFAULT_ABI, dllmaxargs, &ffi_type_uint64, types.data()) != FFI_OK) {
    win::SetLastError(win::ERROR_INVALID_PARAMETER);
    return 0;
  }
  ffi_arg result = 0;
  errno = 0;
  ffi_call(&cif, reinterpret_cast<void (*)()>(t.proc), &result, values.data());
  win::SetLastError(static_cast<win::DWORD>(errno));
  return static_cast<std::int32_t>(static_cast<std::uint32_t>(result));
}

// Converts the arguments back after a call that did not fail.
void convertback(const Statement& st, const std::vector<std::uint64_t>& buf) {
  for (const Arg& a : st.args) {
    if (a.constant || a.count == 0) continue;
    if (a.text) {
      if (a.kw == k::char0p) {
        char* chars = &core::c1namen(a.first);
        char* nul = std::find(chars, chars + a.count, '\0');
        std::fill(nul, chars + a.count, ' ');
      } else if (a.kw == k::strucp) {
        exec::STRUCTREAD(a.sym);
        if (!core::msgkey.is_blank()) return;
      }
      continue;
    }
    if (byvalue(a.kw) || width(a.kw) == 0) continue;
    for (std::int32_t e = 0; e < a.count; ++e) z(a.cell + e) = getelement(buf, a, e);
  }
}

}  // namespace

void DLLSTATEMENT() {
  core::msgkey.blank();
  dllmessage.blank();
  Statement st;
  if (!readoptions(st)) return;
  if (st.modsym == 0 || st.procsym == 0) {
    if (z.valid(core::iresult)) z(core::iresult) = 0.0;
    return;
  }
  Target t;
  resolve(st, t);
  bool failed = t.proc == nullptr && t.own == nullptr;
  std::int32_t result = 0;
  if (!failed) {
    std::vector<std::uint64_t> buf(static_cast<std::size_t>(st.bytes / 8 + 1), 0);
    std::array<std::uint64_t, dllmaxargs> words{};
    std::array<float, dllmaxargs> floats{};
    for (std::size_t i = 0; i < st.args.size(); ++i) {
      words[i] = argword(st.args[i], buf, floats[i]);
      if (!core::msgkey.is_blank()) break;  // a record that cannot be written
    }
    if (!core::msgkey.is_blank()) {
      release(t);
      const std::string key(core::msgkey.trimmed());
      dllcommon::fail(key, dllmessage.trimmed());
      return;
    }
    result = call24(t, st.args, words, floats);
    if (core::dllresult > 0)
      failed = (st.errifnot != notgiven && result != st.errifnot) ||
               (st.errif != notgiven && result == st.errif);
    if (!failed) convertback(st, buf);
  }
  if (st.unload || failed) release(t);
  if (failed) {
    const win::DWORD code = win::GetLastError();
    std::array<char, 256> text{};
    win::FormatMessageA(win::FORMAT_MESSAGE_FROM_SYSTEM, nullptr, code, 0, text.data(),
                        static_cast<win::DWORD>(text.size()), nullptr);
    dllmessage.set(std::to_string(code) + " " + text.data());
    result = static_cast<std::int32_t>(code);
    core::msgkey.set(core::MSGKEY("DLLWinSysErrCod"));
  }
  if (z.valid(core::iresult)) z(core::iresult) = result;
  if (!core::msgkey.is_blank()) {
    const std::string key(core::msgkey.trimmed());
    dllcommon::fail(key, dllmessage.trimmed());
  }
}

}  // namespace io
