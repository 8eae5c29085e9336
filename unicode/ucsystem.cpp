#include "unicode/ucsystem.h"

#include "unicode/ucsysutils.h"

#include <algorithm>
#include <climits>
#include <cstring>
#include <memory>
#include <vector>

bool PlatformIsUnicode = true;
bool PlatformIsXPOrLater = true;
UINT DefaultConversionCodePage = CP_ACP;

void InitUcSystem()
{
    PlatformIsUnicode = Win32Platform == VER_PLATFORM_WIN32_NT;
    PlatformIsXPOrLater = (Win32MajorVersion == 5 && Win32MinorVersion >= 1) || Win32MajorVersion >= 6;
    // CP_THREAD_ACP follows the thread locale at every call; older systems do not know it, so
    // they get the locale's code page fixed at start-up.
    if (!PlatformIsUnicode || Win32MajorVersion < 5)
        DefaultConversionCodePage = LocaleCodePage(GetThreadLocale());
    else
        DefaultConversionCodePage = CP_THREAD_ACP;
}

[[noreturn]] static void RaiseBufferOverflow()
{
    throw EUcInternalError("Buffer overflow");
}

// The platform's converters take int lengths.
static int CheckedLength(size_t n)
{
    if (n > static_cast<size_t>(INT_MAX))
        RaiseBufferOverflow();
    return static_cast<int>(n);
}

// ---------------------------------------------------------------------------------------
// Code pages

UINT LocaleCodePage(LCID Locale)
{
    char buf[6] = {};
    GetLocaleInfoA(Locale, LOCALE_IDEFAULTANSICODEPAGE, buf, sizeof(buf));
    buf[sizeof(buf) - 1] = 0;
    int cp;
    if (buf[0] < '0' || buf[0] > '9' || !TryStrToInt(buf, cp) || cp < 0)
        return GetACP();
    return static_cast<UINT>(cp);
}

UINT KeyboardLayoutCodePage()
{
    return LocaleCodePage(LOWORD(reinterpret_cast<uintptr_t>(GetKeyboardLayout(0))));
}

WideChar KeyCharToWide(uint16_t CharCode)
{
    if (CharCode >= 256)
        return static_cast<WideChar>(CharCode);
    const char c = static_cast<char>(CharCode);
    WideChar w = 0;
    if (MultiByteToWideChar(KeyboardLayoutCodePage(), MB_USEGLYPHCHARS, &c, 1, &w, 1) != 1)
        return static_cast<WideChar>(CharCode);
    return w;
}

WideString ConvertToWide(const AnsiString& S, UINT CodePage)
{
    if (CodePage == CP_UTF7_)
        return Utf7ToWide(S);
    if (CodePage == CP_UTF8_)
        return Utf8ToWide(S);
    if (S.empty())
        return WideString();
    const int len = CheckedLength(S.size());
    const int n = MultiByteToWideChar(CodePage, 0, S.data(), len, nullptr, 0);
    if (n <= 0)
        return WideString();
    WideString r(static_cast<size_t>(n), L'\0');
    const int m = MultiByteToWideChar(CodePage, 0, S.data(), len, r.data(), n);
    r.resize(m > 0 ? static_cast<size_t>(m) : 0);
    return r;
}

AnsiString ConvertFromWide(const WideString& WS, UINT CodePage)
{
    if (CodePage == CP_UTF7_)
        return WideToUtf7(WS);
    if (CodePage == CP_UTF8_)
        return WideToUtf8(WS);
    if (WS.empty())
        return AnsiString();
    const int len = CheckedLength(WS.size());
    const int n = WideCharToMultiByte(CodePage, 0, WS.data(), len, nullptr, 0, nullptr, nullptr);
    if (n <= 0)
        return AnsiString();
    AnsiString r(static_cast<size_t>(n), '\0');
    const int m = WideCharToMultiByte(CodePage, 0, WS.data(), len, r.data(), n, nullptr, nullptr);
    r.resize(m > 0 ? static_cast<size_t>(m) : 0);
    return r;
}

// ---------------------------------------------------------------------------------------
// UTF-8 by the platform's converter. One pass into a buffer of the largest possible size is
// cheaper than asking for the length first: a large text is converted once, not twice.

