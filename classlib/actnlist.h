// Actions: one command (caption, hint, shortcut, enabled and checked state, handler) shared
// by every control and menu item linked to it. A link stands between an action and one
// client; the action tells its links of each change, and a link passes on what its client
// still shows of the action. Actions that nobody handles go to the application window as
// CM_ACTIONEXECUTE / CM_ACTIONUPDATE, and from there to the forms and their controls.
#pragma once

#include "classlib/forms.h"
#include "classlib/imglist.h"

#include <vector>

class TBasicAction;
class TBasicActionLink;
class TContainedAction;
class TCustomAction;
class TCustomActionList;

// A key with its modifiers: the virtual key in the low byte, scShift, scCtrl and scAlt
// above it. 0 is no shortcut.
using TShortCut = uint16_t;
enum : TShortCut { scNone = 0, scShift = 0x2000, scCtrl = 0x4000, scAlt = 0x8000 };

// ---------------------------------------------------------------------------------------
// Basic actions and their links

class TBasicAction : public TComponent {
    Z_CLASS(TBasicAction, TComponent)
public:
    explicit TBasicAction(TComponent* AOwner);
    ~TBasicAction() override;

    // Standard actions act on a target of their own kind (an edit, a status bar ...).
    virtual bool HandlesTarget(TObject* Target);
    virtual void UpdateTarget(TObject* Target);
    virtual void ExecuteTarget(TObject* Target);
    // OnExecute / OnUpdate: True when there was a handler.
    virtual bool Execute();
    virtual bool Update();

    // The component whose click runs the action, while it runs.
    TComponent* ActionComponent() const { return FActionComponent; }
    void SetActionComponent(TComponent* Value);

    // The handler every linked client runs; links whose client still runs the old one
    // take the new one.
    TNotifyEvent OnExecute() const { return FOnExecute; }
    void SetOnExecute(TNotifyEvent Value);
    TNotifyEvent OnUpdate;
    TNotifyEvent OnChange;

    void RegisterChanges(TBasicActionLink* Value);
    void UnRegisterChanges(TBasicActionLink* Value);
    int ClientCount() const { return static_cast<int>(FClients.size()); }
    TBasicActionLink* Clients(int Index) const { return FClients.at(Index); }

    void Notification(TComponent* AComponent, TOperation Operation) override;

protected:
    // OnChange.
    virtual void Change();
    std::vector<TBasicActionLink*> FClients;

private:
    TNotifyEvent FOnExecute;
    TComponent* FActionComponent = nullptr;
};

class TBasicActionLink : public TObject {
    Z_CLASS(TBasicActionLink, TObject)
public:
    explicit TBasicActionLink(TObject* AClient) : FClient(AClient) {}
    ~TBasicActionLink() override;
    TBasicActionLink(const TBasicActionLink&) = delete;
    TBasicActionLink& operator=(const TBasicActionLink&) = delete;

    TObject* Client() const { return FClient; }
    TBasicAction* Action() const { return FAction; }
    virtual void SetAction(TBasicAction* Value);
    // Runs the action with AComponent as its action component.
    virtual bool Execute(TComponent* AComponent = nullptr);
    virtual bool Update();
    // The action changed: OnChange with the action.
    virtual void Change();
    virtual bool IsOnExecuteLinked() { return true; }
    virtual void SetOnExecute(TNotifyEvent) {}

    TNotifyEvent OnChange;

protected:
    TObject* FClient;
    TBasicAction* FAction = nullptr;
};

// ---------------------------------------------------------------------------------------
// Actions of an action list

class TContainedAction : public TBasicAction {
    Z_CLASS(TContainedAction, TBasicAction)
public:
    explicit TContainedAction(TComponent* AOwner) : TBasicAction(AOwner) {}
    ~TContainedAction() override;

