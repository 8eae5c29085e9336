// Skinned captions checked by pixels against a model built from the plain text's ink, the
// glyph-and-caption layout against its table, and the glyph and image copies.
#include "join.h"
#include "pixels.h"
#include "skinfixtures.h"

#include "classlib/imglist.h"
#include "skin/zcommondata.h"
#include "skin/zskinmanager.h"
#include "skin/zskintextpaint.h"

#include <doctest.h>

#include <algorithm>
#include <functional>
#include <tuple>
#include <utility>
#include <vector>

namespace {

constexpr TColor Bg = Rgb(40, 80, 120);
constexpr int W = 90, H = 36;
const TRect TextR(12, 8, 80, 30);
const UINT Flags = DT_LEFT | DT_TOP | DT_SINGLELINE;
// BUTTON has a text colour for every side; WEBBUTTON plain ones.
const char* const CaptionSkin = "[BUTTON]\r\nCOLOR=8421504\r\nFONTCOLOR=255\r\nTCLEFT=65280\r\nTCTOP=16711680\r\n"
                                "TCRIGHT=65535\r\nTCBOTTOM=16776960\r\nHOTFONTCOLOR=16777215\r\nHOTTCTOP=8421376\r\n"
                                "HOTTCBOTTOM=32896\r\n[WEBBUTTON]\r\nFONTCOLOR=16777215\r\nHOTFONTCOLOR=255\r\n";

struct Pass {
    int DX, DY;
    TColor C;
};
// Every outline when normal; only top and bottom when hot; disabled: 40 % of the font colour
// (255, 0, 0) over 60 % of the section colour (128, 128, 128).
const std::vector<Pass> Normal = {{-1, 0, Rgb(0, 255, 0)}, {0, -1, Rgb(0, 0, 255)}, {1, 0, Rgb(255, 255, 0)},
                                  {0, 1, Rgb(0, 255, 255)}, {0, 0, Rgb(255, 0, 0)}};
const std::vector<Pass> Hot = {{0, -1, Rgb(0, 128, 128)}, {0, 1, Rgb(128, 128, 0)}, {0, 0, Rgb(255, 255, 255)}};
const std::vector<Pass> Disabled = {{0, 0, Rgb(179, 77, 77)}};

// A bitmap with text of a known, unsmoothed font.
std::unique_ptr<TBitmap> TextBmp(TColor Fill)
{
    auto b = Filled24(W, H, Fill);
    b->Canvas()->Font()->SetHandle(
        CreateFontW(-15, 0, 0, 0, FW_BOLD, 0, 0, 0, DEFAULT_CHARSET, 0, 0, NONANTIALIASED_QUALITY, 0, L"Tahoma"));
    return b;
}

// Where plain text in that font puts ink.
std::vector<bool> Ink(const WideString& Text, UINT Flags, TRect R)
{
    auto b = TextBmp(clWhite);
    b->Canvas()->Brush()->SetStyle(bsClear);
    DrawTextW(b->Canvas()->Handle(), Text.c_str(), -1, R.Win(), Flags);
    std::vector<bool> ink(W * H);
    for (int i = 0; i < W * H; ++i)
        ink[i] = Px(*b, i % W, i / W) != 0xFFFFFF;
    REQUIRE(std::count(ink.begin(), ink.end(), true) > 40);
    return ink;
}

// The background, then every pass: the ink moved by the pass takes its colour inside Clip.
int Mismatches(TBitmap& Got, const std::vector<bool>& Ink, const std::vector<Pass>& Passes, TRect Clip = {0, 0, W, H})
{
    int bad = 0;
    for (int y = 0; y < H; ++y)
        for (int x = 0; x < W; ++x) {
            TColor want = Bg;
            for (const Pass& p : Passes) {
                int sx = x - p.DX, sy = y - p.DY;
                if (sx >= 0 && sy >= 0 && sx < W && sy < H && Ink[sy * W + sx] && Clip.Contains({x, y}))
                    want = p.C;
            }
            bad += Px(Got, x, y) != want;
        }
    return bad;
}

int LowestInk(TBitmap& B)
{
    int low = -1;
    for (int i = 0; i < W * H; ++i)
        if (Px(B, i % W, i / W) != Bg)
            low = std::max(low, i / W);
    return low;
}

} // namespace

