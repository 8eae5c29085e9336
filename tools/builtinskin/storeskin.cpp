#include "tools/builtinskin/storeskin.h"

#include "classlib/forms.h"

#include <cstdio>

namespace {

AnsiString FiveColours(int32_t Colour, int32_t L, int32_t T, int32_t R, int32_t B)
{
    char text[80];
    std::snprintf(text, sizeof(text), "%ld %ld %ld %ld %ld", long(Colour), long(L), long(T), long(R), long(B));
    return text;
}

void StoreSection(const TzGeneralData& G, TzSkinGeneral* S)
{
    S->SetSectionClassName(G.ClassName);
    S->SetParentClass(G.ParentClass);
    S->SetColor(G.Color);
    S->SetBevel(G.Bevel);
    S->SetFontColor(FiveColours(G.FontColor, G.TCLeft, G.TCTop, G.TCRight, G.TCBottom));
    S->SetHotFontColor(FiveColours(G.HotFontColor, G.HotTCLeft, G.HotTCTop, G.HotTCRight, G.HotTCBottom));
    S->SetReservedBoolean(G.ReservedBoolean);
    S->SetShadowBlur(G.ShadowBlur);
    S->SetShadowColor(G.ShadowColor);
    S->SetShadowEnabled(G.ShadowEnabled);
    S->SetShadowOffset(G.ShadowOffset);
    S->SetShadowTransparency(G.ShadowTransparency);
    S->SetTransparency(G.Transparency);
    S->SetGradientPercent(G.GradientPercent);
    S->SetGradientData(G.GradientData);
    S->SetImagePercent(G.ImagePercent);
    S->SetShowFocus(G.ShowFocus);
    S->SetFadingEnabled(G.FadingEnabled);
    S->SetFadingIntervalIn(G.FadingIntervalIn);
    S->SetFadingIntervalOut(G.FadingIntervalOut);
    S->SetFadingIterations(G.FadingIterations);
    S->SetHotColor(G.HotColor);
    S->SetHotTransparency(G.HotTransparency);
    S->SetHotBevel(G.HotBevel);
    S->SetHotGradientPercent(G.HotGradientPercent);
    S->SetHotGradientData(G.HotGradientData);
    S->SetHotImagePercent(G.HotImagePercent);
    S->SetBorderColor1(G.BorderColor1);
    S->SetBorderColor2(G.BorderColor2);
}

void StoreImage(const TzMaskData& M, TzSkinImage* S)
{
    S->SetSectionName(M.ClassName);
    S->SetPropertyName(M.PropertyName);
    if (M.Bmp) {
        S->SetImage(M.Bmp.get());
    } else {
        S->SetLeft(M.R.Left);
        S->SetTop(M.R.Top);
        S->SetRight(M.R.Right);
        S->SetBottom(M.R.Bottom);
    }
    // A stored count of 0 reads back as three frames over a mask half; a stated 0 counts as
    // one frame.
    S->SetImageCount(M.ImageCount == 0 ? 1 : M.ImageCount);
    S->SetMaskType(M.MaskType);
    S->SetBorderWidth(M.BorderWidth);
    S->SetStretchMode(M.DrawMode);
    S->SetImgType(M.ImgType);
    S->SetWL(M.WL);
    S->SetWT(M.WT);
    S->SetWR(M.WR);
    S->SetWB(M.WB);
}

} // namespace

void StoreSkinRecords(const TSkSkinRecords& Records, TzStoredSkin* Skin)
{
    Skin->GeneralData()->Clear();
    Skin->Images()->Clear();
    Skin->Patterns()->Clear();
    Skin->Data()->Clear();
    for (int i = 0; i < Records.SectionCount(); ++i)
        StoreSection(Records.Section(i), Skin->GeneralData()->Add());
    for (int i = 0; i < Records.MaskCount(); ++i)
        StoreImage(Records.Mask(i), Skin->Images()->Add());
    for (int i = 0; i < Records.PatternCount(); ++i) {
        const TzPatternData& p = Records.Pattern(i);
        TzSkinPattern* s = Skin->Patterns()->Add();
        s->SetSectionName(p.ClassName);
        s->SetPropertyName(p.PropertyName);
        if (p.Img)
            s->SetImage(p.Img.get());
    }
    TBitmap empty;
    Skin->SetMasterBitmap(Records.MasterBitmap() ? Records.MasterBitmap() : &empty);
    const TzSkinData& d = Records.SkinData();
    Skin->SetShadow1Color(d.Shadow1Color);
    Skin->SetShadow1Offset(d.Shadow1Offset);
    Skin->SetShadow1Blur(d.Shadow1Blur);
    Skin->SetShadow1Transparency(d.Shadow1Transparency);
    Skin->SetBorderColor(d.BorderColor);
    Skin->SetVersion(d.Version);
    Skin->SetAuthor(d.Author);
    Skin->SetDescription(d.Description);
}

bool WriteBuiltinSkinForm(const WideString& Folder, const WideString& Name, TStream* Out)
{
    TSkSkinRecords records;
    if (!records.LoadFromSkinFolder(Folder))
        return false;

    TForm form(nullptr);
    form.SetName("GalleryForm");
    form.SetBounds(120, 80, 640, 460);
    form.SetVisible(false);
    auto* manager = new TzSkinManager(&form);
    // Only the settings are wanted here, not a skin in use.
    manager->SetComponentStateFlag(csLoading, true);
    manager->SetName("SkinManager");
    manager->SetIsDefault(true);
    manager->SetSkinDirectory(L"Skins");
    manager->AnimEffects()->DialogShow()->SetActive(false);
    manager->AnimEffects()->FormShow()->SetActive(false);
    manager->AnimEffects()->SkinChanging()->SetTime(0);
    manager->MenuSupport()->SetIcoLineSkin("ICOLINE");
    TzStoredSkin* skin = manager->InternalSkins()->Add();
    skin->SetName(Name);
    StoreSkinRecords(records, skin);
    manager->SetSkinName(Name);
    manager->SetComponentStateFlag(csLoading, false);
    Out->WriteComponent(&form);
    return true;
}
