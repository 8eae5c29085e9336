#include <doctest.h>
#include "classlib/forms.h"
#include "classlib/memmgr.h"
#include "form_helpers.h"
#include "join.h"

#include <functional>
#include <memory>
#include <vector>

namespace {

// Records the events of a form.
struct TFormEvents {
    TLog Log;
    TCloseAction Action = caHide;
    bool CanClose = true;
    bool* Destroyed = nullptr;
    void Create(TObject*) { Log.push_back("create"); }
    void Show(TObject*) { Log.push_back("show"); }
    void Hide(TObject*) { Log.push_back("hide"); }
    void Close(TObject*, TCloseAction& A)
    {
        Log.push_back("close");
        A = Action;
    }
    void CloseQuery(TObject*, bool& C)
    {
        Log.push_back("query");
        C = CanClose;
    }
    void Destroy(TObject*)
    {
        Log.push_back("destroy");
        if (Destroyed)
            *Destroyed = true;
    }
    void Attach(TCustomForm* F)
    {
        F->OnCreate = MakeMethod<&TFormEvents::Create>(this);
        F->OnShow = MakeMethod<&TFormEvents::Show>(this);
        F->OnHide = MakeMethod<&TFormEvents::Hide>(this);
        F->OnClose = MakeMethod<&TFormEvents::Close>(this);
        F->OnCloseQuery = MakeMethod<&TFormEvents::CloseQuery>(this);
        F->OnDestroy = MakeMethod<&TFormEvents::Destroy>(this);
    }
};

// A hint window class of the tests' own, chosen through CM_HINTSHOW.
class TTestHintWindow : public THintWindow {
    Z_CLASS(TTestHintWindow, THintWindow)
public:
    explicit TTestHintWindow(TComponent* AOwner) : THintWindow(AOwner) {}
};
Z_CLASS_IMPL(TTestHintWindow, THintWindow)

// A control that can take the focus and sees the hint about to be shown for it.
class THintedControl : public TCustomControl {
public:
    explicit THintedControl(TComponent* AOwner) : TCustomControl(AOwner) { SetTabStop(true); }
    THintInfo Seen;

protected:
    void Dispatch(TMessage& Message) override
    {
        if (Message.Msg == CM_HINTSHOW) {
            auto* info = reinterpret_cast<THintInfo*>(Message.LParam);
            Seen = *info;
            info->HintWindowClass = &TTestHintWindow::StaticClassInfo();
            return;
        }
        TCustomControl::Dispatch(Message);
    }
};

// Runs a function of the application's idle handler at the given idle call.
struct TIdleAction {
    int Idles = 0;
    int At = 0;
    std::function<void()> Action;
    void Idle(TObject*, bool& Done)
    {
        Done = false;
        if (++Idles == At)
            Action();
    }
};

} // namespace

TEST_CASE("a form is shown, closed and released")
{
    TFormEvents events;
    bool destroyed = false;
    events.Destroyed = &destroyed;
    auto* form = new TForm(Application);
    events.Attach(form);
    form->AfterConstruction();
    CHECK(events.Log == TLog{"create"});
    CHECK_FALSE(form->HandleAllocated());
    form->SetBounds(100, 100, 200, 150);

    form->Show();
    REQUIRE(form->HandleAllocated());
    CHECK(IsWindowVisible(form->WindowHandle()));
    CHECK(GetWindow(form->WindowHandle(), GW_OWNER) == Application->Handle());
    CHECK(events.Log.back() == "show");

    SUBCASE("a query that refuses keeps the form")
    {
        events.CanClose = false;
        form->Close();
        CHECK(IsWindowVisible(form->WindowHandle()));
        CHECK(events.Log.back() == "query");
        events.CanClose = true;
    }
    SUBCASE("WM_CLOSE hides it")
    {
        SendMessageA(form->WindowHandle(), WM_CLOSE, 0, 0);
        CHECK_FALSE(IsWindowVisible(form->WindowHandle()));
        CHECK_FALSE(form->Visible());
        CHECK(events.Log == TLog{"create", "show", "query", "close", "hide"});
    }
    SUBCASE("caFree releases it after the queued messages")
    {
        events.Action = caFree;
        form->Close();
        CHECK_FALSE(destroyed);
        Pump();
        CHECK(destroyed);
        CHECK(events.Log.back() == "destroy");
        form = nullptr;
    }
    delete form;
    CHECK(destroyed);
}

TEST_CASE("the screen keeps the forms with the most recently active first")
{
    auto a = MakeForm(100, 80);
    auto b = MakeForm(100, 80);
    b->SetBounds(120, 120, 100, 80);
    a->Show();
    b->Show();
    SetActiveWindow(a->WindowHandle());
    Pump();
    CHECK(Screen->Forms(0) == a.get());
    CHECK(Screen->ActiveForm() == a.get());
    SetActiveWindow(b->WindowHandle());
    Pump();
    CHECK(Screen->Forms(0) == b.get());
    CHECK(Screen->Forms(1) == a.get());
    TForm* gone = b.get();
    b.reset();
    for (int i = 0; i < Screen->FormCount(); ++i)
        CHECK(Screen->Forms(i) != gone);
    CHECK(Screen->ActiveForm() != gone);
}

