// Packed skins: entries, option text and image lookups, damage, the file loader; and INI
// text held in string lists.
#include "skinfixtures.h"

#include "skin/zskinpack.h"

#include <doctest.h>

#include <memory>

namespace {

const char* const Options = "[GLOBALINFO]\r\nCOLOR=255\r\n";

std::string OptionsText(const TSkSkinConvertor& c)
{
    if (!c.Options)
        return "<none>";
    return std::string(static_cast<const char*>(c.Options->Memory()), size_t(c.Options->Size()));
}

// What a convertor holds: its option text, the number of image entries and its image count.
std::string Held(const TSkSkinConvertor& c) { return Join(OptionsText(c), c.Files.size(), c.ImageCount); }
const std::string Nothing = Join("<none>", 0, 0);

// An image entry: name, bitmap flag and size.
std::string Entry(const TSkImageItem& i) { return Join(i.FileName, i.IsBitmap, i.Data->Size()); }

} // namespace

TEST_CASE("packed skin: entries, option text and image lookups")
{
    TMessageCatcher box;
    SUBCASE("entries in order; Options.dat in capitals is the option text; .bmp in any case is a bitmap")
    {
        auto c = Extract(PackSkin({{"A.BMP", SolidBmp(4, 4, 0xFF)},
                                   {"OPTIONS.DAT", ToBytes(Options)},
                                   {"b.Bmp", SolidBmp(2, 2, 0)},
                                   {"tex.jpg", ToBytes("not really a jpeg")},
                                   {"noext", ToBytes("x")}}));
        REQUIRE(Held(*c) == Join(Options, 4, 4));
        CHECK(Entry(c->Files[0]) == Join("A.BMP", true, 102));
        CHECK(Entry(c->Files[1]) == Join("b.Bmp", true, 70));
        CHECK(Entry(c->Files[2]) == Join("tex.jpg", false, 17));
        CHECK(Entry(c->Files[3]) == Join("noext", false, 1));
    }
    SUBCASE("images are found by the upper-cased entry name, first one wins")
    {
        auto c = Extract(PackSkin({{"Master.bmp", SolidBmp(4, 4, 1)},
                                   {"MASTER.BMP", SolidBmp(8, 8, 2)},
                                   {"Options.dat", ToBytes(Options)}}));
        // The option text writes names upper-cased.
        CHECK(Join(c->FindImage("MASTER.BMP") == &c->Files[0], c->FindImage("Master.bmp") == nullptr,
                   c->FindImage("OPTIONS.DAT") == nullptr) == Join(1, 1, 1));
    }
    SUBCASE("no option text: the last image entry is still found, no lookup runs past, no sections")
    {
        auto c = Extract(PackSkin({{"ONE.BMP", SolidBmp(2, 2, 1)}, {"TWO.BMP", SolidBmp(2, 2, 2)}}));
        CHECK(Held(*c) == Join("<none>", 2, 2));
        CHECK(Join(c->FindImage("TWO.BMP") == &c->Files[1], c->FindImage("THREE.BMP") == nullptr) == Join(1, 1));
        TStringList sections;
        CreateOptionsIni(c.get())->ReadSections(&sections);
        CHECK(sections.Count() == 0);
        CHECK(CreateOptionsIni(nullptr) != nullptr);
    }
    SUBCASE("an empty entry and a stream longer than the unpacked size")
    {
        // The next entry starts where the stream really ends, not after the bytes taken.
        auto c = Extract(
            PackSkin({{"EMPTY.BMP", {}}, {"LONG.BMP", Bytes(1000, 'x'), 10}, {"Options.dat", ToBytes(Options)}}));
        REQUIRE(Held(*c) == Join(Options, 2, 2));
        CHECK(Entry(c->Files[0]) == Join("EMPTY.BMP", true, 0));
        CHECK(Entry(c->Files[1]) == Join("LONG.BMP", true, 10));
    }
    CHECK(box.Count() == 0);
}

TEST_CASE("packed skin: wrong magic and damage give one error box each and an empty convertor")
{
    SUBCASE("wrong magic")
    {
        TMessageCatcher box;
        auto c = Extract(PackSkin({{"Options.dat", ToBytes(Options)}}, -1, "QSzF"));
        CHECK(Join(Held(*c), bool(c->PackedData)) == Join(Nothing, false));
        REQUIRE(box.Count() == 1);
        CHECK(box.Texts[0] == L"Loaded data is not packed Quellin file");
    }
    SUBCASE("the convertor held an earlier skin")
    {
        auto c = Extract(PackSkin({{"Options.dat", ToBytes(Options)}, {"A.BMP", SolidBmp(2, 2, 0)}}));
        REQUIRE(c->Files.size() == 1);
        TMessageCatcher box;
        Bytes bad = PackSkin({{"A.BMP", SolidBmp(2, 2, 0)}}, 5);   // claims more entries
        c->PackedData = std::make_unique<TMemoryStream>();
        c->PackedData->WriteBuffer(bad.data(), int32_t(bad.size()));
        c->ExtractPackedData();
        CHECK(Held(*c) == Nothing);
        REQUIRE(box.Count() == 1);
        CHECK(box.Texts[0] == L"Packed skin data is damaged");
    }
}

