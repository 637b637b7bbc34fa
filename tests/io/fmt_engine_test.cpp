// The transfer engine over one record, called item after item as READ and
// WRITE call it: the walk of the format across calls and the field
// conversions at their edges.
#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstring>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "io/rwfields.h"
#include "io/rwindx.h"
#include "io/rwtexts.h"
#include "platform/fixedfield.h"

using namespace io;

namespace {

// One record and its cursor.
struct Record {
  std::string fmt;
  std::string rec;
  std::int32_t tpos = 0, fpos = 1, irep = 1, ordinal = 0;
  char letter = ' ', status = ' ';

  Record(std::string f, std::size_t len, char fill = ' ') : fmt(std::move(f)), rec(len, fill) {
    reset_rwindx();
  }
  void call(char dir, std::span<char> text, double& v) {
    letter = dir;
    RWINDX(fmt, static_cast<std::int32_t>(fmt.size()), rec, static_cast<std::int32_t>(rec.size()),
           ordinal + 1, text, v, letter, tpos, fpos, irep, status);
    if (rwindxstate.served) ++ordinal;
  }
  char put(double v) {
    call('W', {}, v);
    return status;
  }
  char put(std::string text) {
    double v = 0;
    call('W', text, v);
    return status;
  }
  double get() {
    double v = -1;
    call('R', {}, v);
    return v;
  }
  std::string gettext(std::size_t n) {
    std::string t(n, '#');
    double v = 0;
    call('R', t, v);
    return t;
  }
  std::string written() const { return rec.substr(0, static_cast<std::size_t>(tpos)); }
};

std::string bytes(const std::string& s, std::size_t n) { return s.substr(0, n); }

}  // namespace

TEST(FormatEngine, BlankFormatsAndStandardFormats) {
  Record r("   ", 20);
  r.rec = "hello 3.5 x";
  EXPECT_EQ(r.gettext(5), "hello");
  EXPECT_EQ(r.letter, 'A');
  EXPECT_EQ(r.get(), 3.5);  // a free-field number
  EXPECT_EQ(r.letter, 'F');
  EXPECT_EQ(r.fmt, "   ");  // the caller's format stays blank

  Record s("std(F8.3)", 12);
  EXPECT_EQ(s.put(3.14159), ' ');
  EXPECT_EQ(s.rec.substr(0, 8), "   3.142");
  EXPECT_EQ(s.letter, 'E');
  EXPECT_EQ(s.tpos, 8);
  Record t("std(I5)", 5);
  t.put(42.6);
  EXPECT_EQ(t.rec, "   43");
  Record u("std(I5)", 8);
  u.rec = "  -17   ";
  EXPECT_EQ(u.get(), -17);
  Record k("std(I3,I3)", 2);
  EXPECT_EQ(k.put(1), 'K');  // the record is shorter than the format writes
}

TEST(FormatEngine, GroupsRepeatsAndTheSpentFormat) {
  Record r("2(I3)", 20);
  for (double v : {1, 2}) EXPECT_EQ(r.put(v), ' ');
  // The third item meets the spent group: no transfer, the format spent.
  double v3 = 3;
  r.call('W', {}, v3);
  EXPECT_FALSE(rwindxstate.served);
  EXPECT_GT(r.fpos, 5);
  r.put(3.0);  // the next call starts the format again
  EXPECT_TRUE(rwindxstate.served);
  EXPECT_EQ(r.written(), "  1  2  3");

  Record open("(5X", 10);
  EXPECT_EQ(open.put(1), '6');
  Record close("I3)", 10);
  EXPECT_EQ(close.put(1), ' ');
  EXPECT_EQ(close.put(2), '1');

  Record eight("((((((((I3))))))))", 6);
  EXPECT_EQ(eight.put(5), ' ');
  Record nine("(((((((((I3)))))))))", 6);
  EXPECT_EQ(nine.put(5), '1');
  EXPECT_EQ(nine.rec, "      ");  // nothing written past the stacks

  Record slash("I3/I3", 10);
  slash.put(1);
  EXPECT_EQ(slash.letter, '/');
  Record skip("5X,I3", 10, '#');
  skip.put(7);
  EXPECT_EQ(skip.written(), "       7");
  Record rep("3I2,A2", 10);
  for (double v : {1, 2, 3}) rep.put(v);
  rep.put("ab");
  EXPECT_EQ(rep.written(), " 1 2 3ab");
  Record empty("()", 10);
  EXPECT_EQ(empty.put(1), '6');  // an empty group repeated ends the walk
}

