// The skinned panel: its caption placed by alignment, one line in the middle, over the section
// painted from the parent's picture; a see-through section showing that picture, painted
// again after a paint cut by a clip; OnPaint on the picture, or instead of the plain panel.
#include "skinctlfixture.h"

#include "skin/zsectionpaint.h"
#include "skin/zskintextpaint.h"
#include "skinctl/zpanel.h"

namespace {

TColor Stripes(int X, int Y)
{
    return Rgb(X * 3 & 0xFF, Y * 5 & 0xFF, 0x80);
}

struct TPanelFixture : TSkinFixture {
    TBackdrop* Pane = Place<TBackdrop>(Form, 0, 0, 400, 200);
    TzPanel* Panel = Place<TzPanel>(Pane, 30, 20, 240, 60);
    TPanelFixture()
    {
        Pane->Pattern = &Stripes;
        Panel->SetCaption(L"\x041F\x0430\x043D\x0435\x043B\x044C \x03A9");   // Панель Ω
        Show();
    }
    // The section over the pane's picture at the panel's place.
    std::unique_ptr<TBitmap> Model(const char* Section)
    {
        auto model = Filled24(Panel->Width(), Panel->Height(), clBlack);
        PaintSectionByIndex(Manager->FindSectionIndex(Section), Manager.get(), model.get(),
                            MakeCacheInfo(Pane->Picture(), Panel->Left(), Panel->Top()),
                            TRect(0, 0, Panel->Width(), Panel->Height()), psNormal, true);
        return model;
    }
};

// The columns and rows where A differs from B.
TRect DiffBounds(TBitmap& A, TBitmap& B)
{
    TRect r(A.Width(), A.Height(), -1, -1);
    for (int y = 0; y < A.Height(); ++y)
        for (int x = 0; x < A.Width(); ++x)
            if (Px(A, x, y) != Px(B, x, y))
                r = TRect(std::min<int>(r.Left, x), std::min<int>(r.Top, y), std::max<int>(r.Right, x + 1),
                          std::max<int>(r.Bottom, y + 1));
    return r;
}

struct TPaintCounter {
    int Calls = 0;
    void Paint(TObject*, TCanvas* Canvas)
    {
        ++Calls;
        Canvas->Brush()->SetColor(TColor(0x0000FF));
        Canvas->FillRect(TRect(0, 0, 10, 10));
    }
};

} // namespace

TEST_CASE("a skinned panel's caption: one line in the middle, left, centred or right inside the bevel, over the "
          "section")
{
    TPanelFixture f;
    TzPanel* panel = f.Panel;
    const WideString caption = panel->Caption();
    TBitmap probe;
    probe.Canvas()->SetFont(panel->Font());
    const TSize text = GetWideTextSize(probe.Canvas(), caption);
    const int h = probe.Canvas()->TextHeight("W");
    const int w = panel->Width(), inset = 1;   // the raised outer bevel
    for (TAlignment a : {taLeftJustify, taCenter, taRightJustify}) {
        CAPTURE(int(a));
        panel->SetAlignment(a);
        const TRect ink = DiffBounds(*Printed(panel), *f.Model("PANEL"));
        const int left = a == taLeftJustify ? inset : a == taCenter ? (w - text.cx) / 2 : w - inset - text.cx;
        // The ink lies in the text's box (glyphs keep a little room at their sides).
        CHECK(ink.Left >= left);
        CHECK(ink.Left <= left + 2);
        CHECK(ink.Right <= left + text.cx);
        CHECK(ink.Top >= (60 - h) / 2);
        CHECK(ink.Bottom <= (60 - h) / 2 + h);
    }
}

TEST_CASE("a see-through panel shows the parent's picture at its place, again after a paint cut by a clip")
{
    TPanelFixture f;
    TzPanel* panel = f.Panel;
    panel->SetCaption(L"");
    panel->SkinData()->SetSkinSection("GROUPBOX");
    f.Redraw();
    CHECK(SamePixels(*Printed(panel), *f.Model("GROUPBOX")));
    CHECK(ClientPixel(panel, 120, 30) == Stripes(150, 50));
    // A paint of part of it: the next paint makes the picture again, the parent's new one.
    RECT part{0, 0, 20, 20};
    InvalidateRect(panel->Handle(), &part, FALSE);
    UpdateWindow(panel->Handle());
    CHECK(panel->SkinData()->OutOfClip());
    f.Pane->Pattern = [](int X, int Y) { return Stripes(Y, X); };
    f.Pane->SetColor(clYellow);   // a new picture
    CHECK(SamePixels(*Printed(panel), *f.Model("GROUPBOX")));
}

TEST_CASE("a panel's OnPaint paints on its picture, or unskinned instead of the plain panel")
{
    TPanelFixture f;
    TPaintCounter counter;
    f.Panel->OnPaint = MakeMethod<&TPaintCounter::Paint>(&counter);
    f.Panel->Invalidate();
    f.Redraw();
    CHECK(counter.Calls == 1);
    CHECK(ClientPixel(f.Panel, 5, 5) == TColor(0x0000FF));
    CHECK(ClientPixel(f.Panel, 20, 5) == f.Section("PANEL").Color);
    f.RemoveSkin();
    f.Redraw();
    CHECK(counter.Calls == 2);
    CHECK(ClientPixel(f.Panel, 5, 5) == TColor(0x0000FF));
    // The plain panel's raised bevel is not painted.
    CHECK(ClientPixel(f.Panel, 20, 0) != ColorToRGB(clBtnHighlight));
}
