// Loading a skin into its records: from option text (a folder or a packed skin), from an
// internal skin kept as structured data, the manager's common sections, and the hue and
// saturation changes.

#include "skin/zskindata.h"

#include "skin/zgraphics.h"
#include "skin/zskinpack.h"
#include "skin/zskinservices.h"
#include "skin/zskintext.h"
#include "unicode/ucsystem.h"
#include "unicode/ucsysutils.h"

#include <algorithm>
#include <charconv>
#include <functional>
#include <limits>
#include <unordered_map>

namespace {

using std::string_view;

// ---------------------------------------------------------------------------------------
// Numbers

// Characters Pos1 .. Pos1 + Len - 1 (counted from 1) of S as a decimal number; false when S
// is too short or the characters are not a number.
bool Column(string_view S, size_t Pos1, size_t Len, int& Value)
{
    if (Pos1 < 1 || S.size() < Pos1 - 1 + Len)
        return false;
    return ParseDecimal(S.substr(Pos1 - 1, Len), Value);
}

bool FitsInt16(int V)
{
    return V >= std::numeric_limits<int16_t>::min() && V <= std::numeric_limits<int16_t>::max();
}

int16_t ToShort(int32_t V)
{
    return int16_t(std::clamp<int32_t>(V, std::numeric_limits<int16_t>::min(), std::numeric_limits<int16_t>::max()));
}

// A number with "." as the decimal separator, whatever the locale; Default when not one.
double ParseVersion(string_view S, double Default)
{
    double v = 0;
    auto [end, ec] = std::from_chars(S.data(), S.data() + S.size(), v);
    return !S.empty() && ec == std::errc() && end == S.data() + S.size() ? v : Default;
}

// The numbers of a word of the "#" form, separated by blanks or commas; false when one is
// not a number that fits the records.
bool NumberList(string_view Word, std::vector<int>& Numbers)
{
    Numbers.clear();
    for (string_view w : SplitWords(Word, " ,")) {
        int v;
        if (!ParseDecimal(w, v) || !FitsInt16(v))
            return false;
        Numbers.push_back(v);
    }
    return true;
}

// The second and third words of the "#" form. Words are separated by blanks and
// parentheses, but the numbers inside a pair of parentheses may be separated by blanks too:
// with parentheses the groups they hold are the words, without them the blanks divide.
void HashWords(string_view V, string_view& Second, string_view& Third)
{
    std::vector<string_view> words;
    if (V.find('(') != string_view::npos) {
        for (string_view w : SplitWords(V, "()")) {
            w = TrimView(w);
            if (!w.empty())
                words.push_back(w);
        }
    } else {
        words = SplitWords(V, " ");
    }
    Second = words.size() > 1 ? words[1] : string_view();
    Third = words.size() > 2 ? words[2] : string_view();
}

void ParseGradient(const AnsiString& Text, TzGradArray& Arr)
{
    Arr.clear();
    if (Text == " " || Text.empty())
        return;
    try {
        ParseGradientData(Text, Arr);
    } catch (const Exception&) {
        // A gradient that does not read is no gradient.
        Arr.clear();
    }
}

bool IsBitmapExt(string_view Ext) { return Ext.size() == 4 && SameSkinName(Ext, ".BMP"); }

// The upper-cased extension holds ".JPG" or ".JPEG"; an extension has one dot, its first
// character, so it must begin with either.
bool IsJpegExt(string_view Ext)
{
    return (Ext.size() >= 4 && SameSkinName(Ext.substr(0, 4), ".JPG")) ||
           (Ext.size() >= 5 && SameSkinName(Ext.substr(0, 5), ".JPEG"));
}

// ---------------------------------------------------------------------------------------
// The section keys, their fields and defaults.

enum TKeyKind { kkInt, kkColor, kkOwnInt, kkBool, kkText, kkBevel };

struct TKeyDef {
    const char* Key;
    TKeyKind Kind;
    int32_t TzGeneralData::*Int = nullptr;
    bool TzGeneralData::*Bool = nullptr;
    AnsiString TzGeneralData::*Text = nullptr;
    TzControlBevel TzGeneralData::*Bevel = nullptr;
    int32_t IntDefault = 0;
    const char* TextDefault = "";
};

TKeyDef IntKey(const char* K, int32_t TzGeneralData::*F, int32_t D, TKeyKind Kind = kkInt)
{
    TKeyDef d{K, Kind};
    d.Int = F;
    d.IntDefault = D;
    return d;
}
TKeyDef BoolKey(const char* K, bool TzGeneralData::*F)
{
    TKeyDef d{K, kkBool};
    d.Bool = F;
    d.TextDefault = "FALSE";
    return d;
}
TKeyDef TextKey(const char* K, AnsiString TzGeneralData::*F, const char* D)
{
    TKeyDef d{K, kkText};
    d.Text = F;
    d.TextDefault = D;
    return d;
}
TKeyDef BevelKey(const char* K, TzControlBevel TzGeneralData::*F)
{
    TKeyDef d{K, kkBevel};
    d.Bevel = F;
    return d;
}

const std::vector<TKeyDef>& SectionKeys()
{
    using G = TzGeneralData;
    static const std::vector<TKeyDef> keys = {
        IntKey("COLOR", &G::Color, 0xFFFFFF, kkColor),
        BevelKey("BEVEL", &G::Bevel),
        IntKey("FONTCOLOR", &G::FontColor, 0),
        IntKey("TCLEFT", &G::TCLeft, -1),
        IntKey("TCTOP", &G::TCTop, -1),
        IntKey("TCRIGHT", &G::TCRight, -1),
        IntKey("TCBOTTOM", &G::TCBottom, -1),
        IntKey("HOTFONTCOLOR", &G::HotFontColor, 0),
        IntKey("HOTTCLEFT", &G::HotTCLeft, -1),
        IntKey("HOTTCTOP", &G::HotTCTop, -1),
        IntKey("HOTTCRIGHT", &G::HotTCRight, -1),
        IntKey("HOTTCBOTTOM", &G::HotTCBottom, -1),
        BoolKey("RESERVEDBOOLEAN", &G::ReservedBoolean),
        IntKey("SHADOWBLUR", &G::ShadowBlur, 6),
        IntKey("SHADOWCOLOR", &G::ShadowColor, 0, kkOwnInt),
        BoolKey("SHADOWENABLED", &G::ShadowEnabled),
        IntKey("SHADOWOFFSET", &G::ShadowOffset, 3),
        IntKey("SHADOWTRANSPARENCY", &G::ShadowTransparency, 50),
        IntKey("TRANSPARENCY", &G::Transparency, 0),
        IntKey("GRADIENTPERCENT", &G::GradientPercent, 0),
        TextKey("GRADIENTDATA", &G::GradientData, " "),
        IntKey("IMAGEPERCENT", &G::ImagePercent, 0),
        BoolKey("SHOWFOCUS", &G::ShowFocus),
        BoolKey("FADINGENABLED", &G::FadingEnabled),
        IntKey("FADINGINTERVALIN", &G::FadingIntervalIn, 5),
        IntKey("FADINGINTERVALOUT", &G::FadingIntervalOut, 5),
        IntKey("FADINGITERATIONS", &G::FadingIterations, 5),
        IntKey("HOTCOLOR", &G::HotColor, 0xFFFFFF),
        IntKey("HOTTRANSPARENCY", &G::HotTransparency, 0),
        BevelKey("HOTBEVEL", &G::HotBevel),
        IntKey("HOTGRADIENTPERCENT", &G::HotGradientPercent, 0),
        TextKey("HOTGRADIENTDATA", &G::HotGradientData, ""),
        IntKey("HOTIMAGEPERCENT", &G::HotImagePercent, 0),
        IntKey("BORDERCOLOR1", &G::BorderColor1, 0),
        IntKey("BORDERCOLOR2", &G::BorderColor2, 0),
    };
    return keys;
}

// The keys of the table, hashed once, and "PARENTCLASS" after them.
const std::vector<TSkOptionText::TKey>& SectionKeyNames()
{
    static const std::vector<TSkOptionText::TKey> names = [] {
        std::vector<TSkOptionText::TKey> v;
        for (const TKeyDef& k : SectionKeys())
            v.emplace_back(k.Key);
        v.emplace_back("PARENTCLASS");
        return v;
    }();
    return names;
}
size_t ParentKeyIndex() { return SectionKeys().size(); }

bool IsIntKind(TKeyKind K) { return K == kkInt || K == kkColor || K == kkOwnInt || K == kkBevel; }

inline void StoreInt(TzGeneralData& G, const TKeyDef& K, int V)
{
    switch (K.Kind) {
    case kkColor: G.*K.Int = ColorToRGB(V); break;
    // Values outside the five kinds are no bevel.
    case kkBevel: G.*K.Bevel = V >= cbNone && V <= cbLoweredHard ? TzControlBevel(V) : cbNone; break;
    default: G.*K.Int = V; break;
    }
}

void StoreText(TzGeneralData& G, const TKeyDef& K, string_view V)
{
    if (K.Kind == kkBool)
        G.*K.Bool = SameSkinName(V, "TRUE");
    else
        G.*K.Text = AnsiString(V);
}

void CopyValue(TzGeneralData& To, const TzGeneralData& From, const TKeyDef& K)
{
    switch (K.Kind) {
    case kkBevel: To.*K.Bevel = From.*K.Bevel; break;
    case kkBool: To.*K.Bool = From.*K.Bool; break;
    case kkText: To.*K.Text = From.*K.Text; break;
    default: To.*K.Int = From.*K.Int; break;
    }
}

void ParseGradients(TzGeneralData& G)
{
    ParseGradient(G.GradientData, G.GradientArray);
    ParseGradient(G.HotGradientData, G.HotGradientArray);
}

// ---------------------------------------------------------------------------------------
// Image files of one load: each read and decoded once. Every record gets its own picture:
// the last record to ask for a file takes the decoded picture itself, the others a copy.

constexpr int64_t MaxImageFileSize = 64 * 1024 * 1024;
constexpr int64_t MaxOptionTextSize = 16 * 1024 * 1024;

class TImageFiles {
public:
    explicit TImageFiles(const TSkImageSource& Source) : FSource(Source) {}

