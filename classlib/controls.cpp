#include "classlib/controls.h"
#include "classlib/forms.h"

#include <algorithm>
#include <cstring>

// ---------------------------------------------------------------------------------------
// Program-wide state of the unit

TWinControl* CreationControl = nullptr;
ATOM WindowAtom = 0;
ATOM ControlAtom = 0;
UINT RM_GetObjectInstance = 0;
TControlHooks ControlHooks;

namespace {
AnsiString g_windowAtomName;
AnsiString g_controlAtomName;
// The child without window that holds the mouse (its parent window has the capture).
TControl* g_captureControl = nullptr;
// Canvases that hold a DC of a control; let go after each message from the system.
std::vector<TControlCanvas*> g_canvasList;

void FreeDeviceContexts()
{
    while (!g_canvasList.empty())
        g_canvasList.back()->FreeHandle();
}

// Moves the DC's origin by (DX, DY) in device units.
void MoveWindowOrg(HDC DC, int DX, int DY)
{
    POINT p;
    GetWindowOrgEx(DC, &p);
    SetWindowOrgEx(DC, p.x - DX, p.y - DY, nullptr);
}

TPoint PointOfLParam(LPARAM LParam)
{
    return TPoint(static_cast<int16_t>(LOWORD(LParam)), static_cast<int16_t>(HIWORD(LParam)));
}

LPARAM LParamOfPoint(const TPoint& P)
{
    return MAKELPARAM(static_cast<uint16_t>(P.X), static_cast<uint16_t>(P.Y));
}
} // namespace

void InitControls()
{
    if (WindowAtom)
        return;
    g_windowAtomName = Format("Velkor%.8X", static_cast<unsigned>(GetCurrentProcessId()));
    g_controlAtomName = Format("ControlOfs%.8X%.8X",
                               static_cast<unsigned>(reinterpret_cast<uintptr_t>(GetModuleHandleA(nullptr))),
                               static_cast<unsigned>(GetCurrentThreadId()));
    WindowAtom = GlobalAddAtomA(g_windowAtomName.c_str());
    ControlAtom = GlobalAddAtomA(g_controlAtomName.c_str());
    RM_GetObjectInstance = RegisterWindowMessageA(g_controlAtomName.c_str());
}

void DoneControls()
{
    if (ControlAtom)
        GlobalDeleteAtom(ControlAtom);
    if (WindowAtom)
        GlobalDeleteAtom(WindowAtom);
    ControlAtom = WindowAtom = 0;
}

TShiftState KeysToShiftState(uint16_t Keys)
{
    TShiftState s = 0;
    if (Keys & MK_SHIFT)
        s |= ssShift;
    if (Keys & MK_CONTROL)
        s |= ssCtrl;
    if (Keys & MK_LBUTTON)
        s |= ssLeft;
    if (Keys & MK_RBUTTON)
        s |= ssRight;
    if (Keys & MK_MBUTTON)
        s |= ssMiddle;
    if (GetKeyState(VK_MENU) < 0)
        s |= ssAlt;
    return s;
}

TShiftState KeyDataToShiftState(int32_t KeyData)
{
    constexpr int32_t AltMask = 0x20000000;
    TShiftState s = 0;
    if (GetKeyState(VK_SHIFT) < 0)
        s |= ssShift;
    if (GetKeyState(VK_CONTROL) < 0)
        s |= ssCtrl;
    if (KeyData & AltMask)
        s |= ssAlt;
    return s;
}

void TCreateParams::SetWinClassName(const char* Name)
{
    std::strncpy(WinClassName, Name ? Name : "", sizeof(WinClassName) - 1);
    WinClassName[sizeof(WinClassName) - 1] = '\0';
}

AnsiString GetShortHint(const AnsiString& Hint)
{
    auto p = Hint.find('|');
    return p == AnsiString::npos ? Hint : Hint.substr(0, p);
}

AnsiString GetLongHint(const AnsiString& Hint)
{
    auto p = Hint.find('|');
    return p == AnsiString::npos ? Hint : Hint.substr(p + 1);
}

bool IsWindowTextMsg(UINT Msg)
{
    return Msg == WM_SETTEXT || Msg == WM_GETTEXT || Msg == WM_GETTEXTLENGTH;
}

// ---------------------------------------------------------------------------------------
// Finding controls

TWinControl* FindControl(HWND Handle)
{
    if (!Handle || !ControlAtom)
        return nullptr;
    DWORD process = 0;
    if (!GetWindowThreadProcessId(Handle, &process) || process != GetCurrentProcessId())
        return nullptr;
    return reinterpret_cast<TWinControl*>(GetPropA(Handle, MAKEINTATOM(ControlAtom)));
}

TControl* GetCaptureControl()
{
    TControl* result = FindControl(GetCapture());
    if (result && g_captureControl && g_captureControl->Parent() == result)
        result = g_captureControl;
    return result;
}

void SetCaptureControl(TControl* Control)
{
    ReleaseCapture();
    g_captureControl = nullptr;
    if (!Control)
        return;
    auto* win = dynamic_cast<TWinControl*>(Control);
    if (!win) {
        if (!Control->Parent())
            return;
        g_captureControl = Control;
        win = Control->Parent();
    }
    SetCapture(win->Handle());
}

TControl* FindDragTarget(const TPoint& Pos, bool AllowDisabled)
{
    HWND wnd = WindowFromPoint(Pos);
    if (!wnd)
        return nullptr;
    TWinControl* win = FindControl(wnd);
    // A window of a system control inside one of ours (a combo box's edit) counts as ours.
    while (!win && wnd) {
        wnd = GetParent(wnd);
        win = FindControl(wnd);
    }
    if (!win)
        return nullptr;
    TControl* child = win->ControlAtPos(win->ScreenToClient(Pos), AllowDisabled);
    return child ? child : win;
}

TCustomForm* GetParentForm(TControl* Control)
{
    if (!Control)
        return nullptr;
    while (Control->Parent())
        Control = Control->Parent();
    return dynamic_cast<TCustomForm*>(Control);
}

// ---------------------------------------------------------------------------------------
// The initial window procedure

LRESULT CALLBACK InitWndProc(HWND HWindow, UINT Message, WPARAM WParam, LPARAM LParam)
{
    TWinControl* control = CreationControl;
    if (!control)
        return DefWindowProcA(HWindow, Message, WParam, LParam);
    control->SetWindowHandle(HWindow);
    WNDPROC instance = control->ObjectInstance();
    SetWindowLongPtrA(HWindow, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(instance));
    if ((GetWindowLongA(HWindow, GWL_STYLE) & WS_CHILD) && GetWindowLongA(HWindow, GWL_ID) == 0)
        SetWindowLongPtrA(HWindow, GWLP_ID, reinterpret_cast<LONG_PTR>(HWindow));
    SetPropA(HWindow, MAKEINTATOM(ControlAtom), reinterpret_cast<HANDLE>(control));
    SetPropA(HWindow, MAKEINTATOM(WindowAtom), reinterpret_cast<HANDLE>(control));
    CreationControl = nullptr;
    return CallWindowProcA(instance, HWindow, Message, WParam, LParam);
}

// ---------------------------------------------------------------------------------------
// TControl

Z_CLASS_IMPL(TControl, TComponent,
             Z_PROP_INT(TControl, Left, 0), Z_PROP_INT(TControl, Top, 0),
             Z_PROP_INT(TControl, Width, 0), Z_PROP_INT(TControl, Height, 0),
             Z_PROP_BOOL(TControl, Visible, true), Z_PROP_BOOL(TControl, Enabled, true),
             Z_PROP_INT(TControl, Color, clWindow), Z_PROP_BOOL(TControl, ParentColor, true),
             Z_PROP_BOOL(TControl, ParentFont, true), Z_PROP_OBJ(TControl, Font),
             Z_PROP_STR(TControl, Hint), Z_PROP_BOOL(TControl, ShowHint, false),
             Z_PROP_BOOL(TControl, ParentShowHint, true))

