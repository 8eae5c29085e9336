#include "unicode/ucforms.h"
#include "unicode/uccomctrls.h"
#include "classlib/menus.h"
#include "unicode/ucactnlist.h"
#include "unicode/ucbuttons.h"
#include "unicode/uccontrols.h"
#include "unicode/ucextctrls.h"
#include "unicode/ucmenus.h"
#include "unicode/ucstdctrls.h"
#include "unicode/ucsysutils.h"
#include "unicode/ucsystem.h"

#include <algorithm>
#include <exception>

TUcApplication* UcApplication = nullptr;
DWORD UcLastSettingChangeTime = 0;
LRESULT(WINAPI* UcTitleWindowProc)(HWND, UINT, WPARAM, LPARAM) = &DefWindowProcW;

namespace {

HHOOK g_messageHook = nullptr;

void SetAppHint(TObject* Target, const AnsiString& Value)
{
    static_cast<TApplication*>(Target)->SetHint(Value);
}

void SetAppTitle(TObject* Target, const AnsiString& Value)
{
    static_cast<TApplication*>(Target)->SetTitle(Value);
}

HWND ApplicationWindow()
{
    return Application ? Application->Handle() : nullptr;
}

// The form resource of one class, read into Instance; False when the program has none.
bool ReadFormResource(TComponent* Instance, const TClassInfo& Class)
{
    HINSTANCE instance = GetModuleHandleA(nullptr);
    if (!FindResourceA(instance, Class.Name, MAKEINTRESOURCEA(10)))   // RT_RCDATA
        return false;
    TResourceStream stream(instance, Class.Name, MAKEINTRESOURCEA(10));
    TReader reader(&stream);
    reader.ReadRootComponent(Instance);
    return true;
}

bool ReadClassChain(TComponent* Instance, const TClassInfo* Class, const TClassInfo& RootAncestor)
{
    if (!Class || Class == &RootAncestor || Class == &TComponent::StaticClassInfo())
        return false;
    bool read = ReadClassChain(Instance, Class->Parent, RootAncestor);
    return ReadFormResource(Instance, *Class) || read;
}

// The module this code is in is a library loaded by another program.
bool RunsInLibrary()
{
    HMODULE self = nullptr;
    GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                       reinterpret_cast<LPCWSTR>(&UcGetMessageHook), &self);
    return self && self != GetModuleHandleW(nullptr);
}

} // namespace

// ---------------------------------------------------------------------------------------
// TUcForm

Z_CLASS_IMPL(TUcForm, TForm, WideCaptionProp<TUcForm>(), WideHintProp<TUcForm>())

TUcForm::TUcForm(TComponent* AOwner) : TUcControlOf<TForm>(AOwner) {}

TUcForm::TUcForm(TComponent* AOwner, TCreateNew) : TUcControlOf<TForm>(AOwner), FCreateNew(true) {}

bool InitInheritedUcComponent(TComponent* Instance, const TClassInfo& RootAncestor)
{
    return Instance && ReadClassChain(Instance, &Instance->ClassInfo(), RootAncestor);
}

void TUcForm::AfterConstruction()
{
    if (!FCreateNew && &ClassInfo() != &TUcForm::StaticClassInfo() && !IsDesigning()) {
        if (!InitInheritedUcComponent(this, TUcForm::StaticClassInfo()))
            throw EResNotFound(Format("Resource %s not found", ClassName()));
        if (OldCreateOrder())
            DoCreate();
    }
    TForm::AfterConstruction();
}

void TUcForm::CreateWindowHandle(const TCreateParams& Params)
{
    // MDI children keep the library's window: the program has no MDI forms.
    if (!PlatformIsUnicode || (FFormStyle == fsMDIChild && !IsDesigning())) {
        TForm::CreateWindowHandle(Params);
        return;
    }
    TCreateParams params = Params;
    params.ExStyle &= ~WS_EX_LAYERED;
    CreateUnicodeWindowHandle(this, params, WideString(), false);
    FFormState &= ~fsCreatedMDIChild;
    // The new window is layered only now, through the properties.
    if (AlphaBlend()) {
        SetAlphaBlend(false);
        SetAlphaBlend(true);
    }
    if (TransparentColor()) {
        SetTransparentColor(false);
        SetTransparentColor(true);
    }
}

