#include "skin/zsectionpaint.h"

#include "classlib/controls.h"
#include "classlib/jpeg.h"
#include "skin/zcommondata.h"
#include "skin/zcontrolutils.h"
#include "skin/zgraphics.h"
#include "skin/zskinmanager.h"
#include "skin/zskinpaint.h"

#include <algorithm>

namespace {

constexpr TRect NothingLeft(-1, -1, -1, -1);

TRect Intersect(const TRect& A, const TRect& B)
{
    return TRect(std::max(A.Left, B.Left), std::max(A.Top, B.Top), std::min(A.Right, B.Right),
                 std::min(A.Bottom, B.Bottom));
}

TRect BoundsOf(TBitmap* Bmp) { return TRect(0, 0, Bmp->Width(), Bmp->Height()); }

TzCacheInfo Moved(TzCacheInfo Info, int DX, int DY)
{
    Info.X += DX;
    Info.Y += DY;
    return Info;
}

// Both shared colours go back to unset however the painting ends.
struct TSharedColoursReset {
    ~TSharedColoursReset() { SharedParentColor = SharedReplaceColor = SkinKeyColor; }
};

// A menu item paints its border only when it is hot.
bool DrawsBorder(const TzGeneralData& Section, int State)
{
    return State != 0 || Section.ClassName != "MENUITEM";
}

// The colour of the control that keeps its own: its Color, or for an owner that is no
// control (a form's provider) the colour of the control that owns it.
TColor OwnerColor(const TzCommonData* SkinData)
{
    TControl* c = SkinData->OwnerControl();
    if (!c)
        if (auto* comp = dynamic_cast<TComponent*>(SkinData->OwnerObject()))
            c = dynamic_cast<TControl*>(comp->Owner());
    return c ? ColorToRGB(c->Color()) : SkinKeyColor;
}

// The texture of the fill: the given image when it has no mask half; for -1 the section's
// own "PATTERN" ("HOTPATTERN") image, else its picture of that name.
TzSectionTexture FillTexture(TzSkinManager* M, int Section, int Given, bool Hot)
{
    TzSectionTexture t;
    const AnsiString& name = M->Section(Section).ClassName;
    const AnsiString key = Hot ? "HOTPATTERN" : "PATTERN";
    int i = Given;
    if (i == -1)
        i = M->FindMaskIndex(Section, name, key);
    else if (M->IsValidMaskIndex(i) && M->Mask(i).MaskType != 0)
        return t;   // a see-through texture: drawn over the background instead
    if (M->IsValidMaskIndex(i)) {
        t.Mask = &M->Mask(i);
        return t;
    }
    const int p = M->FindPatternIndex(Section, name, key);
    if (p >= 0 && M->Pattern(p).Img && !M->Pattern(p).Img->Empty())
        t.Pattern = M->Pattern(p).Img.get();
    return t;
}

// The parent's picture in R of the bitmap, or the shared parent colour while it is set;
// nothing when the parent's picture is the bitmap itself.
void ShowParent(TBitmap* Bmp, const TRect& R, const TzCacheInfo& Parent)
{
    if (SharedParentColor != SkinKeyColor)
        FillBmpRect(Bmp, R, SharedParentColor);
    else if (Parent.Bmp != Bmp)
        CopyBmpRect(Bmp, R.Left, R.Top,
                    TRect(Parent.X + R.Left, Parent.Y + R.Top, Parent.X + R.Right, Parent.Y + R.Bottom), Parent.Bmp);
}

// The pixels of a picture of the patterns list where they can be read as the platform would
// copy them onto Bmp: a 24- or 32-bit bitmap, or a JPEG picture's decoded one drawn without
// a transparent colour by a plain copy.
bool PictureRows(TBitmap* Bmp, TGraphic* Picture, TSkPixelRows& Rows)
{
    if (auto* b = dynamic_cast<TBitmap*>(Picture))
        return PixelRowsOf(b, Rows, true);
    auto* j = dynamic_cast<TJPEGImage*>(Picture);
    TBitmap* b = j ? j->Bitmap() : nullptr;
    return b && !b->Transparent() && Bmp->Canvas()->CopyMode() == cmSrcCopy && PixelRowsOf(b, Rows, true);
}

// The modes of a pattern over D, from rectangle Img of the source rows; D becomes what is
// left to cover.
void PatternOver(const TSkPixelRows& Dst, TRect& D, const TSkPixelRows& Src, const TRect& Img, int Mode)
{
    const int w = Img.Width(), h = Img.Height();
    auto tileOver = [&](const TRect& Band) { TileRows(Dst, Band, Src, Img, Intersect(Band, D)); };
    auto stretchOver = [&](const TRect& Band) { StretchRows(Dst, Band, Src, Img, Intersect(Band, D)); };
    switch (Mode) {
    case 0: tileOver(D); D = NothingLeft; break;
    case 1: stretchOver(D); D = NothingLeft; break;
    case 2: tileOver(TRect(D.Left, D.Top, D.Right, D.Top + h)); D.Top = std::min(D.Top + h, D.Bottom); break;
    case 3: tileOver(TRect(D.Left, D.Top, D.Left + w, D.Bottom)); D.Left = std::min(D.Left + w, D.Right); break;
    case 4: stretchOver(TRect(D.Left, D.Top, D.Right, D.Top + h)); D.Top = std::min(D.Top + h, D.Bottom); break;
    case 5: stretchOver(TRect(D.Left, D.Top, D.Left + w, D.Bottom)); D.Left = std::min(D.Left + w, D.Right); break;
    case 6: tileOver(TRect(D.Left, D.Bottom - h, D.Right, D.Bottom)); D.Bottom = std::max(D.Bottom - h, D.Top); break;
    case 7: tileOver(TRect(D.Right - w, D.Top, D.Right, D.Bottom)); D.Right = std::max(D.Right - w, D.Left); break;
    case 10:
        // Whole rows of tiles, the last column cut to D.
        TileRows(Dst, D, Src, Img, TRect(D.Left, D.Top, D.Right, D.Top + D.Height() / h * h));
        D = NothingLeft;
        break;
    default: break;
    }
}

// Where a pattern texture's pixels are read: the rows, the rectangle tiled or stretched, and
// the mode. False when only the platform can draw it, or its rectangle has no pixels.
bool PatternPixels(TBitmap* Bmp, const TzSectionTexture& Texture, TSkPixelRows& Rows, TRect& Img, int& Mode)
{
    if (Texture.Pattern) {
        Mode = 0;
        if (Texture.Pattern->Empty() || !PictureRows(Bmp, Texture.Pattern, Rows))
            return false;
        Img = TRect(0, 0, Rows.Width, Rows.Height);
        return true;
    }
    TBitmap* src = MaskSourceBitmap(*Texture.Mask);
    Mode = Texture.Mask->DrawMode;
    if (!src || !PixelRowsOf(src, Rows, true))
        return false;
    Img = Intersect(Texture.Mask->R, BoundsOf(src));
    return !Img.IsEmpty();
}

// A pattern texture over D with the colour where it leaves D, all of it then kept Percent
// toward the colour (BlendToColor). The tint goes into the pattern's own pixels when they are
// fewer than D's: tiles and stretches only pick pixels, and the tint leaves the colour itself
// as it is.
void PatternFill(TBitmap* Bmp, const TRect& D, TColor Color, const TzSectionTexture& Texture, int Percent)
{
    TSkPixelRows dst, src;
    TRect img;
    int mode;
    if (!PixelRowsOf(Bmp, dst) || !PatternPixels(Bmp, Texture, src, img, mode)) {
        FillBmpRect(Bmp, D, Color);
        TRect left = D;
        if (Texture.Pattern)
            DrawPattern(Bmp, left, Texture.Pattern);
        else
            DrawPattern(Bmp, left, *Texture.Mask, Texture.Mask->DrawMode);
        BlendToColor(Bmp, D, Percent, Color);
        return;
    }
    TColor rest = ColorToRGB(Color);
    if (Percent < 100 && int64_t(img.Width()) * img.Height() <= int64_t(D.Width()) * D.Height()) {
        static TSkWorkRows tintedRows;
        const TSkPixelRows& t = tintedRows.Size(img.Width(), img.Height());
        CopyRows(t, 0, 0, img, src);
        BlendRowsToColor(t, TRect(0, 0, t.Width, t.Height), Percent, Color);
        src = t;
        img = TRect(0, 0, t.Width, t.Height);
        // The fill's colour is its own tint, unless it names a system colour.
        auto tint = [&](int Shift) {
            const int64_t v = (uint32_t(rest) >> Shift) & 0xFF, c = (uint32_t(Color) >> Shift) & 0xFF;
            return uint32_t(DivRoundEven(v * Percent + c * (100 - Percent), 100)) << Shift;
        };
        rest = TColor(tint(0) | tint(8) | tint(16));
        Percent = 100;
    }
    // Mode 10 leaves a strip below its rows of tiles; the other modes say what they leave.
    if (mode == 10)
        FillBmpRect(Bmp, D, rest);
    TRect left = D;
    PatternOver(dst, left, src, img, mode);
    if (mode != 10 && left != NothingLeft)
        FillBmpRect(Bmp, left, rest);
    BlendToColor(Bmp, D, Percent, Color);
}

} // namespace