    TCustomActionList* ActionList() const { return FActionList; }
    void SetActionList(TCustomActionList* Value);
    const AnsiString& Category() const { return FCategory; }
    void SetCategory(const AnsiString& Value);
    // The position in the action list (-1 without one).
    int Index() const;
    void SetIndex(int Value);

    // The action list's OnExecute, the application's, the action's own OnExecute, then
    // CM_ACTIONEXECUTE through the application window (a form's controls may handle it);
    // True as soon as one of them did. Update likewise with CM_ACTIONUPDATE.
    bool Execute() override;
    bool Update() override;

    // In form data an action is a child of its list.
    bool HasParent() override { return true; }
    TComponent* GetParentComponent() override;
    void SetParentComponent(TComponent* AParent) override;

    // Guards against a handler that runs its own action again (through
    // CM_ACTIONEXECUTE or a hint that shows itself): the inner run does nothing.
    bool Executing() const { return FExecuting; }

protected:
    bool FExecuting = false;

private:
    friend class TCustomActionList;
    TCustomActionList* FActionList = nullptr;
    AnsiString FCategory;
};

enum THelpType : uint8_t { htKeyword, htContext };

using THintEvent = TMethod<void(AnsiString& HintStr, bool& CanShow)>;

class TCustomAction : public TContainedAction {
    Z_CLASS(TCustomAction, TContainedAction)
public:
    explicit TCustomAction(TComponent* AOwner);

    // Every setter first tells the links (a link whose client still shows the old value
    // passes the new one on), then stores and tells of the change.
    const AnsiString& Caption() const { return FCaption; }
    void SetCaption(const AnsiString& Value);
    const AnsiString& Hint() const { return FHint; }
    void SetHint(const AnsiString& Value);
    bool Checked() const { return FChecked; }
    // Checking an action of a group (GroupIndex > 0) unchecks the others of its list.
    void SetChecked(bool Value);
    bool Enabled() const { return FEnabled; }
    void SetEnabled(bool Value);
    bool Visible() const { return FVisible; }
    void SetVisible(bool Value);
    TShortCut ShortCut() const { return FShortCut; }
    void SetShortCut(TShortCut Value);
    int ImageIndex() const { return FImageIndex; }
    void SetImageIndex(int Value);
    int HelpContext() const { return FHelpContext; }
    void SetHelpContext(int Value);
    THelpType HelpType() const { return FHelpType; }
    void SetHelpType(THelpType Value) { FHelpType = Value; }
    int GroupIndex() const { return FGroupIndex; }
    void SetGroupIndex(int Value);
    bool AutoCheck() const { return FAutoCheck; }
    void SetAutoCheck(bool Value);
    // Without OnExecute, and with nobody updating it, the action is disabled.
    bool DisableIfNoHandler() const { return FDisableIfNoHandler; }
    void SetDisableIfNoHandler(bool Value) { FDisableIfNoHandler = Value; }

    // Updates, then (when enabled) toggles an auto-check action and runs it.
    bool Execute() override;
    bool Update() override;
    // The action's shortcut was pressed.
    virtual bool HandleShortCut() { return Execute(); }
    // OnHint may change the hint shown for a linked control or keep it from showing.
    virtual bool DoHint(AnsiString& HintStr);

    void Assign(TPersistent* Source) override;

    THintEvent OnHint;

protected:
    AnsiString FCaption;
    AnsiString FHint;
    bool FChecked = false;
    bool FChecking = false;
    bool FEnabled = true;
    bool FVisible = true;
    bool FAutoCheck = false;
    bool FDisableIfNoHandler = true;
    TShortCut FShortCut = 0;
    int FImageIndex = -1;
    int FHelpContext = 0;
    THelpType FHelpType = htContext;
    int FGroupIndex = 0;
};

class TAction : public TCustomAction {
    Z_CLASS(TAction, TCustomAction)
public:
    explicit TAction(TComponent* AOwner) : TCustomAction(AOwner) {}
};

