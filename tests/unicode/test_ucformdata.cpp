#include <doctest.h>
#include "unicode/ucclasses.h"
#include "wide_lists_test_util.h"

#include <cstring>

// A component with a wide list, a wide text and a wide character, stored as form data.
class TWideTestHolder : public TComponent {
    Z_CLASS(TWideTestHolder, TComponent)
public:
    explicit TWideTestHolder(TComponent* AOwner) : TComponent(AOwner) {}
    TUcStringList* Lines() const { return FLines.get(); }
    WideString Caption() const { return FCaption; }
    void SetCaption(const WideString& Value) { FCaption = Value; }
    WideChar Mark() const { return FMark; }
    void SetMark(WideChar Value) { FMark = Value; }
    void DefineProperties(TFiler* Filer) override
    {
        inherited::DefineProperties(Filer);
        DefineWideProperties(Filer, this);
    }

private:
    std::unique_ptr<TUcStringList> FLines = std::make_unique<TUcStringList>();
    WideString FCaption;
    WideChar FMark = 0;
};

Z_CLASS_IMPL(TWideTestHolder, TComponent, Z_PROP_OBJ(TWideTestHolder, Lines),
             Z_PROP_WSTR(TWideTestHolder, Caption), Z_PROP_WCHAR(TWideTestHolder, Mark, 0))

using namespace widetest;

namespace {
std::string Int32(int32_t v)
{
    std::string r(4, '\0');
    std::memcpy(r.data(), &v, 4);
    return r;
}

// Form data of one TWideTestHolder named H, written by hand in the platform's layout.
class FormBytes {
public:
    FormBytes() { B = "TPF0" + Short("TWideTestHolder") + Short("H"); }
    FormBytes& Prop(const std::string& Name) { B += Short(Name); return *this; }
    FormBytes& Ansi(const std::string& S) { B += '\x06' + Short(S); return *this; }
    FormBytes& Utf8(const WideString& S) { return Ansi(WideToUtf8(S)); }
    FormBytes& Wide(const WideString& S) { B += '\x12' + Int32(static_cast<int32_t>(S.size())) + LE(S); return *this; }
    FormBytes& ListBegin() { B += '\x01'; return *this; }
    FormBytes& ListEnd() { B += '\0'; return *this; }
    FormBytes& Raw(const std::string& S) { B += S; return *this; }
    // End of the properties and of the (absent) children.
    std::string Done() const { return B + std::string(2, '\0'); }

private:
    static std::string Short(const std::string& S) { return static_cast<char>(S.size()) + S; }
    std::string B;
};

void ReadInto(TWideTestHolder& H, const std::string& Bytes)
{
    TStringStream s(Bytes);
    s.ReadComponent(&H);
}

std::string Write(TWideTestHolder& H, TWideTestHolder* Ancestor = nullptr)
{
    TStringStream s;
    if (Ancestor)
        s.WriteDescendent(&H, Ancestor);
    else
        s.WriteComponent(&H);
    return s.DataString();
}

struct RegisterHolder {
    RegisterHolder() { RegisterClass(TWideTestHolder::StaticClassInfo()); }
} registerHolder;
} // namespace

TEST_CASE("form data: a wide list goes out as wide strings and comes back whole")
{
    TWideTestHolder H(nullptr);
    H.SetName("H");
    H.Lines()->Add(L"Привет");
    H.Lines()->Add(L"中文 Ω ✓");
    H.Lines()->Add(L"");
    H.Lines()->Add(WideString(L"\xD83D\xDE00"));   // a surrogate pair
    const std::string bytes = Write(H);
    const std::string expected = "\x0DLines.Strings\x01\x12" + Int32(6) + LE(L"Привет");
    CHECK(bytes.find(expected) != std::string::npos);

    TWideTestHolder R(nullptr);
    R.Lines()->Add(L"old");
    ReadInto(R, bytes);
    CHECK(Items(*R.Lines()) == Items(*H.Lines()));

    // An empty list writes nothing; under an equal ancestor neither.
    TWideTestHolder A(nullptr);
    A.SetName("H");
    CHECK(Write(A).find("Lines.Strings") == std::string::npos);
    A.Lines()->Assign(H.Lines());
    CHECK(Write(H, &A).find("Lines.Strings") == std::string::npos);
    A.Lines()->Put(1, L"другое");
    CHECK(Write(H, &A).find("Lines.Strings") != std::string::npos);
}

TEST_CASE("form data: the wide list reads every form it was ever stored in")
{
    const struct {
        std::string Data;
        W Before, After;
    } forms[] = {
        // One ANSI string, or one wide string, is the whole text.
        {FormBytes().Prop("Lines.Strings").Ansi("\xCF\xF0\xE8\xE2\xE5\xF2\r\nb").Done(), {}, {L"Привет", L"b"}},
        {FormBytes().Prop("Lines.Strings").Wide(L"中\nx").Done(), {}, {L"中", L"x"}},
        // A list of ANSI and wide strings mixed; the old name WideStrings.
        {FormBytes().Prop("Lines.Strings").ListBegin().Ansi("\xE0").Wide(L"中").ListEnd().Done(), {}, {L"а", L"中"}},
        {FormBytes().Prop("Lines.WideStrings").ListBegin().Wide(L"Ω").ListEnd().Done(), {}, {L"Ω"}},
        // The old UTF-8 list, taken only while the list is empty.
        {FormBytes().Prop("Lines.WideStringsW").ListBegin().Utf8(L"Привет").Utf8(L"中").ListEnd().Done(), {},
         {L"Привет", L"中"}},
        {FormBytes().Prop("Lines.Strings").ListBegin().Wide(L"new").ListEnd()
             .Prop("Lines.WideStringsW").ListBegin().Utf8(L"old").ListEnd().Done(), {}, {L"new"}},
        // The old UTF-7 list is read and dropped.
        {FormBytes().Prop("Lines.WideStrings_UTF7").ListBegin().Ansi("+BB8-").ListEnd().Done(), {L"kept"}, {L"kept"}},
    };
    for (const auto& f : forms) {
        TWideTestHolder H(nullptr);
        for (const WideString& line : f.Before)
            H.Lines()->Add(line);
        ReadInto(H, f.Data);
        CHECK(Items(*H.Lines()) == f.After);
    }

    // An item that is no string is an error, and so is a wide string longer than the data.
    TWideTestHolder H(nullptr);
    for (const std::string& bad : {FormBytes().Prop("Lines.Strings").ListBegin().Raw("\x02\x05").ListEnd().Done(),
                                   FormBytes().Prop("Lines.Strings").Raw("\x04").Done(),
                                   FormBytes().Prop("Lines.Strings").Raw("\x01\x12" + Int32(1000000) + "ab").Done()})
        CHECK_THROWS_AS(ReadInto(H, bad), EReadError);
}

