// Helpers shared by the Unicode-layer tests.
#pragma once

#include "unicode/ucsystem.h"

#include <doctest.h>

// Texts of the tests. Cyrillic has an ANSI form under code page 1251; Greek and Chinese have
// none (each letter is "?"), and Greek and Sigma share theirs.
inline const WideString Cyrillic = L"\x041F\x0440\x0438\x0432\x0435\x0442";   // Привет
inline const WideString CyrFile = L"\x0424\x0430\x0439\x043B";                  // Файл
inline const WideString Greek = L"\x03A9\x03BC\x03AD\x03B3\x03B1";             // Ωμέγα
inline const WideString Sigma = L"\x03A3\x03AF\x03B3\x03BC\x03B1";             // Σίγμα
inline const WideString Chinese = L"\x4E2D\x6587";                              // 中文
inline const WideString OtherChinese = L"\x65E5\x672C";                         // 日本

// Restores a program-wide setting when the test leaves the scope.
template <class T> class TRestore {
public:
    explicit TRestore(T& Ref) : FRef(Ref), FSaved(Ref) {}
    ~TRestore() { FRef = FSaved; }
    TRestore(const TRestore&) = delete;
    TRestore& operator=(const TRestore&) = delete;

private:
    T& FRef;
    T FSaved;
};

// Runs the enclosed code as on a platform without the wide calls: every routine takes its
// ANSI path. The switch is restored however the scope is left.
class TAnsiPlatform : TRestore<bool> {
public:
    TAnsiPlatform() : TRestore(PlatformIsUnicode) { PlatformIsUnicode = false; }
};

// Runs Body(unicode) once with the wide calls and once with the ANSI ones.
template <class F> void OnBothPaths(F&& Body)
{
    for (bool unicode : {true, false}) {
        CAPTURE(unicode);
        TRestore<bool> restore(PlatformIsUnicode);
        PlatformIsUnicode = unicode;
        Body(unicode);
    }
}

// A path under the build folder for files a test writes.
inline WideString TestFilePath(const WideString& Name)
{
    const std::string dir = ZANDREL_BUILD_DIR;   // ASCII
    WideString path(dir.begin(), dir.end());
    for (WideChar& c : path)
        c = c == L'/' ? L'\\' : c;
    return path + L"\\" + Name;
}

#include <cstdio>

// Failed comparisons of wide strings print them readably: ASCII as it is, the rest as \uXXXX.
namespace doctest {
template <> struct StringMaker<std::wstring> {
    static String convert(const std::wstring& s)
    {
        std::string out = "L\"";
        char buf[8];
        for (wchar_t c : s) {
            const bool plain = c >= 32 && c < 127 && c != '\\';
            std::snprintf(buf, sizeof(buf), plain ? "%c" : "\\u%04X", static_cast<unsigned>(static_cast<uint16_t>(c)));
            out += buf;
        }
        return String((out + '"').c_str());
    }
};
}  // namespace doctest
