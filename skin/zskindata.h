// A loaded skin as every painter sees it: section records, image (mask) records, texture
// records, the skin-wide values, the master bitmap and a cache of often-used indexes, with
// the lookups by name and the margin rules.
//
// Names of sections and images are compared exactly, case-sensitively: the option text is
// written in upper case throughout. Section and mask indexes are valid until the next load or
// Clear.
#pragma once

#include "classlib/graphics.h"
#include "classlib/inifiles.h"
#include "classlib/jpeg.h"
#include "skin/zgradient.h"

#include <cstdint>
#include <memory>
#include <string_view>
#include <vector>

class TzSkinManager;
class TSkSkinConvertor;
class TSkOptionText;

enum TzControlBevel : uint8_t { cbNone, cbRaisedSoft, cbLoweredSoft, cbRaisedHard, cbLoweredHard };
enum TSkImgType : uint8_t { itisaBorder, itisaTexture, itisaGlyph };

// Skin-wide values (section "GLOBALINFO").
struct TzSkinData {
    WideString SkinPath;   // folder of the image files with a trailing backslash; empty for internal skins
    bool Active = false;   // a skin is loaded and applied (kept by the manager)
    double Version = 0;
    AnsiString Author;
    AnsiString Description;
    int32_t Shadow1Color = 0;
    int32_t Shadow1Offset = 0;
    int32_t Shadow1Blur = -1;
    int32_t Shadow1Transparency = 0;
    int32_t BorderColor = 0;
    int32_t BISpacing = 0;
};

// One section of the skin: how a kind of control looks. Defaults are those of a key the
// section and its parents leave out.
struct TzGeneralData {
    AnsiString ParentClass;   // the section whose values this one inherits
    AnsiString ClassName;     // the section name as written
    TColor Color = 0xFFFFFF;
    TzControlBevel Bevel = cbNone;
    int32_t FontColor = 0;
    int32_t TCLeft = -1;      // outline colours of text; -1 none
    int32_t TCTop = -1;
    int32_t TCRight = -1;
    int32_t TCBottom = -1;
    int32_t HotFontColor = 0;
    int32_t HotTCLeft = -1;
    int32_t HotTCTop = -1;
    int32_t HotTCRight = -1;
    int32_t HotTCBottom = -1;
    bool ReservedBoolean = false;
    int32_t ShadowBlur = 6;
    int32_t ShadowColor = 0;
    bool ShadowEnabled = false;
    int32_t ShadowOffset = 3;
    int32_t ShadowTransparency = 50;
    int32_t Transparency = 0;       // percent of the parent's background showing through
    int32_t GradientPercent = 0;
    AnsiString GradientData = " ";
    TzGradArray GradientArray;
    int32_t ImagePercent = 0;       // share of the texture
    bool ShowFocus = false;
    bool FadingEnabled = false;
    int32_t FadingIntervalIn = 5;
    int32_t FadingIntervalOut = 5;
    int32_t FadingIterations = 5;
    TColor HotColor = 0xFFFFFF;
    int32_t HotTransparency = 0;
    TzControlBevel HotBevel = cbNone;
    int32_t HotGradientPercent = 0;
    AnsiString HotGradientData;
    TzGradArray HotGradientArray;
    int32_t HotImagePercent = 0;
    int32_t BorderColor1 = 0;
    int32_t BorderColor2 = 0;
};

// One image of the skin: a rectangle of the master bitmap, or a bitmap of its own.
struct TzMaskData {
    std::unique_ptr<TBitmap> Bmp;   // own 24-bit bitmap, or none: R lies in the master bitmap
    AnsiString ClassName;           // the section
    AnsiString PropertyName;        // the key: the image's name
    // In the master bitmap as the skin states it, or the whole own bitmap. A rectangle may run
    // past the master bitmap (or there may be none): whoever reads pixels clips to the bitmap.
    TRect R;
    int16_t ImageCount = 1;         // frames side by side; below 1 counts as 1 (FrameCount)
    int16_t MaskType = 0;           // 0: no mask half; frame height = height / (MaskType + 1)
    int16_t BorderWidth = 0;
    int16_t DrawMode = 0;           // 0 tile, other values stretch
    TSkImgType ImgType = itisaBorder;
    TzSkinManager* Manager = nullptr;
    int16_t WL = 0;                 // margins of a nine-piece border
    int16_t WT = 0;
    int16_t WR = 0;
    int16_t WB = 0;
};

// A texture of an internal skin.
struct TzPatternData {
    std::unique_ptr<TJPEGImage> Img;
    AnsiString ClassName;
    AnsiString PropertyName;
};

// The divisors of a mask's frame size as the records state them: an ImageCount below 1 counts
// as 1, a negative MaskType as 0.
inline int FrameCount(const TzMaskData& M) { return M.ImageCount < 1 ? 1 : M.ImageCount; }
inline int HalfCount(const TzMaskData& M) { return (M.MaskType < 0 ? 0 : M.MaskType) + 1; }

