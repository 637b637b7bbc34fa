// Fits whose outcome a script file cannot hold: what a fit shows (a trial
// whose model cannot be computed is a failed trial without a message,
// while the same failure anywhere else is the run's error as always), and
// a NIST problem too slow for the script suite, which runs every script
// twice (fast and general path) within a few seconds.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "exec/headless_run.h"
#include "ide/builtins_install.h"
#include "numeric/builtins_install.h"
#include "platform/win_message_box.h"
#include "support/test_support.h"

namespace {

struct Outcome {
  std::string out;
  int failedboxes = 0;  // boxes of a failed calculation shown
};

Outcome run(const std::string& script) {
  testsupport::TempDir dir;
  const auto cwd = std::filesystem::current_path();
  std::filesystem::current_path(dir.path());
  ide::install_all_builtins();
  exec::reset_all();
  numeric::reset_numeric();
  exec::prepare_run((testsupport::source_dir() / "data" / "Ostrel.hlp").string());
  Outcome o;
  o.out = exec::run_script(script);
  for (const auto& box : plat::message_box_log())
    if (box.text.find("a calculation failed") != std::string::npos) ++o.failedboxes;
  exec::reset_all();
  std::filesystem::current_path(cwd);
  return o;
}

// BoxBOD's data and model, with the start and what follows the fit given.
Outcome fit(const std::string& start, const std::string& after = "") {
  return run(
      "DIMENSION X(6), Y(6), B(2)\n"
      "Y = 109, 149, 149, 191, 213, 224\n"
      "X = 1, 2, 3, 5, 7, 10\n"
      "B = " +
      start +
      "\n"
      "OVER = 0\n"
      "I = 1\n"
      "10 IF (B(2) * X(I) < -710) OVER = OVER + 1\n"
      "R = Y(I) - B(1) * (1 - EXP(-B(2) * X(I)))\n"
      "S = SOLVE(Vector=R, Unknown=B, NUL=10, DATA=6, DataIdx=I)\n"
      "B1 = NINT(B(1))\n" +
      after + "END\n");
}

TEST(Fit, OnlyATrialsFailedCalculationPassesWithoutAMessage) {
  // Trials that send b2 below 0 overflow EXP; the fit goes on to the end.
  Outcome o = fit("1, 0.5");
  EXPECT_EQ(o.failedboxes, 0) << o.out;
  EXPECT_NE(o.out.find("B1=214\n"), std::string::npos) << o.out;
  EXPECT_EQ(o.out.find("OVER=0\n"), std::string::npos) << o.out;
  EXPECT_NE(o.out.find("stop=-1"), std::string::npos) << o.out;
  // At the start unknowns the model of point 3 overflows: the fit cannot
  // begin, and the run stops with the message.
  o = fit("1, -300");
  EXPECT_EQ(o.failedboxes, 1) << o.out;
  EXPECT_NE(o.out.find("stop=32767 line=9 key=xeq3300"), std::string::npos) << o.out;
  // After a fit with quiet trials, a statement's overflow shows as ever.
  o = fit("1, 0.5", "Z = EXP(1000)\n");
  EXPECT_EQ(o.failedboxes, 1) << o.out;
  EXPECT_NE(o.out.find("key=xeq3300"), std::string::npos) << o.out;
}

// Lanczos3 from both starts (some 60000 model runs each): D is the number
// of significant digits to which the worst unknown agrees with the
// certified values, S those of the residual sum. The first point lies at
// x = 0, where its residual does not depend on b2, b4 and b6. The gradient
// from the residuals at the accepted unknowns reaches these digits; from
// the displaced ones the fit stops with none.
TEST(Fit, Lanczos3ReachesTheCertifiedValuesFromBothStarts) {
  const std::string model =
      " R = LY(I) - B(1) * EXP(-B(2) * LX(I)) - B(3) * EXP(-B(4) * LX(I)) - B(5) * EXP(-B(6) * "
      "LX(I))\n";
  const std::string digits =
      "E = ABS(B / C - 1)\n"
      "D = FLOOR(-LOG(MAX(E), 10))\n"
      "S = FLOOR(-LOG(ABS(S / 1.6117193594E-08 - 1), 10))\n";
  const Outcome o = run(
      "DIMENSION LX(24), LY(24), B(6), C(6), E(6)\n"
      "LY = 2.5134, 2.0443, 1.6684, 1.3664, 1.1232, 0.9269, 0.7679, 0.6389, 0.5338, 0.4479, "
      "0.3776, 0.3197, 0.2720, 0.2325, 0.1997, 0.1723, 0.1493, 0.1301, 0.1138, 0.1000, 0.0883, "
      "0.0783, 0.0698, 0.0624\n"
      "LX = 0, 0.05, 0.1, 0.15, 0.2, 0.25, 0.3, 0.35, 0.4, 0.45, 0.5, 0.55, 0.6, 0.65, 0.7, 0.75, "
      "0.8, 0.85, 0.9, 0.95, 1, 1.05, 1.1, 1.15\n"
      "C = 0.086816414977, 0.95498101505, 0.84400777463, 2.9515951832, 1.5825685901, "
      "4.9863565084\n"
      "B = 1.2, 0.3, 5.6, 5.5, 6.5, 7.6\n"
      "I = 1\n"
      "10" +
      model + "S = SOLVE(Vector=R, Unknown=B, NUL=10, DATA=24, DataIdx=I)\n" + digits +
      "D1 = D\n"
      "S1 = S\n"
      "B = 0.5, 0.7, 3.6, 4.2, 4, 6.3\n"
      "I = 1\n"
      "20" +
      model + "S = SOLVE(Vector=R, Unknown=B, NUL=20, DATA=24, DataIdx=I)\n" + digits +
      "D2 = D\n"
      "S2 = S\n"
      "END\n");
  for (const char* line : {"\nD1=5\n", "\nS1=10\n", "\nD2=5\n", "\nS2=10\n"})
    EXPECT_NE(o.out.find(line), std::string::npos) << line << o.out;
  EXPECT_NE(o.out.find("stop=-1"), std::string::npos) << o.out;
}

}  // namespace
