// Pixel access to 24- and 32-bit bitmaps and the pixel arithmetic every skin painter shares:
// alpha blends, tints toward a colour, colour mixing, copies that leave out the key colour,
// mask multiplication, grey, hue and saturation; and a few bitmap and DC utilities.
//
// 24-bit pixels are blue, green, red bytes; colours are 0x00BBGGRR. All loops work on scan
// lines held in memory; every routine clips to the bitmaps it is given.
#pragma once

#include "skin/zskinservices.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

// ---------------------------------------------------------------------------------------
// Rounding of the floating formulas: to nearest, ties to even.

// In plain double arithmetic (|x| < 2^51): adding and taking away 1.5 * 2^52 leaves the
// rounding to the FPU's default mode, and loops using it still vectorise.
inline double RoundEvenD(double X)
{
    constexpr double Magic = 6755399441055744.0;
    return (X + Magic) - Magic;
}
inline int RoundEven(double X) { return int(RoundEvenD(X)); }
// Num / Den exactly, rounded (Num >= 0, Den > 0).
inline int64_t DivRoundEven(int64_t Num, int64_t Den)
{
    int64_t q = Num / Den, r = Num % Den;
    if (2 * r > Den || (2 * r == Den && (q & 1)))
        ++q;
    return q;
}

// ---------------------------------------------------------------------------------------
// Pixel access

// The rows of a bitmap of one pixel format. Row(y) is Row0 + y * Delta; Delta is negative
// for bottom-up images.
class TSkFastRows : public TObject {
    Z_CLASS(TSkFastRows, TObject)
public:
    TBitmap* Bitmap = nullptr;
    int Width = 0;
    int Height = 0;
    ptrdiff_t Delta = 0;
    uint8_t* Row0 = nullptr;

    uint8_t* Row(int Y) const { return Row0 + Y * Delta; }

protected:
    // False (Width cleared) for a missing bitmap or one smaller than 2 x 2; EInvalidGraphic
    // "Bitmap format is not supported" for one of another format.
    bool AttachAs(TBitmap* Bmp, TPixelFormat Format);
};

// A 24-bit bitmap.
class TSkFast24 : public TSkFastRows {
    Z_CLASS(TSkFast24, TSkFastRows)
public:
    bool Attach(TBitmap* Bmp) { return AttachAs(Bmp, pf24bit); }
    // The colour 0x00BBGGRR of a pixel; no bounds check.
    TColor Pixel(int X, int Y) const
    {
        const uint8_t* p = Row(Y) + X * 3;
        return TColor(p[2] | (p[1] << 8) | (p[0] << 16));
    }
};

// A 32-bit bitmap.
class TSkFast32 : public TSkFastRows {
    Z_CLASS(TSkFast32, TSkFastRows)
public:
    bool Attach(TBitmap* Bmp) { return AttachAs(Bmp, pf32bit); }
    // Blue, green and red as 0x00BBGGRR in the low three bytes; red again in the top byte.
    TColor Pixel(int X, int Y) const
    {
        const uint8_t* p = Row(Y) + X * 4;
        return TColor(uint32_t(p[2]) | (uint32_t(p[1]) << 8) | (uint32_t(p[0]) << 16) |
                      (uint32_t(p[2]) << 24));
    }
};

// A source and a destination 24-bit bitmap blended by an alpha byte.
class TSkFastSum24 : public TObject {
    Z_CLASS(TSkFastSum24, TObject)
public:
    TBitmap* Src = nullptr;
    TBitmap* Dst = nullptr;
    int Width = 0;    // the smaller of the two widths
    int Height = 0;   // the smaller of the two heights
    uint8_t* SrcRow0 = nullptr;
    uint8_t* DstRow0 = nullptr;
    ptrdiff_t SrcDelta = 0;
    ptrdiff_t DstDelta = 0;
    uint8_t Alpha = 0;   // the weight of the destination
    TRect DstRect;
    TRect SrcRect;

