// What the tests of Unicode menus, actions and forms share: message pumping, reading native
// menus and windows back as UTF-16, and texts with and without an ANSI form.
#pragma once

#include "classlib/forms.h"

#include <algorithm>

namespace ucform_test {

// Cyrillic has an ANSI form under code page 1251; Greek has none (each letter is "?").
inline const WideString CyrFile = L"\x0424\x0430\x0439\x043B";          // Файл
inline const WideString Omega = L"\x03A9\x03BC\x03AD\x03B3\x03B1";      // Ωμέγα
inline const WideString Sigma = L"\x03A3\x03AF\x03B3\x03BC\x03B1";      // Σίγμα, the same ANSI form

inline void Pump()
{
    for (int i = 0; i < 5; ++i) {
        Application->ProcessMessages();
        Sleep(10);
    }
}

// The text of a native menu's entry as UTF-16 (with "&" and the TAB part).
inline WideString WideMenuText(HMENU Menu, int Pos)
{
    WideChar buf[256] = {};
    int n = GetMenuStringW(Menu, static_cast<UINT>(Pos), buf, 256, MF_BYPOSITION);
    return WideString(buf, static_cast<size_t>(std::clamp(n, 0, 255)));
}

inline WideString WideWindowText(HWND Wnd)
{
    int len = GetWindowTextLengthW(Wnd);
    WideString s(static_cast<size_t>(len) + 1, L'\0');
    s.resize(static_cast<size_t>(std::clamp(GetWindowTextW(Wnd, s.data(), len + 1), 0, len)));
    return s;
}

} // namespace ucform_test
