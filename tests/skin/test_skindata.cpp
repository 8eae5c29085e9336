// The skin's records read from option text, folders and packed skins: sections and inheritance,
// every image value form, lookups, frames and margins, common sections, hue and saturation,
// damaged input; and the option text reader.
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
    if (y == 0 && x < 2)
        return x == 0 ? 0xFF00FF : Grey;
    return TColor(RGB(x * 4, y * 4, 0x80));
}

const char* const FixtureOptions =
    "; the fixture skin\r\n"
    "[GLOBALINFO]\r\nVERSION=1.25\r\nAUTHOR=Tester #1\r\nDESCRIPTION=Fixture skin\r\nMASTERBITMAP=MASTER.BMP\r\n"
    "SHADOW1COLOR=255\r\nSHADOW1OFFSET=4\r\nSHADOW1BLUR=soft\r\nSHADOW1TRANSPARENCY=30\r\nBISPACE=2\r\n"
    "BORDERCOLOR=0x00FF00\r\nCOLOR=-2147483633\r\n"   // the system's button face
    "BOXCHECKED=@0000,0000,0030,0010,3,1\r\nRADIOCHECKED=@0000,0010,0030,0020,3,0\r\n"
    "[EDIT]\r\nCOLOR=255\r\nFONTCOLOR=100\r\nTRANSPARENCY=20\r\nBEVEL=3\r\nHOTBEVEL=9\r\nSHOWFOCUS=true\r\n"
    "SHADOWCOLOR=77\r\nGRADIENTDATA=255;65280;100;0;0\r\nHOTGRADIENTDATA=1;2;x;0;0\r\n"
    "BORDERSMASK=^0000,0010,0060,0030,0000,0000,0000,0000,2,1,0,0\r\n"
    "GLYPHMASK=^0000,0000,0060,0030,0000,0000,0000,0000,2,1,0,4\r\n"
    "FRAME=^0000,0000,0040,0040,0001,0002,0003,0004,2,1,1,0\r\n"
    "[BUTTON]\r\nPARENTCLASS=EDIT\r\nTRANSPARENCY=-1\r\nFONTCOLOR=junk\r\n"
    "[TOOLBUTTON]\r\nPARENTCLASS=BUTTON\r\nHOTCOLOR=-2147483633\r\n"
    "[LONELY]\r\nPARENTCLASS=NOWHERE\r\n"
    "[SELF]\r\nPARENTCLASS=SELF\r\n"
    "[RING1]\r\nPARENTCLASS=RING2\r\n[RING2]\r\nPARENTCLASS=RING3\r\n[RING3]\r\nPARENTCLASS=RING1\r\nCOLOR=-1\r\n"
    "[FORMS]\r\nTEX1=~0000,0000,0010,0010,01,1\r\nTEX2=~0000,0000,0010,0010,02\r\n"
    "SHORT1=~0000,0000\r\nSHORT2=@0000,0000,0030,0010,3\r\nSHORT3=^0000,0010,0060,0030,0000,0000,0000,0000,2,1,0\r\n"
    "NOTNUM1=@00x0,0000,0030,0010,3,1\r\nNOTNUM2=^0000,0010,0060,0030,00a0,0000,0000,0000,2,1,0,0\r\n"
    "ZEROCOUNT=@0000,0000,0030,0010,0,0\r\nOUTSIDE=@0500,0500,0600,0600,1,0\r\n"
    "PARTLY=@0040,0000,0070,0010,3,0\r\nBACKWARDS=@0040,0000,0010,0010,1,0\r\n"
    "OWN=!OWN.BMP!3!1!2!1!2!3!4\r\nOWNBORDER=!OWN.BMP!2!0!0!0!0!0!0\r\nLOWERBMP=!own.bmp!3!1!0!0!0!0!0\r\n"
    "NOFILE=!MISSING.BMP!3!1!0!0!0!0!0\r\nBROKENFILE=!BROKEN.BMP!3!1!0!0!0!0!0\r\nFEWWORDS=!OWN.BMP!3!1\r\n"
    "BADTYPE=!OWN.BMP!3!1!7!0!0!0!0\r\nNEGATIVE=!OWN.BMP!0!-1!0!0!0!0!0\r\n"
    "HASH=#(10,0,40,20)(2,1,0,0)\r\nPATTERN=#(0 0 8 8)\r\nHASHNEG=#(0,0,30,30)(0,-2)\r\nHASHBAD=#(0,0,30)(1,1)\r\n"
    "HASHONLY=#\r\nBARE=OWN.BMP\r\nBAREMISSING=NONE.BMP\r\nNUMBER=12345\r\nEMPTY=\r\n"
    "JPEGTEX=TEX.JPG\r\nJPEGLONG=Tex2.jpeg\r\nBADJPEG=BROKEN.JPG\r\n"
    "[lower]\r\nglyph=@0000,0000,0030,0010,3,1\r\nmask=OWN.BMP\r\nhotpattern=TEX.JPG\r\n"
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

