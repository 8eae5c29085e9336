// Our own skins: the folders of resources/skins and the packed copies of resources/skins-packed.
#include "skinfixtures.h"

#include "skin/zskindata.h"
#include "skin/zskinpack.h"

#include <doctest.h>

namespace {

const wchar_t* const OurSkins[] = {L"ZandrelDawn", L"ZandrelDusk"};

void LoadFolderSkin(TSkSkinRecords& R, const WideString& Name)
{
    CHECK(R.LoadFromSkinFolder(TestDataPath("..\\..\\resources\\skins\\") + Name + L"\\"));
    R.RebuildCache();
}

} // namespace

TEST_CASE("our skins load from their folders and their packed files alike")
{
    const WideString packedDir = TestDataPath("..\\..\\resources\\skins-packed\\");
    for (const wchar_t* name : OurSkins) {
        CAPTURE(AnsiString(WideToAnsi(name)));
        TMessageCatcher box;
        TSkSkinRecords folder, packed;
        LoadFolderSkin(folder, name);
        std::unique_ptr<TSkSkinConvertor> c;
        LoadPackedSkinFile(packedDir + name + L".qsz", c, true);
        REQUIRE(c);
        packed.LoadFromPackedSkin(c.get(), packedDir);
        CHECK(box.Count() == 0);

        REQUIRE(folder.SectionCount() == packed.SectionCount());
        REQUIRE(folder.MaskCount() == packed.MaskCount());
        for (int i = 0; i < folder.SectionCount(); ++i)
            CHECK(Join(folder.Section(i).ClassName, folder.Section(i).Color) ==
                  Join(packed.Section(i).ClassName, packed.Section(i).Color));
        for (int i = 0; i < folder.MaskCount(); ++i)
            CHECK(Join(folder.Mask(i).PropertyName, folder.Mask(i).R, bool(folder.Mask(i).Bmp)) ==
                  Join(packed.Mask(i).PropertyName, packed.Mask(i).R, bool(packed.Mask(i).Bmp)));
        CHECK(Join(packed.SkinData().Version, packed.SkinData().Author) == Join(1, "Zandrel developers"));
    }
}

TEST_CASE("our skins hold what the controls look up, and every image lies in its bitmap")
{
    for (const wchar_t* name : OurSkins) {
        CAPTURE(AnsiString(WideToAnsi(name)));
        TSkSkinRecords r;
        LoadFolderSkin(r, name);
        REQUIRE(r.MasterBitmap());
        const TSkCommonIndexes& c = r.Cache();
        for (int16_t i : {c.BoxChecked, c.BoxUnchecked, c.BoxGrayed, c.RadioChecked, c.RadioUnchecked,
                          c.RadioGrayed, c.SmallChecked, c.SmallUnchecked, c.SmallGrayed, c.TabTop.BordersMask,
                          c.TabLeft.BordersMask, c.ScrollBtnTop.GlyphMask, c.ScrollSliderH.BordersMask})
            CHECK(r.IsValidMaskIndex(i));
        // The form's texture is a JPEG picture of its own; dialogs take it from FORM.
        const int tex = r.FindTextureIndex(r.FindSectionIndex("FORM"), "FORM", "PATTERN");
        CHECK(Join(tex >= 0, r.FindTextureIndex(r.FindSectionIndex("DIALOG"), "DIALOG", "PATTERN")) == Join(true, tex));
        // Every rectangle lies in its bitmap, and shows at least one frame.
        for (int i = 0; i < r.MaskCount(); ++i) {
            const TzMaskData& m = r.Mask(i);
            TBitmap* b = m.Bmp ? m.Bmp.get() : r.MasterBitmap();
            CAPTURE(m.ClassName + "." + m.PropertyName);
            const TRect inside(std::max(m.R.Left, 0), std::max(m.R.Top, 0), std::min(m.R.Right, b->Width()),
                               std::min(m.R.Bottom, b->Height()));
            CHECK(Join(m.R, m.ImageCount >= 1) == Join(inside, true));
        }
    }
}
