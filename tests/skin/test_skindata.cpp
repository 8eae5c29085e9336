#include "pixels.h"
#include "skinfixtures.h"

#include "skin/zgraphics.h"
#include "skin/zskindata.h"
#include "skin/zskinpack.h"
#include "skin/zskintext.h"

#include <doctest.h>

#include <cstring>

namespace {

constexpr TColor Red = 0x0000FF;
constexpr TColor Green = 0x00FF00;
constexpr TColor Grey = 0x808080;

// The master bitmap of the fixtures: key colour at (0, 0), grey at (1, 0), colours elsewhere.
TColor MasterPixel(int x, int y)
{
    if (x == 0 && y == 0)
        return 0xFF00FF;
    if (x == 1 && y == 0)
        return Grey;
    return TColor(RGB(x * 4, y * 4, 0x80));
}

TColor PixelOf(TBitmap* b, int x, int y) { return PixelAt(*b, x, y); }

const char* const FixtureOptions =
    "; the fixture skin\r\n"
    "[GLOBALINFO]\r\n"
    "VERSION=1.25\r\n"
    "AUTHOR=Tester #1\r\n"
    "DESCRIPTION=Fixture skin\r\n"
    "MASTERBITMAP=MASTER.BMP\r\n"
    "SHADOW1COLOR=255\r\n"
    "SHADOW1OFFSET=4\r\n"
    "SHADOW1BLUR=soft\r\n"
    "SHADOW1TRANSPARENCY=30\r\n"
    "BISPACE=2\r\n"
    "BORDERCOLOR=0x00FF00\r\n"
    "COLOR=-2147483633\r\n"   // the system's button face
    "BOXCHECKED=@0000,0000,0030,0010,3,1\r\n"
    "RADIOCHECKED=@0000,0010,0030,0020,3,0\r\n"
    "[EDIT]\r\n"
    "COLOR=255\r\n"
    "FONTCOLOR=100\r\n"
    "TRANSPARENCY=20\r\n"
    "BEVEL=3\r\n"
    "HOTBEVEL=9\r\n"
    "SHOWFOCUS=true\r\n"
    "SHADOWCOLOR=77\r\n"
    "GRADIENTDATA=255;65280;100;0;0\r\n"
    "HOTGRADIENTDATA=1;2;x;0;0\r\n"
    "BORDERSMASK=^0000,0010,0060,0030,0000,0000,0000,0000,2,1,0,0\r\n"
    "GLYPHMASK=^0000,0000,0060,0030,0000,0000,0000,0000,2,1,0,4\r\n"
    "FRAME=^0000,0000,0040,0040,0001,0002,0003,0004,2,1,1,0\r\n"
    "[BUTTON]\r\n"
    "PARENTCLASS=EDIT\r\n"
    "TRANSPARENCY=-1\r\n"
    "FONTCOLOR=junk\r\n"
    "[TOOLBUTTON]\r\n"
    "PARENTCLASS=BUTTON\r\n"
    "HOTCOLOR=-2147483633\r\n"
    "[LONELY]\r\n"
    "PARENTCLASS=NOWHERE\r\n"
    "[SELF]\r\n"
    "PARENTCLASS=SELF\r\n"
    "[RING1]\r\n"
    "PARENTCLASS=RING2\r\n"
    "[RING2]\r\n"
    "PARENTCLASS=RING3\r\n"
    "[RING3]\r\n"
    "PARENTCLASS=RING1\r\n"
    "COLOR=-1\r\n"
    "[FORMS]\r\n"
    "TEX1=~0000,0000,0010,0010,01,1\r\n"
    "TEX2=~0000,0000,0010,0010,02\r\n"
    "SHORT1=~0000,0000\r\n"
    "SHORT2=@0000,0000,0030,0010,3\r\n"
    "SHORT3=^0000,0010,0060,0030,0000,0000,0000,0000,2,1,0\r\n"
    "NOTNUM1=@00x0,0000,0030,0010,3,1\r\n"
    "NOTNUM2=^0000,0010,0060,0030,00a0,0000,0000,0000,2,1,0,0\r\n"
    "ZEROCOUNT=@0000,0000,0030,0010,0,0\r\n"
    "OUTSIDE=@0500,0500,0600,0600,1,0\r\n"
    "PARTLY=@0040,0000,0070,0010,3,0\r\n"
    "BACKWARDS=@0040,0000,0010,0010,1,0\r\n"
    "OWN=!OWN.BMP!3!1!2!1!2!3!4\r\n"
    "OWNBORDER=!OWN.BMP!2!0!0!0!0!0!0\r\n"
    "LOWERBMP=!own.bmp!3!1!0!0!0!0!0\r\n"
    "NOFILE=!MISSING.BMP!3!1!0!0!0!0!0\r\n"
    "BROKENFILE=!BROKEN.BMP!3!1!0!0!0!0!0\r\n"
    "FEWWORDS=!OWN.BMP!3!1\r\n"
    "BADTYPE=!OWN.BMP!3!1!7!0!0!0!0\r\n"
    "NEGATIVE=!OWN.BMP!0!-1!0!0!0!0!0\r\n"
    "HASH=#(10,0,40,20)(2,1,0,0)\r\n"
    "PATTERN=#(0 0 8 8)\r\n"
    "HASHNEG=#(0,0,30,30)(0,-2)\r\n"
    "HASHBAD=#(0,0,30)(1,1)\r\n"
    "HASHONLY=#\r\n"
    "BARE=OWN.BMP\r\n"
    "BAREMISSING=NONE.BMP\r\n"
    "NUMBER=12345\r\n"
    "EMPTY=\r\n"
    "JPEGTEX=TEX.JPG\r\n"
    "JPEGLONG=Tex2.jpeg\r\n"
    "BADJPEG=BROKEN.JPG\r\n"
    "[lower]\r\n"
    "glyph=@0000,0000,0030,0010,3,1\r\n"
    "mask=OWN.BMP\r\n"
    "hotpattern=TEX.JPG\r\n"
    "[GLOBALINFO]\r\n"   // a section named twice continues the first
    "BOXGRAYED=@0000,0000,0030,0010,3,1\r\n";

// Writes the fixture skin folder and returns it.
WideString FixtureFolder(const char* Name, const char* Options = FixtureOptions)
{
    WideString dir = FreshFolder(Name);
    WriteText(dir + L"Options.dat", Options);
    WriteBytes(dir + L"MASTER.BMP", Bmp24(64, 64, MasterPixel));
    WriteBytes(dir + L"OWN.BMP", Bmp24(30, 20, [](int x, int) { return x < 15 ? Red : Green; }));
    Bytes broken = SolidBmp(8, 8, Red);
    broken.resize(30);
    WriteBytes(dir + L"BROKEN.BMP", broken);
    WriteBytes(dir + L"TEX.JPG", ReadBytes(TestDataPath("tiny.jpg")));
    WriteBytes(dir + L"Tex2.jpeg", ReadBytes(TestDataPath("tiny.jpg")));
    WriteBytes(dir + L"BROKEN.JPG", ToBytes("\xFF\xD8\xFF garbage"));
    return dir;
}

void LoadFolder(TSkSkinRecords& R, const WideString& Dir)
{
    CHECK(R.LoadFromSkinFolder(Dir));
}

const TzMaskData* MaskOf(const TSkSkinRecords& R, const char* Section, const char* Key)
{
    int i = R.FindMaskIndexExact(Section, Key);
    return i >= 0 ? &R.Mask(i) : nullptr;
}

const TzGeneralData& SectionOf(const TSkSkinRecords& R, const char* Name)
{
    int i = R.FindSectionIndex(Name);
    REQUIRE(i >= 0);
    return R.Section(i);
}

} // namespace

