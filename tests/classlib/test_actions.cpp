#include <doctest.h>
#include "classlib/menus.h"
#include "form_helpers.h"
#include "join.h"
#include "menu_helpers.h"

#include <algorithm>
#include <memory>
#include <vector>

namespace {

// A control with a "Checked" property, linked as buttons are.
class TCheckControl : public TGraphicControl {
    Z_CLASS(TCheckControl, TGraphicControl)
public:
    explicit TCheckControl(TComponent* AOwner) : TGraphicControl(AOwner) {}
    bool Checked() const { return FChecked; }
    void SetChecked(bool Value) { FChecked = Value; }
    const TControlActionLinkClass* GetActionLinkClass() override
    {
        return ControlActionLinkClassOf<TButtonActionLink>();
    }

private:
    bool FChecked = false;
};
Z_CLASS_IMPL(TCheckControl, TGraphicControl, Z_PROP_BOOL(TCheckControl, Checked, false))

// A control that shows hints and takes other actions as their target, as a status bar
// would.
class TTargetControl : public TCustomControl {
    Z_CLASS(TTargetControl, TCustomControl)
public:
    explicit TTargetControl(TComponent* AOwner) : TCustomControl(AOwner) {}
    std::vector<AnsiString> Hints;
    int Executed = 0;
    int Updated = 0;
    bool ChangeHint = false;
    bool ExecuteAction(TBasicAction* Action) override
    {
        if (auto* hint = dynamic_cast<THintAction*>(Action)) {
            Hints.push_back(hint->Hint());
            // A handler that shows another hint while one is shown.
            if (ChangeHint)
                Application->SetHint("again " + std::to_string(Hints.size()));
            return true;
        }
        if (Action->Name() == "Targeted") {
            ++Executed;
            return true;
        }
        return false;
    }
    bool UpdateAction(TBasicAction* Action) override
    {
        if (Action->Name() != "Targeted")
            return false;
        ++Updated;
        return true;
    }
};
Z_CLASS_IMPL(TTargetControl, TCustomControl)

// An action that acts on a kind of target itself.
class TTargetAction : public TCustomAction {
    Z_CLASS(TTargetAction, TCustomAction)
public:
    explicit TTargetAction(TComponent* AOwner) : TCustomAction(AOwner) {}
    std::vector<TObject*> Executed;
    std::vector<TObject*> Updated;
    bool HandlesTarget(TObject* Target) override { return dynamic_cast<TCheckControl*>(Target) != nullptr; }
    void ExecuteTarget(TObject* Target) override { Executed.push_back(Target); }
    void UpdateTarget(TObject* Target) override { Updated.push_back(Target); }
};
Z_CLASS_IMPL(TTargetAction, TCustomAction)

struct TActionEvents {
    std::vector<AnsiString> Log;
    TComponent* SeenComponent = nullptr;
    bool ListHandles = false;
    void Execute(TObject* Sender)
    {
        auto* a = static_cast<TBasicAction*>(Sender);
        SeenComponent = a->ActionComponent();
        Log.push_back("execute " + a->Name());
    }
    void Update(TObject* Sender) { Log.push_back("update " + static_cast<TComponent*>(Sender)->Name()); }
    void OwnClick(TObject* Sender) { Log.push_back("own click " + static_cast<TComponent*>(Sender)->Name()); }
    void ListExecute(TBasicAction* Action, bool& Handled)
    {
        Log.push_back("list " + Action->Name());
        Handled = ListHandles;
    }
    bool Hook(TMessage& Message)
    {
        if (Message.Msg == CM_ACTIONEXECUTE)
            Log.push_back("app window");
        return false;
    }
};

TAction* NewAction(TComponent* Owner, const char* Name, const char* Caption, TActionEvents* Events)
{
    auto* a = new TAction(Owner);
    a->SetName(Name);
    a->SetCaption(Caption);
    if (Events)
        a->SetOnExecute(MakeMethod<&TActionEvents::Execute>(Events));
    return a;
}

} // namespace

