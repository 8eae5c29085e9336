// The frequent messages read as records with named fields, so a handler says what it reads
// instead of unpacking WParam and LParam by hand. Each record is made from the message:
//
//     void TzButton::WMLButtonDown(TMessage& Message)
//     {
//         TWMMouse m(Message);
//         if (ButtonRect().Contains(m.Pos())) ...
//
// Coordinates are signed: a point left of or above a window (a mouse captured outside it, a
// second monitor to the left) comes out negative, not as 65535. The records only read;
// results still go into Message.Result.
#pragma once

#include "classlib/graphics.h"
#include "classlib/messages.h"

#include <cstdint>

namespace zmsg {
inline int SignedLo(LPARAM L) { return static_cast<int16_t>(LOWORD(L)); }
inline int SignedHi(LPARAM L) { return static_cast<int16_t>(HIWORD(L)); }
} // namespace zmsg

// WM_MOUSEMOVE and the button messages: the MK_ keys held, the point in client coordinates.
struct TWMMouse {
    uint16_t Keys;
    int XPos;
    int YPos;
    explicit TWMMouse(const TMessage& M)
        : Keys(M.WParamLo()), XPos(zmsg::SignedLo(M.LParam)), YPos(zmsg::SignedHi(M.LParam))
    {
    }
    TPoint Pos() const { return TPoint(XPos, YPos); }
};

// WM_CONTEXTMENU: the window clicked and the point in screen coordinates, (-1, -1) when the
// menu was asked for from the keyboard.
struct TWMContextMenu {
    HWND Wnd;
    int XPos;
    int YPos;
    explicit TWMContextMenu(const TMessage& M)
        : Wnd(reinterpret_cast<HWND>(M.WParam)), XPos(zmsg::SignedLo(M.LParam)), YPos(zmsg::SignedHi(M.LParam))
    {
    }
    TPoint Pos() const { return TPoint(XPos, YPos); }
    bool FromKeyboard() const { return XPos == -1 && YPos == -1; }
};

// WM_KEYDOWN, WM_KEYUP, WM_CHAR and their system forms: the key or character code in the low
// word of WParam (the word above is left alone: the Unicode layer carries a wide character
// there), the repeat count, scan code and flags in KeyData.
struct TWMKey {
    uint16_t CharCode;
    int32_t KeyData;
    explicit TWMKey(const TMessage& M) : CharCode(M.WParamLo()), KeyData(static_cast<int32_t>(M.LParam)) {}
};

// WM_SIZE: how the window was sized (SIZE_RESTORED ...) and the new client size.
struct TWMSize {
    UINT SizeType;
    int Width;
    int Height;
    explicit TWMSize(const TMessage& M)
        : SizeType(static_cast<UINT>(M.WParam)), Width(M.LParamLo()), Height(M.LParamHi())
    {
    }
};

// WM_WINDOWPOSCHANGING and WM_WINDOWPOSCHANGED: the position record, which a handler of the
// first may change. Null when the message was sent without one (Perform by the library).
struct TWMWindowPosMsg {
    WINDOWPOS* WindowPos;
    explicit TWMWindowPosMsg(const TMessage& M) : WindowPos(reinterpret_cast<WINDOWPOS*>(M.LParam)) {}
};

// WM_PAINT: the DC to paint into when the sender gives one (a parent painting its children,
// a double-buffered paint, WM_PRINTCLIENT passed on); null when the window must BeginPaint.
struct TWMPaint {
    HDC DC;
    explicit TWMPaint(const TMessage& M) : DC(reinterpret_cast<HDC>(M.WParam)) {}
};

// WM_DRAWITEM: the identifier of the control (0 for a menu) and the drawing record.
struct TWMDrawItem {
    UINT Ctl;
    DRAWITEMSTRUCT* DrawItemStruct;
    explicit TWMDrawItem(const TMessage& M)
        : Ctl(static_cast<UINT>(M.WParam)), DrawItemStruct(reinterpret_cast<DRAWITEMSTRUCT*>(M.LParam))
    {
    }
};

