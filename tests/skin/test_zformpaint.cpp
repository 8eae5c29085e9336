// A skinned form's frame painted by pixels: the geometry of icon, buttons, caption and menu
// line; title buttons against a plain per-pixel model over random backgrounds and places;
// sections kept to their bands; the grip; the region's cut-outs. And the system menu's table.
#include "skinfixtures.h"
#include "synthskin.h"

#include "join.h"
#include "skin/zformpaint.h"
#include "skin/zsysmenu.h"

#include <doctest.h>

#include <cmath>
#include <random>

namespace {

TzFrameMetrics SomeFrame(int W = 300, int H = 200)
{
    TzFrameMetrics m;
    m.Width = W;
    m.Height = H;
    m.CaptionHeight = 19;
    m.BorderWidth = m.BorderHeight = 4;
    m.MenuHeight = 18;
    m.MenuLines = 2;
    return m;
}

std::unique_ptr<TBitmap> Noise(int W, int H, unsigned Seed)
{
    std::mt19937 rng(Seed);
    return MakeBmp24(W, H, [&](int, int) { return TColor(rng() & 0xFEFEFE); });
}

// The title button by the plain rules: the frame's pixels that are not the key colour over
// what was there; a dimmed button keeps 40 % of itself over 60 % of what was there.
void ModelButton(TBitmap& B, TBitmap& Before, const TRect& R, const TzMaskData& M, int Frame, bool Dimmed)
{
    TBitmap& S = *M.Manager->MasterBitmap();
    const int fw = M.R.Width() / M.ImageCount;
    for (int y = 0; y < M.R.Height(); ++y)
        for (int x = 0; x < fw; ++x) {
            const int dx = R.Left + x, dy = R.Top + y;
            if (dx < 0 || dy < 0 || dx >= B.Width() || dy >= B.Height())
                continue;
            const TColor src = Px(S, M.R.Left + Frame * fw + x, M.R.Top + y);
            const TColor under = Px(Before, dx, dy);
            TColor c = src == SkinKeyColor ? under : src;
            if (Dimmed) {
                TColor mixed = 0;
                for (int k = 0; k < 3; ++k)
                    mixed |= TColor(int(std::nearbyint(Channel(under, k) - (Channel(under, k) - Channel(c, k)) * 0.4)))
                             << (8 * k);
                c = mixed;
            }
            SetPx(B, dx, dy, c);
        }
}

} // namespace

TEST_CASE("frame geometry: icon sizes, buttons from the right border, caption and menu line")
{
    CHECK(Join(FormIconSize(8), FormIconSize(9), FormIconSize(16), FormIconSize(17)) == Join(0, 8, 8, 16));
    CHECK(Join(FormIconSize(27), FormIconSize(28)) == Join(16, 32));
    const TzFrameMetrics m = SomeFrame();
    const std::vector<TRect> r = LayoutTitleButtons(m, 21, 2, {21, 21, 16});
    CHECK(Join(r[0].Left, r[0].Right, r[1].Right, r[2].Left) == Join(275, 296, 273, 234));
    CHECK(Join(r[0].Top, r[0].Bottom) == Join(1, 22));
    CHECK(LayoutTitleButtons(m, 14, 2, {14})[0].Top == 6);   // low buttons sit 2 lower
    CHECK(TitleIconRect(m, 16, 16).Top == 3);
    const TRect text = CaptionTextRect(m, 16, 60);
    CHECK(Join(text.Left, text.Right, text.Bottom) == Join(24, 230, 23));
    CHECK(CaptionTextRect(SomeFrame(80), 16, 60).IsEmpty());
    const TRect line = MenuLineRect(m);
    CHECK(Join(line.Left, line.Top, line.Right, line.Bottom) == Join(4, 23, 296, 59));
}