TEST_CASE("a control follows its action and runs it")
{
    TActionEvents events;
    auto form = std::make_unique<TForm>(nullptr);
    TAction* action = NewAction(form.get(), "Save", "&Save", &events);
    action->SetHint("Save|Saves the document");
    auto* ctrl = new TCheckControl(form.get());
    ctrl->SetName("Check1");
    ctrl->SetParent(form.get());
    ctrl->SetAction(action);
    CHECK(Join(ctrl->ControlStyle() & csActionClient, ctrl->Caption(), ctrl->Hint()) ==
          Join(csActionClient, "&Save", "Save|Saves the document"));
    CHECK(ctrl->OnClick == action->OnExecute());

    action->SetCaption("Save &all");
    action->SetChecked(true);
    action->SetVisible(false);
    CHECK(Join(ctrl->Caption(), ctrl->Checked(), ctrl->Visible()) == Join("Save &all", 1, 0));
    action->SetVisible(true);

    // A click runs the action, with the control as the action component while it runs.
    ctrl->Click();
    CHECK(events.Log == TLog{"execute Save"});
    CHECK(events.SeenComponent == ctrl);
    CHECK(action->ActionComponent() == nullptr);
    // A disabled action does not run.
    action->SetEnabled(false);
    ctrl->Click();
    CHECK(Join(ctrl->Enabled(), events.Log.size()) == "0 1");
    action->SetEnabled(true);
    // A click handler of the control's own runs instead of the action.
    ctrl->OnClick = MakeMethod<&TActionEvents::OwnClick>(&events);
    ctrl->Click();
    CHECK(events.Log.back() == "own click Check1");

    delete action;
    CHECK(ctrl->ActionLink() == nullptr);
    CHECK_FALSE((ctrl->ControlStyle() & csActionClient));
}

TEST_CASE("a menu item follows its action")
{
    TActionEvents events;
    auto form = std::make_unique<TForm>(nullptr);
    TAction* save = NewAction(form.get(), "Save", "Save", &events);
    save->SetShortCut(ShortCut('S', ssCtrl));
    save->SetHint("Save|Saves the document");
    auto* menu = new TMainMenu(form.get());
    menu->SetAutoHotkeys(maManual);
    auto* file = new TMenuItem(form.get());
    file->SetCaption("File");
    menu->Items()->Add(file);
    auto* item = new TMenuItem(form.get());
    item->SetName("Save1");
    file->Add(item);
    item->SetAction(save);
    form->SetMenu(menu);
    HMENU sub = file->Handle();
    GetMenu(form->Handle());
    CHECK(MenuText(sub, 0) == "Save\tCtrl+S");
    save->SetCaption("Save &as");
    CHECK(MenuText(sub, 0) == "Save &as\tCtrl+S");
    save->SetEnabled(false);
    CHECK((GetMenuState(sub, 0, MF_BYPOSITION) & MF_GRAYED) != 0);
    save->SetEnabled(true);
    SendMessageA(form->Handle(), WM_COMMAND, MAKEWPARAM(item->Command(), 0), 0);
    CHECK(events.Log == TLog{"execute Save"});
    CHECK(events.SeenComponent == item);
    // A click handler of the item's own runs instead of the action.
    item->OnClick = MakeMethod<&TActionEvents::OwnClick>(&events);
    item->Click();
    CHECK(events.Log.back() == "own click Save1");

    // An item given a caption of its own no longer follows the action's caption.
    item->SetCaption("Mine");
    save->SetCaption("Other");
    CHECK(Join(item->Caption(), MenuText(sub, 0)) == Join("Mine", "Mine\tCtrl+S"));

    delete save;
    CHECK(item->ActionLink() == nullptr);
}

