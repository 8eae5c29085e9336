// Form data: the entry points of components and streams, and the reader of components with
// their published and defined properties from streams in the platform's binary layout. The
// writer is in classes_writer.cpp.
#include "classlib/classes_shared.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace {

// Lists inside lists, collections inside collection items and children inside children
// nest no deeper than this; damaged data that claims more is refused instead of recursing
// until the stack runs out.
constexpr int MaxNesting = 100;

[[noreturn]] void ReadError(const char* Msg)
{
    throw EReadError(Msg);
}
[[noreturn]] void PropValueError()
{
    ReadError("Invalid property value");
}
[[noreturn]] void InvalidStream()
{
    ReadError("Invalid stream format");
}

class NestingGuard {
public:
    explicit NestingGuard(int& Depth) : FDepth(Depth)
    {
        if (++FDepth > MaxNesting) {
            --FDepth;
            InvalidStream();
        }
    }
    ~NestingGuard() { --FDepth; }
    NestingGuard(const NestingGuard&) = delete;
    NestingGuard& operator=(const NestingGuard&) = delete;

private:
    int& FDepth;
};

bool IsIntegerKind(TValueType Kind)
{
    return Kind == vaInt8 || Kind == vaInt16 || Kind == vaInt32 || Kind == vaInt64;
}

// Text conversions with the system's default ANSI code page, and from UTF-8.
WideString ToWide(const AnsiString& S, UINT CodePage)
{
    if (S.empty())
        return WideString();
    int n = MultiByteToWideChar(CodePage, 0, S.data(), static_cast<int>(S.size()), nullptr, 0);
    WideString w(static_cast<size_t>(std::max(n, 0)), L'\0');
    if (n > 0)
        MultiByteToWideChar(CodePage, 0, S.data(), static_cast<int>(S.size()), w.data(), n);
    return w;
}

AnsiString ToAnsi(const WideString& W)
{
    if (W.empty())
        return AnsiString();
    int n = WideCharToMultiByte(CP_ACP, 0, W.data(), static_cast<int>(W.size()), nullptr, 0,
                                nullptr, nullptr);
    AnsiString s(static_cast<size_t>(std::max(n, 0)), '\0');
    if (n > 0)
        WideCharToMultiByte(CP_ACP, 0, W.data(), static_cast<int>(W.size()), s.data(), n, nullptr,
                            nullptr);
    return s;
}

// An 80-bit extended value (sign, 15-bit exponent of bias 16383, a 64-bit mantissa with its
// integer bit) as a double, converted by hand as the writer converts the other way.
double ExtendedToDouble(const uint8_t In[10])
{
    uint64_t mant;
    uint16_t se;
    std::memcpy(&mant, In, 8);
    std::memcpy(&se, In + 8, 2);
    bool negative = se & 0x8000;
    int e = se & 0x7FFF;
    double v;
    if (e == 0x7FFF)
        v = (mant << 1) == 0 ? HUGE_VAL : std::nan("");
    else if (mant == 0)
        v = 0.0;
    else
        v = std::ldexp(static_cast<double>(mant), (e == 0 ? 1 : e) - 16383 - 63);
    return negative ? -v : v;
}

struct ChildCollector {
    std::vector<TComponent*> List;
    void Add(TComponent* Child) { List.push_back(Child); }
};

// C is Owner or belongs to it: through its owners, or through its parents (a menu item
// freed with its parent item is owned by the form, not by that item).
bool OwnedBy(TComponent* C, TComponent* Owner, int Depth = 0)
{
    if (!C || Depth > 64)
        return false;
    if (C == Owner)
        return true;
    if (OwnedBy(C->Owner(), Owner, Depth + 1))
        return true;
    return C->HasParent() && OwnedBy(C->GetParentComponent(), Owner, Depth + 1);
}

} // namespace

namespace zfiler {

const char Signature[4] = {'T', 'P', 'F', '0'};

std::vector<TComponent*> ChildrenOf(TComponent* Component, TComponent* Root)
{
    ChildCollector c;
    Component->GetChildren(MakeMethod<&ChildCollector::Add>(&c), Root);
    return std::move(c.List);
}

} // namespace zfiler

