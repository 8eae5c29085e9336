// The checking heap (see MemMgrChecking): every block with guards around it, freed blocks
// held back and watched, larger blocks against pages that may not be touched.
//
// A block:  [header 48][front guard 16][the program's bytes][back guard]
// Small blocks (all of it within the largest size class) come from the size classes, with a
// back guard of 16 bytes. Larger and over-aligned blocks get pages of their own, the
// program's bytes ending as near the end of the last page as the alignment allows (the few
// bytes left are the back guard), and the page behind is reserved and never committed, so
// a touch past the end faults at once. Freed, their pages are decommitted: any touch faults.
// When the address space set aside for pages is used up, blocks come from the runtime's heap
// with guards as small blocks have.
//
// One lock guards it all: this mode is for finding faults, not for speed. Nothing here may
// allocate through operator new: reports are written into fixed buffers.
#include "classlib/memmgr_impl.h"

#include <malloc.h>

#include <algorithm>
#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

using zmemmgr::TLockGuard;
using zmemmgr::TSpinLock;

constexpr uint8_t NewFill = 0xCD;     // a block as given out: a read of what was never written shows
constexpr uint8_t FreedFill = 0xDD;   // a freed block while it is held back
constexpr uint8_t GuardFill = 0xFD;
constexpr size_t GuardBytes = 16;
constexpr size_t PageBytes = 4096;
constexpr uint32_t LiveState = 0x4556494C;    // "LIVE"
constexpr uint32_t FreedState = 0x45455246;   // "FREE"
constexpr uint32_t KindSmall = 1, KindPages = 2, KindHeap = 3, KindMask = 0xFF;
constexpr uint32_t CountedLarge = 0x100;   // counted among the large blocks of MemMgrState
// The header keeps sizes in 32 bits; nothing near this could be given anyway.
constexpr size_t MaxCheckedSize = 0x7FFF0000;
constexpr size_t MaxCheckedAlign = size_t(1) << 20;

// Held back before reuse: the newest this many small blocks, and bytes.
constexpr uint32_t HeldMax = 8192;
constexpr size_t HeldBytesMax = size_t(8) << 20;
// Page blocks held back: their pages are decommitted, so only address space counts.
constexpr uint32_t HeldSpansMax = 1024;
constexpr size_t HeldSpanPagesMax = (size_t(128) << 20) / PageBytes;
// Spans of up to this many pages are kept for reuse by size once let go; larger ones are
// reserved one by one and given back to the system.
constexpr uint32_t SpanBucketPages = 256;
constexpr size_t ArenaRegionBytes = size_t(16) << 20;
// All the address space page blocks may take; beyond it, blocks come from the heap.
constexpr size_t PageSpaceMax = size_t(768) << 20;
constexpr uint32_t SpanNodesMax = 32768;

struct THeader {
    uint32_t State;
    uint32_t Size;
    uint32_t Serial;          // the how-manyth allocation of the run
    const void* Site;         // the caller of operator new
    const void* FreeSite;     // the caller of operator delete, once freed
    THeader* Prev;            // the live blocks, newest first
    THeader* Next;
    char* Raw;                // what the block was carved from
    uint32_t Pages;           // page blocks: the committed pages (the untouchable one follows)
    uint32_t Kind;            // KindSmall, KindPages or KindHeap, | CountedLarge
    uint32_t BackGuard;       // guard bytes behind the program's bytes
    uint32_t Check;           // of all the above: a damaged header is seen before its links are followed
};
static_assert(sizeof(THeader) == 48);
constexpr size_t FrontBytes = sizeof(THeader) + GuardBytes;
static_assert(FrontBytes % MemMgrAlignment == 0);

// What a report says of a block, also after its header is gone with its pages.
struct TBlockInfo {
    const char* User;
    uint32_t Size;
    uint32_t Serial;
    const void* Site;
    const void* FreeSite;
};

struct TFreedSpan {
    char* Base;
    uint32_t Pages;
    TBlockInfo Block;
};

struct TSpanNode {
    char* Base;
    TSpanNode* Next;
};

constinit TSpinLock Lock;
constinit THeader* Live = nullptr;
constinit uint32_t Serial = 0;
constinit uint32_t LiveSmall = 0;
constinit uint32_t LiveLarge = 0;
constinit uint64_t LiveBytes = 0;

constinit THeader* Held[HeldMax] = {};
constinit uint32_t HeldFirst = 0;
constinit uint32_t HeldCount = 0;
constinit size_t HeldBytes = 0;