    // False when either bitmap is missing or smaller than 2 x 2; EInvalidGraphic "Bitmap
    // format is not supported" when either is not 24-bit.
    bool Attach(TBitmap* ASrc, TBitmap* ADst);
    // Every pixel D of DstRect with the pixel S at the same offset in SrcRect:
    // D := (S * (255 - Alpha) + D * Alpha + 127) shr 8. Both rectangles are first cut to
    // their bitmaps and to each other's size.
    void BlendToDst();
};

// Shared instances for painters (user-interface thread only, not reentrant), made by
// InitSkinGraphics and freed by DoneSkinGraphics.
extern TSkFast24* SkFast24A;
extern TSkFast24* SkFast24B;
extern TSkFastSum24* SkFastSum24;
extern TSkFast32* SkFast32;
void InitSkinGraphics();
void DoneSkinGraphics();

// Work bitmaps kept from one paint to the next, one for each use that can be under way at
// the same time: 24-bit, at least Width x Height (and 2 x 2), that much of it from the
// top-left black as in a new bitmap. Freed by DoneSkinGraphics.
enum TSkWorkBitmap { wbSectionToDC, wbSectionFill, wbFillLayer, wbThinSection };
TBitmap* WorkBitmap(TSkWorkBitmap Use, int Width, int Height);

// What shows behind a control where its skin lets its parent through: the parent's picture
// (Picture.X, Picture.Y: where the painted bitmap's origin lies in it; not Ready: none) and
// the parent's colour as RGB (SkinKeyColor: not known). Where a section is see-through the
// colour, when known, stands for the picture; key pixels of border corners and the strips a
// texture leaves show the picture, else the colour. Painters take it as it is: the control
// asks its parent once and hands it in.
struct TzBackdrop {
    TzCacheInfo Picture;
    TColor Color = SkinKeyColor;

    TzBackdrop() = default;
    // A picture alone, or a picture and a colour.
    TzBackdrop(const TzCacheInfo& APicture, TColor AColor = SkinKeyColor) : Picture(APicture), Color(AColor) {}
    // The same with the picture moved: the painted bitmap's origin lies DX, DY further in.
    TzBackdrop Moved(int DX, int DY) const
    {
        TzBackdrop b = *this;
        b.Picture.X += DX;
        b.Picture.Y += DY;
        return b;
    }
};

// ---------------------------------------------------------------------------------------
// Blending and mixing. Percentages and alpha values outside their range are clamped.

// The whole source over the whole destination by the alpha of the destination; nothing when
// the sizes differ or either is smaller than 2 x 2.
void BlendBitmaps(TBitmap* Dst, TBitmap* Src, int Alpha);
// Source rectangle R blended onto the destination at P (Alpha: the destination's weight),
// clipped to both bitmaps.
void BlendBitmapRect(TBitmap* Dst, TBitmap* Src, int Alpha, TPoint P, TRect R);
// Every channel of R := round(channel * Percent / 100 + colour channel * (1 - Percent / 100)),
// ties to even: Percent is the share of the pixel kept.
void BlendToColor(TBitmap* Bmp, TRect R, int Percent, TColor Color);
// Source rectangle R placed at (X, Y): D := round(S - (S - D) * K), K the weight of the
// destination (0..1). Source pixels equal to Key are skipped unless its top byte is 255.
void BlendBmpRect(TBitmap* Dst, int X, int Y, TColor Key, double K, TRect R, TBitmap* Src);
// Equal-sized 24-bit bitmaps: Image := clamp(((Image - C) * Mask + C * 256) shr 8).
void MultiplyByMask(TBitmap* Image, TBitmap* Mask, TColor C);
// Equal sizes; Target (32-bit, or 24-bit) := clamp(((A - B) * W + B * 256) shr 8); with a
// mask the weight of each channel is (W * mask channel) shr 8.
void MixBitmaps(TBitmap* Target, TBitmap* A, TBitmap* B, int W, TBitmap* Mask = nullptr);
// Each channel := round((C1 - C2) * K + C2); C1's top byte is kept.
TColor MixColors(TColor C1, TColor C2, double K);
// Each channel := ((C1 - C2) * 127 + C2 * 256) shr 8; top byte 0.
TColor MixColorsHalf(TColor C1, TColor C2);
// Every pixel's channels := (B + G + R) div 3.
void GrayscaleBitmap(TBitmap* Bmp);
void GrayscaleExceptColor(TBitmap* Bmp, TColor Color);
// Amount 100 turns the colour grey, negative amounts move away from grey (-100..100).
TColor ChangeSaturation(TColor Color, int Amount);
// Turns the hue by Degrees (any sign, any size); grey stays grey.
TColor ChangeHue(int Degrees, TColor Color);