Z_CLASS_IMPL(TFiler, TObject)

// ---------------------------------------------------------------------------------------
// Components and streams: the entry points

void TComponent::ReadState(TReader* Reader)
{
    Reader->ReadData(this);
}

void TComponent::WriteState(TWriter* Writer)
{
    Writer->WriteData(this);
}

TComponent* TStream::ReadComponent(TComponent* Instance)
{
    TReader reader(this);
    return reader.ReadRootComponent(Instance);
}

void TStream::WriteComponent(TComponent* Instance)
{
    WriteDescendent(Instance, nullptr);
}

void TStream::WriteDescendent(TComponent* Instance, TComponent* Ancestor)
{
    TWriter writer(this);
    writer.WriteDescendent(Instance, Ancestor);
}

// ---------------------------------------------------------------------------------------
// TReader

struct TReader::Impl {
    // A component reference read by name; set once the whole component has been read,
    // when every component it may name exists.
    struct Fixup {
        TObject* Instance;
        const TPropInfo* Prop;
        AnsiString Name;
        TComponent* Component;                  // the component being read
        std::vector<TCollectionItem*> Items;    // the collection items it sits in
    };

    int Depth = 0;
    int Reading = 0;            // nesting of component reads; the outermost one finishes
    AnsiString PropName;        // the defined property being looked for
    bool PropFound = false;
    TComponent* Current = nullptr;
    std::vector<TComponent*> Loaded;
    std::vector<Fixup> Fixups;
    std::vector<TCollectionItem*> Items;

    static uint8_t ReadByte(TReader& R)
    {
        uint8_t b;
        R.FStream->ReadBuffer(&b, 1);
        return b;
    }

    template <class T> static T ReadRaw(TReader& R)
    {
        T v;
        R.FStream->ReadBuffer(&v, sizeof v);
        return v;
    }

    // A 32-bit count of Unit-sized elements, checked against what the stream still holds
    // before anything is allocated for it.
    static int32_t ReadLength(TReader& R, int Unit)
    {
        int32_t n = ReadRaw<int32_t>(R);
        if (n < 0)
            InvalidStream();
        if (int64_t(n) * Unit > R.BytesLeft())
            ReadError("Stream read error");
        return n;
    }

    static AnsiString ReadBytes(TReader& R, int32_t Count)
    {
        AnsiString s(static_cast<size_t>(Count), '\0');
        R.FStream->ReadBuffer(s.data(), Count);
        return s;
    }

    static WideString ReadWideChars(TReader& R, int32_t Count)
    {
        WideString w(static_cast<size_t>(Count), L'\0');
        R.FStream->ReadBuffer(w.data(), Count * 2);
        return w;
    }

    static void Skip(TReader& R, int64_t Count)
    {
        if (Count > R.BytesLeft())
            ReadError("Stream read error");
        R.FStream->Seek(Count, soFromCurrent);
    }

    static bool ReadIntegerPayload(TReader& R, TValueType Kind, int64_t& Value)
    {
        switch (Kind) {
        case vaInt8: Value = ReadRaw<int8_t>(R); return true;
        case vaInt16: Value = ReadRaw<int16_t>(R); return true;
        case vaInt32: Value = ReadRaw<int32_t>(R); return true;
        case vaInt64: Value = ReadRaw<int64_t>(R); return true;
        default: return false;
        }
    }

    // Both string readers: the text as stored, ANSI or wide, and which of the two it is.
    static bool ReadAnyString(TReader& R, AnsiString& Ansi, WideString& Wide)
    {
        switch (R.ReadValue()) {
        case vaString: Ansi = ReadBytes(R, ReadByte(R)); return false;
        case vaLString: Ansi = ReadBytes(R, ReadLength(R, 1)); return false;
        case vaUTF8String: Wide = ToWide(ReadBytes(R, ReadLength(R, 1)), CP_UTF8); return true;
        case vaWString: Wide = ReadWideChars(R, ReadLength(R, 2)); return true;
        default: PropValueError();
        }
    }

