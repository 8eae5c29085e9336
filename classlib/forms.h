// Forms, the application object and the screen. The application owns a hidden window of
// class "TApplication" that owns every form window, runs the ANSI message loop, shows hints
// and hands exceptions caught in window procedures to one handler.
#pragma once

#include "classlib/controls.h"

#include <memory>
#include <vector>

class TApplication;
class TScreen;

enum TWindowState : uint8_t { wsNormal, wsMinimized, wsMaximized };
enum TFormStyle : uint8_t { fsNormal, fsMDIChild, fsMDIForm, fsStayOnTop };
enum TBorderIcon : uint8_t { biSystemMenu = 1, biMinimize = 2, biMaximize = 4, biHelp = 8 };
using TBorderIcons = uint8_t;
enum TPosition : uint8_t {
    poDesigned, poDefault, poDefaultPosOnly, poDefaultSizeOnly, poScreenCenter, poDesktopCenter,
    poMainFormCenter, poOwnerFormCenter
};
enum TCloseAction : uint8_t { caNone, caHide, caFree, caMinimize };
enum TFormStateFlag : uint8_t {
    fsCreating = 1, fsVisible = 2, fsShowing = 4, fsModal = 8, fsCreatedMDIChild = 16,
    fsActivated = 32
};
using TFormState = uint8_t;

using TCloseEvent = TMethod<void(TObject* Sender, TCloseAction& Action)>;
using TCloseQueryEvent = TMethod<void(TObject* Sender, bool& CanClose)>;

// ---------------------------------------------------------------------------------------
// Forms

class TCustomForm : public TWinControl {
    Z_CLASS(TCustomForm, TWinControl)
public:
    explicit TCustomForm(TComponent* AOwner);
    ~TCustomForm() override;

    // Creation handling (OnCreate) runs once the form is built: here for a form whose
    // OldCreateOrder is set (its constructor's caller loaded it), else in
    // AfterConstruction, which whoever makes a form calls after building it
    // (Application->CreateForm does).
    void AfterConstruction() override;
    // OnDestroy, once; the destructor calls it when nobody did before.
    virtual void BeforeDestruction();
    bool OldCreateOrder() const { return FOldCreateOrder; }
    void SetOldCreateOrder(bool Value) { FOldCreateOrder = Value; }

    void Show();
    void Hide();
    // Shows the form and runs the message loop until ModalResult is set (or the
    // application ends); EInvalidOperation "Cannot make a visible window modal" for a form
    // that is visible, disabled, already modal or an MDI child.
    virtual int ShowModal();
    void Close();
    virtual bool CloseQuery();
    // Frees the form once the messages in the queue before CM_RELEASE are handled.
    void Release();
    TModalResult ModalResult() const { return FModalResult; }
    void SetModalResult(TModalResult Value) { FModalResult = Value; }
    TFormState FormState() const { return FFormState; }

    TFormBorderStyle BorderStyle() const { return FBorderStyle; }
    void SetBorderStyle(TFormBorderStyle Value);
    TBorderIcons BorderIcons() const { return FBorderIcons; }
    void SetBorderIcons(TBorderIcons Value);
    TWindowState WindowState() const;
    void SetWindowState(TWindowState Value);
    TFormStyle FormStyle() const { return FFormStyle; }
    void SetFormStyle(TFormStyle Value);
    TPosition Position() const { return FPosition; }
    void SetPosition(TPosition Value);
    // The main menu; its native menu is the window's menu.
    TMainMenu* Menu() const { return FMenu; }
    void SetMenu(TMainMenu* Value);
    TComponent* MenuComponent() const { return FMenuComponent; }
    // Sets the window's menu to the main menu's current native menu (after the menu unit
    // rebuilt it).
    void RefreshMenu();
    TWinControl* ActiveControl() const { return FActiveControl; }
    void SetActiveControl(TWinControl* Control);
    // Moves the focus within the form to Control, sending CM_EXIT, CM_ENTER and
    // CM_FOCUSCHANGED; False when a handler moved the focus elsewhere meanwhile.
    virtual bool SetFocusedControl(TWinControl* Control);
    void FocusControl(TWinControl* Control);
    // Control (or, when Removing, the whole of it) gives up being the active and the
    // focused control of the form.
    void DefocusControl(TWinControl* Control, bool Removing);
    bool Active() const { return FActive; }
    bool KeyPreview() const { return FKeyPreview; }
    void SetKeyPreview(bool Value) { FKeyPreview = Value; }
    TCanvas* Canvas() const { return FCanvas.get(); }
    TIcon* Icon() const { return FIcon.get(); }
    void SetIcon(TIcon* Value);

