// Objects, components, lists and collections: class information, persistent objects, the
// pointer list, components and their ownership, collections. String lists are in
// classes_strings.cpp, streams in classes_streams.cpp, form data in classes_filer.cpp and
// classes_writer.cpp, window procedures bound to objects in classes_objinst.cpp.
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
