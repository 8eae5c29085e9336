// Streams: the abstract stream, file handles, memory, resources and strings.
#include "classlib/classes.h"

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <cstring>

namespace {

// Memory streams grow in blocks of this size, so that many small writes do not reallocate.
constexpr int64_t MemoryDelta = 0x2000;

[[noreturn]] void OutOfMemory()
{
    throw EOutOfMemory("Out of memory while expanding memory stream");
}

} // namespace

// ---------------------------------------------------------------------------------------
// TStream

Z_CLASS_IMPL(TStream, TObject)

void TStream::ReadBuffer(void* Buffer, int32_t Count)
{
    if (Count < 0 || (Count != 0 && Read(Buffer, Count) != Count))
        throw EReadError("Stream read error");
}

void TStream::WriteBuffer(const void* Buffer, int32_t Count)
{
    if (Count < 0 || (Count != 0 && Write(Buffer, Count) != Count))
        throw EWriteError("Stream write error");
}

int64_t TStream::CopyFrom(TStream* Source, int64_t Count)
{
    if (Count < 0)
        throw EReadError("Stream read error");
    if (Count == 0) {
        Source->SetPosition(0);
        Count = Source->Size();
    }
    // A bounded buffer: copying a large file must not need its whole size in memory.
    constexpr int32_t MaxBufSize = 0xF000;
    std::vector<char> buffer(static_cast<size_t>(std::min<int64_t>(Count, MaxBufSize)));
    for (int64_t left = Count; left > 0;) {
        int32_t n = static_cast<int32_t>(std::min<int64_t>(left, MaxBufSize));
        Source->ReadBuffer(buffer.data(), n);
        WriteBuffer(buffer.data(), n);
        left -= n;
    }
    return Count;
}

int64_t TStream::Size()
{
    int64_t pos = Seek(0, soFromCurrent);
    int64_t size = Seek(0, soFromEnd);
    Seek(pos, soFromBeginning);
    return size;
}

void TStream::SetSize(int64_t) {}

// ---------------------------------------------------------------------------------------
// THandleStream

Z_CLASS_IMPL(THandleStream, TStream)

int32_t THandleStream::Read(void* Buffer, int32_t Count)
{
    DWORD done = 0;
    if (Count <= 0 || !ReadFile(FHandle, Buffer, static_cast<DWORD>(Count), &done, nullptr))
        return 0;
    return static_cast<int32_t>(done);
}

int32_t THandleStream::Write(const void* Buffer, int32_t Count)
{
    DWORD done = 0;
    if (Count <= 0 || !WriteFile(FHandle, Buffer, static_cast<DWORD>(Count), &done, nullptr))
        return 0;
    return static_cast<int32_t>(done);
}

int64_t THandleStream::Seek(int64_t Offset, int Origin)
{
    static const DWORD methods[] = {FILE_BEGIN, FILE_CURRENT, FILE_END};
    if (Origin < 0 || Origin > 2)
        return -1;
    LARGE_INTEGER dist, result;
    dist.QuadPart = Offset;
    if (!SetFilePointerEx(FHandle, dist, &result, methods[Origin]))
        return -1;
    return result.QuadPart;
}

void THandleStream::SetSize(int64_t NewSize)
{
    int64_t pos = Position();
    if (Seek(NewSize, soFromBeginning) != NewSize || !SetEndOfFile(FHandle))
        RaiseLastOSError();
    // The position stays where it was unless the file no longer reaches it.
    if (pos >= 0 && pos < NewSize)
        Seek(pos, soFromBeginning);
}

// ---------------------------------------------------------------------------------------
// TFileStream

Z_CLASS_IMPL(TFileStream, THandleStream)

