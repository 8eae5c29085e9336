// Sections painted by pixels against the rules of the fill, the parent's picture, the border
// and the corner images; the pattern and texture modes.
#include "join.h"
#include "synthskin.h"

#include "skin/zsectionpaint.h"
#include "skin/zskinpaint.h"

#include <doctest.h>

#include <random>

namespace {

constexpr TColor Bg = Rgb(9, 9, 9);
const TRect TileR(40, 0, 44, 3), TexR(50, 0, 54, 6), BorderR(60, 0, 69, 9), CornerR(70, 0, 73, 3);

TColor TilePx(int X, int Y) { return Rgb(X % 4 * 50 + 5, Y % 3 * 50 + 5, 10); }

// The blend of the alpha byte per channel: (S * (255 - A) + D * A + 127) shr 8.
TColor Alpha(TColor S, TColor D, int A)
{
    auto c = [&](int k) { return (Channel(S, k) * (255 - A) + Channel(D, k) * A + 127) >> 8; };
    return Rgb(c(0), c(1), c(2));
}

// P percent of the pixel, the rest of the colour, rounded to even.
TColor Tint(TColor P, TColor C, int Pct)
{
    auto c = [&](int k) { return int(DivRoundEven(Channel(P, k) * Pct + Channel(C, k) * (100 - Pct), 100)); };
    return Rgb(c(0), c(1), c(2));
}

struct TSectionSkin : TSynthSkin {
    TJPEGImage Jpeg;
    TSectionSkin()
    {
        Paint(TileR, TilePx);
        Paint(TexR, [](int x, int y) { return y < 3 ? Rgb(200, x * 40, y * 40) : x < 2 ? Rgb(0, 0, 0) : Rgb(255, 255, 255); });
        Paint(BorderR, [](int x, int y) { return x == 8 && y == 0 ? SkinKeyColor : Rgb(0, 0, 255); });
        Paint(CornerR, [](int, int) { return Rgb(255, 255, 0); });
        auto section = [&](const char* Name, TColor C, int Ip, int T, bool Pattern = false) -> TzGeneralData& {
            TzGeneralData& g = Section(Name);
            g.Color = C;
            g.HotColor = Rgb(0, 0, 200);
            g.ImagePercent = Ip;
            g.Transparency = T;
            if (Pattern)
                Image(Name, "PATTERN", TileR);
            return g;
        };
        section("FILL30", Rgb(100, 0, 200), 30, 0, true);
        section("FILL150", Rgb(100, 0, 200), 150, 0, true);
        section("NOPAT", Rgb(10, 20, 30), 40, 0);
        TzGeneralData& mix = section("MIX", Rgb(0, 0, 0), 50, 50, true);
        mix.GradientPercent = 50;
        mix.GradientData = "255;16711680;100;0;0";
        section("T100", Rgb(0, 0, 0), 0, 100);
        section("T40", Rgb(0, 0, 0), 0, 40);
        for (const char* name : {"MENUITEM", "BOX"}) {
            section(name, Rgb(0, 90, 0), 0, 0);
            TSkStoredImage& b = Image(name, "BORDERSMASK", BorderR);
            b.WL = b.WT = b.WR = b.WB = 3;
        }
        Image("BOX", "IMGTOPLEFT", CornerR);
        Jpeg.LoadFromFile(ZANDREL_TEST_DATA "/tiny.jpg");
        section("JPG", Rgb(0, 0, 0), 100, 0);
        Picture("JPG", "PATTERN", &Jpeg);
        Load();
    }
    void Background(const char* Name, TBitmap* B, const TzBackdrop& Behind, TPoint Offset, TzPaintState State = psNormal)
    {
        PaintSectionBackgroundEx(SectionIndex(Name), Behind, SkinKeyColor, -1, -1, Manager.get(), B, Offset,
                                 TRect(0, 0, B->Width(), B->Height()), State);
    }
};

} // namespace

