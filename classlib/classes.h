// Objects, method pointers, persistent objects, components, collections, lists, string
// lists, streams and form data: the core of the class library.
#pragma once

#include "classlib/messages.h"
#include "classlib/strlistitems.h"
#include "classlib/sysutils.h"

#include <cstddef>
#include <cstdint>
#include <exception>
#include <memory>
#include <type_traits>
#include <utility>
#include <vector>

class TObject;
class TPersistent;
class TComponent;
class TCollection;
class TCollectionItem;
class TStream;
class TFiler;
class TReader;
class TWriter;
class TStrings;
class TBasicAction;

// ---------------------------------------------------------------------------------------
// Method pointers: an object and one of its member functions. Two method pointers are equal
// when they name the same member function of the same object, so a subclasser can tell
// whether its own handler is still the one installed.

template <typename Sig> class TMethod;

template <typename R, typename... A> class TMethod<R(A...)> {
public:
    using Code = R (*)(void*, A...);

    TMethod() = default;
    TMethod(std::nullptr_t) {}
    TMethod(void* data, Code code) : FData(data), FCode(code) {}

    // MakeMethod<&TFoo::Bar>(foo) is the usual way to build one.
    template <auto MF, class C> static TMethod Bind(C* obj)
    {
        return TMethod(static_cast<void*>(obj), &Thunk<MF, C>);
    }

    R operator()(A... args) const { return FCode(FData, std::forward<A>(args)...); }
    explicit operator bool() const { return FCode != nullptr; }
    bool Assigned() const { return FCode != nullptr; }
    bool operator==(const TMethod& o) const { return FData == o.FData && FCode == o.FCode; }
    bool operator!=(const TMethod& o) const { return !(*this == o); }
    void* Data() const { return FData; }
    Code CodePtr() const { return FCode; }

private:
    template <auto MF, class C> static R Thunk(void* d, A... args)
    {
        return (static_cast<C*>(d)->*MF)(std::forward<A>(args)...);
    }
    void* FData = nullptr;
    Code FCode = nullptr;
};

namespace zdetail {
template <class T> struct MemberSig;
template <class C, class R, class... A> struct MemberSig<R (C::*)(A...)> {
    using Class = C;
    using Sig = R(A...);
};
template <class C, class R, class... A> struct MemberSig<R (C::*)(A...) const> {
    using Class = const C;
    using Sig = R(A...);
};
} // namespace zdetail

template <auto MF>
auto MakeMethod(typename zdetail::MemberSig<decltype(MF)>::Class* obj)
{
    using Traits = zdetail::MemberSig<decltype(MF)>;
    return TMethod<typename Traits::Sig>::template Bind<MF>(
        const_cast<std::remove_const_t<typename Traits::Class>*>(obj));
}

using TNotifyEvent = TMethod<void(TObject* Sender)>;

// ---------------------------------------------------------------------------------------
// Class information: name, parent, published properties and a factory, so that form data
// can name classes, create components and collection items, and walk published properties.

enum TTypeKind : uint8_t {
    tkUnknown, tkInteger, tkChar, tkEnumeration, tkFloat, tkString, tkSet, tkClass, tkMethod,
    tkWChar, tkLString, tkWString, tkVariant, tkArray, tkRecord, tkInterface, tkInt64, tkDynArray
};

// One published property. Which accessors are set depends on Kind:
//  ordinal kinds (tkInteger, tkChar, tkWChar, tkEnumeration, tkSet, tkInt64): GetOrd/SetOrd;
//    Boolean is tkEnumeration with the names "False" and "True";
//  tkLString: GetStr/SetStr; tkWString: GetWStr/SetWStr; tkFloat: GetFloat/SetFloat;
//  tkClass: GetObj returns the object the property holds: a persistent owned by the
//    instance (a string list, a font, a collection), written nested; when IsComponentRef is
//    set it is a reference to another component, written by name and set through SetObj.
struct TPropInfo {
    const char* Name = nullptr;
    TTypeKind Kind = tkUnknown;
    int64_t (*GetOrd)(const TObject*) = nullptr;
    void (*SetOrd)(TObject*, int64_t) = nullptr;
    AnsiString (*GetStr)(const TObject*) = nullptr;
    void (*SetStr)(TObject*, const AnsiString&) = nullptr;
    WideString (*GetWStr)(const TObject*) = nullptr;
    void (*SetWStr)(TObject*, const WideString&) = nullptr;
    double (*GetFloat)(const TObject*) = nullptr;
    void (*SetFloat)(TObject*, double) = nullptr;
    TObject* (*GetObj)(const TObject*) = nullptr;
    void (*SetObj)(TObject*, TObject*) = nullptr;
    bool IsComponentRef = false;
    const char* const* EnumNames = nullptr; // enumeration values, or set elements
    int EnumCount = 0;
    bool HasDefault = false;                 // ordinal properties equal to Default are not written
    int64_t Default = 0;
    bool (*IsStored)(const TObject*) = nullptr; // optional: false means not written
};

struct TClassInfo {
    const char* Name;
    const TClassInfo* Parent;
    std::vector<TPropInfo> Props;  // the class's own published properties, not inherited ones
    TComponent* (*CreateComponent)(TComponent* Owner);        // null unless a concrete component
    TCollectionItem* (*CreateItem)(TCollection* Collection);  // null unless a concrete item

    bool InheritsFrom(const TClassInfo& Base) const;
    // Every published property, the root class's first. A property a class publishes again
    // under the same name (a wide Caption over an ANSI one) takes the place of the inherited
    // one.
    std::vector<const TPropInfo*> AllProps() const;
    const TPropInfo* FindProp(const char* Name) const;   // case-insensitive, inherited included
};