TEST_CASE("skin records: sections, inheritance and skin-wide values")
{
    TSkSkinRecords r;
    LoadFolder(r, FixtureFolder("sections"));

    REQUIRE(r.SectionCount() == 11);   // GLOBALINFO once, in file order
    CHECK(r.Section(0).ClassName == "GLOBALINFO");
    CHECK(r.Section(10).ClassName == "lower");

    const TzSkinData& d = r.SkinData();
    CHECK(d.Version == doctest::Approx(1.25));
    CHECK(d.Author == "Tester #1");
    CHECK(d.Description == "Fixture skin");
    CHECK(d.Shadow1Color == 255);
    CHECK(d.Shadow1Offset == 4);
    CHECK(d.Shadow1Blur == -1);   // not a number: the default
    CHECK(d.Shadow1Transparency == 30);
    CHECK(d.BISpacing == 2);
    CHECK(d.BorderColor == 0x00FF00);
    CHECK(SectionOf(r, "GLOBALINFO").Color == ColorToRGB(clBtnFace));

    const TzGeneralData& edit = SectionOf(r, "EDIT");
    CHECK(edit.Color == 255);
    CHECK(edit.FontColor == 100);
    CHECK(edit.Transparency == 20);
    CHECK(edit.Bevel == cbRaisedHard);
    CHECK(edit.HotBevel == cbNone);   // outside the five kinds
    CHECK(edit.ShowFocus);            // "true" upper-cased is TRUE
    CHECK(edit.ShadowColor == 77);
    CHECK(edit.TCLeft == -1);
    CHECK(edit.ShadowBlur == 6);
    CHECK(edit.FadingIterations == 5);
    CHECK(edit.GradientData == "255;65280;100;0;0");
    REQUIRE(edit.GradientArray.size() == 1);
    CHECK(edit.GradientArray[0].Color2 == 65280);
    CHECK(edit.HotGradientArray.empty());   // a field that is no number: no gradient

    SUBCASE("a child takes what it leaves out from its parent")
    {
        const TzGeneralData& b = SectionOf(r, "BUTTON");
        CHECK(b.ParentClass == "EDIT");
        CHECK(b.Color == 255);
        CHECK(b.Transparency == 20);   // -1 counts as missing
        CHECK(b.FontColor == 100);     // so does a value that is no number
        CHECK(b.Bevel == cbRaisedHard);
        CHECK(b.ShowFocus);
        CHECK(b.ShadowColor == 0);     // never inherited
        CHECK(b.GradientArray.size() == 1);
        const TzGeneralData& t = SectionOf(r, "TOOLBUTTON");   // two steps up
        CHECK(t.Color == 255);
        CHECK(t.HotColor == TColor(0x8000000F));   // hot colour stored as read
    }
    SUBCASE("defaults when no section of the chain has the key")
    {
        const TzGeneralData& l = SectionOf(r, "LONELY");
        CHECK(l.Color == 0xFFFFFF);
        CHECK(l.GradientData == " ");
        CHECK(l.GradientArray.empty());
        CHECK(l.HotGradientData.empty());
        CHECK_FALSE(l.ReservedBoolean);
        CHECK(l.ShadowTransparency == 50);
        CHECK(SectionOf(r, "SELF").Color == 0xFFFFFF);
        // A ring of parents ends.
        CHECK(SectionOf(r, "RING1").Color == 0xFFFFFF);
        CHECK(SectionOf(r, "RING3").ShadowOffset == 3);
    }
    SUBCASE("lookups compare names exactly")
    {
        CHECK(r.FindSectionIndex("edit") == -1);
        CHECK(r.FindSectionIndex("LOWER") == -1);
        CHECK(r.FindSectionIndex("lower") == 10);
        CHECK(r.IsValidSkinIndex(0));
        CHECK(r.IsValidSkinIndex(10));
        CHECK_FALSE(r.IsValidSkinIndex(11));
        CHECK_FALSE(r.IsValidSkinIndex(-1));
    }
    SUBCASE("a folder without option text is an empty skin")
    {
        TSkSkinRecords none;
        CHECK_FALSE(none.LoadFromSkinFolder(FreshFolder("nooptions")));
        CHECK(none.SectionCount() == 0);
        CHECK(none.MaskCount() == 0);
    }
    SUBCASE("the lines and the INI object forms give the same records")
    {
        TStringList lines;
        Bytes text = ReadBytes(FixtureFolder("sections2") + L"Options.dat");
        lines.SetText(AnsiString(text.begin(), text.end()));
        TMemIniFile ini;
        ini.SetStrings(&lines);
        TSkSkinRecords r2, r3;
        r2.LoadFromOptions(ini, TSkImageSource{FixtureFolder("sections2"), nullptr});
        r3.LoadFromOptions(&lines, TSkImageSource{FixtureFolder("sections2"), nullptr});
        for (TSkSkinRecords* o : {&r2, &r3}) {
            CHECK(o->SectionCount() == r.SectionCount());
            CHECK(o->MaskCount() == r.MaskCount());
            CHECK(SectionOf(*o, "BUTTON").Color == 255);
        }
    }
}

