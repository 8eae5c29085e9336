// Windowed controls: the window's creation and life, children, layout, showing, reflected
// messages and message dispatch. Focus, keys and the mouse are in controls_input.cpp.
#include "classlib/controls_shared.h"
#include "classlib/forms.h"

#include <algorithm>

// ---------------------------------------------------------------------------------------
// TWinControl

Z_CLASS_IMPL(TWinControl, TControl, Z_PROP_BOOL(TWinControl, TabStop, false),
             Z_PROP_INT(TWinControl, TabOrder, -1), Z_PROP_BOOL(TWinControl, Ctl3D, true))

TWinControl::TWinControl(TComponent* AOwner) : TControl(AOwner), FBrush(std::make_unique<TBrush>())
{
    FObjectInstance = MakeObjectInstance(MakeMethod<&TWinControl::MainWndProc>(this));
    FBrush->SetColor(FColor);
    FBrush->OnChange = MakeMethod<&TWinControl::BrushChanged>(this);
    FParentWindow = nullptr;
}

TWinControl::~TWinControl()
{
    Destroying();
    if (FParent)
        if (TCustomForm* form = GetParentForm(this))
            form->DefocusControl(this, true);
    DestroyWindowFirst();
    // The children stay alive (their owners free them) but lose their parent.
    while (!FControls.empty() || !FWinControls.empty()) {
        TControl* c = !FWinControls.empty() ? static_cast<TControl*>(FWinControls.back()) : FControls.back();
        Remove(c);
        c->FParent = nullptr;
        if (auto* w = dynamic_cast<TWinControl*>(c))
            w->FHandle = nullptr, w->FShowing = false;
    }
    FreeObjectInstance(FObjectInstance);
    FObjectInstance = nullptr;
}

TControl* TWinControl::Controls(int Index) const
{
    int n = static_cast<int>(FControls.size());
    if (Index < 0 || Index >= ControlCount())
        throw EListError(Format(zstrlist::SListIndexError, Index));
    return Index < n ? FControls[Index] : FWinControls[Index - n];
}

HWND TWinControl::Handle()
{
    HandleNeeded();
    return FHandle;
}

void TWinControl::HandleNeeded()
{
    if (FHandle)
        return;
    if (FParent)
        FParent->HandleNeeded();
    CreateHandle();
}

void TWinControl::SetParentWindow(HWND Value)
{
    if (FParent || FParentWindow == Value)
        return;
    if (FHandle && FParentWindow && Value) {
        FParentWindow = Value;
        ::SetParent(FHandle, Value);
        UpdateControlState();
    } else {
        DestroyHandle();
        FParentWindow = Value;
        UpdateControlState();
    }
}

TWinControl* TWinControl::CreateParented(const TClassInfo& Class, HWND ParentWindow)
{
    if (!Class.CreateComponent)
        throw EInvalidOperation(Format("Cannot create a %s", Class.Name));
    TComponent* c = Class.CreateComponent(nullptr);
    auto* w = dynamic_cast<TWinControl*>(c);
    if (!w) {
        delete c;
        throw EInvalidOperation(Format("%s is not a windowed control", Class.Name));
    }
    w->FParentWindow = ParentWindow;
    return w;
}

void TWinControl::MainWndProc(TMessage& Message)
{
    try {
        FWindowProc(Message);
    } catch (...) {
        HandleCaughtException(this);
    }
    // The handler may have freed this control (CM_RELEASE): nothing of it is touched here.
    FreeDeviceContexts();
}

// Window creation ---------------------------------------------------------------------------

void TWinControl::CreateParams(TCreateParams& Params)
{
    Params = TCreateParams();
    Params.Caption = FText;
    Params.Style = WS_CHILD | WS_CLIPSIBLINGS;
    if (UseRightToLeftReading())
        Params.ExStyle |= WS_EX_RTLREADING;
    if (UseRightToLeftScrollBar())
        Params.ExStyle |= WS_EX_LEFTSCROLLBAR;
    if (UseRightToLeftAlignment())
        Params.ExStyle |= WS_EX_RIGHT;
    if (FControlStyle & csAcceptsControls) {
        Params.Style |= WS_CLIPCHILDREN;
        Params.ExStyle |= WS_EX_CONTROLPARENT;
    }
    if (!IsDesigning() && !FEnabled)
        Params.Style |= WS_DISABLED;
    if (FTabStop)
        Params.Style |= WS_TABSTOP;
    Params.X = FLeft;
    Params.Y = FTop;
    Params.Width = FWidth;
    Params.Height = FHeight;
    Params.WndParent = FParent ? FParent->Handle() : FParentWindow;
    Params.WindowClass.style = CS_VREDRAW | CS_HREDRAW | CS_DBLCLKS;
    Params.WindowClass.lpfnWndProc = &DefWindowProcA;
    Params.WindowClass.hCursor = LoadCursorA(nullptr, MAKEINTRESOURCEA(32512));   // IDC_ARROW
    Params.WindowClass.hbrBackground = nullptr;
    Params.WindowClass.hInstance = GetModuleHandleA(nullptr);
    Params.SetWinClassName(ClassName());
}

