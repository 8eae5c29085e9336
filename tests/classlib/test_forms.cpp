#include <doctest.h>
#include "classlib/forms.h"
#include "classlib/memmgr.h"
#include "support/screenshot.h"

#include <memory>
#include <vector>

namespace {

// Records the events of a form.
struct TFormEvents {
    std::vector<AnsiString> Log;
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

class THintedControl : public TCustomControl {
public:
    explicit THintedControl(TComponent* AOwner) : TCustomControl(AOwner) {}
    bool Swap = true;
    THintInfo Seen;

protected:
    void Dispatch(TMessage& Message) override
    {
        if (Message.Msg == CM_HINTSHOW) {
            auto* info = reinterpret_cast<THintInfo*>(Message.LParam);
            Seen = *info;
            if (Swap)
                info->HintWindowClass = &TTestHintWindow::StaticClassInfo();
            return;
        }
        TCustomControl::Dispatch(Message);
    }
    void Paint() override
    {
        Canvas()->Brush()->SetColor(clWhite);
        Canvas()->FillRect(GetClientRect());
        Canvas()->Brush()->SetColor(clNavy);
        Canvas()->FillRect(TRect(4, 4, Width() - 4, 8));
        Canvas()->Brush()->SetStyle(bsClear);
        Canvas()->TextOut(6, 12, Text());
    }
};

// A control that paints a bar in its colour, for the screenshot.
class TBar : public TGraphicControl {
public:
    explicit TBar(TComponent* AOwner) : TGraphicControl(AOwner) {}

protected:
    void Paint() override
    {
        Canvas()->Brush()->SetColor(Color());
        Canvas()->FillRect(GetClientRect());
        Canvas()->Font()->SetColor(clWhite);
        Canvas()->Brush()->SetStyle(bsClear);
        Canvas()->TextOut(6, (Height() - Canvas()->TextHeight("Xy")) / 2, Text());
    }
};

void Pump()
{
    for (int i = 0; i < 5; ++i) {
        Application->ProcessMessages();
        Sleep(10);
    }
}

} // namespace

TEST_CASE("a form is shown, closed and released")
{
    TFormEvents events;
    bool destroyed = false;
    events.Destroyed = &destroyed;
    auto* form = new TForm(Application);
    events.Attach(form);
    form->AfterConstruction();
    CHECK(events.Log == std::vector<AnsiString>{"create"});
    CHECK_FALSE(form->HandleAllocated());
    form->SetCaption("Form");
    form->SetBounds(100, 100, 200, 150);

    form->Show();
    REQUIRE(form->HandleAllocated());
    CHECK(IsWindowVisible(form->WindowHandle()));
    CHECK(form->Showing());
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
        CHECK(events.Log[events.Log.size() - 2] == "close");
        CHECK(events.Log.back() == "hide");
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
    auto a = std::make_unique<TForm>(nullptr);
    auto b = std::make_unique<TForm>(nullptr);
    CHECK(Screen->FormCount() >= 2);
    a->SetBounds(10, 10, 100, 80);
    b->SetBounds(50, 50, 100, 80);
    a->Show();
    b->Show();
    SetActiveWindow(a->WindowHandle());
    Pump();
    CHECK(Screen->Forms(0) == a.get());
    CHECK(Screen->ActiveForm() == a.get());
    CHECK(Screen->CustomForms(0) == a.get());
    SetActiveWindow(b->WindowHandle());
    Pump();
    CHECK(Screen->Forms(0) == b.get());
    CHECK(Screen->Forms(1) == a.get());
    TForm* gone = b.get();
    b.reset();
    for (int i = 0; i < Screen->FormCount(); ++i)
        CHECK(Screen->Forms(i) != gone);
    CHECK(Screen->ActiveForm() != gone);
    CHECK(Screen->HintFont()->HandleAllocated());
    CHECK(Screen->MenuFont()->Height() != 0);
    CHECK(Screen->PixelsPerInch() == 96);
}

TEST_CASE("focus moves between controls with exit and enter")
{
    struct Focus {
        std::vector<AnsiString> Log;
        void EnterA(TObject*) { Log.push_back("enter a"); }
        void ExitA(TObject*) { Log.push_back("exit a"); }
        void EnterB(TObject*) { Log.push_back("enter b"); }
    } focus;
    auto form = std::make_unique<TForm>(nullptr);
    form->SetBounds(100, 100, 200, 100);
    auto* a = new THintedControl(form.get());
    a->SetBounds(0, 0, 50, 20);
    a->SetTabStop(true);
    a->SetParent(form.get());
    auto* b = new THintedControl(form.get());
    b->SetBounds(0, 30, 50, 20);
    b->SetTabStop(true);
    b->SetParent(form.get());
    a->OnEnter = MakeMethod<&Focus::EnterA>(&focus);
    a->OnExit = MakeMethod<&Focus::ExitA>(&focus);
    b->OnEnter = MakeMethod<&Focus::EnterB>(&focus);
    form->Show();
    SetActiveWindow(form->WindowHandle());
    Pump();
    a->SetFocus();
    Pump();
    CHECK(a->Focused());
    CHECK(form->ActiveControl() == a);
    focus.Log.clear();
    b->SetFocus();
    Pump();
    CHECK(b->Focused());
    CHECK(form->ActiveControl() == b);
    CHECK(focus.Log == std::vector<AnsiString>{"exit a", "enter b"});
    // Tab goes through the dialog key of the form.
    form->Perform(CM_DIALOGKEY, VK_TAB, 0);
    Pump();
    CHECK(a->Focused());
    // A hidden control gives the focus up.
    a->SetVisible(false);
    CHECK(form->ActiveControl() != a);
    CHECK_FALSE(a->CanFocus());
}

TEST_CASE("a form that goes while one of its controls has the focus is no longer the active form")
{
    auto form = std::make_unique<TForm>(nullptr);
    form->SetBounds(100, 100, 200, 100);
    auto* a = new THintedControl(form.get());
    a->SetBounds(0, 0, 50, 20);
    a->SetTabStop(true);
    a->SetParent(form.get());
    form->Show();
    SetActiveWindow(form->WindowHandle());
    Pump();
    a->SetFocus();
    Pump();
    REQUIRE(Screen->ActiveCustomForm() == form.get());
    // The focus leaves the control's window as it goes, and reaches the form's on the way.
    form.reset();
    Pump();
    CHECK(Screen->ActiveCustomForm() == nullptr);
    CHECK(Screen->FocusedForm() == nullptr);
}

TEST_CASE("the message loop")
{
    struct Loop {
        int Seen = 0;
        bool Eat = false;
        void OnMessage(MSG& Msg, bool& Handled)
        {
            if (Msg.message == WM_USER + 11) {
                ++Seen;
                Handled = Eat;
            }
        }
    } loop;
    struct Receiver {
        int Got = 0;
        bool Hook(TMessage& M)
        {
            if (M.Msg == WM_USER + 11) {
                ++Got;
                M.Result = 5;
                return true;
            }
            return false;
        }
    } receiver;
    Application->OnMessage = MakeMethod<&Loop::OnMessage>(&loop);
    TWindowHook hook = MakeMethod<&Receiver::Hook>(&receiver);
    Application->HookMainWindow(hook);

    PostMessageA(Application->Handle(), WM_USER + 11, 0, 0);
    PostMessageA(Application->Handle(), WM_USER + 11, 0, 0);
    Application->ProcessMessages();
    CHECK(loop.Seen == 2);
    CHECK(receiver.Got == 2);
    // OnMessage may keep a message from its window.
    loop.Eat = true;
    PostMessageA(Application->Handle(), WM_USER + 11, 0, 0);
    Application->ProcessMessages();
    CHECK(loop.Seen == 3);
    CHECK(receiver.Got == 2);
    // A hook answers for the application window.
    CHECK(SendMessageA(Application->Handle(), WM_USER + 11, 0, 0) == 5);
    Application->UnhookMainWindow(hook);
    CHECK(SendMessageA(Application->Handle(), WM_USER + 11, 0, 0) == 0);
    CHECK(receiver.Got == 3);
    Application->OnMessage = TMessageEvent();

    // HandleMessage with a message waiting takes it without waiting for more.
    loop.Eat = false;
    Application->OnMessage = MakeMethod<&Loop::OnMessage>(&loop);
    PostMessageA(Application->Handle(), WM_USER + 11, 0, 0);
    Application->HandleMessage();
    CHECK(loop.Seen == 4);
    Application->OnMessage = TMessageEvent();
    CHECK_FALSE(Application->Terminated());
}

TEST_CASE("Run ends with Terminate, and the main form's close ends the program")
{
    // A second application object of its own, so the program's one keeps running.
    TApplication* saved = Application;
    auto app = std::make_unique<TApplication>(nullptr);
    Application = app.get();
    app->CreateHandle();
    struct Closer {
        int Idles = 0;
        TCustomForm* Form = nullptr;
        void Idle(TObject*, bool& Done)
        {
            ++Idles;
            Done = false;
            if (Idles == 3)
                Form->Close();
        }
    } closer;
    TForm* main = nullptr;
    app->CreateForm(main);
    CHECK(app->MainForm() == main);
    CHECK(main->HandleAllocated());
    closer.Form = main;
    app->OnIdle = MakeMethod<&Closer::Idle>(&closer);
    app->Run();
    CHECK(app->Terminated());
    CHECK(closer.Idles >= 3);
    app.reset();
    Application = saved;
    CHECK_FALSE(Application->Terminated());
}

TEST_CASE("ShowModal runs until a modal result is set")
{
    auto form = std::make_unique<TForm>(nullptr);
    form->SetBounds(50, 50, 150, 100);
    struct Setter {
        TCustomForm* Form;
        int Idles = 0;
        void Idle(TObject*, bool& Done)
        {
            Done = false;
            if (++Idles == 2)
                Form->SetModalResult(mrOk);
        }
    } setter{form.get()};
    Application->OnIdle = MakeMethod<&Setter::Idle>(&setter);
    CHECK(form->ShowModal() == mrOk);
    Application->OnIdle = TIdleEvent();
    CHECK_FALSE(form->Visible());
    CHECK_FALSE((form->FormState() & fsModal) != 0);
    // A visible form cannot become modal.
    form->Show();
    CHECK_THROWS_AS(form->ShowModal(), EInvalidOperation);
}

TEST_CASE("a modal loop that cannot list the windows to disable raises before it changes anything")
{
    auto form = std::make_unique<TForm>(nullptr);
    HWND other = CreateWindowExA(0, "STATIC", "", WS_POPUP | WS_VISIBLE, 0, 0, 10, 10, nullptr, nullptr, nullptr,
                                 nullptr);
    // The list of enabled windows is made inside the system's enumeration: its first entry
    // finds no memory.
    MemMgrFailAllocation(1);
    CHECK_THROWS(form->ShowModal());
    MemMgrFailAllocation(0);
    CHECK(IsWindowEnabled(other));
    CHECK_FALSE(form->Visible());
    CHECK_FALSE((form->FormState() & fsModal) != 0);
    DestroyWindow(other);
}

TEST_CASE("the hint window is of the class the hint info names")
{
    auto form = std::make_unique<TForm>(nullptr);
    form->SetBounds(100, 100, 200, 120);
    form->SetFormStyle(fsStayOnTop);
    auto* control = new THintedControl(form.get());
    control->SetBounds(20, 20, 100, 40);
    control->SetParent(form.get());
    control->SetHint("Short text|Long text");
    control->SetShowHint(true);
    form->Show();
    Pump();
    Application->SetShowHint(true);
    REQUIRE(Application->HintWindow());
    CHECK(&Application->HintWindow()->ClassInfo() == &THintWindow::StaticClassInfo());

    TPoint inside = control->ClientToScreen(TPoint(30, 15));
    SetCursorPos(inside.X, inside.Y);
    TMessage move{WM_MOUSEMOVE, 0, MAKELPARAM(30, 15), 0};
    Application->HintMouseMessage(control, move);
    CHECK(Application->HintControl() == control);
    Application->ActivateHint(inside);
    REQUIRE(Application->HintWindow());
    CHECK(&Application->HintWindow()->ClassInfo() == &TTestHintWindow::StaticClassInfo());
    CHECK(control->Seen.HintStr == "Short text");
    CHECK(control->Seen.HintControl == control);
    CHECK(control->Seen.HintWindowClass == HintWindowClass);
    CHECK(control->Seen.CursorRect == TRect(0, 0, 100, 40));
    CHECK(Application->HintWindow()->Caption() == "Short text");
    CHECK(IsWindowVisible(Application->HintWindow()->WindowHandle()));
    Application->CancelHint();
    CHECK_FALSE(IsWindowVisible(Application->HintWindow()->WindowHandle()));

    // Without the swap the plain class comes back.
    control->Swap = false;
    Application->HintMouseMessage(control, move);
    Application->ActivateHint(inside);
    CHECK(&Application->HintWindow()->ClassInfo() == &THintWindow::StaticClassInfo());
    Application->CancelHint();
    Application->SetShowHint(false);
    CHECK(Application->HintWindow() == nullptr);
}

// Under Wine the pointer reaches its new place through the X server: a late event of an
// earlier move can still put it back. Wait until it has stayed where it was put.
static void MoveMouse(TPoint to)
{
    int steady = 0;
    for (int i = 0; i < 200 && steady < 5; ++i) {
        POINT at;
        if (GetCursorPos(&at) && at.x == to.X && at.y == to.Y)
            ++steady;
        else {
            steady = 0;
            SetCursorPos(to.X, to.Y);
        }
        Pump();
        Sleep(10);
    }
}

TEST_CASE("the mouse entering and leaving a control is told with the control")
{
    struct TWatched : TCustomControl {
        using TCustomControl::TCustomControl;
        std::vector<std::pair<UINT, LPARAM>> Seen;
        void Dispatch(TMessage& M) override
        {
            if (M.Msg == CM_MOUSEENTER || M.Msg == CM_MOUSELEAVE)
                Seen.emplace_back(M.Msg, M.LParam);
            TCustomControl::Dispatch(M);
        }
    };
    auto form = std::make_unique<TForm>(nullptr);
    form->SetBounds(300, 300, 200, 120);
    // On top of the windows of other test programs that run beside this one.
    form->SetFormStyle(fsStayOnTop);
    auto* control = new TWatched(form.get());
    control->SetBounds(10, 10, 60, 30);
    control->SetParent(form.get());
    form->Show();
    Pump();
    TPoint p = control->ClientToScreen(TPoint(5, 5));
    MoveMouse(p);
    Application->DoMouseIdle();
    REQUIRE(control->Seen.size() == 1);
    CHECK(control->Seen[0].first == CM_MOUSEENTER);
    CHECK(control->Seen[0].second == reinterpret_cast<LPARAM>(control));
    TPoint outside = form->ClientToScreen(TPoint(150, 80));
    MoveMouse(outside);
    Application->DoMouseIdle();
    REQUIRE(control->Seen.size() == 2);
    CHECK(control->Seen[1].first == CM_MOUSELEAVE);
    CHECK(Application->MouseControl() == form.get());
    // A control that goes is forgotten by the application.
    MoveMouse(p);
    Application->DoMouseIdle();
    REQUIRE(Application->MouseControl() == control);
    delete control;
    CHECK(Application->MouseControl() == nullptr);
}

TEST_CASE("application title, hint and exceptions")
{
    AnsiString saved = Application->Title();
    Application->SetTitle("Zandrel");
    char text[32] = {};
    GetWindowTextA(Application->Handle(), text, sizeof(text));
    CHECK(AnsiString(text) == "Zandrel");
    CHECK(Application->Title() == "Zandrel");
    Application->SetTitle(saved);

    struct Hints {
        int N = 0;
        void OnHint(TObject*) { ++N; }
    } hints;
    Application->OnHint = MakeMethod<&Hints::OnHint>(&hints);
    Application->SetHint("one");
    Application->SetHint("one");
    Application->SetHint("two");
    CHECK(hints.N == 2);
    CHECK(Application->Hint() == "two");
    Application->SetHint("");
    Application->OnHint = TNotifyEvent();

    struct Catcher {
        std::vector<AnsiString> Messages;
        void OnException(TObject*, Exception* E) { Messages.push_back(E->Message()); }
    } catcher;
    auto old = Application->OnException;
    Application->OnException = MakeMethod<&Catcher::OnException>(&catcher);
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
    SendMessageA(Application->Handle(), WM_USER + 21, 0, 0);
    SendMessageA(Application->Handle(), WM_USER + 22, 0, 0);
    SendMessageA(Application->Handle(), WM_USER + 23, 0, 0);
    Application->UnhookMainWindow(hook);
    CHECK(catcher.Messages == std::vector<AnsiString>{"plain C++ error", "Unknown exception"});
    Application->OnException = old;
}

TEST_CASE("alpha blending and a transparent colour make a layered window")
{
    auto form = std::make_unique<TForm>(nullptr);
    form->SetBounds(20, 20, 120, 80);
    form->SetAlphaBlend(true);
    form->SetAlphaBlendValue(128);
    form->Show();
    HWND wnd = form->WindowHandle();
    CHECK((GetWindowLongA(wnd, GWL_EXSTYLE) & WS_EX_LAYERED) != 0);
    BYTE alpha = 0;
    DWORD flags = 0;
    COLORREF key = 0;
    if (GetLayeredWindowAttributes(wnd, &key, &alpha, &flags)) {
        CHECK(alpha == 128);
        CHECK((flags & LWA_ALPHA) != 0);
    }
    form->SetTransparentColorValue(clFuchsia);
    form->SetTransparentColor(true);
    if (GetLayeredWindowAttributes(wnd, &key, &alpha, &flags)) {
        CHECK(key == RGB(255, 0, 255));
        CHECK((flags & LWA_COLORKEY) != 0);
    }
    // Kept across a new window.
    form->SetBorderStyle(bsSingle);
    REQUIRE(form->HandleAllocated());
    CHECK((GetWindowLongA(form->WindowHandle(), GWL_EXSTYLE) & WS_EX_LAYERED) != 0);
    form->SetAlphaBlend(false);
    form->SetTransparentColor(false);
    CHECK_FALSE((GetWindowLongA(form->WindowHandle(), GWL_EXSTYLE) & WS_EX_LAYERED) != 0);
}

TEST_CASE("border styles and icons become window styles")
{
    auto form = std::make_unique<TForm>(nullptr);
    form->SetBorderStyle(bsDialog);
    form->HandleNeeded();
    LONG style = GetWindowLongA(form->WindowHandle(), GWL_STYLE);
    CHECK((style & WS_CAPTION) != 0);
    CHECK_FALSE((style & WS_THICKFRAME) != 0);
    CHECK_FALSE((style & WS_MINIMIZEBOX) != 0);
    // A new window is made when it is next needed.
    form->SetBorderStyle(bsSizeable);
    form->SetBorderIcons(biSystemMenu);
    CHECK_FALSE(form->HandleAllocated());
    style = GetWindowLongA(form->Handle(), GWL_STYLE);
    CHECK((style & WS_THICKFRAME) != 0);
    CHECK((style & WS_SYSMENU) != 0);
    CHECK_FALSE((style & WS_MAXIMIZEBOX) != 0);
    form->SetBorderStyle(bsNone);
    style = GetWindowLongA(form->Handle(), GWL_STYLE);
    CHECK((style & WS_POPUP) != 0);
    CHECK_FALSE((style & WS_CAPTION) != 0);
    form->Show();
    form->SetWindowState(wsMaximized);
    CHECK(form->WindowState() == wsMaximized);
    form->SetWindowState(wsNormal);
    CHECK(form->WindowState() == wsNormal);
}

TEST_CASE("a screenshot of a form")
{
    auto form = std::make_unique<TForm>(nullptr);
    form->SetCaption("\xD4\xEE\xF0\xEC\xE0 Zandrel");   // "Форма" in code page 1251
    form->SetBounds(40, 40, 360, 240);
    form->SetColor(clBtnFace);
    auto bar = [&](TAlign a, int size, TColor c, const char* text) {
        auto* b = new TBar(form.get());
        b->SetBounds(0, 0, size, size);
        b->SetColor(c);
        b->SetText(text);
        b->SetParent(form.get());
        b->SetAlign(a);
        return b;
    };
    bar(alTop, 28, TColor(0x804020), "Top bar");
    bar(alBottom, 24, TColor(0x206020), "Status");
    bar(alLeft, 70, TColor(0x606060), "Left");
    auto* body = new THintedControl(form.get());
    body->SetText("\xCF\xF0\xE8\xE2\xE5\xF2, client area");   // "Привет"
    body->SetParent(form.get());
    body->SetAlign(alClient);
    form->Show();
    Pump();
    form->Repaint();
    Pump();
    CreateDirectoryA(ZANDREL_BUILD_DIR "/screenshots", nullptr);
    CHECK(SaveWindowPng(form->WindowHandle(), ZANDREL_BUILD_DIR "/screenshots/forms.png"));
    // The client area was painted as laid out: the top bar's colour at its place.
    HDC dc = GetDC(form->WindowHandle());
    COLORREF top = GetPixel(dc, 200, 14);
    ReleaseDC(form->WindowHandle(), dc);
    CHECK(top == COLORREF(0x804020));
}

namespace {
// The menu unit's part, played by a plain component: the form reaches its menu only
// through the hooks.
struct TFakeMenu {
    static inline HMENU Native = nullptr;
    static inline HWND ShownIn = nullptr;
    static TComponent* Component(TMainMenu* M) { return reinterpret_cast<TComponent*>(M); }
    static HMENU Handle(TMainMenu*, HWND Window)
    {
        ShownIn = Window;
        return Native;
    }
    static AnsiString SelectHint(TMainMenu*, HMENU, UINT Item, UINT, bool& Found)
    {
        Found = Item == 7;
        return Found ? "Opens a file" : AnsiString();
    }
};
} // namespace

TEST_CASE("a form shows its main menu's native menu and takes its hints")
{
    TFormHooks saved = FormHooks;
    FormHooks = TFormHooks{};
    FormHooks.MainMenuComponent = &TFakeMenu::Component;
    FormHooks.MainMenuHandle = &TFakeMenu::Handle;
    FormHooks.MenuSelectHint = &TFakeMenu::SelectHint;
    TFakeMenu::Native = CreateMenu();
    AppendMenuA(TFakeMenu::Native, MF_STRING, 7, "&File");
    auto* menuObject = new TComponent(nullptr);
    auto* menu = reinterpret_cast<TMainMenu*>(menuObject);

    auto form = std::make_unique<TForm>(nullptr);
    form->SetMenu(menu);
    CHECK_FALSE(form->HandleAllocated());
    HWND wnd = form->Handle();
    CHECK(GetMenu(wnd) == TFakeMenu::Native);
    CHECK(TFakeMenu::ShownIn == wnd);

    SendMessageA(wnd, WM_MENUSELECT, MAKEWPARAM(7, MF_STRING), reinterpret_cast<LPARAM>(TFakeMenu::Native));
    CHECK(Application->Hint() == "Opens a file");
    SendMessageA(wnd, WM_MENUSELECT, MAKEWPARAM(8, MF_STRING), reinterpret_cast<LPARAM>(TFakeMenu::Native));
    CHECK(Application->Hint() == "");

    // A new window gets the menu again; the menu going takes it off the window.
    form->SetBorderStyle(bsSingle);
    CHECK(GetMenu(form->Handle()) == TFakeMenu::Native);
    delete menuObject;
    CHECK(form->Menu() == nullptr);
    CHECK(GetMenu(form->WindowHandle()) == nullptr);
    DestroyMenu(TFakeMenu::Native);
    FormHooks = saved;
}