constinit TFreedSpan HeldSpans[HeldSpansMax] = {};
constinit uint32_t HeldSpanFirst = 0;
constinit uint32_t HeldSpanCount = 0;
constinit size_t HeldSpanPages = 0;

constinit TSpanNode SpanNodes[SpanNodesMax] = {};
constinit uint32_t SpanNodesUsed = 0;
constinit TSpanNode* SpareNodes = nullptr;
constinit TSpanNode* FreeSpans[SpanBucketPages + 1] = {};

constinit char* ArenaNext = nullptr;
constinit char* ArenaEnd = nullptr;
constinit size_t PageSpace = 0;

constinit std::atomic<TMemMgrFaultHook> FaultHook{nullptr};

// ---------------------------------------------------------------------------------------
// Reports

class TReport {
public:
    TReport& Text(const char* S)
    {
        while (*S && FLen + 1 < sizeof FText)
            FText[FLen++] = *S++;
        FText[FLen] = 0;
        return *this;
    }
    TReport& Dec(int64_t V)
    {
        char digits[24];
        int n = 0;
        uint64_t u = V < 0 ? uint64_t(0) - uint64_t(V) : uint64_t(V);
        do {
            digits[n++] = char('0' + u % 10);
            u /= 10;
        } while (u);
        if (V < 0)
            digits[n++] = '-';
        char out[24];
        for (int i = 0; i < n; ++i)
            out[i] = digits[n - 1 - i];
        out[n] = 0;
        return Text(out);
    }
    TReport& Hex(uintptr_t V, int Digits = 8)
    {
        char out[20];
        for (int i = 0; i < Digits; ++i)
            out[i] = "0123456789ABCDEF"[(V >> (4 * (Digits - 1 - i))) & 15];
        out[Digits] = 0;
        return Text(out);
    }
    // A code address as module + offset and as the address in the image file, which the
    // image's symbols (nm -n) or, in a build with debug lines, addr2line turn into a place in
    // the source. A return address is moved back into the call, so the place is the call's own.
    TReport& Code(const void* Address, bool ReturnAddress)
    {
        uintptr_t a = reinterpret_cast<uintptr_t>(Address);
        if (!a)
            return Text("(unknown)");
        if (ReturnAddress)
            --a;
        HMODULE module = nullptr;
        char path[MAX_PATH];
        if (!GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                                reinterpret_cast<LPCSTR>(a), &module) ||
            !module || !GetModuleFileNameA(module, path, sizeof path))
            return Text("0x").Hex(a);
        path[sizeof path - 1] = 0;
        const char* name = path;
        for (const char* p = path; *p; ++p)
            if (*p == '\\' || *p == '/')
                name = p + 1;
        const auto* image = reinterpret_cast<const char*>(module);
        const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(image);
        const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(image + dos->e_lfanew);
        const uintptr_t offset = a - reinterpret_cast<uintptr_t>(module);
        Text(name).Text("+0x").Hex(offset, 6);
        return Text(" (image address 0x").Hex(nt->OptionalHeader.ImageBase + offset).Text(")");
    }
    TReport& Bytes(const uint8_t* P, size_t N)
    {
        for (size_t i = 0; i < N; ++i)
            Text(i ? " " : "").Hex(P[i], 2);
        return *this;
    }
    const char* Str() const { return FText; }
    size_t Length() const { return FLen; }

private:
    char FText[2048] = {};
    size_t FLen = 0;
};

[[noreturn]] void Fail(const TReport& R)
{
    // What the program printed comes first.
    std::fflush(stdout);
    std::fflush(stderr);
    HANDLE err = GetStdHandle(STD_ERROR_HANDLE);
    DWORD written = 0;
    if (!err || err == INVALID_HANDLE_VALUE || !WriteFile(err, R.Str(), DWORD(R.Length()), &written, nullptr))
        OutputDebugStringA(R.Str());
    if (TMemMgrFaultHook hook = FaultHook.load())
        hook(R.Str());
    TerminateProcess(GetCurrentProcess(), MemMgrFaultExitCode);
    for (;;)
        Sleep(1000);
}