// ---------------------------------------------------------------------------------------
// Copies with a key colour, clipped to both bitmaps.

// Every source pixel that is not Key goes to (X, Y) + its offset.
void CopyTransBitmap(TBitmap* Dst, TBitmap* Src, int X, int Y, TColor Key);
// Rectangle R of the source, pixels that are not Key, to (X, Y) + offset.
void CopyKeyed(TBitmap* Dst, TBitmap* Src, int X, TColor Key, TRect R, int Y);
// CopyKeyed, but key pixels show what lies behind: the pixel of a Ready 24-bit picture at
// (Picture.X + x, Picture.Y + y) where that lies in it, else the backdrop's colour when it is
// known, else the destination as it was.
void CopyKeyedWithParent(TBitmap* Dst, TBitmap* Src, int X, const TzBackdrop& Behind, TColor Key, TRect R, int Y);
// The same with the parent's picture behind the key pixels only when UseParent.
void CopyKeyedWithParent(TBitmap* Dst, TBitmap* Src, int X, bool UseParent,
                         const TzCacheInfo& Parent, TColor Key, TRect R, int Y);

// ---------------------------------------------------------------------------------------
// Fills, plain copies, tiles and stretches by scan line. Each reads only inside its source
// and writes only inside its destination; a bitmap of another format than 24 bits (32 bits
// for copy sources) is left alone.

// The pixel rows of a 24-bit picture (or a 32-bit source) in memory: a bitmap's, or a work
// buffer's. Row(y) is Row0 + y * Delta.
struct TSkPixelRows {
    uint8_t* Row0 = nullptr;
    ptrdiff_t Delta = 0;
    int Width = 0;
    int Height = 0;
    int Bytes = 3;   // a pixel: 3 or 4 bytes

    uint8_t* Row(int Y) const { return Row0 + Y * Delta; }
    uint8_t* At(int X, int Y) const { return Row(Y) + X * Bytes; }
    bool Contains(int64_t X, int64_t Y) const { return X >= 0 && Y >= 0 && X < Width && Y < Height; }
};
// The rows of a 24-bit bitmap, or of a 32-bit one with Allow32; false (and no exception) for
// a missing or empty bitmap or another format. A bitmap of one row or column has its rows
// too: fills and copies reach every pixel.
bool PixelRowsOf(TBitmap* Bmp, TSkPixelRows& Rows, bool Allow32 = false);

// A 24-bit work picture that keeps its memory from one paint to the next (painters run on
// one thread; a paint that needs two at once keeps two).
class TSkWorkRows {
public:
    // Width x Height pixels of undefined content.
    const TSkPixelRows& Size(int Width, int Height);

private:
    std::vector<uint8_t> FBuf;
    TSkPixelRows FRows;
};

