#include <doctest.h>
#include "classlib/classes.h"
#include "join.h"

#include <cstring>

// Components, items and a nested persistent with one property of every kind the form data
// carries, to be written, read back and damaged.
namespace {

int LiveComponents = 0;

// A published property X of type T held in the field FX: its getter and setter.
#define TEST_PROP(T, X, Init)              \
    T X() const { return F##X; }           \
    void Set##X(T const& V) { F##X = V; }  \
    T F##X = Init;

enum TTestColor { tcRed, tcGreen, tcBlue };
const char* const ColorNames[] = {"tcRed", "tcGreen", "tcBlue"};
const char* const StyleNames[] = {"fsBold", "fsItalic", "fsUnderline"};

// An image-like persistent: its pixels are a binary property of its own.
class TTestPicture : public TPersistent {
    Z_CLASS(TTestPicture, TPersistent)
public:
    AnsiString Bytes;
    int32_t Width() const { return FWidth; }
    void SetWidth(int32_t V) { FWidth = V; }
    void DefineProperties(TFiler* Filer) override
    {
        Filer->DefineBinaryProperty("Data", MakeMethod<&TTestPicture::ReadBytes>(this),
                                    MakeMethod<&TTestPicture::WriteBytes>(this), !Bytes.empty());
    }

private:
    void ReadBytes(TStream* S)
    {
        Bytes.assign(static_cast<size_t>(S->Size()), '\0');
        S->ReadBuffer(Bytes.data(), static_cast<int32_t>(Bytes.size()));
    }
    void WriteBytes(TStream* S) { S->WriteBuffer(Bytes.data(), static_cast<int32_t>(Bytes.size())); }
    int32_t FWidth = 0;
};
Z_CLASS_IMPL(TTestPicture, TPersistent, Z_PROP_INT(TTestPicture, Width, 0))

class TTestItem : public TCollectionItem {
    Z_CLASS(TTestItem, TCollectionItem)
public:
    explicit TTestItem(TCollection* C) : TCollectionItem(C) {}
    TEST_PROP(AnsiString, Caption, {})
    TEST_PROP(int32_t, Value, 0)
    TEST_PROP(TComponent*, Link, nullptr)
    TTestPicture* Picture() const { return const_cast<TTestPicture*>(&FPicture); }

private:
    TTestPicture FPicture;
};
Z_CLASS_IMPL(TTestItem, TCollectionItem, Z_PROP_STR(TTestItem, Caption), Z_PROP_INT(TTestItem, Value, 0),
             Z_PROP_REF(TTestItem, Link, TComponent), Z_PROP_OBJ(TTestItem, Picture))

class TTestChild : public TComponent {
    Z_CLASS(TTestChild, TComponent)
public:
    explicit TTestChild(TComponent* AOwner) : TComponent(AOwner) { ++LiveComponents; }
    ~TTestChild() override { --LiveComponents; }
    TEST_PROP(int32_t, Size, 0)
    TEST_PROP(WideChar, Mark, 0)
    bool LoadedCalled = false;
    void Loaded() override
    {
        TComponent::Loaded();
        LoadedCalled = true;
    }
    // The step after construction sees the whole object; it may fail.
    int AfterConstructed = 0;
    static inline bool FailAfterConstruction = false;
    void AfterConstruction() override
    {
        ++AfterConstructed;
        if (FailAfterConstruction)
            throw EComponentError("refused after construction");
    }
};
Z_CLASS_IMPL(TTestChild, TComponent, Z_PROP_INT(TTestChild, Size, 0), Z_PROP_WCHAR(TTestChild, Mark, 0))

class TTestComp : public TComponent {
    Z_CLASS(TTestComp, TComponent)
public:
    explicit TTestComp(TComponent* AOwner) : TComponent(AOwner), FItems(TTestItem::StaticClassInfo())
    {
        ++LiveComponents;
    }
    ~TTestComp() override
    {
        DestroyComponents();
        --LiveComponents;
    }

    TEST_PROP(int32_t, Count, 0)
    TEST_PROP(int64_t, Big, 0)
    TEST_PROP(bool, Enabled, true)
    TEST_PROP(TTestColor, Color, tcRed)
    TEST_PROP(uint32_t, Style, 0)
    TEST_PROP(AnsiString, Caption, {})
    TEST_PROP(WideString, Title, {})
    TEST_PROP(double, Ratio, 0)
    TEST_PROP(char, Letter, 0)
    TEST_PROP(TComponent*, Buddy, nullptr)
    TStringList* Lines() const { return const_cast<TStringList*>(&FLines); }
    TCollection* Items() const { return const_cast<TCollection*>(&FItems); }

    AnsiString Extra;   // stored through DefineProperty
    AnsiString Blob;    // stored through DefineBinaryProperty
    bool LoadedCalled = false;
    bool WasLoadingInLoaded = false;
    TComponent* BuddyAtLoaded = nullptr;

    TTestItem* Item(int I) const { return static_cast<TTestItem*>(FItems.Items(I)); }

    void DefineProperties(TFiler* Filer) override
    {
        TComponent::DefineProperties(Filer);
        auto* anc = dynamic_cast<TTestComp*>(Filer->Ancestor());
        Filer->DefineProperty("Extra", MakeMethod<&TTestComp::ReadExtra>(this),
                              MakeMethod<&TTestComp::WriteExtra>(this),
                              anc ? anc->Extra != Extra : !Extra.empty());
        Filer->DefineBinaryProperty("Blob", MakeMethod<&TTestComp::ReadBlob>(this),
                                    MakeMethod<&TTestComp::WriteBlob>(this),
                                    anc ? anc->Blob != Blob : !Blob.empty());
    }
    void GetChildren(TGetChildProc Proc, TComponent*) override
    {
        for (int i = 0; i < ComponentCount(); ++i)
            Proc(Components(i));
    }
    void Loaded() override
    {
        WasLoadingInLoaded = IsLoading();
        BuddyAtLoaded = FBuddy;
        TComponent::Loaded();
        LoadedCalled = true;
    }

private:
    void ReadExtra(TReader* R) { Extra = R->ReadString(); }
    void WriteExtra(TWriter* W) { W->WriteString(Extra); }
    void ReadBlob(TStream* S)
    {
        Blob.assign(static_cast<size_t>(S->Size()), '\0');
        S->ReadBuffer(Blob.data(), static_cast<int32_t>(Blob.size()));
    }
    void WriteBlob(TStream* S) { S->WriteBuffer(Blob.data(), static_cast<int32_t>(Blob.size())); }

    TStringList FLines;
    TCollection FItems;
};
Z_CLASS_IMPL(TTestComp, TComponent, Z_PROP_INT(TTestComp, Count, 0),
             zprop::Ord<TTestComp, &TTestComp::Big, &TTestComp::SetBig>("Big", tkInt64, true, 0),
             Z_PROP_BOOL(TTestComp, Enabled, true), Z_PROP_ENUM(TTestComp, Color, ColorNames, tcRed),
             Z_PROP_SET(TTestComp, Style, StyleNames, 0), Z_PROP_STR(TTestComp, Caption),
             Z_PROP_WSTR(TTestComp, Title), Z_PROP_FLOAT(TTestComp, Ratio),
             Z_PROP_CHAR(TTestComp, Letter, 0), Z_PROP_OBJ(TTestComp, Lines),
             Z_PROP_OBJ(TTestComp, Items), Z_PROP_REF(TTestComp, Buddy, TComponent))

void RegisterTestClasses()
{
    RegisterClass(TTestComp::StaticClassInfo());
    RegisterClass(TTestChild::StaticClassInfo());
}

const AnsiString CyrillicAnsi = "\xCF\xF0\xE8\xE2\xE5\xF2";   // "Привет" in code page 1251
const WideString MixedWide = L"\x041F\x0440\x0438 \x65E5\x672C \x263A";

// A root with every kind of property set away from its default, a child, a collection
// whose items point at the child, and defined properties of both kinds.
TTestComp* MakeSample()
{
    auto* root = new TTestComp(nullptr);
    root->SetName("Root");
    root->SetCount(-200);
    root->SetBig(int64_t(1) << 40);
    root->SetEnabled(false);
    root->SetColor(tcBlue);
    root->SetStyle(1 | 4);
    root->SetCaption(CyrillicAnsi);
    root->SetTitle(MixedWide);
    root->SetRatio(0.1);
    root->SetLetter('\xC6');
    root->Lines()->Add("one");
    root->Lines()->Add(CyrillicAnsi);
    root->Lines()->Add(AnsiString(300, 'L'));
    root->Extra = "extra text";
    root->Blob = AnsiString("\0\1\2\xFF binary", 11);
    auto* kid = new TTestChild(root);
    kid->SetName("Kid");
    kid->SetSize(100000);
    kid->SetMark(L'\x0416');
    root->SetBuddy(kid);
    auto* a = static_cast<TTestItem*>(root->Items()->Add());
    a->SetCaption("first");
    a->SetValue(7);
    a->SetLink(kid);
    a->Picture()->Bytes = AnsiString("\x89PNG\0\0pixels", 12);
    a->Picture()->SetWidth(16);
    auto* b = static_cast<TTestItem*>(root->Items()->Add());
    b->SetCaption("second");
    b->SetLink(root);
    return root;
}

AnsiString StreamBytes(TCustomMemoryStream& M)
{
    return AnsiString(static_cast<const char*>(M.Memory()), static_cast<size_t>(M.Size()));
}

AnsiString WriteToBytes(TComponent* C, TComponent* Ancestor = nullptr)
{
    TMemoryStream m;
    m.WriteDescendent(C, Ancestor);
    return StreamBytes(m);
}

void LoadBytes(TMemoryStream& M, const AnsiString& Bytes)
{
    M.Clear();
    M.WriteBuffer(Bytes.data(), static_cast<int32_t>(Bytes.size()));
    M.SetPosition(0);
}

TComponent* ReadFromBytes(const AnsiString& Bytes, TComponent* Into = nullptr)
{
    TMemoryStream m;
    LoadBytes(m, Bytes);
    return m.ReadComponent(Into);
}

bool Contains(const AnsiString& Hay, const AnsiString& Needle)
{
    return Hay.find(Needle) != AnsiString::npos;
}

// A stream built value by value, for hand-made (and hand-damaged) form data.
struct Builder {
    TMemoryStream M;
    TWriter W{&M};
    AnsiString Bytes() { return StreamBytes(M); }
    void Raw(const AnsiString& S) { M.WriteBuffer(S.data(), static_cast<int32_t>(S.size())); }
    void Int32(int32_t V) { M.WriteBuffer(&V, 4); }
    // Closes N lists (properties, children, items) at once.
    void Ends(int N)
    {
        while (N-- > 0)
            W.WriteListEnd();
    }
    // Signature and the header of a component of class Cls named Name.
    void Begin(const char* Cls = "TTestChild", const char* Name = "R")
    {
        W.WriteSignature();
        W.WriteStr(Cls);
        W.WriteStr(Name);
    }
    Builder() = default;
    // Begun, and the name of the first property written.
    Builder(const char* Cls, const char* Name, const char* Property)
    {
        Begin(Cls, Name);
        W.WriteStr(Property);
    }
};

void CheckSample(TTestComp* r)
{
    CHECK(Join(r->Name(), r->Count(), r->Big(), r->Enabled()) == Join("Root", -200, int64_t(1) << 40, false));
    CHECK(Join(r->Color(), r->Style(), r->Caption(), r->Letter()) == Join(tcBlue, 5, CyrillicAnsi, '\xC6'));
    CHECK(Join(r->Extra, r->Blob) == Join("extra text", AnsiString("\0\1\2\xFF binary", 11)));
    CHECK(r->Title() == MixedWide);
    CHECK(r->Ratio() == 0.1);
    CHECK(r->Lines()->Text() == "one\r\n" + CyrillicAnsi + "\r\n" + AnsiString(300, 'L') + "\r\n");
    auto* kid = dynamic_cast<TTestChild*>(r->FindComponent("Kid"));
    REQUIRE(kid);
    CHECK(Join(kid->Size(), kid->Mark(), r->Buddy() == kid) == Join(100000, L'\x0416', true));
    REQUIRE(r->Items()->Count() == 2);
    const TTestItem *a = r->Item(0), *b = r->Item(1);
    CHECK(Join(a->Caption(), a->Value(), a->Link() == kid) == Join("first", 7, true));
    CHECK(Join(a->Picture()->Bytes, a->Picture()->Width()) == Join(AnsiString("\x89PNG\0\0pixels", 12), 16));
    CHECK(Join(b->Caption(), b->Link() == r, b->Picture()->Bytes.empty()) == Join("second", 1, 1));
}

} // namespace

TEST_CASE("form data: a tiny component has exactly the platform's bytes")
{
    RegisterTestClasses();
    TTestChild c(nullptr);
    c.SetName("A");
    c.SetSize(5);
    c.SetMark(L'\x0416');
    TMemoryStream m;
    m.WriteComponent(&c);
    const AnsiString expected("TPF0"
                              "\x0ATTestChild" "\x01" "A"
                              "\x04Size" "\x02\x05"
                              "\x04Mark" "\x12\x01\x00\x00\x00\x16\x04"
                              "\x00"    // end of properties
                              "\x00",   // end of children
                              4 + 11 + 2 + 5 + 2 + 5 + 7 + 2);
    CHECK(StreamBytes(m) == expected);

    SUBCASE("the smallest integer kind and the 80-bit float")
    {
        Builder b;
        b.W.WriteInteger(-128);
        b.W.WriteInteger(128);
        b.W.WriteInteger(-32769);
        b.W.WriteInteger(int64_t(1) << 31);
        b.W.WriteFloat(1.0);
        b.W.WriteFloat(-0.5);
        CHECK(b.Bytes() == AnsiString("\x02\x80"
                                      "\x03\x80\x00"
                                      "\x04\xFF\x7F\xFF\xFF"
                                      "\x13\x00\x00\x00\x80\x00\x00\x00\x00"
                                      "\x05\x00\x00\x00\x00\x00\x00\x00\x80\xFF\x3F"
                                      "\x05\x00\x00\x00\x00\x00\x00\x00\x80\xFE\xBF",
                                      2 + 3 + 5 + 9 + 11 + 11));
    }
}

TEST_CASE("form data: a component round-trips with every kind of property")
{
    RegisterTestClasses();
    std::unique_ptr<TTestComp> sample(MakeSample());
    AnsiString bytes = WriteToBytes(sample.get());
    CHECK(bytes.compare(0, 4, "TPF0") == 0);
    CHECK(Contains(bytes, "\x0DLines.Strings\x01"));
    CHECK(Contains(bytes, AnsiString("\x05Items\x0E\x01", 8)));
    CHECK(Contains(bytes, "\x0CPicture.Data\x0A"));
    CHECK(Contains(bytes, "\x05" "Buddy\x07\x03Kid"));
    CHECK_FALSE(Contains(bytes, "\x04Name"));   // the name is in the header

    // Into a component created by class name.
    std::unique_ptr<TComponent> back(ReadFromBytes(bytes));
    auto* r = dynamic_cast<TTestComp*>(back.get());
    REQUIRE(r);
    CheckSample(r);
    auto* kid = static_cast<TTestChild*>(r->FindComponent("Kid"));
    // Loaded ran while loading, after the references were resolved; then loading ended.
    CHECK(Join(r->LoadedCalled, r->WasLoadingInLoaded, r->BuddyAtLoaded == kid) == "1 1 1");
    CHECK(Join(r->IsLoading(), kid->LoadedCalled, (kid->ComponentState() & (csLoading | csReading)) == 0) == "0 1 1");
    CHECK(WriteToBytes(r) == bytes);
}

TEST_CASE("components made by form data or MakeComponent run their step after construction once")
{
    RegisterTestClasses();
    std::unique_ptr<TTestComp> sample(MakeSample());
    std::unique_ptr<TComponent> back(ReadFromBytes(WriteToBytes(sample.get())));
    CHECK(static_cast<TTestChild*>(back->FindComponent("Kid"))->AfterConstructed == 1);
    // A component the reader reads into was made by its caller, who ran the step.
    TTestChild into(nullptr);
    ReadFromBytes(WriteToBytes(back->FindComponent("Kid")), &into);
    CHECK(into.AfterConstructed == 0);

    TTestComp owner(nullptr);
    TTestChild* made = MakeComponent<TTestChild>(&owner);
    CHECK(Join(made->AfterConstructed, made->Owner() == &owner) == "1 1");
    // A failing step frees the component again, and the reader passes the error on.
    const int live = LiveComponents;
    TTestChild::FailAfterConstruction = true;
    CHECK_THROWS_AS(MakeComponent<TTestChild>(&owner), EComponentError);
    CHECK_THROWS(ReadFromBytes(WriteToBytes(sample.get())));
    TTestChild::FailAfterConstruction = false;
    CHECK(Join(LiveComponents, owner.ComponentCount()) == Join(live, 1));
}

TEST_CASE("form data: a descendent stores only what differs from its ancestor")
{
    RegisterTestClasses();
    std::unique_ptr<TTestComp> ancestor(MakeSample());
    std::unique_ptr<TTestComp> desc(MakeSample());
    desc->SetCaption("changed");
    desc->SetCount(0);   // back to the default, but the ancestor has another value
    desc->Item(1)->SetValue(9);
    auto* extra = new TTestChild(desc.get());
    extra->SetName("Extra1");
    extra->SetSize(3);

    AnsiString bytes = WriteToBytes(desc.get(), ancestor.get());
    CHECK(static_cast<uint8_t>(bytes[4]) == (0xF0 | ffInherited));
    CHECK(Contains(bytes, "\x07" "Caption\x06\x07" "changed"));
    CHECK(Contains(bytes, AnsiString("\x05" "Count\x02\x00", 8)));
    CHECK(Contains(bytes, "\x05Items\x0E"));   // a changed collection is written whole
    for (const char* same : {"Lines.Strings", "Title", "Blob", "Buddy"})
        CHECK_FALSE(Contains(bytes, same));
    // The inherited child is named with no properties; the new one is written whole.
    CHECK(Contains(bytes, AnsiString("\xF1\x0ATTestChild\x03Kid\x00\x00", 18)));
    CHECK(Contains(bytes, AnsiString("\x0ATTestChild\x06" "Extra1\x04Size\x02\x03\x00\x00", 27)));

    // The ancestor's data and then the descendent's rebuild the descendent: written whole,
    // the same bytes.
    TTestComp rebuilt(nullptr);
    ReadFromBytes(WriteToBytes(ancestor.get()), &rebuilt);
    ReadFromBytes(bytes, &rebuilt);
    CHECK(Join(rebuilt.Caption(), rebuilt.Count(), rebuilt.ComponentCount()) == Join("changed", 0, 2));

    CHECK(WriteToBytes(&rebuilt) == WriteToBytes(desc.get()));

    // A descendent equal to its ancestor writes no property at all.
    std::unique_ptr<TTestComp> same(MakeSample());
    AnsiString none = WriteToBytes(same.get(), ancestor.get());
    CHECK(none == AnsiString("TPF0\xF1\x09TTestComp\x04Root\x00\xF1\x0ATTestChild\x03Kid\x00\x00\x00", 40));
}

TEST_CASE("form data: readers convert between the kinds that may hold a value")
{
    RegisterTestClasses();
    Builder b;
    b.W.WriteWideString(L"\x0416\x0418");   // Cyrillic, present in code page 1251
    b.W.WriteString(CyrillicAnsi);
    b.W.WriteUTF8String("\xD0\x96");        // U+0416 in UTF-8
    b.W.WriteUTF8String("\xD0\x96");
    b.W.WriteInteger(-5);
    b.W.WriteInteger(70000);
    b.W.WriteInteger(int64_t(1) << 33);
    b.W.WriteInteger(3);
    b.Raw("\x0F");                          // vaSingle 2.5
    float f = 2.5f;
    b.M.WriteBuffer(&f, 4);
    b.Raw("\x10");                          // vaCurrency 1.2345
    int64_t cur = 12345;
    b.M.WriteBuffer(&cur, 8);
    b.W.WriteString("\xC6");                // ANSI Ж as a wide character
    b.W.WriteString("");
    b.W.WriteInteger(0x263A);
    b.W.WriteIdent("tcGreen");
    b.W.WriteIdent("True");
    b.W.WriteWideString(L"ab");

    TMemoryStream m;
    LoadBytes(m, b.Bytes());
    TReader r(&m);
    CHECK(r.ReadString() == "\xC6\xC8");
    CHECK(r.ReadWideString() == L"\x041F\x0440\x0438\x0432\x0435\x0442");
    CHECK(r.ReadWideString() == L"\x0416");
    CHECK(r.ReadString() == "\xC6");
    CHECK(r.ReadInteger() == -5);
    CHECK(r.ReadInteger() == 70000);
    CHECK_THROWS_WITH_AS(r.ReadInteger(), "Invalid property value", EReadError);
    CHECK(r.ReadFloat() == 3.0);
    CHECK(r.ReadFloat() == 2.5);
    CHECK(r.ReadFloat() == doctest::Approx(1.2345));
    CHECK(r.ReadWideChar() == L'\x0416');
    CHECK(r.ReadWideChar() == 0);
    CHECK(r.ReadWideChar() == L'\x263A');
    CHECK(r.ReadIdent() == "tcGreen");
    CHECK(r.ReadBoolean());
    CHECK_THROWS_WITH_AS(r.ReadWideChar(), "Invalid property value", EReadError);
    CHECK(r.BytesLeft() == 0);
}

TEST_CASE("form data: collections, lists and references that the stream names loosely")
{
    RegisterTestClasses();
    SUBCASE("an item order integer and an empty collection that clears")
    {
        Builder b("TTestComp", "C", "Items");
        b.W.WriteValue(vaCollection);
        b.W.WriteInteger(0);
        b.W.WriteListBegin();
        b.W.WriteStr("Caption");
        b.W.WriteString("x");
        b.Ends(4);
        TTestComp c(nullptr);
        c.Items()->Add();
        c.Items()->Add();
        ReadFromBytes(b.Bytes(), &c);
        REQUIRE(c.Items()->Count() == 1);
        CHECK(c.Item(0)->Caption() == "x");

        Builder e("TTestComp", "C", "Items");
        e.W.WriteValue(vaCollection);
        e.Ends(3);
        ReadFromBytes(e.Bytes(), &c);
        CHECK(c.Items()->Count() == 0);
    }
    SUBCASE("references: the root, another owner, nil, and names that find nothing")
    {
        // A component whose Buddy names Ident, with a child Kid.
        auto read = [](const char* Ident, TComponent* Into = nullptr) {
            Builder b("TTestComp", Into ? "" : "Form1", "Buddy");
            b.W.WriteIdent(Ident);
            b.W.WriteListEnd();
            b.W.WriteStr("TTestChild");
            b.W.WriteStr("Kid");
            b.Ends(3);
            return ReadFromBytes(b.Bytes(), Into);
        };
        for (const char* ident : {"Form1.Kid", "Owner", "Nobody", "Other.Kid"}) {
            CAPTURE(ident);
            std::unique_ptr<TComponent> c(read(ident));
            auto* t = static_cast<TTestComp*>(c.get());
            const AnsiString name = ident;
            TComponent* expected = name == "Form1.Kid" ? t->FindComponent("Kid") : name == "Owner" ? t : nullptr;
            CHECK(t->Buddy() == expected);
        }
        TTestComp set(nullptr);
        set.SetBuddy(&set);
        read("nil", &set);
        CHECK(set.Buddy() == nullptr);
    }
}

namespace {
// Reading Bytes raises EReadError with Message, and whatever was made is freed again.
void ReadFails(const AnsiString& Bytes, const char* Message)
{
    int live = LiveComponents;
    CHECK_THROWS_WITH_AS(ReadFromBytes(Bytes), Message, EReadError);
    CHECK(LiveComponents == live);
}
} // namespace

TEST_CASE("form data: a bad signature, an unknown property or an unexpected value kind raises EReadError")
{
    RegisterTestClasses();
    SUBCASE("signature")
    {
        ReadFails("", "Stream read error");
        ReadFails("TPF", "Stream read error");
        ReadFails("TPF1\x0ATTestChild\x01" "A\x00\x00", "Invalid stream format");
    }
    SUBCASE("unknown property, also after the defined ones were asked")
    {
        for (const char* name : {"Bogus", "Lines.Nope", "Caption.Length", ".Count", "Items."}) {
            Builder b("TTestComp", "A", name);
            b.W.WriteInteger(1);
            ReadFails(b.Bytes(), Format("Property %s does not exist", name).c_str());
        }
    }
    SUBCASE("unknown or unexpected value kinds")
    {
        for (const char* kind : {"\x30", "\x16", "\xFF", "\x06\x01x", "\x0B\x00"}) {
            Builder b("TTestChild", "A", "Size");
            b.Raw(kind);
            b.Raw(AnsiString(8, '\0'));
            ReadFails(b.Bytes(), "Invalid property value");
        }
        Builder e("TTestComp", "A", "Color");
        e.W.WriteIdent("tcPurple");
        ReadFails(e.Bytes(), "Invalid property value");
        Builder s("TTestComp", "A", "Style");
        s.W.WriteValue(vaSet);
        s.W.WriteStr("fsStrike");
        s.W.WriteStr("");
        ReadFails(s.Bytes(), "Invalid property value");
    }
}

TEST_CASE("form data: impossible lengths, deep nesting and unknown classes are refused before anything is made")
{
    RegisterTestClasses();
    SUBCASE("negative and oversized lengths are refused before anything is allocated")
    {
        for (int32_t len : {-1, INT32_MIN, INT32_MAX, 0x40000000, 1000}) {
            for (char kind : {char(vaLString), char(vaWString), char(vaUTF8String), char(vaBinary)}) {
                INFO("length " << len << ", kind " << int(kind));
                Builder b("TTestComp", "A", kind == char(vaBinary) ? "Blob" : "Caption");
                b.Raw(AnsiString(1, kind));
                b.Int32(len);
                b.Raw("some bytes");
                CHECK_THROWS_AS(ReadFromBytes(b.Bytes()), EReadError);
            }
        }
    }
    SUBCASE("nesting deeper than any real form is refused, not recursed into")
    {
        // A list of lists, a million deep, skipped as the value of a defined property
        // whose reader takes nothing.
        TMemoryStream m;
        LoadBytes(m, AnsiString(1000000, '\x01'));
        TReader r(&m);
        CHECK_THROWS_WITH_AS(r.SkipValue(), "Invalid stream format", EReadError);

        Builder b;
        b.Begin("TTestChild", "R");
        b.W.WriteListEnd();
        for (int i = 0; i < 5000; ++i) {
            b.W.WriteStr("TTestChild");
            b.W.WriteStr("C" + IntToStr(i));
            b.W.WriteListEnd();
        }
        ReadFails(b.Bytes(), "Invalid stream format");
    }
    SUBCASE("a class that is not registered")
    {
        Builder b;
        b.Begin("TNoSuchClass", "A");
        CHECK_THROWS_WITH_AS(ReadFromBytes(b.Bytes()), "Class TNoSuchClass not found", EClassNotFound);
    }
    SUBCASE("a name too long for the format is refused when writing")
    {
        Builder b;
        CHECK_THROWS_AS(b.W.WriteStr(AnsiString(256, 'n')), EWriteError);
    }
}

TEST_CASE("form data: every truncation fails cleanly and frees what was made")
{
    RegisterTestClasses();
    std::unique_ptr<TTestComp> sample(MakeSample());
    const AnsiString bytes = WriteToBytes(sample.get());
    sample.reset();
    const int live = LiveComponents;
    REQUIRE(bytes.size() > 400);

    int truncatedFailures = 0;
    for (size_t len = 0; len < bytes.size(); ++len) {
        try {
            delete ReadFromBytes(bytes.substr(0, len));
        } catch (const EReadError&) {
            ++truncatedFailures;
        }
        REQUIRE(LiveComponents == live);
    }
    CHECK(truncatedFailures == static_cast<int>(bytes.size()));
    // Flipped bytes are the fuzz driver's, which reads form data into forms the same way.
}
