#include <gtest/gtest.h>

#include <algorithm>

#include "gfx_pixels.h"

using namespace platform::gfx;
using namespace gfxtest;

TEST(GfxRect, IsHalfOpen) {
    Rect r = Rect::FromSize(2, 3, 4, 5);
    EXPECT_EQ(r.right, 6);
    EXPECT_EQ(r.bottom, 8);
    EXPECT_EQ(r.size(), (Size{4, 5}));
    EXPECT_TRUE(r.contains({2, 3}));
    EXPECT_TRUE(r.contains({5, 7}));
    EXPECT_FALSE(r.contains({6, 7}));
    EXPECT_FALSE(r.contains({5, 8}));
    EXPECT_FALSE(r.contains({1, 3}));
}

TEST(GfxRect, TouchingRectanglesDoNotIntersect) {
    Rect a{0, 0, 4, 4};
    EXPECT_FALSE(a.intersects({4, 0, 8, 4}));
    EXPECT_FALSE(a.intersects({0, 4, 4, 8}));
    EXPECT_TRUE(a.intersects({3, 3, 8, 8}));
    EXPECT_EQ(a.intersected({3, 3, 8, 8}), (Rect{3, 3, 4, 4}));
}

TEST(GfxRect, InvertedIsEmptyAndUnionIgnoresEmpty) {
    EXPECT_TRUE((Rect{5, 0, 2, 4}).empty());
    EXPECT_TRUE((Rect{0, 0, 0, 4}).empty());
    Rect a{1, 1, 3, 3};
    EXPECT_EQ(a.united({50, 50, 40, 60}), a);
    EXPECT_EQ(Rect{}.united(a), a);
    EXPECT_EQ(a.united({5, 0, 6, 2}), (Rect{1, 0, 6, 3}));
}

TEST(GfxColor, PacksAsRowWords) {
    Color c{0x12, 0x34, 0x56};
    EXPECT_EQ(c.value(), 0x123456u);
    EXPECT_EQ(Color::FromValue(0xFF123456u), c);  // the unused byte never leaks in
    EXPECT_EQ(c.red(), 0x12);
    EXPECT_EQ(c.blue(), 0x56);
}

TEST(GfxPalette, IsALookupTableThatReadsBlackOutside) {
    Palette terrain(496);
    EXPECT_EQ(terrain.size(), 496);
    terrain.Set(495, Color{1, 2, 3});
    terrain.Set(496, kWhite);
    terrain.Set(-1, kWhite);
    EXPECT_EQ(terrain[495], (Color{1, 2, 3}));
    EXPECT_EQ(terrain[496], kBlack);
    EXPECT_EQ(terrain[-7], kBlack);
    EXPECT_EQ(Palette(-3).size(), 0);
}

TEST(GfxSurface, RefusesImpossibleSizesWithoutThrowing) {
    EXPECT_EQ(Surface::Create(-1, 4), nullptr);
    EXPECT_EQ(Surface::Create(4, -1), nullptr);
    EXPECT_EQ(Surface::Create(100000, 100000), nullptr);
    EXPECT_EQ(Mask::Create(1 << 15, 1 << 15), nullptr);
    auto empty = Surface::Create(0, 0);
    ASSERT_NE(empty, nullptr);
    DrawContext dc(*empty);
    dc.FillRect({-5, -5, 5, 5}, Brush::Solid(kWhite));
    dc.LineTo({10, 10});
    EXPECT_TRUE(empty->damage().empty());
}

TEST(GfxSurface, StartsFilledAndReadsNothingOutside) {
    auto s = Surface::Create(3, 2, Color{9, 8, 7});
    EXPECT_EQ(s->Pixel({2, 1}), (Color{9, 8, 7}));
    EXPECT_EQ(s->Pixel({3, 1}), std::nullopt);
    EXPECT_EQ(s->Pixel({0, -1}), std::nullopt);
    auto m = Mask::Create(2, 2, true);
    EXPECT_EQ(m->Bit({1, 1}), true);
    EXPECT_EQ(m->Bit({2, 0}), std::nullopt);
}

