#include "unicode/uccontrols.h"
#include "classlib/actnlist.h"
#include "classlib/forms.h"
#include "classlib/menus.h"
#include "unicode/ucgraphics.h"
#include "unicode/ucsysutils.h"

#include <algorithm>
#include <cstring>
#include <vector>

ATOM UcWindowAtom = 0;
ATOM UcControlAtom = 0;
WideString (*UcShortCutToWideText)(uint16_t ShortCut) = nullptr;

namespace {

TWideComponentHelperList* g_controlHelpers = nullptr;
uint32_t g_helperSerial = 0;
// Every trap alive, and those kept for reuse by their control.
std::vector<TWinControlTrap*> g_traps;
std::vector<TWinControlTrap*> g_freeTraps;
// Program end has begun: traps look only at WM_DESTROY.
bool g_ended = false;
TWinControl* g_windowBeingCreated = nullptr;
// The hint info HandleHintShowWide last pointed at itself: a hint window takes its data for
// hint info only when it is this one.
const THintInfo* g_wideHintInfo = nullptr;

void SetAnsiText(TObject* Target, const AnsiString& Value)
{
    static_cast<TControl*>(Target)->SetText(Value);
}

void SetAnsiHint(TObject* Target, const AnsiString& Value)
{
    static_cast<TControl*>(Target)->SetHint(Value);
}

WideString WindowWideText(HWND Wnd)
{
    int len = GetWindowTextLengthW(Wnd);
    if (len <= 0)
        return WideString();
    WideString s(static_cast<size_t>(len) + 1, L'\0');
    int got = GetWindowTextW(Wnd, s.data(), len + 1);
    s.resize(static_cast<size_t>(std::clamp(got, 0, len)));
    return s;
}

LPCWSTR AtomName(ATOM Atom)
{
    return reinterpret_cast<LPCWSTR>(static_cast<ULONG_PTR>(Atom));
}

AnsiString RefuseMessage(TWinControl* Control)
{
    return Format("Internal Error: Can not subclass a control while it's being destroyed: %s (%s)",
                  Control->Name().c_str(), Control->ClassName());
}

void RemoveFrom(std::vector<TWinControlTrap*>& List, TWinControlTrap* Trap)
{
    List.erase(std::remove(List.begin(), List.end(), Trap), List.end());
}

// The hint info a hint window is given as its data, when it is the one HandleHintShowWide
// made point at itself.
const THintInfo* OwnHintInfo(void* Data)
{
    auto* info = static_cast<const THintInfo*>(Data);
    if (!info || info != g_wideHintInfo || info->HintData != Data)
        return nullptr;
    return info;
}

// Marks the control whose window CreateWindowExW is making, for as long as the call lasts,
// however it ends.
class TBeingCreatedMark {
public:
    explicit TBeingCreatedMark(TWinControl* Control) : FSaved(g_windowBeingCreated)
    {
        g_windowBeingCreated = Control;
    }
    ~TBeingCreatedMark() { g_windowBeingCreated = FSaved; }
    TBeingCreatedMark(const TBeingCreatedMark&) = delete;
    TBeingCreatedMark& operator=(const TBeingCreatedMark&) = delete;

private:
    TWinControl* FSaved;
};

} // namespace

// ---------------------------------------------------------------------------------------
// Store objects of controls

Z_CLASS_IMPL(TWideControlHelper, TWideComponentHelper)

TWideControlHelper::TWideControlHelper(TWideComponentHelperList* List, TControl* AControl)
    : TWideComponentHelper(List, AControl), FControl(AControl), FSerial(++g_helperSerial)
{
}

TWideControlHelper* FindWideControlHelper(TControl* Control, bool CreateIfMissing)
{
    if (!Control)
        return nullptr;
    if (!g_controlHelpers) {
        if (CreateIfMissing)
            throw EUcInternalError("Internal Error: the Unicode controls are not started.");
        return nullptr;
    }
    auto* helper = static_cast<TWideControlHelper*>(FindWideComponentHelper(g_controlHelpers, Control));
    if (!helper && CreateIfMissing)
        helper = new TWideControlHelper(g_controlHelpers, Control);   // the list owns it
    return helper;
}

// ---------------------------------------------------------------------------------------
// Text and hint of any control

