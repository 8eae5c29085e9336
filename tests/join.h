// Many values compared at once as one line of text, each of them shown when they differ.
#pragma once

#include "classlib/graphics.h"

#include <algorithm>
#include <cstdio>
#include <sstream>
#include <string>
#include <string_view>
#include <type_traits>

// A character of a quoted text: quotes and backslashes escaped, control characters written as
// \r, \n, \t or \xNN.
inline void AppendQuoted(std::string& S, unsigned C)
{
    char hex[8];
    if (C == '"' || C == '\\')
        (S += '\\') += char(C);
    else if (C == '\r' || C == '\n' || C == '\t')
        (S += '\\') += C == '\r' ? 'r' : C == '\n' ? 'n' : 't';
    else if (C < 0x20)
        S.append(hex, size_t(std::snprintf(hex, sizeof(hex), "\\x%02X", C)));
    else
        S += char(C);
}

// A text in double quotes, so that its blanks never read as separators: `Join("a b", 1)` and
// `Join("a", "b 1")` differ.
inline std::string QuotedText(std::string_view V)
{
    std::string s = "\"";
    for (const char c : V)
        AppendQuoted(s, static_cast<unsigned char>(c));
    return s + '"';
}

// A wide text quoted as above, in the system's code page when it holds the text: a text the
// code page cannot hold would show as "?" and equal any other such text, so its characters
// past ASCII are written as \uXXXX instead.
inline std::string QuotedText(const WideString& V)
{
    std::string s(V.size() * 2, '\0');
    BOOL lost = FALSE;
    s.resize(size_t(std::max(0, WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, V.data(), int(V.size()), s.data(),
                                                     int(s.size()), nullptr, &lost))));
    if (!lost)
        return QuotedText(std::string_view(s));
    std::string q = "\"";
    for (const wchar_t c : V) {
        char hex[8];
        if (c < 0x80)
            AppendQuoted(q, unsigned(c));
        else
            q.append(hex, size_t(std::snprintf(hex, sizeof(hex), "\\u%04X", unsigned(c))));
    }
    return q + '"';
}

// A value as Join writes it: texts quoted, small integers, characters, Booleans and enumerations
// as numbers, points as (x,y), rectangles as (left,top,right,bottom).
template <class T> auto Shown(const T& V)
{
    using D = std::decay_t<T>;
    if constexpr (std::is_same_v<D, const wchar_t*> || std::is_same_v<D, wchar_t*>)
        return QuotedText(WideString(V));
    else if constexpr (std::is_same_v<D, const char*> || std::is_same_v<D, char*>)
        return QuotedText(std::string_view(V));
    else if constexpr (std::is_same_v<T, WideString> || std::is_same_v<T, std::string> ||
                       std::is_same_v<T, std::string_view>)
        return QuotedText(V);
    else if constexpr (std::is_same_v<T, TRect>)
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
