// Controls: the objects behind every window of the program. A control without a window of
// its own (TGraphicControl) is painted by its parent; a windowed control (TWinControl) makes
// its window lazily, with the "A" calls, in a window class registered under its class name,
// and receives every message through its replaceable WindowProc.
#pragma once

#include "classlib/classes.h"
#include "classlib/gdihandles.h"
#include "classlib/graphics.h"
#include "classlib/msgrecords.h"

#include <cstdint>
#include <memory>
#include <utility>
#include <vector>

class TControl;
class TWinControl;
class TCustomForm;
class TControlCanvas;
// Menus and actions: units built on this one (menus, actnlist).
class TMenu;
class TMainMenu;
class TPopupMenu;
class TMenuItem;
class TBasicAction;
class TControlActionLink;

// A setter's store: Field takes Value when it differs; true when it changed.
template <class T, class U> bool StoreChanged(T& Field, const U& Value)
{
    if (Field == static_cast<T>(Value))
        return false;
    Field = static_cast<T>(Value);
    return true;
}

// ---------------------------------------------------------------------------------------
// Enumerations and flag sets

enum TAlign : uint8_t { alNone, alTop, alBottom, alLeft, alRight, alClient, alCustom };
// The names of TAlign for property tables of the controls that publish Align.
extern const char* const AlignNames[7];

enum TControlStateFlag : uint32_t {
    csLButtonDown = 1u << 0,
    csClicked = 1u << 1,
    csPalette = 1u << 2,
    csReadingState = 1u << 3,
    csAlignmentNeeded = 1u << 4,
    csFocusing = 1u << 5,
    csCreating = 1u << 6,
    csPaintCopy = 1u << 7,
    csCustomPaint = 1u << 8,
    csDestroyingHandle = 1u << 9,
    csDocking = 1u << 10,
};
using TControlState = uint32_t;

enum TControlStyleFlag : uint32_t {
    csAcceptsControls = 1u << 0,
    csCaptureMouse = 1u << 1,
    csDesignInteractive = 1u << 2,
    csClickEvents = 1u << 3,
    csFramed = 1u << 4,
    csSetCaption = 1u << 5,
    csOpaque = 1u << 6,
    csDoubleClicks = 1u << 7,
    csFixedWidth = 1u << 8,
    csFixedHeight = 1u << 9,
    csNoDesignVisible = 1u << 10,
    csReplicatable = 1u << 11,
    csNoStdEvents = 1u << 12,
    csDisplayDragImage = 1u << 13,
    csReflector = 1u << 14,
    csActionClient = 1u << 15,
    csMenuEvents = 1u << 16,
    csNeedsBorderPaint = 1u << 17,
    csParentBackground = 1u << 18,
};
using TControlStyle = uint32_t;

enum TShiftStateFlag : uint8_t {
    ssShift = 1, ssAlt = 2, ssCtrl = 4, ssLeft = 8, ssRight = 16, ssMiddle = 32, ssDouble = 64
};
using TShiftState = uint8_t;

enum TMouseButton : uint8_t { mbLeft, mbRight, mbMiddle };

enum TBiDiMode : uint8_t {
    bdLeftToRight, bdRightToLeft, bdRightToLeftNoAlign, bdRightToLeftReadingOnly
};

// Border styles of forms; controls with a border use the first two.
enum TFormBorderStyle : uint8_t { bsNone, bsSingle, bsSizeable, bsDialog, bsToolWindow, bsSizeToolWin };
using TBorderStyle = TFormBorderStyle;

enum TBevelCut : uint8_t { bvNone, bvLowered, bvRaised, bvSpace };
enum TBevelKind : uint8_t { bkNone, bkTile, bkSoft, bkFlat };
enum TBevelEdge : uint8_t { beLeft = 1, beTop = 2, beRight = 4, beBottom = 8 };
using TBevelEdges = uint8_t;

using TCursor = int16_t;
enum : TCursor {
    crDefault = 0, crNone = -1, crArrow = -2, crCross = -3, crIBeam = -4, crSize = -22,
    crSizeNESW = -6, crSizeNS = -7, crSizeNWSE = -8, crSizeWE = -9, crUpArrow = -10,
    crHourGlass = -11, crDrag = -12, crNoDrop = -13, crHSplit = -14, crVSplit = -15,
    crMultiDrag = -16, crSQLWait = -17, crNo = -18, crAppStart = -19, crHelp = -20,
    crHandPoint = -21, crSizeAll = -22
};

using TModalResult = int;
enum : TModalResult {
    mrNone = 0, mrOk = IDOK, mrCancel = IDCANCEL, mrAbort = IDABORT, mrRetry = IDRETRY,
    mrIgnore = IDIGNORE, mrYes = IDYES, mrNo = IDNO, mrAll = mrNo + 1, mrNoToAll = mrAll + 1,
    mrYesToAll = mrNoToAll + 1
};

// ---------------------------------------------------------------------------------------
// Events

