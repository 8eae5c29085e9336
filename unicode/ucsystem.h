// The bottom of the Unicode layer: platform switches, its exceptions, code pages and the
// conversions between UTF-16 and ANSI code pages, UTF-7 and UTF-8; the wide command line and
// wide resource strings.
#pragma once

#include "classlib/sysutils.h"

// True on the NT family: every routine of the layer takes the "W" call; false converts to
// ANSI through DefaultConversionCodePage and takes the "A" call.
extern bool PlatformIsUnicode;
extern bool PlatformIsXPOrLater;
extern UINT DefaultConversionCodePage;

// Sets the three switches above from the platform version. Called once at program start,
// before any window or list exists.
void InitUcSystem();

ZANDREL_EXCEPTION(EUcGeneralError, Exception);   // bad input, e.g. "Invalid UTF7"
ZANDREL_EXCEPTION(EUcInternalError, Exception);  // impossible states, "Internal Error: ..."

constexpr UINT CP_UTF7_ = 65000;
constexpr UINT CP_UTF8_ = 65001;

UINT LocaleCodePage(LCID Locale);
UINT KeyboardLayoutCodePage();
WideChar KeyCharToWide(uint16_t CharCode);

WideString ConvertToWide(const AnsiString& S, UINT CodePage);
AnsiString ConvertFromWide(const WideString& WS, UINT CodePage);
// The default conversion: DefaultConversionCodePage.
inline WideString AnsiToWide(const AnsiString& S) { return ConvertToWide(S, DefaultConversionCodePage); }
inline AnsiString WideToAnsi(const WideString& WS) { return ConvertFromWide(WS, DefaultConversionCodePage); }

AnsiString WideToUtf8(const WideString& WS);
WideString Utf8ToWide(const AnsiString& S);
WideString Utf8ToWide(const char* Data, size_t Len);

// UTF-7. The encoder and decoder over ranges report: 0 done, 1 invalid input (decoder),
// 2 destination full.
enum TUtf7Result { utf7Ok = 0, utf7Invalid = 1, utf7Overflow = 2 };
TUtf7Result ConvertUTF16toUTF7(const WideChar*& Src, const WideChar* SrcEnd, char*& Dst,
                               char* DstEnd, bool AlwaysClose, bool SetODirect);
TUtf7Result ConvertUTF7toUTF16(const char*& Src, const char* SrcEnd, WideChar*& Dst,
                               WideChar* DstEnd);
AnsiString WideToUtf7(const WideString& WS);   // EUcInternalError "Buffer overflow"
WideString Utf7ToWide(const AnsiString& S);    // EUcGeneralError "Invalid UTF7"

// Swaps the bytes of every character of a terminated buffer, up to the first zero character.
void SwapWideByteOrder(WideChar* Buf);

// Parameter Index of the wide command line; 0 is the program's own file name.
WideString GetWideParamStr(int Index);
// Parameter Index of the given command line by the same rule (0 is the first word as written).
WideString WideParamOfCommandLine(const WideChar* CommandLine, int Index);

// A resource-string record: the module whose resources hold it and the identifier (below
// 65536 a string-table entry; above, the address of an ANSI text).
struct TResStringRec {
    HMODULE* Module;
    uintptr_t Identifier;
};
WideString LoadResStringWide(const TResStringRec* Rec);