// Declares the class information of a class; the class body continues with its own access
// specifier. Z_CLASS_IMPL in the source defines it with the published properties.
#define Z_CLASS(Name, Parent)                                                  \
public:                                                                        \
    using inherited = Parent;                                                  \
    static const TClassInfo& StaticClassInfo();                               \
    const TClassInfo& ClassInfo() const override { return StaticClassInfo(); }

namespace zdetail {
template <class C> TComponent* NewComponent(TComponent* owner);
template <class C> TCollectionItem* NewItem(TCollection* c);
template <class C> constexpr auto ComponentFactory()
{
    if constexpr (std::is_base_of_v<TComponent, C> && !std::is_abstract_v<C> &&
                  std::is_constructible_v<C, TComponent*>)
        return &NewComponent<C>;
    else
        return static_cast<TComponent* (*)(TComponent*)>(nullptr);
}
template <class C> constexpr auto ItemFactory()
{
    if constexpr (std::is_base_of_v<TCollectionItem, C> && !std::is_abstract_v<C> &&
                  std::is_constructible_v<C, TCollection*>)
        return &NewItem<C>;
    else
        return static_cast<TCollectionItem* (*)(TCollection*)>(nullptr);
}
template <class C> TComponent* NewComponent(TComponent* owner) { return new C(owner); }
template <class C> TCollectionItem* NewItem(TCollection* c) { return new C(c); }
} // namespace zdetail

// Z_CLASS_IMPL(TFoo, TBar, Z_PROP_INT(TFoo, Size, 0), Z_PROP_STR(TFoo, Caption))
#define Z_CLASS_IMPL(Name, Parent, ...)                                                   \
    const TClassInfo& Name::StaticClassInfo()                                             \
    {                                                                                     \
        static const TClassInfo info{#Name, &Parent::StaticClassInfo(),                   \
                                     std::vector<TPropInfo>{__VA_ARGS__},                 \
                                     zdetail::ComponentFactory<Name>(),                   \
                                     zdetail::ItemFactory<Name>()};                       \
        return info;                                                                      \
    }

// Property table entries. Getter X() and setter SetX(v) of class C, as everywhere here. A
// getter need not be const: some ask a window for the value.
namespace zprop {
template <class C> C* Self(const TObject* o) { return const_cast<C*>(static_cast<const C*>(o)); }
template <class C, auto G, auto S>
TPropInfo Ord(const char* name, TTypeKind kind, bool hasDef, int64_t def,
              const char* const* names = nullptr, int count = 0)
{
    TPropInfo p;
    p.Name = name;
    p.Kind = kind;
    p.GetOrd = [](const TObject* o) -> int64_t { return static_cast<int64_t>((Self<C>(o)->*G)()); };
    p.SetOrd = [](TObject* o, int64_t v) {
        using Arg = std::remove_cvref_t<decltype((Self<C>(o)->*G)())>;
        (static_cast<C*>(o)->*S)(static_cast<Arg>(v));
    };
    p.HasDefault = hasDef;
    p.Default = def;
    p.EnumNames = names;
    p.EnumCount = count;
    return p;
}
template <class C, auto G, auto S> TPropInfo Str(const char* name)
{
    TPropInfo p;
    p.Name = name;
    p.Kind = tkLString;
    p.GetStr = [](const TObject* o) -> AnsiString { return (Self<C>(o)->*G)(); };
    p.SetStr = [](TObject* o, const AnsiString& v) { (static_cast<C*>(o)->*S)(v); };
    return p;
}
template <class C, auto G, auto S> TPropInfo WStr(const char* name)
{
    TPropInfo p;
    p.Name = name;
    p.Kind = tkWString;
    p.GetWStr = [](const TObject* o) -> WideString { return (Self<C>(o)->*G)(); };
    p.SetWStr = [](TObject* o, const WideString& v) { (static_cast<C*>(o)->*S)(v); };
    return p;
}
template <class C, auto G, auto S> TPropInfo Float(const char* name)
{
    TPropInfo p;
    p.Name = name;
    p.Kind = tkFloat;
    p.GetFloat = [](const TObject* o) -> double { return (Self<C>(o)->*G)(); };
    p.SetFloat = [](TObject* o, double v) { (static_cast<C*>(o)->*S)(v); };
    return p;
}
// An owned persistent (string list, font, collection): read and written in place.
template <class C, auto G> TPropInfo Obj(const char* name)
{
    TPropInfo p;
    p.Name = name;
    p.Kind = tkClass;
    p.GetObj = [](const TObject* o) -> TObject* {
        return const_cast<TObject*>(static_cast<const TObject*>((static_cast<const C*>(o)->*G)()));
    };
    return p;
}
// A reference to another component, written by its name.
template <class C, auto G, auto S, class T> TPropInfo Ref(const char* name)
{
    TPropInfo p = Obj<C, G>(name);
    p.IsComponentRef = true;
    p.SetObj = [](TObject* o, TObject* v) { (static_cast<C*>(o)->*S)(dynamic_cast<T*>(v)); };
    return p;
}
extern const char* const BooleanNames[2];
} // namespace zprop

#define Z_PROP_INT(C, X, Def) zprop::Ord<C, &C::X, &C::Set##X>(#X, tkInteger, true, (Def))
#define Z_PROP_INT_ND(C, X) zprop::Ord<C, &C::X, &C::Set##X>(#X, tkInteger, false, 0)
#define Z_PROP_BOOL(C, X, Def) \
    zprop::Ord<C, &C::X, &C::Set##X>(#X, tkEnumeration, true, (Def) ? 1 : 0, zprop::BooleanNames, 2)
#define Z_PROP_ENUM(C, X, Names, Def) \
    zprop::Ord<C, &C::X, &C::Set##X>(#X, tkEnumeration, true, (Def), (Names), int(std::size(Names)))
