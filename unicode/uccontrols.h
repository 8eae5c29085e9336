// Unicode windows and UTF-16 text for the library's controls: a control gets a window of a
// Unicode class ("<class name>.UnicodeClass") whose messages pass a trap that keeps the
// library's ANSI text handling working, its caption and hint are read and written as wide
// text (kept in a store object while there is no Unicode window), a Unicode hint window
// shows wide hints, and WM_CHAR carries characters above 255 through the library's 8-bit
// key handling.
#pragma once

#include "classlib/controls.h"
#include "unicode/ucclasses.h"

#include <cstdint>

// ---------------------------------------------------------------------------------------
// Store objects of controls

// The wide text and wide hint of a control that has no Unicode window (or no window at all).
// Made on demand by FindWideControlHelper, freed with its control.
class TWideControlHelper : public TWideComponentHelper {
    Z_CLASS(TWideControlHelper, TWideComponentHelper)
public:
    TWideControlHelper(TWideComponentHelperList* List, TControl* AControl);
    TControl* Control() const { return FControl; }
    // Numbers each store object of the program run once: a control that takes the place
    // (address) of a freed one gets a store object with another number.
    uint32_t Serial() const { return FSerial; }

    WideString StoredWideText;
    WideString StoredWideHint;

private:
    TControl* FControl;
    uint32_t FSerial;
};

// The store object of Control; made when missing and CreateIfMissing is set, else null.
// Before InitUcControls (or after DoneUcControls) there are no store objects: null, and
// EUcInternalError when one would have to be made.
TWideControlHelper* FindWideControlHelper(TControl* Control, bool CreateIfMissing);

// ---------------------------------------------------------------------------------------
// Text and hint of any control

// On NT: the text of a Unicode window as the window has it; of a window that is not
// Unicode, its ANSI text widened; of a control without a window, its store object's text
// while its ANSI form still equals the control's ANSI text, else the ANSI text widened.
// Other platforms: the ANSI text widened.
WideString GetControlWideText(TControl* Control);
// On NT a Unicode window takes a text that differs from its own and the control gets
// CM_TEXTCHANGED (an equal text changes nothing); a window that is not Unicode takes the
// ANSI form; a control without a window keeps the text in its store object.
void SetControlWideText(TControl* Control, const WideString& Text);
// The store object keeps Text and the control's ANSI text becomes its ANSI form.
void StoreControlWideText(TControl* Control, const WideString& Text);
WideString GetControlWideHint(TControl* Control);
void SetControlWideHint(TControl* Control, const WideString& Text);

// The stored tests of the wide Caption and Hint of every Unicode control: True unless an
// action link supplies them.
bool IsWideCaptionStored(TControl* Control);
bool IsWideHintStored(TControl* Control);

// The hint before the first "|" and after it; the whole hint when there is no "|".
WideString WideShortHintPart(const WideString& Hint);
WideString WideLongHintPart(const WideString& Hint);
// The first non-empty wide hint of the control or, going up, of its parents.
WideString GetWideHintOfChain(TControl* Control);

// ---------------------------------------------------------------------------------------
// Unicode windows

// The first procedure of every Unicode window: the control the library marked as being
// created (CreationControl) gets the window, a trap's message entry becomes the window's
// procedure, a child window without an identifier gets its own handle as identifier, the
// window properties name the control.
LRESULT CALLBACK UnicodeInitialWindowProc(HWND Wnd, UINT Msg, WPARAM WParam, LPARAM LParam);

// Registers "<Params' class name>.UnicodeClass" (returned in ClassName) in the program's
// instance from Params' class record, with UnicodeInitialWindowProc or, with UseSystemProc,
// the library's InitWndProc. A class of that name with another procedure is unregistered
// first. Failures raise the last OS error.
void RegisterUnicodeWindowClass(const TCreateParams& Params, WideString& ClassName, bool UseSystemProc);

// The CreateWindowHandle of every Unicode control. On NT the window is of the Unicode class,
// its default procedure is that of the system class SubClass ("EDIT", "BUTTON" ...; empty
// for a plain window) and it is subclassed (SubClassUnicodeControl). UseSystemProc makes
// the window's procedure the library's own one. Other platforms: the ANSI window of Params.
// A control that is being destroyed is refused (EUcInternalError); a window that cannot be
// made raises the last OS error.
void CreateUnicodeWindowHandle(TWinControl* Control, const TCreateParams& Params, const WideString& SubClass,
                               bool UseSystemProc);

// Puts a trap between the Unicode window of Control and the library, and gives the window
// the control's wide text (its store object's, else Caption widened). EUcInternalError
// "Internal Error: SubClassUnicodeControl.Control is not Unicode." for another window.
void SubClassUnicodeControl(TWinControl* Control, const AnsiString& Caption, bool UseSystemProc);

// The control whose Unicode window CreateUnicodeWindowHandle is making (null otherwise):
// WM_NOTIFYFORMAT from its window is answered Unicode.
TWinControl* WindowBeingCreated();

// ---------------------------------------------------------------------------------------
// The trap: what lies between a Unicode window and the library.
//
// Messages from the system pass the trap's window procedure (noting the message) to the
// control. Messages from the library pass the trap's WindowProc: a text message that did
// not come from the window is sent to it as ANSI, so that the system converts the library's
// ANSI text; WM_CHAR is packed for the 8-bit key handling. What the library leaves goes to
// the trap's default procedure, which answers WM_NOTIFYFORMAT, unpacks WM_CHAR and passes
// on to the control's previous default procedure. WM_DESTROY takes the trap off, keeping
// the wide text for a window made again.

