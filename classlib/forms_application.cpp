// The screen (monitors, fonts, cursors, the active form) and the application: its hidden
// window, exceptions, the message loop and hints.
#include "classlib/forms.h"

#include <algorithm>

namespace {
constexpr UINT_PTR HintTimerID = 1;

// The application whose window is being made: its first message gives the handle, and the
// application's procedure takes over from there on, so window hooks see WM_CREATE.
TApplication* g_creatingApplication = nullptr;
WNDPROC g_creatingInstance = nullptr;
HWND* g_creatingHandle = nullptr;

LRESULT CALLBACK AppInitWndProc(HWND Wnd, UINT Msg, WPARAM WParam, LPARAM LParam)
{
    if (!g_creatingApplication)
        return DefWindowProcA(Wnd, Msg, WParam, LParam);
    WNDPROC proc = g_creatingInstance;
    *g_creatingHandle = Wnd;
    g_creatingApplication = nullptr;
    SetWindowLongPtrA(Wnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(proc));
    return CallWindowProcA(proc, Wnd, Msg, WParam, LParam);
}
} // namespace

// ---------------------------------------------------------------------------------------
// TScreen

Z_CLASS_IMPL(TScreen, TComponent)

TScreen::TScreen(TComponent* AOwner)
    : TComponent(AOwner), FHintFont(std::make_unique<TFont>()), FMenuFont(std::make_unique<TFont>()),
      FIconFont(std::make_unique<TFont>())
{
    FPixelsPerInch = GetDeviceCaps(TClientDC(nullptr).Handle(), LOGPIXELSY);
    ResetFonts();
}

TScreen::~TScreen() = default;

void TScreen::ResetFonts()
{
    NONCLIENTMETRICSA ncm{};
    ncm.cbSize = sizeof(ncm);
    if (SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, sizeof(ncm), &ncm, 0)) {
        FHintFont->SetHandle(CreateFontIndirectA(&ncm.lfStatusFont));
        FMenuFont->SetHandle(CreateFontIndirectA(&ncm.lfMenuFont));
    }
    LOGFONTA lf{};
    if (SystemParametersInfoA(SPI_GETICONTITLELOGFONT, sizeof(lf), &lf, 0))
        FIconFont->SetHandle(CreateFontIndirectA(&lf));
    FHintFont->SetColor(clInfoText);
    FMenuFont->SetColor(clMenuText);
    FIconFont->SetColor(clWindowText);
}

int TScreen::FormCount() const
{
    // Counted when asked: a form is added from its constructor, before it is a TForm.
    return static_cast<int>(std::count_if(FCustomForms.begin(), FCustomForms.end(),
                                          [](TCustomForm* f) { return dynamic_cast<TForm*>(f) != nullptr; }));
}

TForm* TScreen::Forms(int Index) const
{
    for (TCustomForm* f : FCustomForms)
        if (auto* form = dynamic_cast<TForm*>(f); form && Index-- == 0)
            return form;
    throw EListError(Format(zstrlist::SListIndexError, Index));
}

void TScreen::AddForm(TCustomForm* AForm)
{
    FCustomForms.push_back(AForm);
}

void TScreen::RemoveForm(TCustomForm* AForm)
{
    FCustomForms.erase(std::remove(FCustomForms.begin(), FCustomForms.end(), AForm), FCustomForms.end());
    if (FActiveCustomForm == AForm)
        FActiveCustomForm = nullptr;
    if (static_cast<TCustomForm*>(FActiveForm) == AForm)
        FActiveForm = nullptr;
    if (FFocusedForm == AForm)
        FFocusedForm = nullptr;
    if (FSaveFocusedForm == AForm)
        FSaveFocusedForm = nullptr;
    if (FActiveControl && (FActiveControl == AForm || AForm->ContainsControl(FActiveControl)))
        FActiveControl = nullptr;
}

void TScreen::MoveFormFirst(TCustomForm* AForm)
{
    auto it = std::find(FCustomForms.begin(), FCustomForms.end(), AForm);
    if (it != FCustomForms.end()) {
        FCustomForms.erase(it);
        FCustomForms.insert(FCustomForms.begin(), AForm);
    }
    FActiveCustomForm = AForm;
    FActiveForm = dynamic_cast<TForm*>(AForm);
}