using TMouseEvent = TMethod<void(TObject* Sender, TMouseButton Button, TShiftState Shift, int X, int Y)>;
using TMouseMoveEvent = TMethod<void(TObject* Sender, TShiftState Shift, int X, int Y)>;
using TKeyEvent = TMethod<void(TObject* Sender, uint16_t& Key, TShiftState Shift)>;
using TKeyPressEvent = TMethod<void(TObject* Sender, char& Key)>;
using TCanResizeEvent = TMethod<void(TObject* Sender, int& NewWidth, int& NewHeight, bool& Resize)>;
// The wheel turned by WheelDelta (WHEEL_DELTA a notch, positive away from the user) with the
// mouse at MousePos (screen); Handled True keeps it from going further.
using TMouseWheelEvent = TMethod<void(TObject* Sender, TShiftState Shift, int WheelDelta, TPoint MousePos, bool& Handled)>;
using TMouseWheelUpDownEvent = TMethod<void(TObject* Sender, TShiftState Shift, TPoint MousePos, bool& Handled)>;

// Shift state of key messages (from the key data and the keyboard) and of mouse messages
// (from their key flags).
TShiftState KeysToShiftState(uint16_t Keys);
TShiftState KeyDataToShiftState(int32_t KeyData);

// ---------------------------------------------------------------------------------------
// Creation parameters of a window

struct TCreateParams {
    AnsiString Caption;
    DWORD Style = 0;
    DWORD ExStyle = 0;
    int X = 0;
    int Y = 0;
    int Width = 0;
    int Height = 0;
    HWND WndParent = nullptr;
    void* Param = nullptr;
    WNDCLASSA WindowClass{};
    char WinClassName[64] = {};

    // Copies Name into WinClassName, cut at 63 characters.
    void SetWinClassName(const char* Name);
};

// ---------------------------------------------------------------------------------------
// Hints

class THintWindow;

// What CM_HINTSHOW (LParam) carries to the control whose hint is about to show. The control
// may change any of it; a result other than 0 keeps the hint from showing.
struct THintInfo {
    TControl* HintControl = nullptr;
    const TClassInfo* HintWindowClass = nullptr;   // a THintWindow class; made by its factory
    TPoint HintPos;                                // screen position of the hint window
    int HintMaxWidth = 0;
    TColor HintColor = clInfoBk;
    TRect CursorRect;                              // the hint stays while the mouse is inside
    TPoint CursorPos;                              // in the control's client coordinates
    int ReshowTimeout = 0;
    int HideTimeout = 0;
    AnsiString HintStr;
    void* HintData = nullptr;
};

// The hint text before the first "|" (the whole hint when there is none) and after it.
AnsiString GetShortHint(const AnsiString& Hint);
AnsiString GetLongHint(const AnsiString& Hint);

// ---------------------------------------------------------------------------------------
// Action links are class references of the action unit: class information (for tests of
// the class chain) and a constructor.

struct TControlActionLinkClass {
    const TClassInfo& (*ClassInfo)();
    TControlActionLink* (*Create)(TControl* Client);
};

// ---------------------------------------------------------------------------------------
// The smallest and largest size a control may take; 0 sets no limit. A minimum above the
// maximum raises the maximum with it, a maximum below the minimum lowers the minimum.

class TSizeConstraints : public TPersistent {
    Z_CLASS(TSizeConstraints, TPersistent)
public:
    explicit TSizeConstraints(TControl* AControl) : FControl(AControl) {}
    void Assign(TPersistent* Source) override;

    int MaxHeight() const { return FMaxHeight; }
    void SetMaxHeight(int Value);
    int MaxWidth() const { return FMaxWidth; }
    void SetMaxWidth(int Value);
    int MinHeight() const { return FMinHeight; }
    void SetMinHeight(int Value);
    int MinWidth() const { return FMinWidth; }
    void SetMinWidth(int Value);
    // A size brought within the limits.
    void Apply(int& Width, int& Height) const;

private:
    // The control takes its size within the new limits.
    void Changed();
    TControl* FControl;
    int FMaxHeight = 0;
    int FMaxWidth = 0;
    int FMinHeight = 0;
    int FMinWidth = 0;
};

// ---------------------------------------------------------------------------------------
// TControl

class TControl : public TComponent {
    Z_CLASS(TControl, TComponent)
public:
    explicit TControl(TComponent* AOwner);
    ~TControl() override;

    // Messages: WindowProc (replaceable, comparable) -> WndProc -> Dispatch -> DefaultHandler.
    TWndMethod WindowProc() const { return FWindowProc; }
    void SetWindowProc(TWndMethod Value) { FWindowProc = Value; }
    // Sends a message to the control's WindowProc without the window (none is made).
    LRESULT Perform(UINT Msg, WPARAM WParam, LPARAM LParam);
    virtual void WndProc(TMessage& Message);
    virtual void Dispatch(TMessage& Message);
    virtual void DefaultHandler(TMessage& Message);