#define Z_PROP_SET(C, X, Names, Def) \
    zprop::Ord<C, &C::X, &C::Set##X>(#X, tkSet, true, (Def), (Names), int(std::size(Names)))
#define Z_PROP_CHAR(C, X, Def) zprop::Ord<C, &C::X, &C::Set##X>(#X, tkChar, true, (Def))
#define Z_PROP_WCHAR(C, X, Def) zprop::Ord<C, &C::X, &C::Set##X>(#X, tkWChar, true, (Def))
#define Z_PROP_STR(C, X) zprop::Str<C, &C::X, &C::Set##X>(#X)
#define Z_PROP_WSTR(C, X) zprop::WStr<C, &C::X, &C::Set##X>(#X)
#define Z_PROP_FLOAT(C, X) zprop::Float<C, &C::X, &C::Set##X>(#X)
#define Z_PROP_OBJ(C, X) zprop::Obj<C, &C::X>(#X)
#define Z_PROP_REF(C, X, T) zprop::Ref<C, &C::X, &C::Set##X, T>(#X)

// Classes that form data may create by name (children of a stored component).
void RegisterClass(const TClassInfo& Class);
const TClassInfo* GetClass(const AnsiString& Name);   // null when not registered
const TClassInfo& FindClass(const AnsiString& Name);  // EClassNotFound "Class %s not found"

// ---------------------------------------------------------------------------------------

class TObject {
public:
    virtual ~TObject() = default;
    static const TClassInfo& StaticClassInfo();
    virtual const TClassInfo& ClassInfo() const { return StaticClassInfo(); }
    const char* ClassName() const { return ClassInfo().Name; }
    const TClassInfo* ClassParent() const { return ClassInfo().Parent; }
    bool InheritsFrom(const TClassInfo& c) const { return ClassInfo().InheritsFrom(c); }
};

// Frees an object and clears the pointer that held it.
template <class T> void FreeAndNil(T*& p)
{
    T* q = p;
    p = nullptr;
    delete q;
}

class TPersistent : public TObject {
    Z_CLASS(TPersistent, TObject)
public:
    // Copies Source into this object; the default asks Source->AssignTo(this), and raises
    // EConvertError "Cannot assign a %s to a %s" when neither side knows the other.
    virtual void Assign(TPersistent* Source);
    virtual void AssignTo(TPersistent* Dest);
    // Properties of the object's own kind in form data, beside the published ones.
    virtual void DefineProperties(TFiler* Filer);
    virtual TPersistent* GetOwner() { return nullptr; }
    virtual AnsiString GetNamePath();
};

// A flag raised for a scope and put back as it was, also when an exception leaves.
class TFlagScope {
public:
    explicit TFlagScope(bool& Flag) : FFlag(Flag), FSaved(Flag) { FFlag = true; }
    ~TFlagScope() { FFlag = FSaved; }
    TFlagScope(const TFlagScope&) = delete;
    TFlagScope& operator=(const TFlagScope&) = delete;

private:
    bool& FFlag;
    bool FSaved;
};

// Bits of a flags value set (or cleared) for a scope. At the end exactly those bits are put
// back as they were, also when an exception leaves; other bits changed meanwhile stay so.
template <class T> class TBitsScope {
public:
    TBitsScope(T& Flags, T Bits, bool Set = true) : FFlags(Flags), FBits(Bits), FSaved(static_cast<T>(Flags & Bits))
    {
        FFlags = Set ? static_cast<T>(FFlags | FBits) : static_cast<T>(FFlags & ~FBits);
    }
    ~TBitsScope() { FFlags = static_cast<T>((FFlags & ~FBits) | FSaved); }
    TBitsScope(const TBitsScope&) = delete;
    TBitsScope& operator=(const TBitsScope&) = delete;

private:
    T& FFlags;
    T FBits;
    T FSaved;
};

// Runs Action at the end of the scope, also when an exception leaves, unless Release() said
// it is no longer needed (the undoing of a step that went well). While an exception is
// already on its way out, an exception from Action is dropped: a second one would end the
// program.
template <class F> class TScopeExit {
public:
    explicit TScopeExit(F Action) : FAction(std::move(Action)), FPending(std::uncaught_exceptions()) {}
    ~TScopeExit() noexcept(false)
    {
        if (!FActive)
            return;
        if (std::uncaught_exceptions() > FPending) {
            try {
                FAction();
            } catch (...) {
            }
        } else {
            FAction();
        }
    }
    TScopeExit(const TScopeExit&) = delete;
    TScopeExit& operator=(const TScopeExit&) = delete;
    void Release() { FActive = false; }

private:
    F FAction;
    int FPending;
    bool FActive = true;
};

// BeginUpdate now, EndUpdate at the end of the scope, for anything with that pair (string
// lists, collections). While an exception is already on its way out, an exception from
// EndUpdate (an OnChange handler) is dropped: a second one would end the program.
template <class T> class TUpdateScope {
public:
    explicit TUpdateScope(T* Target) : FTarget(Target), FPending(std::uncaught_exceptions())
    {
        FTarget->BeginUpdate();
    }
    ~TUpdateScope() noexcept(false)
    {
        if (std::uncaught_exceptions() > FPending) {
            try {
                FTarget->EndUpdate();
            } catch (...) {
            }
        } else {
            FTarget->EndUpdate();
        }
    }
    TUpdateScope(const TUpdateScope&) = delete;
    TUpdateScope& operator=(const TUpdateScope&) = delete;

private:
    T* FTarget;
    int FPending;
};

// ---------------------------------------------------------------------------------------
// Lists

enum TListNotification { lnAdded, lnExtracted, lnDeleted };
using TListSortCompare = int (*)(void* Item1, void* Item2);