HCURSOR TScreen::Cursors(TCursor Index)
{
    const char* id = nullptr;
    switch (Index) {
    case crNone: return nullptr;
    case crArrow: case crDefault: id = IDC_ARROW; break;
    case crCross: id = IDC_CROSS; break;
    case crIBeam: id = IDC_IBEAM; break;
    case crSizeNESW: id = IDC_SIZENESW; break;
    case crSizeNS: case crVSplit: id = IDC_SIZENS; break;
    case crSizeNWSE: id = IDC_SIZENWSE; break;
    case crSizeWE: case crHSplit: id = IDC_SIZEWE; break;
    case crUpArrow: id = IDC_UPARROW; break;
    case crHourGlass: case crSQLWait: id = IDC_WAIT; break;
    case crNo: case crNoDrop: id = IDC_NO; break;
    case crAppStart: id = IDC_APPSTARTING; break;
    case crHelp: id = IDC_HELP; break;
    case crHandPoint: id = IDC_HAND; break;
    case crSizeAll: id = IDC_SIZEALL; break;
    default: id = IDC_ARROW; break;
    }
    return LoadCursorA(nullptr, id);
}

void TScreen::SetCursor(TCursor Value)
{
    if (FCursor == Value)
        return;
    FCursor = Value;
    if (Value == crDefault) {
        // The window under the mouse chooses its cursor again.
        POINT p;
        GetCursorPos(&p);
        if (HWND wnd = WindowFromPoint(p))
            SendMessageA(wnd, WM_SETCURSOR, reinterpret_cast<WPARAM>(wnd),
                         MAKELPARAM(SendMessageA(wnd, WM_NCHITTEST, 0, MAKELPARAM(p.x, p.y)), WM_MOUSEMOVE));
    } else {
        ::SetCursor(Cursors(Value));
    }
}

TRect TScreen::WorkAreaRect() const
{
    RECT r;
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &r, 0);
    return TRect(r);
}

// ---------------------------------------------------------------------------------------
// TApplication

Z_CLASS_IMPL(TApplication, TComponent)

TApplication::TApplication(TComponent* AOwner) : TComponent(AOwner)
{
    char name[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, name, MAX_PATH);
    AnsiString file = ExtractFileName(name);
    auto dot = file.rfind('.');
    FTitle = dot == AnsiString::npos ? file : file.substr(0, dot);
}

TApplication::~TApplication()
{
    CancelHint();
    FHintWindow = nullptr;   // owned: freed with the other components
    DestroyComponents();
    FMainForm = nullptr;
    FWindowHooks.clear();
    if (FHandle) {
        HWND wnd = FHandle;
        FHandle = nullptr;
        KillTimer(wnd, HintTimerID);
        DestroyWindow(wnd);
    }
    if (FObjectInstance)
        FreeObjectInstance(FObjectInstance);
}

void TApplication::CreateHandle()
{
    if (FHandle)
        return;
    if (!FObjectInstance)
        FObjectInstance = MakeObjectInstance(MakeMethod<&TApplication::WndProc>(this));
    HINSTANCE inst = GetModuleHandleA(nullptr);
    WNDCLASSA cls{};
    bool registered = GetClassInfoA(inst, "TApplication", &cls);
    if (!registered || cls.lpfnWndProc != &AppInitWndProc) {
        if (registered)
            UnregisterClassA("TApplication", inst);
        cls = WNDCLASSA{};
        cls.lpfnWndProc = &AppInitWndProc;
        cls.hInstance = inst;
        cls.hIcon = LoadIconA(nullptr, IDI_APPLICATION);
        cls.hCursor = LoadCursorA(nullptr, IDC_ARROW);
        cls.lpszClassName = "TApplication";
        if (!RegisterClassA(&cls))
            RaiseLastOSError();
    }
    g_creatingApplication = this;
    g_creatingInstance = FObjectInstance;
    g_creatingHandle = &FHandle;
    HWND wnd = CreateWindowExA(0, "TApplication", FTitle.c_str(),
                               WS_POPUP | WS_CAPTION | WS_CLIPSIBLINGS | WS_SYSMENU | WS_MINIMIZEBOX,
                               GetSystemMetrics(SM_CXSCREEN) / 2, GetSystemMetrics(SM_CYSCREEN) / 2, 0, 0,
                               nullptr, nullptr, inst, nullptr);
    g_creatingApplication = nullptr;
    if (!wnd) {
        FHandle = nullptr;
        RaiseLastOSError();
    }
    FHandle = wnd;
}