    // Parent and position
    TWinControl* Parent() const { return FParent; }
    virtual void SetParent(TWinControl* AParent);
    int Left() const { return FLeft; }
    void SetLeft(int Value) { SetBounds(Value, FTop, FWidth, FHeight); }
    int Top() const { return FTop; }
    void SetTop(int Value) { SetBounds(FLeft, Value, FWidth, FHeight); }
    int Width() const { return FWidth; }
    void SetWidth(int Value) { SetBounds(FLeft, FTop, Value, FHeight); }
    int Height() const { return FHeight; }
    void SetHeight(int Value) { SetBounds(FLeft, FTop, FWidth, Value); }
    virtual void SetBounds(int ALeft, int ATop, int AWidth, int AHeight);
    TRect BoundsRect() const { return Bounds(FLeft, FTop, FWidth, FHeight); }
    void SetBoundsRect(const TRect& R) { SetBounds(R.Left, R.Top, R.Width(), R.Height()); }
    TRect ClientRect() { return GetClientRect(); }
    virtual TRect GetClientRect();
    int ClientWidth() { return ClientRect().Right; }
    void SetClientWidth(int Value);
    int ClientHeight() { return ClientRect().Bottom; }
    void SetClientHeight(int Value);
    virtual void SetClientSize(int AWidth, int AHeight);
    // The screen position of the client area's origin.
    virtual TPoint ClientOrigin();
    TPoint ClientToScreen(const TPoint& P);
    TPoint ScreenToClient(const TPoint& P);
    TAlign Align() const { return FAlign; }
    void SetAlign(TAlign Value);
    bool AutoSize() const { return FAutoSize; }
    virtual void SetAutoSize(bool Value);
    // Every new size is kept within these.
    TSizeConstraints* Constraints() const { return FConstraints.get(); }
    void SetConstraints(TSizeConstraints* Value) { FConstraints->Assign(Value); }
    virtual bool CanAutoSize(int& NewWidth, int& NewHeight);
    virtual void AdjustSize();
    void BringToFront();
    void SendToBack();

    // State
    bool Visible() const { return FVisible; }
    void SetVisible(bool Value);
    void Show();
    void Hide();
    bool Enabled() const { return FEnabled; }
    virtual void SetEnabled(bool Value);
    // The control and each of its parents are visible.
    bool IsVisible();
    TControlState ControlState() const { return FControlState; }
    void SetControlState(TControlState Value) { FControlState = Value; }
    TControlStyle ControlStyle() const { return FControlStyle; }
    void SetControlStyle(TControlStyle Value) { FControlStyle = Value; }

    // Text: a control without a window keeps it itself, a windowed control in its window;
    // both go through WM_GETTEXT / WM_SETTEXT sent with Perform. Setting a different text
    // sends CM_TEXTCHANGED; setting the same text sends nothing.
    AnsiString Caption() { return GetText(); }
    void SetCaption(const AnsiString& Value) { SetText(Value); }
    AnsiString Text() { return GetText(); }
    virtual void SetText(const AnsiString& Value);
    virtual AnsiString GetText();
    int GetTextLen();
    int GetTextBuf(char* Buffer, int BufSize);
    void SetTextBuf(const char* Buffer);

    // Appearance
    TColor Color() const { return FColor; }
    void SetColor(TColor Value);
    bool ParentColor() const { return FParentColor; }
    void SetParentColor(bool Value);
    TFont* Font() const { return FFont.get(); }
    void SetFont(TFont* Value) { FFont->Assign(Value); }
    bool ParentFont() const { return FParentFont; }
    void SetParentFont(bool Value);
    TCursor Cursor() const { return FCursor; }
    void SetCursor(TCursor Value);
    TBiDiMode BiDiMode() const { return FBiDiMode; }
    void SetBiDiMode(TBiDiMode Value);
    bool ParentBiDiMode() const { return FParentBiDiMode; }
    void SetParentBiDiMode(bool Value);
    bool IsRightToLeft() const;
    bool UseRightToLeftReading() const;
    bool UseRightToLeftAlignment() const;
    bool UseRightToLeftScrollBar() const;
    // DT_RIGHT and DT_RTLREADING added to Flags as the control reads right to left.
    int DrawTextBiDiModeFlags(int Flags) const;
    int DrawTextBiDiModeFlagsReadingOnly() const;

    // Hints
    const AnsiString& Hint() const { return FHint; }
    void SetHint(const AnsiString& Value) { FHint = Value; }
    bool ShowHint() const { return FShowHint; }
    void SetShowHint(bool Value);
    bool ParentShowHint() const { return FParentShowHint; }
    void SetParentShowHint(bool Value);

    // Painting
    virtual void Invalidate();
    virtual void Update();
    virtual void Repaint();
    void Refresh() { Repaint(); }

    // Mouse
    bool MouseCapture();
    void SetMouseCapture(bool Value);