// What: the kind of fault. Offset: of the first damaged or touched byte from the block's start.
[[noreturn]] void BlockFault(const char* What, const TBlockInfo& B, const int64_t* Offset, const uint8_t* Damaged,
                             size_t DamagedBytes, const char* Found, const void* FoundSite, bool FoundAtReturn = true)
{
    TReport r;
    r.Text("Heap check: ").Text(What).Text("\n");
    r.Text("  block: ").Dec(B.Size).Text(" bytes at 0x").Hex(reinterpret_cast<uintptr_t>(B.User));
    r.Text(", allocation #").Dec(B.Serial).Text(", allocated from ").Code(B.Site, true).Text("\n");
    if (B.FreeSite)
        r.Text("  freed from ").Code(B.FreeSite, true).Text("\n");
    if (Offset) {
        r.Text("  at offset ").Dec(*Offset);
        if (*Offset >= int64_t(B.Size))
            r.Text(" (").Dec(*Offset - int64_t(B.Size)).Text(" past its end)");
        else if (*Offset < 0)
            r.Text(" (before its start)");
        if (DamagedBytes)
            r.Text(", bytes there: ").Bytes(Damaged, DamagedBytes);
        r.Text("\n");
    }
    r.Text("  found ").Text(Found);
    if (FoundSite)
        r.Text(", at ").Code(FoundSite, FoundAtReturn);
    Fail(r.Text("\n"));
}

[[noreturn]] void AddressFault(const char* What, const void* Address, const char* Found, const void* FoundSite)
{
    TReport r;
    r.Text("Heap check: ").Text(What).Text("\n  address: 0x").Hex(reinterpret_cast<uintptr_t>(Address));
    r.Text("\n  found ").Text(Found);
    if (FoundSite)
        r.Text(", at ").Code(FoundSite, true);
    Fail(r.Text("\n"));
}

// ---------------------------------------------------------------------------------------
// Headers and guards

uint32_t HeaderCheck(const THeader& H)
{
    uint32_t w[offsetof(THeader, Check) / 4];
    std::memcpy(w, &H, sizeof w);
    uint32_t c = 0x2545F491u;
    for (uint32_t v : w)
        c = (c ^ v) * 0x01000193u;
    return c;
}

void Seal(THeader* H) { H->Check = HeaderCheck(*H); }

THeader* HeaderOf(const void* User)
{
    return reinterpret_cast<THeader*>(const_cast<char*>(static_cast<const char*>(User)) - FrontBytes);
}

char* UserOf(const THeader* H) { return reinterpret_cast<char*>(const_cast<THeader*>(H)) + FrontBytes; }

TBlockInfo InfoOf(const THeader* H)
{
    return TBlockInfo{UserOf(H), H->Size, H->Serial, H->Site, H->State == FreedState ? H->FreeSite : nullptr};
}

// The first of N bytes that is not V; N when all are.
size_t FirstNot(const uint8_t* P, size_t N, uint8_t V)
{
    size_t i = 0;
    const uint32_t word = 0x01010101u * V;
    for (; i + 4 <= N; i += 4) {
        uint32_t w;
        std::memcpy(&w, P + i, 4);
        if (w != word)
            break;
    }
    while (i < N && P[i] == V)
        ++i;
    return i;
}

void CheckHeader(const THeader* H, uint32_t State, const char* Found, const void* FoundSite)
{
    if (H->State != State || H->Check != HeaderCheck(*H))
        AddressFault("the header in front of a block is damaged (a write before the block, or past the end of "
                     "the one below it)",
                     UserOf(H), Found, FoundSite);
}

void CheckGuards(const THeader* H, const char* Found, const void* FoundSite)
{
    const auto* user = reinterpret_cast<const uint8_t*>(UserOf(H));
    size_t i = FirstNot(user - GuardBytes, GuardBytes, GuardFill);
    if (i < GuardBytes) {
        const int64_t offset = int64_t(i) - int64_t(GuardBytes);
        BlockFault("a write before the start of a block", InfoOf(H), &offset, user + offset,
                   std::min<size_t>(GuardBytes - i, 8), Found, FoundSite);
    }
    i = FirstNot(user + H->Size, H->BackGuard, GuardFill);
    if (i < H->BackGuard) {
        const int64_t offset = int64_t(H->Size) + int64_t(i);
        BlockFault("a write past the end of a block", InfoOf(H), &offset, user + offset,
                   std::min<size_t>(H->BackGuard - i, 8), Found, FoundSite);
    }
}

void CheckLive(const THeader* H, const char* Found, const void* FoundSite)
{
    CheckHeader(H, LiveState, Found, FoundSite);
    CheckGuards(H, Found, FoundSite);
}

