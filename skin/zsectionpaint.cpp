#include "skin/zsectionpaint.h"

#include "classlib/jpeg.h"
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

// A menu item paints its border only when it is hot.
bool DrawsBorder(const TzGeneralData& Section, TzPaintState State)
{
    return State != psNormal || Section.ClassName != "MENUITEM";
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

// What lies behind in R of the bitmap: the backdrop's colour when it is known, else its
// picture; nothing when the picture is the bitmap itself.
void ShowParent(TBitmap* Bmp, const TRect& R, const TzBackdrop& Behind)
{
    const TzCacheInfo& p = Behind.Picture;
    if (Behind.Color != SkinKeyColor)
        FillBmpRect(Bmp, R, Behind.Color);
    else if (p.Bmp != Bmp)
        CopyBmpRect(Bmp, R.Left, R.Top, TRect(p.X + R.Left, p.Y + R.Top, p.X + R.Right, p.Y + R.Bottom), p.Bmp);
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
    // The colour is its own tint: what the pattern leaves is the colour either way.
    const TColor rest = ColorToRGB(Color);
    if (Percent < 100 && int64_t(img.Width()) * img.Height() <= int64_t(D.Width()) * D.Height()) {
        static TSkWorkRows tintedRows;
        const TSkPixelRows& t = tintedRows.Size(img.Width(), img.Height());
        CopyRows(t, 0, 0, img, src);
        BlendRowsToColor(t, TRect(0, 0, t.Width, t.Height), Percent, Color);
        src = t;
        img = TRect(0, 0, t.Width, t.Height);
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

namespace {

// The section over D of a bitmap at least 2 x 2.
void PaintWholeSection(const TzSectionSkin& Skin, const TzBackdrop& Behind, TzBorderFlags Flags, TBitmap* Bmp,
                       TPoint Offset, const TRect& D, TzPaintState State)
{
    TzSkinManager* m = Skin.Manager;
    PaintSectionBackground(Skin, Behind, State, Bmp, Offset, D);
    const TzGeneralData& section = m->Section(Skin.Section);
    if (m->IsValidMaskIndex(Skin.Border) && DrawsBorder(section, State))
        DrawSkinRect(Bmp, D, Flags, State, m->Mask(Skin.Border), Behind.Moved(Offset.X, Offset.Y));
    // The corner images sit in D's corners, each with its frame for the state.
    const char* const names[4] = {"IMGTOPLEFT", "IMGTOPRIGHT", "IMGBTMLEFT", "IMGBTMRIGHT"};
    for (int i = 0; i < 4; ++i) {
        const int k = m->FindMaskIndex(Skin.Section, section.ClassName, names[i]);
        if (!m->IsValidMaskIndex(k))
            continue;
        const TSize f = MaskFrame(m->Mask(k));
        const int x = i & 1 ? D.Right - f.cx : D.Left, y = i & 2 ? D.Bottom - f.cy : D.Top;
        DrawSkinGlyph(Bmp, TPoint(x, y), State, m->Mask(k), 1);
    }
}

} // namespace

void PaintSkinSection(const TzSectionSkin& Skin, const TzBackdrop& Behind, TzBorderFlags Flags, TBitmap* Bmp,
                      TPoint Offset, const TRect& D, TzPaintState State)
{
    if (!Bmp || Bmp->PixelFormat() != pf24bit || Bmp->Empty())
        return;
    TzSkinManager* m = Skin.Manager;
    if (!m || !m->IsValidSkinIndex(Skin.Section) || D.IsEmpty() || !RectInRect(BoundsOf(Bmp), D))
        return;
    if (PaintableBitmap(Bmp)) {
        PaintWholeSection(Skin, Behind, Flags, Bmp, Offset, D, State);
        return;
    }
    // The pixel access of the painters needs 2 x 2: a one-pixel strip is painted in a work
    // bitmap of the same origin and copied back.
    TBitmap* work = WorkBitmap(wbThinSection, Bmp->Width(), Bmp->Height());
    PaintWholeSection(Skin, Behind, Flags, work, Offset, D, State);
    CopyBmpRect(Bmp, D.Left, D.Top, D, work);
}

void PaintSectionBackground(const TzSectionSkin& Skin, const TzBackdrop& Behind, TzPaintState State, TBitmap* Bmp,
                            TPoint Offset, const TRect& D)
{
    if (Skin.Manager)
        PaintSectionBackgroundEx(Skin.Section, Behind, Skin.OwnColor, Skin.HotTexture, Skin.Texture, Skin.Manager,
                                 Bmp, Offset, D, State);
}

void PaintSectionBackgroundEx(int SectionIndex, const TzBackdrop& Behind, TColor Color, int HotTexture, int Texture,
                              TzSkinManager* Manager, TBitmap* Bmp, TPoint Offset, const TRect& D, TzPaintState State)
{
    if (!Manager || !Manager->IsValidSkinIndex(SectionIndex) || !PaintableBitmap(Bmp))
        return;
    const TRect d = Intersect(D, BoundsOf(Bmp));
    if (d.IsEmpty())
        return;
    const TzGeneralData& g = Manager->Section(SectionIndex);
    const bool hot = State != psNormal;
    const TColor colour = Color != SkinKeyColor ? Color : hot ? g.HotColor : g.Color;
    const int ip = std::clamp(hot ? g.HotImagePercent : g.ImagePercent, 0, 100);
    const int gp = std::clamp(hot ? g.HotGradientPercent : g.GradientPercent, 0, 100);
    const int t = std::clamp(hot ? g.HotTransparency : g.Transparency, 0, 100);
    const TzGradArray& gradient = hot ? g.HotGradientArray : g.GradientArray;
    const TzSectionTexture texture = ip > 0 ? FillTexture(Manager, SectionIndex, hot ? HotTexture : Texture, hot)
                                            : TzSectionTexture();
    const TzBackdrop behind = Behind.Moved(Offset.X, Offset.Y);

    if (!Behind.Picture.Ready || t == 0) {
        PaintSectionFill(Bmp, d, colour, ip, gp, gradient, texture, behind);
    } else if (t == 100) {
        ShowParent(Bmp, d, behind);
    } else {
        // The fill is painted apart, in a work bitmap's top-left.
        const TRect r(0, 0, d.Width(), d.Height());
        TBitmap* fill = WorkBitmap(wbSectionFill, r.Width(), r.Height());
        PaintSectionFill(fill, r, colour, ip, gp, gradient, texture, behind.Moved(d.Left, d.Top));
        ShowParent(Bmp, d, behind);
        // The alpha is the parent's weight: T percent of 255.
        BlendBitmapRect(Bmp, fill, t * 255 / 100, d.TopLeft(), r);
    }

    if (State != psNormal)
        return;
    // A see-through texture goes over the whole background.
    for (int i : {Texture, HotTexture})
        if (Manager->IsValidMaskIndex(i) && Manager->Mask(i).MaskType > 0 && Manager->Mask(i).DrawMode == 10) {
            DrawTexture(Bmp, d, behind, 10, Manager->Mask(i));
            break;
        }
}

void PaintSectionFill(TBitmap* Bmp, const TRect& D, TColor Color, int ImagePercent, int GradientPercent,
                      const TzGradArray& Gradient, const TzSectionTexture& Texture, const TzBackdrop& Behind)
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
            DrawTexture(Bmp, d, Behind, Texture.Mask->DrawMode, *Texture.Mask);
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
            // layer is painted in a work bitmap's top-left.
            const TRect r(0, 0, d.Width(), d.Height());
            TBitmap* layer = WorkBitmap(wbFillLayer, r.Width(), r.Height());
            paint(layer, r);
            BlendBitmapRect(Bmp, layer, ip * 255 / 100, d.TopLeft(), r);
        } else {
            paint(Bmp, d);
        }
    }
    if (kept >= 1 && kept <= 99 && !tinted)
        BlendToColor(Bmp, d, kept, Color);
    else if (kept == 0)
        // An opaque section is its own colour, whatever lies behind it.
        FillBmpRect(Bmp, d, Color);
}