TEST_CASE("skin records: every image value form")
{
    TSkSkinRecords r;
    LoadFolder(r, FixtureFolder("images"));
    REQUIRE(r.MasterBitmap());
    CHECK(r.MasterBitmap()->Width() == 64);
    CHECK(r.MasterBitmap()->PixelFormat() == pf24bit);
    CHECK(MaskOf(r, "GLOBALINFO", "MASTERBITMAP") == nullptr);

    SUBCASE("~ textures of the master bitmap")
    {
        const TzMaskData* m = MaskOf(r, "FORMS", "TEX1");
        REQUIRE(m);
        CHECK(m->ImgType == itisaTexture);
        CHECK(m->R == TRect(0, 0, 10, 10));
        CHECK(m->ImageCount == 1);
        CHECK(m->DrawMode == 1);
        CHECK(m->MaskType == 1);
        CHECK_FALSE(m->Bmp);
        m = MaskOf(r, "FORMS", "TEX2");
        REQUIRE(m);
        CHECK(m->DrawMode == 2);
        CHECK(m->MaskType == 0);   // the value ends before the mask column
    }
    SUBCASE("@ glyphs and ^ borders")
    {
        const TzMaskData* m = MaskOf(r, "GLOBALINFO", "BOXCHECKED");
        REQUIRE(m);
        CHECK(m->ImgType == itisaGlyph);
        CHECK(m->ImageCount == 3);
        CHECK(m->MaskType == 1);
        m = MaskOf(r, "EDIT", "FRAME");
        REQUIRE(m);
        CHECK(m->ImgType == itisaBorder);
        CHECK(m->WL == 1);
        CHECK(m->WT == 2);
        CHECK(m->WR == 3);
        CHECK(m->WB == 4);
        CHECK(m->DrawMode == 1);
        CHECK(m->BorderWidth == 0);
        // Margins all 0: a third of a frame (60 wide, 2 frames: 10; 20 high, mask half: 3).
        m = MaskOf(r, "EDIT", "BORDERSMASK");
        REQUIRE(m);
        CHECK(m->WL == 10);
        CHECK(m->WR == 10);
        CHECK(m->WT == 3);
        CHECK(m->WB == 3);
        // ... or the border width when it is set.
        m = MaskOf(r, "EDIT", "GLYPHMASK");
        REQUIRE(m);
        CHECK(m->BorderWidth == 4);
        CHECK(m->WL == 4);
        CHECK(m->WB == 4);
    }
    SUBCASE("values too short or not numbers skip their key")
    {
        for (const char* key : {"SHORT1", "SHORT2", "SHORT3", "NOTNUM1", "NOTNUM2"})
            CHECK(MaskOf(r, "FORMS", key) == nullptr);
    }
    SUBCASE("rectangles stay as the skin states them; pixels are read inside the bitmap")
    {
        CHECK(MaskOf(r, "FORMS", "BACKWARDS") == nullptr);   // states no picture
        const TzMaskData* m = MaskOf(r, "FORMS", "OUTSIDE");
        REQUIRE(m);
        CHECK(m->R == TRect(500, 500, 600, 600));
        int zero = r.FindMaskIndexExact("FORMS", "ZEROCOUNT");
        REQUIRE(zero >= 0);
        CHECK(r.Mask(zero).ImageCount == 0);
        CHECK(r.GetMaskFrameSize(zero).cx == 30);   // 0 frames count as 1
        // Three frames running past the 64-pixel bitmap keep their width and place: the
        // pressed frame is columns 60 to 69, of which 60 to 63 exist.
        int partly = r.FindMaskIndexExact("FORMS", "PARTLY");
        REQUIRE(partly >= 0);
        m = &r.Mask(partly);
        CHECK(m->R == TRect(40, 0, 70, 10));
        CHECK(m->ImageCount == 3);
        TSize frame = r.GetMaskFrameSize(partly);
        CHECK(frame.cx == 10);
        auto out = Filled24(10, 10, Grey);
        CopyKeyed(out.get(), r.MasterBitmap(), 0, 0xFF00FF, TRect(60, 0, 70, 10), 0);
        for (int x = 0; x < 10; ++x)
            CHECK(Px(*out, x, 5) == (x < 4 ? MasterPixel(60 + x, 5) : Grey));
    }
    SUBCASE("! images of their own")
    {
        const TzMaskData* m = MaskOf(r, "FORMS", "OWN");
        REQUIRE(m);
        REQUIRE(m->Bmp);
        CHECK(m->Bmp->PixelFormat() == pf24bit);
        CHECK(m->R == TRect(0, 0, 30, 20));
        CHECK(m->ImgType == itisaGlyph);
        CHECK(m->ImageCount == 3);
        CHECK(m->MaskType == 1);
        CHECK(m->WL == 1);
        CHECK(m->WT == 2);
        CHECK(m->WR == 3);
        CHECK(m->WB == 4);
        CHECK(PixelOf(m->Bmp.get(), 0, 0) == Red);
        CHECK(PixelOf(m->Bmp.get(), 29, 19) == Green);
        m = MaskOf(r, "FORMS", "OWNBORDER");
        REQUIRE(m);
        CHECK(m->ImgType == itisaBorder);
        CHECK(m->ImageCount == 2);
        CHECK(m->MaskType == 0);
        CHECK(m->WL == 5);   // 30 / (2 * 3)
        CHECK(m->WT == 6);   // 20 / 3
        // Each record has its own copy.
        CHECK(MaskOf(r, "FORMS", "OWN")->Bmp.get() != m->Bmp.get());
        for (const char* key : {"LOWERBMP", "NOFILE", "BROKENFILE", "FEWWORDS", "BADTYPE"})
            CHECK(MaskOf(r, "FORMS", key) == nullptr);
        m = MaskOf(r, "FORMS", "NEGATIVE");   // kept as stated; the divisions count 1 and 0
        REQUIRE(m);
        CHECK(m->ImageCount == 0);
        CHECK(m->MaskType == -1);
        CHECK(m->WL == 10);   // 30 / (1 * 3)
        CHECK(m->WT == 6);    // 20 / ((0 + 1) * 3)
    }
    SUBCASE("# rectangles in words")
    {
        const TzMaskData* m = MaskOf(r, "FORMS", "HASH");
        REQUIRE(m);
        CHECK(m->ImgType == itisaBorder);
        CHECK(m->R == TRect(10, 0, 40, 20));
        CHECK(m->ImageCount == 2);
        CHECK(m->MaskType == 1);
        CHECK(m->DrawMode == 0);
        m = MaskOf(r, "FORMS", "PATTERN");
        REQUIRE(m);
        CHECK(m->ImgType == itisaTexture);
        CHECK(m->R == TRect(0, 0, 8, 8));
        CHECK(m->ImageCount == 1);
        CHECK(m->MaskType == 0);
        CHECK(m->DrawMode == 0);
        m = MaskOf(r, "FORMS", "HASHNEG");   // as stated: 0 and -2
        REQUIRE(m);
        CHECK(m->ImageCount == 0);
        CHECK(m->MaskType == -2);
        CHECK(m->DrawMode == 1);
        CHECK(MaskOf(r, "FORMS", "HASHBAD") == nullptr);
        CHECK(MaskOf(r, "FORMS", "HASHONLY") == nullptr);
        CHECK(MaskOf(r, "GLOBALINFO", "AUTHOR") == nullptr);   // a text with "#" in it
    }
    SUBCASE("bare bitmap names, JPEG textures and plain values")
    {
        const TzMaskData* m = MaskOf(r, "FORMS", "BARE");
        REQUIRE(m);
        CHECK(m->ImgType == itisaBorder);
        CHECK(m->ImageCount == 3);
        CHECK(m->MaskType == 1);
        CHECK(m->WL == 3);   // 30 / 9
        CHECK(m->WT == 3);   // 20 / 6
        for (const char* key : {"BAREMISSING", "NUMBER", "EMPTY", "BADJPEG"})
            CHECK(MaskOf(r, "FORMS", key) == nullptr);
        CHECK(MaskOf(r, "EDIT", "COLOR") == nullptr);
        m = MaskOf(r, "FORMS", "JPEGTEX");
        REQUIRE(m);
        CHECK(m->ImgType == itisaTexture);
        CHECK(m->ImageCount == 1);
        REQUIRE(m->Bmp);
        CHECK(m->R == TRect(0, 0, 16, 8));
        CHECK((PixelOf(m->Bmp.get(), 2, 2) & 0xFF) > 0xC0);           // red half
        CHECK(((PixelOf(m->Bmp.get(), 13, 2) >> 16) & 0xFF) > 0xC0);  // blue half
        m = MaskOf(r, "FORMS", "JPEGLONG");   // ".jpeg" in any case
        REQUIRE(m);
        CHECK(m->ImgType == itisaTexture);
        CHECK(r.PatternCount() == 0);
    }
    SUBCASE("fixed forms keep the spelling, the others are upper-cased")
    {
        CHECK(MaskOf(r, "lower", "glyph") != nullptr);
        CHECK(MaskOf(r, "LOWER", "GLYPH") == nullptr);
        CHECK(MaskOf(r, "LOWER", "MASK") != nullptr);
        CHECK(MaskOf(r, "LOWER", "HOTPATTERN") != nullptr);
        CHECK(MaskOf(r, "GLOBALINFO", "BOXGRAYED") != nullptr);
    }
    SUBCASE("every mask knows the manager")
    {
        auto* manager = reinterpret_cast<TzSkinManager*>(&r);
        r.SetManager(manager);
        CHECK(r.Mask(0).Manager == manager);
        CHECK(r.Manager() == manager);
    }
}

