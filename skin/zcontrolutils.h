// The engine's private message SM_SKINCMD: its sub-commands and the routines that send it to
// windows and controls, ask them questions with it and carry it down a parent's controls.
//
// The sub-command travels in the high word of WParam, a small argument in its low word, a
// pointer argument (a manager, a control, a bitmap) in LParam. Every receiver reads it as a
// TWMSkinCommand and answers through its Answer, which serves both askers: one that delivered
// it in-process (WindowProc, Perform) reads the record's LParam, one that sent it the result.
#pragma once

#include "classlib/controls.h"
#include "classlib/msgrecords.h"
#include "skin/zskinservices.h"

class TzCommonData;
class TCustomForm;

// Sub-commands (the high word of WParam).
enum : uint16_t {
    SKCMD_NEWSKIN = 1,            // LParam: the manager that applied a skin
    SKCMD_SKINREMOVED = 2,        // LParam: the manager that removed its skin
    SKCMD_REFRESH = 3,            // LParam: the manager (0 from fades)
    SKCMD_GETPROVIDER = 4,        // result: the form's provider
    SKCMD_GETBGIMAGE = 5,
    SKCMD_ENDPARENTUPDATE = 6,
    SKCMD_ISSKINNED = 7,          // answer 1: the receiver skins itself
    SKCMD_SETUPDATING = 8,
    SKCMD_SETSEETHROUGH = 9,
    SKCMD_ISUPDATING = 10,
    SKCMD_ISOUTOFCLIP = 11,
    SKCMD_PARENTBGCHANGED = 12,
    SKCMD_INVALIDATESECTION = 13,
    SKCMD_ISDROPPEDDOWN = 14,     // answer: the receiver's drop-down list is open (menus ask)
    SKCMD_SETPAINTINGCHILD = 15,
    SKCMD_FADEDONE = 16,
    SKCMD_BGCHANGED = 17,
    SKCMD_ISIMAGEBG = 19,
    SKCMD_REPAINTCHILDREN = 20,
    SKCMD_GETBGCOLOR = 21,
    SKCMD_OUTOFCLIP = 22,
    SKCMD_PREPARECACHE = 23,
    SKCMD_SHOWFADEFRAME = 24,
    SKCMD_CONTROLLOADED = 25,
    SKCMD_GETDISABLEDKIND = 26,
    SKCMD_GETCAPTIONHEIGHT = 27,
    SKCMD_ACTIVATED = 29,         // LParam: the manager; the window is its active control now
    SKCMD_DEACTIVATED = 30,       // LParam: the manager; the window stopped being it
    SKCMD_BEGINUPDATE = 31,
    SKCMD_ENDUPDATE = 32,
    SKCMD_BEFORESCROLL = 51,      // a skinned bar is about to send the window a scroll request
    SKCMD_AFTERSCROLL = 52,       // it was sent; LParam: MAKELONG(request code, WM_HSCROLL / WM_VSCROLL)
    // The names the protocol's table gives the last three.
    SKCMD_MENUCMD14 = SKCMD_ISDROPPEDDOWN,
    SKCMD_SCROLL51 = SKCMD_BEFORESCROLL,
    SKCMD_SCROLL52 = SKCMD_AFTERSCROLL,
};

// The WParam of a sub-command with its low-word argument.
constexpr WPARAM SkinCommandWParam(uint16_t Command, uint16_t Arg = 0)
{
    return (WPARAM(Command) << 16) | Arg;
}

// The skin command of a skin's coming, going or refresh (SKCMD_NEWSKIN, SKCMD_SKINREMOVED,
// SKCMD_REFRESH) names the receiver's own manager; with ZeroToo a refresh that names none
// (a fade's) counts as well.
bool FromOwnManager(const TMessage& Message, const TzCommonData* SkinData, bool ZeroToo = false);

// SendMessage(Wnd, SM_SKINCMD, Command << 16, LParam).
LRESULT SendCommandToWindow(HWND Wnd, uint16_t Command, LPARAM LParam);
// A non-windowed control gets it by Perform; a windowed one by SendMessage only when it is
// not being destroyed and its window exists (none is made for it); otherwise 0. Arg is the
// low word of WParam.
LRESULT SendCommandToControl(TControl* Control, uint16_t Command, LPARAM LParam, uint16_t Arg = 0);
// The control's WindowProc is asked first (the answer in the record); otherwise its window,
// when it has one, by SendMessage. True when the answer is 1.
bool AskControlCommand(TControl* Control, uint16_t Command);
// SendMessage once; True when the result is 1.
bool AskWindowCommand(HWND Wnd, uint16_t Command);
// The message goes down the parent's child controls in order, stopping at the first child
// that is being destroyed: a non-windowed child gets it by Perform, a windowed child that
// skins itself (answers SKCMD_ISSKINNED) by SendMessage, or through its WindowProc while it
// has no window (none is made for it: a hidden control must still follow the skin), and any
// other windowed child passes it on to its own children. Children added or freed on the way
// are taken as they come: a child that is gone when its turn comes is passed over.
void BroadcastToControls(TWinControl* Parent, const TMessage& Message);