WideString GetControlWideText(TControl* Control)
{
    if (!Control)
        return WideString();
    if (!PlatformIsUnicode)
        return AnsiToWide(Control->Text());
    if (auto* win = dynamic_cast<TWinControl*>(Control); win && win->HandleAllocated()) {
        HWND wnd = win->WindowHandle();
        if (!IsWindowUnicode(wnd))
            return AnsiToWide(Control->Text());
        return WindowWideText(wnd);
    }
    if (TWideControlHelper* helper = FindWideControlHelper(Control, false))
        return WideGetCachedValue(helper->StoredWideText, Control->Text());
    return AnsiToWide(Control->Text());
}

void SetControlWideText(TControl* Control, const WideString& Text)
{
    if (!Control)
        return;
    if (!PlatformIsUnicode) {
        Control->SetText(WideToAnsi(Text));
        return;
    }
    auto* win = dynamic_cast<TWinControl*>(Control);
    if (!win) {
        TWideControlHelper* helper = FindWideControlHelper(Control, true);
        WideSetCachedValue(Text, helper->StoredWideText, Control->Text(), &SetAnsiText, Control);
        return;
    }
    if (!win->HandleAllocated()) {
        StoreControlWideText(Control, Text);
        return;
    }
    HWND wnd = win->WindowHandle();
    if (!IsWindowUnicode(wnd)) {
        Control->SetText(WideToAnsi(Text));
        return;
    }
    if (GetControlWideText(Control) != Text) {
        SetWindowTextWide(wnd, Text.c_str());
        Control->Perform(CM_TEXTCHANGED, 0, 0);
    }
}

void StoreControlWideText(TControl* Control, const WideString& Text)
{
    if (!Control)
        return;
    FindWideControlHelper(Control, true)->StoredWideText = Text;
    Control->SetText(WideToAnsi(Text));
}

WideString GetControlWideHint(TControl* Control)
{
    if (!Control)
        return WideString();
    if (PlatformIsUnicode)
        if (TWideControlHelper* helper = FindWideControlHelper(Control, false))
            return WideGetCachedValue(helper->StoredWideHint, Control->Hint());
    return AnsiToWide(Control->Hint());
}

void SetControlWideHint(TControl* Control, const WideString& Text)
{
    if (!Control)
        return;
    if (!PlatformIsUnicode) {
        Control->SetHint(WideToAnsi(Text));
        return;
    }
    TWideControlHelper* helper = FindWideControlHelper(Control, true);
    // A copy: the setter changes the hint the reference would point at.
    const AnsiString ansiHint = Control->Hint();
    WideSetCachedValue(Text, helper->StoredWideHint, ansiHint, &SetAnsiHint, Control);
}

bool IsWideCaptionStored(TControl* Control)
{
    return !Control || !Control->ActionLink() || !Control->ActionLink()->IsCaptionLinked();
}

bool IsWideHintStored(TControl* Control)
{
    return !Control || !Control->ActionLink() || !Control->ActionLink()->IsHintLinked();
}

WideString WideShortHintPart(const WideString& Hint)
{
    auto p = Hint.find(L'|');
    return p == WideString::npos ? Hint : Hint.substr(0, p);
}

WideString WideLongHintPart(const WideString& Hint)
{
    auto p = Hint.find(L'|');
    return p == WideString::npos ? Hint : Hint.substr(p + 1);
}

WideString GetWideHintOfChain(TControl* Control)
{
    for (TControl* c = Control; c; c = c->Parent()) {
        WideString hint = GetControlWideHint(c);
        if (!hint.empty())
            return hint;
    }
    return WideString();
}

// ---------------------------------------------------------------------------------------
// The trap

// The unit's routines that find, start and end traps, and the depth of calls into a trap:
// a trap that is to be freed goes only when the last call into it has returned.
struct TWinControlTrapAccess {
    class TDepthScope {
    public:
        explicit TDepthScope(TWinControlTrap* Trap) : FTrap(Trap) { ++FTrap->FDepth; }
        ~TDepthScope()
        {
            if (--FTrap->FDepth == 0 && FTrap->FFreeWhenDone)
                delete FTrap;
        }
        TDepthScope(const TDepthScope&) = delete;
        TDepthScope& operator=(const TDepthScope&) = delete;

    private:
        TWinControlTrap* FTrap;
    };

    // The trap whose control entry serves the window of Control that is being made.
    static TWinControlTrap* Pending(TWinControl* Control, HWND Wnd)
    {
        for (TWinControlTrap* t : g_traps)
            if (t->FPending && t->FControl == Control && t->FHandle == Wnd)
                return t;
        return nullptr;
    }

