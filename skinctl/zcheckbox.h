// The skinned check box, and what it shares with its twin, the skinned radio button: the
// system's "BUTTON" window (a Unicode one) keeps focus, keyboard and check state, while the
// control paints its whole face itself from its section over the parent's picture: the check
// glyph of the skin (or the program's own glyphs), the wide caption in the section's colours
// and a focus frame. Skinned, it presses and clicks itself by the mouse and the space bar, can
// be made read-only, sizes itself to its glyph and caption, and fades between its states.
//
// A press is released only by what pressed it: the mouse button that went down on it, or the
// space bar (another key's release leaves it pressed). A read-only box changes by the
// program only: no click of the user reaches its state, whichever way it comes.
#pragma once

#include "skin/zcommondata.h"
#include "skin/zfade.h"
#include "skin/zskinpaint.h"
#include "skinctl/zskinctl.h"
#include "unicode/ucstdctrls.h"

#include <memory>

class TCustomImageList;

template <class TBase> class TzCheckControlOf : public TUcControlOf<TBase>, public TzSkinnedControl {
public:
    TzCheckControlOf(TComponent* AOwner, int Code);
    ~TzCheckControlOf() override;
    void AfterConstruction() override;
    void Loaded() override;
    // Skinned: the glyph, the margins and the caption decide the size.
    bool CanAutoSize(int& NewWidth, int& NewHeight) override;

    TzCommonData* SkinData() const { return FSkinData.get(); }
    // The look of the disabled control; [dkBlended] by default.
    TzDisabledKind DisabledKind() const { return FDisabledKind; }
    void SetDisabledKind(TzDisabledKind Value);
    // The program's own glyphs: three frames side by side (normal, hot, pressed) over a mask
    // half. An empty GlyphChecked leaves the skin's glyph.
    TBitmap* GlyphChecked() const { return FGlyphChecked.get(); }
    void SetGlyphChecked(TBitmap* Value);
    TBitmap* GlyphUnChecked() const { return FGlyphUnChecked.get(); }
    void SetGlyphUnChecked(TBitmap* Value);
    // The extra gap between the glyph and the caption.
    int TextIndent() const { return FTextIndent; }
    void SetTextIndent(int Value);
    bool ShowFocus() const { return FShowFocus; }
    void SetShowFocus(bool Value);
    // The gap between the edge and the glyph, and around the caption; 2 by default.
    int Margin() const { return FMargin; }
    void SetMargin(int Value);
    // Which state changes fade; [aeGlobalDef] (the manager's choice) by default.
    TSkAnimatEvents AnimatEvents() const { return FAnimatEvents; }
    void SetAnimatEvents(TSkAnimatEvents Value) { FAnimatEvents = Value; }
    // The user cannot change the state; the program still can.
    bool ReadOnly() const { return FReadOnly; }
    void SetReadOnly(bool Value) { FReadOnly = Value; }
    // The mouse button or the space bar is down on the control.
    bool Pressed() const { return FPress != prNone; }
    // The running fade, none when idle.
    TzFadeTimer* FadeTimer() const { return FFadeTimer; }

    // The check state shown: 0 unchecked, 1 checked, 2 grayed.
    virtual int CheckState() = 0;
    // Where the glyph and (with a caption) the caption go in the control.
    TRect GlyphRect();
    TRect CaptionRect();
    // The whole face for the present state in the cache.
    void PaintControl();

protected:
    enum TPress : uint8_t { prNone, prMouse, prSpace };

    void WndProc(TMessage& Message) override { RunSkinnedWndProc(*this, Message); }
    TControl* SkinnedSelf() override { return this; }
    TzCommonData* SkinnedData() override { return FSkinData.get(); }
    void InheritedWndProc(TMessage& Message) override { TBase::WndProc(Message); }
    bool PreviewMessage(TMessage& Message) override;
    void SkinChanging(TWMSkinCommand& Command) override;
    void SkinChanged(TWMSkinCommand& Command) override;
    bool PlainMessage(TMessage& Message) override;
    bool SkinnedBefore(TMessage& Message) override;
    void SkinnedAfter(TMessage& Message) override;
    void AfterMessage(TMessage& Message) override;
    // A Unicode "BUTTON" window.
    void CreateWindowHandle(const TCreateParams& Params) override;
    // The system's click and the wide caption's accelerator (which also takes the focus)
    // are the user's change.
    void Dispatch(TMessage& Message) override;

    // The check glyph of the skin: a box or a radio.
    virtual TzCheckGlyphKind GlyphKind() const = 0;
    // The user's change (a released press, the accelerator): nothing while read-only.
    virtual void UserChange() = 0;
    // The state changed: a fade where the control fades, else a repaint.
    virtual bool FadesOnChange() const = 0;
    // The window got the focus, skinned or not: not by the mouse's press, nor while clicks
    // are held back.
    virtual void FocusGained() {}
    // The window was told a check state (BM_SETCHECK) while the control paints itself.
    virtual void CheckSetByWindow(WPARAM) {}
    // The program's own glyph of the checked or the other states (three frames over a mask
    // half; it may be empty), or none: the skin's glyph. The checked one sets the size.
    virtual TBitmap* OwnGlyph(bool Checked);
    // The frame size of the glyph and, for the skin's, the image's index (-1 for the program's).
    TSize GlyphFrame(int& SkinIndex);
    // The glyph, the caption or the size changed.
    void LookChanged();

    std::unique_ptr<TzCommonData> FSkinData;
    std::unique_ptr<TBitmap> FGlyphChecked;
    std::unique_ptr<TBitmap> FGlyphUnChecked;
    TzDisabledKind FDisabledKind = dkBlended;
    int FTextIndent = 0;
    int FMargin = 2;
    TSkAnimatEvents FAnimatEvents = TSkAnimatEvents(1u << aeGlobalDef);
    bool FShowFocus = true;
    bool FReadOnly = false;
    TPress FPress = prNone;
    TzFadeTimer* FFadeTimer = nullptr;

private:
    // 1 hot (active and not read-only), else 0; the glyph shows 2 while pressed.
    int PaintState();
    void StopFade() { StopFadeTimer(FFadeTimer); }
    void StateChanged(TSkAnimatEvent Event, uint8_t Direction);
    void PaintMessage(TMessage& Message);
    void PaintToDC(HDC DC);
    void DrawGlyph(TBitmap* Cache);
    bool MouseDown(TMessage& Message);
    bool MouseUp(TMessage& Message);
    bool SpaceDown(TMessage& Message);
    bool KeyUp(TMessage& Message);
    void EndPress();
    void FocusIn(TMessage& Message);
    void FocusOut(TMessage& Message);
    // The platform's handling with the window's own drawing held back.
    void Unpainted(TMessage& Message);
};

