// Skin elements painted by pixels: the nine-piece frame against a plain per-pixel model on
// random masks and rectangles, glyph frames and their copy modes, the disabled looks, the
// region border and the corners filled from the parent.
#include "join.h"
#include "synthskin.h"

#include "classlib/gdihandles.h"
#include "skin/zskinpaint.h"

#include <doctest.h>

#include <random>
#include <tuple>

namespace {

// (G * M + S * (256 - M)) shr 8 per channel.
TColor MaskMix(TColor G, TColor S, TColor M, int Add = 0)
{
    int c[3];
    for (int k = 0; k < 3; ++k) {
        const int m = std::min(Channel(M, k) + Add, 255);
        c[k] = (Channel(G, k) * m + Channel(S, k) * (256 - m)) >> 8;
    }
    return Rgb(c[0], c[1], c[2]);
}

bool Inside(TBitmap& B, int64_t X, int64_t Y) { return X >= 0 && Y >= 0 && X < B.Width() && Y < B.Height(); }

// The nine-piece frame by the plain rules, one destination pixel at a time: corners placed
// once, sides and centre repeated by the remainder of the distance (or scaled), every source
// pixel read only where it exists; without a picture behind, key pixels of corners take the
// backdrop's colour.
void ModelSkinRect(TBitmap& B, const TRect& D, bool FillCentre, bool UseParent, int State, const TzMaskData& M,
                   const TzBackdrop& Behind)
{
    const TzCacheInfo& P = Behind.Picture;
    const TColor replaceBy = P.Ready ? SkinKeyColor : Behind.Color;
    TBitmap& S = *M.Manager->MasterBitmap();
    const int frames = std::max<int>(M.ImageCount, 1), fw = M.R.Width() / frames;
    const int fh = M.R.Height() / (std::max<int>(M.MaskType, 0) + 1);
    if (D.Width() < 2 || D.Height() < 2 || fw <= 0 || fh <= 0)
        return;
    const int fx = M.R.Left + std::clamp(State, 0, frames - 1) * fw, fy = M.R.Top;
    int L = M.WL, R = M.WR, T = M.WT, Bm = M.WB;
    auto fit = [](int& A, int& Z, int Size) {
        if (Size < A + Z) {
            const int c = (A + Z - Size) / 2;
            A = std::max(0, A - c);
            Z = std::max(0, Z - c - Size % 2);
        }
    };
    fit(L, R, D.Width());
    fit(T, Bm, D.Height());
    const int cw = std::max(0, fw - L - R), ch = std::max(0, fh - T - Bm);
    struct Piece { TRect A, S; bool Corner, Centre; };
    const Piece pieces[9] = {
        {{D.Left, D.Top, D.Left + L, D.Top + T}, {fx, fy, fx + L, fy + T}, true, false},
        {{D.Left, D.Top + T, D.Left + L, D.Bottom - Bm}, {fx, fy + T, fx + L, fy + T + ch}, false, false},
        {{D.Left + L, D.Top, D.Right - R, D.Top + T}, {fx + L, fy, fx + L + cw, fy + T}, false, false},
        {{D.Left, D.Bottom - Bm, D.Left + L, D.Bottom}, {fx, fy + fh - Bm, fx + L, fy + fh}, true, false},
        {{D.Left + L, D.Bottom - Bm, D.Right - R, D.Bottom}, {fx + L, fy + fh - Bm, fx + L + cw, fy + fh}, false, false},
        {{D.Right - R, D.Bottom - Bm, D.Right, D.Bottom}, {fx + fw - R, fy + fh - Bm, fx + fw, fy + fh}, true, false},
        {{D.Right - R, D.Top, D.Right, D.Top + T}, {fx + fw - R, fy, fx + fw, fy + T}, true, false},
        {{D.Right - R, D.Top + T, D.Right, D.Bottom - Bm}, {fx + fw - R, fy + T, fx + fw, fy + T + ch}, false, false},
        {{D.Left + L, D.Top + T, D.Right - R, D.Bottom - Bm}, {fx + L, fy + T, fx + L + cw, fy + T + ch}, false, true},
    };
    const bool masked = M.MaskType != 0;
    const int rows = masked ? S.Height() - fh : S.Height();   // source rows readable with their mask
    for (const Piece& p : pieces) {
        if (p.Centre && (!FillCentre || (!masked && M.BorderWidth)))
            continue;
        TRect s = p.S;
        if (!p.Corner)
            s = TRect(std::max(s.Left, 0), std::max(s.Top, 0), std::min(s.Right, S.Width()), std::min(s.Bottom, rows));
        const bool stretch = !masked && M.DrawMode != 0 && !p.Corner;
        for (int y = std::max({p.A.Top, D.Top, 0}); y < std::min({p.A.Bottom, D.Bottom, B.Height()}); ++y)
            for (int x = std::max({p.A.Left, D.Left, 0}); x < std::min({p.A.Right, D.Right, B.Width()}); ++x) {
                if (s.IsEmpty())
                    continue;
                int sx = s.Left + (x - p.A.Left), sy = s.Top + (y - p.A.Top);
                if (stretch) {
                    sx = s.Left + (x - p.A.Left) * s.Width() / p.A.Width();
                    sy = s.Top + (y - p.A.Top) * s.Height() / p.A.Height();
                } else if (!p.Corner) {
                    sx = s.Left + (x - p.A.Left) % s.Width();
                    sy = s.Top + (y - p.A.Top) % s.Height();
                } else if (sx < 0 || sy < 0 || sx >= S.Width() || sy >= rows) {
                    continue;
                }
                const TColor src = Px(S, sx, sy);
                const bool parent = P.Ready && Inside(*P.Bmp, P.X + x, P.Y + y);
                const bool replace = p.Corner && src == SkinKeyColor && replaceBy != SkinKeyColor;
                if (replace)
                    SetPx(B, x, y, replaceBy);
                else if (masked)
                    SetPx(B, x, y, MaskMix(p.Corner && parent ? Px(*P.Bmp, P.X + x, P.Y + y) : Px(B, x, y), src,
                                           Px(S, sx, sy + fh)));
                else if (!p.Corner || src != SkinKeyColor)
                    SetPx(B, x, y, src);
                else if (UseParent && parent)
                    SetPx(B, x, y, Px(*P.Bmp, P.X + x, P.Y + y));
            }
    }
}

} // namespace