TEST_CASE("section fill: the texture kept by its percent, the colour first, percentages clamped")
{
    TSectionSkin skin;
    auto b = Filled24(10, 7, Bg);
    skin.Background("FILL30", b.get(), EmptyCacheInfo, TPoint(0, 0));
    auto want = MakeBmp24(10, 7, [](int x, int y) { return Tint(TilePx(x, y), Rgb(100, 0, 200), 30); });
    CHECK(Pixels(*b) == Pixels(*want));
    skin.Background("FILL150", b.get(), EmptyCacheInfo, TPoint(0, 0));   // 100 %: the tiles alone
    CHECK(Pixels(*b) == Pixels(*MakeBmp24(10, 7, TilePx)));
    auto j = Filled24(30, 20, Bg), tiled = Filled24(30, 20, Bg);   // a picture of the patterns list
    skin.Background("JPG", j.get(), EmptyCacheInfo, TPoint(0, 0));
    TileGraphic(tiled->Canvas(), TRect(0, 0, 30, 20), skin.Manager->Pattern(0).Img.get());
    CHECK(Join(Pixels(*j) == Pixels(*tiled), CountNot(*j, TRect(0, 0, 30, 20), Bg) > 0) == Join(true, true));
    // No texture at all: the colour, not a tint of what the bitmap held.
    auto n = Filled24(10, 7, Bg), hot = Filled24(10, 7, Bg);
    skin.Background("NOPAT", n.get(), EmptyCacheInfo, TPoint(0, 0));
    skin.Background("NOPAT", hot.get(), EmptyCacheInfo, TPoint(0, 0), psHot);   // hot: the hot colour
    CHECK(Join(CountNot(*n, TRect(0, 0, 10, 7), Rgb(10, 20, 30)), Px(*hot, 3, 3)) == Join(0, Rgb(0, 0, 200)));
}

TEST_CASE("section over the parent's picture: transparency, gradient and texture together")
{
    TSectionSkin skin;
    auto parent = MakeBmp24(40, 30, [](int x, int y) { return Rgb(x * 6, 255 - y * 8, 77); });
    const TzCacheInfo info = MakeCacheInfo(parent.get(), 3, 2);
    const TPoint offset(4, 1);   // the bitmap's origin lies at (7, 3) of the parent

    auto b = Filled24(12, 9, Bg);
    skin.Background("T100", b.get(), info, offset);
    CHECK(Pixels(*b) == Pixels(*MakeBmp24(12, 9, [&](int x, int y) { return Px(*parent, x + 7, y + 3); })));

    auto white = Filled24(30, 30, Rgb(255, 255, 255));
    skin.Background("T40", b.get(), MakeCacheInfo(white.get(), 0, 0), TPoint(0, 0));
    CHECK(Px(*b, 5, 5) == Rgb(102, 102, 102));   // 40 % white over black

    // Tiles, the gradient over them at half weight, then half of the parent shows through.
    auto gradient = CreateBmp24(12, 9);
    FillGradient(gradient.get(), TRect(0, 0, 12, 9), skin.Manager->Section(skin.SectionIndex("MIX")).GradientArray, 0);
    skin.Background("MIX", b.get(), info, offset);
    auto want = MakeBmp24(12, 9, [&](int x, int y) {
        const TColor fill = Alpha(Px(*gradient, x, y), TilePx(x, y), 50 * 255 / 100);
        return Alpha(fill, Px(*parent, x + 7, y + 3), 50 * 255 / 100);
    });
    CHECK(Pixels(*b) == Pixels(*want));

    // The backdrop's colour, when known, stands for the parent's picture.
    skin.Background("T100", b.get(), TzBackdrop(info, Rgb(1, 2, 3)), offset);
    CHECK(CountNot(*b, TRect(0, 0, 12, 9), Rgb(1, 2, 3)) == 0);
}

