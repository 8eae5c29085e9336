#include <doctest.h>
#include "unicode/ucclasses.h"
#include "wide_lists_test_util.h"
#include "unicode/ucwidestrutils.h"

#include <algorithm>
#include <random>

using namespace widetest;

namespace {
struct EventCounter {
    int changing = 0;
    int changed = 0;
    void OnChanging(TObject*) { ++changing; }
    void OnChange(TObject*) { ++changed; }
};

TObject* Obj(uintptr_t n)
{
    return reinterpret_cast<TObject*>(n);
}
} // namespace

TEST_CASE("the three characters read their defaults once and are then defined")
{
    TUcStringList L;
    CHECK(L.Defined() == 0);
    CHECK(L.Delimiter() == L',');
    CHECK(L.Defined() == sdDelimiter);
    CHECK(L.QuoteChar() == L'"');
    L.SetNameValueSeparator(L':');
    CHECK(L.Defined() == (sdDelimiter | sdQuoteChar | sdNameValueSeparator));
    L.Add(L"key:value");
    CHECK(L.Values(L"KEY") == L"value");

    TUcStringList copy;
    copy.Assign(&L);
    CHECK(copy.Defined() == L.Defined());
    CHECK(copy.NameValueSeparator() == L':');
    CHECK(Items(copy) == W{L"key:value"});
}

TEST_CASE("text splits at CR, LF and the line separator, one of each in that order")
{
    const struct {
        WideString Text;
        W Items;
    } cases[] = {
        {L"a\r\rb", {L"a", L"", L"b"}},                 // CR CR is two breaks
        {L"a\r\n\x2028" L"b", {L"a", L"b"}},            // CR LF U+2028 is one
        {L"a\n\rb", {L"a", L"", L"b"}},                 // LF CR is two, the CR starting a line
        {L"a\r\n", {L"a"}},                             // a final break adds no empty line
        {L"\r\n", {L""}},                               // a lone break is one empty line
        {L"", {}},
        {WideString(L"a\0b\nc", 5), {WideString(L"a\0b", 3), L"c"}},   // a zero is text
    };
    TUcStringList L;
    for (const auto& c : cases) {
        L.SetTextStr(c.Text);
        CHECK(Items(L) == c.Items);
    }

    // The text comes back with CR LF after every item.
    L.SetTextStr(L"x\ny\x2028z");
    CHECK(L.GetTextStr() == L"x\r\ny\r\nz\r\n");
    WideChar* buf = L.GetText();
    CHECK(WideString(buf) == L"x\r\ny\r\nz\r\n");
    WideBufFree(buf);
    L.SetText(static_cast<const WideChar*>(nullptr));
    CHECK(L.GetTextStr().empty());
    // A sorted list places each line.
    L.SetSorted(true);
    L.SetTextStr(L"c\nb\na\nb");
    CHECK(Items(L) == W{L"a", L"b", L"c"});
}

TEST_CASE("positions outside the list and changes of a sorted list are refused, the list kept")
{
    TUcStringList L;
    L.SetTextStr(L"one\ntwo");
    CHECK_THROWS_WITH_AS(L.Get(2), "List index out of bounds (2)", EStringListError);
    CHECK_THROWS_WITH_AS(L.Get(-1), "List index out of bounds (-1)", EStringListError);
    CHECK_THROWS_WITH_AS(L.Delete(2), "List index out of bounds (2)", EStringListError);
    CHECK_THROWS_WITH_AS(L.PutObject(5, nullptr), "List index out of bounds (5)", EStringListError);
    CHECK_THROWS_WITH_AS(L.Exchange(0, 2), "List index out of bounds (2)", EStringListError);
    CHECK_THROWS_WITH_AS(L.Insert(3, L"x"), "List index out of bounds (3)", EStringListError);
    // A target out of range is refused before the item is taken out.
    CHECK_THROWS_AS(L.Move(0, 2), EStringListError);
    L.Insert(2, L"three");   // at Count is allowed
    CHECK(Items(L) == W{L"one", L"two", L"three"});

    L.SetSorted(true);
    CHECK(Items(L) == W{L"one", L"three", L"two"});
    CHECK_THROWS_WITH_AS(L.Put(0, L"x"), "Operation not allowed on sorted list", EStringListError);
    CHECK_THROWS_WITH_AS(L.Insert(0, L"x"), "Operation not allowed on sorted list", EStringListError);
    CHECK_THROWS_WITH_AS(L.Move(0, 2), "Operation not allowed on sorted list", EStringListError);
    L.Move(1, 1);   // no move at all is no error
    L.SetDuplicates(dupError);
    CHECK_THROWS_WITH_AS(L.Add(L"TWO"), "String list does not allow duplicates", EStringListError);
    CHECK(Items(L) == W{L"one", L"three", L"two"});
    CHECK_THROWS_WITH_AS(L.SetCapacity(2), "List capacity out of bounds (2)", EStringListError);
}

