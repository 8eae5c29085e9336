#include <doctest.h>
#include "graphics_helpers.h"
#include "join.h"

#include <cstring>

namespace {
struct Counter {
    int Count = 0;
    void Hit(TObject*) { ++Count; }
};

// The bytes a graphic saves.
std::vector<uint8_t> Saved(TGraphic& g)
{
    TMemoryStream ms;
    g.SaveToStream(&ms);
    auto* p = static_cast<const uint8_t*>(ms.Memory());
    return std::vector<uint8_t>(p, p + ms.Size());
}

struct DataBitmap : TBitmap {
    using TBitmap::ReadData;
    using TBitmap::WriteData;
};

LOGFONTA LogFontOf(TFont& F)
{
    LOGFONTA lf{};
    REQUIRE(GetObjectA(F.Handle(), sizeof(lf), &lf) > 0);
    return lf;
}
} // namespace

TEST_CASE("colours: system codes, names and text")
{
    CHECK(Join(ColorToRGB(clBtnFace), ColorToRGB(clHighlightText), ColorToRGB(clFuchsia)) ==
          Join(GetSysColor(COLOR_BTNFACE), GetSysColor(COLOR_HIGHLIGHTTEXT), 0xFF00FF));
    CHECK(Join(ColorToString(clRed), ColorToString(0x123456)) == Join("clRed", "$00123456"));
    for (auto [text, color] : {std::pair<const char*, TColor>{"clBtnFace", clBtnFace}, {"CLWHITE", clWhite},
                               {"$00FF00FF", clFuchsia}, {"255", clRed}})
        CHECK(StringToColor(text) == color);
    CHECK_THROWS_AS(StringToColor("clNoSuchColour"), EConvertError);
}

TEST_CASE("a font makes its handle on demand, again after a change of size, style or name, and reads one given")
{
    TFont f;
    Counter changes;
    f.OnChange = MakeMethod<&Counter::Hit>(&changes);
    CHECK_FALSE(f.HandleAllocated());
    HFONT h1 = f.Handle();
    REQUIRE(h1);
    CHECK(f.Handle() == h1);
    // A colour keeps the handle; size, style and name make a new one.
    f.SetColor(clRed);
    f.SetColor(clRed);
    CHECK(Join(changes.Count, f.Handle() == h1) == "1 1");   // stored only on change
    f.SetSize(12);
    CHECK(Join(f.Height(), LogFontOf(f).lfHeight) == "-16 -16");
    f.SetStyle(fsBold | fsItalic);
    CHECK(Join(LogFontOf(f).lfWeight, LogFontOf(f).lfItalic) == Join(FW_BOLD, 1));
    f.SetName("Tahoma");
    CHECK(Join(LogFontOf(f).lfFaceName, changes.Count) == Join("Tahoma", 4));

    LOGFONTA given{};
    given.lfHeight = -20;
    given.lfWeight = FW_BOLD;
    given.lfUnderline = 1;
    given.lfCharSet = RUSSIAN_CHARSET;
    given.lfEscapement = given.lfOrientation = -900;   // text written downward
    strcpy(given.lfFaceName, "Courier New");
    TFont g;
    HFONT h = CreateFontIndirectA(&given);
    g.SetHandle(h);
    CHECK(g.Handle() == h);
    CHECK(Join(g.Height(), g.Style(), g.Charset(), g.Name()) == Join(-20, fsBold | fsUnderline, RUSSIAN_CHARSET, "Courier New"));
    CHECK(g.Orientation() == -900);
}

TEST_CASE("a font copies another by assign and publishes its style by names")
{
    TFont f, g;
    Counter changes;
    f.OnChange = MakeMethod<&Counter::Hit>(&changes);
    g.SetName("Arial");
    g.SetSize(14);
    g.SetStyle(fsStrikeOut);
    g.SetColor(clBlue);
    g.SetCharset(RUSSIAN_CHARSET);
    g.SetOrientation(900);
    f.Assign(&g);
    const LOGFONTA lf = LogFontOf(f);
    CHECK(Join(lf.lfHeight, lf.lfStrikeOut, lf.lfCharSet) == Join(LogFontOf(g).lfHeight, 1, RUSSIAN_CHARSET));
    CHECK(Join(lf.lfEscapement, lf.lfOrientation) == "900 900");   // the text turned upward
    CHECK(Join(f.Name(), f.Color(), changes.Count) == Join("Arial", clBlue, 1));
    // For form data: the style by its names, the size stored only away from its default.
    TFont plain;
    const TPropInfo* style = TFont::StaticClassInfo().FindProp("Style");
    const TPropInfo* size = TFont::StaticClassInfo().FindProp("Size");
    REQUIRE(style);
    REQUIRE(size);
    CHECK(Join(style->Kind, style->EnumNames[1], size->IsStored(&plain)) == Join(tkSet, "fsItalic", false));
    style->SetOrd(&plain, fsBold | fsUnderline);
    CHECK(LogFontOf(plain).lfUnderline == 1);
}

