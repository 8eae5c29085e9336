#include "skinctl/zbuttonglyph.h"

#include "classlib/imglist.h"
#include "skin/zgraphics.h"
#include "skin/zskintextpaint.h"

namespace {

bool HasImage(TCustomImageList* Images, int ImageIndex)
{
    return Images && ImageIndex >= 0 && ImageIndex < Images->Count();
}

TColor ListKey(TCustomImageList* Images)
{
    return Images->BkColor() == clNone ? SkinKeyColor : ColorToRGB(Images->BkColor());
}

// The image of the list on its background colour, 24-bit.
std::unique_ptr<TBitmap> ListImage(TCustomImageList* Images, int ImageIndex)
{
    auto bmp = std::make_unique<TBitmap>();
    ImageListToBitmap(Images, ImageIndex, bmp.get());
    return bmp;
}

} // namespace

TSize SkinButtonGlyphSize(TBitmap* Glyph, int NumGlyphs, TCustomImageList* Images, int ImageIndex)
{
    if (Glyph && !Glyph->Empty())
        return TSize{Glyph->Width() / std::max(1, NumGlyphs), Glyph->Height()};
    if (HasImage(Images, ImageIndex))
        return TSize{Images->Width(), Images->Height()};
    return TSize{0, 0};
}

void DrawSkinButtonGlyph(TBitmap* Cache, TPoint P, TBitmap* Glyph, int NumGlyphs, TCustomImageList* Images,
                         int ImageIndex, int State, bool Enabled, const TzGlyphLook& Look, const TzCacheInfo& Parent)
{
    if (Glyph && !Glyph->Empty()) {
        DrawButtonGlyph(Cache, P, Glyph, NumGlyphs, Look.Blend, TzPaintState(State), Look.DisabledGlyphKind,
                        Look.Grayed, Enabled, Parent);
        return;
    }
    if (!HasImage(Images, ImageIndex))
        return;
    auto image = ListImage(Images, ImageIndex);
    const TColor key = ListKey(Images);
    const TRect all(0, 0, image->Width(), image->Height());
    bool blendHalf = false;
    double keep = 0;
    if (!Enabled) {
        if (Look.DisabledGlyphKind & dgGrayed)
            GrayscaleExceptColor(image.get(), key);
        blendHalf = (Look.DisabledGlyphKind & dgBlended) != 0;
        keep = 0.5;
    } else if (State == 0) {
        if (Look.Grayed)
            GrayscaleExceptColor(image.get(), key);
        blendHalf = Look.Blend > 0;
        keep = Look.Blend / 100.0;
    }
    if (blendHalf)
        BlendBmpRect(Cache, P.X, P.Y, key, keep, all, image.get());
    else
        CopyKeyed(Cache, image.get(), P.X, key, all, P.Y);
}

void MakeGlyphStrip(TButtonGlyph* Glyph, TCustomImageList* Images, int ImageIndex,
                    TzDisabledGlyphKind DisabledGlyphKind)
{
    if (!Glyph || !HasImage(Images, ImageIndex))
        return;
    auto image = ListImage(Images, ImageIndex);
    const int w = image->Width(), h = image->Height();
    const TColor key = ListKey(Images);
    const TRect frame(0, 0, w, h);
    TBitmap strip;
    strip.SetPixelFormat(pf24bit);
    strip.SetSize(2 * w, h);
    CopyBmpRect(&strip, 0, 0, frame, image.get());
    if (!DisabledGlyphKind) {
        CopyBmpRect(&strip, w, 0, frame, image.get());
    } else {
        FillBmpRect(&strip, Bounds(w, 0, w, h), clBtnFace);
        if (DisabledGlyphKind & dgGrayed)
            GrayscaleExceptColor(image.get(), key);
        if (DisabledGlyphKind & dgBlended)
            BlendBmpRect(&strip, w, 0, key, 0.5, frame, image.get());
        else
            CopyKeyed(&strip, image.get(), w, key, frame, 0);
    }
    Glyph->SetGlyph(&strip);
    Glyph->SetNumGlyphs(2);
    Glyph->Glyph()->SetTransparentColor(key);
}