// WM_NOTIFY: the identifier of the control and its notification header (whose code says
// which notification, and which larger record the header begins).
struct TWMNotify {
    int IDCtrl;
    NMHDR* NMHdr;
    explicit TWMNotify(const TMessage& M)
        : IDCtrl(static_cast<int>(M.WParam)), NMHdr(reinterpret_cast<NMHDR*>(M.LParam))
    {
    }
    UINT Code() const { return NMHdr ? NMHdr->code : 0; }
};

// The skin engine's private command message (SM_SKINCMD): the sub-command in the high word of
// WParam, a small argument in its low word, a pointer argument (a manager, a control, a
// bitmap) in LParam. The one record that also answers: an asker that delivered the message
// in-process (WindowProc, Perform) reads the record's LParam, one that sent it reads the
// result, so Answer sets both. Param keeps the argument the message came with.
struct TWMSkinCommand {
    TMessage& Message;
    uint16_t Command;
    uint16_t Arg;
    LPARAM Param;
    explicit TWMSkinCommand(TMessage& M) : Message(M), Command(M.WParamHi()), Arg(M.WParamLo()), Param(M.LParam) {}
    template <class T> T* ParamAs() const { return reinterpret_cast<T*>(Param); }
    void Answer(LRESULT Value)
    {
        Message.LParam = Value;
        Message.Result = Value;
    }
    // What the receiver answered (after delivery in-process).
    LRESULT Answered() const { return Message.LParam; }
};

// WM_SETTEXT: the new text, null for none. The same pointer read both ways: Text for the
// "A" windows of the library, WideText for a Unicode window.
struct TWMSetText {
    const char* Text;
    const wchar_t* WideText;
    explicit TWMSetText(const TMessage& M)
        : Text(reinterpret_cast<const char*>(M.LParam)), WideText(reinterpret_cast<const wchar_t*>(M.LParam))
    {
    }
};

// WM_COMMAND: the identifier of the item or control, the notification code (0 for a menu,
// 1 for an accelerator, BN_CLICKED ... for a control) and the control's window.
struct TWMCommand {
    uint16_t ItemID;
    uint16_t NotifyCode;
    HWND Ctl;
    explicit TWMCommand(const TMessage& M)
        : ItemID(M.WParamLo()), NotifyCode(M.WParamHi()), Ctl(reinterpret_cast<HWND>(M.LParam))
    {
    }
};

// WM_HSCROLL and WM_VSCROLL: the request (SB_LINEUP ...), the 16-bit thumb position of
// SB_THUMBTRACK and SB_THUMBPOSITION, and the scroll-bar control (null for a window's own bar).
struct TWMScroll {
    uint16_t ScrollCode;
    uint16_t Pos;
    HWND ScrollBar;
    explicit TWMScroll(const TMessage& M)
        : ScrollCode(M.WParamLo()), Pos(M.WParamHi()), ScrollBar(reinterpret_cast<HWND>(M.LParam))
    {
    }
};

// WM_MOUSEWHEEL (and the library's CM_MOUSEWHEEL): the MK_ keys held, the signed distance in
// WHEEL_DELTA units (positive away from the user), the pointer in screen coordinates.
struct TWMMouseWheel {
    uint16_t Keys;
    int WheelDelta;
    int XPos;
    int YPos;
    explicit TWMMouseWheel(const TMessage& M)
        : Keys(M.WParamLo()), WheelDelta(static_cast<int16_t>(M.WParamHi())), XPos(zmsg::SignedLo(M.LParam)),
          YPos(zmsg::SignedHi(M.LParam))
    {
    }
    TPoint Pos() const { return TPoint(XPos, YPos); }
};

// WM_NCHITTEST: the point asked about, in screen coordinates.
struct TWMNCHitTest {
    int XPos;
    int YPos;
    explicit TWMNCHitTest(const TMessage& M) : XPos(zmsg::SignedLo(M.LParam)), YPos(zmsg::SignedHi(M.LParam)) {}
    TPoint Pos() const { return TPoint(XPos, YPos); }
};