TEST(FormatEngine, RoomAndLiterals) {
  Record r("F10.2", 8);
  r.rec = "    1.25";
  r.get();
  EXPECT_EQ(r.status, '3');
  Record w("I5,I5", 7);
  w.put(1);
  EXPECT_EQ(w.put(123), '9');  // writing shrinks the field to the room left
  EXPECT_EQ(w.written(), "    1**");
  EXPECT_EQ(w.put(4), '3');

  Record lit("'x=',I2,' cm'", 12);
  lit.put(5);
  lit.letter = 'w';
  double none = 0;
  lit.call('w', {}, none);
  EXPECT_EQ(lit.written(), "x= 5 cm");
  Record lit2("(I2,' cm')", 12);
  lit2.put(1);
  lit2.put(2);  // the literal does not take the item
  EXPECT_EQ(lit2.written(), " 1 cm 2");
}

TEST(FieldConversions, NumbersWritten) {
  struct Case {
    const char* fmt;
    double v;
    const char* out;
    char status;
  } cases[] = {
      {"I5", 2.7, "    2", ' '},
      {"I5", -2.7, "   -2", ' '},
      {"B8", -1.0, "********", ' '},  // B shows stars and goes on
      {"B4", 255.0, "****", ' '},
      {"B8", NAN, "********", '8'},
      {"B8", 5, "     101", ' '},
      {"I5", 1.0e30, "*****", '8'},
      {"I10", NAN, "********  ", '8'},
      {"I5", 123456.0, "*****", '9'},
      {"Z4", 255, "  FF", ' '},
      {"O4", 8, "  10", ' '},
      {"F6.2", 3.14159, "  3.14", ' '},
      {"F8", 1.5, "1.5     ", ' '},  // no decimals: the plain writer
      {"E10.3", 1234.5, " 0.123E+04", ' '},
      {"ES10.3", 1234.5, " 1.235E+03", ' '},
      {"G10.3", 2.5, "  2.50    ", ' '},
      {"L3", 2, "  T", ' '},
      {"L3", 0, "  F", ' '},
  };
  for (const Case& c : cases) {
    Record r(c.fmt, std::strlen(c.out));
    EXPECT_EQ(r.put(c.v), c.status) << c.fmt << " " << c.v;
    EXPECT_EQ(r.rec, c.out) << c.fmt << " " << c.v;
  }
}

TEST(FieldConversions, NumbersRead) {
  Record blank("F8.2", 8);
  EXPECT_EQ(blank.get(), 0.0);
  EXPECT_EQ(blank.status, ' ');
  Record abc("F8.2", 8);
  abc.rec = "abc     ";
  abc.get();
  EXPECT_EQ(abc.status, 'F');
  EXPECT_EQ(rwdetail.trimmed(), "\"abc\" is incompatible with FMT = \"(F8.2)\"");
  Record loose("F8.2", 8);
  loose.rec = " 1.5kg  ";  // the standard conversion fails, the plain reader not
  EXPECT_EQ(loose.get(), 1.5);
  Record ints("I3,Z2,B3,L2", 10);
  ints.rec = " -4ff101 T";
  EXPECT_EQ(ints.get(), -4);
  EXPECT_EQ(ints.get(), 255);
  EXPECT_EQ(ints.get(), 5);
  EXPECT_EQ(ints.get(), 1);
  Record bad("I3", 3);
  bad.rec = "1.5";
  bad.get();
  EXPECT_EQ(bad.status, 'F');
  Record letter("A2", 2);
  letter.get();
  EXPECT_EQ(letter.status, '5');
  EXPECT_EQ(rwdetail.trimmed(), "A");
}