// Lays cells of W x H from Area's top-left over Area, the last column and row cut to it, and
// calls Cell(Part, Offset) for the part of each cell inside Clip, Offset being where Part
// starts within its cell. Only cells that meet Clip are visited; nothing for an empty cell.
template <class F> void ForEachTile(const TRect& Area, int W, int H, const TRect& Clip, F Cell)
{
    if (W < 1 || H < 1)
        return;
    const int64_t l = std::max(Area.Left, Clip.Left), t = std::max(Area.Top, Clip.Top);
    const int64_t r = std::min(Area.Right, Clip.Right), b = std::min(Area.Bottom, Clip.Bottom);
    if (r <= l || b <= t)
        return;
    const int64_t x0 = Area.Left + (l - Area.Left) / W * W, y0 = Area.Top + (t - Area.Top) / H * H;
    for (int64_t y = y0; y < b; y += H)
        for (int64_t x = x0; x < r; x += W) {
            const TRect part(int(std::max(x, l)), int(std::max(y, t)), int(std::min(x + W, r)),
                             int(std::min(y + H, b)));
            Cell(part, TPoint(int(part.Left - x), int(part.Top - y)));
        }
}

// R (cut to the bitmap) filled with ColorToRGB(Color).
void FillBmpRect(TBitmap* Bmp, TRect R, TColor Color);
// Rectangle R of a 24- or 32-bit source copied as it is to (X, Y).
void CopyBmpRect(TBitmap* Dst, int X, int Y, TRect R, TBitmap* Src);
void CopyRows(const TSkPixelRows& Dst, int X, int Y, TRect R, const TSkPixelRows& Src);
// The part of R inside the source repeated over Area from its top-left, the last tiles cut;
// only where Area meets Clip.
void TileBmpRect(TBitmap* Dst, const TRect& Area, TBitmap* Src, TRect R, const TRect& Clip);
void TileRows(const TSkPixelRows& Dst, const TRect& Area, const TSkPixelRows& Src, TRect R, const TRect& Clip);
// The part of R inside the source stretched over Area, each pixel taking the nearest source
// pixel; only where Area meets Clip.
void StretchBmpRect(TBitmap* Dst, const TRect& Area, TBitmap* Src, TRect R, const TRect& Clip);
void StretchRows(const TSkPixelRows& Dst, const TRect& Area, const TSkPixelRows& Src, TRect R, const TRect& Clip);
// Tiles of the part of R of a 24-bit source whose mask rows, MaskOffset below, are in the
// source too, repeated over Area from its top-left where Area meets Clip, each pixel through
// its mask M: D := (D * M + S * (256 - M)) shr 8 per channel.
void TileMaskedRows(const TSkPixelRows& Dst, const TRect& Area, const TSkPixelRows& Src, TRect R, int MaskOffset,
                    const TRect& Clip);
// BlendToColor over rows of 24-bit pixels.
void BlendRowsToColor(const TSkPixelRows& Rows, TRect R, int Percent, TColor Color);

// ---------------------------------------------------------------------------------------
// Bitmap and DC utilities.

std::unique_ptr<TBitmap> CreateBmp24(int Width, int Height);
std::unique_ptr<TBitmap> CreateBmpLike(TBitmap* Bmp);
std::unique_ptr<TBitmap> CreateBmp32(int Width, int Height);
// A solid fill with ColorToRGB(Color); the DC's state is kept.
void FillDC(HDC DC, const TRect& R, TColor Color);
// The four border strips (top, left, right, bottom) of a rectangle, SRCCOPY.
void BitBltBorder(HDC Dst, int X, int Y, int Width, int Height, HDC Src, int SX, int SY, int Border);
// Width nested frames: bottom-left, top-left, top-right in the first colour; on to
// bottom-right and back along the bottom in the second.
void DrawFrame3D(HDC DC, TRect R, TColor TopLeft, int Width, TColor BottomRight);
// A bitmap or JPEG picture repeated over R from its top-left, the last tiles cut.
void TileGraphic(TCanvas* Canvas, const TRect& R, TGraphic* Graphic);
// Every third pixel of the edges black, with a white pixel one up and one left of it.
void DrawDottedFocusRect(TCanvas* Canvas, const TRect& R);
