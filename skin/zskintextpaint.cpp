#include "classlib/gdihandles.h"
#include "skin/zskintextpaint.h"

#include "classlib/imglist.h"
#include "skin/zgraphics.h"
#include "skin/zskinmanager.h"
#include "unicode/ucgraphics.h"
#include "unicode/ucsysutils.h"

#include <algorithm>
#include <cmath>

namespace {

const TzGeneralData* SectionOf(const TzSkinManager* Manager, int Index)
{
    return Manager && Manager->IsValidSkinIndex(Index) ? &Manager->Section(Index) : nullptr;
}

bool Underlined(const TzGeneralData& S, TzTextFlags Look) { return (Look & tfHot) && S.ClassName == "WEBBUTTON"; }

TRect Moved(const TRect& R, int DX, int DY) { return TRect(R.Left + DX, R.Top + DY, R.Right + DX, R.Bottom + DY); }

// The passes of a caption, each as (dx, dy, colour): the outlines of the state's colours that
// are set, then the text; a disabled caption is one pass in a colour near the background, and
// one that keeps its own colour one pass in the canvas's.
template <class Pass> void ForEachTextPass(const TzGeneralData& S, TCanvas* Canvas, TzTextFlags Look, Pass Draw)
{
    if (Look & tfOwnFontColor) {
        Draw(0, 0, Canvas->Font()->Color());
        return;
    }
    if (Look & tfDisabled) {
        Draw(0, 0, MixColors(S.FontColor, S.Color, 0.4));
        return;
    }
    const bool Hot = Look & tfHot;
    const int32_t outline[4] = {Hot ? S.HotTCLeft : S.TCLeft, Hot ? S.HotTCTop : S.TCTop,
                                Hot ? S.HotTCRight : S.TCRight, Hot ? S.HotTCBottom : S.TCBottom};
    static constexpr int dx[4] = {-1, 0, 1, 0};
    static constexpr int dy[4] = {0, -1, 0, 1};
    for (int i = 0; i < 4; ++i)
        if (outline[i] != -1)
            Draw(dx[i], dy[i], TColor(outline[i]));
    Draw(0, 0, TColor(Hot ? S.HotFontColor : S.FontColor));
}

// The canvas font underlined for the length of a scope.
class TUnderlineScope {
public:
    TUnderlineScope(TFont* Font, bool On) : FFont(On ? Font : nullptr), FOld(Font->Style())
    {
        if (FFont)
            FFont->SetStyle(FOld | fsUnderline);
    }
    ~TUnderlineScope()
    {
        if (FFont)
            FFont->SetStyle(FOld);
    }
    TUnderlineScope(const TUnderlineScope&) = delete;
    TUnderlineScope& operator=(const TUnderlineScope&) = delete;

private:
    TFont* FFont;
    TFontStyles FOld;
};

// Where an extent stands in R: Horz 0 left, 1 right, 2 centre; Vert 0 top, 1 bottom, 2 centre.
TPoint PlaceExtent(const TRect& R, TSize Extent, int Horz, int Vert)
{
    auto at = [](int Lo, int Hi, int Size, int How) {
        return How == 1 ? Hi - Size : How == 2 ? Lo + (Hi - Lo - Size) / 2 : Lo;
    };
    return TPoint(at(R.Left, R.Right, Extent.cx, Horz), at(R.Top, R.Bottom, Extent.cy, Vert));
}

TColor PixelOf(TBitmap* Bmp, int X, int Y)
{
    const uint8_t* p = static_cast<const uint8_t*>(Bmp->ScanLine(Y)) + X * 3;
    return TColor(p[2] | (p[1] << 8) | (p[0] << 16));
}

// A 24-bit picture of Src, or Src itself when it is one.
TBitmap* As24(TBitmap* Src, std::unique_ptr<TBitmap>& Holder)
{
    if (Src->PixelFormat() == pf24bit)
        return Src;
    Holder = std::make_unique<TBitmap>();
    Holder->Assign(Src);
    Holder->SetPixelFormat(pf24bit);
    return Holder.get();
}

} // namespace

// ---------------------------------------------------------------------------------------
// Captions