TEST_CASE("a canvas fills, frames and draws lines and polygons into a 24-bit bitmap")
{
    TBitmap b;
    NewBmp24(b, 40, 30, clWhite);
    TCanvas* c = b.Canvas();

    SUBCASE("fill and frame rectangles")
    {
        c->Brush()->SetColor(clRed);
        c->FillRect(Rect(2, 3, 10, 8));
        CHECK(CountNot(b, Rect(2, 3, 10, 8), clRed) == 0);
        c->Brush()->SetColor(clBlue);
        c->FrameRect(Rect(20, 10, 30, 20));
        // Right and bottom edges are outside.
        CheckPixels(b, {{10, 7, clWhite}, {9, 8, clWhite}, {20, 10, clBlue}, {29, 19, clBlue}, {25, 15, clWhite},
                        {30, 15, clWhite}});
    }
    SUBCASE("pen lines, pen position and polygons")
    {
        c->Pen()->SetColor(clLime);
        c->MoveTo(0, 5);
        c->LineTo(10, 5);
        CHECK(c->PenPos() == Point(10, 5));
        CheckPixels(b, {{0, 5, clLime}, {9, 5, clLime}, {10, 5, clWhite}});

        c->Brush()->SetColor(clYellow);
        c->Pen()->SetColor(clBlack);
        c->Polygon({Point(20, 10), Point(38, 10), Point(38, 28), Point(20, 28)});
        c->Polyline({Point(0, 20), Point(5, 20), Point(5, 25)});
        CheckPixels(b, {{20, 10, clBlack}, {30, 20, clYellow}, {3, 20, clBlack}, {5, 23, clBlack}});

        c->Pen()->SetColor(clRed);
        c->Brush()->SetColor(clBlue);
        c->Rectangle(0, 0, 6, 4);
        CheckPixels(b, {{0, 0, clRed}, {5, 3, clRed}, {2, 2, clBlue}});
    }
    SUBCASE("focus rectangle and single pixels")
    {
        c->DrawFocusRect(Rect(1, 1, 11, 11));
        CHECK(CountNot(b, Rect(1, 1, 11, 11), clWhite) > 10);
        CHECK(PixelAt(b, 5, 5) == clWhite);
        c->SetPixels(7, 8, clNavy);
        c->SetPixels(8, 8, clBtnFace);   // system colours are resolved
        CHECK(Join(c->Pixels(7, 8), PixelAt(b, 7, 8), c->Pixels(8, 8)) == Join(clNavy, clNavy, ColorToRGB(clBtnFace)));
    }
}

TEST_CASE("a canvas writes text inside its extent, on its brush or the background, clipped to a rectangle")
{
    TBitmap b;
    NewBmp24(b, 40, 30, clWhite);
    TCanvas* c = b.Canvas();
    SUBCASE("text lands inside its extent and moves the pen")
    {
        c->Font()->SetColor(clBlack);
        c->Font()->SetName("Tahoma");
        c->Font()->SetHeight(-13);
        TSize sz = c->TextExtent("Wm");
        c->TextOut(3, 4, "Wm");
        CHECK(c->PenPos() == Point(3 + sz.cx, 4));
        CHECK(CountNot(b, Bounds(3, 4, sz.cx, sz.cy), clWhite) > 5);
        // The solid white brush painted the cell: nothing outside it changed.
        CHECK(CountNot(b, Rect(0, 20, 40, 30), clWhite) == 0);
    }
    SUBCASE("a clear brush leaves the background behind text")
    {
        c->Brush()->SetColor(clRed);
        c->FillRect(Rect(0, 0, 40, 30));
        c->Brush()->SetStyle(bsClear);
        c->Font()->SetColor(clBlack);
        c->TextOut(2, 2, "Wm");
        TRect cell = Bounds(2, 2, c->TextWidth("Wm"), c->TextHeight("Wm"));
        const int area = cell.Width() * cell.Height();
        CHECK(area - CountNot(b, cell, clBlack) > 5);   // text
        CHECK(area - CountNot(b, cell, clRed) > 5);     // and the background between
        // Setting a colour makes the brush solid again.
        c->Brush()->SetColor(clBlue);
        CHECK(c->Brush()->Style() == bsSolid);
    }
    SUBCASE("text rectangle clips")
    {
        c->Font()->SetColor(clBlack);
        c->Font()->SetHeight(-20);
        c->Brush()->SetColor(clYellow);
        c->TextRect(Rect(5, 5, 12, 15), 5, 5, "WWWW");
        CHECK(Join(CountNot(b, Rect(12, 0, 40, 30), clWhite), CountNot(b, Rect(0, 15, 40, 30), clWhite)) == "0 0");
        CHECK(PixelAt(b, 11, 14) != clWhite);   // opaque: the whole rectangle is painted
    }
}

