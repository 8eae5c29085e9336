// What the skinned glyph buttons (bit button, speed button) share about their glyph: its
// size, where it and the caption go, how it is drawn into the cache in each state, and the
// two-frame glyph strip an unskinned button is given from an image list.
#pragma once

#include "classlib/buttons.h"
#include "skin/zskinpaint.h"
#include "skin/zskintextpaint.h"

class TCustomImageList;

// The names of the glyph's disabled looks and of the alignments, for the property tables.
inline const char* const DisabledGlyphKindNames[] = {"dgBlended", "dgGrayed"};
inline const char* const GlyphAlignmentNames[] = {"taLeftJustify", "taRightJustify", "taCenter"};

// The size of one glyph: the strip's frame when it holds a picture, else the image list's
// image size when ImageIndex names an image of it, else (0, 0).
TSize SkinButtonGlyphSize(TBitmap* Glyph, int NumGlyphs, TCustomImageList* Images, int ImageIndex);

// How an enabled glyph looks at rest and how a disabled one looks.
struct TzGlyphLook {
    int Blend = 0;        // percent of the background kept under a resting glyph
    bool Grayed = false;  // a resting glyph is grey
    TzDisabledGlyphKind DisabledGlyphKind = dgBlended;
};

// The glyph at P of the cache for the state (0 resting, 1 hot, 2 pressed): a loaded strip by
// its frames, else the image list's image on its background colour (the key colour for
// none), which is left out.
void DrawSkinButtonGlyph(TBitmap* Cache, TPoint P, TBitmap* Glyph, int NumGlyphs, TCustomImageList* Images,
                         int ImageIndex, int State, bool Enabled, const TzGlyphLook& Look,
                         const TzCacheInfo& Parent = EmptyCacheInfo);

// An unskinned button shows an image-list glyph through its glyph strip: two frames, the
// image and its disabled look (a copy without DisabledGlyphKind; else on the button face,
// grey for dgGrayed, half blended for dgBlended), transparent in the list's background
// colour (the key colour for none). Nothing for an index the list does not have.
void MakeGlyphStrip(TButtonGlyph* Glyph, TCustomImageList* Images, int ImageIndex,
                    TzDisabledGlyphKind DisabledGlyphKind);