class TWinControlTrap : public TComponent {
    Z_CLASS(TWinControlTrap, TComponent)
public:
    // EUcInternalError "Internal Error: Can not subclass a control while it's being
    // destroyed: <name> (<class name>)" for a control that is going.
    explicit TWinControlTrap(TWinControl* AControl);
    ~TWinControlTrap() override;

    TWinControl* Control() const { return FControl; }
    HWND Handle() const { return FHandle; }
    // The three entries: the control's messages from the window, the trap's window
    // procedure and the trap's default procedure.
    WNDPROC ControlEntry() const { return FControlEntry; }
    WNDPROC WindowProcEntry() const { return FWindowProcEntry; }
    WNDPROC DefWindowProcEntry() const { return FDefProcEntry; }
    // The method the trap puts into the control's WindowProc.
    TWndMethod WindowProcMethod() { return MakeMethod<&TWinControlTrap::WindowProc>(this); }

protected:
    void Notification(TComponent* AComponent, TOperation Operation) override;

private:
    // The unit's routines that find, start and end traps.
    friend struct TWinControlTrapAccess;

    void Subclass(const AnsiString& Caption);
    void TakeOff(bool KeepText);
    // Frees the trap, or keeps it while something still calls into it.
    void Release();
    void FreeWhenDone();
    bool InWindowProcChain();

    void ControlMessage(TMessage& Message);
    void WindowProcedure(TMessage& Message);
    void WindowProc(TMessage& Message);
    void DefaultProcedure(TMessage& Message);
    LRESULT PassOn(const TMessage& Message) const;

    TWinControl* FControl;
    WNDPROC FControlEntry = nullptr;
    WNDPROC FWindowProcEntry = nullptr;
    WNDPROC FDefProcEntry = nullptr;
    HWND FHandle = nullptr;
    WNDPROC FPrevWindowProc = nullptr;     // the window's procedure before the trap's
    WNDPROC FPrevDefWndProc = nullptr;     // the control's default procedure before the trap's
    TWndMethod FPrevWindowProcMethod;      // the control's WindowProc before the trap's
    UINT FCurrentMessage = 0;              // passing the window procedure, 0 when none
    int32_t FDepth = 0;                    // calls of the window procedure under way
    uint32_t FSerial = 0;                  // the control's store object while free-listed
    bool FWindowHooked = false;            // the window's procedure is the trap's
    bool FMethodHooked = false;            // the trap's WindowProc is in the control's chain
    bool FPending = false;                 // its control entry serves a window not yet subclassed
    bool FSubclassed = false;              // between Subclass and TakeOff
    bool FFreeWhenDone = false;
    bool FTestMode = false;
    bool FTestAnswer = false;
};

// The trap subclassing the control's window now, or null.
TWinControlTrap* FindWinControlTrap(TWinControl* Control);
// Traps alive, and those kept for reuse by their control: for diagnostics and tests.
int WinControlTrapCount();
int FreeWinControlTrapCount();

// ---------------------------------------------------------------------------------------
// Hints

// The CM_HINTSHOW handling of every Unicode control on NT: the plain THintWindow class in
// the hint info becomes TUcCustomHintWindow; for a TUcCustomHintWindow class the hint data
// points to the hint info itself and the hint string is the ANSI form of the control's wide
// short hint. Other hint-window classes are left alone.
void HandleHintShowWide(TMessage& Message);

// The wide text of a hint: the hint string widened, or the control's wide short hint when
// its ANSI form is the hint string, or that followed by " (<shortcut>)" when the hint string
// shows the shortcut of the control's action.
WideString WideHintTextOfHintInfo(const THintInfo& HintInfo);

// The wide text of a shortcut (a TShortCut), for hints that show their action's shortcut.
// The Unicode menus unit sets it at its start-up; while it is empty, the library's ANSI
// text of the shortcut is widened.
extern WideString (*UcShortCutToWideText)(uint16_t ShortCut);

class TUcCustomHintWindow : public THintWindow {
    Z_CLASS(TUcCustomHintWindow, THintWindow)
public:
    explicit TUcCustomHintWindow(TComponent* AOwner) : THintWindow(AOwner) {}
    void ActivateHint(TRect Rect, const AnsiString& AHint) override;
    void ActivateHintData(TRect Rect, const AnsiString& AHint, void* AData) override;
    TRect CalcHintRect(int MaxWidth, const AnsiString& AHint, void* AData) override;

protected:
    void CreateWindowHandle(const TCreateParams& Params) override;
    void Paint() override;
    void Dispatch(TMessage& Message) override;

private:
    bool FHintActivating = false;
    bool FPaintInherited = false;
};

// ---------------------------------------------------------------------------------------
// WM_CHAR with characters above 255: the record's code word holds 255 and the character
// rides in the unused word above it, so that the library's 8-bit key handling passes it.

// Packs a character above 255. A message that is no WM_CHAR is left alone; a message that
// is already packed stays as it is; anything else in the unused word (any process may send
// such a message) is cleared first.
void PackWideCharMessage(TMessage& Message);
// The character goes back into the code word; the unused word becomes 0.
void UnpackWideCharMessage(TMessage& Message);
WideChar WideCharOfCharMessage(const TMessage& Message);
void SetWideCharOfCharMessage(TMessage& Message, WideChar Ch);
// WM_SETTEXT, WM_GETTEXT and WM_GETTEXTLENGTH.
bool IsWindowTextMessage(UINT Msg);

// ---------------------------------------------------------------------------------------
// Start-up and program end: the window-property atoms, the store-object and trap lists.
// At program end the traps let the library's objects alone: only WM_DESTROY is looked at.

void InitUcControls();
void DoneUcControls();
// The window-property atoms, the same the library uses to find the control of a window.
extern ATOM UcWindowAtom;
extern ATOM UcControlAtom;