    // A layered window: the whole form at AlphaBlendValue, and TransparentColorValue shown
    // as holes.
    bool AlphaBlend() const { return FAlphaBlend; }
    void SetAlphaBlend(bool Value);
    uint8_t AlphaBlendValue() const { return FAlphaBlendValue; }
    void SetAlphaBlendValue(uint8_t Value);
    bool TransparentColor() const { return FTransparentColor; }
    void SetTransparentColor(bool Value);
    TColor TransparentColorValue() const { return FTransparentColorValue; }
    void SetTransparentColorValue(TColor Value);

    // MDI frame: the MDICLIENT window of an fsMDIForm (0 otherwise).
    HWND ClientHandle() const { return FClientHandle; }
    int MDIChildCount();
    TCustomForm* MDIChildren(int Index);
    TCustomForm* ActiveMDIChild();

    virtual bool IsShortCut(TMessage& KeyMessage);
    virtual void UpdateActions();
    // The wheel goes to the focused control, or to the form itself when none has the focus.
    void MouseWheelHandler(TMessage& Message) override;
    void DefaultHandler(TMessage& Message) override;
    void SetVisibleState(bool Value);
    // In form data the root form's children are its controls, then the components it owns
    // that have no parent (menus, action lists, image lists).
    void GetChildren(TGetChildProc Proc, TComponent* Root) override;

    TNotifyEvent OnCreate;
    TNotifyEvent OnDestroy;
    TNotifyEvent OnShow;
    TNotifyEvent OnHide;
    TCloseEvent OnClose;
    TCloseQueryEvent OnCloseQuery;
    TNotifyEvent OnActivate;
    TNotifyEvent OnDeactivate;
    TNotifyEvent OnPaint;

protected:
    virtual void DoCreate();
    virtual void DoDestroy();
    virtual void DoShow();
    virtual void DoHide();
    virtual void DoClose(TCloseAction& Action);
    virtual void Activate();
    virtual void Deactivate();
    virtual void Paint();
    void CloseModal();
    void SetWindowFocus();
    void ApplyLayeredAttributes();

    void CreateParams(TCreateParams& Params) override;
    // An MDI frame's client window takes what its aligned controls leave.
    void AlignControls(TControl* AControl, TRect& Rect) override;
    void CreateWnd() override;
    void CreateWindowHandle(const TCreateParams& Params) override;
    void DestroyWindowHandle() override;
    void DestroyWnd() override;
    void PaintWindow(HDC DC) override;
    void Notification(TComponent* AComponent, TOperation Operation) override;
    void Dispatch(TMessage& Message) override;
    void WndProc(TMessage& Message) override;

    void WMClose(TMessage& Message);
    void WMActivate(TMessage& Message);
    void WMCommand(TMessage& Message);
    void WMMenuSelect(TMessage& Message);
    void WMSysCommand(TMessage& Message);
    void WMDestroy(TMessage& Message);
    void WMShowWindow(TMessage& Message);
    void WMGetMinMaxInfo(TMessage& Message);
    void CMShowingChanged(TMessage& Message);
    void CMActivate(TMessage& Message);
    void CMDeactivate(TMessage& Message);
    void CMDialogKey(TMessage& Message);
    void CMRelease(TMessage& Message);
    void CMActionExecute(TMessage& Message);