TControl::TControl(TComponent* AOwner) : TComponent(AOwner), FFont(std::make_unique<TFont>())
{
    FWindowProc = MakeMethod<&TControl::WndProc>(this);
    FFont->OnChange = MakeMethod<&TControl::FontChanged>(this);
}

TControl::~TControl()
{
    if (Application)
        Application->ControlDestroyed(this);
    if (g_captureControl == this)
        g_captureControl = nullptr;
    if (FParent)
        FParent->Remove(this);
    FParent = nullptr;
    if (FActionLink && ControlHooks.FreeLink)
        ControlHooks.FreeLink(FActionLink);
    FActionLink = nullptr;
}

LRESULT TControl::Perform(UINT Msg, WPARAM WParam, LPARAM LParam)
{
    TMessage m{Msg, WParam, LParam, 0};
    FWindowProc(m);
    return m.Result;
}

void TControl::WndProc(TMessage& Message)
{
    if (Message.Msg >= WM_MOUSEFIRST && Message.Msg <= WM_MOUSELAST) {
        if (!(FControlStyle & csDoubleClicks)) {
            switch (Message.Msg) {
            case WM_LBUTTONDBLCLK:
            case WM_RBUTTONDBLCLK:
            case WM_MBUTTONDBLCLK:
                Message.Msg -= WM_LBUTTONDBLCLK - WM_LBUTTONDOWN;
                break;
            }
        }
        switch (Message.Msg) {
        case WM_MOUSEMOVE:
            if (Application)
                Application->HintMouseMessage(this, Message);
            break;
        case WM_LBUTTONDOWN:
        case WM_LBUTTONDBLCLK:
            FControlState |= csLButtonDown;
            break;
        case WM_LBUTTONUP:
            FControlState &= ~csLButtonDown;
            break;
        }
    }
    Dispatch(Message);
}

void TControl::Dispatch(TMessage& Message)
{
    switch (Message.Msg) {
    case WM_LBUTTONDOWN:
        WMMouseButton(Message, mbLeft, true, false);
        break;
    case WM_LBUTTONDBLCLK:
        WMMouseButton(Message, mbLeft, true, true);
        break;
    case WM_LBUTTONUP:
        WMMouseButton(Message, mbLeft, false, false);
        break;
    case WM_RBUTTONDOWN:
        WMMouseButton(Message, mbRight, true, false);
        break;
    case WM_RBUTTONDBLCLK:
        WMMouseButton(Message, mbRight, true, true);
        break;
    case WM_RBUTTONUP:
        WMMouseButton(Message, mbRight, false, false);
        break;
    case WM_MBUTTONDOWN:
        WMMouseButton(Message, mbMiddle, true, false);
        break;
    case WM_MBUTTONDBLCLK:
        WMMouseButton(Message, mbMiddle, true, true);
        break;
    case WM_MBUTTONUP:
        WMMouseButton(Message, mbMiddle, false, false);
        break;
    case WM_MOUSEMOVE:
        WMMouseMove(Message);
        break;
    case WM_CANCELMODE:
        WMCancelMode(Message);
        break;
    case WM_WINDOWPOSCHANGED:
        WMWindowPosChanged(Message);
        break;
    case WM_CONTEXTMENU: {
        if (Message.Result != 0)
            break;
        TPoint pt = PointOfLParam(Message.LParam);
        if (FPopupMenu && ControlHooks.Popup) {
            SendCancelMode(nullptr);
            if (pt.X == -1 && pt.Y == -1)
                pt = ClientToScreen(TPoint(0, 0));
            ControlHooks.Popup(FPopupMenu, pt.X, pt.Y, this);
            Message.Result = 1;
            break;
        }
        DefaultHandler(Message);
        break;
    }
    case CM_ENABLEDCHANGED:
        CMEnabledChanged(Message);
        break;
    case CM_VISIBLECHANGED:
        CMVisibleChanged(Message);
        break;
    case CM_FONTCHANGED:
        CMFontChanged(Message);
        break;
    case CM_COLORCHANGED:
        CMColorChanged(Message);
        break;
    case CM_PARENTCOLORCHANGED:
        CMParentColorChanged(Message);
        break;
    case CM_PARENTFONTCHANGED:
        CMParentFontChanged(Message);
        break;
    case CM_PARENTSHOWHINTCHANGED:
        CMParentShowHintChanged(Message);
        break;
    case CM_PARENTBIDIMODECHANGED:
        CMParentBiDiModeChanged(Message);
        break;
    case CM_HITTEST:
        CMHitTest(Message);
        break;
    case CM_MOUSEENTER:
    case CM_MOUSELEAVE:
    case CM_HINTSHOW:
    case CM_TEXTCHANGED:
        // Nothing of its own: descendants watch these.
        break;
    default:
        DefaultHandler(Message);
        break;
    }
}

void TControl::DefaultHandler(TMessage& Message)
{
    switch (Message.Msg) {
    case WM_GETTEXT: {
        if (Message.WParam == 0 || !Message.LParam) {
            Message.Result = 0;
            break;
        }
        size_t n = std::min<size_t>(FText.size(), Message.WParam - 1);
        auto* buf = reinterpret_cast<char*>(Message.LParam);
        std::memcpy(buf, FText.data(), n);
        buf[n] = '\0';
        Message.Result = static_cast<LRESULT>(n);
        break;
    }
    case WM_GETTEXTLENGTH:
        Message.Result = static_cast<LRESULT>(FText.size());
        break;
    case WM_SETTEXT:
        FText = Message.LParam ? reinterpret_cast<const char*>(Message.LParam) : "";
        Message.Result = 1;
        break;
    }
}

void TControl::SetParent(TWinControl* AParent)
{
    if (FParent == AParent)
        return;
    if (AParent == this)
        throw EInvalidOperation("A control cannot have itself as its parent");
    if (FParent)
        FParent->RemoveControl(this);
    if (AParent)
        AParent->InsertControl(this);
}

void TControl::SetBounds(int ALeft, int ATop, int AWidth, int AHeight)
{
    if (!CanResize(AWidth, AHeight))
        return;
    if (ALeft == FLeft && ATop == FTop && AWidth == FWidth && AHeight == FHeight)
        return;
    InvalidateControl(FVisible, false);
    FLeft = ALeft;
    FTop = ATop;
    FWidth = AWidth;
    FHeight = AHeight;
    Invalidate();
    Perform(WM_WINDOWPOSCHANGED, 0, 0);
    RequestAlign();
    if (!IsLoading())
        Resize();
}

bool TControl::CanResize(int& NewWidth, int& NewHeight)
{
    bool resize = true;
    if (OnCanResize)
        OnCanResize(this, NewWidth, NewHeight, resize);
    if (NewWidth < 0)
        NewWidth = 0;
    if (NewHeight < 0)
        NewHeight = 0;
    return resize;
}

void TControl::Resize()
{
    if (OnResize)
        OnResize(this);
}

void TControl::UpdateBoundsRect(const TRect& R)
{
    FLeft = R.Left;
    FTop = R.Top;
    FWidth = R.Width();
    FHeight = R.Height();
}

TRect TControl::GetClientRect()
{
    return TRect(0, 0, FWidth, FHeight);
}

void TControl::SetClientWidth(int Value)
{
    SetClientSize(Value, ClientHeight());
}

void TControl::SetClientHeight(int Value)
{
    SetClientSize(ClientWidth(), Value);
}

void TControl::SetClientSize(int AWidth, int AHeight)
{
    TRect client = GetClientRect();
    SetBounds(FLeft, FTop, FWidth - client.Right + AWidth, FHeight - client.Bottom + AHeight);
}

