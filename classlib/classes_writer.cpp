// Form data: the writer of components with their published and defined properties, against
// an ancestor when there is one, in the platform's binary layout.
#include "classlib/classes_shared.h"

#include <algorithm>
#include <cstring>

namespace {

// The 80-bit extended format: sign and 15-bit exponent (bias 16383) above a 64-bit
// mantissa whose top bit is the explicit integer bit. Converted by hand so that the
// result does not depend on how the compiler treats long double.
void DoubleToExtended(double Value, uint8_t Out[10])
{
    uint64_t bits;
    std::memcpy(&bits, &Value, sizeof bits);
    uint16_t sign = static_cast<uint16_t>((bits >> 63) << 15);
    int exp = static_cast<int>((bits >> 52) & 0x7FF);
    uint64_t frac = bits & ((uint64_t(1) << 52) - 1);
    uint64_t mant = 0;
    int e = 0;
    if (exp == 0x7FF) {
        e = 0x7FFF;
        mant = (uint64_t(1) << 63) | (frac << 11);
    } else if (exp == 0 && frac == 0) {
        e = 0;
    } else if (exp == 0) {
        // Subnormal double: normal as an extended value.
        mant = frac << 11;
        e = 1 - 1023 + 16383;
        while (!(mant & (uint64_t(1) << 63))) {
            mant <<= 1;
            --e;
        }
    } else {
        e = exp - 1023 + 16383;
        mant = (uint64_t(1) << 63) | (frac << 11);
    }
    std::memcpy(Out, &mant, 8);
    uint16_t se = static_cast<uint16_t>(sign | e);
    std::memcpy(Out + 8, &se, 2);
}

} // namespace

// ---------------------------------------------------------------------------------------
// TWriter

struct TWriter::Impl {
    // The component whose children are being written, and its ancestor's children, so
    // that each child is written against the ancestor child of the same name.
    struct Frame {
        TComponent* Ancestor = nullptr;
        bool Collected = false;
        std::vector<TComponent*> AncestorChildren;
        int Position = 0;
    };

    AnsiString PropPath;   // "Font." while the font's properties are written
    TComponent* RootAncestor = nullptr;
    std::vector<Frame> Frames;
    uint8_t PendingFlags = 0;
    int PendingChildPos = 0;

    template <class T> static void WriteRaw(TWriter& W, const T& Value)
    {
        W.FStream->WriteBuffer(&Value, sizeof Value);
    }

    static void WritePropName(TWriter& W, const AnsiString& Name)
    {
        W.WriteStr(W.FImpl->PropPath + Name);
    }

    static AnsiString ComponentValue(TWriter& W, TComponent* C)
    {
        if (C->Owner() == W.FLookupRoot)
            return C->Name();
        if (C == W.FLookupRoot)
            return "Owner";
        if (C->Owner() && !C->Owner()->Name().empty() && !C->Name().empty())
            return C->Owner()->Name() + "." + C->Name();
        if (!C->Name().empty())
            return C->Name() + ".Owner";
        return AnsiString();
    }

    static bool SameReference(TWriter& W, TComponent* Value, TComponent* AncestorValue)
    {
        return Value == AncestorValue ||
               (Value && AncestorValue && Value->Owner() == W.FLookupRoot &&
                AncestorValue->Owner() == W.FImpl->RootAncestor &&
                SameText(Value->Name(), AncestorValue->Name()));
    }

    static AnsiString CollectionBytes(TWriter& W, TCollection* C, TComponent* LookupRoot)
    {
        TStringStream out;
        TWriter sub(&out);
        sub.FRoot = W.FRoot;
        sub.FLookupRoot = LookupRoot;
        sub.FImpl->RootAncestor = W.FImpl->RootAncestor;
        sub.WriteCollection(C);
        return out.DataString();
    }

    static bool CollectionsEqual(TWriter& W, TCollection* A, TCollection* B)
    {
        if (!A || !B)
            return A == B;
        return A->Count() == B->Count() &&
               CollectionBytes(W, A, W.FLookupRoot) == CollectionBytes(W, B, W.FImpl->RootAncestor);
    }

