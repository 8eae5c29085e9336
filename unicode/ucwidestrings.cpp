#include "unicode/ucwidestrings.h"

#include "classlib/strlistalgo.h"
#include "unicode/ucclasses.h"
#include "unicode/ucwidestrutils.h"

#include <climits>
#include <cstring>
#include <emmintrin.h>

Z_CLASS_IMPL(TWideStrings, TPersistent)

const WideChar* FindLineBreak(const WideChar* P, const WideChar* End)
{
    // Eight characters at a time: large texts are mostly long runs without a break.
    const __m128i cr = _mm_set1_epi16(L'\r');
    const __m128i lf = _mm_set1_epi16(L'\n');
    const __m128i ls = _mm_set1_epi16(0x2028);
    while (End - P >= 8) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(P));
        const __m128i hit =
            _mm_or_si128(_mm_or_si128(_mm_cmpeq_epi16(v, cr), _mm_cmpeq_epi16(v, lf)), _mm_cmpeq_epi16(v, ls));
        if (const int mask = _mm_movemask_epi8(hit))
            return P + (__builtin_ctz(static_cast<unsigned>(mask)) >> 1);
        P += 8;
    }
    while (P < End && *P != L'\r' && *P != L'\n' && *P != 0x2028)
        ++P;
    return P;
}

int CountWideTextLines(const WideString& Text)
{
    return SplitWideText(Text, [](const WideChar*, const WideChar*) {});
}

namespace {
// The first character of an ANSI character's wide form, in the default conversion.
WideChar WidenChar(char C)
{
    WideString w = AnsiToWide(AnsiString(1, C));
    return w.empty() ? WideChar(0) : w[0];
}

char NarrowChar(WideChar C)
{
    AnsiString a = WideToAnsi(WideString(1, C));
    return a.empty() ? '\0' : a[0];
}
} // namespace

TWideStrings::~TWideStrings()
{
    SetStringsAdapter(nullptr);
}

void TWideStrings::Error(const char* Msg, int Data) const
{
    zstrlist::StringListError(Msg, Data);
}

// ---------------------------------------------------------------------------------------
// The three characters

WideChar TWideStrings::DefinedChar(uint8_t Flag, WideChar& Field, WideChar Default) const
{
    if (!(FDefined & Flag)) {
        Field = Default;
        FDefined |= Flag;
    }
    return Field;
}

void TWideStrings::DefineChar(uint8_t Flag, WideChar& Field, WideChar Value)
{
    Field = Value;
    FDefined |= Flag;
}

WideChar TWideStrings::Delimiter() const { return DefinedChar(sdDelimiter, FDelimiter, L','); }
void TWideStrings::SetDelimiter(WideChar Value) { DefineChar(sdDelimiter, FDelimiter, Value); }
WideChar TWideStrings::QuoteChar() const { return DefinedChar(sdQuoteChar, FQuoteChar, L'"'); }
void TWideStrings::SetQuoteChar(WideChar Value) { DefineChar(sdQuoteChar, FQuoteChar, Value); }

WideChar TWideStrings::NameValueSeparator() const
{
    return DefinedChar(sdNameValueSeparator, FNameValueSeparator, L'=');
}

void TWideStrings::SetNameValueSeparator(WideChar Value)
{
    DefineChar(sdNameValueSeparator, FNameValueSeparator, Value);
}

void TWideStrings::SetStringsAdapter(IWideStringsAdapter* Value)
{
    if (FAdapter)
        FAdapter->ReleaseStrings();
    FAdapter = Value;
    if (FAdapter)
        FAdapter->ReferenceStrings(this);
}

// ---------------------------------------------------------------------------------------
// Assignment

void TWideStrings::Assign(TPersistent* Source)
{
    if (Source == this)
        return;
    if (auto* ws = dynamic_cast<TWideStrings*>(Source)) {
        zstrlist::ReplaceWith(*this, ws, [&] {
            FDefined = ws->FDefined;
            FDelimiter = ws->FDelimiter;
            FQuoteChar = ws->FQuoteChar;
            FNameValueSeparator = ws->FNameValueSeparator;
        });
        return;
    }
    if (auto* as = dynamic_cast<TStrings*>(Source)) {
        zstrlist::ReplaceWith(*this, as, [&] {
            SetDelimiter(WidenChar(as->Delimiter()));
            SetQuoteChar(WidenChar(as->QuoteChar()));
            SetNameValueSeparator(WidenChar(as->NameValueSeparator()));
        });
        return;
    }
    inherited::Assign(Source);
}