    // A trap kept for Control: the same control object, known by its store object's serial
    // number, never merely one at the same address.
    static TWinControlTrap* TakeFree(TWinControl* Control)
    {
        TWideControlHelper* helper = FindWideControlHelper(Control, false);
        if (!helper)
            return nullptr;
        for (auto it = g_freeTraps.begin(); it != g_freeTraps.end(); ++it) {
            TWinControlTrap* t = *it;
            if (t->FControl == Control && t->FSerial == helper->Serial()) {
                g_freeTraps.erase(it);
                t->FSerial = 0;
                return t;
            }
        }
        return nullptr;
    }

    static TWinControlTrap* Acquire(TWinControl* Control)
    {
        if (TWinControlTrap* t = TakeFree(Control))
            return t;
        return new TWinControlTrap(Control);   // listed in g_traps; frees itself
    }

    static WNDPROC StartWindow(TWinControl* Control, HWND Wnd)
    {
        TWinControlTrap* trap = Pending(Control, Wnd);
        if (!trap)
            trap = Acquire(Control);
        trap->FHandle = Wnd;
        trap->FPending = true;
        return trap->FControlEntry;
    }

    // A window that was never finished gives up the trap made for it.
    static void DropPending(TWinControl* Control)
    {
        std::vector<TWinControlTrap*> list = g_traps;
        for (TWinControlTrap* t : list)
            if (t->FPending && t->FControl == Control) {
                t->FPending = false;
                t->FHandle = nullptr;
                t->Release();
            }
    }

    static void Subclass(TWinControl* Control, const AnsiString& Caption)
    {
        TWinControlTrap* trap = Pending(Control, Control->WindowHandle());
        if (!trap)
            trap = Acquire(Control);
        trap->Subclass(Caption);
    }

    static void End()
    {
        std::vector<TWinControlTrap*> list = g_freeTraps;
        g_freeTraps.clear();
        for (TWinControlTrap* t : list)
            // One still called by a WindowProc of its living control goes with the control.
            if (!t->FMethodHooked || !t->FControl)
                t->FreeWhenDone();
    }
};

Z_CLASS_IMPL(TWinControlTrap, TComponent)

TWinControlTrap::TWinControlTrap(TWinControl* AControl) : TComponent(nullptr), FControl(AControl)
{
    if (!AControl)
        throw EUcInternalError("Internal Error: a trap needs its control.");
    if (AControl->IsDestroying())
        throw EUcInternalError(RefuseMessage(AControl));
    try {
        FControlEntry = MakeObjectInstance(MakeMethod<&TWinControlTrap::ControlMessage>(this));
        FWindowProcEntry = MakeObjectInstance(MakeMethod<&TWinControlTrap::WindowProcedure>(this));
        FDefProcEntry = MakeObjectInstance(MakeMethod<&TWinControlTrap::DefaultProcedure>(this));
    } catch (...) {
        FreeObjectInstance(FControlEntry);
        FreeObjectInstance(FWindowProcEntry);
        throw;
    }
    AControl->FreeNotification(this);
    g_traps.push_back(this);
}

TWinControlTrap::~TWinControlTrap()
{
    RemoveFrom(g_traps, this);
    RemoveFrom(g_freeTraps, this);
    FreeObjectInstance(FControlEntry);
    FreeObjectInstance(FWindowProcEntry);
    FreeObjectInstance(FDefProcEntry);
}

void TWinControlTrap::Notification(TComponent* AComponent, TOperation Operation)
{
    TComponent::Notification(AComponent, Operation);
    if (Operation != opRemove || !FControl || AComponent != FControl)
        return;
    FControl = nullptr;
    FMethodHooked = false;
    FSubclassed = false;
    FPending = false;
    RemoveFrom(g_freeTraps, this);
    if (!FWindowHooked)
        FreeWhenDone();
}

void TWinControlTrap::FreeWhenDone()
{
    RemoveFrom(g_freeTraps, this);
    if (FDepth > 0)
        FFreeWhenDone = true;
    else
        delete this;
}

void TWinControlTrap::Release()
{
    // The window still calls the trap's window procedure: it goes after WM_NCDESTROY.
    if (FWindowHooked)
        return;
    // A WindowProc put over the trap's keeps calling it: the trap stays for its control,
    // to be taken again when the control gets a new window, and goes with the control.
    if (FMethodHooked && FControl) {
        if (!FControl->IsDestroying() && !g_ended) {
            TWideControlHelper* helper = nullptr;
            try {
                helper = FindWideControlHelper(FControl, true);
            } catch (...) {
            }
            FSerial = helper ? helper->Serial() : 0;
            if (FSerial && std::find(g_freeTraps.begin(), g_freeTraps.end(), this) == g_freeTraps.end())
                g_freeTraps.push_back(this);
        }
        return;
    }
    FreeWhenDone();
}