TEST_CASE("title buttons match the plain per-pixel rules on random backgrounds, places and states")
{
    TSynthSkin skin;
    skin.Section("GLOBALINFO");
    skin.Image("GLOBALINFO", "FOUR", TRect(0, 0, 64, 16), 4);
    skin.Image("GLOBALINFO", "THREE", TRect(64, 16, 112, 30), 3);
    TzSkinManager& m = skin.Load();
    const int four = m.FindMaskIndexExact("GLOBALINFO", "FOUR"), three = m.FindMaskIndexExact("GLOBALINFO", "THREE");
    std::mt19937 rng(17);
    for (int run = 0; run < 60; ++run) {
        const int w = 20 + int(rng() % 41), h = 20 + int(rng() % 13);
        auto bmp = Noise(w, h, rng());
        auto before = CreateBmp24(w, h);
        before->Assign(bmp.get());
        auto model = CreateBmp24(w, h);
        model->Assign(bmp.get());
        TzTitleButtonLook b;
        b.Mask = rng() % 2 ? four : three;
        const TzMaskData& mask = m.Mask(b.Mask);
        const int fw = mask.R.Width() / mask.ImageCount;
        b.State = int(rng() % 3);
        b.Active = rng() % 3 != 0;
        b.Enabled = rng() % 4 != 0;
        // Dimmed buttons lie inside; others may hang over any edge.
        const bool dims = !b.Enabled || (!b.Active && mask.ImageCount < 4);
        const int x = dims ? int(rng() % (w - fw + 1)) : int(rng() % (w + 8)) - 8;
        const int y = dims ? int(rng() % (h - mask.R.Height() + 1)) : int(rng() % (h + 8)) - 8;
        b.Rect = TRect(x, y, x + fw, y + mask.R.Height());
        PaintTitleButton(bmp.get(), &m, b);
        ModelButton(*model, *before, b.Rect, mask, !b.Active && mask.ImageCount >= 4 ? 3 : b.State, dims);
        INFO("run " << run);
        CHECK(SamePixels(*bmp, *model));
    }
}

TEST_CASE("a user button's glyph: centred, its bottom-left colour see-through")
{
    TSynthSkin skin;
    skin.Section("GLOBALINFO");
    TzSkinManager& m = skin.Load();
    auto bmp = Filled24(30, 20, Rgb(1, 2, 3));
    auto glyph = MakeBmp24(6, 4, [](int X, int Y) { return Y == 3 && X == 0 ? Rgb(9, 9, 9) : Rgb(X * 40, Y * 60, 7); });
    SetPx(*glyph, 2, 1, Rgb(9, 9, 9));
    TzTitleButtonLook b;
    b.Rect = TRect(4, 2, 24, 18);   // 20 x 16: the glyph at (11, 8)
    b.Glyph = glyph.get();
    PaintTitleButton(bmp.get(), &m, b);
    CHECK(Px(*bmp, 12, 8) == Rgb(40, 0, 7));
    CHECK(Px(*bmp, 13, 9) == Rgb(1, 2, 3));   // the see-through colour
    CHECK(Px(*bmp, 10, 8) == Rgb(1, 2, 3));
}

TEST_CASE("frame sections stay in their bands; the grip sits inside the borders")
{
    TSynthSkin skin;
    skin.Section("GLOBALINFO");
    skin.Image("GLOBALINFO", "GRIPIMAGE", TRect(0, 32, 24, 40), 3);
    skin.Section("LINE").Color = Rgb(10, 20, 30);
    skin.Section("TITLE").Color = Rgb(40, 50, 60);
    skin.Section("BODY").Color = Rgb(70, 80, 90);
    TzSkinManager& m = skin.Load();
    const TzFrameMetrics M = SomeFrame(120, 100);
    auto bmp = Filled24(120, 100, Rgb(200, 200, 200));
    PaintMenuLine(bmp.get(), M, &m, skin.SectionIndex("LINE"), false);
    PaintTitleBar(bmp.get(), M, &m, skin.SectionIndex("TITLE"), -1, 0, false);
    CHECK(Join(Px(*bmp, 0, 0), Px(*bmp, 119, 22), Px(*bmp, 3, 30)) ==
          Join(Rgb(40, 50, 60), Rgb(40, 50, 60), Rgb(200, 200, 200)));
    CHECK(Join(Px(*bmp, 4, 23), Px(*bmp, 115, 58), Px(*bmp, 116, 58), Px(*bmp, 50, 59)) ==
          Join(Rgb(10, 20, 30), Rgb(10, 20, 30), Rgb(200, 200, 200), Rgb(200, 200, 200)));
    TzSectionSkin body;
    body.Manager = &m;
    body.Section = skin.SectionIndex("BODY");
    PaintFormBody(bmp.get(), M, body, false, m.FindMaskIndexExact("GLOBALINFO", "GRIPIMAGE"));
    // The grip's first frame (8 x 8) at (120 - 4 - 8, 100 - 4 - 8).
    CHECK(Px(*bmp, 108, 88) == (SynthPixel(0, 32) == SkinKeyColor ? Rgb(70, 80, 90) : SynthPixel(0, 32)));
    CHECK(Px(*bmp, 115, 95) == (SynthPixel(7, 39) == SkinKeyColor ? Rgb(70, 80, 90) : SynthPixel(7, 39)));
    CHECK(Px(*bmp, 107, 87) == Rgb(70, 80, 90));
}

