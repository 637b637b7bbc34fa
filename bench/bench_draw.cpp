// DRAW_POLYLINE of 100,000 real points onto a 1000 x 700 bitmap target
// (the points mapped from their user window, one-pixel lines), beside the
// same path stroked straight with Cairo, antialiasing off, on an image of
// the same size.
#include <benchmark/benchmark.h>
#include <cairo.h>

#include <cmath>
#include <vector>

#include "platform/backend.h"
#include "toolkit/bitmaps.h"
#include "toolkit/draw.h"
#include "toolkit/draw_targets.h"
#include "toolkit/entry.h"

namespace {

constexpr int kPoints = 100000;
constexpr int kWidth = 1000, kHeight = 700;

// A wandering curve across the target, as (x, y) pairs in 0 .. 1.
std::vector<float> curve() {
  std::vector<float> p(2 * kPoints);
  for (int i = 0; i < kPoints; ++i) {
    p[2 * i] = static_cast<float>(i) / (kPoints - 1);
    p[2 * i + 1] = static_cast<float>(0.5 + 0.3 * std::sin(i * 0.0005) + 0.15 * std::sin(i * 0.37));
  }
  return p;
}

void BM_DrawPolyline100kPoints(benchmark::State& state) {
  plat::reset_windows();
  toolkit::reset_toolkit();
  const std::vector<float> points = curve();
  const win::HBITMAP bitmap = toolkit::CREATE_BITMAP(kWidth, kHeight, nullptr, nullptr);
  toolkit::draw_target_t target;
  toolkit::START_BITMAP_DRAW(&bitmap, nullptr, nullptr, target, nullptr);
  for (auto _ : state)
    toolkit::DRAW_POLYLINE(target, points.data(), kPoints, nullptr, nullptr, nullptr, nullptr,
                           nullptr, 0, nullptr);
  toolkit::END_BITMAP_DRAW(target, nullptr);
  toolkit::reset_toolkit();
  plat::reset_windows();
}
BENCHMARK(BM_DrawPolyline100kPoints)->Unit(benchmark::kMillisecond);

void BM_CairoStroke100kPoints(benchmark::State& state) {
  const std::vector<float> points = curve();
  cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_RGB24, kWidth, kHeight);
  cairo_t* cr = cairo_create(surface);
  cairo_set_antialias(cr, CAIRO_ANTIALIAS_NONE);
  cairo_set_line_width(cr, 1.0);
  cairo_set_source_rgb(cr, 0, 0, 0);
  for (auto _ : state) {
    // The same pixels as the target's mapping: left + fraction x (right - left).
    cairo_move_to(cr, std::trunc(points[0] * (kWidth - 1)) + 0.5,
                  std::trunc(points[1] * (kHeight - 1)) + 0.5);
    for (int i = 1; i < kPoints; ++i)
      cairo_line_to(cr, std::trunc(points[2 * i] * (kWidth - 1)) + 0.5,
                    std::trunc(points[2 * i + 1] * (kHeight - 1)) + 0.5);
    cairo_stroke(cr);
    cairo_surface_flush(surface);
  }
  cairo_destroy(cr);
  cairo_surface_destroy(surface);
}
BENCHMARK(BM_CairoStroke100kPoints)->Unit(benchmark::kMillisecond);

}  // namespace
