#include <doctest.h>
#include "list_items.h"
#include "fail_alloc.h"
#include "classlib/classes.h"

#include <algorithm>
#include <cstdlib>
#include <vector>

namespace {
using TLines = std::vector<AnsiString>;

TStringList* Make(std::initializer_list<const char*> items, TStringList* list)
{
    for (const char* s : items)
        list->Add(s);
    return list;
}
} // namespace

TEST_CASE("string list indexes are checked and the list stays as it was")
{
    TStringList l;
    Make({"a", "b"}, &l);
    CHECK_THROWS_WITH_AS(l.Strings(2), "List index out of bounds (2)", EStringListError);
    CHECK_THROWS_WITH_AS(l.Delete(-1), "List index out of bounds (-1)", EStringListError);
    CHECK_THROWS_WITH_AS(l.Insert(3, "x"), "List index out of bounds (3)", EStringListError);
    CHECK_THROWS_AS(l.Objects(5), EListError);
    CHECK_THROWS_AS(l.Exchange(0, 2), EStringListError);
    // A move to a place out of range keeps the item.
    CHECK_THROWS_AS(l.Move(0, 2), EStringListError);
    CHECK_THROWS_AS(l.Move(-1, 0), EStringListError);
    CHECK(Items(l) == TLines{"a", "b"});
    l.Insert(2, "c");   // the end is a place to insert
    CHECK(Items(l) == TLines{"a", "b", "c"});
}

TEST_CASE("objects travel with their strings")
{
    TStringList l, o1, o2;
    l.AddObject("one", &o1);
    l.AddObject("two", &o2);
    l.Exchange(0, 1);
    CHECK(l.Objects(0) == &o2);
    l.Move(0, 1);
    CHECK(Items(l) == TLines{"one", "two"});
    CHECK(l.Objects(1) == &o2);
    CHECK(l.IndexOfObject(&o1) == 0);
    l.SetStrings(0, "uno");   // Put keeps the object
    CHECK(l.Objects(0) == &o1);
}

TEST_CASE("IndexOfName on a sorted list stops at the end")
{
    TStringList l;
    l.SetSorted(true);
    Make({"x=2", "a=1"}, &l);
    CHECK(l.IndexOfName("x") == 1);
    CHECK(l.IndexOfName("a") == 0);
    CHECK(l.IndexOfName("zz") == -1);   // Find answers Count here
    CHECK(l.IndexOfName("b") == -1);    // Find stops on x=2, which is not b
    CHECK(l.Values("X") == "2");

    TStringList empty;
    empty.SetSorted(true);
    CHECK(empty.IndexOfName("a") == -1);

    // The locale's order ignores the hyphen: "a-b=1" sorts between "ab=" and "ab=2".
    TStringList hyphen;
    hyphen.SetSorted(true);
    Make({"ab=2", "a-b=1"}, &hyphen);
    CHECK(hyphen.Values("ab") == "2");
    CHECK(hyphen.Values("a-b") == "1");
}

TEST_CASE("names and values")
{
    TStringList l;
    Make({"Key=Value", "plain", "empty=", "a=b=c"}, &l);
    CHECK(l.Names(0) == "Key");
    CHECK(l.Names(1) == "");
    CHECK(l.ValueFromIndex(1) == "");   // no separator, no value
    CHECK(l.ValueFromIndex(3) == "b=c");
    CHECK(l.Values("KEY") == "Value");
    CHECK(l.Values("a") == "b=c");
    CHECK(l.Values("none") == "");
    CHECK(l.IndexOfName("empty") == 2);

    l.SetValues("key", "New");
    CHECK(l.Strings(0) == "key=New");
    l.SetValues("added", "1");
    CHECK(l.Strings(4) == "added=1");
    l.SetValues("empty", "");   // an empty value deletes the pair
    CHECK(l.IndexOfName("empty") == -1);
    CHECK(l.Count() == 4);

    l.SetNameValueSeparator(':');
    l.Add("host:example");
    CHECK(l.Values("HOST") == "example");

    TStringList sorted;
    sorted.SetSorted(true);
    sorted.SetValues("m", "1");
    sorted.SetValues("b", "2");   // a new pair goes to its sorted place, with nothing else added
    CHECK(Items(sorted) == TLines{"b=2", "m=1"});
}

TEST_CASE("text splits at CR, LF and CR LF; a last line break ends a line, an empty text has none")
{
    TStringList l;
    for (const char* text : {"a\r\rb", "a\r\n\r\nb\n", "a\n\rb"}) {
        l.SetText(text);
        CHECK(Items(l) == TLines{"a", "", "b"});
    }
    l.SetText("\r\n");
    CHECK(Items(l) == TLines{""});
    l.SetText("");
    CHECK(l.Count() == 0);
}

TEST_CASE("update brackets hold the change events back until the outermost end")
{
    struct TCount {
        int N = 0;
        void Hit(TObject*) { ++N; }
    } changes;
    TStringList l;
    l.OnChange = MakeMethod<&TCount::Hit>(&changes);
    l.BeginUpdate();
    l.BeginUpdate();
    l.Add("a");
    l.EndUpdate();
    CHECK(changes.N == 0);
    l.EndUpdate();
    CHECK(changes.N == 1);
    l.SetText("x\ny");
    CHECK(changes.N == 2);   // one event for the whole text
    // An end without a beginning changes nothing, and the next bracket still holds back.
    l.EndUpdate();
    l.BeginUpdate();
    l.Add("z");
    CHECK(changes.N == 2);
}

