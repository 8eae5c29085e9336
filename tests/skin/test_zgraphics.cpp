#include <doctest.h>

#include "join.h"
#include "pixels.h"

#include "classlib/jpeg.h"

#include <climits>
#include <random>

namespace {

// The plain meaning of a copy of source rectangle R to (X, Y): every source pixel (sx, sy)
// of R lands at (X + sx - R.Left, Y + sy - R.Top) when that lies inside the destination.
template <class F> void ForEachPlaced(TBitmap& Dst, TBitmap& Src, int X, int Y, const TRect& R, F f)
{
    for (int64_t sy = std::max(R.Top, 0); sy < std::min(R.Bottom, Src.Height()); ++sy)
        for (int64_t sx = std::max(R.Left, 0); sx < std::min(R.Right, Src.Width()); ++sx) {
            const int64_t dx = X + sx - R.Left, dy = Y + sy - R.Top;
            if (dx >= 0 && dy >= 0 && dx < Dst.Width() && dy < Dst.Height())
                f(int(sx), int(sy), int(dx), int(dy));
        }
}

int Ch(TColor C, int Shift) { return (C >> Shift) & 0xFF; }

// Random pixels, many of them the key or one byte away from it.
TColor RandomPixel(std::mt19937& Rng)
{
    switch (Rng() % 6) {
    case 0:
    case 1: return 0xFF00FF;
    case 2: return 0xFF01FF;
    case 3: return TColor(0xFF00FF ^ (1u << (Rng() % 24)));
    default: return TColor(Rng() & 0xFFFFFF);
    }
}

std::unique_ptr<TBitmap> RandomBmp(std::mt19937& Rng, int W, int H)
{
    return MakeBmp24(W, H, [&](int, int) { return RandomPixel(Rng); });
}

} // namespace

TEST_CASE("pixel access: attaching 24- and 32-bit bitmaps")
{
    TSkFast24 f;
    CHECK_FALSE(f.Attach(nullptr));
    auto thin = CreateBmp24(1, 5);
    f.Width = 99;
    CHECK_FALSE(f.Attach(thin.get()));
    CHECK(f.Width == 0);
    auto b32 = CreateBmp32(4, 4);
    CHECK_THROWS_WITH_AS(f.Attach(b32.get()), "Bitmap format is not supported", EInvalidGraphic);
    auto b = MakeBmp24(3, 2, [](int x, int y) { return Rgb(x * 10, y * 20, 5); });
    REQUIRE(f.Attach(b.get()));
    CHECK(f.Delta == b->ScanLineStep());
    CHECK(f.Pixel(2, 1) == Rgb(20, 20, 5));

    TSkFast32 g;
    CHECK_THROWS_WITH_AS(g.Attach(b.get()), "Bitmap format is not supported", EInvalidGraphic);
    REQUIRE(g.Attach(b32.get()));
    static_cast<uint32_t*>(b32->ScanLine(2))[1] = 0x99332211;   // blue 11, green 22, red 33
    CHECK(uint32_t(g.Pixel(1, 2)) == 0x33112233u);                // red again in the top byte

    TSkFastSum24 s;
    CHECK_THROWS_AS(s.Attach(b.get(), b32.get()), EInvalidGraphic);
    auto big = CreateBmp24(5, 7);
    const bool thinOnes = s.Attach(thin.get(), b.get());
    REQUIRE(s.Attach(big.get(), b.get()));
    CHECK(Join(thinOnes, s.Width, s.Height) == Join(false, 3, 2));   // the smaller of the two
}

