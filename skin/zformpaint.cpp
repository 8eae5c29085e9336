#include "skin/zformpaint.h"

#include "classlib/gdihandles.h"
#include "skin/zgraphics.h"
#include "skin/zskinmanager.h"
#include "skin/zskintextpaint.h"

#include <algorithm>

// ---------------------------------------------------------------------------------------
// Geometry

int FormIconSize(int CaptionHeight)
{
    if (CaptionHeight < 9)
        return 0;
    if (CaptionHeight <= 16)
        return 8;
    if (CaptionHeight <= 27)
        return 16;
    return 32;
}

TRect TitleIconRect(const TzFrameMetrics& M, int IconWidth, int IconHeight)
{
    const int top = (M.TitleHeight() - IconHeight) / 2;
    return TRect(M.BorderWidth, top, M.BorderWidth + IconWidth, top + IconHeight);
}

int TitleButtonTop(const TzFrameMetrics& M, int ButtonHeight)
{
    return (M.TitleHeight() - ButtonHeight) / 2 + (ButtonHeight < 16 ? 2 : 0);
}

std::vector<TRect> LayoutTitleButtons(const TzFrameMetrics& M, int ButtonHeight, int Spacing,
                                      const std::vector<int>& Widths)
{
    std::vector<TRect> out;
    const int top = TitleButtonTop(M, ButtonHeight);
    int x = M.Width - M.BorderWidth;
    for (int w : Widths) {
        out.push_back(TRect(x - w, top, x, top + ButtonHeight));
        x -= w + Spacing;
    }
    return out;
}

TRect CaptionTextRect(const TzFrameMetrics& M, int IconWidth, int ButtonsWidth)
{
    const int left = M.BorderWidth + IconWidth + 4;
    const int right = M.Width - M.BorderWidth - ButtonsWidth - 6;
    if (right <= left || M.CaptionHeight <= 0)
        return TRect();
    return TRect(left, 0, right, M.TitleHeight());
}

TRect MenuLineRect(const TzFrameMetrics& M)
{
    if (M.MenuHeight <= 0 || M.MenuLines <= 0)
        return TRect();
    const int top = M.TitleHeight();
    return TRect(M.BorderWidth, top, M.Width - M.BorderWidth, top + M.MenuLines * M.MenuHeight);
}

// ---------------------------------------------------------------------------------------
// Painters

namespace {

TzPaintState StateOf(bool Active) { return Active ? psHot : psNormal; }

// The bitmap's own picture, for sections painted over what it already shows.
TzBackdrop Itself(TBitmap* Bmp) { return TzBackdrop(MakeCacheInfo(Bmp, 0, 0)); }

bool ValidMask(TzSkinManager* Manager, int Mask) { return Manager && Manager->IsValidMaskIndex(Mask); }

// A 24-bit pixel as 0x00BBGGRR; the key colour outside the bitmap.
TColor PixelOf(TBitmap* Bmp, int X, int Y)
{
    TSkPixelRows rows;
    if (!PixelRowsOf(Bmp, rows) || !rows.Contains(X, Y))
        return SkinKeyColor;
    const uint8_t* p = rows.At(X, Y);
    return TColor(p[2] | (p[1] << 8) | (p[0] << 16));
}

} // namespace

void PaintFormBody(TBitmap* Cache, const TzFrameMetrics& M, const TzSectionSkin& Form, bool Active, int GripMask)
{
    if (!PaintableBitmap(Cache) || !Form.Manager || !Form.Manager->IsValidSkinIndex(Form.Section))
        return;
    const TRect all(0, 0, Cache->Width(), Cache->Height());
    if (M.CaptionHeight > 0)
        PaintSkinSection(Form, TzBackdrop(), bfFillCentre, Cache, TPoint(), all, StateOf(Active));
    else
        PaintSectionBackground(Form, TzBackdrop(), StateOf(Active), Cache, TPoint(), all);
    if (ValidMask(Form.Manager, GripMask)) {
        const TzMaskData& grip = Form.Manager->Mask(GripMask);
        const TSize f = MaskFrame(grip);
        DrawSkinGlyph(Cache, TPoint(M.Width - M.BorderWidth - f.cx, M.Height - M.BorderHeight - f.cy), psNormal, grip, 1);
    }
}