void TUcForm::DestroyWindowHandle()
{
    if (PlatformIsUnicode && FHandle) {
        // Looked up each time: the common controls may be loaded only after the first form
        // went, and a window with flat scroll bars needs them by then.
        using TUninitializeFlatSB = BOOL(WINAPI*)(HWND);
        HMODULE comctl = GetModuleHandleA("comctl32.dll");
        const auto uninitialize = comctl ? reinterpret_cast<TUninitializeFlatSB>(reinterpret_cast<void*>(
                                               GetProcAddress(comctl, "UninitializeFlatSB")))
                                         : nullptr;
        if (uninitialize)
            uninitialize(FHandle);
    }
    TForm::DestroyWindowHandle();
}

void TUcForm::DefaultHandler(TMessage& Message)
{
    if (PlatformIsUnicode && FHandle && FClientHandle) {
        if (Message.Msg == WM_SIZE)
            Message.Result = DefWindowProcW(FHandle, Message.Msg, Message.WParam, Message.LParam);
        else
            Message.Result = DefFrameProcW(FHandle, FClientHandle, Message.Msg, Message.WParam, Message.LParam);
        return;
    }
    TForm::DefaultHandler(Message);
}

void TUcForm::UpdateActions()
{
    TForm::UpdateActions();
    if (!IsDesigning())
        RefreshApplicationWideHint();
}

void TUcForm::WMMenuSelectWide(TMessage& Message)
{
    const TWMMenuSelect select(Message);
    TMenuItem* found = nullptr;
    if (select.MenuFlag != 0xFFFF || select.IDItem != 0)
        found = FMenu->FindMenuSelectItem(select.Menu, select.IDItem, select.MenuFlag);
    WideString hint = found ? WideLongHintPart(GetMenuItemWideHint(found)) : WideString();
    if (UcApplication)
        UcApplication->SetHint(hint);
    else if (Application)
        Application->SetHint(WideToAnsi(hint));
}

void TUcForm::Dispatch(TMessage& Message)
{
    switch (Message.Msg) {
    case WM_MENUSELECT:
        if (FMenu) {
            WMMenuSelectWide(Message);
            return;
        }
        break;
    case CM_BIDIMODECHANGED:
        CMBiDiModeChanged(Message);
        return;
    case WM_WINDOWPOSCHANGING:
        WMWindowPosChanging(Message);
        return;
    }
    TForm::Dispatch(Message);
}

void TUcForm::CMBiDiModeChanged(TMessage& Message)
{
    TForm::Dispatch(Message);
    for (int i = 0; i < ComponentCount(); ++i)
        if (auto* menu = dynamic_cast<TMenu*>(Components(i)))
            UpdateMenuWideTexts(menu);
}

void TUcForm::WMWindowPosChanging(TMessage& Message)
{
    TForm::Dispatch(Message);
    if (FMenu)
        UpdateMenuWideTexts(FMenu);
}

// ---------------------------------------------------------------------------------------
// TUcApplication

Z_CLASS_IMPL(TUcApplication, TComponent)

TUcApplication::TUcApplication(TComponent* AOwner) : TComponent(AOwner)
{
    if (Application) {
        Application->HookMainWindow(MakeMethod<&TUcApplication::AppWindowHook>(this));
        FHooked = true;
    }
}

TUcApplication::~TUcApplication()
{
    if (FHooked && Application)
        Application->UnhookMainWindow(MakeMethod<&TUcApplication::AppWindowHook>(this));
}

WideString TUcApplication::Hint() const
{
    return Application ? WideGetCachedValue(FHint, Application->Hint()) : FHint;
}

void TUcApplication::SetHint(const WideString& Value)
{
    if (!Application) {
        FHint = Value;
        return;
    }
    const AnsiString ansi = Application->Hint();
    WideSetCachedValue(Value, FHint, ansi, &SetAppHint, Application);
}