TPoint TControl::ClientOrigin()
{
    if (!FParent)
        return TPoint(FLeft, FTop);
    TPoint p = FParent->ClientOrigin();
    return TPoint(p.X + FLeft, p.Y + FTop);
}

TPoint TControl::ClientToScreen(const TPoint& P)
{
    TPoint o = ClientOrigin();
    return TPoint(P.X + o.X, P.Y + o.Y);
}

TPoint TControl::ScreenToClient(const TPoint& P)
{
    TPoint o = ClientOrigin();
    return TPoint(P.X - o.X, P.Y - o.Y);
}

void TControl::SetAlign(TAlign Value)
{
    if (FAlign == Value)
        return;
    TAlign old = FAlign;
    FAlign = Value;
    // A control that leaves the client alignment keeps a usable size.
    if (old == alClient && FParent) {
        if (Value == alTop || Value == alBottom)
            FHeight = std::min(FHeight, std::max(1, FParent->ClientHeight() / 4));
        else if (Value == alLeft || Value == alRight)
            FWidth = std::min(FWidth, std::max(1, FParent->ClientWidth() / 4));
    }
    RequestAlign();
}

void TControl::SetAutoSize(bool Value)
{
    if (FAutoSize != Value) {
        FAutoSize = Value;
        if (Value)
            AdjustSize();
    }
}

bool TControl::CanAutoSize(int&, int&)
{
    return true;
}

void TControl::AdjustSize()
{
    if (!FAutoSize)
        return;
    int w = FWidth, h = FHeight;
    if (CanAutoSize(w, h))
        SetBounds(FLeft, FTop, w, h);
}

void TControl::RequestAlign()
{
    if (FParent)
        FParent->AlignControl(this);
}

void TControl::SetZOrder(bool TopMost)
{
    if (auto* self = dynamic_cast<TWinControl*>(this)) {
        if (FParent) {
            auto& wins = FParent->FWinControls;
            auto it = std::find(wins.begin(), wins.end(), self);
            if (it != wins.end()) {
                wins.erase(it);
                if (TopMost)
                    wins.push_back(self);
                else
                    wins.insert(wins.begin(), self);
            }
        }
        if (self->FHandle)
            SetWindowPos(self->FHandle, TopMost ? HWND_TOP : HWND_BOTTOM, 0, 0, 0, 0,
                         SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
        return;
    }
    if (!FParent)
        return;
    auto& list = FParent->FControls;
    auto it = std::find(list.begin(), list.end(), this);
    if (it == list.end())
        return;
    list.erase(it);
    if (TopMost)
        list.push_back(this);
    else
        list.insert(list.begin(), this);
    InvalidateControl(FVisible, true);
}

void TControl::BringToFront()
{
    SetZOrder(true);
}

void TControl::SendToBack()
{
    SetZOrder(false);
}

void TControl::SetVisible(bool Value)
{
    if (FVisible == Value)
        return;
    VisibleChanging();
    FVisible = Value;
    Perform(CM_VISIBLECHANGED, Value ? 1 : 0, 0);
    RequestAlign();
}

void TControl::Show()
{
    if (FParent)
        FParent->Show();
    SetVisible(true);
}

void TControl::Hide()
{
    SetVisible(false);
}

void TControl::SetEnabled(bool Value)
{
    if (FEnabled == Value)
        return;
    FEnabled = Value;
    Perform(CM_ENABLEDCHANGED, 0, 0);
}

bool TControl::IsVisible()
{
    for (TControl* c = this; c; c = c->FParent)
        if (!c->FVisible)
            return false;
    return true;
}

// Text -----------------------------------------------------------------------------------

int TControl::GetTextLen()
{
    return static_cast<int>(Perform(WM_GETTEXTLENGTH, 0, 0));
}

int TControl::GetTextBuf(char* Buffer, int BufSize)
{
    return static_cast<int>(Perform(WM_GETTEXT, BufSize, reinterpret_cast<LPARAM>(Buffer)));
}

AnsiString TControl::GetText()
{
    int len = GetTextLen();
    if (len <= 0)
        return AnsiString();
    AnsiString s(static_cast<size_t>(len) + 1, '\0');
    int got = GetTextBuf(s.data(), len + 1);
    s.resize(static_cast<size_t>(std::clamp(got, 0, len)));
    return s;
}

void TControl::SetTextBuf(const char* Buffer)
{
    Perform(WM_SETTEXT, 0, reinterpret_cast<LPARAM>(Buffer));
    Perform(CM_TEXTCHANGED, 0, 0);
}

void TControl::SetText(const AnsiString& Value)
{
    if (GetText() != Value)
        SetTextBuf(Value.c_str());
}

void TControl::SetName(const AnsiString& NewName)
{
    AnsiString old = Name();
    bool changeText = (FControlStyle & csSetCaption) && !IsLoading() && old == GetText() &&
                      (!Owner() || !(Owner()->ComponentState() & csLoading));
    TComponent::SetName(NewName);
    if (changeText)
        SetText(NewName);
}

void TControl::Loaded()
{
    TComponent::Loaded();
    if (FParent) {
        if (FParentColor)
            Perform(CM_PARENTCOLORCHANGED, 0, 0);
        if (FParentFont)
            Perform(CM_PARENTFONTCHANGED, 0, 0);
        if (FParentShowHint)
            Perform(CM_PARENTSHOWHINTCHANGED, 0, 0);
        if (FParentBiDiMode)
            Perform(CM_PARENTBIDIMODECHANGED, 0, 0);
    }
    Perform(CM_ENABLEDCHANGED, 0, 0);
    Perform(CM_VISIBLECHANGED, FVisible ? 1 : 0, 0);
}

TComponent* TControl::GetParentComponent()
{
    return FParent;
}

void TControl::SetParentComponent(TComponent* Value)
{
    if (auto* w = dynamic_cast<TWinControl*>(Value))
        SetParent(w);
}

// Appearance ------------------------------------------------------------------------------

void TControl::SetParentFlag(bool& Field, bool Value, UINT Msg)
{
    if (Field == Value)
        return;
    Field = Value;
    // Taking the parent's value again is asked of the control itself.
    if (FParent && !IsLoading())
        Perform(Msg, 0, 0);
}

void TControl::SetColor(TColor Value)
{
    if (FColor != Value) {
        FColor = Value;
        FParentColor = false;
        Perform(CM_COLORCHANGED, 0, 0);
    }
}

void TControl::SetParentColor(bool Value)
{
    SetParentFlag(FParentColor, Value, CM_PARENTCOLORCHANGED);
}

void TControl::SetParentFont(bool Value)
{
    SetParentFlag(FParentFont, Value, CM_PARENTFONTCHANGED);
}

void TControl::FontChanged(TObject*)
{
    FParentFont = false;
    Perform(CM_FONTCHANGED, 0, 0);
}

void TControl::SetCursor(TCursor Value)
{
    if (FCursor != Value) {
        FCursor = Value;
        Perform(CM_CURSORCHANGED, 0, 0);
    }
}

void TControl::SetBiDiMode(TBiDiMode Value)
{
    if (FBiDiMode != Value) {
        FBiDiMode = Value;
        FParentBiDiMode = false;
        Perform(CM_BIDIMODECHANGED, 0, 0);
    }
}

void TControl::SetParentBiDiMode(bool Value)
{
    SetParentFlag(FParentBiDiMode, Value, CM_PARENTBIDIMODECHANGED);
}

bool TControl::IsRightToLeft() const
{
    return FBiDiMode != bdLeftToRight;
}

bool TControl::UseRightToLeftReading() const
{
    return FBiDiMode != bdLeftToRight;
}

bool TControl::UseRightToLeftAlignment() const
{
    return FBiDiMode == bdRightToLeft;
}

bool TControl::UseRightToLeftScrollBar() const
{
    return FBiDiMode == bdRightToLeft || FBiDiMode == bdRightToLeftNoAlign;
}

int TControl::DrawTextBiDiModeFlags(int Flags) const
{
    int result = Flags;
    // Left and right alignment swap for a control aligned right to left.
    if (UseRightToLeftAlignment()) {
        if ((Flags & (DT_CENTER | DT_RIGHT)) == 0)
            result |= DT_RIGHT;
        else if (Flags & DT_RIGHT)
            result &= ~DT_RIGHT;
    }
    return result | DrawTextBiDiModeFlagsReadingOnly();
}

int TControl::DrawTextBiDiModeFlagsReadingOnly() const
{
    return UseRightToLeftReading() ? DT_RTLREADING : 0;
}

void TControl::SetShowHint(bool Value)
{
    if (FShowHint != Value) {
        FShowHint = Value;
        FParentShowHint = false;
        Perform(CM_SHOWHINTCHANGED, 0, 0);
    }
}

void TControl::SetParentShowHint(bool Value)
{
    SetParentFlag(FParentShowHint, Value, CM_PARENTSHOWHINTCHANGED);
}

// Painting --------------------------------------------------------------------------------

void TControl::InvalidateControl(bool IsVisible, bool IsOpaque)
{
    if (!IsVisible || !FParent || !FParent->HandleAllocated())
        return;
    RECT r = BoundsRect();
    InvalidateRect(FParent->WindowHandle(), &r,
                   !(IsOpaque || (FParent->ControlStyle() & csOpaque)));
}

void TControl::Invalidate()
{
    InvalidateControl(FVisible, FControlStyle & csOpaque);
}

void TControl::Update()
{
    if (FParent)
        FParent->Update();
}

void TControl::Repaint()
{
    if (!FVisible || !FParent || !FParent->HandleAllocated())
        return;
    if (FControlStyle & csOpaque) {
        HWND wnd = FParent->WindowHandle();
        HDC dc = GetDC(wnd);
        IntersectClipRect(dc, FLeft, FTop, FLeft + FWidth, FTop + FHeight);
        FParent->PaintControls(dc, this);
        ReleaseDC(wnd, dc);
    } else {
        Invalidate();
        Update();
    }
}

HDC TControl::GetDeviceContext(HWND& WindowHandle)
{
    if (!FParent)
        throw EInvalidOperation(Format("Control '%s' has no parent window", Name().c_str()));
    HDC dc = FParent->GetDeviceContext(WindowHandle);
    SetViewportOrgEx(dc, FLeft, FTop, nullptr);
    IntersectClipRect(dc, 0, 0, FWidth, FHeight);
    return dc;
}

void TControl::Changed()
{
    Perform(CM_CHANGED, 0, reinterpret_cast<LPARAM>(this));
}

// Mouse -----------------------------------------------------------------------------------

bool TControl::MouseCapture()
{
    return GetCaptureControl() == this;
}

void TControl::SetMouseCapture(bool Value)
{
    if (MouseCapture() != Value)
        SetCaptureControl(Value ? this : nullptr);
}

void TControl::SendCancelMode(TControl* Sender)
{
    TControl* c = this;
    while (c) {
        if (auto* form = dynamic_cast<TCustomForm*>(c)) {
            if (TWinControl* active = form->ActiveControl())
                if (active != Sender && active->HandleAllocated())
                    active->Perform(WM_CANCELMODE, 0, 0);
            break;
        }
        c = c->FParent;
    }
}

void TControl::WMMouseButton(TMessage& Message, TMouseButton Button, bool Down, bool Double)
{
    TPoint p = PointOfLParam(Message.LParam);
    TShiftState shift = KeysToShiftState(static_cast<uint16_t>(Message.WParam));
    if (Down) {
        SendCancelMode(this);
        DefaultHandler(Message);
        if (Button == mbLeft) {
            if (FControlStyle & csCaptureMouse)
                SetMouseCapture(true);
            if (Double) {
                if (FControlStyle & csClickEvents)
                    DblClick();
            } else if (FControlStyle & csClickEvents) {
                FControlState |= csClicked;
            }
        }
        if (!(FControlStyle & csNoStdEvents))
            MouseDown(Button, shift | (Double ? ssDouble : 0), p.X, p.Y);
    } else {
        DefaultHandler(Message);
        if (Button == mbLeft) {
            if (FControlStyle & csCaptureMouse)
                SetMouseCapture(false);
            if (FControlState & csClicked) {
                FControlState &= ~csClicked;
                if (GetClientRect().Contains(p))
                    Click();
            }
        }
        if (!(FControlStyle & csNoStdEvents))
            MouseUp(Button, shift, p.X, p.Y);
    }
}

void TControl::WMLButtonDown(TMessage& Message)
{
    WMMouseButton(Message, mbLeft, true, false);
}

void TControl::WMMouseMove(TMessage& Message)
{
    DefaultHandler(Message);
    if (!(FControlStyle & csNoStdEvents)) {
        TPoint p = PointOfLParam(Message.LParam);
        MouseMove(KeysToShiftState(static_cast<uint16_t>(Message.WParam)), p.X, p.Y);
    }
}

void TControl::WMCancelMode(TMessage& Message)
{
    DefaultHandler(Message);
    if (MouseCapture()) {
        SetMouseCapture(false);
        if (FControlState & csLButtonDown)
            Perform(WM_LBUTTONUP, 0, MAKELPARAM(0xFFFF, 0xFFFF));
    }
    FControlState &= ~csLButtonDown;
}

void TControl::WMWindowPosChanged(TMessage& Message)
{
    DefaultHandler(Message);
}

void TControl::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y)
{
    if (OnMouseDown)
        OnMouseDown(this, Button, Shift, X, Y);
}

