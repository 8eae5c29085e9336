#include "classlib/inifiles.h"

#include <algorithm>
#include <unordered_map>

// Sections and keys are found through maps keyed by the upper-cased name, so that a skin's
// option text of some thousand values reads in linear time. Each section keeps its lines
// ("KEY=VALUE", or a bare line without '=') in file order; the key map points at the first
// line of each key, so the first of two equal keys is the one read.

namespace {
struct TIniSection {
    AnsiString Name;
    std::vector<AnsiString> Lines;
    mutable std::unordered_map<AnsiString, size_t> Keys;   // upper-cased key -> first line
    mutable bool KeysValid = true;

    static AnsiString KeyOf(const AnsiString& Line, bool& HasKey)
    {
        size_t p = Line.find('=');
        HasKey = p != AnsiString::npos;
        return HasKey ? Line.substr(0, p) : AnsiString();
    }

    // Index of the first line of Ident, or -1.
    int Find(const AnsiString& Ident) const
    {
        if (!KeysValid) {
            Keys.clear();
            for (size_t i = 0; i < Lines.size(); ++i) {
                bool has;
                AnsiString key = KeyOf(Lines[i], has);
                if (has)
                    Keys.emplace(AnsiUpperCase(key), i);
            }
            KeysValid = true;
        }
        auto it = Keys.find(AnsiUpperCase(Ident));
        return it == Keys.end() ? -1 : static_cast<int>(it->second);
    }

    void Add(const AnsiString& Line)
    {
        Lines.push_back(Line);
        bool has;
        AnsiString key = KeyOf(Line, has);
        if (has && KeysValid)
            Keys.emplace(AnsiUpperCase(key), Lines.size() - 1);
    }

    void Delete(int Index)
    {
        Lines.erase(Lines.begin() + Index);
        KeysValid = false;
    }
};
} // namespace

struct TMemIniFile::Impl {
    std::vector<std::unique_ptr<TIniSection>> Sections;
    std::unordered_map<AnsiString, TIniSection*> ByName;   // upper-cased name

    TIniSection* Find(const AnsiString& Name) const
    {
        auto it = ByName.find(AnsiUpperCase(Name));
        return it == ByName.end() ? nullptr : it->second;
    }

    TIniSection* FindOrAdd(const AnsiString& Name)
    {
        if (TIniSection* s = Find(Name))
            return s;
        auto sec = std::make_unique<TIniSection>();
        sec->Name = Name;
        TIniSection* p = sec.get();
        Sections.push_back(std::move(sec));
        ByName.emplace(AnsiUpperCase(Name), p);
        return p;
    }

    void Erase(const AnsiString& Name)
    {
        auto it = ByName.find(AnsiUpperCase(Name));
        if (it == ByName.end())
            return;
        TIniSection* p = it->second;
        ByName.erase(it);
        Sections.erase(std::find_if(Sections.begin(), Sections.end(),
                                    [&](const std::unique_ptr<TIniSection>& s) { return s.get() == p; }));
    }

    void Clear()
    {
        ByName.clear();
        Sections.clear();
    }
};

Z_CLASS_IMPL(TMemIniFile, TObject)

TMemIniFile::TMemIniFile(const AnsiString& FileName)
{
    OutOfMemoryAsError([&] {
        FImpl = std::make_unique<Impl>();
        FFileName = FileName;
        if (!FFileName.empty() && FileExists(FFileName)) {
            TStringList list;
            list.LoadFromFile(FFileName);
            SetStrings(&list);
        }
    });
}

TMemIniFile::~TMemIniFile() = default;

void TMemIniFile::Clear()
{
    FImpl->Clear();
}

void TMemIniFile::SetStrings(const TStrings* List)
{
    // The text goes into a new content that takes the old one's place only when whole: a
    // text that does not fit in memory leaves the old values.
    OutOfMemoryAsError([&] {
        auto content = std::make_unique<Impl>();
        TIniSection* section = nullptr;
        for (int i = 0; List && i < List->Count(); ++i) {
            AnsiString s = Trim(List->Strings(i));
            if (s.empty() || s[0] == ';')
                continue;
            if (s.size() >= 2 && s.front() == '[' && s.back() == ']') {
                // A section named twice continues the first one, so none of its keys is hidden.
                section = content->FindOrAdd(Trim(s.substr(1, s.size() - 2)));
                continue;
            }
            if (!section)
                continue;  // lines before the first section belong to none
            size_t p = s.find('=');
            if (p != AnsiString::npos)
                section->Add(Trim(s.substr(0, p)) + '=' + Trim(s.substr(p + 1)));
            else
                section->Add(s);
        }
        FImpl = std::move(content);
    });
}