AnsiString TApplication::Title() const
{
    if (!FHandle)
        return FTitle;
    int len = GetWindowTextLengthA(FHandle);
    AnsiString s(static_cast<size_t>(len) + 1, '\0');
    int got = GetWindowTextA(FHandle, s.data(), len + 1);
    s.resize(static_cast<size_t>(std::clamp(got, 0, len)));
    return s;
}

void TApplication::SetTitle(const AnsiString& Value)
{
    if (FTitle == Value && (!FHandle || Title() == Value))
        return;
    FTitle = Value;
    if (FHandle)
        SetWindowTextA(FHandle, Value.c_str());
}

void TApplication::SetHint(const AnsiString& Value)
{
    if (FHint == Value)
        return;
    FHint = Value;
    if (OnHint)
        OnHint(this);
    else if (FormHooks.HintChanged)
        FormHooks.HintChanged(FHint);
}

void TApplication::HookMainWindow(TWindowHook Hook)
{
    FWindowHooks.insert(FWindowHooks.begin(), Hook);
}

void TApplication::UnhookMainWindow(TWindowHook Hook)
{
    auto it = std::find(FWindowHooks.begin(), FWindowHooks.end(), Hook);
    if (it != FWindowHooks.end())
        FWindowHooks.erase(it);
}

void TApplication::WndProc(TMessage& Message)
{
    try {
        Message.Result = 0;
        // A copy: a hook may unhook itself.
        std::vector<TWindowHook> hooks = FWindowHooks;
        for (const TWindowHook& h : hooks)
            if (h(Message))
                return;
        auto deflt = [&] { Message.Result = DefWindowProcA(FHandle, Message.Msg, Message.WParam, Message.LParam); };
        switch (Message.Msg) {
        case WM_SYSCOMMAND:
            switch (Message.WParam & 0xFFF0) {
            case SC_MINIMIZE: Minimize(); break;
            case SC_RESTORE: Restore(); break;
            default: deflt(); break;
            }
            break;
        case WM_CLOSE:
            if (FMainForm)
                FMainForm->Close();
            break;
        case WM_ACTIVATEAPP:
            deflt();
            FActive = Message.WParam != 0;
            PostMessageA(FHandle, FActive ? CM_ACTIVATE : CM_DEACTIVATE, 0, 0);
            break;
        case WM_ENDSESSION:
            if (Message.WParam)
                FTerminate = true;
            break;
        case WM_TIMER:
            if (Message.WParam == HintTimerID)
                HintTimerExpired();
            else
                deflt();
            break;
        case CM_ACTIONEXECUTE:
        case CM_ACTIONUPDATE:
            Message.Result = DispatchAction(Message.Msg, reinterpret_cast<TBasicAction*>(Message.LParam)) ? 1 : 0;
            break;
        case CM_APPKEYDOWN:
            if (FMainForm && FMainForm->IsShortCut(Message))
                Message.Result = 1;
            break;
        case CM_ACTIVATE:
            if (OnActivate)
                OnActivate(this);
            break;
        case CM_DEACTIVATE:
            if (OnDeactivate)
                OnDeactivate(this);
            break;
        case CM_WINDOWHOOK:
            if (Message.LParam) {
                auto* hook = reinterpret_cast<TWindowHook*>(Message.LParam);
                if (Message.WParam == 0)
                    HookMainWindow(*hook);
                else
                    UnhookMainWindow(*hook);
            }
            break;
        case CM_DIALOGHANDLE:
            if (Message.WParam == 1)
                Message.Result = reinterpret_cast<LRESULT>(FDialogHandle);
            else
                FDialogHandle = reinterpret_cast<HWND>(Message.LParam);
            break;
        case WM_SETTINGCHANGE:
            if (Screen)
                Screen->ResetFonts();
            deflt();
            break;
        default:
            deflt();
            break;
        }
    } catch (...) {
        HandleException(this);
    }
}

bool TApplication::DispatchAction(UINT Msg, TBasicAction* Action)
{
    if (FormHooks.ApplicationAction && FormHooks.ApplicationAction(Action, Msg == CM_ACTIONUPDATE))
        return true;
    TCustomForm* form = Screen ? Screen->ActiveCustomForm() : nullptr;
    if (form && form->Perform(Msg, 0, reinterpret_cast<LPARAM>(Action)) == 1)
        return true;
    return FMainForm && FMainForm != form && FMainForm->Perform(Msg, 0, reinterpret_cast<LPARAM>(Action)) == 1;
}