void LoadFolder(TSkSkinRecords& R, const WideString& Dir) { CHECK(R.LoadFromSkinFolder(Dir)); }

const TzMaskData* MaskOf(const TSkSkinRecords& R, const char* Section, const char* Key)
{
    int i = R.FindMaskIndexExact(Section, Key);
    return i >= 0 ? &R.Mask(i) : nullptr;
}

// The image of Section and Key as text; "none" without one.
std::string ImageOf(const TSkSkinRecords& R, const char* Section, const char* Key)
{
    const TzMaskData* m = MaskOf(R, Section, Key);
    return m ? MaskText(*m) : "none";
}

const TzGeneralData& SectionOf(const TSkSkinRecords& R, const char* Name)
{
    int i = R.FindSectionIndex(Name);
    REQUIRE(i >= 0);
    return R.Section(i);
}

} // namespace

TEST_CASE("skin records: skin-wide values, a section's own values and those a child takes from its parents")
{
    TSkSkinRecords r;
    LoadFolder(r, FixtureFolder("sections"));
    REQUIRE(r.SectionCount() == 11);   // GLOBALINFO once, in file order
    CHECK(Join(r.Section(0).ClassName, r.Section(10).ClassName) == Join("GLOBALINFO", "lower"));
    const TzSkinData& d = r.SkinData();
    CHECK(Join(d.Version, d.Author, d.Description) == Join(1.25, "Tester #1", "Fixture skin"));
    // A blur that is no number: the default.
    CHECK(Join(d.Shadow1Color, d.Shadow1Offset, d.Shadow1Blur, d.Shadow1Transparency) == Join(255, 4, -1, 30));
    CHECK(Join(d.BISpacing, d.BorderColor) == Join(2, 0x00FF00));
    CHECK(SectionOf(r, "GLOBALINFO").Color == ColorToRGB(clBtnFace));

    const TzGeneralData& e = SectionOf(r, "EDIT");
    CHECK(Join(e.Color, e.FontColor, e.Transparency, e.ShadowColor) == Join(255, 100, 20, 77));
    // A hot bevel outside the five kinds is none; "true" upper-cased is TRUE.
    CHECK(Join(e.Bevel, e.HotBevel, e.ShowFocus) == Join(cbRaisedHard, cbNone, true));
    // A gradient field that is no number gives no gradient.
    CHECK(e.HotGradientArray.empty());
    REQUIRE(e.GradientArray.size() == 1);
    CHECK(e.GradientArray[0].Color2 == 65280);

    // -1 counts as missing, so does a value that is no number; the shadow colour is never
    // inherited.
    const TzGeneralData& b = SectionOf(r, "BUTTON");
    CHECK(Join(b.ParentClass, b.Color, b.Transparency, b.FontColor) == Join("EDIT", 255, 20, 100));
    CHECK(Join(b.Bevel, b.ShowFocus, b.ShadowColor, b.GradientArray.size()) == Join(cbRaisedHard, true, 0, 1));
    const TzGeneralData& t = SectionOf(r, "TOOLBUTTON");   // two steps up; the hot colour as read
    CHECK(Join(t.Color, t.HotColor) == Join(255, TColor(0x8000000F)));
    // Defaults when no section of the chain has the key.
    const TzGeneralData& l = SectionOf(r, "LONELY");
    CHECK(Join(l.Color, l.GradientArray.size(), l.HotGradientData.empty(), l.ShadowTransparency) ==
          Join(0xFFFFFF, 0, true, 50));
    CHECK(Join(SectionOf(r, "SELF").Color, SectionOf(r, "RING1").Color, SectionOf(r, "RING3").ShadowOffset) ==
          Join(0xFFFFFF, 0xFFFFFF, 3));   // a ring of parents ends

    TSkSkinRecords none;   // a folder without option text is an empty skin
    CHECK_FALSE(none.LoadFromSkinFolder(FreshFolder("nooptions")));
    CHECK(Join(none.SectionCount(), none.MaskCount()) == Join(0, 0));
}