    static void SkipCollection(TReader& R)
    {
        while (!R.EndOfList()) {
            if (IsIntegerKind(R.NextValue())) {
                R.SkipValue();
                if (R.EndOfList())
                    break;
            }
            R.ReadListBegin();
            while (!R.EndOfList()) {
                R.ReadStr();
                R.SkipValue();
            }
            R.ReadListEnd();
        }
        R.ReadListEnd();
    }

    static void PropertyNotFound(const AnsiString& Path)
    {
        throw EReadError(Format("Property %s does not exist", Path.c_str()));
    }

    // What precedes a component's properties.
    struct Header {
        uint8_t Flags = 0;
        int ChildPos = 0;
        AnsiString ClassName;
        AnsiString Name;
    };
    static Header ReadHeader(TReader& R)
    {
        Header h;
        R.ReadPrefix(h.Flags, h.ChildPos);
        h.ClassName = R.ReadStr();
        h.Name = R.ReadStr();
        return h;
    }

    static TComponent* Create(const AnsiString& ClassName, TComponent* Owner)
    {
        const TClassInfo& cls = FindClass(ClassName);
        if (!cls.CreateComponent)
            InvalidStream();
        std::unique_ptr<TComponent> made(cls.CreateComponent(Owner));
        made->AfterConstruction();
        return made.release();
    }

    static void ReadStateOf(TReader& R, TComponent* C)
    {
        {
            Restore<TComponent*> current(R.FImpl->Current);
            R.FImpl->Current = C;
            C->ReadState(&R);
        }
        C->SetComponentStateFlag(csReading, false);
    }

    // Reads a value with Read and hands it to Setter; false when there is no setter.
    template <class Setter, class Read>
    static bool SetWith(TReader& R, TPersistent* Instance, Setter Set, Read ReadValue)
    {
        if (!Set)
            return false;
        Set(Instance, (R.*ReadValue)());
        return true;
    }

    static int64_t ReadOrdinal(TReader& R, const TPropInfo* P);
    static void ReadPropValue(TReader& R, TPersistent* Instance, const TPropInfo* P);
    static TComponent* Resolve(TReader& R, const AnsiString& Name);
    static void Forget(TReader& R, TComponent* Component);
    static void Abandon(TReader& R);
    static void Finish(TReader& R);
};

Z_CLASS_IMPL(TReader, TFiler)

TReader::TReader(TStream* Stream) : TFiler(Stream), FImpl(std::make_unique<Impl>()) {}

TReader::~TReader() = default;

int64_t TReader::BytesLeft()
{
    int64_t left = FStream->Size() - FStream->Position();
    return left < 0 ? 0 : left;
}

TValueType TReader::NextValue()
{
    uint8_t b = Impl::ReadByte(*this);
    FStream->Seek(-1, soFromCurrent);
    return static_cast<TValueType>(b);
}

TValueType TReader::ReadValue()
{
    return static_cast<TValueType>(Impl::ReadByte(*this));
}

void TReader::CheckValue(TValueType Value)
{
    if (ReadValue() != Value)
        PropValueError();
}

bool TReader::EndOfList()
{
    return NextValue() == vaNull;
}

void TReader::ReadListBegin()
{
    CheckValue(vaList);
}

void TReader::ReadListEnd()
{
    CheckValue(vaNull);
}

bool TReader::ReadBoolean()
{
    switch (ReadValue()) {
    case vaTrue: return true;
    case vaFalse: return false;
    default: PropValueError();
    }
}

int64_t TReader::ReadInt64()
{
    int64_t v;
    if (!Impl::ReadIntegerPayload(*this, ReadValue(), v))
        PropValueError();
    return v;
}

int32_t TReader::ReadInteger()
{
    int64_t v = ReadInt64();
    if (v < INT32_MIN || v > INT32_MAX)
        PropValueError();
    return static_cast<int32_t>(v);
}