TEST_CASE("canvas copies and draws graphics")
{
    TBitmap src;
    NewBmp24(src, 4, 4, clRed);
    src.Canvas()->Brush()->SetColor(clBlue);
    src.Canvas()->FillRect(Rect(0, 0, 2, 2));   // blue top-left quarter

    TBitmap dst;
    NewBmp24(dst, 20, 20, clWhite);

    SUBCASE("draw at a place")
    {
        dst.Canvas()->Draw(3, 5, &src);
        TBitmap empty;
        dst.Canvas()->Draw(0, 0, &empty);   // nothing
        dst.Canvas()->Draw(0, 0, nullptr);
        CheckPixels(dst, {{3, 5, clBlue}, {6, 8, clRed}, {7, 8, clWhite}, {2, 5, clWhite}, {0, 0, clWhite}});
    }
    SUBCASE("stretch draw doubles every pixel")
    {
        dst.Canvas()->StretchDraw(Rect(0, 0, 8, 8), &src);
        CHECK(Join(CountNot(dst, Rect(0, 0, 4, 4), clBlue), CountNot(dst, Rect(4, 0, 8, 8), clRed),
                   CountNot(dst, Rect(0, 4, 4, 8), clRed), PixelAt(dst, 8, 8)) == Join(0, 0, 0, clWhite));
    }
    SUBCASE("copy rectangle from another canvas")
    {
        dst.Canvas()->CopyRect(Rect(10, 10, 12, 12), src.Canvas(), Rect(1, 1, 3, 3));
        CheckPixels(dst, {{10, 10, clBlue}, {11, 10, clRed}, {11, 11, clRed}, {12, 12, clWhite}});
        dst.Canvas()->SetCopyMode(cmNotSrcCopy);
        dst.Canvas()->CopyRect(Rect(0, 0, 1, 1), src.Canvas(), Rect(0, 0, 1, 1));
        CHECK(PixelAt(dst, 0, 0) == 0x00FFFF);   // inverted blue
    }
    SUBCASE("transparent drawing leaves out the key colour")
    {
        TBitmap glyph;
        NewBmp24(glyph, 3, 3, clFuchsia);
        glyph.Canvas()->SetPixels(1, 1, clGreen);
        CHECK(glyph.TransparentColor() == clFuchsia);   // the bottom-left pixel
        glyph.SetTransparent(true);
        dst.Canvas()->Draw(0, 0, &glyph);
        glyph.SetTransparentColor(clGreen);
        CHECK(glyph.TransparentMode() == tmFixed);
        dst.Canvas()->Draw(10, 10, &glyph);
        CheckPixels(dst, {{1, 1, clGreen}, {0, 0, clWhite}, {2, 2, clWhite}, {11, 11, clWhite}, {10, 10, clFuchsia}});
    }
    SUBCASE("the bitmap hears of its canvas's changes")
    {
        Counter bmp;
        dst.OnChange = MakeMethod<&Counter::Hit>(&bmp);
        dst.Canvas()->FillRect(Rect(0, 0, 2, 2));
        CHECK(bmp.Count == 1);
    }
}

TEST_CASE("canvas over a borrowed DC puts the DC's own objects back")
{
    HDC dc = CreateCompatibleDC(nullptr);
    HBITMAP bmp = CreateCompatibleBitmap(dc, 16, 16);
    HGDIOBJ oldBmp = SelectObject(dc, bmp);
    HGDIOBJ ownFont = GetCurrentObject(dc, OBJ_FONT);
    HGDIOBJ ownPen = GetCurrentObject(dc, OBJ_PEN);
    HGDIOBJ ownBrush = GetCurrentObject(dc, OBJ_BRUSH);
    {
        TCanvas c;
        CHECK_THROWS_WITH_AS(c.Handle(), "Canvas does not allow drawing", EInvalidOperation);
        c.SetHandle(dc);
        // The DC's font, pen and brush are the canvas's.
        auto selected = [&] {
            return GetCurrentObject(dc, OBJ_FONT) == c.Font()->Handle() &&
                   GetCurrentObject(dc, OBJ_PEN) == c.Pen()->Handle() &&
                   GetCurrentObject(dc, OBJ_BRUSH) == c.Brush()->Handle();
        };
        CHECK(c.Handle() == dc);   // asked for, the DC has the canvas's objects
        CHECK(selected());
        // A change selects the new object at once.
        c.Font()->SetSize(20);
        CHECK(selected());
        c.Brush()->SetColor(clRed);
        CHECK(selected());
        c.Pen()->SetWidth(3);
        CHECK(selected());
        c.MoveTo(4, 6);
        c.SetHandle(nullptr);
        CHECK(GetCurrentObject(dc, OBJ_FONT) == ownFont);
        CHECK(GetCurrentObject(dc, OBJ_PEN) == ownPen);
        CHECK(GetCurrentObject(dc, OBJ_BRUSH) == ownBrush);
        CHECK(c.PenPos() == Point(4, 6));   // kept while no DC is held
        c.SetHandle(dc);
        c.Refresh();
        CHECK(GetCurrentObject(dc, OBJ_FONT) == ownFont);
        c.TextExtent("a");
        CHECK(GetCurrentObject(dc, OBJ_FONT) == c.Font()->Handle());
    }
    // The canvas went with the DC still borrowed: the DC has its own objects again.
    CHECK(GetCurrentObject(dc, OBJ_FONT) == ownFont);
    SelectObject(dc, oldBmp);
    DeleteObject(bmp);
    DeleteDC(dc);
}

