#include "classlib/sysutils.h"

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <cwchar>
#include <vector>

DWORD Win32Platform = VER_PLATFORM_WIN32_NT;
DWORD Win32MajorVersion = 5;
DWORD Win32MinorVersion = 1;
DWORD Win32BuildNumber = 0;

void InitSysUtils()
{
    OSVERSIONINFOA vi{};
    vi.dwOSVersionInfoSize = sizeof(vi);
    if (GetVersionExA(&vi)) {
        Win32Platform = vi.dwPlatformId;
        Win32MajorVersion = vi.dwMajorVersion;
        Win32MinorVersion = vi.dwMinorVersion;
        Win32BuildNumber = vi.dwBuildNumber;
    }
    GetFormatSettings();
}

EAssertionFailed::EAssertionFailed(const AnsiString& msg, const char* file, int line)
    : Exception(Format("%s (%s, line %d)", msg.c_str(), file ? file : "", line)),
      SourceFile(file ? file : ""), SourceLine(line)
{
}

AnsiString SysErrorMessage(DWORD code)
{
    char buf[256];
    DWORD n = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS |
                                 FORMAT_MESSAGE_ARGUMENT_ARRAY,
                             nullptr, code, 0, buf, sizeof(buf), nullptr);
    while (n > 0 && (static_cast<unsigned char>(buf[n - 1]) <= ' ' || buf[n - 1] == '.'))
        --n;
    return AnsiString(buf, n);
}

void RaiseLastOSError(DWORD code)
{
    if (code != 0)
        throw EOSError(Format("System Error.  Code: %lu.\r\n%s", static_cast<unsigned long>(code),
                              SysErrorMessage(code).c_str()),
                       code);
    throw EOSError("A call to an OS function failed", 0);
}

void RaiseLastOSError()
{
    RaiseLastOSError(GetLastError());
}

// ---------------------------------------------------------------------------------------

static AnsiString VFormat(const char* fmt, va_list ap)
{
    char small[256];
    va_list copy;
    va_copy(copy, ap);
    int n = std::vsnprintf(small, sizeof(small), fmt, copy);
    va_end(copy);
    if (n < 0)
        throw EConvertError(AnsiString("Format '") + fmt + "' invalid or incompatible with argument");
    if (static_cast<size_t>(n) < sizeof(small))
        return AnsiString(small, n);
    AnsiString out(static_cast<size_t>(n), '\0');
    std::vsnprintf(out.data(), out.size() + 1, fmt, ap);
    return out;
}

AnsiString Format(const char* fmt, ...)
{
    va_list ap;
    va_start(ap, fmt);
    AnsiString s = VFormat(fmt, ap);
    va_end(ap);
    return s;
}

WideString WideFormat(const wchar_t* fmt, ...)
{
    std::vector<wchar_t> buf(256);
    for (;;) {
        va_list ap;
        va_start(ap, fmt);
        int n = _vsnwprintf(buf.data(), buf.size(), fmt, ap);
        va_end(ap);
        if (n >= 0 && static_cast<size_t>(n) < buf.size())
            return WideString(buf.data(), n);
        if (buf.size() > (1u << 24))
            throw EConvertError("Format result too long");
        buf.resize(buf.size() * 2);
    }
}

// ---------------------------------------------------------------------------------------

AnsiString IntToStr(int64_t value)
{
    return std::to_string(value);
}

AnsiString IntToHex(int64_t value, int digits)
{
    char buf[32];
    std::snprintf(buf, sizeof(buf), "%0*llX", digits, static_cast<unsigned long long>(value));
    return buf;
}

bool TryStrToInt64(const AnsiString& s, int64_t& value)
{
    size_t i = 0, n = s.size();
    while (i < n && s[i] == ' ')
        ++i;
    bool neg = false;
    if (i < n && (s[i] == '-' || s[i] == '+'))
        neg = s[i++] == '-';
    int base = 10;
    if (i < n && s[i] == '$') {
        base = 16;
        ++i;
    } else if (i + 1 < n && s[i] == '0' && (s[i + 1] == 'x' || s[i + 1] == 'X')) {
        base = 16;
        i += 2;
    }
    if (i >= n)
        return false;
    uint64_t acc = 0;
    const uint64_t limit = base == 16 ? UINT64_MAX : static_cast<uint64_t>(INT64_MAX) + (neg ? 1 : 0);
    for (; i < n; ++i) {
        int d;
        char c = s[i];
        if (c >= '0' && c <= '9')
            d = c - '0';
        else if (base == 16 && c >= 'a' && c <= 'f')
            d = c - 'a' + 10;
        else if (base == 16 && c >= 'A' && c <= 'F')
            d = c - 'A' + 10;
        else
            return false;
        if (acc > (limit - d) / base)
            return false;
        acc = acc * base + d;
    }
    value = neg ? static_cast<int64_t>(0 - acc) : static_cast<int64_t>(acc);
    return true;
}

