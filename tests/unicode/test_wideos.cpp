#include "uctest.h"
#include "unicode/ucsysutils.h"
#include "join.h"

#include <cstring>

TEST_CASE("files with Cyrillic names on both paths")
{
    OnBothPaths([](bool unicode) {
        const WideString name = TestFilePath(Cyrillic + (unicode ? L"-w.txt" : L"-a.txt"));
        HANDLE h = FileCreateWide(name);
        REQUIRE(h != INVALID_HANDLE_VALUE);
        DWORD done = 0;
        CHECK(WriteFile(h, "content", 7, &done, nullptr));
        CloseHandle(h);
        {
            // The name on disk is the Cyrillic one, whichever call made it.
            TRestore<bool> wide(PlatformIsUnicode);
            PlatformIsUnicode = true;
            CHECK(FileExistsWide(name));
        }
        // A folder is no file.
        CHECK(Join(FileExistsWide(name), FileExistsWide(name + L".missing"), FileExistsWide(TestFilePath(L""))) ==
              Join(true, false, false));
        // The ANSI call's find data is widened.
        WIN32_FIND_DATAW found{};
        FindClose(FindFirstFileWide(name.c_str(), &found));
        CHECK(Join(WideString(found.cFileName), found.nFileSizeLow) == Join(ExtractWideFileNamePart(name), 7));

        h = FileOpenWide(name, 0x20);   // read, others may only read
        REQUIRE(h != INVALID_HANDLE_VALUE);
        char buf[16] = {};
        CHECK(ReadFile(h, buf, sizeof(buf), &done, nullptr));
        CHECK(AnsiString(buf, done) == "content");
        CHECK(FileOpenWide(name, 0x41) == INVALID_HANDLE_VALUE);   // a writer is refused
        CHECK(GetLastError() == ERROR_SHARING_VIOLATION);
        HANDLE reader = FileOpenWide(name, 0x40);
        CHECK(reader != INVALID_HANDLE_VALUE);
        CloseHandle(reader);
        CloseHandle(h);

        for (uint32_t bad : {3u, 0x50u, 0xF2u}) {
            CAPTURE(bad);
            SetLastError(0);
            CHECK(FileOpenWide(name, bad) == INVALID_HANDLE_VALUE);
            CHECK(GetLastError() == ERROR_INVALID_PARAMETER);
        }
        DeleteFileW(name.c_str());
    });
}

TEST_CASE("full path names and module file names")
{
    OnBothPaths([](bool unicode) {
        const WideString rel = Cyrillic + L".txt";
        WideChar buf[MAX_PATH];
        WideChar* part = nullptr;
        const DWORD n = GetFullPathNameWide(rel.c_str(), MAX_PATH, buf, &part);
        REQUIRE(n > rel.size());
        REQUIRE(part != nullptr);
        CHECK(Join(n, WideString(part), ExpandFileNameWide(rel)) == Join(std::wcslen(buf), rel, WideString(buf, n)));
        // Too small a buffer: the size needed, terminator included.
        WideChar small[4];
        CHECK(GetFullPathNameWide(rel.c_str(), 4, small, &part) == n + 1);
        CHECK(GetFullPathNameWide(L"C:\\dir\\", MAX_PATH, buf, &part) == 7);
        CHECK(part == nullptr);

        // Longer than MAX_PATH: read whole, not cut or overrun. The ANSI call may refuse
        // such a name altogether.
        const WideString longName = L"C:\\" + WideString(300, L'x') + L"\\" + Cyrillic;
        const WideString expanded = ExpandFileNameWide(longName);
        if (unicode || !expanded.empty())
            CHECK(expanded == longName);
        CHECK(ExpandFileNameWide(L"") == L"");
    });

    // The module's file name.
    {
        const WideString own = ModuleFileNameWide();
        CHECK(ExtractWideFileNamePart(own) == L"test_unicode.exe");
        CHECK(ModuleFileNameWide(GetModuleHandleW(nullptr)) == own);
        CHECK_THROWS_AS(ModuleFileNameWide(reinterpret_cast<HMODULE>(0x10)), EOSError);
        TAnsiPlatform ansi;
        CHECK(ModuleFileNameWide() == own);
    }
}