template <class Str> static void TrimSpare(Str& s, size_t used)
{
    s.resize(used);
    if (used > 4096 && s.capacity() > 2 * used)
        s.shrink_to_fit();
}

AnsiString WideToUtf8(const WideString& WS)
{
    if (WS.empty())
        return AnsiString();
    const int len = CheckedLength(WS.size());
    if (WS.size() > static_cast<size_t>(INT_MAX) / 3)
        RaiseBufferOverflow();
    AnsiString r(WS.size() * 3, '\0');
    const int n = WideCharToMultiByte(CP_UTF8, 0, WS.data(), len, r.data(), static_cast<int>(r.size()),
                                      nullptr, nullptr);
    TrimSpare(r, n > 0 ? static_cast<size_t>(n) : 0);
    return r;
}

WideString Utf8ToWide(const char* Data, size_t Len)
{
    if (!Data || Len == 0)
        return WideString();
    const int len = CheckedLength(Len);
    // Every UTF-16 unit takes at least one byte of UTF-8, and malformed bytes become one
    // replacement character each.
    WideString r(Len, L'\0');
    int n = MultiByteToWideChar(CP_UTF8, 0, Data, len, r.data(), len);
    if (n == 0 && GetLastError() == ERROR_INSUFFICIENT_BUFFER) {
        // A converter that counts otherwise: ask it for the length after all.
        n = MultiByteToWideChar(CP_UTF8, 0, Data, len, nullptr, 0);
        r.assign(n > 0 ? static_cast<size_t>(n) : 0, L'\0');
        n = MultiByteToWideChar(CP_UTF8, 0, Data, len, r.data(), n);
    }
    TrimSpare(r, n > 0 ? static_cast<size_t>(n) : 0);
    return r;
}

WideString Utf8ToWide(const AnsiString& S)
{
    return Utf8ToWide(S.data(), S.size());
}

// ---------------------------------------------------------------------------------------
// UTF-7

namespace {

struct TUtf7Tables {
    bool EncodeStrict[128];    // true: the code must go into a shift sequence
    bool EncodeRelaxed[128];   // as strict, but set O is written directly
    int8_t Base64Value[256];   // -1 for anything outside the base64 alphabet
    char Base64Char[64];

    TUtf7Tables()
    {
        static const char SetD[] =
            "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789'(),-./:?";
        static const char SetO[] = "!\"#$%&*;<=>@[]^_`{|}";
        static const char Space[] = "\t\r\n ";
        static const char Base64[] =
            "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
        for (int i = 0; i < 128; ++i)
            EncodeStrict[i] = EncodeRelaxed[i] = true;
        for (const char* p = SetD; *p; ++p)
            EncodeStrict[static_cast<uint8_t>(*p)] = EncodeRelaxed[static_cast<uint8_t>(*p)] = false;
        for (const char* p = Space; *p; ++p)
            EncodeStrict[static_cast<uint8_t>(*p)] = EncodeRelaxed[static_cast<uint8_t>(*p)] = false;
        for (const char* p = SetO; *p; ++p)
            EncodeRelaxed[static_cast<uint8_t>(*p)] = false;
        std::memset(Base64Value, -1, sizeof(Base64Value));
        for (int i = 0; i < 64; ++i) {
            Base64Char[i] = Base64[i];
            Base64Value[static_cast<uint8_t>(Base64[i])] = static_cast<int8_t>(i);
        }
    }
};

const TUtf7Tables& Utf7Tables()
{
    static const TUtf7Tables tables;   // built on first use
    return tables;
}

}  // namespace