TEST_CASE("alpha blend: rectangles clipped at every edge, never outside the bitmaps; whole bitmaps")
{
    std::mt19937 rng(12345);
    auto src = MakeBmp24(9, 7, [&](int, int) { return TColor(rng() & 0xFFFFFF); });
    struct Case {
        TPoint P;
        TRect R;
    };
    const Case cases[] = {
        {{2, 1}, {1, 1, 5, 4}},    {{-3, -2}, {0, 0, 9, 7}}, {{5, 4}, {0, 0, 9, 7}},
        {{0, 0}, {-2, -3, 4, 4}},  {{3, 2}, {-5, -5, 20, 20}}, {{-100, 0}, {0, 0, 9, 7}},
        {{10, 10}, {0, 0, 9, 7}},  {{2, 2}, {5, 5, 3, 3}},   {{INT_MIN, INT_MAX}, {INT_MIN, 0, INT_MAX, 7}},
        {{1, 1}, {8, 6, 100, 100}}, {{0, 6}, {0, 0, 9, 7}},
    };
    for (const Case& c : cases) {
        auto dst = MakeBmp24(8, 7, [](int x, int y) { return Rgb(x * 30, y * 30, 77); });
        auto want = MakeBmp24(8, 7, [](int x, int y) { return Rgb(x * 30, y * 30, 77); });
        ForEachPlaced(*want, *src, c.P.X, c.P.Y, c.R, [&](int sx, int sy, int dx, int dy) {
            const TColor s = Px(*src, sx, sy), d = Px(*want, dx, dy);
            auto mix = [&](int k) { return (Ch(s, k) * (255 - 90) + Ch(d, k) * 90 + 127) >> 8; };
            SetPx(*want, dx, dy, Rgb(mix(0), mix(8), mix(16)));
        });
        BlendBitmapRect(dst.get(), src.get(), 90, c.P, c.R);
        CAPTURE(c.P.X);
        CAPTURE(c.R.Left);
        CHECK(Pixels(*dst) == Pixels(*want));
    }
    // A bitmap blended onto itself reads the source before it is changed.
    auto self = MakeBmp24(6, 4, [](int x, int) { return Rgb(x * 40, 0, 0); });
    BlendBitmapRect(self.get(), self.get(), 0, TPoint(1, 0), TRect(0, 0, 5, 4));
    CHECK(Join(Px(*self, 1, 0), Px(*self, 5, 3)) == Join(Rgb(0, 0, 0), Rgb((160 * 255 + 127) >> 8, 0, 0)));
    // Whole bitmaps of one size only; alpha outside a byte is clamped.
    auto e = Filled24(4, 3, Rgb(0, 0, 0));
    BlendBitmaps(e.get(), Filled24(4, 3, Rgb(200, 0, 255)).get(), -40);
    CHECK(Px(*e, 3, 2) == Rgb(199, 0, 254));
    BlendBitmaps(e.get(), Filled24(4, 3, Rgb(0, 0, 0)).get(), 1000);
    CHECK(Px(*e, 0, 0) == Rgb(198, 0, 253));
    BlendBitmaps(e.get(), Filled24(5, 3, Rgb(0, 0, 0)).get(), 0);
    CHECK(Px(*e, 0, 0) == Rgb(198, 0, 253));
}

TEST_CASE("blend toward a colour: percent kept, rounded to even, clamped and clipped")
{
    auto b = MakeBmp24(4, 4, [](int x, int y) { return Rgb(x, y * 80, 255); });
    const auto before = Pixels(*b);
    BlendToColor(b.get(), TRect(0, 0, 4, 4), 100, Rgb(9, 9, 9));
    CHECK(Pixels(*b) == before);
    BlendToColor(b.get(), TRect(0, 0, 4, 4), 150, Rgb(9, 9, 9));   // above 100: as 100
    CHECK(Pixels(*b) == before);
    // Only the rectangle inside the bitmap: 3 -> 1.5 -> 2 (ties to even)
    BlendToColor(b.get(), TRect(1, -5, 99, 1), 50, Rgb(0, 0, 0));
    CHECK(Join(Px(*b, 3, 0), Px(*b, 0, 0), Px(*b, 3, 1)) == Join(Rgb(2, 0, 128), Rgb(0, 0, 255), Rgb(3, 80, 255)));
    auto c = Filled24(3, 3, Rgb(50, 50, 50));
    BlendToColor(c.get(), TRect(0, 0, 3, 3), -20, Rgb(7, 8, 9));   // below 0: as 0
    CHECK(Px(*c, 1, 1) == Rgb(7, 8, 9));
    BlendToColor(c.get(), TRect(5, 5, 9, 9), 0, Rgb(0, 0, 0));      // outside: nothing
    BlendToColor(c.get(), TRect(2, 2, 1, 1), 0, Rgb(0, 0, 0));
    CHECK(CountNot(*c, TRect(0, 0, 3, 3), Rgb(7, 8, 9)) == 0);
    BlendToColor(c.get(), TRect(0, 0, 3, 3), 0, clBtnFace);   // a system colour: what it shows
    CHECK(Px(*c, 2, 2) == ColorToRGB(clBtnFace));
}

