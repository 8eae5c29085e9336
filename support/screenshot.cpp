#include "support/screenshot.h"
#include "classlib/gdihandles.h"

#include <cstdio>
#include <vector>
#include <zlib.h>

namespace {
void PutBE32(std::vector<uint8_t>& out, uint32_t v)
{
    out.push_back(uint8_t(v >> 24));
    out.push_back(uint8_t(v >> 16));
    out.push_back(uint8_t(v >> 8));
    out.push_back(uint8_t(v));
}

void PutChunk(std::vector<uint8_t>& out, const char* type, const uint8_t* data, size_t len)
{
    PutBE32(out, static_cast<uint32_t>(len));
    size_t start = out.size();
    out.insert(out.end(), type, type + 4);
    out.insert(out.end(), data, data + len);
    uLong crc = crc32(0, out.data() + start, static_cast<uInt>(out.size() - start));
    PutBE32(out, static_cast<uint32_t>(crc));
}
} // namespace

bool WritePng24(const char* FileName, int Width, int Height, const uint8_t* Rows, int Stride)
{
    if (Width <= 0 || Height <= 0)
        return false;
    // Each row: filter byte 0, then red-green-blue.
    std::vector<uint8_t> raw;
    raw.reserve(size_t(Height) * (size_t(Width) * 3 + 1));
    for (int y = 0; y < Height; ++y) {
        const uint8_t* row = Rows + ptrdiff_t(y) * Stride;
        raw.push_back(0);
        for (int x = 0; x < Width; ++x) {
            raw.push_back(row[x * 3 + 2]);
            raw.push_back(row[x * 3 + 1]);
            raw.push_back(row[x * 3 + 0]);
        }
    }
    uLongf packedLen = compressBound(static_cast<uLong>(raw.size()));
    std::vector<uint8_t> packed(packedLen);
    if (compress2(packed.data(), &packedLen, raw.data(), static_cast<uLong>(raw.size()), 6) != Z_OK)
        return false;

    std::vector<uint8_t> png = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    uint8_t ihdr[13];
    uint32_t w = Width, h = Height;
    for (int i = 0; i < 4; ++i) {
        ihdr[i] = uint8_t(w >> (24 - 8 * i));
        ihdr[4 + i] = uint8_t(h >> (24 - 8 * i));
    }
    ihdr[8] = 8;   // bit depth
    ihdr[9] = 2;   // truecolour
    ihdr[10] = ihdr[11] = ihdr[12] = 0;
    PutChunk(png, "IHDR", ihdr, sizeof(ihdr));
    PutChunk(png, "IDAT", packed.data(), packedLen);
    PutChunk(png, "IEND", nullptr, 0);

    FILE* f = std::fopen(FileName, "wb");
    if (!f)
        return false;
    bool ok = std::fwrite(png.data(), 1, png.size(), f) == png.size();
    return std::fclose(f) == 0 && ok;
}

bool SaveWindowPng(HWND Wnd, const char* FileName)
{
    RECT r;
    if (!IsWindow(Wnd) || !GetWindowRect(Wnd, &r))
        return false;
    int w = r.right - r.left, h = r.bottom - r.top;
    if (w <= 0 || h <= 0)
        return false;

    // Wine's PrintWindow leaves out the frame and the child windows; the window's own DC on
    // the virtual desktop has all of it, once the window is on top and fully painted.
    SetWindowPos(Wnd, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    RedrawWindow(Wnd, nullptr, nullptr,
                 RDW_INVALIDATE | RDW_FRAME | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    GdiFlush();

    BITMAPINFO bi{};
    bi.bmiHeader.biSize = sizeof(bi.bmiHeader);
    bi.bmiHeader.biWidth = w;
    bi.bmiHeader.biHeight = -h;   // top-down
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 24;
    bi.bmiHeader.biCompression = BI_RGB;
    bool ok = false;
    {
        void* bits = nullptr;
        TWindowDC wdc(Wnd);
        TOwnedBitmap dib(CreateDIBSection(wdc.Handle(), &bi, DIB_RGB_COLORS, &bits, nullptr, 0));
        TMemoryDC mem(wdc.Handle());
        if (dib && mem) {
            {
                TSelectObject select(mem.Handle(), dib.Handle());
                BitBlt(mem.Handle(), 0, 0, w, h, wdc.Handle(), 0, 0, SRCCOPY);
                GdiFlush();
            }
            int stride = ((w * 3) + 3) & ~3;
            ok = WritePng24(FileName, w, h, static_cast<const uint8_t*>(bits), stride);
        }
    }
    SetWindowPos(Wnd, HWND_NOTOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    return ok;
}
