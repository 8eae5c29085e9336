#include "classlib/classes.h"

#include "classlib/strlistalgo.h"

#include <algorithm>
#include <cstring>
#include <exception>
#include <map>

// ---------------------------------------------------------------------------------------
// Class information

const char* const zprop::BooleanNames[2] = {"False", "True"};

bool TClassInfo::InheritsFrom(const TClassInfo& Base) const
{
    for (const TClassInfo* c = this; c; c = c->Parent)
        if (c == &Base)
            return true;
    return false;
}

std::vector<const TPropInfo*> TClassInfo::AllProps() const
{
    std::vector<const TClassInfo*> chain;
    for (const TClassInfo* c = this; c; c = c->Parent)
        chain.push_back(c);
    std::vector<const TPropInfo*> out;
    for (auto it = chain.rbegin(); it != chain.rend(); ++it)
        for (const TPropInfo& p : (*it)->Props) {
            auto same = std::find_if(out.begin(), out.end(),
                                     [&p](const TPropInfo* q) { return SameText(q->Name, p.Name); });
            if (same != out.end())
                *same = &p;
            else
                out.push_back(&p);
        }
    return out;
}

const TPropInfo* TClassInfo::FindProp(const char* Name) const
{
    for (const TClassInfo* c = this; c; c = c->Parent)
        for (const TPropInfo& p : c->Props)
            if (SameText(p.Name, Name))
                return &p;
    return nullptr;
}

namespace {
struct CaseInsensitiveLess {
    bool operator()(const AnsiString& a, const AnsiString& b) const { return CompareText(a, b) < 0; }
};
std::map<AnsiString, const TClassInfo*, CaseInsensitiveLess>& ClassRegistry()
{
    static std::map<AnsiString, const TClassInfo*, CaseInsensitiveLess> registry;
    return registry;
}
} // namespace

void RegisterClass(const TClassInfo& Class)
{
    ClassRegistry()[Class.Name] = &Class;
}

const TClassInfo* GetClass(const AnsiString& Name)
{
    auto& r = ClassRegistry();
    auto it = r.find(Name);
    return it == r.end() ? nullptr : it->second;
}

const TClassInfo& FindClass(const AnsiString& Name)
{
    const TClassInfo* c = GetClass(Name);
    if (!c)
        throw EClassNotFound(Format("Class %s not found", Name.c_str()));
    return *c;
}

const TClassInfo& TObject::StaticClassInfo()
{
    static const TClassInfo info{"TObject", nullptr, {}, nullptr, nullptr};
    return info;
}

// ---------------------------------------------------------------------------------------
// TPersistent

Z_CLASS_IMPL(TPersistent, TObject)

void TPersistent::Assign(TPersistent* Source)
{
    if (Source)
        Source->AssignTo(this);
    else
        throw EConvertError(Format("Cannot assign a %s to a %s", "nil", ClassName()));
}

void TPersistent::AssignTo(TPersistent* Dest)
{
    throw EConvertError(Format("Cannot assign a %s to a %s", ClassName(), Dest ? Dest->ClassName() : "nil"));
}

void TPersistent::DefineProperties(TFiler*) {}

AnsiString TPersistent::GetNamePath()
{
    return ClassName();
}

// ---------------------------------------------------------------------------------------
// Shared helpers

namespace {

// Position of X in V, or -1.
template <class T, class U> int IndexIn(const std::vector<T>& V, const U& X)
{
    auto it = std::find(V.begin(), V.end(), X);
    return it == V.end() ? -1 : static_cast<int>(it - V.begin());
}

// Takes the element at From out and puts it back at To; both are valid indexes.
template <class T> void MoveWithin(std::vector<T>& V, int From, int To)
{
    T x = std::move(V[From]);
    V.erase(V.begin() + From);
    V.insert(V.begin() + To, std::move(x));
}

// Reserves room for Capacity elements; a smaller capacity gives memory back.
template <class T> void SetVectorCapacity(std::vector<T>& V, int Capacity)
{
    if (Capacity > static_cast<int>(V.capacity())) {
        V.reserve(Capacity);
    } else if (Capacity < static_cast<int>(V.capacity())) {
        std::vector<T> copy;
        copy.reserve(Capacity);
        copy.assign(V.begin(), V.end());
        V.swap(copy);
    }
}

[[noreturn]] void ListIndexError(int Index)
{
    throw EListError(Format(zstrlist::SListIndexError, Index));
}

} // namespace