TEST_CASE("nine-piece frames match the plain per-pixel rules on random masks and rectangles")
{
    TSynthSkin skin;
    skin.Load();
    std::mt19937 rng(2024);
    auto rnd = [&](int Lo, int Hi) { return Lo + int(rng() % unsigned(Hi - Lo + 1)); };
    auto parent = MakeBmp24(90, 70, [&](int, int) { return TColor(rng() & 0xFFFFFF); });
    for (int n = 0; n < 400; ++n) {
        const int l = rnd(-12, 110), t = rnd(-8, 50);
        TzMaskData m = skin.MakeMask(TRect(l, t, l + rnd(0, 60), t + rnd(0, 40)), rnd(0, 3), rnd(0, 2), rnd(0, 12),
                                     rnd(0, 10), rnd(0, 12), rnd(0, 10));
        m.DrawMode = int16_t(rnd(0, 1));
        m.BorderWidth = int16_t(rnd(0, 3) == 0);
        const int dl = rnd(-10, 50), dt = rnd(-10, 30);
        const TRect D(dl, dt, dl + rnd(0, 70), dt + rnd(0, 50));
        const TzCacheInfo info = rnd(0, 2) ? MakeCacheInfo(parent.get(), rnd(-20, 40), rnd(-20, 30)) : EmptyCacheInfo;
        const TzBackdrop behind(info, rnd(0, 2) == 0 ? Rgb(1, 2, 3) : SkinKeyColor);
        const bool fill = rnd(0, 1), useParent = rnd(0, 1);
        const int state = rnd(-1, 4);
        auto got = MakeBmp24(64, 48, [&](int, int) { return TColor(rng() & 0xFFFFFF); });
        auto want = MakeBmp24(64, 48, [&](int x, int y) { return Px(*got, x, y); });
        DrawSkinRect(got.get(), D, (fill ? bfFillCentre : 0) | (useParent ? bfKeysShowParent : 0), TzPaintState(state), m,
                     behind);
        ModelSkinRect(*want, D, fill, useParent, state, m, behind);
        CAPTURE(n);
        REQUIRE(Pixels(*got) == Pixels(*want));
    }
}