TEST_CASE("blend of a keyed source: the weight clamped, placing off the edges clipped")
{
    // Weights and keys as painters use them are checked by the disabled looks and the glyphs.
    auto src = MakeBmp24(3, 2, [](int x, int y) { return x == 1 && y == 0 ? 0xFF00FF : Rgb(0, 100, 200); });
    auto d = Filled24(5, 4, Rgb(9, 9, 9));
    BlendBmpRect(d.get(), 4, 3, 0xFF00FF, 7.0, TRect(0, 0, 3, 2), src.get());
    BlendBmpRect(d.get(), -2, -1, 0xFF00FF, -1.0, TRect(0, 0, 3, 2), src.get());
    CHECK(Join(Px(*d, 4, 3), Px(*d, 0, 0)) == Join(Rgb(9, 9, 9), Rgb(0, 100, 200)));
    CHECK(CountNot(*d, TRect(1, 0, 5, 4), Rgb(9, 9, 9)) == 0);
}

TEST_CASE("mask multiply, bitmap mix and colour mix")
{
    auto img = Filled24(3, 2, Rgb(200, 0, 255));
    auto mask = MakeBmp24(3, 2, [](int x, int) { return x == 0 ? Rgb(128, 128, 128) : x == 1 ? Rgb(0, 0, 0) : Rgb(255, 255, 255); });
    MultiplyByMask(img.get(), mask.get(), Rgb(100, 50, 0));
    CHECK(Px(*img, 0, 0) == Rgb(((200 - 100) * 128 + 100 * 256) >> 8, ((0 - 50) * 128 + 50 * 256) >> 8, (255 * 128) >> 8));
    CHECK(Px(*img, 1, 1) == Rgb(100, 50, 0));   // mask 0: the colour
    auto odd = Filled24(4, 2, 0);
    MultiplyByMask(img.get(), odd.get(), 0);   // sizes differ: nothing
    CHECK(Px(*img, 1, 1) == Rgb(100, 50, 0));

    // The plain mix into a 32-bit bitmap is the animated show's, checked by its frames; here
    // the weights clamped, a mask's weights per channel, a 24-bit target and other sizes.
    auto a = Filled24(3, 2, Rgb(255, 0, 100));
    auto b = Filled24(3, 2, Rgb(0, 255, 100));
    auto t = CreateBmp32(3, 2);
    TSkFast32 f;
    REQUIRE(f.Attach(t.get()));
    MixBitmaps(t.get(), a.get(), b.get(), 1000);   // clamped to 255
    const TColor most = f.Pixel(0, 0) & 0xFFFFFF;
    MixBitmaps(t.get(), a.get(), b.get(), -5);     // clamped to 0: B
    CHECK(Join(most, f.Pixel(0, 0) & 0xFFFFFF, f.Row(1)[3]) == Join(Rgb(254, 0, 100), Rgb(0, 255, 100), 0));
    auto m = MakeBmp24(3, 2, [](int, int) { return Rgb(255, 128, 0); });
    MixBitmaps(t.get(), a.get(), b.get(), 200, m.get());
    // weights per channel: red (200 * 255) >> 8 = 199, green 100, blue 0
    CHECK((f.Pixel(1, 0) & 0xFFFFFF) == Rgb((255 * 199) >> 8, (255 * 156) >> 8, 100));
    auto t24 = CreateBmp24(3, 2);
    MixBitmaps(t24.get(), a.get(), b.get(), 64);
    CHECK(Px(*t24, 0, 0) == Rgb(63, 191, 100));
    auto wrong = CreateBmp32(4, 2);
    MixBitmaps(wrong.get(), a.get(), b.get(), 64);   // sizes differ: nothing
    REQUIRE(f.Attach(wrong.get()));
    CHECK((f.Pixel(0, 0) & 0xFFFFFF) == 0xFFFFFF);

    // 1.5 -> 2; the top byte of C1 kept; K clamped.
    CHECK(Join(MixColors(Rgb(255, 0, 100), Rgb(0, 255, 100), 0.4), MixColors(Rgb(3, 0, 0), Rgb(0, 0, 0), 0.5),
               MixColors(TColor(0x7F0000FF), 0, 1.0), MixColors(Rgb(200, 0, 0), Rgb(100, 0, 0), 5.0)) ==
          Join(Rgb(102, 153, 100), Rgb(2, 0, 0), TColor(0x7F0000FF), Rgb(255, 0, 0)));
    CHECK(Join(MixColorsHalf(Rgb(255, 0, 10), Rgb(0, 255, 10)), MixColorsHalf(TColor(0x7F000000), 0)) ==
          Join(Rgb(126, 128, 10), 0));
}