// Shows a hint wherever the program shows hints (a status bar that takes hints handles
// it as a target); the application executes one for each new hint when it has no OnHint.
class THintAction : public TCustomAction {
    Z_CLASS(THintAction, TCustomAction)
public:
    explicit THintAction(TComponent* AOwner);
};

// ---------------------------------------------------------------------------------------
// Action lists

enum TActionListState : uint8_t { asNormal, asSuspended, asSuspendedEnabled };

using TActionEvent = TMethod<void(TBasicAction* Action, bool& Handled)>;

class TCustomActionList : public TComponent {
    Z_CLASS(TCustomActionList, TComponent)
public:
    explicit TCustomActionList(TComponent* AOwner);
    // Frees its actions.
    ~TCustomActionList() override;

    int ActionCount() const { return static_cast<int>(FActions.size()); }
    TContainedAction* Actions(int Index) const { return FActions.at(Index); }
    void AddAction(TContainedAction* Action);
    void RemoveAction(TContainedAction* Action);
    int IndexOfAction(const TContainedAction* Action) const;
    void MoveAction(TContainedAction* Action, int NewIndex);

    // OnExecute / OnUpdate of the list: True when its handler marked the action handled.
    virtual bool ExecuteAction(TBasicAction* Action) override;
    virtual bool UpdateAction(TBasicAction* Action) override;
    // A key (WM_KEYDOWN message) that is the shortcut of an enabled action of the list
    // runs it.
    bool IsShortCut(TMessage& Message);

    TCustomImageList* Images() const { return FImages; }
    void SetImages(TCustomImageList* Value);
    TActionListState State() const { return FState; }
    void SetState(TActionListState Value);

    void GetChildren(TGetChildProc Proc, TComponent* Root) override;
    void SetChildOrder(TComponent* Child, int Order) override;
    void Notification(TComponent* AComponent, TOperation Operation) override;

    TActionEvent OnExecute;
    TActionEvent OnUpdate;
    TNotifyEvent OnChange;

protected:
    friend class TContainedAction;
    virtual void Change();

private:
    std::vector<TContainedAction*> FActions;
    TCustomImageList* FImages = nullptr;
    TActionListState FState = asNormal;
};

class TActionList : public TCustomActionList {
    Z_CLASS(TActionList, TCustomActionList)
public:
    explicit TActionList(TComponent* AOwner) : TCustomActionList(AOwner) {}
};

// ---------------------------------------------------------------------------------------
// Action links of clients that show a custom action's properties

class TActionLink : public TBasicActionLink {
    Z_CLASS(TActionLink, TBasicActionLink)
public:
    explicit TActionLink(TObject* AClient) : TBasicActionLink(AClient) {}

    // The action as a custom action (nullptr for other actions).
    TCustomAction* CustomAction() const;

    // A property is linked while the client still shows the action's value of it; only
    // linked properties follow the action. The base tests only that the action is a
    // custom action.
    virtual bool IsAutoCheckLinked();
    virtual bool IsCaptionLinked();
    virtual bool IsCheckedLinked();
    virtual bool IsEnabledLinked();
    virtual bool IsGroupIndexLinked();
    virtual bool IsHelpContextLinked();
    virtual bool IsHintLinked();
    virtual bool IsImageIndexLinked();
    virtual bool IsShortCutLinked();
    virtual bool IsVisibleLinked();
    virtual void SetAutoCheck(bool) {}
    virtual void SetCaption(const AnsiString&) {}
    virtual void SetChecked(bool) {}
    virtual void SetEnabled(bool) {}
    virtual void SetGroupIndex(int) {}
    virtual void SetHelpContext(int) {}
    virtual void SetHint(const AnsiString&) {}
    virtual void SetImageIndex(int) {}
    virtual void SetShortCut(TShortCut) {}
    virtual void SetVisible(bool) {}
};

