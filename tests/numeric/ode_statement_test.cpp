// The checks of the DIFFEQ statement in their order, each as a script run
// through the executor and the run driver.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "exec/headless_run.h"
#include "ide/builtins_install.h"
#include "numeric/builtins_install.h"
#include "support/test_support.h"

namespace {

std::string run(const std::string& options) {
  testsupport::TempDir dir;
  const auto cwd = std::filesystem::current_path();
  std::filesystem::current_path(dir.path());
  ide::install_all_builtins();
  exec::reset_all();
  numeric::reset_numeric();
  exec::prepare_run((testsupport::source_dir() / "data" / "Ostrel.hlp").string());
  const std::string out = exec::run_script(
      "DIMENSION Y(12), DY(12), X(4), X1(1), X5(5), XB(4), F(3), V(3), V4(4), E(3), R(12), "
      "R5(5)\n"
      "X = 0, 1, 2, 3\n"
      "XB = 0, 1, 1, 2\n"
      "DIFFEQ(" +
      options +
      ")\n"
      "END\n"
      "SUBROUTINE S\n"
      "END\n");
  exec::reset_all();
  std::filesystem::current_path(cwd);
  return out.substr(out.find("stop="));
}

TEST(OdeStatement, ChecksComeInTheirOrder) {
  // Each case also has the fault that the next check would find.
  const struct {
    const char* options;
    const char* key;
  } cases[] = {
      {"T=1, DY=DY", "odeNoCB"},
      {"CallBack=NOSUCH, T=1, Y=Y, DY=DY", "odeNoCB"},
      {"CallBack=S, T=1, DY=DY", "odeNoY"},
      {"CallBack=S, T=1, Y=Y, DY=F, X=X1", "odeDimDY"},
      {"CallBack=S, T=1, Y=Y, X=X1", "odeNX<2"},
      {"CallBack=S, T=1, Y=Y, X=X5", "odeDimX"},
      {"CallBack=S, T=1, Y=Y, X=XB", "odeXorder"},
      {"CallBack=S, T=1, Y=Y, X=X, Velocity=V4", "odeDimYFnePDE"},
      {"CallBack=S, T=1, Y=Y, X=X, YFeed=F, Velocity=V4", "odeDimF"},
      {"CallBack=S, T=1, Y=Y, X=X, YFeed=F, Velocity=V, Rateatx=R5", "odeDimE"},
      {"CallBack=S, T=1, Y=Y, X=X, YFeed=F, Velocity=V, Eddy=E, Rateatx=R5", "odeDimR"},
      // The integrator's first check, at the start of the run.
      {"CallBack=S, T=0, Y=Y, X=X, YFeed=F, Velocity=R, Eddy=R", "odeToutLTt0"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.options);
    EXPECT_EQ(run(c.options), std::string("stop=32767 line=4 key=") + c.key + "\n");
  }
  // Velocity and Eddy of one value per point and component, Rateatx of
  // none: the run ends.
  EXPECT_EQ(run("CallBack=S, T=1, Y=Y, X=X, YFeed=F, Velocity=R, Eddy=R"), "stop=-1\n");
}

}  // namespace