bool TWinControlTrap::InWindowProcChain()
{
    if (FControl->WindowProc() == WindowProcMethod())
        return true;
    // Another WindowProc lies over the trap's: a message sent down the chain in test mode
    // tells whether it still reaches the trap.
    FTestAnswer = false;
    {
        TFlagScope testing(FTestMode);
        FControl->Perform(WM_NULL, 0, 0);
    }
    return FTestAnswer;
}

void TWinControlTrap::Subclass(const AnsiString& Caption)
{
    FPending = false;
    FHandle = FControl->WindowHandle();
    auto current = reinterpret_cast<WNDPROC>(GetWindowLongPtrW(FHandle, GWLP_WNDPROC));
    if (current != FWindowProcEntry) {
        FPrevWindowProc = current;
        SetWindowLongPtrW(FHandle, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(FWindowProcEntry));
    }
    FWindowHooked = true;
    if (FControl->DefWndProc() != FDefProcEntry) {
        FPrevDefWndProc = FControl->DefWndProc();
        FControl->SetDefWndProc(FDefProcEntry);
    }
    // Installing the trap's WindowProc a second time would make it call itself round the
    // chain.
    if (!(FMethodHooked && InWindowProcChain())) {
        FPrevWindowProcMethod = FControl->WindowProc();
        FControl->SetWindowProc(WindowProcMethod());
    }
    FMethodHooked = true;
    FSubclassed = true;
    FFreeWhenDone = false;
    FSerial = 0;

    WideString text;
    if (TWideControlHelper* helper = FindWideControlHelper(FControl, false))
        text = WideGetCachedValue(helper->StoredWideText, Caption);
    else
        text = AnsiToWide(Caption);
    SetControlWideText(FControl, text);
}

void TWinControlTrap::TakeOff(bool KeepText)
{
    if (FControl) {
        // A window made again for the control gets this text back. The trap still stands
        // meanwhile: the library's own text requests go to the window as ANSI.
        if (KeepText && !FControl->IsDestroying() && !g_ended) {
            try {
                StoreControlWideText(FControl, GetControlWideText(FControl));
            } catch (...) {
                HandleCaughtException(FControl);
            }
        }
    }
    FSubclassed = false;
    if (FControl) {
        if (FMethodHooked && FControl->WindowProc() == WindowProcMethod()) {
            FControl->SetWindowProc(FPrevWindowProcMethod);
            FMethodHooked = false;
        }
        if (FControl->DefWndProc() == FDefProcEntry)
            FControl->SetDefWndProc(FPrevDefWndProc);
    }
    if (FWindowHooked && FHandle &&
        reinterpret_cast<WNDPROC>(GetWindowLongPtrW(FHandle, GWLP_WNDPROC)) == FWindowProcEntry) {
        // The trap's own control entry goes with the trap; the control's own entry does the
        // same and lives as long as the control.
        WNDPROC back = FPrevWindowProc;
        if (back == FControlEntry || !back)
            back = FControl ? FControl->ObjectInstance() : nullptr;
        if (!back)
            back = FPrevDefWndProc ? FPrevDefWndProc : &DefWindowProcW;
        SetWindowLongPtrW(FHandle, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(back));
        FWindowHooked = false;
    }
    Release();
}

LRESULT TWinControlTrap::PassOn(const TMessage& Message) const
{
    return CallWindowProcW(FPrevDefWndProc ? FPrevDefWndProc : &DefWindowProcW, FHandle, Message.Msg,
                           Message.WParam, Message.LParam);
}

void TWinControlTrap::ControlMessage(TMessage& Message)
{
    TWinControlTrapAccess::TDepthScope scope(this);
    if (FControl)
        FControl->MainWndProc(Message);
    else
        Message.Result = PassOn(Message);
}