TEST(FieldConversions, BinaryFields) {
  Record r("i1,i2,i4,i8,iu4,fb8,fb4", 31);
  for (double v : {300.0, -2.0, 70000.0, -5.0, 4294967295.0, 0.1, 1.5}) EXPECT_EQ(r.put(v), ' ');
  EXPECT_EQ(static_cast<unsigned char>(r.rec[0]), 44);  // 300 modulo 256
  EXPECT_EQ(bytes(r.rec.substr(1), 2), std::string("\xFE\xFF", 2));
  std::int32_t i4 = 0;
  std::memcpy(&i4, r.rec.data() + 3, 4);
  EXPECT_EQ(i4, 70000);
  std::int64_t i8 = 0;
  std::memcpy(&i8, r.rec.data() + 7, 8);
  EXPECT_EQ(i8, -5);
  r.tpos = 0;
  r.fpos = 1;
  r.ordinal = 0;
  EXPECT_EQ(r.get(), 44);
  EXPECT_EQ(r.get(), -2);
  EXPECT_EQ(r.get(), 70000);
  EXPECT_EQ(r.get(), -5);
  EXPECT_EQ(r.get(), 4294967295.0);
  EXPECT_EQ(r.get(), 0.1);
  EXPECT_EQ(r.get(), 1.5);

  Record big("i2", 2);
  EXPECT_EQ(big.put(70000), '8');
  Record w4("i4", 4);
  EXPECT_EQ(w4.put(2147483648.0), '8');
  Record u2("iu2", 2);
  EXPECT_EQ(u2.put(-1), '8');
  Record w8("i8", 8);
  EXPECT_EQ(w8.put(9223372036854775808.0), '8');
  Record three("i3", 3);
  EXPECT_EQ(three.put(1), 'G');
  Record f2("fb2", 2);
  EXPECT_EQ(f2.put(1), 'G');
  Record nan("fb8", 8);
  const double q = std::nan("");
  std::memcpy(nan.rec.data(), &q, 8);
  EXPECT_EQ(nan.get(), 0.0);
  EXPECT_EQ(nan.status, 'H');
}

TEST(FieldConversions, TextsAndFreeField) {
  Record wrap("A10/", 60);
  wrap.put(std::string(10, 'a') + std::string(10, 'b') + "ccccc");
  EXPECT_EQ(wrap.written(), "aaaaaaaaaa\r\nbbbbbbbbbb\r\nccccc\r\n");
  Record cut("A10/", 23);
  EXPECT_EQ(cut.put(std::string(25, 'x')), '3');
  EXPECT_EQ(cut.written(), "xxxxxxxxxx\r\nxxxxxxxxxx");  // no room for its CR LF

  Record free("", 40);
  free.put(1.5);
  free.put(-2.0);
  EXPECT_EQ(free.written(), "1.5 -2 ");
  Record after("A3", 40);
  after.put("abc");
  after.fmt = "";
  after.put(7.0);
  EXPECT_EQ(after.written(), "abc 7 ");  // a blank is put before the number

  Record right("I6", 6);
  right.put("ab");
  EXPECT_EQ(right.rec, "    ab");
  Record dump("2Z2", 20);
  dump.put("AB\x01");
  EXPECT_EQ(dump.written(), "4142\r\n");  // whole groups only
  Record mism("I3", 3);
  mism.gettext(3);
  EXPECT_EQ(mism.status, 'M');
  Record nul("A3", 3);
  nul.put(std::string("a\0b", 3));
  EXPECT_EQ(nul.rec, "a.b");
}

TEST(FormatEngine, Templates) {
  Record semi(";", 20);
  semi.put("ab  ");
  semi.put(1.5);
  EXPECT_EQ(semi.written(), "ab;1.5;");
  Record csv(",", 20);
  csv.rec = "x,2.5,,7";
  EXPECT_EQ(csv.gettext(3), "x  ");
  EXPECT_EQ(csv.get(), 2.5);
  EXPECT_EQ(csv.gettext(3), "   ");
  EXPECT_EQ(csv.get(), 7);
  Record two(",;", 20);
  two.rec = "\"q,r\",x";
  EXPECT_EQ(two.gettext(3), "q,r");  // the separator inside the quotes does not count
  Record quoted("||,", 20);
  quoted.put("ab ");
  quoted.put(2.0);
  EXPECT_EQ(quoted.written(), "|ab|,|2|,");
  Record pic("Name: |Name L    | Age: |  R|", 40);
  pic.put("Fred");
  pic.put("42");
  double none = 0;
  pic.call('w', {}, none);
  EXPECT_EQ(pic.written(), "Name: |Fred      | Age: | 42|");
  Record back("Name: |Name L    | Age: |  R|", 40);
  back.rec = "Name: |Anne      | Age: | 37|";
  EXPECT_EQ(back.gettext(4), "Anne");
  EXPECT_EQ(back.gettext(3), " 37");
  Record num("<12.3>", 20);
  num.put(3.14159);
  EXPECT_EQ(num.written(), "< 3.1");
}