// ---------------------------------------------------------------------------------------

void PaintSkinSection(TzCommonData* SkinData, const TzCacheInfo& Parent, bool FillCentre, TColor CustomColor,
                      bool UseParentForKeys, TBitmap* Bmp, TPoint Offset, const TRect& D, int State)
{
    if (!SkinData || !PaintableBitmap(Bmp))
        return;
    TzSkinManager* m = SkinData->GetSkinManager();
    if (!m || !m->IsValidSkinIndex(SkinData->SkinIndex) || D.IsEmpty() || !RectInRect(BoundsOf(Bmp), D))
        return;
    const TSharedColoursReset reset;
    SharedParentColor = SkinKeyColor;
    TControl* owner = SkinData->OwnerControl();
    TWinControl* ownerParent = owner ? owner->Parent() : nullptr;
    if (!Parent.Ready && ownerParent)
        SharedParentColor = SharedReplaceColor = ColorToRGB(ownerParent->Color());
    else if (Parent.Ready && ownerParent && !SkinData->NeedsParentImage() && SharedParentColor == SkinKeyColor)
        QueryParentColor(ownerParent);

    PaintSectionBackground(SkinData, Parent, State, CustomColor, Bmp, Offset, D);

    const TzGeneralData& section = m->Section(SkinData->SkinIndex);
    if (m->IsValidMaskIndex(SkinData->BorderIndex) && DrawsBorder(section, State))
        DrawSkinRect(Bmp, D, FillCentre, UseParentForKeys, State, m->Mask(SkinData->BorderIndex),
                     Moved(Parent, Offset.X, Offset.Y));
    SharedParentColor = SharedReplaceColor = SkinKeyColor;

    // The corner images sit in D's corners, each with its frame for the state.
    const char* const names[4] = {"IMGTOPLEFT", "IMGTOPRIGHT", "IMGBTMLEFT", "IMGBTMRIGHT"};
    for (int i = 0; i < 4; ++i) {
        const int k = m->FindMaskIndex(SkinData->SkinIndex, section.ClassName, names[i]);
        if (!m->IsValidMaskIndex(k))
            continue;
        const TSize f = MaskFrame(m->Mask(k));
        const int x = i & 1 ? D.Right - f.cx : D.Left, y = i & 2 ? D.Bottom - f.cy : D.Top;
        DrawSkinGlyph(Bmp, TPoint(x, y), State, m->Mask(k), 1);
    }
}

