// The skinned speed button: a tool button without a window of its own, painted into its
// parent from a cache of the section "SPEEDBUTTON", its state changes animated. Five styles:
// a button, a check button that stays down until clicked again, a button with a drop-down
// part that opens a popup menu, a separator (the parent's background only) and a divider
// (the skin's "DIVIDER" line).
#pragma once

#include "classlib/comctrls.h"
#include "skin/zcommondata.h"
#include "skin/zfade.h"
#include "skinctl/zbutton.h"
#include "skinctl/zbuttonglyph.h"
#include "unicode/ucbuttons.h"

#include <memory>

class TPopupMenu;

// The width of the drop-down part.
constexpr int DropDownArrowWidth = 16;

class TzSpeedButton : public TUcSpeedButton {
    Z_CLASS(TzSpeedButton, TUcSpeedButton)
public:
    // Type code 92, section "SPEEDBUTTON".
    explicit TzSpeedButton(TComponent* AOwner);
    ~TzSpeedButton() override;
    void AfterConstruction() override;
    void Loaded() override;

    TzCommonData* SkinData() const { return FSkinData.get(); }
    // Entering tbsDropDown widens the button by the drop-down part, leaving it narrows it.
    TToolButtonStyle ButtonStyle() const { return FButtonStyle; }
    void SetButtonStyle(TToolButtonStyle Value);
    TPopupMenu* DropdownMenu() const { return FDropdownMenu; }
    void SetDropdownMenu(TPopupMenu* Value);
    // A check button's state: down until clicked again (a group of its own).
    bool Checked() const { return FButtonStyle == tbsCheck && Down(); }
    void SetChecked(bool Value);
    int Blend() const { return FLook.Blend; }
    void SetBlend(int Value);
    bool Grayed() const { return FLook.Grayed; }
    void SetGrayed(bool Value);
    TzDisabledGlyphKind DisabledGlyphKind() const { return FLook.DisabledGlyphKind; }
    void SetDisabledGlyphKind(TzDisabledGlyphKind Value);
    TzDisabledKind DisabledKind() const { return FDisabledKind; }
    void SetDisabledKind(TzDisabledKind Value);
    TCustomImageList* Images() const { return FImages; }
    void SetImages(TCustomImageList* Value);
    int ImageIndex() const { return FImageIndex; }
    void SetImageIndex(int Value);
    bool ShowCaption() const { return FShowCaption; }
    void SetShowCaption(bool Value);
    bool DrawOverBorder() const { return FDrawOverBorder; }
    void SetDrawOverBorder(bool Value);
    int TextOffset() const { return FTextOffset; }
    void SetTextOffset(int Value) { FTextOffset = Value; }
    TAlignment Alignment() const { return FAlignment; }
    void SetAlignment(TAlignment Value);
    TAlignment TextAlignment() const { return FTextAlignment; }
    void SetTextAlignment(TAlignment Value);
    TSkAnimatEvents AnimatEvents() const { return FAnimatEvents; }
    void SetAnimatEvents(TSkAnimatEvents Value) { FAnimatEvents = Value; }

    int ArrowWidth() const { return FButtonStyle == tbsDropDown ? DropDownArrowWidth : 0; }
    // 2 while held down (in the platform's state or checked), else 1 when active, else 0.
    virtual int CurrentState();
    // The drop-down part's state: 2 while its menu is shown or the button is down.
    int ArrowState();
    // The picture of the present state in the cache.
    virtual void PrepareCache();
    // Where glyph and caption go in the button part.
    TzGlyphPlaces Places();
    // The running animation, none when idle.
    TzAnimTimer* AnimTimer() const { return FAnimTimer; }
    bool MenuShown() const { return FMenuShown; }
    // Painted again through the parent (the button has no window).
    void Redraw();
    void Invalidate() override;

    TBmpPaintEvent OnPaint;
    TNotifyEvent OnMouseEnter;
    TNotifyEvent OnMouseLeave;

protected:
    void Paint() override;
    void WndProc(TMessage& Message) override;
    void Notification(TComponent* AComponent, TOperation Operation) override;
    void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    void ActionChange(TObject* Sender, bool CheckDefaults) override;

private:
    // Without a skin: the separator and divider as lines, the drop-down part's arrow.
    void PaintPlain();
    void MakeOwnGroup();
    void PaintButtonPart(TBitmap* Cache, const TzBackdrop& Behind, const TRect& Area, int State, bool Content);
    void PaintCaption(TBitmap* Cache, const TRect& R, int State);
    void PaintDivider(TBitmap* Cache, const TzCacheInfo& Parent);
    void FillFromParent(TBitmap* Cache, const TzCacheInfo& Parent);
    void StateChanged(bool HalfTime, bool Animate);
    void StartAnimation(bool HalfTime);
    void StopAnimation();
    void DropDown();
    void MouseEnterLeave(TMessage& Message);
    void GlyphChanged(TObject* Sender);
    void Changed();
    void RebuildGlyphStrip();

    std::unique_ptr<TzCommonData> FSkinData;
    TToolButtonStyle FButtonStyle = tbsButton;
    TPopupMenu* FDropdownMenu = nullptr;
    TzGlyphLook FLook;
    TzDisabledKind FDisabledKind = dkBlended;
    TCustomImageList* FImages = nullptr;
    int FImageIndex = -1;
    bool FShowCaption = true;
    bool FDrawOverBorder = true;
    int FTextOffset = 0;
    TAlignment FAlignment = taCenter;
    TAlignment FTextAlignment = taCenter;
    TSkAnimatEvents FAnimatEvents = TSkAnimatEvents(1u << aeGlobalDef);
    TzAnimTimer* FAnimTimer = nullptr;
    bool FMenuShown = false;
    TNotifyEvent FSavedGlyphChange;
    // What the last paint showed: a change of any repaints the cache.
    bool FLastDown = false;
    int FLastNumGlyphs = 1;
    int FLastSpacing = 4;
};