TEST_CASE("the region leaves out the key-colour runs of the border's corners, top and bottom")
{
    TSynthSkin skin(64, 32);
    // A 12 x 12 frame, margins 3; its key pixels: (0, 0), (1, 0), (0, 1) and (11, 11).
    skin.Paint(TRect(0, 0, 12, 12), [](int X, int Y) {
        return (Y == 0 && X < 2) || (X == 0 && Y == 1) || (X == 11 && Y == 11) ? SkinKeyColor : Rgb(X, Y, 1);
    });
    skin.Section("FORM");
    skin.Load();
    const TzMaskData mask = skin.MakeMask(TRect(0, 0, 12, 12), 1, 0, 3, 3, 3, 3);
    const std::vector<TRect> cuts = FrameRegionCuts(SomeFrame(100, 80), &mask, nullptr);
    auto text = [](const TRect& R) { return Join(R.Left, R.Top, R.Right, R.Bottom); };
    REQUIRE(cuts.size() == 3);
    CHECK(text(cuts[0]) == Join(0, 0, 2, 1));
    CHECK(text(cuts[1]) == Join(0, 1, 1, 2));
    CHECK(text(cuts[2]) == Join(99, 79, 100, 80));
}

TEST_CASE("system menu items by the form's style, state and border icons")
{
    auto items = [](TzSysMenuForm F) {
        AnsiString s;
        for (int i = 0; i < smiCount; ++i) {
            const TzSysMenuItemState st = SystemMenuItemState(TzSysMenuItem(i), F);
            s += st.Visible ? (st.Enabled ? "E" : "d") : "-";
        }
        return s;
    };
    TzSysMenuForm f;   // sizeable, all three icons, normal
    CHECK(items(f) == "dEEEEE");
    f.WindowState = wsMaximized;
    CHECK(items(f) == "EdEEdE");
    f.WindowState = wsMinimized;
    f.Iconic = true;
    CHECK(items(f) == "EEddEE");
    f = TzSysMenuForm{};
    f.BorderStyle = bsDialog;
    CHECK(items(f) == "-E---E");
    f.BorderIcons = 0;
    CHECK(items(f) == "-E----");
    f = TzSysMenuForm{};
    f.BorderStyle = bsSingle;
    f.BorderIcons = biSystemMenu | biMinimize;
    CHECK(items(f) == "dEdE-E");
    f.BorderStyle = bsToolWindow;
    CHECK(items(f) == "-E---E");
    f = TzSysMenuForm{};
    f.FormStyle = fsMDIChild;
    f.WindowState = wsMaximized;
    CHECK(items(f) == "EdEEEE");
}

TEST_CASE("the skin chooser of the system menu: a column a twenty skins, the ampersand dropped when chosen")
{
    const WideString dir = FreshFolder("chooser");
    for (int i = 0; i < 45; ++i) {
        const WideString name = dir + (i == 44 ? WideString(L"Z&Last") : L"Skin" + std::to_wstring(100 + i));
        CreateDirectoryW(name.c_str(), nullptr);
        WriteText(name + L"\\Options.dat", "");
    }
    TzSkinManager manager(nullptr);
    manager.SetActive(false);
    manager.SetSkinDirectory(dir);
    manager.SetSkinName(L"Skin101");
    TzSystemMenu menu(nullptr, nullptr);
    menu.BuildSkinItems(&manager);
    menu.BuildSkinItems(&manager);   // built again: still one chooser and one line after it
    CHECK(menu.Items()->Count() == 9);
    TMenuItem* chooser = menu.SkinItems();
    REQUIRE(chooser != nullptr);
    REQUIRE(chooser->Count() == 45);
    CHECK(Join(chooser->Items(19)->Break(), chooser->Items(20)->Break(), chooser->Items(40)->Break()) ==
          Join(mbNone, mbBreak, mbBreak));
    CHECK(chooser->Items(1)->Checked());
    chooser->Items(44)->Click();
    CHECK(manager.SkinName() == L"ZLast");
}