TEST_CASE("bitmap sizes, scan lines and pixel formats")
{
    TBitmap b;
    NewBmp24(b, 5, 4, clRed);
    CHECK(Join(b.HandleType(), b.BytesPerScanLine(), b.ScanLineStep()) == Join(bmDIB, 16, -16));
    CHECK(static_cast<uint8_t*>(b.ScanLine(1)) - static_cast<uint8_t*>(b.ScanLine(0)) == b.ScanLineStep());
    CHECK_THROWS_WITH_AS(b.ScanLine(4), "Scan line index out of range", EInvalidGraphicOperation);
    CHECK_THROWS_AS(b.ScanLine(-1), EInvalidGraphicOperation);

    SUBCASE("a new size keeps the top-left part and paints the rest white")
    {
        b.Canvas()->SetPixels(0, 0, clBlue);
        b.SetSize(8, 6);
        // The canvas keeps drawing into the new picture.
        b.Canvas()->SetPixels(7, 5, clGreen);
        CheckPixels(b, {{0, 0, clBlue}, {4, 3, clRed}, {5, 0, clWhite}, {0, 4, clWhite}, {7, 5, clGreen}});
        b.SetWidth(2);
        CHECK(Join(b.Width(), PixelAt(b, 0, 0)) == Join(2, clBlue));
        b.SetHeight(-3);   // nonsense sizes make an empty bitmap
        CHECK(b.Empty());
        CHECK(b.Handle() == nullptr);
        CHECK_THROWS_AS(b.SetSize(100000, 100000), EOutOfResources);
    }
    SUBCASE("24 to 32 bits and back keeps every pixel")
    {
        b.Canvas()->SetPixels(1, 2, 0x123456);
        b.SetPixelFormat(pf32bit);
        CHECK(b.BytesPerScanLine() == 20);
        auto* p = static_cast<uint8_t*>(b.ScanLine(2)) + 4;
        CHECK(p[0] == 0x12);
        CHECK(p[1] == 0x34);
        CHECK(p[2] == 0x56);   // blue, green, red
        b.SetPixelFormat(pf24bit);
        CheckPixels(b, {{1, 2, 0x123456}, {0, 0, clRed}});
    }
    SUBCASE("fewer bits and back")
    {
        b.Canvas()->SetPixels(0, 0, clBlue);
        b.Canvas()->SetPixels(1, 0, 0x7F7F7F);
        b.SetPixelFormat(pf8bit);
        CHECK(b.Palette().size() == 256);
        b.SetPixelFormat(pf24bit);
        CheckPixels(b, {{0, 0, clBlue}, {2, 2, clRed}});
        b.SetPixelFormat(pf16bit);
        b.SetPixelFormat(pf24bit);
        CHECK(PixelAt(b, 0, 0) == clBlue);
        CHECK(std::abs(GetRValue(PixelAt(b, 1, 0)) - 0x7F) <= 8);
    }
    SUBCASE("device bitmaps name their layout when asked for scan lines")
    {
        TBitmap d;
        d.SetSize(3, 3);
        CHECK(d.PixelFormat() == pfDevice);
        d.ScanLine(0);
        CHECK(d.HandleType() == bmDIB);
        CHECK(d.PixelFormat() != pfDevice);
    }
}

TEST_CASE("bitmap assign is a deep copy")
{
    TBitmap a, b;
    NewBmp24(b, 6, 6, clGreen);
    b.SetTransparent(true);
    b.SetTransparentColor(clRed);
    a.Assign(&b);
    CHECK(Join(a.Width(), a.PixelFormat(), a.Transparent(), a.TransparentColor()) == Join(6, pf24bit, true, clRed));
    CHECK(a.Handle() != b.Handle());
    b.Canvas()->SetPixels(2, 2, clBlue);
    static_cast<uint8_t*>(b.ScanLine(0))[0] = 0x55;
    b.SetSize(1, 1);
    CheckPixels(a, {{2, 2, clGreen}, {0, 0, clGreen}});
    CHECK(a.Width() == 6);
    a.Assign(nullptr);
    CHECK(a.Empty());
    TFont f;
    CHECK_THROWS_AS(a.Assign(&f), EConvertError);
}