void PaintTitleBar(TBitmap* Cache, const TzFrameMetrics& M, TzSkinManager* Manager, int TitleSection,
                   int TitleBarMask, int ButtonsWidth, bool Active)
{
    if (!PaintableBitmap(Cache) || !Manager || M.CaptionHeight <= 0)
        return;
    PaintSectionByIndex(TitleSection, Manager, Cache, Itself(Cache), TRect(0, 0, M.Width, M.TitleHeight()),
                        StateOf(Active), true);
    if (ButtonsWidth <= 0 || !ValidMask(Manager, TitleBarMask))
        return;
    const TzMaskData& bar = Manager->Mask(TitleBarMask);
    const int w = 2 * (MaskFrame(bar).cx / 3) + ButtonsWidth;
    const int right = M.Width - M.BorderWidth;
    DrawSkinRect(Cache, TRect(right - w, 0, right, M.TitleHeight()), bfFillCentre | bfKeysShowParent,
                 StateOf(Active), bar, Itself(Cache));
}

void PaintTitleIcon(TBitmap* Cache, const TRect& R, TBitmap* Glyph, HICON Icon)
{
    if (!PaintableBitmap(Cache) || R.Width() < 1 || R.Height() < 1)
        return;
    if (Glyph && !Glyph->Empty()) {
        auto work = CreateBmp24(std::max(2, R.Width()), std::max(2, R.Height()));
        {
            TBitmap source;
            source.Assign(Glyph);
            source.SetPixelFormat(pf24bit);
            StretchBmpRect(work.get(), TRect(0, 0, R.Width(), R.Height()), &source,
                           TRect(0, 0, source.Width(), source.Height()), TRect(0, 0, R.Width(), R.Height()));
        }
        CopyKeyed(Cache, work.get(), R.Left, SkinKeyColor, TRect(0, 0, R.Width(), R.Height()), R.Top);
        return;
    }
    if (Icon)
        DrawIconEx(Cache->Canvas()->Handle(), R.Left, R.Top, Icon, R.Width(), R.Height(), 0, nullptr, DI_NORMAL);
}

void PaintTitleButton(TBitmap* Cache, TzSkinManager* Manager, const TzTitleButtonLook& B)
{
    if (!PaintableBitmap(Cache) || B.Rect.Width() < 1 || B.Rect.Height() < 1)
        return;
    const TRect r = B.Rect;
    const bool masked = ValidMask(Manager, B.Mask);
    const bool ownInactive = masked && !B.Active && FrameCount(Manager->Mask(B.Mask)) >= 4;
    const bool dimmed = !B.Enabled || (!B.Active && !ownInactive);
    // A dimmed button is drawn apart and laid over what lies beneath.
    std::unique_ptr<TBitmap> apart;
    TBitmap* target = Cache;
    TPoint at(r.Left, r.Top);
    if (dimmed) {
        apart = CreateBmp24(std::max(2, r.Width()), std::max(2, r.Height()));
        CopyBmpRect(apart.get(), 0, 0, r, Cache);
        target = apart.get();
        at = TPoint(0, 0);
    }
    if (masked)
        DrawSkinGlyph(target, at, TzPaintState(ownInactive ? 3 : B.State), Manager->Mask(B.Mask), 1);
    if (B.Glyph && !B.Glyph->Empty()) {
        TBitmap glyph;
        glyph.Assign(B.Glyph);
        glyph.SetPixelFormat(pf24bit);
        const int gw = glyph.Width(), gh = glyph.Height();
        const TColor key = PixelOf(&glyph, 0, gh - 1);
        CopyKeyed(target, &glyph, at.X + (r.Width() - gw) / 2, key, TRect(0, 0, gw, gh), at.Y + (r.Height() - gh) / 2);
    }
    if (dimmed) {
        ApplyDisabledKind(apart.get(), dkBlended, TPoint(r.Left, r.Top), MakeCacheInfo(Cache, 0, 0), SkinKeyColor);
        CopyBmpRect(Cache, r.Left, r.Top, TRect(0, 0, r.Width(), r.Height()), apart.get());
    }
}