TEST_CASE("libraries, window texts and the shell")
{
    OnBothPaths([](bool unicode) {
        HMODULE lib = LoadLibraryWide(L"kernel32.dll");
        CHECK(lib == GetModuleHandleW(L"kernel32.dll"));
        FreeLibrary(lib);
        CHECK(LoadLibraryWide(L"no-such-library.dll") == nullptr);

        HWND wnd = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                                   GetModuleHandleW(nullptr), nullptr);
        REQUIRE(wnd);
        CHECK(SetWindowTextWide(wnd, Cyrillic.c_str()));
        WideChar text[32] = {};
        GetWindowTextW(wnd, text, 32);
        CHECK(WideString(text) == Cyrillic);
        CHECK(SetWindowTextWide(wnd, L"\x4E2D"));
        GetWindowTextW(wnd, text, 32);
        // Without the wide call a character with no ANSI form becomes the default character.
        CHECK(WideString(text) == (unicode ? L"\x4E2D" : L"?"));
        DestroyWindow(wnd);

        SHFILEINFOW info;
        std::memset(&info, 0x55, sizeof(info));
        const WideString file = Cyrillic + L".txt";
        CHECK(GetShellFileInfoWide(file.c_str(), FILE_ATTRIBUTE_NORMAL, &info, sizeof(info),
                                   SHGFI_USEFILEATTRIBUTES | SHGFI_DISPLAYNAME | SHGFI_TYPENAME) != 0);
        CHECK(WideString(info.szDisplayName) == file);
    });
    const TUcShellEntries& shell = UcShell();
    for (bool found : {shell.FileOperation != nullptr, shell.BrowseForFolder != nullptr,
                       shell.GetPathFromIDList != nullptr, shell.GetFileInfo != nullptr})
        CHECK(found);
}

TEST_CASE("text drawn through either path measures the same")
{
    HDC dc = CreateCompatibleDC(nullptr);
    REQUIRE(dc);
    const WideString text = Cyrillic + L" text";
    RECT full{}, part{}, fullAnsi{}, partAnsi{};
    CHECK(DrawTextWide(dc, text.c_str(), -1, &full, DT_CALCRECT | DT_SINGLELINE) > 0);
    CHECK(DrawTextWide(dc, text.c_str(), 3, &part, DT_CALCRECT | DT_SINGLELINE) > 0);
    {
        TAnsiPlatform ansi;
        CHECK(DrawTextWide(dc, text.c_str(), -1, &fullAnsi, DT_CALCRECT | DT_SINGLELINE) > 0);
        CHECK(DrawTextWide(dc, text.c_str(), 3, &partAnsi, DT_CALCRECT | DT_SINGLELINE) > 0);
        // An ellipsis written into the converted copy stays inside it.
        RECT narrow{0, 0, 12, 20};
        CHECK(DrawTextWide(dc, text.c_str(), -1, &narrow, DT_SINGLELINE | DT_END_ELLIPSIS | DT_MODIFYSTRING) > 0);
        RECT none{0, 0, 10, 10};
        DrawTextWide(dc, nullptr, -1, &none, DT_CALCRECT);
    }
    CHECK(Join(full.right, part.right) == Join(fullAnsi.right, partAnsi.right));
    CHECK(part.right < full.right);
    DeleteDC(dc);
}

TEST_CASE("a failed system call raises EOSError with its code")
{
    CHECK(CheckOsResult(5) == 5);
    SetLastError(ERROR_ACCESS_DENIED);
    try {
        CheckOsResult(0);
        FAIL("no exception");
    } catch (const EOSError& e) {
        CHECK(e.ErrorCode == static_cast<DWORD>(ERROR_ACCESS_DENIED));
    }
}