TEST_CASE("bitmap takes over a system bitmap and gives its own away")
{
    HDC screen = GetDC(nullptr);
    HBITMAP ddb = CreateCompatibleBitmap(screen, 7, 5);
    HDC dc = CreateCompatibleDC(screen);
    HGDIOBJ old = SelectObject(dc, ddb);
    RECT r{0, 0, 7, 5};
    HBRUSH red = CreateSolidBrush(RGB(255, 0, 0));
    FillRect(dc, &r, red);
    DeleteObject(red);
    SelectObject(dc, old);
    DeleteDC(dc);
    ReleaseDC(nullptr, screen);

    TBitmap b;
    b.SetHandle(ddb);
    CHECK(Join(b.Width(), b.Height(), b.PixelFormat()) == Join(7, 5, pfDevice));
    b.SetPixelFormat(pf24bit);
    CHECK(PixelAt(b, 6, 4) == clRed);
    HBITMAP own = b.ReleaseHandle();
    CHECK(b.Empty());
    BITMAP bm{};
    CHECK(GetObjectA(own, sizeof(bm), &bm) == sizeof(bm));
    CHECK(bm.bmWidth == 7);
    DeleteObject(own);
}

TEST_CASE("bitmap files round trip in every pixel format")
{
    for (TPixelFormat f : {pf24bit, pf32bit, pf8bit, pf4bit, pf1bit, pf15bit, pf16bit}) {
        CAPTURE(int(f));
        TBitmap b;
        NewBmp24(b, 13, 7, clWhite);
        for (TPoint p : {TPoint(0, 0), TPoint(12, 6), TPoint(5, 3)})
            b.Canvas()->SetPixels(p.X, p.Y, clBlack);
        b.SetPixelFormat(f);
        std::vector<uint8_t> bytes = Saved(b);
        REQUIRE(bytes.size() > 54);
        CHECK(bytes[0] == 'B');
        CHECK(bytes[1] == 'M');

        TBitmap c;
        c.LoadFromMemory(bytes.data(), bytes.size());
        CHECK(Join(c.PixelFormat(), c.Width(), c.Height()) == Join(f, 13, 7));
        CHECK(Saved(c) == bytes);
        c.SetPixelFormat(pf24bit);
        CheckPixels(c, {{0, 0, clBlack}, {12, 6, clBlack}, {5, 3, clBlack}, {1, 0, clWhite}, {12, 5, clWhite}});
    }
}

TEST_CASE("bitmaps go through files, the middle of streams and form data")
{
    SUBCASE("through files and streams")
    {
        TBitmap b;
        NewBmp24(b, 3, 2, clTeal);
        AnsiString name = ZANDREL_BUILD_DIR "/graphics-roundtrip.bmp";
        b.SaveToFile(name);
        TBitmap c;
        c.LoadFromFile(name);
        CHECK(PixelAt(c, 2, 1) == clTeal);
        CHECK(c.Equals(&b));
        TMemoryStream ms;
        ms.WriteBuffer("xx", 2);   // a picture in the middle of a stream
        b.SaveToStream(&ms);
        ms.WriteBuffer("tail", 4);
        ms.SetPosition(2);
        TBitmap d;
        d.LoadFromStream(&ms);
        CHECK(PixelAt(d, 0, 0) == clTeal);
        CHECK(ms.Position() == ms.Size() - 4);   // stopped at the end of the picture
        // An empty stream gives an empty bitmap, and an empty bitmap saves nothing.
        TMemoryStream empty;
        b.LoadFromStream(&empty);
        CHECK(b.Empty());
        CHECK(Saved(b).empty());
    }
    SUBCASE("form data: a 32-bit size, then the file")
    {
        DataBitmap b;
        NewBmp24(b, 2, 2, clNavy);
        TMemoryStream ms;
        b.WriteData(&ms);
        CHECK(ms.Size() == 4 + 14 + 40 + 2 * 8);
        uint32_t size;
        std::memcpy(&size, ms.Memory(), 4);
        CHECK(size == ms.Size() - 4);
        ms.SetPosition(0);
        DataBitmap c;
        c.ReadData(&ms);
        CHECK(PixelAt(c, 1, 1) == clNavy);
        // A size that runs past the data is damage.
        size += 1;
        ms.SetPosition(0);
        ms.WriteBuffer(&size, 4);
        ms.SetPosition(0);
        CHECK_THROWS_AS(c.ReadData(&ms), EInvalidGraphic);
    }
}