TEST_CASE("skin records: mask lookups, frames and margins")
{
    TSkSkinRecords r;
    LoadFolder(r, FixtureFolder("lookups"));
    int edit = r.FindSectionIndex("EDIT"), button = r.FindSectionIndex("BUTTON");
    int tool = r.FindSectionIndex("TOOLBUTTON");

    int border = r.FindMaskIndexExact("EDIT", "BORDERSMASK");
    REQUIRE(border >= 0);
    CHECK(r.FindMaskIndex(edit, "EDIT", "BORDERSMASK") == border);
    CHECK(r.FindMaskIndex(button, "BUTTON", "BORDERSMASK") == border);   // from the parent
    CHECK(r.FindMaskIndex(tool, "TOOLBUTTON", "BORDERSMASK") == border);
    CHECK(r.FindMaskIndexExact("BUTTON", "BORDERSMASK") == -1);
    CHECK(r.FindMaskIndex(button, "BUTTON", "NOSUCH") == -1);
    CHECK(r.FindMaskIndex(-1, "EDIT", "BORDERSMASK") == -1);
    CHECK(r.FindMaskIndex(edit, "", "BORDERSMASK") == -1);
    CHECK(r.FindMaskIndex(r.SectionCount() + 5, "BUTTON", "BORDERSMASK") == -1);
    CHECK(r.FindMaskIndex(r.FindSectionIndex("SELF"), "SELF", "X") == -1);
    CHECK(r.FindMaskIndex(r.FindSectionIndex("RING1"), "RING1", "X") == -1);   // ends
    CHECK(r.FindMaskIndex(r.FindSectionIndex("LONELY"), "LONELY", "X") == -1);

    int forms = r.FindSectionIndex("FORMS");
    CHECK(r.FindTextureIndex(forms, "FORMS", "TEX1") == r.FindMaskIndexExact("FORMS", "TEX1"));
    CHECK(r.FindTextureIndex(forms, "FORMS", "OWN") == -1);   // a glyph, not a texture
    CHECK(r.FindTextureIndex(forms, "FORMS", "JPEGTEX") >= 0);
    CHECK(r.FindPatternIndex(forms, "FORMS", "JPEGTEX") == -1);

    CHECK(r.IsValidMaskIndex(0));
    CHECK_FALSE(r.IsValidMaskIndex(r.MaskCount()));
    CHECK_FALSE(r.IsValidMaskIndex(-1));

    TSize s = r.GetMaskFrameSize(border);   // 60 x 20, 2 frames over a mask half
    CHECK(s.cx == 30);
    CHECK(s.cy == 10);
    // A bitmap of its own is three frames over a mask half, whatever its value counts.
    for (const char* key : {"OWN", "OWNBORDER", "NEGATIVE"}) {
        s = r.GetMaskFrameSize(r.FindMaskIndexExact("FORMS", key));   // 30 x 20
        CHECK(s.cx == 10);
        CHECK(s.cy == 10);
    }
    s = r.GetMaskFrameSize(r.FindMaskIndexExact("FORMS", "JPEGTEX"));   // 16 x 8
    CHECK(s.cx == 5);
    CHECK(s.cy == 4);
    CHECK(r.GetMaskFrameSize(-1).cx == 0);

    int frame = r.FindMaskIndexExact("EDIT", "FRAME");
    CHECK(r.MaskMarginLeft(frame) == 1);
    CHECK(r.MaskMarginTop(frame) == 2);
    CHECK(r.MaskMarginRight(frame) == 3);
    CHECK(r.MaskMarginBottom(frame) == 4);
    CHECK(r.MaskMarginLeft(border) == 10);
    CHECK(r.MaskMarginTop(border) == 3);
    CHECK(r.MaskMarginLeft(r.FindMaskIndexExact("EDIT", "GLYPHMASK")) == 4);
    // A glyph keeps margins 0 and falls back to a third of its frame.
    int box = r.FindMaskIndexExact("GLOBALINFO", "BOXCHECKED");   // 30 x 10, 3 frames, mask half
    CHECK(r.MaskMarginLeft(box) == 3);
    CHECK(r.MaskMarginRight(box) == 3);
    CHECK(r.MaskMarginTop(box) == 1);
    CHECK(r.MaskMarginBottom(box) == 1);
    CHECK(r.MaskMarginLeft(-3) == 0);
}