    TFormBorderStyle FBorderStyle = bsSizeable;
    TBorderIcons FBorderIcons = biSystemMenu | biMinimize | biMaximize;
    TWindowState FWindowState = wsNormal;
    TFormStyle FFormStyle = fsNormal;
    TPosition FPosition = poDesigned;
    TFormState FFormState = 0;
    TModalResult FModalResult = mrNone;
    TMainMenu* FMenu = nullptr;
    TComponent* FMenuComponent = nullptr;
    TWinControl* FActiveControl = nullptr;
    TWinControl* FFocusedControl = nullptr;
    HWND FClientHandle = nullptr;
    WNDPROC FDefClientProc = nullptr;
    bool FActive = false;
    bool FKeyPreview = false;
    bool FOldCreateOrder = false;
    bool FCreated = false;     // DoCreate ran
    bool FDestroyed = false;   // DoDestroy ran
    bool FAlphaBlend = false;
    uint8_t FAlphaBlendValue = 255;
    bool FTransparentColor = false;
    TColor FTransparentColorValue = 0;
    std::unique_ptr<TControlCanvas> FCanvas;
    std::unique_ptr<TIcon> FIcon;
};

class TForm : public TCustomForm {
    Z_CLASS(TForm, TCustomForm)
public:
    explicit TForm(TComponent* AOwner) : TCustomForm(AOwner) {}
};

// ---------------------------------------------------------------------------------------
// The screen: forms in z-order (the most recently active first), the active form and
// control, fonts and cursor.

class TScreen : public TComponent {
    Z_CLASS(TScreen, TComponent)
public:
    explicit TScreen(TComponent* AOwner);
    ~TScreen() override;

    int CustomFormCount() const { return static_cast<int>(FCustomForms.size()); }
    TCustomForm* CustomForms(int Index) const { return FCustomForms.at(Index); }
    // The forms of class TForm among the custom forms, in the same order.
    int FormCount() const;
    TForm* Forms(int Index) const;
    TForm* ActiveForm() const { return FActiveForm; }
    TCustomForm* ActiveCustomForm() const { return FActiveCustomForm; }
    TWinControl* ActiveControl() const { return FActiveControl; }
    TCustomForm* FocusedForm() const { return FFocusedForm; }

    TFont* HintFont() const { return FHintFont.get(); }
    TFont* MenuFont() const { return FMenuFont.get(); }
    TFont* IconFont() const { return FIconFont.get(); }
    void ResetFonts();   // from the system's current settings

    TCursor Cursor() const { return FCursor; }
    void SetCursor(TCursor Value);
    HCURSOR Cursors(TCursor Index);
    int Width() const { return GetSystemMetrics(SM_CXSCREEN); }
    int Height() const { return GetSystemMetrics(SM_CYSCREEN); }
    int PixelsPerInch() const { return FPixelsPerInch; }
    TRect WorkAreaRect() const;

private:
    friend class TCustomForm;
    friend class TApplication;
    void AddForm(TCustomForm* AForm);
    void RemoveForm(TCustomForm* AForm);
    void MoveFormFirst(TCustomForm* AForm);

    std::vector<TCustomForm*> FCustomForms;
    TForm* FActiveForm = nullptr;
    TCustomForm* FActiveCustomForm = nullptr;
    TWinControl* FActiveControl = nullptr;
    TCustomForm* FFocusedForm = nullptr;
    TCustomForm* FSaveFocusedForm = nullptr;
    std::unique_ptr<TFont> FHintFont;
    std::unique_ptr<TFont> FMenuFont;
    std::unique_ptr<TFont> FIconFont;
    TCursor FCursor = crDefault;
    int FCursorCount = 0;
    int FPixelsPerInch = 96;
};

// ---------------------------------------------------------------------------------------
// The application

using TMessageEvent = TMethod<void(MSG& Msg, bool& Handled)>;
using TIdleEvent = TMethod<void(TObject* Sender, bool& Done)>;
using TExceptionEvent = TMethod<void(TObject* Sender, Exception* E)>;
using TShowHintEvent = TMethod<void(AnsiString& HintStr, bool& CanShow, THintInfo& HintInfo)>;
// A hook on the application window: True when it handled the message.
using TWindowHook = TMethod<bool(TMessage& Message)>;

