// Controls: the unit's program-wide state, finding controls, the initial window procedure and
// TControl. TWinControl is in controls_wincontrol.cpp, painting and canvases in
// controls_paint.cpp, the hint window in controls_hint.cpp.
#include "classlib/controls_shared.h"
#include "classlib/forms.h"

#include <algorithm>
#include <cstdlib>
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
} // namespace

namespace zcontrols {
TControl* g_captureControl = nullptr;

LPARAM LParamOfPoint(const TPoint& P)
{
    return MAKELPARAM(static_cast<uint16_t>(P.X), static_cast<uint16_t>(P.Y));
}
} // namespace zcontrols

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

const char* const AlignNames[7] = {"alNone", "alTop", "alBottom", "alLeft", "alRight", "alClient", "alCustom"};

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
    // Forgotten first: giving up the capture on purpose is no lost capture.
    g_captureControl = nullptr;
    ReleaseCapture();
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
    WNDPROC instance = nullptr;
    // Called by the system: nothing may leave. The control's own procedure, reached below
    // through its object instance, catches for itself.
    try {
        control->SetWindowHandle(HWindow);
        instance = control->ObjectInstance();
        SetWindowLongPtrA(HWindow, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(instance));
        if ((GetWindowLongA(HWindow, GWL_STYLE) & WS_CHILD) && GetWindowLongA(HWindow, GWL_ID) == 0)
            SetWindowLongPtrA(HWindow, GWLP_ID, reinterpret_cast<LONG_PTR>(HWindow));
        SetPropA(HWindow, MAKEINTATOM(ControlAtom), reinterpret_cast<HANDLE>(control));
        SetPropA(HWindow, MAKEINTATOM(WindowAtom), reinterpret_cast<HANDLE>(control));
    } catch (...) {
        CreationControl = nullptr;
        control->SetWindowHandle(nullptr);
        HandleCaughtException(control);
        return DefWindowProcA(HWindow, Message, WParam, LParam);
    }
    CreationControl = nullptr;
    return CallWindowProcA(instance, HWindow, Message, WParam, LParam);
}

// ---------------------------------------------------------------------------------------
// TControl

namespace {

// A colour or font that follows the parent is the parent's to store: written, it would come
// back as the control's own and cut the tie.
template <bool (TControl::*Follows)() const> TPropInfo UnlessFromParent(TPropInfo P)
{
    P.IsStored = [](const TObject* O) { return !(static_cast<const TControl*>(O)->*Follows)(); };
    return P;
}

} // namespace

// The bounds have no default: a control starts at the size its class gives it, so one moved
// to 0 or sized to nothing must say so, or it comes back at its class's size.
Z_CLASS_IMPL(TControl, TComponent,
             Z_PROP_INT_ND(TControl, Left), Z_PROP_INT_ND(TControl, Top),
             Z_PROP_INT_ND(TControl, Width), Z_PROP_INT_ND(TControl, Height),
             Z_PROP_BOOL(TControl, Visible, true), Z_PROP_BOOL(TControl, Enabled, true),
             UnlessFromParent<&TControl::ParentColor>(Z_PROP_INT(TControl, Color, clWindow)),
             Z_PROP_BOOL(TControl, ParentColor, true), Z_PROP_BOOL(TControl, ParentFont, true),
             UnlessFromParent<&TControl::ParentFont>(Z_PROP_OBJ(TControl, Font)),
             Z_PROP_STR(TControl, Hint), Z_PROP_BOOL(TControl, ShowHint, false),
             Z_PROP_BOOL(TControl, ParentShowHint, true), Z_PROP_OBJ(TControl, Constraints))

Z_CLASS_IMPL(TSizeConstraints, TPersistent, Z_PROP_INT(TSizeConstraints, MaxHeight, 0),
             Z_PROP_INT(TSizeConstraints, MaxWidth, 0), Z_PROP_INT(TSizeConstraints, MinHeight, 0),
             Z_PROP_INT(TSizeConstraints, MinWidth, 0))

void TSizeConstraints::Assign(TPersistent* Source)
{
    if (auto* s = dynamic_cast<TSizeConstraints*>(Source)) {
        FMaxHeight = s->FMaxHeight;
        FMaxWidth = s->FMaxWidth;
        FMinHeight = s->FMinHeight;
        FMinWidth = s->FMinWidth;
        Changed();
        return;
    }
    inherited::Assign(Source);
}

void TSizeConstraints::SetMaxHeight(int Value)
{
    if (!StoreChanged(FMaxHeight, std::max(0, Value)))
        return;
    if (FMaxHeight > 0 && FMaxHeight < FMinHeight)
        FMinHeight = FMaxHeight;
    Changed();
}

void TSizeConstraints::SetMaxWidth(int Value)
{
    if (!StoreChanged(FMaxWidth, std::max(0, Value)))
        return;
    if (FMaxWidth > 0 && FMaxWidth < FMinWidth)
        FMinWidth = FMaxWidth;
    Changed();
}

void TSizeConstraints::SetMinHeight(int Value)
{
    if (!StoreChanged(FMinHeight, std::max(0, Value)))
        return;
    if (FMaxHeight > 0 && FMinHeight > FMaxHeight)
        FMaxHeight = FMinHeight;
    Changed();
}

void TSizeConstraints::SetMinWidth(int Value)
{
    if (!StoreChanged(FMinWidth, std::max(0, Value)))
        return;
    if (FMaxWidth > 0 && FMinWidth > FMaxWidth)
        FMaxWidth = FMinWidth;
    Changed();
}

