// Test fixtures of the skin tests: bitmap files, packed skin files and skin folders written by
// the tests, a catcher for the engine's message box, managers of a skin given as text, and
// records written out as text to compare many fields at once.
#pragma once

#include "join.h"
#include "msgrecorder.h"

#include "classlib/graphics.h"
#include "classlib/graphics_helpers.h"
#include "skin/zcontrolutils.h"
#include "skin/zskinmanager.h"
#include "skin/zskinpack.h"
#include "skin/zskinservices.h"
#include "unicode/ucsystem.h"

#include <zlib.h>

#include <cstdint>
#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <vector>

using Bytes = std::vector<uint8_t>;

inline Bytes ToBytes(const std::string& s) { return Bytes(s.begin(), s.end()); }

// A 24-bit bitmap file; px(x, y) gives the colour 0x00BBGGRR, y from the top.
inline Bytes Bmp24(int w, int h, const std::function<TColor(int, int)>& px)
{
    return MakeBmp(w, h, 24, {}, [&](int x, int y) { return uint32_t(px(x, y)); });
}

inline Bytes SolidBmp(int w, int h, TColor c)
{
    return Bmp24(w, h, [c](int, int) { return c; });
}

// A zlib stream (header and checksum) of Data.
inline Bytes Deflate(const Bytes& Data, int Level = 9)
{
    uLongf n = compressBound(uLong(Data.size()));
    Bytes out(n);
    compress2(out.data(), &n, Data.data(), uLong(Data.size()), Level);
    out.resize(n);
    return out;
}

struct PackEntry {
    std::string Name;
    Bytes Data;
    long long Size = -1;   // the unpacked size written, when not the data's own
};

// A packed skin file: magic, count (the number of entries unless given), entries.
inline Bytes PackSkin(const std::vector<PackEntry>& Entries, long long Count = -1,
                      const char* Magic = "QSzf")
{
    Bytes v(Magic, Magic + 4);
    Put32(v, uint32_t(Count < 0 ? Entries.size() : Count));
    for (const PackEntry& e : Entries) {
        Put32(v, uint32_t(e.Name.size()));
        v.insert(v.end(), e.Name.begin(), e.Name.end());
        Put32(v, uint32_t(e.Size < 0 ? e.Data.size() : e.Size));
        Bytes z = Deflate(e.Data);
        v.insert(v.end(), z.begin(), z.end());
    }
    return v;
}

// A path under one of the test folders (Wine paths), slashes turned into backslashes.
inline WideString UnderFolder(const char* Folder, const std::string& Leaf)
{
    std::string s = std::string(Folder) + "\\" + Leaf;
    for (char& c : s)
        if (c == '/')
            c = '\\';
    return WideString(s.begin(), s.end());
}

// The build folder's path for fixture files.
inline WideString BuildPath(const std::string& Leaf) { return UnderFolder(ZANDREL_BUILD_DIR, Leaf); }
// A file of tests/data.
inline WideString TestDataPath(const std::string& Leaf) { return UnderFolder(ZANDREL_TEST_DATA, Leaf); }

