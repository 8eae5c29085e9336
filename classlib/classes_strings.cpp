// String lists: the abstract list with its text forms (lines, comma text, names and values)
// and the string list that keeps its strings, sorted or not.
#include "classlib/classes.h"

#include "classlib/strlistalgo.h"

#include <cstring>

// ---------------------------------------------------------------------------------------
// TStrings

Z_CLASS_IMPL(TStrings, TPersistent)

void TStrings::Error(const char* Msg, int Data) const
{
    zstrlist::StringListError(Msg, Data);
}

TObject* TStrings::GetObject(int) const
{
    return nullptr;
}

void TStrings::Put(int Index, const AnsiString& S)
{
    zstrlist::Put(*this, Index, S);
}

void TStrings::PutObject(int, TObject*) {}

AnsiString TStrings::GetTextStr() const
{
    return zstrlist::JoinLines(*this);
}

void TStrings::SetTextStr(const AnsiString& Value)
{
    TUpdateScope<TStrings> scope(this);
    Clear();
    size_t i = 0, n = Value.size();
    while (i < n) {
        size_t b = i;
        while (i < n && Value[i] != '\r' && Value[i] != '\n')
            ++i;
        Add(Value.substr(b, i - b));
        if (i < n && Value[i] == '\r')
            ++i;
        if (i < n && Value[i] == '\n')
            ++i;
    }
}

int TStrings::CompareStrings(const AnsiString& S1, const AnsiString& S2) const
{
    return AnsiCompareText(S1, S2);
}

int TStrings::Add(const AnsiString& S)
{
    return AddObject(S, nullptr);
}

int TStrings::AddObject(const AnsiString& S, TObject* AObject)
{
    int i = GetCount();
    InsertObject(i, S, AObject);
    return i;
}

void TStrings::AddStrings(const TStrings* Strings)
{
    zstrlist::AddStrings(*this, Strings);
}

void TStrings::Exchange(int Index1, int Index2)
{
    zstrlist::Exchange(*this, Index1, Index2);
}

int TStrings::IndexOf(const AnsiString& S) const
{
    return zstrlist::IndexOf(*this, S);
}

int TStrings::IndexOfName(const AnsiString& Name) const
{
    return zstrlist::IndexOfName(*this, Name);
}

int TStrings::IndexOfObject(TObject* AObject) const
{
    return zstrlist::IndexOfObject(*this, AObject);
}

void TStrings::InsertObject(int Index, const AnsiString& S, TObject* AObject)
{
    Insert(Index, S);
    PutObject(Index, AObject);
}

void TStrings::LoadFromFile(const AnsiString& FileName)
{
    OutOfMemoryAsError([&] {
        TFileStream stream(FileName, fmOpenRead | fmShareDenyWrite);
        LoadFromStream(&stream);
    });
}

void TStrings::LoadFromStream(TStream* Stream)
{
    TUpdateScope<TStrings> scope(this);
    OutOfMemoryAsError([&] {
        int64_t left = Stream->Size() - Stream->Position();
        AnsiString text;
        if (left > 0) {
            if (left > INT32_MAX)
                throw EOutOfMemory("Out of memory");
            text.resize(static_cast<size_t>(left));
            // A stream that ends sooner than its size says gives the text it has.
            int32_t got = 0;
            while (got < left) {
                int32_t n = Stream->Read(text.data() + got, static_cast<int32_t>(left) - got);
                if (n <= 0)
                    break;
                got += n;
            }
            text.resize(got);
        }
        SetTextStr(text);
    });
}

void TStrings::Move(int CurIndex, int NewIndex)
{
    zstrlist::Move(*this, CurIndex, NewIndex);
}

void TStrings::SaveToFile(const AnsiString& FileName)
{
    TFileStream stream(FileName, fmCreate);
    SaveToStream(&stream);
}

void TStrings::SaveToStream(TStream* Stream)
{
    AnsiString text = GetTextStr();
    Stream->WriteBuffer(text.data(), static_cast<int32_t>(text.size()));
}

bool TStrings::Equals(const TStrings* Strings) const
{
    return zstrlist::Equals(*this, Strings);
}

void TStrings::BeginUpdate()
{
    if (FUpdateCount++ == 0)
        SetUpdateState(true);
}

