// The skinned labels: the platform's label with a UTF-16 caption and hint, its text in the
// skin's font colour (GLOBALINFO's) while a skin is applied, and, when SkinSection names a
// section of the skin, that section painted under the text over the parent's picture. A label
// has no window and no skin data of its own: it follows the default manager.
//
// TzLabel may keep its own font colour (UseSkinColor off); TzEditLabel is the label a bound
// label (TzBoundLabel) places beside an edit-like control.
#pragma once

#include "classlib/stdctrls.h"
#include "unicode/ucwidecontrol.h"

class TzCustomLabel : public TUcControlOf<TCustomLabel> {
    Z_CLASS(TzCustomLabel, TCustomLabel)
public:
    // Transparent.
    explicit TzCustomLabel(TComponent* AOwner);

    // A section painted under the text; empty (the default) or missing in the skin: none.
    const AnsiString& SkinSection() const { return FSkinSection; }
    void SetSkinSection(const AnsiString& Value);
    // The label takes the skin's font colour (the custom label always does).
    virtual bool UsesSkinColor() const { return true; }

    TNotifyEvent OnMouseEnter;
    TNotifyEvent OnMouseLeave;

protected:
    void Paint() override;
    // The wide caption, measured or drawn.
    void DoDrawText(TRect& Rect, int Flags) override;
    // The wide hot key and hint, the mouse events, and the skin's coming and going.
    void Dispatch(TMessage& Message) override;

private:
    // The skin's font colour given to Font when the label takes it and it differs; the
    // change is quiet (the label is being painted, or is painted after the skin command).
    void TakeSkinFontColor();
    void SkinCommand(TMessage& Message);

    AnsiString FSkinSection;
    bool FTakingColor = false;
};

class TzLabel : public TzCustomLabel {
    Z_CLASS(TzLabel, TzCustomLabel)
public:
    explicit TzLabel(TComponent* AOwner) : TzCustomLabel(AOwner) {}
    // Off: the label keeps its own font colour through every skin and the skin's removal.
    bool UseSkinColor() const { return FUseSkinColor; }
    void SetUseSkinColor(bool Value);
    bool UsesSkinColor() const override { return FUseSkinColor; }

private:
    bool FUseSkinColor = true;
};

// The label of a bound label; the bound label lets go of it when it is freed.
class TzEditLabel : public TzLabel {
    Z_CLASS(TzEditLabel, TzLabel)
public:
    explicit TzEditLabel(TComponent* AOwner) : TzLabel(AOwner) {}
};

// Start-up: bound labels are made as TzEditLabel; the labels become known to form data.
void InitSkinnedLabels();
