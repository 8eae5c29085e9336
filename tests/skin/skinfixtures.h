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
#include "unicode/ucclasses.h"
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
        uLongf n = compressBound(uLong(e.Data.size()));   // a zlib stream, header and checksum
        const size_t at = v.size();
        v.resize(at + n);
        compress2(v.data() + at, &n, e.Data.data(), uLong(e.Data.size()), 9);
        v.resize(at + n);
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
    TUcFileStream f(Path, fmCreate);
    if (!Data.empty())
        f.WriteBuffer(Data.data(), int32_t(Data.size()));
}

inline Bytes ReadBytes(const WideString& Path)
{
    TUcFileStream f(Path, fmOpenRead | fmShareDenyWrite);
    Bytes v(size_t(f.Size()));
    if (!v.empty())
        f.ReadBuffer(v.data(), int32_t(v.size()));
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
    TMessageCatcher() : FOld(EngineMessageBox), FOuter(Current)
    {
        Current = this;
        EngineMessageBox = &Catch;
    }
    ~TMessageCatcher()
    {
        EngineMessageBox = FOld;
        Current = FOuter;
    }
    TMessageCatcher(const TMessageCatcher&) = delete;
    TMessageCatcher& operator=(const TMessageCatcher&) = delete;
    std::vector<WideString> Texts, Captions;
    std::vector<UINT> Flags;
    int Answer = IDOK;
    size_t Count() const { return Texts.size(); }

private:
    static inline TMessageCatcher* Current = nullptr;
    static int Catch(const WideString& Text, const WideString& Caption, UINT Flags)
    {
        Current->Texts.push_back(Text);
        Current->Captions.push_back(Caption);
        Current->Flags.push_back(Flags);
        return Current->Answer;
    }
    TzEngineMessageBox FOld;
    TMessageCatcher* FOuter;
};