// Random formats against random items: the engine stays inside the
// record and the item, and returns.
TEST(FormatEngine, RandomFormatsStayInsideRecordAndItem) {
  std::mt19937 rng(32);
  const std::string alphabet = "AEFGBIOZLUXaif0123456789.,/()'\" ;|<>-+uUbBnNsSe";
  for (int k = 0; k < 3000; ++k) {
    std::string fmt;
    const int n = static_cast<int>(rng() % 12);
    for (int i = 0; i < n; ++i) fmt.push_back(alphabet[rng() % alphabet.size()]);
    const std::size_t len = rng() % 24;
    std::string guarded(len + 16, '\x7F');
    std::span<char> rec(guarded.data() + 8, len);
    std::fill(rec.begin(), rec.end(), 'r');
    reset_rwindx();
    std::int32_t tpos = 0, fpos = 1, irep = 1;
    for (int item = 1; item <= 6; ++item) {
      std::string text(rng() % 4 == 0 ? 0 : 1 + rng() % 6, 't');
      std::string guardt = "\x7F\x7F" + text + "\x7F\x7F";
      std::span<char> t(guardt.data() + 2, text.size());
      double v = (static_cast<double>(rng() % 2000) - 1000) / 7;
      char letter = rng() % 2 ? 'W' : 'R', status = ' ';
      RWINDX(fmt, static_cast<std::int32_t>(fmt.size()), rec, static_cast<std::int32_t>(len), item,
             t, v, letter, tpos, fpos, irep, status);
      ASSERT_EQ(guardt.substr(0, 2), "\x7F\x7F") << fmt;
      ASSERT_EQ(guardt.substr(guardt.size() - 2), "\x7F\x7F") << fmt;
      if (status != ' ' && status != 'a') {
        tpos = 0;
        fpos = 1;
        irep = 1;
      }
    }
    ASSERT_EQ(guarded.substr(0, 8), std::string(8, '\x7F')) << fmt;
    ASSERT_EQ(guarded.substr(8 + len), std::string(8, '\x7F')) << fmt;
  }
}

// An I field is made in place in the record: it must hold what the integer
// editor makes (digits, zeros, sign, stars), and fail with "9" just when the
// editor's text does not fit.
TEST(FieldConversions, IntegerFieldsAsTheEditorMakesThem) {
  std::mt19937_64 rng(62);
  const std::int64_t edges[] = {0,
                                1,
                                -1,
                                9,
                                -9,
                                10,
                                -10,
                                99999999,
                                -9999999,
                                100000000,
                                std::int64_t{1} << 62,
                                -(std::int64_t{1} << 62)};
  for (int k = 0; k < 20000; ++k) {
    const int w = 1 + static_cast<int>(rng() % 22);
    const int m = static_cast<int>(rng() % 26) - 2;  // below 0: no m written
    const std::string d = "I" + std::to_string(w) + (m >= 0 ? "." + std::to_string(m) : "");
    // Integers that a double holds exactly.
    const std::int64_t raw =
        k < 12 ? edges[k] : static_cast<std::int64_t>(rng()) >> (2 + rng() % 62);
    const auto v = static_cast<std::int64_t>(static_cast<double>(raw));
    plat::EditDesc e;
    std::size_t pos = 0;
    ASSERT_TRUE(plat::parse_edit_desc(d, pos, e));
    std::string want = plat::put_integer(v, e, 64);
    if (want.size() > static_cast<std::size_t>(w))
      want = std::string(static_cast<std::size_t>(w), '*');
    want.insert(0, static_cast<std::size_t>(w) - want.size(), ' ');
    Record r(d, 40, '#');
    const char st = r.put(static_cast<double>(v));
    EXPECT_EQ(r.written(), want) << d << " " << v;
    EXPECT_EQ(st, want[0] == '*' ? '9' : ' ') << d << " " << v;
  }
}

