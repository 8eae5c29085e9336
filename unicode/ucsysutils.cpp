#include "unicode/ucsysutils.h"

#include "unicode/ucwidestrutils.h"

#include <cstddef>
#include <cstring>
#include <cwchar>
#include <vector>

// ---------------------------------------------------------------------------------------
// Wide strings

WideString WideUpperCaseCopy(const WideString& S)
{
    WideString r = S;
    if (!r.empty())
        CharUpperBuffWide(r.data(), static_cast<DWORD>(r.size()));
    return r;
}

int WideTextPos(const WideString& Sub, const WideString& S)
{
    if (Sub.empty())
        return 0;
    const size_t p = WideUpperCaseCopy(S).find(WideUpperCaseCopy(Sub));
    return p == WideString::npos ? 0 : static_cast<int>(p) + 1;
}

int LastDelimiterWide(const WideString& Delimiters, const WideString& S)
{
    const size_t p = S.find_last_of(Delimiters);
    return p == WideString::npos ? 0 : static_cast<int>(p) + 1;
}

WideString ExtractWideFilePath(const WideString& FileName)
{
    return FileName.substr(0, static_cast<size_t>(LastDelimiterWide(L"\\:", FileName)));
}

WideString ExtractWideFileNamePart(const WideString& FileName)
{
    return FileName.substr(static_cast<size_t>(LastDelimiterWide(L"\\:", FileName)));
}

WideString AdjustLineBreaksWide(const WideString& S, TTextLineBreakStyle Style)
{
    static constexpr WideChar LineSeparator = 0x2028;
    const WideChar* breakText = Style == tlbsCRLF ? L"\r\n" : Style == tlbsCR ? L"\r" : L"\n";
    const size_t breakLen = Style == tlbsCRLF ? 2 : 1;
    const size_t n = S.size();

    // Measure first, so the result is allocated once.
    size_t len = 0;
    for (size_t i = 0; i < n; ++i) {
        const WideChar c = S[i];
        if (c == L'\r') {
            if (i + 1 < n && S[i + 1] == L'\n')
                ++i;
            len += breakLen;
        } else if (c == L'\n' || c == LineSeparator)
            len += breakLen;
        else
            ++len;
    }

    WideString r(len, L'\0');
    WideChar* d = r.data();
    for (size_t i = 0; i < n; ++i) {
        const WideChar c = S[i];
        if (c == L'\r' || c == L'\n' || c == LineSeparator) {
            if (c == L'\r' && i + 1 < n && S[i + 1] == L'\n')
                ++i;
            for (size_t k = 0; k < breakLen; ++k)
                *d++ = breakText[k];
        } else
            *d++ = c;
    }
    return r;
}

bool CharMapsToAnsi(WideChar C)
{
    // The UTF code pages hold every character; only a lone surrogate has no form in them.
    if (DefaultConversionCodePage == CP_UTF7_ || DefaultConversionCodePage == CP_UTF8_)
        return C < 0xD800 || C > 0xDFFF;
    // Without best fit: a look-alike ("e" for "e acute") is not the character itself.
    char buf[8];
    BOOL usedDefault = FALSE;
    const int n = WideCharToMultiByte(DefaultConversionCodePage, WC_NO_BEST_FIT_CHARS, &C, 1, buf,
                                      sizeof(buf), nullptr, &usedDefault);
    return n > 0 && !usedDefault;
}

WideString SysErrorMessageWide(DWORD Code, HMODULE Module, const WideString& SourceName)
{
    DWORD flags = FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS |
                  FORMAT_MESSAGE_ARGUMENT_ARRAY;
    if (Module)
        flags |= FORMAT_MESSAGE_FROM_HMODULE;
    WideString r;
    if (PlatformIsUnicode) {
        WideChar buf[256];
        const DWORD n = FormatMessageW(flags, Module, Code, 0, buf, 256, nullptr);
        r.assign(buf, n < 256 ? n : 0);
    } else {
        char buf[256];
        const DWORD n = FormatMessageA(flags, Module, Code, 0, buf, 256, nullptr);
        r = AnsiToWide(AnsiString(buf, n < 256 ? n : 0));
    }
    while (!r.empty() && static_cast<uint16_t>(r.back()) <= 32)
        r.pop_back();
    if (r.empty())
        r = WideFormat(L"Unspecified error (%d) from %ls.", static_cast<int>(Code), SourceName.c_str());
    return r;
}