class TList : public TObject {
    Z_CLASS(TList, TObject)
public:
    ~TList() override;
    int Add(void* Item);
    void Insert(int Index, void* Item);
    void Delete(int Index);
    int Remove(void* Item);
    void* Extract(void* Item);
    void Clear();
    void Exchange(int Index1, int Index2);
    void Move(int CurIndex, int NewIndex);
    int IndexOf(void* Item) const;
    void* Items(int Index) const;          // EListError "List index out of bounds (%d)"
    void SetItems(int Index, void* Item);
    void* First() const;
    void* Last() const;
    int Count() const { return static_cast<int>(FList.size()); }
    void SetCount(int NewCount);
    int Capacity() const { return static_cast<int>(FList.capacity()); }
    void SetCapacity(int NewCapacity);
    void Pack();
    void Sort(TListSortCompare Compare);
    void** List() { return FList.data(); }

protected:
    virtual void Notify(void* Ptr, TListNotification Action);

private:
    std::vector<void*> FList;
};

// ---------------------------------------------------------------------------------------
// Components

enum TComponentStateFlag : uint32_t {
    csLoading = 1u << 0,
    csReading = 1u << 1,
    csWriting = 1u << 2,
    csDestroying = 1u << 3,
    csDesigning = 1u << 4,
    csAncestor = 1u << 5,
    csUpdating = 1u << 6,
    csFixups = 1u << 7,
    csFreeNotification = 1u << 8,
    csInline = 1u << 9,
};
using TComponentState = uint32_t;

enum TOperation { opInsert, opRemove };

using TGetChildProc = TMethod<void(TComponent* Child)>;

class TComponent : public TPersistent {
    Z_CLASS(TComponent, TPersistent)
public:
    explicit TComponent(TComponent* AOwner);
    // Tells the free-notification list, frees the owned components, leaves the owner.
    // A descendant whose owned components call back into it while they go calls
    // DestroyComponents() from its own destructor first.
    ~TComponent() override;
    // Owned components and notification lists belong to one object only.
    TComponent(const TComponent&) = delete;
    TComponent& operator=(const TComponent&) = delete;

    // The step after construction, run once the most derived constructor has finished: what
    // needs the whole object (virtual calls that must reach the descendant). Whoever makes a
    // component with new calls it right after (MakeComponent does both); form data calls it
    // for every component it creates. The default does nothing.
    virtual void AfterConstruction() {}

    TComponent* Owner() const { return FOwner; }
    int ComponentCount() const { return static_cast<int>(FComponents.size()); }
    TComponent* Components(int Index) const;
    int ComponentIndex() const;
    void SetComponentIndex(int Value);
    TComponent* FindComponent(const AnsiString& AName) const;   // case-insensitive

    const AnsiString& Name() const { return FName; }
    // EComponentError "'%s' is not a valid component name" or
    // "A component named %s already exists".
    virtual void SetName(const AnsiString& NewName);
    int32_t Tag() const { return FTag; }
    void SetTag(int32_t Value) { FTag = Value; }
    TComponentState ComponentState() const { return FComponentState; }
    bool IsLoading() const { return FComponentState & csLoading; }
    bool IsDesigning() const { return FComponentState & csDesigning; }
    bool IsDestroying() const { return FComponentState & csDestroying; }

    void InsertComponent(TComponent* AComponent);
    void RemoveComponent(TComponent* AComponent);
    void DestroyComponents();
    void Destroying();   // sets csDestroying here and in every owned component

    // AComponent is told (Notification opRemove) when this component goes, and this one
    // when AComponent goes.
    void FreeNotification(TComponent* AComponent);
    void RemoveFreeNotification(TComponent* AComponent);
    virtual void Notification(TComponent* AComponent, TOperation Operation);

    virtual void Loaded();
    virtual void ReadState(TReader* Reader);
    virtual void WriteState(TWriter* Writer);
    virtual void GetChildren(TGetChildProc Proc, TComponent* Root);
    virtual TComponent* GetChildOwner() { return nullptr; }
    virtual TComponent* GetChildParent() { return this; }
    virtual TComponent* GetParentComponent() { return nullptr; }
    virtual bool HasParent() { return false; }
    virtual void SetParentComponent(TComponent*) {}
    virtual void SetChildOrder(TComponent*, int) {}
    // The component as the target of an action (the action unit asks): True when it
    // executed or updated the action itself. The defaults say no.
    virtual bool ExecuteAction(TBasicAction* Action);
    virtual bool UpdateAction(TBasicAction* Action);
    TPersistent* GetOwner() override { return FOwner; }
    AnsiString GetNamePath() override { return FName; }

    void SetDesigning(bool Value, bool SetChildren = true);
    void SetComponentStateFlag(TComponentStateFlag Flag, bool On);

protected:
    virtual void ValidateRename(TComponent* AComponent, const AnsiString& CurName,
                                const AnsiString& NewName);
    // Field made Value, the free notification moved from the component it named to Value, so
    // that Notification hears when the component now named is freed. False when Field already
    // named Value.
    template <class T> bool ReplaceLink(T*& Field, T* Value)
    {
        if (Field == Value)
            return false;
        if (Field)
            Field->RemoveFreeNotification(this);
        Field = Value;
        if (Value)
            Value->FreeNotification(this);
        return true;
    }

private:
    void Insert(TComponent* AComponent);
    void Remove(TComponent* AComponent);
    void RemoveNotification(TComponent* AComponent);

    TComponent* FOwner = nullptr;
    AnsiString FName;
    int32_t FTag = 0;
    TComponentState FComponentState = 0;
    std::vector<TComponent*> FComponents;
    std::vector<TComponent*> FFreeNotifies;
};