    // Another record will ask for the file: noted before any asks, so that the last to ask
    // takes the decoded picture itself.
    void Expect(string_view Name, bool Jpeg) { ++(Jpeg ? FJpegs : FBitmaps)[Name].Uses; }

    // A 24-bit bitmap of a bitmap file or, with Jpeg, of a JPEG picture; null when the file
    // is missing, empty or damaged. Each file is read and decoded once; every record gets a
    // picture of its own: the last one to ask takes the decoded one, the others a copy.
    std::unique_ptr<TBitmap> Take(string_view Name, bool Jpeg)
    {
        TFile& f = (Jpeg ? FJpegs : FBitmaps)[Name];
        if (!f.Decoded) {
            f.Bmp = Decode(AnsiString(Name), Jpeg);
            f.Decoded = true;
        }
        if (!f.Bmp)
            return nullptr;
        if (--f.Uses <= 0)
            return std::move(f.Bmp);
        auto b = std::make_unique<TBitmap>();
        b->Assign(f.Bmp.get());
        return b;
    }

    std::unique_ptr<TBitmap> Decode(const AnsiString& Name, bool Jpeg)
    {
        TMemoryStream own;
        TMemoryStream* bytes = &own;
        if (FSource.Packed) {
            const TSkImageItem* item = FSource.Packed->FindImage(Name);
            if (!item || !item->Data)
                return nullptr;
            bytes = item->Data.get();
        } else {
            WideString path = AnsiToWide(Name);
            if (Name.find(':') == AnsiString::npos)
                path = FSource.SkinPath + path;
            if (!ReadWholeFile(path, MaxImageFileSize, own))
                return nullptr;
        }
        const auto* data = static_cast<const uint8_t*>(bytes->Memory());
        size_t size = size_t(bytes->Size());
        if (!data || size == 0)
            return nullptr;
        try {
            std::unique_ptr<TBitmap> bmp;
            if (Jpeg) {
                // Straight into the bitmap: the picture is drawn once and the JPEG let go.
                bmp = DecodeJpegBitmap(data, size);
            } else {
                bmp = std::make_unique<TBitmap>();
                bmp->LoadFromMemory(data, size);
            }
            if (bmp->Empty())
                return nullptr;
            if (bmp->PixelFormat() != pf24bit)
                bmp->SetPixelFormat(pf24bit);
            return bmp;
        } catch (const Exception&) {
            return nullptr;   // a damaged picture skips its keys
        } catch (const std::bad_alloc&) {
            return nullptr;
        }
    }

private:
    struct TFile {
        int Uses = 0;
        bool Decoded = false;
        std::unique_ptr<TBitmap> Bmp;
    };
    // By the name as the option text writes it (the text outlives the load).
    using TFiles = std::unordered_map<string_view, TFile>;

