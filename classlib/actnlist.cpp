#include "classlib/actnlist.h"
#include "classlib/menus.h"

#include <algorithm>

namespace {

// Tells whether a component was freed while a handler ran (a Close action may free the
// form that owns it and the control that was clicked).
class TFreeWatch : public TComponent {
public:
    explicit TFreeWatch(TComponent* Target) : TComponent(nullptr), FTarget(Target)
    {
        if (FTarget)
            FTarget->FreeNotification(this);
    }
    ~TFreeWatch() override
    {
        if (FTarget)
            FTarget->RemoveFreeNotification(this);
    }
    bool Gone() const { return !FTarget; }
    void Notification(TComponent* AComponent, TOperation Operation) override
    {
        TComponent::Notification(AComponent, Operation);
        if (Operation == opRemove && AComponent == FTarget)
            FTarget = nullptr;
    }

private:
    TComponent* FTarget;
};

bool SendAppMessage(UINT Msg, TBasicAction* Action)
{
    return Application && Application->Handle() &&
           SendMessageA(Application->Handle(), Msg, 0, reinterpret_cast<LPARAM>(Action)) == 1;
}

// An ordinal published property of a client, or nullptr.
const TPropInfo* OrdProp(TObject* Client, const char* Name)
{
    const TPropInfo* p = Client ? Client->ClassInfo().FindProp(Name) : nullptr;
    return p && p->GetOrd && p->SetOrd ? p : nullptr;
}

bool OrdPropEquals(TObject* Client, const char* Name, int64_t Value)
{
    const TPropInfo* p = OrdProp(Client, Name);
    return p && p->GetOrd(Client) == Value;
}

void SetOrdProp(TObject* Client, const char* Name, int64_t Value)
{
    if (const TPropInfo* p = OrdProp(Client, Name))
        p->SetOrd(Client, Value);
}

} // namespace

// ---------------------------------------------------------------------------------------
// TBasicAction

Z_CLASS_IMPL(TBasicAction, TComponent)

TBasicAction::TBasicAction(TComponent* AOwner) : TComponent(AOwner) {}

TBasicAction::~TBasicAction()
{
    // The links stay with their clients, tied to no action; the clients let them go when
    // they hear that the action is gone.
    while (!FClients.empty()) {
        TBasicActionLink* link = FClients.back();
        FClients.pop_back();
        link->SetAction(nullptr);
    }
    SetActionComponent(nullptr);
}

bool TBasicAction::HandlesTarget(TObject*)
{
    return false;
}

void TBasicAction::UpdateTarget(TObject*) {}

void TBasicAction::ExecuteTarget(TObject*) {}

bool TBasicAction::Execute()
{
    if (!FOnExecute)
        return false;
    FOnExecute(this);
    return true;
}

bool TBasicAction::Update()
{
    if (!OnUpdate)
        return false;
    OnUpdate(this);
    return true;
}

void TBasicAction::SetActionComponent(TComponent* Value)
{
    ReplaceLink(FActionComponent, Value);
}

void TBasicAction::SetOnExecute(TNotifyEvent Value)
{
    if (FOnExecute == Value)
        return;
    std::vector<TBasicActionLink*> clients = FClients;
    for (TBasicActionLink* link : clients)
        link->SetOnExecute(Value);
    FOnExecute = Value;
    Change();
}

void TBasicAction::RegisterChanges(TBasicActionLink* Value)
{
    if (Value && std::find(FClients.begin(), FClients.end(), Value) == FClients.end())
        FClients.push_back(Value);
}

void TBasicAction::UnRegisterChanges(TBasicActionLink* Value)
{
    auto it = std::find(FClients.begin(), FClients.end(), Value);
    if (it != FClients.end())
        FClients.erase(it);
}

void TBasicAction::Notification(TComponent* AComponent, TOperation Operation)
{
    TComponent::Notification(AComponent, Operation);
    if (Operation == opRemove && AComponent == FActionComponent)
        FActionComponent = nullptr;
}

void TBasicAction::Change()
{
    // The clients heard of the change through their links' setters already; a link's own
    // Change (the client taking every property again) is for a new action only.
    if (OnChange)
        OnChange(this);
}