TUtf7Result ConvertUTF16toUTF7(const WideChar*& Src, const WideChar* SrcEnd, char*& Dst,
                               char* DstEnd, bool AlwaysClose, bool SetODirect)
{
    const TUtf7Tables& t = Utf7Tables();
    const bool* toEncode = SetODirect ? t.EncodeRelaxed : t.EncodeStrict;
    auto direct = [toEncode](uint16_t c) { return c < 128 && !toEncode[c]; };
    const WideChar* s = Src;
    char* d = Dst;
    TUtf7Result result = utf7Ok;

    while (s < SrcEnd) {
        // A run of direct characters, as far as both ranges allow.
        const size_t n = std::min<size_t>(static_cast<size_t>(SrcEnd - s), static_cast<size_t>(DstEnd - d));
        const WideChar* stop = s + n;
        while (s < stop && direct(static_cast<uint16_t>(*s)))
            *d++ = static_cast<char>(*s++);
        if (s >= SrcEnd)
            break;
        uint16_t c = static_cast<uint16_t>(*s);
        if (d >= DstEnd) {
            result = utf7Overflow;
            break;
        }
        if (c == '+') {
            if (DstEnd - d < 2) {
                result = utf7Overflow;
                break;
            }
            *d++ = '+';
            *d++ = '-';
            ++s;
            continue;
        }

        // A shift sequence: 16 bits a character, written 6 bits at a time.
        *d++ = '+';
        uint32_t bits = 0;   // the pending bits are the low `nbits`
        int nbits = 0;
        while (s < SrcEnd && !direct(c = static_cast<uint16_t>(*s))) {
            if (DstEnd - d < (nbits + 16) / 6) {
                result = utf7Overflow;
                break;
            }
            bits = (bits << 16) | c;
            nbits += 16;
            while (nbits >= 6) {
                nbits -= 6;
                *d++ = t.Base64Char[(bits >> nbits) & 63];
            }
            ++s;
        }
        if (result != utf7Ok)
            break;
        if (nbits > 0) {
            if (d >= DstEnd) {
                result = utf7Overflow;
                break;
            }
            *d++ = t.Base64Char[(bits << (6 - nbits)) & 63];
        }
        // The minus is needed only where the next character would read as part of the sequence.
        if (AlwaysClose || (s < SrcEnd && (t.Base64Value[c] >= 0 || c == '-'))) {
            if (d >= DstEnd) {
                result = utf7Overflow;
                break;
            }
            *d++ = '-';
        }
    }
    Src = s;
    Dst = d;
    return result;
}

TUtf7Result ConvertUTF7toUTF16(const char*& Src, const char* SrcEnd, WideChar*& Dst,
                               WideChar* DstEnd)
{
    const TUtf7Tables& t = Utf7Tables();
    const uint8_t* s = reinterpret_cast<const uint8_t*>(Src);
    const uint8_t* const end = reinterpret_cast<const uint8_t*>(SrcEnd);
    WideChar* d = Dst;
    TUtf7Result result = utf7Ok;

    while (s < end) {
        // Bytes outside a shift sequence stand for themselves; one above 127 is kept but
        // makes the text invalid.
        const size_t n = std::min<size_t>(static_cast<size_t>(end - s), static_cast<size_t>(DstEnd - d));
        const uint8_t* stop = s + n;
        uint8_t seen = 0;
        while (s < stop && *s != '+') {
            seen |= *s;
            *d++ = static_cast<WideChar>(*s++);
        }
        if (seen & 0x80)
            result = utf7Invalid;
        if (s >= end)
            break;
        if (*s != '+') {
            result = utf7Overflow;
            break;
        }

        ++s;
        bool justAfterPlus = true, wroteChar = false;
        uint32_t bits = 0;   // the pending bits are the low `nbits`
        int nbits = 0;
        int v;
        while (s < end && (v = t.Base64Value[*s]) >= 0) {
            bits = (bits << 6) | static_cast<uint32_t>(v);
            nbits += 6;
            justAfterPlus = false;
            if (nbits >= 16) {
                if (d >= DstEnd) {
                    result = utf7Overflow;
                    break;
                }
                nbits -= 16;
                *d++ = static_cast<WideChar>((bits >> nbits) & 0xFFFF);
                wroteChar = true;
            }
            ++s;
        }
        if (result == utf7Overflow)
            break;
        // The sequence ends: a minus or plus that ends it is consumed, anything else is read
        // again as a plain byte.
        if (s < end && (*s == '-' || *s == '+')) {
            const uint8_t b = *s++;
            if (justAfterPlus && b == '-') {
                if (d >= DstEnd) {
                    result = utf7Overflow;
                    break;
                }
                *d++ = L'+';
                continue;
            }
        }
        if (!wroteChar || (bits & ((1u << nbits) - 1)) != 0)
            result = utf7Invalid;
    }
    Src = reinterpret_cast<const char*>(s);
    Dst = d;
    return result;
}

