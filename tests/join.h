// Many values compared at once as one line of text, each of them shown when they differ.
#pragma once

#include "classlib/graphics.h"

#include <cstdio>
#include <sstream>
#include <string>
#include <type_traits>

// A value as Join writes it: small integers, characters, Booleans and enumerations as numbers,
// wide text in the system's code page when it holds the text, points as (x,y), rectangles as
// (left,top,right,bottom).
template <class T> auto Shown(const T& V)
{
    using D = std::decay_t<T>;
    if constexpr (std::is_same_v<D, const wchar_t*> || std::is_same_v<D, wchar_t*>)
        return Shown(WideString(V));
    else if constexpr (std::is_same_v<T, WideString>) {
        std::string s(V.size() * 2, '\0');
        const int n = V.empty() ? 0
                                : WideCharToMultiByte(CP_ACP, 0, V.data(), int(V.size()), s.data(), int(s.size()),
                                                      nullptr, nullptr);
        s.resize(size_t(n > 0 ? n : 0));
        // A text the code page cannot hold would show as "?" and equal any other such text:
        // its characters past ASCII are written as \uXXXX instead.
        std::wstring back(s.size(), L'\0');
        back.resize(size_t(s.empty() ? 0 : MultiByteToWideChar(CP_ACP, 0, s.data(), int(s.size()), back.data(),
                                                                  int(back.size()))));
        if (back != V) {
            s.clear();
            for (const wchar_t c : V) {
                char hex[8];
                if (c < 0x80)
                    s += char(c);
                else
                    s.append(hex, size_t(std::snprintf(hex, sizeof(hex), "\\u%04X", unsigned(c))));
            }
        }
        return s;
    } else if constexpr (std::is_same_v<T, TRect>)
        return "(" + std::to_string(V.Left) + "," + std::to_string(V.Top) + "," + std::to_string(V.Right) + "," +
               std::to_string(V.Bottom) + ")";
    else if constexpr (std::is_same_v<T, TPoint>)
        return "(" + std::to_string(V.X) + "," + std::to_string(V.Y) + ")";
    else if constexpr (std::is_enum_v<T> || (std::is_integral_v<T> && sizeof(T) < sizeof(int)))
        return int(V);
    else
        return V;
}

// Values as one line separated by blanks.
template <class... T> std::string Join(const T&... Values)
{
    std::ostringstream s;
    const char* sep = "";
    ((s << sep << Shown(Values), sep = " "), ...);
    return s.str();
}