TEST_CASE("skin records: the common-index cache")
{
    const char* text =
        "[GLOBALINFO]\r\nMASTERBITMAP=MASTER.BMP\r\n"
        "BOXCHECKED=@0000,0000,0030,0010,3,1\r\nSMALLGRAYED=@0000,0000,0030,0010,3,1\r\n"
        "[TABTOP]\r\nBORDERSMASK=^0000,0010,0060,0030,0000,0000,0000,0000,2,1,0,0\r\n"
        "[TABLEFT]\r\nPARENTCLASS=TABTOP\r\n"
        "[SCROLLBTNTOP]\r\nGLYPHMASK=@0000,0000,0030,0010,3,1\r\nPATTERN=~0000,0000,0010,0010,01,0\r\n"
        "[SCROLLSLIDERH]\r\nHOTPATTERN=#(0,0,8,8)\r\n"
        "[SCROLLBAR2V]\r\nBORDERSMASK=^0000,0010,0060,0030,0000,0000,0000,0000,2,1,0,0\r\n"
        "[COMBOBOX]\r\nGLYPHMASK=@0000,0000,0030,0010,3,1\r\n"
        "[COMBOBTN]\r\nPARENTCLASS=COMBOBOX\r\nPATTERN=TEX.JPG\r\nHOTPATTERN=@0000,0000,0030,0010,3,1\r\n";
    TSkSkinRecords r;
    LoadFolder(r, FixtureFolder("cache", text));
    r.RebuildCache();
    const TSkCommonIndexes& c = r.Cache();
    CHECK(c.GlobalInfo == 0);
    CHECK(c.BoxChecked == r.FindMaskIndexExact("GLOBALINFO", "BOXCHECKED"));
    CHECK(c.SmallGrayed == r.FindMaskIndexExact("GLOBALINFO", "SMALLGRAYED"));
    CHECK(c.BoxUnchecked == -1);
    CHECK(c.RadioChecked == -1);
    CHECK(c.TabTop.Section == r.FindSectionIndex("TABTOP"));
    CHECK(c.TabTop.BordersMask >= 0);
    CHECK(c.TabLeft.BordersMask == c.TabTop.BordersMask);   // through its parent
    CHECK(c.TabRight.Section == -1);
    CHECK(c.TabRight.BordersMask == -1);
    CHECK(c.ScrollBtnTop.GlyphMask >= 0);
    CHECK(c.ScrollBtnTop.Pattern >= 0);
    CHECK(c.ScrollBtnTop.BordersMask == -1);
    CHECK(c.ScrollSliderH.HotPattern >= 0);
    CHECK(c.ScrollBar2V.BordersMask >= 0);
    CHECK(c.ScrollBar1H.Section == -1);
    CHECK(c.ComboBtn == r.FindSectionIndex("COMBOBTN"));
    CHECK(c.ComboBtnBordersMask == -1);
    CHECK(c.ComboBtnPattern == r.FindMaskIndexExact("COMBOBTN", "PATTERN"));
    CHECK(c.ComboBtnHotPattern == -1);   // a glyph is no texture
    CHECK(c.ComboBoxGlyphMask == r.FindMaskIndexExact("COMBOBOX", "GLYPHMASK"));

    SUBCASE("without GLOBALINFO the nine check and radio images are missing")
    {
        TSkSkinRecords none;
        LoadFolder(none, FixtureFolder("cache2", "[TABTOP]\r\nCOLOR=1\r\n"));
        none.RebuildCache();
        const TSkCommonIndexes& n = none.Cache();
        CHECK(n.GlobalInfo == -1);
        for (int16_t i : {n.BoxChecked, n.BoxUnchecked, n.BoxGrayed, n.RadioChecked, n.RadioUnchecked,
                          n.RadioGrayed, n.SmallChecked, n.SmallUnchecked, n.SmallGrayed})
            CHECK(i == -1);
        CHECK(n.TabTop.Section == 0);
    }
    SUBCASE("cleared records give -1 throughout")
    {
        r.Clear();
        r.RebuildCache();
        CHECK(r.Cache().GlobalInfo == -1);
        CHECK(r.Cache().BoxChecked == -1);
        CHECK(r.Cache().ComboBtn == -1);
        CHECK(r.SectionCount() == 0);
        CHECK(r.MaskCount() == 0);
        CHECK_FALSE(r.MasterBitmap());
    }
}

TEST_CASE("skin records: common sections")
{
    TSkSkinRecords r;
    WideString dir = FixtureFolder("common");
    LoadFolder(r, dir);
    int before = r.SectionCount();
    TStringList common;
    common.SetText("[EDIT]\r\n"
                   "COLOR=0x00FF00\r\n"
                   "TRANSPARENCY=-1\r\n"
                   "SHOWFOCUS=?\r\n"
                   "GRADIENTDATA=1;2;50;1;0\r\n"
                   "[NEWBUTTON]\r\n"
                   "PARENTCLASS=edit\r\n"
                   "FONTCOLOR=7\r\n"
                   "NEWMASK=@0000,0000,0030,0010,3,1\r\n"
                   "[ORPHAN]\r\n"
                   "HOTCOLOR=5\r\n"
                   "HOTPATTERN=TEX.JPG\r\n");
    r.ApplyCommonSections(&common, TSkImageSource{dir, nullptr});
    REQUIRE(r.SectionCount() == before + 2);
    const TzGeneralData& edit = SectionOf(r, "EDIT");
    CHECK(edit.Color == 0x00FF00);
    CHECK(edit.Transparency == 20);   // -1 is missing: the old value stays
    CHECK(edit.ShowFocus);            // "?" is missing too
    CHECK(edit.FontColor == 100);
    REQUIRE(edit.GradientArray.size() == 1);
    CHECK(edit.GradientArray[0].Mode == 1);

    const TzGeneralData& nb = SectionOf(r, "NEWBUTTON");
    CHECK(nb.ParentClass == "EDIT");
    CHECK(nb.FontColor == 7);
    CHECK(nb.Color == 0x00FF00);        // one step to the parent record
    CHECK(nb.Transparency == 20);
    CHECK(nb.Bevel == cbRaisedHard);
    CHECK(nb.ShadowColor == 0);         // never inherited
    const TzGeneralData& orphan = SectionOf(r, "ORPHAN");
    CHECK(orphan.ParentClass == "-1");
    CHECK(orphan.HotColor == 5);
    CHECK(orphan.Color == 0xFFFFFF);
    CHECK(orphan.ShadowBlur == 6);

    CHECK(r.FindMaskIndexExact("NEWBUTTON", "NEWMASK") >= 0);
    CHECK(r.FindTextureIndex(r.FindSectionIndex("ORPHAN"), "ORPHAN", "HOTPATTERN") >= 0);
    // Lookups of the new section go to its parent.
    CHECK(r.FindMaskIndex(r.FindSectionIndex("NEWBUTTON"), "NEWBUTTON", "BORDERSMASK") ==
          r.FindMaskIndexExact("EDIT", "BORDERSMASK"));

    // Nothing, or text that is no INI, changes nothing and breaks nothing.
    int count = r.SectionCount();
    r.ApplyCommonSections(nullptr, TSkImageSource{dir, nullptr});
    TStringList junk;
    junk.SetText("[\r\n]\r\n=\r\n[]\r\n==x\r\n[X\r\n");
    r.ApplyCommonSections(&junk, TSkImageSource{dir, nullptr});
    CHECK(r.SectionCount() == count + 1);   // "[]" names a section with an empty name
}

