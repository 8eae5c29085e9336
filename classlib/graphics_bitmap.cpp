// Bitmaps: the section layouts and their conversions, the bitmap over a DIB section, and its
// canvas. Bitmap files are read and written in graphics_bmpfile.cpp.
#include "classlib/graphics_shared.h"

#include <algorithm>
#include <cstring>

// ---------------------------------------------------------------------------------------
// TBitmap: pixel formats and sections

namespace {
const char* const kInvalidBitmap = "Bitmap image is not valid";
} // namespace

namespace zgraphics {

[[noreturn]] void InvalidBitmap()
{
    throw EInvalidGraphic(kInvalidBitmap);
}

// The section layout that stands for the screen's own format.
TPixelFormat DeviceFormat()
{
    static const TPixelFormat f = [] {
        TClientDC dc(nullptr);
        int bpp = dc ? GetDeviceCaps(dc.Handle(), BITSPIXEL) * GetDeviceCaps(dc.Handle(), PLANES) : 32;
        return bpp == 16 ? pf16bit : bpp == 24 ? pf24bit : pf32bit;
    }();
    return f;
}

TPixelFormat Concrete(TPixelFormat f)
{
    if (f == pfDevice)
        return DeviceFormat();
    if (f == pfCustom)
        return pf24bit;
    return f;
}

int BppOf(TPixelFormat f)
{
    switch (Concrete(f)) {
    case pf1bit: return 1;
    case pf4bit: return 4;
    case pf8bit: return 8;
    case pf15bit:
    case pf16bit: return 16;
    case pf32bit: return 32;
    default: return 24;
    }
}

int StrideOf(int width, int bpp)
{
    return int(((int64_t(width) * bpp + 31) / 32) * 4);
}

RGBQUAD Quad(uint8_t r, uint8_t g, uint8_t b)
{
    return RGBQUAD{b, g, r, 0};
}

// The colour tables new pictures of few colours start with: black and white; the sixteen
// standard colours; those sixteen, a 6x6x6 colour cube and a grey ramp.
std::vector<RGBQUAD> DefaultPalette(int bpp)
{
    static const uint8_t vga[16][3] = {{0, 0, 0},       {128, 0, 0},   {0, 128, 0},   {128, 128, 0},
                                       {0, 0, 128},     {128, 0, 128}, {0, 128, 128}, {192, 192, 192},
                                       {128, 128, 128}, {255, 0, 0},   {0, 255, 0},   {255, 255, 0},
                                       {0, 0, 255},     {255, 0, 255}, {0, 255, 255}, {255, 255, 255}};
    std::vector<RGBQUAD> p;
    if (bpp == 1) {
        p = {Quad(0, 0, 0), Quad(255, 255, 255)};
    } else if (bpp == 4 || bpp == 8) {
        for (auto& c : vga)
            p.push_back(Quad(c[0], c[1], c[2]));
        if (bpp == 8) {
            for (int r = 0; r < 6; ++r)
                for (int g = 0; g < 6; ++g)
                    for (int b = 0; b < 6; ++b)
                        p.push_back(Quad(uint8_t(r * 51), uint8_t(g * 51), uint8_t(b * 51)));
            for (int i = 0; p.size() < 256; ++i) {
                auto v = uint8_t(8 + i * 10);
                p.push_back(Quad(v, v, v));
            }
        }
    }
    return p;
}

inline uint8_t Expand5(unsigned v) { return uint8_t((v << 3) | (v >> 2)); }
inline uint8_t Expand6(unsigned v) { return uint8_t((v << 2) | (v >> 4)); }

// One row of any supported layout as blue, green, red bytes.
void RowToBGR(const uint8_t* src, int width, TPixelFormat f, const std::vector<RGBQUAD>& pal, uint8_t* dst)
{
    auto lookup = [&](unsigned idx, uint8_t* d) {
        if (idx < pal.size()) {
            d[0] = pal[idx].rgbBlue;
            d[1] = pal[idx].rgbGreen;
            d[2] = pal[idx].rgbRed;
        } else
            d[0] = d[1] = d[2] = 0;
    };
    switch (Concrete(f)) {
    case pf1bit:
        for (int x = 0; x < width; ++x)
            lookup((src[x >> 3] >> (7 - (x & 7))) & 1, dst + x * 3);
        break;
    case pf4bit:
        for (int x = 0; x < width; ++x)
            lookup((src[x >> 1] >> ((x & 1) ? 0 : 4)) & 15, dst + x * 3);
        break;
    case pf8bit:
        for (int x = 0; x < width; ++x)
            lookup(src[x], dst + x * 3);
        break;
    case pf15bit:
        for (int x = 0; x < width; ++x) {
            unsigned v = src[x * 2] | (src[x * 2 + 1] << 8);
            dst[x * 3] = Expand5(v & 31);
            dst[x * 3 + 1] = Expand5((v >> 5) & 31);
            dst[x * 3 + 2] = Expand5((v >> 10) & 31);
        }
        break;
    case pf16bit:
        for (int x = 0; x < width; ++x) {
            unsigned v = src[x * 2] | (src[x * 2 + 1] << 8);
            dst[x * 3] = Expand5(v & 31);
            dst[x * 3 + 1] = Expand6((v >> 5) & 63);
            dst[x * 3 + 2] = Expand5((v >> 11) & 31);
        }
        break;
    case pf32bit:
        for (int x = 0; x < width; ++x) {
            dst[x * 3] = src[x * 4];
            dst[x * 3 + 1] = src[x * 4 + 1];
            dst[x * 3 + 2] = src[x * 4 + 2];
        }
        break;
    default:
        std::memcpy(dst, src, size_t(width) * 3);
        break;
    }
}

// One row of blue, green, red bytes into a layout without a colour table.
void BGRToRow(const uint8_t* src, int width, TPixelFormat f, uint8_t* dst)
{
    switch (Concrete(f)) {
    case pf15bit:
    case pf16bit: {
        bool six = Concrete(f) == pf16bit;
        for (int x = 0; x < width; ++x) {
            unsigned b = src[x * 3] >> 3, r = src[x * 3 + 2] >> 3;
            unsigned v = six ? (r << 11) | (unsigned(src[x * 3 + 1] >> 2) << 5) | b
                             : (r << 10) | (unsigned(src[x * 3 + 1] >> 3) << 5) | b;
            dst[x * 2] = uint8_t(v);
            dst[x * 2 + 1] = uint8_t(v >> 8);
        }
        break;
    }
    case pf32bit:
        for (int x = 0; x < width; ++x) {
            dst[x * 4] = src[x * 3];
            dst[x * 4 + 1] = src[x * 3 + 1];
            dst[x * 4 + 2] = src[x * 3 + 2];
            dst[x * 4 + 3] = 0;
        }
        break;
    default:
        std::memcpy(dst, src, size_t(width) * 3);
        break;
    }
}

bool IsPaletted(TPixelFormat f)
{
    TPixelFormat c = Concrete(f);
    return c == pf1bit || c == pf4bit || c == pf8bit;
}
} // namespace zgraphics