TEST_CASE("skin records: every image value form")
{
    TSkSkinRecords r;
    LoadFolder(r, FixtureFolder("images"));
    REQUIRE(r.MasterBitmap());
    CHECK(Join(r.MasterBitmap()->Width(), r.MasterBitmap()->PixelFormat()) == Join(64, pf24bit));

    struct TImage {
        const char *Section, *Key, *Text;
    };
    const TImage images[] = {
        {"GLOBALINFO", "MASTERBITMAP", "none"},
        // ~ textures of the master bitmap; the mask column only when the value is that long.
        {"FORMS", "TEX1", "texture (0,0,10,10) x1 m1 d1 b0 0 0 0 0 master"},
        {"FORMS", "TEX2", "texture (0,0,10,10) x1 m0 d2 b0 0 0 0 0 master"},
        // @ glyphs and ^ borders. Border margins all 0: a third of a frame (60 wide, 2 frames:
        // 10; 20 high, mask half: 3), or the border width when it is set.
        {"GLOBALINFO", "BOXCHECKED", "glyph (0,0,30,10) x3 m1 d0 b0 0 0 0 0 master"},
        {"EDIT", "FRAME", "border (0,0,40,40) x2 m1 d1 b0 1 2 3 4 master"},
        {"EDIT", "BORDERSMASK", "border (0,10,60,30) x2 m1 d0 b0 10 3 10 3 master"},
        {"EDIT", "GLYPHMASK", "border (0,0,60,30) x2 m1 d0 b4 4 4 4 4 master"},
        // Values too short or not numbers skip their key.
        {"FORMS", "SHORT1", "none"}, {"FORMS", "SHORT2", "none"}, {"FORMS", "SHORT3", "none"},
        {"FORMS", "NOTNUM1", "none"}, {"FORMS", "NOTNUM2", "none"},
        // Rectangles stay as the skin states them; one that states no picture is skipped.
        {"FORMS", "BACKWARDS", "none"},
        {"FORMS", "OUTSIDE", "glyph (500,500,600,600) x1 m0 d0 b0 0 0 0 0 master"},
        {"FORMS", "ZEROCOUNT", "glyph (0,0,30,10) x0 m0 d0 b0 0 0 0 0 master"},
        {"FORMS", "PARTLY", "glyph (40,0,70,10) x3 m0 d0 b0 0 0 0 0 master"},
        // ! images of their own (30 x 20); counts kept as stated, the divisions count 1 and 0.
        {"FORMS", "OWN", "glyph (0,0,30,20) x3 m1 d0 b0 1 2 3 4 own"},
        {"FORMS", "OWNBORDER", "border (0,0,30,20) x2 m0 d0 b0 5 6 5 6 own"},
        {"FORMS", "NEGATIVE", "border (0,0,30,20) x0 m-1 d0 b0 10 6 10 6 own"},
        {"FORMS", "LOWERBMP", "none"}, {"FORMS", "NOFILE", "none"}, {"FORMS", "BROKENFILE", "none"},
        {"FORMS", "FEWWORDS", "none"}, {"FORMS", "BADTYPE", "none"},
        // # rectangles in words: counts as stated; no picture without four numbers.
        {"FORMS", "HASH", "border (10,0,40,20) x2 m1 d0 b0 5 3 5 3 master"},
        {"FORMS", "PATTERN", "texture (0,0,8,8) x1 m0 d0 b0 0 0 0 0 master"},
        {"FORMS", "HASHNEG", "border (0,0,30,30) x0 m-2 d1 b0 10 10 10 10 master"},
        {"FORMS", "HASHBAD", "none"}, {"FORMS", "HASHONLY", "none"},
        {"GLOBALINFO", "AUTHOR", "none"},   // a text with "#" in it
        // Bare bitmap names (3 frames over a mask half: 30 / 9, 20 / 6), JPEG textures in any
        // case of ".jpeg"; plain values are no images.
        {"FORMS", "BARE", "border (0,0,30,20) x3 m1 d0 b0 3 3 3 3 own"},
        {"FORMS", "JPEGTEX", "texture (0,0,16,8) x1 m0 d0 b0 0 0 0 0 own"},
        {"FORMS", "JPEGLONG", "texture (0,0,16,8) x1 m0 d0 b0 0 0 0 0 own"},
        {"FORMS", "BAREMISSING", "none"}, {"FORMS", "NUMBER", "none"}, {"FORMS", "EMPTY", "none"},
        {"FORMS", "BADJPEG", "none"}, {"EDIT", "COLOR", "none"},
        // The fixed forms keep the spelling, the others are upper-cased.
        {"lower", "glyph", "glyph (0,0,30,10) x3 m1 d0 b0 0 0 0 0 master"}, {"LOWER", "GLYPH", "none"},
        {"LOWER", "MASK", "border (0,0,30,20) x3 m1 d0 b0 3 3 3 3 own"},
        {"LOWER", "HOTPATTERN", "texture (0,0,16,8) x1 m0 d0 b0 0 0 0 0 own"},
        {"GLOBALINFO", "BOXGRAYED", "glyph (0,0,30,10) x3 m1 d0 b0 0 0 0 0 master"},
    };
    for (const TImage& i : images) {
        CAPTURE(i.Key);
        CHECK(ImageOf(r, i.Section, i.Key) == i.Text);
    }
    CHECK(r.PatternCount() == 0);   // JPEG textures are images
}

