#include <gtest/gtest.h>
#include <cstdio>
#include "core/trans.h"
#include "core/runwords.h"
#include "core/trans_fixture.h"
#include "core/codeword_dump.h"
using namespace core;
TEST(ZZScratch, Dump) {
  translex::setup();
  for (const char* l : {"R=win('abc')", "R=WIN('abc')", "R=ROOTS(C,X)"}) {
    translex::sym("R"); translex::sym("C"); translex::sym("X");
    translex::lex(l);
    printf("tokens: %s\n", cwdump::tokens().c_str());
    TRANS(l);
    auto w = translex::words();
    printf("%s -> stop=%d %s\n", l, (int)xeqstop, cwdump::dump(w).c_str());
  }
}