// An integer field read in place gives what the integer reader gives, and
// fails where it fails, on random fields of digits, signs and blanks.
TEST(FieldConversions, IntegerFieldsReadInPlaceAsTheReaderReadsThem) {
  std::mt19937 rng(2063);
  const std::string chars = "0123456789      +-9";
  const std::string digits = "0123456789";
  for (int k = 0; k < 20000; ++k) {
    const auto w = 1 + static_cast<std::size_t>(rng() % 22);
    std::string f(w, ' ');
    // (Now and then digits only, as many as the field holds.)
    const std::string& from = rng() % 4 == 0 ? digits : chars;
    for (char& ch : f) ch = from[rng() % from.size()];
    const std::string d = "I" + std::to_string(w);
    plat::EditDesc e;
    std::size_t pos = 0;
    ASSERT_TRUE(plat::parse_edit_desc(d, pos, e));
    std::int64_t want = 0;
    const bool ok = plat::get_integer(f, e, want) == plat::field_ok;
    double got = -1;
    std::string field = f;
    ASSERT_EQ(rwf::convertcommon('I', e, false, field, {}, got), ok) << "'" << f << "'";
    if (ok) {
      EXPECT_EQ(got, static_cast<double>(want)) << "'" << f << "'";
    }
  }
}

namespace {

// What one record's transfer left: per item the cursor, letter, status and
// value, then the record, the engine's state (its open groups too) and the
// standard format.
struct Transfer {
  std::string trace;
  std::string rec;
  void item(char letter, char status, std::int32_t tpos, std::int32_t fpos, std::int32_t irep,
            double v, std::span<const char> text) {
    char buf[96];
    std::snprintf(buf, sizeof buf, "%c%c %d %d %d %a ", letter, status, tpos, fpos, irep, v);
    trace += buf;
    trace.append(text.begin(), text.end());
    trace += '\n';
  }
  void end() {
    const RwIndxState& s = rwindxstate;
    trace += "state " + std::to_string(s.ndone) + " " + std::to_string(s.level) + " " +
             std::to_string(s.descstart) + " " + std::to_string(s.slashseen) + " " +
             std::to_string(s.served) + " " + std::string(fmtwork.trimmed());
    for (std::size_t l = 1; l < s.grouprep.size(); ++l)
      trace += " " + std::to_string(s.grouprep[l]) + ":" + std::to_string(s.groupret[l]);
    trace += "\n";
  }
};

// One record's transfer: a format, a direction, the record's length and
// the characters it starts with, and the items.
struct Case {
  std::string fmt;
  char dir = 'W';
  std::int32_t ltext = 80;
  std::string start;
  std::vector<std::string> texts;
  std::vector<double> values;
};

// Serves the items of c through the plan (item by item, and all at once
// as READ and WRITE's transfer programs serve them) and through the walk,
// and compares what each leaves, a WRITE's closing pass after the items
// included. Says whether the plan took the items, and whether all at once.
int plannedclosings = 0;  // closing passes the plan knew
std::pair<bool, bool> planagainstwalk(const Case& c) {
  const auto items = static_cast<std::int32_t>(c.values.size());
  const auto lfmt = static_cast<std::int32_t>(c.fmt.size());
  const bool write = c.dir == 'W';
  if (!rwplan(c.fmt, lfmt, items, c.ltext)) return {false, false};
  // The closing pass of a WRITE, as the statement makes it after its items.
  // Planned, the plan's closing where it knows it.
  auto closing = [&](Transfer& t, std::span<char> rec, std::int32_t& tpos, std::int32_t& fpos,
                     std::int32_t& irep, bool planned) {
    if (!write || fpos <= 1 || fpos > lfmt) return;
    char letter = 'w', status = ' ';
    double none = 0;
    if (planned && rwplanclosing(items, rec, c.ltext, tpos, fpos, irep)) {
      ++plannedclosings;
    } else {
      RWINDX(c.fmt, lfmt, rec, c.ltext, items + 1, {}, none, letter, tpos, fpos, irep, status);
    }
    t.item(letter, status, tpos, fpos, irep, 0, {});
    t.end();
  };
  auto run = [&](bool byplan) {
    Transfer t;
    t.rec = c.start;
    reset_rwindx();
    fmtwork.blank();
    std::int32_t tpos = 0, fpos = 1, irep = 1;
    char letter = c.dir, status = ' ';
    std::span<char> rec(t.rec.data(), t.rec.size());
    if (byplan) rwplanbegin(rec, c.ltext, c.dir, letter, tpos, fpos, irep, status);
    for (int i = 0; i < items; ++i) {
      std::string text = c.texts[static_cast<std::size_t>(i)];
      double v = c.values[static_cast<std::size_t>(i)];
      letter = c.dir;
      if (byplan) {
        rwplanfield(i + 1, text, v);
      } else {
        RWINDX(c.fmt, lfmt, rec, c.ltext, i + 1, text, v, letter, tpos, fpos, irep, status);
      }
      t.item(letter, status, tpos, fpos, irep, v, text);
      t.end();
      if (status != ' ' && status != 'x') return t;
    }
    closing(t, rec, tpos, fpos, irep, byplan);
    return t;
  };
  const Transfer walk = run(false), byplan = run(true);
  EXPECT_EQ(byplan.trace, walk.trace) << c.fmt << " " << c.dir;
  EXPECT_EQ(byplan.rec, walk.rec) << c.fmt << " " << c.dir;
  // All items at once, where every field is a common one and none fails:
  // what the walk leaves at the record's end (a record written over old
  // characters: up to its end, where the walk's blanks laid further
  // ahead do not count).
  auto end = [&](bool atonce) {
    std::string rec = c.start;
    std::vector<std::string> tx = c.texts;
    std::vector<double> vs = c.values;
    reset_rwindx();
    fmtwork.blank();
    std::int32_t tpos = 0, fpos = 1, irep = 1;
    char letter = c.dir, status = ' ';
    std::span<char> r(rec.data(), rec.size());
    if (atonce) {
      std::vector<RwPlanItem> its(static_cast<std::size_t>(items));
      for (std::size_t i = 0; i < its.size(); ++i) {
        its[i].text = tx[i];
        its[i].number = &vs[i];
      }
      // (The state it leaves as a reset one would.)
      rwindxstate.ndone = 99;
      rwindxstate.grouprep.fill(7);
      RwPlanEnd e;
      if (!rwplanrecord(r.first(static_cast<std::size_t>(c.ltext)), c.dir, its, e))
        return std::string();
      letter = e.letter;
      tpos = e.tpos;
      fpos = e.fpos;
      irep = e.irep;
    } else {
      for (int i = 0; i < items; ++i) {
        letter = c.dir;
        RWINDX(c.fmt, lfmt, r, c.ltext, i + 1, tx[static_cast<std::size_t>(i)],
               vs[static_cast<std::size_t>(i)], letter, tpos, fpos, irep, status);
        if (status != ' ' || !rwindxstate.served) return std::string();
      }
    }
    Transfer t;
    for (int i = 0; i < items; ++i)
      t.item(letter, status, 0, 0, 0, vs[static_cast<std::size_t>(i)],
             tx[static_cast<std::size_t>(i)]);
    t.item(letter, status, tpos, fpos, irep, 0, {});
    t.end();
    closing(t, r, tpos, fpos, irep, atonce);
    if (write) rec.resize(static_cast<std::size_t>(std::clamp(tpos, 0, c.ltext)));
    return t.trace + rec;
  };
  const std::string atonce = end(true);
  if (atonce.empty()) return {true, false};
  EXPECT_EQ(atonce, end(false)) << c.fmt << " " << c.dir;
  return {true, true};
}

}  // namespace

