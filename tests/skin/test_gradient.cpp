// Gradients: the step text, and the vertical, horizontal and four-triangle fills by pixels.
#include <doctest.h>

#include "pixels.h"
#include "skinfixtures.h"

#include "skin/zgradient.h"

#include <climits>

namespace {

TzGradArray Parsed(const AnsiString& Text)
{
    TzGradArray a;
    ParseGradientData(Text, a);
    return a;
}

std::string StepsText(const TzGradArray& A)
{
    std::string s;
    for (const auto& step : A)
        s += Join(step.Color1, step.Color2, step.Percent, step.Mode) + "; ";
    return s;
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

// A bitmap of W x H in a colour no gradient here paints, filled by Steps over R.
std::unique_ptr<TBitmap> Filled(int W, int H, const TRect& R, const TzGradArray& Steps, int Offset = 0)
{
    auto b = Filled24(W, H, Rgb(9, 9, 9));
    FillGradient(b.get(), R, Steps, Offset);
    return b;
}

} // namespace

TEST_CASE("gradient text: steps of five fields")
{
    // Nine fields: one step, the last four ignored; skipped fields are not read; percentages
    // clamped; blanks allowed; what is not plain decimal reads too.
    const std::pair<const char*, const char*> cases[] = {
        {"16777215;12632256;100;0;0", "16777215 12632256 100 0; "},
        {"1;2;3;4;5;6;7;8;9", "1 2 3 4; "},
        {"1;2;3;0;skipped;leftover;x", "1 2 3 0; "},
        {"0;255;150;0;0", "0 255 100 0; "},
        {"0;255;-5;0;0", "0 255 0 0; "},
        {" 255 ;65280; 50;1;0;", "255 65280 50 1; "},
        {"0;255;50;0;0;255;65280;50;0;0", "0 255 50 0; 255 65280 50 0; "},
        {"$FF;0x10;+7;-1;0", "255 16 7 -1; "},
        {"0000000000012;2147483647;1;0;0", "12 2147483647 1 0; "},
        {"", ""}, {"1;2", ""}, {"1;2;3;4", ""}};
    for (const auto& [text, steps] : cases)
        CHECK(StepsText(Parsed(text)) == steps);
    CHECK(Join(ColorToBytes(0x123456).B, ColorToBytes(0x123456).G, ColorToBytes(0x123456).R) == "18 52 86");
}

TEST_CASE("vertical gradient: steps share their border row")
{
    // 127.5 ties to even; the later step paints the shared row; row 75 is 25 / 49 of the way
    // from red to green.
    auto b = Filled(4, 100, TRect(0, 0, 4, 100), Parsed("0;255;50;0;0;255;65280;50;0;0"));
    CheckPixels(*b, {{0, 0, Rgb(0, 0, 0)}, {3, 25, Rgb(128, 0, 0)}, {1, 49, Rgb(250, 0, 0)},
                     {2, 50, Rgb(255, 0, 0)}, {0, 75, Rgb(125, 130, 0)}, {3, 99, Rgb(0, 255, 0)}});

    // Inside a larger bitmap only the rectangle changes; the last step ends at its bottom.
    auto c = Filled(10, 30, TRect(2, 5, 8, 25), Parsed("255;16711680;100;0;0"));
    CheckPixels(*c, {{2, 5, Rgb(255, 0, 0)}, {7, 24, Rgb(0, 0, 255)}});
    CHECK(ChangedOutside(*c, TRect(2, 5, 8, 25), Rgb(9, 9, 9)) == 0);

    // A negative offset starts the gradient above the rectangle: row 0 is 50 / 149 of the way.
    auto d = Filled(3, 100, TRect(0, 0, 3, 100), Parsed("0;255;100;0;0"), -50);
    CheckPixels(*d, {{0, 0, Rgb(86, 0, 0)}, {0, 99, Rgb(255, 0, 0)}});
    // A step of 0 % paints nothing and the next step starts where it was.
    auto e = Filled(3, 10, TRect(0, 0, 3, 10), Parsed("255;255;0;0;0;0;65280;100;0;0"));
    CheckPixels(*e, {{0, 0, Rgb(0, 0, 0)}, {0, 9, Rgb(0, 255, 0)}});
}

TEST_CASE("horizontal gradient")
{
    // 127.5 both ways ties to even; 50.5 columns round to 50.
    auto b = Filled(101, 3, TRect(0, 0, 101, 3), Parsed("255;65280;50;1;0;65280;16711680;50;1;0"));
    for (int y = 0; y < 3; ++y)
        CheckPixels(*b, {{0, y, Rgb(255, 0, 0)}, {25, y, Rgb(128, 128, 0)}, {50, y, Rgb(0, 255, 0)},
                         {100, y, Rgb(0, 0, 255)}});
    auto c = Filled(20, 6, TRect(-5, 2, 30, 4), Parsed("0;16777215;100;1;0"), 7);
    CheckPixels(*c, {{0, 2, Rgb(0, 0, 0)}, {19, 3, Rgb(255, 255, 255)}});
    CHECK(ChangedOutside(*c, TRect(0, 2, 20, 4), Rgb(9, 9, 9)) == 0);
    // One column wide: no step has a length, the column shows where the gradient starts.
    auto d = Filled(4, 3, TRect(1, 0, 2, 3), Parsed("255;65280;100;1;0"));
    CHECK(CountNot(*d, TRect(1, 0, 2, 3), Rgb(255, 0, 0)) == 0);
}

TEST_CASE("four-triangle gradient")
{
    // Two steps: the top-left vertex takes step 0's colour, the centre and the other corners
    // step 1's; halfway along the top edge between.
    auto b = Filled(20, 10, TRect(0, 0, 20, 10), Parsed("255;0;50;2;0;65280;0;50;2;0"));
    CheckPixels(*b, {{0, 0, Rgb(255, 0, 0)}, {10, 5, Rgb(0, 255, 0)}, {19, 9, Rgb(0, 255, 0)},
                     {10, 0, Rgb(128, 128, 0)}});
    CHECK(Px(*b, 0, 9) != Rgb(9, 9, 9));

    // Five steps, one colour a vertex: top-left, centre, top-right, bottom-right, bottom-left.
    AnsiString text;
    for (TColor c : {Rgb(200, 0, 0), Rgb(0, 0, 0), Rgb(0, 200, 0), Rgb(0, 0, 200), Rgb(100, 100, 100)})
        text += IntToStr(c) + ";0;20;2;0;";
    // Between top-left and top-right, top-left and bottom-left, top-left and the centre.
    auto c = Filled(24, 12, TRect(0, 0, 24, 12), Parsed(text));
    CheckPixels(*c, {{0, 0, Rgb(200, 0, 0)}, {12, 6, Rgb(0, 0, 0)}, {12, 0, Rgb(100, 100, 0)},
                     {0, 6, Rgb(150, 50, 50)}, {6, 3, Rgb(100, 0, 0)}});
    CHECK(ChangedOutside(*c, TRect(0, 0, 24, 12), Rgb(9, 9, 9)) == 0);

    // Inside a part of a bitmap (the fuzz driver paints tiny and outlying rectangles).
    auto d = Filled(10, 10, TRect(3, 4, 7, 6), Parsed(text));
    CHECK(Join(Px(*d, 3, 4), ChangedOutside(*d, TRect(3, 4, 7, 6), Rgb(9, 9, 9))) == Join(Rgb(200, 0, 0), 0));
}

TEST_CASE("gradients: steps built by code stay inside; no bitmap or a 32-bit one paints nothing")
{
    // Text gives steps of 0 to 100 % (the fuzz driver paints those); steps built by code with percentages out of range and extreme offsets stay inside.
    TzGradArray wild(3);
    wild[0] = {255, 0, 250, 0, 0};
    wild[1] = {0, 255, -80, 0, 0};
    wild[2] = {65280, 0, 40, 0, 0};
    for (int mode : {0, 1, 2})
        for (int offset : {INT_MIN, -1000, -7, 0, 5, 1000, INT_MAX}) {
            wild[0].Mode = mode;
            CAPTURE(mode);
            CAPTURE(offset);
            auto c = Filled(8, 8, TRect(-3, 2, 6, 100), wild, offset);
            CHECK(ChangedOutside(*c, TRect(0, 2, 6, 8), Rgb(9, 9, 9)) == 0);
        }
    FillGradient(nullptr, TRect(0, 0, 8, 8), Parsed("255;255;100;0;0"), 0);
    auto b32 = CreateBmp32(4, 4);
    CHECK_THROWS_AS(FillGradient(b32.get(), TRect(0, 0, 4, 4), Parsed("255;255;100;0;0"), 0), EInvalidGraphic);
}