TEST_CASE("skin records: lookups go up the parents and compare names exactly")
{
    TSkSkinRecords r;
    LoadFolder(r, FixtureFolder("lookups"));
    CHECK(Join(r.FindSectionIndex("edit"), r.FindSectionIndex("LOWER"), r.FindSectionIndex("lower")) ==
          Join(-1, -1, 10));
    const int edit = r.FindSectionIndex("EDIT"), button = r.FindSectionIndex("BUTTON");
    const int border = r.FindMaskIndexExact("EDIT", "BORDERSMASK");
    REQUIRE(border >= 0);
    // From the section, its parent, its parent's parent.
    CHECK(Join(r.FindMaskIndex(edit, "EDIT", "BORDERSMASK"), r.FindMaskIndex(button, "BUTTON", "BORDERSMASK"),
               r.FindMaskIndex(r.FindSectionIndex("TOOLBUTTON"), "TOOLBUTTON", "BORDERSMASK")) == Join(border, border, border));
    // Missing, bad indexes, no name.
    CHECK(Join(r.FindMaskIndexExact("BUTTON", "BORDERSMASK"), r.FindMaskIndex(button, "BUTTON", "NOSUCH"),
               r.FindMaskIndex(-1, "EDIT", "BORDERSMASK"), r.FindMaskIndex(edit, "", "BORDERSMASK")) ==
          Join(-1, -1, -1, -1));
    CHECK(r.FindMaskIndex(r.SectionCount() + 5, "BUTTON", "BORDERSMASK") == -1);
    // A section that names itself, a ring, a lost parent.
    auto inherited = [&](const char* Section) { return r.FindMaskIndex(r.FindSectionIndex(Section), Section, "X"); };
    CHECK(Join(inherited("SELF"), inherited("RING1"), inherited("LONELY")) == Join(-1, -1, -1));

    const int forms = r.FindSectionIndex("FORMS");
    CHECK(r.FindTextureIndex(forms, "FORMS", "TEX1") == r.FindMaskIndexExact("FORMS", "TEX1"));
    // A glyph is no texture.
    CHECK(Join(r.FindTextureIndex(forms, "FORMS", "OWN"), r.FindTextureIndex(forms, "FORMS", "JPEGTEX") >= 0,
               r.FindPatternIndex(forms, "FORMS", "JPEGTEX")) == Join(-1, true, -1));
}

