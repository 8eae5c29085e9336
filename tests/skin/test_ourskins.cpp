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
        for (int i = 0; i < folder.SectionCount(); ++i)
            CHECK(Join(folder.Section(i).ClassName, folder.Section(i).Color) ==
                  Join(packed.Section(i).ClassName, packed.Section(i).Color));
        for (int i = 0; i < folder.MaskCount(); ++i)
            CHECK(Join(folder.Mask(i).PropertyName, folder.Mask(i).R) ==
                  Join(packed.Mask(i).PropertyName, packed.Mask(i).R));

        for (TSkSkinRecords* r : {&folder, &packed}) {
            CHECK(r->SectionCount() > 50);
            CHECK(Join(r->SkinData().Version, r->SkinData().Author) == Join(1, "Zandrel developers"));

            REQUIRE(r->MasterBitmap());
            CHECK(r->MasterBitmap()->PixelFormat() == pf24bit);

            const TSkCommonIndexes& c = r->Cache();
            CHECK(c.GlobalInfo == 0);
            for (int16_t i : {c.BoxChecked, c.BoxUnchecked, c.BoxGrayed, c.RadioChecked, c.RadioUnchecked,
                              c.RadioGrayed, c.SmallChecked, c.SmallUnchecked, c.SmallGrayed}) {
                REQUIRE(r->IsValidMaskIndex(i));
                CHECK(Join(r->Mask(i).ImgType, r->Mask(i).ClassName) == Join(itisaGlyph, "GLOBALINFO"));
            }
            for (auto* t : {&c.TabTop, &c.TabBottom, &c.TabLeft, &c.TabRight})
                CHECK((r->IsValidSkinIndex(t->Section) && r->IsValidMaskIndex(t->BordersMask)));
            CHECK(r->IsValidMaskIndex(c.ScrollBtnTop.GlyphMask));
            CHECK(r->IsValidMaskIndex(c.ScrollSliderH.BordersMask));   // from SCROLLSLIDERV
            CHECK((r->IsValidSkinIndex(c.ScrollBar2V.Section) && r->IsValidSkinIndex(c.ComboBtn)));

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
            CHECK(Join(bool(r->Mask(spin).Bmp), r->Mask(spin).ImageCount) == "1 3");
            int speed = r->FindMaskIndexExact("SPEEDBUTTON", "BORDERSMASK");
            int tool = r->FindMaskIndexExact("TOOLBUTTON", "BORDERSMASK");
            REQUIRE((speed >= 0 && tool >= 0));
            CHECK(r->Mask(speed).WL == 5);
            CHECK(r->Mask(tool).R == TRect(160, 208, 205, 238));
            CHECK(r->FindMaskIndexExact("GLOBALINFO", "GRIPIMAGE") >= 0);

            // Every rectangle lies in its bitmap, and shows at least one frame.
            for (int i = 0; i < r->MaskCount(); ++i) {
                const TzMaskData& m = r->Mask(i);
                TBitmap* b = m.Bmp ? m.Bmp.get() : r->MasterBitmap();
                CAPTURE(m.PropertyName);
                CHECK((m.R.Left >= 0 && m.R.Top >= 0 && m.R.Right <= b->Width() && m.R.Bottom <= b->Height()));
                CHECK(m.ImageCount >= 1);
            }
        }
    }
}