void TMemIniFile::GetStrings(TStrings* List) const
{
    if (!List)
        return;
    TUpdateScope<TStrings> scope(List);
    for (const auto& sec : FImpl->Sections) {
        List->Add('[' + sec->Name + ']');
        for (const AnsiString& line : sec->Lines)
            List->Add(line);
        List->Add(AnsiString());
    }
}

bool TMemIniFile::SectionExists(const AnsiString& Section) const
{
    return FImpl->Find(Section) != nullptr;
}

bool TMemIniFile::ValueExists(const AnsiString& Section, const AnsiString& Ident) const
{
    const TIniSection* sec = FImpl->Find(Section);
    return sec && sec->Find(Ident) >= 0;
}

void TMemIniFile::ReadSections(TStrings* Strings) const
{
    TUpdateScope<TStrings> scope(Strings);
    Strings->Clear();
    for (const auto& sec : FImpl->Sections)
        Strings->Add(sec->Name);
}

void TMemIniFile::ReadSection(const AnsiString& Section, TStrings* Strings) const
{
    TUpdateScope<TStrings> scope(Strings);
    Strings->Clear();
    if (const TIniSection* sec = FImpl->Find(Section)) {
        for (const AnsiString& line : sec->Lines) {
            size_t p = line.find('=');
            if (p != AnsiString::npos)
                Strings->Add(line.substr(0, p));
        }
    }
}

void TMemIniFile::ReadSectionValues(const AnsiString& Section, TStrings* Strings) const
{
    TUpdateScope<TStrings> scope(Strings);
    Strings->Clear();
    if (const TIniSection* sec = FImpl->Find(Section))
        for (const AnsiString& line : sec->Lines)
            Strings->Add(line);
}

AnsiString TMemIniFile::ReadString(const AnsiString& Section, const AnsiString& Ident,
                                   const AnsiString& Default) const
{
    const TIniSection* sec = FImpl->Find(Section);
    if (!sec)
        return Default;
    int i = sec->Find(Ident);
    if (i < 0)
        return Default;
    const AnsiString& line = sec->Lines[i];
    return line.substr(line.find('=') + 1);
}

int TMemIniFile::ReadInteger(const AnsiString& Section, const AnsiString& Ident, int Default) const
{
    return StrToIntDef(ReadString(Section, Ident, AnsiString()), Default);
}

bool TMemIniFile::ReadBool(const AnsiString& Section, const AnsiString& Ident, bool Default) const
{
    return ReadInteger(Section, Ident, Default ? 1 : 0) != 0;
}

void TMemIniFile::WriteString(const AnsiString& Section, const AnsiString& Ident, const AnsiString& Value)
{
    TIniSection* sec = FImpl->FindOrAdd(Section);
    AnsiString line = Ident + '=' + Value;
    int i = sec->Find(Ident);
    if (i >= 0)
        sec->Lines[i] = line;
    else
        sec->Add(line);
}

void TMemIniFile::WriteInteger(const AnsiString& Section, const AnsiString& Ident, int Value)
{
    WriteString(Section, Ident, IntToStr(Value));
}

void TMemIniFile::WriteBool(const AnsiString& Section, const AnsiString& Ident, bool Value)
{
    WriteString(Section, Ident, Value ? "1" : "0");
}

void TMemIniFile::EraseSection(const AnsiString& Section)
{
    FImpl->Erase(Section);
}

void TMemIniFile::DeleteKey(const AnsiString& Section, const AnsiString& Ident)
{
    if (TIniSection* sec = FImpl->Find(Section)) {
        int i = sec->Find(Ident);
        if (i >= 0)
            sec->Delete(i);
    }
}

void TMemIniFile::UpdateFile()
{
    if (FFileName.empty())
        return;
    TStringList list;
    GetStrings(&list);
    list.SaveToFile(FFileName);
}