void TWinControl::CreateSubClass(TCreateParams& Params, const char* ControlClassName)
{
    if (!ControlClassName || !*ControlClassName)
        return;
    HINSTANCE self = GetModuleHandleA(nullptr);
    WNDCLASSA cls{};
    if (!GetClassInfoA(self, ControlClassName, &cls) && !GetClassInfoA(nullptr, ControlClassName, &cls))
        throw EOSError(Format("Window class \"%s\" is not registered", ControlClassName),
                       GetLastError());
    Params.WindowClass = cls;
    Params.WindowClass.hInstance = self;
    // Our class is private to the program: no class-wide DC styles of the system's class.
    Params.WindowClass.style &= ~(CS_OWNDC | CS_CLASSDC | CS_PARENTDC | CS_GLOBALCLASS);
}

void TWinControl::CreateWnd()
{
    TCreateParams params;
    CreateParams(params);
    if (!params.WndParent && (params.Style & WS_CHILD)) {
        if (auto* owner = dynamic_cast<TWinControl*>(Owner()); owner && (Owner()->ComponentState() & csReading))
            params.WndParent = owner->Handle();
        else
            throw EInvalidOperation(Format("Control '%s' has no parent window", Name().c_str()));
    }
    FDefWndProc = params.WindowClass.lpfnWndProc;
    WNDCLASSA existing{};
    bool registered = GetClassInfoA(params.WindowClass.hInstance, params.WinClassName, &existing);
    if (!registered || existing.lpfnWndProc != &InitWndProc) {
        if (registered)
            UnregisterClassA(params.WinClassName, params.WindowClass.hInstance);
        WNDCLASSA cls = params.WindowClass;
        cls.lpfnWndProc = &InitWndProc;
        cls.lpszClassName = params.WinClassName;
        if (!RegisterClassA(&cls))
            RaiseLastOSError();
    }
    CreationControl = this;
    {
        // A window that never reached InitWndProc (creation failed early) leaves the mark set.
        TScopeExit unmark([] { CreationControl = nullptr; });
        CreateWindowHandle(params);
    }
    if (!FHandle)
        RaiseLastOSError();
    if ((GetWindowLongA(FHandle, GWL_STYLE) & WS_CHILD) && GetWindowLongA(FHandle, GWL_ID) == 0)
        SetWindowLongPtrA(FHandle, GWLP_ID, reinterpret_cast<LONG_PTR>(FHandle));
    FText.clear();
    UpdateBounds();
    Perform(WM_SETFONT, reinterpret_cast<WPARAM>(FFont->Handle()), 1);
    if (FAutoSize)
        AdjustSize();
}

void TWinControl::CreateWindowHandle(const TCreateParams& Params)
{
    FHandle = CreateWindowExA(Params.ExStyle, Params.WinClassName, Params.Caption.c_str(), Params.Style,
                              Params.X, Params.Y, Params.Width, Params.Height, Params.WndParent,
                              nullptr, Params.WindowClass.hInstance, Params.Param);
}

void TWinControl::CreateHandle()
{
    if (FHandle)
        return;
    CreateWnd();
    // A window made by another route than InitWndProc still finds its control.
    SetPropA(FHandle, MAKEINTATOM(ControlAtom), reinterpret_cast<HANDLE>(this));
    SetPropA(FHandle, MAKEINTATOM(WindowAtom), reinterpret_cast<HANDLE>(this));
    if (FParent) {
        // Windows follow the order of the windowed children, the last one on top: this
        // one goes below the next sibling that has a window already.
        HWND after = HWND_TOP;
        auto& list = FParent->FWinControls;
        auto it = std::find(list.begin(), list.end(), this);
        if (it != list.end())
            for (++it; it != list.end(); ++it)
                if ((*it)->FHandle) {
                    after = (*it)->FHandle;
                    break;
                }
        // Placing a new window erases nothing at once: the system would otherwise erase and
        // frame every invalid sibling now, before their owners are done with them.
        SetWindowPos(FHandle, after, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_DEFERERASE);
    }
    // Children aligned while there was no window are laid out in it now.
    if (FControlState & csAlignmentNeeded)
        Realign();
}

void TWinControl::DestroyWindowHandle()
{
    FControlState |= csDestroyingHandle;
    HWND wnd = FHandle;
    BOOL ok = DestroyWindow(wnd);
    FControlState &= ~csDestroyingHandle;
    FHandle = nullptr;
    FShowing = false;
    if (!ok && IsWindow(wnd))
        RaiseLastOSError();
}