// ---------------------------------------------------------------------------------------
// TList

Z_CLASS_IMPL(TList, TObject)

TList::~TList()
{
    Clear();
}

int TList::Add(void* Item)
{
    FList.push_back(Item);
    if (Item)
        Notify(Item, lnAdded);
    return Count() - 1;
}

void TList::Insert(int Index, void* Item)
{
    if (Index < 0 || Index > Count())
        ListIndexError(Index);
    FList.insert(FList.begin() + Index, Item);
    if (Item)
        Notify(Item, lnAdded);
}

void TList::Delete(int Index)
{
    void* item = Items(Index);
    FList.erase(FList.begin() + Index);
    if (item)
        Notify(item, lnDeleted);
}

int TList::Remove(void* Item)
{
    int i = IndexOf(Item);
    if (i >= 0)
        Delete(i);
    return i;
}

void* TList::Extract(void* Item)
{
    int i = IndexOf(Item);
    if (i < 0)
        return nullptr;
    FList.erase(FList.begin() + i);
    Notify(Item, lnExtracted);
    return Item;
}

void TList::Clear()
{
    SetCount(0);
    SetCapacity(0);
}

void TList::Exchange(int Index1, int Index2)
{
    if (Index1 < 0 || Index1 >= Count())
        ListIndexError(Index1);
    if (Index2 < 0 || Index2 >= Count())
        ListIndexError(Index2);
    std::swap(FList[Index1], FList[Index2]);
}

void TList::Move(int CurIndex, int NewIndex)
{
    if (CurIndex == NewIndex)
        return;
    if (NewIndex < 0 || NewIndex >= Count())
        ListIndexError(NewIndex);
    Items(CurIndex);   // checks the index
    MoveWithin(FList, CurIndex, NewIndex);
}

int TList::IndexOf(void* Item) const
{
    return IndexIn(FList, Item);
}

void* TList::Items(int Index) const
{
    if (Index < 0 || Index >= Count())
        ListIndexError(Index);
    return FList[Index];
}

void TList::SetItems(int Index, void* Item)
{
    void* old = Items(Index);
    if (old == Item)
        return;
    FList[Index] = Item;
    if (old)
        Notify(old, lnDeleted);
    if (Item)
        Notify(Item, lnAdded);
}

void* TList::First() const
{
    return Items(0);
}

void* TList::Last() const
{
    return Items(Count() - 1);
}

void TList::SetCount(int NewCount)
{
    if (NewCount < 0)
        throw EListError(Format("List count out of bounds (%d)", NewCount));
    if (NewCount >= Count()) {
        FList.resize(NewCount, nullptr);
        return;
    }
    // Shrinking deletes from the end so that every dropped item is notified.
    for (int i = Count() - 1; i >= NewCount; --i)
        Delete(i);
}

void TList::SetCapacity(int NewCapacity)
{
    if (NewCapacity < Count())
        throw EListError(Format(zstrlist::SListCapacityError, NewCapacity));
    SetVectorCapacity(FList, NewCapacity);
}

void TList::Pack()
{
    FList.erase(std::remove(FList.begin(), FList.end(), nullptr), FList.end());
}

void TList::Sort(TListSortCompare Compare)
{
    if (Count() > 1 && Compare)
        zstrlist::QuickSortIndexes(
            0, Count() - 1, [&](int a, int b) { return Compare(FList[a], FList[b]); },
            [&](int a, int b) { std::swap(FList[a], FList[b]); });
}

void TList::Notify(void*, TListNotification) {}

// ---------------------------------------------------------------------------------------
// TComponent

