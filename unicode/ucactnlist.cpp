#include "unicode/ucactnlist.h"
#include "classlib/stdctrls.h"
#include "unicode/uccontrols.h"
#include "unicode/ucmenus.h"

namespace {

// Where the check of a link class names itself, as the platform's assertion did.
const char* const kLinkAssertUnit = "UcActnList";
constexpr int kLinkAssertLine = 483;

void SetAnsiCaption(TObject* Target, const AnsiString& Value)
{
    static_cast<TCustomAction*>(Target)->TCustomAction::SetCaption(Value);
}

void SetAnsiHint(TObject* Target, const AnsiString& Value)
{
    static_cast<TCustomAction*>(Target)->TCustomAction::SetHint(Value);
}

TUcActionWideValue* StoreValue(TCustomAction* Action, bool Caption, bool CreateIfMissing)
{
    TCustomActionHelper* helper = FindActionHelper(Action, CreateIfMissing);
    if (!helper)
        return nullptr;
    return Caption ? &helper->CaptionValue : &helper->HintValue;
}

WideString GetWide(TCustomAction* Action, bool Caption)
{
    const AnsiString& ansi = Caption ? Action->TCustomAction::Caption() : Action->TCustomAction::Hint();
    if (!IsUcAction(Action))
        return AnsiToWide(ansi);
    TUcActionWideValue* v = StoreValue(Action, Caption, false);
    if (!v || !v->Set)
        return AnsiToWide(ansi);
    // The links are being told of a new value the action has not stored yet.
    if (v->Setting && ansi != v->Pending)
        return v->Previous;
    return WideGetCachedValue(v->Cache, ansi);
}

// Gives the action a new ANSI value whose wide form is Wide; the links hear of it with the
// action's wide value still the one before.
void PassOn(TCustomAction* Action, TUcActionWideValue& V, const WideString& Wide, const WideString& Before,
            TAnsiPropSetter Setter)
{
    V.Previous = Before;
    V.Pending = WideToAnsi(Wide);
    V.Cache = Wide;
    V.Set = true;
    TFlagScope setting(V.Setting);
    Setter(Action, V.Pending);
}

void SetWide(TCustomAction* Action, bool Caption, const WideString& Value)
{
    TAnsiPropSetter setter = Caption ? &SetAnsiCaption : &SetAnsiHint;
    if (!IsUcAction(Action)) {
        setter(Action, WideToAnsi(Value));
        return;
    }
    WideString current = GetWide(Action, Caption);
    if (Value == current)
        return;
    TUcActionWideValue& v = *StoreValue(Action, Caption, true);
    const AnsiString newAnsi = WideToAnsi(Value);
    const AnsiString oldAnsi = Caption ? Action->TCustomAction::Caption() : Action->TCustomAction::Hint();
    // Two wide texts with one ANSI form: the action and its links would see no change, so
    // they are shown an empty text first.
    if (AnsiToWide(newAnsi) != Value && newAnsi == oldAnsi) {
        PassOn(Action, v, WideString(), current, setter);
        current.clear();
    }
    PassOn(Action, v, Value, current, setter);
}

// The class chain of an object names a class (for kinds of controls this library may not
// have, found by their names).
bool IsKindOf(const TObject* Object, const char* ClassName)
{
    for (const TClassInfo* c = &Object->ClassInfo(); c; c = c->Parent)
        if (SameText(c->Name, ClassName))
            return true;
    return false;
}

} // namespace

// ---------------------------------------------------------------------------------------
// Actions with wide text

bool IsUcAction(const TBasicAction* Action)
{
    return dynamic_cast<const TCustomAction*>(Action) && dynamic_cast<const IUcAction*>(Action);
}

Z_CLASS_IMPL(TCustomActionHelper, TComponent)

TCustomActionHelper::TCustomActionHelper(TComponent* AOwner)
    : TComponent(AOwner), FAction(dynamic_cast<TCustomAction*>(AOwner))
{
}

TCustomActionHelper* FindActionHelper(TCustomAction* Action, bool CreateIfMissing)
{
    if (!Action)
        return nullptr;
    for (int i = 0; i < Action->ComponentCount(); ++i)
        if (auto* helper = dynamic_cast<TCustomActionHelper*>(Action->Components(i)))
            return helper;
    if (!CreateIfMissing || Action->IsDestroying())
        return nullptr;
    return new TCustomActionHelper(Action);   // the action owns it
}

WideString GetActionWideCaption(TCustomAction* Action)
{
    return Action ? GetWide(Action, true) : WideString();
}

void SetActionWideCaption(TCustomAction* Action, const WideString& Value)
{
    if (Action)
        SetWide(Action, true, Value);
}

WideString GetActionWideHint(TCustomAction* Action)
{
    return Action ? GetWide(Action, false) : WideString();
}

void SetActionWideHint(TCustomAction* Action, const WideString& Value)
{
    if (Action)
        SetWide(Action, false, Value);
}

namespace {
WideString WideFor(TBasicAction* Action, const AnsiString& AnsiValue, bool Caption)
{
    auto* action = dynamic_cast<TCustomAction*>(Action);
    if (!action || !IsUcAction(action))
        return AnsiToWide(AnsiValue);
    TCustomActionHelper* helper = FindActionHelper(action, false);
    if (!helper)
        return AnsiToWide(AnsiValue);
    TUcActionWideValue& v = Caption ? helper->CaptionValue : helper->HintValue;
    if (v.Set && WideToAnsi(v.Cache) == AnsiValue)
        return v.Cache;
    return AnsiToWide(AnsiValue);
}
} // namespace

