#include "unicode/ucwidestrutils.h"

#include <cstdlib>
#include <cstring>
#include <cwchar>

// The header in front of the characters holds the whole block's size in bytes, so code that
// receives only the character pointer can still tell how large the buffer is.
static constexpr size_t HeaderSize = sizeof(uint32_t);

WideChar* WideBufAlloc(size_t Size)
{
    if (Size > (UINT32_MAX - HeaderSize) / sizeof(WideChar))
        throw EOutOfMemory("Out of memory");
    const size_t bytes = Size * sizeof(WideChar) + HeaderSize;
    // Zeroed, so a fresh buffer already reads as an empty text.
    auto* block = static_cast<uint8_t*>(std::calloc(1, bytes));
    if (!block)
        throw EOutOfMemory("Out of memory");
    const uint32_t header = static_cast<uint32_t>(bytes);
    std::memcpy(block, &header, HeaderSize);
    return reinterpret_cast<WideChar*>(block + HeaderSize);
}

void WideBufFree(WideChar* Buf)
{
    if (Buf)
        std::free(reinterpret_cast<uint8_t*>(Buf) - HeaderSize);
}

WideChar* WideBufMove(WideChar* Dest, const WideChar* Source, size_t Count)
{
    if (Count)
        std::memmove(Dest, Source, Count * sizeof(WideChar));
    return Dest;
}

WideChar* WideBufNew(const WideChar* Source)
{
    if (!Source)
        return nullptr;
    const size_t n = CountWideChars(Source) + 1;
    return WideBufMove(WideBufAlloc(n), Source, n);
}

size_t CountWideChars(const WideChar* Buf)
{
    return Buf ? std::wcslen(Buf) : 0;
}

WideChar* WideBufEnd(WideChar* Buf)
{
    return Buf + CountWideChars(Buf);
}

WideChar* WideBufLCopy(WideChar* Dest, const WideChar* Source, size_t MaxLen)
{
    size_t i = 0;
    if (Source)
        for (; i < MaxLen && Source[i]; ++i)
            Dest[i] = Source[i];
    Dest[i] = 0;
    return Dest;
}

WideChar* WideBufPLCopy(WideChar* Dest, const WideString& Source, size_t MaxLen)
{
    return WideBufLCopy(Dest, Source.c_str(), MaxLen);
}

WideChar* WideBufPCopy(WideChar* Dest, const WideString& Source)
{
    return WideBufLCopy(Dest, Source.c_str(), Source.size());
}

WideChar* WideBufScan(WideChar* Buf, WideChar C)
{
    return Buf ? std::wcschr(Buf, C) : nullptr;
}