TEST_CASE("whole sections: borders, menu items, corner images, the parent's colour and the bitmap's edges")
{
    TSectionSkin skin;
    const int menu = skin.SectionIndex("MENUITEM");
    auto m = Filled24(20, 12, Bg);
    PaintSectionByIndex(menu, skin.Manager.get(), m.get(), EmptyCacheInfo, TRect(0, 0, 20, 12), psNormal, true);
    const TColor rest = Px(*m, 1, 1);   // state 0: no border
    PaintSectionByIndex(menu, skin.Manager.get(), m.get(), EmptyCacheInfo, TRect(0, 0, 20, 12), psHot, true);
    CHECK(Join(rest, Px(*m, 1, 1)) == Join(Rgb(0, 90, 0), Rgb(0, 0, 255)));

    auto dc = Filled24(30, 20, Bg);
    PaintSectionToDC(menu, skin.Manager.get(), dc->Canvas()->Handle(), TRect(5, 4, 25, 16), EmptyCacheInfo, psHot, true);
    CHECK(CountNot(*dc, TRect(0, 0, 5, 20), Bg) == 0);
    for (int y = 0; y < 12; ++y)
        for (int x = 0; x < 20; ++x)
            REQUIRE(Px(*dc, x + 5, y + 4) == Px(*m, x, y));

    // A box over a panel without a picture: the border's key pixel takes the panel's colour.
    TSynthForm f(*skin.Manager, "T100", "BOX", TRect(5, 4, 25, 14));
    f.Panel->SetColor(Rgb(10, 20, 30));
    f.Panel->SkinData.FreeCache();
    TBitmap& cache = *f.Child->SkinData.CacheBmp();
    const TzBorderFlags keys = bfKeysShowParent;
    PaintSkinSection(&f.Child->SkinData, EmptyCacheInfo, keys, SkinKeyColor, &cache, TPoint(5, 4), TRect(0, 0, 20, 10),
                     psNormal);
    // The corner image over the border's corner, the top-right corner's key pixel, the border,
    // no centre: the section's colour.
    CHECK(Join(Px(cache, 0, 0), Px(cache, 19, 0), Px(cache, 19, 9), Px(cache, 10, 5)) ==
          Join(Rgb(255, 255, 0), Rgb(10, 20, 30), Rgb(0, 0, 255), Rgb(0, 90, 0)));
    // Over a panel with a picture, an opaque box keeps its own colour: the panel's colour
    // stands in for the panel's picture only.
    f.Panel->SkinData.PrepareCache();
    FillBmpRect(f.Panel->SkinData.CacheBmp(), TRect(0, 0, f.Panel->Width(), f.Panel->Height()), Rgb(10, 20, 30));
    const TzBackdrop behind = f.Child->SkinData.Backdrop();
    REQUIRE(behind.Picture.Ready);
    PaintSkinSection(f.Child->SkinData.SectionSkin(), behind, keys, &cache, TPoint(5, 4), TRect(0, 0, 20, 10), psNormal);
    CHECK(Px(cache, 10, 5) == Rgb(0, 90, 0));
    // A rectangle that starts left of the bitmap, or leaves it, paints nothing.
    FillBmpRect(&cache, TRect(0, 0, 20, 10), Bg);
    const TzSectionSkin box = f.Child->SkinData.SectionSkin();
    PaintSkinSection(box, TzBackdrop(), keys, &cache, TPoint(0, 0), TRect(-1, 0, 10, 10), psNormal);
    PaintSkinSection(box, TzBackdrop(), keys, &cache, TPoint(0, 0), TRect(0, 0, 21, 10), psNormal);
    CHECK(CountNot(cache, TRect(0, 0, 20, 10), Bg) == 0);
    // A cache one pixel wide or high (a splitter, a divider) is painted all the same.
    const TzSectionSkin item{skin.Manager.get(), menu};
    for (const TRect& thin : {TRect(0, 0, 1, 6), TRect(0, 0, 6, 1)}) {
        auto t = Filled24(thin.Right, thin.Bottom, Bg);
        PaintSkinSection(item, TzBackdrop(), bfFillCentre, t.get(), TPoint(0, 0), thin, psNormal);
        CHECK(CountNot(*t, thin, Rgb(0, 90, 0)) == 0);
    }
}