TEST_CASE("skinned captions: outline passes by side and state, disabled mixed, nothing without a section or text")
{
    auto manager = ManagerOfText(CaptionSkin);
    const int button = manager->FindSectionIndex("BUTTON");
    const auto ink = Ink(L"Hx", Flags, TextR);
    for (const auto& [flags, passes] : {std::pair<TzTextFlags, const std::vector<Pass>*>{0, &Normal},
                                        {tfHot, &Hot}, {tfDisabled | tfHot, &Disabled}}) {
        CAPTURE(int(flags));
        auto a = TextBmp(Bg), dc = TextBmp(Bg), w = TextBmp(Bg);
        DrawSkinTextA(a->Canvas(), "Hx", flags, manager.get(), button, Flags, TextR);
        DrawSkinTextDCA(dc->Canvas()->Handle(), "Hx", TextR, Flags, flags, manager.get(), button);
        DrawSkinTextByIndexW(w->Canvas(), L"Hx", flags, manager.get(), button, Flags, TextR);
        CHECK(Join(Mismatches(*a, ink, *passes), Mismatches(*dc, ink, *passes), Mismatches(*w, ink, *passes)) == Join(0, 0, 0));
    }
    auto none = TextBmp(Bg);
    DrawSkinTextA(none->Canvas(), "Hx", 0, manager.get(), 99, Flags, TextR);
    DrawSkinTextA(none->Canvas(), "", 0, manager.get(), button, Flags, TextR);
    DrawSkinTextDCA(none->Canvas()->Handle(), "Hx", TextR, Flags, 0, nullptr, button);
    CHECK(Mismatches(*none, ink, {}) == 0);
    // Written where DrawText would place the text's extent.
    const UINT centred = DT_CENTER | DT_VCENTER | DT_SINGLELINE;
    auto c = TextBmp(Bg);
    DrawSkinTextByIndexW(c->Canvas(), L"Hx", 0, manager.get(), button, centred, TextR);
    CHECK(Mismatches(*c, Ink(L"Hx", centred, TextR), Normal) == 0);
}

TEST_CASE("a control's caption: clipped to its rectangle, outlines too, the clip given back; its own colour; the "
          "web button underlined when hot, fonts of canvas and DC kept")
{
    auto manager = ManagerOfText(CaptionSkin);
    TzCommonData sd(nullptr, false);
    sd.SetSkinManager(manager.get());
    sd.SetSkinSection("BUTTON");
    const TRect narrow(13, 9, 40, 26), rest(13, 9, W, H);
    const auto ink = Ink(L"Hxxxxxx", Flags | DT_NOCLIP, narrow);
    auto w = TextBmp(Bg);
    DrawSkinTextW(&sd, w->Canvas(), L"Hxxxxxx", 0, Flags, narrow);
    CHECK(Mismatches(*w, ink, Normal, narrow) == 0);
    DrawSkinTextW(&sd, w->Canvas(), L"Hxxxxxx", 0, Flags, rest);
    CHECK(Mismatches(*w, ink, Normal, rest) == 0);
    sd.SetCustomFont(true);
    w = TextBmp(Bg);
    w->Canvas()->Font()->SetColor(Rgb(1, 2, 3));
    DrawSkinTextW(&sd, w->Canvas(), L"Hxxxxxx", tfDisabled | tfHot, Flags, narrow);
    CHECK(Mismatches(*w, ink, {{0, 0, Rgb(1, 2, 3)}}, narrow) == 0);

    sd.SetCustomFont(false);
    sd.SetSkinSection("WEBBUTTON");
    auto cold = TextBmp(Bg), hot = TextBmp(Bg), dc = TextBmp(Bg);
    const TFontStyles style = hot->Canvas()->Font()->Style();
    DrawSkinTextW(&sd, cold->Canvas(), L"Hx", 0, Flags, TextR);
    DrawSkinTextW(&sd, hot->Canvas(), L"Hx", tfHot, Flags, TextR);
    HGDIOBJ font = GetCurrentObject(dc->Canvas()->Handle(), OBJ_FONT);
    DrawSkinTextDCA(dc->Canvas()->Handle(), "Hx", TextR, Flags, tfHot, manager.get(), manager->FindSectionIndex("WEBBUTTON"));
    CHECK(Join(LowestInk(*hot) > LowestInk(*cold), LowestInk(*dc)) == Join(true, LowestInk(*hot)));
    CHECK(Join(hot->Canvas()->Font()->Style() == style, GetCurrentObject(dc->Canvas()->Handle(), OBJ_FONT) == font) ==
          Join(true, true));
}

