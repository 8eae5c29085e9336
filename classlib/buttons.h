// Buttons with a glyph: the speed button, a control without a window that toggles within a
// group of its siblings, and the bit button, a push button whose face, glyph and caption are
// drawn by the control (an owner-drawn "BUTTON" window). Both place a glyph and a caption
// by the same rules (TButtonGlyph).
#pragma once

#include "classlib/stdctrls.h"

#include <algorithm>
#include <cstdint>
#include <memory>

class TCustomImageList;

// ---------------------------------------------------------------------------------------
// Glyph and caption

// Where the glyph stands beside the caption.
enum TButtonLayout : uint8_t { blGlyphLeft, blGlyphRight, blGlyphTop, blGlyphBottom };
// The look of a button, and the image of its glyph strip that shows it: up, disabled, down
// (being pressed) and exclusive (held down in a group).
enum TButtonState : uint8_t { bsUp, bsDisabled, bsDown, bsExclusive };

// Places a glyph of GlyphSize and a caption of TextSize in Client, the two side by side
// along the layout's axis and each centred across it. Margin is the distance from the
// glyph's side of Client to the glyph, Spacing the gap between glyph and caption; -1
// centres: Margin -1 centres glyph and caption together, Spacing -1 centres the caption in
// the room after the glyph, both -1 give margin, gap and the rest the same room. Without a
// glyph or a caption there is no gap. RightToLeft swaps left and right; Offset moves both
// (a pressed button's content). Divisions truncate toward zero.
void CalcButtonLayout(const TRect& Client, const TPoint& Offset, const TSize& GlyphSize, const TSize& TextSize,
                      TButtonLayout Layout, int Margin, int Spacing, bool RightToLeft, TPoint& GlyphPos,
                      TRect& TextBounds);

// The glyph of a button: a strip of NumGlyphs images side by side, in the order up,
// disabled, down, exclusive. A state without its own image takes another: disabled a
// grey embossed picture made from the up image (its darker pixels in the shadow colour,
// with the highlight colour one pixel down and right), exclusive the down image, down the
// up image. Pixels of the strip's transparent colour (its bottom-left pixel unless set
// otherwise) are not drawn.
class TButtonGlyph : public TObject {
    Z_CLASS(TButtonGlyph, TObject)
public:
    TButtonGlyph();
    ~TButtonGlyph() override;

    TBitmap* Glyph() const { return FOriginal.get(); }
    // A copy of Value; a strip whose width is 1 to 4 times its height sets NumGlyphs to
    // that number.
    void SetGlyph(TBitmap* Value);
    // 1 to 4; other values are taken as the nearest.
    int NumGlyphs() const { return FNumGlyphs; }
    void SetNumGlyphs(int Value);
    // One image of the strip; (0, 0) without a glyph.
    TSize GlyphSize() const;

    // The image of State with its top left at P.
    void DrawGlyph(HDC DC, const TPoint& P, TButtonState State);
    // The state images are made again when next drawn (their disabled picture takes the
    // system's colours of the moment).
    void ResetImages();
    // The glyph and Caption placed in Client (CalcButtonLayout), the caption in the canvas's
    // font, embossed when disabled, broken into lines with WordWrap; BiDiFlags are the
    // control's DrawText flags for its reading order. Returns where the caption went.
    TRect Draw(TCanvas* Canvas, const TRect& Client, const TPoint& Offset, const TCaptionText& Caption,
               TButtonLayout Layout, int Margin, int Spacing, TButtonState State, UINT BiDiFlags, bool WordWrap);

    // After any change of the picture or of NumGlyphs.
    TNotifyEvent OnChange;

private:
    void GlyphChanged(TObject* Sender);
    void Changed();
    int ImageIndex(TButtonState State);
    TCustomImageList* Images();
    int AddFrame(int Frame);
    int AddDisabled();