void PaintCaptionText(TBitmap* Cache, const TRect& R, const WideString& Text, TFont* Font, TAlignment Alignment,
                      TzSkinManager* Manager, int TitleSection, bool Active)
{
    if (!PaintableBitmap(Cache) || R.IsEmpty() || Text.empty() || !Manager || !Manager->IsValidSkinIndex(TitleSection))
        return;
    static const UINT align[] = {DT_LEFT, DT_RIGHT, DT_CENTER};
    TCanvas* canvas = Cache->Canvas();
    if (Font)
        canvas->Font()->Assign(Font);
    DrawSectionTextW(canvas, Text, TextFlags(true, Active), Manager, TitleSection,
                     align[std::min<int>(Alignment, 2)] | DT_SINGLELINE | DT_VCENTER | DT_END_ELLIPSIS | DT_NOPREFIX, R);
}

void PaintMenuLine(TBitmap* Cache, const TzFrameMetrics& M, TzSkinManager* Manager, int Section, bool Active)
{
    const TRect r = MenuLineRect(M);
    if (!PaintableBitmap(Cache) || r.IsEmpty())
        return;
    PaintSectionOver(Cache, r, Manager, Section, Active);
}

void PaintSectionOver(TBitmap* Cache, const TRect& R, TzSkinManager* Manager, int Section, bool Active)
{
    if (!PaintableBitmap(Cache) || R.Width() < 2 || R.Height() < 2 || !Manager || !Manager->IsValidSkinIndex(Section))
        return;
    // In a bitmap of its own, so that the section's border frames this rectangle.
    TBitmap* part = WorkBitmap(wbSectionToDC, R.Width(), R.Height());
    PaintSectionByIndex(Section, Manager, part, TzBackdrop(MakeCacheInfo(Cache, R.Left, R.Top)),
                        TRect(0, 0, R.Width(), R.Height()), StateOf(Active), true);
    CopyBmpRect(Cache, R.Left, R.Top, TRect(0, 0, R.Width(), R.Height()), part);
}

void PaintMenuBarItem(TBitmap* Bmp, const TRect& R, const WideString& Caption, TFont* Font, TzSkinManager* Manager,
                      int ItemSection, int LineSection, bool Selected, bool Enabled, bool HidePrefix)
{
    if (!PaintableBitmap(Bmp) || R.Width() < 1 || R.Height() < 1 || !Manager)
        return;
    if (Selected && Enabled && Manager->IsValidSkinIndex(ItemSection))
        PaintSectionOver(Bmp, R, Manager, ItemSection, true);
    const int textSection = Selected && Manager->IsValidSkinIndex(ItemSection) ? ItemSection : LineSection;
    TCanvas* canvas = Bmp->Canvas();
    if (Font)
        canvas->Font()->Assign(Font);
    DrawSectionTextW(canvas, Caption, TextFlags(Enabled, Selected), Manager, textSection,
                     DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_EXPANDTABS | (HidePrefix ? DT_HIDEPREFIX : 0), R);
}

std::vector<TRect> FrameRegionCuts(const TzFrameMetrics& M, const TzMaskData* FormBorder, const TzMaskData* TitleBorder)
{
    std::vector<TRect> cuts;
    if (FormBorder) {
        CollectCornerRuns(cuts, M.Width, *FormBorder, false, 0);
        CollectCornerRuns(cuts, M.Width, *FormBorder, true, M.Height - FormBorder->WB);
    }
    if (TitleBorder)
        CollectCornerRuns(cuts, M.Width, *TitleBorder, false, 0);
    return cuts;
}