TEST_CASE("names and values, sorted and not; moving items with their objects")
{
    TUcStringList L;
    L.Add(L"a=1");
    L.Add(L"x=2");
    CHECK(L.IndexOfName(L"x") == 1);
    L.SetSorted(true);
    CHECK(L.IndexOfName(L"x") == 1);
    CHECK(L.IndexOfName(L"X") == 1);
    CHECK(L.IndexOfName(L"a") == 0);
    // Sorts after every item: the search answers Count, which must not be read.
    CHECK(L.IndexOfName(L"z") == -1);
    CHECK(L.IndexOfName(L"b") == -1);
    CHECK(L.IndexOfName(L"") == -1);
    CHECK(L.Values(L"x") == L"2");
    CHECK(L.Names(0) == L"a");
    CHECK(L.ValueFromIndex(1) == L"2");

    TUcStringList U;
    U.SetValues(L"Имя", L"Значение");
    CHECK(U.Strings(0) == L"Имя=Значение");
    U.SetValues(L"имя", L"");
    CHECK(U.Count() == 0);

    TUcStringList M;
    M.AddObject(L"a", Obj(1));
    M.AddObject(L"b", Obj(2));
    M.AddObject(L"c", Obj(3));
    M.Move(0, 2);
    CHECK(Items(M) == W{L"b", L"c", L"a"});
    CHECK(M.Objects(2) == Obj(1));
    M.Exchange(0, 2);
    CHECK(Items(M) == W{L"a", L"c", L"b"});
    CHECK(M.Objects(0) == Obj(1));
    CHECK(M.IndexOfObject(Obj(2)) == 2);
}

TEST_CASE("sorting agrees with the list's own comparison")
{
    std::mt19937 rng(7);
    const WideString alphabet = L"abcABCабвАБВ-' 1";
    TUcStringList L;
    std::vector<WideString> expected;
    for (int i = 0; i < 500; ++i) {
        WideString s;
        for (int k = rng() % 6; k >= 0; --k)
            s += alphabet[rng() % alphabet.size()];
        L.AddObject(s, Obj(static_cast<uintptr_t>(i) + 1));
        expected.push_back(s);
    }
    L.Sort();
    for (int i = 1; i < L.Count(); ++i)
        CHECK(WideCompareText(L.Strings(i - 1), L.Strings(i)) <= 0);
    // Objects travel with their strings.
    for (int i = 0; i < L.Count(); ++i)
        CHECK(expected[reinterpret_cast<uintptr_t>(L.Objects(i)) - 1] == L.Strings(i));

    L.SetSorted(true);
    for (const WideString& s : expected) {
        int index;
        CHECK(L.Find(s, index));
        CHECK(WideCompareText(L.Strings(index), s) == 0);
    }
    // Switching case sensitivity re-sorts, so that the search still finds.
    L.SetCaseSensitive(true);
    for (int i = 1; i < L.Count(); ++i)
        CHECK(WideCompareStr(L.Strings(i - 1), L.Strings(i)) <= 0);
    int index;
    CHECK(L.Find(expected[10], index));

    // A comparison that contradicts itself leaves the items in the list.
    TUcStringList M;
    M.SetTextStr(L"q\nw\ne\nr\nt\ny");
    M.CustomSort([](TUcStringList*, int, int) { return -1; });
    std::vector<WideString> got = Items(M);
    std::sort(got.begin(), got.end());
    CHECK(got == W{L"e", L"q", L"r", L"t", L"w", L"y"});
}

TEST_CASE("change events come around every change, once for an update bracket")
{
    TUcStringList L;
    EventCounter ev;
    L.OnChange = MakeMethod<&EventCounter::OnChange>(&ev);
    L.OnChanging = MakeMethod<&EventCounter::OnChanging>(&ev);
    L.Add(L"a");
    CHECK(ev.changing == 1);
    CHECK(ev.changed == 1);
    L.BeginUpdate();
    L.Add(L"b");
    L.Add(L"c");
    L.Delete(0);
    L.EndUpdate();
    CHECK(ev.changing == 2);
    CHECK(ev.changed == 2);
    L.SetTextStr(L"1\n2\n3");
    CHECK(ev.changed == 3);
    // A refused change tells nobody.
    CHECK_THROWS(L.Delete(7));
    CHECK(ev.changed == 3);
    L.Clear();
    CHECK(ev.changed == 4);
    L.Clear();   // already empty
    CHECK(ev.changed == 4);
}

TEST_CASE("delimited and comma text")
{
    TUcStringList L;
    L.SetTextStr(L"plain\nwith blank\nsay \"hi\"\n\n");
    CHECK(L.CommaText() == L"plain,\"with blank\",\"say \"\"hi\"\"\",");
    TUcStringList M;
    M.SetCommaText(L.CommaText());
    CHECK(Items(M) == Items(L));
    // A final delimiter adds an empty item only as the very last character.
    M.SetCommaText(L"a,");
    CHECK(Items(M) == W{L"a", L""});
    M.SetCommaText(L"a, ");
    CHECK(Items(M) == W{L"a"});
    M.SetDelimiter(L';');
    M.SetDelimitedText(WideString(L"a;\"b;c\" ; d\0e", 13));
    CHECK(Items(M) == W{L"a", L"b;c", L"d", L"e"});
}