    // A float or string property: written unless equal to the ancestor's value, or with no
    // ancestor, to zero or empty (the stored default of such properties).
    template <class Getter, class Put>
    static void WriteSimple(TWriter& W, TPersistent* Instance, TPersistent* Anc, const TPropInfo* P,
                            Getter Get, Put Write)
    {
        if (!Get)
            return;
        auto v = Get(Instance);
        if (Anc ? v == Get(Anc) : v == decltype(v){})
            return;
        WritePropName(W, P->Name);
        (W.*Write)(v);
    }

    static void WriteProperty(TWriter& W, TPersistent* Instance, const TPropInfo* P);
};

Z_CLASS_IMPL(TWriter, TFiler)

TWriter::TWriter(TStream* Stream) : TFiler(Stream), FImpl(std::make_unique<Impl>()) {}

TWriter::~TWriter() = default;

void TWriter::WriteValue(TValueType Value)
{
    uint8_t b = Value;
    FStream->WriteBuffer(&b, 1);
}

void TWriter::WriteListBegin()
{
    WriteValue(vaList);
}

void TWriter::WriteListEnd()
{
    WriteValue(vaNull);
}

void TWriter::WriteBoolean(bool Value)
{
    WriteValue(Value ? vaTrue : vaFalse);
}

void TWriter::WriteChar(char Value)
{
    WriteValue(vaString);
    uint8_t len = 1;
    FStream->WriteBuffer(&len, 1);
    FStream->WriteBuffer(&Value, 1);
}

void TWriter::WriteWideChar(WideChar Value)
{
    WriteWideString(WideString(1, Value));
}

void TWriter::WriteInteger(int64_t Value)
{
    if (Value >= INT8_MIN && Value <= INT8_MAX) {
        WriteValue(vaInt8);
        Impl::WriteRaw(*this, static_cast<int8_t>(Value));
    } else if (Value >= INT16_MIN && Value <= INT16_MAX) {
        WriteValue(vaInt16);
        Impl::WriteRaw(*this, static_cast<int16_t>(Value));
    } else if (Value >= INT32_MIN && Value <= INT32_MAX) {
        WriteValue(vaInt32);
        Impl::WriteRaw(*this, static_cast<int32_t>(Value));
    } else {
        WriteValue(vaInt64);
        Impl::WriteRaw(*this, Value);
    }
}

void TWriter::WriteFloat(double Value)
{
    WriteValue(vaExtended);
    uint8_t buf[10];
    DoubleToExtended(Value, buf);
    FStream->WriteBuffer(buf, 10);
}

void TWriter::WriteString(const AnsiString& Value)
{
    if (Value.size() <= 255) {
        WriteValue(vaString);
        uint8_t len = static_cast<uint8_t>(Value.size());
        FStream->WriteBuffer(&len, 1);
    } else {
        WriteValue(vaLString);
        Impl::WriteRaw(*this, static_cast<int32_t>(Value.size()));
    }
    FStream->WriteBuffer(Value.data(), static_cast<int32_t>(Value.size()));
}

void TWriter::WriteWideString(const WideString& Value)
{
    WriteValue(vaWString);
    Impl::WriteRaw(*this, static_cast<int32_t>(Value.size()));
    FStream->WriteBuffer(Value.data(), static_cast<int32_t>(Value.size() * 2));
}

void TWriter::WriteUTF8String(const AnsiString& Value)
{
    WriteValue(vaUTF8String);
    Impl::WriteRaw(*this, static_cast<int32_t>(Value.size()));
    FStream->WriteBuffer(Value.data(), static_cast<int32_t>(Value.size()));
}

void TWriter::WriteIdent(const AnsiString& Ident)
{
    if (SameText(Ident, "False"))
        WriteValue(vaFalse);
    else if (SameText(Ident, "True"))
        WriteValue(vaTrue);
    else if (SameText(Ident, "nil"))
        WriteValue(vaNil);
    else if (SameText(Ident, "Null"))
        WriteValue(vaNull);
    else {
        WriteValue(vaIdent);
        WriteStr(Ident);
    }
}

void TWriter::WriteStr(const AnsiString& Value)
{
    // A short string cannot say more; cutting the name would store another one.
    if (Value.size() > 255)
        throw EWriteError(Format("Name too long to store: %.40s...", Value.c_str()));
    uint8_t len = static_cast<uint8_t>(Value.size());
    FStream->WriteBuffer(&len, 1);
    FStream->WriteBuffer(Value.data(), len);
}