TEST_CASE("focus moves between controls with exit and enter")
{
    struct Focus {
        TLog Log;
        void EnterA(TObject*) { Log.push_back("enter a"); }
        void ExitA(TObject*) { Log.push_back("exit a"); }
        void EnterB(TObject*) { Log.push_back("enter b"); }
    } focus;
    auto form = MakeForm(200, 100);
    auto* a = Add<THintedControl>(form.get(), 0, 0, 50, 20);
    auto* b = Add<THintedControl>(form.get(), 0, 30, 50, 20);
    a->OnEnter = MakeMethod<&Focus::EnterA>(&focus);
    a->OnExit = MakeMethod<&Focus::ExitA>(&focus);
    b->OnEnter = MakeMethod<&Focus::EnterB>(&focus);
    ShowOnTop(form.get());
    FocusOn(a);
    CHECK(a->Focused());
    CHECK(form->ActiveControl() == a);
    focus.Log.clear();
    FocusOn(b);
    CHECK(b->Focused());
    CHECK(form->ActiveControl() == b);
    CHECK(focus.Log == TLog{"exit a", "enter b"});
    form->Perform(CM_DIALOGKEY, VK_TAB, 0);
    Pump();
    CHECK(a->Focused());
    a->SetVisible(false);
    CHECK(form->ActiveControl() != a);
    CHECK_FALSE(a->CanFocus());

    // A form that goes while one of its controls has the focus is no longer the active form:
    // the focus leaves the control's window as it goes, and reaches the form's on the way.
    FocusOn(b);
    REQUIRE(Screen->ActiveCustomForm() == form.get());
    form.reset();
    Pump();
    CHECK(Screen->ActiveCustomForm() == nullptr);
    CHECK(Screen->FocusedForm() == nullptr);
}

TEST_CASE("Run ends with Terminate, and the main form's close ends the program")
{
    // A second application object of its own, so the program's one keeps running.
    TApplication* saved = Application;
    auto app = std::make_unique<TApplication>(nullptr);
    Application = app.get();
    app->CreateHandle();
    TForm* main = nullptr;
    app->CreateForm(main);
    CHECK(app->MainForm() == main);
    CHECK(main->HandleAllocated());
    TIdleAction closer{0, 3, [main] { main->Close(); }};
    app->OnIdle = MakeMethod<&TIdleAction::Idle>(&closer);
    app->Run();
    CHECK(app->Terminated());
    CHECK(closer.Idles >= 3);
    app.reset();
    Application = saved;
    CHECK_FALSE(Application->Terminated());
}

TEST_CASE("ShowModal runs until a modal result is set, and raises before it changes anything when it cannot start")
{
    auto form = MakeForm(150, 100);
    TIdleAction setter{0, 2, [&] { form->SetModalResult(mrOk); }};
    Application->OnIdle = MakeMethod<&TIdleAction::Idle>(&setter);
    CHECK(form->ShowModal() == mrOk);
    Application->OnIdle = TIdleEvent();
    CHECK_FALSE(form->Visible());
    CHECK_FALSE((form->FormState() & fsModal));

    // A loop that cannot list the windows to disable raises before it changes anything.
    HWND other = CreateWindowExA(0, "STATIC", "", WS_POPUP | WS_VISIBLE, 0, 0, 10, 10, nullptr, nullptr, nullptr,
                                 nullptr);
    // The list of enabled windows is made inside the system's enumeration: its first entry
    // finds no memory.
    MemMgrFailAllocation(1);
    CHECK_THROWS(form->ShowModal());
    MemMgrFailAllocation(0);
    CHECK(IsWindowEnabled(other));
    CHECK_FALSE(form->Visible());
    CHECK_FALSE((form->FormState() & fsModal));
    DestroyWindow(other);
    // A visible form cannot become modal.
    form->Show();
    CHECK_THROWS_AS(form->ShowModal(), EInvalidOperation);
}

TEST_CASE("the hint window is of the class the hint info names")
{
    auto form = MakeForm(200, 120);
    form->SetFormStyle(fsStayOnTop);
    auto* control = Add<THintedControl>(form.get(), 20, 20, 100, 40);
    control->SetHint("Short text|Long text");
    control->SetShowHint(true);
    form->Show();
    Pump();
    Application->SetShowHint(true);
    REQUIRE(Application->HintWindow());
    CHECK(&Application->HintWindow()->ClassInfo() == &THintWindow::StaticClassInfo());

    // The hint is asked for at a point over the control: no pointer and no timer.
    TPoint inside = control->ClientToScreen(TPoint(30, 15));
    TMessage move{WM_MOUSEMOVE, 0, MAKELPARAM(30, 15), 0};

    Application->HintMouseMessage(control, move);
    CHECK(Application->HintControl() == control);
    Application->ActivateHint(inside);
    REQUIRE(Application->HintWindow());
    CHECK(&Application->HintWindow()->ClassInfo() == &TTestHintWindow::StaticClassInfo());
    CHECK(Join(control->Seen.HintStr, control->Seen.CursorRect, Application->HintWindow()->Caption()) ==
          Join("Short text", TRect(0, 0, 100, 40), "Short text"));

    CHECK(IsWindowVisible(Application->HintWindow()->WindowHandle()));
    Application->CancelHint();
    CHECK_FALSE(IsWindowVisible(Application->HintWindow()->WindowHandle()));

    Application->SetShowHint(false);
    CHECK(Application->HintWindow() == nullptr);
}

