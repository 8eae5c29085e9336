// The fuzz driver: every loader of outside data fed its seed corpus, the inputs that failed
// before, and then inputs made from them by small damage, each on its own, checked for the
// loader's rules, for memory and drawing objects left behind and (with ZANDREL_HEAPCHECK)
// for every write out of bounds or after a free. A damaged input that reaches code of the
// loader no input reached before joins those the next ones are made from (coverage.h).
//
//   fuzz_loaders [--target NAME[,NAME...]|all] [--runs N] [--seed S] [--seconds T]
//                [--replay FILE] [--data DIR] [--keep DIR] [--hang SECONDS] [--list]
//                [--self-test crash|hang|heap|leak|gdi|escape|abort|rule]
//
// --runs: damaged inputs a target (after its seeds and kept inputs); --seconds: stop a target
// after that long; --replay: run one file through the one target named; --self-test: commit
// a fault of that kind on one input, to see the driver catch it and keep the input. The same seed makes
// the same inputs. Failing inputs are written to --keep (default fuzz-found in the current
// folder), one folder a target, to be kept in tests/data/fuzz/found/<target>/ once the
// loader is mended.
#include "fuzz/coverage.h"
#include "fuzz/guard.h"
#include "fuzz/targets.h"
#include "tests/gdicount.h"

#include "classlib/memmgr.h"
#include "skin/zgraphics.h"
#include "skin/zskinmanager.h"
#include "skin/zskinservices.h"
#include "unicode/ucforms.h"
#include "unicode/ucsystem.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>
#include <string>
#include <typeinfo>
#include <vector>