WideString ActionWideCaptionFor(TBasicAction* Action, const AnsiString& AnsiValue)
{
    return WideFor(Action, AnsiValue, true);
}

WideString ActionWideHintFor(TBasicAction* Action, const AnsiString& AnsiValue)
{
    return WideFor(Action, AnsiValue, false);
}

// ---------------------------------------------------------------------------------------
// TUcAction

Z_CLASS_IMPL(TUcAction, TAction, Z_PROP_WSTR(TUcAction, Caption), Z_PROP_WSTR(TUcAction, Hint))

bool AssignControlWideText(TCustomAction* Target, TPersistent* Source)
{
    auto* control = dynamic_cast<TControl*>(Source);
    if (!control)
        return false;
    SetActionWideCaption(Target, GetControlWideText(control));
    SetActionWideHint(Target, GetControlWideHint(control));
    return true;
}

void AssignActionWideText(TCustomAction* Target, TPersistent* Source)
{
    if (auto* action = dynamic_cast<TCustomAction*>(Source)) {
        SetActionWideCaption(Target, GetActionWideCaption(action));
        SetActionWideHint(Target, GetActionWideHint(action));
    }
}

void ApplyActionWideText(TControl* Control, TBasicAction* Action, bool CheckDefaults)
{
    auto* action = dynamic_cast<TCustomAction*>(Action);
    if (!Control || !action || !IsUcAction(action))
        return;
    WideString caption = GetControlWideText(Control);
    if (!CheckDefaults || caption.empty() || caption == AnsiToWide(Control->Name()))
        SetControlWideText(Control, GetActionWideCaption(action));
    if (!CheckDefaults || GetControlWideHint(Control).empty())
        SetControlWideHint(Control, GetActionWideHint(action));
}

// ---------------------------------------------------------------------------------------
// Links

namespace ucactnlist_detail {

WideString ClientWideCaption(TControl* Client)
{
    return GetControlWideText(Client);
}

void SetClientWideCaption(TControl* Client, const WideString& Value)
{
    SetControlWideText(Client, Value);
}

WideString ClientWideHint(TControl* Client)
{
    return GetControlWideHint(Client);
}

void SetClientWideHint(TControl* Client, const WideString& Value)
{
    SetControlWideHint(Client, Value);
}

WideString ClientWideCaption(TMenuItem* Client)
{
    return GetMenuItemWideCaption(Client);
}

void SetClientWideCaption(TMenuItem* Client, const WideString& Value)
{
    SetMenuItemWideCaption(Client, Value);
}

WideString ClientWideHint(TMenuItem* Client)
{
    return GetMenuItemWideHint(Client);
}

void SetClientWideHint(TMenuItem* Client, const WideString& Value)
{
    SetMenuItemWideHint(Client, Value);
}

bool WideCaptionLinked(TBasicAction* Action, const WideString& ClientValue)
{
    auto* action = dynamic_cast<TCustomAction*>(Action);
    return !action || !IsUcAction(action) || ClientValue == GetActionWideCaption(action);
}

bool WideHintLinked(TBasicAction* Action, const WideString& ClientValue)
{
    auto* action = dynamic_cast<TCustomAction*>(Action);
    return !action || !IsUcAction(action) || ClientValue == GetActionWideHint(action);
}

} // namespace ucactnlist_detail

Z_CLASS_IMPL(TUcMenuActionLink, TMenuActionLink)
Z_CLASS_IMPL(TUcListViewActionLink, TListViewActionLink)
Z_CLASS_IMPL(TUcComboBoxExActionLink, TComboBoxExActionLink)
Z_CLASS_IMPL(TUcSpeedButtonActionLink, TSpeedButtonActionLink)
Z_CLASS_IMPL(TUcToolButtonActionLink, TToolButtonActionLink)
Z_CLASS_IMPL(TUcButtonActionLink, TButtonActionLink)
Z_CLASS_IMPL(TUcWinControlActionLink, TWinControlActionLink)
Z_CLASS_IMPL(TUcControlActionLink, TControlActionLink)

const TControlActionLinkClass* GetUcActionLinkClass(TControl* Control, const TControlActionLinkClass* InheritedClass)
{
    const TControlActionLinkClass* result;
    if (Control && IsKindOf(Control, "TCustomListView"))
        result = ControlActionLinkClassOf<TUcListViewActionLink>();
    else if (Control && IsKindOf(Control, "TSpeedButton"))
        result = ControlActionLinkClassOf<TUcSpeedButtonActionLink>();
    else if (Control && IsKindOf(Control, "TToolButton"))
        result = ControlActionLinkClassOf<TUcToolButtonActionLink>();
    else if (dynamic_cast<TButtonControl*>(Control))
        result = ControlActionLinkClassOf<TUcButtonActionLink>();
    else if (dynamic_cast<TWinControl*>(Control))
        result = ControlActionLinkClassOf<TUcWinControlActionLink>();
    else
        result = ControlActionLinkClassOf<TUcControlActionLink>();
    if (!InheritedClass || result->ClassInfo().Parent != &InheritedClass->ClassInfo())
        throw EAssertionFailed("Assertion failure", kLinkAssertUnit, kLinkAssertLine);
    return result;
}
