// Wide string helpers and the wide operating-system calls, each with the NT path ("W" call)
// and the non-NT path (text converted through DefaultConversionCodePage, "A" call).
#pragma once

#include "unicode/ucsystem.h"

WideString WideUpperCaseCopy(const WideString& S);
int WideTextPos(const WideString& Sub, const WideString& S);           // 1-based, 0 absent
int LastDelimiterWide(const WideString& Delimiters, const WideString& S);
WideString ExtractWideFilePath(const WideString& FileName);
WideString ExtractWideFileNamePart(const WideString& FileName);
enum TTextLineBreakStyle { tlbsLF = 0, tlbsCRLF = 1, tlbsCR = 2 };
WideString AdjustLineBreaksWide(const WideString& S, TTextLineBreakStyle Style);
bool CharMapsToAnsi(WideChar C);
WideString SysErrorMessageWide(DWORD Code, HMODULE Module = nullptr,
                               const WideString& SourceName = L"system");
// Raises the last OS error when Result is zero; else returns it.
template <class T> T CheckOsResult(T Result)
{
    if (!Result)
        RaiseLastOSError();
    return Result;
}

HANDLE CreateFileWide(const WideChar* FileName, DWORD DesiredAccess, DWORD ShareMode,
                      SECURITY_ATTRIBUTES* Security, DWORD Disposition, DWORD Flags,
                      HANDLE Template);
HANDLE FileCreateWide(const WideString& FileName);
// Mode: access in bits 0-1 (0 read, 1 write, 2 both), sharing in bits 4-7 (0 and 1 none,
// 2 read, 3 write, 4 read and write). Other values fail with ERROR_INVALID_PARAMETER.
HANDLE FileOpenWide(const WideString& FileName, uint32_t Mode);
HANDLE FindFirstFileWide(const WideChar* FileName, WIN32_FIND_DATAW* FindData);
// The next entry of a search FindFirstFileWide began, in the same record form.
BOOL FindNextFileWide(HANDLE FindFile, WIN32_FIND_DATAW* FindData);
bool FileExistsWide(const WideString& FileName);
int DrawTextWide(HDC DC, const WideChar* Text, int Count, RECT* Rect, UINT Format);
BOOL SetWindowTextWide(HWND Wnd, const WideChar* Text);
DWORD GetFullPathNameWide(const WideChar* FileName, DWORD BufLen, WideChar* Buffer,
                          WideChar** FilePart);
DWORD GetModuleFileNameWide(HMODULE Module, WideChar* Buffer, DWORD Size);
WideString ExpandFileNameWide(const WideString& FileName);
WideString ModuleFileNameWide(HMODULE Module = nullptr);
HMODULE LoadLibraryWide(const WideChar* FileName);
// A single character (upper-cased and returned) or, when the pointer is above 0xFFFF, a
// terminated text upper-cased in place (the pointer returned).
WideChar* CharUpperWide(WideChar* CharOrText);
WideChar CharUpperWide(WideChar C);
DWORD CharUpperBuffWide(WideChar* Buf, DWORD Length);
int LoadStringWide(HINSTANCE Instance, UINT Id, WideChar* Buffer, int BufferMax);
DWORD_PTR GetShellFileInfoWide(const WideChar* Path, DWORD FileAttributes, SHFILEINFOW* Info,
                               UINT InfoSize, UINT Flags);

// The shell's wide entries, looked up together in "shell32.dll" on first use; a failed load
// or a missing entry raises the last OS error.
struct TUcShellEntries {
    decltype(&SHFileOperationW) FileOperation;
    decltype(&SHBrowseForFolderW) BrowseForFolder;
    decltype(&SHGetPathFromIDListW) GetPathFromIDList;
    decltype(&SHGetFileInfoW) GetFileInfo;
};
const TUcShellEntries& UcShell();