void TWinControl::DestroyWindowFirst()
{
    Destroying();
    if (FHandle) {
        try {
            DestroyWindowHandle();
        } catch (...) {
            FHandle = nullptr;
        }
    }
}

void TWinControl::DestroyWnd()
{
    // The text goes back into the object so that a new window gets it.
    int len = GetTextLen();
    FText = len > 0 ? GetText() : AnsiString();
    for (size_t i = g_canvasList.size(); i-- > 0;)
        if (g_canvasList[i]->Control() == this)
            g_canvasList[i]->FreeHandle();
    DestroyWindowHandle();
}

void TWinControl::DestroyHandle()
{
    if (!FHandle)
        return;
    for (TWinControl* c : FWinControls)
        c->DestroyHandle();
    DestroyWnd();
}

void TWinControl::RecreateWnd()
{
    if (FHandle)
        Perform(CM_RECREATEWND, 0, 0);
}

void TWinControl::CMRecreateWnd(TMessage&)
{
    bool wasFocused = Focused();
    DestroyHandle();
    UpdateControlState();
    if (wasFocused && FHandle)
        ::SetFocus(FHandle);
}

void TWinControl::UpdateBounds()
{
    RECT r;
    if (IsIconic(FHandle)) {
        WINDOWPLACEMENT wp{};
        wp.length = sizeof(wp);
        GetWindowPlacement(FHandle, &wp);
        r = wp.rcNormalPosition;
    } else {
        GetWindowRect(FHandle, &r);
    }
    if (GetWindowLongA(FHandle, GWL_STYLE) & WS_CHILD) {
        if (HWND parent = GetParent(FHandle))
            MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&r), 2);
    }
    FLeft = r.left;
    FTop = r.top;
    FWidth = r.right - r.left;
    FHeight = r.bottom - r.top;
}

// Children ------------------------------------------------------------------------------------

void TWinControl::Insert(TControl* AControl)
{
    if (!AControl)
        return;
    if (auto* w = dynamic_cast<TWinControl*>(AControl)) {
        FWinControls.push_back(w);
        FTabList.push_back(w);
    } else {
        FControls.push_back(AControl);
    }
    AControl->FParent = this;
}

void TWinControl::Remove(TControl* AControl)
{
    auto erase = [AControl](auto& v) {
        auto it = std::find(v.begin(), v.end(), AControl);
        if (it != v.end())
            v.erase(it);
    };
    erase(FControls);
    erase(FWinControls);
    erase(FTabList);
    AControl->FParent = nullptr;
}

void TWinControl::InsertControl(TControl* AControl)
{
    Perform(CM_CONTROLLISTCHANGE, reinterpret_cast<WPARAM>(AControl), 1);
    Insert(AControl);
    if (!(AControl->ComponentState() & csReading)) {
        AControl->Perform(CM_PARENTCOLORCHANGED, 0, 0);
        AControl->Perform(CM_PARENTFONTCHANGED, 0, 0);
        AControl->Perform(CM_PARENTSHOWHINTCHANGED, 0, 0);
        AControl->Perform(CM_PARENTBIDIMODECHANGED, 0, 0);
        if (auto* w = dynamic_cast<TWinControl*>(AControl)) {
            AControl->Perform(CM_PARENTCTL3DCHANGED, 0, 0);
            w->UpdateControlState();
        } else if (FHandle) {
            AControl->Invalidate();
        }
        AlignControl(AControl);
    }
    Perform(CM_CONTROLCHANGE, reinterpret_cast<WPARAM>(AControl), 1);
}

void TWinControl::RemoveControl(TControl* AControl)
{
    Perform(CM_CONTROLCHANGE, reinterpret_cast<WPARAM>(AControl), 0);
    if (auto* w = dynamic_cast<TWinControl*>(AControl)) {
        if (TCustomForm* form = GetParentForm(this))
            form->DefocusControl(w, true);
        w->DestroyHandle();
    } else if (FHandle) {
        AControl->InvalidateControl(AControl->Visible(), false);
    }
    Remove(AControl);
    Perform(CM_CONTROLLISTCHANGE, reinterpret_cast<WPARAM>(AControl), 0);
    Realign();
}

bool TWinControl::ContainsControl(TControl* Control)
{
    while (Control && Control != this)
        Control = Control->Parent();
    return Control == this;
}