    const TSkImageSource& FSource;
    TFiles FBitmaps;
    TFiles FJpegs;
};

// A mask record as its value reads, before it is added: its numbers, and its names and the
// file of its picture as views of the option text. The names are made once, in place, when
// the record is added.
struct TPendingMask {
    TzMaskData M;              // the numbers; no names or picture yet
    string_view Section;
    string_view Key;
    bool UpperNames = false;   // the record's names are these upper-cased
    string_view File;          // the picture's file; none: a rectangle of the master bitmap
    bool Jpeg = false;
};

// S as UpperCase makes it, into To.
void AssignUpper(AnsiString& To, string_view S)
{
    To.assign(S.data(), S.size());
    for (char& c : To)
        if (c >= 'a' && c <= 'z')
            c = char(c - 'a' + 'A');
}


} // namespace

// ---------------------------------------------------------------------------------------

class TSkSkinRecords::TLoader {
public:
    TLoader(TSkSkinRecords& Records, const TSkImageSource& Source) : R(Records), Files(Source) {}

    void ReadMasterBitmap(const TSkOptionText& Opt)
    {
        string_view name = Opt.ReadString("GLOBALINFO", "MASTERBITMAP", "");
        if (!name.empty())
            R.FMasterBitmap = Files.Decode(AnsiString(name), false);
    }

    // The images, then the textures, of every section: the records in that order.
    void ReadImagesAndTextures(const TSkOptionText& Opt)
    {
        std::vector<TPendingMask> pending, textures;
        pending.reserve(128);
        for (const auto& sec : Opt.Sections()) {
            bool global = SameSkinName(sec.Name, "GLOBALINFO");
            const TSkOptionText::TEntry* e = Opt.Entries(sec);
            for (uint32_t i = 0; i < sec.Count; ++i) {
                // What only a picture's value holds: a form character first, or a "#" or a
                // dot before an extension, noted when the text was read. Most values are
                // numbers and words, and end here without being looked at.
                uint8_t marks = e[i].Marks;
                if (!marks)
                    continue;
                string_view v = e[i].Value;
                bool form = marks & TSkOptionText::LeadsForm;
                bool hash = marks & TSkOptionText::HasHash, dot = marks & TSkOptionText::HasDot;
                string_view ext = dot ? FileExtOf(v) : string_view();
                // Every value naming a JPEG picture becomes a texture with a bitmap of its own.
                if (IsJpegExt(ext)) {
                    TPendingMask& s = textures.emplace_back();
                    s.Section = sec.Name;
                    s.Key = e[i].Key;
                    s.UpperNames = true;
                    s.File = v;
                    s.Jpeg = true;
                    s.M.ImgType = itisaTexture;
                    s.M.ImageCount = 1;
                }
                if (!(form || hash || IsBitmapExt(ext)) || (global && SameSkinName(e[i].Key, "MASTERBITMAP")))
                    continue;
                if (!ReadImageValue(sec.Name, e[i].Key, v, pending.emplace_back()))
                    pending.pop_back();
            }
        }
        AddAll(pending, textures);
    }

