// 100,000 PLOT segments in plot units through the device layer onto a
// 1000 x 700 window bitmap, in one drawing pass opened around them: drawn
// segment by segment, and recorded (the recording switch, as LINE draws a
// curve) then drawn as one DRAW_POLYLINE; beside DRAW_POLYLINE alone of the
// same pixels on the same bitmap.
#include <benchmark/benchmark.h>

#include <cmath>
#include <vector>

#include "exec/windowlist.h"
#include "exec/windowwords.h"
#include "platform/backend.h"
#include "plot/penplot.h"
#include "plot/plotdev.h"
#include "plot/plotstate.h"
#include "toolkit/bitmaps.h"
#include "toolkit/draw.h"
#include "toolkit/draw_targets.h"
#include "toolkit/entry.h"

namespace {

constexpr int kPoints = 100000;
constexpr int kWidth = 1000, kHeight = 700;

// The wandering curve of bench_draw.cpp, in 0 .. 1.
std::vector<float> curve() {
  std::vector<float> p(2 * kPoints);
  for (int i = 0; i < kPoints; ++i) {
    p[2 * i] = static_cast<float>(i) / (kPoints - 1);
    p[2 * i + 1] = static_cast<float>(0.5 + 0.3 * std::sin(i * 0.0005) + 0.15 * std::sin(i * 0.37));
  }
  return p;
}

// A window record with the bitmap, current, on a screen of 1280 x 1024.
struct Window {
  Window() {
    plat::reset_windows();
    toolkit::reset_toolkit();
    exec::reset_windowlist();
    plot::reset_plotdev();
    plot::reset_plotstate();
    exec::sysmetrics(exec::metric::screenwidth) = 1280;
    exec::sysmetrics(exec::metric::screenheight) = 1024;
    std::int32_t status = 0;
    exec::NEWWINDOW(status, nullptr);
    int ups = 0;
    exec::wdwcur->bitmap = toolkit::CREATE_BITMAP(kWidth, kHeight, nullptr, &ups);
    plot::axisstate.rows = kHeight / 16;  // the device height in cells of 16 pixels
  }
  ~Window() {
    plot::reset_plotdev();
    exec::reset_windowlist();
    toolkit::reset_toolkit();
    plat::reset_windows();
  }
};

void BM_Plot100kSegments(benchmark::State& state) {
  const Window w;
  const std::vector<float> p = curve();
  int ups = 0;
  toolkit::START_BITMAP_DRAW(&exec::wdwcur->bitmap, nullptr, nullptr, *plot::plotdev, &ups);
  plot::PLOTS(0);
  // Plot units spanning the bitmap.
  const float sx = (kWidth - 1) / plot::plotcom.xscale;
  const float sy = (plot::plotcom.ymax - 1) / plot::plotcom.yscale;
  for (auto _ : state) {
    plot::PLOT(p[0] * sx, p[1] * sy, 3);
    for (int i = 1; i < kPoints; ++i) plot::PLOT(p[2 * i] * sx, p[2 * i + 1] * sy, 2);
  }
  toolkit::END_BITMAP_DRAW(*plot::plotdev, &ups);
}
BENCHMARK(BM_Plot100kSegments)->Unit(benchmark::kMillisecond);

void BM_Plot100kSegmentsRecorded(benchmark::State& state) {
  const Window w;
  const std::vector<float> p = curve();
  int ups = 0;
  toolkit::START_BITMAP_DRAW(&exec::wdwcur->bitmap, nullptr, nullptr, *plot::plotdev, &ups);
  plot::PLOTS(0);
  const float sx = (kWidth - 1) / plot::plotcom.xscale;
  const float sy = (plot::plotcom.ymax - 1) / plot::plotcom.yscale;
  std::vector<win::POINT> recorded;
  std::vector<int> pixels;
  pixels.reserve(2 * kPoints);
  plot::plotcom.recordto = &recorded;
  for (auto _ : state) {
    plot::plotcom.recording = 1;
    plot::plotcom.recordat = 0;
    plot::PLOT(p[0] * sx, p[1] * sy, 3);
    plot::PLOT(p[0] * sx, p[1] * sy, 2);  // the pen set down where the stroke starts
    const win::POINT first{plot::plotcom.lastx, plot::plotcom.lasty};
    plot::plotcom.recordat = 0;
    for (int i = 1; i < kPoints; ++i) plot::PLOT(p[2 * i] * sx, p[2 * i + 1] * sy, 2);
    plot::plotcom.recording = 0;
    // The stroke: the pixel it starts from, then the recorded ones.
    pixels.assign({first.x, first.y});
    for (const win::POINT& q : recorded) {
      pixels.push_back(q.x);
      pixels.push_back(q.y);
    }
    toolkit::DRAW_POLYLINE(*plot::plotdev, nullptr, 0, nullptr, nullptr, nullptr, nullptr,
                           pixels.data(), static_cast<int>(pixels.size() / 2), &ups);
  }
  toolkit::END_BITMAP_DRAW(*plot::plotdev, &ups);
}
BENCHMARK(BM_Plot100kSegmentsRecorded)->Unit(benchmark::kMillisecond);

void BM_PolylineOfThePlotsPixels(benchmark::State& state) {
  const Window w;
  const std::vector<float> p = curve();
  int ups = 0;
  toolkit::START_BITMAP_DRAW(&exec::wdwcur->bitmap, nullptr, nullptr, *plot::plotdev, &ups);
  plot::PLOTS(0);
  const float sx = (kWidth - 1) / plot::plotcom.xscale;
  const float sy = (plot::plotcom.ymax - 1) / plot::plotcom.yscale;
  // The pixels PLOT reaches, recorded once.
  std::vector<win::POINT> recorded;
  plot::plotcom.recording = 1;
  plot::plotcom.recordto = &recorded;
  plot::PLOT(p[0] * sx, p[1] * sy, 3);
  for (int i = 1; i < kPoints; ++i) plot::PLOT(p[2 * i] * sx, p[2 * i + 1] * sy, 2);
  plot::plotcom.recording = 0;
  std::vector<int> pixels;
  pixels.reserve(2 * recorded.size());
  for (const win::POINT& q : recorded) {
    pixels.push_back(q.x);
    pixels.push_back(q.y);
  }
  for (auto _ : state)
    toolkit::DRAW_POLYLINE(*plot::plotdev, nullptr, 0, nullptr, nullptr, nullptr, nullptr,
                           pixels.data(), static_cast<int>(recorded.size()), &ups);
  toolkit::END_BITMAP_DRAW(*plot::plotdev, &ups);
}
BENCHMARK(BM_PolylineOfThePlotsPixels)->Unit(benchmark::kMillisecond);

}  // namespace