void TStrings::EndUpdate()
{
    if (FUpdateCount > 0 && --FUpdateCount == 0)
        SetUpdateState(false);
}

AnsiString TStrings::Names(int Index) const
{
    return zstrlist::NameOf(Get(Index), FNameValueSeparator);
}

AnsiString TStrings::ValueFromIndex(int Index) const
{
    return zstrlist::ValueFromIndex(*this, Index);
}

AnsiString TStrings::Values(const AnsiString& Name) const
{
    return ValueFromIndex(IndexOfName(Name));
}

void TStrings::SetValues(const AnsiString& Name, const AnsiString& Value)
{
    zstrlist::SetValue(*this, Name, Value);
}

namespace {
// The text ends at a zero byte.
void SplitDelimited(TStrings& List, const AnsiString& Value, char Delimiter, char Quote)
{
    const char* p = Value.c_str();
    zstrlist::SplitDelimited(List, p, p + std::strlen(p), Delimiter, Quote);
}
} // namespace

AnsiString TStrings::CommaText() const
{
    return zstrlist::JoinDelimited(*this, ',', '"');
}

void TStrings::SetCommaText(const AnsiString& Value)
{
    SplitDelimited(*this, Value, ',', '"');
}

AnsiString TStrings::DelimitedText() const
{
    return zstrlist::JoinDelimited(*this, FDelimiter, FQuoteChar);
}

void TStrings::SetDelimitedText(const AnsiString& Value)
{
    SplitDelimited(*this, Value, FDelimiter, FQuoteChar);
}

void TStrings::Assign(TPersistent* Source)
{
    if (auto* src = dynamic_cast<TStrings*>(Source)) {
        if (src == this)
            return;  // clearing first would lose every item
        zstrlist::ReplaceWith(*this, src, [&] {
            FDelimiter = src->FDelimiter;
            FQuoteChar = src->FQuoteChar;
            FNameValueSeparator = src->FNameValueSeparator;
        });
        return;
    }
    inherited::Assign(Source);
}

void TStrings::DefineProperties(TFiler* Filer)
{
    Filer->DefineProperty("Strings", MakeMethod<&TStrings::ReadData>(this),
                          MakeMethod<&TStrings::WriteData>(this), zstrlist::StoresStrings(Filer, *this));
}

void TStrings::ReadData(TReader* Reader)
{
    Reader->ReadListBegin();
    {
        TUpdateScope<TStrings> scope(this);
        Clear();
        while (!Reader->EndOfList())
            Add(Reader->ReadString());
    }
    Reader->ReadListEnd();
}

void TStrings::WriteData(TWriter* Writer)
{
    Writer->WriteListBegin();
    for (int i = 0, n = GetCount(); i < n; ++i)
        Writer->WriteString(Get(i));
    Writer->WriteListEnd();
}

// ---------------------------------------------------------------------------------------
// TStringList

Z_CLASS_IMPL(TStringList, TStrings)

TStringList::~TStringList()
{
    // The items go without events: whoever listened may be gone already.
    OnChange = nullptr;
    OnChanging = nullptr;
}

AnsiString TStringList::Get(int Index) const
{
    FList.CheckIndex(Index);
    return FList[Index].S;
}

TObject* TStringList::GetObject(int Index) const
{
    FList.CheckIndex(Index);
    return FList[Index].Obj;
}

void TStringList::Put(int Index, const AnsiString& S)
{
    if (FSorted)
        Error(zstrlist::SSortedListError, 0);
    FList.CheckIndex(Index);
    Changing();
    FList[Index].S = S;
    Changed();
}

void TStringList::PutObject(int Index, TObject* AObject)
{
    FList.CheckIndex(Index);
    Changing();
    FList[Index].Obj = AObject;
    Changed();
}

void TStringList::SetCapacity(int NewCapacity)
{
    FList.SetCapacity(NewCapacity);
}

void TStringList::SetUpdateState(bool Updating)
{
    FUpdating = Updating;
    if (Updating)
        Changing();
    else
        Changed();
}

int TStringList::CompareStrings(const AnsiString& S1, const AnsiString& S2) const
{
    return FCaseSensitive ? AnsiCompareStr(S1, S2) : AnsiCompareText(S1, S2);
}