TEST_CASE("actions are updated through the form and their menus")
{
    TActionEvents events;
    auto form = std::make_unique<TForm>(nullptr);
    form->SetBounds(100, 100, 200, 120);
    TAction* top = NewAction(form.get(), "Top", "Top", &events);
    TAction* inner = NewAction(form.get(), "Inner", "Inner", &events);
    TAction* control = NewAction(form.get(), "Control", "Control", &events);
    for (TAction* a : {top, inner, control})
        a->OnUpdate = MakeMethod<&TActionEvents::Update>(&events);
    auto* menu = new TMainMenu(form.get());
    auto* topItem = new TMenuItem(form.get());
    menu->Items()->Add(topItem);
    topItem->SetAction(top);
    auto* innerItem = new TMenuItem(form.get());
    topItem->Add(innerItem);
    innerItem->SetAction(inner);
    form->SetMenu(menu);
    auto* ctrl = new TCheckControl(form.get());
    ctrl->SetParent(form.get());
    ctrl->SetAction(control);
    form->Show();
    Pump();
    events.Log.clear();

    auto updates = [&] {
        return Join(std::count(events.Log.begin(), events.Log.end(), "update Top"),
                    std::count(events.Log.begin(), events.Log.end(), "update Control"),
                    std::count(events.Log.begin(), events.Log.end(), "update Inner"));
    };
    form->UpdateActions();
    // Items of a submenu are updated when it opens.
    CHECK(updates() == "1 1 0");
    SendMessageA(form->Handle(), WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(topItem->Handle()), 0);
    CHECK(std::count(events.Log.begin(), events.Log.end(), "update Inner") == 1);
}

TEST_CASE("an action without a handler is disabled unless someone looks after it")
{
    TComponent owner(nullptr);
    TActionEvents events;
    TAction* bare = NewAction(&owner, "Bare", "Bare", nullptr);
    TAction* handled = NewAction(&owner, "Handled", "Handled", &events);
    TAction* updated = NewAction(&owner, "Updated", "Updated", nullptr);
    updated->OnUpdate = MakeMethod<&TActionEvents::Update>(&events);
    TAction* kept = NewAction(&owner, "Kept", "Kept", nullptr);
    kept->SetDisableIfNoHandler(false);
    for (TAction* a : {bare, handled, updated, kept}) {
        CAPTURE(a->Name());
        a->Update();
        CHECK(a->Enabled() == (a != bare));
    }
}

TEST_CASE("auto-check actions and groups")
{
    TComponent owner(nullptr);
    TActionEvents events;
    auto* list = new TActionList(&owner);
    TAction* a = NewAction(&owner, "A", "A", &events);
    TAction* b = NewAction(&owner, "B", "B", &events);
    TAction* c = NewAction(&owner, "C", "C", &events);
    for (TAction* x : {a, b, c}) {
        x->SetActionList(list);
        x->SetAutoCheck(true);
    }
    a->SetGroupIndex(1);
    b->SetGroupIndex(1);
    // A grouped action stays checked when run again; an ungrouped one toggles.
    auto checked = [&] { return Join(a->Checked(), b->Checked(), c->Checked()); };
    CHECK(a->Execute());
    CHECK(checked() == "1 0 0");
    b->Execute();
    CHECK(checked() == "0 1 0");
    b->Execute();
    c->Execute();
    CHECK(checked() == "0 1 1");
    c->Execute();
    CHECK(checked() == "0 1 0");
    CHECK(events.Log.size() == 5);
}