TEST_CASE("skin records: frames, margins and the pictures of images")
{
    TSkSkinRecords r;
    LoadFolder(r, FixtureFolder("frames"));
    auto frame = [&](const char* Section, const char* Key) {
        const TSize s = r.GetMaskFrameSize(r.FindMaskIndexExact(Section, Key));
        return Join(s.cx, s.cy);
    };
    CHECK(frame("EDIT", "BORDERSMASK") == Join(30, 10));   // 60 x 20, 2 frames over a mask half
    // 0 frames count as 1; frames running past the bitmap keep their width.
    CHECK(frame("FORMS", "ZEROCOUNT") == Join(30, 10));
    CHECK(frame("FORMS", "PARTLY") == Join(10, 10));
    // A bitmap of its own is three frames over a mask half, whatever its value counts.
    for (const char* key : {"OWN", "OWNBORDER", "NEGATIVE"}) {
        CAPTURE(key);
        CHECK(frame("FORMS", key) == Join(10, 10));   // 30 x 20
    }
    CHECK(frame("FORMS", "JPEGTEX") == Join(5, 4));   // 16 x 8
    CHECK(frame("FORMS", "NOSUCH") == Join(0, 0));

    auto margins = [&](int i) {
        return Join(r.MaskMarginLeft(i), r.MaskMarginTop(i), r.MaskMarginRight(i), r.MaskMarginBottom(i));
    };
    CHECK(margins(r.FindMaskIndexExact("EDIT", "FRAME")) == Join(1, 2, 3, 4));
    // A glyph keeps margins 0 and falls back to a third of its frame (30 x 10, 3 frames, mask half).
    CHECK(margins(r.FindMaskIndexExact("GLOBALINFO", "BOXCHECKED")) == Join(3, 1, 3, 1));
    CHECK(margins(-3) == Join(0, 0, 0, 0));

    // Own pictures: 24-bit, the file's pixels, a copy for each record.
    TBitmap& own = *MaskOf(r, "FORMS", "OWN")->Bmp;
    CHECK(Join(own.PixelFormat(), Px(own, 0, 0), Px(own, 29, 19)) == Join(pf24bit, Red, Green));
    CHECK(&own != MaskOf(r, "FORMS", "OWNBORDER")->Bmp.get());
}