void CheckFreed(const THeader* H, const char* Found, const void* FoundSite)
{
    CheckHeader(H, FreedState, Found, FoundSite);
    const auto* user = reinterpret_cast<const uint8_t*>(UserOf(H));
    const size_t i = FirstNot(user, H->Size, FreedFill);
    if (i < H->Size) {
        const int64_t offset = int64_t(i);
        BlockFault("a write to a block after it was freed", InfoOf(H), &offset, user + i,
                   std::min<size_t>(H->Size - i, 8), Found, FoundSite);
    }
    CheckGuards(H, Found, FoundSite);
}

// The live list. A neighbour's header is checked before it is changed and sealed again.
void Link(THeader* H)
{
    H->Prev = nullptr;
    H->Next = Live;
    if (Live) {
        CheckHeader(Live, LiveState, "when a block was given out after it", nullptr);
        Live->Prev = H;
        Seal(Live);
    }
    Live = H;
    Seal(H);
}

void Unlink(THeader* H, const void* Site)
{
    if (THeader* p = H->Prev) {
        CheckHeader(p, LiveState, "when the block given out after it was freed", Site);
        p->Next = H->Next;
        Seal(p);
    } else {
        Live = H->Next;
    }
    if (THeader* n = H->Next) {
        CheckHeader(n, LiveState, "when the block given out before it was freed", Site);
        n->Prev = H->Prev;
        Seal(n);
    }
}

// ---------------------------------------------------------------------------------------
// Page blocks

size_t ReservedBytes(size_t Bytes)
{
    constexpr size_t granularity = 64 * 1024;
    return (Bytes + granularity - 1) / granularity * granularity;
}

// Committed pages followed by one that is not; null when there is no room.
char* TakeSpan(size_t Pages)
{
    if (Pages <= SpanBucketPages) {
        if (TSpanNode* node = FreeSpans[Pages]) {
            if (!VirtualAlloc(node->Base, Pages * PageBytes, MEM_COMMIT, PAGE_READWRITE))
                return nullptr;
            FreeSpans[Pages] = node->Next;
            char* base = node->Base;
            node->Next = SpareNodes;
            SpareNodes = node;
            return base;
        }
        const size_t span = (Pages + 1) * PageBytes;
        if (size_t(ArenaEnd - ArenaNext) < span) {
            if (PageSpace + ArenaRegionBytes > PageSpaceMax)
                return nullptr;
            void* region = VirtualAlloc(nullptr, ArenaRegionBytes, MEM_RESERVE, PAGE_NOACCESS);
            if (!region)
                return nullptr;
            PageSpace += ArenaRegionBytes;
            ArenaNext = static_cast<char*>(region);
            ArenaEnd = ArenaNext + ArenaRegionBytes;
        }
        if (!VirtualAlloc(ArenaNext, Pages * PageBytes, MEM_COMMIT, PAGE_READWRITE))
            return nullptr;
        char* base = ArenaNext;
        ArenaNext += span;
        return base;
    }
    const size_t reserved = ReservedBytes((Pages + 1) * PageBytes);
    if (PageSpace + reserved > PageSpaceMax)
        return nullptr;
    void* region = VirtualAlloc(nullptr, (Pages + 1) * PageBytes, MEM_RESERVE, PAGE_NOACCESS);
    if (!region)
        return nullptr;
    if (!VirtualAlloc(region, Pages * PageBytes, MEM_COMMIT, PAGE_READWRITE)) {
        VirtualFree(region, 0, MEM_RELEASE);
        return nullptr;
    }
    PageSpace += reserved;
    return static_cast<char*>(region);
}

void LetGoSpan()
{
    const TFreedSpan s = HeldSpans[HeldSpanFirst];
    HeldSpanFirst = (HeldSpanFirst + 1) % HeldSpansMax;
    --HeldSpanCount;
    HeldSpanPages -= s.Pages;
    if (s.Pages > SpanBucketPages) {
        VirtualFree(s.Base, 0, MEM_RELEASE);
        PageSpace -= ReservedBytes((s.Pages + 1) * PageBytes);
        return;
    }
    TSpanNode* node = SpareNodes;
    if (node)
        SpareNodes = node->Next;
    else if (SpanNodesUsed < SpanNodesMax)
        node = &SpanNodes[SpanNodesUsed++];
    else
        return;   // no room to note it: its addresses stay unused
    node->Base = s.Base;
    node->Next = FreeSpans[s.Pages];
    FreeSpans[s.Pages] = node;
}

void HoldSpan(const TFreedSpan& S)
{
    if (HeldSpanCount == HeldSpansMax)
        LetGoSpan();
    HeldSpans[(HeldSpanFirst + HeldSpanCount) % HeldSpansMax] = S;
    ++HeldSpanCount;
    HeldSpanPages += S.Pages;
    while (HeldSpanPages > HeldSpanPagesMax && HeldSpanCount > 1)
        LetGoSpan();
}

