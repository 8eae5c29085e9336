#include <doctest.h>
#include "unicode/ucclasses.h"
#include "wide_lists_test_util.h"
#include "join.h"
#include "unicode/ucwidestrutils.h"

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

TEST_CASE("text splits at CR, LF and the line separator, one of each in that order; delimited text")
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
        {WideString(L"a\0b\nc", 5), {WideString(L"a\0b", 3), L"c"}},   // a zero is text
    };
    TUcStringList L;
    for (const auto& c : cases) {
        L.SetTextStr(c.Text);
        CHECK(Items(L) == c.Items);
    }
    // The text comes back with CR LF after every item.
    L.SetTextStr(L"x\ny\x2028z");
    WideChar* buf = L.GetText();
    CHECK(WideString(buf) == L"x\r\ny\r\nz\r\n");
    WideBufFree(buf);
    L.SetText(static_cast<const WideChar*>(nullptr));
    CHECK(L.Count() == 0);

    // Delimited and comma text.
    L.SetTextStr(L"plain\nwith blank\nsay \"hi\"\n\n");
    CHECK(L.CommaText() == L"plain,\"with blank\",\"say \"\"hi\"\"\",");
    TUcStringList M;
    M.SetCommaText(L.CommaText());
    CHECK(Items(M) == Items(L));
    M.SetDelimiter(L';');
    M.SetDelimitedText(WideString(L"a;\"b;c\" ; d\0e", 13));
    CHECK(Items(M) == W{L"a", L"b;c", L"d", L"e"});
}

TEST_CASE("positions outside the list and changes of a sorted list are refused, the list kept; names, values and moves")
{
    TUcStringList L;
    L.SetTextStr(L"one\ntwo");
    CHECK_THROWS_WITH_AS(L.Get(2), "List index out of bounds (2)", EStringListError);
    CHECK_THROWS_AS(L.PutObject(5, nullptr), EStringListError);
    CHECK_THROWS_AS(L.Insert(3, L"x"), EStringListError);
    L.Insert(2, L"three");   // at Count is allowed
    CHECK(Items(L) == W{L"one", L"two", L"three"});

    L.SetSorted(true);
    CHECK_THROWS_WITH_AS(L.Insert(0, L"x"), "Operation not allowed on sorted list", EStringListError);
    CHECK_THROWS_AS(L.Put(0, L"x"), EStringListError);
    CHECK_THROWS_AS(L.Move(0, 2), EStringListError);
    L.Move(1, 1);   // no move at all is no error
    CHECK(Items(L) == W{L"one", L"three", L"two"});
    // The duplicate rule: the index there is, an error that adds nothing, or the new one beside
    // the equal one, which Find answers first; Find answers where a missing string would go.
    CHECK(Join(L.Add(L"TWO"), L.Count()) == Join(2, 3));
    L.SetDuplicates(dupError);
    CHECK_THROWS_WITH_AS(L.Add(L"two"), "String list does not allow duplicates", EStringListError);
    L.SetDuplicates(dupAccept);
    CHECK(L.Add(L"two") == 2);
    int i = -1;
    CHECK(L.Find(L"two", i));
    CHECK(Join(i, L.Count()) == Join(2, 4));
    CHECK_FALSE(L.Find(L"six", i));
    CHECK(i == 1);

    // Names and values; moving items with their objects.
    TUcStringList U;
    U.SetValues(L"Имя", L"Значение");
    CHECK(Join(U.Strings(0), U.Names(0)) == Join(L"Имя=Значение", L"Имя"));
    U.SetValues(L"имя", L"");   // the name in another case; an empty value deletes the pair
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

    L.CustomSort(nullptr);   // no comparison: nothing to do
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
}

TEST_CASE("change events come around every change, once for an update bracket")
{
    TUcStringList L;
    EventCounter ev;
    L.OnChange = MakeMethod<&EventCounter::OnChange>(&ev);
    L.OnChanging = MakeMethod<&EventCounter::OnChanging>(&ev);
    L.BeginUpdate();
    L.BeginUpdate();
    L.Add(L"b");
    L.EndUpdate();
    L.Delete(0);
    L.EndUpdate();
    CHECK(Join(ev.changing, ev.changed) == Join(1, 1));
    L.EndUpdate();   // an end without a beginning changes nothing
    CHECK(L.UpdateCount() == 0);
    L.SetTextStr(L"x\ny");   // one change for the whole text
    CHECK(ev.changed == 2);
    // A refused change tells nobody.
    CHECK_THROWS(L.Delete(7));
    CHECK(ev.changed == 2);
    // A handler that fails at the end of an update reaches the caller, the update ended.
    struct Failing {
        void OnChange(TObject*) { throw Exception("no"); }
    } failing;
    L.OnChange = MakeMethod<&Failing::OnChange>(&failing);
    CHECK_THROWS_AS(L.SetTextStr(L"x\ny"), Exception);
    CHECK(L.UpdateCount() == 0);
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
    CHECK(Join(A.Strings(0), A.Delimiter()) == Join("\xCF\xF0\xE8\xE2\xE5\xF2", ';'));   // Привет in code page 1251
    CHECK(A.Objects(0) == Obj(5));

    A.Assign(&W1);   // the ANSI list asks the wide one
    CHECK(A.Count() == 2);

    TUcStringList W2;
    A.SetNameValueSeparator(':');
    W2.Assign(&A);
    CHECK(Items(W2) == W{L"Привет", L"??"});
    CHECK(W2.Objects(0) == Obj(5));
    CHECK(Join(W2.NameValueSeparator(), W2.Delimiter()) == Join(L':', L';'));
    W2.AddStrings(&W1);
    W2.Assign(&W2);   // itself: nothing lost
    CHECK(Join(W2.Count(), W2.Strings(3)) == Join(4, L"日本"));

    TCollection notAList(TCollectionItem::StaticClassInfo());
    CHECK_THROWS_AS(W2.Assign(&notAList), EConvertError);
}

TEST_CASE("the ANSI view works on the wide list in its code page")
{
    TUcStringList L;
    TStrings* A = L.AnsiStrings();
    A->Add("\xCF\xF0\xE8\xE2\xE5\xF2");
    L.Add(L"Ω");
    CHECK(Join(L.Strings(0), A->Strings(1)) == Join(L"Привет", "?"));
    L.AnsiStrings()->SetViewCodePage(1253);
    CHECK(A->Strings(1) == "\xD9");
    A->SetStrings(1, "\xC1");
    CHECK(L.Strings(1) == L"Α");
    L.AnsiStrings()->SetViewCodePage(0);

    // A sorted wide list still places what the ANSI side adds.
    L.SetSorted(true);
    A->Add("a");
    CHECK(Join(L.Strings(0), A->IndexOf("a")) == Join(L"a", 0));
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