class TApplication : public TComponent {
    Z_CLASS(TApplication, TComponent)
public:
    explicit TApplication(TComponent* AOwner);
    ~TApplication() override;

    // The hidden window of class "TApplication" (made by InitForms).
    HWND Handle() const { return FHandle; }
    void CreateHandle();
    // The text of the application window (the program's name until set).
    AnsiString Title() const;
    void SetTitle(const AnsiString& Value);
    // The hint of the control under the mouse (long part); OnHint runs on every change.
    const AnsiString& Hint() const { return FHint; }
    void SetHint(const AnsiString& Value);
    TCustomForm* MainForm() const { return FMainForm; }
    // Makes a form owned by the application; the first one becomes the main form.
    template <class T> void CreateForm(T*& Reference)
    {
        T* form = new T(this);
        Reference = form;
        form->AfterConstruction();
        if (!FMainForm) {
            form->HandleNeeded();
            FMainForm = form;
        }
    }

    // The message loop (ANSI): one message, all messages waiting, until Terminate.
    bool ProcessMessage(MSG& Msg);
    void ProcessMessages();
    void HandleMessage();
    void Run();
    void Terminate();
    bool Terminated() const { return FTerminate; }
    void Idle(const MSG& Msg);
    bool IsKeyMsg(MSG& Msg);
    bool IsDlgMsg(MSG& Msg);
    bool IsHintMsg(MSG& Msg);
    HWND DialogHandle() const { return FDialogHandle; }
    void SetDialogHandle(HWND Value) { FDialogHandle = Value; }

    void HookMainWindow(TWindowHook Hook);
    void UnhookMainWindow(TWindowHook Hook);

    // The handler of exceptions caught in window procedures, hooks and timers. Call only
    // inside a catch block. OnException when set, else ShowException; EAbort is silent.
    void HandleException(TObject* Sender);
    void ShowException(const Exception& E);
    int MessageBox(const char* Text, const char* Caption, UINT Flags);

    // Hints
    bool ShowHint() const { return FShowHint; }
    void SetShowHint(bool Value);
    TColor HintColor() const { return FHintColor; }
    void SetHintColor(TColor Value);
    int HintPause() const { return FHintPause; }
    void SetHintPause(int Value) { FHintPause = Value; }
    int HintShortPause() const { return FHintShortPause; }
    void SetHintShortPause(int Value) { FHintShortPause = Value; }
    int HintHidePause() const { return FHintHidePause; }
    void SetHintHidePause(int Value) { FHintHidePause = Value; }
    bool HintShortCuts() const { return FHintShortCuts; }
    void SetHintShortCuts(bool Value) { FHintShortCuts = Value; }
    // The mouse moved over Control (a mouse message of it): the hint timer starts.
    void HintMouseMessage(TControl* Control, TMessage& Message);
    // Shows the hint of the hint control at a screen point, in the class the hint info
    // names after CM_HINTSHOW and OnShowHint.
    void ActivateHint(const TPoint& CursorPos);
    void CancelHint();
    void HideHint();
    THintWindow* HintWindow() const { return FHintWindow; }
    TControl* HintControl() const { return FHintControl; }
    TControl* MouseControl() const { return FMouseControl; }
    // Mouse enter and leave: CM_MOUSELEAVE to the control the mouse left and CM_MOUSEENTER
    // (LParam: the control) to the one it is over now.
    TControl* DoMouseIdle();
    // A control going away: the application forgets it.
    void ControlDestroyed(TControl* Control);

    bool Active() const { return FActive; }
    void Minimize();
    void Restore();
    void BringToFront();
    void ModalStarted() { ++FModalLevel; }
    void ModalFinished() { if (FModalLevel > 0) --FModalLevel; }
    bool ExecuteAction(TBasicAction* Action);
    bool UpdateAction(TBasicAction* Action);