bool TApplication::ExecuteAction(TBasicAction* Action)
{
    return FormHooks.ApplicationAction && FormHooks.ApplicationAction(Action, false);
}

bool TApplication::UpdateAction(TBasicAction* Action)
{
    return FormHooks.ApplicationAction && FormHooks.ApplicationAction(Action, true);
}

// Exceptions --------------------------------------------------------------------------------------

void TApplication::HandleException(TObject* Sender)
{
    if (HWND capture = GetCapture())
        SendMessageA(capture, WM_CANCELMODE, 0, 0);
    auto report = [&](Exception& e) {
        if (OnException)
            OnException(Sender, &e);
        else
            ShowException(e);
    };
    try {
        throw;
    } catch (EAbort&) {
    } catch (Exception& e) {
        report(e);
    } catch (std::exception& e) {
        Exception wrapped(e.what());
        report(wrapped);
    } catch (...) {
        Exception wrapped("Unknown exception");
        report(wrapped);
    }
}

void TApplication::ShowException(const Exception& E)
{
    AnsiString msg = E.Message();
    if (!msg.empty() && static_cast<unsigned char>(msg.back()) > '.')
        msg += '.';
    MessageBox(msg.c_str(), Title().c_str(), MB_OK | MB_ICONSTOP);
}

int TApplication::MessageBox(const char* Text, const char* Caption, UINT Flags)
{
    HWND owner = GetActiveWindow();
    if (!owner)
        owner = FHandle;
    return MessageBoxA(owner, Text, Caption, Flags);
}

// The message loop -------------------------------------------------------------------------------

bool TApplication::ProcessMessage(MSG& Msg)
{
    if (!PeekMessageA(&Msg, nullptr, 0, 0, PM_REMOVE))
        return false;
    if (Msg.message == WM_QUIT) {
        FTerminate = true;
        return true;
    }
    bool handled = false;
    if (OnMessage)
        OnMessage(Msg, handled);
    if (!IsHintMsg(Msg) && !handled && !IsKeyMsg(Msg) && !IsDlgMsg(Msg)) {
        TranslateMessage(&Msg);
        DispatchMessageA(&Msg);
    }
    return true;
}

void TApplication::ProcessMessages()
{
    MSG msg;
    while (ProcessMessage(msg)) {
    }
}

void TApplication::HandleMessage()
{
    MSG msg;
    if (!ProcessMessage(msg))
        Idle(msg);
}

void TApplication::Run()
{
    if (FMainForm) {
        if (FMainForm->WindowState() == wsMinimized)
            Minimize();
        else
            FMainForm->SetVisible(true);
    }
    do {
        try {
            HandleMessage();
        } catch (...) {
            HandleException(this);
        }
    } while (!FTerminate);
}

void TApplication::Terminate()
{
    PostQuitMessage(0);
}

void TApplication::Idle(const MSG&)
{
    TControl* control = DoMouseIdle();
    if (FShowHint && !FMouseControl)
        CancelHint();
    // The application hint follows the control under the mouse.
    AnsiString hint;
    for (TControl* c = control; c; c = c->Parent())
        if (!c->Hint().empty()) {
            hint = c->Hint();
            break;
        }
    SetHint(GetLongHint(hint));
    bool done = true;
    try {
        if (OnIdle)
            OnIdle(this, done);
        if (done)
            DoActionIdle();
    } catch (...) {
        HandleException(this);
    }
    if (done)
        WaitMessage();
}

void TApplication::DoActionIdle()
{
    if (!Screen)
        return;
    std::vector<TCustomForm*> forms = Screen->FCustomForms;
    for (TCustomForm* f : forms)
        if (f->HandleAllocated() && IsWindowVisible(f->WindowHandle()) && IsWindowEnabled(f->WindowHandle()))
            f->UpdateActions();
}

TControl* TApplication::DoMouseIdle()
{
    POINT p;
    GetCursorPos(&p);
    TControl* result = FindDragTarget(TPoint(p.x, p.y), true);
    if (result && result->IsDesigning())
        result = nullptr;
    TControl* capture = GetCaptureControl();
    if (FMouseControl != result) {
        if ((FMouseControl && !capture) || (capture && FMouseControl == capture))
            FMouseControl->Perform(CM_MOUSELEAVE, 0, reinterpret_cast<LPARAM>(FMouseControl));
        FMouseControl = result;
        if ((FMouseControl && !capture) || (capture && FMouseControl == capture))
            FMouseControl->Perform(CM_MOUSEENTER, 0, reinterpret_cast<LPARAM>(FMouseControl));
    }
    return result;
}