// A new component: constructed, then its AfterConstruction. The owner given among the
// arguments owns it as usual; an exception from AfterConstruction frees it again.
template <class T, class... A> T* MakeComponent(A&&... Args)
{
    std::unique_ptr<T> c(new T(std::forward<A>(Args)...));
    c->AfterConstruction();
    return c.release();
}

// ---------------------------------------------------------------------------------------
// Collections

class TCollectionItem : public TPersistent {
    Z_CLASS(TCollectionItem, TPersistent)
public:
    explicit TCollectionItem(TCollection* Collection);
    ~TCollectionItem() override;
    TCollectionItem(const TCollectionItem&) = delete;
    TCollectionItem& operator=(const TCollectionItem&) = delete;
    TCollection* Collection() const { return FCollection; }
    void SetCollection(TCollection* Value);
    int ID() const { return FID; }
    int Index() const;
    virtual void SetIndex(int Value);
    virtual AnsiString DisplayName() const;
    TPersistent* GetOwner() override;
    AnsiString GetNamePath() override;

protected:
    // Tells the collection; AllItems when the change concerns every item.
    void Changed(bool AllItems);

private:
    friend class TCollection;
    TCollection* FCollection = nullptr;
    int FID = 0;
};

class TCollection : public TPersistent {
    Z_CLASS(TCollection, TPersistent)
public:
    explicit TCollection(const TClassInfo& ItemClass);
    ~TCollection() override;
    TCollection(const TCollection&) = delete;   // the items belong to one collection
    TCollection& operator=(const TCollection&) = delete;

    TCollectionItem* Add();
    TCollectionItem* Insert(int Index);
    void Delete(int Index);
    void Clear();
    int Count() const { return static_cast<int>(FItems.size()); }
    TCollectionItem* Items(int Index) const;   // EListError "List index out of bounds (%d)"
    TCollectionItem* FindItemID(int ID) const;
    const TClassInfo& ItemClass() const { return *FItemClass; }
    void BeginUpdate();
    void EndUpdate();
    int UpdateCount() const { return FUpdateCount; }
    void Assign(TPersistent* Source) override;
    TPersistent* GetOwner() override { return nullptr; }

protected:
    // Called after a change of Item, or of the whole collection when Item is null.
    virtual void Update(TCollectionItem* Item);
    void Changed();
    virtual void Added(TCollectionItem*) {}
    virtual void Deleting(TCollectionItem*) {}

private:
    friend class TCollectionItem;
    void InsertItem(TCollectionItem* Item);
    void RemoveItem(TCollectionItem* Item);
    const TClassInfo* FItemClass;
    std::vector<TCollectionItem*> FItems;
    int FUpdateCount = 0;
    int FNextID = 0;
};

// A collection that answers its owner, for name paths and form data.
class TOwnedCollection : public TCollection {
    Z_CLASS(TOwnedCollection, TCollection)
public:
    TOwnedCollection(TPersistent* AOwner, const TClassInfo& ItemClass)
        : TCollection(ItemClass), FOwner(AOwner) {}
    TPersistent* GetOwner() override { return FOwner; }

private:
    TPersistent* FOwner;
};

// ---------------------------------------------------------------------------------------
// ANSI string lists

enum TDuplicates { dupIgnore, dupAccept, dupError };

// Horizontal placement of a control's text.
enum TAlignment : uint8_t { taLeftJustify, taRightJustify, taCenter };

class TStrings : public TPersistent {
    Z_CLASS(TStrings, TPersistent)
public:
    // Items
    virtual AnsiString Get(int Index) const = 0;
    virtual int GetCount() const = 0;
    virtual TObject* GetObject(int Index) const;
    virtual void Put(int Index, const AnsiString& S);
    virtual void PutObject(int Index, TObject* AObject);
    virtual int GetCapacity() const { return GetCount(); }
    virtual void SetCapacity(int) {}
    virtual AnsiString GetTextStr() const;
    virtual void SetTextStr(const AnsiString& Value);
    virtual void SetUpdateState(bool) {}
    virtual int CompareStrings(const AnsiString& S1, const AnsiString& S2) const;  // AnsiCompareText

    virtual int Add(const AnsiString& S);
    virtual int AddObject(const AnsiString& S, TObject* AObject);
    void Append(const AnsiString& S) { Add(S); }
    virtual void AddStrings(const TStrings* Strings);
    virtual void Clear() = 0;
    virtual void Delete(int Index) = 0;
    virtual void Exchange(int Index1, int Index2);
    virtual int IndexOf(const AnsiString& S) const;
    virtual int IndexOfName(const AnsiString& Name) const;
    virtual int IndexOfObject(TObject* AObject) const;
    virtual void Insert(int Index, const AnsiString& S) = 0;
    virtual void InsertObject(int Index, const AnsiString& S, TObject* AObject);
    virtual void LoadFromFile(const AnsiString& FileName);
    virtual void LoadFromStream(TStream* Stream);
    virtual void Move(int CurIndex, int NewIndex);
    virtual void SaveToFile(const AnsiString& FileName);
    virtual void SaveToStream(TStream* Stream);
    bool Equals(const TStrings* Strings) const;

    void BeginUpdate();
    void EndUpdate();
    int UpdateCount() const { return FUpdateCount; }

    // Property-style access
    int Count() const { return GetCount(); }
    AnsiString Strings(int Index) const { return Get(Index); }
    void SetStrings(int Index, const AnsiString& S) { Put(Index, S); }
    TObject* Objects(int Index) const { return GetObject(Index); }
    void SetObjects(int Index, TObject* AObject) { PutObject(Index, AObject); }
    AnsiString Names(int Index) const;
    AnsiString ValueFromIndex(int Index) const;
    AnsiString Values(const AnsiString& Name) const;
    void SetValues(const AnsiString& Name, const AnsiString& Value);  // empty value deletes
    AnsiString Text() const { return GetTextStr(); }
    void SetText(const AnsiString& Value) { SetTextStr(Value); }
    AnsiString CommaText() const;
    void SetCommaText(const AnsiString& Value);
    AnsiString DelimitedText() const;
    void SetDelimitedText(const AnsiString& Value);
    char Delimiter() const { return FDelimiter; }
    void SetDelimiter(char Value) { FDelimiter = Value; }
    char QuoteChar() const { return FQuoteChar; }
    void SetQuoteChar(char Value) { FQuoteChar = Value; }
    char NameValueSeparator() const { return FNameValueSeparator; }
    void SetNameValueSeparator(char Value) { FNameValueSeparator = Value; }