TEST_CASE("skin records: hue and saturation")
{
    const char* text = "[GLOBALINFO]\r\nMASTERBITMAP=MASTER.BMP\r\nSHADOW1COLOR=255\r\nBORDERCOLOR=65280\r\n"
                       "[EDIT]\r\nCOLOR=255\r\nHOTCOLOR=8421504\r\nFONTCOLOR=16711680\r\nTCLEFT=255\r\n"
                       "GRADIENTDATA=255;65280;100;0;0\r\nMASK=!OWN.BMP!3!1!0!0!0!0!0\r\n";
    WideString dir = FixtureFolder("hue", text);
    TSkSkinRecords plain, hued, sat;
    LoadFolder(plain, dir);
    LoadFolder(hued, dir);
    LoadFolder(sat, dir);
    hued.ApplyHueAndSaturation(120, 0);
    sat.ApplyHueAndSaturation(0, 40);

    auto hue = [](TColor c) { return ChangeHue(120, c); };
    auto satur = [](TColor c) { return ChangeSaturation(c, -40); };
    const TzGeneralData& p = SectionOf(plain, "EDIT");
    const TzGeneralData& h = SectionOf(hued, "EDIT");
    const TzGeneralData& s = SectionOf(sat, "EDIT");
    CHECK(h.Color == hue(255));
    CHECK(h.Color != 255);
    CHECK(h.HotColor == 8421504);   // grey stays
    CHECK(h.FontColor == hue(16711680));
    CHECK(h.TCLeft == hue(255));
    CHECK(h.TCTop == -1);           // unset outlines stay unset
    CHECK(h.GradientArray[0].Color1 == hue(255));
    CHECK(h.GradientArray[0].Color2 == hue(65280));
    CHECK(hued.SkinData().Shadow1Color == hue(255));
    CHECK(hued.SkinData().BorderColor == hue(65280));
    CHECK(s.Color == satur(255));
    CHECK(s.FontColor == satur(p.FontColor));

    TBitmap* pm = plain.MasterBitmap();
    TBitmap* hm = hued.MasterBitmap();
    CHECK(PixelOf(hm, 0, 0) == 0xFF00FF);   // the key colour stays
    CHECK(PixelOf(hm, 1, 0) == Grey);       // grey stays
    CHECK(PixelOf(hm, 10, 20) == hue(PixelOf(pm, 10, 20)));
    CHECK(PixelOf(sat.MasterBitmap(), 10, 20) == satur(PixelOf(pm, 10, 20)));
    const TzMaskData* own = MaskOf(hued, "EDIT", "MASK");
    REQUIRE(own);
    CHECK(PixelOf(own->Bmp.get(), 0, 0) == hue(Red));

    SUBCASE("no change for zero amounts")
    {
        TSkSkinRecords same;
        LoadFolder(same, dir);
        same.ApplyHueAndSaturation(0, 0);
        CHECK(SectionOf(same, "EDIT").Color == 255);
        CHECK(PixelOf(same.MasterBitmap(), 10, 20) == PixelOf(pm, 10, 20));
    }
}

TEST_CASE("skin records: internal skins kept as structured data")
{
    TBitmap master, own;
    Bytes masterBytes = Bmp24(64, 64, MasterPixel);
    master.LoadFromMemory(masterBytes.data(), masterBytes.size());
    Bytes ownBytes = SolidBmp(12, 8, Green);
    own.LoadFromMemory(ownBytes.data(), ownBytes.size());
    TJPEGImage jpeg;
    Bytes jpegBytes = ReadBytes(TestDataPath("tiny.jpg"));
    jpeg.LoadFromMemory(jpegBytes.data(), jpegBytes.size());

    TSkStoredSkinData s;
    s.MasterBitmap = &master;
    s.Version = 2.5;
    s.Author = "Us";
    s.Shadow1Blur = 3;
    TSkStoredSection edit;
    edit.Values.ClassName = "EDIT";
    edit.Values.Color = clBtnFace;
    edit.Values.Transparency = 30;
    edit.Values.GradientData = "1;2;100;0;0";
    edit.FontColor = "10 1 2 3 4";
    edit.HotFontColor = "10 1 2";
    s.Sections.push_back(edit);
    TSkStoredSection button;
    button.Values.ClassName = "BUTTON";
    button.Values.ParentClass = "EDIT";
    s.Sections.push_back(button);
    TSkStoredImage rect;
    rect.SectionName = "EDIT";
    rect.PropertyName = "BORDERSMASK";
    rect.Left = 0;
    rect.Top = 0;
    rect.Right = 90;   // past the master bitmap: kept
    rect.Bottom = 30;
    rect.ImageCount = 0;   // three frames over a mask half
    rect.MaskType = 5;
    s.Images.push_back(rect);
    TSkStoredImage glyph;
    glyph.SectionName = "EDIT";
    glyph.PropertyName = "GLYPH";
    glyph.Image = &own;
    glyph.ImageCount = 2;
    glyph.StretchMode = 1;
    glyph.ImgType = itisaGlyph;
    glyph.WL = 4;
    s.Images.push_back(glyph);
    TSkStoredImage outside = rect;
    outside.PropertyName = "OUTSIDE";
    outside.Left = 100;
    outside.Right = 120;
    s.Images.push_back(outside);
    s.Patterns.push_back(TSkStoredPattern{"EDIT", "PATTERN", &jpeg});
    s.Patterns.push_back(TSkStoredPattern{"EDIT", "EMPTY", nullptr});

    TSkSkinRecords r;
    r.LoadFromStoredSkin(s);
    CHECK(r.SkinData().Version == 2.5);
    CHECK(r.SkinData().Author == "Us");
    CHECK(r.SkinData().Shadow1Blur == 3);
    CHECK(r.SkinData().BorderColor == 0xFF00FF);
    REQUIRE(r.SectionCount() == 2);
    const TzGeneralData& e = SectionOf(r, "EDIT");
    CHECK(e.Color == ColorToRGB(clBtnFace));
    CHECK(e.Transparency == 30);
    CHECK(e.FontColor == 10);
    CHECK(e.TCLeft == 1);
    CHECK(e.TCBottom == 4);
    CHECK(e.HotFontColor == 0);   // three words: colour 0, no outlines
    CHECK(e.HotTCLeft == -1);
    CHECK(e.GradientArray.size() == 1);

    REQUIRE(r.MaskCount() == 3);   // OUTSIDE too
    const TzMaskData* m = MaskOf(r, "EDIT", "BORDERSMASK");
    REQUIRE(m);
    CHECK(m->R == TRect(0, 0, 90, 30));
    CHECK(m->ImageCount == 3);
    CHECK(m->MaskType == 1);
    CHECK(m->WL == 0);   // no margin rule for stored images: the lookups supply it
    CHECK(r.MaskMarginLeft(r.FindMaskIndexExact("EDIT", "BORDERSMASK")) == 10);
    m = MaskOf(r, "EDIT", "GLYPH");
    REQUIRE(m);
    REQUIRE(m->Bmp);
    CHECK(m->Bmp.get() != &own);
    CHECK(m->R == TRect(0, 0, 12, 8));
    CHECK(m->DrawMode == 1);
    CHECK(m->ImgType == itisaGlyph);
    CHECK(m->WL == 4);

    REQUIRE(r.PatternCount() == 1);
    int button_ = r.FindSectionIndex("BUTTON");
    int pat = r.FindPatternIndex(button_, "BUTTON", "PATTERN");   // through the parent
    REQUIRE(pat == 0);
    CHECK(r.Pattern(pat).Img->Width() == 16);
    CHECK(r.Pattern(pat).Img.get() != &jpeg);
    CHECK(r.FindMaskIndex(button_, "BUTTON", "GLYPH") == r.FindMaskIndexExact("EDIT", "GLYPH"));
}

