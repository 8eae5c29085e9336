#include "skinctl/zbitbtn.h"

#include "classlib/imglist.h"
#include "skin/zcontrolutils.h"
#include "skin/zskintextpaint.h"
#include "skinctl/zeditcontrol.h"

#include <algorithm>

Z_CLASS_IMPL(TzBitBtn, TUcBitBtn, Z_PROP_OBJ(TzBitBtn, SkinData), Z_PROP_INT(TzBitBtn, Blend, 0),
             Z_PROP_BOOL(TzBitBtn, Grayed, false), Z_PROP_INT(TzBitBtn, ImageIndex, -1),
             Z_PROP_BOOL(TzBitBtn, ShowCaption, true), Z_PROP_BOOL(TzBitBtn, ShowFocus, true),
             Z_PROP_BOOL(TzBitBtn, DrawOverBorder, true), Z_PROP_INT(TzBitBtn, TextOffset, 0),
             Z_PROP_INT(TzBitBtn, FocusMargin, 1),
             Z_PROP_SET(TzBitBtn, DisabledKind, DisabledKindNames, dkBlended),
             Z_PROP_SET(TzBitBtn, AnimatEvents, AnimatEventNames, 1u << aeGlobalDef),
             Z_PROP_SET(TzBitBtn, DisabledGlyphKind, DisabledGlyphKindNames, dgBlended),
             Z_PROP_REF(TzBitBtn, Images, TCustomImageList),
             Z_PROP_ENUM(TzBitBtn, Alignment, GlyphAlignmentNames, taCenter),
             Z_PROP_ENUM(TzBitBtn, TextAlignment, GlyphAlignmentNames, taCenter))

TzBitBtn::TzBitBtn(TComponent* AOwner) : TzPushButtonOf<TUcBitBtn>(AOwner, ctBitBtn) {}

TzBitBtn::~TzBitBtn() = default;

void TzBitBtn::Loaded()
{
    TzPushButtonOf<TUcBitBtn>::Loaded();
    FActiveDefault = Default();
}

void TzBitBtn::Changed()
{
    FSkinData->Invalidate();
}

void TzBitBtn::SetBlend(int Value)
{
    if (StoreChanged(FLook.Blend, std::clamp(Value, 0, 100)))
        Changed();
}

void TzBitBtn::SetGrayed(bool Value)
{
    if (StoreChanged(FLook.Grayed, Value))
        Changed();
}

void TzBitBtn::SetDisabledGlyphKind(TzDisabledGlyphKind Value)
{
    if (!StoreChanged(FLook.DisabledGlyphKind, Value))
        return;
    RebuildGlyphStrip();
    Changed();
}

void TzBitBtn::SetImages(TCustomImageList* Value)
{
    if (!ReplaceLink(FImages, Value))
        return;
    RebuildGlyphStrip();
    Changed();
}

void TzBitBtn::SetImageIndex(int Value)
{
    if (!StoreChanged(FImageIndex, Value))
        return;
    RebuildGlyphStrip();
    Changed();
}

void TzBitBtn::SetShowCaption(bool Value)
{
    if (StoreChanged(FShowCaption, Value))
        Changed();
}

void TzBitBtn::SetShowFocus(bool Value)
{
    if (StoreChanged(FShowFocus, Value))
        Changed();
}

void TzBitBtn::SetDrawOverBorder(bool Value)
{
    if (StoreChanged(FDrawOverBorder, Value))
        Changed();
}

void TzBitBtn::SetAlignment(TAlignment Value)
{
    if (StoreChanged(FAlignment, Value))
        Changed();
}

void TzBitBtn::SetTextAlignment(TAlignment Value)
{
    if (StoreChanged(FTextAlignment, Value))
        Changed();
}

void TzBitBtn::Notification(TComponent* AComponent, TOperation Operation)
{
    TzPushButtonOf<TUcBitBtn>::Notification(AComponent, Operation);
    if (Operation == opRemove && AComponent == FImages) {
        FImages = nullptr;
        Changed();
    }
}

void TzBitBtn::RebuildGlyphStrip()
{
    if (FSkinData->Skinned() || (IsLoading() && IsDesigning()))
        return;
    MakeGlyphStrip(ButtonGlyph(), FImages, FImageIndex, FLook.DisabledGlyphKind);
}

void TzBitBtn::SkinRemoved()
{
    RebuildGlyphStrip();
}

UINT TzBitBtn::CaptionFlags()
{
    const int alignment = FTextAlignment == taLeftJustify ? 0 : FTextAlignment == taRightJustify ? 1 : 2;
    // The caption's rectangle is its own size: it needs no vertical centring.
    return (AlignmentToTextFlags(this, alignment) & ~UINT(DT_VCENTER)) | (WordWrap() ? DT_WORDBREAK : 0);
}

TzGlyphPlaces TzBitBtn::Places()
{
    FSkinData->PrepareCache();
    TCanvas* c = FSkinData->CacheBmp()->Canvas();
    c->Font()->Assign(Font());
    return PlaceButtonGlyph(TRect(0, 0, Width(), Height()), SkinButtonGlyphSize(Glyph(), NumGlyphs(), FImages, FImageIndex),
                            c, FShowCaption ? Caption() : WideString(), CaptionFlags(), Layout(), Margin(), Spacing(),
                            FAlignment, UINT(DrawTextBiDiModeFlagsReadingOnly()), CurrentState() == 2);
}

void TzBitBtn::PaintContent(TBitmap* Cache, int State)
{
    const TzGlyphPlaces places = Places();
    if (FShowCaption) {
        DrawCaption(Cache->Canvas(), Caption(), places.Text, CaptionFlags());
        DrawFocusFrame(Cache->Canvas(), places.Text, FShowFocus);
    }
    DrawSkinButtonGlyph(Cache, TPoint(places.Glyph.Left, places.Glyph.Top), Glyph(), NumGlyphs(), FImages, FImageIndex,
                        State, Enabled(), FLook);
}

void TzBitBtn::FacePainted(TBitmap* Cache)
{
    if (OnPaint)
        OnPaint(this, Cache);
}