inline void WriteBytes(const WideString& Path, const Bytes& Data)
{
    HANDLE h = CreateFileW(Path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (h == INVALID_HANDLE_VALUE)
        throw Exception("cannot write fixture file");
    DWORD n = 0;
    if (!Data.empty())
        WriteFile(h, Data.data(), DWORD(Data.size()), &n, nullptr);
    CloseHandle(h);
}

inline Bytes ReadBytes(const WideString& Path)
{
    Bytes v;
    HANDLE h = CreateFileW(Path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (h == INVALID_HANDLE_VALUE)
        throw Exception("cannot read fixture file");
    DWORD size = GetFileSize(h, nullptr), n = 0;
    v.resize(size);
    if (size)
        ReadFile(h, v.data(), size, &n, nullptr);
    CloseHandle(h);
    return v;
}

inline void WriteText(const WideString& Path, const std::string& Text)
{
    WriteBytes(Path, ToBytes(Text));
}

// Removes the files of a folder, and its folders with theirs.
inline void EmptyFolder(const WideString& Dir)
{
    WIN32_FIND_DATAW fd;
    HANDLE f = FindFirstFileW((Dir + L"\\*").c_str(), &fd);
    if (f == INVALID_HANDLE_VALUE)
        return;
    do {
        const WideString path = Dir + L"\\" + fd.cFileName;
        if (!(fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
            DeleteFileW(path.c_str());
        } else if (fd.cFileName != WideString(L".") && fd.cFileName != WideString(L"..")) {
            EmptyFolder(path);
            RemoveDirectoryW(path.c_str());
        }
    } while (FindNextFileW(f, &fd));
    FindClose(f);
}

// A fresh, empty folder under the build folder; with a trailing backslash.
inline WideString FreshFolder(const std::string& Leaf)
{
    CreateDirectoryW(BuildPath("skintests").c_str(), nullptr);
    WideString dir = BuildPath("skintests\\" + Leaf);
    CreateDirectoryW(dir.c_str(), nullptr);
    EmptyFolder(dir);
    return dir + L"\\";
}

// A convertor that has read the packed bytes Data.
inline std::unique_ptr<TSkSkinConvertor> Extract(const Bytes& Data)
{
    auto c = std::make_unique<TSkSkinConvertor>();
    auto m = std::make_unique<TMemoryStream>();
    if (!Data.empty())
        m->WriteBuffer(Data.data(), int32_t(Data.size()));
    c->PackedData = std::move(m);
    c->ExtractPackedData();
    return c;
}

// The skin command Command (with the low-word argument Arg) received by the window Tag, as the
// message recorder writes it down.
inline TMsgEntry Cmd(const std::string& Tag, uint16_t Command, uint16_t Arg = 0)
{
    return TMsgEntry(Tag, SM_SKINCMD, intptr_t(SkinCommandWParam(Command, Arg)));
}

// A manager with the skin of Text read and taken as applied, without a broadcast: the tests
// send what they mean.
inline std::unique_ptr<TzSkinManager> ManagerOfText(const char* Text)
{
    auto m = std::make_unique<TzSkinManager>(nullptr);
    m->SetActive(false);
    m->LoadFromOptionText(Text, std::strlen(Text), TSkImageSource{});
    m->SkinData().Active = true;
    return m;
}

// An image record: kind, rectangle, frames, mask type, draw mode, border width, the four
// margins, and whether it has a bitmap of its own.
inline std::string MaskText(const TzMaskData& M)
{
    static const char* const kinds[] = {"border", "texture", "glyph"};
    return kinds[M.ImgType % 3] + (" " + Shown(M.R)) + " x" + std::to_string(M.ImageCount) + " m" +
           std::to_string(M.MaskType) + " d" + std::to_string(M.DrawMode) + " b" + std::to_string(M.BorderWidth) + " " +
           Join(M.WL, M.WT, M.WR, M.WB) + (M.Bmp ? " own" : " master");

}

// Catches the engine's message box while it lives: the texts, captions and flags shown, no
// modal box; each answered with Answer.
class TMessageCatcher {
public:
    TMessageCatcher()
    {
        FOld = EngineMessageBox;
        Current() = this;
        EngineMessageBox = &Catch;
    }
    ~TMessageCatcher()
    {
        EngineMessageBox = FOld;
        Current() = nullptr;
    }
    TMessageCatcher(const TMessageCatcher&) = delete;
    TMessageCatcher& operator=(const TMessageCatcher&) = delete;
    std::vector<WideString> Texts;
    std::vector<WideString> Captions;
    std::vector<UINT> Flags;
    int Answer = IDOK;
    size_t Count() const { return Texts.size(); }

private:
    static TMessageCatcher*& Current()
    {
        static TMessageCatcher* c = nullptr;
        return c;
    }
    static int Catch(const WideString& Text, const WideString& Caption, UINT Flags)
    {
        TMessageCatcher* c = Current();
        if (!c)
            return IDOK;
        c->Texts.push_back(Text);
        c->Captions.push_back(Caption);
        c->Flags.push_back(Flags);
        return c->Answer;
    }
    TzEngineMessageBox FOld;
};