    // Gives the records their pictures and adds them, in order: the images, then the
    // textures.
    void AddAll(std::vector<TPendingMask>& Images, std::vector<TPendingMask>& Textures)
    {
        R.FMasks.reserve(R.FMasks.size() + Images.size() + Textures.size());
        for (const auto* list : {&Images, &Textures})
            for (const TPendingMask& s : *list)
                if (!s.File.empty())
                    Files.Expect(s.File, s.Jpeg);
        for (auto* list : {&Images, &Textures})
            for (TPendingMask& s : *list)
                AddPending(s);
    }

    // A pending record with its names and picture, when it has no picture to read or its
    // picture reads.
    void AddPending(TPendingMask& S)
    {
        size_t count = R.FMasks.size();
        try {
            std::unique_ptr<TBitmap> bmp;
            if (!S.File.empty()) {
                bmp = Files.Take(S.File, S.Jpeg);
                if (!bmp)
                    return;
            }
            TzMaskData& m = R.FMasks.emplace_back(std::move(S.M));
            m.Bmp = std::move(bmp);
            if (S.UpperNames) {
                AssignUpper(m.ClassName, S.Section);
                AssignUpper(m.PropertyName, S.Key);
            } else {
                m.ClassName.assign(S.Section.data(), S.Section.size());
                m.PropertyName.assign(S.Key.data(), S.Key.size());
            }
            if (!Settle(m, true))
                R.FMasks.pop_back();
        } catch (const Exception&) {
            // Out of system resources for one picture: its key is skipped.
            R.FMasks.resize(count);
        } catch (const std::bad_alloc&) {
            R.FMasks.resize(count);
        }
    }

    void ReadSections(const TSkOptionText& Opt)
    {
        const auto& keys = SectionKeys();
        const TSkKeyIndex index(Opt, SectionKeyNames());
        const auto& sections = Opt.Sections();
        R.FSections.reserve(R.FSections.size() + sections.size());
        for (size_t s = 0; s < sections.size(); ++s) {
            // Filled in place: a section record is large.
            TzGeneralData& g = R.FSections.emplace_back();
            g.ClassName = AnsiString(sections[s].Name);
            if (const string_view* p = index.Value(int(s), ParentKeyIndex()))
                g.ParentClass = AnsiString(*p);
            for (size_t i = 0; i < keys.size(); ++i) {
                const TKeyDef& k = keys[i];
                if (k.Kind == kkOwnInt) {
                    const string_view* v = index.Value(int(s), i);
                    int n = k.IntDefault;
                    if (v && !ParseIniInt(*v, n))
                        n = k.IntDefault;
                    StoreInt(g, k, n);
                } else if (IsIntKind(k.Kind)) {
                    int n = k.IntDefault;
                    Inherited(Opt, index, int(s), i, true, &n);
                    StoreInt(g, k, n);
                } else {
                    const string_view* v = Inherited(Opt, index, int(s), i, false, nullptr);
                    StoreText(g, k, v ? *v : string_view(k.TextDefault));
                }
            }
            ParseGradients(g);
        }
    }

    void ReadSkinData(const TSkOptionText& Opt)
    {
        TzSkinData& d = R.FSkinData;
        auto text = [&](const char* Key, const char* Default) { return Opt.ReadString("GLOBALINFO", Key, Default); };
        auto integer = [&](const char* Key, const char* Default) {
            int n;
            return ParseIniInt(text(Key, Default), n) ? n : StrToIntDef(Default, 0);
        };
        d.Version = ParseVersion(text("VERSION", "0"), 0);
        d.Author = AnsiString(text("AUTHOR", ""));
        d.Description = AnsiString(text("DESCRIPTION", ""));
        d.Shadow1Color = integer("SHADOW1COLOR", "0");
        d.Shadow1Offset = integer("SHADOW1OFFSET", "0");
        d.Shadow1Blur = integer("SHADOW1BLUR", "-1");
        d.Shadow1Transparency = integer("SHADOW1TRANSPARENCY", "0");
        d.BISpacing = integer("BISPACE", "0");
        d.BorderColor = integer("BORDERCOLOR", "0");
    }

    // A mask record given to the records, when Settle keeps it.
    void Add(TzMaskData M, bool MarginRule)
    {
        TzMaskData& m = R.FMasks.emplace_back(std::move(M));
        if (!Settle(m, MarginRule))
            R.FMasks.pop_back();
    }

