// The drawing layer on a full-HD back buffer: filling, lines, shapes, copies, text.
#include <benchmark/benchmark.h>

#include <cstdint>

#include "platform/gfx/draw_context.h"

using namespace platform::gfx;

namespace {

constexpr int kW = 1920, kH = 1080;

// Deterministic points spread over the surface and a little beyond it.
Point Scatter(std::uint32_t& seed) {
    seed = seed * 1664525u + 1013904223u;
    int x = static_cast<int>(seed >> 8) % (kW + 200) - 100;
    seed = seed * 1664525u + 1013904223u;
    int y = static_cast<int>(seed >> 8) % (kH + 200) - 100;
    return {x, y};
}

}  // namespace

static void BM_FillSolid(benchmark::State& state) {
    auto s = Surface::Create(kW, kH);
    DrawContext dc(*s);
    for (auto _ : state) dc.FillRect({0, 0, kW, kH}, Brush::Solid(Color{10, 20, 30}));
    state.SetItemsProcessed(state.iterations() * kW * kH);
}
BENCHMARK(BM_FillSolid);

static void BM_FillPattern(benchmark::State& state) {
    auto s = Surface::Create(kW, kH);
    DrawContext dc(*s);
    Brush b = Brush::Pattern8x8({0xAA, 0x55, 0xAA, 0x55, 0xAA, 0x55, 0xAA, 0x55}, kWhite, kBlack);
    for (auto _ : state) dc.FillRect({0, 0, kW, kH}, b);
    state.SetItemsProcessed(state.iterations() * kW * kH);
}
BENCHMARK(BM_FillPattern);

static void BM_Lines(benchmark::State& state) {
    auto s = Surface::Create(kW, kH);
    DrawContext dc(*s);
    dc.SetPen(Pen::Solid(kWhite, static_cast<int>(state.range(0))));
    std::uint32_t seed = 1;
    for (auto _ : state) {
        dc.MoveTo(Scatter(seed));
        dc.LineTo(Scatter(seed));
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_Lines)->Arg(1)->Arg(3)->Arg(7);

// A coastline-like polyline of short segments, as the map draws them.
static void BM_Polyline(benchmark::State& state) {
    auto s = Surface::Create(kW, kH);
    DrawContext dc(*s);
    dc.SetPen(Pen::Solid(kWhite, static_cast<int>(state.range(0))));
    std::vector<Point> pts;
    for (int i = 0; i < 2000; ++i) pts.push_back({(i * 7) % kW, 500 + ((i * 37) % 23) - 11 + (i / 300) * 60});
    for (auto _ : state) dc.Polyline(pts);
    state.SetItemsProcessed(state.iterations() * static_cast<long>(pts.size()));
}
BENCHMARK(BM_Polyline)->Arg(1)->Arg(2);

static void BM_Dots(benchmark::State& state) {
    auto s = Surface::Create(kW, kH);
    DrawContext dc(*s);
    dc.SetPen(Pen::Solid(kWhite));
    dc.SetBrush(Brush::Solid(Color{255, 0, 0}));
    std::uint32_t seed = 7;
    for (auto _ : state) {
        Point p = Scatter(seed);
        dc.Ellipse({p.x - 6, p.y - 6, p.x + 6, p.y + 6});
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_Dots);

static void BM_PolygonFill(benchmark::State& state) {
    auto s = Surface::Create(kW, kH);
    DrawContext dc(*s);
    std::vector<Point> star;
    for (int i = 0; i < 5; ++i) {
        int k = (i * 2) % 5;
        const Point corners[5] = {{960, 40}, {1580, 500}, {1340, 1040}, {580, 1040}, {340, 500}};
        star.push_back(corners[k]);
    }
    for (auto _ : state) dc.Polygon(star);
}
BENCHMARK(BM_PolygonFill);

static void BM_BlitFrame(benchmark::State& state) {
    auto a = Surface::Create(kW, kH);
    auto b = Surface::Create(kW, kH);
    DrawContext dc(*b);
    for (auto _ : state) dc.Blit({0, 0, kW, kH}, *a, {0, 0}, RasterOp::Copy);
    state.SetItemsProcessed(state.iterations() * kW * kH);
}
BENCHMARK(BM_BlitFrame);

static void BM_Text(benchmark::State& state) {
    auto s = Surface::Create(kW, kH);
    DrawContext dc(*s);
    dc.SetFont(state.range(0) ? Font::Create("Arial", -24) : Font::Create("MS Sans Serif", 7));
    dc.SetBackMode(BackMode::Transparent);
    dc.SetTextColor(kWhite);
    const char* text = "M 6.4  Near coast of central Chile  1985-03-03 22:47";
    std::uint32_t seed = 3;
    for (auto _ : state) dc.TextOut(Scatter(seed), text);
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_Text)->Arg(0)->Arg(1);

static void BM_TextWrapped(benchmark::State& state) {
    auto s = Surface::Create(kW, kH);
    DrawContext dc(*s);
    dc.SetFont(Font::Create("Arial", -16));
    dc.SetBackMode(BackMode::Transparent);
    std::string para;
    for (int i = 0; i < 40; ++i) para += "The catalogue is replayed as an animation on the map. ";
    for (auto _ : state) dc.DrawWrapped({100, 100, 900, 1000}, para, HAlign::Left);
}
BENCHMARK(BM_TextWrapped);
