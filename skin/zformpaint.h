// The frame of a skinned form painted into a 24-bit bitmap the size of its window: the form's
// section over the whole (border and corners with a title bar), the size grip, the title bar
// with its icon, caption and buttons, the menu line with the items the frame draws itself,
// the MDI area; and the rectangles its window region leaves out.
//
// The painters read only what they are given: the form's provider gathers the metrics from
// the system and the form, resolves the sections and masks in its manager, and hands them in.
#pragma once

#include "skin/zsectionpaint.h"
#include "skin/zskinpaint.h"

#include <vector>

class TzSkinManager;
class TFont;

// The sizes of a form's frame, in pixels.
struct TzFrameMetrics {
    int Width = 0;            // the window
    int Height = 0;
    int CaptionHeight = 0;    // 0: no title bar
    int BorderWidth = 0;      // the system's frame at the sides
    int BorderHeight = 0;     // and at the top and bottom
    int MenuHeight = 0;       // one line of the menu bar; 0: no menu line
    int MenuLines = 0;
    TRect Client;             // the client area, in window coordinates
    // The title bar's band: the caption and the frame above it.
    int TitleHeight() const { return CaptionHeight + BorderHeight; }
};

// The title icon's size for a caption height: none below 9, 8 up to 16, 16 up to 27, else 32.
int FormIconSize(int CaptionHeight);
// The icon's rectangle: at the left border, centred in the title band.
TRect TitleIconRect(const TzFrameMetrics& M, int IconWidth, int IconHeight);
// The top of the title buttons: centred in the title band, 2 lower for buttons under 16 high.
int TitleButtonTop(const TzFrameMetrics& M, int ButtonHeight);
// The buttons' rectangles for their widths, from the right border leftwards, Spacing apart.
std::vector<TRect> LayoutTitleButtons(const TzFrameMetrics& M, int ButtonHeight, int Spacing,
                                      const std::vector<int>& Widths);
// Where the caption goes: right of the icon (IconWidth 0: none) plus 4, up to 6 left of the
// buttons (ButtonsWidth: the strip they take with their spacing), across the title band.
TRect CaptionTextRect(const TzFrameMetrics& M, int IconWidth, int ButtonsWidth);
// The lines of the menu bar below the title, inside the side borders.
TRect MenuLineRect(const TzFrameMetrics& M);

// ---------------------------------------------------------------------------------------
// Painters

// The form's section over the whole bitmap in the state of the form (psHot while active):
// with a title bar the whole section (background, border, corner images), else its
// background only; then the mask GripMask (-1: none) in its first frame at the bottom right
// inside the borders.
void PaintFormBody(TBitmap* Cache, const TzFrameMetrics& M, const TzSectionSkin& Form, bool Active, int GripMask);
// The title section over the title band, over what the bitmap shows there; then, with
// ButtonsWidth above 0, the mask TitleBarMask behind the strip of buttons (its frame's two
// outer thirds and ButtonsWidth wide, at the right border).
void PaintTitleBar(TBitmap* Cache, const TzFrameMetrics& M, TzSkinManager* Manager, int TitleSection,
                   int TitleBarMask, int ButtonsWidth, bool Active);
// A picture stretched over R, its key-colour pixels left out; else the icon drawn at R's size.
void PaintTitleIcon(TBitmap* Cache, const TRect& R, TBitmap* Glyph, HICON Icon);

// One title button as it is painted.
struct TzTitleButtonLook {
    TRect Rect;
    int Mask = -1;          // the image behind (-1: none)
    int State = 0;          // 0 normal, 1 hot, 2 pressed
    bool Active = true;     // the form is active
    bool Enabled = true;
    TBitmap* Glyph = nullptr;   // a user button's picture, centred; its bottom-left pixel is see-through
};
// The mask's frame of the state at the rectangle's top-left (an inactive form shows the
// mask's fourth frame when it has one); the glyph centred over it. A disabled button, or one
// of an inactive form whose mask has no fourth frame, keeps 40 % of itself over what lay
// beneath.
void PaintTitleButton(TBitmap* Cache, TzSkinManager* Manager, const TzTitleButtonLook& B);
// The caption in the title section's text colours (hot ones while active), one line,
// vertically centred, cut with an ellipsis; nothing for an empty rectangle.
void PaintCaptionText(TBitmap* Cache, const TRect& R, const WideString& Text, TFont* Font, TAlignment Alignment,
                      TzSkinManager* Manager, int TitleSection, bool Active);
// The menu line section over the menu line (MenuLineRect), over what the bitmap shows there.
void PaintMenuLine(TBitmap* Cache, const TzFrameMetrics& M, TzSkinManager* Manager, int Section, bool Active);
// An item of the menu bar that nobody else draws, over the line's picture already in Bmp:
// the section ItemSection in its hot state when Selected (none: -1), then the caption
// centred in the line section's text colours (the item section's hot ones when selected),
// dimmed when disabled; "&" marks the hot key, underlined unless HidePrefix.
void PaintMenuBarItem(TBitmap* Bmp, const TRect& R, const WideString& Caption, TFont* Font, TzSkinManager* Manager,
                      int ItemSection, int LineSection, bool Selected, bool Enabled, bool HidePrefix);
// A section over R, over what the bitmap shows there (the MDI area of an MDI parent).
void PaintSectionOver(TBitmap* Cache, const TRect& R, TzSkinManager* Manager, int Section, bool Active);

// The one-row rectangles the window region leaves out: the key-colour runs of the top
// corners of the form's border (at the top) and of its bottom corners (at the bottom), and
// those of the title section's own border's top corners. Either mask may be missing.
std::vector<TRect> FrameRegionCuts(const TzFrameMetrics& M, const TzMaskData* FormBorder,
                                   const TzMaskData* TitleBorder);