bool TryStrToInt(const AnsiString& s, int& value)
{
    int64_t v;
    if (!TryStrToInt64(s, v))
        return false;
    // Hexadecimal up to $FFFFFFFF is a 32-bit pattern, as the platform reads it.
    bool hex = s.find('$') != AnsiString::npos || s.find("0x") != AnsiString::npos ||
               s.find("0X") != AnsiString::npos;
    if (hex && v >= 0 && v <= 0xFFFFFFFFLL) {
        value = static_cast<int32_t>(static_cast<uint32_t>(v));
        return true;
    }
    if (v < INT32_MIN || v > INT32_MAX)
        return false;
    value = static_cast<int>(v);
    return true;
}

int StrToInt(const AnsiString& s)
{
    int v;
    if (!TryStrToInt(s, v))
        throw EConvertError(Format("'%s' is not a valid integer value", s.c_str()));
    return v;
}

int StrToIntDef(const AnsiString& s, int def)
{
    int v;
    return TryStrToInt(s, v) ? v : def;
}

int64_t StrToInt64(const AnsiString& s)
{
    int64_t v;
    if (!TryStrToInt64(s, v))
        throw EConvertError(Format("'%s' is not a valid integer value", s.c_str()));
    return v;
}

// ---------------------------------------------------------------------------------------

template <class S> static S TrimImpl(const S& s, bool left, bool right)
{
    size_t b = 0, e = s.size();
    if (left)
        while (b < e && static_cast<unsigned>(s[b]) <= ' ' && s[b] >= 0)
            ++b;
    if (right)
        while (e > b && static_cast<unsigned>(s[e - 1]) <= ' ' && s[e - 1] >= 0)
            --e;
    return s.substr(b, e - b);
}

AnsiString Trim(const AnsiString& s) { return TrimImpl(s, true, true); }
AnsiString TrimLeft(const AnsiString& s) { return TrimImpl(s, true, false); }
AnsiString TrimRight(const AnsiString& s) { return TrimImpl(s, false, true); }
WideString WideTrim(const WideString& s) { return TrimImpl(s, true, true); }

AnsiString UpperCase(const AnsiString& s)
{
    AnsiString r = s;
    for (char& c : r)
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 32);
    return r;
}

AnsiString LowerCase(const AnsiString& s)
{
    AnsiString r = s;
    for (char& c : r)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c + 32);
    return r;
}

AnsiString AnsiUpperCase(const AnsiString& s)
{
    AnsiString r = s;
    if (!r.empty())
        CharUpperBuffA(r.data(), static_cast<DWORD>(r.size()));
    return r;
}

AnsiString AnsiLowerCase(const AnsiString& s)
{
    AnsiString r = s;
    if (!r.empty())
        CharLowerBuffA(r.data(), static_cast<DWORD>(r.size()));
    return r;
}

WideString WideUpperCase(const WideString& s)
{
    WideString r = s;
    if (!r.empty())
        CharUpperBuffW(r.data(), static_cast<DWORD>(r.size()));
    return r;
}

WideString WideLowerCase(const WideString& s)
{
    WideString r = s;
    if (!r.empty())
        CharLowerBuffW(r.data(), static_cast<DWORD>(r.size()));
    return r;
}

int CompareStr(const AnsiString& a, const AnsiString& b)
{
    int c = a.compare(b);
    return c < 0 ? -1 : c > 0 ? 1 : 0;
}

int CompareText(const AnsiString& a, const AnsiString& b)
{
    size_t n = std::min(a.size(), b.size());
    for (size_t i = 0; i < n; ++i) {
        unsigned char x = static_cast<unsigned char>(a[i]), y = static_cast<unsigned char>(b[i]);
        if (x >= 'a' && x <= 'z')
            x -= 32;
        if (y >= 'a' && y <= 'z')
            y -= 32;
        if (x != y)
            return x < y ? -1 : 1;
    }
    return a.size() < b.size() ? -1 : a.size() > b.size() ? 1 : 0;
}

bool SameText(const AnsiString& a, const AnsiString& b)
{
    return a.size() == b.size() && CompareText(a, b) == 0;
}

static int CompareA(DWORD flags, const AnsiString& a, const AnsiString& b)
{
    return CompareStringA(LOCALE_USER_DEFAULT, flags, a.data(), static_cast<int>(a.size()), b.data(),
                          static_cast<int>(b.size())) - CSTR_EQUAL;
}