// ---------------------------------------------------------------------------------------
// Answers that travel through shared variables (user-interface thread only): the asker
// resets, sends and reads them with nothing in between, and hands the answer on as a value
// (painters never read these).

// The answer to SKCMD_GETBGIMAGE: the parent's cache, where the child lies in it, Ready.
extern TzCacheInfo SharedCacheInfo;
// The answer to SKCMD_GETBGCOLOR; SkinKeyColor when unset.
extern TColor SharedParentColor;
// The section whose controls SKCMD_INVALIDATESECTION repaints (upper case).
extern AnsiString InvalidatedSectionName;

// ---------------------------------------------------------------------------------------
// Control utilities

// SKCMD_ENDPARENTUPDATE to every child that is not a graphic control: windowed ones by
// SendMessage when their window exists, others by Perform.
void SendEndParentUpdate(TWinControl* Parent);
// SKCMD_ENDPARENTUPDATE to every child window (WS_CHILD) of the window.
void SendEndParentUpdateToWindows(HWND Wnd);
// The parent's background colour (SKCMD_GETBGCOLOR, else its Color) as RGB.
TColor QueryParentColor(TWinControl* Parent);
// SKCMD_CONTROLLOADED with the control to its parent form, unless designed.
void AnnounceControlToForm(TControl* Control);
// The guard of every skinned window procedure: the control exists, has its window when it
// is windowed, is not being created, read, loaded or destroyed, and has a parent.
bool IsControlReady(TControl* Control);
// The nearest form among the control and its parents.
TCustomForm* FindParentForm(TControl* Control);
// DrawText flags of an alignment, with DT_EXPANDTABS | DT_VCENTER, in the control's reading
// order.
UINT AlignmentToTextFlags(TControl* Control, int Alignment);
// The form's skin provider (a component of the form), or none.
TComponent* FindFormSkinProvider(TCustomForm* Form);
// Sum of the heights (alTop, alBottom) or widths (alLeft, alRight) of visible children of
// that alignment; graphic children only WithGraphic.
int SumAlignedChildSizes(TWinControl* Parent, TAlign Align, bool WithGraphic);
// The desktop's work area.
void GetWorkArea(TRect& R);
// The visible graphic children of a self-painting parent, painted over the parent's image
// into DC at Offset.
void PaintGraphicChildren(TWinControl* Parent, HDC DC, TPoint Offset);

// The visual-styles library's SetWindowTheme, when the system has it (null otherwise);
// ThemesActive tells whether the platform's visual styles are on.
using TSetWindowTheme = HRESULT(WINAPI*)(HWND, LPCWSTR, LPCWSTR);
extern TSetWindowTheme SetWindowThemeProc;
bool ThemesActive();
// Loads and frees the visual-styles library; called by InitSkinEngine / DoneSkinEngine.
void InitControlUtils();
void DoneControlUtils();

// ---------------------------------------------------------------------------------------
// The common handling of every skinned window procedure: first of all, the control's own
// window procedure runs this; True means the message was handled and goes no further.
bool CommonMessageHandler(TMessage& Message, TzCommonData* SkinData);
// The SM_SKINCMD part of it; False for other messages and sub-commands past SKCMD_OUTOFCLIP.
bool HandleSkinCommand(TMessage& Message, TzCommonData* SkinData);
// A control whose colours the skin commands set themselves (an edit, a memo, a combo box, a
// list box): the section's colours with a skin, the window's plain colours when the skin goes.
bool IsEditLike(const TzCommonData* SkinData);

// ---------------------------------------------------------------------------------------
// Tells whether a component was freed since the watch began: a window procedure reached by a
// broadcast may free what the broadcast is about to use next.
class TSkFreeWatch : public TComponent {
public:
    explicit TSkFreeWatch(TComponent* Target);
    ~TSkFreeWatch() override;
    bool Freed() const { return !FTarget; }
    TComponent* Target() const { return FTarget; }

protected:
    void Notification(TComponent* AComponent, TOperation Operation) override;

private:
    TComponent* FTarget;
};