// WM_NCMOUSEMOVE and the non-client button messages: what the window answered to the hit test
// there (HTCAPTION, HTVSCROLL ...) and the point in screen coordinates.
struct TWMNCMouse {
    UINT HitTest;
    int XPos;
    int YPos;
    explicit TWMNCMouse(const TMessage& M)
        : HitTest(static_cast<UINT>(M.WParam)), XPos(zmsg::SignedLo(M.LParam)), YPos(zmsg::SignedHi(M.LParam))
    {
    }
    TPoint Pos() const { return TPoint(XPos, YPos); }
};

// WM_NCCALCSIZE: the window rectangle the handler turns into the client rectangle (the first
// of NCCALCSIZE_PARAMS when CalcValidRects); null when the message came without one.
struct TWMNCCalcSize {
    bool CalcValidRects;
    RECT* Rect;
    explicit TWMNCCalcSize(const TMessage& M)
        : CalcValidRects(M.WParam != 0), Rect(reinterpret_cast<RECT*>(M.LParam))
    {
    }
};

// WM_STYLECHANGING and WM_STYLECHANGED: which style (GWL_STYLE or GWL_EXSTYLE) and its old and
// new values (null when sent without them).
struct TWMStyleChange {
    int StyleType;
    STYLESTRUCT* Style;
    explicit TWMStyleChange(const TMessage& M)
        : StyleType(static_cast<int>(M.WParam)), Style(reinterpret_cast<STYLESTRUCT*>(M.LParam))
    {
    }
};

// WM_SYSCOMMAND: the command (SC_CLOSE ...), the four low bits the system uses itself left out.
struct TWMSysCommand {
    UINT CmdType;
    explicit TWMSysCommand(const TMessage& M) : CmdType(static_cast<UINT>(M.WParam) & 0xFFF0) {}
};

// WM_CAPTURECHANGED: the window that takes the mouse (null when nobody does).
struct TWMCaptureChanged {
    HWND NewCapture;
    explicit TWMCaptureChanged(const TMessage& M) : NewCapture(reinterpret_cast<HWND>(M.LParam)) {}
};

// WM_TIMER: the identifier the timer was set with.
struct TWMTimer {
    UINT_PTR TimerID;
    explicit TWMTimer(const TMessage& M) : TimerID(static_cast<UINT_PTR>(M.WParam)) {}
};

// WM_ERASEBKGND: the DC to erase.
struct TWMEraseBkgnd {
    HDC DC;
    explicit TWMEraseBkgnd(const TMessage& M) : DC(reinterpret_cast<HDC>(M.WParam)) {}
};

// WM_PRINT and WM_PRINTCLIENT: the DC to print into and what to print (PRF_CLIENT ...).
struct TWMPrint {
    HDC DC;
    UINT Flags;
    explicit TWMPrint(const TMessage& M) : DC(reinterpret_cast<HDC>(M.WParam)), Flags(static_cast<UINT>(M.LParam)) {}
};

// WM_CTLCOLORLISTBOX and the other WM_CTLCOLOR messages: the DC the child paints with and the
// child's window.
struct TWMCtlColor {
    HDC ChildDC;
    HWND ChildWnd;
    explicit TWMCtlColor(const TMessage& M)
        : ChildDC(reinterpret_cast<HDC>(M.WParam)), ChildWnd(reinterpret_cast<HWND>(M.LParam))
    {
    }
};

// WM_PARENTNOTIFY: the event (WM_CREATE, WM_DESTROY, or a button pressed over a child), the
// child's identifier, and for creation and destruction the child's window (null otherwise:
// the button events carry a point instead).
struct TWMParentNotify {
    UINT Event;
    UINT ChildID;
    HWND Child;
    explicit TWMParentNotify(const TMessage& M)
        : Event(M.WParamLo()), ChildID(M.WParamHi()),
          Child(Event == WM_CREATE || Event == WM_DESTROY ? reinterpret_cast<HWND>(M.LParam) : nullptr)
    {
    }
};
