// What the skinned edit and memo share over their platform classes: the UTF-16 text, hint and
// selection of a Unicode "EDIT" window, the wide action text and form data, and the skin
// parts an edit-like control owns (skin data with its cache, bound label, disabled look).
//
// A mix-in below the control's own class, not a class of the library: the control names its
// platform class as its parent (Z_CLASS(TzEdit, TEdit)) and publishes the properties itself.
#pragma once

#include "classlib/stdctrls.h"
#include "skin/zcommondata.h"
#include "skin/zskinpaint.h"
#include "skinctl/zskinctl.h"
#include "unicode/ucactnlist.h"
#include "unicode/ucclasses.h"
#include "unicode/ucstdctrls.h"

#include <memory>

// The names of the disabled looks, for the property tables.
inline const char* const DisabledKindNames[] = {"dkBlended", "dkGrayed"};

template <class TBase> class TzEditControl : public TBase, public TzSkinnedControl {
public:
    TzEditControl(TComponent* AOwner, int Code)
        : TBase(AOwner), FSkinData(MakeSkinData(this, Code, true)),
          FBoundLabel(std::make_unique<TzBoundLabel>(this, FSkinData.get()))
    {
    }
    // The label and the skin data go before the platform's part of the control.
    ~TzEditControl() override
    {
        FBoundLabel.reset();
        FSkinData.reset();
    }
    void AfterConstruction() override
    {
        TBase::AfterConstruction();
        FSkinData->Loaded();
    }
    void Loaded() override
    {
        TBase::Loaded();
        FSkinData->Loaded();
    }
    void DefineProperties(TFiler* Filer) override
    {
        TBase::DefineProperties(Filer);
        DefineWideProperties(Filer, this);
    }
    void ActionChange(TObject* Sender, bool CheckDefaults) override
    {
        ApplyActionWideText(this, dynamic_cast<TBasicAction*>(Sender), CheckDefaults);
        TBase::ActionChange(Sender, CheckDefaults);
    }
    const TControlActionLinkClass* GetActionLinkClass() override
    {
        return GetUcActionLinkClass(this, TBase::GetActionLinkClass());
    }

    // UTF-16 text of the window (kept by the control while there is none). Setting the text
    // it holds already changes nothing and sends nothing.
    WideString Text() const { return GetControlWideText(Self()); }
    void SetText(const WideString& Value) { SetControlWideText(this, Value); }
    WideString Hint() const { return GetControlWideHint(Self()); }
    void SetHint(const WideString& Value) { SetControlWideHint(this, Value); }
    // The selection in UTF-16 units; SetSelText replaces the selection.
    WideString SelText() { return GetEditWideSelText(this); }
    void SetSelText(const WideString& Value) { SetEditWideSelText(this, Value); }
    int GetSelStart() override { return GetEditWideSelStart(this); }
    void SetSelStart(int Value) override { SetEditWideSelStart(this, Value); }
    int GetSelLength() override { return GetEditWideSelLength(this); }
    void SetSelLength(int Value) override { SetEditWideSelLength(this, Value); }

    TzCommonData* SkinData() const { return FSkinData.get(); }
    TzBoundLabel* BoundLabel() const { return FBoundLabel.get(); }
    // How the cache looks while the control is disabled; [dkBlended] by default.
    TzDisabledKind DisabledKind() const { return FDisabledKind; }
    void SetDisabledKind(TzDisabledKind Value)
    {
        if (StoreChanged(FDisabledKind, Value))
            FSkinData->Invalidate();
    }

protected:
    void CreateWindowHandle(const TCreateParams& Params) override { CreateUnicodeEditHandle(this, Params); }
    // A control without a parent hears no skin command: a new window takes the colours of the
    // skin there is now, and the wait the last removal left is over when a skin is there again.
    void CreateWnd() override
    {
        TBase::CreateWnd();
        FSkinData->Loaded();
        if (FSkinData->Skinned())
            FSkinData->SetUpdating(false);
    }


    // Both run on the one skinned window procedure; the bound label follows every message.
    void WndProc(TMessage& Message) override { RunSkinnedWndProc(*this, Message); }
    TControl* SkinnedSelf() override { return this; }
    TzCommonData* SkinnedData() override { return FSkinData.get(); }
    void InheritedWndProc(TMessage& Message) override { TBase::WndProc(Message); }
    TzBoundLabel* SkinnedBoundLabel() override { return FBoundLabel.get(); }
    // The wide hint is stored unless an action gives it.
    static TPropInfo WideHintProp(TPropInfo P)
    {
        P.IsStored = [](const TObject* O) { return IsWideHintStored(const_cast<TControl*>(static_cast<const TControl*>(O))); };
        return P;
    }

    std::unique_ptr<TzCommonData> FSkinData;
    std::unique_ptr<TzBoundLabel> FBoundLabel;
    TzDisabledKind FDisabledKind = dkBlended;

private:
    TControl* Self() const { return const_cast<TzEditControl*>(this); }
};
