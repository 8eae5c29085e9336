#include <doctest.h>
#include "classlib/classes.h"
#include "join.h"

#include <cstring>

namespace {

AnsiString TempName(const char* leaf)
{
    return AnsiString(ZANDREL_BUILD_DIR) + "/" + leaf;
}

AnsiString ReadAll(TStream& s)
{
    s.SetPosition(0);
    AnsiString out(static_cast<size_t>(s.Size()), '\0');
    s.ReadBuffer(out.data(), static_cast<int32_t>(out.size()));
    return out;
}

void WriteText(TStream& s, const AnsiString& text)
{
    s.WriteBuffer(text.data(), static_cast<int32_t>(text.size()));
}

} // namespace

TEST_CASE("memory stream: writing, reading, seeking and growth")
{
    TMemoryStream m;
    WriteText(m, "hello");
    CHECK(Join(m.Size(), m.Position(), m.Capacity()) == Join(5, 5, 0x2000));   // grows in whole blocks

    SUBCASE("reads back and stops at the end")
    {
        m.SetPosition(1);
        char buf[10] = {};
        CHECK(m.Read(buf, 10) == 4);
        CHECK(std::string(buf) == "ello");
        CHECK(m.Read(buf, 10) == 0);
        m.SetPosition(3);
        CHECK_THROWS_WITH_AS(m.ReadBuffer(buf, 3), "Stream read error", EReadError);
    }
    SUBCASE("overwrites in place, and a write past the end leaves zeros in the gap")
    {
        m.SetPosition(1);
        WriteText(m, "E");
        m.SetPosition(8);
        WriteText(m, "!");
        CHECK(ReadAll(m) == AnsiString("hEllo\0\0\0!", 9));
    }
    SUBCASE("seeks from every origin and refuses a position before the start")
    {
        CHECK(m.Seek(-2, soFromEnd) == 3);
        CHECK(m.Seek(1, soFromCurrent) == 4);
        CHECK(m.Seek(-10, soFromCurrent) == -1);
        CHECK(m.Position() == 4);
        CHECK(m.Seek(0, 7) == -1);
    }
    SUBCASE("SetSize grows with zeros, shrinks, and keeps the position inside")
    {
        m.SetSize(8);
        CHECK(ReadAll(m) == AnsiString("hello\0\0\0", 8));
        m.SetSize(2);
        CHECK(m.Position() == 2);
        CHECK(ReadAll(m) == "he");
        CHECK_THROWS_AS(m.SetSize(-1), EStreamError);
    }
    SUBCASE("a capacity below the size cuts the data instead of running past the block")
    {
        m.SetCapacity(3);
        CHECK(m.Size() == 3);
        CHECK(ReadAll(m) == "hel");
    }
}

TEST_CASE("memory stream: a size that cannot be held raises EOutOfMemory and keeps the data")
{
    TMemoryStream m;
    WriteText(m, "keep");
    CHECK_THROWS_WITH_AS(m.SetSize(int64_t(1) << 40), "Out of memory while expanding memory stream",
                         EOutOfMemory);
    CHECK_THROWS_AS(m.SetSize(0x7FFFFFF0), EOutOfMemory);   // more than a 32-bit process gets
    CHECK(ReadAll(m) == "keep");
    m.SetPosition(0x7FFFFFF0);
    CHECK_THROWS_AS(m.Write("x", 1), EOutOfMemory);
    CHECK(m.Size() == 4);
}

TEST_CASE("file stream: create, reopen, resize, copy")
{
    AnsiString name = TempName("stream-basic.bin");
    {
        TFileStream f(name, fmCreate);
        WriteText(f, "0123456789");
        CHECK(f.Size() == 10);
        f.SetPosition(4);
        f.SetSize(6);
        CHECK(f.Size() == 6);
        CHECK(f.Position() == 4);
        f.SetSize(3);
        CHECK(f.Position() == 3);
    }
    {
        TFileStream f(name, fmOpenRead | fmShareDenyWrite);
        CHECK(ReadAll(f) == "012");
        char c;
        CHECK_THROWS_WITH_AS(f.ReadBuffer(&c, 1), "Stream read error", EReadError);
        CHECK_THROWS_WITH_AS(f.WriteBuffer("x", 1), "Stream write error", EWriteError);

        TMemoryStream m;
        WriteText(m, "ab");
        CHECK(m.CopyFrom(&f, 0) == 3);   // 0: the whole source from its start
        CHECK(ReadAll(m) == "ab012");
        f.SetPosition(1);
        m.SetPosition(0);
        CHECK(m.CopyFrom(&f, 2) == 2);
        CHECK(ReadAll(m) == "12012");
        f.SetPosition(2);
        CHECK_THROWS_AS(m.CopyFrom(&f, 5), EReadError);
    }
    DeleteFileA(name.c_str());
}