struct TBitmap::DCScope {
    TMemoryDC Temp;
    HGDIOBJ Old = nullptr;
    ~DCScope()
    {
        if (Temp)
            SelectObject(Temp.Handle(), Old);
    }
};

Z_CLASS_IMPL(TBitmap, TGraphic)

TBitmap::TBitmap() = default;

TBitmap::~TBitmap()
{
    FCanvas.reset();   // lets go of the section before it is deleted
    if (FHandle)
        DeleteObject(FHandle);
}

void TBitmap::Adopt(Image& Img, TPixelFormat Format)
{
    HBITMAP old = FHandle;
    FHandle = Img.Section.Release();
    FBits = Img.Bits;
    FWidth = Img.Width;
    FHeight = Img.Height;
    FStride = Img.Stride;
    FPixelFormat = Format;
    FPalette = IsPaletted(Format) ? std::move(Img.Palette) : std::vector<RGBQUAD>();
    if (FCanvas)
        FCanvas->SelectBitmap();
    if (old)
        DeleteObject(old);
}

void TBitmap::Clear()
{
    if (HBITMAP old = ReleaseHandle())
        DeleteObject(old);
}

int TBitmap::BitsPerPixel() const
{
    return BppOf(FPixelFormat);
}

HDC TBitmap::OpenDC(DCScope& Scope)
{
    if (FCanvas && FCanvas->FOwnDC)
        return FCanvas->FOwnDC;
    Scope.Temp = TMemoryDC(nullptr);
    if (!Scope.Temp)
        throw EOutOfResources("Out of system resources");
    Scope.Old = SelectObject(Scope.Temp.Handle(), FHandle);
    return Scope.Temp.Handle();
}

