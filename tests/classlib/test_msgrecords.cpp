// Messages read as records.
#include <doctest.h>
#include "classlib/msgrecords.h"

TEST_CASE("message records read signed points and split words as the messages pack them")
{
    // A mouse captured outside the window, to its left and above it.
    TWMMouse mouse(TMessage{WM_MOUSEMOVE, MK_LBUTTON | MK_SHIFT, MAKELPARAM(-5, -300), 0});
    CHECK(mouse.Keys == (MK_LBUTTON | MK_SHIFT));
    CHECK(mouse.Pos() == TPoint(-5, -300));
    TWMContextMenu menu(TMessage{WM_CONTEXTMENU, 0, MAKELPARAM(0xFFFF, 0xFFFF), 0});
    CHECK(menu.FromKeyboard());
    // Sizes are unsigned words: a client 40000 pixels wide stays so.
    TWMSize size(TMessage{WM_SIZE, SIZE_MAXIMIZED, MAKELPARAM(40000, 20), 0});
    CHECK(size.SizeType == SIZE_MAXIMIZED);
    CHECK(size.Width == 40000);
    CHECK(size.Height == 20);
    // The word above a character code is not part of it.
    TWMKey key(TMessage{WM_CHAR, 0x04160041, 0x20000001, 0});
    CHECK(key.CharCode == 0x41);
    CHECK(key.KeyData == 0x20000001);
    TWMCommand command(TMessage{WM_COMMAND, MAKEWPARAM(42, BN_DOUBLECLICKED), 0x1234, 0});
    CHECK(command.ItemID == 42);
    CHECK(command.NotifyCode == BN_DOUBLECLICKED);
    CHECK(command.Ctl == reinterpret_cast<HWND>(0x1234));
    NMHDR hdr{nullptr, 7, NM_CLICK};
    CHECK(TWMNotify(TMessage{WM_NOTIFY, 7, reinterpret_cast<LPARAM>(&hdr), 0}).Code() == UINT(NM_CLICK));
}