TEST_CASE("application hint and exceptions")
{
    struct Hints {
        int N = 0;
        void OnHint(TObject*) { ++N; }
    } hints;
    Application->OnHint = MakeMethod<&Hints::OnHint>(&hints);
    Application->SetHint("one");
    Application->SetHint("one");
    Application->SetHint("two");
    CHECK(hints.N == 2);
    Application->SetHint("");
    Application->OnHint = TNotifyEvent();

    // Any exception in a window procedure reaches the handler; EAbort is silent.
    TCatcher catcher;
    struct Thrower {
        bool Hook(TMessage& M)
        {
            if (M.Msg == WM_USER + 21)
                throw std::runtime_error("plain C++ error");
            if (M.Msg == WM_USER + 22)
                throw EAbort("silent");
            if (M.Msg == WM_USER + 23)
                throw 42;
            return false;
        }
    } thrower;
    TWindowHook hook = MakeMethod<&Thrower::Hook>(&thrower);
    Application->HookMainWindow(hook);
    for (UINT m : {WM_USER + 21, WM_USER + 22, WM_USER + 23})
        SendMessageA(Application->Handle(), m, 0, 0);
    Application->UnhookMainWindow(hook);
    CHECK(catcher.Messages == TLog{"plain C++ error", "Unknown exception"});
}

TEST_CASE("alpha blending and a transparent colour make a layered window")
{
    auto form = MakeForm(120, 80);
    form->SetAlphaBlend(true);
    form->SetAlphaBlendValue(128);
    form->Show();
    HWND wnd = form->WindowHandle();
    auto layered = [&] { return (GetWindowLongA(form->WindowHandle(), GWL_EXSTYLE) & WS_EX_LAYERED) != 0; };
    CHECK(layered());
    BYTE alpha = 0;
    DWORD flags = 0;
    COLORREF key = 0;
    if (GetLayeredWindowAttributes(wnd, &key, &alpha, &flags)) {
        CHECK(alpha == 128);
        CHECK((flags & LWA_ALPHA));
    }
    form->SetTransparentColorValue(clFuchsia);
    form->SetTransparentColor(true);
    if (GetLayeredWindowAttributes(wnd, &key, &alpha, &flags)) {
        CHECK(key == RGB(255, 0, 255));
        CHECK((flags & LWA_COLORKEY));
    }

    // Kept across a new window.
    form->SetBorderStyle(bsSingle);
    REQUIRE(form->HandleAllocated());
    CHECK(layered());
    form->SetAlphaBlend(false);
    form->SetTransparentColor(false);
    CHECK_FALSE(layered());
}

TEST_CASE("border styles and icons become window styles")
{
    auto form = std::make_unique<TForm>(nullptr);
    form->SetBorderStyle(bsDialog);
    form->HandleNeeded();
    CHECK((StyleOf(form->WindowHandle()) & (WS_CAPTION | WS_THICKFRAME | WS_MINIMIZEBOX)) == WS_CAPTION);
    // A new window is made when it is next needed.
    form->SetBorderStyle(bsSizeable);
    form->SetBorderIcons(biSystemMenu);
    CHECK_FALSE(form->HandleAllocated());
    CHECK((StyleOf(form->Handle()) & (WS_THICKFRAME | WS_SYSMENU | WS_MAXIMIZEBOX)) == (WS_THICKFRAME | WS_SYSMENU));
    form->SetBorderStyle(bsNone);
    CHECK((StyleOf(form->Handle()) & (WS_POPUP | WS_CAPTION)) == WS_POPUP);
    form->Show();
    form->SetWindowState(wsMaximized);
    CHECK(IsZoomed(form->WindowHandle()));
    form->SetWindowState(wsNormal);
    CHECK_FALSE(IsZoomed(form->WindowHandle()));
    // Sizes keep within the constraints, set in code and asked by the system's sizing.
    form->Constraints()->SetMinWidth(250);
    form->Constraints()->SetMaxHeight(150);
    CHECK(Join(form->Width(), form->Height()) == Join(320, 150));
    form->SetBounds(0, 0, 100, 400);
    CHECK(Join(form->Width(), form->Height()) == Join(250, 150));
    MINMAXINFO info{};
    SendMessageA(form->Handle(), WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&info));
    CHECK(Join(info.ptMinTrackSize.x, info.ptMaxTrackSize.y) == Join(250, 150));
}
