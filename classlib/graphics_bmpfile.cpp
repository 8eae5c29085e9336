// Bitmap files: read from streams, memory and resources (every depth, compressed or not) and
// written, and the bitmap's block in form data.
#include "classlib/graphics_shared.h"

#include <algorithm>
#include <cstring>

// ---------------------------------------------------------------------------------------
// TBitmap: bitmap files

namespace {
struct MemorySource : zdetail::BmpSource {
    MemorySource(const void* p, size_t n) : BmpSource(int64_t(n)), P(static_cast<const uint8_t*>(p)) {}
    const uint8_t* P;
    void ReadRaw(void* d, size_t n) override
    {
        std::memcpy(d, P, n);
        P += n;
    }
    void SkipRaw(size_t n) override { P += n; }
};


// A colour mask of a bit-field picture: one run of bits, scaled to 0..255.
struct Channel {
    int Shift = 0;
    uint32_t Max = 0;
    uint32_t Mask = 0;
    bool Set(uint32_t mask)
    {
        if (!mask)
            return false;
        Mask = mask;
        while (!(mask & 1)) {
            mask >>= 1;
            ++Shift;
        }
        Max = mask;
        return (mask & (mask + 1)) == 0;   // contiguous
    }
    uint8_t Of(uint32_t v) const { return uint8_t((uint64_t((v & Mask) >> Shift) * 255 + Max / 2) / Max); }
};

// Run-length pictures of 8 or 4 bits into a bottom-up section of the same depth. Runs past
// the right edge or the top are dropped; the data ending early ends the picture.
void DecodeRLE(const uint8_t* d, size_t n, bool four, uint8_t* bits, int W, int H, int stride)
{
    int x = 0, y = 0;
    auto put = [&](int px, unsigned v) {
        if (px >= W || y >= H)
            return;
        uint8_t* row = bits + size_t(y) * stride;
        if (four) {
            uint8_t& b = row[px >> 1];
            b = (px & 1) ? uint8_t((b & 0xF0) | (v & 15)) : uint8_t((b & 0x0F) | (v << 4));
        } else
            row[px] = uint8_t(v);
    };
    size_t i = 0;
    while (i + 1 < n && y < H) {
        unsigned a = d[i], b = d[i + 1];
        i += 2;
        if (a) {
            for (unsigned k = 0; k < a && x + int(k) < W; ++k)
                put(x + int(k), four ? ((k & 1) ? (b & 15) : (b >> 4)) : b);
            x = std::min(x + int(a), W);
        } else if (b == 0) {
            x = 0;
            ++y;
        } else if (b == 1) {
            break;
        } else if (b == 2) {
            if (i + 1 >= n)
                break;
            x = std::min(x + int(d[i]), W);
            y += d[i + 1];
            i += 2;
        } else {
            size_t bytes = four ? (b + 1) / 2 : b;
            if (i + bytes > n)
                break;
            for (unsigned k = 0; k < b && x + int(k) < W; ++k)
                put(x + int(k), four ? ((k & 1) ? (d[i + k / 2] & 15) : (d[i + k / 2] >> 4)) : d[i + k]);
            x = std::min(x + int(b), W);
            i += bytes + (bytes & 1);
        }
    }
}
} // namespace