TControl* TWinControl::ControlAtPos(const TPoint& Pos, bool AllowDisabled, bool AllowWinControls)
{
    auto hit = [&](TControl* c) {
        if (!c->Visible() || !(c->Enabled() || AllowDisabled))
            return false;
        TPoint p(Pos.X - c->Left(), Pos.Y - c->Top());
        if (!TRect(0, 0, c->Width(), c->Height()).Contains(p))
            return false;
        return c->Perform(CM_HITTEST, 0, LParamOfPoint(p)) != 0;
    };
    if (AllowWinControls)
        for (auto it = FWinControls.rbegin(); it != FWinControls.rend(); ++it)
            if (hit(*it))
                return *it;
    for (auto it = FControls.rbegin(); it != FControls.rend(); ++it)
        if (hit(*it))
            return *it;
    return nullptr;
}

void TWinControl::Broadcast(TMessage& Message)
{
    // A copy: a handler may add or remove controls.
    std::vector<TControl*> list(FControls.begin(), FControls.end());
    list.insert(list.end(), FWinControls.begin(), FWinControls.end());
    for (TControl* c : list) {
        c->WindowProc()(Message);
        if (Message.Result != 0)
            return;
    }
}

void TWinControl::NotifyControls(UINT Msg)
{
    TMessage m{Msg, 0, 0, 0};
    Broadcast(m);
}

void TWinControl::GetChildren(TGetChildProc Proc, TComponent* Root)
{
    for (int i = 0; i < ControlCount(); ++i) {
        TControl* c = Controls(i);
        if (c->Owner() == Root)
            Proc(c);
    }
}

// Layout ------------------------------------------------------------------------------------

void TWinControl::DisableAlign()
{
    ++FAlignLevel;
}

void TWinControl::EnableAlign()
{
    if (--FAlignLevel == 0 && !IsLoading() && (FControlState & csAlignmentNeeded))
        Realign();
}

void TWinControl::Realign()
{
    AlignControl(nullptr);
}

void TWinControl::AlignControl(TControl* AControl)
{
    if (IsDestroying())
        return;
    if (FAlignLevel != 0 || IsLoading()) {
        FControlState |= csAlignmentNeeded;
        return;
    }
    DisableAlign();
    TScopeExit enable([this] {
        FControlState &= ~csAlignmentNeeded;
        --FAlignLevel;
    });
    TRect r = GetClientRect();
    AlignControls(AControl, r);
}

void TWinControl::AlignControls(TControl* AControl, TRect& Rect)
{
    bool any = false;
    for (int i = 0; i < ControlCount() && !any; ++i)
        any = Controls(i)->Align() != alNone;
    if (!any)
        return;
    AdjustClientRect(Rect);
    std::vector<TControl*> list;

    auto insertBefore = [](TControl* c1, TControl* c2, TAlign a) {
        switch (a) {
        case alTop: return c1->Top() < c2->Top();
        case alBottom: return c1->Top() + c1->Height() >= c2->Top() + c2->Height();
        case alLeft: return c1->Left() < c2->Left();
        case alRight: return c1->Left() + c1->Width() >= c2->Left() + c2->Width();
        default: return false;
        }
    };
    auto doPosition = [&Rect](TControl* c, TAlign a) {
        int w = Rect.Right - Rect.Left;
        if (w < 0 || a == alLeft || a == alRight || a == alCustom)
            w = c->Width();
        int h = Rect.Bottom - Rect.Top;
        if (h < 0 || a == alTop || a == alBottom || a == alCustom)
            h = c->Height();
        int x = Rect.Left, y = Rect.Top;
        switch (a) {
        case alTop: Rect.Top += h; break;
        case alBottom: Rect.Bottom -= h; y = Rect.Bottom; break;
        case alLeft: Rect.Left += w; break;
        case alRight: Rect.Right -= w; x = Rect.Right; break;
        default: break;
        }
        c->SetBounds(x, y, w, h);
        // A control that kept another size than it was given gives the rest back.
        switch (a) {
        case alTop: Rect.Top -= h - c->Height(); break;
        case alBottom: Rect.Bottom += h - c->Height(); break;
        case alLeft: Rect.Left -= w - c->Width(); break;
        case alRight: Rect.Right += w - c->Width(); break;
        case alClient:
            Rect.Right -= w - c->Width();
            Rect.Bottom -= h - c->Height();
            break;
        default: break;
        }
    };
    auto doAlign = [&](TAlign a) {
        list.clear();
        if (AControl && AControl->Align() == a && AControl->Visible())
            list.push_back(AControl);
        for (int i = 0; i < ControlCount(); ++i) {
            TControl* c = Controls(i);
            if (c == AControl || c->Align() != a || !c->Visible())
                continue;
            size_t j = 0;
            while (j < list.size() && !insertBefore(c, list[j], a))
                ++j;
            list.insert(list.begin() + static_cast<std::ptrdiff_t>(j), c);
        }
        for (TControl* c : list)
            doPosition(c, a);
    };
    doAlign(alTop);
    doAlign(alBottom);
    doAlign(alLeft);
    doAlign(alRight);
    doAlign(alClient);
}