WideString TUcApplication::Title() const
{
    HWND wnd = ApplicationWindow();
    if (PlatformIsUnicode && wnd) {
        LRESULT len = UcTitleWindowProc(wnd, WM_GETTEXTLENGTH, 0, 0);
        if (len <= 0)
            return WideString();
        WideString s(static_cast<size_t>(len) + 1, L'\0');
        LRESULT got = UcTitleWindowProc(wnd, WM_GETTEXT, static_cast<WPARAM>(len) + 1, reinterpret_cast<LPARAM>(s.data()));
        s.resize(static_cast<size_t>(std::clamp<LRESULT>(got, 0, len)));
        return s;
    }
    return Application ? WideGetCachedValue(FTitle, Application->Title()) : FTitle;
}

void TUcApplication::SetTitle(const WideString& Value)
{
    HWND wnd = ApplicationWindow();
    if (PlatformIsUnicode && wnd) {
        if (Value != Title() || FTitle.empty()) {
            FTitle = Value;
            UcTitleWindowProc(wnd, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(Value.c_str()));
        }
        return;
    }
    if (!Application) {
        FTitle = Value;
        return;
    }
    const AnsiString ansi = Application->Title();
    WideSetCachedValue(Value, FTitle, ansi, &SetAppTitle, Application);
}

bool TUcApplication::IsDialogMessage(MSG& Msg)
{
    HWND dialog = Application ? Application->DialogHandle() : nullptr;
    if (!dialog)
        return false;
    return IsWindowUnicode(dialog) ? ::IsDialogMessageW(dialog, &Msg) != 0 : ::IsDialogMessageA(dialog, &Msg) != 0;
}

bool TUcApplication::AppWindowHook(TMessage& Message)
{
    switch (Message.Msg) {
    case WM_CREATE:
        // A window made again: the wide title is given back.
        if (PlatformIsUnicode && !FTitle.empty() && ApplicationWindow())
            UcTitleWindowProc(ApplicationWindow(), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(FTitle.c_str()));
        break;
    case WM_SETTINGCHANGE:
        FSettingChangeTime = GetTickCount();
        UcLastSettingChangeTime = FSettingChangeTime;
        break;
    case CM_ACTIONEXECUTE:
        return ExecuteWideHintAction(Message);
    }
    return false;
}

bool TUcApplication::ExecuteWideHintAction(TMessage& Message)
{
    auto* action = dynamic_cast<THintAction*>(TCMActionExecute(Message).Action);
    // The wide hint action runs the library's way; one made here never makes another.
    if (!action || dynamic_cast<TUcHintAction*>(action) || FInHintAction)
        return false;
    WideString hint = Hint();
    if (action->TCustomAction::Hint() != WideToAnsi(hint))
        return false;
    Message.Result = 1;
    TFlagScope inHintAction(FInHintAction);
    TUcHintAction wide(nullptr);
    wide.SetHint(hint);
    wide.Execute();
    return true;
}

void TUcApplication::MakeIdleControl()
{
    if (FIdleControlMade || !Application)
        return;
    TCustomForm* main = Application->MainForm();
    if (!main || dynamic_cast<TUcForm*>(main) || main->IsDestroying())
        return;
    auto* control = new TUcAppIdleEventControl(main);   // the form owns it
    control->SetParent(main);
    FIdleControlMade = true;
}

void RefreshApplicationWideHint()
{
    if (!Application || !UcApplication)
        return;
    UcApplication->SetHint(WideLongHintPart(GetWideHintOfChain(Application->MouseControl())));
}

// ---------------------------------------------------------------------------------------
// TUcAppIdleEventControl, TUcHintAction

Z_CLASS_IMPL(TUcAppIdleEventControl, TControl)

TUcAppIdleEventControl::TUcAppIdleEventControl(TComponent* AOwner) : TControl(AOwner)
{
    // No size and nothing to paint: never seen, but a visible action client of its form.
    SetControlStyle(csActionClient | csNoDesignVisible);
    SetBounds(0, 0, 0, 0);
}