void TBitmap::Decode(zdetail::BmpSource& Src, bool HasFileHeader)
{
    uint32_t offBits = 0;
    if (HasFileHeader) {
        uint8_t fh[14];
        Src.Read(fh, sizeof(fh));
        if (fh[0] != 'B' || fh[1] != 'M')
            InvalidBitmap();
        offBits = LE32(fh + 10);
    }
    uint8_t ih[124] = {};
    Src.Read(ih, 4);
    uint32_t hsize = LE32(ih);
    if (hsize != 12 && hsize != 40 && hsize != 52 && hsize != 56 && hsize != 108 && hsize != 124)
        InvalidBitmap();
    Src.Read(ih + 4, hsize - 4);

    int64_t width, height;
    int bpp;
    uint32_t compression = BI_RGB, sizeImage = 0, clrUsed = 0;
    int palEntry = 4;
    if (hsize == 12) {
        width = LE16(ih + 4);
        height = LE16(ih + 6);
        bpp = LE16(ih + 10);
        palEntry = 3;
    } else {
        width = int32_t(LE32(ih + 4));
        height = int32_t(LE32(ih + 8));
        bpp = LE16(ih + 14);
        compression = LE32(ih + 16);
        sizeImage = LE32(ih + 20);
        clrUsed = LE32(ih + 32);
    }
    bool topDown = height < 0;
    int64_t W = width, H = topDown ? -height : height;
    if (W <= 0 || H <= 0 || W > kMaxSide || H > kMaxSide || W * H > kMaxPixels)
        InvalidBitmap();
    if (bpp != 1 && bpp != 4 && bpp != 8 && bpp != 16 && bpp != 24 && bpp != 32)
        InvalidBitmap();
    bool rle = compression == BI_RLE8 || compression == BI_RLE4;
    if ((compression == BI_RLE8 && bpp != 8) || (compression == BI_RLE4 && bpp != 4) ||
        (compression == BI_BITFIELDS && bpp != 16 && bpp != 32) || compression > BI_BITFIELDS ||
        (rle && topDown))
        InvalidBitmap();

    uint32_t masks[3] = {0, 0, 0};
    if (compression == BI_BITFIELDS) {
        uint8_t m[12];
        if (hsize >= 52)
            std::memcpy(m, ih + 40, 12);
        else
            Src.Read(m, 12);
        masks[0] = LE32(m);
        masks[1] = LE32(m + 4);
        masks[2] = LE32(m + 8);
    } else if (bpp == 16) {
        masks[0] = 0x7C00, masks[1] = 0x03E0, masks[2] = 0x001F;
    } else {
        masks[0] = 0xFF0000, masks[1] = 0x00FF00, masks[2] = 0x0000FF;
    }
    Channel ch[3];
    uint32_t limit = bpp == 16 ? 0xFFFFu : 0xFFFFFFFFu;
    for (int i = 0; i < 3; ++i)
        if (!ch[i].Set(masks[i]) || (masks[i] & ~limit))
            InvalidBitmap();
    if ((masks[0] & masks[1]) || (masks[0] & masks[2]) || (masks[1] & masks[2]))
        InvalidBitmap();

    std::vector<RGBQUAD> pal;
    if (bpp <= 8) {
        uint32_t n = clrUsed ? clrUsed : 1u << bpp;
        if (n > (1u << bpp))
            InvalidBitmap();
        // Some writers keep fewer entries than the depth holds; the pixel offset tells.
        if (HasFileHeader && offBits > Src.Consumed && !clrUsed)
            n = uint32_t(std::min<int64_t>(n, (offBits - Src.Consumed) / palEntry));
        std::vector<uint8_t> raw(size_t(n) * palEntry);
        Src.Read(raw.data(), int64_t(raw.size()));
        pal.resize(n);
        for (uint32_t i = 0; i < n; ++i)
            pal[i] = Quad(raw[i * palEntry + 2], raw[i * palEntry + 1], raw[i * palEntry]);
    }

    if (HasFileHeader && offBits != 0) {
        if (offBits < Src.Consumed)
            InvalidBitmap();   // the pixels cannot start inside the headers
        Src.Skip(offBits - Src.Consumed);
    } else if (bpp > 8 && clrUsed) {
        Src.Skip(int64_t(clrUsed) * 4);
    }

    TPixelFormat fmt;
    bool generic = false;
    switch (bpp) {
    case 1: fmt = pf1bit; break;
    case 4: fmt = pf4bit; break;
    case 8: fmt = pf8bit; break;
    case 16:
        fmt = masks[0] == 0x7C00 && masks[1] == 0x03E0 && masks[2] == 0x1F   ? pf15bit
              : masks[0] == 0xF800 && masks[1] == 0x07E0 && masks[2] == 0x1F ? pf16bit
                                                                             : pf24bit;
        generic = fmt == pf24bit;
        break;
    case 24: fmt = pf24bit; break;
    default:
        fmt = masks[0] == 0xFF0000 && masks[1] == 0xFF00 && masks[2] == 0xFF ? pf32bit : pf24bit;
        generic = fmt == pf24bit;
        break;
    }

    int fileStride = StrideOf(int(W), bpp);
    if (rle) {
        int64_t n = sizeImage ? int64_t(sizeImage) : Src.Left;
        std::vector<uint8_t> data(size_t(std::min(n, Src.Left)));
        Src.Read(data.data(), n);   // a size beyond the end is damage
        Image img(int(W), int(H), fmt, pal);
        DecodeRLE(data.data(), data.size(), bpp == 4, img.Bits, int(W), int(H), img.Stride);
        Adopt(img, fmt);
        return;
    }
    if (int64_t(fileStride) * H > Src.Left)
        InvalidBitmap();
    Image img(int(W), int(H), fmt, pal);
    if (!generic) {
        if (!topDown)
            Src.Read(img.Bits, int64_t(fileStride) * H);
        else
            for (int y = 0; y < int(H); ++y)
                Src.Read(img.Row(y), fileStride);
    } else {
        std::vector<uint8_t> row(static_cast<size_t>(fileStride));
        int step = bpp / 8;
        for (int i = 0; i < int(H); ++i) {
            Src.Read(row.data(), fileStride);
            uint8_t* d = topDown ? img.Row(i) : img.Bits + size_t(i) * img.Stride;
            for (int x = 0; x < int(W); ++x) {
                uint32_t v = step == 2 ? LE16(&row[size_t(x) * 2]) : LE32(&row[size_t(x) * 4]);
                d[x * 3] = ch[2].Of(v);
                d[x * 3 + 1] = ch[1].Of(v);
                d[x * 3 + 2] = ch[0].Of(v);
            }
        }
    }
    Adopt(img, fmt);
}