TEST_CASE("patterns and textures: every mode, what is left to cover, empty tiles")
{
    TSectionSkin skin;
    const TzMaskData tile = skin.MakeMask(TileR, 1, 0, 0, 0, 0, 0);
    const TRect D(2, 1, 13, 9);
    struct Case {
        int Mode;
        TRect Painted;
        TRect Left;
    };
    const TRect none(-1, -1, -1, -1);
    const Case cases[] = {
        {0, D, none},
        {1, D, none},
        {2, TRect(2, 1, 13, 4), TRect(2, 4, 13, 9)},
        {3, TRect(2, 1, 6, 9), TRect(6, 1, 13, 9)},
        {4, TRect(2, 1, 13, 4), TRect(2, 4, 13, 9)},
        {5, TRect(2, 1, 6, 9), TRect(6, 1, 13, 9)},
        {6, TRect(2, 6, 13, 9), TRect(2, 1, 13, 6)},
        {7, TRect(9, 1, 13, 9), TRect(2, 1, 9, 9)},
        {10, TRect(2, 1, 13, 7), none},   // two whole rows of tiles, the last column cut
        {8, TRect(0, 0, 0, 0), D},
    };
    for (const Case& c : cases) {
        auto b = Filled24(16, 11, Bg);
        TRect d = D;
        DrawPattern(b.get(), d, tile, c.Mode);
        CAPTURE(c.Mode);
        const int area = c.Painted.Width() * c.Painted.Height();
        CHECK(Join(d, CountNot(*b, c.Painted, Bg), CountNot(*b, TRect(0, 0, 16, 11), Bg)) == Join(c.Left, area, area));
        if (c.Mode == 0)
            CHECK(Join(Px(*b, 2, 1), Px(*b, 12, 8)) == Join(TilePx(0, 0), TilePx(10, 7)));
    }

    // A texture through its mask: the left half of each tile is the image, the right half
    // keeps what lay there. Mode 10 leaves the strips to the parent's picture.
    const TzMaskData tex = skin.MakeMask(TexR, 1, 1, 0, 0, 0, 0);
    auto parent = MakeBmp24(20, 20, [](int x, int y) { return Rgb(x, y, 150); });
    auto x = Filled24(11, 8, Bg);
    DrawTexture(x.get(), TRect(0, 0, 11, 8), MakeCacheInfo(parent.get(), 1, 1), 10, tex);
    // Mask 255 at (6, 0): almost what lay there; the right strip is columns 8 .. 10, the
    // bottom strip row 6 onward.
    CHECK(Join(Px(*x, 4, 3), Px(*x, 6, 0), Px(*x, 9, 0), Px(*x, 0, 7)) ==
          Join(Rgb(200, 0, 0), Rgb(9, 9, 8), Rgb(10, 1, 150), Rgb(1, 8, 150)));
    DrawTexture(x.get(), TRect(0, 0, 11, 8), TzBackdrop(EmptyCacheInfo, Rgb(4, 4, 4)), 10, tex);
    CHECK(Px(*x, 10, 7) == Rgb(4, 4, 4));   // no picture: the backdrop's colour
    // Tiles narrower than a pixel draw nothing, in every painter that tiles.
    auto e = Filled24(11, 8, Bg);
    DrawTexture(e.get(), TRect(0, 0, 11, 8), EmptyCacheInfo, 0, skin.MakeMask(TexR, 9, 1, 0, 0, 0, 0));
    TRect all(0, 0, 11, 8);
    DrawPattern(e.get(), all, skin.MakeMask(TRect(40, 0, 40, 3), 1, 0, 0, 0, 0, 0), 0);
    PaintMaskRegionBorder(e.get(), skin.MakeMask(BorderR, 1, 0, 5, 5, 4, 4), psNormal, nullptr, all, true);
    CHECK(Px(*e, 5, 4) == Bg);
}