// ---------------------------------------------------------------------------------------
// Wide operating-system calls

// The ANSI form of a text argument that may be missing.
static AnsiString AnsiArg(const WideChar* Text)
{
    return Text ? WideToAnsi(WideString(Text)) : AnsiString();
}

// Widens a terminated ANSI text into a fixed wide array, always terminated.
static void WidenInto(const char* Source, size_t SourceMax, WideChar* Dest, size_t DestMax)
{
    const WideString w = AnsiToWide(AnsiString(Source, strnlen(Source, SourceMax)));
    WideBufPLCopy(Dest, w, DestMax - 1);
}

HANDLE CreateFileWide(const WideChar* FileName, DWORD DesiredAccess, DWORD ShareMode,
                      SECURITY_ATTRIBUTES* Security, DWORD Disposition, DWORD Flags,
                      HANDLE Template)
{
    if (PlatformIsUnicode)
        return CreateFileW(FileName, DesiredAccess, ShareMode, Security, Disposition, Flags, Template);
    return CreateFileA(AnsiArg(FileName).c_str(), DesiredAccess, ShareMode, Security, Disposition,
                       Flags, Template);
}

HANDLE FileCreateWide(const WideString& FileName)
{
    return CreateFileWide(FileName.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                          FILE_ATTRIBUTE_NORMAL, nullptr);
}

HANDLE FileOpenWide(const WideString& FileName, uint32_t Mode)
{
    static constexpr DWORD AccessMode[3] = {GENERIC_READ, GENERIC_WRITE, GENERIC_READ | GENERIC_WRITE};
    static constexpr DWORD ShareMode[5] = {0, 0, FILE_SHARE_READ, FILE_SHARE_WRITE,
                                           FILE_SHARE_READ | FILE_SHARE_WRITE};
    const uint32_t access = Mode & 3, share = (Mode & 0xF0) >> 4;
    if (access >= 3 || share >= 5) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return INVALID_HANDLE_VALUE;
    }
    return CreateFileWide(FileName.c_str(), AccessMode[access], ShareMode[share], nullptr,
                          OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
}

HANDLE FindFirstFileWide(const WideChar* FileName, WIN32_FIND_DATAW* FindData)
{
    if (PlatformIsUnicode)
        return FindFirstFileW(FileName, FindData);
    // The fields in front of the names are the same in both records.
    static_assert(offsetof(WIN32_FIND_DATAA, cFileName) == 44);
    static_assert(offsetof(WIN32_FIND_DATAW, cFileName) == 44);
    WIN32_FIND_DATAA ad{};
    HANDLE h = FindFirstFileA(AnsiArg(FileName).c_str(), &ad);
    if (h != INVALID_HANDLE_VALUE && FindData) {
        std::memcpy(FindData, &ad, 44);
        WidenInto(ad.cFileName, MAX_PATH, FindData->cFileName, MAX_PATH);
        WidenInto(ad.cAlternateFileName, 14, FindData->cAlternateFileName, 14);
    }
    return h;
}

BOOL FindNextFileWide(HANDLE FindFile, WIN32_FIND_DATAW* FindData)
{
    if (PlatformIsUnicode)
        return FindNextFileW(FindFile, FindData);
    WIN32_FIND_DATAA ad{};
    if (!FindNextFileA(FindFile, &ad))
        return FALSE;
    if (FindData) {
        std::memcpy(FindData, &ad, 44);
        WidenInto(ad.cFileName, MAX_PATH, FindData->cFileName, MAX_PATH);
        WidenInto(ad.cAlternateFileName, 14, FindData->cAlternateFileName, 14);
    }
    return TRUE;
}

