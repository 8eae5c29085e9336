// Our own skins: the folders of resources/skins and the packed copies of resources/skins-packed.
#include "skinfixtures.h"

#include "skin/zskindata.h"
#include "skin/zskinpack.h"

#include <doctest.h>

namespace {

WideString SkinsFolder() { return TestDataPath("..\\..\\resources\\skins\\"); }
WideString PackedFolder() { return TestDataPath("..\\..\\resources\\skins-packed\\"); }

void LoadFolderSkin(TSkSkinRecords& R, const WideString& Name)
{
    CHECK(R.LoadFromSkinFolder(SkinsFolder() + Name + L"\\"));
    R.RebuildCache();
}

void LoadPackedSkin(TSkSkinRecords& R, const WideString& Name)
{
    std::unique_ptr<TSkSkinConvertor> c;
    LoadPackedSkinFile(PackedFolder() + Name + L".qsz", c, true);
    REQUIRE(c);
    R.LoadFromPackedSkin(c.get(), PackedFolder());
    R.RebuildCache();
}

} // namespace

TEST_CASE("our skins load from their folders and their packed files alike")
{
    for (const wchar_t* name : {L"ZandrelDawn", L"ZandrelDusk"}) {
        CAPTURE(AnsiString(WideToAnsi(name)));
        TMessageCatcher box;
        TSkSkinRecords folder, packed;
        LoadFolderSkin(folder, name);
        LoadPackedSkin(packed, name);
        CHECK(box.Count() == 0);

        // The same records either way.
        REQUIRE(folder.SectionCount() == packed.SectionCount());
        REQUIRE(folder.MaskCount() == packed.MaskCount());
        for (int i = 0; i < folder.SectionCount(); ++i) {
            CHECK(folder.Section(i).ClassName == packed.Section(i).ClassName);
            CHECK(folder.Section(i).Color == packed.Section(i).Color);
        }
        for (int i = 0; i < folder.MaskCount(); ++i) {
            CHECK(folder.Mask(i).PropertyName == packed.Mask(i).PropertyName);
            CHECK(folder.Mask(i).R == packed.Mask(i).R);
        }

        for (TSkSkinRecords* r : {&folder, &packed}) {
            CHECK(r->SectionCount() > 50);
            CHECK(r->SkinData().Version == doctest::Approx(1.0));
            CHECK(r->SkinData().Author == "Zandrel developers");
            REQUIRE(r->MasterBitmap());
            CHECK(r->MasterBitmap()->PixelFormat() == pf24bit);

            const TSkCommonIndexes& c = r->Cache();
            CHECK(c.GlobalInfo == 0);
            for (int16_t i : {c.BoxChecked, c.BoxUnchecked, c.BoxGrayed, c.RadioChecked, c.RadioUnchecked,
                              c.RadioGrayed, c.SmallChecked, c.SmallUnchecked, c.SmallGrayed}) {
                REQUIRE(r->IsValidMaskIndex(i));
                CHECK(r->Mask(i).ImgType == itisaGlyph);
                CHECK(r->Mask(i).ClassName == "GLOBALINFO");
            }
            for (auto* t : {&c.TabTop, &c.TabBottom, &c.TabLeft, &c.TabRight}) {
                CHECK(r->IsValidSkinIndex(t->Section));
                CHECK(r->IsValidMaskIndex(t->BordersMask));
            }
            CHECK(r->IsValidMaskIndex(c.ScrollBtnTop.GlyphMask));
            CHECK(r->IsValidMaskIndex(c.ScrollSliderH.BordersMask));   // from SCROLLSLIDERV
            CHECK(r->IsValidSkinIndex(c.ScrollBar2V.Section));
            CHECK(r->IsValidSkinIndex(c.ComboBtn));

            // The form's texture is a JPEG picture of its own; dialogs take it from FORM.
            int form = r->FindSectionIndex("FORM");
            int tex = r->FindTextureIndex(form, "FORM", "PATTERN");
            REQUIRE(tex >= 0);
            REQUIRE(r->Mask(tex).Bmp);
            CHECK(r->Mask(tex).Bmp->Width() > 0);
            int dialog = r->FindSectionIndex("DIALOG");
            CHECK(r->Section(dialog).ParentClass == "FORM");
            CHECK(r->Section(dialog).Color == r->Section(form).Color);
            CHECK(r->FindTextureIndex(dialog, "DIALOG", "PATTERN") == tex);

            // A bare bitmap name, a "!" image and the "#" form.
            int small = r->FindSectionIndex("SPEEDBUTTON_SMALL");
            int spin = r->FindMaskIndex(small, "SPEEDBUTTON_SMALL", "BORDERSMASK");
            REQUIRE(spin >= 0);
            CHECK(r->Mask(spin).Bmp);
            CHECK(r->Mask(spin).ImageCount == 3);
            int speed = r->FindMaskIndexExact("SPEEDBUTTON", "BORDERSMASK");
            REQUIRE(speed >= 0);
            CHECK(r->Mask(speed).WL == 5);
            int tool = r->FindMaskIndexExact("TOOLBUTTON", "BORDERSMASK");
            REQUIRE(tool >= 0);
            CHECK(r->Mask(tool).R == TRect(160, 208, 205, 238));
            CHECK(r->FindMaskIndexExact("GLOBALINFO", "GRIPIMAGE") >= 0);

            // Every rectangle lies in its bitmap.
            for (int i = 0; i < r->MaskCount(); ++i) {
                const TzMaskData& m = r->Mask(i);
                TBitmap* b = m.Bmp ? m.Bmp.get() : r->MasterBitmap();
                CHECK(m.R.Left >= 0);
                CHECK(m.R.Top >= 0);
                CHECK(m.R.Right <= b->Width());
                CHECK(m.R.Bottom <= b->Height());
                CHECK(m.ImageCount >= 1);
            }
        }
    }
}