void TWinControlTrap::WindowProcedure(TMessage& Message)
{
    TWinControlTrapAccess::TDepthScope scope(this);
    if (g_ended) {
        // The library's objects are going: the window is left to its default procedure,
        // and its control only forgets it.
        if (Message.Msg == WM_DESTROY && FControl && FControl->WindowHandle() == FHandle)
            FControl->SetWindowHandle(nullptr);
        if (Message.Msg == WM_NCDESTROY && FSubclassed)
            TakeOff(false);
        Message.Result = PassOn(Message);
        if (Message.Msg == WM_NCDESTROY) {
            FWindowHooked = false;
            Release();
        }
        return;
    }
    // A control that did not pass WM_DESTROY on is taken off now.
    if (Message.Msg == WM_NCDESTROY && FSubclassed)
        TakeOff(true);
    if (FControl && FPrevWindowProc) {
        FCurrentMessage = Message.Msg;
        Message.Result = CallWindowProcW(FPrevWindowProc, FHandle, Message.Msg, Message.WParam, Message.LParam);
        FCurrentMessage = 0;
    } else {
        Message.Result = PassOn(Message);
    }
    if (Message.Msg == WM_NCDESTROY) {
        FWindowHooked = false;
        Release();
    }
}

void TWinControlTrap::WindowProc(TMessage& Message)
{
    TWinControlTrapAccess::TDepthScope scope(this);
    if (FTestMode) {
        FTestAnswer = true;
        return;
    }
    bool hasWindow = FSubclassed && FControl && FHandle && FControl->WindowHandle() == FHandle;
    if (hasWindow) {
        bool fromWindow = FCurrentMessage != 0 && FCurrentMessage == Message.Msg;
        FCurrentMessage = 0;
        if (Message.Msg == CM_HINTSHOW)
            HandleHintShowWide(Message);
        if (IsWindowTextMessage(Message.Msg) && !fromWindow) {
            // The system converts between the library's ANSI text and the Unicode window.
            Message.Result = SendMessageA(FHandle, Message.Msg, Message.WParam, Message.LParam);
            return;
        }
        if (Message.Msg == WM_CHAR)
            PackWideCharMessage(Message);
    }
    if (FPrevWindowProcMethod)
        FPrevWindowProcMethod(Message);
}

void TWinControlTrap::DefaultProcedure(TMessage& Message)
{
    TWinControlTrapAccess::TDepthScope scope(this);
    switch (Message.Msg) {
    case WM_NOTIFYFORMAT:
        if (!PlatformIsUnicode) {
            Message.Result = NFR_ANSI;
            return;
        }
        // A child asks which notifications its parent wants (a requery is passed on).
        if (Message.LParam == NF_QUERY) {
            auto asking = reinterpret_cast<HWND>(Message.WParam);
            bool unicode = asking && (IsWindowUnicode(asking) ||
                                      (g_windowBeingCreated && g_windowBeingCreated->WindowHandle() == asking));
            Message.Result = unicode ? NFR_UNICODE : NFR_ANSI;
            return;
        }
        break;
    case WM_CHAR:
        UnpackWideCharMessage(Message);
        break;
    case WM_IME_CHAR:
        if (!PlatformIsXPOrLater) {
            Message.Result = SendMessageW(FHandle, WM_CHAR, Message.WParam, Message.LParam);
            return;
        }
        break;
    case WM_DESTROY:
        if (FSubclassed)
            TakeOff(true);
        break;
    }
    Message.Result = PassOn(Message);
}

TWinControlTrap* FindWinControlTrap(TWinControl* Control)
{
    for (TWinControlTrap* t : g_traps)
        if (t->Control() == Control && Control && t->Handle() && t->Handle() == Control->WindowHandle() &&
            Control->DefWndProc() == t->DefWindowProcEntry())
            return t;
    return nullptr;
}

int WinControlTrapCount()
{
    return static_cast<int>(g_traps.size());
}

int FreeWinControlTrapCount()
{
    return static_cast<int>(g_freeTraps.size());
}

// ---------------------------------------------------------------------------------------
// Unicode windows

TWinControl* WindowBeingCreated()
{
    return g_windowBeingCreated;
}