    std::unique_ptr<TBitmap> FOriginal;
    std::unique_ptr<TCustomImageList> FImages;   // the state images, made on first use
    // Their indexes in FImages: the frames of the strip, then the disabled picture made
    // from the up image; -1 until made.
    int FIndexes[5] = {-1, -1, -1, -1, -1};
    int FNumGlyphs = 1;
};

// ---------------------------------------------------------------------------------------
// What both glyph buttons have: a glyph strip and its placing beside the caption (see
// CalcButtonLayout). A change repaints the button.

template <class Base> class TGlyphButton : public Base {
public:
    explicit TGlyphButton(TComponent* AOwner) : Base(AOwner)
    {
        FGlyph->OnChange = MakeMethod<&TGlyphButton::GlyphChanged>(this);
    }

    TBitmap* Glyph() const { return FGlyph->Glyph(); }
    void SetGlyph(TBitmap* Value) { FGlyph->SetGlyph(Value); }
    int NumGlyphs() const { return FGlyph->NumGlyphs(); }
    void SetNumGlyphs(int Value) { FGlyph->SetNumGlyphs(Value); }
    TButtonLayout Layout() const { return FLayout; }
    void SetLayout(TButtonLayout Value) { Changed(FLayout, Value); }
    // -1 and more.
    int Margin() const { return FMargin; }
    void SetMargin(int Value) { Changed(FMargin, std::max(Value, -1)); }
    int Spacing() const { return FSpacing; }
    void SetSpacing(int Value) { Changed(FSpacing, std::max(Value, -1)); }

protected:
    TButtonGlyph* ButtonGlyph() const { return FGlyph.get(); }
    // The glyph and Caption in Client, moved by Offset, in the button's font.
    TRect DrawGlyphAndCaption(TCanvas* Canvas, const TRect& Client, const TPoint& Offset,
                              const TCaptionText& Caption, TButtonState State, bool WordWrap)
    {
        Canvas->SetFont(this->Font());
        return FGlyph->Draw(Canvas, Client, Offset, Caption, FLayout, FMargin, FSpacing, State,
                            static_cast<UINT>(this->DrawTextBiDiModeFlagsReadingOnly()), WordWrap);
    }

    // A new caption or font, or new system colours (which the disabled glyph takes),
    // repaint the button.
    void Dispatch(TMessage& Message) override
    {
        if (Message.Msg == CM_SYSCOLORCHANGE)
            FGlyph->ResetImages();
        Base::Dispatch(Message);
        if (Message.Msg == CM_TEXTCHANGED || Message.Msg == CM_FONTCHANGED || Message.Msg == CM_SYSCOLORCHANGE)
            this->Invalidate();
    }

private:
    template <class T> void Changed(T& Field, T Value)
    {
        if (StoreChanged(Field, Value))
            this->Invalidate();
    }
    void GlyphChanged(TObject*) { this->Invalidate(); }

    std::unique_ptr<TButtonGlyph> FGlyph = std::make_unique<TButtonGlyph>();
    TButtonLayout FLayout = blGlyphLeft;
    int FMargin = -1;
    int FSpacing = 4;
};

// ---------------------------------------------------------------------------------------
// TSpeedButton: a tool button painted by its parent. Buttons of one parent with the same
// GroupIndex (not 0) form a group in which one at most is Down; with AllowAllUp the down
// one may be raised again. A click comes on release of the left button over the button.

class TSpeedButton : public TGlyphButton<TGraphicControl> {
    Z_CLASS(TSpeedButton, TGraphicControl)
public:
    explicit TSpeedButton(TComponent* AOwner);
    ~TSpeedButton() override;