bool FileExistsWide(const WideString& FileName)
{
    WIN32_FIND_DATAW fd;
    HANDLE h = FindFirstFileWide(FileName.c_str(), &fd);
    if (h == INVALID_HANDLE_VALUE)
        return false;
    FindClose(h);
    return !(fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY);
}

int DrawTextWide(HDC DC, const WideChar* Text, int Count, RECT* Rect, UINT Format)
{
    if (PlatformIsUnicode)
        return DrawTextW(DC, Text, Count, Rect, Format);
    const size_t len = !Text ? 0 : Count < 0 ? std::wcslen(Text) : static_cast<size_t>(Count);
    const AnsiString a = WideToAnsi(WideString(Text ? Text : L"", len));
    // DT_MODIFYSTRING may write an ellipsis of up to four characters into the text.
    std::vector<char> buf(a.size() + 5, '\0');
    std::memcpy(buf.data(), a.data(), a.size());
    return DrawTextA(DC, buf.data(), -1, Rect, Format);
}

BOOL SetWindowTextWide(HWND Wnd, const WideChar* Text)
{
    if (PlatformIsUnicode)
        return SetWindowTextW(Wnd, Text);
    return SetWindowTextA(Wnd, AnsiArg(Text).c_str());
}

DWORD GetFullPathNameWide(const WideChar* FileName, DWORD BufLen, WideChar* Buffer,
                          WideChar** FilePart)
{
    if (PlatformIsUnicode)
        return GetFullPathNameW(FileName, BufLen, Buffer, FilePart);
    if (FilePart)
        *FilePart = nullptr;
    const AnsiString name = AnsiArg(FileName);
    std::vector<char> abuf(520);
    char* afp = nullptr;
    DWORD n = GetFullPathNameA(name.c_str(), static_cast<DWORD>(abuf.size()), abuf.data(), &afp);
    if (n >= abuf.size()) {
        // A longer path than the usual buffer holds: ask again with room for it.
        abuf.resize(n);
        n = GetFullPathNameA(name.c_str(), static_cast<DWORD>(abuf.size()), abuf.data(), &afp);
        if (n >= abuf.size())
            return 0;
    }
    if (n == 0)
        return 0;
    const WideString w = AnsiToWide(AnsiString(abuf.data(), n));
    if (!Buffer || w.size() >= BufLen)
        return static_cast<DWORD>(w.size() + 1);
    WideBufMove(Buffer, w.data(), w.size())[w.size()] = 0;
    if (FilePart && afp) {
        const size_t p = w.find_last_of(L'\\');
        *FilePart = Buffer + (p == WideString::npos ? 0 : p + 1);
    }
    return static_cast<DWORD>(w.size());
}

DWORD GetModuleFileNameWide(HMODULE Module, WideChar* Buffer, DWORD Size)
{
    if (PlatformIsUnicode)
        return GetModuleFileNameW(Module, Buffer, Size);
    char abuf[MAX_PATH];
    const DWORD n = GetModuleFileNameA(Module, abuf, MAX_PATH);
    if (n == 0)
        return 0;
    const WideString w = AnsiToWide(AnsiString(abuf, n < MAX_PATH ? n : MAX_PATH));
    if (!Buffer || Size == 0) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return 0;
    }
    if (w.size() >= Size) {
        // Too small: filled to its size, terminated, and its size returned.
        WideBufMove(Buffer, w.data(), Size - 1)[Size - 1] = 0;
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return Size;
    }
    WideBufMove(Buffer, w.data(), w.size())[w.size()] = 0;
    return static_cast<DWORD>(w.size());
}

WideString ExpandFileNameWide(const WideString& FileName)
{
    std::vector<WideChar> buf(MAX_PATH);
    WideChar* part = nullptr;
    DWORD n = GetFullPathNameWide(FileName.c_str(), MAX_PATH, buf.data(), &part);
    if (n >= buf.size()) {
        // The answer is the size needed: a path longer than MAX_PATH is read in full.
        buf.resize(n);
        n = GetFullPathNameWide(FileName.c_str(), n, buf.data(), &part);
        if (n >= buf.size())
            return WideString();
    }
    return WideString(buf.data(), n);
}