TEST_CASE("glyph frames: states, copy modes, key pixels and a place left of the bitmap")
{
    TSynthSkin skin;
    // Three 4 x 3 frames over a mask half: image (frame, x, y), mask 0 left, 255 right.
    skin.Paint(TRect(0, 0, 12, 6), [](int x, int y) {
        if (y >= 3)
            return x % 4 < 2 ? Rgb(0, 0, 0) : Rgb(255, 255, 255);
        return x % 4 == 0 && y == 0 ? SkinKeyColor : Rgb(x / 4 * 100, x % 4 * 10, y);
    });
    skin.Paint(TRect(20, 0, 26, 2), [](int x, int) { return x == 1 ? SkinKeyColor : Rgb(0, 100, 200); });
    skin.Image("G", "MASKED", TRect(0, 0, 12, 6), 3, 1);
    skin.Image("G", "PLAIN", TRect(20, 0, 26, 2), 3, 0);
    skin.Load();
    const TColor bg = Rgb(50, 60, 70);
    auto b = Filled24(10, 6, bg);
    DrawSkinGlyph(b.get(), TPoint(1, 1), TzPaintState(5), skin.Mask("G", "MASKED"), 1);   // the last frame
    // A key pixel left alone; mask 0: the image.
    CHECK(Join(Px(*b, 1, 1), Px(*b, 2, 1), Px(*b, 3, 2)) == Join(bg, Rgb(200, 10, 0), MaskMix(bg, Rgb(200, 20, 1), Rgb(255, 255, 255))));
    auto light = Filled24(10, 6, bg);
    DrawSkinGlyph(light.get(), TPoint(0, 0), psHot, skin.Mask("G", "MASKED"), 0);   // the mask lightened by 100
    CHECK(Px(*light, 1, 0) == MaskMix(bg, Rgb(100, 10, 0), 0, 100));
    // At x = -3 the first three columns are lost and the glyph is not moved.
    auto cut = Filled24(10, 6, bg);
    DrawSkinGlyph(cut.get(), TPoint(-3, 0), psNormal, skin.Mask("G", "MASKED"), 1);
    CHECK(Join(Px(*cut, 0, 1), CountNot(*cut, TRect(1, 0, 10, 6), bg)) == Join(MaskMix(bg, Rgb(0, 30, 1), Rgb(255, 255, 255)), 0));

    auto p = Filled24(4, 4, bg);
    DrawSkinGlyph(p.get(), TPoint(0, 0), psNormal, skin.Mask("G", "PLAIN"), 1);
    DrawSkinGlyph(p.get(), TPoint(0, 2), psNormal, skin.Mask("G", "PLAIN"), 0);   // half blended
    CHECK(Join(Px(*p, 0, 0), Px(*p, 1, 0), Px(*p, 0, 2)) == Join(Rgb(0, 100, 200), bg, Rgb(25, 80, 135)));
}

TEST_CASE("disabled looks: grey, and blends that read the parent's picture without writing it")
{
    auto glyph = [] { return MakeBmp24(4, 3, [](int x, int) { return Rgb(x * 60, 0, 90); }); };
    auto parent = MakeBmp24(20, 10, [](int x, int y) { return Rgb(200, x * 10, y * 20); });
    const auto parentBefore = Pixels(*parent);
    auto b = glyph();
    ApplyDisabledKind(b.get(), dkBlended, nullptr, TPoint(2, 1), MakeCacheInfo(parent.get(), 3, 2));
    CHECK(Pixels(*parent) == parentBefore);
    // 60 % of the parent's pixel at (2 + 3 + x, 1 + 2 + y), 40 % of the glyph.
    CHECK(Px(*b, 1, 2) == Rgb(RoundEven(200 - (200 - 60) * 0.4), RoundEven(60 * 0.6), RoundEven(100 * 0.6 + 90 * 0.4)));
    auto g = glyph();
    ApplyDisabledKind(g.get(), dkGrayed | dkBlended, nullptr, TPoint(0, 0), EmptyCacheInfo);
    // Grey first ((60 + 0 + 90) div 3 = 50), then half way toward the button face (no owner).
    const TColor face = ColorToRGB(clBtnFace);
    CHECK(Px(*g, 1, 0) == Rgb(RoundEven((50 + Channel(face, 0)) / 2.0), RoundEven((50 + Channel(face, 1)) / 2.0),
                              RoundEven((50 + Channel(face, 2)) / 2.0)));
    auto s = glyph();
    ApplyDisabledKind(s.get(), dkBlended, TPoint(0, 0), EmptyCacheInfo, Rgb(0, 0, 0));
    CHECK(Px(*s, 2, 0) == Rgb(60, 0, 45));
}