double TReader::ReadFloat()
{
    TValueType kind = ReadValue();
    int64_t i;
    if (Impl::ReadIntegerPayload(*this, kind, i))
        return static_cast<double>(i);
    switch (kind) {
    case vaExtended: {
        uint8_t buf[10];
        FStream->ReadBuffer(buf, 10);
        return ExtendedToDouble(buf);
    }
    case vaSingle: return Impl::ReadRaw<float>(*this);
    case vaDouble:
    case vaDate: return Impl::ReadRaw<double>(*this);
    case vaCurrency: return static_cast<double>(Impl::ReadRaw<int64_t>(*this)) / 10000.0;
    default: PropValueError();
    }
}

AnsiString TReader::ReadString()
{
    AnsiString a;
    WideString w;
    return Impl::ReadAnyString(*this, a, w) ? ToAnsi(w) : a;
}

WideString TReader::ReadWideString()
{
    AnsiString a;
    WideString w;
    return Impl::ReadAnyString(*this, a, w) ? w : ToWide(a, CP_ACP);
}

char TReader::ReadChar()
{
    AnsiString s = ReadString();
    if (s.size() != 1)
        PropValueError();
    return s[0];
}

WideChar TReader::ReadWideChar()
{
    if (IsIntegerKind(NextValue())) {
        int64_t v = ReadInt64();
        if (v < 0 || v > 0xFFFF)
            PropValueError();
        return static_cast<WideChar>(v);
    }
    WideString w = ReadWideString();
    if (w.size() > 1)
        PropValueError();
    return w.empty() ? WideChar(0) : w[0];
}

AnsiString TReader::ReadIdent()
{
    switch (ReadValue()) {
    case vaIdent: return ReadStr();
    case vaFalse: return "False";
    case vaTrue: return "True";
    case vaNil: return "nil";
    case vaNull: return "Null";
    default: PropValueError();
    }
}

AnsiString TReader::ReadStr()
{
    return Impl::ReadBytes(*this, Impl::ReadByte(*this));
}

void TReader::ReadSignature()
{
    char sig[4];
    FStream->ReadBuffer(sig, 4);
    if (std::memcmp(sig, Signature, 4) != 0)
        InvalidStream();
}

void TReader::ReadPrefix(uint8_t& Flags, int& ChildPos)
{
    Flags = 0;
    ChildPos = 0;
    uint8_t b = static_cast<uint8_t>(NextValue());
    if ((b & 0xF0) == 0xF0) {
        ReadValue();
        Flags = b & 0x0F;
        if (Flags & ffChildPos)
            ChildPos = ReadInteger();
    }
}

void TReader::SkipValue()
{
    NestingGuard nest(FImpl->Depth);
    switch (ReadValue()) {
    case vaNull:
    case vaFalse:
    case vaTrue:
    case vaNil: break;
    case vaList:
        while (!EndOfList())
            SkipValue();
        ReadListEnd();
        break;
    case vaInt8: Impl::Skip(*this, 1); break;
    case vaInt16: Impl::Skip(*this, 2); break;
    case vaInt32:
    case vaSingle: Impl::Skip(*this, 4); break;
    case vaInt64:
    case vaDouble:
    case vaCurrency:
    case vaDate: Impl::Skip(*this, 8); break;
    case vaExtended: Impl::Skip(*this, 10); break;
    case vaString:
    case vaIdent: Impl::Skip(*this, Impl::ReadByte(*this)); break;
    case vaLString:
    case vaUTF8String:
    case vaBinary: Impl::Skip(*this, Impl::ReadLength(*this, 1)); break;
    case vaWString: Impl::Skip(*this, int64_t(Impl::ReadLength(*this, 2)) * 2); break;
    case vaSet:
        while (!ReadStr().empty()) {
        }
        break;
    case vaCollection: Impl::SkipCollection(*this); break;
    default: PropValueError();
    }
}