// ---------------------------------------------------------------------------------------
// TBasicActionLink

Z_CLASS_IMPL(TBasicActionLink, TObject)

TBasicActionLink::~TBasicActionLink()
{
    if (FAction)
        FAction->UnRegisterChanges(this);
}

void TBasicActionLink::SetAction(TBasicAction* Value)
{
    if (FAction == Value)
        return;
    if (FAction)
        FAction->UnRegisterChanges(this);
    FAction = Value;
    if (FAction)
        FAction->RegisterChanges(this);
}

bool TBasicActionLink::Execute(TComponent* AComponent)
{
    if (!FAction)
        return false;
    TBasicAction* action = FAction;
    // The link belongs to the client: when the client goes, so does the link.
    TFreeWatch client(AComponent);
    TFreeWatch watch(action);
    action->SetActionComponent(AComponent);
    TScopeExit done([&] {
        if (!watch.Gone())
            action->SetActionComponent(nullptr);
    });
    return action->Execute();
}

bool TBasicActionLink::Update()
{
    return FAction && FAction->Update();
}

void TBasicActionLink::Change()
{
    if (OnChange)
        OnChange(FAction);
}

// ---------------------------------------------------------------------------------------
// TContainedAction

Z_CLASS_IMPL(TContainedAction, TBasicAction, Z_PROP_STR(TContainedAction, Category))

TContainedAction::~TContainedAction()
{
    if (FActionList)
        FActionList->RemoveAction(this);
}

void TContainedAction::SetActionList(TCustomActionList* Value)
{
    if (FActionList == Value)
        return;
    if (FActionList)
        FActionList->RemoveAction(this);
    if (Value)
        Value->AddAction(this);
}

void TContainedAction::SetCategory(const AnsiString& Value)
{
    if (StoreChanged(FCategory, Value) && FActionList)
        FActionList->Change();
}

int TContainedAction::Index() const
{
    return FActionList ? FActionList->IndexOfAction(this) : -1;
}

void TContainedAction::SetIndex(int Value)
{
    if (FActionList)
        FActionList->MoveAction(this, Value);
}

bool TContainedAction::Execute()
{
    if (FExecuting)
        return false;
    FExecuting = true;
    TFreeWatch watch(this);
    TScopeExit done([&] {
        if (!watch.Gone())
            FExecuting = false;
    });
    return (FActionList && FActionList->ExecuteAction(this)) || (Application && Application->ExecuteAction(this)) ||
           TBasicAction::Execute() || SendAppMessage(CM_ACTIONEXECUTE, this);
}

bool TContainedAction::Update()
{
    return (FActionList && FActionList->UpdateAction(this)) || (Application && Application->UpdateAction(this)) ||
           TBasicAction::Update() || SendAppMessage(CM_ACTIONUPDATE, this);
}

TComponent* TContainedAction::GetParentComponent()
{
    return FActionList ? static_cast<TComponent*>(FActionList) : TBasicAction::GetParentComponent();
}

void TContainedAction::SetParentComponent(TComponent* AParent)
{
    if (auto* list = dynamic_cast<TCustomActionList*>(AParent))
        SetActionList(list);
}

// ---------------------------------------------------------------------------------------
// TCustomAction

Z_CLASS_IMPL(TCustomAction, TContainedAction, Z_PROP_BOOL(TCustomAction, AutoCheck, false),
             Z_PROP_STR(TCustomAction, Caption), Z_PROP_BOOL(TCustomAction, Checked, false),
             Z_PROP_BOOL(TCustomAction, Enabled, true), Z_PROP_INT(TCustomAction, GroupIndex, 0),
             Z_PROP_INT(TCustomAction, HelpContext, 0), Z_PROP_STR(TCustomAction, Hint),
             Z_PROP_INT(TCustomAction, ImageIndex, -1), Z_PROP_INT(TCustomAction, ShortCut, 0),
             Z_PROP_BOOL(TCustomAction, Visible, true))
Z_CLASS_IMPL(TAction, TCustomAction)
Z_CLASS_IMPL(THintAction, TCustomAction)

TCustomAction::TCustomAction(TComponent* AOwner) : TContainedAction(AOwner) {}

