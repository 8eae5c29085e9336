// Exceptions, formatting, conversions and comparisons of the class library.
#pragma once

#include "classlib/winapi.h"
#include <cstdint>
#include <exception>
#include <new>
#include <string>

using AnsiString = std::string;
using WideString = std::wstring;
using WideChar = wchar_t;
using AnsiChar = char;

// ---------------------------------------------------------------------------------------
// Exceptions

class Exception : public std::exception {
public:
    explicit Exception(AnsiString msg) : FMessage(std::move(msg)) {}
    ~Exception() override = default;
    const AnsiString& Message() const noexcept { return FMessage; }
    void SetMessage(AnsiString msg) { FMessage = std::move(msg); }
    const char* what() const noexcept override { return FMessage.c_str(); }
    // The run-time class name, as the platform's exception dialogs show it.
    virtual const char* ClassName() const noexcept { return "Exception"; }

private:
    AnsiString FMessage;
};

#define ZANDREL_EXCEPTION(Name, Base)                                              \
    class Name : public Base {                                                     \
    public:                                                                        \
        using Base::Base;                                                          \
        const char* ClassName() const noexcept override { return #Name; }          \
    }

ZANDREL_EXCEPTION(EAbort, Exception);
ZANDREL_EXCEPTION(EConvertError, Exception);
ZANDREL_EXCEPTION(EInvalidOperation, Exception);
ZANDREL_EXCEPTION(EInvalidPointer, Exception);
ZANDREL_EXCEPTION(EOutOfMemory, Exception);
ZANDREL_EXCEPTION(EListError, Exception);
ZANDREL_EXCEPTION(EStringListError, EListError);
ZANDREL_EXCEPTION(EStreamError, Exception);
ZANDREL_EXCEPTION(EFileStreamError, EStreamError);
ZANDREL_EXCEPTION(EFCreateError, EFileStreamError);
ZANDREL_EXCEPTION(EFOpenError, EFileStreamError);
ZANDREL_EXCEPTION(EFilerError, EStreamError);
ZANDREL_EXCEPTION(EReadError, EFilerError);
ZANDREL_EXCEPTION(EWriteError, EFilerError);
ZANDREL_EXCEPTION(EClassNotFound, EFilerError);
ZANDREL_EXCEPTION(EResNotFound, Exception);
ZANDREL_EXCEPTION(EComponentError, Exception);

class EOSError : public Exception {
public:
    EOSError(AnsiString msg, DWORD code) : Exception(std::move(msg)), ErrorCode(code) {}
    const char* ClassName() const noexcept override { return "EOSError"; }
    DWORD ErrorCode;
};

// A failed assertion names its source file and line, as the platform's did:
// "<message> (<file>, line <n>)".
class EAssertionFailed : public Exception {
public:
    EAssertionFailed(const AnsiString& msg, const char* file, int line);
    const char* ClassName() const noexcept override { return "EAssertionFailed"; }
    AnsiString SourceFile;
    int SourceLine;
};

[[noreturn]] void RaiseLastOSError();
[[noreturn]] void RaiseLastOSError(DWORD code);
// The system's message text for an error code (ANSI), trailing blanks and full stops kept.
AnsiString SysErrorMessage(DWORD code);

// Raises EAssertionFailed with the caller's source position when the condition is false.
#define ZAssert(cond, msg) \
    ((cond) ? (void)0 : throw EAssertionFailed((msg), __FILE__, __LINE__))

// Runs Body, reporting memory used up in it as the library's EOutOfMemory: the loaders of
// text and lists fail with the library's own errors only, as every caller expects of them.
template <class F> void OutOfMemoryAsError(F&& Body)
{
    try {
        Body();
    } catch (const std::bad_alloc&) {
        throw EOutOfMemory("Out of memory");
    }
}

// ---------------------------------------------------------------------------------------
// Platform version and the user's format settings, read once by InitSysUtils() at program
// start.

extern DWORD Win32Platform;      // VER_PLATFORM_WIN32_NT on the NT family
extern DWORD Win32MajorVersion;
extern DWORD Win32MinorVersion;
extern DWORD Win32BuildNumber;
void InitSysUtils();

// ---------------------------------------------------------------------------------------
// Formatting: printf-style, as the platform's Format is used by this program.

AnsiString Format(const char* fmt, ...) __attribute__((format(printf, 1, 2)));
WideString WideFormat(const wchar_t* fmt, ...);

// ---------------------------------------------------------------------------------------
// Integer conversion. Text may carry a leading sign, and "$" or "0x" for hexadecimal.

AnsiString IntToStr(int64_t value);
AnsiString IntToHex(int64_t value, int digits);
int StrToInt(const AnsiString& s);                  // EConvertError "'%s' is not a valid integer value"
int StrToIntDef(const AnsiString& s, int def);
bool TryStrToInt(const AnsiString& s, int& value);
int64_t StrToInt64(const AnsiString& s);
bool TryStrToInt64(const AnsiString& s, int64_t& value);

// ---------------------------------------------------------------------------------------
// Text helpers (ASCII case mapping for the non-"Ansi" forms, as the platform's).

AnsiString Trim(const AnsiString& s);
AnsiString TrimLeft(const AnsiString& s);
AnsiString TrimRight(const AnsiString& s);
WideString WideTrim(const WideString& s);
AnsiString UpperCase(const AnsiString& s);
AnsiString LowerCase(const AnsiString& s);
AnsiString AnsiUpperCase(const AnsiString& s);    // locale-aware (CharUpperBuffA)
AnsiString AnsiLowerCase(const AnsiString& s);
WideString WideUpperCase(const WideString& s);    // CharUpperBuffW
WideString WideLowerCase(const WideString& s);

// Comparisons return <0, 0, >0.
int CompareStr(const AnsiString& a, const AnsiString& b);       // ordinal
int CompareText(const AnsiString& a, const AnsiString& b);      // ordinal, ASCII case folded
bool SameText(const AnsiString& a, const AnsiString& b);
int AnsiCompareStr(const AnsiString& a, const AnsiString& b);   // CompareStringA, user locale
int AnsiCompareText(const AnsiString& a, const AnsiString& b);  // CompareStringA, NORM_IGNORECASE
bool AnsiSameText(const AnsiString& a, const AnsiString& b);
int WideCompareStr(const WideString& a, const WideString& b);   // CompareStringW, user locale
int WideCompareText(const WideString& a, const WideString& b);  // CompareStringW, NORM_IGNORECASE
bool WideSameText(const WideString& a, const WideString& b);

// File names (ANSI), as the platform's SysUtils.
AnsiString ExtractFilePath(const AnsiString& name);   // up to and including the last '\' or ':'
AnsiString ExtractFileName(const AnsiString& name);
AnsiString ExtractFileExt(const AnsiString& name);    // with the dot
AnsiString ExpandFileName(const AnsiString& name);
AnsiString IncludeTrailingPathDelimiter(const AnsiString& s);
bool FileExists(const AnsiString& name);
bool DirectoryExists(const AnsiString& name);
AnsiString ParamStr(int index);
int ParamCount();

// The characters of numbers the user types and reads, in the ANSI code page: between the
// whole and the fractional part, and between groups of thousands. Read from the user's
// locale by GetFormatSettings, which InitSysUtils calls ('.' and ',' before that, and for a
// locale that names none).
extern char DecimalSeparator;
extern char ThousandSeparator;
void GetFormatSettings();
