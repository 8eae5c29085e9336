// Multi-step gradients of skin sections: the text form of a skin file parsed into steps, and
// the steps painted into 24-bit bitmaps (vertical, horizontal, or four triangles meeting in
// the middle).
#pragma once

#include "classlib/graphics.h"

#include <cstdint>
#include <vector>

// One step. Only the first step's Mode counts: 0 vertical, 1 horizontal, 2 four triangles.
struct TzGradItem {
    int32_t Color1 = 0;    // 0x00BBGGRR at the step's start
    int32_t Color2 = 0;    // at its end
    int32_t Percent = 0;   // share of the gradient's length, 0..100
    int32_t Mode = 0;
    int32_t Reserved = 0;
};
using TzGradArray = std::vector<TzGradItem>;

// Decimal integers separated by ";", five a step: start colour, end colour, percent, mode and
// a value that is skipped; leftover fields are ignored and percentages limited to 0..100. A
// field that is not an integer raises EConvertError and leaves the array empty.
void ParseGradientData(const AnsiString& Text, TzGradArray& Arr);

struct TColorBytes {
    uint8_t B = 0;
    uint8_t G = 0;
    uint8_t R = 0;
};
TColorBytes ColorToBytes(TColor Color);

// Paints the steps into R of a 24-bit bitmap (cut to the bitmap). Offset moves a vertical
// gradient's start row. Empty steps or another mode paint nothing.
void FillGradient(TBitmap* Bmp, TRect R, const TzGradArray& Arr, int Offset);
