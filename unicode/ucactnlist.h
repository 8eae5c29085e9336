// Wide captions and hints of actions and of the controls and menu items linked to them. An
// action with the wide-action interface keeps its wide caption and hint in a store component
// it owns; the Unicode action links pass them on to their clients' wide captions and hints,
// and the Unicode controls take them when they are linked to an action.
#pragma once

#include "classlib/actnlist.h"
#include "classlib/menus.h"
#include "unicode/ucclasses.h"

// ---------------------------------------------------------------------------------------
// Actions with wide text

// The interface {59D0AE37-8161-4AD6-9102-14B28E5761EB}: a custom action whose class has it
// carries a wide caption and hint in a TCustomActionHelper. Found with dynamic_cast.
class IUcAction {
public:
    virtual ~IUcAction() = default;
};

// True for a custom action whose class has the interface.
bool IsUcAction(const TBasicAction* Action);

// One wide property of an action: the cache of the wide value (believed while its ANSI form
// is the action's ANSI value) and, while the action's ANSI setter tells the links of a new
// value, the wide value before it: until the action stores the new ANSI value, its wide
// value is still the old one.
struct TUcActionWideValue {
    WideString Cache;
    bool Set = false;
    WideString Previous;
    AnsiString Pending;        // the ANSI value being set
    bool Setting = false;
};

// The store of an action's wide caption and hint: a component the action owns, found among
// its components, made on first use.
class TCustomActionHelper : public TComponent {
    Z_CLASS(TCustomActionHelper, TComponent)
public:
    explicit TCustomActionHelper(TComponent* AOwner);
    TCustomAction* Action() const { return FAction; }

    TUcActionWideValue CaptionValue;
    TUcActionWideValue HintValue;

private:
    TCustomAction* FAction;
};

// The action's store; made when missing and CreateIfMissing is set, else null.
TCustomActionHelper* FindActionHelper(TCustomAction* Action, bool CreateIfMissing);

// The wide caption of an action: with the interface, its store's caption under the cache
// rule against the ANSI caption; otherwise the ANSI caption widened. The setter goes
// through the cache setter with the action's ANSI caption setter (without the interface,
// the ANSI caption takes the converted text). The hint likewise.
WideString GetActionWideCaption(TCustomAction* Action);
void SetActionWideCaption(TCustomAction* Action, const WideString& Value);
WideString GetActionWideHint(TCustomAction* Action);
void SetActionWideHint(TCustomAction* Action, const WideString& Value);

// The wide form of an ANSI caption (hint) the action is giving its links: the store's
// value when its ANSI form is that text, else the text widened.
WideString ActionWideCaptionFor(TBasicAction* Action, const AnsiString& AnsiValue);
WideString ActionWideHintFor(TBasicAction* Action, const AnsiString& AnsiValue);

// Assign of a Unicode action: a control Source gives Target its wide text and hint (True:
// nothing more is taken from it); a custom action Source its wide caption and hint, which
// the caller copies after the library's Assign.
bool AssignControlWideText(TCustomAction* Target, TPersistent* Source);
void AssignActionWideText(TCustomAction* Target, TPersistent* Source);

// The library's action class Base with the interface: a wide Caption and Hint kept in the
// action's store.
template <class Base> class TUcActionOf : public Base, public IUcAction {
public:
    using Base::Base;
    WideString Caption() const { return GetActionWideCaption(Self()); }
    void SetCaption(const WideString& Value) { SetActionWideCaption(this, Value); }
    WideString Hint() const { return GetActionWideHint(Self()); }
    void SetHint(const WideString& Value) { SetActionWideHint(this, Value); }
    // A custom action gives its wide caption and hint, a control its wide text and hint,
    // besides what the library's action takes.
    void Assign(TPersistent* Source) override
    {
        if (AssignControlWideText(this, Source))
            return;
        Base::Assign(Source);
        AssignActionWideText(this, Source);
    }
    void DefineProperties(TFiler* Filer) override
    {
        Base::DefineProperties(Filer);
        DefineWideProperties(Filer, this);
    }

private:
    TCustomAction* Self() const { return const_cast<TUcActionOf*>(this); }
};

class TUcAction : public TUcActionOf<TAction> {
    Z_CLASS(TUcAction, TAction)
public:
    explicit TUcAction(TComponent* AOwner) : TUcActionOf<TAction>(AOwner) {}
};

