// A skin section painted into a 24-bit bitmap for a state: its colour, its transparency over
// the parent's picture, its gradient and texture, its border and its corner images.
//
// Parent pictures: a TzCacheInfo's X and Y say where the painted bitmap's origin lies in the
// parent's picture. Routines that also take an Offset move it by that much first (a parent
// answers with its own origin, the control adds its position). The state is 0 for normal;
// any other state paints the section's hot values.
#pragma once

#include "skin/zgradient.h"
#include "skin/zskindata.h"
#include "skin/zskinservices.h"

class TzCommonData;
class TzSkinManager;

// What a section's fill is textured with: a picture of the patterns list (tiled as it is),
// or an image of the skin (by its DrawMode; through its mask half when it has one).
struct TzSectionTexture {
    TGraphic* Pattern = nullptr;
    const TzMaskData* Mask = nullptr;
    bool Empty() const { return !Pattern && !Mask; }
};

// The whole section of a control over D: the background, the border mask (except for the
// section "MENUITEM" in state 0) and the corner images. While it paints, the shared parent
// and replacement colours hold the parent's colour where the parent has no picture; both are
// reset afterwards. CustomColor replaces the section's colour unless it is SkinKeyColor.
// Nothing without a section, or when D does not lie inside the bitmap.
void PaintSkinSection(TzCommonData* SkinData, const TzCacheInfo& Parent, bool FillCentre, TColor CustomColor,
                      bool UseParentForKeys, TBitmap* Bmp, TPoint Offset, const TRect& D, int State);
// The background of the control's section; a control that keeps its own colour paints with
// it (a provider with its form's colour).
void PaintSectionBackground(TzCommonData* SkinData, const TzCacheInfo& Parent, int State, TColor Color,
                            TBitmap* Bmp, TPoint Offset, const TRect& D);
// The background of a section over D (cut to the bitmap): the fill, shown through by the
// parent's picture as much as the section's transparency says, and in state 0 a see-through
// texture over it. Color replaces the section's colour unless it is SkinKeyColor; a texture
// index of -1 takes the section's "PATTERN" ("HOTPATTERN"). No manager: the default one.
void PaintSectionBackgroundEx(int SectionIndex, const TzCacheInfo& Parent, TColor Color, int HotTexture,
                              int Texture, TzSkinManager* Manager, TBitmap* Bmp, TPoint Offset, const TRect& D,
                              int State);
// Colour, texture and gradient over D: the texture kept ImagePercent, the gradient laid over
// it, then tinted toward the colour by what the two percentages leave. Percentages are taken
// in 0..100.
void PaintSectionFill(TBitmap* Bmp, const TRect& D, TColor Color, int ImagePercent, int GradientPercent,
                      const TzGradArray& Gradient, const TzSectionTexture& Texture, const TzCacheInfo& Parent);
// Background and border of a section by its index (no corner images); the shared colours are
// the caller's.
void PaintSectionByIndex(int SectionIndex, TzSkinManager* Manager, TBitmap* Bmp, const TzCacheInfo& Parent,
                         const TRect& D, int State, bool FillCentre, TColor Color = SkinKeyColor);
// The same painted in a bitmap of R's size (the parent placed for it) and copied to R of DC.
void PaintSectionToDC(int SectionIndex, TzSkinManager* Manager, HDC DC, const TRect& R, const TzCacheInfo& Parent,
                      int State, bool FillCentre);
// Background only, and the whole section, with the bitmap's origin at ParentPos of a parent
// picture given directly (none: no parent).
void PaintBgWithParent(int SectionIndex, TzSkinManager* Manager, TBitmap* Bmp, const TRect& D, int State,
                       TBitmap* ParentImage, TPoint ParentPos);
void PaintSectionOverParent(int SectionIndex, TzSkinManager* Manager, TBitmap* Bmp, const TRect& D, int State,
                            TBitmap* ParentImage, TPoint ParentPos, bool FillCentre);

// A picture tiled over D; D then covers nothing more: (-1, -1, -1, -1).
void DrawPattern(TBitmap* Bmp, TRect& D, TGraphic* Pattern);
// A skin image without mask half over D by mode: 0 tiled, 1 stretched, 2 / 6 tiled along the
// top / bottom edge, 3 / 7 along the left / right edge, 4 / 5 stretched along the top / left
// edge, 10 whole rows of tiles. D becomes what is left to cover ((-1, -1, -1, -1) for none);
// other modes and empty images draw nothing and leave D.
void DrawPattern(TBitmap* Bmp, TRect& D, const TzMaskData& Mask, int Mode);
// A skin image with a mask half tiled over D through its mask: mode 0 every tile, the last
// ones cut; mode 10 whole tiles only, the strips left at the right and bottom showing the
// parent's picture, or the shared replacement colour when it is set.
void DrawTexture(TBitmap* Bmp, const TRect& D, const TzCacheInfo& Parent, int Mode, const TzMaskData& Mask);
