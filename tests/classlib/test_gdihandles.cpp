#include <doctest.h>
#include "classlib/gdihandles.h"
#include "gdicount.h"

#include <tuple>
#include <utility>

TEST_CASE("owned drawing objects are deleted once, after moves and resets; borrowed ones never")
{
    {
        TOwnedBrush warm(CreateSolidBrush(0));
        TMemoryDC dc(nullptr);
    }
    const int before = GdiObjectCount();
    HBRUSH kept = CreateSolidBrush(RGB(1, 2, 3));
    {
        TOwnedBrush a(CreateSolidBrush(RGB(1, 2, 3)));
        TOwnedBrush b(std::move(a));
        CHECK_FALSE(a);
        TOwnedPen pen(CreatePen(PS_SOLID, 1, 0));
        TOwnedFont font(CreateFontA(-12, 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0, "Tahoma"));
        TOwnedRegion rgn(CreateRectRgn(0, 0, 4, 4));
        TOwnedBitmap bmp(CreateBitmap(4, 4, 1, 1, nullptr));
        TMemoryDC mem(nullptr);
        CHECK(GdiObjectCount() == before + 7);
        b.Reset(CreateSolidBrush(0));   // the first brush goes now
        TOwnedBrush c;
        c = std::move(b);
        CHECK(GdiObjectCount() == before + 7);
        TBorrowed<HBRUSH> borrowed(kept);
        TBorrowed<HBRUSH> copy = borrowed;
        CHECK(copy.Handle() == kept);
    }
    CHECK(GdiObjectCount() == before + 1);
    CHECK(GetObjectType(kept) == OBJ_BRUSH);
    TOwnedBrush adopted(kept);
    HBRUSH given = adopted.Release();
    CHECK(given == kept);
    DeleteObject(given);
    CHECK(GdiObjectCount() == before);
}

TEST_CASE("scopes put a DC back as they found it, also when an exception leaves")
{
    TMemoryDC dc(nullptr);
    TOwnedBitmap bmp(CreateBitmap(8, 8, 1, 32, nullptr));
    TSelectObject withBitmap(dc.Handle(), bmp.Handle());
    HDC h = dc.Handle();
    HGDIOBJ font0 = GetCurrentObject(h, OBJ_FONT);
    COLORREF color0 = GetTextColor(h);
    TOwnedFont font(CreateFontA(-12, 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0, "Tahoma"));
    try {
        TSelectObject sel(h, font.Handle());
        CHECK(GetCurrentObject(h, OBJ_FONT) == font.Handle());
        TSaveDCScope saved(h);
        SetTextColor(h, RGB(9, 8, 7));
        throw 1;
    } catch (int) {
    }
    CHECK(GetCurrentObject(h, OBJ_FONT) == font0);
    CHECK(GetTextColor(h) == color0);

    auto clipBox = [h] {
        RECT r{};
        GetClipBox(h, &r);
        return std::make_tuple(int(r.left), int(r.top), int(r.right), int(r.bottom));
    };
    TOwnedRegion probe(CreateRectRgn(0, 0, 0, 0));
    SUBCASE("no clip region before: none after")
    {
        {
            TClipScope clip(h, RECT{1, 1, 3, 3});
            CHECK(clipBox() == std::make_tuple(1, 1, 3, 3));
        }
        CHECK(GetClipRgn(h, probe.Handle()) == 0);
    }
    SUBCASE("a clip region before: the same after, whatever the scope did")
    {
        TOwnedRegion first(CreateRectRgn(0, 0, 6, 6));
        SelectClipRgn(h, first.Handle());
        {
            TClipScope clip(h, RECT{2, 2, 4, 4});
            ExcludeClipRect(h, 2, 2, 3, 3);
            CHECK(clipBox() == std::make_tuple(2, 2, 4, 4));
        }
        CHECK(GetClipRgn(h, probe.Handle()) == 1);
        CHECK(EqualRgn(probe.Handle(), first.Handle()));
    }
}