void TWideStrings::AssignTo(TPersistent* Dest)
{
    if (auto* ws = dynamic_cast<TWideStrings*>(Dest)) {
        ws->Assign(this);
        return;
    }
    if (auto* as = dynamic_cast<TStrings*>(Dest)) {
        TUpdateScope<TStrings> update(as);
        as->Clear();
        as->SetDelimiter(NarrowChar(Delimiter()));
        as->SetQuoteChar(NarrowChar(QuoteChar()));
        as->SetNameValueSeparator(NarrowChar(NameValueSeparator()));
        for (int i = 0, n = Count(); i < n; ++i)
            as->AddObject(WideToAnsi(Get(i)), GetObject(i));
        return;
    }
    inherited::AssignTo(Dest);
}

// ---------------------------------------------------------------------------------------
// Items

TObject* TWideStrings::GetObject(int) const
{
    return nullptr;
}

void TWideStrings::PutObject(int, TObject*) {}
void TWideStrings::SetCapacity(int) {}
void TWideStrings::SetUpdateState(bool) {}

int TWideStrings::CompareStrings(const WideString& S1, const WideString& S2) const
{
    return WideCompareText(S1, S2);
}

void TWideStrings::Put(int Index, const WideString& S)
{
    zstrlist::Put(*this, Index, S);
}

int TWideStrings::Add(const WideString& S)
{
    return AddObject(S, nullptr);
}

int TWideStrings::AddObject(const WideString& S, TObject* AObject)
{
    int index = GetCount();
    InsertObject(index, S, AObject);
    return index;
}

void TWideStrings::InsertObject(int Index, const WideString& S, TObject* AObject)
{
    Insert(Index, S);
    PutObject(Index, AObject);
}

void TWideStrings::AddStrings(const TStrings* Strings)
{
    zstrlist::AddStrings(*this, Strings, [](const AnsiString& S) { return AnsiToWide(S); });
}

void TWideStrings::AddStrings(const TWideStrings* Strings)
{
    zstrlist::AddStrings(*this, Strings);
}

void TWideStrings::Exchange(int Index1, int Index2)
{
    zstrlist::Exchange(*this, Index1, Index2);
}

void TWideStrings::Move(int CurIndex, int NewIndex)
{
    zstrlist::Move(*this, CurIndex, NewIndex);
}

int TWideStrings::IndexOf(const WideString& S) const
{
    return zstrlist::IndexOf(*this, S);
}

int TWideStrings::IndexOfName(const WideString& Name) const
{
    return zstrlist::IndexOfName(*this, Name);
}

int TWideStrings::IndexOfObject(TObject* AObject) const
{
    return zstrlist::IndexOfObject(*this, AObject);
}

bool TWideStrings::Equals(const TWideStrings* Strings) const
{
    return zstrlist::Equals(*this, Strings);
}

void TWideStrings::BeginUpdate()
{
    if (FUpdateCount == 0)
        SetUpdateState(true);
    ++FUpdateCount;
}

void TWideStrings::EndUpdate()
{
    // An end without a beginning must not leave a count below zero: the next bracket would
    // then no longer hold the change events back.
    if (FUpdateCount > 0 && --FUpdateCount == 0)
        SetUpdateState(false);
}

// ---------------------------------------------------------------------------------------
// Names and values

WideString TWideStrings::Names(int Index) const
{
    return zstrlist::NameOf(Get(Index), NameValueSeparator());
}

WideString TWideStrings::ValueFromIndex(int Index) const
{
    return zstrlist::ValueFromIndex(*this, Index);
}

void TWideStrings::SetValueFromIndex(int Index, const WideString& Value)
{
    if (!Value.empty()) {
        if (Index < 0)
            Index = Add(WideString());
        Put(Index, Names(Index) + NameValueSeparator() + Value);
    } else if (Index >= 0) {
        Delete(Index);
    }
}

WideString TWideStrings::Values(const WideString& Name) const
{
    return ValueFromIndex(IndexOfName(Name));
}