Z_CLASS_IMPL(TComponent, TPersistent, Z_PROP_STR(TComponent, Name), Z_PROP_INT(TComponent, Tag, 0))

namespace {
bool IsValidIdent(const AnsiString& S)
{
    auto alpha = [](char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_'; };
    if (S.empty() || !alpha(S[0]))
        return false;
    return std::all_of(S.begin() + 1, S.end(), [&](char c) { return alpha(c) || (c >= '0' && c <= '9'); });
}
} // namespace

TComponent::TComponent(TComponent* AOwner)
{
    if (AOwner)
        AOwner->InsertComponent(this);
}

TComponent::~TComponent()
{
    Destroying();
    // Exceptions cannot leave a destructor: a failing Notification of another component
    // must not stop this one from detaching itself everywhere.
    while (!FFreeNotifies.empty()) {
        TComponent* c = FFreeNotifies.back();
        FFreeNotifies.pop_back();
        c->RemoveNotification(this);
        try {
            c->Notification(this, opRemove);
        } catch (...) {
        }
    }
    FComponentState &= ~csFreeNotification;
    while (!FComponents.empty()) {
        try {
            DestroyComponents();
        } catch (...) {
        }
    }
    if (FOwner) {
        try {
            FOwner->RemoveComponent(this);
        } catch (...) {
        }
        if (FOwner)
            FOwner->Remove(this);
    }
}

TComponent* TComponent::Components(int Index) const
{
    if (Index < 0 || Index >= ComponentCount())
        ListIndexError(Index);
    return FComponents[Index];
}

int TComponent::ComponentIndex() const
{
    return FOwner ? IndexIn(FOwner->FComponents, this) : -1;
}

void TComponent::SetComponentIndex(int Value)
{
    int cur = ComponentIndex();
    if (cur < 0)
        return;
    auto& v = FOwner->FComponents;
    Value = std::clamp(Value, 0, static_cast<int>(v.size()) - 1);
    if (Value != cur)
        MoveWithin(v, cur, Value);
}

TComponent* TComponent::FindComponent(const AnsiString& AName) const
{
    if (AName.empty())
        return nullptr;
    for (TComponent* c : FComponents)
        if (SameText(c->FName, AName))
            return c;
    return nullptr;
}

void TComponent::SetName(const AnsiString& NewName)
{
    if (FName == NewName)
        return;
    if (!NewName.empty() && !IsValidIdent(NewName))
        throw EComponentError(Format("'%s' is not a valid component name", NewName.c_str()));
    if (FOwner)
        FOwner->ValidateRename(this, FName, NewName);
    else
        ValidateRename(nullptr, FName, NewName);
    FName = NewName;
}

void TComponent::ValidateRename(TComponent* AComponent, const AnsiString& CurName, const AnsiString& NewName)
{
    if (AComponent && !SameText(CurName, NewName) && AComponent->FOwner == this && FindComponent(NewName))
        throw EComponentError(Format("A component named %s already exists", NewName.c_str()));
    if (IsDesigning() && FOwner)
        FOwner->ValidateRename(AComponent, CurName, NewName);
}

void TComponent::InsertComponent(TComponent* AComponent)
{
    if (!AComponent || AComponent->FOwner == this)
        return;
    // The name is checked before the component leaves its old owner, so a refused move
    // leaves it where it was.
    if (FindComponent(AComponent->FName))
        throw EComponentError(Format("A component named %s already exists", AComponent->FName.c_str()));
    ValidateRename(AComponent, AnsiString(), AComponent->FName);
    if (AComponent->FOwner)
        AComponent->FOwner->RemoveComponent(AComponent);
    Insert(AComponent);
    if (IsDesigning())
        AComponent->SetDesigning(true);
    Notification(AComponent, opInsert);
}

void TComponent::RemoveComponent(TComponent* AComponent)
{
    if (!AComponent || AComponent->FOwner != this)
        return;
    ValidateRename(AComponent, AComponent->FName, AnsiString());
    Notification(AComponent, opRemove);
    Remove(AComponent);
}

void TComponent::Insert(TComponent* AComponent)
{
    FComponents.push_back(AComponent);
    AComponent->FOwner = this;
}

void TComponent::Remove(TComponent* AComponent)
{
    auto it = std::find(FComponents.begin(), FComponents.end(), AComponent);
    if (it != FComponents.end())
        FComponents.erase(it);
    AComponent->FOwner = nullptr;
}

void TComponent::DestroyComponents()
{
    while (!FComponents.empty()) {
        TComponent* c = FComponents.back();
        // Only components somebody watches are announced; the rest go quietly, as their
        // owner is going too.
        bool announce = (c->FComponentState & csFreeNotification) ||
                        (FComponentState & (csDesigning | csInline)) == (csDesigning | csInline);
        if (announce) {
            try {
                RemoveComponent(c);
            } catch (...) {
                if (c->FOwner == this)
                    Remove(c);
                delete c;
                throw;
            }
        } else {
            Remove(c);
        }
        delete c;
    }
}

void TComponent::Destroying()
{
    if (FComponentState & csDestroying)
        return;
    FComponentState |= csDestroying;
    for (TComponent* c : FComponents)
        c->Destroying();
}

void TComponent::FreeNotification(TComponent* AComponent)
{
    if (!AComponent || AComponent == this)
        return;
    if (std::find(FFreeNotifies.begin(), FFreeNotifies.end(), AComponent) == FFreeNotifies.end()) {
        FFreeNotifies.push_back(AComponent);
        AComponent->FreeNotification(this);
    }
    FComponentState |= csFreeNotification;
}

void TComponent::RemoveFreeNotification(TComponent* AComponent)
{
    if (!AComponent)
        return;
    RemoveNotification(AComponent);
    AComponent->RemoveNotification(this);
}

void TComponent::RemoveNotification(TComponent* AComponent)
{
    auto it = std::find(FFreeNotifies.begin(), FFreeNotifies.end(), AComponent);
    if (it == FFreeNotifies.end())
        return;
    FFreeNotifies.erase(it);
    if (FFreeNotifies.empty())
        FComponentState &= ~csFreeNotification;
}

void TComponent::Notification(TComponent* AComponent, TOperation Operation)
{
    if (Operation == opRemove && AComponent)
        RemoveFreeNotification(AComponent);
    // Every owned component hears of it too; a receiver may change the list, so the index is
    // pulled back inside it after each call.
    for (int i = ComponentCount() - 1; i >= 0;) {
        FComponents[i]->Notification(AComponent, Operation);
        --i;
        if (i >= ComponentCount())
            i = ComponentCount() - 1;
    }
}

void TComponent::Loaded()
{
    FComponentState &= ~csLoading;
}

void TComponent::GetChildren(TGetChildProc, TComponent*) {}

bool TComponent::ExecuteAction(TBasicAction*)
{
    return false;
}

bool TComponent::UpdateAction(TBasicAction*)
{
    return false;
}

void TComponent::SetDesigning(bool Value, bool SetChildren)
{
    SetComponentStateFlag(csDesigning, Value);
    if (SetChildren)
        for (TComponent* c : FComponents)
            c->SetDesigning(Value);
}

void TComponent::SetComponentStateFlag(TComponentStateFlag Flag, bool On)
{
    if (On)
        FComponentState |= Flag;
    else
        FComponentState &= ~static_cast<TComponentState>(Flag);
}

// ---------------------------------------------------------------------------------------
// Collections

Z_CLASS_IMPL(TCollectionItem, TPersistent)
Z_CLASS_IMPL(TCollection, TPersistent)
Z_CLASS_IMPL(TOwnedCollection, TCollection)

TCollectionItem::TCollectionItem(TCollection* Collection)
{
    SetCollection(Collection);
}

TCollectionItem::~TCollectionItem()
{
    if (FCollection) {
        try {
            FCollection->RemoveItem(this);
        } catch (...) {
            // An Update handler failed; the item is out of the list all the same.
        }
    }
}

void TCollectionItem::SetCollection(TCollection* Value)
{
    if (FCollection == Value)
        return;
    if (FCollection)
        FCollection->RemoveItem(this);
    if (Value)
        Value->InsertItem(this);
}

int TCollectionItem::Index() const
{
    return FCollection ? IndexIn(FCollection->FItems, this) : -1;
}

void TCollectionItem::SetIndex(int Value)
{
    int cur = Index();
    if (cur < 0 || cur == Value)
        return;
    auto& v = FCollection->FItems;
    if (Value < 0 || Value >= static_cast<int>(v.size()))
        ListIndexError(Value);
    MoveWithin(v, cur, Value);
    Changed(true);
}

AnsiString TCollectionItem::DisplayName() const
{
    return ClassName();
}

TPersistent* TCollectionItem::GetOwner()
{
    return FCollection;
}

AnsiString TCollectionItem::GetNamePath()
{
    if (!FCollection)
        return ClassName();
    return Format("%s[%d]", FCollection->GetNamePath().c_str(), Index());
}

void TCollectionItem::Changed(bool AllItems)
{
    if (FCollection && FCollection->FUpdateCount == 0)
        FCollection->Update(AllItems ? nullptr : this);
}

TCollection::TCollection(const TClassInfo& ItemClass) : FItemClass(&ItemClass) {}

TCollection::~TCollection()
{
    // No Update while the items go: the collection is going too.
    FUpdateCount = 1;
    while (!FItems.empty())
        delete FItems.back();
}

TCollectionItem* TCollection::Add()
{
    if (!FItemClass->CreateItem)
        throw EInvalidOperation(Format("Cannot create an item of class %s", FItemClass->Name));
    // The update bracket holds Update back until the item is complete.
    TUpdateScope<TCollection> scope(this);
    TCollectionItem* item = FItemClass->CreateItem(this);
    Added(item);
    return item;
}

TCollectionItem* TCollection::Insert(int Index)
{
    if (Index < 0 || Index > Count())
        ListIndexError(Index);
    TUpdateScope<TCollection> scope(this);
    TCollectionItem* item = Add();
    item->SetIndex(Index);
    return item;
}

void TCollection::Delete(int Index)
{
    delete Items(Index);
}

void TCollection::Clear()
{
    if (FItems.empty())
        return;
    TUpdateScope<TCollection> scope(this);
    while (!FItems.empty())
        delete FItems.back();
}

TCollectionItem* TCollection::Items(int Index) const
{
    if (Index < 0 || Index >= Count())
        ListIndexError(Index);
    return FItems[Index];
}

TCollectionItem* TCollection::FindItemID(int ID) const
{
    for (TCollectionItem* item : FItems)
        if (item->FID == ID)
            return item;
    return nullptr;
}

void TCollection::BeginUpdate()
{
    ++FUpdateCount;
}

void TCollection::EndUpdate()
{
    if (FUpdateCount > 0)
        --FUpdateCount;
    Changed();
}

void TCollection::Assign(TPersistent* Source)
{
    if (auto* src = dynamic_cast<TCollection*>(Source)) {
        if (src == this)
            return;  // clearing first would lose every item
        TUpdateScope<TCollection> scope(this);
        Clear();
        for (int i = 0; i < src->Count(); ++i)
            Add()->Assign(src->Items(i));
        return;
    }
    inherited::Assign(Source);
}

void TCollection::Update(TCollectionItem*) {}

void TCollection::Changed()
{
    if (FUpdateCount == 0)
        Update(nullptr);
}

void TCollection::InsertItem(TCollectionItem* Item)
{
    FItems.push_back(Item);
    Item->FCollection = this;
    Item->FID = FNextID++;
    Changed();
}

void TCollection::RemoveItem(TCollectionItem* Item)
{
    auto detach = [&] {
        auto it = std::find(FItems.begin(), FItems.end(), Item);
        if (it != FItems.end())
            FItems.erase(it);
        Item->FCollection = nullptr;
    };
    try {
        Deleting(Item);
    } catch (...) {
        detach();  // the item goes anyway; the list must not keep a pointer to it
        throw;
    }
    detach();
    Changed();
}

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
