// The skinned radio button: the check box's twin (see zcheckbox.h) with the skin's radio
// glyph. A released press checks it (never unchecks it), and checking one button of a parent
// unchecks the others. The focus given by the keyboard or the program checks it too, skinned
// or not, so that the arrows move through a group checking as they go (the system's button
// does that on some systems only).
#pragma once

#include "skinctl/zcheckbox.h"

// Type code 33, section "RADIOBUTTON".
class TzRadioButton : public TzCheckControlOf<TRadioButton> {
    Z_CLASS(TzRadioButton, TRadioButton)
public:
    explicit TzRadioButton(TComponent* AOwner);
    int CheckState() override { return Checked() ? 1 : 0; }

protected:
    TzCheckGlyphKind GlyphKind() const override { return cgRadioButton; }
    void UserChange() override;
    bool FadesOnChange() const override { return false; }
    void CheckSetByWindow(WPARAM Check) override;
    // The focus checks the button, as the arrows of a group move it.
    void FocusGained() override;
};