void PaintSectionBackground(TzCommonData* SkinData, const TzCacheInfo& Parent, int State, TColor Color,
                            TBitmap* Bmp, TPoint Offset, const TRect& D)
{
    if (!SkinData)
        return;
    if (Color == SkinKeyColor && SkinData->CustomColor())
        Color = OwnerColor(SkinData);
    TzSkinManager* m = SkinData->GetSkinManager();
    if (m)
        PaintSectionBackgroundEx(SkinData->SkinIndex, Parent, Color, SkinData->HotTexture, SkinData->Texture, m, Bmp,
                                 Offset, D, State);
}

void PaintSectionBackgroundEx(int SectionIndex, const TzCacheInfo& Parent, TColor Color, int HotTexture,
                              int Texture, TzSkinManager* Manager, TBitmap* Bmp, TPoint Offset, const TRect& D,
                              int State)
{
    if (!Manager)
        Manager = DefaultManager;
    if (!Manager || !Manager->IsValidSkinIndex(SectionIndex) || !PaintableBitmap(Bmp))
        return;
    const TRect d = Intersect(D, BoundsOf(Bmp));
    if (d.IsEmpty())
        return;
    const TzGeneralData& g = Manager->Section(SectionIndex);
    const bool hot = State != 0;
    const TColor colour = Color != SkinKeyColor ? Color : hot ? g.HotColor : g.Color;
    const int ip = std::clamp(hot ? g.HotImagePercent : g.ImagePercent, 0, 100);
    const int gp = std::clamp(hot ? g.HotGradientPercent : g.GradientPercent, 0, 100);
    const int t = std::clamp(hot ? g.HotTransparency : g.Transparency, 0, 100);
    const TzGradArray& gradient = hot ? g.HotGradientArray : g.GradientArray;
    const TzSectionTexture texture = ip > 0 ? FillTexture(Manager, SectionIndex, hot ? HotTexture : Texture, hot)
                                            : TzSectionTexture();
    const TzCacheInfo parent = Moved(Parent, Offset.X, Offset.Y);

    if (!Parent.Ready || t == 0) {
        PaintSectionFill(Bmp, d, colour, ip, gp, gradient, texture, parent);
    } else if (t == 100) {
        ShowParent(Bmp, d, parent);
    } else {
        // The fill is painted apart, in a work bitmap's top-left; an area under 2 x 2 takes no
        // paint there, and the parent alone shows.
        const TRect r(0, 0, d.Width(), d.Height());
        TBitmap* fill = r.Width() >= 2 && r.Height() >= 2 ? WorkBitmap(wbSectionFill, r.Width(), r.Height()) : nullptr;
        if (fill)
            PaintSectionFill(fill, r, colour, ip, gp, gradient, texture, Moved(parent, d.Left, d.Top));
        ShowParent(Bmp, d, parent);
        // The alpha is the parent's weight: T percent of 255.
        if (fill)
            BlendBitmapRect(Bmp, fill, t * 255 / 100, d.TopLeft(), r);
    }

    if (State != 0)
        return;
    // A see-through texture goes over the whole background.
    for (int i : {Texture, HotTexture})
        if (Manager->IsValidMaskIndex(i) && Manager->Mask(i).MaskType > 0 && Manager->Mask(i).DrawMode == 10) {
            DrawTexture(Bmp, d, parent, 10, Manager->Mask(i));
            break;
        }
}