// Indexes the painters ask for all the time, looked up once per skin; -1 when missing.
struct TSkCommonIndexes {
    struct Tab {
        int16_t Section = -1;
        int16_t BordersMask = -1;
    };
    // Arrow buttons, thumbs and tracks of scroll bars (tracks have no glyph: -1).
    struct ScrollPart {
        int16_t Section = -1;
        int16_t BordersMask = -1;
        int16_t Pattern = -1;
        int16_t HotPattern = -1;
        int16_t GlyphMask = -1;
    };

    int16_t GlobalInfo = -1;
    int16_t BoxChecked = -1;
    int16_t BoxUnchecked = -1;
    int16_t BoxGrayed = -1;
    int16_t RadioChecked = -1;
    int16_t RadioUnchecked = -1;
    int16_t RadioGrayed = -1;
    int16_t SmallChecked = -1;
    int16_t SmallUnchecked = -1;
    int16_t SmallGrayed = -1;
    Tab TabTop, TabBottom, TabLeft, TabRight;
    ScrollPart ScrollBtnTop, ScrollBtnBottom, ScrollBtnLeft, ScrollBtnRight;
    ScrollPart ScrollSliderV, ScrollSliderH;
    ScrollPart ScrollBar1H, ScrollBar1V, ScrollBar2H, ScrollBar2V;
    int32_t ComboBtn = -1;
    int32_t ComboBtnBordersMask = -1;   // exact, no parent
    int32_t ComboBtnPattern = -1;       // textures
    int32_t ComboBtnHotPattern = -1;
    int32_t ComboBoxGlyphMask = -1;     // exact, no parent
};

// Where the image files of one load come from: the entries of a packed skin when given,
// otherwise files relative to SkinPath (a name holding a colon is a full path).
struct TSkImageSource {
    WideString SkinPath;
    const TSkSkinConvertor* Packed = nullptr;
};

// An internal skin kept as structured data instead of option text, as the manager's stored
// skin item holds it. The bitmaps and pictures are borrowed for the length of the load.
struct TSkStoredSection {
    // Every value of the section under its field name; FontColor, HotFontColor and the
    // outline colours are taken from the two texts below instead.
    TzGeneralData Values;
    AnsiString FontColor;      // five integers separated by blanks: colour, left, top, right, bottom
    AnsiString HotFontColor;
};
struct TSkStoredImage {
    AnsiString SectionName;
    AnsiString PropertyName;
    TBitmap* Image = nullptr;   // an own picture, or none: the rectangle of the master bitmap
    int32_t Left = 0, Top = 0, Right = 0, Bottom = 0;
    int32_t ImageCount = 0;     // 0: three frames over a mask half
    int32_t MaskType = 0;
    int32_t BorderWidth = 0;
    int32_t StretchMode = 0;
    TSkImgType ImgType = itisaBorder;
    int32_t WL = 0, WT = 0, WR = 0, WB = 0;
};
struct TSkStoredPattern {
    AnsiString SectionName;
    AnsiString PropertyName;
    TJPEGImage* Image = nullptr;
};
struct TSkStoredSkinData {
    std::vector<TSkStoredSection> Sections;
    std::vector<TSkStoredImage> Images;
    std::vector<TSkStoredPattern> Patterns;
    TBitmap* MasterBitmap = nullptr;
    int32_t Shadow1Color = 0;
    int32_t Shadow1Offset = 0;
    int32_t Shadow1Blur = -1;
    int32_t Shadow1Transparency = 0;
    int32_t BorderColor = 0xFF00FF;
    double Version = 0;
    AnsiString Author;
    AnsiString Description;
};

// Records found by the hash of their name (or of a section and key name): a sorted array,
// filled once per load, searched without allocating.
class TSkNameIndex {
public:
    void Clear() { FItems.clear(); }
    void Reserve(size_t N) { FItems.reserve(N); }
    void Add(uint64_t Hash, int Index) { FItems.push_back({Hash, Index}); }
    void Sort();
    // The smallest index of that hash for which Same(index) holds; -1 when none.
    template <class Pred> int Find(uint64_t Hash, Pred Same) const
    {
        for (size_t i = LowerBound(Hash); i < FItems.size() && FItems[i].first == Hash; ++i)
            if (Same(FItems[i].second))
                return FItems[i].second;
        return -1;
    }
    static uint64_t HashOf(std::string_view Name);
    static uint64_t HashOf(std::string_view Section, std::string_view Property);

private:
    size_t LowerBound(uint64_t Hash) const;
    std::vector<std::pair<uint64_t, int>> FItems;   // by hash, then index
};

// The records of one skin. The manager owns one and answers the painters' lookups from it.
// A skin is read in this order: one of the LoadFrom... calls (a folder, a packed skin or an
// internal skin), then ApplyCommonSections, then ApplyHueAndSaturation; RebuildCache when
// the skin is applied, and Clear then RebuildCache when it is removed.
class TSkSkinRecords {
public:
    TSkSkinRecords() = default;
    explicit TSkSkinRecords(TzSkinManager* AManager) : FManager(AManager) {}
    TSkSkinRecords(const TSkSkinRecords&) = delete;
    TSkSkinRecords& operator=(const TSkSkinRecords&) = delete;