void TControl::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y)
{
    if (OnMouseUp)
        OnMouseUp(this, Button, Shift, X, Y);
}

void TControl::MouseMove(TShiftState Shift, int X, int Y)
{
    if (OnMouseMove)
        OnMouseMove(this, Shift, X, Y);
}

void TControl::Click()
{
    // The click handler of the control runs unless the action link executes the action.
    if (FActionLink && ControlHooks.ExecuteLink && ControlHooks.ExecuteLink(FActionLink, this))
        return;
    if (OnClick)
        OnClick(this);
}

void TControl::DblClick()
{
    if (OnDblClick)
        OnDblClick(this);
}

// Component messages -----------------------------------------------------------------------

void TControl::CMEnabledChanged(TMessage&)
{
    Invalidate();
}

void TControl::CMVisibleChanged(TMessage&)
{
    InvalidateControl(true, FVisible && (FControlStyle & csOpaque));
}

void TControl::CMFontChanged(TMessage&)
{
    Invalidate();
}

void TControl::CMColorChanged(TMessage&)
{
    Invalidate();
}

void TControl::CMParentColorChanged(TMessage& Message)
{
    if (!FParentColor)
        return;
    if (Message.WParam != 0)
        SetColor(static_cast<TColor>(Message.LParam));
    else if (FParent)
        SetColor(FParent->Color());
    FParentColor = true;
}

void TControl::CMParentFontChanged(TMessage& Message)
{
    if (!FParentFont)
        return;
    if (Message.WParam != 0 && Message.LParam)
        SetFont(reinterpret_cast<TFont*>(Message.LParam));
    else if (FParent)
        SetFont(FParent->Font());
    FParentFont = true;
}

void TControl::CMParentShowHintChanged(TMessage&)
{
    if (FParentShowHint && FParent) {
        SetShowHint(FParent->ShowHint());
        FParentShowHint = true;
    }
}

void TControl::CMParentBiDiModeChanged(TMessage&)
{
    if (FParentBiDiMode && FParent) {
        SetBiDiMode(FParent->BiDiMode());
        FParentBiDiMode = true;
    }
}

void TControl::CMHitTest(TMessage& Message)
{
    Message.Result = HTCLIENT;
}

// Menus and actions ----------------------------------------------------------------------

