// Captions in a skin section's text colours with their one-pixel outlines, button glyphs in
// their state looks, the placing of a glyph beside a caption, and the small text and image
// helpers the skinned controls share.
//
// A caption is drawn in passes: the outline colours of the left, top, right and bottom sides
// (each only when it is not -1), each with the text moved one pixel toward its side, then the
// text in the font colour. Any hot state takes the section's hot colours. A disabled caption
// has no outline: it is drawn once in 40 % of the font colour over 60 % of the section colour.
#pragma once

#include "classlib/classes.h"
#include "classlib/graphics.h"
#include "skin/zskinpaint.h"
#include "skin/zskinservices.h"

#include <cstdint>

class TzSkinManager;
class TzCommonData;
class TCustomImageList;

// ---------------------------------------------------------------------------------------
// Captions

// How a caption looks, as one value: enabled and normal when none is set.
enum TzTextFlag : uint8_t {
    tfDisabled = 1u << 0,      // no outline, 40 % of the font colour over 60 % of the section colour
    tfHot = 1u << 1,           // the section's hot colours ("WEBBUTTON" underlined)
    tfOwnFontColor = 1u << 2,  // the canvas's font colour kept: one pass, no outlines
};
using TzTextFlags = uint8_t;
constexpr TzTextFlags TextFlags(bool Enabled, bool Hot)
{
    return TzTextFlags((Enabled ? 0 : tfDisabled) | (Hot ? tfHot : 0));
}

// ANSI text drawn with DrawText in R by Format. Nothing without a manager, a valid section
// index or text. The canvas's brush is left clear and its font in the last colour used.
void DrawSkinTextA(TCanvas* Canvas, const AnsiString& Text, TzTextFlags Look, TzSkinManager* Manager,
                   int SectionIndex, UINT Format, TRect R);

// Wide text in a section, drawn with DrawText in R by Format and DT_NOCLIP, clipped to R
// (outlines too). The section "WEBBUTTON" underlines its text when hot.
void DrawSectionTextW(TCanvas* Canvas, const WideString& Text, TzTextFlags Look, TzSkinManager* Manager,
                      int SectionIndex, UINT Format, TRect R);
// The same for a control, in the section of its skin data; a control with CustomFont keeps
// the canvas's font colour.
void DrawSkinTextW(TzCommonData* SkinData, TCanvas* Canvas, const WideString& Text, TzTextFlags Look,
                   UINT Format, TRect R);

// Wide text of a control written with ExtTextOut on one line: horizontally by Alignment in
// R, vertically centred in it. Colours as DrawSkinTextW.
void DrawSkinTextOutW(TzCommonData* SkinData, TCanvas* Canvas, const WideString& Text, TzTextFlags Look,
                      TAlignment Alignment, TRect R);

// Wide text by section index, written with ExtTextOut on one line where DT_CENTER or
// DT_RIGHT and DT_VCENTER or DT_BOTTOM of Format place its extent in R. Nothing without a
// manager, a valid section index or text.
void DrawSkinTextByIndexW(TCanvas* Canvas, const WideString& Text, TzTextFlags Look, TzSkinManager* Manager,
                          int SectionIndex, UINT Format, TRect R);

// The captions of raw windows: ANSI text drawn with DrawText into a DC in the font selected
// there, with a clear background. "WEBBUTTON" underlines its text when hot. The DC's text
// colour, background mode and font are given back as they were.
void DrawSkinTextDCA(HDC DC, const AnsiString& Text, TRect R, UINT Format, TzTextFlags Look,
                     TzSkinManager* Manager, int SectionIndex);

// ---------------------------------------------------------------------------------------
// Glyphs

// How a disabled glyph looks: bits of a set, the same bits as dkBlended (1) and dkGrayed (2).
constexpr uint8_t GlyphDisabledBlended = 1;   // blended half over the background
constexpr uint8_t GlyphDisabledGrayed = 2;    // grey, the key colour kept