TEST_CASE("skin records: common sections")
{
    TSkSkinRecords r;
    const WideString dir = FixtureFolder("common");
    LoadFolder(r, dir);
    const int before = r.SectionCount();
    TStringList common;
    common.SetText("[EDIT]\r\nCOLOR=0x00FF00\r\nTRANSPARENCY=-1\r\nSHOWFOCUS=?\r\nGRADIENTDATA=1;2;50;1;0\r\n"
                   "[NEWBUTTON]\r\nPARENTCLASS=edit\r\nFONTCOLOR=7\r\nNEWMASK=@0000,0000,0030,0010,3,1\r\n"
                   "[ORPHAN]\r\nHOTCOLOR=5\r\nHOTPATTERN=TEX.JPG\r\n");
    r.ApplyCommonSections(&common, TSkImageSource{dir, nullptr});
    REQUIRE(r.SectionCount() == before + 2);
    // -1 and "?" are missing: the old values stay.
    const TzGeneralData& edit = SectionOf(r, "EDIT");
    CHECK(Join(edit.Color, edit.Transparency, edit.ShowFocus, edit.FontColor) == Join(0x00FF00, 20, true, 100));
    REQUIRE(edit.GradientArray.size() == 1);
    CHECK(edit.GradientArray[0].Mode == 1);
    // One step to the parent record; the shadow colour never inherited.
    const TzGeneralData& nb = SectionOf(r, "NEWBUTTON");
    CHECK(Join(nb.ParentClass, nb.FontColor, nb.Color, nb.Transparency) == Join("EDIT", 7, 0x00FF00, 20));
    CHECK(Join(nb.Bevel, nb.ShadowColor) == Join(cbRaisedHard, 0));
    const TzGeneralData& orphan = SectionOf(r, "ORPHAN");
    CHECK(Join(orphan.ParentClass, orphan.HotColor, orphan.Color, orphan.ShadowBlur) == Join("-1", 5, 0xFFFFFF, 6));
    CHECK(r.FindMaskIndexExact("NEWBUTTON", "NEWMASK") >= 0);
    CHECK(r.FindTextureIndex(r.FindSectionIndex("ORPHAN"), "ORPHAN", "HOTPATTERN") >= 0);
    // Lookups of the new section go to its parent.
    CHECK(r.FindMaskIndex(r.FindSectionIndex("NEWBUTTON"), "NEWBUTTON", "BORDERSMASK") ==
          r.FindMaskIndexExact("EDIT", "BORDERSMASK"));

    // Nothing, or text that is no INI, changes nothing and breaks nothing.
    const int count = r.SectionCount();
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
    for (TSkSkinRecords* r : {&plain, &hued, &sat})
        LoadFolder(*r, dir);
    hued.ApplyHueAndSaturation(120, 0);
    sat.ApplyHueAndSaturation(0, 40);

    auto hue = [](TColor c) { return ChangeHue(120, c); };
    auto satur = [](TColor c) { return ChangeSaturation(c, -40); };
    const TzGeneralData& h = SectionOf(hued, "EDIT");
    const TzGeneralData& s = SectionOf(sat, "EDIT");
    REQUIRE(hue(255) != 255);
    CHECK(Join(h.Color, h.FontColor, h.TCLeft) == Join(hue(255), hue(16711680), hue(255)));
    CHECK(Join(h.GradientArray[0].Color1, h.GradientArray[0].Color2) == Join(hue(255), hue(65280)));
    CHECK(Join(hued.SkinData().Shadow1Color, hued.SkinData().BorderColor) == Join(hue(255), hue(65280)));
    CHECK(Join(h.HotColor, h.TCTop) == Join(8421504, -1));   // grey stays, and so do unset outlines
    CHECK(Join(s.Color, s.FontColor) == Join(satur(255), satur(SectionOf(plain, "EDIT").FontColor)));

    // Pixels: the key colour and grey stay.
    TBitmap& pm = *plain.MasterBitmap();
    TBitmap& hm = *hued.MasterBitmap();
    CHECK(Join(Px(hm, 0, 0), Px(hm, 1, 0), Px(hm, 10, 20)) == Join(0xFF00FF, Grey, hue(Px(pm, 10, 20))));
    REQUIRE(MaskOf(hued, "EDIT", "MASK"));
    CHECK(Px(*MaskOf(hued, "EDIT", "MASK")->Bmp, 0, 0) == hue(Red));
}

TEST_CASE("skin records: damaged option text and pictures")
{
    SUBCASE("a master bitmap that is damaged keeps the rectangles stated in it")
    {
        WideString dir = FixtureFolder("badmaster");
        WriteBytes(dir + L"MASTER.BMP", ToBytes("BM this is not a bitmap at all"));
        TSkSkinRecords r;
        LoadFolder(r, dir);
        CHECK(ImageOf(r, "GLOBALINFO", "BOXCHECKED") == "glyph (0,0,30,10) x3 m1 d0 b0 0 0 0 0 master");
        CHECK(Join(bool(r.MasterBitmap()), MaskOf(r, "FORMS", "OWN") != nullptr, r.SectionCount()) == Join(false, true, 11));
    }
    SUBCASE("no option text at all")
    {
        TSkSkinRecords r;
        r.LoadFromOptions(static_cast<const TStrings*>(nullptr), TSkImageSource{});
        CHECK(Join(r.SectionCount(), r.MaskCount(), r.SkinData().Version) == Join(0, 0, 0.0));
    }
}

