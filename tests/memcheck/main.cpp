// The checking heap, tested by what it does to a program that goes wrong: this program runs
// itself again with the heap check switched on and one deliberate fault to commit, and reads
// what the copy wrote and how it ended.
#define DOCTEST_CONFIG_IMPLEMENT
#include <doctest.h>

#include "classlib/memmgr.h"
#include "classlib/winapi.h"

#include <cstdio>
#include <cstring>
#include <memory>
#include <new>
#include <string>
#include <vector>

namespace {

// Keeps the compiler from seeing that a fault is a fault and dropping or moving it.
template <class T> T* Opaque(T* P)
{
    asm volatile("" : "+r"(P));
    return P;
}

void FaultHook(const char* Report)
{
    const char prefix[] = "fault hook called: ";
    DWORD written;
    HANDLE err = GetStdHandle(STD_ERROR_HANDLE);
    WriteFile(err, prefix, sizeof prefix - 1, &written, nullptr);
    WriteFile(err, Report, DWORD(std::strchr(Report, '\n') - Report + 1), &written, nullptr);
}

// The faults, one a run. Each ends the program if the heap check sees it.
int CommitFault(const std::string& Name)
{
    MemMgrSetFaultHook(&FaultHook);
    std::printf("checking: %s\n", MemMgrChecking() ? "yes" : "no");
    if (Name == "none") {
        // Much allocating and freeing of every kind, the blocks used in full: nothing to report.
        std::vector<std::unique_ptr<char[]>> blocks;
        for (size_t n = 0; n < 20000; ++n) {
            const size_t size = (n * 7919) % (n % 50 == 0 ? 70000 : 1100);
            blocks.emplace_back(new char[size]);
            std::memset(blocks.back().get(), 'x', size);
            if (n % 3 == 0)
                blocks[n / 2].reset();
        }
        void* aligned = ::operator new(100, std::align_val_t(64));
        std::memset(aligned, 1, 100);
        ::operator delete(aligned, std::align_val_t(64));
        MemMgrCheckHeap();
        std::printf("done\n");
        return 0;
    }
    if (Name == "past-end") {
        char* p = Opaque(new char[13]);
        p[13] = 'X';
        delete[] p;
    } else if (Name == "before-start") {
        char* p = Opaque(new char[40]);
        p[-3] = 0;
        delete[] p;
    } else if (Name == "past-end-aligned") {
        char* p = Opaque(static_cast<char*>(::operator new(40, std::align_val_t(64))));
        p[41] = 0;
        ::operator delete(p, std::align_val_t(64));
    } else if (Name == "after-free") {
        char* p = Opaque(new char[24]);
        delete[] p;
        p[5] = 'Y';
        MemMgrCheckHeap();
    } else if (Name == "after-free-at-exit") {
        char* p = Opaque(new char[24]);
        delete[] p;
        p[23] = 'Z';
        return 0;   // only the check at exit can see it
    } else if (Name == "freed-twice") {
        char* p = Opaque(new char[8]);
        delete[] p;
        delete[] Opaque(p);
    } else if (Name == "read-past-end-large") {
        // A size the alignment of 16 leaves no bytes behind: the next page follows at once.
        char* p = Opaque(new char[4096]);
        std::printf("read %d\n", p[4096]);
    } else if (Name == "write-after-free-large") {
        char* p = Opaque(new char[3000]);
        delete[] p;
        p[10] = 1;
    }
    std::printf("not seen\n");
    return 0;
}

struct TRun {
    DWORD ExitCode = 0;
    std::string Output;   // standard output and error together
};

// This program again with the fault to commit and the heap check as HeapCheck says.
TRun RunCopy(const char* Fault, const wchar_t* HeapCheck = L"1")
{
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    HANDLE readEnd = nullptr, writeEnd = nullptr;
    REQUIRE(CreatePipe(&readEnd, &writeEnd, &inherit, 0));
    SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0);
    wchar_t exe[MAX_PATH];
    GetModuleFileNameW(nullptr, exe, MAX_PATH);
    std::wstring line = L"\"" + std::wstring(exe) + L"\" --commit-fault=";
    for (const char* c = Fault; *c; ++c)
        line += wchar_t(*c);
    STARTUPINFOW si{};
    si.cb = sizeof si;
    si.dwFlags = STARTF_USESTDHANDLES;
    si.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    si.hStdOutput = writeEnd;
    si.hStdError = writeEnd;
    PROCESS_INFORMATION pi{};
    // The copy takes the environment as it is now; ours is restored at once.
    wchar_t old[16] = {};
    const bool hadOld = GetEnvironmentVariableW(L"ZANDREL_HEAPCHECK", old, 16) > 0;
    SetEnvironmentVariableW(L"ZANDREL_HEAPCHECK", HeapCheck);
    const BOOL started = CreateProcessW(exe, line.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &si, &pi);
    SetEnvironmentVariableW(L"ZANDREL_HEAPCHECK", hadOld ? old : nullptr);
    CloseHandle(writeEnd);
    TRun run;
    if (started) {
        char buf[4096];
        DWORD got;
        while (ReadFile(readEnd, buf, sizeof buf, &got, nullptr) && got)
            run.Output.append(buf, got);
        WaitForSingleObject(pi.hProcess, INFINITE);
        GetExitCodeProcess(pi.hProcess, &run.ExitCode);
        CloseHandle(pi.hProcess);
        CloseHandle(pi.hThread);
    }
    CloseHandle(readEnd);
    REQUIRE(started);
    return run;
}