void PaintSectionFill(TBitmap* Bmp, const TRect& D, TColor Color, int ImagePercent, int GradientPercent,
                      const TzGradArray& Gradient, const TzSectionTexture& Texture, const TzCacheInfo& Parent)
{
    if (!PaintableBitmap(Bmp))
        return;
    const TRect d = Intersect(D, BoundsOf(Bmp));
    if (d.IsEmpty())
        return;
    const int ip = std::clamp(ImagePercent, 0, 100), gp = std::clamp(GradientPercent, 0, 100);
    const int kept = ip + gp;
    bool drawn = false, tinted = false;
    if (ip > 0) {
        if (Texture.Empty()) {
            // The colour, not what the bitmap held, takes the tint below.
            FillBmpRect(Bmp, d, Color);
        } else if (Texture.Mask && Texture.Mask->MaskType != 0) {
            FillBmpRect(Bmp, d, Color);
            DrawTexture(Bmp, d, Parent, Texture.Mask->DrawMode, *Texture.Mask);
            drawn = true;
        } else {
            // With nothing laid over the pattern, its tint toward the colour is done with it.
            tinted = gp == 0 && kept <= 99;
            PatternFill(Bmp, d, Color, Texture, tinted ? ip : 100);
            drawn = true;
        }
    }
    if (gp > 0) {
        auto paint = [&](TBitmap* B, const TRect& R) {
            if (Gradient.empty())
                FillBmpRect(B, R, Color);
            else
                FillGradient(B, R, Gradient, 0);
        };
        if (drawn) {
            // The image keeps ImagePercent of 255 as the weight of what is already there. The
            // layer is painted in a work bitmap's top-left; under 2 x 2 it takes no paint.
            const TRect r(0, 0, d.Width(), d.Height());
            if (r.Width() >= 2 && r.Height() >= 2) {
                TBitmap* layer = WorkBitmap(wbFillLayer, r.Width(), r.Height());
                paint(layer, r);
                BlendBitmapRect(Bmp, layer, ip * 255 / 100, d.TopLeft(), r);
            }
        } else {
            paint(Bmp, d);
        }
    }
    if (kept >= 1 && kept <= 99 && !tinted)
        BlendToColor(Bmp, d, kept, Color);
    else if (kept == 0)
        // The shared parent colour stands in for the parent's picture only: an opaque
        // section is its own colour, whatever lies behind it.
        FillBmpRect(Bmp, d, Color);
}

// ---------------------------------------------------------------------------------------

void PaintSectionByIndex(int SectionIndex, TzSkinManager* Manager, TBitmap* Bmp, const TzCacheInfo& Parent,
                         const TRect& D, int State, bool FillCentre, TColor Color)
{
    if (!Manager)
        Manager = DefaultManager;
    if (!Manager || !Manager->IsValidSkinIndex(SectionIndex))
        return;
    PaintSectionBackgroundEx(SectionIndex, Parent, Color, -1, -1, Manager, Bmp, TPoint(0, 0), D, State);
    const TzGeneralData& section = Manager->Section(SectionIndex);
    const int border = Manager->FindMaskIndex(SectionIndex, section.ClassName, "BORDERSMASK");
    if (Manager->IsValidMaskIndex(border) && DrawsBorder(section, State))
        DrawSkinRect(Bmp, D, FillCentre, true, State, Manager->Mask(border), Parent);
}

