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