TEST_CASE("grey, saturation and hue")
{
    auto b = MakeBmp24(2, 2, [](int x, int) { return x ? TColor(0xFF00FF) : Rgb(10, 20, 31); });
    GrayscaleExceptColor(b.get(), 0xFF00FF);
    CHECK(Join(Px(*b, 0, 1), Px(*b, 1, 1)) == Join(Rgb(20, 20, 20), 0xFF00FF));
    GrayscaleBitmap(b.get());
    CHECK(Px(*b, 1, 0) == Rgb(170, 170, 170));

    const TColor c = Rgb(200, 100, 30);   // average 110
    // Beyond grey: clamped to 100; away from grey, each channel clamped, and -100 at most.
    CHECK(Join(ChangeSaturation(c, 150), ChangeSaturation(c, 50), ChangeSaturation(c, -50), ChangeSaturation(c, -400)) ==
          Join(Rgb(110, 110, 110), Rgb(155, 105, 70), Rgb(245, 95, 0), ChangeSaturation(c, -100)));

    const TColor red = Rgb(255, 0, 0), orange = Rgb(255, 128, 0);
    CHECK(Join(ChangeHue(360, orange), ChangeHue(120, red), ChangeHue(240, red), ChangeHue(60, Rgb(0, 0, 255))) ==
          Join(orange, Rgb(0, 255, 0), Rgb(0, 0, 255), Rgb(255, 0, 255)));
    // Offsets below zero wrap: -120 is 240, and whole turns either way change nothing.
    CHECK(Join(ChangeHue(-120, red), ChangeHue(-1, red), ChangeHue(-1000000, orange), ChangeHue(INT_MIN, red)) ==
          Join(ChangeHue(240, red), ChangeHue(359, red), ChangeHue(-1000000 % 360 + 360, orange),
               ChangeHue(int((int64_t(INT_MIN) % 360) + 360), red)));
    // Grey stays; the top byte goes; a system colour is what it shows.
    CHECK(Join(ChangeHue(90, Rgb(128, 128, 128)), ChangeHue(0, TColor(0x7F0000FF)), ChangeHue(0, clBtnFace)) ==
          Join(Rgb(128, 128, 128), red, ChangeHue(0, ColorToRGB(clBtnFace))));
}