// A record under a plain format, served through the plan, leaves what the
// walk leaves: the same fields, values, statuses, cursor and engine state,
// for random formats of plain and other descriptors, in groups or not, and
// random items.
TEST(FormatEngine, PlannedRecordsLeaveWhatTheWalkLeaves) {
  std::mt19937 rng(2062);
  const char* pieces[] = {"I5",    "I3",          "I8.4",        "F8.3",   "F6.0",     "E12.4",
                          "G10.3", "A4",          "A12",         "L2",     "2X",       "1X",
                          " I 4 ", "3F5.1",       "2A3",         "E9.2E1", "2(I3,1X)", "(F6.1, A4)",
                          "(I2)",  "3(2(I2),1X)", "2(A3,2(1X))", "Z4",     "/",        "'ab'",
                          "F",     "A",           "I0",          "B8",     "(I2",      "I2)"};
  const std::string recchars = "0123456789 .-+eETFxa";
  int planned = 0, whole = 0, grouped = 0;
  // A list of pieces and groups nested up to depth, blanks now and then
  // between the tokens.
  auto list = [&](auto& self, int depth) -> std::string {
    std::string f;
    const int n = 1 + static_cast<int>(rng() % 4);
    for (int i = 0; i < n; ++i) {
      if (i > 0) f += rng() % 5 == 0 ? " , " : ",";
      if (depth > 0 && rng() % 3 == 0) {
        const char* counts[] = {"", "", "1", "2", "3", "0", " 2 "};
        f += counts[rng() % std::size(counts)] + std::string("(") + self(self, depth - 1) + ")";
      } else {
        // Mostly plain pieces, now and then one the plan leaves to the walk.
        f += pieces[rng() % (rng() % 6 == 0 ? std::size(pieces) : 21)];
      }
    }
    return f;
  };
  for (int k = 0; k < 6000; ++k) {
    Case c;
    c.fmt = list(list, static_cast<int>(rng() % 4));
    // Often the whole list in parentheses, with a repeat count or not.
    if (const auto wrap = rng() % 4; wrap > 1) c.fmt = (wrap == 3 ? "2(" : "(") + c.fmt + ")";
    c.dir = rng() % 2 == 0 ? 'W' : 'R';
    c.ltext = static_cast<std::int32_t>(rng() % 3 == 0 ? rng() % 40 : 80);
    // (A record written over old characters shows what each step writes.)
    c.start.assign(static_cast<std::size_t>(c.ltext), ' ');
    for (char& ch : c.start) ch = c.dir == 'W' ? '#' : recchars[rng() % recchars.size()];
    const auto items = static_cast<std::size_t>(1 + rng() % 7);
    c.texts.resize(items);
    c.values.resize(items);
    for (std::size_t i = 0; i < items; ++i) {
      if (rng() % 3 == 0)
        c.texts[i] = std::string(1 + rng() % 10, 'a' + static_cast<char>(rng() % 26));
      const double mags[] = {1, 1e3, 1e-3, 1e9, 1e17, 1e300};
      c.values[i] =
          (static_cast<double>(rng() % 20001) - 10000) / 7 * mags[rng() % std::size(mags)];
      if (rng() % 50 == 0) c.values[i] = std::nan("");
    }
    const auto [byplan, atonce] = planagainstwalk(c);
    if (::testing::Test::HasFailure()) FAIL() << c.fmt << " " << c.dir << " " << items;
    planned += byplan ? 1 : 0;
    whole += atonce ? 1 : 0;
    grouped += byplan && c.fmt.find('(') != std::string::npos ? 1 : 0;
  }
  EXPECT_GT(planned, 1500);
  EXPECT_GT(whole, 80);
  EXPECT_GT(grouped, 1000);
  EXPECT_GT(plannedclosings, 300);
}