    // Menus and actions (see TControlHooks below)
    TPopupMenu* PopupMenu() const { return FPopupMenu; }
    void SetPopupMenu(TPopupMenu* Value);
    TBasicAction* Action() const;
    void SetAction(TBasicAction* Value);
    TControlActionLink* ActionLink() const { return FActionLink; }
    // For the action unit: the control's link (owned by the control from then on) and the
    // action it is tied to, as a component for free notification.
    void SetActionLink(TControlActionLink* Link, TComponent* ActionComponent);
    // The action of the link updates (OnUpdate); the form's action updates call it for
    // every visible action client, and a control may do more in its own.
    virtual void InitiateAction();
    // The link took a change of the action.
    void DoActionChange(TObject* Sender) { ActionChange(Sender, false); }
    virtual void ActionChange(TObject* Sender, bool CheckDefaults);
    virtual const TControlActionLinkClass* GetActionLinkClass();

    // Windows of controls without their own: the parent's DC, moved and clipped to the
    // control. WindowHandle is the window the DC belongs to.
    virtual HDC GetDeviceContext(HWND& WindowHandle);

    // Component behaviour
    TComponent* GetParentComponent() override;
    bool HasParent() override { return true; }
    void SetParentComponent(TComponent* Value) override;
    void SetName(const AnsiString& NewName) override;
    void Loaded() override;
    void Notification(TComponent* AComponent, TOperation Operation) override;

    virtual void Click();
    virtual void DblClick();

    // The wheel: WM_MOUSEWHEEL reaches the focused window; there it goes to the form, which
    // hands it as CM_MOUSEWHEEL (WParam: the shift state in the low word, the delta in the
    // high word; LParam: the screen point) to its focused control. A control that does not
    // use it passes it to its parent, and a wheel no control used goes on to the window's
    // own procedure.
    virtual void MouseWheelHandler(TMessage& Message);

    TNotifyEvent OnClick;
    TNotifyEvent OnDblClick;
    TMouseEvent OnMouseDown;
    TMouseEvent OnMouseUp;
    TMouseMoveEvent OnMouseMove;
    TNotifyEvent OnResize;
    TCanResizeEvent OnCanResize;
    TMouseWheelEvent OnMouseWheel;
    TMouseWheelUpDownEvent OnMouseWheelDown;
    TMouseWheelUpDownEvent OnMouseWheelUp;

protected:
    // OnMouseWheel; unhandled, the turns are added up and each whole notch is one
    // DoMouseWheelUp or DoMouseWheelDown. True when something used the wheel.
    virtual bool DoMouseWheel(TShiftState Shift, int WheelDelta, TPoint MousePos);
    virtual bool DoMouseWheelDown(TShiftState Shift, TPoint MousePos);
    virtual bool DoMouseWheelUp(TShiftState Shift, TPoint MousePos);
    virtual void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y);
    virtual void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y);
    virtual void MouseMove(TShiftState Shift, int X, int Y);
    virtual void Resize();
    virtual bool CanResize(int& NewWidth, int& NewHeight);
    virtual void Changed();
    // ParentColor, ParentFont ...: the flag, and the parent's value taken again when set.
    void SetParentFlag(bool& Field, bool Value, UINT Msg);
    // The parent is told of a change of this control's bounds, visibility or alignment.
    void RequestAlign();
    // Takes the parent's colour and font when ParentColor / ParentFont is set.
    virtual void FontChanged(TObject* Sender);
    virtual void VisibleChanging() {}
    void InvalidateControl(bool IsVisible, bool IsOpaque);
    void SendCancelMode(TControl* Sender);
    void UpdateBoundsRect(const TRect& R);

    // Messages TControl handles itself
    // Before the dispatch of a mouse message: double clicks become presses for a control
    // without csDoubleClicks, a move may show a hint, the left button's state is kept.
    void PrepareMouseMessage(TMessage& Message);
    // The text copied into the buffer, cut to its room; the number of characters copied.
    LRESULT WMGetText(const TWMGetText& Get);
    // The control's popup menu at the point (under the control for the keyboard's menu key).
    void WMContextMenu(TMessage& Message);
    void WMLButtonDown(TMessage& Message);
    void WMMouseButton(TMessage& Message, TMouseButton Button, bool Down, bool Double);
    void WMMouseMove(TMessage& Message);
    void WMCancelMode(TMessage& Message);
    void WMWindowPosChanged(TMessage& Message);
    void WMMouseWheel(TMessage& Message);
    void CMMouseWheel(TMessage& Message);
    void CMEnabledChanged(TMessage& Message);
    void CMVisibleChanged(TMessage& Message);
    void CMFontChanged(TMessage& Message);
    void CMColorChanged(TMessage& Message);
    void CMParentColorChanged(TMessage& Message);
    void CMParentFontChanged(TMessage& Message);
    void CMParentShowHintChanged(TMessage& Message);
    void CMParentBiDiModeChanged(TMessage& Message);
    void CMHitTest(TMessage& Message);

    TWinControl* FParent = nullptr;
    int FLeft = 0;
    int FTop = 0;
    int FWidth = 0;
    int FHeight = 0;
    TControlStyle FControlStyle = csCaptureMouse | csClickEvents | csSetCaption | csDoubleClicks;
    TControlState FControlState = 0;
    bool FVisible = true;
    bool FEnabled = true;
    bool FParentFont = true;
    bool FParentColor = true;
    bool FParentShowHint = true;
    bool FShowHint = false;
    bool FParentBiDiMode = true;
    bool FAutoSize = false;
    TAlign FAlign = alNone;
    TColor FColor = clWindow;
    TCursor FCursor = crDefault;
    TBiDiMode FBiDiMode = bdLeftToRight;
    AnsiString FText;   // the text of a control without a window
    AnsiString FHint;
    int FWheelAccumulator = 0;   // the part of a notch turned so far
    std::unique_ptr<TFont> FFont;
    std::unique_ptr<TSizeConstraints> FConstraints;
    TWndMethod FWindowProc;

