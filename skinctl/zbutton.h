// The skinned push button, and what it shares with the skinned bit button: the platform's
// button window keeps focus and keyboard, while the button paints its whole face from the
// section "BUTTON" into its cache (background, border, caption, the bit button's glyph), cuts
// its window region out of the border image's transparent corners, and fades between its
// states when the section says so.
//
// A press clicks once: while skinned the button presses and clicks itself (mouse, space bar),
// and a BN_CLICKED the system's button sends on that same release is not taken again.
#pragma once

#include "classlib/gdihandles.h"
#include "skin/zcommondata.h"
#include "skin/zfade.h"
#include "skin/zskinpaint.h"
#include "skinctl/zskinctl.h"
#include "unicode/ucstdctrls.h"

#include <memory>

// The application's hints are off while a button is held down (a press that opens a modal
// window or menu would show the hint over it). The first hold keeps the previous setting.
void HoldHints();
void ReleaseHints();

// The bitmap a control has just painted into its cache, for drawing of one's own over it.
using TBmpPaintEvent = TMethod<void(TObject* Sender, TBitmap* Bmp)>;

// The names of the animated events, for the property tables.
inline const char* const AnimatEventNames[] = {"aeMouseEnter", "aeMouseLeave", "aeMouseDown", "aeMouseUp",
                                               "aeGlobalDef"};

template <class TBase> class TzPushButtonOf : public TBase, public TzSkinnedControl {
public:
    TzPushButtonOf(TComponent* AOwner, int Code);
    ~TzPushButtonOf() override;
    void AfterConstruction() override;
    void Loaded() override;

    TzCommonData* SkinData() const { return FSkinData.get(); }
    // The look of the disabled button; [dkBlended] by default.
    TzDisabledKind DisabledKind() const { return FDisabledKind; }
    void SetDisabledKind(TzDisabledKind Value);
    // How far the focus frame lies outside the caption; 1 by default.
    int FocusMargin() const { return FFocusMargin; }
    void SetFocusMargin(int Value);
    // Which state changes fade; [aeGlobalDef] (the manager's choice) by default.
    TSkAnimatEvents AnimatEvents() const { return FAnimatEvents; }
    void SetAnimatEvents(TSkAnimatEvents Value) { FAnimatEvents = Value; }
    // Held down for good (Down set), or for the moment (pressed by the mouse or the space bar).
    bool Down() const { return FDown || FPressed; }
    void SetDown(bool Value);
    bool Pressed() const { return FPressed; }
    // The button shows itself as the one Enter clicks.
    bool ActiveDefault() const { return FActiveDefault; }
    // The running fade, none when idle.
    TzFadeTimer* FadeTimer() const { return FFadeTimer; }
    // The region waiting to be handed to the window at the next paint (0 when none).
    HRGN PendingRegion() const { return FPendingRegion.Handle(); }

    // 2 pressed (held down, and the mouse over it unless the left button is not held on it),
    // 1 hot (focused, under the mouse, or the default button), else 0.
    virtual int CurrentState();
    // The whole face for the present state in the cache; a marked region is made anew.
    void PrepareCache();
    // Whatever asks for a new picture (a glyph, a layout, a caption) gets the face repainted.
    void Invalidate() override;

    TNotifyEvent OnMouseEnter;
    TNotifyEvent OnMouseLeave;

protected:
    void WndProc(TMessage& Message) override { RunSkinnedWndProc(*this, Message); }
    TControl* SkinnedSelf() override { return this; }
    TzCommonData* SkinnedData() override { return FSkinData.get(); }
    void InheritedWndProc(TMessage& Message) override { TBase::WndProc(Message); }
    bool PreviewMessage(TMessage& Message) override;
    void SkinChanging(TWMSkinCommand& Command) override;
    void SkinChanged(TWMSkinCommand& Command) override;
    void ParentUpdateEnded() override { this->Repaint(); }
    bool SkinnedBefore(TMessage& Message) override;
    void SkinnedAfter(TMessage& Message) override;
    // A new window shows the default button as such until the focus says otherwise.
    void CreateWnd() override;
    // What the button paints over its section: caption and focus frame (and a glyph).
    virtual void PaintContent(TBitmap* Cache, int State) = 0;
    // The content over the border (True), or the border over the content.
    virtual bool DrawsOverBorder() { return true; }
    // After the face is painted (the bit button's OnPaint).
    virtual void FacePainted(TBitmap*) {}
    // The own manager removed its skin (the bit button takes its image-list glyph back).
    virtual void SkinRemoved() {}
    // The caption in the section's colours, hot while the button is active, the default or
    // pressed; disabled in the disabled colour.
    void DrawCaption(TCanvas* Canvas, const WideString& Text, TRect R, UINT Flags);
    // The dotted frame round the caption while focused, when the section shows focus (and
    // Show allows it).
    void DrawFocusFrame(TCanvas* Canvas, const TRect& Caption, bool Show);
    // The region of the window is to be made again.
    void MarkRegion();

    std::unique_ptr<TzCommonData> FSkinData;
    TzDisabledKind FDisabledKind = dkBlended;
    int FFocusMargin = 1;
    TSkAnimatEvents FAnimatEvents = TSkAnimatEvents(1u << aeGlobalDef);
    bool FDown = false;
    bool FPressed = false;        // by the mouse or the space bar, for the moment
    bool FMouseClicked = false;   // the left button went down on the skinned button
    bool FActiveDefault = false;
    bool FRegionChanged = true;
    TOwnedRegion FPendingRegion;
    int FOwnRelease = 0;          // inside the button's own release: a system click is not taken
    TzFadeTimer* FFadeTimer = nullptr;

private:
    // The common handling and the platform's, for a message the button handles around them.
    void Inherited(TMessage& Message);
    void StopFade() { StopFadeTimer(FFadeTimer); }
    // A state change: a fade when the section fades and the event animates, else a repaint.
    void StateChanged(TSkAnimatEvent Event, uint8_t Direction, bool HalfTime);
    // The input handlers answer True: the message is handled.
    bool MouseDownSkinned(TMessage& Message);
    bool MouseUpSkinned(TMessage& Message);
    void MouseMoveSkinned(const TMessage& Message);
    void MouseEnterLeave(TMessage& Message);
    // The press ends without its release (the capture went to another window): up again,
    // no click, the hints back.
    void CancelPress();
    void Moved();
    void FadeDone();
    bool SpaceDown();
    bool SpaceUp(TMessage& Message);
    void FocusIn(TMessage& Message);
    void FocusOut(TMessage& Message);
    void FocusChanged(const TMessage& Message);
    void PaintMessage(TMessage& Message);
    void PaintToDC(HDC DC);
    // The region made from the border image's transparent corner runs.
    void MakeRegion();
    void RemoveWindowRegion();
};

// The skinned push button (type code 93, section "BUTTON"), its caption centred and wrapped.
class TzButton : public TzPushButtonOf<TUcButton> {
    Z_CLASS(TzButton, TUcButton)
public:
    explicit TzButton(TComponent* AOwner);
    // Where the caption goes: its measured size centred, one pixel down and right while
    // pressed with the mouse over it.
    TRect CaptionRect();

protected:
    void PaintContent(TBitmap* Cache, int State) override;
};

extern template class TzPushButtonOf<TUcButton>;