TEST_CASE("pattern fills match the plain steps on random patterns, modes, percentages and rectangles")
{
    // The colour over the area, the pattern over it, then the tint toward the colour: the
    // fill may take these steps in any order that gives the same pixels. A system colour
    // counts by what it shows.
    TSectionSkin skin;
    std::mt19937 rng(31337);
    auto rnd = [&](int Lo, int Hi) { return Lo + int(rng() % unsigned(Hi - Lo + 1)); };
    for (int n = 0; n < 200; ++n) {
        const int l = rnd(-8, 124), t = rnd(-8, 60);
        TzMaskData mask = skin.MakeMask(TRect(l, t, l + rnd(0, 30), t + rnd(0, 20)), 1, 0, 0, 0, 0, 0);
        mask.DrawMode = int16_t(rnd(0, 11));
        const bool picture = rnd(0, 4) == 0;
        TzSectionTexture texture;
        if (picture)
            texture.Pattern = &skin.Jpeg;
        else
            texture.Mask = &mask;
        const TColor colour = rnd(0, 5) == 0 ? TColor(clBtnFace) : TColor(rng() & 0xFFFFFF);
        const int ip = rnd(1, 100), gp = rnd(0, 3) == 0 ? rnd(1, 100 - ip + 1) : 0;
        const TzGradArray gradient;
        const int dl = rnd(-10, 50), dt = rnd(-10, 30);
        const TRect D(dl, dt, dl + rnd(0, 80), dt + rnd(0, 40));
        auto got = MakeBmp24(60, 34, [&](int, int) { return TColor(rng() & 0xFFFFFF); });
        auto want = MakeBmp24(60, 34, [&](int x, int y) { return Px(*got, x, y); });
        const TRect d(std::max(D.Left, 0), std::max(D.Top, 0), std::min(D.Right, 60), std::min(D.Bottom, 34));
        if (!d.IsEmpty()) {
            const TColor rgb = ColorToRGB(colour);
            FillBmpRect(want.get(), d, rgb);
            TRect left = d;
            if (picture)
                TileGraphic(want->Canvas(), d, &skin.Jpeg);
            else
                DrawPattern(want.get(), left, mask, mask.DrawMode);
            for (int y = d.Top; y < d.Bottom; ++y)
                for (int x = d.Left; x < d.Right; ++x) {
                    TColor p = Px(*want, x, y);
                    if (gp > 0)   // an empty gradient: the colour laid over the pattern
                        p = Alpha(rgb, p, ip * 255 / 100);
                    SetPx(*want, x, y, ip + gp <= 99 ? Tint(p, rgb, ip + gp) : p);
                }
        }
        PaintSectionFill(got.get(), D, colour, ip, gp, gradient, texture, EmptyCacheInfo);
        CAPTURE(n);
        REQUIRE(Pixels(*got) == Pixels(*want));
    }
    // A 32-bit bitmap as the picture: read as the platform copies it.
    auto pic = CreateBmp32(5, 3);
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 5; ++x)
            reinterpret_cast<uint32_t*>(pic->ScanLine(y))[x] = 0xAB000000u | uint32_t(x * 40 << 16 | y * 70 << 8 | 9);
    auto got = Filled24(13, 8, Bg), want = Filled24(13, 8, Bg);
    TRect all(1, 1, 12, 7);
    DrawPattern(got.get(), all, pic.get());
    TileGraphic(want->Canvas(), TRect(1, 1, 12, 7), pic.get());
    CHECK(Join(Pixels(*got) == Pixels(*want), Px(*got, 7, 2)) == Join(true, Rgb(40, 70, 9)));
}

TEST_CASE("work bitmaps kept between paints carry nothing from one paint into the next")
{
    // A gradient of a mode that paints nothing leaves its layer as a new bitmap is: black.
    TSynthSkin skin;
    skin.Paint(TileR, TilePx);
    for (const char* name : {"ODD", "BIG"}) {
        TzGeneralData& g = skin.Section(name);
        g.Color = Rgb(10, 200, 30);
        g.ImagePercent = 40;
        g.GradientPercent = 30;
        g.GradientData = name[0] == 'O' ? "255;65280;100;7;0" : "255;65280;100;0;0";
        g.Transparency = 40;
        skin.Image(name, "PATTERN", TileR);
    }
    skin.Load();
    auto parent = MakeBmp24(70, 50, [](int x, int y) { return Rgb(x * 3, y * 5, 99); });
    auto paint = [&](const char* Name, int W, int H) {
        auto b = Filled24(W, H, Bg), dc = Filled24(W + 2, H + 2, Bg);
        PaintSectionBackgroundEx(skin.SectionIndex(Name), MakeCacheInfo(parent.get(), 2, 3), SkinKeyColor, -1, -1,
                                 skin.Manager.get(), b.get(), TPoint(0, 0), TRect(0, 0, W, H), psNormal);
        PaintSectionToDC(skin.SectionIndex(Name), skin.Manager.get(), dc->Canvas()->Handle(), TRect(1, 1, W + 1, H + 1),
                         EmptyCacheInfo, psNormal, true);
        auto p = Pixels(*b), q = Pixels(*dc);
        p.insert(p.end(), q.begin(), q.end());
        return p;
    };
    DoneSkinGraphics();
    InitSkinGraphics();
    const auto fresh = paint("ODD", 9, 7);
    CHECK(paint("BIG", 50, 40) != paint("ODD", 50, 40));
    CHECK(paint("ODD", 9, 7) == fresh);
}
