// Test helpers: pixels of 24-bit bitmaps, and bitmap files written byte by byte.
#pragma once

#include "classlib/graphics.h"

#include <doctest.h>

#include <algorithm>
#include <cstdint>
#include <functional>
#include <initializer_list>
#include <vector>

// The colour of a pixel of a 24-bit bitmap, read by scan line.
inline TColor PixelAt(TBitmap& b, int x, int y)
{
    const auto* p = static_cast<const uint8_t*>(b.ScanLine(y)) + x * 3;
    return TColor(RGB(p[2], p[1], p[0]));
}

// A point and the colour expected there.
struct TPixelWant {
    int X, Y;
    TColor Color;
};

// Checks the colour at each point, naming the point of any difference.
inline void CheckPixels(TBitmap& B, std::initializer_list<TPixelWant> Want)
{
    for (const TPixelWant& w : Want) {
        INFO("pixel " << w.X << "," << w.Y);
        CHECK(PixelAt(B, w.X, w.Y) == w.Color);
    }
}

inline TBitmap* NewBmp24(TBitmap& b, int w, int h, TColor fill)
{
    b.SetPixelFormat(pf24bit);
    b.SetSize(w, h);
    b.Canvas()->Brush()->SetColor(fill);
    b.Canvas()->FillRect(Rect(0, 0, w, h));
    return &b;
}

// Counts the pixels of a rectangle that differ from a colour.
inline int CountNot(TBitmap& b, const TRect& r, TColor c)
{
    int n = 0;
    for (int y = r.Top; y < r.Bottom; ++y)
        for (int x = r.Left; x < r.Right; ++x)
            n += PixelAt(b, x, y) != c;
    return n;
}

// The number of pixels of a colour within R.
inline int CountOf(TBitmap& b, const TRect& R, TColor C)
{
    return R.Width() * R.Height() - CountNot(b, R, C);
}

// The smallest rectangle holding every pixel of a colour within R (empty when there is none).
inline TRect Extent(TBitmap& b, const TRect& R, TColor C)
{
    TRect e(R.Right, R.Bottom, R.Left, R.Top);
    for (int y = R.Top; y < R.Bottom; ++y)
        for (int x = R.Left; x < R.Right; ++x)
            if (PixelAt(b, x, y) == C) {
                e.Left = std::min(e.Left, x);
                e.Top = std::min(e.Top, y);
                e.Right = std::max(e.Right, x + 1);
                e.Bottom = std::max(e.Bottom, y + 1);
            }
    return e;
}

struct BmpOptions {
    int HeaderSize = 40;             // 12, 40, 108 or 124
    bool TopDown = false;
    uint32_t Compression = BI_RGB;
    std::vector<uint32_t> Masks;     // bit fields, red first
    std::vector<uint8_t> Compressed; // run-length data instead of rows
    uint32_t ClrUsed = 0;
};

inline void Put16(std::vector<uint8_t>& v, uint32_t x)
{
    v.push_back(uint8_t(x));
    v.push_back(uint8_t(x >> 8));
}
inline void Put32(std::vector<uint8_t>& v, uint32_t x)
{
    Put16(v, x);
    Put16(v, x >> 16);
}

// A bitmap file. Palette entries and 24-bit pixels are colours 0x00BBGGRR; other pixels are
// the raw values of their depth. px(x, y) counts y from the top.
inline std::vector<uint8_t> MakeBmp(int w, int h, int bpp, const std::vector<TColor>& pal,
                                    const std::function<uint32_t(int, int)>& px, const BmpOptions& o = {})
{
    std::vector<uint8_t> bits;
    if (!o.Compressed.empty()) {
        bits = o.Compressed;
    } else {
        int stride = ((w * bpp + 31) / 32) * 4;
        for (int r = 0; r < h; ++r) {
            int y = o.TopDown ? r : h - 1 - r;
            std::vector<uint8_t> row(size_t(stride), 0);
            for (int x = 0; x < w; ++x) {
                uint32_t v = px(x, y);
                switch (bpp) {
                case 1: row[x / 8] |= uint8_t((v & 1) << (7 - x % 8)); break;
                case 4: row[x / 2] |= uint8_t((v & 15) << (x % 2 ? 0 : 4)); break;
                case 8: row[x] = uint8_t(v); break;
                case 16: row[x * 2] = uint8_t(v); row[x * 2 + 1] = uint8_t(v >> 8); break;
                case 24: row[x * 3] = uint8_t(v >> 16); row[x * 3 + 1] = uint8_t(v >> 8); row[x * 3 + 2] = uint8_t(v); break;
                case 32: for (int k = 0; k < 4; ++k) row[x * 4 + k] = uint8_t(v >> (8 * k)); break;
                }
            }
            bits.insert(bits.end(), row.begin(), row.end());
        }
    }
    std::vector<uint8_t> info;
    if (o.HeaderSize == 12) {
        Put32(info, 12);
        Put16(info, uint32_t(w));
        Put16(info, uint32_t(h));
        Put16(info, 1);
        Put16(info, uint32_t(bpp));
    } else {
        Put32(info, uint32_t(o.HeaderSize));
        Put32(info, uint32_t(w));
        Put32(info, uint32_t(o.TopDown ? -h : h));
        Put16(info, 1);
        Put16(info, uint32_t(bpp));
        Put32(info, o.Compression);
        Put32(info, uint32_t(bits.size()));
        Put32(info, 2835);
        Put32(info, 2835);
        Put32(info, o.ClrUsed ? o.ClrUsed : uint32_t(pal.size()));
        Put32(info, 0);
        if (o.HeaderSize > 40) {
            for (size_t i = 0; i < 3; ++i)
                Put32(info, i < o.Masks.size() ? o.Masks[i] : 0);
            info.resize(size_t(o.HeaderSize), 0);
        } else if (o.Compression == BI_BITFIELDS) {
            for (uint32_t m : o.Masks)
                Put32(info, m);
        }
    }
    for (TColor c : pal) {
        info.push_back(uint8_t(c >> 16));
        info.push_back(uint8_t(c >> 8));
        info.push_back(uint8_t(c));
        if (o.HeaderSize != 12)
            info.push_back(0);
    }
    std::vector<uint8_t> file{'B', 'M'};
    Put32(file, uint32_t(14 + info.size() + bits.size()));
    Put32(file, 0);
    Put32(file, uint32_t(14 + info.size()));
    file.insert(file.end(), info.begin(), info.end());
    file.insert(file.end(), bits.begin(), bits.end());
    return file;
}
