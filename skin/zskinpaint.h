// Skin elements painted into 24-bit bitmaps: the nine-piece frame stretched over any
// rectangle, one state frame of a multi-state image, the masked copies both use, corners
// filled from the parent's picture, the disabled look, and the border that also cuts a
// window region.
//
// An element is a mask record: a rectangle of its own bitmap or of the manager's master
// bitmap, frames side by side, an optional mask half below the image. The rectangle is taken
// as the skin states it: every read is cut to the source bitmap and every write to the
// destination, whatever the record says. Destinations are 24-bit bitmaps; any other format
// is left alone.
#pragma once

#include "skin/zgraphics.h"
#include "skin/zskindata.h"
#include "skin/zskinservices.h"

#include <cstdint>
#include <vector>

class TControl;
class TzCommonData;

// The state a control is painted in. The value is the frame of a multi-state image: controls
// with more looks than these count on from psPressed.
enum TzPaintState : int { psNormal = 0, psHot = 1, psPressed = 2 };

// How a nine-piece border is drawn, as one value.
enum TzBorderFlag : uint8_t {
    bfFillCentre = 1u << 0,       // the centre piece too
    bfKeysShowParent = 1u << 1,   // key pixels of corners without a mask half show what lies behind
};
using TzBorderFlags = uint8_t;

// How a disabled control or glyph looks: blended into what lies behind it, grey, or both.
enum TzDisabledKindFlag : uint8_t { dkBlended = 1u << 0, dkGrayed = 1u << 1 };
using TzDisabledKind = uint8_t;
enum TzDisabledGlyphKindFlag : uint8_t { dgBlended = 1u << 0, dgGrayed = 1u << 1 };
using TzDisabledGlyphKind = uint8_t;

// Corners of a control, as a set.
enum TzCornerFlag : uint8_t { crTopLeft = 1u << 0, crTopRight = 1u << 1, crBottomLeft = 1u << 2, crBottomRight = 1u << 3 };
using TzCorners = uint8_t;
constexpr TzCorners AllCorners = crTopLeft | crTopRight | crBottomLeft | crBottomRight;

// A bitmap the painters write into: 24 bits, at least 2 x 2 (thinner ones go through a work
// bitmap where a painter takes them).
bool PaintableBitmap(TBitmap* Bmp);

// ---------------------------------------------------------------------------------------
// The geometry of a mask.

// The bitmap the mask's rectangle lies in: its own, else its manager's master bitmap.
TBitmap* MaskSourceBitmap(const TzMaskData& Mask);
// One frame: the rectangle's width by frames (a count below 1 as 1), its height by the image
// and mask halves.
TSize MaskFrame(const TzMaskData& Mask);
// The image half of the frame of a state (states beyond the last frame take the last one).
TRect MaskFrameRect(const TzMaskData& Mask, TzPaintState State);

// The four margins of a nine-piece frame drawn Width x Height: the mask's own, each pair cut
// when it does not fit (by half the excess each, the right or bottom one more when the size
// is odd), never below 0.
struct TzMargins {
    int L = 0, T = 0, R = 0, B = 0;
};
TzMargins FitMargins(const TzMaskData& Mask, int Width, int Height);

// ---------------------------------------------------------------------------------------
// Element painting.

// The nine-piece frame of the state over D: corners at D's corners, the sides and (with
// bfFillCentre) the centre tiled between them, or stretched for an image without a mask half
// and a DrawMode other than 0. An image with a mask half goes through CopyByMask, its corners
// over the picture behind; key pixels of the corners of one without (with bfKeysShowParent)
// show the picture. Where there is no picture, key pixels of every corner take the backdrop's
// colour when it is known. Nothing for a D narrower or lower than 2 pixels or a mask without
// a manager.
void DrawSkinRect(TBitmap* Bmp, const TRect& D, TzBorderFlags Flags, TzPaintState State, const TzMaskData& Mask,
                  const TzBackdrop& Behind);
// The frame of the state with its top-left at P; a negative P cuts the frame instead of
// moving it. CopyMode 1 copies opaquely; any other mode lightens the mask (masked images) or
// blends half (images without a mask half).
void DrawSkinGlyph(TBitmap* Bmp, TPoint P, TzPaintState State, const TzMaskData& Mask, int CopyMode);

// SrcRect of Src (the image half; its mask lies a frame height below) into DstRect of Bmp,
// the smaller of the two sizes: D := (D * M + S * (256 - M)) shr 8 per channel, the mask M
// raised by 100 (at most 255) unless CopyMode is 1; pixels whose image is Key are left alone.
// Without a mask half, a copy leaving out Key.
void CopyMasked(const TRect& DstRect, const TRect& SrcRect, TBitmap* Bmp, const TzMaskData& Mask, int CopyMode,
                TColor Key, TBitmap* Src);
