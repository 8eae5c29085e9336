#include "skin/zskindata.h"

#include "skin/zskintext.h"

#include <algorithm>
#include <limits>

namespace {

// Cache entries are 16-bit: an index beyond that range is as good as missing.
int16_t Short(int Index)
{
    return Index >= 0 && Index <= std::numeric_limits<int16_t>::max() ? int16_t(Index) : int16_t(-1);
}

} // namespace

uint64_t TSkNameIndex::HashOf(std::string_view Name)
{
    return SkinBytesHash(Name);
}

uint64_t TSkNameIndex::HashOf(std::string_view Section, std::string_view Property)
{
    // Equal pairs give equal hashes; unequal ones differ in one half or both.
    return uint64_t(SkinBytesHash(Section)) << 32 | SkinBytesHash(Property);
}

void TSkNameIndex::Sort()
{
    std::sort(FItems.begin(), FItems.end());
}

size_t TSkNameIndex::LowerBound(uint64_t Hash) const
{
    auto it = std::lower_bound(FItems.begin(), FItems.end(), Hash,
                               [](const std::pair<uint64_t, int>& a, uint64_t h) { return a.first < h; });
    return size_t(it - FItems.begin());
}

// ---------------------------------------------------------------------------------------

void TSkSkinRecords::SetManager(TzSkinManager* Value)
{
    FManager = Value;
    for (TzMaskData& m : FMasks)
        m.Manager = Value;
}

void TSkSkinRecords::Clear()
{
    FMasks.clear();
    FMasterBitmap.reset();
    FPatterns.clear();
    FSections.clear();
    Reindex();
}

void TSkSkinRecords::Reindex()
{
    FSectionIndex.Clear();
    FMaskIndex.Clear();
    FTextureIndex.Clear();
    FPatternIndex.Clear();
    FSectionIndex.Reserve(FSections.size());
    FMaskIndex.Reserve(FMasks.size());
    for (size_t i = 0; i < FSections.size(); ++i)
        FSectionIndex.Add(TSkNameIndex::HashOf(FSections[i].ClassName), int(i));
    for (size_t i = 0; i < FMasks.size(); ++i) {
        uint64_t h = TSkNameIndex::HashOf(FMasks[i].ClassName, FMasks[i].PropertyName);
        if (FMasks[i].ImgType == itisaTexture)
            FTextureIndex.Add(h, int(i));
        FMaskIndex.Add(h, int(i));
    }
    for (size_t i = 0; i < FPatterns.size(); ++i)
        FPatternIndex.Add(TSkNameIndex::HashOf(FPatterns[i].ClassName, FPatterns[i].PropertyName), int(i));
    FSectionIndex.Sort();
    FMaskIndex.Sort();
    FTextureIndex.Sort();
    FPatternIndex.Sort();
}

int TSkSkinRecords::FindSectionIndex(const AnsiString& Name) const
{
    return FindSection(Name);
}

int TSkSkinRecords::FindSection(std::string_view Name) const
{
    return FSectionIndex.Find(TSkNameIndex::HashOf(Name),
                              [&](int i) { return FSections[size_t(i)].ClassName == Name; });
}

int TSkSkinRecords::FindInSection(TMaskKind Kind, std::string_view SectionName,
                                  std::string_view PropertyName) const
{
    uint64_t h = TSkNameIndex::HashOf(SectionName, PropertyName);
    auto sameMask = [&](int i) {
        const TzMaskData& m = FMasks[size_t(i)];
        return m.ClassName == SectionName && m.PropertyName == PropertyName;
    };
    switch (Kind) {
    case mkTexture: return FTextureIndex.Find(h, sameMask);
    case mkPattern:
        return FPatternIndex.Find(h, [&](int i) {
            const TzPatternData& p = FPatterns[size_t(i)];
            return p.ClassName == SectionName && p.PropertyName == PropertyName;
        });
    default: return FMaskIndex.Find(h, sameMask);
    }
}

int TSkSkinRecords::FindWithParents(TMaskKind Kind, int SectionIndex, std::string_view SectionName,
                                    std::string_view PropertyName) const
{
    std::string_view name = SectionName;
    int index = SectionIndex;
    // Every step goes to another section; a chain of parents that comes back to a section
    // already seen ends after as many steps as there are sections.
    for (size_t step = 0; step <= FSections.size(); ++step) {
        if (index < 0 || name.empty())
            return -1;
        int found = FindInSection(Kind, name, PropertyName);
        if (found >= 0)
            return found;
        if (index >= SectionCount())
            return -1;
        std::string_view parent = FSections[size_t(index)].ParentClass;
        if (parent.empty() || parent == name)
            return -1;
        index = FindSection(parent);
        name = parent;
    }
    return -1;
}

int TSkSkinRecords::FindMaskIndex(int SectionIndex, const AnsiString& SectionName,
                                  const AnsiString& PropertyName) const
{
    return FindWithParents(mkAny, SectionIndex, SectionName, PropertyName);
}

int TSkSkinRecords::FindTextureIndex(int SectionIndex, const AnsiString& SectionName,
                                     const AnsiString& PropertyName) const
{
    return FindWithParents(mkTexture, SectionIndex, SectionName, PropertyName);
}

int TSkSkinRecords::FindPatternIndex(int SectionIndex, const AnsiString& SectionName,
                                     const AnsiString& PropertyName) const
{
    return FindWithParents(mkPattern, SectionIndex, SectionName, PropertyName);
}