void TApplication::ControlDestroyed(TControl* Control)
{
    if (FMainForm == Control)
        FMainForm = nullptr;
    if (FMouseControl == Control)
        FMouseControl = nullptr;
    if (FHintControl == Control) {
        FHintControl = nullptr;
        CancelHint();
    }
    if (FHintWindow == Control)
        FHintWindow = nullptr;
}

bool TApplication::IsKeyMsg(MSG& Msg)
{
    if (Msg.message < WM_KEYFIRST || Msg.message > WM_KEYLAST)
        return false;
    HWND wnd = GetCapture();
    if (!wnd) {
        wnd = Msg.hwnd;
        if (FMainForm && FMainForm->HandleAllocated() && wnd == FMainForm->ClientHandle()) {
            wnd = FMainForm->WindowHandle();
        } else {
            // The nearest window of ours: a system window inside it knows no CN_ messages.
            while (wnd && !FindControl(wnd))
                wnd = GetParent(wnd);
            if (!wnd)
                wnd = Msg.hwnd;
        }
        return SendMessageA(wnd, CN_BASE + Msg.message, Msg.wParam, Msg.lParam) != 0;
    }
    if (FindControl(wnd))
        return SendMessageA(wnd, CN_BASE + Msg.message, Msg.wParam, Msg.lParam) != 0;
    return false;
}

bool TApplication::IsDlgMsg(MSG& Msg)
{
    return FDialogHandle && IsDialogMessageA(FDialogHandle, &Msg);
}

bool TApplication::IsHintMsg(MSG& Msg)
{
    if (FHintWindow && FHintWindow->IsHintMsg(Msg))
        CancelHint();
    return false;
}

void TApplication::Minimize()
{
    if (FMainForm && FMainForm->HandleAllocated())
        ShowWindow(FMainForm->WindowHandle(), SW_MINIMIZE);
}

void TApplication::Restore()
{
    if (FMainForm && FMainForm->HandleAllocated() && IsIconic(FMainForm->WindowHandle()))
        ShowWindow(FMainForm->WindowHandle(), SW_RESTORE);
}

void TApplication::BringToFront()
{
    if (FMainForm && FMainForm->HandleAllocated())
        SetForegroundWindow(FMainForm->WindowHandle());
}

// Hints ---------------------------------------------------------------------------------------------

void TApplication::SetShowHint(bool Value)
{
    if (FShowHint == Value)
        return;
    FShowHint = Value;
    if (Value) {
        if (!FHintWindow && HintWindowClass && HintWindowClass->CreateComponent) {
            TComponent* c = HintWindowClass->CreateComponent(this);
            FHintWindow = dynamic_cast<THintWindow*>(c);
            if (!FHintWindow)
                delete c;
            else
                FHintWindow->SetColor(FHintColor);
        }
    } else {
        CancelHint();
        delete FHintWindow;
        FHintWindow = nullptr;
    }
}

void TApplication::SetHintColor(TColor Value)
{
    FHintColor = Value;
    if (FHintWindow)
        FHintWindow->SetColor(Value);
}

void TApplication::HintMouseMessage(TControl* Control, TMessage& Message)
{
    TPoint screen = Control->ClientToScreen(TWMMouse(Message).Pos());
    TControl* target = FindDragTarget(screen, true);
    while (target && !target->ShowHint())
        target = target->Parent();
    if (target && target->IsDesigning())
        target = nullptr;
    if (!target || !target->ShowHint()) {
        CancelHint();
        return;
    }
    if (target != FHintControl || !FHintCursorRect.Contains(screen)) {
        bool wasActive = FHintActive;
        int pause = wasActive ? FHintShortPause : FHintPause;
        target->Perform(CM_HINTSHOWPAUSE, wasActive ? 1 : 0, reinterpret_cast<LPARAM>(&pause));
        CancelHint();
        FHintActive = wasActive;
        FHintControl = target;
        StartHintTimer(pause, tmShowHint);
    }
}

void TApplication::StartHintTimer(int Value, TTimerMode Mode)
{
    StopHintTimer();
    FTimerMode = Mode;
    if (FHandle && SetTimer(FHandle, HintTimerID, static_cast<UINT>(std::max(Value, 1)), nullptr))
        FTimerActive = true;
    else
        CancelHint();
}

