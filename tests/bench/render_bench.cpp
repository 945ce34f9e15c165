// The rasteriser against its peers: the same scenes (render_scenes.h) drawn
// by the engine (on one thread, and in bands on every core), by cairo (an
// image surface) and by AGG, opaque over white, at 1920x1080 and 640x480;
// times are wall-clock. Before timing, the pictures are compared with
// cairo's: the mean difference per channel and the share of pixels that
// differ by more than 8 in some channel. cairo and AGG are benchmark peers
// only; nothing of theirs goes into the product.
#include <agg_basics.h>
#include <agg_conv_stroke.h>
#include <agg_ellipse.h>
#include <agg_gradient_lut.h>
#include <agg_pixfmt_rgba.h>
#include <agg_rasterizer_scanline_aa.h>
#include <agg_renderer_base.h>
#include <agg_renderer_scanline.h>
#include <agg_scanline_u.h>
#include <agg_span_allocator.h>
#include <agg_span_gradient.h>
#include <agg_span_interpolator_linear.h>
#include <benchmark/benchmark.h>
#include <cairo.h>

#include <cstdio>
#include <cstdlib>
#include <functional>
#include <numbers>
#include <string>
#include <vector>

#include "tests/bench/render_scenes.h"
#include "tests/bench/render_scenes_engine.h"