// A control's link: caption, enabled, hint, visible and the click handler.
class TControlActionLink : public TActionLink {
    Z_CLASS(TControlActionLink, TActionLink)
public:
    explicit TControlActionLink(TControl* AClient) : TActionLink(AClient), FControl(AClient) {}
    TControl* ControlClient() const { return FControl; }

    bool IsCaptionLinked() override;
    bool IsEnabledLinked() override;
    bool IsHintLinked() override;
    bool IsVisibleLinked() override;
    bool IsOnExecuteLinked() override;
    void SetCaption(const AnsiString& Value) override;
    void SetEnabled(bool Value) override;
    void SetHint(const AnsiString& Value) override;
    void SetVisible(bool Value) override;
    void SetOnExecute(TNotifyEvent Value) override;
    // The hint the control is about to show: the action's OnHint may change it, and the
    // shortcut is added in brackets when the application shows shortcuts in hints.
    virtual bool DoShowHint(AnsiString& HintStr);

protected:
    TControl* FControl;
};

class TWinControlActionLink : public TControlActionLink {
    Z_CLASS(TWinControlActionLink, TControlActionLink)
public:
    explicit TWinControlActionLink(TControl* AClient) : TControlActionLink(AClient) {}
};

// The links of the kinds of controls that show more of an action. The controls are
// reached through their published properties ("Checked", "Down", "GroupIndex",
// "ImageIndex"), so a link serves every control that publishes them.
class TButtonActionLink : public TWinControlActionLink {
    Z_CLASS(TButtonActionLink, TWinControlActionLink)
public:
    explicit TButtonActionLink(TControl* AClient) : TWinControlActionLink(AClient) {}
    bool IsCheckedLinked() override;
    void SetChecked(bool Value) override;
};

class TSpeedButtonActionLink : public TControlActionLink {
    Z_CLASS(TSpeedButtonActionLink, TControlActionLink)
public:
    explicit TSpeedButtonActionLink(TControl* AClient) : TControlActionLink(AClient) {}
    bool IsCheckedLinked() override;
    bool IsGroupIndexLinked() override;
    void SetChecked(bool Value) override;
    void SetGroupIndex(int Value) override;
};

class TToolButtonActionLink : public TControlActionLink {
    Z_CLASS(TToolButtonActionLink, TControlActionLink)
public:
    explicit TToolButtonActionLink(TControl* AClient) : TControlActionLink(AClient) {}
    bool IsCheckedLinked() override;
    bool IsImageIndexLinked() override;
    void SetChecked(bool Value) override;
    void SetImageIndex(int Value) override;
};

class TListViewActionLink : public TWinControlActionLink {
    Z_CLASS(TListViewActionLink, TWinControlActionLink)
public:
    explicit TListViewActionLink(TControl* AClient) : TWinControlActionLink(AClient) {}
};

class TComboBoxExActionLink : public TWinControlActionLink {
    Z_CLASS(TComboBoxExActionLink, TWinControlActionLink)
public:
    explicit TComboBoxExActionLink(TControl* AClient) : TWinControlActionLink(AClient) {}
};

// The class reference of a control link class, for GetActionLinkClass:
// `return ControlActionLinkClassOf<TButtonActionLink>();`
template <class L> const TControlActionLinkClass* ControlActionLinkClassOf()
{
    static const TControlActionLinkClass cls{
        &L::StaticClassInfo, [](TControl* Client) -> TControlActionLink* { return new L(Client); }};
    return &cls;
}

// What TControl::ActionChange does with a custom action: caption, enabled, hint, visible
// and the click handler follow it; with CheckDefaults only where the control still has
// its defaults (no caption or its name, enabled, no hint, visible, no click handler).
void ControlActionChange(TControl* Control, TObject* Sender, bool CheckDefaults);

// Start-up and end of the action unit: fills the controls' and forms' action entry
// points. Call after InitForms (InitMenus calls it too).
void InitActnList();
void DoneActnList();
