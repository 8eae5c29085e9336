// What the sources of the graphics unit share among themselves; no other unit includes this:
// the section layouts and colour tables of bitmaps, a section being made, and the checked
// reading of bitmap and icon files.
#pragma once

#include "classlib/graphics.h"
#include "classlib/gdihandles.h"

#include <cstdint>
#include <cstring>
#include <vector>

namespace zgraphics {
constexpr int kMaxSide = 65535;
constexpr int64_t kMaxPixels = int64_t(1) << 26;   // 64 M pixels: 256 MB at 32 bits

[[noreturn]] void InvalidBitmap();
// The section layout that stands for the screen's own format.
TPixelFormat DeviceFormat();
TPixelFormat Concrete(TPixelFormat f);
int BppOf(TPixelFormat f);
int StrideOf(int width, int bpp);
RGBQUAD Quad(uint8_t r, uint8_t g, uint8_t b);
// The colour tables new pictures of few colours start with: black and white; the sixteen
// standard colours; those sixteen, a 6x6x6 colour cube and a grey ramp.
std::vector<RGBQUAD> DefaultPalette(int bpp);
// One row of any supported layout as blue, green, red bytes.
void RowToBGR(const uint8_t* src, int width, TPixelFormat f, const std::vector<RGBQUAD>& pal, uint8_t* dst);
// One row of blue, green, red bytes into a layout without a colour table.
void BGRToRow(const uint8_t* src, int width, TPixelFormat f, uint8_t* dst);
bool IsPaletted(TPixelFormat f);

inline uint16_t LE16(const uint8_t* p) { return uint16_t(p[0] | (p[1] << 8)); }
inline uint32_t LE32(const uint8_t* p) { return uint32_t(p[0]) | (uint32_t(p[1]) << 8) | (uint32_t(p[2]) << 16) | (uint32_t(p[3]) << 24); }
inline void PutLE16(uint8_t* p, uint32_t v) { p[0] = uint8_t(v); p[1] = uint8_t(v >> 8); }
inline void PutLE32(uint8_t* p, uint32_t v) { PutLE16(p, v); PutLE16(p + 2, v >> 16); }
} // namespace zgraphics

using namespace zgraphics;

// A section not yet given to a bitmap; freed unless adopted.
struct TBitmap::Image {
    TOwnedBitmap Section;
    uint8_t* Bits = nullptr;
    int Width = 0;
    int Height = 0;
    int Stride = 0;
    std::vector<RGBQUAD> Palette;

    Image() = default;

    // A bottom-up section; EOutOfResources when the system cannot make it.
    Image(int W, int H, TPixelFormat F, std::vector<RGBQUAD> Pal) : Width(W), Height(H)
    {
        if (W <= 0 || H <= 0 || W > kMaxSide || H > kMaxSide || int64_t(W) * H > kMaxPixels)
            throw EOutOfResources("Out of system resources");
        int bpp = BppOf(F);
        struct {
            BITMAPINFOHEADER h;
            RGBQUAD colors[256];
        } bi{};
        bi.h.biSize = sizeof(BITMAPINFOHEADER);
        bi.h.biWidth = W;
        bi.h.biHeight = H;
        bi.h.biPlanes = 1;
        bi.h.biBitCount = WORD(bpp);
        bi.h.biCompression = BI_RGB;
        if (Concrete(F) == pf16bit) {
            bi.h.biCompression = BI_BITFIELDS;
            const DWORD masks[3] = {0xF800, 0x07E0, 0x001F};
            std::memcpy(bi.colors, masks, sizeof(masks));
        }
        if (bpp <= 8) {
            Pal.resize(size_t(1) << bpp, RGBQUAD{0, 0, 0, 0});
            std::copy(Pal.begin(), Pal.end(), bi.colors);
            bi.h.biClrUsed = DWORD(Pal.size());
            Palette = std::move(Pal);
        }
        void* bits = nullptr;
        Section.Reset(CreateDIBSection(nullptr, reinterpret_cast<BITMAPINFO*>(&bi), DIB_RGB_COLORS, &bits, nullptr, 0));
        if (!Section || !bits)
            throw EOutOfResources("Out of system resources");
        Bits = static_cast<uint8_t*>(bits);
        Stride = StrideOf(W, bpp);
    }

    uint8_t* Row(int y) const { return Bits + size_t(Height - 1 - y) * Stride; }   // y from the top
};

// Bytes of a bitmap file from a stream or from memory. Every read is checked against what is
// left, so a damaged size can neither read past the end nor make us allocate for it.
struct zdetail::BmpSource {
    explicit BmpSource(int64_t left) : Left(left < 0 ? 0 : left) {}
    virtual ~BmpSource() = default;
    int64_t Left;
    int64_t Consumed = 0;

    void Read(void* p, int64_t n)
    {
        if (n < 0 || n > Left)
            InvalidBitmap();
        ReadRaw(p, size_t(n));
        Left -= n;
        Consumed += n;
    }
    void Skip(int64_t n)
    {
        if (n < 0 || n > Left)
            InvalidBitmap();
        SkipRaw(size_t(n));
        Left -= n;
        Consumed += n;
    }

protected:
    virtual void ReadRaw(void* p, size_t n) = 0;
    virtual void SkipRaw(size_t n) = 0;
};

namespace zgraphics {
struct StreamSource : zdetail::BmpSource {
    StreamSource(TStream* s, int64_t left) : BmpSource(left), S(s) {}
    explicit StreamSource(TStream* s) : StreamSource(s, s->Size() - s->Position()) {}
    TStream* S;
    void ReadRaw(void* p, size_t n) override
    {
        if (S->Read(p, int32_t(n)) != int32_t(n))
            InvalidBitmap();
    }
    void SkipRaw(size_t n) override { S->Seek(int64_t(n), soFromCurrent); }
};
} // namespace zgraphics