TEST_CASE("the rules the wide lists share with the ANSI ones")
{
    // A new pair goes to its place in a sorted list, with nothing else added.
    TUcStringList L;
    L.SetSorted(true);
    L.SetValues(L"m", L"1");
    L.SetValues(L"b", L"2");
    CHECK(Items(L) == W{L"b=2", L"m=1"});
    CHECK(L.ValueFromIndex(-1).empty());   // what Values gives for a name not there
    // A sorted list added to itself gets every item once more.
    L.SetDuplicates(dupAccept);
    L.AddStrings(&L);
    CHECK(Items(L) == W{L"b=2", L"b=2", L"m=1", L"m=1"});

    // No list, no comparison.
    TUcStringList U;
    U.SetTextStr(L"b\na");
    U.AddStrings(static_cast<const TWideStrings*>(nullptr));
    CHECK_FALSE(U.Equals(nullptr));
    U.CustomSort(nullptr);
    CHECK(Items(U) == W{L"b", L"a"});

    // The plain list's move checks both places before it takes the item out.
    TVectorStrings V;
    V.SetTextStr(L"a\nb");
    CHECK_THROWS_WITH_AS(V.Move(0, 2), "List index out of bounds (2)", EStringListError);
    CHECK(V.FItems == W{L"a", L"b"});

    // A change handler that fails at the end of an update reaches the caller.
    struct Failing {
        void OnChange(TObject*) { throw Exception("no"); }
    } failing;
    U.OnChange = MakeMethod<&Failing::OnChange>(&failing);
    CHECK_THROWS_WITH_AS(U.SetTextStr(L"x\ny"), "no", Exception);
    U.OnChange = nullptr;
    CHECK(Items(U) == W{L"x", L"y"});
    CHECK(U.UpdateCount() == 0);
}

TEST_CASE("assignment between wide and ANSI lists")
{
    TUcStringList W1;
    W1.AddObject(L"Привет", Obj(5));
    W1.Add(L"日本");
    W1.SetDelimiter(L';');

    TStringList A;
    W1.AssignTo(&A);
    REQUIRE(A.Count() == 2);
    CHECK(A.Strings(0) == "\xCF\xF0\xE8\xE2\xE5\xF2");   // Привет in code page 1251
    CHECK(A.Objects(0) == Obj(5));
    CHECK(A.Delimiter() == ';');

    A.Assign(&W1);   // the ANSI list asks the wide one
    CHECK(A.Count() == 2);

    TUcStringList W2;
    A.SetNameValueSeparator(':');
    W2.Assign(&A);
    CHECK(Items(W2) == W{L"Привет", L"??"});
    CHECK(W2.Objects(0) == Obj(5));
    CHECK(W2.NameValueSeparator() == L':');
    CHECK(W2.Delimiter() == L';');

    W2.AddStrings(&W1);
    CHECK(W2.Count() == 4);
    CHECK(W2.Strings(3) == L"日本");

    W2.Assign(&W2);   // itself: nothing lost
    CHECK(W2.Count() == 4);

    TCollection notAList(TCollectionItem::StaticClassInfo());
    CHECK_THROWS_AS(W2.Assign(&notAList), EConvertError);
}

TEST_CASE("the ANSI view works on the wide list in its code page")
{
    TUcStringList L;
    TStrings* A = L.AnsiStrings();
    A->Add("\xCF\xF0\xE8\xE2\xE5\xF2");
    CHECK(L.Strings(0) == L"Привет");
    L.Add(L"Ω");
    CHECK(A->Strings(1) == "?");
    L.AnsiStrings()->SetViewCodePage(1253);
    CHECK(A->Strings(1) == "\xD9");
    A->SetStrings(1, "\xC1");
    CHECK(L.Strings(1) == L"Α");
    L.AnsiStrings()->SetViewCodePage(0);

    // A sorted wide list still places what the ANSI side adds.
    L.SetSorted(true);
    A->Add("a");
    CHECK(L.Strings(0) == L"a");
    CHECK(A->IndexOf("a") == 0);
    A->Delete(0);
    CHECK(L.Count() == 2);

    A->SetText("x\r\ny");
    CHECK(Items(L) == W{L"x", L"y"});
    TStringStream out;
    A->SaveToStream(&out);
    CHECK(out.DataString() == "x\r\ny\r\n");
    TStringStream in("\xE0\r\n\xE1");
    A->LoadFromStream(&in);
    CHECK(Items(L) == W{L"а", L"б"});

    TStringList plain;
    plain.Add("from ANSI");
    L.SetAnsiStrings(&plain);
    CHECK(Items(L) == W{L"from ANSI"});
}