    // Loading. Each load starts from Clear(); a missing or damaged image skips its key, a
    // value that does not read as its form expects skips its key.
    // The option text: images, textures, then the sections and the skin-wide values. The
    // text may come as lines, as an INI object, or as the bytes of "Options.dat".
    void LoadFromOptions(const TStrings* OptionText, const TSkImageSource& Source);
    void LoadFromOptions(const TMemIniFile& Options, const TSkImageSource& Source);
    void LoadFromOptionText(const char* Text, size_t Length, const TSkImageSource& Source);
    // A packed skin: its option text, its images from its entries (none: an empty skin).
    void LoadFromPackedSkin(const TSkSkinConvertor* Convertor, const WideString& SkinPath);
    // A folder skin: "Options.dat" of the folder (with a trailing backslash) and its image
    // files. False, and an empty skin, when the folder holds no "Options.dat".
    bool LoadFromSkinFolder(const WideString& SkinPath);
    // An internal skin kept as structured data.
    void LoadFromStoredSkin(const TSkStoredSkinData& Stored);
    // The manager's common sections, applied over the loaded ones (their images read from
    // Source as well).
    void ApplyCommonSections(const TStrings* Lines, const TSkImageSource& Source);
    // Hue and saturation changes of every colour and every picture, after loading.
    void ApplyHueAndSaturation(int HueOffset, int Saturation);
    // Frees the mask, texture and section records and the master bitmap; the skin-wide
    // values stay. The index cache is left as it was: RebuildCache() renews it.
    void Clear();
    void RebuildCache();

    TzSkinManager* Manager() const { return FManager; }
    void SetManager(TzSkinManager* Value);

    TzSkinData& SkinData() { return FSkinData; }
    const TzSkinData& SkinData() const { return FSkinData; }
    TBitmap* MasterBitmap() const { return FMasterBitmap.get(); }
    const TSkCommonIndexes& Cache() const { return FCache; }

    int SectionCount() const { return static_cast<int>(FSections.size()); }
    int MaskCount() const { return static_cast<int>(FMasks.size()); }
    int PatternCount() const { return static_cast<int>(FPatterns.size()); }
    // By index; the index must be valid.
    const TzGeneralData& Section(int Index) const { return FSections[size_t(Index)]; }
    const TzMaskData& Mask(int Index) const { return FMasks[size_t(Index)]; }
    const TzPatternData& Pattern(int Index) const { return FPatterns[size_t(Index)]; }

    // Lookups: -1 when nothing matches.
    int FindSectionIndex(const AnsiString& Name) const;
    // The mask of the section or, when it has none of that name, of its parents.
    int FindMaskIndex(int SectionIndex, const AnsiString& SectionName,
                      const AnsiString& PropertyName) const;
    // The same over texture masks.
    int FindTextureIndex(int SectionIndex, const AnsiString& SectionName,
                         const AnsiString& PropertyName) const;
    // The same over the texture records of an internal skin.
    int FindPatternIndex(int SectionIndex, const AnsiString& SectionName,
                         const AnsiString& PropertyName) const;
    // No fall-back to parents.
    int FindMaskIndexExact(const AnsiString& SectionName, const AnsiString& PropertyName) const;
    bool IsValidSkinIndex(int Index) const { return Index >= 0 && Index < SectionCount(); }
    bool IsValidMaskIndex(int Index) const { return Index >= 0 && Index < MaskCount(); }

    // Width and height of one frame of a mask: a rectangle of the master bitmap divided by its
    // frames and its image and mask halves; a bitmap of its own is always three frames over a
    // mask half.
    TSize GetMaskFrameSize(int Index) const;
    // The margins of a nine-piece border: the mask's own when above 0, else its border width
    // when at least 1, else a third of a frame.
    int MaskMarginLeft(int Index) const;
    int MaskMarginTop(int Index) const;
    int MaskMarginRight(int Index) const;
    int MaskMarginBottom(int Index) const;

private:
    enum TMaskKind { mkAny, mkTexture, mkPattern };
    // After records were added or changed: renews the name indexes of the lookups.
    void Reindex();
    void LoadFromOptionText(const TSkOptionText& Opt, const TSkImageSource& Source);
    class TLoader;
    friend class TLoader;
    int FindSection(std::string_view Name) const;
    int FindInSection(TMaskKind Kind, std::string_view SectionName, std::string_view PropertyName) const;
    int MaskMargin(int Index, int16_t TzMaskData::*Own, bool Horizontal) const;
    int FindWithParents(TMaskKind Kind, int SectionIndex, std::string_view SectionName,
                        std::string_view PropertyName) const;

    TzSkinManager* FManager = nullptr;
    TzSkinData FSkinData;
    std::vector<TzGeneralData> FSections;
    std::vector<TzMaskData> FMasks;
    std::vector<TzPatternData> FPatterns;
    std::unique_ptr<TBitmap> FMasterBitmap;
    TSkCommonIndexes FCache;
    // First record of each name: sections by name, masks and patterns by section and key.
    TSkNameIndex FSectionIndex;
    TSkNameIndex FMaskIndex;
    TSkNameIndex FTextureIndex;
    TSkNameIndex FPatternIndex;
};