    void Assign(TPersistent* Source) override;
    // "Strings": a list of string values.
    void DefineProperties(TFiler* Filer) override;

protected:
    void Error(const char* Msg, int Data) const;   // EStringListError with Format(Msg, Data)

private:
    void ReadData(TReader* Reader);
    void WriteData(TWriter* Writer);
    int FUpdateCount = 0;
    char FDelimiter = ',';
    char FQuoteChar = '"';
    char FNameValueSeparator = '=';
};

class TStringList;
using TStringListSortCompare = int (*)(TStringList* List, int Index1, int Index2);

class TStringList : public TStrings {
    Z_CLASS(TStringList, TStrings)
public:
    TStringList() = default;
    ~TStringList() override;

    AnsiString Get(int Index) const override;
    int GetCount() const override { return FList.Count(); }
    TObject* GetObject(int Index) const override;
    void Put(int Index, const AnsiString& S) override;
    void PutObject(int Index, TObject* AObject) override;
    int GetCapacity() const override { return FList.Capacity(); }
    void SetCapacity(int NewCapacity) override;
    void SetUpdateState(bool Updating) override;
    int CompareStrings(const AnsiString& S1, const AnsiString& S2) const override;
    // A text that cannot be taken whole (a duplicate refused, memory used up) leaves the old
    // lines.
    void SetTextStr(const AnsiString& Value) override;

    int Add(const AnsiString& S) override;
    int AddObject(const AnsiString& S, TObject* AObject) override;
    void Clear() override;
    void Delete(int Index) override;
    void Exchange(int Index1, int Index2) override;
    // Binary search of a sorted list; Index is where S is or would go.
    virtual bool Find(const AnsiString& S, int& Index) const;
    int IndexOf(const AnsiString& S) const override;
    // A sorted list finds the name by binary search of "Name=" first.
    int IndexOfName(const AnsiString& Name) const override;
    void Insert(int Index, const AnsiString& S) override;
    void InsertObject(int Index, const AnsiString& S, TObject* AObject) override;
    // A sorted list refuses before anything is taken out, so the item is never lost.
    void Move(int CurIndex, int NewIndex) override;
    virtual void Sort();
    virtual void CustomSort(TStringListSortCompare Compare);

    bool Sorted() const { return FSorted; }
    void SetSorted(bool Value);
    TDuplicates Duplicates() const { return FDuplicates; }
    void SetDuplicates(TDuplicates Value) { FDuplicates = Value; }
    bool CaseSensitive() const { return FCaseSensitive; }
    void SetCaseSensitive(bool Value);

    TNotifyEvent OnChange;
    TNotifyEvent OnChanging;

protected:
    virtual void Changed();
    virtual void Changing();
    virtual void InsertItem(int Index, const AnsiString& S, TObject* AObject);

private:
    void QuickSort(int L, int R, TStringListSortCompare Compare);
    zstrlist::TStringItems<AnsiString> FList;
    bool FSorted = false;
    TDuplicates FDuplicates = dupIgnore;
    bool FCaseSensitive = false;
    bool FUpdating = false;
};

// ---------------------------------------------------------------------------------------
// Streams

enum : uint16_t { soFromBeginning = 0, soFromCurrent = 1, soFromEnd = 2 };

// File modes: one access value or'ed with one sharing value; fmCreate alone.
enum : uint16_t {
    fmOpenRead = 0x0000,
    fmOpenWrite = 0x0001,
    fmOpenReadWrite = 0x0002,
    fmShareCompat = 0x0000,
    fmShareExclusive = 0x0010,
    fmShareDenyWrite = 0x0020,
    fmShareDenyRead = 0x0030,
    fmShareDenyNone = 0x0040,
    fmCreate = 0xFFFF,
};

class TStream : public TObject {
    Z_CLASS(TStream, TObject)
public:
    virtual int32_t Read(void* Buffer, int32_t Count) = 0;
    virtual int32_t Write(const void* Buffer, int32_t Count) = 0;
    virtual int64_t Seek(int64_t Offset, int Origin) = 0;
    void ReadBuffer(void* Buffer, int32_t Count);          // EReadError "Stream read error"
    void WriteBuffer(const void* Buffer, int32_t Count);   // EWriteError "Stream write error"
    // Count 0 copies the whole source from its start.
    int64_t CopyFrom(TStream* Source, int64_t Count);

    int64_t Position() { return Seek(0, soFromCurrent); }
    void SetPosition(int64_t Pos) { Seek(Pos, soFromBeginning); }
    virtual int64_t Size();
    virtual void SetSize(int64_t NewSize);

    // Form data: a component with its published properties and children, "TPF0" first.
    TComponent* ReadComponent(TComponent* Instance);
    void WriteComponent(TComponent* Instance);
    void WriteDescendent(TComponent* Instance, TComponent* Ancestor);
};

class THandleStream : public TStream {
    Z_CLASS(THandleStream, TStream)
public:
    explicit THandleStream(HANDLE AHandle) : FHandle(AHandle) {}
    int32_t Read(void* Buffer, int32_t Count) override;
    int32_t Write(const void* Buffer, int32_t Count) override;
    int64_t Seek(int64_t Offset, int Origin) override;
    void SetSize(int64_t NewSize) override;
    HANDLE Handle() const { return FHandle; }

protected:
    HANDLE FHandle;
};