    // Settles a mask record; false when it is to be dropped. A rectangle of the master bitmap
    // is kept as the skin states it, also past the bitmap's edges or with no master bitmap at
    // all: cutting it here would narrow the frames and move every state frame after the
    // first, so whoever reads pixels clips to the bitmap instead. Dropped are only rectangles
    // that state no picture (no width or height) and those beyond what a value can write,
    // which no bitmap could hold. MarginRule gives a border without margins a third of a
    // frame on each side, or its border width.
    bool Settle(TzMaskData& M, bool MarginRule)
    {
        if (M.Bmp) {
            M.R = TRect(0, 0, M.Bmp->Width(), M.Bmp->Height());
        } else {
            const TRect& r = M.R;
            if (!FitsInt16(r.Left) || !FitsInt16(r.Top) || !FitsInt16(r.Right) || !FitsInt16(r.Bottom) ||
                r.Right <= r.Left || r.Bottom <= r.Top)
                return false;
        }
        // Negative margins would turn the nine pieces inside out.
        M.BorderWidth = std::max<int16_t>(M.BorderWidth, 0);
        M.WL = std::max<int16_t>(M.WL, 0);
        M.WT = std::max<int16_t>(M.WT, 0);
        M.WR = std::max<int16_t>(M.WR, 0);
        M.WB = std::max<int16_t>(M.WB, 0);
        if (MarginRule && M.ImgType == itisaBorder && !M.WL && !M.WT && !M.WR && !M.WB) {
            if (M.BorderWidth != 0) {
                M.WL = M.WT = M.WR = M.WB = M.BorderWidth;
            } else {
                M.WL = M.WR = int16_t(M.R.Width() / (FrameCount(M) * 3));
                M.WT = M.WB = int16_t(M.R.Height() / (HalfCount(M) * 3));
            }
        }
        M.Manager = R.FManager;
        return true;
    }

private:
    // The value of a key in the section or, failing that, in its chain of parents. For
    // integers a value that is -1 or not a number counts as missing (the number found goes
    // to Number), for texts and Booleans the value "?". A chain of parents that comes back
    // to a section already read ends after as many steps as there are sections.
    const string_view* Inherited(const TSkOptionText& Opt, const TSkKeyIndex& Index, int Section, size_t Key,
                                 bool Integer, int* Number)
    {
        const auto& sections = Opt.Sections();
        for (size_t step = 0; Section >= 0 && step < sections.size(); ++step) {
            if (const string_view* v = Index.Value(Section, Key)) {
                if (Integer) {
                    int n;
                    if (ParseIniInt(*v, n) && n != -1) {
                        *Number = n;
                        return v;
                    }
                } else if (*v != "?") {
                    return v;
                }
            }
            Section = sections[size_t(Section)].Parent;
        }
        return nullptr;
    }