void TBitmap::LoadFromSource(zdetail::BmpSource& Src)
{
    if (Src.Left == 0)
        Clear();
    else
        Decode(Src, true);
    Changed(this);
}

void TBitmap::LoadFromStream(TStream* Stream)
{
    StreamSource src(Stream);
    LoadFromSource(src);
}

void TBitmap::LoadFromMemory(const void* Data, size_t Size)
{
    MemorySource src(Data, Data ? Size : 0);
    LoadFromSource(src);
}

void TBitmap::LoadFromResource(HINSTANCE Instance, const char* Name, const AnsiString& Shown)
{
    HRSRC r = FindResourceA(Instance, Name, reinterpret_cast<LPCSTR>(RT_BITMAP));
    HGLOBAL g = r ? LoadResource(Instance, r) : nullptr;
    const void* p = g ? LockResource(g) : nullptr;
    if (!p)
        throw EResNotFound(Format("Resource %s not found", Shown.c_str()));
    // A bitmap resource is a bitmap file without its file header.
    MemorySource src(p, SizeofResource(Instance, r));
    Decode(src, false);
    Changed(this);
}

void TBitmap::LoadFromResourceName(HINSTANCE Instance, const AnsiString& ResName)
{
    LoadFromResource(Instance, ResName.c_str(), ResName);
}

void TBitmap::LoadFromResourceID(HINSTANCE Instance, int ResID)
{
    LoadFromResource(Instance, MAKEINTRESOURCEA(ResID), IntToStr(ResID));
}

int64_t TBitmap::FileSize() const
{
    if (!FBits)
        return 0;
    int bpp = BppOf(FPixelFormat);
    int64_t pal = bpp <= 8 ? (int64_t(1) << bpp) * 4 : 0;
    int64_t masks = Concrete(FPixelFormat) == pf16bit ? 12 : 0;
    return 14 + 40 + masks + pal + int64_t(FStride) * FHeight;
}

void TBitmap::SaveToStream(TStream* Stream)
{
    if (!FBits)
        return;
    GdiFlush();
    int bpp = BppOf(FPixelFormat);
    uint32_t palCount = bpp <= 8 ? 1u << bpp : 0;
    bool bitfields = Concrete(FPixelFormat) == pf16bit;
    uint32_t imageSize = uint32_t(FStride) * uint32_t(FHeight);
    uint32_t offBits = 14 + 40 + (bitfields ? 12 : 0) + palCount * 4;
    uint8_t h[14 + 40 + 12] = {};
    h[0] = 'B';
    h[1] = 'M';
    PutLE32(h + 2, offBits + imageSize);
    PutLE32(h + 10, offBits);
    uint8_t* i = h + 14;
    PutLE32(i, 40);
    PutLE32(i + 4, uint32_t(FWidth));
    PutLE32(i + 8, uint32_t(FHeight));
    PutLE16(i + 12, 1);
    PutLE16(i + 14, uint32_t(bpp));
    PutLE32(i + 16, bitfields ? BI_BITFIELDS : BI_RGB);
    PutLE32(i + 20, imageSize);
    PutLE32(i + 32, palCount);
    if (bitfields) {
        PutLE32(i + 40, 0xF800);
        PutLE32(i + 44, 0x07E0);
        PutLE32(i + 48, 0x001F);
    }
    Stream->WriteBuffer(h, int32_t(14 + 40 + (bitfields ? 12 : 0)));
    if (palCount) {
        std::vector<RGBQUAD> pal = FPalette;
        pal.resize(palCount, RGBQUAD{0, 0, 0, 0});
        Stream->WriteBuffer(pal.data(), int32_t(palCount * sizeof(RGBQUAD)));
    }
    Stream->WriteBuffer(FBits, int32_t(imageSize));
}

void TBitmap::ReadData(TStream* Stream)
{
    uint8_t sz[4];
    if (Stream->Read(sz, 4) != 4)
        InvalidBitmap();
    int32_t size = int32_t(LE32(sz));
    StreamSource src(Stream);
    if (size < 0 || size > src.Left)
        InvalidBitmap();
    src.Left = size;
    LoadFromSource(src);
    if (src.Left > 0)
        Stream->Seek(src.Left, soFromCurrent);   // whatever the block holds past the picture
}

void TBitmap::WriteData(TStream* Stream)
{
    uint8_t sz[4];
    PutLE32(sz, uint32_t(FileSize()));
    Stream->WriteBuffer(sz, 4);
    SaveToStream(Stream);
}