int TSkSkinRecords::FindMaskIndexExact(const AnsiString& SectionName, const AnsiString& PropertyName) const
{
    return FindInSection(mkAny, SectionName, PropertyName);
}

// ---------------------------------------------------------------------------------------

TSize TSkSkinRecords::GetMaskFrameSize(int Index) const
{
    if (!IsValidMaskIndex(Index))
        return TSize{0, 0};
    const TzMaskData& m = Mask(Index);
    // A bitmap of its own always holds three frames over a mask half, whatever the counts of
    // its value say: skins are made for that rule.
    if (m.Bmp)
        return TSize{m.Bmp->Width() / 3, m.Bmp->Height() / 2};
    return TSize{m.R.Width() / FrameCount(m), m.R.Height() / HalfCount(m)};
}

int TSkSkinRecords::MaskMargin(int Index, int16_t TzMaskData::*Own, bool Horizontal) const
{
    if (!IsValidMaskIndex(Index))
        return 0;
    const TzMaskData& m = Mask(Index);
    if (m.*Own > 0)
        return m.*Own;
    if (m.BorderWidth >= 1)
        return m.BorderWidth;
    if (Horizontal)
        return m.R.Width() / (FrameCount(m) * 3);
    return m.R.Height() / (HalfCount(m) * 3);
}

int TSkSkinRecords::MaskMarginLeft(int Index) const { return MaskMargin(Index, &TzMaskData::WL, true); }
int TSkSkinRecords::MaskMarginTop(int Index) const { return MaskMargin(Index, &TzMaskData::WT, false); }
int TSkSkinRecords::MaskMarginRight(int Index) const { return MaskMargin(Index, &TzMaskData::WR, true); }
int TSkSkinRecords::MaskMarginBottom(int Index) const { return MaskMargin(Index, &TzMaskData::WB, false); }

// ---------------------------------------------------------------------------------------

void TSkSkinRecords::RebuildCache()
{
    TSkCommonIndexes& c = FCache;
    c = TSkCommonIndexes();

    // Names as views of the literals: no string is made for a lookup.
    auto mask = [&](int Section, std::string_view SectionName, std::string_view Property) {
        return Short(FindWithParents(mkAny, Section, SectionName, Property));
    };

    c.GlobalInfo = Short(FindSection("GLOBALINFO"));
    int g = c.GlobalInfo;
    c.BoxChecked = mask(g, "GLOBALINFO", "BOXCHECKED");
    c.BoxUnchecked = mask(g, "GLOBALINFO", "BOXUNCHECKED");
    c.BoxGrayed = mask(g, "GLOBALINFO", "BOXGRAYED");
    c.RadioChecked = mask(g, "GLOBALINFO", "RADIOCHECKED");
    c.RadioUnchecked = mask(g, "GLOBALINFO", "RADIOUNCHECKED");
    c.RadioGrayed = mask(g, "GLOBALINFO", "RADIOGRAYED");
    c.SmallChecked = mask(g, "GLOBALINFO", "SMALLCHECKED");
    c.SmallUnchecked = mask(g, "GLOBALINFO", "SMALLUNCHECKED");
    c.SmallGrayed = mask(g, "GLOBALINFO", "SMALLGRAYED");

    auto tab = [&](TSkCommonIndexes::Tab& t, std::string_view Name) {
        t.Section = Short(FindSection(Name));
        t.BordersMask = mask(t.Section, Name, "BORDERSMASK");
    };
    tab(c.TabTop, "TABTOP");
    tab(c.TabBottom, "TABBOTTOM");
    tab(c.TabLeft, "TABLEFT");
    tab(c.TabRight, "TABRIGHT");

    auto part = [&](TSkCommonIndexes::ScrollPart& p, std::string_view Name, bool Glyph) {
        p.Section = Short(FindSection(Name));
        p.BordersMask = mask(p.Section, Name, "BORDERSMASK");
        p.Pattern = mask(p.Section, Name, "PATTERN");
        p.HotPattern = mask(p.Section, Name, "HOTPATTERN");
        if (Glyph)
            p.GlyphMask = mask(p.Section, Name, "GLYPHMASK");
    };
    part(c.ScrollBtnTop, "SCROLLBTNTOP", true);
    part(c.ScrollBtnBottom, "SCROLLBTNBOTTOM", true);
    part(c.ScrollBtnLeft, "SCROLLBTNLEFT", true);
    part(c.ScrollBtnRight, "SCROLLBTNRIGHT", true);
    part(c.ScrollSliderV, "SCROLLSLIDERV", true);
    part(c.ScrollSliderH, "SCROLLSLIDERH", true);
    part(c.ScrollBar1H, "SCROLLBAR1H", false);
    part(c.ScrollBar1V, "SCROLLBAR1V", false);
    part(c.ScrollBar2H, "SCROLLBAR2H", false);
    part(c.ScrollBar2V, "SCROLLBAR2V", false);

    c.ComboBtn = FindSection("COMBOBTN");
    c.ComboBtnBordersMask = FindInSection(mkAny, "COMBOBTN", "BORDERSMASK");
    c.ComboBtnPattern = FindWithParents(mkTexture, c.ComboBtn, "COMBOBTN", "PATTERN");
    c.ComboBtnHotPattern = FindWithParents(mkTexture, c.ComboBtn, "COMBOBTN", "HOTPATTERN");
    c.ComboBoxGlyphMask = FindInSection(mkAny, "COMBOBOX", "GLYPHMASK");
}