void TApplication::StopHintTimer()
{
    if (FTimerActive) {
        KillTimer(FHandle, HintTimerID);
        FTimerActive = false;
    }
}

void TApplication::HintTimerExpired()
{
    StopHintTimer();
    if (FTimerMode == tmShowHint) {
        POINT p;
        GetCursorPos(&p);
        ActivateHint(TPoint(p.x, p.y));
    } else {
        CancelHint();
    }
}

void TApplication::ActivateHint(const TPoint& CursorPos)
{
    FHintActive = false;
    THintInfo info;
    if (FShowHint && FHintControl && FHintControl == FindDragTarget(CursorPos, true)) {
        info.HintControl = FHintControl;
        info.HintPos = TPoint(CursorPos.X, CursorPos.Y + GetSystemMetrics(SM_CYCURSOR) / 2 + 2);
        info.HintMaxWidth = Screen ? Screen->Width() : GetSystemMetrics(SM_CXSCREEN);
        info.HintColor = FHintColor;
        // The hint stays while the mouse is over the control (client coordinates).
        TPoint origin = FHintControl->ClientOrigin();
        TPoint parentOrigin(0, 0);
        if (FHintControl->Parent())
            parentOrigin = FHintControl->Parent()->ClientOrigin();
        TRect b = FHintControl->BoundsRect();
        info.CursorRect = TRect(b.Left + parentOrigin.X - origin.X, b.Top + parentOrigin.Y - origin.Y,
                                b.Right + parentOrigin.X - origin.X, b.Bottom + parentOrigin.Y - origin.Y);
        info.CursorPos = FHintControl->ScreenToClient(CursorPos);
        AnsiString hint;
        for (TControl* c = FHintControl; c; c = c->Parent())
            if (!c->Hint().empty()) {
                hint = c->Hint();
                break;
            }
        info.HintStr = GetShortHint(hint);
        info.ReshowTimeout = 0;
        info.HideTimeout = FHintHidePause;
        info.HintWindowClass = HintWindowClass;
        info.HintData = nullptr;
        bool canShow = FHintControl->Perform(CM_HINTSHOW, 0, reinterpret_cast<LPARAM>(&info)) == 0;
        if (canShow && OnShowHint)
            OnShowHint(info.HintStr, canShow, info);
        FHintActive = canShow && FHintControl;
        if (FHintActive && !info.HintStr.empty() && info.HintWindowClass) {
            // The hint window is of the class the hint info names now.
            if (!FHintWindow || &FHintWindow->ClassInfo() != info.HintWindowClass) {
                TComponent* made = info.HintWindowClass->CreateComponent
                                       ? info.HintWindowClass->CreateComponent(this)
                                       : nullptr;
                auto* win = dynamic_cast<THintWindow*>(made);
                if (!win) {
                    delete made;
                    FHintActive = false;
                    CancelHint();
                    return;
                }
                delete FHintWindow;
                FHintWindow = win;
            }
            FHintWindow->SetBiDiMode(FHintControl->BiDiMode());
            TRect r = FHintWindow->CalcHintRect(info.HintMaxWidth, info.HintStr, info.HintData);
            r = TRect(r.Left + info.HintPos.X, r.Top + info.HintPos.Y, r.Right + info.HintPos.X,
                      r.Bottom + info.HintPos.Y);
            TPoint tl = FHintControl->ClientToScreen(info.CursorRect.TopLeft());
            TPoint br = FHintControl->ClientToScreen(info.CursorRect.BottomRight());
            FHintCursorRect = TRect(tl, br);
            FHintWindow->SetColor(info.HintColor);
            FHintWindow->ActivateHintData(r, info.HintStr, info.HintData);
            if (info.ReshowTimeout > 0)
                StartHintTimer(info.ReshowTimeout, tmShowHint);
            else if (info.HideTimeout > 0)
                StartHintTimer(info.HideTimeout, tmHideHint);
            return;
        }
    }
    if (info.ReshowTimeout > 0)
        StartHintTimer(info.ReshowTimeout, tmShowHint);
    else
        CancelHint();
}

void TApplication::HideHint()
{
    if (FHintWindow && FHintWindow->HandleAllocated() && IsWindowVisible(FHintWindow->WindowHandle()))
        ShowWindow(FHintWindow->WindowHandle(), SW_HIDE);
}

void TApplication::CancelHint()
{
    if (FHintControl) {
        HideHint();
        FHintControl = nullptr;
        FHintActive = false;
        StopHintTimer();
    }
}