TEST_CASE("comma text quotes what needs it and reads it back")
{
    TStringList l;
    SUBCASE("round trips")
    {
        // The items, and the text expected where it is given.
        const std::pair<TLines, const char*> cases[] = {
            {{"plain", "two words", "say \"hi\"", "a,b", "", " lead", "tab\there", "\xC6\xE8"}, nullptr},
            {{"two words", "q\"", "x"}, "\"two words\",\"q\"\"\",x"},
            {{""}, "\"\""},
            {{}, ""},
            {{"", ""}, nullptr},
            {{"x", ""}, nullptr},
            {{"\"\""}, nullptr},
        };
        for (const auto& [items, expected] : cases) {
            l.Clear();
            for (const auto& s : items)
                l.Add(s);
            AnsiString text = l.CommaText();
            if (expected)
                CHECK(text == expected);
            TStringList back;
            back.SetCommaText(text);
            CHECK_MESSAGE(Items(back) == items, text);
        }
    }
    SUBCASE("reading: blanks separate unquoted items, a final comma adds an empty item")
    {
        l.SetCommaText("  a b,\"c \"\"d\"\"\" ,, e,");
        CHECK(Items(l) == TLines{"a", "b", "c \"d\"", "", "e", ""});
        l.SetCommaText("\"unclosed, still here");
        CHECK(Items(l) == TLines{"unclosed, still here"});
        l.SetCommaText(AnsiString("a,b\0,c", 6));   // the text ends at a zero byte
        CHECK(Items(l) == TLines{"a", "b"});
        l.SetCommaText("   ");
        CHECK(l.Count() == 0);
    }
    SUBCASE("own delimiter and quote")
    {
        l.SetDelimiter(';');
        l.SetQuoteChar('\'');
        Make({"a;b", "it's", "c,d"}, &l);
        CHECK(l.DelimitedText() == "'a;b';'it''s';c,d");
        TStringList back;
        back.SetDelimiter(';');
        back.SetQuoteChar('\'');
        back.SetDelimitedText(l.DelimitedText());
        CHECK(Items(back) == Items(l));
        CHECK(l.CommaText() == "a;b,it's,\"c,d\"");   // comma text keeps its own pair
        CHECK(l.Delimiter() == ';');
    }
}

TEST_CASE("sorting")
{
    TStringList l, o;
    Make({"c", "A", "b"}, &l);
    l.SetObjects(0, &o);
    l.Sort();
    CHECK(Items(l) == TLines{"A", "b", "c"});
    CHECK(l.Objects(2) == &o);

    l.CustomSort([](TStringList* L, int a, int b) { return -L->CompareStrings(L->Strings(a), L->Strings(b)); });
    CHECK(Items(l) == TLines{"c", "b", "A"});

    SUBCASE("a comparison that is no order loses nothing and stays in range")
    {
        TStringList big;
        for (int i = 0; i < 500; ++i)
            big.Add(IntToStr(i));
        TLines want = Items(big);
        std::srand(7);
        big.CustomSort([](TStringList*, int, int) { return std::rand() % 3 - 1; });
        TLines v = Items(big);
        std::sort(v.begin(), v.end());
        std::sort(want.begin(), want.end());
        CHECK(v == want);
    }
    SUBCASE("case sensitivity changes resort a sorted list")
    {
        TStringList s;
        s.SetSorted(true);
        s.SetDuplicates(dupAccept);
        Make({"b", "B", "a", "A", "ab", "AB"}, &s);
        s.SetCaseSensitive(true);
        for (int i = 0; i < s.Count(); ++i)
            CHECK_MESSAGE(s.IndexOf(s.Strings(i)) == i, s.Strings(i));
        for (int i = 1; i < s.Count(); ++i)
            CHECK(s.CompareStrings(s.Strings(i - 1), s.Strings(i)) <= 0);
    }
}

TEST_CASE("assigning and comparing lists")
{
    TStringList a, b, o;
    a.AddObject("x", &o);
    a.Add("y");
    a.SetDelimiter(';');
    b.Add("old");
    b.Assign(&a);
    CHECK(Items(b) == Items(a));
    CHECK(b.Objects(0) == &o);
    CHECK(b.Delimiter() == ';');
    CHECK(b.Equals(&a));
    b.SetStrings(1, "Y");
    CHECK_FALSE(b.Equals(&a));   // exact comparison

    a.Assign(&a);   // onto itself: nothing is lost
    CHECK(a.Count() == 2);
    a.AddStrings(&a);
    CHECK(Items(a) == TLines{"x", "y", "x", "y"});

    TComponent c(nullptr);
    CHECK_THROWS_WITH_AS(a.Assign(&c), "Cannot assign a TComponent to a TStringList", EConvertError);
}

TEST_CASE("a load that fails anywhere keeps the old lines: a duplicate refused, memory used up")
{
    TStringList l;
    l.SetSorted(true);
    l.SetDuplicates(dupError);
    Make({"old", "lines"}, &l);
    const TLines old = Items(l);
    TStringStream dup("b\ra\rb\r");
    CHECK_THROWS_AS(l.LoadFromStream(&dup), EStringListError);
    CHECK(Items(l) == old);
    for (bool sorted : {true, false}) {
        l.SetSorted(sorted);
        const TLines before = Items(l);
        TStringStream s("the first line of text\r\nthe second line of text\rthe third line of text\n\n"
                        "the fifth line of text\r\n");
        const int failures = FailEachAllocation(
            [&] {
                s.SetPosition(0);
                l.LoadFromStream(&s);
            },
            [&] { CHECK(Items(l) == before); });
        CHECK(failures > 5);
        CHECK(l.Count() == 5);
        l.Clear();
        Make({"old", "lines"}, &l);
    }
}
