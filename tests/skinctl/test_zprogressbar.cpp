// The skinned progress bar: its picture against a model (the bar's section over the parent's
// picture, the filled part's section at places worked out here) for a range that does not
// start at 0, an empty range, an upright bar, a smooth one and one in blocks; the system's bar
// without a skin.
#include "skinctlfixture.h"

#include "skin/zsectionpaint.h"
#include "skinctl/zprogressbar.h"

namespace {

struct TBarFixture : TSkinFixture {
    TBackdrop* Pane = Place<TBackdrop>(Form, 0, 0, 400, 200);
    TzProgressBar* Bar = Place<TzProgressBar>(Pane, 20, 30, 200, 20);
    TBarFixture()
    {
        Pane->SetColor(TColor(0x408060));
        Show();
    }
    // The bar's section over the pane, and the filled part's section at each of Pieces over that.
    std::unique_ptr<TBitmap> Model(const char* Filled, std::initializer_list<TRect> Pieces)
    {
        TzSkinManager* m = Manager.get();
        const int w = Bar->Width(), h = Bar->Height();
        auto model = Filled24(w, h, Pane->Color());
        PaintSectionByIndex(m->FindSectionIndex("GAUGE"), m, model.get(),
                            MakeCacheInfo(Pane->Picture(), Bar->Left(), Bar->Top()), TRect(0, 0, w, h), psNormal, true);
        auto under = Filled24(w, h, clBlack);
        BitBlt(under->Canvas()->Handle(), 0, 0, w, h, model->Canvas()->Handle(), 0, 0, SRCCOPY);
        for (const TRect& r : Pieces)
            PaintSectionByIndex(m->FindSectionIndex(Filled), m, model.get(), MakeCacheInfo(under.get(), 0, 0), r,
                                psNormal, true);
        return model;
    }
};

} // namespace

TEST_CASE("a skinned progress bar's filled part: a range from 50, blocks, an empty range, upright; no picture kept")
{
    TBarFixture f;
    TzProgressBar* bar = f.Bar;
    // Inside 1 pixel from the edge: 198 x 18. Smooth, 75 of 50..100 fills half of it.
    bar->SetSmooth(true);
    bar->SetMax(100);
    bar->SetMin(50);
    bar->SetPosition(75);
    CHECK(SamePixels(*Printed(bar), *f.Model("PROGRESSH", {TRect(1, 1, 100, 19)})));
    CHECK(bar->SkinData()->CacheBmp() == nullptr);

    // Blocks of 0.66 x 18 - 2 = 10: 16 fit with gaps of (198 - 160) / 15 = 2; 40 % shows 6.
    bar->SetSmooth(false);
    bar->SetMin(0);
    bar->SetPosition(40);
    CHECK(SamePixels(*Printed(bar), *f.Model("PROGRESSH", {TRect(1, 1, 11, 19), TRect(13, 1, 23, 19), TRect(25, 1, 35, 19),
                                                          TRect(37, 1, 47, 19), TRect(49, 1, 59, 19),
                                                          TRect(61, 1, 71, 19)})));
    // An empty range shows the bar alone.
    bar->SetMax(0);
    CHECK(SamePixels(*Printed(bar), *f.Model("PROGRESSH", {})));

    // Upright, 18 x 118 inside: 9 blocks of 10 with gaps of (118 - 90) / 8 = 3, from the bottom.
    bar->SetOrientation(pbVertical);
    bar->SetBounds(20, 30, 20, 120);
    bar->SetMax(10);
    bar->SetPosition(10);
    std::vector<TRect> blocks;
    for (int i = 0; i < 9; ++i)
        blocks.push_back(TRect(1, 119 - i * 13 - 10, 19, 119 - i * 13));
    auto full = f.Model("PROGRESSV", {blocks[0], blocks[1], blocks[2], blocks[3], blocks[4], blocks[5], blocks[6],
                                      blocks[7], blocks[8]});
    CHECK(SamePixels(*Printed(bar), *full));
}

TEST_CASE("without a skin the progress bar is the system's")
{
    TBarFixture f;
    f.RemoveSkin();
    auto* plain = f.Place<TProgressBar>(f.Pane, 20, 30, 200, 20);
    for (TProgressBar* bar : {static_cast<TProgressBar*>(f.Bar), plain})
        bar->SetPosition(60);
    f.Bar->SetVisible(false);
    f.Redraw();
    auto expected = Filled24(200, 20, clBlack);
    {
        TClientDC dc(plain->Handle());
        BitBlt(expected->Canvas()->Handle(), 0, 0, 200, 20, dc.Handle(), 0, 0, SRCCOPY);
    }
    plain->SetVisible(false);
    f.Bar->SetVisible(true);
    f.Redraw();
    auto shown = Filled24(200, 20, clBlack);
    TClientDC dc(f.Bar->Handle());
    BitBlt(shown->Canvas()->Handle(), 0, 0, 200, 20, dc.Handle(), 0, 0, SRCCOPY);
    CHECK(SamePixels(*shown, *expected));
}
