#include <doctest.h>

#include "pixels.h"

#include "skin/zgradient.h"

#include <climits>
#include <random>

namespace {

TzGradArray Parsed(const AnsiString& Text)
{
    TzGradArray a;
    ParseGradientData(Text, a);
    return a;
}

// Every pixel outside R still has colour C.
int ChangedOutside(TBitmap& B, const TRect& R, TColor C)
{
    int n = 0;
    for (int y = 0; y < B.Height(); ++y)
        for (int x = 0; x < B.Width(); ++x)
            n += !R.Contains(TPoint(x, y)) && Px(B, x, y) != C;
    return n;
}

} // namespace

TEST_CASE("gradient text: steps of five fields")
{
    TzGradArray a = Parsed("16777215;12632256;100;0;0");
    REQUIRE(a.size() == 1);
    CHECK(a[0].Color1 == 0xFFFFFF);
    CHECK(a[0].Color2 == 0xC0C0C0);
    CHECK(a[0].Percent == 100);
    CHECK(a[0].Mode == 0);

    a = Parsed("1;2;3;4;5;6;7;8;9");   // nine fields: one step, the last four ignored
    REQUIRE(a.size() == 1);
    CHECK(a[0].Color1 == 1);
    CHECK(a[0].Color2 == 2);
    CHECK(a[0].Percent == 3);
    CHECK(a[0].Mode == 4);
    CHECK(Parsed("1;2;3;0;skipped;leftover;x").size() == 1);   // skipped fields are not read

    CHECK(Parsed("0;255;150;0;0")[0].Percent == 100);
    CHECK(Parsed("0;255;-5;0;0")[0].Percent == 0);
    CHECK(Parsed(" 255 ;65280; 50;1;0;").size() == 1);
    CHECK(Parsed(" 255 ;65280; 50;1;0;")[0].Color2 == 65280);
    CHECK(Parsed("0;255;50;0;0;255;65280;50;0;0").size() == 2);
    CHECK(Parsed("$FF;0x10;+7;-1;0")[0].Color1 == 255);   // what is not plain decimal reads too
    CHECK(Parsed("$FF;0x10;+7;-1;0")[0].Color2 == 16);
    CHECK(Parsed("$FF;0x10;+7;-1;0")[0].Percent == 7);
    CHECK(Parsed("$FF;0x10;+7;-1;0")[0].Mode == -1);
    CHECK(Parsed("0000000000012;2147483647;1;0;0")[0].Color1 == 12);
    CHECK(Parsed("0000000000012;2147483647;1;0;0")[0].Color2 == INT_MAX);
    CHECK(Parsed("").empty());
    CHECK(Parsed("1;2").empty());
    CHECK(Parsed("1;2;3;4").empty());

    CHECK(ColorToBytes(0x123456).B == 0x12);
    CHECK(ColorToBytes(0x123456).G == 0x34);
    CHECK(ColorToBytes(0x123456).R == 0x56);
}

TEST_CASE("gradient text that is not numbers raises a conversion error and keeps nothing")
{
    TzGradArray a = Parsed("0;255;50;0;0;255;65280;50;0;0");
    CHECK_THROWS_AS(ParseGradientData("0;255;50;0;0;255;green;50;0;0", a), EConvertError);
    CHECK(a.empty());
    CHECK_THROWS_AS(ParseGradientData(";;;;", a), EConvertError);
    CHECK_THROWS_AS(ParseGradientData("0;255;1e3;0;0", a), EConvertError);
    CHECK_THROWS_AS(ParseGradientData("0;99999999999;50;0;0", a), EConvertError);
    CHECK(a.empty());

    // Random text: parsing either succeeds or raises EConvertError, and whatever it gives
    // paints inside the rectangle only.
    std::mt19937 rng(4242);
    const char alphabet[] = "0123456789;;;;-+$ xA";
    auto b = Filled24(16, 12, Rgb(1, 2, 3));
    int parsed = 0;
    for (int i = 0; i < 3000; ++i) {
        AnsiString text;
        const int len = int(rng() % 40);
        for (int k = 0; k < len; ++k)
            text += alphabet[rng() % (sizeof(alphabet) - 1)];
        try {
            ParseGradientData(text, a);
        } catch (const EConvertError&) {
            CHECK(a.empty());
            continue;
        }
        ++parsed;
        for (auto& s : a)
            s.Mode = int(rng() % 4);
        const TRect r(int(rng() % 20) - 4, int(rng() % 16) - 4, int(rng() % 20), int(rng() % 16));
        FillGradient(b.get(), r, a, int(rng() % 41) - 20);
        TRect clipped(std::max(r.Left, 0), std::max(r.Top, 0), std::min(r.Right, 16), std::min(r.Bottom, 12));
        if (ChangedOutside(*b, clipped, Rgb(1, 2, 3))) {
            CAPTURE(text);
            FAIL("painted outside the rectangle");
        }
        b = Filled24(16, 12, Rgb(1, 2, 3));
    }
    CHECK(parsed > 100);
}