TEST_CASE("skin records: damaged option text and pictures")
{
    SUBCASE("lines that are no INI")
    {
        const char* text = "[\r\n]\r\n[GLOBALINFO\r\n=\r\n==\r\n[ ]\r\nCOLOR\r\n=5\r\n[X]]\r\n"
                           "COLOR=99999999999999999999\r\nBEVEL=-7\r\nPARENTCLASS=\r\n"
                           "M=^\r\nN=~\r\nO=@\r\nP=!\r\nQ=!!!!!!!!\r\nR=#()()\r\nS=.BMP\r\n"
                           "T=~-001,0000,0010,0010,01,1\r\n"
                           "U=!OWN.BMP!99999!1!0!0!0!0!0\r\n"
                           "V=#(0,0,99999,10)\r\n";
        TSkSkinRecords r;
        LoadFolder(r, FixtureFolder("damaged", text));
        const TzGeneralData& x = SectionOf(r, "X]");
        CHECK(x.Color == 0xFFFFFF);
        CHECK(x.Bevel == cbNone);
        // No master bitmap is named: the one rectangle that reads is kept all the same.
        REQUIRE(r.MaskCount() == 1);
        CHECK(r.Mask(0).R == TRect(-1, 0, 10, 10));
    }
    SUBCASE("a master bitmap that is damaged keeps the rectangles stated in it")
    {
        WideString dir = FixtureFolder("badmaster");
        Bytes bad = ToBytes("BM this is not a bitmap at all");
        WriteBytes(dir + L"MASTER.BMP", bad);
        TSkSkinRecords r;
        LoadFolder(r, dir);
        CHECK_FALSE(r.MasterBitmap());
        const TzMaskData* m = MaskOf(r, "GLOBALINFO", "BOXCHECKED");
        REQUIRE(m);
        CHECK(m->R == TRect(0, 0, 30, 10));
        CHECK(MaskOf(r, "FORMS", "OWN") != nullptr);
        CHECK(r.SectionCount() == 11);
    }
    SUBCASE("bitmaps claiming absurd sizes")
    {
        WideString dir = FixtureFolder("hugebmp");
        Bytes huge = SolidBmp(4, 4, Red);
        huge[18] = 0xFF;   // width
        huge[19] = 0xFF;
        huge[20] = 0xFF;
        huge[22] = 0xFF;   // height
        huge[23] = 0xFF;
        WriteBytes(dir + L"OWN.BMP", huge);
        TSkSkinRecords r;
        LoadFolder(r, dir);
        CHECK(MaskOf(r, "FORMS", "OWN") == nullptr);
        CHECK(MaskOf(r, "FORMS", "BARE") == nullptr);
        CHECK(MaskOf(r, "GLOBALINFO", "BOXCHECKED") != nullptr);
    }
    SUBCASE("no option text at all")
    {
        TSkSkinRecords r;
        r.LoadFromOptions(static_cast<const TStrings*>(nullptr), TSkImageSource{});
        CHECK(r.SectionCount() == 0);
        CHECK(r.MaskCount() == 0);
        CHECK(r.SkinData().Version == 0);
    }
}

TEST_CASE("skin records: a packed skin's images come from its entries")
{
    TMessageCatcher box;
    Bytes master = Bmp24(64, 64, MasterPixel);
    const char* text = "[GLOBALINFO]\r\nMASTERBITMAP=MASTER.BMP\r\nBOXCHECKED=@0000,0000,0030,0010,3,1\r\n"
                       "[EDIT]\r\nGLYPH=!OWN.BMP!3!1!2!0!0!0!0\r\nMIXED=Mixed.bmp\r\n"
                       "PATTERN=TEX.JPG\r\nCOLOR=5\r\n";
    Bytes packed = PackSkin({{"OPTIONS.DAT", ToBytes(text)},
                             {"master.bmp", master},
                             {"OWN.BMP", SolidBmp(9, 4, Green)},
                             {"Mixed.bmp", SolidBmp(9, 4, Red)},
                             {"Tex.jpg", ReadBytes(TestDataPath("tiny.jpg"))}});
    TSkSkinConvertor c;
    auto m = std::make_unique<TMemoryStream>();
    m->WriteBuffer(packed.data(), int32_t(packed.size()));
    c.PackedData = std::move(m);
    c.ExtractPackedData();
    auto ini = CreateOptionsIni(&c);
    TSkSkinRecords r;
    r.LoadFromOptions(*ini, TSkImageSource{L"Z:\\nowhere\\", &c});
    CHECK(box.Count() == 0);
    REQUIRE(r.MasterBitmap());
    CHECK(r.MasterBitmap()->Width() == 64);
    CHECK(MaskOf(r, "GLOBALINFO", "BOXCHECKED") != nullptr);
    const TzMaskData* g = MaskOf(r, "EDIT", "GLYPH");
    REQUIRE(g);
    CHECK(g->R == TRect(0, 0, 9, 4));
    CHECK(MaskOf(r, "EDIT", "MIXED") == nullptr);   // the option text must write names upper-cased
    CHECK(MaskOf(r, "EDIT", "PATTERN") != nullptr);
    CHECK(SectionOf(r, "EDIT").Color == 5);
}

TEST_CASE("skin records: damaged packed skins load empty or whole, never crash")
{
    const char* text = "[GLOBALINFO]\r\nMASTERBITMAP=M.BMP\r\nBOXCHECKED=@0000,0000,0006,0004,3,1\r\n"
                       "[EDIT]\r\nCOLOR=5\r\nPARENTCLASS=EDIT\r\nGLYPH=!G.BMP!3!1!2!0!0!0!0\r\n";
    Bytes good = PackSkin({{"Options.dat", ToBytes(text)},
                           {"M.BMP", Bmp24(6, 4, [](int x, int y) { return TColor(x * 40 + y); })},
                           {"G.BMP", SolidBmp(3, 2, 0xFF00FF)}});
    int loaded = 0;
    auto run = [&](const Bytes& b) {
        TMessageCatcher box;
        TSkSkinConvertor c;
        auto m = std::make_unique<TMemoryStream>();
        if (!b.empty())
            m->WriteBuffer(b.data(), int32_t(b.size()));
        c.PackedData = std::move(m);
        c.ExtractPackedData();
        TSkSkinRecords r;
        r.LoadFromPackedSkin(&c, L"");
        r.RebuildCache();
        CHECK(box.Count() <= 1);
        if (box.Count() == 1) {
            CHECK(r.SectionCount() == 0);
            CHECK(r.MaskCount() == 0);
        } else {
            ++loaded;
        }
    };
    for (size_t n = 0; n < good.size(); n += 3)
        run(Bytes(good.begin(), good.begin() + long(n)));
    for (size_t at = 0; at < good.size(); ++at) {
        Bytes b = good;
        b[at] ^= 0x5A;
        run(b);
    }
    CHECK(loaded > 0);
}