void TStringList::SetTextStr(const AnsiString& Value)
{
    TUpdateScope<TStrings> scope(this);
    FList.Refill([&] { inherited::SetTextStr(Value); });
}

int TStringList::Add(const AnsiString& S)
{
    return AddObject(S, nullptr);
}

int TStringList::AddObject(const AnsiString& S, TObject* AObject)
{
    int index;
    if (zstrlist::AddIndex(*this, S, index))
        InsertItem(index, S, AObject);
    return index;
}

void TStringList::Clear()
{
    if (FList.Count() == 0)
        return;
    Changing();
    FList.Clear();
    Changed();
}

void TStringList::Delete(int Index)
{
    FList.CheckIndex(Index);
    Changing();
    FList.Delete(Index);
    Changed();
}

void TStringList::Exchange(int Index1, int Index2)
{
    FList.CheckIndex(Index1);
    FList.CheckIndex(Index2);
    Changing();
    FList.Exchange(Index1, Index2);
    Changed();
}

bool TStringList::Find(const AnsiString& S, int& Index) const
{
    return zstrlist::SortedFind(
        FList.Count(), [&](int I) { return CompareStrings(FList[I].S, S); }, FDuplicates == dupAccept, Index);
}

int TStringList::IndexOf(const AnsiString& S) const
{
    if (!FSorted)
        return TStrings::IndexOf(S);
    int i;
    return Find(S, i) ? i : -1;
}

int TStringList::IndexOfName(const AnsiString& Name) const
{
    if (!FSorted)
        return TStrings::IndexOfName(Name);
    int i = zstrlist::SortedIndexOfName(*this, Name);
    // The locale's order skips hyphens and apostrophes, so "a-b=1" may sort where the search
    // for "ab=" expects "ab=2": a miss is confirmed by looking at every item.
    return i >= 0 ? i : TStrings::IndexOfName(Name);
}

void TStringList::Insert(int Index, const AnsiString& S)
{
    InsertObject(Index, S, nullptr);
}

void TStringList::InsertObject(int Index, const AnsiString& S, TObject* AObject)
{
    if (FSorted)
        Error(zstrlist::SSortedListError, 0);
    if (Index < 0 || Index > GetCount())
        Error(zstrlist::SListIndexError, Index);
    InsertItem(Index, S, AObject);
}

void TStringList::Move(int CurIndex, int NewIndex)
{
    if (CurIndex != NewIndex && FSorted)
        Error(zstrlist::SSortedListError, 0);
    TStrings::Move(CurIndex, NewIndex);
}

void TStringList::Sort()
{
    CustomSort([](TStringList* List, int Index1, int Index2) {
        return List->CompareStrings(List->FList[Index1].S, List->FList[Index2].S);
    });
}

void TStringList::CustomSort(TStringListSortCompare Compare)
{
    if (FSorted || GetCount() < 2 || !Compare)
        return;
    Changing();
    QuickSort(0, GetCount() - 1, Compare);
    Changed();
}

void TStringList::QuickSort(int L, int R, TStringListSortCompare Compare)
{
    zstrlist::QuickSortIndexes(
        L, R, [&](int a, int b) { return Compare(this, a, b); }, [&](int a, int b) { FList.Exchange(a, b); });
}

void TStringList::SetSorted(bool Value)
{
    if (FSorted == Value)
        return;
    if (Value)
        Sort();
    FSorted = Value;
}

void TStringList::SetCaseSensitive(bool Value)
{
    if (FCaseSensitive == Value)
        return;
    FCaseSensitive = Value;
    // The order must follow the new comparison, or Find would search a list that is not
    // sorted by it.
    if (FSorted) {
        FSorted = false;
        Sort();
        FSorted = true;
    }
}

void TStringList::Changed()
{
    if (!FUpdating && OnChange)
        OnChange(this);
}

void TStringList::Changing()
{
    if (!FUpdating && OnChanging)
        OnChanging(this);
}

void TStringList::InsertItem(int Index, const AnsiString& S, TObject* AObject)
{
    Changing();
    FList.Insert(Index, S, AObject);
    Changed();
}