TEST_CASE("keyed copies and blends match the plain per-pixel rules on random images of many widths")
{
    std::mt19937 rng(777);
    const int widths[] = {2, 3, 4, 5, 7, 16, 17, 33, 1023, 1024, 1025, 1100, 2049};
    for (int w : widths) {
        auto src = RandomBmp(rng, w, 3);
        auto dst = MakeBmp24(w + 3, 4, [&](int, int) { return TColor(rng() & 0xFFFFFF); });
        auto want = CreateBmp24(w + 3, 4);
        for (int y = 0; y < 4; ++y)
            for (int x = 0; x < w + 3; ++x)
                SetPx(*want, x, y, Px(*dst, x, y));
        const int X = int(rng() % 5) - 2, Y = int(rng() % 3) - 1;
        const TRect R(int(rng() % 3) - 1, 0, w - int(rng() % 2), 3);
        ForEachPlaced(*want, *src, X, Y, R, [&](int sx, int sy, int dx, int dy) {
            if (Px(*src, sx, sy) != 0xFF00FF)
                SetPx(*want, dx, dy, Px(*src, sx, sy));
        });
        CopyKeyed(dst.get(), src.get(), X, 0xFF00FF, R, Y);
        CAPTURE(w);
        CHECK(Pixels(*dst) == Pixels(*want));

        // The half blend of a keyed source and the alpha blend over the same random images.
        ForEachPlaced(*want, *src, X, Y, R, [&](int sx, int sy, int dx, int dy) {
            const TColor s = Px(*src, sx, sy), d = Px(*want, dx, dy);
            auto half = [&](int k) { return RoundEven(Ch(s, k) - (Ch(s, k) - Ch(d, k)) * 0.5); };
            if (s != 0xFF00FF)
                SetPx(*want, dx, dy, Rgb(half(0), half(8), half(16)));
        });
        BlendBmpRect(dst.get(), X, Y, 0xFF00FF, 0.5, R, src.get());
        CHECK(Pixels(*dst) == Pixels(*want));
        ForEachPlaced(*want, *src, X, Y, R, [&](int sx, int sy, int dx, int dy) {
            const TColor s = Px(*src, sx, sy), d = Px(*want, dx, dy);
            auto mix = [&](int k) { return (Ch(s, k) * 55 + Ch(d, k) * 200 + 127) >> 8; };
            SetPx(*want, dx, dy, Rgb(mix(0), mix(8), mix(16)));
        });
        BlendBitmapRect(dst.get(), src.get(), 200, TPoint(X, Y), R);
        CHECK(Pixels(*dst) == Pixels(*want));
    }
}