LRESULT CALLBACK UnicodeInitialWindowProc(HWND Wnd, UINT Msg, WPARAM WParam, LPARAM LParam)
{
    TWinControl* control = CreationControl;
    if (!control)
        return DefWindowProcW(Wnd, Msg, WParam, LParam);
    WNDPROC entry = nullptr;
    // Called by the system: nothing may leave. The trap's procedure, reached below through
    // its entry, catches for itself.
    try {
        control->SetWindowHandle(Wnd);
        entry = TWinControlTrapAccess::StartWindow(control, Wnd);
        SetWindowLongPtrW(Wnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(entry));
        if ((GetWindowLongW(Wnd, GWL_STYLE) & WS_CHILD) && GetWindowLongW(Wnd, GWL_ID) == 0)
            SetWindowLongPtrW(Wnd, GWLP_ID, reinterpret_cast<LONG_PTR>(Wnd));
        ATOM controlAtom = UcControlAtom ? UcControlAtom : ControlAtom;
        ATOM windowAtom = UcWindowAtom ? UcWindowAtom : WindowAtom;
        if (controlAtom)
            SetPropW(Wnd, AtomName(controlAtom), reinterpret_cast<HANDLE>(control));
        if (windowAtom)
            SetPropW(Wnd, AtomName(windowAtom), reinterpret_cast<HANDLE>(control));
    } catch (...) {
        // The window stays without its control; CreateUnicodeWindowHandle sees that.
        CreationControl = nullptr;
        control->SetWindowHandle(nullptr);
        HandleCaughtException(control);
        return DefWindowProcW(Wnd, Msg, WParam, LParam);
    }
    CreationControl = nullptr;
    return CallWindowProcW(entry, Wnd, Msg, WParam, LParam);
}

void RegisterUnicodeWindowClass(const TCreateParams& Params, WideString& ClassName, bool UseSystemProc)
{
    WNDPROC proc = UseSystemProc ? &InitWndProc : &UnicodeInitialWindowProc;
    size_t nameLen = strnlen(Params.WinClassName, sizeof(Params.WinClassName) - 1);
    ClassName = AnsiToWide(AnsiString(Params.WinClassName, nameLen)) + L".UnicodeClass";
    HINSTANCE instance = GetModuleHandleW(nullptr);
    WNDCLASSW found{};
    if (GetClassInfoW(instance, ClassName.c_str(), &found)) {
        if (found.lpfnWndProc == proc)
            return;
        if (!UnregisterClassW(ClassName.c_str(), instance))
            RaiseLastOSError();
    }
    const WNDCLASSA& from = Params.WindowClass;
    WNDCLASSW cls{};
    cls.style = from.style;
    cls.lpfnWndProc = proc;
    cls.cbClsExtra = from.cbClsExtra;
    cls.cbWndExtra = from.cbWndExtra;
    cls.hInstance = instance;
    cls.hIcon = from.hIcon;
    cls.hCursor = from.hCursor;
    cls.hbrBackground = from.hbrBackground;
    WideString menuName;
    if (from.lpszMenuName) {
        if (IS_INTRESOURCE(from.lpszMenuName)) {
            cls.lpszMenuName = reinterpret_cast<LPCWSTR>(from.lpszMenuName);
        } else {
            menuName = AnsiToWide(from.lpszMenuName);
            cls.lpszMenuName = menuName.c_str();
        }
    }
    cls.lpszClassName = ClassName.c_str();
    if (!RegisterClassW(&cls))
        RaiseLastOSError();
}

void CreateUnicodeWindowHandle(TWinControl* Control, const TCreateParams& Params, const WideString& SubClass,
                               bool UseSystemProc)
{
    if (!Control)
        throw EUcInternalError("Internal Error: CreateUnicodeWindowHandle needs a control.");
    if (Control->IsDestroying())
        throw EUcInternalError(RefuseMessage(Control));
    if (!PlatformIsUnicode) {
        Control->SetWindowHandle(CreateWindowExA(Params.ExStyle, Params.WinClassName, Params.Caption.c_str(),
                                                 Params.Style, Params.X, Params.Y, Params.Width, Params.Height,
                                                 Params.WndParent, nullptr, Params.WindowClass.hInstance,
                                                 Params.Param));
        return;
    }
    WNDPROC defProc = &DefWindowProcW;
    if (!SubClass.empty()) {
        WNDCLASSW system{};
        if (GetClassInfoW(Params.WindowClass.hInstance, SubClass.c_str(), &system) && system.lpfnWndProc)
            defProc = system.lpfnWndProc;
    }
    Control->SetDefWndProc(defProc);
    WideString className;
    RegisterUnicodeWindowClass(Params, className, UseSystemProc);
    {
        TBeingCreatedMark mark(Control);
        HWND wnd = CreateWindowExW(Params.ExStyle, className.c_str(), nullptr, Params.Style, Params.X, Params.Y,
                                   Params.Width, Params.Height, Params.WndParent, nullptr,
                                   GetModuleHandleW(nullptr), Params.Param);
        if (!wnd) {
            DWORD error = GetLastError();
            Control->SetWindowHandle(nullptr);
            TWinControlTrapAccess::DropPending(Control);
            RaiseLastOSError(error);
        }
        // A window whose first message never reached its control (an exception in the
        // initial procedure, reported there) is of no use.
        bool reached = UseSystemProc
                           ? Control->WindowHandle() == wnd
                           : TWinControlTrapAccess::Pending(Control, wnd) != nullptr;
        if (!reached) {
            DestroyWindow(wnd);
            Control->SetWindowHandle(nullptr);
            TWinControlTrapAccess::DropPending(Control);
            throw EUcInternalError("Internal Error: the Unicode window did not reach its control.");
        }
        Control->SetWindowHandle(wnd);
        // The library's procedure was installed as ANSI: it becomes the Unicode form of
        // itself.
        if (UseSystemProc)
            SetWindowLongPtrW(wnd, GWLP_WNDPROC, GetWindowLongPtrA(wnd, GWLP_WNDPROC));
    }
    SubClassUnicodeControl(Control, Params.Caption, UseSystemProc);
}