TEST_CASE("region borders and corner runs: key pixels of the corners leave the window region")
{
    TSynthSkin skin;
    // A 12 x 8 frame, margins 3: key pixels on the top-left corner's diagonal and the whole
    // first row of the top-right corner.
    skin.Paint(TRect(0, 0, 12, 8), [](int x, int y) {
        return (x < 3 && y < 3 && x + y < 2) || (x >= 9 && y == 0) ? SkinKeyColor : Rgb(x * 20, y * 20, 7);
    });
    skin.Load();
    const TzMaskData m = skin.MakeMask(TRect(0, 0, 12, 8), 1, 0, 3, 3, 3, 3);
    auto b = Filled24(30, 20, Rgb(9, 9, 9));
    TOwnedRegion region(CreateRectRgn(0, 0, 30, 20));
    const HRGN rgn = region.Handle();
    PaintMaskRegionBorder(b.get(), m, psNormal, rgn, TRect(0, 0, 30, 20));
    for (const auto& [x, y, in] : {std::tuple{0, 0, false}, {1, 0, false}, {0, 1, false}, {1, 1, true}, {27, 0, false},
                                   {29, 0, false}, {29, 1, true}, {15, 10, true}}) {
        CAPTURE(x);
        CAPTURE(y);
        CHECK(bool(PtInRegion(rgn, x, y)) == in);
    }
    // Key pixels are not painted, the corner's own pixels are; no centre.
    CHECK(Join(Px(*b, 0, 0), Px(*b, 28, 1), Px(*b, 15, 10)) == Join(Rgb(9, 9, 9), Rgb(200, 20, 7), Rgb(9, 9, 9)));

    std::vector<TRect> runs;
    CollectCornerRuns(runs, 100, m, false, 0);
    CHECK(runs == std::vector<TRect>{TRect(0, 0, 2, 1), TRect(0, 1, 1, 2), TRect(97, 0, 100, 1)});
    runs.clear();
    CollectCornerRuns(runs, 100, m, true, 50);   // the bottom corners hold no key
    CHECK(runs.empty());
}

TEST_CASE("corners of a cache filled from the parent's picture, else its colour")
{
    TSynthSkin skin;
    skin.Paint(TRect(0, 0, 9, 9), [](int x, int y) { return x < 3 && y < 3 ? SkinKeyColor : Rgb(1, 2, 3); });
    skin.Section("PANEL").Color = Rgb(0, 200, 0);
    skin.Section("BOX");
    TSkStoredImage& border = skin.Image("BOX", "BORDERSMASK", TRect(0, 0, 9, 9));
    border.WL = 3;
    border.WT = 2;
    TSynthForm f(skin.Load(), "PANEL", "BOX", TRect(5, 4, 25, 14));
    auto& cache = *f.Child->SkinData.CacheBmp();
    auto& pc = *f.Panel->SkinData.CacheBmp();
    for (int y = 0; y < pc.Height(); ++y)
        for (int x = 0; x < pc.Width(); ++x)
            SetPx(pc, x, y, Rgb(x, y, 99));
    auto keyCorners = [&] {
        for (int y = 0; y < cache.Height(); ++y)
            for (int x = 0; x < cache.Width(); ++x)
                SetPx(cache, x, y, x < 2 || y < 1 ? SkinKeyColor : Rgb(5, 5, 5));
    };
    keyCorners();
    FillCornersFromParent(&f.Child->SkinData, crTopLeft | crTopRight);
    // The panel's pixel under the child; the top-right corner has no margin; (1, 5) lies
    // outside the corner.
    CHECK(Join(Px(cache, 1, 0), Px(cache, 19, 0), Px(cache, 1, 5)) == Join(Rgb(6, 4, 99), SkinKeyColor, SkinKeyColor));
    keyCorners();
    f.Panel->SkinData.FreeCache();   // no picture: the parent's colour
    FillAllCornersFromParent(&f.Child->SkinData);
    CHECK(Px(cache, 0, 0) == Rgb(0, 200, 0));
}