void TControl::SetPopupMenu(TPopupMenu* Value)
{
    if (FPopupMenu == Value)
        return;
    if (FPopupMenuComponent)
        FPopupMenuComponent->RemoveFreeNotification(this);
    FPopupMenu = Value;
    FPopupMenuComponent = Value && ControlHooks.PopupMenuComponent ? ControlHooks.PopupMenuComponent(Value) : nullptr;
    if (FPopupMenuComponent)
        FPopupMenuComponent->FreeNotification(this);
}

TBasicAction* TControl::Action() const
{
    return FActionLink && ControlHooks.LinkAction ? ControlHooks.LinkAction(FActionLink) : nullptr;
}

void TControl::SetAction(TBasicAction* Value)
{
    if (!Value) {
        SetActionLink(nullptr, nullptr);
        return;
    }
    if (!ControlHooks.SetAction)
        throw EInvalidOperation("Actions are not available");
    ControlHooks.SetAction(this, Value);
}

void TControl::SetActionLink(TControlActionLink* Link, TComponent* ActionComponent)
{
    if (FActionLink && FActionLink != Link && ControlHooks.FreeLink)
        ControlHooks.FreeLink(FActionLink);
    if (FActionComponent && FActionComponent != ActionComponent)
        FActionComponent->RemoveFreeNotification(this);
    FActionLink = Link;
    FActionComponent = ActionComponent;
    if (Link)
        FControlStyle |= csActionClient;
    else
        FControlStyle &= ~csActionClient;
}

void TControl::InitiateAction()
{
    if (FActionLink && ControlHooks.UpdateLink)
        ControlHooks.UpdateLink(FActionLink);
}

void TControl::ActionChange(TObject* Sender, bool CheckDefaults)
{
    if (ControlHooks.ActionChange)
        ControlHooks.ActionChange(this, Sender, CheckDefaults);
}

const TControlActionLinkClass* TControl::GetActionLinkClass()
{
    return ControlHooks.ControlLinkClass;
}