namespace {

using bench::EngineScene;
using bench::Fill;
using bench::Scene;

constexpr double kGradientHalf = 16384;

// ---- cairo ----

void CairoRender(const Scene& S, uint32_t* Pixels) {
  cairo_surface_t* surface = cairo_image_surface_create_for_data(
      reinterpret_cast<unsigned char*>(Pixels), CAIRO_FORMAT_ARGB32, S.width, S.height, S.width * 4);
  cairo_t* cr = cairo_create(surface);
  cairo_set_source_rgb(cr, 1, 1, 1);
  cairo_paint(cr);
  auto rgba = [&](cairo_pattern_t* P, double Offset, bench::Colour C) {
    cairo_pattern_add_color_stop_rgba(P, Offset, C.r / 255.0, C.g / 255.0, C.b / 255.0, C.a / 255.0);
  };
  for (const bench::Item& it : S.items) {
    cairo_save(cr);
    cairo_translate(cr, it.cx, it.cy);
    cairo_scale(cr, it.rx, it.ry);
    cairo_arc(cr, 0, 0, 1, 0, 2 * std::numbers::pi);
    cairo_restore(cr);
    const Fill& f = it.fill;
    cairo_pattern_t* p = nullptr;
    if (f.kind == Fill::Solid) {
      cairo_set_source_rgba(cr, f.colour.r / 255.0, f.colour.g / 255.0, f.colour.b / 255.0, f.colour.a / 255.0);
    } else {
      p = f.kind == Fill::Linear ? cairo_pattern_create_linear(-kGradientHalf, 0, kGradientHalf, 0)
          : f.kind == Fill::Radial
              ? cairo_pattern_create_radial(0, 0, 0, 0, 0, kGradientHalf)
              : cairo_pattern_create_radial(f.focal * kGradientHalf, 0, 0, 0, 0, kGradientHalf);
      for (const bench::Stop& s : f.stops) rgba(p, s.ratio / 255.0, s.colour);
      cairo_pattern_set_extend(p, f.spread == Fill::Pad       ? CAIRO_EXTEND_PAD
                                  : f.spread == Fill::Reflect ? CAIRO_EXTEND_REFLECT
                                                              : CAIRO_EXTEND_REPEAT);
      // A pattern's matrix maps user space (pixels) to pattern space.
      cairo_matrix_t m;
      cairo_matrix_init(&m, f.a, f.b, f.c, f.d, f.tx, f.ty);
      cairo_matrix_invert(&m);
      cairo_pattern_set_matrix(p, &m);
      cairo_set_source(cr, p);
    }
    cairo_fill_preserve(cr);
    if (p) cairo_pattern_destroy(p);
    if (it.strokeWidth > 0) {
      cairo_set_source_rgba(cr, it.stroke.r / 255.0, it.stroke.g / 255.0, it.stroke.b / 255.0, it.stroke.a / 255.0);
      cairo_set_line_width(cr, it.strokeWidth);
      cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
      cairo_stroke(cr);
    } else {
      cairo_new_path(cr);
    }
  }
  cairo_destroy(cr);
  cairo_surface_flush(surface);
  cairo_surface_destroy(surface);
}

// ---- AGG ----

// Straight colours blended as AGG's plain pixel format does; over the opaque
// background every scene has, that is the premultiplied result.
using PixFmt = agg::pixfmt_bgra32;
using RendererBase = agg::renderer_base<PixFmt>;
using ColourLut = agg::gradient_lut<agg::color_interpolator<agg::rgba8>, 256>;
// Gradients are evaluated in a space where the gradient runs over 0..kSpan.
constexpr int kSpan = 256;

template <class Gradient>
void AggGradientFill(agg::rasterizer_scanline_aa<>& Ras, RendererBase& Base, const Fill& F, ColourLut& Lut,
                     Gradient G) {
  // Pixels -> gradient square -> 0..kSpan (linear: -16384 at 0; radial: the
  // centre at 0, the rim at kSpan).
  agg::trans_affine toSquare(F.a, F.b, F.c, F.d, F.tx, F.ty);
  toSquare.invert();
  const bool linear = F.kind == Fill::Linear;
  const double scale = linear ? kSpan / (2 * kGradientHalf) : kSpan / kGradientHalf;
  agg::trans_affine toSpan = toSquare * agg::trans_affine_scaling(scale);
  if (linear) toSpan *= agg::trans_affine_translation(kSpan / 2.0, 0);
  using Interpolator = agg::span_interpolator_linear<>;
  Interpolator interpolator(toSpan);
  agg::span_allocator<agg::rgba8> allocator;
  agg::span_gradient<agg::rgba8, Interpolator, Gradient, ColourLut> span(interpolator, G, Lut, 0, kSpan);
  agg::scanline_u8 sl;
  agg::render_scanlines_aa(Ras, sl, Base, allocator, span);
}

template <class Gradient>
void AggSpread(agg::rasterizer_scanline_aa<>& Ras, RendererBase& Base, const Fill& F, ColourLut& Lut,
               Gradient G) {
  if (F.spread == Fill::Reflect)
    AggGradientFill(Ras, Base, F, Lut, agg::gradient_reflect_adaptor<Gradient>(G));
  else if (F.spread == Fill::Repeat)
    AggGradientFill(Ras, Base, F, Lut, agg::gradient_repeat_adaptor<Gradient>(G));
  else
    AggGradientFill(Ras, Base, F, Lut, G);
}

agg::rgba8 ToAgg(bench::Colour C) { return agg::rgba8(C.r, C.g, C.b, C.a); }

void AggRender(const Scene& S, uint32_t* Pixels) {
  agg::rendering_buffer buffer(reinterpret_cast<agg::int8u*>(Pixels), S.width, S.height, S.width * 4);
  PixFmt pixfmt(buffer);
  RendererBase base(pixfmt);
  base.clear(agg::rgba8(255, 255, 255, 255));
  agg::rasterizer_scanline_aa<> ras;
  agg::scanline_u8 sl;
  for (const bench::Item& it : S.items) {
    agg::ellipse ellipse(it.cx, it.cy, it.rx, it.ry);
    ras.reset();
    ras.add_path(ellipse);
    const Fill& f = it.fill;
    if (f.kind == Fill::Solid) {
      agg::render_scanlines_aa_solid(ras, sl, base, ToAgg(f.colour));
    } else {
      ColourLut lut;
      lut.remove_all();
      for (const bench::Stop& s : f.stops) lut.add_color(s.ratio / 255.0, ToAgg(s.colour));
      lut.build_lut();
      if (f.kind == Fill::Linear)
        AggSpread(ras, base, f, lut, agg::gradient_x());
      else if (f.kind == Fill::Radial)
        AggSpread(ras, base, f, lut, agg::gradient_radial());
      else
        AggSpread(ras, base, f, lut, agg::gradient_radial_focus(kSpan, f.focal * kSpan, 0));
    }
    if (it.strokeWidth > 0) {
      agg::ellipse outline(it.cx, it.cy, it.rx, it.ry);
      agg::conv_stroke<agg::ellipse> stroke(outline);
      stroke.width(it.strokeWidth);
      stroke.line_join(agg::round_join);
      ras.reset();
      ras.add_path(stroke);
      agg::render_scanlines_aa_solid(ras, sl, base, ToAgg(it.stroke));
    }
  }
}

// ---- comparison and timing ----

struct Case {
  std::string name;
  Scene scene;
};

std::vector<Case>& Cases() {
  static std::vector<Case> cases = {
      {"gradient/1920x1080", bench::GradientScene(1920, 1080)},
      {"gradient/640x480", bench::GradientScene(640, 480)},
      {"small_shapes/1920x1080", bench::SmallShapesScene(1920, 1080)},
      {"small_shapes/640x480", bench::SmallShapesScene(640, 480)},
  };
  return cases;
}

// Mean absolute difference per channel, and the share of pixels off by more
// than 8 in some channel.
void Compare(const char* Name, const char* Peer, const std::vector<uint32_t>& A, const std::vector<uint32_t>& B) {
  double sum = 0;
  size_t far = 0;
  for (size_t i = 0; i < A.size(); ++i) {
    int worst = 0;
    for (int shift = 0; shift < 32; shift += 8) {
      const int d = std::abs(int((A[i] >> shift) & 0xFF) - int((B[i] >> shift) & 0xFF));
      sum += d;
      worst = std::max(worst, d);
    }
    far += worst > 8;
  }
  std::printf("  %-24s engine vs %-6s mean difference %.3f per channel, %.2f%% of pixels off by more than 8\n",
              Name, Peer, sum / (4.0 * A.size()), 100.0 * far / A.size());
}

void ComparePictures() {
  std::printf("Pictures against cairo's:\n");
  for (const Case& c : Cases()) {
    const size_t n = size_t(c.scene.width) * c.scene.height;
    std::vector<uint32_t> engine(n), cairo(n), agg(n);
    EngineScene(c.scene).Render(engine.data());
    CairoRender(c.scene, cairo.data());
    AggRender(c.scene, agg.data());
    Compare(c.name.c_str(), "cairo", engine, cairo);
    Compare(c.name.c_str(), "AGG", engine, agg);
  }
  std::fflush(stdout);
}

void RegisterAll() {
  for (Case& c : Cases()) {
    const Scene* scene = &c.scene;
    auto engine = std::make_shared<EngineScene>(c.scene);
    const std::function<void(uint32_t*)> renderers[] = {
        [engine](uint32_t* P) { engine->Render(P); },
        [engine](uint32_t* P) { engine->Render(P, true); },
        [scene](uint32_t* P) { CairoRender(*scene, P); },
        [scene](uint32_t* P) { AggRender(*scene, P); },
    };
    const char* names[] = {"engine", "engine_all_cores", "cairo", "agg"};
    for (int r = 0; r < 4; ++r) {
      benchmark::RegisterBenchmark(("BM_Render/" + c.name + "/" + names[r]).c_str(),
                                   [scene, render = renderers[r]](benchmark::State& State) {
                                     std::vector<uint32_t> pixels(size_t(scene->width) * scene->height);
                                     for (auto _ : State) {
                                       render(pixels.data());
                                       benchmark::DoNotOptimize(pixels.data());
                                       benchmark::ClobberMemory();
                                     }
                                   })
          ->Unit(benchmark::kMillisecond)
          ->UseRealTime();
    }
  }
}

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  ComparePictures();
  RegisterAll();
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