TEST_CASE("keyed copy with the parent's image behind the key pixels")
{
    std::mt19937 rng(99);
    auto parent = MakeBmp24(1030, 5, [](int x, int y) { return Rgb(x & 0xFF, y, 0x44); });
    const int widths[] = {3, 8, 1028};
    for (int w : widths) {
        auto src = RandomBmp(rng, w, 3);
        auto dst = Filled24(w, 3, Rgb(1, 2, 3));
        const TzCacheInfo info = MakeCacheInfo(parent.get(), 4, 3);   // parent rows 3 and 4 only
        CopyKeyedWithParent(dst.get(), src.get(), 0, true, info, 0xFF00FF, TRect(0, 0, w, 3), 0);
        for (int y = 0; y < 3; ++y)
            for (int x = 0; x < w; ++x) {
                const TColor s = Px(*src, x, y);
                TColor want = s;
                if (s == 0xFF00FF)
                    want = y + 3 < 5 && x + 4 < 1030 ? Px(*parent, x + 4, y + 3) : Rgb(1, 2, 3);
                if (Px(*dst, x, y) != want) {
                    CAPTURE(w);
                    CAPTURE(x);
                    CAPTURE(y);
                    CHECK(Px(*dst, x, y) == want);
                    return;
                }
            }
    }
    // Without useParent, or a parent that is not ready, key pixels stay as they were.
    auto src = MakeBmp24(2, 2, [](int x, int) { return x ? TColor(0xFF00FF) : Rgb(9, 9, 9); });
    auto dst = Filled24(2, 2, Rgb(1, 2, 3));
    const TRect all(0, 0, 2, 2);
    CopyKeyedWithParent(dst.get(), src.get(), 0, false, MakeCacheInfo(parent.get(), 0, 0), 0xFF00FF, all, 0);
    CopyKeyedWithParent(dst.get(), src.get(), 0, true, EmptyCacheInfo, 0xFF00FF, all, 0);
    // A parent left of the destination: only the part over it is taken.
    CopyKeyedWithParent(dst.get(), src.get(), 0, true, MakeCacheInfo(parent.get(), -2, 0), 0xFF00FF, all, 0);
    CHECK(Join(Px(*dst, 1, 1), Px(*dst, 1, 0)) == Join(Rgb(1, 2, 3), Rgb(1, 2, 3)));
    CopyKeyedWithParent(dst.get(), src.get(), 0, true, MakeCacheInfo(parent.get(), -1, 0), 0xFF00FF, all, 0);
    CHECK(Px(*dst, 1, 0) == Px(*parent, 0, 0));
    // A 32-bit parent does not attach: the key pixels are left alone.
    auto p32 = CreateBmp32(4, 4);
    auto d4 = Filled24(2, 2, Rgb(1, 2, 3));
    CopyKeyedWithParent(d4.get(), src.get(), 0, true, MakeCacheInfo(p32.get(), 0, 0), 0xFF00FF, all, 0);
    CHECK(Join(Px(*d4, 1, 0), Px(*d4, 0, 0)) == Join(Rgb(1, 2, 3), Rgb(9, 9, 9)));
    // Without a picture it can read, the backdrop's colour stands behind the key pixels.
    CopyKeyedWithParent(d4.get(), src.get(), 0, TzBackdrop(MakeCacheInfo(p32.get(), 0, 0), Rgb(7, 7, 7)), 0xFF00FF, all, 0);
    CHECK(Px(*d4, 1, 0) == Rgb(7, 7, 7));
    CopyKeyedWithParent(d4.get(), src.get(), 0, TzBackdrop(EmptyCacheInfo, Rgb(7, 7, 7)), clNone, all, 0);
    CHECK(Px(*d4, 1, 1) == 0xFF00FF);   // no key in force: a plain copy
}

TEST_CASE("a rectangle of a DC filled, its brush left as it was")
{
    CHECK(CreateBmpLike(nullptr)->Empty());
    auto c = Filled24(6, 6, Rgb(0, 0, 0));
    HDC dc = c->Canvas()->Handle();
    HGDIOBJ brushBefore = GetCurrentObject(dc, OBJ_BRUSH);
    FillDC(dc, TRect(1, 1, 3, 4), Rgb(10, 20, 30));
    CHECK(GetCurrentObject(dc, OBJ_BRUSH) == brushBefore);
    CHECK(CountNot(*c, TRect(1, 1, 3, 4), Rgb(10, 20, 30)) == 0);
    FillDC(dc, TRect(0, 0, 1, 1), clBtnFace);
    CHECK(Join(Px(*c, 3, 1), Px(*c, 0, 0)) == Join(Rgb(0, 0, 0), ColorToRGB(clBtnFace)));
}