class TFileStream : public THandleStream {
    Z_CLASS(TFileStream, THandleStream)
public:
    // EFCreateError "Cannot create file \"%s\". %s" / EFOpenError "Cannot open file \"%s\". %s"
    // with the expanded name and the system's message text.
    TFileStream(const AnsiString& FileName, uint16_t Mode);
    ~TFileStream() override;
    const AnsiString& FileName() const { return FFileName; }

private:
    AnsiString FFileName;
};

class TCustomMemoryStream : public TStream {
    Z_CLASS(TCustomMemoryStream, TStream)
public:
    int32_t Read(void* Buffer, int32_t Count) override;
    int64_t Seek(int64_t Offset, int Origin) override;
    int64_t Size() override { return FSize; }
    void SaveToStream(TStream* Stream);
    void SaveToFile(const AnsiString& FileName);
    void* Memory() const { return FMemory; }

protected:
    void SetPointer(void* Ptr, int32_t Size);
    void* FMemory = nullptr;
    int32_t FSize = 0;
    int32_t FPosition = 0;
};

class TMemoryStream : public TCustomMemoryStream {
    Z_CLASS(TMemoryStream, TCustomMemoryStream)
public:
    TMemoryStream() = default;
    ~TMemoryStream() override;
    int32_t Write(const void* Buffer, int32_t Count) override;
    void SetSize(int64_t NewSize) override;   // EOutOfMemory "Out of memory while expanding memory stream"
    void Clear();
    void LoadFromStream(TStream* Stream);
    void LoadFromFile(const AnsiString& FileName);
    int32_t Capacity() const { return FCapacity; }
    void SetCapacity(int32_t NewCapacity);

private:
    int32_t FCapacity = 0;
};

// A read-only view of a resource of a module. EResNotFound "Resource %s not found".
class TResourceStream : public TCustomMemoryStream {
    Z_CLASS(TResourceStream, TCustomMemoryStream)
public:
    TResourceStream(HINSTANCE Instance, const AnsiString& ResName, const char* ResType);
    TResourceStream(HINSTANCE Instance, int ResID, const char* ResType);
    int32_t Write(const void* Buffer, int32_t Count) override;  // EStreamError "Can't write to a read-only resource stream"

private:
    void Initialize(HINSTANCE Instance, const char* Name, const char* ResType);
};

// A memory stream over a string, for tests and small texts.
class TStringStream : public TStream {
    Z_CLASS(TStringStream, TStream)
public:
    explicit TStringStream(AnsiString Data = AnsiString()) : FData(std::move(Data)) {}
    int32_t Read(void* Buffer, int32_t Count) override;
    int32_t Write(const void* Buffer, int32_t Count) override;
    int64_t Seek(int64_t Offset, int Origin) override;
    void SetSize(int64_t NewSize) override;
    const AnsiString& DataString() const { return FData; }

private:
    AnsiString FData;
    int32_t FPosition = 0;
};

// ---------------------------------------------------------------------------------------
// Form data: the platform's binary layout. Signature "TPF0"; a component is an optional
// prefix byte, its class name and name as short strings, its properties (name, value) up to
// an empty name, its children, and an empty name.

enum TValueType : uint8_t {
    vaNull = 0, vaList = 1, vaInt8 = 2, vaInt16 = 3, vaInt32 = 4, vaExtended = 5, vaString = 6,
    vaIdent = 7, vaFalse = 8, vaTrue = 9, vaBinary = 10, vaSet = 11, vaLString = 12, vaNil = 13,
    vaCollection = 14, vaSingle = 15, vaCurrency = 16, vaDate = 17, vaWString = 18, vaInt64 = 19,
    vaUTF8String = 20, vaDouble = 21
};

enum TFilerFlag : uint8_t { ffInherited = 1, ffChildPos = 2, ffInline = 4 };

using TReaderProc = TMethod<void(TReader* Reader)>;
using TWriterProc = TMethod<void(TWriter* Writer)>;
using TStreamProc = TMethod<void(TStream* Stream)>;

class TFiler : public TObject {
    Z_CLASS(TFiler, TObject)
public:
    explicit TFiler(TStream* Stream) : FStream(Stream) {}
    // A property the class stores itself. The reader calls ReadData when the stored
    // property has this name; the writer calls WriteData when HasData.
    virtual void DefineProperty(const AnsiString& Name, TReaderProc ReadData, TWriterProc WriteData,
                                bool HasData) = 0;
    virtual void DefineBinaryProperty(const AnsiString& Name, TStreamProc ReadData,
                                      TStreamProc WriteData, bool HasData) = 0;
    TStream* Stream() const { return FStream; }
    TComponent* Root() const { return FRoot; }
    void SetRoot(TComponent* Value) { FRoot = Value; }
    TComponent* LookupRoot() const { return FLookupRoot; }
    // The object being written is compared with this one; only differences are written.
    TPersistent* Ancestor() const { return FAncestor; }
    void SetAncestor(TPersistent* Value) { FAncestor = Value; }
    bool IgnoreChildren = false;

protected:
    TStream* FStream;
    TComponent* FRoot = nullptr;
    TComponent* FLookupRoot = nullptr;
    TPersistent* FAncestor = nullptr;
};

// Every read checks the value kind it expects and the bytes left in the stream: an unknown
// kind, a negative or oversized length or a stream that ends early raises EReadError
// ("Invalid property value", "Invalid stream format", "Stream read error").
class TReader : public TFiler {
    Z_CLASS(TReader, TFiler)
public:
    explicit TReader(TStream* Stream);
    ~TReader() override;