TEST_CASE("vertical gradient: steps share their border row")
{
    const TzGradArray a = Parsed("0;255;50;0;0;255;65280;50;0;0");
    auto b = Filled24(4, 100, Rgb(9, 9, 9));
    FillGradient(b.get(), TRect(0, 0, 4, 100), a, 0);
    CHECK(Px(*b, 0, 0) == Rgb(0, 0, 0));
    CHECK(Px(*b, 3, 25) == Rgb(128, 0, 0));    // 127.5: ties to even
    CHECK(Px(*b, 1, 49) == Rgb(250, 0, 0));
    CHECK(Px(*b, 2, 50) == Rgb(255, 0, 0));    // the later step paints the shared row
    CHECK(Px(*b, 0, 75) == Rgb(125, 130, 0));  // 25 / 49 of the way from red to green
    CHECK(Px(*b, 3, 99) == Rgb(0, 255, 0));

    // Inside a larger bitmap only the rectangle changes; the last step ends at its bottom.
    auto c = Filled24(10, 30, Rgb(9, 9, 9));
    FillGradient(c.get(), TRect(2, 5, 8, 25), Parsed("255;16711680;100;0;0"), 0);
    CHECK(Px(*c, 2, 5) == Rgb(255, 0, 0));
    CHECK(Px(*c, 7, 24) == Rgb(0, 0, 255));
    CHECK(ChangedOutside(*c, TRect(2, 5, 8, 25), Rgb(9, 9, 9)) == 0);

    // A negative offset starts the gradient above the rectangle: row 0 is 50 / 149 of the way.
    auto d = Filled24(3, 100, Rgb(9, 9, 9));
    FillGradient(d.get(), TRect(0, 0, 3, 100), Parsed("0;255;100;0;0"), -50);
    CHECK(Px(*d, 0, 0) == Rgb(86, 0, 0));
    CHECK(Px(*d, 0, 99) == Rgb(255, 0, 0));
    // A step of 0 % paints nothing and the next step starts where it was.
    auto e = Filled24(3, 10, Rgb(9, 9, 9));
    FillGradient(e.get(), TRect(0, 0, 3, 10), Parsed("255;255;0;0;0;0;65280;100;0;0"), 0);
    CHECK(Px(*e, 0, 0) == Rgb(0, 0, 0));
    CHECK(Px(*e, 0, 9) == Rgb(0, 255, 0));
}

TEST_CASE("horizontal gradient")
{
    const TzGradArray a = Parsed("255;65280;50;1;0;65280;16711680;50;1;0");
    auto b = Filled24(101, 3, Rgb(9, 9, 9));
    FillGradient(b.get(), TRect(0, 0, 101, 3), a, 0);
    for (int y = 0; y < 3; ++y) {
        CHECK(Px(*b, 0, y) == Rgb(255, 0, 0));
        CHECK(Px(*b, 25, y) == Rgb(128, 128, 0));   // 127.5 both ways: ties to even
        CHECK(Px(*b, 50, y) == Rgb(0, 255, 0));     // 50.5 columns round to 50
        CHECK(Px(*b, 100, y) == Rgb(0, 0, 255));
    }
    auto c = Filled24(20, 6, Rgb(9, 9, 9));
    FillGradient(c.get(), TRect(-5, 2, 30, 4), Parsed("0;16777215;100;1;0"), 7);
    CHECK(Px(*c, 0, 2) == Rgb(0, 0, 0));
    CHECK(Px(*c, 19, 3) == Rgb(255, 255, 255));
    CHECK(ChangedOutside(*c, TRect(0, 2, 20, 4), Rgb(9, 9, 9)) == 0);
}