// ---------------------------------------------------------------------------------------

void PaintSectionByIndex(int SectionIndex, TzSkinManager* Manager, TBitmap* Bmp, const TzBackdrop& Behind,
                         const TRect& D, TzPaintState State, bool FillCentre, TColor Color)
{
    if (!Manager || !Manager->IsValidSkinIndex(SectionIndex))
        return;
    PaintSectionBackgroundEx(SectionIndex, Behind, Color, -1, -1, Manager, Bmp, TPoint(0, 0), D, State);
    const TzGeneralData& section = Manager->Section(SectionIndex);
    const int border = Manager->FindMaskIndex(SectionIndex, section.ClassName, "BORDERSMASK");
    if (Manager->IsValidMaskIndex(border) && DrawsBorder(section, State))
        DrawSkinRect(Bmp, D, (FillCentre ? bfFillCentre : 0) | bfKeysShowParent, State, Manager->Mask(border), Behind);
}

void PaintSectionToDC(int SectionIndex, TzSkinManager* Manager, HDC DC, const TRect& R, const TzBackdrop& Behind,
                      TzPaintState State, bool FillCentre)
{
    if (!DC || R.Width() < 2 || R.Height() < 2)
        return;
    TBitmap* b = WorkBitmap(wbSectionToDC, R.Width(), R.Height());
    PaintSectionByIndex(SectionIndex, Manager, b, Behind, TRect(0, 0, R.Width(), R.Height()), State, FillCentre);
    BitBlt(DC, R.Left, R.Top, R.Width(), R.Height(), b->Canvas()->Handle(), 0, 0, SRCCOPY);
}

void PaintBgWithParent(int SectionIndex, TzSkinManager* Manager, TBitmap* Bmp, const TRect& D, TzPaintState State,
                       TBitmap* ParentImage, TPoint ParentPos)
{
    const TzCacheInfo parent = ParentImage ? MakeCacheInfo(ParentImage, ParentPos.X, ParentPos.Y) : EmptyCacheInfo;
    PaintSectionBackgroundEx(SectionIndex, parent, SkinKeyColor, -1, -1, Manager, Bmp, TPoint(0, 0), D, State);
}

void PaintSectionOverParent(int SectionIndex, TzSkinManager* Manager, TBitmap* Bmp, const TRect& D,
                            TzPaintState State, TBitmap* ParentImage, TPoint ParentPos, bool FillCentre)
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

void DrawTexture(TBitmap* Bmp, const TRect& D, const TzBackdrop& Behind, int Mode, const TzMaskData& Mask)
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
        const TzCacheInfo& p = Behind.Picture;
        if (p.Ready && p.Bmp != Bmp)
            CopyBmpRect(Bmp, strip.Left, strip.Top,
                        TRect(p.X + strip.Left, p.Y + strip.Top, p.X + strip.Right, p.Y + strip.Bottom), p.Bmp);
        else if (!p.Ready && Behind.Color != SkinKeyColor)
            FillBmpRect(Bmp, strip, Behind.Color);
    }
}