    // Shared by the group: setting it on one sets it on all.
    bool AllowAllUp() const { return FAllowAllUp; }
    void SetAllowAllUp(bool Value);
    int GroupIndex() const { return FGroupIndex; }
    // 0 raises the button: without a group it cannot stay down.
    void SetGroupIndex(int Value);
    bool Down() const { return FDown; }
    // Putting one button of a group down raises the others; the down button of a group
    // without AllowAllUp cannot be raised but by another. Without a group nothing changes.
    void SetDown(bool Value);
    // A flat button shows a frame only while the mouse is over it or it is down.
    bool Flat() const { return FFlat; }
    void SetFlat(bool Value);
    // A flat transparent button lets its parent show through its face.
    bool Transparent() const { return FTransparent; }
    void SetTransparent(bool Value);

    TButtonState State() const { return FState; }
    bool MouseInControl() const { return FMouseInControl; }

    void Loaded() override;
    void ActionChange(TObject* Sender, bool CheckDefaults) override;
    const TControlActionLinkClass* GetActionLinkClass() override;

protected:
    void Paint() override;
    // The frame and face of the present look; the room inside the frame and how far a
    // pressed button's content moves.
    TRect PaintFrame(TPoint& Offset);
    // The glyph and caption in Client (inside the frame), moved by Offset.
    virtual void DrawContent(const TRect& Client, const TPoint& Offset);
    // A release over the button, or its accelerator: the button toggles in its group, then
    // Click. Nothing of the button is used after Click (its handler may free it).
    void Pressed();
    // A button without a window takes its accelerator while it is enabled, visible and its
    // parent shows.
    bool AcceleratorAvailable() const;
    void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    void MouseMove(TShiftState Shift, int X, int Y) override;
    void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    void Dispatch(TMessage& Message) override;

private:
    void UpdateExclusive();
    void ButtonPressed(TMessage& Message);
    void UpdateOpaque();
    void SetState(TButtonState Value);
    // The look of a button nobody is pressing.
    TButtonState RestingState() const;

    int FGroupIndex = 0;
    bool FDown = false;
    bool FAllowAllUp = false;
    bool FFlat = false;
    bool FTransparent = true;
    TButtonState FState = bsUp;
    bool FMouseInControl = false;
    bool FDragging = false;   // the left button went down on this button and is held
};

// ---------------------------------------------------------------------------------------
// TBitBtn: a push button that draws its face, glyph and caption. Kind gives it the caption
// and modal result of a common dialog button; bkClose closes its form.

enum TBitBtnKind : uint8_t { bkCustom, bkOK, bkCancel, bkHelp, bkYes, bkNo, bkClose, bkAbort, bkRetry, bkIgnore, bkAll };

class TBitBtn : public TGlyphButton<TButton> {
    Z_CLASS(TBitBtn, TButton)
public:
    explicit TBitBtn(TComponent* AOwner);
    ~TBitBtn() override;

    // Another kind than bkCustom sets the caption and the modal result of that kind.
    TBitBtnKind Kind() const { return FKind; }
    void SetKind(TBitBtnKind Value);
    bool MouseInControl() const { return FMouseInControl; }

    // bkClose closes the form first; then the button's own click.
    void Click() override;

protected:
    void CreateParams(TCreateParams& Params) override;
    void CreateWnd() override;
    void Dispatch(TMessage& Message) override;
    // The window keeps its owner-drawn style: the face shows the default button instead.
    void SetButtonStyle(bool ADefault) override;
    // The face for Item's state (the frame of the button Enter clicks, edges, fill); the
    // room for glyph and caption, the glyph's state and how far pressed content moves.
    TRect DrawFace(const DRAWITEMSTRUCT& Item, TButtonState& State, TPoint& Offset);
    // The glyph and caption in Client, moved by Offset.
    virtual void DrawContent(const TRect& Client, const TPoint& Offset, TButtonState State);
    TCanvas* Canvas() const { return FCanvas.get(); }

private:
    void DrawItem(const DRAWITEMSTRUCT& Item);

    std::unique_ptr<TCanvas> FCanvas;
    TBitBtnKind FKind = bkCustom;
    bool FShowsDefault = false;   // the button Enter clicks now
    bool FMouseInControl = false;
};
