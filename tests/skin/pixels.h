// Test helpers: small 24-bit bitmaps built and read pixel by pixel through scan lines.
#pragma once

#include "classlib/graphics_helpers.h"
#include "skin/zgraphics.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

inline void SetPx(TBitmap& B, int X, int Y, TColor C)
{
    auto* p = static_cast<uint8_t*>(B.ScanLine(Y)) + X * 3;
    p[0] = uint8_t(C >> 16);
    p[1] = uint8_t(C >> 8);
    p[2] = uint8_t(C);
}

inline TColor Px(TBitmap& B, int X, int Y) { return PixelAt(B, X, Y); }

// Every pixel, row by row: two bitmaps compare equal when these do.
inline std::vector<TColor> Pixels(TBitmap& B)
{
    std::vector<TColor> v;
    for (int y = 0; y < B.Height(); ++y)
        for (int x = 0; x < B.Width(); ++x)
            v.push_back(Px(B, x, y));
    return v;
}

// A 24-bit bitmap whose pixel (x, y) is F(x, y).
inline std::unique_ptr<TBitmap> MakeBmp24(int W, int H, const std::function<TColor(int, int)>& F)
{
    auto b = CreateBmp24(W, H);
    for (int y = 0; y < H; ++y)
        for (int x = 0; x < W; ++x)
            SetPx(*b, x, y, F(x, y));
    return b;
}

inline std::unique_ptr<TBitmap> Filled24(int W, int H, TColor C)
{
    return MakeBmp24(W, H, [C](int, int) { return C; });
}

constexpr TColor Rgb(int R, int G, int B) { return TColor(R | (G << 8) | (B << 16)); }
// Channel K of a colour: 0 red, 1 green, 2 blue.
constexpr int Channel(TColor C, int K) { return (C >> (8 * K)) & 0xFF; }

// Two bitmaps of one size with the same pixels.
inline bool SamePixels(TBitmap& A, TBitmap& B)
{
    return A.Width() == B.Width() && A.Height() == B.Height() && Pixels(A) == Pixels(B);
}