WideString ModuleFileNameWide(HMODULE Module)
{
    std::vector<WideChar> buf(MAX_PATH);
    for (;;) {
        const DWORD n = GetModuleFileNameWide(Module, buf.data(), static_cast<DWORD>(buf.size()));
        if (n == 0)
            RaiseLastOSError();
        if (n < buf.size() || buf.size() >= 32768)
            return WideString(buf.data(), wcsnlen(buf.data(), n));
        buf.resize(buf.size() * 2);   // a long path was cut: read it again whole
    }
}

HMODULE LoadLibraryWide(const WideChar* FileName)
{
    if (PlatformIsUnicode)
        return LoadLibraryW(FileName);
    return LoadLibraryA(AnsiArg(FileName).c_str());
}

// Upper case through the ANSI code page: only a character with an exact ANSI form can be
// mapped, and only a mapping back to exactly one character is taken.
static WideChar CharUpperThroughAnsi(WideChar C)
{
    if (!CharMapsToAnsi(C))
        return C;
    char a[8];
    const int n = WideCharToMultiByte(DefaultConversionCodePage, 0, &C, 1, a, sizeof(a), nullptr, nullptr);
    if (n <= 0)
        return C;
    if (n == 1)
        a[0] = static_cast<char>(reinterpret_cast<uintptr_t>(
            CharUpperA(reinterpret_cast<LPSTR>(static_cast<uintptr_t>(static_cast<uint8_t>(a[0]))))));
    else
        CharUpperBuffA(a, static_cast<DWORD>(n));
    WideChar w[4];
    return MultiByteToWideChar(DefaultConversionCodePage, 0, a, n, w, 4) == 1 ? w[0] : C;
}

WideChar CharUpperWide(WideChar C)
{
    if (PlatformIsUnicode)
        return static_cast<WideChar>(reinterpret_cast<uintptr_t>(
            CharUpperW(reinterpret_cast<LPWSTR>(static_cast<uintptr_t>(static_cast<uint16_t>(C))))));
    return CharUpperThroughAnsi(C);
}

WideChar* CharUpperWide(WideChar* CharOrText)
{
    const uintptr_t v = reinterpret_cast<uintptr_t>(CharOrText);
    if (v <= 0xFFFF)
        return reinterpret_cast<WideChar*>(
            static_cast<uintptr_t>(static_cast<uint16_t>(CharUpperWide(static_cast<WideChar>(v)))));
    if (PlatformIsUnicode)
        return CharUpperW(CharOrText);
    for (WideChar* p = CharOrText; *p; ++p)
        *p = CharUpperThroughAnsi(*p);
    return CharOrText;
}

DWORD CharUpperBuffWide(WideChar* Buf, DWORD Length)
{
    if (PlatformIsUnicode)
        return CharUpperBuffW(Buf, Length);
    for (DWORD i = 0; i < Length; ++i)
        Buf[i] = CharUpperThroughAnsi(Buf[i]);
    return Length;
}

// The string table read directly: block Id / 16 + 1 holds sixteen counted strings.
static int LoadStringFromTable(HINSTANCE Instance, UINT Id, WideChar* Buffer, int BufferMax)
{
    if ((Id >> 16) == 0xFFFF)
        Id = static_cast<UINT>(-static_cast<int>(Id));
    const UINT block = Id / 16 + 1;
    if (block > 0xFFFF)
        return 0;
    HRSRC res = FindResourceA(Instance, MAKEINTRESOURCEA(block), MAKEINTRESOURCEA(6));
    if (!res)
        return 0;
    HGLOBAL mem = LoadResource(Instance, res);
    if (!mem)
        return 0;
    const auto* p = static_cast<const uint16_t*>(LockResource(mem));
    if (!p)
        return 0;
    // A damaged table must not send the walk past the resource's end.
    const uint16_t* end = p + SizeofResource(Instance, res) / sizeof(uint16_t);
    for (UINT i = Id % 16; i > 0; --i) {
        if (p >= end)
            return 0;
        p += 1 + *p;
    }
    if (p >= end)
        return 0;
    size_t len = *p++;
    if (len > static_cast<size_t>(end - p))
        len = static_cast<size_t>(end - p);
    if (!Buffer || BufferMax < 1)
        return static_cast<int>(len);
    if (len > static_cast<size_t>(BufferMax - 1))
        len = static_cast<size_t>(BufferMax - 1);
    std::memcpy(Buffer, p, len * sizeof(WideChar));
    Buffer[len] = 0;
    return static_cast<int>(len);
}