void DrawSkinTextA(TCanvas* Canvas, const AnsiString& Text, TzTextFlags Look, TzSkinManager* Manager,
                   int SectionIndex, UINT Format, TRect R)
{
    const TzGeneralData* s = SectionOf(Manager, SectionIndex);
    if (!s || !Canvas || Text.empty())
        return;
    Canvas->Brush()->SetStyle(bsClear);
    ForEachTextPass(*s, Canvas, Look & ~tfOwnFontColor, [&](int DX, int DY, TColor C) {
        Canvas->Font()->SetColor(C);
        TRect r = Moved(R, DX, DY);
        DrawTextA(Canvas->Handle(), Text.c_str(), int(Text.size()), r.Win(), Format);
    });
}

void DrawSectionTextW(TCanvas* Canvas, const WideString& Text, TzTextFlags Look, TzSkinManager* Manager,
                      int SectionIndex, UINT Format, TRect R)
{
    const TzGeneralData* s = SectionOf(Manager, SectionIndex);
    if (!s || !Canvas || Text.empty())
        return;
    Canvas->Brush()->SetStyle(bsClear);
    TUnderlineScope underline(Canvas->Font(), Underlined(*s, Look));
    TClipScope clip(Canvas->Handle(), R);
    ForEachTextPass(*s, Canvas, Look, [&](int DX, int DY, TColor C) {
        Canvas->Font()->SetColor(C);
        TRect r = Moved(R, DX, DY);
        DrawTextWide(Canvas->Handle(), Text.c_str(), int(Text.size()), r.Win(), Format | DT_NOCLIP);
    });
}

void DrawSkinTextByIndexW(TCanvas* Canvas, const WideString& Text, TzTextFlags Look, TzSkinManager* Manager,
                          int SectionIndex, UINT Format, TRect R)
{
    const TzGeneralData* s = SectionOf(Manager, SectionIndex);
    if (!s || !Canvas || Text.empty())
        return;
    const int horz = (Format & DT_CENTER) ? 2 : (Format & DT_RIGHT) ? 1 : 0;
    const int vert = (Format & DT_VCENTER) ? 2 : (Format & DT_BOTTOM) ? 1 : 0;
    const TPoint at = PlaceExtent(R, CanvasTextExtentWide(Canvas, Text), horz, vert);
    Canvas->Brush()->SetStyle(bsClear);
    ForEachTextPass(*s, Canvas, Look, [&](int DX, int DY, TColor C) {
        Canvas->Font()->SetColor(C);
        CanvasTextOutWide(Canvas, at.X + DX, at.Y + DY, Text);
    });
}

void DrawSkinTextDCA(HDC DC, const AnsiString& Text, TRect R, UINT Format, TzTextFlags Look,
                     TzSkinManager* Manager, int SectionIndex)
{
    const TzGeneralData* s = SectionOf(Manager, SectionIndex);
    if (!s || !DC || Text.empty())
        return;
    TOwnedFont underlined;
    if (Underlined(*s, Look)) {
        LOGFONTA lf{};
        if (GetObjectA(GetCurrentObject(DC, OBJ_FONT), sizeof(lf), &lf) > 0) {
            lf.lfUnderline = TRUE;
            underlined.Reset(CreateFontIndirectA(&lf));
        }
    }
    // The font selected last is given back first: the scope ends before the font is freed.
    TSelectObject font(DC, underlined ? underlined.Handle() : GetCurrentObject(DC, OBJ_FONT));
    const int oldMode = SetBkMode(DC, TRANSPARENT);
    const COLORREF oldColor = GetTextColor(DC);
    ForEachTextPass(*s, nullptr, Look & ~tfOwnFontColor, [&](int DX, int DY, TColor C) {
        SetTextColor(DC, COLORREF(ColorToRGB(C)));
        TRect r = Moved(R, DX, DY);
        DrawTextA(DC, Text.c_str(), int(Text.size()), r.Win(), Format);
    });
    SetTextColor(DC, oldColor);
    SetBkMode(DC, oldMode);
}

// ---------------------------------------------------------------------------------------
// Glyphs