TEST_CASE("tiling pictures and the dotted focus frame")
{
    auto tile = MakeBmp24(3, 2, [](int x, int y) { return Rgb(x * 50, y * 50, 9); });
    auto b = Filled24(10, 8, Rgb(1, 1, 1));
    TileGraphic(b->Canvas(), TRect(1, 1, 8, 6), tile.get());
    for (int y = 1; y < 6; ++y)
        for (int x = 1; x < 8; ++x)
            CHECK(Px(*b, x, y) == Rgb(((x - 1) % 3) * 50, ((y - 1) % 2) * 50, 9));
    TBitmap empty;
    TileGraphic(b->Canvas(), TRect(0, 0, 10, 8), &empty);
    CHECK(Join(Px(*b, 8, 1), Px(*b, 1, 6), Px(*b, 0, 0)) == Join(Rgb(1, 1, 1), Rgb(1, 1, 1), Rgb(1, 1, 1)));

    TJPEGImage jpeg;
    jpeg.LoadFromFile(ZANDREL_TEST_DATA "/tiny.jpg");
    REQUIRE(!jpeg.Empty());
    TBitmap decoded;
    decoded.Assign(&jpeg);
    const int jw = jpeg.Width(), jh = jpeg.Height();
    auto j = Filled24(jw * 2 + 1, jh + 1, Rgb(1, 1, 1));
    TileGraphic(j->Canvas(), TRect(0, 0, jw * 2, jh), &jpeg);
    CHECK(Join(Px(*j, jw, 0), Px(*j, jw * 2 - 1, jh - 1)) == Join(PixelAt(decoded, 0, 0), PixelAt(decoded, jw - 1, jh - 1)));
    CHECK(Join(Px(*j, jw * 2, 0), Px(*j, 0, jh)) == Join(Rgb(1, 1, 1), Rgb(1, 1, 1)));

    auto f = Filled24(12, 10, Rgb(100, 100, 100));
    DrawDottedFocusRect(f->Canvas(), TRect(2, 2, 10, 8));
    // Every other pixel of the edges black, and white up and left of each.
    const TColor G = Rgb(100, 100, 100), Bk = Rgb(0, 0, 0), Wh = Rgb(255, 255, 255);
    for (const TPoint p : {TPoint(2, 2), TPoint(5, 2), TPoint(8, 7), TPoint(2, 5), TPoint(9, 5)}) {
        CAPTURE(p.X);
        CAPTURE(p.Y);
        CHECK(Join(Px(*f, p.X, p.Y), Px(*f, p.X - 1, p.Y - 1)) == Join(Bk, Wh));
    }
    CHECK(Px(*f, 3, 2) == G);
    // Nothing inside, below or right of the frame is touched.
    CHECK(Join(CountNot(*f, TRect(4, 4, 7, 5), G), CountNot(*f, TRect(0, 9, 12, 10), G), CountNot(*f, TRect(11, 0, 12, 10), G)) ==
          Join(0, 0, 0));
}

TEST_CASE("blend toward a colour rounds every byte and percent exactly")
{
    auto b = CreateBmp24(256, 2);
    for (int p = 0; p <= 100; ++p) {
        const TColor c = TColor(uint32_t(p) * 2654435761u & 0xFFFFFF);
        for (int x = 0; x < 256; ++x) {
            SetPx(*b, x, 0, Rgb(x, 255 - x, x ^ 0x5A));
            SetPx(*b, x, 1, Rgb(x, x, x));
        }
        BlendToColor(b.get(), TRect(0, 0, 256, 2), p, c);
        for (int x = 0; x < 256; ++x)
            for (int y = 0; y < 2; ++y) {
                const TColor was = y ? Rgb(x, x, x) : Rgb(x, 255 - x, x ^ 0x5A);
                auto ch = [&](int k) { return int(DivRoundEven(Channel(was, k) * p + Channel(c, k) * (100 - p), 100)); };
                REQUIRE(Px(*b, x, y) == Rgb(ch(0), ch(1), ch(2)));
            }
    }
}