static int CompareW(DWORD flags, const WideString& a, const WideString& b)
{
    return CompareStringW(LOCALE_USER_DEFAULT, flags, a.data(), static_cast<int>(a.size()), b.data(),
                          static_cast<int>(b.size())) - CSTR_EQUAL;
}

int AnsiCompareStr(const AnsiString& a, const AnsiString& b) { return CompareA(0, a, b); }
int AnsiCompareText(const AnsiString& a, const AnsiString& b) { return CompareA(NORM_IGNORECASE, a, b); }
bool AnsiSameText(const AnsiString& a, const AnsiString& b) { return AnsiCompareText(a, b) == 0; }
int WideCompareStr(const WideString& a, const WideString& b) { return CompareW(0, a, b); }
int WideCompareText(const WideString& a, const WideString& b) { return CompareW(NORM_IGNORECASE, a, b); }
bool WideSameText(const WideString& a, const WideString& b) { return WideCompareText(a, b) == 0; }

// ---------------------------------------------------------------------------------------

static size_t LastPathDelimiter(const AnsiString& name)
{
    return name.find_last_of("\\:/");
}

AnsiString ExtractFilePath(const AnsiString& name)
{
    size_t p = LastPathDelimiter(name);
    return p == AnsiString::npos ? AnsiString() : name.substr(0, p + 1);
}

AnsiString ExtractFileName(const AnsiString& name)
{
    size_t p = LastPathDelimiter(name);
    return p == AnsiString::npos ? name : name.substr(p + 1);
}

AnsiString ExtractFileExt(const AnsiString& name)
{
    size_t p = name.find_last_of(".\\:/");
    return p != AnsiString::npos && name[p] == '.' ? name.substr(p) : AnsiString();
}

AnsiString ExpandFileName(const AnsiString& name)
{
    char buf[MAX_PATH];
    char* part = nullptr;
    DWORD n = GetFullPathNameA(name.c_str(), MAX_PATH, buf, &part);
    return n > 0 && n < MAX_PATH ? AnsiString(buf, n) : name;
}

AnsiString IncludeTrailingPathDelimiter(const AnsiString& s)
{
    if (!s.empty() && (s.back() == '\\' || s.back() == '/'))
        return s;
    return s + '\\';
}

bool FileExists(const AnsiString& name)
{
    DWORD a = GetFileAttributesA(name.c_str());
    return a != INVALID_FILE_ATTRIBUTES && !(a & FILE_ATTRIBUTE_DIRECTORY);
}

bool DirectoryExists(const AnsiString& name)
{
    DWORD a = GetFileAttributesA(name.c_str());
    return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY);
}

// The platform's parameter rule: blanks and control characters separate, double quotes group.
static const char* NextParam(const char* p, AnsiString& out)
{
    out.clear();
    while (*p && (static_cast<unsigned char>(*p) <= ' ' || (p[0] == '"' && p[1] == '"')))
        p += (*p == '"') ? 2 : 1;
    while (static_cast<unsigned char>(*p) > ' ') {
        if (*p == '"') {
            ++p;
            while (*p && *p != '"')
                out += *p++;
            if (*p)
                ++p;
        } else
            out += *p++;
    }
    return p;
}

AnsiString ParamStr(int index)
{
    if (index == 0) {
        char buf[MAX_PATH];
        DWORD n = GetModuleFileNameA(nullptr, buf, MAX_PATH);
        return AnsiString(buf, n);
    }
    const char* p = GetCommandLineA();
    AnsiString s;
    for (;;) {
        p = NextParam(p, s);
        if (index == 0 || s.empty())
            return s;
        --index;
    }
}

int ParamCount()
{
    AnsiString s;
    const char* p = NextParam(GetCommandLineA(), s);  // the program's own name
    int n = 0;
    for (;;) {
        p = NextParam(p, s);
        if (s.empty())
            return n;
        ++n;
    }
}

char DecimalSeparator = '.';
char ThousandSeparator = ',';

namespace {
// The first character of a locale setting of the user's, Default when there is none.
char LocaleChar(LCTYPE Type, char Default)
{
    char buf[8] = {};
    return GetLocaleInfoA(LOCALE_USER_DEFAULT, Type, buf, sizeof(buf)) > 1 ? buf[0] : Default;
}
} // namespace

void GetFormatSettings()
{
    DecimalSeparator = LocaleChar(LOCALE_SDECIMAL, '.');
    ThousandSeparator = LocaleChar(LOCALE_STHOUSAND, ',');
}
