// The skinned up-down: the platform's arrow pair, which keeps the position, the limits and
// the repeat, painted from the skin's scroll-button sections (or one section named by
// ButtonSkin) while a skin is active. It has no skin data of its own: the skin comes from
// its parent's manager when the parent is a skinned control, else from the default one, and
// its buttons stand on the parent's picture.
#pragma once

#include "classlib/comctrls.h"
#include "skin/zskinpaint.h"

#include <memory>

class TzSkinManager;

// Which button the mouse is over or presses: "first" is the up button of a vertical
// up-down and the left button of a horizontal one.
enum TzUpDownButtonState : uint8_t {
    ubsNone, ubsFirstHot, ubsSecondHot, ubsFirstPressed, ubsSecondPressed
};

class TzUpDown : public TCustomUpDown {
    Z_CLASS(TzUpDown, TCustomUpDown)
public:
    explicit TzUpDown(TComponent* AOwner);
    ~TzUpDown() override;

    // A button whose direction has reached its limit is drawn disabled and is never hot or
    // pressed; True by default.
    bool ShowInaccessibility() const { return FShowInaccessibility; }
    void SetShowInaccessibility(bool Value);
    TzDisabledKind DisabledKind() const { return FDisabledKind; }
    void SetDisabledKind(TzDisabledKind Value);
    // A section both buttons are painted with instead of the scroll-button sections.
    const AnsiString& ButtonSkin() const { return FButtonSkin; }
    void SetButtonSkin(const AnsiString& Value);
    TzUpDownButtonState ButtonState() const { return FButtonState; }
    void SetButtonState(TzUpDownButtonState Value);

    // The manager the buttons are painted from (none: the platform paints).
    TzSkinManager* SkinManager() const;
    // A skin is active and has the buttons' sections.
    bool Skinned() const;

protected:
    void WndProc(TMessage& Message) override;

private:
    // The button's position limit: up and right stop at Max, down and left at Min.
    int LimitOf(bool First) const;
    bool AtLimit(bool First);
    // The client point lies in the first button.
    bool InFirst(TPoint P) const;
    TRect ButtonRect(bool First) const;
    void WMPaint(TMessage& Message);
    void SkinCommand(TMessage& Message);
    // The hot and pressed button follow the mouse after the platform's handling.
    void FollowMouse(const TMessage& Message);
    void PaintButton(HDC DC, bool First);
    void HitTest(const TMessage& Message);
    void ButtonDown();
    void ButtonUp();

    bool FShowInaccessibility = true;
    TzDisabledKind FDisabledKind = dkBlended;
    TzUpDownButtonState FButtonState = ubsNone;
    AnsiString FButtonSkin;
    bool FMouseDown = false;
    std::unique_ptr<TBitmap> FButtonBmp;
};