TEST_CASE("tiles, stretches and masked tiles match the plain per-pixel rules on random rectangles")
{
    std::mt19937 rng(4242);
    auto rnd = [&](int Lo, int Hi) { return Lo + int(rng() % unsigned(Hi - Lo + 1)); };
    auto rect = [&](int W, int H) {
        const int l = rnd(-6, W), t = rnd(-6, H);
        return TRect(l, t, l + rnd(-1, W + 6), t + rnd(-1, H + 6));
    };
    for (int n = 0; n < 300; ++n) {
        // Source rows are random, white or black, so that masks of 255 over white images and
        // masks of 0 come whole rows at a time as well as mixed.
        const int sw = rnd(2, 30), sh = rnd(2, 24);
        std::vector<int> kind(static_cast<size_t>(sh));
        for (int& k : kind)
            k = rnd(0, 2);
        auto src = MakeBmp24(sw, sh, [&](int, int y) {
            return kind[size_t(y)] == 1 ? Rgb(255, 255, 255) : kind[size_t(y)] == 2 ? Rgb(0, 0, 0) : TColor(rng() & 0xFFFFFF);
        });
        auto src32 = CreateBmp32(sw, sh);   // the same pixels, BGRA, a random alpha byte
        for (int y = 0; y < sh; ++y)
            for (int x = 0; x < sw; ++x) {
                const uint32_t c = Px(*src, x, y);
                static_cast<uint32_t*>(src32->ScanLine(y))[x] = rng() << 24 | (c & 0xFF) << 16 | (c & 0xFF00) | c >> 16;
            }
        const int dw = rnd(2, 160), dh = rnd(2, 20);
        auto got = MakeBmp24(dw, dh, [&](int, int) { return TColor(rng() & 0xFFFFFF); });
        auto want = MakeBmp24(dw, dh, [&](int x, int y) { return Px(*got, x, y); });
        const TRect R = rect(sw, sh), area = rect(dw, dh), clip = rnd(0, 1) ? rect(dw, dh) : area;
        const int how = rnd(0, 2), offset = rnd(-3, sh);
        // The readable part of R: for a masked tile, rows whose mask row lies in the source too.
        const int top = how == 2 ? std::max(0, -offset) : 0, bottom = how == 2 ? std::min(sh, sh - offset) : sh;
        const TRect s(std::max(R.Left, 0), std::max(R.Top, top), std::min(R.Right, sw), std::min(R.Bottom, bottom));
        for (int y = std::max({area.Top, clip.Top, 0}); y < std::min({area.Bottom, clip.Bottom, dh}); ++y)
            for (int x = std::max({area.Left, clip.Left, 0}); x < std::min({area.Right, clip.Right, dw}); ++x) {
                if (s.Width() <= 0 || s.Height() <= 0)
                    continue;
                const int sx = s.Left + (how == 1 ? int(int64_t(x - area.Left) * s.Width() / area.Width())
                                                  : (x - area.Left) % s.Width());
                const int sy = s.Top + (how == 1 ? int(int64_t(y - area.Top) * s.Height() / area.Height())
                                                 : (y - area.Top) % s.Height());
                const TColor sp = Px(*src, sx, sy);
                if (how != 2) {
                    SetPx(*want, x, y, sp);
                    continue;
                }
                const TColor m = Px(*src, sx, sy + offset), d = Px(*want, x, y);
                auto ch = [&](int k) { return (Channel(d, k) * Channel(m, k) + Channel(sp, k) * (256 - Channel(m, k))) >> 8; };
                SetPx(*want, x, y, Rgb(ch(0), ch(1), ch(2)));
            }
        TSkPixelRows d, s24, s32;
        REQUIRE(Join(PixelRowsOf(got.get(), d), PixelRowsOf(src.get(), s24), PixelRowsOf(src32.get(), s32, true)) ==
                Join(true, true, true));
        const TSkPixelRows& from = rnd(0, 1) ? s24 : s32;
        how == 0   ? TileRows(d, area, from, R, clip)
        : how == 1 ? StretchRows(d, area, from, R, clip)
                   : TileMaskedRows(d, area, s24, R, offset, clip);
        CAPTURE(n);
        REQUIRE(Pixels(*got) == Pixels(*want));
    }
}