void TWriter::WriteSignature()
{
    FStream->WriteBuffer(Signature, 4);
}

void TWriter::WritePrefix(uint8_t Flags, int ChildPos)
{
    if (Flags == 0)
        return;
    uint8_t b = static_cast<uint8_t>(0xF0 | (Flags & 0x0F));
    FStream->WriteBuffer(&b, 1);
    if (Flags & ffChildPos)
        WriteInteger(ChildPos);
}

void TWriter::WriteBinary(const void* Data, int32_t Size)
{
    WriteValue(vaBinary);
    Impl::WriteRaw(*this, Size);
    FStream->WriteBuffer(Data, Size);
}

void TWriter::DefineProperty(const AnsiString& Name, TReaderProc, TWriterProc WriteData, bool HasData)
{
    if (!HasData || !WriteData)
        return;
    Impl::WritePropName(*this, Name);
    WriteData(this);
}

void TWriter::DefineBinaryProperty(const AnsiString& Name, TStreamProc, TStreamProc WriteData,
                                   bool HasData)
{
    if (!HasData || !WriteData)
        return;
    Impl::WritePropName(*this, Name);
    TMemoryStream data;
    WriteData(&data);
    WriteBinary(data.Memory(), static_cast<int32_t>(data.Size()));
}

void TWriter::WriteCollection(TCollection* Value)
{
    WriteValue(vaCollection);
    if (Value) {
        // Reading a collection makes every item anew, so items are written whole.
        Restore<AnsiString> path(FImpl->PropPath);
        Restore<TPersistent*> ancestor(FAncestor);
        FImpl->PropPath.clear();
        FAncestor = nullptr;
        for (int i = 0; i < Value->Count(); ++i) {
            WriteListBegin();
            WriteProperties(Value->Items(i));
            WriteListEnd();
        }
    }
    WriteListEnd();
}

void TWriter::Impl::WriteProperty(TWriter& W, TPersistent* Instance, const TPropInfo* P)
{
    if (P->IsStored && !P->IsStored(Instance))
        return;
    // The ancestor counts only when it has this very property.
    TPersistent* anc = W.FAncestor;
    if (anc && anc->ClassInfo().FindProp(P->Name) != P)
        anc = nullptr;

    switch (P->Kind) {
    case tkInteger:
    case tkInt64:
    case tkChar:
    case tkWChar:
    case tkEnumeration:
    case tkSet: {
        if (!P->GetOrd)
            return;
        int64_t v = P->GetOrd(Instance);
        if (anc ? v == P->GetOrd(anc) : (P->HasDefault && v == P->Default))
            return;
        WritePropName(W, P->Name);
        switch (P->Kind) {
        case tkChar: W.WriteChar(static_cast<char>(v)); break;
        case tkWChar: W.WriteWideChar(static_cast<WideChar>(v)); break;
        case tkEnumeration:
            if (P->EnumNames && v >= 0 && v < P->EnumCount)
                W.WriteIdent(P->EnumNames[v]);
            else
                W.WriteInteger(v);
            break;
        case tkSet:
            W.WriteValue(vaSet);
            for (int i = 0; P->EnumNames && i < P->EnumCount && i < 64; ++i)
                if ((v >> i) & 1)
                    W.WriteStr(P->EnumNames[i]);
            W.WriteStr(AnsiString());
            break;
        default: W.WriteInteger(v); break;
        }
        return;
    }
    case tkFloat: WriteSimple(W, Instance, anc, P, P->GetFloat, &TWriter::WriteFloat); return;
    case tkString:
    case tkLString: WriteSimple(W, Instance, anc, P, P->GetStr, &TWriter::WriteString); return;
    case tkWString: WriteSimple(W, Instance, anc, P, P->GetWStr, &TWriter::WriteWideString); return;
    case tkClass: {
        if (!P->GetObj)
            return;
        TObject* value = P->GetObj(Instance);
        TObject* ancValue = anc ? P->GetObj(anc) : nullptr;
        if (P->IsComponentRef) {
            auto* c = dynamic_cast<TComponent*>(value);
            if (anc ? SameReference(W, c, dynamic_cast<TComponent*>(ancValue)) : !c)
                return;
            if (!c) {
                WritePropName(W, P->Name);
                W.WriteValue(vaNil);
                return;
            }
            AnsiString ref = ComponentValue(W, c);
            if (ref.empty())
                return;   // an unnamed component cannot be found again by name
            WritePropName(W, P->Name);
            W.WriteIdent(ref);
            return;
        }
        auto* sub = dynamic_cast<TPersistent*>(value);
        if (!sub)
            return;
        if (auto* collection = dynamic_cast<TCollection*>(sub)) {
            if (anc && CollectionsEqual(W, collection, dynamic_cast<TCollection*>(ancValue)))
                return;
            WritePropName(W, P->Name);
            W.WriteCollection(collection);
            return;
        }
        Restore<AnsiString> path(W.FImpl->PropPath);
        Restore<TPersistent*> ancestor(W.FAncestor);
        W.FImpl->PropPath += AnsiString(P->Name) + ".";
        W.FAncestor = dynamic_cast<TPersistent*>(ancValue);
        W.WriteProperties(sub);
        return;
    }
    default: return;
    }
}