void TWinControl::AdjustClientRect(TRect& Rect)
{
    Rect.Left += FBorderWidth;
    Rect.Top += FBorderWidth;
    Rect.Right -= FBorderWidth;
    Rect.Bottom -= FBorderWidth;
}

void TWinControl::SetBorderWidth(int Value)
{
    if (Value < 0)
        Value = 0;
    if (FBorderWidth != Value) {
        FBorderWidth = Value;
        Realign();
        Invalidate();
    }
}

void TWinControl::SetBounds(int ALeft, int ATop, int AWidth, int AHeight)
{
    if (ALeft == FLeft && ATop == FTop && AWidth == FWidth && AHeight == FHeight)
        return;
    if (!CanResize(AWidth, AHeight))
        return;
    if (FHandle && !IsIconic(FHandle)) {
        SetWindowPos(FHandle, nullptr, ALeft, ATop, AWidth, AHeight, SWP_NOZORDER | SWP_NOACTIVATE);
    } else {
        bool sized = AWidth != FWidth || AHeight != FHeight;
        FLeft = ALeft;
        FTop = ATop;
        FWidth = AWidth;
        FHeight = AHeight;
        if (FHandle) {
            WINDOWPLACEMENT wp{};
            wp.length = sizeof(wp);
            GetWindowPlacement(FHandle, &wp);
            wp.rcNormalPosition = RECT{FLeft, FTop, FLeft + FWidth, FTop + FHeight};
            SetWindowPlacement(FHandle, &wp);
        }
        if (sized) {
            // Without a window no WM_SIZE comes: the children are laid out here.
            Realign();
            if (!IsLoading())
                Resize();
        }
    }
    RequestAlign();
}

TRect TWinControl::GetClientRect()
{
    if (FHandle) {
        RECT r;
        ::GetClientRect(FHandle, &r);
        return TRect(r);
    }
    return TRect(0, 0, FWidth, FHeight);
}

TPoint TWinControl::ClientOrigin()
{
    if (FHandle) {
        POINT p{0, 0};
        ::ClientToScreen(FHandle, &p);
        return TPoint(p.x, p.y);
    }
    return TControl::ClientOrigin();
}

// Showing --------------------------------------------------------------------------------------

void TWinControl::UpdateShowing()
{
    bool show = FVisible && !(FControlState & csReadingState);
    if (show) {
        if (!FHandle)
            CreateHandle();
        std::vector<TWinControl*> list = FWinControls;
        for (TWinControl* c : list)
            c->UpdateShowing();
    }
    if (FHandle && FShowing != show) {
        FShowing = show;
        TScopeExit undo([this, show] { FShowing = !show; });
        Perform(CM_SHOWINGCHANGED, 0, 0);
        undo.Release();
    }
}

void TWinControl::UpdateControlState()
{
    TWinControl* c = this;
    while (c->FParent) {
        c = c->FParent;
        if (!c->FShowing)
            return;
    }
    if (dynamic_cast<TCustomForm*>(c) || c->FParentWindow)
        UpdateShowing();
}

void TWinControl::CMShowingChanged(TMessage&)
{
    SetWindowPos(FHandle, nullptr, 0, 0, 0, 0,
                 SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE |
                     (FShowing ? SWP_SHOWWINDOW : SWP_HIDEWINDOW));
}

void TWinControl::CMVisibleChanged(TMessage& Message)
{
    if (!FVisible && FParent)
        if (TCustomForm* form = GetParentForm(this))
            form->DefocusControl(this, false);
    (void)Message;
    UpdateControlState();
}

void TWinControl::CMEnabledChanged(TMessage&)
{
    if (!FEnabled && FParent)
        if (TCustomForm* form = GetParentForm(this))
            form->DefocusControl(this, false);
    if (FHandle)
        EnableWindow(FHandle, FEnabled);
}

void TWinControl::CMColorChanged(TMessage& Message)
{
    TControl::CMColorChanged(Message);
    FBrush->SetColor(FColor);
    NotifyControls(CM_PARENTCOLORCHANGED);
}

void TWinControl::CMFontChanged(TMessage& Message)
{
    TControl::CMFontChanged(Message);
    // A change of colour alone leaves the window the font it holds: the colour is given at
    // WM_CTLCOLOR*, and a system edit lays its whole text out again at every WM_SETFONT (a
    // skin switch that recolours a long memo paid that twice). Any other change brings a new
    // handle: the font deletes its old one only after this notice, so the two never match.
    if (FHandle) {
        HFONT font = FFont->Handle();
        if (reinterpret_cast<HFONT>(SendMessageA(FHandle, WM_GETFONT, 0, 0)) != font)
            Perform(WM_SETFONT, reinterpret_cast<WPARAM>(font), 0);
    }
    NotifyControls(CM_PARENTFONTCHANGED);
}