void PaintSectionToDC(int SectionIndex, TzSkinManager* Manager, HDC DC, const TRect& R, const TzCacheInfo& Parent,
                      int State, bool FillCentre)
{
    if (!DC || R.Width() < 2 || R.Height() < 2)
        return;
    TBitmap* b = WorkBitmap(wbSectionToDC, R.Width(), R.Height());
    PaintSectionByIndex(SectionIndex, Manager, b, Parent, TRect(0, 0, R.Width(), R.Height()), State, FillCentre);
    BitBlt(DC, R.Left, R.Top, R.Width(), R.Height(), b->Canvas()->Handle(), 0, 0, SRCCOPY);
}

void PaintBgWithParent(int SectionIndex, TzSkinManager* Manager, TBitmap* Bmp, const TRect& D, int State,
                       TBitmap* ParentImage, TPoint ParentPos)
{
    const TzCacheInfo parent = ParentImage ? MakeCacheInfo(ParentImage, ParentPos.X, ParentPos.Y) : EmptyCacheInfo;
    PaintSectionBackgroundEx(SectionIndex, parent, SkinKeyColor, -1, -1, Manager, Bmp, TPoint(0, 0), D, State);
}

void PaintSectionOverParent(int SectionIndex, TzSkinManager* Manager, TBitmap* Bmp, const TRect& D, int State,
                            TBitmap* ParentImage, TPoint ParentPos, bool FillCentre)
{
    const TzCacheInfo parent = ParentImage ? MakeCacheInfo(ParentImage, ParentPos.X, ParentPos.Y) : EmptyCacheInfo;
    PaintSectionByIndex(SectionIndex, Manager, Bmp, parent, D, State, FillCentre);
}

// ---------------------------------------------------------------------------------------

void DrawPattern(TBitmap* Bmp, TRect& D, TGraphic* Pattern)
{
    if (!Bmp || !Pattern || Pattern->Empty())
        return;
    TSkPixelRows d, s;
    if (PixelRowsOf(Bmp, d) && PictureRows(Bmp, Pattern, s))
        TileRows(d, D, s, TRect(0, 0, s.Width, s.Height), D);
    else
        TileGraphic(Bmp->Canvas(), D, Pattern);
    D = NothingLeft;
}

void DrawPattern(TBitmap* Bmp, TRect& D, const TzMaskData& Mask, int Mode)
{
    TBitmap* src = MaskSourceBitmap(Mask);
    if (!PaintableBitmap(Bmp) || !src)
        return;
    const TRect img = Intersect(Mask.R, BoundsOf(src));
    if (img.IsEmpty() || D.IsEmpty())
        return;
    TSkPixelRows d, s;
    PixelRowsOf(Bmp, d);
    PixelRowsOf(src, s, true);   // an unreadable source draws nothing, by every mode
    PatternOver(d, D, s, img, Mode);
}

void DrawTexture(TBitmap* Bmp, const TRect& D, const TzCacheInfo& Parent, int Mode, const TzMaskData& Mask)
{
    TBitmap* src = MaskSourceBitmap(Mask);
    if (!PaintableBitmap(Bmp) || !src)
        return;
    const int w = Mask.R.Width() / FrameCount(Mask), h = Mask.R.Height() / 2;
    if (w < 1 || h < 1)
        return;
    const TRect tile(Mask.R.Left, Mask.R.Top, Mask.R.Left + w, Mask.R.Top + h);
    if (Mode == 0) {
        TileByMask(Bmp, D, D, src, tile, h);
        return;
    }
    if (Mode != 10)
        return;
    const TRect whole(D.Left, D.Top, D.Left + D.Width() / w * w, D.Top + D.Height() / h * h);
    TileByMask(Bmp, whole, whole, src, tile, h);
    for (const TRect& strip : {TRect(whole.Right, D.Top, D.Right, D.Bottom), TRect(D.Left, whole.Bottom, whole.Right, D.Bottom)}) {
        if (strip.IsEmpty())
            continue;
        if (Parent.Ready && Parent.Bmp != Bmp)
            CopyBmpRect(Bmp, strip.Left, strip.Top,
                        TRect(Parent.X + strip.Left, Parent.Y + strip.Top, Parent.X + strip.Right, Parent.Y + strip.Bottom),
                        Parent.Bmp);
        else if (!Parent.Ready && SharedReplaceColor != SkinKeyColor)
            FillBmpRect(Bmp, strip, SharedReplaceColor);
    }
}