void TWideStrings::SetValues(const WideString& Name, const WideString& Value)
{
    zstrlist::SetValue(*this, Name, Value);
}

// ---------------------------------------------------------------------------------------
// Text

WideString TWideStrings::GetTextStr() const
{
    return zstrlist::JoinLines(*this);
}

WideChar* TWideStrings::GetText() const
{
    WideString s = GetTextStr();
    WideChar* buf = WideBufAlloc(s.size() + 1);
    std::memcpy(buf, s.c_str(), (s.size() + 1) * sizeof(WideChar));
    return buf;
}

void TWideStrings::SetTextStr(const WideString& Value)
{
    TWideStringsUpdate update(this);
    Clear();
    SetCapacity(CountWideTextLines(Value));
    SplitWideText(Value, [this](const WideChar* b, const WideChar* e) { Add(WideString(b, e)); });
}

void TWideStrings::SetText(const WideChar* Text)
{
    SetTextStr(Text ? WideString(Text) : WideString());
}

WideString TWideStrings::DelimitedText() const
{
    return zstrlist::JoinDelimited(*this, Delimiter(), QuoteChar());
}

WideString TWideStrings::CommaText() const
{
    return zstrlist::JoinDelimited(*this, L',', L'"');
}

void TWideStrings::SetCommaText(const WideString& Value)
{
    SetDelimiter(L',');
    SetQuoteChar(L'"');
    SetDelimitedText(Value);
}

// The whole text: a zero character is a blank like any control character.
void TWideStrings::SetDelimitedText(const WideString& Value)
{
    zstrlist::SplitDelimited(*this, Value.data(), Value.data() + Value.size(), Delimiter(), QuoteChar());
}

// ---------------------------------------------------------------------------------------
// Files and streams: bare UTF-16 little-endian at this level.

void TWideStrings::LoadFromFile(const WideString& FileName)
{
    TUcFileStream stream(FileName, fmOpenRead | fmShareDenyWrite);
    LoadFromStream(&stream);
}

void TWideStrings::LoadFromStream(TStream* Stream)
{
    TWideStringsUpdate update(this);
    int64_t size = Stream->Size() - Stream->Position();
    if (size > INT32_MAX)
        throw EOutOfMemory("Out of memory");
    WideString text;
    if (size >= 2) {
        text.resize(static_cast<size_t>(size / 2));
        Stream->ReadBuffer(text.data(), static_cast<int32_t>(text.size() * sizeof(WideChar)));
    }
    SetTextStr(text);
}

void TWideStrings::SaveToFile(const WideString& FileName)
{
    TUcFileStream stream(FileName, fmCreate);
    SaveToStream(&stream);
}

void TWideStrings::SaveToStream(TStream* Stream)
{
    WideString text = GetTextStr();
    if (text.size() > INT32_MAX / sizeof(WideChar))
        throw EWriteError("Stream write error");
    Stream->WriteBuffer(text.data(), static_cast<int32_t>(text.size() * sizeof(WideChar)));
}

// ---------------------------------------------------------------------------------------
// Form data: "Strings", a list of wide strings.

void TWideStrings::DefineProperties(TFiler* Filer)
{
    Filer->DefineProperty("Strings", MakeMethod<&TWideStrings::ReadData>(this),
                          MakeMethod<&TWideStrings::WriteData>(this), zstrlist::StoresStrings(Filer, *this));
}

namespace {
bool IsStringValue(TValueType v)
{
    return v == vaString || v == vaLString || v == vaWString || v == vaUTF8String;
}
} // namespace

void TWideStrings::ReadData(TReader* Reader)
{
    TWideStringsUpdate update(this);
    if (IsStringValue(Reader->NextValue())) {
        SetTextStr(Reader->ReadWideString());
        return;
    }
    Reader->ReadListBegin();
    Clear();
    while (!Reader->EndOfList())
        Add(Reader->ReadWideString());
    Reader->ReadListEnd();
}

void TWideStrings::WriteData(TWriter* Writer)
{
    Writer->WriteListBegin();
    for (int i = 0, n = GetCount(); i < n; ++i)
        Writer->WriteWideString(Get(i));
    Writer->WriteListEnd();
}