THintAction::THintAction(TComponent* AOwner) : TCustomAction(AOwner)
{
    // Nobody gives it a handler: the targets that show hints handle it.
    FDisableIfNoHandler = false;
}

// Tells every action link of the action's clients, then stores the value.
#define Z_ACTION_SETTER(Prop, Type, Field)                                       \
    void TCustomAction::Set##Prop(Type Value)                                    \
    {                                                                            \
        if (Field == Value)                                                      \
            return;                                                              \
        std::vector<TBasicActionLink*> clients = FClients;                       \
        for (TBasicActionLink* link : clients)                                   \
            if (auto* l = dynamic_cast<TActionLink*>(link))                      \
                l->Set##Prop(Value);                                             \
        Field = Value;                                                           \
        Change();                                                                \
    }

Z_ACTION_SETTER(Caption, const AnsiString&, FCaption)
Z_ACTION_SETTER(Hint, const AnsiString&, FHint)
Z_ACTION_SETTER(Enabled, bool, FEnabled)
Z_ACTION_SETTER(Visible, bool, FVisible)
Z_ACTION_SETTER(ShortCut, TShortCut, FShortCut)
Z_ACTION_SETTER(ImageIndex, int, FImageIndex)
Z_ACTION_SETTER(HelpContext, int, FHelpContext)
Z_ACTION_SETTER(GroupIndex, int, FGroupIndex)
Z_ACTION_SETTER(AutoCheck, bool, FAutoCheck)
#undef Z_ACTION_SETTER

void TCustomAction::SetChecked(bool Value)
{
    if (FChecking || FChecked == Value)
        return;
    TFlagScope checking(FChecking);
    std::vector<TBasicActionLink*> clients = FClients;
    for (TBasicActionLink* link : clients)
        if (auto* l = dynamic_cast<TActionLink*>(link))
            l->SetChecked(Value);
    FChecked = Value;
    // One checked action a group.
    if (Value && FGroupIndex > 0 && ActionList()) {
        TCustomActionList* list = ActionList();
        for (int i = 0; i < list->ActionCount(); ++i) {
            auto* other = dynamic_cast<TCustomAction*>(list->Actions(i));
            if (other && other != this && other->FGroupIndex == FGroupIndex)
                other->SetChecked(false);
        }
    }
    Change();
}

bool TCustomAction::Execute()
{
    if (FExecuting || (ActionList() && ActionList()->State() != asNormal))
        return false;
    Update();
    if (FEnabled && FAutoCheck && (!FChecked || FGroupIndex == 0))
        SetChecked(!FChecked);
    return FEnabled && TContainedAction::Execute();
}

bool TCustomAction::Update()
{
    bool handled = TContainedAction::Update();
    // Nobody looks after an action without a handler: it cannot run.
    if (!handled && FDisableIfNoHandler && !OnExecute())
        SetEnabled(false);
    return handled;
}

bool TCustomAction::DoHint(AnsiString& HintStr)
{
    bool canShow = true;
    if (OnHint)
        OnHint(HintStr, canShow);
    return canShow;
}

void TCustomAction::Assign(TPersistent* Source)
{
    auto* a = dynamic_cast<TCustomAction*>(Source);
    if (!a) {
        TContainedAction::Assign(Source);
        return;
    }
    SetAutoCheck(a->AutoCheck());
    SetCaption(a->Caption());
    SetChecked(a->Checked());
    SetEnabled(a->Enabled());
    SetGroupIndex(a->GroupIndex());
    SetHelpContext(a->HelpContext());
    SetHelpType(a->HelpType());
    SetHint(a->Hint());
    SetImageIndex(a->ImageIndex());
    SetShortCut(a->ShortCut());
    SetVisible(a->Visible());
    SetCategory(a->Category());
    SetOnExecute(a->OnExecute());
    OnUpdate = a->OnUpdate;
    OnHint = a->OnHint;
}

// ---------------------------------------------------------------------------------------
// TCustomActionList

Z_CLASS_IMPL(TCustomActionList, TComponent,
             Z_PROP_REF(TCustomActionList, Images, TCustomImageList))
Z_CLASS_IMPL(TActionList, TCustomActionList)

TCustomActionList::TCustomActionList(TComponent* AOwner) : TComponent(AOwner) {}