void SubClassUnicodeControl(TWinControl* Control, const AnsiString& Caption, bool UseSystemProc)
{
    // The library's own procedure (UseSystemProc) and the trap's control entry both lead to
    // the control; the trap restores whichever it found.
    (void)UseSystemProc;
    if (!Control || !Control->WindowHandle() || !IsWindowUnicode(Control->WindowHandle()))
        throw EUcInternalError("Internal Error: SubClassUnicodeControl.Control is not Unicode.");
    if (Control->IsDestroying())
        throw EUcInternalError(RefuseMessage(Control));
    TWinControlTrapAccess::Subclass(Control, Caption);
}

// ---------------------------------------------------------------------------------------
// Hints

void HandleHintShowWide(TMessage& Message)
{
    if (!PlatformIsUnicode)
        return;
    auto* info = reinterpret_cast<THintInfo*>(Message.LParam);
    if (!info)
        return;
    if (info->HintWindowClass == &THintWindow::StaticClassInfo())
        info->HintWindowClass = &TUcCustomHintWindow::StaticClassInfo();
    if (info->HintWindowClass && info->HintWindowClass->InheritsFrom(TUcCustomHintWindow::StaticClassInfo())) {
        info->HintData = info;
        g_wideHintInfo = info;
        info->HintStr = WideToAnsi(WideShortHintPart(GetWideHintOfChain(info->HintControl)));
    }
}

WideString WideHintTextOfHintInfo(const THintInfo& HintInfo)
{
    WideString result = AnsiToWide(HintInfo.HintStr);
    if (!HintInfo.HintControl)
        return result;
    WideString hint = WideShortHintPart(GetWideHintOfChain(HintInfo.HintControl));
    if (WideToAnsi(hint) == HintInfo.HintStr)
        return hint;
    // The action link adds the shortcut's ANSI text to the hint string.
    if (!Application || !Application->HintShortCuts())
        return result;
    auto* action = dynamic_cast<TCustomAction*>(HintInfo.HintControl->Action());
    if (!action || action->ShortCut() == scNone)
        return result;
    AnsiString ansiShortCut = ShortCutToText(action->ShortCut());
    if (HintInfo.HintStr == Format("%s (%s)", WideToAnsi(hint).c_str(), ansiShortCut.c_str())) {
        WideString wideShortCut =
            UcShortCutToWideText ? UcShortCutToWideText(action->ShortCut()) : AnsiToWide(ansiShortCut);
        result = WideFormat(L"%ls (%ls)", hint.c_str(), wideShortCut.c_str());
    }
    return result;
}

Z_CLASS_IMPL(TUcCustomHintWindow, THintWindow)

void TUcCustomHintWindow::CreateWindowHandle(const TCreateParams& Params)
{
    CreateUnicodeWindowHandle(this, Params, WideString(), false);
}

void TUcCustomHintWindow::Paint()
{
    if (!PlatformIsUnicode || FPaintInherited) {
        THintWindow::Paint();
        return;
    }
    TRect r = GetClientRect();
    r.Left += 2;
    r.Top += 2;
    if (Screen)
        Canvas()->Font()->SetColor(Screen->HintFont()->Color());
    WideString text = GetControlWideText(this);
    DrawTextWide(Canvas()->Handle(), text.c_str(), -1, r.Win(),
                 DT_LEFT | DT_NOPREFIX | DT_WORDBREAK | DrawTextBiDiModeFlagsReadingOnly());
}

void TUcCustomHintWindow::ActivateHint(TRect Rect, const AnsiString& AHint)
{
    TFlagScope activating(FHintActivating);
    THintWindow::ActivateHint(Rect, AHint);
}