TUcAppIdleEventControl::~TUcAppIdleEventControl()
{
    if (UcApplication)
        UcApplication->FIdleControlMade = false;
}

void TUcAppIdleEventControl::InitiateAction()
{
    TControl::InitiateAction();
    RefreshApplicationWideHint();
}

Z_CLASS_IMPL(TUcHintAction, THintAction)

// ---------------------------------------------------------------------------------------
// The message hook

LRESULT CALLBACK UcGetMessageHook(int Code, WPARAM WParam, LPARAM LParam)
{
    if (Code >= 0 && WParam == PM_REMOVE && LParam && Application && UcApplication && !ProgramEnding) {
        try {
            UcApplication->MakeIdleControl();
            auto* queued = reinterpret_cast<MSG*>(LParam);
            HWND dialog = Application->DialogHandle();
            if (queued->message == WM_CHAR && queued->wParam > 255 && queued->hwnd && IsWindowUnicode(queued->hwnd) &&
                (!dialog || IsWindowUnicode(dialog))) {
                // The queue record does nothing more in the ANSI message loop, whatever
                // happens to the message here.
                MSG msg = *queued;
                queued->message = WM_NULL;
                bool handled = false;
                if (Application->OnMessage)
                    Application->OnMessage(msg, handled);
                Application->IsHintMsg(msg);
                if (!handled && !UcApplication->IsDialogMessage(msg))
                    DispatchMessageW(&msg);
            }
        } catch (...) {
            HandleCaughtException(UcApplication);
        }
    }
    return CallNextHookEx(g_messageHook, Code, WParam, LParam);
}

void InstallUcMessageHook()
{
    ZAssert(PlatformIsUnicode, "Assertion failure");
    if (g_messageHook)
        return;
    g_messageHook = SetWindowsHookExW(WH_GETMESSAGE, &UcGetMessageHook, nullptr, GetCurrentThreadId());
    if (!g_messageHook)
        RaiseLastOSError();
}

bool UcHookRemovalFailureIgnored(const WideString& ExeFileName, bool IsLibrary)
{
    if (IsLibrary)
        return true;
    WideString name = WideUpperCaseCopy(ExtractWideFileNamePart(ExeFileName));
    return name.rfind(L"W3WP.", 0) == 0 || name.rfind(L"DLLHOST.", 0) == 0;
}

void RemoveUcMessageHook()
{
    if (!g_messageHook)
        return;
    HHOOK hook = g_messageHook;
    g_messageHook = nullptr;
    if (!UnhookWindowsHookEx(hook)) {
        DWORD error = GetLastError();
        if (!UcHookRemovalFailureIgnored(ModuleFileNameWide(nullptr), RunsInLibrary()))
            RaiseLastOSError(error);
    }
}

HHOOK UcMessageHookHandle()
{
    return g_messageHook;
}

// ---------------------------------------------------------------------------------------
// Start-up and program end

void InitUcForms()
{
    if (UcApplication)
        return;
    UcApplication = new TUcApplication(nullptr);
    if (PlatformIsUnicode)
        InstallUcMessageHook();
    RegisterClass(TUcForm::StaticClassInfo());
}

void DoneUcForms()
{
    TUcApplication* app = UcApplication;
    UcApplication = nullptr;
    try {
        RemoveUcMessageHook();
    } catch (...) {
        delete app;
        throw;
    }
    delete app;
}

void InitUcProgram()
{
    InitSysUtils();
    InitUcSystem();
    InitForms();
    InitMenus();
    InitUcControls();
    InitUcMenus();
    InitUcForms();
    InitUcStdCtrls();
    InitUcExtCtrls();
    InitUcButtons();
    InitUcComCtrls();
}

void DoneUcProgram()
{
    // The hook that cannot be removed is reported once everything else has ended too.
    std::exception_ptr failure;
    try {
        DoneUcForms();
    } catch (...) {
        failure = std::current_exception();
    }
    DoneUcMenus();
    DoneUcControls();
    DoneMenus();
    DoneForms();
    if (failure)
        std::rethrow_exception(failure);
}