void TReader::ReadCollection(TCollection* Collection)
{
    NestingGuard nest(FImpl->Depth);
    // Callers may or may not have taken the value kind already; no item list starts with it.
    if (NextValue() == vaCollection)
        ReadValue();
    // References read into the items about to go would point at freed objects.
    auto& fixups = FImpl->Fixups;
    fixups.erase(std::remove_if(fixups.begin(), fixups.end(),
                                [Collection](const Impl::Fixup& f) {
                                    for (TCollectionItem* item : f.Items)
                                        if (item->Collection() == Collection)
                                            return true;
                                    return false;
                                }),
                 fixups.end());
    TUpdateScope<TCollection> update(Collection);
    // The stored items replace the present ones, also when none are stored.
    Collection->Clear();
    while (!EndOfList()) {
        if (IsIntegerKind(NextValue())) {
            ReadInt64();   // an item order the list position already gives
            if (EndOfList())
                break;
        }
        ReadListBegin();
        TCollectionItem* item = Collection->Add();
        FImpl->Items.push_back(item);
        {
            TScopeExit pop([this] { FImpl->Items.pop_back(); });
            while (!EndOfList())
                ReadProperty(item);
        }
        ReadListEnd();
    }
    ReadListEnd();
}

void TReader::DefineProperty(const AnsiString& Name, TReaderProc ReadData, TWriterProc, bool)
{
    if (FImpl->PropFound || FImpl->PropName.empty() || !SameText(Name, FImpl->PropName))
        return;
    FImpl->PropFound = true;
    FImpl->PropName.clear();
    if (ReadData)
        ReadData(this);
    else
        SkipValue();
}

void TReader::DefineBinaryProperty(const AnsiString& Name, TStreamProc ReadData, TStreamProc, bool)
{
    if (FImpl->PropFound || FImpl->PropName.empty() || !SameText(Name, FImpl->PropName))
        return;
    FImpl->PropFound = true;
    FImpl->PropName.clear();
    CheckValue(vaBinary);
    int32_t size = Impl::ReadLength(*this, 1);
    TMemoryStream data;
    data.SetSize(size);
    FStream->ReadBuffer(data.Memory(), size);
    if (ReadData)
        ReadData(&data);
}

void TReader::ReadProperty(TPersistent* Instance)
{
    AnsiString path = ReadStr();
    // "Font.Name": each dotted part but the last is an owned persistent of the one before.
    TPersistent* obj = Instance;
    size_t start = 0;
    for (size_t dot; (dot = path.find('.', start)) != AnsiString::npos; start = dot + 1) {
        AnsiString part = path.substr(start, dot - start);
        const TPropInfo* p = part.empty() ? nullptr : obj->ClassInfo().FindProp(part.c_str());
        TPersistent* sub = nullptr;
        if (p && p->Kind == tkClass && !p->IsComponentRef && p->GetObj)
            sub = dynamic_cast<TPersistent*>(p->GetObj(obj));
        if (!sub)
            Impl::PropertyNotFound(path);
        obj = sub;
    }
    AnsiString name = path.substr(start);
    if (const TPropInfo* p = name.empty() ? nullptr : obj->ClassInfo().FindProp(name.c_str())) {
        Impl::ReadPropValue(*this, obj, p);
        return;
    }
    // Not published: the object's own DefineProperties may know it.
    Restore<AnsiString> savedName(FImpl->PropName);
    Restore<bool> savedFound(FImpl->PropFound);
    FImpl->PropName = name;
    FImpl->PropFound = false;
    if (!name.empty())
        obj->DefineProperties(this);
    if (!FImpl->PropFound)
        Impl::PropertyNotFound(path);
}

int64_t TReader::Impl::ReadOrdinal(TReader& R, const TPropInfo* P)
{
    switch (P->Kind) {
    case tkInteger: return R.ReadInteger();
    case tkChar: return static_cast<unsigned char>(R.ReadChar());
    case tkWChar: return R.ReadWideChar();
    case tkEnumeration: {
        if (IsIntegerKind(R.NextValue())) {
            int64_t v = R.ReadInt64();
            if (v < 0 || v >= P->EnumCount)
                PropValueError();
            return v;
        }
        AnsiString ident = R.ReadIdent();
        for (int i = 0; P->EnumNames && i < P->EnumCount; ++i)
            if (SameText(ident, P->EnumNames[i]))
                return i;
        PropValueError();
    }
    case tkSet: {
        R.CheckValue(vaSet);
        int64_t bits = 0;
        for (AnsiString s; !(s = R.ReadStr()).empty();) {
            int found = -1;
            for (int i = 0; P->EnumNames && i < P->EnumCount && i < 64; ++i)
                if (SameText(s, P->EnumNames[i]))
                    found = i;
            if (found < 0)
                PropValueError();
            bits |= int64_t(1) << found;
        }
        return bits;
    }
    default: return R.ReadInt64();
    }
}