void TWinControl::FontChanged(TObject* Sender)
{
    TControl::FontChanged(Sender);
}

void TWinControl::SetParent(TWinControl* AParent)
{
    if (FParent == AParent)
        return;
    if (!AParent && FParent)
        DestroyHandle();
    TControl::SetParent(AParent);
}

// Reflection -----------------------------------------------------------------------------------

bool TWinControl::DoControlMsg(HWND ControlHandle, TMessage& Message)
{
    // A child is found among the children first: reading a window property can cost a
    // round trip to the window server, and lists and trees send thousands of notifications.
    TWinControl* control = nullptr;
    for (TWinControl* c : FWinControls)
        if (ControlHandle && c->FHandle == ControlHandle) {
            control = c;
            break;
        }
    if (!control)
        control = FindControl(ControlHandle);
    if (!control)
        return false;
    Message.Result = control->Perform(Message.Msg + CN_BASE, Message.WParam, Message.LParam);
    return true;
}

void TWinControl::WMCommand(TMessage& Message)
{
    if (!DoControlMsg(TWMCommand(Message).Ctl, Message))
        DefaultHandler(Message);
}

void TWinControl::WMNotify(TMessage& Message)
{
    NMHDR* hdr = TWMNotify(Message).NMHdr;
    if (!hdr || !DoControlMsg(hdr->hwndFrom, Message))
        DefaultHandler(Message);
}

void TWinControl::WMDrawItem(TMessage& Message)
{
    DRAWITEMSTRUCT* dis = TWMDrawItem(Message).DrawItemStruct;
    if (!dis || dis->CtlType == ODT_MENU || !DoControlMsg(dis->hwndItem, Message))
        DefaultHandler(Message);
}

void TWinControl::WMMeasureItem(TMessage& Message)
{
    MEASUREITEMSTRUCT* mis = TWMMeasureItem(Message).MeasureItemStruct;
    if (mis && mis->CtlType != ODT_MENU && FHandle) {
        // The item's window is found by its identifier among this window's children.
        if (HWND child = GetDlgItem(FHandle, static_cast<int>(mis->CtlID)))
            if (DoControlMsg(child, Message))
                return;
    }
    DefaultHandler(Message);
}

void TWinControl::WMCompareItem(TMessage& Message)
{
    COMPAREITEMSTRUCT* cis = TWMCompareItem(Message).CompareItemStruct;
    if (!cis || !DoControlMsg(cis->hwndItem, Message))
        DefaultHandler(Message);
}

void TWinControl::WMDeleteItem(TMessage& Message)
{
    DELETEITEMSTRUCT* dis = TWMDeleteItem(Message).DeleteItemStruct;
    if (!dis || !DoControlMsg(dis->hwndItem, Message))
        DefaultHandler(Message);
}

void TWinControl::WMScroll(TMessage& Message)
{
    HWND bar = TWMScroll(Message).ScrollBar;
    if (!bar || !DoControlMsg(bar, Message))
        DefaultHandler(Message);
}

// Window position and life -----------------------------------------------------------------------

void TWinControl::WMSize(TMessage& Message)
{
    if (FHandle)
        UpdateBounds();
    DefaultHandler(Message);
    Realign();
    if (!IsLoading())
        Resize();
}

void TWinControl::WMMove(TMessage& Message)
{
    DefaultHandler(Message);
}

void TWinControl::WMWindowPosChanged(TMessage& Message)
{
    if (FHandle && !(FControlState & csDestroyingHandle) && TWMWindowPosMsg(Message).WindowPos)
        UpdateBounds();
    DefaultHandler(Message);
}

void TWinControl::WMDestroy(TMessage& Message)
{
    DefaultHandler(Message);
}

void TWinControl::WMNCDestroy(TMessage& Message)
{
    HWND wnd = FHandle;
    DefaultHandler(Message);
    if (wnd) {
        RemovePropA(wnd, MAKEINTATOM(ControlAtom));
        RemovePropA(wnd, MAKEINTATOM(WindowAtom));
    }
    FHandle = nullptr;
    FShowing = false;
}

void TWinControl::CMInvalidate(TMessage& Message)
{
    if (!FHandle)
        return;
    if (FParent)
        FParent->Perform(CM_INVALIDATE, 1, 0);
    if (Message.WParam == 0)
        InvalidateRect(FHandle, nullptr, !(FControlStyle & csOpaque));
}

void TWinControl::Invalidate()
{
    Perform(CM_INVALIDATE, 0, 0);
}

void TWinControl::Update()
{
    if (FHandle)
        UpdateWindow(FHandle);
}

void TWinControl::Repaint()
{
    Invalidate();
    Update();
}

void TWinControl::AddBorderStyle(TCreateParams& Params, TBorderStyle Style) const
{
    if (Style != bsSingle)
        return;
    if (FCtl3D)
        Params.ExStyle |= WS_EX_CLIENTEDGE;
    else
        Params.Style |= WS_BORDER;
}