// The skinned check box (type code 32, section "CHECKBOX").
class TzCheckBox : public TzCheckControlOf<TCustomCheckBox> {
    Z_CLASS(TzCheckBox, TCustomCheckBox)
public:
    explicit TzCheckBox(TComponent* AOwner);

    // Glyphs from an image list: each image three frames over a mask half, used only while
    // both indexes name an image (-1 by default).
    TCustomImageList* Images() const { return FImages; }
    void SetImages(TCustomImageList* Value);
    int ImgChecked() const { return FImgChecked; }
    void SetImgChecked(int Value);
    int ImgUnchecked() const { return FImgUnchecked; }
    void SetImgUnchecked(int Value);
    // Set by the program: the new look at once, without a fade.
    void SetChecked(bool Value) override;
    int CheckState() override { return State(); }

protected:
    void Notification(TComponent* AComponent, TOperation Operation) override;
    TzCheckGlyphKind GlyphKind() const override { return cgCheckBox; }
    void UserChange() override;
    bool FadesOnChange() const override { return true; }
    TBitmap* OwnGlyph(bool Checked) override;

private:
    TCustomImageList* FImages = nullptr;
    int FImgChecked = -1;
    int FImgUnchecked = -1;
    std::unique_ptr<TBitmap> FListGlyph;
};

extern template class TzCheckControlOf<TCustomCheckBox>;
extern template class TzCheckControlOf<TRadioButton>;