TEST_CASE("form data: a wide character's companion, and a wide text's old companions dropped unless the legacy switch is on")
{
    TWideTestHolder H(nullptr);
    H.SetName("H");
    // Written as one wide character when not the default.
    CHECK(Write(H).find("MarkW") == std::string::npos);
    H.SetMark(L'Ж');
    const std::string bytes = Write(H);
    CHECK(bytes.find("\x05MarkW\x12" + Int32(1) + LE(L"Ж")) != std::string::npos);
    CHECK(bytes.find("Mark_UTF7") == std::string::npos);
    TWideTestHolder R(nullptr);
    ReadInto(R, bytes);
    CHECK(R.Mark() == L'Ж');

    // Not written under an ancestor with the same character; written when it differs.
    TWideTestHolder A(nullptr);
    A.SetName("H");
    A.SetMark(L'Ж');
    CHECK(Write(H, &A).find("MarkW") == std::string::npos);
    A.SetMark(L'z');
    CHECK(Write(H, &A).find("MarkW") != std::string::npos);
    // Read from ANSI or wide strings of at most one character.
    ReadInto(H, FormBytes().Prop("MarkW").Wide(L"中").Done());
    CHECK(H.Mark() == L'中');
    ReadInto(H, FormBytes().Prop("MarkW").Ansi("\xC6").Done());
    CHECK(H.Mark() == L'Ж');
    H.SetMark(L'q');
    CHECK_THROWS_WITH_AS(ReadInto(H, FormBytes().Prop("MarkW").Wide(L"ab").Done()), "Invalid property value",
                         EReadError);
    CHECK(H.Mark() == L'q');
    // The UTF-7 companion gives its first character.
    ReadInto(H, FormBytes().Prop("Mark_UTF7").Ansi("+BCk-x").Done());
    CHECK(H.Mark() == L'Щ');
    ReadInto(H, FormBytes().Prop("Mark_UTF7").Ansi("").Done());   // none: no character
    CHECK(H.Mark() == 0);
    CHECK_THROWS_AS(ReadInto(H, FormBytes().Prop("Mark_UTF7").Ansi("+\x01").Done()), Exception);

    // A wide text's old companions are dropped unless the legacy switch is on.
    H.SetCaption(L"中文");
    const std::string caption = Write(H);
    CHECK(caption.find("\x07" "Caption\x12" + Int32(2) + LE(L"中文")) != std::string::npos);
    CHECK(caption.find("CaptionW") == std::string::npos);
    ReadInto(R, FormBytes().Prop("CaptionW").Utf8(L"Привет").Prop("Caption_UTF7").Ansi("+BB8-").Done());
    CHECK(R.Caption().empty());
    TRestore<bool> restore(LegacyWideCompanions);
    LegacyWideCompanions = true;
    ReadInto(R, FormBytes().Prop("CaptionW").Utf8(L"Привет").Done());
    CHECK(R.Caption() == L"Привет");
    ReadInto(R, FormBytes().Prop("Caption_UTF7").Ansi("+BB8-").Done());
    CHECK(R.Caption() == L"П");
    R.SetDesigning(true);
    ReadInto(R, FormBytes().Prop("CaptionW").Ansi("x").Done());
    CHECK(R.Caption() == L"П");
}

TEST_CASE("store objects live and die with their components")
{
    CHECK_THROWS_WITH_AS(TWideComponentHelper(nullptr),
                         "Internal Error: TWideComponentHelper.Create should never be encountered.",
                         EUcInternalError);
    CHECK_THROWS_AS(TWideComponentHelper::StaticClassInfo().CreateComponent(nullptr), EUcInternalError);

    std::vector<std::unique_ptr<TComponent>> comps;
    for (int i = 0; i < 5; ++i)
        comps.push_back(std::make_unique<TComponent>(nullptr));
    auto list = std::make_unique<TWideComponentHelperList>();
    for (int i : {3, 1, 4, 0})
        new TWideComponentHelper(list.get(), comps[size_t(i)].get());
    // Found by their components, whatever the order they came in.
    for (int i : {0, 1, 3, 4})
        CHECK(FindWideComponentHelper(list.get(), comps[size_t(i)].get())->Component() == comps[size_t(i)].get());
    CHECK(FindWideComponentHelper(list.get(), comps[2].get()) == nullptr);
    // Freeing a component frees its store object; the list going first frees the rest, and
    // their components then go without them.
    comps[3].reset();
    comps[0].reset();
    CHECK(list->Count() == 2);
    list.reset();
    comps.clear();
}