private:
    friend class TWinControl;
    void SetZOrder(bool TopMost);
    TPopupMenu* FPopupMenu = nullptr;
    TComponent* FPopupMenuComponent = nullptr;
    TControlActionLink* FActionLink = nullptr;
    TComponent* FActionComponent = nullptr;
};

// ---------------------------------------------------------------------------------------
// TWinControl

class TWinControl : public TControl {
    Z_CLASS(TWinControl, TControl)
public:
    explicit TWinControl(TComponent* AOwner);
    ~TWinControl() override;

    // The window, made on first use (HandleNeeded). HandleAllocated only asks.
    HWND Handle();
    bool HandleAllocated() const { return FHandle != nullptr; }
    void HandleNeeded();
    // The stored handle as it is, for code that makes the window itself.
    HWND WindowHandle() const { return FHandle; }
    void SetWindowHandle(HWND Value) { FHandle = Value; }
    // A window outside the library that this control's window sits in (no Parent).
    HWND ParentWindow() const { return FParentWindow; }
    void SetParentWindow(HWND Value);
    void SetParent(TWinControl* AParent) override;
    // A control with a window outside the library as its parent.
    static TWinControl* CreateParented(const TClassInfo& Class, HWND ParentWindow);

    // The procedure DefaultHandler passes unhandled messages to: DefWindowProcA, or the
    // system class's procedure of a subclassed control.
    WNDPROC DefWndProc() const { return FDefWndProc; }
    void SetDefWndProc(WNDPROC Value) { FDefWndProc = Value; }
    // The window procedure of this control (an object instance of MainWndProc).
    WNDPROC ObjectInstance() const { return FObjectInstance; }
    // Every message from the system: WindowProc, with exceptions handed to the application.
    void MainWndProc(TMessage& Message);
    void RecreateWnd();
    void DefaultHandler(TMessage& Message) override;

    // Children
    // Children without windows first (in painting order), then windowed ones.
    int ControlCount() const { return static_cast<int>(FControls.size() + FWinControls.size()); }
    TControl* Controls(int Index) const;
    void InsertControl(TControl* AControl);
    void RemoveControl(TControl* AControl);
    bool ContainsControl(TControl* Control);
    // The visible child (window or not) at a client point.
    TControl* ControlAtPos(const TPoint& Pos, bool AllowDisabled, bool AllowWinControls = false);
    void Broadcast(TMessage& Message);
    void NotifyControls(UINT Msg);
    void GetChildren(TGetChildProc Proc, TComponent* Root) override;

    // Layout
    void DisableAlign();
    void EnableAlign();
    void Realign();
    bool AlignDisabled() const { return FAlignLevel != 0; }
    virtual void AlignControls(TControl* AControl, TRect& Rect);
    virtual void AdjustClientRect(TRect& Rect);
    int BorderWidth() const { return FBorderWidth; }
    void SetBorderWidth(int Value);
    void SetBounds(int ALeft, int ATop, int AWidth, int AHeight) override;
    TRect GetClientRect() override;
    TPoint ClientOrigin() override;

    // Showing: the window is shown because the control and every parent are visible.
    bool Showing() const { return FShowing; }
    void UpdateControlState();

    // Focus and keyboard
    virtual bool CanFocus();
    virtual bool Focused();
    virtual void SetFocus();
    bool TabStop() const { return FTabStop; }
    void SetTabStop(bool Value);
    int TabOrder() const;
    void SetTabOrder(int Value);
    void GetTabOrderList(std::vector<TWinControl*>& List);
    TWinControl* FindNextControl(TWinControl* CurControl, bool GoForward, bool CheckTabStop,
                                 bool CheckParent);
    void SelectNext(TWinControl* CurControl, bool GoForward, bool CheckTabStop);
    // Key handling of WM_KEYDOWN / WM_CHAR / WM_KEYUP: the form's KeyPreview first, then
    // the control's own; True when the key was eaten.
    bool DoKeyDown(TMessage& Message);
    bool DoKeyPress(TMessage& Message);
    bool DoKeyUp(TMessage& Message);
    // A key message of a window the system made inside this control (a combo box's edit, a
    // tree's label edit): key messages through the key handling above, the reflected ones
    // (CN_KEYDOWN ...) to WndProc. True when the message was handled and goes no further.
    bool DoChildKeyMessage(TMessage& Message);