void TSizeConstraints::Apply(int& Width, int& Height) const
{
    if (FMaxWidth > 0 && Width > FMaxWidth)
        Width = FMaxWidth;
    if (FMinWidth > 0 && Width < FMinWidth)
        Width = FMinWidth;
    if (FMaxHeight > 0 && Height > FMaxHeight)
        Height = FMaxHeight;
    if (FMinHeight > 0 && Height < FMinHeight)
        Height = FMinHeight;
}

void TSizeConstraints::Changed()
{
    if (!FControl || FControl->IsLoading())
        return;
    int w = FControl->Width(), h = FControl->Height();
    Apply(w, h);
    if (w != FControl->Width() || h != FControl->Height())
        FControl->SetBounds(FControl->Left(), FControl->Top(), w, h);
}

TControl::TControl(TComponent* AOwner)
    : TComponent(AOwner), FFont(std::make_unique<TFont>()), FConstraints(std::make_unique<TSizeConstraints>(this))
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
    if (Message.Msg >= WM_MOUSEFIRST && Message.Msg <= WM_MOUSELAST)
        PrepareMouseMessage(Message);
    Dispatch(Message);
}

void TControl::PrepareMouseMessage(TMessage& Message)
{
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
    case WM_MOUSEWHEEL:
        WMMouseWheel(Message);
        break;
    case CM_MOUSEWHEEL:
        CMMouseWheel(Message);
        break;
    case WM_CONTEXTMENU:
        WMContextMenu(Message);
        break;
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
    case WM_GETTEXT:
        Message.Result = WMGetText(TWMGetText(Message));
        break;
    case WM_GETTEXTLENGTH:
        Message.Result = static_cast<LRESULT>(FText.size());
        break;
    case WM_SETTEXT: {
        const char* text = TWMSetText(Message).Text;
        FText = text ? text : "";
        Message.Result = 1;
        break;
    }
    }
}

LRESULT TControl::WMGetText(const TWMGetText& Get)
{
    if (Get.TextMax == 0 || !Get.Text)
        return 0;
    size_t n = std::min<size_t>(FText.size(), static_cast<size_t>(Get.TextMax) - 1);
    std::memcpy(Get.Text, FText.data(), n);
    Get.Text[n] = '\0';
    return static_cast<LRESULT>(n);
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
    FConstraints->Apply(NewWidth, NewHeight);
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
        TClientDC dc(FParent->WindowHandle());
        IntersectClipRect(dc.Handle(), FLeft, FTop, FLeft + FWidth, FTop + FHeight);
        FParent->PaintControls(dc.Handle(), this);
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
    TWMMouse mouse(Message);
    TPoint p = mouse.Pos();
    TShiftState shift = KeysToShiftState(mouse.Keys);
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
        TWMMouse mouse(Message);
        MouseMove(KeysToShiftState(mouse.Keys), mouse.XPos, mouse.YPos);
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

void TControl::WMContextMenu(TMessage& Message)
{
    if (Message.Result != 0)
        return;
    TWMContextMenu menu(Message);
    if (FPopupMenu && ControlHooks.Popup) {
        SendCancelMode(nullptr);
        TPoint pt = menu.FromKeyboard() ? ClientToScreen(TPoint(0, 0)) : menu.Pos();
        ControlHooks.Popup(FPopupMenu, pt.X, pt.Y, this);
        Message.Result = 1;
        return;
    }
    DefaultHandler(Message);
}

void TControl::WMMouseWheel(TMessage& Message)
{
    // The keys become the shift state in the low word; the delta stays in the high word.
    Message.SetWParamLo(KeysToShiftState(Message.WParamLo()));
    Message.Result = 0;
    MouseWheelHandler(Message);
    if (Message.Result == 0)
        DefaultHandler(Message);
}

void TControl::MouseWheelHandler(TMessage& Message)
{
    TCustomForm* form = GetParentForm(this);
    if (form && form != static_cast<TControl*>(this))
        form->MouseWheelHandler(Message);
    else
        Message.Result = Perform(CM_MOUSEWHEEL, Message.WParam, Message.LParam);
}

void TControl::CMMouseWheel(TMessage& Message)
{
    // The keys were made the shift state on the way in (WMMouseWheel).
    const TWMMouseWheel wheel(Message);
    Message.Result = 0;
    if (DoMouseWheel(static_cast<TShiftState>(wheel.Keys), wheel.WheelDelta, wheel.Pos()))
        Message.Result = 1;
    else if (FParent)
        Message.Result = FParent->Perform(CM_MOUSEWHEEL, Message.WParam, Message.LParam);
}

bool TControl::DoMouseWheel(TShiftState Shift, int WheelDelta, TPoint MousePos)
{
    bool handled = false;
    if (OnMouseWheel)
        OnMouseWheel(this, Shift, WheelDelta, MousePos, handled);
    if (handled)
        return true;
    FWheelAccumulator += WheelDelta;
    while (std::abs(FWheelAccumulator) >= WHEEL_DELTA) {
        const bool down = FWheelAccumulator < 0;
        FWheelAccumulator += down ? WHEEL_DELTA : -WHEEL_DELTA;
        handled = down ? DoMouseWheelDown(Shift, MousePos) : DoMouseWheelUp(Shift, MousePos);
    }
    return handled;
}

bool TControl::DoMouseWheelDown(TShiftState Shift, TPoint MousePos)
{
    bool handled = false;
    if (OnMouseWheelDown)
        OnMouseWheelDown(this, Shift, MousePos, handled);
    return handled;
}

bool TControl::DoMouseWheelUp(TShiftState Shift, TPoint MousePos)
{
    bool handled = false;
    if (OnMouseWheelUp)
        OnMouseWheelUp(this, Shift, MousePos, handled);
    return handled;
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