// ---------------------------------------------------------------------------------------

namespace {

// The placing table written out per case: glyph and text top-left.
std::pair<TPoint, TPoint> LayoutModel(TRect C, TPoint G, UINT BiDi, TPoint T, int Sp, int M, int A, int L)
{
    if (BiDi & DT_RIGHT)
        L = L == 0 ? 1 : L == 1 ? 0 : L;
    const bool v = L >= 2;
    const int cc = v ? C.Width() : C.Height(), ca = v ? C.Height() : C.Width();   // across, along
    const int gc = v ? G.X : G.Y, ga = v ? G.Y : G.X, tc = v ? T.X : T.Y, ta = v ? T.Y : T.X;
    if (T.X == 0 || G.X == 0)
        Sp = 0;
    if (M == -1 && Sp != -1)
        M = A == 2 ? (ca - (ga + Sp + ta) + 1) / 2 : 2;
    else if (M == -1)
        M = Sp = (ca - (ga + ta)) / 3;
    else if (Sp == -1)
        Sp = ((ca - (M + ga)) - ta) / 2;
    int gx = 0, tx = 0;
    if (L == 0 && A == 0) gx = M, tx = M + ga + Sp;
    if (L == 0 && A == 1) tx = ca - M - ta, gx = tx - Sp - ga;
    if (L == 0 && A == 2) gx = (ca - ta - Sp - ga) / 2, tx = gx + ga + Sp;
    if (L == 1 && A == 0) gx = M + ta + Sp, tx = M;
    if (L == 1 && A == 1) gx = ca - M - ga, tx = gx - Sp - ta;
    if (L == 1 && A == 2) tx = (ca - ta - Sp - ga) / 2, gx = tx + ta + Sp;
    if (L == 2) gx = (ca - ga - Sp - ta) / 2, tx = gx + ga + Sp;
    if (L == 3) gx = ca - ga - (ca - ga - Sp - ta) / 2, tx = gx - Sp - ta;
    const int g2 = (cc - gc + 1) / 2, t2 = (cc - tc + 1) / 2;
    return {v ? TPoint(C.Left + g2, C.Top + gx) : TPoint(C.Left + gx, C.Top + g2),
            v ? TPoint(C.Left + t2, C.Top + tx) : TPoint(C.Left + tx, C.Top + t2)};
}

std::pair<TPoint, TPoint> Layout(TRect C, TPoint G, UINT BiDi, TPoint T, int Sp, int M, int A, int L)
{
    TRect text(0, 0, T.X, T.Y);
    TPoint glyph;
    CalcGlyphAndTextLayout(C, G, BiDi, text, glyph, Sp, M, TAlignment(A), L);
    CHECK(text.BottomRight() == TPoint(text.Left + T.X, text.Top + T.Y));
    return {glyph, text.TopLeft()};
}

using P = TPoint;

} // namespace