TEST_CASE("four-triangle gradient")
{
    // Two steps: the top-left vertex takes step 0's colour, the centre and the other corners
    // step 1's.
    auto b = Filled24(20, 10, Rgb(9, 9, 9));
    FillGradient(b.get(), TRect(0, 0, 20, 10), Parsed("255;0;50;2;0;65280;0;50;2;0"), 0);
    CHECK(Px(*b, 0, 0) == Rgb(255, 0, 0));
    CHECK(Px(*b, 10, 5) == Rgb(0, 255, 0));
    CHECK(Px(*b, 19, 9) == Rgb(0, 255, 0));
    CHECK(Px(*b, 0, 9) != Rgb(9, 9, 9));
    CHECK(Px(*b, 10, 0) == Rgb(128, 128, 0));   // halfway along the top edge

    // Five steps, one colour a vertex.
    const TColor tl = Rgb(200, 0, 0), ce = Rgb(0, 0, 0), tr = Rgb(0, 200, 0), br = Rgb(0, 0, 200), bl = Rgb(100, 100, 100);
    AnsiString text;
    for (TColor c : {tl, ce, tr, br, bl})
        text += IntToStr(c) + ";0;20;2;0;";
    auto c = Filled24(24, 12, Rgb(9, 9, 9));
    FillGradient(c.get(), TRect(0, 0, 24, 12), Parsed(text), 0);
    CHECK(Px(*c, 0, 0) == tl);
    CHECK(Px(*c, 12, 6) == ce);
    CHECK(Px(*c, 12, 0) == Rgb(100, 100, 0));   // between top-left and top-right
    CHECK(Px(*c, 0, 6) == Rgb(150, 50, 50));    // between top-left and bottom-left
    CHECK(Px(*c, 6, 3) == Rgb(100, 0, 0));      // halfway from top-left to the centre
    CHECK(ChangedOutside(*c, TRect(0, 0, 24, 12), Rgb(9, 9, 9)) == 0);

    // Inside a part of a bitmap, and tiny rectangles, stay inside.
    auto d = Filled24(10, 10, Rgb(9, 9, 9));
    FillGradient(d.get(), TRect(3, 4, 7, 6), Parsed(text), 0);
    CHECK(Px(*d, 3, 4) == tl);
    CHECK(ChangedOutside(*d, TRect(3, 4, 7, 6), Rgb(9, 9, 9)) == 0);
    FillGradient(d.get(), TRect(0, 0, 1, 1), Parsed(text), 0);   // centre and top-left meet
    CHECK((Px(*d, 0, 0) == tl || Px(*d, 0, 0) == ce));
    FillGradient(d.get(), TRect(0, 9, 10, 10), Parsed(text), 0);
    FillGradient(d.get(), TRect(9, 0, 10, 10), Parsed(text), 0);
    CHECK(Px(*d, 9, 9) != Rgb(9, 9, 9));
}

TEST_CASE("gradients: nothing outside the bitmap, other modes and empty steps paint nothing")
{
    auto b = Filled24(8, 8, Rgb(9, 9, 9));
    FillGradient(b.get(), TRect(0, 0, 8, 8), TzGradArray(), 0);
    FillGradient(b.get(), TRect(0, 0, 8, 8), Parsed("255;255;100;3;0"), 0);
    FillGradient(b.get(), TRect(0, 0, 8, 8), Parsed("255;255;100;-1;0"), 0);
    FillGradient(b.get(), TRect(8, 0, 20, 8), Parsed("255;255;100;0;0"), 0);
    FillGradient(b.get(), TRect(5, 5, 2, 2), Parsed("255;255;100;1;0"), 0);
    FillGradient(nullptr, TRect(0, 0, 8, 8), Parsed("255;255;100;0;0"), 0);
    CHECK(CountNot(*b, TRect(0, 0, 8, 8), Rgb(9, 9, 9)) == 0);

    // Steps built by code with percentages out of range and extreme offsets stay inside.
    TzGradArray wild(3);
    wild[0] = {255, 0, 250, 0, 0};
    wild[1] = {0, 255, -80, 0, 0};
    wild[2] = {65280, 0, 40, 0, 0};
    for (int mode : {0, 1, 2})
        for (int offset : {INT_MIN, -1000, -7, 0, 5, 1000, INT_MAX}) {
            wild[0].Mode = mode;
            auto c = Filled24(8, 8, Rgb(9, 9, 9));
            FillGradient(c.get(), TRect(-3, 2, 6, 100), wild, offset);
            CAPTURE(mode);
            CAPTURE(offset);
            CHECK(ChangedOutside(*c, TRect(0, 2, 6, 8), Rgb(9, 9, 9)) == 0);
        }
    auto b32 = CreateBmp32(4, 4);
    CHECK_THROWS_AS(FillGradient(b32.get(), TRect(0, 0, 4, 4), Parsed("255;255;100;0;0"), 0), EInvalidGraphic);
}