namespace {
// A bitmap file loaded, in the pixel format expected of it, then made 24-bit.
std::unique_ptr<TBitmap> Load24(const std::vector<uint8_t>& File, TPixelFormat Expect)
{
    auto b = std::make_unique<TBitmap>();
    b->LoadFromMemory(File.data(), File.size());
    CHECK(b->PixelFormat() == Expect);
    b->SetPixelFormat(pf24bit);
    return b;
}

// A checker of four colours: (x + y) % 4 picks the colour.
const std::vector<TColor> Four = {clRed, clLime, clBlue, 0x336699};
void CheckChecker(TBitmap& B)
{
    for (int y = 0; y < B.Height(); ++y)
        for (int x = 0; x < B.Width(); ++x)
            if (PixelAt(B, x, y) != Four[(x + y) % 4]) {
                FAIL_CHECK("pixel ", x, ",", y);
                return;
            }
}
} // namespace

TEST_CASE("bitmap files of 1, 4 and 8 bits load with their colours: bottom-up, top-down, short colour tables")
{
    auto b = Load24(MakeBmp(11, 3, 1, {clYellow, clPurple}, [](int x, int y) { return (x + y) & 1; }), pf1bit);
    CheckPixels(*b, {{0, 0, clYellow}, {1, 0, clPurple}, {10, 2, clYellow}, {9, 2, clPurple}});
    auto idx = [](int x, int y) { return uint32_t((x + y) % 4); };
    CheckChecker(*Load24(MakeBmp(9, 5, 4, Four, idx), pf4bit));
    CheckChecker(*Load24(MakeBmp(9, 5, 8, Four, idx), pf8bit));
    BmpOptions td;
    td.TopDown = true;
    CheckChecker(*Load24(MakeBmp(9, 5, 8, Four, idx, td), pf8bit));
    BmpOptions os2;
    os2.HeaderSize = 12;
    CheckChecker(*Load24(MakeBmp(9, 5, 8, Four, idx, os2), pf8bit));
    BmpOptions v5;
    v5.HeaderSize = 124;
    CheckChecker(*Load24(MakeBmp(9, 5, 4, Four, idx, v5), pf4bit));
}

TEST_CASE("run-length bitmap files of 8 and 4 bits load with their colours")
{
    // 6 x 3: the bottom row a run of three of colour 1, then 2, 3, 0 as they stand;
    // a delta over the middle row; three of colour 2 in the top row.
    BmpOptions o;
    o.Compression = BI_RLE8;
    o.Compressed = {3, 1, 0, 3, 2, 3, 0, 0, 0, 0, 0, 2, 0, 1, 3, 2, 0, 1};
    auto b = Load24(MakeBmp(6, 3, 8, Four, {}, o), pf8bit);
    CheckPixels(*b, {{0, 2, clLime}, {2, 2, clLime}, {3, 2, clBlue}, {4, 2, 0x336699}, {5, 2, clRed},
                     {0, 1, clRed} /* skipped by the delta: colour 0 */, {0, 0, clBlue}, {2, 0, clBlue},
                     {3, 0, clRed}});
    o.Compression = BI_RLE4;
    o.Compressed = {5, 0x12, 0, 0, 0, 3, 0x30, 0x10, 0, 1};
    auto c = Load24(MakeBmp(6, 2, 4, Four, {}, o), pf4bit);
    CheckPixels(*c, {{0, 1, clLime}, {1, 1, clBlue}, {4, 1, clLime}, {5, 1, clRed}, {0, 0, 0x336699},
                     {1, 0, clRed}, {2, 0, clLime}});
}

TEST_CASE("bitmap files of 16, 24 and 32 bits load with their colours, plain or by bit fields")
{
    auto v555 = [](int x, int) { return x == 0 ? 0x7C00u : x == 1 ? 0x03E0u : x == 2 ? 0x001Fu : 0x7FFFu; };
    auto b = Load24(MakeBmp(4, 2, 16, {}, v555), pf15bit);
    CheckPixels(*b, {{0, 1, clRed}, {1, 1, clLime}, {2, 0, clBlue}, {3, 0, clWhite}});
    BmpOptions o;
    o.Compression = BI_BITFIELDS;
    o.Masks = {0xF800, 0x07E0, 0x001F};
    auto v565 = [](int x, int) { return x == 0 ? 0xF800u : x == 1 ? 0x07E0u : x == 2 ? 0x001Fu : 0x0410u; };
    auto c = Load24(MakeBmp(4, 2, 16, {}, v565, o), pf16bit);
    CheckPixels(*c, {{0, 0, clRed}, {1, 0, clLime}, {2, 0, clBlue}});
    CHECK(std::abs(GetGValue(PixelAt(*c, 3, 0)) - 0x82) <= 1);
    // Other masks are read channel by channel.
    o.Masks = {0x000F, 0x00F0, 0x0F00};
    auto d = Load24(MakeBmp(2, 1, 16, {}, [](int x, int) { return x ? 0x0F00u : 0x000Fu; }, o), pf24bit);
    CheckPixels(*d, {{0, 0, clRed}, {1, 0, clBlue}});
    auto col = [&](int x, int y) { return uint32_t(Four[(x + y) % 4]); };
    CheckChecker(*Load24(MakeBmp(5, 3, 24, {}, col), pf24bit));
    BmpOptions td;
    td.TopDown = true;
    CheckChecker(*Load24(MakeBmp(5, 3, 24, {}, col, td), pf24bit));
    auto bgrx = [&](int x, int y) {
        TColor c = Four[(x + y) % 4];
        return uint32_t(GetBValue(c) | (GetGValue(c) << 8) | (GetRValue(c) << 16)) | 0xAA000000u;
    };
    CheckChecker(*Load24(MakeBmp(5, 3, 32, {}, bgrx), pf32bit));
    BmpOptions swapped;
    swapped.Compression = BI_BITFIELDS;
    swapped.HeaderSize = 108;
    swapped.Masks = {0x000000FF, 0x0000FF00, 0x00FF0000};
    CheckChecker(*Load24(MakeBmp(5, 3, 32, {}, col, swapped), pf24bit));
}