TCustomActionList::~TCustomActionList()
{
    SetImages(nullptr);
    while (!FActions.empty()) {
        TContainedAction* a = FActions.back();
        RemoveAction(a);
        delete a;
    }
}

void TCustomActionList::AddAction(TContainedAction* Action)
{
    if (!Action || Action->FActionList == this)
        return;
    if (Action->FActionList)
        Action->FActionList->RemoveAction(Action);
    FActions.push_back(Action);
    Action->FActionList = this;
    Change();
}

void TCustomActionList::RemoveAction(TContainedAction* Action)
{
    auto it = std::find(FActions.begin(), FActions.end(), Action);
    if (it == FActions.end())
        return;
    FActions.erase(it);
    Action->FActionList = nullptr;
    if (!IsDestroying())
        Change();
}

int TCustomActionList::IndexOfAction(const TContainedAction* Action) const
{
    auto it = std::find(FActions.begin(), FActions.end(), Action);
    return it == FActions.end() ? -1 : static_cast<int>(it - FActions.begin());
}

void TCustomActionList::MoveAction(TContainedAction* Action, int NewIndex)
{
    int cur = IndexOfAction(Action);
    if (cur < 0)
        return;
    NewIndex = std::clamp(NewIndex, 0, ActionCount() - 1);
    if (cur == NewIndex)
        return;
    FActions.erase(FActions.begin() + cur);
    FActions.insert(FActions.begin() + NewIndex, Action);
    Change();
}

bool TCustomActionList::ExecuteAction(TBasicAction* Action)
{
    bool handled = false;
    if (FState == asNormal && OnExecute)
        OnExecute(Action, handled);
    return handled;
}

bool TCustomActionList::UpdateAction(TBasicAction* Action)
{
    bool handled = false;
    if (FState == asNormal && OnUpdate)
        OnUpdate(Action, handled);
    return handled;
}

bool TCustomActionList::IsShortCut(TMessage& Message)
{
    TWMKey key(Message);
    TShortCut sc = ShortCut(key.CharCode, KeyDataToShiftState(key.KeyData));
    if (sc == scNone)
        return false;
    for (TContainedAction* a : FActions)
        if (auto* ca = dynamic_cast<TCustomAction*>(a); ca && ca->ShortCut() == sc)
            return ca->HandleShortCut();
    return false;
}

void TCustomActionList::SetImages(TCustomImageList* Value)
{
    if (SetImageListRef(FImages, Value, nullptr, this))
        Change();
}

void TCustomActionList::SetState(TActionListState Value)
{
    if (FState == Value)
        return;
    FState = Value;
    Change();
}

void TCustomActionList::GetChildren(TGetChildProc Proc, TComponent* Root)
{
    for (TContainedAction* a : FActions)
        if (a->Owner() == Root)
            Proc(a);
}

void TCustomActionList::SetChildOrder(TComponent* Child, int Order)
{
    if (auto* a = dynamic_cast<TContainedAction*>(Child); a && a->ActionList() == this)
        MoveAction(a, Order);
}

void TCustomActionList::Notification(TComponent* AComponent, TOperation Operation)
{
    TComponent::Notification(AComponent, Operation);
    if (Operation == opRemove && AComponent && AComponent == FImages)
        FImages = nullptr;
}

void TCustomActionList::Change()
{
    if (OnChange && !IsLoading())
        OnChange(this);
}

// ---------------------------------------------------------------------------------------
// Links

Z_CLASS_IMPL(TActionLink, TBasicActionLink)
Z_CLASS_IMPL(TControlActionLink, TActionLink)
Z_CLASS_IMPL(TWinControlActionLink, TControlActionLink)
Z_CLASS_IMPL(TButtonActionLink, TWinControlActionLink)
Z_CLASS_IMPL(TSpeedButtonActionLink, TControlActionLink)
Z_CLASS_IMPL(TToolButtonActionLink, TControlActionLink)
Z_CLASS_IMPL(TListViewActionLink, TWinControlActionLink)
Z_CLASS_IMPL(TComboBoxExActionLink, TWinControlActionLink)

TCustomAction* TActionLink::CustomAction() const
{
    return dynamic_cast<TCustomAction*>(FAction);
}