TFileStream::TFileStream(const AnsiString& FileName, uint16_t Mode)
    : THandleStream(INVALID_HANDLE_VALUE), FFileName(FileName)
{
    if (Mode == fmCreate) {
        FHandle = CreateFileA(FileName.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                              CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (FHandle == INVALID_HANDLE_VALUE)
            throw EFCreateError(Format("Cannot create file \"%s\". %s",
                                       ExpandFileName(FileName).c_str(),
                                       SysErrorMessage(GetLastError()).c_str()));
        return;
    }

    static const DWORD access[] = {GENERIC_READ, GENERIC_WRITE, GENERIC_READ | GENERIC_WRITE};
    // Compatibility mode and exclusive sharing both share nothing.
    static const DWORD sharing[] = {0, 0, FILE_SHARE_READ, FILE_SHARE_WRITE,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE};
    unsigned accessIndex = Mode & 3u;
    unsigned shareIndex = (Mode & 0xF0u) >> 4;
    DWORD error;
    if (accessIndex >= std::size(access) || shareIndex >= std::size(sharing) || (Mode & ~0xF3u)) {
        // A mode outside the table is refused rather than guessed at.
        error = ERROR_INVALID_PARAMETER;
    } else {
        FHandle = CreateFileA(FileName.c_str(), access[accessIndex], sharing[shareIndex], nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (FHandle != INVALID_HANDLE_VALUE)
            return;
        error = GetLastError();
    }
    throw EFOpenError(Format("Cannot open file \"%s\". %s", ExpandFileName(FileName).c_str(),
                             SysErrorMessage(error).c_str()));
}

TFileStream::~TFileStream()
{
    if (FHandle != INVALID_HANDLE_VALUE && FHandle != nullptr)
        CloseHandle(FHandle);
}

// ---------------------------------------------------------------------------------------
// TCustomMemoryStream

Z_CLASS_IMPL(TCustomMemoryStream, TStream)

int32_t TCustomMemoryStream::Read(void* Buffer, int32_t Count)
{
    if (Count <= 0 || FPosition >= FSize)
        return 0;
    int32_t n = std::min(Count, FSize - FPosition);
    std::memcpy(Buffer, static_cast<const char*>(FMemory) + FPosition, static_cast<size_t>(n));
    FPosition += n;
    return n;
}

int64_t TCustomMemoryStream::Seek(int64_t Offset, int Origin)
{
    int64_t base;
    switch (Origin) {
    case soFromBeginning: base = 0; break;
    case soFromCurrent: base = FPosition; break;
    case soFromEnd: base = FSize; break;
    default: return -1;
    }
    // A position before the start or beyond what a memory stream can hold is refused, as
    // the file system refuses a negative seek: the position stays where it was.
    if (Offset < -base || Offset > INT32_MAX - base)
        return -1;
    FPosition = static_cast<int32_t>(base + Offset);
    return FPosition;
}

void TCustomMemoryStream::SaveToStream(TStream* Stream)
{
    if (FSize != 0)
        Stream->WriteBuffer(FMemory, FSize);
}

void TCustomMemoryStream::SaveToFile(const AnsiString& FileName)
{
    TFileStream f(FileName, fmCreate);
    SaveToStream(&f);
}

void TCustomMemoryStream::SetPointer(void* Ptr, int32_t Size)
{
    FMemory = Ptr;
    FSize = Size;
}

// ---------------------------------------------------------------------------------------
// TMemoryStream

Z_CLASS_IMPL(TMemoryStream, TCustomMemoryStream)

TMemoryStream::~TMemoryStream()
{
    Clear();
}

void TMemoryStream::SetCapacity(int32_t NewCapacity)
{
    if (NewCapacity < 0)
        NewCapacity = 0;
    int64_t rounded = NewCapacity;
    if (rounded > 0)
        rounded = std::min<int64_t>((rounded + MemoryDelta - 1) & ~(MemoryDelta - 1), INT32_MAX);
    if (rounded == 0) {
        std::free(FMemory);
        FMemory = nullptr;
    } else if (rounded != FCapacity) {
        void* p = std::realloc(FMemory, static_cast<size_t>(rounded));
        if (!p)
            OutOfMemory();
        FMemory = p;
    }
    FCapacity = static_cast<int32_t>(rounded);
    // The data never extends beyond the block that holds it.
    if (FSize > NewCapacity)
        FSize = NewCapacity;
}

void TMemoryStream::SetSize(int64_t NewSize)
{
    if (NewSize < 0)
        throw EStreamError("Stream size cannot be negative");
    if (NewSize > INT32_MAX)
        OutOfMemory();
    int32_t size = static_cast<int32_t>(NewSize);
    if (size > FCapacity || size < FCapacity - MemoryDelta)
        SetCapacity(size);
    // Grown bytes read as zeros, not as whatever the allocator left there.
    if (size > FSize)
        std::memset(static_cast<char*>(FMemory) + FSize, 0, static_cast<size_t>(size - FSize));
    FSize = size;
    if (FPosition > FSize)
        FPosition = FSize;
}

int32_t TMemoryStream::Write(const void* Buffer, int32_t Count)
{
    if (Count <= 0)
        return 0;
    int64_t end = int64_t(FPosition) + Count;
    if (end > INT32_MAX)
        OutOfMemory();
    if (end > FSize) {
        int32_t oldSize = FSize;
        if (end > FCapacity)
            SetCapacity(static_cast<int32_t>(end));
        // A write beyond the end leaves zeros in the gap.
        if (FPosition > oldSize)
            std::memset(static_cast<char*>(FMemory) + oldSize, 0,
                        static_cast<size_t>(FPosition - oldSize));
        FSize = static_cast<int32_t>(end);
    }
    std::memcpy(static_cast<char*>(FMemory) + FPosition, Buffer, static_cast<size_t>(Count));
    FPosition = static_cast<int32_t>(end);
    return Count;
}

void TMemoryStream::Clear()
{
    SetCapacity(0);
    FSize = 0;
    FPosition = 0;
}

void TMemoryStream::LoadFromStream(TStream* Stream)
{
    Stream->SetPosition(0);
    int64_t count = Stream->Size();
    SetSize(count);
    if (count != 0)
        Stream->ReadBuffer(FMemory, static_cast<int32_t>(count));
}

void TMemoryStream::LoadFromFile(const AnsiString& FileName)
{
    TFileStream f(FileName, fmOpenRead | fmShareDenyWrite);
    LoadFromStream(&f);
}

// ---------------------------------------------------------------------------------------
// TResourceStream

Z_CLASS_IMPL(TResourceStream, TCustomMemoryStream)

TResourceStream::TResourceStream(HINSTANCE Instance, const AnsiString& ResName, const char* ResType)
{
    Initialize(Instance, ResName.c_str(), ResType);
}

TResourceStream::TResourceStream(HINSTANCE Instance, int ResID, const char* ResType)
{
    Initialize(Instance, MAKEINTRESOURCEA(ResID), ResType);
}

void TResourceStream::Initialize(HINSTANCE Instance, const char* Name, const char* ResType)
{
    HRSRC info = FindResourceA(Instance, Name, ResType);
    HGLOBAL data = info ? LoadResource(Instance, info) : nullptr;
    void* p = data ? LockResource(data) : nullptr;
    if (!p) {
        AnsiString shown = IS_INTRESOURCE(Name) ? IntToStr(reinterpret_cast<uintptr_t>(Name))
                                                : AnsiString(Name);
        throw EResNotFound(Format("Resource %s not found", shown.c_str()));
    }
    SetPointer(p, static_cast<int32_t>(SizeofResource(Instance, info)));
}

int32_t TResourceStream::Write(const void*, int32_t)
{
    throw EStreamError("Can't write to a read-only resource stream");
}

// ---------------------------------------------------------------------------------------
// TStringStream

Z_CLASS_IMPL(TStringStream, TStream)

int32_t TStringStream::Read(void* Buffer, int32_t Count)
{
    int64_t left = static_cast<int64_t>(FData.size()) - FPosition;
    if (Count <= 0 || left <= 0)
        return 0;
    int32_t n = static_cast<int32_t>(std::min<int64_t>(Count, left));
    std::memcpy(Buffer, FData.data() + FPosition, static_cast<size_t>(n));
    FPosition += n;
    return n;
}

int32_t TStringStream::Write(const void* Buffer, int32_t Count)
{
    if (Count <= 0)
        return 0;
    int64_t end = int64_t(FPosition) + Count;
    if (end > INT32_MAX)
        throw EOutOfMemory("Out of memory while expanding memory stream");
    // Overwrites in place and extends at the end, as every other stream does.
    if (static_cast<size_t>(end) > FData.size())
        FData.resize(static_cast<size_t>(end));
    std::memcpy(FData.data() + FPosition, Buffer, static_cast<size_t>(Count));
    FPosition = static_cast<int32_t>(end);
    return Count;
}

int64_t TStringStream::Seek(int64_t Offset, int Origin)
{
    int64_t pos;
    switch (Origin) {
    case soFromBeginning: pos = Offset; break;
    case soFromCurrent: pos = FPosition + Offset; break;
    case soFromEnd: pos = static_cast<int64_t>(FData.size()) + Offset; break;
    default: return -1;
    }
    FPosition = static_cast<int32_t>(std::clamp<int64_t>(pos, 0, static_cast<int64_t>(FData.size())));
    return FPosition;
}

void TStringStream::SetSize(int64_t NewSize)
{
    if (NewSize < 0)
        throw EStreamError("Stream size cannot be negative");
    if (NewSize > INT32_MAX)
        throw EOutOfMemory("Out of memory while expanding memory stream");
    FData.resize(static_cast<size_t>(NewSize));
    if (FPosition > NewSize)
        FPosition = static_cast<int32_t>(NewSize);
}