TEST_CASE("glyph and caption layout: every layout, alignment, margin and spacing rule")
{
    const TRect c(0, 0, 100, 40);
    // The model against the table worked by hand: the pair centred; right to left puts the
    // glyph right of the text with margin 2.
    CHECK(Layout(c, {16, 16}, 0, {40, 10}, 4, -1, 2, 0) == std::pair{P(20, 12), P(40, 15)});
    CHECK(Layout(c, {16, 16}, DT_RIGHT, {40, 10}, 4, -1, 0, 0) == std::pair{P(46, 12), P(2, 15)});
    int n = 0;
    for (TRect cl : {TRect(5, 7, 65, 47), TRect(0, 0, 10, 8)})
        for (TPoint g : {P(0, 0), P(16, 12), P(5, 20)})
            for (TPoint t : {P(0, 0), P(30, 13), P(7, 3)})
                for (int sp : {-1, 0, 4})
                    for (int m : {-1, 0, 3})
                        for (int a = 0; a < 3; ++a)
                            for (int l = 0; l < 4; ++l)
                                for (UINT bidi : {0u, UINT(DT_RIGHT)})
                                    n += Layout(cl, g, bidi, t, sp, m, a, l) == LayoutModel(cl, g, bidi, t, sp, m, a, l);
    CHECK(n == 2 * 3 * 3 * 3 * 3 * 3 * 4 * 2);
}

// ---------------------------------------------------------------------------------------

namespace {

constexpr int FW = 6, FH = 5;
// Frame f is colour F(f); its bottom-left pixel and one inner pixel are its key K(f); the
// engine's key colour in it is no key here.
TColor FrameColor(int F) { return Rgb(30 + 50 * F, 200 - 40 * F, 90); }
TColor FrameKey(int F) { return Rgb(10 * F, 250, 10 * F); }

std::unique_ptr<TBitmap> Strip(int Frames)
{
    return MakeBmp24(FW * Frames, FH, [](int x, int y) {
        int f = x / FW, fx = x % FW;
        return (fx == 0 && y == FH - 1) || (fx == 3 && y == 2) ? FrameKey(f) : fx == 5 && y == 0 ? SkinKeyColor : FrameColor(f);
    });
}

constexpr TColor Under = Rgb(1, 2, 3);

// Mismatches after frame Frame went to (3, 2) with Look(pixel) for its non-key pixels.
int GlyphMismatches(TBitmap& Got, int Frame, const std::function<TColor(TColor)>& Look)
{
    auto strip = Strip(Frame + 1);
    int bad = 0;
    for (int y = 0; y < Got.Height(); ++y)
        for (int x = 0; x < Got.Width(); ++x) {
            const bool in = x >= 3 && y >= 2 && x < 3 + FW && y < 2 + FH;
            const TColor s = in ? Px(*strip, Frame * FW + x - 3, y - 2) : FrameKey(Frame);
            bad += Px(Got, x, y) != (s == FrameKey(Frame) ? Under : Look(s));
        }
    return bad;
}

// The pixel grey, then round(S - (S - Under) * K) per channel.
std::function<TColor(TColor)> GreyBlend(double K)
{
    return [=](TColor S) {
        const int g = ((S & 0xFF) + ((S >> 8) & 0xFF) + ((S >> 16) & 0xFF)) / 3;
        auto ch = [&](int sh) { return RoundEven(g - (g - ((Under >> sh) & 0xFF)) * K) << sh; };
        return ch(0) | ch(8) | ch(16);
    };
}

} // namespace