TEST_CASE("action lists: their handlers, order, suspension, shortcuts and ownership")
{
    TActionEvents events;
    auto form = std::make_unique<TForm>(nullptr);
    auto* list = new TActionList(form.get());
    list->OnExecute = MakeMethod<&TActionEvents::ListExecute>(&events);
    TAction* a = NewAction(form.get(), "A", "A", &events);
    TAction* b = NewAction(form.get(), "B", "B", &events);
    a->SetActionList(list);
    b->SetActionList(list);
    CHECK(Join(list->ActionCount(), b->Index()) == "2 1");
    b->SetIndex(0);
    CHECK(list->Actions(0) == b);

    // The list sees the action first; when it handles it the action's own handler rests.
    a->Execute();
    CHECK(events.Log == TLog{"list A", "execute A"});
    events.ListHandles = true;
    events.Log.clear();
    a->Execute();
    CHECK(events.Log == TLog{"list A"});
    events.ListHandles = false;
    events.Log.clear();
    list->SetState(asSuspended);
    CHECK_FALSE(a->Execute());
    CHECK(events.Log.empty());
    list->SetState(asNormal);

    // The form runs the action whose shortcut is pressed, menu or no menu.
    b->SetShortCut(ShortCut('K', ssCtrl));
    form->HandleNeeded();
    CHECK(PressCtrlShortCut(form.get(), 'K'));
    CHECK(events.Log.back() == "execute B");

    delete list;
    CHECK(form->FindComponent("A") == nullptr);
    CHECK(form->FindComponent("B") == nullptr);
}

TEST_CASE("unhandled actions go through the application window to the active form")
{
    TActionEvents events;
    Application->HookMainWindow(MakeMethod<&TActionEvents::Hook>(&events));
    auto form = MakeForm(220, 140);
    auto* target = Add<TTargetControl>(form.get(), 0, 0, 50, 20);
    auto* check = Add<TCheckControl>(form.get(), 0, 30, 50, 20);
    ShowOnTop(form.get());
    REQUIRE(Screen->ActiveCustomForm() == form.get());

    auto* targeted = new TAction(form.get());
    targeted->SetName("Targeted");
    targeted->SetDisableIfNoHandler(false);
    CHECK(targeted->Execute());
    REQUIRE_FALSE(events.Log.empty());
    CHECK(events.Log.front() == "app window");
    CHECK(target->Executed == 1);
    CHECK(target->Updated >= 1);   // Execute updates first

    // An action that knows its kind of target acts on it.
    auto* kind = new TTargetAction(form.get());
    kind->SetDisableIfNoHandler(false);
    CHECK(kind->Execute());
    REQUIRE(kind->Executed.size() == 1);
    CHECK(kind->Executed[0] == check);
    CHECK(kind->Update());
    CHECK(kind->Updated.size() >= 1);

    auto* nobody = new TAction(form.get());
    nobody->SetDisableIfNoHandler(false);
    CHECK_FALSE(nobody->Execute());
    Application->UnhookMainWindow(MakeMethod<&TActionEvents::Hook>(&events));
}

TEST_CASE("a hint is shown through a hint action, once")
{
    auto form = MakeForm(220, 140);
    auto* target = Add<TTargetControl>(form.get(), 0, 0, 50, 20);
    ShowOnTop(form.get());
    Application->SetHint("");
    target->Hints.clear();
    Application->SetHint("Hello");
    CHECK(target->Hints == TLog{"Hello"});
    // A handler that sets another hint while one is shown: the new hint is taken, but no
    // hint action runs inside the first one.
    target->ChangeHint = true;
    Application->SetHint("Changing");
    target->ChangeHint = false;
    CHECK(Join(target->Hints.size(), Application->Hint()) == Join(2, "again 2"));
}

TEST_CASE("a linked control's hint shows the action's shortcut")
{
    TComponent owner(nullptr);
    TAction* action = NewAction(&owner, "Find", "Find", nullptr);
    action->SetShortCut(ShortCut('F', ssCtrl));
    auto* ctrl = new TCheckControl(&owner);
    ctrl->SetAction(action);
    auto* link = static_cast<TControlActionLink*>(ctrl->ActionLink());
    AnsiString hint = "Finds text";
    bool saved = Application->HintShortCuts();
    Application->SetHintShortCuts(true);
    CHECK(link->DoShowHint(hint));
    CHECK(hint == "Finds text (Ctrl+F)");
    Application->SetHintShortCuts(false);
    hint = "Finds text";
    link->DoShowHint(hint);
    CHECK(hint == "Finds text");
    Application->SetHintShortCuts(saved);
}