// ---------------------------------------------------------------------------------------
// Small and heap blocks held back

void ReleaseRaw(const THeader* H)
{
    if ((H->Kind & KindMask) == KindSmall)
        zmemmgr::SmallRelease(H->Raw);
    else
        _aligned_free(H->Raw);
}

void LetGo()
{
    THeader* h = Held[HeldFirst];
    HeldFirst = (HeldFirst + 1) % HeldMax;
    --HeldCount;
    HeldBytes -= h->Size;
    CheckFreed(h, "when the freed block was let go after being held back", nullptr);
    ReleaseRaw(h);
}

void Hold(THeader* H)
{
    if (HeldCount == HeldMax)
        LetGo();
    Held[(HeldFirst + HeldCount) % HeldMax] = H;
    ++HeldCount;
    HeldBytes += H->Size;
    while (HeldBytes > HeldBytesMax && HeldCount > 1)
        LetGo();
}

void CheckAll(const char* Found, const void* FoundSite)
{
    for (const THeader* h = Live; h; h = h->Next)
        CheckLive(h, Found, FoundSite);
    for (uint32_t i = 0; i < HeldCount; ++i)
        CheckFreed(Held[(HeldFirst + i) % HeldMax], Found, FoundSite);
}

// ---------------------------------------------------------------------------------------
// Faults of the processor inside our pages

bool Inside(uintptr_t A, const char* Base, size_t Bytes)
{
    return A >= reinterpret_cast<uintptr_t>(Base) && A - reinterpret_cast<uintptr_t>(Base) < Bytes;
}

LONG CALLBACK OnException(EXCEPTION_POINTERS* E)
{
    const EXCEPTION_RECORD& rec = *E->ExceptionRecord;
    if (rec.ExceptionCode != EXCEPTION_ACCESS_VIOLATION || rec.NumberParameters < 2)
        return EXCEPTION_CONTINUE_SEARCH;
    const uintptr_t a = rec.ExceptionInformation[1];
    const bool writing = rec.ExceptionInformation[0] == 1;
    const void* at = rec.ExceptionAddress;
    // The checker itself may be what faulted, holding the lock: then there is nothing to add.
    if (!Lock.TryAcquire(200))
        return EXCEPTION_CONTINUE_SEARCH;
    auto fault = [&](const char* readingWhat, const char* writingWhat, const TBlockInfo& b) {
        const int64_t offset = int64_t(a) - int64_t(reinterpret_cast<uintptr_t>(b.User));
        BlockFault(writing ? writingWhat : readingWhat, b, &offset, nullptr, 0, "when the program touched it", at,
                   false);
    };
    for (const THeader* h = Live; h && h->Check == HeaderCheck(*h); h = h->Next)
        if ((h->Kind & KindMask) == KindPages && Inside(a, h->Raw + size_t(h->Pages) * PageBytes, PageBytes))
            fault("a read past the end of a block", "a write past the end of a block", InfoOf(h));
    for (uint32_t i = 0; i < HeldSpanCount; ++i) {
        const TFreedSpan& s = HeldSpans[(HeldSpanFirst + i) % HeldSpansMax];
        if (Inside(a, s.Base, (size_t(s.Pages) + 1) * PageBytes))
            fault("a read of a block after it was freed", "a write to a block after it was freed", s.Block);
    }
    for (uint32_t p = 1; p <= SpanBucketPages; ++p)
        for (const TSpanNode* n = FreeSpans[p]; n; n = n->Next)
            if (Inside(a, n->Base, (size_t(p) + 1) * PageBytes))
                AddressFault(writing ? "a write to the memory of a block freed earlier"
                                     : "a read of the memory of a block freed earlier",
                             reinterpret_cast<const void*>(a), "when the program touched it", nullptr);
    Lock.Release();
    return EXCEPTION_CONTINUE_SEARCH;
}

void ExitCheck()
{
    TLockGuard guard(Lock);
    CheckAll("at exit", nullptr);
}

// At exit, after the destructors of everything made after the first allocation.
struct TExitCheckRegistration {
    TExitCheckRegistration()
    {
        if (MemMgrChecking())
            std::atexit(&ExitCheck);
    }
} ExitCheckRegistration;

} // namespace

void zmemmgr::StartChecking() noexcept
{
    AddVectoredExceptionHandler(1, &OnException);
}