// The platform's strings zero-fill what they allocate; a large conversion writes into a plain
// block instead and copies only what it used.
template <class Char, class Convert> static std::basic_string<Char> ConvertIntoBlock(size_t capacity, Convert convert)
{
    std::unique_ptr<Char[]> block(new Char[capacity]);
    Char* end = block.get();
    convert(block.get(), end);
    return std::basic_string<Char>(block.get(), end);
}

AnsiString WideToUtf7(const WideString& WS)
{
    if (WS.empty())
        return AnsiString();
    if (WS.size() > static_cast<size_t>(INT_MAX) / 7)
        RaiseBufferOverflow();
    return ConvertIntoBlock<char>(WS.size() * 7, [&](char* block, char*& end) {
        const WideChar* s = WS.data();
        if (ConvertUTF16toUTF7(s, s + WS.size(), end, block + WS.size() * 7, false, true) != utf7Ok)
            RaiseBufferOverflow();
    });
}

WideString Utf7ToWide(const AnsiString& S)
{
    if (S.empty())
        return WideString();
    // Every UTF-16 unit takes at least one byte.
    return ConvertIntoBlock<WideChar>(S.size(), [&](WideChar* block, WideChar*& end) {
        const char* s = S.data();
        switch (ConvertUTF7toUTF16(s, s + S.size(), end, block + S.size())) {
        case utf7Invalid:
            throw EUcGeneralError("Invalid UTF7");
        case utf7Overflow:
            RaiseBufferOverflow();
        case utf7Ok:
            break;
        }
    });
}

// ---------------------------------------------------------------------------------------

void SwapWideByteOrder(WideChar* Buf)
{
    if (!Buf)
        return;
    for (; *Buf; ++Buf) {
        const uint16_t c = static_cast<uint16_t>(*Buf);
        *Buf = static_cast<WideChar>(static_cast<uint16_t>((c << 8) | (c >> 8)));
    }
}

// ---------------------------------------------------------------------------------------
// Command line

// Reads one parameter from P: blanks, control characters and empty quote pairs before it are
// skipped; double quotes group blanks into it and are dropped. Returns where the next one
// begins; an empty parameter means the line is used up.
static const WideChar* NextWideParam(const WideChar* P, WideString& Param)
{
    Param.clear();
    for (;;) {
        if (*P >= 1 && *P <= 32)
            ++P;
        else if (P[0] == L'"' && P[1] == L'"')
            P += 2;
        else
            break;
    }
    while (static_cast<uint16_t>(*P) > 32) {
        if (*P == L'"') {
            const WideChar* start = ++P;
            while (*P && *P != L'"')
                ++P;
            Param.append(start, P);
            if (*P)
                ++P;
        } else {
            const WideChar* start = P;
            while (static_cast<uint16_t>(*P) > 32 && *P != L'"')
                ++P;
            Param.append(start, P);
        }
    }
    return P;
}

WideString WideParamOfCommandLine(const WideChar* CommandLine, int Index)
{
    if (!CommandLine || Index < 0)
        return WideString();
    WideString param;
    const WideChar* p = CommandLine;
    for (int i = 0;; ++i) {
        p = NextWideParam(p, param);
        if (i == Index || param.empty())
            return param;
    }
}

WideString GetWideParamStr(int Index)
{
    if (Index == 0)
        return ModuleFileNameWide(nullptr);
    return WideParamOfCommandLine(GetCommandLineW(), Index);
}

// ---------------------------------------------------------------------------------------
// Resource strings

WideString LoadResStringWide(const TResStringRec* Rec)
{
    if (!Rec)
        return WideString();
    if (Rec->Identifier < 65536) {
        HINSTANCE inst = Rec->Module ? *Rec->Module : GetModuleHandleW(nullptr);
        std::vector<WideChar> buf(4097);
        const int n = LoadStringWide(inst, static_cast<UINT>(Rec->Identifier), buf.data(),
                                     static_cast<int>(buf.size()));
        return WideString(buf.data(), n > 0 ? static_cast<size_t>(n) : 0);
    }
    const char* text = reinterpret_cast<const char*>(Rec->Identifier);
    const size_t len = std::strlen(text);
    if (len > 3 && std::memcmp(text, "\xEF\xBB\xBF", 3) == 0)
        return Utf8ToWide(text + 3, len - 3);
    return ConvertToWide(AnsiString(text, len), DefaultConversionCodePage);
}