void TBitmap::SetSize(int AWidth, int AHeight)
{
    AWidth = std::max(AWidth, 0);
    AHeight = std::max(AHeight, 0);
    if (AWidth == FWidth && AHeight == FHeight)
        return;
    if (AWidth == 0 || AHeight == 0) {
        Clear();
        FWidth = AWidth;
        FHeight = AHeight;
        Changed(this);
        return;
    }
    if (FPalette.empty() && IsPaletted(FPixelFormat))
        FPalette = DefaultPalette(BppOf(FPixelFormat));
    Image img(AWidth, AHeight, FPixelFormat, FPalette);
    int bpp = BppOf(FPixelFormat);
    // New parts are white: the palette entry nearest to white, or all bits set.
    uint8_t fill = 0xFF;
    if (bpp <= 8) {
        int best = 0, bestSum = -1;
        for (size_t i = 0; i < img.Palette.size(); ++i) {
            int s = img.Palette[i].rgbRed + img.Palette[i].rgbGreen + img.Palette[i].rgbBlue;
            if (s > bestSum) {
                bestSum = s;
                best = int(i);
            }
        }
        fill = bpp == 8 ? uint8_t(best) : bpp == 4 ? uint8_t(best * 0x11) : uint8_t(best ? 0xFF : 0);
    }
    std::memset(img.Bits, fill, size_t(img.Stride) * AHeight);
    if (FBits) {
        GdiFlush();
        int rows = std::min(FHeight, AHeight);
        int64_t bits = int64_t(std::min(FWidth, AWidth)) * bpp;
        size_t whole = size_t(bits / 8);
        int rest = int(bits % 8);
        uint8_t mask = uint8_t(0xFF00 >> rest);
        for (int y = 0; y < rows; ++y) {
            const uint8_t* s = FBits + size_t(FHeight - 1 - y) * FStride;
            uint8_t* d = img.Row(y);
            std::memcpy(d, s, whole);
            if (rest)
                d[whole] = uint8_t((s[whole] & mask) | (d[whole] & ~mask));
        }
    }
    Adopt(img, FPixelFormat);
    Changed(this);
}

void TBitmap::SetPixelFormat(TPixelFormat Value)
{
    if (Value == FPixelFormat || Value > pfCustom)
        return;
    if (Value == pfCustom)
        throw EInvalidGraphicOperation("Invalid pixel format");
    TPixelFormat from = Concrete(FPixelFormat), to = Concrete(Value);
    if (Empty() || !FBits || from == to) {
        if (from != to)
            FPalette = IsPaletted(Value) ? DefaultPalette(BppOf(Value)) : std::vector<RGBQUAD>();
        FPixelFormat = Value;
        Changed(this);
        return;
    }
    GdiFlush();
    Image img(FWidth, FHeight, Value, IsPaletted(Value) ? DefaultPalette(BppOf(Value)) : std::vector<RGBQUAD>());
    if (IsPaletted(Value)) {
        // Fewer colours: the system picks the nearest entry of the new colour table.
        DCScope src;
        HDC s = OpenDC(src);
        TMemoryDC d(nullptr);
        if (!d)
            throw EOutOfResources("Out of system resources");
        TSelectObject select(d.Handle(), img.Section.Handle());
        BitBlt(d.Handle(), 0, 0, FWidth, FHeight, s, 0, 0, SRCCOPY);
        GdiFlush();
    } else {
        std::vector<uint8_t> row(size_t(FWidth) * 3);
        for (int y = 0; y < FHeight; ++y) {
            RowToBGR(FBits + size_t(y) * FStride, FWidth, FPixelFormat, FPalette, row.data());
            BGRToRow(row.data(), FWidth, Value, img.Bits + size_t(y) * img.Stride);
        }
    }
    Adopt(img, Value);
    Changed(this);
}

