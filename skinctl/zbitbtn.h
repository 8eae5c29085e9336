// The skinned bit button: the push button's skinned face with a glyph beside its caption,
// from its glyph strip or an image list, placed by Layout, Margin, Spacing and Alignment.
// Unskinned it shows an image-list glyph through a two-frame strip (image, disabled look).
#pragma once

#include "skinctl/zbutton.h"
#include "skinctl/zbuttonglyph.h"
#include "unicode/ucbuttons.h"

class TzBitBtn : public TzPushButtonOf<TUcBitBtn> {
    Z_CLASS(TzBitBtn, TUcBitBtn)
public:
    // Type code 94, section "BUTTON".
    explicit TzBitBtn(TComponent* AOwner);
    ~TzBitBtn() override;
    void Loaded() override;

    // Percent of the background kept under a resting glyph (0..100, clamped).
    int Blend() const { return FLook.Blend; }
    void SetBlend(int Value);
    bool Grayed() const { return FLook.Grayed; }
    void SetGrayed(bool Value);
    TzDisabledGlyphKind DisabledGlyphKind() const { return FLook.DisabledGlyphKind; }
    void SetDisabledGlyphKind(TzDisabledGlyphKind Value);
    TCustomImageList* Images() const { return FImages; }
    void SetImages(TCustomImageList* Value);
    int ImageIndex() const { return FImageIndex; }
    void SetImageIndex(int Value);
    bool ShowCaption() const { return FShowCaption; }
    void SetShowCaption(bool Value);
    bool ShowFocus() const { return FShowFocus; }
    void SetShowFocus(bool Value);
    // The glyph and caption over the border (True), or the border over them.
    bool DrawOverBorder() const { return FDrawOverBorder; }
    void SetDrawOverBorder(bool Value);
    int TextOffset() const { return FTextOffset; }
    void SetTextOffset(int Value) { FTextOffset = Value; }
    // Where glyph and caption stand together along the layout's axis.
    TAlignment Alignment() const { return FAlignment; }
    void SetAlignment(TAlignment Value);
    TAlignment TextAlignment() const { return FTextAlignment; }
    void SetTextAlignment(TAlignment Value);

    // Where the glyph and the caption go in the present state.
    TzGlyphPlaces Places();

    TBmpPaintEvent OnPaint;

protected:
    void Notification(TComponent* AComponent, TOperation Operation) override;
    void PaintContent(TBitmap* Cache, int State) override;
    bool DrawsOverBorder() override { return FDrawOverBorder; }
    void FacePainted(TBitmap* Cache) override;
    void SkinRemoved() override;

private:
    // The caption's DrawText flags.
    UINT CaptionFlags();
    void Changed();
    void RebuildGlyphStrip();

    TzGlyphLook FLook;
    TCustomImageList* FImages = nullptr;
    int FImageIndex = -1;
    bool FShowCaption = true;
    bool FShowFocus = true;
    bool FDrawOverBorder = true;
    int FTextOffset = 0;
    TAlignment FAlignment = taCenter;
    TAlignment FTextAlignment = taCenter;
};

extern template class TzPushButtonOf<TUcBitBtn>;