namespace {
// Bitmap files of several kinds, damaged in the cases below.
std::vector<std::vector<uint8_t>> BmpSamples()
{
    const std::vector<TColor> pal = {clRed, clLime, clBlue, clWhite};
    BmpOptions rle;
    rle.Compression = BI_RLE8;
    rle.Compressed = {3, 1, 0, 3, 2, 3, 0, 0, 0, 0, 0, 2, 0, 1, 3, 2, 0, 1};
    BmpOptions fields;
    fields.Compression = BI_BITFIELDS;
    fields.Masks = {0xF800, 0x07E0, 0x001F};
    return {
        MakeBmp(7, 5, 8, pal, [](int x, int y) { return uint32_t((x * y) % 4); }),
        MakeBmp(7, 5, 24, {}, [](int x, int y) { return uint32_t(x * 0x102030 + y); }),
        MakeBmp(6, 3, 8, pal, {}, rle),
        MakeBmp(5, 4, 16, {}, [](int x, int) { return uint32_t(x * 0x1234); }, fields),
        MakeBmp(9, 2, 1, {clBlack, clWhite}, [](int x, int) { return uint32_t(x & 1); }),
    };
}

// A 3 x 3 aqua bitmap, and whether it is still that.
struct TKeptBitmap {
    TBitmap B;
    TKeptBitmap() { NewBmp24(B, 3, 3, clAqua); }
    bool Unchanged() { return B.Width() == 3 && B.Height() == 3 && B.PixelFormat() == pf24bit && PixelAt(B, 2, 2) == clAqua; }
};
} // namespace

TEST_CASE("every truncation of a bitmap file raises EInvalidGraphic and leaves the bitmap as it was")
{
    TKeptBitmap k;
    const auto samples = BmpSamples();
    for (size_t s = 0; s < samples.size(); ++s) {
        CAPTURE(s);
        const std::vector<uint8_t>& file = samples[s];
        {
            TBitmap ok;
            ok.LoadFromMemory(file.data(), file.size());
            REQUIRE_FALSE(ok.Empty());
        }
        for (size_t n = 1; n < file.size(); ++n) {
            CAPTURE(n);
            CHECK_THROWS_WITH_AS(k.B.LoadFromMemory(file.data(), n), "Bitmap image is not valid", EInvalidGraphic);
            CHECK(k.Unchanged());
        }
        // Flipped bytes are left to the fuzz driver, which loads files of these kinds and reads every pixel.
    }
}

TEST_CASE("bitmap files with sizes and offsets that cannot be raise EInvalidGraphic, and allocate within the limit")
{
    TKeptBitmap k;
    const auto samples = BmpSamples();
    auto patched = [&](size_t at, uint32_t value) {
        std::vector<uint8_t> f = samples[1];
        std::memcpy(&f[at], &value, 4);
        return f;
    };
    for (auto f : {patched(18, 60000), patched(22, 60000), patched(18, 0), patched(22, 0), patched(18, 0x80000000u),
                   patched(22, 0x80000000u), patched(10, 20), patched(10, 0x7FFFFFFF), patched(14, 41),
                   patched(14, 0xFFFFFFFFu), patched(28, 7), patched(30, 5)}) {
        CHECK_THROWS_AS(k.B.LoadFromMemory(f.data(), f.size()), EInvalidGraphic);
        CHECK(k.Unchanged());
    }
    // A colour table larger than the depth allows.
    std::vector<uint8_t> f = samples[0];
    uint32_t n = 300;
    std::memcpy(&f[46], &n, 4);
    CHECK_THROWS_AS(k.B.LoadFromMemory(f.data(), f.size()), EInvalidGraphic);
    CHECK_THROWS_AS(k.B.LoadFromMemory("XM", 2), EInvalidGraphic);

    // A huge run-length picture with a few bytes.
    BmpOptions big;
    big.Compression = BI_RLE8;
    big.Compressed = {0, 1};
    std::vector<uint8_t> huge = MakeBmp(1, 1, 8, {clRed, clLime, clBlue, clWhite}, {}, big);
    uint32_t side = 20000;
    std::memcpy(&huge[18], &side, 4);
    std::memcpy(&huge[22], &side, 4);
    CHECK_THROWS_AS(k.B.LoadFromMemory(huge.data(), huge.size()), EInvalidGraphic);
    CHECK(k.Unchanged());
}