void TBitmap::SetHandleType(TBitmapHandleType Value)
{
    if (Value == HandleType())
        return;
    if (Value == bmDIB)
        FPixelFormat = DeviceFormat();   // the same layout, now named
    else
        SetPixelFormat(pfDevice);
}

HBITMAP TBitmap::Handle()
{
    return FHandle;
}

void TBitmap::SetHandle(HBITMAP Value)
{
    if (Value == FHandle)
        return;
    if (!Value) {
        Clear();
        Changed(this);
        return;
    }
    DIBSECTION ds{};
    int got = GetObjectA(Value, sizeof(ds), &ds);
    if (got < int(sizeof(BITMAP)) || ds.dsBm.bmWidth <= 0 || ds.dsBm.bmHeight == 0)
        throw EInvalidGraphic(kInvalidBitmap);
    bool isDib = got == int(sizeof(DIBSECTION));
    int bpp = ds.dsBm.bmBitsPixel * ds.dsBm.bmPlanes;
    TPixelFormat f;
    switch (bpp) {
    case 1: f = pf1bit; break;
    case 4: f = pf4bit; break;
    case 8: f = pf8bit; break;
    case 16: f = isDib && ds.dsBitfields[0] == 0xF800 ? pf16bit : isDib ? pf15bit : pfDevice; break;
    case 24: f = pf24bit; break;
    default: f = pf32bit; break;
    }
    if (!isDib && bpp > 1)
        f = pfDevice;
    int w = ds.dsBm.bmWidth, h = std::abs(ds.dsBm.bmHeight);
    {
        TMemoryDC s(nullptr), d(nullptr);
        TSelectObject selectS(s.Handle(), Value);
        std::vector<RGBQUAD> pal;
        if (bpp <= 8) {
            pal.resize(size_t(1) << bpp);
            UINT n = isDib ? GetDIBColorTable(s.Handle(), 0, UINT(pal.size()), pal.data()) : 0;
            if (n == 0)
                pal = DefaultPalette(bpp);
        }
        Image img(w, h, f, pal);
        {
            // Out of the copying DC before the canvas may select it.
            TSelectObject selectD(d.Handle(), img.Section.Handle());
            BitBlt(d.Handle(), 0, 0, w, h, s.Handle(), 0, 0, SRCCOPY);
            GdiFlush();
        }
        Adopt(img, f);
    }
    // Out of every DC now, it can go.
    DeleteObject(Value);   // taken over: the picture lives on in our own section
    Changed(this);
}

HBITMAP TBitmap::ReleaseHandle()
{
    HBITMAP h = FHandle;
    FHandle = nullptr;
    FBits = nullptr;
    FWidth = FHeight = FStride = 0;
    if (FCanvas)
        FCanvas->SelectBitmap();
    return h;
}

TCanvas* TBitmap::Canvas()
{
    if (!FCanvas) {
        FCanvas = std::make_unique<TBitmapCanvas>(this);
        FCanvas->OnChange = MakeMethod<&TBitmap::CanvasChanged>(this);
    }
    return FCanvas.get();
}

void TBitmap::CanvasChanged(TObject*)
{
    Changed(this);
}

void* TBitmap::ScanLine(int Row)
{
    if (Row < 0 || Row >= FHeight || !FBits)
        throw EInvalidGraphicOperation("Scan line index out of range");
    if (FPixelFormat == pfDevice)
        FPixelFormat = DeviceFormat();
    GdiFlush();
    return FBits + size_t(FHeight - 1 - Row) * FStride;
}