    TMessageEvent OnMessage;
    TIdleEvent OnIdle;
    TExceptionEvent OnException;
    TNotifyEvent OnHint;
    TShowHintEvent OnShowHint;
    TNotifyEvent OnActivate;
    TNotifyEvent OnDeactivate;

protected:
    void WndProc(TMessage& Message);
    void DoActionIdle();
    bool DispatchAction(UINT Msg, TBasicAction* Action);

private:
    enum TTimerMode { tmShowHint, tmHideHint };
    void StartHintTimer(int Value, TTimerMode Mode);
    void StopHintTimer();
    void HintTimerExpired();

    HWND FHandle = nullptr;
    WNDPROC FObjectInstance = nullptr;
    AnsiString FTitle;
    AnsiString FHint;
    TCustomForm* FMainForm = nullptr;
    HWND FDialogHandle = nullptr;
    bool FTerminate = false;
    bool FActive = true;
    int FModalLevel = 0;
    std::vector<TWindowHook> FWindowHooks;
    bool FShowHint = false;
    TColor FHintColor = clInfoBk;
    int FHintPause = 500;
    int FHintShortPause = 50;
    int FHintHidePause = 2500;
    bool FHintShortCuts = true;
    bool FHintActive = false;
    bool FTimerActive = false;
    TTimerMode FTimerMode = tmShowHint;
    TRect FHintCursorRect;
    THintWindow* FHintWindow = nullptr;
    TControl* FHintControl = nullptr;
    TControl* FMouseControl = nullptr;
};

// ---------------------------------------------------------------------------------------
// Program-wide objects, made by InitForms at start-up and freed by DoneForms.

extern TApplication* Application;
extern TScreen* Screen;
// The class of hint windows the application makes unless CM_HINTSHOW names another.
extern const TClassInfo* HintWindowClass;
// Set by DoneForms before the forms and the application go: window procedures and hooks
// look only at what they must while the program ends.
extern bool ProgramEnding;

void InitForms();
void DoneForms();

// What forms ask of menus and actions (units built on this one); they fill these when
// they start. Left empty, forms show no native menu and dispatch no action.
struct TFormHooks {
    // The main menu as a component (free notification), and back (nullptr for a component
    // that is no main menu): the form's Menu in form data is a component reference.
    TComponent* (*MainMenuComponent)(TMainMenu* Menu) = nullptr;
    TMainMenu* (*AsMainMenu)(TComponent* Component) = nullptr;
    // The native menu of a main menu; the menu is told the window that shows it (0: none).
    HMENU (*MainMenuHandle)(TMainMenu* Menu, HWND Window) = nullptr;
    // Menu messages of a form window: WM_COMMAND of a menu item, WM_INITMENUPOPUP,
    // WM_MENUCHAR, WM_DRAWITEM and WM_MEASUREITEM of menu items. True when handled.
    bool (*MenuMessage)(TMainMenu* Menu, TMessage& Message) = nullptr;
    // The long hint of the item WM_MENUSELECT names (Found False when no item).
    AnsiString (*MenuSelectHint)(TMainMenu* Menu, HMENU Popup, UINT Item, UINT Flags, bool& Found) = nullptr;
    // A key that is a shortcut of the menu (the item was run).
    bool (*IsShortCut)(TMainMenu* Menu, TMessage& KeyMessage) = nullptr;
    // The top items of a main menu update their actions.
    void (*UpdateMenuActions)(TMainMenu* Menu) = nullptr;
    // The action handles the target (a component): executed (Update False) or updated.
    bool (*ActionTarget)(TBasicAction* Action, TComponent* Target, bool Update) = nullptr;
    // OnExecute / OnUpdate of the application for an action: True when handled.
    bool (*ApplicationAction)(TBasicAction* Action, bool Update) = nullptr;
    // The application's hint changed while it has no OnHint: a hint action shows it.
    void (*HintChanged)(const AnsiString& Hint) = nullptr;
    // A key (WM_KEYDOWN message) that is the shortcut of an action of one of the form's
    // action lists ran that action.
    bool (*ActionShortCut)(TCustomForm* Form, TMessage& KeyMessage) = nullptr;
};
extern TFormHooks FormHooks;