void DrawButtonGlyph(TBitmap* Dst, TPoint P, TBitmap* Glyph, int NumGlyphs, int BlendPercent,
                     TzPaintState State, uint8_t DisabledKind, bool Grayed, bool Enabled, const TzCacheInfo& Parent)
{
    if (!Dst || !Glyph || Glyph->Empty())
        return;
    const int n = std::max(NumGlyphs, 1);
    const int fw = Glyph->Width() / n, fh = Glyph->Height();
    if (fw < 1)
        return;
    const int frame = !Enabled ? std::min(n, 2) - 1 : State >= psPressed ? std::min(n, 4) - 1 : 0;
    auto work = CreateBmp24(fw, fh);
    BitBlt(work->Canvas()->Handle(), 0, 0, fw, fh, Glyph->Canvas()->Handle(), frame * fw, 0, SRCCOPY);
    const TColor key = PixelOf(work.get(), 0, fh - 1);
    const TRect all(0, 0, fw, fh);

    // Greying keeps the key colour: a grey key would no longer be transparent.
    bool grey, blend;
    double keep = 0.5;
    if (Enabled) {
        grey = State == psNormal && Grayed;
        blend = State == psNormal && BlendPercent >= 1;
        keep = std::min(BlendPercent, 100) / 100.0;
    } else {
        grey = DisabledKind & GlyphDisabledGrayed;
        blend = DisabledKind & GlyphDisabledBlended;
    }
    if (grey)
        GrayscaleExceptColor(work.get(), key);
    if (blend)
        BlendBmpRect(Dst, P.X, P.Y, key, keep, all, work.get());
    else
        CopyKeyedWithParent(Dst, work.get(), P.X, Parent.Ready, Parent, key, all, P.Y);
}

TzGlyphPlaces PlaceGlyphAndCaption(const TRect& Area, TSize GlyphSize, TSize TextSize, int Layout, int Margin,
                                   int Spacing, TAlignment Alignment, UINT BiDiFlags, bool Pressed)
{
    TRect text(0, 0, TextSize.cx, TextSize.cy);
    TPoint glyph;
    // Without a glyph the caption is placed alone, and the other way round.
    if (TextSize.cx == 0 || GlyphSize.cx == 0)
        Spacing = 0;
    CalcGlyphAndTextLayout(Area, TPoint(GlyphSize.cx, GlyphSize.cy), BiDiFlags, text, glyph, Spacing,
                           GlyphMarginOffset(Margin), Alignment, Layout);
    const int shift = Pressed ? 1 : 0;
    return TzGlyphPlaces{Bounds(glyph.X + shift, glyph.Y + shift, GlyphSize.cx, GlyphSize.cy),
                         Bounds(text.Left + shift, text.Top + shift, text.Width(), text.Height())};
}

TzGlyphPlaces PlaceButtonGlyph(const TRect& Area, TSize GlyphSize, TCanvas* Canvas, const WideString& Caption,
                               UINT CaptionFlags, int Layout, int Margin, int Spacing, TAlignment Alignment,
                               UINT BiDiFlags, bool Pressed)
{
    const bool both = GlyphSize.cx > 0 && !Caption.empty();
    const int spacing = both ? Spacing : 0;
    // The caption wraps in what the glyph and the margins leave of the width.
    int room = Area.Width() - 2 * GlyphMarginOffset(Margin) - 4;
    if (Layout == glGlyphLeft || Layout == glGlyphRight)
        room -= GlyphSize.cx + std::max(0, spacing);
    TSize text{0, 0};
    if (!Caption.empty() && Canvas) {
        TRect r(0, 0, std::max(1, room), 0);
        DrawWideText(Canvas, Caption, r, CaptionFlags | DT_CALCRECT);
        text = TSize{r.Width(), r.Height()};
    }
    return PlaceGlyphAndCaption(Area, GlyphSize, text, Layout, Margin, spacing, Alignment, BiDiFlags, Pressed);
}

