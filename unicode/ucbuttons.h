// The speed button and the bit button with wide captions and hints: their glyph and wide
// caption are placed by the library's glyph rules, the caption drawn with the wide calls.
#pragma once

#include "classlib/buttons.h"
#include "unicode/ucwidecontrol.h"

// The interface {15D7E501-1E33-4293-8B45-716FB3B14504}: a button that draws a glyph beside
// its wide caption gives the drawing code its glyph (with the number of images in it) and
// their placing. Found with dynamic_cast.
class IUcGlyphButton {
public:
    virtual ~IUcGlyphButton() = default;
    virtual TButtonGlyph* GlyphObject() = 0;
    virtual TButtonLayout GlyphLayout() = 0;
    virtual int GlyphMargin() = 0;
    virtual int GlyphSpacing() = 0;
};

// The glyph image of State and the wide caption of Control in Client, moved by Offset, in
// the control's font and reading order (a disabled caption embossed; a button control's
// caption wrapped with its WordWrap). Returns where the caption went. EUcInternalError
// "Internal Error: Control does not support IUcGlyphButton." for a control without it.
TRect DrawUcGlyphButton(TControl* Control, TCanvas* Canvas, const TRect& Client, const TPoint& Offset,
                        TButtonState State);

// A library glyph button Base with the wide caption and hint, offering IUcGlyphButton.
template <class Base> class TUcGlyphButtonOf : public TUcControlOf<Base>, public IUcGlyphButton {
public:
    using TUcControlOf<Base>::TUcControlOf;
    TButtonGlyph* GlyphObject() override { return this->ButtonGlyph(); }
    TButtonLayout GlyphLayout() override { return this->Layout(); }
    int GlyphMargin() override { return this->Margin(); }
    int GlyphSpacing() override { return this->Spacing(); }
};

// A speed button (no window) with a wide caption and hint: the hint shows in the Unicode
// hint window, the hot key of the wide caption presses it.
class TUcSpeedButton : public TUcGlyphButtonOf<TSpeedButton> {
    Z_CLASS(TUcSpeedButton, TSpeedButton)
public:
    explicit TUcSpeedButton(TComponent* AOwner) : TUcGlyphButtonOf<TSpeedButton>(AOwner) {}

protected:
    void DrawContent(const TRect& Client, const TPoint& Offset) override;
    void Dispatch(TMessage& Message) override;
};

// A bit button in a Unicode "BUTTON" window.
class TUcBitBtn : public TUcGlyphButtonOf<TBitBtn> {
    Z_CLASS(TUcBitBtn, TBitBtn)
public:
    explicit TUcBitBtn(TComponent* AOwner) : TUcGlyphButtonOf<TBitBtn>(AOwner) {}

protected:
    void CreateWindowHandle(const TCreateParams& Params) override;
    void DrawContent(const TRect& Client, const TPoint& Offset, TButtonState State) override;
    void Dispatch(TMessage& Message) override;
};

// Start-up: the two buttons become known to form data.
void InitUcButtons();
