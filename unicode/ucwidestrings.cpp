#include "unicode/ucwidestrings.h"

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
    throw EStringListError(Format(Msg, Data));
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
        TWideStringsUpdate update(this);
        Clear();
        FDefined = ws->FDefined;
        FDelimiter = ws->FDelimiter;
        FQuoteChar = ws->FQuoteChar;
        FNameValueSeparator = ws->FNameValueSeparator;
        AddStrings(ws);
        return;
    }
    if (auto* as = dynamic_cast<TStrings*>(Source)) {
        TWideStringsUpdate update(this);
        Clear();
        SetDelimiter(WidenChar(as->Delimiter()));
        SetQuoteChar(WidenChar(as->QuoteChar()));
        SetNameValueSeparator(WidenChar(as->NameValueSeparator()));
        AddStrings(as);
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
        as->BeginUpdate();
        try {
            as->Clear();
            as->SetDelimiter(NarrowChar(Delimiter()));
            as->SetQuoteChar(NarrowChar(QuoteChar()));
            as->SetNameValueSeparator(NarrowChar(NameValueSeparator()));
            for (int i = 0, n = Count(); i < n; ++i)
                as->AddObject(WideToAnsi(Get(i)), GetObject(i));
        } catch (...) {
            as->EndUpdate();
            throw;
        }
        as->EndUpdate();
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
    TWideStringsUpdate update(this);
    TObject* obj = GetObject(Index);
    Delete(Index);
    InsertObject(Index, S, obj);
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
    TWideStringsUpdate update(this);
    for (int i = 0, n = Strings->Count(); i < n; ++i)
        AddObject(AnsiToWide(Strings->Strings(i)), Strings->Objects(i));
}

void TWideStrings::AddStrings(const TWideStrings* Strings)
{
    TWideStringsUpdate update(this);
    for (int i = 0, n = Strings->Count(); i < n; ++i)
        AddObject(Strings->Get(i), Strings->GetObject(i));
}

void TWideStrings::Exchange(int Index1, int Index2)
{
    TWideStringsUpdate update(this);
    TObject* tempObject = GetObject(Index1);
    WideString tempString = Get(Index1);
    Put(Index1, Get(Index2));
    PutObject(Index1, GetObject(Index2));
    Put(Index2, tempString);
    PutObject(Index2, tempObject);
}

void TWideStrings::Move(int CurIndex, int NewIndex)
{
    if (CurIndex == NewIndex)
        return;
    TWideStringsUpdate update(this);
    WideString tempString = Get(CurIndex);
    TObject* tempObject = GetObject(CurIndex);
    Delete(CurIndex);
    InsertObject(NewIndex, tempString, tempObject);
}

int TWideStrings::IndexOf(const WideString& S) const
{
    for (int i = 0, n = GetCount(); i < n; ++i)
        if (CompareStrings(Get(i), S) == 0)
            return i;
    return -1;
}

int TWideStrings::IndexOfName(const WideString& Name) const
{
    const WideChar sep = NameValueSeparator();
    for (int i = 0, n = GetCount(); i < n; ++i) {
        WideString s = Get(i);
        size_t p = s.find(sep);
        if (p != WideString::npos && CompareStrings(s.substr(0, p), Name) == 0)
            return i;
    }
    return -1;
}

int TWideStrings::IndexOfObject(TObject* AObject) const
{
    for (int i = 0, n = GetCount(); i < n; ++i)
        if (GetObject(i) == AObject)
            return i;
    return -1;
}

bool TWideStrings::Equals(const TWideStrings* Strings) const
{
    int n = GetCount();
    if (n != Strings->GetCount())
        return false;
    for (int i = 0; i < n; ++i)
        if (Get(i) != Strings->Get(i))
            return false;
    return true;
}

void TWideStrings::BeginUpdate()
{
    if (FUpdateCount == 0)
        SetUpdateState(true);
    ++FUpdateCount;
}

void TWideStrings::EndUpdate()
{
    --FUpdateCount;
    if (FUpdateCount == 0)
        SetUpdateState(false);
}

// ---------------------------------------------------------------------------------------
// Names and values

WideString TWideStrings::Names(int Index) const
{
    WideString s = Get(Index);
    size_t p = s.find(NameValueSeparator());
    return p == WideString::npos ? WideString() : s.substr(0, p);
}