int LoadStringWide(HINSTANCE Instance, UINT Id, WideChar* Buffer, int BufferMax)
{
    if (PlatformIsUnicode)
        return LoadStringW(Instance, Id, Buffer, BufferMax);
    return LoadStringFromTable(Instance, Id, Buffer, BufferMax);
}

DWORD_PTR GetShellFileInfoWide(const WideChar* Path, DWORD FileAttributes, SHFILEINFOW* Info,
                               UINT InfoSize, UINT Flags)
{
    if (PlatformIsUnicode)
        return UcShell().GetFileInfo(Path, FileAttributes, Info, InfoSize, Flags);
    static_assert(sizeof(SHFILEINFOA) == 352 && sizeof(SHFILEINFOW) == 692);
    SHFILEINFOA ai{};
    // With SHGFI_PIDL the "path" is an item list, not text, and passes unchanged.
    const AnsiString path = (Flags & SHGFI_PIDL) ? AnsiString() : AnsiArg(Path);
    const char* apath = (Flags & SHGFI_PIDL) ? reinterpret_cast<const char*>(Path) : path.c_str();
    const DWORD_PTR r = SHGetFileInfoA(apath, FileAttributes, &ai, sizeof(ai), Flags);
    if (Info && InfoSize >= sizeof(SHFILEINFOW)) {
        std::memset(Info, 0, sizeof(SHFILEINFOW));
        Info->hIcon = ai.hIcon;
        Info->iIcon = ai.iIcon;
        Info->dwAttributes = ai.dwAttributes;
        WidenInto(ai.szDisplayName, MAX_PATH, Info->szDisplayName, MAX_PATH);
        WidenInto(ai.szTypeName, 80, Info->szTypeName, 80);
    }
    return r;
}

// ---------------------------------------------------------------------------------------
// The shell library

namespace {

struct TShellLibrary {
    HMODULE Handle = nullptr;
    TUcShellEntries Entries{};
    ~TShellLibrary()
    {
        if (Handle)
            FreeLibrary(Handle);
    }
};

template <class T> T ShellEntry(HMODULE Lib, const char* Name)
{
    FARPROC p = GetProcAddress(Lib, Name);
    if (!p) {
        const DWORD err = GetLastError();
        FreeLibrary(Lib);
        RaiseLastOSError(err);
    }
    return reinterpret_cast<T>(reinterpret_cast<void*>(p));
}

}  // namespace

const TUcShellEntries& UcShell()
{
    // Loaded on first use; the destructor frees it at program end.
    static TShellLibrary lib;
    if (!lib.Handle) {
        HMODULE h = LoadLibraryWide(L"shell32.dll");
        if (!h)
            RaiseLastOSError();
        TUcShellEntries e;
        e.FileOperation = ShellEntry<decltype(e.FileOperation)>(h, "SHFileOperationW");
        e.BrowseForFolder = ShellEntry<decltype(e.BrowseForFolder)>(h, "SHBrowseForFolderW");
        e.GetPathFromIDList = ShellEntry<decltype(e.GetPathFromIDList)>(h, "SHGetPathFromIDListW");
        e.GetFileInfo = ShellEntry<decltype(e.GetFileInfo)>(h, "SHGetFileInfoW");
        lib.Entries = e;
        lib.Handle = h;
    }
    return lib.Entries;
}