    // Painting: the window's own painting, then the children without windows over it.
    void PaintTo(HDC DC, int X, int Y);
    void PaintControls(HDC DC, TControl* First);
    HDC GetDeviceContext(HWND& WindowHandle) override;
    TBrush* Brush() const { return FBrush.get(); }
    void Invalidate() override;
    void Update() override;
    void Repaint() override;

    bool Ctl3D() const { return FCtl3D; }
    void SetCtl3D(bool Value);
    TBevelKind BevelKind() const { return FBevelKind; }
    void SetBevelKind(TBevelKind Value);
    TBevelCut BevelInner() const { return FBevelInner; }
    void SetBevelInner(TBevelCut Value);
    TBevelCut BevelOuter() const { return FBevelOuter; }
    void SetBevelOuter(TBevelCut Value);
    TBevelEdges BevelEdges() const { return FBevelEdges; }
    void SetBevelEdges(TBevelEdges Value);
    int BevelWidth() const { return FBevelWidth; }
    void SetBevelWidth(int Value);
    bool ParentBackground() const { return FControlStyle & csParentBackground; }
    void SetParentBackground(bool Value);
    bool DoubleBuffered() const { return FDoubleBuffered; }
    void SetDoubleBuffered(bool Value) { FDoubleBuffered = Value; }

    const TControlActionLinkClass* GetActionLinkClass() override;

    TNotifyEvent OnEnter;
    TNotifyEvent OnExit;
    TKeyEvent OnKeyDown;
    TKeyPressEvent OnKeyPress;
    TKeyEvent OnKeyUp;

protected:
    // Window creation and destruction
    virtual void CreateParams(TCreateParams& Params);
    // Params from a system window class (for example "EDIT"): the control's window is of
    // its own class with that class's attributes, and DefWndProc is the system procedure.
    void CreateSubClass(TCreateParams& Params, const char* ControlClassName);
    // The window's border for a control's BorderStyle: with bsSingle the sunken edge when
    // Ctl3D, else a plain line; none otherwise.
    void AddBorderStyle(TCreateParams& Params, TBorderStyle Style) const;
    virtual void CreateWnd();
    virtual void CreateWindowHandle(const TCreateParams& Params);
    virtual void DestroyWindowHandle();
    virtual void DestroyWnd();
    // For a destructor: marks the control as being destroyed and lets its window go now,
    // while the parts of the descendant its window's messages reach still exist.
    void DestroyWindowFirst();
    virtual void CreateHandle();
    void DestroyHandle();
    void UpdateShowing();
    void UpdateBounds();
    void SetZOrderPosition(int Position);

    virtual void KeyDown(uint16_t& Key, TShiftState Shift);
    virtual void KeyUp(uint16_t& Key, TShiftState Shift);
    virtual void KeyPress(char& Key);
    virtual void DoEnter();
    virtual void DoExit();
    virtual void PaintWindow(HDC DC);
    void PaintHandler(TMessage& Message);
    void AlignControl(TControl* AControl);
    void FontChanged(TObject* Sender) override;
    // A mouse message over (or captured by) a child without window goes to that child.
    bool IsControlMouseMsg(TMessage& Message);
    // Finds the child the message concerns and sends it as CN_*; False when none is ours.
    bool DoControlMsg(HWND ControlHandle, TMessage& Message);

    void WndProc(TMessage& Message) override;
    void Dispatch(TMessage& Message) override;
    // True for a WM_SETFOCUS the form refuses and a WM_KILLFOCUS while the control is moving
    // the focus itself: such a message goes no further.
    bool FocusMessageRefused(const TMessage& Message);
    // The answer to a colour message: DC takes the colours of the control's font and brush,
    // and the brush is the result.
    LRESULT ControlColors(HDC DC);