void* zmemmgr::CheckedAllocate(size_t Size, size_t Align, const void* Site) noexcept
{
    const size_t align = Align < MemMgrAlignment ? MemMgrAlignment : Align;
    if (Size > MaxCheckedSize || align > MaxCheckedAlign)
        return nullptr;
    TLockGuard guard(Lock);
    THeader h{};
    char* user;
    if (align == MemMgrAlignment && FrontBytes + Size + GuardBytes <= MemMgrMaxSmallBlock) {
        h.Raw = static_cast<char*>(SmallAlloc(FrontBytes + Size + GuardBytes));
        if (!h.Raw)
            return nullptr;
        h.Kind = KindSmall;
        user = h.Raw + FrontBytes;
        h.BackGuard = GuardBytes;
    } else if (const size_t pages = (Size + FrontBytes + align + PageBytes - 1) / PageBytes;
               char* base = TakeSpan(pages)) {
        h.Kind = KindPages;
        h.Raw = base;
        h.Pages = uint32_t(pages);
        char* end = base + pages * PageBytes;
        user = reinterpret_cast<char*>((reinterpret_cast<uintptr_t>(end) - Size) & ~uintptr_t(align - 1));
        h.BackGuard = uint32_t(end - (user + Size));
    } else {
        h.Raw = static_cast<char*>(_aligned_malloc(FrontBytes + Size + GuardBytes + align - MemMgrAlignment,
                                                   MemMgrAlignment));
        if (!h.Raw)
            return nullptr;
        h.Kind = KindHeap;
        user = reinterpret_cast<char*>((reinterpret_cast<uintptr_t>(h.Raw + FrontBytes) + align - 1) &
                                       ~uintptr_t(align - 1));
        h.BackGuard = GuardBytes;
    }
    const bool large = Size > MemMgrMaxSmallBlock || align > MemMgrAlignment;
    h.Kind |= large ? CountedLarge : 0;
    ++(large ? LiveLarge : LiveSmall);
    LiveBytes += Size;
    h.State = LiveState;
    h.Size = uint32_t(Size);
    h.Serial = ++Serial;
    h.Site = Site;
    THeader* header = HeaderOf(user);
    *header = h;
    std::memset(user - GuardBytes, GuardFill, GuardBytes);
    std::memset(user, NewFill, Size);
    std::memset(user + Size, GuardFill, h.BackGuard);
    Link(header);
    return user;
}

void zmemmgr::CheckedRelease(void* P, const void* Site) noexcept
{
    TLockGuard guard(Lock);
    if (reinterpret_cast<uintptr_t>(P) % MemMgrAlignment != 0)
        AddressFault("a free of an address operator new did not give out", P, "when it was freed", Site);
    THeader* h = HeaderOf(P);
    if (h->State == FreedState && h->Check == HeaderCheck(*h))
        BlockFault("a block freed twice", InfoOf(h), nullptr, nullptr, 0, "when it was freed again", Site);
    if (h->State != LiveState)
        AddressFault("a free of an address that is not a live block (operator new did not give it out, or its "
                     "header is damaged)",
                     P, "when it was freed", Site);
    CheckLive(h, "when the block was freed", Site);
    Unlink(h, Site);
    --((h->Kind & CountedLarge) ? LiveLarge : LiveSmall);
    LiveBytes -= h->Size;
    if ((h->Kind & KindMask) == KindPages) {
        TBlockInfo block = InfoOf(h);
        block.FreeSite = Site;
        const TFreedSpan span{h->Raw, h->Pages, block};
        VirtualFree(span.Base, size_t(span.Pages) * PageBytes, MEM_DECOMMIT);
        HoldSpan(span);
        return;
    }
    h->State = FreedState;
    h->FreeSite = Site;
    Seal(h);
    std::memset(P, FreedFill, h->Size);
    Hold(h);
}

void zmemmgr::CheckedBlocksInUse(uint32_t& Small, uint32_t& Large, uint64_t& Bytes) noexcept
{
    TLockGuard guard(Lock);
    Small = LiveSmall;
    Large = LiveLarge;
    Bytes = LiveBytes;
}

void MemMgrCheckHeap() noexcept
{
    if (!MemMgrChecking())
        return;
    TLockGuard guard(Lock);
    CheckAll("by a heap check", __builtin_return_address(0));
}

TMemMgrFaultHook MemMgrSetFaultHook(TMemMgrFaultHook Hook) noexcept
{
    return FaultHook.exchange(Hook);
}