    // One image value in any of its forms; false when the key is not an image or does not
    // read as its form expects.
    bool ReadImageValue(string_view Section, string_view Key, string_view V, TPendingMask& S)
    {
        TzMaskData& M = S.M;
        int l, t, r, b;
        auto masterRect = [&]() {
            if (!Column(V, 2, 4, l) || !Column(V, 7, 4, t) || !Column(V, 12, 4, r) || !Column(V, 17, 4, b))
                return false;
            M.R = TRect(l, t, r, b);
            return true;
        };
        auto spelled = [&]() {
            S.Section = Section;
            S.Key = Key;
        };
        int a, c, d, e;
        switch (V[0]) {
        case '~':
            if (!masterRect() || !Column(V, 22, 2, a))
                return false;
            M.ImgType = itisaTexture;
            M.ImageCount = 1;
            M.DrawMode = int16_t(a);
            M.MaskType = 0;
            if (V.size() >= 25) {
                if (!Column(V, 25, 1, c))
                    return false;
                M.MaskType = int16_t(c);
            }
            spelled();
            return true;
        case '@':
            if (!masterRect() || !Column(V, 22, 1, a) || !Column(V, 24, 1, c))
                return false;
            M.ImgType = itisaGlyph;
            M.ImageCount = int16_t(a);
            M.MaskType = int16_t(c);
            spelled();
            return true;
        case '^': {
            int wl, wt, wr, wb;
            if (!masterRect() || !Column(V, 22, 4, wl) || !Column(V, 27, 4, wt) || !Column(V, 32, 4, wr) ||
                !Column(V, 37, 4, wb) || !Column(V, 42, 1, a) || !Column(V, 44, 1, c) ||
                !Column(V, 46, 1, d) || !Column(V, 48, 1, e))
                return false;
            M.ImgType = itisaBorder;
            M.WL = int16_t(wl);
            M.WT = int16_t(wt);
            M.WR = int16_t(wr);
            M.WB = int16_t(wb);
            M.ImageCount = int16_t(a);
            M.MaskType = int16_t(c);
            M.DrawMode = int16_t(d);
            M.BorderWidth = int16_t(e);
            spelled();
            return true;
        }
        case '!': {
            std::vector<string_view> w = SplitWords(V, "!");
            if (w.size() < 8 || w[0].find(".BMP") == string_view::npos)
                return false;
            int n[7];
            for (int i = 0; i < 7; ++i)
                if (!ParseDecimal(w[size_t(i) + 1], n[i]) || !FitsInt16(n[i]))
                    return false;
            if (n[2] < itisaBorder || n[2] > itisaGlyph)
                return false;
            M.ImageCount = int16_t(n[0]);
            M.MaskType = int16_t(n[1]);
            M.ImgType = TSkImgType(n[2]);
            M.WL = int16_t(n[3]);
            M.WT = int16_t(n[4]);
            M.WR = int16_t(n[5]);
            M.WB = int16_t(n[6]);
            S.File = w[0];
            spelled();
            return true;
        }
        default: break;
        }
        if (V.find('#') != string_view::npos && V != "#") {
            string_view rectWord, countWord;
            HashWords(V, rectWord, countWord);
            std::vector<int> rect, counts;
            if (!NumberList(rectWord, rect) || rect.size() < 4 || !NumberList(countWord, counts))
                return false;
            auto count = [&](size_t i, int Default) { return i < counts.size() ? counts[i] : Default; };
            S.Section = Section;
            S.Key = Key;
            S.UpperNames = true;
            M.R = TRect(rect[0], rect[1], rect[2], rect[3]);
            M.ImageCount = int16_t(count(0, 1));
            M.MaskType = int16_t(count(1, 0));
            M.BorderWidth = int16_t(count(2, 0));
            if (UpperCaseIs(Key, "PATTERN") || UpperCaseIs(Key, "HOTPATTERN")) {
                M.ImgType = itisaTexture;
                M.DrawMode = 0;
            } else {
                M.ImgType = itisaBorder;
                M.DrawMode = int16_t(count(3, 1));
            }
            return true;
        }
        if (IsBitmapExt(FileExtOf(V))) {
            S.Section = Section;
            S.Key = Key;
            S.UpperNames = true;
            M.ImgType = itisaBorder;
            M.ImageCount = 3;
            M.MaskType = 1;
            S.File = V;
            return true;
        }
        return false;   // colours, numbers and texts of the section keys
    }

public:
    TSkSkinRecords& R;
    TImageFiles Files;
};

// ---------------------------------------------------------------------------------------

void TSkSkinRecords::LoadFromOptions(const TMemIniFile& Options, const TSkImageSource& Source)
{
    TStringList lines;
    Options.GetStrings(&lines);
    LoadFromOptions(&lines, Source);
}

void TSkSkinRecords::LoadFromOptions(const TStrings* OptionText, const TSkImageSource& Source)
{
    Clear();
    try {
        TSkOptionText opt(OptionText);
        LoadFromOptionText(opt, Source);
    } catch (const std::bad_alloc&) {
        Reindex();
    }
}

void TSkSkinRecords::LoadFromOptionText(const char* Text, size_t Length, const TSkImageSource& Source)
{
    Clear();
    try {
        TSkOptionText opt(Text, Length);
        LoadFromOptionText(opt, Source);
    } catch (const std::bad_alloc&) {
        Reindex();
    }
}

void TSkSkinRecords::LoadFromPackedSkin(const TSkSkinConvertor* Convertor, const WideString& SkinPath)
{
    TMemoryStream* options = Convertor ? Convertor->Options.get() : nullptr;
    LoadFromOptionText(options ? static_cast<const char*>(options->Memory()) : nullptr,
                       options ? size_t(options->Size()) : 0, TSkImageSource{SkinPath, Convertor});
}

bool TSkSkinRecords::LoadFromSkinFolder(const WideString& SkinPath)
{
    TMemoryStream text;
    bool found = ReadWholeFile(SkinPath + L"Options.dat", MaxOptionTextSize, text);
    LoadFromOptionText(static_cast<const char*>(text.Memory()), size_t(text.Size()), TSkImageSource{SkinPath, nullptr});
    return found;
}

void TSkSkinRecords::LoadFromOptionText(const TSkOptionText& Opt, const TSkImageSource& Source)
{
    Clear();
    FSkinData.Version = 0;
    FSkinData.Author.clear();
    FSkinData.Description.clear();
    try {
        TLoader loader(*this, Source);
        loader.ReadMasterBitmap(Opt);
        loader.ReadImagesAndTextures(Opt);
        loader.ReadSections(Opt);
        loader.ReadSkinData(Opt);
    } catch (const Exception&) {
        // Out of system resources half-way (a bitmap the system would not make): what was
        // read stays, and the records are indexed below. The engine raises nothing of its
        // own: a skin that cannot be read whole is a partial or empty skin.
    } catch (const std::bad_alloc&) {
        // Out of memory half-way: the same.
    }
    Reindex();
}

// ---------------------------------------------------------------------------------------
// Common sections

namespace {

// An integer of common text; -1 and what does not convert count as missing.
bool CommonInt(const TStrings* Lines, const AnsiString& Key, int& Value)
{
    AnsiString s;
    return IniLineValue(Lines, Key, s) && IniTextToInt(s, Value) && Value != -1;
}

// A text of common text; "?" counts as missing.
bool CommonText(const TStrings* Lines, const AnsiString& Key, AnsiString& Value)
{
    return IniLineValue(Lines, Key, Value) && Value != "?";
}

} // namespace