void CalcGlyphAndTextLayout(const TRect& Client, TPoint GlyphSize, UINT BiDiFlags,
                            TRect& TextBounds, TPoint& GlyphPos, int Spacing, int Margin,
                            TAlignment Alignment, int Layout)
{
    if (BiDiFlags & DT_RIGHT) {
        if (Layout == glGlyphLeft)
            Layout = glGlyphRight;
        else if (Layout == glGlyphRight)
            Layout = glGlyphLeft;
    }
    const TPoint cs(Client.Width(), Client.Height());
    const TPoint ts(TextBounds.Width(), TextBounds.Height());
    const bool vertical = Layout != glGlyphLeft && Layout != glGlyphRight;
    // Across the layout axis both are centred.
    TPoint glyph, text;
    if (vertical) {
        glyph.X = (cs.X - GlyphSize.X + 1) / 2;
        text.X = (cs.X - ts.X + 1) / 2;
    } else {
        glyph.Y = (cs.Y - GlyphSize.Y + 1) / 2;
        text.Y = (cs.Y - ts.Y + 1) / 2;
    }
    if (ts.X == 0 || GlyphSize.X == 0)
        Spacing = 0;
    // Along the axis.
    const int c = vertical ? cs.Y : cs.X, g = vertical ? GlyphSize.Y : GlyphSize.X, t = vertical ? ts.Y : ts.X;
    if (Margin == -1) {
        if (Spacing != -1)
            Margin = Alignment == taCenter ? (c - (g + Spacing + t) + 1) / 2 : 2;
        else
            Spacing = Margin = (c - (g + t)) / 3;
    } else if (Spacing == -1) {
        Spacing = ((c - (Margin + g)) - t) / 2;
    }
    // Beside each other: the first item along the axis and the second (the glyph first
    // when it is on the left).
    auto side = [&](int First, int Second, int& FirstAt, int& SecondAt) {
        if (Alignment == taLeftJustify) {
            FirstAt = Margin;
            SecondAt = Margin + First + Spacing;
        } else if (Alignment == taRightJustify) {
            SecondAt = c - Margin - Second;
            FirstAt = SecondAt - Spacing - First;
        } else {
            FirstAt = (c - Second - Spacing - First) / 2;
            SecondAt = FirstAt + First + Spacing;
        }
    };
    int ga = 0, ta = 0;
    if (Layout == glGlyphLeft) {
        side(g, t, ga, ta);
    } else if (Layout == glGlyphRight) {
        side(t, g, ta, ga);
    } else if (Layout == glGlyphTop) {
        ga = (c - g - Spacing - t) / 2;
        ta = ga + g + Spacing;
    } else {
        ga = c - g - (c - g - Spacing - t) / 2;
        ta = ga - Spacing - t;
    }
    (vertical ? glyph.Y : glyph.X) = ga;
    (vertical ? text.Y : text.X) = ta;
    GlyphPos = TPoint(glyph.X + Client.Left, glyph.Y + Client.Top);
    TextBounds = Moved(TextBounds, text.X + Client.Left, text.Y + Client.Top);
}

void ImageListToBitmap(TCustomImageList* List, int Index, TBitmap* Bmp)
{
    if (!List || !Bmp)
        return;
    Bmp->SetPixelFormat(pf24bit);
    Bmp->SetSize(List->Width(), List->Height());
    const TColor bk = List->BkColor() == clNone ? SkinKeyColor : List->BkColor();
    FillDC(Bmp->Canvas()->Handle(), TRect(0, 0, List->Width(), List->Height()), bk);
    List->Draw(Bmp->Canvas(), 0, 0, Index);
}