void TControl::Notification(TComponent* AComponent, TOperation Operation)
{
    TComponent::Notification(AComponent, Operation);
    if (Operation != opRemove || !AComponent)
        return;
    if (AComponent == FPopupMenuComponent) {
        FPopupMenu = nullptr;
        FPopupMenuComponent = nullptr;
    }
    if (AComponent == FActionComponent) {
        FActionComponent = nullptr;
        SetActionLink(nullptr, nullptr);
    }
}

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
    if (FHandle) {
        try {
            DestroyWindowHandle();
        } catch (...) {
            FHandle = nullptr;
        }
    }
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
    try {
        CreateWindowHandle(params);
    } catch (...) {
        CreationControl = nullptr;
        throw;
    }
    // A window that never reached InitWndProc (creation failed early) leaves the mark set.
    CreationControl = nullptr;
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
        SetWindowPos(FHandle, after, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
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
    TRect r = GetClientRect();
    try {
        AlignControls(AControl, r);
    } catch (...) {
        FControlState &= ~csAlignmentNeeded;
        --FAlignLevel;
        throw;
    }
    FControlState &= ~csAlignmentNeeded;
    --FAlignLevel;
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
        try {
            Perform(CM_SHOWINGCHANGED, 0, 0);
        } catch (...) {
            FShowing = !show;
            throw;
        }
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
    if (FHandle)
        Perform(WM_SETFONT, reinterpret_cast<WPARAM>(FFont->Handle()), 0);
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

// Focus ----------------------------------------------------------------------------------------

bool TWinControl::CanFocus()
{
    TCustomForm* form = GetParentForm(this);
    if (!form)
        return false;
    for (TWinControl* c = this; c != form; c = c->FParent)
        if (!c->FVisible || !c->FEnabled)
            return false;
    return true;
}

bool TWinControl::Focused()
{
    return FHandle && GetFocus() == FHandle;
}

void TWinControl::SetFocus()
{
    if (TCustomForm* form = GetParentForm(this))
        form->FocusControl(this);
    else if (FParentWindow)
        ::SetFocus(Handle());
    else
        throw EInvalidOperation(Format("Control '%s' has no parent window", Name().c_str()));
}

void TWinControl::SetTabStop(bool Value)
{
    if (FTabStop == Value)
        return;
    FTabStop = Value;
    if (FHandle) {
        LONG style = GetWindowLongA(FHandle, GWL_STYLE) & ~WS_TABSTOP;
        if (Value)
            style |= WS_TABSTOP;
        SetWindowLongA(FHandle, GWL_STYLE, style);
    }
    Perform(CM_TABSTOPCHANGED, 0, 0);
}

int TWinControl::TabOrder() const
{
    if (!FParent)
        return -1;
    auto& list = FParent->FTabList;
    auto it = std::find(list.begin(), list.end(), this);
    return it == list.end() ? -1 : static_cast<int>(it - list.begin());
}

void TWinControl::SetTabOrder(int Value)
{
    if (!FParent)
        return;
    auto& list = FParent->FTabList;
    auto it = std::find(list.begin(), list.end(), this);
    if (it == list.end())
        return;
    list.erase(it);
    if (Value < 0 || Value > static_cast<int>(list.size()))
        Value = static_cast<int>(list.size());
    list.insert(list.begin() + Value, this);
}

void TWinControl::GetTabOrderList(std::vector<TWinControl*>& List)
{
    for (TControl* c : FTabList) {
        auto* w = static_cast<TWinControl*>(c);
        List.push_back(w);
        w->GetTabOrderList(List);
    }
}

TWinControl* TWinControl::FindNextControl(TWinControl* CurControl, bool GoForward, bool CheckTabStop,
                                          bool CheckParent)
{
    std::vector<TWinControl*> list;
    GetTabOrderList(list);
    if (list.empty())
        return nullptr;
    int n = static_cast<int>(list.size());
    auto found = std::find(list.begin(), list.end(), CurControl);
    int start = found == list.end() ? (GoForward ? n - 1 : 0) : static_cast<int>(found - list.begin());
    int i = start;
    do {
        i = GoForward ? (i + 1) % n : (i + n - 1) % n;
        TWinControl* c = list[i];
        if (c->CanFocus() && (!CheckTabStop || c->TabStop()) && (!CheckParent || c->Parent() == this))
            return c;
    } while (i != start);
    return nullptr;
}

void TWinControl::SelectNext(TWinControl* CurControl, bool GoForward, bool CheckTabStop)
{
    if (TWinControl* c = FindNextControl(CurControl, GoForward, CheckTabStop, !CheckTabStop))
        c->SetFocus();
}

void TWinControl::DoEnter()
{
    if (OnEnter)
        OnEnter(this);
}

void TWinControl::DoExit()
{
    if (OnExit)
        OnExit(this);
}

void TWinControl::CMEnter(TMessage&)
{
    DoEnter();
}

void TWinControl::CMExit(TMessage&)
{
    DoExit();
}

void TWinControl::CMFocusChanged(TMessage& Message)
{
    Broadcast(Message);
}

void TWinControl::WMSetFocus(TMessage& Message)
{
    DefaultHandler(Message);
}

void TWinControl::WMKillFocus(TMessage& Message)
{
    DefaultHandler(Message);
}

// Keys -----------------------------------------------------------------------------------------
// The key code and the character code are the low word of WParam; the word above is left as
// it came (the Unicode layer carries a wide character there).

bool TWinControl::DoKeyMessage(TMessage& Message, bool (TWinControl::*Preview)(TMessage&),
                               void (TWinControl::*Handler)(uint16_t&, TShiftState))
{
    TCustomForm* form = GetParentForm(this);
    if (form && form != this && form->KeyPreview() && (static_cast<TWinControl*>(form)->*Preview)(Message))
        return true;
    if (!(FControlStyle & csNoStdEvents)) {
        uint16_t key = Message.WParamLo();
        (this->*Handler)(key, KeyDataToShiftState(static_cast<int32_t>(Message.LParam)));
        Message.SetWParamLo(key);
        if (key == 0)
            return true;
    }
    return false;
}

bool TWinControl::DoKeyDown(TMessage& Message)
{
    return DoKeyMessage(Message, &TWinControl::DoKeyDown, &TWinControl::KeyDown);
}

bool TWinControl::DoKeyUp(TMessage& Message)
{
    return DoKeyMessage(Message, &TWinControl::DoKeyUp, &TWinControl::KeyUp);
}

bool TWinControl::DoKeyPress(TMessage& Message)
{
    TCustomForm* form = GetParentForm(this);
    if (form && form != this && form->KeyPreview() && form->DoKeyPress(Message))
        return true;
    if (!(FControlStyle & csNoStdEvents)) {
        uint16_t code = CharCodeOf(Message);
        char c = static_cast<char>(static_cast<uint8_t>(code));
        char before = c;
        KeyPress(c);
        // Only a changed character is written back, so a code above 255 passes untouched.
        if (c != before)
            SetCharCode(Message, static_cast<uint8_t>(c));
        if (c == '\0')
            return true;
    }
    return false;
}

void TWinControl::KeyDown(uint16_t& Key, TShiftState Shift)
{
    if (OnKeyDown)
        OnKeyDown(this, Key, Shift);
}

void TWinControl::KeyUp(uint16_t& Key, TShiftState Shift)
{
    if (OnKeyUp)
        OnKeyUp(this, Key, Shift);
}

void TWinControl::KeyPress(char& Key)
{
    if (OnKeyPress)
        OnKeyPress(this, Key);
}

void TWinControl::WMKeyDown(TMessage& Message)
{
    if (!DoKeyDown(Message))
        DefaultHandler(Message);
}

void TWinControl::WMSysKeyDown(TMessage& Message)
{
    if (!DoKeyDown(Message))
        DefaultHandler(Message);
}

void TWinControl::WMKeyUp(TMessage& Message)
{
    if (!DoKeyUp(Message))
        DefaultHandler(Message);
}

void TWinControl::WMChar(TMessage& Message)
{
    if (!DoKeyPress(Message))
        DefaultHandler(Message);
}

void TWinControl::CNKeyDown(TMessage& Message)
{
    Message.Result = 1;
    if (TCustomForm* form = GetParentForm(this)) {
        if (form->IsShortCut(Message))
            return;
        if (!IsDesigning()) {
            if (Perform(CM_CHILDKEY, Message.WParamLo(), reinterpret_cast<LPARAM>(this)) != 0)
                return;
            UINT mask = 0;
            switch (Message.WParamLo()) {
            case VK_TAB: mask = DLGC_WANTTAB; break;
            case VK_LEFT:
            case VK_RIGHT:
            case VK_UP:
            case VK_DOWN: mask = DLGC_WANTARROWS; break;
            case VK_RETURN:
            case VK_EXECUTE:
            case VK_ESCAPE:
            case VK_CANCEL: mask = DLGC_WANTALLKEYS; break;
            }
            if (mask && Perform(CM_WANTSPECIALKEY, Message.WParamLo(), 0) == 0 &&
                (Perform(WM_GETDLGCODE, 0, 0) & mask) == 0 &&
                form->Perform(CM_DIALOGKEY, Message.WParamLo(), Message.LParam) != 0)
                return;
        }
    }
    Message.Result = 0;
}

void TWinControl::CNChar(TMessage& Message)
{
    Message.Result = 1;
    if (!IsDesigning()) {
        TCustomForm* form = GetParentForm(this);
        if ((Perform(WM_GETDLGCODE, 0, 0) & DLGC_WANTCHARS) == 0 && form &&
            form->Perform(CM_DIALOGCHAR, Message.WParam, Message.LParam) != 0)
            return;
    }
    Message.Result = 0;
}

void TWinControl::CMDialogChar(TMessage& Message)
{
    Broadcast(Message);
}

void TWinControl::CMDialogKey(TMessage& Message)
{
    Broadcast(Message);
}

// Reflection -----------------------------------------------------------------------------------

bool TWinControl::DoControlMsg(HWND ControlHandle, TMessage& Message)
{
    TWinControl* control = FindControl(ControlHandle);
    if (!control)
        return false;
    Message.Result = control->Perform(Message.Msg + CN_BASE, Message.WParam, Message.LParam);
    return true;
}

void TWinControl::WMCommand(TMessage& Message)
{
    if (!DoControlMsg(reinterpret_cast<HWND>(Message.LParam), Message))
        DefaultHandler(Message);
}

void TWinControl::WMNotify(TMessage& Message)
{
    auto* hdr = reinterpret_cast<NMHDR*>(Message.LParam);
    if (!hdr || !DoControlMsg(hdr->hwndFrom, Message))
        DefaultHandler(Message);
}

void TWinControl::WMDrawItem(TMessage& Message)
{
    auto* dis = reinterpret_cast<DRAWITEMSTRUCT*>(Message.LParam);
    if (!dis || dis->CtlType == ODT_MENU || !DoControlMsg(dis->hwndItem, Message))
        DefaultHandler(Message);
}

void TWinControl::WMMeasureItem(TMessage& Message)
{
    auto* mis = reinterpret_cast<MEASUREITEMSTRUCT*>(Message.LParam);
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
    auto* cis = reinterpret_cast<COMPAREITEMSTRUCT*>(Message.LParam);
    if (!cis || !DoControlMsg(cis->hwndItem, Message))
        DefaultHandler(Message);
}

void TWinControl::WMDeleteItem(TMessage& Message)
{
    auto* dis = reinterpret_cast<DELETEITEMSTRUCT*>(Message.LParam);
    if (!dis || !DoControlMsg(dis->hwndItem, Message))
        DefaultHandler(Message);
}

void TWinControl::WMScroll(TMessage& Message)
{
    if (!Message.LParam || !DoControlMsg(reinterpret_cast<HWND>(Message.LParam), Message))
        DefaultHandler(Message);
}

// Mouse ----------------------------------------------------------------------------------------

bool TWinControl::IsControlMouseMsg(TMessage& Message)
{
    TControl* control = nullptr;
    if (FHandle && GetCapture() == FHandle) {
        if (g_captureControl && g_captureControl->Parent() == this)
            control = g_captureControl;
    } else {
        control = ControlAtPos(PointOfLParam(Message.LParam), false);
    }
    if (!control)
        return false;
    TPoint p = PointOfLParam(Message.LParam);
    p.X -= control->Left();
    p.Y -= control->Top();
    Message.Result = control->Perform(Message.Msg, Message.WParam, LParamOfPoint(p));
    return true;
}

void TWinControl::WMSetCursor(TMessage& Message)
{
    if (reinterpret_cast<HWND>(Message.WParam) == FHandle && static_cast<int16_t>(Message.LParamLo()) == HTCLIENT) {
        TCursor cursor = Screen ? Screen->Cursor() : TCursor(crDefault);
        if (cursor == crDefault) {
            POINT p;
            GetCursorPos(&p);
            if (TControl* c = ControlAtPos(ScreenToClient(TPoint(p.x, p.y)), false))
                cursor = c->Cursor();
            if (cursor == crDefault)
                cursor = FCursor;
        }
        if (cursor != crDefault && Screen) {
            ::SetCursor(Screen->Cursors(cursor));
            Message.Result = 1;
            return;
        }
    }
    DefaultHandler(Message);
}

void TWinControl::WMContextMenu(TMessage& Message)
{
    if (Message.Result != 0)
        return;
    TPoint pt = PointOfLParam(Message.LParam);
    if (!(pt.X == -1 && pt.Y == -1)) {
        if (TControl* c = ControlAtPos(ScreenToClient(pt), false)) {
            Message.Result = c->Perform(WM_CONTEXTMENU, 0, Message.LParam);
            if (Message.Result != 0)
                return;
        }
    }
    // The control's own popup menu, else the system's handling (which asks the parent).
    TControl::Dispatch(Message);
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
    if (FHandle && !(FControlState & csDestroyingHandle) && Message.LParam)
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

// Painting -------------------------------------------------------------------------------------

HDC TWinControl::GetDeviceContext(HWND& WindowHandle)
{
    HDC dc = GetDC(Handle());
    if (!dc)
        throw EOutOfResources("Error creating window device context");
    WindowHandle = FHandle;
    return dc;
}

void TWinControl::PaintWindow(HDC DC)
{
    TMessage m{static_cast<UINT>((FControlState & csPaintCopy) ? WM_PRINTCLIENT : WM_PAINT),
               reinterpret_cast<WPARAM>(DC), (FControlState & csPaintCopy) ? PRF_CLIENT : 0, 0};
    // A window of our own class has nothing to draw of its own: the brush did the background.
    if (m.Msg == WM_PRINTCLIENT && FDefWndProc == &DefWindowProcA)
        return;
    DefaultHandler(m);
}

void TWinControl::PaintHandler(TMessage& Message)
{
    HDC dc = reinterpret_cast<HDC>(Message.WParam);
    PAINTSTRUCT ps{};
    bool own = dc == nullptr;
    if (own)
        dc = BeginPaint(FHandle, &ps);
    if (!FControls.empty()) {
        int saved = SaveDC(dc);
        int clip = SIMPLEREGION;
        for (TControl* c : FControls) {
            if (c->Visible() && (c->ControlStyle() & csOpaque)) {
                clip = ExcludeClipRect(dc, c->Left(), c->Top(), c->Left() + c->Width(), c->Top() + c->Height());
                if (clip == NULLREGION)
                    break;
            }
        }
        if (clip != NULLREGION)
            PaintWindow(dc);
        RestoreDC(dc, saved);
    } else {
        PaintWindow(dc);
    }
    PaintControls(dc, nullptr);
    if (own)
        EndPaint(FHandle, &ps);
}

void TWinControl::PaintControls(HDC DC, TControl* First)
{
    size_t i = 0;
    if (First) {
        auto it = std::find(FControls.begin(), FControls.end(), First);
        if (it != FControls.end())
            i = static_cast<size_t>(it - FControls.begin());
    }
    std::vector<TControl*> list = FControls;
    for (; i < list.size(); ++i) {
        TControl* c = list[i];
        if (!c->Visible())
            continue;
        RECT r{c->Left(), c->Top(), c->Left() + c->Width(), c->Top() + c->Height()};
        if (!RectVisible(DC, &r))
            continue;
        if (FControlState & csPaintCopy)
            c->FControlState |= csPaintCopy;
        int saved = SaveDC(DC);
        MoveWindowOrg(DC, c->Left(), c->Top());
        IntersectClipRect(DC, 0, 0, c->Width(), c->Height());
        c->Perform(WM_PAINT, reinterpret_cast<WPARAM>(DC), 0);
        RestoreDC(DC, saved);
        c->FControlState &= ~csPaintCopy;
    }
}

void TWinControl::WMPaintSelf(TMessage& Message)
{
    FControlState |= csCustomPaint;
    try {
        WMPaint(Message);
    } catch (...) {
        FControlState &= ~csCustomPaint;
        throw;
    }
    FControlState &= ~csCustomPaint;
}

void TWinControl::WMPaint(TMessage& Message)
{
    HDC given = reinterpret_cast<HDC>(Message.WParam);
    if (!FDoubleBuffered || given) {
        if (!(FControlState & csCustomPaint) && FControls.empty())
            DefaultHandler(Message);
        else
            PaintHandler(Message);
        return;
    }
    // Double buffered: the whole client area is composed in memory and copied once.
    PAINTSTRUCT ps{};
    HDC dc = BeginPaint(FHandle, &ps);
    TRect client = GetClientRect();
    HDC mem = CreateCompatibleDC(dc);
    HBITMAP bmp = CreateCompatibleBitmap(dc, std::max(1, client.Right), std::max(1, client.Bottom));
    HGDIOBJ old = SelectObject(mem, bmp);
    Perform(WM_ERASEBKGND, reinterpret_cast<WPARAM>(mem), reinterpret_cast<LPARAM>(mem));
    TMessage m{WM_PAINT, reinterpret_cast<WPARAM>(mem), 0, 0};
    PaintHandler(m);
    BitBlt(dc, 0, 0, client.Right, client.Bottom, mem, 0, 0, SRCCOPY);
    SelectObject(mem, old);
    DeleteObject(bmp);
    DeleteDC(mem);
    EndPaint(FHandle, &ps);
}

void TWinControl::WMEraseBkgnd(TMessage& Message)
{
    if (!FDoubleBuffered || Message.WParam == static_cast<WPARAM>(Message.LParam)) {
        RECT r = GetClientRect();
        FillRect(reinterpret_cast<HDC>(Message.WParam), &r, FBrush->Handle());
    }
    Message.Result = 1;
}

void TWinControl::PaintTo(HDC DC, int X, int Y)
{
    FControlState |= csPaintCopy;
    int saved = SaveDC(DC);
    MoveWindowOrg(DC, X, Y);
    IntersectClipRect(DC, 0, 0, FWidth, FHeight);
    HWND wnd = Handle();
    UINT edge = 0, flags = 0;
    if (GetWindowLongA(wnd, GWL_EXSTYLE) & WS_EX_CLIENTEDGE) {
        edge = EDGE_SUNKEN;
        flags = BF_RECT | BF_ADJUST;
    } else if (GetWindowLongA(wnd, GWL_STYLE) & WS_BORDER) {
        edge = BDR_OUTER;
        flags = BF_RECT | BF_ADJUST | BF_MONO;
    }
    if (flags) {
        RECT r{0, 0, FWidth, FHeight};
        DrawEdge(DC, &r, edge, flags);
        MoveWindowOrg(DC, r.left, r.top);
        IntersectClipRect(DC, 0, 0, r.right - r.left, r.bottom - r.top);
    }
    Perform(WM_ERASEBKGND, reinterpret_cast<WPARAM>(DC), 0);
    TMessage m{WM_PRINTCLIENT, reinterpret_cast<WPARAM>(DC), PRF_CLIENT, 0};
    FWindowProc(m);
    std::vector<TWinControl*> list = FWinControls;
    for (TWinControl* c : list)
        if (c->Visible())
            c->PaintTo(DC, c->Left(), c->Top());
    RestoreDC(DC, saved);
    FControlState &= ~csPaintCopy;
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
        if (FHandle && GetCapture() == FHandle && g_captureControl && g_captureControl->Parent() == this)
            g_captureControl->Perform(WM_CANCELMODE, 0, 0);
        break;
    default:
        if (Message.Msg >= WM_MOUSEFIRST && Message.Msg <= WM_MOUSELAST) {
            if (IsControlMouseMsg(Message)) {
                // The child answered; the window itself still sees the message.
                if (Message.Result == 0 && FHandle)
                    DefWindowProcA(FHandle, Message.Msg, Message.WParam, Message.LParam);
                return;
            }
        }
        break;
    }
    TControl::WndProc(Message);
}

void TWinControl::Dispatch(TMessage& Message)
{
    switch (Message.Msg) {
    case WM_PAINT:
        WMPaint(Message);
        break;
    case WM_PRINTCLIENT: {
        // One paint routine for the screen and for printing into a given DC.
        if (!Message.WParam)
            break;
        FControlState |= csPaintCopy;
        TMessage m{WM_PAINT, Message.WParam, 0, 0};
        PaintHandler(m);
        FControlState &= ~csPaintCopy;
        Message.Result = 0;
        break;
    }
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
        // A child of ours answers with its own colours.
        if (FindControl(reinterpret_cast<HWND>(Message.LParam))) {
            Message.Result = SendMessageA(reinterpret_cast<HWND>(Message.LParam), CN_BASE + Message.Msg,
                                          Message.WParam, Message.LParam);
            return;
        }
        break;
    case CN_CTLCOLORMSGBOX:
    case CN_CTLCOLOREDIT:
    case CN_CTLCOLORLISTBOX:
    case CN_CTLCOLORBTN:
    case CN_CTLCOLORDLG:
    case CN_CTLCOLORSCROLLBAR:
    case CN_CTLCOLORSTATIC:
        Message.Result = ControlColors(reinterpret_cast<HDC>(Message.WParam));
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

// ---------------------------------------------------------------------------------------
// TControlCanvas

Z_CLASS_IMPL(TControlCanvas, TCanvas)

TControlCanvas::~TControlCanvas()
{
    FreeHandle();
}

void TControlCanvas::SetControl(TControl* AControl)
{
    if (FControl != AControl) {
        FreeHandle();
        FControl = AControl;
    }
}

void TControlCanvas::CreateHandle()
{
    if (!FControl)
        return;
    if (!FDeviceContext) {
        FDeviceContext = FControl->GetDeviceContext(FWindowHandle);
        g_canvasList.push_back(this);
    }
    SetHandle(FDeviceContext);
    UpdateTextFlags();
}

void TControlCanvas::FreeHandle()
{
    if (!FDeviceContext)
        return;
    SetHandle(nullptr);
    ReleaseDC(FWindowHandle, FDeviceContext);
    FDeviceContext = nullptr;
    auto it = std::find(g_canvasList.begin(), g_canvasList.end(), this);
    if (it != g_canvasList.end())
        g_canvasList.erase(it);
}

void TControlCanvas::UpdateTextFlags()
{
    if (!FControl)
        return;
    if (FControl->UseRightToLeftReading())
        SetTextFlags(TextFlags() | ETO_RTLREADING);
    else
        SetTextFlags(TextFlags() & ~static_cast<UINT>(ETO_RTLREADING));
}

// ---------------------------------------------------------------------------------------
// TGraphicControl, TCustomControl

Z_CLASS_IMPL(TGraphicControl, TControl)

TGraphicControl::TGraphicControl(TComponent* AOwner)
    : TControl(AOwner), FCanvas(std::make_unique<TControlCanvas>())
{
    FCanvas->SetControl(this);
}

TGraphicControl::~TGraphicControl()
{
    FCanvas->FreeHandle();
}

void TGraphicControl::WMPaint(TMessage& Message)
{
    if (!Message.WParam)
        return;
    TCanvasDC scope(FCanvas.get(), reinterpret_cast<HDC>(Message.WParam));
    Paint();
}

void TGraphicControl::Dispatch(TMessage& Message)
{
    if (Message.Msg == WM_PAINT)
        WMPaint(Message);
    else
        TControl::Dispatch(Message);
}

Z_CLASS_IMPL(TCustomControl, TWinControl)

TCustomControl::TCustomControl(TComponent* AOwner)
    : TWinControl(AOwner), FCanvas(std::make_unique<TControlCanvas>())
{
    FCanvas->SetControl(this);
}

TCustomControl::~TCustomControl()
{
    FCanvas->FreeHandle();
}

void TCustomControl::PaintWindow(HDC DC)
{
    TCanvasDC scope(FCanvas.get(), DC);
    FCanvas->UpdateTextFlags();
    Paint();
}

void TCustomControl::Dispatch(TMessage& Message)
{
    if (Message.Msg == WM_PAINT)
        WMPaintSelf(Message);
    else
        TWinControl::Dispatch(Message);
}

// ---------------------------------------------------------------------------------------
// THintWindow

Z_CLASS_IMPL(THintWindow, TCustomControl)

THintWindow::THintWindow(TComponent* AOwner) : TCustomControl(AOwner)
{
    SetColor(clInfoBk);
    if (Screen)
        Canvas()->SetFont(Screen->HintFont());
    Canvas()->Brush()->SetStyle(bsClear);
}

void THintWindow::CreateParams(TCreateParams& Params)
{
    TCustomControl::CreateParams(Params);
    Params.Style = WS_POPUP | WS_BORDER;
    Params.WindowClass.style |= CS_SAVEBITS;
    Params.ExStyle = WS_EX_TOOLWINDOW;
    if (UseRightToLeftReading())
        Params.ExStyle |= WS_EX_RTLREADING;
    Params.WndParent = Application ? Application->Handle() : nullptr;
}

void THintWindow::Paint()
{
    TRect r = GetClientRect();
    r.Left += 2;
    r.Top += 2;
    if (Screen)
        Canvas()->Font()->SetColor(Screen->HintFont()->Color());
    AnsiString text = GetText();
    DrawTextA(Canvas()->Handle(), text.c_str(), -1, r.Win(),
              DT_LEFT | DT_NOPREFIX | DT_WORDBREAK | DrawTextBiDiModeFlagsReadingOnly());
}

bool THintWindow::IsHintMsg(const MSG& Msg)
{
    UINT m = Msg.message;
    return (m >= WM_KEYFIRST && m <= WM_KEYLAST) || m == CM_ACTIVATE || m == CM_DEACTIVATE ||
           m == CM_APPKEYDOWN || m == CM_APPSYSCOMMAND || m == WM_COMMAND ||
           (m > WM_MOUSEMOVE && m <= WM_MOUSELAST) || m == WM_NCMOUSEMOVE;
}

void THintWindow::ReleaseHandle()
{
    DestroyHandle();
}

void THintWindow::ActivateHint(TRect Rect, const AnsiString& AHint)
{
    FActivating = true;
    try {
        SetCaption(AHint);
        Rect.Bottom += 4;
        UpdateBoundsRect(Rect);
        int sw = GetSystemMetrics(SM_CXVIRTUALSCREEN), sh = GetSystemMetrics(SM_CYVIRTUALSCREEN);
        int sx = GetSystemMetrics(SM_XVIRTUALSCREEN), sy = GetSystemMetrics(SM_YVIRTUALSCREEN);
        if (Rect.Top + FHeight > sy + sh)
            Rect.Top = sy + sh - FHeight;
        if (Rect.Left + FWidth > sx + sw)
            Rect.Left = sx + sw - FWidth;
        if (Rect.Left < sx)
            Rect.Left = sx;
        if (Rect.Top < sy)
            Rect.Top = sy;
        SetWindowPos(Handle(), HWND_TOPMOST, Rect.Left, Rect.Top, FWidth, FHeight,
                     SWP_SHOWWINDOW | SWP_NOACTIVATE);
        Invalidate();
    } catch (...) {
        FActivating = false;
        throw;
    }
    FActivating = false;
}

void THintWindow::ActivateHintData(TRect Rect, const AnsiString& AHint, void*)
{
    ActivateHint(Rect, AHint);
}

TRect THintWindow::CalcHintRect(int MaxWidth, const AnsiString& AHint, void*)
{
    TRect r(0, 0, MaxWidth, 0);
    DrawTextA(Canvas()->Handle(), AHint.c_str(), -1, r.Win(),
              DT_CALCRECT | DT_LEFT | DT_WORDBREAK | DT_NOPREFIX | DrawTextBiDiModeFlagsReadingOnly());
    r.Right += 6;
    r.Bottom += 2;
    return r;
}

void THintWindow::Dispatch(TMessage& Message)
{
    switch (Message.Msg) {
    case WM_NCHITTEST:
        Message.Result = HTTRANSPARENT;
        break;
    case CM_TEXTCHANGED:
        // Sized to the text, except while ActivateHint places it itself.
        if (!FActivating) {
            AnsiString text = GetText();
            SetWidth(Canvas()->TextWidth(text) + 6);
            SetHeight(Canvas()->TextHeight(text) + 6);
        }
        break;
    default:
        TCustomControl::Dispatch(Message);
        break;
    }
}
