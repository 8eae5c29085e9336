// Icons: loaded from icon files (the image nearest the system's icon size), written back as
// they came or made from the handle, and drawn.
#include "classlib/graphics_shared.h"

#include <algorithm>
#include <climits>
#include <cstring>

// ---------------------------------------------------------------------------------------
// TIcon

namespace {
[[noreturn]] void InvalidIcon()
{
    throw EInvalidGraphic("Icon image is not valid");
}

// The pixels of a bitmap of the system's as 32-bit rows, bottom row first.
std::vector<uint8_t> Bits32(HBITMAP b, int w, int rows)
{
    BITMAPINFO bi{};
    bi.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    bi.bmiHeader.biWidth = w;
    bi.bmiHeader.biHeight = rows;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    bi.bmiHeader.biCompression = BI_RGB;
    std::vector<uint8_t> v(size_t(w) * 4 * rows);
    TClientDC dc(nullptr);
    GetDIBits(dc.Handle(), b, 0, UINT(rows), v.data(), &bi, DIB_RGB_COLORS);
    return v;
}

// A one-image icon file of 32 bits from an icon handle.
std::vector<uint8_t> IconFile(HICON icon)
{
    ICONINFO ii{};
    if (!GetIconInfo(icon, &ii))
        return {};
    // The information comes with copies of the icon's bitmaps, ours to delete.
    TOwnedBitmap colorCopy(ii.hbmColor), maskCopy(ii.hbmMask);
    BITMAP bm{};
    GetObjectA(ii.hbmMask, sizeof(bm), &bm);
    int w = bm.bmWidth, h = ii.hbmColor ? bm.bmHeight : bm.bmHeight / 2;
    std::vector<uint8_t> file;
    if (w > 0 && h > 0 && w <= 256 && h <= 256) {
        // A monochrome icon keeps its AND mask above its image in one bitmap.
        std::vector<uint8_t> mask = Bits32(ii.hbmMask, w, ii.hbmColor ? h : 2 * h);
        size_t plane = size_t(w) * 4 * h;
        std::vector<uint8_t> color = ii.hbmColor ? Bits32(ii.hbmColor, w, h)
                                                 : std::vector<uint8_t>(mask.begin(), mask.begin() + plane);
        const uint8_t* andPix = mask.data() + (ii.hbmColor ? 0 : plane);
        bool alpha = false;
        for (size_t i = 3; i < plane; i += 4)
            alpha |= color[i] != 0;
        int andStride = StrideOf(w, 1);
        std::vector<uint8_t> andBits(size_t(andStride) * h, 0);
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) {
                bool clear = andPix[(size_t(y) * w + x) * 4] != 0;
                if (clear)
                    andBits[size_t(y) * andStride + x / 8] |= uint8_t(0x80 >> (x % 8));
                if (!alpha)
                    color[(size_t(y) * w + x) * 4 + 3] = clear ? 0 : 255;
            }
        uint32_t imageSize = uint32_t(40 + color.size() + andBits.size());
        file.resize(6 + 16 + 40);
        uint8_t* d = file.data();
        PutLE16(d + 2, 1);       // an icon
        PutLE16(d + 4, 1);       // one image
        d[6] = uint8_t(w & 0xFF);  // 256 is written as 0
        d[7] = uint8_t(h & 0xFF);
        PutLE16(d + 10, 1);
        PutLE16(d + 12, 32);
        PutLE32(d + 14, imageSize);
        PutLE32(d + 18, 22);
        PutLE32(d + 22, 40);
        PutLE32(d + 26, uint32_t(w));
        PutLE32(d + 30, uint32_t(2 * h));
        PutLE16(d + 34, 1);
        PutLE16(d + 36, 32);
        PutLE32(d + 42, uint32_t(color.size() + andBits.size()));
        file.insert(file.end(), color.begin(), color.end());
        file.insert(file.end(), andBits.begin(), andBits.end());
    }
    return file;
}
} // namespace

Z_CLASS_IMPL(TIcon, TGraphic)

TIcon::~TIcon()
{
    if (FHandle)
        DestroyIcon(FHandle);
}

void TIcon::SetWidth(int)
{
    throw EInvalidGraphicOperation("Cannot change the size of an icon");
}