bool Has(const std::string& Text, const char* Part)
{
    return Text.find(Part) != std::string::npos;
}

} // namespace

TEST_CASE("Heap check: the mode follows the environment, and a sound program runs through")
{
    TRun off = RunCopy("none", L"0");
    CHECK(off.ExitCode == 0);
    CHECK(Has(off.Output, "checking: no"));
    TRun on = RunCopy("none");
    CHECK(on.ExitCode == 0);
    CHECK(Has(on.Output, "checking: yes"));
    CHECK(Has(on.Output, "done"));
    CHECK_FALSE(Has(on.Output, "Heap check"));
}

TEST_CASE("Heap check: each fault is reported with the block, where it was found, and a failing exit")
{
    struct TCase {
        const char* Fault;
        std::vector<const char*> Lines;
    };
    const TCase cases[] = {
        {"past-end",
         {"Heap check: a write past the end of a block\n", "  block: 13 bytes at 0x", "allocated from test_memcheck.exe+0x",
          "(image address 0x", "  at offset 13 (0 past its end), bytes there: 58 FD",
          "  found when the block was freed, at test_memcheck.exe+0x"}},
        {"before-start",
         {"Heap check: a write before the start of a block\n", "  block: 40 bytes",
          "  at offset -3 (before its start), bytes there: 00 FD FD\n", "  found when the block was freed"}},
        {"past-end-aligned",
         {"Heap check: a write past the end of a block\n", "  block: 40 bytes", "  at offset 41 (1 past its end)"}},
        {"after-free",
         {"Heap check: a write to a block after it was freed\n", "  block: 24 bytes", "  freed from test_memcheck.exe+0x",
          "  at offset 5, bytes there: 59 DD", "  found by a heap check, at test_memcheck.exe+0x"}},
        {"after-free-at-exit",
         {"Heap check: a write to a block after it was freed\n", "  at offset 23, bytes there: 5A\n", "  found at exit\n"}},
        {"freed-twice",
         {"Heap check: a block freed twice\n", "  block: 8 bytes", "  freed from test_memcheck.exe+0x",
          "  found when it was freed again, at test_memcheck.exe+0x"}},
        {"read-past-end-large",
         {"Heap check: a read past the end of a block\n", "  block: 4096 bytes", "  at offset 4096 (0 past its end)\n",
          "  found when the program touched it, at test_memcheck.exe+0x"}},
        {"write-after-free-large",
         {"Heap check: a write to a block after it was freed\n", "  block: 3000 bytes", "  at offset 10\n",
          "  found when the program touched it"}},
    };
    for (const TCase& c : cases) {
        CAPTURE(c.Fault);
        TRun run = RunCopy(c.Fault);
        CAPTURE(run.Output);
        CHECK(run.ExitCode == MemMgrFaultExitCode);
        CHECK_FALSE(Has(run.Output, "not seen"));
        for (const char* line : c.Lines)
            CHECK(Has(run.Output, line));
        // The program's hook learns of the fault after the report is written.
        CHECK(Has(run.Output, "fault hook called: Heap check: "));
        CHECK(run.Output.find("fault hook called") > run.Output.find("  found "));
    }
}

int main(int argc, char** argv)
{
    for (int i = 1; i < argc; ++i)
        if (std::strncmp(argv[i], "--commit-fault=", 15) == 0)
            return CommitFault(argv[i] + 15);
    doctest::Context context;
    context.setOption("no-colors", true);
    context.applyCommandLine(argc, argv);
    return context.run();
}
