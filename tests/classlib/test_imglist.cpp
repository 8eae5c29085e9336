#include <doctest.h>
#include "classlib/imglist.h"

namespace {
// A strip of Count images of the list's size, image i filled with Colors[i].
void FillStrip(TBitmap& Bmp, int W, int H, std::initializer_list<TColor> Colors)
{
    Bmp.SetPixelFormat(pf24bit);
    Bmp.SetSize(W * int(Colors.size()), H);
    int i = 0;
    for (TColor c : Colors) {
        Bmp.Canvas()->Brush()->SetColor(c);
        Bmp.Canvas()->FillRect(Bounds(i++ * W, 0, W, H));
    }
}

struct TChangeCounter {
    int Count = 0;
    void Changed(TObject*) { ++Count; }
};
} // namespace

TEST_CASE("an image list keeps and draws its images")
{
    TImageList list(nullptr);
    TChangeCounter counter;
    TChangeLink link;
    link.OnChange = MakeMethod<&TChangeCounter::Changed>(&counter);
    list.RegisterChanges(&link);

    TBitmap strip;
    FillStrip(strip, 16, 16, {clRed, clLime, clBlue});
    CHECK(list.Add(&strip, nullptr) == 0);
    CHECK(list.Count() == 3);
    CHECK(counter.Count == 1);
    TBitmap narrow;
    FillStrip(narrow, 8, 16, {clRed});
    CHECK(list.Add(&narrow, nullptr) == -1);
    CHECK(list.Count() == 3);

    TBitmap target;
    target.SetPixelFormat(pf24bit);
    target.SetSize(40, 20);
    target.Canvas()->Brush()->SetColor(clWhite);
    target.Canvas()->FillRect(Rect(0, 0, 40, 20));
    list.Draw(target.Canvas(), 2, 2, 2);
    CHECK(target.Canvas()->Pixels(10, 10) == clBlue);
    list.Draw(target.Canvas(), 20, 2, 7);   // out of range: nothing
    CHECK(target.Canvas()->Pixels(25, 10) == clWhite);
    TBitmap copy;
    CHECK(list.GetBitmap(1, &copy));
    CHECK(copy.Canvas()->Pixels(8, 8) == clLime);
    CHECK_FALSE(list.GetBitmap(3, &copy));

    // Masked colour: those pixels let the background through.
    TBitmap masked;
    FillStrip(masked, 16, 16, {clFuchsia});
    masked.Canvas()->Brush()->SetColor(clNavy);
    masked.Canvas()->FillRect(Rect(0, 0, 8, 16));
    int index = list.AddMasked(&masked, clFuchsia);
    CHECK(index == 3);
    CHECK(masked.Canvas()->Pixels(12, 8) == clFuchsia);   // the caller's bitmap is left alone
    target.Canvas()->FillRect(Rect(0, 0, 40, 20));
    list.Draw(target.Canvas(), 0, 0, index);
    CHECK(target.Canvas()->Pixels(4, 8) == clNavy);
    CHECK(target.Canvas()->Pixels(12, 8) == clWhite);

    CHECK_THROWS_AS(list.Delete(9), EInvalidOperation);
    list.Delete(0);
    CHECK(list.Count() == 3);
    // A new size empties the list.
    int before = counter.Count;
    list.SetWidth(24);
    CHECK(list.Count() == 0);
    CHECK(counter.Count > before);
    list.UnRegisterChanges(&link);
    CHECK(link.Sender() == nullptr);
}

TEST_CASE("a change link outlives its image list")
{
    TChangeLink link;
    {
        TImageList list(nullptr);
        list.RegisterChanges(&link);
        CHECK(link.Sender() == &list);
    }
    CHECK(link.Sender() == nullptr);
}