TEST_CASE("actions and linked menu items round-trip through form data")
{
    TActionEvents events;
    auto form = std::make_unique<TForm>(nullptr);
    form->SetName("ActionForm");
    auto* list = new TActionList(form.get());
    list->SetName("ActionList1");
    TAction* save = NewAction(form.get(), "Save", "&Save", nullptr);
    save->SetActionList(list);
    save->SetCategory("File");
    save->SetShortCut(ShortCut('S', ssCtrl));
    save->SetHint("Saves");
    save->SetAutoCheck(true);
    save->SetGroupIndex(2);
    TAction* open = NewAction(form.get(), "Open", "&Open", nullptr);
    open->SetActionList(list);
    auto* menu = new TPopupMenu(form.get());
    menu->SetName("Popup1");
    auto* item = new TMenuItem(form.get());
    item->SetName("SaveItem");
    menu->Items()->Add(item);
    item->SetAction(save);

    // Every property set above is written, and what is read back writes the same bytes.
    auto copy = std::make_unique<TForm>(nullptr);
    const AnsiString bytes =
        CheckRoundTrip(form.get(), copy.get(), {"Category", "ShortCut", "Hint", "AutoCheck", "GroupIndex", "Action"});
    CHECK(bytes.find("&Save") == bytes.rfind("&Save"));   // the action's caption, not the item's

    auto* listCopy = dynamic_cast<TActionList*>(copy->FindComponent("ActionList1"));
    REQUIRE(listCopy != nullptr);
    REQUIRE(listCopy->ActionCount() == 2);
    auto* saveCopy = listCopy->Actions(0);
    auto* itemCopy = dynamic_cast<TMenuItem*>(copy->FindComponent("SaveItem"));
    REQUIRE(itemCopy != nullptr);
    CHECK(itemCopy->Action() == saveCopy);
    // The caption was not stored: it comes from the action again.
    CHECK(Join(itemCopy->Caption(), itemCopy->ShortCut()) == Join("&Save", ShortCut('S', ssCtrl)));
}

namespace {
struct TFormCloser {
    TForm* Form = nullptr;
    int Runs = 0;
    void Execute(TObject*)
    {
        ++Runs;
        delete Form;   // the action, its control and their link go with the form
        Form = nullptr;
    }
};
} // namespace

TEST_CASE("an action may free its form, its control and itself while it runs")
{
    TFormCloser closer;
    closer.Form = new TForm(nullptr);
    auto* action = new TAction(closer.Form);
    action->SetOnExecute(MakeMethod<&TFormCloser::Execute>(&closer));
    auto* ctrl = new TCheckControl(closer.Form);
    ctrl->SetParent(closer.Form);
    ctrl->SetAction(action);
    ctrl->Click();
    CHECK(closer.Runs == 1);
    CHECK(closer.Form == nullptr);
}

#include "classlib/stdctrls.h"

TEST_CASE("buttons, check boxes and radio buttons take the button link")
{
    TForm form(nullptr);
    TAction action(&form);
    action.SetCaption("Go");
    auto* button = new TButton(&form);
    button->SetParent(&form);
    button->SetAction(&action);
    CHECK(dynamic_cast<TButtonActionLink*>(button->ActionLink()) != nullptr);
    CHECK(button->Caption() == "Go");
    auto* check = new TCheckBox(&form);
    check->SetParent(&form);
    check->SetAction(&action);
    CHECK(dynamic_cast<TButtonActionLink*>(check->ActionLink()) != nullptr);
    // The link carries the action's checked state to the check box.
    action.SetChecked(true);
    CHECK(check->State() == cbChecked);
    action.SetChecked(false);
    CHECK(check->State() == cbUnchecked);
    // Other windowed controls keep the windowed link.
    auto* edit = new TEdit(&form);
    edit->SetParent(&form);
    edit->SetAction(&action);
    CHECK(dynamic_cast<TButtonActionLink*>(edit->ActionLink()) == nullptr);
    CHECK(dynamic_cast<TWinControlActionLink*>(edit->ActionLink()) != nullptr);
}
