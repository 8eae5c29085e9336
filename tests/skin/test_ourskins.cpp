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