void TWinControl::SetCtl3D(bool Value)
{
    if (FCtl3D != Value) {
        FCtl3D = Value;
        Perform(CM_CTL3DCHANGED, 0, 0);
    }
}

void TWinControl::SetBevelKind(TBevelKind Value)
{
    RecreateOnChange(this, FBevelKind, Value);
}

void TWinControl::SetBevelInner(TBevelCut Value)
{
    RecreateOnChange(this, FBevelInner, Value);
}

void TWinControl::SetBevelOuter(TBevelCut Value)
{
    RecreateOnChange(this, FBevelOuter, Value);
}

void TWinControl::SetBevelEdges(TBevelEdges Value)
{
    RecreateOnChange(this, FBevelEdges, Value);
}

void TWinControl::SetBevelWidth(int Value)
{
    RecreateOnChange(this, FBevelWidth, std::max(Value, 1));
}

void TWinControl::SetParentBackground(bool Value)
{
    if (ParentBackground() == Value)
        return;
    if (Value)
        FControlStyle |= csParentBackground;
    else
        FControlStyle &= ~csParentBackground;
    Invalidate();
}

const TControlActionLinkClass* TWinControl::GetActionLinkClass()
{
    return ControlHooks.WinControlLinkClass;
}

// Messages --------------------------------------------------------------------------------------

bool TWinControl::FocusMessageRefused(const TMessage& Message)
{
    if (Message.Msg == WM_SETFOCUS) {
        TCustomForm* form = GetParentForm(this);
        return form && !form->SetFocusedControl(this);
    }
    return Message.Msg == WM_KILLFOCUS && (FControlState & csFocusing);
}

LRESULT TWinControl::ControlColors(HDC DC)
{
    SetTextColor(DC, static_cast<COLORREF>(ColorToRGB(FFont->Color())));
    SetBkColor(DC, static_cast<COLORREF>(ColorToRGB(FBrush->Color())));
    return reinterpret_cast<LRESULT>(FBrush->Handle());
}

void TWinControl::WndProc(TMessage& Message)
{
    switch (Message.Msg) {
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
        if (FocusMessageRefused(Message))
            return;
        break;
    case WM_CANCELMODE:
        CancelCaptureControl();
        break;
    case WM_CAPTURECHANGED:
        WMCaptureChanged(TWMCaptureChanged(Message));
        break;
    default:
        // The wheel carries a screen point and goes to the focus, not to the child under it.
        if (Message.Msg >= WM_MOUSEFIRST && Message.Msg <= WM_MOUSELAST && Message.Msg != WM_MOUSEWHEEL &&
            ControlMouseMessage(Message))
            return;
        break;
    }
    TControl::WndProc(Message);
}

void TWinControl::CancelCaptureControl()
{
    if (FHandle && GetCapture() == FHandle && g_captureControl && g_captureControl->Parent() == this)
        g_captureControl->Perform(WM_CANCELMODE, 0, 0);
}

void TWinControl::WMCaptureChanged(const TWMCaptureChanged& Changed)
{
    // Another window took the mouse from a child without a window: the child's press is
    // lost, and it hears so as a cancelled mode.
    if (g_captureControl && g_captureControl->Parent() == this && Changed.NewCapture != FHandle) {
        TControl* lost = g_captureControl;
        g_captureControl = nullptr;
        lost->Perform(WM_CANCELMODE, 0, 0);
    }
}

bool TWinControl::ControlMouseMessage(TMessage& Message)
{
    if (!IsControlMouseMsg(Message))
        return false;
    // The child answered; the window itself still sees the message.
    if (Message.Result == 0 && FHandle)
        DefWindowProcA(FHandle, Message.Msg, Message.WParam, Message.LParam);
    return true;
}

