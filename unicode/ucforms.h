// The Unicode form, the program-wide Unicode application object (wide title and hint) and
// the message hook that lets characters above 255 typed into Unicode windows reach them as
// Unicode, past the library's ANSI message loop.
#pragma once

#include "classlib/actnlist.h"
#include "classlib/forms.h"
#include "unicode/ucclasses.h"
#include "unicode/ucwidecontrol.h"

// ---------------------------------------------------------------------------------------
// The Unicode form

class TUcForm : public TUcControlOf<TForm> {
    Z_CLASS(TUcForm, TForm)
public:
    // A form of a class derived from TUcForm reads its form resource (RCDATA named after
    // its class, and those of the classes between it and TUcForm) when it is built, in
    // AfterConstruction: EResNotFound "Resource %s not found" with the class name when
    // there is none.
    explicit TUcForm(TComponent* AOwner);
    // A form built in code: no form resource is looked for.
    struct TCreateNew {};
    static constexpr TCreateNew CreateNew{};
    TUcForm(TComponent* AOwner, TCreateNew);

    // Reads the form resource, runs the creation handling here when OldCreateOrder is set,
    // then the library's AfterConstruction.
    void AfterConstruction() override;

    // The library's, then the application's wide hint from the control under the mouse.
    void UpdateActions() override;
    // An MDI frame passes what the library leaves to DefFrameProcW (WM_SIZE to
    // DefWindowProcW).
    void DefaultHandler(TMessage& Message) override;

protected:
    // A Unicode window (WS_EX_LAYERED is given only after creation); an MDI child is made
    // with CreateMDIWindowW, EInvalidOperation "Cannot create form. No MDI forms are
    // currently active" without an MDI main form.
    void CreateWindowHandle(const TCreateParams& Params) override;
    // Flat scroll bars let go first (when the common controls offer it).
    void DestroyWindowHandle() override;
    void Dispatch(TMessage& Message) override;

private:
    void WMMenuSelectWide(TMessage& Message);
    // The library's handling, then the wide texts of the menus again.
    void CMBiDiModeChanged(TMessage& Message);
    void WMWindowPosChanging(TMessage& Message);
    bool FCreateNew = false;
};

// Reads the form resources of Instance's class chain below RootAncestor, the topmost
// first; True when there was at least one.
bool InitInheritedUcComponent(TComponent* Instance, const TClassInfo& RootAncestor);

// ---------------------------------------------------------------------------------------
// The application's wide title and hint

class TUcAppIdleEventControl;

class TUcApplication : public TComponent {
    Z_CLASS(TUcApplication, TComponent)
public:
    explicit TUcApplication(TComponent* AOwner);
    ~TUcApplication() override;

    // The wide hint: the cache rule against the application's ANSI hint; the setter goes
    // through the application's hint setter.
    WideString Hint() const;
    void SetHint(const WideString& Value);
    // The title. On NT with the application window, read from and written to the window
    // as Unicode (only when it differs from the current title or nothing wide was set
    // before); else the cache rule against the ANSI title. A window made again gets a
    // non-empty wide title back.
    WideString Title() const;
    void SetTitle(const WideString& Value);
    // The application's dialog window handles Msg (IsDialogMessageW for a Unicode one).
    bool IsDialogMessage(MSG& Msg);

    // The tick count of the last WM_SETTINGCHANGE the application window saw.
    DWORD SettingChangeTime() const { return FSettingChangeTime; }
    bool IdleControlMade() const { return FIdleControlMade; }

private:
    friend class TUcAppIdleEventControl;
    friend LRESULT CALLBACK UcGetMessageHook(int Code, WPARAM WParam, LPARAM LParam);
    bool AppWindowHook(TMessage& Message);
    // A hint action executed with the application's wide hint as the hint it shows: True
    // when this happened, and nothing else is to see the message.
    bool ExecuteWideHintAction(TMessage& Message);
    void MakeIdleControl();

    mutable WideString FHint;
    mutable WideString FTitle;
    DWORD FSettingChangeTime = 0;
    bool FIdleControlMade = false;
    bool FInHintAction = false;
    bool FHooked = false;
};

// The program's one application object (InitUcForms to DoneUcForms).
extern TUcApplication* UcApplication;
// The tick count of the last WM_SETTINGCHANGE, program-wide.
extern DWORD UcLastSettingChangeTime;
// The procedure the title goes through (DefWindowProcW); replaceable for tests.
extern LRESULT(WINAPI* UcTitleWindowProc)(HWND, UINT, WPARAM, LPARAM);

// An invisible control on a main form that is not a TUcForm: the form's action updates
// reach it, and it keeps the application's wide hint in step as a TUcForm does.
class TUcAppIdleEventControl : public TControl {
    Z_CLASS(TUcAppIdleEventControl, TControl)
public:
    explicit TUcAppIdleEventControl(TComponent* AOwner);
    ~TUcAppIdleEventControl() override;
    void InitiateAction() override;
};

// A hint action with a wide caption and hint: made in place of the library's hint action
// when the hint it shows is the application's wide hint.
class TUcHintAction : public TUcActionOf<THintAction> {
    Z_CLASS(TUcHintAction, THintAction)
public:
    explicit TUcHintAction(TComponent* AOwner) : TUcActionOf<THintAction>(AOwner) {}
};

// The application's wide hint becomes the long part of the wide hint of the control under
// the mouse (or of the first of its parents that has one).
void RefreshApplicationWideHint();

// ---------------------------------------------------------------------------------------
// The message hook (WH_GETMESSAGE, the user-interface thread)

// A WM_CHAR of a character above 255 for a Unicode window (the application's dialog window
// missing or Unicode) is taken from the queue record: OnMessage, the hint bookkeeping, the
// dialog handling and DispatchMessageW, then the record becomes WM_NULL.
LRESULT CALLBACK UcGetMessageHook(int Code, WPARAM WParam, LPARAM LParam);
// Installs the hook for the current thread (NT only: a failed assertion elsewhere); a
// failure raises the last OS error.
void InstallUcMessageHook();
// Removes it. A failure is an EOSError unless UcHookRemovalFailureIgnored.
void RemoveUcMessageHook();
// A failure to remove the hook is not reported inside a host process whose file name begins
// with "W3WP." or "DLLHOST." (any case), nor in a library.
bool UcHookRemovalFailureIgnored(const WideString& ExeFileName, bool IsLibrary);
HHOOK UcMessageHookHandle();

// Start-up (after InitForms, InitUcControls and InitUcMenus): the application object, its
// hook on the application window and, on NT, the message hook. Program end: both go.
void InitUcForms();
void DoneUcForms();

// A whole program on the Unicode layer starts with InitUcProgram: the platform switches, the
// library's forms and menus, then the Unicode controls, menus and forms. DoneUcProgram ends
// them in the reverse order.
void InitUcProgram();
void DoneUcProgram();