TEST_CASE("bitmaps from resources")
{
    TBitmap b;
    b.LoadFromResourceName(GetModuleHandleA(nullptr), "TINYBMP");
    CHECK(Join(b.Width(), b.Height()) == "4 2");
    b.SetPixelFormat(pf24bit);
    CheckPixels(b, {{0, 0, clRed}, {3, 1, clBlue}});
    TBitmap c;
    c.LoadFromResourceID(GetModuleHandleA(nullptr), 300);
    CHECK(c.Width() == 4);
    CHECK_THROWS_WITH_AS(b.LoadFromResourceName(GetModuleHandleA(nullptr), "NOPE"), "Resource NOPE not found", EResNotFound);
    CHECK(b.Width() == 4);
}

namespace {
// A 16 x 16 red icon, its top-left 4 x 4 corner transparent.
HICON RedIcon()
{
    std::vector<uint32_t> color(16 * 16, 0xFFFF0000u);
    std::vector<uint8_t> mask(2 * 16, 0);
    for (int y = 0; y < 4; ++y) {
        for (int x = 0; x < 4; ++x)
            color[size_t(y) * 16 + x] = 0;
        mask[size_t(y) * 2] = 0xF0;
    }
    ICONINFO ii{TRUE, 0, 0, CreateBitmap(16, 16, 1, 1, mask.data()), CreateBitmap(16, 16, 1, 32, color.data())};
    HICON h = CreateIconIndirect(&ii);
    DeleteObject(ii.hbmMask);
    DeleteObject(ii.hbmColor);
    REQUIRE(h);
    return h;
}

// The icon drawn at (2, 2) on lime: red inside, lime in its transparent corner and around it.
bool DrawnRed(TIcon& I)
{
    TBitmap b;
    NewBmp24(b, 20, 20, clLime);
    b.Canvas()->Draw(2, 2, &I);
    return PixelAt(b, 10, 10) == clRed && PixelAt(b, 17, 17) == clRed && PixelAt(b, 3, 3) == clLime &&
           PixelAt(b, 1, 1) == clLime && PixelAt(b, 18, 18) == clLime;
}

// Loads the first N bytes of Bytes into Icon.
void LoadIcon(TIcon& Icon, const std::vector<uint8_t>& Bytes, size_t N)
{
    TMemoryStream ms;
    ms.WriteBuffer(Bytes.data(), int32_t(N));
    ms.SetPosition(0);
    Icon.LoadFromStream(&ms);
}
} // namespace

TEST_CASE("an icon takes a handle, draws it with its transparent part, copies it and gives it away")
{
    TIcon icon;
    CHECK(icon.Empty());
    icon.SetHandle(RedIcon());
    CHECK(Join(icon.Width(), icon.Height()) == "16 16");
    CHECK_THROWS_WITH_AS(icon.SetWidth(3), "Cannot change the size of an icon", EInvalidGraphicOperation);
    CHECK(DrawnRed(icon));

    TIcon copy;
    copy.Assign(&icon);
    CHECK(copy.Handle() != icon.Handle());
    CHECK(DrawnRed(copy));
    HICON own = copy.ReleaseHandle();
    CHECK(copy.Empty());
    DestroyIcon(own);
}

TEST_CASE("an icon saved as a file loads back the same; every truncation is refused")
{
    TIcon icon;
    icon.SetHandle(RedIcon());
    std::vector<uint8_t> file = Saved(icon);
    REQUIRE(file.size() > 22);
    CHECK(Join(file[0], file[1], file[2], file[4]) == "0 0 1 1");
    TIcon loaded;
    LoadIcon(loaded, file, file.size());
    CHECK(loaded.Width() == 16);
    CHECK(DrawnRed(loaded));
    CHECK(Saved(loaded) == file);   // the file is kept as loaded

    for (size_t n = 1; n < file.size(); ++n)
        CHECK_THROWS_WITH_AS(LoadIcon(loaded, file, n), "Icon image is not valid", EInvalidGraphic);
    CHECK(DrawnRed(loaded));
}