void TIcon::SetHeight(int)
{
    throw EInvalidGraphicOperation("Cannot change the size of an icon");
}

void TIcon::Take(HICON Value, std::vector<uint8_t> Data)
{
    if (FHandle && FHandle != Value)
        DestroyIcon(FHandle);
    FHandle = Value;
    FData = std::move(Data);
    FWidth = FHeight = 0;
    ICONINFO ii{};
    if (Value && GetIconInfo(Value, &ii)) {
        TOwnedBitmap colorCopy(ii.hbmColor), maskCopy(ii.hbmMask);
        BITMAP bm{};
        GetObjectA(ii.hbmMask, sizeof(bm), &bm);
        FWidth = bm.bmWidth;
        FHeight = ii.hbmColor ? bm.bmHeight : bm.bmHeight / 2;
    }
    Changed(this);
}

void TIcon::SetHandle(HICON Value)
{
    if (Value != FHandle)
        Take(Value, {});
}

HICON TIcon::ReleaseHandle()
{
    HICON h = FHandle;
    FHandle = nullptr;
    Take(nullptr, {});
    return h;
}

void TIcon::LoadFromStream(TStream* Stream)
{
    StreamSource src(Stream);
    if (src.Left == 0) {
        Take(nullptr, {});
        return;
    }
    try {
        uint8_t dir[6];
        src.Read(dir, 6);
        unsigned count = LE16(dir + 4);
        if (LE16(dir) != 0 || LE16(dir + 2) != 1 || count == 0)
            InvalidIcon();
        std::vector<uint8_t> entries(size_t(count) * 16);
        src.Read(entries.data(), int64_t(entries.size()));
        // The file ends where its last image ends.
        int64_t end = 6 + int64_t(entries.size());
        int want = GetSystemMetrics(SM_CXICON), best = -1;
        int64_t bestScore = INT64_MAX;
        for (unsigned i = 0; i < count; ++i) {
            const uint8_t* e = &entries[size_t(i) * 16];
            int64_t size = LE32(e + 8), offset = LE32(e + 12);
            if (size < 40 || offset < 6 + int64_t(entries.size()) || offset + size > src.Consumed + src.Left)
                InvalidIcon();
            end = std::max(end, offset + size);
            int w = e[0] ? e[0] : 256;
            int64_t score = int64_t(std::abs(w - want)) * 1000 - LE16(e + 6);
            if (score < bestScore) {
                bestScore = score;
                best = int(i);
            }
        }
        std::vector<uint8_t> file(static_cast<size_t>(end));
        std::memcpy(file.data(), dir, 6);
        std::memcpy(file.data() + 6, entries.data(), entries.size());
        src.Read(file.data() + 6 + entries.size(), end - 6 - int64_t(entries.size()));
        const uint8_t* e = &entries[size_t(best) * 16];
        int w = e[0] ? e[0] : 256, h = e[1] ? e[1] : 256;
        HICON icon = CreateIconFromResourceEx(file.data() + LE32(e + 12), LE32(e + 8), TRUE, 0x00030000, w, h,
                                              LR_DEFAULTCOLOR);
        if (!icon)
            InvalidIcon();
        Take(icon, std::move(file));
    } catch (const EInvalidGraphic&) {
        InvalidIcon();
    }
}

void TIcon::SaveToStream(TStream* Stream)
{
    if (!FHandle)
        return;
    std::vector<uint8_t> file = FData.empty() ? IconFile(FHandle) : FData;
    if (!file.empty())
        Stream->WriteBuffer(file.data(), int32_t(file.size()));
}

void TIcon::Assign(TPersistent* Source)
{
    if (auto* i = dynamic_cast<TIcon*>(Source)) {
        if (i != this)
            Take(i->FHandle ? CopyIcon(i->FHandle) : nullptr, i->FData);
        return;
    }
    if (!Source) {
        Take(nullptr, {});
        return;
    }
    inherited::Assign(Source);
}

void TIcon::Draw(TCanvas* ACanvas, const TRect& R)
{
    if (FHandle)
        DrawIconEx(ACanvas->Handle(), R.Left, R.Top, FHandle, R.Width(), R.Height(), 0, nullptr, DI_NORMAL);
}
