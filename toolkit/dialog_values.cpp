#include "toolkit/dialog_values.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <string_view>

#include "platform/fixedfield.h"
#include "platform/win_cursor.h"
#include "platform/win_message_box.h"
#include "toolkit/helpers.h"
#include "toolkit/status.h"

namespace toolkit {

namespace {

struct kind_info {
  change_procedure converter;
  const char* read_format;
  const char* output_format;
};

kind_info info_of(std::uint32_t kind) {
  switch (kind & 0xFFFF) {
    case kKindInteger:
      return {INTEGER_TEXT_PROC, "(I30)", "(i10.1)"};
    case kKindHex:
      return {HEX_TEXT_PROC, "(z20)", "(z8.1)"};
    case kKindReal4:
      return {REAL4_TEXT_PROC, "(g30.0)", "(g13.5)"};
    case kKindReal8:
      return {REAL8_TEXT_PROC, "(g30.0)", "(g20.9)"};
    case kKindText:
      return {TEXT_KIND_PROC, nullptr, "(a)"};
    default:
      return {nullptr, nullptr, nullptr};
  }
}

// The descriptor of a format such as "(i10.1)": blanks and the opening
// parenthesis are skipped.
bool descriptor_of(std::string_view format, plat::EditDesc& desc) {
  std::size_t at = 0;
  while (at < format.size() && (format[at] == ' ' || format[at] == '(')) ++at;
  return at < format.size() && plat::parse_edit_desc(format, at, desc);
}

plat::EditDesc read_descriptor(std::uint32_t kind) {
  plat::EditDesc desc;
  descriptor_of(info_of(kind).read_format, desc);
  return desc;
}

plat::EditDesc output_descriptor(const dialog_t& item) {
  plat::EditDesc desc;
  if (!descriptor_of(item.format.trimmed(), desc))
    descriptor_of(info_of(item.value_kind).output_format, desc);
  return desc;
}

std::string write_integer(std::int64_t v, const plat::EditDesc& desc) {
  int status = plat::field_ok;
  std::string out = plat::put_integer(v, desc, 32, &status);
  if (status == plat::field_unsuited) out = plat::put_real(static_cast<double>(v), desc, &status);
  return status == plat::field_unsuited ? std::to_string(v) : out;
}

std::string write_real(double v, const plat::EditDesc& desc) {
  int status = plat::field_ok;
  std::string out = plat::put_real(v, desc, &status);
  if (status == plat::field_unsuited && std::isfinite(v) && std::fabs(v) < 9.2e18)
    out = plat::put_integer(static_cast<std::int64_t>(std::llround(v)), desc, 64, &status);
  if (status != plat::field_unsuited) return out;
  plat::EditDesc general;
  descriptor_of("(g20.9)", general);
  return plat::put_real(v, general);
}

// The field the read format looks at: the first `length` characters, cut
// to the format's width.
std::string_view field_of(const dialog_t& item, int length, const plat::EditDesc& desc) {
  std::size_t n = static_cast<std::size_t>(std::clamp(length, 0, 256));
  if (desc.width > 0) n = std::min(n, static_cast<std::size_t>(desc.width));
  return item.text.view().substr(0, n);
}

// Reads an integer text wider than 32 bits: a number too large for 64 bits
// reads as the largest of its sign, so the range check names the limit. A
// hexadecimal pattern of at most 32 bits is a 32-bit integer's pattern.
int read_integer(const dialog_t& item, int length, std::int64_t& value) {
  const plat::EditDesc desc = read_descriptor(item.value_kind);
  const std::string_view field = field_of(item, length, desc);
  int status = plat::get_integer(field, desc, value);
  if (status == plat::field_overflow) {
    const std::size_t first = field.find_first_not_of(' ');
    const bool negative = first != std::string_view::npos && field[first] == '-';
    value = negative ? std::numeric_limits<std::int64_t>::min()
                     : std::numeric_limits<std::int64_t>::max();
    status = plat::field_ok;
  }
  if (status == plat::field_ok && desc.letter == 'Z' && value >= 0 && value <= 0xFFFFFFFFLL)
    value = static_cast<std::int32_t>(static_cast<std::uint32_t>(value));
  return status;
}

int read_real(const dialog_t& item, int length, double& value) {
  const plat::EditDesc desc = read_descriptor(item.value_kind);
  return plat::get_real(field_of(item, length, desc), desc, value);
}

// Whether the first `length` characters can still become a real number:
// blanks, a sign, digits, a point, digits, an exponent letter, a sign,
// digits, blanks.
bool partial_real(const plat::FixedText<256>& text, int length) {
  const std::string_view t =
      text.view().substr(0, static_cast<std::size_t>(std::clamp(length, 0, 256)));
  std::size_t i = 0;
  const auto digits = [&] {
    while (i < t.size() && t[i] >= '0' && t[i] <= '9') ++i;
  };
  const auto one_of = [&](std::string_view set) {
    if (i < t.size() && set.find(t[i]) != std::string_view::npos) ++i;
  };
  while (i < t.size() && t[i] == ' ') ++i;
  one_of("+-");
  digits();
  one_of(".");
  digits();
  one_of("eEdD");
  one_of("+-");
  digits();
  while (i < t.size() && t[i] == ' ') ++i;
  return i == t.size();
}

void store_text(dialog_t& item, const std::string& written) {
  const std::size_t first = written.find_first_not_of(' ');
  item.text.set(first == std::string::npos ? std::string_view{}
                                           : std::string_view(written).substr(first));
}

void beep() { win::MessageBeep(0); }

void show_value_message(win::HWND window, const std::string& text, const char* caption) {
  const win::HWND saved = SUSPEND_BUSY_CURSOR();
  win::MessageBoxA(window, text.c_str(), caption, win::MB_ICONEXCLAMATION | win::MB_SETFOREGROUND);
  RESTORE_BUSY_CURSOR(saved, window);
}

// "Maximum value is " or "Minimum value is " and the limit as the item's
// format writes it, cut to 20 characters without trailing blanks.
void limit_message(win::HWND window, const char* which, std::string limit) {
  limit.resize(std::min<std::size_t>(limit.size(), 20));
  while (!limit.empty() && limit.back() == ' ') limit.pop_back();
  show_value_message(window, std::string(which) + limit, "Range Check Error");
}

// The three value forms behind one converter.
struct integer_form {
  static std::int64_t value(const dialog_t& d) { return d.integer_value; }
  static void store(dialog_t& d, std::int64_t v) { d.integer_value = static_cast<std::int32_t>(v); }
  // A step past the 64-bit range stops at its end.
  static std::int64_t stepped(std::int64_t v, int step, const dialog_t& d) {
    std::int64_t out = 0;
    if (__builtin_add_overflow(v, step * std::int64_t{d.integer_increment}, &out))
      out = v < 0 ? std::numeric_limits<std::int64_t>::min()
                  : std::numeric_limits<std::int64_t>::max();
    return out;
  }
  static std::int64_t maximum(const dialog_t& d) { return d.integer_max; }
  static std::int64_t minimum(const dialog_t& d) { return d.integer_min; }
  static int read(const dialog_t& d, int length, std::int64_t& v) {
    return read_integer(d, length, v);
  }
  static bool typed_ok(const dialog_t& d, int length) {
    std::int64_t v = 0;
    return read_integer(d, length, v) == plat::field_ok;
  }
  static std::string write(const dialog_t& d, std::int64_t v) {
    return write_integer(v, output_descriptor(d));
  }
  static int check(win::HWND& w, int& status, dialog_t& d, std::int64_t& v) {
    return CHECK_INTEGER_RANGE(w, status, d, v);
  }
};

template <bool Real4>
struct real_form {
  static double value(const dialog_t& d) { return Real4 ? d.real4_value : d.real8_value; }
  static void store(dialog_t& d, double v) {
    if (Real4)
      d.real4_value = static_cast<float>(v);
    else
      d.real8_value = v;
  }
  static double stepped(double v, int step, const dialog_t& d) {
    return v + step * (Real4 ? d.real4_increment : d.real8_increment);
  }
  static double maximum(const dialog_t& d) { return Real4 ? d.real4_max : d.real8_max; }
  static double minimum(const dialog_t& d) { return Real4 ? d.real4_min : d.real8_min; }
  static int read(const dialog_t& d, int length, double& v) { return read_real(d, length, v); }
  static bool typed_ok(const dialog_t& d, int length) { return partial_real(d.text, length); }
  static std::string write(const dialog_t& d, double v) {
    return write_real(v, output_descriptor(d));
  }
  static int check(win::HWND& w, int& status, dialog_t& d, double& v) {
    return Real4 ? CHECK_REAL4_RANGE(w, status, d, v) : CHECK_REAL8_RANGE(w, status, d, v);
  }
};

// One converter over a value form, by the item's event code.
template <class Form>
int convert(win::HWND& window, dialog_t* items, int& item_number) {
  dialog_t& item = items[item_number - 1];
  const int code = item.event_code;
  if (code == kEventInitial) {
    store_text(item, Form::write(item, Form::value(item)));
    return -1;
  }
  if (code >= kEventSpin && code <= 0x3FF) {
    const int step = (code & 0x100) != 0 ? (code & 0x1FF) - 0x200 : code & 0xFF;
    decltype(Form::value(item)) read = 0;
    if (Form::read(item, 256, read) != plat::field_ok) {
      beep();
      return -1;
    }
    auto next = Form::stepped(read, step, item);
    if (next > Form::maximum(item)) {
      next = Form::maximum(item);
      beep();
    } else if (next < Form::minimum(item)) {
      next = Form::minimum(item);
      beep();
    }
    Form::store(item, next);
    store_text(item, Form::write(item, Form::value(item)));
    return -1;
  }
  if (code == kEventChanged) {
    if (Form::typed_ok(item, item.text_length)) return -1;
    beep();
    int n = item.text_length;
    for (; n > 1; --n)
      if (Form::typed_ok(item, n)) break;
    item.text_length = std::max(n, 1);
    return 0;
  }
  if (code == kEventCommit) {
    decltype(Form::value(item)) read = 0;
    int status = Form::read(item, 256, read);
    return Form::check(window, status, item, read);
  }
  return -1;
}

// The range check of one form: the maximum first, so that a value that is
// neither below nor at the maximum (a not-a-number) gets its message.
template <class Form, class V>
int check_range(win::HWND window, int status, dialog_t& item, V value) {
  if (status != 0) {
    show_value_message(window, "Invalid format", "Conversion Error");
    return 0;
  }
  if (!(value <= Form::maximum(item))) {
    limit_message(window, "Maximum value is ", Form::write(item, Form::maximum(item)));
    Form::store(item, Form::maximum(item));
    return 0;
  }
  if (value < Form::minimum(item)) {
    limit_message(window, "Minimum value is ", Form::write(item, Form::minimum(item)));
    Form::store(item, Form::minimum(item));
    return 0;
  }
  Form::store(item, value);
  return -1;
}

}  // namespace

change_procedure converter_of(std::uint32_t kind) { return info_of(kind).converter; }

void SET_VALUE_KIND(dialog_t& item, std::uint32_t kind, const char* format, int format_length) {
  item.value_kind = kind;
  const std::uint32_t low = kind & 0xFFFF;
  const kind_info info = info_of(kind);
  if (info.converter == nullptr && low != kKindOwnText) return;
  if (info.converter != nullptr) item.text_proc = info.converter;
  if (format != nullptr)
    item.format.set(std::string_view(format, static_cast<std::size_t>(std::max(format_length, 0))));
  else if (info.output_format != nullptr)
    item.format.set(info.output_format);
  else
    item.format.blank();
}

void SET_PROCEDURES(dialog_t& item, const std::uint32_t* kind, const char* format,
                    int format_length, change_procedure change_proc) {
  if (kind != nullptr && *kind != 0) {
    SET_VALUE_KIND(item, *kind, format, format_length);
    if (change_proc == nullptr) return;
    if ((*kind & kKindOwnText) != 0) {
      item.text_proc = change_proc;
      item.value_proc = nullptr;
    } else {
      item.value_proc = change_proc;
    }
  } else if (change_proc != nullptr) {
    item.text_proc = change_proc;
  }
}

int INTEGER_TEXT_PROC(win::HWND& window, dialog_t* items, int& item_number) {
  return convert<integer_form>(window, items, item_number);
}

int HEX_TEXT_PROC(win::HWND& window, dialog_t* items, int& item_number) {
  return convert<integer_form>(window, items, item_number);
}

int REAL4_TEXT_PROC(win::HWND& window, dialog_t* items, int& item_number) {
  return convert<real_form<true>>(window, items, item_number);
}

int REAL8_TEXT_PROC(win::HWND& window, dialog_t* items, int& item_number) {
  return convert<real_form<false>>(window, items, item_number);
}

int TEXT_KIND_PROC(win::HWND&, dialog_t*, int&) { return -1; }

int CHECK_INTEGER_RANGE(win::HWND& window, int& status, dialog_t& item, std::int64_t& value) {
  return check_range<integer_form>(window, status, item, value);
}

int CHECK_REAL4_RANGE(win::HWND& window, int& status, dialog_t& item, double& value) {
  return check_range<real_form<true>>(window, status, item, value);
}

int CHECK_REAL8_RANGE(win::HWND& window, int& status, dialog_t& item, double& value) {
  return check_range<real_form<false>>(window, status, item, value);
}

bool IS_PARTIAL_REAL(const dialog_t& item) { return partial_real(item.text, item.text_length); }

}  // namespace toolkit
