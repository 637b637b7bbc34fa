// What dialog controls are bound to: references of dialog texts resolved to
// parameters, elements and parts of texts, the program's own settings by
// kind and index, values read and stored by kind, controls found by id.
#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <string>

#include "core/runwords.h"
#include "core/stores.h"
#include "core/symbols.h"
#include "exec/builtins.h"
#include "exec/settingrefs.h"
#include "exec/windowlist.h"
#include "exec/windowwords.h"
#include "support/script_folder.h"
#include "ui/bindings.h"
#include "ui/dialogs.h"
#include "ui/dialogwords.h"

namespace {

class Bindings : public testsupport::ScriptInFolder {
 protected:
  void SetUp() override {
    ScriptInFolder::SetUp();
    ui::reset_dialogs();
    exec::reset_settingrefs();
    ASSERT_EQ(run("CHARACTER T*10\nDIMENSION A(4)\nT = 'abcdefghij'\nA(1) = 11\nA(2) = 12\n"
                  "A(3) = 13\nA(4) = 14\nB = 2\nC = 3\n"),
              "T='abcdefghij'\nA=(11,12,13,14)\nB=2\nC=3\nstop=-1\n");
    t = symbol("T");
    a = symbol("A");
    b = symbol("B");
    c = symbol("C");
  }
  void TearDown() override {
    exec::reset_windowlist();
    exec::reset_settingrefs();
    ScriptInFolder::TearDown();
  }
  static std::int32_t symbol(std::string_view n) {
    std::int32_t k = 0;
    EXPECT_TRUE(core::FINDSN(n, k, 0x400)) << n;
    return k;
  }
  // Resolves the reference after "*" in the text (from position 2).
  ui::Resolved resolve(std::string_view text, ui::RefState& state, std::vector<std::int32_t> args,
                       bool ok = true) {
    ui::Resolved r;
    std::int32_t to = 0;
    EXPECT_EQ(ui::FINDADR(text, 2, to, state, static_cast<std::int32_t>(args.size()), args, r), ok)
        << text;
    return r;
  }
  std::int32_t t = 0, a = 0, b = 0, c = 0;
};

TEST_F(Bindings, ReferencesStepThroughParametersAndElements) {
  ui::RefState s;
  EXPECT_EQ(resolve("*", s, {b, c, a}).where.sym, b);
  EXPECT_EQ(resolve("*", s, {b, c, a}).where.sym, c);
  const ui::Resolved third = resolve("*", s, {b, c, a});
  EXPECT_EQ(third.kind, ui::ck::element);
  EXPECT_EQ(third.value, 11.0);
  EXPECT_EQ(third.length, 4);
  // After an index, a bare reference is the next element of that parameter.
  ui::RefState e;
  const ui::Resolved second = resolve("*1.2", e, {a});
  EXPECT_EQ(second.value, 12.0);
  EXPECT_EQ(second.length, 3);
  const ui::Resolved next = resolve("*", e, {a});
  EXPECT_EQ(next.value, 13.0);
  EXPECT_EQ(ui::cellof(next.where), ui::cellof(second.where) + 1);
  // An index below 1 counts as 1.
  ui::RefState z;
  EXPECT_EQ(resolve("*1.0", z, {a}).value, 11.0);
}

TEST_F(Bindings, TextReferencesStayInsideTheirText) {
  ui::RefState s;
  const ui::Resolved part = resolve("*1.5:7", s, {t});
  EXPECT_EQ(part.kind, ui::ck::character);
  EXPECT_EQ(part.length, 3);
  EXPECT_EQ(ui::valuetext.trimmed(), "efghij");
  const std::span<char> chars = ui::charsof(part.where, part.length);
  EXPECT_EQ(std::string(chars.data(), chars.size()), "efg");
  // An end past the text stops at its last character; a start below 1 is 1.
  ui::RefState e;
  EXPECT_EQ(resolve("*1.8:40", e, {t}).length, 3);
  ui::RefState m;
  const ui::Resolved low = resolve("*1.-4:2", m, {t});
  EXPECT_EQ(low.where.offset, 0);
  EXPECT_EQ(low.length, 2);
  ui::RefState f;
  resolve("*1.11", f, {t}, false);
  EXPECT_EQ(ui::valuetext.trimmed(), "String index 11 beyond string end");
  EXPECT_EQ(ui::dlgadrerror, 11);
  ui::RefState g;
  resolve("*1.5", g, {a}, false);
  EXPECT_EQ(ui::valuetext.trimmed(), "Array index 5 beyond array end");
  ui::RefState h;
  resolve("*3", h, {b, c}, false);
  EXPECT_EQ(ui::valuetext.trimmed(), "No Parameter Nr 3| in Parameter list");
  EXPECT_EQ(ui::dlgadrerror, 3);
  // Numbers beyond any store are held at 2^30: the reference after one
  // names the next parameter or element from there.
  ui::RefState n;
  resolve("*2147483647", n, {b}, false);
  resolve("*", n, {b}, false);
  EXPECT_EQ(ui::valuetext.trimmed(), "No Parameter Nr 1073741825| in Parameter list");
  ui::RefState x;
  resolve("*1.2147483647", x, {a}, false);
  resolve("*", x, {a}, false);
  EXPECT_EQ(ui::valuetext.trimmed(), "Array index 1073741825 beyond array end");
}

TEST_F(Bindings, AnExpressionsResultIsShownButNotBound) {
  core::name(c).type = 0x88;  // a temporary number
  ui::RefState s;
  const ui::Resolved r = resolve("*", s, {c});
  EXPECT_EQ(r.value, 3.0);
  EXPECT_FALSE(r.where.bound());
}

TEST_F(Bindings, TheProgramsOwnSettingsByKindAndIndex) {
  exec::initialcolours();
  double value = 0.0;
  std::int32_t type = 0, length = 0;
  exec::BoundRef where;
  ASSERT_TRUE(exec::ABSOLUTEADRESS(-1, 34, value, type, length, where));
  EXPECT_EQ(value, exec::colnum(34));
  EXPECT_EQ(type, exec::rawtype::i4);
  value = 77.0;
  type = 5;
  EXPECT_FALSE(exec::ABSOLUTEADRESS(-1, 35, value, type, length, where));
  EXPECT_EQ(value, 77.0);
  EXPECT_EQ(type, 5);
  EXPECT_FALSE(exec::ABSOLUTEADRESS(-4, 127, value, type, length, where));
  EXPECT_FALSE(exec::ABSOLUTEADRESS(-3, 26, value, type, length, where));
  EXPECT_FALSE(exec::ABSOLUTEADRESS(-2, 3, value, type, length, where));
  ASSERT_TRUE(exec::ABSOLUTEADRESS(-2, 1, value, type, length, where));
  EXPECT_EQ(type, exec::rawtype::text);
  EXPECT_EQ(length, 256);
  exec::printsrc = 1;
  ASSERT_TRUE(exec::ABSOLUTEADRESS(-2, 2, value, type, length, where));
  EXPECT_EQ(value, 1.0);
  exec::edoptions[24] = 9;
  ASSERT_TRUE(exec::ABSOLUTEADRESS(-3, 25, value, type, length, where));
  EXPECT_EQ(value, 9.0);

  // A palette component of 160 reads as -96 and is written back as 160.
  exec::rgbtab(2) = 0x0000A0u << 8;
  ASSERT_TRUE(exec::ABSOLUTEADRESS(-4, 9, value, type, length, where));
  EXPECT_EQ(value, -96.0);
  EXPECT_EQ(type, exec::rawtype::i1);
  exec::ctlrec control;
  control.ctlkind = ui::ck::rawi1;
  control.ctlbind = where;
  exec::ctlcur = &control;
  ui::SETMEMORY(where, -95.6, {});
  EXPECT_EQ(exec::rgbtab(2), 0x0000A0u << 8);
  exec::ctlcur = nullptr;

  // Kind -5: reals k times 1.001 in the result cell's array.
  core::iresult = core::nsym + 1;
  ASSERT_TRUE(exec::ABSOLUTEADRESS(-5, 3, value, type, length, where));
  EXPECT_EQ(type, exec::rawtype::realarray);
  EXPECT_EQ(length, 3);
  EXPECT_DOUBLE_EQ(core::z(ui::cellof({0, where.sym, 2})), 3.003);
  EXPECT_FALSE(exec::ABSOLUTEADRESS(-5, core::nztop, value, type, length, where));
}

TEST_F(Bindings, ValuesAreReadAndStoredByTheirKind) {
  std::int32_t status = 0;
  exec::NEWWINDOW(status, nullptr, 1);
  exec::wdwrec* w = exec::wdwcur;
  auto* first = new exec::ctlrec;
  auto* twin = new exec::ctlrec;
  first->ctlid = twin->ctlid = 1001;
  first->ctlnext = twin;
  w->firstcontrol = first;
  std::int32_t position = -1;
  EXPECT_EQ(ui::WINDOWITEM(nullptr, 1001, position), nullptr);
  EXPECT_EQ(position, 0);
  w->window = reinterpret_cast<win::HWND>(0x4711);
  EXPECT_EQ(ui::WINDOWITEM(w->window, 1001, position), first);
  EXPECT_EQ(position, 1);
  EXPECT_EQ(ui::WINDOWITEM(w->window, 1999, position), nullptr);
  EXPECT_EQ(position, 2);

  // A text kept in the control is not written back by SETMEMORY.
  first->ctlkind = ui::ck::character | ui::ck::buffered;
  first->ctlbind = {0, t, 0};
  first->ctllen = 10;
  exec::ctlcur = first;
  ui::SETMEMORY(first->ctlbind, 0.0, "zzz");
  EXPECT_EQ(std::string(ui::charsof(first->ctlbind, 10).data(), 10), "abcdefghij");
  first->ctlkind = ui::ck::character;
  ui::SETMEMORY(first->ctlbind, 0.0, "zzz");
  EXPECT_EQ(std::string(ui::charsof(first->ctlbind, 10).data(), 10), "zzz       ");

  // The program's own storage of a dialog bound to memory.
  w->nowriteback = 1;
  std::array<std::int16_t, 3> halves{1, -2, 3};
  std::array<float, 2> singles{};
  std::array<std::int8_t, 2> bytes{};
  exec::parameters[1] = std::as_writable_bytes(std::span(halves));
  exec::parameters[3] = std::as_writable_bytes(std::span(singles));
  exec::parameters[0] = std::as_writable_bytes(std::span(bytes));
  first->ctlkind = ui::ck::rawi2;
  first->ctlbind = {exec::progarray::firstparameter + 1, 0, 2};
  double v = 0.0;
  std::array<char, 8> text{};
  ASSERT_TRUE(ui::GETMEMORY(v, text));
  EXPECT_EQ(v, -2.0);
  first->ctlkind = ui::ck::rawr4;
  first->ctlbind = {exec::progarray::firstparameter + 3, 0, 4};
  ui::SETMEMORY(first->ctlbind, 1.0 / 3.0, {});
  EXPECT_EQ(singles[1], 1.0F / 3.0F);
  first->ctlkind = ui::ck::rawi1;
  first->ctlbind = {exec::progarray::firstparameter, 0, 1};
  ui::SETMEMORY(first->ctlbind, -7.6, {});
  EXPECT_EQ(bytes[1], -8);
  // Past its array a reference reads and writes nothing.
  first->ctlbind.offset = 2;
  ui::SETMEMORY(first->ctlbind, 5.0, {});
  EXPECT_FALSE(ui::GETMEMORY(v, text));
  w->window = nullptr;
}

TEST(SpinnerStep, StepsToTheNextRoundValueOfTheFieldsLastDigit) {
  std::int32_t e = 0;
  EXPECT_DOUBLE_EQ(ui::spinnerstep(12.34, 1.0, 1, 8, e), 20.0);
  EXPECT_DOUBLE_EQ(ui::spinnerstep(12.34, 1.0, -1, 8, e), 10.0);
  EXPECT_DOUBLE_EQ(ui::spinnerstep(10.0, 1.0, -1, 8, e), 9.0);
  EXPECT_DOUBLE_EQ(ui::spinnerstep(0.0, 1.0, 1, 8, e), 0.1);
  EXPECT_EQ(e, -1);
  // An increment below one half steps by 1.
  EXPECT_DOUBLE_EQ(ui::spinnerstep(0.0, 0.1, 1, 8, e), 1.0);
  EXPECT_DOUBLE_EQ(ui::spinnerstep(20.0, 1.0, 1, 8, e), 30.0);
  EXPECT_DOUBLE_EQ(ui::spinnerstep(-12.34, 1.0, 1, 8, e), -10.0);
  EXPECT_DOUBLE_EQ(ui::spinnerstep(150.0, 2.0, 1, 8, e), 160.0);
}

}  // namespace