// What every Unicode control's ActionChange does first (the library's after it): with an
// action that has the interface, the control's wide caption becomes the action's unless
// CheckDefaults is set and the control already has a non-empty wide caption other than its
// Name; its wide hint becomes the action's unless CheckDefaults is set and it has one.
void ApplyActionWideText(TControl* Control, TBasicAction* Action, bool CheckDefaults);

// ---------------------------------------------------------------------------------------
// The Unicode action links: each is the library's link of its kind whose caption and hint
// are linked only while the client's wide text is the action's too, and pass on the wide
// text of the action.

namespace ucactnlist_detail {
WideString ClientWideCaption(TControl* Client);
void SetClientWideCaption(TControl* Client, const WideString& Value);
WideString ClientWideHint(TControl* Client);
void SetClientWideHint(TControl* Client, const WideString& Value);
WideString ClientWideCaption(TMenuItem* Client);
void SetClientWideCaption(TMenuItem* Client, const WideString& Value);
WideString ClientWideHint(TMenuItem* Client);
void SetClientWideHint(TMenuItem* Client, const WideString& Value);
// The client still shows the action's wide value (always true for an action without the
// interface: its wide value is its ANSI one).
bool WideCaptionLinked(TBasicAction* Action, const WideString& ClientValue);
bool WideHintLinked(TBasicAction* Action, const WideString& ClientValue);
} // namespace ucactnlist_detail

// The four operations every Unicode link overrides, over the library's link Base whose
// client is a ClientT.
template <class Base, class ClientT> class TUcActionLinkOf : public Base {
public:
    using Base::Base;
    bool IsCaptionLinked() override
    {
        return Base::IsCaptionLinked() &&
               ucactnlist_detail::WideCaptionLinked(this->FAction, ucactnlist_detail::ClientWideCaption(LinkClient()));
    }
    void SetCaption(const AnsiString& Value) override
    {
        if (IsCaptionLinked())
            ucactnlist_detail::SetClientWideCaption(LinkClient(), ActionWideCaptionFor(this->FAction, Value));
    }
    bool IsHintLinked() override
    {
        return Base::IsHintLinked() &&
               ucactnlist_detail::WideHintLinked(this->FAction, ucactnlist_detail::ClientWideHint(LinkClient()));
    }
    void SetHint(const AnsiString& Value) override
    {
        if (IsHintLinked())
            ucactnlist_detail::SetClientWideHint(LinkClient(), ActionWideHintFor(this->FAction, Value));
    }

private:
    ClientT* LinkClient() const { return static_cast<ClientT*>(this->FClient); }
};

#define Z_UC_ACTION_LINK(Name, Base, ClientT)                                   \
    class Name : public TUcActionLinkOf<Base, ClientT> {                         \
        Z_CLASS(Name, Base)                                                      \
    public:                                                                      \
        explicit Name(ClientT* AClient) : TUcActionLinkOf<Base, ClientT>(AClient) {} \
    };

Z_UC_ACTION_LINK(TUcMenuActionLink, TMenuActionLink, TMenuItem)
Z_UC_ACTION_LINK(TUcListViewActionLink, TListViewActionLink, TControl)
Z_UC_ACTION_LINK(TUcComboBoxExActionLink, TComboBoxExActionLink, TControl)
Z_UC_ACTION_LINK(TUcSpeedButtonActionLink, TSpeedButtonActionLink, TControl)
Z_UC_ACTION_LINK(TUcToolButtonActionLink, TToolButtonActionLink, TControl)
Z_UC_ACTION_LINK(TUcButtonActionLink, TButtonActionLink, TControl)
Z_UC_ACTION_LINK(TUcWinControlActionLink, TWinControlActionLink, TControl)
Z_UC_ACTION_LINK(TUcControlActionLink, TControlActionLink, TControl)
#undef Z_UC_ACTION_LINK

// The link class of a Unicode control: list view, speed button, tool button, button
// control, other windowed control, other control. The chosen class must derive directly
// from InheritedClass, the library's link class of the control: EAssertionFailed
// "Assertion failure (UcActnList, line 483)" otherwise.
const TControlActionLinkClass* GetUcActionLinkClass(TControl* Control, const TControlActionLinkClass* InheritedClass);
