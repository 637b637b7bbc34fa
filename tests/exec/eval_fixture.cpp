#include "exec/eval_fixture.h"

#include "core/chars.h"
#include "core/rawmem.h"
#include "core/runwords.h"
#include "core/stores.h"
#include "support/stores_fixture.h"
#include "core/symbols.h"
#include "exec/operands.h"
#include "exec/postfix.h"
#include "exec/tempstrings.h"
#include "exec/xeq2.h"
#include "platform/win_message_box.h"

namespace evaltest {

using namespace core;

void setup(std::int32_t nc1) {
  storetest::setup(8000, 256, nc1, 2000);
  exec::reset_xeq2();
  exec::reset_tempstrings();
  exec::reset_operands();
  exec::reset_postfix();
  plat::reset_message_boxes();
  for (std::string_view nm : {"$", "$$", "$R", "$C", "$1", "$2"}) storetest::addsym(nm, 0x80);
  FPUERROR(-1);
}

std::int32_t number(std::string_view nm, double v) {
  const std::int32_t k = storetest::addsym(nm, 0x80);
  z(k) = v;
  return k;
}

std::int32_t constant(double v) {
  const std::int32_t k = storetest::addsym("1", 0x81);
  z(k) = v;
  return k;
}

std::int32_t text(std::string_view nm, std::string_view t) { return storetest::addcharvar(nm, t); }

std::int32_t array(std::string_view nm, std::int32_t rows, std::int32_t cols,
                   const std::vector<double>& v) {
  const std::int32_t k = storetest::addarray(nm, rows, cols);
  for (std::size_t i = 0; i < v.size(); ++i) z(name(k).adr + static_cast<std::int32_t>(i)) = v[i];
  return k;
}

std::vector<double> values(std::int32_t arr) {
  std::int32_t rows = 0, cols = 0;
  TRANSFERR8TO2I4(z(arr), rows, cols);
  std::vector<double> out;
  for (std::int32_t i = 0; i < rows * cols; ++i) out.push_back(z(name(arr).adr + i));
  return out;
}

void temp(std::int32_t k, std::string_view t) {
  if (c1tmptop < c1top) c1tmptop = c1top;
  const std::int32_t first = c1tmptop + 1;
  for (char c : t) c1namen(++c1tmptop) = c;
  exec::tmpbeg(k) = exec::tmporig(k) = first;
  exec::tmpend(k) = first + static_cast<std::int32_t>(t.size()) - 1;
  exec::tmporig(0) = c1tmptop + 1;
  exec::descrkind[static_cast<std::size_t>(k)] = exec::DescrKind::string;
}

std::string temptext(std::int32_t k) {
  std::string s;
  for (std::int32_t p = exec::tmpbeg(k); p <= exec::tmpend(k); ++p) s += c1namen(p);
  return s;
}

void statement() {
  iresult = nsym + 1;
  c1tmptop = c1top;
  exec::xeqexpr.tmpcell0 = iresult + 1;
  exec::xeqexpr.nelem = 1;
  exec::xeqexpr.ielem = 1;
}

Linked& Linked::descr(unsigned kind, std::int32_t sym) {
  words.push_back(static_cast<std::int16_t>(kind));
  vals.push_back(sym);
  ++ndescr;
  return *this;
}

Linked& Linked::w(unsigned code, std::int32_t value) {
  words.push_back(static_cast<std::int16_t>(code));
  vals.push_back(value);
  return *this;
}

Linked& Linked::num(std::int32_t sym) { return w(static_cast<std::uint16_t>(name(sym).type), sym); }

Linked& Linked::split() {
  header = static_cast<std::int32_t>(words.size());
  return *this;
}

std::int32_t Linked::run() {
  if (header == 0) header = ndescr;
  vals[0] = header;
  exec::xeqexpr.ndescr = ndescr;
  std::int32_t n = static_cast<std::int32_t>(words.size());
  std::int32_t cap = 8 * n + 64;
  std::vector<std::int32_t> v(static_cast<std::size_t>(cap), 0);
  for (std::size_t i = 0; i < vals.size(); ++i) v[i] = vals[i];
  std::vector<std::int16_t> ws = words;
  std::int32_t hdr = header;
  return exec::XEQ3(ws, n, v, cap, hdr);
}

std::int32_t resultcell() { return exec::xeqexpr.tmpcell0; }

}  // namespace evaltest