TEST_CASE("packed skin: a file cut anywhere is damaged: one box and nothing kept")
{
    const Bytes good = PackSkin({{"Options.dat", ToBytes("[GLOBALINFO]\r\nMASTERBITMAP=M.BMP\r\n[BUTTON]\r\nCOLOR=1\r\n")},
                                 {"M.BMP", Bmp24(6, 4, [](int x, int y) { return TColor(x * 40 + y); })},
                                 {"G.BMP", SolidBmp(3, 2, 0xFF00FF)}});
    for (size_t n = 0; n < good.size(); ++n) {
        CAPTURE(n);
        TMessageCatcher box;
        CHECK(Held(*Extract(Bytes(good.begin(), good.begin() + long(n)))) == Nothing);
        CHECK(box.Count() == 1);
    }
}

TEST_CASE("LoadPackedSkinFile")
{
    TMessageCatcher box;
    WideString dir = FreshFolder("packfile");
    Bytes data = PackSkin({{"Options.dat", ToBytes(Options)}, {"A.BMP", SolidBmp(2, 2, 0)}});
    WriteBytes(dir + L"\x0421\x043A\x0438\x043D.qsz", data);   // a name outside ASCII
    WriteBytes(dir + L"Empty.qsz", {});
    auto c = std::make_unique<TSkSkinConvertor>();
    c->ImageCount = 7;
    TSkSkinConvertor* was = c.get();
    // A missing file leaves the variable alone.
    LoadPackedSkinFile(dir + L"Missing.qsz", c, true);
    REQUIRE(c.get() == was);
    CHECK(c->ImageCount == 7);
    // A file is read into it, the packed bytes freed or kept.
    LoadPackedSkinFile(dir + L"\x0421\x043A\x0438\x043D.qsz", c, true);
    REQUIRE(c.get() == was);
    CHECK(Join(Held(*c), bool(c->PackedData)) == Join(Join(Options, 1, 1), false));
    LoadPackedSkinFile(dir + L"\x0421\x043A\x0438\x043D.qsz", c, false);
    REQUIRE(c->PackedData);
    CHECK(Join(Held(*c), c->PackedData->Size()) == Join(Join(Options, 1, 1), int64_t(data.size())));
    CHECK(box.Count() == 0);
    // An empty file is not a packed skin; a variable without a convertor gets one.
    c.reset();
    LoadPackedSkinFile(dir + L"Empty.qsz", c, true);
    REQUIRE(c);
    CHECK(Join(Held(*c), box.Count()) == Join(Nothing, 1));
}

TEST_CASE("INI text held in string lists")
{
    TStringList lines;
    lines.SetText("KEY=before any section\r\n; a comment\r\n\r\n[GLOBALINFO]\r\nCOLOR=0x00FF00\r\nHEX=0XfF\r\n"
                  "NUM=-12\r\nBAD=12a\r\nEMPTY=\r\n [NOTASECTION]\r\n[Button]\r\nTEXT=a=b\r\n"
                  "[GLOBALINFO]\r\nCOLOR=1\r\n");
    TSkIniText ini(&lines);
    const TStringList* s = ini.Sections();
    CHECK(s->Text() == "GLOBALINFO\r\nButton\r\nGLOBALINFO\r\n");   // " [NOTASECTION]" is a key line

    // The first section of the name, in any case; hexadecimal after "0x".
    auto number = [&](const char* Section, const char* Key) { return ReadIniTextInt(s, Section, Key, 7); };
    CHECK(Join(number("GLOBALINFO", "COLOR"), number("globalinfo", "color"), number("GLOBALINFO", "HEX"),
               number("GLOBALINFO", "NUM")) == Join(65280, 65280, 255, -12));
    // The default for what does not convert, is missing, or stands before any section.
    CHECK(Join(number("GLOBALINFO", "BAD"), number("GLOBALINFO", "EMPTY"), number("GLOBALINFO", "MISSING"),
               number("NOSECTION", "COLOR")) == Join(7, 7, 7, 7));
    auto text = [&](const TStrings* In, const char* Section, const char* Key) {
        return ReadIniTextString(In, Section, Key, "?");
    };
    CHECK(Join(text(s, "BUTTON", "TEXT"), text(s, "GLOBALINFO", "EMPTY"), text(s, "GLOBALINFO", "KEY"),
               text(nullptr, "GLOBALINFO", "COLOR")) == Join("a=b", "", "?", "?"));
    // Parsing again frees and replaces the sections.
    TStringList other;
    other.SetText("[ONE]\r\nA=1\r\n");
    ini.Parse(&other);
    CHECK(Join(ini.Sections()->Count(), ReadIniTextInt(ini.Sections(), "ONE", "A", 0)) == Join(1, 1));
}