// Formats in groups: items that reach to the end of a group or stop inside
// one, skips after the last item, and the records the plan leaves to the
// walk (a format that starts again, a group without its ")").
TEST(FormatEngine, PlannedGroupsLeaveWhatTheWalkLeaves) {
  struct Fixed {
    const char* fmt;
    int items;
    bool planned;
  };
  const Fixed fixed[] = {{"(I6,F10.3,A8)", 3, true},
                         {"(I6,F10.3,A8)", 2, true},
                         {"(I6,F10.3,A8)", 4, false},
                         {"3(I4,1X)", 3, true},
                         {"3(I4,1X)", 2, true},
                         {"3(I4,1X)", 4, false},
                         {"2(F8.2)", 2, true},
                         {"(I4,2(F8.2,1X),A5)", 2, true},
                         {"(I4,2(F8.2,1X),A5)", 4, true},
                         {"(I4,2(F8.2,1X),A5)", 5, false},
                         {"2(2(I2,1X),3X),I3", 5, true},
                         {"(2(3(I2)),2X)", 6, true},
                         {"I2,(I3)", 2, true},
                         {"I2,(I3)", 3, false},
                         {"(I2,(I3),1X)", 3, false},
                         {"(I2", 1, false},
                         {"I2)", 1, false},
                         {"9(8(7(6(5(4(3(2(I1))))))))", 9, false},
                         {"1(1(1(1(1(1(1(2(I1))))))))", 2, true},
                         {"1(1(1(1(1(1(1(1(1(I1)))))))))", 1, false}};
  for (const Fixed& f : fixed) {
    for (const char dir : {'W', 'R'}) {
      Case c;
      c.fmt = f.fmt;
      c.dir = dir;
      c.start =
          dir == 'W' ? std::string(80, '#') : "  12  3.5 -1.25  7.125   abcde   9 8 7 6 5 4 3 2 1";
      c.start.resize(80, ' ');
      for (int i = 0; i < f.items; ++i) {
        c.texts.emplace_back(i % 3 == 2 ? "text" : "");
        c.values.push_back(i * 3.25 - 2);
      }
      const auto [byplan, atonce] = planagainstwalk(c);
      EXPECT_EQ(byplan, f.planned) << f.fmt << " " << f.items;
    }
  }
}