void TUcCustomHintWindow::ActivateHintData(TRect Rect, const AnsiString& AHint, void* AData)
{
    const THintInfo* info = PlatformIsUnicode ? OwnHintInfo(AData) : nullptr;
    if (!info) {
        THintWindow::ActivateHintData(Rect, AHint, AData);
        return;
    }
    {
        TFlagScope activating(FHintActivating);
        TFlagScope paintInherited(FPaintInherited);
        SetControlWideText(this, WideHintTextOfHintInfo(*info));
        THintWindow::ActivateHintData(Rect, AHint, AData);
    }
    Repaint();
}

TRect TUcCustomHintWindow::CalcHintRect(int MaxWidth, const AnsiString& AHint, void* AData)
{
    const THintInfo* info = PlatformIsUnicode ? OwnHintInfo(AData) : nullptr;
    if (!info)
        return THintWindow::CalcHintRect(MaxWidth, AHint, AData);
    WideString text = WideHintTextOfHintInfo(*info);
    TRect r(0, 0, MaxWidth, 0);
    DrawTextWide(Canvas()->Handle(), text.c_str(), -1, r.Win(),
                 DT_CALCRECT | DT_LEFT | DT_WORDBREAK | DT_NOPREFIX | DrawTextBiDiModeFlagsReadingOnly());
    r.Right += 6;
    r.Bottom += 2;
    return r;
}

void TUcCustomHintWindow::Dispatch(TMessage& Message)
{
    if (Message.Msg == CM_TEXTCHANGED) {
        // Sized to the wide text, except while an activation places the window itself.
        if (!FHintActivating) {
            TSize size = CanvasTextExtentWide(Canvas(), GetControlWideText(this));
            SetWidth(size.cx + 6);
            SetHeight(size.cy + 6);
        }
        return;
    }
    THintWindow::Dispatch(Message);
}

// ---------------------------------------------------------------------------------------
// WM_CHAR packing

void PackWideCharMessage(TMessage& Message)
{
    if (Message.Msg != WM_CHAR)
        return;
    uint16_t code = Message.WParamLo();
    uint16_t unused = Message.WParamHi();
    if (unused != 0) {
        if (code == 255)
            return;   // packed already
        Message.SetWParamHi(0);
    }
    if (code > 255) {
        Message.SetWParamHi(code);
        Message.SetWParamLo(255);
    }
}

void UnpackWideCharMessage(TMessage& Message)
{
    if (Message.Msg != WM_CHAR)
        return;
    if (Message.WParamHi() != 0 && Message.WParamLo() == 255)
        Message.SetWParamLo(Message.WParamHi());
    Message.SetWParamHi(0);
}

WideChar WideCharOfCharMessage(const TMessage& Message)
{
    if (Message.WParamLo() == 255 && Message.WParamHi() != 0)
        return static_cast<WideChar>(Message.WParamHi());
    return static_cast<WideChar>(Message.WParamLo());
}

void SetWideCharOfCharMessage(TMessage& Message, WideChar Ch)
{
    Message.SetWParamLo(static_cast<uint16_t>(Ch));
    Message.SetWParamHi(0);
    PackWideCharMessage(Message);
}

bool IsWindowTextMessage(UINT Msg)
{
    return IsWindowTextMsg(Msg);
}

// ---------------------------------------------------------------------------------------
// Start-up and program end

void InitUcControls()
{
    g_ended = false;
    if (!UcWindowAtom) {
        AnsiString windowName = Format("Velkor%.8X", static_cast<unsigned>(GetCurrentProcessId()));
        AnsiString controlName = Format(
            "ControlOfs%.8X%.8X", static_cast<unsigned>(reinterpret_cast<uintptr_t>(GetModuleHandleA(nullptr))),
            static_cast<unsigned>(GetCurrentThreadId()));
        UcWindowAtom = GlobalAddAtomA(windowName.c_str());
        UcControlAtom = GlobalAddAtomA(controlName.c_str());
    }
    if (!g_controlHelpers)
        g_controlHelpers = new TWideComponentHelperList();
}

void DoneUcControls()
{
    g_ended = true;
    TWinControlTrapAccess::End();
    delete g_controlHelpers;
    g_controlHelpers = nullptr;
    if (UcControlAtom)
        GlobalDeleteAtom(UcControlAtom);
    if (UcWindowAtom)
        GlobalDeleteAtom(UcWindowAtom);
    UcControlAtom = UcWindowAtom = 0;
}
