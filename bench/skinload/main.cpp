// Packed-skin load time next to the bare work underneath it: reading the file, inflating
// every entry and decoding every picture. Run under Wine: bench_skinload.exe [skin.qsz]
#include "classlib/jpeg.h"
#include "skin/zskindata.h"
#include "skin/zskinpack.h"
#include "unicode/ucsystem.h"
#include "unicode/ucsysutils.h"

#include <zlib.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <functional>
#include <memory>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

std::vector<uint8_t> ReadWhole(const WideString& Name)
{
    std::vector<uint8_t> v;
    HANDLE h = FileOpenWide(Name, fmOpenRead | fmShareDenyWrite);
    if (h == INVALID_HANDLE_VALUE)
        return v;
    DWORD size = GetFileSize(h, nullptr), got = 0;
    v.resize(size);
    ReadFile(h, v.data(), size, &got, nullptr);
    CloseHandle(h);
    return v;
}

uint32_t Le32(const uint8_t* p) { return p[0] | p[1] << 8 | p[2] << 16 | uint32_t(p[3]) << 24; }

// The bare work: read the file, inflate each entry with zlib, decode each picture. The
// pictures are kept to the end, as any loader keeps them.
size_t BareLoad(const WideString& Name)
{
    std::vector<uint8_t> file = ReadWhole(Name);
    std::vector<std::unique_ptr<TBitmap>> kept;
    size_t pos = 8, pictures = 0;
    uint32_t count = Le32(&file[4]);
    for (uint32_t i = 0; i < count; ++i) {
        uint32_t nameLength = Le32(&file[pos]);
        std::string name(reinterpret_cast<const char*>(&file[pos + 4]), nameLength);
        pos += 4 + nameLength;
        uint32_t size = Le32(&file[pos]);
        pos += 4;
        std::vector<uint8_t> out(size);
        z_stream zs{};
        inflateInit(&zs);
        zs.next_in = &file[pos];
        zs.avail_in = uInt(file.size() - pos);
        zs.next_out = out.data();
        zs.avail_out = size;
        inflate(&zs, Z_FINISH);
        pos += zs.total_in;
        inflateEnd(&zs);
        AnsiString ext = UpperCase(ExtractFileExt(name));
        auto b = std::make_unique<TBitmap>();
        if (ext == ".BMP") {
            b->LoadFromMemory(out.data(), out.size());
        } else if (ext == ".JPG") {
            TJPEGImage j;
            j.LoadFromMemory(out.data(), out.size());
            b->Assign(&j);
        }
        if (b->Width() > 0) {
            ++pictures;
            kept.push_back(std::move(b));
        }
    }
    return pictures;
}

// What the program does: the packed file read and extracted, the option text turned into
// records with their pictures, and the index cache.
size_t SkinLoad(const WideString& Name, const WideString& Folder)
{
    std::unique_ptr<TSkSkinConvertor> c;
    LoadPackedSkinFile(Name, c, true);
    TSkSkinRecords r;
    r.LoadFromPackedSkin(c.get(), Folder);
    r.RebuildCache();
    return size_t(r.MaskCount());
}

// The best of many runs of each, taken in turns so that a busy moment of the machine
// falls on both alike.
void BestOfTurns(const std::function<void()>& A, const std::function<void()>& B, int Runs, double& BestA,
                 double& BestB)
{
    BestA = BestB = 1e30;
    for (int i = 0; i < Runs; ++i) {
        auto t = Clock::now();
        A();
        auto u = Clock::now();
        B();
        auto v = Clock::now();
        BestA = std::min(BestA, std::chrono::duration<double, std::milli>(u - t).count());
        BestB = std::min(BestB, std::chrono::duration<double, std::milli>(v - u).count());
    }
}

} // namespace

int main(int argc, char** argv)
{
    InitSysUtils();
    InitUcSystem();
    WideString name = argc > 1 ? AnsiToWide(argv[1]) : WideString(L"resources\\skins-packed\\ZandrelDawn.qsz");
    if (!FileExistsWide(name)) {
        std::printf("no packed skin at %s\n", WideToAnsi(name).c_str());
        return 1;
    }
    WideString folder = ExtractWideFilePath(name);
    const int runs = 300;
    size_t pictures = 0, masks = 0;
    // Warm the file cache and the code.
    BareLoad(name);
    SkinLoad(name, folder);
    double bare, skin;
    BestOfTurns([&] { pictures = BareLoad(name); }, [&] { masks = SkinLoad(name, folder); }, runs, bare, skin);
    std::printf("packed skin %s: %zu pictures, %zu mask records\n", WideToAnsi(name).c_str(), pictures, masks);
    std::printf("bare inflate + picture decode: %8.3f ms\n", bare);
    std::printf("skin load (records, cache):    %8.3f ms  (%.2fx)\n", skin, skin / bare);
    return 0;
}