void TWinControl::Dispatch(TMessage& Message)
{
    switch (Message.Msg) {
    case WM_PAINT:
        WMPaint(Message);
        break;
    case WM_PRINTCLIENT:
        WMPrintClient(Message);
        break;
    case WM_ERASEBKGND:
        WMEraseBkgnd(Message);
        break;
    case WM_COMMAND:
        WMCommand(Message);
        break;
    case WM_NOTIFY:
        WMNotify(Message);
        break;
    case WM_DRAWITEM:
        WMDrawItem(Message);
        break;
    case WM_MEASUREITEM:
        WMMeasureItem(Message);
        break;
    case WM_COMPAREITEM:
        WMCompareItem(Message);
        break;
    case WM_DELETEITEM:
        WMDeleteItem(Message);
        break;
    case WM_HSCROLL:
    case WM_VSCROLL:
        WMScroll(Message);
        break;
    case WM_SETCURSOR:
        WMSetCursor(Message);
        break;
    case WM_SETFOCUS:
        WMSetFocus(Message);
        break;
    case WM_KILLFOCUS:
        WMKillFocus(Message);
        break;
    case WM_KEYDOWN:
        WMKeyDown(Message);
        break;
    case WM_SYSKEYDOWN:
        WMSysKeyDown(Message);
        break;
    case WM_KEYUP:
    case WM_SYSKEYUP:
        WMKeyUp(Message);
        break;
    case WM_CHAR:
        WMChar(Message);
        break;
    case WM_SIZE:
        WMSize(Message);
        break;
    case WM_MOVE:
        WMMove(Message);
        break;
    case WM_WINDOWPOSCHANGED:
        WMWindowPosChanged(Message);
        break;
    case WM_DESTROY:
        WMDestroy(Message);
        break;
    case WM_NCDESTROY:
        WMNCDestroy(Message);
        break;
    case WM_CONTEXTMENU:
        WMContextMenu(Message);
        break;
    case CN_KEYDOWN:
    case CN_SYSKEYDOWN:
        CNKeyDown(Message);
        break;
    case CN_CHAR:
        CNChar(Message);
        break;
    case CN_SYSCHAR:
        CNSysChar(Message);
        break;
    case CM_ENABLEDCHANGED:
        CMEnabledChanged(Message);
        break;
    case CM_SHOWINGCHANGED:
        CMShowingChanged(Message);
        break;
    case CM_VISIBLECHANGED:
        CMVisibleChanged(Message);
        break;
    case CM_COLORCHANGED:
        CMColorChanged(Message);
        break;
    case CM_FONTCHANGED:
        CMFontChanged(Message);
        break;
    case CM_DIALOGCHAR:
        CMDialogChar(Message);
        break;
    case CM_DIALOGKEY:
        CMDialogKey(Message);
        break;
    case CM_ENTER:
        CMEnter(Message);
        break;
    case CM_EXIT:
        CMExit(Message);
        break;
    case CM_FOCUSCHANGED:
        CMFocusChanged(Message);
        break;
    case CM_RECREATEWND:
        CMRecreateWnd(Message);
        break;
    case CM_INVALIDATE:
        CMInvalidate(Message);
        break;
    case CM_SHOWHINTCHANGED:
        NotifyControls(CM_PARENTSHOWHINTCHANGED);
        break;
    case CM_BIDIMODECHANGED:
        NotifyControls(CM_PARENTBIDIMODECHANGED);
        break;
    default:
        TControl::Dispatch(Message);
        break;
    }
}

void TWinControl::WMPrintClient(TMessage& Message)
{
    // One paint routine for the screen and for printing into a given DC.
    HDC dc = TWMPaint(Message).DC;
    if (!dc)
        return;
    FControlState |= csPaintCopy;
    TMessage m{WM_PAINT, reinterpret_cast<WPARAM>(dc), 0, 0};
    PaintHandler(m);
    FControlState &= ~csPaintCopy;
    Message.Result = 0;
}

void TWinControl::DefaultHandler(TMessage& Message)
{
    if (!FHandle) {
        TControl::DefaultHandler(Message);
        return;
    }
    if (Message.Msg == WM_CONTEXTMENU && FParent) {
        Message.Result = FParent->Perform(Message.Msg, Message.WParam, Message.LParam);
        if (Message.Result != 0)
            return;
    }
    switch (Message.Msg) {
    case WM_CTLCOLORMSGBOX:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORDLG:
    case WM_CTLCOLORSCROLLBAR:
    case WM_CTLCOLORSTATIC:
        if (WMCtlColor(Message))
            return;
        break;
    case CN_CTLCOLORMSGBOX:
    case CN_CTLCOLOREDIT:
    case CN_CTLCOLORLISTBOX:
    case CN_CTLCOLORBTN:
    case CN_CTLCOLORDLG:
    case CN_CTLCOLORSCROLLBAR:
    case CN_CTLCOLORSTATIC:
        Message.Result = ControlColors(TWMCtlColor(Message).ChildDC);
        return;
    default:
        if (Message.Msg == RM_GetObjectInstance && RM_GetObjectInstance) {
            Message.Result = reinterpret_cast<LRESULT>(this);
            return;
        }
        break;
    }
    Message.Result = CallWindowProcA(FDefWndProc ? FDefWndProc : &DefWindowProcA, FHandle, Message.Msg,
                                     Message.WParam, Message.LParam);
}

bool TWinControl::WMCtlColor(TMessage& Message)
{
    // A child of ours answers with its own colours.
    const TWMCtlColor color(Message);
    if (!FindControl(color.ChildWnd))
        return false;
    Message.Result = SendMessageA(color.ChildWnd, CN_BASE + Message.Msg, Message.WParam, Message.LParam);
    return true;
}
