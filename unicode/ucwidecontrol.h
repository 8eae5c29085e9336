// What every Unicode control class of the layer has: a published wide Caption and Hint over
// the library's ANSI ones, their companions in form data, the wide text of a linked action,
// the Unicode action link, and its wide caption for the library's painting code.
#pragma once

#include "classlib/controls.h"
#include "unicode/ucactnlist.h"
#include "unicode/ucclasses.h"
#include "unicode/uccontrols.h"
#include "unicode/ucsysutils.h"

#include <utility>

// A wide caption for the library's painting code (group box, panel, glyph buttons).
class TWideCaptionText : public TCaptionText {
public:
    explicit TWideCaptionText(WideString Text) : FText(std::move(Text)) {}
    bool IsEmpty() const override { return FText.empty(); }
    void DrawText(HDC DC, TRect& R, UINT Flags) const override
    {
        DrawTextWide(DC, FText.c_str(), static_cast<int>(FText.size()), R.Win(), Flags);
    }

private:
    WideString FText;
};

// The library's control class Base with the wide Caption and Hint (GetControlWideText /
// SetControlWideText, GetControlWideHint / SetControlWideHint) and the overrides every
// Unicode control makes. The class built on it publishes WideCaptionProp and WideHintProp.
template <class Base> class TUcControlOf : public Base {
public:
    using Base::Base;

    WideString Caption() const { return GetControlWideText(Self()); }
    void SetCaption(const WideString& Value) { SetControlWideText(Self(), Value); }
    WideString Hint() const { return GetControlWideHint(Self()); }
    void SetHint(const WideString& Value) { SetControlWideHint(Self(), Value); }

    void DefineProperties(TFiler* Filer) override
    {
        Base::DefineProperties(Filer);
        DefineWideProperties(Filer, this);
    }
    void ActionChange(TObject* Sender, bool CheckDefaults) override
    {
        ApplyActionWideText(this, dynamic_cast<TBasicAction*>(Sender), CheckDefaults);
        Base::ActionChange(Sender, CheckDefaults);
    }
    const TControlActionLinkClass* GetActionLinkClass() override
    {
        return GetUcActionLinkClass(this, Base::GetActionLinkClass());
    }

private:
    TControl* Self() const { return const_cast<TUcControlOf*>(this); }
};

// The published wide Caption and Hint of a Unicode control class C: not stored while an
// action supplies them.
template <class C> TPropInfo WideCaptionProp()
{
    TPropInfo p = Z_PROP_WSTR(C, Caption);
    p.IsStored = [](const TObject* O) { return IsWideCaptionStored(zprop::Self<TControl>(O)); };
    return p;
}

template <class C> TPropInfo WideHintProp()
{
    TPropInfo p = Z_PROP_WSTR(C, Hint);
    p.IsStored = [](const TObject* O) { return IsWideHintStored(zprop::Self<TControl>(O)); };
    return p;
}