TEST_CASE("file stream: sharing modes are honoured")
{
    AnsiString name = TempName("stream-share.bin");
    { TFileStream f(name, fmCreate); WriteText(f, "x"); }
    {
        TFileStream reader(name, fmOpenRead | fmShareDenyWrite);
        CHECK_THROWS_AS(TFileStream(name, fmOpenWrite | fmShareDenyNone), EFOpenError);
        TFileStream second(name, fmOpenRead | fmShareDenyNone);   // reading is still shared
    }
    {
        TFileStream excl(name, fmOpenReadWrite | fmShareExclusive);
        CHECK_THROWS_AS(TFileStream(name, fmOpenRead | fmShareDenyNone), EFOpenError);
    }
    DeleteFileA(name.c_str());
}

TEST_CASE("file stream: failures name the expanded file and the system's reason")
{
    AnsiString missing = TempName("no-such-dir/none.bin");
    AnsiString expanded = ExpandFileName(missing);
    try {
        TFileStream f(missing, fmOpenRead);
        FAIL("opened a missing file");
    } catch (const EFOpenError& e) {
        CHECK(e.Message() == Format("Cannot open file \"%s\". %s", expanded.c_str(),
                                    SysErrorMessage(ERROR_PATH_NOT_FOUND).c_str()));
    }
    CHECK_THROWS_AS(TFileStream(missing, fmCreate), EFCreateError);

    // Modes outside the table are refused before the file is touched.
    AnsiString name = TempName("stream-mode.bin");
    { TFileStream f(name, fmCreate); }
    for (uint16_t mode : {uint16_t(3), uint16_t(0x50), uint16_t(0xF0), uint16_t(0x0100),
                          uint16_t(0x8000 | fmShareDenyNone), uint16_t(0xFFFE)}) {
        CAPTURE(mode);
        CHECK_THROWS_AS(TFileStream(name, mode), EFOpenError);
    }
    DeleteFileA(name.c_str());
}

TEST_CASE("memory stream: loading and saving files and streams")
{
    AnsiString name = TempName("stream-mem.bin");
    TMemoryStream m;
    WriteText(m, "memory\r\n");
    m.SaveToFile(name);
    TMemoryStream back;
    back.LoadFromFile(name);
    CHECK(ReadAll(back) == "memory\r\n");

    TStringStream s("abc");
    s.SetPosition(2);
    back.LoadFromStream(&s);   // always the whole source
    CHECK(ReadAll(back) == "abc");

    TStringStream out;
    back.SaveToStream(&out);
    CHECK(out.DataString() == "abc");
    DeleteFileA(name.c_str());
    CHECK_THROWS_AS(back.LoadFromFile(name), EFOpenError);
    CHECK(ReadAll(back) == "abc");
}

TEST_CASE("resource stream: reads the module's data and refuses to be written")
{
    TResourceStream r(GetModuleHandleA(nullptr), 1, reinterpret_cast<const char*>(RT_RCDATA));
    CHECK(ReadAll(r) == "resource-bytes");
    CHECK_THROWS_WITH_AS(r.Write("x", 1), "Can't write to a read-only resource stream", EStreamError);
    CHECK_THROWS_WITH_AS(TResourceStream(GetModuleHandleA(nullptr), 99, reinterpret_cast<const char*>(RT_RCDATA)),
                         "Resource 99 not found", EResNotFound);
}

TEST_CASE("string stream: overwrites, extends and clamps its position")
{
    TStringStream s("abcdef");
    s.SetPosition(2);
    WriteText(s, "XY");
    CHECK(s.DataString() == "abXYef");   // the tail stays
    s.Seek(0, soFromEnd);
    WriteText(s, "gh");
    CHECK(s.DataString() == "abXYefgh");
    CHECK(s.Seek(100, soFromBeginning) == 8);
    CHECK(s.Seek(-100, soFromCurrent) == 0);
    s.SetSize(3);
    CHECK(s.DataString() == "abX");
}