TEST(GfxSurface, DamageIsTheUnionOfWhatWasDrawnInsideTheSurface) {
    auto s = Surface::Create(20, 10);
    DrawContext dc(*s);
    EXPECT_TRUE(dc.damage().empty());
    dc.SetPixel({3, 4}, kWhite);
    EXPECT_EQ(s->damage(), (Rect{3, 4, 4, 5}));
    dc.FillRect({15, 8, 40, 40}, Brush::Solid(kWhite));
    EXPECT_EQ(s->damage(), (Rect{3, 4, 20, 10}));
    dc.ClearDamage();
    EXPECT_TRUE(s->damage().empty());
    // Clipped-away drawing damages nothing.
    dc.SetClip(Rect{0, 0, 2, 2});
    dc.FillRect({5, 5, 9, 9}, Brush::Solid(kWhite));
    EXPECT_TRUE(s->damage().empty());
    s->MarkDamaged({-5, -5, 100, 1});
    EXPECT_EQ(s->damage(), (Rect{0, 0, 20, 1}));
}

// The list that is presented: a shape's spans make one rectangle, shapes
// apart make their own, and a long list is held to its limit while still
// covering every pixel drawn.
TEST(GfxSurface, DamageRectanglesCoverWhatWasDrawnWithoutTheSpaceBetween) {
    auto s = Surface::Create(400, 300);
    DrawContext dc(*s);
    dc.SetPen(Pen::Solid(kWhite));
    dc.SetBrush(Brush::Solid(kWhite));
    dc.Ellipse({10, 10, 22, 22});
    dc.Ellipse({300, 200, 312, 212});
    ASSERT_EQ(s->damageRects().size(), 2u);
    EXPECT_EQ(s->damageRects()[0], (Rect{10, 10, 22, 22}));
    EXPECT_EQ(s->damageRects()[1], (Rect{300, 200, 312, 212}));
    EXPECT_EQ(s->damage(), (Rect{10, 10, 312, 212}));
    dc.ClearDamage();
    EXPECT_TRUE(s->damageRects().empty());

    // A grid of separate dots, more than the list holds.
    const int count = static_cast<int>(Surface::kMaxDamageRects) * 3 / 2;
    auto dot = [](int i) { return Point{(i % 50) * 8, (i / 50) * 8}; };
    for (int i = 0; i < count; ++i) dc.SetPixel(dot(i), kWhite);
    EXPECT_LE(s->damageRects().size(), Surface::kMaxDamageRects);
    long long area = 0;
    for (const Rect& r : s->damageRects()) area += static_cast<long long>(r.width()) * r.height();
    EXPECT_LT(area, 400LL * 300 / 2);
    for (int i = 0; i < count; ++i) {
        const Point p = dot(i);
        EXPECT_TRUE(std::any_of(s->damageRects().begin(), s->damageRects().end(),
                                [p](const Rect& r) { return r.contains(p); }))
            << p.x << "," << p.y;
    }
}

// Marks inside cells a full list already covers are dropped, not searched:
// on a surface whose edge cells are cut short, rounds of scattered dots stay
// covered, and a cleared list starts afresh without the old cover.
TEST(GfxSurface, AFullDamageListStillCoversEveryDotAndClearsWhole) {
    auto s = Surface::Create(401, 299);
    std::uint32_t seed = 1;
    auto next = [&seed](int n) {
        seed = seed * 1664525u + 1013904223u;
        return static_cast<int>((seed >> 8) % static_cast<std::uint32_t>(n));
    };
    std::vector<Rect> marked;
    for (int i = 0; i < static_cast<int>(Surface::kMaxDamageRects) * 6; ++i) {
        const Rect r{next(401), next(299), 0, 0};
        marked.push_back({r.left, r.top, r.left + 1 + next(3), r.top + 1 + next(3)});
        s->MarkDamaged(marked.back());
    }
    EXPECT_LE(s->damageRects().size(), Surface::kMaxDamageRects);
    for (const Rect& m : marked) {
        const Rect c = m.intersected(s->bounds());
        for (int y = c.top; y < c.bottom; ++y)
            for (int x = c.left; x < c.right; ++x)
                ASSERT_TRUE(std::any_of(s->damageRects().begin(), s->damageRects().end(),
                                        [&](const Rect& r) { return r.contains({x, y}); }))
                    << x << "," << y;
        ASSERT_TRUE(s->damage().contains({c.left, c.top}));
    }
    s->ClearDamage();
    s->MarkDamaged({400, 298, 401, 299});
    ASSERT_EQ(s->damageRects().size(), 1u);
    EXPECT_EQ(s->damageRects()[0], (Rect{400, 298, 401, 299}));
    EXPECT_EQ(s->damage(), (Rect{400, 298, 401, 299}));
}