    // Messages of windowed controls
    // A child without window that holds the mouse hears that the press is cancelled.
    void CancelCaptureControl();
    void WMCaptureChanged(const TWMCaptureChanged& Changed);
    // A mouse message that a child without window answered (IsControlMouseMsg): True.
    bool ControlMouseMessage(TMessage& Message);
    // WM_PRINTCLIENT painted as WM_PAINT into the DC given.
    void WMPrintClient(TMessage& Message);
    // A colour question of a child of ours goes back to it reflected: True when it went.
    bool WMCtlColor(TMessage& Message);
    void WMPaint(TMessage& Message);
    // WMPaint of a control that paints itself and not only its children (csCustomPaint).
    void WMPaintSelf(TMessage& Message);
    void WMEraseBkgnd(TMessage& Message);
    void WMCommand(TMessage& Message);
    void WMNotify(TMessage& Message);
    void WMDrawItem(TMessage& Message);
    void WMMeasureItem(TMessage& Message);
    void WMCompareItem(TMessage& Message);
    void WMDeleteItem(TMessage& Message);
    void WMScroll(TMessage& Message);
    void WMSetCursor(TMessage& Message);
    void WMSetFocus(TMessage& Message);
    void WMKillFocus(TMessage& Message);
    void WMKeyDown(TMessage& Message);
    void WMKeyUp(TMessage& Message);
    void WMChar(TMessage& Message);
    void WMSysKeyDown(TMessage& Message);
    void WMSize(TMessage& Message);
    void WMMove(TMessage& Message);
    void WMWindowPosChanged(TMessage& Message);
    void WMDestroy(TMessage& Message);
    void WMNCDestroy(TMessage& Message);
    void WMContextMenu(TMessage& Message);
    void CNKeyDown(TMessage& Message);
    void CNChar(TMessage& Message);
    void CNSysChar(TMessage& Message);
    void CMEnabledChanged(TMessage& Message);
    void CMShowingChanged(TMessage& Message);
    void CMVisibleChanged(TMessage& Message);
    void CMColorChanged(TMessage& Message);
    void CMFontChanged(TMessage& Message);
    void CMTextChanged(TMessage&) {}
    void CMDialogChar(TMessage& Message);
    void CMDialogKey(TMessage& Message);
    void CMEnter(TMessage& Message);
    void CMExit(TMessage& Message);
    void CMFocusChanged(TMessage& Message);
    void CMRecreateWnd(TMessage& Message);
    void CMInvalidate(TMessage& Message);

    HWND FHandle = nullptr;
    HWND FParentWindow = nullptr;
    WNDPROC FDefWndProc = nullptr;
    WNDPROC FObjectInstance = nullptr;
    std::vector<TControl*> FControls;       // children without windows
    std::vector<TWinControl*> FWinControls; // windowed children
    std::vector<TControl*> FTabList;        // windowed children in tab order
    std::unique_ptr<TBrush> FBrush;
    bool FShowing = false;
    bool FTabStop = false;
    bool FCtl3D = true;
    bool FDoubleBuffered = false;
    int FAlignLevel = 0;
    int FBorderWidth = 0;
    TBevelKind FBevelKind = bkNone;
    TBevelCut FBevelInner = bvRaised;
    TBevelCut FBevelOuter = bvLowered;
    TBevelEdges FBevelEdges = beLeft | beTop | beRight | beBottom;
    int FBevelWidth = 1;

private:
    friend class TControl;
    bool DoKeyMessage(TMessage& Message, bool (TWinControl::*Preview)(TMessage&),
                      void (TWinControl::*Handler)(uint16_t&, TShiftState));
    void Insert(TControl* AControl);
    void Remove(TControl* AControl);
    void BrushChanged(TObject*) { Invalidate(); }
};

// ---------------------------------------------------------------------------------------
// Drawing on a control: the canvas takes the control's DC when first drawn on and lets it go
// after the message that drew (or when the control's window goes).

class TControlCanvas : public TCanvas {
    Z_CLASS(TControlCanvas, TCanvas)
public:
    TControlCanvas() = default;
    ~TControlCanvas() override;
    TControl* Control() const { return FControl; }
    void SetControl(TControl* AControl);
    void FreeHandle();
    // ETO_RTLREADING when the control reads right to left.
    void UpdateTextFlags();

protected:
    void CreateHandle() override;

private:
    TControl* FControl = nullptr;
    HDC FDeviceContext = nullptr;
    HWND FWindowHandle = nullptr;
};

// A caption as painting code sees it: it draws itself into a rectangle of a DC with DrawText
// flags, or measures itself with DT_CALCRECT. The library's captions are ANSI; a layer above
// hands its own kind of text to the same painting code.
class TCaptionText {
public:
    virtual ~TCaptionText() = default;
    virtual bool IsEmpty() const = 0;
    virtual void DrawText(HDC DC, TRect& R, UINT Flags) const = 0;
    // The size of the text drawn with Flags (DT_CALCRECT is added) from a rectangle
    // MaxWidth wide; (0, 0) for an empty text.
    TSize Extent(HDC DC, UINT Flags, int MaxWidth = 0) const;
};

class TAnsiCaptionText : public TCaptionText {
public:
    explicit TAnsiCaptionText(AnsiString Text) : FText(std::move(Text)) {}
    bool IsEmpty() const override { return FText.empty(); }
    void DrawText(HDC DC, TRect& R, UINT Flags) const override;

private:
    AnsiString FText;
};

// A control without a window: painted by its parent into the parent's DC.
// A setter of a window style: the value is stored, and a changed one makes a new window.
template <class T, class U> void RecreateOnChange(TWinControl* Control, T& Field, const U& Value)
{
    if (StoreChanged(Field, Value))
        Control->RecreateWnd();
}

class TGraphicControl : public TControl {
    Z_CLASS(TGraphicControl, TControl)
public:
    explicit TGraphicControl(TComponent* AOwner);
    ~TGraphicControl() override;
    TCanvas* Canvas() const { return FCanvas.get(); }

protected:
    virtual void Paint() {}
    void Dispatch(TMessage& Message) override;
    void WMPaint(TMessage& Message);

private:
    std::unique_ptr<TControlCanvas> FCanvas;
};