void TReader::Impl::ReadPropValue(TReader& R, TPersistent* Instance, const TPropInfo* P)
{
    switch (P->Kind) {
    case tkInteger:
    case tkInt64:
    case tkChar:
    case tkWChar:
    case tkEnumeration:
    case tkSet:
        if (!P->SetOrd)
            break;
        P->SetOrd(Instance, ReadOrdinal(R, P));
        return;
    case tkFloat:
        if (SetWith(R, Instance, P->SetFloat, &TReader::ReadFloat))
            return;
        break;
    case tkString:
    case tkLString:
        if (SetWith(R, Instance, P->SetStr, &TReader::ReadString))
            return;
        break;
    case tkWString:
        if (SetWith(R, Instance, P->SetWStr, &TReader::ReadWideString))
            return;
        break;
    case tkClass:
        if (P->IsComponentRef) {
            if (!P->SetObj)
                break;
            if (R.NextValue() == vaNil) {
                R.ReadValue();
                P->SetObj(Instance, nullptr);
                return;
            }
            AnsiString name = R.ReadIdent();
            R.FImpl->Fixups.push_back({Instance, P, name, R.FImpl->Current, R.FImpl->Items});
            return;
        }
        if (auto* collection = dynamic_cast<TCollection*>(P->GetObj ? P->GetObj(Instance) : nullptr);
            collection && R.NextValue() == vaCollection) {
            R.ReadCollection(collection);
            return;
        }
        // An owned object has no value of its own beyond nil; its properties come dotted.
        R.CheckValue(vaNil);
        return;
    default: break;
    }
    // A property this program cannot set (an event, a read-only one): its value is passed over.
    R.SkipValue();
}

void TReader::ReadData(TComponent* Instance)
{
    while (!EndOfList())
        ReadProperty(Instance);
    ReadListEnd();
    Restore<TComponent*> oldParent(FParent);
    Restore<TComponent*> oldOwner(FOwner);
    FParent = Instance->GetChildParent();
    FOwner = Instance->GetChildOwner();
    if (!FOwner)
        FOwner = FRoot;
    while (!EndOfList())
        ReadComponent(nullptr);
    ReadListEnd();
}

TComponent* TReader::ReadComponent(TComponent* Component)
{
    NestingGuard nest(FImpl->Depth);
    bool outermost = FImpl->Reading == 0;
    ++FImpl->Reading;
    TComponent* result = Component;
    bool created = false;
    try {
        Impl::Header h = Impl::ReadHeader(*this);
        if (!result) {
            if (h.Flags & ffInherited) {
                result = FOwner ? FOwner->FindComponent(h.Name) : nullptr;
                if (!result)
                    throw EReadError(Format("Ancestor for '%s' not found", h.Name.c_str()));
            } else {
                result = Impl::Create(h.ClassName, FOwner);
                created = true;
            }
        }
        result->SetComponentStateFlag(csLoading, true);
        result->SetComponentStateFlag(csReading, true);
        if (!(h.Flags & ffInherited) && result->Name() != h.Name)
            result->SetName(h.Name);
        if (created && FParent && result->HasParent())
            result->SetParentComponent(FParent);
        if (std::find(FImpl->Loaded.begin(), FImpl->Loaded.end(), result) == FImpl->Loaded.end())
            FImpl->Loaded.push_back(result);
        Impl::ReadStateOf(*this, result);
        if ((h.Flags & ffChildPos) && FParent)
            FParent->SetChildOrder(result, h.ChildPos);
    } catch (...) {
        --FImpl->Reading;
        if (result)
            result->SetComponentStateFlag(csReading, false);
        if (created) {
            Impl::Forget(*this, result);
            delete result;
        }
        if (outermost)
            Impl::Abandon(*this);
        throw;
    }
    --FImpl->Reading;
    if (outermost)
        Impl::Finish(*this);
    return result;
}