void TWriter::WriteProperties(TPersistent* Instance)
{
    bool isComponent = dynamic_cast<TComponent*>(Instance) != nullptr;
    for (const TPropInfo* p : Instance->ClassInfo().AllProps()) {
        // A component's name is in its header, not among its properties.
        if (isComponent && SameText(p->Name, "Name"))
            continue;
        Impl::WriteProperty(*this, Instance, p);
    }
    Instance->DefineProperties(this);
}

void TWriter::WriteData(TComponent* Instance)
{
    uint8_t flags = FImpl->PendingFlags;
    int childPos = FImpl->PendingChildPos;
    FImpl->PendingFlags = 0;
    FImpl->PendingChildPos = 0;
    WritePrefix(flags, childPos);
    WriteStr(Instance->ClassName());
    WriteStr(Instance->Name());
    WriteProperties(Instance);
    WriteListEnd();
    if (!IgnoreChildren)
        Instance->GetChildren(MakeMethod<&TWriter::WriteComponent>(this), FRoot);
    WriteListEnd();
}

void TWriter::WriteComponent(TComponent* Component)
{
    Restore<TPersistent*> ancestor(FAncestor);
    uint8_t flags = 0;
    int childPos = 0;
    if (!FImpl->Frames.empty()) {
        // A child: its ancestor is the parent's ancestor's child of the same name.
        Impl::Frame& frame = FImpl->Frames.back();
        int pos = frame.Position++;
        TComponent* childAncestor = nullptr;
        if (frame.Ancestor) {
            if (!frame.Collected) {
                frame.AncestorChildren = ChildrenOf(frame.Ancestor, FImpl->RootAncestor);
                frame.Collected = true;
            }
            for (size_t i = 0; i < frame.AncestorChildren.size(); ++i)
                if (SameText(frame.AncestorChildren[i]->Name(), Component->Name())) {
                    childAncestor = frame.AncestorChildren[i];
                    if (static_cast<int>(i) != pos) {
                        flags |= ffChildPos;
                        childPos = pos;
                    }
                    break;
                }
        }
        FAncestor = childAncestor;
    }
    if (FAncestor)
        flags |= ffInherited;

    FImpl->PendingFlags = flags;
    FImpl->PendingChildPos = childPos;
    FImpl->Frames.push_back(Impl::Frame{dynamic_cast<TComponent*>(FAncestor), false, {}, 0});
    Component->SetComponentStateFlag(csWriting, true);
    TScopeExit done([&] {
        Component->SetComponentStateFlag(csWriting, false);
        FImpl->Frames.pop_back();
    });
    Component->WriteState(this);
}

void TWriter::WriteDescendent(TComponent* Root, TComponent* AAncestor)
{
    FRoot = Root;
    FLookupRoot = Root;
    FAncestor = AAncestor;
    FImpl->RootAncestor = AAncestor;
    FImpl->Frames.clear();
    WriteSignature();
    WriteComponent(Root);
}

void TWriter::WriteRootComponent(TComponent* Root)
{
    WriteDescendent(Root, nullptr);
}