void TSkSkinRecords::ApplyCommonSections(const TStrings* Lines, const TSkImageSource& Source)
{
    if (!Lines || Lines->Count() == 0)
        return;
    try {
        Reindex();
        TSkIniText text(Lines);
        const TStringList* sections = text.Sections();
        const auto& keys = SectionKeys();
        for (int i = 0; i < sections->Count(); ++i) {
            AnsiString name = sections->Strings(i);
            auto* lines = dynamic_cast<const TStrings*>(sections->Objects(i));
            int existing = FindSectionIndex(name);
            TzGeneralData g;
            const TzGeneralData* base = nullptr;
            if (existing >= 0) {
                g = FSections[size_t(existing)];
                AnsiString parent;
                if (CommonText(lines, "PARENTCLASS", parent))
                    g.ParentClass = parent;
            } else {
                g.ClassName = name;
                AnsiString parent = "-1";
                IniLineValue(lines, "PARENTCLASS", parent);
                g.ParentClass = UpperCase(parent);
                for (const TzGeneralData& s : FSections) {
                    if (UpperCase(s.ClassName) == g.ParentClass) {
                        base = &s;
                        break;
                    }
                }
            }
            for (const TKeyDef& k : keys) {
                int n = 0;
                AnsiString s;
                bool present = IsIntKind(k.Kind) ? CommonInt(lines, k.Key, n) : CommonText(lines, k.Key, s);
                if (present) {
                    if (IsIntKind(k.Kind))
                        StoreInt(g, k, n);
                    else
                        StoreText(g, k, s);
                } else if (existing < 0 && base && k.Kind != kkOwnInt) {
                    // One step to the parent record, no further.
                    CopyValue(g, *base, k);
                }
            }
            ParseGradients(g);
            if (existing >= 0) {
                FSections[size_t(existing)] = std::move(g);
            } else {
                FSections.push_back(std::move(g));
                Reindex();
            }
        }
        // The images and textures of the common text, over the skin's master bitmap.
        TSkOptionText opt(Lines);
        TLoader loader(*this, Source);
        loader.ReadImagesAndTextures(opt);
    } catch (const Exception&) {
        // Out of system resources half-way: the common sections applied so far stay, as
        // with the skin's own option text.
    } catch (const std::bad_alloc&) {
        // Out of memory half-way: the same.
    }
    Reindex();
}

// ---------------------------------------------------------------------------------------
// Internal skins kept as structured data

namespace {

// "colour left top right bottom"; another number of words, or a word that is no number,
// gives colour 0 and no outlines.
void ReadFontColors(const AnsiString& Text, int32_t& Color, int32_t& L, int32_t& T, int32_t& R, int32_t& B)
{
    std::vector<string_view> w = SplitWords(Text, " ");
    int v[5];
    bool ok = w.size() == 5;
    for (size_t i = 0; ok && i < 5; ++i)
        ok = ParseIniInt(w[i], v[i]);
    if (!ok) {
        Color = 0;
        L = T = R = B = -1;
        return;
    }
    Color = v[0];
    L = v[1];
    T = v[2];
    R = v[3];
    B = v[4];
}

} // namespace

