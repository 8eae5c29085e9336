#include <doctest.h>
#include "list_items.h"
#include "fail_alloc.h"
#include "classlib/inifiles.h"

#include <vector>

namespace {
void Load(TMemIniFile& ini, const char* text)
{
    TStringList l;
    l.SetText(text);
    ini.SetStrings(&l);
}

const char* const Sample =
    "orphan=dropped\r\n"
    "; a comment\r\n"
    "[GENERAL]\r\n"
    "  Name  =  Blue skin  \r\n"
    "\r\n"
    "Width=$1F\r\n"
    "Height=0x10\r\n"
    "Bad=12a\r\n"
    "Empty=\r\n"
    "Flag=1\r\n"
    "Word=TRUE\r\n"
    "name=second\r\n"
    "bare line\r\n"
    "[ Button ]\r\n"
    "Color=-1\r\n"
    "[general]\r\n"
    "Late=yes\r\n";
} // namespace

TEST_CASE("INI text: sections in order, trimmed values, first key wins")
{
    TMemIniFile ini;
    Load(ini, Sample);

    TStringList l;
    ini.ReadSections(&l);
    CHECK(Items(l) == std::vector<AnsiString>{"GENERAL", "Button"});   // a repeated section continues the first
    CHECK(ini.SectionExists("button"));
    CHECK_FALSE(ini.SectionExists("orphan"));

    CHECK(ini.ReadString("general", "NAME", "x") == "Blue skin");
    CHECK(ini.ReadString("GENERAL", "Late", "x") == "yes");
    CHECK(ini.ReadString("GENERAL", "Empty", "x") == "");   // present but empty is not the default
    CHECK(ini.ReadString("GENERAL", "missing", "x") == "x");
    CHECK(ini.ReadString("nosuch", "Name", "x") == "x");
    CHECK(ini.ReadString("GENERAL", "bare line", "x") == "x");
    CHECK(ini.ValueExists("Button", "COLOR"));
    CHECK_FALSE(ini.ValueExists("Button", "Name"));

    ini.ReadSection("GENERAL", &l);
    CHECK(Items(l) == std::vector<AnsiString>{"Name", "Width", "Height", "Bad", "Empty", "Flag", "Word", "name", "Late"});
    ini.ReadSectionValues("Button", &l);
    CHECK(Items(l) == std::vector<AnsiString>{"Color=-1"});
    ini.ReadSection("nosuch", &l);
    CHECK(l.Count() == 0);
}

TEST_CASE("INI numbers and Booleans")
{
    TMemIniFile ini;
    Load(ini, Sample);
    CHECK(ini.ReadInteger("GENERAL", "Width", 0) == 31);
    CHECK(ini.ReadInteger("GENERAL", "Bad", 7) == 7);
    CHECK(ini.ReadInteger("GENERAL", "Empty", 7) == 7);
    CHECK(ini.ReadInteger("Button", "Color", 0) == -1);
    CHECK(ini.ReadBool("GENERAL", "Flag", false));
    CHECK(ini.ReadBool("Button", "Color", false));
    CHECK_FALSE(ini.ReadBool("GENERAL", "Word", false));   // not a number: the default
    CHECK(ini.ReadBool("GENERAL", "Word", true));
}

TEST_CASE("INI writes, deletions and the text written back")
{
    TMemIniFile ini;
    Load(ini, Sample);
    ini.WriteString("general", "NAME", "Red");
    CHECK(ini.ReadString("GENERAL", "Name", "") == "Red");
    ini.DeleteKey("GENERAL", "name");
    CHECK(ini.ReadString("GENERAL", "Name", "") == "second");   // the next one shows now
    ini.WriteInteger("New", "Count", 42);
    ini.WriteBool("New", "On", true);
    ini.WriteBool("New", "Off", false);
    CHECK(ini.ReadInteger("new", "count", 0) == 42);
    CHECK(ini.ReadString("New", "On", "") == "1");
    CHECK(ini.ReadString("New", "Off", "") == "0");
    ini.EraseSection("button");
    ini.EraseSection("nosuch");

    TStringList out;
    ini.GetStrings(&out);
    CHECK(Items(out) == std::vector<AnsiString>{
                            "[GENERAL]", "Width=$1F", "Height=0x10", "Bad=12a", "Empty=", "Flag=1",
                            "Word=TRUE", "name=second", "bare line", "Late=yes", "",
                            "[New]", "Count=42", "On=1", "Off=0", ""});

    TMemIniFile again;
    again.SetStrings(&out);
    TStringList out2;
    again.GetStrings(&out2);
    CHECK(Items(out2) == Items(out));

    ini.Clear();
    ini.ReadSections(&out);
    CHECK(out.Count() == 0);
}

TEST_CASE("INI files on disk")
{
    AnsiString name = AnsiString(ZANDREL_BUILD_DIR) + "/inifile_test.ini";
    DeleteFileA(name.c_str());
    {
        TMemIniFile missing(name);   // no file yet: empty
        TStringList l;
        missing.ReadSections(&l);
        CHECK(l.Count() == 0);
        missing.WriteString("\xD0\xE0\xE7\xE4\xE5\xEB", "Key", "\xC7\xED\xE0\xF7\xE5\xED\xE8\xE5");
        missing.UpdateFile();
    }
    TMemIniFile ini(name);
    CHECK(ini.ReadString("\xF0\xE0\xE7\xE4\xE5\xEB", "KEY", "") == "\xC7\xED\xE0\xF7\xE5\xED\xE8\xE5");
    // Memory used up while reading: the library's error, and a text read over the old one
    // leaves the old values.
    CHECK(FailEachAllocation([&] { TMemIniFile again(name); }, [] {}) > 5);
    const auto oldValues = [&] {
        CHECK(ini.ReadString("\xF0\xE0\xE7\xE4\xE5\xEB", "KEY", "") == "\xC7\xED\xE0\xF7\xE5\xED\xE8\xE5");
        CHECK_FALSE(ini.SectionExists("GENERAL"));
    };
    TStringList sample;
    sample.SetText(Sample);
    CHECK(FailEachAllocation([&] { ini.SetStrings(&sample); }, oldValues) > 5);
    CHECK(ini.ReadString("GENERAL", "Late", "") == "yes");
    DeleteFileA(name.c_str());

    TMemIniFile noFile;
    noFile.WriteString("a", "b", "c");
    noFile.UpdateFile();   // nothing to write to
    CHECK(noFile.ReadString("A", "B", "") == "c");
}