// One frame of a push-button glyph strip of NumGlyphs frames side by side, drawn into Dst at
// P. The frame: min(NumGlyphs, 2) - 1 for a disabled button, min(NumGlyphs, 4) - 1 for an
// enabled one in state 2 or more, else the first. The frame's bottom-left pixel is its key
// colour: key pixels leave Dst as it is, or take the parent's image when Parent is Ready.
// Enabled in state 0: Grayed greys the frame, and a BlendPercent of 1 or more blends it over
// Dst keeping that percent of Dst. Disabled: DisabledKind greys and/or blends it half over
// Dst.
void DrawButtonGlyph(TBitmap* Dst, TPoint P, TBitmap* Glyph, int NumGlyphs, int BlendPercent,
                     TzPaintState State, uint8_t DisabledKind, bool Grayed, bool Enabled,
                     const TzCacheInfo& Parent = EmptyCacheInfo);

// Layouts of a glyph beside a caption.
enum : int { glGlyphLeft = 0, glGlyphRight = 1, glGlyphTop = 2, glGlyphBottom = 3 };

// Places a button's glyph and caption inside Client. TextBounds comes in as (0, 0, text
// width, text height) and goes out in Client's coordinates, as does GlyphPos. DT_RIGHT in
// BiDiFlags swaps the left and right layouts. Margin -1 centres the pair (or, with Spacing
// -1 too, spreads glyph and text evenly); Spacing -1 with a margin puts the text midway in
// what is left. Spacing counts only when there are both text and glyph.
void CalcGlyphAndTextLayout(const TRect& Client, TPoint GlyphSize, UINT BiDiFlags,
                            TRect& TextBounds, TPoint& GlyphPos, int Spacing, int Margin,
                            TAlignment Alignment, int Layout);

// The distance from the glyph's side of a button: Margin + 3, or 0 for a margin of -1.
constexpr int GlyphMarginOffset(int Margin) { return Margin < 0 ? 0 : Margin + 3; }

// Where a glyph and a caption of these sizes go in Area: the glyph Margin offset from its
// side (GlyphMarginOffset), Spacing between the two, the pair placed by Alignment along the
// layout's axis and centred across it; in the reading order's flags (DT_RIGHT swaps left and
// right) and one pixel down and right when pressed. Spacing counts only when there are both.
struct TzGlyphPlaces {
    TRect Glyph;
    TRect Text;
};
TzGlyphPlaces PlaceGlyphAndCaption(const TRect& Area, TSize GlyphSize, TSize TextSize, int Layout, int Margin,
                                   int Spacing, TAlignment Alignment, UINT BiDiFlags, bool Pressed);
// The layout of a button with a glyph beside its caption, a skinned one or a foreign one
// alike: the caption (none when empty) measured in the canvas's font with CaptionFlags, wrapped
// in what the glyph, its spacing and the margins leave of the width when it stands beside the
// glyph; then both placed by PlaceGlyphAndCaption.
TzGlyphPlaces PlaceButtonGlyph(const TRect& Area, TSize GlyphSize, TCanvas* Canvas, const WideString& Caption,
                               UINT CaptionFlags, int Layout, int Margin, int Spacing, TAlignment Alignment,
                               UINT BiDiFlags, bool Pressed);

// Image Index of the list in Bmp, made 24-bit of the list's image size over the list's
// background colour (the key colour when it has none).
void ImageListToBitmap(TCustomImageList* List, int Index, TBitmap* Bmp);

// Mixes Color into R of a 24-bit bitmap: Percent of it inside a rounded rectangle whose
// corners have a radius of Steps and whose edge fades in over Steps pixels.
void BlendRoundRect(TBitmap* Bmp, TRect R, int Percent, int Steps, TColor Color);

// SrcR of a skin image with its mask half right below it (mask pixel of (x, y) at
// (x, y + SrcR height)) into DstR of a 24-bit bitmap: D := ((D - S) * M + S * 256) shr 8.
// Pixels of the key colour are left alone, or take the parent's image at the same place
// when UseParent and Parent is Ready. Clipped to both bitmaps and to DstR.
void CopyByMaskWithParent(TRect DstR, TRect SrcR, TBitmap* Dst, bool UseParent,
                          const TzCacheInfo& Parent, TBitmap* Src);

// ---------------------------------------------------------------------------------------
// Text measuring and writing

// DrawText of wide text on the canvas (the ANSI call on systems without wide calls);
// returns the text's height.
int DrawWideText(TCanvas* Canvas, const WideString& Text, TRect& R, UINT Flags);
// The width and height of one line of wide text in the canvas's font.
TSize GetWideTextSize(TCanvas* Canvas, const WideString& Text);
// The extent of text in a font on the screen; (0, 0) when it cannot be measured.
TSize GetFontTextExtent(HFONT Font, const WideString& Text);