void BlendRoundRect(TBitmap* Bmp, TRect R, int Percent, int Steps, TColor Color)
{
    TSkFast24 d;
    if (!d.Attach(Bmp) || R.IsEmpty())
        return;
    const double share = std::clamp(Percent, 0, 100) / 100.0;
    const TColor c = ColorToRGB(Color);
    const int cc[3] = {(c >> 16) & 0xFF, (c >> 8) & 0xFF, c & 0xFF};   // blue, green, red
    for (int y = std::max(R.Top, 0); y < std::min(R.Bottom, d.Height); ++y) {
        const double ey = std::min(y - R.Top + 0.5, R.Bottom - y - 0.5);
        uint8_t* row = d.Row(y);
        for (int x = std::max(R.Left, 0); x < std::min(R.Right, d.Width); ++x) {
            const double ex = std::min(x - R.Left + 0.5, R.Right - x - 0.5);
            // How far the pixel lies inside the rounded edge.
            double depth = std::min(ex, ey);
            if (Steps > 0 && ex < Steps && ey < Steps)
                depth = Steps - std::hypot(Steps - ex, Steps - ey);
            const double fade = Steps > 0 ? std::clamp(depth / Steps, 0.0, 1.0) : 1.0;
            // The mask is the weight of the picture, as MultiplyByMask takes it; pixels that
            // take no colour are left exactly as they were.
            const int mask = 255 - int(std::lround(255 * share * fade));
            if (mask >= 255)
                continue;
            uint8_t* p = row + x * 3;
            for (int k = 0; k < 3; ++k)
                p[k] = ClampByte(((p[k] - cc[k]) * mask + cc[k] * 256) >> 8);
        }
    }
}

void CopyByMaskWithParent(TRect DstR, TRect SrcR, TBitmap* Dst, bool UseParent,
                          const TzCacheInfo& Parent, TBitmap* Src)
{
    if (!Dst || !Src || Src->Empty())
        return;
    std::unique_ptr<TBitmap> holder;
    TSkFast24 d, s, p;
    if (!d.Attach(Dst) || !s.Attach(As24(Src, holder)))
        return;
    const bool withParent = UseParent && Parent.Ready && Parent.Bmp &&
                            Parent.Bmp->PixelFormat() == pf24bit && p.Attach(Parent.Bmp);
    const int maskOffset = SrcR.Height();
    const int w = std::min(SrcR.Width(), DstR.Width()), h = std::min(SrcR.Height(), DstR.Height());
    // Columns and rows that lie in the image, its mask and the destination.
    const int x0 = std::max({0, -SrcR.Left, -DstR.Left});
    const int x1 = std::min({w, s.Width - SrcR.Left, d.Width - DstR.Left});
    const int y0 = std::max({0, -SrcR.Top, -DstR.Top});
    const int y1 = std::min({h, s.Height - SrcR.Top - maskOffset, d.Height - DstR.Top});
    for (int j = y0; j < y1; ++j) {
        const int dy = DstR.Top + j;
        const uint8_t* sp = s.Row(SrcR.Top + j);
        const uint8_t* mp = s.Row(SrcR.Top + j + maskOffset);
        uint8_t* dp = d.Row(dy);
        const int py = Parent.Y + dy;
        for (int i = x0; i < x1; ++i) {
            const int sx = (SrcR.Left + i) * 3, dx = DstR.Left + i;
            uint8_t* o = dp + dx * 3;
            if (s.Pixel(SrcR.Left + i, SrcR.Top + j) == SkinKeyColor) {
                const int px = Parent.X + dx;
                if (withParent && px >= 0 && px < p.Width && py >= 0 && py < p.Height)
                    std::copy_n(p.Row(py) + px * 3, 3, o);
                continue;
            }
            for (int k = 0; k < 3; ++k)
                o[k] = ClampByte(((o[k] - sp[sx + k]) * mp[sx + k] + sp[sx + k] * 256) >> 8);
        }
    }
}

// ---------------------------------------------------------------------------------------
// Text measuring and writing

int DrawWideText(TCanvas* Canvas, const WideString& Text, TRect& R, UINT Flags)
{
    return DrawTextWide(Canvas->Handle(), Text.c_str(), int(Text.size()), R.Win(), Flags);
}

TSize GetWideTextSize(TCanvas* Canvas, const WideString& Text) { return CanvasTextExtentWide(Canvas, Text); }

TSize GetFontTextExtent(HFONT Font, const WideString& Text)
{
    TClientDC screen(nullptr);
    if (!screen)
        return TSize{0, 0};
    TSelectObject font(screen.Handle(), Font);
    // A font that cannot be selected is not measured in another.
    if (!Font || GetCurrentObject(screen.Handle(), OBJ_FONT) != Font)
        return TSize{0, 0};
    return DCTextExtentWide(screen.Handle(), Text);
}
