// The image decoder of the stb collection, built once for the whole library with only the
// formats we read: JPEG and PNG from memory. Its blocks come from operator new like every
// other, so that the checking heap (memmgr_check.cpp) guards the decoder's buffers too.
#include <cstring>
#include <new>

namespace {
void* StbAllocate(size_t Size)
{
    return ::operator new(Size, std::nothrow);
}

void StbFree(void* P)
{
    ::operator delete(P);
}

// As realloc: on failure the old block stays as it was.
void* StbReallocate(void* P, size_t OldSize, size_t NewSize)
{
    void* q = ::operator new(NewSize, std::nothrow);
    if (q && P) {
        std::memcpy(q, P, OldSize < NewSize ? OldSize : NewSize);
        ::operator delete(P);
    }
    return q;
}
} // namespace

#define STBI_MALLOC(Size) StbAllocate(Size)
#define STBI_FREE(P) StbFree(P)
#define STBI_REALLOC_SIZED(P, OldSize, NewSize) StbReallocate(P, OldSize, NewSize)
#define STBI_ONLY_JPEG
#define STBI_ONLY_PNG
#define STBI_NO_STDIO
#define STBI_NO_LINEAR
#define STBI_NO_HDR
#define STBI_MAX_DIMENSIONS 32768
#define STB_IMAGE_IMPLEMENTATION

#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wunused-function"
#pragma GCC diagnostic ignored "-Wunused-parameter"
#pragma GCC diagnostic ignored "-Wsign-compare"
#pragma GCC diagnostic ignored "-Wimplicit-fallthrough"
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"
#include <stb_image.h>
#pragma GCC diagnostic pop