TColor TBitmap::TransparentColor()
{
    if (FTransparentColor != clDefault)
        return ColorToRGB(FTransparentColor);
    if (!FBits)
        return clDefault;
    GdiFlush();
    uint8_t bgr[3 * 8];
    RowToBGR(FBits, 1, FPixelFormat, FPalette, bgr);   // the bottom row comes first in memory
    return TColor(RGB(bgr[2], bgr[1], bgr[0]));
}

void TBitmap::SetTransparentColor(TColor Value)
{
    if (Value != FTransparentColor) {
        FTransparentColor = Value;
        FTransparentMode = Value == clDefault ? tmAuto : tmFixed;
        Changed(this);
    }
}

void TBitmap::SetTransparentMode(TTransparentMode Value)
{
    if (Value == FTransparentMode)
        return;
    if (Value == tmAuto)
        SetTransparentColor(clDefault);
    else
        SetTransparentColor(TransparentColor());
}

void TBitmap::Draw(TCanvas* ACanvas, const TRect& R)
{
    if (Empty())
        return;
    HDC dst = ACanvas->Handle();
    DCScope scope;
    HDC src = OpenDC(scope);
    if (FTransparent) {
        UINT key = static_cast<UINT>(ColorToRGB(TransparentColor())) & 0xFFFFFF;
        TransparentBlt(dst, R.Left, R.Top, R.Width(), R.Height(), src, 0, 0, FWidth, FHeight, key);
    } else {
        int oldMode = SetStretchBltMode(dst, COLORONCOLOR);
        StretchBlt(dst, R.Left, R.Top, R.Width(), R.Height(), src, 0, 0, FWidth, FHeight, ACanvas->CopyMode());
        SetStretchBltMode(dst, oldMode);
    }
}

void TBitmap::Assign(TPersistent* Source)
{
    if (!Source) {
        Clear();
        Changed(this);
        return;
    }
    auto* b = dynamic_cast<TBitmap*>(Source);
    if (!b) {
        inherited::Assign(Source);
        return;
    }
    if (b == this)
        return;
    if (b->FBits) {
        GdiFlush();
        Image img(b->FWidth, b->FHeight, b->FPixelFormat, b->FPalette);
        std::memcpy(img.Bits, b->FBits, size_t(b->FStride) * b->FHeight);
        Adopt(img, b->FPixelFormat);
    } else {
        Clear();
        FWidth = b->FWidth;
        FHeight = b->FHeight;
        FPixelFormat = b->FPixelFormat;
        FPalette = b->FPalette;
    }
    FTransparent = b->FTransparent;
    FTransparentColor = b->FTransparentColor;
    FTransparentMode = b->FTransparentMode;
    Changed(this);
}

// ---------------------------------------------------------------------------------------
// TBitmapCanvas

Z_CLASS_IMPL(TBitmapCanvas, TCanvas)

TBitmapCanvas::~TBitmapCanvas()
{
    FreeContext();
}

void TBitmapCanvas::CreateHandle()
{
    if (!FOwnDC) {
        FOwnDC = CreateCompatibleDC(nullptr);
        if (!FOwnDC)
            return;
        SetStretchBltMode(FOwnDC, COLORONCOLOR);
        FOldBitmap = nullptr;
        SelectBitmap();
    }
    SetHandle(FOwnDC);
}

void TBitmapCanvas::SelectBitmap()
{
    if (!FOwnDC)
        return;
    if (FBitmap->FHandle) {
        HGDIOBJ prev = SelectObject(FOwnDC, FBitmap->FHandle);
        if (!FOldBitmap)
            FOldBitmap = prev;
    } else if (FOldBitmap) {
        SelectObject(FOwnDC, FOldBitmap);
        FOldBitmap = nullptr;
    }
}

void TBitmapCanvas::FreeContext()
{
    if (!FOwnDC)
        return;
    if (HandleAllocated())
        SetHandle(nullptr);
    if (FOldBitmap)
        SelectObject(FOwnDC, FOldBitmap);
    DeleteDC(FOwnDC);
    FOwnDC = nullptr;
    FOldBitmap = nullptr;
}
