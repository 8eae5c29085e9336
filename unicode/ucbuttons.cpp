#include "unicode/ucbuttons.h"
#include "unicode/ucstdctrls.h"

TRect DrawUcGlyphButton(TControl* Control, TCanvas* Canvas, const TRect& Client, const TPoint& Offset,
                        TButtonState State)
{
    auto* button = dynamic_cast<IUcGlyphButton*>(Control);
    if (!button)
        throw EUcInternalError("Internal Error: Control does not support IUcGlyphButton.");
    auto* buttonControl = dynamic_cast<TButtonControl*>(Control);
    Canvas->SetFont(Control->Font());
    return button->GlyphObject()->Draw(Canvas, Client, Offset, TWideCaptionText(GetControlWideText(Control)),
                                       button->GlyphLayout(), button->GlyphMargin(), button->GlyphSpacing(), State,
                                       static_cast<UINT>(Control->DrawTextBiDiModeFlagsReadingOnly()),
                                       buttonControl && buttonControl->WordWrap());
}

// ---------------------------------------------------------------------------------------
// TUcSpeedButton

Z_CLASS_IMPL(TUcSpeedButton, TSpeedButton, WideCaptionProp<TUcSpeedButton>(), WideHintProp<TUcSpeedButton>())

void TUcSpeedButton::DrawContent(const TRect& Client, const TPoint& Offset)
{
    // Off NT the wide text is drawn as its ANSI form, as the library would draw it.
    DrawUcGlyphButton(this, Canvas(), Client, Offset, State());
}

void TUcSpeedButton::Dispatch(TMessage& Message)
{
    switch (Message.Msg) {
    case CM_HINTSHOW:
        // Without a window there is no trap to do this for the button.
        HandleHintShowWide(Message);
        TSpeedButton::Dispatch(Message);
        break;
    case CM_DIALOGCHAR:
        if (!PlatformIsUnicode) {
            TSpeedButton::Dispatch(Message);
        } else if (IsWideAccel(Message, this) && AcceleratorAvailable()) {
            Pressed();
            Message.Result = 1;
        } else {
            TGraphicControl::Dispatch(Message);
        }
        break;
    default:
        TSpeedButton::Dispatch(Message);
        break;
    }
}

// ---------------------------------------------------------------------------------------
// TUcBitBtn

Z_CLASS_IMPL(TUcBitBtn, TBitBtn, WideCaptionProp<TUcBitBtn>(), WideHintProp<TUcBitBtn>())

void TUcBitBtn::CreateWindowHandle(const TCreateParams& Params)
{
    CreateUnicodeWindowHandle(this, Params, L"BUTTON", false);
}

void TUcBitBtn::DrawContent(const TRect& Client, const TPoint& Offset, TButtonState State)
{
    DrawUcGlyphButton(this, Canvas(), Client, Offset, State);
}

void TUcBitBtn::Dispatch(TMessage& Message)
{
    if (Message.Msg != CM_DIALOGCHAR || !PlatformIsUnicode) {
        TBitBtn::Dispatch(Message);
        return;
    }
    // The library's test of the ANSI caption's hot key is left out: see TUcButton.
    if (!HandleButtonDialogCharWide(this, Message))
        TButtonControl::Dispatch(Message);
}

void InitUcButtons()
{
    RegisterClass(TUcSpeedButton::StaticClassInfo());
    RegisterClass(TUcBitBtn::StaticClassInfo());
}
