// LINE of two arrays of 100,000 values into an axis of an 800 x 500
// window, from the statement to the refreshed window, beside gnuplot
// plotting the same data file with lines on a pngcairo terminal of that
// size (its start, the same command without the plot, measured apart);
// and 10,000 one-point LINEs on a scrolling axis, each point sliding the
// plot by a column.
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "core/stores.h"
#include "exec/optdispatch.h"
#include "exec/windowlist.h"
#include "exec/windowwords.h"
#include "ide/builtins_install.h"
#include "platform/backend.h"
#include "platform/win_gdi.h"
#include "platform/win_window.h"
#include "plot/axis.h"
#include "plot/curves.h"
#include "plot/fontslots.h"
#include "plot/line.h"
#include "plot/penplot.h"
#include "plot/plotdev.h"
#include "plot/plotstate.h"
#include "support/stores_fixture.h"
#include "toolkit/bitmaps.h"
#include "toolkit/entry.h"

namespace {

constexpr int kPoints = 100000;
constexpr int kWidth = 800, kHeight = 500;
constexpr std::int32_t kwX = 13, kwY = 14;

double yof(int i) { return 0.5 + 0.3 * std::sin(i * 0.0005) + 0.15 * std::sin(i * 0.37); }

// A window of 800 x 500 with axis 1 over it, as AXIS leaves it, and the
// arrays A (x) and B (y) of 100,000 values.
struct Plot {
  std::int32_t a = 0, b = 0, x = 0, y = 0;
  exec::wdwrec* record = nullptr;
  explicit Plot(bool scroll) {
    ide::install_all_builtins();  // the IDE's window refresh among them
    plat::reset_windows();
    toolkit::reset_toolkit();
    exec::reset_windowlist();
    plot::reset_plotdev();
    plot::reset_plotstate();
    plot::reset_curves();
    plot::reset_line();
    plot::reset_fontslots();
    exec::initialcolours();
    exec::sysmetrics(exec::metric::screenwidth) = 1280;
    exec::sysmetrics(exec::metric::screenheight) = 1024;
    storetest::setup(2 * kPoints + 8000, 256, 64000, 2000);
    a = storetest::addarray("A", 1, kPoints);
    b = storetest::addarray("B", 1, kPoints);
    x = storetest::addsym("X", 0x80);
    y = storetest::addsym("Y", 0x80);
    for (int i = 1; i <= kPoints; ++i) {
      core::z(core::name(a).adr + i - 1) = static_cast<double>(i) / kPoints;
      core::z(core::name(b).adr + i - 1) = yof(i);
    }
    std::int32_t status = 0;
    exec::NEWWINDOW(status, nullptr);
    record = exec::wdwcur;
    record->window = win::CreateWindowExA(0, "STATIC", "", win::WS_POPUP | win::WS_VISIBLE, 0, 0,
                                          kWidth, kHeight, nullptr, nullptr, nullptr, nullptr);
    int ups = 0;
    record->bitmap = toolkit::CREATE_BITMAP(kWidth, kHeight, nullptr, &ups);
    plot::SETFONT(5, "Arial", 9, 0, 0, 400, 0);
    plot::AxisState& s = plot::axisstate;
    const plot::FontSlot& g = plot::fontslots(5);
    s.columns = kWidth / g.cellwidth;
    s.rows = kHeight / g.cellheight;
    s.frame(1) = plot::Frame{s.columns - 2, s.rows, 0, 0};
    s.style(plot::xentry(1)) = scroll ? plot::axisbit::scroll : 0;
    s.style(plot::yentry(1)) = 15;
    plot::PLOTS(0);
    s.current = 1;
    plot::SET_XT_YT_INTERNAL();
    s.length(plot::xentry(1)) =
        static_cast<float>(s.frame(1).width - 2) * s.cellwidth - plot::axiswork.leftmargin;
    s.length(plot::yentry(1)) =
        static_cast<float>(s.frame(1).height) * s.cellheight - plot::axiswork.bottommargin;
    const auto range = [&](int e, float lo, float hi) {
      plot::Scale& c = s.scale(e);
      c.minimum = lo;
      c.maximum = hi;
      c.unitsperplot = (hi - lo) / s.length(e);
      c.step = s.length(e) / 10.0F;
      c.divisor = 1.0F;
    };
    range(plot::xentry(1), 0.0F, 1.0F);
    range(plot::yentry(1), 0.0F, 1.0F);
    s.window(1) = record->window;
    s.live = s.drawn = s.setup = 1U << 1;
  }
  ~Plot() {
    plot::reset_plotdev();
    exec::reset_windowlist();
    toolkit::reset_toolkit();
    plat::reset_windows();
  }
  // LINE(X=xs, Y=ys) as the dispatch calls it.
  static void line(std::int32_t xs, std::int32_t ys) {
    exec::noptions = 2;
    exec::optkw(2) = kwX;
    exec::optval(2) = xs;
    exec::optkw(1) = kwY;
    exec::optval(1) = ys;
    plot::LINE(exec::OptCall{});
  }
};

void BM_Line100kArrays(benchmark::State& state) {
  const Plot p(false);
  for (auto _ : state) Plot::line(p.a, p.b);
  state.counters["points"] = kPoints;
}
BENCHMARK(BM_Line100kArrays)->Unit(benchmark::kMillisecond);

void BM_Line10kScrollingPoints(benchmark::State& state) {
  const Plot p(true);
  double t = 1.0;
  for (auto _ : state) {
    for (int i = 0; i < 10000; ++i) {
      t += 0.01;  // past the maximum by about a column's worth
      core::z(p.x) = t;
      core::z(p.y) = yof(i);
      Plot::line(p.x, p.y);
    }
  }
  state.counters["per_point"] =
      benchmark::Counter(static_cast<double>(state.iterations()) * 10000,
                         benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_Line10kScrollingPoints)->Unit(benchmark::kMillisecond)->Iterations(1);

// gnuplot of the same data: start alone, and start plus the plot.
std::string gnuplot(bool plot) {
  const std::filesystem::path dir = std::filesystem::temp_directory_path() / "ostrel_bench_line";
  std::filesystem::create_directories(dir);
  const std::filesystem::path data = dir / "curve.dat";
  if (!std::filesystem::exists(data)) {
    std::ofstream f(data);
    for (int i = 1; i <= kPoints; ++i)
      f << static_cast<double>(i) / kPoints << ' ' << yof(i) << '\n';
  }
  std::string cmd = "gnuplot -e \"set terminal pngcairo size 800,500; set output '" +
                    (dir / "curve.png").string() + "'";
  if (plot) cmd += "; plot '" + data.string() + "' with lines notitle";
  return cmd + "\" 2>/dev/null";
}

bool havegnuplot() { return std::system("command -v gnuplot >/dev/null 2>&1") == 0; }

void BM_GnuplotStart(benchmark::State& state) {
  if (!havegnuplot()) {
    state.SkipWithError("gnuplot (package gnuplot-nox) is not installed");
    return;
  }
  const std::string cmd = gnuplot(false);
  for (auto _ : state)
    if (std::system(cmd.c_str()) != 0) state.SkipWithError("gnuplot failed");
}
BENCHMARK(BM_GnuplotStart)->Unit(benchmark::kMillisecond);

void BM_GnuplotPlot100k(benchmark::State& state) {
  if (!havegnuplot()) {
    state.SkipWithError("gnuplot (package gnuplot-nox) is not installed");
    return;
  }
  const std::string cmd = gnuplot(true);
  for (auto _ : state)
    if (std::system(cmd.c_str()) != 0) state.SkipWithError("gnuplot failed");
}
BENCHMARK(BM_GnuplotPlot100k)->Unit(benchmark::kMillisecond);

}  // namespace