WideString TWideStrings::ValueFromIndex(int Index) const
{
    WideString s = Get(Index);
    size_t p = s.find(NameValueSeparator());
    return p == WideString::npos ? WideString() : s.substr(p + 1);
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
    int i = IndexOfName(Name);
    return i >= 0 ? ValueFromIndex(i) : WideString();
}

void TWideStrings::SetValues(const WideString& Name, const WideString& Value)
{
    int i = IndexOfName(Name);
    if (!Value.empty()) {
        if (i < 0)
            i = Add(WideString());
        Put(i, Name + NameValueSeparator() + Value);
    } else if (i >= 0) {
        Delete(i);
    }
}

// ---------------------------------------------------------------------------------------
// Text

WideString TWideStrings::GetTextStr() const
{
    const int n = GetCount();
    // Items of a concrete list come back as copies; take them once.
    std::vector<WideString> items(static_cast<size_t>(n));
    size_t total = 0;
    for (int i = 0; i < n; ++i) {
        items[static_cast<size_t>(i)] = Get(i);
        total += items[static_cast<size_t>(i)].size() + 2;
    }
    WideString result;
    result.resize(total);
    WideChar* p = result.data();
    for (const WideString& s : items) {
        std::memcpy(p, s.data(), s.size() * sizeof(WideChar));
        p += s.size();
        *p++ = L'\r';
        *p++ = L'\n';
    }
    return result;
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

namespace {
bool NeedsQuotes(const WideString& s, WideChar delimiter, WideChar quote)
{
    for (WideChar c : s)
        if (c <= L' ' || c == quote || c == delimiter)
            return true;
    return false;
}

WideString QuotedStr(const WideString& s, WideChar quote)
{
    WideString r(1, quote);
    for (WideChar c : s) {
        r += c;
        if (c == quote)
            r += quote;
    }
    r += quote;
    return r;
}
} // namespace

namespace {
WideString JoinDelimited(const TWideStrings& list, WideChar delimiter, WideChar quote)
{
    const int n = list.Count();
    // A single empty item still needs its quotes, or it would read back as no item.
    if (n == 1 && list.Strings(0).empty())
        return WideString(2, quote);
    WideString result;
    for (int i = 0; i < n; ++i) {
        WideString s = list.Strings(i);
        if (i > 0)
            result += delimiter;
        result += NeedsQuotes(s, delimiter, quote) ? QuotedStr(s, quote) : s;
    }
    return result;
}
} // namespace

WideString TWideStrings::DelimitedText() const
{
    return JoinDelimited(*this, Delimiter(), QuoteChar());
}

WideString TWideStrings::CommaText() const
{
    return JoinDelimited(*this, L',', L'"');
}

void TWideStrings::SetCommaText(const WideString& Value)
{
    SetDelimiter(L',');
    SetQuoteChar(L'"');
    SetDelimitedText(Value);
}

void TWideStrings::SetDelimitedText(const WideString& Value)
{
    const WideChar delimiter = Delimiter();
    const WideChar quote = QuoteChar();
    TWideStringsUpdate update(this);
    Clear();
    size_t i = 0;
    const size_t n = Value.size();
    auto skipBlanks = [&] {
        while (i < n && Value[i] <= L' ')
            ++i;
    };
    skipBlanks();
    while (i < n) {
        WideString item;
        if (Value[i] == quote) {
            ++i;
            while (i < n) {
                if (Value[i] == quote) {
                    if (i + 1 < n && Value[i + 1] == quote) {
                        item += quote;
                        i += 2;
                        continue;
                    }
                    ++i;
                    break;
                }
                item += Value[i++];
            }
        } else {
            size_t start = i;
            while (i < n && Value[i] > L' ' && Value[i] != delimiter)
                ++i;
            item.assign(Value, start, i - start);
        }
        Add(item);
        skipBlanks();
        if (i < n && Value[i] == delimiter) {
            ++i;
            skipBlanks();
            // A delimiter at the very end stands before one more, empty item.
            if (i >= n)
                Add(WideString());
        }
    }
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
    bool doWrite;
    if (TPersistent* ancestor = Filer->Ancestor()) {
        auto* wideAncestor = dynamic_cast<TWideStrings*>(ancestor);
        doWrite = !wideAncestor || !Equals(wideAncestor);
    } else {
        doWrite = GetCount() > 0;
    }
    Filer->DefineProperty("Strings", MakeMethod<&TWideStrings::ReadData>(this),
                          MakeMethod<&TWideStrings::WriteData>(this), doWrite);
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