// A windowed control that paints itself on its canvas.
class TCustomControl : public TWinControl {
    Z_CLASS(TCustomControl, TWinControl)
public:
    explicit TCustomControl(TComponent* AOwner);
    ~TCustomControl() override;
    TCanvas* Canvas() const { return FCanvas.get(); }

protected:
    virtual void Paint() {}
    void PaintWindow(HDC DC) override;
    void Dispatch(TMessage& Message) override;

private:
    std::unique_ptr<TControlCanvas> FCanvas;
};

// ---------------------------------------------------------------------------------------
// The hint window: a popup with a border, in the hint colour, showing one text.

class THintWindow : public TCustomControl {
    Z_CLASS(THintWindow, TCustomControl)
public:
    explicit THintWindow(TComponent* AOwner);
    // Shows the window at Rect (screen) with the text.
    virtual void ActivateHint(TRect Rect, const AnsiString& AHint);
    virtual void ActivateHintData(TRect Rect, const AnsiString& AHint, void* AData);
    // The rectangle the text needs, at most MaxWidth wide, at (0, 0).
    virtual TRect CalcHintRect(int MaxWidth, const AnsiString& AHint, void* AData);
    virtual bool IsHintMsg(const MSG& Msg);
    // Hides the window and lets its handle go.
    void ReleaseHandle();
    bool Activating() const { return FActivating; }

protected:
    void CreateParams(TCreateParams& Params) override;
    void Paint() override;
    void Dispatch(TMessage& Message) override;
    // Sized to the text, except while ActivateHint places it itself.
    void CMTextChanged(TMessage& Message);
    bool FActivating = false;
};

// ---------------------------------------------------------------------------------------
// Finding controls

// The control of a window of this process made by the library (through its window
// properties), or nullptr.
TWinControl* FindControl(HWND Handle);
// The control under a screen point: the deepest windowed control, then its child without
// window at that point when AllowDisabled or it is enabled.
TControl* FindDragTarget(const TPoint& Pos, bool AllowDisabled);
TControl* GetCaptureControl();
void SetCaptureControl(TControl* Control);
// The form a control sits on (its top parent when that is a form), or nullptr.
TCustomForm* GetParentForm(TControl* Control);
// True when the message is one the system sends a window about its own text.
bool IsWindowTextMsg(UINT Msg);

// ---------------------------------------------------------------------------------------
// Window creation: the library's initial window procedure and the control being created.

// The first procedure of every window the library makes: stores the handle in
// CreationControl, installs its object instance as the window's procedure, gives a child
// window without an identifier its own handle as identifier, sets the two window properties
// that FindControl reads, clears CreationControl and passes the message on.
LRESULT CALLBACK InitWndProc(HWND HWindow, UINT Message, WPARAM WParam, LPARAM LParam);
// The control whose window is being created (set by CreateWnd, cleared by InitWndProc).
extern TWinControl* CreationControl;
// Window properties that hold the control of a window: "Velkor%.8X" (process id) and
// "ControlOfs%.8X%.8X" (module instance, thread id).
extern ATOM WindowAtom;
extern ATOM ControlAtom;
// Window message that asks a control window for its object ("ControlOfs..." registered).
extern UINT RM_GetObjectInstance;

// ---------------------------------------------------------------------------------------
// What controls ask of menus and actions, units built on this one. They fill these when
// they start; left empty, controls have no action and no popup menu.

struct TControlHooks {
    // Actions: SetAction (link made by GetActionLinkClass, tied to the action, handed to the
    // control with SetActionLink, ActionChange, free notification), the action of a link,
    // freeing a link, TControl's own ActionChange (caption, enabled, hint, visible, click
    // handler of a custom action), Click through a link (True when the link executed the
    // action; False lets the control's OnClick run, as when it differs from the action's
    // OnExecute), update of a link, and the link classes of TControl and TWinControl.
    void (*SetAction)(TControl* Control, TBasicAction* Value) = nullptr;
    TBasicAction* (*LinkAction)(TControlActionLink* Link) = nullptr;
    void (*FreeLink)(TControlActionLink* Link) = nullptr;
    void (*ActionChange)(TControl* Control, TObject* Sender, bool CheckDefaults) = nullptr;
    bool (*ExecuteLink)(TControlActionLink* Link, TControl* Control) = nullptr;
    void (*UpdateLink)(TControlActionLink* Link) = nullptr;
    const TControlActionLinkClass* ControlLinkClass = nullptr;
    const TControlActionLinkClass* WinControlLinkClass = nullptr;
    // Popup menus: the menu as a component (for free notification) and showing it at a
    // screen point for a control.
    TComponent* (*PopupMenuComponent)(TPopupMenu* Menu) = nullptr;
    void (*Popup)(TPopupMenu* Menu, int X, int Y, TControl* PopupComponent) = nullptr;
};
extern TControlHooks ControlHooks;

// Start-up and end of the control unit: window properties, registered messages. Called by
// InitForms / DoneForms.
void InitControls();
void DoneControls();