    void DefineProperty(const AnsiString& Name, TReaderProc ReadData, TWriterProc WriteData,
                        bool HasData) override;
    void DefineBinaryProperty(const AnsiString& Name, TStreamProc ReadData, TStreamProc WriteData,
                              bool HasData) override;

    TValueType NextValue();          // without consuming it
    TValueType ReadValue();
    void CheckValue(TValueType Value);
    bool EndOfList();
    void ReadListBegin();
    void ReadListEnd();
    bool ReadBoolean();
    char ReadChar();
    WideChar ReadWideChar();
    int32_t ReadInteger();
    int64_t ReadInt64();
    double ReadFloat();
    AnsiString ReadString();         // any string kind; wide text converted to ANSI
    WideString ReadWideString();     // any string kind; ANSI text widened
    AnsiString ReadIdent();
    AnsiString ReadStr();            // a bare short string (names)
    void ReadSignature();            // "TPF0", else EReadError "Invalid stream format"
    void ReadPrefix(uint8_t& Flags, int& ChildPos);
    void SkipValue();
    void ReadCollection(TCollection* Collection);
    void ReadProperty(TPersistent* Instance);
    void ReadData(TComponent* Instance);   // properties, then children
    TComponent* ReadComponent(TComponent* Component);
    TComponent* ReadRootComponent(TComponent* Root);
    // Bytes left in the stream; lengths above it are damage.
    int64_t BytesLeft();
    TComponent* Owner() const { return FOwner; }
    void SetOwner(TComponent* Value) { FOwner = Value; }
    TComponent* Parent() const { return FParent; }
    void SetParent(TComponent* Value) { FParent = Value; }

private:
    struct Impl;
    std::unique_ptr<Impl> FImpl;
    TComponent* FOwner = nullptr;
    TComponent* FParent = nullptr;
    friend struct Impl;
};

class TWriter : public TFiler {
    Z_CLASS(TWriter, TFiler)
public:
    explicit TWriter(TStream* Stream);
    ~TWriter() override;

    void DefineProperty(const AnsiString& Name, TReaderProc ReadData, TWriterProc WriteData,
                        bool HasData) override;
    void DefineBinaryProperty(const AnsiString& Name, TStreamProc ReadData, TStreamProc WriteData,
                              bool HasData) override;

    void WriteValue(TValueType Value);
    void WriteListBegin();
    void WriteListEnd();
    void WriteBoolean(bool Value);
    void WriteChar(char Value);
    void WriteWideChar(WideChar Value);
    void WriteInteger(int64_t Value);   // the smallest of vaInt8, vaInt16, vaInt32, vaInt64
    void WriteFloat(double Value);
    void WriteString(const AnsiString& Value);       // vaString up to 255 bytes, else vaLString
    void WriteWideString(const WideString& Value);   // vaWString: 32-bit length, UTF-16 units
    void WriteUTF8String(const AnsiString& Value);
    void WriteIdent(const AnsiString& Ident);        // vaFalse/vaTrue/vaNil/vaNull or vaIdent
    void WriteStr(const AnsiString& Value);          // bare short string
    void WriteSignature();
    void WritePrefix(uint8_t Flags, int ChildPos);
    void WriteCollection(TCollection* Value);
    void WriteProperties(TPersistent* Instance);
    void WriteComponent(TComponent* Component);
    // Prefix, class name, name, properties and children of Instance: what
    // TComponent::WriteState writes, as TReader::ReadData reads it back.
    void WriteData(TComponent* Instance);
    void WriteDescendent(TComponent* Root, TComponent* AAncestor);
    void WriteRootComponent(TComponent* Root);
    void WriteBinary(const void* Data, int32_t Size);

private:
    struct Impl;
    std::unique_ptr<Impl> FImpl;
    friend struct Impl;
};

// ---------------------------------------------------------------------------------------
// Window procedures bound to objects

using TWndMethod = TMethod<void(TMessage& Message)>;

// A window procedure of its own for Method: a few bytes of executable code that pass the
// message on to it. Each call makes a distinct procedure, so subclassing chains can tell
// their entries apart. An exception thrown by Method is handed to HandleCaughtException and
// never crosses back into the system.
WNDPROC MakeObjectInstance(TWndMethod Method);
void FreeObjectInstance(WNDPROC Instance);

// A hidden utility window whose messages go to Method; DefWindowProc answers what it leaves.
HWND AllocateHWnd(TWndMethod Method);
void DeallocateHWnd(HWND Wnd);

// Where window procedures, hooks, timers and callbacks hand an exception they caught. The
// application object installs its handler; without one the exception is dropped after
// being written to the debugger output. Call only from inside a catch block.
extern void (*ApplicationHandleException)(TObject* Sender);
void HandleCaughtException(TObject* Sender = nullptr);

// An exception carried past a system callback that must not see it (an enumeration, a sort):
// the callback does its work through Call, which catches, keeps the exception and answers
// FALSE so the system stops calling; the caller rethrows once the system call has returned.
class TCallbackGuard {
public:
    template <class Work> BOOL Call(Work&& W) noexcept
    {
        return Answer([&] { return std::forward<Work>(W)() ? TRUE : FALSE; }, BOOL(FALSE));
    }
    // Work's answer; Stopped from the exception on, which is kept, and at every call after it.
    template <class Result, class Work> Result Answer(Work&& W, Result Stopped) noexcept
    {
        if (FError)
            return Stopped;
        try {
            return std::forward<Work>(W)();
        } catch (...) {
            FError = std::current_exception();
            return Stopped;
        }
    }
    bool Failed() const { return FError != nullptr; }
    void Rethrow()
    {
        if (FError)
            std::rethrow_exception(std::exchange(FError, nullptr));
    }

private:
    std::exception_ptr FError;
};
