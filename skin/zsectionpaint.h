// A skin section painted into a 24-bit bitmap for a state: its colour, its transparency over
// the parent's picture, its gradient and texture, its border and its corner images.
//
// What lies behind (TzBackdrop): the picture's X and Y say where the painted bitmap's origin
// lies in the parent's picture. Routines that also take an Offset move it by that much first
// (a parent answers with its own origin, the control adds its position). Any state but
// psNormal paints the section's hot values. The painters read only what they are given.
#pragma once

#include "skin/zgradient.h"
#include "skin/zgraphics.h"
#include "skin/zskindata.h"
#include "skin/zskinpaint.h"
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

// The skin records a control's section is painted from: the manager, the section and the
// images resolved in it (-1: none), and the colour the control keeps of its own
// (SkinKeyColor: the section's).
struct TzSectionSkin {
    TzSkinManager* Manager = nullptr;
    int Section = -1;
    int Border = -1;       // "BORDERSMASK"
    int Texture = -1;      // "PATTERN"
    int HotTexture = -1;   // "HOTPATTERN"
    TColor OwnColor = SkinKeyColor;
};

// The whole section over D: the background, the border mask (except for the section
// "MENUITEM" in state 0) and the corner images. Nothing without a section, or when D does not
// lie inside the bitmap. A bitmap one pixel wide or high is painted too (its border is not:
// a border needs 2 x 2).
void PaintSkinSection(const TzSectionSkin& Skin, const TzBackdrop& Behind, TzBorderFlags Flags, TBitmap* Bmp,
                      TPoint Offset, const TRect& D, TzPaintState State);
// The same for a control: its skin data's records (CustomColor, when not SkinKeyColor, for
// its own colour) over the parent's picture given, the parent asked for its colour where the
// picture is missing or not needed.
void PaintSkinSection(TzCommonData* SkinData, const TzCacheInfo& Parent, TzBorderFlags Flags, TColor CustomColor,
                      TBitmap* Bmp, TPoint Offset, const TRect& D, TzPaintState State);
// The background of the section alone.
void PaintSectionBackground(const TzSectionSkin& Skin, const TzBackdrop& Behind, TzPaintState State, TBitmap* Bmp,
                            TPoint Offset, const TRect& D);
void PaintSectionBackground(TzCommonData* SkinData, const TzCacheInfo& Parent, TzPaintState State, TColor Color,
                            TBitmap* Bmp, TPoint Offset, const TRect& D);
// The background of a section over D (cut to the bitmap): the fill, shown through by what
// lies behind as much as the section's transparency says, and in state 0 a see-through
// texture over it. Color replaces the section's colour unless it is SkinKeyColor; a texture
// index of -1 takes the section's "PATTERN" ("HOTPATTERN"). Nothing without a manager.
void PaintSectionBackgroundEx(int SectionIndex, const TzBackdrop& Behind, TColor Color, int HotTexture, int Texture,
                              TzSkinManager* Manager, TBitmap* Bmp, TPoint Offset, const TRect& D, TzPaintState State);
// Colour, texture and gradient over D: the texture kept ImagePercent, the gradient laid over
// it, then tinted toward the colour by what the two percentages leave. Percentages are taken
// in 0..100.
void PaintSectionFill(TBitmap* Bmp, const TRect& D, TColor Color, int ImagePercent, int GradientPercent,
                      const TzGradArray& Gradient, const TzSectionTexture& Texture, const TzBackdrop& Behind);
// Background and border of a section by its index (no corner images).
void PaintSectionByIndex(int SectionIndex, TzSkinManager* Manager, TBitmap* Bmp, const TzBackdrop& Behind,
                         const TRect& D, TzPaintState State, bool FillCentre, TColor Color = SkinKeyColor);
// The same painted in a bitmap of R's size (the backdrop placed for it) and copied to R of DC.
void PaintSectionToDC(int SectionIndex, TzSkinManager* Manager, HDC DC, const TRect& R, const TzBackdrop& Behind,
                      TzPaintState State, bool FillCentre);
// Background only, and the whole section, with the bitmap's origin at ParentPos of a parent
// picture given directly (none: no parent).
void PaintBgWithParent(int SectionIndex, TzSkinManager* Manager, TBitmap* Bmp, const TRect& D, TzPaintState State,
                       TBitmap* ParentImage, TPoint ParentPos);
void PaintSectionOverParent(int SectionIndex, TzSkinManager* Manager, TBitmap* Bmp, const TRect& D,
                            TzPaintState State, TBitmap* ParentImage, TPoint ParentPos, bool FillCentre);

// A picture tiled over D; D then covers nothing more: (-1, -1, -1, -1).
void DrawPattern(TBitmap* Bmp, TRect& D, TGraphic* Pattern);
// A skin image without mask half over D by mode: 0 tiled, 1 stretched, 2 / 6 tiled along the
// top / bottom edge, 3 / 7 along the left / right edge, 4 / 5 stretched along the top / left
// edge, 10 whole rows of tiles. D becomes what is left to cover ((-1, -1, -1, -1) for none);
// other modes and empty images draw nothing and leave D.
void DrawPattern(TBitmap* Bmp, TRect& D, const TzMaskData& Mask, int Mode);
// A skin image with a mask half tiled over D through its mask: mode 0 every tile, the last
// ones cut; mode 10 whole tiles only, the strips left at the right and bottom showing the
// picture behind, else the backdrop's colour when it is known.
void DrawTexture(TBitmap* Bmp, const TRect& D, const TzBackdrop& Behind, int Mode, const TzMaskData& Mask);