void TSkSkinRecords::LoadFromStoredSkin(const TSkStoredSkinData& Stored)
{
    Clear();
    TSkImageSource none;
    TLoader loader(*this, none);
    try {
        if (Stored.MasterBitmap && !Stored.MasterBitmap->Empty()) {
            auto master = std::make_unique<TBitmap>();
            master->Assign(Stored.MasterBitmap);
            master->SetPixelFormat(pf24bit);
            FMasterBitmap = std::move(master);
        }
        for (const TSkStoredImage& i : Stored.Images) {
            try {
                TzMaskData m;
                m.ClassName = i.SectionName;
                m.PropertyName = i.PropertyName;
                m.ImageCount = ToShort(i.ImageCount);
                m.MaskType = ToShort(i.MaskType);
                m.BorderWidth = ToShort(i.BorderWidth);
                m.DrawMode = ToShort(i.StretchMode);
                m.ImgType = i.ImgType <= itisaGlyph ? i.ImgType : itisaBorder;
                m.WL = ToShort(i.WL);
                m.WT = ToShort(i.WT);
                m.WR = ToShort(i.WR);
                m.WB = ToShort(i.WB);
                if (i.Image && !i.Image->Empty()) {
                    m.Bmp = std::make_unique<TBitmap>();
                    m.Bmp->Assign(i.Image);
                    m.Bmp->SetPixelFormat(pf24bit);
                } else {
                    m.R = TRect(i.Left, i.Top, i.Right, i.Bottom);
                }
                if (m.ImageCount == 0) {
                    m.ImageCount = 3;
                    m.MaskType = 1;
                }
                loader.Add(std::move(m), false);
            } catch (const Exception&) {
                // The system would not copy the picture: this image is skipped, as a
                // damaged picture of a folder skin skips its key.
            } catch (const std::bad_alloc&) {
                // The same for want of memory; the images after it are still tried.
            }
        }
        for (const TSkStoredPattern& p : Stored.Patterns) {
            if (!p.Image || p.Image->Empty())
                continue;
            try {
                TzPatternData d;
                d.Img = std::make_unique<TJPEGImage>();
                d.Img->Assign(p.Image);
                d.ClassName = p.SectionName;
                d.PropertyName = p.PropertyName;
                FPatterns.push_back(std::move(d));
            } catch (const Exception&) {
                // A picture that would not copy: this texture is skipped.
            } catch (const std::bad_alloc&) {
                // The same for want of memory.
            }
        }
        for (const TSkStoredSection& s : Stored.Sections) {
            TzGeneralData g = s.Values;
            g.Color = ColorToRGB(g.Color);
            ReadFontColors(s.FontColor, g.FontColor, g.TCLeft, g.TCTop, g.TCRight, g.TCBottom);
            ReadFontColors(s.HotFontColor, g.HotFontColor, g.HotTCLeft, g.HotTCTop, g.HotTCRight, g.HotTCBottom);
            ParseGradients(g);
            FSections.push_back(std::move(g));
        }
    } catch (const Exception&) {
        // Out of system resources half-way (the master bitmap): what was read stays.
    } catch (const std::bad_alloc&) {
        // Out of memory half-way: the same.
    }
    FSkinData.Version = Stored.Version;
    FSkinData.Author = Stored.Author;
    FSkinData.Description = Stored.Description;
    FSkinData.Shadow1Color = Stored.Shadow1Color;
    FSkinData.Shadow1Offset = Stored.Shadow1Offset;
    FSkinData.Shadow1Blur = Stored.Shadow1Blur;
    FSkinData.Shadow1Transparency = Stored.Shadow1Transparency;
    FSkinData.BorderColor = Stored.BorderColor;
    FSkinData.BISpacing = 0;
    Reindex();
}

// ---------------------------------------------------------------------------------------
// Hue and saturation

namespace {

// Every pixel of a 24-bit bitmap that is neither the key colour nor grey goes through F.
void ChangePixels(TBitmap* Bmp, const std::function<TColor(TColor)>& F)
{
    if (!Bmp || Bmp->Empty())
        return;
    try {
        if (Bmp->PixelFormat() != pf24bit)
            Bmp->SetPixelFormat(pf24bit);
        TColor lastIn = -1, lastOut = 0;
        for (int y = 0; y < Bmp->Height(); ++y) {
            auto* p = static_cast<uint8_t*>(Bmp->ScanLine(y));
            for (int x = 0; x < Bmp->Width(); ++x, p += 3) {
                uint8_t b = p[0], g = p[1], r = p[2];
                if (r == g && g == b)
                    continue;
                TColor c = TColor(r | (g << 8) | (b << 16));
                if (c == SkinKeyColor)
                    continue;
                if (c != lastIn) {
                    lastIn = c;
                    lastOut = F(c);
                }
                p[0] = uint8_t(lastOut >> 16);
                p[1] = uint8_t(lastOut >> 8);
                p[2] = uint8_t(lastOut);
            }
        }
    } catch (const Exception&) {
        // The system would not make the picture 24-bit or give its pixels: this picture keeps
        // its colours, and the caller goes on with the others.
    } catch (const std::bad_alloc&) {
        // The same for want of memory.
    }
}

void ChangeIfSet(int32_t& C, const std::function<TColor(TColor)>& F)
{
    if (C != -1)
        C = F(C);
}

} // namespace

void TSkSkinRecords::ApplyHueAndSaturation(int HueOffset, int Saturation)
{
    std::vector<std::function<TColor(TColor)>> changes;
    if (HueOffset != 0)
        changes.push_back([HueOffset](TColor C) { return ChangeHue(HueOffset, C); });
    if (Saturation != 0) {
        int amount = (-Saturation) % 101;
        changes.push_back([amount](TColor C) { return ChangeSaturation(C, amount); });
    }
    for (const auto& f : changes) {
        ChangePixels(FMasterBitmap.get(), f);
        for (TzMaskData& m : FMasks)
            ChangePixels(m.Bmp.get(), f);
        for (TzGeneralData& g : FSections) {
            g.Color = f(g.Color);
            g.HotColor = f(g.HotColor);
            for (int32_t* c : {&g.FontColor, &g.TCLeft, &g.TCTop, &g.TCRight, &g.TCBottom, &g.HotFontColor,
                               &g.HotTCLeft, &g.HotTCTop, &g.HotTCRight, &g.HotTCBottom})
                ChangeIfSet(*c, f);
            for (TzGradArray* arr : {&g.GradientArray, &g.HotGradientArray}) {
                for (TzGradItem& step : *arr) {
                    step.Color1 = f(step.Color1);
                    step.Color2 = f(step.Color2);
                }
            }
        }
        FSkinData.Shadow1Color = f(FSkinData.Shadow1Color);
        FSkinData.BorderColor = f(FSkinData.BorderColor);
    }
}