namespace {

struct TOptions {
    std::vector<std::string> Targets;
    uint64_t Runs = 2000;
    uint64_t Seed = 1;
    double Seconds = 0;
    std::wstring Replay;
    std::string SelfTest;
    std::wstring Data = L"" ZANDREL_FUZZ_DATA;
    std::wstring Keep = L"fuzz-found";
    unsigned Hang = 60;
    bool List = false;
};

struct TStats {
    uint64_t Inputs = 0;
    uint64_t Taken = 0;
    uint64_t Refused = 0;
    uint64_t Faults = 0;
    uint64_t Grown = 0;   // damaged inputs that reached new code and were kept to build on
    size_t Pairs = 0;     // pairs of marks reached in all
    double Seconds = 0;
};

double Now()
{
    LARGE_INTEGER f, t;
    QueryPerformanceFrequency(&f);
    QueryPerformanceCounter(&t);
    return double(t.QuadPart) / double(f.QuadPart);
}

std::wstring Widen(const std::string& S)
{
    return std::wstring(S.begin(), S.end());
}

std::string Narrow(const std::wstring& S)
{
    return WideToAnsi(S);
}

std::wstring FullPath(const std::wstring& Path)
{
    wchar_t buf[MAX_PATH];
    const DWORD n = GetFullPathNameW(Path.c_str(), MAX_PATH, buf, nullptr);
    return n && n < MAX_PATH ? std::wstring(buf) : Path;
}

// The files of a folder, by name; none when there is no such folder.
std::vector<std::wstring> FilesIn(const std::wstring& Dir)
{
    std::vector<std::wstring> names;
    WIN32_FIND_DATAW fd;
    HANDLE f = FindFirstFileW((Dir + L"\\*").c_str(), &fd);
    if (f == INVALID_HANDLE_VALUE)
        return names;
    do {
        if (!(fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
            names.push_back(fd.cFileName);
    } while (FindNextFileW(f, &fd));
    FindClose(f);
    std::sort(names.begin(), names.end());
    return names;
}

struct TSeed {
    std::string Name;
    TBytes Data;
};

std::vector<TSeed> SeedsOf(const std::wstring& Dir, const char* Prefix)
{
    std::vector<TSeed> seeds;
    for (const std::wstring& n : FilesIn(Dir))
        seeds.push_back(TSeed{Prefix + Narrow(n), ReadFileBytes(Dir + L"\\" + n)});
    return seeds;
}

uint32_t BlocksInUse()
{
    const TMemMgrState s = MemMgrState();
    return s.SmallBlocksInUse + s.LargeBlocksInUse;
}

// Runs the target on one input under the guard; the fault in words, or "" when it kept
// every rule. Taken tells whether the loader took the input.
std::string RunGuarded(const TFuzzTarget& T, const TBytes& In, const std::string& Describe, bool& Taken)
{
    InputStarts(T.Name, Describe.c_str(), In.data(), In.size());
    std::string fault;
    try {
        Taken = T.Run(In.data(), In.size());
    } catch (const TFuzzFault& f) {
        fault = f.what();
    } catch (const Exception& e) {
        fault = std::string("the loader raised ") + e.ClassName() + " \"" + e.Message() +
                "\", which it does not say it raises";
    } catch (const std::bad_alloc&) {
        fault = "out of memory (std::bad_alloc) left the loader instead of its error";
    } catch (const std::exception& e) {
        fault = std::string("a C++ exception left the loader: ") + typeid(e).name() + " \"" + e.what() + "\"";
    } catch (...) {
        fault = "an exception of no known kind left the loader";
    }
    InputDone();
    // A write after a free is found now, while the input that made it is known.
    MemMgrCheckHeap();
    return fault;
}

// One input, checked for its rules and for memory left behind; what it reached is merged
// into Seen. Answers whether it kept every rule; Fresh tells whether it reached new code.
bool RunOne(const TFuzzTarget& T, const TBytes& In, const std::string& Describe, TStats& St, TCoverageSeen& Seen,
            bool& Fresh)
{
    ++St.Inputs;
    bool taken = false;
    const uint32_t before = BlocksInUse();
    CoverageClear();
    std::string fault = RunGuarded(T, In, Describe, taken);
    Fresh = Seen.Merge();
    if (fault.empty() && BlocksInUse() > before) {
        // The first use of something may fill a cache once: only what grows again is lost.
        const uint32_t again = BlocksInUse();
        bool ignored;
        fault = RunGuarded(T, In, Describe, ignored);
        if (fault.empty() && BlocksInUse() > again)
            fault = std::to_string(BlocksInUse() - again) + " blocks of memory were left behind (seen twice)";
    }
    if (fault.empty()) {
        ++(taken ? St.Taken : St.Refused);
        return true;
    }
    ++St.Faults;
    const std::wstring kept = KeepInput(T.Name, In.data(), In.size());
    std::printf("FAULT %s, %s: %s\n      the input (%u bytes) is kept in %s\n      run it again with "
                "fuzz_loaders --target %s --replay %s\n",
                T.Name, Describe.c_str(), fault.c_str(), unsigned(In.size()), Narrow(kept).c_str(), T.Name,
                Narrow(kept).c_str());
    std::fflush(stdout);
    return false;
}

// Drawing objects the program holds: counted now and then (counting walks the handle
// table), and when there are more, the inputs since the last count are run again one by one
// to find the one that leaves some behind.
class TGdiWatch {
public:
    static constexpr size_t Every = 64;
    void Start() { FCount = GdiObjectCount(); }
    template <class F> void After(const TBytes& In, const std::string& Describe, F&& Culprit)
    {
        FRecent.push_back({In, Describe});
        if (FRecent.size() < Every)
            return;
        Check(Culprit);
    }
    template <class F> void Check(F&& Culprit)
    {
        const int now = GdiObjectCount();
        if (now > FCount) {
            for (const auto& [in, describe] : FRecent) {
                const int before = GdiObjectCount();
                Culprit(in, describe, 0);
                const int between = GdiObjectCount();
                if (between > before) {
                    Culprit(in, describe, 0);
                    if (GdiObjectCount() > between) {
                        Culprit(in, describe, GdiObjectCount() - between);
                        break;
                    }
                }
            }
        }
        FCount = GdiObjectCount();
        FRecent.clear();
    }

private:
    int FCount = 0;
    std::vector<std::pair<TBytes, std::string>> FRecent;
};

// Inputs a target's corpus may grow to: enough for a long run, and a bound on memory.
constexpr size_t MaxCorpus = 20000;

// The target's seeds, then the inputs that failed before, then O.Runs damaged inputs.
TStats RunTarget(const TFuzzTarget& T, const TOptions& O, std::vector<TSeed> seeds, const std::vector<TSeed>& kept)
{
    TStats st;
    const double start = Now();
    // Inputs that grow the corpus stay near the seeds' size: damage is what is sought, and a
    // large input makes every input made from it slow. Larger ones are still made on the way.
    size_t largestSeed = 0;
    for (const TSeed& s : seeds)
        largestSeed = std::max(largestSeed, s.Data.size());
    const size_t growLimit = std::min<size_t>(64 * 1024, std::max<size_t>(4096, 2 * largestSeed));
    seeds.insert(seeds.end(), kept.begin(), kept.end());
    std::vector<TBytes> corpus;
    for (const TSeed& s : seeds)
        corpus.push_back(s.Data);

    TCoverageSeen seen;
    TGdiWatch gdi;
    auto culprit = [&](const TBytes& In, const std::string& Describe, int Lost) {
        bool taken;
        if (!Lost) {
            RunGuarded(T, In, Describe, taken);
            return;
        }
        ++st.Faults;
        const std::wstring path = KeepInput(T.Name, In.data(), In.size());
        std::printf("FAULT %s, %s: %d drawing objects were left behind (seen twice)\n"
                    "      the input (%u bytes) is kept in %s\n",
                    T.Name, Describe.c_str(), Lost, unsigned(In.size()), Narrow(path).c_str());
    };
    // Seeds and kept inputs once each, as they are: each one must pass.
    bool fresh;
    for (const TSeed& s : seeds)
        RunOne(T, s.Data, s.Name, st, seen, fresh);
    // Caches filled by the first inputs are not losses.
    gdi.Start();
    for (uint64_t i = 0; i < O.Runs; ++i) {
        if (O.Seconds > 0 && Now() - start > O.Seconds)
            break;
        TFuzzRandom r(InputSeed(O.Seed, T.Name, i));
        TBytes in = Mutate(corpus, T.Hints, r);
        const std::string describe = "input " + std::to_string(i) + " of seed " + std::to_string(O.Seed);
        if (!RunOne(T, in, describe, st, seen, fresh)) {
            if (st.Faults >= 3)
                break;   // the rest would mostly find the same again
            continue;
        }
        gdi.After(in, describe, culprit);
        if (fresh && corpus.size() < MaxCorpus && in.size() <= growLimit) {
            corpus.push_back(std::move(in));
            ++st.Grown;
        }
    }
    gdi.Check(culprit);
    st.Pairs = seen.Pairs();
    st.Seconds = Now() - start;
    return st;
}

bool ParseOptions(int Argc, char** Argv, TOptions& O)
{
    for (int i = 1; i < Argc; ++i) {
        const std::string a = Argv[i];
        auto value = [&]() -> std::string {
            if (i + 1 >= Argc)
                throw Exception("the option " + a + " wants a value");
            return Argv[++i];
        };
        if (a == "--target") {
            std::string v = value();
            for (size_t b = 0; b <= v.size();) {
                const size_t e = std::min(v.find(',', b), v.size());
                O.Targets.push_back(v.substr(b, e - b));
                b = e + 1;
            }
        } else if (a == "--runs") {
            O.Runs = std::strtoull(value().c_str(), nullptr, 10);
        } else if (a == "--seed") {
            O.Seed = std::strtoull(value().c_str(), nullptr, 10);
        } else if (a == "--seconds") {
            O.Seconds = std::strtod(value().c_str(), nullptr);
        } else if (a == "--replay") {
            O.Replay = Widen(value());
        } else if (a == "--data") {
            O.Data = Widen(value());
        } else if (a == "--keep") {
            O.Keep = Widen(value());
        } else if (a == "--hang") {
            O.Hang = unsigned(std::strtoul(value().c_str(), nullptr, 10));
        } else if (a == "--self-test") {
            O.SelfTest = value();
        } else if (a == "--list") {
            O.List = true;
        } else {
            std::fprintf(stderr, "fuzz_loaders: unknown option %s (see the comment at the top of fuzz/main.cpp)\n",
                         a.c_str());
            return false;
        }
    }
    if (O.Targets.empty() || (O.Targets.size() == 1 && O.Targets[0] == "all")) {
        O.Targets.clear();
        for (const TFuzzTarget& t : FuzzTargets())
            O.Targets.push_back(t.Name);
    }
    return true;
}

const TFuzzTarget* FindTarget(const std::string& Name)
{
    for (const TFuzzTarget& t : FuzzTargets())
        if (Name == t.Name)
            return &t;
    return nullptr;
}

int Run(const TOptions& O)
{
    if (O.List) {
        for (const TFuzzTarget& t : FuzzTargets())
            std::printf("%-12s %s\n", t.Name, t.About);
        return 0;
    }
    std::vector<const TFuzzTarget*> targets;
    for (const std::string& n : O.Targets) {
        const TFuzzTarget* t = FindTarget(n);
        if (!t) {
            std::fprintf(stderr, "fuzz_loaders: no target %s (--list names them)\n", n.c_str());
            return 2;
        }
        targets.push_back(t);
    }
    PrepareFuzzTargets(O.Data);
    StartFuzzGuard(FullPath(O.Keep), O.Hang);
    if (!O.SelfTest.empty())
        return RunTarget(*SelfTestTarget(O.SelfTest), O, {TSeed{"the self-test input", TBytes{'x'}}}, {}).Faults
                   ? FuzzFaultExitCode
                   : 0;
    if (!O.Replay.empty()) {
        if (targets.size() != 1) {
            std::fprintf(stderr, "fuzz_loaders: --replay wants one --target\n");
            return 2;
        }
        TStats st;
        TCoverageSeen seen;
        bool fresh;
        RunOne(*targets[0], ReadFileBytes(O.Replay), "file " + Narrow(O.Replay), st, seen, fresh);
        std::printf("%s: %s\n", targets[0]->Name, st.Faults ? "fault" : st.Taken ? "taken" : "refused with its error");
        return st.Faults ? FuzzFaultExitCode : 0;
    }
    std::printf("seed %llu, %llu damaged inputs a target, checking heap %s\n", static_cast<unsigned long long>(O.Seed),
                static_cast<unsigned long long>(O.Runs), MemMgrChecking() ? "on" : "off (set ZANDREL_HEAPCHECK=1)");
    std::printf("%-12s %8s %8s %8s %7s %6s %6s %8s %9s\n", "target", "inputs", "taken", "refused", "faults", "grown",
                "pairs", "seconds", "inputs/s");
    std::fflush(stdout);
    TStats all;
    for (const TFuzzTarget* t : targets) {
        const std::vector<TSeed> seeds = SeedsOf(O.Data + L"\\" + Widen(t->Name), "seed ");
        if (seeds.empty()) {
            std::printf("FAULT %s: no seed files in %s\\%s\n", t->Name, Narrow(O.Data).c_str(), t->Name);
            ++all.Faults;
            continue;
        }
        const TStats st = RunTarget(*t, O, seeds, SeedsOf(O.Data + L"\\found\\" + Widen(t->Name), "kept input "));
        auto n = [](uint64_t V) { return static_cast<unsigned long long>(V); };
        std::printf("%-12s %8llu %8llu %8llu %7llu %6llu %6llu %8.1f %9.0f\n", t->Name, n(st.Inputs), n(st.Taken),
                    n(st.Refused), n(st.Faults), n(st.Grown), n(st.Pairs), st.Seconds,
                    st.Seconds > 0 ? st.Inputs / st.Seconds : 0.0);
        std::fflush(stdout);
        all.Inputs += st.Inputs;
        all.Faults += st.Faults;
        all.Seconds += st.Seconds;
    }
    std::printf("%-12s %8llu %8s %8s %7llu %6s %6s %8.1f\n", "all", static_cast<unsigned long long>(all.Inputs), "",
                "", static_cast<unsigned long long>(all.Faults), "", "", all.Seconds);
    return all.Faults ? FuzzFaultExitCode : 0;
}

} // namespace

int main(int argc, char** argv)
{
    InitUcProgram();
    InitSkinEngine();
    InitSkinGraphics();
    InitSkinManager();
    int rc;
    try {
        TOptions o;
        rc = ParseOptions(argc, argv, o) ? Run(o) : 2;
    } catch (const Exception& e) {
        std::fprintf(stderr, "fuzz_loaders: %s\n", e.Message().c_str());
        rc = 2;
    }
    DoneUcProgram();
    return rc;
}
