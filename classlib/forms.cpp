#include "classlib/forms.h"

#include <algorithm>

TApplication* Application = nullptr;
TScreen* Screen = nullptr;
const TClassInfo* HintWindowClass = nullptr;
bool ProgramEnding = false;
TFormHooks FormHooks;

namespace {
// Counts focus changes, so that a focus message whose handler moved the focus elsewhere can
// tell the caller to stop.
int g_focusCount = 0;

bool SendFocusMessage(HWND Window, UINT Msg)
{
    int count = g_focusCount;
    SendMessageA(Window, Msg, 0, 0);
    return g_focusCount == count;
}

// The visible, enabled top-level windows of the thread; an exception (no memory for the
// list) stops the enumeration and waits in the guard for the caller.
struct TEnabledWindows {
    std::vector<HWND> List;
    TCallbackGuard Guard;
};

BOOL CALLBACK CollectEnabledWindow(HWND Wnd, LPARAM LParam)
{
    auto* windows = reinterpret_cast<TEnabledWindows*>(LParam);
    return windows->Guard.Call([&] {
        if (IsWindowVisible(Wnd) && IsWindowEnabled(Wnd))
            windows->List.push_back(Wnd);
        return true;
    });
}

void AppHandleException(TObject* Sender)
{
    if (Application)
        Application->HandleException(Sender);
}

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

void InitForms()
{
    if (Application)
        return;
    ProgramEnding = false;
    InitControls();
    HintWindowClass = &THintWindow::StaticClassInfo();
    Screen = new TScreen(nullptr);
    Application = new TApplication(nullptr);
    Application->CreateHandle();
    ApplicationHandleException = &AppHandleException;
}

void DoneForms()
{
    ProgramEnding = true;
    if (ApplicationHandleException == &AppHandleException)
        ApplicationHandleException = nullptr;
    delete Application;
    Application = nullptr;
    delete Screen;
    Screen = nullptr;
    DoneControls();
}

// ---------------------------------------------------------------------------------------
// TCustomForm

namespace {
// The form's Menu: a reference to a main menu, which this unit knows only as a component.
template <class Form> TPropInfo MenuProp()
{
    TPropInfo p;
    p.Name = "Menu";
    p.Kind = tkClass;
    p.IsComponentRef = true;
    p.GetObj = [](const TObject* o) -> TObject* { return static_cast<const Form*>(o)->MenuComponent(); };
    p.SetObj = [](TObject* o, TObject* v) {
        auto* c = dynamic_cast<TComponent*>(v);
        static_cast<Form*>(o)->SetMenu(c && FormHooks.AsMainMenu ? FormHooks.AsMainMenu(c) : nullptr);
    };
    return p;
}
} // namespace

// A form starts hidden and with its own colour, font and hints: those are its defaults, so a
// form read back from form data is as the one written.
Z_CLASS_IMPL(TCustomForm, TWinControl, Z_PROP_BOOL(TCustomForm, Visible, false),
             Z_PROP_BOOL(TCustomForm, ParentColor, false), Z_PROP_BOOL(TCustomForm, ParentFont, false),
             Z_PROP_BOOL(TCustomForm, ParentShowHint, false),
             MenuProp<TCustomForm>(), Z_PROP_BOOL(TCustomForm, KeyPreview, false),
             Z_PROP_BOOL(TCustomForm, OldCreateOrder, false),
             Z_PROP_BOOL(TCustomForm, AlphaBlend, false),
             Z_PROP_INT(TCustomForm, AlphaBlendValue, 255),
             Z_PROP_BOOL(TCustomForm, TransparentColor, false),
             Z_PROP_INT(TCustomForm, TransparentColorValue, 0))
Z_CLASS_IMPL(TForm, TCustomForm)

TCustomForm::TCustomForm(TComponent* AOwner)
    : TWinControl(AOwner), FCanvas(std::make_unique<TControlCanvas>()), FIcon(std::make_unique<TIcon>())
{
    FControlStyle = csAcceptsControls | csCaptureMouse | csClickEvents | csSetCaption | csDoubleClicks;
    FLeft = 0;
    FTop = 0;
    FWidth = 320;
    FHeight = 240;
    FVisible = false;
    FParentColor = false;
    FParentFont = false;
    FParentShowHint = false;
    SetColor(clBtnFace);
    FCanvas->SetControl(this);
    if (Screen)
        Screen->AddForm(this);
}

TCustomForm::~TCustomForm()
{
    BeforeDestruction();
    // From here on the form is no longer one of the screen's: focus and activation that
    // reach it while its windows go do not make it the active form again.
    Destroying();
    if (Application && Application->MainForm() == this)
        Application->CancelHint();
    if (Screen)
        Screen->RemoveForm(this);
    FCanvas->FreeHandle();
    if (FMenuComponent)
        FMenuComponent->RemoveFreeNotification(this);
    // The window goes here, while the form's own handling of its destruction still runs.
    if (FHandle) {
        try {
            DestroyHandle();
        } catch (...) {
            FHandle = nullptr;
        }
    }
}

void TCustomForm::AfterConstruction()
{
    if (!FOldCreateOrder)
        DoCreate();
}

void TCustomForm::BeforeDestruction()
{
    if (!FDestroyed) {
        FDestroyed = true;
        try {
            DoDestroy();
        } catch (...) {
            HandleCaughtException(this);
        }
    }
}

void TCustomForm::DoCreate()
{
    if (FCreated)
        return;
    FCreated = true;
    if (OnCreate)
        OnCreate(this);
    if (FFormState & fsVisible)
        SetVisible(true);
}

void TCustomForm::DoDestroy()
{
    if (OnDestroy)
        OnDestroy(this);
}

void TCustomForm::DoShow()
{
    if (OnShow)
        OnShow(this);
}

void TCustomForm::DoHide()
{
    if (OnHide)
        OnHide(this);
}

void TCustomForm::DoClose(TCloseAction& Action)
{
    if (OnClose)
        OnClose(this, Action);
}

void TCustomForm::Activate()
{
    if (OnActivate)
        OnActivate(this);
}

void TCustomForm::Deactivate()
{
    if (OnDeactivate)
        OnDeactivate(this);
}

void TCustomForm::Paint()
{
    if (OnPaint)
        OnPaint(this);
}

// Window ------------------------------------------------------------------------------------

void TCustomForm::CreateParams(TCreateParams& Params)
{
    TWinControl::CreateParams(Params);
    if (!FParent && !FParentWindow) {
        Params.WndParent = Application ? Application->Handle() : nullptr;
        Params.Style &= ~(WS_CHILD | WS_GROUP | WS_TABSTOP);
    }
    Params.WindowClass.style = CS_DBLCLKS;
    if (FPosition == poDefault || FPosition == poDefaultPosOnly) {
        Params.X = CW_USEDEFAULT;
        Params.Y = CW_USEDEFAULT;
    }
    TBorderIcons icons = FBorderIcons;
    TFormBorderStyle style = FBorderStyle;
    if (FFormStyle == fsMDIChild && (style == bsNone || style == bsDialog))
        style = bsSizeable;
    switch (style) {
    case bsNone:
        if (!FParent && !FParentWindow)
            Params.Style |= WS_POPUP;
        icons = 0;
        break;
    case bsSingle:
    case bsToolWindow:
        Params.Style |= WS_CAPTION | WS_BORDER;
        break;
    case bsSizeable:
    case bsSizeToolWin:
        Params.Style |= WS_CAPTION | WS_THICKFRAME;
        break;
    case bsDialog:
        Params.Style |= WS_POPUP | WS_CAPTION;
        Params.ExStyle = WS_EX_DLGMODALFRAME | WS_EX_WINDOWEDGE;
        icons &= biSystemMenu | biHelp;
        Params.WindowClass.style |= CS_SAVEBITS | CS_BYTEALIGNWINDOW;
        break;
    }
    if (style == bsToolWindow || style == bsSizeToolWin) {
        Params.ExStyle = WS_EX_TOOLWINDOW;
        icons &= biSystemMenu;
    }
    if (style == bsSingle || style == bsSizeable || style == bsNone) {
        if (FFormStyle != fsMDIChild || (icons & biSystemMenu)) {
            if (icons & biMinimize)
                Params.Style |= WS_MINIMIZEBOX;
            if (icons & biMaximize)
                Params.Style |= WS_MAXIMIZEBOX;
        }
        if (FWindowState == wsMinimized)
            Params.Style |= WS_MINIMIZE;
        else if (FWindowState == wsMaximized)
            Params.Style |= WS_MAXIMIZE;
    }
    if (icons & biSystemMenu)
        Params.Style |= WS_SYSMENU;
    if ((icons & biHelp) && !(icons & (biMinimize | biMaximize)))
        Params.ExStyle |= WS_EX_CONTEXTHELP;
    if (FFormStyle == fsMDIChild)
        Params.Style |= WS_CHILD;
    if (FFormStyle == fsStayOnTop)
        Params.ExStyle |= WS_EX_TOPMOST;
    if (FAlphaBlend || FTransparentColor)
        Params.ExStyle |= WS_EX_LAYERED;
}

void TCustomForm::CreateWindowHandle(const TCreateParams& Params)
{
    if (FFormStyle == fsMDIChild && !IsDesigning()) {
        TCustomForm* main = Application ? Application->MainForm() : nullptr;
        if (!main || !main->ClientHandle())
            throw EInvalidOperation("Cannot create form. No MDI forms are currently active");
        FDefWndProc = reinterpret_cast<WNDPROC>(&DefMDIChildProcA);
        FHandle = CreateMDIWindowA(Params.WinClassName, Params.Caption.c_str(),
                                   Params.Style & ~WS_CHILD, Params.X, Params.Y, Params.Width,
                                   Params.Height, main->ClientHandle(), Params.WindowClass.hInstance,
                                   reinterpret_cast<LPARAM>(Params.Param));
        FFormState |= fsCreatedMDIChild;
        return;
    }
    TWinControl::CreateWindowHandle(Params);
    FFormState &= ~fsCreatedMDIChild;
}

void TCustomForm::CreateWnd()
{
    TWinControl::CreateWnd();
    if (FFormStyle == fsMDIForm && !FClientHandle) {
        CLIENTCREATESTRUCT ccs{};
        ccs.hWindowMenu = nullptr;
        ccs.idFirstChild = 0xFF00;
        RECT r;
        ::GetClientRect(FHandle, &r);
        FClientHandle = CreateWindowExA(WS_EX_CLIENTEDGE, "MDICLIENT", nullptr,
                                        WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN | WS_GROUP | WS_TABSTOP |
                                            WS_VSCROLL | WS_HSCROLL,
                                        0, 0, r.right, r.bottom, FHandle, nullptr,
                                        GetModuleHandleA(nullptr), &ccs);
    }
    if (FMenu && FormHooks.MainMenuHandle && FFormStyle != fsMDIChild)
        ::SetMenu(FHandle, FormHooks.MainMenuHandle(FMenu, FHandle));
    if (!FIcon->Empty())
        SendMessageA(FHandle, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(FIcon->Handle()));
    ApplyLayeredAttributes();
}

void TCustomForm::DestroyWindowHandle()
{
    if (FMenu && FormHooks.MainMenuHandle) {
        // The native menu belongs to the menu object, not to the window that goes.
        ::SetMenu(FHandle, nullptr);
        FormHooks.MainMenuHandle(FMenu, nullptr);
    }
    if (FFormState & fsCreatedMDIChild) {
        TCustomForm* main = Application ? Application->MainForm() : nullptr;
        if (main && main->ClientHandle())
            SendMessageA(main->ClientHandle(), WM_MDIDESTROY, reinterpret_cast<WPARAM>(FHandle), 0);
        FHandle = nullptr;
        FShowing = false;
    } else {
        TWinControl::DestroyWindowHandle();
    }
    FClientHandle = nullptr;
}

void TCustomForm::DestroyWnd()
{
    TWinControl::DestroyWnd();
}

void TCustomForm::ApplyLayeredAttributes()
{
    if (!FHandle)
        return;
    LONG ex = GetWindowLongA(FHandle, GWL_EXSTYLE);
    if (FAlphaBlend || FTransparentColor) {
        if (!(ex & WS_EX_LAYERED))
            SetWindowLongA(FHandle, GWL_EXSTYLE, ex | WS_EX_LAYERED);
        DWORD flags = (FAlphaBlend ? LWA_ALPHA : 0) | (FTransparentColor ? LWA_COLORKEY : 0);
        SetLayeredWindowAttributes(FHandle, static_cast<COLORREF>(ColorToRGB(FTransparentColorValue)),
                                   FAlphaBlendValue, flags);
    } else if (ex & WS_EX_LAYERED) {
        SetWindowLongA(FHandle, GWL_EXSTYLE, ex & ~WS_EX_LAYERED);
        RedrawWindow(FHandle, nullptr, nullptr, RDW_ERASE | RDW_INVALIDATE | RDW_FRAME | RDW_ALLCHILDREN);
    }
}

void TCustomForm::SetAlphaBlend(bool Value)
{
    if (StoreChanged(FAlphaBlend, Value))
        ApplyLayeredAttributes();
}

void TCustomForm::SetAlphaBlendValue(uint8_t Value)
{
    if (StoreChanged(FAlphaBlendValue, Value))
        ApplyLayeredAttributes();
}

void TCustomForm::SetTransparentColor(bool Value)
{
    if (StoreChanged(FTransparentColor, Value))
        ApplyLayeredAttributes();
}

void TCustomForm::SetTransparentColorValue(TColor Value)
{
    if (StoreChanged(FTransparentColorValue, Value))
        ApplyLayeredAttributes();
}

void TCustomForm::SetIcon(TIcon* Value)
{
    FIcon->Assign(Value);
    if (FHandle)
        SendMessageA(FHandle, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(FIcon->Handle()));
}

void TCustomForm::SetBorderStyle(TFormBorderStyle Value)
{
    RecreateOnChange(this, FBorderStyle, Value);
}

void TCustomForm::SetBorderIcons(TBorderIcons Value)
{
    RecreateOnChange(this, FBorderIcons, Value);
}

TWindowState TCustomForm::WindowState() const
{
    if (FHandle) {
        if (IsIconic(FHandle))
            return wsMinimized;
        if (IsZoomed(FHandle))
            return wsMaximized;
        return FShowing ? wsNormal : FWindowState;
    }
    return FWindowState;
}

void TCustomForm::SetWindowState(TWindowState Value)
{
    static const int commands[] = {SW_SHOWNORMAL, SW_SHOWMINNOACTIVE, SW_SHOWMAXIMIZED};
    if (FWindowState == Value && WindowState() == Value)
        return;
    FWindowState = Value;
    if (!IsDesigning() && FShowing && FHandle)
        ShowWindow(FHandle, commands[Value]);
}

void TCustomForm::SetFormStyle(TFormStyle Value)
{
    if (FFormStyle == Value)
        return;
    TFormStyle old = FFormStyle;
    FFormStyle = Value;
    if (FHandle) {
        if ((old == fsStayOnTop) != (Value == fsStayOnTop) && old != fsMDIChild && Value != fsMDIChild &&
            old != fsMDIForm && Value != fsMDIForm)
            SetWindowPos(FHandle, Value == fsStayOnTop ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0, 0, 0,
                         SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
        else
            RecreateWnd();
    }
}

void TCustomForm::SetPosition(TPosition Value)
{
    FPosition = Value;
}

void TCustomForm::SetMenu(TMainMenu* Value)
{
    if (FMenu == Value)
        return;
    if (FMenuComponent)
        FMenuComponent->RemoveFreeNotification(this);
    if (FMenu && FHandle && FormHooks.MainMenuHandle) {
        ::SetMenu(FHandle, nullptr);
        FormHooks.MainMenuHandle(FMenu, nullptr);
    }
    FMenu = Value;
    FMenuComponent = Value && FormHooks.MainMenuComponent ? FormHooks.MainMenuComponent(Value) : nullptr;
    if (FMenuComponent)
        FMenuComponent->FreeNotification(this);
    RefreshMenu();
}

void TCustomForm::RefreshMenu()
{
    if (!FHandle || FFormStyle == fsMDIChild)
        return;
    HMENU menu = FMenu && FormHooks.MainMenuHandle ? FormHooks.MainMenuHandle(FMenu, FHandle) : nullptr;
    if (GetMenu(FHandle) != menu)
        ::SetMenu(FHandle, menu);
    else if (menu)
        DrawMenuBar(FHandle);
}

void TCustomForm::Notification(TComponent* AComponent, TOperation Operation)
{
    TWinControl::Notification(AComponent, Operation);
    if (Operation != opRemove || !AComponent)
        return;
    if (AComponent == FMenuComponent) {
        if (FHandle)
            ::SetMenu(FHandle, nullptr);
        FMenu = nullptr;
        FMenuComponent = nullptr;
    }
    if (FActiveControl && static_cast<TComponent*>(FActiveControl) == AComponent)
        FActiveControl = nullptr;
    if (FFocusedControl && static_cast<TComponent*>(FFocusedControl) == AComponent)
        FFocusedControl = nullptr;
}

// Showing and closing -----------------------------------------------------------------------

void TCustomForm::Show()
{
    SetVisible(true);
    if (FHandle)
        SetWindowPos(FHandle, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
}

void TCustomForm::Hide()
{
    SetVisible(false);
}

void TCustomForm::SetVisibleState(bool Value)
{
    SetVisible(Value);
}

void TCustomForm::CMShowingChanged(TMessage&)
{
    static const int commands[] = {SW_SHOWNORMAL, SW_SHOWMINNOACTIVE, SW_SHOWMAXIMIZED};
    if (FFormState & fsShowing)
        throw EInvalidOperation("Cannot change Visible in OnShow or OnHide");
    TBitsScope<TFormState> showing(FFormState, fsShowing);
    if (FShowing) {
        try {
            DoShow();
        } catch (...) {
            HandleCaughtException(this);
        }
        if (FPosition == poScreenCenter || FPosition == poDesktopCenter ||
            ((FPosition == poMainFormCenter || FPosition == poOwnerFormCenter) && !FParent)) {
            TRect area(0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN));
            if (FPosition == poMainFormCenter || FPosition == poOwnerFormCenter) {
                TCustomForm* center = FPosition == poOwnerFormCenter ? dynamic_cast<TCustomForm*>(Owner()) : nullptr;
                if (!center && Application)
                    center = Application->MainForm();
                if (center && center != this)
                    area = center->BoundsRect();
            }
            int x = area.Left + (area.Width() - FWidth) / 2;
            int y = area.Top + (area.Height() - FHeight) / 2;
            SetBounds(std::max(0, x), std::max(0, y), FWidth, FHeight);
        }
        FPosition = poDesigned;
        ShowWindow(FHandle, commands[FWindowState]);
    } else {
        try {
            DoHide();
        } catch (...) {
            HandleCaughtException(this);
        }
        if (FHandle)
            SetWindowPos(FHandle, nullptr, 0, 0, 0, 0,
                         SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_HIDEWINDOW);
    }
}

bool TCustomForm::CloseQuery()
{
    bool canClose = true;
    if (OnCloseQuery)
        OnCloseQuery(this, canClose);
    return canClose;
}

void TCustomForm::Close()
{
    if (FFormState & fsModal) {
        FModalResult = mrCancel;
        return;
    }
    if (!CloseQuery())
        return;
    TCloseAction action = FFormStyle == fsMDIChild ? ((FBorderIcons & biMinimize) ? caMinimize : caNone) : caHide;
    DoClose(action);
    if (action == caNone)
        return;
    if (Application && Application->MainForm() == this)
        Application->Terminate();
    else if (action == caHide)
        Hide();
    else if (action == caMinimize)
        SetWindowState(wsMinimized);
    else
        Release();
}

void TCustomForm::Release()
{
    if (FHandle)
        PostMessageA(FHandle, CM_RELEASE, 0, 0);
}

void TCustomForm::CMRelease(TMessage&)
{
    // The last thing done with this form: the message chain above touches nothing of it.
    delete this;
}

int TCustomForm::ShowModal()
{
    if (FVisible || !FEnabled || (FFormState & fsModal) || FFormStyle == fsMDIChild)
        throw EInvalidOperation("Cannot make a visible window modal");
    if (HWND capture = GetCapture())
        SendMessageA(capture, WM_CANCELMODE, 0, 0);
    ReleaseCapture();
    // Every other top-level window of the thread is disabled while the form is modal. They
    // are found before anything changes, so a failure to list them leaves all as it was.
    TEnabledWindows enabled;
    EnumThreadWindows(GetCurrentThreadId(), &CollectEnabledWindow, reinterpret_cast<LPARAM>(&enabled));
    enabled.Guard.Rethrow();
    const std::vector<HWND>& disabled = enabled.List;
    if (Application)
        Application->ModalStarted();
    FFormState |= fsModal;
    HWND activeWindow = GetActiveWindow();
    TCustomForm* saveFocused = Screen ? Screen->FFocusedForm : nullptr;
    if (Screen)
        Screen->FFocusedForm = this;
    for (HWND w : disabled)
        EnableWindow(w, FALSE);
    int result = mrNone;
    TScopeExit restore([&] {
        for (HWND w : disabled)
            if (IsWindow(w))
                EnableWindow(w, TRUE);
        if (Screen && Screen->FFocusedForm == this)
            Screen->FFocusedForm = saveFocused;
        if (activeWindow && IsWindow(activeWindow))
            SetActiveWindow(activeWindow);
        FFormState &= ~fsModal;
        if (Application)
            Application->ModalFinished();
    });
    Show();
    {
        TScopeExit hide([this] { Hide(); });
        SendMessageA(Handle(), CM_ACTIVATE, 0, 0);
        FModalResult = mrNone;
        do {
            Application->HandleMessage();
            if (Application->Terminated())
                FModalResult = mrCancel;
            else if (FModalResult != mrNone)
                CloseModal();
        } while (FModalResult == mrNone);
        result = FModalResult;
        SendMessageA(FHandle, CM_DEACTIVATE, 0, 0);
    }
    return result;
}

void TCustomForm::CloseModal()
{
    TCloseAction action = caNone;
    if (CloseQuery()) {
        action = caHide;
        DoClose(action);
    }
    switch (action) {
    case caNone:
        FModalResult = mrNone;
        break;
    case caFree:
        Release();
        break;
    default:
        break;
    }
}

// Focus ------------------------------------------------------------------------------------------

void TCustomForm::SetActiveControl(TWinControl* Control)
{
    if (FActiveControl == Control)
        return;
    if (Control && !(Control != this && GetParentForm(Control) == this && (IsLoading() || Control->CanFocus())))
        throw EInvalidOperation("Cannot focus a disabled or invisible window");
    FActiveControl = Control;
    if (!IsLoading() && FActive)
        SetWindowFocus();
}

void TCustomForm::FocusControl(TWinControl* Control)
{
    bool wasActive = FActive;
    SetActiveControl(Control);
    if (!wasActive) {
        if (!FVisible || !FEnabled)
            throw EInvalidOperation("Cannot focus a disabled or invisible window");
        SetWindowFocus();
    }
}

void TCustomForm::DefocusControl(TWinControl* Control, bool Removing)
{
    if (Removing && Control->ContainsControl(FFocusedControl))
        FFocusedControl = Control->Parent();
    if (Control->ContainsControl(FActiveControl)) {
        FActiveControl = nullptr;
        if (FActive && FHandle && !IsDestroying())
            ::SetFocus(FHandle);
    }
    if (Screen && Screen->FActiveControl && Control->ContainsControl(Screen->FActiveControl))
        Screen->FActiveControl = nullptr;
}

void TCustomForm::SetWindowFocus()
{
    TWinControl* target = FActiveControl ? FActiveControl : this;
    if (target->HandleAllocated() || target == this)
        ::SetFocus(target->Handle());
}

bool TCustomForm::SetFocusedControl(TWinControl* Control)
{
    ++g_focusCount;
    if (!Control || IsDestroying())
        return false;
    FActiveControl = Control != this ? Control : nullptr;
    if (Screen) {
        Screen->FActiveControl = Control;
        Screen->FActiveCustomForm = this;
        Screen->MoveFormFirst(this);
    }
    if (Control->ControlState() & csFocusing)
        return false;
    Control->SetControlState(Control->ControlState() | csFocusing);
    TScopeExit focused([Control] { Control->SetControlState(Control->ControlState() & ~csFocusing); });
    if (Screen && Screen->FFocusedForm != this) {
        if (TCustomForm* old = Screen->FFocusedForm) {
            Screen->FFocusedForm = nullptr;
            if (old->HandleAllocated() && !SendFocusMessage(old->WindowHandle(), CM_DEACTIVATE))
                return false;
        }
        Screen->FFocusedForm = this;
        if (!SendFocusMessage(Handle(), CM_ACTIVATE))
            return false;
    }
    if (!FFocusedControl)
        FFocusedControl = this;
    if (FFocusedControl != Control) {
        while (FFocusedControl && !FFocusedControl->ContainsControl(Control)) {
            HWND wnd = FFocusedControl->HandleAllocated() ? FFocusedControl->WindowHandle() : nullptr;
            FFocusedControl = FFocusedControl->Parent();
            if (wnd && !SendFocusMessage(wnd, CM_EXIT))
                return false;
        }
        while (FFocusedControl != Control) {
            TWinControl* c = Control;
            while (c->Parent() != FFocusedControl)
                c = c->Parent();
            FFocusedControl = c;
            if (!SendFocusMessage(c->Handle(), CM_ENTER))
                return false;
        }
        Perform(CM_FOCUSCHANGED, 0, reinterpret_cast<LPARAM>(Control));
    }
    return true;
}

// Keys, menus, actions ---------------------------------------------------------------------------

void TCustomForm::MouseWheelHandler(TMessage& Message)
{
    if (FFocusedControl)
        Message.Result = FFocusedControl->Perform(CM_MOUSEWHEEL, Message.WParam, Message.LParam);
    else
        TWinControl::MouseWheelHandler(Message);
}

bool TCustomForm::IsShortCut(TMessage& KeyMessage)
{
    if (FMenu && FHandle && FormHooks.IsShortCut && FormHooks.IsShortCut(FMenu, KeyMessage))
        return true;
    return FormHooks.ActionShortCut && FormHooks.ActionShortCut(this, KeyMessage);
}

void TCustomForm::GetChildren(TGetChildProc Proc, TComponent* Root)
{
    TWinControl::GetChildren(Proc, Root);
    if (Root != this)
        return;
    for (int i = 0; i < ComponentCount(); ++i)
        if (!Components(i)->HasParent())
            Proc(Components(i));
}

void TCustomForm::CMDialogKey(TMessage& Message)
{
    if (GetKeyState(VK_MENU) >= 0) {
        const uint16_t key = TWMKey(Message).CharCode;
        switch (key) {
        case VK_TAB:
            if (GetKeyState(VK_CONTROL) >= 0) {
                SelectNext(FActiveControl, GetKeyState(VK_SHIFT) >= 0, true);
                Message.Result = 1;
                return;
            }
            break;
        case VK_LEFT:
        case VK_RIGHT:
        case VK_UP:
        case VK_DOWN:
            if (FActiveControl && FActiveControl->Parent()) {
                FActiveControl->Parent()->SelectNext(FActiveControl, key == VK_RIGHT || key == VK_DOWN, false);
                Message.Result = 1;
            }
            return;
        }
    }
    TWinControl::CMDialogKey(Message);
}

void TCustomForm::UpdateActions()
{
    if (IsDesigning())
        return;
    InitiateAction();
    if (FMenu && FormHooks.UpdateMenuActions)
        FormHooks.UpdateMenuActions(FMenu);
    // Every visible control that takes part in actions, through the whole tree.
    auto traverse = [](auto& self, TWinControl* container) -> void {
        if (!container->Showing())
            return;
        for (int i = 0; i < container->ControlCount(); ++i) {
            TControl* c = container->Controls(i);
            if ((c->ControlStyle() & csActionClient) && c->Visible())
                c->InitiateAction();
            if (auto* w = dynamic_cast<TWinControl*>(c); w && (w->ControlStyle() & csAcceptsControls))
                self(self, w);
        }
    };
    traverse(traverse, this);
}

void TCustomForm::CMActionExecute(TMessage& Message)
{
    if (IsDesigning() || !FShowing || !FormHooks.ActionTarget)
        return;
    auto* action = reinterpret_cast<TBasicAction*>(Message.LParam);
    bool update = Message.Msg == CM_ACTIONUPDATE;
    auto process = [&](TControl* c) { return c && FormHooks.ActionTarget(action, c, update); };
    auto traverse = [&](auto& self, TWinControl* container) -> bool {
        for (int i = 0; i < container->ControlCount(); ++i) {
            TControl* c = container->Controls(i);
            if (c->Visible() && process(c))
                return true;
            if (auto* w = dynamic_cast<TWinControl*>(c); w && w->Showing() && self(self, w))
                return true;
        }
        return false;
    };
    if (process(FActiveControl) || process(this) || traverse(traverse, this))
        Message.Result = 1;
}

// Messages ---------------------------------------------------------------------------------------

void TCustomForm::WMClose(TMessage&)
{
    Close();
}

void TCustomForm::WMActivate(TMessage& Message)
{
    if (FFormStyle == fsMDIForm && !IsDesigning()) {
        DefaultHandler(Message);
        return;
    }
    bool active = Message.WParamLo() != WA_INACTIVE;
    FActive = active;
    if (active && !IsDestroying()) {
        if (Screen)
            Screen->MoveFormFirst(this);
        if (!FActiveControl && !IsDesigning())
            FActiveControl = FindNextControl(nullptr, true, true, false);
        SetWindowFocus();
    }
}

void TCustomForm::CMActivate(TMessage&)
{
    FFormState |= fsActivated;
    Activate();
}

void TCustomForm::CMDeactivate(TMessage&)
{
    Deactivate();
}

void TCustomForm::WMCommand(TMessage& Message)
{
    // Menu items and accelerators have no control window.
    if (Message.LParam == 0 && FMenu && FormHooks.MenuMessage && FormHooks.MenuMessage(FMenu, Message))
        return;
    TWinControl::WMCommand(Message);
}

void TCustomForm::WMMenuSelect(TMessage& Message)
{
    if (!FMenu || !FormHooks.MenuSelectHint) {
        DefaultHandler(Message);
        return;
    }
    UINT item = Message.WParamLo();
    UINT flags = Message.WParamHi();
    auto menu = reinterpret_cast<HMENU>(Message.LParam);
    bool found = false;
    AnsiString hint;
    if (flags != 0xFFFF || item != 0)
        hint = FormHooks.MenuSelectHint(FMenu, menu, item, flags, found);
    if (Application)
        Application->SetHint(found ? hint : AnsiString());
}

void TCustomForm::WMSysCommand(TMessage& Message)
{
    // The form's own state follows what the system does with its window.
    switch (Message.WParam & 0xFFF0) {
    case SC_MINIMIZE:
        FWindowState = wsMinimized;
        break;
    case SC_MAXIMIZE:
        FWindowState = wsMaximized;
        break;
    case SC_RESTORE:
        FWindowState = wsNormal;
        break;
    }
    DefaultHandler(Message);
}

void TCustomForm::WMDestroy(TMessage& Message)
{
    TWinControl::WMDestroy(Message);
}

void TCustomForm::WMShowWindow(TMessage& Message)
{
    DefaultHandler(Message);
}

void TCustomForm::PaintWindow(HDC DC)
{
    TCanvasDC scope(FCanvas.get(), DC);
    Paint();
}

void TCustomForm::WndProc(TMessage& Message)
{
    switch (Message.Msg) {
    case WM_DRAWITEM:
        if (auto* dis = TWMDrawItem(Message).DrawItemStruct; dis && dis->CtlType == ODT_MENU)
            if (FMenu && FormHooks.MenuMessage && FormHooks.MenuMessage(FMenu, Message))
                return;
        break;
    case WM_MEASUREITEM:
        if (auto* mis = reinterpret_cast<MEASUREITEMSTRUCT*>(Message.LParam); mis && mis->CtlType == ODT_MENU)
            if (FMenu && FormHooks.MenuMessage && FormHooks.MenuMessage(FMenu, Message))
                return;
        break;
    case WM_INITMENUPOPUP:
    case WM_MENUCHAR:
        if (FMenu && FormHooks.MenuMessage && FormHooks.MenuMessage(FMenu, Message))
            return;
        break;
    }
    TWinControl::WndProc(Message);
}

void TCustomForm::Dispatch(TMessage& Message)
{
    switch (Message.Msg) {
    case WM_PAINT:
        WMPaintSelf(Message);
        break;
    case WM_CLOSE:
        WMClose(Message);
        break;
    case WM_ACTIVATE:
        WMActivate(Message);
        break;
    case WM_COMMAND:
        WMCommand(Message);
        break;
    case WM_MENUSELECT:
        WMMenuSelect(Message);
        break;
    case WM_SYSCOMMAND:
        WMSysCommand(Message);
        break;
    case WM_DESTROY:
        WMDestroy(Message);
        break;
    case WM_SHOWWINDOW:
        WMShowWindow(Message);
        break;
    case CM_SHOWINGCHANGED:
        CMShowingChanged(Message);
        break;
    case CM_ACTIVATE:
        CMActivate(Message);
        break;
    case CM_DEACTIVATE:
        CMDeactivate(Message);
        break;
    case CM_DIALOGKEY:
        CMDialogKey(Message);
        break;
    case CM_RELEASE:
        CMRelease(Message);
        break;
    case CM_ACTIONEXECUTE:
    case CM_ACTIONUPDATE:
        CMActionExecute(Message);
        break;
    default:
        TWinControl::Dispatch(Message);
        break;
    }
}

void TCustomForm::DefaultHandler(TMessage& Message)
{
    if (FHandle && FClientHandle) {
        if (Message.Msg == WM_SIZE)
            Message.Result = DefWindowProcA(FHandle, Message.Msg, Message.WParam, Message.LParam);
        else
            Message.Result = DefFrameProcA(FHandle, FClientHandle, Message.Msg, Message.WParam, Message.LParam);
        return;
    }
    TWinControl::DefaultHandler(Message);
}

int TCustomForm::MDIChildCount()
{
    int n = 0;
    if (FFormStyle == fsMDIForm && Screen)
        for (TCustomForm* f : Screen->FCustomForms)
            if (f->FFormStyle == fsMDIChild && f->HandleAllocated())
                ++n;
    return n;
}

TCustomForm* TCustomForm::MDIChildren(int Index)
{
    if (FFormStyle == fsMDIForm && Screen)
        for (TCustomForm* f : Screen->FCustomForms)
            if (f->FFormStyle == fsMDIChild && f->HandleAllocated() && Index-- == 0)
                return f;
    return nullptr;
}

TCustomForm* TCustomForm::ActiveMDIChild()
{
    if (!FClientHandle)
        return nullptr;
    auto wnd = reinterpret_cast<HWND>(SendMessageA(FClientHandle, WM_MDIGETACTIVE, 0, 0));
    return dynamic_cast<TCustomForm*>(FindControl(wnd));
}

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