bool TActionLink::IsAutoCheckLinked() { return CustomAction() != nullptr; }
bool TActionLink::IsCaptionLinked() { return CustomAction() != nullptr; }
bool TActionLink::IsCheckedLinked() { return CustomAction() != nullptr; }
bool TActionLink::IsEnabledLinked() { return CustomAction() != nullptr; }
bool TActionLink::IsGroupIndexLinked() { return CustomAction() != nullptr; }
bool TActionLink::IsHelpContextLinked() { return CustomAction() != nullptr; }
bool TActionLink::IsHintLinked() { return CustomAction() != nullptr; }
bool TActionLink::IsImageIndexLinked() { return CustomAction() != nullptr; }
bool TActionLink::IsShortCutLinked() { return CustomAction() != nullptr; }
bool TActionLink::IsVisibleLinked() { return CustomAction() != nullptr; }

// A property the control shows as the action does: linked while the two agree, and then it
// follows the action.
#define Z_CONTROL_LINK(Prop, Type)                                                                 \
    bool TControlActionLink::Is##Prop##Linked()                                                    \
    {                                                                                              \
        return TActionLink::Is##Prop##Linked() && FControl->Prop() == CustomAction()->Prop();      \
    }                                                                                              \
    void TControlActionLink::Set##Prop(Type Value)                                                 \
    {                                                                                              \
        if (Is##Prop##Linked())                                                                    \
            FControl->Set##Prop(Value);                                                            \
    }

Z_CONTROL_LINK(Caption, const AnsiString&)
Z_CONTROL_LINK(Enabled, bool)
Z_CONTROL_LINK(Hint, const AnsiString&)
Z_CONTROL_LINK(Visible, bool)
#undef Z_CONTROL_LINK

bool TControlActionLink::IsOnExecuteLinked()
{
    return TActionLink::IsOnExecuteLinked() && FAction && FControl->OnClick == FAction->OnExecute();
}

void TControlActionLink::SetOnExecute(TNotifyEvent Value)
{
    if (IsOnExecuteLinked())
        FControl->OnClick = Value;
}

bool TControlActionLink::DoShowHint(AnsiString& HintStr)
{
    TCustomAction* a = CustomAction();
    if (!a)
        return true;
    bool canShow = a->DoHint(HintStr);
    if (canShow && Application && Application->HintShortCuts() && a->ShortCut() != scNone && !HintStr.empty())
        HintStr = HintStr + " (" + ShortCutToText(a->ShortCut()) + ")";
    return canShow;
}

// A property of a kind of control, reached through its published property.
#define Z_PUBLISHED_LINK(Class, Base, Prop, Type, Published)                                       \
    bool Class::Is##Prop##Linked()                                                                 \
    {                                                                                              \
        return Base::Is##Prop##Linked() && OrdPropEquals(FControl, Published, CustomAction()->Prop()); \
    }                                                                                              \
    void Class::Set##Prop(Type Value)                                                              \
    {                                                                                              \
        if (Is##Prop##Linked())                                                                    \
            SetOrdProp(FControl, Published, Value);                                                \
    }

Z_PUBLISHED_LINK(TButtonActionLink, TWinControlActionLink, Checked, bool, "Checked")
Z_PUBLISHED_LINK(TSpeedButtonActionLink, TControlActionLink, Checked, bool, "Down")
Z_PUBLISHED_LINK(TSpeedButtonActionLink, TControlActionLink, GroupIndex, int, "GroupIndex")
Z_PUBLISHED_LINK(TToolButtonActionLink, TControlActionLink, Checked, bool, "Down")
Z_PUBLISHED_LINK(TToolButtonActionLink, TControlActionLink, ImageIndex, int, "ImageIndex")
#undef Z_PUBLISHED_LINK

void ControlActionChange(TControl* Control, TObject* Sender, bool CheckDefaults)
{
    auto* a = dynamic_cast<TCustomAction*>(Sender);
    if (!Control || !a)
        return;
    if (!CheckDefaults || Control->Caption().empty() || Control->Caption() == Control->Name())
        Control->SetCaption(a->Caption());
    if (!CheckDefaults || Control->Enabled())
        Control->SetEnabled(a->Enabled());
    if (!CheckDefaults || Control->Hint().empty())
        Control->SetHint(a->Hint());
    if (!CheckDefaults || Control->Visible())
        Control->SetVisible(a->Visible());
    if (!CheckDefaults || !Control->OnClick)
        Control->OnClick = a->OnExecute();
}

// ---------------------------------------------------------------------------------------
// The entry points of controls and forms

namespace {

void HookSetAction(TControl* Control, TBasicAction* Value)
{
    TControlActionLink* link = Control->ActionLink();
    if (!link) {
        const TControlActionLinkClass* cls = Control->GetActionLinkClass();
        if (!cls || !cls->Create)
            throw EInvalidOperation(Format("%s cannot be linked to an action", Control->ClassName()));
        link = cls->Create(Control);
    }
    Control->SetActionLink(link, Value);
    link->SetAction(Value);
    link->OnChange = MakeMethod<&TControl::DoActionChange>(Control);
    Control->ActionChange(Value, Value->IsLoading());
    Value->FreeNotification(Control);
}

TBasicAction* HookLinkAction(TControlActionLink* Link)
{
    return Link ? Link->Action() : nullptr;
}

void HookFreeLink(TControlActionLink* Link)
{
    delete Link;
}

bool HookExecuteLink(TControlActionLink* Link, TControl* Control)
{
    TBasicAction* action = Link ? Link->Action() : nullptr;
    if (!action || Control->IsDesigning())
        return false;
    // A click handler of the control's own runs instead of the action.
    if (Control->OnClick && Control->OnClick != action->OnExecute())
        return false;
    Link->Execute(Control);
    return true;
}

void HookUpdateLink(TControlActionLink* Link)
{
    if (Link)
        Link->Update();
}

bool HookActionTarget(TBasicAction* Action, TComponent* Target, bool Update)
{
    if (!Action || !Target)
        return false;
    if (Update ? Target->UpdateAction(Action) : Target->ExecuteAction(Action))
        return true;
    if (!Action->HandlesTarget(Target))
        return false;
    if (Update)
        Action->UpdateTarget(Target);
    else
        Action->ExecuteTarget(Target);
    return true;
}

// The hint action that shows a hint may make a handler set another hint; that one is not
// shown through a second hint action inside the first.
bool g_showingHint = false;

void HookHintChanged(const AnsiString& Hint)
{
    if (g_showingHint)
        return;
    TFlagScope showing(g_showingHint);
    THintAction action(nullptr);
    action.SetHint(Hint);
    action.Execute();
}

bool HookActionShortCut(TCustomForm* Form, TMessage& KeyMessage)
{
    for (int i = 0; i < Form->ComponentCount(); ++i)
        if (auto* list = dynamic_cast<TCustomActionList*>(Form->Components(i)); list && list->IsShortCut(KeyMessage))
            return true;
    return false;
}

} // namespace

void InitActnList()
{
    ControlHooks.SetAction = &HookSetAction;
    ControlHooks.LinkAction = &HookLinkAction;
    ControlHooks.FreeLink = &HookFreeLink;
    ControlHooks.ActionChange = &ControlActionChange;
    ControlHooks.ExecuteLink = &HookExecuteLink;
    ControlHooks.UpdateLink = &HookUpdateLink;
    ControlHooks.ControlLinkClass = ControlActionLinkClassOf<TControlActionLink>();
    ControlHooks.WinControlLinkClass = ControlActionLinkClassOf<TWinControlActionLink>();
    FormHooks.ActionTarget = &HookActionTarget;
    FormHooks.HintChanged = &HookHintChanged;
    FormHooks.ActionShortCut = &HookActionShortCut;
    RegisterClass(TAction::StaticClassInfo());
    RegisterClass(THintAction::StaticClassInfo());
    RegisterClass(TActionList::StaticClassInfo());
    RegisterClass(TImageList::StaticClassInfo());
}

void DoneActnList()
{
    // The links of controls that outlive the unit can still be let go; new actions and
    // hints no longer go through it.
    ControlHooks.SetAction = nullptr;
    FormHooks.HintChanged = nullptr;
    FormHooks.ActionShortCut = nullptr;
}
