#include "unicode/ucextctrls.h"

Z_CLASS_IMPL(TUcCustomPanel, TCustomPanel)
Z_CLASS_IMPL(TUcPanel, TUcCustomPanel, WideCaptionProp<TUcPanel>(), WideHintProp<TUcPanel>())

void TUcCustomPanel::CreateWindowHandle(const TCreateParams& Params)
{
    CreateUnicodeWindowHandle(this, Params, WideString(), false);
}

void TUcCustomPanel::Paint()
{
    // Off NT the wide text is drawn as its ANSI form, as the library would draw it.
    PaintCaptioned(TWideCaptionText(GetControlWideText(this)));
}

void InitUcExtCtrls()
{
    RegisterClass(TUcPanel::StaticClassInfo());
}
