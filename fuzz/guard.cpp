#include "fuzz/guard.h"

#include "classlib/memmgr.h"
#include "classlib/winapi.h"

#include <atomic>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <cwchar>

namespace {

// The input being run, and its file name made ready before it runs.
struct TCurrent {
    const uint8_t* Data = nullptr;
    size_t Size = 0;
    char Describe[256] = {};
    wchar_t Folder[MAX_PATH] = {};
    wchar_t Path[MAX_PATH] = {};
};
TCurrent Current;
std::atomic<bool> Running{false};
std::atomic<DWORD> StartedAt{0};
wchar_t KeepRoot[MAX_PATH] = {};
unsigned HangMs = 0;

// FNV-1a of the bytes: the same input is kept once.
uint64_t Fingerprint(const uint8_t* D, size_t N)
{
    uint64_t h = 0xCBF29CE484222325ull;
    for (size_t i = 0; i < N; ++i)
        h = (h ^ D[i]) * 0x100000001B3ull;
    return h;
}

void NameFiles(TCurrent& C, const char* Target)
{
    std::swprintf(C.Folder, MAX_PATH, L"%ls\\%hs", KeepRoot, Target);
    std::swprintf(C.Path, MAX_PATH, L"%ls\\%016llx.bin", C.Folder,
                  static_cast<unsigned long long>(Fingerprint(C.Data, C.Size)));
}

bool WriteInput(const TCurrent& C)
{
    CreateDirectoryW(KeepRoot, nullptr);
    CreateDirectoryW(C.Folder, nullptr);
    HANDLE h = CreateFileW(C.Path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (h == INVALID_HANDLE_VALUE)
        return false;
    DWORD written = 0;
    const bool ok = C.Size == 0 || (WriteFile(h, C.Data, DWORD(C.Size), &written, nullptr) && written == C.Size);
    CloseHandle(h);
    return ok;
}

void Say(const char* Text)
{
    std::fflush(stdout);
    DWORD written;
    WriteFile(GetStdHandle(STD_ERROR_HANDLE), Text, DWORD(std::strlen(Text)), &written, nullptr);
}

// The input that ends the program is written out, and a line says so.
void KeepDying(const char* What)
{
    if (!Running.load())
        return;
    char line[1024];
    char path[MAX_PATH * 2] = "(nowhere)";
    if (WriteInput(Current))
        WideCharToMultiByte(CP_ACP, 0, Current.Path, -1, path, sizeof path, nullptr, nullptr);
    std::snprintf(line, sizeof line, "fuzz: %s on %s; the input (%u bytes) is kept in %s\n", What, Current.Describe,
                  unsigned(Current.Size), path);
    Say(line);
}

void OnHeapFault(const char*)
{
    KeepDying("a fault of the checking heap (reported above)");
}

LONG WINAPI OnCrash(EXCEPTION_POINTERS* E)
{
    const EXCEPTION_RECORD& r = *E->ExceptionRecord;
    char what[256];
    HMODULE module = nullptr;
    char name[MAX_PATH] = "?";
    GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                       static_cast<LPCSTR>(r.ExceptionAddress), &module);
    if (module)
        GetModuleFileNameA(module, name, sizeof name);
    const char* base = std::strrchr(name, '\\');
    const uintptr_t offset = reinterpret_cast<uintptr_t>(r.ExceptionAddress) - reinterpret_cast<uintptr_t>(module);
    if (r.ExceptionCode == EXCEPTION_ACCESS_VIOLATION && r.NumberParameters >= 2)
        std::snprintf(what, sizeof what, "an access violation %s 0x%08lX at %s+0x%lX",
                      r.ExceptionInformation[0] == 1 ? "writing" : "reading",
                      static_cast<unsigned long>(r.ExceptionInformation[1]), base ? base + 1 : name,
                      static_cast<unsigned long>(offset));
    else
        std::snprintf(what, sizeof what, "the exception 0x%08lX at %s+0x%lX",
                      static_cast<unsigned long>(r.ExceptionCode), base ? base + 1 : name,
                      static_cast<unsigned long>(offset));
    KeepDying(what);
    TerminateProcess(GetCurrentProcess(), FuzzCrashExitCode);
    return EXCEPTION_EXECUTE_HANDLER;
}

// A failed assertion or std::terminate.
void OnAbort(int)
{
    KeepDying("an abort (a failed assertion, or an exception that had nowhere to go)");
    TerminateProcess(GetCurrentProcess(), FuzzCrashExitCode);
}

DWORD WINAPI Watchdog(void*)
{
    for (;;) {
        Sleep(250);
        if (Running.load() && GetTickCount() - StartedAt.load() > HangMs) {
            char what[128];
            std::snprintf(what, sizeof what, "no end after %u seconds", HangMs / 1000);
            KeepDying(what);
            TerminateProcess(GetCurrentProcess(), FuzzCrashExitCode);
        }
    }
}

} // namespace

void StartFuzzGuard(const std::wstring& KeepDir, unsigned HangSeconds)
{
    std::wcsncpy(KeepRoot, KeepDir.c_str(), MAX_PATH - 1);
    HangMs = HangSeconds * 1000;
    MemMgrSetFaultHook(&OnHeapFault);
    SetUnhandledExceptionFilter(&OnCrash);
    std::signal(SIGABRT, &OnAbort);
    // Room on the stack for the handler when the stack itself is what ran out (a call of
    // systems newer than the one the library is built for; without it, less room).
    using TGuarantee = BOOL(WINAPI*)(PULONG);
    if (auto guarantee = reinterpret_cast<TGuarantee>(
            reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("kernel32.dll"), "SetThreadStackGuarantee")))) {
        ULONG bytes = 64 * 1024;
        guarantee(&bytes);
    }
    if (HangMs)
        CloseHandle(CreateThread(nullptr, 64 * 1024, &Watchdog, nullptr, 0, nullptr));
}

void InputStarts(const char* Target, const char* Describe, const uint8_t* Data, size_t Size)
{
    Current.Data = Data;
    Current.Size = Size;
    std::snprintf(Current.Describe, sizeof Current.Describe, "%s", Describe);
    NameFiles(Current, Target);
    StartedAt.store(GetTickCount());
    Running.store(true);
}

void InputDone()
{
    Running.store(false);
}

std::wstring KeepInput(const char* Target, const uint8_t* Data, size_t Size)
{
    TCurrent c;
    c.Data = Data;
    c.Size = Size;
    NameFiles(c, Target);
    return WriteInput(c) ? std::wstring(c.Path) : std::wstring(L"(nowhere)");
}