// The copy of DrawSkinRect: D := (G * M + S * (256 - M)) shr 8, G the pixel of the picture
// behind a corner when it is Ready, else the destination's; without a picture, key pixels of
// corners take the backdrop's colour when it is known. Without a mask half, a keyed copy
// whose key pixels of corners show the backdrop.
void CopyByMask(const TRect& DstRect, const TRect& SrcRect, TBitmap* Bmp, const TzMaskData& Mask, bool IsCorner,
                const TzBackdrop& Behind, TBitmap* Src);
// Tiles of Piece (an image half whose mask lies MaskOffset rows below in Src) over Area from
// its top-left, the last ones cut, only where Area meets Clip; each through the masked copy
// against the destination. Nothing for an empty piece.
void TileByMask(TBitmap* Bmp, const TRect& Area, const TRect& Clip, TBitmap* Src, const TRect& Piece, int MaskOffset);

// Some key-colour pixel of the cache lies within the corners (of the set) of the border mask
// drawn over the whole cache.
bool CornersShowKey(TBitmap* Cache, const TzMaskData& Border, TzCorners Corners);
// Those key-colour pixels show the picture behind (the cache's origin at Picture.X,
// Picture.Y), else the backdrop's colour when it is known.
void FillCorners(TBitmap* Cache, const TzMaskData& Border, TzCorners Corners, const TzBackdrop& Behind);
// The same for a control's cache and border: its parent is asked for its picture, else for
// its background colour, and only when a corner shows the key.
void FillCornersFromParent(TzCommonData* SkinData, TzCorners Corners);
void FillAllCornersFromParent(TzCommonData* SkinData);

// The disabled look of a bitmap that lies at P in the parent's picture: grey for dkGrayed;
// for dkBlended, 60 % of the parent's picture under it (a ready 24-bit parent), else half
// way toward Color.
void ApplyDisabledKind(TBitmap* Bmp, TzDisabledKind Kind, TPoint P, const TzCacheInfo& Parent, TColor Color);
// The same blended toward the owner's colour where there is no picture.
void ApplyDisabledKind(TBitmap* Bmp, TzDisabledKind Kind, TControl* Owner, TPoint P, const TzCacheInfo& Parent);

// ---------------------------------------------------------------------------------------
// The check glyph: the one picture of the box of check boxes and radio buttons, skinned
// controls and the adapters of foreign ones alike.

enum TzCheckGlyphKind : uint8_t { cgCheckBox, cgRadioButton };
// The image of "GLOBALINFO" (or of its parents) for a check state (0 unchecked, 1 checked, 2
// indeterminate): "BOXUNCHECKED", "BOXCHECKED", "BOXGRAYED"; a radio button's
// "RADIOUNCHECKED", "RADIOCHECKED", and "BOXGRAYED" too. -1 when the skin has none.
int CheckGlyphIndex(const TSkSkinRecords* Skin, TzCheckGlyphKind Kind, int CheckState);
// The size of one frame of that image: 16 x 16 without one.
TSize CheckGlyphSize(const TSkSkinRecords* Skin, int GlyphIndex);
// The frame of the state (normal, hot, pressed) with its top-left at P, through its mask half;
// nothing without the image.
void DrawCheckGlyph(TBitmap* Bmp, TPoint P, const TSkSkinRecords* Skin, int GlyphIndex, TzPaintState State);

// The nine pieces of the border of the state over D (the centre only with FillCentre);
// key-colour runs of the corners are not painted and are cut out of Region (bitmap
// coordinates) when a region is given.
void PaintMaskRegionBorder(TBitmap* Bmp, const TzMaskData& Mask, TzPaintState State, HRGN Region, const TRect& D,
                           bool FillCentre = false);
// SrcRect of the mask's source (the image half) copied to (X, Y): through the mask half when
// there is one, else as it is; with SkipKey, key-colour pixels are left alone. Nothing for a
// negative X or Y, a destination smaller than 2 x 2 or a mask without a manager.
void CopyMaskRect(TBitmap* Bmp, int X, int Y, const TRect& SrcRect, const TzMaskData& Mask, bool SkipKey = false);
// The key-colour runs, one row each, of the corners of the mask's first frame: the top
// corners (rows 0 .. WT - 1) or, with Bottom, the bottom ones (the last WB rows, counted from
// 0). Runs of the right corner move right by WindowWidth - frame width; all move down by
// YOffset.
void CollectCornerRuns(std::vector<TRect>& List, int WindowWidth, const TzMaskData& Mask, bool Bottom, int YOffset = 0);