TEST_CASE("option text is read as INI text")
{
    const char* text = "KEY=before\r\n"
                       "  [ Sec ]  \n"
                       "\tColor = 1 \r"
                       "color=2\r\n"
                       "; COLOR=3\r\n"
                       "bare line\r\n"
                       "[OTHER]\r\n"
                       "A=x=y\r\n"
                       "[sec]\r\n"
                       "LATER=4\r\n"
                       "[\xE0\xE1]\r\n"     // Cyrillic, folded by the code page
                       "\xE2=5";
    TSkOptionText t(text, std::strlen(text));
    REQUIRE(t.Sections().size() == 3);
    CHECK(t.Sections()[0].Name == "Sec");
    CHECK(t.ReadString("SEC", "COLOR", "?") == "1");   // trimmed, first of two
    CHECK(t.ReadString("sec", "later", "?") == "4");   // a section named twice continues
    CHECK(t.ReadString("SEC", "KEY", "?") == "?");
    CHECK(t.ReadString("SEC", "bare line", "?") == "?");
    CHECK(t.ReadString("OTHER", "A", "?") == "x=y");
    CHECK(t.ReadString("\xC0\xC1", "\xC2", "?") == "5");
    CHECK(t.ReadString("NONE", "A", "?") == "?");
    CHECK(t.FindSection("other") == 1);

    TStringList lines;
    lines.SetText(text);
    TSkOptionText fromLines(&lines);
    CHECK(fromLines.ReadString("SEC", "LATER", "?") == "4");

    std::vector<TSkOptionText::TKey> keys{TSkOptionText::TKey("color"), TSkOptionText::TKey("LATER"),
                                          TSkOptionText::TKey("MISSING")};
    TSkKeyIndex index(t, keys);
    REQUIRE(index.Value(0, 0));
    CHECK(*index.Value(0, 0) == "1");
    CHECK(*index.Value(0, 1) == "4");
    CHECK(index.Value(0, 2) == nullptr);
    CHECK(index.Value(1, 0) == nullptr);

    CHECK(FileExtOf("A.B\\C.BMP") == ".BMP");
    CHECK(FileExtOf("DIR.X\\NAME") == "");
    CHECK(SplitWords("!!A!B!!C!", "!").size() == 3);
}

TEST_CASE("option text: names, hashes and numbers read in place")
{
    SUBCASE("names of every length compare by every byte, case folded by the code page")
    {
        for (size_t n = 0; n <= 40; ++n) {
            std::string a(n, 'K');
            for (size_t i = 0; i < n; ++i)
                a[i] = char('A' + i % 26);
            std::string lower = a;
            for (char& c : lower)
                c = char(c - 'A' + 'a');
            CAPTURE(n);
            CHECK(SameSkinName(a, a));
            CHECK(SameSkinName(a, lower));
            CHECK(SkinNameHash(a) == SkinNameHash(lower));
            CHECK_FALSE(SameSkinName(a, a + "X"));
            for (size_t i = 0; i < n; ++i) {
                std::string b = a;
                b[i] = '#';
                CHECK_FALSE(SameSkinName(a, b));
            }
        }
        // Cyrillic in the skin's code page: small and capital letters are the same name.
        CHECK(SameSkinName("\xE0\xE1\xE2\xE3\xE4", "\xC0\xC1\xC2\xC3\xC4"));
        CHECK(SkinNameHash("\xE0\xE1\xE2\xE3\xE4") == SkinNameHash("\xC0\xC1\xC2\xC3\xC4"));
        CHECK(SkinBytesHash("COLOR") == SkinBytesHash(std::string("COLOR")));
    }

    SUBCASE("decimal numbers: short ones in place, long ones to the limits of the type")
    {
        int v = 7;
        CHECK(ParseDecimal("0", v));
        CHECK(v == 0);
        CHECK(ParseDecimal("-1", v));
        CHECK(v == -1);
        CHECK(ParseDecimal("999999999", v));
        CHECK(v == 999999999);
        CHECK(ParseDecimal("0000000000012", v));
        CHECK(v == 12);
        CHECK(ParseDecimal("2147483647", v));
        CHECK(v == 2147483647);
        CHECK(ParseDecimal("-2147483648", v));
        CHECK(v == -2147483647 - 1);
        v = 7;
        for (const char* bad : {"", "-", "2147483648", "12a", "1 2", "+5", " 5", "0x10", "--1"}) {
            CAPTURE(bad);
            CHECK_FALSE(ParseDecimal(bad, v));
        }
        CHECK(v == 7);   // a refused text leaves the number alone
        CHECK(ParseIniInt(" 5", v));
        CHECK(v == 5);
        CHECK(ParseIniInt("0x10", v));
        CHECK(v == 16);
    }

    SUBCASE("lines of any length, their first '=', and what their values hold")
    {
        std::string longKey(45, 'K'), longValue(70, 'v');
        std::string text = "[S]\r\n"
                           "A=1\r\n"
                           "B#=2\r\n"                               // a '#' in the key marks nothing
                           "C=x.bmp\r\n"
                           "D=#(1,2,3,4)\n"
                           "E=a=b#\r\n"                             // the first '=' splits
                           + longKey + "=" + longValue + ".y\r\n"   // across blocks of the scan
                           + "F" + std::string(40, ' ') + "=  #\r\n"
                           + "NOEQUALS" + std::string(50, '#') + "\r\n"
                           + "H=  ^0000,0001.\r\n"                  // a picture form first
                           + "I=x~@^!\r\n"
                           + "G=" + std::string(33, 'q') + "#";   // the last line, no line break
        TSkOptionText t(text.data(), text.size());
        REQUIRE(t.Sections().size() == 1);
        const auto& s = t.Sections()[0];
        REQUIRE(s.Count == 10);
        const TSkOptionText::TEntry* e = t.Entries(s);
        auto is = [&](int i, const char* key, const std::string& value, uint8_t marks) {
            CAPTURE(i);
            CHECK(e[i].Key == key);
            CHECK(e[i].Value == value);
            CHECK(int(e[i].Marks) == int(marks));
        };
        is(0, "A", "1", 0);
        is(1, "B#", "2", 0);
        is(2, "C", "x.bmp", TSkOptionText::HasDot);
        is(3, "D", "#(1,2,3,4)", TSkOptionText::HasHash);
        is(4, "E", "a=b#", TSkOptionText::HasHash);
        is(5, longKey.c_str(), longValue + ".y", TSkOptionText::HasDot);
        is(6, "F", "#", TSkOptionText::HasHash);
        is(7, "H", "^0000,0001.", TSkOptionText::LeadsForm | TSkOptionText::HasDot);
        is(8, "I", "x~@^!", 0);
        is(9, "G", std::string(33, 'q') + "#", TSkOptionText::HasHash);
        CHECK(t.ReadString("s", longKey, "?") == longValue + ".y");
    }
}