TEST_CASE("button glyphs: frame by state, the frame's own key colour, grey and blended looks")
{
    auto same = [](TColor c) { return c; };
    // Frames, state, enabled, the frame expected.
    using Case = std::tuple<int, int, bool, int>;
    for (auto [frames, state, enabled, frame] : {Case{4, 0, true, 0}, Case{4, 1, true, 0}, Case{4, 2, true, 3}, Case{3, 2, true, 2},
                                                Case{1, 2, true, 0}, Case{4, 0, false, 1}, Case{4, 2, false, 1}, Case{1, 0, false, 0}}) {
        CAPTURE(frames);
        CAPTURE(state);
        auto dst = Filled24(12, 10, Under);
        DrawButtonGlyph(dst.get(), {3, 2}, Strip(frames).get(), frames, 0, TzPaintState(state), 0, false, enabled);
        CHECK(GlyphMismatches(*dst, frame, same) == 0);
    }
    // Grey and blended over the background: enabled in state 0 by Grayed and Blend, disabled
    // by its kind. The key stays transparent though grey.
    auto dst = Filled24(12, 10, Under);
    DrawButtonGlyph(dst.get(), {3, 2}, Strip(2).get(), 2, 40, psNormal, 0, true, true);
    CHECK(GlyphMismatches(*dst, 0, GreyBlend(0.4)) == 0);
    dst = Filled24(12, 10, Under);
    DrawButtonGlyph(dst.get(), {3, 2}, Strip(2).get(), 2, 40, psNormal, GlyphDisabledGrayed | GlyphDisabledBlended, true,
                    false);
    CHECK(GlyphMismatches(*dst, 1, GreyBlend(0.5)) == 0);
    // Key pixels take the parent's image when it is ready.
    auto parent = MakeBmp24(20, 20, [](int x, int y) { return Rgb(x * 10, y * 10, 7); });
    dst = Filled24(12, 10, Under);
    DrawButtonGlyph(dst.get(), {3, 2}, Strip(1).get(), 1, 0, psNormal, 0, false, true, MakeCacheInfo(parent.get(), 4, 5));
    CHECK(Join(Px(*dst, 3, 6), Px(*dst, 6, 4), Px(*dst, 0, 0)) == Join(Px(*parent, 7, 11), Px(*parent, 10, 9), Under));
}

TEST_CASE("masked copies, round blends and image-list pictures")
{
    // Image row 0, mask row 1 below it; key pixels show the parent.
    auto src = MakeBmp24(3, 2, [](int x, int y) { return y == 1 ? Rgb(x * 85, x * 85, x * 85) : x == 2 ? SkinKeyColor : Rgb(200, 100, 0); });
    auto parent = Filled24(10, 10, Rgb(9, 9, 9));
    auto dst = Filled24(5, 3, Rgb(0, 0, 255));
    CopyByMaskWithParent(TRect(1, 1, 4, 2), TRect(0, 0, 3, 1), dst.get(), true, MakeCacheInfo(parent.get(), 0, 0), src.get());
    auto mix = [](int d, int s, int m) { return ((d - s) * m + s * 256) >> 8; };
    CHECK(Join(Px(*dst, 1, 1), Px(*dst, 2, 1), Px(*dst, 3, 1), Px(*dst, 4, 1)) ==
          Join(Rgb(200, 100, 0), Rgb(mix(0, 200, 85), mix(0, 100, 85), mix(255, 0, 85)), Rgb(9, 9, 9), Rgb(0, 0, 255)));

    // 60 % black inside (the mask keeps 255 - 153 of the picture), fading in at the edge,
    // corners outside the rounding untouched.
    auto b = Filled24(30, 30, Rgb(200, 200, 200));
    BlendRoundRect(b.get(), TRect(2, 2, 28, 28), 60, 6, Rgb(0, 0, 0));
    CHECK(Join(Px(*b, 15, 15), Px(*b, 2, 2)) == Join(Rgb(79, 79, 79), Rgb(200, 200, 200)));
    CHECK(Join(Channel(Px(*b, 15, 15), 0) < Channel(Px(*b, 4, 15), 0), Channel(Px(*b, 4, 15), 0) < Channel(Px(*b, 2, 15), 0)) ==
          Join(true, true));

    TCustomImageList list(8, 6);
    auto pic = MakeBmp24(8, 6, [](int x, int y) { return x < 4 && y < 3 ? Rgb(0, 255, 0) : Rgb(10, 20, 30); });
    REQUIRE(list.AddMasked(pic.get(), Rgb(0, 255, 0)) == 0);
    TBitmap out;
    ImageListToBitmap(&list, 0, &out);
    CHECK(Join(out.PixelFormat() == pf24bit, out.Width(), out.Height()) == Join(true, 8, 6));
    CHECK(Join(Px(out, 3, 2), Px(out, 4, 0)) == Join(SkinKeyColor, Rgb(10, 20, 30)));
}