TComponent* TReader::ReadRootComponent(TComponent* Root)
{
    ReadSignature();
    NestingGuard nest(FImpl->Depth);
    ++FImpl->Reading;
    bool created = false;
    try {
        Impl::Header h = Impl::ReadHeader(*this);
        if (!Root) {
            Root = Impl::Create(h.ClassName, nullptr);
            created = true;
        }
        FRoot = Root;
        FLookupRoot = Root;
        Root->SetComponentStateFlag(csLoading, true);
        Root->SetComponentStateFlag(csReading, true);
        if (!Root->IsDesigning() && Root->Name() != h.Name)
            Root->SetName(h.Name);
        FImpl->Loaded.insert(FImpl->Loaded.begin(), Root);
        Impl::ReadStateOf(*this, Root);
    } catch (...) {
        --FImpl->Reading;
        if (Root)
            Root->SetComponentStateFlag(csReading, false);
        Impl::Abandon(*this);
        if (created) {
            FRoot = FLookupRoot = nullptr;
            delete Root;
        }
        throw;
    }
    --FImpl->Reading;
    Impl::Finish(*this);
    return Root;
}

// A component freed because reading it failed: nothing may point at it or at what it owns.
void TReader::Impl::Forget(TReader& R, TComponent* Component)
{
    auto& loaded = R.FImpl->Loaded;
    loaded.erase(std::remove_if(loaded.begin(), loaded.end(),
                                [Component](TComponent* c) { return OwnedBy(c, Component); }),
                 loaded.end());
    auto& fixups = R.FImpl->Fixups;
    fixups.erase(std::remove_if(fixups.begin(), fixups.end(),
                                [Component](const Fixup& f) { return OwnedBy(f.Component, Component); }),
                 fixups.end());
}

// A read that failed: the components already read stay as they are, no longer loading.
void TReader::Impl::Abandon(TReader& R)
{
    R.FImpl->Fixups.clear();
    auto loaded = std::move(R.FImpl->Loaded);
    R.FImpl->Loaded.clear();
    for (TComponent* c : loaded) {
        c->SetComponentStateFlag(csLoading, false);
        c->SetComponentStateFlag(csReading, false);
    }
}

// "Button1" is owned by the root, "Owner" is the root, "Form2.Button1" is owned by the
// component named Form2. A name that finds nothing leaves the reference unset.
TComponent* TReader::Impl::Resolve(TReader& R, const AnsiString& Name)
{
    TComponent* root = R.FLookupRoot ? R.FLookupRoot : (R.FRoot ? R.FRoot : R.FOwner);
    if (!root)
        return nullptr;
    auto find = [](TComponent* base, const AnsiString& n) -> TComponent* {
        if (SameText(n, "Owner"))
            return base->Owner();
        if (TComponent* c = base->FindComponent(n))
            return c;
        return nullptr;
    };
    size_t dot = Name.find('.');
    if (dot == AnsiString::npos) {
        if (SameText(Name, "Owner"))
            return root;
        if (TComponent* c = root->FindComponent(Name))
            return c;
        return !Name.empty() && SameText(Name, root->Name()) ? root : nullptr;
    }
    AnsiString first = Name.substr(0, dot);
    TComponent* base = SameText(first, root->Name()) ? root : root->FindComponent(first);
    return base ? find(base, Name.substr(dot + 1)) : nullptr;
}

void TReader::Impl::Finish(TReader& R)
{
    auto fixups = std::move(R.FImpl->Fixups);
    R.FImpl->Fixups.clear();
    auto loaded = std::move(R.FImpl->Loaded);
    R.FImpl->Loaded.clear();
    size_t done = 0;
    try {
        for (const Fixup& f : fixups)
            if (TComponent* target = Resolve(R, f.Name))
                f.Prop->SetObj(f.Instance, target);
        for (; done < loaded.size(); ++done) {
            loaded[done]->Loaded();
            loaded[done]->SetComponentStateFlag(csLoading, false);
        }
    } catch (...) {
        for (; done < loaded.size(); ++done)
            loaded[done]->SetComponentStateFlag(csLoading, false);
        throw;
    }
}

