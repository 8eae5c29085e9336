// What the menu and action tests share: reading native menus back and pressing shortcuts.
#pragma once

#include "classlib/menus.h"

// The text of the native menu's entry at a position (ANSI, with "&" and the TAB part).
inline AnsiString MenuText(HMENU Menu, int Pos)
{
    char buf[256] = {};
    int n = GetMenuStringA(Menu, Pos, buf, sizeof(buf), MF_BYPOSITION);
    return AnsiString(buf, n > 0 ? n : 0);
}

// Offers the form Ctrl+Key (Ctrl held in the thread's keyboard state for the call):
// True when a menu item or an action ran.
inline bool PressCtrlShortCut(TCustomForm* Form, uint16_t Key)
{
    BYTE keys[256];
    GetKeyboardState(keys);
    BYTE saved = keys[VK_CONTROL];
    keys[VK_CONTROL] = 0x80;
    SetKeyboardState(keys);
    TMessage message{WM_KEYDOWN, Key, 0, 0};
    bool ran = Form->IsShortCut(message);
    keys[VK_CONTROL] = saved;
    SetKeyboardState(keys);
    return ran;
}
