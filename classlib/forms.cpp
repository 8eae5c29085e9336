// Forms: the unit's program-wide objects and their start-up, and the form. The screen and the
// application are in forms_application.cpp.
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

void TCustomForm::AlignControls(TControl* AControl, TRect& Rect)
{
    TWinControl::AlignControls(AControl, Rect);
    if (FClientHandle)
        SetWindowPos(FClientHandle, nullptr, Rect.Left, Rect.Top, std::max(0, Rect.Width()),
                     std::max(0, Rect.Height()), SWP_NOZORDER | SWP_NOACTIVATE);
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
    TBasicAction* action = TCMActionExecute(Message).Action;
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
    const TWMMenuSelect select(Message);
    bool found = false;
    AnsiString hint;
    if (select.MenuFlag != 0xFFFF || select.IDItem != 0)
        hint = FormHooks.MenuSelectHint(FMenu, select.Menu, select.IDItem, select.MenuFlag, found);
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

void TCustomForm::WMGetMinMaxInfo(TMessage& Message)
{
    DefaultHandler(Message);
    auto* info = reinterpret_cast<MINMAXINFO*>(Message.LParam);
    if (!info)
        return;
    // The user's sizing keeps within the constraints too.
    const TSizeConstraints* c = Constraints();
    if (c->MinWidth() > 0)
        info->ptMinTrackSize.x = c->MinWidth();
    if (c->MinHeight() > 0)
        info->ptMinTrackSize.y = c->MinHeight();
    if (c->MaxWidth() > 0)
        info->ptMaxTrackSize.x = c->MaxWidth();
    if (c->MaxHeight() > 0)
        info->ptMaxTrackSize.y = c->MaxHeight();
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
        if (auto* mis = TWMMeasureItem(Message).MeasureItemStruct; mis && mis->CtlType == ODT_MENU)
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
    case CM_MENUCHANGED:
        // The menu's native bar is already up to date: only drawn again.
        if (FHandle && GetMenu(FHandle))
            DrawMenuBar(FHandle);
        break;
    case WM_GETMINMAXINFO:
        WMGetMinMaxInfo(Message);
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