TEST_CASE("skin records: a packed skin cut anywhere loads empty, with one message")
{
    const char* text = "[GLOBALINFO]\r\nMASTERBITMAP=M.BMP\r\nBOXCHECKED=@0000,0000,0006,0004,3,1\r\n"
                       "[EDIT]\r\nCOLOR=5\r\nPARENTCLASS=EDIT\r\nGLYPH=!G.BMP!3!1!2!0!0!0!0\r\n";
    const Bytes good = PackSkin({{"Options.dat", ToBytes(text)},
                                 {"M.BMP", Bmp24(6, 4, [](int x, int y) { return TColor(x * 40 + y); })},
                                 {"G.BMP", SolidBmp(3, 2, 0xFF00FF)}});
    for (size_t n = 0; n < good.size(); n += 3) {
        CAPTURE(n);
        TMessageCatcher box;
        auto c = Extract(Bytes(good.begin(), good.begin() + long(n)));
        TSkSkinRecords r;
        r.LoadFromPackedSkin(c.get(), L"");
        r.RebuildCache();
        CHECK(box.Count() == 1);
        CHECK(Join(r.SectionCount(), r.MaskCount()) == Join(0, 0));
    }
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
                       "[\xE0\xE1]\r\n"   // Cyrillic, folded by the code page
                       "\xE2=5";
    TSkOptionText t(text, std::strlen(text));
    REQUIRE(t.Sections().size() == 3);
    // Trimmed, the first of two; a section named twice continues.
    CHECK(Join(t.Sections()[0].Name, t.ReadString("SEC", "COLOR", "?"), t.ReadString("sec", "later", "?")) ==
          Join("Sec", "1", "4"));
    CHECK(Join(t.ReadString("OTHER", "A", "?"), t.ReadString("\xC0\xC1", "\xC2", "?"), t.FindSection("other")) ==
          Join("x=y", "5", 1));
    // A key before any section, a line without '=', a missing section.
    CHECK(Join(t.ReadString("SEC", "KEY", "?"), t.ReadString("SEC", "bare line", "?"),
               t.ReadString("NONE", "A", "?")) == Join("?", "?", "?"));

    TStringList lines;
    lines.SetText(text);
    CHECK(TSkOptionText(&lines).ReadString("SEC", "LATER", "?") == "4");

    CHECK(Join(FileExtOf("A.B\\C.BMP"), FileExtOf("DIR.X\\NAME"), SplitWords("!!A!B!!C!", "!").size()) == Join(".BMP", "", 3));
}

TEST_CASE("option text: names of every length compare by every byte, case folded by the code page")
{
    for (size_t n = 0; n <= 40; ++n) {
        std::string a(n, 'K'), lower(n, 'k');
        for (size_t i = 0; i < n; ++i) {
            a[i] = char('A' + i % 26);
            lower[i] = char('a' + i % 26);
        }
        CAPTURE(n);
        CHECK(Join(SameSkinName(a, lower), SkinNameHash(a) == SkinNameHash(lower), SameSkinName(a, a + "X")) ==
              Join(true, true, false));
        for (size_t i = 0; i < n; ++i) {
            std::string b = a;
            b[i] = '#';
            CHECK_FALSE(SameSkinName(a, b));
        }
    }
    // Cyrillic in the skin's code page: small and capital letters are the same name.
    CHECK(Join(SameSkinName("\xE0\xE1\xE2\xE3\xE4", "\xC0\xC1\xC2\xC3\xC4"),
               SkinNameHash("\xE0\xE1\xE2\xE3\xE4") == SkinNameHash("\xC0\xC1\xC2\xC3\xC4")) == Join(true, true));
    CHECK(SkinBytesHash("COLOR") == SkinBytesHash(std::string("COLOR")));
}

TEST_CASE("option text: decimal numbers, short ones in place, long ones to the limits of the type")
{
    // Whether the text reads, and the number after it, the number having been 7: a refused
    // text leaves it alone.
    const auto parsed = [](bool (*Parse)(std::string_view, int&), const char* Text) {
        int v = 7;
        const bool ok = Parse(Text, v);
        return Join(ok, v);
    };
    const std::pair<const char*, int> good[] = {{"0", 0}, {"-1", -1}, {"999999999", 999999999},
                                                {"0000000000012", 12}, {"2147483647", 2147483647},
                                                {"-2147483648", -2147483647 - 1}};
    for (const auto& [text, value] : good)
        CHECK(parsed(ParseDecimal, text) == Join(true, value));
    for (const char* bad : {"", "-", "2147483648", "12a", "1 2", "+5", " 5", "0x10", "--1"})
        CHECK(parsed(ParseDecimal, bad) == Join(false, 7));
    CHECK(Join(parsed(ParseIniInt, " 5"), parsed(ParseIniInt, "0x10")) == Join(Join(true, 5), Join(true, 16)));
}
